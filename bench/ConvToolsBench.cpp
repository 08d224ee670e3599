// Cost of turning one stored value into text with its unit label, as every result page does
// for each printed number.
#include "units/ConvTools.h"

#include <benchmark/benchmark.h>

namespace {

void BM_FormatQuantity(benchmark::State& state)
{
    zmk::TQuantities q;
    double value = 21.3;
    for (auto _ : state) {
        std::string text = zmk::FormatQuantity("%s %s", q.air_t, false, value);
        benchmark::DoNotOptimize(text);
        value += 0.001;
    }
}
BENCHMARK(BM_FormatQuantity);

// A converted quantity with a long label: air pressure drop in Pa shown in inches of water.
void BM_FormatQuantityConverted(benchmark::State& state)
{
    zmk::TQuantities q;
    zmk::SetAllImperial(q);
    double value = 85.0;
    for (auto _ : state) {
        std::string text = zmk::FormatQuantity("<td>%s %s</td>", q.air_dp, false, value);
        benchmark::DoNotOptimize(text);
        value += 0.01;
    }
}
BENCHMARK(BM_FormatQuantityConverted);

void BM_AutoFormat(benchmark::State& state)
{
    long double value = 0.0123;
    for (auto _ : state) {
        std::string f = zmk::AutoFormat(zmk::utTemperature, 0, value);
        benchmark::DoNotOptimize(f);
        value += 0.001L;
    }
}
BENCHMARK(BM_AutoFormat);

} // namespace
