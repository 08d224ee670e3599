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

namespace {

// The job solved on its coil as changed, the window showing it as the job now holds it.
void solveChangedCoil(TCoilJob& job)
{
    job.ShowInputs();
    JobGeometryCallback(job)();
    // The window shows the coil as the job now holds it.
    job.ShowInputs();
    job.Notify(jcResults);
    job.Notify(jcProfile);
}

// The coil's definition and air flow put back as the state holds them, solved.
void applyCoilState(TCoilJob& job, const TJobCoilState& state)
{
    TLiquidCoil& coil = *job.Coil();
    job.MarkNotSolved();
    coil.SetModelRecord(state.Rec);
    coil.UpdateTubeData();
    coil.SetAirMassFlow(state.AirMassFlow);
    solveChangedCoil(job);
}

// Whether the job's coil is (still) the state's.
bool isState(const TCoilJob& job, const TJobCoilState& state)
{
    const TLiquidCoil* coil = job.Coil();
    return coil && SameRecord(coil->Geometry->Rec, state.Rec) && coil->ma == state.AirMassFlow;
}

} // namespace

void UseCandidate(TCoilJob& job, const TSelectCandidate& c, double airVolumeFlow)
{
    TLiquidCoil& coil = *job.Coil();
    job.MarkNotSolved();
    coil.SetModelRecord(CandidateModel(c, coil.Geometry->Rec));
    coil.UpdateTubeData();
    coil.SetFaceVelocity(airVolumeFlow / (c.fHeight * c.fLength));
    solveChangedCoil(job);
}

TJobCoilState JobCoilState(const TCoilJob& job)
{
    const TLiquidCoil& coil = *job.Coil();
    return {coil.Geometry->Rec, coil.ma};
}

void TCoilUndo::Do(TCoilJob& job, const std::string& what, const std::function<void()>& change)
{
    TStep step{what, JobCoilState(job), {}};
    redo_.reset();
    undo_.reset();
    // The step stands whether or not the solve that ends the change succeeds.
    struct TKeep
    {
        TCoilUndo& undo;
        TCoilJob& job;
        TStep& step;
        ~TKeep()
        {
            if (job.Coil()) {
                step.After = JobCoilState(job);
                undo.undo_ = std::move(step);
            }
        }
    } keep{*this, job, step};
    change();
}

bool TCoilUndo::CanUndo(const TCoilJob& job) const
{
    return undo_ && isState(job, undo_->After);
}

bool TCoilUndo::CanRedo(const TCoilJob& job) const
{
    return redo_ && isState(job, redo_->Before);
}

std::string TCoilUndo::UndoCaption(const TCoilJob& job) const
{
    return CanUndo(job) ? "Undo " + undo_->What : "Undo";
}

std::string TCoilUndo::RedoCaption(const TCoilJob& job) const
{
    return CanRedo(job) ? "Redo " + redo_->What : "Redo";
}

void TCoilUndo::Undo(TCoilJob& job)
{
    if (!CanUndo(job))
        return;
    redo_ = std::move(undo_);
    undo_.reset();
    // The job's own steps (the size read back from its text, the face velocity) may move the
    // last digits: the step holds what the job came to.
    try {
        applyCoilState(job, redo_->Before);
    } catch (...) {
        redo_->Before = JobCoilState(job);
        throw;
    }
    redo_->Before = JobCoilState(job);
}

void TCoilUndo::Redo(TCoilJob& job)
{
    if (!CanRedo(job))
        return;
    undo_ = std::move(redo_);
    redo_.reset();
    try {
        applyCoilState(job, undo_->After);
    } catch (...) {
        undo_->After = JobCoilState(job);
        throw;
    }
    undo_->After = JobCoilState(job);
}

void TCoilUndo::Clear()
{
    undo_.reset();
    redo_.reset();
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
