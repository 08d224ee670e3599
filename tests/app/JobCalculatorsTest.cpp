// What the calculators open on and what their answers do to the job: the volume flows that go
// with the mass flows, the fields and the coil following a value handed back, the range of the
// main window's field, and values that are no flow at all.
#include "app/JobCalculators.h"

#include "app/CoilJob.h"
#include "base/Notifier.h"
#include "dialogs/FlowCalculators.h"
#include "engine/HeatExchanger.h"
#include "properties/Fluid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace zmk {

namespace {

using F = TEntryField;

// The fields the job said changed, one by one.
struct FieldRecorder
{
    std::vector<F> changed;
    void heard(const TJobNews& news)
    {
        if (news.Has(jcInputs) && news.Field)
            changed.push_back(*news.Field);
    }
    bool told(F field) const { return std::find(changed.begin(), changed.end(), field) != changed.end(); }
};

struct BuiltJob
{
    BuiltJob() : job(&notes)
    {
        job.SetKindDefaults();
        job.BuildCoil();
        job.Subscribe([this](const TJobNews& news) { view.heard(news); });
    }
    RecordingNotifier notes;
    FieldRecorder view;
    TCoilJob job;
};

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

} // namespace

TEST(JobCalculators, NothingToOpenOnBeforeACoilIsBuilt)
{
    TCoilJob job;
    EXPECT_FALSE(AirFlowOpening(job));
    EXPECT_FALSE(FluidFlowOpening(job));
    // Nor does a value handed back throw without a coil.
    TakeAirMassFlow(job, 2);
    TakeLiquidMassFlow(job, 2);
    EXPECT_DOUBLE_EQ(job.Inputs.edAirMassflow.Value, 2);
}

TEST(JobCalculators, AirCalculatorOpensOnTheCoilsFlowAndHandsBackTheMassFlow)
{
    BuiltJob b;
    const TLiquidCoil& coil = *b.job.Coil();
    const auto o = AirFlowOpening(b.job);
    ASSERT_TRUE(o);
    EXPECT_DOUBLE_EQ(o->Velocity, coil.Vf);
    EXPECT_DOUBLE_EQ(o->MassFlow, coil.ma);
    EXPECT_DOUBLE_EQ(o->InletVolumeFlow, coil.Va);
    // The hot air of the default job leaves cooler, so denser: less volume out than in.
    EXPECT_GT(o->OutletVolumeFlow, 0);
    EXPECT_LT(o->OutletVolumeFlow, o->InletVolumeFlow);

    // Through the calculator: a face velocity typed there comes back as the mass flow that
    // gives it at the coil.
    TMemorySettingsStore store;
    TAirflowCalculator calc(store);
    calc.Init(o->Velocity, o->MassFlow, o->OutletVolumeFlow, o->InletVolumeFlow);
    EXPECT_NEAR(calc.FaceArea(), coil.Va / coil.Vf, 1e-12);
    calc.VxEd.Enter();
    calc.VxEd.EditText("3");
    calc.VxEd.Exit();
    calc.Accept();
    const double expected = o->MassFlow * 3 / o->Velocity;
    ASSERT_NEAR(calc.MassFlow(), expected, 1e-9);

    TakeAirMassFlow(b.job, calc.MassFlow());
    EXPECT_NEAR(b.job.Inputs.edAirMassflow.Value, expected, 1e-9);
    EXPECT_NEAR(b.job.Coil()->ma, expected, 1e-9);
    EXPECT_NEAR(b.job.Inputs.edFaceVelocity.Value, 3, 1e-6);
    EXPECT_FALSE(b.job.Solved());
    EXPECT_TRUE(b.view.told(F::edAirMassflow));
    EXPECT_TRUE(b.view.told(F::edFaceVelocity));
}

TEST(JobCalculators, FluidCalculatorOpensOnTheVolumeFlowOfTheLiquid)
{
    BuiltJob b;
    const TLiquidCoil& coil = *b.job.Coil();
    const auto o = FluidFlowOpening(b.job);
    ASSERT_TRUE(o);
    const double ro = coil.LiquidState->Liquid->ro;
    EXPECT_DOUBLE_EQ(o->MassFlow, coil.LiquidState->GetMassFlow());
    EXPECT_NEAR(o->VolumeFlow, o->MassFlow * 1000 / ro, 1e-12);
    EXPECT_DOUBLE_EQ(o->Velocity, coil.LiquidState->vw);

    const double v = coil.LiquidState->vw;
    TakeLiquidMassFlow(b.job, 3 * o->MassFlow);
    EXPECT_NEAR(b.job.Inputs.edFluidFlow.Value, 3 * o->MassFlow, 1e-12);
    EXPECT_NEAR(b.job.Coil()->LiquidState->GetMassFlow(), 3 * o->MassFlow, 1e-12);
    EXPECT_NEAR(b.job.Inputs.edTubeVelocity.Value, 3 * v, 1e-9);
    EXPECT_FALSE(b.job.Solved());
    EXPECT_TRUE(b.view.told(F::edFluidFlow));
    EXPECT_TRUE(b.view.told(F::edTubeVelocity));
}

TEST(JobCalculators, ValuesAreHeldToTheMainFieldsRangeAndNonsenseIsIgnored)
{
    BuiltJob b;
    const double ma = b.job.Inputs.edAirMassflow.Value;
    const double m = b.job.Inputs.edFluidFlow.Value;
    const double z = b.job.Inputs.edAltitude.Value;
    for (double bad : {0.0, -1.0, kNaN, std::numeric_limits<double>::infinity()}) {
        TakeAirMassFlow(b.job, bad);
        TakeLiquidMassFlow(b.job, bad);
        EXPECT_DOUBLE_EQ(b.job.Inputs.edAirMassflow.Value, ma) << bad;
        EXPECT_DOUBLE_EQ(b.job.Inputs.edFluidFlow.Value, m) << bad;
    }
    TakeAltitude(b.job, kNaN);
    EXPECT_DOUBLE_EQ(b.job.Inputs.edAltitude.Value, z);

    // The calculators allow far more than the main window's fields.
    TakeAirMassFlow(b.job, 90000);
    EXPECT_DOUBLE_EQ(b.job.Inputs.edAirMassflow.Value, EntryFieldInfo(F::edAirMassflow).RangeHi);
    TakeAltitude(b.job, 3000);
    EXPECT_DOUBLE_EQ(b.job.Inputs.edAltitude.Value, EntryFieldInfo(F::edAltitude).RangeHi);
    TakeAltitude(b.job, -1000);
    EXPECT_DOUBLE_EQ(b.job.Inputs.edAltitude.Value, EntryFieldInfo(F::edAltitude).RangeLo);
}

TEST(JobCalculators, AnAltitudeTakenMovesTheEnteringAirToItsPressure)
{
    BuiltJob b;
    TakeAltitude(b.job, 1753);
    EXPECT_DOUBLE_EQ(b.job.Inputs.edAltitude.Value, 1753);
    EXPECT_NEAR(b.job.AirIn().P, TCoilJob::PressureFromAltitude(1753), 1e-9);
    EXPECT_FALSE(b.job.Solved());
    EXPECT_TRUE(b.view.told(F::edAltitude));
}

} // namespace zmk
