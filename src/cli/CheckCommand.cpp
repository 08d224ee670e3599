// zemtor check: rates the default coil of a kind (inputs changed by --set) or a project file and
// prints the data check: every input with its value, its range and a verdict, and the physical
// checks of the solve. Exit status 0 when nothing is at fault, 2 when a line is (a job that did
// not solve has its reason among them).
#include "cli/Commands.h"
#include "cli/JobOptions.h"
#include "cli/ProjectCli.h"

#include "app/DataCheck.h"
#include "geometry/CoilMakers.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>
#include <string>

namespace zmk::cli {

namespace {

struct CheckOptions : JobOptions
{
    std::string file;
    bool kindGiven = false;
};

void runCheck(const CheckOptions& options)
{
    PrintingNotifier notifier;
    ProcessCoilMakers().SetNotifier(&notifier);
    CommandSession session(&notifier, !options.file.empty());
    LoadJob(*session, options, options.file, options.kindGiven);
    session->Solve();
    const TDataCheck check = MakeDataCheck(session->Job());
    std::cout << DataCheckText(check);
    ProcessCoilMakers().SetNotifier(nullptr);
    if (check.Faults() > 0 || !check.Solved)
        throw CLI::RuntimeError(2);
}

} // namespace

void AddCheckCommand(CLI::App& app)
{
    auto options = std::make_shared<CheckOptions>();
    auto* cmd =
        app.add_subcommand("check", "Rate the default coil of a kind, or a project file, and print the "
                                    "data check: each input with its range and a verdict, and the "
                                    "physical checks of the solve");
    AddJobOptions(cmd, *options);
    cmd->add_option("FILE", options->file,
                    "A project file (.zmx) to open into the coil of the kind it holds");
    cmd->callback([options, cmd] {
        options->kindGiven = cmd->get_option("--kind")->count() > 0;
        runCheck(*options);
    });
}

} // namespace zmk::cli
