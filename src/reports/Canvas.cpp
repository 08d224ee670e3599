#include "reports/Canvas.h"

#include "reports/Typeface.h"

namespace zmk {

void RecordingCanvas::record(TCanvasCall::Kind kind, std::vector<TPoint> points, std::string text, TColor c)
{
    calls.push_back(TCanvasCall{kind, std::move(points), std::move(text), c, Pen, Brush, Font});
}

void RecordingCanvas::Line(int x1, int y1, int x2, int y2)
{
    record(TCanvasCall::Kind::Line, {{x1, y1}, {x2, y2}});
}

void RecordingCanvas::Rectangle(int x1, int y1, int x2, int y2)
{
    record(TCanvasCall::Kind::Rectangle, {{x1, y1}, {x2, y2}});
}

void RecordingCanvas::FillRect(int x1, int y1, int x2, int y2)
{
    record(TCanvasCall::Kind::FillRect, {{x1, y1}, {x2, y2}});
}

void RecordingCanvas::Ellipse(int x1, int y1, int x2, int y2)
{
    record(TCanvasCall::Kind::Ellipse, {{x1, y1}, {x2, y2}});
}

void RecordingCanvas::Polygon(const std::vector<TPoint>& points)
{
    record(TCanvasCall::Kind::Polygon, points);
}

void RecordingCanvas::SetPixel(int x, int y, TColor color)
{
    record(TCanvasCall::Kind::Pixel, {{x, y}}, {}, color);
}

void RecordingCanvas::TextOut(int x, int y, std::string_view text)
{
    record(TCanvasCall::Kind::Text, {{x, y}}, std::string(text));
}

int RecordingCanvas::TextWidth(std::string_view text)
{
    return CharWidth * static_cast<int>(DecodeUtf8(text).size());
}

int RecordingCanvas::TextHeight(std::string_view)
{
    return LineHeight;
}

std::vector<TCanvasCall> RecordingCanvas::Calls(TCanvasCall::Kind kind) const
{
    std::vector<TCanvasCall> out;
    for (const auto& c : calls)
        if (c.Op == kind)
            out.push_back(c);
    return out;
}

} // namespace zmk
