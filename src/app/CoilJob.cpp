#include "app/CoilJob.h"
#include "base/TextHelpers.h"

#include "app/InputFaults.h"
#include "app/ProjectProperties.h"
#include "base/Errors.h"
#include "base/Notifier.h"
#include "base/NumText.h"
#include "engine/CoilFactory.h"
#include "engine/HeatExchanger.h"
#include "units/ConvTools.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace zmk {

// ---- entry fields ----------------------------------------------------------------------------

namespace {

using F = TEntryField;

const std::array<TEntryFieldInfo, kEntryFieldCount> kEntryFields{{
    {{"edFinHeight", "H", utLengthMeasure, "m", "inch", "%0.2f", 0.1, 50}, F::edFinHeight},
    {{"edFinnedLength", "L", utLengthMeasure, "m", "mm", "%0.1f", 0.1, 100}, F::edFinnedLength},
    {{"edRows", "row", utNone, "", "", "%0.1f", 1, 20, ft_Fixed, true}, F::edRows},
    {{"edFinDensity", "", utFinDensity, "fpi", "fpi", "%0.4f", 0.01, 50}, F::edFinDensity},
    {{"edCircuits", "C", utNone, "", "", "%0.1f", 1, 100, ft_Fixed, true}, F::edCircuits},
    {{"edAltitude", "Altitude", utAltitude, "m", "m", "%0.1f", 0, 2000}, F::edAltitude},
    {{"edOnCoil", "Air Temp On", utTemperature, "°C", "°C", "%0.1f", -60, 900}, F::edOnCoil},
    {{"edHumidityOn", "Humidity On", utHumidity, "kg/kg", "g/kg", "%0.2f", 0, 0.5, ft_Auto}, F::edHumidityOn},
    {{"edAirMassflow", "Air flow", utMassFlow, "kg/s", "kg/s", "%0.4f", 0.01, 500}, F::edAirMassflow},
    {{"edFaceVelocity", "Face velocity", utVelocity, "m/s", "m/s", "%0.2f", 0.01, 50}, F::edFaceVelocity},
    {{"edFluidInTemp", "Fluid In temp", utTemperature, "°C", "°C", "%0.1f", -60, 900}, F::edFluidInTemp},
    {{"edFluidDT", "Fluid dT", utTemperatureChange, "K", "°C", "%0.1f", 0.01, 1000}, F::edFluidDT},
    {{"edFluidFlow", "Fluid flow", utMassFlow, "kg/s", "kg/s", "%0.4f", 0.01, 500}, F::edFluidFlow},
    {{"edTubeVelocity", "Tube velocity", utVelocity, "m/s", "m/s", "%0.2f", 0.01, 100}, F::edTubeVelocity},
}};

// The members of TJobInputs in field order.
constexpr std::array<TEntryValue TJobInputs::*, kEntryFieldCount> kFieldMembers{
    &TJobInputs::edFinHeight,    &TJobInputs::edFinnedLength, &TJobInputs::edRows,
    &TJobInputs::edFinDensity,   &TJobInputs::edCircuits,     &TJobInputs::edAltitude,
    &TJobInputs::edOnCoil,       &TJobInputs::edHumidityOn,   &TJobInputs::edAirMassflow,
    &TJobInputs::edFaceVelocity, &TJobInputs::edFluidInTemp,  &TJobInputs::edFluidDT,
    &TJobInputs::edFluidFlow,    &TJobInputs::edTubeVelocity,
};

} // namespace

const std::array<TEntryFieldInfo, kEntryFieldCount>& EntryFields()
{
    return kEntryFields;
}

const TEntryFieldInfo& EntryFieldInfo(TEntryField field)
{
    return kEntryFields[static_cast<std::size_t>(field)];
}

std::optional<TEntryField> FindEntryField(std::string_view name)
{
    for (const TEntryFieldInfo& info : kEntryFields)
        if (name == info.Name)
            return info.Field;
    return std::nullopt;
}

bool EntryRangeCheck(double& v, double lo, double hi)
{
    long double x = v;
    const bool ok = ClampToRange(x, lo, hi);
    v = static_cast<double>(x);
    return ok;
}

