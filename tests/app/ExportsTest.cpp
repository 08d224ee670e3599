#include "app/Exports.h"

#include "support/ProjectTestSession.h"
#include "support/Zemtor.h"

#include "base/NumText.h"
#include "base/TextHelpers.h"
#include "properties/Fluid.h"
#include "properties/Psy.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

namespace zmk {
namespace {

namespace fs = std::filesystem;
using test::ProjectJob;
using test::ShellTestFolder;

// Records what would have been started or opened.
struct FakeLauncher : ILauncher
{
    bool Start(const std::string& path, const std::vector<std::string>& arguments) override
    {
        started.push_back(path);
        startedWith.push_back(arguments);
        return true;
    }
    bool OpenDocument(const std::string& path) override
    {
        opened.push_back(path);
        return true;
    }
    std::vector<std::string> started;
    std::vector<std::vector<std::string>> startedWith;
    std::vector<std::string> opened;
};

// A running instance of the programs in `running`, or none.
struct FakeChannel : IInstanceChannel
{
    bool Send(const std::string& programName, const std::string& text) override
    {
        asked.push_back(programName);
        if (programName != running)
            return false;
        received.push_back(text);
        return true;
    }
    std::string running;
    std::vector<std::string> asked;
    std::vector<std::string> received;
};

std::vector<std::string> fileLines(const std::string& bytes)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t p = bytes.find("\r\n"); p != std::string::npos; p = bytes.find("\r\n", start)) {
        lines.push_back(bytes.substr(start, p - start));
        start = p + 2;
    }
    EXPECT_EQ(start, bytes.size()) << "the last line ends with CR LF";
    return lines;
}

class ExportsTest : public ::testing::Test
{
protected:
    ShellTestFolder folder;
    test::CatalogueCopy catalogue{folder / "common"};
    std::string maker = (folder / "maker").string() + "/";
    std::string report = (folder / "report").string() + "/";
    std::string help = (folder / "help").string() + "/";
    RecordingNotifier notes;
    FakeLauncher launcher;
    FakeChannel channel;
    TExternalPrograms programs{launcher, channel, &notes, maker, report, help};

    void SetUp() override { fs::create_directories(report); }

    // Makes a sibling program file, executable or not.
    std::string program(const std::string& path, bool executable = true)
    {
        ShellTestFolder::Write(path, "#!/bin/sh\n");
        ::chmod(path.c_str(), executable ? 0755 : 0644);
        return path;
    }
};

TEST_F(ExportsTest, ThePlotRefusesAnUnsolvedJobAndStatesOffTheChart)
{
    program(programs.ChartProgram());
    ProjectJob cold("cwc");
    cold.job.EnterField(TEntryField::edOnCoil, 26); // not solved any more
    EXPECT_FALSE(programs.ActionHygronaExecute(cold.job, &cold.properties));
    EXPECT_EQ(notes.messages, (std::vector<std::string>{"Must be solved first..."}));
    EXPECT_FALSE(fs::exists(programs.ChartDataFile()));

    // 380 °C air lies beyond the chart: the menu item is disabled and the command refuses.
    ProjectJob hot("zmk");
    ASSERT_TRUE(hot.job.Solved());
    EXPECT_FALSE(TExternalPrograms::HygronaEnabled(hot.job));
    EXPECT_FALSE(programs.ActionHygronaExecute(hot.job, &hot.properties));
    EXPECT_EQ(notes.messages.back(), "Temperature is out of range for Hygrona...");
    EXPECT_FALSE(fs::exists(programs.ChartDataFile()));
    EXPECT_TRUE(launcher.started.empty());
}

