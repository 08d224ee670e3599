#include "platform/RecentFiles.h"

#include "support/ShellTestFolder.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace zmk {
namespace {

using Captions = std::vector<std::string>;

TEST(RecentFilesTest, OpeningFilesMovesTheLeftOneOnTop)
{
    // A platform whose file names ignore letter case shows them in lower case.
    TRecentFiles recent(true);
    TMemorySettingsStore store;
    recent.Init(store, nullptr);
    EXPECT_TRUE(recent.Items().empty()); // first run: the Re-open menu is empty

    std::string current;
    SetFileName(current, "", recent);
    SetFileName(current, "C:\\Jobs\\A.zmx", recent);
    SetFileName(current, "C:\\Jobs\\B.zmx", recent);
    EXPECT_EQ(current, "C:\\Jobs\\B.zmx");
    EXPECT_EQ(recent.VisibleCaptions(), Captions{"c:\\jobs\\a.zmx"});

    // Opening A again from the menu takes it out and puts B on top.
    SetFileName(current, "C:\\Jobs\\A.zmx", recent);
    EXPECT_EQ(recent.VisibleCaptions(), Captions{"c:\\jobs\\b.zmx"});
}

TEST(RecentFilesTest, FiveShowSixAreHeldNeverSeven)
{
    TRecentFiles recent;
    int changes = 0;
    recent.OnChanged = [&] { ++changes; };
    std::string current;
    for (const char* name :
         {"/j/1.zmx", "/j/2.zmx", "/j/3.zmx", "/j/4.zmx", "/j/5.zmx", "/j/6.zmx", "/j/7.zmx"})
        SetFileName(current, name, recent);
    EXPECT_GT(changes, 0);
    // The five most recent files other than the current one show; a sixth is in reserve.
    EXPECT_EQ(recent.VisibleCaptions(),
              (Captions{"/j/6.zmx", "/j/5.zmx", "/j/4.zmx", "/j/3.zmx", "/j/2.zmx"}));
    ASSERT_EQ(recent.Items().size(), 6u);
    EXPECT_EQ(recent.Items()[5].Caption, "/j/1.zmx");
    EXPECT_FALSE(recent.Items()[5].Visible);

    // Taking one out brings the reserve into view.
    recent.Remove("/j/4.zmx");
    EXPECT_EQ(recent.VisibleCaptions(),
              (Captions{"/j/6.zmx", "/j/5.zmx", "/j/3.zmx", "/j/2.zmx", "/j/1.zmx"}));
    // Leaving the current file for another listed one: the reserve is pushed out.
    SetFileName(current, "/j/4.zmx", recent);
    SetFileName(current, "/j/5.zmx", recent);
    EXPECT_EQ(recent.VisibleCaptions(),
              (Captions{"/j/4.zmx", "/j/7.zmx", "/j/6.zmx", "/j/3.zmx", "/j/2.zmx"}));
    EXPECT_EQ(recent.Items().size(), 5u);

    // The store holds six entries, the current file on top; Init reads them back in order.
    TMemorySettingsStore store;
    recent.Add("/j/8.zmx");
    recent.Store(store, current);
    EXPECT_EQ(store.ValueNames("MRU"), (Captions{"0", "1", "2", "3", "4", "5"}));
    EXPECT_EQ(store.ReadString("MRU", "0", ""), "/j/5.zmx");
    EXPECT_EQ(store.ReadString("MRU", "1", ""), "/j/8.zmx");
    EXPECT_EQ(store.ReadString("MRU", "5", ""), "/j/3.zmx");

    TRecentFiles again;
    std::string clicked;
    again.Init(store, [&](const std::string& file) { clicked = file; });
    ASSERT_EQ(again.Items().size(), 6u);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(again.Items()[i].Caption, store.ReadString("MRU", std::to_string(i), ""));
    EXPECT_FALSE(again.Items()[5].Visible);
    again.Click(1);
    EXPECT_EQ(clicked, "/j/8.zmx");
    again.Click(17); // out of range: nothing
    EXPECT_EQ(clicked, "/j/8.zmx");

    // Opening the clicked file reshuffles the list while the handler runs; the handler still
    // gets the name it was clicked for.
    std::string current2 = "/j/now.zmx";
    std::string opened;
    TRecentFiles menu;
    menu.Init(store, [&](const std::string& file) {
        SetFileName(current2, file, menu);
        opened = file;
    });
    menu.Click(3);
    EXPECT_EQ(opened, store.ReadString("MRU", "3", ""));
    EXPECT_EQ(current2, opened);
    EXPECT_EQ(menu.Items().front().Caption, "/j/now.zmx");

    // Opening the current file again (its name handed over as itself) keeps it out of the list.
    SetFileName(current2, current2, menu);
    EXPECT_EQ(menu.Items().front().Caption, "/j/now.zmx");
    EXPECT_EQ(std::count_if(menu.Items().begin(), menu.Items().end(),
                            [&](const TRecentItem& item) { return item.Caption == current2; }),
              0);
}

TEST(RecentFilesTest, AFileNeverSavedStaysOffTheList)
{
    // New names the job "Default.zmx" without writing it: leaving it for another file must not
    // offer it for re-opening, and neither may the end of the run.
    test::ShellTestFolder folder;
    const std::string saved = (folder / "saved.zmx").string();
    const std::string unsaved = (folder / "Default.zmx").string();
    test::ShellTestFolder::Write(saved, "<datafile/>");
    TRecentFiles recent;
    std::string current;
    SetCurrentFile(current, saved, recent);
    SetCurrentFile(current, unsaved, recent);
    EXPECT_EQ(recent.VisibleCaptions(), Captions{saved});
    SetCurrentFile(current, (folder / "other.zmx").string(), recent);
    EXPECT_EQ(current, (folder / "other.zmx").string());
    EXPECT_EQ(recent.VisibleCaptions(), Captions{saved});
    // A folder or a pipe under the name is no file to re-open either.
    std::filesystem::create_directories(folder / "dir.zmx");
    current = (folder / "dir.zmx").string();
    SetCurrentFile(current, saved, recent);
    EXPECT_TRUE(recent.VisibleCaptions().empty());

    EXPECT_EQ(RememberedFile(saved), saved);
    EXPECT_EQ(RememberedFile(unsaved), "");
    EXPECT_EQ(RememberedFile((folder / "dir.zmx").string()), "");
    EXPECT_EQ(RememberedFile(""), "");
}

TEST(RecentFilesTest, NamesKeepTheirCaseHereAndEmptyNamesAreIgnored)
{
    TRecentFiles recent;
    recent.Add("/Home/Jobs/A.zmx");
    recent.Add("");
    recent.Add("/home/jobs/a.zmx");
    EXPECT_EQ(recent.VisibleCaptions(), (Captions{"/home/jobs/a.zmx", "/Home/Jobs/A.zmx"}));
    recent.Add("/Home/Jobs/A.zmx");
    EXPECT_EQ(recent.VisibleCaptions(), (Captions{"/Home/Jobs/A.zmx", "/home/jobs/a.zmx"}));
    recent.Remove("/nowhere.zmx");
    EXPECT_EQ(recent.Items().size(), 2u);
}

TEST(RecentFilesTest, FileNameIsShortenedToTheRoom)
{
    const TFixedTextWidth measure(7); // average width 7 div 1 + 1 = 8 per character
    const std::string name = "/home/engineer/projects/heat recovery/stack.zmx"; // 47 characters
    struct Case
    {
        int width;
        std::string shown;
    };
    const Case cases[] = {
        {47 * 8, name}, // room for all
        {46 * 8 + 7, "/home/engineer/projects/heat recover~stack.zmx"},
        {20 * 8, "/home/engi~stack.zmx"}, // 20 characters: 10 of the path, "~", 9 of the name
        {11 * 8, "/~stack.zmx"},
        {10 * 8, "~stack.zmx"},
        {9 * 8, "stack.zmx"}, // no room for "~" beside the name
        {3 * 8, "stack.zmx"}, // too narrow even for the name: the name alone
        {-50, "stack.zmx"},
    };
    for (const Case& c : cases) {
        const std::string shown = ShortenFileName(name, c.width, measure);
        EXPECT_EQ(shown, c.shown) << c.width;
        if (c.shown.find('~') != std::string::npos) {
            EXPECT_EQ(shown.size(), std::size_t(c.width / 8));
        }
    }
    EXPECT_EQ(ShortenFileName("", 100, measure), "");
    EXPECT_EQ(FileNamePanelText(name, 300, 140, measure), "/home/engi~stack.zmx");
    // Characters are counted whole: a shortened UTF-8 name is never cut inside a character.
    const std::string accented = "/données/études/été.zmx"; // 23 characters
    EXPECT_EQ(ShortenFileName(accented, 15 * 8, measure), "/donnée~été.zmx");
}

TEST(RecentFilesTest, CommandLineFile)
{
    test::ShellTestFolder folder;
    const auto job = folder / "My Jobs/A.zmx";
    test::ShellTestFolder::Write(job, "<zmk/>");
    EXPECT_EQ(CommandLineFile({}), "");

    // An unquoted path with a blank arrives as two arguments and opens whole.
    const std::string full = job.string();
    const std::size_t blank = full.rfind(' ');
    const std::vector<std::string> split{full.substr(0, blank), full.substr(blank + 1)};
    EXPECT_EQ(CommandLineFile(split), full);
    EXPECT_EQ(CommandLineProject(split), full);

    // Relative names are expanded to a full path.
    const auto here = std::filesystem::current_path();
    std::filesystem::current_path(folder.path());
    EXPECT_EQ(CommandLineProject({"My", "Jobs/./A.zmx"}), full);
    std::filesystem::current_path(here);

    // Hyphens inside a path are part of it (Linux paths carry them); an argument that starts
    // with "-" is an option and never part of the path, unless it follows "--".
    const auto hyphenated = folder / "my-jobs/cold-coil.zmx";
    test::ShellTestFolder::Write(hyphenated, "<zmk/>");
    EXPECT_EQ(CommandLineProject({hyphenated.string()}), hyphenated.string());
    EXPECT_EQ(CommandLineProject({"--screenshot=x.png", hyphenated.string(), "-s"}), hyphenated.string());
    EXPECT_EQ(CommandLineProject({full, "-s"}), full);
    const auto dashed = folder / "-odd.zmx";
    test::ShellTestFolder::Write(dashed, "<zmk/>");
    std::filesystem::current_path(folder.path());
    EXPECT_EQ(CommandLineProject({"-odd.zmx"}), "");
    EXPECT_EQ(CommandLineProject({"--", "-odd.zmx"}), dashed.string());
    std::filesystem::current_path(here);

    // Options alone, a missing file, or a folder open nothing.
    EXPECT_EQ(CommandLineFile({"--version", "-x"}), "");
    EXPECT_EQ(CommandLineProject({(folder / "C.zmx").string()}), "");
    EXPECT_EQ(CommandLineProject({folder.path().string()}), "");
}

} // namespace
} // namespace zmk
