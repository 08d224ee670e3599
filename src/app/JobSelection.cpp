#include "app/JobSelection.h"

#include "app/CoilJob.h"
#include "app/JobSizing.h"
#include "base/TextHelpers.h"
#include "engine/HeatExchanger.h"

#include <cmath>

namespace zmk {

TCoilInputs JobCoilInputs(const TCoilJob& job)
{
    TLiquidCoil& coil = *job.Coil();
    TCoilInputs in;
    in.Kind = job.KindCode;
    in.Start = job.CurrentStartValues();
    in.LiquidDt = coil.LiquidState->designdt;
    in.Spray = coil.Spray;
    in.UseFouling = coil.UseFouling;
    in.FoulingInDuty = coil.FoulingInDuty;
    in.AirSideMethod = coil.AirSideMethod;
    in.Pattern = ModelToMnfRec(coil.Geometry->Rec);
    return in;
}

TSelectInputs JobSelectInputs(const TCoilJob& job, const std::string& maker)
{
    TSelectInputs in;
    in.Job = JobCoilInputs(job);
    in.AirVolumeFlow = job.Coil()->Va;
    in.Patterns = CataloguePatterns(ProcessCoilMakers(), maker);
    return in;
}

void UseCandidate(TCoilJob& job, const TSelectCandidate& c, double airVolumeFlow)
{
    TLiquidCoil& coil = *job.Coil();
    job.MarkNotSolved();
    coil.SetModelRecord(CandidateModel(c, coil.Geometry->Rec));
    coil.UpdateTubeData();
    coil.SetFaceVelocity(airVolumeFlow / (c.fHeight * c.fLength));
    job.ShowInputs();
    JobGeometryCallback(job)();
    // The window shows the coil as the job now holds it.
    job.ShowInputs();
    job.Notify(jcResults);
    job.Notify(jcProfile);
}

bool IsJobCoil(const TCoilJob& job, const TSelectCandidate& c)
{
    const TLiquidCoil* coil = job.Coil();
    if (!coil)
        return false;
    const TModelRec& r = coil->Geometry->Rec;
    return LowerCase(r.Mnf) == LowerCase(c.Pattern.Mnf) && r.Model == c.Pattern.Name &&
           std::fabs(r.fHeight - c.fHeight) < 1e-4 && std::fabs(r.fLength - c.fLength) < 1e-4 &&
           r.Rows == c.Rows && std::fabs(r.fpi - c.fpi) < 1e-9 && r.Circ == c.Circ;
}

} // namespace zmk
