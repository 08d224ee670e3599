// The main window's model without widgets: fields typed into and left, commands and their
// enabling, start-up and shut-down through the settings store, and the close question.
#include "dialogs/MainWindowModel.h"

#include "support/FieldTyping.h"

#include "support/ProjectTestSession.h"
#include "support/SelectTestCandidate.h"

#include "app/JobCalculators.h"
#include "app/JobSelection.h"

#include "base/Errors.h"
#include "base/NumText.h"
#include "base/Version.h"
#include "reports/HtmlView.h"
#include "units/ConvTools.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace zmk {
namespace {

using test::Type;

namespace fs = std::filesystem;
using test::ShellTestFolder;
using C = TMainCommand;
using F = TEntryField;

/// Types into a field and leaves it.
TExitResult TypeAndLeave(TFmtEdit& field, std::string_view typed)
{
    Type(field, typed);
    return field.Exit();
}

class MainWindowModelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Quantities().ResetDefaults();
        fs::create_directories(data);
        fs::create_directories(report);
        make();
    }
    void TearDown() override { Quantities().ResetDefaults(); }

    // A session and model as the program makes them, on the test's store.
    void make()
    {
        model.reset();
        session.reset();
        TSessionSetup setup;
        setup.Notifier = &notes;
        setup.Store = &store;
        setup.User = TRegisteredUser{"Ada Engineer", "Coil Works"};
        setup.DataFolder = data;
        setup.ProgramFolder = ZMK_BUILD_PROGRAM_DIR;
        setup.ReportFolder = report;
        setup.Caption = ProgramCaption();
        session = std::make_unique<TProjectSession>(setup);
        session->SetHtmlView(&view);
        model = std::make_unique<TMainWindowModel>(*session);
    }
    // Start-up and first activation, with a window place of 586 x 582 at 100, 100.
    void start(const std::vector<std::string>& arguments = {})
    {
        place = {100, 100, 586, 582, false, 0};
        model->Startup(place, {1280, 1024}, arguments);
        model->FirstActivation();
    }
    TCoilJob& job() { return model->Job(); }
    TFmtEdit& edit(F f) { return model->Edit(f); }
    std::string file(const std::string& name) const { return (folder / name).string(); }

    ShellTestFolder folder;
    test::CatalogueCopy catalogue{folder / "common"};
    std::string data = (folder / "docs").string() + "/";
    fs::path report = folder / "report" / "";
    TMemorySettingsStore store;
    RecordingNotifier notes;
    RecordingHtmlView view;
    std::unique_ptr<TProjectSession> session;
    std::unique_ptr<TMainWindowModel> model;
    TWindowPlace place;
};

TEST_F(MainWindowModelTest, FirstRunShowsTheDefaultJobSolvedWithItsProfile)
{
    start();
    EXPECT_EQ(model->Title(), "Zemtor 0.1.0.0");
    EXPECT_TRUE(job().Solved());
    EXPECT_EQ(model->StatusText(), "Solved...");
    EXPECT_EQ(model->LastPath(), data);
    EXPECT_TRUE(session->RecentFiles().Items().empty());
    EXPECT_FALSE(model->CommandEnabled(C::Reopen));
    // The fields show the "zmk" defaults in their first units.
    EXPECT_EQ(edit(F::edFinHeight).Text(), "21.00");
    EXPECT_EQ(edit(F::edFinnedLength).Text(), "1200.0");
    EXPECT_EQ(edit(F::edRows).Text(), "4.0");
    EXPECT_EQ(edit(F::edFinDensity).Text(), "10.0000");
    EXPECT_EQ(edit(F::edAltitude).Text(), "0.0");
    EXPECT_EQ(edit(F::edOnCoil).Text(), "380.0");
    EXPECT_EQ(edit(F::edFluidFlow).Text(), "1.2000");
    EXPECT_EQ(model->FluidTypeEdit().Text(), "Thermal Oil");
    EXPECT_EQ(model->LiquidControlEdit().Text(), "Liquid flow");
    EXPECT_TRUE(model->FluidTypeEdit().ReadOnly());
    EXPECT_EQ(model->UnitLabel(F::edFinDensity)->Caption(), "fpi");
    EXPECT_EQ(model->UnitLabel(F::edRows), nullptr);
    // The solved summary shows the temperature profile at once, not its empty placeholder.
    EXPECT_FALSE(view.images["pimage"].empty());
    EXPECT_FALSE(model->HasUnsavedChanges());
}

