// The coil job without its window: kind defaults, entry fields, the solved flag, the messages,
// New, and the three coil kinds rated end to end.
#include "app/CoilJob.h"

#include "base/Errors.h"
#include "base/Notifier.h"
#include "engine/HeatExchanger.h"
#include "properties/Fluid.h"
#include "properties/Psy.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace zmk {

namespace {

using F = TEntryField;

// A job of the kind, built with its defaults, reporting to its own recorder.
struct Job
{
    explicit Job(std::string_view kind) : job(&notes)
    {
        job.KindCode = std::string(kind);
        job.SetKindDefaults();
        job.BuildCoil();
    }
    RecordingNotifier notes;
    TCoilJob job;
    TLiquidCoil& coil() { return *job.Coil(); }
    const std::string& lastStatus() const { return notes.statuses.back(); }
};

struct ResetAdp
{
    ResetAdp() { TAdpDefault::Instance().Reset(); }
    ~ResetAdp() { TAdpDefault::Instance().Reset(); }
};

// An air-side correlation that fails as an arithmetic fault inside the solve would.
double failingCoefficient(const TAirSideGeometry&, const TAirState&, TAirResult&)
{
    throw EMathError("test", "Floating point division by zero");
}

} // namespace

TEST(CoilJobFields, RangesClampAsTheFieldsDo)
{
    struct Case
    {
        double typed, lo, hi, kept;
        bool ok;
    };
    const Case cases[] = {
        {0, 0.01, 500, 0.01, false},       {502, 0.01, 500, 502, true},
        {600, 0.01, 500, 500, false},      {-60.2, -60, 900, -60.2, true},
        {-61, -60, 900, -60, false},       {-0.001, 0, 0.5, 0, false},
        {0.25, 0, 0.5, 0.25, true},        {1e9, 0, 0, 1e9, true},
        {NAN, 0.01, 500, 0.01, false},     {INFINITY, -60, 900, 900, false},
        {-INFINITY, -60, 900, -60, false},
    };
    for (const Case& c : cases) {
        double v = c.typed;
        EXPECT_EQ(EntryRangeCheck(v, c.lo, c.hi), c.ok) << c.typed;
        EXPECT_EQ(v, c.kept) << c.typed;
    }

    // The table of fields: tab order, names and ranges in the stored unit.
    const auto& fields = EntryFields();
    for (int i = 0; i < kEntryFieldCount; ++i) {
        EXPECT_EQ(static_cast<int>(fields[i].Field), i);
        EXPECT_EQ(FindEntryField(fields[i].Name), fields[i].Field);
    }
    EXPECT_EQ(EntryFieldInfo(F::edOnCoil).RangeLo, -60);
    EXPECT_EQ(EntryFieldInfo(F::edOnCoil).RangeHi, 900);
    EXPECT_EQ(EntryFieldInfo(F::edHumidityOn).RangeHi, 0.5);
    EXPECT_EQ(EntryFieldInfo(F::edTubeVelocity).RangeHi, 100);
    EXPECT_STREQ(EntryFieldInfo(F::edFinHeight).ShownUnit, "inch");
    EXPECT_FALSE(FindEntryField("edonCoil"));

    // Typing out of range into the job's field keeps the bound and beeps.
    Job j("zmk");
    EXPECT_FALSE(j.job.TypeField(F::edOnCoil, 1200));
    EXPECT_EQ(j.job.Inputs.edOnCoil.Value, 900);
    EXPECT_TRUE(j.job.Inputs.edOnCoil.Modified);
    EXPECT_EQ(j.job.Inputs.Pending, F::edOnCoil);
    EXPECT_EQ(j.notes.beeps, 1);
    j.job.CommitField(F::edOnCoil);
    EXPECT_FALSE(j.job.Inputs.edOnCoil.Modified);
    EXPECT_FALSE(j.job.Inputs.Pending);
    EXPECT_EQ(j.job.AirIn().db, 900);

    // A window's field has done its own range check (its half-percent tolerance in its own
    // unit): the job takes the value as it is, with no second check and no second beep, and
    // runs the exit handler.
    j.job.SetSolved(true);
    j.job.SetInput(F::edOnCoil, 903);
    EXPECT_EQ(j.job.Inputs.edOnCoil.Value, 903);
    EXPECT_EQ(j.job.AirIn().db, 903);
    EXPECT_FALSE(j.job.Inputs.edOnCoil.Modified);
    EXPECT_FALSE(j.job.Solved());
    EXPECT_EQ(j.notes.beeps, 1);
}

