// The smaller widgets on their own: the entry field in a dialog, the unit chooser, the units
// dialog's tree, the start-up merge question and the about box.
#include "gui/WindowTest.h"

#include "gui/AboutBox.h"
#include "gui/ConfirmChangeDialog.h"
#include "gui/Shots.h"
#include "gui/UnitsDialog.h"
#include "platform/IniFileMerger.h"

#include <QComboBox>
#include <QDialog>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <fstream>

namespace zmk::test {
namespace {

TEST(WidgetsTest, EntryFieldFiltersTypingAndLeavesEscapeToTheDialogWhenUnmodified)
{
    TEntryErrorFlag flag;
    zmk::TFmtEdit field(flag);
    field.SetFormatStr("%0.1f");
    field.SetRangeLo(-60);
    field.SetRangeHi(900);
    field.SetValue(20.0);
    QDialog dialog;
    auto* edit = new gui::TFmtEditWidget(field, &dialog);
    auto* other = new QPushButton("Other", &dialog);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(edit);
    layout->addWidget(other);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    edit->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(QTest::qWaitFor([edit] { return edit->hasFocus(); }, 2000));

    // Letters are refused, digits and a point go in where the caret is.
    edit->selectAll();
    QTest::keyClicks(edit, "1a2.5b");
    EXPECT_EQ(edit->text(), "12.5");
    EXPECT_EQ(field.Text(), "12.5");
    // Enter validates in place.
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(edit->text(), "12.5");
    EXPECT_TRUE(dialog.isVisible());
    // Leaving commits and reformats.
    edit->setText("7");
    emit edit->textEdited("7"); // as a paste would
    other->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(edit->text(), "7.0");
    EXPECT_DOUBLE_EQ(static_cast<double>(field.GetValue().AsNumber()), 7.0);

    // Read-only: typing changes nothing.
    edit->SetReadOnlyMode(true);
    edit->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(edit, "99");
    EXPECT_EQ(edit->text(), "7.0");

    // Escape in an unmodified field is the dialog's Cancel.
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST(WidgetsTest, UnitChooserIsThreeAndAHalfItemsHighAndClosesOnEnter)
{
    TUnitChooserRequest request;
    request.kind = utTemperature;
    request.labels = UnitLabels(utTemperature);
    request.selected = 0;
    request.x = 105;
    request.y = 205;
    gui::TUnitChooserDialog chooser(request);
    const int item = chooser.List()->sizeHintForRow(0);
    EXPECT_EQ(chooser.height(), static_cast<int>(std::lround(item * 3.5)));
    EXPECT_GE(chooser.width(), 60);
    EXPECT_EQ(chooser.pos(), QPoint(105, 205));

    QTimer::singleShot(0, &chooser, [&chooser] {
        QTest::keyClick(chooser.List(), Qt::Key_Down);
        QTest::keyClick(chooser.List(), Qt::Key_Return);
    });
    chooser.exec();
    EXPECT_EQ(chooser.Selected(), 1);
    // Escape does not cancel: the item selected is the answer.
    gui::TUnitChooserDialog second(request);
    QTimer::singleShot(0, &second, [&second] {
        second.List()->setCurrentRow(2);
        QTest::keyClick(second.List(), Qt::Key_Escape);
    });
    second.exec();
    EXPECT_EQ(second.Selected(), 2);
}

TEST(WidgetsTest, UnitsDialogTreeEditsTheQuantities)
{
    Quantities().ResetDefaults();
    TMemorySettingsStore store;
    gui::TUnitsDialog dialog(store);
    dialog.EnsureBuilt();
    EXPECT_EQ(dialog.windowTitle(), "Units");
    EXPECT_EQ(dialog.Tree()->topLevelItemCount(), 13);
    EXPECT_EQ(dialog.Tree()->topLevelItem(0)->text(0), "fat");
    QTreeWidgetItem* t = dialog.ItemOf("air", "t");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->text(1), "°C");
    dialog.ChooseUnit(t, 1);
    EXPECT_EQ(Quantities().air_t.display, 1);
    EXPECT_EQ(t->text(1), "°F");
    // The unit column opens a drop-down with the kind's units.
    dialog.show();
    dialog.Tree()->editItem(t, 1);
    auto* box = dialog.Tree()->findChild<QComboBox*>();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->count(), 3);
    EXPECT_EQ(box->currentIndex(), 1);
    dialog.MetricClick();
    EXPECT_EQ(t->text(1), "°C");
    SaveShots(dialog, "units-dialog");
    dialog.hide();
    EXPECT_TRUE(store.SectionExists("UnitForm"));
    Quantities().ResetDefaults();
}

TEST(WidgetsTest, MergeQuestionShowsBothSidesAndEscapeDecidesLater)
{
    TMergeQuestion q;
    q.Title = "Install notice: coils.ini";
    q.UserLines = {"[copper]", "k=0.38"};
    q.InstallLines = {"[copper]", "k=0.39"};
    gui::TConfirmChangeDialog dialog(q);
    EXPECT_EQ(dialog.windowTitle(), "Install notice: coils.ini");
    EXPECT_EQ(dialog.UserMemo()->toPlainText(), "[copper]\nk=0.38");
    EXPECT_EQ(dialog.InstallMemo()->toPlainText(), "[copper]\nk=0.39");
    EXPECT_EQ(dialog.Button(TMergeAnswer::Later)->text(), "&Decide later");
    EXPECT_TRUE(dialog.Button(TMergeAnswer::Replace)->isDefault());
    EXPECT_EQ(dialog.Button(TMergeAnswer::ReplaceAll)->toolTip(), "Accept all installed data");
    dialog.show();
    SaveShots(dialog, "merge-question");
    dialog.hide();

    // The whole start-up merge, answered with Escape: the install file stays for next time.
    ShellTestFolder folder;
    const fs::path user = folder / "user" / "coils.ini";
    const fs::path install = folder / "install" / "coils.ini";
    ShellTestFolder::Write(user, "[copper]\r\nk=0.38\r\n");
    ShellTestFolder::Write(install, "[copper]\r\nk=0.39\r\n");
    std::optional<TMergeAnswer> answered;
    TIniFileMerger merger([&](const TMergeQuestion& question) {
        QTimer::singleShot(0, [] {
            QWidget* shown = QApplication::activeModalWidget();
            if (shown)
                QTest::keyClick(shown, Qt::Key_Escape);
        });
        answered = gui::TConfirmChangeDialog::Ask(question);
        return answered;
    });
    merger.MergeFile(user, install);
    ASSERT_TRUE(answered.has_value());
    EXPECT_EQ(*answered, TMergeAnswer::Later);
    EXPECT_TRUE(fs::exists(install));
    EXPECT_EQ(ShellTestFolder::Read(user), "[copper]\r\nk=0.38\r\n");
}

TEST(WidgetsTest, AboutBoxShowsVersionFoldersAndLibraries)
{
    TFolders folders;
    folders.ProgramFolder = "/opt/Quorvane/ZMK/";
    folders.CommonDataFolder = "/opt/Quorvane/Common Files/";
    folders.DataFolder = "/home/ada/Documents/Quorvane/ZMK/";
    gui::TAboutBox box(AboutFacts(folders, "/home/ada/.config/Quorvane", gui::ToolkitLibraries()));
    const QString text = box.PlainText();
    EXPECT_TRUE(text.contains("Zemtor 0.1.0.0"));
    EXPECT_TRUE(text.contains("/opt/Quorvane/Common Files/"));
    EXPECT_TRUE(text.contains(QStringLiteral("Qt ") + qVersion()));
    EXPECT_TRUE(text.contains("LGPL-3.0-only"));
    EXPECT_TRUE(text.contains("pugixml"));
    box.show();
    SaveShots(box, "about-box");
}

} // namespace
} // namespace zmk::test
