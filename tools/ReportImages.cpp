// zmk_report_images DATA_DIR: draws the installed report and help pictures into DATA_DIR
// (Report/ and Help/Images/). Every shape is drawn at four times the final size and averaged
// down, which smooths the edges of the plain raster drawing.
#include "reports/Gif.h"
#include "reports/Png.h"
#include "reports/RasterCanvas.h"
#include "reports/ReportPage.h"
#include "reports/TempProfile.h"
#include "reports/Typeface.h"

#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace zmk;

namespace {

constexpr int kSuper = 4;

constexpr TColor kInk = TColor::FromRgb(0x263238);
constexpr TColor kGrey = TColor::FromRgb(0x78909C);
constexpr TColor kLightGrey = TColor::FromRgb(0xCFD8DC);
constexpr TColor kTeal = TColor::FromRgb(0x1F6F7A);
constexpr TColor kPaleTeal = TColor::FromRgb(0xE3F0F2);
constexpr TColor kFin = TColor::FromRgb(0x9CC5CB);
constexpr TColor kCopper = TColor::FromRgb(0xC06A35);
constexpr TColor kOrange = TColor::FromRgb(0xE07B39);
constexpr TColor kHot = TColor::FromRgb(0xD32F2F);
constexpr TColor kCold = TColor::FromRgb(0x2E7D32);
constexpr TColor kBlue = TColor::FromRgb(0x1565C0);

enum class Align { Left, Centre, Right };

// A drawing in final-size coordinates on a picture four times as large.
class Sketch
{
public:
    Sketch(int width, int height, TTypeface& regular, TTypeface& bold)
        : width_(width), height_(height), big_(width * kSuper, height * kSuper), regular_(big_, regular),
          bold_(big_, bold)
    {
    }

    void line(double x1, double y1, double x2, double y2, TColor c, double w = 1,
              TPenStyle style = TPenStyle::Solid)
    {
        pen(c, w, style);
        regular_.Line(p(x1), p(y1), p(x2), p(y2));
        // Round caps: the wide pen of the big picture is square, so close the ends.
        if (style == TPenStyle::Solid && w * kSuper >= 3) {
            disc(x1, y1, w / 2, c);
            disc(x2, y2, w / 2, c);
        }
    }
    void polyline(const std::vector<std::pair<double, double>>& pts, TColor c, double w = 1)
    {
        for (size_t i = 1; i < pts.size(); ++i)
            line(pts[i - 1].first, pts[i - 1].second, pts[i].first, pts[i].second, c, w);
    }
    void rect(double x1, double y1, double x2, double y2, TColor outline, TColor fill, double w = 1)
    {
        pen(outline, w);
        regular_.Brush = TBrush{fill, TBrushStyle::Solid};
        regular_.Rectangle(p(x1), p(y1), p(x2), p(y2));
    }
    void fill(double x1, double y1, double x2, double y2, TColor c)
    {
        regular_.Brush = TBrush{c, TBrushStyle::Solid};
        regular_.FillRect(p(x1), p(y1), p(x2), p(y2));
    }
    void ellipse(double cx, double cy, double rx, double ry, TColor outline, TColor fill, double w = 1,
                 bool filled = true)
    {
        pen(outline, w);
        regular_.Brush = TBrush{fill, filled ? TBrushStyle::Solid : TBrushStyle::Clear};
        regular_.Ellipse(p(cx - rx), p(cy - ry), p(cx + rx), p(cy + ry));
    }
    void disc(double cx, double cy, double r, TColor c) { ellipse(cx, cy, r, r, c, c, 0); }
    void polygon(const std::vector<std::pair<double, double>>& pts, TColor outline, TColor fill, double w = 1,
                 bool filled = true)
    {
        std::vector<TPoint> big;
        for (const auto& [x, y] : pts)
            big.push_back({p(x), p(y)});
        pen(outline, w);
        regular_.Brush = TBrush{fill, filled ? TBrushStyle::Solid : TBrushStyle::Clear};
        regular_.Polygon(big);
    }
    // An arc of an ellipse from angle a0 to a1 (degrees, 0 = right, counter-clockwise on screen).
    void arc(double cx, double cy, double rx, double ry, double a0, double a1, TColor c, double w = 1)
    {
        std::vector<std::pair<double, double>> pts;
        const int n = 24;
        for (int i = 0; i <= n; ++i) {
            const double a = (a0 + (a1 - a0) * i / n) * M_PI / 180;
            pts.emplace_back(cx + rx * std::cos(a), cy - ry * std::sin(a));
        }
        polyline(pts, c, w);
    }
    void arrow(double x1, double y1, double x2, double y2, TColor c, double w = 1.5, double head = 7)
    {
        const double a = std::atan2(y2 - y1, x2 - x1);
        const double bx = x2 - head * std::cos(a), by = y2 - head * std::sin(a);
        line(x1, y1, bx, by, c, w);
        polygon({{x2, y2},
                 {bx + head * 0.45 * std::sin(a), by - head * 0.45 * std::cos(a)},
                 {bx - head * 0.45 * std::sin(a), by + head * 0.45 * std::cos(a)}},
                c, c, 0.5);
    }
    // A dimension line with arrows at both ends and its label.
    void dimension(double x1, double y1, double x2, double y2, const std::string& label, double size = 10)
    {
        arrow((x1 + x2) / 2, (y1 + y2) / 2, x1, y1, kGrey, 0.8, 5);
        arrow((x1 + x2) / 2, (y1 + y2) / 2, x2, y2, kGrey, 0.8, 5);
        if (y1 == y2)
            text((x1 + x2) / 2, y1 + 2, label, size, kInk, Align::Centre);
    }
    void text(double x, double y, const std::string& s, double size, TColor c, Align align = Align::Left,
              bool heavy = false)
    {
        TRasterCanvas& canvas = heavy ? bold_ : regular_;
        canvas.Font = TFont{c, static_cast<int>(std::lround(size * kSuper))};
        int left = p(x);
        if (align != Align::Left) {
            const int w = canvas.TextWidth(s);
            left -= align == Align::Centre ? w / 2 : w;
        }
        canvas.TextOut(left, p(y), s);
    }

