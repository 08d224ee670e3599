// zemtor select: every catalogue coil that meets a duty within the limits, ranked. It builds the
// default job of a coil kind (or opens a project file), applies the inputs given with --set, and
// tries each pattern of the catalogue (or of one maker) over the rows, fin densities, circuitings
// and face sizes the limits allow, keeping the job's air volume flow, liquid and control. The best
// N coils are printed as a table (a JSON list with --json); --save-as writes the job with the
// first of them as a new project.
//
// Exit status: 0 coils found; 1 an argument was wrong or the job could not be rated; 2 nothing
// meets the limits (the limit that ruled out the most combinations is said, nothing is saved).
#include "cli/Commands.h"
#include "cli/JobOptions.h"
#include "cli/ProjectCli.h"

#include "app/CoilJob.h"
#include "app/JobSelection.h"
#include "base/JsonWriter.h"
#include "base/NumText.h"
#include "engine/HeatExchanger.h"
#include "geometry/CoilMakers.h"

#include <CLI/CLI.hpp>

#include <cmath>
#include <iostream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

namespace zmk::cli {

namespace {

struct SelectOptions : JobOptions
{
    std::string file;
    bool kindGiven = false;
    double duty = 0;
    double leavingAir = 0;
    bool leavingGiven = false;
    double maxAirDp = 0;
    double maxLiquidDp = 0;
    std::string rows = "1..8";
    std::string fpi = "6..14";
    std::string faceVelocity = "1.5..3.0";
    std::string tubeVelocity = "0.3..2.5";
    std::string height = "300..1500";
    std::string length = "500..3000";
    double lengthStep = 100;
    bool fixedFace = false;
    double faceVelocityTarget = 0;
    bool faceVelocityTargetGiven = false;
    std::string maker;
    std::string finMaterial;
    std::string objective = "area";
    double priceCopper = 9.0;
    double priceAluminium = 2.5;
    int top = 10;
    int threads = 0;
    bool json = false;
    std::string saveAs;
};

// "A..B" or one value "A"; lo <= hi, both finite.
TSelectRange parseRange(const std::string& option, const std::string& text)
{
    const std::size_t dots = text.find("..");
    TSelectRange r;
    auto number = [&](const std::string& part) {
        double v = 0;
        if (!TryStrToFloat(part, v) || !std::isfinite(v))
            throw std::runtime_error(option + " expects a value or a range LO..HI, not '" + text + "'");
        return v;
    };
    if (dots == std::string::npos) {
        r.Lo = r.Hi = number(text);
    } else {
        r.Lo = number(text.substr(0, dots));
        r.Hi = number(text.substr(dots + 2));
    }
    if (r.Lo > r.Hi || r.Lo < 0)
        throw std::runtime_error(option + " expects LO..HI with 0 <= LO <= HI, not '" + text + "'");
    return r;
}

std::string patternText(const TSelectCandidate& c)
{
    return c.Pattern.Mnf + ": " + c.Pattern.Name;
}

std::string faceText(const TSelectCandidate& c)
{
    return Format("%0.1f x %0.0f", 1000 * c.fHeight, 1000 * c.fLength);
}

// A cell padded to its column: text to the left, numbers to the right.
std::string cell(const std::string& text, std::size_t width, bool left = false)
{
    if (text.size() >= width)
        return text + " ";
    const std::string pad(width - text.size(), ' ');
    return (left ? text + pad : pad + text) + " ";
}

void printTable(const TSelectResult& r, std::size_t top, TSelectObjective objective,
                std::optional<double> faceVelocity)
{
    const std::string target = r.LeavingAir ? Format("a leaving air of %0.1f °C", *r.LeavingAir)
                                            : Format("%0.3f kW", r.TargetDuty);
    std::cout << Format("%d coils meet %s: %d of %d combinations rated, %d ruled out by a larger "
                        "coil's missed duty; ",
                        static_cast<int>(r.Met), target, static_cast<int>(r.Rated),
                        static_cast<int>(r.Enumerated), static_cast<int>(r.Pruned))
              << (faceVelocity ? Format("face velocity %0.4g m/s", *faceVelocity)
                               : Format("air flow %0.4f m³/s", r.AirVolumeFlow))
              << "\n";
    const std::string objectiveHead = objective == TSelectObjective::Area     ? "Ao m2"
                                      : objective == TSelectObjective::Weight ? "Weight kg"
                                      : objective == TSelectObjective::AirDp  ? "Air Pa"
                                                                              : "Cost";
    std::cout << cell("#", 3) << cell("Pattern", 22, true) << cell("H x L mm", 14, true) << cell("Rows", 4)
              << cell("fpi", 5) << cell("Circ", 5) << cell("Duty kW", 9) << cell("Margin %", 8)
              << cell("Vf m/s", 6) << cell("Air Pa", 7) << cell("Liq kPa", 8) << cell("Weight kg", 9)
              << cell(objectiveHead, 10) << "\n";
    for (std::size_t i = 0; i < std::min(top, r.Candidates.size()); ++i) {
        const TSelectCandidate& c = r.Candidates[i];
        std::cout << cell(Format("%d", static_cast<int>(i + 1)), 3) << cell(patternText(c), 22, true)
                  << cell(faceText(c), 14, true) << cell(Format("%d", c.Rows), 4)
                  << cell(Format("%0.4g", c.fpi), 5) << cell(Format("%d", c.Circ), 5)
                  << cell(Format("%0.3f", c.Qt), 9) << cell(Format("%0.2f", c.Margin), 8)
                  << cell(Format("%0.2f", c.Vf), 6) << cell(Format("%0.1f", c.AirDp), 7)
                  << cell(Format("%0.2f", c.LiquidDp), 8) << cell(Format("%0.1f", c.Weight), 9)
                  << cell(Format("%0.4g", c.Objective), 10) << "\n";
    }
}

std::string jsonList(const TSelectResult& r, std::size_t top)
{
    TJsonWriter j(2);
    j.BeginArray();
    for (std::size_t i = 0; i < std::min(top, r.Candidates.size()); ++i) {
        const TSelectCandidate& c = r.Candidates[i];
        j.BeginObject();
        j.Member("Maker", c.Pattern.Mnf);
        j.Member("Pattern", c.Pattern.Name);
        j.Member("Model", c.SizeText());
        j.Member("fHeight", c.fHeight);
        j.Member("fLength", c.fLength);
        j.Member("Rows", c.Rows);
        j.Member("fpi", c.fpi);
        j.Member("Circ", c.Circ);
        j.Member("Qt", c.Qt);
        j.Member("margin", c.Margin);
        j.Member("Vf", c.Vf);
        j.Member("Va", c.Va);
        j.Member("air_dp", c.AirDp);
        j.Member("liquid_dp", c.LiquidDp);
        j.Member("vw", c.TubeVelocity);
        j.Member("air_out", c.AirOut);
        j.Member("tfo", c.LiquidOut);
        j.Member("mw", c.LiquidFlow);
        j.Member("Ao", c.Ao);
        j.Member("weight", c.Weight);
        j.Member("cost", c.Cost);
        j.Member("objective", c.Objective);
        j.EndObject();
    }
    j.EndArray();
    return j.Take();
}

void runSelect(SelectOptions& options)
{
    const std::optional<TSelectObjective> objective = SelectObjectiveOf(options.objective);
    if (!objective)
        throw std::runtime_error("--objective expects area, weight, airdp or cost, not '" +
                                 options.objective + "'");
    if (!options.leavingGiven && !(std::isfinite(options.duty) && options.duty > 0))
        throw std::runtime_error("--duty expects the target duty in kW above 0 (or give --leaving-air)");
    if (options.top < 1)
        throw std::runtime_error("--top expects a count of at least 1");

    TSelectLimits limits;
    const TSelectRange rows = parseRange("--rows", options.rows);
    limits.RowsLo = static_cast<int>(std::ceil(rows.Lo));
    limits.RowsHi = static_cast<int>(std::floor(rows.Hi));
    limits.Fpi = parseRange("--fpi", options.fpi);
    limits.FaceVelocity = parseRange("--face-velocity", options.faceVelocity);
    limits.TubeVelocity = parseRange("--tube-velocity", options.tubeVelocity);
    const TSelectRange h = parseRange("--height", options.height);
    const TSelectRange l = parseRange("--length", options.length);
    limits.Height = {h.Lo / 1000, h.Hi / 1000};
    limits.Length = {l.Lo / 1000, l.Hi / 1000};
    if (!(options.lengthStep >= 1))
        throw std::runtime_error("--length-step expects at least 1 mm");
    limits.LengthStep = options.lengthStep / 1000;
    limits.FixedFace = options.fixedFace;
    limits.MaxAirDp = options.maxAirDp;
    limits.MaxLiquidDp = options.maxLiquidDp;

    PrintingNotifier notifier;
    ProcessCoilMakers().SetNotifier(&notifier);
    CommandSession session(&notifier, !options.file.empty());
    LoadJob(*session, options, options.file, options.kindGiven);
    TCoilJob& job = session->Job();
    job.ApplyInputs();

    TSelectInputs in = JobSelectInputs(job, options.maker);
    if (!options.finMaterial.empty())
        in.Patterns = CataloguePatterns(ProcessCoilMakers(), options.maker, options.finMaterial);
    if (in.Patterns.empty())
        throw std::runtime_error(options.maker.empty()
                                     ? std::string("the catalogue holds no pattern to try")
                                     : "the catalogue holds no pattern of the maker '" + options.maker + "'");
    in.Duty = options.duty;
    if (options.faceVelocityTargetGiven) {
        if (!(std::isfinite(options.faceVelocityTarget) && options.faceVelocityTarget > 0))
            throw std::runtime_error("--face-velocity-target expects a face velocity above 0 m/s");
        in.FaceVelocity = options.faceVelocityTarget;
    }
    if (options.leavingGiven)
        in.LeavingAir = options.leavingAir;
    in.Limits = limits;
    in.Objective = *objective;
    in.PriceCopper = options.priceCopper;
    in.PriceAluminium = options.priceAluminium;
    in.Threads = options.threads;
    in.Keep = static_cast<std::size_t>(options.top);
    const TSelectResult r = SelectCoils(in);
    if (!r.Error.empty())
        throw std::runtime_error(TerminalText(r.Error));

    const std::size_t top = static_cast<std::size_t>(options.top);
    if (options.json)
        std::cout << jsonList(r, top) << "\n";
    else
        printTable(r, top, *objective, in.FaceVelocity);
    if (r.Candidates.empty()) {
        std::cerr << "zemtor: " << TerminalText(r.RulingText())
                  << (options.saveAs.empty() ? "" : " (not saved)") << "\n";
        ProcessCoilMakers().SetNotifier(nullptr);
        throw CLI::RuntimeError(2);
    }
    if (!options.saveAs.empty()) {
        UseCandidate(job, r.Candidates.front(), r.Candidates.front().Va);
        session->SaveOrThrow(options.saveAs);
    }
    ProcessCoilMakers().SetNotifier(nullptr);
}

} // namespace

void AddSelectCommand(CLI::App& app)
{
    auto options = std::make_shared<SelectOptions>();
    auto* cmd = app.add_subcommand(
        "select",
        "List every catalogue coil that meets a duty within the limits, ranked, for the default job "
        "of a kind or a project (its air flow, liquid and control kept)");
    AddJobOptions(cmd, *options);
    cmd->add_option(
        "FILE", options->file,
        "A project file (.zmx) to open, into a coil of the kind it holds (--kind chooses another)");
    cmd->add_option("--duty", options->duty, "The target duty, kW");
    cmd->add_option("--leaving-air", options->leavingAir,
                    "A leaving air dry bulb to reach, °C, in place of --duty");
    cmd->add_option("--max-air-dp", options->maxAirDp, "The highest air pressure drop, Pa");
    cmd->add_option("--max-liquid-dp", options->maxLiquidDp, "The highest liquid pressure drop, kPa");
    cmd->add_option("--rows", options->rows, "Rows to try, LO..HI")->capture_default_str();
    cmd->add_option("--fpi", options->fpi, "Fin densities to try, fins per inch, LO..HI in steps of 1")
        ->capture_default_str();
    cmd->add_option("--face-velocity", options->faceVelocity, "The face velocity range, m/s")
        ->capture_default_str();
    cmd->add_option("--tube-velocity", options->tubeVelocity, "The tube velocity range, m/s")
        ->capture_default_str();
    cmd->add_option("--height", options->height, "Fin heights, mm, taken in whole tube pitches")
        ->capture_default_str();
    cmd->add_option("--length", options->length, "Finned lengths, mm")->capture_default_str();
    cmd->add_option("--length-step", options->lengthStep, "The finned length step, mm")
        ->capture_default_str();
    cmd->add_flag("--fixed-face", options->fixedFace, "Keep the job's fin height and finned length");
    cmd->add_option("--face-velocity-target", options->faceVelocityTarget,
                    "Rate every coil at this face velocity, m/s (its air mass flow = velocity × face area × "
                    "entering density) in place of keeping the job's air volume flow")
        ->type_name("M/S");
    cmd->add_option("--maker", options->maker, "Try this maker's patterns only (all makers by default)");
    cmd->add_option("--fin-material", options->finMaterial,
                    "Try patterns with fins of this material (Al, Cu...)");
    cmd->add_option("--objective", options->objective,
                    "Rank by area (outside area), weight (dry weight), airdp or cost (copper and aluminium "
                    "weights × their prices)")
        ->capture_default_str();
    cmd->add_option("--price-cu", options->priceCopper, "Copper price per kg for the cost index")
        ->capture_default_str();
    cmd->add_option("--price-al", options->priceAluminium, "Aluminium price per kg for the cost index")
        ->capture_default_str();
    cmd->add_option("--top", options->top, "How many coils to print")->capture_default_str();
    cmd->add_option("--threads", options->threads, "Threads to rate on (one per core by default)");
    cmd->add_flag("--json", options->json, "Print the coils as a JSON list, in stored units");
    cmd->add_option("--save-as", options->saveAs, "Write the job with the first coil to this project file")
        ->type_name("OUT");
    cmd->callback([options, cmd] {
        options->kindGiven = cmd->get_option("--kind")->count() > 0;
        options->leavingGiven = cmd->get_option("--leaving-air")->count() > 0;
        options->faceVelocityTargetGiven = cmd->get_option("--face-velocity-target")->count() > 0;
        runSelect(*options);
    });
}

} // namespace zmk::cli
