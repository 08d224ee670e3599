// The fluid, flow, altitude and properties dialogs opened from the main window as the user opens
// them: typing, picking and pressing the buttons, then what the dialogs and the main window's
// fields show. With ZMK_SHOTS=<folder> every dialog is also saved as pictures there.
#include "gui/WindowTest.h"

#include "dialogs/FluidSpec.h"
#include "gui/AltBaromDialog.h"
#include "gui/FlowCalculatorDialogs.h"
#include "gui/FluidDialogCommands.h"
#include "gui/FluidSpecDialog.h"
#include "gui/PropertiesDialog.h"
#include "gui/SelectLocationDialog.h"
#include "gui/ThemeColours.h"
#include "gui/UnitsDialog.h"
#include "properties/Fluid.h"
#include "properties/Psy.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>

#include <cstdlib>
#include <fstream>
#include <functional>

namespace zmk::test {
namespace {

using F = TEntryField;
using C = TMainCommand;

// Saves pictures of a dialog at its size, at its smallest and larger, when ZMK_SHOTS names a
// folder.
void shoot(QWidget& dialog, const QString& name)
{
    const char* folder = std::getenv("ZMK_SHOTS");
    if (!folder || !*folder)
        return;
    const QString base = QString::fromLocal8Bit(folder) + "/" + name;
    const QSize size = dialog.size();
    QTest::qWait(50);
    dialog.grab().save(base + ".png");
    dialog.resize(dialog.minimumSizeHint().expandedTo(dialog.minimumSize()));
    QTest::qWait(50);
    dialog.grab().save(base + "-small.png");
    dialog.resize(size * 3 / 2);
    QTest::qWait(50);
    dialog.grab().save(base + "-large.png");
    dialog.resize(size);
    QTest::qWait(20);
}

class FluidDialogsTest : public WindowTest
{
protected:
    // The window as the program makes it, with the dialogs plugged in.
    void openPlugged()
    {
        open();
        gui::PlugFluidDialogs(*window, folders, common);
        // The buttons follow their commands at the next refresh.
        session->RefreshView();
        ASSERT_TRUE(waitForPage());
        ASSERT_TRUE(window->Button(C::AirFlow)->isEnabled());
    }

    // Runs `act` on the modal dialog of type D once it is up; the caller then opens it.
    template <class D> void whenShown(std::function<void(D&)> act)
    {
        QTimer::singleShot(0, window.get(), [act] {
            D* dialog = nullptr;
            const bool up = QTest::qWaitFor(
                [&] {
                    dialog = qobject_cast<D*>(QApplication::activeModalWidget());
                    return dialog && dialog->isVisible();
                },
                5000);
            if (!up) {
                ADD_FAILURE() << "the dialog did not come up";
                if (QWidget* other = QApplication::activeModalWidget())
                    other->close();
                return;
            }
            act(*dialog);
            if (dialog->isVisible()) {
                ADD_FAILURE() << "the dialog was left open";
                dialog->reject();
            }
        });
    }

    // Types into a dialog's entry field, as the user does after selecting its text.
    static void type(QLineEdit* e, const QString& text)
    {
        ASSERT_NE(e, nullptr);
        e->setFocus(Qt::MouseFocusReason);
        EXPECT_TRUE(QTest::qWaitFor([e] { return e->hasFocus(); }, 2000));
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Backspace);
        QTest::keyClicks(e, text);
    }

    static void choose(QComboBox* box, int index)
    {
        ASSERT_NE(box, nullptr);
        box->setCurrentIndex(index);
        emit box->activated(index);
    }

    const TLiquid& liquid() const { return *model->Job().Liquid(); }

