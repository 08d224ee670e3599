// The heat recovery coil: air and a liquid exchange sensible heat across a dry finned surface,
// rated as a counterflow exchanger by the effectiveness-NTU method, repeated until the duty
// settles because the liquid properties follow its leaving temperature and the air's capacity
// rate follows its temperature change.
#include "engine/FloatChecks.h"
#include "engine/HeatExchanger.h"

#include <cmath>

namespace zmk {

TSolveStatus TZemtor::SolveModel()
{
    static constexpr const char* where = "TZemtor.Solve";
    const TAirState& in = airIn();
    TAirState& out = airOut();
    TLiquidState& state = *LiquidState;

    const double tin = state.GetInletTemp();
    // Equal temperatures count as air heating.
    AirCooling = tin < in.db ? kAirCooling : kAirHeating;
    const double sign = AirCooling == kAirCooling ? 1 : -1;
    SurfaceCondition = scDry;
    SetFouling();
    // Under temperature control the leaving temperature is given: beyond the entering air it
    // cannot be reached, so the coil is not rated.
    if (state.ctrl == wcTemp) {
        const double tout = tin + sign * state.designdt;
        if (AirCooling == kAirCooling ? tout > in.db : tout < in.db) {
            Reason = AirCooling == kAirCooling ? "The liquid would leave hotter than the air entering: the "
                                                 "temperature rise is more than the air can give..."
                                               : "The liquid would leave colder than the air entering: the "
                                                 "temperature drop is more than the air can take...";
            return TSolveStatus::DataError;
        }
    }
    double hOut = in.h;
    double nextCa = Ca;
    IteratePasses([&] {
        Ca = nextCa;
        Cr = fc::Div(Ca, state.cw, where);
        CommonCoefficients(where);
        e = fc::Finite(EffectivenessFn(Ntu, Cr) * EffFactor, where);
        Qmax = std::fabs(in.db - tin) * Ca;
        Qt = fc::Finite(e * Qmax, where);
        if (AirCooling == kAirCooling)
            state.AddHeat(Qt);
        else
            state.RemoveHeat(Qt);
        hOut = SensibleAirChange(sign * Qt, nextCa, where);
        return Qt;
    });
    // Ca over the air's actual change, that of the leaving air below.
    Ca = nextCa;
    // The leaving air from the enthalpy balance, at the entering moisture content.
    out.h = hOut;
    out.w = in.w;
    out = AirState(out, kPairHW);
    Qs = Qt;
    return Status;
}

TLiquidCoil::TStepScheme TZemtor::StepScheme() const
{
    return {0.7, false, false};
}

void TZemtor::StepSlice(TStepSlice& s, const char* where)
{
    const double dQ = ho * s.dAo * (s.air.db - s.ts);
    s.duty += dQ;
    s.tw = fc::Finite(s.tw - fc::Div(dQ, s.cw, where), where);
    // Sensible only: the enthalpy moves, the moisture content and so the dew point stay.
    s.air.h = fc::Finite(s.air.h - fc::Div(dQ, s.mda, where), where);
    s.air.db = psy::DryBulbFromEnthalpy(s.air.h, s.air.w);
}

} // namespace zmk
