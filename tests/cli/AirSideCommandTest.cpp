// The air-side method on the command line: airside= chooses it, the pages and the JSON say which
// method rated the job (a standard job's stay as they were), the project keeps the choice, and
// solve --compare-methods prints the two side by side; fintype= sets the fin surface the published
// method rates, which the standard method does not read and the project keeps only when not plain.
#include "support/Zemtor.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <filesystem>
#include <string>

namespace zmk {
namespace {

namespace fs = std::filesystem;

class AirSideCommand : public ::testing::Test
{
protected:
    test::ZemtorRun Zemtor(const std::string& args) const { return folder_.Run(args); }

    nlohmann::json Json(const std::string& args) const
    {
        const test::ZemtorRun run = Zemtor(args + " --json");
        EXPECT_EQ(run.rc, 0) << run.err;
        return nlohmann::json::parse(run.out);
    }

    test::ZemtorFolder folder_;
    const fs::path& dir_ = folder_.path();
};

TEST_F(AirSideCommand, ThePublishedMethodSaysSoAndTheStandardRecordStaysAsItWas)
{
    const nlohmann::json standard = Json("solve --kind hwc");
    EXPECT_FALSE(standard.contains("AirSideMethod"));
    EXPECT_FALSE(standard.contains("FinEff"));

    const nlohmann::json published = Json("solve --kind hwc --set airside=published");
    EXPECT_EQ(published["AirSideMethod"], "published");
    const double finEff = published["FinEff"];
    EXPECT_GT(finEff, 0.55);
    EXPECT_LT(finEff, 0.85);
    EXPECT_LT(double(published["SurfaceEff"]), 0.9);
    EXPECT_LT(double(published["Qt"]), double(standard["Qt"]));
    bool named = false;
    for (const nlohmann::json& w : published["warnings"])
        named = named || std::string(w).find("Wang, Chi & Chang (2000)") != std::string::npos;
    EXPECT_TRUE(named) << published["warnings"];
    // "standard" by name is the default, and any letter case will do.
    EXPECT_EQ(Json("solve --kind hwc --set airside=Standard")["Qt"], standard["Qt"]);

    const test::ZemtorRun text = Zemtor("solve --kind cwc --set airside=published");
    EXPECT_EQ(text.rc, 0) << text.err;
    EXPECT_NE(text.out.find("Air side              Published correlations\n"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("Fin efficiency        "), std::string::npos) << text.out;

    const test::ZemtorRun wrong = Zemtor("solve --kind hwc --set airside=fancy");
    EXPECT_EQ(wrong.rc, 1);
    EXPECT_NE(wrong.err.find("airside= expects standard or published, not 'fancy'"), std::string::npos)
        << wrong.err;

    const test::ZemtorRun report =
        Zemtor("report --kind zmk --set airside=published --view diag --out '" + (dir_ / "r").string() + "'");
    ASSERT_EQ(report.rc, 0) << report.err;
    std::string diag;
    for (const fs::directory_entry& e : fs::directory_iterator(dir_ / "r"))
        if (e.path().extension() == ".htm")
            diag += test::ReadFileBytes(e.path());
    EXPECT_NE(diag.find("Air side: Published correlations"), std::string::npos);
    EXPECT_NE(diag.find("(fin efficiency at ho)"), std::string::npos);
    EXPECT_EQ(diag.find("Fins: "), std::string::npos); // a plain fin is not named
}

TEST_F(AirSideCommand, TheProjectKeepsTheMethodAndAnOlderFileRatesByTheStandardOne)
{
    const fs::path job = dir_ / "job.zmx";
    ASSERT_EQ(Zemtor("new --kind cwc '" + job.string() + "'").rc, 0);
    // A file written by the standard method holds no method: older files are the same.
    EXPECT_EQ(test::ReadFileBytes(job).find("AirSideMethod"), std::string::npos);
    const nlohmann::json before = Json("solve '" + job.string() + "'");

    ASSERT_EQ(Zemtor("solve '" + job.string() + "' --set airside=published --save").rc, 0);
    EXPECT_NE(test::ReadFileBytes(job).find("<AirSideMethod>published</AirSideMethod>"), std::string::npos);
    const nlohmann::json reopened = Json("solve '" + job.string() + "'");
    EXPECT_EQ(reopened["AirSideMethod"], "published");
    EXPECT_NE(reopened["Qt"], before["Qt"]);

    // Back to the standard method: the file says so, and rates as it did at first.
    ASSERT_EQ(Zemtor("solve '" + job.string() + "' --set airside=standard --save").rc, 0);
    EXPECT_NE(test::ReadFileBytes(job).find("<AirSideMethod>standard</AirSideMethod>"), std::string::npos);
    // (The saved leaving states start the solve elsewhere: the last digits may move.)
    const double Qt = before["Qt"];
    EXPECT_NEAR(double(Json("solve '" + job.string() + "'")["Qt"]), Qt, 1e-9 * Qt);
}

TEST_F(AirSideCommand, CompareMethodsRatesTheJobBothWays)
{
    const test::ZemtorRun text = Zemtor("solve --kind hwc --compare-methods");
    ASSERT_EQ(text.rc, 0) << text.err;
    for (const char* caption :
         {"Standard", "Published correlations", "Duty, kW", "ho, W/(m²·K)", "Fin efficiency",
          "Surface efficiency", "Air pressure drop, Pa", "Liquid out"})
        EXPECT_NE(text.out.find(caption), std::string::npos) << caption << "\n" << text.out;

    const nlohmann::json both = Json("solve --kind hwc --compare-methods");
    EXPECT_EQ(both["standard"]["Qt"], Json("solve --kind hwc")["Qt"]);
    EXPECT_EQ(both["published"]["Qt"], Json("solve --kind hwc --set airside=published")["Qt"]);
    EXPECT_EQ(both["published"]["AirSideMethod"], "published");

    const test::ZemtorRun two = Zemtor("solve a.zmx b.zmx --compare-methods");
    EXPECT_EQ(two.rc, 1);
    EXPECT_NE(two.err.find("--compare-methods rates one job"), std::string::npos) << two.err;
}

TEST_F(AirSideCommand, TheFinTypeMovesThePublishedMethodOnlyAndTheProjectKeepsIt)
{
    const nlohmann::json plain = Json("solve --kind hwc");
    EXPECT_FALSE(plain.contains("FinType"));
    const nlohmann::json plainPublished = Json("solve --kind hwc --set airside=published");
    for (const char* type : {"louvered", "wavy"}) {
        SCOPED_TRACE(type);
        const nlohmann::json standard = Json(std::string("solve --kind hwc --set fintype=") + type);
        EXPECT_EQ(standard["FinType"], type);
        EXPECT_EQ(standard["Qt"], plain["Qt"]); // the standard method reads no fin type
        EXPECT_EQ(standard["air_dp"], plain["air_dp"]);
        const nlohmann::json published =
            Json(std::string("solve --kind hwc --set airside=published --set fintype=") + type);
        EXPECT_GT(std::fabs(double(published["Qt"]) / double(plainPublished["Qt"]) - 1), 0.02);
        // The default coil's pattern gives no louvers or waves: the rating says which it took.
        const std::string assumed = type == std::string("louvered") ? "takes the louver pitch as 2.4 mm"
                                                                    : "takes the wave depth as 1.8 mm";
        bool said = false;
        for (const nlohmann::json& w : published["warnings"])
            said = said || std::string(w).find(assumed) != std::string::npos;
        EXPECT_TRUE(said) << published["warnings"];
    }
    const test::ZemtorRun text = Zemtor("solve --kind hwc --set fintype=Herringbone");
    EXPECT_EQ(text.rc, 0) << text.err;
    EXPECT_NE(text.out.find("Fins                  Wavy (herringbone)\n"), std::string::npos) << text.out;
    EXPECT_EQ(Zemtor("solve --kind hwc").out.find("Fins  "), std::string::npos);
    const test::ZemtorRun wrong = Zemtor("solve --kind hwc --set fintype=pinned");
    EXPECT_EQ(wrong.rc, 1);
    EXPECT_NE(wrong.err.find("fintype= expects plain, louvered or wavy, not 'pinned'"), std::string::npos)
        << wrong.err;

    // The pages name a fin that is not plain.
    const test::ZemtorRun report = Zemtor("report --kind hwc --set fintype=louvered --set airside=published "
                                          "--view diag --out '" +
                                          (dir_ / "r").string() + "'");
    ASSERT_EQ(report.rc, 0) << report.err;
    std::string diag;
    for (const fs::directory_entry& e : fs::directory_iterator(dir_ / "r"))
        if (e.path().extension() == ".htm")
            diag += test::ReadFileBytes(e.path());
    EXPECT_NE(diag.find("Fins: Louvered"), std::string::npos);

    // A plain-fin project holds no fin type; a wavy one does, reads back wavy, and set back to
    // plain says so.
    const fs::path job = dir_ / "job.zmx";
    ASSERT_EQ(Zemtor("new --kind hwc '" + job.string() + "'").rc, 0);
    EXPECT_EQ(test::ReadFileBytes(job).find("FinType"), std::string::npos);
    ASSERT_EQ(Zemtor("solve '" + job.string() + "' --set fintype=wavy --save").rc, 0);
    EXPECT_NE(test::ReadFileBytes(job).find("<FinType>wavy</FinType>"), std::string::npos);
    EXPECT_EQ(Json("solve '" + job.string() + "'")["FinType"], "wavy");
    ASSERT_EQ(Zemtor("solve '" + job.string() + "' --set fintype=plain --save").rc, 0);
    EXPECT_NE(test::ReadFileBytes(job).find("<FinType>plain</FinType>"), std::string::npos);
    EXPECT_FALSE(Json("solve '" + job.string() + "'").contains("FinType"));
}

} // namespace
} // namespace zmk
