// The fin side of a coil: air flow and state setters, the fin-and-tube and tube-bank
// coefficients and the air pressure drop (the sizing searches are in Sizing.cpp).
#include "engine/FloatChecks.h"
#include "engine/HeatExchanger.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zmk {

namespace {

constexpr double kHuge = 1.7e308; // stands for a quotient by a zero density
// How far (K) from a known point of the enthalpy-dry bulb relation DryBulbNear steps along its
// slope rather than searching afresh.
constexpr double kNearDryBulb = 0.05;

} // namespace

// ---- Air flow and states ----

void TCoil::SetAirMassFlow(double m)
{
    TAirState& in = airIn();
    TAirState& out = airOut();
    ma = m;
    in.ma = m;
    out.ma = m;
    Va = fc::Div(m, in.rho, "TCoil.SetAirMassFlow");
    Vf = fc::Div(Va, GetAf(), "TCoil.SetAirMassFlow");
    // The humid specific heat is per kg of dry air.
    Ca = fc::Finite(DryAirFlow() * in.cp, "TCoil.SetAirMassFlow");
}

double TCoil::DryAirFlow() const
{
    return ma / (1 + airIn().w);
}

double DryBulbNear(double h, double w, TDryBulbMark& mark)
{
    // Near the mark the enthalpy is nearly straight in the dry bulb: a step along the mark's slope
    // lands within a small share of the distance moved (some 1e-4 of it per kelvin), and a step
    // along the same slope from there confirms it. The last step taken is below 1e-10 K, as the
    // moist-air function's own search ends. Farther away that function's search is cheaper.
    const double move = (h - mark.h) / mark.cp;
    if (std::fabs(move) < kNearDryBulb && w >= 0) {
        double t = mark.db + move;
        for (int i = 0; i < 2; ++i) {
            const double step = (psy::Enthalpy(t, w) - h) / mark.cp;
            t -= step;
            if (std::fabs(step) < 1e-10) {
                mark.h = h;
                mark.db = t;
                return t;
            }
        }
    }
    const double t = psy::DryBulbFromEnthalpy(h, w);
    mark = TDryBulbMark{h, t, psy::HumidCp(t, w)};
    return t;
}

double TCoil::SensibleAirChange(double Q, double& capacity, const char* where)
{
    TDryBulbMark leaving;
    return SensibleAirChange(Q, capacity, leaving, where);
}

double TCoil::SensibleAirChange(double Q, double& capacity, TDryBulbMark& leaving, const char* where)
{
    const TAirState& in = airIn();
    const double mda = DryAirFlow();
    const double hOut = in.h - fc::Div(Q, mda, where);
    const double dT = in.db - DryBulbNear(hOut, in.w, leaving);
    // The mean specific heat over the change; over no change, the one at the entering state.
    capacity = std::fabs(dT) > 1e-6 ? fc::Div(Q, dT, where) : fc::Finite(mda * in.cp, where);
    return hOut;
}

void TCoil::SetAirVolumeFlow(double volumeFlow)
{
    SetAirMassFlow(fc::Finite(volumeFlow * airIn().rho, "TCoil.SetAirVolumeFlow"));
}

void TCoil::SetFaceVelocity(double V)
{
    SetAirMassFlow(fc::Finite(V * GetAf() * airIn().rho, "TCoil.SetFaceVelocity"));
}

void TCoil::SetPressure(double P)
{
    TAirState& in = airIn();
    TAirState& out = airOut();
    in = airStates_.Get(P, in.db, in.wb, kPairDbWb);
    out = airStates_.Get(P, out.db, out.wb, kPairDbWb);
    SetFaceVelocity(Vf);
}

void TCoil::SetAirInDryBulb(double t)
{
    TAirState& in = airIn();
    in = airStates_.Get(in.P, t, in.w, kPairDbW);
}

void TCoil::SetAirInMoisture(double w)
{
    TAirState& in = airIn();
    in = airStates_.Get(in.P, in.db, w, kPairDbW);
}

void TCoil::SetAirDpFactor(double value)
{
    AirDpFactor = value;
}

void TCoil::SetAirCoefFn(TAirCoefFn fn)
{
    AirCoefFn = std::move(fn);
}

double TCoil::GetPressure() const
{
    return (airIn().P + airOut().P) / 2;
}

double TCoil::GetAirInDryBulb() const
{
    return airIn().db;
}

double TCoil::GetAirInWetBulb() const
{
    return airIn().wb;
}

double TCoil::GetAirInEnthalpy() const
{
    return airIn().h;
}

