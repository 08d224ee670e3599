// The "Fin & Tube Editor" behind the "..." button after the main window's geometry line: fin
// height, finned length, rows, fin density or fin pitch, circuits and the three materials of the
// job's coil, the coil's auto-sizing against a target duty, and a live summary of the coil
// (solved after every change) with its problem values coloured. Every change goes to the coil
// at once and is reported to the main window; "&Cancel" puts back the coil as it was when the
// editor last became active. The editor opens the coil maker dialog (tube size) and the design
// settings dialog (auto-sizing values), which it owns. The dialog widget shows the fields,
// lists, texts and page held here and forwards the user's actions; every rule lives here.
#pragma once

#include "app/JobSizing.h"
#include "dialogs/CoilMaker.h"
#include "dialogs/DesignSettings.h"
#include "dialogs/DialogForm.h"
#include "engine/HeatExchanger.h"
#include "platform/SettingsStore.h"
#include "reports/CircuitPicture.h"
#include "dialogs/FmtEdit.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zmk {

class INotifier;
class TCoilJob;

/// The editor's title, its check box and its help page (in the common data folder).
inline constexpr const char* kFatEditorTitle = "Fin & Tube Editor";
inline constexpr const char* kKeepAirflowCaption = "Keep entered airflow on auto size";
inline constexpr const char* kFatHelpFile = "FatDlg.htm";
/// Section of the program's settings holding the window's place and the remembered units.
inline constexpr std::string_view kFatFormSection = "FatForm";
/// Captions of the three material lists.
inline constexpr std::array<const char*, 3> kMaterialListCaptions{"Tube Material", "Fin Material",
                                                                  "Casing Material"};

/// The editor's fields: tube size (text), fin height (m, 0.0127..9.144), finned length (m,
/// 0.1..10), rows (1..20), fin density (fpi, 0.0001..30), fin pitch (mm, 0.1..40), circuits
/// (1..1440) and target duty (kW, 0.01..100000).
extern const TFieldSpec kFatTubeSizeField;
extern const TFieldSpec kFatFinHeightField;
extern const TFieldSpec kFatFinnedLengthField;
extern const TFieldSpec kFatRowsField;
extern const TFieldSpec kFatFinDensityField;
extern const TFieldSpec kFatFinPitchField;
extern const TFieldSpec kFatCircuitsField;
extern const TFieldSpec kFatDesignDutyField;

// ---- auto-sizing ---------------------------------------------------------------------------

/// A label of the editor that runs a sizing operation when clicked.
struct TAutoSizeLabel
{
    const char* Caption;
    TAutoSize Mode;
};
/// The seven sizing labels: "Fin Height", "Finned Length", "Rows Deep", "Fin Density" and
/// "Fin Pitch" beside their fields, "Auto Face Area" and "Auto Rows && Fins" (the "&&" shows as
/// one "&").
extern const std::array<TAutoSizeLabel, 7> kAutoSizeLabels;

class TFatEditor;

/// The "..." button after the main window's geometry line: the window's inputs go to the coil
/// (a focused field was committed by the caller), the editor is set on the job's coil with the
/// coil's current duty as its target duty and shown by showModal, which returns true for Ok.
/// Either way (the editor solved the coil, after Cancel on the geometry put back) the job then
/// shows the coil's inputs, and the page is rebuilt and the profile redrawn. False when the
/// editor was not accepted, or could not open (no coil, inputs that cannot be applied: the
/// reason is told and the job is not solved).
bool ButtonCoilSpecClick(TCoilJob& job, TFatEditor& editor, const std::function<bool()>& showModal);

// ---- the summary page's colours -------------------------------------------------------------

/// Hue (degrees), saturation and lightness (0..1).
struct THsl
{
    double H = 0;
    double S = 0;
    double L = 0;
};
/// The colour of a value between lo (black) and hi (orange-red #ff4500): t = (value - lo)/(hi -
/// lo) held in 0..1, and the hue, saturation and lightness of the two interpolated linearly.
THsl BlendHsl(double value, double lo, double hi);
/// BlendHsl as "#rrggbb" (lower-case hex), each channel rounded from 0..1 × 255 with halves to
/// the even neighbour.
std::string BlendColour(double value, double lo, double hi);

// ---- the spin buttons -------------------------------------------------------------------------

/// The six spin buttons.
enum class TFatSpin { FinHeight, FinnedLength, Rows, FinDensity, FinPitch, Circuits };

