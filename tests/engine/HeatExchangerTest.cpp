// The coil class family: construction values of each kind, the fallback model, the model text
// and geometry setters with their derived data, the solve protocol (status, results left by an
// unconverged solve, DutyAt), the process-wide ADP default and the effectiveness relation.
#include "engine/HeatExchanger.h"

#include "CoilJob.h"
#include "base/Errors.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zmk {
namespace {

using test::BuildJob;
using test::Defaults;

struct KindValues
{
    const char* kind;
    int code;
    double dutyPerVolFlow, designVf, designAspect, designRows;
    int designFins;
    const char* designAirOn;
    double designFluidIn, defaultVf, defaultAspect, defaultRows;
    int defaultFins;
    int airCooling;
};

TEST(HeatExchangerTest, ConstructionValuesPerKind)
{
    const KindValues table[] = {
        {"hwc", 1, 27.5, 2.7, 1.4, 3.0, 8, "5.0/2.0", 45.0, 2.8, 1.4, 4.0, 8, 0},
        {"cwc", 0, 20.8, 2.5, 1.5, 4.0, 12, "25.0/17.0", 6.0, 2.5, 1.4, 4.0, 10, 1},
        {"zmk", 5, 20.8, 3.0, 1.5, 4.0, 12, "380.0", 220.0, 3.0, 1.4, 4.0, 10, 0},
    };
    TAdpDefault::Instance().Reset();
    for (const KindValues& k : table) {
        SCOPED_TRACE(k.kind);
        auto coil = test::MakeCoil(k.kind, "533.4 1200 4r 10f 14c");
        EXPECT_EQ(coil->Geometry->Rec.Code, k.code);
        EXPECT_DOUBLE_EQ(coil->DutyPerVolFlow, k.dutyPerVolFlow);
        EXPECT_DOUBLE_EQ(coil->DesignVf, k.designVf);
        EXPECT_DOUBLE_EQ(coil->DesignAspect, k.designAspect);
        EXPECT_DOUBLE_EQ(coil->DesignRows, k.designRows);
        EXPECT_EQ(coil->DesignFins, k.designFins);
        EXPECT_EQ(coil->DesignAirOn, k.designAirOn);
        EXPECT_DOUBLE_EQ(coil->DesignFluidIn, k.designFluidIn);
        EXPECT_DOUBLE_EQ(coil->DefaultVf, k.defaultVf);
        EXPECT_DOUBLE_EQ(coil->DefaultAspect, k.defaultAspect);
        EXPECT_DOUBLE_EQ(coil->DefaultRows, k.defaultRows);
        EXPECT_EQ(coil->DefaultFins, k.defaultFins);
        EXPECT_EQ(coil->AirCooling, k.airCooling);

        // Common construction values.
        EXPECT_EQ(coil->Status, TSolveStatus::None);
        for (double f : {coil->EffFactor, coil->HoFactor, coil->HiFactor, coil->LiquidDpFactor,
                         coil->AirDpFactor, coil->WetEffFactor, coil->ActiveSprayFactor})
            EXPECT_DOUBLE_EQ(f, 1.0);
        EXPECT_TRUE(coil->UseFouling);
        EXPECT_FALSE(coil->Spray);
        EXPECT_DOUBLE_EQ(coil->SprayFactor, 80.0);
        EXPECT_DOUBLE_EQ(coil->MaxHeight, 9.144);
        EXPECT_DOUBLE_EQ(coil->MinHeight, 0.0254);
        EXPECT_DOUBLE_EQ(coil->MaxLength, 10.0);
        EXPECT_DOUBLE_EQ(coil->MinLength, 0.1);
        EXPECT_DOUBLE_EQ(coil->ADP, 10.0);
        EXPECT_EQ(coil->SurfaceCondition, scDry);
        EXPECT_TRUE(coil->StepMatrix.empty());
        EXPECT_EQ(coil->AirIn, nullptr);
        EXPECT_EQ(coil->Liquid, nullptr);
        EXPECT_DOUBLE_EQ(coil->EffectivenessFn(1, 0), CounterflowEffectiveness(1, 0));
        // Every result is 0 until the first solve.
        for (double r :
             {coil->Qt, coil->Qs, coil->e, coil->Ntu, coil->Cr, coil->Qmax, coil->ho, coil->hi, coil->Uo,
              coil->Ui, coil->NtuAir, coil->NtuLiquid, coil->BypassFactor, coil->ma, coil->Ca})
            EXPECT_EQ(r, 0.0);
        // Geometry copies and the tube data of the copper tube.
        EXPECT_DOUBLE_EQ(coil->Ao, coil->Geometry->Ao);
        EXPECT_DOUBLE_EQ(coil->Ai, coil->Geometry->Ai);
        EXPECT_DOUBLE_EQ(coil->AoAi, coil->Geometry->AoAi);
        EXPECT_DOUBLE_EQ(coil->Vi, coil->Geometry->Vi);
        EXPECT_DOUBLE_EQ(coil->SurfaceEff, coil->Geometry->EtaO);
        const TTubeSideGeometry tube = coil->Geometry->GetTubeSide();
        EXPECT_DOUBLE_EQ(coil->WallK, tube.kTube);
        EXPECT_DOUBLE_EQ(coil->WallThickness, tube.Wall);
        EXPECT_DOUBLE_EQ(coil->LiquidState->FlowArea, tube.FlowArea);
        EXPECT_DOUBLE_EQ(coil->LiquidState->designdt, 6.0);
        EXPECT_EQ(coil->LiquidState->ctrl, wcFlow);
        EXPECT_DOUBLE_EQ(coil->LiquidState->vwideal, 1.0);
    }
}

TEST(HeatExchangerTest, ModelText)
{
    // An unreadable size text falls back to the default model, two blanks before "(".
    TZemtor bad("typical", 4, "not a size");
    EXPECT_EQ(bad.Model, "544 x 720 4r 12f  (14c)");
    EXPECT_DOUBLE_EQ(bad.GetFinHeight(), 0.544);
    EXPECT_DOUBLE_EQ(bad.GetCircuits(), 14);

    // GetModel is the geometry's current description, not the last text given.
    TZemtor coil("typical", 4, "533.4 1200 4r 10f 14c");
    EXPECT_DOUBLE_EQ(coil.GetFinnedLength(), 1.2);
    coil.SetRows(6);
    EXPECT_EQ(coil.GetModel(), coil.Geometry->SizeText);
    EXPECT_NE(coil.GetModel().find("6r"), std::string::npos);
    EXPECT_EQ(coil.Model, coil.GetModel());

    // An invalid text leaves the derived data as they were.
    const double ao = coil.Ao;
    coil.SetModel("600 x");
    EXPECT_DOUBLE_EQ(coil.Ao, ao);
    coil.SetModel("600 x 1200 4r 10f 16c");
    EXPECT_NE(coil.Ao, ao);
    EXPECT_DOUBLE_EQ(coil.GetFinHeight(), 0.6);
    EXPECT_DOUBLE_EQ(coil.LiquidState->FlowArea, coil.Geometry->GetTubeSide().FlowArea);
}

TEST(HeatExchangerTest, GeometrySettersRefreshDerivedData)
{
    TColdWaterCoil coil("typical", 4, "533.4 1200 4r 10f 14c");
    const double ao = coil.Ao;
    coil.SetFinDensity(12);
    EXPECT_GT(coil.Ao, ao);
    EXPECT_DOUBLE_EQ(coil.Ao, coil.Geometry->Ao);
    EXPECT_DOUBLE_EQ(coil.AirGeom.Fp, 0.0254 / 12);

    // Circuits reach the liquid state's flow area.
    coil.SetCircuits(28);
    EXPECT_DOUBLE_EQ(coil.LiquidState->FlowArea, coil.Geometry->GetTubeSide().FlowArea);
    EXPECT_DOUBLE_EQ(coil.TubeGeom.FlowArea, coil.Geometry->GetTubeSide().FlowArea);

    // The tube material setter updates the wall conductivity.
    coil.SetTubeMaterial(4);
    EXPECT_DOUBLE_EQ(coil.WallK, MaterialTable[4].Conductivity);

    // SetGeometry takes all five, in one go.
    coil.SetGeometry({0.6096, 1.5, 3, 8, 12});
    EXPECT_DOUBLE_EQ(coil.GetFinHeight(), 0.6096);
    EXPECT_DOUBLE_EQ(coil.GetFinnedLength(), 1.5);
    EXPECT_DOUBLE_EQ(coil.GetRows(), 3);
    EXPECT_DOUBLE_EQ(coil.GetFinDensity(), 8);
    EXPECT_DOUBLE_EQ(coil.GetCircuits(), 12);
    EXPECT_DOUBLE_EQ(coil.GetAf(), 0.6096 * 1.5);
    EXPECT_DOUBLE_EQ(coil.Ai, coil.Geometry->Ai);

    // A record the geometry refuses leaves the derived data alone.
    const double ai = coil.Ai;
    coil.SetGeometry({0.7, std::nan(""), 3, 8, 12});
    EXPECT_DOUBLE_EQ(coil.Ai, ai);
    // ... and does not veto the next valid record.
    coil.SetGeometry({0.7, 1.5, 3, 8, 12});
    EXPECT_DOUBLE_EQ(coil.GetAf(), 0.7 * 1.5);
    EXPECT_DOUBLE_EQ(coil.Ao, coil.Geometry->Ao);

    TModelRec rec = coil.Geometry->Rec;
    rec.fLength = 2.0;
    coil.SetModelRecord(rec);
    EXPECT_DOUBLE_EQ(coil.Ao, coil.Geometry->Ao);
    EXPECT_DOUBLE_EQ(coil.AirGeom.Af, 0.7 * 2.0);
}

TEST(HeatExchangerTest, SetGeometryOfTheValuesAsTheyStand)
{
    // Every Solve command sets all five values, mostly as they stand: the record is left alone,
    // but the tube side still reaches the liquid state and the derived data are refreshed.
    TColdWaterCoil coil("typical", 4, "533.4 1200 4r 10f 14c");
    const TSizeValues same{0.5334, 1.2, 4, 10, 14};
    coil.LiquidState->FlowArea = 1;
    coil.Ao = 0;
    coil.SetGeometry(same);
    EXPECT_DOUBLE_EQ(coil.LiquidState->FlowArea, coil.Geometry->GetTubeSide().FlowArea);
    EXPECT_DOUBLE_EQ(coil.Ao, coil.Geometry->Ao);

    // Circuits beyond the geometry's limit are held at it, as the single setter holds them.
    coil.SetCircuits(1600);
    const double ai = coil.Ai;
    coil.SetGeometry({0.5334, 1.2, 4, 10, 2000});
    EXPECT_DOUBLE_EQ(coil.GetCircuits(), 1600);
    EXPECT_DOUBLE_EQ(coil.Ai, ai);

    // A record changed behind the coil's back is worked out again, though the five agree with it.
    coil.SetGeometry(same);
    const double ao = coil.Ao;
    coil.Geometry->Rec.Sx *= 1.25;
    coil.SetGeometry(same);
    EXPECT_NE(coil.Ao, ao);
    EXPECT_DOUBLE_EQ(coil.Ao, coil.Geometry->Ao);

    // An error an earlier setter left does not veto the same values, and a refused value still
    // leaves the derived data alone.
    coil.SetFinHeight(std::nan(""));
    coil.Ao = 0;
    coil.SetGeometry(same);
    EXPECT_DOUBLE_EQ(coil.Ao, coil.Geometry->Ao);
    coil.Ao = 0;
    coil.SetGeometry({0.5334, 1.2, 4, 10, std::nan("")});
    EXPECT_EQ(coil.Ao, 0);
}

TEST(HeatExchangerTest, NamesOfStatusConditionControlAndDirection)
{
    const char* statuses[] = {"None", "Iterating", "CountOut", "Aborted", "TimeOut", "DataError"};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(SolveStatusName(static_cast<TSolveStatus>(i)), statuses[i]);
    EXPECT_EQ(SurfaceConditionName(0), "Dry");
    EXPECT_EQ(SurfaceConditionName(1), "Wet");
    EXPECT_EQ(SurfaceConditionName(2), "Part-Wet");
    EXPECT_EQ(LiquidControlName(wcTemp), "Temperature");
    EXPECT_EQ(LiquidControlName(wcFlow), "Liquid flow");
    EXPECT_EQ(DutyDirectionName(0), "Air Heating");
    EXPECT_EQ(DutyDirectionName(1), "Air Cooling");
    EXPECT_EQ(SurfaceConditionName(7), "");
}

TEST(HeatExchangerTest, UnattachedCoilRefusesToSolve)
{
    TZemtor coil("typical", 4, "533.4 1200 4r 10f 14c");
    EXPECT_THROW(coil.Solve(), ZmkError);
    EXPECT_THROW(coil.SetAirMassFlow(1), ZmkError);
    EXPECT_THROW(coil.LiquidState->SetMassFlow(1), ZmkError);
}

// An effectiveness relation that never settles keeps the solve from converging.
double Alternating(double N, double Cr)
{
    static int calls = 0;
    return CounterflowEffectiveness(N, Cr) * (++calls % 2 ? 0.9 : 1.0);
}

TEST(HeatExchangerTest, CountOutStillWritesResults)
{
    auto job = BuildJob(Defaults("zmk"));
    TLiquidCoil& coil = *job->coil;
    coil.EffectivenessFn = Alternating;
    EXPECT_EQ(coil.Solve(), TSolveStatus::CountOut);
    EXPECT_EQ(coil.Status, TSolveStatus::CountOut);
    EXPECT_GT(coil.Qt, 0);
    // The leaving air is that of the last pass.
    EXPECT_NEAR(job->out.db, job->in.db - coil.Qt / coil.Ca, 1e-9);
    EXPECT_EQ(coil.DutyAt(80, 150), 0.0);

    coil.EffectivenessFn = CounterflowEffectiveness;
    const double q = coil.DutyAt(80, 150);
    EXPECT_EQ(coil.Status, TSolveStatus::None);
    EXPECT_DOUBLE_EQ(q, coil.Qt);
    EXPECT_GT(q, 0);
}

TEST(HeatExchangerTest, AdpDefaultIsSharedByLaterCoils)
{
    TAdpDefault::Instance().Reset();
    EXPECT_DOUBLE_EQ(TAdpDefault::Instance().Value(), 10.0);
    auto job = BuildJob(Defaults("cwc"));
    job->coil->Solve();
    const double adp = job->coil->ADP;
    EXPECT_NE(adp, 10.0);
    EXPECT_DOUBLE_EQ(TAdpDefault::Instance().Value(), adp);
    TZemtor later("typical", 4, "533.4 1200 4r 10f 14c");
    THotWaterCoil hot("typical", 4, "533.4 1200 4r 10f 14c");
    EXPECT_DOUBLE_EQ(later.ADP, adp);
    EXPECT_DOUBLE_EQ(hot.ADP, adp);
    TAdpDefault::Instance().Reset();
    EXPECT_DOUBLE_EQ(TZemtor("typical", 4, "533.4 1200 4r 10f 14c").ADP, 10.0);
}

TEST(HeatExchangerTest, LogMeanDtEndDifferences)
{
    EXPECT_NEAR(LogMeanDt(380, 177.3, 80, 100), (280 - 97.3) / std::log(280 / 97.3), 1e-12);
    EXPECT_NEAR(LogMeanDt(380, 177.3, 80, 100), 172.8, 0.05);
    EXPECT_EQ(LogMeanDt(50, 40, 20, 30), 20); // equal end differences
    EXPECT_EQ(LogMeanDt(50, 40, 40, 50), 0);  // air in = liquid out
    EXPECT_EQ(LogMeanDt(50, 40, 40, 30), 0);  // air out = liquid in
    EXPECT_EQ(LogMeanDt(50, 10, 20, 30), 0);  // differences of opposite signs
    // Heating: both differences negative, so the mean is too.
    EXPECT_NEAR(LogMeanDt(5, 40, 60, 45), (-40 + 20) / std::log(2.0), 1e-12);
}

TEST(HeatExchangerTest, EffectivenessLimits)
{
    EXPECT_NEAR(CounterflowEffectiveness(1, 0), 1 - std::exp(-1.0), 1e-15);
    EXPECT_DOUBLE_EQ(CounterflowEffectiveness(1, 1), 0.5);
    const double e1 = std::exp(-1.0);
    EXPECT_NEAR(CounterflowEffectiveness(2, 0.5), (1 - e1) / (1 - 0.5 * e1), 1e-15);
    EXPECT_NEAR(CounterflowEffectiveness(2, 0.5), 0.775, 5e-4);
    // Next to Cr = 1 the balanced form takes over.
    EXPECT_DOUBLE_EQ(CounterflowEffectiveness(3, 1 + 1e-12), 0.75);
    // Cr > 1: the air-side effectiveness, below 1/Cr.
    const double e = CounterflowEffectiveness(5, 2);
    EXPECT_GT(e, 0);
    EXPECT_LT(e, 0.5);
    // An overflowing exponential falls back to N/(N + 0.5).
    EXPECT_DOUBLE_EQ(CounterflowEffectiveness(1000, 3), 1000 / 1000.5);
    // The effectiveness never leaves [0, 1] for N >= 0 and Cr in [0, 1].
    for (double N : {0.0, 0.01, 0.5, 1.0, 5.0, 50.0, 800.0})
        for (double cr : {0.0, 0.1, 0.5, 0.999, 1.0}) {
            const double v = CounterflowEffectiveness(N, cr);
            EXPECT_GE(v, 0) << N << " " << cr;
            EXPECT_LE(v, 1) << N << " " << cr;
        }
}

} // namespace
} // namespace zmk
