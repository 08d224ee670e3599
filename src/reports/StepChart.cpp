#include "reports/StepChart.h"

#include "base/NumText.h"
#include "reports/RasterCanvas.h"

#include <algorithm>
#include <cmath>

namespace zmk {

TStepLegend StepLegendTexts(double duty, double liquidIn, double liquidOut, double airOn, double airOff)
{
    return TStepLegend{Format("Duty %0.3g kW", duty), Format("%0.1f - %0.1f °C", liquidIn, liquidOut),
                       Format("%0.1f - %0.1f °C", airOn, airOff)};
}

double RoundAxisStep(double range, int ticks)
{
    if (!(range > 0) || !std::isfinite(range) || ticks < 1)
        return 1;
    const double raw = range / ticks;
    const double decade = std::pow(10.0, std::floor(std::log10(raw)));
    const double f = raw / decade;
    const double mantissa = f <= 1 ? 1 : f <= 2 ? 2 : f <= 5 ? 5 : 10;
    return mantissa * decade;
}

TStepChart::TStepChart()
{
    const TColor colours[kSeriesCount] = {colors::Red, colors::Green, colors::Navy, colors::Olive,
                                          colors::Black};
    for (int i = 0; i < kSeriesCount; ++i) {
        auto& s = Styles[i];
        s.SymbolType = 0;
        s.SymbolSize = 1;
        s.PenWidth = 2;
        s.PenStyle = TPenStyle::Solid;
        s.IndexStep = 1;
        s.Connect = true;
        s.PenColor = colours[i];
        s.BrushColor = colours[i];
    }
    for (int i = 0; i < kLabelCount; ++i)
        Labels[i] = "Data " + std::to_string(i);
}

void TStepChart::SetData(TChartMatrix matrix)
{
    Data = std::move(matrix);
    First = 0;
    Last = Data.empty() ? -1 : static_cast<int>(Data[0].size()) - 1;
}

void TStepChart::EnableSeries(const std::vector<int>& series)
{
    Enabled.fill(false);
    for (const int s : series)
        if (s >= 0 && s < kSeriesCount)
            Enabled[s] = true;
}

void TStepChart::SetRange(int first, int last)
{
    First = first;
    Last = last;
}

void TStepChart::SetAxisTitles(std::string xTitle, std::string yTitle)
{
    Plot.XTitle = std::move(xTitle);
    Plot.YTitle = std::move(yTitle);
}

void TStepChart::Redraw(ICanvas& canvas, int width, int height)
{
    canvas.Brush = TBrush{colors::White, TBrushStyle::Solid};
    canvas.FillRect(0, 0, width, height);

    // The axes run between multiples of a round step, so every tick is a round number.
    const double xFrom = First;
    const double xTo = Last >= First ? Last + 1.0 : First + 1.0;
    Plot.XStep = std::max(1.0, RoundAxisStep(xTo - xFrom));
    Plot.XMin = std::floor(xFrom / Plot.XStep) * Plot.XStep;
    Plot.XMax = std::ceil(xTo / Plot.XStep) * Plot.XStep;
    Plot.XLog = false;

    bool any = false;
    double ymin0 = 0, ymax0 = 0;
    for (int s = 0; s < kSeriesCount; ++s) {
        if (!Enabled[s] || s >= static_cast<int>(Data.size()))
            continue;
        const auto& row = Data[s];
        for (int i = std::max(First, 0); i <= Last && i < static_cast<int>(row.size()); ++i) {
            const double v = row[i];
            if (!std::isfinite(v))
                continue;
            if (!any) {
                ymin0 = ymax0 = v;
                any = true;
            }
            ymin0 = std::min(ymin0, v);
            ymax0 = std::max(ymax0, v);
        }
    }
    if (!any)
        ymax0 = 1;
    const double pad = (ymax0 - ymin0) * 0.05;
    double ymin = ymin0 - pad, ymax = ymax0 + pad;
    // Equal values everywhere leave no range to scale: open one degree either side.
    if (!(ymax > ymin)) {
        ymin -= 1;
        ymax += 1;
    }
    Plot.YStep = RoundAxisStep(ymax - ymin);
    Plot.YMin = std::floor(ymin / Plot.YStep) * Plot.YStep;
    Plot.YMax = std::ceil(ymax / Plot.YStep) * Plot.YStep;
    Plot.YLog = false;
    Plot.LeftMargin = 20;
    Plot.RightMargin = 90;
    Plot.TopMargin = 10;
    Plot.BottomMargin = 83;
    Plot.Frame = true;

    canvas.Pen = TPen{colors::LightGray, 1, TPenStyle::Solid};
    canvas.Brush = TBrush{colors::White, TBrushStyle::Solid};
    Plot.SetArea(canvas, width, height);
    Plot.DrawXAxis(canvas);
    Plot.DrawYAxis(canvas);
    Plot.DrawTitle(canvas);
    Plot.GridMode = 3;
    Plot.DrawGrid(canvas);

    for (int s = 0; s < kSeriesCount; ++s) {
        if (!Enabled[s] || s >= static_cast<int>(Data.size()))
            continue;
        const auto& row = Data[s];
        std::vector<double> steps(row.size());
        for (size_t i = 0; i < steps.size(); ++i)
            steps[i] = static_cast<double>(i);
        Plot.DrawSeries(canvas, steps, row, Styles[s], First, Last);
    }
}

std::string TStepChart::PointerText(int px, int py) const
{
    const double x = Plot.PixelToX(px);
    const double y = Plot.PixelToY(py);
    if (x >= Plot.XMin && x <= Plot.XMax && y >= Plot.YMin && y <= Plot.YMax)
        return Format("X=%0.3f, Y=%0.3f", x, y);
    return "";
}

void SetupStepChart(TStepChart& chart, TChartMatrix matrix, TStepLegend legend)
{
    chart.SetData(std::move(matrix));
    chart.EnableSeries({0, 1, 2});
    chart.Labels[0] = "Fluid";
    chart.Labels[1] = "Air";
    chart.Labels[2] = "Surface";
    chart.SetAxisTitles("Step", "degC");
    chart.Legend = std::move(legend);
}

int StepChartFontSize(int height)
{
    return std::clamp(height / 36, 10, 24);
}

int StepChartPictureWidth(int width, int height)
{
    return width + std::max(160, StepChartFontSize(height) * 15);
}

void DrawStepChartPicture(TStepChart& chart, ICanvas& canvas, int width, int height)
{
    const int total = StepChartPictureWidth(width, height);
    canvas.Font = TFont{colors::Black, StepChartFontSize(height)};
    canvas.Brush = TBrush{colors::White, TBrushStyle::Solid};
    canvas.FillRect(width, 0, total, height);
    chart.Redraw(canvas, width, height);

    // The legend panel: a light frame, the caption, then each shown series with a sample of
    // its line and its name in its colour, and the value texts.
    canvas.Pen = TPen{colors::LightGray, 1, TPenStyle::Solid};
    canvas.Brush = TBrush{TColor::FromRgb(0xF8F8F8), TBrushStyle::Solid};
    const int x0 = width + 8;
    canvas.Rectangle(x0 - 4, chart.Plot.Top, total - 8, chart.Plot.Bottom + 1);
    const int line = canvas.TextHeight("M");
    int y = chart.Plot.Top + line / 2;
    canvas.Font.Color = colors::Black;
    canvas.TextOut(x0 + 4, y, "Step-by-Step Simulation");
    y += line * 2;
    for (int s = 0; s < TStepChart::kLabelCount; ++s) {
        if (!chart.Enabled[s])
            continue;
        const auto& style = chart.Styles[s];
        canvas.Pen = TPen{style.PenColor, style.PenWidth, style.PenStyle};
        canvas.Line(x0 + 4, y + line / 2, x0 + 4 + 2 * line, y + line / 2);
        canvas.Font.Color = style.PenColor;
        canvas.TextOut(x0 + 8 + 2 * line, y, chart.Labels[s]);
        y += line;
        const std::string* value = s == 0 ? &chart.Legend.Fluid : s == 1 ? &chart.Legend.Air : nullptr;
        if (value && !value->empty()) {
            canvas.Font.Color = colors::Black;
            canvas.TextOut(x0 + 8 + 2 * line, y, *value);
            y += line;
        }
        y += line / 2;
    }
    if (!chart.Legend.Duty.empty()) {
        canvas.Font.Color = colors::Black;
        canvas.TextOut(x0 + 4, y + line / 2, chart.Legend.Duty);
    }
}

TRasterImage RenderStepChart(TStepChart& chart, TTypeface& typeface, int width, int height)
{
    TRasterImage image(StepChartPictureWidth(width, height), height, colors::White);
    TRasterCanvas canvas(image, typeface);
    DrawStepChartPicture(chart, canvas, width, height);
    return image;
}

} // namespace zmk
