// zemtor location: the places of the location database whose name, region or database
// contains a text, with their altitude and the standard-atmosphere pressure there, as the
// pressure calculator would take them.
#include "cli/Commands.h"

#include "base/NumText.h"
#include "base/Paths.h"
#include "dialogs/Locations.h"
#include "properties/Psy.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <cmath>
#include <iostream>
#include <memory>
#include <string>

namespace zmk::cli {

namespace {

struct LocationOptions
{
    std::string search;
    bool json = false;
};

// Width of a UTF-8 text in characters.
std::size_t Width(const std::string& s)
{
    std::size_t n = 0;
    for (unsigned char c : s)
        n += (c & 0xC0) != 0x80;
    return n;
}

std::string PadRight(const std::string& s, std::size_t width)
{
    const std::size_t w = Width(s);
    return w >= width ? s : s + std::string(width - w, ' ');
}

std::string PadLeft(const std::string& s, std::size_t width)
{
    const std::size_t w = Width(s);
    return w >= width ? s : std::string(width - w, ' ') + s;
}

nlohmann::json Number(double v)
{
    return std::isfinite(v) ? nlohmann::json(v) : nlohmann::json(nullptr);
}

void RunLocation(const LocationOptions& o)
{
    const std::string folder = CommonDataFolder();
    const TLocationSearch found = FindLocations(folder, o.search);
    if (!found.IndexFound) {
        std::cerr << "zemtor: the location database is not installed: " << folder << kLocationIndexFile
                  << " is missing or unreadable\n";
        throw CLI::RuntimeError(1);
    }
    for (const std::string& database : found.Missing)
        std::cerr << "zemtor: the " << database << " database has not been installed ("
                  << LocationFilePath(folder, database).string() << " is missing or unreadable)\n";
    if (found.Matches.empty()) {
        std::cerr << "zemtor: no place matches \"" << o.search << "\"\n";
        throw CLI::RuntimeError(2);
    }

    if (o.json) {
        nlohmann::json list = nlohmann::json::array();
        for (const TLocationMatch& m : found.Matches) {
            const TLocationRecord& r = m.Record;
            const bool usable = HasUsableAltitude(r);
            list.push_back({
                {"place", r.Name},
                {"region", m.Region},
                {"database", m.Database},
                {"record", m.RecordNumber},
                {"latitude", Number(r.Latitude)},
                {"longitude", Number(r.Longitude)},
                {"timezone", Number(r.TimeZone)},
                {"altitude", usable ? Number(r.Altitude) : nlohmann::json(nullptr)},
                {"pressure", usable ? Number(AtmPressure(r.Altitude)) : nlohmann::json(nullptr)},
                {"cooling_db", Number(r.CoolingDB)},
                {"cooling_wb", Number(r.CoolingWB)},
                {"heating_db", Number(r.HeatingDB)},
            });
        }
        std::cout << list.dump(2) << "\n";
        return;
    }

    std::size_t placeWidth = 5, regionWidth = 6, databaseWidth = 8;
    for (const TLocationMatch& m : found.Matches) {
        placeWidth = std::max(placeWidth, Width(m.Record.Name));
        regionWidth = std::max(regionWidth, Width(m.Region));
        databaseWidth = std::max(databaseWidth, Width(m.Database));
    }
    std::cout << PadRight("Place", placeWidth) << "  " << PadRight("Region", regionWidth) << "  "
              << PadRight("Database", databaseWidth) << "  " << PadLeft("Altitude m", 10) << "  "
              << PadLeft("Pressure kPa", 12) << "\n";
    for (const TLocationMatch& m : found.Matches) {
        const TLocationRecord& r = m.Record;
        const bool usable = HasUsableAltitude(r);
        std::cout << PadRight(r.Name, placeWidth) << "  " << PadRight(m.Region, regionWidth) << "  "
                  << PadRight(m.Database, databaseWidth) << "  "
                  << PadLeft(usable ? Format("%0.1f", r.Altitude) : "n/a", 10) << "  "
                  << PadLeft(usable ? Format("%0.3f", AtmPressure(r.Altitude)) : "n/a", 12) << "\n";
    }
}

} // namespace

void AddLocationCommand(CLI::App& app)
{
    auto options = std::make_shared<LocationOptions>();
    auto* cmd = app.add_subcommand("location", "Places of the location database with their altitude and "
                                               "barometric pressure");
    cmd->footer("Lists the places whose name, region (country) or database (continent) contains SEARCH, "
                "ignoring letter case and accents, with the altitude in m and the standard-atmosphere "
                "pressure in kPa there.\nExit status: 0 places listed, 1 the location database is not "
                "installed, 2 no place matches.");
    cmd->add_option("SEARCH", options->search,
                    "Text to look for, as \"Johannesburg\"; \"\" lists every place")
        ->required();
    cmd->add_flag("--json", options->json, "Print the places as a JSON array");
    cmd->callback([options] { RunLocation(*options); });
}

} // namespace zmk::cli
