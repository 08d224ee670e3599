#include "app/StartupSettings.h"

#include "support/ShellTestFolder.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>

namespace zmk {
namespace {

TEST(StartupSettingsTest, WindowIsHeldOnTheScreen)
{
    struct Case
    {
        int storedLeft, storedTop;
        int left, top;
    };
    // Screen 1280 x 1024: below 0 becomes 0; beyond the size - 100 becomes the size - 200.
    const Case cases[] = {
        {-50, 10, 0, 10},       {1250, 10, 1080, 10}, {1180, 924, 1180, 924},
        {1181, 925, 1080, 824}, {0, -1, 0, 0},        {5000, 5000, 1080, 824},
    };
    for (const Case& c : cases) {
        TMemorySettingsStore store;
        store.WriteInteger("FatForm", "Left", c.storedLeft);
        store.WriteInteger("FatForm", "Top", c.storedTop);
        TWindowPlace place{100, 100, 400, 300, false, 0};
        RestoreWindow(store, "FatForm", place, {1280, 1024}, false, true);
        EXPECT_EQ(place.Left, c.left) << c.storedLeft;
        EXPECT_EQ(place.Top, c.top) << c.storedTop;
    }
}

TEST(StartupSettingsTest, RestoreReadsWhatItIsAskedFor)
{
    TMemorySettingsStore store;
    TWindowPlace stored{20, 30, 640, 480, true, 2};
    StoreWindow(store, "PropertiesForm", stored);
    EXPECT_EQ(store.ValueNames("PropertiesForm"),
              (std::vector<std::string>{"Left", "Top", "Width", "Height", "Visible", "WinState"}));

    // Position only: the size stays as the window has it; Visible is not read.
    TWindowPlace place{1, 2, 300, 200, false, 0};
    RestoreWindow(store, "PropertiesForm", place, {1920, 1080}, false, RestoresSize("PropertiesForm"));
    EXPECT_EQ(place.Left, 20);
    EXPECT_EQ(place.Top, 30);
    EXPECT_EQ(place.Width, 300);
    EXPECT_EQ(place.Height, 200);
    EXPECT_FALSE(place.Visible);
    EXPECT_EQ(place.WinState, 2);

    // With size and visibility.
    place = {1, 2, 300, 200, false, 0};
    RestoreWindow(store, "PropertiesForm", place, {1920, 1080}, true, true);
    EXPECT_EQ(place.Width, 640);
    EXPECT_EQ(place.Height, 480);
    EXPECT_TRUE(place.Visible);

    // Nothing stored: the window keeps its place; Visible defaults to false.
    TMemorySettingsStore empty;
    place = {15, 25, 300, 200, true, 1};
    RestoreWindow(empty, "MainForm", place, {1920, 1080}, true, true);
    EXPECT_EQ(place.Left, 15);
    EXPECT_EQ(place.Top, 25);
    EXPECT_EQ(place.Width, 300);
    EXPECT_FALSE(place.Visible);
    EXPECT_EQ(place.WinState, 1);

    // A window state that is none of the three keeps the current one.
    store.WriteInteger("PropertiesForm", "WinState", 7);
    RestoreWindow(store, "PropertiesForm", place, {1920, 1080}, false, false);
    EXPECT_EQ(place.WinState, 1);

    EXPECT_TRUE(RestoresSize("MainForm"));
    EXPECT_TRUE(RestoresSize("EmailForm"));
    EXPECT_FALSE(RestoresSize("AltBaromForm"));
    EXPECT_FALSE(RestoresSize("NoSuchForm"));
}

TStartupSettings sampleSettings()
{
    TStartupSettings s;
    s.LastPath = "/home/user/Documents/Quorvane/ZMK/";
    s.Start = {"typical", "533.4 1200 4r 10f 14c",
               0.5334,    1.2,
               4,         10,
               14,        "Thermal Oil",
               1,         805.3,
               2.2328,    0.004034,
               0.0001278, 1,
               4,         101.325,
               380,       0.005,
               177.3,     0.005,
               1.2,       80,
               100,       2.7};
    s.Altitude = 123.4;
    s.AirMassFlow = 2.1;
    s.LiquidDT = 20;
    s.TubeVelocity = 0.9;
    for (std::size_t i = 0; i < s.UnitIndex.size(); ++i)
        s.UnitIndex[i] = int(i % 3);
    return s;
}

bool sameBits(double a, double b)
{
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

TEST(StartupSettingsTest, StartValuesRoundTripThroughTheFile)
{
    test::ShellTestFolder folder;
    TStartupSettings saved = sampleSettings();
    saved.Start.dbi = 1.0 / 3.0; // a real that only reads back whole if written exactly
    saved.Start.UserMu = 0.1 + 0.2;
    // Water with 40 % ethylene glycol: the next start rates the mixture its caption names.
    saved.Start.WaterAdditive = 1;
    saved.Start.AdditiveVolume = 0.4;
    {
        TSettingsStores stores;
        SaveStartupSettings(stores.Program(), TWindowPlace{40, 50, 800, 600, true, 0}, saved);
    }
    TSettingsStores stores;
    TStartupSettings loaded; // the job's defaults, all zero here
    loaded.Altitude = -1;
    TWindowPlace main{0, 0, 100, 100, false, 0};
    LoadStartupSettings(stores.Program(), main, {1920, 1080}, loaded);

    EXPECT_EQ(main.Left, 40);
    EXPECT_EQ(main.Width, 800);
    EXPECT_FALSE(main.Visible); // the main window's visibility is written only
    EXPECT_EQ(loaded.LastPath, saved.LastPath);
    const TStoredStartValues& a = saved.Start;
    const TStoredStartValues& b = loaded.Start;
    EXPECT_EQ(b.CoilMaker, a.CoilMaker);
    EXPECT_EQ(b.CoilModel, a.CoilModel);
    EXPECT_EQ(b.LiquidCaption, a.LiquidCaption);
    EXPECT_EQ(b.LiquidSpec, a.LiquidSpec);
    EXPECT_EQ(b.LiquidControl, a.LiquidControl);
    EXPECT_EQ(b.tube, a.tube);
    EXPECT_EQ(b.WaterAdditive, 1);
    EXPECT_DOUBLE_EQ(b.AdditiveVolume, 0.4);
    for (auto field : {&TStoredStartValues::fHeight, &TStoredStartValues::fLength, &TStoredStartValues::Rows,
                       &TStoredStartValues::fpi, &TStoredStartValues::Circ, &TStoredStartValues::UserRo,
                       &TStoredStartValues::UserCp, &TStoredStartValues::UserMu, &TStoredStartValues::UserKo,
                       &TStoredStartValues::Pa, &TStoredStartValues::dbi, &TStoredStartValues::wai,
                       &TStoredStartValues::dbo, &TStoredStartValues::wao, &TStoredStartValues::mw,
                       &TStoredStartValues::twi, &TStoredStartValues::two, &TStoredStartValues::vf})
        EXPECT_TRUE(sameBits(a.*field, b.*field)) << a.*field << " read back as " << b.*field;
    EXPECT_EQ(loaded.UnitIndex, saved.UnitIndex);
    // Written-only values are not read back.
    EXPECT_EQ(loaded.Altitude, -1);
    EXPECT_EQ(loaded.LiquidDT, 0);

    // The file holds them under their own sections and names.
    const ISettingsStore& st = stores.Program();
    EXPECT_EQ(st.ReadFloat("Startup", "Altitude", 0), 123.4);
    EXPECT_EQ(st.ReadFloat("Startup", "TubeVelocity", 0), 0.9);
    EXPECT_EQ(st.ReadFloat("Startup", "Barometer", 0), 101.325);
    EXPECT_EQ(st.ReadFloat("Startup\\airon", "db", 0), 1.0 / 3.0);
    EXPECT_EQ(st.ReadFloat("Startup\\airoff", "db", 0), 177.3);
    EXPECT_EQ(st.ReadString("Startup\\coil", "Mnf", ""), "typical");
    EXPECT_EQ(st.ReadInteger("units", "OnCoilDB", -1), 1);
    EXPECT_EQ(st.ReadInteger("units", "TubeVelocity", -1), 2);
}

TEST(StartupSettingsTest, FirstRunAndUnusableValuesKeepTheDefaults)
{
    TStartupSettings defaults = sampleSettings();
    TMemorySettingsStore empty;
    TStartupSettings loaded = defaults;
    TWindowPlace main{10, 10, 586, 582, false, 0};
    LoadStartupSettings(empty, main, {1024, 768}, loaded);
    EXPECT_EQ(loaded.LastPath, defaults.LastPath);
    EXPECT_EQ(loaded.Start.dbi, 380);
    EXPECT_EQ(loaded.Start.LiquidCaption, "Thermal Oil");
    EXPECT_EQ(loaded.UnitIndex, defaults.UnitIndex);
    EXPECT_EQ(main.Width, 586);

    TMemorySettingsStore odd;
    odd.WriteString("Startup", "LiquidSpec", "99");
    odd.WriteString("Startup", "LiquidControl", "2");
    odd.WriteString("Startup", "Barometer", "high");
    odd.WriteString("Startup\\airon", "db", "500");
    LoadStartupSettings(odd, main, {1024, 768}, loaded);
    EXPECT_EQ(loaded.Start.LiquidSpec, 1);
    EXPECT_EQ(loaded.Start.LiquidControl, 1);
    EXPECT_EQ(loaded.Start.Pa, 101.325);
    EXPECT_EQ(loaded.Start.dbi, 500);
}

TEST(StartupSettingsTest, MakerContactDetails)
{
    TMemorySettingsStore software;
    software.WriteString("Quorvane", "email", "help@example.com");
    software.WriteString("Quorvane", "tel", "+1 555 0100");
    const TMakerContact contact = ReadMakerContact(software);
    EXPECT_EQ(contact.email, "help@example.com");
    EXPECT_EQ(contact.tel, "+1 555 0100");
    EXPECT_EQ(contact.company, "");
}

} // namespace
} // namespace zmk
