#include "cli/ResultRecord.h"

#include "app/CoilJob.h"
#include "base/NumText.h"
#include "cli/AirJson.h"
#include "cli/ProjectCli.h"
#include "engine/HeatExchanger.h"

#include <algorithm>
#include <ostream>

namespace zmk::cli {

namespace {

std::string fmt(const char* format, double v)
{
    return Format(format, v);
}

// Writes the members of a result record: a result is null unless the job solved.
class RecordWriter
{
public:
    RecordWriter(TJsonWriter& j, bool solved) : j_(j), solved_(solved) {}
    /// A result; an input instead when `given` (the one of a pair the user fixed).
    template <typename T> RecordWriter& Member(std::string_view key, const T& v, bool given = false)
    {
        j_.Key(key);
        if (solved_ || given)
            j_.Value(v);
        else
            j_.Null();
        return *this;
    }
    template <typename T> RecordWriter& Input(std::string_view key, const T& v)
    {
        return Member(key, v, true);
    }
    /// An air state as an object, or null when it is a result and the job did not solve.
    RecordWriter& AirState(std::string_view key, const TAirState& s, bool given = false)
    {
        j_.Key(key);
        if (solved_ || given)
            WriteAirState(j_, s);
        else
            j_.Null();
        return *this;
    }
    TJsonWriter& Json() { return j_; }

private:
    TJsonWriter& j_;
    bool solved_;
};

} // namespace

std::string SolveStatusText(const TCoilJob& job)
{
    if (job.LastSolveStatus() < 0)
        return "Error";
    return SolveStatusName(static_cast<TSolveStatus>(job.LastSolveStatus()));
}

TSolveRecord SolveRecordOf(const TCoilJob& job, const std::vector<std::string>& clamped)
{
    TSolveRecord rec;
    rec.Result = CoilResultOf(*job.Coil());
    rec.Result.Kind = job.KindCode;
    rec.Result.Solved = job.Solved();
    rec.Result.Error = job.LastError();
    rec.Status = SolveStatusText(job);
    rec.Reason = !job.LastReason().empty() || job.LastSolveStatus() >= 0 ? job.LastReason()
                                                                         : TerminalText(job.LastError());
    rec.Labels = CoilLabels(job);
    rec.Clamped = clamped;
    return rec;
}

void WriteResultMembers(TJsonWriter& json, const TSolveRecord& record)
{
    const TCoilResult& r = record.Result;
    RecordWriter j(json, r.Solved);
    // The job, and how its solve ended.
    j.Input("kind", r.Kind);
    j.Input("Model", r.Model);
    j.Input("Maker", r.Maker);
    j.Input("Status", record.Status);
    j.Input("solved", r.Solved);
    j.Input("Reason", record.Reason);
    // The air flow and the coil's areas, which the inputs give before any solve.
    j.Input("ma", r.ma);
    j.Input("Va", r.Va);
    j.Input("Vf", r.Vf);
    j.Input("Af", r.Af);
    j.Input("Ao", r.Ao);
    j.Input("Ai", r.Ai);
    j.AirState("AirIn", r.AirIn, true);
    // The results.
    j.Member("Qt", r.Qt);
    j.Member("Qs", r.Qs);
    j.Member("e", r.e);
    j.Member("Ntu", r.Ntu);
    j.Member("Cr", r.Cr);
    j.Member("Qmax", r.Qmax);
    j.Member("ho", r.ho);
    j.Member("hi", r.hi);
    j.Member("Ui", r.Ui);
    j.Member("Uo", r.Uo);
    j.Member("UoDuty", r.UoDuty);
    j.Input("FoulingInDuty", r.FoulingInDuty);
    // A plain fin, which every coil had before the fin type was kept, adds nothing.
    if (r.FinType != TFinType::Plain)
        j.Input("FinType", FinTypeKey(r.FinType));
    // A job rated by the published air side says so, with the fin efficiency it used; the
    // standard method's record stays as it always was.
    if (r.AirSideMethod != TAirSideMethod::Standard) {
        j.Input("AirSideMethod", AirSideMethodKey(r.AirSideMethod));
        j.Member("FinEff", r.FinEff);
        j.Member("SurfaceEff", r.SurfaceEff);
    }
    j.Member("NtuAir", r.NtuAir);
    j.Member("NtuLiquid", r.NtuLiquid);
    j.Member("NtuRatio", r.NtuRatio);
    j.Member("BypassFactor", r.BypassFactor);
    j.Member("ConductanceRatio", r.ConductanceRatio);
    j.Member("Rf", r.Rf);
    j.Member("SurfaceCondition", r.SurfaceCondition);
    j.Member("SurfaceConditionName", SurfaceConditionName(r.SurfaceCondition));
    j.Member("mCondensate", r.mCondensate);
    j.Member("ADP", r.ADP);
    j.Member("AirCooling", r.AirCooling);
    j.Member("Ca", r.Ca);
    j.Member("air_dp", r.AirDp);
    j.Member("liquid_dp", r.LiquidDp);
    j.Member("PipeSize", r.PipeSize);
    j.AirState("AirOut", r.AirOut);
    j.Json().Key("Liquid").BeginObject();
    j.Input("Name", r.LiquidName);
    j.Input("LiquidSpec", r.LiquidSpec);
    j.Input("tfi", r.tfi);
    j.Member("tfo", r.tfo);
    // The control fixes either the flow or the temperature change; the solve gives the other.
    j.Member("m", r.mw, r.ctrl == wcFlow);
    j.Member("ro", r.ro);
    j.Member("Cp", r.Cp);
    j.Member("mu", r.mu);
    j.Member("Ko", r.Ko);
    j.Member("Pr", r.Pr);
    j.Member("cw", r.cw);
    j.Member("vw", r.vw);
    j.Member("designdt", r.designdt, r.ctrl == wcTemp);
    j.Input("ctrl", r.ctrl);
    j.Json().EndObject();
    j.Member("TubeRe", r.TubeRe);
    j.Member("TubeRegime", TubeRegimeName(r.TubeRegime));
    // The warnings of this job's own solve, and the inputs that were brought into range.
    j.Json().Key("warnings").BeginArray();
    for (const TResultWarning& w : r.Warnings)
        j.Json().Value(WarningText(w, true));
    for (const std::string& note : record.Clamped)
        j.Json().Value(note);
    j.Json().EndArray();
}

std::string ResultJson(const TSolveRecord& record, int indent)
{
    TJsonWriter j(indent);
    j.BeginObject();
    WriteResultMembers(j, record);
    j.EndObject();
    return j.Take();
}

void PrintThermalSummary(std::ostream& os, const TSolveRecord& record)
{
    const TCoilResult& r = record.Result;
    const bool solved = r.Solved;
    auto row = [&os](const std::string& caption, const std::string& text) {
        std::string line = caption;
        line.resize(std::max<std::size_t>(line.size() + 1, 22), ' ');
        os << line << text << "\n";
    };
    auto air = [](const TAirState& a) {
        return fmt("%0.2f", a.db) + " °C db, " + fmt("%0.2f", a.wb) + " °C wb, " + fmt("%0.5f", a.w) +
               " kg/kg, " + fmt("%0.1f", a.rh * 100) + " % rh";
    };
    row("Coil", record.Labels.Kind + "  " + r.Model + "  (" + record.Labels.Maker + ", " + record.Labels.Material + ")");
    if (r.AirSideMethod != TAirSideMethod::Standard)
        row("Air side", AirSideMethodName(r.AirSideMethod));
    if (r.FinType != TFinType::Plain)
        row("Fins", FinTypeName(r.FinType));
    row("Solve Status", record.Status + (solved ? "  Solved..." : "  Not Solved..."));
    if (!record.Reason.empty())
        row("Reason", record.Reason);
    if (solved) {
        row("Duty", fmt("%0.3f", r.Qt) + " kW total, " + fmt("%0.3f", r.Qs) + " kW sensible, " +
                        DutyDirectionName(r.AirCooling));
        row("Surface", SurfaceConditionName(r.SurfaceCondition) + ", ADP " + fmt("%0.2f", r.ADP) + " °C");
    }
    row("Air on", air(r.AirIn));
    if (solved)
        row("Air off", air(r.AirOut));
    row("Barometric pressure", fmt("%0.3f", r.Pressure) + " kPa");
    row("Air flow", fmt("%0.4f", r.ma) + " kg/s, " + fmt("%0.4f", r.Va) + " m³/s, face velocity " +
                        fmt("%0.3f", r.Vf) + " m/s");
    if (solved)
        row("Air pressure drop", fmt("%0.1f", r.AirDp) + " Pa");
    row("Liquid", r.LiquidName + ", " + LiquidControlName(r.ctrl) + " control");
    if (!solved) {
        // What the user fixed of the liquid: its inlet, and its flow or its temperature change.
        row("Liquid in", fmt("%0.2f", r.tfi) + " °C, " +
                             (r.ctrl == wcTemp ? "dT " + fmt("%0.2f", r.designdt) + " K"
                                               : "flow " + fmt("%0.4f", r.mw) + " kg/s"));
    } else {
        row("Liquid in/out",
            fmt("%0.2f", r.tfi) + " / " + fmt("%0.2f", r.tfo) + " °C, dT " + fmt("%0.2f", r.designdt) + " K");
        row("Liquid flow", fmt("%0.4f", r.mw) + " kg/s, " + fmt("%0.3f", r.LiquidVf) + " l/s, tube velocity " +
                               fmt("%0.3f", r.vw) + " m/s");
        row("Liquid pressure drop", fmt("%0.2f", r.LiquidDp) + " kPa");
        row("Pipe size", std::to_string(r.PipeSize) + " mm");
        row("Effectiveness", "e " + fmt("%0.4f", r.e) + ", Ntu " + fmt("%0.4f", r.Ntu) + ", Cr " +
                                 fmt("%0.4f", r.Cr) + ", Qmax " + fmt("%0.3f", r.Qmax) + " kW");
        row("Capacity rates", "air " + fmt("%0.4f", r.Ca) + " kW/K, liquid " + fmt("%0.4f", r.cw) + " kW/K");
        row("Coefficients", "ho " + fmt("%0.5f", r.ho) + ", hi " + fmt("%0.5f", r.hi) + ", Ui " +
                                fmt("%0.5f", r.Ui) + ", Uo " + fmt("%0.5f", r.Uo) + " kW/(m²·K)");
        if (r.AirSideMethod != TAirSideMethod::Standard)
            row("Fin efficiency",
                fmt("%0.4f", r.FinEff) + " at ho, surface efficiency " + fmt("%0.4f", r.SurfaceEff));
        row("Duty's U", fmt("%0.5f", r.UoDuty) + " kW/(m²·K), " +
                            (r.FoulingInDuty ? "fouling applied" : "fouling not applied to the duty"));
        row("Transfer units", "air " + fmt("%0.4f", r.NtuAir) + ", liquid " + fmt("%0.4f", r.NtuLiquid) +
                                  ", ratio " + fmt("%0.4f", r.NtuRatio) + ", bypass " +
                                  fmt("%0.4f", r.BypassFactor));
        row("Conductance ratio",
            fmt("%0.4f", r.ConductanceRatio) + ", fouling " + fmt("%0.4f", r.Rf) + " m²·K/kW");
    }
    row("Areas", "face " + fmt("%0.4f", r.Af) + ", outside " + fmt("%0.3f", r.Ao) + ", inside " +
                     fmt("%0.3f", r.Ai) + " m²");
    if (solved && r.TubeRe > 0)
        row("Tube flow", "Re " + fmt("%0.0f", r.TubeRe) + ", " + TubeRegimeName(r.TubeRegime));
    for (const TResultWarning& w : r.Warnings)
        row("Warning", WarningText(w, true));
    for (const std::string& note : record.Clamped)
        row("Warning", note);
}

} // namespace zmk::cli
