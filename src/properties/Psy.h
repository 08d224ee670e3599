// Moist air: the psychrometric state record, the six state operations every coil model calls, and
// the program's own air-state helpers (standard atmosphere, saturation over water and ice, the
// saturated-air humidity and enthalpy of a wet surface, and the reader for typed air conditions).
//
// The state operations work on ideal-gas moist air (dry air plus water vapour) from -100 to
// 2000 °C, so that hot exhaust air up to 900 °C keeps physical properties:
// - saturation over liquid water (IAPWS-IF97 region 4) at 0 °C and above, over ice
//   (Hyland-Wexler) below, capped at the critical pressure (22064 kPa) above 373.946 °C: the
//   program's own SatPressure, with its two branches joined within 0.01 K of 0 °C;
// - moisture content W = 0.621945·pw/(P - pw), relative humidity pw/pws(t);
// - temperature-dependent specific heats of dry air and vapour, and the enthalpy that is their
//   integral: h = ha(t) + W·(2501 + hv(t)), exact for cp = dh/dt;
// - the thermodynamic wet bulb (adiabatic saturation temperature, real specific heats, liquid
//   water on the wick above 0 °C, ice below), solved in a safe bracket that never reaches the
//   boiling point at P; dew point over water, frost point below 0 °C;
// - density of the ideal-gas mixture; viscosity and conductivity of the dilute gases (dry air
//   after Lemmon and Jacobsen, vapour after IAPWS) mixed by Wilke and Mason-Saxena.
//
// Every operation returns finite numbers for every input and never throws; the iterations are
// bounded (a few tens of balance evaluations per state, a few hundred for a wet-bulb pair near
// freezing) and converge to 1e-10 K. Inputs are held to the range the formulas cover: pressure 1..20000 kPa,
// dry bulb -100..2000 °C, moisture content 0..10 kg/kg, relative humidity 0 and above; a NaN input is read as
// 0 (a dry or wet bulb as -100 °C, the pressure as 101.325 kPa). The record always describes the state
// actually computed, so a held input shows as the held value.
//
// Cases:
// - Supersaturated air (W above saturation at the dry bulb, or a relative humidity above 1) is
//   reported, not refused: rh > 1, a dew point above the dry bulb, and a wet bulb above the dry
//   bulb (the root of the same adiabatic-saturation balance), so (db, wb) gives the state back.
//   Only fog below 0 °C can balance neither wick (below); its wet bulb is then exactly 0 °C.
// - At and above the boiling point at P (T_s(P), 99.97 °C at 101.325 kPa) no saturated air
//   exists at the dry bulb; the wet bulb and dew point stay below T_s(P) and continuous.
// - Above the critical temperature pws is held at the critical pressure, so rh stays continuous.
// - A vapour pressure below the frost pressure at -100 °C (bone-dry air) gives a dew point of
//   -100 °C.
// - Near freezing some states balance both a liquid wick above 0 °C and an ice wick below it
//   (the ice one is up to about 0.4 K colder); their wet bulb is the sum of the two roots, which
//   joins the ice root to the liquid root continuously. States that balance neither have a
//   wet bulb of exactly 0 °C (the wick partly frozen). Elsewhere the wet bulb is ASHRAE's.
// - A wet bulb below that of dry air gives dry air (W = 0); a wet bulb so high that W would pass
//   10 kg/kg gives W = 10 kg/kg. Either way the record's wb is that of the state computed.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zmk {

