// The step-by-step chart window ("Data Chart") without its widgets: what the Step by step
// command hands it (the step matrix, the curve names, the legend texts in fixed units and the
// caption), when it redraws, the legend labels it shows and in which colours, the pointer
// read-out for its status bar, and the picture it puts on the clipboard. The window draws
// through its own canvas with the same plot engine that draws the command line's PNG.
#pragma once

#include "app/CoilJob.h"
#include "dialogs/DialogForm.h"
#include "reports/Canvas.h"
#include "reports/StepChart.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace zmk {

inline constexpr std::string_view kDataChartWindow = "DataChart";
/// The window's own caption, until the command sets "Step-by-Step Simulation".
inline constexpr const char* kDataChartCaption = "Data Chart";
/// The context menu's copy command.
inline constexpr const char* kDataChartCopyCaption = "Copy to Windows clipboard";

/// One legend label: its text, its colour, and whether it is shown.
struct TLegendLabel
{
    std::string Text;
    TColor Color;
    bool Visible = false;
};

/// The message of a failed Step by step, one entry per line (the second is empty).
std::vector<std::string> StepFailureLines();

class TDataChart
{
public:
    TDataChart();

    /// What the command does before showing the window: the caption, the step matrix, series
    /// 0, 1 and 2 enabled and named, the axis titles and the legend's value texts.
    void Show(const TStepChartData& data);

    /// The window is activated: the chart is drawn on the canvas at the image area's size.
    void Activate(ICanvas& canvas, int width, int height);
    /// The window was resized: the chart is drawn again once the window has been activated.
    /// Returns whether it drew.
    bool Resize(ICanvas& canvas, int width, int height);
    bool Activated() const { return activated_; }

    /// The window's caption.
    const std::string& Caption() const { return caption_; }
    /// The labels "Data 0".."Data 3" (or the names the command gave them) in their series'
    /// colours, shown only for enabled series.
    std::array<TLegendLabel, TStepChart::kLabelCount> LegendLabels() const;
    /// The value labels: fluid and air in - out (°C), and the duty (kW).
    const std::string& FluidText() const { return Chart.Legend.Fluid; }
    const std::string& AirText() const { return Chart.Legend.Air; }
    const std::string& DutyText() const { return Chart.Legend.Duty; }

    /// The status bar's text for the pointer at a pixel of the image: "X=..., Y=..." inside the
    /// axis ranges, "" outside them or before the chart has been drawn.
    std::string PointerText(int px, int py) const;

    /// The clipboard's picture: the chart drawn at a plot size with the legend panel to its
    /// right, PictureWidth(width, height) wide in all.
    void DrawPicture(ICanvas& canvas, int width, int height) const;
    static int PictureWidth(int width, int height) { return StepChartPictureWidth(width, height); }

    TStepChart Chart;
    TDialogPlace Place{kDataChartWindow};

private:
    std::string caption_ = kDataChartCaption;
    bool activated_ = false;
    bool drawn_ = false;
};

} // namespace zmk
