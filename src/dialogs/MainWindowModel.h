// The main window without its widgets: everything the window decides, so that the widgets only
// show and forward. It holds the fourteen entry fields as field logic objects (set up from the
// field table, with their unit labels) and keeps them in step with the job; it commits a field
// the user leaves, runs the window's commands and says which are enabled, gives the texts of the
// status bar and the title, keeps the start-up and shut-down order (stored settings, unit
// choices, the recent-file list, the command line), and knows whether closing would lose
// changes. Dialogs that come later plug into their command through a hook.
#pragma once

#include "app/CoilJob.h"
#include "app/DataCheck.h"
#include "app/JobSelection.h"
#include "app/ProjectFile.h"
#include "app/ProjectSession.h"
#include "app/StartupSettings.h"
#include "platform/RecentFiles.h"
#include "dialogs/FmtEdit.h"

#include <array>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zmk {

// ---- commands ------------------------------------------------------------------------------

/// The window's commands: menu items, tool buttons, the field buttons and the view's menu.
enum class TMainCommand {
    New,
    Open,
    Reopen, ///< the "Re-open" sub-menu
    Save,
    SaveAs,
    Properties,
    Exit,
    SetUnits,
    Copy,
    PrintPreview,
    CoilDrawing,
    Solve,
    StepByStep,
    DataCheck,
    Morvex,
    Hygrona,
    HelpIndex,
    EmailHelp,
    About,
    CoilSpec,     ///< "..." after the geometry line: the coil dialog
    Locations,    ///< "..." beside the altitude: the altitude dialog
    AirFlow,      ///< "..." beside the air flow: the air flow calculator
    FluidType,    ///< "..." beside the fluid type (and a click on it): the fluid dialog
    FluidFlow,    ///< "..." beside the fluid flow: the fluid flow calculator
    FluidControl, ///< "~": the liquid control toggle
    ViewSource,   ///< the view's "View Page Source"
    ShowHelp,     ///< the view's "Show Help"
    /// Solve menu "Coil Selection...": the coil selection window
    CoilSelection,
    Undo, ///< Edit menu: takes back the last coil change a selection made
    Redo, ///< Edit menu: makes it again
};

/// One item of the menu bar, in menu order.
struct TMenuItem
{
    const char* Menu;     ///< "&File"
    TMainCommand Command; ///< what it runs
    const char* Caption;  ///< "Save As..."
    const char* Shortcut; ///< key sequence text ("Ctrl+S", "F9"); empty for none
    const char* Hint;     ///< shown in the status bar; empty for none
    bool SeparatorBefore; ///< a separator stands before the item
};

/// The menus in order ("&File", "&View", "&Edit", "&Report", "&Solve", "&Tools", "&Help").
const std::vector<std::string>& MainMenus();
/// The command items of the menu bar, menu by menu. The View menu's six view items and the coil
/// kind choice are not commands; the window adds them where they belong (ReportViewCaption,
/// CoilKindChoices).
const std::vector<TMenuItem>& MainMenuItems();
/// The item of a command, or null when the menu bar has none (field buttons, the view's menu).
const TMenuItem* FindMenuItem(TMainCommand command);
/// The commands the tool bar shows, in order: New, Open, Save, Solve, Print Preview.
const std::vector<TMainCommand>& ToolBarCommands();
/// Whether the window carries the command out itself; the others belong to a dialog or window
/// that plugs in through a hook and stay disabled until it does.
bool IsBuiltInCommand(TMainCommand command);

/// One choice of the coil kind menu.
struct TCoilKindChoice
{
    const char* Code;    ///< "zmk"
    const char* Caption; ///< "Heat recovery coil (ZMK)"
};
/// The three coil kinds, in the order a Ctrl+click on the kind label steps through them.
const std::array<TCoilKindChoice, 3>& CoilKindChoices();

// ---- the about box ---------------------------------------------------------------------------

/// A library the program is built on, as the about box names it.
struct TLibraryNotice
{
    std::string Name;    ///< "pugixml"
    std::string Version; ///< "1.13"; empty when not known
    std::string Licence; ///< "MIT"
};

/// What the about box shows.
struct TAboutFacts
{
    std::string Title;   ///< "About Zemtor"
    std::string Caption; ///< "Zemtor 0.1.0.0"
    std::string Summary; ///< one line on what the program does
    /// The folders in use: program, common data, settings, documents (label, folder).
    std::vector<std::pair<std::string, std::string>> Folders;
    std::vector<TLibraryNotice> Libraries;
};