TEST_F(ExportsTest, TheChartDataFileLineForLine)
{
    program(programs.ChartProgram());
    ProjectJob p("cwc");
    ASSERT_TRUE(p.job.Solved());
    TPropertyValues& v = p.properties.Values();
    v.ProjectName = "Café 'north'";
    v.ProjectNumber = "J-17";
    v.Comments = {"one", "two"};
    v.Date = TDate{2026, 3, 5};
    ASSERT_TRUE(TExternalPrograms::HygronaEnabled(p.job));
    ASSERT_TRUE(programs.ActionHygronaExecute(p.job, &p.properties));

    const std::string bytes = ShellTestFolder::Read(programs.ChartDataFile());
    EXPECT_NE(bytes.find("Caf\xE9"), std::string::npos); // Latin-1
    const TAirState& in = p.job.AirIn();
    const TAirState& out = p.job.AirOut();
    ASSERT_GT(in.dewpoint, p.liquid().tfi); // 24 °C air with 9.5 g/kg over 5 °C water
    const std::vector<std::string> expected{
        "'Hygrona 1.0 data file'",
        "'Caf\xE9 'north''",
        "'J-17'",
        "2",
        "'one'",
        "'two'",
        "'Ada Engineer'",
        "'Coil Works'",
        "'05 03 2026'",
        Format("%0.3f", p.coil().GetPressure()),
        "-60.00, 80.00, 0.00010, 0.10000",
        Format("'Node1', 'OnCoil', %0.3f, %0.3f, ''", in.db, in.wb),
        Format("'Node2', 'OffCoil', %0.3f, %0.3f, ''", out.db, out.wb),
        Format("'Node3', 'tfi', %0.3f, %0.3f, ''", p.liquid().tfi, p.liquid().tfi),
        Format("'Process1', 'Coil', 'Node1', 'Node2', %0.4f, ''", p.coil().ma),
    };
    EXPECT_EQ(fileLines(bytes), expected);
    EXPECT_EQ(expected[13], "'Node3', 'tfi', 5.000, 5.000, ''");

    // The chart program gets the file's full name.
    ASSERT_EQ(launcher.started.size(), 1u);
    EXPECT_EQ(launcher.started[0], programs.ChartProgram());
    EXPECT_EQ(launcher.startedWith[0], (std::vector<std::string>{programs.ChartDataFile()}));
    EXPECT_TRUE(notes.messages.empty());
}

TEST_F(ExportsTest, TheColdestSurfaceAndASaturatedLeavingState)
{
    ProjectJob p("cwc");
    const double P = p.coil().GetPressure();
    TAirState& in = p.job.AirIn();
    // Entering air with a dew point of 15 °C.
    in = SetState(P, 24, SetState(P, 15, 1.0, kPairDbRh).w, kPairDbW);
    ASSERT_NEAR(in.dewpoint, 15, 0.01);
    struct Row
    {
        double tfi;
        bool node3;
    };
    for (const Row& r : {Row{10, true}, Row{20, false}}) {
        p.liquid().SetTfi(r.tfi);
        const std::vector<std::string> lines = ChartDataLines(p.job, &p.properties);
        const bool has = std::any_of(lines.begin(), lines.end(),
                                     [](const std::string& l) { return l.rfind("'Node3'", 0) == 0; });
        EXPECT_EQ(has, r.node3) << r.tfi;
        if (r.node3) {
            EXPECT_EQ(lines[lines.size() - 2], "'Node3', 'tfi', 10.000, 10.000, ''");
        }
    }
    // A leaving state whose dry bulb is not above its wet bulb is drawn with the dry bulb twice.
    TAirState& out = p.job.AirOut();
    out = SetState(P, 12, 1.0, kPairDbRh);
    out.wb = out.db + 0.0001;
    const std::vector<std::string> lines = ChartDataLines(p.job, &p.properties);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "'Node2', 'OffCoil', 12.000, 12.000, ''"), lines.end());
    // Without project properties the texts are empty and the date is today's.
    const std::vector<std::string> bare = ChartDataLines(p.job, nullptr);
    EXPECT_EQ(bare[1], "'Project'");
    EXPECT_EQ(bare[3], "0");
}

