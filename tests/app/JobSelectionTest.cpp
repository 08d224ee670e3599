// Coil selection on the job: every coil a selection returns, taken into the job and rated by its
// own Solve, gives the duty the selection found and keeps every limit.
#include "app/JobSelection.h"

#include "support/KindJob.h"

#include "app/CoilJob.h"
#include "engine/HeatExchanger.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zmk {

TEST(JobSelection, EveryCandidateRatesInTheJobAsSelected)
{
    for (const char* kind : {"hwc", "cwc", "zmk"}) {
        SCOPED_TRACE(kind);
        test::KindJob built(kind);
        TCoilJob& job = built.job;
        ASSERT_TRUE(job.Solved());
        // The job's own coil is rated by the inputs taken from the job as the job rated it.
        const TCoilResult self = RateCoil(JobCoilInputs(job));
        EXPECT_NEAR(self.Qt, job.Coil()->Qt, 1e-9 * std::fabs(job.Coil()->Qt));

        TSelectInputs in = JobSelectInputs(job, "typical");
        in.Duty = 0.95 * std::fabs(job.Coil()->Qt);
        in.Limits.Height = {job.Coil()->GetFinHeight(), job.Coil()->GetFinHeight() + 0.04};
        in.Limits.Length = {job.Coil()->GetFinnedLength() - 0.1, job.Coil()->GetFinnedLength() + 0.1};
        in.Limits.RowsLo = 3;
        in.Limits.RowsHi = 5;
        in.Limits.Fpi = {8, 12};
        in.Limits.FpiStep = 2;
        in.Limits.FaceVelocity = {0.5, 5};
        in.Limits.TubeVelocity = {0.1, 4};
        in.Limits.MaxAirDp = 200;
        in.Limits.MaxLiquidDp = 60;
        const double va = job.Coil()->Va;
        const TSelectResult r = SelectCoils(in);
        ASSERT_FALSE(r.Candidates.empty()) << r.RulingText();
        EXPECT_NEAR(r.AirVolumeFlow, va, 1e-12);
        // The best, the worst and one between.
        for (std::size_t i : {std::size_t{0}, r.Candidates.size() / 2, r.Candidates.size() - 1}) {
            const TSelectCandidate& c = r.Candidates[i];
            SCOPED_TRACE(c.Pattern.Name + " " + c.SizeText());
            EXPECT_FALSE(IsJobCoil(job, c) && i > 0 && IsJobCoil(job, r.Candidates[0]));
            UseCandidate(job, c, r.AirVolumeFlow);
            ASSERT_TRUE(job.Solved());
            EXPECT_TRUE(IsJobCoil(job, c));
            const TLiquidCoil& coil = *job.Coil();
            EXPECT_NEAR(std::fabs(coil.Qt), c.Qt, 1e-6 * c.Qt);
            EXPECT_GE(std::fabs(coil.Qt), in.Duty);
            EXPECT_NEAR(coil.Va, va, 1e-9 * va);
            EXPECT_EQ(coil.Geometry->Rec.Model, c.Pattern.Name);
            EXPECT_LE(coil.AirPressureDrop(), in.Limits.MaxAirDp);
            EXPECT_LE(coil.LiquidPressureDrop(), in.Limits.MaxLiquidDp);
            EXPECT_TRUE(in.Limits.FaceVelocity.Contains(coil.Vf));
            EXPECT_TRUE(in.Limits.TubeVelocity.Contains(coil.LiquidState->vw)) << coil.LiquidState->vw;
        }
    }
}

// A job rated by the published air-side method is selected for by that method too: its own coil,
// taken as a candidate's inputs, rates as the job rated it.
TEST(JobSelection, TheJobsAirSideMethodComesWithItsInputs)
{
    test::KindJob built("hwc");
    TCoilJob& job = built.job;
    job.Coil()->SetAirSideMethod(TAirSideMethod::Published);
    job.Solve();
    ASSERT_TRUE(job.Solved());
    const TCoilInputs in = JobCoilInputs(job);
    EXPECT_EQ(in.AirSideMethod, TAirSideMethod::Published);
    EXPECT_NEAR(RateCoil(in).Qt, job.Coil()->Qt, 1e-9 * std::fabs(job.Coil()->Qt));
}

} // namespace zmk