TEST_F(MainWindowModelTest, StoredSettingsAndTheCommandLineProjectComeBackAtStart)
{
    // A hyphenated project on the command line, a stored window place off the screen, stored
    // start values and field units, and a recent-file list.
    {
        test::ProjectJob cold("cwc");
        cold.job.EnterField(F::edFluidInTemp, 7.5);
        cold.job.EnterField(F::edOnCoil, 25);
        fs::create_directories(folder / "my-jobs");
        ASSERT_TRUE(cold.session.SaveAs(file("my-jobs/cold-coil.zmx")));
    }
    store.WriteInteger("MainForm", "Left", 1250);
    store.WriteInteger("MainForm", "Top", -50);
    store.WriteInteger("MainForm", "Width", 700);
    store.WriteFloat("Startup\\airon", "db", 250);
    store.WriteString("Startup", "LastPath", "/somewhere/");
    store.WriteInteger("units", "OnCoilDB", 1); // °F
    store.WriteString("MRU", "0", file("a.zmx"));

    start({"--screenshot=shot.png", file("my-jobs/cold-coil.zmx")});
    EXPECT_EQ(place.Left, 1080);
    EXPECT_EQ(place.Top, 0);
    EXPECT_EQ(place.Width, 700);
    EXPECT_EQ(model->LastPath(), "/somewhere/");
    EXPECT_EQ(model->CommandLineProjectFile(), file("my-jobs/cold-coil.zmx"));
    // Built from the stored start values, then the project opened in its own kind: a chilled
    // water coil with the file's air on, shown in the stored unit.
    EXPECT_EQ(job().KindCode, "cwc");
    EXPECT_EQ(CoilLabels(job()).Kind, "CWC");
    EXPECT_EQ(job().FileName, file("my-jobs/cold-coil.zmx"));
    EXPECT_EQ(edit(F::edOnCoil).Text(), "77.0"); // 25 °C in °F
    EXPECT_EQ(model->UnitLabel(F::edOnCoil)->Caption(), "°F");
    EXPECT_FALSE(job().Solved());
    EXPECT_EQ(session->RecentFiles().VisibleCaptions(), (std::vector<std::string>{file("a.zmx")}));
    EXPECT_TRUE(model->CommandEnabled(C::Reopen));
    EXPECT_FALSE(model->HasUnsavedChanges());
}

TEST_F(MainWindowModelTest, LeavingAFieldCommitsItsValueThroughItsUnit)
{
    start();
    // 212 °F typed into a field shown in °F reaches the job as 100 °C, and only then.
    model->UnitLabel(F::edOnCoil)->ApplyChosenUnit(1);
    Type(edit(F::edOnCoil), "212");
    EXPECT_DOUBLE_EQ(job().Inputs.edOnCoil.Value, 380);
    EXPECT_TRUE(job().Solved());
    const TExitResult r = edit(F::edOnCoil).Exit();
    EXPECT_FALSE(r.keepFocus);
    EXPECT_NEAR(job().Inputs.edOnCoil.Value, 100, 1e-9);
    EXPECT_FALSE(job().Solved());
    EXPECT_EQ(model->StatusText(), "Not Solved...");

    // A flow left in its field updates the other view of the same flow.
    const std::string velocity = edit(F::edFaceVelocity).Text();
    TypeAndLeave(edit(F::edAirMassflow), "2");
    EXPECT_DOUBLE_EQ(job().Inputs.edAirMassflow.Value, 2);
    EXPECT_NE(edit(F::edFaceVelocity).Text(), velocity);
    EXPECT_DOUBLE_EQ(StrToFloat(edit(F::edFaceVelocity).Text()),
                     StrToFloat(Format("%0.2f", job().Inputs.edFaceVelocity.Value)));

    // A field left without a change leaves the job alone.
    job().SetSolved(true);
    edit(F::edRows).Enter();
    edit(F::edRows).Exit();
    EXPECT_TRUE(job().Solved());
}

TEST_F(MainWindowModelTest, DataCheckShowsTheInputsInTheUnitsTheFieldsShow)
{
    start();
    model->UnitLabel(F::edOnCoil)->ApplyChosenUnit(1);
    const TDataCheck check = MakeDataCheck(job(), model->ShownUnits());
    // The fin height field shows inch, the entering air now °F: so does the check.
    EXPECT_EQ(check.Input("edFinHeight")->Value, "21 inch");
    EXPECT_EQ(check.Input("edOnCoil")->Value, "716 " + model->UnitLabel(F::edOnCoil)->Caption());
    EXPECT_EQ(check.Input("edOnCoil")->Range.rfind("-76 to 1652 ", 0), 0u) << check.Input("edOnCoil")->Range;
    EXPECT_EQ(check.Input("edRows")->Value, "4");
    EXPECT_EQ(check.Input("edFinnedLength")->Range, "100 to 100000 mm");
}

// The page on screen shows results, or the inputs of a job that is not solved.
bool ShowsResults(const RecordingHtmlView& view)
{
    return view.DocumentSource().find("Qt   = ") != std::string::npos;
}

bool ShowsInputs(const RecordingHtmlView& view)
{
    const std::string& page = view.DocumentSource();
    return page.find("Not solved &mdash; press F9") != std::string::npos &&
           page.find("<b>Inputs</b>") != std::string::npos && page.find("Uo   = ") == std::string::npos &&
           page.find("dpf  = ") == std::string::npos;
}

