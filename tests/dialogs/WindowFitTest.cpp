// A window's place held within the screen's available area.
#include "dialogs/WindowFit.h"

#include <gtest/gtest.h>

namespace zmk {
namespace {

TEST(WindowFit, SizeCutAndFrameMovedInside)
{
    // 1280 x 1024 at a scale of 1.5 gives 853 x 682 device-independent pixels, less a 30-pixel panel.
    const TWindowPlace area{0, 30, 853, 652};
    const struct
    {
        TWindowPlace in;
        TWindowPlace out;
    } cases[] = {
        // Fits already: unchanged.
        {{10, 40, 400, 300}, {10, 40, 400, 300}},
        // The report preview's 800 x 700: cut to the area less the frame, top at the area's top.
        {{20, 10, 800, 700}, {20, 30, 800, 652 - 36}},
        // Wider and taller than the area: both cut, moved to the corner.
        {{300, 300, 900, 720}, {0, 30, 853 - 8, 652 - 36}},
        // Off the right and bottom edges: moved back in, size kept.
        {{700, 600, 300, 200}, {853 - 300 - 8, 30 + 652 - 200 - 36, 300, 200}},
        // Off to the left and above: moved in.
        {{-50, -20, 300, 200}, {0, 30, 300, 200}},
    };
    for (const auto& c : cases) {
        const TWindowPlace r = FitWithin(c.in, area, 8, 36);
        EXPECT_EQ(r.Left, c.out.Left) << c.in.Left << "," << c.in.Top;
        EXPECT_EQ(r.Top, c.out.Top) << c.in.Left << "," << c.in.Top;
        EXPECT_EQ(r.Width, c.out.Width) << c.in.Width;
        EXPECT_EQ(r.Height, c.out.Height) << c.in.Height;
        EXPECT_LE(r.Left + r.Width + 8, area.Left + area.Width);
        EXPECT_LE(r.Top + r.Height + 36, area.Top + area.Height);
    }
    // No screen known: nothing changes.
    const TWindowPlace same = FitWithin({5, 6, 7000, 8000}, {}, 8, 36);
    EXPECT_EQ(same.Width, 7000);
    EXPECT_EQ(same.Left, 5);
}

} // namespace
} // namespace zmk
