// The static view: what a live view shows or replaces is written into the saved page, so that the
// page looks the same when it is opened in a browser later.
#include "reports/HtmlView.h"

#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace zmk {

namespace {

std::string Read(const std::filesystem::path& file)
{
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(file, bytes));
    return bytes;
}

} // namespace

TEST(StaticHtmlView, HidesShowsAndReplacesInThePageFile)
{
    testing::TempDir dir;
    TPageLines page;
    page.AddLines({"<html><body>", "<pre>x</pre>", "<pre id=\"status\">Not solved...</pre>",
                   "<img id=\"pimage\" src=\"blank.png\" height=\"200\" width=\"200\">", "<img id=\"nosrc\">",
                   "</body></html>"});
    const auto file = dir / "thermal.htm";
    page.SavePage(file);

    TStaticHtmlView view;
    ShowPage(view, file);
    EXPECT_EQ(view.DocumentFileName(), file);

    view.SetElementDisplay("status", false);
    EXPECT_THAT(Read(file),
                ::testing::HasSubstr("<pre style=\"display:none\" id=\"status\">Not solved...</pre>\r\n"));
    view.SetElementDisplay("status", false); // once is enough
    EXPECT_EQ(Read(file).find("display:none"), Read(file).rfind("display:none"));
    view.SetElementDisplay("status", true);
    EXPECT_EQ(Read(file), page.Text());
    view.SetElementDisplay("missing", false);
    EXPECT_EQ(Read(file), page.Text());

    const std::vector<std::uint8_t> png{0x89, 'P', 'N', 'G'};
    view.ReplaceImage("pimage", png);
    EXPECT_THAT(
        Read(file),
        ::testing::HasSubstr("<img id=\"pimage\" src=\"thermal-pimage.png\" height=\"200\" width=\"200\">"));
    EXPECT_EQ(Read(dir / "thermal-pimage.png"), std::string("\x89PNG"));
    view.ReplaceImage("nosrc", png);
    EXPECT_THAT(Read(file), ::testing::HasSubstr("<img src=\"thermal-nosrc.png\" id=\"nosrc\">"));
    view.ReplaceImage("status", png); // not an image: nothing happens
    EXPECT_FALSE(std::filesystem::exists(dir / "thermal-status.png"));

    // A page that cannot be written back is an error.
    std::filesystem::remove_all(dir.path());
    EXPECT_THROW(view.SetElementDisplay("status", false), EReportFileError);
}

} // namespace zmk
