// The tube side of a liquid coil: the tube-side coefficient, the liquid pressure drop and the
// pipe connection size.
#include "engine/FloatChecks.h"
#include "engine/HeatExchanger.h"
#include "properties/Friction.h"

#include <array>
#include <cmath>
#include <string>

namespace zmk {

std::string TubeRegimeName(TTubeRegime regime)
{
    switch (regime) {
    case TTubeRegime::Laminar:
        return "laminar";
    case TTubeRegime::Transition:
        return "transition";
    case TTubeRegime::Turbulent:
        return "turbulent";
    }
    return std::string();
}

double LaminarTubeNusselt(double Re, double Pr, double dOverL)
{
    static constexpr const char* where = "LaminarTubeNusselt";
    // Gnielinski's mean Nusselt number of a thermally developing laminar flow at constant wall
    // temperature: the fully developed 3.66, the developing thermal layer 1.615·Gz^(1/3) and the
    // developing velocity profile, joined by cubes.
    const double Gz = Re * Pr * dOverL;
    // The powers by roots and products. The velocity term (2/(1 + 22·Pr))^(1/6)·Gz^(1/2) enters
    // only by its cube, (2/(1 + 22·Pr))^(1/2)·Gz^(3/2): no root of a root.
    const double nu2 = 1.615 * fc::Cbrt(Gz, where);
    const double nu3Cubed = fc::Sqrt(fc::Div(2, 1 + 22 * Pr, where), where) * Gz * fc::Sqrt(Gz, where);
    const double d = nu2 - 0.7;
    const double sum = 3.66 * 3.66 * 3.66 + 0.7 * 0.7 * 0.7 + d * d * d + nu3Cubed;
    return fc::Cbrt(sum, where);
}

double TubeNusselt(double Re, double Pr, double dOverL, TTubeRegime& regime)
{
    static constexpr const char* where = "TubeNusselt";
    if (Re < kLaminarRe) {
        regime = TTubeRegime::Laminar;
        return LaminarTubeNusselt(Re, Pr, dOverL);
    }
    if (Re >= kTurbulentRe) {
        regime = TTubeRegime::Turbulent;
        // Both powers by one exponential where the Prandtl number has a logarithm.
        if (Pr > 0)
            return 0.026 * fc::Exp(0.8 * std::log(Re) + 0.4 * std::log(Pr), where);
        return 0.026 * fc::Pow(Re, 0.8, where) * fc::Pow(Pr, 0.4, where);
    }
    const double prTerm = Pr > 0 ? fc::Exp(0.4 * std::log(Pr), where) : fc::Pow(Pr, 0.4, where);
    // Neither correlation holds in between: a straight line in Re joins their ends.
    regime = TTubeRegime::Transition;
    const double gamma = (Re - kLaminarRe) / (kTurbulentRe - kLaminarRe);
    // The turbulent end's Re^0.8 is a constant, worked out once.
    static const double reTerm = fc::Pow(kTurbulentRe, 0.8, where);
    return (1 - gamma) * LaminarTubeNusselt(kLaminarRe, Pr, dOverL) + gamma * (0.026 * reTerm * prTerm);
}

double TLiquidCoil::TubeCoefficient(const TTubeSideGeometry& tube, const TLiquid& liquid)
{
    TTubeResult result;
    return TubeCoefficient(tube, liquid, result);
}

double TLiquidCoil::TubeCoefficient(const TTubeSideGeometry& tube, const TLiquid& liquid, TTubeResult& result)
{
    static constexpr const char* where = "TLiquidCoil.TubeCoefficient";
    const double v = std::fabs(fc::Div(fc::Div(liquid.m, liquid.ro, where), tube.FlowArea, where));
    const double Re = fc::Div(liquid.ro * v * tube.ID, liquid.mu, where);
    // The thermal layer starts again after each return bend: one pass is the developing length.
    // A record without a pass length counts as a long tube.
    const double dOverL = tube.PassLength > 0 ? fc::Div(tube.ID, tube.PassLength, where) : 0;
    TTubeRegime regime = TTubeRegime::Turbulent;
    const double Nu = TubeNusselt(Re, liquid.Pr, dOverL, regime);
    const double h = fc::Div(Nu * liquid.Ko, tube.ID, where);
    result = TTubeResult{Re, liquid.Pr, Nu, h, regime};
    return h;
}

double TLiquidCoil::LiquidPressureDrop() const
{
    static constexpr const char* where = "TLiquidCoil.LiquidPressureDrop";
    const TLiquid& l = liquid();
    const TTubeSideGeometry tube = Geometry->GetTubeSide();
    const double vw = LiquidState->vw;
    const double Re = std::fabs(fc::Div(tube.ID * l.ro * vw, l.mu, where));
    int regime = 0;
    // A drawn tube: absolute roughness 1.5 µm, 0.015 as the first guess.
    const double f = FrictionFactor(regime, false, 0.015, 1.5e-6, tube.ID, Re);
    const double dp =
        vw * vw * LiquidDpFactor * 0.0012 * l.ro * f * fc::Div(tube.EqLength, 2 * tube.ID, where);
    return fc::Finite(dp, where);
}

int TLiquidCoil::PipeSize() const
{
    // Nominal connection sizes, mm.
    static constexpr std::array<int, 20> sizes{15,  20,  25,  35,  40,  50,  65,  80,  100, 125,
                                               150, 200, 250, 300, 350, 400, 450, 500, 600, 750};
    const double x = 27 * std::pow(std::fabs(liquid().m), 0.45);
    for (int s : sizes)
        if (s >= x)
            return s;
    return 750;
}

} // namespace zmk
