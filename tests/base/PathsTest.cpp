#include "base/Paths.h"

#include "support/ShellTestFolder.h"

#include <gtest/gtest.h>

namespace zmk {
namespace {

TEST(PathsTest, MakerFolder)
{
    struct Case
    {
        const char* program;
        const char* maker;
    };
    const Case cases[] = {
        {"/opt/Quorvane/ZMK/", "/opt/Quorvane/"}, {"/home/a/build/Quorvane/ZMK/", "/home/a/build/Quorvane/"},
        {"/srv/quorvane/ZMK/", "/srv/quorvane/"}, // kept as spelt: names here are case-sensitive
        {"/x/QuorvaneApps/ZMK/", "/x/Quorvane/"}, {"/usr/local/bin/", "/programs/Quorvane/"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MakerFolderFor(c.program, "/programs"), c.maker) << c.program;
}

TEST(PathsTest, FoldersOfAnInstalledProgram)
{
    test::ShellTestFolder folder;
    test::ScopedEnv documents("XDG_DOCUMENTS_DIR", (folder / "docs").string());
    test::ScopedEnv programFiles("ZMK_PROGRAM_FILES", (folder / "programs").string());
    const std::string program = (folder / "root/Quorvane/ZMK").string();

    const TFolders f = ComputeFolders(program);
    EXPECT_EQ(f.ProgramFolder, program + "/");
    EXPECT_EQ(f.ProgramName, "ZMK");
    EXPECT_EQ(f.DocumentsFolder, (folder / "docs/").string());
    EXPECT_EQ(f.DataFolder, (folder / "docs/Quorvane/ZMK/").string());
    EXPECT_TRUE(std::filesystem::is_directory(f.DataFolder)); // made with its parents
    EXPECT_EQ(f.ProgramFilesFolder, (folder / "programs/").string());
    EXPECT_EQ(f.CommonFilesFolder, (folder / "programs/Common Files/").string());
    EXPECT_EQ(f.MakerFolder, (folder / "root/Quorvane/").string());
    EXPECT_EQ(f.ReportFolder, program + "/Report/");
    EXPECT_EQ(f.HelpFolder, program + "/Help/");
    EXPECT_EQ(f.ImagesFolder, program + "/Help/Images/");

    // Without the documents variable: ~/Documents.
    test::ScopedEnv noDocuments("XDG_DOCUMENTS_DIR", "");
    EXPECT_EQ(DocumentsFolder(), (folder / "home/Documents/").string());
    EXPECT_EQ(ProgramIniFile().substr(0, ProgramFolder().size()), ProgramFolder());
}

TEST(PathsTest, DataFolderThatCannotBeMadeFallsBackOnTheProgramFolder)
{
    test::ShellTestFolder folder;
    test::ShellTestFolder::Write(folder / "docs", "a file where the documents folder should be");
    test::ScopedEnv documents("XDG_DOCUMENTS_DIR", (folder / "docs").string());
    const TFolders f = ComputeFolders("/opt/Quorvane/ZMK/");
    EXPECT_EQ(f.DataFolder, "/opt/Quorvane/ZMK/");
}

} // namespace
} // namespace zmk
