// The coil's sizing searches (face area, height, length, and the grid of rows and fin densities)
// and the sizing run with its check against the target duty.
#include "engine/Sizing.h"

#include "base/NumText.h"
#include "base/TextHelpers.h"
#include "engine/FloatChecks.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <utility>

namespace zmk {

namespace {

double clampTo(double v, double lo, double hi)
{
    if (v < lo)
        v = lo;
    if (v > hi)
        v = hi;
    return v;
}

} // namespace

// ---- Sizing ----

void TCoil::applyAirFlow(double Va)
{
    if (Va > 0)
        SetAirVolumeFlow(Va);
    else
        SetFaceVelocity(DesignVf);
}

void TCoil::finishAreaSizing()
{
    if (Status == TSolveStatus::None && Va > 0)
        DutyPerVolFlow = clampTo(Qt / Va, 10, 40);
}

TSolveStatus TCoil::sizingFailed(const char* why)
{
    Status = TSolveStatus::DataError;
    Reason = why;
    return Status;
}

bool TCoil::startSizing(double VaGiven, double duty, const char* where, double& p)
{
    if (duty < 0.01) {
        sizingFailed("A coil can only be sized to a duty of at least 0.01 kW...");
        return false;
    }
    if (VaGiven > 0)
        SetAirVolumeFlow(VaGiven);
    else
        Va = fc::Div(duty, DutyPerVolFlow, where);
    p = 2 * Geometry->GetSy();
    if (!(p > 0)) {
        sizingFailed("The coil's tube pitch gives no height step to size with...");
        return false;
    }
    return true;
}

TSolveStatus TCoil::sizeByArea(double VaGiven, double duty, SizingPath path)
{
    const char* where = path == SizingPath::FaceArea ? "TCoil.AutoFaceArea" : "TCoil.AutoLength";
    double p = 0;
    if (!startSizing(VaGiven, duty, where, p))
        return Status;
    const double A0 = fc::Div(Va, DesignVf, where);
    if (path == SizingPath::FaceArea)
        SetFinHeight((std::trunc(fc::Sqrt(fc::Div(A0, DesignAspect, where), where) / p) + 1) * p);
    PrepareDesign(duty);

    // One trial: the geometry for face area A, the air flow again, a solve; the error is
    // duty - Qt. The length search writes back the area its clamped length gives.
    auto evaluate = [&](double& A) {
        if (path == SizingPath::FaceArea) {
            double H = (std::trunc(fc::Sqrt(fc::Div(A, DesignAspect, where), where) / p) + 1) * p;
            H = clampTo(H, MinHeight, MaxHeight);
            const double L = clampTo(fc::Div(A, H, where), MinLength, MaxLength);
            Geometry->SetLength(L);
            Geometry->SetHeight(H);
        } else {
            const double H = GetFinHeight();
            const double L = clampTo(fc::Div(A, H, where), MinLength, MaxLength);
            Geometry->SetLength(L);
            A = L * H;
        }
        RefreshDerived();
        applyAirFlow(VaGiven);
        Solve();
        return duty - Qt;
    };

    try {
        double Aprev = A0;
        double errPrev = evaluate(Aprev);
        double Acur = 0.98 * A0;
        double errCur = evaluate(Acur);
        TSolveStatus result = TSolveStatus::Iterating;
        if (std::fabs(Aprev - Acur) < 1e-6)
            result = TSolveStatus::None;
        else if (std::fabs(errPrev - errCur) < 1e-9)
            result = TSolveStatus::DataError;
        int passes = 0;
        while (result == TSolveStatus::Iterating) {
            // Relaxed secant step.
            double Anew = Acur - 0.9 * errCur * fc::Div(Aprev - Acur, errPrev - errCur, where);
            if (Anew < 0.00254)
                Anew = 0.00254;
            const double errNew = evaluate(Anew);
            ++passes;
            // A trial that takes the liquid past its limits still has its duty to steer by; only
            // the coil the sizing ends on must be rated.
            const bool rated = Status == TSolveStatus::None;
            if (!rated && !LiquidLimited)
                result = TSolveStatus::DataError;
            else if (std::fabs(errNew) < 1e-4)
                result = rated ? TSolveStatus::None : TSolveStatus::DataError;
            else if (std::fabs(Acur - Anew) < 1e-6)
                // An area that no longer moves while the duty is still off by more than 1 kW is a
                // size limit reached (the length held in its range), not a sized coil.
                result = std::fabs(errNew) > 1 || !rated ? TSolveStatus::DataError : TSolveStatus::None;
            else if (std::fabs(errCur - errNew) < 1e-9 && std::fabs(errNew) > 1)
                result = TSolveStatus::DataError;
            else if (passes > 50)
                result = TSolveStatus::CountOut;
            Aprev = Acur;
            errPrev = errCur;
            Acur = Anew;
            errCur = errNew;
        }
        Status = result;
        if (result == TSolveStatus::DataError && Reason.empty())
            Reason = "No face area gives this duty with these settings...";
        else if (result == TSolveStatus::CountOut)
            Reason = "The sizing did not settle within 50 trials...";
        finishAreaSizing();
    } catch (const ZmkError&) {
        sizingFailed("The coil could not be sized: a trial rating had no solution...");
    }
    return Status;
}

TSolveStatus TCoil::AutoFaceArea(double Va, double duty)
{
    return sizeByArea(Va, duty, SizingPath::FaceArea);
}

TSolveStatus TCoil::AutoLength(double Va, double duty)
{
    return sizeByArea(Va, duty, SizingPath::Length);
}

TSolveStatus TCoil::AutoHeight(double VaGiven, double duty)
{
    static constexpr const char* where = "TCoil.AutoHeight";
    double p = 0;
    if (!startSizing(VaGiven, duty, where, p))
        return Status;
    const double L = GetFinnedLength();
    const double A0 = fc::Div(Va, DesignVf, where);
    SetFinHeight(fc::Div(A0, L, where));
    PrepareDesign(duty);

    auto apply = [&](double H) {
        SetFinHeight(H);
        applyAirFlow(VaGiven);
        Solve();
    };
    // Each walk ends at a height limit; the bound only matters for a pitch far below any tube's.
    const int maxSteps = static_cast<int>(std::min(1e5, std::ceil((MaxHeight - MinHeight) / p) + 2));
    try {
        double H = (std::trunc(fc::Div(A0, L, where) / p) + 1) * p;
        apply(H);
        int steps = 0;
        if (Qt < duty) {
            while (Qt < duty && H < MaxHeight && steps++ < maxSteps) {
                H += p;
                apply(H);
            }
        } else {
            while (Qt > 1.01 * duty && H > MinHeight + p && steps++ < maxSteps) {
                H -= p;
                apply(H);
            }
            if (Qt < SizingReach * duty) {
                H += p;
                apply(H);
            }
        }
        finishAreaSizing();
    } catch (const ZmkError&) {
        sizingFailed("The coil could not be sized: a trial rating had no solution...");
    }
    return Status;
}

TSolveStatus TCoil::searchGrid(double VaGiven, double duty, int startRows, int startFins,
                               const std::vector<int>& rows, const std::vector<int>& fins)
{
    if (duty < 0.01)
        return sizingFailed("A coil can only be sized to a duty of at least 0.01 kW...");
    applyAirFlow(VaGiven);
    PrepareDesign(duty);
    // A value of 0 leaves that dimension as it is.
    auto trial = [&](int r, int f) {
        if (r > 0)
            Geometry->SetRows(r);
        if (f > 0)
            Geometry->SetFpi(f);
        RefreshDerived();
        // A trial without a solution is no candidate, whatever duty its failed pass left.
        return Solve() == TSolveStatus::None ? std::fabs(Qt - duty) : HUGE_VAL;
    };
    // A trial that gives the duty (from SizingReach of it on) beats one that falls short, and
    // among those alike the nearer wins: the nearest coil that does the job, else the nearest.
    int bestRows = startRows;
    int bestFins = startFins;
    double bestErr = trial(startRows, startFins);
    bool bestReaches = bestErr != HUGE_VAL && Qt >= SizingReach * duty;
    const std::vector<int> keep{0};
    for (int r : rows.empty() ? keep : rows)
        for (int f : fins.empty() ? keep : fins) {
            const double err = trial(r, f);
            const bool reaches = err != HUGE_VAL && Qt >= SizingReach * duty;
            if (reaches != bestReaches ? reaches : err < bestErr) {
                bestErr = err;
                bestReaches = reaches;
                bestRows = r;
                bestFins = f;
            }
        }
    trial(bestRows, bestFins);
    return Status;
}

TSolveStatus TCoil::AutoRows(double Va, double duty)
{
    return searchGrid(Va, duty, 4, 0, {SizingRows.begin(), SizingRows.end()}, {});
}

TSolveStatus TCoil::AutoFinDensity(double Va, double duty)
{
    return searchGrid(Va, duty, 0, 10, {}, {SizingFins.begin(), SizingFins.end()});
}

TSolveStatus TCoil::AutoRowsFins(double Va, double duty)
{
    return searchGrid(Va, duty, 4, 10, {SizingRows.begin(), SizingRows.end()},
                      {SizingFins.begin(), SizingFins.end()});
}

// ---- sizing by name ------------------------------------------------------------------------

namespace {

const std::array<std::pair<const char*, TAutoSize>, 6> kModeNames{{
    {"face", TAutoSize::FaceArea},
    {"height", TAutoSize::Height},
    {"length", TAutoSize::Length},
    {"rows", TAutoSize::Rows},
    {"fins", TAutoSize::FinDensity},
    {"rowsfins", TAutoSize::RowsFins},
}};

} // namespace

std::optional<TAutoSize> AutoSizeModeOf(std::string_view name)
{
    for (const auto& [text, mode] : kModeNames)
        if (SameText(name, text))
            return mode;
    return std::nullopt;
}

std::string AutoSizeModeName(TAutoSize mode)
{
    for (const auto& [text, m] : kModeNames)
        if (m == mode)
            return text;
    return {};
}

TAutoSizeResult RunAutoSize(TCoil& coil, TAutoSize mode, bool keepAirflow, double duty)
{
    const double Va = keepAirflow ? coil.Va : 0;
    TAutoSizeResult r;
    switch (mode) {
    case TAutoSize::FaceArea:
        r.Operation = coil.AutoFaceArea(Va, duty);
        break;
    case TAutoSize::Height:
        r.Operation = coil.AutoHeight(Va, duty);
        break;
    case TAutoSize::Length:
        r.Operation = coil.AutoLength(Va, duty);
        break;
    case TAutoSize::Rows:
        r.Operation = coil.AutoRows(Va, duty);
        break;
    case TAutoSize::FinDensity:
        r.Operation = coil.AutoFinDensity(Va, duty);
        break;
    case TAutoSize::RowsFins:
        r.Operation = coil.AutoRowsFins(Va, duty);
        break;
    }
    if (r.Operation != TSolveStatus::None)
        r.OperationReason = coil.Reason;
    CheckAutoSize(coil, mode, duty, r);
    return r;
}

namespace {

// Above this share of the target a sized coil is too big when the sizing could have made it no
// smaller (the duty's own tolerance of 2 %, as from 98 % on it is met).
constexpr double kSizingOver = 1.02;

bool atLeast(double v, double limit)
{
    return v >= limit * (1 - 1e-9);
}

bool atMost(double v, double limit)
{
    return v <= limit * (1 + 1e-9);
}

// A reason ("The sizing did not settle...") continuing a sentence.
std::string continuing(std::string reason)
{
    if (!reason.empty())
        reason[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(reason[0])));
    return reason;
}

std::string mm(double metres)
{
    return Format("%0.1f mm", 1000 * metres);
}

// The limit of the sizing the coil stands at, told as the subject of a sentence: on the large
// side (largest) or the small side. Empty when it stands at none.
std::string sizingLimit(const TCoil& c, TAutoSize mode, bool largest)
{
    const double rows = c.GetRows(), fpi = c.GetFinDensity(), H = c.GetFinHeight(), L = c.GetFinnedLength();
    const double rowsEnd = largest ? TCoil::SizingRows.back() : TCoil::SizingRows.front();
    const double finsEnd = largest ? TCoil::SizingFins.back() : TCoil::SizingFins.front();
    const bool rowsAtEnd = largest ? rows >= rowsEnd : rows <= rowsEnd;
    const bool finsAtEnd = largest ? fpi >= finsEnd : fpi <= finsEnd;
    const bool heightAtEnd =
        largest ? atLeast(H, c.MaxHeight) : atMost(H, c.MinHeight + 2 * c.Geometry->GetSy());
    const bool lengthAtEnd = largest ? atLeast(L, c.MaxLength) : atMost(L, c.MinLength);
    const char* size = largest ? "largest" : "smallest";
    switch (mode) {
    case TAutoSize::Rows:
        if (rowsAtEnd)
            return Format("%0.0f rows is the %s the sizing tries", rowsEnd, largest ? "most" : "fewest");
        break;
    case TAutoSize::FinDensity:
        if (finsAtEnd)
            return Format("%0.0f fpi is the %s fin density the sizing tries", finsEnd,
                          largest ? "highest" : "lowest");
        break;
    case TAutoSize::RowsFins:
        if (rowsAtEnd && finsAtEnd)
            return Format("%0.0f rows at %0.0f fpi is the %s coil the sizing tries", rowsEnd, finsEnd, size);
        break;
    case TAutoSize::Height:
        if (heightAtEnd)
            return Format("a fin height of %s is the %s the sizing makes", mm(H), size);
        break;
    case TAutoSize::Length:
        if (lengthAtEnd)
            return Format("a finned length of %s is the %s the sizing makes", mm(L), size);
        break;
    case TAutoSize::FaceArea:
        // The height follows the area at the design aspect ratio; the smallest face is the
        // shortest finned length at its height.
        if (largest && heightAtEnd && lengthAtEnd)
            return Format("a face of %s x %s is the largest the sizing makes", mm(H), mm(L));
        if (lengthAtEnd)
            return Format("a finned length of %s is the %s the sizing makes", mm(L), size);
        if (largest && heightAtEnd)
            return Format("a fin height of %s is the largest the sizing makes", mm(H));
        break;
    }
    return {};
}

} // namespace

