// Runs the built zemtor program's units command with its own data folder.
#include "support/Zemtor.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zmk {

namespace fs = std::filesystem;

namespace {

using Result = test::ZemtorRun;

class UnitsCommand : public ::testing::Test
{
protected:
    fs::path UnitsFile() const { return dir_ / "Quorvane" / "Coils" / "units.ini"; }

    Result Zemtor(const std::string& args) const { return folder_.Run(args); }

    nlohmann::json Json() const
    {
        const Result run = Zemtor("units --json");
        EXPECT_EQ(run.rc, 0) << run.err;
        return nlohmann::json::parse(run.out);
    }

    static const nlohmann::json& Item(const nlohmann::json& list, const std::string& section,
                                      const std::string& key)
    {
        for (const auto& q : list)
            if (q["section"] == section && q["key"] == key)
                return q;
        static const nlohmann::json none;
        return none;
    }

    test::ZemtorFolder folder_{test::ZemtorFolder::Catalogue::Installed};
    const fs::path& dir_ = folder_.path();
};

} // namespace

TEST_F(UnitsCommand, ListsEveryQuantity)
{
    const Result table = Zemtor("units");
    ASSERT_EQ(table.rc, 0) << table.err;
    EXPECT_EQ(std::count(table.out.begin(), table.out.end(), '\n'), 76); // heading and 75 rows
    EXPECT_EQ(table.out.rfind("section", 0), 0u);
    EXPECT_NE(table.out.find("\nair       t                 Temperature                   0      °C\n"),
              std::string::npos)
        << table.out;
    EXPECT_FALSE(fs::exists(UnitsFile())); // listing writes nothing

    const nlohmann::json list = Json();
    ASSERT_EQ(list.size(), 75u);
    EXPECT_EQ(list.front()["section"], "fat");
    EXPECT_EQ(list.front()["key"], "height");
    EXPECT_EQ(list.front()["unit"], "inch");
    EXPECT_EQ(list.front()["caption"], "Length - Measurement");
    EXPECT_EQ(Item(list, "air", "dp")["stored"], "Pa");
    EXPECT_EQ(Item(list, "air", "rh")["unit"], "%");
    EXPECT_EQ(Item(list, "air", "t")["units"].size(), 3u);
}

TEST_F(UnitsCommand, SwitchesAndSavesUnits)
{
    Result run = Zemtor("units --imperial");
    ASSERT_EQ(run.rc, 0) << run.err;
    ASSERT_TRUE(fs::exists(UnitsFile()));
    nlohmann::json list = Json(); // read back from units.ini
    EXPECT_EQ(Item(list, "air", "t")["unit"], "°F");
    EXPECT_EQ(Item(list, "air", "v")["unit"], "fpm");
    EXPECT_EQ(Item(list, "place", "barom_pressure")["unit"], "InchHg");

    run = Zemtor("units --set air/t=2 --set general/fraction=1");
    ASSERT_EQ(run.rc, 0) << run.err;
    list = Json();
    EXPECT_EQ(Item(list, "air", "t")["unit"], "K");
    EXPECT_EQ(Item(list, "general", "fraction")["unit"], "%");
    EXPECT_EQ(Item(list, "air", "v")["unit"], "fpm"); // the rest stays as loaded

    run = Zemtor("units --metric");
    ASSERT_EQ(run.rc, 0) << run.err;
    list = Json();
    EXPECT_EQ(Item(list, "fat", "fin_spacing")["unit"], "fins/m");
    EXPECT_EQ(Item(list, "air", "t")["unit"], "°C");
}

TEST_F(UnitsCommand, RefusesBadAssignments)
{
    const char* bad[] = {"units --set air/t=3",       "units --set air/t=-1", "units --set air/t=x",
                         "units --set air/nothing=0", "units --set airt=1",   "units --set air/t",
                         "units --metric --imperial"};
    for (const char* args : bad) {
        const Result run = Zemtor(args);
        EXPECT_NE(run.rc, 0) << args;
        EXPECT_FALSE(run.err.empty()) << args;
        EXPECT_FALSE(fs::exists(UnitsFile())) << args;
    }
    const Result run = Zemtor("units --set air/t=3");
    EXPECT_NE(run.err.find("out of range for air/t (Temperature: 0 to 2)"), std::string::npos) << run.err;
    EXPECT_NE(Zemtor("units --set air/nothing=0").err.find("unknown quantity 'air/nothing'"),
              std::string::npos);
}

TEST_F(UnitsCommand, AUnitsFileThatCannotBeReadIsNamedWithTheReasonAndLeftAlone)
{
    fs::create_directories(UnitsFile().parent_path());
    ASSERT_EQ(::mkfifo(UnitsFile().c_str(), 0644), 0);
    const std::string reason =
        "Cannot read file \"" + UnitsFile().string() + "\": it is a named pipe (FIFO), not a regular file";

    Result run = Zemtor("units --set air/t=1");
    EXPECT_EQ(run.rc, 1);
    EXPECT_EQ(run.err, "zemtor: the unit choices were not saved: " + reason + "\n");
    EXPECT_TRUE(fs::is_fifo(UnitsFile()));

    // Listing runs on the default units and says so once.
    run = Zemtor("units --json");
    EXPECT_EQ(run.rc, 0);
    EXPECT_EQ(run.err, "zemtor: " + reason + ". The default units are used and the file is left as it is.\n");
    EXPECT_EQ(Item(nlohmann::json::parse(run.out), "air", "t")["unit"], "°C");
    // The geometry report, which shows its sizes in the chosen units, says it too.
    run = Zemtor("geometry '533.4 x 740 4r 10f 7c'");
    EXPECT_EQ(run.rc, 0);
    EXPECT_EQ(run.err, "zemtor geometry: " + reason + ". The default units are used.\n");

    // Too large: the size limit is named, and the file stays as it was.
    fs::remove(UnitsFile());
    std::ofstream(UnitsFile()) << "[air]\r\nt=1\r\n";
    fs::resize_file(UnitsFile(), 9 * 1024 * 1024);
    run = Zemtor("units --imperial");
    EXPECT_EQ(run.rc, 1);
    EXPECT_NE(run.err.find(UnitsFile().string() + "\": it is larger than 8 MiB (9437184 bytes)"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(fs::file_size(UnitsFile()), 9u * 1024 * 1024);
}

} // namespace zmk
