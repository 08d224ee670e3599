#include "app/InputFaults.h"

#include "app/CoilJob.h"
#include "engine/HeatExchanger.h"
#include "engine/LiquidState.h"
#include "geometry/FinAndTube.h"
#include "properties/Fluid.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace zmk {

namespace {

// A value as it would stand in a file: the shortest text that reads back to it ("1e-308",
// "0.01"), or six significant digits where that is long.
std::string valueText(double v)
{
    if (std::isnan(v))
        return "nan";
    char buffer[64];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, v);
    std::string text(buffer, r.ptr);
    if (text.size() > 12) {
        std::snprintf(buffer, sizeof buffer, "%.6g", v);
        text = buffer;
    }
    return text;
}

// "<what>: <value> is below <lo>..." for a value outside [lo, hi]; nothing inside.
std::optional<std::string> outside(const std::string& what, double v, double lo, double hi,
                                   const char* unit = "")
{
    const std::string u = *unit ? std::string(" ") + unit : std::string();
    if (!std::isfinite(v))
        return what + ": " + valueText(v) + u + " is not a number...";
    if (v < lo)
        return what + ": " + valueText(v) + u + " is below " + valueText(lo) + u + "...";
    if (v > hi)
        return what + ": " + valueText(v) + u + " is above " + valueText(hi) + u + "...";
    return std::nullopt;
}

std::optional<std::string> field(const std::string& what, double v, TEntryField f)
{
    const TEntryFieldInfo& info = EntryFieldInfo(f);
    return outside(what, v, info.RangeLo, info.RangeHi);
}

// The pattern's numbers as the catalogue holds them (lengths in mm): each positive, the bore
// inside the tube, the tube inside its pitches.
std::optional<std::string> patternFault(const TModelRec& r)
{
    const std::string where =
        " of pattern \"" + r.Model + "\" of maker \"" + r.Mnf + "\" in the coil maker catalogue";
    struct Length
    {
        const char* name;
        double m;
    };
    const Length lengths[] = {{"id", r.ID}, {"od", r.OD}, {"sx", r.Sx}, {"sy", r.Sy}, {"t", r.tf}};
    for (const Length& l : lengths) {
        const double mm = l.m * 1000;
        if (!std::isfinite(mm))
            return std::string(l.name) + where + ": " + valueText(mm) + " mm is not a number...";
        if (!(mm > 0))
            return std::string(l.name) + where + ": " + valueText(mm) + " mm is not above 0...";
    }
    const Length factors[] = {{"f (fin)", r.fc}, {"f (tube)", r.ft}};
    for (const Length& l : factors)
        if (!std::isfinite(l.m) || !(l.m > 0))
            return std::string(l.name) + where + ": " + valueText(l.m) + " is not above 0...";
    if (r.ID >= r.OD)
        return "id" + where + ": " + valueText(r.ID * 1000) + " mm is not below the tube's od of " +
               valueText(r.OD * 1000) + " mm...";
    if (r.OD >= r.Sy)
        return "od" + where + ": " + valueText(r.OD * 1000) + " mm is not below the tube pitch sy of " +
               valueText(r.Sy * 1000) + " mm...";
    // Staggered rows sit half a pitch apart, so their tubes meet along the diagonal.
    const double rowGap = r.tp == 1 ? r.Sx : std::hypot(r.Sx, r.Sy / 2);
    if (r.OD >= rowGap)
        return "od" + where + ": " + valueText(r.OD * 1000) + " mm does not fit between the rows " +
               (r.tp == 1 ? "(row pitch sx " : "(diagonal pitch of sx ") + valueText(r.Sx * 1000) + " mm)...";
    return std::nullopt;
}

} // namespace

std::optional<std::string> FindInputFault(const TCoilJob& job)
{
    const TLiquidCoil* coil = job.Coil();
    if (!coil || !coil->Geometry)
        return std::nullopt;
    const TModelRec& r = coil->Geometry->Rec;
    if (auto fault = patternFault(r))
        return fault;
    const std::pair<const char*, std::pair<double, TEntryField>> geometry[] = {
        {"fHeight", {r.fHeight, TEntryField::edFinHeight}},
        {"fLength", {r.fLength, TEntryField::edFinnedLength}},
        {"Rows", {r.Rows, TEntryField::edRows}},
        {"fpi", {r.fpi, TEntryField::edFinDensity}},
        {"Circ", {r.Circ, TEntryField::edCircuits}},
    };
    for (const auto& [name, value] : geometry)
        if (auto fault = field(std::string(name) + " in coil geometry", value.first, value.second))
            return fault;

    const TAirState& in = job.AirIn();
    // The moist-air formulas hold from 50 to 120 kPa.
    if (auto fault = outside("Pa in air state", in.P, 50, 120, "kPa"))
        return fault;
    if (auto fault = field("dbi in air state", in.db, TEntryField::edOnCoil))
        return fault;
    if (auto fault = field("ma in air state", coil->ma, TEntryField::edAirMassflow))
        return fault;

    if (const TLiquid* liquid = job.Liquid()) {
        if (auto fault = field("tfi in liquid", liquid->tfi, TEntryField::edFluidInTemp))
            return fault;
        // Only the quantity the control holds fixed is an input; the other follows from it.
        const TLiquidState* state = coil->LiquidState.get();
        if (state && state->ctrl == wcTemp) {
            if (auto fault = field("designdt in liquid state", state->designdt, TEntryField::edFluidDT))
                return fault;
        } else if (auto fault = field("m in liquid", liquid->m, TEntryField::edFluidFlow)) {
            return fault;
        }
    }
    return std::nullopt;
}

std::string SolveFaultText(const TCoilJob& job, const std::exception& fault)
{
    if (const std::optional<std::string> input = FindInputFault(job))
        return *input + " (" + fault.what() + ")";
    return fault.what();
}

std::string SolveFaultMessage(const TCoilJob& job, std::string_view noSolutionMessage)
{
    const std::optional<std::string> input = FindInputFault(job);
    if (!input)
        return std::string(noSolutionMessage);
    const std::size_t titleEnd = noSolutionMessage.find("\r\n");
    return std::string(noSolutionMessage.substr(0, titleEnd)) + "\r\n\r\n" + *input;
}

} // namespace zmk
