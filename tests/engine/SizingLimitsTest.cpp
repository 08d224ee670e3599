// The area searches of the coil's sizing at the size limits: a length held at its limit while the
// duty is still far off is reported as a failed sizing, not as a sized coil.
#include "engine/CoilJob.h"

#include "engine/HeatExchanger.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zmk {
namespace {

using test::BuildJob;
using test::Defaults;

TEST(SizingLimitsTest, LengthHeldAtItsLimitIsNoSizedCoil)
{
    for (const char* kind : {"zmk", "hwc", "cwc"}) {
        SCOPED_TRACE(kind);
        auto job = BuildJob(Defaults(kind));
        TLiquidCoil& c = *job->coil;
        c.Solve();
        const double duty = std::fabs(c.Qt);
        const double va = c.Va;
        // Far more than 10 m of this coil can give at this air flow, and far less than 0.1 m gives.
        for (double target : {20 * duty, 0.01 * duty}) {
            auto fresh = BuildJob(Defaults(kind));
            TLiquidCoil& s = *fresh->coil;
            EXPECT_EQ(s.AutoLength(va, target), TSolveStatus::DataError) << target;
            EXPECT_GT(std::fabs(s.Qt - target), 1) << target;
            const double L = s.GetFinnedLength();
            EXPECT_TRUE(L == s.MaxLength || L == s.MinLength) << L;
        }
        // A duty the length range can give is still met.
        auto fresh = BuildJob(Defaults(kind));
        EXPECT_EQ(fresh->coil->AutoLength(va, 1.2 * duty), TSolveStatus::None);
        EXPECT_NEAR(fresh->coil->Qt, 1.2 * duty, 1e-4);
    }
}

} // namespace
} // namespace zmk
