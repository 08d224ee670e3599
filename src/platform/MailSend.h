// Sending a message: straight to an SMTP server through libcurl (TLS through STARTTLS when the
// server offers it, the stored authentication, POP-before-SMTP by a POP login first), or by
// handing it to the desktop's mail client through xdg-email. Neither shows anything: the
// outcome comes back as a value for the window to show. Passwords are never part of an
// outcome's text or of a command line, and never cross a connection without encryption unless
// the settings allow it.
#pragma once

#include "platform/Mail.h"
#include "platform/MailSettings.h"

#include <string>
#include <vector>

namespace zmk {

/// How a send ended.
struct TSendResult
{
    bool Sent = false;
    std::string Error;                ///< why it failed, for the status bar; "" when sent
    std::vector<std::string> Skipped; ///< attachments left out because they could not be read
};

/// Time limits of an SMTP or POP session.
struct TSmtpOptions
{
    long ConnectTimeoutS = 20; ///< to reach the server, seconds
    long StallTimeoutS = 60;   ///< the longest time without progress, seconds
    long TimeoutS = 600;       ///< the whole session, seconds
    /// Certificates to trust instead of the system's (a server with a private certificate
    /// authority); empty for the system's.
    std::string CaFile;
};

/// The URL of a server: "smtp://host:port" ("smtps://" on port 465, where TLS starts at once);
/// an IPv6 address is put in brackets. Empty when the host name holds blanks or control
/// characters.
std::string ServerUrl(const std::string& scheme, const std::string& host, int port);

/// The SMTP settings' check box that lets a password cross a connection without encryption.
inline constexpr const char* kAllowPlainPasswordCaption = "Allow password without encryption";

/// Why a send that would have had to give the password away unencrypted was stopped, and how
/// to allow it; `pop` for the POP server's login.
std::string PlainPasswordRefusal(bool pop);

/// Sends a message to its recipients and blind copies through the SMTP server. With
/// POP-before-SMTP the POP login comes first. The message counts as sent only once the server
/// has answered the whole of it with "250"; a connection broken before that answer, or any
/// other answer, is a failure. A password goes only over an encrypted connection (STARTTLS, or
/// TLS from the start on port 465) unless the settings allow it without. The connection is
/// closed in every case.
TSendResult SendSmtp(const TMailMessage& message, const TSmtpSettings& settings,
                     const TSmtpOptions& options = {});

/// Logs in to the POP server with the user name and password and logs out again; the password
/// only over an encrypted connection (STLS, or TLS from the start on port 995) unless the
/// settings allow it without.
TSendResult PopLogin(const TSmtpSettings& settings, const TSmtpOptions& options = {});

/// The arguments for xdg-email: --utf8, the subject, the message text as body, every
/// attachment that is a readable file, the blind copies, then the recipients.
std::vector<std::string> XdgEmailArguments(const TMailMessage& message);

/// The text the status bar shows when the desktop's mail client fails.
inline constexpr const char* kMailClientError = "Error sending email...";

/// The desktop's mail client, started through xdg-email. The client opens its own composer;
/// a client still running after the wait has taken the message, and is collected later.
class TSystemMailClient
{
public:
    /// program: the xdg-email program (looked up in PATH); waitMs: how long to wait for it.
    explicit TSystemMailClient(std::string program = "xdg-email", int waitMs = 10000);
    ~TSystemMailClient();
    TSystemMailClient(const TSystemMailClient&) = delete;
    TSystemMailClient& operator=(const TSystemMailClient&) = delete;

    /// Hands the message over; an error when the client could not be started or said no.
    TSendResult Send(const TMailMessage& message);

private:
    std::string program_;
    int waitMs_;
    std::vector<int> running_;
};

/// The two ways out, behind one interface so that the e-mail window can be tested.
class IMailTransport
{
public:
    virtual ~IMailTransport() = default;
    virtual TSendResult SendSmtp(const TMailMessage& message, const TSmtpSettings& settings) = 0;
    virtual TSendResult SendWithClient(const TMailMessage& message) = 0;
};

/// The real ways out: libcurl and xdg-email.
class TMailTransport : public IMailTransport
{
public:
    TSendResult SendSmtp(const TMailMessage& message, const TSmtpSettings& settings) override;
    TSendResult SendWithClient(const TMailMessage& message) override;

    TSmtpOptions Options;
    TSystemMailClient Client;
};

} // namespace zmk
