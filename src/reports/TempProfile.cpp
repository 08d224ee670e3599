#include "reports/TempProfile.h"

#include "reports/Png.h"
#include "reports/ReportPage.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace zmk {

TProfileStreams ProfileStreams(bool AirCooling, double airOn, double airOff, double liquidIn,
                               double liquidOut, std::string_view liquidShortName,
                               const std::function<std::string(double)>& temperatureText)
{
    TProfileStreams s;
    if (AirCooling) {
        s.HotName = "Hot Air";
        s.ColdName = std::string(liquidShortName);
        s.T1 = airOn;
        s.T2 = airOff;
        s.T3 = liquidIn;
        s.T4 = liquidOut;
    } else {
        s.HotName = std::string(liquidShortName);
        s.ColdName = "Cold Air";
        s.T1 = liquidIn;
        s.T2 = liquidOut;
        s.T3 = airOn;
        s.T4 = airOff;
    }
    s.T1Text = temperatureText(s.T1);
    s.T2Text = temperatureText(s.T2);
    s.T3Text = temperatureText(s.T3);
    s.T4Text = temperatureText(s.T4);
    return s;
}

namespace {

// A line end truncated toward zero, held within +-30000 pixels so a stream that runs far off
// the picture is still drawn quickly and without overflow.
int truncPixel(double v)
{
    constexpr double kLimit = 30000;
    return static_cast<int>(std::trunc(std::clamp(v, -kLimit, kLimit)));
}

} // namespace

std::optional<TProfileLayout> ProfileLayout(const TProfileStreams& s, TTypeface& typeface)
{
    constexpr int W = kProfileWidth, H = kProfileHeight;
    if (!std::isfinite(s.T1) || !std::isfinite(s.T2) || !std::isfinite(s.T3) || !std::isfinite(s.T4) ||
        s.T1 == s.T3)
        return std::nullopt;
    const double scale = (H - 30) / (s.T1 - s.T3);
    if (!std::isfinite(scale))
        return std::nullopt;

    TProfileLayout l;
    l.Scale = scale;
    l.YHotOut = truncPixel(15 + (s.T1 - s.T2) * scale);
    l.YColdOut = truncPixel((H - 15) - (s.T4 - s.T3) * scale);
    const auto centred = [&](const std::string& name, int yStart, int yEnd) {
        return TProfileLayout::Text{name, (W - typeface.TextWidth(name, kProfileFontSize)) / 2,
                                    (yStart + yEnd) / 2 - 20};
    };
    l.HotName = centred(s.HotName, 15, l.YHotOut);
    l.ColdName = centred(s.ColdName, l.YColdOut, H - 15);
    l.T1 = {s.T1Text, 26, 7};
    l.T2 = {s.T2Text, W - 34, l.YHotOut - 25};
    l.T4 = {s.T4Text, 26, l.YColdOut - 15};
    l.T3 = {s.T3Text, W - 34, H - 35};
    return l;
}

void DrawRoundedFrame(TRasterImage& image, int cornerWidth, int cornerHeight, TColor outline, TColor fill)
{
    const int W = image.Width(), H = image.Height();
    const double rx = std::min(cornerWidth, W) / 2.0, ry = std::min(cornerHeight, H) / 2.0;
    // A pixel belongs to the shape when its centre lies inside the rectangle with its corners
    // rounded by quarter ellipses of radii rx, ry.
    const auto inside = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= W || y >= H)
            return false;
        const double px = x + 0.5, py = y + 0.5;
        const double cx = px < rx ? rx : (px > W - rx ? W - rx : px);
        const double cy = py < ry ? ry : (py > H - ry ? H - ry : py);
        if (rx <= 0 || ry <= 0)
            return true;
        const double u = (px - cx) / rx, v = (py - cy) / ry;
        return u * u + v * v <= 1.0;
    };
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            if (!inside(x, y))
                continue;
            const bool edge =
                !inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) || !inside(x, y + 1);
            image.SetPixel(x, y, edge ? outline : fill);
        }
}