TEST(CoilJobAltitude, StandardAtmosphere)
{
    EXPECT_NEAR(TCoilJob::PressureFromAltitude(1000), 89.8745, 5e-5);
    EXPECT_EQ(TCoilJob::PressureFromAltitude(0), 101.325);
    EXPECT_NEAR(TCoilJob::AltitudeFromPressure(101.325), 0.0, 1e-9);
    EXPECT_NEAR(TCoilJob::AltitudeFromPressure(TCoilJob::PressureFromAltitude(1500)), 1500, 1e-6);
}

TEST(CoilJob, FirstWindowShowsTheZmkDefaults)
{
    ResetAdp adp;
    Job j("zmk");
    const TJobInputs& in = j.job.Inputs;
    ASSERT_NE(j.job.Coil(), nullptr);
    EXPECT_TRUE(j.job.Solved());
    EXPECT_EQ(j.lastStatus(), "Solved...");
    EXPECT_EQ(CoilLabels(j.job).Kind, "ZMK");
    EXPECT_NEAR(in.edAltitude.Value, 0.0, 1e-9);
    EXPECT_EQ(in.edOnCoil.Value, 380.0);
    EXPECT_NEAR(in.edHumidityOn.Value, 0.005, 1e-12);
    EXPECT_NEAR(in.edFaceVelocity.Value, 2.7, 1e-9);
    EXPECT_EQ(in.edFluidType, j.job.Liquid()->GetShortName());
    EXPECT_EQ(j.job.Liquid()->Caption, "Thermal Oil");
    EXPECT_EQ(j.job.Liquid()->LiquidSpec, 1);
    EXPECT_EQ(in.edFluidInTemp.Value, 80.0);
    EXPECT_NEAR(in.edFluidFlow.Value, 1.2, 1e-12);
    EXPECT_EQ(in.edLiquidControl, "Liquid flow");
    EXPECT_FALSE(in.edFluidDT.Enabled);
    EXPECT_TRUE(in.edFluidFlow.Enabled);
    EXPECT_TRUE(in.edTubeVelocity.Enabled);
    EXPECT_NEAR(in.edFinHeight.Value, 0.5334, 1e-12); // 21.00 inch
    EXPECT_NEAR(in.edFinnedLength.Value, 1.2, 1e-12);
    EXPECT_EQ(in.edRows.Value, 4.0);
    EXPECT_EQ(in.edFinDensity.Value, 10.0);
    EXPECT_EQ(in.edCircuits.Value, 14.0);
    EXPECT_EQ(CoilLabels(j.job).Maker.rfind("Model: typical ", 0), 0u) << CoilLabels(j.job).Maker;
    EXPECT_EQ(CoilLabels(j.job).Material, "Cu/Al");
    const double rho = SetState(101.325, 380.0, 0.005, kPairDbW).rho;
    EXPECT_NEAR(in.edAirMassflow.Value, 2.7 * j.coil().GetAf() * rho, 1e-9);
    EXPECT_FALSE(j.job.StatesInChartRange()); // 380 °C is beyond the chart
}

TEST(CoilJob, ZmkEnergyBalance)
{
    ResetAdp adp;
    Job j("zmk");
    TLiquidCoil& c = j.coil();
    ASSERT_EQ(j.job.LastSolveStatus(), 0);
    const TLiquid& l = *j.job.Liquid();
    EXPECT_EQ(c.AirCooling, kAirCooling);
    EXPECT_GT(c.Qt, 10);
    EXPECT_LT(c.Qt, c.Qmax);
    EXPECT_NEAR(c.Qt, c.Ca * (j.job.AirIn().db - j.job.AirOut().db), 1e-6 * c.Qt);
    EXPECT_NEAR(c.Qt, c.LiquidState->cw * (l.tfo - l.tfi), 1e-3);
    EXPECT_EQ(j.job.AirOut().w, j.job.AirIn().w);
    EXPECT_GT(l.tfo, l.tfi);
    EXPECT_LT(j.job.AirOut().db, 380);
    EXPECT_GT(j.job.AirOut().db, l.tfi);
}

