#include "app/ProjectProperties.h"

#include "support/ShellTestFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace zmk {
namespace {

using namespace std::chrono;

const TRegisteredUser kUser{"Ada Engineer", "Coil Works"};

TEST(ProjectPropertiesTest, DefaultsAndFallBacks)
{
    TMemorySettingsStore store;
    TProjectProperties props(store, kUser);
    EXPECT_EQ(props.Values().ProjectName, "");
    EXPECT_EQ(props.Values().Author, "Ada Engineer");
    EXPECT_EQ(props.Values().Company, "Coil Works");
    EXPECT_EQ(props.Values().Date, Today());
    EXPECT_EQ(props.ProjectName(), "Project");
    EXPECT_EQ(props.ProjectNumber(), "001");
    // With an empty name and number and no comments.
    EXPECT_EQ(props.ReportBlock(), "<p>Project<br>\r\n001<br>\r\n</p>");

    store.WriteString("File Properties", "Name", "Stack recovery");
    store.WriteString("File Properties", "Number", "J-17");
    store.WriteString("File Properties", "Author", "B. Smith");
    TProjectProperties stored(store, kUser);
    EXPECT_EQ(stored.ProjectName(), "Stack recovery");
    EXPECT_EQ(stored.ProjectNumber(), "J-17");
    EXPECT_EQ(stored.Values().Author, "B. Smith");
    EXPECT_EQ(stored.Values().Company, "Coil Works");
}

TEST(ProjectPropertiesTest, CommentsInTheReportBlockAndTheChartLines)
{
    TMemorySettingsStore store;
    TProjectProperties props(store, kUser);
    props.SetCommentsText("first line\r\nsecond line");
    ASSERT_EQ(props.Values().Comments.size(), 2u);
    EXPECT_EQ(props.CommentsText(), "first line\r\nsecond line"); // nothing after the last line
    // Each comment line keeps its own line on the page.
    EXPECT_EQ(props.ReportBlock(), "<p>Project<br>\r\n001<br>\r\nfirst line<br>\r\nsecond line\r\n</p>");

    props.SetCommentsText("a\nb\r\rc\r\n");
    EXPECT_EQ(props.Values().Comments, (std::vector<std::string>{"a", "b", "", "c"}));

    props.Values().ProjectName = "O'Brien & <Sons>";
    props.Values().Comments = {"say \"hi\""};
    props.Values().Date = TDate{2025, 12, 31};
    EXPECT_EQ(props.ReportBlock(),
              "<p>O'Brien &amp; &lt;Sons&gt;<br>\r\n001<br>\r\nsay &quot;hi&quot;\r\n</p>");
    EXPECT_EQ(props.WriteChartLines(),
              (std::vector<std::string>{"'O'Brien & <Sons>'", "'001'", "1", "'say \"hi\"'", "'Ada Engineer'",
                                        "'Coil Works'", "'31 12 2025'"}));
    EXPECT_EQ(DateText(TDate{2026, 3, 5}), "05 03 2026");
}

TEST(ProjectPropertiesTest, CancelAcceptAndKeepAsDefault)
{
    TMemorySettingsStore store;
    TProjectProperties props(store, kUser);
    props.Values().ProjectName = "Before";

    // Changing the name and pressing Cancel gives back the name from before.
    EXPECT_FALSE(props.BeginShow(""));
    props.Values().ProjectName = "Changed";
    props.Values().Comments = {"x"};
    props.Cancel();
    EXPECT_EQ(props.Values().ProjectName, "Before");
    EXPECT_TRUE(props.Values().Comments.empty());

    // Accept without "Keep as default": the job's properties change, the defaults do not.
    props.BeginShow("");
    props.Values().ProjectName = "Job A";
    props.Accept(false);
    EXPECT_EQ(props.Values().ProjectName, "Job A");
    EXPECT_FALSE(store.ValueExists("File Properties", "Name"));
    props.ResetProperties();
    EXPECT_EQ(props.Values().ProjectName, "");

    // With it, name, number, author and company become the defaults for new projects.
    props.BeginShow("");
    props.Values() = {"Job B", "42", {"note"}, TDate{2020, 1, 2}, "C. Doe", "Fin Co"};
    props.Accept(true);
    EXPECT_EQ(store.ReadString("File Properties", "Name", ""), "Job B");
    EXPECT_EQ(store.ReadString("File Properties", "Company", ""), "Fin Co");
    props.ResetProperties();
    const TPropertyValues expected{"Job B", "42", {}, Today(), "C. Doe", "Fin Co"};
    EXPECT_EQ(props.Values(), expected);
}

TEST(ProjectPropertiesTest, FileFactsForTheGeneralPage)
{
    test::ShellTestFolder folder;
    const auto file = folder / "job.zmx";
    test::ShellTestFolder::Write(file, std::string(2560, 'x'));

    TMemorySettingsStore store;
    TProjectProperties props(store, kUser);
    const auto facts = props.BeginShow(file.string());
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->FileName, "job.zmx");
    EXPECT_EQ(facts->Location, folder.path().string() + "/");
    EXPECT_EQ(facts->SizeText(), "2.50 KB (2560 bytes)");
    EXPECT_EQ(facts->Size, 2560u);
    EXPECT_FALSE(facts->Hidden);
    EXPECT_FALSE(facts->System);
    ASSERT_TRUE(facts->Modified);
    EXPECT_LT(abs(duration_cast<seconds>(system_clock::now() - *facts->Modified)).count(), 60);
    EXPECT_NE(FileTimeText(facts->Modified), "-1");
    EXPECT_EQ(FileTimeText(std::nullopt), "-1");

