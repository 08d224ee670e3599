// The windows that take results to paper and to other people, plugged into the main window's
// commands: the Step by step chart, the report preview (Report menu "Print Preview" and "Coil
// Drawing"), the print preview of the page on screen, the e-mail window with its SMTP settings,
// and the sibling programs of the Solve menu ("Data Check", "LMTD Calculator", "Plot on
// Hygrona"). Each window is made when first needed and lives as long as the main window.
#pragma once

#include "app/Exports.h"
#include "app/ProjectProperties.h"
#include "base/Paths.h"
#include "platform/MailSend.h"
#include "platform/SettingsStore.h"

#include <QObject>
#include <QString>

#include <memory>
#include <string>

namespace zmk {
class TMainWindowModel;
}

namespace zmk::gui {

class TDataChartWindow;
class TEmailWindow;
class TLmtdCalculatorDialog;
class TPageWindow;
class TMainForm;
class TPrintPreviewWindow;
class TPsyChartWindow;
class TReportPreviewWindow;

/// What the output windows need from the program.
struct TOutputSetup
{
    TFolders Folders;
    ISettingsStore* Common = nullptr;  ///< the maker's shared settings (sender, SMTP server)
    ISettingsStore* Program = nullptr; ///< the program's settings (window places)
    TRegisteredUser User;              ///< the sender's defaults
    std::string CompanyAddress;        ///< the maker's contact address, the report's sender
    std::string DefaultAddress;        ///< the desktop's own mail address
};

class TOutputWindows : public QObject
{
    Q_OBJECT

public:
    TOutputWindows(TMainForm& window, TOutputSetup setup);
    ~TOutputWindows() override;

    /// The windows, made when first asked for.
    TDataChartWindow* ChartWindow();
    TReportPreviewWindow* ReportPreview();
    TPrintPreviewWindow* PrintPreview();
    TEmailWindow* EmailWindow();
    TPsyChartWindow* PsyChartWindow();
    TLmtdCalculatorDialog* LmtdCalculatorDialog();
    TPageWindow* DataCheckWindow();
    TExternalPrograms& Programs() { return programs_; }
    /// Whether "Plot on Hygrona" draws the program's own chart: the sibling program is not installed.
    bool BuiltInChart() const;
    /// The job's psychrometric chart in the chart window ("Must be solved first..." when it is not).
    void ShowPsyChart();

    /// Report menu "Print Preview": the main report in the report preview.
    void ShowMainReport();
    /// Report menu "Coil Drawing": the coil drawing report in the report preview.
    void ShowCoilDrawingReport();
    /// Solve menu "Data Check" when the duty program is not there: the job's own data check.
    void ShowDataCheck();
    /// The view's "Print Preview": the page on screen in the print preview.
    void PreviewScreenPage();
    /// The print preview of a page file with its pictures; false when it was cancelled or could
    /// not be rendered.
    bool OpenPrintPreview(const QString& fileName, const QString& imageList);
    /// The print preview's "Email...": the report by e-mail.
    void EmailReport(const QString& fileName, const QString& imageList);

    /// Replaces the real mail transport (tests); it must outlive this.
    void SetTransport(IMailTransport* transport) { transport_ = transport; }

private:
    void commitFocusedField();
    void tell(const std::string& text);

    TMainForm& window_;
    // The model outlives the window; the destructor runs while the window is being taken down
    // (this object is its child), when only the model may still be used.
    TMainWindowModel& model_;
    TOutputSetup setup_;
    TPosixLauncher launcher_;
    TLocalSocketChannel channel_;
    TExternalPrograms programs_;
    TMailTransport mail_;
    TMemorySettingsStore scratch_; // the common settings when none are given: nothing is kept
    IMailTransport* transport_ = &mail_;
    TDataChartWindow* chart_ = nullptr;
    TReportPreviewWindow* reportPreview_ = nullptr;
    TPrintPreviewWindow* printPreview_ = nullptr;
    TEmailWindow* email_ = nullptr;
    TPsyChartWindow* psyChart_ = nullptr;
    TLmtdCalculatorDialog* lmtd_ = nullptr;
    TPageWindow* dataCheck_ = nullptr;
};

/// Makes the output windows for the main window (which owns them) and plugs their commands.
TOutputWindows* PlugOutputWindows(TMainForm& window, TOutputSetup setup);

} // namespace zmk::gui
