// Cost of one moist-air state: SetState for each pair code and AirState, over a spread of room
// and hot-air states (the coil models call these for every state of every pass).
#include "properties/Psy.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

struct Input
{
    double P, db, w;
};

// Room air to hot exhaust, dry to humid, at three pressures.
const std::vector<Input>& inputs()
{
    static const std::vector<Input> v = [] {
        std::vector<Input> r;
        for (double P : {70.0, 101.325, 120.0})
            for (double db : {-20.0, 5.0, 25.0, 45.0, 150.0, 380.0, 900.0})
                for (double w : {0.001, 0.008, 0.03})
                    r.push_back({P, db, w});
        return r;
    }();
    return v;
}

const std::vector<zmk::TAirState>& states()
{
    static const std::vector<zmk::TAirState> v = [] {
        std::vector<zmk::TAirState> r;
        for (const Input& in : inputs())
            r.push_back(zmk::SetState(in.P, in.db, in.w, zmk::kPairDbW));
        return r;
    }();
    return v;
}

void BM_SetState(benchmark::State& st)
{
    const int code = static_cast<int>(st.range(0));
    const auto& s = states();
    zmk::TAirState out;
    size_t i = 0;
    for (auto _ : st) {
        const zmk::TAirState& in = s[i++ % s.size()];
        switch (code) {
        case zmk::kPairDbWb:
            zmk::SetState(out, in.P, in.db, in.wb, code);
            break;
        case zmk::kPairDbH:
            zmk::SetState(out, in.P, in.db, in.h, code);
            break;
        case zmk::kPairDbW:
            zmk::SetState(out, in.P, in.db, in.w, code);
            break;
        case zmk::kPairDbRh:
            zmk::SetState(out, in.P, in.db, in.rh, code);
            break;
        default:
            zmk::SetState(out, in.P, in.h, in.w, code);
            break;
        }
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(BM_SetState)
    ->Arg(zmk::kPairDbWb)
    ->Arg(zmk::kPairDbH)
    ->Arg(zmk::kPairDbW)
    ->Arg(zmk::kPairDbRh)
    ->Arg(zmk::kPairHW);

void BM_AirState(benchmark::State& st)
{
    const int code = static_cast<int>(st.range(0));
    const auto& s = states();
    zmk::TAirState out;
    size_t i = 0;
    for (auto _ : st) {
        zmk::AirState(out, s[i++ % s.size()], code);
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(BM_AirState)->Arg(zmk::kPairDbH)->Arg(zmk::kPairDbW)->Arg(zmk::kPairHW);

void BM_LeavingState(benchmark::State& st)
{
    const auto& s = states();
    zmk::TAirState out;
    size_t i = 0;
    for (auto _ : st) {
        double adp = 10;
        zmk::LeavingState(out, s[i++ % s.size()], 0, -5, 0.15, adp);
        benchmark::DoNotOptimize(out);
        benchmark::DoNotOptimize(adp);
    }
}
BENCHMARK(BM_LeavingState);

void BM_WetBulbFromRh(benchmark::State& st)
{
    const auto& s = states();
    size_t i = 0;
    for (auto _ : st) {
        const zmk::TAirState& in = s[i++ % s.size()];
        benchmark::DoNotOptimize(zmk::WetBulb(in.P, in.db, in.rh, zmk::kPairDbRh));
    }
}
BENCHMARK(BM_WetBulbFromRh);

} // namespace
