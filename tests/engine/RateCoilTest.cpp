// A coil rated from value inputs, without a job: the same result, field for field, as the coil
// the job builds and solves, and no trace of the thread's earlier ratings.
#include "engine/RateCoil.h"
#include "engine/StepCoil.h"

#include "CoilJob.h"
#include "engine/HeatExchanger.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace zmk {

namespace {

// The fields of two results that must agree exactly (NaN agrees with NaN).
void ExpectSameResult(const TCoilResult& a, const TCoilResult& b)
{
    EXPECT_EQ(a.Status, b.Status);
    EXPECT_EQ(a.Reason, b.Reason);
    ASSERT_EQ(a.Warnings.size(), b.Warnings.size());
    for (size_t i = 0; i < a.Warnings.size(); ++i)
        EXPECT_EQ(WarningText(a.Warnings[i], true), WarningText(b.Warnings[i], true));
    EXPECT_EQ(a.Model, b.Model);
    EXPECT_EQ(a.Maker, b.Maker);
    const double TCoilResult::*fields[] = {
        &TCoilResult::ma,
        &TCoilResult::Va,
        &TCoilResult::Vf,
        &TCoilResult::Af,
        &TCoilResult::Ao,
        &TCoilResult::Ai,
        &TCoilResult::Qt,
        &TCoilResult::Qs,
        &TCoilResult::e,
        &TCoilResult::Ntu,
        &TCoilResult::Cr,
        &TCoilResult::Qmax,
        &TCoilResult::ho,
        &TCoilResult::hi,
        &TCoilResult::Ui,
        &TCoilResult::Uo,
        &TCoilResult::UoDuty,
        &TCoilResult::NtuAir,
        &TCoilResult::NtuLiquid,
        &TCoilResult::NtuRatio,
        &TCoilResult::BypassFactor,
        &TCoilResult::ConductanceRatio,
        &TCoilResult::Rf,
        &TCoilResult::mCondensate,
        &TCoilResult::ADP,
        &TCoilResult::Ca,
        &TCoilResult::AirDp,
        &TCoilResult::LiquidDp,
        &TCoilResult::tsAirIn,
        &TCoilResult::tsAirOut,
        &TCoilResult::SurfaceEff,
        &TCoilResult::tfi,
        &TCoilResult::tfo,
        &TCoilResult::mw,
        &TCoilResult::ro,
        &TCoilResult::Cp,
        &TCoilResult::mu,
        &TCoilResult::Ko,
        &TCoilResult::Pr,
        &TCoilResult::cw,
        &TCoilResult::vw,
        &TCoilResult::designdt,
        &TCoilResult::TubeRe,
    };
    for (const auto field : fields) {
        const double x = a.*field, y = b.*field;
        EXPECT_TRUE(x == y || (x != x && y != y)) << x << " != " << y;
    }
    EXPECT_EQ(a.SurfaceCondition, b.SurfaceCondition);
    EXPECT_EQ(a.AirCooling, b.AirCooling);
    EXPECT_EQ(a.PipeSize, b.PipeSize);
    EXPECT_EQ(a.FoulingInDuty, b.FoulingInDuty);
    EXPECT_EQ(a.LiquidName, b.LiquidName);
    EXPECT_EQ(a.LiquidSpec, b.LiquidSpec);
    EXPECT_EQ(a.ctrl, b.ctrl);
    EXPECT_EQ(a.TubeRegime, b.TubeRegime);
    for (const TAirState* s : {&a.AirIn, &a.AirOut}) {
        const TAirState& t = s == &a.AirIn ? b.AirIn : b.AirOut;
        EXPECT_EQ(s->db, t.db);
        EXPECT_EQ(s->w, t.w);
        EXPECT_EQ(s->P, t.P);
    }
}

// The engine's own path: the coil built from the inputs' start values and solved in place.
TCoilResult RateInPlace(const TCoilInputs& in, const std::function<void(TLiquidCoil&)>& more)
{
    test::JobValues v;
    static_cast<TCoilStartValues&>(v) = in.Start;
    v.kind = in.Kind;
    TAdpDefault::Instance().Reset();
    auto job = test::BuildJob(v);
    if (more)
        more(*job->coil);
    job->coil->Solve();
    TAdpDefault::Instance().Reset();
    return CoilResultOf(*job->coil);
}

} // namespace

