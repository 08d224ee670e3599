// One version for the whole program: zemtor --version and the caption the pages quote.
#include "support/Zemtor.h"

#include "base/Version.h"

#include <gtest/gtest.h>

#include <regex>

namespace zmk::test {
namespace {

TEST(VersionTest, ZemtorPrintsTheProgramCaptionThatThePagesQuote)
{
    EXPECT_TRUE(std::regex_match(std::string(kFileVersion), std::regex("[0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+")));
    EXPECT_EQ(ProgramCaption(), std::string(kProductName) + " " + kFileVersion);

    ZemtorFolder folder;
    const ZemtorRun version = folder.Run("--version");
    EXPECT_EQ(version.rc, 0);
    EXPECT_EQ(version.out, ProgramCaption() + "\n");

    // The main report quotes it as the window's caption.
    const ZemtorRun report = folder.Run("report --view main --out out");
    ASSERT_EQ(report.rc, 0) << report.err;
    const std::string page = ReadFileBytes(folder / "out" / "MainReport.htm");
    EXPECT_NE(page.find(ProgramCaption()), std::string::npos);
}

} // namespace
} // namespace zmk::test
