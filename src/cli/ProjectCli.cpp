#include "cli/ProjectCli.h"

#include "base/TextHelpers.h"

#include "app/ProjectProperties.h"
#include "base/Errors.h"

#include <optional>
#include <stdexcept>

namespace zmk::cli {

namespace {

// The account's name does not change while the program runs: read once, not for each file of a
// batch (the account database is a file read).
const TRegisteredUser& processUser()
{
    static const TRegisteredUser user = ReadRegisteredUser();
    return user;
}

} // namespace

CommandSession::CommandSession(INotifier* notifier, bool userDefaults, bool tellUnreadSettings)
{
    TSessionSetup setup;
    setup.Notifier = notifier;
    setup.TellUnreadSettings = tellUnreadSettings;
    setup.User = processUser();
    if (!userDefaults)
        setup.Store = &store_;
    session_ = std::make_unique<TProjectSession>(setup);
}

CommandSession::CommandSession(INotifier* notifier, const TMemorySettingsStore& settings) : store_(settings)
{
    TSessionSetup setup;
    setup.Notifier = notifier;
    setup.User = processUser();
    setup.Store = &store_;
    session_ = std::make_unique<TProjectSession>(setup);
}

TMemorySettingsStore CopyOfSettings(const ISettingsStore& settings)
{
    TMemorySettingsStore copy;
    for (const std::string& section : settings.Sections())
        for (const std::string& name : settings.ValueNames(section))
            if (const std::optional<std::string> text = settings.ReadValue(section, name))
                copy.WriteValue(section, name, *text);
    return copy;
}

void BuildDefault(TProjectSession& session, const std::string& kind)
{
    if (!CanonicalCoilKind(kind))
        throw std::runtime_error("--kind expects zmk, hwc or cwc, not '" + kind + "'");
    try {
        session.BuildKind(kind);
    } catch (const ZmkError&) {
        throw std::runtime_error("no coil could be built");
    }
}

std::string TerminalText(std::string text)
{
    // Line by line: a message may quote a name from a file, and no control character of it may
    // reach the terminal.
    std::string out;
    std::size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != '\r' && text[i] != '\n')
            continue;
        out += PrintableText(std::string_view(text).substr(start, i - start));
        if (i == text.size())
            break;
        out += '\n';
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    return out;
}

} // namespace zmk::cli