TEST_F(ExportsTest, AFailedWriteStopsBeforeTheChartProgram)
{
    program(programs.ChartProgram());
    TExternalPrograms nowhere{launcher, channel, &notes, maker, report + "missing/", help};
    ProjectJob p("cwc");
    EXPECT_FALSE(nowhere.ActionHygronaExecute(p.job, &p.properties));
    // The message names the file and the system's reason.
    const std::string missing = report + "missing/" + std::string(kChartDataFileName);
    EXPECT_EQ(notes.messages,
              (std::vector<std::string>{"Error writing Hygrona file\r\nCannot create file \"" + missing +
                                        "\": No such file or directory"}));
    EXPECT_TRUE(launcher.started.empty());
    std::string error;
    EXPECT_FALSE(WriteChartDataFile(report, {"x"}, &error)); // a folder
    EXPECT_NE(error.find("it is a folder"), std::string::npos) << error;

    // A failed write leaves the earlier export byte for byte.
    ASSERT_TRUE(programs.ActionHygronaExecute(p.job, &p.properties));
    const std::string before = ShellTestFolder::Read(programs.ChartDataFile());
    fs::permissions(programs.ChartDataFile(), fs::perms::owner_read);
    notes.messages.clear();
    EXPECT_FALSE(programs.ActionHygronaExecute(p.job, &p.properties));
    ASSERT_EQ(notes.messages.size(), 1u);
    EXPECT_NE(notes.messages[0].find("is read-only..."), std::string::npos) << notes.messages[0];
    EXPECT_EQ(ShellTestFolder::Read(programs.ChartDataFile()), before);
}

TEST_F(ExportsTest, EveryValueOfTheChartFileStaysOnItsLine)
{
    ProjectJob p("cwc");
    TPropertyValues& v = p.properties.Values();
    v.ProjectName = "X\r\nINJECTED";
    v.ProjectNumber = "7\n'Node9', 'Evil', 1, 2, ''";
    v.Author = "A\rB";
    v.Company = "Tab\tand\x01"
                "bell\x7f";
    v.Comments = {"one\x0bvertical", "two\xC2\x85next"};
    const std::vector<std::string> lines = ChartDataLines(p.job, &p.properties);
    ASSERT_TRUE(WriteChartDataFile(programs.ChartDataFile(), lines));
    const std::vector<std::string> written = fileLines(ShellTestFolder::Read(programs.ChartDataFile()));
    ASSERT_EQ(written.size(), lines.size());
    EXPECT_EQ(written[1], "'X  INJECTED'");
    EXPECT_EQ(written[2], "'7 'Node9', 'Evil', 1, 2, '''");
    EXPECT_EQ(written[4], "'one vertical'");
    EXPECT_EQ(written[5], "'two next'");
    EXPECT_EQ(written[6], "'A B'");
    EXPECT_EQ(written[7], "'Tab and bell '");
    // The argument texts hold one line too.
    EXPECT_EQ(DataCheckArguments(p.job).find_first_of("\r\n"), std::string::npos);
    EXPECT_EQ(MorvexArguments(p.job).find_first_of("\r\n"), std::string::npos);
}

