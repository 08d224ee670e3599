// The coil geometry dialogs from the main window's "..." button after the geometry line: the
// editor's spin arrows against the spin rules, a typed fin height put back by Cancel or taken by
// the main window on Accept, the coil maker's list and choice, and the design settings pages.
// With ZMK_SHOTS=<folder> the dialogs are also saved as pictures there.
#include "gui/WindowTest.h"

#include "dialogs/Contrast.h"
#include "dialogs/FatEditor.h"
#include "gui/CoilCommands.h"
#include "gui/CoilDialogParts.h"
#include "gui/CoilMakerDialog.h"
#include "gui/DesignSettingsDialog.h"
#include "gui/FatEditorDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <cmath>
#include <functional>
#include <optional>
#include <regex>

namespace zmk::test {
namespace {

using F = TEntryField;

double shownNumber(const gui::TFmtEditWidget& e)
{
    return ReadFieldNumber(const_cast<gui::TFmtEditWidget&>(e).Field()).value_or(NAN);
}

QPushButton* buttonNamed(QWidget& dialog, const QString& text)
{
    for (QPushButton* b : dialog.findChildren<QPushButton*>())
        if (b->text() == text)
            return b;
    return nullptr;
}

class CoilDialogsTest : public WindowTest
{
protected:
    void openWithDialogs()
    {
        open();
        dialogs = &gui::PlugCoilDialogs(*window, folders, &beside);
        editor = &gui::CoilEditorDialog(*dialogs);
    }

    // Runs `inside` once the modal dialog is up while `run` shows it; a dialog still open after
    // `inside` is cancelled, so a failed check never leaves the test waiting.
    static void whileShown(QDialog& dialog, const std::function<void()>& inside,
                           const std::function<void()>& run)
    {
        bool ran = false;
        QTimer::singleShot(0, &dialog, [&] {
            if (QTest::qWaitFor([&] { return dialog.isVisible(); }, 5000)) {
                EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog));
                EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
                inside();
            }
            ran = true;
            if (dialog.isVisible())
                dialog.reject();
        });
        run();
        EXPECT_TRUE(ran);
    }

    void openEditor(const std::function<void()>& inside)
    {
        whileShown(*editor, inside, [this] { window->RunCommand(TMainCommand::CoilSpec); });
    }

    gui::TFmtEditWidget& field(const zmk::TFmtEdit& logic) const { return *editor->Edit(logic); }
    TFatEditor& logic() const { return editor->Editor(); }
    TCoil& coil() const { return *logic().Coil(); }

    // Presses a spin arrow `times` times and returns what the field showed after each press.
    std::vector<double> spin(TFatSpin s, bool up, int times, const zmk::TFmtEdit& shown)
    {
        std::vector<double> values;
        QToolButton* arrow = up ? editor->Arrows(s)->Up() : editor->Arrows(s)->Down();
        for (int i = 0; i < times; ++i) {
            QTest::mouseClick(arrow, Qt::LeftButton);
            values.push_back(shownNumber(field(shown)));
        }
        return values;
    }

    // Saves a picture of a widget when pictures are asked for.
    static void shot(QWidget& widget, const QString& name)
    {
        const QByteArray folder = qgetenv("ZMK_SHOTS");
        if (folder.isEmpty())
            return;
        QTest::qWait(50);
        EXPECT_TRUE(widget.grab().save(QString::fromLocal8Bit(folder) + "/" + name + ".png"));
    }

    TMemorySettingsStore beside;
    gui::TCoilDialogs* dialogs = nullptr;
    gui::TFatEditorDialog* editor = nullptr;
};

