// zemtor size: the fin-and-tube editor's auto-sizing without its window. It builds the default
// job of a coil kind (or opens a project file), applies the inputs given with --set, runs one of
// the coil's sizing operations for a target duty and prints the sized coil: its size text, the
// duty it now gives and its face velocity (every field with --json). As in the editor, the air
// volume flow is kept with --keep-airflow and chosen by the operation otherwise, and the job then
// takes the sized coil as its own and rates it once more.
//
// The sized job is written with --save back to the project FILE it came from, or with --save-as
// OUT to a new project file (the default job as well); either only when the sized coil meets the
// target.
//
// Every operation is checked against its target as the job rates the sized coil: it is met from
// 98 % of the target on (above 102 % only where the steps of the sizing are coarser). A target the
// sizing's limits keep it from (the most rows or the highest fin density it tries, the largest or
// smallest fin height, finned length or face it makes) is said with that limit.
//
// Exit status: 0 sized; 1 an argument was wrong or the coil could not be rated; 2 the sized coil
// does not meet the target (why is printed, nothing is saved).
#include "cli/Commands.h"
#include "cli/JobOptions.h"
#include "cli/ProjectCli.h"
#include "cli/SizeRecord.h"

#include "app/CoilJob.h"
#include "cli/ResultRecord.h"
#include "base/NumText.h"
#include "engine/HeatExchanger.h"
#include "geometry/CoilMakers.h"

#include <CLI/CLI.hpp>

#include <cmath>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>

namespace zmk::cli {

namespace {

struct SizeOptions : JobOptions
{
    TSizeRequest request;
    bool kindGiven = false;
    bool json = false;
    bool save = false;
    std::string saveAs;
};

void printSized(const SizeOptions& options, const TAutoSizeResult& sized, TCoilJob& job)
{
    const TSizeRequest& request = options.request;
    TLiquidCoil& c = *job.Coil();
    const TCoilResult r = SolveRecordOf(job, {}).Result;
    auto row = [](const std::string& caption, const std::string& text) {
        std::string line = caption;
        line.resize(std::max<std::size_t>(line.size() + 1, 16), ' ');
        std::cout << line << text << "\n";
    };
    row("Sizing", AutoSizeModeName(CheckSizeRequest(request)) +
                      (request.keepAirflow ? ", air flow kept" : ", air flow chosen") + ", status " +
                      SolveStatusName(sized.Status));
    row("Coil", CoilLabels(job).Kind + "  " + r.Model);
    row("Duty", Format("%0.3f kW (target %0.3f kW)", r.Qt, request.duty) +
                    (r.Solved ? "  Solved..." : "  Not Solved..."));
    if (!sized.Reached())
        row("Not sized", sized.Message);
    row("Face velocity", Format("%0.3f m/s", r.Vf));
    row("Air flow", Format("%0.4f m³/s, %0.4f kg/s", r.Va, r.ma));
    row("Face area", Format("%0.4f m² (%0.1f x %0.1f mm)", r.Af, 1000 * c.GetFinHeight(),
                            1000 * c.GetFinnedLength()));
    row("Rows, fins",
        Format("%0.4g rows, %0.4g fpi, %0.4g circuits", c.GetRows(), c.GetFinDensity(), c.GetCircuits()));
    row("Pressure drops",
        Format("air %0.1f Pa, liquid %0.2f kPa", r.AirDp, r.LiquidDp));
}

void runSize(SizeOptions& options)
{
    const TSizeRequest& request = options.request;
    CheckSizeRequest(request);
    if (options.save && request.file.empty())
        throw std::runtime_error("--save needs the project FILE to write back (use --save-as OUT for the "
                                 "default job)");

    PrintingNotifier notifier;
    ProcessCoilMakers().SetNotifier(&notifier);
    CommandSession session(&notifier, !request.file.empty());
    LoadJob(*session, options, request.file, options.kindGiven);
    TCoilJob& job = session->Job();
    const TAutoSizeResult sized = SizeJob(job, request);

    if (options.json)
        std::cout << SizedJson(request, sized, job) << "\n";
    else
        printSized(options, sized, job);

    if (!sized.Reached()) {
        std::cerr << "zemtor: not sized: " << TerminalText(sized.Message)
                  << (options.save || !options.saveAs.empty() ? " (not saved)" : "") << "\n";
        ProcessCoilMakers().SetNotifier(nullptr);
        throw CLI::RuntimeError(2);
    }
    if (options.save)
        session->SaveOrThrow(request.file);
    if (!options.saveAs.empty())
        session->SaveOrThrow(options.saveAs);
    ProcessCoilMakers().SetNotifier(nullptr);
}

} // namespace

void AddSizeCommand(CLI::App& app)
{
    auto options = std::make_shared<SizeOptions>();
    auto* cmd = app.add_subcommand(
        "size",
        "Size the coil of the default job of a kind, or of a project, for a target duty with one of the "
        "auto-sizing operations, and print the sized coil");
    AddJobOptions(cmd, *options);
    cmd->add_option(
        "FILE", options->request.file,
        "A project file (.zmx) to open, into a coil of the kind it holds (--kind chooses another)");
    cmd->add_option("--mode", options->request.mode,
                    "What the sizing changes: face (face area at the design aspect ratio), height (fin "
                    "height), length (finned length), rows, fins (fin density) or rowsfins")
        ->required();
    cmd->add_option("--duty", options->request.duty, "The target duty, kW")->required();
    cmd->add_flag("--keep-airflow", options->request.keepAirflow,
                  "Keep the job's air volume flow (otherwise the sizing chooses it from the design face "
                  "velocity)");
    cmd->add_flag("--json", options->json, "Print the sized coil as JSON, in stored units");
    cmd->add_flag("--save", options->save, "Write the sized job back to the project FILE");
    cmd->add_option("--save-as", options->saveAs, "Write the sized job to this project file")
        ->type_name("OUT");
    cmd->callback([options, cmd] {
        options->kindGiven = cmd->get_option("--kind")->count() > 0;
        runSize(*options);
    });
}

} // namespace zmk::cli
