#include "gui/OutputCommands.h"

#include "app/DataCheck.h"
#include "dialogs/MainWindowModel.h"
#include "base/Errors.h"
#include "base/Notifier.h"
#include "base/NumText.h"
#include "gui/DataChartWindow.h"
#include "gui/EmailWindow.h"
#include "gui/FmtEditWidget.h"
#include "gui/LmtdCalculatorDialog.h"
#include "gui/MainWindow.h"
#include "gui/PageWindow.h"
#include "gui/PrintPreviewWindow.h"
#include "gui/PsyChartWindow.h"
#include "gui/ReportPreviewWindow.h"
#include "gui/WebHtmlView.h"
#include "reports/PsyChartPicture.h"
#include "reports/ReportPages.h"

#include <QApplication>

#include <filesystem>

namespace zmk::gui {

namespace {

QString qt(const std::string& s)
{
    return QString::fromStdString(s);
}

QString qt(const std::filesystem::path& p)
{
    return QString::fromStdString(p.string());
}

} // namespace

TOutputWindows::TOutputWindows(TMainForm& window, TOutputSetup setup)
    : QObject(&window), window_(window), model_(window.Model()), setup_(std::move(setup)),
      programs_(launcher_, channel_, window.Model().Session().Notifier(), setup_.Folders.MakerFolder,
                window.Model().Session().ReportFolder().string(), setup_.Folders.HelpFolder)
{
    TMainWindowModel& model = window_.Model();
    using C = TMainCommand;
    model.PlugStepChart([this](const TStepChartData& chart) { ChartWindow()->ShowChart(chart); });
    model.PlugCommand(C::StepByStep, [this] {
        commitFocusedField();
        window_.Model().Session().StepByStep();
    });
    model.PlugCommand(C::PrintPreview, [this] { ShowMainReport(); });
    model.PlugCommand(C::CoilDrawing, [this] { ShowCoilDrawingReport(); });
    model.PlugCommand(C::DataCheck, [this] {
        commitFocusedField();
        if (!programs_.ActionDataCheckExecute(window_.Model().Job()))
            ShowDataCheck();
    });
    model.PlugCommand(C::Morvex, [this] {
        commitFocusedField();
        if (!programs_.ActionMorvexExecute(window_.Model().Job()))
            LmtdCalculatorDialog()->ShowOn(window_.Model().Job());
    });
    model.PlugCommand(C::Hygrona, [this] {
        commitFocusedField();
        if (BuiltInChart())
            ShowPsyChart();
        else
            programs_.ActionHygronaExecute(window_.Model().Job(), &window_.Model().Session().Properties());
    });
    model.SetBuiltInChart(BuiltInChart());
    // The view's own "Print Preview" previews the page on screen, not the main report.
    if (TWebHtmlView* view = window_.View()) {
        disconnect(view, &TWebHtmlView::printPreviewRequested, &window_, nullptr);
        connect(view, &TWebHtmlView::printPreviewRequested, this, &TOutputWindows::PreviewScreenPage);
        view->SetPrintPreviewEnabled(true);
    }
}

TOutputWindows::~TOutputWindows()
{
    model_.PlugStepChart(nullptr);
    for (TMainCommand c : {TMainCommand::StepByStep, TMainCommand::PrintPreview, TMainCommand::CoilDrawing,
                           TMainCommand::DataCheck, TMainCommand::Morvex, TMainCommand::Hygrona})
        model_.PlugCommand(c, nullptr);
}

TOutputWindows* PlugOutputWindows(TMainForm& window, TOutputSetup setup)
{
    return new TOutputWindows(window, std::move(setup));
}

void TOutputWindows::commitFocusedField()
{
    // A field being edited counts, as it does for Solve.
    auto* edit = qobject_cast<TFmtEditWidget*>(QApplication::focusWidget());
    if (edit && edit->window() == &window_)
        edit->ApplyExit(window_.Model().CommitFocusedField(&edit->Field()));
}

void TOutputWindows::tell(const std::string& text)
{
    if (INotifier* n = window_.Model().Session().Notifier())
        n->Message(text);
}

TDataChartWindow* TOutputWindows::ChartWindow()
{
    if (!chart_)
        chart_ = new TDataChartWindow(setup_.Program, &window_);
    return chart_;
}

TReportPreviewWindow* TOutputWindows::ReportPreview()
{
    if (!reportPreview_) {
        reportPreview_ = new TReportPreviewWindow(launcher_, setup_.Program, &window_);
        connect(reportPreview_, &TReportPreviewWindow::previewRequested, this,
                [this](const QString& file, const QString& images) { OpenPrintPreview(file, images); });
        connect(reportPreview_, &TReportPreviewWindow::emailRequested, this, &TOutputWindows::EmailReport);
    }
    return reportPreview_;
}

TPrintPreviewWindow* TOutputWindows::PrintPreview()
{
    if (!printPreview_) {
        printPreview_ = new TPrintPreviewWindow(setup_.Program, &window_);
        connect(printPreview_, &TPrintPreviewWindow::emailRequested, this, &TOutputWindows::EmailReport);
    }
    return printPreview_;
}

TEmailWindow* TOutputWindows::EmailWindow()
{
    if (!email_) {
        ISettingsStore& common = setup_.Common ? *setup_.Common : scratch_;
        email_ = new TEmailWindow(common, setup_.Program, setup_.User, setup_.DefaultAddress, *transport_,
                                  launcher_, &window_);
    }
    return email_;
}

TLmtdCalculatorDialog* TOutputWindows::LmtdCalculatorDialog()
{
    if (!lmtd_)
        lmtd_ = new TLmtdCalculatorDialog(&window_);
    return lmtd_;
}

TPageWindow* TOutputWindows::DataCheckWindow()
{
    if (!dataCheck_) {
        dataCheck_ = new TPageWindow(tr("Data Check"), false, &window_);
        dataCheck_->setObjectName("DataCheckWindow");
    }
    return dataCheck_;
}

void TOutputWindows::ShowDataCheck()
{
    TProjectSession& session = window_.Model().Session();
    try {
        const TDataCheck check = MakeDataCheck(session.Job(), window_.Model().ShownUnits());
        DataCheckWindow()->ShowPage(
            WriteDataCheckPage(check, window_.windowTitle().toStdString(), session.ReportFolder()));
    } catch (const std::exception& e) {
        tell(e.what());
    }
}

void TOutputWindows::ShowMainReport()
{
    TProjectSession& session = window_.Model().Session();
    try {
        TPageLines page;
        const std::filesystem::path file = WriteMainReport(session.ReportJob(), page);
        ReportPreview()->ShowReport(qt(file), qt(MainReportImages(session.ReportFolder())));
    } catch (const std::exception& e) {
        tell(e.what());
    }
}

void TOutputWindows::ShowCoilDrawingReport()
{
    TProjectSession& session = window_.Model().Session();
    try {
        const std::filesystem::path file = WriteCoilDrawingReport(session.ReportJob());
        ReportPreview()->ShowReport(qt(file), qt(CoilDrawingReportImages(session.ReportFolder())));
    } catch (const std::exception& e) {
        tell(e.what());
    }
}

void TOutputWindows::PreviewScreenPage()
{
    TProjectSession& session = window_.Model().Session();
    TWebHtmlView* view = window_.View();
    if (!view || view->DocumentSource().empty())
        return;
    try {
        const std::filesystem::path file = SaveScreenPreview(*view, session.ReportFolder());
        OpenPrintPreview(qt(file), qt(ScreenPreviewImages(session.ReportFolder(), session.Job().Solved())));
    } catch (const std::exception& e) {
        tell(e.what());
    }
}

bool TOutputWindows::OpenPrintPreview(const QString& fileName, const QString& imageList)
{
    TPrintPreviewWindow* preview = PrintPreview();
    if (!preview->OpenDocument(fileName, imageList)) {
        // A cancelled preview says nothing; a failed one says why.
        if (!preview->Cancelled())
            tell(preview->LastError().toStdString());
        return false;
    }
    preview->ShowPreview();
    return true;
}

void TOutputWindows::EmailReport(const QString& fileName, const QString& imageList)
{
    EmailWindow()->ComposeReport(fileName, imageList, setup_.CompanyAddress);
}

bool TOutputWindows::BuiltInChart() const
{
    std::error_code ec;
    return !std::filesystem::exists(programs_.ChartProgram(), ec);
}

TPsyChartWindow* TOutputWindows::PsyChartWindow()
{
    if (!psyChart_)
        psyChart_ = new TPsyChartWindow(&window_);
    return psyChart_;
}

void TOutputWindows::ShowPsyChart()
{
    TProjectSession& session = window_.Model().Session();
    std::optional<TPsyProcess> process = PsyProcessOf(session.ReportJob());
    if (!process) {
        tell(std::string(kMustBeSolvedMessage));
        return;
    }
    // The step run's curve goes with it while the run belongs to this solve (its air texts are
    // those of the job's air).
    const TStepChartData& step = session.Job().StepChart();
    if (!step.Matrix.empty() &&
        step.Captions[2] == Format("%0.1f - %0.1f °C", process->In.db, process->Out.db))
        process->Slices = StepAirStates(step.Matrix, process->Pressure);
    PsyChartWindow()->ShowChart(*process);
}

} // namespace zmk::gui