TEST_F(CoilDialogsTest, SpinsFollowTheRulesAndCancelLeavesTheMainWindowAsItWas)
{
    openWithDialogs();
    ASSERT_TRUE(window->Model().CommandEnabled(TMainCommand::CoilSpec));
    const QString heightShown = edit(F::edFinHeight).text();
    const double height = model->Job().Coil()->GetFinHeight();
    const double circuits = model->Job().Coil()->GetCircuits();

    openEditor([&] {
        // The editor opens on the main window's coil, with its duty as the target.
        EXPECT_NEAR(shownNumber(field(logic().edFinHeight)), height, 0.0005);
        EXPECT_NEAR(shownNumber(field(logic().edDesignDuty)), model->Job().Coil()->Qt, 0.0005);
        EXPECT_FALSE(editor->SummaryView()->toPlainText().isEmpty());
        EXPECT_TRUE(editor->SummaryView()->toPlainText().contains("tubes high"));
        shot(*editor, "fat-editor");

        // Rows: up to 20 through 5, 6, 8 ..., no further, and back down the same way.
        const double rows0 = coil().GetRows();
        std::vector<double> expected;
        for (std::optional<double> r = SpinRows(rows0, true); r; r = SpinRows(*r, true))
            expected.push_back(*r);
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(spin(TFatSpin::Rows, true, static_cast<int>(expected.size()) + 1, logic().edRows).back(),
                  20);
        EXPECT_DOUBLE_EQ(coil().GetRows(), 20);
        std::vector<double> down;
        for (std::optional<double> r = SpinRows(20, false); r && *r >= rows0; r = SpinRows(*r, false))
            down.push_back(*r);
        EXPECT_EQ(spin(TFatSpin::Rows, false, static_cast<int>(down.size()), logic().edRows), down);
        EXPECT_DOUBLE_EQ(coil().GetRows(), rows0);
        // The rows arrow took the focus to its field.
        EXPECT_TRUE(field(logic().edRows).hasFocus());

        // Circuits through the divisors of the tube count, each way, with the arrows and the keys.
        const TFinAndTube& g = *coil().Geometry;
        std::vector<double> fewer;
        for (auto n = SpinCircuits(rows0, g.TubesHigh, g.TubeCount, circuits, false); n;
             n = SpinCircuits(rows0, g.TubesHigh, g.TubeCount, *n, false))
            fewer.push_back(*n);
        ASSERT_FALSE(fewer.empty());
        EXPECT_EQ(spin(TFatSpin::Circuits, false, static_cast<int>(fewer.size()), logic().edCircuits), fewer);
        EXPECT_DOUBLE_EQ(coil().GetCircuits(), fewer.back());
        gui::TFmtEditWidget& circuitsField = field(logic().edCircuits);
        circuitsField.setFocus();
        QTest::keyClick(&circuitsField, Qt::Key_Up);
        EXPECT_DOUBLE_EQ(shownNumber(circuitsField),
                         *SpinCircuits(rows0, g.TubesHigh, g.TubeCount, fewer.back(), true));

        // Fin pitch and density: 2.54 mm goes up to 3 mm, and the density follows.
        EXPECT_EQ(spin(TFatSpin::FinPitch, true, 1, logic().edFinPitch), std::vector<double>{3});
        EXPECT_NEAR(shownNumber(field(logic().edFinDensity)), 25.4 / 3, 1e-4);

        // A fin height typed and left goes to the coil at once; the summary follows.
        const QString summary = editor->SummaryView()->toPlainText();
        retype(field(logic().edFinHeight), "30");
        QTest::keyClick(&field(logic().edFinHeight), Qt::Key_Tab);
        EXPECT_NEAR(coil().GetFinHeight(), 0.762, 1e-9);
        EXPECT_NE(editor->SummaryView()->toPlainText(), summary);
        // Typed again and not left: Escape drops the entry, a second Escape cancels.
        retype(field(logic().edFinHeight), "12");
        QTest::keyClick(&field(logic().edFinHeight), Qt::Key_Escape);
        EXPECT_TRUE(editor->isVisible());
        QTest::keyClick(&field(logic().edFinHeight), Qt::Key_Escape);
        EXPECT_FALSE(editor->isVisible());
    });

    EXPECT_EQ(editor->result(), QDialog::Rejected);
    EXPECT_DOUBLE_EQ(model->Job().Coil()->GetFinHeight(), height);
    EXPECT_DOUBLE_EQ(model->Job().Coil()->GetCircuits(), circuits);
    EXPECT_EQ(edit(F::edFinHeight).text(), heightShown);
    EXPECT_EQ(window->StatusPanelText(), "Solved...");
    EXPECT_TRUE(messages.empty());
}

