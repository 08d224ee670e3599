// zemtor solve and zemtor step: the coil job without its window. Each builds the default job of
// a coil kind, applies the inputs given as entry-field values in their stored units, then runs
// the Solve command (printing the thermal summary, or every result field as JSON) or the Step by
// step command (printing the duty and the temperature matrix along the air path, and with --png
// drawing its chart into a picture file).
//
// zemtor solve FILE... opens project files instead: each into a coil of the kind it holds (or
// of --kind), with --set applied over it, rated, and with --save written back when it solved.
// With --json each file gives one JSON object on a line of its own, so that a folder of jobs can
// be rated from a script. --jobs N rates the files on N threads, each file as if it were rated
// alone; what they print comes out in the order the files were given, the same whatever N.
//
// Exit status: 0 solved; 1 the solve raised an error (the program's message is printed), an
// argument was wrong, or a file was refused (missing, not a regular file, too large, not a
// project); 2 the solve ended not solved, without converging or with a result the coil refused
// (its status and reason are printed). With several files, 1 when any file had an error, else 2
// when any was not solved; each JSON record that did not solve carries its own status as "exit".
//
// With --json every solve prints its record, one that ended in an error too: "solved" false, the
// "Status" ("Error" when the solve raised one) and the "Reason", the inputs as given, and every
// result null. The text summary of a job that did not solve likewise shows no result, and zemtor
// step prints no chart for it (exit status 2).
#include "cli/AirJson.h"
#include "cli/Commands.h"
#include "cli/JobOptions.h"
#include "cli/ProjectCli.h"
#include "cli/StepChartPng.h"

#include "app/CoilJob.h"
#include "base/Notifier.h"
#include "base/NumText.h"
#include "engine/HeatExchanger.h"
#include "geometry/CoilMakers.h"
#include "properties/Fluid.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <condition_variable>
#include <iostream>
#include <memory>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace zmk::cli {

