// The tube side of a liquid coil: the tube-side coefficient, the liquid pressure drop and the
// pipe connection size.
#include "engine/FloatChecks.h"
#include "engine/HeatExchanger.h"
#include "properties/Friction.h"

#include <array>
#include <cmath>

namespace zmk {

double TLiquidCoil::TubeCoefficient(const TTubeSideGeometry& tube, const TLiquid& liquid)
{
    static constexpr const char* where = "TLiquidCoil.TubeCoefficient";
    const double v = std::fabs(fc::Div(fc::Div(liquid.m, liquid.ro, where), tube.FlowArea, where));
    const double Re = fc::Div(liquid.ro * v * tube.ID, liquid.mu, where);
    // Dittus-Boelter with the constant 0.026.
    const double Nu = 0.026 * fc::Pow(Re, 0.8, where) * fc::Pow(liquid.Pr, 0.4, where);
    return fc::Div(Nu * liquid.Ko, tube.ID, where);
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
