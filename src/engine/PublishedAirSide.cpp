// The air side by published correlations: plain-fin j and f, the fin efficiency at the actual
// coefficient, the core pressure drop, the row-count effectiveness and the range checks.
#include "engine/PublishedAirSide.h"

#include "base/TextHelpers.h"
#include "engine/Coil.h"
#include "engine/FloatChecks.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace zmk {

namespace {

constexpr const char* kWang2000 = "The plain-fin correlation of Wang, Chi & Chang (2000)";
constexpr const char* kWangLouver = "The louvered-fin correlation of Wang, Lee, Chang & Lin (1999)";
constexpr const char* kWangWavy = "The wavy-fin correlation of Wang, Jang & Chiou (1999)";

// One parameter's range: the value (in unit) and the span of the coils a correlation was fitted to.
struct TRange
{
    const char* name;
    double value, lo, hi;
    const char* unit;
};

// A warning for each range the value lies outside of, and for in-line tubes (every correlation
// here was fitted to staggered ones).
std::vector<TResultWarning> rangeWarnings(const char* correlation, std::initializer_list<TRange> ranges,
                                          bool inLine)
{
    std::vector<TResultWarning> out;
    for (const TRange& r : ranges) {
        // A hair past a bound from the unit conversion is no reason to warn.
        if (r.value < r.lo * (1 - 1e-9) || r.value > r.hi * (1 + 1e-9)) {
            TResultWarning w{TResultWarning::CorrelationRange, r.value, r.lo, r.hi};
            w.correlation = correlation;
            w.parameter = r.name;
            w.unit = r.unit;
            out.push_back(w);
        }
    }
    if (inLine) {
        TResultWarning w{TResultWarning::CorrelationRange, 0, 0, 0};
        w.correlation = correlation;
        w.parameter =
            "in-line tubes (it was fitted to staggered ones; the in-line tube-bank ratio is applied)";
        out.push_back(w);
    }
    return out;
}

// tanh(x)/x, 1 at x = 0.
double tanhRatio(double x)
{
    return x < 1e-9 ? 1.0 : std::tanh(x) / x;
}

} // namespace

std::string AirSideMethodName(TAirSideMethod method)
{
    return method == TAirSideMethod::Published ? "Published correlations" : "Standard";
}

std::string AirSideMethodKey(TAirSideMethod method)
{
    return method == TAirSideMethod::Published ? "published" : "standard";
}

std::optional<TAirSideMethod> AirSideMethodOfKey(std::string_view key)
{
    const std::string k = LowerCase(std::string(key));
    if (k == "standard")
        return TAirSideMethod::Standard;
    if (k == "published")
        return TAirSideMethod::Published;
    return std::nullopt;
}

TSurfaceFactors WangPlainFin(const TPlateFinPattern& p, double ReDc)
{
    static constexpr const char* where = "WangPlainFin";
    const double lnRe = fc::Ln(ReDc, where);
    const double N = std::max(1.0, p.Rows);
    const double PtPl = fc::Div(p.Pt, p.Pl, where);
    const double FpDc = fc::Div(p.Fp, p.Dc, where);
    const double FpDh = fc::Div(p.Fp, p.Dh, where);
    const double FpPt = fc::Div(p.Fp, p.Pt, where);
    TSurfaceFactors s;
    // Wang, Chi & Chang, Int. J. Heat Mass Transfer 43 (2000) 2693–2700, eqs. (3)–(5): one row
    // has its own j; from two rows on the row count enters the exponents.
    if (N < 2) {
        const double P1 = 1.9 - 0.23 * lnRe;
        const double P2 = -0.236 + 0.126 * lnRe;
        s.j = 0.108 * fc::Pow(ReDc, -0.29, where) * fc::Pow(PtPl, P1, where) * fc::Pow(FpDc, -1.084, where) *
              fc::Pow(FpDh, -0.786, where) * fc::Pow(FpPt, P2, where);
    } else {
        const double P3 = -0.361 - 0.042 * N / lnRe + 0.158 * fc::Ln(N * fc::Pow(FpDc, 0.41, where), where);
        const double P4 = -1.224 - 0.076 * fc::Pow(fc::Div(p.Pl, p.Dh, where), 1.42, where) / lnRe;
        const double P5 = -0.083 + 0.058 * N / lnRe;
        const double P6 = -5.735 + 1.21 * fc::Ln(ReDc / N, where);
        s.j = 0.086 * fc::Pow(ReDc, P3, where) * fc::Pow(N, P4, where) * fc::Pow(FpDc, P5, where) *
              fc::Pow(FpDh, P6, where) * fc::Pow(FpPt, -0.93, where);
    }
    const double F1 = -0.764 + 0.739 * PtPl + 0.177 * FpDc - 0.00758 / N;
    const double F2 = -15.689 + 64.021 / lnRe;
    const double F3 = 1.696 - 15.695 / lnRe;
    s.f = 0.0267 * fc::Pow(ReDc, F1, where) * fc::Pow(PtPl, F2, where) * fc::Pow(FpDc, F3, where);
    return s;
}

