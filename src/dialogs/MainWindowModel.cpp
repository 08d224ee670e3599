#include "dialogs/MainWindowModel.h"

#include "base/Errors.h"
#include "base/Notifier.h"
#include "base/NumText.h"
#include "base/Version.h"
#include "engine/HeatExchanger.h"
#include "platform/Libraries.h"
#include "units/ConvTools.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include <pugixml.hpp>
#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <sstream>

namespace zmk {

// ---- commands ------------------------------------------------------------------------------

namespace {

using C = TMainCommand;

const std::vector<TMenuItem> kMenuItems{
    {"&File", C::New, "New project", "Ctrl+N", "Reset...", false},
    {"&File", C::Open, "Open", "Ctrl+O", "Open file...", false},
    {"&File", C::Reopen, "Re-open", "", "", false},
    {"&File", C::Save, "Save", "Ctrl+S", "Save file", false},
    {"&File", C::SaveAs, "Save As...", "Ctrl+Shift+S", "Save to different name", false},
    {"&File", C::Properties, "Properties", "", "File properties", true},
    {"&File", C::Exit, "Exit", "Ctrl+Q", "", true},
    {"&Edit", C::Undo, "Undo", "Ctrl+Z", "Undo the last coil selection", false},
    {"&Edit", C::Redo, "Redo", "Ctrl+Y", "Redo the coil selection undone", false},
    {"&Edit", C::SetUnits, "Set Units", "", "Unit settings", true},
    {"&Edit", C::Copy, "Copy to Windows clipboard", "", "Copy to Windows Clipboard", true},
    {"&Report", C::PrintPreview, "Print Preview", "Ctrl+P", "Print preview", false},
    {"&Report", C::CoilDrawing, "Coil Drawing", "", "", false},
    {"&Solve", C::Solve, "Solve", "F9", "Solve", false},
    {"&Solve", C::StepByStep, "Step by Step simulation", "", "Simulate (step-by-step)", false},
    {"&Solve", C::CoilSelection, "Coil Selection...", "", "Every catalogue coil that meets the duty", false},
    {"&Solve", C::DataCheck, "Data Check", "", "", true},
    {"&Solve", C::Morvex, "LMTD Calculator", "", "", false},
    {"&Solve", C::Hygrona, "Plot on Hygrona", "", "", false},
    {"&Help", C::HelpIndex, "Help Index", "F1", "Open help file", false},
    {"&Help", C::EmailHelp, "Email for Help", "", "Email for help", false},
    {"&Help", C::About, "About...", "", "Open about window", true},
};

constexpr std::array<TCoilKindChoice, 3> kKindChoices{{
    {"cwc", "Chilled water coil (CWC)"},
    {"hwc", "Hot water coil (HWC)"},
    {"zmk", "Heat recovery coil (ZMK)"},
}};

} // namespace

const std::vector<std::string>& MainMenus()
{
    static const std::vector<std::string> menus{"&File",  "&View",  "&Edit", "&Report",
                                                "&Solve", "&Tools", "&Help"};
    return menus;
}

const std::vector<TMenuItem>& MainMenuItems()
{
    return kMenuItems;
}

const TMenuItem* FindMenuItem(TMainCommand command)
{
    for (const TMenuItem& item : kMenuItems)
        if (item.Command == command)
            return &item;
    return nullptr;
}

const std::vector<TMainCommand>& ToolBarCommands()
{
    static const std::vector<TMainCommand> commands{C::New, C::Open, C::Save, C::Solve, C::PrintPreview};
    return commands;
}

bool IsBuiltInCommand(TMainCommand command)
{
    switch (command) {
    case C::New:
    case C::Open:
    case C::Reopen:
    case C::Save:
    case C::SaveAs:
    case C::Exit:
    case C::SetUnits:
    case C::Copy:
    case C::Solve:
    case C::HelpIndex:
    case C::EmailHelp:
    case C::About:
    case C::FluidControl:
    case C::ViewSource:
    case C::ShowHelp:
    case C::Undo:
    case C::Redo:
        return true;
    case C::Properties:
    case C::PrintPreview:
    case C::CoilDrawing:
    case C::StepByStep:
    case C::DataCheck:
    case C::Morvex:
    case C::Hygrona:
    case C::CoilSpec:
    case C::Locations:
    case C::AirFlow:
    case C::FluidType:
    case C::FluidFlow:
    case C::CoilSelection:
        break;
    }
    return false;
}

const std::array<TCoilKindChoice, 3>& CoilKindChoices()
{
    return kKindChoices;
}

// ---- the model -------------------------------------------------------------------------------

TMainWindowModel::TMainWindowModel(TProjectSession& session) : session_(session)
{
    for (const TEntryFieldInfo& info : EntryFields()) {
        const TEntryField f = info.Field;
        TFmtEdit& edit = Edit(f);
        edit.SetValue(Job().Inputs[f].Value);
        if (info.Kind != utNone) {
            labels_[index(f)] = std::make_unique<TFmtEditLabel>();
            edit.SetUnitsLabel(labels_[index(f)].get());
        }
        ConfigureField(edit, info);
        // Enter commits a field of the window as leaving it does.
        edit.SetCommitOnEnter(true);
        edit.OnExit = [this, f](TFmtEdit& e) { onFieldExit(f, e); };
    }
    // The pages follow the display unit chosen for the fin height.
    Edit(TEntryField::edFinHeight).OnUnitsEdited = [](TFmtEdit& e) {
        UnitRec& q = Quantities().fat_height;
        q.display = ClampUnitIndex(q.kind, e.UnitsValue());
    };
    for (TFmtEdit* text : {&fluidType_, &liquidControl_}) {
        text->SetFormatStr("%s");
        text->SetReadOnly(true);
        text->SetText("");
    }
    lastPath_ = Job().DataFolder;
    subscription_ = Job().Subscribe([this](const TJobNews& news) { jobChanged(news); });
}

TMainWindowModel::~TMainWindowModel()
{
    Job().Unsubscribe(subscription_);
}

TFmtEditLabel* TMainWindowModel::UnitLabel(TEntryField field)
{
    return labels_[index(field)].get();
}

std::optional<TEntryField> TMainWindowModel::FieldOf(const TFmtEdit* edit) const
{
    for (std::size_t i = 0; i < edits_.size(); ++i)
        if (&edits_[i] == edit)
            return static_cast<TEntryField>(i);
    return std::nullopt;
}

void TMainWindowModel::SetUnitChooser(const TUnitChooser& chooser)
{
    for (auto& label : labels_)
        if (label)
            label->Chooser = chooser;
}

void TMainWindowModel::onFieldExit(TEntryField f, TFmtEdit& edit)
{
    if (!edit.Modified())
        return;
    // The field has brought its number into range; text it could not read as a number stays
    // as typed and is refused here, with the job's value shown again.
    const TFieldValue value = edit.GetValue();
    double number = 0;
    try {
        number = static_cast<double>(value.AsNumber());
    } catch (const ZmkError& e) {
        if (INotifier* n = session_.Notifier())
            n->Message(std::string(EntryFieldInfo(f).Caption) + ": " + e.what());
        showField(f);
        return;
    }
    Job().SetInput(f, number);
}

TShownUnits TMainWindowModel::ShownUnits() const
{
    TShownUnits units;
    for (int i = 0; i < kEntryFieldCount; ++i)
        if (const TUnitLabel* label = edits_[i].UnitsLabel())
            units[i] = TShownUnit{edits_[i].Factor(), edits_[i].Offset(), label->Caption()};
    return units;
}

TExitResult TMainWindowModel::CommitFocusedField(TFmtEdit* focused)
{
    if (!focused || !FieldOf(focused))
        return {};
    return focused->Exit();
}

void TMainWindowModel::showField(TEntryField f)
{
    Edit(f).SetValue(Job().Inputs[f].Value);
}

void TMainWindowModel::showTexts()
{
    fluidType_.SetText(Job().Inputs.edFluidType);
    liquidControl_.SetText(Job().Inputs.edLiquidControl);
}

// ---- start-up and shut-down --------------------------------------------------------------------

void TMainWindowModel::Startup(TWindowPlace& mainWindow, TScreenSize screen,
                               const std::vector<std::string>& arguments)
{
    session_.Pictures().Collect(ImagesFolderOf(session_.ProgramFolder()));
    session_.Pictures().StartFrom(DaysSince1899());
    ISettingsStore& store = session_.Store();
    session_.RecentFiles().Init(store, [this](const std::string& file) { OpenFile(file); });

    TCoilJob& job = Job();
    job.KindCode = std::string(kKindZemtor);
    job.SetKindDefaults();

    TStartupSettings settings;
    settings.LastPath = job.DataFolder;
    settings.Start = job.StartValues;
    std::array<TEntryField, kUnitFields.size()> unitFields{};
    for (std::size_t i = 0; i < kUnitFields.size(); ++i) {
        unitFields[i] = *FindEntryField(kUnitFields[i].Field);
        settings.UnitIndex[i] = Edit(unitFields[i]).UnitsValue();
    }
    LoadStartupSettings(store, mainWindow, screen, settings);
    job.StartValues = settings.Start;
    lastPath_ = settings.LastPath;
    for (std::size_t i = 0; i < kUnitFields.size(); ++i)
        ConfigureField(Edit(unitFields[i]), EntryFieldInfo(unitFields[i]), settings.UnitIndex[i]);

    SetFileName(job.FileName, "", session_.RecentFiles());
    // Opened at the first activation, with the checks of every Open: it becomes the current
    // file only once it has opened.
    commandLineFile_ = CommandLineFile(arguments);
}

void TMainWindowModel::FirstActivation()
{
    if (activated_)
        return;
    activated_ = true;
    Job().BuildCoil();
    afterBuild();
    if (!commandLineFile_.empty())
        session_.Open(commandLineFile_);
    MarkSaved();
}

void TMainWindowModel::afterBuild()
{
    // A freshly built coil has been solved: show its temperature profile rather than the empty
    // placeholder the page holds until the next Solve.
    if (Job().Coil() && Job().Solved())
        session_.RedrawProfile();
}

TStartupSettings TMainWindowModel::startValuesNow()
{
    // Captured without touching the job's start values, which only the close captures.
    const TCoilJob& job = Job();
    TStartupSettings settings;
    settings.Start = job.CurrentStartValues();
    settings.Altitude = job.Inputs.edAltitude.Value;
    settings.AirMassFlow = job.Inputs.edAirMassflow.Value;
    settings.LiquidDT = job.Inputs.edFluidDT.Value;
    settings.TubeVelocity = job.Inputs.edTubeVelocity.Value;
    return settings;
}

void TMainWindowModel::Shutdown(const TWindowPlace& mainWindow, bool changesDiscarded)
{
    TCoilJob& job = Job();
    job.CaptureStartValues();
    // Changes the user threw away at the close do not come back at the next start: it starts
    // from the project as last saved or opened (or as this run started).
    TStartupSettings settings = changesDiscarded && savedStart_ ? *savedStart_ : startValuesNow();
    settings.LastPath = lastPath_;
    for (std::size_t i = 0; i < kUnitFields.size(); ++i)
        settings.UnitIndex[i] = Edit(*FindEntryField(kUnitFields[i].Field)).UnitsValue();
    ISettingsStore& store = session_.Store();
    SaveStartupSettings(store, mainWindow, settings);
    session_.RecentFiles().Store(store, RememberedFile(job.FileName));
    const bool stored = store.Flush();
    const bool unitsStored = UnitsFile.empty() || SaveUnitSettings(Quantities(), UnitsFile);
    if (INotifier* n = session_.Notifier()) {
        if (!stored)
            n->Message("The program's settings could not be saved...");
        if (!unitsStored)
            n->Message("The unit choices could not be saved in " + UnitsFile.string() + "...");
    }
}

// ---- commands ------------------------------------------------------------------------------------

bool TMainWindowModel::CommandEnabled(TMainCommand command) const
{
    if (command == C::Reopen)
        return !session_.RecentFiles().VisibleCaptions().empty();
    if (command == C::Undo)
        return CoilUndo.CanUndo(Job());
    if (command == C::Redo)
        return CoilUndo.CanRedo(Job());
    if (IsBuiltInCommand(command))
        return true;
    if (!hooks_.count(command))
        return false;
    if (command == C::Hygrona)
        return builtInChart_ || Job().StatesInChartRange();
    return true;
}

std::string TMainWindowModel::CommandCaption(TMainCommand command) const
{
    if (command == C::Undo)
        return CoilUndo.UndoCaption(Job());
    if (command == C::Redo)
        return CoilUndo.RedoCaption(Job());
    const TMenuItem* item = FindMenuItem(command);
    return item ? item->Caption : std::string();
}

void TMainWindowModel::UndoClick()
{
    CoilUndo.Undo(Job());
}

void TMainWindowModel::RedoClick()
{
    CoilUndo.Redo(Job());
}

void TMainWindowModel::PlugCommand(TMainCommand command, std::function<void()> run)
{
    if (run)
        hooks_[command] = std::move(run);
    else
        hooks_.erase(command);
}

bool TMainWindowModel::RunCommand(TMainCommand command)
{
    auto it = hooks_.find(command);
    if (it == hooks_.end() || !CommandEnabled(command))
        return false;
    // The hook may unplug itself; run a copy.
    const std::function<void()> run = it->second;
    run();
    return true;
}

void TMainWindowModel::ActionNewExecute()
{
    session_.New();
    afterBuild();
    MarkSaved();
}

TOpenResult TMainWindowModel::OpenFile(const std::string& fileName)
{
    const TOpenResult r = session_.Open(fileName);
    if (r.Exists && !r.Refused)
        MarkSaved();
    return r;
}

TExitResult TMainWindowModel::OpenRecent(std::size_t index, TFmtEdit* focused)
{
    const TExitResult r = CommitFocusedField(focused);
    session_.RecentFiles().Click(index);
    return r;
}

bool TMainWindowModel::ActionSaveExecute(TFmtEdit* focused)
{
    CommitFocusedField(focused);
    if (!session_.Save())
        return false;
    MarkSaved();
    return true;
}

bool TMainWindowModel::SaveAs(const std::string& fileName, TFmtEdit* focused)
{
    CommitFocusedField(focused);
    SetLastPathFrom(fileName);
    if (!session_.SaveAs(fileName))
        return false;
    MarkSaved();
    return true;
}

TExitResult TMainWindowModel::ActionSolveExecute(TFmtEdit* focused)
{
    const TExitResult r = CommitFocusedField(focused);
    session_.Solve();
    return r;
}

void TMainWindowModel::SetView(TReportView view)
{
    session_.SetView(view);
}

void TMainWindowModel::CoilKindLabelMouseDown(bool ctrl)
{
    if (!ctrl)
        return;
    Job().NextKind();
    afterBuild();
}

void TMainWindowModel::SetCoilKind(std::string_view code)
{
    const std::optional<std::string> kind = CanonicalCoilKind(code);
    if (!kind || (Job().Coil() && CanonicalCoilKind(Job().KindCode) == kind))
        return;
    Job().KindCode = *kind;
    Job().BuildCoil();
    afterBuild();
}

// ---- texts ---------------------------------------------------------------------------------------

std::string TMainWindowModel::Title() const
{
    return ProgramCaption();
}

std::string TMainWindowModel::StatusText() const
{
    return std::string(Job().Solved() ? kSolvedStatus : kNotSolvedStatus);
}

std::string TMainWindowModel::FilePanelText(int windowWidth, const ITextWidth& measure) const
{
    return FileNamePanelText(Job().FileName, windowWidth, kStatusPanelWidth, measure);
}

void TMainWindowModel::SetLastPathFrom(const std::string& chosenFile)
{
    const std::filesystem::path folder = std::filesystem::path(chosenFile).parent_path();
    if (!folder.empty())
        lastPath_ = folder.string() + "/";
}

// ---- closing -------------------------------------------------------------------------------------

namespace {

// The length of the number text starting at text[i] (a sign, digits, a point, an exponent), 0
// when none starts there.
std::size_t numberAt(const std::string& text, std::size_t i, double& value)
{
    const char* first = text.data() + i;
    const char* last = text.data() + text.size();
    if (first == last || !(std::isdigit(static_cast<unsigned char>(*first)) || *first == '-'))
        return 0;
    std::size_t n = 0;
    for (; first + n != last; ++n) {
        const char c = first[n];
        const bool sign = (c == '-' || c == '+') && (n == 0 || first[n - 1] == 'E' || first[n - 1] == 'e');
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == 'E' || c == 'e' || sign))
            break;
    }
    return TryStrToFloat(std::string_view(first, n), value) ? n : 0;
}

