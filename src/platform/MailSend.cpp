#include "platform/MailSend.h"

#include "base/NumText.h"
#include "platform/ChildProcess.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>

#include <unistd.h>

namespace zmk {

namespace {

void initCurl()
{
    static const bool done = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    (void)done;
}

struct CurlDeleter
{
    void operator()(CURL* c) const { curl_easy_cleanup(c); }
};
struct SlistDeleter
{
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};
using CurlHandle = std::unique_ptr<CURL, CurlDeleter>;
using CurlList = std::unique_ptr<curl_slist, SlistDeleter>;

// The message bytes handed to libcurl as the upload.
struct Upload
{
    const std::string* bytes;
    std::size_t done = 0;
};

std::size_t readUpload(char* buffer, std::size_t size, std::size_t count, void* user)
{
    auto* up = static_cast<Upload*>(user);
    const std::size_t n = std::min(size * count, up->bytes->size() - up->done);
    std::memcpy(buffer, up->bytes->data() + up->done, n);
    up->done += n;
    return n;
}

std::size_t discard(char*, std::size_t size, std::size_t count, void*)
{
    return size * count;
}

// What every session shares: time limits, no signals, TLS when the server offers it (and no
// session at all without TLS when `tlsOnly`: libcurl then stops before any login), and a
// connection that is not kept for later (cleaning the handle up closes it).
void commonOptions(CURL* c, const TSmtpOptions& o, char* errors, bool tlsOnly)
{
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, o.ConnectTimeoutS);
    curl_easy_setopt(c, CURLOPT_TIMEOUT, o.TimeoutS);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, o.StallTimeoutS);
    curl_easy_setopt(c, CURLOPT_USE_SSL, static_cast<long>(tlsOnly ? CURLUSESSL_ALL : CURLUSESSL_TRY));
    curl_easy_setopt(c, CURLOPT_FORBID_REUSE, 1L);
    if (!o.CaFile.empty())
        curl_easy_setopt(c, CURLOPT_CAINFO, o.CaFile.c_str());
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errors);
    errors[0] = '\0';
}

std::string curlError(CURLcode code, const char* errors)
{
    return errors && errors[0] ? std::string(errors) : std::string(curl_easy_strerror(code));
}

TSendResult failed(std::string why)
{
    TSendResult r;
    r.Error = std::move(why);
    return r;
}

// The connection broken under libcurl: the server hung up or reset it while libcurl was
// sending or waiting for an answer.
bool connectionBroken(CURLcode code)
{
    return code == CURLE_RECV_ERROR || code == CURLE_GOT_NOTHING || code == CURLE_SEND_ERROR ||
           code == CURLE_PARTIAL_FILE || code == CURLE_WEIRD_SERVER_REPLY;
}

// Whether a password goes with the session and must therefore travel encrypted.
bool passwordNeedsTls(const TSmtpSettings& settings)
{
    return !settings.Password.empty() && !settings.AllowPlainPassword;
}

// The reason a session that did not end in the "250" for the message failed, in words.
std::string sendFailure(CURLcode code, long reply, const char* errors, bool tlsOnly)
{
    if (code == CURLE_USE_SSL_FAILED && tlsOnly)
        return PlainPasswordRefusal(false);
    // An answer of 400 or more is the server saying no, whatever libcurl calls it; libcurl's own
    // text names the command refused, when it has one.
    if (reply >= 400)
        return "the server refused it with reply " + std::to_string(reply) +
               (errors && errors[0] ? " (" + std::string(errors) + ")" : std::string());
    // libcurl's detail of a broken connection is a system error of no use to the user.
    if (connectionBroken(code))
        return "the server closed the connection before it confirmed the message (" +
               std::string(curl_easy_strerror(code)) + ")";
    if (code == CURLE_OK)
        return "the server did not confirm the message" +
               (reply > 0 ? " (its last reply was " + std::to_string(reply) + ")" : std::string());
    return curlError(code, errors);
}

} // namespace

