// The program's own tools where the sibling programs are missing: the Data Check page and the
// LMTD calculator from the Solve menu, the Tools menu hidden, and the help window with its
// index, back and forward.
#include "gui/WindowTest.h"

#include "gui/Shots.h"

#include "gui/LmtdCalculatorDialog.h"
#include "gui/OutputCommands.h"
#include "gui/PageWindow.h"
#include "gui/PrintPreviewWindow.h"
#include "gui/ReportPreviewWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>

#include <cstdio>
#include <optional>
#include <string>

namespace zmk::test {
namespace {

using C = TMainCommand;

class ToolWindowsTest : public WindowTest
{
protected:
    void openWithOutputs()
    {
        open();
        if (HasFatalFailure())
            return;
        gui::TOutputSetup setup;
        setup.Folders = folders;
        setup.Program = &store;
        outputs = gui::PlugOutputWindows(*window, setup);
        window->RunCommand(C::Solve);
        ASSERT_TRUE(waitForPage());
        messages.clear();
    }

    static QString textOf(gui::TPageWindow& page)
    {
        EXPECT_TRUE(QTest::qWaitFor([&] { return !page.View()->Busy(); }, kPageWait));
        QVariant result;
        bool done = false;
        page.View()->Evaluate(QStringLiteral("document.body.innerText"), [&](const QVariant& r) {
            result = r;
            done = true;
        });
        EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, kPageWait));
        return result.toString();
    }

    gui::TOutputWindows* outputs = nullptr;
};

TEST_F(ToolWindowsTest, DataCheckAndLmtdShowInsteadOfMissingPrograms)
{
    openWithOutputs();
    window->RunCommand(C::DataCheck);
    gui::TPageWindow* check = outputs->DataCheckWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(check));
    const QString text = textOf(*check);
    for (const char* words : {"Air temperature on", "Energy balance", "Leaving temperatures", "0 fault(s)"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(words))) << words << "\n" << text.toStdString();
    SaveShots(*check, "data-check");

    window->RunCommand(C::Morvex);
    gui::TLmtdCalculatorDialog* lmtd = outputs->LmtdCalculatorDialog();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(lmtd));
    // The heat recovery job: its air is the hot stream, and the rated temperatures are shown.
    EXPECT_TRUE(lmtd->AirHotBox()->isChecked());
    EXPECT_DOUBLE_EQ(lmtd->Model().Temps().HotIn, session->Job().AirIn().db);
    EXPECT_FALSE(lmtd->CounterflowLabel()->text().startsWith("none"));
    EXPECT_FALSE(lmtd->FactorLabel()->text().startsWith("none"));
    // Typing a temperature recomputes on leaving the field.
    const QString before = lmtd->CounterflowLabel()->text();
    retype(*lmtd->Edit(3), "100");
    QTest::keyClick(lmtd->Edit(3), Qt::Key_Tab);
    EXPECT_NE(lmtd->CounterflowLabel()->text(), before);
    EXPECT_DOUBLE_EQ(lmtd->Model().Temps().ColdOut, 100.0);
    SaveShots(*lmtd, "lmtd");

    // Neither command ends in a message about a missing program.
    EXPECT_TRUE(messages.empty()) << messages.front();
}

TEST_F(ToolWindowsTest, ToolsMenuIsHiddenAndNoItemSaysNotFound)
{
    openWithOutputs();
    for (QAction* top : window->menuBar()->actions()) {
        if (top->text() == "&Tools") {
            EXPECT_FALSE(top->isVisible());
        }
        if (!top->menu())
            continue;
        for (QAction* item : top->menu()->actions())
            EXPECT_FALSE(item->text().contains("not found")) << item->text().toStdString();
    }
    // Every command of the Solve menu that is enabled runs without a "not found".
    for (C c : {C::DataCheck, C::Morvex})
        window->RunCommand(c);
    for (const std::string& m : messages)
        EXPECT_EQ(m.find("not found"), std::string::npos) << m;
}

