// The windows that take results out of the program, on the main window as the program makes
// it: the Step by step chart, the report preview, the print preview, the e-mail window with its
// SMTP settings, and the sibling programs' commands. Set ZMK_SHOTS=<folder> to have each window
// written there as a PNG.
#include "gui/WindowTest.h"

#include "gui/Shots.h"

#include "support/MailServer.h"

#include "gui/DataChartWindow.h"
#include "gui/EmailWindow.h"
#include "gui/GuardedWebPage.h"
#include "gui/OutputCommands.h"
#include "gui/PrintPreviewWindow.h"
#include "gui/PsyChartWindow.h"
#include "gui/ReportPreviewWindow.h"
#include "gui/SmtpSettingsDialog.h"
#include "platform/MailSettings.h"

#include <gmock/gmock.h>

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QToolButton>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <cstdlib>

namespace zmk::test {
namespace {

using ::testing::HasSubstr;
using C = TMainCommand;

class OutputWindowsTest : public WindowTest
{
protected:
    void openWithOutputs()
    {
        open();
        if (HasFatalFailure())
            return;
        gui::TOutputSetup setup;
        setup.Folders = folders;
        setup.Common = &common;
        setup.Program = &store;
        setup.User = TRegisteredUser{"Ada Engineer", "Coil Works"};
        setup.CompanyAddress = "sales@coils.example";
        outputs = gui::PlugOutputWindows(*window, setup);
        window->RunCommand(C::Solve);
        ASSERT_TRUE(waitForPage());
    }

    // The pointer moving over a widget with no button down, as the window system reports it.
    static void moveOver(QWidget* w, QPoint at)
    {
        QMouseEvent move(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(w, &move);
    }

    TMemorySettingsStore common;
    gui::TOutputWindows* outputs = nullptr;
};

TEST_F(OutputWindowsTest, StepByStepShowsTheChartWithItsLegendReadOutAndCopy)
{
    openWithOutputs();
    ASSERT_TRUE(window->Action(C::StepByStep)->isEnabled());
    window->RunCommand(C::StepByStep);
    gui::TDataChartWindow* chart = outputs->ChartWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(chart));
    EXPECT_EQ(chart->windowTitle(), "Step-by-Step Simulation");
    EXPECT_TRUE(chart->isModal());

    // The three curves are named in the legend; the fourth label stays hidden.
    const QList<QLabel*> legend = chart->LegendLabels();
    ASSERT_EQ(legend.size(), 7);
    EXPECT_THAT(legend[0]->text().toStdString(), HasSubstr("Fluid"));
    EXPECT_THAT(legend[1]->text().toStdString(), HasSubstr("Air"));
    EXPECT_THAT(legend[2]->text().toStdString(), HasSubstr("Surface"));
    EXPECT_TRUE(legend[0]->isVisible());
    EXPECT_FALSE(legend[3]->isVisible());
    EXPECT_THAT(legend[4]->text().toStdString(), HasSubstr(" °C"));
    EXPECT_TRUE(legend[6]->text().startsWith("Duty ")) << legend[6]->text().toStdString();
    EXPECT_THAT(legend[6]->text().toStdString(), HasSubstr(" kW"));

    // The chart was drawn at the image's size: white background, grey frame and coloured curves.
    gui::TChartImage* image = chart->Image();
    const QImage& picture = image->Picture();
    ASSERT_EQ(picture.size(), image->size());
    EXPECT_EQ(picture.pixelColor(2, 2), QColor(Qt::white));

    // The pointer inside the plot reads its step and temperature; outside it reads nothing.
    const TWinPlot& plot = chart->Model().Chart.Plot;
    const QPoint inside((plot.Left + plot.Right) / 2, (plot.Top + plot.Bottom) / 2);
    moveOver(image, inside);
    EXPECT_TRUE(QTest::qWaitFor([&] { return chart->StatusText().startsWith("X="); }, 2000))
        << chart->StatusText().toStdString();
    EXPECT_EQ(chart->StatusText().toStdString(), chart->Model().PointerText(inside.x(), inside.y()));
    moveOver(image, QPoint(1, 1));
    EXPECT_TRUE(QTest::qWaitFor([&] { return chart->StatusText().isEmpty(); }, 2000))
        << chart->StatusText().toStdString();

    // A resize draws again at the new size.
    chart->resize(chart->width() + 80, chart->height() + 40);
    EXPECT_TRUE(QTest::qWaitFor([&] { return image->Picture().size() == image->size(); }, 2000));
    EXPECT_EQ(image->Picture().size(), image->size());

