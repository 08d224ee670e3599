// zemtor step --png: the step-by-step chart drawn into a PNG file as the chart window draws it.
#include "reports/PngReader.h"

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

int RunZemtor(const fs::path& dir, const std::string& args, std::string& err)
{
    const std::string d = dir.string();
    const fs::path errFile = dir / "stderr.txt";
    const std::string command = "HOME='" + d + "' XDG_DATA_HOME='" + d + "' ZMK_CONFIG_DIR='" + d +
                                "' ZMK_COMMON_DIR='" + d + "/common/' '" ZMK_ZEMTOR "' " + args +
                                " >/dev/null 2>'" + errFile.string() + "'";
    const int status = std::system(command.c_str());
    std::ifstream in(errFile);
    err.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(StepChartPng, StepCommandDrawsTheThreeCurvesAndTheLegend)
{
    const fs::path dir = fs::temp_directory_path() / ("zmk-steppng-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "common");
    fs::copy_file(ZMK_SOURCE_DIR "/data/Common Files/CoilMakers.xml", dir / "common" / "CoilMakers.xml");

    std::string err;
    ASSERT_EQ(RunZemtor(dir, "step --png '" + (dir / "chart.png").string() + "'", err), 0) << err;
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
    EXPECT_EQ(RunZemtor(dir, "step --png '" + (dir / "missing" / "chart.png").string() + "'", err), 1);
    EXPECT_THAT(err, ::testing::HasSubstr("chart.png"));
    fs::remove_all(dir);
}

} // namespace zmk