TSurfaceFactors WangLouveredFin(const TPlateFinPattern& p, double ReDc)
{
    static constexpr const char* where = "WangLouveredFin";
    const double lnRe = fc::Ln(ReDc, where);
    const double N = std::max(1.0, p.Rows);
    const double lnN = fc::Ln(N, where);
    const double PlPt = fc::Div(p.Pl, p.Pt, where);
    const double LhLp = fc::Div(p.Lh, p.Lp, where);
    const double FpDc = fc::Div(p.Fp, p.Dc, where);
    const double FpPl = fc::Div(p.Fp, p.Pl, where);
    const double FpPt = fc::Div(p.Fp, p.Pt, where);
    const double DhDc = fc::Div(p.Dh, p.Dc, where);
    TSurfaceFactors s;
    // Wang, Lee, Chang & Lin, Int. J. Heat Mass Transfer 42 (1999) 1945–1956: j in two parts
    // that meet near ReDc 1000, f for one row and for more.
    if (ReDc < 1000) {
        const double J1 = -0.991 - 0.1055 * fc::Pow(PlPt, 3.1, where) * fc::Ln(LhLp, where);
        const double J2 = -0.7344 + 2.1059 * fc::Pow(N, 0.55, where) / (lnRe - 3.2);
        const double J3 = 0.08485 * fc::Pow(PlPt, -4.4, where) * fc::Pow(N, -0.68, where);
        const double J4 = -0.1741 * lnN;
        s.j = 14.3117 * fc::Pow(ReDc, J1, where) * fc::Pow(FpDc, J2, where) * fc::Pow(LhLp, J3, where) *
              fc::Pow(FpPl, J4, where) * fc::Pow(PlPt, -1.724, where);
    } else {
        const double J5 = -0.6027 + 0.02593 * fc::Pow(fc::Div(p.Pl, p.Dh, where), 0.52, where) *
                                        fc::Pow(N, -0.5, where) * fc::Ln(LhLp, where);
        const double J6 = -0.4776 + 0.40774 * fc::Pow(N, 0.7, where) / (lnRe - 4.4);
        const double J7 = -0.58655 * fc::Pow(fc::Div(p.Fp, p.Dh, where), 2.3, where) *
                          fc::Pow(PlPt, -1.6, where) * fc::Pow(N, -0.65, where);
        const double J8 = 0.0814 * (lnRe - 3);
        s.j = 1.1373 * fc::Pow(ReDc, J5, where) * fc::Pow(FpPl, J6, where) * fc::Pow(LhLp, J7, where) *
              fc::Pow(PlPt, J8, where) * fc::Pow(N, 0.3545, where);
    }
    const double lnA = fc::Ln(p.AoBare, where);
    if (N < 2) {
        const double F1 = 0.1691 + 4.4118 * fc::Pow(FpPl, -0.3, where) * fc::Pow(LhLp, -2.0, where) *
                                       fc::Ln(PlPt, where) * fc::Pow(FpPt, 3.0, where);
        const double F2 = -2.6642 - 14.3809 / lnRe;
        const double F3 = -0.6816 * fc::Ln(FpPl, where);
        const double F4 = 6.4668 * fc::Pow(FpPt, 1.7, where) * lnA;
        s.f = 0.00317 * fc::Pow(ReDc, F1, where) * fc::Pow(FpPl, F2, where) * fc::Pow(DhDc, F3, where) *
              fc::Pow(LhLp, F4, where) * fc::Pow(lnA, -6.0483, where);
    } else {
        const double F5 = 0.1395 - 0.0101 * fc::Pow(FpPl, 0.58, where) * fc::Pow(LhLp, -2.0, where) * lnA *
                                       fc::Pow(PlPt, 1.9, where);
        const double F6 = -6.4367 / lnRe;
        const double F7 = 0.07191 * lnRe;
        const double F8 = -2.0585 * fc::Pow(FpPt, 1.67, where) * lnRe;
        const double F9 = 0.1036 * fc::Ln(PlPt, where);
        s.f = 0.06393 * fc::Pow(ReDc, F5, where) * fc::Pow(FpDc, F6, where) * fc::Pow(DhDc, F7, where) *
              fc::Pow(LhLp, F8, where) * fc::Pow(N, F9, where) * fc::Pow(lnRe - 4.0, -1.093, where);
    }
    return s;
}

