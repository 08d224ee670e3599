// What zemtor says where a rating stops being true: a liquid it cannot rate is not solved and says
// why, frost is warned of, the default jobs keep their duties, and the U value the duty used is
// printed beside Uo, with fouling taken into the duty when the project asks for it.
#include "support/Zemtor.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace zmk {
namespace {

namespace fs = std::filesystem;

class RatingLimitsCommand : public ::testing::Test
{
protected:
    test::ZemtorRun Zemtor(const std::string& args) const { return folder_.Run(args); }

    nlohmann::json Json(const std::string& args) const
    {
        const test::ZemtorRun run = Zemtor(args + " --json");
        EXPECT_TRUE(run.rc == 0 || run.rc == 2) << run.err;
        return nlohmann::json::parse(run.out);
    }

    bool HasWarning(const nlohmann::json& j, const std::string& text) const
    {
        for (const nlohmann::json& w : j["warnings"])
            if (std::string(w).find(text) != std::string::npos)
                return true;
        return false;
    }

    test::ZemtorFolder folder_;
    const fs::path& dir_ = folder_.path();
};

TEST_F(RatingLimitsCommand, WaterFarPastItsDataIsNotSolvedAndSaysWhy)
{
    // Water entering at 600 °C into 900 °C air: once solved with a specific heat of 165.7 kJ/(kg·K).
    const std::string args = "solve --kind zmk --set edOnCoil=900 --set liquid=0 --set edFluidInTemp=600";
    const test::ZemtorRun text = Zemtor(args);
    EXPECT_EQ(text.rc, 2);
    EXPECT_NE(text.out.find("DataError  Not Solved..."), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("Clean Water cannot be kept liquid at any pressure above 373.9 °C"),
              std::string::npos)
        << text.out;

    const nlohmann::json j = Json(args);
    EXPECT_EQ(j["Status"], "DataError");
    EXPECT_EQ(j["solved"], false);
    EXPECT_NE(std::string(j["Reason"]).find("lower the liquid temperatures or choose another liquid..."),
              std::string::npos)
        << j["Reason"];

    // Hot water above its boiling point at 5 bar, in a heating coil.
    const nlohmann::json boiling = Json("solve --kind hwc --set edFluidInTemp=160");
    EXPECT_EQ(boiling["Status"], "DataError");
    EXPECT_EQ(boiling["Reason"],
              "Clean Water would boil at 151.8 °C at 500.0 kPa (it enters at 160.0 °C): raise "
              "the liquid pressure or lower the inlet temperature...");
}

TEST_F(RatingLimitsCommand, ALiquidEnteringFarPastItsDataIsRefusedEvenWhereTheArithmeticBreaks)
{
    // Liquid 4 at 624 °C: its extrapolated properties once ended the solve in a floating point
    // fault, reported as an error of the program rather than of the data.
    const nlohmann::json j =
        Json("solve --kind zmk --set edOnCoil=776.5 --set liquid=4 --set edFluidInTemp=624.4 --set edFluidFlow=5.7428");
    EXPECT_EQ(j["Status"], "DataError");
    EXPECT_EQ(j["solved"], false);
    EXPECT_TRUE(j["Qt"].is_null());
    const std::string reason = j["Reason"];
    EXPECT_NE(reason.find("enters at 624.4 °C"), std::string::npos) << reason;
    EXPECT_TRUE(reason.ends_with("...")) << reason;
}

TEST_F(RatingLimitsCommand, TheDefaultJobsKeepTheirDuties)
{
    // The duties of the default jobs before the liquid limits, frost and the duty's U came in.
    const struct
    {
        const char* kind;
        double Qt;
    } defaults[] = {{"zmk", 144.0030242499361}, {"hwc", 80.39612777567491}, {"cwc", 27.822355235058247}};
    for (const auto& d : defaults) {
        SCOPED_TRACE(d.kind);
        const nlohmann::json j = Json(std::string("solve --kind ") + d.kind);
        EXPECT_EQ(j["Status"], "None");
        // Within the pass loop's own tolerance: where the loop stops may move the last digits.
        EXPECT_NEAR(double(j["Qt"]), d.Qt, 1e-9 * d.Qt);
        EXPECT_EQ(j["FoulingInDuty"], false);
        // The duty's U is the clean one, above the fouled Uo reported.
        EXPECT_GT(double(j["UoDuty"]), double(j["Uo"]));
        EXPECT_FALSE(HasWarning(j, "frost"));
    }
    const test::ZemtorRun text = Zemtor("solve --kind hwc");
    EXPECT_NE(text.out.find("Duty's U              "), std::string::npos) << text.out;
    EXPECT_NE(text.out.find(" kW/(m²·K), fouling not applied to the duty\n"), std::string::npos) << text.out;
}

TEST_F(RatingLimitsCommand, AProjectThatAppliesFoulingToTheDutyClosesTheHandCheck)
{
    for (const char* kind : {"zmk", "hwc", "cwc"}) {
        SCOPED_TRACE(kind);
        const fs::path job = dir_ / (std::string(kind) + ".zmx");
        ASSERT_EQ(Zemtor(std::string("new --kind ") + kind + " '" + job.string() + "'").rc, 0);
        std::ifstream in(job);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        in.close();
        const std::string off = "<FoulingInDuty>false</FoulingInDuty>";
        const std::size_t at = text.find(off);
        ASSERT_NE(at, std::string::npos);
        const nlohmann::json clean = Json("solve '" + job.string() + "'");
        text.replace(at, off.size(), "<FoulingInDuty>true</FoulingInDuty>");
        std::ofstream(job) << text;

        const nlohmann::json j = Json("solve '" + job.string() + "'");
        EXPECT_EQ(j["Status"], "None");
        EXPECT_EQ(j["FoulingInDuty"], true);
        EXPECT_EQ(double(j["UoDuty"]), double(j["Uo"]));
        EXPECT_LT(double(j["Qt"]), double(clean["Qt"]));
        EXPECT_GT(double(j["Qt"]), 0.9 * double(clean["Qt"]));
        // On a dry surface UA = Uo·Ao, and Ntu is UA over the air's capacity rate (the chilled
        // water coil's default surface is wet: its Ntu is on the enthalpy potential).
        if (std::string(kind) != "cwc") {
            EXPECT_EQ(j["SurfaceConditionName"], "Dry");
        }
        if (j["SurfaceConditionName"] == "Dry") {
            const double ntu = double(j["Uo"]) * double(j["Ao"]) / double(j["Ca"]);
            EXPECT_NEAR(double(j["Ntu"]), ntu, 1e-8 * ntu);
        }
    }
}

TEST_F(RatingLimitsCommand, ColdBrineWarnsOfFrost)
{
    const nlohmann::json j =
        Json("solve --kind cwc --set liquid=5 --set edFluidInTemp=-13.7 --set edFluidFlow=6");
    EXPECT_EQ(j["Status"], "None");
    EXPECT_TRUE(
        HasWarning(j, "The fin surface falls below 0 °C: frost will form and the rating does not account "
                      "for it (coldest surface -"))
        << j["warnings"];
}

} // namespace
} // namespace zmk
