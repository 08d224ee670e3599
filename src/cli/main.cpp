// zemtor: the command-line face of the coil rating program.
#include "cli/Commands.h"
#include "cli/ProjectCli.h"

#include "base/Version.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <exception>
#include <iostream>
#include <iterator>
#include <string_view>

namespace {

// Each sub-command with what sets it up. Setting up every one of them (their options, checks and
// help texts) takes a third of the start-up's own work, so a command line that names one sets up
// that one alone; anything else (no command, --help, --version, a word that is no command) sets
// up all of them, for the list of commands and the messages that name them.
struct SubCommand
{
    std::string_view name;
    void (*add)(CLI::App&);
};

constexpr SubCommand kSubCommands[] = {
    {"units", zmk::cli::AddUnitsCommand},       {"props", zmk::cli::AddPropsCommand},
    {"geometry", zmk::cli::AddGeometryCommand}, {"solve", zmk::cli::AddSolveCommand},
    {"step", zmk::cli::AddStepCommand},         {"report", zmk::cli::AddReportCommand},
    {"new", zmk::cli::AddNewCommand},           {"export-psy", zmk::cli::AddExportPsyCommand},
    {"location", zmk::cli::AddLocationCommand}, {"size", zmk::cli::AddSizeCommand},
    {"chart", zmk::cli::AddChartCommand},       {"check", zmk::cli::AddCheckCommand},
    {"select", zmk::cli::AddSelectCommand},
};

} // namespace

int main(int argc, char** argv)
{
    CLI::App app{"zemtor - rates finned-tube coils: air on the fins, a pumped liquid in the tubes"};
    app.require_subcommand(1);
    app.set_version_flag("--version", zmk::ProgramCaption(),
                         "Print the program's name and version, then exit");
    const std::string_view first = argc > 1 ? std::string_view(argv[1]) : std::string_view();
    const auto named = std::find_if(std::begin(kSubCommands), std::end(kSubCommands),
                                    [&](const SubCommand& c) { return c.name == first; });
    if (named != std::end(kSubCommands)) {
        named->add(app);
    } else {
        for (const SubCommand& c : kSubCommands)
            c.add(app);
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e);
    } catch (const std::exception& e) {
        std::cerr << "zemtor: " << zmk::cli::TerminalText(e.what()) << "\n";
        return 1;
    }
    return 0;
}