TEST(CoilJob, WaterCoilsRate)
{
    ResetAdp adp;
    {
        Job j("hwc");
        TLiquidCoil& c = j.coil();
        const TLiquid& l = *j.job.Liquid();
        ASSERT_EQ(j.job.LastSolveStatus(), 0);
        EXPECT_TRUE(j.job.StatesInChartRange());
        EXPECT_GT(c.Qt, 10);
        EXPECT_GT(j.job.AirOut().db, j.job.AirIn().db);
        EXPECT_LT(j.job.AirOut().db, l.tfi);
        EXPECT_LT(l.tfo, l.tfi);
        EXPECT_NEAR(c.Qs, c.Ca * (j.job.AirOut().db - j.job.AirIn().db), 1e-6 * c.Qt);
        EXPECT_NEAR(c.Qt, c.LiquidState->cw * (l.tfi - l.tfo), 2e-3 * c.Qt);
        // The leaving state comes from its dry bulb and enthalpy, so its moisture content carries
        // the difference between the entering specific heat and the enthalpy's own.
        EXPECT_NEAR(j.job.AirOut().w, j.job.AirIn().w, 1e-5);
    }
    {
        Job j("cwc"); // 24 °C air at 9.5 g/kg on water at 5 °C: condensing
        TLiquidCoil& c = j.coil();
        const TLiquid& l = *j.job.Liquid();
        ASSERT_EQ(j.job.LastSolveStatus(), 0);
        EXPECT_NE(c.SurfaceCondition, scDry);
        EXPECT_GT(c.Qt, c.Qs);
        EXPECT_GT(c.Qs, 0);
        EXPECT_LT(j.job.AirOut().w, j.job.AirIn().w);
        EXPECT_LT(j.job.AirOut().db, j.job.AirIn().db);
        EXPECT_GT(l.tfo, l.tfi);
        EXPECT_NEAR(c.Qt, c.LiquidState->cw * (l.tfo - l.tfi), 2e-3 * c.Qt);
        EXPECT_NEAR(c.Qt, c.ma * (j.job.AirIn().h - j.job.AirOut().h), 2e-2 * c.Qt);
        EXPECT_EQ(TAdpDefault::Instance().Value(), c.ADP);
    }
    {
        Job j("cwc"); // dry air: the surface stays above the dew point
        ASSERT_TRUE(j.job.EnterField(F::edHumidityOn, 0.003));
        j.job.Solve();
        TLiquidCoil& c = j.coil();
        ASSERT_TRUE(j.job.Solved());
        EXPECT_EQ(c.SurfaceCondition, scDry);
        EXPECT_NEAR(c.Qs, c.Qt, 1e-9);
        EXPECT_NEAR(j.job.AirOut().w, 0.003, 1e-9);
        EXPECT_NEAR(c.ADP, j.job.AirIn().dewpoint, 1e-9);
        EXPECT_GT(c.Qt, 1);
    }
}

TEST(CoilJob, ColdCoilReachesDryWetAndPartWet)
{
    ResetAdp adp;
    Job j("cwc");
    bool seen[3] = {false, false, false};
    for (double w = 0.003; w <= 0.016; w += 0.0005) {
        j.job.EnterField(F::edHumidityOn, w);
        j.job.Solve();
        ASSERT_GE(j.job.LastSolveStatus(), 0) << w;
        const int sc = j.coil().SurfaceCondition;
        ASSERT_LE(sc, 2);
        seen[sc] = true;
        EXPECT_TRUE(std::isfinite(j.coil().Qt)) << w;
    }
    EXPECT_TRUE(seen[scDry]);
    EXPECT_TRUE(seen[scWet]);
    EXPECT_TRUE(seen[scPartWet]);
}

TEST(CoilJob, SolvedFlagTable)
{
    ResetAdp adp;
    RecordingNotifier notes;
    TCoilJob job(&notes);
    EXPECT_FALSE(job.Solved()); // start
    job.BuildCoil();
    EXPECT_TRUE(job.Solved());

    // Every entry handler marks the job not solved, but only when its field was changed.
    for (const TEntryFieldInfo& info : EntryFields()) {
        SCOPED_TRACE(info.Name);
        job.Solve();
        ASSERT_TRUE(job.Solved());
        job.CommitField(info.Field); // left without a change
        EXPECT_TRUE(job.Solved());
        if (!job.Inputs[info.Field].Enabled)
            job.ToggleLiquidControl();
        job.EnterField(info.Field, job.Inputs[info.Field].Value);
        EXPECT_FALSE(job.Solved());
        EXPECT_EQ(notes.statuses.back(), "Not Solved...");
        if (job.Coil()->LiquidState->ctrl != wcFlow)
            job.ToggleLiquidControl();
    }

    job.Solve();
    job.SetSpray(false); // no click: unchanged
    EXPECT_TRUE(job.Solved());
    job.SetSpray(true);
    EXPECT_FALSE(job.Solved());
    job.SetSpray(false);
    job.Solve();
    ASSERT_TRUE(job.Solved());

    job.ToggleLiquidControl(); // the liquid control toggle leaves it alone
    EXPECT_TRUE(job.Solved());
    EXPECT_EQ(job.Inputs.edLiquidControl, "Temperature");
    EXPECT_TRUE(job.Inputs.edFluidDT.Enabled);
    EXPECT_FALSE(job.Inputs.edFluidFlow.Enabled);
    EXPECT_FALSE(job.Inputs.edTubeVelocity.Enabled);
    job.ToggleLiquidControl();
    EXPECT_TRUE(job.Solved());
    EXPECT_EQ(job.Inputs.edLiquidControl, "Liquid flow");
    EXPECT_FALSE(job.Inputs.edFluidDT.Enabled);

    ASSERT_TRUE(job.SetLiquidKind(0)); // the fluid type
    EXPECT_FALSE(job.Solved());
    EXPECT_EQ(job.StartValues.UserRo, job.Liquid()->ro);
    job.StepByStep();
    EXPECT_TRUE(job.Solved());
    job.GeometryChanged();
    EXPECT_TRUE(job.Solved());
    EXPECT_TRUE(notes.messages.empty());
}

