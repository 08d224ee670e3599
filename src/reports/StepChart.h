// The step-by-step chart without its window: the temperatures of the liquid, the air and the
// fin surface at every slice through the coil, drawn with TWinPlot on a canvas, the legend
// texts, the pointer read-out, and a PNG picture of the whole chart for the command line.
// The GUI's chart window holds a TStepChart and calls Redraw on its own canvas.
#pragma once

#include "reports/Canvas.h"
#include "reports/Raster.h"
#include "reports/Typeface.h"
#include "reports/WinPlot.h"

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace zmk {

/// The legend's value texts, in fixed units.
struct TStepLegend
{
    std::string Duty;  // "Duty 850 kW"
    std::string Fluid; // liquid in - out, "80.0 - 100.0 °C"
    std::string Air;   // air on - off, "380.0 - 177.3 °C"
};

/// The legend texts of a run: duty in kW, temperatures in °C.
TStepLegend StepLegendTexts(double duty, double liquidIn, double liquidOut, double airOn, double airOff);

/// The smallest of 1, 2 or 5 times a power of ten that splits `range` into at most `ticks`
/// steps; 1 for a range that is not a positive number.
double RoundAxisStep(double range, int ticks = 10);

/// A rows x columns matrix of doubles, one row per series.
using TChartMatrix = std::vector<std::vector<double>>;

/// The chart window's content (data, step range, series, plot and legend), without the window;
/// the job hands its step run over as TStepChartData (app/CoilJob.h).
class TStepChart
{
public:
    static constexpr int kSeriesCount = 5;
    static constexpr int kLabelCount = 4;

    /// Series styles and legend labels as the window starts with them.
    TStepChart();

    /// Takes the data and sets the range to all columns of row 0.
    void SetData(TChartMatrix matrix);
    /// A fixed-size matrix (the coil's 4 x 100 step matrix).
    template <std::size_t Rows, std::size_t Cols>
    void SetData(const std::array<std::array<double, Cols>, Rows>& m)
    {
        TChartMatrix rows;
        for (const auto& r : m)
            rows.emplace_back(r.begin(), r.end());
        SetData(std::move(rows));
    }
    /// Enables exactly the listed series (numbers 0..4; others are ignored).
    void EnableSeries(const std::vector<int>& series);
    /// The column range drawn.
    void SetRange(int first, int last);
    void SetAxisTitles(std::string xTitle, std::string yTitle);

    /// Draws the whole chart on a canvas of the given size.
    void Redraw(ICanvas& canvas, int width, int height);
    /// The pointer read-out "X=..., Y=..." at a pixel, or "" outside the axis ranges.
    std::string PointerText(int px, int py) const;

    TWinPlot Plot;
    TChartMatrix Data;
    int First = 0;
    int Last = -1;
    std::array<bool, kSeriesCount> Enabled{};
    std::array<TSeriesStyle, kSeriesCount> Styles;
    std::array<std::string, kLabelCount> Labels; // "Data 0".."Data 3" until renamed
    TStepLegend Legend;
};

/// What the step command does to the chart: the data, series 0, 1 and 2 enabled and named
/// "Fluid", "Air" and "Surface", axis titles "Step" and "degC", and the legend texts.
void SetupStepChart(TStepChart& chart, TChartMatrix matrix, TStepLegend legend);

/// The text size of a chart picture of a given height, pixels.
int StepChartFontSize(int height);
/// The width of a chart picture: the plot's width and the legend panel's, pixels.
int StepChartPictureWidth(int width, int height);
/// Draws the chart as a picture on any canvas: the plot in a width x height area with the
/// legend panel to its right (series labels in their colours, the value texts and the duty),
/// StepChartPictureWidth wide in all.
void DrawStepChartPicture(TStepChart& chart, ICanvas& canvas, int width, int height);
/// The chart picture on a raster image.
TRasterImage RenderStepChart(TStepChart& chart, TTypeface& typeface, int width = 720, int height = 480);

} // namespace zmk