    // A double click puts the picture, with its legend panel, on the clipboard.
    QApplication::clipboard()->clear();
    QTest::mouseDClick(image, Qt::LeftButton, {}, inside);
    const QImage copied = QApplication::clipboard()->image();
    EXPECT_EQ(copied.width(), TDataChart::PictureWidth(image->width(), image->height()));
    EXPECT_EQ(copied.height(), image->height());
    SaveShots(*chart, "chart");
    chart->close();
}

TEST_F(OutputWindowsTest, PlotOnHygronaOpensTheOwnChartWithReadOutCopyAndSave)
{
    openWithOutputs();
    // No sibling chart program here: the command draws the program's own chart, for every kind,
    // the 380 °C heat recovery job of the start values too.
    ASSERT_TRUE(outputs->BuiltInChart());
    ASSERT_TRUE(window->Action(C::Hygrona)->isEnabled());
    window->RunCommand(C::Hygrona);
    gui::TPsyChartWindow* chart = outputs->PsyChartWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(chart));
    EXPECT_EQ(chart->windowTitle(), "Psychrometric Chart");
    gui::TPsyChartArea* area = chart->Area();
    ASSERT_TRUE(area->Chart());
    EXPECT_TRUE(area->Chart()->Process().HighTemperature);
    EXPECT_GE(area->Chart()->Range().TMax, window->Model().Job().AirIn().db);
    ASSERT_TRUE(QTest::qWaitFor([&] { return area->Picture().size() == area->size(); }, 2000));

    // The pointer over the air reads its state; above the saturation line nothing.
    const TPsyChartFrame f = area->Chart()->Frame(area->width(), area->height());
    const TPoint air = f.Pixel(200, 0.004);
    moveOver(area, QPoint(air.X, air.Y));
    EXPECT_TRUE(QTest::qWaitFor([&] { return chart->ReadOutText().startsWith("DB "); }, 2000))
        << chart->ReadOutText().toStdString();
    EXPECT_EQ(chart->ReadOutText().toStdString(),
              area->Chart()->ReadOut(area->width(), area->height(), air.X, air.Y));
    EXPECT_THAT(chart->ReadOutText().toStdString(), HasSubstr("WB "));
    const TPoint fog = f.Pixel(f.Range.TMin + 1, f.Range.WMax * 0.9);
    moveOver(area, QPoint(fog.X, fog.Y));
    EXPECT_TRUE(QTest::qWaitFor([&] { return chart->ReadOutText().trimmed().isEmpty(); }, 2000));

    // Copy puts the picture on the clipboard; Save As writes PNG or SVG by the name.
    QApplication::clipboard()->clear();
    chart->findChild<QPushButton*>("Copy")->click();
    EXPECT_EQ(QApplication::clipboard()->image().size(), area->size());
    const fs::path svg = fs::path(folders.ReportFolder) / "chart.svg";
    const fs::path png = fs::path(folders.ReportFolder) / "chart.png";
    EXPECT_EQ(chart->SaveTo(QString::fromStdString(svg.string())), QString());
    EXPECT_EQ(chart->SaveTo(QString::fromStdString(png.string())), QString());
    EXPECT_GT(fs::file_size(svg), 1000u);
    EXPECT_GT(fs::file_size(png), 1000u);
    EXPECT_THAT(
        chart->SaveTo(QString::fromStdString((fs::path(folders.ReportFolder) / "no" / "c.png").string()))
            .toStdString(),
        HasSubstr("c.png"));
    SaveShots(*chart, "psychart-zmk");

    // A chilled water job: the room chart with its apparatus dew point.
    window->Model().SetCoilKind("cwc");
    window->Model().ActionNewExecute();
    window->RunCommand(C::Solve);
    ASSERT_TRUE(waitForPage());
    window->RunCommand(C::Hygrona);
    ASSERT_TRUE(area->Chart());
    EXPECT_FALSE(area->Chart()->Process().HighTemperature);
    EXPECT_TRUE(area->Chart()->Process().Adp.has_value());
    EXPECT_EQ(area->Chart()->Range().TMax, 55);
    SaveShots(*chart, "psychart-cwc");
    chart->close();
}

TEST_F(OutputWindowsTest, ReportPreviewAndPrintPreviewZoomPageAndPrint)
{
    openWithOutputs();
    window->RunCommand(C::PrintPreview);
    gui::TReportPreviewWindow* report = outputs->ReportPreview();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(report));
    EXPECT_EQ(report->windowTitle(), "Report Preview");
    ASSERT_TRUE(QTest::qWaitFor([&] { return report->Loaded(); }, kPageWait));
    EXPECT_EQ(fs::path(report->Model().FileName()).filename(), "MainReport.htm");
    EXPECT_THAT(report->Model().ImageList(), HasSubstr("profile.png"));
    std::unique_ptr<QMenu> menu(report->CreateContextMenu());
    QStringList captions;
    for (QAction* a : menu->actions())
        captions << a->text();
    EXPECT_EQ(captions,
              (QStringList{"&View Page Source", "&Open with Browser", "&Copy selection to Clipboard"}));
    // The report's page is kept to the program's own pages, its script off.
    ASSERT_NE(report->Page(), nullptr);
    EXPECT_EQ(report->View()->page(), report->Page());
    EXPECT_FALSE(report->View()->settings()->testAttribute(QWebEngineSettings::JavascriptEnabled));
    SaveShots(*report, "report-preview");

