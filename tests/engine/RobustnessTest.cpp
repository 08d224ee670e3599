// Robustness of the solvers over the whole range of the job's entry fields: every coil kind,
// every liquid, both liquid controls, the air and liquid temperatures, humidities, flows,
// velocities, altitude and geometry at their bounds. Each solve either returns a status with
// finite results (and a reason when it is not solved) or raises EMathError: never a crash, a
// hang, another exception or a NaN. A seeded sweep of random jobs, many of them humid air on a
// colder liquid, checks that every solved result is physical.
#include "CoilJob.h"
#include "RandomJobs.h"
#include "base/Errors.h"
#include "engine/HeatExchanger.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace zmk {
namespace {

// The inputs as the job applies them; the air at 24 °C and 9.5 g/kg, water at 5 °C.
using Inputs = test::RandomJob;

struct Variation
{
    const char* name;
    std::function<void(Inputs&)> apply;
};

const std::vector<Variation>& Variations()
{
    static const std::vector<Variation> list = {
        {"base", [](Inputs&) {}},
        {"air -60", [](Inputs& i) { i.dbi = -60; }},
        {"air 900", [](Inputs& i) { i.dbi = 900; }},
        {"dry air", [](Inputs& i) { i.wai = 0; }},
        {"w 0.5", [](Inputs& i) { i.wai = 0.5; }},
        {"ma 0.01", [](Inputs& i) { i.ma = 0.01; }},
        {"ma 500", [](Inputs& i) { i.ma = 500; }},
        {"vf 0.01", [](Inputs& i) { i.vf = 0.01; }},
        {"vf 50", [](Inputs& i) { i.vf = 50; }},
        {"liquid -60", [](Inputs& i) { i.twi = -60; }},
        {"liquid 900", [](Inputs& i) { i.twi = 900; }},
        {"dt 0.01", [](Inputs& i) { i.dt = 0.01; }},
        {"dt 1000", [](Inputs& i) { i.dt = 1000; }},
        {"mw 0.01", [](Inputs& i) { i.mw = 0.01; }},
        {"mw 500", [](Inputs& i) { i.mw = 500; }},
        {"vw 0.01",
         [](Inputs& i) {
             i.mw = -1;
             i.vw = 0.01;
         }},
        {"vw 100",
         [](Inputs& i) {
             i.mw = -1;
             i.vw = 100;
         }},
        {"altitude 2000", [](Inputs& i) { i.altitude = 2000; }},
        {"1 row", [](Inputs& i) { i.geometry.Rows = 1; }},
        {"20 rows 50 fpi",
         [](Inputs& i) {
             i.geometry = {0.5334, 1.2, 20, 50, 14};
         }},
        {"0.01 fpi", [](Inputs& i) { i.geometry.fpi = 0.01; }},
        {"smallest face",
         [](Inputs& i) {
             i.geometry = {0.1, 0.1, 1, 10, 1};
         }},
        {"largest face",
         [](Inputs& i) {
             i.geometry = {50, 100, 20, 50, 100};
         }},
        {"1 circuit", [](Inputs& i) { i.geometry.Circ = 1; }},
        {"100 circuits", [](Inputs& i) { i.geometry.Circ = 100; }},
        {"spray", [](Inputs& i) { i.spray = true; }},
        {"hot humid air on cold liquid",
         [](Inputs& i) {
             i.dbi = 900;
             i.wai = 0.5;
             i.twi = -60;
         }},
        {"cold humid air on hot liquid",
         [](Inputs& i) {
             i.dbi = -60;
             i.wai = 0.5;
             i.twi = 900;
         }},
        {"equal at -60",
         [](Inputs& i) {
             i.dbi = -60;
             i.twi = -60;
             i.wai = 0;
         }},
        {"equal at 900",
         [](Inputs& i) {
             i.dbi = 900;
             i.twi = 900;
         }},
        {"equal at 24", [](Inputs& i) { i.twi = 24; }},
        {"saturated",
         [](Inputs& i) {
             i.dbi = 20;
             i.wai = 0.0147;
         }},
        {"all low",
         [](Inputs& i) {
             i.ma = 0.01;
             i.mw = 0.01;
             i.dt = 0.01;
         }},
        {"all high",
         [](Inputs& i) {
             i.ma = 500;
             i.mw = 500;
             i.dt = 1000;
             i.vf = 50;
         }},
    };
    return list;
}

// Liquid kinds 0..13, then water with each additive at 30 %.
std::unique_ptr<TLiquid> MakeLiquid(int index, double mw, double twi)
{
    const int kind = index < kLiquidKindCount ? index : 0;
    auto l = std::make_unique<TLiquid>("liquid", kind, mw, twi, twi + 5);
    if (index >= kLiquidKindCount) {
        l->WaterAdditive = index - kLiquidKindCount + 1;
        l->AdditiveVolume = 0.3;
        l->Update();
    }
    return l;
}

bool Finite(std::initializer_list<double> values)
{
    for (double v : values)
        if (!std::isfinite(v))
            return false;
    return true;
}

bool ResultsFinite(const test::Job& job)
{
    const TLiquidCoil& c = *job.coil;
    const TAirState& o = job.out;
    const TLiquid& l = *job.liquid;
    const TLiquidState& s = *c.LiquidState;
    return Finite({c.Qt,       c.Qs,           c.e,
                   c.Ntu,      c.Cr,           c.Qmax,
                   c.ho,       c.hi,           c.Ui,
                   c.Uo,       c.NtuAir,       c.NtuLiquid,
                   c.NtuRatio, c.BypassFactor, c.ConductanceRatio,
                   c.Rf,       c.ADP,          c.tsAirIn,
                   c.tsAirOut, c.ma,           c.Va,
                   c.Vf,       c.Ca,           o.P,
                   o.db,       o.wb,           o.h,
                   o.w,        o.rh,           o.dewpoint,
                   o.rho,      o.cp,           o.k,
                   o.mu,       l.tfi,          l.tfo,
                   l.m,        l.ro,           l.Cp,
                   l.mu,       l.Ko,           l.Pr,
                   s.cw,       s.vw,           s.designdt});
}

TEST(RobustnessTest, EverySolveEndsWithFiniteResultsOrAnArithmeticError)
{
    int solved = 0;
    int refused = 0; // data a coil cannot rate, or a result that makes no physical sense
    int unsolved = 0;
    int mathErrors = 0;
    int steps = 0;
    for (const char* kind : {"zmk", "hwc", "cwc"}) {
        for (int liquid = 0; liquid < kLiquidKindCount + kWaterAdditiveCount - 1; ++liquid) {
            for (int control : {wcFlow, wcTemp}) {
                int variation = 0;
                for (const Variation& v : Variations()) {
                    ++variation;
                    SCOPED_TRACE(std::string(kind) + " liquid " + std::to_string(liquid) + " control " +
                                 std::to_string(control) + " " + v.name);
                    TAdpDefault::Instance().Reset();
                    Inputs in;
                    v.apply(in);
                    try {
                        test::JobValues values = test::Defaults(kind);
                        auto job = std::make_unique<test::Job>();
                        job->coil = test::MakeCoil(kind, "533.4 1200 4r 10f 14c");
                        job->in = SetState(101.325, values.dbi, values.wai, kPairDbW);
                        job->out = SetState(101.325, values.dbo, values.wao, kPairDbW);
                        job->liquid = MakeLiquid(liquid, in.mw, in.twi);
                        job->coil->Attach(job->in, job->out, *job->liquid);
                        job->coil->LiquidState->ctrl = static_cast<std::uint8_t>(control);
                        test::ApplyRandomJob(*job, in);
                        const TSolveStatus status = job->coil->Solve();
                        ASSERT_TRUE(ResultsFinite(*job)) << "status " << static_cast<int>(status);
                        if (status == TSolveStatus::None)
                            ++solved;
                        else if (status == TSolveStatus::DataError)
                            ++refused;
                        else
                            ++unsolved;
                        // A result that is not solved says why.
                        EXPECT_EQ(job->coil->Reason.empty(), status == TSolveStatus::None)
                            << job->coil->Reason;
                        // The pages read both pressure drops of a rated coil.
                        EXPECT_TRUE(std::isfinite(job->coil->AirPressureDrop()));
                        EXPECT_TRUE(std::isfinite(job->coil->LiquidPressureDrop()));
                        EXPECT_GE(job->coil->PipeSize(), 15);
                        if (variation % 7 == 0 && control == wcFlow && liquid % 5 == 0) {
                            double duty = 0;
                            job->coil->StepByStep(duty);
                            ++steps;
                            EXPECT_TRUE(std::isfinite(duty));
                            for (const auto& row : job->coil->StepMatrix)
                                for (double t : row)
                                    ASSERT_TRUE(std::isfinite(t));
                        }
                    } catch (const EMathError&) {
                        ++mathErrors;
                    }
                }
            }
        }
    }
    // Most of the range rates; the rest is refused with its reason or as arithmetic, never as
    // garbage.
    EXPECT_GT(solved, 2 * (unsolved + mathErrors));
    std::printf("sweep: %d solved, %d refused, %d not converged, %d arithmetic errors, %d profiles\n", solved,
                refused, unsolved, mathErrors, steps);
}

TEST(RobustnessTest, SeededSweepSolvesOnlyPhysicalResults)
{
    // Half the jobs over the whole entry ranges, half humid air on a colder liquid. A solved job
    // never leaves above saturation or outside the inlets' span, and balances within 0.2 % with
    // the condensate's enthalpy credited.
    test::JobDice dice(28);
    std::map<std::string, int> solved, wet;
    int failures = 0;
    for (int n = 0; n < 3000; ++n) {
        const test::RandomJob r = n % 2 ? dice.DrawCondensing() : dice.Draw();
        TAdpDefault::Instance().Reset();
        try {
            auto job = test::BuildRandomJob(r);
            TLiquidCoil& c = *job->coil;
            if (c.Solve() != TSolveStatus::None)
                continue;
            ++solved[r.kind];
            if (c.SurfaceCondition != scDry)
                ++wet[r.kind];
            const std::string problem = test::PhysicalProblem(*job, 0.002);
            if (!problem.empty() && ++failures <= 10)
                ADD_FAILURE() << "job " << n << " " << r.kind << ": " << problem;
            // The condensate is the moisture the dry air loses; a dry surface leaves none.
            EXPECT_NEAR(c.MoistureRemoval(), c.DryAirFlow() * (job->in.w - job->out.w), 1e-12);
            if (c.SurfaceCondition == scDry && r.kind != "cwc") {
                EXPECT_EQ(c.MoistureRemoval(), 0) << "job " << n;
            }
        } catch (const EMathError&) {
        }
    }
    EXPECT_EQ(failures, 0);
    // Both coils that condense come up wet often enough for the checks to mean something.
    EXPECT_GT(wet["zmk"], 100);
    EXPECT_GT(wet["cwc"], 100);
    EXPECT_EQ(wet["hwc"], 0);
    std::printf("physical sweep: solved zmk %d (%d wet), hwc %d, cwc %d (%d wet)\n", solved["zmk"],
                wet["zmk"], solved["hwc"], solved["cwc"], wet["cwc"]);
}

} // namespace
} // namespace zmk
