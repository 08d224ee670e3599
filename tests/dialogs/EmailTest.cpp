// The e-mail window's model: composing a report's message, the protocol toggle and its texts,
// the status while sending, what a failure leaves, and the sender kept for the next run.
#include "dialogs/Email.h"

#include "app/ProjectProperties.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace zmk {
namespace {

// Records what would have been sent, and answers as told.
struct FakeTransport : IMailTransport
{
    TSendResult SendSmtp(const TMailMessage& message, const TSmtpSettings& settings) override
    {
        smtp.push_back(message);
        usedSettings = settings;
        return answer;
    }
    TSendResult SendWithClient(const TMailMessage& message) override
    {
        client.push_back(message);
        return answer;
    }
    std::vector<TMailMessage> smtp, client;
    TSmtpSettings usedSettings;
    TSendResult answer{true, "", {}};
};

class EmailFormTest : public ::testing::Test
{
protected:
    TMemorySettingsStore common;
    TRegisteredUser user{"Ann Engineer", "Coils Ltd"};
    FakeTransport transport;
};

TEST_F(EmailFormTest, TheReportMessage)
{
    const TMailMessage m = ReportMailMessage(
        "/r/Report/MainReport.htm", "/r/Report/ReportLogo.gif,/r/Report/ga.png,/r/Report/profile.png");
    EXPECT_EQ(m.Subject, "Report");
    EXPECT_EQ(m.Body,
              "Please find selection attached...\r\n\r\nTo view, copy all of the attached files to a temp "
              "folder and open MainReport.htm with your standard web browser");
    EXPECT_EQ(m.Attachments, (std::vector<std::string>{"/r/Report/MainReport.htm", "/r/Report/ReportLogo.gif",
                                                       "/r/Report/ga.png", "/r/Report/profile.png"}));
    EXPECT_EQ(SplitFileList(" a.png, ,b.gif,"), (std::vector<std::string>{"a.png", "b.gif"}));
    EXPECT_TRUE(SplitFileList("").empty());

    // The report goes out from the sender's own address, or the company's when none is kept.
    EXPECT_EQ(ReportSenderAddress({"Ann", "Co", "ann@x.example", {}}, "sales@co.example"), "ann@x.example");
    EXPECT_EQ(ReportSenderAddress({"Ann", "Co", " ", {}}, "sales@co.example"), "sales@co.example");
}

TEST_F(EmailFormTest, ComposeFillsTheWindow)
{
    TEmail form(common, user, "ann@x.example", transport);
    EXPECT_EQ(form.Sender,
              (TMailSender{"Ann Engineer", "Coils Ltd", "ann@x.example", TMailProtocol::MailClient}));
    form.ComposeMail("bob@y.example", "boss@y.example", "", "Heat Co", "Ann", "Body", "/a/x.htm,/a/y.png",
                     "Subj");
    EXPECT_EQ(form.To, "bob@y.example");
    EXPECT_EQ(form.Bcc, "boss@y.example");
    EXPECT_EQ(form.Sender.Address, "ann@x.example") << "an empty address keeps the one held";
    EXPECT_EQ(form.Sender.Company, "Heat Co");
    EXPECT_EQ(form.Attachments, (std::vector<std::string>{"/a/x.htm", "/a/y.png"}));

    form.AddAttachments({"/a/z.gif", "/a/x.htm", ""});
    EXPECT_EQ(form.Attachments, (std::vector<std::string>{"/a/x.htm", "/a/y.png", "/a/z.gif"}));
    EXPECT_EQ(form.AttachmentToOpen(2), "/a/z.gif");
    EXPECT_EQ(form.AttachmentToOpen(3), "");
    form.RemoveAttachment(0);
    form.RemoveAttachment(9);
    EXPECT_EQ(form.Attachments, (std::vector<std::string>{"/a/y.png", "/a/z.gif"}));

    // A composed message keeps file names with commas whole.
    TMailMessage m = ReportMailMessage("/a/Report, final.htm", "");
    form.Compose(m);
    EXPECT_EQ(form.Attachments, (std::vector<std::string>{"/a/Report, final.htm"}));
    EXPECT_EQ(form.Sender.Name, "Ann");
    EXPECT_EQ(form.Message().Subject, "Report");
}

TEST_F(EmailFormTest, ProtocolToggleAndStatusTexts)
{
    TEmail form(common, user, "", transport);
    EXPECT_EQ(form.ProtocolText(), "Mail client - Desktop e-mail program");
    form.ToggleProtocol();
    EXPECT_EQ(form.Sender.Protocol, TMailProtocol::Smtp);
    EXPECT_EQ(form.ProtocolText(), "SMTP - Simple Mail Transfer Protocol");
    form.ToggleProtocol();
    EXPECT_EQ(form.Sender.Protocol, TMailProtocol::MailClient);
    EXPECT_EQ(form.Status(), "Ready...");
}

TEST_F(EmailFormTest, SendingShowsBusyThenTheOutcome)
{
    TSmtpSettings stored;
    stored.Server = "smtp.example.com";
    stored.Port = 587;
    WriteSmtpSettings(common, stored);

    TEmail form(common, user, "ann@x.example", transport);
    std::vector<std::string> statuses;
    int beeps = 0;
    form.OnStatus = [&](const std::string& s) { statuses.push_back(s); };
    form.OnBeep = [&] { ++beeps; };
    form.ComposeMail("bob@y.example", "", "", "Co", "Ann", "Hi", "", "S");
    statuses.clear();

    // Through SMTP, with the server settings as stored at this moment.
    form.Sender.Protocol = TMailProtocol::Smtp;
    EXPECT_TRUE(form.Send());
    EXPECT_EQ(statuses, (std::vector<std::string>{"BUSY...", "Ready..."}));
    EXPECT_EQ(form.FailureText(), "");
    ASSERT_EQ(transport.smtp.size(), 1u);
    EXPECT_EQ(transport.smtp[0].To, "bob@y.example");
    EXPECT_EQ(transport.smtp[0].FromAddress, "ann@x.example");
    EXPECT_EQ(transport.usedSettings, stored);
    EXPECT_TRUE(form.CloseAfterSend());

    // A failed SMTP send stays in the window with its reason, without a beep.
    transport.answer = TSendResult{false, "Could not send the message: Connection refused", {}};
    statuses.clear();
    EXPECT_FALSE(form.Send());
    EXPECT_EQ(statuses,
              (std::vector<std::string>{"BUSY...", "Could not send the message: Connection refused..."}));
    EXPECT_FALSE(form.CloseAfterSend());
    EXPECT_EQ(form.LastResult().Error, "Could not send the message: Connection refused");
    EXPECT_EQ(form.FailureText(), "Could not send the message: Connection refused...");
    EXPECT_EQ(beeps, 0);
    // The reason stays until the next message is composed, or the next send.
    form.ComposeMail("bob@y.example", "", "", "Co", "Ann", "Hi", "", "S");
    EXPECT_EQ(form.FailureText(), "");
    EXPECT_FALSE(form.Send());
    form.OnStatus = [&](const std::string& s) {
        if (s == "BUSY...") {
            EXPECT_EQ(form.FailureText(), "") << "not while sending";
        }
    };
    transport.answer = TSendResult{true, "", {}};
    EXPECT_TRUE(form.Send());
    EXPECT_EQ(form.FailureText(), "");

    // The desktop's client failing: its text and the error sound.
    form.Sender.Protocol = TMailProtocol::MailClient;
    transport.answer = TSendResult{false, kMailClientError, {}};
    EXPECT_FALSE(form.Send());
    EXPECT_EQ(form.Status(), "Error sending email...");
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(transport.client.size(), 1u);
}

TEST_F(EmailFormTest, CloseKeepsTheSenderForTheNextRun)
{
    {
        TEmail form(common, user, "", transport);
        form.Sender = {"Bob", "Heat Co", "bob@heat.example", TMailProtocol::Smtp};
        TMemorySettingsStore program;
        const TWindowPlace place{10, 20, 500, 400, true, 0};
        form.Close(&program, &place);
        EXPECT_EQ(program.ReadInteger("EmailForm", "Width", 0), 500);
    }
    TEmail again(common, user, "", transport);
    EXPECT_EQ(again.Sender, (TMailSender{"Bob", "Heat Co", "bob@heat.example", TMailProtocol::Smtp}));
    EXPECT_EQ(again.ProtocolText(), "SMTP - Simple Mail Transfer Protocol");
}

TEST_F(EmailFormTest, ThePrintPreviewsEmailCommand)
{
    common.WriteString("User", "Name", "Ann Engineer");
    common.WriteString("User", "Company", "Coils Ltd");
    TEmail form(common, user, "", transport);
    form.ComposeReport("/r/MainReport.htm", "/r/ReportLogo.gif,/r/ga.png", "sales@coils.example");
    EXPECT_EQ(form.Subject, "Report");
    EXPECT_EQ(form.To, "");
    EXPECT_EQ(form.Attachments,
              (std::vector<std::string>{"/r/MainReport.htm", "/r/ReportLogo.gif", "/r/ga.png"}));
    EXPECT_EQ(form.Sender.Name, "Ann Engineer");
    EXPECT_EQ(form.Sender.Company, "Coils Ltd");
    EXPECT_EQ(form.Sender.Address, "sales@coils.example") << "no address of her own: the company's";
    EXPECT_EQ(form.Message().Body.substr(0, 33), "Please find selection attached...");

    form.Sender.Address = "ann@coils.example";
    form.ComposeReport("/r/CoilReport.htm", "", "sales@coils.example");
    EXPECT_EQ(form.Sender.Address, "ann@coils.example");
    EXPECT_EQ(form.Attachments, (std::vector<std::string>{"/r/CoilReport.htm"}));
}

} // namespace
} // namespace zmk
