// Speed of the coil selection: the default hot water job over the whole catalogue, 1..8 rows,
// 6..14 fpi, every circuiting whose tube velocity is acceptable, fin heights in whole tubes from
// 300 to 1,500 mm and finned lengths from 500 to 3,000 mm in 100 mm steps, on two threads, with
// and without the pruning, the best 1,000 kept (as the window keeps them). The counters give the
// combinations, the ratings and the coils that meet.
#include "engine/CoilSelection.h"

#include <benchmark/benchmark.h>

namespace zmk {

namespace {

TSelectInputs defaultSelection(bool prune)
{
    TSelectInputs in;
    in.Job = TCoilInputs::Defaults("hwc");
    in.Duty = RateCoil(in.Job).Qt;
    in.Patterns = CataloguePatterns(ProcessCoilMakers());
    in.Prune = prune;
    in.Threads = 2;
    in.Keep = 1000;
    return in;
}

void BM_SelectCatalogue(benchmark::State& state)
{
    const TSelectInputs in = defaultSelection(state.range(0) != 0);
    TSelectResult r;
    for (auto _ : state)
        r = SelectCoils(in);
    state.counters["combinations"] = static_cast<double>(r.Enumerated);
    state.counters["rated"] = static_cast<double>(r.Rated);
    state.counters["pruned"] = static_cast<double>(r.Pruned);
    state.counters["met"] = static_cast<double>(r.Met);
}
BENCHMARK(BM_SelectCatalogue)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace

} // namespace zmk