TEST_F(CoilDialogsTest, AcceptedGeometryAndPatternReachTheMainWindow)
{
    openWithDialogs();
    std::string chosenModel;
    openEditor([&] {
        retype(field(logic().edFinHeight), "24");
        QTest::keyClick(&field(logic().edFinHeight), Qt::Key_Tab);
        QTest::mouseClick(editor->Arrows(TFatSpin::Rows)->Up(), Qt::LeftButton);
        ASSERT_DOUBLE_EQ(coil().GetRows(), 5);

        // The coil maker: twelve columns, the coil's own pattern selected; a double click picks
        // another row.
        gui::TCoilMakerDialog& maker = *editor->CoilMakerDialog();
        whileShown(
            maker,
            [&] {
                QTreeWidget* list = maker.ModelList();
                ASSERT_EQ(list->columnCount(), 12);
                for (int c = 0; c < 12; ++c)
                    EXPECT_EQ(list->headerItem()->text(c).toStdString(), kCoilMakerColumns[c]);
                const int best = maker.Maker().RowIndex();
                ASSERT_GE(best, 0);
                ASSERT_GT(list->topLevelItemCount(), 1);
                EXPECT_EQ(list->indexOfTopLevelItem(list->currentItem()), best);
                EXPECT_EQ(maker.CurrentLine()->text().toStdString(), maker.Maker().CurrentText());
                EXPECT_FALSE(maker.MakerList()->currentText().isEmpty());
                shot(maker, "coil-maker");
                QTreeWidgetItem* other = list->topLevelItem(best == 0 ? 1 : 0);
                chosenModel = other->text(0).toStdString();
                list->scrollToItem(other);
                const QRect row = list->visualItemRect(other);
                const QPoint at(row.left() + 10, row.center().y());
                ASSERT_TRUE(list->viewport()->rect().contains(at)) << at.x() << "," << at.y();
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
                QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
            },
            [&] { editor->TubeSizeButton()->click(); });
        EXPECT_EQ(maker.result(), QDialog::Accepted);
        EXPECT_EQ(field(logic().edTubeSize).text().toStdString(), chosenModel);
        EXPECT_EQ(coil().Geometry->Rec.Model, chosenModel);
        // The fin height stays on whole tube pairs of the new pattern.
        const double pair = 2 * coil().Geometry->GetSy();
        EXPECT_NEAR(std::remainder(coil().GetFinHeight(), pair), 0, 1e-9);

        QPushButton* accept = buttonNamed(*editor, "&Accept");
        ASSERT_NE(accept, nullptr);
        QTest::mouseClick(accept, Qt::LeftButton);
    });

    EXPECT_EQ(editor->result(), QDialog::Accepted);
    const TCoil& c = *model->Job().Coil();
    EXPECT_EQ(c.Geometry->Rec.Model, chosenModel);
    EXPECT_NEAR(shownNumber(edit(F::edFinHeight)), c.GetFinHeight(), 0.0005);
    EXPECT_NEAR(model->Job().Inputs.edFinHeight.Value, c.GetFinHeight(), 1e-12);
    EXPECT_DOUBLE_EQ(shownNumber(edit(F::edRows)), 5);
    bool labelShown = false;
    for (QLabel* l : window->findChildren<QLabel*>())
        labelShown = labelShown || l->text().contains(QString::fromStdString(chosenModel));
    EXPECT_TRUE(labelShown);
    ASSERT_TRUE(waitForPage());
    EXPECT_EQ(window->StatusPanelText(), "Solved...");
    // The pattern's place is kept beside the program.
    EXPECT_TRUE(beside.ValueExists(kCoilMakerWindow, "Width"));
}

TEST_F(CoilDialogsTest, CancelPutsBackWhatSubDialogsChanged)
{
    openWithDialogs();
    const TModelRec rec = model->Job().Coil()->Geometry->Rec;
    const QString heightShown = edit(F::edFinHeight).text();
    openEditor([&] {
        retype(field(logic().edFinHeight), "24");
        QTest::keyClick(&field(logic().edFinHeight), Qt::Key_Tab);
        QTest::mouseClick(editor->Arrows(TFatSpin::Rows)->Up(), Qt::LeftButton);
        // Another tube from the coil maker, then the settings opened and closed.
        gui::TCoilMakerDialog& maker = *editor->CoilMakerDialog();
        whileShown(
            maker,
            [&] {
                QTreeWidget* list = maker.ModelList();
                ASSERT_GT(list->topLevelItemCount(), 1);
                QTreeWidgetItem* other = list->topLevelItem(maker.Maker().RowIndex() == 0 ? 1 : 0);
                list->scrollToItem(other);
                const QRect row = list->visualItemRect(other);
                const QPoint at(row.left() + 10, row.center().y());
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
                QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
            },
            [&] { editor->TubeSizeButton()->click(); });
        whileShown(
            *editor->DesignSettingsDialog(), [] {}, [&] { editor->SettingsButton()->click(); });
        ASSERT_NE(coil().Geometry->Rec.Model, rec.Model);
        QPushButton* cancel = buttonNamed(*editor, "&Cancel");
        ASSERT_NE(cancel, nullptr);
        QTest::mouseClick(cancel, Qt::LeftButton);
    });
    EXPECT_EQ(editor->result(), QDialog::Rejected);
    const TCoil& c = *model->Job().Coil();
    EXPECT_EQ(c.Geometry->Rec.Model, rec.Model);
    EXPECT_DOUBLE_EQ(c.GetFinHeight(), rec.fHeight);
    EXPECT_DOUBLE_EQ(c.GetRows(), rec.Rows);
    EXPECT_DOUBLE_EQ(c.GetCircuits(), rec.Circ);
    EXPECT_EQ(edit(F::edFinHeight).text(), heightShown);
}

