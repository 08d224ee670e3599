// zemtor props: the property calculator. Moist-air states from any two of dry bulb, wet bulb,
// enthalpy, moisture content and relative humidity; liquid properties at a temperature; and the
// tube friction factor at a Reynolds number. Values are in the model's stored units.
#include "cli/AirJson.h"
#include "cli/Commands.h"

#include "base/Errors.h"
#include "base/JsonWriter.h"
#include "base/NumText.h"
#include "properties/Fluid.h"
#include "properties/Friction.h"
#include "properties/Psy.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <iostream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace zmk::cli {

namespace {

struct AirOptions
{
    std::optional<double> p, altitude, db, wb, h, w, rh;
    bool json = false;
};

struct LiquidOptions
{
    std::string kind = "0";
    std::string additive;
    std::optional<double> volume;
    double pf = 5.0;
    double t = 0;
    bool json = false;
};

struct FrictionOptions
{
    double re = 0;
    std::optional<double> roughness, diameter;
    double f0 = 0.015;
    bool colebrook = false;
    bool json = false;
};

// Letters and digits only, lower case: "Thermal Oil", "thermal-oil" and "ThermalOil" match.
std::string Key(const std::string& s)
{
    std::string out;
    for (unsigned char c : s)
        if (std::isalnum(c))
            out += static_cast<char>(std::tolower(c));
    return out;
}

// A number 0..count-1, or one of the names (stored names, and the short names for liquids).
int PickIndex(const std::string& text, int count, const std::vector<std::vector<std::string>>& names,
              const std::string& what)
{
    long long n;
    if (TryStrToInt(text, n)) {
        if (n < 0 || n >= count)
            throw std::runtime_error(what + " " + text + " is out of range (0 to " +
                                     std::to_string(count - 1) + ")");
        return static_cast<int>(n);
    }
    for (int i = 0; i < count; ++i)
        for (const std::string& name : names[i])
            if (!name.empty() && Key(name) == Key(text))
                return i;
    std::string list;
    for (int i = 0; i < count; ++i)
        list += (i ? ", " : "") + std::to_string(i) + " \"" + names[i][0] + "\"";
    throw std::runtime_error("unknown " + what + " '" + text + "'; use one of: " + list);
}

void RunAir(const AirOptions& o)
{
    if (o.p && o.altitude)
        throw std::runtime_error("give either --p or --altitude, not both");
    if (!o.p && !o.altitude)
        throw std::runtime_error("give the barometric pressure with --p KPA or --altitude M");
    const double P = o.p ? *o.p : AtmPressure(*o.altitude);
    if (!(P >= 50 && P <= 120))
        throw std::runtime_error("barometric pressure " + Format("%0.3f", P) +
                                 " kPa is outside 50 to 120 kPa");

    const int given =
        o.db.has_value() + o.wb.has_value() + o.h.has_value() + o.w.has_value() + o.rh.has_value();
    if (given != 2)
        throw std::runtime_error("give exactly two of --db, --wb, --h, --w, --rh");
    if (o.db && !(*o.db >= -60 && *o.db <= 900))
        throw std::runtime_error("dry bulb " + Format("%0.2f", *o.db) + " °C is outside -60 to 900 °C");
    if (o.w && !(*o.w >= 0 && *o.w <= 0.5))
        throw std::runtime_error("moisture content " + Format("%0.6g", *o.w) + " kg/kg is outside 0 to 0.5");
    if (o.rh && !(*o.rh >= 0 && *o.rh <= 1))
        throw std::runtime_error("relative humidity " + Format("%0.6g", *o.rh) +
                                 " is outside 0 to 1 (a fraction)");
    for (const auto& v : {o.wb, o.h})
        if (v && !std::isfinite(*v))
            throw std::runtime_error("wet bulb and enthalpy must be finite numbers");

    TAirState s;
    if (o.db && o.wb)
        SetState(s, P, *o.db, *o.wb, kPairDbWb);
    else if (o.db && o.h)
        SetState(s, P, *o.db, *o.h, kPairDbH);
    else if (o.db && o.w)
        SetState(s, P, *o.db, *o.w, kPairDbW);
    else if (o.db && o.rh)
        SetState(s, P, *o.db, *o.rh, kPairDbRh);
    else if (o.h && o.w)
        SetState(s, P, *o.h, *o.w, kPairHW);
    else
        throw std::runtime_error("this pair does not fix a state here; use --db with --wb, --h, --w or --rh, "
                                 "or --h with --w");

    if (o.json) {
        TJsonWriter w(2);
        WriteAirState(w, s);
        std::cout << w.Text() << "\n";
        return;
    }
    struct Line
    {
        const char* caption;
        const char* fmt;
        double value;
        const char* unit;
    };
    const Line lines[] = {
        {"Barometric pressure", "%0.3f", s.P, "kPa"},
        {"Dry bulb", "%0.3f", s.db, "°C"},
        {"Wet bulb", "%0.3f", s.wb, "°C"},
        {"Enthalpy", "%0.3f", s.h, "kJ/kg"},
        {"Moisture content", "%0.6f", s.w, "kg/kg"},
        {"Relative humidity", "%0.4f", s.rh, ""},
        {"Dew point", "%0.3f", s.dewpoint, "°C"},
        {"Vapour pressure", "%0.5g", s.pw, "kPa"},
        {"Saturation pressure", "%0.5g", s.pws, "kPa"},
        {"Density", "%0.5f", s.rho, "kg/m³"},
        {"Humid specific heat", "%0.5f", s.cp, "kJ/(kg·K)"},
        {"Specific volume", "%0.5f", s.v, "m³/kg"},
        {"Thermal conductivity", "%0.5g", s.k, "kW/(m·K)"},
        {"Dynamic viscosity", "%0.5g", s.mu, "kg/(m·s)"},
    };
    for (const Line& l : lines) {
        std::string caption = l.caption;
        caption.resize(22, ' ');
        std::cout << caption << Format(l.fmt, l.value) << (*l.unit ? " " : "") << l.unit << "\n";
    }
    if (s.rh > 1)
        std::cout << "Warning: the air is supersaturated (relative humidity above 1)\n";
}

void EvaluateLiquid(const LiquidOptions& o, int kind);

void RunLiquid(const LiquidOptions& o)
{
    std::vector<std::vector<std::string>> kindNames;
    for (int k = 0; k < kLiquidKindCount; ++k) {
        TTransportProps p;
        LiquidProps(p, k, 20, 5);
        kindNames.push_back({LiquidKindName(k), p.ShortName, k == 13 ? std::string() : p.Name});
    }
    const int kind = PickIndex(o.kind, kLiquidKindCount, kindNames, "liquid kind");

    try {
        EvaluateLiquid(o, kind);
    } catch (const EMathError& e) {
        throw std::runtime_error("the correlation of " + LiquidKindName(kind) + " has no value at " +
                                 Format("%0.2f", o.t) + " °C (" + e.what() + ")");
    }
}

void EvaluateLiquid(const LiquidOptions& o, int kind)
{
    TLiquid liquid("props", kind, 0, o.t, o.t);
    if (!o.additive.empty()) {
        std::vector<std::vector<std::string>> additiveNames{{"None"},
                                                            {"EthyleneGlycol", "Ethylene Glycol", "EG"},
                                                            {"PropyleneGlycol", "Propylene Glycol", "PG"},
                                                            {"CalciumChloride", "Calcium Chloride", "CaCl"}};
        const int additive = PickIndex(o.additive, kWaterAdditiveCount, additiveNames, "water additive");
        if (additive != 0 && kind != 0)
            throw std::runtime_error("an additive is mixed into water only (--kind 0)");
        if (additive != 0 && !o.volume)
            throw std::runtime_error("give the additive's volume fraction with --volume (0.3 for 30 %)");
        liquid.WaterAdditive = additive;
    }
    if (o.volume) {
        if (!(*o.volume >= 0 && *o.volume <= 1))
            throw std::runtime_error("--volume is a fraction from 0 to 1 (0.3 for 30 %)");
        liquid.AdditiveVolume = *o.volume;
    }
    liquid.SetPf(o.pf);
    liquid.Update();

    const bool inRange = liquid.t >= liquid.TMin && liquid.t <= liquid.TMax;
    if (o.json) {
        TJsonWriter j(2);
        j.BeginObject();
        j.Member("Name", liquid.GetName());
        j.Member("ShortName", liquid.GetShortName());
        j.Member("TMin", liquid.TMin);
        j.Member("TMax", liquid.TMax);
        j.Member("t", liquid.t);
        if (kind == 13)
            j.Member("Pf", liquid.Pf);
        j.Member("ro", liquid.ro);
        j.Member("Cp", liquid.Cp);
        j.Member("mu", liquid.mu);
        j.Member("Ko", liquid.Ko);
        j.Member("Pr", liquid.Pr);
        j.Member("InRange", inRange);
        j.EndObject();
        std::cout << j.Text() << "\n";
        return;
    }
    std::cout << "Name                  " << liquid.GetName() << "\n"
              << "Short name            " << liquid.GetShortName() << "\n"
              << "Validity range        " << Format("%0.1f to %0.1f", liquid.TMin, liquid.TMax) << " °C\n"
              << "Temperature           " << Format("%0.2f", liquid.t) << " °C\n"
              << "Density               " << Format("%0.6g", liquid.ro) << " kg/m³\n"
              << "Specific heat         " << Format("%0.6g", liquid.Cp) << " kJ/(kg·K)\n"
              << "Dynamic viscosity     " << Format("%0.6g", liquid.mu) << " kg/(m·s)\n"
              << "Thermal conductivity  " << Format("%0.6g", liquid.Ko) << " kW/(m·K)\n"
              << "Prandtl number        " << Format("%0.5f", liquid.Pr) << "\n";
    if (!inRange)
        std::cout << "Warning: " << Format("%0.2f", liquid.t) << " °C is outside the validity range "
                  << Format("%0.1f to %0.1f", liquid.TMin, liquid.TMax) << " °C\n";
}

const char* RegimeName(int regime)
{
    switch (regime) {
    case kFrictionSmooth:
        return "turbulent, smooth wall";
    case kFrictionColebrook:
        return "transition (Colebrook)";
    case kFrictionRough:
        return "fully rough";
    case kFrictionLaminar:
        return "laminar";
    default:
        return "invalid input (fallback value)";
    }
}

void RunFriction(const FrictionOptions& o)
{
    if (o.roughness.has_value() != o.diameter.has_value())
        throw std::runtime_error("give --roughness and --diameter together");
    const double roughness = o.roughness.value_or(0);
    const double diameter = o.diameter.value_or(1);
    int regime = kFrictionInvalid;
    const double f = FrictionFactor(regime, o.colebrook, o.f0, roughness, diameter, o.re);
    if (o.json) {
        TJsonWriter j(2);
        j.BeginObject();
        j.Member("f", f);
        j.Member("regime", regime);
        j.Member("RegimeName", RegimeName(regime));
        j.EndObject();
        std::cout << j.Text() << "\n";
        return;
    }
    std::cout << "Friction factor       " << Format("%0.6g", f) << "\n"
              << "Regime                " << regime << " " << RegimeName(regime) << "\n";
}

} // namespace

