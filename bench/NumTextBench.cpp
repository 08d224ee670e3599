// Cost of turning one real into text with the two directives every result page uses.
#include "base/NumText.h"

#include <benchmark/benchmark.h>

#include <array>

namespace {

// Values of the sizes a coil's results have (duties, temperatures, small coefficients).
constexpr std::array<double, 8> kValues = {0.853, 21.35, 1234.5678, 0.0456, 101.325, 380.0, 0.00012, 57.125};

void BM_FormatFixed3(benchmark::State& state)
{
    size_t i = 0;
    for (auto _ : state) {
        std::string s = zmk::Format("%0.3f", kValues[i++ % kValues.size()]);
        benchmark::DoNotOptimize(s);
    }
}
BENCHMARK(BM_FormatFixed3);

void BM_FormatGeneral4(benchmark::State& state)
{
    size_t i = 0;
    for (auto _ : state) {
        std::string s = zmk::Format("%0.4g", kValues[i++ % kValues.size()]);
        benchmark::DoNotOptimize(s);
    }
}
BENCHMARK(BM_FormatGeneral4);

void BM_FormatFixedExtended(benchmark::State& state)
{
    // A displayed value comes out of the unit conversion in extended precision.
    size_t i = 0;
    for (auto _ : state) {
        long double x = static_cast<long double>(kValues[i++ % kValues.size()]) * 1.8L + 32;
        std::string s = zmk::Format("%0.1f", x);
        benchmark::DoNotOptimize(s);
    }
}
BENCHMARK(BM_FormatFixedExtended);

} // namespace
