#include "units/Conv.h"

#include "base/Errors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

namespace zmk {

namespace {

// Definitions of the inch-pound units (exact where the definition is exact).
constexpr double kInch = 0.0254;                    // m
constexpr double kFoot = 0.3048;                    // m
constexpr double kPound = 0.45359237;               // kg
constexpr double kBtu = 1.05505585262;              // kJ, International Table
constexpr double kPsi = 6.894757293168;             // kPa
constexpr double kInchWater = 0.24908891;           // kPa, water at 4 °C
constexpr double kUsGallon = 3.785411784e-3;        // m³
constexpr double kHorsepower = 0.74569987158227022; // kW
constexpr double kFoot2 = kFoot * kFoot;
constexpr double kFoot3 = kFoot2 * kFoot;
constexpr double kBtuPerHourPerKw = 3600 / kBtu;

struct Case
{
    TUnitsType kind;
    int display;     // unit shown; the value is in the list's reference unit
    double value;    // in the reference unit
    double expected; // in the display unit, from the unit definitions
    double relTol;   // the program's factors for Psi, Btu, kcal and friends carry 6 to 7 digits
};

// One value of every kind, shown in a unit other than the reference unit (mostly the
// inch-pound default) and checked against the physical definition of that unit.
const Case kCases[] = {
    {utAirFlowPrim, 4, 1.0, 60 / kFoot3, 1e-12},
    {utAirFlowSec, 4, 2.0, 120 / kFoot3, 1e-12},
    {utAirFlowSmall, 2, 1.0, 0.06 / kFoot3, 1e-12},
    {utAirFlowRate, 4, 1.0, 60 / kFoot, 1e-12},
    {utAirPressDrop, 5, 0.25, 0.25 / kInchWater, 1e-9},
    {utAltitude, 1, 100, 100 / kFoot, 1e-12},
    {utAngularSpeed, 1, 60, 2 * std::numbers::pi, 1e-12},
    {utArea, 4, 1.0, 1 / kFoot2, 1e-12},
    {utCondensateRate, 3, 1.0, 3.6 / kPound, 1e-12},
    {utConductance, 2, 1.0, kBtuPerHourPerKw / 1000 / 1.8, 1e-6},
    {utConductivity, 3, 1.0, kBtuPerHourPerKw* kFoot / 1.8, 2e-4},
    {utDensity, 2, 1000, 1000 * kFoot3 / kPound, 1e-12},
    {utDiameter, 2, kInch, 1, 1e-12},
    {utDutyPrim, 2, 1.0, kBtuPerHourPerKw, 1e-6},
    {utDutySec, 2, 2.0, 2 * kBtuPerHourPerKw, 1e-6},
    {utDutyRate, 2, 1.0, kBtuPerHourPerKw / 1000 * kFoot2, 1e-6},
    {utEnergy, 4, 1.0, 1 / kBtu, 1e-6},
    {utEnergyPerVol, 2, 1.0, kFoot3 / kBtu, 1e-6},
    {utEnthalpy, 1, 1.0, kPound / kBtu, 1e-6},
    {utFinDensity, 2, 10, 10 / kInch, 1e-12},
    {utHeatOfRespir, 2, 1.0, kPound / kBtu, 1e-6},
    {utHeatTransCoeff, 1, 1.0, kBtuPerHourPerKw / 1000 * kFoot2 / 1.8, 1e-4},
    {utHumidity, 2, 0.01, 70, 1e-12},
    {utLengthBig, 1, 1.0, 1 / kFoot, 1e-12},
    {utLengthMeasure, 3, kInch, 1, 1e-12},
    {utLengthPrim, 4, kFoot, 1, 1e-12},
    {utLengthSec, 3, 2 * kInch, 2, 1e-12},
    {utLengthSmall, 2, 0.0254, 1, 1e-12}, // one thousandth of an inch in mm
    {utMass, 2, kPound, 1, 1e-12},
    {utMassSmall, 1, 28.349523125, 1, 1e-12},
    {utMassFlow, 3, kPound, 1, 1e-12},
    {utMassFlowGas, 5, 1.0, 3600 / kPound, 1e-12},
    {utMassFlux, 3, 1.0, kFoot2 / kPound, 1e-12},
    {utMetRate, 1, 1.0, kBtuPerHourPerKw / 1000, 1e-6},
    {utPeopleDensity, 1, 1.0, 1 / kFoot2, 1e-12},
    {utPower, 2, 1.0, 1 / kHorsepower, 1e-6},
    {utPressure, 2, kPsi, 1, 1e-6},
    {utPressureBar, 4, 100, 29.53, 2e-3}, // the program's 0.295 per kPa
    {utPressureSteam, 2, kPsi, 1, 1e-6},
    {utPressureRateGas, 2, 1.0, 100 * kFoot / 1000 / kInchWater, 1e-9},
    {utPressureRateLiquid, 3, 1.0, kFoot / 1000 / kPsi, 1e-6},
    {utProportion, 1, 0.25, 25, 1e-15},
    {utRate, 1, 1.0, 60, 1e-15},
    {utSpecificHeat, 1, 1.0, kPound / kBtu / 1.8, 1e-4},
    {utSpecificVol, 1, 1.0, kPound / kFoot3, 1e-12},
    {utTemperature, 1, 20, 68, 1e-15},
    {utTemperatureChange, 1, 10, 18, 1e-15},
    {utThermalCapacity, 1, 1.0, kFoot2 * 3.6 / kBtu / 1.8, 1e-4},
    {utThermalResist, 1, 1.0, 1.8 / (kBtuPerHourPerKw / 1000 * kFoot2), 1e-6},
    {utTime, 1, 90, 1.5, 1e-15},
    {utVelocity, 1, 1.0, 60 / kFoot, 1e-12},
    {utViscosity, 4, 1.0, kFoot / kPound, 1e-12},
    {utVolume, 3, 1.0, 1 / kFoot3, 3e-4}, // the program's 35.32 per m³
    {utVolumeFluid, 3, 1.0, 1e-3 / kUsGallon * 1000, 1e-12},
    {utWaterFlow, 5, 1.0, 60e-3 / kUsGallon, 1e-12},
    {utWaterPressDrop, 2, kPsi, 1, 1e-6},
};

} // namespace

TEST(Conv, ConvertsAValueOfEveryKindBothWays)
{
    static_assert(std::size(kCases) == UnitsTypeCount - 1, "one case per kind but utNone");
    for (const Case& c : kCases) {
        SCOPED_TRACE(std::string(UnitsTypeName(c.kind)));
        ASSERT_EQ(c.kind, &c - kCases + 1) << "cases must follow the kinds' order";
        std::string format, label;
        double factor = 0, offset = 0;
        UnitConversion(c.kind, c.display, 0, format, label, factor, offset);
        EXPECT_EQ(label, UnitLabel(c.kind, c.display));
        EXPECT_EQ(format, UnitFormat(c.kind, c.display));
        const long double shown = ToDisplay(offset, factor, c.value);
        EXPECT_NEAR(static_cast<double>(shown), c.expected, c.relTol * std::fabs(c.expected));
        EXPECT_NEAR(static_cast<double>(FromDisplay(offset, factor, shown)), c.value,
                    1e-15 * std::fabs(c.value));
        // And back from the shown unit into the reference unit as a stored unit.
        UnitConversion(c.kind, 0, c.display, format, label, factor, offset);
        EXPECT_NEAR(static_cast<double>(ToDisplay(offset, factor, c.expected)), c.value,
                    c.relTol * std::fabs(c.value));
    }
}

TEST(Conv, EveryUnitRoundTripsAndFactorsArePositive)
{
    for (int k = 1; k < UnitsTypeCount; ++k) {
        const auto kind = static_cast<TUnitsType>(k);
        ASSERT_GT(UnitCount(kind), 0) << UnitsTypeName(kind);
        ASSERT_EQ(UnitLabels(kind).size(), static_cast<std::size_t>(UnitCount(kind)));
        EXPECT_EQ(UnitFactor(kind, 0), 1.0) << "index 0 is the reference unit of " << UnitsTypeName(kind);
        for (int display = 0; display < UnitCount(kind); ++display)
            for (int base = 0; base < UnitCount(kind); ++base) {
                std::string format, label;
                double factor = 0, offset = 0;
                UnitConversion(kind, display, base, format, label, factor, offset);
                ASSERT_TRUE(std::isfinite(factor) && factor > 0);
                ASSERT_EQ(format.rfind("%0.", 0), 0u) << format;
                const double value = -12.375;
                EXPECT_NEAR(
                    static_cast<double>(FromDisplay(offset, factor, ToDisplay(offset, factor, value))), value,
                    1e-12);
                if (display == base) {
                    EXPECT_EQ(factor, 1.0);
                    EXPECT_EQ(offset, 0.0);
                }
            }
    }
}

TEST(Conv, KindsCaptionsAndDefaults)
{
    struct Row
    {
        TUnitsType kind;
        const char* caption;
        int count;
        const char* metric;
        const char* imperial;
    };
    const Row rows[] = {
        {utAirFlowSec, "Air Flow - Secondary", 5, "l/s", "cfm"},
        {utAirPressDrop, "Air Pressure Drop", 8, "Pa", "InchWg"},
        {utConductivity, "Conductivity", 4, "W/m·K", "Btu/hr·ft°F"},
        {utDiameter, "Diameter", 5, "mm", "inch"},
        {utEnergy, "Energy", 5, "kW-hr", "Btu"},
        {utFinDensity, "Fin Density", 4, "fins/m", "fpi"},
        {utLengthSmall, "Length - Small", 3, "mm", "Thou\""},
        {utMassFlowGas, "MassFlow - Refrig./Steam", 6, "kg/hr", "lb/hr"},
        {utPressure, "Pressure - Absolute or Gauge", 8, "kPa", "Psi"},
        {utPressureBar, "Pressure - Barometric", 6, "kPa", "InchHg"},
        {utPressureSteam, "Pressure - Steam", 8, "Bar", "Psi"},
        {utPressureRateGas, "Pressure Rate - Gas", 4, "Pa/m", "iwg/100'"},
        {utProportion, "Proportion", 3, "", ""},
        {utThermalResist, "Thermal Resistance", 2, "m²°C/W", "ft²·hr·°F/Btu"},
        {utViscosity, "Viscosity", 7, "kg/m·s", "lbm/ft·s"},
        {utVolumeFluid, "Fluid Volume", 4, "kl", "US Gal"},
        {utWaterFlow, "Water Flow", 6, "l/s", "usgpm"},
        {utWaterPressDrop, "Water Pressure Drop", 8, "kPa", "Psi"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.caption);
        EXPECT_EQ(UnitsTypeCaption(r.kind), r.caption);
        EXPECT_EQ(UnitCount(r.kind), r.count);
        EXPECT_EQ(UnitLabel(r.kind, MetricUnitIndex(r.kind, -1)), r.metric);
        EXPECT_EQ(UnitLabel(r.kind, ImperialUnitIndex(r.kind, -1)), r.imperial);
    }
    EXPECT_EQ(UnitsTypeCaption(utNone), "None");
    EXPECT_EQ(UnitsTypeName(utWaterPressDrop), "utWaterPressDrop");
    EXPECT_EQ(static_cast<int>(utWaterPressDrop), UnitsTypeCount - 1);
    // Labels are UTF-8 in memory.
    EXPECT_EQ(UnitLabel(utTemperature, 0), "\xC2\xB0"
                                           "C");
    EXPECT_EQ(UnitLabel(utViscosity, 2), "\xC2\xB5Pa\xC2\xB7s");
    EXPECT_EQ(UnitLabel(utDiameter, 3), "1/8\"");
}

TEST(Conv, TemperatureOffsetsOnlyForTemperature)
{
    std::string format, label;
    double factor = 0, offset = 0;
    UnitConversion(utTemperature, 2, 0, format, label, factor, offset);
    EXPECT_EQ(label, "K");
    EXPECT_EQ(format, "%0.2f");
    EXPECT_DOUBLE_EQ(static_cast<double>(ToDisplay(offset, factor, 20)), 293.15);
    UnitConversion(utTemperature, 1, 0, format, label, factor, offset);
    EXPECT_EQ(static_cast<double>(ToDisplay(offset, factor, 20)), 68.0);
    EXPECT_EQ(static_cast<double>(FromDisplay(offset, factor, 212)), 100.0);
    UnitConversion(utTemperatureChange, 1, 0, format, label, factor, offset);
    EXPECT_EQ(offset, 0.0);
    EXPECT_EQ(static_cast<double>(ToDisplay(offset, factor, 10)), 18.0);
    UnitConversion(utTemperatureChange, 2, 0, format, label, factor, offset);
    EXPECT_EQ(offset, 0.0);
    // A temperature stored in another scale than °C loses that scale's offset first.
    struct Row
    {
        int display, base;
        double stored, shown;
    };
    for (const Row& r :
         {Row{0, 1, 212, 100}, Row{2, 1, 32, 273.15}, Row{1, 2, 0, -459.67}, Row{0, 2, 0, -273.15}}) {
        UnitConversion(utTemperature, r.display, r.base, format, label, factor, offset);
        EXPECT_NEAR(static_cast<double>(ToDisplay(offset, factor, r.stored)), r.shown, 1e-12);
        EXPECT_NEAR(static_cast<double>(FromDisplay(offset, factor, r.shown)), r.stored, 1e-12);
    }
    EXPECT_EQ(UnitOffset(utTemperature, 2), 273.15);
    EXPECT_EQ(UnitOffset(utTemperatureChange, 2), 0.0);
}

TEST(Conv, NoneAndIndexesOutsideTheList)
{
    std::string format = "x", label = "y";
    double factor = 7, offset = 3;
    UnitConversion(utNone, 4, 2, format, label, factor, offset);
    EXPECT_EQ(format, "%0.1f");
    EXPECT_EQ(label, "");
    EXPECT_EQ(factor, 7.0); // untouched
    EXPECT_EQ(offset, 3.0);
    EXPECT_EQ(UnitCount(utNone), 0);
    EXPECT_TRUE(UnitLabels(utNone).empty());
    EXPECT_EQ(UnitFormat(utNone, 0), "%0.1f");
    EXPECT_EQ(UnitLabel(utNone, 0), "");
    EXPECT_EQ(MetricUnitIndex(utNone, 7), 7);
    EXPECT_EQ(ImperialUnitIndex(utNone, -2), -2);

    EXPECT_EQ(ClampUnitIndex(utNone, 42), 42);
    EXPECT_EQ(ClampUnitIndex(utTemperature, -1), 0);
    EXPECT_EQ(ClampUnitIndex(utTemperature, 2), 2);
    EXPECT_EQ(ClampUnitIndex(utTemperature, 3), 2);
    EXPECT_EQ(ClampUnitIndex(utAirPressDrop, 100), 7);

    // A stray index never reads outside a list: lookups clamp it.
    EXPECT_EQ(UnitLabel(utTemperature, 9), "K");
    EXPECT_EQ(UnitLabel(utTemperature, -9), UnitLabel(utTemperature, 0));
    UnitConversion(utAltitude, 5, -1, format, label, factor, offset);
    EXPECT_EQ(label, "ft");
    EXPECT_EQ(UnitsTypeCaption(static_cast<TUnitsType>(200)), "");
    EXPECT_EQ(UnitCount(static_cast<TUnitsType>(57)), 0);

    EXPECT_THROW(FromDisplay(0, 0, 1), EMathError);
}

TEST(Conv, ConvertsFromANonReferenceStoredUnit)
{
    // Air pressure drop is stored in Pa (index 1): 150 Pa in kPa.
    std::string format, label;
    double factor = 0, offset = 0;
    UnitConversion(utAirPressDrop, 0, 1, format, label, factor, offset);
    EXPECT_EQ(format, "%0.3f");
    EXPECT_EQ(label, "kPa");
    EXPECT_NEAR(static_cast<double>(ToDisplay(offset, factor, 150)), 0.15, 1e-15);
    // Percent stored, fraction shown.
    UnitConversion(utProportion, 0, 1, format, label, factor, offset);
    EXPECT_NEAR(static_cast<double>(ToDisplay(offset, factor, 25)), 0.25, 1e-16);
}

} // namespace zmk
