#include "engine/RateCoil.h"
#include "engine/Sizing.h"
#include "engine/StepCoil.h"

#include "engine/HeatExchanger.h"
#include "properties/Fluid.h"

#include <exception>
#include <stdexcept>
#include <memory>
#include <optional>

namespace zmk {

TCoilInputs TCoilInputs::Defaults(std::string_view kind)
{
    TCoilInputs in;
    in.Kind = std::string(kind);
    SetKindDefaults(kind, in.Start);
    return in;
}

TCoilResult CoilResultOf(const TLiquidCoil& c)
{
    TCoilResult r;
    r.Status = c.Status;
    r.Reason = c.Reason;
    r.Warnings = c.Warnings;
    r.Model = c.Geometry->SizeText;
    r.Maker = c.Geometry->Rec.Mnf;
    r.ma = c.ma;
    r.Va = c.Va;
    r.Vf = c.Vf;
    r.Af = c.GetAf();
    r.Ao = c.Ao;
    r.Ai = c.Ai;
    r.Vi = c.Vi;
    r.Spray = c.Spray;
    if (c.AirIn)
        r.AirIn = *c.AirIn;
    if (c.AirOut)
        r.AirOut = *c.AirOut;
    if (c.AirIn && c.AirOut)
        r.Pressure = c.GetPressure();
    r.Qt = c.Qt;
    r.Qs = c.Qs;
    r.e = c.e;
    r.Ntu = c.Ntu;
    r.Cr = c.Cr;
    r.Qmax = c.Qmax;
    r.ho = c.ho;
    r.hi = c.hi;
    r.Ui = c.Ui;
    r.Uo = c.Uo;
    r.UoDuty = c.UoDuty;
    r.FoulingInDuty = c.FoulingInDuty;
    r.NtuAir = c.NtuAir;
    r.NtuLiquid = c.NtuLiquid;
    r.NtuRatio = c.NtuRatio;
    r.BypassFactor = c.BypassFactor;
    r.ConductanceRatio = c.ConductanceRatio;
    r.Rf = c.Rf;
    r.SurfaceCondition = c.SurfaceCondition;
    r.mCondensate = c.MoistureRemoval();
    r.ADP = c.ADP;
    r.AirCooling = c.AirCooling;
    r.Ca = c.Ca;
    r.AirDp = c.AirPressureDrop();
    r.LiquidDp = c.LiquidPressureDrop();
    r.PipeSize = c.PipeSize();
    r.tsAirIn = c.tsAirIn;
    r.tsAirOut = c.tsAirOut;
    r.SurfaceEff = c.SurfaceEff;
    r.AirSideMethod = c.AirSideMethod;
    r.FinEff = c.FinEff;
    r.FinType = c.Geometry->Rec.Fin.Type;
    const TLiquidState& ls = *c.LiquidState;
    if (const TLiquid* l = c.Liquid) {
        r.LiquidName = l->GetName();
        r.LiquidSpec = l->LiquidSpec;
        r.tfi = l->tfi;
        r.tfo = l->tfo;
        r.mw = l->m;
        r.ro = l->ro;
        r.Cp = l->Cp;
        r.mu = l->mu;
        r.Ko = l->Ko;
        r.Pr = l->Pr;
        if (l->ro != 0)
            r.LiquidVf = ls.GetVolumeFlow();
    }
    r.cw = ls.cw;
    r.vw = ls.vw;
    r.designdt = ls.designdt;
    r.ctrl = ls.ctrl;
    r.TubeRe = c.TubeResult.Re;
    r.TubeRegime = c.TubeResult.Regime;
    return r;
}

namespace {

// Holds the thread's apparatus dew point default at the inputs' value for one rating and puts
// back what it was, so that the rating neither reads nor leaves behind another job's value.
class TAdpScope
{
public:
    explicit TAdpScope(double adp) : saved_(TAdpDefault::Instance().Value())
    {
        TAdpDefault::Instance().Store(adp);
    }
    ~TAdpScope() { TAdpDefault::Instance().Store(saved_); }
    TAdpScope(const TAdpScope&) = delete;
    TAdpScope& operator=(const TAdpScope&) = delete;

private:
    double saved_;
};

// What a rating of a kind code that is none of the three says.
constexpr char kUnknownKind[] = "Coil kind not recognised...";

// A coil built from the inputs and attached to its own air and liquid.
struct TBuiltCoil
{
    TAirState airIn, airOut;
    std::unique_ptr<TLiquid> liquid;
    std::unique_ptr<TLiquidCoil> coil;
};

// Attaches the built coil to its air and liquid and applies the inputs' flows and options.
void attachCoil(const TCoilInputs& in, TBuiltCoil& b)
{
    const TCoilStartValues& sv = in.Start;
    b.coil->Attach(b.airIn, b.airOut, *b.liquid);
    ApplyStartFlows(*b.coil, sv);
    if (in.LiquidDt > 0)
        b.coil->LiquidState->designdt = in.LiquidDt;
    b.coil->Spray = in.Spray;
    b.coil->UseFouling = in.UseFouling;
    b.coil->FoulingInDuty = in.FoulingInDuty;
    b.coil->SetAirSideMethod(in.AirSideMethod);
}

// Builds the coil of the inputs (kind already canonical); an error reaches the caller.
void buildCoil(const std::string& kind, const TCoilInputs& in, TBuiltCoil& b)
{
    const TCoilStartValues& sv = in.Start;
    b.coil = MakeStartCoil(kind, sv);
    if (in.Pattern) {
        TModelRec rec = b.coil->Geometry->Rec;
        MnfRecToModel(*in.Pattern, rec);
        b.coil->SetModelRecord(rec);
        if (b.coil->Geometry->TakeError() != 0)
            throw std::runtime_error("The pattern " + in.Pattern->Name + " cannot be built...");
        b.coil->UpdateTubeData();
    }
    if (in.Fins && !(b.coil->Geometry->Rec.Fin == *in.Fins)) {
        TModelRec rec = b.coil->Geometry->Rec;
        rec.Fin = *in.Fins;
        b.coil->SetModelRecord(rec);
    }
    b.airIn = SetState(sv.Pa, sv.dbi, sv.wai, kPairDbW);
    b.airOut = SetState(sv.Pa, sv.dbo, sv.wao, kPairDbW);
    b.liquid = MakeStartLiquid(sv);
    attachCoil(in, b);
}

// Solves the built coil into its result.
TCoilResult solveBuilt(const std::string& kind, TBuiltCoil& b)
{
    std::string error;
    try {
        b.coil->Solve();
    } catch (const std::exception& e) {
        error = e.what();
    }
    TCoilResult r = CoilResultOf(*b.coil);
    r.Kind = kind;
    r.Error = error;
    r.Solved = error.empty() && r.Status == TSolveStatus::None;
    return r;
}

TCoilResult buildFailed(const std::string& kind, const std::string& error)
{
    TCoilResult r;
    r.Kind = kind;
    r.Status = TSolveStatus::DataError;
    r.Error = error;
    return r;
}

// Builds and solves; b.coil stays empty when the build failed (the result says why).
TCoilResult rateBuilt(const TCoilInputs& in, TBuiltCoil& b)
{
    const std::optional<std::string> kind = CanonicalCoilKind(in.Kind);
    if (!kind)
        return buildFailed(in.Kind, kUnknownKind);
    try {
        buildCoil(*kind, in, b);
    } catch (const std::exception& e) {
        b.coil.reset();
        return buildFailed(*kind, e.what());
    }
    return solveBuilt(*kind, b);
}

} // namespace

TRatingStates::TRatingStates(const TCoilInputs& in)
{
    const std::optional<std::string> kind = CanonicalCoilKind(in.Kind);
    if (!kind) {
        Error = kUnknownKind;
        return;
    }
    Kind = *kind;
    const TCoilStartValues& sv = in.Start;
    try {
        AirIn = SetState(sv.Pa, sv.dbi, sv.wai, kPairDbW);
        AirOut = SetState(sv.Pa, sv.dbo, sv.wao, kPairDbW);
        Liquid = MakeStartLiquid(sv);
    } catch (const std::exception& e) {
        Error = e.what();
        Liquid.reset();
    }
}

TRatingStates::~TRatingStates() = default;

TCoilResult RateCoilRecord(const TCoilInputs& in, const TRatingStates& states, const TModelRec& rec)
{
    if (!states.Error.empty() || !states.Liquid)
        return buildFailed(states.Kind.empty() ? in.Kind : states.Kind, states.Error);
    const TAdpScope adp(in.StartAdp);
    TBuiltCoil b;
    try {
        b.coil = MakeRecordCoil(states.Kind, rec);
        b.airIn = states.AirIn;
        b.airOut = states.AirOut;
        b.liquid = std::make_unique<TLiquid>(*states.Liquid);
        attachCoil(in, b);
    } catch (const std::exception& e) {
        return buildFailed(states.Kind, e.what());
    }
    return solveBuilt(states.Kind, b);
}

TCoilResult RateCoil(const TCoilInputs& in)
{
    const TAdpScope adp(in.StartAdp);
    TBuiltCoil b;
    return rateBuilt(in, b);
}

TSizeRun SizeCoil(const TCoilInputs& in, TAutoSize mode, bool keepAirflow, double duty)
{
    const TAdpScope adp(in.StartAdp);
    TSizeRun run;
    const std::optional<std::string> kind = CanonicalCoilKind(in.Kind);
    TBuiltCoil b;
    std::string error;
    try {
        if (!kind)
            throw std::runtime_error(kUnknownKind);
        buildCoil(*kind, in, b);
        run.Sizing = RunAutoSize(*b.coil, mode, keepAirflow, duty);
        // Rated again at the size and face velocity the sizing left, as the editor does.
        b.coil->SetModel(b.coil->GetModel());
        b.coil->SetFaceVelocity(b.coil->Vf);
        b.coil->Solve();
        CheckAutoSize(*b.coil, mode, duty, run.Sizing);
    } catch (const std::exception& e) {
        error = e.what();
        run.Sizing.Status = TSolveStatus::DataError;
        run.Sizing.Message = error;
    }
    if (b.coil) {
        run.Rating = CoilResultOf(*b.coil);
        run.fHeight = b.coil->GetFinHeight();
        run.fLength = b.coil->GetFinnedLength();
        run.Rows = b.coil->GetRows();
        run.fpi = b.coil->GetFinDensity();
        run.Circ = b.coil->GetCircuits();
    } else {
        run.Rating.Status = TSolveStatus::DataError;
    }
    run.Rating.Kind = kind ? *kind : in.Kind;
    run.Rating.Error = error;
    run.Rating.Solved = error.empty() && run.Rating.Status == TSolveStatus::None;
    return run;
}

TStepRun StepCoil(const TCoilInputs& in)
{
    const TAdpScope adp(in.StartAdp);
    TBuiltCoil b;
    TStepRun run;
    run.Rating = rateBuilt(in, b);
    if (!run.Rating.Solved)
        return run;
    try {
        double duty = 0;
        b.coil->StepByStep(duty);
        run.Duty = duty;
        run.Matrix = b.coil->StepMatrix;
        run.Ran = true;
    } catch (const std::exception& e) {
        run.Error = e.what();
    }
    return run;
}

} // namespace zmk
