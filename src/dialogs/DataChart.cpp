#include "dialogs/DataChart.h"

namespace zmk {

std::vector<std::string> StepFailureLines()
{
    std::vector<std::string> lines;
    std::string_view text = kStepNoSolutionMessage;
    for (std::size_t p = text.find("\r\n"); p != std::string_view::npos; p = text.find("\r\n")) {
        lines.emplace_back(text.substr(0, p));
        text.remove_prefix(p + 2);
    }
    lines.emplace_back(text);
    return lines;
}

TDataChart::TDataChart() = default;

void TDataChart::Show(const TStepChartData& data)
{
    caption_ = data.Title;
    Chart.SetData(data.Matrix);
    Chart.SetRange(data.FirstColumn, data.LastColumn);
    Chart.EnableSeries({0, 1, 2});
    for (std::size_t i = 0; i < data.CurveNames.size(); ++i)
        Chart.Labels[i] = data.CurveNames[i];
    Chart.SetAxisTitles(data.XTitle, data.YTitle);
    Chart.Legend = TStepLegend{data.Captions[0], data.Captions[1], data.Captions[2]};
    drawn_ = false;
}

void TDataChart::Activate(ICanvas& canvas, int width, int height)
{
    activated_ = true;
    Chart.Redraw(canvas, width, height);
    drawn_ = true;
}

bool TDataChart::Resize(ICanvas& canvas, int width, int height)
{
    if (!activated_)
        return false;
    Chart.Redraw(canvas, width, height);
    drawn_ = true;
    return true;
}

std::array<TLegendLabel, TStepChart::kLabelCount> TDataChart::LegendLabels() const
{
    std::array<TLegendLabel, TStepChart::kLabelCount> labels;
    for (int i = 0; i < TStepChart::kLabelCount; ++i)
        labels[i] = TLegendLabel{Chart.Labels[i], Chart.Styles[i].PenColor, Chart.Enabled[i]};
    return labels;
}

std::string TDataChart::PointerText(int px, int py) const
{
    return drawn_ ? Chart.PointerText(px, py) : std::string();
}

void TDataChart::DrawPicture(ICanvas& canvas, int width, int height) const
{
    // A copy draws the picture, so the window's own plot keeps the geometry the pointer
    // read-out is measured in.
    TStepChart picture = Chart;
    DrawStepChartPicture(picture, canvas, width, height);
}

} // namespace zmk
