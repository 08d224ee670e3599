// The project session: its operations end to end on a real coil, what it shows in an HTML view,
// and what it passes on to the window.
#include "support/ProjectTestSession.h"

#include "app/ProjectSession.h"

#include "base/Latin1.h"
#include "base/TextHelpers.h"
#include "reports/HtmlView.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace zmk {
namespace {

namespace fs = std::filesystem;
using test::ProjectJob;
using test::ShellTestFolder;
using ::testing::ElementsAre;

// A window that subscribes to the job after the session and writes down what it was told.
struct WindowLog
{
    explicit WindowLog(TCoilJob& job) : job(job)
    {
        id = job.Subscribe([this](const TJobNews& news) { heard(news); });
    }
    ~WindowLog() { job.Unsubscribe(id); }
    void heard(const TJobNews& news)
    {
        if (news.Has(jcControl))
            calls.push_back("control");
        if (news.Has(jcInputs))
            calls.push_back(news.Field ? EntryFieldInfo(*news.Field).Name : "inputs");
        if (news.Has(jcResults))
            calls.push_back("refresh");
        if (news.Has(jcProfile))
            calls.push_back("profile");
        if (news.Has(jcStepChart))
            calls.push_back("chart " + job.StepChart().Title);
    }
    TCoilJob& job;
    int id = -1;
    std::vector<std::string> calls;
};

class ProjectSessionTest : public ::testing::Test
{
protected:
    ShellTestFolder folder;
    test::CatalogueCopy catalogue{folder / "common"};
    std::string file(const std::string& name) const { return (folder / name).string(); }
};

TEST_F(ProjectSessionTest, ASettingsFileThatCouldNotBeReadIsSaidOnceAndLeftAsItIs)
{
    const fs::path settings = folder / "config/Quorvane/ZMK.ini";
    test::ShellTestFolder::Write(settings, "[Startup]\r\n");
    fs::resize_file(settings, 8 * 1024 * 1024 + 1);
    for (const bool tell : {true, false}) {
        RecordingNotifier notes;
        {
            TSessionSetup setup;
            setup.Notifier = &notes;
            setup.TellUnreadSettings = tell;
            TProjectSession session(setup);
            session.Store().WriteString("Startup", "LastPath", "/jobs/");
            session.Store().Flush();
        }
        if (tell) {
            EXPECT_THAT(notes.messages,
                        ElementsAre("Cannot read file \"" + settings.string() +
                                    "\": it is larger than 8 MiB (8388609 bytes).\nThe program runs on its "
                                    "default settings and leaves this file as it is."));
        } else {
            EXPECT_TRUE(notes.messages.empty());
        }
        EXPECT_EQ(fs::file_size(settings), 8u * 1024 * 1024 + 1);
    }
}

TEST_F(ProjectSessionTest, NewSaveAndOpenMoveTheCurrentFileThroughTheRecentList)
{
    const std::string data = (folder / "docs").string() + "/";
    fs::create_directories(data);
    ProjectJob a("zmk", data);
    a.properties.Values().ProjectName = "Stack";
    a.session.New();
    EXPECT_EQ(a.session.FileName(), data + "Default.zmx");
    EXPECT_EQ(a.properties.Values().ProjectName, ""); // reset from the (empty) stored defaults

    a.job.EnterField(TEntryField::edOnCoil, 300);
    // The "Default.zmx" of New was never written: it is not offered for re-opening.
    ASSERT_TRUE(a.session.SaveAs(file("one.zmx")));
    EXPECT_TRUE(a.session.RecentFiles().VisibleCaptions().empty());
    ASSERT_TRUE(a.session.SaveAs(file("two.zmx")));
    EXPECT_EQ(a.session.RecentFiles().VisibleCaptions(), (std::vector<std::string>{file("one.zmx")}));
    // New puts the file it leaves on the list at once.
    a.session.New();
    EXPECT_EQ(a.session.RecentFiles().VisibleCaptions(),
              (std::vector<std::string>{file("two.zmx"), file("one.zmx")}));
    ASSERT_TRUE(a.session.SaveAs(file("two.zmx")));
    EXPECT_EQ(a.session.RecentFiles().VisibleCaptions(), (std::vector<std::string>{file("one.zmx")}));

    // Open reads into the coil that exists, leaves it not solved, and the file leaves the list.
    ProjectJob b("zmk");
    b.session.SaveAs(file("three.zmx"));
    const TOpenResult r = b.session.Open(file("one.zmx"));
    EXPECT_TRUE(r.CoilFound);
    EXPECT_FALSE(b.job.Solved());
    EXPECT_DOUBLE_EQ(b.job.Inputs.edOnCoil.Value, 300);
    EXPECT_EQ(b.session.RecentFiles().VisibleCaptions(), (std::vector<std::string>{file("three.zmx")}));
    EXPECT_TRUE(b.notes.messages.empty());
}

TEST_F(ProjectSessionTest, OpenInKindBuildsTheKindTheFileHoldsAndRefusesWhatItCannotRead)
{
    ProjectJob hot("hwc");
    ASSERT_TRUE(hot.session.SaveAs(file("hot.zmx")));

    ProjectJob b("zmk");
    const TOpenResult r = b.session.OpenInKind(file("hot.zmx"));
    EXPECT_EQ(b.job.KindCode, "hwc");
    EXPECT_TRUE(r.CoilFound);
    // --kind wins over the file.
    b.session.OpenInKind(file("hot.zmx"), "CWC");
    EXPECT_EQ(b.job.KindCode, "cwc");
    EXPECT_FALSE(b.session.OpenInKind(file("hot.zmx"), "cwc").CoilFound);
    ASSERT_FALSE(b.notes.messages.empty()); // another kind's file: told, not refused
    EXPECT_THAT(b.notes.messages.back(), ::testing::HasSubstr("HWC"));

    EXPECT_THROW(b.session.OpenInKind(file("missing.zmx")), ZmkError);
    test::ShellTestFolder::Write(folder / "junk.zmx", "not xml at all <");
    try {
        b.session.OpenInKind(file("junk.zmx"));
        FAIL() << "a file that is not XML opened";
    } catch (const ZmkError& e) {
        EXPECT_THAT(e.what(), ::testing::HasSubstr(file("junk.zmx")));
    }
    EXPECT_THROW(b.session.BuildKind("xyz"), ZmkError);
    EXPECT_THROW(b.session.SaveOrThrow((folder / "no" / "such" / "folder" / "x.zmx").string()), ZmkError);
}

TEST_F(ProjectSessionTest, OpenSwitchesToTheKindTheFileHoldsAndSaveKeepsIt)
{
    for (const char* kind : {"cwc", "hwc"}) {
        SCOPED_TRACE(kind);
        const std::string path = file(std::string(kind) + ".zmx");
        {
            ProjectJob other(kind);
            other.job.EnterField(TEntryField::edOnCoil, 21.5);
            other.job.EnterField(TEntryField::edFluidInTemp, kind == std::string("cwc") ? 6.5 : 70.5);
            ASSERT_TRUE(other.session.SaveAs(path));
        }
        ProjectJob b("zmk");
        ASSERT_TRUE(b.session.SaveAs(file("mine.zmx")));
        const TOpenResult r = b.session.Open(path);
        EXPECT_TRUE(r.CoilFound);
        EXPECT_FALSE(r.Refused);
        EXPECT_EQ(b.job.KindCode, kind);
        EXPECT_EQ(CoilLabels(b.job).Kind, UpperCase(kind));
        EXPECT_EQ(b.session.FileName(), path);
        EXPECT_FALSE(b.job.Solved()); // opening never solves
        EXPECT_DOUBLE_EQ(b.job.Inputs.edOnCoil.Value, 21.5);
        EXPECT_TRUE(b.notes.messages.empty()) << b.notes.messages.front();

        // The window reads what the command line reads.
        ProjectJob c("zmk");
        c.session.OpenInKind(path);
        for (const TEntryFieldInfo& info : EntryFields())
            EXPECT_DOUBLE_EQ(b.job.Inputs[info.Field].Value, c.job.Inputs[info.Field].Value) << info.Name;

        // Save writes the project in its own kind.
        ASSERT_TRUE(b.session.Save());
        EXPECT_EQ(ProjectFileKind(path), std::optional<std::string>(kind));
        EXPECT_EQ(ShellTestFolder::Read(path).find("<zmk"), std::string::npos);

        // A file without a coil keeps the kind; a project of the first kind brings it back.
        ShellTestFolder::Write(folder / "props.zmx", "<datafile><fileprops><projectname>P</projectname>"
                                                     "</fileprops></datafile>");
        b.session.Open(file("props.zmx"));
        EXPECT_EQ(b.job.KindCode, kind);
        EXPECT_EQ(b.properties.Values().ProjectName, "P");
        EXPECT_TRUE(b.session.Open(file("mine.zmx")).CoilFound);
        EXPECT_EQ(b.job.KindCode, "zmk");
    }
}

TEST_F(ProjectSessionTest, SolveRebuildsTheThermalSummaryThenTheChosenViewAndTellsTheWindow)
{
    ProjectJob p("zmk");
    RecordingHtmlView view;
    WindowLog window(p.job);
    p.session.SetReportFolder(folder / "report" / "");
    fs::create_directories(folder / "report");
    p.session.SetHtmlView(&view);
    p.session.SetView(TReportView::Diagnostic);
    view.calls.clear();
    window.calls.clear();

    p.session.Solve();
    ASSERT_TRUE(p.job.Solved());
    const std::string page = (folder / "report" / "ScreenReport.htm").string();
    // Thermal summary first, then the diagnostic page in its place, then the status.
    ASSERT_GE(view.calls.size(), 5u);
    EXPECT_EQ(view.calls[0], "clear");
    EXPECT_EQ(view.calls[1], "load " + page);
    EXPECT_EQ(view.calls[2], "clear");
    EXPECT_EQ(view.calls[3], "load " + page);
    EXPECT_EQ(view.calls[4], "display status 0");
    TPageLines diagnostic;
    DiagnosticPage(p.session.ReportJob(), diagnostic);
    EXPECT_EQ(view.DocumentSource(), Latin1ToUtf8(PageBytes(diagnostic.Text())));
    // The profile goes into the summary's image before the window hears of it.
    EXPECT_TRUE(fs::exists(folder / "report" / "profile.png"));
    EXPECT_THAT(window.calls, ElementsAre("control", "inputs", "refresh", "profile"));

    // An edit that the job turns into the other view of the flow names that field; the page
    // follows at once, since the job is no longer solved. So does the liquid control of a job
    // that is not solved, whose inputs the page shows.
    window.calls.clear();
    p.job.EnterField(TEntryField::edAirMassflow, 1.0);
    EXPECT_THAT(window.calls, ElementsAre("edFaceVelocity", "refresh"));
    window.calls.clear();
    p.job.ToggleLiquidControl();
    EXPECT_THAT(window.calls, ElementsAre("control", "refresh"));

    // The report job carries what the pages need.
    p.properties.Values().ProjectName = "Kiln <7>";
    const TReportJob r = p.session.ReportJob();
    EXPECT_EQ(r.Coil, p.job.Coil());
    EXPECT_FALSE(r.Solved);
    EXPECT_THAT(r.ProjectBlock, ::testing::HasSubstr("Kiln &lt;7&gt;"));
    EXPECT_EQ(r.ReportFolder, folder / "report" / "");
}

TEST_F(ProjectSessionTest, StepByStepHandsItsChartToTheWindow)
{
    ProjectJob p("cwc");
    WindowLog window(p.job);
    p.session.StepByStep();
    ASSERT_FALSE(window.calls.empty());
    EXPECT_EQ(window.calls.back(), "chart Step-by-Step Simulation");
}

TEST_F(ProjectSessionTest, SubscribersHearOfANewKindAndANewFileAndAreToldInTheOrderTheySubscribed)
{
    ProjectJob p("zmk", (folder / "data").string() + "/");
    std::vector<std::string> heard;
    const auto listen = [&](const std::string& who) {
        return p.job.Subscribe([&heard, who](const TJobNews& news) {
            if (news.Has(jcKind))
                heard.push_back(who + " kind");
            if (news.Has(jcFile))
                heard.push_back(who + " file");
        });
    };
    const int first = listen("first");
    listen("second");

    p.session.BuildKind("hwc");
    EXPECT_THAT(heard, ElementsAre("first kind", "second kind"));
    heard.clear();
    p.session.New();
    EXPECT_THAT(heard, ElementsAre("first file", "second file", "first kind", "second kind", "first file",
                                   "second file"));
    heard.clear();
    ASSERT_TRUE(p.session.SaveAs(file("kiln.zmx")));
    EXPECT_THAT(heard, ElementsAre("first file", "second file"));
    heard.clear();
    p.job.Unsubscribe(first);
    EXPECT_TRUE(p.session.Open(file("kiln.zmx")).CoilFound);
    EXPECT_THAT(heard, ElementsAre("second file"));
    EXPECT_EQ(p.session.FileName(), file("kiln.zmx"));
}

} // namespace
} // namespace zmk