double TCoil::GetAirInMoisture() const
{
    return airIn().w;
}

double TCoil::GetAirInRh() const
{
    return airIn().rh;
}

double TCoil::GetAirInDewPoint() const
{
    return airIn().dewpoint;
}

double TCoil::GetAirOutDryBulb() const
{
    return airOut().db;
}

double TCoil::GetAirOutWetBulb() const
{
    return airOut().wb;
}

double TCoil::GetAirOutEnthalpy() const
{
    return airOut().h;
}

double TCoil::GetAirOutMoisture() const
{
    return airOut().w;
}

double TCoil::GetAirOutRh() const
{
    return airOut().rh;
}

double TCoil::GetAirOutDewPoint() const
{
    return airOut().dewpoint;
}

double TCoil::LeavingVolumeFlow() const
{
    const double rho = airOut().rho;
    if (rho == 0)
        return std::copysign(kHuge, ma);
    return ma / rho;
}

double TCoil::MoistureRemoval() const
{
    return (airIn().w - airOut().w) * DryAirFlow();
}

// ---- Coefficients ----

double TCoil::FinTubeCoefficient(const TAirSideGeometry& g, const TAirState& air, TAirResult& result)
{
    static constexpr const char* where = "TCoil.FinTubeCoefficient";
    const double mu = air.mu;
    const double cp = air.cp;
    const double k = air.k;
    const double G = fc::Div(air.ma, g.Af * g.Sigma, where);
    const double Re = fc::Div(G * g.Dh, mu, where);
    const double Pr = fc::Div(mu * cp, k, where);
    const double r1 = fc::Div(g.tf, g.EqFinHeight, where);
    const double r2 = fc::Div(g.Dh, g.tf, where);
    const double r3 = fc::Div(g.FinGap, g.tf, where);
    const double exponent = -0.323 * fc::Pow(r1, 0.049, where) * fc::Pow(r3, 0.077, where);
    const double j =
        0.159 * fc::Pow(r1, 0.141, where) * fc::Pow(r2, 0.065, where) * fc::Pow(Re, exponent, where);
    // The Prandtl exponent is -0.667, not -2/3: the correlation's own rounding.
    const double h = fc::Finite(0.85 * j * G * cp * fc::Pow(Pr, -0.667, where), where);
    const double Nu = fc::Div(h * g.Dh, k, where);
    result = TAirResult{g.Dh, G, Re, Pr, Nu, j, h};
    if (g.Pattern == 1) {
        TAirSideGeometry staggered = g;
        staggered.Pattern = 0;
        return fc::Finite(
            h * fc::Div(TubeBankCoefficient(g, air), TubeBankCoefficient(staggered, air), where), where);
    }
    return h;
}

double TCoil::TubeBankCoefficient(const TAirSideGeometry& g, const TAirState& air)
{
    static constexpr const char* where = "TCoil.TubeBankCoefficient";
    const double mu = air.mu;
    const double G = fc::Div(air.ma, g.Af * g.Sigma, where);
    const double Re = fc::Div(G * g.Dc, mu, where);
    const double Pr = fc::Div(mu * air.cp, air.k, where);
    const double s = fc::Div(g.Sy, g.Sx, where);
    double F = 1;
    double C = 0;
    double m = 0;
    if (g.Pattern == 1) {
        if (Re <= 1000) {
            C = 0.52;
            m = 0.5;
        } else if (Re <= 200000) {
            C = 0.27;
            m = 0.63;
        } else {
            C = 0.033;
            m = 0.8;
        }
    } else {
        if (Re <= 1000) {
            C = 0.71;
            m = 0.5;
        } else if (Re <= 200000) {
            m = 0.6;
            if (s > 2) {
                C = 0.40;
            } else {
                C = 0.35;
                F = fc::Pow(s, 0.2, where);
            }
        } else {
            C = 0.031;
            m = 0.8;
            F = fc::Pow(s, 0.2, where);
        }
    }
    const double N = g.Rows;
    double rowFactor;
    if (g.Pattern == 1) {
        const double n = fc::Pow(N, 1.36, where);
        rowFactor = fc::Div(n + 0.95, n + 1.8, where);
    } else {
        const double n = fc::Pow(N, 1.45, where);
        rowFactor = fc::Div(n + 0.94, n + 2, where);
    }
    const double Nu = C * F * fc::Pow(Re, m, where) * fc::Pow(Pr, 0.34, where) * rowFactor;
    return fc::Div(Nu * air.k, g.Dc, where);
}

