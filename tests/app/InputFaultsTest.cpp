#include "app/InputFaults.h"

#include "support/ProjectTestSession.h"

#include "app/ProjectFile.h"
#include "base/Errors.h"
#include "engine/HeatExchanger.h"
#include "geometry/FinAndTube.h"
#include "properties/Fluid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>
#include <regex>

namespace zmk {
namespace {

namespace fs = std::filesystem;
using test::ProjectJob;
using test::ShellTestFolder;

class InputFaultsTest : public ::testing::Test
{
protected:
    ShellTestFolder folder;
    test::CatalogueCopy catalogue{folder / "common"};
    std::string file(const std::string& name) const { return (folder / name).string(); }
};

TEST_F(InputFaultsTest, NamesTheFirstInputOutOfReason)
{
    struct Case
    {
        const char* what;
        std::function<void(ProjectJob&)> change;
        std::optional<std::string> fault;
    };
    const Case cases[] = {
        {"nothing", [](ProjectJob&) {}, std::nullopt},
        {"fpi", [](ProjectJob& p) { p.coil().Geometry->Rec.fpi = 1e-308; },
         "fpi in coil geometry: 1e-308 is below 0.01..."},
        {"rows", [](ProjectJob& p) { p.coil().Geometry->Rec.Rows = 25; },
         "Rows in coil geometry: 25 is above 20..."},
        {"sx", [](ProjectJob& p) { p.coil().Geometry->Rec.Sx = 0; },
         "sx of pattern \"1/2\" of maker \"typical\" in the coil maker catalogue: 0 mm is not above 0..."},
        {"bore", [](ProjectJob& p) { p.coil().Geometry->Rec.ID = 0.02; },
         "id of pattern \"1/2\" of maker \"typical\" in the coil maker catalogue: 20 mm is not below the "
         "tube's "
         "od of 13.335 mm..."},
        {"pitch", [](ProjectJob& p) { p.coil().Geometry->Rec.OD = 99.999; },
         "od of pattern \"1/2\" of maker \"typical\" in the coil maker catalogue: 99999 mm is not below the "
         "tube "
         "pitch sy of 38.1 mm..."},
        {"pressure", [](ProjectJob& p) { p.job.AirIn().P = NAN; },
         "Pa in air state: nan kPa is not a number..."},
        {"air", [](ProjectJob& p) { p.job.AirIn().db = 1000; }, "dbi in air state: 1000 is above 900..."},
        {"air flow", [](ProjectJob& p) { p.coil().ma = 0; }, "ma in air state: 0 is below 0.01..."},
        {"flow", [](ProjectJob& p) { p.liquid().m = 0; }, "m in liquid: 0 is below 0.01..."},
        // Under temperature control the flow follows the change, so only the change is an input.
        {"change",
         [](ProjectJob& p) {
             p.coil().LiquidState->ctrl = wcTemp;
             p.liquid().m = 0;
             p.coil().LiquidState->designdt = 0;
         },
         "designdt in liquid state: 0 is below 0.01..."},
    };
    for (const Case& c : cases) {
        ProjectJob p("zmk");
        c.change(p);
        EXPECT_EQ(FindInputFault(p.job), c.fault) << c.what;
    }
    // A solve that fails for no input's fault still shows the program's own message.
    ProjectJob fine("hwc");
    EXPECT_EQ(SolveFaultMessage(fine.job, kNoSolutionMessage), std::string(kNoSolutionMessage));
    EXPECT_EQ(SolveFaultText(fine.job, EMathError("x", "Floating point overflow")),
              "Floating point overflow");
}

TEST_F(InputFaultsTest, AFailedSolveBlamesTheValueOfTheFileNotTheLiquidsRange)
{
    ProjectJob a("zmk");
    ASSERT_TRUE(a.session.SaveAs(file("good.zmx")));
    const std::string text = ShellTestFolder::Read(file("good.zmx"));
    struct Case
    {
        const char* name;
        std::regex from;
        const char* to;
        const char* fault;
    };
    const Case cases[] = {
        {"fpi.zmx", std::regex("(<fat[\\s\\S]*?<fpi)>[^<]*"), "$1>1e-308",
         "fpi in coil geometry: 1e-308 is below 0.01..."},
        {"m.zmx", std::regex("<m>[^<]*</m>"), "<m>0</m>", "m in liquid: 0 is below 0.01..."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ShellTestFolder::Write(
            file(c.name), std::regex_replace(text, c.from, c.to, std::regex_constants::format_first_only));
        ProjectJob b("zmk");
        ASSERT_TRUE(b.session.Open(file(c.name)).CoilFound);
        b.notes.messages.clear();
        b.session.Solve();
        EXPECT_FALSE(b.job.Solved());
        EXPECT_EQ(b.job.LastError().rfind(std::string(c.fault) + " (", 0), 0u) << b.job.LastError();
        ASSERT_EQ(b.notes.messages.size(), 1u);
        EXPECT_EQ(b.notes.messages[0], std::string("No solution found...\r\n\r\n") + c.fault);
    }
}

TEST_F(InputFaultsTest, ABadCatalogueNumberIsNeverBlamedOnTheLiquid)
{
    const fs::path copy = folder / "common" / "CoilMakers.xml";
    std::string xml = ShellTestFolder::Read(copy);
    const std::string from = "od=\"13.3350\"";
    ASSERT_NE(xml.find(from), std::string::npos);
    xml.replace(xml.find(from), from.size(), "od=\"99999\"");
    ShellTestFolder::Write(copy, xml);
    RecordingNotifier catalogueNotes;
    ProcessCoilMakers().Reset(copy.string(), &catalogueNotes);

    // The catalogue names the pattern it cannot use, or the solve names the number it failed
    // on; neither points at the liquid's temperature range.
    ProjectJob p("zmk");
    p.session.Solve();
    std::vector<std::string> told = catalogueNotes.messages;
    told.insert(told.end(), p.notes.messages.begin(), p.notes.messages.end());
    ProcessCoilMakers().SetNotifier(nullptr);
    ASSERT_FALSE(told.empty());
    EXPECT_TRUE(std::any_of(told.begin(), told.end(), [](const std::string& m) {
        return m.find("\"1/2\"") != std::string::npos;
    })) << told.front();
    for (const std::string& m : told)
        EXPECT_EQ(m.find("temperature range"), std::string::npos) << m;
}

} // namespace
} // namespace zmk