    // The picture at its final size: each pixel the mean of its 4 x 4 block.
    TRasterImage finish() const
    {
        TRasterImage out(width_, height_);
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) {
                int r = 0, g = 0, b = 0;
                for (int dy = 0; dy < kSuper; ++dy)
                    for (int dx = 0; dx < kSuper; ++dx) {
                        const TColor c = big_.Pixel(x * kSuper + dx, y * kSuper + dy);
                        r += c.R;
                        g += c.G;
                        b += c.B;
                    }
                const int n = kSuper * kSuper;
                out.SetPixel(x, y,
                             TColor{std::uint8_t((r + n / 2) / n), std::uint8_t((g + n / 2) / n),
                                    std::uint8_t((b + n / 2) / n)});
            }
        return out;
    }

private:
    static int p(double v) { return static_cast<int>(std::lround(v * kSuper)); }
    void pen(TColor c, double w, TPenStyle style = TPenStyle::Solid)
    {
        regular_.Pen = TPen{c, std::max(1, static_cast<int>(std::lround(w * kSuper))), style};
        if (w <= 0)
            regular_.Pen.Style = TPenStyle::Clear;
    }

    int width_, height_;
    TRasterImage big_;
    TRasterCanvas regular_;
    TRasterCanvas bold_;
};

// ---- the program's logo ------------------------------------------------------------------------

TRasterImage drawLogo(TTypeface& regular, TTypeface& bold)
{
    Sketch s(180, 60, regular, bold);
    s.rect(6, 6, 54, 54, kTeal, kTeal);
    // Plate fins behind a three-pass serpentine tube.
    for (double x = 12; x < 50; x += 4)
        s.line(x, 10, x, 50, TColor::FromRgb(0x4F95A0), 0.8);
    s.line(12, 16, 44, 16, colors::White, 2.4);
    s.arc(44, 23, 7, 7, 90, -90, colors::White, 2.4);
    s.line(44, 30, 16, 30, colors::White, 2.4);
    s.arc(16, 37, 7, 7, 90, 270, colors::White, 2.4);
    s.line(16, 44, 48, 44, colors::White, 2.4);
    s.disc(12, 16, 2.6, kOrange);
    s.disc(48, 44, 2.6, kOrange);
    s.text(62, 5, "ZMK", 28, kInk, Align::Left, true);
    s.text(64, 39, "coil rating", 11, kOrange);
    return s.finish();
}

// ---- the general arrangement sketch ------------------------------------------------------------

