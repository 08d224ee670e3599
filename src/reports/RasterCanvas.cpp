#include "reports/RasterCanvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace zmk {

namespace {

// On and off runs of the broken pen styles, in pixels along the line.
bool patternOn(TPenStyle style, long step)
{
    static const int dash[] = {6, 3};
    static const int dot[] = {1, 2};
    static const int dashDot[] = {6, 2, 1, 2};
    static const int dashDotDot[] = {6, 2, 1, 2, 1, 2};
    const int* runs = nullptr;
    int count = 0;
    switch (style) {
    case TPenStyle::Solid:
        return true;
    case TPenStyle::Clear:
        return false;
    case TPenStyle::Dash:
        runs = dash;
        count = 2;
        break;
    case TPenStyle::Dot:
        runs = dot;
        count = 2;
        break;
    case TPenStyle::DashDot:
        runs = dashDot;
        count = 4;
        break;
    case TPenStyle::DashDotDot:
        runs = dashDotDot;
        count = 6;
        break;
    }
    int period = 0;
    for (int i = 0; i < count; ++i)
        period += runs[i];
    long pos = step % period;
    for (int i = 0; i < count; ++i) {
        if (pos < runs[i])
            return i % 2 == 0;
        pos -= runs[i];
    }
    return true;
}

// Liang-Barsky clipping of the segment to a box; false when nothing of it is inside.
bool clipSegment(double& x1, double& y1, double& x2, double& y2, double lo_x, double lo_y, double hi_x,
                 double hi_y)
{
    double t0 = 0, t1 = 1;
    const double dx = x2 - x1, dy = y2 - y1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x1 - lo_x, hi_x - x1, y1 - lo_y, hi_y - y1};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    const double nx1 = x1 + t0 * dx, ny1 = y1 + t0 * dy;
    x2 = x1 + t1 * dx;
    y2 = y1 + t1 * dy;
    x1 = nx1;
    y1 = ny1;
    return true;
}

} // namespace

void TRasterCanvas::stamp(int x, int y)
{
    const int w = Pen.Width;
    if (w <= 1) {
        image_.SetPixel(x, y, Pen.Color);
        return;
    }
    const int lo = -(w - 1) / 2, hi = w / 2;
    const double r = w / 2.0 + 0.25;
    for (int dy = lo; dy <= hi; ++dy)
        for (int dx = lo; dx <= hi; ++dx)
            if (w < 3 || (dx - (lo + hi) / 2.0) * (dx - (lo + hi) / 2.0) +
                                 (dy - (lo + hi) / 2.0) * (dy - (lo + hi) / 2.0) <=
                             r * r)
                image_.SetPixel(x + dx, y + dy, Pen.Color);
}

