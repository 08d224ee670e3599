// The main window on the offscreen platform: typing, keys and commands as the user gives them,
// and what the page, the fields, the menus and the status bar show afterwards.
#include "gui/WindowTest.h"

#include "base/Latin1.h"
#include "gui/UnitsDialog.h"
#include "reports/ReportPage.h"
#include "reports/ReportPages.h"

#include <gmock/gmock.h>

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <regex>

namespace zmk::test {
namespace {

using F = TEntryField;
using C = TMainCommand;

class MainWindowTest : public WindowTest
{
protected:
    // The line of the thermal summary that gives the duty, as the page writer puts it now.
    std::string dutyLine()
    {
        TPageLines page;
        ThermalSummaryPage(session->ReportJob(), page);
        static const std::regex duty("Qt +=[^\\r\\n<]*");
        std::smatch m;
        const std::string text = page.Text();
        return std::regex_search(text, m, duty) ? m.str(0) : std::string();
    }
};

TEST_F(MainWindowTest, TypingAnAirTemperatureAndF9SolvesAndShowsTheNewDuty)
{
    open();
    EXPECT_EQ(window->windowTitle().toStdString(), "Zemtor 0.1.0.0");
    EXPECT_EQ(window->StatusPanelText(), "Solved...");
    const std::string before = dutyLine();
    ASSERT_FALSE(before.empty());
    EXPECT_TRUE(pageText().contains(QString::fromStdString(before)));

    retype(edit(F::edOnCoil), "27");
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(&edit(F::edOnCoil), Qt::Key_F9);
    ASSERT_TRUE(waitForPage());
    EXPECT_DOUBLE_EQ(model->Job().Inputs.edOnCoil.Value, 27);
    EXPECT_EQ(window->StatusPanelText(), "Solved...");
    const std::string after = dutyLine();
    EXPECT_NE(after, before);
    EXPECT_TRUE(pageText().contains(QString::fromStdString(after))) << after;
    EXPECT_EQ(edit(F::edOnCoil).text(), "27.0");
    // The solved page shows the profile in place of its placeholder.
    EXPECT_TRUE(
        evaluate("document.getElementById('pimage').src").toString().startsWith("data:image/png;base64,"));
}

TEST_F(MainWindowTest, EnterCommitsAFieldAndThePageDropsTheOldResults)
{
    open();
    const std::string before = dutyLine();
    ASSERT_TRUE(pageText().contains(QString::fromStdString(before)));
    retype(edit(F::edOnCoil), "300");
    QTest::keyClick(&edit(F::edOnCoil), Qt::Key_Return);
    EXPECT_TRUE(edit(F::edOnCoil).hasFocus());
    EXPECT_EQ(edit(F::edOnCoil).text(), "300.0");
    EXPECT_DOUBLE_EQ(model->Job().Inputs.edOnCoil.Value, 300);
    EXPECT_EQ(window->StatusPanelText(), "Not Solved...");
    ASSERT_TRUE(waitForPage());
    const QString text = pageText();
    EXPECT_FALSE(text.contains(QString::fromStdString(before))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("Qt "))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Not solved — press F9"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("dbi  = 300.0 °C"))) << text.toStdString();
    // The status line asking for a solve is shown.
    EXPECT_EQ(
        evaluate(QStringLiteral("getComputedStyle(document.getElementById('status')).display")).toString(),
        QStringLiteral("block"));

    // F9 then shows the results of the new inputs.
    QTest::keyClick(&edit(F::edOnCoil), Qt::Key_F9);
    ASSERT_TRUE(waitForPage());
    EXPECT_EQ(window->StatusPanelText(), "Solved...");
    EXPECT_TRUE(pageText().contains(QString::fromStdString(dutyLine())));
    EXPECT_NE(dutyLine(), before);
}

TEST_F(MainWindowTest, TheSummaryShowsItsProfileWhenChosenAgainAndAfterStepByStep)
{
    open();
    const QString profile = QStringLiteral("document.getElementById('pimage').src");
    ASSERT_TRUE(evaluate(profile).toString().startsWith("data:image/png;base64,"));
    window->ViewAction(TReportView::ManufacturingSpec)->trigger();
    ASSERT_TRUE(waitForPage());
    window->ViewAction(TReportView::ThermalSummary)->trigger();
    ASSERT_TRUE(waitForPage());
    EXPECT_TRUE(evaluate(profile).toString().startsWith("data:image/png;base64,"));

    session->StepByStep();
    ASSERT_TRUE(waitForPage());
    EXPECT_TRUE(evaluate(profile).toString().startsWith("data:image/png;base64,"));
}

TEST_F(MainWindowTest, ImperialThenCloseShowsFahrenheitAndInchesOfWaterAtTheNextRefresh)
{
    open();
    EXPECT_FALSE(pageText().contains(QStringLiteral("°F")));
    QTimer::singleShot(0, window.get(), [this] {
        gui::TUnitsDialog* dialog = window->UnitsDialog();
        EXPECT_TRUE(QTest::qWaitFor([dialog] { return dialog->isVisible(); }, 5000));
        dialog->findChild<QPushButton*>("Imperial")->click();
        dialog->findChild<QPushButton*>("Close")->click();
    });
    window->RunCommand(C::SetUnits);
    EXPECT_FALSE(window->UnitsDialog()->isVisible());
    // Nothing changes on screen until the page is built again.
    window->ViewAction(TReportView::ThermalSummary)->trigger();
    ASSERT_TRUE(waitForPage());
    const QString text = pageText();
    EXPECT_TRUE(text.contains(QStringLiteral("°F"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("InchWg"))) << text.toStdString();
    // The fields keep their own units.
    EXPECT_EQ(edit(F::edOnCoil).text(), "380.0");
}

TEST_F(MainWindowTest, EscapeRestoresAModifiedFieldAndOtherwiseReachesTheWindow)
{
    open();
    retype(edit(F::edOnCoil), "55");
    EXPECT_EQ(edit(F::edOnCoil).text(), "55");
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&edit(F::edOnCoil), &escape);
    EXPECT_TRUE(escape.isAccepted());
    EXPECT_EQ(edit(F::edOnCoil).text(), "380.0");
    EXPECT_FALSE(edit(F::edOnCoil).Field().Modified());
    // Unmodified now: the key is left to the window.
    QKeyEvent again(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&edit(F::edOnCoil), &again);
    EXPECT_FALSE(again.isAccepted());
    // A refused character beeps and changes nothing; over a selection it still deletes it.
    QTest::keyClick(&edit(F::edOnCoil), Qt::Key_End);
    QTest::keyClicks(&edit(F::edOnCoil), "x");
    EXPECT_EQ(edit(F::edOnCoil).text(), "380.0");
    edit(F::edOnCoil).selectAll();
    QTest::keyClicks(&edit(F::edOnCoil), "x");
    EXPECT_EQ(edit(F::edOnCoil).text(), "");
}

TEST_F(MainWindowTest, AnOutOfRangeEntryIsClampedAndKeepsTheFocus)
{
    open();
    retype(edit(F::edOnCoil), "1000");
    QTest::keyClick(&edit(F::edOnCoil), Qt::Key_Tab);
    ASSERT_TRUE(QTest::qWaitFor([this] { return edit(F::edOnCoil).hasFocus(); }, 2000));
    QTest::qWait(50);
    EXPECT_TRUE(edit(F::edOnCoil).hasFocus());
    EXPECT_EQ(edit(F::edOnCoil).text(), "900.0");
    EXPECT_DOUBLE_EQ(model->Job().Inputs.edOnCoil.Value, 900);
    EXPECT_EQ(window->StatusPanelText(), "Not Solved...");
    // Still modified, so Escape brings back what the field was entered with.
    QTest::keyClick(&edit(F::edOnCoil), Qt::Key_Escape);
    EXPECT_EQ(edit(F::edOnCoil).text(), "380.0");
}

TEST_F(MainWindowTest, DiagnosticViewAfterSolve)
{
    open();
    window->ViewAction(TReportView::Diagnostic)->trigger();
    ASSERT_TRUE(waitForPage());
    window->RunCommand(C::Solve);
    ASSERT_TRUE(waitForPage());
    EXPECT_EQ(window->StatusPanelText(), "Solved...");
    TPageLines diagnostic;
    DiagnosticPage(session->ReportJob(), diagnostic);
    EXPECT_EQ(window->View()->DocumentSource(), Latin1ToUtf8(PageBytes(diagnostic.Text())));
    EXPECT_EQ(window->View()->DocumentFileName(), fs::path(folders.ReportFolder) / "ScreenReport.htm");
    const QString text = pageText();
    EXPECT_TRUE(text.contains("Areas and Volumes")) << text.toStdString();
    EXPECT_FALSE(text.contains("Qt   =")) << text.toStdString();
    EXPECT_TRUE(window->ViewAction(TReportView::Diagnostic)->isChecked());
}

// A program folder whose images folder holds ten pictures.
class PictureCycleTest : public MainWindowTest
{
protected:
    fs::path programFolder() const override { return folder / "program"; }
    void SetUp() override
    {
        const fs::path images = folder / "program" / "Help" / "Images";
        fs::create_directories(images);
        const fs::path picture = fs::path(ZMK_BUILD_PROGRAM_DIR) / "Report" / "blank.png";
        for (int i = 0; i < 10; ++i)
            fs::copy_file(picture, images / ("p" + std::to_string(i) + ".png"));
        MainWindowTest::SetUp();
    }
};

TEST_F(PictureCycleTest, DoubleClicksCycleThroughTheFirstNinePictures)
{
    open();
    // The first coil is solved; a change to a field leaves it not solved, with a picture.
    retype(edit(F::edRows), "5");
    QTest::keyClick(&edit(F::edRows), Qt::Key_Tab);
    window->ViewAction(TReportView::ThermalSummary)->trigger();
    ASSERT_TRUE(waitForPage());
    ASSERT_FALSE(model->Job().Solved());
    QWidget* surface = window->View()->focusProxy();
    ASSERT_NE(surface, nullptr);

    const std::size_t start = session->Pictures().Index();
    std::vector<std::size_t> shown;
    for (int click = 0; click < 9; ++click) {
        const std::string source = window->View()->DocumentSource();
        const std::string picture = session->Pictures().Names()[session->Pictures().Index()];
        EXPECT_NE(source.find(picture), std::string::npos) << picture;
        shown.push_back(session->Pictures().Index());
        QTest::mouseDClick(surface, Qt::LeftButton, {}, QPoint(20, 20));
        ASSERT_TRUE(waitForPage());
    }
    std::sort(shown.begin(), shown.end());
    EXPECT_THAT(shown, ::testing::ElementsAre(0, 1, 2, 3, 4, 5, 6, 7, 8));
    // Nine steps bring the cycle back to where it started; the tenth picture is never shown.
    EXPECT_EQ(session->Pictures().Index(), start);
}

TEST_F(MainWindowTest, ReopenMenuAfterSaveAs)
{
    open();
    EXPECT_FALSE(window->ReopenMenu()->isEnabled());
    const QString a = QString::fromStdString((folder / "a.zmx").string());
    const QString b = QString::fromStdString((folder / "b.zmx").string());
    ASSERT_TRUE(window->SaveAsFile(a));
    ASSERT_TRUE(window->SaveAsFile(b));
    ASSERT_TRUE(window->ReopenMenu()->isEnabled());
    const QList<QAction*> items = window->ReopenMenu()->actions();
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items[0]->text(), "&1 " + a);
    EXPECT_TRUE(window->FilePanelText().endsWith("b.zmx"));

