// A small location database written by the tests into a scratch folder: two databases with
// data files, one ("Asia") listed in the index but not installed, and "+All".
#pragma once

#include "properties/Locations.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace zmk::loctest {

inline TLocationRecord Place(int db, int region, const char* name, float lat, float lon, float tz, float alt)
{
    TLocationRecord r;
    r.Database = db;
    r.Region = region;
    r.Name = name;
    r.Latitude = lat;
    r.Longitude = lon;
    r.TimeZone = tz;
    r.Altitude = alt;
    r.CoolingDB = r.CoolingWB = r.HeatingDB = r.WindSpeed = r.MaxDB = r.MinDB = r.DBRange = NAN;
    return r;
}

/// A place with every design value, as a database of real weather data has them.
inline TLocationRecord Pretoria()
{
    TLocationRecord r = Place(1, 1, "Pretoria", -25.75f, 28.19f, 2, 1753);
    r.CoolingDB = 29.5f;
    r.CoolingWB = 17.2f;
    r.HeatingDB = 2.5f;
    r.WindSpeed = 3.1f;
    r.MaxDB = 34.0f;
    r.MinDB = -4.0f;
    r.DBRange = 14.5f;
    return r;
}

inline const std::vector<TLocationRecord>& AfricaPlaces()
{
    static const std::vector<TLocationRecord> places{
        Place(1, 1, "Johannesburg OR Tambo Intl", -26.1392f, 28.246f, 2, 1694.1f),
        Place(1, 2, "Nairobi", -1.3192f, 36.9278f, 3, 1624.0f),
        Pretoria(),
        Place(1, 1, "Cape Town", -33.9648f, 18.6017f, 2, 46.0f),
        Place(1, 0, "Somewhere", 0.0f, 20.0f, 1, 500.0f),
    };
    return places;
}

inline const std::vector<TLocationRecord>& EuropePlaces()
{
    static const std::vector<TLocationRecord> places{
        Place(2, 1, "Zürich", 47.4647f, 8.5492f, 1, 431.9f),
        Place(2, 2, "Oslo Gardermoen", 60.1939f, 11.1004f, 1, 207.9f),
    };
    return places;
}

inline const char* const kTestIndex = "[+All]\r\n"
                                      "Europe=2\r\n"
                                      "Africa=1\r\n"
                                      "Asia=3\r\n"
                                      "\r\n"
                                      "[Africa]\r\n"
                                      "South Africa=1\r\n"
                                      "Kenya=2\r\n"
                                      "(All countries)=0\r\n"
                                      "\r\n"
                                      "[Europe]\r\n"
                                      "Switzerland=1\r\n"
                                      "Norway=2\r\n"
                                      "\r\n"
                                      "[Asia]\r\n"
                                      "Japan=1\r\n";

/// A scratch folder holding the test database; removed at the end.
class LocationFolder
{
public:
    LocationFolder()
    {
        static int count = 0;
        dir_ = std::filesystem::temp_directory_path() /
               ("zmk_locations_" + std::to_string(::getpid()) + "_" + std::to_string(++count));
        std::filesystem::create_directories(dir_);
        Write("Regions.idx", kTestIndex);
        std::string africa, europe;
        for (const TLocationRecord& r : AfricaPlaces())
            africa += EncodeLocationRecord(r);
        for (const TLocationRecord& r : EuropePlaces())
            europe += EncodeLocationRecord(r);
        Write("Africa.wdb", africa);
        // A last record cut short is not a place.
        Write("Europe.wdb", europe + std::string(50, 'x'));
        Write("+All.wdb", africa + europe);
    }
    ~LocationFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    LocationFolder(const LocationFolder&) = delete;
    LocationFolder& operator=(const LocationFolder&) = delete;

    void Write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(dir_ / name, std::ios::binary | std::ios::trunc) << bytes;
    }
    void Remove(const std::string& name) const { std::filesystem::remove(dir_ / name); }

    /// The folder as the program names folders: ending with "/".
    std::string Folder() const { return dir_.string() + "/"; }
    const std::filesystem::path& Path() const { return dir_; }

private:
    std::filesystem::path dir_;
};

} // namespace zmk::loctest