TEST_F(ExportsTest, TheLauncherChecksThePathThenTriesARunningInstance)
{
    const std::string missing = maker + "Tool/Tool";
    programs.RunProgram(missing, "a b");
    ASSERT_EQ(notes.messages.size(), 1u);
    EXPECT_EQ(notes.messages[0], missing + "\rnot found...");

    const std::string plain = program(maker + "Plain/plain.txt", false);
    programs.RunProgram(plain, "");
    EXPECT_EQ(notes.messages[1], plain + "\r\nProgram not executable...");
    programs.RunProgram(maker, "");
    EXPECT_EQ(notes.messages[2], maker + "\r\nProgram not executable...");
    EXPECT_TRUE(launcher.started.empty());
    EXPECT_TRUE(channel.asked.empty());

    // Not running: started with the words of the argument text.
    const std::string duty = program(programs.DutyProgram());
    programs.RunProgram(duty, "1 \"two words\" 3");
    EXPECT_EQ(channel.asked, (std::vector<std::string>{"Velorix"}));
    ASSERT_EQ(launcher.started.size(), 1u);
    EXPECT_EQ(launcher.startedWith[0], (std::vector<std::string>{"1", "two words", "3"}));

    // Running: handed the text, nothing started.
    channel.running = "Velorix";
    programs.RunProgram(duty, "0 1 2");
    EXPECT_EQ(channel.received, (std::vector<std::string>{"0 1 2"}));
    EXPECT_EQ(launcher.started.size(), 1u);
    EXPECT_EQ(notes.messages.size(), 3u);

    EXPECT_EQ(programs.ChartProgram(), maker + "Hygrona/Hygrona");
    EXPECT_EQ(programs.LmtdProgram(), maker + "HeatExchanger/Morvex/Morvex");
    EXPECT_EQ(programs.DutyProgram(), maker + "HeatExchanger/Velorix/Velorix");
    EXPECT_EQ(CommandLineWords("  a  \"\" \"b c\"d "), (std::vector<std::string>{"a", "", "b cd"}));
}

TEST_F(ExportsTest, TheDutyProgramAndLmtdTexts)
{
    // 380 °C air at 5 kg/s cooled to 177 °C, heating clean water from 80 °C by 20 K at 1.2 kg/s.
    ProjectJob p("zmk");
    TJobInputs& in = p.job.Inputs;
    in.edOnCoil.Value = 380;
    in.edAirMassflow.Value = 5;
    in.edFluidInTemp.Value = 80;
    in.edFluidDT.Value = 20;
    in.edFluidFlow.Value = 1.2;
    in.edFluidType = "Clean Water";
    p.job.AirOut().db = 177;
    const TLiquidCoil& c = p.coil();
    const std::string text = DataCheckArguments(p.job);
    EXPECT_EQ(text, "0 380.000 177.000 5.000 1 80.000 100.000 1.200 0 " +
                        Format("%0.3f %0.3f %0.3f", c.Uo * 1000, c.Ao, c.Qt) + " 237");
    EXPECT_EQ(CommandLineWords(text).size(), 13u);

    // The liquid is the hot stream when the air is not hotter; a liquid other than water is kind 2.
    in.edOnCoil.Value = 20;
    in.edFluidType = "Thermal Oil";
    p.job.AirOut().db = 35;
    EXPECT_EQ(DataCheckArguments(p.job).substr(0, 46), "2 80.000 60.000 1.200 0 20.000 35.000 5.000 0 ");

    // Neither program there: nothing is started and nothing said, the window shows its own.
    EXPECT_FALSE(programs.ActionDataCheckExecute(p.job));
    EXPECT_FALSE(programs.ActionMorvexExecute(p.job));
    EXPECT_TRUE(launcher.started.empty());
    EXPECT_TRUE(notes.messages.empty());

    const std::string velorix = program(programs.DutyProgram());
    EXPECT_TRUE(programs.ActionDataCheckExecute(p.job));
    ASSERT_EQ(launcher.started.size(), 1u);
    EXPECT_EQ(launcher.startedWith[0], CommandLineWords(DataCheckArguments(p.job)));

    // LMTD from the coil: 380 °C air over 80 °C oil puts the air first.
    ProjectJob z("zmk");
    const TLiquid& l = z.liquid();
    EXPECT_EQ(MorvexArguments(z.job),
              Format("%0.2f %0.2f %0.2f %0.2f", z.job.AirIn().db, z.job.AirOut().db, l.tfi, l.tfo));
    ProjectJob h("hwc");
    EXPECT_EQ(MorvexArguments(h.job), Format("%0.2f %0.2f %0.2f %0.2f", h.liquid().tfi, h.liquid().tfo,
                                             h.job.AirIn().db, h.job.AirOut().db));
    EXPECT_EQ(MorvexArguments(h.job).substr(0, 6), "60.00 ");
    program(programs.LmtdProgram());
    programs.ActionMorvexExecute(h.job);
    EXPECT_EQ(launcher.started.back(), programs.LmtdProgram());
}