    // "Preview" renders the report into pages at "Fit To Page".
    report->findChild<QPushButton*>("Preview")->click();
    gui::TPrintPreviewWindow* preview = outputs->PrintPreview();
    ASSERT_TRUE(QTest::qWaitFor([&] { return preview->isVisible(); }, kPageWait))
        << preview->LastError().toStdString();
    EXPECT_EQ(preview->windowTitle(), "Preview Form");
    const int pages = preview->Model().PageCount();
    ASSERT_GE(pages, 1);
    EXPECT_EQ(preview->PageLabel()->text(), QStringLiteral("Page 1 of %1").arg(pages));
    EXPECT_EQ(preview->ZoomBox()->currentText(), "Fit To Page");
    EXPECT_FALSE(preview->PrevButton()->isEnabled());
    EXPECT_EQ(preview->NextButton()->isEnabled(), pages > 1);
    SaveShots(*preview, "print-preview");

    // 50% draws the page at half its size in screen pixels.
    preview->ZoomBox()->setCurrentIndex(4);
    emit preview->ZoomBox()->activated(4);
    EXPECT_EQ(preview->ZoomLabel()->text(), "50%");
    const auto rects = preview->Model().PageRects();
    ASSERT_EQ(rects.size(), 1u);
    const double ppi = preview->logicalDpiX();
    EXPECT_NEAR(rects[0].Width, preview->Model().PageWidthPixels(), 0);
    EXPECT_NEAR(rects[0].Width / (0.5 * ppi), 8.27, 0.35); // A4 or Letter, in inches
    EXPECT_EQ(preview->PageImage(0, {rects[0].Width, rects[0].Height}).size(),
              QSize(rects[0].Width, rects[0].Height));
    EXPECT_GE(preview->PageArea()->width(), preview->Model().ContentWidth());
    if (pages > 1) {
        preview->NextButton()->click();
        EXPECT_EQ(preview->PageLabel()->text(), QStringLiteral("Page 2 of %1").arg(pages));
        EXPECT_TRUE(preview->PrevButton()->isEnabled());
        preview->TwoPagesButton()->click();
        EXPECT_EQ(preview->Model().PageRects().size(), pages > 2 ? 2u : 1u);
    }

    // Printing to a PDF file needs no printer.
    const fs::path pdf = folder / "printed.pdf";
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf.string()));
    ASSERT_TRUE(preview->PrintPages(printer, preview->Model().PagesToPrint(true)));
    EXPECT_GT(fs::file_size(pdf), 1000u);
    preview->close();
    report->close();

    // The coil drawing report goes to the same preview.
    window->RunCommand(C::CoilDrawing);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(report));
    EXPECT_EQ(fs::path(report->Model().FileName()).filename(), "CoilReport.htm");
    report->close();
}

