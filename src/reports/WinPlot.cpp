#include "reports/WinPlot.h"

#include "base/NumText.h"

#include <algorithm>
#include <cmath>

namespace zmk {

namespace {

constexpr int kOffPicture = 30000; // the pixel value of a point beyond the clip limit
constexpr long kMaxTicks = 1000;   // an axis with more ticks than this has a step too small to draw

int roundPixel(double v)
{
    if (!std::isfinite(v) || std::fabs(v) > kOffPicture)
        return kOffPicture;
    return static_cast<int>(std::nearbyint(v)); // ties to even in the default rounding mode
}

// The number of tick steps over a range; -1 when the step does not divide it into a drawable
// number of ticks (a zero, negative or undefined step or range).
long tickCount(double min, double max, double step)
{
    if (!(step > 0) || !std::isfinite(step) || !std::isfinite(min) || !std::isfinite(max))
        return -1;
    const double n = std::nearbyint((max - min) / step);
    if (!(n >= 0) || n > kMaxTicks)
        return -1;
    return static_cast<long>(n);
}

} // namespace

std::string AxisNumberText(double value)
{
    std::string s = Format("%10.4f", value);
    if (s.find('.') != std::string::npos) {
        while (!s.empty() && s.back() == '0')
            s.pop_back();
        if (!s.empty() && s.back() == '.')
            s.pop_back();
    }
    s = Trim(s);
    if (s == "-0")
        s = "0";
    return s;
}

void TWinPlot::Update()
{
    SymbolScale = Width / 250;
    const auto edge = [](int size, double percent) { return roundPixel(size * percent / 100.0); };
    Left = edge(Width, LeftMargin);
    Top = edge(Height, TopMargin);
    Right = edge(Width, RightMargin);
    Bottom = edge(Height, BottomMargin);
    XScale = (Right - Left) / (XMax - XMin);
    YScale = (Bottom - Top) / (YMax - YMin);
    XClip = kOffPicture / XScale;
    YClip = kOffPicture / YScale;
}

void TWinPlot::SetArea(ICanvas& canvas, int width, int height)
{
    Width = width;
    Height = height;
    Update();
    if (Frame)
        canvas.Rectangle(Left, Top, Right + 1, Bottom + 1);
}

int TWinPlot::XToPixel(double x) const
{
    const double d = x - XMin;
    if (!(std::fabs(d) <= std::fabs(XClip)))
        return kOffPicture;
    const int p = roundPixel(d * XScale);
    return p == kOffPicture ? p : p + Left;
}

int TWinPlot::YToPixel(double y) const
{
    const double d = YMax - y;
    if (!(std::fabs(d) <= std::fabs(YClip)))
        return kOffPicture;
    const int p = roundPixel(d * YScale);
    return p == kOffPicture ? p : p + Top;
}

double TWinPlot::PixelToX(int px) const
{
    return (px - Left) / XScale + XMin;
}

double TWinPlot::PixelToY(int py) const
{
    return YMax - (py - Top) / YScale;
}

void TWinPlot::DrawXAxis(ICanvas& canvas)
{
    const int h = canvas.TextHeight("M") / 2;
    canvas.Line(Left, Bottom, Right, Bottom);
    const long n = tickCount(XMin, XMax, XStep);
    for (long i = 0; i <= n; ++i) {
        double x = XMin + i * XStep;
        if (!XLog && std::fabs(x) < 1e-10)
            x = 0;
        const int px = XToPixel(x);
        canvas.Line(px, Bottom, px, Bottom + h);
        const std::string label = AxisNumberText(XLog ? std::pow(10.0, x) : x);
        canvas.TextOut(px - canvas.TextWidth(label) / 2, Bottom + h, label);
        if (XLog && i < n) {
            const int minor = roundPixel(h * 0.67);
            for (int k = 2; k <= 9; ++k) {
                const int mx = XToPixel(x + std::log10(static_cast<double>(k)));
                canvas.Line(mx, Bottom, mx, Bottom + minor);
            }
        }
    }
    canvas.TextOut((Left + Right - canvas.TextWidth(XTitle)) / 2, Bottom + 2 * canvas.TextHeight("M"),
                   XTitle);
}

void TWinPlot::DrawYAxis(ICanvas& canvas)
{
    const int w = canvas.TextWidth("M") / 2;
    const int h = canvas.TextHeight("M") / 2;
    canvas.Line(Left, Top, Left, Bottom);
    const long n = tickCount(YMin, YMax, YStep);
    for (long i = 0; i <= n; ++i) {
        double y = YMin + i * YStep;
        if (!YLog && std::fabs(y) < 1e-10)
            y = 0;
        const int py = YToPixel(y);
        canvas.Line(Left, py, Left - w, py);
        const std::string label = AxisNumberText(YLog ? std::pow(10.0, y) : y);
        canvas.TextOut(Left - w - canvas.TextWidth(label), py - h, label);
    }
    canvas.TextOut(Left, Top - 3 * h, YTitle);
}

void TWinPlot::DrawTitle(ICanvas& canvas)
{
    if (Title.empty())
        return;
    canvas.TextOut((Left + Right - canvas.TextWidth(Title)) / 2, Top - 2 * canvas.TextHeight("M"), Title);
}

void TWinPlot::DrawGrid(ICanvas& canvas)
{
    const TPenStyle saved = canvas.Pen.Style;
    canvas.Pen.Style = TPenStyle::Dot;
    if (GridMode == 1 || GridMode == 3) {
        const long n = tickCount(YMin, YMax, YStep);
        for (long k = 1; k <= n - 1; ++k) {
            const int py = YToPixel(YMin + k * YStep);
            canvas.Line(Left, py, Right, py);
        }
    }
    if (GridMode == 2 || GridMode == 3) {
        const long n = tickCount(XMin, XMax, XStep);
        for (long k = 1; k <= n - 1; ++k) {
            const int px = XToPixel(XMin + k * XStep);
            canvas.Line(px, Top, px, Bottom);
        }
    }
    canvas.Pen.Style = saved;
}

void TWinPlot::DrawSeries(ICanvas& canvas, const std::vector<double>& xValues,
                          const std::vector<double>& yValues, const TSeriesStyle& style, int first, int last)
{
    const TPen savedPen = canvas.Pen;
    const TBrush savedBrush = canvas.Brush;
    canvas.Pen = TPen{style.PenColor, style.PenWidth, style.PenStyle};
    const int t = style.SymbolType;
    canvas.Brush = TBrush{style.BrushColor,
                          (t == 0 || t == 1 || t == 3 || t == 5) ? TBrushStyle::Solid : TBrushStyle::Clear};

    const int step = std::max(1, style.IndexStep);
    const long count = static_cast<long>(std::min(xValues.size(), yValues.size()));
    const long lastIndex = std::min<long>(last, count - 1);
    const int s = style.SymbolSize * SymbolScale;
    bool previousVisible = false;
    int prevX = 0, prevY = 0;
    for (long i = std::max(first, 0); i <= lastIndex; i += step) {
        const double x = XLog ? std::log10(xValues[i]) : xValues[i];
        const double y = YLog ? std::log10(yValues[i]) : yValues[i];
        const int px = XToPixel(x);
        const int py = YToPixel(y);
        const bool visible =
            std::isfinite(x) && std::isfinite(y) && Left <= px && px <= Right && Top <= py && py <= Bottom;
        if (visible) {
            switch (t) {
            case 0:
                canvas.SetPixel(px, py, canvas.Brush.Color);
                break;
            case 1:
            case 2:
                canvas.Ellipse(px - s, py - s, px + s + 1, py + s + 1);
                break;
            case 3:
            case 4:
                canvas.Rectangle(px - s, py - s, px + s + 1, py + s + 1);
                break;
            case 5:
            case 6:
                canvas.Polygon({{px, py - s}, {px + s, py + s}, {px - s, py + s}});
                break;
            case 7:
            case 8:
            case 9:
                if (t != 8) {
                    canvas.Line(px - s, py, px + s + 1, py);
                    canvas.Line(px, py - s, px, py + s + 1);
                }
                if (t != 7) {
                    canvas.Line(px - s, py - s, px + s + 1, py + s + 1);
                    canvas.Line(px - s, py + s, px + s + 1, py - s - 1);
                }
                break;
            default:
                break;
            }
            if (style.Connect && previousVisible)
                canvas.Line(prevX, prevY, px, py);
        }
        previousVisible = visible;
        prevX = px;
        prevY = py;
    }
    canvas.Pen = savedPen;
    canvas.Brush = savedBrush;
}

} // namespace zmk