// Two saved forms alike but for numbers within a part in 10^9 of each other: the projects keep
// every number exactly, and solving a job again without a change moves its results in their
// last digits only (each solve stops when two passes agree to 1e-10 of the duty).
bool sameSavedForm(const std::string& a, const std::string& b)
{
    constexpr double kNoise = 1e-9;
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        double x = 0, y = 0;
        const bool wordStart = i == 0 || !std::isalnum(static_cast<unsigned char>(a[i - 1]));
        const std::size_t n = wordStart ? numberAt(a, i, x) : 0;
        const std::size_t m = n ? numberAt(b, j, y) : 0;
        if (n && m) {
            if (x != y && std::fabs(x - y) > kNoise * std::max(std::fabs(x), std::fabs(y)))
                return false;
            i += n;
            j += m;
        } else if (a[i++] != b[j++]) {
            return false;
        }
    }
    return i == a.size() && j == b.size();
}

} // namespace

std::string TMainWindowModel::savedForm()
{
    // What Save would write, made without touching the job: the document as Save fills it (its
    // start values put back afterwards, since only a real Save or the end of the run captures
    // them), and the fields as committed, which reach the coil only at the next Solve or Save.
    TCoilJob& job = Job();
    std::ostringstream out;
    if (job.Coil()) {
        const TStartValues kept = job.StartValues;
        TXMLFile file;
        WriteProjectDocument(file, job);
        job.StartValues = kept;
        file.Document().save(out, "", pugi::format_raw);
    }
    out << '\n' << job.KindCode;
    for (const TEntryFieldInfo& info : EntryFields())
        out << ' ' << Format("%0.6g", job.Inputs[info.Field].Value);
    out << ' ' << job.Inputs.cbSpray;
    return out.str();
}

