// The report preview ("Report Preview"): a report page in a web view, with "Preview" (the print
// preview of the same file and pictures) and "Email" (the print preview's e-mail, straight
// away), and the page's context menu: "View Page Source", "Open with Browser" and "Copy
// selection to Clipboard". The preview model knows the file, its pictures and the commands.
#pragma once

#include "dialogs/DialogForm.h"
#include "dialogs/PrintPreview.h"
#include "dialogs/ReportPreview.h"

#include <QDialog>

class QMenu;
class QPushButton;
class QWebEngineProfile;
class QWebEngineView;

namespace zmk {
class ISettingsStore;
}

namespace zmk::gui {

class TGuardedWebPage;

class TReportPreviewWindow : public QDialog
{
    Q_OBJECT

public:
    /// The launcher opens the source and the browser; both it and the store must outlive the
    /// window (no place is kept when the store is null).
    TReportPreviewWindow(ILauncher& launcher, ISettingsStore* store, QWidget* parent = nullptr);
    ~TReportPreviewWindow() override;

    /// Loads the report file with its image list (full paths separated by commas) and shows the
    /// window, modal.
    void ShowReport(const QString& fileName, const QString& imageList);

    TReportPreview& Model() { return model_; }
    QWebEngineView* View() const { return view_; }
    TGuardedWebPage* Page() const { return page_; }
    /// Whether the page has loaded.
    bool Loaded() const { return loaded_; }
    /// The context menu as it pops up over the page; the caller owns it.
    QMenu* CreateContextMenu();

signals:
    /// "Preview": the print preview of the report.
    void previewRequested(const QString& fileName, const QString& imageList);
    /// "Email": the report by e-mail.
    void emailRequested(const QString& fileName, const QString& imageList);

protected:
    void hideEvent(QHideEvent* event) override;

private:
    TReportPreview model_;
    TDialogPlace place_{"ReportPreview"};
    ISettingsStore* store_;
    QWebEngineProfile* profile_ = nullptr;
    QWebEngineView* view_ = nullptr;
    TGuardedWebPage* page_ = nullptr;
    bool loaded_ = false;
    bool placed_ = false;
};

} // namespace zmk::gui
