// zemtor chart: rates the default job of a coil kind (inputs changed with --set, as for solve),
// or a project FILE, and draws its psychrometric chart with the coil's process into an SVG or a
// PNG file (800 x 600), in the user's display units. With --step the step-by-step run's air
// states along the coil are drawn as a curve.
//
// Exit status: 0 drawn; 1 an error (the solve's, or a file that could not be written); 2 the job
// is not solved, so there is no process to draw.
#include "cli/Commands.h"
#include "cli/JobOptions.h"
#include "cli/ProjectCli.h"

#include "app/CoilJob.h"
#include "base/FileIO.h"
#include "geometry/CoilMakers.h"
#include "reports/Png.h"
#include "reports/PsyChartPicture.h"
#include "reports/ReportPage.h"
#include "reports/Typeface.h"
#include "units/ConvTools.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>

namespace zmk::cli {

namespace {

struct ChartOptions
{
    JobOptions job;
    std::string file; ///< a project to open instead of the default job
    bool kindGiven = false;
    std::string svg;
    std::string png;
    bool step = false;
};

void runChart(const ChartOptions& options)
{
    if (options.svg.empty() == options.png.empty())
        throw std::runtime_error("give one picture file: --svg OUT.svg or --png OUT.png");
    PrintingNotifier notifier;
    ProcessCoilMakers().SetNotifier(&notifier);
    CommandSession session(&notifier, !options.file.empty());
    TCoilJob& job = session->Job();
    LoadJob(*session, options.job, options.file, options.kindGiven);
    if (options.step)
        session->StepByStep();
    else
        session->Solve();
    if (!job.LastError().empty())
        throw CLI::RuntimeError(1); // the message is already out
    const std::optional<TPsyProcess> found = PsyProcessOf(session->ReportJob());
    if (!found) {
        std::cerr << "zemtor chart: the job is not solved, so there is no process to draw\n";
        throw CLI::RuntimeError(2);
    }
    TPsyProcess process = *found;
    if (options.step)
        process.Slices = StepAirStates(job.StepChart().Matrix, process.Pressure);
    if (const std::string unread = LoadUnitSettings(); !unread.empty())
        std::cerr << "zemtor chart: " << unread << ". The default units are used.\n";
    const TPsyChart chart(process);
    std::unique_ptr<TTypeface> typeface = LoadSansTypeface();
    if (!options.svg.empty())
        WriteFileText(options.svg, PsyChartSvg(chart, kPsyChartWidth, kPsyChartHeight, typeface.get()));
    else
        WritePngFile(options.png, RenderPsyChart(chart, *typeface));
}

} // namespace

void AddChartCommand(CLI::App& app)
{
    auto options = std::make_shared<ChartOptions>();
    auto* cmd = app.add_subcommand(
        "chart", "Rate the default coil of a kind, or a project file, and draw its psychrometric chart with "
                 "the coil's process into an SVG or PNG file");
    AddJobOptions(cmd, options->job);
    cmd->add_option("FILE", options->file,
                    "A project file (.zmx) to open and rate instead of the default job, into a coil of the "
                    "kind it holds (--kind chooses another)");
    cmd->add_option("--svg", options->svg, "Draw the chart into this SVG file")->type_name("OUT.svg");
    cmd->add_option("--png", options->png, "Draw the chart into this PNG file")->type_name("OUT.png");
    cmd->add_flag("--step", options->step,
                  "Run the step-by-step simulation and draw the air's states along the coil as a curve");
    cmd->callback([options, cmd] {
        options->kindGiven = cmd->get_option("--kind")->count() > 0;
        runChart(*options);
    });
}

} // namespace zmk::cli
