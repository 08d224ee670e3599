// The real zmk program: its version without a display, and a whole run under a virtual X
// server that opens a project with a hyphen in its path, solves it, writes a screenshot and
// stores its settings at the end.
#include "support/ProjectTestSession.h"
#include "support/Zemtor.h"

#include "base/Version.h"
#include "gui/Program.h"
#include "platform/SettingsStore.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace zmk::test {
namespace {

namespace fs = std::filesystem;

std::string quoted(const std::string& s)
{
    return "'" + s + "'";
}

#ifdef __SANITIZE_ADDRESS__
// Under the leak checker the window draws without the X server's OpenGL driver: the driver is
// unloaded before the leak report, which then cannot say whose its blocks were.
constexpr const char* kSanitizerDisplay = " QT_XCB_GL_INTEGRATION=none QT_QUICK_BACKEND=software";
#else
constexpr const char* kSanitizerDisplay = "";
#endif

bool onPath(const char* program)
{
    return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

TEST(ProgramTest, VersionAndHelpNeedNoDisplay)
{
    ShellTestFolder folder;
    const ZemtorRun version =
        RunCommandLine("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + quoted(ZMK_ZMK) +
                           " --version 2>" + quoted((folder / "err").string()),
                       folder / "err");
    EXPECT_EQ(version.rc, 0) << version.err;
    EXPECT_EQ(version.out, ProgramCaption() + "\n");
    EXPECT_EQ(version.out, "Zemtor 0.1.0.0\n");

    const ZemtorRun help = RunCommandLine(quoted(ZMK_ZMK) + " --help", folder / "err");
    EXPECT_EQ(help.rc, 0);
    EXPECT_NE(help.out.find("Usage: zmk [FILE.zmx]"), std::string::npos);

    const ZemtorRun bad = RunCommandLine(quoted(ZMK_ZMK) + " --screenshot 2>/dev/null", folder / "err");
    EXPECT_EQ(bad.rc, 2);
}

TEST(ProgramTest, UnknownOptionsAreRefusedWithoutADisplay)
{
    ShellTestFolder folder;
    const std::string noDisplay = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + quoted(ZMK_ZMK);
    for (const char* arguments : {"-x", "--bogus", "-x job.zmx", "--bogus=1 job.zmx", "job.zmx -"}) {
        SCOPED_TRACE(arguments);
        const ZemtorRun run = RunCommandLine(
            noDisplay + " " + arguments + " 2>" + quoted((folder / "err").string()), folder / "err");
        EXPECT_EQ(run.rc, 2);
        EXPECT_TRUE(run.out.empty()) << run.out;
        EXPECT_NE(run.err.find("zmk: unknown option '"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("Usage: zmk"), std::string::npos) << run.err;
    }
    // The toolkit's own options are not refused.
    const ZemtorRun toolkit =
        RunCommandLine(noDisplay + " -platform offscreen --style=Fusion -reverse --version 2>" +
                           quoted((folder / "err").string()),
                       folder / "err");
    EXPECT_EQ(toolkit.rc, 0) << toolkit.err;
}

TEST(ProgramTest, OptionsThePathAndWhatIsRefused)
{
    using V = std::vector<std::string>;
    struct Case
    {
        V arguments;
        V path;
        bool error;
    };
    const Case cases[] = {
        {{"job.zmx"}, {"job.zmx"}, false},
        {{"My", "Jobs.zmx"}, {"My", "Jobs.zmx"}, false},
        {{"-platform", "xcb", "job.zmx"}, {"job.zmx"}, false},
        {{"--platform=xcb", "-reverse", "job.zmx"}, {"job.zmx"}, false},
        {{"--screenshot", "s.png", "job.zmx"}, {"job.zmx"}, false},
        {{"--", "-odd.zmx"}, {"--", "-odd.zmx"}, false},
        {{"-x"}, {}, true},
        {{"--bogus", "job.zmx"}, {"job.zmx"}, true},
        {{"job.zmx", "-"}, {"job.zmx"}, true},
        {{"-platformx"}, {}, true},
    };
    for (const Case& c : cases) {
        const gui::TProgramOptions o = gui::ParseProgramOptions(c.arguments);
        EXPECT_EQ(o.Arguments, c.path) << c.arguments.front();
        EXPECT_EQ(!o.Error.empty(), c.error) << c.arguments.front() << ": " << o.Error;
    }
}

TEST(ProgramTest, RealProgramUnderXvfbOpensAHyphenatedProjectSolvesAndWritesAScreenshot)
{
    if (!onPath("xvfb-run"))
        GTEST_SKIP() << "xvfb-run is not installed";
    ShellTestFolder folder;
    CatalogueCopy catalogue(folder / "common");
    const fs::path project = folder / "my-jobs" / "cold-coil.zmx";
    {
        ProjectJob p("zmk");
        p.job.EnterField(TEntryField::edOnCoil, 222);
        fs::create_directories(project.parent_path());
        ASSERT_TRUE(p.session.SaveAs(project.string()));
    }
    const fs::path shot = folder / "shot.png";
    // The program picks its own platform (X11 here); its web engine runs without the sandbox
    // as root, and without a GPU in the virtual server.
    const std::string command =
        "cd " + quoted(folder.path().string()) +
        " && env -u QT_QPA_PLATFORM ZMK_COMMON_DIR=" + quoted((folder / "common").string()) +
        // A sanitizer build mutes what Qt's web engine reports, as main.cpp does here.
        " ASAN_OPTIONS=new_delete_type_mismatch=0 LSAN_OPTIONS=suppressions=" +
        quoted(std::string(ZMK_SOURCE_DIR) + "/tests/gui/lsan.supp") + kSanitizerDisplay +
        " xvfb-run -a -s '-screen 0 1280x1024x24' " + quoted(ZMK_ZMK) + " --screenshot " +
        quoted(shot.string()) + " " + quoted(project.string()) + " 2>" + quoted((folder / "err").string());
    const ZemtorRun run = RunCommandLine(command, folder / "err");
    ASSERT_EQ(run.rc, 0) << run.err;

    QImage image;
    ASSERT_TRUE(image.load(QString::fromStdString(shot.string())));
    EXPECT_GE(image.width(), 586);
    EXPECT_GE(image.height(), 582);
    // The temperature profile is on the page: its hot air line is red and its liquid line
    // green, colours nothing else in the window uses.
    int red = 0, green = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            red += c.red() > 180 && c.green() < 90 && c.blue() < 90;
            green += c.green() > 90 && c.red() < 60 && c.blue() < 60;
        }
    EXPECT_GT(red, 40);
    EXPECT_GT(green, 40);

    // At the end the program stored the project as the current file and its start values.
    TIniSettingsStore settings(ProgramSettingsFile());
    EXPECT_EQ(settings.ReadString("MRU", "0", ""), project.string());
    EXPECT_DOUBLE_EQ(settings.ReadFloat("Startup\\airon", "db", 0), 222);
    EXPECT_GT(settings.ReadInteger("MainForm", "Width", 0), 0);
}

} // namespace
} // namespace zmk::test
