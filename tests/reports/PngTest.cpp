#include "reports/Png.h"
#include "reports/ReportPage.h"

#include "PngReader.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <set>

namespace zmk {
namespace {

using testing::ReadPng;

TEST(Png, EncodedImagesDecodeToTheSamePixels)
{
    // Flat areas, gradients and noise, so the encoder picks several different row filters.
    TRasterImage image(37, 23);
    unsigned seed = 12345;
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) {
            seed = seed * 1103515245u + 12345u;
            TColor c = colors::White;
            if (y < 6)
                c = TColor{std::uint8_t(x * 7), std::uint8_t(y * 40), 0x55};
            else if (y < 12)
                c = TColor{std::uint8_t(seed >> 24), std::uint8_t(seed >> 16), std::uint8_t(seed >> 8)};
            else if (y < 18)
                c = TColor{std::uint8_t(x * 3 + y), std::uint8_t(x * 3 + y), std::uint8_t(255 - x)};
            image.SetPixel(x, y, c);
        }
    const auto png = EncodePng(image);
    const auto decoded = ReadPng(png);
    EXPECT_EQ(decoded.Chunks, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
    EXPECT_EQ(decoded.Image.Width(), 37);
    EXPECT_EQ(decoded.Image.Height(), 23);
    EXPECT_EQ(decoded.Image.Bytes(), image.Bytes());
    EXPECT_GE(std::set<int>(decoded.Filters.begin(), decoded.Filters.end()).size(), 2u);

    // The reader would notice a damaged byte through the CRC.
    auto damaged = png;
    damaged[20] ^= 0x01;
    EXPECT_THROW(ReadPng(damaged), std::runtime_error);

    // A one-pixel image is still a valid file.
    EXPECT_EQ(ReadPng(EncodePng(TRasterImage(1, 1, colors::Navy))).Image.Pixel(0, 0), colors::Navy);
}

TEST(Png, BadImagesAndFilesAreRefused)
{
    EXPECT_THROW(EncodePng(TRasterImage()), ZmkError);
    EXPECT_THROW(TRasterImage(-1, 5), ZmkError);
    EXPECT_THROW(TRasterImage(100000, 100000), ZmkError);
    testing::TempDir dir;
    EXPECT_THROW(WritePngFile(dir / "missing" / "x.png", TRasterImage(2, 2)), EReportFileError);
    WritePngFile(dir / "x.png", TRasterImage(2, 2));
    EXPECT_TRUE(std::filesystem::exists(dir / "x.png"));
}

} // namespace
} // namespace zmk