TRasterImage drawGeneralArrangement(TTypeface& regular, TTypeface& bold)
{
    Sketch s(360, 232, regular, bold);
    s.text(8, 6, "General arrangement", 11, kGrey, Align::Left, true);

    // Front view: casing, fin pack, header box with its two connections.
    const double x0 = 60, y0 = 40, x1 = 220, y1 = 190;
    s.rect(x0, y0, x1, y1, kInk, colors::White, 1.5);
    s.fill(x0 + 6, y0 + 6, x1 - 6, y1 - 6, kPaleTeal);
    for (double x = x0 + 8; x < x1 - 6; x += 3.2)
        s.line(x, y0 + 6, x, y1 - 6, kFin, 0.6);
    s.rect(x1, y0 + 4, x1 + 16, y1 - 4, kInk, kLightGrey, 1);
    s.rect(x1 + 16, y0 + 18, x1 + 34, y0 + 26, kInk, kCopper, 1);
    s.rect(x1 + 16, y1 - 26, x1 + 34, y1 - 18, kInk, kCopper, 1);
    s.rect(x1 + 34, y0 + 14, x1 + 37, y0 + 30, kInk, kInk, 0.5);
    s.rect(x1 + 34, y1 - 30, x1 + 37, y1 - 14, kInk, kInk, 0.5);
    s.text(x1 + 18, y0 + 2, "out", 9, kInk);
    s.text(x1 + 22, y1 - 14, "in", 9, kInk);
    s.text((x0 + x1) / 2, y0 - 17, "Front view", 10, kGrey, Align::Centre);

    // Dimensions of the fin pack.
    s.line(x0 + 6, y1 + 4, x0 + 6, y1 + 22, kGrey, 0.6);
    s.line(x1 - 6, y1 + 4, x1 - 6, y1 + 22, kGrey, 0.6);
    s.dimension(x0 + 6, y1 + 16, x1 - 6, y1 + 16, "Finned length");
    s.line(x0 - 22, y0 + 6, x0 - 4, y0 + 6, kGrey, 0.6);
    s.line(x0 - 22, y1 - 6, x0 - 4, y1 - 6, kGrey, 0.6);
    s.dimension(x0 - 14, y0 + 6, x0 - 14, y1 - 6, "");
    s.text(x0 - 18, (y0 + y1) / 2 - 14, "Fin", 10, kInk, Align::Right);
    s.text(x0 - 18, (y0 + y1) / 2, "height", 10, kInk, Align::Right);

    // Side view: four rows of staggered tubes across the depth, air flowing through.
    const double sx0 = 292, sx1 = 336;
    s.rect(sx0, y0, sx1, y1, kInk, colors::White, 1.5);
    s.fill(sx0 + 3, y0 + 6, sx1 - 3, y1 - 6, kPaleTeal);
    for (int row = 0; row < 4; ++row)
        for (double y = y0 + 14 + (row % 2) * 6; y < y1 - 8; y += 12)
            s.ellipse(sx0 + 8 + row * 9.5, y, 3, 3, kCopper, TColor::FromRgb(0xF3D2BC), 0.8);
    s.text((sx0 + sx1) / 2, y0 - 17, "Side view", 10, kGrey, Align::Centre);
    s.line(sx0 + 3, y1 + 4, sx0 + 3, y1 + 22, kGrey, 0.6);
    s.line(sx1 - 3, y1 + 4, sx1 - 3, y1 + 22, kGrey, 0.6);
    s.dimension(sx0 + 3, y1 + 16, sx1 - 3, y1 + 16, "Depth");
    for (double y : {80.0, 115.0, 150.0})
        s.arrow(266, y, 288, y, kBlue, 1.5, 6);
    s.text(277, 58, "Air", 10, kBlue, Align::Centre, true);
    return s.finish();
}

// ---- the coil drawing --------------------------------------------------------------------------

