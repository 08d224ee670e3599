// The coil selection window from the Solve menu and from the fin-and-tube editor's button: a run
// with its progress, the table sorted by a heading, the job's coil marked, and a double click
// taking a coil into the job, which the main window then shows solved.
// With ZMK_SHOTS=<folder> the window is saved as pictures there before, during and after a run.
#include "gui/WindowTest.h"

#include "gui/Shots.h"

#include "engine/HeatExchanger.h"
#include "gui/CoilCommands.h"
#include "gui/CoilSelectionWindow.h"
#include "gui/FatEditorDialog.h"
#include "units/ConvTools.h"

#include <QAction>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>

#include <cmath>
#include <cstdlib>

namespace zmk::test {
namespace {

using C = TMainCommand;

class CoilSelectionWindowTest : public WindowTest
{
protected:
    void openWithDialogs()
    {
        open();
        if (HasFatalFailure())
            return;
        dialogs = &gui::PlugCoilDialogs(*window, folders, &beside);
    }

    TMemorySettingsStore beside;
    gui::TCoilDialogs* dialogs = nullptr;
};

TEST_F(CoilSelectionWindowTest, RunsSortsAndUsesACoil)
{
    openWithDialogs();
    ASSERT_FALSE(HasFatalFailure());
    window->RunCommand(C::CoilSelection);
    gui::TCoilSelectionWindow& w = gui::CoilSelectionWindow(*dialogs);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    const double jobDuty = std::fabs(session->Job().Coil()->Qt);
    EXPECT_NEAR(w.DutyBox()->value(), jobDuty, 1e-3);
    EXPECT_FALSE(w.CancelButton()->isEnabled());
    EXPECT_EQ(w.Table()->rowCount(), 0);
    SaveShots(w, "coil-selection-before");

    // The job's face only, unless pictures are asked for: then the whole catalogue over the
    // default face range, a run long enough to be seen in progress.
    if (!std::getenv("ZMK_SHOTS")) {
        w.FixedFaceBox()->setChecked(true);
        w.RowsHiBox()->setValue(5);
    }
    w.SelectClick();
    EXPECT_TRUE(w.CancelButton()->isEnabled());
    EXPECT_FALSE(w.SelectButton()->isEnabled());
    EXPECT_TRUE(w.Progress()->isVisible());
    SaveShots(w, "coil-selection-running");
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.SelectButton()->isEnabled(); }, 60000));
    SaveShots(w, "coil-selection-after");
    const int rows = w.Table()->rowCount();
    ASSERT_GT(rows, 1) << w.StatusLabel()->text().toStdString();
    EXPECT_TRUE(w.StatusLabel()->text().contains("coils meet")) << w.StatusLabel()->text().toStdString();

    // A click on the air dp heading sorts by it, a second one the other way.
    const int airDp = static_cast<int>(TSelectColumn::AirDp);
    auto cellNumber = [&](int row) { return w.Table()->item(row, airDp)->text().toDouble(); };
    emit w.Table()->horizontalHeader()->sectionClicked(airDp);
    EXPECT_LE(cellNumber(0), cellNumber(rows - 1));
    emit w.Table()->horizontalHeader()->sectionClicked(airDp);
    EXPECT_GE(cellNumber(0), cellNumber(rows - 1));

    // A double click takes the row into the job, which is solved and shows that coil marked.
    const std::string pattern = w.Model().Row(1).Pattern.Name;
    const double duty = w.Model().Row(1).Qt;
    w.Table()->selectRow(1);
    emit w.Table()->cellDoubleClicked(1, 0);
    EXPECT_TRUE(session->Job().Solved());
    EXPECT_EQ(session->Job().Coil()->Geometry->Rec.Model, pattern);
    EXPECT_NEAR(std::fabs(session->Job().Coil()->Qt), duty, 1e-6 * duty);
    EXPECT_TRUE(w.Table()->item(1, 0)->text().startsWith(QStringLiteral("► ")));
    EXPECT_TRUE(w.Table()->item(1, 0)->font().bold());
    ASSERT_TRUE(waitForPage());
    EXPECT_EQ(window->StatusPanelText(), QString::fromUtf8(kSolvedStatus.data()));

    // Edit, "Undo Coil Selection" (Ctrl+Z) puts the coil before back, solved; then only Redo is
    // offered.
    QAction* undo = window->Action(C::Undo);
    ASSERT_NE(undo, nullptr);
    EXPECT_TRUE(undo->isEnabled());
    EXPECT_EQ(undo->text().toStdString(), "&Undo Coil Selection");
    EXPECT_EQ(undo->shortcut(), QKeySequence(QStringLiteral("Ctrl+Z")));
    window->RunCommand(C::Undo);
    EXPECT_TRUE(session->Job().Solved());
    EXPECT_FALSE(w.Model().IsCurrent(session->Job(), 1));
    EXPECT_FALSE(w.Table()->item(1, 0)->font().bold()); // the mark follows the job
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_TRUE(window->Action(C::Redo)->isEnabled());
    EXPECT_EQ(window->Action(C::Redo)->text().toStdString(), "&Redo Coil Selection");
    window->RunCommand(C::Redo);
    EXPECT_TRUE(w.Model().IsCurrent(session->Job(), 1));
    EXPECT_TRUE(undo->isEnabled());
}