void CheckAutoSize(const TCoil& coil, TAutoSize mode, double duty, TAutoSizeResult& result)
{
    const double Qt = coil.Qt;
    const bool shortOf = !(Qt >= TCoil::SizingReach * duty);
    const bool over = Qt > kSizingOver * duty;
    const std::string smallest = over ? sizingLimit(coil, mode, false) : std::string();
    result.Status = result.Operation;
    result.Message.clear();
    // A sized coil that then has no solution of its own meets nothing, whatever its duty.
    if (result.Operation == TSolveStatus::None && coil.Status != TSolveStatus::None) {
        result.Status = coil.Status;
        result.Message =
            Format("Target %0.6g kW not met: ", duty) +
            (coil.Reason.empty() ? "the sized coil has no solution..." : continuing(coil.Reason));
        return;
    }
    if (result.Operation == TSolveStatus::None && !shortOf && smallest.empty())
        return;
    if (result.Status == TSolveStatus::None)
        result.Status = TSolveStatus::DataError;

    const char* verb = shortOf ? "not reached" : over ? "exceeded" : "not met";
    const std::string target = Format("Target %0.6g kW %s", duty, verb);
    const std::string limit = shortOf ? sizingLimit(coil, mode, true) : smallest;
    if (!limit.empty()) {
        result.Message = target + ": " + limit + Format("; the coil gives %0.3f kW...", Qt);
    } else if (!result.OperationReason.empty()) {
        result.Message = target + ": " + continuing(result.OperationReason);
    } else {
        result.Message = target + Format(": the coil gives %0.3f kW...", Qt);
    }
}

} // namespace zmk
