// zemtor step --png: the step-by-step chart drawn into a PNG file as the chart window draws it.
#include "reports/PngReader.h"

#include "support/Zemtor.h"
#include <gmock/gmock.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace zmk {

namespace fs = std::filesystem;

namespace {

// Runs zemtor in the folder; its messages go to err.
int RunZemtor(const test::ZemtorFolder& folder, const std::string& args, std::string& err)
{
    const test::ZemtorRun run = folder.Run(args + " >/dev/null");
    err = run.err;
    return run.rc;
}

} // namespace

TEST(StepChartPng, StepCommandDrawsTheThreeCurvesAndTheLegend)
{
    const test::ZemtorFolder folder;
    const fs::path& dir = folder.path();

    std::string err;
    ASSERT_EQ(RunZemtor(folder, "step --png '" + (dir / "chart.png").string() + "'", err), 0) << err;
    std::ifstream in(dir / "chart.png", std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                          std::istreambuf_iterator<char>()};
    testing::PngFile png;
    ASSERT_NO_THROW(png = testing::ReadPng(bytes));
    const TRasterImage& image = png.Image;
    EXPECT_GT(image.Width(), 720);
    EXPECT_EQ(image.Height(), 480);

    // The plot's curves in their series colours (fluid red, air green, surface navy), on white.
    int red = 0, green = 0, navy = 0, white = 0;
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < 720; ++x) {
            const TColor c = image.Pixel(x, y);
            red += c == colors::Red;
            green += c == colors::Green;
            navy += c == colors::Navy;
            white += c == colors::White;
        }
    EXPECT_GT(red, 400);
    EXPECT_GT(green, 400);
    EXPECT_GT(navy, 400);
    EXPECT_GT(white, 720 * 480 / 2);

    // A file that cannot be written is an error with the file's name.
    EXPECT_EQ(RunZemtor(folder, "step --png '" + (dir / "missing" / "chart.png").string() + "'", err), 1);
    EXPECT_THAT(err, ::testing::HasSubstr("chart.png"));
}

} // namespace zmk
