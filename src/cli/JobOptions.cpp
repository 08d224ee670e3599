#include "cli/JobOptions.h"
#include "cli/ProjectCli.h"

#include "app/ProjectSession.h"
#include "base/Errors.h"
#include "base/TextHelpers.h"

#include "app/CoilJob.h"
#include "base/NumText.h"
#include "engine/HeatExchanger.h"
#include "properties/Fluid.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <cfloat>
#include <cmath>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace zmk::cli {

namespace {

// Liquid kind by number (0..13) or by listed name, any letter case; -1 when it is neither.
int liquidKindOf(const std::string& text)
{
    long long n;
    if (TryStrToInt(text, n))
        return n >= 0 && n < kLiquidKindCount ? static_cast<int>(n) : -1;
    for (int k = 0; k < kLiquidKindCount; ++k)
        if (LowerCase(LiquidKindName(k)) == LowerCase(text))
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

// A value as a message shows it: a long one cut, with its length, and no control characters.
std::string shownValue(const std::string& value)
{
    constexpr std::size_t kShown = 24;
    if (value.size() <= kShown)
        return PrintableText(value);
    return PrintableText(value.substr(0, kShown)) + "... (" + std::to_string(value.size()) + " characters)";
}

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
void applySettings(TCoilJob& job, const JobOptions& options, std::vector<std::string>* clamped,
                   std::ostream& notes)
{
    std::vector<Assignment> fields;
    for (const std::string& text : options.sets) {
        const Assignment a = splitAssignment(text);
        const std::string key = LowerCase(a.name);
        if (key == "liquid") {
            const int kind = liquidKindOf(a.value);
            if (kind < 0 || !job.SetLiquidKind(kind))
                throw std::runtime_error("liquid= expects a liquid kind: " + liquidKindList());
        } else if (key == "control") {
            const std::string v = LowerCase(a.value);
            if (v != "flow" && v != "temp")
                throw std::runtime_error("control= expects flow or temp, not '" + a.value + "'");
            const std::uint8_t want = v == "flow" ? wcFlow : wcTemp;
            if (job.Coil()->LiquidState->ctrl != want)
                job.ToggleLiquidControl();
        } else if (key == "spray") {
            const std::string v = LowerCase(a.value);
            if (v != "on" && v != "off")
                throw std::runtime_error("spray= expects on or off, not '" + a.value + "'");
            job.SetSpray(v == "on");
        } else if (key == "airside") {
            const std::optional<TAirSideMethod> method = AirSideMethodOfKey(a.value);
            if (!method)
                throw std::runtime_error("airside= expects standard or published, not '" + a.value + "'");
            if (job.Coil()->AirSideMethod != *method) {
                job.Coil()->SetAirSideMethod(*method);
                job.MarkNotSolved();
            }
        } else if (key == "fintype") {
            const std::optional<TFinType> type = FinTypeOfKey(a.value);
            if (!type)
                throw std::runtime_error("fintype= expects plain, louvered or wavy, not '" + a.value + "'");
            TModelRec rec = job.Coil()->Geometry->Rec;
            if (rec.Fin.Type != *type) {
                rec.Fin.Type = *type;
                job.Coil()->SetModelRecord(rec);
                job.MarkNotSolved();
            }
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
                                     ", control=flow|temp, spray=on|off, airside=standard|published, "
                                     "fintype=plain|louvered|wavy and liquid=<kind>");
        }
        const TEntryFieldInfo& info = EntryFieldInfo(*f);
        const std::string range = FloatToStr(info.RangeLo) + ".." + FloatToStr(info.RangeHi) +
                                  (*info.StoredUnit ? std::string(" ") + info.StoredUnit : std::string());
        const std::string given = std::string(info.Name) + "=" + shownValue(a.value);
        double value = 0;
        switch (NumberTextFault(a.value)) {
        case TNumberTextFault::None:
            (void)TryStrToFloat(a.value, value);
            break;
        case TNumberTextFault::OutOfRange:
            throw std::runtime_error(given + ": out of range: the number is too long to be held (beyond " +
                                     FloatToStr(DBL_MAX) + "); " + info.Name + " takes " + range);
        case TNumberTextFault::NotANumber:
            throw std::runtime_error(given + ": not a number; " + info.Name + " takes " + range);
        }
        // Rows and circuits are counts: a fraction of one is refused, not rounded behind the user's back.
        if (info.WholeNumber && value != std::trunc(value))
            throw std::runtime_error(given + ": not a whole number; " + info.Name + " takes whole numbers " +
                                     range);
        if (!job.Inputs[*f].Enabled)
            throw std::runtime_error(std::string(info.Name) + " cannot be set under the liquid control '" +
                                     job.Inputs.edLiquidControl + "' (use control=)");
        if (!job.EnterField(*f, value)) {
            const std::string note = std::string(info.Name) + "=" + a.value + " is outside " +
                                     FloatToStr(info.RangeLo) + ".." + FloatToStr(info.RangeHi) + " " +
                                     info.StoredUnit + "; " + FloatToStr(job.Inputs[*f].Value) + " used";
            // A script that asked for --strict must not get a rating of something it did not ask for.
            if (options.strict)
                throw std::runtime_error(note + " (--strict: nothing rated)");
            notes << "zemtor: " << note << "\n";
            if (clamped)
                clamped->push_back(note + ".");
        }
    }
}

} // namespace

