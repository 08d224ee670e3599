#include "reports/SvgCanvas.h"

#include "base/NumText.h"
#include "base/TextHelpers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace zmk {

std::string SvgColor(TColor color)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", color.R, color.G, color.B);
    return text;
}

namespace {

std::string dashArray(const TPen& pen)
{
    const int w = std::max(pen.Width, 1);
    auto scaled = [w](std::initializer_list<int> parts) {
        std::string s;
        for (const int p : parts)
            s += (s.empty() ? "" : ",") + std::to_string(p * w);
        return " stroke-dasharray=\"" + s + "\"";
    };
    switch (pen.Style) {
    case TPenStyle::Dash:
        return scaled({6, 3});
    case TPenStyle::Dot:
        return scaled({1, 2});
    case TPenStyle::DashDot:
        return scaled({6, 2, 1, 2});
    case TPenStyle::DashDotDot:
        return scaled({6, 2, 1, 2, 1, 2});
    case TPenStyle::Solid:
    case TPenStyle::Clear:
        break;
    }
    return {};
}

// A line of one pixel lies on the pixel centres: odd widths are offset by half a pixel.
double centre(int v, int width)
{
    return width % 2 ? v + 0.5 : v;
}

std::string num(double v)
{
    if (v == std::floor(v))
        return std::to_string(static_cast<long long>(v));
    return Format("%0.1f", v);
}

} // namespace

TSvgCanvas::TSvgCanvas(int width, int height, TTypeface* measure)
    : width_(width), height_(height), measure_(measure)
{
}

std::string TSvgCanvas::strokeAttributes() const
{
    if (!penPaints())
        return " stroke=\"none\"";
    return " stroke=\"" + SvgColor(Pen.Color) + "\" stroke-width=\"" + std::to_string(Pen.Width) + "\"" +
           dashArray(Pen);
}

std::string TSvgCanvas::fillAttributes() const
{
    if (Brush.Style == TBrushStyle::Clear)
        return " fill=\"none\"";
    return " fill=\"" + SvgColor(Brush.Color) + "\"";
}

void TSvgCanvas::flushPath()
{
    if (path_.size() < 2) {
        path_.clear();
        return;
    }
    const int w = pathPen_.Width;
    std::string points;
    for (const TPoint& p : path_)
        points += (points.empty() ? "" : " ") + num(centre(p.X, w)) + "," + num(centre(p.Y, w));
    const TPen saved = Pen;
    Pen = pathPen_;
    body_ += "<polyline points=\"" + points + "\" fill=\"none\"" + strokeAttributes() + "/>\n";
    Pen = saved;
    path_.clear();
}

void TSvgCanvas::Line(int x1, int y1, int x2, int y2)
{
    if (!penPaints())
        return;
    if (!path_.empty() && Pen == pathPen_ && path_.back() == TPoint{x1, y1}) {
        path_.push_back({x2, y2});
        return;
    }
    flushPath();
    pathPen_ = Pen;
    path_ = {{x1, y1}, {x2, y2}};
}

void TSvgCanvas::Rectangle(int x1, int y1, int x2, int y2)
{
    flushPath();
    const int w = penPaints() ? Pen.Width : 0;
    // The outline lies inside the box, as on the raster canvas.
    const double inset = w / 2.0;
    body_ += "<rect x=\"" + num(x1 + inset) + "\" y=\"" + num(y1 + inset) + "\" width=\"" +
             num(std::max(0.0, x2 - x1 - 2 * inset)) + "\" height=\"" +
             num(std::max(0.0, y2 - y1 - 2 * inset)) + "\"" + fillAttributes() + strokeAttributes() + "/>\n";
}

void TSvgCanvas::FillRect(int x1, int y1, int x2, int y2)
{
    flushPath();
    if (Brush.Style == TBrushStyle::Clear)
        return;
    body_ += "<rect x=\"" + std::to_string(x1) + "\" y=\"" + std::to_string(y1) + "\" width=\"" +
             std::to_string(std::max(0, x2 - x1)) + "\" height=\"" + std::to_string(std::max(0, y2 - y1)) +
             "\"" + fillAttributes() + "/>\n";
}

void TSvgCanvas::Ellipse(int x1, int y1, int x2, int y2)
{
    flushPath();
    body_ += "<ellipse cx=\"" + num((x1 + x2) / 2.0) + "\" cy=\"" + num((y1 + y2) / 2.0) + "\" rx=\"" +
             num(std::abs(x2 - x1) / 2.0) + "\" ry=\"" + num(std::abs(y2 - y1) / 2.0) + "\"" +
             fillAttributes() + strokeAttributes() + "/>\n";
}

void TSvgCanvas::Polygon(const std::vector<TPoint>& points)
{
    flushPath();
    if (points.empty())
        return;
    std::string list;
    for (const TPoint& p : points)
        list += (list.empty() ? "" : " ") + std::to_string(p.X) + "," + std::to_string(p.Y);
    body_ += "<polygon points=\"" + list + "\"" + fillAttributes() + strokeAttributes() + "/>\n";
}

void TSvgCanvas::SetPixel(int x, int y, TColor color)
{
    flushPath();
    body_ += "<rect x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) +
             "\" width=\"1\" height=\"1\" fill=\"" + SvgColor(color) + "\"/>\n";
}

void TSvgCanvas::TextOut(int x, int y, std::string_view text)
{
    flushPath();
    const int ascent =
        measure_ ? measure_->Ascent(Font.Size) : static_cast<int>(std::lround(Font.Size * 0.8));
    body_ += "<text x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y + ascent) + "\" font-size=\"" +
             std::to_string(Font.Size) + "\" fill=\"" + SvgColor(Font.Color) + "\" xml:space=\"preserve\">" +
             HtmlEscape(text) + "</text>\n";
}

int TSvgCanvas::TextWidth(std::string_view text)
{
    if (measure_)
        return measure_->TextWidth(text, Font.Size);
    return static_cast<int>(std::lround(0.62 * Font.Size * static_cast<double>(DecodeUtf8(text).size())));
}

int TSvgCanvas::TextHeight(std::string_view)
{
    if (measure_)
        return measure_->TextHeight(Font.Size);
    return static_cast<int>(std::lround(Font.Size * 1.15));
}

std::string TSvgCanvas::Document()
{
    flushPath();
    const std::string w = std::to_string(width_), h = std::to_string(height_);
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
           w + "\" height=\"" + h + "\" viewBox=\"0 0 " + w + " " + h +
           "\" font-family=\"DejaVu Sans, Liberation Sans, Arial, sans-serif\">\n" + body_ + "</svg>\n";
}

} // namespace zmk
