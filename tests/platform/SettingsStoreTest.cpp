#include "platform/SettingsStore.h"

#include "support/ShellTestFolder.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

#include <sys/stat.h>

namespace zmk {
namespace {

using test::ShellTestFolder;

TEST(SettingsStoreTest, StoreFilesFollowTheConfigurationFolder)
{
    ShellTestFolder folder;
    EXPECT_EQ(ConfigFolder(), folder / "config");
    EXPECT_EQ(ProgramSettingsFile(), folder / "config/Quorvane/ZMK.ini");
    EXPECT_EQ(CommonSettingsFile(), folder / "config/Quorvane/Common.ini");
    EXPECT_EQ(SoftwareSettingsFile(), folder / "config/Quorvane/Software.ini");
    {
        test::ScopedEnv noOverride("ZMK_CONFIG_DIR", "");
        EXPECT_EQ(ConfigFolder(), folder / "xdgconfig");
        test::ScopedEnv noXdg("XDG_CONFIG_HOME", "");
        EXPECT_EQ(ConfigFolder(), folder / "home/.config");
    }
}

TEST(SettingsStoreTest, RealsReadBackBitForBit)
{
    ShellTestFolder folder;
    std::vector<double> values = {0.0,
                                  -0.0,
                                  0.1,
                                  1.0 / 3.0,
                                  101.325,
                                  0.00137561,
                                  -60.0,
                                  1e-300,
                                  std::numeric_limits<double>::denorm_min(),
                                  DBL_MAX,
                                  -DBL_MIN,
                                  2.5e20,
                                  std::nextafter(1.0, 2.0)};
    std::mt19937_64 random(7);
    for (int i = 0; i < 200; ++i) {
        double v = std::bit_cast<double>(random());
        if (std::isfinite(v))
            values.push_back(v);
    }
    const auto file = folder / "store.ini";
    {
        TIniSettingsStore store(file);
        for (std::size_t i = 0; i < values.size(); ++i)
            store.WriteFloat("Reals", "v" + std::to_string(i), values[i]);
    }
    TIniSettingsStore store(file);
    for (std::size_t i = 0; i < values.size(); ++i) {
        const double back = store.ReadFloat("Reals", "v" + std::to_string(i), 12345.0);
        EXPECT_EQ(std::bit_cast<std::uint64_t>(back), std::bit_cast<std::uint64_t>(values[i]))
            << "value " << i << " written as " << FloatSettingText(values[i]);
    }
}

TEST(SettingsStoreTest, TypedValuesAndTheirFallbacks)
{
    ShellTestFolder folder;
    const auto file = folder / "store.ini";
    ShellTestFolder::Write(file,
                           "[Startup]\r\nBarometer=1,5\r\nFlag=yes\r\nCount=12abc\r\nBig=99999999999\r\n"
                           "Zero=0\r\nOne=1\r\nT=TRUE\r\nNan=nan\r\nInf=inf\r\nSpaced=  2.5  \r\n");
    TIniSettingsStore store(file);
    // Unreadable values read as the caller's default.
    EXPECT_EQ(store.ReadFloat("Startup", "Barometer", 101.325), 101.325);
    EXPECT_EQ(store.ReadFloat("Startup", "Nan", 7.0), 7.0);
    EXPECT_EQ(store.ReadFloat("Startup", "Inf", 7.0), 7.0);
    EXPECT_EQ(store.ReadFloat("Startup", "Spaced", 7.0), 2.5);
    EXPECT_EQ(store.ReadBool("Startup", "Flag", true), true);
    EXPECT_EQ(store.ReadBool("Startup", "Flag", false), false);
    EXPECT_EQ(store.ReadInteger("Startup", "Count", 4), 4);
    EXPECT_EQ(store.ReadInteger("Startup", "Big", 4), 4);
    EXPECT_FALSE(store.ReadBool("Startup", "Zero", true));
    EXPECT_TRUE(store.ReadBool("Startup", "One", false));
    EXPECT_TRUE(store.ReadBool("startup", "t", false)); // names ignore letter case
    // Missing values and sections.
    EXPECT_EQ(store.ReadString("Startup", "LastPath", "/data/"), "/data/");
    EXPECT_EQ(store.ReadInteger("Nowhere", "x", -3), -3);
    EXPECT_FALSE(store.ValueExists("Startup", "LastPath"));
    EXPECT_TRUE(store.SectionExists("STARTUP"));

    // Booleans are written as words; a value is one line.
    store.WriteBool("MainForm", "Visible", true);
    store.WriteString("Startup", "LiquidCaption", "Thermal\r\nOil");
    store.WriteString("", "x", "dropped");
    ASSERT_TRUE(store.Flush());
    const std::string bytes = ShellTestFolder::Read(file);
    EXPECT_NE(bytes.find("[MainForm]\r\nVisible=true\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("LiquidCaption=Thermal  Oil\r\n"), std::string::npos);
    EXPECT_EQ(bytes.find("dropped"), std::string::npos);
}

TEST(SettingsStoreTest, OwnerWritesTheThreeFilesAndSectionsCanBeErased)
{
    ShellTestFolder folder;
    {
        TSettingsStores stores;
        EXPECT_EQ(stores.Program().ReadString("Startup", "LastPath", "none"), "none");
        stores.Program().WriteString("Startup", "LastPath", "/jobs/");
        stores.Common().WriteInteger("Location", "Region", 3);
        stores.Software().WriteString("Quorvane", "email", "sales@example.com");
        stores.Program().WriteString("MRU", "0", "/jobs/a.zmx");
        stores.Program().EraseSection("mru");
        EXPECT_EQ(stores.Program().Sections(), std::vector<std::string>{"Startup"});
    }
    EXPECT_TRUE(std::filesystem::exists(folder / "config/Quorvane/ZMK.ini"));
    EXPECT_TRUE(std::filesystem::exists(folder / "config/Quorvane/Common.ini"));
    TSettingsStores again;
    EXPECT_EQ(again.Program().ReadString("Startup", "LastPath", ""), "/jobs/");
    EXPECT_EQ(again.Common().ReadInteger("Location", "Region", 0), 3);
    EXPECT_EQ(again.Software().ReadString("Quorvane", "email", ""), "sales@example.com");
    EXPECT_FALSE(again.Program().SectionExists("MRU"));
}

TEST(SettingsStoreTest, UnwritableFolderKeepsTheChangesAndReportsFailure)
{
    ShellTestFolder folder;
    ShellTestFolder::Write(folder / "blocker", "a file where a folder should be");
    TIniSettingsStore store(folder / "blocker/Quorvane/ZMK.ini");
    store.WriteInteger("MainForm", "Left", 10);
    EXPECT_FALSE(store.Flush());
    EXPECT_EQ(store.ReadInteger("MainForm", "Left", 0), 10);
}

TEST(SettingsStoreTest, MemoryStoreKeepsOrderAndIgnoresCase)
{
    TMemorySettingsStore store;
    store.WriteString("b", "x", "1");
    store.WriteString("a", "y", "2");
    store.WriteString("B", "X", "3");
    EXPECT_EQ(store.Sections(), (std::vector<std::string>{"b", "a"}));
    EXPECT_EQ(store.ReadString("b", "x", ""), "3");
    EXPECT_EQ(store.ValueNames("b"), std::vector<std::string>{"x"});
    // Its index follows an erased section; the texts are kept as given.
    store.WriteString("c", "z", " two\r\nlines ");
    store.EraseSection("B");
    EXPECT_FALSE(store.SectionExists("b"));
    EXPECT_TRUE(store.SectionExists("C"));
    EXPECT_EQ(store.ReadString("A", "Y", ""), "2");
    EXPECT_EQ(store.ReadString("c", "z", ""), " two\r\nlines ");
    EXPECT_EQ(store.Sections(), (std::vector<std::string>{"a", "c"}));
}

TEST(SettingsStoreTest, EveryStoredValueIsOneLineOfTheFile)
{
    ShellTestFolder folder;
    const auto file = folder / "store.ini";
    {
        TIniSettingsStore store(file);
        store.WriteString("File Properties", "Name", "X\r\nINJECTED=1\r\n[Startup]");
        store.WriteString("File Properties", "Author",
                          "Tab\tBell\x07"
                          "Nel\xC2\x85"
                          "End");
        store.WriteString("MRU", "0", "/jobs/a\nb.zmx");
        EXPECT_TRUE(store.SectionExists("file properties"));
        EXPECT_FALSE(store.SectionExists("Startup"));
    }
    const std::string bytes = ShellTestFolder::Read(file);
    EXPECT_EQ(bytes, "[File Properties]\r\nName=X  INJECTED=1  [Startup]\r\nAuthor=Tab Bell Nel End\r\n\r\n"
                     "[MRU]\r\n0=/jobs/a b.zmx\r\n");
    TIniSettingsStore back(file);
    EXPECT_EQ(back.Sections(), (std::vector<std::string>{"File Properties", "MRU"}));
    EXPECT_FALSE(back.ValueExists("File Properties", "INJECTED"));
}

TEST(SettingsStoreTest, AFileThatCouldNotBeReadIsNeverWrittenOver)
{
    namespace fs = std::filesystem;
    ShellTestFolder folder;
    const fs::path dir = folder / "config/Quorvane";
    fs::create_directories(dir);
    // ZMK.ini too large (a sparse file: only its size is looked at), Common.ini a named pipe,
    // Software.ini a folder.
    ShellTestFolder::Write(dir / "ZMK.ini", "[Startup]\r\nLastPath=/mine/\r\n");
    fs::resize_file(dir / "ZMK.ini", 9 * 1024 * 1024);
    ASSERT_EQ(::mkfifo((dir / "Common.ini").c_str(), 0644), 0);
    fs::create_directory(dir / "Software.ini");
    const std::string tooLarge =
        "Cannot read file \"" + (dir / "ZMK.ini").string() + "\": it is larger than 8 MiB (9437184 bytes)";
    const std::string pipe = "Cannot read file \"" + (dir / "Common.ini").string() +
                             "\": it is a named pipe (FIFO), not a regular file";
    const std::string folderProblem =
        "Cannot read file \"" + (dir / "Software.ini").string() + "\": it is a folder, not a regular file";
    {
        TSettingsStores stores;
        EXPECT_EQ(stores.ReadProblems(), (std::vector<std::string>{tooLarge, pipe, folderProblem}));
        // The program runs on its defaults and keeps what it is told in memory...
        EXPECT_EQ(stores.Program().ReadString("Startup", "LastPath", "default"), "default");
        stores.Program().WriteString("Startup", "LastPath", "/jobs/");
        stores.Common().WriteInteger("Location", "Region", 3);
        stores.Software().WriteString("Quorvane", "email", "sales@example.com");
        EXPECT_EQ(stores.Program().ReadString("Startup", "LastPath", ""), "/jobs/");
        // ...but writes none of it: nothing new to tell the user at exit either.
        EXPECT_TRUE(stores.Flush());
    }
    EXPECT_EQ(fs::file_size(dir / "ZMK.ini"), 9u * 1024 * 1024);
    EXPECT_EQ(ShellTestFolder::Read(dir / "ZMK.ini").substr(0, 9), "[Startup]");
    EXPECT_TRUE(fs::is_fifo(dir / "Common.ini"));
    EXPECT_EQ(fs::status(dir / "Common.ini").permissions() & fs::perms::mask,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                  fs::perms::others_read);
    EXPECT_TRUE(fs::is_directory(dir / "Software.ini"));
    EXPECT_EQ(fs::directory_iterator(dir / "Software.ini"), fs::directory_iterator());

    // One message for all of them, each file named with its reason.
    EXPECT_EQ(UnreadSettingsMessage({tooLarge}),
              tooLarge + ".\nThe program runs on its default settings and leaves this file as it is.");
    EXPECT_EQ(UnreadSettingsMessage({tooLarge, pipe}),
              tooLarge + ".\n" + pipe +
                  ".\nThe program runs on its default settings and leaves these files as they are.");
    EXPECT_EQ(UnreadSettingsMessage({}), "");

    // A file that is merely missing is no problem, and is written.
    TIniSettingsStore fresh(folder / "config/Other.ini");
    EXPECT_EQ(fresh.ReadProblem(), "");
    fresh.WriteInteger("MainForm", "Left", 1);
    EXPECT_TRUE(fresh.Flush());
    EXPECT_TRUE(fs::is_regular_file(folder / "config/Other.ini"));
}

} // namespace
} // namespace zmk
