#include "platform/IniFileMerger.h"

#include "base/Errors.h"
#include "base/IniFile.h"

#include "support/ShellTestFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <deque>

#include <sys/stat.h>

namespace zmk {
namespace {

namespace fs = std::filesystem;
using test::ShellTestFolder;

// Answers questions from a script and remembers what was asked.
struct ScriptedAnswers
{
    std::deque<std::optional<TMergeAnswer>> answers;
    std::vector<TMergeQuestion> asked;

    TConfirmChange callback()
    {
        return [this](const TMergeQuestion& q) -> std::optional<TMergeAnswer> {
            asked.push_back(q);
            if (answers.empty())
                ADD_FAILURE() << "unexpected question about [" << q.Section << "]";
            if (answers.empty())
                return TMergeAnswer::Keep;
            auto a = answers.front();
            answers.pop_front();
            return a;
        };
    }
};

IniFile load(const fs::path& file)
{
    IniFile ini;
    ini.Load(file);
    return ini;
}

void setTime(const fs::path& file, fs::file_time_type time)
{
    fs::last_write_time(file, time);
}

const std::string kUser = "[tube]\r\nmaterial=Copper\r\nwall=0.35\r\n\r\n"
                          "[fin]\r\nmaterial=Aluminium\r\nthick=0.12\r\nmine=1\r\n\r\n"
                          "[own]\r\nnote=user only\r\n\r\n"
                          "[pitch]\r\nrow=25.4\r\n";
const std::string kInstall = "[tube]\r\nmaterial=COPPER\r\nwall=0.35\r\n\r\n"
                             "[fin]\r\nmaterial=Aluminium\r\nthick=0.15\r\n\r\n"
                             "[new]\r\nkey=added\r\n\r\n"
                             "[pitch]\r\nrow=31.75\r\ncol=27.5\r\n";

TEST(IniFileMergerTest, SectionsAreAddedAskedAboutAndReplaced)
{
    ShellTestFolder folder;
    const auto user = folder / "user/coils.ini";
    const auto install = folder / "install/coils.ini";
    ShellTestFolder::Write(user, kUser);
    ShellTestFolder::Write(install, kInstall);

    ScriptedAnswers script;
    script.answers = {TMergeAnswer::Replace, TMergeAnswer::Keep};
    TIniFileMerger merger(script.callback());
    merger.MergeFile(user, install);

    // "Copper" against "COPPER" is no difference: [tube] is not asked about.
    ASSERT_EQ(script.asked.size(), 2u);
    const TMergeQuestion& q = script.asked[0];
    EXPECT_EQ(q.Title, "Install notice: coils.ini");
    EXPECT_EQ(q.Section, "fin");
    EXPECT_EQ(q.UserLines, (std::vector<std::string>{"[fin]", "material=Aluminium", "thick=0.12", "mine=1"}));
    EXPECT_EQ(q.InstallLines, (std::vector<std::string>{"[fin]", "material=Aluminium", "thick=0.15"}));
    EXPECT_EQ(script.asked[1].Section, "pitch");

    const IniFile merged = load(user);
    // Replaced: keys only the user had are lost; the section keeps its place.
    EXPECT_EQ(merged.ReadSectionValues("fin"), (std::vector<std::pair<std::string, std::string>>{
                                                   {"material", "Aluminium"}, {"thick", "0.15"}}));
    EXPECT_EQ(merged.ReadSections(), (std::vector<std::string>{"tube", "fin", "own", "pitch", "new"}));
    // Kept, user-only and untouched sections stay as they were; a new section is added.
    EXPECT_EQ(merged.ReadString("pitch", "row", ""), "25.4");
    EXPECT_FALSE(merged.ValueExists("pitch", "col"));
    EXPECT_EQ(merged.ReadString("tube", "material", ""), "Copper");
    EXPECT_EQ(merged.ReadString("own", "note", ""), "user only");
    EXPECT_EQ(merged.ReadString("new", "key", ""), "added");
    EXPECT_FALSE(fs::exists(install));
}

TEST(IniFileMergerTest, AcceptAllReplacesTheRestOfTheFileOnly)
{
    ShellTestFolder folder;
    const std::string user = "[a]\r\nx=1\r\n[b]\r\nx=1\r\n[c]\r\nx=1\r\n";
    const std::string install = "[a]\r\nx=2\r\n[b]\r\nx=2\r\n[c]\r\nx=2\r\n";
    ShellTestFolder::Write(folder / "u/one.ini", user);
    ShellTestFolder::Write(folder / "i/one.ini", install);
    ShellTestFolder::Write(folder / "u/two.ini", user);
    ShellTestFolder::Write(folder / "i/two.ini", install);

    ScriptedAnswers script;
    script.answers = {TMergeAnswer::ReplaceAll, TMergeAnswer::Keep, TMergeAnswer::Replace,
                      TMergeAnswer::Keep};
    TIniFileMerger merger(script.callback());
    merger.MergeFile(folder / "u/one.ini", folder / "i/one.ini");
    EXPECT_EQ(script.asked.size(), 1u); // [b] and [c] replaced without a question
    for (const char* s : {"a", "b", "c"})
        EXPECT_EQ(load(folder / "u/one.ini").ReadString(s, "x", ""), "2") << s;

    // The next file asks again.
    merger.MergeFile(folder / "u/two.ini", folder / "i/two.ini");
    EXPECT_EQ(script.asked.size(), 4u);
    const IniFile two = load(folder / "u/two.ini");
    EXPECT_EQ(two.ReadString("a", "x", ""), "1");
    EXPECT_EQ(two.ReadString("b", "x", ""), "2");
    EXPECT_EQ(two.ReadString("c", "x", ""), "1");
}

TEST(IniFileMergerTest, DecideLaterStopsAndKeepsTheInstallFile)
{
    ShellTestFolder folder;
    const auto user = folder / "u/data.ini";
    const auto install = folder / "i/data.ini";
    ShellTestFolder::Write(user, "[a]\r\nx=1\r\n[b]\r\nx=1\r\n[c]\r\nx=1\r\n");
    ShellTestFolder::Write(install, "[a]\r\nx=2\r\n[b]\r\nx=2\r\n[c]\r\nx=2\r\n[d]\r\nx=2\r\n");

    ScriptedAnswers script;
    script.answers = {TMergeAnswer::Replace, TMergeAnswer::Later};
    TIniFileMerger merger(script.callback());
    merger.MergeFile(user, install);
    ASSERT_EQ(script.asked.size(), 2u);
    const IniFile merged = load(user);
    EXPECT_EQ(merged.ReadString("a", "x", ""), "2"); // the answer already given is kept
    EXPECT_EQ(merged.ReadString("b", "x", ""), "1");
    EXPECT_FALSE(merged.SectionExists("d")); // the rest is not examined
    ASSERT_TRUE(fs::exists(install));

    // At the next start the questions come back from the first differing section.
    script.asked.clear();
    script.answers = {std::nullopt}; // closed without an answer: decided later again
    merger.MergeFile(user, install);
    ASSERT_EQ(script.asked.size(), 1u);
    EXPECT_EQ(script.asked[0].Section, "b");
    EXPECT_TRUE(fs::exists(install));
}

TEST(IniFileMergerTest, ReadListAndTheFiveCasesOfMergeAll)
{
    ShellTestFolder folder;
    const auto userDir = folder / "user";
    const auto installDir = folder / "install";
    const auto programIni = folder / "program/zemtor.ini";
    ShellTestFolder::Write(programIni, "[Data files]\r\n"
                                       "same.ini=../user/,../install/,x\r\n"
                                       "differ.ini=" +
                                           userDir.string() + "/," + installDir.string() +
                                           "/,y\r\n"
                                           "useronly.ini=../user/,../install/\r\n"
                                           "installonly.ini=../user/new/,../install/,z\r\n"
                                           "neither.ini=../user/,../install/\r\n"
                                           "broken.ini=../user/\r\n");
    ShellTestFolder::Write(userDir / "same.ini", "[s]\r\nk=user\r\n");
    ShellTestFolder::Write(installDir / "same.ini", "[s]\r\nk=install\r\n");
    ShellTestFolder::Write(userDir / "differ.ini", "[s]\r\nk=user\r\n");
    ShellTestFolder::Write(installDir / "differ.ini", "[s]\r\nk=install\r\n");
    ShellTestFolder::Write(userDir / "useronly.ini", "[s]\r\nk=user\r\n");
    ShellTestFolder::Write(installDir / "installonly.ini", "[s]\r\nk=install\r\n");
    ShellTestFolder::Write(userDir / "same.bak", "an old backup");

    const auto t0 = fs::file_time_type::clock::now() - std::chrono::hours(24);
    setTime(userDir / "same.ini", t0);
    setTime(installDir / "same.ini", t0);
    setTime(userDir / "differ.ini", t0);
    setTime(installDir / "differ.ini", t0 + std::chrono::hours(1));
    setTime(installDir / "installonly.ini", t0);

    ScriptedAnswers script;
    script.answers = {TMergeAnswer::Replace};
    TIniFileMerger merger(script.callback());
    merger.ReadList(programIni);
    ASSERT_EQ(merger.UserFiles().size(), 5u); // the entry without an install folder is left out
    EXPECT_EQ(merger.UserFiles()[1], userDir / "differ.ini");
    EXPECT_EQ(merger.InstallFiles()[1], installDir / "differ.ini");
    EXPECT_EQ(merger.ThirdFields()[1], "y");
    EXPECT_EQ(merger.ThirdFields()[2], "");
    // Every user file that exists is backed up, an older backup overwritten.
    EXPECT_EQ(ShellTestFolder::Read(userDir / "same.bak"), "[s]\r\nk=user\r\n");
    EXPECT_TRUE(fs::exists(userDir / "differ.bak"));
    EXPECT_TRUE(fs::exists(userDir / "useronly.bak"));

    merger.MergeAll();
    // Equal times: the install file is deleted without a question, even with other content.
    EXPECT_FALSE(fs::exists(installDir / "same.ini"));
    EXPECT_EQ(load(userDir / "same.ini").ReadString("s", "k", ""), "user");
    // Different times: merged, with one question.
    ASSERT_EQ(script.asked.size(), 1u);
    EXPECT_EQ(script.asked[0].Title, "Install notice: differ.ini");
    EXPECT_EQ(load(userDir / "differ.ini").ReadString("s", "k", ""), "install");
    EXPECT_FALSE(fs::exists(installDir / "differ.ini"));
    // User file only: untouched.
    EXPECT_EQ(load(userDir / "useronly.ini").ReadString("s", "k", ""), "user");
    // Install file only: copied to the user's name (folder made), then deleted.
    EXPECT_EQ(load(userDir / "new/installonly.ini").ReadString("s", "k", ""), "install");
    EXPECT_FALSE(fs::exists(installDir / "installonly.ini"));
    // Neither: nothing appears.
    EXPECT_FALSE(fs::exists(userDir / "neither.ini"));
    // The merged entry and the one with neither file stay in the list.
    ASSERT_EQ(merger.UserFiles().size(), 2u);
    EXPECT_EQ(merger.UserFiles()[0], userDir / "differ.ini");
    EXPECT_EQ(merger.UserFiles()[1], userDir / "neither.ini");
}

TEST(IniFileMergerTest, NothingToDoAndNothingLost)
{
    ShellTestFolder folder;
    // A missing program INI file, or one without the section, gives no entries.
    TIniFileMerger merger(nullptr);
    merger.ReadList(folder / "missing.ini");
    EXPECT_TRUE(merger.UserFiles().empty());
    ShellTestFolder::Write(folder / "p.ini", "[Other]\r\na=b\r\n");
    merger.ReadList(folder / "p.ini");
    merger.MergeAll();
    EXPECT_TRUE(merger.UserFiles().empty());

    // A list that names one file as both copies leaves it alone.
    ShellTestFolder::Write(folder / "same/data.ini", "[s]\r\nk=1\r\n");
    ShellTestFolder::Write(folder / "p.ini", "[Data files]\r\ndata.ini=same/,same/,\r\n");
    MergeInstalledData(folder / "p.ini", nullptr);
    EXPECT_TRUE(fs::exists(folder / "same/data.ini"));

    // An install file that cannot be copied to the user's name stays where it is.
    ShellTestFolder::Write(folder / "blocker", "a file where a folder should be");
    ShellTestFolder::Write(folder / "inst/data.ini", "[s]\r\nk=2\r\n");
    ShellTestFolder::Write(folder / "p.ini", "[Data files]\r\ndata.ini=blocker/,inst/,\r\n");
    MergeInstalledData(folder / "p.ini", nullptr);
    EXPECT_TRUE(fs::exists(folder / "inst/data.ini"));
}

TEST(IniFileMergerTest, ReplaceSectionKeepsItsPlace)
{
    IniFile ini;
    ini.Parse("[a]\r\nx=1\r\n[b]\r\ny=1\r\nz=2\r\n[c]\r\nw=3\r\n");
    ini.ReplaceSection("B", {{"q", "9"}, {"y", "8"}});
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(ini.ReadSectionValues("b"),
              (std::vector<std::pair<std::string, std::string>>{{"q", "9"}, {"y", "8"}}));
    ini.ReplaceSection("d", {});
    EXPECT_TRUE(ini.SectionExists("d"));
    EXPECT_THROW(ini.ReplaceSection("e", {{"bad=key", "1"}}), ZmkError);
    EXPECT_FALSE(ini.SectionExists("e"));
}

TEST(IniFileMergerTest, WhatCouldNotBeReadIsLeftAsItIsAndNamed)
{
    ShellTestFolder folder;
    const auto cannotRead = [](const fs::path& file, const std::string& reason) {
        return "Cannot read file \"" + file.string() + "\": " + reason;
    };
    // The list itself is a named pipe: nothing is merged, and that is said.
    ASSERT_EQ(::mkfifo((folder / "pipe.ini").c_str(), 0644), 0);
    EXPECT_EQ(MergeInstalledData(folder / "pipe.ini", nullptr),
              std::vector<std::string>{
                  cannotRead(folder / "pipe.ini", "it is a named pipe (FIFO), not a regular file")});

    // A user file too large to read is not merged into (that would replace it with the
    // installed one); an install file too large is not merged from; a named pipe where the
    // user's copy should go is not written over.
    ShellTestFolder::Write(folder / "user/big.ini", kUser);
    fs::resize_file(folder / "user/big.ini", 9 * 1024 * 1024);
    ShellTestFolder::Write(folder / "inst/big.ini", kInstall);
    ShellTestFolder::Write(folder / "user/small.ini", kUser);
    ShellTestFolder::Write(folder / "inst/small.ini", kInstall);
    fs::resize_file(folder / "inst/small.ini", 9 * 1024 * 1024);
    ASSERT_EQ(::mkfifo((folder / "user/pipe.ini").c_str(), 0644), 0);
    ShellTestFolder::Write(folder / "inst/pipe.ini", kInstall);
    setTime(folder / "inst/big.ini", fs::last_write_time(folder / "user/big.ini") + std::chrono::hours(1));
    setTime(folder / "inst/small.ini",
            fs::last_write_time(folder / "user/small.ini") + std::chrono::hours(1));
    ShellTestFolder::Write(folder / "p.ini",
                           "[Data files]\r\nbig.ini=user/,inst/,\r\nsmall.ini=user/,inst/,\r\n"
                           "pipe.ini=user/,inst/,\r\n");
    const std::vector<std::string> problems = MergeInstalledData(folder / "p.ini", nullptr);
    const std::string tooLarge = "it is larger than 8 MiB (9437184 bytes)";
    EXPECT_EQ(problems, (std::vector<std::string>{
                            "Cannot write file \"" + (folder / "user/pipe.ini").string() +
                                "\": it is a named pipe (FIFO), not a regular file",
                            cannotRead(folder / "inst/small.ini", tooLarge),
                            cannotRead(folder / "user/big.ini", tooLarge),
                        }));
    EXPECT_EQ(fs::file_size(folder / "user/big.ini"), 9u * 1024 * 1024);
    EXPECT_EQ(ShellTestFolder::Read(folder / "user/small.ini"), kUser);
    EXPECT_TRUE(fs::is_fifo(folder / "user/pipe.ini"));
    for (const char* name : {"big.ini", "small.ini", "pipe.ini"})
        EXPECT_TRUE(fs::exists(folder / "inst" / name)) << name;
}

} // namespace
} // namespace zmk
