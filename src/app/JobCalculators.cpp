#include "app/JobCalculators.h"

#include "app/CoilJob.h"
#include "engine/HeatExchanger.h"
#include "properties/Fluid.h"

#include <cmath>

namespace zmk {

namespace {

// A value handed back enters its field as the user's would: held in the field's range, then
// through the field's exit handler; the field shows it too.
void takeField(TCoilJob& job, TEntryField field, double value)
{
    const TEntryFieldInfo& info = EntryFieldInfo(field);
    EntryRangeCheck(value, info.RangeLo, info.RangeHi);
    job.SetInput(field, value);
    job.Notify(TJobNews{jcInputs, field});
}

bool positive(double v)
{
    return std::isfinite(v) && v > 0;
}

} // namespace

std::optional<TAirFlowOpening> AirFlowOpening(const TCoilJob& job)
{
    const TLiquidCoil* coil = job.Coil();
    if (!coil)
        return std::nullopt;
    TAirFlowOpening o;
    o.Velocity = coil->Vf;
    o.MassFlow = coil->ma;
    o.InletVolumeFlow = coil->Va;
    const double out = coil->LeavingVolumeFlow();
    // A leaving state without a density gives no volume flow worth showing.
    o.OutletVolumeFlow = positive(out) && out < 1e12 ? out : coil->Va;
    return o;
}

std::optional<TFluidFlowOpening> FluidFlowOpening(const TCoilJob& job)
{
    const TLiquidCoil* coil = job.Coil();
    if (!coil || !coil->LiquidState)
        return std::nullopt;
    TFluidFlowOpening o;
    o.Velocity = coil->LiquidState->vw;
    o.MassFlow = coil->LiquidState->GetMassFlow();
    const TLiquid* liquid = coil->LiquidState->Liquid;
    o.VolumeFlow = liquid && positive(liquid->ro) ? o.MassFlow * 1000 / liquid->ro : 0;
    return o;
}

void TakeAirMassFlow(TCoilJob& job, double ma)
{
    if (positive(ma))
        takeField(job, TEntryField::edAirMassflow, ma);
}

void TakeLiquidMassFlow(TCoilJob& job, double m)
{
    if (positive(m))
        takeField(job, TEntryField::edFluidFlow, m);
}

void TakeAltitude(TCoilJob& job, double z)
{
    if (std::isfinite(z))
        takeField(job, TEntryField::edAltitude, z);
}

} // namespace zmk