TSurfaceFactors WangWavyFin(const TPlateFinPattern& p, double ReDc)
{
    static constexpr const char* where = "WangWavyFin";
    const double lnRe = fc::Ln(ReDc, where);
    const double N = std::max(1.0, p.Rows);
    const double Sltf = fc::Div(p.Pl, p.tf, where);
    const double FpDc = fc::Div(p.Fp, p.Dc, where);
    const double PdXf = fc::Div(p.Pd, p.Xf, where);
    const double FpPt = fc::Div(p.Fp, p.Pt, where);
    const double lnA = fc::Ln(p.AoBare, where);
    TSurfaceFactors s;
    // Wang, Jang & Chiou, Int. J. Heat Mass Transfer 42 (1999) 1919–1924, for herringbone fins on
    // the larger tubes (collar 13.6–16.85 mm).
    const double J1 = -0.1707 - 1.374 * fc::Pow(Sltf, -0.493, where) * fc::Pow(FpDc, -0.886, where) *
                                    fc::Pow(N, -0.134, where) * fc::Pow(PdXf, -0.0296, where);
    s.j = 1.7910 * fc::Pow(ReDc, J1, where) * fc::Pow(Sltf, -0.456, where) * fc::Pow(N, -0.27, where) *
          fc::Pow(FpDc, -1.343, where) * fc::Pow(PdXf, 0.317, where);
    const double F2 = 0.1714 - 0.07372 * fc::Pow(fc::Div(p.Fp, p.Pl, where), 0.25, where) * lnA *
                                   fc::Pow(PdXf, -0.2, where);
    const double F3 = 0.426 * fc::Pow(FpPt, 0.3, where) * lnA;
    const double F4 = -10.2192 / lnRe;
    s.f = 0.05273 * fc::Pow(ReDc, F2, where) * fc::Pow(PdXf, F3, where) * fc::Pow(FpPt, F4, where) *
          fc::Pow(lnA, -2.726, where) * fc::Pow(fc::Div(p.Dh, p.Dc, where), 0.1325, where) *
          fc::Pow(N, 0.02305, where);
    return s;
}

TSurfaceFactors SurfaceFactors(const TPlateFinPattern& p, double ReDc)
{
    // Far below their ranges the louvered and wavy forms break down (ln ReDc − 4 passes through
    // zero at ReDc 55, ln ReDc − 3.2 at 25): they are held at ReDc 100 there, and the range
    // warning says the coil is outside.
    constexpr double kLowestRe = 100;
    switch (p.Type) {
    case TFinType::Louvered:
        return WangLouveredFin(p, std::max(ReDc, kLowestRe));
    case TFinType::Wavy:
        return WangWavyFin(p, std::max(ReDc, kLowestRe));
    case TFinType::Plain:
        break;
    }
    return WangPlainFin(p, ReDc);
}