// Whatever the user commits, the job is no longer solved and the page at once shows the inputs
// and no result of the solve before; the next Solve shows results of its own, picture and all.
TEST_F(MainWindowModelTest, EveryCommittedInputLeavesThePageWithNoResultOfTheSolveBefore)
{
    struct Case
    {
        const char* what;
        std::function<void()> act;
    };
    const Case cases[] = {
        {"Enter in a field (the focus stays)",
         [this] {
             Type(edit(F::edOnCoil), "300");
             edit(F::edOnCoil).KeyPress(kKeyEnter);
             EXPECT_FALSE(edit(F::edOnCoil).Modified());
             EXPECT_DOUBLE_EQ(job().Inputs.edOnCoil.Value, 300);
         }},
        {"Tab out of a field", [this] { TypeAndLeave(edit(F::edFluidInTemp), "90"); }},
        {"a flow field, whose other view follows", [this] { TypeAndLeave(edit(F::edFluidFlow), "1.5"); }},
        {"the fluid dialog's OK (after a field was left)",
         [this] {
             TypeAndLeave(edit(F::edOnCoil), "300");
             ASSERT_TRUE(job().SetLiquidKind(0));
         }},
        {"the air flow calculator's OK", [this] { TakeAirMassFlow(job(), 1.1); }},
        {"the fluid flow calculator's OK", [this] { TakeLiquidMassFlow(job(), 1.5); }},
        {"the barometer's OK", [this] { TakeAltitude(job(), 500); }},
        {"the spray option", [this] { model->SetSpray(true); }},
        {"Open of another job",
         [this] {
             test::ProjectJob other("zmk");
             other.job.EnterField(F::edOnCoil, 250);
             other.session.Solve();
             ASSERT_TRUE(other.session.SaveAs(file("other.zmx")));
             ASSERT_TRUE(model->OpenFile(file("other.zmx")).CoilFound);
         }},
    };
    for (const TReportView shown : {TReportView::ThermalSummary, TReportView::Diagnostic}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + " in " + ReportViewCaption(shown));
            make();
            start();
            model->SetView(shown);
            ASSERT_TRUE(job().Solved());
            ASSERT_TRUE(view.DocumentSource().find(
                            shown == TReportView::ThermalSummary ? "Qt   = " : "Uo = ") != std::string::npos);
            notes.statuses.clear();
            c.act();
            EXPECT_FALSE(job().Solved());
            EXPECT_EQ(model->StatusText(), "Not Solved...");
            ASSERT_FALSE(notes.statuses.empty());
            EXPECT_EQ(notes.statuses.back(), "Not Solved...");
            EXPECT_TRUE(ShowsInputs(view)) << view.DocumentSource();
            EXPECT_EQ(view.displayed["status"], true);

            // Solved again, every figure comes from this solve.
            model->ActionSolveExecute(nullptr);
            ASSERT_TRUE(job().Solved()) << job().LastReason();
            EXPECT_FALSE(ShowsInputs(view));
            if (shown == TReportView::ThermalSummary) {
                EXPECT_TRUE(ShowsResults(view));
                const std::string duty =
                    FormatQuantity("Qt   = %s", Quantities().hex_duty, false, job().Coil()->Qt);
                EXPECT_NE(view.DocumentSource().find(duty.substr(0, duty.size() - 1)), std::string::npos)
                    << duty;
                EXPECT_FALSE(view.images["pimage"].empty());
            }
        }
    }
}

TEST_F(MainWindowModelTest, NewShowsTheNewJobsResultsAndAUnitChangeKeepsTheResults)
{
    start();
    TypeAndLeave(edit(F::edOnCoil), "300");
    ASSERT_TRUE(ShowsInputs(view));
    // New solves the kind's default job: its own results.
    model->ActionNewExecute();
    EXPECT_TRUE(job().Solved());
    EXPECT_TRUE(ShowsResults(view));
    EXPECT_FALSE(view.images["pimage"].empty());

    // Showing a field in another unit changes no value: the results stay those of the inputs.
    const double before = job().Inputs.edOnCoil.Value;
    model->UnitLabel(F::edOnCoil)->ApplyChosenUnit(1); // °F
    EXPECT_EQ(edit(F::edOnCoil).Text(), "716.0");
    EXPECT_EQ(job().Inputs.edOnCoil.Value, before);
    EXPECT_TRUE(job().Solved());
    EXPECT_TRUE(ShowsResults(view));
}

// The thermal summary's profile is drawn for the solve on show: switching to another view and
// back, or a Step by step (which solves), puts it back into the page loaded afresh.
TEST_F(MainWindowModelTest, TheProfileComesBackWheneverTheSummaryIsShownAgain)
{
    start();
    const std::vector<std::uint8_t> profile = view.images["pimage"];
    ASSERT_FALSE(profile.empty());
    model->SetView(TReportView::ManufacturingSpec);
    EXPECT_TRUE(view.images.empty());
    model->SetView(TReportView::ThermalSummary);
    EXPECT_EQ(view.images["pimage"], profile);

    // Step by step on other inputs: the picture is that of its solve.
    TypeAndLeave(edit(F::edOnCoil), "300");
    EXPECT_TRUE(view.images.empty());
    session->StepByStep();
    ASSERT_TRUE(job().Solved());
    ASSERT_FALSE(view.images["pimage"].empty());
    EXPECT_NE(view.images["pimage"], profile);
    const std::string file = ShellTestFolder::Read(report / "profile.png");
    EXPECT_EQ(std::vector<std::uint8_t>(file.begin(), file.end()), view.images["pimage"]);
}

