// The quantity registry, value formatting and the units file.
#include "units/ConvTools.h"

#include "base/IniFile.h"
#include "base/NumText.h"
#include "base/Paths.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <pwd.h>
#include <system_error>
#include <unistd.h>

namespace zmk {

TQuantities::TQuantities()
{
    list_.reserve(QuantityCount);
    defaults_.reserve(QuantityCount);
    // Registration order is the order of the Units dialog and of units.ini. Arguments after
    // the kind: display index, stored (base) index.
    RegisterQuantity(fat_height, "fat", "height", utLengthMeasure, 3, 0);
    RegisterQuantity(fat_length, "fat", "length", utLengthMeasure, 2, 0);
    RegisterQuantity(fat_depth, "fat", "depth", utLengthMeasure, 2, 0);
    RegisterQuantity(fat_fin_spacing, "fat", "fin_spacing", utFinDensity, 0, 0);
    RegisterQuantity(fat_tube_diameter, "fat", "tube_diameter", utLengthMeasure, 2, 0);
    RegisterQuantity(fat_tube_pitch, "fat", "tube_pitch", utLengthMeasure, 2, 0);
    RegisterQuantity(fat_fin_thickness, "fat", "fin_thickness", utLengthMeasure, 2, 0);
    RegisterQuantity(place_barom_pressure, "place", "barom_pressure", utPressureBar, 0, 0);
    RegisterQuantity(place_altitude, "place", "altitude", utAltitude, 0, 0);
    RegisterQuantity(place_ambient, "place", "ambient", utTemperature, 0, 0);
    RegisterQuantity(air_mass_flow, "air", "mass_flow", utMassFlow, 0, 0);
    RegisterQuantity(air_vol_flow, "air", "vol_flow", utAirFlowPrim, 0, 0);
    RegisterQuantity(air_t, "air", "t", utTemperature, 0, 0);
    RegisterQuantity(air_h, "air", "h", utEnthalpy, 0, 0);
    RegisterQuantity(air_w, "air", "w", utHumidity, 1, 0);
    RegisterQuantity(air_cp, "air", "cp", utSpecificHeat, 0, 0);
    RegisterQuantity(air_k, "air", "k", utConductivity, 0, 0);
    RegisterQuantity(air_rh, "air", "rh", utProportion, 1, 0);
    RegisterQuantity(air_rho, "air", "rho", utDensity, 0, 0);
    RegisterQuantity(air_v, "air", "v", utVelocity, 0, 0);
    RegisterQuantity(air_dp, "air", "dp", utAirPressDrop, 1, 1);
    RegisterQuantity(air_dt, "air", "dt", utTemperatureChange, 0, 0);
    RegisterQuantity(air_mc, "air", "mc", utConductance, 0, 0);
    RegisterQuantity(ref_t, "ref", "t", utTemperature, 0, 0);
    RegisterQuantity(ref_p, "ref", "p", utPressure, 0, 1);
    RegisterQuantity(ref_mass_flow, "ref", "mass_flow", utMassFlowGas, 2, 0);
    RegisterQuantity(ref_mass_flux, "ref", "mass_flux", utMassFlux, 0, 0);
    RegisterQuantity(ref_rho, "ref", "rho", utDensity, 0, 0);
    RegisterQuantity(ref_h, "ref", "h", utEnthalpy, 0, 0);
    RegisterQuantity(ref_dp_rate, "ref", "dp_rate", utPressureRateLiquid, 1, 1);
    RegisterQuantity(ref_dp, "ref", "dp", utPressure, 0, 0);
    RegisterQuantity(ref_v, "ref", "v", utVelocity, 0, 0);
    RegisterQuantity(ref_dt, "ref", "dt", utTemperatureChange, 0, 0);
    RegisterQuantity(liquid_dp, "liquid", "dp", utWaterPressDrop, 0, 0);
    RegisterQuantity(liquid_t, "liquid", "t", utTemperature, 0, 0);
    RegisterQuantity(liquid_dt, "liquid", "dt", utTemperatureChange, 0, 0);
    RegisterQuantity(liquid_vol_flow, "liquid", "vol_flow", utWaterFlow, 0, 0);
    RegisterQuantity(liquid_mass_flow, "liquid", "mass_flow", utMassFlow, 0, 0);
    RegisterQuantity(liquid_v, "liquid", "v", utVelocity, 0, 0);
    RegisterQuantity(liquid_rho, "liquid", "rho", utDensity, 0, 0);
    RegisterQuantity(liquid_mc, "liquid", "mc", utConductance, 0, 0);
    RegisterQuantity(steam_t, "steam", "t", utTemperature, 0, 0);
    RegisterQuantity(steam_p, "steam", "p", utPressureSteam, 3, 3);
    RegisterQuantity(steam_mass_flow, "steam", "mass_flow", utMassFlowGas, 2, 0);
    RegisterQuantity(steam_dp, "steam", "dp", utPressure, 0, 0);
    RegisterQuantity(sat_length, "sat", "length", utLengthPrim, 0, 0);
    RegisterQuantity(sat_diam, "sat", "diam", utLengthSec, 2, 0);
    RegisterQuantity(wcc_mass_flow, "wcc", "mass_flow", utMassFlowGas, 2, 0);
    RegisterQuantity(wcc_t, "wcc", "t", utTemperature, 0, 0);
    RegisterQuantity(wcc_dt, "wcc", "dt", utTemperatureChange, 0, 0);
    RegisterQuantity(chiller_mass_flow, "chiller", "mass_flow", utMassFlowGas, 2, 0);
    RegisterQuantity(chiller_t, "chiller", "t", utTemperature, 0, 0);
    RegisterQuantity(chiller_dt, "chiller", "dt", utTemperatureChange, 0, 0);
    RegisterQuantity(plate_height, "plate", "height", utLengthPrim, 0, 0);
    RegisterQuantity(plate_width, "plate", "width", utLengthPrim, 0, 0);
    RegisterQuantity(plate_spacing, "plate", "spacing", utLengthPrim, 0, 0);
    RegisterQuantity(barepipe_length, "barepipe", "length", utLengthPrim, 0, 0);
    RegisterQuantity(barepipe_diam, "barepipe", "diam", utLengthPrim, 0, 0);
    RegisterQuantity(hex_duty, "hex", "duty", utDutyPrim, 0, 0);
    RegisterQuantity(hex_duty_per_volflow, "hex", "duty_per_volflow", utEnergyPerVol, 0, 0);
    RegisterQuantity(hex_energy, "hex", "energy", utEnergy, 0, 0);
    RegisterQuantity(hex_power, "hex", "power", utPower, 0, 0);
    RegisterQuantity(hex_mass, "hex", "mass", utMass, 0, 0);
    RegisterQuantity(hex_vol, "hex", "vol", utVolume, 1, 0);
    RegisterQuantity(hex_area, "hex", "area", utArea, 0, 0);
    RegisterQuantity(hex_dt, "hex", "dt", utTemperatureChange, 0, 0);
    RegisterQuantity(hex_u_value, "hex", "u_value", utHeatTransCoeff, 0, 0);
    RegisterQuantity(hex_pipe_conn, "hex", "pipe_conn", utLengthMeasure, 2, 2);
    RegisterQuantity(general_duty_rate, "general", "duty_rate", utDutyRate, 0, 0);
    RegisterQuantity(general_time, "general", "time", utTime, 0, 0);
    RegisterQuantity(general_fraction, "general", "fraction", utProportion, 0, 1);
    RegisterQuantity(general_proportion, "general", "proportion", utProportion, 0, 1);
    RegisterQuantity(general_respiration, "general", "respiration", utHeatOfRespir, 0, 0);
    RegisterQuantity(general_cond_rate, "general", "cond_rate", utCondensateRate, 0, 1);
    RegisterQuantity(general_ice_rate, "general", "ice_rate", utVelocity, 0, 0);
}

void TQuantities::RegisterQuantity(UnitRec& quantity, std::string_view section, std::string_view key,
                                   TUnitsType kind, int display, int base)
{
    quantity.section = section;
    quantity.key = key;
    quantity.kind = kind;
    quantity.display = display;
    quantity.base = base;
    UnitConversion(kind, display, base, quantity.format, quantity.label, quantity.factor, quantity.offset);
    list_.push_back(&quantity);
    defaults_.push_back(display);
}

UnitRec* TQuantities::Find(std::string_view section, std::string_view key) const
{
    for (UnitRec* q : list_)
        if (q->section == section && q->key == key)
            return q;
    return nullptr;
}

void TQuantities::ResetDefaults()
{
    for (std::size_t i = 0; i < list_.size(); ++i) {
        UnitRec& q = *list_[i];
        q.display = defaults_[i];
        UnitConversion(q.kind, q.display, q.base, q.format, q.label, q.factor, q.offset);
    }
}

int TQuantities::DefaultDisplay(const UnitRec& quantity) const
{
    for (std::size_t i = 0; i < list_.size(); ++i)
        if (list_[i] == &quantity)
            return defaults_[i];
    return quantity.display;
}

TQuantities& Quantities()
{
    thread_local TQuantities quantities;
    return quantities;
}

std::string AutoFormat(TUnitsType kind, int extraDigits, long double x)
{
    if (kind == utPressureBar && extraDigits == 0)
        extraDigits = 3;
    // The limits are extended-precision constants, so a double just above a limit (the
    // double 0.1 is 0.1000000000000000055...) counts as above it.
    const long double a = std::fabs(x);
    const long double m = a < 1e-9L ? 0.0L : a;
    const long double i = std::trunc(a);
    const char c = m != 0 && (i >= 1e9L || m <= 0.001L) ? 'g' : 'f';
    int d;
    if (i >= 100)
        d = 0;
    else if (m == 0)
        d = 0;
    else if (i >= 10)
        d = 1;
    else if (i >= 1)
        d = 2;
    else if (m > 0.1L)
        d = 3;
    else if (m > 0.01L)
        d = 4;
    else if (m > 0.001L)
        d = 5;
    else
        d = 3;
    int n = d + extraDigits;
    if (n < 0)
        n = 0;
    std::string format = "%0.";
    format += std::to_string(n);
    format += c;
    return format;
}

namespace {

// Derived fields from kind, display and base, then the stored value in the display unit.
long double Shown(UnitRec& q, bool keepFormat, double value)
{
    UnitConversion(q.kind, q.display, q.base, q.format, q.label, q.factor, q.offset);
    const long double shown = ToDisplay(q.offset, q.factor, value);
    if (!keepFormat)
        q.format = AutoFormat(q.kind, 0, shown);
    return shown;
}

std::string NumberText(UnitRec& q, bool keepFormat, double value)
{
    const long double shown = Shown(q, keepFormat, value);
    return Format(q.format, shown);
}

std::string PairNumberText(UnitRec& q, bool keepFormat, double a, double b)
{
    const long double shownA = Shown(q, keepFormat, a);
    const long double shownB = ToDisplay(q.offset, q.factor, b);
    return Format(q.format + "/" + q.format, shownA, shownB);
}

std::string WithLabel(std::string text, const UnitRec& q, bool withLabel, std::string_view separator)
{
    if (withLabel) {
        text += separator;
        text += q.label;
    }
    return text;
}

} // namespace

std::string FormatQuantity(std::string_view fmt, UnitRec& quantity, bool keepFormat, double value)
{
    return Format(fmt, NumberText(quantity, keepFormat, value), quantity.label);
}

std::string FormatQuantityPair(std::string_view fmt, UnitRec& quantity, bool keepFormat, double a, double b)
{
    return Format(fmt, PairNumberText(quantity, keepFormat, a, b), quantity.label);
}

std::string QuantityText(UnitRec& quantity, bool withLabel, std::string_view separator, bool keepFormat,
                         double value)
{
    return WithLabel(NumberText(quantity, keepFormat, value), quantity, withLabel, separator);
}

std::string QuantityPairText(UnitRec& quantity, bool withLabel, std::string_view separator, bool keepFormat,
                             double a, double b)
{
    return WithLabel(PairNumberText(quantity, keepFormat, a, b), quantity, withLabel, separator);
}

namespace {

// Whether a unit of a kind is shown with a label.
bool hasLabel(TUnitsType kind, int index)
{
    std::string format, label;
    double factor = 1, offset = 0;
    UnitConversion(kind, index, index, format, label, factor, offset);
    return !label.empty();
}

// A set's unit for a quantity: the kind's, unless that is a bare number where the quantity's own
// default has a unit (relative humidity stays in percent, not a fraction with no label).
int setUnit(const TQuantities& quantities, const UnitRec& q, int index)
{
    const int own = quantities.DefaultDisplay(q);
    return !hasLabel(q.kind, index) && hasLabel(q.kind, own) ? own : index;
}

} // namespace

void SetAllMetric(TQuantities& quantities)
{
    for (UnitRec* q : quantities.List())
        q->display = setUnit(quantities, *q, MetricUnitIndex(q->kind, q->display));
}

void SetAllMetric()
{
    SetAllMetric(Quantities());
}

void SetAllImperial(TQuantities& quantities)
{
    for (UnitRec* q : quantities.List())
        q->display = setUnit(quantities, *q, ImperialUnitIndex(q->kind, q->display));
}

void SetAllImperial()
{
    SetAllImperial(Quantities());
}

std::filesystem::path UnitsIniPath()
{
    return DataHomeFolder() / "Quorvane" / "Coils" / "units.ini";
}

std::string LoadUnitSettings(TQuantities& quantities, const std::filesystem::path& file)
{
    IniFile ini;
    if (!ini.Load(file))
        return ini.LoadStatus() == TFileReadStatus::Missing ? std::string() : ini.LoadError();
    for (UnitRec* q : quantities.List()) {
        long long index;
        if (!TryStrToInt(ini.ReadString(q->section, q->key, ""), index))
            continue;
        if (index < INT_MIN)
            index = INT_MIN;
        else if (index > INT_MAX)
            index = INT_MAX;
        q->display = ClampUnitIndex(q->kind, static_cast<int>(index));
    }
    return {};
}

std::string LoadUnitSettings()
{
    return LoadUnitSettings(Quantities(), UnitsIniPath());
}

bool SaveUnitSettings(const TQuantities& quantities, const std::filesystem::path& file, std::string* error)
{
    const auto fail = [&](std::string reason) {
        if (error)
            *error = std::move(reason);
        return false;
    };
    std::error_code ec;
    if (file.has_parent_path()) {
        std::filesystem::create_directories(file.parent_path(), ec);
        if (ec)
            return fail("Cannot create folder \"" + file.parent_path().string() + "\": " + ec.message());
    }
    // Keep whatever else the file holds; a file that is there but cannot be read is left alone.
    IniFile ini;
    if (!ini.Load(file) && ini.LoadStatus() != TFileReadStatus::Missing)
        return fail(ini.LoadError());
    for (const UnitRec* q : quantities.List())
        ini.WriteInteger(q->section, q->key, q->display);
    return ini.Save(file, error);
}

bool SaveUnitSettings()
{
    return SaveUnitSettings(Quantities(), UnitsIniPath());
}

} // namespace zmk
