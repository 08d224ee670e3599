// The coil job: the model side of the main window. One coil of one kind, the inputs that define
// it (the window's entry fields, held here as plain values so that the job can be built, solved
// and saved without a window), the start values it is built from and captured back into, and
// the solved flag. The job owns the coil, the entering and leaving air states and the liquid;
// the coil refers to the air states and the liquid and writes results into them.
//
// Every value is held in the stored (SI) unit of its field: °C, kPa, kg/s, m/s, m, kg/kg and
// fins per inch. Messages and the solved status go to the job's notifier; the session and the
// window subscribe to its one change notification to redraw their pages and fields.
#pragma once

#include "app/StartupSettings.h"
#include "properties/Psy.h"
#include "units/Conv.h"
#include "units/FieldSpec.h"

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zmk {

class INotifier;
class TLiquid;
class TLiquidCoil;
class TProjectProperties;
class TStartCoils;
struct TOpenResult;
struct TProjectFileContext;
struct TProjectLoad;

// ---- coil kinds and start values (engine/CoilFactory) -------------------------------------

/// The flat record of the job's inputs the coil is built from; the settings store keeps it
/// between runs and the project file repeats it (one record, shared with the stored settings).
using TStartValues = TCoilStartValues;

// ---- entry fields ----------------------------------------------------------------------------

/// The numeric entry fields of the main window, in tab order.
enum class TEntryField : int {
    edFinHeight,
    edFinnedLength,
    edRows,
    edFinDensity,
    edCircuits,
    edAltitude,
    edOnCoil,
    edHumidityOn,
    edAirMassflow,
    edFaceVelocity,
    edFluidInTemp,
    edFluidDT,
    edFluidFlow,
    edTubeVelocity,
};
inline constexpr int kEntryFieldCount = 14;

/// A numeric entry field of the main window: its description (name, caption, quantity kind,
/// stored and shown unit, format, range in the stored unit) and which field it is.
struct TEntryFieldInfo : TFieldSpec
{
    TEntryField Field;
};

/// The fourteen fields in tab order (index = TEntryField).
const std::array<TEntryFieldInfo, kEntryFieldCount>& EntryFields();
/// The description of one field.
const TEntryFieldInfo& EntryFieldInfo(TEntryField field);
/// The field with that name (exact letter case), or nothing.
std::optional<TEntryField> FindEntryField(std::string_view name);

/// The entry fields' range rule (ClampToRange) on a stored-unit value.
bool EntryRangeCheck(double& v, double lo, double hi);

/// One numeric entry field as the job sees it.
struct TEntryValue
{
    double Value = 0;      ///< stored unit
    bool Modified = false; ///< the user changed it since it was last committed
    bool Enabled = true;   ///< the user may edit it
};

/// The window's inputs: the fourteen numeric fields under their own names, the read-only texts,
/// and the spray check box.
struct TJobInputs
{
    TEntryValue edFinHeight;    ///< fin height, m
    TEntryValue edFinnedLength; ///< finned length, m
    TEntryValue edRows;         ///< rows
    TEntryValue edFinDensity;   ///< fins per inch
    TEntryValue edCircuits;     ///< circuits
    TEntryValue edAltitude;     ///< site altitude, m
    TEntryValue edOnCoil;       ///< entering dry bulb, °C
    TEntryValue edHumidityOn;   ///< entering moisture content, kg/kg
    TEntryValue edAirMassflow;  ///< air mass flow, kg/s
    TEntryValue edFaceVelocity; ///< air face velocity, m/s
    TEntryValue edFluidInTemp;  ///< liquid inlet temperature, °C
    TEntryValue edFluidDT;      ///< liquid design temperature change, K
    TEntryValue edFluidFlow;    ///< liquid mass flow, kg/s
    TEntryValue edTubeVelocity; ///< liquid velocity in the tubes, m/s

    std::string edFluidType;     ///< the liquid's short caption (read-only)
    std::string edLiquidControl; ///< "Temperature" or "Liquid flow" (read-only)
    bool cbSpray = false;        ///< recirculating water spray

    /// The numeric field typed into and not yet committed, if any: a Solve, a Save or
    /// ApplyInputs commits it first.
    std::optional<TEntryField> Pending;

    TEntryValue& operator[](TEntryField field);
    const TEntryValue& operator[](TEntryField field) const;
};

// ---- messages --------------------------------------------------------------------------------

/// Shown when the Solve command's solve raises an error.
inline constexpr std::string_view kNoSolutionMessage =
    "No solution found...\r\n\r\nCheck that the tube side fluid is\r\nwithin the temperature range!";
/// Shown when anything in the Step by step command raises an error.
inline constexpr std::string_view kStepNoSolutionMessage =
    "There is no solution with this data...\r\n\r\nCheck that the tube side fluid is\r\nwithin the "
    "temperature range!";
/// Shown when a coil is built for a kind code that is none of the three.
inline constexpr std::string_view kCoilKindMessage = "Coil kind not recognised...";
/// Solved status texts.
inline constexpr std::string_view kSolvedStatus = "Solved...";
inline constexpr std::string_view kNotSolvedStatus = "Not Solved...";

// ---- the window's side -----------------------------------------------------------------------

/// What the Step by step chart shows: rows 0..2 of the step matrix as three curves.
struct TStepChartData
{
    std::string Title = "Step-by-Step Simulation";
    std::array<std::string, 3> CurveNames{"Fluid", "Air", "Surface"};
    std::string XTitle = "Step";
    std::string YTitle = "degC";
    int FirstColumn = 0;
    int LastColumn = 0;
    /// "Duty %0.3g kW", liquid "%0.1f - %0.1f °C" (in - out), air "%0.1f - %0.1f °C" (on - off).
    std::array<std::string, 3> Captions;
    /// The step matrix: 4 rows (liquid, air dry bulb, surface, air dew point) of 100 columns, °C.
    std::vector<std::vector<double>> Matrix;
    double Duty = 0; ///< duty of the step simulation, kW
};

/// What changed in the job. A change notification carries a set of these.
enum TJobChange : unsigned {
    /// Input values the fields show: every field, text and label, or only the one field named
    /// with the news (the other view of a flow).
    jcInputs = 1u << 0,
    /// The liquid control: its text and which flow fields are enabled.
    jcControl = 1u << 1,
    /// The results (or, for a job that is not solved, its inputs) are to be shown anew.
    jcResults = 1u << 2,
    /// The temperature profile of the solve is to be drawn again.
    jcProfile = 1u << 3,
    /// A Step by step chart is ready (TCoilJob::StepChart).
    jcStepChart = 1u << 4,
    /// The coil kind was built anew.
    jcKind = 1u << 5,
    /// The project file name changed.
    jcFile = 1u << 6,
};

/// One change notification: what changed and, for a single field, which.
struct TJobNews
{
    unsigned What = 0;
    /// The one field whose value changed, when the news is about that field alone.
    std::optional<TEntryField> Field;

    bool Has(TJobChange change) const { return (What & change) != 0; }
};

/// A subscriber to the job's changes.
using TJobListener = std::function<void(const TJobNews&)>;

// ---- the job ---------------------------------------------------------------------------------

/// The coil job. It starts with the kind "zmk" and the "zmk" start values, and no coil until the
/// first BuildCoil.
class TCoilJob
{
public:
    /// A job that reports to `notifier` (nothing is reported when it is null).
    explicit TCoilJob(INotifier* notifier = nullptr);
    ~TCoilJob();
    TCoilJob(const TCoilJob&) = delete;
    TCoilJob& operator=(const TCoilJob&) = delete;

    // --- state ---

    /// The coil-kind code ("zmk", "hwc", "cwc"; compared without regard to letter case).
    std::string KindCode = std::string(kKindZemtor);
    /// The record the coil is built from.
    TStartValues StartValues;
    /// Where BuildCoil takes its coils from when set (a batch's, kept by its thread); otherwise
    /// each is built by MakeStartCoil.
    TStartCoils* StartCoils = nullptr;
    /// The entry fields.
    TJobInputs Inputs;
    /// The current project file name.
    std::string FileName;
    /// The user's data folder, ending with "/" (the program sets TFolders::DataFolder); New
    /// names the job "Default.zmx" in it.
    std::string DataFolder;
    /// The project properties New resets; none when null.
    TProjectProperties* Properties = nullptr;

    /// The coil, or null when none is built (or the kind was not recognised).
    TLiquidCoil* Coil() const { return coil_.get(); }
    /// The job's liquid, or null before the first build.
    TLiquid* Liquid() const { return liquid_.get(); }
    /// Entering air state.
    TAirState& AirIn() { return airIn_; }
    const TAirState& AirIn() const { return airIn_; }
    /// Leaving air state.
    TAirState& AirOut() { return airOut_; }
    const TAirState& AirOut() const { return airOut_; }
    /// The solved flag.
    bool Solved() const { return solved_; }
    /// Status of the last coil solve the job ran (0 converged), or -1 when it raised an error
    /// or none ran.
    int LastSolveStatus() const { return lastStatus_; }
    /// The text of the last error a solve or step simulation raised; empty after a clean run.
    const std::string& LastError() const { return lastError_; }
    /// Why the last solve the job ran is not solved (the coil's reason, ending in "..."); empty
    /// when it solved, raised an error or none ran.
    const std::string& LastReason() const { return lastReason_; }
    /// The chart of the last successful Step by step.
    const TStepChartData& StepChart() const { return stepChart_; }

    void SetNotifier(INotifier* notifier) { notifier_ = notifier; }

    // --- change notification ---

    /// Adds a subscriber, told of every change after those that subscribed before it; returns
    /// its id for Unsubscribe.
    int Subscribe(TJobListener listener);
    void Unsubscribe(int id);
    /// Tells every subscriber, in the order they subscribed. What a subscriber throws reaches the
    /// caller, and the later subscribers are not told.
    void Notify(const TJobNews& news) const;
    void Notify(unsigned what) const { Notify(TJobNews{what, std::nullopt}); }

    // --- job operations ---

    /// Barometric pressure (kPa) at altitude z (m), standard atmosphere.
    static double PressureFromAltitude(double z);
    /// Altitude (m) of the barometric pressure P (kPa), standard atmosphere.
    static double AltitudeFromPressure(double P);

    /// Fills the start values with the defaults of the current kind (no change for an unknown
    /// kind).
    void SetKindDefaults();
    /// Destroys the coil and builds a new one of the current kind from the start values, then
    /// solves it once (an error there only leaves the job not solved) and shows its inputs. The
    /// liquid's temperature change is taken from the start values' outlet and inlet temperatures.
    /// An unknown kind says "Coil kind not recognised..." and leaves the job without a coil, as do
    /// start values from which no coil can be built (with a message saying so). With `solve`
    /// false the coil is left built but not solved (for a project file about to be read into it).
    void BuildCoil(bool solve = true);
    /// Commits the focused field, then moves every input field into the coil in a fixed order:
    /// the geometry first, then the pressure and the entering air, then the air flow, the liquid
    /// inlet temperature, temperature change and flow. A flow the user last gave as a velocity
    /// (face or tube) is taken as that velocity against the new face area, entering density and
    /// tube count; otherwise its mass flow is kept.
    void ApplyInputs();
    /// Shows the coil's current inputs in the fields (without marking them modified); the two
    /// views of each flow then agree, and a flow is next taken by its mass flow.
    void ShowInputs();
    /// Copies the coil's state into the start values.
    void CaptureStartValues();
    /// The start values the coil's state would be captured into, without capturing them (the
    /// start values as they stand when there is no coil).
    TStartValues CurrentStartValues() const;
    /// Sets the solved flag and shows "Solved..." or "Not Solved...".
    void SetSolved(bool value);
    /// The coil's results no longer belong to the inputs (a project was read into the coil): the
    /// job is not solved, and how its last solve ended (status, reason, error) is forgotten.
    void WithdrawResults();
    /// An input was committed (a field left or entered, a dialog's value taken, the spray option,
    /// the fluid): WithdrawResults, and the window's page is rebuilt at once, so that it shows
    /// the inputs and no result of an earlier solve. A page that cannot be written is told.
    void MarkNotSolved();
    /// Shows the liquid control and enables the fields that go with it.
    void ShowLiquidControl();
    /// After the coil dialog changed the geometry: the coil re-applies its model text, the face
    /// velocity is set from its field and the coil is solved. Errors reach the caller.
    void GeometryChanged();
    /// Whether every state of the job lies inside the psychrometric chart's range.
    bool StatesInChartRange() const;

    // --- what the user does to a field ---

    /// The user types a value into a field (stored unit) and keeps the focus there: the field
    /// brings it into range (a beep when it had to), marks itself modified and takes the focus.
    /// Returns false when the value was replaced by a bound.
    bool TypeField(TEntryField field, double value);
    /// The user leaves a field: when it is modified its exit handler runs and the flag clears.
    void CommitField(TEntryField field);
    /// TypeField, then CommitField: a value typed and the field left.
    bool EnterField(TEntryField field, double value);
    /// An input takes a value (stored unit) already brought into range (a window's field does
    /// that itself): the job takes it as it is and acts on it as on any committed input. A flow
    /// given one way (mass flow or velocity) shows the other view of it; the entering air state
    /// follows the altitude, temperature and humidity; and the job is no longer solved.
    void SetInput(TEntryField field, double value);
    /// The recirculating water spray on or off; a change leaves the job not solved.
    void SetSpray(bool on);
    /// Toggles the liquid control between "Temperature" and "Liquid flow".
    void ToggleLiquidControl();
    /// The liquid was changed (the fluid dialog closed, whatever it returned): the fluid type text
    /// and the start values' user properties follow the liquid, and the job is not solved.
    void LiquidChanged();
    /// Makes the liquid one of the fourteen kinds (no additive, correlation properties), as the
    /// fluid dialog does when a kind is picked, then LiquidChanged. False for a kind outside
    /// 0..13 or before the first build.
    bool SetLiquidKind(int kind);
    /// Steps to the next kind and rebuilds the coil from the start values as they stand.
    void NextKind();
    /// New project: "Default.zmx" in the data folder, the kind's defaults, a new coil, and the
    /// project properties reset.
    void New();
    /// Solve (F9): applies the inputs, solves, shows the inputs, refreshes the view and the
    /// profile image. An error raised by the solve says "No solution found..." and leaves the job
    /// not solved, since the failed pass has overwritten results. Entering air above saturation
    /// is refused with a message saying so (the fields keep their values).
    void Solve();
    /// Step by step: applies the inputs, solves, runs the step simulation and shows its chart.
    /// An error says "There is no solution with this data..."; one raised by the solve also
    /// leaves the job not solved. A solve that ends not solved shows no chart and says why.
    void StepByStep();

    // ---- The project file (the bodies are in ProjectFile.cpp) ----

    /// Open: a missing file is told ("The file you are trying to open does not exist..." CR LF
    /// name) and changes nothing; so does a refused one ("The file was not opened..." CR LF name
    /// CR LF reason): not a regular file, too large, unreadable, or XML that holds no project;
    /// and one that is not XML ("The file could not be read as a project..." CR LF name CR LF the
    /// parser's message). Otherwise the file becomes the current file name, the job is marked not
    /// solved, and the file is read into the properties and the coil of the current kind; then
    /// the inputs are shown and the view refreshed. A file that holds no coil of the job's kind is
    /// told too, and leaves the coil as it was.
    TOpenResult Open(const std::string& fileName, const TProjectFileContext& context);
    /// Open of a file already read by LoadProjectFile (the command line and the session read it
    /// first to learn its kind); as Open.
    TOpenResult Open(TProjectLoad& load, const TProjectFileContext& context);
    /// Save: applies the inputs, names the job "Default.zmx" in the data folder when it has no
    /// name, writes the project file. Returns false, with the reason told to the notifier, when
    /// the file could not be written (the previous file is then unchanged).
    bool Save(const TProjectFileContext& context);
    /// Save As, once the user has chosen the file: it becomes the current file name, then Save.
    bool SaveAs(const std::string& fileName, const TProjectFileContext& context);

private:
    int solveCoil();
    void refreshEnteringAir();
    void showField(TEntryField f, double value);
    void inputCommitted(TEntryField f);
    void enteringAirCommitted();
    void airMassFlowCommitted();
    void faceVelocityCommitted();
    void liquidFlowCommitted();
    void tubeVelocityCommitted();
    bool readyToSolve();
    void message(std::string_view text);
    void refreshView();
    void showInputs(unsigned news);
    void refreshInputsPage();
    TEntryValue& field(TEntryField f) { return Inputs[f]; }

    INotifier* notifier_ = nullptr;
    TAirState airIn_;
    TAirState airOut_;
    std::unique_ptr<TLiquid> liquid_;
    std::unique_ptr<TLiquidCoil> coil_;
    // Whether the user last gave the air flow as a face velocity, the liquid flow as a tube
    // velocity, since the fields last showed the coil.
    bool airFlowByVelocity_ = false;
    bool liquidFlowByVelocity_ = false;
    bool solved_ = false;
    int lastStatus_ = -1;
    std::string lastError_;
    std::string lastReason_;
    TStepChartData stepChart_;
    std::vector<std::pair<int, TJobListener>> listeners_;
    int nextListener_ = 0;
};

/// The texts that name a job's coil where its inputs are shown.
struct TCoilLabels
{
    std::string Kind;     ///< the kind code in upper case ("ZMK")
    std::string Maker;    ///< "Model: " maker and catalogue model; empty without a coil
    std::string Material; ///< tube and fin material codes ("Cu/Al"); empty without a coil
};
/// The labels of the job's coil as it now stands.
TCoilLabels CoilLabels(const TCoilJob& job);

} // namespace zmk
