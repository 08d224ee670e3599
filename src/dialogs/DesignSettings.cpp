// The design settings' rules.
#include "dialogs/DesignSettings.h"

#include "base/Errors.h"
#include "base/Notifier.h"
#include "base/NumText.h"
#include "engine/HeatExchanger.h"
#include "properties/Psy.h"

#include <algorithm>
#include <cmath>

namespace zmk {

const TFieldSpec kDesignAspectField{"edAspect", "Aspect Ratio", utNone, "", "", "%0.1f", 0.2, 5.0};
const TFieldSpec kDesignVfField{"edDesignVf", "Face Velocity", utVelocity, "m/s", "m/s", "%0.2f", 0.2, 5.0};
const TFieldSpec kDesignAirOnField{"edAirOn", "Inlet Air Temp", utTemperature, "°C", "°C", "%0.1f/%0.1f", 0,
                                   0};
const TFieldSpec kDesignFluidInField{
    "edFluidIn", "Inlet Fluid Temp", utTemperature, "°C", "°C", "%0.1f", 0, 0};
const TFieldSpec kDesignRowsField{"edRows", "Rows Deep", utNone, "", "", "%0.1f", 3, 6};
const TFieldSpec kDesignFinsField{"edFins", "Fin Density", utFinDensity, "fpi", "fpi", "%0.4f", 8, 12};

namespace {

constexpr double kStandardPressure = 101.325; // kPa

TEntryErrorFlag& Flag(TEntryErrorFlag* flag)
{
    return flag ? *flag : EntryErrorFlag();
}

// v held in lo..hi, rounded to a whole number first (halves to even) when whole is set; a value
// that is no number becomes the fallback.
double Limited(double v, double lo, double hi, bool whole, double fallback)
{
    if (!std::isfinite(v))
        v = fallback;
    if (whole)
        v = static_cast<double>(Round(std::clamp(v, -1e9, 1e9)));
    return std::clamp(v, lo, hi);
}

} // namespace

TDesignSettings::TDesignSettings(ISettingsStore& programSettings, std::string commonDataFolder,
                                 INotifier* notifier, TEntryErrorFlag* entryError)
    : edAspect(Flag(entryError)), edDesignVf(Flag(entryError)), edAirOn(Flag(entryError)),
      edFluidIn(Flag(entryError)), edRows(Flag(entryError)), edFins(Flag(entryError)),
      settings_(programSettings), folder_(std::move(commonDataFolder)), notifier_(notifier),
      place_(kCoilSettingsSection)
{
    // Labels first: attaching one shows the unit's own format, which the description overrides.
    edDesignVf.SetUnitsLabel(&lbVfUnits);
    edAirOn.SetUnitsLabel(&lbAirOnUnits);
    edFluidIn.SetUnitsLabel(&lbFluidInUnits);
    edFins.SetUnitsLabel(&lbFinsUnits);
    ConfigureField(edAspect, kDesignAspectField);
    ConfigureField(edDesignVf, kDesignVfField);
    ConfigureField(edAirOn, kDesignAirOnField);
    ConfigureField(edFluidIn, kDesignFluidInField);
    ConfigureField(edRows, kDesignRowsField);
    ConfigureField(edFins, kDesignFinsField);
    edAspect.OnExit = [this](TFmtEdit&) { edAspectExit(); };
    edDesignVf.OnExit = [this](TFmtEdit&) { edDesignVfExit(); };
    edAirOn.OnExit = [this](TFmtEdit&) { edAirOnExit(); };
    edFluidIn.OnExit = [this](TFmtEdit&) { edFluidInExit(); };
    edRows.OnExit = [this](TFmtEdit&) { edRowsExit(); };
    edFins.OnExit = [this](TFmtEdit&) { edFinsExit(); };
}

void TDesignSettings::RestoreWindowPlace(TWindowPlace& place, TScreenSize screen) const
{
    RestoreWindow(settings_, place_.Name(), place, screen, false, place_.WithSize());
}

void TDesignSettings::Open(TCoil& coil)
{
    coil_ = &coil;
    const std::string_view s = kCoilSettingsSection;
    // Values from another program version or edited by hand are held in the limits the fields
    // keep, so the sizing never starts from an aspect ratio or face velocity of 0.
    edAspect.SetValue(Limited(settings_.ReadFloat(s, "DesignAspect", coil.DefaultAspect), kAspectLo,
                              kAspectHi, false, coil.DefaultAspect));
    edDesignVf.SetValue(Limited(settings_.ReadFloat(s, "DesignVf", coil.DefaultVf), kDesignVfLo, kDesignVfHi,
                                false, coil.DefaultVf));
    edRows.SetValue(Limited(settings_.ReadFloat(s, "DesignRows", coil.DefaultRows), kDesignRowsLo,
                            kDesignRowsHi, true, coil.DefaultRows));
    edFins.SetValue(Limited(settings_.ReadFloat(s, "DesignFins", coil.DefaultFins), kDesignFinsLo,
                            kDesignFinsHi, true, coil.DefaultFins));
    airOn_ = settings_.ReadString(s, "DesignAirOn", coil.DesignAirOn);
    edAirOn.SetValue(airOn_);
    edFluidIn.SetValue(Limited(settings_.ReadFloat(s, "DesignFluidIn", coil.DesignFluidIn), kFluidInLo,
                               kFluidInHi, true, coil.DesignFluidIn));
    UseFouling = settings_.ReadBool(s, "UseFouling", coil.UseFouling);
    FoulingInDuty = settings_.ReadBool(s, "FoulingInDuty", coil.FoulingInDuty);
    AirSideMethod = coil.AirSideMethod;
    applyToCoil();
}

std::string TDesignSettings::FinSurfaceText() const
{
    if (!coil_ || !coil_->Geometry)
        return {};
    const TFinSurface& fin = coil_->Geometry->Rec.Fin;
    std::string text = "Fins: " + FinTypeName(fin.Type);
    const auto mm = [](double a, double b) { return Format("%0.3g x %0.3g mm", a * 1000, b * 1000); };
    // The published method takes its defaults for the dimensions the pattern leaves out.
    if (fin.Type == TFinType::Louvered)
        text += fin.LouverPitch > 0 && fin.LouverHeight > 0
                    ? ", louvers " + mm(fin.LouverPitch, fin.LouverHeight) + " (pitch x height)"
                    : ", louvers not given (defaults taken)";
    else if (fin.Type == TFinType::Wavy)
        text += fin.WaveDepth > 0 && fin.WavePitch > 0
                    ? ", waves " + mm(fin.WaveDepth, fin.WavePitch) + " (depth x half wave)"
                    : ", waves not given (defaults taken)";
    return text + " (from the coil's pattern; the published method reads it, the standard one does not)";
}

void TDesignSettings::RestoreDefaults()
{
    if (!coil_)
        return;
    edAspect.SetValue(coil_->DefaultAspect);
    edDesignVf.SetValue(coil_->DefaultVf);
    edRows.SetValue(coil_->DefaultRows);
    edFins.SetValue(coil_->DefaultFins);
    airOn_ = coil_->DesignAirOn;
    edAirOn.SetValue(airOn_);
    edFluidIn.SetValue(coil_->DesignFluidIn);
    // The coil's own flag is the remembered one once the dialog has opened on it: the default is
    // the one every coil is built with.
    UseFouling = kDefaultUseFouling;
    FoulingInDuty = kDefaultFoulingInDuty;
    AirSideMethod = TAirSideMethod::Standard;
}

void TDesignSettings::limitField(TFmtEdit& field, double lo, double hi, bool whole, double fallback)
{
    if (!field.Modified())
        return;
    const std::optional<double> v = ReadFieldNumber(field);
    if (!v && notifier_)
        notifier_->Beep();
    field.SetValue(Limited(v.value_or(fallback), lo, hi, whole, fallback));
}

void TDesignSettings::edAspectExit()
{
    limitField(edAspect, kAspectLo, kAspectHi, false, coil_ ? coil_->DesignAspect : 1.4);
}

void TDesignSettings::edDesignVfExit()
{
    limitField(edDesignVf, kDesignVfLo, kDesignVfHi, false, coil_ ? coil_->DesignVf : 2.5);
}

void TDesignSettings::edAirOnExit()
{
    if (!edAirOn.Modified())
        return;
    try {
        airOn_ = NormalizeAirState(edAirOn.GetValue().AsText(), airPressure(), kDesignAirOnRh);
    } catch (const ZmkError&) {
        // Text that is no air state: the field shows the one it held.
        if (notifier_)
            notifier_->Beep();
    }
    edAirOn.SetValue(airOn_);
}

void TDesignSettings::edFluidInExit()
{
    limitField(edFluidIn, kFluidInLo, kFluidInHi, true, coil_ ? coil_->DesignFluidIn : 0);
}

void TDesignSettings::edRowsExit()
{
    limitField(edRows, kDesignRowsLo, kDesignRowsHi, true, coil_ ? coil_->DesignRows : 4);
}

void TDesignSettings::edFinsExit()
{
    limitField(edFins, kDesignFinsLo, kDesignFinsHi, true, coil_ ? coil_->DesignFins : 10);
}

void TDesignSettings::Close(const TWindowPlace* windowPlace)
{
    const std::string_view s = kCoilSettingsSection;
    if (windowPlace)
        StoreWindow(settings_, place_.Name(), *windowPlace);
    const auto number = [](const TFmtEdit& field, double fallback) {
        return ReadFieldNumber(field).value_or(fallback);
    };
    settings_.WriteFloat(s, "DesignAspect", number(edAspect, 1.4));
    settings_.WriteFloat(s, "DesignVf", number(edDesignVf, 2.5));
    settings_.WriteFloat(s, "DesignRows", number(edRows, 4));
    settings_.WriteFloat(s, "DesignFins", number(edFins, 10));
    settings_.WriteString(s, "DesignAirOn", airOn_);
    settings_.WriteFloat(s, "DesignFluidIn", number(edFluidIn, 0));
    settings_.WriteBool(s, "UseFouling", UseFouling);
    settings_.WriteBool(s, "FoulingInDuty", FoulingInDuty);
    applyToCoil();
}

void TDesignSettings::applyToCoil()
{
    if (!coil_)
        return;
    TCoil& c = *coil_;
    c.DesignAspect = Limited(ReadFieldNumber(edAspect).value_or(c.DesignAspect), kAspectLo, kAspectHi, false,
                             c.DefaultAspect);
    c.DesignVf = Limited(ReadFieldNumber(edDesignVf).value_or(c.DesignVf), kDesignVfLo, kDesignVfHi, false,
                         c.DefaultVf);
    c.DesignRows = Limited(ReadFieldNumber(edRows).value_or(c.DesignRows), kDesignRowsLo, kDesignRowsHi, true,
                           c.DefaultRows);
    c.DesignFins = static_cast<int>(Limited(ReadFieldNumber(edFins).value_or(c.DesignFins), kDesignFinsLo,
                                            kDesignFinsHi, true, c.DefaultFins));
    c.UseFouling = UseFouling;
    c.FoulingInDuty = FoulingInDuty;
    if (c.AirSideMethod != AirSideMethod)
        c.SetAirSideMethod(AirSideMethod);
}

double TDesignSettings::airPressure() const
{
    if (!coil_ || !coil_->AirIn || !coil_->AirOut)
        return kStandardPressure;
    const double P = coil_->GetPressure();
    return std::isfinite(P) && P > 0 ? P : kStandardPressure;
}

} // namespace zmk