TEST_F(OutputWindowsTest, EmailWindowSendsTheReportThroughTheServer)
{
    openWithOutputs();
    MailServer server;
    TSmtpSettings smtp;
    smtp.Server = "127.0.0.1";
    smtp.Port = server.SmtpPort();
    WriteSmtpSettings(common, smtp);

    window->RunCommand(C::PrintPreview);
    gui::TReportPreviewWindow* report = outputs->ReportPreview();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(report));
    report->findChild<QPushButton*>("Email")->click();
    gui::TEmailWindow* mail = outputs->EmailWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(mail));
    EXPECT_EQ(mail->SubjectEdit()->text(), "Report");
    EXPECT_TRUE(mail->BodyEdit()->toPlainText().startsWith("Please find selection attached..."));
    ASSERT_GE(mail->AttachmentList()->count(), 2);
    EXPECT_EQ(mail->AttachmentList()->item(0)->text(), "MainReport.htm");
    EXPECT_EQ(mail->AttachmentList()->item(1)->text(), "ReportLogo.gif");
    EXPECT_EQ(mail->Model().Sender.Address, "sales@coils.example");
    EXPECT_EQ(mail->StatusText(), "Ready...");

    // The protocol toggles between the desktop's mail program and SMTP.
    const QString first = mail->ProtocolStatusText();
    mail->ProtocolButton()->click();
    EXPECT_NE(mail->ProtocolStatusText(), first);
    if (mail->ProtocolStatusText() != "SMTP - Simple Mail Transfer Protocol")
        mail->ProtocolButton()->click();
    EXPECT_EQ(mail->ProtocolStatusText(), "SMTP - Simple Mail Transfer Protocol");
    SaveShots(*mail, "email");

    mail->ToEdit()->setFocus();
    QTest::keyClicks(mail->ToEdit(), "bob@x.example");
    mail->BccEdit()->setText("boss@x.example");
    mail->SendButton()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !mail->isVisible(); }, kPageWait))
        << mail->StatusText().toStdString();
    EXPECT_TRUE(mail->Model().LastResult().Sent) << mail->Model().LastResult().Error;
    ASSERT_EQ(server.MessageCount(), 1);
    nlohmann::json m = server.Message(1);
    EXPECT_EQ(m["subject"], "Report");
    EXPECT_EQ(m["mail_from"], "sales@coils.example");
    EXPECT_EQ(m["rcpt_tos"], nlohmann::json({"bob@x.example", "boss@x.example"}));
    std::vector<std::string> names;
    for (nlohmann::json part : m["parts"]) // a copy: a look-up of a missing key gives null
        if (part["filename"].is_string())
            names.push_back(part["filename"]);
    ASSERT_GE(names.size(), 2u);
    EXPECT_EQ(names[0], "MainReport.htm");
    EXPECT_EQ(names[1], "ReportLogo.gif");
    // The sender and protocol are kept for the next run.
    EXPECT_EQ(ReadMailSender(common, {}, "").Protocol, TMailProtocol::Smtp);

    // A server that refuses the connection keeps the window open with the reason.
    smtp.Port = ClosedLoopbackPort();
    WriteSmtpSettings(common, smtp);
    mail->ShowMail();
    mail->ToEdit()->setText("bob@x.example");
    EXPECT_FALSE(mail->Send());
    EXPECT_TRUE(mail->isVisible());
    EXPECT_NE(mail->StatusText(), "BUSY...");
    EXPECT_NE(mail->StatusText(), "Ready...");
    mail->close();
}

// A server that hangs up part-way through the message: the send failed, and the window stays
// open with the reason and with the whole message as the user left it, ready to send again.
TEST_F(OutputWindowsTest, EmailWindowKeepsTheMessageWhenTheServerHangsUp)
{
    openWithOutputs();
    MailServer server({"--misbehave", "mid-data", "--drop-after", "1000"});
    TSmtpSettings smtp;
    smtp.Server = "127.0.0.1";
    smtp.Port = server.SmtpPort();
    WriteSmtpSettings(common, smtp);
    TMailSender sender = ReadMailSender(common, {}, "");
    sender.Protocol = TMailProtocol::Smtp;
    WriteMailSender(common, sender);

    window->RunCommand(C::PrintPreview);
    gui::TReportPreviewWindow* report = outputs->ReportPreview();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(report));
    report->findChild<QPushButton*>("Email")->click();
    gui::TEmailWindow* mail = outputs->EmailWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(mail));
    ASSERT_EQ(mail->ProtocolStatusText(), "SMTP - Simple Mail Transfer Protocol");
    QTest::keyClicks(mail->ToEdit(), "bob@x.example, carol@y.example");
    mail->BccEdit()->setText("boss@x.example");
    mail->SubjectEdit()->setText("Coil 7, rated");
    mail->BodyEdit()->appendPlainText("Second line of my own.");
    const QString body = mail->BodyEdit()->toPlainText();
    QStringList attachments;
    for (int i = 0; i < mail->AttachmentList()->count(); ++i)
        attachments << mail->AttachmentList()->item(i)->toolTip();
    ASSERT_GE(attachments.size(), 2);

    mail->SendButton()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return mail->StatusText() != "BUSY..."; }, kPageWait));
    EXPECT_FALSE(mail->Model().LastResult().Sent);
    EXPECT_TRUE(mail->isVisible());
    EXPECT_THAT(mail->StatusText().toStdString(), HasSubstr("closed the connection"));
    // The status bar is too narrow for the reason: it is shown whole above the buttons.
    EXPECT_TRUE(mail->FailureLabel()->isVisible());
    EXPECT_EQ(mail->FailureLabel()->text(), mail->StatusText());
    EXPECT_GE(server.DataBytes(), 1000);
    EXPECT_EQ(server.MessageCount(), 0);
    EXPECT_EQ(mail->ToEdit()->text(), "bob@x.example, carol@y.example");
    EXPECT_EQ(mail->BccEdit()->text(), "boss@x.example");
    EXPECT_EQ(mail->SubjectEdit()->text(), "Coil 7, rated");
    EXPECT_EQ(mail->BodyEdit()->toPlainText(), body);
    QStringList still;
    for (int i = 0; i < mail->AttachmentList()->count(); ++i)
        still << mail->AttachmentList()->item(i)->toolTip();
    EXPECT_EQ(still, attachments);
    EXPECT_TRUE(mail->SendButton()->isEnabled());
    SaveShots(*mail, "email-failed");
    mail->close();
}

