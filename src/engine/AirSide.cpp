// The fin side of a coil: air flow and state setters, the fin-and-tube and tube-bank
// coefficients, the air pressure drop and the sizing searches of the coil dialog.
#include "engine/FloatChecks.h"
#include "engine/HeatExchanger.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zmk {

namespace {

constexpr double kHuge = 1.7e308; // stands for a quotient by a zero density

double clampTo(double v, double lo, double hi)
{
    if (v < lo)
        v = lo;
    if (v > hi)
        v = hi;
    return v;
}

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

double TCoil::SensibleAirChange(double Q, double& capacity, const char* where)
{
    const TAirState& in = airIn();
    const double mda = DryAirFlow();
    const double hOut = in.h - fc::Div(Q, mda, where);
    const double dT = in.db - psy::DryBulbFromEnthalpy(hOut, in.w);
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

double TCoil::EffectiveHo()
{
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
    if (!Liquid)
        return AirDpFactor * dp;
    // Condensate on the fins raises the drop once the entering dew point is well above the
    // liquid inlet temperature.
    const double d = in.dewpoint - Liquid->tfi;
    if (d < 1.6)
        return AirDpFactor * dp;
    const double dT = 1.8 * std::fabs(d);
    double W = (1.2 - std::exp((6.29 - dT) / 25.2)) * (0.10746 * Geometry->Rec.fpi - 0.03282) + 0.915677;
    if (W < 1)
        W = 1;
    return fc::Finite(AirDpFactor * W * dp, where);
}

// ---- Sizing ----

void TCoil::applyAirFlow(double Va)
{
    if (Va > 0)
        SetAirVolumeFlow(Va);
    else
        SetFaceVelocity(DesignVf);
}

void TCoil::finishAreaSizing()
{
    if (Status == TSolveStatus::None && Va > 0)
        DutyPerVolFlow = clampTo(Qt / Va, 10, 40);
}

TSolveStatus TCoil::sizingFailed(const char* why)
{
    Status = TSolveStatus::DataError;
    Reason = why;
    return Status;
}

bool TCoil::startSizing(double VaGiven, double duty, const char* where, double& p)
{
    if (duty < 0.01) {
        sizingFailed("A coil can only be sized to a duty of at least 0.01 kW...");
        return false;
    }
    if (VaGiven > 0)
        SetAirVolumeFlow(VaGiven);
    else
        Va = fc::Div(duty, DutyPerVolFlow, where);
    p = 2 * Geometry->GetSy();
    if (!(p > 0)) {
        sizingFailed("The coil's tube pitch gives no height step to size with...");
        return false;
    }
    return true;
}

TSolveStatus TCoil::sizeByArea(double VaGiven, double duty, SizingPath path)
{
    const char* where = path == SizingPath::FaceArea ? "TCoil.AutoFaceArea" : "TCoil.AutoLength";
    double p = 0;
    if (!startSizing(VaGiven, duty, where, p))
        return Status;
    const double A0 = fc::Div(Va, DesignVf, where);
    if (path == SizingPath::FaceArea)
        SetFinHeight((std::trunc(fc::Sqrt(fc::Div(A0, DesignAspect, where), where) / p) + 1) * p);
    PrepareDesign(duty);

    // One trial: the geometry for face area A, the air flow again, a solve; the error is
    // duty - Qt. The length search writes back the area its clamped length gives.
    auto evaluate = [&](double& A) {
        if (path == SizingPath::FaceArea) {
            double H = (std::trunc(fc::Sqrt(fc::Div(A, DesignAspect, where), where) / p) + 1) * p;
            H = clampTo(H, MinHeight, MaxHeight);
            const double L = clampTo(fc::Div(A, H, where), MinLength, MaxLength);
            Geometry->SetLength(L);
            Geometry->SetHeight(H);
        } else {
            const double H = GetFinHeight();
            const double L = clampTo(fc::Div(A, H, where), MinLength, MaxLength);
            Geometry->SetLength(L);
            A = L * H;
        }
        RefreshDerived();
        applyAirFlow(VaGiven);
        Solve();
        return duty - Qt;
    };

    try {
        double Aprev = A0;
        double errPrev = evaluate(Aprev);
        double Acur = 0.98 * A0;
        double errCur = evaluate(Acur);
        TSolveStatus result = TSolveStatus::Iterating;
        if (std::fabs(Aprev - Acur) < 1e-6)
            result = TSolveStatus::None;
        else if (std::fabs(errPrev - errCur) < 1e-9)
            result = TSolveStatus::DataError;
        int passes = 0;
        while (result == TSolveStatus::Iterating) {
            // Relaxed secant step.
            double Anew = Acur - 0.9 * errCur * fc::Div(Aprev - Acur, errPrev - errCur, where);
            if (Anew < 0.00254)
                Anew = 0.00254;
            const double errNew = evaluate(Anew);
            ++passes;
            // A trial that takes the liquid past its limits still has its duty to steer by; only
            // the coil the sizing ends on must be rated.
            const bool rated = Status == TSolveStatus::None;
            if (!rated && !LiquidLimited)
                result = TSolveStatus::DataError;
            else if (std::fabs(errNew) < 1e-4)
                result = rated ? TSolveStatus::None : TSolveStatus::DataError;
            else if (std::fabs(Acur - Anew) < 1e-6)
                // An area that no longer moves while the duty is still off by more than 1 kW is a
                // size limit reached (the length held in its range), not a sized coil.
                result = std::fabs(errNew) > 1 || !rated ? TSolveStatus::DataError : TSolveStatus::None;
            else if (std::fabs(errCur - errNew) < 1e-9 && std::fabs(errNew) > 1)
                result = TSolveStatus::DataError;
            else if (passes > 50)
                result = TSolveStatus::CountOut;
            Aprev = Acur;
            errPrev = errCur;
            Acur = Anew;
            errCur = errNew;
        }
        Status = result;
        if (result == TSolveStatus::DataError && Reason.empty())
            Reason = "No face area gives this duty with these settings...";
        else if (result == TSolveStatus::CountOut)
            Reason = "The sizing did not settle within 50 trials...";
        finishAreaSizing();
    } catch (const ZmkError&) {
        sizingFailed("The coil could not be sized: a trial rating had no solution...");
    }
    return Status;
}

TSolveStatus TCoil::AutoFaceArea(double Va, double duty)
{
    return sizeByArea(Va, duty, SizingPath::FaceArea);
}

TSolveStatus TCoil::AutoLength(double Va, double duty)
{
    return sizeByArea(Va, duty, SizingPath::Length);
}

TSolveStatus TCoil::AutoHeight(double VaGiven, double duty)
{
    static constexpr const char* where = "TCoil.AutoHeight";
    double p = 0;
    if (!startSizing(VaGiven, duty, where, p))
        return Status;
    const double L = GetFinnedLength();
    const double A0 = fc::Div(Va, DesignVf, where);
    SetFinHeight(fc::Div(A0, L, where));
    PrepareDesign(duty);

    auto apply = [&](double H) {
        SetFinHeight(H);
        applyAirFlow(VaGiven);
        Solve();
    };
    // Each walk ends at a height limit; the bound only matters for a pitch far below any tube's.
    const int maxSteps = static_cast<int>(std::min(1e5, std::ceil((MaxHeight - MinHeight) / p) + 2));
    try {
        double H = (std::trunc(fc::Div(A0, L, where) / p) + 1) * p;
        apply(H);
        int steps = 0;
        if (Qt < duty) {
            while (Qt < duty && H < MaxHeight && steps++ < maxSteps) {
                H += p;
                apply(H);
            }
        } else {
            while (Qt > 1.01 * duty && H > MinHeight + p && steps++ < maxSteps) {
                H -= p;
                apply(H);
            }
            if (Qt < SizingReach * duty) {
                H += p;
                apply(H);
            }
        }
        finishAreaSizing();
    } catch (const ZmkError&) {
        sizingFailed("The coil could not be sized: a trial rating had no solution...");
    }
    return Status;
}

TSolveStatus TCoil::searchGrid(double VaGiven, double duty, int startRows, int startFins,
                               const std::vector<int>& rows, const std::vector<int>& fins)
{
    if (duty < 0.01)
        return sizingFailed("A coil can only be sized to a duty of at least 0.01 kW...");
    applyAirFlow(VaGiven);
    PrepareDesign(duty);
    // A value of 0 leaves that dimension as it is.
    auto trial = [&](int r, int f) {
        if (r > 0)
            Geometry->SetRows(r);
        if (f > 0)
            Geometry->SetFpi(f);
        RefreshDerived();
        // A trial without a solution is no candidate, whatever duty its failed pass left.
        return Solve() == TSolveStatus::None ? std::fabs(Qt - duty) : HUGE_VAL;
    };
    // A trial that gives the duty (from SizingReach of it on) beats one that falls short, and
    // among those alike the nearer wins: the nearest coil that does the job, else the nearest.
    int bestRows = startRows;
    int bestFins = startFins;
    double bestErr = trial(startRows, startFins);
    bool bestReaches = bestErr != HUGE_VAL && Qt >= SizingReach * duty;
    const std::vector<int> keep{0};
    for (int r : rows.empty() ? keep : rows)
        for (int f : fins.empty() ? keep : fins) {
            const double err = trial(r, f);
            const bool reaches = err != HUGE_VAL && Qt >= SizingReach * duty;
            if (reaches != bestReaches ? reaches : err < bestErr) {
                bestErr = err;
                bestReaches = reaches;
                bestRows = r;
                bestFins = f;
            }
        }
    trial(bestRows, bestFins);
    return Status;
}

TSolveStatus TCoil::AutoRows(double Va, double duty)
{
    return searchGrid(Va, duty, 4, 0, {SizingRows.begin(), SizingRows.end()}, {});
}

TSolveStatus TCoil::AutoFinDensity(double Va, double duty)
{
    return searchGrid(Va, duty, 0, 10, {}, {SizingFins.begin(), SizingFins.end()});
}

TSolveStatus TCoil::AutoRowsFins(double Va, double duty)
{
    return searchGrid(Va, duty, 4, 10, {SizingRows.begin(), SizingRows.end()},
                      {SizingFins.begin(), SizingFins.end()});
}

} // namespace zmk
