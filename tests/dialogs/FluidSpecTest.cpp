// The fluid specification dialog on a liquid of its own: the grid built from its lines, the
// enabling rules as the user picks a kind, an additive or user properties, the eight steps of a
// committed row, the status line, Cancel, and the units, widths and place it remembers.
#include "dialogs/FluidSpec.h"

#include "base/Errors.h"
#include "base/Notifier.h"
#include "properties/Fluid.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zmk {
namespace {

class FluidSpecTest : public ::testing::Test
{
protected:
    std::unique_ptr<TFluidSpec> Make(TLiquid& l)
    {
        auto d = std::make_unique<TFluidSpec>(program, &notes, &flag);
        d->SetLiquid(&l);
        d->Activate();
        return d;
    }
    // Which of rows 1..12 are enabled, as a text of twelve 0s and 1s.
    static std::string Enabled(const TFluidSpec& d)
    {
        std::string s;
        for (int r = 1; r < TFluidSpec::kRowCount; ++r)
            s += d.Row(r).Enabled ? '1' : '0';
        return s;
    }

    TLiquid water{"Water", 0, 1.2, 60, 50};
    TLiquid oil{"Thermal Oil", 1, 1.2, 80, 100};
    TMemorySettingsStore program;
    RecordingNotifier notes;
    TEntryErrorFlag flag;
};

TEST_F(FluidSpecTest, GridIsBuiltFromItsLines)
{
    auto d = Make(water);
    const char* properties[] = {"Property",      "Temperature",       "Pressure",     "Fluid type",
                                "Additive",      "Additive Volume",   "User Defined", "Density",
                                "Specific Heat", "Dynamic viscosity", "Conductivity", "Valid From",
                                "Valid To"};
    const char* units[] = {"Units", "°C",      "Bar", "",      "",   "%", "",
                           "kg/m³", "kJ/kg·K", "cP",  "W/m·K", "°C", "°C"};
    for (int r = 0; r < TFluidSpec::kRowCount; ++r) {
        EXPECT_EQ(d->CellText(r, 0), properties[r]) << r;
        EXPECT_EQ(d->CellText(r, 2), units[r]) << r;
    }
    EXPECT_EQ(d->CellText(0, 1), "Value");
    ASSERT_EQ(d->Row(frFluidType).Choices.size(), 14u);
    EXPECT_EQ(d->Row(frFluidType).Choices[13], "Compressed Air");
    EXPECT_EQ(d->Row(frAdditive).Choices,
              (std::vector<std::string>{"None", "Ethylene Glycol", "Propylene Glycol", "Calcium Chloride"}));
    EXPECT_EQ(d->Row(frUserDefined).Choices, (std::vector<std::string>{"False", "True"}));
    // Ranges in the held units.
    EXPECT_EQ(d->Row(frTemperature).Edit->RangeLo(), -60);
    EXPECT_EQ(d->Row(frPressure).Edit->RangeHi(), 10);
    EXPECT_EQ(d->Row(frAdditiveVolume).Edit->RangeHi(), 0.45);
    EXPECT_EQ(d->Row(frViscosity).Edit->RangeLo(), 1e-9);
    EXPECT_EQ(d->CellText(frFluidType, 1), "Water");
    EXPECT_EQ(d->CellText(frPressure, 1), "5.00000"); // 5 bar, in the display unit's format
    EXPECT_THROW(d->FillRows({1, 2, 3}), ZmkError);
}

TEST_F(FluidSpecTest, HeldValuesShowInTheirDisplayUnits)
{
    auto d = Make(water);
    d->FillRows({10, 5, 0, 0, 0, 0, 999.7, 4.19, 0.0013, 0.000583, 0, 300});
    EXPECT_EQ(d->CellText(frViscosity, 1), "1.3");
    EXPECT_EQ(d->CellText(frConductivity, 1), "0.583");
    EXPECT_EQ(d->CellText(frTemperature, 1), "10.0");

    // Another unit from the "Units" cell: the exact value again, in that unit's format.
    d->Row(frViscosity).Units->ApplyChosenUnit(0);
    EXPECT_EQ(d->CellText(frViscosity, 1), "0.0013");
    EXPECT_EQ(d->CellText(frViscosity, 2), "kg/m·s");
    d->Row(frTemperature).Units->ApplyChosenUnit(1);
    EXPECT_EQ(d->CellText(frTemperature, 1), "50.0");
}

TEST_F(FluidSpecTest, EnablingRules)
{
    // Thermal oil: no additive, no pressure, the computed properties shown but not editable.
    auto d = Make(oil);
    EXPECT_EQ(Enabled(*d), "101001000000");
    EXPECT_EQ(d->CellText(frAdditive, 1), "None");
    EXPECT_EQ(d->CellText(frAdditiveVolume, 1), "0.0");
    EXPECT_DOUBLE_EQ(d->Row(frDensity).Value, oil.ro);
    EXPECT_DOUBLE_EQ(d->Row(frViscosity).Value, oil.mu);

    // Compressed air enables the pressure (its density), and so do water and condensed steam (their
    // boiling point); any other kind disables it again.
    d->ChooseRow(frFluidType, 13);
    EXPECT_TRUE(d->Row(frPressure).Enabled);
    EXPECT_EQ(oil.LiquidSpec, 13);
    d->ChooseRow(frFluidType, 2);
    EXPECT_FALSE(d->Row(frPressure).Enabled);
    d->ChooseRow(frFluidType, 12);
    EXPECT_TRUE(d->Row(frPressure).Enabled);
    d->EnterRowText(frPressure, "8");
    EXPECT_DOUBLE_EQ(oil.Pf, 8);

    // Water, then ethylene glycol: the volume is enabled at a usual 30 %, and the properties and
    // the caption are the mixture's at once; "None" again disables it at 0.
    d->ChooseRow(frFluidType, 0);
    EXPECT_EQ(Enabled(*d), "111101000000");
    TTransportProps clean;
    CleanWaterProps(clean, oil.t);
    d->ChooseRow(frAdditive, 1);
    EXPECT_TRUE(d->Row(frAdditiveVolume).Enabled);
    EXPECT_EQ(d->CellText(frAdditiveVolume, 1), "30.0");
    EXPECT_DOUBLE_EQ(oil.AdditiveVolume, 0.3);
    EXPECT_DOUBLE_EQ(oil.ro, MixtureRo(1, 0.3, oil.t));
    EXPECT_NE(oil.ro, clean.ro);
    EXPECT_DOUBLE_EQ(d->Row(frDensity).Value, oil.ro);
    EXPECT_EQ(oil.Caption, "Water (30% Ethylene Glycol)");
    d->EnterRowText(frAdditiveVolume, "20");
    EXPECT_DOUBLE_EQ(oil.AdditiveVolume, 0.2);
    EXPECT_DOUBLE_EQ(oil.ro, MixtureRo(1, 0.2, oil.t));
    EXPECT_EQ(oil.Caption, "Water (20% Ethylene Glycol)");
    d->ChooseRow(frAdditive, 0);
    EXPECT_FALSE(d->Row(frAdditiveVolume).Enabled);
    EXPECT_DOUBLE_EQ(oil.AdditiveVolume, 0);
    EXPECT_EQ(d->CellText(frAdditiveVolume, 1), "0.0");

    // A kind other than water takes the additive away.
    d->ChooseRow(frAdditive, 2);
    d->ChooseRow(frFluidType, 4);
    EXPECT_EQ(oil.WaterAdditive, 0);
    EXPECT_EQ(Enabled(*d), "101001000000");
    // Disabled rows take no input.
    d->ChooseRow(frAdditive, 1);
    d->EnterRowText(frDensity, "900");
    EXPECT_EQ(oil.WaterAdditive, 0);
    EXPECT_NE(oil.ro, 900);
}

TEST_F(FluidSpecTest, UserPropertiesStartFromTheLastComputedOnes)
{
    auto d = Make(water);
    d->EnterRowText(frTemperature, "20");
    const double ro20 = water.ro;
    d->ChooseRow(frUserDefined, 1);
    EXPECT_TRUE(water.UserProps);
    EXPECT_EQ(Enabled(*d), "111101111111"); // the additive rule has the last word on "Additive"
    // The values start from water's at 20 °C, and so does the range they hold over, which the
    // user may change with them: an end moved past the other takes it along.
    EXPECT_EQ(water.UserTMin, 0);
    EXPECT_EQ(water.UserTMax, 300);
    EXPECT_EQ(d->Status(), "Valid range = [0.0 .. 300.0] °C");
    EXPECT_EQ(d->CellText(frValidTo, 1), "300.0");
    d->EnterRowText(frValidTo, "90");
    EXPECT_EQ(water.UserTMax, 90);
    EXPECT_EQ(water.TMax, 90);
    EXPECT_EQ(d->Status(), "Valid range = [0.0 .. 90.0] °C");
    d->EnterRowText(frValidFrom, "120");
    EXPECT_EQ(water.UserTMin, 120);
    EXPECT_EQ(water.UserTMax, 120);
    EXPECT_EQ(d->CellText(frValidTo, 1), "120.0");
    EXPECT_EQ(d->StatusColour(), kMaroon); // the mean of 20 °C lies below it
    d->EnterRowText(frValidFrom, "10");
    EXPECT_DOUBLE_EQ(d->Row(frDensity).Value, ro20);
    EXPECT_EQ(water.GetName(), "User Specified Fluid");
    d->EnterRowText(frDensity, "1100");
    EXPECT_DOUBLE_EQ(water.ro, 1100);
    EXPECT_DOUBLE_EQ(water.UserRo, 1100);
    // A temperature no longer changes the properties.
    d->EnterRowText(frTemperature, "80");
    EXPECT_DOUBLE_EQ(water.ro, 1100);
    EXPECT_DOUBLE_EQ(water.Pr, water.UserCp * water.UserMu / water.UserKo);
    d->ChooseRow(frUserDefined, 0);
    EXPECT_NEAR(water.ro, 971.8, 0.5);
    EXPECT_EQ(Enabled(*d), "111101000000");

    // Values started from calcium chloride hold over its range, whatever range the liquid kept.
    d->ChooseRow(frFluidType, 5);
    water.UserTMin = 70;
    water.UserTMax = 71;
    d->ChooseRow(frUserDefined, 1);
    EXPECT_EQ(water.UserTMin, -50);
    EXPECT_EQ(water.UserTMax, 50);
    EXPECT_EQ(water.TMax, 50);
    // Cancel puts the range back with the values.
    d->Cancel();
    EXPECT_FALSE(water.UserProps);
    EXPECT_EQ(water.UserTMin, 0);
    EXPECT_EQ(water.UserTMax, 300);
}

TEST_F(FluidSpecTest, TemperatureMovesTheOutletAndCancelPutsBothBack)
{
    TLiquid l("Water", 0, 1.2, 60, 40); // mean 50 °C
    auto d = Make(l);
    d->EnterRowText(frTemperature, "40");
    EXPECT_DOUBLE_EQ(l.t, 40);
    EXPECT_DOUBLE_EQ(l.tfo, 20);
    d->ChooseRow(frFluidType, 3);
    d->Cancel();
    EXPECT_EQ(d->Result(), TDialogResult::Cancel);
    EXPECT_DOUBLE_EQ(l.t, 50);
    EXPECT_DOUBLE_EQ(l.tfo, 40);
    EXPECT_EQ(l.LiquidSpec, 0);
    TTransportProps clean;
    CleanWaterProps(clean, 50);
    EXPECT_DOUBLE_EQ(l.ro, clean.ro);

    // Accepted changes stay.
    d->Activate();
    d->EnterRowText(frTemperature, "45");
    d->Accept();
    d->Cancel(); // nothing taken since the acceptance
    EXPECT_DOUBLE_EQ(l.t, 45);
}

TEST_F(FluidSpecTest, StatusLineGivesTheValidRange)
{
    auto d = Make(water);
    EXPECT_EQ(d->Status(), "Valid range = [0.0 .. 300.0] °C");
    EXPECT_EQ(d->StatusColour(), kTeal);
    d->EnterRowText(frTemperature, "350");
    EXPECT_EQ(d->Status(), "Valid range = [0.0 .. 300.0] °C");
    EXPECT_EQ(d->StatusColour(), kMaroon);
    d->Row(frTemperature).Units->ApplyChosenUnit(1);
    d->ShowValidRange();
    EXPECT_EQ(d->Status(), "Valid range = [32.0 .. 572.0] °F");

    TFluidSpec fresh(program, &notes, &flag);
    EXPECT_EQ(fresh.Status(), "Status...");
}

TEST_F(FluidSpecTest, AValueTheLiquidCannotBeEvaluatedAtChangesNothing)
{
    auto d = Make(water);
    const TLiquid before = water;
    d->Row(frTemperature).Value = NAN;
    d->RowChanged(frTemperature);
    EXPECT_EQ(notes.messages.size(), 1u);
    EXPECT_DOUBLE_EQ(water.t, before.t);
    EXPECT_DOUBLE_EQ(water.ro, before.ro);
    EXPECT_DOUBLE_EQ(d->Row(frTemperature).Value, before.t);
}

TEST_F(FluidSpecTest, RemembersPlaceWidthsAndUnits)
{
    {
        auto d = Make(water);
        EXPECT_EQ(d->ColumnWidths, (std::array<int, 3>{100, 100, 50}));
        d->Row(frPressure).Units->ApplyChosenUnit(0);
        d->ColumnWidths = {120, 90, 60};
        const TWindowPlace place{5, 6, 350, 420};
        d->Close(&place);
    }
    const std::string_view s = kFluidSpecSection;
    EXPECT_EQ(program.ReadInteger(s, "Units.iPres", -1), 0);
    EXPECT_EQ(program.ReadInteger(s, "Units.iMu", -1), 3);
    EXPECT_EQ(program.ReadInteger(s, "Units.iLiqd", -1), 0);
    EXPECT_EQ(program.ReadInteger(s, "ColWidths1", -1), 90);
    EXPECT_EQ(program.ReadInteger(s, "Height", -1), 420);

    auto d = Make(water);
    EXPECT_EQ(d->ColumnWidths, (std::array<int, 3>{120, 90, 60}));
    EXPECT_EQ(d->CellText(frPressure, 2), "kPa");
    EXPECT_EQ(d->CellText(frPressure, 1), "500.000");
    TWindowPlace place{0, 0, 10, 10};
    d->RestoreWindowPlace(place, {1280, 1024});
    EXPECT_EQ(place.Width, 350);
}

} // namespace
} // namespace zmk