TEntryValue& TJobInputs::operator[](TEntryField field)
{
    return this->*kFieldMembers[static_cast<std::size_t>(field)];
}

const TEntryValue& TJobInputs::operator[](TEntryField field) const
{
    return this->*kFieldMembers[static_cast<std::size_t>(field)];
}

// ---- the job ---------------------------------------------------------------------------------

namespace {

// Material codes of the material label, by material index.
std::string materialCode(int index)
{
    if (index < 0 || index >= static_cast<int>(MaterialTable.size()))
        return "?";
    return MaterialTable[static_cast<std::size_t>(index)].Short;
}

// A result the job shows or hands on must be a number: a value that slipped past the coil's
// own checks is reported like any other arithmetic fault.
void requireFinite(double x, const char* where)
{
    if (!std::isfinite(x))
        throw EMathError(where,
                         std::isnan(x) ? "Invalid floating point operation" : "Floating point overflow");
}

} // namespace

TCoilJob::TCoilJob(INotifier* notifier) : notifier_(notifier)
{
    SetKindDefaults();
}

TCoilJob::~TCoilJob() = default;

double TCoilJob::PressureFromAltitude(double z)
{
    return zmk::PressureFromAltitude(z);
}

double TCoilJob::AltitudeFromPressure(double P)
{
    return zmk::AltitudeFromPressure(P);
}

void TCoilJob::message(std::string_view text)
{
    if (notifier_)
        notifier_->Message(std::string(text));
}

int TCoilJob::Subscribe(TJobListener listener)
{
    listeners_.emplace_back(nextListener_, std::move(listener));
    return nextListener_++;
}

void TCoilJob::Unsubscribe(int id)
{
    std::erase_if(listeners_, [id](const auto& l) { return l.first == id; });
}

void TCoilJob::Notify(const TJobNews& news) const
{
    // By index: a subscriber may subscribe another, which is then told too.
    for (std::size_t i = 0; i < listeners_.size(); ++i)
        listeners_[i].second(news);
}

void TCoilJob::refreshView()
{
    Notify(jcResults);
}

void TCoilJob::SetSolved(bool value)
{
    solved_ = value;
    if (notifier_)
        notifier_->Status(std::string(value ? kSolvedStatus : kNotSolvedStatus));
}

void TCoilJob::WithdrawResults()
{
    lastStatus_ = -1;
    lastError_.clear();
    lastReason_.clear();
    SetSolved(false);
}

void TCoilJob::MarkNotSolved()
{
    WithdrawResults();
    refreshInputsPage();
}

void TCoilJob::refreshInputsPage()
{
    try {
        refreshView();
    } catch (const std::exception& e) {
        // Reached from a field the user leaves: the page error is told, not thrown at the widget.
        message(e.what());
    }
}

void TCoilJob::SetKindDefaults()
{
    zmk::SetKindDefaults(KindCode, StartValues);
}

int TCoilJob::solveCoil()
{
    lastStatus_ = -1;
    lastError_.clear();
    lastReason_.clear();
    try {
        const TSolveStatus status = coil_->Solve();
        lastReason_ = coil_->Reason;
        requireFinite(coil_->Qt, "TCoilJob.Solve");
        requireFinite(airOut_.db, "TCoilJob.Solve");
        requireFinite(airOut_.w, "TCoilJob.Solve");
        requireFinite(liquid_->tfo, "TCoilJob.Solve");
        requireFinite(liquid_->m, "TCoilJob.Solve");
        lastStatus_ = static_cast<int>(status);
    } catch (const std::exception& e) {
        lastError_ = e.what();
        throw;
    }
    return lastStatus_;
}