TEST(CoilJob, TypedValueIsCommittedBySolve)
{
    ResetAdp adp;
    Job j("zmk");
    const double vf = j.coil().Vf;
    j.job.TypeField(F::edAirMassflow, 3.0); // typed, F9 pressed without leaving the field
    EXPECT_TRUE(j.job.Solved());
    j.job.Solve();
    EXPECT_FALSE(j.job.Inputs.edAirMassflow.Modified);
    EXPECT_EQ(j.coil().ma, 3.0);
    EXPECT_NEAR(j.job.Inputs.edFaceVelocity.Value, j.coil().Vf, 1e-12);
    EXPECT_GT(j.coil().Vf, vf);
    EXPECT_TRUE(j.job.Solved());
    // The status went "Not Solved..." (the commit) and then "Solved..." (the solve).
    ASSERT_GE(j.notes.statuses.size(), 2u);
    EXPECT_EQ(j.notes.statuses[j.notes.statuses.size() - 2], "Not Solved...");
}

TEST(CoilJob, EnteringDryBulbAloneKeepsTheFlowUntilSolve)
{
    ResetAdp adp;
    Job j("zmk");
    const double ma = j.coil().ma, vf = j.coil().Vf;
    j.job.EnterField(F::edOnCoil, 200);
    EXPECT_EQ(j.job.AirIn().db, 200);
    EXPECT_EQ(j.coil().ma, ma);
    EXPECT_EQ(j.coil().Vf, vf);
    EXPECT_EQ(j.job.Inputs.edFaceVelocity.Value, vf);
    j.job.Solve();
    EXPECT_NEAR(j.coil().ma, ma, 1e-12); // the mass flow of the field is kept...
    EXPECT_LT(j.coil().Vf, vf);          // ...and the denser air needs a lower face velocity
    EXPECT_NEAR(j.job.Inputs.edFaceVelocity.Value, j.coil().Vf, 1e-12);

    // The face velocity field sets the mass flow at the current density.
    j.job.EnterField(F::edFaceVelocity, 2.0);
    EXPECT_NEAR(j.coil().Vf, 2.0, 1e-12);
    EXPECT_NEAR(j.job.Inputs.edAirMassflow.Value, j.coil().ma, 1e-12);
    // The tube velocity sets the liquid flow, and back.
    j.job.EnterField(F::edTubeVelocity, 1.0);
    EXPECT_NEAR(j.coil().LiquidState->vw, 1.0, 1e-12);
    EXPECT_NEAR(j.job.Inputs.edFluidFlow.Value, j.coil().LiquidState->GetMassFlow(), 1e-12);
    j.job.EnterField(F::edFluidFlow, 2.0);
    EXPECT_NEAR(j.job.Inputs.edTubeVelocity.Value, j.coil().LiquidState->vw, 1e-12);
    // Altitude: the pressure follows at the next Solve.
    j.job.EnterField(F::edAltitude, 1000);
    EXPECT_NEAR(j.job.AirIn().P, 89.8745, 1e-4);
    j.job.Solve();
    EXPECT_NEAR(j.coil().GetPressure(), 89.8745, 1e-4);
    EXPECT_NEAR(j.job.Inputs.edAltitude.Value, 1000, 1e-6);
}

