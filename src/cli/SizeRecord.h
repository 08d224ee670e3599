// One auto-sizing of a job as the command line runs it: the operation and target checked, the
// sizing run, and the sized coil written as the JSON record zemtor size --json prints. The size
// command and the Python module's size both go through it, so their records are the same.
#pragma once

#include "engine/Sizing.h"

#include <string>

namespace zmk {
class TCoilJob;
}

namespace zmk::cli {

/// What one sizing asks for.
struct TSizeRequest
{
    std::string file;         ///< the project file the job came from; empty for a default job
    std::string mode;         ///< face, height, length, rows, fins or rowsfins
    double duty = 0;          ///< the target duty, kW
    bool keepAirflow = false; ///< keep the job's air volume flow
};

/// The sizing operation of the request; throws std::runtime_error for an unknown mode or a duty
/// outside the editor's target range (0.01 to 100,000 kW).
TAutoSize CheckSizeRequest(const TSizeRequest& request);

/// Sizes the job's coil (the job then takes the sized coil as its own and rates it once more).
/// Throws std::runtime_error naming the failure when the coil cannot be rated while sizing.
TAutoSizeResult SizeJob(TCoilJob& job, const TSizeRequest& request);

/// The sized coil as one JSON object: the request, the sizing's status and reason, the size and
/// the rating of the sized coil, in stored units.
std::string SizedJson(const TSizeRequest& request, const TAutoSizeResult& sized, const TCoilJob& job);

} // namespace zmk::cli