void TCoilJob::BuildCoil(bool solve)
{
    coil_.reset();
    lastStatus_ = -1;
    lastError_.clear();
    lastReason_.clear();

    const TStartValues& sv = StartValues;
    const std::optional<std::string> kind = CanonicalCoilKind(KindCode);
    if (!kind) {
        message(kCoilKindMessage);
        SetSolved(false);
        return;
    }

    try {
        coil_ = StartCoils ? StartCoils->Make(*kind, sv) : MakeStartCoil(*kind, sv);

        if (StartCoils) {
            airIn_ = StartCoils->State(sv.Pa, sv.dbi, sv.wai, kPairDbW);
            airOut_ = StartCoils->State(sv.Pa, sv.dbo, sv.wao, kPairDbW);
        } else {
            SetState(airIn_, sv.Pa, sv.dbi, sv.wai, kPairDbW);
            SetState(airOut_, sv.Pa, sv.dbo, sv.wao, kPairDbW);
        }

        // The new liquid replaces the old one only now that no coil refers to it.
        liquid_ = MakeStartLiquid(sv);
        coil_->Attach(airIn_, airOut_, *liquid_);
    } catch (const std::exception& e) {
        // Start values that no coil can be built from (say, a stored liquid whose properties
        // have no value): the job is left without a coil rather than with a half-built one.
        coil_.reset();
        lastError_ = e.what();
        message("The coil could not be built from the start values...\r\n\r\n" + lastError_);
        SetSolved(false);
        return;
    }

    try {
        ApplyStartFlows(*coil_, sv);
        // The start values keep no temperature change of their own, but the captured leaving and
        // inlet temperatures differ by it; without this a job under temperature control would
        // come back with the default change instead of the user's.
        const double dt = std::fabs(sv.two - sv.twi);
        if (std::isfinite(dt) && dt >= EntryFieldInfo(TEntryField::edFluidDT).RangeLo)
            coil_->LiquidState->designdt = dt;
        SetSolved(solve && solveCoil() == 0);
    } catch (const std::exception& e) {
        lastError_ = SolveFaultText(*this, e);
        SetSolved(false);
    }
    refreshView();
    showInputs(jcInputs | jcKind);
}

void TCoilJob::ApplyInputs()
{
    if (Inputs.Pending)
        CommitField(*Inputs.Pending);
    if (!coil_)
        return;
    const TJobInputs& in = Inputs;
    // The geometry first: the face area and the tube flow area the velocities are taken against.
    coil_->SetGeometry({in.edFinHeight.Value, in.edFinnedLength.Value, in.edRows.Value, in.edFinDensity.Value,
                        in.edCircuits.Value});
    coil_->SetPressure(PressureFromAltitude(in.edAltitude.Value));
    coil_->SetAirInDryBulb(in.edOnCoil.Value);
    coil_->SetAirInMoisture(in.edHumidityOn.Value);
    if (airFlowByVelocity_)
        coil_->SetFaceVelocity(in.edFaceVelocity.Value);
    else
        coil_->SetAirMassFlow(in.edAirMassflow.Value);
    TLiquidState& ls = *coil_->LiquidState;
    ls.SetInletTemp(in.edFluidInTemp.Value);
    ls.designdt = in.edFluidDT.Value;
    if (liquidFlowByVelocity_)
        ls.SetVelocity(in.edTubeVelocity.Value);
    else
        ls.SetMassFlow(in.edFluidFlow.Value);
    coil_->Spray = in.cbSpray;
}

void TCoilJob::ShowInputs()
{
    showInputs(jcInputs);
}

void TCoilJob::showInputs(unsigned news)
{
    if (!coil_)
        return;
    Inputs.edFinHeight.Value = coil_->GetFinHeight();
    Inputs.edFinnedLength.Value = coil_->GetFinnedLength();
    Inputs.edRows.Value = coil_->GetRows();
    Inputs.edFinDensity.Value = coil_->GetFinDensity();
    Inputs.edCircuits.Value = coil_->GetCircuits();
    Inputs.edAltitude.Value = AltitudeFromPressure(coil_->GetPressure());
    Inputs.edOnCoil.Value = coil_->GetAirInDryBulb();
    Inputs.edHumidityOn.Value = coil_->GetAirInMoisture();
    Inputs.edAirMassflow.Value = coil_->ma;
    Inputs.edFaceVelocity.Value = coil_->Vf;
    Inputs.edFluidType = liquid_->GetShortName();
    ShowLiquidControl();
    const TLiquidState& ls = *coil_->LiquidState;
    Inputs.edFluidInTemp.Value = ls.GetInletTemp();
    Inputs.edFluidDT.Value = ls.designdt;
    Inputs.edFluidFlow.Value = ls.GetMassFlow();
    Inputs.edTubeVelocity.Value = ls.vw;
    Inputs.cbSpray = coil_->Spray;
    airFlowByVelocity_ = false;
    liquidFlowByVelocity_ = false;
    Notify(news);
}