std::string PlainPasswordRefusal(bool pop)
{
    const std::string server = pop ? "The POP server" : "The server";
    const std::string command = pop ? "STLS" : "STARTTLS";
    return server + " offers no encrypted connection (" + command +
           "), so the password was not sent. To send it unencrypted anyway, tick \"" +
           kAllowPlainPasswordCaption + "\" in the SMTP settings";
}

std::string ServerUrl(const std::string& scheme, const std::string& host, int port)
{
    std::string h = Trim(host);
    if (h.empty() || std::any_of(h.begin(), h.end(), [](char ch) {
            const auto c = static_cast<unsigned char>(ch);
            return c <= 0x20 || c == 0x7F || std::strchr("/@?#\\", ch) != nullptr;
        }))
        return std::string();
    if (h.find(':') != std::string::npos && h.front() != '[')
        h = "[" + h + "]";
    std::string s = scheme;
    if (scheme == "smtp" && port == 465)
        s = "smtps";
    else if (scheme == "pop3" && port == 995)
        s = "pop3s";
    return s + "://" + h + ":" + std::to_string(port);
}

TSendResult PopLogin(const TSmtpSettings& settings, const TSmtpOptions& options)
{
    const std::string url = ServerUrl("pop3", settings.PopServer, settings.PopPort);
    if (url.empty())
        return failed(settings.PopServer.empty()
                          ? "No POP server is set"
                          : "The POP server's name is not valid: " + settings.PopServer);
    initCurl();
    CurlHandle c(curl_easy_init());
    if (!c)
        return failed("The mail library could not start");
    char errors[CURL_ERROR_SIZE];
    const bool tlsOnly = passwordNeedsTls(settings);
    commonOptions(c.get(), options, errors, tlsOnly);
    curl_easy_setopt(c.get(), CURLOPT_URL, (url + "/").c_str());
    curl_easy_setopt(c.get(), CURLOPT_USERNAME, settings.UserName.c_str());
    curl_easy_setopt(c.get(), CURLOPT_PASSWORD, settings.Password.c_str());
    // A NOOP after the login: the server knows this address has logged in, nothing is fetched.
    curl_easy_setopt(c.get(), CURLOPT_CUSTOMREQUEST, "NOOP");
    curl_easy_setopt(c.get(), CURLOPT_NOBODY, 1L);
    curl_easy_setopt(c.get(), CURLOPT_WRITEFUNCTION, discard);
    const CURLcode code = curl_easy_perform(c.get());
    if (code == CURLE_USE_SSL_FAILED && tlsOnly)
        return failed("POP login failed: " + PlainPasswordRefusal(true));
    if (code != CURLE_OK)
        return failed("POP login failed: " + curlError(code, errors));
    TSendResult r;
    r.Sent = true;
    return r;
}