TEST_F(MainWindowModelTest, AnOutOfRangeEntryIsClampedOnceAndKeepsTheFocus)
{
    start();
    notes.beeps = 0;
    const TExitResult r = TypeAndLeave(edit(F::edOnCoil), "1000");
    EXPECT_TRUE(r.keepFocus);
    EXPECT_TRUE(r.beep);
    EXPECT_EQ(edit(F::edOnCoil).Text(), "900.0");
    EXPECT_DOUBLE_EQ(job().Inputs.edOnCoil.Value, 900);
    // The job took the field's value as it stands: no second check, no second beep.
    EXPECT_EQ(notes.beeps, 0);
    // Escape still brings back the text the field was entered with.
    edit(F::edOnCoil).KeyPress(kKeyEscape);
    EXPECT_EQ(edit(F::edOnCoil).Text(), "380.0");
}

TEST_F(MainWindowModelTest, TextThatIsNoNumberIsRefusedWithAMessage)
{
    start();
    edit(F::edOnCoil).Enter();
    edit(F::edOnCoil).EditText("warm"); // pasted
    const TExitResult r = edit(F::edOnCoil).Exit();
    EXPECT_FALSE(r.keepFocus);
    ASSERT_EQ(notes.messages.size(), 1u);
    EXPECT_THAT(notes.messages[0], ::testing::StartsWith("Air Temp On: "));
    EXPECT_EQ(edit(F::edOnCoil).Text(), "380.0");
    EXPECT_DOUBLE_EQ(job().Inputs.edOnCoil.Value, 380);
}

TEST_F(MainWindowModelTest, SolveCommitsTheFocusedFieldFirst)
{
    start();
    const double duty = job().Coil()->Qt;
    Type(edit(F::edOnCoil), "300");
    model->ActionSolveExecute(&edit(F::edOnCoil));
    EXPECT_DOUBLE_EQ(job().Inputs.edOnCoil.Value, 300);
    EXPECT_TRUE(job().Solved());
    EXPECT_LT(job().Coil()->Qt, duty);
    EXPECT_EQ(edit(F::edOnCoil).Text(), "300.0");
    // Another object than one of the fields commits nothing.
    TFmtEdit stranger;
    EXPECT_FALSE(model->CommitFocusedField(&stranger).keepFocus);
    EXPECT_FALSE(model->CommitFocusedField(nullptr).keepFocus);
}

TEST_F(MainWindowModelTest, LiquidControlAndUnitLabelsReachTheirFields)
{
    start();
    EXPECT_TRUE(model->FieldEnabled(F::edFluidFlow));
    EXPECT_FALSE(model->FieldEnabled(F::edFluidDT));
    model->ButtonFluidControlClick();
    EXPECT_EQ(model->LiquidControlEdit().Text(), "Temperature");
    EXPECT_FALSE(model->FieldEnabled(F::edFluidFlow));
    EXPECT_FALSE(model->FieldEnabled(F::edTubeVelocity));
    EXPECT_TRUE(model->FieldEnabled(F::edFluidDT));
    EXPECT_TRUE(job().Solved()); // the toggle leaves the status alone

    // The fin height's unit label opens the chooser 5 pixels right of and below the pointer;
    // the choice carries over to the pages' fin height.
    TUnitChooserRequest asked;
    model->SetUnitChooser([&](const TUnitChooserRequest& r) -> std::optional<int> {
        asked = r;
        return FindUnitIndex(utLengthMeasure, "mm");
    });
    model->UnitLabel(F::edFinHeight)->Click(300, 200);
    EXPECT_EQ(asked.x, 305);
    EXPECT_EQ(asked.y, 205);
    EXPECT_EQ(asked.selected, FindUnitIndex(utLengthMeasure, "inch"));
    EXPECT_EQ(edit(F::edFinHeight).Text(), "533.4");
    EXPECT_EQ(model->UnitLabel(F::edFinHeight)->Caption(), "mm");
    EXPECT_EQ(Quantities().fat_height.display, FindUnitIndex(utLengthMeasure, "mm"));
}

