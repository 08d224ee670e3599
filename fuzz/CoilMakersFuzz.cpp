// Fuzz target for the coil maker catalogue reader: any file content must be read, selected
// from, matched against, written back and turned into a geometry without a crash, a hang or
// undefined behaviour.
#include "base/Errors.h"
#include "base/Notifier.h"
#include "geometry/CoilMakers.h"
#include "geometry/FinAndTube.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <unistd.h>

namespace {

// The scratch catalogue lives in memory-backed /dev/shm where there is one (every run writes it,
// and saves it again at the end); it is removed after each run.
std::filesystem::path ScratchFolder()
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path base = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
    return base / ("zmk_fuzz_" + std::to_string(::getpid()));
}

void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

void Exercise(const zmk::TMnfRec& m)
{
    (void)zmk::ModelLine(m);
    zmk::TModelRec r;
    zmk::MnfRecToModel(m, r);
    zmk::TFinAndTube g;
    g.SetModel(r);
    (void)g.MakerDesignation();
    (void)g.TubeLine();
    try {
        (void)g.ManufacturingReport();
    } catch (const zmk::ZmkError&) {
        // A pattern that gives no finite weight is reported as an arithmetic error.
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::filesystem::path dir = ScratchFolder();
    std::filesystem::create_directories(dir);
    const std::string file = (dir / "CoilMakers.xml").string();
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    zmk::RecordingNotifier notifier;
    zmk::TCoilMakers cat(file, &notifier);
    const std::vector<std::string> makers = cat.MakerList();
    for (std::size_t i = 0; i < makers.size() && i < 4; ++i) {
        const zmk::TMnfRec chosen = cat.SelectModel(makers[i], 4);
        Exercise(chosen);
        (void)cat.MatchModel(makers[i], chosen);
        const zmk::TMnfRecVec models = cat.Models();
        for (std::size_t k = 0; k < models.size() && k < 16; ++k)
            Exercise(models[k]);
    }
    // A maker that is not there: the built-in pattern, held in memory only.
    Exercise(cat.SelectModel("no such maker", 105));
    (void)cat.MakerList();
    // Reading never rewrites the file.
    {
        std::ifstream in(file, std::ios::binary);
        const std::string now((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        check(now == std::string(reinterpret_cast<const char*>(data), size));
    }
    // Storing the cached maker, as the user may ask to, writes a file that reads back.
    try {
        cat.SaveMaker();
        zmk::TCoilMakers back(file);
        back.LoadMaker(cat.CachedMaker());
    } catch (const zmk::ZmkError&) {
        // A file that does not parse is not overwritten.
    }
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    return 0;
}