/// The moist-air state: fifteen doubles in this order (the layout is part of the interface).
struct TAirState
{
    double P = 0;        ///< 1: barometric pressure, kPa
    double db = 0;       ///< 2: dry-bulb temperature, °C
    double wb = 0;       ///< 3: wet-bulb temperature (thermodynamic), °C
    double h = 0;        ///< 4: enthalpy, kJ/kg dry air
    double w = 0;        ///< 5: moisture content, kg/kg dry air
    double rh = 0;       ///< 6: relative humidity, fraction (above 1 when supersaturated)
    double dewpoint = 0; ///< 7: dew point over water, frost point below 0 °C; °C
    double pw = 0;       ///< 8: partial pressure of the water vapour, kPa
    double pws = 0;      ///< 9: saturation pressure at the dry bulb (critical pressure above Tc), kPa
    double rho = 0;      ///< 10: density of the moist air, kg/m³
    double cp = 0;       ///< 11: humid specific heat, kJ/(kg dry air·K)
    double v = 0;        ///< 12: specific volume, m³/kg dry air
    double k = 0;        ///< 13: thermal conductivity, kW/(m·K)
    double mu = 0;       ///< 14: dynamic viscosity, kg/(m·s)
    double ma = 0;       ///< 15: air mass flow, kg/s (written by the coil model)
};

/// Pair codes: which two properties fix a state.
constexpr int kPairDbWb = 0; ///< dry bulb and wet bulb
constexpr int kPairDbH = 1;  ///< dry bulb and enthalpy
constexpr int kPairDbW = 2;  ///< dry bulb and moisture content
constexpr int kPairDbRh = 3; ///< dry bulb and relative humidity
constexpr int kPairHW = 15;  ///< enthalpy and moisture content

/// Iteration counts of the last state computed, for checks and diagnostics.
struct TPsyIterations
{
    int wetBulb = 0;  ///< wet-bulb balances evaluated (Newton steps)
    int dewPoint = 0; ///< frost-point Newton steps (the dew point over water is closed form)
    int dryBulb = 0;  ///< dry bulb from enthalpy and moisture content
    int adp = 0;      ///< saturated state from enthalpy (LeavingState)
    int total() const { return wetBulb + dewPoint + dryBulb + adp; }
};

/// Fills every field of result from the pressure (kPa) and the pair value1, value2 named by code
/// (codes 0, 1, 2, 3, 15; any other code is read as 2). Field 15 is set to 0.
void SetState(TAirState& result, double pressure, double value1, double value2, int code);
void SetState(TAirState& result, double pressure, double value1, double value2, int code,
              TPsyIterations& iterations);
/// SetState returning the record.
TAirState SetState(double pressure, double value1, double value2, int code);

/// SetState with a memory of its last few results. SetState depends on nothing but its four
/// arguments, so a call with the same pressure, pair and code (bit for bit) gives back the
/// state it gave before instead of working it out again: for setters that rebuild the same
/// entering air on every solve.
class TStateCache
{
public:
    /// As SetState(pressure, value1, value2, code).
    TAirState Get(double pressure, double value1, double value2, int code);

private:
    struct Entry
    {
        double P = 0, v1 = 0, v2 = 0;
        int code = -1;
        TAirState state;
    };
    static constexpr std::size_t kEntries = 4;
    Entry entries_[kEntries];
    std::size_t used_ = 0; // entries filled so far
    std::size_t next_ = 0; // the entry the next new state replaces
};

/// Fills result from the pressure of state and the two of its fields that code names (codes
/// 0, 1, 2, 3, 15; any other is read as 2). Field 15 keeps the value of state.
void AirState(TAirState& result, const TAirState& state, int code);
void AirState(TAirState& result, const TAirState& state, int code, TPsyIterations& iterations);
/// AirState returning the record.
TAirState AirState(const TAirState& state, int code);
/// The state from the enthalpy and the moisture content of state at its pressure, for loops that
/// read only P, db, h, w, rh, dewpoint, pw, pws and cp: those come out exactly as AirState(state,
/// kPairHW) gives them; the wet bulb, density, specific volume and transport properties, which
/// cost most, are left NaN. Field 15 keeps the value of state.
void PartialAirStateHW(TAirState& result, const TAirState& state);
/// As PartialAirStateHW for the pair that code names (as AirState reads it).
void PartialAirState(TAirState& result, const TAirState& state, int code);

