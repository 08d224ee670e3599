// The pressure calculator: its two fields and how each follows the other, the shared settings
// read at creation and written at every close, and a place taken from the picker, with and
// without design temperatures.
#include "dialogs/AltBarom.h"

#include "support/FieldTyping.h"

#include "base/NumText.h"
#include "properties/Psy.h"
#include "support/LocationTestData.h"

#include <gtest/gtest.h>

namespace zmk {
namespace {

using test::TypeAndExit;

using loctest::LocationFolder;

double Number(const TFmtEdit& field)
{
    return static_cast<double>(field.GetValue().AsNumber());
}

// Runs the picker as its dialog would: shown, the place clicked, accepted or cancelled, closed.
std::function<bool(TSelectLocation&)> Pick(const std::string& database, const std::string& region,
                                           const std::string& place, bool accept = true)
{
    return [=](TSelectLocation& picker) {
        picker.Show();
        const auto at = [](const std::vector<std::string>& list, const std::string& s) {
            return static_cast<int>(std::find(list.begin(), list.end(), s) - list.begin());
        };
        picker.SelectDatabase(at(picker.Databases(), database));
        picker.SelectRegion(at(picker.Regions(), region));
        picker.SelectPlace(at(picker.Places(), place));
        const bool ok = accept && picker.Accept();
        if (!ok)
            picker.Cancel();
        picker.Close();
        return ok;
    };
}

class AltBaromTest : public ::testing::Test
{
protected:
    std::unique_ptr<TAltBarom> Make()
    {
        auto b = std::make_unique<TAltBarom>(common, program, data.Folder(), &notes, &flag);
        b->Show();
        return b;
    }

