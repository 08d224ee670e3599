// Drawing and encoding speed of the generated pictures: the temperature profile after every
// solve and the step-by-step chart.
#include "reports/Png.h"
#include "reports/StepChart.h"
#include "reports/TempProfile.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

void BM_TemperatureProfilePng(benchmark::State& state)
{
    auto typeface = zmk::LoadSansTypeface();
    const auto streams = zmk::ProfileStreams(true, 380, 177.3, 80, 100, "Water",
                                             [](double t) { return std::to_string(std::lround(t)) + "°C"; });
    for (auto _ : state)
        benchmark::DoNotOptimize(zmk::EncodePng(*zmk::DrawTemperatureProfile(streams, *typeface)));
}
BENCHMARK(BM_TemperatureProfilePng)->Unit(benchmark::kMillisecond);

void BM_StepChartPng(benchmark::State& state)
{
    auto typeface = zmk::LoadSansTypeface();
    zmk::TChartMatrix m(4, std::vector<double>(100));
    for (int i = 0; i < 100; ++i) {
        m[0][i] = 100 - 0.2 * i;
        m[1][i] = 380 - 2 * i;
        m[2][i] = 200 - i;
        m[3][i] = 10;
    }
    zmk::TStepChart chart;
    zmk::SetupStepChart(chart, m, zmk::StepLegendTexts(850.4, 80, 100, 380, 177.3));
    for (auto _ : state)
        benchmark::DoNotOptimize(zmk::EncodePng(zmk::RenderStepChart(chart, *typeface)));
}
BENCHMARK(BM_StepChartPng)->Unit(benchmark::kMillisecond);

} // namespace
