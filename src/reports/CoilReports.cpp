// The coils' own result sections: the main report's table, the diagnostic block and the thermal
// summary, as HTML lines the report pages wrap. The liquid coil form serves the hot water coil
// unchanged; the heat recovery coil and the chilled water coil have forms of their own.
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

// The form of a coil's kind: the heat recovery coil and the chilled water coil have their own,
// the hot water coil (and any other liquid coil) takes the liquid coil's.
Form formOf(const TLiquidCoil& c)
{
    if (dynamic_cast<const TZemtor*>(&c))
        return Form::Zemtor;
    if (dynamic_cast<const TColdWaterCoil*>(&c))
        return Form::Cold;
    return Form::Liquid;
}

// What the writers read, checked once: a coil without its air states or liquid has nothing to
// print and says so instead of failing on a null pointer.
struct Parts
{
    TLiquidCoil& coil;
    const TAirState& in;
    const TAirState& out;
    const TLiquidState& ls;
    const TLiquid& liquid;
};

Parts partsOf(TLiquidCoil& c, const char* where)
{
    if (!c.AirIn || !c.AirOut || !c.LiquidState || !c.LiquidState->Liquid || !c.Geometry)
        throw ZmkError(where, "The coil is not attached to its air states and liquid");
    return {c, *c.AirIn, *c.AirOut, *c.LiquidState, *c.LiquidState->Liquid};
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

void writeReport(TLiquidCoil& c, Form form, std::vector<std::string>& lines)
{
    const Parts p = partsOf(c, "WriteReport");
    TQuantities& q = Quantities();
    const bool z = form == Form::Zemtor;
    TFinAndTube& g = *c.Geometry;

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
    lines.push_back("<tr><td colspan=\"2\">" + HtmlEscape(c.GetModel()) + "</td></tr>");
    if (const std::string designation = g.MakerDesignation(); !designation.empty()) {
        if (z)
            lines.push_back("<tr><td colspan=\"2\">" + HtmlEscape(designation) + "</td></tr>");
        else
            lines.push_back("<tr><td colspan=\"2\"><i>" + HtmlEscape(designation) + "</i></td></tr>");
    }
    if (z) {
        // Always millimetres, whatever the display unit of the dimensions.
        lines.push_back(mm("Fin Height", c.GetFinHeight()));
        lines.push_back(mm("Finned Length", c.GetFinnedLength()));
        lines.push_back(mm("Depth", c.GetDepth()));
    } else {
        lines.push_back(FQ("<tr><td>Fin Height</td><td>%s %s</td></tr>", q.fat_height, c.GetFinHeight()));
        lines.push_back(
            FQ("<tr><td>Finned Length</td><td>%s %s</td></tr>", q.fat_length, c.GetFinnedLength()));
        lines.push_back(FQ("<tr><td>Depth</td><td>%s %s</td></tr>", q.fat_depth, c.GetDepth()));
    }
    lines.emplace_back("<tr><td colspan=\"2\"></td></tr>");
    lines.emplace_back("<tr><th colspan=\"2\">Air</th></tr>");
    lines.push_back(row("Barometer", q.place_barom_pressure, p.in.P));
    lines.push_back(row("Altitude", q.place_altitude, Altitude(p.in.P)));
    lines.push_back(row("Massflow", q.air_mass_flow, c.ma));
    const char* volumeCaption = z ? "Volume flow" : form == Form::Cold ? "Vol flow (in)" : "Volflow in";
    lines.push_back(row(volumeCaption, q.air_vol_flow, c.Va));
    lines.push_back(row("Velocity", q.air_v, c.Vf));
    lines.push_back(row("On Coil", q.air_t, p.in.db));
    if (form == Form::Cold)
        lines.push_back(FQ("<tr><td>Air On RH</td><td>%s %s</td></tr>", q.air_rh, p.in.rh));
    lines.push_back(row("Off Coil", q.air_t, p.out.db));
    if (form == Form::Cold) {
        lines.push_back(FQ("<tr><td>Air Off RH</td><td>%s %s</td></tr>", q.air_rh, p.out.rh));
        lines.push_back(
            FQ("<tr><td>Cond Rate</td><td>%s %s</td></tr>", q.general_cond_rate, c.MoistureRemoval()));
    }
    lines.push_back(row("Pressure Drop", q.air_dp, c.AirPressureDrop()));
    if (z && c.Spray)
        lines.emplace_back("<tr><td>Recirculating sprays</td><td>ON</td></tr>");
    if (c.AirSideMethod != TAirSideMethod::Standard)
        lines.push_back("<tr><td>Air side</td><td>" + AirSideMethodName(c.AirSideMethod) + "</td></tr>");
    if (c.Geometry && c.Geometry->Rec.Fin.Type != TFinType::Plain)
        lines.push_back("<tr><td>Fins</td><td>" + FinTypeName(c.Geometry->Rec.Fin.Type) + "</td></tr>");
    WriteLiquidRows(p.ls, lines);
    lines.push_back(row("Pressure Drop", q.liquid_dp, c.LiquidPressureDrop()));
    lines.emplace_back("<tr><td colspan=\"2\"></td></tr>");
    lines.emplace_back("<tr><th colspan=\"2\">Performance</th></tr>");
    if (z) {
        lines.push_back("<tr><td>Duty</td><td>" + QT(q.hex_duty, kTab, c.Qt) + "</td></tr>");
    } else {
        if (differentDuties(c.Qt, c.Qs)) {
            const double shr = c.Qt == 0 ? std::copysign(1.7e308, c.Qs) : c.Qs / c.Qt;
            lines.push_back(Format("<tr><td>SHR</td><td>%0.3f</td></tr>", shr));
            lines.push_back(FQ("<tr><td>Sensible duty</td><td>%s %s</td></tr>", q.hex_duty, c.Qs));
        }
        lines.push_back(FQ("<tr><td>Total duty</td><td>%s %s</td></tr>", q.hex_duty, c.Qt));
    }
    if (c.Status != TSolveStatus::None)
        lines.push_back(statusRow(c.Status));
    lines.emplace_back("</table>");
}

void writeDiagnostics(TLiquidCoil& c, Form form, std::vector<std::string>& lines)
{
    const Parts p = partsOf(c, "WriteDiagnostics");
    TQuantities& q = Quantities();
    const bool cold = form == Form::Cold;
    TFinAndTube& g = *c.Geometry;
    const double tin = p.ls.GetInletTemp();
    const double tout = p.ls.GetLeavingTemp();
    // The air's capacity rate over its actual change, so that the air-side lines balance the duty.
    const double mcAir = c.Ca;

    lines.emplace_back("<pre>");
    lines.emplace_back("<b>Model</b>");
    lines.push_back(makerAndModel(g));
    const std::string designation = g.MakerDesignation();
    lines.push_back(HtmlEscape(designation.empty() ? c.GetModel() : designation));
    lines.emplace_back("");
    lines.emplace_back("<b>Areas and Volumes</b>");
    lines.push_back(FQ("Ao = %s %s", q.hex_area, c.Ao));
    lines.push_back(FQ("Ai = %s %s", q.hex_area, c.Ai));
    lines.push_back(FQ("Vi = %s %s", q.hex_vol, c.Vi));
    lines.emplace_back("");
    lines.emplace_back("<b>Heat Transfer</b>");
    lines.push_back(FQT("ho = %s", q.hex_u_value, 1000 * c.ho));
    // The published air side says so, with the efficiencies it found at that coefficient.
    if (c.AirSideMethod != TAirSideMethod::Standard) {
        lines.push_back("Air side: " + AirSideMethodName(c.AirSideMethod));
        if (c.Geometry && c.Geometry->Rec.Fin.Type != TFinType::Plain)
            lines.push_back("Fins: " + FinTypeName(c.Geometry->Rec.Fin.Type));
        lines.push_back(Format("&eta;f = %0.3f (fin efficiency at ho)", c.FinEff));
        lines.push_back(Format("&eta;o = %0.3f (surface efficiency)", c.SurfaceEff));
    }
    lines.push_back(FQT("Ui = %s", q.hex_u_value, 1000 * c.Ui));
    lines.push_back(FQT("Uo = %s", q.hex_u_value, 1000 * c.Uo));
    lines.push_back(FQT("Ud = %s", q.hex_u_value, 1000 * c.UoDuty) +
                    (c.FoulingInDuty ? " (duty, fouled)" : " (duty)"));
    if (!c.FoulingInDuty)
        lines.push_back(std::string("(") + kFoulingNotApplied + ")");
    lines.push_back(Format("Ntu = %0.3f", c.Ntu));
    lines.push_back(Format("e = %0.3f", c.e));
    if (cold)
        lines.push_back(FQ("e Qmax = <span class=\"peak\">%s</span> %s", q.hex_duty, c.e * c.Qmax));
    else
        lines.push_back(FQT("e mC(tfi-tai) = %s", q.hex_duty, (tin - p.in.db) * c.e * mcAir));
    lines.emplace_back("");
    lines.emplace_back("<b>Air Side Duty</b>");
    lines.push_back(Format("&beta; = %0.3f (bypass)", c.BypassFactor));
    // The air side's duty from its temperature change (and, for the cooling coil, from its
    // enthalpy change, which counts the condensing moisture).
    const double Qa = mcAir * (p.out.db - p.in.db);
    double rateDuty = Qa;
    if (cold) {
        lines.push_back(FQ("Apparatus Dew Point = %s %s", q.air_t, c.ADP));
        lines.push_back(FQ("mC(air) = %s %s", q.air_mc, mcAir));
        lines.push_back(FQ("mC(dbo-dbi) = %s %s", q.hex_duty, Qa));
        rateDuty = (p.out.h - p.in.h) * c.DryAirFlow();
        lines.push_back(FQ("ma(hao-hai) = <span class=\"peak\">%s</span> %s", q.hex_duty, rateDuty));
    } else {
        lines.push_back(FQT("mC(air) = %s", q.air_mc, mcAir));
        lines.push_back(FQT("mC(dbo-dbi) = %s", q.hex_duty, Qa));
    }
    lines.push_back(
        FQ("Rate = %s %s", q.hex_duty_per_volflow, std::fabs(fc::Div(rateDuty, c.Va, "WriteDiagnostics"))));
    if (cold)
        lines.push_back(FormatQuantityPair("tao = %s %s", q.air_t, false, p.out.db, p.out.wb));
    else
        lines.push_back(FQT("tao = %s", q.air_t, p.out.db));
    if (form == Form::Zemtor)
        lines.push_back(FQT("wao = %s", q.air_w, p.out.w));
    lines.push_back(FQT("dp = %s", q.air_dp, c.AirPressureDrop()));
    lines.emplace_back("");
    lines.emplace_back("<b>Fluid Side Duty</b>");
    lines.push_back(FQT("mC(liq) = %s", q.liquid_mc, p.ls.cw));
    lines.push_back(FQT("tfi = %s", q.liquid_t, tin));
    lines.push_back(FQT("tfo = %s", q.liquid_t, tout));
    lines.push_back(FQT("dp = %s", q.liquid_dp, c.LiquidPressureDrop()));
    if (cold)
        lines.push_back(
            FQ("mC(tfo-tfi) = <span class=\"peak\">%s</span> %s", q.hex_duty, (tout - tin) * p.ls.cw));
    else
        lines.push_back(FQT("Q = mC(tfi-tfo) = %s", q.hex_duty, (tin - tout) * p.ls.cw));
    // Which tube-side correlation the coefficient came from.
    lines.push_back(Format("Re = %0.0f (%s flow)", c.TubeResult.Re, TubeRegimeName(c.TubeResult.Regime)));
    lines.emplace_back("</pre>");
}

void writeThermalSummary(TLiquidCoil& c, Form form, std::vector<std::string>& lines)
{
    const Parts p = partsOf(c, "WriteThermalSummary");
    TQuantities& q = Quantities();
    const bool z = form == Form::Zemtor;
    const double tin = p.ls.GetInletTemp();
    const double tout = p.ls.GetLeavingTemp();
    // A magnitude: heating and cooling coils alike show how far apart the streams are.
    const double dtlm = std::fabs(LogMeanDt(p.in.db, p.out.db, tin, tout));

    // "text %s %s" through the row format, or "text %s" with the quantity text.
    auto line = [&](const char* liquidFmt, const char* zemtorFmt, UnitRec& quantity, double v) {
        return z ? FQT(zemtorFmt, quantity, v) : FQ(liquidFmt, quantity, v);
    };

    lines.emplace_back("<pre>");
    if (c.AirSideMethod != TAirSideMethod::Standard)
        lines.push_back("Air side: " + AirSideMethodName(c.AirSideMethod));
    // A plain fin, which every coil had before the fin type was kept, adds nothing.
    if (c.Geometry && c.Geometry->Rec.Fin.Type != TFinType::Plain)
        lines.push_back("Fins: " + FinTypeName(c.Geometry->Rec.Fin.Type));
    lines.push_back(line("Af   = %s %s (face)", "Af   = %s (face)", q.hex_area, c.GetAf()));
    lines.push_back(line("Ao   = %s %s (air side)", "Ao   = %s (air side)", q.hex_area, c.Ao));
    lines.push_back(line("Uo   = %s %s", "Uo   = %s", q.hex_u_value, 1000 * c.Uo));
    lines.push_back(line("Ud   = %s %s (duty)", "Ud   = %s (duty)", q.hex_u_value, 1000 * c.UoDuty));
    lines.push_back(line("&delta;t   = %s %s (log mean)", "&delta;t   = %s (log mean)", q.hex_dt, dtlm));
    lines.push_back(Format("&epsilon;    = %0.3f (effectiveness)", c.e));
    lines.emplace_back("");
    lines.push_back(DutyDirectionName(c.AirCooling));
    lines.push_back(line("dbo  = %s %s", "dbo  = %s", q.air_t, p.out.db));
    lines.push_back(line("Wao  = %s %s", "wao  = %s", q.air_w, p.out.w));
    // A wet surface: the moisture the air leaves on it.
    if (const double condensate = c.MoistureRemoval(); condensate > 0) {
        std::string text = line("cond = %s %s", "cond = %s", q.general_cond_rate, condensate);
        if (c.SurfaceCondition != scDry)
            text += " (" + SurfaceConditionName(c.SurfaceCondition) + ")";
        lines.push_back(text);
    }
    lines.push_back(line("dpa  = %s %s", "dpa  = %s", q.air_dp, c.AirPressureDrop()));
    lines.emplace_back("");
    lines.push_back(HtmlEscape(p.liquid.GetName()));
    lines.push_back(line("tfo  = %s %s", "tfo  = %s", q.liquid_t, tout));
    lines.push_back(line("dpf  = %s %s", "dpf  = %s", q.liquid_dp, c.LiquidPressureDrop()));
    lines.emplace_back("");
    lines.emplace_back("Duty");
    lines.push_back(FQ("rate = %s %s", q.hex_duty_per_volflow, fc::Div(c.Qt, c.Va, "WriteThermalSummary")));
    if (differentDuties(c.Qt, c.Qs))
        lines.push_back(line("Qs   = %s %s", "Qs   = %s", q.hex_duty, c.Qs));
    lines.push_back(line("Qt   = %s %s", "Qt   = %s", q.hex_duty, c.Qt));
    lines.emplace_back("</pre>");
    if (!c.FoulingInDuty)
        lines.push_back(std::string("<pre class=\"warn\">Note: ") + kFoulingNotApplied +
                        " (Uo includes it; the duty used Ud).</pre>");
    for (const TResultWarning& w : c.Warnings)
        lines.push_back("<pre class=\"warn\">Warning: " + WarningText(w, false) + "</pre>");
    if (z && (p.out.w > p.in.w || p.out.rh > 1))
        lines.emplace_back(
            "<pre class=\"warn\">Warning: Sensible cooling has been limited by the saturation line.</pre>");
    if (c.Status != TSolveStatus::None) {
        if (!c.Reason.empty())
            lines.push_back("<pre class=\"warn\">" + HtmlEscape(c.Reason) + "</pre>");
        lines.emplace_back("<pre id=\"status\">Not solved...</pre>");
    }
}

} // namespace

