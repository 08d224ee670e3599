// The core's canvas: draws on a raster image with plain (aliased) pixels and FreeType text,
// so charts and pictures can be made and saved as PNG without the GUI.
#pragma once

#include "reports/Canvas.h"
#include "reports/Raster.h"
#include "reports/Typeface.h"

namespace zmk {

/// A canvas on a raster image; text is drawn with the given typeface at the font's size.
class TRasterCanvas : public ICanvas
{
public:
    TRasterCanvas(TRasterImage& image, TTypeface& typeface) : image_(image), typeface_(typeface) {}

    void Line(int x1, int y1, int x2, int y2) override;
    void Rectangle(int x1, int y1, int x2, int y2) override;
    void FillRect(int x1, int y1, int x2, int y2) override;
    void Ellipse(int x1, int y1, int x2, int y2) override;
    void Polygon(const std::vector<TPoint>& points) override;
    void SetPixel(int x, int y, TColor color) override;
    void TextOut(int x, int y, std::string_view text) override;
    int TextWidth(std::string_view text) override;
    int TextHeight(std::string_view text) override;

    TRasterImage& Image() { return image_; }

private:
    void stroke(int x1, int y1, int x2, int y2, bool lastPixel);
    void stamp(int x, int y);
    bool brushPaints() const { return Brush.Style == TBrushStyle::Solid; }
    bool penPaints() const { return Pen.Style != TPenStyle::Clear && Pen.Width > 0; }

    TRasterImage& image_;
    TTypeface& typeface_;
};

} // namespace zmk
