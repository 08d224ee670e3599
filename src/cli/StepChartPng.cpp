#include "cli/StepChartPng.h"

#include "app/CoilJob.h"
#include "reports/Png.h"
#include "reports/StepChart.h"
#include "reports/Typeface.h"

namespace zmk::cli {

void WriteStepChartPng(const TStepChartData& data, const std::filesystem::path& file)
{
    TStepChart chart;
    SetupStepChart(chart, data.Matrix, TStepLegend{data.Captions[0], data.Captions[1], data.Captions[2]});
    chart.SetRange(data.FirstColumn, data.LastColumn);
    chart.SetAxisTitles(data.XTitle, data.YTitle);
    for (int s = 0; s < 3; ++s)
        chart.Labels[s] = data.CurveNames[s];
    const auto typeface = LoadSansTypeface();
    WritePngFile(file, RenderStepChart(chart, *typeface));
}

} // namespace zmk::cli
