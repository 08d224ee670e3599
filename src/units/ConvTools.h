// The quantity registry and value formatting. Every engineering value the program prints
// passes through a named quantity (`UnitRec`: section and key such as air/t, liquid/dp) that
// knows the unit the model stores the value in and the unit the user wants to see. The
// registry keeps the 75 quantities in their fixed order (the order of the Units dialog and of
// units.ini); the display unit indexes are the user's choice and persist in units.ini.
#pragma once

#include "units/Conv.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zmk {

/// One named quantity: its kind, stored unit and display unit, and the conversion derived
/// from them. Only `display` changes after registration; the derived fields are recomputed
/// at each formatting, so a new display index takes effect at the next output.
struct UnitRec
{
    std::string section; ///< group name, also the units.ini section ("air")
    std::string key;     ///< quantity name within the group, also the units.ini key ("t")
    TUnitsType kind = utNone;
    std::int32_t display = 0; ///< index of the unit the user sees
    std::int32_t base = 0;    ///< index of the unit the model stores the value in (fixed)
    double factor = 1;        ///< derived: factor[display] / factor[base]
    double offset = 0;        ///< derived: display unit's offset (utTemperature only)
    std::string label;        ///< derived: display unit's label (UTF-8)
    std::string format;       ///< derived: number format last used for this quantity
};

/// The registry: owns the 75 quantities as named members, in registration order. The program
/// uses the instance `Quantities()` of the thread it runs on; tests may make their own or call
/// `ResetDefaults()` on that one.
class TQuantities
{
public:
    /// Registers the 75 quantities with their default display units.
    TQuantities();
    TQuantities(const TQuantities&) = delete;
    TQuantities& operator=(const TQuantities&) = delete;

    /// Fills the record, computes its derived fields and appends it to the list. The record
    /// must outlive the registry (the named members do).
    void RegisterQuantity(UnitRec& quantity, std::string_view section, std::string_view key, TUnitsType kind,
                          int display, int base);

    /// The registered quantities in order.
    const std::vector<UnitRec*>& List() const { return list_; }
    /// The quantity of that section and key (exact, case-sensitive), or nullptr.
    UnitRec* Find(std::string_view section, std::string_view key) const;
    /// Every quantity's display index back to its registration default.
    void ResetDefaults();
    /// Registration default of the display index of a listed quantity (its own display
    /// index when it is not in the list).
    int DefaultDisplay(const UnitRec& quantity) const;

    // Dimensions of the coil (fat = fin and tube).
    UnitRec fat_height, fat_length, fat_depth, fat_fin_spacing, fat_tube_diameter, fat_tube_pitch,
        fat_fin_thickness;
    // The site.
    UnitRec place_barom_pressure, place_altitude, place_ambient;
    // Air.
    UnitRec air_mass_flow, air_vol_flow, air_t, air_h, air_w, air_cp, air_k, air_rh, air_rho, air_v, air_dp,
        air_dt, air_mc;
    // Refrigerant (heat exchangers this program does not model).
    UnitRec ref_t, ref_p, ref_mass_flow, ref_mass_flux, ref_rho, ref_h, ref_dp_rate, ref_dp, ref_v, ref_dt;
    // The tube-side liquid.
    UnitRec liquid_dp, liquid_t, liquid_dt, liquid_vol_flow, liquid_mass_flow, liquid_v, liquid_rho,
        liquid_mc;
    // Steam, saturated pipe, water-cooled condenser, chiller, plate and bare pipe exchangers.
    UnitRec steam_t, steam_p, steam_mass_flow, steam_dp;
    UnitRec sat_length, sat_diam;
    UnitRec wcc_mass_flow, wcc_t, wcc_dt;
    UnitRec chiller_mass_flow, chiller_t, chiller_dt;
    UnitRec plate_height, plate_width, plate_spacing;
    UnitRec barepipe_length, barepipe_diam;
    // Heat exchanger totals.
    UnitRec hex_duty, hex_duty_per_volflow, hex_energy, hex_power, hex_mass, hex_vol, hex_area, hex_dt,
        hex_u_value, hex_pipe_conn;
    // General.
    UnitRec general_duty_rate, general_time, general_fraction, general_proportion, general_respiration,
        general_cond_rate, general_ice_rate;

private:
    std::vector<UnitRec*> list_;
    std::vector<int> defaults_;
};

/// Number of quantities the registry holds.
inline constexpr int QuantityCount = 75;

/// The calling thread's registry, created with its defaults at the thread's first use. One per
/// thread, so that jobs rated on several threads never share what a display choice changes; a
/// thread other than the one that chose display units starts from the defaults.
TQuantities& Quantities();

/// Format string chosen from the size of a shown value x: "%0." + decimals + 'f' or 'g'.
/// Thresholds are compared in extended precision (the double 0.1 counts as above 0.1);
/// barometric pressure gets 3 extra decimals when extraDigits is 0.
std::string AutoFormat(TUnitsType kind, int extraDigits, long double x);

/// `fmt` with its first %s replaced by the stored value in the display unit and its second
/// %s by the unit label ("%s %s" gives "20.0 °C"). keepFormat false chooses the number
/// format with AutoFormat (and stores it in the record), true uses the unit's default format.
std::string FormatQuantity(std::string_view fmt, UnitRec& quantity, bool keepFormat, double value);
/// As FormatQuantity with the number text "a/b", both in the format chosen from a.
std::string FormatQuantityPair(std::string_view fmt, UnitRec& quantity, bool keepFormat, double a, double b);
/// The number text alone, or number text + separator + label when withLabel.
std::string QuantityText(UnitRec& quantity, bool withLabel, std::string_view separator, bool keepFormat,
                         double value);
/// The pair number text "a/b", optionally followed by separator + label.
std::string QuantityPairText(UnitRec& quantity, bool withLabel, std::string_view separator, bool keepFormat,
                             double a, double b);

/// Every quantity's display index set to its kind's metric default.
void SetAllMetric(TQuantities& quantities);
void SetAllMetric();
/// Every quantity's display index set to its kind's imperial default.
void SetAllImperial(TQuantities& quantities);
void SetAllImperial();

/// The per-user units file: $XDG_DATA_HOME/Quorvane/Coils/units.ini, with ~/.local/share when
/// XDG_DATA_HOME is unset, empty or not absolute.
std::filesystem::path UnitsIniPath();

/// Reads every quantity's display index from the file ([section] key=index). A missing file
/// changes nothing; a missing or non-integer key keeps the current index; an index outside
/// the kind's list is clamped into it. A file that is there but cannot be read (not a regular
/// file, too large, not readable) changes nothing either: the result then says why, naming the
/// file ("Cannot read file ...: ..."); it is empty otherwise.
std::string LoadUnitSettings(TQuantities& quantities, const std::filesystem::path& file);
/// The process-wide registry from UnitsIniPath().
std::string LoadUnitSettings();
/// Writes every quantity's display index into the file, in registry order, keeping whatever
/// else the file holds. Creates missing folders; returns false (writing nothing) when the
/// folder cannot be created, the file is there but cannot be read, or it cannot be written,
/// with the reason, naming the file, in `error` when given.
bool SaveUnitSettings(const TQuantities& quantities, const std::filesystem::path& file,
                      std::string* error = nullptr);
/// The process-wide registry to UnitsIniPath().
bool SaveUnitSettings();

} // namespace zmk