TEST_F(CoilDialogsTest, EditorReadsOnADarkPalette)
{
    // A dark desktop theme that leaves the link colour at its light-theme blue.
    const QPalette before = QApplication::palette();
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(0x2b, 0x2b, 0x2b));
    dark.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xee));
    dark.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
    dark.setColor(QPalette::Text, QColor(0xee, 0xee, 0xee));
    dark.setColor(QPalette::Button, QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::ButtonText, QColor(0xee, 0xee, 0xee));
    dark.setColor(QPalette::Link, QColor(0, 0, 0xff));
    QApplication::setPalette(dark);
    openWithDialogs();
    const auto rgb = [](const QColor& c) { return TRgb{c.red(), c.green(), c.blue()}; };
    const std::regex colour("color:(#[0-9a-fA-F]{6})");
    openEditor([&] {
        int links = 0;
        for (gui::TLinkLabel* link : editor->findChildren<gui::TLinkLabel*>()) {
            const std::string text = link->text().toStdString();
            std::smatch m;
            ASSERT_TRUE(std::regex_search(text, m, colour)) << text;
            EXPECT_GE(
                ContrastRatio(*ParseHexColour(m[1].str()), rgb(link->palette().color(QPalette::Window))),
                kTextContrast)
                << text;
            ++links;
        }
        EXPECT_GT(links, 5);
        // Every colour of the summary reads on its background; plain text is the theme's.
        const std::string html = editor->SummaryView()->toHtml().toStdString();
        const TRgb base = rgb(editor->SummaryView()->palette().color(QPalette::Base));
        int colours = 0;
        for (auto it = std::sregex_iterator(html.begin(), html.end(), colour); it != std::sregex_iterator();
             ++it, ++colours)
            EXPECT_GE(ContrastRatio(*ParseHexColour((*it)[1].str()), base), kTextContrast) << (*it)[1].str();
        EXPECT_GT(colours, 3) << html;
        shot(*editor, "fat-editor-dark");
    });
    QApplication::setPalette(before);
}

