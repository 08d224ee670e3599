// What a solve comes to: its status, the remarks that leave a result solved, and the constants
// and names the coils share (surface conditions, duty directions, kind codes, the step matrix's
// shape, the fouling resistance, the apparatus dew point default).
#pragma once

#include "properties/Psy.h"

#include <cstdint>
#include <string>

namespace zmk {

/// Outcome of a solve or design run.
enum class TSolveStatus : std::uint8_t {
    None = 0,      ///< solved, no error
    Iterating = 1, ///< still iterating
    CountOut = 2,  ///< iteration limit reached
    Aborted = 3,   ///< never set by the coils
    TimeOut = 4,   ///< never set by the coils
    DataError = 5, ///< the data admit no solution
};
/// "None", "Iterating", "CountOut", "Aborted", "TimeOut", "DataError"; empty for other values.
std::string SolveStatusName(TSolveStatus status);

/// Surface conditions (`SurfaceCondition`).
constexpr std::uint8_t scDry = 0;
constexpr std::uint8_t scWet = 1;
constexpr std::uint8_t scPartWet = 2;
/// "Dry", "Wet", "Part-Wet"; empty for other values.
std::string SurfaceConditionName(int condition);

/// Duty directions (`AirCooling`).
constexpr std::uint8_t kAirHeating = 0;
constexpr std::uint8_t kAirCooling = 1;
/// "Air Heating", "Air Cooling"; empty for other values.
std::string DutyDirectionName(int direction);

/// Geometry kind codes handed to the geometry by the concrete coils.
constexpr int kCodeColdWaterCoil = 0;
constexpr int kCodeHotWaterCoil = 1;
constexpr int kCodeZemtor = 5;

/// The model text used when the one given at construction cannot be read.
inline constexpr const char* kFallbackModel = "544 x 720 4r 12f  (14c)";

/// Shape of the step matrix: rows (liquid, air dry bulb, surface, air dew point) × slices.
constexpr int kStepRows = 4;
constexpr int kStepCount = 100;

/// Fouling resistance applied when `UseFouling` is set, m²·K/kW.
constexpr double kFoulingResistance = 0.0048;

/// The apparatus dew point default (°C): what a new coil copies into `ADP`. Every cold water
/// solve that completes stores its ADP here. One per thread, so that coils rated on other
/// threads never change it; a batch resets it before each job so that no job depends on the
/// ones rated before it. Tests reset it.
class TAdpDefault
{
public:
    static constexpr double kInitial = 10.0; ///< value at program start, °C

    /// The calling thread's instance.
    static TAdpDefault& Instance();
    /// The current default, °C.
    double Value() const { return value_; }
    /// Stores a cold coil's final ADP (°C).
    void Store(double adp) { value_ = adp; }
    /// Back to kInitial.
    void Reset() { value_ = kInitial; }

private:
    TAdpDefault() = default;
    double value_ = kInitial;
};

/// A remark on a solved result: what it is and the numbers it names.
struct TResultWarning
{
    enum Kind : std::uint8_t {
        LiquidRange,    ///< value, a liquid temperature (°C), lies outside lo..hi, its data's range
        TubeTransition, ///< value, the tube Reynolds number, lies in the transition range
        Frost,          ///< value, the coldest fin surface (°C), is below 0 °C and the air's dew point
        /// value, the correlation's parameter (in unit), lies outside lo..hi, the range it was fitted to
        CorrelationRange,
        /// value (in unit) was taken for the correlation's parameter, which the pattern does not give
        AssumedDimension,
    };
    Kind kind = LiquidRange;
    double value = 0;
    double lo = 0;
    double hi = 0;
    const char* correlation = ""; ///< CorrelationRange: the correlation's name and year
    const char* parameter = "";   ///< CorrelationRange: the parameter's name
    const char* unit = "";        ///< CorrelationRange: the unit of value, lo and hi
};
/// The warning as one sentence: temperatures in °C when stored is true, else in the display unit
/// of liquid/t.
std::string WarningText(const TResultWarning& warning, bool stored);
/// Why entering air cannot be rated (more moisture than saturated air at its dry bulb), in the
/// user's words ending in "..."; empty when it can.
std::string EnteringAirProblem(const TAirState& air);
/// Enthalpy of condensate leaving a coil surface at t (°C), kJ/kg, on the psychrometric
/// reference (liquid water at 0 °C); frost below -0.5 °C, partly frozen from there to 0 °C.
double CondensateEnthalpy(double t);
/// How far (K) a liquid's mean or leaving temperature may pass the range of its property data
/// and still be rated (with a warning); beyond it the job is not solved.
constexpr double kLiquidRangeMargin = 20;

} // namespace zmk
