// The "Coil Selection" window of the Solve menu and the fin-and-tube editor: the target and the
// limits on the left, the coils that meet them on the right, best first, sortable by any column,
// the job's own coil marked. A run rates on its own threads while the window waits (progress,
// Cancel); "Use" (or a double click) takes a coil into the job as one change and solves it. The
// widget shows the values held here and forwards the user's actions; every rule lives here.
// Values in the program's stored units (kW, Pa, kPa, m/s, mm for the face); the window shows them
// in the user's display units (those of the main window), converted only on the way to and from
// the screen.
#pragma once

#include "engine/CoilSelection.h"

#include <array>
#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace zmk {

class TCoilJob;
class TCoilUndo;

inline constexpr const char* kCoilSelectionTitle = "Coil Selection";
/// The name of the change "Use" makes, as Edit, "Undo" shows it.
inline constexpr const char* kUseCoilStep = "Coil Selection";
inline constexpr const char* kAllMakersText = "All makers";
/// The table shows the best this many coils.
inline constexpr std::size_t kSelectTableRows = 1000;

/// The form's values, as the user sets them.
struct TCoilSelectForm
{
    double Duty = 0;           ///< kW
    bool ByLeavingAir = false; ///< the target is the leaving air temperature
    double LeavingAir = 0;     ///< °C
    double MaxAirDp = 0;       ///< Pa; 0 none
    double MaxLiquidDp = 0;    ///< kPa; 0 none
    int RowsLo = 1, RowsHi = 8;
    int FpiLo = 6, FpiHi = 14;
    double VfLo = 1.5, VfHi = 3.0;          ///< m/s
    double TubeVLo = 0.3, TubeVHi = 2.5;    ///< m/s
    double HeightLo = 300, HeightHi = 1500; ///< mm
    double LengthLo = 500, LengthHi = 3000; ///< mm
    double LengthStep = 100;                ///< mm
    bool FixedFace = false;
    /// Rate every coil at this face velocity (m/s) in place of keeping the job's air volume flow.
    bool SetFaceVelocity = false;
    double FaceVelocity = 2.5;
    int Maker = 0; ///< index in Makers(): 0 all makers
    TSelectObjective Objective = TSelectObjective::Area;
    double PriceCopper = 9.0, PriceAluminium = 2.5; ///< per kg
};

/// What a value of the form or the table is, for its display unit: the program's quantity it is
/// shown as (the duty, the air temperature, the air and liquid pressure drops, the face and tube
/// velocities, the fin height and finned length, the weight and the outside area).
enum class TSelectQuantity {
    Duty,
    AirTemp,
    AirDp,
    LiquidDp,
    FaceVelocity,
    TubeVelocity,
    Height,
    Length,
    Mass,
    Area
};

/// How a value held here (kW, °C, Pa, kPa, m/s, mm, kg, m²) is shown: shown = held × Factor +
/// Offset, in the unit Label, with Decimals places (the display unit's own format).
struct TSelectUnit
{
    std::string Label;
    double Factor = 1;
    double Offset = 0;
    int Decimals = 2;
    /// Whether the unit is the one the value is held in (nothing to convert).
    bool Held() const { return Factor == 1 && Offset == 0; }
    double ToShown(double held) const { return held * Factor + Offset; }
    double FromShown(double shown) const { return (shown - Offset) / Factor; }
    /// The held value a box showing `shown` gives back: `held` itself while the box still shows it
    /// (to its decimals), so that showing a value and reading it back never moves it; otherwise
    /// the shown value converted.
    double Read(double shown, double held) const;
};
/// The quantity's display unit as the program's unit settings (the calling thread's) now say.
TSelectUnit SelectShownUnit(TSelectQuantity quantity);

/// The candidate table's columns.
enum class TSelectColumn {
    Pattern,
    Face,
    Rows,
    Fpi,
    Circuits,
    Duty,
    Margin,
    FaceVelocity,
    AirDp,
    LiquidDp,
    Weight,
    Objective,
    Count
};
/// The column headings, with the display units.
std::string SelectColumnHeading(TSelectColumn column, TSelectObjective objective);
/// The quantity a column shows (nothing for the pattern, rows, fins, circuits, margin and cost).
std::optional<TSelectQuantity> SelectColumnQuantity(TSelectColumn column, TSelectObjective objective);

/// A selection run on a thread of its own.
class TSelectionRun
{
public:
    TSelectionRun() = default;
    ~TSelectionRun();
    TSelectionRun(const TSelectionRun&) = delete;
    TSelectionRun& operator=(const TSelectionRun&) = delete;

    /// Starts the run (a running one is cancelled and waited for first); the catalogue file of the
    /// calling thread is the run's.
    void Start(TSelectInputs inputs);
    /// Asks the run to stop between fin heights.
    void Cancel();
    bool Running() const { return started_ && !finished_.load(); }
    /// Fin heights done and in all (over the patterns), as the run last said.
    std::size_t Done() const { return done_.load(); }
    std::size_t Total() const { return total_.load(); }
    /// The percentage done, 0..100.
    int Percent() const;
    /// Once the run has finished: its result (the thread is joined). Nothing while it runs or when
    /// none was started.
    std::optional<TSelectResult> Take();

private:
    void join();
    std::thread thread_;
    bool started_ = false;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> finished_{false};
    std::atomic<std::size_t> done_{0}, total_{0};
    TSelectResult result_;
};

/// The window's rules.
class TCoilSelect
{
public:
    TCoilSelect() = default;

    /// Opens on the job: the target is the job's duty when it is solved (else what it was), the
    /// makers are the catalogue's, the table is emptied.
    void Open(const TCoilJob& job);
    TCoilSelectForm Form;
    const std::vector<std::string>& Makers() const { return makers_; }

    /// The selection the form gives on the job, or why it gives none (a range upside down, no
    /// target, no pattern of the maker) in `error`.
    std::optional<TSelectInputs> Inputs(const TCoilJob& job, std::string& error) const;
    /// Starts a run on the form ("Select") on the job with its inputs applied; false with error
    /// when the form gives none or the job's inputs do not apply.
    bool Start(TCoilJob& job, std::string& error);
    TSelectionRun& Run() { return run_; }
    /// Once the run is over, takes its result into the table; true when it did.
    bool Collect();
    /// The status line: the run's progress, the counts of the result, or why nothing met.
    std::string StatusText() const;

    /// The table: rows in display order.
    std::size_t RowCount() const { return order_.size(); }
    const TSelectCandidate& Row(std::size_t row) const;
    std::string Cell(std::size_t row, TSelectColumn column) const;
    /// Sorts by a column (ascending or descending; ties keep the objective's order).
    void SortBy(TSelectColumn column, bool ascending);
    /// Whether the row is the job's coil as it now stands.
    bool IsCurrent(const TCoilJob& job, std::size_t row) const;
    /// "Use": the row's coil into the job as one change, solved, which `undo` (when given) can
    /// take back. Errors of the solve reach the caller with the job not solved.
    void Use(TCoilJob& job, std::size_t row, TCoilUndo* undo = nullptr) const;

private:
    std::vector<std::string> makers_;
    TSelectionRun run_;
    TSelectResult result_;
    bool haveResult_ = false;
    std::vector<std::size_t> order_;
};

} // namespace zmk
