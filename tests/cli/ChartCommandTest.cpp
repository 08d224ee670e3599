// zemtor chart: the job's psychrometric chart into an SVG or PNG file.
#include "reports/PngReader.h"
#include "reports/PsyChart.h"

#include "support/Zemtor.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace zmk {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

// How often a text occurs.
int count(const std::string& text, const std::string& what)
{
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

TEST(ChartCommand, DrawsTheProcessAsSvgOrPng)
{
    const test::ZemtorFolder folder;
    const fs::path svg = folder.path() / "cwc.svg";
    test::ZemtorRun run = folder.Run("chart --kind cwc --svg '" + svg.string() + "'");
    ASSERT_EQ(run.rc, 0) << run.err;
    const std::string doc = test::ReadFileBytes(svg);
    EXPECT_THAT(doc, HasSubstr("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"800\" height=\"600\""));
    EXPECT_THAT(doc, HasSubstr(">Psychrometric chart, 101.325 kPa</text>"));
    EXPECT_THAT(doc, HasSubstr(">ADP ")); // the chilled water coil is wet
    EXPECT_THAT(doc, HasSubstr(">In 24.0 °C</text>"));
    EXPECT_EQ(count(doc, "<ellipse"), 3);

    // --set changes the job; the heat recovery chart runs up to its entering air.
    const fs::path hot = folder.path() / "hot.svg";
    run = folder.Run("chart --kind zmk --set edOnCoil=600 --svg '" + hot.string() + "'");
    ASSERT_EQ(run.rc, 0) << run.err;
    const std::string hotDoc = test::ReadFileBytes(hot);
    EXPECT_THAT(hotDoc, HasSubstr(">600</text>"));
    EXPECT_THAT(hotDoc, HasSubstr(">In 600 °C</text>"));
    EXPECT_THAT(hotDoc, ::testing::Not(HasSubstr(">ADP ")));

    // --step draws the slices: one more polyline, the thick process curve through 100 states.
    const fs::path step = folder.path() / "step.svg";
    run = folder.Run("chart --kind cwc --step --svg '" + step.string() + "'");
    ASSERT_EQ(run.rc, 0) << run.err;
    const std::string stepDoc = test::ReadFileBytes(step);
    EXPECT_THAT(stepDoc, HasSubstr("stroke-width=\"3\""));
    EXPECT_GT(stepDoc.size(), doc.size());

    const fs::path png = folder.path() / "hwc.png";
    run = folder.Run("chart --kind hwc --png '" + png.string() + "'");
    ASSERT_EQ(run.rc, 0) << run.err;
    const std::string bytes = test::ReadFileBytes(png);
    testing::PngFile picture;
    ASSERT_NO_THROW(picture = testing::ReadPng(std::vector<std::uint8_t>(bytes.begin(), bytes.end())));
    EXPECT_EQ(picture.Image.Width(), kPsyChartWidth);
    EXPECT_EQ(picture.Image.Height(), kPsyChartHeight);
    int entering = 0;
    for (int y = 0; y < picture.Image.Height(); ++y)
        for (int x = 0; x < picture.Image.Width(); ++x)
            entering += picture.Image.Pixel(x, y) == psycolors::Entering;
    EXPECT_GT(entering, 20);
}

TEST(ChartCommand, RefusesWithoutOneOutputAndSaysWhyAFileFails)
{
    const test::ZemtorFolder folder;
    test::ZemtorRun run = folder.Run("chart --kind cwc");
    EXPECT_NE(run.rc, 0);
    EXPECT_THAT(run.err, HasSubstr("--svg OUT.svg or --png OUT.png"));
    run = folder.Run("chart --svg a.svg --png a.png");
    EXPECT_NE(run.rc, 0);
    run = folder.Run("chart --svg '" + (folder.path() / "missing" / "a.svg").string() + "'");
    EXPECT_EQ(run.rc, 1);
    EXPECT_THAT(run.err, HasSubstr("a.svg"));
}

} // namespace
} // namespace zmk