void TCoilJob::ShowLiquidControl()
{
    if (!coil_)
        return;
    const int control = coil_->LiquidState->ctrl;
    Inputs.edLiquidControl = LiquidControlName(control);
    const bool temperature = control == wcTemp;
    Inputs.edFluidDT.Enabled = temperature;
    Inputs.edFluidFlow.Enabled = !temperature;
    Inputs.edTubeVelocity.Enabled = !temperature;
    Notify(jcControl);
}

void TCoilJob::CaptureStartValues()
{
    StartValues = CurrentStartValues();
}

TStartValues TCoilJob::CurrentStartValues() const
{
    if (!coil_)
        return StartValues;
    TStartValues sv = StartValues;
    sv.Pa = coil_->GetPressure();
    sv.dbi = airIn_.db;
    sv.wai = airIn_.w;
    sv.dbo = airOut_.db;
    sv.wao = airOut_.w;
    sv.vf = coil_->Vf;
    sv.LiquidSpec = liquid_->LiquidSpec;
    sv.LiquidCaption = liquid_->Caption;
    sv.WaterAdditive = liquid_->WaterAdditive;
    sv.AdditiveVolume = liquid_->AdditiveVolume;
    sv.UserRo = liquid_->UserRo;
    sv.UserCp = liquid_->UserCp;
    sv.UserMu = liquid_->UserMu;
    sv.UserKo = liquid_->UserKo;
    const TLiquidState& ls = *coil_->LiquidState;
    sv.mw = ls.GetMassFlow();
    sv.twi = ls.GetInletTemp();
    sv.two = ls.GetLeavingTemp();
    sv.LiquidControl = ls.ctrl;
    const TModelRec& rec = coil_->Geometry->Rec;
    sv.CoilMaker = rec.Mnf;
    sv.tube = rec.Tube;
    sv.CoilModel = coil_->GetModel();
    sv.fHeight = rec.fHeight;
    sv.fLength = rec.fLength;
    sv.Rows = rec.Rows;
    sv.fpi = rec.fpi;
    sv.Circ = rec.Circ;
    return sv;
}

void TCoilJob::GeometryChanged()
{
    if (!coil_)
        return;
    coil_->SetModel(coil_->GetModel());
    coil_->SetFaceVelocity(Inputs.edFaceVelocity.Value);
    SetSolved(solveCoil() == 0);
}

bool TCoilJob::StatesInChartRange() const
{
    if (!liquid_)
        return false;
    auto in = [](double v, double lo, double hi) { return v >= lo && v <= hi; };
    bool ok = in(airIn_.db, -60, 80);
    ok = in(airIn_.wb, -60, 80) && ok;
    ok = in(airOut_.db, -60, 80) && ok;
    ok = in(airOut_.wb, -60, 80) && ok;
    ok = in(airIn_.w, 0.0001, 0.1) && ok;
    ok = in(airOut_.w, 0.0001, 0.1) && ok;
    ok = in(liquid_->tfi, -60, 80) && ok;
    return ok;
}

// ---- fields and handlers -----------------------------------------------------------------------

bool TCoilJob::TypeField(TEntryField f, double value)
{
    TEntryValue& fv = field(f);
    if (!fv.Enabled) {
        if (notifier_)
            notifier_->Beep();
        return false;
    }
    const TEntryFieldInfo& info = EntryFieldInfo(f);
    const bool inRange = EntryRangeCheck(value, info.RangeLo, info.RangeHi);
    if (!inRange && notifier_)
        notifier_->Beep();
    fv.Value = value;
    fv.Modified = true;
    Inputs.Pending = f;
    return inRange;
}

void TCoilJob::CommitField(TEntryField f)
{
    if (field(f).Modified)
        inputCommitted(f);
    field(f).Modified = false;
    if (Inputs.Pending == f)
        Inputs.Pending.reset();
}

bool TCoilJob::EnterField(TEntryField f, double value)
{
    const bool inRange = TypeField(f, value);
    CommitField(f);
    return inRange;
}

void TCoilJob::SetInput(TEntryField f, double value)
{
    TEntryValue& fv = field(f);
    fv.Value = value;
    fv.Modified = true;
    CommitField(f);
}

