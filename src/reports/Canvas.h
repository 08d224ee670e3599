// A small drawing surface for charts and pictures: lines, rectangles, ellipses, polygons,
// single pixels and text with measurement, drawn with the current pen, brush and font. The
// core draws on a raster image (RasterCanvas.h); the GUI implements it on its own painter.
//
// Coordinates are pixels, x to the right and y downward. As on the usual window canvases, a
// line does not paint its end pixel, and a shape given by (x1, y1)..(x2, y2) covers the
// pixels x1..x2-1 and y1..y2-1.
#pragma once

#include "reports/Raster.h"

#include <string>
#include <string_view>
#include <vector>

namespace zmk {

enum class TPenStyle { Solid, Dash, Dot, DashDot, DashDotDot, Clear };
enum class TBrushStyle { Solid, Clear };

/// How lines and outlines are drawn.
struct TPen
{
    TColor Color = colors::Black;
    int Width = 1; // pixels
    TPenStyle Style = TPenStyle::Solid;
    friend bool operator==(const TPen&, const TPen&) = default;
};

/// How shapes are filled.
struct TBrush
{
    TColor Color = colors::White;
    TBrushStyle Style = TBrushStyle::Solid;
    friend bool operator==(const TBrush&, const TBrush&) = default;
};

/// The text colour and size; the face is the canvas's own sans font.
struct TFont
{
    TColor Color = colors::Black;
    int Size = 12; // em height, pixels
    friend bool operator==(const TFont&, const TFont&) = default;
};

struct TPoint
{
    int X = 0;
    int Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

/// The drawing operations a chart needs.
class ICanvas
{
public:
    virtual ~ICanvas() = default;

    /// A line with the pen from (x1, y1) toward (x2, y2), the end pixel not painted.
    virtual void Line(int x1, int y1, int x2, int y2) = 0;
    /// A rectangle outlined with the pen and filled with the brush.
    virtual void Rectangle(int x1, int y1, int x2, int y2) = 0;
    /// A rectangle filled with the brush, no outline.
    virtual void FillRect(int x1, int y1, int x2, int y2) = 0;
    /// The ellipse inside the box, outlined with the pen and filled with the brush.
    virtual void Ellipse(int x1, int y1, int x2, int y2) = 0;
    /// A closed polygon, outlined with the pen and filled with the brush.
    virtual void Polygon(const std::vector<TPoint>& points) = 0;
    /// One pixel in a colour.
    virtual void SetPixel(int x, int y, TColor color) = 0;
    /// A text in the font's colour with a transparent background; (x, y) is its top left.
    virtual void TextOut(int x, int y, std::string_view text) = 0;
    /// Width of a text in the current font, pixels.
    virtual int TextWidth(std::string_view text) = 0;
    /// Height of a line of text in the current font, pixels.
    virtual int TextHeight(std::string_view text) = 0;

    TPen Pen;
    TBrush Brush;
    TFont Font;
};

/// One call on a RecordingCanvas, with the pen, brush and font in force at the time.
struct TCanvasCall
{
    enum class Kind { Line, Rectangle, FillRect, Ellipse, Polygon, Pixel, Text };
    Kind Op;
    std::vector<TPoint> Points; // end points, box corners or polygon corners
    std::string Text;
    TColor Color; // the pixel's colour
    TPen Pen;
    TBrush Brush;
    TFont Font;
};

/// A canvas that only records what is drawn on it. Text measures fixed sizes: every
/// character (code point) is CharWidth pixels wide, every line LineHeight pixels high.
class RecordingCanvas : public ICanvas
{
public:
    void Line(int x1, int y1, int x2, int y2) override;
    void Rectangle(int x1, int y1, int x2, int y2) override;
    void FillRect(int x1, int y1, int x2, int y2) override;
    void Ellipse(int x1, int y1, int x2, int y2) override;
    void Polygon(const std::vector<TPoint>& points) override;
    void SetPixel(int x, int y, TColor color) override;
    void TextOut(int x, int y, std::string_view text) override;
    int TextWidth(std::string_view text) override;
    int TextHeight(std::string_view text) override;

    /// The calls of one kind, in order.
    std::vector<TCanvasCall> Calls(TCanvasCall::Kind kind) const;

    int CharWidth = 8;
    int LineHeight = 14;
    std::vector<TCanvasCall> calls;

private:
    void record(TCanvasCall::Kind kind, std::vector<TPoint> points, std::string text = {}, TColor c = {});
};

} // namespace zmk