    TMemorySettingsStore common; // the settings shared by the maker's programs
};

TEST_F(FluidDialogsTest, FluidSpecificationEditsTheLiquidAndCancelPutsItBack)
{
    openPlugged();
    auto* fluidType = window->findChild<gui::TFmtEditWidget*>("edFluidType");
    ASSERT_NE(fluidType, nullptr);

    whenShown<gui::TFluidSpecDialog>([this](gui::TFluidSpecDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Fluid Specification");
        ASSERT_EQ(d.Grid()->rowCount(), 12);
        EXPECT_EQ(d.Grid()->horizontalHeaderItem(2)->text(), "Units");
        EXPECT_EQ(d.Grid()->item(8, 0)->text(), "Dynamic viscosity");
        EXPECT_EQ(d.UnitsCell(frViscosity)->text(), "cP");
        EXPECT_EQ(d.UnitsCell(frConductivity)->text(), "W/m·K");
        EXPECT_TRUE(d.StatusLine()->text().startsWith("Valid range = ["));
        shoot(d, "fluid-spec");

        // The units cell opens the chooser; the row then shows its value in the unit chosen.
        const QString centipoise = qobject_cast<QLineEdit*>(d.ValueEditor(frViscosity))->text();
        whenShown<gui::TUnitChooserDialog>([](gui::TUnitChooserDialog& c) {
            c.List()->setCurrentRow(0);
            QTest::keyClick(c.List(), Qt::Key_Return);
        });
        QTest::mouseClick(d.UnitsCell(frViscosity), Qt::LeftButton);
        EXPECT_EQ(d.UnitsCell(frViscosity)->text(), "kg/m·s");
        const QString si = qobject_cast<QLineEdit*>(d.ValueEditor(frViscosity))->text();
        EXPECT_NEAR(si.toDouble() * 1000, centipoise.toDouble(), 1e-3 * centipoise.toDouble())
            << si.toStdString();

        // Thermal oil: no additive, no pressure, the properties computed.
        choose(qobject_cast<QComboBox*>(d.ValueEditor(frFluidType)), 1);
        EXPECT_EQ(liquid().LiquidSpec, 1);
        EXPECT_FALSE(d.ValueEditor(frAdditive)->isEnabled());
        EXPECT_FALSE(d.ValueEditor(frAdditiveVolume)->isEnabled());
        EXPECT_FALSE(d.ValueEditor(frPressure)->isEnabled());
        EXPECT_FALSE(d.ValueEditor(frDensity)->isEnabled());
        EXPECT_EQ(qobject_cast<QComboBox*>(d.ValueEditor(frAdditive))->currentText(), "None");

        // A temperature typed and left reaches the liquid; the density row follows it.
        auto* density = qobject_cast<QLineEdit*>(d.ValueEditor(frDensity));
        const QString before = density->text();
        type(qobject_cast<QLineEdit*>(d.ValueEditor(frTemperature)), "40");
        QTest::keyClick(d.ValueEditor(frTemperature), Qt::Key_Tab);
        EXPECT_DOUBLE_EQ(liquid().t, 40);
        EXPECT_NE(density->text(), before);
        EXPECT_EQ(
            d.StatusLine()->styleSheet(),
            QString("color: %1;").arg(gui::ReadableColour(*d.StatusLine(), QColor(kTeal), QPalette::Window)));

        // "True": the property rows open, starting from the properties shown.
        choose(qobject_cast<QComboBox*>(d.ValueEditor(frUserDefined)), 1);
        EXPECT_TRUE(d.ValueEditor(frDensity)->isEnabled());
        EXPECT_EQ(density->text(), QString::fromStdString(d.Model().CellText(frDensity, 1)));
        type(density, "900");
        QTest::keyClick(density, Qt::Key_Tab);
        EXPECT_DOUBLE_EQ(liquid().ro, 900);
        QTest::mouseClick(d.AcceptButton(), Qt::LeftButton);
    });
    QTest::mouseClick(fluidType, Qt::LeftButton);
    EXPECT_EQ(liquid().LiquidSpec, 1);
    EXPECT_TRUE(liquid().UserProps);
    EXPECT_DOUBLE_EQ(model->Job().StartValues.UserRo, 900);
    EXPECT_EQ(fluidType->text().toStdString(), liquid().GetShortName());
    EXPECT_EQ(window->StatusPanelText(), "Not Solved...");
    // The page shows the inputs with the liquid accepted, and nothing of the solve before (its
    // liquid pressure drop would follow the new liquid while its duty stayed).
    ASSERT_TRUE(waitForPage());
    const QString page = pageText();
    EXPECT_TRUE(page.contains(QString::fromStdString(liquid().GetName()))) << page.toStdString();
    EXPECT_TRUE(page.contains(QStringLiteral("press F9"))) << page.toStdString();
    EXPECT_FALSE(page.contains(QStringLiteral("dpf"))) << page.toStdString();
    EXPECT_FALSE(page.contains(QStringLiteral("Qt "))) << page.toStdString();
    const std::string accepted = fluidType->text().toStdString();

    // Water above its range turns the status maroon; Cancel (Escape) puts the oil back.
    whenShown<gui::TFluidSpecDialog>([this](gui::TFluidSpecDialog& d) {
        choose(qobject_cast<QComboBox*>(d.ValueEditor(frUserDefined)), 0);
        choose(qobject_cast<QComboBox*>(d.ValueEditor(frFluidType)), 0);
        type(qobject_cast<QLineEdit*>(d.ValueEditor(frTemperature)), "350");
        QTest::keyClick(d.ValueEditor(frTemperature), Qt::Key_Tab);
        EXPECT_EQ(d.StatusLine()->text(), "Valid range = [0.0 .. 300.0] °C");
        EXPECT_EQ(d.StatusLine()->styleSheet(),
                  QString("color: %1;")
                      .arg(gui::ReadableColour(*d.StatusLine(), QColor(kMaroon), QPalette::Window)));
        EXPECT_EQ(liquid().LiquidSpec, 0);
        // Compressed air opens the pressure row.
        choose(qobject_cast<QComboBox*>(d.ValueEditor(frFluidType)), 13);
        EXPECT_TRUE(d.ValueEditor(frPressure)->isEnabled());
        QTest::keyClick(&d, Qt::Key_Escape);
    });
    window->Button(C::FluidType)->click();
    EXPECT_EQ(liquid().LiquidSpec, 1);
    EXPECT_DOUBLE_EQ(liquid().t, 40);
    EXPECT_TRUE(liquid().UserProps);
    EXPECT_EQ(fluidType->text().toStdString(), accepted);
    EXPECT_EQ(store.ReadInteger(kFluidSpecSection, "Units.iMu", -1), 0);
}

TEST_F(FluidDialogsTest, FluidSpecificationEnterAppliesGlycolShowsAndChoicesFit)
{
    openPlugged();
    whenShown<gui::TFluidSpecDialog>([this](gui::TFluidSpecDialog& d) {
        // No choice is cut: each list's longest entry fits its cell.
        for (int r : {frFluidType, frAdditive, frUserDefined}) {
            auto* box = qobject_cast<QComboBox*>(d.ValueEditor(r));
            ASSERT_NE(box, nullptr);
            int longest = 0;
            for (int i = 0; i < box->count(); ++i)
                longest = std::max(longest, box->fontMetrics().horizontalAdvance(box->itemText(i)));
            EXPECT_GE(d.Grid()->columnWidth(1), box->sizeHint().width()) << r;
            EXPECT_GT(box->width(), longest) << r;
        }
        // Water, then Enter in the temperature cell: the value is applied, as Tab would, and the
        // dialog stays open.
        choose(qobject_cast<QComboBox*>(d.ValueEditor(frFluidType)), 0);
        auto* density = qobject_cast<QLineEdit*>(d.ValueEditor(frDensity));
        const QString atStart = density->text();
        type(qobject_cast<QLineEdit*>(d.ValueEditor(frTemperature)), "70");
        QTest::keyClick(d.ValueEditor(frTemperature), Qt::Key_Return);
        EXPECT_TRUE(d.isVisible());
        EXPECT_DOUBLE_EQ(liquid().t, 70);
        EXPECT_NE(density->text(), atStart);
        // Ethylene glycol starts at a usual mixture: the density shown changes at once.
        const QString water = density->text();
        choose(qobject_cast<QComboBox*>(d.ValueEditor(frAdditive)), 1);
        EXPECT_DOUBLE_EQ(liquid().AdditiveVolume, kDefaultAdditiveVolume);
        EXPECT_NE(density->text(), water);
        EXPECT_EQ(liquid().Caption, "Water (30% Ethylene Glycol)");
        shoot(d, "fluid-spec-glycol");
        QTest::mouseClick(d.AcceptButton(), Qt::LeftButton);
    });
    window->Button(C::FluidType)->click();
    EXPECT_EQ(liquid().WaterAdditive, 1);
}

TEST_F(FluidDialogsTest, AirFlowCalculatorHandsItsMassFlowToTheMainWindow)
{
    openPlugged();
    const double ma = model->Job().Inputs.edAirMassflow.Value;
    const double vf = model->Job().Inputs.edFaceVelocity.Value;
    whenShown<gui::TAirflowCalculatorDialog>([](gui::TAirflowCalculatorDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Air Flow Calculator");
        shoot(d, "air-flow");
        // Enter moves on to the next field, and leaving the velocity gives the others.
        const QString massBefore = d.Edit(2)->text();
        type(d.Edit(3), "5");
        QTest::keyClick(d.Edit(3), Qt::Key_Return);
        EXPECT_TRUE(d.Edit(4)->hasFocus());
        EXPECT_NE(d.Edit(2)->text(), massBefore);
        EXPECT_EQ(d.Edit(3)->text(), "5.00");
        QTest::mouseClick(d.AcceptButton(), Qt::LeftButton);
    });
    window->Button(C::AirFlow)->click();
    EXPECT_NEAR(model->Job().Inputs.edFaceVelocity.Value, 5, 1e-6);
    EXPECT_NEAR(model->Job().Inputs.edAirMassflow.Value, ma * 5 / vf, 1e-6);
    EXPECT_EQ(edit(F::edFaceVelocity).text(), "5.00");
    EXPECT_EQ(window->StatusPanelText(), "Not Solved...");

    // Cancel changes nothing in the main window, and the units are still remembered.
    const double now = model->Job().Inputs.edAirMassflow.Value;
    whenShown<gui::TAirflowCalculatorDialog>([](gui::TAirflowCalculatorDialog& d) {
        type(d.Edit(2), "1");
        QTest::mouseClick(d.CancelButton(), Qt::LeftButton);
    });
    window->Button(C::AirFlow)->click();
    EXPECT_DOUBLE_EQ(model->Job().Inputs.edAirMassflow.Value, now);
    EXPECT_TRUE(store.SectionExists(kAirflowUnitsSection));
}

TEST_F(FluidDialogsTest, FluidFlowCalculatorHandsItsMassFlowToTheMainWindow)
{
    openPlugged();
    // Liquid flow control, so the fluid flow field is the user's.
    window->RunCommand(C::FluidControl);
    const double m = model->Job().Inputs.edFluidFlow.Value;
    const double v = model->Job().Inputs.edTubeVelocity.Value;
    whenShown<gui::TFluidflowCalculatorDialog>([m](gui::TFluidflowCalculatorDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Fluid Flow Calculator");
        shoot(d, "fluid-flow");
        type(d.Edit(1), QString::number(2 * m, 'f', 3));
        QTest::keyClick(d.Edit(1), Qt::Key_Down);
        EXPECT_TRUE(d.Edit(2)->hasFocus());
        QTest::keyClick(d.Edit(2), Qt::Key_Up);
        EXPECT_TRUE(d.Edit(1)->hasFocus());
        QTest::mouseClick(d.AcceptButton(), Qt::LeftButton);
    });
    window->Button(C::FluidFlow)->click();
    const double m2 = std::stod(QString::number(2 * m, 'f', 3).toStdString());
    EXPECT_NEAR(model->Job().Inputs.edFluidFlow.Value, m2, 1e-9);
    EXPECT_NEAR(model->Job().Inputs.edTubeVelocity.Value, v * m2 / m, 1e-6);
    EXPECT_EQ(window->StatusPanelText(), "Not Solved...");
}

TEST_F(FluidDialogsTest, BarometerTakesAPlacesAltitudeToTheMainWindow)
{
    openPlugged();
    whenShown<gui::TAltBaromDialog>([this](gui::TAltBaromDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Barometer");
        EXPECT_EQ(d.AltitudeEdit()->text(), edit(F::edAltitude).text());
        EXPECT_EQ(d.StatusBarText()->text(), "Ready...");
        type(d.AltitudeEdit(), "1500");
        QTest::keyClick(d.AltitudeEdit(), Qt::Key_Return);
        EXPECT_EQ(d.StatusBarText()->text(), "Altitude modified by user");
        EXPECT_NEAR(d.Model().Pressure(), AtmPressure(1500), 1e-9);
        EXPECT_EQ(d.PressureEdit()->text(), QString::number(AtmPressure(1500), 'f', 3));
        shoot(d, "barometer");

        whenShown<gui::TSelectLocationDialog>([](gui::TSelectLocationDialog& p) {
            EXPECT_EQ(p.windowTitle(), "Select Location");
            const int africa = p.DatabaseList()->findText("Africa");
            ASSERT_GE(africa, 0);
            choose(p.DatabaseList(), africa);
            const int sa = p.RegionList()->findText("South Africa");
            ASSERT_GE(sa, 0);
            choose(p.RegionList(), sa);
            const auto found = p.PlaceList()->findItems("Johannesburg OR Tambo", Qt::MatchStartsWith);
            ASSERT_EQ(found.size(), 1);
            p.PlaceList()->setCurrentItem(found.front());
            EXPECT_EQ(p.Details()->item(3, 0)->text(), "Altitude");
            EXPECT_TRUE(p.Details()->item(0, 1)->text().endsWith("S"));
            EXPECT_EQ(p.Details()->item(4, 1)->text(), "n/a");
            EXPECT_TRUE(p.StatusPanel(0)->text().startsWith("Record "));
            EXPECT_TRUE(p.StatusPanel(1)->text().endsWith(", South Africa"));
            shoot(p, "select-location");
            p.PlaceList()->scrollToItem(found.front());
            EXPECT_TRUE(p.AcceptButton()->isEnabled());
            const QPoint at = p.PlaceList()->visualItemRect(found.front()).center();
            QTest::mouseClick(p.PlaceList()->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(p.PlaceList()->viewport(), Qt::LeftButton, {}, at);
        });
        QTest::mouseClick(d.LocationsButton(), Qt::LeftButton);
        ASSERT_TRUE(d.Model().PickedPlace());
        const TLocationRecord place = *d.Model().PickedPlace();
        EXPECT_GT(place.Altitude, 1600);
        EXPECT_LT(place.Altitude, 1800);
        EXPECT_EQ(d.AltitudeEdit()->text(), QString::number(place.Altitude, 'f', 1));
        EXPECT_TRUE(d.StatusBarText()->text().startsWith("Johannesburg"));
        QTest::mouseClick(d.AcceptButton(), Qt::LeftButton);
    });
    window->Button(C::Locations)->click();
    const double z = model->Job().Inputs.edAltitude.Value;
    EXPECT_GT(z, 1600);
    EXPECT_LT(z, 1800);
    EXPECT_NEAR(model->Job().AirIn().P, TCoilJob::PressureFromAltitude(z), 1e-9);
    EXPECT_EQ(window->StatusPanelText(), "Not Solved...");
    // The place and the values are shared with the maker's other programs.
    EXPECT_EQ(common.ReadString(kBarometerSection, "LastLocation", "").rfind("Johannesburg", 0), 0u);

    // Cancel leaves the main window's altitude alone.
    whenShown<gui::TAltBaromDialog>([](gui::TAltBaromDialog& d) {
        type(d.AltitudeEdit(), "100");
        QTest::mouseClick(d.AcceptButton()->parentWidget()->findChild<QPushButton*>("Cancel"),
                          Qt::LeftButton);
    });
    window->Button(C::Locations)->click();
    EXPECT_DOUBLE_EQ(model->Job().Inputs.edAltitude.Value, z);
}

TEST_F(FluidDialogsTest, AMissingDatabaseIsToldAndThePickerCanOnlyBeCancelled)
{
    // A common data folder whose index names a database that was never installed.
    const fs::path common = folder / "locations";
    fs::create_directories(common);
    {
        std::ofstream index(common / "Regions.idx", std::ios::binary);
        index << "[+All]\r\nMars=1\r\n[Mars]\r\nTharsis=1\r\n";
    }
    folders.CommonDataFolder = common.string() + "/";
    openPlugged();
    whenShown<gui::TAltBaromDialog>([this](gui::TAltBaromDialog& d) {
        whenShown<gui::TSelectLocationDialog>([](gui::TSelectLocationDialog& p) {
            EXPECT_EQ(p.PlaceList()->count(), 0);
            EXPECT_FALSE(p.AcceptButton()->isEnabled());
            QTest::mouseClick(p.AcceptButton(), Qt::LeftButton);
            EXPECT_TRUE(p.isVisible());
            QTest::keyClick(&p, Qt::Key_Escape);
        });
        QTest::mouseClick(d.LocationsButton(), Qt::LeftButton);
        EXPECT_FALSE(d.Model().PickedPlace());
        EXPECT_EQ(d.StatusBarText()->text(), "Ready...");
        QTest::mouseClick(d.AcceptButton(), Qt::LeftButton);
    });
    window->Button(C::Locations)->click();
    ASSERT_FALSE(messages.empty());
    EXPECT_NE(messages.front().find(" Database has not been installed...\r\n"), std::string::npos)
        << messages.front();
}

TEST_F(FluidDialogsTest, PropertiesKeepWhatWasAcceptedAndShowTheSavedFile)
{
    openPlugged();
    whenShown<gui::TPropertiesDialog>([](gui::TPropertiesDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Properties");
        // The default file has not been written yet: no "General" page.
        EXPECT_FALSE(d.GeneralShown());
        EXPECT_EQ(d.AuthorEdit()->text(), "Ada Engineer");
        type(d.NameEdit(), "Kiln exhaust");
        d.CommentsEdit()->setPlainText("line one\nline two");
        QTest::mouseClick(d.AcceptButton(), Qt::LeftButton);
    });
    window->Action(C::Properties)->trigger();
    const TPropertyValues& v = session->Properties().Values();
    EXPECT_EQ(v.ProjectName, "Kiln exhaust");
    EXPECT_EQ(v.Comments, (std::vector<std::string>{"line one", "line two"}));
    EXPECT_FALSE(store.ReadValue(TProjectProperties::kSection, "Name"));

    const fs::path file = folder / "kiln.zmx";
    ASSERT_TRUE(window->SaveAsFile(QString::fromStdString(file.string())));
    whenShown<gui::TPropertiesDialog>([&file](gui::TPropertiesDialog& d) {
        ASSERT_TRUE(d.GeneralShown());
        EXPECT_EQ(d.NameEdit()->text(), "Kiln exhaust");
        EXPECT_EQ(d.GeneralValue(0)->text(), "kiln.zmx");
        const auto size = fs::file_size(file);
        EXPECT_TRUE(d.GeneralValue(5)->text().endsWith(QString(" (%1 bytes)").arg(size)));
        EXPECT_FALSE(d.GeneralValue(2)->text().isEmpty()); // the desktop's type description
        EXPECT_FALSE(d.FileIcon()->pixmap().isNull());
        EXPECT_FALSE(d.Attribute(0)->isChecked());
        d.Pages()->setCurrentIndex(2);
        shoot(d, "properties-general");
        d.Pages()->setCurrentIndex(0);
        shoot(d, "properties");
        type(d.NameEdit(), "Something else");
        QTest::mouseClick(d.findChild<QPushButton*>("Cancel"), Qt::LeftButton);
    });
    window->Action(C::Properties)->trigger();
    EXPECT_EQ(session->Properties().Values().ProjectName, "Kiln exhaust");

    // "Keep as default" makes the name the default of new projects.
    whenShown<gui::TPropertiesDialog>([](gui::TPropertiesDialog& d) {
        EXPECT_EQ(d.Pages()->currentIndex(), 0);
        EXPECT_FALSE(d.KeepAsDefaultBox()->isChecked());
        d.KeepAsDefaultBox()->setChecked(true);
        QTest::mouseClick(d.AcceptButton(), Qt::LeftButton);
    });
    window->Action(C::Properties)->trigger();
    EXPECT_EQ(store.ReadString(TProjectProperties::kSection, "Name", ""), "Kiln exhaust");
}

} // namespace
} // namespace zmk::test
