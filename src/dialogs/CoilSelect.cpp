#include "dialogs/CoilSelect.h"

#include "app/CoilJob.h"
#include "app/JobSelection.h"
#include "base/NumText.h"
#include "engine/HeatExchanger.h"
#include "units/ConvTools.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numeric>

namespace zmk {

TSelectUnit SelectShownUnit(TSelectQuantity quantity)
{
    TQuantities& q = Quantities();
    // The quantity and the factor from the unit held here to the quantity's stored unit.
    UnitRec* rec = &q.hex_duty;
    double toStored = 1;
    switch (quantity) {
    case TSelectQuantity::Duty:
        break;
    case TSelectQuantity::AirTemp:
        rec = &q.air_t;
        break;
    case TSelectQuantity::AirDp:
        rec = &q.air_dp;
        break;
    case TSelectQuantity::LiquidDp:
        rec = &q.liquid_dp;
        break;
    case TSelectQuantity::FaceVelocity:
        rec = &q.air_v;
        break;
    case TSelectQuantity::TubeVelocity:
        rec = &q.liquid_v;
        break;
    case TSelectQuantity::Height:
        rec = &q.fat_height;
        toStored = 0.001; // mm held, m stored
        break;
    case TSelectQuantity::Length:
        rec = &q.fat_length;
        toStored = 0.001;
        break;
    case TSelectQuantity::Mass:
        rec = &q.hex_mass;
        break;
    case TSelectQuantity::Area:
        rec = &q.hex_area;
        break;
    }
    TSelectUnit u;
    std::string format;
    double factor = 1, offset = 0;
    UnitConversion(rec->kind, rec->display, rec->base, format, u.Label, factor, offset);
    u.Factor = factor * toStored;
    u.Offset = offset;
    // "%0.2f" has two decimals; a general format takes three.
    const std::size_t dot = format.find('.');
    u.Decimals = dot != std::string::npos && format.back() == 'f' ? std::atoi(format.c_str() + dot + 1) : 3;
    // A factor that rounds to 1 (m to mm and back) is no conversion.
    if (std::fabs(u.Factor - 1) < 1e-12)
        u.Factor = 1;
    return u;
}

double TSelectUnit::Read(double shown, double held) const
{
    const double scale = std::pow(10.0, Decimals);
    if (std::round(ToShown(held) * scale) == std::round(shown * scale))
        return held;
    return FromShown(shown);
}

std::optional<TSelectQuantity> SelectColumnQuantity(TSelectColumn column, TSelectObjective objective)
{
    switch (column) {
    case TSelectColumn::Duty:
        return TSelectQuantity::Duty;
    case TSelectColumn::FaceVelocity:
        return TSelectQuantity::FaceVelocity;
    case TSelectColumn::AirDp:
        return TSelectQuantity::AirDp;
    case TSelectColumn::LiquidDp:
        return TSelectQuantity::LiquidDp;
    case TSelectColumn::Weight:
        return TSelectQuantity::Mass;
    case TSelectColumn::Objective:
        switch (objective) {
        case TSelectObjective::Area:
            return TSelectQuantity::Area;
        case TSelectObjective::Weight:
            return TSelectQuantity::Mass;
        case TSelectObjective::AirDp:
            return TSelectQuantity::AirDp;
        case TSelectObjective::Cost:
            break;
        }
        break;
    default:
        break;
    }
    return std::nullopt;
}

std::string SelectColumnHeading(TSelectColumn column, TSelectObjective objective)
{
    const std::optional<TSelectQuantity> quantity = SelectColumnQuantity(column, objective);
    const std::string unit = quantity ? " " + SelectShownUnit(*quantity).Label : std::string();
    switch (column) {
    case TSelectColumn::Pattern:
        return "Pattern";
    case TSelectColumn::Face: {
        const std::string h = SelectShownUnit(TSelectQuantity::Height).Label;
        const std::string l = SelectShownUnit(TSelectQuantity::Length).Label;
        return h == l ? "H x L " + h : "H x L " + h + " x " + l;
    }
    case TSelectColumn::Rows:
        return "Rows";
    case TSelectColumn::Fpi:
        return "fpi";
    case TSelectColumn::Circuits:
        return "Circuits";
    case TSelectColumn::Duty:
        return "Duty" + unit;
    case TSelectColumn::Margin:
        return "Margin %";
    case TSelectColumn::FaceVelocity:
        return "Vf" + unit;
    case TSelectColumn::AirDp:
        return "Air dp" + unit;
    case TSelectColumn::LiquidDp:
        return "Liquid dp" + unit;
    case TSelectColumn::Weight:
        return "Weight" + unit;
    case TSelectColumn::Objective:
        switch (objective) {
        case TSelectObjective::Area:
            return "Area" + unit;
        case TSelectObjective::Weight:
            return "Weight" + unit;
        case TSelectObjective::AirDp:
            return "Air dp" + unit;
        case TSelectObjective::Cost:
            return "Cost";
        }
        break;
    case TSelectColumn::Count:
        break;
    }
    return {};
}

// ---- the run ---------------------------------------------------------------------------------

TSelectionRun::~TSelectionRun()
{
    cancel_ = true;
    join();
}

void TSelectionRun::join()
{
    if (thread_.joinable())
        thread_.join();
}

void TSelectionRun::Start(TSelectInputs inputs)
{
    cancel_ = true;
    join();
    cancel_ = false;
    finished_ = false;
    done_ = 0;
    total_ = 0;
    started_ = true;
    const std::string catalogue = ProcessCoilMakers().FileName();
    thread_ = std::thread([this, catalogue, in = std::move(inputs)] {
        ProcessCoilMakers().Reset(catalogue);
        result_ = SelectCoils(in, &cancel_, [this](std::size_t done, std::size_t total) {
            done_ = done;
            total_ = total;
        });
        finished_ = true;
    });
}

void TSelectionRun::Cancel()
{
    cancel_ = true;
}

int TSelectionRun::Percent() const
{
    const std::size_t total = total_.load();
    return total == 0 ? 0 : static_cast<int>(100 * done_.load() / total);
}

std::optional<TSelectResult> TSelectionRun::Take()
{
    if (!started_ || !finished_.load())
        return std::nullopt;
    join();
    started_ = false;
    return std::move(result_);
}

// ---- the window's rules -----------------------------------------------------------------------

void TCoilSelect::Open(const TCoilJob& job)
{
    makers_ = {kAllMakersText};
    for (const std::string& m : ProcessCoilMakers().MakerList())
        makers_.push_back(m);
    if (Form.Maker >= static_cast<int>(makers_.size()))
        Form.Maker = 0;
    if (job.Coil() && job.Solved()) {
        Form.Duty = std::round(1000 * std::fabs(job.Coil()->Qt)) / 1000;
        Form.LeavingAir = std::round(10 * job.Coil()->GetAirOutDryBulb()) / 10;
    }
    result_ = {};
    haveResult_ = false;
    order_.clear();
}

std::optional<TSelectInputs> TCoilSelect::Inputs(const TCoilJob& job, std::string& error) const
{
    const TCoilSelectForm& f = Form;
    auto upsideDown = [&](double lo, double hi, const char* what) {
        if (lo > hi)
            error = Format("The %s range runs from %0.4g down to %0.4g: give the smaller value first...",
                           what, lo, hi);
        return lo > hi;
    };
    if (!job.Coil()) {
        error = "There is no coil to select for...";
        return std::nullopt;
    }
    if (!f.ByLeavingAir && !(f.Duty > 0)) {
        error = "Give the target duty (above 0 kW)...";
        return std::nullopt;
    }
    if (f.SetFaceVelocity && !(f.FaceVelocity > 0)) {
        error = "Give the face velocity to rate the coils at (above 0 m/s)...";
        return std::nullopt;
    }
    if (upsideDown(f.RowsLo, f.RowsHi, "rows") || upsideDown(f.FpiLo, f.FpiHi, "fin density") ||
        upsideDown(f.VfLo, f.VfHi, "face velocity") || upsideDown(f.TubeVLo, f.TubeVHi, "tube velocity") ||
        upsideDown(f.HeightLo, f.HeightHi, "fin height") ||
        upsideDown(f.LengthLo, f.LengthHi, "finned length"))
        return std::nullopt;
    const std::string maker =
        f.Maker > 0 && f.Maker < static_cast<int>(makers_.size()) ? makers_[f.Maker] : "";
    TSelectInputs in = JobSelectInputs(job, maker);
    if (in.Patterns.empty()) {
        error = "The catalogue holds no pattern to try...";
        return std::nullopt;
    }
    in.Duty = f.Duty;
    if (f.ByLeavingAir)
        in.LeavingAir = f.LeavingAir;
    TSelectLimits& lim = in.Limits;
    lim.MaxAirDp = f.MaxAirDp;
    lim.MaxLiquidDp = f.MaxLiquidDp;
    lim.RowsLo = f.RowsLo;
    lim.RowsHi = f.RowsHi;
    lim.Fpi = {static_cast<double>(f.FpiLo), static_cast<double>(f.FpiHi)};
    lim.FaceVelocity = {f.VfLo, f.VfHi};
    lim.TubeVelocity = {f.TubeVLo, f.TubeVHi};
    lim.Height = {f.HeightLo / 1000, f.HeightHi / 1000};
    lim.Length = {f.LengthLo / 1000, f.LengthHi / 1000};
    lim.LengthStep = std::max(1.0, f.LengthStep) / 1000;
    lim.FixedFace = f.FixedFace;
    if (f.SetFaceVelocity)
        in.FaceVelocity = f.FaceVelocity;
    in.Objective = f.Objective;
    in.PriceCopper = f.PriceCopper;
    in.PriceAluminium = f.PriceAluminium;
    in.Keep = kSelectTableRows;
    return in;
}

bool TCoilSelect::Start(TCoilJob& job, std::string& error)
{
    if (job.Coil()) {
        try {
            job.ApplyInputs();
        } catch (const std::exception& e) {
            error = std::string("The job's inputs do not apply: ") + e.what();
            return false;
        }
    }
    std::optional<TSelectInputs> in = Inputs(job, error);
    if (!in)
        return false;
    result_ = {};
    haveResult_ = false;
    order_.clear();
    run_.Start(std::move(*in));
    return true;
}

bool TCoilSelect::Collect()
{
    std::optional<TSelectResult> r = run_.Take();
    if (!r)
        return false;
    result_ = std::move(*r);
    haveResult_ = true;
    order_.resize(result_.Candidates.size());
    std::iota(order_.begin(), order_.end(), std::size_t{0});
    return true;
}

std::string TCoilSelect::StatusText() const
{
    if (run_.Running())
        return Format("Rating... %d of %d fin heights", static_cast<int>(run_.Done()),
                      static_cast<int>(run_.Total()));
    if (!haveResult_)
        return "Set the target and the limits, then Select...";
    if (!result_.Error.empty())
        return result_.Error;
    std::string text;
    if (result_.Candidates.empty())
        text = result_.RulingText();
    else {
        // The target in its display unit: the duty, or the leaving air it was given as.
        const bool leaving = result_.LeavingAir.has_value();
        const double value = leaving ? *result_.LeavingAir : result_.TargetDuty;
        const TSelectUnit u = SelectShownUnit(leaving ? TSelectQuantity::AirTemp : TSelectQuantity::Duty);
        const std::string target =
            (leaving ? std::string("a leaving air of ") : std::string()) +
            (u.Held() ? Format(leaving ? "%0.1f" : "%0.3f", value)
                      : Format("%0." + std::to_string(u.Decimals) + "f", u.ToShown(value))) +
            " " + u.Label;
        text = Format("%d coils meet %s: %d of %d combinations rated, %d ruled out by a larger coil",
                      static_cast<int>(result_.Met), target, static_cast<int>(result_.Rated),
                      static_cast<int>(result_.Enumerated), static_cast<int>(result_.Pruned));
    }
    if (result_.Met > order_.size() && !order_.empty())
        text += Format("; the best %d shown", static_cast<int>(order_.size()));
    if (result_.Cancelled)
        text = "Cancelled: " + text;
    return text;
}

const TSelectCandidate& TCoilSelect::Row(std::size_t row) const
{
    return result_.Candidates.at(order_.at(row));
}

namespace {

// A value in its display unit: in the format given while that is the unit it is held in, else in
// the display unit's own decimals.
std::string shown(TSelectQuantity quantity, double held, const char* heldFormat)
{
    const TSelectUnit u = SelectShownUnit(quantity);
    if (u.Held())
        return Format(heldFormat, held);
    return Format("%0." + std::to_string(u.Decimals) + "f", u.ToShown(held));
}

} // namespace

std::string TCoilSelect::Cell(std::size_t row, TSelectColumn column) const
{
    const TSelectCandidate& c = Row(row);
    switch (column) {
    case TSelectColumn::Pattern:
        return c.Pattern.Mnf + ": " + c.Pattern.Name;
    case TSelectColumn::Face:
        return shown(TSelectQuantity::Height, 1000 * c.fHeight, "%0.1f") + " x " +
               shown(TSelectQuantity::Length, 1000 * c.fLength, "%0.0f");
    case TSelectColumn::Rows:
        return Format("%d", c.Rows);
    case TSelectColumn::Fpi:
        return Format("%0.4g", c.fpi);
    case TSelectColumn::Circuits:
        return Format("%d", c.Circ);
    case TSelectColumn::Duty:
        return shown(TSelectQuantity::Duty, c.Qt, "%0.2f");
    case TSelectColumn::Margin:
        return Format("%0.1f", c.Margin);
    case TSelectColumn::FaceVelocity:
        return shown(TSelectQuantity::FaceVelocity, c.Vf, "%0.2f");
    case TSelectColumn::AirDp:
        return shown(TSelectQuantity::AirDp, c.AirDp, "%0.1f");
    case TSelectColumn::LiquidDp:
        return shown(TSelectQuantity::LiquidDp, c.LiquidDp, "%0.2f");
    case TSelectColumn::Weight:
        return shown(TSelectQuantity::Mass, c.Weight, "%0.1f");
    case TSelectColumn::Objective:
        if (const std::optional<TSelectQuantity> q = SelectColumnQuantity(column, Form.Objective)) {
            const TSelectUnit u = SelectShownUnit(*q);
            return Format("%0.4g", u.ToShown(c.Objective));
        }
        return Format("%0.4g", c.Objective);
    case TSelectColumn::Count:
        break;
    }
    return {};
}

namespace {

// The value a column sorts by; the pattern column sorts by its text.
double sortValue(const TSelectCandidate& c, TSelectColumn column)
{
    switch (column) {
    case TSelectColumn::Face:
        return c.fHeight * c.fLength;
    case TSelectColumn::Rows:
        return c.Rows;
    case TSelectColumn::Fpi:
        return c.fpi;
    case TSelectColumn::Circuits:
        return c.Circ;
    case TSelectColumn::Duty:
        return c.Qt;
    case TSelectColumn::Margin:
        return c.Margin;
    case TSelectColumn::FaceVelocity:
        return c.Vf;
    case TSelectColumn::AirDp:
        return c.AirDp;
    case TSelectColumn::LiquidDp:
        return c.LiquidDp;
    case TSelectColumn::Weight:
        return c.Weight;
    case TSelectColumn::Pattern:
    case TSelectColumn::Objective:
    case TSelectColumn::Count:
        break;
    }
    return c.Objective;
}

} // namespace

void TCoilSelect::SortBy(TSelectColumn column, bool ascending)
{
    const auto& all = result_.Candidates;
    // The objective's order (the result's own) breaks ties.
    std::sort(order_.begin(), order_.end(), [&](std::size_t a, std::size_t b) {
        const TSelectCandidate& x = all[a];
        const TSelectCandidate& y = all[b];
        if (column == TSelectColumn::Pattern) {
            const std::string px = x.Pattern.Mnf + ": " + x.Pattern.Name;
            const std::string py = y.Pattern.Mnf + ": " + y.Pattern.Name;
            if (px != py)
                return ascending ? px < py : px > py;
        } else {
            const double vx = sortValue(x, column), vy = sortValue(y, column);
            if (vx != vy)
                return ascending ? vx < vy : vx > vy;
        }
        return a < b;
    });
}

bool TCoilSelect::IsCurrent(const TCoilJob& job, std::size_t row) const
{
    return IsJobCoil(job, Row(row));
}

void TCoilSelect::Use(TCoilJob& job, std::size_t row, TCoilUndo* undo) const
{
    const TSelectCandidate& c = Row(row);
    const double airVolumeFlow = c.Va;
    if (undo)
        undo->Do(job, kUseCoilStep, [&] { UseCandidate(job, c, airVolumeFlow); });
    else
        UseCandidate(job, c, airVolumeFlow);
}

} // namespace zmk
