#include "engine/LiquidState.h"

#include "base/Errors.h"
#include "engine/FloatChecks.h"

namespace zmk {

std::string LiquidControlName(int ctrl)
{
    switch (ctrl) {
    case wcTemp:
        return "Temperature";
    case wcFlow:
        return "Liquid flow";
    default:
        return std::string();
    }
}

TLiquid& TLiquidState::liquid() const
{
    if (!Liquid)
        throw ZmkError("TLiquidState", "No liquid attached");
    return *Liquid;
}

void TLiquidState::SetLiquid(TLiquid& l)
{
    Liquid = &l;
    SetMassFlow(l.m);
}

double TLiquidState::GetMassFlow() const
{
    return liquid().m;
}

void TLiquidState::SetMassFlow(double m)
{
    TLiquid& l = liquid();
    l.m = m;
    vw = fc::Div(fc::Div(m, l.ro, "TLiquidState.SetMassFlow"), FlowArea, "TLiquidState.SetMassFlow");
    cw = fc::Finite(m * l.Cp, "TLiquidState.SetMassFlow");
}

double TLiquidState::GetVolumeFlow() const
{
    const TLiquid& l = liquid();
    return fc::Div(l.m * 1000, l.ro, "TLiquidState.GetVolumeFlow");
}

void TLiquidState::SetVelocity(double v)
{
    const TLiquid& l = liquid();
    SetMassFlow(fc::Finite(v * l.ro * FlowArea, "TLiquidState.SetVelocity"));
}

double TLiquidState::GetInletTemp() const
{
    return liquid().tfi;
}

void TLiquidState::SetInletTemp(double t)
{
    TLiquid& l = liquid();
    l.SetTfi(t);
    SetMassFlow(l.m);
}

double TLiquidState::GetLeavingTemp() const
{
    return liquid().tfo;
}

void TLiquidState::SetLeavingTemp(double t)
{
    TLiquid& l = liquid();
    l.SetTfo(fc::Finite(t, "TLiquidState.SetLeavingTemp"));
    SetMassFlow(l.m);
}

void TLiquidState::SetFlowArea(double a)
{
    FlowArea = a;
    if (Liquid)
        SetMassFlow(Liquid->m);
}

void TLiquidState::AddHeat(double Q)
{
    TLiquid& l = liquid();
    const double tin = GetInletTemp();
    if (ctrl == wcTemp) {
        SetLeavingTemp(tin + designdt);
        // Cp is read after the leaving temperature moved: the new mean temperature's value.
        SetMassFlow(fc::Div(Q, l.Cp * designdt, "TLiquidState.AddHeat"));
    } else if (ctrl == wcFlow) {
        SetLeavingTemp(tin + fc::Div(Q, l.m * l.Cp, "TLiquidState.AddHeat"));
        designdt = l.tfo - tin;
    }
}

void TLiquidState::RemoveHeat(double Q)
{
    TLiquid& l = liquid();
    const double tin = GetInletTemp();
    if (ctrl == wcTemp) {
        SetLeavingTemp(tin - designdt);
        SetMassFlow(fc::Div(Q, l.Cp * designdt, "TLiquidState.RemoveHeat"));
    } else if (ctrl == wcFlow) {
        SetLeavingTemp(tin - fc::Div(Q, l.m * l.Cp, "TLiquidState.RemoveHeat"));
        designdt = tin - l.tfo;
    }
}

} // namespace zmk
