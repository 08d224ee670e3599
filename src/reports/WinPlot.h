// The small plotting engine of the step-by-step chart: a plot rectangle set in percent of the
// picture, linear or logarithmic axes with ticks, number labels and titles, a dotted grid, and
// data series drawn as symbols joined by lines. It draws on any ICanvas.
#pragma once

#include "reports/Canvas.h"

#include <string>
#include <vector>

namespace zmk {

/// How one data series is drawn.
struct TSeriesStyle
{
    int SymbolType =
        0; // 0 pixel, 1/2 ellipse, 3/4 square, 5/6 triangle (filled/open), 7 plus, 8 cross, 9 both
    int SymbolSize = 1; // half-size in symbol-scale units
    TColor BrushColor = colors::Black;
    int PenWidth = 1; // pixels
    TPenStyle PenStyle = TPenStyle::Solid;
    TColor PenColor = colors::Black;
    int IndexStep = 1;   // draw every n-th point
    bool Connect = true; // join visible neighbours by lines
};

/// The axis label of a value: ten characters with four decimals, trailing zeros and a bare
/// "." removed, blanks trimmed (5 -> "5", 12.5 -> "12.5", 0.25 -> "0.25").
std::string AxisNumberText(double value);

class TWinPlot
{
public:
    // Plot-area margins, percent of the picture's width and height.
    double LeftMargin = 15;
    double TopMargin = 15;
    double RightMargin = 75;
    double BottomMargin = 75;
    bool Frame = true; // draw the plot rectangle in SetArea

    bool XLog = false; // axis values are decimal logarithms
    double XMin = 0;
    double XMax = 1;
    double XStep = 0.2; // tick step
    std::string XTitle = "X";
    bool YLog = false;
    double YMin = 0;
    double YMax = 1;
    double YStep = 0.2;
    std::string YTitle = "Y";

    int GridMode = 3; // 0 none, 1 horizontal lines, 2 vertical lines, 3 both
    std::string Title;

    // Derived by SetArea.
    int Width = 0, Height = 0;                    // picture size, pixels
    int SymbolScale = 0;                          // width div 250
    int Left = 0, Top = 0, Right = 0, Bottom = 0; // plot rectangle, pixels
    double XScale = 0, YScale = 0;                // pixels per axis unit
    double XClip = 0, YClip = 0;                  // largest distance from the axis origin drawn, axis units

    /// Sets the picture size and computes the derived fields; draws the frame when Frame is
    /// set, with the canvas's pen and brush.
    void SetArea(ICanvas& canvas, int width, int height);
    /// Recomputes the derived fields for the current size without drawing.
    void Update();

    /// The pixel column of an axis value; 30000 when it lies beyond the clip limit.
    int XToPixel(double x) const;
    /// The pixel row of an axis value; 30000 when it lies beyond the clip limit.
    int YToPixel(double y) const;
    /// The axis value of a pixel column or row.
    double PixelToX(int px) const;
    double PixelToY(int py) const;

    void DrawXAxis(ICanvas& canvas);
    void DrawYAxis(ICanvas& canvas);
    void DrawTitle(ICanvas& canvas);
    void DrawGrid(ICanvas& canvas);
    /// Draws the points first..last (indices into both value lists) with the style.
    void DrawSeries(ICanvas& canvas, const std::vector<double>& xValues, const std::vector<double>& yValues,
                    const TSeriesStyle& style, int first, int last);
};

} // namespace zmk
