// Fuzz target for Open: any file content must open into a job of any kind (or be refused as no
// project) without a crash, a hang or undefined behaviour, and leave a job that still solves,
// steps, saves and opens again, with no NaN or infinity among the results it shows.
#include "FuzzScratch.h"
#include "app/CoilJob.h"
#include "app/ProjectFile.h"
#include "app/ProjectProperties.h"
#include "platform/SettingsStore.h"
#include "base/Notifier.h"
#include "base/Paths.h"
#include "engine/HeatExchanger.h"
#include "geometry/CoilMakers.h"
#include "properties/Fluid.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// The scratch folder lives in memory-backed /dev/shm where there is one; it holds the input
// file, the saved project and a copy of the catalogue (the job's maker lookups read it, and
// nothing may write into the installed one).
struct Scratch : zmk::fuzz::FuzzScratch
{
    Scratch() : FuzzScratch("open")
    {
        std::error_code ec;
        std::filesystem::copy_file(zmk::CommonDataFolder() + "CoilMakers.xml", dir / "CoilMakers.xml",
                                   std::filesystem::copy_options::overwrite_existing, ec);
        zmk::ProcessCoilMakers().Reset((dir / "CoilMakers.xml").string());
    }
};

void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

// What the job shows after a solve must be numbers.
void checkShown(zmk::TCoilJob& job)
{
    zmk::TLiquidCoil* coil = job.Coil();
    check(coil != nullptr);
    for (double v :
         {coil->Qt, coil->Qs, coil->e, coil->Ntu, coil->Cr, coil->ma, coil->Vf, job.AirIn().db, job.AirIn().w,
          job.AirOut().db, job.AirOut().w, job.Liquid()->tfi, job.Liquid()->tfo, job.Liquid()->m})
        check(std::isfinite(v));
    for (int f = 0; f < zmk::kEntryFieldCount; ++f)
        check(std::isfinite(job.Inputs[static_cast<zmk::TEntryField>(f)].Value));
}

struct Job
{
    explicit Job(const char* kind) : properties(store, zmk::TRegisteredUser{}), job(&notes)
    {
        job.KindCode = kind;
        job.Properties = &properties;
        job.SetKindDefaults();
        job.BuildCoil();
    }
    zmk::TMemorySettingsStore store;
    zmk::TProjectProperties properties;
    zmk::RecordingNotifier notes;
    zmk::TCoilJob job;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Scratch scratch;
    static const char* const kinds[] = {"zmk", "hwc", "cwc"};
    const std::string input = (scratch.dir / "input.zmx").string();
    const std::string saved = (scratch.dir / "saved.zmx").string();
    std::ofstream(input, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));

    // The job's kind comes from the last byte, so that every kind meets every file.
    Job j(kinds[size > 0 ? data[size - 1] % 3 : 0]);
    zmk::TCoilJob& job = j.job;
    const zmk::TOpenResult r = job.Open(input, {&j.notes});
    // A file that is no project is refused and leaves the job as it was; any other is read and
    // leaves the job not solved.
    check(r.Exists && (r.Refused ? job.FileName != input : !job.Solved()));
    checkShown(job); // the stored results, shown as read

    job.Solve();
    if (job.LastError().empty())
        checkShown(job);
    job.StepByStep();
    job.SaveAs(saved, {&j.notes});

    // What was saved opens again into a fresh job of the same kind.
    Job again(job.KindCode.c_str());
    const zmk::TOpenResult r2 = again.job.Open(saved, {&again.notes});
    check(r2.Parsed && r2.CoilFound);
    again.job.Solve();
    return 0;
}
