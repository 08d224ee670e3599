// Speed of rating project files as a batch does: each job a session of its own that opens the
// file into a coil of the kind it holds and solves it, on one thread and on two threads at once
// (each thread with its own jobs, as `zemtor solve --jobs 2` runs them). The files are the
// default job of each kind, saved once into memory-backed /dev/shm where there is one.
#include "app/CoilJob.h"
#include "app/ProjectFile.h"
#include "app/ProjectProperties.h"
#include "app/ProjectSession.h"
#include "platform/SettingsStore.h"
#include "engine/HeatExchanger.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

namespace zmk {

namespace {

namespace fs = std::filesystem;

// The three saved projects, written once for the whole run and removed at exit.
struct BatchFiles
{
    BatchFiles()
    {
        std::error_code ec;
        const fs::path base = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
        for (const char* kind : {"zmk", "hwc", "cwc"}) {
            TMemorySettingsStore store;
            TProjectProperties properties(store, TRegisteredUser{});
            TCoilJob job;
            job.KindCode = kind;
            job.Properties = &properties;
            job.SetKindDefaults();
            job.BuildCoil();
            const std::string file =
                (base / ("zmk_batch_" + std::to_string(::getpid()) + "_" + kind + ".zmx")).string();
            job.SaveAs(file, {});
            files.push_back(file);
        }
    }
    ~BatchFiles()
    {
        std::error_code ec;
        for (const std::string& f : files)
            fs::remove(f, ec);
    }
    std::vector<std::string> files;
};

const std::vector<std::string>& batchFiles()
{
    static BatchFiles files;
    return files.files;
}

// One job of a batch: a session, the file opened into the kind it holds, solved.
bool rateOne(const std::string& file)
{
    TMemorySettingsStore store;
    TSessionSetup setup;
    setup.Store = &store;
    setup.User = TRegisteredUser{};
    TProjectSession session(setup);
    TAdpDefault::Instance().Reset();
    session.OpenInKind(file);
    session.Solve();
    return session.Job().Solved();
}

void BM_BatchJob(benchmark::State& state)
{
    const std::vector<std::string>& files = batchFiles();
    std::size_t i = 0;
    std::int64_t solved = 0;
    for (auto _ : state)
        solved += rateOne(files[i++ % files.size()]);
    state.SetItemsProcessed(state.iterations());
    state.counters["solved"] = benchmark::Counter(static_cast<double>(solved) / state.iterations());
}
BENCHMARK(BM_BatchJob)->Unit(benchmark::kMicrosecond);
// Two threads, each rating its own jobs: the items per second of both together show how far the
// batch scales with --jobs 2.
BENCHMARK(BM_BatchJob)->Threads(2)->UseRealTime()->Unit(benchmark::kMicrosecond);

} // namespace

} // namespace zmk