    LocationFolder data;
    TMemorySettingsStore common, program;
    RecordingNotifier notes;
    TEntryErrorFlag flag;
};

TEST_F(AltBaromTest, FieldsAndTheirDefaults)
{
    auto b = Make();
    EXPECT_EQ(b->edPa.UnitsType(), utPressureBar);
    EXPECT_EQ(b->edAlt.UnitsType(), utAltitude);
    EXPECT_EQ(b->edPa.Text(), "101.325");
    EXPECT_EQ(b->edAlt.Text(), "0.0");
    EXPECT_EQ(b->edPa.RangeLo(), 70);
    EXPECT_EQ(b->edAlt.RangeHi(), 3063.8);
    EXPECT_EQ(b->Status(), "Ready...");
    EXPECT_FALSE(b->PlacePicked());
    // The range ends correspond to each other through a standard atmosphere; ours puts them
    // about 50 m apart from the ranges' own figures (-1450 m at 120 kPa, 3012 m at 70 kPa).
    EXPECT_NEAR(Altitude(120), kBaromAltitudeField.RangeLo, 60.0);
    EXPECT_NEAR(Altitude(70), kBaromAltitudeField.RangeHi, 60.0);
}

TEST_F(AltBaromTest, TypingOneValueComputesTheOther)
{
    auto b = Make();
    const struct
    {
        bool pressure; // typed into edPa, else edAlt
        const char* typed;
        double P, z; // expected, kPa and m
        const char* shownPa;
        const char* shownAlt;
        const char* status;
        bool bounded;
    } cases[] = {
        {true, "101.325", 101.325, Altitude(101.325), "101.325", "0.0", "Pressure modified by user", false},
        {false, "1500", AtmPressure(1500), 1500, nullptr, "1500.0", "Altitude modified by user", false},
        {true, "90", 90, Altitude(90), "90.000", nullptr, "Pressure modified by user", false},
        // Out of range: the field takes the bound, and the other value follows from it.
        {true, "130", 120, Altitude(120), "120.000", nullptr, "Pressure modified by user", true},
        {false, "5000", AtmPressure(3063.8), 3063.8, nullptr, "3063.8", "Altitude modified by user", true},
    };
    for (const auto& c : cases) {
        flag.Clear();
        TypeAndExit(c.pressure ? b->edPa : b->edAlt, c.typed);
        EXPECT_NEAR(b->Pressure(), c.P, 1e-9) << c.typed;
        EXPECT_NEAR(b->Altitude(), c.z, 1e-9) << c.typed;
        EXPECT_NEAR(Number(b->edPa), c.P, 5e-4) << c.typed;
        EXPECT_NEAR(Number(b->edAlt), c.z, 0.05) << c.typed;
        EXPECT_EQ(b->edPa.Text(), c.shownPa ? c.shownPa : Format("%0.3f", c.P)) << c.typed;
        EXPECT_EQ(b->edAlt.Text(), c.shownAlt ? c.shownAlt : Format("%0.1f", c.z)) << c.typed;
        EXPECT_EQ(b->Status(), c.status);
        EXPECT_EQ(flag.IsSet(), c.bounded) << c.typed;
    }

    // Leaving a field unchanged does nothing; a text that is no number puts the value back.
    b->Show();
    b->edPa.Enter();
    b->edPa.Exit();
    EXPECT_EQ(b->Status(), "Ready...");
    b->edAlt.Enter();
    b->edAlt.EditText("1E-");
    b->edAlt.Exit();
    EXPECT_EQ(b->edAlt.Text(), "3063.8");
    EXPECT_EQ(b->Status(), "Ready...");
    EXPECT_EQ(notes.beeps, 1);
}

TEST_F(AltBaromTest, PlaceFromThePicker)
{
    auto b = Make();
    // A place with design temperatures: the status names them.
    b->SearchForLocation(Pick("Africa", "South Africa", "Pretoria"));
    EXPECT_EQ(b->edAlt.Text(), "1753.0");
    EXPECT_EQ(b->edPa.Text(), Format("%0.3f", AtmPressure(1753)));
    EXPECT_EQ(b->Status(), "Pretoria: 29.5/17.2 °C");
    EXPECT_TRUE(b->PlacePicked());
    EXPECT_EQ(b->LastLocation(), "Pretoria, South Africa");
    EXPECT_EQ(b->PickedPlace()->Altitude, 1753.0f);

    // Typing clears the flag.
    TypeAndExit(b->edAlt, "1000");
    EXPECT_FALSE(b->PlacePicked());

    // Our own data has none: the status gives the altitude instead.
    b->SearchForLocation(Pick("Africa", "South Africa", "Johannesburg OR Tambo Intl"));
    EXPECT_EQ(b->Status(), "Johannesburg OR Tambo Intl: altitude 1694 m");
    EXPECT_EQ(b->edAlt.Text(), "1694.1");
    EXPECT_NEAR(b->Pressure(), AtmPressure(1694.1f), 1e-12);

    // The picker opens on the last place (Preset), and Cancel there changes nothing.
    b->SearchForLocation([](TSelectLocation& picker) {
        picker.Show();
        EXPECT_EQ(picker.LocationName(), "Johannesburg OR Tambo Intl, South Africa");
        picker.Cancel();
        picker.Close();
        return false;
    });
    EXPECT_EQ(b->edAlt.Text(), "1694.1");
    EXPECT_EQ(b->LastLocation(), "Johannesburg OR Tambo Intl, South Africa");
}

TEST_F(AltBaromTest, PlaceWithoutAUsableAltitudeChangesNothing)
{
    loctest::LocationFolder damaged;
    TLocationRecord bad = loctest::Place(1, 1, "Nowhere", 0, 0, 0, NAN);
    TLocationRecord high = loctest::Place(1, 1, "Orbit", 0, 0, 0, 4.0e5f);
    damaged.Write("Africa.wdb", EncodeLocationRecord(bad) + EncodeLocationRecord(high));
    TAltBarom b(common, program, damaged.Folder(), &notes, &flag);
    b.Show();
    b.SetAltitude(250);
    for (const char* place : {"Nowhere", "Orbit"}) {
        b.SearchForLocation(Pick("Africa", "South Africa", place));
        EXPECT_EQ(b.Status(), std::string(place) + ": altitude not known...");
        EXPECT_EQ(b.edAlt.Text(), "250.0");
        EXPECT_FALSE(b.PlacePicked());
        EXPECT_EQ(b.LastLocation(), "");
    }
}

TEST_F(AltBaromTest, SharedSettingsWrittenAtEveryCloseAndReadAtCreation)
{
    {
        auto b = Make();
        b->SearchForLocation(Pick("Europe", "Switzerland", "Zürich"));
        b->lbPaUnits.ApplyChosenUnit(1);  // Psi, chosen at the unit label
        b->lbAltUnits.ApplyChosenUnit(1); // ft
        TypeAndExit(b->edAlt, "1000");    // ft
        b->Cancel();
        TWindowPlace place{120, 80, 250, 150, true, 0};
        b->Close(&place);
        EXPECT_EQ(b->Result(), TBaromResult::Cancel);
    }
    // Cancel still stores what the fields hold, in the stored units.
    EXPECT_EQ(common.ReadInteger("Barometer", "Pressure units", -1), 1);
    EXPECT_EQ(common.ReadInteger("Barometer", "Altitude units", -1), 1);
    EXPECT_EQ(common.ReadString("Barometer", "LastLocation", ""), "Zürich, Switzerland");
    EXPECT_NEAR(common.ReadFloat("Barometer", "Altitude", 0), 304.8, 1e-9);
    EXPECT_NEAR(common.ReadFloat("Barometer", "Pressure", 0), AtmPressure(304.8), 5e-4); // as shown in Psi
    EXPECT_EQ(program.ReadInteger("AltBaromForm", "Left", 0), 120);

    auto again = Make();
    EXPECT_EQ(again->edPa.FormatStr(), "%0.4f");
    EXPECT_EQ(again->lbPaUnits.Caption(), "Psi");
    EXPECT_EQ(again->edAlt.Text(), "1000.0");
    EXPECT_NEAR(again->Altitude(), 304.8, 1e-9);
    EXPECT_EQ(again->LastLocation(), "Zürich, Switzerland");
    TWindowPlace restored{0, 0, 400, 300, false, 0};
    again->RestoreWindowPlace(restored, {1920, 1080});
    EXPECT_EQ(restored.Left, 120);
    EXPECT_EQ(restored.Width, 400); // position only

    // Accept commits the field being typed in.
    again->edAlt.SetUnitsValue(0);
    again->edAlt.Enter();
    again->edAlt.EditText("2000");
    again->Accept(&again->edAlt);
    EXPECT_EQ(again->Result(), TBaromResult::Ok);
    EXPECT_EQ(again->Altitude(), 2000);
    EXPECT_NEAR(again->Pressure(), AtmPressure(2000), 5e-4); // read from the field, as shown
    EXPECT_EQ(again->Status(), "Altitude modified by user");
}

TEST_F(AltBaromTest, ForeignSettingsFallBackToTheDefaults)
{
    common.WriteString("Barometer", "Pressure", "1e300");
    common.WriteString("Barometer", "Altitude", "nan");
    common.WriteString("Barometer", "Pressure units", "99");
    common.WriteString("Barometer", "Altitude units", "-4");
    auto b = Make();
    EXPECT_EQ(b->Pressure(), 101.325);
    EXPECT_EQ(b->Altitude(), 0);
    EXPECT_EQ(b->edPa.UnitsValue(), UnitCount(utPressureBar) - 1);
    EXPECT_EQ(b->edAlt.UnitsValue(), 0);
    EXPECT_EQ(b->edAlt.Text(), "0.0");
}

} // namespace
} // namespace zmk
