// Liquid property correlations and the tube-side liquid.
#include "properties/Fluid.h"

#include "base/Errors.h"
#include "base/NumText.h"

#include <cmath>
#include <initializer_list>
#include <string_view>

namespace zmk {

namespace {

// c0 + c1·T + ... + cn·Tⁿ by Horner's rule.
double poly(double T, std::initializer_list<double> c)
{
    double r = 0;
    for (auto it = c.end(); it != c.begin();) {
        --it;
        r = r * T + *it;
    }
    return r;
}

// (a + b·T)^(-1/c)
double powForm(double a, double b, double c, double T)
{
    return std::pow(a + b * T, -1.0 / c);
}
// a / (1 + e^(b - c·T))^(1/d)
double logistic(double a, double b, double c, double d, double T)
{
    return a / std::pow(1 + std::exp(b - c * T), 1.0 / d);
}
// (a + b·T) / (1 + c·T + d·T²)
double rational(double a, double b, double c, double d, double T)
{
    return (a + b * T) / (1 + c * T + d * T * T);
}

// The temperature of the rows clamped below: moved up by 0.01 K at and below TMin.
double clampBelow(double T, double TMin)
{
    return T > TMin ? T : TMin + 0.01;
}

// Long and short names of kinds 1..12 (kind 0's are those of clean water, kind 13's long name
// carries the pressure).
constexpr std::string_view kLongNames[kLiquidKindCount] = {
    "Clean Water",          "Shell Thermia B",           "Engine Oil",      "Glycerin",
    "Pure Ethylene Glycol", "Pure Calcium Chloride",     "Sulphur Dioxide", "Mercury",
    "Liquid Ammonia",       "Liquid Carbon Dioxide",     "Methylchloride",  "liquid Freon R12",
    "Condensed steam",      "Compressed Air (%0.1f-bar)"};
constexpr std::string_view kShortNames[kLiquidKindCount] = {
    "Water",   "Thermal Oil", "Eng Oil", "Glycerin", "Eth Glycol", "CaCl",      "SO2",
    "Mercury", "Liq NH3",     "Liq CO2", "CH3Cl",    "Liq R12",    "Liq Steam", "Comp Air"};

void setNames(TTransportProps& p, int kind, double TMin, double TMax)
{
    // The properties are evaluated at every pass of a solve, nearly always for the same liquid:
    // the names are copied only when the last evaluation into these props was of another kind.
    if (p.NamesKind != kind) {
        p.Name = kLongNames[kind];
        p.ShortName = kShortNames[kind];
        p.NamesKind = kind;
    }
    p.TMin = TMin;
    p.TMax = TMax;
}

// A fit evaluated where it has no value (a pole, a negative base) is an arithmetic fault.
void checkFinite(const char* where, const TTransportProps& p)
{
    if (!std::isfinite(p.ro) || !std::isfinite(p.Cp) || !std::isfinite(p.mu) || !std::isfinite(p.Ko))
        throw EMathError(where, "Invalid floating point operation");
}

constexpr double kMicro = 1e-6;

struct MixtureFit
{
    double c[9];
};

// Fits f(X, T); the property is e^f (viscosity /1000, conductivity ×0.001).
constexpr MixtureFit kMixture[3][4] = {
    // ethylene glycol: Cp, ro, mu, Ko
    {{{1.406849, -0.3410291, -0.2904647, 0.0003312435, -2.551485e-07, 0.001121364, 0.001249707, 1.306799e-06,
       -4.120158e-06}},
     {{6.908832, 0.1794889, -0.0507766, -0.0001837594, -2.623705e-06, -0.0002260728, -4.543736e-05,
       3.226073e-07, 3.241066e-09}},
     {{0.2724536, 3.992438, -0.2251732, -0.02101816, 5.641053e-05, -0.03548088, -0.008420715, 0.0001645189,
       3.188547e-05}},
     {{-0.5757472, -0.9424482, 0.1380524, 0.003464035, -1.589163e-05, -0.001089505, -0.001871467,
       4.213576e-06, 1.134046e-05}}},
    // propylene glycol
    {{{1.41445, -0.1445615, -0.4128028, 0.0003135204, -3.779987e-07, 0.0009113963, 0.00138883, 2.183251e-06,
       -5.01317e-06}},
     {{6.908573, 0.1366206, -0.07043926, -0.0001767706, -2.507884e-06, -0.0004839677, 3.138708e-05,
       -1.325173e-06, 1.622499e-06}},
     {{0.3524547, 5.306361, 0.04665734, -0.02054708, 4.146016e-05, -0.07402468, 0.007216168, 0.0004348032,
       -0.0001283622}},
     {{-0.5802013, -0.9180157, -0.05295051, 0.003521125, -1.630104e-05, -0.001783947, -0.00256973,
       5.672269e-06, 1.020785e-05}}},
    // calcium chloride
    {{{1.47304, -2.16854, 1.99074, -0.000861589, 4.40557e-05, 0.0165115, -0.0361895, -0.000477273,
       0.00112324}},
     {{6.90516, 0.874903, 0.0408444, -0.000293198, -4.18535e-06, 0.000269838, -0.00249498, 2.36169e-05,
       -5.71633e-05}},
     {{0.63204, 0.165707, 12.2757, -0.0512627, 0.00119454, 0.150601, -0.348387, -0.00360417, 0.000846518}},
     {{-0.572066, -0.165657, -0.148247, 0.00282036, -1.26764e-06, 0.00183451, -0.00849362, -4.6045e-05,
       0.000134983}}}};

enum MixtureProperty { mpCp = 0, mpRo = 1, mpMu = 2, mpKo = 3 };

double mixture(int additive, MixtureProperty property, double X, double T)
{
    if (additive < 1 || additive > 3)
        return 0;
    const double* c = kMixture[additive - 1][property].c;
    const double f = c[0] + c[1] * X + c[2] * X * X + c[3] * T + c[4] * T * T +
                     X * T * (c[5] + c[6] * X + c[7] * T + c[8] * X * T);
    return std::exp(f);
}

const char* const kKindNames[kLiquidKindCount] = {
    "Water",           "Thermal Oil",           "Engine Oil",      "Glycerin",
    "Ethylene Glycol", "Calcium Chloride",      "Sulphur Dioxide", "Mercury",
    "Liquid Ammonia",  "Liquid Carbon Dioxide", "Methylchloride",  "Freon - Liquid R12",
    "Condensed Steam", "Compressed Air"};

const char* const kAdditiveNames[kWaterAdditiveCount] = {"None", "EthyleneGlycol", "PropyleneGlycol",
                                                         "CalciumChloride"};

std::string compressedAirName(double P)
{
    return Format(kLongNames[13].data(), P);
}

} // namespace

std::string LiquidKindName(int kind)
{
    return kind >= 0 && kind < kLiquidKindCount ? kKindNames[kind] : std::string();
}

std::string WaterAdditiveName(int additive)
{
    return additive >= 0 && additive < kWaterAdditiveCount ? kAdditiveNames[additive] : std::string();
}

void CleanWaterProps(TTransportProps& p, double T)
{
    setNames(p, 0, 0, 300);
    const double Tc = T < 0 ? 0.01 : (T > 300 ? 299.99 : T);
    p.ro = poly(T, {1000.0118, 0.0090785827, -0.0056365427, 1.3593032e-05});
    p.Cp = poly(T, {4.2113407, -0.0022883491, 5.3389636e-05, -4.8856259e-07, 1.9154158e-09});
    p.mu = powForm(0.013345143, 0.0002569035, 0.57775001, Tc) * kMicro;
    p.Ko = logistic(703.7, 0.24865794, 0.022435538, 3.8824647, Tc) * kMicro;
    checkFinite("CleanWaterProps", p);
}

void ThermalOilProps(TTransportProps& p, double T)
{
    setNames(p, 1, 0, 300);
    p.ro = 880 - 11 * T / 17;
    p.Cp = 1.8 + 0.00375 * T;
    p.mu = 1 / (4.9 + 0.03 * T * T);
    p.Ko = (134.5 - 24.5 * T / 330) * kMicro;
    checkFinite("ThermalOilProps", p);
}

void EngineOilProps(TTransportProps& p, double T)
{
    setNames(p, 2, 0, 300);
    p.ro = poly(T, {899.60424, -0.59924134, 7.49e-05});
    p.Cp = poly(T, {1.7914, 0.004286667});
    p.mu = powForm(0.075668047, 0.00117007, 0.17023116, clampBelow(T, p.TMin)) * kMicro;
    p.Ko = poly(T, {146.89533, -0.0994}) * kMicro;
    checkFinite("EngineOilProps", p);
}

void GlycerinProps(TTransportProps& p, double T)
{
    setNames(p, 3, 0, 50);
    p.ro = poly(T, {1276.2381, -0.61485714});
    p.Cp = poly(T, {2.2555238, 0.006425714});
    p.mu = powForm(0.097799216, 0.001575554, 0.14369868, clampBelow(T, p.TMin)) * kMicro;
    p.Ko = poly(T, {282.57905, 0.088971429}) * kMicro;
    checkFinite("GlycerinProps", p);
}

void EthyleneGlycolProps(TTransportProps& p, double T)
{
    setNames(p, 4, 0, 100);
    p.ro = poly(T, {1130.5381, -0.70242857});
    p.Cp = poly(T, {2.2926667, 0.00447});
    p.mu = powForm(0.018701052, 0.000459611, 0.35903647, clampBelow(T, p.TMin)) * kMicro;
    p.Ko = poly(T, {242.07821, 0.41365536, -0.002085268}) * kMicro;
    checkFinite("EthyleneGlycolProps", p);
}

void CalciumChlorideProps(TTransportProps& p, double T)
{
    setNames(p, 5, -50, 50);
    p.ro = poly(T, {1296.0818, -0.47190909});
    p.Cp = poly(T, {2.736, 0.002561818});
    p.mu = powForm(0.028212904, 0.000289641, 0.39683377, clampBelow(T, p.TMin)) * kMicro;
    p.Ko = poly(T, {469.97364, 1.3380636}) * kMicro;
    checkFinite("CalciumChlorideProps", p);
}

void SulphurDioxideProps(TTransportProps& p, double T)
{
    setNames(p, 6, -50, 50);
    p.ro = poly(T, {1435.2182, -2.5948182});
    p.Cp = poly(T, {1.3629091, 7.64e-05});
    p.mu = poly(T, {369.40375, -5.2715, 0.04496352}) * kMicro;
    p.Ko = poly(T, {211.54107, -0.64466364, -0.000847436}) * kMicro;
    checkFinite("SulphurDioxideProps", p);
}

void MercuryProps(TTransportProps& p, double T)
{
    setNames(p, 7, 0, 316);
    p.ro = 13626.224 - 2.4519293 * T;
    p.Cp = 0.13919108 - 1.61e-05 * T;
    p.mu = (1570.9765 - 2.4330312 * T) * kMicro;
    p.Ko = (8440.346 + 18.537967 * T) * kMicro;
    checkFinite("MercuryProps", p);
}

void LiquidAmmoniaProps(TTransportProps& p, double T)
{
    setNames(p, 8, -50, 50);
    p.ro = poly(T, {637.7, -1.3871818});
    p.Cp = poly(T, {4.6275455, 0.006693636, 6.32e-05});
    p.mu = poly(T, {239.25455, -1.0751818}) * kMicro;
    p.Ko = poly(T, {538.13832, -0.68874545, -0.011087413}) * kMicro;
    checkFinite("LiquidAmmoniaProps", p);
}

void LiquidCO2Props(TTransportProps& p, double T)
{
    setNames(p, 9, -50, 30);
    p.ro = poly(T, {921.19351, -7.6733983, -0.066253247});
    p.Cp = rational(2.4451618, 0.000675234, -0.021276186, -0.000326264, T);
    p.mu = poly(T, {99.405221, -1.2968578, -0.01153539}) * kMicro;
    p.Ko = poly(T, {107.38586, -0.65246472, -0.020789069}) * kMicro;
    checkFinite("LiquidCO2Props", p);
}

void MethylchlorideProps(TTransportProps& p, double T)
{
    setNames(p, 10, -50, 50);
    p.ro = poly(T, {959.9, -1.8997273});
    p.Cp = poly(T, {1.5368485, 0.0021, 1.79e-05});
    p.mu = poly(T, {288.97364, -0.99627273}) * kMicro;
    p.Ko = poly(T, {177.36, -0.81449091}) * kMicro;
    checkFinite("MethylchlorideProps", p);
}

void LiquidR12Props(TTransportProps& p, double T)
{
    setNames(p, 11, -50, 50);
    p.ro = poly(T, {1391.3909, -3.2812727});
    p.Cp = poly(T, {0.93936364, 0.001465455});
    p.mu = poly(T, {294.44893, -2.3197818, 0.023815618}) * kMicro;
    p.Ko = poly(T, {72.555315, 0.007863636, -0.002117133}) * kMicro;
    checkFinite("LiquidR12Props", p);
}

void CondensedSteamProps(TTransportProps& p, double T)
{
    setNames(p, 12, 0, 300);
    p.ro = 1002.018 - 0.17232 * T - 0.0025928 * T * T;
    p.Cp = 4.2079 - 0.0012618 * T + 1.3547e-05 * T * T;
    p.mu = 0.53155084 * std::pow(T + 42.970681, -1.5171238); // already in kg/(m·s)
    p.Ko = (569.8519 + 1.817 * T - 0.0074308 * T * T + 3.5535e-06 * T * T * T) * kMicro;
    checkFinite("CondensedSteamProps", p);
}

void CompressedAirProps(TTransportProps& p, double T, double P)
{
    setNames(p, 13, 50, 400);
    // The long name carries the pressure: set here, so the next evaluation sets it again.
    p.Name = compressedAirName(P);
    p.NamesKind = -1;
    p.ro = 100000 * P / (287.1 * (T + 273.15));
    p.Cp = poly(T, {1.0014, 6.31899e-05, 2.67673e-07});
    p.mu = poly(T, {17.6874, 0.058335, -4.57116e-05}) * kMicro;
    p.Ko = poly(T, {24.2432, 0.077467, -2.75949e-05}) * kMicro;
    checkFinite("CompressedAirProps", p);
}

bool LiquidProps(TTransportProps& props, int kind, double T, double P)
{
    switch (kind) {
    case 0:
        CleanWaterProps(props, T);
        return true;
    case 1:
        ThermalOilProps(props, T);
        return true;
    case 2:
        EngineOilProps(props, T);
        return true;
    case 3:
        GlycerinProps(props, T);
        return true;
    case 4:
        EthyleneGlycolProps(props, T);
        return true;
    case 5:
        CalciumChlorideProps(props, T);
        return true;
    case 6:
        SulphurDioxideProps(props, T);
        return true;
    case 7:
        MercuryProps(props, T);
        return true;
    case 8:
        LiquidAmmoniaProps(props, T);
        return true;
    case 9:
        LiquidCO2Props(props, T);
        return true;
    case 10:
        MethylchlorideProps(props, T);
        return true;
    case 11:
        LiquidR12Props(props, T);
        return true;
    case 12:
        CondensedSteamProps(props, T);
        return true;
    case 13:
        CompressedAirProps(props, T, P);
        return true;
    default:
        return false;
    }
}

double MixtureRo(int additive, double X, double T)
{
    return mixture(additive, mpRo, X, T);
}
double MixtureCp(int additive, double X, double T)
{
    return mixture(additive, mpCp, X, T);
}
double MixtureMu(int additive, double X, double T)
{
    return mixture(additive, mpMu, X, T) / 1000;
}
double MixtureKo(int additive, double X, double T)
{
    return mixture(additive, mpKo, X, T) * 0.001;
}

// ---- TFluid ----

void TFluid::SetT(double value)
{
    t = value;
    tfo = 2 * value - tfi;
    Update();
}

void TFluid::SetTfi(double value)
{
    tfi = value;
    t = (value + tfo) / 2;
    Update();
}

void TFluid::SetTfo(double value)
{
    tfo = value;
    t = (tfi + value) / 2;
    Update();
}

// ---- TLiquid ----

TLiquid::TLiquid(std::string caption, int liquidSpec, double m_, double tfi_, double tfo_)
{
    Pf = 5.0;
    UserProps = false;
    Caption = std::move(caption);
    m = m_;
    tfi = tfi_;
    tfo = tfo_;
    t = (tfi + tfo) / 2;
    LiquidSpec = liquidSpec;
    WaterAdditive = 0;
    AdditiveVolume = 0;
    Update();
    UserRo = ro;
    UserCp = Cp;
    UserMu = mu;
    UserKo = Ko;
    UserTMin = TMin;
    UserTMax = TMax;
}

namespace {
bool usesMixture(const TLiquid& l)
{
    return l.LiquidSpec == 0 && l.WaterAdditive >= 1 && l.WaterAdditive <= 3 && l.AdditiveVolume != 0;
}
} // namespace

void TLiquid::Update()
{
    if (UserProps) {
        ro = UserRo;
        Cp = UserCp;
        mu = UserMu;
        Ko = UserKo;
        TMin = UserTMin;
        TMax = UserTMax;
    } else if (usesMixture(*this)) {
        TMin = kMixtureTMin;
        TMax = kMixtureTMax;
        ro = MixtureRo(WaterAdditive, AdditiveVolume, t);
        Cp = MixtureCp(WaterAdditive, AdditiveVolume, t);
        mu = MixtureMu(WaterAdditive, AdditiveVolume, t);
        Ko = MixtureKo(WaterAdditive, AdditiveVolume, t);
        if (!std::isfinite(ro) || !std::isfinite(Cp) || !std::isfinite(mu) || !std::isfinite(Ko))
            throw EMathError("TLiquid.Update", "Floating point overflow");
    } else {
        // Evaluated at every pass of a solve: the names the fits fill in are kept from the last
        // evaluation on this thread (nearly always of the same liquid), not made anew each time.
        thread_local TTransportProps props;
        if (LiquidProps(props, LiquidSpec, t, Pf)) {
            if (LiquidSpec == 13)
                evaluatedPf_ = Pf;
            ro = props.ro;
            Cp = props.Cp;
            mu = props.mu;
            Ko = props.Ko;
            TMin = props.TMin;
            TMax = props.TMax;
        }
    }
    if (Ko == 0)
        throw EMathError("TLiquid.Update", "Floating point division by zero");
    Pr = Cp * mu / Ko;
    if (!std::isfinite(Pr))
        throw EMathError("TLiquid.Update", "Invalid floating point operation");
}

void TLiquid::CorrelationRange(double& tmin, double& tmax) const
{
    tmin = TMin;
    tmax = TMax;
    if (usesMixture(*this)) {
        tmin = kMixtureTMin;
        tmax = kMixtureTMax;
        return;
    }
    // Every fit has a value at 20 °C; only the range is wanted.
    TTransportProps props;
    if (LiquidProps(props, LiquidSpec, 20, Pf > 0 ? Pf : 5.0)) {
        tmin = props.TMin;
        tmax = props.TMax;
    }
}

std::string TLiquid::GetName() const
{
    if (UserProps)
        return "User Specified Fluid";
    if (LiquidSpec != 0) {
        if (LiquidSpec == 13)
            return compressedAirName(evaluatedPf_);
        return LiquidSpec > 0 && LiquidSpec < kLiquidKindCount ? std::string(kLongNames[LiquidSpec]) : "";
    }
    const double percent = 100 * AdditiveVolume;
    switch (WaterAdditive) {
    case 1:
        return Format("Water (%0.0f%% Ethylene Glycol)", percent);
    case 2:
        return Format("Water (%0.0f%% Propylene Glycol)", percent);
    case 3:
        return Format("Water (%0.0f%% Calcium Chloride)", percent);
    default:
        return "Clean Water";
    }
}

std::string TLiquid::GetShortName() const
{
    if (UserProps)
        return "User Spec. Fluid";
    if (LiquidSpec != 0)
        return LiquidSpec > 0 && LiquidSpec < kLiquidKindCount ? std::string(kShortNames[LiquidSpec]) : "";
    const double percent = 100 * AdditiveVolume;
    switch (WaterAdditive) {
    case 1:
        return Format("%0.0f%% Eth-Glycol", percent);
    case 2:
        return Format("%0.0f%% Prop-Glycol", percent);
    case 3:
        return Format("%0.0f%% Calc-Chloride", percent);
    default:
        return "Clean Water";
    }
}

std::string TLiquid::GetTitle() const
{
    return GetName() + " " + Format("%0.1f", t);
}

} // namespace zmk