TEST_F(MainWindowModelTest, MenusAndTheirEnablingRules)
{
    // Separators before Properties, Exit, Set Units (after Undo and Redo), the copy command, Data
    // Check and About.
    std::vector<std::string> separated;
    for (const TMenuItem& item : MainMenuItems())
        if (item.SeparatorBefore)
            separated.push_back(item.Caption);
    EXPECT_THAT(separated, ::testing::ElementsAre("Properties", "Exit", "Set Units",
                                                  "Copy to Windows clipboard", "Data Check", "About..."));
    EXPECT_STREQ(FindMenuItem(C::Save)->Shortcut, "Ctrl+S");
    EXPECT_STREQ(FindMenuItem(C::Solve)->Shortcut, "F9");
    EXPECT_STREQ(FindMenuItem(C::HelpIndex)->Shortcut, "F1");
    // The desktop's usual keys for the file commands; none of them is a key an entry field uses
    // (the fields take Ctrl+C, Ctrl+V and Ctrl+X), and no two commands share one.
    EXPECT_STREQ(FindMenuItem(C::New)->Shortcut, "Ctrl+N");
    EXPECT_STREQ(FindMenuItem(C::Open)->Shortcut, "Ctrl+O");
    EXPECT_STREQ(FindMenuItem(C::SaveAs)->Shortcut, "Ctrl+Shift+S");
    EXPECT_STREQ(FindMenuItem(C::Exit)->Shortcut, "Ctrl+Q");
    std::set<std::string> keys;
    for (const TMenuItem& item : MainMenuItems()) {
        const std::string key = item.Shortcut;
        if (key.empty())
            continue;
        EXPECT_TRUE(keys.insert(key).second) << key;
        EXPECT_TRUE(key != "Ctrl+C" && key != "Ctrl+V" && key != "Ctrl+X") << key;
    }
    EXPECT_STREQ(FindMenuItem(C::New)->Hint, "Reset...");
    EXPECT_EQ(FindMenuItem(C::CoilSpec), nullptr);
    EXPECT_THAT(ToolBarCommands(),
                ::testing::ElementsAre(C::New, C::Open, C::Save, C::Solve, C::PrintPreview));

    start();
    // The window's own commands run; the dialogs that plug in later are disabled until then.
    EXPECT_TRUE(model->CommandEnabled(C::Solve));
    EXPECT_TRUE(model->CommandEnabled(C::FluidControl));
    for (C c : {C::Properties, C::PrintPreview, C::StepByStep, C::DataCheck, C::Morvex, C::Hygrona,
                C::CoilSpec, C::Locations, C::AirFlow, C::FluidType, C::FluidFlow})
        EXPECT_FALSE(model->CommandEnabled(c)) << static_cast<int>(c);
    EXPECT_FALSE(model->RunCommand(C::FluidType));

    int runs = 0;
    model->PlugCommand(C::FluidType, [&] { ++runs; });
    EXPECT_TRUE(model->CommandEnabled(C::FluidType));
    EXPECT_TRUE(model->RunCommand(C::FluidType));
    EXPECT_EQ(runs, 1);
    model->PlugCommand(C::FluidType, nullptr);
    EXPECT_FALSE(model->RunCommand(C::FluidType));

    // The chart export also needs every state inside the chart: not so for 380 °C air.
    model->PlugCommand(C::Hygrona, [&] { ++runs; });
    EXPECT_FALSE(model->CommandEnabled(C::Hygrona));
    model->SetCoilKind("cwc"); // still the 380 °C air of the start values
    EXPECT_FALSE(model->CommandEnabled(C::Hygrona));
    model->ActionNewExecute();
    EXPECT_TRUE(model->CommandEnabled(C::Hygrona));
    // The program's own chart takes any job: the 380 °C heat recovery air as well.
    model->SetCoilKind("zmk");
    model->ActionNewExecute();
    EXPECT_FALSE(model->CommandEnabled(C::Hygrona));
    model->SetBuiltInChart(true);
    EXPECT_TRUE(model->CommandEnabled(C::Hygrona));
    EXPECT_TRUE(model->RunCommand(C::Hygrona));
}

TEST_F(MainWindowModelTest, StepByStepChartGoesToThePluggedChartOnlyWhenItRan)
{
    start();
    std::vector<TStepChartData> shown;
    model->PlugStepChart([&](const TStepChartData& chart) { shown.push_back(chart); });
    session->StepByStep();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].Title, "Step-by-Step Simulation");
    ASSERT_EQ(shown[0].Matrix.size(), 4u);
    EXPECT_EQ(shown[0].LastColumn, static_cast<int>(shown[0].Matrix[0].size()) - 1);
    EXPECT_EQ(shown[0].Captions[0].rfind("Duty ", 0), 0u) << shown[0].Captions[0];

    // A job that does not solve shows no chart (it would be the earlier solve's) but its reason.
    notes.messages.clear();
    model->ButtonFluidControlClick();
    job().EnterField(F::edFluidDT, 400); // the oil heated past the air
    session->StepByStep();
    EXPECT_FALSE(job().Solved());
    EXPECT_EQ(shown.size(), 1u);
    ASSERT_EQ(notes.messages.size(), 1u);
    EXPECT_EQ(notes.messages[0], job().LastReason());
    EXPECT_THAT(notes.messages[0], ::testing::HasSubstr("would leave hotter than the air entering"));
    EXPECT_TRUE(ShowsInputs(view));
    job().EnterField(F::edFluidDT, 20);
    model->ButtonFluidControlClick();

    // Unplugged, nothing is shown (the window has no chart of its own) and nothing breaks.
    model->PlugStepChart(nullptr);
    session->StepByStep();
    EXPECT_EQ(shown.size(), 1u);

    // A coil the simulation cannot rate gives the message in its lines and no chart.
    model->PlugStepChart([&](const TStepChartData& chart) { shown.push_back(chart); });
    job().Coil()->SetAirCoefFn([](const TAirSideGeometry&, const TAirState&, TAirResult&) -> double {
        throw EMathError("test", "Floating point division by zero");
    });
    notes.messages.clear();
    session->StepByStep();
    EXPECT_EQ(shown.size(), 1u);
    ASSERT_EQ(notes.messages.size(), 1u);
    EXPECT_EQ(notes.messages[0], "There is no solution with this data...\r\n\r\nCheck that the tube side "
                                 "fluid is\r\nwithin the temperature range!");
}