void BuildJob(TProjectSession& session, const JobOptions& options, std::vector<std::string>* clamped)
{
    if (!CanonicalCoilKind(options.kind))
        throw std::runtime_error("--kind expects zmk, hwc or cwc, not '" + options.kind + "'");
    try {
        session.BuildKind(options.kind);
    } catch (const ZmkError&) {
        throw CLI::RuntimeError(1); // the job has told why
    }
    applySettings(session.Job(), options, clamped, std::cerr);
}

void LoadJob(TProjectSession& session, const JobOptions& options, const std::string& file, bool kindGiven)
{
    if (file.empty()) {
        BuildJob(session, options);
        return;
    }
    session.OpenInKind(file, kindGiven ? options.kind : std::string());
    ApplyJobOptions(session.Job(), options);
}

void ApplyJobOptions(TCoilJob& job, const JobOptions& options, std::vector<std::string>* clamped,
                     std::ostream* notes)
{
    applySettings(job, options, clamped, notes ? *notes : std::cerr);
}

void AddJobOptions(CLI::App* cmd, JobOptions& options)
{
    cmd->add_option("--kind", options.kind,
                    "Coil kind: zmk (heat recovery), hwc (hot water), cwc (chilled water)")
        ->default_str("zmk");
    cmd->add_option(
           "--set", options.sets,
           "An input in its stored unit, named as its entry field (edOnCoil=300, edHumidityOn=0.008, "
           "edAirMassflow, edFaceVelocity, edFluidInTemp, edFluidDT, edFluidFlow, edTubeVelocity, "
           "edAltitude, edFinHeight, edFinnedLength, edRows, edFinDensity, edCircuits), or "
           "control=flow|temp, spray=on|off, airside=standard|published (the air-side method), "
           "fintype=plain|louvered|wavy (the fin surface the published method rates), "
           "liquid=<kind number or name> (repeatable)")
        ->type_name("NAME=VALUE");
    cmd->add_flag("--strict", options.strict,
                  "An input outside its field's range is an error (exit 1) instead of being brought into "
                  "the range with a warning");
}

bool PrintingNotifier::Printed(const std::string& text) const
{
    return std::find(printed_.begin(), printed_.end(), text) != printed_.end();
}

PrintingNotifier::PrintingNotifier() : out_(&std::cerr) {}

void PrintingNotifier::Message(const std::string& text)
{
    printed_.push_back(text);
    *out_ << TerminalText(text) << "\n";
}

} // namespace zmk::cli