TEST_F(CoilDialogsTest, DesignSettingsPagesRestoreDefaultsAndSizing)
{
    openWithDialogs();
    openEditor([&] {
        gui::TDesignSettingsDialog& settings = *editor->DesignSettingsDialog();
        whileShown(
            settings,
            [&] {
                QTabWidget* pages = settings.Pages();
                ASSERT_EQ(pages->count(), 4);
                for (int p = 0; p < 4; ++p)
                    EXPECT_EQ(pages->tabText(p).toStdString(), kDesignSettingsPages[p]);
                for (int p = 0; p < 4; ++p) {
                    pages->setCurrentIndex(p);
                    shot(settings, QStringLiteral("design-settings-%1").arg(p + 1));
                }
                pages->setCurrentIndex(1);
                // Fin density is held in 8..12 whole fins; Restore Defaults brings the coil's back.
                retype(*settings.FinsEdit(), "11.4");
                QTest::keyClick(settings.FinsEdit(), Qt::Key_Tab);
                EXPECT_EQ(settings.FinsEdit()->text(), "11.0000");
                static_cast<gui::TLinkLabel*>(settings.RestoreDefaultsLink())->Click();
                EXPECT_DOUBLE_EQ(shownNumber(*settings.FinsEdit()), coil().DefaultFins);
                pages->setCurrentIndex(3);
                settings.FoulingBox()->setChecked(false);
                // Beside it, whether the duty takes the fouling: off until the user ticks it.
                QCheckBox* inDuty = settings.FoulingInDutyBox();
                EXPECT_EQ(inDuty->text().remove('&').toStdString(), kFoulingInDutyCaption);
                EXPECT_TRUE(inDuty->isVisible());
                EXPECT_FALSE(inDuty->isChecked());
                QTest::mouseClick(inDuty, Qt::LeftButton);
                EXPECT_TRUE(inDuty->isChecked());
                EXPECT_TRUE(settings.Settings().FoulingInDuty);
                EXPECT_FALSE(coil().FoulingInDuty); // applied when the dialog closes
                // Below them the air-side method, the standard one until another is picked.
                QComboBox* airSide = settings.AirSideMethodBox();
                ASSERT_EQ(airSide->count(), 2);
                EXPECT_EQ(airSide->currentText().toStdString(), AirSideMethodName(TAirSideMethod::Standard));
                airSide->setFocus();
                QTest::keyClick(airSide, Qt::Key_Down);
                EXPECT_EQ(airSide->currentText().toStdString(), "Published correlations");
                EXPECT_EQ(settings.Settings().AirSideMethod, TAirSideMethod::Published);
                EXPECT_EQ(coil().AirSideMethod, TAirSideMethod::Standard);
                // Under it the fin surface of the coil's pattern, which is not edited here.
                EXPECT_TRUE(settings.FinSurfaceLabel()->isVisible());
                EXPECT_EQ(settings.FinSurfaceLabel()->text().toStdString(),
                          settings.Settings().FinSurfaceText());
                EXPECT_EQ(settings.FinSurfaceLabel()->text().left(11), "Fins: Plain");
                shot(settings, "design-settings-airside");
                QTest::keyClick(&settings, Qt::Key_Escape);
            },
            [&] { editor->SettingsButton()->click(); });
        // However it closes, the values are applied and remembered.
        EXPECT_FALSE(coil().UseFouling);
        EXPECT_FALSE(store.ReadBool(kCoilSettingsSection, "UseFouling", true));
        EXPECT_TRUE(coil().FoulingInDuty);
        EXPECT_TRUE(store.ReadBool(kCoilSettingsSection, "FoulingInDuty", false));
        EXPECT_EQ(coil().AirSideMethod, TAirSideMethod::Published);

        // A sizing link sizes the coil for the target duty.
        editor->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(editor));
        gui::TLinkLabel* rows = editor->AutoSizeLink(2);
        EXPECT_EQ(rows->Caption(), "Rows Deep");
        EXPECT_EQ(editor->AutoSizeLink(6)->Caption(), "Auto Rows & Fins");
        retype(field(logic().edDesignDuty), "1.5");
        QTest::keyClick(&field(logic().edDesignDuty), Qt::Key_Tab);
        editor->KeepAirflowBox()->setChecked(true);
        const double Va = coil().Va;
        editor->AutoSizeLink(5)->Click();
        EXPECT_NEAR(coil().Va, Va, 1e-9 * Va);
        EXPECT_NEAR(shownNumber(field(logic().edFinHeight)), coil().GetFinHeight(), 0.0005);
        QTest::keyClick(editor, Qt::Key_Escape);
    });
    EXPECT_EQ(editor->result(), QDialog::Rejected);
}

// Without a circuiting program installed, the serpentine link shows the editor's own picture
// of the coil's circuits beside it; any change brings the summary back.
TEST_F(CoilDialogsTest, SerpentineLinkShowsTheDrawnCircuits)
{
    openWithDialogs();
    openEditor([&] {
        editor->SerpentineLink()->Click();
        QTextDocument* doc = editor->SummaryView()->document();
        EXPECT_TRUE(editor->SummaryView()->toHtml().contains(kDrawnCircuitPicture));
        const QVariant resource =
            doc->resource(QTextDocument::ImageResource, QUrl(QString(kDrawnCircuitPicture)));
        ASSERT_TRUE(resource.canConvert<QImage>());
        const QImage image = resource.value<QImage>();
        ASSERT_FALSE(image.isNull());
        // The first circuit's colour is on the picture.
        const QRgb first = CircuitColour(0).Rgb() | 0xFF000000u;
        bool found = false;
        for (int y = 0; y < image.height() && !found; ++y)
            for (int x = 0; x < image.width() && !found; ++x)
                found = image.pixel(x, y) == first;
        EXPECT_TRUE(found);
        shot(*editor, "fat-editor-drawn-circuits");
        QTest::keyClick(editor, Qt::Key_Escape);
    });
}

TEST_F(CoilDialogsTest, EditorPicturesAtOtherSizes)
{
    if (qgetenv("ZMK_SHOTS").isEmpty())
        GTEST_SKIP() << "pictures only with ZMK_SHOTS";
    openWithDialogs();
    openEditor([&] {
        editor->resize(editor->minimumSizeHint());
        shot(*editor, "fat-editor-small");
        editor->resize(900, 600);
        shot(*editor, "fat-editor-large");
        editor->SerpentineLink()->Click();
        shot(*editor, "fat-editor-serpentine");
    });
}

} // namespace
} // namespace zmk::test
