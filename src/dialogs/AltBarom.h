// The pressure calculator behind the "Barometer" dialog: the site's barometric pressure and
// altitude, each computed from the other with the psychrometric library's standard
// atmosphere, or taken from a place of the location database. The calculator shares its last
// pressure, altitude, units and place with the maker's other programs (section "Barometer" of
// the common settings), read once when it is made and written each time it closes. The
// dialog widget shows the two entry fields and the status text held here and forwards the
// user's actions; every rule lives in this class.
#pragma once

#include "app/StartupSettings.h"
#include "base/Notifier.h"
#include "dialogs/SelectLocation.h"
#include "platform/SettingsStore.h"
#include "properties/Locations.h"
#include "dialogs/FmtEdit.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace zmk {

/// Section of the common settings shared by the maker's programs.
inline constexpr std::string_view kBarometerSection = "Barometer";
/// Section of the program's settings that holds the calculator's window place.
inline constexpr std::string_view kAltBaromWindow = "AltBaromForm";

/// The dialog's title and the hints of its buttons.
inline constexpr const char* kBaromTitle = "Barometer";
inline constexpr const char* kBaromAcceptHint = "Return pressure to calling program";
inline constexpr const char* kBaromSearchHint = "Search for Location";

/// The two fields: pressure (kPa, 70..120) and altitude (m, -1401.35..3063.8), whose range
/// ends correspond to each other through the standard atmosphere.
extern const TFieldSpec kBaromPressureField;
extern const TFieldSpec kBaromAltitudeField;

/// How the calculator was closed.
enum class TBaromResult { None, Ok, Cancel };

class TAltBarom
{
public:
    /// Made once per program run: reads the shared settings (units, last place, pressure and
    /// altitude). programSettings keeps the window places and the picker's selections;
    /// commonDataFolder (ending with "/") holds the location database. Failed entries are
    /// reported in entryError (the program's flag unless given).
    TAltBarom(ISettingsStore& commonSettings, ISettingsStore& programSettings, std::string commonDataFolder,
              INotifier* notifier, TEntryErrorFlag* entryError = nullptr);
    TAltBarom(const TAltBarom&) = delete;
    TAltBarom& operator=(const TAltBarom&) = delete;

    /// The window's remembered position (its size is its own).
    void RestoreWindowPlace(TWindowPlace& place, TScreenSize screen) const;

    /// Altitude (m): the pressure follows; both fields show the new values.
    void SetAltitude(double z);
    /// Barometric pressure (kPa): the altitude follows; both fields show the new values.
    void SetPressure(double P);

    /// The dialog is about to be shown: status "Ready...", no place picked; the picker is
    /// made when it does not exist yet.
    void Show();

    /// Run by the fields when they are left (installed as their OnExit); act only when the
    /// user changed the text.
    void edPaExit();
    void edAltExit();

    /// "Search for Location": presets the picker with the last place and runs showModal,
    /// which shows the picker dialog and returns true when it was closed with OK. A place
    /// taken sets the altitude and the status text.
    void SearchForLocation(const std::function<bool(TSelectLocation&)>& showModal);

    /// "&Accept": commits the focused field (if any), takes pressure and altitude from the
    /// fields; the result is Ok.
    void Accept(TFmtEdit* focused = nullptr);
    /// "&Cancel" or the window's close button.
    void Cancel();
    /// The dialog closes, whatever the result: the window's position is stored and the shared
    /// settings are written (units, last place, pressure and altitude from the fields).
    void Close(const TWindowPlace* windowPlace = nullptr);

    TBaromResult Result() const { return result_; }

    // ---- what the dialog shows and the caller reads ---------------------------------------

    TFmtEdit edPa;  ///< "Pressure"
    TFmtEdit edAlt; ///< "Altitude"
    /// The unit labels beside the fields: a click there changes the field's unit.
    TFmtEditLabel lbPaUnits;
    TFmtEditLabel lbAltUnits;

    /// The status bar's text.
    const std::string& Status() const { return status_; }
    /// Pressure, kPa, and altitude, m, as last set.
    double Pressure() const { return pressure_; }
    double Altitude() const { return altitude_; }
    /// A place was taken from the picker and nothing typed since (a display state only).
    bool PlacePicked() const { return placePicked_; }
    /// The record of the last place taken.
    const std::optional<TLocationRecord>& PickedPlace() const { return pickedPlace_; }
    /// "place, region" of the last place taken.
    const std::string& LastLocation() const { return lastLocation_; }
    /// The place picker (made at the first Show).
    TSelectLocation* Picker() { return picker_.get(); }

private:
    double FieldNumber(const TFmtEdit& field, double fallback) const;
    void ShowValues();
    void SetStatus(std::string text);

    ISettingsStore& common_;
    ISettingsStore& program_;
    std::string folder_;
    INotifier* notifier_;
    std::unique_ptr<TSelectLocation> picker_;

    double pressure_ = 101.325; // kPa
    double altitude_ = 0;       // m
    bool placePicked_ = false;
    std::optional<TLocationRecord> pickedPlace_;
    std::string lastLocation_;
    std::string status_;
    TBaromResult result_ = TBaromResult::None;
};

} // namespace zmk
