#include "gui/FluidDialogCommands.h"

#include "app/JobCalculators.h"
#include "dialogs/MainWindowModel.h"
#include "base/Errors.h"
#include "base/Notifier.h"
#include "gui/AltBaromDialog.h"
#include "gui/DialogKeys.h"
#include "gui/FlowCalculatorDialogs.h"
#include "gui/FluidSpecDialog.h"
#include "gui/MainWindow.h"
#include "gui/PropertiesDialog.h"
#include "platform/SettingsStore.h"

#include <QPointer>

#include <memory>
#include <string>

namespace zmk::gui {

namespace {

// What the plugged commands share; the hooks keep it alive, the window owns the dialogs.
struct TFluidDialogs
{
    TMainForm* Window = nullptr;
    std::string CommonDataFolder;
    ISettingsStore* Common = nullptr; // the maker's shared settings, for the barometer
    QPointer<TFluidSpecDialog> FluidSpec;
    QPointer<TAirflowCalculatorDialog> Airflow;
    QPointer<TFluidflowCalculatorDialog> Fluidflow;
    QPointer<TAltBaromDialog> Barometer;
    QPointer<TPropertiesDialog> Properties;

    TMainWindowModel& Model() const { return Window->Model(); }
    ISettingsStore& Store() const { return Window->Model().Session().Store(); }
    INotifier* Notifier() const { return Window->Model().Session().Notifier(); }

    void fluidType()
    {
        TCoilJob& job = Model().Job();
        if (!job.Liquid())
            return;
        if (!FluidSpec)
            FluidSpec = new TFluidSpecDialog(Store(), Notifier(), Window);
        FluidSpec->ShowOn(job.Liquid());
        // The job is no longer solved, and its page shows the inputs at once.
        job.LiquidChanged();
    }

    void locations()
    {
        CommitFocusedEdit(*Window);
        if (!Barometer)
            Barometer = new TAltBaromDialog(*Common, Store(), CommonDataFolder, Notifier(), Window);
        TCoilJob& job = Model().Job();
        if (Barometer->ShowOn(job.Inputs.edAltitude.Value) != QDialog::Accepted)
            return;
        TakeAltitude(job, Barometer->Model().Altitude());
    }

    void airFlow()
    {
        CommitFocusedEdit(*Window);
        TCoilJob& job = Model().Job();
        const std::optional<TAirFlowOpening> opening = AirFlowOpening(job);
        if (!opening)
            return;
        if (!Airflow)
            Airflow = new TAirflowCalculatorDialog(Store(), Notifier(), Window);
        if (Airflow->ShowOn(*opening) != QDialog::Accepted)
            return;
        TakeAirMassFlow(job, Airflow->Model().MassFlow());
    }

    void fluidFlow()
    {
        CommitFocusedEdit(*Window);
        TCoilJob& job = Model().Job();
        const std::optional<TFluidFlowOpening> opening = FluidFlowOpening(job);
        if (!opening)
            return;
        if (!Fluidflow)
            Fluidflow = new TFluidflowCalculatorDialog(Store(), Notifier(), Window);
        if (Fluidflow->ShowOn(*opening) != QDialog::Accepted)
            return;
        TakeLiquidMassFlow(job, Fluidflow->Model().MassFlow());
    }

    void properties()
    {
        if (!Properties)
            Properties = new TPropertiesDialog(Model().Session().Properties(), Store(), Window);
        Properties->ShowOn(Model().Session().FileName());
    }
};

} // namespace

void PlugFluidDialogs(TMainForm& window, const TFolders& folders, ISettingsStore& common)
{
    auto dialogs = std::make_shared<TFluidDialogs>();
    dialogs->Window = &window;
    dialogs->CommonDataFolder = folders.CommonDataFolder;
    dialogs->Common = &common;
    TMainWindowModel& model = window.Model();
    model.PlugCommand(TMainCommand::FluidType, [dialogs] { dialogs->fluidType(); });
    model.PlugCommand(TMainCommand::Locations, [dialogs] { dialogs->locations(); });
    model.PlugCommand(TMainCommand::AirFlow, [dialogs] { dialogs->airFlow(); });
    model.PlugCommand(TMainCommand::FluidFlow, [dialogs] { dialogs->fluidFlow(); });
    model.PlugCommand(TMainCommand::Properties, [dialogs] { dialogs->properties(); });
}

} // namespace zmk::gui
