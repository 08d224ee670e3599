// Runs the built zemtor program's check command: the default job of each kind passes, an input
// at a field's end is noted, and a job that cannot be rated fails with its reason.
#include "support/Zemtor.h"

#include <gtest/gtest.h>

#include <string>

namespace zmk {
namespace {

TEST(CheckCommand, PrintsEveryInputAndTheChecks)
{
    test::ZemtorFolder folder;
    for (const char* kind : {"zmk", "hwc", "cwc"}) {
        SCOPED_TRACE(kind);
        const test::ZemtorRun run = folder.Run(std::string("check --kind ") + kind);
        EXPECT_EQ(run.rc, 0) << run.out << run.err;
        for (const char* text :
             {"Air temperature on (edOnCoil)", "Energy balance", "Leaving temperatures", "0 fault(s)"})
            EXPECT_NE(run.out.find(text), std::string::npos) << text << "\n" << run.out;
    }
}

TEST(CheckCommand, NotesAndFaults)
{
    test::ZemtorFolder folder;
    const test::ZemtorRun slow = folder.Run("check --kind cwc --set edFaceVelocity=1.0");
    EXPECT_EQ(slow.rc, 0) << slow.err;
    EXPECT_NE(slow.out.find("usually sized for"), std::string::npos) << slow.out;

    // Air above saturation: the humidity is at fault and the job does not solve.
    const test::ZemtorRun wet = folder.Run("check --kind cwc --set edOnCoil=20 --set edHumidityOn=0.05");
    EXPECT_EQ(wet.rc, 2) << wet.out << wet.err;
    EXPECT_NE(wet.out.find("FAULT"), std::string::npos) << wet.out;
    EXPECT_NE(wet.out.find("more moisture than saturated air"), std::string::npos) << wet.out;
    EXPECT_NE(wet.out.find("none: the job is not solved"), std::string::npos) << wet.out;
}

} // namespace
} // namespace zmk