void TRasterCanvas::stroke(int x1, int y1, int x2, int y2, bool lastPixel)
{
    if (!penPaints())
        return;
    // Only the part near the picture is walked, so far-off end points cost nothing.
    const double margin = Pen.Width + 2;
    double fx1 = x1, fy1 = y1, fx2 = x2, fy2 = y2;
    if (!clipSegment(fx1, fy1, fx2, fy2, -margin, -margin, image_.Width() + margin, image_.Height() + margin))
        return;
    if (fx2 != x2 || fy2 != y2)
        lastPixel = true;
    x1 = static_cast<int>(std::lround(fx1));
    y1 = static_cast<int>(std::lround(fy1));
    x2 = static_cast<int>(std::lround(fx2));
    y2 = static_cast<int>(std::lround(fy2));

    const int dx = std::abs(x2 - x1), sx = x1 < x2 ? 1 : -1;
    const int dy = -std::abs(y2 - y1), sy = y1 < y2 ? 1 : -1;
    int err = dx + dy;
    long step = 0;
    int x = x1, y = y1;
    for (;;) {
        const bool atEnd = x == x2 && y == y2;
        if (atEnd && !lastPixel)
            break;
        if (patternOn(Pen.Style, step))
            stamp(x, y);
        if (atEnd)
            break;
        ++step;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

void TRasterCanvas::Line(int x1, int y1, int x2, int y2)
{
    stroke(x1, y1, x2, y2, false);
}

void TRasterCanvas::FillRect(int x1, int y1, int x2, int y2)
{
    if (!brushPaints())
        return;
    if (x1 > x2)
        std::swap(x1, x2);
    if (y1 > y2)
        std::swap(y1, y2);
    x1 = std::max(x1, 0);
    y1 = std::max(y1, 0);
    x2 = std::min(x2, image_.Width());
    y2 = std::min(y2, image_.Height());
    for (int y = y1; y < y2; ++y)
        for (int x = x1; x < x2; ++x)
            image_.SetPixel(x, y, Brush.Color);
}

void TRasterCanvas::Rectangle(int x1, int y1, int x2, int y2)
{
    if (x1 > x2)
        std::swap(x1, x2);
    if (y1 > y2)
        std::swap(y1, y2);
    FillRect(x1, y1, x2, y2);
    if (x2 - x1 < 1 || y2 - y1 < 1)
        return;
    stroke(x1, y1, x2 - 1, y1, true);
    stroke(x2 - 1, y1, x2 - 1, y2 - 1, true);
    stroke(x2 - 1, y2 - 1, x1, y2 - 1, true);
    stroke(x1, y2 - 1, x1, y1, true);
}

void TRasterCanvas::Ellipse(int x1, int y1, int x2, int y2)
{
    if (x1 > x2)
        std::swap(x1, x2);
    if (y1 > y2)
        std::swap(y1, y2);
    if (x2 - x1 < 1 || y2 - y1 < 1)
        return;
    const double cx = (x1 + x2) / 2.0, cy = (y1 + y2) / 2.0;
    const double rx = (x2 - x1) / 2.0, ry = (y2 - y1) / 2.0;
    const double w = penPaints() ? Pen.Width : 0;
    const auto inside = [&](int x, int y, double shrink) {
        const double ax = rx - shrink, ay = ry - shrink;
        if (ax <= 0 || ay <= 0)
            return false;
        const double u = (x + 0.5 - cx) / ax, v = (y + 0.5 - cy) / ay;
        return u * u + v * v <= 1.0;
    };
    const int xa = std::max(x1, 0), xb = std::min(x2, image_.Width());
    const int ya = std::max(y1, 0), yb = std::min(y2, image_.Height());
    for (int y = ya; y < yb; ++y)
        for (int x = xa; x < xb; ++x) {
            if (!inside(x, y, 0))
                continue;
            if (w > 0 && !inside(x, y, w))
                image_.SetPixel(x, y, Pen.Color);
            else if (brushPaints())
                image_.SetPixel(x, y, Brush.Color);
        }
}

void TRasterCanvas::Polygon(const std::vector<TPoint>& points)
{
    if (points.empty())
        return;
    if (brushPaints() && points.size() >= 3) {
        int ymin = points[0].Y, ymax = points[0].Y;
        for (const auto& p : points) {
            ymin = std::min(ymin, p.Y);
            ymax = std::max(ymax, p.Y);
        }
        ymin = std::max(ymin, 0);
        ymax = std::min(ymax, image_.Height() - 1);
        std::vector<double> xs;
        for (int y = ymin; y <= ymax; ++y) {
            const double sy = y + 0.5;
            xs.clear();
            for (size_t i = 0; i < points.size(); ++i) {
                const TPoint a = points[i], b = points[(i + 1) % points.size()];
                if ((a.Y <= sy) != (b.Y <= sy))
                    xs.push_back(a.X + (sy - a.Y) * (b.X - a.X) / static_cast<double>(b.Y - a.Y));
            }
            std::sort(xs.begin(), xs.end());
            for (size_t i = 0; i + 1 < xs.size(); i += 2) {
                const int xa = std::max(0, static_cast<int>(std::ceil(xs[i] - 0.5)));
                const int xb = std::min(image_.Width() - 1, static_cast<int>(std::floor(xs[i + 1] - 0.5)));
                for (int x = xa; x <= xb; ++x)
                    image_.SetPixel(x, y, Brush.Color);
            }
        }
    }
    for (size_t i = 0; i < points.size(); ++i) {
        const TPoint a = points[i], b = points[(i + 1) % points.size()];
        stroke(a.X, a.Y, b.X, b.Y, true);
    }
}

void TRasterCanvas::SetPixel(int x, int y, TColor color)
{
    image_.SetPixel(x, y, color);
}

void TRasterCanvas::TextOut(int x, int y, std::string_view text)
{
    typeface_.DrawText(image_, x, y, text, Font.Size, Font.Color);
}

int TRasterCanvas::TextWidth(std::string_view text)
{
    return typeface_.TextWidth(text, Font.Size);
}

int TRasterCanvas::TextHeight(std::string_view)
{
    return typeface_.TextHeight(Font.Size);
}

} // namespace zmk