void TCoilJob::SetSpray(bool on)
{
    if (Inputs.cbSpray == on)
        return;
    Inputs.cbSpray = on;
    MarkNotSolved();
}

void TCoilJob::showField(TEntryField f, double value)
{
    field(f).Value = value;
    Notify(TJobNews{jcInputs, f});
}

void TCoilJob::refreshEnteringAir()
{
    const double Pa = PressureFromAltitude(Inputs.edAltitude.Value);
    SetState(airIn_, Pa, Inputs.edOnCoil.Value, Inputs.edHumidityOn.Value, kPairDbW);
}

void TCoilJob::inputCommitted(TEntryField f)
{
    switch (f) {
    case TEntryField::edAltitude:
    case TEntryField::edOnCoil:
    case TEntryField::edHumidityOn:
        enteringAirCommitted();
        break;
    case TEntryField::edAirMassflow:
        airMassFlowCommitted();
        break;
    case TEntryField::edFaceVelocity:
        faceVelocityCommitted();
        break;
    case TEntryField::edFluidFlow:
        liquidFlowCommitted();
        break;
    case TEntryField::edTubeVelocity:
        tubeVelocityCommitted();
        break;
    default:
        // The geometry, the liquid inlet temperature and its change reach the coil at the next
        // ApplyInputs.
        MarkNotSolved();
        break;
    }
}

void TCoilJob::enteringAirCommitted()
{
    refreshEnteringAir();
    MarkNotSolved();
}

void TCoilJob::airMassFlowCommitted()
{
    airFlowByVelocity_ = false;
    if (coil_)
        coil_->SetAirMassFlow(Inputs.edAirMassflow.Value);
    refreshEnteringAir();
    if (coil_)
        showField(TEntryField::edFaceVelocity, coil_->Vf);
    MarkNotSolved();
}

void TCoilJob::faceVelocityCommitted()
{
    // The mass flow shown follows from the coil's present face area; a new fin height or length
    // typed before the next solve moves it, as the velocity is what was given.
    airFlowByVelocity_ = true;
    refreshEnteringAir();
    if (coil_) {
        coil_->SetFaceVelocity(Inputs.edFaceVelocity.Value);
        showField(TEntryField::edAirMassflow, coil_->ma);
    }
    MarkNotSolved();
}

void TCoilJob::liquidFlowCommitted()
{
    liquidFlowByVelocity_ = false;
    if (coil_) {
        coil_->LiquidState->SetMassFlow(Inputs.edFluidFlow.Value);
        showField(TEntryField::edTubeVelocity, coil_->LiquidState->vw);
    }
    MarkNotSolved();
}

void TCoilJob::tubeVelocityCommitted()
{
    liquidFlowByVelocity_ = true; // taken against the tube count at the next ApplyInputs
    if (coil_) {
        coil_->LiquidState->SetVelocity(Inputs.edTubeVelocity.Value);
        showField(TEntryField::edFluidFlow, coil_->LiquidState->GetMassFlow());
    }
    MarkNotSolved();
}

void TCoilJob::ToggleLiquidControl()
{
    if (!coil_)
        return;
    std::uint8_t& ctrl = coil_->LiquidState->ctrl;
    ctrl = ctrl == wcTemp ? wcFlow : wcTemp;
    ShowLiquidControl();
    // A solved job stays solved: its flow and its temperature change are those of the solve,
    // whichever is fixed. The inputs shown of a job that is not solved follow the control.
    if (!solved_)
        refreshInputsPage();
}

void TCoilJob::LiquidChanged()
{
    if (liquid_) {
        Inputs.edFluidType = liquid_->GetShortName();
        StartValues.UserRo = liquid_->UserRo;
        StartValues.UserCp = liquid_->UserCp;
        StartValues.UserMu = liquid_->UserMu;
        StartValues.UserKo = liquid_->UserKo;
        Notify(jcInputs);
    }
    MarkNotSolved();
}