void AddPropsCommand(CLI::App& app)
{
    auto* props = app.add_subcommand("props", "Moist-air, liquid and friction-factor properties");
    props->require_subcommand(1);

    auto air = std::make_shared<AirOptions>();
    auto* a = props->add_subcommand("air", "The whole moist-air state from the pressure and two properties");
    a->add_option("--p", air->p, "barometric pressure, kPa (50 to 120)");
    a->add_option("--altitude", air->altitude, "altitude, m (instead of --p)");
    a->add_option("--db", air->db, "dry bulb, °C (-60 to 900)");
    a->add_option("--wb", air->wb, "wet bulb, °C");
    a->add_option("--h", air->h, "enthalpy, kJ/kg dry air");
    a->add_option("--w", air->w, "moisture content, kg/kg dry air (0 to 0.5)");
    a->add_option("--rh", air->rh, "relative humidity, fraction (0 to 1)");
    a->add_flag("--json", air->json, "print JSON");
    a->callback([air] { RunAir(*air); });

    auto liquid = std::make_shared<LiquidOptions>();
    auto* l = props->add_subcommand("liquid", "Liquid properties at a temperature");
    l->add_option("--kind", liquid->kind,
                  "liquid kind, 0 to 13 or its name (\"Water\", \"Thermal Oil\" ...)");
    l->add_option("--additive", liquid->additive,
                  "water additive, 0 to 3 or its name (\"EthyleneGlycol\" ...)");
    l->add_option("--volume", liquid->volume, "additive volume fraction (0.3 for 30 %)");
    l->add_option("--pf", liquid->pf, "pressure, bar (compressed air)");
    l->add_option("--t", liquid->t, "temperature, °C")->required();
    l->add_flag("--json", liquid->json, "print JSON");
    l->callback([liquid] { RunLiquid(*liquid); });

    auto friction = std::make_shared<FrictionOptions>();
    auto* f = props->add_subcommand("friction", "Darcy friction factor of tube flow");
    f->add_option("--re", friction->re, "Reynolds number")->required();
    f->add_option("--roughness", friction->roughness, "absolute wall roughness, m");
    f->add_option("--diameter", friction->diameter, "inside diameter, m");
    f->add_option("--f0", friction->f0, "starting guess and fallback (default 0.015)");
    f->add_flag("--colebrook", friction->colebrook, "solve the Colebrook equation whatever the regime");
    f->add_flag("--json", friction->json, "print JSON");
    f->callback([friction] { RunFriction(*friction); });
}

} // namespace zmk::cli
