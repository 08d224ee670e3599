// The fin-and-tube editor's rules.
#include "dialogs/FatEditor.h"

#include "app/CoilJob.h"
#include "app/InputFaults.h"
#include "base/Errors.h"
#include "base/Notifier.h"
#include "base/NumText.h"
#include "base/TextHelpers.h"
#include "units/ConvTools.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <utility>

namespace zmk {

const TFieldSpec kFatTubeSizeField{"edTubeSize", "Tube Size", utNone, "", "", "%s", 0, 0};
const TFieldSpec kFatFinHeightField{"edFinHeight", "Fin Height", utLengthPrim, "m",
                                    "inch",        "%0.2f",      0.0127,       9.144};
const TFieldSpec kFatFinnedLengthField{
    "edFinnedLength", "Finned Length", utLengthMeasure, "m", "mm", "%0.1f", 0.1, 10.0};
const TFieldSpec kFatRowsField{"edRows", "Rows Deep", utNone, "", "", "%0.1f", 1, 20, ft_Fixed, true};
const TFieldSpec kFatFinDensityField{"edFinDensity", "Fin Density", utFinDensity, "fpi",
                                     "fpi",          "%0.4f",       0.0001,       30};
const TFieldSpec kFatFinPitchField{"edFinPitch", "Fin Pitch", utLengthSmall, "mm", "mm", "%0.4f", 0.1, 40};
const TFieldSpec kFatCircuitsField{"edCircuits", "Circuits", utNone, "",       "",
                                   "%0.1f",      1,          1440,   ft_Fixed, true};
const TFieldSpec kFatDesignDutyField{"edDesignDuty", "Target Duty", utDutyPrim, "kW",
                                     "kW",           "%0.3f",       0.01,       100000};

const std::array<TAutoSizeLabel, 7> kAutoSizeLabels{{
    {"Fin Height", TAutoSize::Height},
    {"Finned Length", TAutoSize::Length},
    {"Rows Deep", TAutoSize::Rows},
    {"Fin Density", TAutoSize::FinDensity},
    {"Fin Pitch", TAutoSize::FinDensity},
    {"Auto Face Area", TAutoSize::FaceArea},
    {"Auto Rows && Fins", TAutoSize::RowsFins},
}};

namespace {

constexpr double kMmPerInch = 25.4;

// The summary's fixed colours.
constexpr const char* kBlack = "#000000";
constexpr const char* kOrangeRed = "#ff4500";
constexpr const char* kIndianRed = "#cd5c5c";

// Where the colour blends of the summary go from black to orange-red.
constexpr double kVfLo = 2.4, kVfHi = 3.1; // face velocity, m/s
constexpr double kAirDpHi = 250;           // air pressure drop, Pa
constexpr double kLiquidDpHi = 70;         // liquid pressure drop, kPa
constexpr double kDryCoilShr = 0.999;      // a sensible heat ratio from here on is a dry coil

TEntryErrorFlag& Flag(TEntryErrorFlag* flag)
{
    return flag ? *flag : EntryErrorFlag();
}

THsl ToHsl(double r, double g, double b)
{
    const double hi = std::max({r, g, b});
    const double lo = std::min({r, g, b});
    THsl c;
    c.L = (hi + lo) / 2;
    const double d = hi - lo;
    if (d == 0)
        return c;
    c.S = c.L > 0.5 ? d / (2 - hi - lo) : d / (hi + lo);
    double h;
    if (hi == r)
        h = (g - b) / d + (g < b ? 6 : 0);
    else if (hi == g)
        h = (b - r) / d + 2;
    else
        h = (r - g) / d + 4;
    c.H = 60 * h;
    return c;
}

double HueChannel(double p, double q, double t)
{
    if (t < 0)
        t += 1;
    if (t > 1)
        t -= 1;
    if (t < 1.0 / 6)
        return p + (q - p) * 6 * t;
    if (t < 0.5)
        return q;
    if (t < 2.0 / 3)
        return p + (q - p) * (2.0 / 3 - t) * 6;
    return p;
}

// A 0..1 channel as 0..255, halves to the even neighbour. The product is first cut to nine
// decimals, so that a true half (40.5 at the middle of the blend) is not tipped either way by
// the last bit of the arithmetic.
int Channel(double v)
{
    const long double x = std::nearbyint(static_cast<long double>(v) * 255 * 1e9L) / 1e9L;
    return static_cast<int>(std::clamp<long long>(Round(x), 0, 255));
}

bool IsWhole(double x)
{
    return std::isfinite(x) && std::fabs(x - std::round(x)) <= 1e-9 * std::max(1.0, std::fabs(x));
}

bool InRange(double v, const TFieldSpec& spec)
{
    return v >= spec.RangeLo && v <= spec.RangeHi;
}

} // namespace

bool ButtonCoilSpecClick(TCoilJob& job, TFatEditor& editor, const std::function<bool()>& showModal)
{
    TLiquidCoil* coil = job.Coil();
    if (!coil || !showModal)
        return false;
    try {
        job.ApplyInputs();
    } catch (const std::exception&) {
        // Inputs the coil refuses: the editor would show a coil that is not the window's.
        job.SetSolved(false);
        if (INotifier* notifier = editor.Notifier())
            notifier->Message(SolveFaultMessage(job, kNoSolutionMessage));
        return false;
    }
    editor.SetCoil(coil);
    editor.OnGeometryChanged = JobGeometryCallback(job);
    editor.SetTargetDuty(coil->Qt);
    // Cancel goes back to the coil as the editor opens on it, whatever the sub-dialogs change.
    editor.Open();
    const bool accepted = showModal();
    // After Cancel too: the editor solved the coil it put back, so the window shows the coil as
    // the job now holds it.
    job.ShowInputs();
    job.Notify(jcResults);
    job.Notify(jcProfile);
    return accepted;
}

// ---- colours -----------------------------------------------------------------------------------

THsl BlendHsl(double value, double lo, double hi)
{
    double t = (value - lo) / (hi - lo);
    if (!std::isfinite(t))
        t = value >= hi ? 1 : 0;
    t = std::clamp(t, 0.0, 1.0);
    const THsl a = ToHsl(0, 0, 0);
    const THsl b = ToHsl(1, 69.0 / 255, 0);
    return {(1 - t) * a.H + t * b.H, (1 - t) * a.S + t * b.S, (1 - t) * a.L + t * b.L};
}

std::string BlendColour(double value, double lo, double hi)
{
    const THsl c = BlendHsl(value, lo, hi);
    double r, g, b;
    if (c.S == 0) {
        r = g = b = c.L;
    } else {
        const double q = c.L < 0.5 ? c.L * (1 + c.S) : c.L + c.S - c.L * c.S;
        const double p = 2 * c.L - q;
        const double h = c.H / 360;
        r = HueChannel(p, q, h + 1.0 / 3);
        g = HueChannel(p, q, h);
        b = HueChannel(p, q, h - 1.0 / 3);
    }
    return LowerCase(Format("#%.2x%.2x%.2x", Channel(r), Channel(g), Channel(b)));
}

// ---- spins -----------------------------------------------------------------------------------

std::optional<double> SpinStepped(double value, double step, double lo, double hi, bool up)
{
    if (!(step > 0) || !std::isfinite(value))
        return std::nullopt;
    const double v = static_cast<double>(Round(value / step + (up ? 1 : -1))) * step;
    if (v < lo || v > hi)
        return std::nullopt;
    return v;
}

std::optional<double> SpinRows(double rows, bool up)
{
    if (!std::isfinite(rows))
        return std::nullopt;
    const long long r = Round(std::clamp(rows, -1e6, 1e6));
    const bool odd = r % 2 != 0;
    const long long v = up ? (r < 6 || odd ? r + 1 : r + 2) : (r < 8 || odd ? r - 1 : r - 2);
    if (v < 1 || v > 20)
        return std::nullopt;
    return static_cast<double>(v);
}

std::optional<double> SpinFinDensity(double fpi, bool up)
{
    if (!std::isfinite(fpi))
        return std::nullopt;
    const long long n = Round(std::clamp(fpi, -1e6, 1e6));
    const bool even = n % 2 == 0;
    const double v = static_cast<double>(up ? (even ? n + 2 : n + 1) : (even ? n - 2 : n - 1));
    if (v < kFatFinDensityField.RangeLo || v > kFatFinDensityField.RangeHi)
        return std::nullopt;
    return v;
}

std::optional<double> SpinFinPitch(double pitch, bool up)
{
    if (!std::isfinite(pitch))
        return std::nullopt;
    double v;
    if (up) {
        if (!(pitch < kFatFinPitchField.RangeHi))
            return std::nullopt;
        v = std::trunc(pitch + 1);
    } else {
        if (!(pitch > kFatFinPitchField.RangeLo + 1))
            return std::nullopt;
        v = pitch != std::trunc(pitch) ? std::trunc(pitch) : pitch - 1;
    }
    if (!InRange(v, kFatFinPitchField))
        return std::nullopt;
    return v;
}

std::optional<double> SpinCircuits(double rows, int tubesHigh, double tubeCount, double circuits, bool up)
{
    const double tubes = rows * tubesHigh;
    if (!(tubes > 0) || !std::isfinite(tubes) || !std::isfinite(circuits))
        return std::nullopt;
    const double perCircuit = tubes / std::max(circuits, 1.0);
    std::optional<double> result;
    if (up) {
        // Fewer tubes per circuit: more circuits.
        long long k = Round(perCircuit);
        for (;;) {
            --k;
            if (k < 1) {
                result = tubes;
                break;
            }
            if (IsWhole(tubes / static_cast<double>(k))) {
                result = tubes / static_cast<double>(k);
                break;
            }
        }
    } else {
        long long k = Trunc(perCircuit);
        for (;;) {
            ++k;
            if (static_cast<double>(k) > tubeCount)
                break;
            if (IsWhole(tubes / static_cast<double>(k))) {
                result = tubes / static_cast<double>(k);
                break;
            }
        }
    }
    if (result) {
        // A quotient that is a whole number is shown as one.
        if (IsWhole(*result))
            *result = std::round(*result);
        if (!InRange(*result, kFatCircuitsField))
            return std::nullopt;
    }
    return result;
}

std::string CircuitPictureFile(const std::string& programFolder, double rows, double tubeCount,
                               double circuits)
{
    const double perCircuit = circuits != 0 ? tubeCount / circuits : 0;
    return programFolder + Format("../Spirello/Images/%0.0fr%0.0ft.png", rows, perCircuit);
}

// ---- the editor --------------------------------------------------------------------------------

TFatEditor::TFatEditor(ISettingsStore& programSettings, ISettingsStore& besideProgram, TCoilMakers& catalogue,
                       std::string commonDataFolder, std::string programFolder, INotifier* notifier,
                       TEntryErrorFlag* entryError)
    : edTubeSize(Flag(entryError)), edFinHeight(Flag(entryError)), edFinnedLength(Flag(entryError)),
      edRows(Flag(entryError)), edFinDensity(Flag(entryError)), edFinPitch(Flag(entryError)),
      edCircuits(Flag(entryError)), edDesignDuty(Flag(entryError)), settings_(programSettings),
      commonFolder_(std::move(commonDataFolder)), programFolder_(std::move(programFolder)),
      notifier_(notifier), place_(kFatFormSection), coilMaker_(besideProgram, catalogue),
      designSettings_(programSettings, commonFolder_, notifier, entryError)
{
    const std::string_view s = kFatFormSection;
    // Labels first: attaching one shows the unit's own format, which the description overrides.
    edFinHeight.SetUnitsLabel(&lbFinHeightUnits);
    edFinnedLength.SetUnitsLabel(&lbFinnedLengthUnits);
    edFinDensity.SetUnitsLabel(&lbFinDensityUnits);
    edFinPitch.SetUnitsLabel(&lbFinPitchUnits);
    edDesignDuty.SetUnitsLabel(&lbDesignDutyUnits);
    ConfigureField(edTubeSize, kFatTubeSizeField);
    edTubeSize.SetReadOnly(true);
    ConfigureField(edFinHeight, kFatFinHeightField, settings_.ReadInteger(s, "FinHeightUnits", 3));
    ConfigureField(edFinnedLength, kFatFinnedLengthField, settings_.ReadInteger(s, "FinnedLengthUnits", 2));
    ConfigureField(edRows, kFatRowsField);
    ConfigureField(edFinDensity, kFatFinDensityField, settings_.ReadInteger(s, "FinDensityUnits", 0));
    ConfigureField(edFinPitch, kFatFinPitchField, settings_.ReadInteger(s, "FinPitchUnits", 0));
    ConfigureField(edCircuits, kFatCircuitsField);
    ConfigureField(edDesignDuty, kFatDesignDutyField, settings_.ReadInteger(s, "DesignDutyUnits", 0));
    edFinHeight.OnExit = [this](TFmtEdit&) { edFinHeightExit(); };
    edFinnedLength.OnExit = [this](TFmtEdit&) { edFinnedLengthExit(); };
    edRows.OnExit = [this](TFmtEdit&) { edRowsExit(); };
    edFinDensity.OnExit = [this](TFmtEdit&) { edFinDensityExit(); };
    edFinPitch.OnExit = [this](TFmtEdit&) { edFinPitchExit(); };
    edCircuits.OnExit = [this](TFmtEdit&) { edCircuitsExit(); };
}

void TFatEditor::RestoreWindowPlace(TWindowPlace& place, TScreenSize screen) const
{
    RestoreWindow(settings_, place_.Name(), place, screen, false, place_.WithSize());
}

std::vector<std::string> TFatEditor::MaterialNames()
{
    std::vector<std::string> names;
    for (const TMaterial& m : MaterialTable)
        names.emplace_back(m.Short);
    return names;
}

TLiquidCoil* TFatEditor::liquidCoil() const
{
    return dynamic_cast<TLiquidCoil*>(coil_);
}

void TFatEditor::Open()
{
    snapshot_.Drop();
    Activate();
}

void TFatEditor::Activate()
{
    result_ = TDialogResult::None;
    if (!coil_)
        return;
    if (snapshot_.Taken()) {
        ShowGeometry();
        ShowSummary();
        return;
    }
    TSaved saved;
    saved.Rec = coil_->Geometry->Rec;
    saved.Va = coil_->Va;
    if (TLiquidCoil* lc = liquidCoil(); lc && lc->LiquidState && lc->LiquidState->Liquid) {
        const TLiquidState& state = *lc->LiquidState;
        saved.Liquid = TSavedLiquid{state.GetMassFlow(), state.GetLeavingTemp(), state.designdt, state.ctrl};
    }
    snapshot_.Take(saved);
    ShowGeometry();
    ShowSummary();
}

void TFatEditor::Accept(TFmtEdit* focused)
{
    if (focused)
        focused->Exit();
    snapshot_.Drop();
    result_ = TDialogResult::Ok;
}

void TFatEditor::Cancel()
{
    result_ = TDialogResult::Cancel;
    if (!coil_ || !snapshot_.Taken())
        return;
    TSaved saved;
    snapshot_.PutBack(saved);
    coil_->SetModelRecord(saved.Rec);
    // The tube data (wall, and the liquid's flow area) follow the record, so that the liquid
    // flow put back gives the tube velocity of the restored circuits.
    coil_->UpdateTubeData();
    coil_->SetAirVolumeFlow(saved.Va);
    // A sizing run also set the liquid side up for its duty (control, temperature change,
    // leaving temperature and flow): that goes back too.
    if (TLiquidCoil* lc = liquidCoil(); lc && lc->LiquidState && saved.Liquid) {
        TLiquidState& state = *lc->LiquidState;
        state.ctrl = saved.Liquid->Control;
        state.designdt = saved.Liquid->TemperatureChange;
        try {
            state.SetLeavingTemp(saved.Liquid->LeavingTemp);
        } catch (const ZmkError&) {
        }
        state.SetMassFlow(saved.Liquid->MassFlow);
    }
    ShowGeometry();
    NotifyGeometry();
}

void TFatEditor::Close(const TWindowPlace* windowPlace)
{
    const std::string_view s = kFatFormSection;
    if (windowPlace)
        StoreWindow(settings_, place_.Name(), *windowPlace);
    settings_.WriteInteger(s, "DesignDutyUnits", edDesignDuty.UnitsValue());
    settings_.WriteInteger(s, "FinHeightUnits", edFinHeight.UnitsValue());
    settings_.WriteInteger(s, "FinnedLengthUnits", edFinnedLength.UnitsValue());
    settings_.WriteInteger(s, "FinDensityUnits", edFinDensity.UnitsValue());
    settings_.WriteInteger(s, "FinPitchUnits", edFinPitch.UnitsValue());
}

// ---- showing -----------------------------------------------------------------------------------

void TFatEditor::ShowGeometry()
{
    if (!coil_)
        return;
    const TModelRec& rec = coil_->Geometry->Rec;
    edTubeSize.SetValue(rec.Model);
    edFinHeight.SetValue(coil_->GetFinHeight());
    edFinnedLength.SetValue(coil_->GetFinnedLength());
    edRows.SetValue(coil_->GetRows());
    edFinDensity.SetValue(coil_->GetFinDensity());
    edCircuits.SetValue(coil_->GetCircuits());
    edFinPitch.SetValue(kMmPerInch / coil_->GetFinDensity());
    showSerpentine();
    tubeMaterial_ = rec.Mt;
    finMaterial_ = rec.Mf;
    casingMaterial_ = rec.Mc;
}

void TFatEditor::showSerpentine()
{
    if (coil_)
        serpentine_ = SerpentineName(coil_->GetSerp());
}

void TFatEditor::NotifyGeometry()
{
    if (OnGeometryChanged) {
        // The main window's solve may fail on the new geometry; the summary then says so.
        try {
            OnGeometryChanged();
        } catch (const std::exception&) {
        }
    }
    ShowSummary();
}

void TFatEditor::ReapplyAirFlow()
{
    if (!coil_)
        return;
    if (KeepAirflow)
        coil_->SetAirVolumeFlow(coil_->Va);
    else
        coil_->SetAirVolumeFlow(coil_->GetAf() * coil_->Vf);
}

void TFatEditor::ShowSummary()
{
    summary_ = {"<html>",
                "<head>",
                "<style>",
                "body {font-family:arial;margin:0;padding:0}",
                "ul {font-size:8pt;list-style-type:circle;margin-top:5px}",
                "</style>",
                "</head>",
                "<body>",
                "<ul>"};
    std::vector<std::string>& s = summary_;
    // A sizing run is reported on the summary right after it only.
    std::optional<std::pair<TAutoSize, double>> check = std::exchange(autoSizeToCheck_, std::nullopt);
    auto reportSizing = [&] {
        if (check && !autoSizeResult_.Message.empty())
            s.push_back(
                Format("<li style=\"color:%s\">%s</li>", kOrangeRed, HtmlEscape(autoSizeResult_.Message)));
        check.reset();
    };
    try {
        if (!coil_)
            throw ZmkError("TFatEditor.ShowSummary", "no coil");
        TCoil& c = *coil_;
        TFinAndTube& g = *c.Geometry;
        const std::string designation = g.MakerDesignation();
        caption_ = designation.empty() ? c.GetModel() : g.Rec.Mnf + ": " + designation;

        const TSolveStatus status = c.Solve();
        if (check) {
            CheckAutoSize(c, check->first, check->second, autoSizeResult_);
            reportSizing();
        }
        TQuantities& q = Quantities();
        const double rows = c.GetRows();
        const double circuits = c.GetCircuits();
        const double tpc = circuits != 0 ? std::trunc(rows * g.TubesHigh / circuits) : 0;
        const double unlinked = g.TubeCount - tpc * circuits;
        auto text = [](UnitRec& quantity, double v) { return QuantityText(quantity, true, "\t", false, v); };

        s.push_back(FormatQuantity("<li>Face Area = %s %s</li>", q.hex_area, false, c.GetAf()));
        s.push_back(Format("<li>L/H = %0.3f</li>", c.GetFinnedLength() / c.GetFinHeight()));
        s.push_back(FormatQuantity("<li>Ao = %s %s</li>", q.hex_area, false, c.Ao));
        s.push_back(FormatQuantity("<li>Dry Weight = %s %s</li>", q.hex_mass, false, g.Weight()));
        s.push_back(Format("<li>%d tubes high</li>", g.TubesHigh));
        s.push_back(Format("<li>%0.0f tubes per circuit</li>", tpc));
        s.push_back(Format("<li style=\"color:%s\">%0.0f unlinked tubes</li>",
                           unlinked > 1 ? kOrangeRed : kBlack, unlinked));
        s.push_back(Format("<li style=\"color:%s\">%s side conns.</li>",
                           g.Connections == 1 ? kIndianRed : kBlack, ConnectionName(g.Connections)));
        s.push_back(Format("<li style=\"color:%s\">Air Vf = %s</li>", BlendColour(c.Vf, kVfLo, kVfHi),
                           text(q.air_v, c.Vf)));
        const double airDp = c.AirPressureDrop();
        s.push_back(Format("<li style=\"color:%s\">Air dP = %s</li>", BlendColour(airDp, 0, kAirDpHi),
                           text(q.air_dp, airDp)));
        if (TLiquidCoil* lc = liquidCoil()) {
            s.push_back(Format("<li>Vw = %s</li>", text(q.liquid_v, lc->LiquidState->vw)));
            const double liquidDp = lc->LiquidPressureDrop();
            const std::string caption = lc->Liquid ? HtmlEscape(lc->Liquid->Caption) : std::string();
            s.push_back(Format("<li style=\"color:%s\">%s dP = %s</li>",
                               BlendColour(liquidDp, 0, kLiquidDpHi), caption, text(q.liquid_dp, liquidDp)));
        }
        if (status == TSolveStatus::None) {
            s.push_back(Format("<li style=\"color:%s\">Total Duty = %s</li>", BlendColour(c.e, 1, 0),
                               text(q.hex_duty, c.Qt)));
            if (dynamic_cast<TColdWaterCoil*>(coil_)) {
                // A coil without duty has no sensible heat ratio: it counts as dry.
                const double shr = c.Qt != 0 ? c.Qs / c.Qt : 1;
                if (shr < kDryCoilShr) {
                    const std::string colour = BlendColour(c.BypassFactor, 0, 1);
                    s.push_back(Format("<li style=\"color:%s\">Sensible Duty = %s</li>", colour,
                                       text(q.hex_duty, c.Qs)));
                    s.push_back(Format("<li style=\"color:%s\">SHR = %0.3f</li>", colour, shr));
                } else {
                    s.push_back("<li>dry coil surface...</li>");
                }
            }
        }
    } catch (const std::exception&) {
        reportSizing(); // as the sizing itself found it, when the coil then had no solution
        s.push_back("coil not solved...");
        page_ = s;
        picture_.clear();
        return;
    }
    s.push_back("</ul>");
    s.push_back("</body>");
    s.push_back("</html>");
    page_ = s;
    picture_.clear();
}

// ---- fields --------------------------------------------------------------------------------------

bool TFatEditor::fieldValue(TFmtEdit& field, double& value)
{
    const std::optional<double> v = ReadFieldNumber(field);
    if (!v) {
        // Text that is no number: the fields show the coil as it is.
        ShowGeometry();
        if (notifier_)
            notifier_->Beep();
        return false;
    }
    value = *v;
    return true;
}

void TFatEditor::finHeightLeave(double H)
{
    if (!coil_)
        return;
    TFinAndTube& g = *coil_->Geometry;
    const double twoPitches = 2 * g.GetSy();
    if (H < twoPitches)
        H = twoPitches;
    edFinHeight.SetValue(H);
    const double serpentine =
        SerpentineTable[static_cast<std::size_t>(std::clamp(g.GetSerp(), 0, 141))].Value;
    coil_->SetFinHeight(H);
    ReapplyAirFlow();
    coil_->SetCircuits(serpentine * (g.GetCircuitBasis() == 1 ? coil_->GetRows() : g.TubesHigh));
    edCircuits.SetValue(coil_->GetCircuits());
    NotifyGeometry();
    showSerpentine();
}

void TFatEditor::finnedLengthLeave(double L)
{
    if (!coil_)
        return;
    edFinnedLength.SetValue(L);
    coil_->SetFinnedLength(L);
    ReapplyAirFlow();
    NotifyGeometry();
}

void TFatEditor::circuitsLeave(double n)
{
    if (!coil_)
        return;
    edCircuits.SetValue(n);
    coil_->SetCircuits(n);
    showSerpentine();
    NotifyGeometry();
}

void TFatEditor::edFinHeightExit()
{
    double H;
    if (edFinHeight.Modified() && fieldValue(edFinHeight, H))
        finHeightLeave(H);
}

void TFatEditor::edFinnedLengthExit()
{
    double L;
    if (edFinnedLength.Modified() && fieldValue(edFinnedLength, L))
        finnedLengthLeave(L);
}

void TFatEditor::edRowsExit()
{
    double rows;
    if (!edRows.Modified() || !coil_ || !fieldValue(edRows, rows))
        return;
    coil_->SetRows(rows);
    NotifyGeometry();
    showSerpentine();
}

void TFatEditor::edFinDensityExit()
{
    double fpi;
    if (!edFinDensity.Modified() || !coil_ || !fieldValue(edFinDensity, fpi))
        return;
    coil_->SetFinDensity(fpi);
    edFinPitch.SetValue(kMmPerInch / fpi);
    NotifyGeometry();
}

void TFatEditor::edFinPitchExit()
{
    double pitch;
    if (!edFinPitch.Modified() || !coil_ || !fieldValue(edFinPitch, pitch))
        return;
    edFinDensity.SetValue(kMmPerInch / pitch);
    coil_->SetFinDensity(kMmPerInch / pitch);
    edFinPitch.SetValue(kMmPerInch / coil_->GetFinDensity());
    NotifyGeometry();
}

void TFatEditor::edCircuitsExit()
{
    double n;
    if (edCircuits.Modified() && fieldValue(edCircuits, n))
        circuitsLeave(n);
}

void TFatEditor::TubeMaterialChange(int index)
{
    if (!coil_ || index < 0 || index >= static_cast<int>(MaterialTable.size()))
        return;
    tubeMaterial_ = index;
    coil_->SetTubeMaterial(index);
    NotifyGeometry();
}

void TFatEditor::FinMaterialChange(int index)
{
    if (!coil_ || index < 0 || index >= static_cast<int>(MaterialTable.size()))
        return;
    finMaterial_ = index;
    coil_->SetFinMaterial(index);
    NotifyGeometry();
}

void TFatEditor::CasingMaterialChange(int index)
{
    if (!coil_ || index < 0 || index >= static_cast<int>(MaterialTable.size()))
        return;
    casingMaterial_ = index;
    coil_->Geometry->Rec.Mc = static_cast<std::uint8_t>(index);
    NotifyGeometry();
}

// ---- spins -----------------------------------------------------------------------------------------

bool TFatEditor::SpinTakesFocus(TFatSpin spin)
{
    return spin == TFatSpin::Rows || spin == TFatSpin::FinDensity || spin == TFatSpin::FinPitch;
}

void TFatEditor::Spin(TFatSpin spin, bool up)
{
    if (!coil_)
        return;
    TFinAndTube& g = *coil_->Geometry;
    switch (spin) {
    case TFatSpin::FinHeight: {
        double H;
        if (!fieldValue(edFinHeight, H))
            return;
        const auto v =
            SpinStepped(H, 2 * g.GetSy(), kFatFinHeightField.RangeLo, kFatFinHeightField.RangeHi, up);
        if (!v)
            return;
        finHeightLeave(*v);
        return;
    }
    case TFatSpin::FinnedLength: {
        double L;
        if (!fieldValue(edFinnedLength, L))
            return;
        const auto v = SpinStepped(L, 0.1, kFatFinnedLengthField.RangeLo, kFatFinnedLengthField.RangeHi, up);
        if (!v)
            return;
        finnedLengthLeave(*v);
        return;
    }
    case TFatSpin::Rows: {
        double rows;
        if (!fieldValue(edRows, rows))
            return;
        const auto v = SpinRows(rows, up);
        if (!v)
            return;
        coil_->SetRows(*v);
        edRows.SetValue(*v);
        const double circuits = coil_->GetCircuits();
        if (circuits > 0 && *v * g.TubesHigh / circuits < 1) {
            coil_->SetCircuits(*v * g.TubesHigh);
            edCircuits.SetValue(coil_->GetCircuits());
        }
        NotifyGeometry();
        showSerpentine();
        return;
    }
    case TFatSpin::FinDensity: {
        double fpi;
        if (!fieldValue(edFinDensity, fpi))
            return;
        const auto v = SpinFinDensity(fpi, up);
        if (!v)
            return;
        coil_->SetFinDensity(*v);
        edFinDensity.SetValue(*v);
        edFinPitch.SetValue(kMmPerInch / *v);
        NotifyGeometry();
        return;
    }
    case TFatSpin::FinPitch: {
        double pitch;
        if (!fieldValue(edFinPitch, pitch))
            return;
        const auto v = SpinFinPitch(pitch, up);
        if (!v)
            return;
        edFinDensity.SetValue(kMmPerInch / *v);
        coil_->SetFinDensity(kMmPerInch / *v);
        edFinPitch.SetValue(kMmPerInch / coil_->GetFinDensity());
        NotifyGeometry();
        return;
    }
    case TFatSpin::Circuits: {
        double circuits;
        if (!fieldValue(edCircuits, circuits))
            return;
        const auto v = SpinCircuits(coil_->GetRows(), g.TubesHigh, g.TubeCount, circuits, up);
        if (!v)
            return;
        edCircuits.SetValue(*v);
        showSerpentine();
        circuitsLeave(*v);
        return;
    }
    }
}

// ---- buttons and labels ----------------------------------------------------------------------------

void TFatEditor::AutoSizeClick(TAutoSize mode)
{
    if (!coil_)
        return;
    double duty;
    if (!fieldValue(edDesignDuty, duty))
        return;
    try {
        autoSizeResult_ = RunAutoSize(*coil_, mode, KeepAirflow, duty);
    } catch (const std::exception&) {
        // The grid searches have no trap of their own: a trial that cannot be solved ends the
        // search where it stands, as the area searches do.
        autoSizeResult_ = TAutoSizeResult{};
        autoSizeResult_.Operation = TSolveStatus::DataError;
        autoSizeResult_.OperationReason = "The coil could not be sized: a trial rating had no solution...";
        coil_->Status = TSolveStatus::DataError;
    }
    // The summary checks the coil as the window then rates it, and says a target not met.
    autoSizeToCheck_.emplace(mode, duty);
    ShowGeometry();
    NotifyGeometry();
}

void TFatEditor::SerpentineLabelClick()
{
    if (!coil_)
        return;
    const std::string file = CircuitPictureFile(programFolder_, coil_->GetRows(), coil_->Geometry->TubeCount,
                                                coil_->GetCircuits());
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) {
        // No circuiting program's picture: the editor's own drawing of the coil's circuits.
        picture_ = kDrawnCircuitPicture;
        page_ = {"<html>",
                 "<head>",
                 "</head>",
                 "<body>",
                 std::string("<img src=\"") + kDrawnCircuitPicture + "\">",
                 "<p><small>A standard serpentine from the rows, tubes high and circuits; the coil "
                 "holds no lacing of its own.</small></p>",
                 "</body>",
                 "</html>"};
        return;
    }
    picture_ = file;
    page_ = {
        "<html>",  "<head>", "</head>", "<body>", "<img src=\"" + HtmlEscape(file) + "\" height=\"220\">",
        "</body>", "</html>"};
}

