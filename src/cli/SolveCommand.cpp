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
#include "cli/Commands.h"
#include "cli/CompareMethods.h"
#include "cli/JobOptions.h"
#include "cli/ProjectCli.h"
#include "cli/ResultRecord.h"
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
#include <chrono>
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
    bool compare = false; // rate with both air-side methods, side by side
    unsigned jobs = 1;    // threads that rate the files
    std::string png;      // step chart picture file; none when empty
};

// The threads a batch uses unless told: one per core.
unsigned defaultJobs()
{
    return std::max(1u, std::thread::hardware_concurrency());
}

// What the command says on standard error about a job that did not solve.
void reportNotSolved(std::ostream& err, const TCoilJob& job, const PrintingNotifier& notifier,
                     const std::string& file, bool saving)
{
    err << "zemtor: " << (file.empty() ? "" : file + ": ") << "not solved, status " << SolveStatusText(job)
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
// The user's settings are the batch's copy, read once when it began; when the file could not be
// read, a file rated alone says so (unreadSettings) as its session would have.
// What rating a file writes into, kept by each thread from file to file: the streams and the
// records keep the room they have grown to.
struct RatingScratch
{
    std::ostringstream out;
    std::ostringstream err;
    TJsonWriter fields;
    TJsonWriter record;
    TStartCoils startCoils;
};

// A stream emptied and set back to the state a new one starts in.
void restart(std::ostringstream& s)
{
    s.str(std::string());
    s.clear();
    s.flags(std::ios_base::skipws | std::ios_base::dec);
    s.precision(6);
    s.width(0);
    s.fill(' ');
}

FileRating rateFile(const CommandOptions& options, const TMemorySettingsStore& settings,
                    const std::string& unreadSettings, const std::string& file)
{
    FileRating r;
    thread_local RatingScratch scratch;
    std::ostringstream& out = scratch.out;
    std::ostringstream& err = scratch.err;
    restart(out);
    restart(err);
    PrintingNotifier notifier(err);
    TCoilMakers& catalogue = ProcessCoilMakers();
    catalogue.SetNotifier(&notifier);
    TAdpDefault::Instance().Reset();
    int rc = 1;
    TJsonWriter& fields = scratch.fields; // the result as an object of its own
    bool fieldsWritten = false;           // ... once written in full
    fields.Clear();
    std::string error;
    try {
        if (!unreadSettings.empty())
            notifier.Message(unreadSettings);
        CommandSession session(&notifier, settings);
        session->Job().StartCoils = &scratch.startCoils;
        session->OpenInKind(file, options.kindGiven ? options.kind : std::string());
        TCoilJob& job = session->Job();
        std::vector<std::string> clamped;
        ApplyJobOptions(job, options, &clamped, &err);
        session->Solve();
        rc = solveExit(job);
        if (rc == 1)
            error = TerminalText(job.LastError());
        const TSolveRecord record = SolveRecordOf(job, clamped);
        if (options.json) {
            fields.BeginObject();
            WriteResultMembers(fields, record);
            fields.EndObject();
            fieldsWritten = true;
        }
        if (options.save && rc == 0)
            session->SaveOrThrow(file);
        if (!options.json && rc != 1) {
            if (options.files.size() > 1)
                out << file << "\n";
            PrintThermalSummary(out, record);
        }
        if (rc == 2)
            reportNotSolved(err, job, notifier, file, options.save);
    } catch (const std::exception& e) {
        rc = 1;
        error = TerminalText(e.what());
        err << "zemtor: " << file << ": " << TerminalText(e.what()) << "\n";
    }
    catalogue.SetNotifier(nullptr);
    r.out = std::move(out).str();
    if (options.json) {
        TJsonWriter& j = scratch.record;
        j.Clear();
        j.BeginObject().Member("file", file);
        if (!fieldsWritten) // refused before any solve: the record still says how it ended
            j.Member("Status", "Error").Member("solved", false).Member("Reason", error);
        else
            j.MembersOf(fields.Text());
        if (rc == 1)
            j.Member("error", error);
        // A record that failed carries its own exit status, so a script can tell which files
        // of a batch were refused, failed or did not converge.
        if (rc != 0)
            j.Member("exit", rc);
        r.out += j.EndObject().Text();
        r.out += '\n';
    }
    r.err = std::move(err).str();
    r.rc = rc;
    return r;
}

// What a batch prints, in file order. Standard output is gathered into large writes (a record
// each would cost a system call each); it goes out whenever a message follows on standard error,
// so that the two interleave as for one file rated alone, and before the batch waits for a file
// still being rated or a tenth of a second after the last write, so that results show while the
// rest are rated.
class BatchPrinter
{
public:
    ~BatchPrinter() { Flush(); }
    void Print(const FileRating& r)
    {
        pending_ += r.out;
        if (!r.err.empty()) {
            Flush();
            std::cerr << r.err;
        } else if (pending_.size() >= kChunk || Clock::now() - written_ >= kPause) {
            Flush();
        }
    }
    void Flush()
    {
        if (!pending_.empty()) {
            std::cout.write(pending_.data(), static_cast<std::streamsize>(pending_.size()));
            pending_.clear();
        }
        std::cout.flush();
        written_ = Clock::now();
    }

private:
    using Clock = std::chrono::steady_clock;
    static constexpr std::size_t kChunk = 64 * 1024;
    static constexpr std::chrono::milliseconds kPause{100};
    std::string pending_;
    Clock::time_point written_ = Clock::now();
};

// Rates each project file, on options.jobs threads; prints each file's rating in the order
// the files were given and returns the combined exit status: 1 when any file had an error,
// else 2 when any was not solved.
int solveFiles(const CommandOptions& options)
{
    const std::size_t n = options.files.size();
    // The user's settings are read once for the batch, and a settings file that cannot be read
    // is said once for the batch, not once for each file.
    TMemorySettingsStore settings;
    std::string unreadSettings; // told by the one file's rating
    {
        const TIniSettingsStore file(ProgramSettingsFile());
        if (file.ReadProblem().empty())
            settings = CopyOfSettings(file);
        else if (n > 1)
            std::cerr << TerminalText(UnreadSettingsMessage({file.ReadProblem()})) << "\n";
        else
            unreadSettings = UnreadSettingsMessage({file.ReadProblem()});
    }
    std::vector<int> codes(n, 1);
    BatchPrinter printer;
    const std::size_t threads = std::min<std::size_t>(std::max(1u, options.jobs), n);
    if (threads <= 1) {
        for (std::size_t i = 0; i < n; ++i) {
            const FileRating r = rateFile(options, settings, unreadSettings, options.files[i]);
            printer.Print(r);
            codes[i] = r.rc;
        }
    } else {
        // Every thread, this one too, takes the next file not yet taken. This thread also prints
        // the ratings in file order as they become ready; the others wake it only when it waits.
        std::vector<FileRating> ratings(n);
        std::vector<char> ready(n, 0);
        std::mutex m;
        std::condition_variable readyChanged;
        bool waiting = false; // this thread waits for a rating (guarded by m)
        std::atomic<std::size_t> next{0};
        auto finish = [&](std::size_t i, FileRating&& r) {
            bool wake = false;
            {
                const std::lock_guard<std::mutex> lock(m);
                ratings[i] = std::move(r);
                ready[i] = 1;
                wake = waiting;
            }
            if (wake)
                readyChanged.notify_one();
        };
        auto work = [&] {
            for (std::size_t i; (i = next.fetch_add(1)) < n;)
                finish(i, rateFile(options, settings, unreadSettings, options.files[i]));
        };
        std::vector<std::thread> pool;
        pool.reserve(threads - 1);
        for (std::size_t t = 1; t < threads; ++t)
            pool.emplace_back(work);
        std::size_t printed = 0;
        // Prints the ratings ready from the next one in file order on; with `wait`, waits for
        // each in turn until every file is printed.
        auto printReady = [&](bool wait) {
            while (printed < n) {
                FileRating r;
                {
                    std::unique_lock<std::mutex> lock(m);
                    if (!ready[printed]) {
                        if (!wait)
                            return;
                        lock.unlock();
                        printer.Flush();
                        lock.lock();
                        waiting = true;
                        readyChanged.wait(lock, [&] { return ready[printed] != 0; });
                        waiting = false;
                    }
                    r = std::move(ratings[printed]);
                }
                printer.Print(r);
                codes[printed] = r.rc;
                ++printed;
            }
        };
        for (std::size_t i; (i = next.fetch_add(1)) < n;) {
            finish(i, rateFile(options, settings, unreadSettings, options.files[i]));
            printReady(false);
        }
        printReady(true);
        for (std::thread& t : pool)
            t.join();
    }
    printer.Flush();
    int worst = 0;
    for (const int rc : codes)
        worst = rc == 1 || worst == 1 ? 1 : std::max(worst, rc);
    return worst;
}

// --compare-methods: the default job or one project file, rated with each air-side method.
void runCompare(const CommandOptions& options)
{
    if (options.files.size() > 1 || options.save)
        throw std::runtime_error(
            "--compare-methods rates one job and saves nothing: give at most one FILE and "
            "no --save");
    PrintingNotifier notifier;
    ProcessCoilMakers().SetNotifier(&notifier);
    CommandSession session(&notifier, !options.files.empty());
    if (options.files.empty())
        BuildJob(*session, options);
    else
        LoadJob(*session, options, options.files[0], options.kindGiven);
    const int rc = PrintMethodComparison(*session, options.json, std::cout);
    if (rc != 0)
        throw CLI::RuntimeError(rc);
}

void runSolve(const CommandOptions& options)
{
    if (options.compare) {
        runCompare(options);
        return;
    }
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
        WriteResultMembers(j, SolveRecordOf(job, clamped));
        if (rc == 1)
            j.Member("error", TerminalText(job.LastError()));
        if (rc != 0)
            j.Member("exit", rc);
        std::cout << j.EndObject().Text() << "\n";
    } else if (rc != 1) {
        PrintThermalSummary(std::cout, SolveRecordOf(job, clamped));
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
    cmd->add_flag("--compare-methods", options->compare,
                  "Rate the job (the default one, or one FILE) with the standard and the published air-side "
                  "method and print the two side by side");
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