double SchmidtFinEfficiency(const TPlateFinPattern& p, double h, double k)
{
    static constexpr const char* where = "SchmidtFinEfficiency";
    const double r = p.Dc / 2;
    // Schmidt (1949): the fin around one tube is a rectangle (in-line) or a hexagon (staggered);
    // XM is half the tube pitch, XL half the row pitch or half the diagonal pitch.
    const double XM = p.Pt / 2;
    double ratio;
    if (p.InLine) {
        const double XL = p.Pl / 2;
        ratio = 1.28 * fc::Div(XM, r, where) * std::sqrt(std::max(0.0, fc::Div(XL, XM, where) - 0.2));
    } else {
        const double XL = std::sqrt(XM * XM + p.Pl * p.Pl) / 2;
        ratio = 1.27 * fc::Div(XM, r, where) * std::sqrt(std::max(0.0, fc::Div(XL, XM, where) - 0.3));
    }
    const double m = std::sqrt(fc::Div(2 * h, k * p.tf, where));
    return CircularFinEfficiency(ratio, fc::Finite(m * r, where));
}

double CircularFinEfficiency(double ratio, double mr)
{
    // Schmidt's approximation of the annular fin: a straight fin of height r·φ.
    ratio = std::max(ratio, 1.0);
    const double phi = (ratio - 1) * (1 + 0.35 * std::log(ratio));
    return tanhRatio(mr * phi);
}

double WetFinEfficiency(const TPlateFinPattern& p, double h, double k, double cs, double cp)
{
    // Threlkeld (1970): on the enthalpy potential the fin parameter is m·√(cs/cp).
    return SchmidtFinEfficiency(p, h * fc::Div(cs, cp, "WetFinEfficiency"), k);
}

double RowEffectiveness(double rows, double Ntu, double Cr)
{
    const double n = std::ceil(rows - 1e-9);
    if (n >= 4 || !(Ntu > 0))
        return n >= 4 ? CounterflowEffectiveness(Ntu, Cr) : 0.0;
    // With no liquid capacity to speak of every arrangement is 1 − e^−Ntu; the forms below
    // divide by Cr.
    if (Cr < 1e-9)
        return 1 - std::exp(-Ntu);
    // ESDU 86018 (1986), counter-crossflow, air unmixed and the liquid mixed between rows, in the
    // air's terms: K = 1 − e^(−Ntu/n) is one row's air-side effectiveness.
    const double K = 1 - std::exp(-Ntu / n);
    double rest;
    if (n <= 1)
        rest = std::exp(-K * Cr);
    else if (n <= 2)
        rest = std::exp(-2 * K * Cr) * (1 + Cr * K * K);
    else
        rest = std::exp(-3 * K * Cr) * (1 + Cr * K * K * (3 - K) + 3 * Cr * Cr * std::pow(K, 4) / 2);
    return (1 - rest) / Cr;
}

TPlateFinPattern PatternOf(const TAirSideGeometry& g)
{
    TPlateFinPattern p;
    p.Dc = g.Dc;
    p.Pt = g.Sy;
    p.Pl = g.Sx;
    p.Fp = g.Fp;
    p.tf = g.tf;
    p.Dh = g.Dh;
    p.Rows = std::max(1.0, std::ceil(g.Rows - 1e-9));
    p.InLine = g.Pattern == 1;
    p.Type = g.Fin.Type;
    p.Lp = g.Fin.LouverPitch;
    p.Lh = g.Fin.LouverHeight;
    p.Pd = g.Fin.WaveDepth;
    p.Xf = g.Fin.WavePitch;
    p.AoBare = g.AoBare;
    return p;
}

