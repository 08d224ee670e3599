// zemtor export-psy: opens a project, rates it, and writes the psychrometric chart program's
// data file ("CoilPsy.psy") for it: the project lines, the pressure, the chart range, the on-coil
// and off-coil states (and the coldest surface when the air would condense on it) and the process.
// A job that does not solve, or whose states lie outside the chart, is refused with the
// program's message and exit status 1.
#include "cli/Commands.h"
#include "cli/JobOptions.h"
#include "cli/ProjectCli.h"

#include "app/Exports.h"
#include "base/Notifier.h"
#include "geometry/CoilMakers.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>

namespace zmk::cli {

namespace {

struct ExportOptions
{
    std::string file;
    std::string out = std::string(kChartDataFileName);
};

void runExport(const ExportOptions& options)
{
    PrintingNotifier notifier;
    ProcessCoilMakers().SetNotifier(&notifier);
    CommandSession session(&notifier, true);
    session->OpenInKind(options.file);
    session->Solve();
    RecordingNotifier refused;
    if (!ExportChartData(session->Job(), &session->Properties(), options.out, &refused))
        throw std::runtime_error(TerminalText(refused.messages.empty() ? "" : refused.messages.back()));
    ProcessCoilMakers().SetNotifier(nullptr);
}

} // namespace

void AddExportPsyCommand(CLI::App& app)
{
    auto options = std::make_shared<ExportOptions>();
    auto* cmd = app.add_subcommand(
        "export-psy", "Open a project, rate it and write the chart program's data file \"CoilPsy.psy\"");
    cmd->add_option("FILE", options->file, "The project file (.zmx)")->required();
    cmd->add_option("-o,--output", options->out, "Where to write the data file")->default_str("CoilPsy.psy");
    cmd->callback([options] { runExport(*options); });
}

} // namespace zmk::cli
