// The location database readers: records, the details rows, the index, data files that are
// damaged or not files at all, the folded text of search and sort, the search, and the
// database shipped with the program.
#include "properties/Locations.h"

#include "properties/Psy.h"
#include "support/LocationTestData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <optional>
#include <set>
#include <string_view>

namespace zmk {
namespace {

using loctest::LocationFolder;
using loctest::Place;

TEST(LocationRecord, EncodesAndDecodesEveryField)
{
    const TLocationRecord in = loctest::Pretoria();
    const std::string bytes = EncodeLocationRecord(in);
    ASSERT_EQ(bytes.size(), kLocationRecordSize);
    // Little-endian layout: codes first, the name as a length byte and Latin-1 text.
    EXPECT_EQ(bytes.substr(0, 8), std::string("\x01\0\0\0\x01\0\0\0", 8));
    EXPECT_EQ(bytes.substr(8, 9), std::string("\x08Pretoria"));
    float altitude;
    std::memcpy(&altitude, bytes.data() + 52, 4);
    EXPECT_EQ(altitude, 1753.0f);

    const TLocationRecord out = DecodeLocationRecord(reinterpret_cast<const unsigned char*>(bytes.data()));
    EXPECT_EQ(out.Name, "Pretoria");
    EXPECT_EQ(out.Latitude, in.Latitude);
    EXPECT_EQ(out.CoolingWB, in.CoolingWB);
    EXPECT_EQ(out.DBRange, in.DBRange);

    // Accents are Latin-1 on file; a name longer than 31 characters is cut; NaN stays NaN.
    TLocationRecord accented = Place(4, 7, "Zürich Kloten Flughafen Zürich Extra", 47, 8, 1, NAN);
    const std::string b = EncodeLocationRecord(accented);
    EXPECT_EQ(static_cast<unsigned char>(b[8]), 31);
    EXPECT_EQ(static_cast<unsigned char>(b[10]), 0xFC); // ü
    const TLocationRecord back = DecodeLocationRecord(reinterpret_cast<const unsigned char*>(b.data()));
    EXPECT_EQ(back.Name, "Zürich Kloten Flughafen Zürich ");
    EXPECT_TRUE(std::isnan(back.Altitude));
}

TEST(LocationRecord, HostileBytesStayInsideTheRecord)
{
    // A length byte of 255 reads no further than the 31 bytes of the name field; control
    // characters become blanks.
    std::string bytes(kLocationRecordSize, '\0');
    bytes[8] = static_cast<char>(255);
    std::memset(bytes.data() + 9, 'A', 31);
    bytes[12] = '\n';
    std::memset(bytes.data() + 40, 0xFF, 44); // NaN in every real
    const TLocationRecord r = DecodeLocationRecord(reinterpret_cast<const unsigned char*>(bytes.data()));
    EXPECT_EQ(r.Name, std::string(3, 'A') + " " + std::string(27, 'A'));
    EXPECT_FALSE(HasUsableAltitude(r));
    for (const auto& [label, value] : LocationDetails(r))
        EXPECT_EQ(value, "n/a") << label;
}

TEST(LocationRecord, C1BytesInANameAreControlsToo)
{
    // 0x9B is a terminal's CSI in Latin-1, 0x85 its NEL; both are blanks like the C0 controls.
    TLocationRecord place = Place(1, 1, "", 0, 0, 0, 0);
    std::string bytes = EncodeLocationRecord(place);
    const std::string name = "A\x9b\x32J\x85\x42\x80\x9f\xa0\xfc"; // "A", CSI, "2J", NEL, "B"...
    bytes[8] = static_cast<char>(name.size());
    std::memcpy(bytes.data() + 9, name.data(), name.size());
    const TLocationRecord r = DecodeLocationRecord(reinterpret_cast<const unsigned char*>(bytes.data()));
    EXPECT_EQ(r.Name, "A 2J B  \u00a0ü"); // U+00A0 and the letters above it stay
}

TEST(LocationRecord, DetailsRows)
{
    const auto pretoria = LocationDetails(loctest::Pretoria());
    const std::pair<std::string, std::string> expected[] = {
        {"Latitude", "25.75S"},    {"Longitude", "28.19E"},     {"TimeZone", "2E"},
        {"Altitude", "1753 m"},    {"Cooling", "29.5/17.2 °C"}, {"Heating", "2.5 °C"},
        {"Wind Speed", "3.1 m/s"}, {"Max DryBulb", "34.0 °C"},  {"Min DryBulb", "-4.0 °C"},
        {"DB Range", "14.5 °C"},
    };
    for (std::size_t i = 0; i < 10; ++i)
        EXPECT_EQ(pretoria[i], expected[i]) << i;

    // West and north, half-hour zones rounded, and the values our data does not carry.
    const struct
    {
        float lat, lon, tz;
        const char *latText, *lonText, *tzText;
    } signs[] = {
        {40.64f, -73.78f, -5, "40.64N", "73.78W", "5W"},
        {0, 0, 0, "0.00N", "0.00E", "0E"},
        {27.7f, 85.36f, 5.75f, "27.70N", "85.36E", "6E"},
        {-0.004f, -0.004f, -3.5f, "0.00S", "0.00W", "4W"},
    };
    for (const auto& s : signs) {
        const auto rows = LocationDetails(Place(1, 1, "X", s.lat, s.lon, s.tz, 10));
        EXPECT_EQ(rows[0].second, s.latText);
        EXPECT_EQ(rows[1].second, s.lonText);
        EXPECT_EQ(rows[2].second, s.tzText);
    }
    const auto ours = LocationDetails(Place(1, 1, "X", 1, 1, 1, 1694.1f));
    EXPECT_EQ(ours[3].second, "1694 m");
    for (std::size_t i = 4; i < 10; ++i)
        EXPECT_EQ(ours[i].second, "n/a") << ours[i].first;
}

TEST(LocationFile, ReadsWholeRecordsOfRegularFilesOnly)
{
    LocationFolder data;
    TLocationFile file;
    ASSERT_TRUE(file.Open(data.Path() / "Europe.wdb"));
    EXPECT_EQ(file.Count(), 2); // the 50 bytes after the last record are ignored
    EXPECT_EQ(file.Record(0).Name, "Zürich");
    EXPECT_EQ(file.DatabaseCode(1), 2);
    EXPECT_EQ(file.RegionCode(1), 2);

    data.Write("Empty.wdb", "");
    data.Write("Short.wdb", std::string(83, '\x7f'));
    std::filesystem::create_directory(data.Path() / "Folder.wdb");
    std::filesystem::create_symlink(data.Path() / "Africa.wdb", data.Path() / "Link.wdb");
    const struct
    {
        const char* name;
        bool opens;
        int count;
    } cases[] = {
        {"Empty.wdb", true, 0},    {"Short.wdb", true, 0}, {"Folder.wdb", false, 0},
        {"Missing.wdb", false, 0}, {"Link.wdb", true, 5},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(file.Open(data.Path() / c.name), c.opens) << c.name;
        EXPECT_EQ(file.IsOpen(), c.opens) << c.name;
        EXPECT_EQ(file.Count(), c.count) << c.name;
    }

    // A file beyond the size limit is refused without being read (a sparse file here).
    const auto huge = data.Path() / "Huge.wdb";
    std::ofstream(huge).close();
    std::filesystem::resize_file(huge, kMaxLocationFileSize + 84);
    EXPECT_FALSE(file.Open(huge));
    EXPECT_EQ(file.Count(), 0);
}

TEST(LocationIndex, CodesAndTheirKeys)
{
    TLocationIndex index;
    index.Parse("[+All]\r\nAfrica=1\r\nEurope= 2 \r\n[Africa]\r\nKenya=$10\r\nMars=red\r\nBig=99999999999\r\n"
                "C\xF4te d'Ivoire=3\r\n"); // Latin-1 on file
    EXPECT_EQ(index.Databases(), (std::vector<std::string>{"+All", "Africa"}));
    EXPECT_EQ(index.Code("+All", "Europe"), 2);
    EXPECT_EQ(index.Code("Africa", "Kenya"), 16);
    EXPECT_EQ(index.Code("Africa", "Mars"), std::nullopt);
    EXPECT_EQ(index.Code("Africa", "Big"), std::nullopt); // not a 32-bit code
    EXPECT_EQ(index.Code("Africa", "Nowhere"), std::nullopt);
    EXPECT_EQ(index.KeyOfCode("Africa", 3), "Côte d'Ivoire");
    EXPECT_EQ(index.KeyOfCode("+All", 2), "Europe");
    EXPECT_EQ(index.KeyOfCode("+All", 9), std::nullopt);

    LocationFolder data;
    EXPECT_TRUE(index.Load(data.Path() / "Regions.idx"));
    EXPECT_EQ(index.Keys("Africa").size(), 3u);
    EXPECT_FALSE(index.Load(data.Path() / "Nothing.idx"));
    EXPECT_TRUE(index.Databases().empty());
    EXPECT_FALSE(index.Load(data.Path()));
}

TEST(LocationIndex, KeysByCodeGivesWhatKeyOfCodeGives)
{
    TLocationIndex index;
    index.Parse("[Africa]\r\nKenya=$10\r\nMars=red\r\nBig=99999999999\r\nFirst=3\r\nSecond=3\r\nNone=0\r\n"
                "Spaced= 7 \r\n");
    const auto keys = index.KeysByCode("Africa");
    EXPECT_EQ(keys.size(), 4u);
    for (const std::int32_t code : {16, 3, 0, 7, -1, 99})
        EXPECT_EQ(keys.count(code) ? std::optional<std::string>(keys.at(code)) : std::nullopt,
                  index.KeyOfCode("Africa", code))
            << code;
    EXPECT_EQ(keys.at(3), "First"); // the first key of a code, as the picker names it
    EXPECT_TRUE(index.KeysByCode("Nowhere").empty());
}

TEST(LocationIndex, RefusedFilesSayWhichAndWhy)
{
    LocationFolder data;
    const auto huge = data.Path() / "Huge.idx";
    std::ofstream(huge).close();
    std::filesystem::resize_file(huge, kMaxLocationIndexSize + 1);
    TLocationIndex index;
    EXPECT_FALSE(index.Load(huge));
    EXPECT_EQ(index.LoadStatus(), TFileReadStatus::TooLarge);
    EXPECT_NE(index.LoadError().find(huge.string()), std::string::npos) << index.LoadError();
    EXPECT_NE(index.LoadError().find("larger than 4 MiB"), std::string::npos) << index.LoadError();
    EXPECT_FALSE(index.Load(data.Path() / "Missing.idx"));
    EXPECT_EQ(index.LoadStatus(), TFileReadStatus::Missing);
    EXPECT_TRUE(index.Load(data.Path() / "Regions.idx"));
    EXPECT_TRUE(index.LoadError().empty());

    const auto big = data.Path() / "Africa.wdb";
    std::filesystem::resize_file(big, kMaxLocationFileSize + 84);
    TLocationFile file;
    EXPECT_FALSE(file.Open(big));
    EXPECT_EQ(file.LoadStatus(), TFileReadStatus::TooLarge);
    EXPECT_NE(file.LoadError().find(big.string()), std::string::npos) << file.LoadError();
    EXPECT_NE(file.LoadError().find("larger than 32 MiB"), std::string::npos) << file.LoadError();

    // The search reports it as a file refused, not one missing.
    const TLocationSearch found = FindLocations(data.Folder(), "");
    ASSERT_EQ(found.Missing.size(), 2u);
    EXPECT_EQ(found.Missing[0].Database, "Africa");
    EXPECT_EQ(found.Missing[0].Status, TFileReadStatus::TooLarge);
    EXPECT_EQ(found.Missing[0].Reason, file.LoadError());
    EXPECT_EQ(found.Missing[1].Status, TFileReadStatus::Missing);
}

TEST(LocationIndex, DatabaseNamesThatWouldLeaveTheFolderAreRefused)
{
    for (const char* bad : {"", ".", "..", "../etc/passwd", "a/b", "a\\b", "tab\there"})
        EXPECT_FALSE(IsSafeDatabaseName(bad)) << bad;
    for (const char* good : {"Africa", "+All", "North America", "..Europe", "Côte"})
        EXPECT_TRUE(IsSafeDatabaseName(good)) << good;
}

TEST(LocationText, FoldingForSearchAndSort)
{
    EXPECT_EQ(FoldLocationText("Zürich"), "zurich");
    EXPECT_EQ(FoldLocationText("ÆRØ SÃO Tomé"), "aero sao tome");
    EXPECT_EQ(FoldLocationText("Straße"), "strasse");
    EXPECT_EQ(FoldLocationText("Łódź"), "Łodź"); // outside Latin-1: left as it is

    std::vector<std::string> list{"zanzibar", "Zürich", "(All countries)", "Århus", "Aalborg", "abc"};
    std::sort(list.begin(), list.end(), LocationTextLess);
    EXPECT_EQ(list,
              (std::vector<std::string>{"(All countries)", "Aalborg", "abc", "Århus", "zanzibar", "Zürich"}));
}

TEST(LocationText, TheOrderOfAListFoldsEachTextOnce)
{
    const std::vector<std::string> list{"zanzibar", "Zürich", "Zurich", "(All countries)", "Århus",
                                        "Aalborg",  "abc",    "zurich", "Zürich"};
    std::vector<std::string> expected = list;
    std::stable_sort(expected.begin(), expected.end(), LocationTextLess);
    std::vector<std::string> ordered;
    for (const std::size_t i : LocationTextOrder(list))
        ordered.push_back(list[i]);
    EXPECT_EQ(ordered, expected);
    EXPECT_TRUE(LocationTextOrder({}).empty());
}

// A database of n regions with one place each, and a few places of no region or of a code the
// index does not know.
void WriteManyRegions(const LocationFolder& data, int n)
{
    std::string index = "[+All]\r\nWorld=1\r\n[World]\r\n";
    std::string records;
    for (int i = 1; i <= n; ++i) {
        index += "Land " + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
        records += EncodeLocationRecord(Place(1, i, ("Town " + std::to_string(i)).c_str(), 0, 0, 0, 100));
    }
    records += EncodeLocationRecord(Place(1, 0, "Nowhere", 0, 0, 0, 100));
    records += EncodeLocationRecord(Place(1, n + 5, "Lost", 0, 0, 0, 100));
    data.Write("Regions.idx", index);
    data.Write("World.wdb", records);
}

TEST(LocationDatabase, ManyRegionsNameTheirPlaces)
{
    LocationFolder data;
    WriteManyRegions(data, 3000);
    TLocationDatabase locations;
    ASSERT_TRUE(locations.Load(data.Folder()));
    EXPECT_TRUE(locations.Missing().empty());

    const auto names = [&](std::string_view search) {
        std::vector<std::string> found;
        for (const TLocationDatabase::THit& hit : locations.Find(search))
            found.push_back(locations.Record(hit).Name + " / " + locations.RegionName(hit));
        return found;
    };
    EXPECT_EQ(names("land 2999"), (std::vector<std::string>{"Town 2999 / Land 2999"}));
    EXPECT_EQ(names("TOWN 1234"), (std::vector<std::string>{"Town 1234 / Land 1234"}));
    EXPECT_EQ(names("nowhere"), (std::vector<std::string>{"Nowhere / World"})); // no region: the database
    EXPECT_EQ(names("lost"), (std::vector<std::string>{"Lost / World"}));       // a code not in the index
    EXPECT_TRUE(names("zzzz").empty());
    EXPECT_EQ(names("land 300"), (std::vector<std::string>{"Town 300 / Land 300", "Town 3000 / Land 3000"}));
    const std::vector<TLocationDatabase::THit> all = locations.Find("");
    ASSERT_EQ(all.size(), 3002u);
    EXPECT_EQ(locations.DatabaseName(all.back()), "World");
    EXPECT_EQ(all[41].Record, 41);
    EXPECT_EQ(locations.RegionName(all[41]), "Land 42");

    // FindLocations says the same with every match copied out.
    const TLocationSearch found = FindLocations(data.Folder(), "land 2999");
    ASSERT_EQ(found.Matches.size(), 1u);
    EXPECT_EQ(found.Matches[0].Region, "Land 2999");
    EXPECT_EQ(found.Matches[0].Database, "World");
    EXPECT_EQ(found.Matches[0].RecordNumber, 2998);
}

TEST(FindLocations, MatchesPlaceRegionOrDatabaseWithoutCaseOrAccents)
{
    LocationFolder data;
    const struct
    {
        const char* search;
        std::vector<std::string> places;
    } cases[] = {
        {"zurich", {"Zürich"}},
        {"JOHANNESBURG", {"Johannesburg OR Tambo Intl"}},
        {"kenya", {"Nairobi"}},                    // the region
        {"europe", {"Zürich", "Oslo Gardermoen"}}, // the database
        {"  oslo ", {"Oslo Gardermoen"}},          // blanks around
        {"somewhere", {"Somewhere"}},
        {"",
         {"Johannesburg OR Tambo Intl", "Nairobi", "Pretoria", "Cape Town", "Somewhere", "Zürich",
          "Oslo Gardermoen"}},
        {"atlantis", {}},
    };
    for (const auto& c : cases) {
        const TLocationSearch found = FindLocations(data.Folder(), c.search);
        EXPECT_TRUE(found.IndexFound);
        ASSERT_EQ(found.Missing.size(), 1u) << "listed in the index, no file";
        EXPECT_EQ(found.Missing[0].Database, "Asia");
        EXPECT_EQ(found.Missing[0].Status, TFileReadStatus::Missing);
        std::vector<std::string> names;
        for (const auto& m : found.Matches)
            names.push_back(m.Record.Name);
        EXPECT_EQ(names, c.places) << c.search;
    }
    const TLocationSearch nairobi = FindLocations(data.Folder(), "nairobi");
    ASSERT_EQ(nairobi.Matches.size(), 1u);
    EXPECT_EQ(nairobi.Matches[0].Database, "Africa");
    EXPECT_EQ(nairobi.Matches[0].Region, "Kenya");
    EXPECT_EQ(nairobi.Matches[0].RecordNumber, 1);
    EXPECT_EQ(FindLocations(data.Folder(), "somewhere").Matches[0].Region, "Africa"); // region code 0

    data.Remove("Regions.idx");
    EXPECT_FALSE(FindLocations(data.Folder(), "").IndexFound);
}

// The database shipped in data/Common Files: whole, consistent and finding what users look for.
TEST(ShippedLocations, JohannesburgAndTheWholeDatabase)
{
    const std::string folder = std::string(ZMK_SOURCE_DIR) + "/data/Common Files/";
    const TLocationSearch found = FindLocations(folder, "Johannesburg");
    ASSERT_TRUE(found.IndexFound);
    EXPECT_TRUE(found.Missing.empty());
    const TLocationMatch* tambo = nullptr;
    for (const auto& m : found.Matches)
        if (m.Record.Name.find("Tambo") != std::string::npos)
            tambo = &m;
    ASSERT_NE(tambo, nullptr);
    EXPECT_EQ(tambo->Record.Name, "Johannesburg OR Tambo Intl");
    EXPECT_EQ(tambo->Region, "South Africa");
    EXPECT_EQ(tambo->Database, "Africa");
    EXPECT_NEAR(tambo->Record.Altitude, 1694.1, 0.05); // 5558 ft
    EXPECT_NEAR(tambo->Record.Latitude, -26.14, 0.01);
    EXPECT_EQ(tambo->Record.TimeZone, 2);
    EXPECT_NEAR(AtmPressure(tambo->Record.Altitude), 82.56, 0.01);

    // Every place: a usable altitude, a region of its database, a name that fits; "+All"
    // holds exactly the places of the others.
    TLocationIndex index;
    ASSERT_TRUE(index.Load(folder + "Regions.idx"));
    const TLocationSearch all = FindLocations(folder, "");
    EXPECT_GT(all.Matches.size(), 5000u);
    std::set<std::string> names;
    for (const auto& m : all.Matches) {
        const TLocationRecord& r = m.Record;
        ASSERT_TRUE(HasUsableAltitude(r)) << r.Name;
        ASSERT_NE(r.Region, 0) << r.Name;
        ASSERT_EQ(index.KeyOfCode(m.Database, r.Region), m.Region) << r.Name;
        ASSERT_EQ(index.Code("+All", m.Database), r.Database) << r.Name;
        ASSERT_TRUE(std::isnan(r.CoolingDB) && std::isnan(r.HeatingDB)) << r.Name;
        ASSERT_TRUE(std::fabs(r.Latitude) <= 90 && std::fabs(r.Longitude) <= 180 &&
                    std::fabs(r.TimeZone) <= 14);
        ASSERT_EQ(r.Name.find(','), std::string::npos) << "a comma would split the location name";
        ASSERT_TRUE(names.insert(m.Database + "/" + m.Region + "/" + FoldLocationText(r.Name)).second)
            << "repeated in its country: " << r.Name;
    }
    TLocationFile combined;
    ASSERT_TRUE(combined.Open(folder + "+All.wdb"));
    EXPECT_EQ(static_cast<std::size_t>(combined.Count()), all.Matches.size());
}

} // namespace
} // namespace zmk
