// The e-mail settings the maker's programs share in the common settings ("Common.ini"): the
// sender and the chosen way of sending (section "User"), and the SMTP server with its
// authentication (section "filtr"). Every "filtr" value, numbers included, is stored as text
// enciphered with DES in 8-bit cipher feedback, keyed by the SHA-1 digest of the program's pass
// phrase, and written in Base64. That only hides the values from a casual look at the file:
// anyone holding the program can read them back. The file itself is therefore written readable
// by its owner only.
#pragma once

#include "platform/SettingsStore.h"

#include <optional>
#include <string>
#include <string_view>

namespace zmk {

struct TRegisteredUser;

inline constexpr std::string_view kMailUserSection = "User";
inline constexpr std::string_view kMailServerSection = "filtr";

/// The pass phrase whose SHA-1 digest keys the cipher of the stored server settings. It is
/// part of the program: changing it makes every stored value unreadable.
inline constexpr std::string_view kMailSettingsPassPhrase = "Qv7fin$k";

/// How a message leaves: the desktop's mail client, or straight to an SMTP server.
enum class TMailProtocol { MailClient = 0, Smtp = 1 };

/// How the SMTP server wants the sender to prove who it is.
enum class TMailAuthentication { None = 0, Smtp = 1, PopBeforeSmtp = 2 };

/// The captions of the three authentication choices, in order.
inline constexpr const char* kAuthenticationCaptions[] = {"No authentication", "SMTP authentication",
                                                          "POP-before-SMTP authentication"};

/// The sender as the e-mail window remembers it (section "User").
struct TMailSender
{
    std::string Name;                                   ///< "Name"
    std::string Company;                                ///< "Company"
    std::string Address;                                ///< "EMail"
    TMailProtocol Protocol = TMailProtocol::MailClient; ///< "Protocol": 0 mail client, 1 SMTP

    bool operator==(const TMailSender&) const = default;
};

/// The SMTP server and its authentication (section "filtr", enciphered).
struct TSmtpSettings
{
    std::string Server;    ///< "prm": outgoing server's host name or address
    int Port = 25;         ///< "npc"
    std::string UserName;  ///< "sec"
    std::string Password;  ///< "nsc"
    std::string PopServer; ///< "trt": POP server for POP-before-SMTP
    int PopPort = 110;     ///< "ntc"
    TMailAuthentication Authentication = TMailAuthentication::None; ///< "knd"
    /// "clr": the password may go over a connection without encryption (a server that offers
    /// no STARTTLS). Off, such a server is refused rather than given the password.
    bool AllowPlainPassword = false;

    bool operator==(const TSmtpSettings&) const = default;
};

/// Enciphers a setting's text (UTF-8) for the store: DES-CFB8 with a zero IV, Base64.
std::string EncipherSetting(std::string_view plain);
/// Deciphers a stored setting; nothing when the text is not Base64 or does not decipher to
/// printable UTF-8 text.
std::optional<std::string> DecipherSetting(std::string_view stored);

/// The sender's address the desktop knows: $EMAIL (the address mail tools share), or "".
std::string DefaultMailAddress();

/// Reads the sender, with the registered owner and organisation and the desktop's address as
/// the defaults of missing values; a protocol that is neither 0 nor 1 reads as 0.
TMailSender ReadMailSender(const ISettingsStore& common, const TRegisteredUser& user,
                           std::string_view defaultAddress);
/// Writes the sender into section "User".
void WriteMailSender(ISettingsStore& common, const TMailSender& sender);

/// The server settings and whether they read well.
struct TSmtpSettingsRead
{
    TSmtpSettings Settings;
    bool Ok = true; ///< false when some stored value could not be read: all are the defaults
};

/// Reads the server settings. A missing value is its default; a value that does not decipher,
/// a port outside 1..65535, an authentication outside 0..2 or a "clr" other than 0 or 1 makes
/// every value its default.
TSmtpSettingsRead ReadSmtpSettings(const ISettingsStore& common);
/// Writes the server settings, each enciphered.
void WriteSmtpSettings(ISettingsStore& common, const TSmtpSettings& settings);

/// Writes a settings store's pending changes now; a store kept in a file gets that file
/// readable and writable by its owner only (0600) from before the first byte. False when the
/// write failed, or when the file could not be read when the store was made (a named pipe,
/// too large...): that file is left as it is, mode included.
bool SaveMailSettingsFile(ISettingsStore& common);

} // namespace zmk