std::vector<TResultWarning> PlainFinRangeWarnings(const TPlateFinPattern& p, double ReDc)
{
    // The ranges of the 74 coils the correlation was fitted to (Wang, Chi & Chang 2000, and the
    // data of its part I, Int. J. Heat Mass Transfer 43 (2000) 2681–2691).
    return rangeWarnings(kWang2000,
                         {
                             {"Reynolds number (collar diameter)", ReDc, 300, 20000, ""},
                             {"collar diameter", p.Dc * 1000, 6.35, 12.7, "mm"},
                             {"fin pitch", p.Fp * 1000, 1.19, 8.7, "mm"},
                             {"tube pitch", p.Pt * 1000, 17.7, 31.75, "mm"},
                             {"row pitch", p.Pl * 1000, 12.4, 27.5, "mm"},
                             {"rows", p.Rows, 1, 6, ""},
                         },
                         p.InLine);
}

std::vector<TResultWarning> SurfaceRangeWarnings(const TPlateFinPattern& p, double ReDc)
{
    switch (p.Type) {
    case TFinType::Louvered:
        // The Reynolds number range as the correlation's transcription in the Modelica
        // FluidDissipation library states it; the geometry spans are those of the paper's 49
        // samples.
        return rangeWarnings(kWangLouver,
                             {
                                 {"Reynolds number (collar diameter)", ReDc, 300, 7000, ""},
                                 {"collar diameter", p.Dc * 1000, 6.93, 10.42, "mm"},
                                 {"fin pitch", p.Fp * 1000, 1.21, 2.49, "mm"},
                                 {"tube pitch", p.Pt * 1000, 17.7, 25.4, "mm"},
                                 {"row pitch", p.Pl * 1000, 12.7, 22, "mm"},
                                 {"louver pitch", p.Lp * 1000, 1.7, 3.75, "mm"},
                                 {"louver height", p.Lh * 1000, 0.79, 1.4, "mm"},
                                 {"rows", p.Rows, 1, 6, ""},
                             },
                             p.InLine);
    case TFinType::Wavy:
        // The spans of the coils it was fitted to, as Shah & Sekulić, Fundamentals of Heat
        // Exchanger Design (2003) §7.5.4.3 give them.
        return rangeWarnings(kWangWavy,
                             {
                                 {"Reynolds number (collar diameter)", ReDc, 500, 10000, ""},
                                 {"collar diameter", p.Dc * 1000, 13.6, 16.85, "mm"},
                                 {"fin pitch", p.Fp * 1000, 2.98, 6.34, "mm"},
                                 {"tube pitch", p.Pt * 1000, 31.75, 38.1, "mm"},
                                 {"row pitch", p.Pl * 1000, 27.5, 33, "mm"},
                                 {"half-wave length", p.Xf * 1000, 6.87, 8.25, "mm"},
                                 {"rows", p.Rows, 1, 6, ""},
                             },
                             p.InLine);
    case TFinType::Plain:
        break;
    }
    return PlainFinRangeWarnings(p, ReDc);
}

std::vector<TResultWarning> TakeFinDefaults(TPlateFinPattern& p)
{
    std::vector<TResultWarning> out;
    const auto take = [&out](double& value, double fallback, const char* correlation, const char* name) {
        if (value > 0)
            return;
        value = fallback;
        TResultWarning w{TResultWarning::AssumedDimension, fallback * 1000, 0, 0};
        w.correlation = correlation;
        w.parameter = name;
        w.unit = "mm";
        out.push_back(w);
    };
    if (p.Type == TFinType::Louvered) {
        // The middle of the louvers the correlation was fitted to.
        take(p.Lp, kDefaultLouverPitch, kWangLouver, "louver pitch");
        take(p.Lh, kDefaultLouverHeight, kWangLouver, "louver height");
    } else if (p.Type == TFinType::Wavy) {
        // The wave depth of every coil the correlation was fitted to, and four half waves to a
        // row, which their half-wave lengths (a quarter of their row pitches) had.
        take(p.Pd, kDefaultWaveDepth, kWangWavy, "wave depth");
        take(p.Xf, p.Pl / kDefaultHalfWavesPerRow, kWangWavy, "half-wave length");
    }
    return out;
}