TRasterImage drawCoil(TTypeface& regular, TTypeface& bold)
{
    Sketch s(520, 360, regular, bold);
    // Cabinet projection: depth drawn at 30 degrees, half length.
    const double fx0 = 110, fy0 = 110, fx1 = 400, fy1 = 320; // front face (air entering side)
    const double dx = 70, dy = -48;                          // depth offset
    const TColor plate = TColor::FromRgb(0xECEFF1);
    // Top plate and right-hand tube plate.
    s.polygon({{fx0, fy0}, {fx0 + dx, fy0 + dy}, {fx1 + dx, fy0 + dy}, {fx1, fy0}}, kInk, plate, 1.2);
    s.polygon({{fx1, fy0}, {fx1 + dx, fy0 + dy}, {fx1 + dx, fy1 + dy}, {fx1, fy1}}, kInk,
              TColor::FromRgb(0xDDE3E6), 1.2);
    // Front face: casing flange and fin pack.
    s.rect(fx0, fy0, fx1, fy1, kInk, colors::White, 1.4);
    s.fill(fx0 + 8, fy0 + 8, fx1 - 8, fy1 - 8, kPaleTeal);
    for (double x = fx0 + 10; x < fx1 - 8; x += 3.0)
        s.line(x, fy0 + 8, x, fy1 - 8, kFin, 0.5);
    // Return bends on the tube plate: pairs of staggered rows joined by U-bends.
    const int rows = 4, high = 8;
    for (int r = 0; r < rows; ++r) {
        const double t = (r + 0.5) / rows;
        for (int k = 0; k < high; k += 2) {
            const double stagger = (r % 2) * 0.5;
            const double v0 = (k + 0.5 + stagger) / (high + 0.5), v1 = (k + 1.5 + stagger) / (high + 0.5);
            const double xa = fx1 + dx * t, ya = fy0 + dy * t + (fy1 - fy0) * v0;
            const double yb = fy0 + dy * t + (fy1 - fy0) * v1;
            s.arc(xa + 1, (ya + yb) / 2, 9, (yb - ya) / 2, 90, -90, kCopper, 2.2);
            s.ellipse(xa, ya, 3.2, 3.2, kCopper, TColor::FromRgb(0xF3D2BC), 0.8);
            s.ellipse(xa, yb, 3.2, 3.2, kCopper, TColor::FromRgb(0xF3D2BC), 0.8);
        }
    }
    // Headers on the left with their connections.
    for (int h = 0; h < 2; ++h) {
        const double hx = fx0 - 22 + h * 12, top = fy0 + 6 - h * 10, bottom = fy1 - 6 - h * 10;
        s.rect(hx - 5, top, hx + 5, bottom, kInk, kCopper, 0.8);
        const double ny = h == 0 ? bottom - 18 : top + 18;
        s.rect(hx - 40 + h * 0, ny - 5, hx - 5, ny + 5, kInk, kCopper, 0.8);
        s.rect(hx - 46, ny - 10, hx - 40, ny + 10, kInk, kInk, 0.5);
        for (double y = top + 12; y < bottom - 6; y += 24)
            s.line(hx + 5, y, fx0 + 2, y, kCopper, 1.4);
    }
    s.text(24, fy1 - 56, "Liquid in", 10, kInk);
    s.text(32, fy0 - 14, "Liquid out", 10, kInk);

    // Air flow into the face.
    for (double y : {170.0, 215.0, 260.0})
        s.arrow(fx0 + 60, y + 26, fx0 + 130, y - 14, kBlue, 2.2, 9);
    s.text(fx0 + 40, 300, "Air", 12, kBlue, Align::Left, true);

    // Callouts.
    const auto callout = [&](double x, double y, double tx, double ty, const std::string& label, Align a) {
        s.line(x, y, tx, ty, kGrey, 0.7);
        s.disc(x, y, 1.6, kGrey);
        s.text(tx + (a == Align::Right ? -3 : 3), ty - 7, label, 10, kInk, a);
    };
    callout(fx0 + 200, fy0 + 40, fx0 + 230, fy0 - 70, "Fins", Align::Left);
    callout(fx1 + dx * 0.6, fy0 + dy * 0.6 + 60, 500, fy0 - 30, "Return bends", Align::Right);
    callout(fx0 + 150, fy0 + dy / 2, fx0 + 120, fy0 - 80, "Casing", Align::Right);
    s.line(fx0 - 22, fy1 - 40, 70, 338, kGrey, 0.7);
    s.disc(fx0 - 22, fy1 - 40, 1.6, kGrey);
    s.text(70, 338, "Headers", 10, kInk, Align::Centre);
    s.text(10, 8, "Coil drawing", 12, kGrey, Align::Left, true);
    return s.finish();
}

// ---- the psychrometric chart -------------------------------------------------------------------

