// The window program from its command line to its end: the options, the start-up steps before
// the window exists (folders, the merge of installed data files, unit choices), the session,
// the model and the window, the event loop, and the test option that writes a screenshot.
#pragma once

#include <string>
#include <vector>

namespace zmk::gui {

/// What the command line asks for.
struct TProgramOptions
{
    bool Version = false;               ///< --version: print the caption and stop
    bool Help = false;                  ///< --help
    std::string Screenshot;             ///< --screenshot FILE: solve, write a picture of the window, close
    std::string PrintPage;              ///< --print-pdf PAGE OUT: the page to print, without a window
    std::string PrintPdf;               ///< the PDF file it goes to
    std::vector<std::string> Arguments; ///< the project's path: the other arguments, with a "--"
    std::string Error;                  ///< an option without its value, or one not known
};

/// Reads the program's own options; everything else is left for the project's command line.
TProgramOptions ParseProgramOptions(const std::vector<std::string>& arguments);
/// The help text of the command line.
std::string ProgramUsage();

/// Runs the window program; returns its exit status.
int RunProgram(int argc, char** argv);

} // namespace zmk::gui
