// Runs the built zemtor program's select command: the ranked list as a table and as JSON, the
// first coil saved as a project that rates to the same duty, nothing that meets (exit 2 with the
// limit that ruled most coils out, nothing saved) and wrong arguments.
#include "support/Zemtor.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <string>

namespace zmk {
namespace {

namespace fs = std::filesystem;
using Result = test::ZemtorRun;

// The default hot water coil's face, rows and fins near its own: a quick selection.
const std::string kSmall = "select --kind hwc --fixed-face --rows 3..5 --fpi 8..12 --maker typical ";

class SelectCommand : public ::testing::Test
{
protected:
    Result Zemtor(const std::string& args) const { return folder_.Run(args); }

    test::ZemtorFolder folder_;
    const fs::path& dir_ = folder_.path();
};

TEST_F(SelectCommand, ListsTheBestCoilsRankedAndSavesTheFirst)
{
    const Result run = Zemtor(kSmall + "--duty 80 --top 4 --objective weight --json");
    ASSERT_EQ(run.rc, 0) << run.err;
    const nlohmann::json list = nlohmann::json::parse(run.out);
    ASSERT_TRUE(list.is_array());
    ASSERT_EQ(list.size(), 4u);
    for (std::size_t i = 0; i < list.size(); ++i) {
        EXPECT_GE(list[i]["Qt"].get<double>(), 80);
        EXPECT_GE(list[i]["Rows"].get<int>(), 3);
        EXPECT_LE(list[i]["Rows"].get<int>(), 5);
        EXPECT_EQ(list[i]["objective"], list[i]["weight"]);
        const double vf = list[i]["Vf"];
        EXPECT_TRUE(vf >= 1.5 && vf <= 3.0) << vf;
        if (i > 0) {
            EXPECT_LE(list[i - 1]["weight"].get<double>(), list[i]["weight"].get<double>());
        }
    }

    const Result table = Zemtor(kSmall + "--duty 80 --top 2");
    ASSERT_EQ(table.rc, 0) << table.err;
    EXPECT_NE(table.out.find("coils meet 80.000 kW"), std::string::npos) << table.out;
    EXPECT_NE(table.out.find("Pattern"), std::string::npos);
    EXPECT_NE(table.out.find("\n  1 typical: "), std::string::npos) << table.out;
    EXPECT_NE(table.out.find("\n  2 typical: "), std::string::npos);
    EXPECT_EQ(table.out.find("\n  3 "), std::string::npos);

    // The first coil saved as a project rates in an ordinary solve as the selection rated it.
    const fs::path out = dir_ / "selected.zmx";
    const Result saved = Zemtor(kSmall + "--duty 80 --objective weight --save-as \"" + out.string() + "\"");
    ASSERT_EQ(saved.rc, 0) << saved.err;
    const Result solved = Zemtor("solve \"" + out.string() + "\" --json");
    ASSERT_EQ(solved.rc, 0) << solved.err;
    const nlohmann::json r = nlohmann::json::parse(solved.out);
    EXPECT_NEAR(r["Qt"].get<double>(), list[0]["Qt"].get<double>(), 1e-6 * 80);
    EXPECT_NEAR(r["air_dp"].get<double>(), list[0]["air_dp"].get<double>(), 1e-6);
    EXPECT_NEAR(r["Vf"].get<double>(), list[0]["Vf"].get<double>(), 1e-6);
}

// --face-velocity-target rates every coil at that face velocity, each face with its own air flow
// (listed as Va); the saved coil keeps it. A velocity that is not above 0 is refused.
TEST_F(SelectCommand, AFaceVelocityTargetSetsEachCoilsAirFlow)
{
    const std::string args = "select --kind hwc --rows 3..4 --fpi 10..10 --maker typical --height 500..600 "
                             "--length 1000..1400 --length-step 200 --duty 60 ";
    const Result run = Zemtor(args + "--face-velocity-target 2.2 --top 30 --json");
    ASSERT_EQ(run.rc, 0) << run.err;
    const nlohmann::json list = nlohmann::json::parse(run.out);
    ASSERT_GT(list.size(), 3u);
    bool otherFaces = false;
    for (const auto& c : list) {
        EXPECT_NEAR(c["Vf"].get<double>(), 2.2, 1e-9);
        EXPECT_NEAR(c["Va"].get<double>(), 2.2 * c["fHeight"].get<double>() * c["fLength"].get<double>(), 1e-12);
        otherFaces = otherFaces || c["fLength"].get<double>() != list[0]["fLength"].get<double>();
    }
    EXPECT_TRUE(otherFaces);
    const Result table = Zemtor(args + "--face-velocity-target 2.2 --top 1");
    EXPECT_NE(table.out.find("face velocity 2.2 m/s"), std::string::npos) << table.out;
    const fs::path out = dir_ / "vf.zmx";
    ASSERT_EQ(Zemtor(args + "--face-velocity-target 2.2 --save-as \"" + out.string() + "\"").rc, 0);
    const Result solved = Zemtor("solve \"" + out.string() + "\" --json");
    ASSERT_EQ(solved.rc, 0) << solved.err;
    const nlohmann::json r = nlohmann::json::parse(solved.out);
    EXPECT_NEAR(r["Vf"].get<double>(), 2.2, 1e-6);
    EXPECT_NEAR(r["Qt"].get<double>(), list[0]["Qt"].get<double>(), 1e-6 * 60);
    // A leaving air target: each face needs its own duty, so the target is told as the air.
    const Result warm = Zemtor(args + "--face-velocity-target 2.2 --leaving-air 38 --top 1");
    ASSERT_EQ(warm.rc, 0) << warm.err;
    EXPECT_NE(warm.out.find("coils meet a leaving air of 38.0 °C"), std::string::npos) << warm.out;
    const Result refused = Zemtor(args + "--face-velocity-target 0");
    EXPECT_EQ(refused.rc, 1);
    EXPECT_NE(refused.err.find("--face-velocity-target"), std::string::npos) << refused.err;
}

TEST_F(SelectCommand, NothingMeetsSaysTheRulingLimitAndSavesNothing)
{
    struct Case
    {
        std::string args;
        std::string limit;
    };
    const fs::path out = dir_ / "none.zmx";
    for (const Case& c : {Case{"--duty 5000", "the duty ruled out"},
                          Case{"--duty 60 --tube-velocity 50..60", "the tube velocity range ruled out"},
                          Case{"--duty 60 --max-air-dp 5", "the maximum air pressure drop ruled out"},
                          Case{"--duty 60 --face-velocity 8..9", "the face velocity range ruled out"}}) {
        const Result run = Zemtor(kSmall + c.args + " --json --save-as \"" + out.string() + "\"");
        EXPECT_EQ(run.rc, 2) << c.args << "\n" << run.err;
        EXPECT_NE(run.err.find(c.limit), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("(not saved)"), std::string::npos) << run.err;
        EXPECT_EQ(nlohmann::json::parse(run.out), nlohmann::json::array());
        EXPECT_FALSE(fs::exists(out));
    }
}

TEST_F(SelectCommand, RefusesWrongArguments)
{
    for (const std::string args :
         {"--duty 80 --objective price", "--duty 80 --rows 5..3", "--rows 3..4", "--duty 80 --fpi eight",
          "--duty 80 --maker Nobody", "--duty 80 --top 0"}) {
        const Result run = Zemtor("select --kind hwc --fixed-face " + args);
        EXPECT_EQ(run.rc, 1) << args << "\n" << run.err;
        EXPECT_NE(run.err.find("zemtor: "), std::string::npos) << args;
    }
}

} // namespace
} // namespace zmk
