// Coil selection on the job: the selection's inputs from the job as it stands, a candidate
// taken into the job as one change, and the undo of that change.
#pragma once

#include "engine/CoilSelection.h"
#include "geometry/FinAndTube.h"

#include <functional>
#include <optional>
#include <string>

namespace zmk {

class TCoilJob;

/// The job's rating inputs as they stand (its inputs applied): the start values the coil would be
/// captured into, the liquid's temperature change, the spray and fouling options, and the coil's
/// own pattern. The job must have a coil.
TCoilInputs JobCoilInputs(const TCoilJob& job);

/// A selection on the job: its inputs, its air volume flow, and the patterns of the process's
/// catalogue (of one maker when maker is given).
TSelectInputs JobSelectInputs(const TCoilJob& job, const std::string& maker = {});

/// Takes the candidate into the job as one committed change: the job is marked not solved, the
/// coil takes the pattern and the size, the air volume flow stays the one the selection kept
/// (the face velocity follows the face) and the job is solved. Errors of the solve reach the caller
/// with the job not solved.
void UseCandidate(TCoilJob& job, const TSelectCandidate& candidate, double airVolumeFlow);

/// What a coil change of the job's can be undone to: the coil's definition and its air mass flow.
struct TJobCoilState
{
    TModelRec Rec;
    double AirMassFlow = 0; ///< kg/s
};

/// The job's coil as it stands. The job must have a coil.
TJobCoilState JobCoilState(const TCoilJob& job);

/// The undo of the coil changes the selection makes (one step back, and forward again): each
/// holds the coil before and after the change. A step is offered only while the job's coil is
/// still what the step left (any other change of the coil's definition, a project opened or a
/// new job, withdraws it).
class TCoilUndo
{
public:
    /// Runs `change` on the job (which must have a coil) as one step named `what` ("Coil
    /// Selection"): the coil before it is kept, the redo is dropped. An error of the change reaches
    /// the caller, the step kept (the coil may have changed before the error).
    void Do(TCoilJob& job, const std::string& what, const std::function<void()>& change);
    bool CanUndo(const TCoilJob& job) const;
    bool CanRedo(const TCoilJob& job) const;
    /// "Undo Coil Selection", or "Undo" when there is nothing to undo; the same for redo.
    std::string UndoCaption(const TCoilJob& job) const;
    std::string RedoCaption(const TCoilJob& job) const;
    /// Puts the coil back as it was before the step, marks the job changed and solves it; the step
    /// can then be redone. Nothing when it cannot be undone. Errors of the solve reach the caller
    /// with the job not solved.
    void Undo(TCoilJob& job);
    /// Takes the coil to what the undone step made of it again, solved.
    void Redo(TCoilJob& job);
    void Clear();

private:
    struct TStep
    {
        std::string What;
        TJobCoilState Before, After;
    };
    std::optional<TStep> undo_, redo_;
};

/// Whether the job's coil is the candidate (pattern by name and maker, size within 0.1 mm, rows,
/// fins and circuits).
bool IsJobCoil(const TCoilJob& job, const TSelectCandidate& candidate);

} // namespace zmk
