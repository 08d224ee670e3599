// zemtor props, run as the built program: the three calculators, their JSON keys and values,
// and the refusals of incomplete or out-of-range input.
#include "properties/Fluid.h"
#include "properties/Friction.h"
#include "properties/Psy.h"

#include "support/Zemtor.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace zmk {
namespace {

using test::ZemtorRun;

// Runs zemtor with its messages in the same text as its output.
ZemtorRun zemtor(const std::string& args)
{
    const test::ZemtorFolder folder(test::ZemtorFolder::Catalogue::Installed);
    return folder.Run(args + " 2>&1");
}

TEST(PropsCommand, AirStateAsJsonMatchesTheLibrary)
{
    const ZemtorRun r = zemtor("props air --p 101.325 --db 380 --w 0.005 --json");
    ASSERT_EQ(r.rc, 0) << r.out;
    const auto j = nlohmann::json::parse(r.out);
    const TAirState s = SetState(101.325, 380, 0.005, kPairDbW);
    for (const char* key :
         {"P", "db", "wb", "h", "w", "rh", "dewpoint", "rho", "cp", "k", "mu", "pw", "pws", "v"})
        ASSERT_TRUE(j.contains(key)) << key;
    EXPECT_DOUBLE_EQ(j["wb"].get<double>(), s.wb);
    EXPECT_DOUBLE_EQ(j["h"].get<double>(), s.h);
    EXPECT_DOUBLE_EQ(j["k"].get<double>(), s.k);
    EXPECT_DOUBLE_EQ(j["dewpoint"].get<double>(), s.dewpoint);

    // --altitude instead of --p, and every pair.
    const ZemtorRun alt = zemtor("props air --altitude 1000 --db 25 --rh 0.5 --json");
    ASSERT_EQ(alt.rc, 0) << alt.out;
    EXPECT_NEAR(nlohmann::json::parse(alt.out)["P"].get<double>(), 89.875, 0.001);
    for (const char* pair : {"--db 25 --wb 18", "--db 25 --h 50", "--db 25 --w 0.01", "--h 50 --w 0.01"}) {
        const ZemtorRun p = zemtor(std::string("props air --p 101.325 ") + pair + " --json");
        EXPECT_EQ(p.rc, 0) << pair << ": " << p.out;
    }
    const ZemtorRun text = zemtor("props air --p 101.325 --db 25 --rh 0.5");
    ASSERT_EQ(text.rc, 0);
    EXPECT_NE(text.out.find("Wet bulb              17.889 °C"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("Dew point             13.864 °C"), std::string::npos) << text.out;
}

TEST(PropsCommand, AirRefusals)
{
    for (const char* args : {
             "props air --db 25 --rh 0.5",                          // no pressure
             "props air --p 101.325 --altitude 0 --db 25 --rh 0.5", // both
             "props air --p 101.325 --db 25",                       // one property
             "props air --p 101.325 --db 25 --rh 0.5 --w 0.01",     // three
             "props air --p 101.325 --wb 20 --rh 0.5",              // no pair code
             "props air --p 30 --db 25 --rh 0.5",                   // pressure outside 50..120
             "props air --p 101.325 --db 1000 --w 0.01",            // dry bulb outside -60..900
             "props air --p 101.325 --db 25 --rh 1.5",              // relative humidity above 1
         }) {
        const ZemtorRun r = zemtor(args);
        EXPECT_NE(r.rc, 0) << args;
        EXPECT_NE(r.out.find("zemtor: "), std::string::npos) << args << ": " << r.out;
    }
}

TEST(PropsCommand, Liquid)
{
    const ZemtorRun r = zemtor("props liquid --kind 0 --additive EthyleneGlycol --volume 0.3 --t 20 --json");
    ASSERT_EQ(r.rc, 0) << r.out;
    const auto j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["Name"], "Water (30% Ethylene Glycol)");
    EXPECT_EQ(j["ShortName"], "30% Eth-Glycol");
    EXPECT_EQ(j["TMin"], -30.0);
    EXPECT_EQ(j["TMax"], 300.0);
    EXPECT_NEAR(j["Cp"].get<double>(), 3.647, 0.0005);
    EXPECT_NEAR(j["ro"].get<double>(), 1045.2, 0.05);
    EXPECT_NEAR(j["mu"].get<double>(), 0.002328, 5e-7);
    EXPECT_NEAR(j["Ko"].get<double>(), 0.000453, 5e-7);
    EXPECT_NEAR(j["Pr"].get<double>(), j["Cp"].get<double>() * j["mu"].get<double>() / j["Ko"].get<double>(),
                1e-9);

    const ZemtorRun air = zemtor("props liquid --kind \"Compressed Air\" --pf 5 --t 100");
    ASSERT_EQ(air.rc, 0) << air.out;
    EXPECT_NE(air.out.find("Compressed Air (5.0-bar)"), std::string::npos) << air.out;
    EXPECT_EQ(air.out.find("Warning"), std::string::npos) << air.out;

    // Outside the range: the values and a warning line.
    const ZemtorRun cold = zemtor("props liquid --kind Glycerin --t 80");
    ASSERT_EQ(cold.rc, 0) << cold.out;
    EXPECT_NE(cold.out.find("Warning: 80.00 °C is outside the validity range 0.0 to 50.0 °C"),
              std::string::npos)
        << cold.out;

    for (const char* args : {"props liquid --kind 14 --t 20", "props liquid --kind Lava --t 20",
                             "props liquid --kind 1 --additive 1 --volume 0.3 --t 20",
                             "props liquid --kind 0 --additive 1 --t 20", "props liquid --kind 12 --t -50",
                             "props liquid --kind 0"}) {
        const ZemtorRun bad = zemtor(args);
        EXPECT_NE(bad.rc, 0) << args << ": " << bad.out;
    }
}

TEST(PropsCommand, Friction)
{
    const ZemtorRun r = zemtor("props friction --re 10000 --roughness 1.5e-6 --diameter 0.0125222 --json");
    ASSERT_EQ(r.rc, 0) << r.out;
    const auto j = nlohmann::json::parse(r.out);
    EXPECT_NEAR(j["f"].get<double>(), 0.03107, 5e-6);
    EXPECT_EQ(j["regime"], kFrictionColebrook);
    const ZemtorRun laminar = zemtor("props friction --re 1000");
    ASSERT_EQ(laminar.rc, 0);
    EXPECT_NE(laminar.out.find("0.064"), std::string::npos) << laminar.out;
    EXPECT_NE(laminar.out.find("3 laminar"), std::string::npos) << laminar.out;
    EXPECT_NE(zemtor("props friction --re 1e5 --roughness 1e-5").rc, 0);
}

} // namespace
} // namespace zmk
