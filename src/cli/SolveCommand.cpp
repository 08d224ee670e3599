// zemtor solve and zemtor step: the coil job without its window. Each builds the default job of
// a coil kind, applies the inputs given as entry-field values in their stored units, then runs
// the Solve command (printing the thermal summary, or every result field as JSON) or the Step by
// step command (printing the duty and the temperature matrix along the air path).
//
// Exit status: 0 solved; 1 the solve raised an error (the program's message is printed) or an
// argument was wrong; 2 the solve ended without converging (its status is printed).
#include "cli/AirJson.h"
#include "cli/Commands.h"

#include "app/CoilJob.h"
#include "app/Notifier.h"
#include "engine/HeatExchanger.h"
#include "geometry/CoilMakers.h"
#include "properties/Fluid.h"
#include "units/NumText.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace zmk::cli {

namespace {

struct JobOptions
{
    std::string kind = std::string(kKindZemtor);
    std::vector<std::string> sets;
    bool json = false;
    bool csv = false;
};

// Messages are printed as they come, so that the catalogue's notes reach the user too.
class PrintingNotifier : public INotifier
{
public:
    void Message(const std::string& text) override
    {
        std::string s = text;
        s.erase(std::remove(s.begin(), s.end(), '\r'), s.end());
        std::cerr << s << "\n";
    }
};

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

// Liquid kind by number (0..13) or by listed name, any letter case; -1 when it is neither.
int liquidKindOf(const std::string& text)
{
    long long n;
    if (TryStrToInt(text, n))
        return n >= 0 && n < kLiquidKindCount ? static_cast<int>(n) : -1;
    for (int k = 0; k < kLiquidKindCount; ++k)
        if (lower(LiquidKindName(k)) == lower(text))
            return k;
    return -1;
}

std::string liquidKindList()
{
    std::string s;
    for (int k = 0; k < kLiquidKindCount; ++k)
        s += (k ? ", " : "") + std::to_string(k) + " \"" + LiquidKindName(k) + "\"";
    return s;
}

struct Assignment
{
    std::string name;
    std::string value;
};

Assignment splitAssignment(const std::string& text)
{
    const std::size_t eq = text.find('=');
    if (eq == std::string::npos || eq == 0)
        throw std::runtime_error("--set expects name=value, as edOnCoil=300, not '" + text + "'");
    return {Trim(text.substr(0, eq)), Trim(text.substr(eq + 1))};
}

// Applies the options to a job built for their kind: the liquid, the liquid control and the
// spray first (they decide which fields may be edited), then the fields in the order given,
// each typed and left as the user would.
void applySettings(TCoilJob& job, const JobOptions& options)
{
    std::vector<Assignment> fields;
    for (const std::string& text : options.sets) {
        const Assignment a = splitAssignment(text);
        const std::string key = lower(a.name);
        if (key == "liquid") {
            const int kind = liquidKindOf(a.value);
            if (kind < 0 || !job.SetLiquidKind(kind))
                throw std::runtime_error("liquid= expects a liquid kind: " + liquidKindList());
        } else if (key == "control") {
            const std::string v = lower(a.value);
            if (v != "flow" && v != "temp")
                throw std::runtime_error("control= expects flow or temp, not '" + a.value + "'");
            const std::uint8_t want = v == "flow" ? wcFlow : wcTemp;
            if (job.Coil()->LiquidState->ctrl != want)
                job.ButtonFluidControlClick();
        } else if (key == "spray") {
            const std::string v = lower(a.value);
            if (v != "on" && v != "off")
                throw std::runtime_error("spray= expects on or off, not '" + a.value + "'");
            job.SetSpray(v == "on");
        } else {
            fields.push_back(a);
        }
    }
    for (const Assignment& a : fields) {
        const std::optional<TEntryField> f = FindEntryField(a.name);
        if (!f) {
            std::string names;
            for (const TEntryFieldInfo& info : EntryFields())
                names += std::string(names.empty() ? "" : ", ") + info.Name;
            throw std::runtime_error("unknown input '" + a.name + "'; the inputs are " + names +
                                     ", control=flow|temp, spray=on|off and liquid=<kind>");
        }
        double value;
        if (!TryStrToFloat(a.value, value))
            throw std::runtime_error(a.name + "=" + a.value + ": not a number");
        const TEntryFieldInfo& info = EntryFieldInfo(*f);
        if (!job.Inputs[*f].Enabled)
            throw std::runtime_error(std::string(info.Name) + " cannot be set under the liquid control '" +
                                     job.Inputs.edLiquidControl + "' (use control=)");
        if (!job.EnterField(*f, value))
            std::cerr << "zemtor: " << info.Name << "=" << a.value << " is outside "
                      << FloatToStr(info.RangeLo) << ".." << FloatToStr(info.RangeHi) << " "
                      << info.StoredUnit << "; " << FloatToStr(job.Inputs[*f].Value) << " used\n";
    }
}

// The default job of the kind, ready for the command.
void buildJob(TCoilJob& job, const JobOptions& options)
{
    const std::optional<std::string> kind = CanonicalCoilKind(options.kind);
    if (!kind)
        throw std::runtime_error("--kind expects zmk, hwc or cwc, not '" + options.kind + "'");
    job.KindCode = *kind;
    job.SetKindDefaults();
    job.BuildCoil();
    if (!job.Coil())
        throw CLI::RuntimeError(1);
    applySettings(job, options);
}

std::string fmt(const char* format, double v)
{
    return Format(format, v);
}

nlohmann::ordered_json resultJson(TCoilJob& job)
{
    TLiquidCoil& c = *job.Coil();
    const TLiquid& l = *job.Liquid();
    const TLiquidState& ls = *c.LiquidState;
    nlohmann::ordered_json j;
    j["kind"] = job.KindCode;
    j["Model"] = c.GetModel();
    j["Maker"] = c.Geometry->Rec.Mnf;
    j["Status"] = SolveStatusName(static_cast<TSolveStatus>(job.LastSolveStatus()));
    j["solved"] = job.Solved();
    j["Qt"] = c.Qt;
    j["Qs"] = c.Qs;
    j["e"] = c.e;
    j["Ntu"] = c.Ntu;
    j["Cr"] = c.Cr;
    j["Qmax"] = c.Qmax;
    j["ho"] = c.ho;
    j["hi"] = c.hi;
    j["Ui"] = c.Ui;
    j["Uo"] = c.Uo;
    j["NtuAir"] = c.NtuAir;
    j["NtuLiquid"] = c.NtuLiquid;
    j["NtuRatio"] = c.NtuRatio;
    j["BypassFactor"] = c.BypassFactor;
    j["ConductanceRatio"] = c.ConductanceRatio;
    j["Rf"] = c.Rf;
    j["SurfaceCondition"] = c.SurfaceCondition;
    j["SurfaceConditionName"] = SurfaceConditionName(c.SurfaceCondition);
    j["ADP"] = c.ADP;
    j["AirCooling"] = c.AirCooling;
    j["ma"] = c.ma;
    j["Va"] = c.Va;
    j["Vf"] = c.Vf;
    j["Ca"] = c.Ca;
    j["Af"] = c.GetAf();
    j["Ao"] = c.Ao;
    j["Ai"] = c.Ai;
    j["air_dp"] = c.AirPressureDrop();
    j["liquid_dp"] = c.LiquidPressureDrop();
    j["PipeSize"] = c.PipeSize();
    j["AirIn"] = AirStateJson(job.AirIn());
    j["AirOut"] = AirStateJson(job.AirOut());
    nlohmann::ordered_json liquid;
    liquid["Name"] = l.GetName();
    liquid["LiquidSpec"] = l.LiquidSpec;
    liquid["tfi"] = l.tfi;
    liquid["tfo"] = l.tfo;
    liquid["m"] = l.m;
    liquid["ro"] = l.ro;
    liquid["Cp"] = l.Cp;
    liquid["mu"] = l.mu;
    liquid["Ko"] = l.Ko;
    liquid["Pr"] = l.Pr;
    liquid["cw"] = ls.cw;
    liquid["vw"] = ls.vw;
    liquid["designdt"] = ls.designdt;
    liquid["ctrl"] = ls.ctrl;
    j["Liquid"] = liquid;
    return j;
}

void printSummary(TCoilJob& job)
{
    TLiquidCoil& c = *job.Coil();
    const TLiquid& l = *job.Liquid();
    const TLiquidState& ls = *c.LiquidState;
    const TAirState& in = job.AirIn();
    const TAirState& out = job.AirOut();
    auto row = [](const std::string& caption, const std::string& text) {
        std::string line = caption;
        line.resize(std::max<std::size_t>(line.size() + 1, 22), ' ');
        std::cout << line << text << "\n";
    };
    auto air = [&](const TAirState& a) {
        return fmt("%0.2f", a.db) + " °C db, " + fmt("%0.2f", a.wb) + " °C wb, " + fmt("%0.5f", a.w) +
               " kg/kg, " + fmt("%0.1f", a.rh * 100) + " % rh";
    };
    row("Coil", job.Inputs.CoilKindLabel + "  " + c.GetModel() + "  (" + job.Inputs.MakerLabel + ", " +
                    job.Inputs.MaterialLabel + ")");
    row("Solve Status", SolveStatusName(static_cast<TSolveStatus>(job.LastSolveStatus())) +
                            (job.Solved() ? "  Solved..." : "  Not Solved..."));
    row("Duty", fmt("%0.3f", c.Qt) + " kW total, " + fmt("%0.3f", c.Qs) + " kW sensible, " +
                    DutyDirectionName(c.AirCooling));
    row("Surface", SurfaceConditionName(c.SurfaceCondition) + ", ADP " + fmt("%0.2f", c.ADP) + " °C");
    row("Air on", air(in));
    row("Air off", air(out));
    row("Barometric pressure", fmt("%0.3f", c.GetPressure()) + " kPa");
    row("Air flow", fmt("%0.4f", c.ma) + " kg/s, " + fmt("%0.4f", c.Va) + " m³/s, face velocity " +
                        fmt("%0.3f", c.Vf) + " m/s");
    row("Air pressure drop", fmt("%0.1f", c.AirPressureDrop()) + " Pa");
    row("Liquid", l.GetName() + ", " + LiquidControlName(ls.ctrl) + " control");
    row("Liquid in/out",
        fmt("%0.2f", l.tfi) + " / " + fmt("%0.2f", l.tfo) + " °C, dT " + fmt("%0.2f", ls.designdt) + " K");
    row("Liquid flow", fmt("%0.4f", l.m) + " kg/s, " + fmt("%0.3f", ls.GetVolumeFlow()) +
                           " l/s, tube velocity " + fmt("%0.3f", ls.vw) + " m/s");
    row("Liquid pressure drop", fmt("%0.2f", c.LiquidPressureDrop()) + " kPa");
    row("Pipe size", std::to_string(c.PipeSize()) + " mm");
    row("Effectiveness", "e " + fmt("%0.4f", c.e) + ", Ntu " + fmt("%0.4f", c.Ntu) + ", Cr " +
                             fmt("%0.4f", c.Cr) + ", Qmax " + fmt("%0.3f", c.Qmax) + " kW");
    row("Capacity rates", "air " + fmt("%0.4f", c.Ca) + " kW/K, liquid " + fmt("%0.4f", ls.cw) + " kW/K");
    row("Coefficients", "ho " + fmt("%0.5f", c.ho) + ", hi " + fmt("%0.5f", c.hi) + ", Ui " +
                            fmt("%0.5f", c.Ui) + ", Uo " + fmt("%0.5f", c.Uo) + " kW/(m²·K)");
    row("Transfer units", "air " + fmt("%0.4f", c.NtuAir) + ", liquid " + fmt("%0.4f", c.NtuLiquid) +
                              ", ratio " + fmt("%0.4f", c.NtuRatio) + ", bypass " +
                              fmt("%0.4f", c.BypassFactor));
    row("Conductance ratio",
        fmt("%0.4f", c.ConductanceRatio) + ", fouling " + fmt("%0.4f", c.Rf) + " m²·K/kW");
    row("Areas", "face " + fmt("%0.4f", c.GetAf()) + ", outside " + fmt("%0.3f", c.Ao) + ", inside " +
                     fmt("%0.3f", c.Ai) + " m²");
}

// The exit status of a finished solve: 1 when it raised an error, 2 when it did not converge.
int solveExit(const TCoilJob& job)
{
    if (job.LastSolveStatus() < 0)
        return 1;
    return job.Solved() ? 0 : 2;
}

void runSolve(const JobOptions& options)
{
    PrintingNotifier notifier;
    ProcessCoilMakers().SetNotifier(&notifier);
    TCoilJob job(&notifier);
    buildJob(job, options);
    job.ActionSolveExecute();
    const int rc = solveExit(job);
    if (rc == 1)
        throw CLI::RuntimeError(1); // the message is already out
    if (options.json)
        std::cout << resultJson(job).dump(2) << "\n";
    else
        printSummary(job);
    if (rc == 2)
        std::cerr << "zemtor: not solved, status "
                  << SolveStatusName(static_cast<TSolveStatus>(job.LastSolveStatus())) << "\n";
    if (rc != 0)
        throw CLI::RuntimeError(rc);
}

void runStep(const JobOptions& options)
{
    PrintingNotifier notifier;
    ProcessCoilMakers().SetNotifier(&notifier);
    TCoilJob job(&notifier);
    buildJob(job, options);
    job.ActionStepByStepExecute();
    if (!job.LastError().empty())
        throw CLI::RuntimeError(1); // the message is already out
    const TStepChartData& chart = job.StepChart();
    const char* sep = options.csv ? "," : "  ";
    if (options.csv) {
        std::cout << "duty," << FloatToStr(chart.Duty) << "\n";
    } else {
        std::cout << chart.Title << "\n"
                  << chart.Captions[0] << "\n"
                  << "Fluid " << chart.Captions[1] << "\n"
                  << "Air " << chart.Captions[2] << "\n";
    }
    std::cout << "step" << sep << chart.CurveNames[0] << sep << chart.CurveNames[1] << sep
              << chart.CurveNames[2] << sep << "DewPoint\n";
    const std::size_t columns = chart.Matrix.empty() ? 0 : chart.Matrix[0].size();
    for (std::size_t i = 0; i < columns; ++i) {
        std::cout << i;
        for (const std::vector<double>& row : chart.Matrix)
            std::cout << sep << (options.csv ? FloatToStr(row[i]) : Format("%0.4f", row[i]));
        std::cout << "\n";
    }
    const int rc = solveExit(job);
    if (rc == 2)
        std::cerr << "zemtor: not solved, status "
                  << SolveStatusName(static_cast<TSolveStatus>(job.LastSolveStatus())) << "\n";
    if (rc != 0)
        throw CLI::RuntimeError(rc);
}

void addJobOptions(CLI::App* cmd, JobOptions& options)
{
    cmd->add_option("--kind", options.kind,
                    "Coil kind: zmk (heat recovery), hwc (hot water), cwc (chilled water)")
        ->default_str("zmk");
    cmd->add_option(
           "--set", options.sets,
           "An input in its stored unit, named as its entry field (edOnCoil=300, edHumidityOn=0.008, "
           "edAirMassflow, edFaceVelocity, edFluidInTemp, edFluidDT, edFluidFlow, edTubeVelocity, "
           "edAltitude, edFinHeight, edFinnedLength, edRows, edFinDensity, edCircuits), or "
           "control=flow|temp, spray=on|off, liquid=<kind number or name> (repeatable)")
        ->type_name("NAME=VALUE");
}

} // namespace

void AddSolveCommand(CLI::App& app)
{
    auto options = std::make_shared<JobOptions>();
    auto* cmd =
        app.add_subcommand("solve", "Rate the default coil of a kind, with inputs changed by --set, and "
                                    "print the thermal summary (or every result as JSON)");
    addJobOptions(cmd, *options);
    cmd->add_flag("--json", options->json, "Print every result field as JSON, in stored units");
    cmd->callback([options] { runSolve(*options); });
}

void AddStepCommand(CLI::App& app)
{
    auto options = std::make_shared<JobOptions>();
    auto* cmd =
        app.add_subcommand("step", "Solve, then run the step-by-step simulation and print its duty and "
                                   "the temperatures of the 100 slices along the air path");
    addJobOptions(cmd, *options);
    cmd->add_flag("--csv", options->csv, "Print comma-separated values");
    cmd->callback([options] { runStep(*options); });
}

} // namespace zmk::cli