// Saturation pressure of water vapour, kPa: IF97 region 4 over water, Hyland-Wexler over ice.
double saturationPressure(double t)
{
    const double T = t + 273.15;
    if (t < 0.01) {
        const double lnp = -5674.5359 / T + 6.3925247 - 9.677843e-3 * T + 6.2215701e-7 * T * T +
                           2.0747825e-9 * T * T * T - 9.484024e-13 * T * T * T * T + 4.1635019 * std::log(T);
        return std::exp(lnp) / 1000;
    }
    const double n[] = {0,
                        1167.0521452767,
                        -724213.16703206,
                        -17.073846940092,
                        12020.82470247,
                        -3232555.0322333,
                        14.91510861353,
                        -4823.2657361591,
                        405113.40542057,
                        -0.23855557567849,
                        650.17534844798};
    const double th = T + n[9] / (T - n[10]);
    const double A = th * th + n[1] * th + n[2];
    const double B = n[3] * th * th + n[4] * th + n[5];
    const double C = n[6] * th * th + n[7] * th + n[8];
    const double x = 2 * C / (-B + std::sqrt(B * B - 4 * A * C));
    return x * x * x * x * 1000;
}

double moisture(double t, double rh, double P = 101.325) // g/kg dry air
{
    const double pw = rh * saturationPressure(t);
    return 621.945 * pw / (P - pw);
}

TRasterImage drawPsychrometricChart(TTypeface& regular, TTypeface& bold)
{
    Sketch s(520, 340, regular, bold);
    const double L = 40, R = 470, T = 30, B = 300;
    const double tMin = -10, tMax = 50, wMax = 30;
    const auto X = [&](double t) { return L + (t - tMin) / (tMax - tMin) * (R - L); };
    const auto Y = [&](double w) { return B - w / wMax * (B - T); };
    const auto satW = [&](double t) { return std::min(moisture(t, 1.0), wMax); };

    // Dry bulb lines up to saturation, moisture lines from saturation to the right edge.
    for (double t = tMin; t <= tMax; t += 5)
        s.line(X(t), B, X(t), Y(satW(t)), kLightGrey, t == 0 ? 0.9 : 0.6);
    for (double w = 2; w <= wMax; w += 2) {
        double t = tMin;
        while (t < tMax && moisture(t, 1.0) < w)
            t += 0.05;
        s.line(X(t), Y(w), R, Y(w), kLightGrey, 0.6);
    }
    // Enthalpy lines, kJ/kg dry air: from the saturation curve down to dry air.
    for (double h = -10; h <= 120; h += 10) {
        double t = tMin;
        while (t < tMax && 1.006 * t + moisture(t, 1.0) / 1000 * (2501 + 1.86 * t) < h)
            t += 0.02;
        const double ws = moisture(t, 1.0);
        const double tDry = h / 1.006;
        if (ws > wMax || t >= tMax)
            continue;
        const double tEnd = std::min(tDry, tMax);
        const double wEnd = tDry <= tMax ? 0 : (h - 1.006 * tMax) / (2501 + 1.86 * tMax) * 1000;
        s.line(X(t), Y(ws), X(tEnd), Y(wEnd), TColor::FromRgb(0xF2C3A0), 0.7);
        s.text(X(t) - 4, Y(ws) - 14, std::to_string(std::lround(h)), 8, kOrange, Align::Right);
    }
    // Relative humidity curves, 10 % to 90 %, then saturation.
    for (int rh = 10; rh <= 100; rh += 10) {
        std::vector<std::pair<double, double>> pts;
        for (double t = tMin; t <= tMax + 1e-9; t += 0.5) {
            const double w = moisture(t, rh / 100.0);
            if (w > wMax)
                break;
            pts.emplace_back(X(t), Y(w));
        }
        s.polyline(pts, rh == 100 ? kTeal : kFin, rh == 100 ? 1.8 : 0.8);
        if (rh < 100 && rh % 20 == 0 && !pts.empty()) {
            // Label each curve near its top end, inside the chart.
            const double t = std::min(tMax - 3.0, tMin + (pts.size() - 1) * 0.5 - 1.5);
            const double w = moisture(t, rh / 100.0);
            s.text(X(t) - 4, Y(w) - 14, std::to_string(rh) + "%", 8, kTeal, Align::Right);
        }
    }
    // Frame and scales.
    s.line(L, B, R, B, kInk, 1);
    s.line(R, B, R, T, kInk, 1);
    for (double t = tMin; t <= tMax; t += 5) {
        s.line(X(t), B, X(t), B + 4, kInk, 0.8);
        s.text(X(t), B + 6, std::to_string(std::lround(t)), 9, kInk, Align::Centre);
    }
    for (double w = 0; w <= wMax; w += 5) {
        s.line(R, Y(w), R + 4, Y(w), kInk, 0.8);
        s.text(R + 7, Y(w) - 6, std::to_string(std::lround(w)), 9, kInk);
    }
    s.text((L + R) / 2, B + 21, "Dry bulb temperature, °C", 10, kInk, Align::Centre);
    s.text(R + 4, T - 20, "Moisture, g/kg", 9, kInk, Align::Right);
    s.text(L, T - 22, "Psychrometric chart", 12, kTeal, Align::Left, true);
    s.text(L, T - 6, "Sea level, 101.325 kPa", 9, kGrey);
    s.text(X(9), Y(24), "Enthalpy, kJ/kg", 9, kOrange);
    s.text(X(30), Y(6.5), "Relative humidity", 9, kTeal);
    return s.finish();
}

