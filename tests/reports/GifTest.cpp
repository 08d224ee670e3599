#include "reports/Gif.h"
#include "base/Errors.h"

#include "GifReader.h"

#include <gtest/gtest.h>

namespace zmk {
namespace {

TEST(Gif, EncodedImagesDecodeToTheSamePixels)
{
    // Few colours: kept exactly. 200 x 120 of noisy stripes is long enough for the code table
    // to fill and be cleared several times.
    TRasterImage image(200, 120);
    unsigned seed = 7;
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) {
            seed = seed * 1103515245u + 12345u;
            const int k = (seed >> 16) % 200;
            image.SetPixel(x, y, y < 20 ? colors::White : TColor{std::uint8_t(k), std::uint8_t(255 - k), 40});
        }
    EXPECT_EQ(testing::ReadGif(EncodeGif(image)).Bytes(), image.Bytes());

    TRasterImage tiny(1, 1, colors::Navy);
    EXPECT_EQ(testing::ReadGif(EncodeGif(tiny)).Pixel(0, 0), colors::Navy);
}

TEST(Gif, ManyColoursMapToTheNearestOfTheCommonOnes)
{
    // A full gradient has 1024 colours; each pixel ends up close to its own.
    TRasterImage image(64, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 64; ++x)
            image.SetPixel(x, y, TColor{std::uint8_t(x * 4), std::uint8_t(y * 16), 128});
    const auto decoded = testing::ReadGif(EncodeGif(image));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 64; ++x) {
            const TColor a = image.Pixel(x, y), b = decoded.Pixel(x, y);
            EXPECT_LE(std::abs(a.R - b.R) + std::abs(a.G - b.G) + std::abs(a.B - b.B), 24) << x << "," << y;
        }
    EXPECT_THROW(EncodeGif(TRasterImage()), ZmkError);
}

} // namespace
} // namespace zmk
