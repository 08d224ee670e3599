#include "app/JobSizing.h"

#include "app/CoilJob.h"
#include "engine/HeatExchanger.h"

namespace zmk {

std::function<void()> JobGeometryCallback(TCoilJob& job)
{
    return [&job] {
        if (TLiquidCoil* coil = job.Coil())
            job.Inputs.edFaceVelocity.Value = coil->Vf;
        try {
            job.GeometryChanged();
        } catch (...) {
            // The coil's results are those of a failed pass: the job is not solved.
            job.SetSolved(false);
            throw;
        }
    };
}

TAutoSizeResult SizeJobCoil(TCoilJob& job, TAutoSize mode, bool keepAirflow, double duty)
{
    TLiquidCoil& coil = *job.Coil();
    TAutoSizeResult sized = RunAutoSize(coil, mode, keepAirflow, duty);
    job.ShowInputs();
    JobGeometryCallback(job)();
    CheckAutoSize(coil, mode, duty, sized);
    return sized;
}

} // namespace zmk