// ---- pictures for the thermal summary of a job not yet solved ----------------------------------

TRasterImage drawCounterFlow(TTypeface& regular, TTypeface& bold)
{
    Sketch s(260, 190, regular, bold);
    s.text(130, 8, "Counter-flow heat recovery", 11, kInk, Align::Centre, true);
    s.rect(95, 40, 165, 160, kInk, kPaleTeal, 1.2);
    for (double x = 99; x < 163; x += 3.5)
        s.line(x, 42, x, 158, kFin, 0.5);
    s.arrow(12, 72, 250, 72, kHot, 3, 11);
    s.text(14, 52, "Hot air in", 10, kHot);
    s.text(246, 80, "cooler out", 10, kHot, Align::Right);
    s.arrow(250, 128, 12, 128, kCold, 3, 11);
    s.text(246, 134, "Liquid in", 10, kCold, Align::Right);
    s.text(14, 108, "warmer out", 10, kCold);
    s.text(130, 168, "Solve (F9) to rate the coil", 9, kGrey, Align::Centre);
    return s.finish();
}

TRasterImage drawFinAndTube(TTypeface& regular, TTypeface& bold)
{
    Sketch s(260, 190, regular, bold);
    s.text(130, 8, "Fins and tubes", 11, kInk, Align::Centre, true);
    // A fin plate seen face on: staggered rows of tubes, each in its fin collar.
    s.rect(70, 30, 190, 176, kTeal, kPaleTeal, 1.2);
    for (int row = 0; row < 4; ++row)
        for (double y = 46 + (row % 2) * 16; y < 170; y += 32) {
            const double x = 88 + row * 28;
            s.ellipse(x, y, 10, 10, kFin, TColor::FromRgb(0xD2E6E9), 1.2);
            s.ellipse(x, y, 7, 7, TColor::FromRgb(0x9A4F22), kCopper, 1);
            s.ellipse(x - 1.5, y - 1.5, 3, 3, TColor::FromRgb(0xE7A77C), TColor::FromRgb(0xE7A77C), 0);
        }
    for (double y : {60.0, 103.0, 146.0})
        s.arrow(14, y, 62, y, kBlue, 2, 8);
    s.text(16, 36, "Air", 10, kBlue, Align::Left, true);
    s.line(200, 60, 172, 78, kGrey, 0.7);
    s.text(204, 52, "Tube", 10, kInk);
    s.line(200, 122, 182, 132, kGrey, 0.7);
    s.text(204, 114, "Fin", 10, kInk);
    return s.finish();
}