TEST(CoilJob, KindLabelAndNew)
{
    ResetAdp adp;
    Job j("zmk");
    j.job.DataFolder = "/data/";
    j.job.NextKind();
    EXPECT_EQ(j.job.KindCode, "cwc");
    ASSERT_NE(j.job.Coil(), nullptr);
    EXPECT_NE(dynamic_cast<TColdWaterCoil*>(j.job.Coil()), nullptr);
    EXPECT_EQ(CoilLabels(j.job).Kind, "CWC");
    EXPECT_EQ(j.job.AirIn().db, 380.0); // the start values were not reset
    EXPECT_EQ(j.job.Inputs.edFluidInTemp.Value, 80.0);

    j.job.New();
    EXPECT_EQ(j.job.FileName, "/data/Default.zmx");
    EXPECT_EQ(j.job.KindCode, "cwc");
    EXPECT_EQ(j.job.AirIn().db, 24.0);
    EXPECT_EQ(j.job.Inputs.edFluidInTemp.Value, 5.0);
    EXPECT_EQ(j.job.Liquid()->LiquidSpec, 0);
    EXPECT_TRUE(j.job.Solved());

    j.job.NextKind();
    EXPECT_NE(dynamic_cast<THotWaterCoil*>(j.job.Coil()), nullptr);
    j.job.NextKind();
    EXPECT_NE(dynamic_cast<TZemtor*>(j.job.Coil()), nullptr);
}

TEST(CoilJob, Messages)
{
    ResetAdp adp;
    {
        Job j("zmk");
        j.coil().SetAirCoefFn(failingCoefficient);
        ASSERT_TRUE(j.job.Solved());
        j.job.Solve();
        ASSERT_EQ(j.notes.messages.size(), 1u);
        EXPECT_EQ(j.notes.messages[0], "No solution found...\r\n\r\nCheck that the tube side fluid is\r\n"
                                       "within the temperature range!");
        EXPECT_FALSE(j.job.Solved()); // the failed pass has overwritten the results
        EXPECT_EQ(j.job.LastSolveStatus(), -1);

        j.job.StepByStep();
        ASSERT_EQ(j.notes.messages.size(), 2u);
        EXPECT_EQ(j.notes.messages[1],
                  "There is no solution with this data...\r\n\r\nCheck that the tube side "
                  "fluid is\r\nwithin the temperature range!");
    }
    {
        // A solve error while building is swallowed: not solved, fields filled, no message.
        // (Stored start values with no liquid flow: the heat recovery solve divides by it.)
        RecordingNotifier notes;
        TCoilJob job(&notes);
        job.StartValues.mw = 0;
        job.BuildCoil();
        ASSERT_NE(job.Coil(), nullptr);
        EXPECT_FALSE(job.Solved());
        EXPECT_EQ(job.LastSolveStatus(), -1);
        EXPECT_FALSE(job.LastError().empty());
        EXPECT_TRUE(notes.messages.empty());
        EXPECT_EQ(job.Inputs.edOnCoil.Value, 380.0);
        EXPECT_EQ(job.Inputs.edFluidFlow.Value, 0.0);
    }
    {
        RecordingNotifier notes;
        TCoilJob job(&notes);
        job.KindCode = "abc";
        job.BuildCoil();
        EXPECT_EQ(job.Coil(), nullptr);
        ASSERT_EQ(notes.messages.size(), 1u);
        EXPECT_EQ(notes.messages[0], "Coil kind not recognised...");
        EXPECT_EQ(CoilLabels(job).Kind, "ABC");
        EXPECT_FALSE(job.Solved());
        job.ApplyInputs(); // a job without a coil does nothing, and does not fall over
        job.ShowInputs();
        job.CaptureStartValues();
        EXPECT_FALSE(job.StatesInChartRange());
    }
}

TEST(CoilJob, GeometryChangedLetsErrorsThrough)
{
    ResetAdp adp;
    Job j("hwc");
    j.coil().SetAirCoefFn(failingCoefficient);
    EXPECT_THROW(j.job.GeometryChanged(), EMathError);
    EXPECT_TRUE(j.notes.messages.empty());
}

TEST(CoilJob, StepByStep)
{
    for (const char* kind : {"zmk", "hwc", "cwc"}) {
        SCOPED_TRACE(kind);
        ResetAdp adp;
        struct View
        {
            int charts = 0, pages = 0, profiles = 0;
        } view;
        Job j(kind);
        j.job.Subscribe([&view](const TJobNews& news) {
            view.charts += news.Has(jcStepChart);
            view.pages += news.Has(jcResults);
            view.profiles += news.Has(jcProfile);
        });
        j.job.StepByStep();
        EXPECT_TRUE(j.notes.messages.empty());
        EXPECT_EQ(view.charts, 1);
        EXPECT_EQ(view.pages, 1);
        EXPECT_EQ(view.profiles, 0); // the profile image is not redrawn by Step by step
        const TStepChartData& chart = j.job.StepChart();
        EXPECT_EQ(chart.Title, "Step-by-Step Simulation");
        ASSERT_EQ(chart.Matrix.size(), 4u);
        ASSERT_EQ(chart.Matrix[0].size(), 100u);
        EXPECT_EQ(chart.LastColumn, 99);
        EXPECT_GT(chart.Duty, 0);
        EXPECT_EQ(chart.Captions[0].rfind("Duty ", 0), 0u);
        EXPECT_NE(chart.Captions[1].find(" °C"), std::string::npos);
        for (const auto& row : chart.Matrix)
            for (double t : row)
                EXPECT_TRUE(std::isfinite(t));
        j.job.Solve();
        EXPECT_EQ(view.profiles, 1);
    }
}

