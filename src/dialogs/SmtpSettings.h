// The "SMTP Settings:" window without its widgets: the outgoing server and port, the
// authentication choice, the user name and password (used by SMTP authentication and by
// POP-before-SMTP) with the choice to let the password go without encryption, and the POP
// server and port (POP-before-SMTP only). The values are read from the common settings when
// the window is made and written back, enciphered, when it closes.
#pragma once

#include "platform/MailSend.h"
#include "platform/MailSettings.h"
#include "platform/SettingsStore.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zmk {

inline constexpr const char* kSmtpSettingsTitle = "SMTP Settings:";
/// What the window says about how the values are kept.
inline constexpr const char* kSmtpSettingsNote =
    "These settings are kept in your own settings file, readable only by you. They are enciphered "
    "only to hide them from a casual look: anyone with this program can read them back.";

/// What the window says beside "Allow password without encryption".
inline constexpr const char* kAllowPlainPasswordNote =
    "Left clear, the password is sent only over an encrypted connection (STARTTLS, or port 465), "
    "and a server that offers none is refused. Tick it only for a server you reach over a network "
    "you trust: anyone on the way can read a password sent without encryption.";

class TSmtpSettingsForm
{
public:
    /// Reads the stored values; when any of them cannot be read, all are the defaults.
    explicit TSmtpSettingsForm(ISettingsStore& common);
    TSmtpSettingsForm(const TSmtpSettingsForm&) = delete;
    TSmtpSettingsForm& operator=(const TSmtpSettingsForm&) = delete;

    /// The values as the fields hold them.
    TSmtpSettings Values;
    /// Whether the stored values read well when the window was made.
    bool ReadOk() const { return readOk_; }

    /// The authentication choices' captions, in order.
    static std::vector<std::string> AuthenticationCaptions();
    /// The chosen authentication, 0..2.
    int AuthenticationIndex() const { return static_cast<int>(Values.Authentication); }
    /// Chooses an authentication; an index outside 0..2 changes nothing.
    void SetAuthenticationIndex(int index);

    /// User name and password: SMTP authentication and POP-before-SMTP.
    bool UserNameEnabled() const;
    bool PasswordEnabled() const { return UserNameEnabled(); }
    /// "Allow password without encryption": wherever a password is sent.
    bool AllowPlainPasswordEnabled() const { return UserNameEnabled(); }
    /// POP server and port: POP-before-SMTP only.
    bool PopServerEnabled() const;
    bool PopPortEnabled() const { return PopServerEnabled(); }

    /// The port fields' texts.
    std::string PortText() const { return std::to_string(Values.Port); }
    std::string PopPortText() const { return std::to_string(Values.PopPort); }
    /// Sets a port from its field's text: a whole number 1..65535, blanks around it allowed.
    /// False, with the port unchanged, for any other text.
    bool SetPortText(std::string_view text);
    bool SetPopPortText(std::string_view text);

    /// The window closes: the values are written to the common settings, and the settings
    /// file, readable by its owner only, is written at once. False when that write failed.
    bool Close();

private:
    ISettingsStore& common_;
    bool readOk_ = true;
};

/// A port number from a field's text; nothing when it is not a whole number 1..65535.
std::optional<int> ParsePort(std::string_view text);

} // namespace zmk