TSendResult SendSmtp(const TMailMessage& message, const TSmtpSettings& settings, const TSmtpOptions& options)
{
    const std::string url = ServerUrl("smtp", settings.Server, settings.Port);
    if (url.empty())
        return failed(settings.Server.empty() ? "No SMTP server is set"
                                              : "The SMTP server's name is not valid: " + settings.Server);
    if (!IsMailAddress(Trim(message.FromAddress)))
        return failed("The sender's address is not valid: \"" + message.FromAddress + "\"");
    std::vector<std::string> recipients = MailAddresses(message.To);
    const std::vector<std::string> blind = MailAddresses(message.Bcc);
    recipients.insert(recipients.end(), blind.begin(), blind.end());
    if (recipients.empty())
        return failed("No recipient");
    for (const std::string& r : recipients)
        if (!IsMailAddress(r))
            return failed("Not a valid address: \"" + r + "\"");

    if (settings.Authentication == TMailAuthentication::PopBeforeSmtp) {
        TSendResult pop = PopLogin(settings, options);
        if (!pop.Sent)
            return pop;
    }

    TSendResult result;
    const std::string bytes = BuildMimeMessage(message, NewMimeStamp(), &result.Skipped);
    initCurl();
    CurlHandle c(curl_easy_init());
    if (!c)
        return failed("The mail library could not start");
    char errors[CURL_ERROR_SIZE];
    const bool withLogin = settings.Authentication == TMailAuthentication::Smtp;
    const bool tlsOnly = withLogin && passwordNeedsTls(settings);
    commonOptions(c.get(), options, errors, tlsOnly);
    curl_easy_setopt(c.get(), CURLOPT_URL, url.c_str());
    if (withLogin) {
        curl_easy_setopt(c.get(), CURLOPT_USERNAME, settings.UserName.c_str());
        curl_easy_setopt(c.get(), CURLOPT_PASSWORD, settings.Password.c_str());
    }
    const std::string from = "<" + Trim(message.FromAddress) + ">";
    curl_easy_setopt(c.get(), CURLOPT_MAIL_FROM, from.c_str());
    CurlList rcpt;
    for (const std::string& r : recipients)
        rcpt.reset(curl_slist_append(rcpt.release(), ("<" + r + ">").c_str()));
    curl_easy_setopt(c.get(), CURLOPT_MAIL_RCPT, rcpt.get());
    Upload upload{&bytes};
    curl_easy_setopt(c.get(), CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(c.get(), CURLOPT_READFUNCTION, readUpload);
    curl_easy_setopt(c.get(), CURLOPT_READDATA, &upload);
    curl_easy_setopt(c.get(), CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(bytes.size()));

    const CURLcode code = curl_easy_perform(c.get());
    // libcurl keeps the server's last reply to the session (the QUIT's does not count); on the
    // wire the upload is the message with its lines that start with "." doubled.
    long reply = 0;
    curl_easy_getinfo(c.get(), CURLINFO_RESPONSE_CODE, &reply);
    curl_off_t onWire = 0;
    curl_easy_getinfo(c.get(), CURLINFO_SIZE_UPLOAD_T, &onWire);
    c.reset();
    // Sent only when the server said "250" to the end of the data and all of the message went
    // out before it. A server that hangs up before that answer may have the message or not:
    // it is not sent, and the user still has it to send again.
    const bool whole = upload.done == bytes.size() && onWire >= static_cast<curl_off_t>(bytes.size());
    if (code == CURLE_OK && reply == 250 && whole) {
        result.Sent = true;
        return result;
    }
    result.Error = "Could not send the message: " + sendFailure(code, reply, errors, tlsOnly);
    return result;
}

std::vector<std::string> XdgEmailArguments(const TMailMessage& message)
{
    std::vector<std::string> args{"--utf8"};
    if (!message.Subject.empty())
        args.insert(args.end(), {"--subject", message.Subject});
    args.insert(args.end(), {"--body", MessageText(message)});
    for (const std::string& file : message.Attachments) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(file, ec) && ::access(file.c_str(), R_OK) == 0)
            args.insert(args.end(), {"--attach", file});
    }
    for (const std::string& address : MailAddresses(message.Bcc))
        args.insert(args.end(), {"--bcc", address});
    // A recipient that looks like an option would be taken for one.
    for (const std::string& address : MailAddresses(message.To))
        if (address.front() != '-')
            args.push_back(address);
    return args;
}

TSystemMailClient::TSystemMailClient(std::string program, int waitMs)
    : program_(std::move(program)), waitMs_(waitMs)
{
}

TSystemMailClient::~TSystemMailClient()
{
    ReapChildren(running_);
}

TSendResult TSystemMailClient::Send(const TMailMessage& message)
{
    ReapChildren(running_);
    TChildOptions options;
    options.SearchPath = true;
    options.TimeoutMs = waitMs_;
    options.KillOnTimeout = false;
    const TChildResult run = RunChild(program_, XdgEmailArguments(message), options);
    TSendResult r;
    if (!run.Started) {
        r.Error = kMailClientError;
        return r;
    }
    if (run.TimedOut) {
        running_.push_back(run.Pid);
        r.Sent = true;
        return r;
    }
    r.Sent = run.ExitCode == 0;
    if (!r.Sent)
        r.Error = kMailClientError;
    return r;
}

TSendResult TMailTransport::SendSmtp(const TMailMessage& message, const TSmtpSettings& settings)
{
    return zmk::SendSmtp(message, settings, Options);
}

TSendResult TMailTransport::SendWithClient(const TMailMessage& message)
{
    return Client.Send(message);
}

} // namespace zmk