double WavyAreaRatio(const TAirSideGeometry& g, const TPlateFinPattern& p, double finShare)
{
    if (p.Type != TFinType::Wavy || g.FinAreaFactor != 1 || !(p.Xf > 0))
        return 1;
    const double secTheta = std::hypot(p.Xf, p.Pd) / p.Xf;
    return 1 + finShare * (secTheta - 1);
}

TPublishedAir PublishedAirSide(const TAirSideGeometry& g, double finShare, const TAirState& air, double cs,
                               TAirResult& result)
{
    static constexpr const char* where = "PublishedAirSide";
    TPlateFinPattern p = PatternOf(g);
    std::vector<TResultWarning> assumed = TakeFinDefaults(p);
    // A wavy fin's real area: the correlation's hydraulic diameter and area ratio are on it, and
    // so is the fin's share of the surface.
    const double areaRatio = WavyAreaRatio(g, p, finShare);
    if (areaRatio != 1) {
        p.Dh /= areaRatio;
        p.AoBare *= areaRatio;
        finShare = 1 - (1 - finShare) / areaRatio;
    }
    const double G = fc::Div(air.ma, g.Af * g.Sigma, where);
    const double ReDc = fc::Div(G * g.Dc, air.mu, where);
    const double Pr = fc::Div(air.mu * air.cp, air.k, where);
    TPublishedAir a;
    a.factors = SurfaceFactors(p, ReDc);
    a.h = fc::Finite(a.factors.j * G * air.cp * fc::Pow(Pr, -2.0 / 3.0, where), where);
    result = TAirResult{g.Dh, G, ReDc, Pr, fc::Div(a.h * g.Dh, air.k, where), a.factors.j, a.h};
    if (p.InLine) {
        // The correlation knows staggered tubes only: in-line ones take the tube-bank ratio of
        // the standard method.
        TAirSideGeometry staggered = g;
        staggered.Pattern = 0;
        a.h = fc::Finite(a.h * fc::Div(TCoil::TubeBankCoefficient(g, air),
                                       TCoil::TubeBankCoefficient(staggered, air), where),
                         where);
    }
    a.finEff = cs > 0 ? WetFinEfficiency(p, a.h, g.kFin, cs, air.cp) : SchmidtFinEfficiency(p, a.h, g.kFin);
    a.surfaceEff = 1 - finShare * (1 - a.finEff);
    // The coil multiplies h by its own (projected) area: the larger real area goes into h.
    a.h *= areaRatio;
    a.outside = SurfaceRangeWarnings(p, ReDc);
    a.outside.insert(a.outside.end(), assumed.begin(), assumed.end());
    return a;
}

double PublishedCoreDp(const TAirSideGeometry& g, double Ao, double finShare, const TAirState& in,
                       const TAirState& out)
{
    static constexpr const char* where = "PublishedCoreDp";
    TPlateFinPattern p = PatternOf(g);
    TakeFinDefaults(p);
    // A wavy fin's friction acts on its real area (see PublishedAirSide).
    const double areaRatio = WavyAreaRatio(g, p, finShare);
    p.Dh /= areaRatio;
    p.AoBare *= areaRatio;
    Ao *= areaRatio;
    const double Amin = g.Af * g.Sigma;
    const double G = fc::Div(in.ma, Amin, where);
    const double ReDc = fc::Div(G * g.Dc, in.mu, where);
    const double f = SurfaceFactors(p, ReDc).f;
    const double rho1 = in.rho;
    const double rho2 = out.rho > 0 ? out.rho : in.rho;
    const double rhoM = (rho1 + rho2) / 2;
    const double s2 = g.Sigma * g.Sigma;
    return fc::Finite(fc::Div(G * G, 2 * rho1, where) *
                          ((1 + s2) * (fc::Div(rho1, rho2, where) - 1) +
                           f * fc::Div(Ao, Amin, where) * fc::Div(rho1, rhoM, where)),
                      where);
}

} // namespace zmk