bool TCoilJob::SetLiquidKind(int kind)
{
    if (!liquid_ || kind < 0 || kind >= kLiquidKindCount)
        return false;
    TLiquid& l = *liquid_;
    l.LiquidSpec = kind;
    l.WaterAdditive = 0;
    l.AdditiveVolume = 0;
    l.UserProps = false;
    l.Update();
    l.Caption = l.GetName();
    l.UserRo = l.ro;
    l.UserCp = l.Cp;
    l.UserMu = l.mu;
    l.UserKo = l.Ko;
    l.UserTMin = l.TMin;
    l.UserTMax = l.TMax;
    if (coil_) // the capacity rate and velocity follow the new properties
        coil_->LiquidState->SetMassFlow(l.m);
    LiquidChanged();
    return true;
}

void TCoilJob::NextKind()
{
    KindCode = NextCoilKind(KindCode);
    BuildCoil();
}

void TCoilJob::New()
{
    FileName = DataFolder + "Default" + ".zmx";
    Notify(jcFile);
    SetKindDefaults();
    BuildCoil();
    if (Properties)
        Properties->ResetProperties();
}

bool TCoilJob::readyToSolve()
{
    if (Inputs.Pending)
        CommitField(*Inputs.Pending);
    if (!coil_)
        message(kCoilKindMessage);
    return coil_ != nullptr;
}

void TCoilJob::Solve()
{
    if (!readyToSolve())
        return;
    try {
        ApplyInputs();
        if (const std::string why = EnteringAirProblem(airIn_); !why.empty())
            message(why);
        SetSolved(solveCoil() == 0);
    } catch (const std::exception& e) {
        // Applying the inputs can fail too, before any solve ran: no earlier status stands.
        lastStatus_ = -1;
        lastReason_.clear();
        // An input out of all reason (from a file or the catalogue) is named, rather than the
        // liquid's temperature range blamed for it.
        lastError_ = SolveFaultText(*this, e);
        message(SolveFaultMessage(*this, kNoSolutionMessage));
        // The failed pass has overwritten results, so they are not shown as solved.
        SetSolved(false);
    }
    ShowInputs();
    refreshView();
    Notify(jcProfile);
}

void TCoilJob::StepByStep()
{
    if (!readyToSolve())
        return;
    try {
        ApplyInputs();
        try {
            SetSolved(solveCoil() == 0);
        } catch (...) {
            SetSolved(false);
            throw;
        }
        ShowInputs();
        refreshView();
        if (!solved_) {
            // A solve the coil refused or that did not converge leaves nothing to simulate: the
            // chart would show what an earlier solve left in the coil. Its reason is said instead.
            message(lastReason_.empty() ? std::string(kStepNoSolutionMessage) : lastReason_);
            return;
        }
        double duty = 0;
        coil_->StepByStep(duty);
        requireFinite(duty, "TCoilJob.StepByStep");
        for (const std::vector<double>& row : coil_->StepMatrix)
            for (double t : row)
                requireFinite(t, "TCoilJob.StepByStep");

        TStepChartData chart;
        chart.Matrix = coil_->StepMatrix;
        chart.Duty = duty;
        chart.LastColumn = chart.Matrix.empty() ? -1 : static_cast<int>(chart.Matrix[0].size()) - 1;
        const TLiquidState& ls = *coil_->LiquidState;
        chart.Captions[0] = Format("Duty %0.3g kW", duty);
        chart.Captions[1] = Format("%0.1f - %0.1f °C", ls.GetInletTemp(), ls.GetLeavingTemp());
        chart.Captions[2] = Format("%0.1f - %0.1f °C", coil_->GetAirInDryBulb(), coil_->GetAirOutDryBulb());
        stepChart_ = std::move(chart);
        Notify(jcStepChart);
    } catch (const std::exception& e) {
        lastError_ = SolveFaultText(*this, e);
        message(SolveFaultMessage(*this, kStepNoSolutionMessage));
    }
}

TCoilLabels CoilLabels(const TCoilJob& job)
{
    TCoilLabels labels;
    labels.Kind = UpperCase(job.KindCode);
    if (const TLiquidCoil* coil = job.Coil()) {
        const TModelRec& rec = coil->Geometry->Rec;
        labels.Maker = "Model: " + rec.Mnf + " " + rec.Model;
        labels.Material = materialCode(rec.Mt) + "/" + materialCode(rec.Mf);
    }
    return labels;
}

} // namespace zmk