TEST_F(ExportsTest, HelpPagesAndTheToolsMenu)
{
    programs.ActionHelpExecute();
    programs.ActionEmailHelpExecute();
    EXPECT_EQ(launcher.opened, (std::vector<std::string>{help + "index.htm", help + "enquiry.htm"}));
    EXPECT_TRUE(programs.ToolsMenu().empty());
    EXPECT_TRUE(notes.messages.empty());
}

TEST_F(ExportsTest, TheLocalSocketMessage)
{
    EXPECT_EQ(InstanceMessage("abc"), std::string("\x03\x00\x00\x00"
                                                  "abc",
                                                  7));
    EXPECT_EQ(InstanceMessage(std::string(300, 'x')).substr(0, 4), std::string("\x2c\x01\x00\x00", 4));

    const std::string run = (folder / "run").string();
    fs::create_directories(run);
    TLocalSocketChannel channel(run);
    EXPECT_EQ(channel.SocketPath("Hygrona"), run + "/Hygrona");
    EXPECT_FALSE(channel.Send("Hygrona", "nobody listens"));

    const int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(server, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, channel.SocketPath("Hygrona").c_str());
    ASSERT_EQ(::bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(server, 1), 0);
    std::string received;
    std::thread instance([&] {
        const int c = ::accept(server, nullptr, nullptr);
        char buffer[256];
        ssize_t n;
        while ((n = ::read(c, buffer, sizeof buffer)) > 0)
            received.append(buffer, static_cast<size_t>(n));
        ::close(c);
    });
    EXPECT_TRUE(channel.Send("Hygrona", "/some/CoilPsy.psy"));
    instance.join();
    ::close(server);
    EXPECT_EQ(received, InstanceMessage("/some/CoilPsy.psy"));
}

TEST_F(ExportsTest, ThePlatformLauncherStartsRealPrograms)
{
    // The window's launcher and channel, with a sibling program that writes down its arguments.
    TPosixLauncher real;
    TLocalSocketChannel nobody((folder / "run").string());
    fs::create_directories(folder / "run");
    TExternalPrograms live{real, nobody, &notes, maker, report, help};
    const std::string args = (folder / "args.txt").string();
    const std::string duty = live.DutyProgram();
    ShellTestFolder::Write(duty,
                           "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" + args + "'\n");
    ::chmod(duty.c_str(), 0755);
    live.RunProgram(duty, "0 \"two words\" 237");
    // The program writes its arguments a line at a time: wait for all of them, not the first.
    const std::string written = "0\ntwo words\n237\n";
    for (int i = 0; i < 100 && test::ReadFileBytes(args) != written; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(test::ReadFileBytes(args), written);

    // An executable file that is no program cannot start: nothing is said, nothing breaks.
    const std::string broken = live.LmtdProgram();
    ShellTestFolder::Write(broken, std::string("\x7f"
                                               "ELF garbage",
                                               12));
    ::chmod(broken.c_str(), 0755);
    ProjectJob p("zmk");
    live.ActionMorvexExecute(p.job);
    EXPECT_FALSE(real.Start(folder.path().string() + "/no/such/program", {}));

    // No desktop handler to open documents with: the help command fails quietly.
    const char* path = std::getenv("PATH");
    const std::string saved = path ? path : "";
    ::setenv("PATH", (folder / "run").c_str(), 1);
    EXPECT_FALSE(real.OpenDocument(help + "index.htm"));
    live.ActionHelpExecute();
    ::setenv("PATH", saved.c_str(), 1);
    EXPECT_TRUE(notes.messages.empty()) << notes.messages.front();

    // Data Check and LMTD texts of a job hold numbers only, even before the coil has results.
    for (const std::string& text : {DataCheckArguments(p.job), MorvexArguments(p.job)})
        EXPECT_EQ(LowerCase(text).find("nan"), std::string::npos) << text;
}

} // namespace
} // namespace zmk