/// value moved one step up or down: round(value/step ± 1)·step (halves to even), or nothing when
/// that leaves lo..hi.
std::optional<double> SpinStepped(double value, double step, double lo, double hi, bool up);
/// Rows 1..6 one at a time, then even numbers up to 20; nothing outside 1..20.
std::optional<double> SpinRows(double rows, bool up);
/// Fin density to the next even number of fins per inch; nothing outside 0.0001..30.
std::optional<double> SpinFinDensity(double fpi, bool up);
/// Fin pitch (mm) to the next whole millimetre; down only above 1.1 mm, up only below 40 mm.
std::optional<double> SpinFinPitch(double pitch, bool up);
/// Circuits to the next divisor of rows·tubesHigh (the next smaller or larger number of tubes
/// per circuit); nothing when there is none below tubeCount tubes per circuit or outside
/// 1..1440.
std::optional<double> SpinCircuits(double rows, int tubesHigh, double tubeCount, double circuits, bool up);

// ---- pages -----------------------------------------------------------------------------------

/// The circuit picture of a coil: "../Spirello/Images/<rows>r<tubes per circuit>t.png" from the
/// program folder, tubes per circuit 0 without circuits.
std::string CircuitPictureFile(const std::string& programFolder, double rows, double tubeCount,
                               double circuits);
/// The name under which the page shows the circuit picture the editor draws itself, when no
/// picture is installed; the window supplies the picture (CircuitLacing) under this name.
inline constexpr const char* kDrawnCircuitPicture = "zmk-drawn-circuits.png";

// ---- the editor -------------------------------------------------------------------------------

class TFatEditor
{
public:
    /// Made once at program start: programSettings keeps the window's place and the remembered
    /// units; besideProgram is the settings file beside the program (the coil maker dialog's
    /// place); catalogue gives the makers; commonDataFolder and programFolder (both ending with
    /// "/") hold the help pages and the circuit pictures.
    TFatEditor(ISettingsStore& programSettings, ISettingsStore& besideProgram, TCoilMakers& catalogue,
               std::string commonDataFolder, std::string programFolder, INotifier* notifier = nullptr,
               TEntryErrorFlag* entryError = nullptr);
    TFatEditor(const TFatEditor&) = delete;
    TFatEditor& operator=(const TFatEditor&) = delete;

    /// The window's remembered place and size.
    void RestoreWindowPlace(TWindowPlace& place, TScreenSize screen) const;

    // ---- links set by the main window -------------------------------------------------------

    /// Called after every change the editor makes to the coil (JobGeometryCallback for a job).
    std::function<void()> OnGeometryChanged;
    /// Whether the coil maker dialog lets the user pick another maker.
    void SetMakerListEnabled(bool enabled) { coilMaker_.MakerListEnabled = enabled; }
    /// The coil the editor works on (null: none).
    void SetCoil(TCoil* coil) { coil_ = coil; }
    TCoil* Coil() const { return coil_; }
    /// The target duty of the sizing operations, kW (the coil's current duty when opened).
    void SetTargetDuty(double duty) { edDesignDuty.SetValue(duty); }

    // ---- the dialog's life ------------------------------------------------------------------

    /// The editor opens: the snapshot for Cancel is taken afresh, then it is activated.
    void Open();
    /// The editor becomes the active window (shown, or back from the coil maker or the design
    /// settings): the geometry shown and the summary built. The snapshot for Cancel is taken only
    /// when there is none, so that Cancel goes back past what the sub-dialogs changed.
    void Activate();
    /// "&Accept": commits the focused field (if any); the result is Ok.
    void Accept(TFmtEdit* focused = nullptr);
    /// "&Cancel": the coil is put back as it was when the editor opened (definition record, air
    /// volume flow, and the liquid's flow, leaving temperature and control, which a sizing run
    /// sets up for its duty), shown and reported; the result is Cancel.
    void Cancel();
    /// The dialog closes: the window's place (when given) and the five unit indexes are stored.
    void Close(const TWindowPlace* windowPlace = nullptr);
    TDialogResult Result() const { return result_; }

    // ---- what the user does -----------------------------------------------------------------

    /// Exit handlers of the fields (installed as their OnExit; they act when the field was
    /// modified).
    void edFinHeightExit();
    void edFinnedLengthExit();
    void edRowsExit();
    void edFinDensityExit();
    void edFinPitchExit();
    void edCircuitsExit();
    /// A material list's new selection (index into MaterialNames()).
    void TubeMaterialChange(int index);
    void FinMaterialChange(int index);
    void CasingMaterialChange(int index);
    /// A spin button pressed. The rows, fin density and fin pitch spins take the focus to their
    /// field first (the widget does that before calling).
    void Spin(TFatSpin spin, bool up);
    static bool SpinTakesFocus(TFatSpin spin);
    /// A sizing label clicked: the operation runs for the target duty. A target it does not
    /// meet is said at the head of the summary that follows, with the limit that stopped it.
    void AutoSizeClick(TAutoSize mode);
    TSolveStatus LastAutoSizeStatus() const { return autoSizeResult_.Status; }
    /// Why the last sizing did not meet its target; empty when it did.
    const std::string& LastAutoSizeMessage() const { return autoSizeResult_.Message; }
    /// A click on the serpentine label: the circuit picture, when it is installed.
    void SerpentineLabelClick();
    /// The tube size button: the coil maker dialog on a copy of the coil's definition record;
    /// showModal shows it and returns true when it was closed with Ok, and the coil then takes
    /// the chosen pattern with its fin height on whole tube pairs.
    void TubeSizeClick(const std::function<bool(TCoilMaker&)>& showModal);
    /// The "Settings" button: the design settings dialog opened on the coil and shown by
    /// showModal (which closes it); the circuits are then set again from their field.
    void SettingsClick(const std::function<void(TDesignSettings&)>& showModal);

