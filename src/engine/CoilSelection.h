// Coil selection: every coil of a set of catalogue patterns, rows, fin densities, circuitings and
// face sizes that meets a duty within the user's limits, rated and ranked. The candidates keep
// the job's air (its volume flow, so the face velocity follows the face area), its liquid and
// its control; each is rated with RateCoil on a pool of threads, and the output is the same
// whatever the number of threads. A coil that misses the duty with at least the finned length,
// rows and fins of another of the same pattern, fin height and circuits rules the smaller one out
// without rating it.
// With a face velocity given, each face takes its own air flow at that velocity instead.
// Units: m, m², m³/s, m/s, kW, Pa (air dp), kPa (liquid dp), kg, °C.
#pragma once

#include "engine/RateCoil.h"
#include "engine/SelectCandidate.h"
#include "engine/SelectLimits.h"
#include "geometry/CoilMakers.h"
#include "geometry/FinAndTube.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zmk {

/// A selection's inputs.
struct TSelectInputs
{
    /// The job: air, liquid, control and options (its geometry is the current coil's).
    TCoilInputs Job;
    /// Air volume flow at entering density, m³/s; 0 takes the job's (its face velocity × face).
    double AirVolumeFlow = 0;
    /// A face velocity (m/s) every coil is rated at in place of the one air volume flow: each face
    /// takes its own air flow, mass flow = face velocity × face area × entering density.
    std::optional<double> FaceVelocity;
    double Duty = 0; ///< target duty, kW; unused when LeavingAir is given
    /// A leaving air dry bulb to reach (°C) in place of a duty: at least it for a heating coil,
    /// at most it for a cooling one.
    std::optional<double> LeavingAir;
    TSelectLimits Limits;
    std::vector<TMnfRec> Patterns; ///< the patterns to try, makers in Mnf
    TSelectObjective Objective = TSelectObjective::Area;
    double PriceCopper = 9.0;    ///< per kg
    double PriceAluminium = 2.5; ///< per kg
    bool Prune = true;           ///< skip coils a larger one's missed duty rules out
    int Threads = 0;             ///< 0: one per core
    /// The best this many coils are kept (0: all); Met counts every coil that meets.
    std::size_t Keep = 0;
};

/// What a selection came to.
struct TSelectResult
{
    std::vector<TSelectCandidate> Candidates; ///< the coils that meet, best first (Keep of them)
    std::size_t Met = 0;                      ///< coils that meet
    std::size_t Enumerated = 0;               ///< pattern × face × rows × fins × circuits combinations
    std::size_t Rated = 0;                    ///< of those, rated
    std::size_t Pruned = 0;                   ///< ruled out by a larger coil's missed duty, not rated
    /// How many combinations each limit ruled out (index TSelectLimit): a rated coil under every
    /// limit it fails, one ruled out by a larger coil's missed duty under Duty.
    std::vector<std::size_t> RuledOut = std::vector<std::size_t>(static_cast<int>(TSelectLimit::Count));
    double TargetDuty = 0;    ///< kW (the duty the leaving air target gives, when one is)
    /// The leaving air dry bulb target, °C, when one was given in place of a duty (at a set face
    /// velocity each coil's air then needs its own duty, and TargetDuty is that of the job's air).
    std::optional<double> LeavingAir;
    double AirVolumeFlow = 0; ///< m³/s
    bool Cancelled = false;
    std::string Error; ///< why nothing could be enumerated (the job does not rate...)
    /// The limit that ruled the most combinations out.
    TSelectLimit Ruling() const;
    /// "Nothing meets the limits: the duty ruled out 812 of 1200 combinations..." .
    std::string RulingText() const;
};

/// Progress: the fin heights (of all the patterns) done, and in all.
using TSelectProgress = std::function<void(std::size_t done, std::size_t total)>;

/// Every catalogue pattern of a maker (all makers when maker is empty, any case), in file order;
/// finMaterial and tubeMaterial, when given, keep the patterns of those short names (any case).
std::vector<TMnfRec> CataloguePatterns(TCoilMakers& catalogue, const std::string& maker = {},
                                       const std::string& finMaterial = {},
                                       const std::string& tubeMaterial = {});

/// Runs the selection. `cancel`, when given and set, stops it between fin heights (Cancelled then,
/// with the candidates found so far); `progress` (fin heights done, fin heights in all) is called
/// from the workers, under a lock.
TSelectResult SelectCoils(const TSelectInputs& inputs, const std::atomic<bool>* cancel = nullptr,
                          const TSelectProgress& progress = {});

/// The geometry record of the candidate: the base record (the materials and settings it keeps)
/// with the candidate's pattern and size.
TModelRec CandidateModel(const TSelectCandidate& c, TModelRec base);

/// The inputs that rate the candidate as the selection rated it.
TCoilInputs CandidateInputs(const TSelectInputs& inputs, double airVolumeFlow, const TSelectCandidate& c);

/// Sorts candidates by the objective (then by area, then by the order given), as SelectCoils does.
void RankCandidates(std::vector<TSelectCandidate>& candidates);

} // namespace zmk