/// The air leaving a cooling coil: on the straight line from the apparatus dew point
/// (saturated) to the inlet at the bypass factor, with enthalpy inlet h + enthalpyChange
/// (kJ/kg, negative when cooling). apparatusDewPoint (°C) is moved to the saturated state that
/// makes this true; the solve for it starts from the value given (10 °C when not finite). flag
/// is reserved (always 0) and ignored. The bypass factor is held in 0..1; at 1 (all air
/// bypassed) the moisture content stays that of the inlet and the apparatus dew point is left
/// alone. Field 15 keeps the inlet's value.
void LeavingState(TAirState& result, TAirState inlet, int flag, double enthalpyChange, double bypassFactor,
                  double& apparatusDewPoint);
void LeavingState(TAirState& result, TAirState inlet, int flag, double enthalpyChange, double bypassFactor,
                  double& apparatusDewPoint, TPsyIterations& iterations);
/// LeavingState returning the record.
TAirState LeavingState(TAirState inlet, int flag, double enthalpyChange, double bypassFactor,
                       double& apparatusDewPoint);
/// LeavingState for loops that read only the fields PartialAirStateHW gives (the others NaN);
/// those come out exactly as LeavingState gives them. apparatusDewPoint is the solve's start.
void PartialLeavingState(TAirState& result, const TAirState& inlet, double enthalpyChange,
                         double bypassFactor, double& apparatusDewPoint);
/// Where a solve for the apparatus dew point last evaluated the saturated enthalpy, with its
/// slope there: a loop that solves it again for a slightly different enthalpy starts with the
/// Newton step from that point, which costs no evaluation.
struct TAdpMemory
{
    double P = 0;     ///< pressure of that solve, kPa (0: nothing remembered)
    double s = 0;     ///< temperature, °C
    double hs = 0;    ///< saturated enthalpy there, kJ/kg dry air
    double slope = 0; ///< its slope, kJ/(kg·K)
};
/// PartialLeavingState for loops that read only the leaving moisture content and whether the
/// state is supersaturated: P, db, w, pw, pws and rh come out as PartialLeavingState gives them
/// (exactly, without memory), h is the enthalpy the state was made from (inlet h +
/// enthalpyChange), the rest NaN. PartialAirStateHW on it gives PartialLeavingState's state,
/// CompleteAirState the full one. With memory (at the same pressure) the apparatus dew point's
/// solve starts from the remembered point's Newton step instead of apparatusDewPoint, and leaves
/// its own last point there; the answer is the same to rounding. iterations, when given, receives
/// the solve's counts.
void ThinLeavingState(TAirState& result, const TAirState& inlet, double enthalpyChange, double bypassFactor,
                      double& apparatusDewPoint, TAdpMemory* memory = nullptr,
                      TPsyIterations* iterations = nullptr);
/// Fills the fields a partial state leaves NaN (wet bulb, density, specific volume, specific heat
/// and transport properties) from its P, db and w, as the full state has them; a thin state
/// (dew point NaN) has its dew point, enthalpy and specific heat filled first.
void CompleteAirState(TAirState& state);

/// Wet bulb (°C) at pressure (kPa) and dry bulb (°C), with value the relative humidity
/// (code 3), the moisture content (code 2), the enthalpy (code 1) or the wet bulb (code 0).
double WetBulb(double pressure, double dryBulb, double value, int code);
/// Altitude (m) of a barometric pressure (kPa), standard atmosphere.
double Altitude(double pressure);
/// Barometric pressure (kPa) at an altitude (m), standard atmosphere.
double AtmPressure(double altitude);

