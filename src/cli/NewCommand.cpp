// zemtor new: writes the default project of a coil kind (its start values built into a coil and
// rated once), ready to be edited and rated with zemtor solve FILE. An existing file is kept
// unless --force is given.
#include "cli/Commands.h"
#include "cli/JobOptions.h"
#include "cli/ProjectCli.h"

#include "base/Notifier.h"
#include "geometry/CoilMakers.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>

namespace zmk::cli {

namespace {

struct NewOptions
{
    std::string kind = "zmk";
    std::string file;
    bool force = false;
};

void runNew(const NewOptions& options)
{
    std::error_code ec;
    if (!options.force && std::filesystem::exists(options.file, ec))
        throw std::runtime_error(options.file + " exists already (use --force to replace it)");
    PrintingNotifier notifier;
    ProcessCoilMakers().SetNotifier(&notifier);
    CommandSession session(&notifier, true);
    BuildDefault(*session, options.kind);
    session->Properties().ResetProperties();
    session->SaveOrThrow(options.file);
    ProcessCoilMakers().SetNotifier(nullptr);
}

} // namespace

void AddNewCommand(CLI::App& app)
{
    auto options = std::make_shared<NewOptions>();
    auto* cmd = app.add_subcommand("new", "Write the default project of a coil kind to a .zmx file");
    cmd->add_option("--kind", options->kind,
                    "Coil kind: zmk (heat recovery), hwc (hot water), cwc (chilled water)")
        ->default_str("zmk");
    cmd->add_flag("--force", options->force, "Replace the file when it exists");
    cmd->add_option("FILE", options->file, "The project file to write")->required();
    cmd->callback([options] { runNew(*options); });
}

} // namespace zmk::cli
