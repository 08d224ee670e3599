// Speed of the project file: Save (document built, written beside the target and renamed over
// it) and Open (parsed and read into the coil, without a solve) of the default job of each kind.
#include "app/CoilJob.h"
#include "app/ProjectFile.h"
#include "app/ProjectProperties.h"
#include "platform/SettingsStore.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include <unistd.h>

namespace zmk {

namespace {

namespace fs = std::filesystem;

const char* const kKinds[] = {"zmk", "hwc", "cwc"};

// A scratch file in memory-backed /dev/shm where there is one.
std::string scratchFile(const std::string& kind)
{
    std::error_code ec;
    const fs::path base = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
    return (base / ("zmk_bench_" + std::to_string(::getpid()) + "_" + kind + ".zmx")).string();
}

struct BenchJob
{
    explicit BenchJob(const std::string& kind) : properties(store, TRegisteredUser{}), file(scratchFile(kind))
    {
        job.KindCode = kind;
        job.Properties = &properties;
        job.SetKindDefaults();
        job.BuildCoil();
        job.SaveAs(file, {});
    }
    ~BenchJob()
    {
        std::error_code ec;
        fs::remove(file, ec);
    }
    TMemorySettingsStore store;
    TProjectProperties properties;
    TCoilJob job;
    std::string file;
};

void BM_SaveProject(benchmark::State& state)
{
    BenchJob b(kKinds[state.range(0)]);
    for (auto _ : state)
        benchmark::DoNotOptimize(b.job.Save({}));
    state.SetLabel(b.job.KindCode);
}
BENCHMARK(BM_SaveProject)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

void BM_OpenProject(benchmark::State& state)
{
    BenchJob b(kKinds[state.range(0)]);
    for (auto _ : state)
        benchmark::DoNotOptimize(b.job.Open(b.file, {}).CoilFound);
    state.SetLabel(b.job.KindCode);
}
BENCHMARK(BM_OpenProject)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

} // namespace

} // namespace zmk
