// Coil selection on the job: every coil a selection returns, taken into the job and rated by its
// own Solve, gives the duty the selection found and keeps every limit.
#include "app/JobSelection.h"

#include "support/KindJob.h"
#include "support/SelectTestCandidate.h"

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

// "Use" as one step: undone, the job holds the coil, air flow and duty it had, not solved in
// between; redone, the used coil again; a step the coil has since moved away from is not offered.
TEST(JobSelection, UseIsOneStepThatUndoesAndRedoes)
{
    test::KindJob built("hwc");
    TCoilJob& job = built.job;
    ASSERT_TRUE(job.Solved());
    const TJobCoilState before = JobCoilState(job);
    const double dutyBefore = job.Coil()->Qt;
    const double vaBefore = job.Coil()->Va;

    const TSelectCandidate c = test::TypicalCandidate();
    TCoilUndo undo;
    EXPECT_FALSE(undo.CanUndo(job));
    EXPECT_EQ(undo.UndoCaption(job), "Undo");
    undo.Do(job, "Coil Selection", [&] { UseCandidate(job, c, vaBefore); });
    ASSERT_TRUE(job.Solved());
    ASSERT_TRUE(IsJobCoil(job, c));
    const double dutyUsed = job.Coil()->Qt;
    EXPECT_NE(dutyUsed, dutyBefore);
    EXPECT_TRUE(undo.CanUndo(job));
    EXPECT_FALSE(undo.CanRedo(job));
    EXPECT_EQ(undo.UndoCaption(job), "Undo Coil Selection");

    // The job is re-solved on the coil it had, and says so to its listeners.
    int solves = 0;
    const int id = job.Subscribe([&](const TJobNews& news) { solves += news.Has(jcResults) ? 1 : 0; });
    undo.Undo(job);
    job.Unsubscribe(id);
    EXPECT_GT(solves, 0);
    EXPECT_TRUE(job.Solved());
    EXPECT_TRUE(SameRecord(job.Coil()->Geometry->Rec, before.Rec));
    EXPECT_NEAR(job.Coil()->ma, before.AirMassFlow, 1e-12 * before.AirMassFlow);
    EXPECT_NEAR(job.Coil()->Qt, dutyBefore, 1e-9 * std::fabs(dutyBefore));
    EXPECT_FALSE(undo.CanUndo(job));
    EXPECT_EQ(undo.UndoCaption(job), "Undo");
    EXPECT_EQ(undo.RedoCaption(job), "Redo Coil Selection");

    undo.Redo(job);
    EXPECT_TRUE(IsJobCoil(job, c));
    EXPECT_NEAR(job.Coil()->Qt, dutyUsed, 1e-9 * std::fabs(dutyUsed));
    EXPECT_TRUE(undo.CanUndo(job));

    // Another change of the coil withdraws the step: undo would throw it away.
    job.Coil()->SetRows(3);
    EXPECT_FALSE(undo.CanUndo(job));
    const TJobCoilState edited = JobCoilState(job);
    undo.Undo(job);
    EXPECT_TRUE(SameRecord(job.Coil()->Geometry->Rec, edited.Rec));
}

} // namespace zmk
