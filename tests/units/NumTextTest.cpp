#include "units/NumText.h"

#include <gtest/gtest.h>

namespace zmk {

TEST(NumText, TrimsBlanks)
{
    EXPECT_EQ(Trim("  a b \t"), "a b");
}

} // namespace zmk