void TCoil::SetAirSideMethod(TAirSideMethod method)
{
    AirSideMethod = method;
    AirSideWarnings.clear();
    SurfaceEff = AirGeom.EtaO;
    if (method == TAirSideMethod::Published)
        EffectivenessFn = [this](double N, double Cr) { return RowEffectiveness(Geometry->Rec.Rows, N, Cr); };
    else
        EffectivenessFn = CounterflowEffectiveness;
}

double TCoil::wetFinSlope() const
{
    // The fins of a wet coil run between the liquid's inlet temperature and the entering air's
    // dew point: the slope of the saturated-air enthalpy over that span.
    const TAirState& in = airIn();
    const double tw = Liquid ? Liquid->tfi : in.dewpoint;
    const double lo = std::min(tw, in.dewpoint);
    const double hi = std::max(lo + 0.1, std::max(tw, in.dewpoint));
    return fc::Div(SatEnthalpy(in.P, hi) - SatEnthalpy(in.P, lo), hi - lo, "TCoil.wetFinSlope");
}

double TCoil::EffectiveHo(bool wetFins)
{
    AirSideWarnings.clear();
    if (AirSideMethod == TAirSideMethod::Published) {
        const double finShare = fc::Div(Geometry->Afin, Geometry->Ao, "TCoil.EffectiveHo");
        const TPublishedAir a =
            PublishedAirSide(AirGeom, finShare, airIn(), wetFins ? wetFinSlope() : 0.0, AirResult);
        SurfaceEff = a.surfaceEff;
        FinEff = a.finEff;
        AirSideWarnings = a.outside;
        return fc::Finite(ActiveSprayFactor * HoFactor * SurfaceEff * a.h, "TCoil.EffectiveHo");
    }
    SurfaceEff = AirGeom.EtaO;
    FinEff = Geometry->EtaF;
    return fc::Finite(ActiveSprayFactor * HoFactor * SurfaceEff * AirCoefFn(AirGeom, airIn(), AirResult),
                      "TCoil.EffectiveHo");
}

// ---- Pressure drop ----

double TCoil::AirPressureDrop() const
{
    static constexpr const char* where = "TCoil.AirPressureDrop";
    const TAirState& in = airIn();
    const TAirState& out = airOut();
    // A fractional row counts as a whole one.
    const double rows = Geometry->Rec.Rows;
    double n = std::trunc(rows);
    if (rows - n > 0)
        n += 1;
    if (Vf <= 0.001)
        return 5 * n;
    if (AirSideMethod == TAirSideMethod::Published)
        return AirDpFactor * wetDpMultiplier() *
               PublishedCoreDp(AirGeom, Ao, fc::Div(Geometry->Afin, Geometry->Ao, where), in, out);
    const double sigma = Geometry->Sigma;
    const double rho1 = in.rho;
    const double rho2 = out.rho;
    const double Vmax = fc::Div(Vf, sigma, where);
    const double Re = fc::Div(rho1 * Vmax * Geometry->Dh, in.mu, where);
    const double f = fc::Exp(-1.2 - 0.3 * fc::Ln(Re, where), where);
    const double s2 = sigma * sigma;
    const double s3 = s2 * sigma;
    const double Kc = 0.503138 - 0.038765 * sigma - 0.299002 * s2 - 0.076219 * s3;
    const double Ke = 1.006211 - 2.142254 * sigma + 1.105172 * s2 - 0.058724 * s3;
    const double rhoM = (rho1 + rho2) / 2;
    const double rhoR = fc::Div(rho1, rho2, where);
    const double core = f * fc::Div(n * Geometry->AoAfRow, sigma, where) * fc::Div(rho1, rhoM, where);
    const double dp = fc::Finite(
        (rho1 * Vmax * Vmax / 2) * ((Kc + 1 - s2) + 2 * (rhoR - 1) + core - (1 - s2 - Ke) * rhoR), where);
    const double W = wetDpMultiplier();
    if (W == 1)
        return AirDpFactor * dp;
    return fc::Finite(AirDpFactor * W * dp, where);
}

double TCoil::wetDpMultiplier() const
{
    // Condensate on the fins raises the drop once the entering dew point is well above the
    // liquid inlet temperature.
    if (!Liquid)
        return 1;
    const double d = airIn().dewpoint - Liquid->tfi;
    if (d < 1.6)
        return 1;
    const double dT = 1.8 * std::fabs(d);
    const double W =
        (1.2 - std::exp((6.29 - dT) / 25.2)) * (0.10746 * Geometry->Rec.fpi - 0.03282) + 0.915677;
    return W < 1 ? 1 : W;
}

} // namespace zmk