namespace {

// The job's kind and inputs, the project files, and what the command prints.
struct CommandOptions : JobOptions
{
    std::vector<std::string> files; // project files to open; the default job when none
    bool kindGiven = false;         // --kind was given: files open into a coil of that kind
    bool json = false;
    bool csv = false;
    bool save = false;
    unsigned jobs = 1; // threads that rate the files
    std::string png;   // step chart picture file; none when empty
};

// The threads a batch uses unless told: one per core.
unsigned defaultJobs()
{
    return std::max(1u, std::thread::hardware_concurrency());
}

std::string fmt(const char* format, double v)
{
    return Format(format, v);
}

// The status a record names: the coil's solve status, or "Error" when the solve raised one.
std::string statusName(const TCoilJob& job)
{
    if (job.LastSolveStatus() < 0)
        return "Error";
    return SolveStatusName(static_cast<TSolveStatus>(job.LastSolveStatus()));
}

// Why the job did not solve: the coil's reason, or the error its solve raised.
std::string reasonText(const TCoilJob& job)
{
    if (!job.LastReason().empty() || job.LastSolveStatus() >= 0)
        return job.LastReason();
    return TerminalText(job.LastError());
}

// Writes the members of a result record. Inputs, and what follows from them alone, are always
// written; a result is null unless the job solved, since what a failed solve (or an earlier
// solve) left in the coil is no result of these inputs.
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

// Writes every input and result field as a member of the object open in json.
void addResultJson(TJsonWriter& json, TCoilJob& job, const std::vector<std::string>& clamped)
{
    TLiquidCoil& c = *job.Coil();
    const TLiquid& l = *job.Liquid();
    const TLiquidState& ls = *c.LiquidState;
    RecordWriter j(json, job.Solved());
    // The job, and how its solve ended.
    j.Input("kind", job.KindCode);
    j.Input("Model", c.GetModel());
    j.Input("Maker", c.Geometry->Rec.Mnf);
    j.Input("Status", statusName(job));
    j.Input("solved", job.Solved());
    j.Input("Reason", reasonText(job));
    // The air flow and the coil's areas, which the inputs give before any solve.
    j.Input("ma", c.ma);
    j.Input("Va", c.Va);
    j.Input("Vf", c.Vf);
    j.Input("Af", c.GetAf());
    j.Input("Ao", c.Ao);
    j.Input("Ai", c.Ai);
    j.AirState("AirIn", job.AirIn(), true);
    // The results.
    j.Member("Qt", c.Qt);
    j.Member("Qs", c.Qs);
    j.Member("e", c.e);
    j.Member("Ntu", c.Ntu);
    j.Member("Cr", c.Cr);
    j.Member("Qmax", c.Qmax);
    j.Member("ho", c.ho);
    j.Member("hi", c.hi);
    j.Member("Ui", c.Ui);
    j.Member("Uo", c.Uo);
    j.Member("UoDuty", c.UoDuty);
    j.Input("FoulingInDuty", c.FoulingInDuty);
    j.Member("NtuAir", c.NtuAir);
    j.Member("NtuLiquid", c.NtuLiquid);
    j.Member("NtuRatio", c.NtuRatio);
    j.Member("BypassFactor", c.BypassFactor);
    j.Member("ConductanceRatio", c.ConductanceRatio);
    j.Member("Rf", c.Rf);
    j.Member("SurfaceCondition", c.SurfaceCondition);
    j.Member("SurfaceConditionName", SurfaceConditionName(c.SurfaceCondition));
    j.Member("mCondensate", c.MoistureRemoval());
    j.Member("ADP", c.ADP);
    j.Member("AirCooling", c.AirCooling);
    j.Member("Ca", c.Ca);
    j.Member("air_dp", c.AirPressureDrop());
    j.Member("liquid_dp", c.LiquidPressureDrop());
    j.Member("PipeSize", c.PipeSize());
    j.AirState("AirOut", job.AirOut());
    j.Json().Key("Liquid").BeginObject();
    j.Input("Name", l.GetName());
    j.Input("LiquidSpec", l.LiquidSpec);
    j.Input("tfi", l.tfi);
    j.Member("tfo", l.tfo);
    // The control fixes either the flow or the temperature change; the solve gives the other.
    j.Member("m", l.m, ls.ctrl == wcFlow);
    j.Member("ro", l.ro);
    j.Member("Cp", l.Cp);
    j.Member("mu", l.mu);
    j.Member("Ko", l.Ko);
    j.Member("Pr", l.Pr);
    j.Member("cw", ls.cw);
    j.Member("vw", ls.vw);
    j.Member("designdt", ls.designdt, ls.ctrl == wcTemp);
    j.Input("ctrl", ls.ctrl);
    j.Json().EndObject();
    j.Member("TubeRe", c.TubeResult.Re);
    j.Member("TubeRegime", TubeRegimeName(c.TubeResult.Regime));
    // The warnings of this job's own solve, and the inputs that were brought into range.
    j.Json().Key("warnings").BeginArray();
    for (const TResultWarning& w : c.Warnings)
        j.Json().Value(WarningText(w, true));
    for (const std::string& note : clamped)
        j.Json().Value(note);
    j.Json().EndArray();
}

// The result as one JSON object; indent as TJsonWriter takes it.
std::string resultJson(TCoilJob& job, const std::vector<std::string>& clamped, int indent)
{
    TJsonWriter j(indent);
    j.BeginObject();
    addResultJson(j, job, clamped);
    j.EndObject();
    return j.Take();
}

// The thermal summary as text. A job that did not solve shows its inputs, its status and why,
// and no result.
void printSummary(std::ostream& os, TCoilJob& job, const std::vector<std::string>& clamped)
{
    TLiquidCoil& c = *job.Coil();
    const TLiquid& l = *job.Liquid();
    const TLiquidState& ls = *c.LiquidState;
    const TAirState& in = job.AirIn();
    const TAirState& out = job.AirOut();
    const bool solved = job.Solved();
    auto row = [&os](const std::string& caption, const std::string& text) {
        std::string line = caption;
        line.resize(std::max<std::size_t>(line.size() + 1, 22), ' ');
        os << line << text << "\n";
    };
    auto air = [&](const TAirState& a) {
        return fmt("%0.2f", a.db) + " °C db, " + fmt("%0.2f", a.wb) + " °C wb, " + fmt("%0.5f", a.w) +
               " kg/kg, " + fmt("%0.1f", a.rh * 100) + " % rh";
    };
    row("Coil", job.Inputs.CoilKindLabel + "  " + c.GetModel() + "  (" + job.Inputs.MakerLabel + ", " +
                    job.Inputs.MaterialLabel + ")");
    row("Solve Status", statusName(job) + (solved ? "  Solved..." : "  Not Solved..."));
    if (const std::string reason = reasonText(job); !reason.empty())
        row("Reason", reason);
    if (solved) {
        row("Duty", fmt("%0.3f", c.Qt) + " kW total, " + fmt("%0.3f", c.Qs) + " kW sensible, " +
                        DutyDirectionName(c.AirCooling));
        row("Surface", SurfaceConditionName(c.SurfaceCondition) + ", ADP " + fmt("%0.2f", c.ADP) + " °C");
    }
    row("Air on", air(in));
    if (solved)
        row("Air off", air(out));
    row("Barometric pressure", fmt("%0.3f", c.GetPressure()) + " kPa");
    row("Air flow", fmt("%0.4f", c.ma) + " kg/s, " + fmt("%0.4f", c.Va) + " m³/s, face velocity " +
                        fmt("%0.3f", c.Vf) + " m/s");
    if (solved)
        row("Air pressure drop", fmt("%0.1f", c.AirPressureDrop()) + " Pa");
    row("Liquid", l.GetName() + ", " + LiquidControlName(ls.ctrl) + " control");
    if (!solved) {
        // What the user fixed of the liquid: its inlet, and its flow or its temperature change.
        row("Liquid in", fmt("%0.2f", l.tfi) + " °C, " +
                             (ls.ctrl == wcTemp ? "dT " + fmt("%0.2f", ls.designdt) + " K"
                                                : "flow " + fmt("%0.4f", l.m) + " kg/s"));
    } else {
        row("Liquid in/out", fmt("%0.2f", l.tfi) + " / " + fmt("%0.2f", l.tfo) + " °C, dT " +
                                 fmt("%0.2f", ls.designdt) + " K");
        row("Liquid flow", fmt("%0.4f", l.m) + " kg/s, " + fmt("%0.3f", ls.GetVolumeFlow()) +
                               " l/s, tube velocity " + fmt("%0.3f", ls.vw) + " m/s");
        row("Liquid pressure drop", fmt("%0.2f", c.LiquidPressureDrop()) + " kPa");
        row("Pipe size", std::to_string(c.PipeSize()) + " mm");
        row("Effectiveness", "e " + fmt("%0.4f", c.e) + ", Ntu " + fmt("%0.4f", c.Ntu) + ", Cr " +
                                 fmt("%0.4f", c.Cr) + ", Qmax " + fmt("%0.3f", c.Qmax) + " kW");
        row("Capacity rates", "air " + fmt("%0.4f", c.Ca) + " kW/K, liquid " + fmt("%0.4f", ls.cw) + " kW/K");
        row("Coefficients", "ho " + fmt("%0.5f", c.ho) + ", hi " + fmt("%0.5f", c.hi) + ", Ui " +
                                fmt("%0.5f", c.Ui) + ", Uo " + fmt("%0.5f", c.Uo) + " kW/(m²·K)");
        row("Duty's U", fmt("%0.5f", c.UoDuty) + " kW/(m²·K), " +
                            (c.FoulingInDuty ? "fouling applied" : "fouling not applied to the duty"));
        row("Transfer units", "air " + fmt("%0.4f", c.NtuAir) + ", liquid " + fmt("%0.4f", c.NtuLiquid) +
                                  ", ratio " + fmt("%0.4f", c.NtuRatio) + ", bypass " +
                                  fmt("%0.4f", c.BypassFactor));
        row("Conductance ratio",
            fmt("%0.4f", c.ConductanceRatio) + ", fouling " + fmt("%0.4f", c.Rf) + " m²·K/kW");
    }
    row("Areas", "face " + fmt("%0.4f", c.GetAf()) + ", outside " + fmt("%0.3f", c.Ao) + ", inside " +
                     fmt("%0.3f", c.Ai) + " m²");
    if (solved && c.TubeResult.Re > 0)
        row("Tube flow", "Re " + fmt("%0.0f", c.TubeResult.Re) + ", " + TubeRegimeName(c.TubeResult.Regime));
    for (const TResultWarning& w : c.Warnings)
        row("Warning", WarningText(w, true));
    for (const std::string& note : clamped)
        row("Warning", note);
}

// What the command says on standard error about a job that did not solve.
void reportNotSolved(std::ostream& err, const TCoilJob& job, const PrintingNotifier& notifier,
                     const std::string& file, bool saving)
{
    err << "zemtor: " << (file.empty() ? "" : file + ": ") << "not solved, status " << statusName(job)
        << (saving ? "; not saved" : "") << "\n";
    if (!job.LastReason().empty() && !notifier.Printed(job.LastReason()))
        err << "zemtor: " << job.LastReason() << "\n";
}

// The exit status of a finished solve: 1 when it raised an error, 2 when it did not converge.
int solveExit(const TCoilJob& job)
{
    if (job.LastSolveStatus() < 0)
        return 1;
    return job.Solved() ? 0 : 2;
}

// What rating one project file printed, and how it ended.
struct FileRating
{
    std::string out; // its standard output
    std::string err; // its standard error
    int rc = 1;
};

// Rates one project file as if it were the only one: its messages, the catalogue's notes
// included, go to its own standard error text, and the cold coil's dew point default starts
// afresh, so that neither the thread it runs on nor the files rated before it change a digit.
FileRating rateFile(const CommandOptions& options, const std::string& file)
{
    FileRating r;
    std::ostringstream out;
    std::ostringstream err;
    PrintingNotifier notifier(err);
    TCoilMakers& catalogue = ProcessCoilMakers();
    catalogue.SetNotifier(&notifier);
    TAdpDefault::Instance().Reset();
    int rc = 1;
    std::string fields; // the result as an object of its own, once written in full
    std::string error;
    try {
        CommandSession session(&notifier, true, options.files.size() == 1);
        session->OpenInKind(file, options.kindGiven ? options.kind : std::string());
        TCoilJob& job = session->Job();
        std::vector<std::string> clamped;
        ApplyJobOptions(job, options, &clamped, &err);
        session->Solve();
        rc = solveExit(job);
        if (rc == 1)
            error = TerminalText(job.LastError());
        if (options.json)
            fields = resultJson(job, clamped, -1);
        if (options.save && rc == 0)
            session->SaveOrThrow(file);
        if (!options.json && rc != 1) {
            if (options.files.size() > 1)
                out << file << "\n";
            printSummary(out, job, clamped);
        }
        if (rc == 2)
            reportNotSolved(err, job, notifier, file, options.save);
    } catch (const std::exception& e) {
        rc = 1;
        error = TerminalText(e.what());
        err << "zemtor: " << file << ": " << TerminalText(e.what()) << "\n";
    }
    catalogue.SetNotifier(nullptr);
    if (options.json) {
        TJsonWriter j;
        j.BeginObject().Member("file", file);
        if (fields.empty()) // refused before any solve: the record still says how it ended
            j.Member("Status", "Error").Member("solved", false).Member("Reason", error);
        else
            j.MembersOf(fields);
        if (rc == 1)
            j.Member("error", error);
        // A record that failed carries its own exit status, so a script can tell which files
        // of a batch were refused, failed or did not converge.
        if (rc != 0)
            j.Member("exit", rc);
        out << j.EndObject().Text() << "\n";
    }
    r.out = std::move(out).str();
    r.err = std::move(err).str();
    r.rc = rc;
    return r;
}

// Prints what a file's rating printed, standard output first, as one file rated alone would.
void printRating(const FileRating& r)
{
    std::cout << r.out;
    if (!r.err.empty()) {
        std::cout.flush();
        std::cerr << r.err;
    }
}

// Rates each project file, on options.jobs threads; prints each file's rating in the order
// the files were given and returns the combined exit status: 1 when any file had an error,
// else 2 when any was not solved.
int solveFiles(const CommandOptions& options)
{
    const std::size_t n = options.files.size();
    // Each file's session reads the user's settings; a settings file that cannot be read is
    // said once for the batch, not once for each file.
    if (n > 1) {
        const TIniSettingsStore settings(ProgramSettingsFile());
        if (!settings.ReadProblem().empty())
            std::cerr << TerminalText(UnreadSettingsMessage({settings.ReadProblem()})) << "\n";
    }
    std::vector<int> codes(n, 1);
    const std::size_t threads = std::min<std::size_t>(std::max(1u, options.jobs), n);
    if (threads <= 1) {
        for (std::size_t i = 0; i < n; ++i) {
            const FileRating r = rateFile(options, options.files[i]);
            printRating(r);
            codes[i] = r.rc;
        }
    } else {
        // Each thread takes the next file not yet taken; this thread prints the ratings in
        // file order as they become ready, so that the first results show while the rest
        // are still being rated.
        std::vector<FileRating> ratings(n);
        std::vector<char> ready(n, 0);
        std::mutex m;
        std::condition_variable readyChanged;
        std::atomic<std::size_t> next{0};
        auto work = [&] {
            for (std::size_t i; (i = next.fetch_add(1)) < n;) {
                FileRating r = rateFile(options, options.files[i]);
                {
                    const std::lock_guard<std::mutex> lock(m);
                    ratings[i] = std::move(r);
                    ready[i] = 1;
                }
                readyChanged.notify_all();
            }
        };
        std::vector<std::thread> pool;
        pool.reserve(threads);
        for (std::size_t t = 0; t < threads; ++t)
            pool.emplace_back(work);
        for (std::size_t i = 0; i < n; ++i) {
            FileRating r;
            {
                std::unique_lock<std::mutex> lock(m);
                readyChanged.wait(lock, [&] { return ready[i] != 0; });
                r = std::move(ratings[i]);
            }
            printRating(r);
            codes[i] = r.rc;
        }
        for (std::thread& t : pool)
            t.join();
    }
    std::cout.flush();
    int worst = 0;
    for (const int rc : codes)
        worst = rc == 1 || worst == 1 ? 1 : std::max(worst, rc);
    return worst;
}

void runSolve(const CommandOptions& options)
{
    if (!options.files.empty()) {
        const int rc = solveFiles(options);
        if (rc != 0)
            throw CLI::RuntimeError(rc);
        return;
    }
    PrintingNotifier notifier;
    ProcessCoilMakers().SetNotifier(&notifier);
    if (options.save)
        throw std::runtime_error("--save needs the project FILE to write back");
    CommandSession session(&notifier, false);
    std::vector<std::string> clamped;
    BuildJob(*session, options, &clamped);
    TCoilJob& job = session->Job();
    session->Solve();
    const int rc = solveExit(job);
    if (options.json) {
        // Every solve gives its record, one that raised an error too (the message is already
        // out on standard error).
        TJsonWriter j(2);
        j.BeginObject();
        addResultJson(j, job, clamped);
        if (rc == 1)
            j.Member("error", TerminalText(job.LastError()));
        if (rc != 0)
            j.Member("exit", rc);
        std::cout << j.EndObject().Text() << "\n";
    } else if (rc != 1) {
        printSummary(std::cout, job, clamped);
    }
    if (rc == 1)
        throw CLI::RuntimeError(1);
    if (rc == 2)
        reportNotSolved(std::cerr, job, notifier, "", false);
    if (rc != 0)
        throw CLI::RuntimeError(rc);
}

void runStep(const CommandOptions& options)
{
    PrintingNotifier notifier;
    ProcessCoilMakers().SetNotifier(&notifier);
    CommandSession session(&notifier, false);
    BuildJob(*session, options);
    TCoilJob& job = session->Job();
    session->StepByStep();
    if (!job.LastError().empty())
        throw CLI::RuntimeError(1); // the message is already out
    if (!job.Solved()) {
        // No chart: it would be one of an earlier solve.
        reportNotSolved(std::cerr, job, notifier, "", false);
        throw CLI::RuntimeError(2);
    }
    const TStepChartData& chart = job.StepChart();
    if (!options.png.empty())
        WriteStepChartPng(chart, options.png);
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
}

} // namespace