void TMainWindowModel::MarkSaved()
{
    saved_ = savedForm();
    savedStart_ = startValuesNow();
}

bool TMainWindowModel::HasUnsavedChanges()
{
    return saved_ && !sameSavedForm(savedForm(), *saved_);
}

std::string TMainWindowModel::SaveChangesQuestion() const
{
    const std::string& name = Job().FileName;
    return "The project has changed since it was last saved.\r\n\r\nSave the changes" +
           (name.empty() ? std::string() : " to " + name) + "?";
}

// ---- the job's news ------------------------------------------------------------------------------

void TMainWindowModel::jobChanged(const TJobNews& news)
{
    if (news.Has(jcControl))
        showTexts();
    if (news.Has(jcInputs)) {
        if (news.Field) {
            showField(*news.Field);
        } else {
            for (const TEntryFieldInfo& info : EntryFields())
                showField(info.Field);
            showTexts();
        }
    }
    if (news.Has(jcStepChart) && stepChart_) {
        // A copy: the hook may unplug itself.
        const auto show = stepChart_;
        show(Job().StepChart());
    }
}

// ---- the about box -------------------------------------------------------------------------------

TAboutFacts AboutFacts(const TFolders& folders, const std::filesystem::path& settingsFolder,
                       const std::vector<TLibraryNotice>& toolkit)
{
    TAboutFacts a;
    a.Title = std::string("About ") + kProductName;
    a.Caption = ProgramCaption();
    a.Summary = "Rates finned-tube coils: air on the fins, a pumped liquid in the tubes.";
    a.Folders = {
        {"Program", folders.ProgramFolder},
        {"Common data", folders.CommonDataFolder},
        {"Settings", settingsFolder.string()},
        {"Documents", folders.DataFolder},
    };
    a.Libraries = toolkit;
    a.Libraries.push_back(
        {"pugixml", Format("%d.%d", PUGIXML_VERSION / 1000, PUGIXML_VERSION / 10 % 100), "MIT"});
    a.Libraries.push_back({"zlib", ZLIB_VERSION, "Zlib"});
    a.Libraries.push_back({"FreeType", Format("%d.%d.%d", FREETYPE_MAJOR, FREETYPE_MINOR, FREETYPE_PATCH),
                           "FreeType License (FTL)"});
    for (const TLibraryVersion& library : PlatformLibraries())
        a.Libraries.push_back({library.Name, library.Version, library.Licence});
    return a;
}

} // namespace zmk