TEST(CoilJob, CapturedStartValuesRebuildTheSameCoil)
{
    ResetAdp adp;
    Job j("zmk");
    j.job.EnterField(F::edOnCoil, 300);
    j.job.EnterField(F::edRows, 6);
    j.job.EnterField(F::edFluidFlow, 2.0);
    j.job.ToggleLiquidControl();
    j.job.EnterField(F::edFluidDT, 30);
    j.job.Solve();
    ASSERT_TRUE(j.job.Solved());
    const double qt = j.coil().Qt;
    // Read without capturing: the start values stay as they were until captured.
    const TStartValues before = j.job.StartValues;
    const TStartValues now = j.job.CurrentStartValues();
    EXPECT_EQ(j.job.StartValues.dbi, before.dbi);
    EXPECT_NE(before.dbi, 300);
    EXPECT_EQ(now.dbi, 300);
    j.job.CaptureStartValues();
    EXPECT_EQ(j.job.StartValues.CoilModel, now.CoilModel);
    EXPECT_EQ(j.job.StartValues.two, now.two);
    EXPECT_EQ(j.job.StartValues.dbi, 300);
    EXPECT_EQ(j.job.StartValues.Rows, 6);
    EXPECT_EQ(j.job.StartValues.LiquidControl, 0);
    j.job.BuildCoil();
    ASSERT_TRUE(j.job.Solved());
    EXPECT_NEAR(j.coil().Qt, qt, 1e-3);
    EXPECT_EQ(j.job.Inputs.edRows.Value, 6);
    EXPECT_EQ(j.job.Inputs.edLiquidControl, "Temperature");
}

TEST(CoilJob, EnteringAirAboveSaturationIsRefusedWithAMessage)
{
    ResetAdp adp;
    Job j("cwc");
    j.notes.messages.clear();
    j.job.EnterField(F::edHumidityOn, 0.5);
    j.job.Solve();
    EXPECT_FALSE(j.job.Solved());
    EXPECT_EQ(j.lastStatus(), "Not Solved...");
    EXPECT_EQ(j.job.LastSolveStatus(), static_cast<int>(TSolveStatus::DataError));
    ASSERT_EQ(j.notes.messages.size(), 1u);
    EXPECT_EQ(j.notes.messages[0], j.job.LastReason());
    EXPECT_NE(j.job.LastReason().find("more moisture than saturated air"), std::string::npos);
    // The field keeps what the user typed.
    EXPECT_EQ(j.job.Inputs.edHumidityOn.Value, 0.5);

    // Back to air the coil can rate: solved, no message.
    j.job.EnterField(F::edHumidityOn, 0.008);
    j.job.Solve();
    EXPECT_TRUE(j.job.Solved());
    EXPECT_EQ(j.notes.messages.size(), 1u);
    EXPECT_EQ(j.job.LastReason(), "");
}