TCircuitLacing TFatEditor::CircuitLacing() const
{
    if (!coil_ || !coil_->Geometry)
        return {};
    return CoilLacing(*coil_->Geometry);
}

void TFatEditor::TubeSizeClick(const std::function<bool(TCoilMaker&)>& showModal)
{
    if (!coil_ || !showModal)
        return;
    coilMaker_.SetRecord(coil_->Geometry->Rec);
    if (!showModal(coilMaker_))
        return;
    coil_->SetModelRecord(coilMaker_.Record());
    coil_->UpdateTubeData();
    // The fin height stays a whole number of tube pairs of the new pattern.
    const double s = 2 * coil_->Geometry->GetSy();
    if (s > 0) {
        double H = static_cast<double>(Round(coil_->GetFinHeight() / s)) * s;
        if (H < s)
            H = s;
        coil_->SetFinHeight(H);
    }
    ShowGeometry();
    NotifyGeometry();
    showSerpentine();
}

void TFatEditor::SettingsClick(const std::function<void(TDesignSettings&)>& showModal)
{
    if (!coil_)
        return;
    designSettings_.Open(*coil_);
    const TAirSideMethod method = coil_->AirSideMethod;
    if (showModal)
        showModal(designSettings_);
    if (const std::optional<double> n = ReadFieldNumber(edCircuits))
        coil_->SetCircuits(*n);
    showSerpentine();
    // Another air-side method rates the coil anew: the summary and the window must not keep the
    // other method's result.
    if (coil_->AirSideMethod != method)
        NotifyGeometry();
}

} // namespace zmk