TEST_F(OutputWindowsTest, SmtpSettingsEnableByAuthenticationAndCancelPutsThemBack)
{
    openWithOutputs();
    gui::TSmtpSettingsDialog* settings = outputs->EmailWindow()->SettingsDialog();
    settings->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(settings));
    EXPECT_EQ(settings->windowTitle(), "SMTP Settings:");
    EXPECT_THAT(settings->findChild<QLabel*>("Note")->text().toStdString(),
                HasSubstr("readable only by you"));
    struct Row
    {
        int auth;
        bool user, pop;
    };
    QCheckBox* allowPlain = settings->AllowPlainPassword();
    EXPECT_EQ(allowPlain->text(), "Allow password without encryption");
    EXPECT_FALSE(allowPlain->isChecked());
    QLabel* allowPlainNote = settings->findChild<QLabel*>("AllowPlainPasswordNote");
    ASSERT_NE(allowPlainNote, nullptr);
    EXPECT_THAT(allowPlainNote->text().toStdString(), HasSubstr("a server that offers none is refused"));
    EXPECT_TRUE(allowPlainNote->isVisible());
    for (const Row r :
         {Row{0, false, false}, Row{1, true, false}, Row{2, true, true}, Row{0, false, false}}) {
        settings->Authentication()->setCurrentIndex(r.auth);
        EXPECT_EQ(settings->UserName()->isEnabled(), r.user) << r.auth;
        EXPECT_EQ(settings->Password()->isEnabled(), r.user) << r.auth;
        EXPECT_EQ(allowPlain->isEnabled(), r.user) << r.auth;
        EXPECT_EQ(settings->PopServer()->isEnabled(), r.pop) << r.auth;
        EXPECT_EQ(settings->PopPort()->isEnabled(), r.pop) << r.auth;
    }
    SaveShots(*settings, "smtp-settings");

    // Cancel keeps what was stored; OK writes it, enciphered.
    settings->Server()->setText("mail.example");
    settings->Authentication()->setCurrentIndex(1);
    allowPlain->click();
    settings->reject();
    EXPECT_EQ(ReadSmtpSettings(common).Settings.Server, "");
    settings->show();
    EXPECT_EQ(settings->Authentication()->currentIndex(), 0);
    EXPECT_EQ(settings->Server()->text(), "");
    EXPECT_FALSE(allowPlain->isChecked());
    settings->Server()->setText("mail.example");
    settings->Port()->setText("587");
    settings->Authentication()->setCurrentIndex(1);
    QTest::keyClicks(settings->UserName(), "ann");
    allowPlain->click();
    settings->accept();
    const TSmtpSettingsRead read = ReadSmtpSettings(common);
    ASSERT_TRUE(read.Ok);
    EXPECT_EQ(read.Settings.Server, "mail.example");
    EXPECT_EQ(read.Settings.Port, 587);
    EXPECT_EQ(read.Settings.UserName, "ann");
    EXPECT_EQ(read.Settings.Authentication, TMailAuthentication::Smtp);
    EXPECT_TRUE(read.Settings.AllowPlainPassword);
    settings->show();
    EXPECT_TRUE(allowPlain->isChecked());
    settings->reject();
    EXPECT_EQ(common.ReadString("filtr", "prm", ""), EncipherSetting("mail.example"));
}

} // namespace
} // namespace zmk::test
