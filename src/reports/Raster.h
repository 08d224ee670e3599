// A 24-bit colour raster image in memory: the picture the report images are drawn on before
// they are encoded as PNG. Pixels outside the image are ignored when written and read as
// white, so drawing code may run off the edges without checks.
#pragma once

#include <cstdint>
#include <vector>

namespace zmk {

/// An opaque RGB colour.
struct TColor
{
    std::uint8_t R = 0;
    std::uint8_t G = 0;
    std::uint8_t B = 0;

    /// The colour of a 0xRRGGBB value (the HTML "#RRGGBB" notation).
    static constexpr TColor FromRgb(std::uint32_t rgb)
    {
        return TColor{static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
                      static_cast<std::uint8_t>(rgb)};
    }
    constexpr std::uint32_t Rgb() const { return (std::uint32_t(R) << 16) | (std::uint32_t(G) << 8) | B; }
    friend constexpr bool operator==(TColor, TColor) = default;
};

namespace colors {
inline constexpr TColor Black = TColor::FromRgb(0x000000);
inline constexpr TColor White = TColor::FromRgb(0xFFFFFF);
inline constexpr TColor Red = TColor::FromRgb(0xFF0000);
inline constexpr TColor Green = TColor::FromRgb(0x008000);
inline constexpr TColor Navy = TColor::FromRgb(0x000080);
inline constexpr TColor Olive = TColor::FromRgb(0x808000);
inline constexpr TColor LightGray = TColor::FromRgb(0xD3D3D3);
inline constexpr TColor Gainsboro = TColor::FromRgb(0xDCDCDC);
} // namespace colors

/// A width x height picture of RGB pixels, row by row from the top.
class TRasterImage
{
public:
    TRasterImage() = default;
    /// A picture of the given size in pixels, filled with one colour.
    TRasterImage(int width, int height, TColor fill = colors::White);

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

    /// The pixel at (x, y); white outside the picture.
    TColor Pixel(int x, int y) const;
    /// Sets the pixel at (x, y); does nothing outside the picture.
    void SetPixel(int x, int y, TColor c);
    /// Mixes colour c into the pixel with coverage 0 (none) to 255 (full).
    void BlendPixel(int x, int y, TColor c, int coverage);
    /// Fills the whole picture with one colour.
    void Fill(TColor c);

    /// The pixel bytes, R G B per pixel, rows from the top without padding.
    const std::vector<std::uint8_t>& Bytes() const { return rgb_; }

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint8_t> rgb_;
};

} // namespace zmk