    /// Shows the coil's geometry in the fields, lists and serpentine label.
    void ShowGeometry();
    /// Reports a change to the main window, then rebuilds the summary.
    void NotifyGeometry();
    /// Sets the air flow again after a change of face area: the volume flow stays when "Keep
    /// entered airflow on auto size" is checked, else the face velocity.
    void ReapplyAirFlow();
    /// Solves the coil and rebuilds the caption and the summary page.
    void ShowSummary();

    // ---- what the dialog shows -----------------------------------------------------------

    TFmtEdit edTubeSize;     ///< "Tube Size" (read-only text)
    TFmtEdit edFinHeight;    ///< "Fin Height"
    TFmtEdit edFinnedLength; ///< "Finned Length"
    TFmtEdit edRows;         ///< "Rows Deep"
    TFmtEdit edFinDensity;   ///< "Fin Density"
    TFmtEdit edFinPitch;     ///< "Fin Pitch"
    TFmtEdit edCircuits;     ///< "Circuits"
    TFmtEdit edDesignDuty;   ///< "Target Duty"
    /// Unit labels of fin height, finned length, fin density, fin pitch and target duty.
    TFmtEditLabel lbFinHeightUnits, lbFinnedLengthUnits, lbFinDensityUnits, lbFinPitchUnits,
        lbDesignDutyUnits;

    /// "Keep entered airflow on auto size".
    bool KeepAirflow = false;
    /// The eight material short names the three lists hold, by material code.
    static std::vector<std::string> MaterialNames();
    int TubeMaterial() const { return tubeMaterial_; }
    int FinMaterial() const { return finMaterial_; }
    int CasingMaterial() const { return casingMaterial_; }
    /// The name of the coil's serpentine entry, shown beside the circuits.
    const std::string& SerpentineLabel() const { return serpentine_; }
    /// The window's caption: the maker's designation of the coil, else its size text.
    const std::string& Caption() const { return caption_; }
    /// The summary page's lines (HTML).
    const std::vector<std::string>& Summary() const { return summary_; }
    /// The page the HTML view shows: the summary, or the circuit picture.
    const std::vector<std::string>& Page() const { return page_; }
    /// The circuit picture the page shows (kDrawnCircuitPicture for the drawn one); empty while it
    /// shows the summary.
    const std::string& PictureFile() const { return picture_; }
    /// The coil's tube field and its circuits, as the drawn circuit picture shows them.
    TCircuitLacing CircuitLacing() const;
    /// The editor's help page.
    std::string HelpPage() const { return commonFolder_ + kFatHelpFile; }

    /// Where the editor tells errors (null: nowhere).
    INotifier* Notifier() const { return notifier_; }
    TCoilMaker& CoilMaker() { return coilMaker_; }
    TDesignSettings& DesignSettings() { return designSettings_; }

private:
    struct TSavedLiquid
    {
        double MassFlow = 0;          // kg/s
        double LeavingTemp = 0;       // °C
        double TemperatureChange = 0; // K
        std::uint8_t Control = 0;     // wcTemp or wcFlow
    };
    struct TSaved
    {
        TModelRec Rec;
        double Va = 0;                      // m³/s
        std::optional<TSavedLiquid> Liquid; // the liquid side of a liquid coil
    };

    void finHeightLeave(double H);
    void finnedLengthLeave(double L);
    void circuitsLeave(double n);
    void showSerpentine();
    bool fieldValue(TFmtEdit& field, double& value);
    TLiquidCoil* liquidCoil() const;

    ISettingsStore& settings_;
    std::string commonFolder_;
    std::string programFolder_;
    INotifier* notifier_;
    TDialogPlace place_;
    TCoilMaker coilMaker_;
    TDesignSettings designSettings_;
    TCoil* coil_ = nullptr;
    TSnapshot<TSaved> snapshot_;
    int tubeMaterial_ = 0;   // copper
    int finMaterial_ = 1;    // aluminium
    int casingMaterial_ = 3; // galvanised iron
    std::string serpentine_;
    std::string caption_;
    std::vector<std::string> summary_;
    std::vector<std::string> page_;
    std::string picture_;
    // The sizing run the next summary checks and reports (once).
    std::optional<std::pair<TAutoSize, double>> autoSizeToCheck_;
    TAutoSizeResult autoSizeResult_;
    TDialogResult result_ = TDialogResult::None;
};

} // namespace zmk
