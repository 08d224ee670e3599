// The data check's lines and its two forms, text and page.
#include "app/DataCheck.h"

#include "app/CoilJob.h"
#include "base/FileIO.h"
#include "base/NumText.h"
#include "base/TextHelpers.h"
#include "base/Utf8.h"
#include "engine/HeatExchanger.h"
#include "units/Conv.h"

#include <algorithm>
#include <cmath>

namespace zmk {

namespace {

// Usual design ranges beyond the fields' own: outside them a coil still rates, but the user
// should know why the figures look as they do.
constexpr double kFaceVelocityLow = 1.5;  // m/s, below: a large coil for its air
constexpr double kFaceVelocityHigh = 3.5; // m/s, above: high air pressure drop, condensate carried off
constexpr double kTubeVelocityLow = 0.3;  // m/s, below: laminar flow, poor liquid-side coefficient
constexpr double kTubeVelocityHigh = 2.5; // m/s, above: erosion and a high liquid pressure drop

// The air and liquid duties may differ by this fraction before the balance is a fault.
constexpr double kBalanceFraction = 0.005;

// The fields' names in words (the window's captions are a letter or two beside the field).
const char* const kCaptions[kEntryFieldCount] = {
    "Fin height",
    "Finned length",
    "Rows",
    "Fin density",
    "Circuits",
    "Altitude",
    "Air temperature on",
    "Humidity on",
    "Air mass flow",
    "Face velocity",
    "Liquid inlet temperature",
    "Liquid temperature change",
    "Liquid mass flow",
    "Tube velocity",
};

// A value to four significant digits ("0.5334", "1.2", "380"); a range end as it is given.
std::string number(double v)
{
    return Format("%0.4g", v);
}

std::string rangeEnd(double v)
{
    return FloatToStr(v);
}

std::string withUnit(const std::string& text, const char* unit)
{
    return *unit ? text + " " + unit : text;
}

TCheckLine inputLine(const TCoilJob& job, const TEntryFieldInfo& info, const std::optional<TShownUnit>& shown)
{
    const TEntryValue& v = job.Inputs[info.Field];
    TCheckLine line;
    line.Caption = kCaptions[static_cast<int>(info.Field)];
    line.Name = info.Name;
    if (shown) {
        // In the unit the field shows, as the user reads it in the window.
        auto display = [&](double x) { return double(ToDisplay(shown->Offset, shown->Factor, x)); };
        line.Value = withUnit(number(display(v.Value)), shown->Label.c_str());
        // A converted range end to four significant digits, written out in full ("100000",
        // not "1E005").
        auto end = [&](double x) {
            const double v = display(x);
            if (v == 0 || !std::isfinite(v))
                return rangeEnd(v);
            const double scale = std::pow(10.0, 3 - std::floor(std::log10(std::fabs(v))));
            return rangeEnd(std::round(v * scale) / scale);
        };
        line.Range = withUnit(end(info.RangeLo) + " to " + end(info.RangeHi), shown->Label.c_str());
    } else {
        line.Value = withUnit(number(v.Value), info.StoredUnit);
        line.Range = withUnit(rangeEnd(info.RangeLo) + " to " + rangeEnd(info.RangeHi), info.StoredUnit);
    }
    const double span = info.RangeHi - info.RangeLo;
    const double near = 1e-6 * std::max(span, 1e-9);
    if (v.Value < info.RangeLo - near || v.Value > info.RangeHi + near) {
        line.Verdict = "outside the range its field takes";
        line.Level = TCheckLevel::Fault;
    } else if (std::fabs(v.Value - info.RangeLo) <= near && info.RangeLo != 0) {
        line.Verdict = "at the lowest value its field takes";
        line.Level = TCheckLevel::Note;
    } else if (std::fabs(v.Value - info.RangeHi) <= near) {
        line.Verdict = "at the highest value its field takes";
        line.Level = TCheckLevel::Note;
    } else {
        line.Verdict = v.Enabled ? "within range" : "within range (follows from the other inputs)";
    }
    if (line.Level != TCheckLevel::Ok)
        return line;
    // The design sense of a few inputs.
    switch (info.Field) {
    case TEntryField::edFaceVelocity:
        if (v.Value < kFaceVelocityLow || v.Value > kFaceVelocityHigh) {
            line.Verdict =
                Format("within range; coils are usually sized for %0.1f to %0.1f m/s (%s)", kFaceVelocityLow,
                       kFaceVelocityHigh,
                       v.Value > kFaceVelocityHigh ? "high air pressure drop, condensate carried off"
                                                   : "a large coil for its air");
            line.Level = TCheckLevel::Note;
        }
        break;
    case TEntryField::edTubeVelocity:
        if (v.Value < kTubeVelocityLow || v.Value > kTubeVelocityHigh) {
            line.Verdict = Format("within range; tube velocities are usually %0.1f to %0.1f m/s (%s)",
                                  kTubeVelocityLow, kTubeVelocityHigh,
                                  v.Value > kTubeVelocityHigh ? "erosion, high liquid pressure drop"
                                                              : "laminar flow, poor liquid-side coefficient");
            line.Level = TCheckLevel::Note;
        }
        break;
    case TEntryField::edHumidityOn:
        if (const std::string problem = EnteringAirProblem(job.AirIn()); !problem.empty()) {
            line.Verdict = problem;
            line.Level = TCheckLevel::Fault;
        } else {
            line.Verdict = Format("within range (%0.1f %% relative humidity)", 100 * job.AirIn().rh);
        }
        break;
    case TEntryField::edFluidInTemp:
        if (std::fabs(v.Value - job.Inputs.edOnCoil.Value) < 0.05) {
            line.Verdict = "the liquid enters at the air's temperature: there is nothing to exchange";
            line.Level = TCheckLevel::Fault;
        }
        break;
    default:
        break;
    }
    return line;
}

void addResultLines(const TCoilJob& job, TDataCheck& check)
{
    const TLiquidCoil& c = *job.Coil();
    const TLiquid& l = *job.Liquid();
    const TAirState& in = job.AirIn();
    const TAirState& out = job.AirOut();
    auto add = [&check](std::string caption, std::string value, std::string range, const std::string& fault,
                        std::string okVerdict) {
        check.Results.push_back({std::move(caption), "", std::move(value), std::move(range),
                                 fault.empty() ? std::move(okVerdict) : fault,
                                 fault.empty() ? TCheckLevel::Ok : TCheckLevel::Fault});
    };
    add("Entering air", Format("%0.1f %% rh", 100 * in.rh), "at most 100 % rh", EnteringAirProblem(in),
        "below saturation");
    const std::string physical = c.PhysicalCheck();
    add("Leaving temperatures", Format("air %0.2f °C, liquid %0.2f °C", out.db, l.tfo),
        Format("between the inlets, %0.2f and %0.2f °C", std::min(in.db, l.tfi), std::max(in.db, l.tfi)),
        physical, "between the inlets");
    add("Leaving air", Format("%0.1f %% rh", 100 * out.rh), "at most 100 % rh",
        out.rh > 1.001 ? "above saturation" : "", "below saturation");
    // The balance as the check computes it: the air's enthalpy change less the condensate's,
    // against the liquid's heat.
    const double condensate = std::max(0.0, in.w - out.w) * CondensateEnthalpy(c.ADP);
    const double airDuty = c.DryAirFlow() * (in.h - out.h - condensate);
    const double liquidDuty = l.m * l.Cp * (l.tfo - l.tfi);
    const double scale = std::max(std::fabs(airDuty), std::fabs(liquidDuty));
    const double off = scale > 0 ? std::fabs(airDuty - liquidDuty) / scale : 0;
    add("Energy balance", Format("air %0.3f kW, liquid %0.3f kW", std::fabs(airDuty), std::fabs(liquidDuty)),
        Format("within %0.1f %%", 100 * kBalanceFraction),
        off > kBalanceFraction ? Format("the duties differ by %0.2f %%", 100 * off) : "",
        Format("the duties agree within %0.3f %%", 100 * off));
    add("Effectiveness", Format("%0.4f", c.e), "0 to 1",
        c.e < 0 || c.e > 1 ? "outside 0 to 1: no heat exchanger gets there" : "", "possible");
    add("Liquid", l.GetName() + Format(", %0.1f to %0.1f °C", std::min(l.tfi, l.tfo), std::max(l.tfi, l.tfo)),
        Format("data %0.1f to %0.1f °C", l.TMin, l.TMax), c.LiquidLimitCheck(), "within what can be rated");
    for (const TResultWarning& w : c.Warnings)
        check.Results.push_back({"Remark", "", "", "", WarningText(w, true), TCheckLevel::Note});
}

const char* levelWord(TCheckLevel level)
{
    switch (level) {
    case TCheckLevel::Ok:
        return "ok";
    case TCheckLevel::Note:
        return "note";
    case TCheckLevel::Fault:
        return "FAULT";
    }
    return "";
}

} // namespace

const TCheckLine* TDataCheck::Input(std::string_view name) const
{
    for (const TCheckLine& l : Inputs)
        if (l.Name == name)
            return &l;
    return nullptr;
}

int TDataCheck::Faults() const
{
    const auto is = [](const TCheckLine& l) { return l.Level == TCheckLevel::Fault; };
    return static_cast<int>(std::count_if(Inputs.begin(), Inputs.end(), is) +
                            std::count_if(Results.begin(), Results.end(), is));
}

int TDataCheck::Notes() const
{
    const auto is = [](const TCheckLine& l) { return l.Level == TCheckLevel::Note; };
    return static_cast<int>(std::count_if(Inputs.begin(), Inputs.end(), is) +
                            std::count_if(Results.begin(), Results.end(), is));
}

TDataCheck MakeDataCheck(const TCoilJob& job, const TShownUnits& units)
{
    TDataCheck check;
    TLiquidCoil* coil = job.Coil();
    check.Solved = job.Solved() && coil && job.Liquid();
    const TCoilLabels labels = CoilLabels(job);
    check.Coil = labels.Kind + (coil ? "  " + coil->GetModel() : std::string()) +
                 (labels.Maker.empty() ? "" : "  (" + labels.Maker + ")");
    check.Status = std::string(check.Solved ? kSolvedStatus : kNotSolvedStatus);
    if (!check.Solved && !job.LastReason().empty())
        check.Status += " " + job.LastReason();
    for (const TEntryFieldInfo& info : EntryFields())
        check.Inputs.push_back(inputLine(job, info, units[static_cast<int>(info.Field)]));
    check.Inputs.push_back({"Liquid", "", job.Inputs.edFluidType, "", "", TCheckLevel::Ok});
    check.Inputs.push_back({"Liquid control", "", job.Inputs.edLiquidControl, "", "", TCheckLevel::Ok});
    if (coil) {
        check.Inputs.push_back(
            {"Barometric pressure", "", Format("%0.3f kPa", coil->GetPressure()), "", "", TCheckLevel::Ok});
        if (const std::string inlet = coil->InletLimitCheck(); !inlet.empty())
            check.Inputs.back() = {
                "Liquid inlet",    "", Format("%0.2f °C", job.Inputs.edFluidInTemp.Value), "", inlet,
                TCheckLevel::Fault};
    }
    if (check.Solved)
        addResultLines(job, check);
    return check;
}

std::string DataCheckText(const TDataCheck& check)
{
    std::string s = "Coil           " + check.Coil + "\nStatus         " + check.Status + "\n";
    auto section = [&s](const char* title, const std::vector<TCheckLine>& lines) {
        s += std::string("\n") + title + "\n";
        const auto caption = [](const TCheckLine& l) {
            return l.Name.empty() ? l.Caption : l.Caption + " (" + l.Name + ")";
        };
        std::size_t w0 = 0, w1 = 0;
        for (const TCheckLine& l : lines) {
            w0 = std::max(w0, Utf8Length(caption(l)));
            w1 = std::max(w1, Utf8Length(l.Value));
        }
        for (const TCheckLine& l : lines) {
            std::string line = "  " + std::string(levelWord(l.Level));
            line.resize(9, ' ');
            line += caption(l) + std::string(w0 + 2 - Utf8Length(caption(l)), ' ');
            line += l.Value + std::string(w1 + 2 - Utf8Length(l.Value), ' ');
            if (!l.Range.empty())
                line += "[" + l.Range + "]  ";
            line += l.Verdict;
            while (!line.empty() && line.back() == ' ')
                line.pop_back();
            s += line + "\n";
        }
    };
    section("Inputs", check.Inputs);
    if (check.Solved)
        section("Checks of the last solve", check.Results);
    else
        s += "\nChecks of the last solve\n  none: the job is not solved\n";
    s += Format("\n%d fault(s), %d note(s)\n", check.Faults(), check.Notes());
    return s;
}

std::string DataCheckHtml(const TDataCheck& check, const std::string& caption)
{
    std::string s = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Data Check - " +
                    HtmlEscape(caption) +
                    "</title>\n<style>body{font-family:sans-serif;font-size:10pt;margin:12px}"
                    "table{border-collapse:collapse;width:100%}th,td{text-align:left;padding:2px 6px;"
                    "border-bottom:1px solid #ccc;vertical-align:top}th{background:#e8e8e8}"
                    ".ok{color:#1a6b1a}.note{color:#8a5300}.fault{color:#b00020;font-weight:bold}"
                    "</style></head><body>\n<h2>Data Check</h2>\n<p>" +
                    HtmlEscape(check.Coil) + "<br>" + HtmlEscape(check.Status) + "</p>\n";
    auto table = [&s](const char* title, const std::vector<TCheckLine>& lines) {
        s += std::string("<h3>") + title +
             "</h3>\n<table><tr><th>Item</th><th>Value</th><th>Range</th><th>Verdict</th></tr>\n";
        for (const TCheckLine& l : lines) {
            const char* cls = l.Level == TCheckLevel::Ok     ? "ok"
                              : l.Level == TCheckLevel::Note ? "note"
                                                             : "fault";
            s += "<tr><td>" + HtmlEscape(l.Caption) + "</td><td>" + HtmlEscape(l.Value) + "</td><td>" +
                 HtmlEscape(l.Range) + "</td><td class=\"" + cls + "\">" + HtmlEscape(l.Verdict) +
                 "</td></tr>\n";
        }
        s += "</table>\n";
    };
    table("Inputs", check.Inputs);
    if (check.Solved)
        table("Checks of the last solve", check.Results);
    else
        s += "<h3>Checks of the last solve</h3>\n<p>None: the job is not solved (press F9).</p>\n";
    s += Format("<p>%d fault(s), %d note(s)</p>\n</body></html>\n", check.Faults(), check.Notes());
    return s;
}

std::filesystem::path WriteDataCheckPage(const TDataCheck& check, const std::string& caption,
                                         const std::filesystem::path& reportFolder)
{
    const std::filesystem::path file = reportFolder / "DataCheck.htm";
    WriteFileAtomically(file, DataCheckHtml(check, caption));
    return file;
}

} // namespace zmk