/// The about box's facts for the folders in use; the toolkit's name, version and licence come
/// from the window, which links it.
TAboutFacts AboutFacts(const TFolders& folders, const std::filesystem::path& settingsFolder,
                       const std::vector<TLibraryNotice>& toolkit);

// ---- the model -------------------------------------------------------------------------------

/// Texts of the close question.
inline constexpr std::string_view kSaveChangesTitle = "Unsaved changes";

/// The main window's model, working on one project session for the life of the window.
class TMainWindowModel
{
public:
    /// Width of the status bar's first panel, pixels.
    static constexpr int kStatusPanelWidth = 100;
    /// Width of the status bar's file panel, pixels.
    static constexpr int kFilePanelWidth = 400;

    /// A model on the session; it becomes the session's window and sets its fields up in their
    /// first units.
    explicit TMainWindowModel(TProjectSession& session);
    ~TMainWindowModel();
    TMainWindowModel(const TMainWindowModel&) = delete;
    TMainWindowModel& operator=(const TMainWindowModel&) = delete;

    TProjectSession& Session() { return session_; }
    TCoilJob& Job() { return session_.Job(); }
    const TCoilJob& Job() const { return session_.Job(); }

    // --- fields ---

    /// A numeric entry field's logic.
    TFmtEdit& Edit(TEntryField field) { return edits_[index(field)]; }
    /// The unit each entry field shows now (a field without a unit label: none).
    TShownUnits ShownUnits() const;
    /// The unit label of a field; null for the fields without units (rows, circuits).
    TFmtEditLabel* UnitLabel(TEntryField field);
    /// The read-only text fields: the liquid's short caption and the liquid control.
    TFmtEdit& FluidTypeEdit() { return fluidType_; }
    TFmtEdit& LiquidControlEdit() { return liquidControl_; }
    /// Whether the user may edit a field (the flow fields follow the liquid control).
    bool FieldEnabled(TEntryField field) const { return Job().Inputs[field].Enabled; }
    /// The field whose logic this is, if it is one of the fourteen.
    std::optional<TEntryField> FieldOf(const TFmtEdit* edit) const;
    /// Installs the unit chooser that every unit label opens.
    void SetUnitChooser(const TUnitChooser& chooser);

    /// Commits the field that has the focus, if it is one of the fourteen and the user changed
    /// it: it validates (bringing its value into range) and the job takes the value and runs the
    /// field's exit handler. Returns what the widget must do (take the focus back, beep).
    TExitResult CommitFocusedField(TFmtEdit* focused);

    // --- start-up and shut-down ---

    /// While the window is made: the report pictures, the recent-file list from the store, the
    /// kind's defaults, then the stored window place (held on the screen), start values, last
    /// path and field units; the empty file name; and the file named on the command line.
    void Startup(TWindowPlace& mainWindow, TScreenSize screen, const std::vector<std::string>& arguments);
    /// The first activation of the window (later calls do nothing): builds and solves the coil
    /// and opens the file named on the command line, if any, as Open does: it becomes the
    /// current file once it has opened, and a file that is missing, a folder or no project is
    /// told and left alone.
    void FirstActivation();
    bool Activated() const { return activated_; }
    /// The file named on the command line (a full path); empty when none.
    const std::string& CommandLineProjectFile() const { return commandLineFile_; }
    /// When the window closes: the start values captured from the coil, then the window place,
    /// start values, last path and field units stored, the recent-file list stored with the
    /// current file (when it is there), the store written and the units file written. A store
    /// that cannot be written is told. With `changesDiscarded` (the user chose not to save at
    /// the close) the start values stored are those of the project as last saved, opened or
    /// built new (or as the run started), not the ones thrown away.
    void Shutdown(const TWindowPlace& mainWindow, bool changesDiscarded = false);
    /// The units file written at shut-down; none when empty.
    std::filesystem::path UnitsFile;

    // --- commands ---

