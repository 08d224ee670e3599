// The flow calculators: the fixed ratios and the order each exit handler recomputes in, the
// fluid calculator's bounded opening values, and the units kept whatever the dialog returned.
#include "dialogs/FlowCalculators.h"

#include "support/FieldTyping.h"

#include "base/Notifier.h"
#include "base/NumText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string_view>

namespace zmk {
namespace {

using test::TypeAndExit;

class FlowCalculatorsTest : public ::testing::Test
{
protected:
    TMemorySettingsStore settings;
    RecordingNotifier notes;
    TEntryErrorFlag flag;
};

TEST_F(FlowCalculatorsTest, AirFieldsFollowTheFixedRatios)
{
    TAirflowCalculator air(settings, &notes, &flag);
    // (face velocity, mass flow, outlet volume flow, inlet volume flow): ρi 1.2, ρo 1.6, A 0.8 m².
    const struct
    {
        TFmtEdit TAirflowCalculator::*field;
        const char* typed;
        double Qai, Qao, ma, Vx, Ga;
    } cases[] = {
        {&TAirflowCalculator::VxEd, "3.0", 2.4, 1.8, 2.88, 3.0, 3.6},
        {&TAirflowCalculator::QaiEd, "1.6", 1.6, 1.2, 1.92, 2.0, 2.4},
        {&TAirflowCalculator::QaoEd, "3", 4.0, 3.0, 4.8, 5.0, 6.0},
        {&TAirflowCalculator::maEd, "1.2", 1.0, 0.75, 1.2, 1.25, 1.5},
        {&TAirflowCalculator::GaEd, "6", 4.0, 3.0, 4.8, 5.0, 6.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        air.Init(2.5, 2.4, 1.5, 2.0);
        EXPECT_EQ(air.GaEd.Text(), "3.000");
        TypeAndExit(air.*c.field, c.typed);
        EXPECT_NEAR(air.InletVolumeFlow(), c.Qai, 1e-12);
        EXPECT_NEAR(air.OutletVolumeFlow(), c.Qao, 1e-12);
        EXPECT_NEAR(air.MassFlow(), c.ma, 1e-12);
        EXPECT_NEAR(air.Velocity(), c.Vx, 1e-12);
        EXPECT_NEAR(air.MassFlux(), c.Ga, 1e-12);
        EXPECT_EQ(air.maEd.Text(), Format("%0.3f", c.ma));
        EXPECT_EQ(air.VxEd.Text(), Format("%0.2f", c.Vx));
    }
}

TEST_F(FlowCalculatorsTest, AirOpeningValuesAreTakenAsGivenAndNeverShowNoNumber)
{
    TAirflowCalculator air(settings, &notes, &flag);
    // Below the fields' range: shown as they came.
    air.Init(0.0005, 0.0006, 0.0005, 0.0005);
    EXPECT_EQ(air.maEd.Text(), "0.001");
    EXPECT_DOUBLE_EQ(air.MassFlow(), 0.0006);
    EXPECT_DOUBLE_EQ(air.InletDensity(), 1.2);

    // A coil without air flow gives no ratios: standard air and 1 m² stand in.
    air.Init(0, 0, 0, 0);
    EXPECT_DOUBLE_EQ(air.InletDensity(), 1.2);
    EXPECT_DOUBLE_EQ(air.FaceArea(), 1.0);
    for (const TFmtEdit* f : {&air.QaiEd, &air.QaoEd, &air.maEd, &air.VxEd, &air.GaEd})
        EXPECT_EQ(f->Text().find_first_not_of("0."), std::string::npos) << f->Text();
    TypeAndExit(air.VxEd, "2");
    EXPECT_DOUBLE_EQ(air.InletVolumeFlow(), 2.0);
    EXPECT_DOUBLE_EQ(air.MassFlow(), 2.4);
    air.Init(NAN, NAN, 1.0, 1.0);
    for (const TFmtEdit* f : {&air.QaiEd, &air.QaoEd, &air.maEd, &air.VxEd, &air.GaEd})
        EXPECT_FALSE(f->Text().empty());
}

TEST_F(FlowCalculatorsTest, FluidFieldsFollowTheFixedRatios)
{
    TFluidflowCalculator fluid(settings, &notes, &flag);
    fluid.Init(1.0, 1.2, 1.2);
    EXPECT_DOUBLE_EQ(fluid.Density(), 1000);
    EXPECT_EQ(fluid.edMassFlux.Text(), "1000.000");
    TypeAndExit(fluid.edMassflow, "2.4");
    EXPECT_NEAR(fluid.VolumeFlow(), 2.4, 1e-12);
    EXPECT_NEAR(fluid.Velocity(), 2.0, 1e-12);
    EXPECT_EQ(fluid.edMassFlux.Text(), "2000.000");

    const struct
    {
        TFmtEdit TFluidflowCalculator::*field;
        const char* typed;
        double Q, m, v, G;
    } cases[] = {
        {&TFluidflowCalculator::edVolflow, "0.6", 0.6, 0.6, 0.5, 500},
        {&TFluidflowCalculator::edVelocity, "3", 3.6, 3.6, 3.0, 3000},
        {&TFluidflowCalculator::edMassFlux, "250", 0.3, 0.3, 0.25, 250},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        fluid.Init(1.0, 1.2, 1.2);
        TypeAndExit(fluid.*c.field, c.typed);
        EXPECT_NEAR(fluid.VolumeFlow(), c.Q, 1e-12);
        EXPECT_NEAR(fluid.MassFlow(), c.m, 1e-12);
        EXPECT_NEAR(fluid.Velocity(), c.v, 1e-12);
        EXPECT_NEAR(fluid.MassFlux(), c.G, 1e-9);
    }
}

TEST_F(FlowCalculatorsTest, FluidOpeningValuesAreBoundedFirst)
{
    TFluidflowCalculator fluid(settings, &notes, &flag);
    fluid.Init(1.0, 0.001, 0.001);
    EXPECT_EQ(fluid.edVolflow.Text(), "0.010");
    EXPECT_DOUBLE_EQ(fluid.VolumeFlow(), 0.01);
    EXPECT_DOUBLE_EQ(fluid.Density(), 100); // from the bounded volume flow
    fluid.Init(NAN, 0, 1e9);
    EXPECT_DOUBLE_EQ(fluid.Velocity(), 0.001);
    EXPECT_DOUBLE_EQ(fluid.MassFlow(), 0.0001);
    EXPECT_DOUBLE_EQ(fluid.VolumeFlow(), 100000);
    EXPECT_TRUE(std::isfinite(fluid.MassFlux()));
}

TEST_F(FlowCalculatorsTest, TypedValuesOutsideTheRangeTakeTheBoundAndTextThatIsNoNumberIsRefused)
{
    TFluidflowCalculator fluid(settings, &notes, &flag);
    fluid.Init(1.0, 1.2, 1.2);
    TypeAndExit(fluid.edVolflow, "0.0001");
    EXPECT_TRUE(flag.IsSet());
    EXPECT_DOUBLE_EQ(fluid.VolumeFlow(), 0.01);
    EXPECT_NEAR(fluid.MassFlow(), 0.01, 1e-12); // the others follow from the bound

    fluid.edMassflow.Enter();
    fluid.edMassflow.EditText("abc");
    fluid.edMassflow.Exit();
    EXPECT_EQ(notes.beeps, 1);
    EXPECT_EQ(fluid.edMassflow.Text(), "0.010");
}

TEST_F(FlowCalculatorsTest, AcceptCommitsTheFocusedFieldAndEveryCloseKeepsTheUnits)
{
    {
        TAirflowCalculator air(settings, &notes, &flag);
        air.Init(2.5, 2.4, 1.5, 2.0);
        air.maEd.Enter();
        air.maEd.EditText("3.6");
        air.Accept(&air.maEd);
        EXPECT_EQ(air.Result(), TDialogResult::Ok);
        EXPECT_NEAR(air.InletVolumeFlow(), 3.0, 1e-12);
        air.UnitLabels[0].ApplyChosenUnit(4); // cfm
        air.Cancel();
        const TWindowPlace place{10, 20, 300, 200};
        air.Close(&place);
        EXPECT_EQ(air.Result(), TDialogResult::Cancel);
    }
    EXPECT_EQ(settings.ReadInteger(kAirflowUnitsSection, "Qai", -1), 4);
    EXPECT_EQ(settings.ReadInteger(kAirflowUnitsSection, "Ga", -1), 0);
    EXPECT_EQ(settings.ReadInteger(kAirflowWindow, "Width", -1), 300);

    TAirflowCalculator again(settings, &notes, &flag);
    again.Init(2.5, 2.4, 1.5, 2.0);
    EXPECT_EQ(again.QaiEd.UnitsValue(), 4);
    EXPECT_EQ(again.UnitLabels[0].Caption(), "cfm");
    EXPECT_EQ(again.QaiEd.Text(), "4237.76");

    TFluidflowCalculator fluid(settings, &notes, &flag);
    fluid.UnitLabels[0].ApplyChosenUnit(5); // usgpm
    fluid.Close();
    EXPECT_EQ(settings.ReadInteger(kFluidflowUnitsSection, "Q", -1), 5);
    EXPECT_EQ(settings.ReadInteger(kFluidflowUnitsSection, "G", -1), 0);
}

} // namespace
} // namespace zmk
