#include "units/ConvTools.h"

#include "base/NumText.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <unistd.h>

namespace zmk {

namespace fs = std::filesystem;

namespace {

// A scratch folder for one test, removed afterwards.
class TempDir
{
public:
    TempDir()
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = fs::temp_directory_path() / ("zmk-" + std::string(info->test_suite_name()) + "-" +
                                             info->name() + "-" + std::to_string(::getpid()));
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempDir() { fs::remove_all(path_); }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

std::string ReadBytes(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& file, const std::string& bytes)
{
    std::ofstream out(file, std::ios::binary);
    out << bytes;
}

} // namespace

TEST(ConvTools, RegistryHoldsTheQuantitiesInOrder)
{
    TQuantities q;
    ASSERT_EQ(q.List().size(), static_cast<std::size_t>(QuantityCount));
    std::string sections;
    std::set<std::string> names;
    for (const UnitRec* r : q.List()) {
        if (sections.empty() || sections.substr(sections.rfind(' ') + 1) != r->section)
            sections += " " + r->section;
        EXPECT_TRUE(names.insert(r->section + "/" + r->key).second) << r->section << "/" << r->key;
        EXPECT_EQ(r->display, ClampUnitIndex(r->kind, r->display)) << r->key;
        EXPECT_EQ(r->base, ClampUnitIndex(r->kind, r->base)) << r->key;
        EXPECT_EQ(r->label, UnitLabel(r->kind, r->display));
    }
    EXPECT_EQ(sections, " fat place air ref liquid steam sat wcc chiller plate barepipe hex general");
    EXPECT_EQ(q.List().front(), &q.fat_height);
    EXPECT_EQ(q.List().back(), &q.general_ice_rate);
    EXPECT_EQ(q.Find("air", "t"), &q.air_t);
    EXPECT_EQ(q.Find("air", "nothing"), nullptr);

    // Stored units that are not the list's reference unit, and their default displays.
    struct Row
    {
        const UnitRec& q;
        const char* stored;
        const char* shown;
    };
    const Row rows[] = {
        {q.air_dp, "Pa", "Pa"},
        {q.ref_p, "Pa", "kPa"},
        {q.ref_dp_rate, "kPa/m", "kPa/m"},
        {q.steam_p, "Bar", "Bar"},
        {q.hex_pipe_conn, "mm", "mm"},
        {q.general_fraction, "%", ""},
        {q.general_proportion, "%", ""},
        {q.general_cond_rate, "kg/s", "g/s"},
        {q.fat_height, "m", "inch"},
        {q.air_w, "kg/kg", "g/kg"},
        {q.air_rh, "", "%"},
        {q.hex_vol, "m³", "litre"},
        {q.ref_mass_flow, "kg/s", "kg/hr"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(UnitLabel(r.q.kind, r.q.base), r.stored) << r.q.section << "/" << r.q.key;
        EXPECT_EQ(r.q.label, r.shown) << r.q.section << "/" << r.q.key;
    }
}

TEST(ConvTools, AutoFormatChoosesDecimalsFromTheSize)
{
    struct Row
    {
        TUnitsType kind;
        int extra;
        long double x;
        const char* format;
    };
    const Row rows[] = {
        {utTemperature, 0, 0.85, "%0.3f"},
        {utTemperature, 0, 0.05, "%0.4f"},
        {utTemperature, 0, 0.005, "%0.5f"},
        {utTemperature, 0, 0.0005, "%0.3g"},
        {utTemperature, 0, -0.0005, "%0.3g"},
        {utTemperature, 0, 0.00002, "%0.3g"},
        {utTemperature, 0, 5, "%0.2f"},
        {utTemperature, 0, 21.3, "%0.1f"},
        {utTemperature, 0, -21.3, "%0.1f"},
        {utTemperature, 0, 99.99, "%0.1f"},
        {utTemperature, 0, 100, "%0.0f"},
        {utTemperature, 0, 1234.5, "%0.0f"},
        {utTemperature, 0, 0, "%0.0f"},
        {utTemperature, 0, 1e-12, "%0.0f"},
        {utTemperature, 0, 2.5e9, "%0.0g"},
        {utTemperature, 0, 1e9, "%0.0g"},
        {utTemperature, 0, 999999999.5, "%0.0f"},
        // Doubles just above a limit count as above it: the limits are extended constants.
        {utTemperature, 0, static_cast<double>(0.1), "%0.3f"},
        {utTemperature, 0, static_cast<double>(0.01), "%0.4f"},
        {utTemperature, 0, static_cast<double>(0.001), "%0.5f"},
        {utTemperature, 0, 0.1L, "%0.4f"},
        {utTemperature, 0, 0.001L, "%0.3g"},
        {utPressureBar, 0, 101.325, "%0.3f"},
        {utPressureBar, 0, 14.696, "%0.4f"},
        {utPressureBar, 1, 101.325, "%0.1f"},
        {utTemperature, 2, 21.3, "%0.3f"},
        {utTemperature, -5, 21.3, "%0.0f"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(AutoFormat(r.kind, r.extra, r.x), r.format) << static_cast<double>(r.x);
}

TEST(ConvTools, FormatsStoredValuesInTheDisplayUnit)
{
    TQuantities q;
    EXPECT_EQ(FormatQuantity("%s %s", q.air_t, false, 20), "20.0 °C");
    q.air_t.display = 1;
    EXPECT_EQ(FormatQuantity("%s %s", q.air_t, false, 20), "68.0 °F");
    q.air_t.display = 2;
    EXPECT_EQ(FormatQuantity("%s %s", q.air_t, false, 20), "293 K");
    EXPECT_EQ(FormatQuantity("%s %s", q.air_t, true, 20), "293.15 K");
    EXPECT_EQ(q.air_t.format, "%0.2f");
    q.air_dt.display = 1;
    EXPECT_EQ(QuantityText(q.air_dt, false, "", false, 10), "18.0");

    q.air_dp.display = 0;
    EXPECT_EQ(FormatQuantity("%s %s", q.air_dp, true, 150), "0.150 kPa");
    EXPECT_EQ(q.air_dp.label, "kPa");
    EXPECT_EQ(q.air_dp.format, "%0.3f");
    EXPECT_EQ(FormatQuantity("%s %s", q.air_dp, false, 150), "0.150 kPa");

    EXPECT_EQ(QuantityText(q.air_w, false, "", false, 0.0085), "8.50");
    EXPECT_EQ(q.air_w.label, "g/kg");
    EXPECT_EQ(FormatQuantity("%s %s", q.air_rh, false, 0.5), "50.0 %");
    EXPECT_EQ(FormatQuantity("%s %s", q.general_fraction, false, 25), "0.250 ");
    EXPECT_EQ(FormatQuantity("%s%s", q.place_barom_pressure, false, 101.325), "101.325kPa");
    EXPECT_EQ(FormatQuantity("<td>%s %s</td>", q.liquid_t, false, 82), "<td>82.0 °C</td>");
    EXPECT_EQ(FormatQuantity("Inlet Temp,%s,%s", q.liquid_t, false, 7.25), "Inlet Temp,7.25,°C");
    EXPECT_EQ(
        FormatQuantity("<caption>Coil process (Pa=%s %s)</caption>", q.place_barom_pressure, false, 101.325),
        "<caption>Coil process (Pa=101.325 kPa)</caption>");

    // Size-driven formats, on a quantity shown in its stored unit.
    EXPECT_EQ(QuantityText(q.hex_energy, false, "", false, 1e-12), "0");
    EXPECT_EQ(QuantityText(q.hex_energy, false, "", false, -0.0005), "-0.0005");
    EXPECT_EQ(QuantityText(q.hex_energy, false, "", false, 0.00002), "2E-005");
    EXPECT_EQ(QuantityText(q.hex_energy, false, "", false, 2.5e9), "2.5E009");
    EXPECT_EQ(QuantityText(q.fat_length, false, "", false, 0.1), "100");
    EXPECT_EQ(QuantityText(q.sat_length, false, "", false, 0.1), "0.100");
    EXPECT_EQ(QuantityText(q.sat_length, false, "", false, 0.01), "0.0100");

    // Separators in use: blank, comma, tab.
    EXPECT_EQ(QuantityText(q.liquid_t, true, " ", false, 82), "82.0 °C");
    EXPECT_EQ(QuantityText(q.liquid_t, true, ",", false, 82), "82.0,°C");
    EXPECT_EQ(QuantityText(q.liquid_t, true, "\t", false, 82), "82.0\t°C");
}

TEST(ConvTools, FormatsPairsWithTheFormatOfTheFirstValue)
{
    TQuantities q;
    EXPECT_EQ(FormatQuantityPair("%s %s", q.liquid_t, false, 82, 71.5), "82.0/71.5 °C");
    EXPECT_EQ(FormatQuantityPair("%s %s", q.liquid_t, false, 8.5, 12), "8.50/12.00 °C");
    EXPECT_EQ(q.liquid_t.format, "%0.2f");
    q.liquid_t.display = 1;
    EXPECT_EQ(QuantityPairText(q.liquid_t, true, " ", false, 100, 0), "212/32 °F");
    EXPECT_EQ(QuantityPairText(q.liquid_t, false, " ", true, 100, 0), "212.0/32.0");
}

TEST(ConvTools, DisplayChangeTakesEffectAtTheNextOutput)
{
    TQuantities q;
    EXPECT_EQ(QuantityText(q.fat_height, true, " ", true, 0.5), "19.69 inch");
    q.fat_height.display = 2;
    EXPECT_EQ(QuantityText(q.fat_height, true, " ", true, 0.5), "500.0 mm");
    EXPECT_EQ(q.fat_height.label, "mm");
    q.fat_height.display = 99; // a stray index is clamped, never read past the list
    EXPECT_EQ(QuantityText(q.fat_height, true, " ", true, 0.5), "1.640 ft");
}

TEST(ConvTools, MetricAndImperialSets)
{
    TQuantities q;
    SetAllImperial(q);
    EXPECT_EQ(q.fat_fin_spacing.display, 0);
    EXPECT_EQ(FormatQuantity("%s %s", q.fat_fin_spacing, false, 12), "12.0 fpi");
    EXPECT_EQ(FormatQuantity("%s %s", q.air_v, false, 2.5), "492 fpm");
    EXPECT_EQ(FormatQuantity("%s %s", q.liquid_vol_flow, false, 1), "15.9 usgpm");
    EXPECT_EQ(FormatQuantity("%s %s", q.air_dp, false, 2 * 249.08891), "2.00 InchWg");
    EXPECT_EQ(FormatQuantity("%s %s", q.place_barom_pressure, false, 101.325), "29.8909 InchHg");
    EXPECT_EQ(FormatQuantity("%s %s", q.air_t, false, 20), "68.0 °F");
    EXPECT_EQ(FormatQuantity("%s %s", q.general_cond_rate, false, 0.001), "7.94 lb/hr");
    // Both sets of the proportion kind are the plain fraction, which has no label: relative
    // humidity keeps its own percent, a fraction stays a fraction.
    EXPECT_EQ(FormatQuantity("%s%s", q.air_rh, false, 0.5), "50.0%");
    EXPECT_EQ(q.general_fraction.display, 0);

    SetAllMetric(q);
    EXPECT_EQ(FormatQuantity("%s %s", q.fat_fin_spacing, false, 12), "472 fins/m");
    EXPECT_EQ(FormatQuantity("%s %s", q.fat_height, false, 0.5), "500 mm");
    EXPECT_EQ(FormatQuantity("%s %s", q.air_rh, false, 0.5), "50.0 %");
    EXPECT_EQ(q.air_rh.label, "%");
    EXPECT_EQ(FormatQuantity("%s %s", q.hex_energy, false, 7200), "2.00 kW-hr");
    EXPECT_EQ(q.air_vol_flow.display, 0);
    EXPECT_EQ(q.air_dp.display, 1);

    q.ResetDefaults();
    EXPECT_EQ(q.air_rh.display, 1);
    EXPECT_EQ(q.fat_height.display, 3);
    EXPECT_EQ(q.fat_height.label, "inch");
    EXPECT_EQ(q.DefaultDisplay(q.air_w), 1);
}

TEST(ConvTools, SharedRegistryCanBeReset)
{
    TQuantities& q = Quantities();
    SetAllImperial();
    EXPECT_EQ(q.air_t.display, 1);
    q.ResetDefaults();
    EXPECT_EQ(q.air_t.display, 0);
    EXPECT_EQ(&Quantities(), &q);
}

TEST(ConvTools, UnitsFileWithDefaults)
{
    TempDir dir;
    const fs::path file = dir.path() / "Quorvane" / "Coils" / "units.ini";
    TQuantities q;
    ASSERT_TRUE(SaveUnitSettings(q, file)); // creates the missing folders
    const std::string bytes = ReadBytes(file);
    EXPECT_EQ(bytes.rfind("[fat]\r\nheight=3\r\nlength=2\r\n", 0), 0u);
    const std::string air =
        "[air]\r\nmass_flow=0\r\nvol_flow=0\r\nt=0\r\nh=0\r\nw=1\r\ncp=0\r\nk=0\r\nrh=1\r\n"
        "rho=0\r\nv=0\r\ndp=1\r\ndt=0\r\nmc=0\r\n\r\n[ref]\r\n";
    EXPECT_NE(bytes.find(air), std::string::npos) << bytes;
    EXPECT_EQ(bytes.find('\n'), bytes.find("\r\n") + 1);
    EXPECT_EQ(bytes.substr(bytes.size() - 12), "ice_rate=0\r\n");
    EXPECT_NE(
        bytes.find("[general]\r\nduty_rate=0\r\ntime=0\r\nfraction=0\r\nproportion=0\r\nrespiration=0\r\n"
                   "cond_rate=0\r\nice_rate=0\r\n"),
        std::string::npos);
}

TEST(ConvTools, UnitsFileRoundTrip)
{
    TempDir dir;
    const fs::path file = dir.path() / "units.ini";
    TQuantities saved;
    SetAllImperial(saved);
    saved.air_rh.display = 1;
    saved.hex_vol.display = 4;
    ASSERT_TRUE(SaveUnitSettings(saved, file));

    TQuantities loaded;
    LoadUnitSettings(loaded, file);
    for (std::size_t i = 0; i < saved.List().size(); ++i)
        EXPECT_EQ(loaded.List()[i]->display, saved.List()[i]->display) << saved.List()[i]->key;
    EXPECT_EQ(FormatQuantity("%s %s", loaded.air_t, false, 20), "68.0 °F");

    // Saving again keeps other content of the file and changes only the values.
    WriteBytes(file, ReadBytes(file) + "\r\n[notes]\r\nwho=me\r\n");
    loaded.ResetDefaults();
    ASSERT_TRUE(SaveUnitSettings(loaded, file));
    const std::string bytes = ReadBytes(file);
    EXPECT_NE(bytes.find("[notes]\r\nwho=me\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("[air]\r\nmass_flow=0\r\n"), std::string::npos);
}

TEST(ConvTools, UnitsFileBadContent)
{
    TempDir dir;
    const fs::path file = dir.path() / "units.ini";
    TQuantities q;
    q.air_v.display = 1;

    LoadUnitSettings(q, dir.path() / "missing.ini"); // nothing happens
    EXPECT_EQ(q.air_v.display, 1);

    WriteBytes(
        file,
        "[air]\nt=9\nw=-3\nv=fast\nrho=\n h = 2 \ndp=$0\n[AIR]\nmass_flow=1\n[fat]\nheight=99999999999\n");
    LoadUnitSettings(q, file);
    EXPECT_EQ(q.air_t.display, 2);         // clamped to the last index
    EXPECT_EQ(q.air_w.display, 0);         // clamped to the first
    EXPECT_EQ(q.air_v.display, 1);         // not an integer: kept
    EXPECT_EQ(q.air_rho.display, 0);       // empty: kept
    EXPECT_EQ(q.air_h.display, 1);         // blanks around key and value are ignored; clamped
    EXPECT_EQ(q.air_dp.display, 0);        // hexadecimal integer
    EXPECT_EQ(q.air_mass_flow.display, 1); // section names match in any case
    EXPECT_EQ(q.air_cp.display, 0);        // missing: kept
    EXPECT_EQ(q.fat_height.display, 4);
}

TEST(ConvTools, UnitsFileFolderThatCannotBeCreated)
{
    TempDir dir;
    WriteBytes(dir.path() / "Coils", "a file in the way");
    TQuantities q;
    EXPECT_FALSE(SaveUnitSettings(q, dir.path() / "Coils" / "units.ini"));
    EXPECT_EQ(ReadBytes(dir.path() / "Coils"), "a file in the way");
    // A folder where the file should be: nothing read, nothing written.
    fs::create_directories(dir.path() / "units.ini");
    q.air_t.display = 1;
    LoadUnitSettings(q, dir.path() / "units.ini");
    EXPECT_EQ(q.air_t.display, 1);
    EXPECT_FALSE(SaveUnitSettings(q, dir.path() / "units.ini"));
    EXPECT_TRUE(fs::is_directory(dir.path() / "units.ini"));
}

TEST(ConvTools, UnitsFilePathFollowsXdgDataHome)
{
    const char* old = std::getenv("XDG_DATA_HOME");
    const std::string saved = old ? old : "";
    ::setenv("XDG_DATA_HOME", "/data/here", 1);
    EXPECT_EQ(UnitsIniPath(), fs::path("/data/here/Quorvane/Coils/units.ini"));
    ::setenv("XDG_DATA_HOME", "relative/dir", 1); // not absolute: ignored
    EXPECT_EQ(UnitsIniPath().filename(), "units.ini");
    EXPECT_NE(UnitsIniPath().string().find("/.local/share/Quorvane/Coils/"), std::string::npos);
    if (old)
        ::setenv("XDG_DATA_HOME", saved.c_str(), 1);
    else
        ::unsetenv("XDG_DATA_HOME");
}

} // namespace zmk
