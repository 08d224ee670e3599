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
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

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
    EXPECT_NE(saved.find("<dbi>300</dbi>"), std::string::npos);

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
    // Writing the file back changes no number printed: the summary is the solve's (the air's
    // capacity rate once showed the value the save's re-applied inputs left).
    const Result saving = Zemtor("solve --save job.zmx");
    ASSERT_EQ(saving.rc, 0) << saving.err;
    EXPECT_EQ(saving.out, text.out);
}

TEST_F(ProjectCommands, SolveSaveKeepsWhatItDoesNotKnow)
{
    ASSERT_EQ(Zemtor("new --kind cwc job.zmx").rc, 0);
    std::string text = readFile(dir_ / "job.zmx");
    // A comment and an attribute on the root, a foreign element beside the project's own and
    // a foreign attribute on one of the program's elements.
    const std::size_t root = text.find("<datafile ");
    ASSERT_NE(root, std::string::npos);
    text.insert(root + 10, "owner=\"Ada\" ");
    text.insert(text.find('>', root) + 1, "<!-- site notes -->");
    text.insert(text.find("</datafile>"), "<mynotes><item n=\"1\">fan checked</item></mynotes>");
    text.replace(text.find("<fat>"), 5, "<fat note=\"maker's data\">");
    {
        std::ofstream out(dir_ / "job.zmx", std::ios::binary);
        out << text;
    }
    const Result run = Zemtor("solve --set edOnCoil=28 --save job.zmx");
    ASSERT_EQ(run.rc, 0) << run.err;
    const std::string saved = readFile(dir_ / "job.zmx");
    EXPECT_NE(saved.find("owner=\"Ada\""), std::string::npos) << saved;
    EXPECT_NE(saved.find("<!-- site notes -->"), std::string::npos) << saved;
    EXPECT_NE(saved.find("<item n=\"1\">fan checked</item>"), std::string::npos) << saved;
    EXPECT_NE(saved.find("<fat note=\"maker's data\">"), std::string::npos) << saved;
    EXPECT_NE(saved.find("<dbi>28</dbi>"), std::string::npos) << saved;
    EXPECT_EQ(ProjectFileKind((dir_ / "job.zmx").string()), std::optional<std::string>("cwc"));
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

// What a careless or hostile user may hand the commands instead of a project: each is refused at
// once with exit status 1, a message naming the file and the reason, and the file left alone.
// Every run is under a watchdog (timeout), so a read that blocked would show as status 124
// rather than hang the suite.
TEST_F(ProjectCommands, SolveRefusesWhatIsNoProjectAndNeverWritesOverIt)
{
    ASSERT_EQ(Zemtor("new --kind zmk good.zmx").rc, 0);
    std::ofstream(dir_ / "n.xml") << "<?xml version=\"1.0\"?><notes>keep</notes>";
    ASSERT_EQ(::mkfifo((dir_ / "f.zmx").c_str(), 0644), 0);
    fs::create_symlink("/dev/zero", dir_ / "z.zmx");
    fs::create_symlink(dir_ / "loop2.zmx", dir_ / "loop1.zmx");
    fs::create_symlink(dir_ / "loop1.zmx", dir_ / "loop2.zmx");
    std::ofstream(dir_ / "big.zmx").close();
    fs::resize_file(dir_ / "big.zmx", 200u << 20);
    struct Case
    {
        const char* file;
        const char* reason;
    };
    const Case cases[] = {
        {"n.xml", "holds no project"},
        {"f.zmx", "it is a named pipe (FIFO), not a regular file"},
        {"z.zmx", "it is a character device, not a regular file"},
        {"loop1.zmx", "Too many levels of symbolic links"},
        {"big.zmx", "it is larger than 64 MiB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const Result run = folder_.Run(std::string("solve --save ") + c.file, "timeout 20");
        EXPECT_EQ(run.rc, 1) << run.err;
        EXPECT_NE(run.err.find(std::string("zemtor: ") + c.file + ": The file was not opened..."),
                  std::string::npos)
            << run.err;
        EXPECT_NE(run.err.find(c.reason), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find("does not exist"), std::string::npos) << run.err;
        EXPECT_TRUE(run.out.empty()) << run.out;
    }
    EXPECT_EQ(readFile(dir_ / "n.xml"), "<?xml version=\"1.0\"?><notes>keep</notes>");
    EXPECT_TRUE(fs::is_fifo(dir_ / "f.zmx"));
    EXPECT_TRUE(fs::is_symlink(dir_ / "z.zmx"));
    EXPECT_EQ(fs::file_size(dir_ / "big.zmx"), 200u << 20);
    // The other commands that open a file refuse it the same way.
    EXPECT_EQ(folder_.Run("report f.zmx --out pages", "timeout 20").rc, 1);
    EXPECT_EQ(folder_.Run("export-psy z.zmx", "timeout 20").rc, 1);

    // In a batch each refused file says so in its record, and the batch fails.
    const Result batch = folder_.Run("solve --json good.zmx n.xml f.zmx big.zmx", "timeout 20");
    EXPECT_EQ(batch.rc, 1);
    std::istringstream lines(batch.out);
    std::vector<nlohmann::json> objects;
    for (std::string line; std::getline(lines, line);)
        objects.push_back(nlohmann::json::parse(line));
    ASSERT_EQ(objects.size(), 4u);
    EXPECT_FALSE(objects[0].contains("exit"));
    EXPECT_FALSE(objects[0].contains("error"));
    for (int i = 1; i < 4; ++i) {
        EXPECT_EQ(objects[i]["exit"], 1) << objects[i].dump();
        EXPECT_TRUE(objects[i].contains("error")) << objects[i].dump();
        // Every record says how it ended, a refused file's too.
        EXPECT_EQ(objects[i]["solved"], false) << objects[i].dump();
        EXPECT_EQ(objects[i]["Status"], "Error") << objects[i].dump();
        EXPECT_EQ(objects[i]["Reason"], objects[i]["error"]) << objects[i].dump();
    }
}

TEST_F(ProjectCommands, AValueOutOfReasonIsNamedWhenTheSolveFails)
{
    ASSERT_EQ(Zemtor("new --kind zmk good.zmx").rc, 0);
    std::string text = readFile(dir_ / "good.zmx");
    const std::size_t fat = text.find("<fat");
    const std::size_t fpi = text.find("<fpi>", fat);
    text.replace(fpi, text.find("</fpi>", fpi) - fpi, "<fpi>1e-308");
    std::ofstream(dir_ / "fpi.zmx") << text;
    const Result run = Zemtor("solve --json fpi.zmx");
    EXPECT_EQ(run.rc, 1);
    const nlohmann::json j = nlohmann::json::parse(run.out);
    EXPECT_EQ(j["error"], "fpi in coil geometry: 1e-308 is below 0.01... (Floating point overflow)");
    EXPECT_EQ(j["exit"], 1);
    // The record of the fault is whole: its status, its inputs, and no results.
    EXPECT_EQ(j["solved"], false);
    EXPECT_EQ(j["Status"], "Error");
    EXPECT_EQ(j["Reason"], j["error"]);
    EXPECT_TRUE(j["Qt"].is_null());
    EXPECT_TRUE(j["AirOut"].is_null());
    EXPECT_EQ(j["AirIn"]["db"], 380.0);
    EXPECT_NE(run.err.find("No solution found...\n\nfpi in coil geometry: 1e-308 is below 0.01..."),
              std::string::npos)
        << run.err;
    EXPECT_EQ(run.err.find("temperature range"), std::string::npos) << run.err;
}

// A write that fails half-way (here: the file size limit of the process, as a full disk would)
// leaves the file that was there byte for byte.
TEST_F(ProjectCommands, WritesThatFailLeaveTheOldFiles)
{
    ASSERT_EQ(Zemtor("new --kind cwc cold.zmx").rc, 0);
    ASSERT_EQ(Zemtor("step --png x.png >/dev/null").rc, 0);
    ASSERT_EQ(Zemtor("export-psy cold.zmx -o chart.psy").rc, 0);
    ASSERT_EQ(Zemtor("report cold.zmx --view thermal --out pages >/dev/null").rc, 0);
    const std::string png = readFile(dir_ / "x.png");
    const std::string psy = readFile(dir_ / "chart.psy");
    const std::string page = readFile(dir_ / "pages/thermal.htm");
    ASSERT_GT(png.size(), 4096u);
    // A shell that ignores the size-limit signal (as a full disk sends none) and allows no file
    // to grow beyond 0 bytes.
    const std::string limited = "sh -c 'trap \"\" XFSZ; ulimit -f 0; exec \"$@\"' sh";
    struct Case
    {
        const char* args;
        const char* file;
        const std::string& before;
    };
    const Case cases[] = {
        {"step --png x.png >/dev/null", "x.png", png},
        {"export-psy cold.zmx -o chart.psy", "chart.psy", psy},
        {"report cold.zmx --view thermal --out pages >/dev/null", "pages/thermal.htm", page},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        const std::size_t files = std::distance(fs::recursive_directory_iterator(dir_), {});
        EXPECT_EQ(folder_.Run(c.args, limited).rc, 1);
        EXPECT_EQ(readFile(dir_ / c.file), c.before);
        // No half-written file is left beside it.
        EXPECT_EQ(static_cast<std::size_t>(std::distance(fs::recursive_directory_iterator(dir_), {})), files);
    }
    // --save of a project the user made read-only is refused, and the project kept.
    fs::permissions(dir_ / "cold.zmx", fs::perms::owner_read | fs::perms::group_read);
    const std::string project = readFile(dir_ / "cold.zmx");
    const Result locked = Zemtor("solve --save cold.zmx");
    EXPECT_EQ(locked.rc, 1);
    EXPECT_NE(locked.err.find("is read-only..."), std::string::npos) << locked.err;
    EXPECT_EQ(readFile(dir_ / "cold.zmx"), project);
}

TEST_F(ProjectCommands, AHugeSettingsFileCostsNoMoreThanItsSize)
{
    // 100,000 sections of window places; reading them is linear (the benchmark measures how
    // fast), so the command simply works.
    std::string ini;
    for (int i = 0; i < 100000; ++i)
        ini += "[Form" + std::to_string(i) + "]\r\nLeft=" + std::to_string(i) + "\r\n";
    ini += "[File Properties]\r\nAuthor=Big\x01Settings\r\n";
    fs::create_directories(dir_ / "Quorvane");
    std::ofstream(dir_ / "Quorvane" / "ZMK.ini", std::ios::binary) << ini;
    const Result run = folder_.Run("new --kind hwc big.zmx", "timeout 60");
    ASSERT_EQ(run.rc, 0) << run.err;
    EXPECT_NE(readFile(dir_ / "big.zmx").find("<author>Big Settings</author>"), std::string::npos);
}

} // namespace zmk
