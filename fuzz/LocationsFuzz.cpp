// Fuzz target for the location database: any index file and any data file must go through the
// place picker, the pressure calculator and the search without a crash, a hang or undefined
// behaviour, and a place taken from them must leave numbers in the calculator's fields.
//
// Input: two bytes (little-endian) giving the length of the index text, the index text, then
// the data file's bytes, which serve as the data file of every database the index names.
#include "FuzzScratch.h"
#include "platform/SettingsStore.h"
#include "base/Notifier.h"
#include "dialogs/AltBarom.h"
#include "properties/Locations.h"
#include "dialogs/SelectLocation.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

using Scratch = zmk::fuzz::FuzzScratch;

void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Scratch scratch("locations");
    if (size < 2)
        return 0;
    const std::size_t indexLength = std::min<std::size_t>(data[0] | data[1] << 8, size - 2);
    const std::string index(reinterpret_cast<const char*>(data) + 2, indexLength);
    const std::string records(reinterpret_cast<const char*>(data) + 2 + indexLength, size - 2 - indexLength);

    scratch.Clear();
    scratch.Write("Regions.idx", index);
    zmk::TLocationIndex parsed;
    parsed.Parse(index);
    int written = 0;
    for (const std::string& database : parsed.Databases())
        if (zmk::IsSafeDatabaseName(database) && written++ < 8)
            scratch.Write(database + ".wdb", records);
    const std::string folder = scratch.dir.string() + "/";

    zmk::TMemorySettingsStore program, common;
    zmk::RecordingNotifier notes;
    zmk::TSelectLocation picker(program, folder, &notes);
    picker.Show();
    const int databases = static_cast<int>(picker.Databases().size());
    for (int d = 0; d < std::min(databases, 8); ++d) {
        picker.SelectDatabase(d);
        const int regions = static_cast<int>(picker.Regions().size());
        for (int r = 0; r < std::min(regions, 8); ++r) {
            picker.SelectRegion(r);
            const int places = static_cast<int>(picker.Places().size());
            check(places <= static_cast<int>(records.size() / zmk::kLocationRecordSize));
            for (int p = 0; p < std::min(places, 16); ++p) {
                picker.SelectPlace(p);
                if (picker.CanAccept()) {
                    check(!picker.LocationName().empty());
                    check(picker.StatusPanels()[0].rfind("Record ", 0) == 0);
                }
            }
        }
    }
    picker.Close();

    // The calculator takes the first place the picker offers.
    zmk::TEntryErrorFlag flag;
    zmk::TAltBarom barom(common, program, folder, &notes, &flag);
    barom.Show();
    barom.SearchForLocation([](zmk::TSelectLocation& p) {
        p.Show();
        const bool ok = p.Accept();
        p.Close();
        return ok;
    });
    check(std::isfinite(barom.Pressure()) && std::isfinite(barom.Altitude()));
    check(std::isfinite(static_cast<double>(barom.edAlt.GetValue().AsNumber())));
    check(std::isfinite(static_cast<double>(barom.edPa.GetValue().AsNumber())));
    barom.Close();

    const zmk::TLocationSearch found = zmk::FindLocations(folder, "a");
    for (const zmk::TLocationMatch& m : found.Matches)
        check(!m.Database.empty() && m.RecordNumber >= 0);
    return 0;
}
