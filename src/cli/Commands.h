// The sub-commands of zemtor. Each adds itself to the command-line application.
#pragma once

namespace CLI {
class App;
}

namespace zmk::cli {

void AddUnitsCommand(CLI::App& app);
void AddPropsCommand(CLI::App& app);
void AddGeometryCommand(CLI::App& app);
void AddSolveCommand(CLI::App& app);
void AddStepCommand(CLI::App& app);
void AddReportCommand(CLI::App& app);
void AddNewCommand(CLI::App& app);
void AddExportPsyCommand(CLI::App& app);
void AddLocationCommand(CLI::App& app);
void AddSizeCommand(CLI::App& app);
void AddChartCommand(CLI::App& app);
void AddCheckCommand(CLI::App& app);
void AddSelectCommand(CLI::App& app);

} // namespace zmk::cli
