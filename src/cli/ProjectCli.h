// What the project-file commands (new, solve FILE, report FILE, export-psy) share: a coil job
// with its project properties (their stored defaults read from the user's settings), opened
// from a project file into a coil of the kind the file holds.
#pragma once

#include "app/CoilJob.h"
#include "app/ProjectProperties.h"
#include "app/SettingsStore.h"

#include <string>

namespace zmk {
class INotifier;
}

namespace zmk::cli {

/// A job of the command line with its project properties.
struct ProjectJob
{
    /// The properties read their stored defaults from the user's settings, which are not written.
    explicit ProjectJob(INotifier* notifier);
    TIniSettingsStore store;
    TProjectProperties properties;
    TCoilJob job;
};

/// Builds the default coil of a kind (zmk, hwc or cwc, any case); throws std::runtime_error for
/// another kind or when no coil could be built.
void BuildDefault(ProjectJob& project, const std::string& kind);
/// Opens a project file: builds the default coil of `kind`, or when that is empty of the kind
/// the file holds (zmk when it holds none), then opens the file into it, which leaves the job not
/// solved. Throws std::runtime_error, with the program's message, when the file is missing or
/// cannot be read; other messages (a file of another kind) go to the notifier.
void OpenProjectFile(ProjectJob& project, const std::string& fileName, const std::string& kind,
                     INotifier* notifier);
/// Saves the job to a file; throws std::runtime_error with the reason when that fails.
void SaveProjectFile(ProjectJob& project, const std::string& fileName);
/// A message of the program as one line-broken text for a terminal (CR LF and CR become LF).
std::string TerminalText(std::string text);

} // namespace zmk::cli
