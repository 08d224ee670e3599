// The print preview ("Preview Form"): a report page printed by the web engine into PDF pages,
// shown one or two at a time at the zoom the preview model computes, with paging, the inch or
// centimetre grid, "Print..." through the print dialog and "Email...". The model decides the
// zoom factors, the page places, the grid lines and the page range; this draws and forwards.
#pragma once

#include "dialogs/DialogForm.h"
#include "dialogs/PrintPreview.h"

#include <QBuffer>
#include <QByteArray>
#include <QDialog>
#include <QImage>
#include <QMap>
#include <QPageLayout>

#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QPdfDocument;
class QPrinter;
class QScrollArea;
class QSpinBox;
class QToolButton;

namespace zmk {
class ISettingsStore;
}

namespace zmk::gui {

class TPrintPreviewWindow;

/// The page area inside the scroll area: the pages where the model places them, and the grid.
class TPageArea : public QWidget
{
    Q_OBJECT

public:
    explicit TPageArea(TPrintPreviewWindow& window);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TPrintPreviewWindow& window_;
};

class TPrintPreviewWindow : public QDialog
{
    Q_OBJECT

public:
    explicit TPrintPreviewWindow(ISettingsStore* store, QWidget* parent = nullptr);
    ~TPrintPreviewWindow() override;

    /// Renders the page file into pages, with a progress window the user can cancel. Returns
    /// false when it was cancelled or nothing could be rendered (the reason is in LastError);
    /// otherwise the caller shows the window.
    bool OpenDocument(const QString& fileName, const QString& imageList);
    /// Shows the rendered document, modal.
    void ShowPreview();
    /// Takes rendered PDF bytes as the document's pages (what OpenDocument ends with).
    bool SetPdf(const QByteArray& pdf);
    const QString& LastError() const { return error_; }
    /// Whether the last OpenDocument was cancelled by the user.
    bool Cancelled() const { return cancelled_; }

    TPrintPreview& Model() { return model_; }
    const QString& FileName() const { return fileName_; }
    const QString& ImageList() const { return imageList_; }

    // --- the controls, for tests ---
    QComboBox* ZoomBox() const { return zoomBox_; }
    QLabel* ZoomLabel() const { return zoomLabel_; }
    QLabel* PageLabel() const { return pageLabel_; }
    QToolButton* NextButton() const { return next_; }
    QToolButton* PrevButton() const { return prev_; }
    QToolButton* TwoPagesButton() const { return twoPages_; }
    QToolButton* SavePdfButton() const { return savePdf_; }
    TPageArea* PageArea() const { return area_; }

    /// A page drawn at a size, from the document (kept while the size holds).
    QImage PageImage(int page, QSize size);

    /// "Print...": the print dialog, then the chosen pages.
    void Print();
    /// Prints the pages (0-based) on a printer set up by the caller; a printer that prints to a
    /// PDF file hands its pages to SavePdf. False, with the reason in LastError, on a failure.
    bool PrintPages(QPrinter& printer, const std::vector<int>& pages);
    /// Writes the pages (0-based) into a PDF file with WriteFileAtomically, as the engine prints
    /// them: text stays text and drawings stay drawings, for the whole document or a part. False,
    /// with the reason (naming the file) in LastError, when it cannot be written; the file is then
    /// unchanged.
    bool SavePdf(const QString& fileName, const std::vector<int>& pages);
    /// "Save PDF...": asks for a file name (AskPdfName when set, else the file dialog) and
    /// writes every page.
    void SavePdfAs();
    std::function<QString(const QString& suggested)> AskPdfName;

signals:
    /// "Email...": the document and its images are to go out by e-mail.
    void emailRequested(const QString& fileName, const QString& imageList);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void build();
    void layoutPages();
    void showState();

    TPrintPreview model_;
    TDialogPlace place_{"PreviewForm"};
    ISettingsStore* store_;
    QString fileName_;
    QString imageList_;
    QString error_;
    QByteArray pdf_;
    QBuffer buffer_;
    std::unique_ptr<QPdfDocument> document_;
    QMap<int, QImage> cache_;
    QSize cacheSize_;

    QScrollArea* scroll_ = nullptr;
    TPageArea* area_ = nullptr;
    QComboBox* zoomBox_ = nullptr;
    QLabel* zoomLabel_ = nullptr;
    QLabel* pageLabel_ = nullptr;
    QToolButton* first_ = nullptr;
    QToolButton* prev_ = nullptr;
    QToolButton* next_ = nullptr;
    QToolButton* last_ = nullptr;
    QSpinBox* goTo_ = nullptr;
    QToolButton* twoPages_ = nullptr;
    QToolButton* savePdf_ = nullptr;
    QCheckBox* grid_ = nullptr;
    QComboBox* gridUnit_ = nullptr;
    bool placed_ = false;
    bool cancelled_ = false;
};

} // namespace zmk::gui
