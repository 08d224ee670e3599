#include "dialogs/SmtpSettings.h"

#include "base/NumText.h"

#include <charconv>

namespace zmk {

std::optional<int> ParsePort(std::string_view text)
{
    const std::string t = Trim(text);
    int port = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), port);
    if (t.empty() || ec != std::errc() || end != t.data() + t.size() || port < 1 || port > 65535)
        return std::nullopt;
    return port;
}

TSmtpSettingsForm::TSmtpSettingsForm(ISettingsStore& common) : common_(common)
{
    const TSmtpSettingsRead read = ReadSmtpSettings(common_);
    Values = read.Settings;
    readOk_ = read.Ok;
}

std::vector<std::string> TSmtpSettingsForm::AuthenticationCaptions()
{
    return {std::begin(kAuthenticationCaptions), std::end(kAuthenticationCaptions)};
}

void TSmtpSettingsForm::SetAuthenticationIndex(int index)
{
    if (index >= 0 && index <= 2)
        Values.Authentication = static_cast<TMailAuthentication>(index);
}

bool TSmtpSettingsForm::UserNameEnabled() const
{
    return Values.Authentication == TMailAuthentication::Smtp ||
           Values.Authentication == TMailAuthentication::PopBeforeSmtp;
}

bool TSmtpSettingsForm::PopServerEnabled() const
{
    return Values.Authentication == TMailAuthentication::PopBeforeSmtp;
}

bool TSmtpSettingsForm::SetPortText(std::string_view text)
{
    const auto port = ParsePort(text);
    if (port)
        Values.Port = *port;
    return port.has_value();
}

bool TSmtpSettingsForm::SetPopPortText(std::string_view text)
{
    const auto port = ParsePort(text);
    if (port)
        Values.PopPort = *port;
    return port.has_value();
}

bool TSmtpSettingsForm::Close()
{
    WriteSmtpSettings(common_, Values);
    return SaveMailSettingsFile(common_);
}

} // namespace zmk