TEST_F(ToolWindowsTest, HelpShowsItsIndexInTheProgramWithBackAndForward)
{
    open();
    window->RunCommand(C::HelpIndex);
    auto* help = window->findChild<gui::TPageWindow*>("HelpWindow");
    ASSERT_TRUE(help);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(help));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !help->View()->Busy(); }, kPageWait));
    EXPECT_EQ(help->View()->DocumentFileName().filename(), "index.htm");
    EXPECT_TRUE(help->IndexAction()->isEnabled());
    SaveShots(*help, "help");

    window->RunCommand(C::EmailHelp);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !help->View()->Busy(); }, kPageWait));
    EXPECT_EQ(help->View()->DocumentFileName().filename(), "enquiry.htm");
    ASSERT_TRUE(QTest::qWaitFor([&] { return help->BackAction()->isEnabled(); }, kPageWait));
    help->BackAction()->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return help->View()->DocumentFileName().filename() == "index.htm"; },
                                kPageWait));
    ASSERT_TRUE(QTest::qWaitFor([&] { return help->ForwardAction()->isEnabled(); }, kPageWait));
    help->IndexAction()->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !help->View()->Busy(); }, kPageWait));
    EXPECT_EQ(help->View()->DocumentFileName().filename(), "index.htm");
    // Only one help window, however often Help is asked for.
    window->RunCommand(C::HelpIndex);
    EXPECT_EQ(window->findChildren<gui::TPageWindow*>("HelpWindow").size(), 1);
}

// The text pdftotext finds in a PDF file, or nothing when the tool is not installed.
std::optional<std::string> pdfText(const fs::path& pdf)
{
    FILE* pipe = ::popen(("pdftotext '" + pdf.string() + "' - 2>/dev/null").c_str(), "r");
    if (!pipe)
        return std::nullopt;
    std::string text;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0)
        text.append(buf, n);
    const int rc = ::pclose(pipe);
    if (rc != 0)
        return std::nullopt;
    return text;
}

TEST_F(ToolWindowsTest, PreviewsFitTheScreenAndTheirPdfKeepsText)
{
    openWithOutputs();
    window->RunCommand(C::PrintPreview);
    gui::TReportPreviewWindow* report = outputs->ReportPreview();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(report));
    const QRect screen = report->screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(report->frameGeometry()))
        << report->frameGeometry().width() << "x" << report->frameGeometry().height() << " on "
        << screen.width() << "x" << screen.height();

    report->findChild<QPushButton*>("Preview")->click();
    gui::TPrintPreviewWindow* preview = outputs->PrintPreview();
    ASSERT_TRUE(QTest::qWaitFor([&] { return preview->isVisible(); }, kPageWait))
        << preview->LastError().toStdString();
    EXPECT_TRUE(screen.contains(preview->frameGeometry()))
        << preview->frameGeometry().width() << "x" << preview->frameGeometry().height();
    SaveShots(*preview, "print-preview-fitted");

    // "Save PDF..." writes the engine's own pages: small, with the text in it.
    const fs::path pdf = folder / "report.pdf";
    preview->AskPdfName = [&](const QString&) { return QString::fromStdString(pdf.string()); };
    preview->SavePdfButton()->click();
    ASSERT_TRUE(fs::exists(pdf)) << preview->LastError().toStdString();
    EXPECT_LT(fs::file_size(pdf), 300u * 1024);
    const std::string duty = QuantityText(Quantities().hex_duty, false, "", false, session->Job().Coil()->Qt);
    if (const std::optional<std::string> text = pdfText(pdf)) {
        EXPECT_NE(text->find("Duty"), std::string::npos) << *text;
        EXPECT_NE(text->find(duty), std::string::npos) << duty << "\n" << *text;
    }
    // A part of the document is printed again by the engine: text still, never pictures.
    const fs::path part = folder / "part.pdf";
    ASSERT_TRUE(preview->SavePdf(QString::fromStdString(part.string()), {0}))
        << preview->LastError().toStdString();
    EXPECT_LT(fs::file_size(part), 300u * 1024);
    if (const std::optional<std::string> text = pdfText(part)) {
        EXPECT_NE(text->find("Duty"), std::string::npos) << *text;
    }
    preview->close();
    report->close();
}

} // namespace
} // namespace zmk::test
