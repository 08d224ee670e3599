// zemtor location, run as a program: on the installed database beside it, and on a small
// database of the tests' own through ZMK_COMMON_DIR.
#include "base/NumText.h"
#include "properties/Psy.h"
#include "support/LocationTestData.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include <sys/wait.h>

namespace zmk {
namespace {

struct ProgramRun
{
    int status = -1;
    std::string out; // standard output
    std::string all; // standard output and error
};

ProgramRun Zemtor(const std::string& args, const std::string& env = "env -u ZMK_COMMON_DIR")
{
    ProgramRun run;
    for (const bool withErrors : {false, true}) {
        const std::string cmd =
            env + " '" + ZMK_ZEMTOR + "' location " + args + (withErrors ? " 2>&1" : " 2>/dev/null");
        FILE* p = ::popen(cmd.c_str(), "r");
        if (!p)
            return run;
        std::string& text = withErrors ? run.all : run.out;
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
            text.append(buf, n);
        const int st = ::pclose(p);
        run.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    }
    return run;
}

TEST(LocationCommand, FindsJohannesburgInTheInstalledDatabase)
{
    const ProgramRun r = Zemtor("Johannesburg");
    ASSERT_EQ(r.status, 0) << r.all;
    const std::string line = "Johannesburg OR Tambo Intl";
    const auto at = r.out.find(line);
    ASSERT_NE(at, std::string::npos) << r.out;
    const std::string row = r.out.substr(at, r.out.find('\n', at) - at);
    EXPECT_NE(row.find("South Africa"), std::string::npos) << row;
    EXPECT_NE(row.find("Africa"), std::string::npos) << row;
    EXPECT_NE(row.find("1694.1"), std::string::npos) << row;
    EXPECT_NE(row.find(Format("%0.3f", AtmPressure(1694.1f))), std::string::npos) << row;
    EXPECT_EQ(r.out.rfind("Place", 0), 0u) << "a heading line first";

    // JSON, and accents and case ignored ("zurich" finds "Zürich").
    const ProgramRun j = Zemtor("ZURICH --json");
    ASSERT_EQ(j.status, 0) << j.all;
    const auto list = nlohmann::json::parse(j.out);
    bool found = false;
    for (const auto& place : list) {
        for (const char* key : {"place", "region", "database", "record", "latitude", "longitude", "timezone",
                                "altitude", "pressure", "cooling_db", "cooling_wb", "heating_db"})
            ASSERT_TRUE(place.contains(key)) << key;
        if (place["place"] == "Zürich") {
            found = true;
            EXPECT_EQ(place["region"], "Switzerland");
            EXPECT_NEAR(place["pressure"].get<double>(), AtmPressure(place["altitude"].get<double>()), 1e-9);
            EXPECT_TRUE(place["cooling_db"].is_null()); // not in our data
        }
    }
    EXPECT_TRUE(found) << j.out;
}

TEST(LocationCommand, ExitStatusesAndMessages)
{
    loctest::LocationFolder data;
    const std::string env = "ZMK_COMMON_DIR='" + data.Folder() + "'";
    const struct
    {
        const char* args;
        int status;
        const char* says;
    } cases[] = {
        {"nairobi", 0, "Nairobi"},
        {"kenya --json", 0, "\"region\": \"Kenya\""},
        {"atlantis", 2, "zemtor: no place matches \"atlantis\""},
        // A database listed but not installed is named; the others are still searched.
        {"'Oslo'", 0, "zemtor: the Asia database has not been installed"},
    };
    for (const auto& c : cases) {
        const ProgramRun r = Zemtor(c.args, env);
        EXPECT_EQ(r.status, c.status) << c.args << ": " << r.all;
        EXPECT_NE(r.all.find(c.says), std::string::npos) << c.args << ": " << r.all;
    }

    data.Remove("Regions.idx");
    const ProgramRun missing = Zemtor("Johannesburg", env);
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(
        missing.all.find("zemtor: the location database is not installed: " + data.Folder() + "Regions.idx"),
        std::string::npos)
        << missing.all;
    EXPECT_TRUE(missing.out.empty());
}

TEST(LocationCommand, FilesTooLargeAreNamedWithTheLimit)
{
    loctest::LocationFolder data;
    const std::string env = "ZMK_COMMON_DIR='" + data.Folder() + "'";
    const std::string europe = (data.Path() / "Europe.wdb").string();
    std::filesystem::resize_file(europe, kMaxLocationFileSize + 84);
    const ProgramRun r = Zemtor("oslo", env);
    EXPECT_EQ(r.status, 2) << r.all; // Oslo lives in the file refused
    EXPECT_NE(r.all.find("zemtor: the Europe database cannot be read: Cannot read file \"" + europe +
                         "\": it is larger than 32 MiB"),
              std::string::npos)
        << r.all;
    EXPECT_EQ(r.all.find("Europe database has not been installed"), std::string::npos) << r.all;
    EXPECT_NE(r.all.find("zemtor: the Asia database has not been installed"), std::string::npos) << r.all;
    EXPECT_EQ(Zemtor("nairobi", env).status, 0); // the other databases still answer

    const std::string index = (data.Path() / "Regions.idx").string();
    std::filesystem::resize_file(index, kMaxLocationIndexSize + 1);
    const ProgramRun big = Zemtor("nairobi", env);
    EXPECT_EQ(big.status, 1);
    EXPECT_NE(big.all.find("zemtor: the location database cannot be read: Cannot read file \"" + index +
                           "\": it is larger than 4 MiB"),
              std::string::npos)
        << big.all;
    EXPECT_EQ(big.all.find("not installed"), std::string::npos) << big.all;
}

TEST(LocationCommand, ControlCharactersInNamesNeverReachTheTerminal)
{
    loctest::LocationFolder data;
    const std::string env = "ZMK_COMMON_DIR='" + data.Folder() + "'";
    // Place names as raw Latin-1 bytes: C1 CSI and NEL, ESC and BEL; a region name with CSI.
    std::string records;
    for (const char* name : {"Evil\x9b\x32J\x1b]0;t\x07Town", "Next\x85Line"}) {
        std::string bytes = EncodeLocationRecord(loctest::Place(1, 1, "", 1, 1, 1, 100));
        bytes[8] = static_cast<char>(std::strlen(name));
        std::memcpy(bytes.data() + 9, name, std::strlen(name));
        records += bytes;
    }
    data.Write("Africa.wdb", records);
    data.Write("Regions.idx", "[Africa]\r\nSouth\x9b\x33\x31mAfrica=1\r\n");
    for (const char* args : {"''", "'' --json"}) {
        const ProgramRun r = Zemtor(args, env);
        ASSERT_EQ(r.status, 0) << args << r.all;
        for (const std::string bad : {"\x1b", "\x07", "\xc2\x9b", "\xc2\x85", "\x9b", "\x85"})
            EXPECT_EQ(r.all.find(bad), std::string::npos) << args << ": " << r.all;
        EXPECT_NE(r.out.find("Evil 2J ]0;t Town"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("Next Line"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("South 31mAfrica"), std::string::npos) << r.out;
    }
}

TEST(LocationCommand, EveryPlaceAsJson)
{
    // The whole list is written place by place; it reads back as one array.
    loctest::LocationFolder data;
    const ProgramRun r = Zemtor("'' --json", "ZMK_COMMON_DIR='" + data.Folder() + "'");
    ASSERT_EQ(r.status, 0) << r.all;
    const auto list = nlohmann::json::parse(r.out);
    ASSERT_EQ(list.size(), 7u);
    EXPECT_EQ(list[0]["place"], "Johannesburg OR Tambo Intl");
    EXPECT_EQ(list[0]["region"], "South Africa");
    EXPECT_EQ(list[0]["record"], 0);
    EXPECT_NEAR(list[0]["altitude"].get<double>(), 1694.1, 1e-4);
    EXPECT_TRUE(list[0]["cooling_db"].is_null());
    EXPECT_EQ(list[2]["cooling_db"], 29.5);
    EXPECT_EQ(list[4]["region"], "Africa"); // no region: the database
    EXPECT_EQ(list[6]["database"], "Europe");
}

} // namespace
} // namespace zmk
