// Speed of the coil job's commands on the default job of each kind: the coil solve (the cold
// coil both dry and wet), the Solve command around it, Step by step, and the two sizing runs of
// the coil dialog that search the most (AutoRowsFins, AutoFaceArea).
#include "app/CoilJob.h"
#include "engine/HeatExchanger.h"
#include "properties/Fluid.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace zmk {

namespace {

// A default job of the kind, solved once; "cwc-dry" is the cold coil on air too dry to condense.
std::unique_ptr<TCoilJob> makeJob(const std::string& kind)
{
    auto job = std::make_unique<TCoilJob>();
    const bool dry = kind == "cwc-dry";
    job->KindCode = dry ? "cwc" : kind;
    job->SetKindDefaults();
    job->BuildCoil();
    if (dry) {
        job->EnterField(TEntryField::edHumidityOn, 0.003);
        job->Solve();
    }
    return job;
}

// What a coil's solve starts from: the liquid as the job built it, the previous duty cleared.
struct StartState
{
    explicit StartState(TCoilJob& job)
        : rec(job.Coil()->Geometry->Rec), tfo(job.StartValues.two), m(job.StartValues.mw),
          ctrl(job.Coil()->LiquidState->ctrl), designdt(job.Coil()->LiquidState->designdt), Va(job.Coil()->Va)
    {
    }
    void Restore(TLiquidCoil& c, bool geometry) const
    {
        if (geometry)
            c.SetModelRecord(rec);
        c.LiquidState->ctrl = ctrl;
        c.LiquidState->designdt = designdt;
        c.LiquidState->SetLeavingTemp(tfo);
        c.LiquidState->SetMassFlow(m);
        c.SetAirVolumeFlow(Va);
        c.Qt = 0;
    }
    TModelRec rec;
    double tfo, m;
    std::uint8_t ctrl;
    double designdt, Va;
};

void setLabel(benchmark::State& state, TCoilJob& job)
{
    state.SetLabel(SolveStatusName(job.Coil()->Status) + " " +
                   SurfaceConditionName(job.Coil()->SurfaceCondition) +
                   " Qt=" + std::to_string(job.Coil()->Qt));
}

// The coil's own solve from the built state (the liquid leaving temperature of the start values
// and no previous duty), as the job's first solve runs it.
void BM_Solve(benchmark::State& state, const std::string& kind)
{
    auto job = makeJob(kind);
    TLiquidCoil& c = *job->Coil();
    const StartState start(*job);
    for (auto _ : state) {
        start.Restore(c, false);
        benchmark::DoNotOptimize(c.Solve());
    }
    setLabel(state, *job);
    state.counters["passes"] = c.SolvePasses;
}

// The Solve command: inputs applied, solve, inputs shown. The solve starts from the previous
// result, as it does when the user presses F9 again.
void BM_SolveCommand(benchmark::State& state, const std::string& kind)
{
    auto job = makeJob(kind);
    for (auto _ : state)
        job->Solve();
    setLabel(state, *job);
    state.counters["passes"] = job->Coil()->SolvePasses;
}

void BM_StepByStep(benchmark::State& state, const std::string& kind)
{
    auto job = makeJob(kind);
    double duty = 0;
    for (auto _ : state) {
        job->Coil()->StepByStep(duty);
        benchmark::DoNotOptimize(duty);
    }
    state.SetLabel("duty=" + std::to_string(duty));
}

// The sizing runs aim at the default coil's duty, each from the default geometry.
void BM_AutoRowsFins(benchmark::State& state, const std::string& kind)
{
    auto job = makeJob(kind);
    TLiquidCoil& c = *job->Coil();
    const StartState start(*job);
    const double duty = c.Qt * 1.1;
    TSolveStatus status = TSolveStatus::None;
    for (auto _ : state) {
        start.Restore(c, true);
        status = c.AutoRowsFins(0, duty);
    }
    state.SetLabel(SolveStatusName(status) + " rows=" + std::to_string(c.GetRows()) +
                   " fpi=" + std::to_string(c.GetFinDensity()));
}

void BM_AutoFaceArea(benchmark::State& state, const std::string& kind)
{
    auto job = makeJob(kind);
    TLiquidCoil& c = *job->Coil();
    const StartState start(*job);
    const double duty = c.Qt * 1.1;
    const double Va = c.Va;
    TSolveStatus status = TSolveStatus::None;
    for (auto _ : state) {
        start.Restore(c, true);
        status = c.AutoFaceArea(Va, duty);
    }
    state.SetLabel(SolveStatusName(status) + " Af=" + std::to_string(c.GetAf()));
}

} // namespace

BENCHMARK_CAPTURE(BM_Solve, zmk, std::string("zmk"));
BENCHMARK_CAPTURE(BM_Solve, hwc, std::string("hwc"));
BENCHMARK_CAPTURE(BM_Solve, cwc_wet, std::string("cwc"));
BENCHMARK_CAPTURE(BM_Solve, cwc_dry, std::string("cwc-dry"));
BENCHMARK_CAPTURE(BM_SolveCommand, zmk, std::string("zmk"));
BENCHMARK_CAPTURE(BM_SolveCommand, hwc, std::string("hwc"));
BENCHMARK_CAPTURE(BM_SolveCommand, cwc_wet, std::string("cwc"));
BENCHMARK_CAPTURE(BM_SolveCommand, cwc_dry, std::string("cwc-dry"));
BENCHMARK_CAPTURE(BM_StepByStep, zmk, std::string("zmk"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_StepByStep, hwc, std::string("hwc"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_StepByStep, cwc_wet, std::string("cwc"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_StepByStep, cwc_dry, std::string("cwc-dry"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_AutoRowsFins, zmk, std::string("zmk"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_AutoRowsFins, hwc, std::string("hwc"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_AutoRowsFins, cwc, std::string("cwc"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_AutoFaceArea, zmk, std::string("zmk"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_AutoFaceArea, hwc, std::string("hwc"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_AutoFaceArea, cwc, std::string("cwc"))->Unit(benchmark::kMillisecond);

} // namespace zmk
