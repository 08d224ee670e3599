#include "engine/HeatExchanger.h"

#include "base/Errors.h"
#include "base/NumText.h"
#include "engine/FloatChecks.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <memory>
#include <utility>

namespace zmk {

std::string SolveStatusName(TSolveStatus status)
{
    switch (status) {
    case TSolveStatus::None:
        return "None";
    case TSolveStatus::Iterating:
        return "Iterating";
    case TSolveStatus::CountOut:
        return "CountOut";
    case TSolveStatus::Aborted:
        return "Aborted";
    case TSolveStatus::TimeOut:
        return "TimeOut";
    case TSolveStatus::DataError:
        return "DataError";
    }
    return std::string();
}

std::string SurfaceConditionName(int condition)
{
    switch (condition) {
    case scDry:
        return "Dry";
    case scWet:
        return "Wet";
    case scPartWet:
        return "Part-Wet";
    default:
        return std::string();
    }
}

std::string DutyDirectionName(int direction)
{
    switch (direction) {
    case kAirHeating:
        return "Air Heating";
    case kAirCooling:
        return "Air Cooling";
    default:
        return std::string();
    }
}

TAdpDefault& TAdpDefault::Instance()
{
    thread_local TAdpDefault instance;
    return instance;
}

double LogMeanDt(double dbi, double dbo, double tfi, double tfo)
{
    const double d1 = dbi - tfo;
    const double d2 = dbo - tfi;
    if (d1 == 0 || d2 == 0)
        return 0;
    if (d1 == d2)
        return d1;
    const double ratio = fc::Div(d1, d2, "LogMeanDt");
    if (ratio <= 0)
        return 0;
    return fc::Div(d1 - d2, fc::Ln(ratio, "LogMeanDt"), "LogMeanDt");
}

double CounterflowEffectiveness(double N, double Cr)
{
    if (Cr == 0)
        return 1 - std::exp(-N);
    if (Cr == 1)
        return N / (N + 1);
    // For Cr > 1 the exponential grows with N; when it overflows the relation falls back to
    // the balanced-flow form with a half unit.
    const double E = std::exp(-N * (1 - Cr));
    if (std::isfinite(E)) {
        if (std::fabs(Cr * E - 1) < 1e-9)
            return N / (N + 1);
        const double r = (1 - E) / (1 - Cr * E);
        if (std::isfinite(r))
            return r;
    }
    return N / (N + 0.5);
}

// ---- TCustomHeatExchanger ----

TCustomHeatExchanger::TCustomHeatExchanger(std::string model)
    : Model(std::move(model)), EffectivenessFn(CounterflowEffectiveness)
{
}

TCustomHeatExchanger::~TCustomHeatExchanger() = default;

std::string TCustomHeatExchanger::GetModel()
{
    return Model;
}

void TCustomHeatExchanger::SetModel(const std::string& text)
{
    Model = text;
}

double TCustomHeatExchanger::LiquidPressureDrop() const
{
    return 0;
}

int TCustomHeatExchanger::PipeSize() const
{
    return -1;
}

void TCustomHeatExchanger::ReadData(std::istream&) {}

void TCustomHeatExchanger::WriteData(std::ostream&) {}

void TCustomHeatExchanger::CheckResults(const char* where) const
{
    for (double v : {Qt, Qs, e, Ntu, Cr, Qmax, ho, hi, Ui, Uo, UoDuty, NtuAir, NtuLiquid, NtuRatio,
                     ConductanceRatio, Rf})
        fc::Finite(v, where);
}

// ---- TCoil ----

TCoil::TCoil(const std::string& makerName, int tubeIndex, int code, const std::string& model)
    : TCustomHeatExchanger(model)
{
    Geometry = std::make_unique<TFinAndTube>(makerName, tubeIndex, code, model);
    std::string text = model;
    if (Geometry->TakeError() != 0)
        text = kFallbackModel;
    TCoil::SetModel(text);
    initCoil();
}

TCoil::TCoil(int code, const TModelRec& rec) : TCustomHeatExchanger(std::string())
{
    TModelRec r = rec;
    r.Code = static_cast<std::uint8_t>(code);
    std::string why;
    if (RecordProblem(r, &why) != 0)
        throw ZmkError("TCoil", why);
    Geometry = std::make_unique<TFinAndTube>(r);
    if (Geometry->TakeError() != 0)
        throw ZmkError("TCoil", "The coil " + Geometry->FormatSizeText() + " cannot be built...");
    Model = Geometry->SizeText;
    TCoil::UpdateTubeData();
    RefreshDerived();
    initCoil();
}

void TCoil::initCoil()
{
    AirCoefFn = FinTubeCoefficient;
    ADP = TAdpDefault::Instance().Value();
}

TCoil::~TCoil() = default;

std::string TCoil::GetModel()
{
    Model = Geometry->SizeText;
    return Model;
}

void TCoil::SetModel(const std::string& text)
{
    Model = text;
    // An error left by an earlier single-value setter must not veto this text.
    Geometry->TakeError();
    Geometry->SetSizeText(text);
    if (Geometry->TakeError() == 0) {
        UpdateTubeData();
        RefreshDerived();
    }
}

void TCoil::UpdateTubeData()
{
    const TTubeSideGeometry tube = Geometry->GetTubeSide();
    WallK = tube.kTube;
    WallThickness = tube.Wall;
}

void TCoil::PrepareDesign(double) {}

void TCoil::RefreshDerived()
{
    Ao = Geometry->Ao;
    Ai = Geometry->Ai;
    AoAi = Geometry->AoAi;
    Vi = Geometry->Vi;
    TubeGeom = Geometry->GetTubeSide();
    AirGeom = Geometry->GetAirSide();
    SurfaceEff = AirGeom.EtaO;
}

double TCoil::GetFinHeight() const
{
    return Geometry->Rec.fHeight;
}

double TCoil::GetFinnedLength() const
{
    return Geometry->Rec.fLength;
}

double TCoil::GetRows() const
{
    return Geometry->Rec.Rows;
}

double TCoil::GetFinDensity() const
{
    return Geometry->Rec.fpi;
}

double TCoil::GetCircuits() const
{
    return Geometry->Rec.Circ;
}

double TCoil::GetDepth() const
{
    return Geometry->Depth;
}

double TCoil::GetAf() const
{
    return Geometry->Af;
}

int TCoil::GetSerp() const
{
    return Geometry->GetSerp();
}

void TCoil::SetFinHeight(double h)
{
    Geometry->SetHeight(h);
    RefreshDerived();
}

void TCoil::SetFinnedLength(double l)
{
    Geometry->SetLength(l);
    RefreshDerived();
}

void TCoil::SetRows(double rows)
{
    Geometry->SetRows(rows);
    RefreshDerived();
}

void TCoil::SetFinDensity(double fpi)
{
    Geometry->SetFpi(fpi);
    RefreshDerived();
}

void TCoil::SetCircuits(double n)
{
    Geometry->SetCircuits(n);
    UpdateTubeData();
    RefreshDerived();
}

void TCoil::SetFinMaterial(int index)
{
    Geometry->SetFinMaterial(index);
    RefreshDerived();
}

void TCoil::SetTubeMaterial(int index)
{
    if (index >= 0 && index < static_cast<int>(MaterialTable.size()))
        Geometry->Rec.Mt = static_cast<std::uint8_t>(index);
    UpdateTubeData();
    RefreshDerived();
}

namespace {

bool sameBits(double a, double b)
{
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

} // namespace

void TCoil::SetGeometry(const TGeometryValues& values)
{
    Geometry->TakeError();
    // Every Solve command sets all five, mostly as they stand: a worked-out record that holds
    // them already would be left as it is by each setter (the circuits as the setter holds them).
    const TModelRec& r = Geometry->Rec;
    const bool same = sameBits(values.fHeight, r.fHeight) && sameBits(values.fLength, r.fLength) &&
                      sameBits(values.Rows, r.Rows) && sameBits(values.fpi, r.fpi) &&
                      sameBits(std::clamp(values.Circ, 1.0, 1600.0), r.Circ) && Geometry->IsCalculated();
    if (!same) {
        Geometry->SetHeight(values.fHeight);
        Geometry->SetLength(values.fLength);
        Geometry->SetRows(values.Rows);
        Geometry->SetFpi(values.fpi);
        Geometry->SetCircuits(values.Circ);
    }
    if (Geometry->TakeError() == 0) {
        UpdateTubeData();
        RefreshDerived();
    }
}

void TCoil::SetModelRecord(const TModelRec& rec)
{
    Geometry->SetModel(rec);
    RefreshDerived();
}

void TCoil::StoreStep(int index, double fluid, double air, double surface, double dewPoint)
{
    if (StepMatrix.size() != kStepRows)
        PrepareStepMatrix();
    if (index < 0 || index >= kStepCount)
        throw ZmkError("TCoil.StoreStep", "Step index out of range");
    StepMatrix[0][index] = fluid;
    StepMatrix[1][index] = air;
    StepMatrix[2][index] = surface;
    StepMatrix[3][index] = dewPoint;
}

void TCoil::PrepareStepMatrix()
{
    StepMatrix.assign(kStepRows, std::vector<double>(kStepCount, 0.0));
}

TAirState& TCoil::airIn() const
{
    if (!AirIn)
        throw ZmkError("TCoil", "The coil has no air states attached");
    return *AirIn;
}

TAirState& TCoil::airOut() const
{
    if (!AirOut)
        throw ZmkError("TCoil", "The coil has no air states attached");
    return *AirOut;
}

void TCoil::CheckResults(const char* where) const
{
    TCustomHeatExchanger::CheckResults(where);
    for (double v : {BypassFactor, tsAirIn, tsAirOut, ADP, Ca, ma})
        fc::Finite(v, where);
    if (AirOut) {
        const TAirState& s = *AirOut;
        for (double v : {s.P, s.db, s.wb, s.h, s.w, s.rh, s.dewpoint, s.rho, s.cp, s.k, s.mu})
            fc::Finite(v, where);
    }
}

// ---- TLiquidCoil ----

TLiquidCoil::TLiquidCoil(const std::string& makerName, int tubeIndex, int code, const std::string& model)
    : TCoil(makerName, tubeIndex, code, model), LiquidState(std::make_unique<TLiquidState>())
{
    // The base constructor ran its tube update before the liquid state existed; hand over the
    // flow area now.
    TLiquidCoil::UpdateTubeData();
}

TLiquidCoil::TLiquidCoil(int code, const TModelRec& rec)
    : TCoil(code, rec), LiquidState(std::make_unique<TLiquidState>())
{
    TLiquidCoil::UpdateTubeData();
}

TLiquidCoil::~TLiquidCoil() = default;

void TLiquidCoil::Attach(TAirState& airIn, TAirState& airOut, TLiquid& liquid)
{
    AirIn = &airIn;
    AirOut = &airOut;
    Liquid = &liquid;
    LiquidState->SetLiquid(liquid);
}

TLiquid& TLiquidCoil::liquid() const
{
    if (!LiquidState->Liquid)
        throw ZmkError("TLiquidCoil", "The coil has no liquid attached");
    return *LiquidState->Liquid;
}

void TLiquidCoil::UpdateTubeData()
{
    TCoil::UpdateTubeData();
    if (LiquidState)
        LiquidState->SetFlowArea(Geometry->GetTubeSide().FlowArea);
}

bool TLiquidCoil::NoFlowCheck()
{
    if (LiquidState->cw > 0.001)
        return false;
    Qt = 0;
    Qs = 0;
    airOut() = airIn();
    tsAirOut = airIn().dewpoint;
    // No duty crosses, so the liquid leaves as it came.
    LiquidState->SetLeavingTemp(LiquidState->GetInletTemp());
    return true;
}

TSolveStatus TLiquidCoil::Solve()
{
    static constexpr const char* where = "TLiquidCoil.Solve";
    const TAirState& in = airIn();
    airOut();
    liquid();
    Reason.clear();
    Warnings.clear();
    LiquidLimited = false;
    SolvePasses = 0;
    ActiveSprayFactor = Spray ? SprayFactor : 1.0;
    if (std::string why = EnteringAirProblem(in); !why.empty()) {
        Status = TSolveStatus::DataError;
        Reason = std::move(why);
        return Status;
    }
    // Each solve starts from the capacity rate at the entering state, so that its answer does
    // not depend on what an earlier solve left behind.
    Ca = fc::Finite(DryAirFlow() * in.cp, where);
    TubeResult = TTubeResult{};
    try {
        Status = SolveModel();
    } catch (const EMathError&) {
        // Property data extrapolated far past their range can break the arithmetic; a liquid
        // that enters there is refused for that reason, not for the fault it led to.
        std::string why = InletLimitCheck();
        if (why.empty())
            throw;
        Status = TSolveStatus::DataError;
        Reason = std::move(why);
        LiquidLimited = true;
        return Status;
    }
    CheckResults(where);
    if (Status == TSolveStatus::None) {
        Reason = PhysicalCheck();
        if (Reason.empty()) {
            Reason = LiquidLimitCheck();
            LiquidLimited = !Reason.empty();
        }
        if (!Reason.empty())
            Status = TSolveStatus::DataError;
    } else if (Reason.empty()) {
        Reason = Status == TSolveStatus::CountOut
                     ? "The calculation did not settle within 102 passes: the result is not reliable..."
                     : "The data admit no solution...";
    }
    collectWarnings();
    return Status;
}

namespace {

// The pass loop's extrapolation. Two successive secant slopes of the pass map must agree within
// this share of the later one for the passes to count as closing in steadily; the slope must be
// below kMaxPassSlope either way; and plain passes must be seen, early, to settle within
// kPlainPassesAccelerated passes, well inside the loop's limit, for the loop to skip ahead.
constexpr double kPassSlopeAgreement = 0.05;
constexpr double kMaxPassSlope = 0.9;
constexpr int kPlainPassesAccelerated = 50;
// Passes that do not show a steady slope by this pass are left to plain passes throughout.
constexpr int kLastJudgedPass = 8;

} // namespace

TSolveStatus TLiquidCoil::IteratePasses(const std::function<double()>& pass,
                                        const std::function<void(double)>& settle)
{
    Status = TSolveStatus::Iterating;
    // The duty the state of this pass came from, the previous pass's with the duty it gave, and
    // the slope of the line through the last two passes (NaN until there are two).
    double from = 0;
    double lastFrom = 0;
    double lastDuty = 0;
    double lastSlope = std::nan("");
    bool skipAhead = settle && !PlainPasses;
    bool judged = false;
    for (int k = 0; Status == TSolveStatus::Iterating; ++k) {
        const double q = pass();
        ++SolvePasses;
        // Only passes of this solve are compared: the first has nothing to agree with. Passes
        // go on while they still move the duty beyond rounding, so that the answer does not
        // depend on where the solve started; within 1e-5 kW it counts as converged.
        const double tolerance = 1e-10 * (1 + std::fabs(q));
        if (k > 0) {
            const double change = std::fabs(q - from);
            if (change <= tolerance)
                Status = TSolveStatus::None;
            else if (k > 100)
                Status = change < 1e-5 ? TSolveStatus::None : TSolveStatus::CountOut;
        }
        if (Status != TSolveStatus::Iterating)
            break;
        // A pass maps the duty it starts from to a new one, and the answer is where the two are
        // equal. Near it plain passes close in by a steady share of the distance left (the slope
        // of the map); where two successive lines through the last passes agree on that slope,
        // the next pass starts where the line meets the diagonal: the answer the plain passes
        // were heading for, in a handful of passes instead of a score. A loop that plain passes
        // would settle only slowly or not at all, or that wanders between answers, is left to
        // plain passes throughout, so that it ends as it did.
        double next = q;
        double slope = std::nan("");
        if (skipAhead && !judged && k > kLastJudgedPass)
            skipAhead = false;
        if (skipAhead && k > 1 && from != lastFrom)
            slope = (q - lastDuty) / (from - lastFrom);
        if (std::isfinite(slope) && std::fabs(slope) < kMaxPassSlope &&
            std::fabs(slope - lastSlope) <= kPassSlopeAgreement * std::fabs(slope)) {
            if (!judged) {
                // Up to here every pass was plain: how many more plain passes would need.
                judged = true;
                const double change = std::fabs(q - from);
                const double more =
                    slope == 0 ? 0 : std::log(tolerance / change) / std::log(std::fabs(slope));
                skipAhead = std::isfinite(more) && k + more < kPlainPassesAccelerated;
            }
            const double meet = from + (q - from) / (1 - slope);
            if (skipAhead && std::isfinite(meet))
                next = meet;
        }
        if (next != q)
            settle(next);
        lastFrom = from;
        lastDuty = q;
        lastSlope = slope;
        from = next;
    }
    // The passes do not read the bypass factor: it is the last pass's.
    BypassFactor = fc::Exp(-NtuAir, "TLiquidCoil.Solve");
    return Status;
}

TSolveStatus TLiquidCoil::DryPasses(double dTmax, bool liquidHeated, bool updateLiquid, const char* where,
                                    bool fullLeavingAir)
{
    const TAirState& in = airIn();
    TAirState& out = airOut();
    TLiquidState& state = *LiquidState;
    double hOut = in.h;
    double nextCa = Ca;
    // The air's change for the duty the next pass starts from (a sensible duty: the liquid's gain
    // is the air's loss) is worked out when that pass needs it, so that a pass the loop moves on
    // from does not work out its own for nothing.
    double airDuty = 0;
    bool airPending = false;
    // The leaving air of the last air change, where the next one's search for its dry bulb starts.
    TDryBulbMark dbOut;
    const auto airChange = [&] {
        if (airPending)
            hOut = SensibleAirChange(liquidHeated ? airDuty : -airDuty, nextCa, dbOut, where);
        airPending = false;
    };
    // The air side does not change between passes: its coefficient is worked out once. The liquid
    // is re-evaluated before the first pass only: every later one finds it as the previous pass's
    // heat left it, evaluated at its new mean temperature.
    const double airCoefficient = EffectiveHo();
    bool refresh = updateLiquid;
    IteratePasses(
        [&] {
            airChange();
            Ca = nextCa;
            Cr = fc::Div(Ca, state.cw, where);
            if (refresh)
                liquid().Update();
            refresh = false;
            CommonCoefficients(airCoefficient, where);
            e = fc::Finite(EffectivenessFn(Ntu, Cr) * EffFactor, where);
            Qmax = dTmax * Ca;
            Qt = fc::Finite(e * Qmax, where);
            if (liquidHeated)
                state.AddHeat(Qt);
            else
                state.RemoveHeat(Qt);
            airDuty = Qt;
            airPending = true;
            return Qt;
        },
        [&](double q) {
            // As the passes leave the liquid and the air for a duty q; twice, so that
            // the liquid's specific heat is that of its new mean temperature, as after
            // the passes the skip stands for.
            for (int i = 0; i < 2; ++i) {
                if (liquidHeated)
                    state.AddHeat(q);
                else
                    state.RemoveHeat(q);
            }
            airDuty = q;
            airPending = true;
        });
    airChange();
    // Ca over the air's actual change, that of the leaving air.
    Ca = nextCa;
    out.h = hOut;
    out.w = in.w;
    if (fullLeavingAir)
        out = AirState(out, kPairHW);
    else
        PartialAirStateHW(out, out);
    return Status;
}

bool TLiquidCoil::FixedChangeOverrunsAir(bool liquidHeated, bool hold)
{
    TLiquidState& state = *LiquidState;
    if (state.ctrl != wcTemp)
        return false;
    const double tin = state.GetInletTemp();
    const double dbi = airIn().db;
    if (liquidHeated ? !(tin + state.designdt > dbi) : !(tin - state.designdt < dbi))
        return false;
    if (hold) {
        state.SetLeavingTemp(dbi);
        state.designdt = liquidHeated ? state.GetLeavingTemp() - tin : tin - state.GetLeavingTemp();
    }
    Reason = liquidHeated
                 ? "The liquid would leave hotter than the air entering: the temperature rise is more "
                   "than the air can give..."
                 : "The liquid would leave colder than the air entering: the temperature drop is more "
                   "than the air can take...";
    return true;
}

double NextStepGuess(double guess, double err, double lastGuess, double lastErr, int pass, double relaxation)
{
    // The far-end error rises with the guess: a relaxed step always moves the right way. Once two
    // passes are known the secant through them is taken instead, as long as its slope has that
    // sign; the error is nearly linear in the guess (exactly so on a dry surface), so the shooting
    // settles in a few passes rather than dozens.
    const double relaxed = guess - relaxation * err;
    if (pass == 0 || guess == lastGuess)
        return relaxed;
    const double slope = (err - lastErr) / (guess - lastGuess);
    if (!(slope > 0) || !std::isfinite(slope))
        return relaxed;
    const double secant = guess - err / slope;
    return std::isfinite(secant) ? secant : relaxed;
}

void TLiquidCoil::StepByStep(double& duty)
{
    static constexpr const char* where = "TLiquidCoil.StepByStep";
    const TAirState& in = airIn();
    const TLiquidState& state = *LiquidState;
    const TStepScheme scheme = StepScheme();
    PrepareStepMatrix();
    const double tin = state.GetInletTemp();
    double tLeave = state.GetLeavingTemp();
    TStepSlice slice;
    slice.R = ConductanceRatio;
    slice.cw = state.cw;
    slice.dAo = Ao / kStepCount;
    slice.dAi = Ai / kStepCount;
    slice.mda = DryAirFlow();
    duty = 0;
    // The previous pass's guess and error, for the secant through the last two passes.
    double lastGuess = 0;
    double lastErr = 0;
    for (int pass = 0;; ++pass) {
        slice.air = in;
        slice.tw = tLeave;
        slice.duty = 0;
        for (int i = 0; i < kStepCount; ++i) {
            // Every slice starts from the dry balance ho·(ta − ts) = (Ui·Ai/Ao)·(ts − tw).
            slice.ts = fc::Div(slice.R * slice.air.db + slice.tw, 1 + slice.R, where);
            StepSlice(slice, where);
            StoreStep(i, slice.tw, slice.air.db, slice.ts, slice.air.dewpoint);
        }
        duty = slice.duty;
        const double err = slice.tw - tin;
        const double guess = tLeave;
        tLeave = fc::Finite(NextStepGuess(guess, err, lastGuess, lastErr, pass, scheme.Relaxation), where);
        lastGuess = guess;
        lastErr = err;
        if (scheme.LimitToAir) {
            if (tLeave < tin + 0.1)
                tLeave = tin + 0.1;
            if (tLeave > in.db - 0.5)
                tLeave = in.db - 0.5;
        }
        const bool settled = scheme.Inclusive ? std::fabs(err) <= 1e-5 : std::fabs(err) < 1e-5;
        // Never fewer than two passes, so that the profile is this shooting's own.
        if ((settled && pass > 0) || pass >= 101) {
            StepPasses = pass + 1;
            break;
        }
    }
    fc::Finite(duty, where);
}

double TLiquidCoil::DutyAt(double tIn, double tOut)
{
    LiquidState->SetInletTemp(tIn);
    LiquidState->SetLeavingTemp(tOut);
    const TSolveStatus status = Solve();
    return status == TSolveStatus::None ? Qt : 0;
}

void TLiquidCoil::SetFouling()
{
    Rf = UseFouling ? kFoulingResistance : 0;
}

void TLiquidCoil::CommonCoefficients(double airCoefficient, const char* where)
{
    const double cw = LiquidState->cw;
    hi = TubeCoefficient(TubeGeom, liquid(), TubeResult) * HiFactor;
    Ui = fc::Div(hi * WallK, WallK + hi * WallThickness, where);
    ho = airCoefficient;
    ConductanceRatio = fc::Div(ho * Ao, Ui * Ai, where);
    // The reported Uo carries 1.01 on the air-side resistance and the fouling; the duty takes
    // them only when FoulingInDuty is set.
    Uo = fc::Div(1, fc::Div(1.01, ho, where) + fc::Div(AoAi, Ui, where) + Rf, where);
    NtuAir = fc::Div(ho * Ao, Ca, where);
    NtuLiquid = fc::Div(Ui * Ai, cw, where);
    NtuRatio = fc::Div(NtuAir, NtuLiquid, where);
    if (!FoulingInDuty) {
        // UA/Ca with 1/UA = 1/(ho·Ao) + 1/(Ui·Ai).
        Ntu = fc::Div(NtuAir, Cr * NtuRatio + 1, where);
        UoDuty = fc::Div(1, fc::Div(1, ho, where) + fc::Div(AoAi, Ui, where), where);
        return;
    }
    // The fouled conductances. On a dry surface Ntu is then Uo·Ao/Ca.
    const TConductances g = DutyConductances(where);
    const double ntuAir = fc::Div(g.air, Ca, where);
    Ntu = fc::Div(ntuAir, Cr * fc::Div(ntuAir * cw, g.tube, where) + 1, where);
    UoDuty = Uo;
}

TLiquidCoil::TConductances TLiquidCoil::DutyConductances(const char* where) const
{
    if (!FoulingInDuty)
        return {ho * Ao, Ui * Ai};
    // The fouling stands in series with the tube side, on a wet surface too.
    return {fc::Div(ho, 1.01, where) * Ao,
            fc::Div(1, fc::Div(1, Ui * Ai, where) + fc::Div(Rf, Ao, where), where)};
}

void TLiquidCoil::PrepareDesignFlow(double duty, double leavingOffset, const char* where)
{
    TLiquidState& state = *LiquidState;
    TLiquid& l = liquid();
    state.ctrl = wcFlow;
    state.designdt = 6.0;
    state.SetLeavingTemp(state.GetInletTemp() + leavingOffset);
    state.SetMassFlow(fc::Div(duty, l.Cp * state.designdt, where));
    const double n = fc::Div(fc::Div(fc::Div(state.GetMassFlow(), l.ro, where), state.vwideal, where),
                             TubeGeom.TubeArea, where);
    SetCircuits(static_cast<double>(Round(n)));
    state.SetMassFlow(GetCircuits() * l.ro * state.vwideal * TubeGeom.TubeArea);
}

bool TLiquidCoil::WaterCoilStart(double airOffset)
{
    if (NoFlowCheck()) {
        if (LiquidState->ctrl != wcTemp) {
            Status = TSolveStatus::None;
            return true;
        }
        LiquidState->SetVelocity(1.0);
    }
    if (LiquidState->designdt == 0)
        LiquidState->designdt = 6.0;
    TAirState& in = airIn();
    const double tin = LiquidState->GetInletTemp();
    // Equal temperatures would give no duty at all. The whole entering state follows the moved
    // dry bulb, so that the air's enthalpy balance holds.
    if (tin == in.db) {
        in.db = tin + airOffset;
        in = AirState(in, kPairDbW);
        Ca = DryAirFlow() * in.cp;
    }
    return false;
}

void TLiquidCoil::SetClassValues(const TClassValues& v)
{
    DutyPerVolFlow = v.DutyPerVolFlow;
    DesignVf = v.DesignVf;
    DesignAspect = v.DesignAspect;
    DesignRows = v.DesignRows;
    DesignFins = v.DesignFins;
    DesignAirOn = v.DesignAirOn;
    DesignFluidIn = v.DesignFluidIn;
    DefaultVf = v.DefaultVf;
    DefaultAspect = v.DefaultAspect;
    DefaultRows = v.DefaultRows;
    DefaultFins = v.DefaultFins;
    AirCooling = v.AirCooling;
    EffFactor = HoFactor = HiFactor = AirDpFactor = 1.0;
    Spray = false;
}

void TLiquidCoil::CheckResults(const char* where) const
{
    TCoil::CheckResults(where);
    const TLiquidState& s = *LiquidState;
    for (double v : {s.cw, s.vw, s.designdt})
        fc::Finite(v, where);
    if (s.Liquid)
        for (double v : {s.Liquid->tfi, s.Liquid->tfo, s.Liquid->m, s.Liquid->ro, s.Liquid->Cp, s.Liquid->mu,
                         s.Liquid->Ko, s.Liquid->Pr})
            fc::Finite(v, where);
}

// ---- The three coil kinds ----

namespace {

// Per-class construction values: duty per volume flow, design Vf, aspect, rows, fins, air on,
// fluid in; default Vf, aspect, rows, fins; duty direction.
constexpr TLiquidCoil::TClassValues kHotValues{27.5, 2.7, 1.4, 3.0, 8, "5.0/2.0",
                                               45.0, 2.8, 1.4, 4.0, 8, kAirHeating};
constexpr TLiquidCoil::TClassValues kColdValues{20.8, 2.5, 1.5, 4.0, 12, "25.0/17.0",
                                                6.0,  2.5, 1.4, 4.0, 10, kAirCooling};
constexpr TLiquidCoil::TClassValues kZemtorValues{20.8,  3.0, 1.5, 4.0, 12, "380.0",
                                                  220.0, 3.0, 1.4, 4.0, 10, kAirHeating};

} // namespace

THotWaterCoil::THotWaterCoil(const std::string& makerName, int tubeIndex, const std::string& model)
    : TLiquidCoil(makerName, tubeIndex, kCodeHotWaterCoil, model)
{
    SetClassValues(kHotValues);
}

TColdWaterCoil::TColdWaterCoil(const std::string& makerName, int tubeIndex, const std::string& model)
    : TLiquidCoil(makerName, tubeIndex, kCodeColdWaterCoil, model)
{
    SetClassValues(kColdValues);
}

TZemtor::TZemtor(const std::string& makerName, int tubeIndex, const std::string& model)
    : TLiquidCoil(makerName, tubeIndex, kCodeZemtor, model)
{
    SetClassValues(kZemtorValues);
}

THotWaterCoil::THotWaterCoil(const TModelRec& rec) : TLiquidCoil(kCodeHotWaterCoil, rec)
{
    SetClassValues(kHotValues);
}

TColdWaterCoil::TColdWaterCoil(const TModelRec& rec) : TLiquidCoil(kCodeColdWaterCoil, rec)
{
    SetClassValues(kColdValues);
}

TZemtor::TZemtor(const TModelRec& rec) : TLiquidCoil(kCodeZemtor, rec)
{
    SetClassValues(kZemtorValues);
}

} // namespace zmk