TRasterImage drawHeatRecovery(TTypeface& regular, TTypeface& bold)
{
    Sketch s(260, 190, regular, bold);
    s.text(130, 8, "Heat recovery loop", 11, kInk, Align::Centre, true);
    // Exhaust duct with the coil, the loop, its pump and the heat user.
    s.rect(30, 30, 90, 180, kInk, TColor::FromRgb(0xF5F5F5), 1.2);
    s.rect(34, 90, 86, 130, kInk, kPaleTeal, 1);
    for (double x = 37; x < 85; x += 3)
        s.line(x, 91, x, 129, kFin, 0.5);
    for (double x : {45.0, 60.0, 75.0})
        s.arrow(x, 175, x, 140, kHot, 1.8, 7);
    s.arrow(60, 85, 60, 40, TColor::FromRgb(0xEF9A9A), 1.8, 7);
    s.polyline({{86, 98}, {200, 98}, {200, 60}}, kHot, 2.2);
    s.polyline({{200, 150}, {200, 122}, {86, 122}}, kCold, 2.2);
    s.rect(176, 60, 224, 150, kInk, TColor::FromRgb(0xFFF3E0), 1.2);
    s.text(200, 96, "Heat", 10, kInk, Align::Centre);
    s.text(200, 110, "user", 10, kInk, Align::Centre);
    s.ellipse(140, 122, 9, 9, kInk, colors::White, 1.2);
    s.polygon({{136, 117}, {136, 127}, {145, 122}}, kInk, kInk, 0.5);
    s.text(140, 134, "Pump", 9, kInk, Align::Centre);
    s.text(96, 30, "Exhaust", 10, kHot);
    s.text(96, 44, "to stack", 9, kGrey);
    return s.finish();
}

TRasterImage drawCircuit(TTypeface& regular, TTypeface& bold)
{
    Sketch s(260, 190, regular, bold);
    s.text(130, 8, "One serpentine circuit", 11, kInk, Align::Centre, true);
    const double x0 = 70, dxr = 40, y0 = 44, dy = 32;
    for (int r = 0; r < 4; ++r)
        for (int k = 0; k < 4; ++k)
            s.ellipse(x0 + r * dxr, y0 + k * dy + (r % 2) * 8, 6, 6, kGrey, colors::White, 1);
    std::vector<std::pair<double, double>> path;
    for (int r = 0; r < 4; ++r)
        for (int k = 0; k < 4; ++k) {
            const int kk = r % 2 == 0 ? k : 3 - k;
            path.emplace_back(x0 + r * dxr, y0 + kk * dy + (r % 2) * 8);
        }
    s.polyline(path, kCopper, 2.4);
    for (const auto& [x, y] : path)
        s.disc(x, y, 3, kCopper);
    s.arrow(24, path.front().second, path.front().first - 8, path.front().second, kCold, 2, 8);
    s.arrow(path.back().first + 8, path.back().second, 246, path.back().second, kHot, 2, 8);
    s.text(22, path.front().second - 18, "in", 10, kCold);
    s.text(246, path.back().second - 18, "out", 10, kHot, Align::Right);
    s.text(130, 174, "Air passes the rows from left to right", 9, kGrey, Align::Centre);
    return s.finish();
}

TRasterImage drawBlank()
{
    TRasterImage image(kProfileWidth, kProfileHeight);
    DrawRoundedFrame(image, 20, 20, colors::Gainsboro, colors::White);
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: zmk_report_images DATA_DIR\n");
        return 2;
    }
    try {
        const std::filesystem::path data = argv[1];
        const auto report = data / "Report";
        const auto images = data / "Help" / "Images";
        std::filesystem::create_directories(report);
        std::filesystem::create_directories(images);

        auto regular = LoadSansTypeface();
        std::unique_ptr<TTypeface> bold;
        const auto boldFile = regular->FileName().parent_path() / "DejaVuSans-Bold.ttf";
        bold = std::filesystem::exists(boldFile) ? std::make_unique<TTypeface>(boldFile)
                                                 : std::make_unique<TTypeface>(regular->FileName());

        WriteFileBytes(report / reportfiles::Logo, EncodeGif(drawLogo(*regular, *bold)));
        WritePngFile(report / reportfiles::Blank, drawBlank());
        WritePngFile(report / reportfiles::GeneralArrangement, drawGeneralArrangement(*regular, *bold));
        WritePngFile(report / reportfiles::PsyChart, drawPsychrometricChart(*regular, *bold));
        WritePngFile(report / reportfiles::CoilDrawing, drawCoil(*regular, *bold));
        WritePngFile(images / "counterflow.png", drawCounterFlow(*regular, *bold));
        WritePngFile(images / "fins-and-tubes.png", drawFinAndTube(*regular, *bold));
        WritePngFile(images / "heat-recovery.png", drawHeatRecovery(*regular, *bold));
        WritePngFile(images / "serpentine.png", drawCircuit(*regular, *bold));
        if (const char* preview = std::getenv("ZMK_LOGO_PREVIEW"))
            WritePngFile(preview, drawLogo(*regular, *bold));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zmk_report_images: %s\n", e.what());
        return 1;
    }
    return 0;
}