/// Building blocks of the state operations, for callers that need one property alone. All take
/// °C, kPa and kg/kg dry air, and return finite values for every input.
namespace psy {
/// Saturation pressure over water (0 °C and above) or ice, held at the critical pressure above
/// Tc; kPa. SatPressure, except within 0.01 K of 0 °C, where the two branches (0.055 % apart at
/// 0 °C) are joined linearly in ln p so that dew point and wet bulb stay continuous.
double SaturationPressure(double t);
/// Boiling point of water at pressure P (kPa), °C (IF97 backward equation).
double BoilingPoint(double P);
/// Dew point (frost point below 0 °C) of a vapour partial pressure pw (kPa), °C; -100 for
/// pw below the frost pressure at -100 °C.
double DewPoint(double pw, int* iterations = nullptr);
/// Moisture content of a vapour partial pressure at P, kg/kg.
double MoistureFromVapourPressure(double P, double pw);
/// Vapour partial pressure of a moisture content at P, kPa.
double VapourPressureFromMoisture(double P, double w);
/// Moisture content of saturated air at P and t, kg/kg (limited to 10 kg/kg near the boiling point).
double SaturationMoisture(double P, double t);
/// Dry-air specific heat, kJ/(kg·K), and enthalpy from 0 °C, kJ/kg.
double DryAirCp(double t);
double DryAirEnthalpy(double t);
/// Water-vapour specific heat, kJ/(kg·K), and enthalpy from liquid water at 0 °C, kJ/kg.
double VapourCp(double t);
double SteamEnthalpy(double t);
/// Moist-air enthalpy, kJ/kg dry air, and humid specific heat, kJ/(kg dry air·K).
double Enthalpy(double t, double w);
double HumidCp(double t, double w);
/// Dry bulb (°C) of moist air with enthalpy h (kJ/kg dry air) and moisture content w.
double DryBulbFromEnthalpy(double h, double w, int* iterations = nullptr);
/// Thermodynamic wet bulb, °C.
double WetBulbFromMoisture(double P, double t, double w, int* iterations = nullptr);
/// Moisture content from dry and wet bulb, kg/kg (0..10).
double MoistureFromWetBulb(double P, double t, double wb);
/// Density of moist air, kg/m³, and specific volume, m³/kg dry air.
double Density(double P, double t, double w);
double SpecificVolume(double P, double t, double w);
/// Dilute-gas viscosities, kg/(m·s), and conductivities, kW/(m·K), of dry air, vapour and the mixture.
double DryAirViscosity(double t);
double DryAirConductivity(double t);
double VapourViscosity(double t);
double VapourConductivity(double t);
double Viscosity(double t, double w);
double Conductivity(double t, double w);
/// Viscosity and Conductivity together, sharing the work.
void Transport(double t, double w, double& mu, double& k);
} // namespace psy

// ---- The program's own air-state formulas ----

/// Barometric pressure (kPa) at altitude z (m): 101.325·(1 - 2.25577e-5·z)^5.2559.
double PressureFromAltitude(double z);
/// Altitude (m) of barometric pressure P (kPa), the inverse of PressureFromAltitude.
double AltitudeFromPressure(double P);
/// Saturation pressure of water vapour, kPa: IAPWS-IF97 at T >= 0 °C (22064 above 373.946 °C),
/// Hyland-Wexler over ice below 0 °C.
double SatPressure(double T);
/// Moisture content (kg/kg) of vapour pressure pw at P (kPa), with enhancement factor 1.0044;
/// 0.01 when the computation fails (no finite positive result).
double HumidityRatio(double P, double pw);
/// Moisture content of saturated air at P (kPa) and T (°C), kg/kg.
double SatHumidity(double P, double T);
/// Enthalpy of water vapour at T (°C), kJ/kg.
double VapourEnthalpy(double T);
/// Enthalpy of saturated air at P (kPa) and T (°C), kJ/kg dry air.
double SatEnthalpy(double P, double T);
/// The air state of a typed condition: "db" (wet bulb at relative humidity rh) or "db/wb";
/// db held in -60..99 °C, wb in wb(1 % rh)..db. Throws EConvertError for text that is not a number.
TAirState ParseAirState(std::string_view text, double P, double rh);
/// The typed condition rewritten as "db/wb" with one decimal each; throws EConvertError.
std::string NormalizeAirState(std::string_view text, double P, double rh);

} // namespace zmk
