// What zemtor refuses of its inputs, and what the message says: --set numbers too long to hold
// and counts with a fraction, and a project nested deeper than a file may be read.
#include "support/Zemtor.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <string>

namespace zmk {
namespace {

using Result = test::ZemtorRun;

TEST(InputChecks, RefusedInputsNameTheFieldTheValueAndTheReason)
{
    const test::ZemtorFolder folder;
    const std::string digits400(400, '9');
    const struct
    {
        std::string set;
        std::string says;
    } cases[] = {
        {"edOnCoil=" + digits400,
         "edOnCoil=999999999999999999999999... (400 characters): out of range: the number is too long to be "
         "held (beyond 1.79769313486232E308); edOnCoil takes -60..900 °C"},
        {"edFinHeight=-" + digits400 + ".5",
         "edFinHeight=-99999999999999999999999... (403 characters): out of range"},
        {"edAltitude=1e999", "edAltitude=1e999: out of range"},
        {"edOnCoil=warm", "edOnCoil=warm: not a number; edOnCoil takes -60..900 °C"},
        {"edOnCoil=" + std::string(30, 'x'),
         "edOnCoil=xxxxxxxxxxxxxxxxxxxxxxxx... (30 characters): not a number"},
        {"edRows=2.5", "edRows=2.5: not a whole number; edRows takes whole numbers 1..20"},
        {"edCircuits=2.5", "edCircuits=2.5: not a whole number; edCircuits takes whole numbers 1..100"},
        {"edRows=4.0001", "edRows=4.0001: not a whole number"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.set);
        const Result run = folder.Run("solve --set '" + c.set + "'");
        EXPECT_EQ(run.rc, 1);
        EXPECT_TRUE(run.out.empty()) << run.out;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find("zemtor: " + c.set.substr(0, c.set.find('=') + 1) + digits400),
                  std::string::npos)
            << "the long value is cut";
    }
}

TEST(InputChecks, WholeRowsAndCircuitsAreTakenAsTheyAre)
{
    const test::ZemtorFolder folder;
    const Result run = folder.Run("solve --json --set edRows=3 --set edCircuits=7.0 --set edFinHeight=0.6");
    ASSERT_EQ(run.rc, 0) << run.err;
    const nlohmann::json j = nlohmann::json::parse(run.out);
    EXPECT_NE(j.dump().find("3r"), std::string::npos) << j.dump();
    EXPECT_NE(j.dump().find("7c"), std::string::npos) << j.dump();
}

TEST(InputChecks, AProjectNestedTooDeepIsRefusedNamingTheFileAndTheLimit)
{
    const test::ZemtorFolder folder;
    std::string deep = "<zmk>";
    for (int i = 0; i < 5000; ++i)
        deep += "<notes>";
    for (int i = 0; i < 5000; ++i)
        deep += "</notes>";
    std::ofstream(folder / "deep.zmx", std::ios::binary) << deep << "</zmk>\n";
    const Result run = folder.Run("solve deep.zmx --save");
    EXPECT_EQ(run.rc, 1);
    EXPECT_NE(run.err.find("The file \"deep.zmx\" nests its elements more than 64 levels deep (line 1)"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(test::ReadFileBytes(folder / "deep.zmx"), deep + "</zmk>\n");
}

} // namespace
} // namespace zmk
