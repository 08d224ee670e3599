// Speed of INI files with many sections: parsing a settings file of n sections, reading every
// value back, and the program's settings store reading one from disk. Times grow in proportion to
// n (a ZMK.ini of 100,000 sections loads in well under a second).
#include "platform/SettingsStore.h"
#include "base/IniFile.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace zmk {

namespace {

namespace fs = std::filesystem;

// A settings file of n sections of three values each, as a window-heavy ZMK.ini might grow.
std::string manySections(long n)
{
    std::string text;
    for (long i = 0; i < n; ++i)
        text += "[Form" + std::to_string(i) + "]\r\nLeft=" + std::to_string(i % 1280) +
                "\r\nTop=10\r\nVisible=true\r\n\r\n";
    return text;
}

// A section of n keys, as a units file or an MRU list run wild might hold.
std::string manyKeys(long n)
{
    std::string text = "[units]\r\n";
    for (long i = 0; i < n; ++i)
        text += "key" + std::to_string(i) + "=" + std::to_string(i % 7) + "\r\n";
    return text;
}

void BM_ParseSections(benchmark::State& state)
{
    const std::string text = manySections(state.range(0));
    for (auto _ : state) {
        IniFile ini;
        ini.Parse(text);
        benchmark::DoNotOptimize(ini.SectionExists("Form0"));
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ParseSections)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

void BM_ParseKeys(benchmark::State& state)
{
    const std::string text = manyKeys(state.range(0));
    for (auto _ : state) {
        IniFile ini;
        ini.Parse(text);
        benchmark::DoNotOptimize(ini.ValueExists("units", "key0"));
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ParseKeys)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

// Every value read once by name, and the file written back: what a start and an exit of the
// program do with the settings.
void BM_ReadEveryValueAndWrite(benchmark::State& state)
{
    IniFile ini;
    ini.Parse(manySections(state.range(0)));
    for (auto _ : state) {
        long sum = 0;
        for (long i = 0; i < state.range(0); ++i)
            sum += ini.ReadInteger("form" + std::to_string(i), "LEFT", 0);
        benchmark::DoNotOptimize(sum);
        benchmark::DoNotOptimize(ini.Bytes().size());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ReadEveryValueAndWrite)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

// The program's settings file of 100,000 sections read from disk by the store, as every
// command and the window do at start.
void BM_SettingsStoreLoad(benchmark::State& state)
{
    std::error_code ec;
    const fs::path base = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
    const fs::path file = base / ("zmk_bench_" + std::to_string(::getpid()) + "_ZMK.ini");
    std::ofstream(file, std::ios::binary | std::ios::trunc) << manySections(state.range(0));
    for (auto _ : state) {
        TIniSettingsStore store(file);
        benchmark::DoNotOptimize(store.ReadInteger("Form99", "Left", 0));
    }
    fs::remove(file, ec);
}
BENCHMARK(BM_SettingsStoreLoad)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

} // namespace zmk
