// Sending for real: messages to an SMTP server on the loopback address (with and without
// authentication, POP-before-SMTP, STARTTLS, a server that breaks the session off or refuses
// the message, a port nobody listens on), and the hand-over to the desktop's mail client.
#include "platform/MailSend.h"

#include "support/MailServer.h"
#include "support/TempDir.h"
#include "support/Zemtor.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include <sys/stat.h>

namespace zmk {
namespace {

using nlohmann::json;
using ::testing::HasSubstr;
using ::testing::Not;

class MailSendTest : public ::testing::Test
{
protected:
    static constexpr const char* kUmlautName = "\xC3\x9C"
                                               "bersicht.txt"; // "Übersicht.txt"

    void SetUp() override
    {
        // Every byte value, so that nothing on the way may touch the bytes.
        std::string binary;
        for (int i = 0; i < 3000; ++i)
            binary += static_cast<char>((i * 7) & 0xFF);
        write("profile.png", binary);
        write("MainReport.htm", "<html><body><p>Duty 850 kW</p>\r\n.\r\n.leading dot</body></html>\r\n");
        write("ReportLogo.gif", std::string("GIF89a\0\1\0\1", 10));
        write(kUmlautName, "Temperatur \xC2\xB0"
                           "C\r\n");
        message.To = "Bob <bob@x.example>, carol@y.example";
        message.Bcc = "boss@x.example";
        message.Subject = "Report";
        // Lines that SMTP would take for the end of the data unless they are escaped.
        message.Body = "Please find selection attached...\n.\n..two dots";
        message.FromName = "Ann Engineer";
        message.FromCompany = "Coils Ltd";
        message.FromAddress = "ann@coils.example";
        message.Attachments = {file("MainReport.htm"), file("missing.png"), file("ReportLogo.gif"),
                               file("profile.png"), file(kUmlautName)};
        options.ConnectTimeoutS = 10;
        options.TimeoutS = 30;
    }

    void write(const std::string& name, const std::string& bytes)
    {
        std::ofstream(dir / name, std::ios::binary) << bytes;
    }
    std::string file(const std::string& name) const { return (dir / name).string(); }

    TSmtpSettings server(const test::MailServer& s) const
    {
        TSmtpSettings settings;
        settings.Server = "127.0.0.1";
        settings.Port = s.SmtpPort();
        return settings;
    }

    // The message arrived whole: envelope, headers, the text, and every attachment's bytes.
    void expectDelivered(const test::MailServer& s, int n, const char* login)
    {
        json m = s.Message(n);
        ASSERT_TRUE(m.is_object()) << "message " << n << " did not arrive";
        EXPECT_EQ(m["mail_from"], "ann@coils.example");
        EXPECT_EQ(m["rcpt_tos"], json({"bob@x.example", "carol@y.example", "boss@x.example"}));
        EXPECT_FALSE(m["has_bcc_header"].get<bool>());
        EXPECT_EQ(m["subject"], "Report");
        EXPECT_EQ(m["content_type"], "multipart/mixed");
        if (login) {
            EXPECT_EQ(m["login"], login);
        }
        std::vector<std::string> names, ids, texts;
        for (json part : m["parts"]) { // a copy: a look-up of a missing key gives null
            const std::string bytes = test::ReadFileBytes(s.MessageFolder(n) / part.value("file", "none"));
            if (part["filename"].is_string()) {
                names.push_back(part["filename"]);
                ids.push_back(part["content_id"]);
                EXPECT_EQ(part["disposition"], "inline");
                EXPECT_EQ(bytes, test::ReadFileBytes(dir / names.back())) << names.back();
            } else if (part["type"] == "text/plain") {
                EXPECT_EQ(bytes, MessageText(message));
                texts.push_back("plain");
            } else if (part["type"] == "text/html") {
                EXPECT_THAT(bytes, HasSubstr("Ann Engineer<br>"));
                texts.push_back("html");
            }
        }
        EXPECT_EQ(texts, (std::vector<std::string>{"plain", "html"}));
        std::vector<std::string> expected{"MainReport.htm", "ReportLogo.gif", "profile.png", kUmlautName};
        std::vector<std::string> expectedIds{"<MainReport.htm>", "<ReportLogo.gif>", "<profile.png>",
                                             "<%C3%9Cbersicht.txt>"};
        for (std::size_t i = 5; i < message.Attachments.size(); ++i) {
            expected.push_back(std::filesystem::path(message.Attachments[i]).filename().string());
            expectedIds.push_back("<" + expected.back() + ">");
        }
        EXPECT_EQ(names, expected);
        EXPECT_EQ(ids, expectedIds);
    }