TEST_F(MainWindowModelTest, CoilKindByCtrlClickOrByMenuKeepsTheStartValues)
{
    start();
    model->CoilKindLabelMouseDown(false);
    EXPECT_EQ(job().KindCode, "zmk");
    model->CoilKindLabelMouseDown(true);
    EXPECT_EQ(job().KindCode, "cwc");
    EXPECT_EQ(CoilLabels(job()).Kind, "CWC");
    EXPECT_EQ(edit(F::edOnCoil).Text(), "380.0");
    EXPECT_TRUE(model->HasUnsavedChanges());

    const TLiquidCoil* coil = job().Coil();
    model->SetCoilKind("CWC"); // the kind already built: nothing happens
    EXPECT_EQ(job().Coil(), coil);
    model->SetCoilKind("hwc");
    EXPECT_EQ(job().KindCode, "hwc");
    model->SetCoilKind("steam");
    EXPECT_EQ(job().KindCode, "hwc");
    EXPECT_EQ(CoilKindChoices()[0].Code, std::string("cwc"));

    // New resets the start values to the kind's own defaults.
    model->ActionNewExecute();
    EXPECT_EQ(edit(F::edOnCoil).Text(), "5.0");
    EXPECT_EQ(job().FileName, data + "Default.zmx");
    EXPECT_FALSE(model->HasUnsavedChanges());
}

// Edit, "Undo" takes back a coil the selection put into the job: offered with its name after the
// change, the job changed from what was saved, then not offered, the saved coil back.
TEST_F(MainWindowModelTest, UndoTakesBackACoilSelection)
{
    start();
    ASSERT_TRUE(model->SaveAs(file("undo.zmx"), nullptr));
    EXPECT_FALSE(model->CommandEnabled(C::Undo));
    EXPECT_EQ(model->CommandCaption(C::Undo), "Undo");
    EXPECT_STREQ(FindMenuItem(C::Undo)->Shortcut, "Ctrl+Z");
    const TSelectCandidate c = test::TypicalCandidate();
    const double va = job().Coil()->Va;
    model->CoilUndo.Do(job(), "Coil Selection", [&] { UseCandidate(job(), c, va); });
    EXPECT_TRUE(model->HasUnsavedChanges());
    EXPECT_TRUE(model->CommandEnabled(C::Undo));
    EXPECT_FALSE(model->CommandEnabled(C::Redo));
    EXPECT_EQ(model->CommandCaption(C::Undo), "Undo Coil Selection");
    model->UndoClick();
    EXPECT_TRUE(job().Solved());
    EXPECT_FALSE(model->HasUnsavedChanges());
    EXPECT_FALSE(model->CommandEnabled(C::Undo));
    EXPECT_TRUE(model->CommandEnabled(C::Redo));
    EXPECT_EQ(model->CommandCaption(C::Redo), "Redo Coil Selection");
    model->RedoClick();
    EXPECT_TRUE(IsJobCoil(job(), c));
    EXPECT_TRUE(model->HasUnsavedChanges());
}

TEST_F(MainWindowModelTest, UnsavedChangesFollowWhatSaveWouldWrite)
{
    start();
    EXPECT_FALSE(model->HasUnsavedChanges());
    // Solving again without a change changes nothing that Save writes.
    model->ActionSolveExecute(nullptr);
    EXPECT_FALSE(model->HasUnsavedChanges());

    // A committed field that has not reached the coil yet counts.
    TypeAndLeave(edit(F::edFinHeight), "30");
    EXPECT_TRUE(model->HasUnsavedChanges());
    EXPECT_EQ(model->SaveChangesQuestion(),
              "The project has changed since it was last saved.\r\n\r\nSave the changes?");
    ASSERT_TRUE(model->SaveAs(file("one.zmx"), nullptr));
    EXPECT_FALSE(model->HasUnsavedChanges());
    EXPECT_EQ(model->LastPath(), folder.path().string() + "/");
    EXPECT_THAT(model->SaveChangesQuestion(),
                ::testing::EndsWith("Save the changes to " + file("one.zmx") + "?"));

    // So does a field still being typed into when Save runs: Save commits it first.
    Type(edit(F::edRows), "6");
    ASSERT_TRUE(model->ActionSaveExecute(&edit(F::edRows)));
    EXPECT_FALSE(model->HasUnsavedChanges());
    EXPECT_DOUBLE_EQ(job().Coil()->GetRows(), 6);

    // The start values the close will capture are not touched by the comparison.
    const double dbi = job().StartValues.dbi;
    TypeAndLeave(edit(F::edOnCoil), "222");
    EXPECT_TRUE(model->HasUnsavedChanges());
    EXPECT_DOUBLE_EQ(job().StartValues.dbi, dbi);

    // Opening a file is a fresh start; a file that is not there changes nothing.
    model->OpenFile(file("one.zmx"));
    EXPECT_FALSE(model->HasUnsavedChanges());
    model->ButtonFluidControlClick();
    EXPECT_TRUE(model->HasUnsavedChanges());
    model->OpenFile(file("missing.zmx"));
    EXPECT_TRUE(model->HasUnsavedChanges());
}

