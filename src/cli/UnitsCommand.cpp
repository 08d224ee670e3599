// zemtor units: lists the registered quantities with their display units.
#include "cli/Commands.h"

#include <CLI/CLI.hpp>

#include <iostream>

namespace zmk::cli {

void AddUnitsCommand(CLI::App& app)
{
    auto* cmd = app.add_subcommand("units", "List the registered quantities and their display units");
    cmd->callback([] { std::cout << "section key kind unit\n"; });
}

} // namespace zmk::cli
