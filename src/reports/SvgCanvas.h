// A canvas that writes an SVG document: the charts' vector form for the pages the web view shows
// and for `zemtor chart --svg`. Text stays text (searchable, selectable, scalable); lines drawn
// end to end with the same pen are joined into one polyline so a curve of many short segments
// stays one element.
#pragma once

#include "reports/Canvas.h"
#include "reports/Typeface.h"

#include <string>
#include <vector>

namespace zmk {

class TSvgCanvas : public ICanvas
{
public:
    /// A width x height picture. Text is measured with `measure` when given (so the layout
    /// matches the PNG drawn with the same face), else as 0.62 em per character (a sans face's digits).
    TSvgCanvas(int width, int height, TTypeface* measure = nullptr);

    void Line(int x1, int y1, int x2, int y2) override;
    void Rectangle(int x1, int y1, int x2, int y2) override;
    void FillRect(int x1, int y1, int x2, int y2) override;
    void Ellipse(int x1, int y1, int x2, int y2) override;
    void Polygon(const std::vector<TPoint>& points) override;
    void SetPixel(int x, int y, TColor color) override;
    void TextOut(int x, int y, std::string_view text) override;
    int TextWidth(std::string_view text) override;
    int TextHeight(std::string_view text) override;

    /// The whole document so far, UTF-8.
    std::string Document();

private:
    void flushPath();
    std::string strokeAttributes() const;
    std::string fillAttributes() const;
    bool penPaints() const { return Pen.Style != TPenStyle::Clear && Pen.Width > 0; }

    int width_;
    int height_;
    TTypeface* measure_;
    std::string body_;
    std::vector<TPoint> path_; // the open polyline
    TPen pathPen_;
};

/// The colour as "#rrggbb".
std::string SvgColor(TColor color);

} // namespace zmk
