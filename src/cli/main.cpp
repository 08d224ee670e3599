// zemtor: the command-line face of the coil rating program.
#include "cli/Commands.h"
#include "cli/ProjectCli.h"

#include "base/Version.h"

#include <CLI/CLI.hpp>

#include <exception>
#include <iostream>

int main(int argc, char** argv)
{
    CLI::App app{"zemtor - rates finned-tube coils: air on the fins, a pumped liquid in the tubes"};
    app.require_subcommand(1);
    app.set_version_flag("--version", zmk::ProgramCaption(),
                         "Print the program's name and version, then exit");
    zmk::cli::AddUnitsCommand(app);
    zmk::cli::AddPropsCommand(app);
    zmk::cli::AddGeometryCommand(app);
    zmk::cli::AddSolveCommand(app);
    zmk::cli::AddStepCommand(app);
    zmk::cli::AddReportCommand(app);
    zmk::cli::AddNewCommand(app);
    zmk::cli::AddExportPsyCommand(app);
    zmk::cli::AddLocationCommand(app);
    zmk::cli::AddSizeCommand(app);
    zmk::cli::AddChartCommand(app);
    zmk::cli::AddCheckCommand(app);
    zmk::cli::AddSelectCommand(app);
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