TEST(RateCoil, RatesEveryKindFromValuesAsTheCoilInPlace)
{
    struct Row
    {
        const char* name;
        const char* kind;
        std::function<void(TCoilInputs&)> change;
        std::function<void(TLiquidCoil&)> inPlace;
    };
    const Row rows[] = {
        {"default heat recovery", "zmk", nullptr, nullptr},
        {"default hot water", "hwc", nullptr, nullptr},
        {"default chilled water", "cwc", nullptr, nullptr},
        {"chilled water under temperature control, 7 K", "cwc",
         [](TCoilInputs& in) {
             in.Start.LiquidControl = wcTemp;
             in.LiquidDt = 7;
         },
         [](TLiquidCoil& c) { c.LiquidState->designdt = 7; }},
        {"hot water with spray, no fouling", "hwc",
         [](TCoilInputs& in) {
             in.Spray = true;
             in.UseFouling = false;
         },
         [](TLiquidCoil& c) {
             c.Spray = true;
             c.UseFouling = false;
         }},
        {"heat recovery, fouling in the duty, 6 rows", "zmk",
         [](TCoilInputs& in) {
             in.FoulingInDuty = true;
             in.Start.Rows = 6;
         },
         [](TLiquidCoil& c) { c.FoulingInDuty = true; }},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        TCoilInputs in = TCoilInputs::Defaults(r.kind);
        if (r.change)
            r.change(in);
        const TCoilResult rated = RateCoil(in);
        EXPECT_TRUE(rated.Solved) << rated.Reason << rated.Error;
        EXPECT_EQ(rated.Kind, r.kind);
        EXPECT_GT(rated.Qt, 0);
        ExpectSameResult(rated, RateInPlace(in, r.inPlace));
    }
}

TEST(RateCoil, NoRatingBeforeItOrThreadValueChangesItsResult)
{
    const TCoilInputs in = TCoilInputs::Defaults("cwc");
    TAdpDefault::Instance().Reset();
    const TCoilResult first = RateCoil(in);
    EXPECT_EQ(TAdpDefault::Instance().Value(), TAdpDefault::kInitial); // left as it was

    // A cold coil rated before, and an odd default on the thread, change nothing.
    RateCoil(TCoilInputs::Defaults("cwc"));
    TAdpDefault::Instance().Store(-3.5);
    const TCoilResult again = RateCoil(in);
    EXPECT_EQ(TAdpDefault::Instance().Value(), -3.5);
    TAdpDefault::Instance().Reset();
    ExpectSameResult(first, again);
}

TEST(RateCoil, InputsNoCoilCanBeBuiltFromGiveAResultNotAnError)
{
    TCoilInputs unknown = TCoilInputs::Defaults("zmk");
    unknown.Kind = "xyz";
    const TCoilResult r = RateCoil(unknown);
    EXPECT_FALSE(r.Solved);
    EXPECT_EQ(r.Status, TSolveStatus::DataError);
    EXPECT_EQ(r.Error, "Coil kind not recognised...");

    TCoilInputs supersaturated = TCoilInputs::Defaults("cwc");
    supersaturated.Start.wai = 0.2;
    const TCoilResult wet = RateCoil(supersaturated);
    EXPECT_FALSE(wet.Solved);
    EXPECT_EQ(wet.Status, TSolveStatus::DataError);
    EXPECT_FALSE(wet.Reason.empty());
}

TEST(StepCoil, RunsTheProfileOfEveryKindFromValuesAsTheCoilInPlace)
{
    for (const char* kind : {"zmk", "hwc", "cwc"}) {
        SCOPED_TRACE(kind);
        const TCoilInputs in = TCoilInputs::Defaults(kind);
        const TStepRun run = StepCoil(in);
        ASSERT_TRUE(run.Ran) << run.Error << run.Rating.Error;
        ExpectSameResult(run.Rating, RateCoil(in));

        test::JobValues v;
        static_cast<TCoilStartValues&>(v) = in.Start;
        v.kind = in.Kind;
        TAdpDefault::Instance().Reset();
        auto job = test::BuildJob(v);
        job->coil->Solve();
        double duty = 0;
        job->coil->StepByStep(duty);
        TAdpDefault::Instance().Reset();
        EXPECT_EQ(run.Duty, duty);
        EXPECT_EQ(run.Matrix, job->coil->StepMatrix);
        ASSERT_EQ(run.Matrix.size(), 4u);
        EXPECT_EQ(run.Matrix[0].size(), 100u);
    }
    // Nothing to profile without a rating that solved.
    TCoilInputs unknown = TCoilInputs::Defaults("hwc");
    unknown.Kind = "xyz";
    const TStepRun none = StepCoil(unknown);
    EXPECT_FALSE(none.Ran);
    EXPECT_TRUE(none.Matrix.empty());
    EXPECT_EQ(none.Rating.Error, "Coil kind not recognised...");
}

} // namespace zmk