    testing::TempDir dir;
    TMailMessage message;
    TSmtpOptions options;
};

TEST_F(MailSendTest, WithoutAuthentication)
{
    test::MailServer s;
    const TSendResult r = SendSmtp(message, server(s), options);
    ASSERT_TRUE(r.Sent) << r.Error;
    EXPECT_EQ(r.Skipped, (std::vector<std::string>{file("missing.png")}));
    expectDelivered(s, 1, nullptr);
}

TEST_F(MailSendTest, WithSmtpAuthentication)
{
    test::MailServer s({"--auth", "ann:s3cret pass"});
    TSmtpSettings settings = server(s);
    settings.Authentication = TMailAuthentication::Smtp;
    settings.UserName = "ann";
    settings.Password = "s3cret pass";
    // The test server offers no STARTTLS: the password goes unencrypted only when allowed.
    settings.AllowPlainPassword = true;
    const TSendResult r = SendSmtp(message, settings, options);
    ASSERT_TRUE(r.Sent) << r.Error;
    expectDelivered(s, 1, "ann");
    EXPECT_EQ(s.Logins(), std::vector<std::string>{"ann"});

    // A wrong password, and no authentication where the server wants it, are failures that
    // never quote the password.
    settings.Password = "wrong one";
    TSendResult refused = SendSmtp(message, settings, options);
    EXPECT_FALSE(refused.Sent);
    EXPECT_THAT(refused.Error, Not(HasSubstr("wrong one")));
    EXPECT_FALSE(refused.Error.empty());
    settings.Authentication = TMailAuthentication::None;
    refused = SendSmtp(message, settings, options);
    EXPECT_FALSE(refused.Sent);
    EXPECT_EQ(s.MessageCount(), 1);
}

TEST_F(MailSendTest, PopBeforeSmtp)
{
    test::MailServer s({"--pop", "ann:popword"});
    TSmtpSettings settings = server(s);
    // Without the POP login the server refuses the recipients.
    TSendResult r = SendSmtp(message, settings, options);
    EXPECT_FALSE(r.Sent);

    settings.Authentication = TMailAuthentication::PopBeforeSmtp;
    settings.PopServer = "127.0.0.1";
    settings.PopPort = s.PopPort();
    settings.UserName = "ann";
    settings.Password = "bad";
    settings.AllowPlainPassword = true; // the test's POP server offers no STLS
    r = SendSmtp(message, settings, options);
    EXPECT_FALSE(r.Sent);
    EXPECT_THAT(r.Error, HasSubstr("POP login failed"));
    EXPECT_THAT(r.Error, Not(HasSubstr("bad")));

    settings.Password = "popword";
    r = SendSmtp(message, settings, options);
    ASSERT_TRUE(r.Sent) << r.Error;
    expectDelivered(s, 1, nullptr);
}

TEST_F(MailSendTest, StartTlsWhenTheServerOffersIt)
{
    const std::string cert = file("cert.pem"), key = file("key.pem");
    const std::string command = "openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=127.0.0.1 "
                                "-addext subjectAltName=IP:127.0.0.1 -keyout '" +
                                key + "' -out '" + cert + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0)
        GTEST_SKIP() << "no openssl to make a test certificate";
    options.CaFile = cert;
    {
        test::MailServer s({"--tls-cert", cert, "--tls-key", key});
        const TSendResult r = SendSmtp(message, server(s), options);
        ASSERT_TRUE(r.Sent) << r.Error;
        EXPECT_TRUE(s.Message(1)["tls"].get<bool>());
        expectDelivered(s, 1, nullptr);
    }
    // A password needs no permission where the server encrypts the connection.
    test::MailServer s({"--tls-cert", cert, "--tls-key", key, "--auth", "ann:s3cret"});
    TSmtpSettings settings = server(s);
    settings.Authentication = TMailAuthentication::Smtp;
    settings.UserName = "ann";
    settings.Password = "s3cret";
    const TSendResult r = SendSmtp(message, settings, options);
    ASSERT_TRUE(r.Sent) << r.Error;
    EXPECT_TRUE(s.Message(1)["tls"].get<bool>());
    expectDelivered(s, 1, "ann");
}

// A message is sent once the server has answered its data with "250", and not before: a
// server that breaks the session off anywhere up to that answer, or refuses the data, leaves
// the message unsent whatever libcurl made of the broken connection.
TEST_F(MailSendTest, OnlyTheServersFinalAnswerMakesAMessageSent)
{
    // About 30 KB, a report with its pictures: more than one write of the upload.
    std::string drawing;
    for (int i = 0; i < 20000; ++i)
        drawing += static_cast<char>((i * 13 + i / 256) & 0xFF);
    write("drawing.png", drawing);
    message.Attachments.push_back(file("drawing.png"));
    const std::size_t size = BuildMimeMessage(message, NewMimeStamp()).size();
    ASSERT_GT(size, 25000u);

    struct Case
    {
        const char* stage;
        bool sent;
        const char* why; // in the failure's text
    };
    const Case cases[] = {
        {"greeting", false, "closed the connection"},
        {"ehlo", false, "closed the connection"},
        {"mail", false, "closed the connection"},
        {"rcpt", false, "closed the connection"},
        {"data", false, "closed the connection"},
        {"mid-data", false, "closed the connection"},
        {"end-of-data", false, "closed the connection"},
        {"reject-data", false, "554"},
        {"after-250", true, ""},
    };
    for (const Case& c : cases) {
        test::MailServer s({"--misbehave", c.stage});
        const TSendResult r = SendSmtp(message, server(s), options);
        EXPECT_EQ(r.Sent, c.sent) << c.stage << ": " << r.Error;
        if (c.sent) {
            EXPECT_EQ(r.Error, "") << c.stage;
            expectDelivered(s, 1, nullptr);
        } else {
            EXPECT_THAT(r.Error, HasSubstr("Could not send the message")) << c.stage;
            EXPECT_THAT(r.Error, HasSubstr(c.why)) << c.stage;
        }
        if (std::string(c.stage) == "mid-data") {
            // The server really hung up part-way: it took a little of the message, not all.
            const long taken = s.DataBytes();
            EXPECT_GE(taken, 1000) << c.stage;
            EXPECT_LT(taken, static_cast<long>(size)) << c.stage;
            EXPECT_EQ(s.MessageCount(), 0);
        }
    }
}

// A server without STARTTLS never sees the password unless the settings allow it: neither the
// SMTP server's AUTH nor the POP server's login is tried, and the failure says how to allow it.
// Allowed, the same settings send.
TEST_F(MailSendTest, APasswordIsNotSentWithoutEncryption)
{
    struct Case
    {
        TMailAuthentication authentication;
        const char* serverOption; // the login the server wants
        const char* refusal;
    };
    const Case cases[] = {
        {TMailAuthentication::Smtp, "--auth", "The server offers no encrypted connection (STARTTLS)"},
        {TMailAuthentication::PopBeforeSmtp, "--pop", "The POP server offers no encrypted connection (STLS)"},
    };
    for (const Case& c : cases) {
        for (const bool allowed : {false, true}) {
            test::MailServer s({c.serverOption, "ann:s3cret"});
            TSmtpSettings settings = server(s);
            settings.Authentication = c.authentication;
            settings.UserName = "ann";
            settings.Password = "s3cret";
            settings.PopServer = "127.0.0.1";
            settings.PopPort = s.PopPort();
            settings.AllowPlainPassword = allowed;
            const TSendResult r = SendSmtp(message, settings, options);
            EXPECT_EQ(r.Sent, allowed) << c.serverOption << ": " << r.Error;
            if (allowed) {
                EXPECT_EQ(s.Logins(), std::vector<std::string>{"ann"}) << c.serverOption;
                EXPECT_EQ(s.MessageCount(), 1) << c.serverOption;
                continue;
            }
            EXPECT_THAT(r.Error, HasSubstr(c.refusal));
            EXPECT_THAT(r.Error, HasSubstr("the password was not sent"));
            EXPECT_THAT(r.Error,
                        HasSubstr("tick \"Allow password without encryption\" in the SMTP settings"));
            EXPECT_THAT(r.Error, Not(HasSubstr("s3cret")));
            EXPECT_EQ(s.Logins(), std::vector<std::string>{}) << c.serverOption;
            EXPECT_EQ(s.MessageCount(), 0) << c.serverOption;
        }
    }

    // No login, nothing to protect: a password kept in the settings but not used does not stop
    // a server without STARTTLS from taking the message.
    test::MailServer plain;
    TSmtpSettings settings = server(plain);
    settings.UserName = "ann";
    settings.Password = "kept, not used";
    const TSendResult r = SendSmtp(message, settings, options);
    EXPECT_TRUE(r.Sent) << r.Error;
    EXPECT_EQ(plain.Logins(), std::vector<std::string>{});
}

TEST_F(MailSendTest, FailuresAreRecorded)
{
    // Nobody listens on the port: a failure, told in words, in well under the time limit.
    TSmtpSettings settings;
    settings.Server = "127.0.0.1";
    settings.Port = test::ClosedLoopbackPort();
    const auto start = std::chrono::steady_clock::now();
    TSendResult r = SendSmtp(message, settings, options);
    EXPECT_FALSE(r.Sent);
    EXPECT_THAT(r.Error, HasSubstr("Could not send the message"));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));

    // What is refused before any connection.
    const std::pair<std::function<void(TMailMessage&, TSmtpSettings&)>, const char*> refusals[] = {
        {[](TMailMessage&, TSmtpSettings& s) { s.Server = ""; }, "No SMTP server is set"},
        {[](TMailMessage&, TSmtpSettings& s) { s.Server = "bad host/name"; }, "not valid"},
        {[](TMailMessage& m, TSmtpSettings&) { m.FromAddress = ""; }, "sender's address"},
        {[](TMailMessage& m, TSmtpSettings&) { m.To = m.Bcc = ""; }, "No recipient"},
        {[](TMailMessage& m, TSmtpSettings&) { m.To = "a@b.example>\r\nRCPT TO:<spy@x.example"; },
         "Not a valid address"},
        {[](TMailMessage&, TSmtpSettings& s) {
             s.Authentication = TMailAuthentication::PopBeforeSmtp;
             s.PopServer = "";
         },
         "No POP server is set"},
    };
    for (const auto& [spoil, why] : refusals) {
        TMailMessage m = message;
        TSmtpSettings s = settings;
        spoil(m, s);
        r = SendSmtp(m, s, options);
        EXPECT_FALSE(r.Sent);
        EXPECT_THAT(r.Error, HasSubstr(why));
    }
}

