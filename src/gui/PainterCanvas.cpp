#include "gui/PainterCanvas.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace zmk::gui {

namespace {

QColor qcolor(TColor c)
{
    return QColor(c.R, c.G, c.B);
}

Qt::PenStyle qstyle(TPenStyle s)
{
    switch (s) {
    case TPenStyle::Solid:
        return Qt::SolidLine;
    case TPenStyle::Dash:
        return Qt::DashLine;
    case TPenStyle::Dot:
        return Qt::DotLine;
    case TPenStyle::DashDot:
        return Qt::DashDotLine;
    case TPenStyle::DashDotDot:
        return Qt::DashDotDotLine;
    case TPenStyle::Clear:
        break;
    }
    return Qt::NoPen;
}

QString qtext(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

TPainterCanvas::TPainterCanvas(QPainter& painter)
    : painter_(painter), font_(QFontDatabase::systemFont(QFontDatabase::GeneralFont))
{
}

void TPainterCanvas::usePen()
{
    QPen pen(qcolor(Pen.Color));
    // Width 0 is Qt's cosmetic one-pixel pen; the canvas's pens are at least one pixel.
    pen.setWidth(std::max(1, Pen.Width));
    pen.setStyle(qstyle(Pen.Style));
    pen.setCapStyle(Qt::SquareCap);
    painter_.setPen(pen);
}

void TPainterCanvas::useBrush()
{
    if (Brush.Style == TBrushStyle::Clear)
        painter_.setBrush(Qt::NoBrush);
    else
        painter_.setBrush(qcolor(Brush.Color));
}

void TPainterCanvas::useFont()
{
    font_.setPixelSize(std::max(1, Font.Size));
    painter_.setFont(font_);
}

void TPainterCanvas::Line(int x1, int y1, int x2, int y2)
{
    if (x1 == x2 && y1 == y2)
        return;
    usePen();
    // The painter paints both ends with a square cap; the canvas stops one pixel short of the
    // end, on the line.
    const int dx = x2 - x1, dy = y2 - y1;
    int ex, ey;
    if (std::abs(dx) >= std::abs(dy)) {
        ex = x2 - (dx > 0 ? 1 : -1);
        ey = y1 + static_cast<int>(std::lround(static_cast<double>(ex - x1) * dy / dx));
    } else {
        ey = y2 - (dy > 0 ? 1 : -1);
        ex = x1 + static_cast<int>(std::lround(static_cast<double>(ey - y1) * dx / dy));
    }
    painter_.drawLine(x1, y1, ex, ey);
}

void TPainterCanvas::Rectangle(int x1, int y1, int x2, int y2)
{
    usePen();
    useBrush();
    // A one-pixel outline of drawRect(x, y, w, h) covers w + 1 pixels: the box x1..x2-1.
    painter_.drawRect(QRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1));
}

void TPainterCanvas::FillRect(int x1, int y1, int x2, int y2)
{
    if (Brush.Style == TBrushStyle::Clear)
        return;
    painter_.fillRect(QRect(x1, y1, x2 - x1, y2 - y1), qcolor(Brush.Color));
}

void TPainterCanvas::Ellipse(int x1, int y1, int x2, int y2)
{
    usePen();
    useBrush();
    painter_.drawEllipse(QRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1));
}

void TPainterCanvas::Polygon(const std::vector<TPoint>& points)
{
    usePen();
    useBrush();
    QPolygon polygon;
    for (const TPoint& p : points)
        polygon << QPoint(p.X, p.Y);
    painter_.drawPolygon(polygon);
}

void TPainterCanvas::SetPixel(int x, int y, TColor color)
{
    painter_.fillRect(QRect(x, y, 1, 1), qcolor(color));
}

void TPainterCanvas::TextOut(int x, int y, std::string_view text)
{
    useFont();
    painter_.setPen(qcolor(Font.Color));
    painter_.drawText(x, y + QFontMetrics(font_).ascent(), qtext(text));
}

int TPainterCanvas::TextWidth(std::string_view text)
{
    useFont();
    return QFontMetrics(font_).horizontalAdvance(qtext(text));
}

int TPainterCanvas::TextHeight(std::string_view)
{
    useFont();
    return QFontMetrics(font_).height();
}

} // namespace zmk::gui