// With imperial units the limits and the headings show °F, Btu/hr, InchWg and fpm; the form still
// holds the values in the program's own units.
TEST_F(CoilSelectionWindowTest, ShowsTheUserDisplayUnits)
{
    openWithDialogs();
    ASSERT_FALSE(HasFatalFailure());
    SetAllImperial();
    window->RunCommand(C::CoilSelection);
    gui::TCoilSelectionWindow& w = gui::CoilSelectionWindow(*dialogs);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    const double jobDuty = std::fabs(session->Job().Coil()->Qt);
    EXPECT_NEAR(w.DutyBox()->value(), jobDuty * 3412.14, 1.0);
    QStringList labels;
    for (QLabel* l : w.findChildren<QLabel*>())
        labels << l->text();
    for (QRadioButton* r : w.findChildren<QRadioButton*>())
        labels << r->text();
    const QString all = labels.join('|');
    for (const char* unit : {"°F", "Btu/hr", "InchWg", "fpm", "inch"})
        EXPECT_TRUE(all.contains(QString::fromUtf8(unit))) << unit << " in " << all.toStdString();
    auto heading = [&](TSelectColumn c) {
        return w.Table()->horizontalHeaderItem(static_cast<int>(c))->text().toStdString();
    };
    EXPECT_EQ(heading(TSelectColumn::Duty), "Duty Btu/hr");
    EXPECT_EQ(heading(TSelectColumn::AirDp), "Air dp InchWg");
    EXPECT_EQ(heading(TSelectColumn::FaceVelocity), "Vf fpm");
    // A box left as shown reads back as held; one the user set converts.
    const double held = w.Model().Form.MaxAirDp;
    w.MaxAirDpBox()->setValue(0.5);
    w.FixedFaceBox()->setChecked(true);
    w.RowsHiBox()->setValue(5);
    SaveShots(w, "coil-selection-imperial");
    w.SelectClick();
    EXPECT_NE(held, w.Model().Form.MaxAirDp);
    EXPECT_NEAR(w.Model().Form.MaxAirDp, 0.5 * 249.0889, 0.01);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.SelectButton()->isEnabled(); }, 60000));
    SaveShots(w, "coil-selection-imperial-after");
    w.close();
}

TEST_F(CoilSelectionWindowTest, EditorButtonOpensTheWindowAndCancelStopsARun)
{
    openWithDialogs();
    ASSERT_FALSE(HasFatalFailure());
    gui::TFatEditorDialog& editor = gui::CoilEditorDialog(*dialogs);
    QTimer::singleShot(0, &editor, [&] {
        if (QTest::qWaitFor([&] { return editor.isVisible(); }, 5000))
            editor.SelectionButton()->click();
    });
    window->RunCommand(C::CoilSpec);
    gui::TCoilSelectionWindow& w = gui::CoilSelectionWindow(*dialogs);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.isVisible(); }, 5000));
    EXPECT_FALSE(editor.isVisible());

    w.SelectClick();
    w.CancelButton()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.SelectButton()->isEnabled(); }, 60000));
    EXPECT_TRUE(w.StatusLabel()->text().startsWith("Cancelled")) << w.StatusLabel()->text().toStdString();
    w.close();
}

} // namespace
} // namespace zmk::test
