// The unit table: the kinds of engineering quantity, and for each kind the ordered list of
// units it can be shown in, with their labels, conversion factors, offsets and default
// number formats. A unit is addressed by its kind and its index in the kind's list; index 0
// is the list's reference unit (factor 1). Labels are UTF-8 text in memory.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zmk {

/// The kinds of quantity, in their fixed order (the ordinal is stored and shown).
enum TUnitsType : std::uint8_t {
    utNone,
    utAirFlowPrim,
    utAirFlowSec,
    utAirFlowSmall,
    utAirFlowRate,
    utAirPressDrop,
    utAltitude,
    utAngularSpeed,
    utArea,
    utCondensateRate,
    utConductance,
    utConductivity,
    utDensity,
    utDiameter,
    utDutyPrim,
    utDutySec,
    utDutyRate,
    utEnergy,
    utEnergyPerVol,
    utEnthalpy,
    utFinDensity,
    utHeatOfRespir,
    utHeatTransCoeff,
    utHumidity,
    utLengthBig,
    utLengthMeasure,
    utLengthPrim,
    utLengthSec,
    utLengthSmall,
    utMass,
    utMassSmall,
    utMassFlow,
    utMassFlowGas,
    utMassFlux,
    utMetRate,
    utPeopleDensity,
    utPower,
    utPressure,
    utPressureBar,
    utPressureSteam,
    utPressureRateGas,
    utPressureRateLiquid,
    utProportion,
    utRate,
    utSpecificHeat,
    utSpecificVol,
    utTemperature,
    utTemperatureChange,
    utThermalCapacity,
    utThermalResist,
    utTime,
    utVelocity,
    utViscosity,
    utVolume,
    utVolumeFluid,
    utWaterFlow,
    utWaterPressDrop,
};

/// Number of kinds (utNone included).
inline constexpr int UnitsTypeCount = 57;

/// True when the ordinal names a kind (0 to 56).
constexpr bool IsUnitsType(int ordinal)
{
    return ordinal >= 0 && ordinal < UnitsTypeCount;
}

/// Human-readable name of the kind ("Temperature", "Air Flow - Primary"); "None" for utNone.
/// An ordinal outside the enumeration gives the empty text.
std::string_view UnitsTypeCaption(TUnitsType kind);
/// Identifier of the kind as written in code ("utTemperature").
std::string_view UnitsTypeName(TUnitsType kind);

/// Number of units of the kind (0 for utNone).
int UnitCount(TUnitsType kind);
/// The index brought into the kind's list (0 when negative, the last index when beyond it);
/// utNone returns the index unchanged.
int ClampUnitIndex(TUnitsType kind, int index);

// The lookups below take an index inside the kind's list; an index outside it is clamped
// first, so a stray value can never read past a list.

/// Label of a unit, UTF-8 ("°C", "m³/s"); empty for utNone.
std::string_view UnitLabel(TUnitsType kind, int index);
/// Default number format of a unit ("%0.1f"); "%0.1f" for utNone.
std::string_view UnitFormat(TUnitsType kind, int index);
/// Number of this unit that equals one reference unit of the list; 1 for utNone.
double UnitFactor(TUnitsType kind, int index);
/// Offset of a unit as it applies to the kind: the temperature offsets (0, 32, 273.15) for
/// utTemperature, 0 for every other kind (utTemperatureChange included).
double UnitOffset(TUnitsType kind, int index);
/// All labels of the kind in index order (empty for utNone); fills the unit choosers.
std::vector<std::string> UnitLabels(TUnitsType kind);
/// Index of the unit with that label (exact spelling) in the kind's list; 0 when the kind has
/// no such unit (and for utNone).
int FindUnitIndex(TUnitsType kind, std::string_view label);

/// The kind's metric default index; utNone returns current unchanged.
int MetricUnitIndex(TUnitsType kind, int current);
/// The kind's imperial (inch-pound) default index; utNone returns current unchanged.
int ImperialUnitIndex(TUnitsType kind, int current);

/// Conversion from the stored unit `base` to the shown unit `display`: the display unit's
/// default format and label, factor = factor[display] / factor[base] and, for utTemperature
/// only (else 0), the offset that makes shown = stored x factor + offset: the display unit's
/// offset when the value is stored in °C (base 0). For utNone: format "%0.1f", empty label,
/// factor and offset left untouched.
void UnitConversion(TUnitsType kind, int display, int base, std::string& format, std::string& label,
                    double& factor, double& offset);

/// Stored value to shown value: value x factor + offset, in extended precision.
long double ToDisplay(long double offset, long double factor, long double value);
/// Shown value to stored value: (shown - offset) / factor, in extended precision; throws
/// EMathError when factor is 0.
long double FromDisplay(long double offset, long double factor, long double shown);

} // namespace zmk
