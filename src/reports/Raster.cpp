#include "reports/Raster.h"

#include "base/Errors.h"

#include <algorithm>

namespace zmk {

namespace {
// Large enough for any page picture, small enough that a bad size cannot exhaust memory.
constexpr long long kMaxPixels = 64LL * 1024 * 1024;
} // namespace

TRasterImage::TRasterImage(int width, int height, TColor fill)
{
    if (width < 0 || height < 0 || static_cast<long long>(width) * height > kMaxPixels)
        throw ZmkError("TRasterImage",
                       "Invalid image size " + std::to_string(width) + " x " + std::to_string(height) + ".");
    width_ = width;
    height_ = height;
    rgb_.resize(static_cast<size_t>(width) * height * 3);
    Fill(fill);
}

TColor TRasterImage::Pixel(int x, int y) const
{
    if (!Contains(x, y))
        return colors::White;
    const size_t i = (static_cast<size_t>(y) * width_ + x) * 3;
    return TColor{rgb_[i], rgb_[i + 1], rgb_[i + 2]};
}

void TRasterImage::SetPixel(int x, int y, TColor c)
{
    if (!Contains(x, y))
        return;
    const size_t i = (static_cast<size_t>(y) * width_ + x) * 3;
    rgb_[i] = c.R;
    rgb_[i + 1] = c.G;
    rgb_[i + 2] = c.B;
}

void TRasterImage::BlendPixel(int x, int y, TColor c, int coverage)
{
    if (!Contains(x, y) || coverage <= 0)
        return;
    coverage = std::min(coverage, 255);
    const size_t i = (static_cast<size_t>(y) * width_ + x) * 3;
    const std::uint8_t src[3] = {c.R, c.G, c.B};
    for (int k = 0; k < 3; ++k) {
        const int p = rgb_[i + k];
        rgb_[i + k] =
            static_cast<std::uint8_t>(p + ((src[k] - p) * coverage + (src[k] > p ? 127 : -127)) / 255);
    }
}

void TRasterImage::Fill(TColor c)
{
    for (size_t i = 0; i < rgb_.size(); i += 3) {
        rgb_[i] = c.R;
        rgb_[i + 1] = c.G;
        rgb_[i + 2] = c.B;
    }
}

} // namespace zmk