void DrawProfileLine(TRasterImage& image, int x1, int y1, int x2, int y2, TColor L)
{
    if (y1 == y2 || x1 == x2) {
        const int dx = std::abs(x2 - x1), sx = x1 < x2 ? 1 : -1;
        const int dy = std::abs(y2 - y1), sy = y1 < y2 ? 1 : -1;
        for (int i = 0; i <= std::max(dx, dy); ++i)
            image.SetPixel(x1 + (dx ? i * sx : 0), y1 + (dy ? i * sy : 0), L);
        return;
    }
    if (y1 > y2) {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    image.SetPixel(x1, y1, L);
    const int dx = x2 - x1;
    const int step = dx > 0 ? 1 : -1;
    const int ax = std::abs(dx);
    const int dy = y2 - y1;

    const auto mix = [](int l, int p, int w) {
        return static_cast<std::uint8_t>(((255 - w) * l + w * p) / 256);
    };
    const auto near = [&](int x, int y, int w) {
        const TColor P = image.Pixel(x, y);
        image.SetPixel(x, y, TColor{mix(L.R, P.R, w), mix(L.G, P.G, w), mix(L.B, P.B, w)});
    };
    const auto far = [&](int x, int y, int w) {
        const TColor P = image.Pixel(x, y);
        image.SetPixel(x, y, TColor{mix(P.R, L.R, w), mix(P.G, L.G, w), mix(P.B, L.B, w)});
    };

    int x = x1, y = y1;
    std::uint16_t a = 0;
    if (ax < dy) {
        const auto g = static_cast<std::uint16_t>((static_cast<std::int64_t>(ax) << 16) / dy);
        for (int i = 0; i < dy - 1; ++i) {
            const auto next = static_cast<std::uint16_t>(a + g);
            if (next <= a)
                x += step;
            ++y;
            const int w = next >> 8;
            near(x, y, w);
            far(x + step, y, w);
            a = next;
        }
    } else {
        const auto g = static_cast<std::uint16_t>((static_cast<std::int64_t>(dy) << 16) / ax);
        for (int i = 0; i < ax - 1; ++i) {
            const auto next = static_cast<std::uint16_t>(a + g);
            if (next <= a)
                ++y;
            x += step;
            const int w = next >> 8;
            near(x, y, w);
            far(x, y + 1, w);
            a = next;
        }
    }
    image.SetPixel(x2, y2, L);
}

std::optional<TRasterImage> DrawTemperatureProfile(const TProfileStreams& s, TTypeface& typeface)
{
    const auto layout = ProfileLayout(s, typeface);
    if (!layout)
        return std::nullopt;
    constexpr int W = kProfileWidth, H = kProfileHeight;
    TRasterImage image(W, H, colors::White);
    DrawRoundedFrame(image, 20, 20, colors::Gainsboro, colors::White);
    DrawProfileLine(image, 10, 15, W - 10, layout->YHotOut, colors::Red);
    DrawProfileLine(image, 10, layout->YColdOut, W - 10, H - 15, colors::Green);
    for (const auto* t :
         {&layout->HotName, &layout->ColdName, &layout->T1, &layout->T2, &layout->T4, &layout->T3})
        typeface.DrawText(image, t->X, t->Y, t->Value, kProfileFontSize, colors::Black);
    return image;
}

bool WriteTemperatureProfile(const TProfileStreams& streams, TTypeface& typeface,
                             const std::filesystem::path& reportFolder, IHtmlView* view,
                             std::vector<std::uint8_t>* png)
{
    const auto image = DrawTemperatureProfile(streams, typeface);
    if (!image)
        return false;
    auto bytes = EncodePng(*image);
    if (view)
        view->ReplaceImage(kProfileImage, bytes);
    WriteFileBytes(reportFolder / reportfiles::Profile, bytes);
    if (png)
        *png = std::move(bytes);
    return true;
}

} // namespace zmk
