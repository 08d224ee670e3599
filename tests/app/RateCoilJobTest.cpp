// RateCoil against the program's own path: the job built from a kind's defaults and solved.
#include "engine/RateCoil.h"

#include "app/CoilJob.h"
#include "base/Notifier.h"
#include "engine/HeatExchanger.h"

#include <gtest/gtest.h>

namespace zmk {

TEST(RateCoilJob, EachKindRatesAsTheJobDoes)
{
    for (const char* kind : {"zmk", "hwc", "cwc"}) {
        SCOPED_TRACE(kind);
        TAdpDefault::Instance().Reset();
        RecordingNotifier notes;
        TCoilJob job(&notes);
        job.KindCode = kind;
        job.SetKindDefaults();
        job.BuildCoil(true);
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

} // namespace zmk