TEST_F(MainWindowModelTest, ReopenMenuAndFilePanelFollowTheCurrentFile)
{
    start();
    ASSERT_TRUE(model->SaveAs(file("a.zmx"), nullptr));
    ASSERT_TRUE(model->SaveAs(file("b.zmx"), nullptr));
    EXPECT_EQ(session->RecentFiles().VisibleCaptions(), (std::vector<std::string>{file("a.zmx")}));
    // An item commits the focused field, then opens its file, which leaves the list.
    Type(edit(F::edCircuits), "10");
    model->OpenRecent(0, &edit(F::edCircuits));
    EXPECT_EQ(job().FileName, file("a.zmx"));
    EXPECT_EQ(session->RecentFiles().VisibleCaptions(), (std::vector<std::string>{file("b.zmx")}));

    // The file panel gets the window's width less the status panel.
    const TFixedTextWidth measure(8);
    const std::string name = file("a.zmx");
    EXPECT_EQ(model->FilePanelText(100 + 8 * 200, measure), name);
    EXPECT_EQ(model->FilePanelText(100 + 9 * 5, measure), "a.zmx");
    EXPECT_EQ(model->FilePanelText(100 + 9 * 6, measure), "~a.zmx");
    const std::string shortened = model->FilePanelText(100 + 9 * 12, measure);
    EXPECT_EQ(shortened, name.substr(0, 6) + "~a.zmx");
}

TEST_F(MainWindowModelTest, ShutdownStoresWhatTheNextStartReads)
{
    const fs::path units = folder / "data" / "Quorvane" / "Coils" / "units.ini";
    model->UnitsFile = units;
    start();
    TypeAndLeave(edit(F::edOnCoil), "333");
    model->UnitLabel(F::edAltitude)->ApplyChosenUnit(1); // ft
    model->ActionSolveExecute(nullptr);
    ASSERT_TRUE(model->SaveAs(file("kept.zmx"), nullptr));
    model->Shutdown({40, 50, 800, 600, true, 0});
    EXPECT_TRUE(notes.messages.empty());
    EXPECT_EQ(store.ReadInteger("MainForm", "Left", 0), 40);
    EXPECT_EQ(store.ReadInteger("MainForm", "Width", 0), 800);
    EXPECT_DOUBLE_EQ(store.ReadFloat("Startup\\airon", "db", 0), 333);
    EXPECT_EQ(store.ReadInteger("units", "Altitude", 0), 1);
    EXPECT_EQ(store.ReadString("MRU", "0", ""), file("kept.zmx"));
    EXPECT_EQ(store.ReadString("Startup", "LastPath", ""), folder.path().string() + "/");
    EXPECT_TRUE(fs::exists(units));

    // The next run starts from there.
    make();
    start();
    EXPECT_EQ(place.Left, 40);
    EXPECT_EQ(edit(F::edOnCoil).Text(), "333.0");
    EXPECT_EQ(model->UnitLabel(F::edAltitude)->Caption(), "ft");
    EXPECT_EQ(session->RecentFiles().VisibleCaptions(), (std::vector<std::string>{file("kept.zmx")}));
}

