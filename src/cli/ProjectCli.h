// What the command line's job commands share on top of the project session: the session of a
// command (the user's stored property defaults read, nothing written), the default coil of a
// kind with the command line's wording for a wrong kind, and messages made fit for a terminal.
#pragma once

#include "app/ProjectSession.h"
#include "platform/SettingsStore.h"

#include <memory>
#include <string>

namespace zmk {
class INotifier;
}

namespace zmk::cli {

/// A session of a command. With a project file the property defaults come from the user's
/// settings (read only); for the built-in default job from an empty store, so that its pages
/// do not depend on what the user once kept as defaults.
class CommandSession
{
public:
    /// A user settings file that could not be read is said on the notifier unless
    /// tellUnreadSettings is false (a batch says it once for all its files).
    CommandSession(INotifier* notifier, bool userDefaults, bool tellUnreadSettings = true);
    /// A session on a copy of settings read once for many: the files of a batch each get the
    /// user's settings as they were when the batch began, without reading the file again.
    CommandSession(INotifier* notifier, const TMemorySettingsStore& settings);
    TProjectSession& operator*() { return *session_; }
    TProjectSession* operator->() { return session_.get(); }

private:
    TMemorySettingsStore store_; // empty for the default job, or a copy of the batch's settings
    std::unique_ptr<TProjectSession> session_;
};

/// Builds the default coil of a kind (zmk, hwc or cwc, any case); throws std::runtime_error for
/// another kind or when no coil could be built.
void BuildDefault(TProjectSession& session, const std::string& kind);
/// Every section and value of a store, copied into memory.
TMemorySettingsStore CopyOfSettings(const ISettingsStore& settings);
/// A message of the program as one line-broken text for a terminal (CR LF and CR become LF,
/// and every other control character is removed: see PrintableText).
std::string TerminalText(std::string text);

} // namespace zmk::cli
