// Moist-air states: saturation, enthalpy, wet bulb, dew point and transport properties, and the
// program's own air-state helpers.
#include "properties/Psy.h"

#include "base/Errors.h"
#include "base/NumText.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

namespace zmk {

namespace {

constexpr double kKelvin = 273.15;
constexpr double kMolarRatio = 0.621945;         // M_water / M_dry air
constexpr double kCriticalPressure = 22064.0;    // kPa
constexpr double kCriticalTemperature = 373.946; // °C
constexpr double kLatent0 = 2501.0;              // vapour enthalpy at 0 °C from liquid water at 0 °C, kJ/kg

// Range the state operations hold their inputs to.
constexpr double kPMin = 1.0, kPMax = 20000.0;   // kPa
constexpr double kTMin = -100.0, kTMax = 2000.0; // °C
constexpr double kWMax = 10.0;                   // kg/kg dry air
constexpr double kStandardPressure = 101.325;

// Specific heats of dry air (Lemmon et al. 2000, at 101.325 kPa) and of water vapour (IAPWS-95
// ideal gas), least-squares quartics in x = t/1000 (t in °C) over 20..900 °C, within 0.03 %.
// They are held at their end values below 0 °C and above 1000 °C, where the enthalpy goes on
// linearly, so h stays the exact integral of cp everywhere.
constexpr double kCpAir[5] = {1.006202078, -0.01362774899, 0.6838087137, -0.7580997692, 0.2672164465};
constexpr double kCpVapour[5] = {1.857590451, 0.237977764, 1.049663544, -1.055624896, 0.3947942629};
constexpr double kCpHigh = 1000.0; // °C

// IAPWS-IF97 region 4 coefficients n1..n10.
constexpr double kN[10] = {1167.0521452767,   -724213.16703206, -17.073846940092, 12020.82470247,
                           -3232555.0322333,  14.91510861353,   -4823.2657361591, 405113.40542057,
                           -0.23855557567849, 650.17534844798};

// Hyland-Wexler over ice with the program's own constants (ln p in Pa, T in K).
constexpr double kIce[7] = {-5674.359,     6.3925247,     -0.009677843, 6.2215701e-07,
                            2.0747825e-09, -9.484024e-13, 4.1635019};

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

// Saturation over ice and over water differ by 0.055 % at 0 °C; within this half-width (K) the
// library joins them linearly in ln p, so dew point and wet bulb stay continuous at freezing.
constexpr double kJoin = 0.01;

double numberOr(double x, double fallback)
{
    return std::isnan(x) ? fallback : x;
}

double holdP(double P)
{
    return std::clamp(numberOr(P, kStandardPressure), kPMin, kPMax);
}
double holdT(double t)
{
    return std::clamp(numberOr(t, kTMin), kTMin, kTMax);
}
double holdW(double w)
{
    return std::clamp(numberOr(w, 0.0), 0.0, kWMax);
}

constexpr double polyX(const double (&c)[5], double x)
{
    return c[0] + x * (c[1] + x * (c[2] + x * (c[3] + x * c[4])));
}

// 1000·∫0^x poly(c) dx, the enthalpy from 0 °C in kJ/kg for x = t/1000.
constexpr double intPolyX(const double (&c)[5], double x)
{
    return 1000.0 * x * (c[0] + x * (c[1] / 2 + x * (c[2] / 3 + x * (c[3] / 4 + x * c[4] / 5))));
}

double cpOf(const double (&c)[5], double t)
{
    if (t < 0)
        return c[0];
    if (t > kCpHigh)
        return polyX(c, kCpHigh / 1000);
    return polyX(c, t / 1000);
}

double hOf(const double (&c)[5], double t)
{
    if (t < 0)
        return c[0] * t;
    if (t > kCpHigh)
        return intPolyX(c, kCpHigh / 1000) + polyX(c, kCpHigh / 1000) * (t - kCpHigh);
    return intPolyX(c, t / 1000);
}

double if97Pressure(double t) // kPa, t >= 0 °C
{
    const double T = t + kKelvin;
    const double th = T + kN[8] / (T - kN[9]);
    const double A = th * th + kN[0] * th + kN[1];
    const double B = kN[2] * th * th + kN[3] * th + kN[4];
    const double C = kN[5] * th * th + kN[6] * th + kN[7];
    const double x = 2 * C / (-B + std::sqrt(B * B - 4 * A * C));
    const double x2 = x * x;
    return 1000.0 * x2 * x2;
}

// if97Pressure and its slope dp/dt (kPa/K), from the same terms.
double if97PressureSlope(double t, double& slope)
{
    const double T = t + kKelvin;
    const double u = T - kN[9];
    const double th = T + kN[8] / u;
    const double dth = 1 - kN[8] / (u * u);
    const double A = th * th + kN[0] * th + kN[1];
    const double B = kN[2] * th * th + kN[3] * th + kN[4];
    const double C = kN[5] * th * th + kN[6] * th + kN[7];
    const double dA = (2 * th + kN[0]) * dth;
    const double dB = (2 * kN[2] * th + kN[3]) * dth;
    const double dC = (2 * kN[5] * th + kN[6]) * dth;
    const double root = std::sqrt(B * B - 4 * A * C);
    const double den = -B + root;
    const double dDen = -dB + (B * dB - 2 * (dA * C + A * dC)) / root;
    const double x = 2 * C / den;
    const double dx = 2 * (dC * den - C * dDen) / (den * den);
    const double x2 = x * x;
    slope = 4000.0 * x2 * x * dx;
    return 1000.0 * x2 * x2;
}

double if97Temperature(double p) // °C from kPa, 0.611213..22064 kPa
{
    const double beta = std::sqrt(std::sqrt(p / 1000.0));
    const double E = beta * beta + kN[2] * beta + kN[5];
    const double F = kN[0] * beta * beta + kN[3] * beta + kN[6];
    const double G = kN[1] * beta * beta + kN[4] * beta + kN[7];
    const double D = 2 * G / (-F - std::sqrt(F * F - 4 * E * G));
    const double s = kN[9] + D;
    return (s - std::sqrt(s * s - 4 * (kN[8] + kN[9] * D))) / 2 - kKelvin;
}

double iceLogPa(double T) // ln of the frost pressure in Pa, T in K
{
    return kIce[0] / T + kIce[1] + T * (kIce[2] + T * (kIce[3] + T * (kIce[4] + T * kIce[5]))) +
           kIce[6] * std::log(T);
}

double iceLogPaSlope(double T)
{
    return -kIce[0] / (T * T) + kIce[2] + T * (2 * kIce[3] + T * (3 * kIce[4] + T * 4 * kIce[5])) +
           kIce[6] / T;
}

double icePressure(double t)
{
    return 0.001 * std::exp(iceLogPa(t + kKelvin));
} // kPa

// Ends of the join between ice and water: ln p at -kJoin and +kJoin.
struct JoinEnds
{
    double lnLow, lnHigh;
    double pHighClear; // pressures above this have their logarithm above lnHigh, kPa
};
const JoinEnds& joinEnds()
{
    static const JoinEnds ends{std::log(icePressure(-kJoin)), std::log(if97Pressure(kJoin)),
                               if97Pressure(kJoin) * (1 + 1e-9)};
    return ends;
}

// psy::SaturationPressure (the same value, from the same branches) and its slope, kPa/K.
double saturationPressureSlope(double t, double& slope)
{
    if (std::abs(t) < kJoin) {
        const JoinEnds& ends = joinEnds();
        const double f = (t + kJoin) / (2 * kJoin);
        const double p = std::exp(ends.lnLow + f * (ends.lnHigh - ends.lnLow));
        slope = p * (ends.lnHigh - ends.lnLow) / (2 * kJoin);
        return p;
    }
    if (t >= 0) {
        if (t > kCriticalTemperature) {
            slope = 0;
            return kCriticalPressure;
        }
        return if97PressureSlope(t, slope);
    }
    if (!(t > -kKelvin)) {
        slope = 0;
        return 0;
    }
    const double p = icePressure(t);
    slope = p * iceLogPaSlope(t + kKelvin);
    return p;
}

// Moisture content of saturated air at P and t (psy::SaturationMoisture) and its slope, 1/K.
double saturationMoistureSlope(double P, double t, double& slope)
{
    double dp;
    const double p = saturationPressureSlope(t, dp);
    const double d = P - p;
    if (!(d > 0)) {
        slope = 0;
        return kWMax;
    }
    const double w = kMolarRatio * p / d;
    if (!(w < kWMax)) {
        slope = 0;
        return kWMax;
    }
    slope = kMolarRatio * P / (d * d) * dp;
    return w;
}

// Newton's method for the root of an increasing f in [lo, hi] from x, kept inside the bracket
// it narrows (a step that leaves it bisects, or tries the end not yet evaluated). f(x, slope)
// returns the value and sets the slope. Where f keeps one sign over [lo, hi] the end nearer the
// root is returned. Ends when a Newton step is below tol; that step is taken, so a smooth f is
// solved to rounding.
template <typename F>
double newtonRoot(F&& f, double lo, double hi, double x, double tol, int maxIter, int& iterations)
{
    bool loSeen = false, hiSeen = false; // whether f has been found below / above 0 at lo / hi
    x = std::clamp(x, lo, hi);
    for (int i = 0; i < maxIter; ++i) {
        ++iterations;
        double slope;
        const double fx = f(x, slope);
        if (fx == 0)
            return x;
        if (fx < 0) {
            if (x == hi)
                return hi; // below the root's value even at the top
            lo = x;
            loSeen = true;
        } else {
            if (x == lo)
                return lo;
            hi = x;
            hiSeen = true;
        }
        const double step = fx / slope;
        double next = x - step;
        if (std::abs(step) < tol)
            return std::clamp(next, lo, hi); // taken whether or not it lands inside the bracket
        if (!(next > lo && next < hi)) {
            // Outside the bracket: an end not yet tried is tried, else the bracket is halved.
            if (!(next > lo) && !loSeen)
                next = lo;
            else if (!(next < hi) && !hiSeen)
                next = hi;
            else
                next = 0.5 * (lo + hi);
        }
        x = next;
        if (loSeen && hiSeen && hi - lo < tol)
            break;
    }
    return x;
}

double frostPoint(double pw, int& iterations) // °C, pw in kPa below the join
{
    const double target = std::log(pw * 1000.0);
    // Clausius-Clapeyron start with the sublimation enthalpy (6140 K = L/R).
    double T = 1.0 / (1.0 / kKelvin - (target - std::log(611.55)) / 6140.0);
    T = std::clamp(T, kTMin + kKelvin - 5, kKelvin);
    for (int i = 0; i < 30; ++i) {
        ++iterations;
        const double dT = (iceLogPa(T) - target) / iceLogPaSlope(T);
        T = std::clamp(T - dT, 150.0, kKelvin + 1);
        if (std::abs(dT) < 1e-10)
            break;
    }
    return T - kKelvin;
}

// Enthalpy of the water on the wick at s °C, liquid or ice, kJ/kg from liquid water at 0 °C.
double wickEnthalpy(double s, bool ice)
{
    return ice ? -333.4 + 2.1 * s : 4.186 * s;
}

// Highest saturation temperature at P the library uses: where saturated air holds kWMax.
double saturationCeiling(double P)
{
    // The states of a run mostly share one pressure: the last one's ceiling is kept.
    thread_local double lastP = std::numeric_limits<double>::quiet_NaN(), lastCeiling = 0;
    if (!(P == lastP)) {
        lastCeiling = psy::DewPoint(P * kWMax / (kMolarRatio + kWMax));
        lastP = P;
    }
    return lastCeiling;
}

// Brent's method for a root of f in [a, b], with fa = f(a) and fb = f(b) of opposite signs (or
// zero); when they are not, the end nearer a root is returned.
template <typename F>
double brent(F&& f, double a, double b, double fa, double fb, double tol, int maxIter, int& iterations)
{
    if (fa == 0)
        return a;
    if (fb == 0)
        return b;
    if ((fa > 0) == (fb > 0))
        return std::abs(fa) < std::abs(fb) ? a : b;
    double c = a, fc = fa, d = b - a, e = d;
    for (int i = 0; i < maxIter; ++i) {
        if ((fb > 0) == (fc > 0)) {
            c = a;
            fc = fa;
            d = e = b - a;
        }
        if (std::abs(fc) < std::abs(fb)) {
            a = b;
            b = c;
            c = a;
            fa = fb;
            fb = fc;
            fc = fa;
        }
        const double tol1 = 2 * std::numeric_limits<double>::epsilon() * std::abs(b) + 0.5 * tol;
        const double xm = 0.5 * (c - b);
        if (std::abs(xm) <= tol1 || fb == 0)
            return b;
        if (std::abs(e) >= tol1 && std::abs(fa) > std::abs(fb)) {
            const double s = fb / fa;
            double p, q;
            if (a == c) {
                p = 2 * xm * s;
                q = 1 - s;
            } else {
                const double qq = fa / fc, r = fb / fc;
                p = s * (2 * xm * qq * (qq - r) - (b - a) * (r - 1));
                q = (qq - 1) * (r - 1) * (s - 1);
            }
            if (p > 0)
                q = -q;
            p = std::abs(p);
            const double min1 = 3 * xm * q - std::abs(tol1 * q);
            const double min2 = std::abs(e * q);
            if (2 * p < std::min(min1, min2)) {
                e = d;
                d = p / q;
            } else {
                d = xm;
                e = d;
            }
        } else {
            d = xm;
            e = d;
        }
        a = b;
        fa = fb;
        b += std::abs(d) > tol1 ? d : std::copysign(tol1, xm);
        fb = f(b);
        ++iterations;
    }
    return b;
}

// Adiabatic-saturation balance at wick temperature s for air of moisture content w and enthalpy
// ht: saturated-air enthalpy at s less the entering enthalpy and the enthalpy of the water
// evaporated. Increases with s.
double saturationBalance(double P, double w, double ht, double s, bool ice)
{
    const double ws = psy::SaturationMoisture(P, s);
    return psy::Enthalpy(s, ws) - ht - (ws - w) * wickEnthalpy(s, ice);
}

// saturationBalance (the same value, from the same terms) and its slope, kJ/(kg·K).
double saturationBalanceSlope(double P, double w, double ht, double s, bool ice, double& slope)
{
    double dws;
    const double ws = saturationMoistureSlope(P, s, dws);
    const double hw = wickEnthalpy(s, ice);
    const double hv = psy::SteamEnthalpy(s);
    slope = psy::DryAirCp(s) + ws * psy::VapourCp(s) + dws * (hv - hw) - (ws - w) * (ice ? 2.1 : 4.186);
    return psy::DryAirEnthalpy(s) + ws * hv - ht - (ws - w) * hw; // psy::Enthalpy(s, ws), hv shared
}

// Moisture content of air at t that balances a wick at s: the balance solved for w, unlimited.
double moistureAtWick(double P, double t, double s, bool ice)
{
    const double ws = psy::SaturationMoisture(P, s);
    const double hw = wickEnthalpy(s, ice);
    return (psy::DryAirEnthalpy(s) - psy::DryAirEnthalpy(t) + ws * (psy::SteamEnthalpy(s) - hw)) /
           (psy::SteamEnthalpy(t) - hw);
}

// A first guess at the wet bulb of air at t with vapour pressure pw and dew point td: the
// adiabatic-saturation balance with constant specific heats and the saturated moisture content
// to second order about the dew point (its slopes by Clausius-Clapeyron). Within some 0.1 K of
// the root over the usual range; Newton's method takes it from there.
double wetBulbGuess(double P, double t, double w, double pw, double td)
{
    const double depression = t - td;
    if (!(depression > 0) || !(P - pw > 0))
        return t;
    const bool ice = td < 0;
    const double T = td + kKelvin;
    const double lOverR = ice ? 6140.0 : 5420.0; // latent heat over the vapour's gas constant, K
    const double dp = pw * lOverR / (T * T);     // dpws/dt at the dew point
    const double dws = kMolarRatio * P / ((P - pw) * (P - pw)) * dp;
    const double curve = lOverR / (T * T) - 2 / T + 2 * dp / (P - pw); // (d²ws/dt²) / (dws/dt)
    const double latent = ice ? 2834.4 - 0.24 * td : 2501.0 - 2.33 * td;
    const double cp = 1.006 + 1.86 * w;
    const double a = 0.5 * latent * dws * std::max(curve, 0.0);
    const double b = cp + latent * dws;
    const double c = cp * depression;
    double s = td + 2 * c / (b + std::sqrt(b * b + 4 * a * c));
    if (!(s - td > 5) || !(s > 0))
        return s;
    // Far above the dew point (hot or dry air) the second-order guess is some kelvins high: a few
    // Newton steps on the same balance with the saturation pressure over the liquid wick by the
    // Magnus formula bring it within some 0.5 K.
    for (int i = 0; i < 12; ++i) {
        const double u = s + 243.04;
        const double p = 0.61094 * std::exp(17.625 * s / u);
        if (!(P - p > 0)) {
            s = 0.5 * (s + std::max(td, 0.0)); // above the boiling point: down toward the root
            continue;
        }
        const double ws = kMolarRatio * p / (P - p);
        const double slope = kMolarRatio * P / ((P - p) * (P - p)) * p * 17.625 * 243.04 / (u * u);
        const double gap = 2501.0 - 2.33 * s;
        const double g = cp * (t - s) - gap * (ws - w);
        const double dg = -cp - gap * slope + 2.33 * (ws - w);
        const double step = std::clamp(g / dg, s - t, s - td);
        s -= step;
        if (std::abs(step) < 0.01)
            break;
    }
    return s;
}

// The thermodynamic wet bulb. The wick is liquid above 0 °C and ice below. Near freezing an
// ice wick is colder than a liquid one (sublimation takes more heat), so a band of states
// balances both a liquid wick above 0 °C and an ice wick below it; there the wet bulb is the
// sum of the two roots, which runs continuously from the ice root (where the liquid one is 0)
// to the liquid root (where the ice one is 0). States that balance neither have their
// wick at exactly 0 °C, partly frozen. Each root is found by Newton's method on the balance's
// own slope from a close first guess, kept inside the bracket between the dew point and the dry
// bulb: two or three balances for most states.
double wetBulbOf(double P, double t, double w, int& its, double knownDewPoint = kNone)
{
    const double pw = psy::VapourPressureFromMoisture(P, w);
    const double td = std::isnan(knownDewPoint) ? psy::DewPoint(pw) : knownDewPoint;
    const double lo = std::max(std::min(td, t), kTMin);
    const double hi = std::max(std::min(std::max(td, t), saturationCeiling(P)), lo);
    const double ht = psy::Enthalpy(t, w);
    auto liquid = [&](double s, double& slope) { return saturationBalanceSlope(P, w, ht, s, false, slope); };
    auto ice = [&](double s, double& slope) { return saturationBalanceSlope(P, w, ht, s, true, slope); };
    // A step below this leaves the root within rounding: the balance's curvature over its slope
    // is below 1/K short of the saturation ceiling, so the next step would be under 1e-16 K.
    constexpr double tol = 1e-8;
    constexpr int maxIter = 100;
    const double guess = wetBulbGuess(P, t, w, pw, td);
    if (hi <= 0)
        return newtonRoot(ice, lo, hi, guess, tol, maxIter, its);
    if (lo >= 0)
        return newtonRoot(liquid, lo, hi, guess, tol, maxIter, its);
    const double gLiquid = saturationBalance(P, w, ht, 0, false), gIce = saturationBalance(P, w, ht, 0, true);
    if (gLiquid >= 0 && gIce <= 0)
        return 0;
    if (gLiquid >= 0)
        return newtonRoot(ice, lo, 0, guess, tol, maxIter, its);
    if (gIce <= 0)
        return newtonRoot(liquid, 0, hi, guess, tol, maxIter, its);
    return newtonRoot(ice, lo, 0, guess, tol, maxIter, its) +
           newtonRoot(liquid, 0, hi, guess, tol, maxIter, its);
}

// Moisture content of air at t with wet bulb wb, unlimited: the inverse of wetBulbOf. Closed
// form outside the freezing band, the forward relation solved for w inside it.
double moistureOfWetBulb(double P, double t, double wb, int& its)
{
    const double wLiquid0 = moistureAtWick(P, t, 0, false); // a liquid wick balances at 0 °C
    const double wIce0 = moistureAtWick(P, t, 0, true);     // an ice wick balances at 0 °C
    if (wb > 0) {
        const double w = moistureAtWick(P, t, wb, false);
        if (w >= wIce0)
            return w;
    } else if (wb < 0) {
        const double w = moistureAtWick(P, t, wb, true);
        if (w <= wLiquid0)
            return w;
    } else if (wLiquid0 >= wIce0) {
        return wLiquid0;
    }
    auto excess = [&](double w) { return wetBulbOf(P, t, w, its) - wb; };
    return brent(excess, wLiquid0, wIce0, excess(wLiquid0), excess(wIce0), 1e-14, 100, its);
}

// The fields a loop on the moisture reads, from (P, t, w), all three already held in range.
void moistureFields(TAirState& r, double P, double t, double w)
{
    r.P = P;
    r.db = t;
    r.w = w;
    r.pw = psy::VapourPressureFromMoisture(P, w);
    r.pws = psy::SaturationPressure(t);
    r.rh = r.pw / r.pws;
}

// The fields of the state that need neither the wet bulb nor the transport properties, from
// (P, t, w), all three already held in range.
void partialState(TAirState& r, double P, double t, double w, TPsyIterations& its)
{
    moistureFields(r, P, t, w);
    r.dewpoint = psy::DewPoint(r.pw, &its.dewPoint);
    r.h = psy::Enthalpy(t, w);
}

// Every field of the state from (P, t, w), all three already held in range. knownWb is used as
// given when the caller has it (NaN otherwise).
// The fields partialState leaves out.
void completeTail(TAirState& r, double P, double t, double w, double knownWb, TPsyIterations& its)
{
    if (std::isnan(knownWb)) {
        // The dew point the partial state holds is that of this moisture content, unless the
        // caller has changed the moisture since.
        const bool dewKnown = r.pw == psy::VapourPressureFromMoisture(P, w);
        knownWb = wetBulbOf(P, t, w, its.wetBulb, dewKnown ? r.dewpoint : kNone);
    }
    r.wb = knownWb;
    r.v = psy::SpecificVolume(P, t, w);
    r.rho = (1 + w) / r.v;
    r.cp = psy::HumidCp(t, w);
    psy::Transport(t, w, r.mu, r.k);
}

// Moisture content from the dry bulb t and the pair's second value.
double moistureOf(double P, double t, double value, int code, double& wbKept, int& its)
{
    wbKept = kNone;
    switch (code) {
    case kPairDbWb: {
        const double wb = std::clamp(numberOr(value, kTMin), kTMin, saturationCeiling(P));
        const double w = moistureOfWetBulb(P, t, wb, its);
        const double held = holdW(w);
        if (held == w && wb == value)
            wbKept = wb;
        return held;
    }
    case kPairDbH: {
        const double h = numberOr(value, 0.0);
        return holdW((h - psy::DryAirEnthalpy(t)) / psy::SteamEnthalpy(t));
    }
    case kPairDbRh: {
        const double rh = std::max(numberOr(value, 0.0), 0.0);
        const double pwMax = P * kWMax / (kMolarRatio + kWMax);
        const double pw = std::min(rh * psy::SaturationPressure(t), pwMax);
        return holdW(psy::MoistureFromVapourPressure(P, pw));
    }
    default:
        return holdW(value);
    }
}

// How much of a state to fill: every field, those of a partial state (PartialAirStateHW), or
// those of a thin one (ThinLeavingState).
enum class Fill { full, partial, thin };

// The state of a pair, filled as fill says.
void stateFromPair(TAirState& result, double pressure, double value1, double value2, int code,
                   TPsyIterations& its, Fill fill = Fill::full)
{
    its = TPsyIterations{};
    const double P = holdP(pressure);
    double t, w, wbKept = kNone;
    if (code == kPairHW) {
        w = holdW(value2);
        t = holdT(psy::DryBulbFromEnthalpy(numberOr(value1, 0.0), w, &its.dryBulb));
    } else {
        t = holdT(value1);
        w = moistureOf(P, t, value2, code, wbKept, its.wetBulb);
    }
    if (fill == Fill::thin) {
        // The fields a loop on the moisture reads, and the enthalpy the state was made from.
        moistureFields(result, P, t, w);
        result.h = numberOr(value1, 0.0);
        result.dewpoint = result.cp = kNone;
        result.wb = result.v = result.rho = result.k = result.mu = kNone;
        return;
    }
    partialState(result, P, t, w, its);
    if (fill == Fill::full) {
        completeTail(result, P, t, w, wbKept, its);
    } else {
        result.cp = psy::HumidCp(t, w);
        result.wb = result.v = result.rho = result.k = result.mu = kNone;
    }
}

} // namespace

// ---- Building blocks ----

namespace psy {

double SaturationPressure(double t)
{
    if (std::abs(t) < kJoin) {
        const JoinEnds& ends = joinEnds();
        const double f = (t + kJoin) / (2 * kJoin);
        return std::exp(ends.lnLow + f * (ends.lnHigh - ends.lnLow));
    }
    return SatPressure(t);
}

double DewPoint(double pw, int* iterations)
{
    int dummy = 0;
    int& its = iterations ? *iterations : dummy;
    if (!(pw > 0))
        return kTMin;
    if (pw >= kCriticalPressure)
        return kCriticalTemperature;
    const JoinEnds& ends = joinEnds();
    if (pw > ends.pHighClear)
        return if97Temperature(pw); // clear of the join: no logarithm needed to tell
    const double lnp = std::log(pw);
    if (lnp >= ends.lnHigh)
        return if97Temperature(pw);
    if (lnp > ends.lnLow)
        return -kJoin + 2 * kJoin * (lnp - ends.lnLow) / (ends.lnHigh - ends.lnLow);
    if (pw <= icePressure(kTMin))
        return kTMin;
    return frostPoint(pw, its);
}

double BoilingPoint(double P)
{
    return DewPoint(P);
}

double MoistureFromVapourPressure(double P, double pw)
{
    const double d = P - pw;
    if (!(d > 0))
        return kWMax;
    return std::min(kMolarRatio * pw / d, kWMax);
}

double VapourPressureFromMoisture(double P, double w)
{
    w = std::max(w, 0.0);
    return P * w / (kMolarRatio + w);
}

double SaturationMoisture(double P, double t)
{
    return MoistureFromVapourPressure(P, SaturationPressure(t));
}

double DryAirCp(double t)
{
    return cpOf(kCpAir, t);
}
double DryAirEnthalpy(double t)
{
    return hOf(kCpAir, t);
}
double VapourCp(double t)
{
    return cpOf(kCpVapour, t);
}
double SteamEnthalpy(double t)
{
    return kLatent0 + hOf(kCpVapour, t);
}
double Enthalpy(double t, double w)
{
    return DryAirEnthalpy(t) + w * SteamEnthalpy(t);
}
double HumidCp(double t, double w)
{
    return DryAirCp(t) + w * VapourCp(t);
}

double DryBulbFromEnthalpy(double h, double w, int* iterations)
{
    int dummy = 0;
    int& its = iterations ? *iterations : dummy;
    w = std::max(w, 0.0);
    // Linear below 0 °C and above kCpHigh: closed form there.
    const double h0 = w * kLatent0;
    if (h <= h0)
        return (h - h0) / (kCpAir[0] + w * kCpVapour[0]);
    // Enthalpy(kCpHigh, w), its two terms worked out once.
    constexpr double hHighAir = intPolyX(kCpAir, kCpHigh / 1000);
    constexpr double hHighVapour = kLatent0 + intPolyX(kCpVapour, kCpHigh / 1000);
    const double hHigh = hHighAir + w * hHighVapour;
    if (h >= hHigh)
        return kCpHigh + (h - hHigh) / HumidCp(kCpHigh, w);
    // Inside [0, kCpHigh] h(t) is one polynomial in x = t/1000, the two specific heats' added at
    // w, smooth and increasing. The series of its inverse to the fourth power of (h - h0) gives
    // the dry bulb within 1e-3 K up to 100 °C, within some 0.1 K up to 300 °C and a few kelvins
    // up to kCpHigh. A Halley step on the polynomial's value and two slopes follows: after it
    // the error is below the cube of the step's size times 3e-7/K² (the polynomial's third slope
    // over its first, and the square of its second), so a step below 1e-3 K leaves it under
    // 1e-15 K and is the last; below 100 °C that is the answer, one polynomial evaluated.
    // Otherwise Newton's method goes on from there, inside the bracket: the slope changes by less
    // than 0.04 % per kelvin, so a step below 1e-6 K leaves the error under 1e-15 K and is the
    // last.
    double c[5];
    for (int i = 0; i < 5; ++i)
        c[i] = kCpAir[i] + w * kCpVapour[i];
    const double y = (h - h0) / 1000;
    const double a1 = c[0], a2 = c[1] / 2, a3 = c[2] / 3, a4 = c[3] / 4;
    const double r = 1 / a1, r2 = r * r, r3 = r2 * r, r5 = r3 * r2, r7 = r5 * r2;
    const double b2 = -a2 * r3;
    const double b3 = (2 * a2 * a2 - a1 * a3) * r5;
    const double b4 = (5 * a1 * a2 * a3 - a1 * a1 * a4 - 5 * a2 * a2 * a2) * r7;
    double lo = 0, hi = kCpHigh;
    double t = std::clamp(1000 * y * (r + y * (b2 + y * (b3 + y * b4))), lo, hi);
    {
        ++its;
        const double x = t / 1000;
        const double f = h0 + intPolyX(c, x) - h;
        const double f1 = polyX(c, x);
        const double f2 = (c[1] + x * (2 * c[2] + x * (3 * c[3] + x * 4 * c[4]))) / 1000;
        const double step = 2 * f * f1 / (2 * f1 * f1 - f * f2);
        if (std::abs(step) < 1e-3)
            return t - step;
        if (f > 0)
            hi = t;
        else
            lo = t;
        const double next = t - step;
        t = next > lo && next < hi ? next : 0.5 * (lo + hi);
    }
    for (int i = 0; i < 50; ++i) {
        ++its;
        const double x = t / 1000;
        const double f = h0 + intPolyX(c, x) - h;
        if (f > 0)
            hi = t;
        else
            lo = t;
        const double step = f / polyX(c, x);
        if (std::abs(step) < 1e-6) {
            // Within rounding of the root once this step is taken. (A step that small can land
            // on the end of the bracket just set: halving the bracket there would throw the
            // answer away.)
            t -= step;
            break;
        }
        double next = t - step;
        if (!(next > lo && next < hi))
            next = 0.5 * (lo + hi);
        t = next;
        if (hi - lo < 1e-10)
            break;
    }
    return t;
}

double WetBulbFromMoisture(double P, double t, double w, int* iterations)
{
    int dummy = 0;
    return wetBulbOf(P, t, w, iterations ? *iterations : dummy);
}

double MoistureFromWetBulb(double P, double t, double wb)
{
    int its = 0;
    return holdW(moistureOfWetBulb(P, t, wb, its));
}

double SpecificVolume(double P, double t, double w)
{
    return 0.287042 * (t + kKelvin) * (1 + 1.607858 * w) / P;
}
double Density(double P, double t, double w)
{
    return (1 + w) / SpecificVolume(P, t, w);
}

// Dry air, dilute gas (Lemmon and Jacobsen 2004), µPa·s and mW/(m·K).
static double dryAirViscosityMicro(double T)
{
    const double l = std::log(T / 103.3);
    const double omega = std::exp(0.431 + l * (-0.4623 + l * (0.08406 + l * (0.005341 + l * -0.00331))));
    return 0.0266958 * std::sqrt(28.9586 * T) / (0.360 * 0.360 * omega);
}
static double dryAirConductivityMilli(double T, double muMicro)
{
    const double lnTau = std::log(132.6312 / T); // one logarithm for the two powers
    return 1.308 * muMicro + 1.405 * std::exp(-1.1 * lnTau) - 1.036 * std::exp(-0.3 * lnTau);
}
// Water vapour, dilute gas (IAPWS 2008 and 2011), µPa·s and mW/(m·K).
static double vapourViscosityMicro(double T)
{
    const double Tb = T / 647.096, r = 1 / Tb;
    return 100 * std::sqrt(Tb) / (1.67752 + r * (2.20462 + r * (0.6366564 + r * -0.241605)));
}
static double vapourConductivityMilli(double T)
{
    const double Tb = T / 647.096, r = 1 / Tb;
    return std::sqrt(Tb) /
           (2.443221e-3 + r * (1.323095e-2 + r * (6.770357e-3 + r * (-3.454586e-3 + r * 4.096266e-4))));
}

static double kelvinOf(double t)
{
    return std::max(t, kTMin) + kKelvin;
}

double DryAirViscosity(double t)
{
    return 1e-6 * dryAirViscosityMicro(kelvinOf(t));
}
double DryAirConductivity(double t)
{
    const double T = kelvinOf(t);
    return 1e-6 * dryAirConductivityMilli(T, dryAirViscosityMicro(T));
}
double VapourViscosity(double t)
{
    return 1e-6 * vapourViscosityMicro(kelvinOf(t));
}
double VapourConductivity(double t)
{
    return 1e-6 * vapourConductivityMilli(kelvinOf(t));
}

namespace {
constexpr double kMAir = 28.9586, kMWater = 18.015268;

// Wilke's interaction factors φ12 (air on vapour) and φ21, from the two viscosities.
void wilke(double muA, double muV, double& phiAV, double& phiVA)
{
    const double q1 = 1 + std::sqrt(muA / muV) * std::pow(kMWater / kMAir, 0.25);
    const double q2 = 1 + std::sqrt(muV / muA) * std::pow(kMAir / kMWater, 0.25);
    phiAV = q1 * q1 / std::sqrt(8 * (1 + kMAir / kMWater));
    phiVA = q2 * q2 / std::sqrt(8 * (1 + kMWater / kMAir));
}

// Mixture viscosity (Wilke) and conductivity (Mason-Saxena), Pa·s and kW/(m·K).
void mixture(double t, double w, double* mu, double* k)
{
    const double T = kelvinOf(t);
    w = std::max(w, 0.0);
    const double xv = w / (w + kMolarRatio), xa = 1 - xv;
    const double muA = dryAirViscosityMicro(T), muV = vapourViscosityMicro(T);
    double phiAV, phiVA;
    wilke(muA, muV, phiAV, phiVA);
    const double dA = xa + xv * phiAV, dV = xa * phiVA + xv;
    if (mu)
        *mu = 1e-6 * (xa * muA / dA + xv * muV / dV);
    if (k)
        *k = 1e-6 * (xa * dryAirConductivityMilli(T, muA) / dA + xv * vapourConductivityMilli(T) / dV);
}
} // namespace

void Transport(double t, double w, double& mu, double& k)
{
    mixture(t, w, &mu, &k);
}

double Viscosity(double t, double w)
{
    double mu;
    mixture(t, w, &mu, nullptr);
    return mu;
}

double Conductivity(double t, double w)
{
    double k;
    mixture(t, w, nullptr, &k);
    return k;
}

} // namespace psy

// ---- The six operations ----

void SetState(TAirState& result, double pressure, double value1, double value2, int code,
              TPsyIterations& iterations)
{
    stateFromPair(result, pressure, value1, value2, code, iterations);
    result.ma = 0;
}

void SetState(TAirState& result, double pressure, double value1, double value2, int code)
{
    TPsyIterations its;
    SetState(result, pressure, value1, value2, code, its);
}

TAirState SetState(double pressure, double value1, double value2, int code)
{
    TAirState r;
    SetState(r, pressure, value1, value2, code);
    return r;
}

TAirState TStateCache::Get(double pressure, double value1, double value2, int code)
{
    auto same = [](double x, double y) { return std::bit_cast<std::uint64_t>(x) == std::bit_cast<std::uint64_t>(y); };
    for (std::size_t i = 0; i < used_; ++i) {
        const Entry& e = entries_[i];
        if (e.code == code && same(e.P, pressure) && same(e.v1, value1) && same(e.v2, value2))
            return e.state;
    }
    Entry& e = entries_[next_];
    e = {pressure, value1, value2, code, SetState(pressure, value1, value2, code)};
    next_ = (next_ + 1) % kEntries;
    used_ = std::max(used_, next_ == 0 ? kEntries : next_);
    return e.state;
}

namespace {
// The two fields of state that code names.
double pairFirst(const TAirState& state, int code)
{
    return code == kPairHW ? state.h : state.db;
}
double pairSecond(const TAirState& state, int code)
{
    switch (code) {
    case kPairDbWb:
        return state.wb;
    case kPairDbH:
        return state.h;
    case kPairDbRh:
        return state.rh;
    default:
        return state.w;
    }
}
} // namespace

void AirState(TAirState& result, const TAirState& state, int code, TPsyIterations& iterations)
{
    const double ma = state.ma; // result may be state itself
    stateFromPair(result, state.P, pairFirst(state, code), pairSecond(state, code), code, iterations);
    result.ma = ma;
}

void AirState(TAirState& result, const TAirState& state, int code)
{
    TPsyIterations its;
    AirState(result, state, code, its);
}

TAirState AirState(const TAirState& state, int code)
{
    TAirState r;
    AirState(r, state, code);
    return r;
}

void PartialAirStateHW(TAirState& result, const TAirState& state)
{
    PartialAirState(result, state, kPairHW);
}

void PartialAirState(TAirState& result, const TAirState& state, int code)
{
    TPsyIterations its;
    const double ma = state.ma; // result may be state itself
    stateFromPair(result, state.P, pairFirst(state, code), pairSecond(state, code), code, its, Fill::partial);
    result.ma = ma;
}

namespace {
void leavingState(TAirState& result, const TAirState& inlet, double enthalpyChange, double bypassFactor,
                  double& apparatusDewPoint, TPsyIterations& iterations, Fill fill,
                  TAdpMemory* memory = nullptr)
{
    const double P = holdP(inlet.P);
    const double h1 = numberOr(inlet.h, 0.0);
    const double w1 = holdW(inlet.w);
    const double h2 = h1 + numberOr(enthalpyChange, 0.0);
    const double bf = std::clamp(numberOr(bypassFactor, 0.0), 0.0, 1.0);
    double w2 = w1;
    int adpIterations = 0;
    if (1 - bf > 1e-9) {
        // The apparatus dew point is the saturated state with the enthalpy that puts the
        // leaving state at the bypass factor between it and the inlet.
        const double hAdp = (h2 - bf * h1) / (1 - bf);
        const double hi = saturationCeiling(P);
        // The saturated enthalpy rises with the temperature: Newton from the caller's apparatus
        // dew point, which is near the answer in the loops that move it a little at a time.
        TAdpMemory last;
        auto excess = [&](double s, double& slope) {
            double dws;
            const double ws = saturationMoistureSlope(P, s, dws);
            const double hv = psy::SteamEnthalpy(s);
            slope = psy::DryAirCp(s) + dws * hv + ws * psy::VapourCp(s);
            const double hs = psy::DryAirEnthalpy(s) + ws * hv; // psy::Enthalpy(s, ws), hv shared
            last = {P, s, hs, slope};
            return hs - hAdp;
        };
        double start = std::isfinite(apparatusDewPoint) ? apparatusDewPoint : 10.0;
        if (memory && memory->P == P && memory->slope > 0) {
            // The Newton step from the last solve's last point, toward this enthalpy.
            const double step = (memory->hs - hAdp) / memory->slope;
            if (std::isfinite(step))
                start = memory->s - step;
        }
        const double adp = newtonRoot(excess, kTMin, hi, start, 1e-9, 100, adpIterations);
        if (memory)
            *memory = last;
        w2 = bf * w1 + (1 - bf) * psy::SaturationMoisture(P, adp);
        apparatusDewPoint = adp;
    }
    stateFromPair(result, P, h2, w2, kPairHW, iterations, fill);
    iterations.adp = adpIterations;
    result.ma = inlet.ma;
}

} // namespace

void LeavingState(TAirState& result, TAirState inlet, int flag, double enthalpyChange, double bypassFactor,
                  double& apparatusDewPoint, TPsyIterations& iterations)
{
    (void)flag;
    leavingState(result, inlet, enthalpyChange, bypassFactor, apparatusDewPoint, iterations, Fill::full);
}

void PartialLeavingState(TAirState& result, const TAirState& inlet, double enthalpyChange,
                         double bypassFactor, double& apparatusDewPoint)
{
    TPsyIterations its;
    leavingState(result, inlet, enthalpyChange, bypassFactor, apparatusDewPoint, its, Fill::partial);
}

void ThinLeavingState(TAirState& result, const TAirState& inlet, double enthalpyChange, double bypassFactor,
                      double& apparatusDewPoint, TAdpMemory* memory, TPsyIterations* iterations)
{
    TPsyIterations its;
    leavingState(result, inlet, enthalpyChange, bypassFactor, apparatusDewPoint,
                 iterations ? *iterations : its, Fill::thin, memory);
}

void CompleteAirState(TAirState& state)
{
    TPsyIterations its;
    if (std::isnan(state.dewpoint)) {
        // A thin state: the rest of the partial state's fields first, as partialState has them.
        state.dewpoint = psy::DewPoint(state.pw, &its.dewPoint);
        state.h = psy::Enthalpy(state.db, state.w);
        state.cp = psy::HumidCp(state.db, state.w);
    }
    completeTail(state, state.P, state.db, state.w, kNone, its);
}

void LeavingState(TAirState& result, TAirState inlet, int flag, double enthalpyChange, double bypassFactor,
                  double& apparatusDewPoint)
{
    TPsyIterations its;
    LeavingState(result, inlet, flag, enthalpyChange, bypassFactor, apparatusDewPoint, its);
}

TAirState LeavingState(TAirState inlet, int flag, double enthalpyChange, double bypassFactor,
                       double& apparatusDewPoint)
{
    TAirState r;
    LeavingState(r, inlet, flag, enthalpyChange, bypassFactor, apparatusDewPoint);
    return r;
}

double WetBulb(double pressure, double dryBulb, double value, int code)
{
    const double P = holdP(pressure);
    const double t = holdT(dryBulb);
    double wbKept;
    int its = 0;
    const double w = moistureOf(P, t, value, code, wbKept, its);
    if (!std::isnan(wbKept))
        return wbKept;
    return psy::WetBulbFromMoisture(P, t, w);
}

double Altitude(double pressure)
{
    return AltitudeFromPressure(pressure);
}
double AtmPressure(double altitude)
{
    return PressureFromAltitude(altitude);
}

// ---- The program's own formulas ----

double PressureFromAltitude(double z)
{
    return 101.325 * std::pow(std::max(1 - 2.25577e-5 * z, 0.0), 5.2559);
}

double AltitudeFromPressure(double P)
{
    return (1 - std::pow(std::max(P, 0.0) / 101.325, 1 / 5.2559)) / 2.25577e-5;
}

double SatPressure(double T)
{
    if (T >= 0) {
        if (T > kCriticalTemperature)
            return kCriticalPressure;
        return if97Pressure(T);
    }
    if (!(T > -kKelvin))
        return 0;
    return icePressure(T);
}

double HumidityRatio(double P, double pw)
{
    constexpr double f = 1.0044;
    const double d = P - f * pw;
    const double w = 0.621977939 * f * pw / d;
    if (!(d > 0) || !std::isfinite(w))
        return 0.01;
    return w;
}

double SatHumidity(double P, double T)
{
    return HumidityRatio(P, SatPressure(T));
}

double VapourEnthalpy(double T)
{
    if (T >= 0)
        return 2499.10964596 + 1.96172245152 * T - 0.00205657589432 * T * T;
    return 2500.80085377 + 1.84281114093 * T - 0.000107145092391 * T * T;
}

double SatEnthalpy(double P, double T)
{
    return 1.006 * T + SatHumidity(P, T) * VapourEnthalpy(T);
}

namespace {
double readNumber(std::string_view text)
{
    const double v = static_cast<double>(StrToFloat(text));
    if (std::isnan(v))
        throw EConvertError("ParseAirState",
                            "'" + std::string(text) + "' is not a valid floating point value");
    return v;
}
double limitDryBulb(double db)
{
    return std::clamp(db, -60.0, 99.0);
}
} // namespace

TAirState ParseAirState(std::string_view text, double P, double rh)
{
    double db, wb;
    const auto slash = text.find('/');
    if (slash != std::string_view::npos) {
        db = limitDryBulb(readNumber(text.substr(0, slash)));
        wb = readNumber(text.substr(slash + 1));
        if (wb > db)
            wb = db;
        const double wbMin = WetBulb(P, db, 0.01, kPairDbRh);
        if (wb < wbMin)
            wb = wbMin;
    } else {
        db = limitDryBulb(readNumber(text));
        wb = WetBulb(P, db, rh, kPairDbRh);
    }
    return SetState(P, db, wb, kPairDbWb);
}

std::string NormalizeAirState(std::string_view text, double P, double rh)
{
    TAirState s;
    if (text.find('/') != std::string_view::npos)
        s = ParseAirState(text, P, rh);
    else
        s = SetState(P, readNumber(text), rh, kPairDbRh);
    return Format("%0.1f/%0.1f", s.db, s.wb);
}

} // namespace zmk
