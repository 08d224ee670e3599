#include "app/SettingsStore.h"

#include "support/ShellTestFolder.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

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

} // namespace
} // namespace zmk