// Every kind over the whole ranges of the entry fields: each solve either ends with a status and
// finite results, or raises an error that the job turns into its message. Nothing else.
TEST(CoilJobRobustness, SweepsTheEntryRanges)
{
    ResetAdp adp;
    const double airTemps[] = {-60, 20, 380, 900};
    const double humidities[] = {0, 0.5};
    const double airFlows[] = {0.01, 500};
    const double liquidTemps[] = {-60, 60, 900};
    const double liquidFlows[] = {0.01, 500};
    int solved = 0, failed = 0, unconverged = 0;
    for (const char* kind : {"zmk", "hwc", "cwc"}) {
        Job j(kind);
        for (int liquid = 0; liquid < kLiquidKindCount; ++liquid) {
            ASSERT_TRUE(j.job.SetLiquidKind(liquid));
            for (int control = 0; control < 2; ++control) {
                if (j.coil().LiquidState->ctrl != control)
                    j.job.ToggleLiquidControl();
                for (double ta : airTemps)
                    for (double w : humidities)
                        for (double ma : airFlows)
                            for (double tw : liquidTemps)
                                for (double mw : liquidFlows) {
                                    j.job.EnterField(F::edOnCoil, ta);
                                    j.job.EnterField(F::edHumidityOn, w);
                                    j.job.EnterField(F::edAirMassflow, ma);
                                    j.job.EnterField(F::edFluidInTemp, tw);
                                    if (control == 1)
                                        j.job.EnterField(F::edFluidFlow, mw);
                                    else
                                        j.job.EnterField(F::edFluidDT, mw > 1 ? 1000 : 0.01);
                                    const std::size_t messages = j.notes.messages.size();
                                    j.job.Solve();
                                    const TLiquidCoil& c = j.coil();
                                    if (j.job.LastSolveStatus() < 0) {
                                        ++failed;
                                        ASSERT_EQ(j.notes.messages.size(), messages + 1);
                                        EXPECT_FALSE(j.job.Solved());
                                        continue;
                                    }
                                    // Only entering air above saturation is refused with a message.
                                    const bool wetAir = j.job.LastReason().starts_with(
                                        "The entering air holds more moisture");
                                    ASSERT_EQ(j.notes.messages.size(), messages + (wetAir ? 1 : 0))
                                        << j.notes.messages.back() << " / " << j.job.LastReason();
                                    (j.job.Solved() ? solved : unconverged)++;
                                    // A job that is not solved says why.
                                    EXPECT_EQ(j.job.LastReason().empty(), j.job.Solved());
                                    const double values[] = {c.Qt,
                                                             c.Qs,
                                                             c.e,
                                                             c.Ntu,
                                                             c.ho,
                                                             c.Uo,
                                                             j.job.AirOut().db,
                                                             j.job.AirOut().w,
                                                             j.job.Liquid()->tfo,
                                                             j.job.Liquid()->m,
                                                             c.LiquidState->cw,
                                                             c.LiquidState->vw};
                                    for (double v : values)
                                        ASSERT_TRUE(std::isfinite(v))
                                            << kind << " liquid " << liquid << " ctrl " << control << " ta "
                                            << ta << " w " << w << " ma " << ma << " tw " << tw << " mw "
                                            << mw;
                                    for (const TEntryFieldInfo& info : EntryFields())
                                        ASSERT_TRUE(std::isfinite(j.job.Inputs[info.Field].Value))
                                            << info.Name;
                                }
            }
        }
    }
    EXPECT_GT(solved, 0);
    RecordProperty("solved", solved);
    RecordProperty("failed", failed);
    RecordProperty("unconverged", unconverged);
}

} // namespace zmk


namespace zmk {

// The Solve command works out the geometry and the entering air again only when their inputs
// changed. A change to any one of them, after solves of the same inputs, must rate as a job
// that was given the changed value before its first solve.
TEST(CoilJobSolve, RepeatedSolvesFollowEveryChangedInput)
{
    const std::pair<TEntryField, double> changes[] = {
        {TEntryField::edFinHeight, 0.762},  {TEntryField::edFinnedLength, 1.5}, {TEntryField::edRows, 6},
        {TEntryField::edFinDensity, 13},    {TEntryField::edCircuits, 9},       {TEntryField::edAltitude, 1500},
        {TEntryField::edOnCoil, 40},        {TEntryField::edHumidityOn, 0.004},
    };
    for (const char* kind : {"zmk", "hwc", "cwc"}) {
        for (const auto& [field, value] : changes) {
            SCOPED_TRACE(std::string(kind) + " " + EntryFieldInfo(field).Name);
            ResetAdp adp;
            Job again(kind);
            again.job.Solve();
            again.job.Solve();
            ASSERT_TRUE(again.job.EnterField(field, value));
            again.job.Solve();

            Job fresh(kind);
            ASSERT_TRUE(fresh.job.EnterField(field, value));
            fresh.job.Solve();

            ASSERT_EQ(again.job.Solved(), fresh.job.Solved());
            TLiquidCoil& a = again.coil();
            TLiquidCoil& b = fresh.coil();
            EXPECT_NEAR(a.Qt, b.Qt, 1e-6 * std::fabs(b.Qt));
            EXPECT_EQ(a.GetAf(), b.GetAf());
            EXPECT_EQ(a.Ao, b.Ao);
            EXPECT_EQ(a.Geometry->SizeText, b.Geometry->SizeText);
            EXPECT_EQ(again.job.AirIn().db, fresh.job.AirIn().db);
            EXPECT_EQ(again.job.AirIn().w, fresh.job.AirIn().w);
            EXPECT_EQ(again.job.AirIn().P, fresh.job.AirIn().P);
            EXPECT_NEAR(again.job.AirIn().wb, fresh.job.AirIn().wb, 1e-9);
        }
    }
}

} // namespace zmk

