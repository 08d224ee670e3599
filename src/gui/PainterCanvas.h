// The charts' drawing surface on a Qt painter: the same drawing code that writes the command
// line's PNG draws the chart window and its clipboard picture.
#pragma once

#include "reports/Canvas.h"

#include <QFont>

class QPainter;

namespace zmk::gui {

class TPainterCanvas : public ICanvas
{
public:
    /// Draws with `painter`, which must outlive the canvas; the text face is the desktop's sans
    /// font at the canvas font's pixel size.
    explicit TPainterCanvas(QPainter& painter);

    void Line(int x1, int y1, int x2, int y2) override;
    void Rectangle(int x1, int y1, int x2, int y2) override;
    void FillRect(int x1, int y1, int x2, int y2) override;
    void Ellipse(int x1, int y1, int x2, int y2) override;
    void Polygon(const std::vector<TPoint>& points) override;
    void SetPixel(int x, int y, TColor color) override;
    void TextOut(int x, int y, std::string_view text) override;
    int TextWidth(std::string_view text) override;
    int TextHeight(std::string_view text) override;

private:
    void usePen();
    void useBrush();
    void useFont();

    QPainter& painter_;
    QFont font_;
};

} // namespace zmk::gui
