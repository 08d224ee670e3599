// Runs the built zemtor program's solve and step commands on the default job of each kind.
#include "support/Zemtor.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

namespace zmk {

namespace fs = std::filesystem;

namespace {

using Result = test::ZemtorRun;

class SolveCommand : public ::testing::Test
{
protected:
    Result Zemtor(const std::string& args) const { return folder_.Run(args); }

    test::ZemtorFolder folder_;
    const fs::path& dir_ = folder_.path();
};

// Every number anywhere in the document is finite.
void ExpectFinite(const nlohmann::json& j, const std::string& path)
{
    if (j.is_object()) {
        for (auto it = j.begin(); it != j.end(); ++it)
            ExpectFinite(it.value(), path + "/" + it.key());
    } else if (j.is_number()) {
        EXPECT_TRUE(std::isfinite(j.get<double>())) << path;
    } else {
        EXPECT_FALSE(j.is_null()) << path; // a NaN is written as null
    }
}

} // namespace

TEST_F(SolveCommand, EachKindRatesWithBalancedEnergy)
{
    for (const char* kind : {"zmk", "hwc", "cwc"}) {
        SCOPED_TRACE(kind);
        const Result run = Zemtor(std::string("solve --json --kind ") + kind);
        ASSERT_EQ(run.rc, 0) << run.err;
        const nlohmann::json j = nlohmann::json::parse(run.out);
        ExpectFinite(j, "");
        EXPECT_EQ(j["Status"], "None");
        EXPECT_EQ(j["kind"], kind);
        const double Qt = j["Qt"], Qs = j["Qs"], Ca = j["Ca"], ma = j["ma"];
        const double dbi = j["AirIn"]["db"], dbo = j["AirOut"]["db"];
        const double tfi = j["Liquid"]["tfi"], tfo = j["Liquid"]["tfo"], cw = j["Liquid"]["cw"];
        EXPECT_GT(Qt, 1);
        EXPECT_LE(Qt, double(j["Qmax"]) + 1e-9);
        EXPECT_GT(double(j["e"]), 0);
        EXPECT_LT(double(j["e"]), 1);
        EXPECT_GT(double(j["air_dp"]), 0);
        EXPECT_GT(double(j["liquid_dp"]), 0);
        EXPECT_GT(int(j["PipeSize"]), 0);
        EXPECT_NEAR(double(j["Af"]), 0.5334 * 1.2, 1e-9);
        EXPECT_NEAR(ma, double(j["AirIn"]["ma"]), 1e-12);
        EXPECT_NEAR(double(j["Liquid"]["m"]), 1.2, 1e-12);
        if (std::string(kind) == "zmk") {
            EXPECT_NEAR(Qt, Ca * (dbi - dbo), 1e-6 * Qt);
            EXPECT_NEAR(Qt, cw * (tfo - tfi), 1e-3);
            EXPECT_EQ(j["AirCooling"], 1);
        } else if (std::string(kind) == "hwc") {
            EXPECT_NEAR(Qs, Ca * (dbo - dbi), 1e-6 * Qt);
            EXPECT_NEAR(Qt, cw * (tfi - tfo), 2e-3 * Qt);
            EXPECT_EQ(j["AirCooling"], 0);
        } else {
            const double hi = j["AirIn"]["h"], ho = j["AirOut"]["h"];
            EXPECT_NEAR(Qt, cw * (tfo - tfi), 2e-3 * Qt);
            EXPECT_NEAR(Qt, ma * (hi - ho), 2e-2 * Qt);
            EXPECT_GT(Qt, Qs);
            EXPECT_EQ(j["AirCooling"], 1);
        }
    }
}

TEST_F(SolveCommand, CondensingHeatRecoveryReportsItsCondensate)
{
    // Humid exhaust at 200 °C and 50 g/kg on water at 20 °C: part of the surface is wet.
    Result run = Zemtor("solve --json --kind zmk --set edOnCoil=200 --set edHumidityOn=0.05 --set liquid=0 "
                        "--set edFluidInTemp=20 --set edFluidFlow=5 --set edRows=8 --set edFinDensity=14");
    ASSERT_EQ(run.rc, 0) << run.err;
    const nlohmann::json j = nlohmann::json::parse(run.out);
    EXPECT_EQ(j["Status"], "None");
    EXPECT_EQ(j["SurfaceConditionName"], "Part-Wet");
    const double mda = double(j["ma"]) / (1 + double(j["AirIn"]["w"]));
    const double condensate = j["mCondensate"];
    EXPECT_NEAR(condensate, mda * (double(j["AirIn"]["w"]) - double(j["AirOut"]["w"])), 1e-12);
    EXPECT_GT(condensate, 0.02);
    EXPECT_LE(double(j["AirOut"]["rh"]), 1.0);
    EXPECT_LT(double(j["Qs"]), double(j["Qt"]));
    for (const auto& w : j["warnings"])
        EXPECT_EQ(std::string(w).find("supersaturated"), std::string::npos) << w;
}

TEST_F(SolveCommand, SummaryAndInputs)
{
    Result run = Zemtor("solve");
    ASSERT_EQ(run.rc, 0) << run.err;
    EXPECT_NE(run.out.find("Solve Status"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("None  Solved..."), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Liquid flow control"), std::string::npos) << run.out;

    run = Zemtor("solve --json --kind cwc --set edHumidityOn=0.003 --set edFluidInTemp=7 --set control=temp "
                 "--set edFluidDT=6 --set edAltitude=1000");
    ASSERT_EQ(run.rc, 0) << run.err;
    nlohmann::json j = nlohmann::json::parse(run.out);
    EXPECT_EQ(j["SurfaceConditionName"], "Dry");
    EXPECT_EQ(j["mCondensate"], 0.0);
    EXPECT_EQ(j["Liquid"]["ctrl"], 0);
    EXPECT_NEAR(double(j["Liquid"]["tfo"]) - double(j["Liquid"]["tfi"]), 6, 1e-9);
    EXPECT_NEAR(double(j["AirIn"]["P"]), 89.8745, 1e-4);

    // Enough water that 900 °C air does not boil it.
    run = Zemtor("solve --json --set liquid=Water --set spray=on --set edOnCoil=1200 --set edFluidFlow=50");
    ASSERT_EQ(run.rc, 0) << run.err;
    EXPECT_NE(run.err.find("edOnCoil=1200 is outside"), std::string::npos) << run.err;
    j = nlohmann::json::parse(run.out);
    EXPECT_EQ(j["AirIn"]["db"], 900.0);
    EXPECT_EQ(j["Liquid"]["LiquidSpec"], 0);

    for (const char* bad : {"solve --kind abc", "solve --set edNothing=1", "solve --set edOnCoil=x",
                            "solve --set control=maybe", "solve --set liquid=99", "solve --set edFluidDT=5",
                            "step --set spray=1"}) {
        run = Zemtor(bad);
        EXPECT_EQ(run.rc, 1) << bad;
        EXPECT_FALSE(run.err.empty()) << bad;
    }
}

TEST_F(SolveCommand, ALiquidFarPastItsDataIsNotSolvedAndSaysWhy)
{
    // Methylchloride far above its data (-50..50 °C): its viscosity fit runs negative, which no
    // tube coefficient survives. The job is refused for the liquid, not for the fault it leads to.
    const Result run = Zemtor("solve --kind zmk --set liquid=10 --set edOnCoil=820 --set edFluidInTemp=250");
    EXPECT_EQ(run.rc, 2);
    EXPECT_NE(run.out.find("DataError  Not Solved..."), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("Duty"), std::string::npos) << run.out;
    EXPECT_NE(run.err.find("Methylchloride enters at 250.0 °C, 200.0 K above the range of its property data"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(run.err.find("No solution found"), std::string::npos) << run.err;
}

TEST_F(SolveCommand, StepPrintsTheMatrix)
{
    for (const char* kind : {"zmk", "hwc", "cwc"}) {
        SCOPED_TRACE(kind);
        const Result run = Zemtor(std::string("step --csv --kind ") + kind);
        ASSERT_EQ(run.rc, 0) << run.err;
        std::istringstream lines(run.out);
        std::string line;
        std::getline(lines, line);
        EXPECT_EQ(line.rfind("duty,", 0), 0u) << line;
        EXPECT_GT(std::stod(line.substr(5)), 0);
        std::getline(lines, line);
        EXPECT_EQ(line, "step,Fluid,Air,Surface,DewPoint");
        int rows = 0;
        while (std::getline(lines, line)) {
            EXPECT_EQ(std::count(line.begin(), line.end(), ','), 4) << line;
            EXPECT_EQ(line.find("nan"), std::string::npos) << line;
            ++rows;
        }
        EXPECT_EQ(rows, 100);
    }
    const Result text = Zemtor("step");
    ASSERT_EQ(text.rc, 0) << text.err;
    EXPECT_EQ(text.out.rfind("Step-by-Step Simulation\nDuty ", 0), 0u) << text.out;

    // A job that does not solve has no chart: it would be that of the default job's solve.
    const Result refused = Zemtor("step --set control=temp --set edFluidDT=400");
    EXPECT_EQ(refused.rc, 2);
    EXPECT_TRUE(refused.out.empty()) << refused.out;
    const std::string reason = "The liquid would leave hotter than the air entering";
    const std::size_t first = refused.err.find(reason);
    ASSERT_NE(first, std::string::npos) << refused.err;
    EXPECT_EQ(refused.err.find(reason, first + 1), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("not solved, status DataError"), std::string::npos) << refused.err;
}

TEST_F(SolveCommand, ImpossibleResultsAreNotSolvedAndSayWhy)
{
    struct Case
    {
        const char* args;
        const char* reason;
    };
    const Case cases[] = {
        // Oil heated 80 -> 480 °C by 380 °C air.
        {"--set control=temp --set edFluidDT=400", "The liquid would leave hotter than the air entering"},
        // 0.5 kg/kg at 24 °C is 15 times saturation.
        {"--kind cwc --set edHumidityOn=0.5", "The entering air holds more moisture than saturated air"},
        {"--set control=temp --set edOnCoil=-20 --set edFluidDT=967", "more moisture than saturated air"},
        {"--kind hwc --set control=temp --set edFluidDT=60",
         "The liquid would leave colder than the air entering"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.args);
        const Result run = Zemtor(std::string("solve --json ") + k.args);
        EXPECT_EQ(run.rc, 2) << run.err;
        const nlohmann::json j = nlohmann::json::parse(run.out);
        EXPECT_EQ(j["Status"], "DataError");
        EXPECT_EQ(j["solved"], false);
        const std::string reason = j["Reason"];
        EXPECT_NE(reason.find(k.reason), std::string::npos) << reason;
        EXPECT_TRUE(reason.ends_with("...")) << reason;
        // The reason is said once on standard error.
        const std::size_t first = run.err.find(reason);
        ASSERT_NE(first, std::string::npos) << run.err;
        EXPECT_EQ(run.err.find(reason, first + 1), std::string::npos) << run.err;
    }
    const Result text = Zemtor("solve --set control=temp --set edFluidDT=400");
    EXPECT_EQ(text.rc, 2);
    EXPECT_NE(text.out.find("DataError  Not Solved..."), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("Reason                The liquid would leave hotter"), std::string::npos)
        << text.out;
}

// A job that did not solve: --json prints its one record (a solve that raised an arithmetic
// fault too), with its inputs and its status, and null where a result would be; nothing of the
// default job's solve (144.00 kW) the inputs were applied over.
TEST_F(SolveCommand, EveryJsonSolveGivesOneRecordWithNoResultOfAnotherSolve)
{
    const char* const cases[] = {
        // Glycol far above its data: the solve ends in an arithmetic fault (or, where the liquid's
        // limits are checked first, in DataError).
        "--kind zmk --set edOnCoil=776.5 --set liquid=4 --set edFluidInTemp=624.4 --set edFluidFlow=5.7428",
        "--set control=temp --set edFluidDT=400",
        "--kind cwc --set edHumidityOn=0.5",
    };
    for (const char* args : cases) {
        SCOPED_TRACE(args);
        const Result run = Zemtor(std::string("solve --json ") + args);
        ASSERT_FALSE(run.out.empty()) << run.err;
        const nlohmann::json j = nlohmann::json::parse(run.out); // one object, nothing after it
        EXPECT_EQ(j["solved"], false);
        const std::string status = j["Status"];
        EXPECT_EQ(run.rc, status == "Error" ? 1 : 2) << status;
        EXPECT_NE(status, "None");
        EXPECT_FALSE(std::string(j["Reason"]).empty());
        for (const char* key : {"Qt", "Qs", "e", "Ntu", "Qmax", "ho", "hi", "Uo", "Ca", "air_dp", "liquid_dp",
                                "PipeSize", "AirOut", "TubeRe", "SurfaceConditionName"})
            EXPECT_TRUE(j[key].is_null()) << key << " " << j[key];
        for (const char* key : {"tfo", "ro", "Cp", "cw", "vw"})
            EXPECT_TRUE(j["Liquid"][key].is_null()) << key << " " << j["Liquid"][key];
        // The inputs stay: the entering air, the liquid inlet, the coil.
        EXPECT_TRUE(j["AirIn"]["db"].is_number());
        EXPECT_TRUE(j["Liquid"]["tfi"].is_number());
        EXPECT_TRUE(j["Af"].is_number());
        EXPECT_EQ(run.out.find("144.00"), std::string::npos) << run.out;
    }
    // The fixed one of the liquid's pair is an input; the other is a result.
    const nlohmann::json temp =
        nlohmann::json::parse(Zemtor("solve --json --set control=temp --set edFluidDT=400").out);
    EXPECT_EQ(temp["Liquid"]["designdt"], 400.0);
    EXPECT_TRUE(temp["Liquid"]["m"].is_null());
}

TEST_F(SolveCommand, TheSummaryOfAJobThatDidNotSolveShowsItsInputsOnly)
{
    const Result run = Zemtor("solve --set control=temp --set edFluidDT=400");
    EXPECT_EQ(run.rc, 2);
    EXPECT_NE(run.out.find("DataError  Not Solved..."), std::string::npos) << run.out;
    for (const char* shown :
         {"Air on                380.00 °C db", "Liquid in             80.00 °C, dT 400.00 K",
          "Areas                 face 0.6401"})
        EXPECT_NE(run.out.find(shown), std::string::npos) << shown << "\n" << run.out;
    for (const char* absent : {"Duty", "Air off", "Liquid pressure drop", "Coefficients", "144.0"})
        EXPECT_EQ(run.out.find(absent), std::string::npos) << absent << "\n" << run.out;
    // A job that solved shows its results.
    const Result solved = Zemtor("solve");
    ASSERT_EQ(solved.rc, 0) << solved.err;
    EXPECT_NE(solved.out.find("Duty                  144.0"), std::string::npos) << solved.out;
}

TEST_F(SolveCommand, WarningsTravelWithTheJson)
{
    // The default oil runs transitional; an air temperature above its field's range is taken at
    // the bound, and said so.
    const Result run = Zemtor("solve --json --set edOnCoil=1200");
    ASSERT_EQ(run.rc, 0) << run.err;
    const nlohmann::json j = nlohmann::json::parse(run.out);
    EXPECT_EQ(j["Reason"], "");
    EXPECT_EQ(j["TubeRegime"], "transition");
    ASSERT_EQ(j["warnings"].size(), 2u) << j["warnings"];
    EXPECT_NE(std::string(j["warnings"][0]).find("transition range (Re "), std::string::npos);
    EXPECT_EQ(j["warnings"][1], "edOnCoil=1200 is outside -60..900 °C; 900 used.");

    const Result hot = Zemtor("solve --json --kind hwc");
    ASSERT_EQ(hot.rc, 0) << hot.err;
    EXPECT_TRUE(nlohmann::json::parse(hot.out)["warnings"].empty());

    // --strict: the same entry rates nothing, for the default job and for a project file alike;
    // an entry inside its range still rates.
    const Result strict = Zemtor("solve --json --strict --set edOnCoil=1200");
    EXPECT_EQ(strict.rc, 1);
    EXPECT_TRUE(strict.out.empty()) << strict.out;
    EXPECT_NE(strict.err.find("edOnCoil=1200 is outside -60..900 °C"), std::string::npos) << strict.err;
    ASSERT_EQ(Zemtor("new strict.zmx").rc, 0);
    const Result file = Zemtor("solve strict.zmx --json --strict --set edOnCoil=1e308");
    EXPECT_EQ(file.rc, 1);
    EXPECT_NE(file.out.find("\"exit\":1"), std::string::npos) << file.out;
    EXPECT_NE(file.out.find("--strict"), std::string::npos) << file.out;
    EXPECT_EQ(Zemtor("solve --strict --set edOnCoil=300").rc, 0);
}

TEST_F(SolveCommand, ASettingsFileThatCannotBeReadIsSaidOnceAndLeftAsItIs)
{
    const fs::path settings = dir_ / "Quorvane" / "ZMK.ini";
    fs::create_directories(settings.parent_path());
    std::ofstream(settings) << "[Startup]\r\nLastPath=/mine/\r\n";
    fs::resize_file(settings, 9 * 1024 * 1024);
    const std::string said = "Cannot read file \"" + settings.string() +
                             "\": it is larger than 8 MiB (9437184 bytes).\nThe program runs on its default "
                             "settings and leaves this file as it is.\n";
    Result run = Zemtor("new a.zmx");
    ASSERT_EQ(run.rc, 0) << run.err;
    EXPECT_EQ(run.err, said);
    ASSERT_EQ(Zemtor("new b.zmx").rc, 0);
    run = Zemtor("solve a.zmx --save");
    EXPECT_EQ(run.rc, 0) << run.err;
    EXPECT_EQ(run.err, said);
    // A batch says it once, not once for each file.
    run = Zemtor("solve a.zmx b.zmx --json --jobs 2");
    EXPECT_EQ(run.rc, 0) << run.err;
    EXPECT_EQ(run.err, said);
    EXPECT_EQ(fs::file_size(settings), 9u * 1024 * 1024);
    EXPECT_EQ(test::ReadFileBytes(settings).substr(0, 9), "[Startup]");
}

TEST_F(SolveCommand, TemperatureControlGivesTheSameDutyFromAProject)
{
    // The default job switched to a fixed 40 K rise starts from the flow-controlled solve it was
    // built with; the project opens with the liquid state it was saved with. Both end on the
    // same duty. The air flow and moisture are given to both, since the project keeps the
    // entering air to three decimals.
    const std::string air = " --set edAirMassflow=0.931 --set edHumidityOn=0.005";
    const Result set = Zemtor("solve --json --set control=temp --set edFluidDT=40" + air);
    ASSERT_EQ(set.rc, 0) << set.err;
    const nlohmann::json a = nlohmann::json::parse(set.out);

    ASSERT_EQ(Zemtor("new --kind zmk '" + (dir_ / "job.zmx").string() + "'").rc, 0);
    std::ifstream in(dir_ / "job.zmx");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    // The liquid state's control and temperature change, edited as a user would.
    for (auto [element, value] : {std::pair<std::string, std::string>{"ctrl", "0"}, {"designdt", "40"}}) {
        const std::size_t from = text.find("<" + element + ">");
        const std::size_t to = text.find("</" + element + ">");
        ASSERT_TRUE(from != std::string::npos && to != std::string::npos) << element;
        text.replace(from, to - from, "<" + element + ">" + value);
    }
    std::ofstream(dir_ / "job.zmx") << text;
    const Result file = Zemtor("solve --json '" + (dir_ / "job.zmx").string() + "'" + air);
    ASSERT_EQ(file.rc, 0) << file.err;
    const nlohmann::json b = nlohmann::json::parse(file.out);

    EXPECT_EQ(b["Liquid"]["ctrl"], 0);
    EXPECT_NEAR(double(a["Qt"]), double(b["Qt"]), 1e-6);
    for (const nlohmann::json& j : {a, b}) {
        EXPECT_NEAR(double(j["Liquid"]["tfo"]) - double(j["Liquid"]["tfi"]), 40, 1e-9);
        EXPECT_NEAR(double(j["Cr"]), double(j["Ca"]) / double(j["Liquid"]["cw"]), 1e-6 * double(j["Cr"]));
    }
}

} // namespace zmk

namespace zmk {

namespace {

// A folder of projects of every kind, with inputs changed, between a missing and a broken file,
// a cold coil before a hot one and a heat recovery coil: a batch whose files could lean on
// each other if the threads, or the files rated before, left anything behind.
class SolveBatch : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char* kinds[] = {"zmk", "hwc", "cwc"};
        const char* sets[] = {"", "--set edOnCoil=300 --set edFluidFlow=1.5",
                              "--set edRows=6 --set edFinDensity=14", "--set edHumidityOn=0.012",
                              "--set control=temp --set edFluidDT=15"};
        int n = 0;
        for (const char* kind : kinds) {
            for (const char* set : sets) {
                const std::string file = std::string(kind) + std::to_string(n++) + ".zmx";
                ASSERT_EQ(Zemtor(std::string("new --kind ") + kind + " " + file).rc, 0);
                if (*set)
                    Zemtor(std::string("solve --save ") + set + " " + file);
                files_.push_back(file);
            }
        }
        std::ofstream(dir_ / "broken.zmx") << "<datafile><zmk>";
        files_.insert(files_.begin() + 4, "missing.zmx");
        files_.insert(files_.begin() + 9, "broken.zmx");
        // The same files again, in another order: a cold coil now comes first.
        const std::vector<std::string> once = files_;
        files_.insert(files_.end(), once.rbegin(), once.rend());
    }
    Result Zemtor(const std::string& args) const { return folder_.Run(args); }
    std::string Files() const
    {
        std::string list;
        for (const std::string& f : files_)
            list += " " + f;
        return list;
    }

    test::ZemtorFolder folder_;
    const fs::path& dir_ = folder_.path();
    std::vector<std::string> files_;
};

} // namespace

TEST_F(SolveBatch, ThreadsGiveTheOutputOfOneThreadByteForByte)
{
    for (const char* mode : {"--json", "", "--json --set edOnCoil=-500"}) {
        SCOPED_TRACE(mode);
        // The files come first: --set takes every word after it.
        const std::string command = "solve" + Files() + " " + mode;
        const Result one = Zemtor(command + " --jobs 1");
        ASSERT_FALSE(one.out.empty());
        for (const char* jobs : {"2", "3", "8"}) {
            SCOPED_TRACE(jobs);
            const Result many = Zemtor(command + " --jobs " + jobs);
            EXPECT_EQ(many.rc, one.rc);
            EXPECT_EQ(many.out, one.out);
            // The messages of each file come out with the file, in file order.
            EXPECT_EQ(many.err, one.err);
        }
    }
}

TEST_F(SolveBatch, EachFileRatesAsIfAlone)
{
    const Result batch = Zemtor("solve --json --jobs 3" + Files());
    EXPECT_EQ(batch.rc, 1); // the missing and the broken file
    std::istringstream lines(batch.out);
    std::size_t i = 0;
    for (std::string line; std::getline(lines, line); ++i) {
        ASSERT_LT(i, files_.size());
        SCOPED_TRACE(files_[i]);
        // The file alone, in a process of its own, prints the same record: nothing (the cold
        // coil's dew point default, the catalogue's cache) carries over from one file to another.
        const Result alone = Zemtor("solve --json " + files_[i]);
        EXPECT_EQ(line + "\n", alone.out);
        const nlohmann::json j = nlohmann::json::parse(line);
        EXPECT_EQ(j["file"], files_[i]);
    }
    EXPECT_EQ(i, files_.size());
}

TEST_F(SolveBatch, MessagesComeBesideTheirFilesInOneStream)
{
    // Standard error into standard output: each file's messages (the missing and the broken
    // file's) follow its own record, as when each file is rated alone, though the records go out
    // in large writes.
    const Result batch = Zemtor("solve --json --jobs 2" + Files() + " 2>&1");
    EXPECT_EQ(batch.rc, 1);
    std::istringstream lines(batch.out);
    std::size_t records = 0;
    std::size_t messages = 0; // the first lines of the messages after a record
    std::string last;         // the file of the record before
    bool afterRecord = false;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("{", 0) != 0) {
            // A message's first line names its file; a line of the same message may follow.
            if (afterRecord) {
                ++messages;
                EXPECT_NE(line.find(last), std::string::npos) << line << " after the record of " << last;
            }
            afterRecord = false;
            continue;
        }
        ASSERT_LT(records, files_.size());
        last = nlohmann::json::parse(line)["file"];
        EXPECT_EQ(last, files_[records]);
        ++records;
        afterRecord = true;
    }
    EXPECT_EQ(records, files_.size());
    EXPECT_GE(messages, 4u); // the missing and the broken file, each twice
}

TEST_F(SolveBatch, ThreadCountIsCheckedAndMayExceedTheFiles)
{
    EXPECT_NE(Zemtor("solve --json --jobs 0 zmk0.zmx").rc, 0);
    EXPECT_NE(Zemtor("solve --json --jobs -2 zmk0.zmx").rc, 0);
    EXPECT_NE(Zemtor("solve --json --jobs many zmk0.zmx").rc, 0);
    const Result alone = Zemtor("solve --json zmk0.zmx");
    ASSERT_EQ(alone.rc, 0) << alone.err;
    EXPECT_EQ(Zemtor("solve --json --jobs 16 zmk0.zmx").out, alone.out);
}

TEST_F(SolveBatch, AFileNameThatIsNotUtf8IsRatedAndNamed)
{
    // A name from an older system, in Latin-1: the record names it with the replacement
    // character where the byte is not UTF-8, and the batch goes on to the next file.
    const std::string latin1 = "caf\xE9.zmx";
    fs::copy_file(dir_ / "zmk0.zmx", dir_ / latin1);
    const Result batch = Zemtor("solve --json --jobs 2 '" + latin1 + "' hwc5.zmx");
    ASSERT_EQ(batch.rc, 0) << batch.err;
    std::istringstream lines(batch.out);
    std::string first, second;
    ASSERT_TRUE(std::getline(lines, first));
    ASSERT_TRUE(std::getline(lines, second));
    EXPECT_EQ(nlohmann::json::parse(first)["file"], "caf\xEF\xBF\xBD.zmx");
    EXPECT_EQ(nlohmann::json::parse(first)["solved"], true);
    EXPECT_EQ(nlohmann::json::parse(second)["file"], "hwc5.zmx");
}

} // namespace zmk
