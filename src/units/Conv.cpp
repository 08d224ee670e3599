// The unit lists and the kinds table.
#include "units/Conv.h"

#include "base/Errors.h"

#include <array>

namespace zmk {

namespace {

struct UnitDef
{
    std::string_view label;
    double factor; // units of this kind per reference unit (index 0)
    double offset; // temperature offset, applied for utTemperature only
    std::string_view format;
};

struct UnitList
{
    const UnitDef* units;
    int count;
};

template <std::size_t N> constexpr UnitList L(const std::array<UnitDef, N>& a)
{
    return {a.data(), static_cast<int>(N)};
}

// U1: air flow.
constexpr std::array<UnitDef, 5> U1{{
    {"m³/s", 1, 0, "%0.3f"},
    {"m³/min", 60, 0, "%0.2f"},
    {"m³/hr", 3600, 0, "%0.0f"},
    {"l/s", 1000, 0, "%0.0f"},
    {"cfm", 2118.8800032893155, 0, "%0.2f"},
}};
// U2: small air flow, reference l/s.
constexpr std::array<UnitDef, 3> U2{{
    {"l/s", 1, 0, "%0.1f"},
    {"m³/min", 0.06, 0, "%0.2f"},
    {"cfm", 2.1188800032893154, 0, "%0.3f"},
}};
// U3: air flow per face area.
constexpr std::array<UnitDef, 5> U3{{
    {"m³/s/m²", 1, 0, "%0.3f"},
    {"m³/min/m²", 60, 0, "%0.2f"},
    {"m³/hr/m²", 3600, 0, "%0.0f"},
    {"l/s/m²", 1000, 0, "%0.0f"},
    {"cfm/ft²", 196.8503937007874, 0, "%0.2f"},
}};
// U4: pressures and pressure drops, reference kPa. InchHg is 0.295 per kPa as the program
// has always used, not the more exact 0.2953.
constexpr std::array<UnitDef, 8> U4{{
    {"kPa", 1, 0, "%0.3f"},
    {"Pa", 1000, 0, "%0.0f"},
    {"Psi", 0.1450376807894691, 0, "%0.4f"},
    {"Bar", 0.01, 0, "%0.5f"},
    {"Atm", 0.00986923, 0, "%0.5f"},
    {"InchWg", 4.014630759755623, 0, "%0.4f"},
    {"InchHg", 0.295, 0, "%0.4f"},
    {"mHead", 0.10197162129779283, 0, "%0.4f"},
}};
// U5: altitude.
constexpr std::array<UnitDef, 2> U5{{
    {"m", 1, 0, "%0.1f"},
    {"ft", 3.2808398950131235, 0, "%0.1f"},
}};
// U6: angular speed.
constexpr std::array<UnitDef, 3> U6{{
    {"rpm", 1, 0, "%0.0f"},
    {"Rad/s", 0.10471975511965978, 0, "%0.3f"},
    {"Rev/s", 0.016666666666666666, 0, "%0.0f"},
}};
// U7: area.
constexpr std::array<UnitDef, 5> U7{{
    {"m²", 1, 0, "%0.1f"},
    {"cm²", 10000, 0, "%0.1f"},
    {"mm²", 1000000, 0, "%0.0f"},
    {"inch²", 1550.0031000062, 0, "%0.2f"},
    {"ft²", 10.763910416709722, 0, "%0.1f"},
}};
// U8: condensate rate, reference g/s. One g/s is 7.9366 lb/hr (3.6 kg/hr); the factor of a
// pound (0.0022046 per gram) would show pounds per second under the lb/hr label.
constexpr std::array<UnitDef, 4> U8{{
    {"g/s", 1, 0, "%0.1f"},
    {"kg/s", 0.001, 0, "%0.4f"},
    {"kg/min", 0.06, 0, "%0.3f"},
    {"lb/hr", 7.936641438655593, 0, "%0.3f"},
}};
// U9: conductance (mass flow x specific heat).
constexpr std::array<UnitDef, 4> U9{{
    {"kW/°C", 1, 0, "%0.3f"},
    {"W/°C", 1000, 0, "%0.0f"},
    {"MBH/°F", 1.8956339758268757, 0, "%0.3f"},
    {"Btu/h°F", 1895.6339758268755, 0, "%0.0f"},
}};
// U10: thermal conductivity.
constexpr std::array<UnitDef, 4> U10{{
    {"kW/m·K", 1, 0, "%0.6g"},
    {"W/m·K", 1000, 0, "%0.6g"},
    {"mW/m·K", 1000000, 0, "%0.6g"},
    {"Btu/hr·ft°F", 577.7, 0, "%0.6g"},
}};
// U11: density.
constexpr std::array<UnitDef, 3> U11{{
    {"kg/m³", 1, 0, "%0.5g"},
    {"mg/L", 1000, 0, "%0.1g"},
    {"lb/ft³", 0.06242796057614461, 0, "%0.4g"},
}};
// U12: diameter; index 3 is eighths of an inch.
constexpr std::array<UnitDef, 5> U12{{
    {"m", 1, 0, "%0.3f"},
    {"mm", 1000, 0, "%0.0f"},
    {"inch", 39.37007874015748, 0, "%0.2f"},
    {"1/8\"", 314.96062992125985, 0, "%0.0f"},
    {"ft", 3.2808398950131235, 0, "%0.3f"},
}};
// U13: duty.
constexpr std::array<UnitDef, 5> U13{{
    {"kW", 1, 0, "%0.3f"},
    {"W", 1000, 0, "%0.0f"},
    {"Btu/hr", 3412.141156488376, 0, "%0.0f"},
    {"MBh", 3.412141156488376, 0, "%0.3f"},
    {"kcal/hr", 859.184, 0, "%0.1f"},
}};
// U14: duty per area, reference W/m².
constexpr std::array<UnitDef, 5> U14{{
    {"W/m²", 1, 0, "%0.1f"},
    {"kW/m²", 0.001, 0, "%0.3f"},
    {"Btu/hr·ft²", 0.31699828634688587, 0, "%0.1f"},
    {"MBh/ft²", 0.00031699828634688587, 0, "%0.3f"},
    {"kcal/hr·ft²", 0.07982080551936, 0, "%0.1f"},
}};
// U15: energy.
constexpr std::array<UnitDef, 5> U15{{
    {"kJ", 1, 0, "%0.3f"},
    {"J", 1000, 0, "%0.0f"},
    {"kW-hr", 0.0002777777777777778, 0, "%0.5g"},
    {"W-hr", 0.2777777777777778, 0, "%0.5g"},
    {"Btu", 0.9478169879134378, 0, "%0.5g"},
}};
// U16: energy per volume of air.
constexpr std::array<UnitDef, 3> U16{{
    {"kW/cms", 1, 0, "%0.3f"},
    {"kJ/m³", 1, 0, "%0.3f"},
    {"Btu/ft³", 0.026839188244036336, 0, "%0.3f"},
}};
// U17: enthalpy.
constexpr std::array<UnitDef, 2> U17{{
    {"kJ/kg", 1, 0, "%0.1f"},
    {"Btu/lb", 0.4299226139294927, 0, "%0.1f"},
}};
// U18: fin density, reference fins per inch.
constexpr std::array<UnitDef, 4> U18{{
    {"fpi", 1, 0, "%0.4f"},
    {"fin/mm", 0.03937007874015748, 0, "%0.5f"},
    {"fins/m", 39.37007874015748, 0, "%0.3f"},
    {"fins/ft", 12, 0, "%0.3f"},
}};
// U19: heat of respiration.
constexpr std::array<UnitDef, 3> U19{{
    {"kJ/kg/day", 1, 0, "%0.2f"},
    {"mW/kg", 11.574074074074074, 0, "%0.4f"},
    {"Btu/lb/day", 0.4299226139294927, 0, "%0.2f"},
}};
// U20: heat transfer coefficient, reference W/(m²·°C).
constexpr std::array<UnitDef, 2> U20{{
    {"W/m²°C", 1, 0, "%0.5g"},
    {"Btu/hr·ft²°F", 0.17611835153222966, 0, "%0.5g"},
}};
// U21: moisture content.
constexpr std::array<UnitDef, 3> U21{{
    {"kg/kg", 1, 0, "%0.4f"},
    {"g/kg", 1000, 0, "%0.2f"},
    {"gr/lb", 7000, 0, "%0.1f"},
}};
// U22: big lengths.
constexpr std::array<UnitDef, 2> U22{{
    {"m", 1, 0, "%0.2f"},
    {"ft", 3.2808398950131235, 0, "%0.1f"},
}};
// U23: lengths.
constexpr std::array<UnitDef, 5> U23{{
    {"m", 1, 0, "%0.3f"},
    {"cm", 100, 0, "%0.2f"},
    {"mm", 1000, 0, "%0.1f"},
    {"inch", 39.37007874015748, 0, "%0.2f"},
    {"ft", 3.2808398950131235, 0, "%0.3f"},
}};
// U24: small lengths, reference mm; index 2 is thousandths of an inch.
constexpr std::array<UnitDef, 3> U24{{
    {"mm", 1, 0, "%0.4f"},
    {"um", 1000, 0, "%0.1f"},
    {"Thou\"", 39.37007874015748, 0, "%0.3f"},
}};
// U25: mass.
constexpr std::array<UnitDef, 3> U25{{
    {"kg", 1, 0, "%0.0f"},
    {"ton SI", 0.001, 0, "%0.3f"},
    {"lb", 2.2046226218487757, 0, "%0.1f"},
}};
// U26: small mass, reference g.
constexpr std::array<UnitDef, 2> U26{{
    {"g", 1, 0, "%0.1f"},
    {"oz", 0.035273961949580414, 0, "%0.3f"},
}};
// U27: mass flow.
constexpr std::array<UnitDef, 6> U27{{
    {"kg/s", 1, 0, "%0.4f"},
    {"g/s", 1000, 0, "%0.1f"},
    {"kg/hr", 3600, 0, "%0.2f"},
    {"lb/s", 2.2046226218487757, 0, "%0.5f"},
    {"lb/min", 132.27735731092656, 0, "%0.3f"},
    {"lb/hr", 7936.6414386555925, 0, "%0.1f"},
}};
// U28: mass flux.
constexpr std::array<UnitDef, 6> U28{{
    {"kg/m²s", 1, 0, "%0.3f"},
    {"g/m²s", 1000, 0, "%0.0f"},
    {"kg/m²hr", 3600, 0, "%0.1f"},
    {"lb/ft²s", 0.20481614362252168, 0, "%0.4f"},
    {"lb/ft²min", 12.288968617351301, 0, "%0.2f"},
    {"lb/ft²hr", 737.3381170410781, 0, "%0.0f"},
}};
// U29: metabolic rate per person.
constexpr std::array<UnitDef, 2> U29{{
    {"W/P", 1, 0, "%0.1f"},
    {"Btu/hr/P", 3.412141156488376, 0, "%0.0f"},
}};
// U30: floor area per person.
constexpr std::array<UnitDef, 2> U30{{
    {"m²/P", 1, 0, "%0.1f"},
    {"ft²/P", 10.763910416709722, 0, "%0.2f"},
}};
// U31: power.
constexpr std::array<UnitDef, 3> U31{{
    {"kW", 1, 0, "%0.3f"},
    {"W", 1000, 0, "%0.0f"},
    {"HP", 1.341021858656296, 0, "%0.2f"},
}};
// U32: barometric pressure: the pressure list without Pa and InchWg.
constexpr std::array<UnitDef, 6> U32{{
    {"kPa", 1, 0, "%0.3f"},
    {"Psi", 0.1450376807894691, 0, "%0.4f"},
    {"Bar", 0.01, 0, "%0.5f"},
    {"Atm", 0.00986923, 0, "%0.5f"},
    {"InchHg", 0.295, 0, "%0.4f"},
    {"mHead", 0.10197162129779283, 0, "%0.4f"},
}};
// U33: pressure drop per length, reference Pa/m.
constexpr std::array<UnitDef, 4> U33{{
    {"Pa/m", 1, 0, "%0.2f"},
    {"kPa/m", 0.001, 0, "%0.5f"},
    {"iwg/100'", 0.12236594555735139, 0, "%0.4f"},
    {"Psi/ft", 4.4207485104630184e-05, 0, "%0.6f"},
}};
// U34: proportion; index 0 is a plain fraction with no label.
constexpr std::array<UnitDef, 3> U34{{
    {"", 1, 0, "%0.3f"},
    {"%", 100, 0, "%0.1f"},
    {"ratio", 1, 0, "%0.3f"},
}};
// U35: rate.
constexpr std::array<UnitDef, 3> U35{{
    {"/sec", 1, 0, "%0.4f"},
    {"/min", 60, 0, "%0.2f"},
    {"/hr", 3600, 0, "%0.0f"},
}};
// U36: specific heat.
constexpr std::array<UnitDef, 2> U36{{
    {"kJ/kg·K", 1, 0, "%0.4g"},
    {"Btu/lb°F", 0.23883448770002388, 0, "%0.4g"},
}};
// U37: specific volume.
constexpr std::array<UnitDef, 2> U37{{
    {"m³/kg", 1, 0, "%0.3f"},
    {"ft³/lb", 16.018463373960138, 0, "%0.3f"},
}};
// U38: temperature and temperature change; the offsets serve utTemperature only.
constexpr std::array<UnitDef, 3> U38{{
    {"°C", 1, 0, "%0.1f"},
    {"°F", 1.8, 32, "%0.1f"},
    {"K", 1, 273.15, "%0.2f"},
}};
// U39: thermal capacity per area.
constexpr std::array<UnitDef, 2> U39{{
    {"W-hr/m²°C", 1, 0, "%0.1f"},
    {"Btu/ft²°F", 0.17611835153222966, 0, "%0.1f"},
}};
// U40: thermal resistance.
constexpr std::array<UnitDef, 2> U40{{
    {"m²°C/W", 1, 0, "%0.4f"},
    {"ft²·hr·°F/Btu", 5.678264134306047, 0, "%0.3f"},
}};
// U41: time.
constexpr std::array<UnitDef, 3> U41{{
    {"sec", 1, 0, "%0.0f"},
    {"min", 0.016666666666666666, 0, "%0.2f"},
    {"hr", 0.0002777777777777778, 0, "%0.4f"},
}};
// U42: velocity.
constexpr std::array<UnitDef, 2> U42{{
    {"m/s", 1, 0, "%0.2f"},
    {"fpm", 196.8503937007874, 0, "%0.1f"},
}};
// U43: dynamic viscosity. One kg/(m·s) is 0.67197 lbm/(ft·s) (0.3048 / 0.45359237); a tenth
// of that would show every viscosity ten times too small in lbm/ft·s.
constexpr std::array<UnitDef, 7> U43{{
    {"kg/m·s", 1, 0, "%0.6g"},
    {"N·s/m²", 1, 0, "%0.6g"},
    {"µPa·s", 1000000, 0, "%0.6g"},
    {"cP", 1000, 0, "%0.6g"},
    {"lbm/ft·s", 0.6719689751395068, 0, "%0.6g"},
    {"lbf·s/ft²", 0.020885, 0, "%0.6g"},
    {"lbf·hr/ft²", 5.8014e-06, 0, "%0.6g"},
}};
// U44: volume. ft³ is 35.32 per m³ as the program has always used, not 35.3147.
constexpr std::array<UnitDef, 5> U44{{
    {"m³", 1, 0, "%0.4f"},
    {"litre", 1000, 0, "%0.2f"},
    {"cc", 1000000, 0, "%0.0f"},
    {"ft³", 35.32, 0, "%0.4f"},
    {"inch³", 61023, 0, "%0.1f"},
}};
// U45: liquid volume.
constexpr std::array<UnitDef, 4> U45{{
    {"kl", 1, 0, "%0.3f"},
    {"litre", 1000, 0, "%0.5g"},
    {"IP Gal", 220, 0, "%0.5g"},
    {"US Gal", 264.1720523581484, 0, "%0.5g"},
}};
// U46: liquid volume flow, reference l/s.
constexpr std::array<UnitDef, 6> U46{{
    {"l/s", 1, 0, "%0.3f"},
    {"l/min", 60, 0, "%0.2f"},
    {"dm³/hr", 3600, 0, "%0.2f"},
    {"m³/hr", 3.6, 0, "%0.2f"},
    {"m³/s", 0.001, 0, "%0.4f"},
    {"usgpm", 15.850323141488905, 0, "%0.1f"},
}};

struct KindDef
{
    std::string_view name;
    std::string_view caption;
    UnitList list;
    int metric;
    int imperial;
};

constexpr UnitList kNoUnits{nullptr, 0};

constexpr std::array<KindDef, UnitsTypeCount> kKinds{{
    {"utNone", "None", kNoUnits, 0, 0},
    {"utAirFlowPrim", "Air Flow - Primary", L(U1), 0, 4},
    {"utAirFlowSec", "Air Flow - Secondary", L(U1), 3, 4},
    {"utAirFlowSmall", "Air Flow - Small", L(U2), 0, 2},
    {"utAirFlowRate", "Air Flow Rate", L(U3), 3, 4},
    {"utAirPressDrop", "Air Pressure Drop", L(U4), 1, 5},
    {"utAltitude", "Altitude", L(U5), 0, 1},
    {"utAngularSpeed", "Angular Speed", L(U6), 0, 0},
    {"utArea", "Area", L(U7), 0, 4},
    {"utCondensateRate", "Condensate Rate", L(U8), 0, 3},
    {"utConductance", "Conductance", L(U9), 0, 2},
    {"utConductivity", "Conductivity", L(U10), 1, 3},
    {"utDensity", "Density", L(U11), 0, 2},
    {"utDiameter", "Diameter", L(U12), 1, 2},
    {"utDutyPrim", "Duty - Primary", L(U13), 0, 2},
    {"utDutySec", "Duty - Secondary", L(U13), 1, 2},
    {"utDutyRate", "Duty Rate", L(U14), 0, 2},
    {"utEnergy", "Energy", L(U15), 2, 4},
    {"utEnergyPerVol", "Energy Per Volume", L(U16), 0, 2},
    {"utEnthalpy", "Enthalpy", L(U17), 0, 1},
    {"utFinDensity", "Fin Density", L(U18), 2, 0},
    {"utHeatOfRespir", "Heat of Respiration", L(U19), 0, 2},
    {"utHeatTransCoeff", "Heat Transfer Coefficient", L(U20), 0, 1},
    {"utHumidity", "Humidity", L(U21), 1, 2},
    {"utLengthBig", "Length - Big", L(U22), 0, 1},
    {"utLengthMeasure", "Length - Measurement", L(U23), 2, 3},
    {"utLengthPrim", "Length - Primary", L(U23), 0, 4},
    {"utLengthSec", "Length - Secondary", L(U23), 2, 3},
    {"utLengthSmall", "Length - Small", L(U24), 0, 2},
    {"utMass", "Mass", L(U25), 0, 2},
    {"utMassSmall", "Mass - Small", L(U26), 0, 1},
    {"utMassFlow", "MassFlow", L(U27), 0, 3},
    {"utMassFlowGas", "MassFlow - Refrig./Steam", L(U27), 2, 5},
    {"utMassFlux", "MassFlux", L(U28), 0, 3},
    {"utMetRate", "Metabolic Rate", L(U29), 0, 1},
    {"utPeopleDensity", "People Density", L(U30), 0, 1},
    {"utPower", "Power", L(U31), 0, 2},
    {"utPressure", "Pressure - Absolute or Gauge", L(U4), 0, 2},
    {"utPressureBar", "Pressure - Barometric", L(U32), 0, 4},
    {"utPressureSteam", "Pressure - Steam", L(U4), 3, 2},
    {"utPressureRateGas", "Pressure Rate - Gas", L(U33), 0, 2},
    {"utPressureRateLiquid", "Pressure Rate - Liquid", L(U33), 1, 3},
    {"utProportion", "Proportion", L(U34), 0, 0},
    {"utRate", "Rate", L(U35), 0, 1},
    {"utSpecificHeat", "Specific Heat", L(U36), 0, 1},
    {"utSpecificVol", "Specific Volume", L(U37), 0, 1},
    {"utTemperature", "Temperature", L(U38), 0, 1},
    {"utTemperatureChange", "Temperature Change", L(U38), 0, 1},
    {"utThermalCapacity", "Thermal Capacity", L(U39), 0, 1},
    {"utThermalResist", "Thermal Resistance", L(U40), 0, 1},
    {"utTime", "Time", L(U41), 0, 1},
    {"utVelocity", "Velocity", L(U42), 0, 1},
    {"utViscosity", "Viscosity", L(U43), 0, 4},
    {"utVolume", "Volume", L(U44), 0, 3},
    {"utVolumeFluid", "Fluid Volume", L(U45), 0, 3},
    {"utWaterFlow", "Water Flow", L(U46), 0, 5},
    {"utWaterPressDrop", "Water Pressure Drop", L(U4), 0, 2},
}};

// Every kind's entry must sit at its own ordinal.
static_assert(kKinds[utAltitude].name == "utAltitude");
static_assert(kKinds[utProportion].name == "utProportion");
static_assert(kKinds[utWaterPressDrop].name == "utWaterPressDrop");

const KindDef* Kind(TUnitsType kind)
{
    return IsUnitsType(kind) ? &kKinds[kind] : nullptr;
}

// The unit of a kind with a list, the index clamped into the list; nullptr for utNone and
// for an ordinal outside the enumeration.
const UnitDef* Unit(TUnitsType kind, int index)
{
    const KindDef* k = Kind(kind);
    if (!k || k->list.count == 0)
        return nullptr;
    if (index < 0)
        index = 0;
    else if (index >= k->list.count)
        index = k->list.count - 1;
    return &k->list.units[index];
}

} // namespace

std::string_view UnitsTypeCaption(TUnitsType kind)
{
    const KindDef* k = Kind(kind);
    return k ? k->caption : std::string_view();
}

std::string_view UnitsTypeName(TUnitsType kind)
{
    const KindDef* k = Kind(kind);
    return k ? k->name : std::string_view();
}

int UnitCount(TUnitsType kind)
{
    const KindDef* k = Kind(kind);
    return k ? k->list.count : 0;
}

int ClampUnitIndex(TUnitsType kind, int index)
{
    const int n = UnitCount(kind);
    if (n == 0)
        return index;
    if (index < 0)
        return 0;
    return index >= n ? n - 1 : index;
}

std::string_view UnitLabel(TUnitsType kind, int index)
{
    const UnitDef* u = Unit(kind, index);
    return u ? u->label : std::string_view();
}

std::string_view UnitFormat(TUnitsType kind, int index)
{
    const UnitDef* u = Unit(kind, index);
    return u ? u->format : std::string_view("%0.1f");
}

double UnitFactor(TUnitsType kind, int index)
{
    const UnitDef* u = Unit(kind, index);
    return u ? u->factor : 1.0;
}

double UnitOffset(TUnitsType kind, int index)
{
    const UnitDef* u = Unit(kind, index);
    return u && kind == utTemperature ? u->offset : 0.0;
}

std::vector<std::string> UnitLabels(TUnitsType kind)
{
    std::vector<std::string> labels;
    const KindDef* k = Kind(kind);
    if (!k)
        return labels;
    labels.reserve(k->list.count);
    for (int i = 0; i < k->list.count; ++i)
        labels.emplace_back(k->list.units[i].label);
    return labels;
}

int FindUnitIndex(TUnitsType kind, std::string_view label)
{
    const KindDef* k = Kind(kind);
    if (!k)
        return 0;
    for (int i = 0; i < k->list.count; ++i)
        if (label == k->list.units[i].label)
            return i;
    return 0;
}

int MetricUnitIndex(TUnitsType kind, int current)
{
    const KindDef* k = Kind(kind);
    return k && k->list.count > 0 ? k->metric : current;
}

int ImperialUnitIndex(TUnitsType kind, int current)
{
    const KindDef* k = Kind(kind);
    return k && k->list.count > 0 ? k->imperial : current;
}

void UnitConversion(TUnitsType kind, int display, int base, std::string& format, std::string& label,
                    double& factor, double& offset)
{
    const UnitDef* shown = Unit(kind, display);
    if (!shown) {
        format = "%0.1f";
        label.clear();
        return;
    }
    const UnitDef* stored = Unit(kind, base);
    format = shown->format;
    label = shown->label;
    // Computed in extended precision and kept as a double.
    const long double f = static_cast<long double>(shown->factor) / stored->factor;
    factor = static_cast<double>(f);
    // Shown = stored x factor + offset. From a stored Celsius value (the model's unit) the
    // offset is the display unit's own; from another stored scale its offset comes off first.
    offset = kind == utTemperature ? static_cast<double>(shown->offset - stored->offset * f) : 0.0;
}

long double ToDisplay(long double offset, long double factor, long double value)
{
    return value * factor + offset;
}

long double FromDisplay(long double offset, long double factor, long double shown)
{
    if (factor == 0)
        throw EMathError("FromDisplay", "Floating point division by zero");
    return (shown - offset) / factor;
}

} // namespace zmk
