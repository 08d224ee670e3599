// What the job commands (solve, step, report) share: the options that choose the coil kind and
// change its inputs, the default job built from them, and a notifier that prints the program's
// messages. Inputs are entry-field values in their stored units, typed and left as a user would.
#pragma once

#include "base/Notifier.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace zmk {
class TCoilJob;
class TProjectSession;
} // namespace zmk

namespace zmk::cli {

/// The coil kind and the inputs of a job command.
struct JobOptions
{
    std::string kind = "zmk";
    std::vector<std::string> sets; ///< "name=value" assignments, in the order given
    bool strict = false;           ///< an input outside its field's range is an error, not a clamp
};

/// Adds --kind and --set to a command.
void AddJobOptions(CLI::App* cmd, JobOptions& options);

/// Builds the default job of the options' kind and applies their inputs: the liquid, the liquid
/// control and the spray first (they decide which fields may be edited), then the fields in the
/// order given. Throws std::runtime_error with a message for a wrong kind or input. An input
/// brought to its field's range is said on standard error and, when `clamped` is given, added
/// to it as a sentence; with `strict` it throws instead.
void BuildJob(TProjectSession& session, const JobOptions& options,
              std::vector<std::string>* clamped = nullptr);

/// Applies the options' inputs to a job that has a coil, as BuildJob does after building it.
/// Throws std::runtime_error with a message for a wrong input. An input brought to its range is
/// said on `notes` (standard error when null).
void ApplyJobOptions(TCoilJob& job, const JobOptions& options, std::vector<std::string>* clamped = nullptr,
                     std::ostream* notes = nullptr);

/// The job a command works on: with a project file, the file opened into the coil of the kind it
/// holds (or of --kind when kindGiven) with the options' inputs over it; without one, the
/// default job of the options' kind as BuildJob builds it.
void LoadJob(TProjectSession& session, const JobOptions& options, const std::string& file, bool kindGiven);

/// Prints every message on standard error (or the stream it is given), line breaks kept, so
/// that the catalogue's notes reach the user too.
class PrintingNotifier : public INotifier
{
public:
    PrintingNotifier();
    /// Prints on `out` instead, which must outlive the notifier.
    explicit PrintingNotifier(std::ostream& out) : out_(&out) {}
    void Message(const std::string& text) override;
    /// Whether this text was printed as a message already.
    bool Printed(const std::string& text) const;

private:
    std::ostream* out_;
    std::vector<std::string> printed_;
};

} // namespace zmk::cli
