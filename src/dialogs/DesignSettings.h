// The "Design Settings" dialog behind the fin-and-tube editor's "Settings" button: the design
// values the coil's auto-sizing works from (aspect ratio and face velocity, typical rows and
// fin density), whether fouling is counted in Uo and whether in the duty too, and the typical
// entering air and liquid the user
// remembers with them. Four pages: "Auto Size", "Typical", "Circuits" (a link to the circuiting
// notes) and "Factors". The values are remembered in the program's settings and applied to the
// coil when the dialog opens and whenever it closes. The dialog widget shows the fields held
// here and forwards the user's actions; every rule lives in this class.
#pragma once

#include "dialogs/DialogForm.h"
#include "engine/PublishedAirSide.h"
#include "platform/SettingsStore.h"
#include "dialogs/FmtEdit.h"

#include <array>
#include <string>

namespace zmk {

class INotifier;
class TCoil;

/// The dialog's title, its pages and its links.
inline constexpr const char* kDesignSettingsTitle = "Design Settings";
inline constexpr std::array<const char*, 4> kDesignSettingsPages{"Auto Size", "Typical", "Circuits",
                                                                 "Factors"};
inline constexpr const char* kRestoreDefaultsCaption = "Restore Defaults";
inline constexpr const char* kMoreInformationCaption = "More Information...";
inline constexpr const char* kIncludeFoulingCaption = "Include fouling factors";
inline constexpr const char* kFoulingInDutyCaption = "Apply fouling to the duty";
/// The air-side method choice on the "Factors" page; its two entries are AirSideMethodName's.
inline constexpr const char* kAirSideMethodCaption = "Air-side method";
/// The unit text beside the aspect ratio.
inline constexpr const char* kAspectUnitText = "L/H";
/// The circuiting notes the "More Information..." link opens, in the common data folder.
inline constexpr const char* kCircuitNotesFile = "coils.htm";
/// Section of the program's settings holding the values and the window's position.
inline constexpr std::string_view kCoilSettingsSection = "CoilSettingsForm";

/// The six fields: aspect ratio (L/H, 0.2..5), face velocity (m/s, 0.2..5), typical inlet air
/// (°C, a dry bulb and a wet bulb), typical inlet liquid (°C), typical rows (3..6) and fin
/// density (fpi, 8..12).
extern const TFieldSpec kDesignAspectField;
extern const TFieldSpec kDesignVfField;
extern const TFieldSpec kDesignAirOnField;
extern const TFieldSpec kDesignFluidInField;
extern const TFieldSpec kDesignRowsField;
extern const TFieldSpec kDesignFinsField;

/// The limits a field's value is held in once it is left (tighter than, or beyond, its entry
/// range): aspect 0.5..5, face velocity 1..5 m/s, liquid -60..250 °C, rows 1..6, fins 8..12.
inline constexpr double kAspectLo = 0.5, kAspectHi = 5;
inline constexpr double kDesignVfLo = 1, kDesignVfHi = 5;
inline constexpr double kFluidInLo = -60, kFluidInHi = 250;
inline constexpr double kDesignRowsLo = 1, kDesignRowsHi = 6;
inline constexpr double kDesignFinsLo = 8, kDesignFinsHi = 12;
/// Whether fouling is counted, and whether the duty takes it, as every coil is built.
inline constexpr bool kDefaultUseFouling = true;
inline constexpr bool kDefaultFoulingInDuty = false;
/// The relative humidity a typed dry bulb alone is taken at.
inline constexpr double kDesignAirOnRh = 0.45;

class TDesignSettings
{
public:
    /// Made once: programSettings keeps the values and the window's position; the circuiting
    /// notes are looked for in commonDataFolder (ending with "/").
    TDesignSettings(ISettingsStore& programSettings, std::string commonDataFolder,
                    INotifier* notifier = nullptr, TEntryErrorFlag* entryError = nullptr);
    TDesignSettings(const TDesignSettings&) = delete;
    TDesignSettings& operator=(const TDesignSettings&) = delete;

    /// The window's remembered position (its size is its own).
    void RestoreWindowPlace(TWindowPlace& place, TScreenSize screen) const;

    /// Opens on a coil: the eight remembered values (the coil's own as defaults) are read into
    /// the fields, then applied to the coil.
    void Open(TCoil& coil);
    /// "Restore Defaults": the fields take the coil's defaults (fouling counted in Uo, not in
    /// the duty); nothing is applied until the dialog closes.
    void RestoreDefaults();
    /// The file the "More Information..." link opens.
    std::string MoreInformationFile() const { return folder_ + kCircuitNotesFile; }

    /// Exit handlers of the six fields (installed as their OnExit).
    void edAspectExit();
    void edDesignVfExit();
    void edAirOnExit();
    void edFluidInExit();
    void edRowsExit();
    void edFinsExit();

    /// "Include fouling factors".
    bool UseFouling = true;
    /// "Apply fouling to the duty": the duty uses the fouled Uo (key "FoulingInDuty").
    bool FoulingInDuty = false;
    /// "Air-side method": how the job's air side is rated. A choice of the job, kept in its
    /// project rather than in the program's settings: the dialog opens on the coil's method, and
    /// "Restore Defaults" brings back the standard one.
    TAirSideMethod AirSideMethod = TAirSideMethod::Standard;
    /// The fin surface of the coil's pattern, shown beside the method and not edited here (it is
    /// the pattern's): "Fins: Plain (...)", "Fins: Louvered, louvers 2 x 1 mm (...)"; empty before
    /// Open.
    std::string FinSurfaceText() const;

    /// The dialog closes, however it was closed: the eight values (and the window's position,
    /// when given) are stored and the fields are applied to the coil.
    void Close(const TWindowPlace* windowPlace = nullptr);

    TFmtEdit edAspect;   ///< "Aspect Ratio"
    TFmtEdit edDesignVf; ///< "Face Velocity"
    TFmtEdit edAirOn;    ///< "Inlet Air Temp"
    TFmtEdit edFluidIn;  ///< "Inlet Fluid Temp"
    TFmtEdit edRows;     ///< "Rows Deep"
    TFmtEdit edFins;     ///< "Fin Density"
    /// Unit labels of the face velocity, the two temperatures and the fin density.
    TFmtEditLabel lbVfUnits, lbAirOnUnits, lbFluidInUnits, lbFinsUnits;

private:
    void limitField(TFmtEdit& field, double lo, double hi, bool whole, double fallback);
    void applyToCoil();
    double airPressure() const;

    ISettingsStore& settings_;
    std::string folder_;
    INotifier* notifier_;
    TDialogPlace place_;
    TCoil* coil_ = nullptr;
    std::string airOn_; // the inlet air text last accepted
};

} // namespace zmk
