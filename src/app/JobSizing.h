// Sizing the job's coil: the job follows the coil a sizing (or the fin-and-tube editor) changed.
#pragma once

#include "engine/Sizing.h"

#include <functional>

namespace zmk {

class TCoilJob;

/// The change callback for a job's coil: the job takes the coil's face velocity as its own, so
/// that the air flow the editor set (kept on a change of face area, or chosen by a sizing
/// operation) is the one the job then solves with, and the job's GeometryChanged runs.
std::function<void()> JobGeometryCallback(TCoilJob& job);

/// Sizes the job's coil (its inputs applied) for a duty (kW) with RunAutoSize; the job then takes
/// the sized coil and its air flow and rates it as the window would, and that rating is what
/// is checked against the target. Errors of a rating reach the caller.
TAutoSizeResult SizeJobCoil(TCoilJob& job, TAutoSize mode, bool keepAirflow, double duty);

} // namespace zmk
