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
    EXPECT_EQ(j["Liquid"]["ctrl"], 0);
    EXPECT_NEAR(double(j["Liquid"]["tfo"]) - double(j["Liquid"]["tfi"]), 6, 1e-9);
    EXPECT_NEAR(double(j["AirIn"]["P"]), 89.8745, 1e-4);

    run = Zemtor("solve --json --set liquid=Water --set spray=on --set edOnCoil=1200");
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

TEST_F(SolveCommand, FailedSolvePrintsTheMessage)
{
    // Liquid entering at the air temperature under temperature control: no heat moves, so the
    // fixed temperature change leaves no liquid flow, and the next pass divides by it.
    const Result run = Zemtor("solve --kind zmk --set control=temp --set edFluidInTemp=380");
    EXPECT_EQ(run.rc, 1);
    EXPECT_TRUE(run.out.empty()) << run.out;
    EXPECT_NE(run.err.find(
                  "No solution found...\n\nCheck that the tube side fluid is\nwithin the temperature range!"),
              std::string::npos)
        << run.err;
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
}

} // namespace zmk
