// Runs the built zemtor program's project-file commands: new, solve FILE..., report FILE and
// export-psy, each in a scratch folder with its own settings and a copy of the catalogue.
#include "app/ProjectFile.h"

#include "support/Zemtor.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

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

std::string readFile(const fs::path& file)
{
    return test::ReadFileBytes(file);
}

class ProjectCommands : public ::testing::Test
{
protected:
    // Runs zemtor in the scratch folder.
    Result Zemtor(const std::string& args) const { return folder_.Run(args); }

    test::ZemtorFolder folder_;
    const fs::path& dir_ = folder_.path();
};

} // namespace

TEST_F(ProjectCommands, NewWritesTheDefaultProjectOfEachKind)
{
    for (const char* kind : {"zmk", "hwc", "cwc"}) {
        SCOPED_TRACE(kind);
        const std::string file = std::string(kind) + ".zmx";
        const Result run = Zemtor(std::string("new --kind ") + kind + " " + file);
        ASSERT_EQ(run.rc, 0) << run.err;
        EXPECT_EQ(ProjectFileKind((dir_ / file).string()), std::optional<std::string>(kind));
        EXPECT_NE(readFile(dir_ / file).find("<startval>"), std::string::npos);
    }
    // An existing file is kept unless --force is given.
    const std::string before = readFile(dir_ / "zmk.zmx");
    const Result again = Zemtor("new --kind cwc zmk.zmx");
    EXPECT_EQ(again.rc, 1);
    EXPECT_NE(again.err.find("exists"), std::string::npos);
    EXPECT_EQ(readFile(dir_ / "zmk.zmx"), before);
    EXPECT_EQ(Zemtor("new --force --kind cwc zmk.zmx").rc, 0);
    EXPECT_EQ(ProjectFileKind((dir_ / "zmk.zmx").string()), std::optional<std::string>("cwc"));
    EXPECT_EQ(Zemtor("new --kind xyz other.zmx").rc, 1);
}

TEST_F(ProjectCommands, SolveOpensAppliesSetsAndSavesBack)
{
    ASSERT_EQ(Zemtor("new --kind zmk job.zmx").rc, 0);
    const Result run = Zemtor("solve --json --set edOnCoil=300 --set edFluidFlow=1.5 --save job.zmx");
    ASSERT_EQ(run.rc, 0) << run.err;
    const nlohmann::json j = nlohmann::json::parse(run.out);
    EXPECT_EQ(j["file"], "job.zmx");
    EXPECT_EQ(j["kind"], "zmk");
    EXPECT_NEAR(double(j["AirIn"]["db"]), 300, 1e-9);
    EXPECT_NEAR(double(j["Liquid"]["m"]), 1.5, 1e-9);
    const std::string saved = readFile(dir_ / "job.zmx");
    EXPECT_NE(saved.find("<dbi>300.000</dbi>"), std::string::npos);

    // The saved project rates the same again, within the precision it was written with.
    const Result again = Zemtor("solve --json job.zmx");
    ASSERT_EQ(again.rc, 0) << again.err;
    const nlohmann::json k = nlohmann::json::parse(again.out);
    EXPECT_NEAR(double(k["Qt"]), double(j["Qt"]), 1e-3 * double(j["Qt"]));
    EXPECT_NEAR(double(k["Liquid"]["m"]), 1.5, 1e-9);

    // The text summary of a file, and --save without one.
    const Result text = Zemtor("solve job.zmx");
    EXPECT_EQ(text.rc, 0);
    EXPECT_EQ(text.out.rfind("Coil", 0), 0u);
    EXPECT_EQ(Zemtor("solve --save").rc, 1);
}

TEST_F(ProjectCommands, ABatchOfFilesGivesOneJsonObjectEach)
{
    ASSERT_EQ(Zemtor("new --kind zmk a.zmx").rc, 0);
    ASSERT_EQ(Zemtor("new --kind hwc b.zmx").rc, 0);
    ASSERT_EQ(Zemtor("new --kind cwc c.zmx").rc, 0);
    std::ofstream(dir_ / "broken.zmx") << "<datafile><zmk>";
    const Result run = Zemtor("solve --json a.zmx b.zmx c.zmx missing.zmx broken.zmx");
    EXPECT_EQ(run.rc, 1); // two of the files could not be read
    std::istringstream lines(run.out);
    std::vector<nlohmann::json> objects;
    for (std::string line; std::getline(lines, line);)
        objects.push_back(nlohmann::json::parse(line));
    ASSERT_EQ(objects.size(), 5u);
    const char* files[] = {"a.zmx", "b.zmx", "c.zmx", "missing.zmx", "broken.zmx"};
    const char* kinds[] = {"zmk", "hwc", "cwc"};
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(files[i]);
        EXPECT_EQ(objects[i]["file"], files[i]);
        if (i < 3) {
            EXPECT_EQ(objects[i]["kind"], kinds[i]);
            EXPECT_EQ(objects[i]["Status"], "None");
            EXPECT_GT(double(objects[i]["Qt"]), 1);
        } else {
            EXPECT_TRUE(objects[i].contains("error"));
        }
    }
    EXPECT_NE(objects[3]["error"].get<std::string>().find("does not exist"), std::string::npos);
    EXPECT_NE(objects[4]["error"].get<std::string>().find("could not be read"), std::string::npos);

    // Every file solved: exit 0.
    EXPECT_EQ(Zemtor("solve --json a.zmx b.zmx c.zmx").rc, 0);
}

TEST_F(ProjectCommands, ReportAndChartExportOfAFile)
{
    ASSERT_EQ(Zemtor("new --kind cwc cold.zmx").rc, 0);
    const Result report = Zemtor("report cold.zmx --view thermal --out pages");
    ASSERT_EQ(report.rc, 0) << report.err;
    EXPECT_TRUE(fs::exists(dir_ / "pages/thermal.htm"));

    const Result psy = Zemtor("export-psy cold.zmx -o chart.psy");
    ASSERT_EQ(psy.rc, 0) << psy.err;
    const std::string bytes = readFile(dir_ / "chart.psy");
    EXPECT_EQ(bytes.rfind("'Hygrona 1.0 data file'\r\n", 0), 0u);
    EXPECT_NE(bytes.find("\r\n-60.00, 80.00, 0.00010, 0.10000\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("'Process1', 'Coil', 'Node1', 'Node2', "), std::string::npos);

    // 380 °C air lies beyond the chart.
    ASSERT_EQ(Zemtor("new --kind zmk hot.zmx").rc, 0);
    const Result refused = Zemtor("export-psy hot.zmx");
    EXPECT_EQ(refused.rc, 1);
    EXPECT_NE(refused.err.find("Temperature is out of range for Hygrona..."), std::string::npos);
    EXPECT_FALSE(fs::exists(dir_ / "CoilPsy.psy"));
}

} // namespace zmk
