// Sending for real: messages to an SMTP server on the loopback address (with and without
// authentication, POP-before-SMTP, STARTTLS, a server that hangs up after the message, a port
// nobody listens on), and the hand-over to the desktop's mail client.
#include "app/MailSend.h"

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
        EXPECT_EQ(names,
                  (std::vector<std::string>{"MainReport.htm", "ReportLogo.gif", "profile.png", kUmlautName}));
        EXPECT_EQ(ids, (std::vector<std::string>{"<MainReport.htm>", "<ReportLogo.gif>", "<profile.png>",
                                                 "<%C3%9Cbersicht.txt>"}));
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
    const TSendResult r = SendSmtp(message, settings, options);
    ASSERT_TRUE(r.Sent) << r.Error;
    expectDelivered(s, 1, "ann");

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
    test::MailServer s({"--tls-cert", cert, "--tls-key", key});
    options.CaFile = cert;
    const TSendResult r = SendSmtp(message, server(s), options);
    ASSERT_TRUE(r.Sent) << r.Error;
    EXPECT_TRUE(s.Message(1)["tls"].get<bool>());
    expectDelivered(s, 1, nullptr);
}

TEST_F(MailSendTest, AServerThatHangsUpAfterTheMessageCountsAsSent)
{
    test::MailServer s({"--close-after-data"});
    const TSendResult r = SendSmtp(message, server(s), options);
    ASSERT_TRUE(r.Sent) << r.Error;
    expectDelivered(s, 1, nullptr);
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
