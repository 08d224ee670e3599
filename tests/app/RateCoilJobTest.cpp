// RateCoil against the program's own path: the job built from a kind's defaults and solved.
#include "engine/RateCoil.h"

#include "support/KindJob.h"

#include "app/CoilJob.h"
#include "app/JobSelection.h"
#include "app/JobSizing.h"
#include "engine/Sizing.h"
#include "engine/HeatExchanger.h"
#include "reports/CoilReports.h"

#include <gtest/gtest.h>

namespace zmk {

TEST(RateCoilJob, EachKindRatesAsTheJobDoes)
{
    for (const char* kind : {"zmk", "hwc", "cwc"}) {
        SCOPED_TRACE(kind);
        test::KindJob built(kind);
        TCoilJob& job = built.job;
        ASSERT_TRUE(job.Solved());
        const TCoilResult byJob = CoilResultOf(*job.Coil());
        TAdpDefault::Instance().Reset();

        const TCoilResult rated = RateCoil(TCoilInputs::Defaults(kind));
        ASSERT_TRUE(rated.Solved);
        EXPECT_EQ(rated.Status, byJob.Status);
        EXPECT_EQ(rated.Model, byJob.Model);
        EXPECT_EQ(rated.Qt, byJob.Qt);
        EXPECT_EQ(rated.Qs, byJob.Qs);
        EXPECT_EQ(rated.e, byJob.e);
        EXPECT_EQ(rated.Ntu, byJob.Ntu);
        EXPECT_EQ(rated.Uo, byJob.Uo);
        EXPECT_EQ(rated.UoDuty, byJob.UoDuty);
        EXPECT_EQ(rated.AirOut.db, byJob.AirOut.db);
        EXPECT_EQ(rated.AirOut.w, byJob.AirOut.w);
        EXPECT_EQ(rated.tfo, byJob.tfo);
        EXPECT_EQ(rated.mw, byJob.mw);
        EXPECT_EQ(rated.AirDp, byJob.AirDp);
        EXPECT_EQ(rated.LiquidDp, byJob.LiquidDp);
        EXPECT_EQ(rated.ADP, byJob.ADP);
        EXPECT_EQ(rated.Warnings.size(), byJob.Warnings.size());
    }
}

// The coils' page sections read a rating's value result: written from RateCoil's result they are
// the job's own sections, line for line, solved or not (a hot water coil whose water would boil
// shows the reason and "Not solved...").
TEST(RateCoilJob, PageSectionsFromTheRatingAreTheJobsSections)
{
    struct Case
    {
        const char* kind;
        double airOn; ///< entering dry bulb, °C; 0 keeps the kind's default
    };
    for (const Case& c : {Case{"zmk", 0}, Case{"hwc", 0}, Case{"cwc", 0}, Case{"hwc", 900}}) {
        SCOPED_TRACE(std::string(c.kind) + " " + std::to_string(c.airOn));
        test::KindJob built(c.kind, false);
        TCoilJob& job = built.job;
        if (c.airOn != 0)
            job.EnterField(TEntryField::edOnCoil, c.airOn);
        job.ApplyInputs();
        const TCoilInputs inputs = JobCoilInputs(job);
        job.Solve();
        ASSERT_EQ(job.Solved(), c.airOn == 0);
        std::vector<std::string> report, diagnostics, summary;
        WriteCoilReport(*job.Coil(), report);
        WriteCoilDiagnostics(*job.Coil(), diagnostics);
        WriteCoilThermalSummary(*job.Coil(), summary);
        TAdpDefault::Instance().Reset();

        const TCoilResult rated = RateCoil(inputs);
        ASSERT_EQ(rated.Solved, c.airOn == 0) << rated.Reason << rated.Error;
        std::vector<std::string> ratedReport, ratedDiagnostics, ratedSummary;
        WriteCoilReport(rated, *job.Coil()->Geometry, ratedReport);
        WriteCoilDiagnostics(rated, *job.Coil()->Geometry, ratedDiagnostics);
        WriteCoilThermalSummary(rated, ratedSummary);
        EXPECT_EQ(ratedReport, report);
        EXPECT_EQ(ratedDiagnostics, diagnostics);
        EXPECT_EQ(ratedSummary, summary);
        if (c.airOn != 0) {
            EXPECT_EQ(ratedSummary.back(), "<pre id=\"status\">Not solved...</pre>");
        }
    }
}

TEST(RateCoilJob, SizingFromValuesGivesTheJobsSizedCoil)
{
    struct Case
    {
        const char* kind;
        TAutoSize mode;
        bool keepAirflow;
        double duty;
    };
    for (const Case& c : {Case{"hwc", TAutoSize::FaceArea, false, 150}, Case{"zmk", TAutoSize::Rows, true, 200},
                          Case{"cwc", TAutoSize::RowsFins, false, 60}, Case{"hwc", TAutoSize::Length, true, 40}}) {
        SCOPED_TRACE(std::string(c.kind) + " " + AutoSizeModeName(c.mode));
        test::KindJob built(c.kind, false);
        TCoilJob& job = built.job;
        job.ApplyInputs();
        const TAutoSizeResult byJob = SizeJobCoil(job, c.mode, c.keepAirflow, c.duty);
        TLiquidCoil& coil = *job.Coil();
        TAdpDefault::Instance().Reset();

        const TSizeRun run = SizeCoil(TCoilInputs::Defaults(c.kind), c.mode, c.keepAirflow, c.duty);
        EXPECT_EQ(run.Sizing.Status, byJob.Status);
        EXPECT_EQ(run.Sizing.Message, byJob.Message);
        EXPECT_EQ(run.Rating.Solved, job.Solved());
        EXPECT_EQ(run.fHeight, coil.GetFinHeight());
        EXPECT_EQ(run.fLength, coil.GetFinnedLength());
        EXPECT_EQ(run.Rows, coil.GetRows());
        EXPECT_EQ(run.fpi, coil.GetFinDensity());
        EXPECT_EQ(run.Circ, coil.GetCircuits());
        EXPECT_NEAR(run.Rating.Qt, coil.Qt, 1e-9 * coil.Qt);
        EXPECT_NEAR(run.Rating.Vf, coil.Vf, 1e-12);
    }
}

} // namespace zmk
