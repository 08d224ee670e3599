// zemtor location: the places of the location database whose name, region or database
// contains a text, with their altitude and the standard-atmosphere pressure there, as the
// pressure calculator would take them.
#include "cli/Commands.h"

#include "base/JsonWriter.h"
#include "base/NumText.h"
#include "base/Paths.h"
#include "base/TextHelpers.h"
#include "base/Utf8.h"
#include "properties/Locations.h"
#include "properties/Psy.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

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
    return Utf8Length(s);
}

std::string PadRight(const std::string& s, std::size_t width)
{
    return Utf8PadRight(s, width);
}

std::string PadLeft(const std::string& s, std::size_t width)
{
    const std::size_t w = Width(s);
    return w >= width ? s : std::string(width - w, ' ') + s;
}

// One place as a JSON object, indented as an element of the list.
std::string PlaceJson(const TLocationDatabase& locations, const TLocationDatabase::THit& hit)
{
    const TLocationRecord r = locations.Record(hit);
    const bool usable = HasUsableAltitude(r);
    const double none = NAN; // written as null
    TJsonWriter w(2);
    w.BeginObject()
        .Member("place", r.Name)
        .Member("region", locations.RegionName(hit))
        .Member("database", locations.DatabaseName(hit))
        .Member("record", hit.Record)
        .Member("latitude", static_cast<double>(r.Latitude))
        .Member("longitude", static_cast<double>(r.Longitude))
        .Member("timezone", static_cast<double>(r.TimeZone))
        .Member("altitude", usable ? static_cast<double>(r.Altitude) : none)
        .Member("pressure", usable ? AtmPressure(r.Altitude) : none)
        .Member("cooling_db", static_cast<double>(r.CoolingDB))
        .Member("cooling_wb", static_cast<double>(r.CoolingWB))
        .Member("heating_db", static_cast<double>(r.HeatingDB))
        .EndObject();
    std::string text = "  ";
    for (const char c : w.Text()) {
        text += c;
        if (c == '\n')
            text += "  ";
    }
    return text;
}

// The places are written as they are found, one at a time: a listing of every place costs
// the database's own memory and a few bytes a place, never a document of them all.
void RunLocation(const LocationOptions& o)
{
    const std::string folder = CommonDataFolder();
    TLocationDatabase locations;
    if (!locations.Load(folder)) {
        if (locations.IndexStatus() == TFileReadStatus::Missing)
            std::cerr << "zemtor: the location database is not installed: "
                      << PrintableText(folder + std::string(kLocationIndexFile)) << " is missing\n";
        else
            std::cerr << "zemtor: the location database cannot be read: "
                      << PrintableText(locations.IndexError()) << "\n";
        throw CLI::RuntimeError(1);
    }
    for (const TMissingDatabase& missing : locations.Missing()) {
        const std::string database = PrintableText(missing.Database);
        if (missing.Status == TFileReadStatus::Missing)
            std::cerr << "zemtor: the " << database << " database has not been installed ("
                      << PrintableText(LocationFilePath(folder, missing.Database).string())
                      << " is missing)\n";
        else
            std::cerr << "zemtor: the " << database
                      << " database cannot be read: " << PrintableText(missing.Reason) << "\n";
    }
    const std::vector<TLocationDatabase::THit> hits = locations.Find(o.search);
    if (hits.empty()) {
        std::cerr << "zemtor: no place matches \"" << PrintableText(o.search) << "\"\n";
        throw CLI::RuntimeError(2);
    }

    if (o.json) {
        std::cout << "[\n";
        for (std::size_t i = 0; i < hits.size(); ++i)
            std::cout << PlaceJson(locations, hits[i]) << (i + 1 < hits.size() ? ",\n" : "\n");
        std::cout << "]\n";
        return;
    }

    // Names come from data files: what reaches the terminal has no control characters.
    std::size_t placeWidth = 5, regionWidth = 6, databaseWidth = 8;
    for (const TLocationDatabase::THit& hit : hits) {
        placeWidth = std::max(placeWidth, Width(PrintableText(locations.Record(hit).Name)));
        regionWidth = std::max(regionWidth, Width(PrintableText(locations.RegionName(hit))));
        databaseWidth = std::max(databaseWidth, Width(PrintableText(locations.DatabaseName(hit))));
    }
    std::cout << PadRight("Place", placeWidth) << "  " << PadRight("Region", regionWidth) << "  "
              << PadRight("Database", databaseWidth) << "  " << PadLeft("Altitude m", 10) << "  "
              << PadLeft("Pressure kPa", 12) << "\n";
    for (const TLocationDatabase::THit& hit : hits) {
        const TLocationRecord r = locations.Record(hit);
        const bool usable = HasUsableAltitude(r);
        std::cout << PadRight(PrintableText(r.Name), placeWidth) << "  "
                  << PadRight(PrintableText(locations.RegionName(hit)), regionWidth) << "  "
                  << PadRight(PrintableText(locations.DatabaseName(hit)), databaseWidth) << "  "
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
                "installed or its index cannot be read, 2 no place matches.");
    cmd->add_option("SEARCH", options->search,
                    "Text to look for, as \"Johannesburg\"; \"\" lists every place")
        ->required();
    cmd->add_flag("--json", options->json, "Print the places as a JSON array");
    cmd->callback([options] { RunLocation(*options); });
}

} // namespace zmk::cli