    items[0]->trigger();
    ASSERT_TRUE(
        QTest::qWaitFor([this] { return model->Job().FileName == (folder / "a.zmx").string(); }, 5000));
    ASSERT_EQ(window->ReopenMenu()->actions().size(), 1);
    EXPECT_EQ(window->ReopenMenu()->actions()[0]->text(), "&1 " + b);
    EXPECT_EQ(window->StatusPanelText(), "Not Solved...");
}

TEST_F(MainWindowTest, ReopenMenuFollowsNewAtOnce)
{
    open();
    const QString a = QString::fromStdString((folder / "a.zmx").string());
    ASSERT_TRUE(window->SaveAsFile(a));
    window->RunCommand(C::New);
    ASSERT_TRUE(window->ReopenMenu()->isEnabled());
    ASSERT_EQ(window->ReopenMenu()->actions().size(), 1);
    EXPECT_EQ(window->ReopenMenu()->actions()[0]->text(), "&1 " + a);
    // The new job's "Default.zmx" was never written: Save As does not offer it.
    ASSERT_TRUE(window->SaveAsFile(QString::fromStdString((folder / "b.zmx").string())));
    ASSERT_EQ(window->ReopenMenu()->actions().size(), 1);
    EXPECT_EQ(window->ReopenMenu()->actions()[0]->text(), "&1 " + a);
}

TEST_F(MainWindowTest, WindowPlaceIsRestoredHeldOnTheScreenAndStoredAtClose)
{
    store.WriteInteger("MainForm", "Left", 30);
    store.WriteInteger("MainForm", "Top", -40);
    store.WriteInteger("MainForm", "Width", 700);
    store.WriteInteger("MainForm", "Height", 560);
    open();
    EXPECT_EQ(window->pos(), QPoint(30, 0));
    EXPECT_EQ(window->size(), QSize(700, 560));

    window->resize(640, 600);
    window->move(12, 34);
    ASSERT_TRUE(window->close());
    EXPECT_EQ(store.ReadInteger("MainForm", "Left", 0), 12);
    EXPECT_EQ(store.ReadInteger("MainForm", "Top", 0), 34);
    EXPECT_EQ(store.ReadInteger("MainForm", "Width", 0), 640);
    EXPECT_EQ(store.ReadInteger("MainForm", "Height", 0), 600);
    EXPECT_DOUBLE_EQ(store.ReadFloat("Startup\\airon", "db", 0), 380);
}

TEST_F(MainWindowTest, ClosingWithUnsavedChangesAsksFirst)
{
    open();
    int asked = 0;
    QMessageBox::StandardButton answer = QMessageBox::Cancel;
    window->AskToSave = [&](const QString&) {
        ++asked;
        return answer;
    };
    ASSERT_TRUE(window->close()); // nothing changed: no question
    EXPECT_EQ(asked, 0);

    window->show();
    retype(edit(F::edCircuits), "12");
    EXPECT_FALSE(window->close()); // the typed value is committed and found unsaved
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(window->isVisible());
    // The job has no file yet: Save asks for a name first, and cancelling that keeps the window.
    answer = QMessageBox::Save;
    QStringList suggested;
    QString name;
    window->AskSaveName = [&](const QString& s) {
        suggested << s;
        return name;
    };
    EXPECT_FALSE(window->close());
    EXPECT_EQ(suggested, QStringList{"Default.zmx"});
    name = QString::fromStdString((folder / "docs" / "Default.zmx").string());
    ASSERT_TRUE(window->close());
    EXPECT_EQ(asked, 3);
    EXPECT_TRUE(fs::exists(folder / "docs" / "Default.zmx"));
}

TEST_F(MainWindowTest, NewProjectAndReopenAskBeforeUnsavedChangesAreLost)
{
    open();
    const QString a = QString::fromStdString((folder / "a.zmx").string());
    const QString b = QString::fromStdString((folder / "b.zmx").string());
    ASSERT_TRUE(window->SaveAsFile(a));
    int asked = 0;
    QMessageBox::StandardButton answer = QMessageBox::Cancel;
    window->AskToSave = [&](const QString& question) {
        ++asked;
        EXPECT_TRUE(question.contains(QStringLiteral("Save the changes to "))) << question.toStdString();
        return answer;
    };
    window->RunCommand(C::New); // saved just now: no question
    EXPECT_EQ(asked, 0);
    ASSERT_TRUE(window->SaveAsFile(b)); // a stays on the re-open list

    retype(edit(F::edCircuits), "12");
    window->RunCommand(C::New);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(edit(F::edCircuits).text(), "12.0"); // cancelled: the job is as it was
    ASSERT_FALSE(window->ReopenMenu()->actions().isEmpty());
    window->ReopenMenu()->actions()[0]->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(edit(F::edCircuits).text(), "12.0");

    answer = QMessageBox::Discard;
    window->RunCommand(C::New);
    EXPECT_EQ(asked, 3);
    EXPECT_EQ(edit(F::edCircuits).text(), "14.0");
    EXPECT_EQ(model->Job().FileName.substr(model->Job().FileName.size() - 11), "Default.zmx");
}

TEST_F(MainWindowTest, DiscardingAtTheCloseKeepsTheStartValuesTheRunBeganWith)
{
    open();
    retype(edit(F::edOnCoil), "55");
    QTest::keyClick(&edit(F::edOnCoil), Qt::Key_F9);
    ASSERT_TRUE(waitForPage());
    ASSERT_DOUBLE_EQ(model->Job().Inputs.edOnCoil.Value, 55);
    window->AskToSave = [](const QString&) { return QMessageBox::Discard; };
    ASSERT_TRUE(window->close());
    EXPECT_DOUBLE_EQ(store.ReadFloat("Startup\\airon", "db", 0), 380);
}

TEST_F(MainWindowTest, AFileThatFailsToOpenNeverBecomesCurrentAndCtrlSLeavesIt)
{
    const fs::path page = folder / "page.zmx";
    const std::string html = "<!DOCTYPE html><html><body><p>Not a project<br></body></html>";
    ShellTestFolder::Write(page, html);

    // Named at start: told, and the window has no file; Ctrl+S asks for one.
    open({page.string()});
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_THAT(messages[0], ::testing::HasSubstr(page.string()));
    EXPECT_TRUE(window->FilePanelText().isEmpty());
    const fs::path named = folder / "named.zmx";
    int asked = 0;
    window->AskSaveName = [&](const QString&) {
        ++asked;
        return QString::fromStdString(named.string());
    };
    focus(edit(F::edOnCoil));
    QTest::keyClick(&edit(F::edOnCoil), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(ProjectFileKind(named.string()), std::optional<std::string>("zmk"));
    EXPECT_TRUE(window->FilePanelText().endsWith("named.zmx"));

    // Opened from the window: told, the current file stays, and Ctrl+S writes that one.
    messages.clear();
    window->OpenFile(QString::fromStdString(page.string()));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_THAT(messages[0], ::testing::HasSubstr(page.string()));
    EXPECT_EQ(model->Job().FileName, named.string());
    EXPECT_TRUE(window->FilePanelText().endsWith("named.zmx"));
    retype(edit(F::edOnCoil), "55");
    QTest::keyClick(&edit(F::edOnCoil), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(ShellTestFolder::Read(page), html);
    EXPECT_NE(ShellTestFolder::Read(named).find("<dbi>55</dbi>"), std::string::npos);
}

TEST_F(MainWindowTest, AChilledWaterProjectOpensAsAChilledWaterCoil)
{
    const fs::path cold = folder / "cold.zmx";
    {
        ProjectJob p("cwc");
        p.job.EnterField(F::edOnCoil, 26);
        ASSERT_TRUE(p.session.SaveAs(cold.string()));
    }
    open();
    EXPECT_EQ(window->KindLabel()->text(), "ZMK");
    window->OpenFile(QString::fromStdString(cold.string()));
    ASSERT_TRUE(waitForPage());
    EXPECT_TRUE(messages.empty()) << messages.front();
    EXPECT_EQ(window->KindLabel()->text(), "CWC");
    EXPECT_TRUE(window->KindAction(0)->isChecked()); // Edit > Coil kind follows
    EXPECT_EQ(edit(F::edOnCoil).text(), "26.0");
    EXPECT_EQ(window->StatusPanelText(), "Not Solved...");
    EXPECT_TRUE(window->FilePanelText().endsWith("cold.zmx"));
    // The page is the project's: its water, where the heat recovery coil had thermal oil.
    const QString text = pageText();
    EXPECT_TRUE(text.contains("Clean Water")) << text.toStdString();
    EXPECT_FALSE(text.contains("Thermal Oil")) << text.toStdString();

    focus(edit(F::edOnCoil));
    QTest::keyClick(&edit(F::edOnCoil), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(ProjectFileKind(cold.string()), std::optional<std::string>("cwc"));
}

TEST_F(MainWindowTest, HyphenatedCommandLinePathOpensTheProject)
{
    const fs::path project = folder / "my-jobs" / "cold-coil.zmx";
    {
        ProjectJob p("zmk");
        p.job.EnterField(F::edOnCoil, 222);
        fs::create_directories(project.parent_path());
        ASSERT_TRUE(p.session.SaveAs(project.string()));
    }
    open({project.string()});
    EXPECT_EQ(model->Job().FileName, project.string());
    EXPECT_EQ(edit(F::edOnCoil).text(), "222.0");
    EXPECT_EQ(window->StatusPanelText(), "Not Solved...");
    EXPECT_TRUE(window->FilePanelText().endsWith("cold-coil.zmx"));
    EXPECT_TRUE(messages.empty());
}

TEST_F(MainWindowTest, KeysMenusAndButtons)
{
    open();
    // Up and Down move the focus through the controls in tab order.
    focus(edit(F::edFinHeight));
    QTest::keyClick(&edit(F::edFinHeight), Qt::Key_Down);
    EXPECT_TRUE(edit(F::edFinnedLength).hasFocus());
    QTest::keyClick(&edit(F::edFinnedLength), Qt::Key_Up);
    EXPECT_TRUE(edit(F::edFinHeight).hasFocus());

    // The menus' captions, shortcuts and the dialogs still to come, present and disabled.
    EXPECT_EQ(window->Action(C::Save)->shortcut(), QKeySequence("Ctrl+S"));
    EXPECT_EQ(window->Action(C::Solve)->shortcut(), QKeySequence("F9"));
    EXPECT_EQ(window->Action(C::Open)->shortcut(), QKeySequence("Ctrl+O"));
    EXPECT_EQ(window->Action(C::New)->statusTip(), "Reset...");
    // Ctrl+Shift+S typed in an entry field reaches Save As; a cancelled name saves nothing.
    int asked = 0;
    window->AskSaveName = [&](const QString&) {
        ++asked;
        return QString();
    };
    const QString fileShown = window->FilePanelText();
    focus(edit(F::edOnCoil));
    QTest::keyClick(&edit(F::edOnCoil), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(window->FilePanelText(), fileShown);
    for (C c : {C::Properties, C::PrintPreview, C::StepByStep, C::DataCheck, C::Morvex, C::Hygrona})
        EXPECT_FALSE(window->Action(c)->isEnabled()) << window->Action(c)->text().toStdString();
    for (C c : {C::CoilSpec, C::Locations, C::AirFlow, C::FluidType, C::FluidFlow})
        EXPECT_FALSE(window->Button(c)->isEnabled()) << static_cast<int>(c);
    EXPECT_TRUE(window->Button(C::FluidControl)->isEnabled());

    // "~" toggles the liquid control and the flow fields with it.
    window->Button(C::FluidControl)->click();
    EXPECT_EQ(window->findChild<gui::TFmtEditWidget*>("edLiquidControl")->text(), "Temperature");
    EXPECT_FALSE(edit(F::edFluidFlow).isEnabled());
    EXPECT_TRUE(edit(F::edFluidDT).isEnabled());

    // The kind: Ctrl+click on its label, or the menu's choice.
    QTest::mouseClick(window->KindLabel(), Qt::LeftButton);
    EXPECT_EQ(window->KindLabel()->text(), "ZMK");
    QTest::mouseClick(window->KindLabel(), Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(window->KindLabel()->text(), "CWC");
    EXPECT_TRUE(window->KindAction(0)->isChecked());
    window->KindAction(1)->trigger();
    EXPECT_EQ(window->KindLabel()->text(), "HWC");

    // The spray box marks the job not solved.
    ASSERT_TRUE(model->Job().Solved());
    window->SprayBox()->click();
    EXPECT_TRUE(model->Job().Inputs.cbSpray);
    EXPECT_EQ(window->StatusPanelText(), "Not Solved...");
}

TEST_F(MainWindowTest, FilePanelFollowsTheWindowWidth)
{
    open();
    const fs::path deep = folder / "a rather long folder name" / "and another one below it" / "job.zmx";
    fs::create_directories(deep.parent_path());
    ASSERT_TRUE(window->SaveAsFile(QString::fromStdString(deep.string())));
    window->resize(1400, 600);
    EXPECT_EQ(window->FilePanelText().toStdString(), deep.string());
    window->resize(520, 600);
    const QString narrow = window->FilePanelText();
    EXPECT_TRUE(narrow.contains('~')) << narrow.toStdString();
    EXPECT_TRUE(narrow.endsWith("/job.zmx") || narrow.endsWith("~job.zmx"));
}

TEST_F(MainWindowTest, CopyPutsThePageOnTheClipboard)
{
    open();
    QApplication::clipboard()->clear();
    window->RunCommand(C::Copy);
    ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::clipboard()->text().contains("Qt"); }, kPageWait));
    EXPECT_TRUE(QApplication::clipboard()->text().contains(QString::fromStdString(dutyLine())));
}

TEST_F(MainWindowTest, ViewContextMenuShowsSourceAndHelp)
{
    open();
    std::unique_ptr<QMenu> menu(window->View()->CreateContextMenu(nullptr));
    const QList<QAction*> items = menu->actions();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0]->text(), "&Print Preview"); // each item with its key
    EXPECT_FALSE(items[0]->isEnabled());           // until the preview window exists
    EXPECT_EQ(items[1]->text(), "&View Page Source");
    EXPECT_EQ(items[2]->text(), "&Show Help");

    const std::string source = window->View()->DocumentSource();
    items[1]->trigger();
    ASSERT_TRUE(QTest::qWaitFor([this] { return pageText().contains("<pre>"); }, kPageWait));
    EXPECT_TRUE(pageText().contains("id=\"pimage\""));
    EXPECT_EQ(window->View()->DocumentSource(), source);

    items[2]->trigger();
    ASSERT_TRUE(waitForPage());
    EXPECT_EQ(window->View()->DocumentFileName(), fs::path(folders.HelpFolder) / "index.htm");
    EXPECT_FALSE(pageText().isEmpty());
}

} // namespace
} // namespace zmk::test
