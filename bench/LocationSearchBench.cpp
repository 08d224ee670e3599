// Speed of the location search on databases of many regions: one data file with one place in
// each of n regions, searched for a text that nothing holds (every place, region and database
// name is compared) and listed whole, as `zemtor location zzzz` and `zemtor location ""` do.
// Times grow in proportion to n: 20,000 regions (a 1.7 MB data file) answer in milliseconds.
#include "properties/Locations.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace zmk {

namespace {

namespace fs = std::filesystem;

// A common data folder holding "Regions.idx" and "World.wdb" with n regions, removed at the end.
class ManyRegions
{
public:
    explicit ManyRegions(long n)
        : dir_(fs::temp_directory_path() /
               ("zmk_bench_regions_" + std::to_string(::getpid()) + "_" + std::to_string(n)))
    {
        fs::create_directories(dir_);
        std::string index = "[+All]\r\nWorld=1\r\n\r\n[World]\r\n";
        std::string records;
        records.reserve(static_cast<std::size_t>(n) * kLocationRecordSize);
        for (long i = 1; i <= n; ++i) {
            index += "Region " + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
            TLocationRecord r;
            r.Database = 1;
            r.Region = static_cast<std::int32_t>(i);
            r.Name = "Place " + std::to_string(i);
            r.Altitude = static_cast<float>(i % 3000);
            records += EncodeLocationRecord(r);
        }
        std::ofstream(dir_ / "Regions.idx", std::ios::binary) << index;
        std::ofstream(dir_ / "World.wdb", std::ios::binary) << records;
    }
    ~ManyRegions()
    {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    std::string Folder() const { return dir_.string() + "/"; }

private:
    fs::path dir_;
};

// Reading the index and the data file, and the search: all of `zemtor location zzzz`'s work.
void BM_LocationSearchNothingFound(benchmark::State& state)
{
    const ManyRegions data(state.range(0));
    for (auto _ : state) {
        TLocationDatabase locations;
        locations.Load(data.Folder());
        benchmark::DoNotOptimize(locations.Find("zzzz").size());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_LocationSearchNothingFound)
    ->Arg(1000)
    ->Arg(5000)
    ->Arg(20000)
    ->Arg(80000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

// Every place found with its region's name, as the listing of the whole database names them.
void BM_LocationListEveryPlace(benchmark::State& state)
{
    const ManyRegions data(state.range(0));
    for (auto _ : state) {
        TLocationDatabase locations;
        locations.Load(data.Folder());
        std::size_t names = 0;
        for (const TLocationDatabase::THit& hit : locations.Find(""))
            names += locations.RegionName(hit).size() + locations.Record(hit).Name.size();
        benchmark::DoNotOptimize(names);
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_LocationListEveryPlace)
    ->Arg(1000)
    ->Arg(5000)
    ->Arg(20000)
    ->Arg(80000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

} // namespace

} // namespace zmk
