// Fuzz target for INI files: any bytes must go through every reader of INI text without a
// crash, a hang or undefined behaviour: the INI file itself (parsed, written and parsed again to
// the same content), the settings store (typed reads and writes, flushed and read back), the
// units file (display indexes kept within their unit lists, saved and read again) and the
// location index (names and codes of a Regions.idx).
#include "FuzzScratch.h"
#include "platform/SettingsStore.h"
#include "base/IniFile.h"
#include "properties/Locations.h"
#include "units/Conv.h"
#include "units/ConvTools.h"

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

// Parsing what Bytes wrote gives back the same file, and every name found is found again.
void checkIniFile(const std::string& input)
{
    zmk::IniFile ini;
    ini.Parse(input);
    const std::string bytes = ini.Bytes();
    // Every entry is one line: no control characters but the line ends.
    for (const char c : bytes)
        check(static_cast<unsigned char>(c) >= 0x20 || c == '\r' || c == '\n');
    zmk::IniFile again;
    again.Parse(bytes);
    check(again.Bytes() == bytes);
    for (const std::string& section : ini.ReadSections()) {
        check(ini.SectionExists(section));
        for (const auto& [key, value] : ini.ReadSectionValues(section))
            check(ini.Value(section, key).has_value());
    }
    // Writing keeps the index in step with the lists, through erasing and deleting too.
    const std::vector<std::string> sections = ini.ReadSections();
    if (!sections.empty()) {
        const std::vector<std::string> keys = ini.ReadSection(sections.front());
        if (!keys.empty())
            ini.DeleteKey(sections.front(), keys.front());
        ini.EraseSection(sections.back());
        check(!ini.SectionExists(sections.back()));
    }
    ini.WriteString("Fuzz", "key", "value");
    check(ini.ReadString("fuzz", "KEY", "") == "value");
}

void checkSettingsStore(const Scratch& scratch, const std::string& input)
{
    const fs::path file = scratch.dir / "ZMK.ini";
    std::ofstream(file, std::ios::binary | std::ios::trunc) << input;
    {
        zmk::TIniSettingsStore store(file);
        for (const std::string& section : store.Sections()) {
            check(store.SectionExists(section));
            for (const std::string& name : store.ValueNames(section)) {
                check(std::isfinite(store.ReadFloat(section, name, 1.5)));
                store.ReadInteger(section, name, 7);
                store.ReadBool(section, name, true);
            }
        }
        // A value written holds one line however it came in.
        store.WriteString("Startup", "LiquidCaption", input.substr(0, 64));
        store.WriteFloat("Startup", "Barometer", 101.325);
        check(store.Flush());
    }
    zmk::TIniSettingsStore back(file);
    check(back.ReadFloat("Startup", "Barometer", 0) == 101.325);
}

void checkUnitsFile(const Scratch& scratch, const std::string& input)
{
    static zmk::TQuantities quantities;
    const fs::path file = scratch.dir / "units.ini";
    std::ofstream(file, std::ios::binary | std::ios::trunc) << input;
    quantities.ResetDefaults();
    zmk::LoadUnitSettings(quantities, file);
    for (const zmk::UnitRec* q : quantities.List())
        check(zmk::ClampUnitIndex(q->kind, q->display) == q->display);
    check(zmk::SaveUnitSettings(quantities, file));
}

void checkLocationIndex(const std::string& input)
{
    zmk::TLocationIndex index;
    index.Parse(input);
    for (const std::string& database : index.Databases())
        for (const std::string& key : index.Keys(database))
            if (const auto code = index.Code(database, key))
                check(index.KeyOfCode(database, *code).has_value());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Scratch scratch("inifile");
    const std::string input(reinterpret_cast<const char*>(data), size);
    checkIniFile(input);
    checkSettingsStore(scratch, input);
    checkUnitsFile(scratch, input);
    checkLocationIndex(input);
    return 0;
}