    const auto hidden = folder / ".hidden.zmx";
    test::ShellTestFolder::Write(hidden, "");
    ::chmod(hidden.c_str(), 0444);
    const auto hiddenFacts = ReadFileFacts(hidden);
    ASSERT_TRUE(hiddenFacts);
    EXPECT_TRUE(hiddenFacts->Hidden);
    if (::geteuid() != 0) { // the superuser may write anything
        EXPECT_TRUE(hiddenFacts->ReadOnly);
    }
    EXPECT_EQ(hiddenFacts->SizeText(), "0.00 KB (0 bytes)");

    // A current file that no longer exists hides the page; so does a folder.
    EXPECT_FALSE(props.BeginShow((folder / "gone.zmx").string()));
    EXPECT_FALSE(ReadFileFacts(folder.path()));
}

TEST(ProjectPropertiesTest, SavedAndOpenedWithTheProjectFile)
{
    test::ShellTestFolder folder;
    const std::string fileName = (folder / "job.zmx").string();
    TMemorySettingsStore store;
    TProjectProperties props(store, kUser);
    props.Values() = {"Stack <1>", "J 17", {"first", "second"}, TDate{2025, 12, 31}, "A. B", "C & D"};
    {
        TXMLFile file(fileName);
        TXMLFile::Node root;
        file.InitRoot("datafile", "ZMK", root, "1.0.0.0");
        props.SaveToXML(file, root);
        props.SaveToXML(file, root); // written twice: still one element of each
        file.Save();
    }
    const std::string bytes = test::ShellTestFolder::Read(fileName);
    EXPECT_NE(bytes.find("<description>first%13%10second</description>"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("<date>31 12 2025</date>"), std::string::npos);
    EXPECT_EQ(bytes.find("<fileprops>"), bytes.rfind("<fileprops>"));

    TProjectProperties opened(store, kUser);
    TXMLFile::Node root;
    TXMLFile file(fileName, root, false);
    opened.LoadFromXML(file, root);
    EXPECT_EQ(opened.Values(), props.Values());

    // Missing elements read as empty texts; a date in another form reads as today.
    test::ShellTestFolder::Write(folder / "old.zmx", "<zemtor><fileprops><projectname>Old</projectname>"
                                                     "<date>2025-12-31</date></fileprops></zemtor>");
    TXMLFile::Node oldRoot;
    TXMLFile old((folder / "old.zmx").string(), oldRoot, false);
    opened.LoadFromXML(old, oldRoot);
    const TPropertyValues expected{"Old", "", {}, Today(), "", ""};
    EXPECT_EQ(opened.Values(), expected);

    // No properties at all: everything empty.
    test::ShellTestFolder::Write(folder / "bare.zmx", "<datafile/>");
    TXMLFile::Node bareRoot;
    TXMLFile bare((folder / "bare.zmx").string(), bareRoot, false);
    opened.LoadFromXML(bare, bareRoot);
    EXPECT_EQ(opened.Values().ProjectName, "");
    EXPECT_TRUE(opened.Values().Comments.empty());
}

TEST(ProjectPropertiesTest, RegisteredUserComesFromTheEnvironment)
{
    test::ScopedEnv organization("ORGANIZATION", "Heat Recovery Ltd");
    EXPECT_EQ(ReadRegisteredUser().Organization, "Heat Recovery Ltd");
}

} // namespace
} // namespace zmk