void AddSolveCommand(CLI::App& app)
{
    auto options = std::make_shared<CommandOptions>();
    auto* cmd =
        app.add_subcommand("solve", "Rate the default coil of a kind, or project files, with inputs changed "
                                    "by --set, and print the thermal summary (or every result as JSON)");
    AddJobOptions(cmd, *options);
    cmd->add_option("FILE", options->files,
                    "Project files (.zmx) to open and rate, each into a coil of the kind it holds (--kind "
                    "chooses another)");
    cmd->add_flag("--json", options->json,
                  "Print every result field as JSON, in stored units (one object per line for files)");
    cmd->add_flag("--save", options->save, "Write each project that solved back to its file");
    options->jobs = defaultJobs();
    cmd->add_option("--jobs", options->jobs,
                    "Rate the project files on this many threads (one per core when not given); the "
                    "results come out in the order of the files whatever the number")
        ->check(CLI::Range(1u, 1024u))
        ->default_str(std::to_string(options->jobs));
    cmd->callback([options, cmd] {
        options->kindGiven = cmd->get_option("--kind")->count() > 0;
        runSolve(*options);
    });
}

void AddStepCommand(CLI::App& app)
{
    auto options = std::make_shared<CommandOptions>();
    auto* cmd =
        app.add_subcommand("step", "Solve, then run the step-by-step simulation and print its duty and "
                                   "the temperatures of the 100 slices along the air path");
    AddJobOptions(cmd, *options);
    cmd->add_flag("--csv", options->csv, "Print comma-separated values");
    cmd->add_option(
           "--png", options->png,
           "Also draw the chart of the temperatures, as the chart window shows it, into this PNG file")
        ->type_name("FILE");
    cmd->callback([options] { runStep(*options); });
}

} // namespace zmk::cli