    /// Whether a command can run now: the window's own always, a plugged one when its hook is
    /// there ("Plot on Hygrona" also only while every state lies in the chart's range), the
    /// "Re-open" menu while it lists a file.
    bool CommandEnabled(TMainCommand command) const;
    /// A menu item's caption as it stands ("Undo Coil Selection"); the menu's own for most.
    std::string CommandCaption(TMainCommand command) const;
    /// The undo of the coil changes made from the coil selection window.
    TCoilUndo CoilUndo;
    /// Edit, "Undo" and "Redo". Errors of the solve reach the caller with the job not solved.
    void UndoClick();
    void RedoClick();
    /// Plugs a dialog or window into its command; an empty function unplugs it.
    void PlugCommand(TMainCommand command, std::function<void()> run);
    /// Runs a plugged command's hook; false when the command is not enabled or has no hook.
    bool RunCommand(TMainCommand command);
    /// Plugs the chart window that shows a successful Step by step; without one the chart goes
    /// to the window's own view of the job.
    void PlugStepChart(std::function<void(const TStepChartData&)> show) { stepChart_ = std::move(show); }
    /// The chart command draws the program's own chart, of any job, instead of handing the job to
    /// the sibling chart program with its narrow range.
    void SetBuiltInChart(bool builtIn) { builtInChart_ = builtIn; }

    /// New project.
    void ActionNewExecute();
    /// Open a file the user chose (the open dialog, a "Re-open" item, or the command line): the
    /// session's Open, which switches the coil kind to the file's; a file that does not open
    /// leaves the job, its file name and its unsaved changes as they were.
    TOpenResult OpenFile(const std::string& fileName);
    /// A "Re-open" item: commits the focused field, then opens the item's file.
    TExitResult OpenRecent(std::size_t index, TFmtEdit* focused);
    /// Save (Ctrl+S): commits the focused field, then saves; false when the file could not be
    /// written (the reason has been told).
    bool ActionSaveExecute(TFmtEdit* focused);
    /// Save As, once the user has chosen the file.
    bool SaveAs(const std::string& fileName, TFmtEdit* focused);
    /// Solve (F9): commits the focused field, then solves.
    TExitResult ActionSolveExecute(TFmtEdit* focused);
    /// A view of the View menu: chosen and built at once.
    void SetView(TReportView view);
    /// The spray check box was clicked to `on`.
    void SetSpray(bool on) { Job().SetSpray(on); }
    /// The "~" button.
    void ButtonFluidControlClick() { Job().ToggleLiquidControl(); }
    /// A mouse press on the kind label: with Ctrl the next kind is built.
    void CoilKindLabelMouseDown(bool ctrl);
    /// The coil kind menu: builds the chosen kind from the start values as they stand, as the
    /// Ctrl+click does; nothing when it is the kind already built.
    void SetCoilKind(std::string_view code);
    /// A double click on the view: the next picture.
    void AdvancePicture() { session_.AdvancePicture(); }

    // --- texts ---

    /// The window title: product name and file version.
    std::string Title() const;
    /// The first status panel: "Solved..." or "Not Solved...".
    std::string StatusText() const;
    /// The file panel: the current file name shortened to the window's width less the first
    /// panel's.
    std::string FilePanelText(int windowWidth, const ITextWidth& measure) const;
    /// The folder the file dialogs start in (the stored one, else the data folder); it follows
    /// the folder of each file the user picks.
    const std::string& LastPath() const { return lastPath_; }
    void SetLastPathFrom(const std::string& chosenFile);

    // --- closing ---

    /// Whether closing now would lose changes: what Save would write (the project document and
    /// the entry fields as committed) differs from what was last opened, saved or newly built.
    bool HasUnsavedChanges();
    /// The question asked before closing with unsaved changes.
    std::string SaveChangesQuestion() const;
    /// Takes what the job holds now as saved (after New, Open, Save and the first build).
    void MarkSaved();

private:
    static std::size_t index(TEntryField f) { return static_cast<std::size_t>(f); }
    void onFieldExit(TEntryField field, TFmtEdit& edit);
    void showField(TEntryField field);
    void showTexts();
    void afterBuild();
    std::string savedForm();
    TStartupSettings startValuesNow();

    // The fields follow the job's changes (the window's widgets subscribe after the model).
    void jobChanged(const TJobNews& news);

    TProjectSession& session_;
    std::array<TFmtEdit, kEntryFieldCount> edits_;
    std::array<std::unique_ptr<TFmtEditLabel>, kEntryFieldCount> labels_;
    TFmtEdit fluidType_;
    TFmtEdit liquidControl_;
    std::map<TMainCommand, std::function<void()>> hooks_;
    std::function<void(const TStepChartData&)> stepChart_;
    bool builtInChart_ = false;
    std::string lastPath_;
    std::string commandLineFile_;
    std::optional<std::string> saved_;
    std::optional<TStartupSettings> savedStart_;
    bool activated_ = false;
    int subscription_ = -1;
};

} // namespace zmk