void WriteLiquidRows(const TLiquidState& state, std::vector<std::string>& lines)
{
    if (!state.Liquid)
        throw ZmkError("WriteLiquidRows", "The liquid state has no liquid");
    TQuantities& q = Quantities();
    lines.emplace_back("<tr><td colspan=\"2\"></td></tr>");
    lines.push_back("<tr><th colspan=\"2\">" + HtmlEscape(state.Liquid->GetName()) + "</th></tr>");
    lines.push_back(FQ("<tr><td>Mass Flow</td><td>%s %s</td></tr>", q.liquid_mass_flow, state.GetMassFlow()));
    lines.push_back(FQ("<tr><td>Velocity</td><td>%s %s</td></tr>", q.liquid_v, state.vw));
    lines.push_back(FQ("<tr><td>Inlet Temp.</td><td>%s %s</td></tr>", q.liquid_t, state.GetInletTemp()));
    lines.push_back(FQ("<tr><td>Leaving Temp.</td><td>%s %s</td></tr>", q.liquid_t, state.GetLeavingTemp()));
}

void WriteCoilReport(TLiquidCoil& c, std::vector<std::string>& lines)
{
    writeReport(c, formOf(c), lines);
}

void WriteCoilDiagnostics(TLiquidCoil& c, std::vector<std::string>& lines)
{
    writeDiagnostics(c, formOf(c), lines);
}

void WriteCoilThermalSummary(TLiquidCoil& c, std::vector<std::string>& lines)
{
    // The chilled water coil shows the liquid coil's summary, unchanged.
    const Form form = formOf(c);
    writeThermalSummary(c, form == Form::Cold ? Form::Liquid : form, lines);
}

} // namespace zmk