TEST_F(MainWindowModelTest, AFileOnTheCommandLineThatCannotOpenIsToldAndNeverBecomesCurrent)
{
    ShellTestFolder::Write(folder / "junk.zmx", "junk, not a project");
    fs::create_directories(folder / "folder.zmx");
    struct Case
    {
        std::string path;
        const char* told;
    };
    const Case cases[] = {
        {file("missing.zmx"), "does not exist"},
        {file("folder.zmx"), "it is a folder"},
        {file("junk.zmx"), "could not be read as a project"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        make();
        notes.messages.clear();
        start({c.path});
        EXPECT_EQ(model->CommandLineProjectFile(), c.path);
        ASSERT_EQ(notes.messages.size(), 1u);
        EXPECT_THAT(notes.messages[0], ::testing::HasSubstr(c.told));
        EXPECT_THAT(notes.messages[0], ::testing::HasSubstr(c.path));
        // The window runs on with the job it built, and no file of its own.
        EXPECT_EQ(job().FileName, "");
        EXPECT_TRUE(job().Solved());
        EXPECT_FALSE(model->HasUnsavedChanges());
    }
    EXPECT_EQ(ShellTestFolder::Read(folder / "junk.zmx"), "junk, not a project");
}

TEST_F(MainWindowModelTest, AFailedOpenKeepsTheFileNameAndTheUnsavedChanges)
{
    start();
    ASSERT_TRUE(model->SaveAs(file("mine.zmx"), nullptr));
    TypeAndLeave(edit(F::edOnCoil), "222");
    ASSERT_TRUE(model->HasUnsavedChanges());
    ShellTestFolder::Write(folder / "page.zmx", "<html><body>not a project<br></body></html>");
    const TOpenResult r = model->OpenFile(file("page.zmx"));
    EXPECT_TRUE(r.Refused);
    EXPECT_EQ(job().FileName, file("mine.zmx"));
    EXPECT_TRUE(model->HasUnsavedChanges());
    ASSERT_TRUE(model->ActionSaveExecute(nullptr));
    EXPECT_EQ(ShellTestFolder::Read(folder / "page.zmx"), "<html><body>not a project<br></body></html>");
    EXPECT_NE(ShellTestFolder::Read(folder / "mine.zmx").find("<dbi>222</dbi>"), std::string::npos);
}

TEST_F(MainWindowModelTest, AProjectOfAnotherKindOpensInItsOwnKind)
{
    {
        test::ProjectJob cold("cwc");
        cold.job.EnterField(F::edOnCoil, 26);
        ASSERT_TRUE(cold.session.SaveAs(file("cold.zmx")));
    }
    start();
    EXPECT_TRUE(model->OpenFile(file("cold.zmx")).CoilFound);
    EXPECT_EQ(job().KindCode, "cwc");
    EXPECT_EQ(CoilLabels(job()).Kind, "CWC");
    EXPECT_EQ(edit(F::edOnCoil).Text(), "26.0");
    EXPECT_EQ(model->StatusText(), "Not Solved...");
    EXPECT_FALSE(model->HasUnsavedChanges());
    ASSERT_TRUE(model->ActionSaveExecute(nullptr));
    EXPECT_EQ(ProjectFileKind(file("cold.zmx")), std::optional<std::string>("cwc"));
}

TEST_F(MainWindowModelTest, ChangesDiscardedAtTheCloseAreNotTheNextStartValues)
{
    start();
    TypeAndLeave(edit(F::edOnCoil), "333");
    model->ActionSolveExecute(nullptr);
    ASSERT_TRUE(model->SaveAs(file("kept.zmx"), nullptr));
    TypeAndLeave(edit(F::edOnCoil), "222");
    model->ActionSolveExecute(nullptr);
    ASSERT_TRUE(model->HasUnsavedChanges());
    model->Shutdown({40, 50, 800, 600, true, 0}, true);
    // The start values of the project as saved; the rest of the settings as usual.
    EXPECT_DOUBLE_EQ(store.ReadFloat("Startup\\airon", "db", 0), 333);
    EXPECT_EQ(store.ReadInteger("MainForm", "Left", 0), 40);
    EXPECT_EQ(store.ReadString("MRU", "0", ""), file("kept.zmx"));

    // Nothing saved in a run: the values it started with.
    make();
    start();
    EXPECT_EQ(edit(F::edOnCoil).Text(), "333.0");
    TypeAndLeave(edit(F::edOnCoil), "111");
    model->ActionSolveExecute(nullptr);
    model->Shutdown(place, true);
    EXPECT_DOUBLE_EQ(store.ReadFloat("Startup\\airon", "db", 0), 333);
    // Kept, they are stored.
    make();
    start();
    TypeAndLeave(edit(F::edOnCoil), "111");
    model->ActionSolveExecute(nullptr);
    model->Shutdown(place);
    EXPECT_DOUBLE_EQ(store.ReadFloat("Startup\\airon", "db", 0), 111);
}

TEST_F(MainWindowModelTest, ReopenListFollowsNewAndSaveAsAtOnceAndOffersOnlySavedFiles)
{
    start();
    ASSERT_TRUE(model->SaveAs(file("a.zmx"), nullptr));
    model->ActionNewExecute();
    EXPECT_EQ(job().FileName, data + "Default.zmx");
    EXPECT_EQ(session->RecentFiles().VisibleCaptions(), (std::vector<std::string>{file("a.zmx")}));
    ASSERT_TRUE(model->SaveAs(file("b.zmx"), nullptr));
    EXPECT_EQ(session->RecentFiles().VisibleCaptions(), (std::vector<std::string>{file("a.zmx")}));
    model->ActionNewExecute();
    EXPECT_EQ(session->RecentFiles().VisibleCaptions(),
              (std::vector<std::string>{file("b.zmx"), file("a.zmx")}));
    EXPECT_TRUE(model->CommandEnabled(C::Reopen));
    // The run ends on a new job never saved: the next start offers the two files only.
    model->Shutdown(place);
    EXPECT_EQ(store.ValueNames("MRU"), (std::vector<std::string>{"0", "1"}));
    EXPECT_EQ(store.ReadString("MRU", "0", ""), file("b.zmx"));
    EXPECT_EQ(store.ReadString("MRU", "1", ""), file("a.zmx"));
}

TEST_F(MainWindowModelTest, AboutBoxNamesVersionFoldersAndLibraries)
{
    TFolders folders;
    folders.ProgramFolder = "/opt/Quorvane/ZMK/";
    folders.CommonDataFolder = "/opt/Quorvane/Common Files/";
    folders.DataFolder = "/home/ada/Documents/Quorvane/ZMK/";
    const TAboutFacts a =
        AboutFacts(folders, "/home/ada/.config/Quorvane", {{"Qt", "6.4.2", "LGPL-3.0-only"}});
    EXPECT_EQ(a.Caption, ProgramCaption());
    ASSERT_EQ(a.Folders.size(), 4u);
    EXPECT_EQ(a.Folders[0].second, "/opt/Quorvane/ZMK/");
    EXPECT_EQ(a.Folders[2].second, "/home/ada/.config/Quorvane");
    std::vector<std::string> names;
    for (const TLibraryNotice& l : a.Libraries) {
        names.push_back(l.Name);
        EXPECT_FALSE(l.Licence.empty()) << l.Name;
        EXPECT_FALSE(l.Version.empty()) << l.Name;
    }
    EXPECT_THAT(names, ::testing::ElementsAre("Qt", "pugixml", "zlib", "FreeType", "libcurl", "Nettle"));
}

} // namespace
} // namespace zmk