namespace zmk {

TEST(CoilJobInputOrder, AVelocityIsTakenAgainstTheNewGeometryWhicheverFieldCameFirst)
{
    // A velocity typed before or after a field that changes what it is taken against (the face
    // area, the entering density, the tube count, the liquid density): the velocity given is the
    // one the coil is rated with. Taken against the old face area, 1.4575 m/s on a 0.18 x 0.9 m
    // coil rated 5.76 m/s.
    struct Row
    {
        std::vector<std::pair<F, double>> before; // fields the pair is set on top of
        F changed;
        double value;
        F velocity;
        double speed;
    };
    const Row rows[] = {
        {{{F::edFinnedLength, 0.9}}, F::edFinHeight, 0.18, F::edFaceVelocity, 1.4575},
        {{{F::edFinHeight, 0.18}}, F::edFinnedLength, 0.9, F::edFaceVelocity, 1.4575},
        {{}, F::edOnCoil, 45, F::edFaceVelocity, 2.2},
        {{}, F::edAltitude, 1500, F::edFaceVelocity, 2.2},
        {{}, F::edCircuits, 7, F::edTubeVelocity, 1.3},
        {{}, F::edFluidInTemp, 30, F::edTubeVelocity, 1.3},
    };
    for (const char* kind : {"cwc", "zmk"})
        for (const Row& r : rows)
            for (bool velocityFirst : {true, false}) {
                SCOPED_TRACE(std::string(kind) + " " + EntryFieldInfo(r.changed).Name +
                             (velocityFirst ? ", velocity first" : ", velocity last"));
                ResetAdp adp;
                Job j(kind);
                for (const auto& [f, v] : r.before)
                    ASSERT_TRUE(j.job.EnterField(f, v));
                if (velocityFirst) {
                    ASSERT_TRUE(j.job.EnterField(r.velocity, r.speed));
                }
                ASSERT_TRUE(j.job.EnterField(r.changed, r.value));
                if (!velocityFirst) {
                    ASSERT_TRUE(j.job.EnterField(r.velocity, r.speed));
                }
                j.job.ApplyInputs();
                TLiquidCoil& c = j.coil();
                if (r.velocity == F::edFaceVelocity) {
                    EXPECT_NEAR(c.Vf, r.speed, 1e-12 * r.speed);
                    EXPECT_NEAR(c.ma, r.speed * c.GetAf() * j.job.AirIn().rho, 1e-12 * c.ma);
                } else {
                    EXPECT_NEAR(c.LiquidState->vw, r.speed, 1e-12 * r.speed);
                }
                EXPECT_EQ(c.GetCircuits(), r.changed == F::edCircuits ? r.value : 14);
                j.job.Solve();
                EXPECT_TRUE(j.job.Solved()) << j.job.LastReason() << j.job.LastError();
                // The fields then show the flow as rated, both views agreeing.
                EXPECT_EQ(j.job.Inputs.edAirMassflow.Value, c.ma);
                EXPECT_EQ(j.job.Inputs.edFaceVelocity.Value, c.Vf);
                if (r.velocity == F::edFaceVelocity) {
                    EXPECT_NEAR(c.Vf, r.speed, 1e-12 * r.speed);
                }
            }
}

TEST(CoilJobInputOrder, TheViewOfAFlowTypedLastIsTheOneKeptAndASolveSettlesIt)
{
    ResetAdp adp;
    Job j("cwc");
    // A mass flow typed after a face velocity stands, whatever the geometry does.
    j.job.EnterField(F::edFaceVelocity, 1.9);
    j.job.EnterField(F::edAirMassflow, 1.25);
    j.job.EnterField(F::edFinHeight, 0.4);
    j.job.EnterField(F::edFluidFlow, 0.8);
    j.job.EnterField(F::edTubeVelocity, 1.1);
    j.job.EnterField(F::edFluidFlow, 0.9);
    j.job.EnterField(F::edCircuits, 7);
    j.job.Solve();
    EXPECT_EQ(j.coil().ma, 1.25);
    EXPECT_EQ(j.coil().LiquidState->GetMassFlow(), 0.9);
    // After a solve the mass flows are kept by a later change of geometry, as before any velocity
    // was typed.
    j.job.EnterField(F::edFaceVelocity, 2.1);
    j.job.Solve();
    EXPECT_NEAR(j.coil().Vf, 2.1, 1e-12);
    const double ma = j.coil().ma;
    j.job.EnterField(F::edFinnedLength, 0.8);
    j.job.Solve();
    EXPECT_EQ(j.coil().ma, ma);
    EXPECT_GT(j.coil().Vf, 2.1);
}

} // namespace zmk