TEST(MailServerUrl, Forms)
{
    EXPECT_EQ(ServerUrl("smtp", "mail.example.com", 25), "smtp://mail.example.com:25");
    EXPECT_EQ(ServerUrl("smtp", " mail.example.com ", 587), "smtp://mail.example.com:587");
    EXPECT_EQ(ServerUrl("smtp", "mail.example.com", 465), "smtps://mail.example.com:465");
    EXPECT_EQ(ServerUrl("pop3", "pop.example.com", 995), "pop3s://pop.example.com:995");
    EXPECT_EQ(ServerUrl("smtp", "::1", 25), "smtp://[::1]:25");
    for (const char* bad : {"", "a b", "user@host", "host/path", "host?x"})
        EXPECT_EQ(ServerUrl("smtp", bad, 25), "") << bad;
}

TEST_F(MailSendTest, TheDesktopMailClient)
{
    const std::vector<std::string> args = XdgEmailArguments(message);
    EXPECT_EQ(args, (std::vector<std::string>{"--utf8", "--subject", "Report", "--body", MessageText(message),
                                              "--attach", file("MainReport.htm"), "--attach",
                                              file("ReportLogo.gif"), "--attach", file("profile.png"),
                                              "--attach", file(kUmlautName), "--bcc", "boss@x.example",
                                              "bob@x.example", "carol@y.example"}));
    TMailMessage odd = message;
    odd.To = "--help, ok@x.example";
    const std::vector<std::string> oddArgs = XdgEmailArguments(odd);
    EXPECT_EQ(oddArgs.back(), "ok@x.example");
    EXPECT_EQ(std::count(oddArgs.begin(), oddArgs.end(), "--help"), 0);

    // A stand-in client that records its arguments, one per line, and ends as told.
    const auto client = [&](const std::string& name, int exitCode, int sleepSeconds) {
        const std::string path = file(name);
        std::ofstream(path) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '"
                            << file(name + ".args") << "'\nsleep " << sleepSeconds << "\nexit " << exitCode
                            << "\n";
        ::chmod(path.c_str(), 0755);
        return path;
    };
    TSystemMailClient ok(client("ok", 0, 0));
    EXPECT_TRUE(ok.Send(message).Sent);
    const std::string recorded = test::ReadFileBytes(file("ok.args"));
    EXPECT_THAT(recorded, HasSubstr("--subject\nReport\n"));
    EXPECT_THAT(recorded, HasSubstr("--attach\n" + file("profile.png") + "\n"));

    TSystemMailClient refusing(client("refusing", 4, 0));
    TSendResult r = refusing.Send(message);
    EXPECT_FALSE(r.Sent);
    EXPECT_EQ(r.Error, "Error sending email...");

    TSystemMailClient missing(file("no-such-client"));
    r = missing.Send(message);
    EXPECT_FALSE(r.Sent);
    EXPECT_EQ(r.Error, "Error sending email...");

    // A client still busy with its composer when the wait is over has the message.
    TSystemMailClient slow(client("slow", 0, 2), 100);
    EXPECT_TRUE(slow.Send(message).Sent);
}

} // namespace
} // namespace zmk
