// The coils' own result sections: the main report's table, the diagnostic block and the thermal
// summary, as HTML lines the report pages wrap. The liquid coil form serves the hot water coil
// unchanged; the heat recovery coil and the chilled water coil have forms of their own. The
// sections read a rating's value result and the coil's geometry; a coil is written by taking its
// result as it stands.
//
// Every value passes through its registered quantity (display unit and label); the section and
// key of each quantity are those of the units file (air/t is Quantities().air_t). Texts that
// come from the project file or the catalogue (maker, model, size text, liquid caption) are
// HTML-escaped, since a page may be opened in a browser.
#include "reports/CoilReports.h"

#include "base/Errors.h"
#include "base/NumText.h"
#include "base/TextHelpers.h"
#include "engine/FloatChecks.h"
#include "engine/HeatExchanger.h"
#include "engine/LiquidState.h"
#include "engine/RateCoil.h"
#include "units/ConvTools.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>
#include <vector>

namespace zmk {

namespace {

constexpr char kTab[] = "\t";

// FormatQuantity with the number format chosen from the value.
std::string FQ(std::string_view fmt, UnitRec& q, double v)
{
    return FormatQuantity(fmt, q, false, v);
}

// Number, separator and unit label.
std::string QT(UnitRec& q, std::string_view sep, double v)
{
    return QuantityText(q, true, sep, false, v);
}

// A line whose one "%s" takes the value with a blank and its label.
std::string FQT(const char* fmt, UnitRec& q, double v)
{
    return Format(fmt, QT(q, " ", v));
}

// The three forms of the writers.
enum class Form { Liquid, Zemtor, Cold };

// The form of a kind: the heat recovery coil and the chilled water coil have their own, the hot
// water coil (and any other liquid coil) takes the liquid coil's.
Form formOf(std::string_view kind)
{
    if (kind == "zmk")
        return Form::Zemtor;
    if (kind == "cwc")
        return Form::Cold;
    return Form::Liquid;
}

// The kind code of a coil's class.
const char* kindOf(const TLiquidCoil& c)
{
    if (dynamic_cast<const TZemtor*>(&c))
        return "zmk";
    if (dynamic_cast<const TColdWaterCoil*>(&c))
        return "cwc";
    return "hwc";
}

// A coil's result as it stands, checked first: a coil without its air states or liquid has
// nothing to print and says so instead of failing on a null pointer.
TCoilResult resultOf(const TLiquidCoil& c, const char* where)
{
    if (!c.AirIn || !c.AirOut || !c.LiquidState || !c.LiquidState->Liquid || !c.Geometry)
        throw ZmkError(where, "The coil is not attached to its air states and liquid");
    TCoilResult r = CoilResultOf(c);
    r.Kind = kindOf(c);
    return r;
}

// The liquid block of the main report.
void liquidRows(const std::string& name, double massFlow, double velocity, double tin, double tout,
                std::vector<std::string>& lines)
{
    TQuantities& q = Quantities();
    lines.emplace_back("<tr><td colspan=\"2\"></td></tr>");
    lines.push_back("<tr><th colspan=\"2\">" + HtmlEscape(name) + "</th></tr>");
    lines.push_back(FQ("<tr><td>Mass Flow</td><td>%s %s</td></tr>", q.liquid_mass_flow, massFlow));
    lines.push_back(FQ("<tr><td>Velocity</td><td>%s %s</td></tr>", q.liquid_v, velocity));
    lines.push_back(FQ("<tr><td>Inlet Temp.</td><td>%s %s</td></tr>", q.liquid_t, tin));
    lines.push_back(FQ("<tr><td>Leaving Temp.</td><td>%s %s</td></tr>", q.liquid_t, tout));
}

// What the pages say of the U value the duty used, Ud: Uo carries the fouling, the duty takes it
// only when asked to. Lines stay short: the pages are shown in a narrow view.
constexpr char kFoulingNotApplied[] = "fouling not applied to the duty";

// Qt and Qs differ beyond rounding.
bool differentDuties(double Qt, double Qs)
{
    const double tol = std::max(1e-12, 1e-12 * std::min(std::fabs(Qt), std::fabs(Qs)));
    return std::fabs(Qt - Qs) > tol;
}

std::string statusRow(TSolveStatus status)
{
    return "<tr><td colspan=\"2\">Solve Status" + SolveStatusName(status) + "</td></tr>";
}

std::string makerAndModel(const TFinAndTube& g)
{
    return HtmlEscape(g.Rec.Mnf) + " (" + HtmlEscape(g.Rec.Model) + ")";
}

void writeReport(const TCoilResult& r, const TFinAndTube& g, Form form, std::vector<std::string>& lines)
{
    const TAirState& in = r.AirIn;
    const TAirState& out = r.AirOut;
    TQuantities& q = Quantities();
    const bool z = form == Form::Zemtor;

    // An air-side (or liquid pressure drop) row: tab-separated label for the heat recovery
    // coil, blank-separated through the row format for the others.
    auto row = [&](const std::string& caption, UnitRec& quantity, double v) {
        if (z)
            return "<tr><td>" + caption + "</td><td>" + QT(quantity, kTab, v) + "</td></tr>";
        return FQ("<tr><td>" + caption + "</td><td>%s %s</td></tr>", quantity, v);
    };
    auto mm = [](const std::string& caption, double metres) {
        return "<tr><td>" + caption + "</td><td>" + FloatToStr(1000 * metres) + " mm</td></tr>";
    };

    lines.emplace_back("<p>&nbsp;</p>");
    lines.emplace_back("<table>");
    lines.emplace_back("<tr><td width=\"180\"></td><td width=\"100\"></td></tr>");
    lines.emplace_back("<tr><th colspan=\"2\">Model</th></tr>");
    if (z)
        lines.push_back("<tr><td colspan=\"2\">" + makerAndModel(g) + "</td></tr>");
    else
        lines.push_back("<tr><td colspan=\"2\">" + HtmlEscape(g.TubeLine()) + "</td></tr>");
    lines.push_back("<tr><td colspan=\"2\">" + HtmlEscape(r.Model) + "</td></tr>");
    if (const std::string designation = g.MakerDesignation(); !designation.empty()) {
        if (z)
            lines.push_back("<tr><td colspan=\"2\">" + HtmlEscape(designation) + "</td></tr>");
        else
            lines.push_back("<tr><td colspan=\"2\"><i>" + HtmlEscape(designation) + "</i></td></tr>");
    }
    if (z) {
        // Always millimetres, whatever the display unit of the dimensions.
        lines.push_back(mm("Fin Height", g.Rec.fHeight));
        lines.push_back(mm("Finned Length", g.Rec.fLength));
        lines.push_back(mm("Depth", g.Depth));
    } else {
        lines.push_back(FQ("<tr><td>Fin Height</td><td>%s %s</td></tr>", q.fat_height, g.Rec.fHeight));
        lines.push_back(
            FQ("<tr><td>Finned Length</td><td>%s %s</td></tr>", q.fat_length, g.Rec.fLength));
        lines.push_back(FQ("<tr><td>Depth</td><td>%s %s</td></tr>", q.fat_depth, g.Depth));
    }
    lines.emplace_back("<tr><td colspan=\"2\"></td></tr>");
    lines.emplace_back("<tr><th colspan=\"2\">Air</th></tr>");
    lines.push_back(row("Barometer", q.place_barom_pressure, in.P));
    lines.push_back(row("Altitude", q.place_altitude, Altitude(in.P)));
    lines.push_back(row("Massflow", q.air_mass_flow, r.ma));
    const char* volumeCaption = z ? "Volume flow" : form == Form::Cold ? "Vol flow (in)" : "Volflow in";
    lines.push_back(row(volumeCaption, q.air_vol_flow, r.Va));
    lines.push_back(row("Velocity", q.air_v, r.Vf));
    lines.push_back(row("On Coil", q.air_t, in.db));
    if (form == Form::Cold)
        lines.push_back(FQ("<tr><td>Air On RH</td><td>%s %s</td></tr>", q.air_rh, in.rh));
    lines.push_back(row("Off Coil", q.air_t, out.db));
    if (form == Form::Cold) {
        lines.push_back(FQ("<tr><td>Air Off RH</td><td>%s %s</td></tr>", q.air_rh, out.rh));
        lines.push_back(
            FQ("<tr><td>Cond Rate</td><td>%s %s</td></tr>", q.general_cond_rate, r.mCondensate));
    }
    lines.push_back(row("Pressure Drop", q.air_dp, r.AirDp));
    if (z && r.Spray)
        lines.emplace_back("<tr><td>Recirculating sprays</td><td>ON</td></tr>");
    if (r.AirSideMethod != TAirSideMethod::Standard)
        lines.push_back("<tr><td>Air side</td><td>" + AirSideMethodName(r.AirSideMethod) + "</td></tr>");
    if (r.FinType != TFinType::Plain)
        lines.push_back("<tr><td>Fins</td><td>" + FinTypeName(r.FinType) + "</td></tr>");
    liquidRows(r.LiquidName, r.mw, r.vw, r.tfi, r.tfo, lines);
    lines.push_back(row("Pressure Drop", q.liquid_dp, r.LiquidDp));
    lines.emplace_back("<tr><td colspan=\"2\"></td></tr>");
    lines.emplace_back("<tr><th colspan=\"2\">Performance</th></tr>");
    if (z) {
        lines.push_back("<tr><td>Duty</td><td>" + QT(q.hex_duty, kTab, r.Qt) + "</td></tr>");
    } else {
        if (differentDuties(r.Qt, r.Qs)) {
            const double shr = r.Qt == 0 ? std::copysign(1.7e308, r.Qs) : r.Qs / r.Qt;
            lines.push_back(Format("<tr><td>SHR</td><td>%0.3f</td></tr>", shr));
            lines.push_back(FQ("<tr><td>Sensible duty</td><td>%s %s</td></tr>", q.hex_duty, r.Qs));
        }
        lines.push_back(FQ("<tr><td>Total duty</td><td>%s %s</td></tr>", q.hex_duty, r.Qt));
    }
    if (r.Status != TSolveStatus::None)
        lines.push_back(statusRow(r.Status));
    lines.emplace_back("</table>");
}

void writeDiagnostics(const TCoilResult& r, const TFinAndTube& g, Form form, std::vector<std::string>& lines)
{
    const TAirState& in = r.AirIn;
    const TAirState& out = r.AirOut;
    TQuantities& q = Quantities();
    const bool cold = form == Form::Cold;
    const double tin = r.tfi;
    const double tout = r.tfo;
    // The air's capacity rate over its actual change, so that the air-side lines balance the duty.
    const double mcAir = r.Ca;

    lines.emplace_back("<pre>");
    lines.emplace_back("<b>Model</b>");
    lines.push_back(makerAndModel(g));
    const std::string designation = g.MakerDesignation();
    lines.push_back(HtmlEscape(designation.empty() ? r.Model : designation));
    lines.emplace_back("");
    lines.emplace_back("<b>Areas and Volumes</b>");
    lines.push_back(FQ("Ao = %s %s", q.hex_area, r.Ao));
    lines.push_back(FQ("Ai = %s %s", q.hex_area, r.Ai));
    lines.push_back(FQ("Vi = %s %s", q.hex_vol, r.Vi));
    lines.emplace_back("");
    lines.emplace_back("<b>Heat Transfer</b>");
    lines.push_back(FQT("ho = %s", q.hex_u_value, 1000 * r.ho));
    // The published air side says so, with the efficiencies it found at that coefficient.
    if (r.AirSideMethod != TAirSideMethod::Standard) {
        lines.push_back("Air side: " + AirSideMethodName(r.AirSideMethod));
        if (r.FinType != TFinType::Plain)
            lines.push_back("Fins: " + FinTypeName(r.FinType));
        lines.push_back(Format("&eta;f = %0.3f (fin efficiency at ho)", r.FinEff));
        lines.push_back(Format("&eta;o = %0.3f (surface efficiency)", r.SurfaceEff));
    }
    lines.push_back(FQT("Ui = %s", q.hex_u_value, 1000 * r.Ui));
    lines.push_back(FQT("Uo = %s", q.hex_u_value, 1000 * r.Uo));
    lines.push_back(FQT("Ud = %s", q.hex_u_value, 1000 * r.UoDuty) +
                    (r.FoulingInDuty ? " (duty, fouled)" : " (duty)"));
    if (!r.FoulingInDuty)
        lines.push_back(std::string("(") + kFoulingNotApplied + ")");
    lines.push_back(Format("Ntu = %0.3f", r.Ntu));
    lines.push_back(Format("e = %0.3f", r.e));
    if (cold)
        lines.push_back(FQ("e Qmax = <span class=\"peak\">%s</span> %s", q.hex_duty, r.e * r.Qmax));
    else
        lines.push_back(FQT("e mC(tfi-tai) = %s", q.hex_duty, (tin - in.db) * r.e * mcAir));
    lines.emplace_back("");
    lines.emplace_back("<b>Air Side Duty</b>");
    lines.push_back(Format("&beta; = %0.3f (bypass)", r.BypassFactor));
    // The air side's duty from its temperature change (and, for the cooling coil, from its
    // enthalpy change, which counts the condensing moisture).
    const double Qa = mcAir * (out.db - in.db);
    double rateDuty = Qa;
    if (cold) {
        lines.push_back(FQ("Apparatus Dew Point = %s %s", q.air_t, r.ADP));
        lines.push_back(FQ("mC(air) = %s %s", q.air_mc, mcAir));
        lines.push_back(FQ("mC(dbo-dbi) = %s %s", q.hex_duty, Qa));
        rateDuty = (out.h - in.h) * (r.ma / (1 + in.w));
        lines.push_back(FQ("ma(hao-hai) = <span class=\"peak\">%s</span> %s", q.hex_duty, rateDuty));
    } else {
        lines.push_back(FQT("mC(air) = %s", q.air_mc, mcAir));
        lines.push_back(FQT("mC(dbo-dbi) = %s", q.hex_duty, Qa));
    }
    lines.push_back(
        FQ("Rate = %s %s", q.hex_duty_per_volflow, std::fabs(fc::Div(rateDuty, r.Va, "WriteDiagnostics"))));
    if (cold)
        lines.push_back(FormatQuantityPair("tao = %s %s", q.air_t, false, out.db, out.wb));
    else
        lines.push_back(FQT("tao = %s", q.air_t, out.db));
    if (form == Form::Zemtor)
        lines.push_back(FQT("wao = %s", q.air_w, out.w));
    lines.push_back(FQT("dp = %s", q.air_dp, r.AirDp));
    lines.emplace_back("");
    lines.emplace_back("<b>Fluid Side Duty</b>");
    lines.push_back(FQT("mC(liq) = %s", q.liquid_mc, r.cw));
    lines.push_back(FQT("tfi = %s", q.liquid_t, tin));
    lines.push_back(FQT("tfo = %s", q.liquid_t, tout));
    lines.push_back(FQT("dp = %s", q.liquid_dp, r.LiquidDp));
    if (cold)
        lines.push_back(
            FQ("mC(tfo-tfi) = <span class=\"peak\">%s</span> %s", q.hex_duty, (tout - tin) * r.cw));
    else
        lines.push_back(FQT("Q = mC(tfi-tfo) = %s", q.hex_duty, (tin - tout) * r.cw));
    // Which tube-side correlation the coefficient came from.
    lines.push_back(Format("Re = %0.0f (%s flow)", r.TubeRe, TubeRegimeName(r.TubeRegime)));
    lines.emplace_back("</pre>");
}

void writeThermalSummary(const TCoilResult& r, Form form, std::vector<std::string>& lines)
{
    const TAirState& in = r.AirIn;
    const TAirState& out = r.AirOut;
    TQuantities& q = Quantities();
    const bool z = form == Form::Zemtor;
    const double tin = r.tfi;
    const double tout = r.tfo;
    // A magnitude: heating and cooling coils alike show how far apart the streams are.
    const double dtlm = std::fabs(LogMeanDt(in.db, out.db, tin, tout));

    // "text %s %s" through the row format, or "text %s" with the quantity text.
    auto line = [&](const char* liquidFmt, const char* zemtorFmt, UnitRec& quantity, double v) {
        return z ? FQT(zemtorFmt, quantity, v) : FQ(liquidFmt, quantity, v);
    };

    lines.emplace_back("<pre>");
    if (r.AirSideMethod != TAirSideMethod::Standard)
        lines.push_back("Air side: " + AirSideMethodName(r.AirSideMethod));
    // A plain fin, which every coil had before the fin type was kept, adds nothing.
    if (r.FinType != TFinType::Plain)
        lines.push_back("Fins: " + FinTypeName(r.FinType));
    lines.push_back(line("Af   = %s %s (face)", "Af   = %s (face)", q.hex_area, r.Af));
    lines.push_back(line("Ao   = %s %s (air side)", "Ao   = %s (air side)", q.hex_area, r.Ao));
    lines.push_back(line("Uo   = %s %s", "Uo   = %s", q.hex_u_value, 1000 * r.Uo));
    lines.push_back(line("Ud   = %s %s (duty)", "Ud   = %s (duty)", q.hex_u_value, 1000 * r.UoDuty));
    lines.push_back(line("&delta;t   = %s %s (log mean)", "&delta;t   = %s (log mean)", q.hex_dt, dtlm));
    lines.push_back(Format("&epsilon;    = %0.3f (effectiveness)", r.e));
    lines.emplace_back("");
    lines.push_back(DutyDirectionName(r.AirCooling));
    lines.push_back(line("dbo  = %s %s", "dbo  = %s", q.air_t, out.db));
    lines.push_back(line("Wao  = %s %s", "wao  = %s", q.air_w, out.w));
    // A wet surface: the moisture the air leaves on it.
    if (const double condensate = r.mCondensate; condensate > 0) {
        std::string text = line("cond = %s %s", "cond = %s", q.general_cond_rate, condensate);
        if (r.SurfaceCondition != scDry)
            text += " (" + SurfaceConditionName(r.SurfaceCondition) + ")";
        lines.push_back(text);
    }
    lines.push_back(line("dpa  = %s %s", "dpa  = %s", q.air_dp, r.AirDp));
    lines.emplace_back("");
    lines.push_back(HtmlEscape(r.LiquidName));
    lines.push_back(line("tfo  = %s %s", "tfo  = %s", q.liquid_t, tout));
    lines.push_back(line("dpf  = %s %s", "dpf  = %s", q.liquid_dp, r.LiquidDp));
    lines.emplace_back("");
    lines.emplace_back("Duty");
    lines.push_back(FQ("rate = %s %s", q.hex_duty_per_volflow, fc::Div(r.Qt, r.Va, "WriteThermalSummary")));
    if (differentDuties(r.Qt, r.Qs))
        lines.push_back(line("Qs   = %s %s", "Qs   = %s", q.hex_duty, r.Qs));
    lines.push_back(line("Qt   = %s %s", "Qt   = %s", q.hex_duty, r.Qt));
    lines.emplace_back("</pre>");
    if (!r.FoulingInDuty)
        lines.push_back(std::string("<pre class=\"warn\">Note: ") + kFoulingNotApplied +
                        " (Uo includes it; the duty used Ud).</pre>");
    for (const TResultWarning& w : r.Warnings)
        lines.push_back("<pre class=\"warn\">Warning: " + WarningText(w, false) + "</pre>");
    if (z && (out.w > in.w || out.rh > 1))
        lines.emplace_back(
            "<pre class=\"warn\">Warning: Sensible cooling has been limited by the saturation line.</pre>");
    if (r.Status != TSolveStatus::None) {
        if (!r.Reason.empty())
            lines.push_back("<pre class=\"warn\">" + HtmlEscape(r.Reason) + "</pre>");
        lines.emplace_back("<pre id=\"status\">Not solved...</pre>");
    }
}

} // namespace

void WriteLiquidRows(const TLiquidState& state, std::vector<std::string>& lines)
{
    if (!state.Liquid)
        throw ZmkError("WriteLiquidRows", "The liquid state has no liquid");
    liquidRows(state.Liquid->GetName(), state.GetMassFlow(), state.vw, state.GetInletTemp(),
               state.GetLeavingTemp(), lines);
}

void WriteCoilReport(const TCoilResult& r, const TFinAndTube& g, std::vector<std::string>& lines)
{
    writeReport(r, g, formOf(r.Kind), lines);
}

void WriteCoilDiagnostics(const TCoilResult& r, const TFinAndTube& g, std::vector<std::string>& lines)
{
    writeDiagnostics(r, g, formOf(r.Kind), lines);
}

void WriteCoilThermalSummary(const TCoilResult& r, std::vector<std::string>& lines)
{
    // The chilled water coil shows the liquid coil's summary, unchanged.
    const Form form = formOf(r.Kind);
    writeThermalSummary(r, form == Form::Cold ? Form::Liquid : form, lines);
}

void WriteCoilReport(const TLiquidCoil& c, std::vector<std::string>& lines)
{
    const TCoilResult r = resultOf(c, "WriteReport");
    WriteCoilReport(r, *c.Geometry, lines);
}

void WriteCoilDiagnostics(const TLiquidCoil& c, std::vector<std::string>& lines)
{
    const TCoilResult r = resultOf(c, "WriteDiagnostics");
    WriteCoilDiagnostics(r, *c.Geometry, lines);
}

void WriteCoilThermalSummary(const TLiquidCoil& c, std::vector<std::string>& lines)
{
    WriteCoilThermalSummary(resultOf(c, "WriteThermalSummary"), lines);
}

} // namespace zmk
