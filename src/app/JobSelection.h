// Coil selection on the job: the selection's inputs from the job as it stands, and a candidate
// taken into the job as one change.
#pragma once

#include "engine/CoilSelection.h"

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

/// Whether the job's coil is the candidate (pattern by name and maker, size within 0.1 mm, rows,
/// fins and circuits).
bool IsJobCoil(const TCoilJob& job, const TSelectCandidate& candidate);

} // namespace zmk
