// The pressure calculator's rules.
#include "dialogs/AltBarom.h"

#include "base/Errors.h"
#include "base/NumText.h"
#include "properties/Psy.h"

#include <cmath>

namespace zmk {

const TFieldSpec kBaromPressureField{"edPa", "Pressure", utPressureBar, "kPa", "kPa", "%0.3f", 70, 120};
const TFieldSpec kBaromAltitudeField{"edAlt", "Altitude", utAltitude, "m", "m", "%0.1f", -1401.35, 3063.8};

namespace {

constexpr double kDefaultPressure = 101.325; // kPa
constexpr double kDefaultAltitude = 0;       // m

// A stored value is taken when it is one a place can have; anything else (a hand-edited or
// foreign settings file) gives the default.
double Sane(double v, double lo, double hi, double fallback)
{
    return std::isfinite(v) && v >= lo && v <= hi ? v : fallback;
}

} // namespace

TAltBarom::TAltBarom(ISettingsStore& commonSettings, ISettingsStore& programSettings,
                     std::string commonDataFolder, INotifier* notifier, TEntryErrorFlag* entryError)
    : edPa(entryError ? *entryError : EntryErrorFlag()), edAlt(entryError ? *entryError : EntryErrorFlag()),
      common_(commonSettings), program_(programSettings), folder_(std::move(commonDataFolder)),
      notifier_(notifier)
{
    ConfigureField(edPa, kBaromPressureField, common_.ReadInteger(kBarometerSection, "Pressure units", 0));
    ConfigureField(edAlt, kBaromAltitudeField, common_.ReadInteger(kBarometerSection, "Altitude units", 0));
    lastLocation_ = common_.ReadString(kBarometerSection, "LastLocation", "");
    pressure_ = Sane(common_.ReadFloat(kBarometerSection, "Pressure", kDefaultPressure),
                     AtmPressure(kPlaceAltitudeHi), AtmPressure(kPlaceAltitudeLo), kDefaultPressure);
    altitude_ = Sane(common_.ReadFloat(kBarometerSection, "Altitude", kDefaultAltitude), kPlaceAltitudeLo,
                     kPlaceAltitudeHi, kDefaultAltitude);
    edPa.SetUnitsLabel(&lbPaUnits);
    edAlt.SetUnitsLabel(&lbAltUnits);
    ShowValues();
    edPa.OnExit = [this](TFmtEdit&) { edPaExit(); };
    edAlt.OnExit = [this](TFmtEdit&) { edAltExit(); };
}

void TAltBarom::RestoreWindowPlace(TWindowPlace& place, TScreenSize screen) const
{
    RestoreWindow(program_, kAltBaromWindow, place, screen, false, false);
}

void TAltBarom::SetAltitude(double z)
{
    altitude_ = z;
    pressure_ = AtmPressure(z);
    ShowValues();
}

void TAltBarom::SetPressure(double P)
{
    pressure_ = P;
    altitude_ = zmk::Altitude(P);
    ShowValues();
}

void TAltBarom::Show()
{
    placePicked_ = false;
    result_ = TBaromResult::None;
    SetStatus("Ready...");
    if (!picker_)
        picker_ = std::make_unique<TSelectLocation>(program_, folder_, notifier_);
}

void TAltBarom::edPaExit()
{
    if (!edPa.Modified())
        return;
    placePicked_ = false;
    const double P = FieldNumber(edPa, NAN);
    if (!std::isfinite(P)) {
        // Text that is no number: the field shows the pressure it held.
        edPa.SetValue(pressure_);
        if (notifier_)
            notifier_->Beep();
        return;
    }
    SetPressure(P);
    SetStatus("Pressure modified by user");
}

void TAltBarom::edAltExit()
{
    if (!edAlt.Modified())
        return;
    placePicked_ = false;
    const double z = FieldNumber(edAlt, NAN);
    if (!std::isfinite(z)) {
        edAlt.SetValue(altitude_);
        if (notifier_)
            notifier_->Beep();
        return;
    }
    SetAltitude(z);
    SetStatus("Altitude modified by user");
}

void TAltBarom::SearchForLocation(const std::function<bool(TSelectLocation&)>& showModal)
{
    if (!picker_)
        picker_ = std::make_unique<TSelectLocation>(program_, folder_, notifier_);
    picker_->Preset(lastLocation_);
    if (!showModal || !showModal(*picker_))
        return;
    const std::optional<TLocationRecord>& place = picker_->PickedRecord();
    if (!place)
        return;
    // A place whose altitude is not a real one (damaged data) changes nothing.
    if (!HasUsableAltitude(*place)) {
        SetStatus(Format("%s: altitude not known...", place->Name));
        return;
    }
    lastLocation_ = picker_->LocationName();
    SetAltitude(place->Altitude);
    placePicked_ = true;
    pickedPlace_ = place;
    // Our own location data has no design temperatures: the status then gives the altitude.
    if (std::isfinite(place->CoolingDB) && std::isfinite(place->CoolingWB))
        SetStatus(Format("%s: %0.1f/%0.1f °C", place->Name, place->CoolingDB, place->CoolingWB));
    else
        SetStatus(Format("%s: altitude %0.0f m", place->Name, place->Altitude));
}

void TAltBarom::Accept(TFmtEdit* focused)
{
    if (focused)
        focused->Exit();
    pressure_ = FieldNumber(edPa, pressure_);
    altitude_ = FieldNumber(edAlt, altitude_);
    result_ = TBaromResult::Ok;
}

void TAltBarom::Cancel()
{
    result_ = TBaromResult::Cancel;
}

void TAltBarom::Close(const TWindowPlace* windowPlace)
{
    if (windowPlace)
        StoreWindow(program_, kAltBaromWindow, *windowPlace);
    common_.WriteInteger(kBarometerSection, "Pressure units", edPa.UnitsValue());
    common_.WriteInteger(kBarometerSection, "Altitude units", edAlt.UnitsValue());
    common_.WriteString(kBarometerSection, "LastLocation", lastLocation_);
    common_.WriteFloat(kBarometerSection, "Pressure", FieldNumber(edPa, pressure_));
    common_.WriteFloat(kBarometerSection, "Altitude", FieldNumber(edAlt, altitude_));
    // The other programs read these values as soon as they open their own calculator.
    common_.Flush();
}

double TAltBarom::FieldNumber(const TFmtEdit& field, double fallback) const
{
    try {
        const double v = static_cast<double>(field.GetValue().AsNumber());
        return std::isfinite(v) ? v : fallback;
    } catch (const EConvertError&) {
        return fallback;
    }
}

void TAltBarom::ShowValues()
{
    edPa.SetValue(pressure_);
    edAlt.SetValue(altitude_);
}

void TAltBarom::SetStatus(std::string text)
{
    status_ = std::move(text);
}

} // namespace zmk
