// Geometry recalculation and catalogue reading: the work behind every entry-field change and
// every new coil.
#include "geometry/CoilMakers.h"
#include "geometry/FinAndTube.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

void BM_Recalculate(benchmark::State& state)
{
    zmk::TFinAndTube g;
    double rows = 4;
    for (auto _ : state) {
        rows = rows == 4 ? 5 : 4;
        g.SetRows(rows);
        benchmark::DoNotOptimize(g.EtaO);
    }
}
BENCHMARK(BM_Recalculate);

void BM_SelectModelFromInstalledCatalogue(benchmark::State& state)
{
    const std::string file = std::string(ZMK_BUILD_COMMON_DIR) + "/CoilMakers.xml";
    zmk::TCoilMakers cat(file);
    int i = 0;
    for (auto _ : state) {
        // Alternating makers rereads the file each time.
        const zmk::TMnfRec m = cat.SelectModel(++i % 2 ? "typical" : "HC", 4);
        benchmark::DoNotOptimize(m.OD);
    }
}
BENCHMARK(BM_SelectModelFromInstalledCatalogue);

} // namespace
