#include "gui/PrintPreviewWindow.h"

#include "base/FileIO.h"
#include "gui/PrintPdf.h"
#include "gui/ScreenFit.h"
#include "gui/WindowPlace.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMarginsF>
#include <QMessageBox>
#include <QPageSize>
#include <QPainter>
#include <QPdfDocument>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace zmk::gui {

namespace {

constexpr double kPointsPerInch = 72.0;

QString qt(const std::string& s)
{
    return QString::fromStdString(s);
}

} // namespace

// ---- the page area -------------------------------------------------------------------------------

TPageArea::TPageArea(TPrintPreviewWindow& window) : window_(window)
{
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
    setPalette(pal);
}

void TPageArea::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    TPrintPreview& model = window_.Model();
    const QColor gridColor(kPreviewGridColor.R, kPreviewGridColor.G, kPreviewGridColor.B);
    for (const TPageRect& r : model.PageRects()) {
        const QRect box(r.Left, r.Top, r.Width, r.Height);
        painter.fillRect(box.translated(3, 3), QColor(0x40, 0x40, 0x40));
        painter.fillRect(box, Qt::white);
        const QImage page = window_.PageImage(r.Page, box.size());
        if (!page.isNull())
            painter.drawImage(box.topLeft(), page);
        if (model.ShowGrid) {
            painter.setPen(gridColor);
            for (int x : model.GridColumns(r))
                painter.drawLine(x, box.top(), x, box.bottom());
            for (int y : model.GridRows(r))
                painter.drawLine(box.left(), y, box.right(), y);
        }
        painter.setPen(Qt::black);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(box.adjusted(0, 0, -1, -1));
    }
}

// ---- the window ----------------------------------------------------------------------------------

TPrintPreviewWindow::TPrintPreviewWindow(ISettingsStore* store, QWidget* parent)
    : QDialog(parent), store_(store)
{
    setObjectName(QStringLiteral("PreviewForm"));
    setWindowTitle(QString::fromLatin1(kPrintPreviewTitle));
    setSizeGripEnabled(true);
    build();
    resize(900, 720);
}

TPrintPreviewWindow::~TPrintPreviewWindow() = default;

void TPrintPreviewWindow::build()
{
    auto* bar = new QToolBar(this);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);

    auto* print = new QToolButton(bar);
    print->setText(tr("&Print..."));
    print->setIcon(QIcon::fromTheme(QStringLiteral("document-print")));
    print->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    connect(print, &QToolButton::clicked, this, &TPrintPreviewWindow::Print);
    bar->addWidget(print);
    auto* email = new QToolButton(bar);
    email->setText(tr("&Email..."));
    email->setIcon(QIcon::fromTheme(QStringLiteral("mail-send")));
    email->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    connect(email, &QToolButton::clicked, this, [this] { emit emailRequested(fileName_, imageList_); });
    bar->addWidget(email);
    savePdf_ = new QToolButton(bar);
    savePdf_->setText(tr("Save P&DF..."));
    savePdf_->setIcon(QIcon::fromTheme(QStringLiteral("document-save-as")));
    savePdf_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    savePdf_->setToolTip(tr("Save the pages as a PDF file, with their text and drawings"));
    connect(savePdf_, &QToolButton::clicked, this, &TPrintPreviewWindow::SavePdfAs);
    bar->addWidget(savePdf_);
    bar->addSeparator();

    auto* zoomCaption = new QLabel(tr("&Zoom:"), bar);
    bar->addWidget(zoomCaption);
    zoomBox_ = new QComboBox(bar);
    for (const TZoomChoice& z : ZoomChoices())
        zoomBox_->addItem(tr(z.Caption));
    zoomCaption->setBuddy(zoomBox_);
    bar->addWidget(zoomBox_);
    zoomLabel_ = new QLabel(bar);
    zoomLabel_->setMinimumWidth(zoomLabel_->fontMetrics().horizontalAdvance(QStringLiteral("0000%")));
    bar->addWidget(zoomLabel_);
    connect(zoomBox_, &QComboBox::activated, this, [this](int index) {
        model_.SelectZoom(index);
        layoutPages();
    });

    twoPages_ = new QToolButton(bar);
    twoPages_->setText(tr("&Two pages"));
    twoPages_->setCheckable(true);
    twoPages_->setIcon(QIcon::fromTheme(QStringLiteral("view-dual")));
    twoPages_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    connect(twoPages_, &QToolButton::toggled, this, [this](bool on) {
        model_.SetTwoPages(on);
        layoutPages();
    });
    bar->addWidget(twoPages_);
    bar->addSeparator();

    // The paging buttons show icons only (the style's own where the desktop has no theme), so
    // the bar keeps every control in view.
    auto pageButton = [&](const char* icon, QStyle::StandardPixmap fallback, const QString& tip,
                          void (TPrintPreview::*move)()) {
        auto* b = new QToolButton(bar);
        b->setIcon(QIcon::fromTheme(QLatin1String(icon), style()->standardIcon(fallback)));
        b->setToolButtonStyle(Qt::ToolButtonIconOnly);
        b->setToolTip(tip);
        b->setText(tip);
        connect(b, &QToolButton::clicked, this, [this, move] {
            (model_.*move)();
            layoutPages();
        });
        bar->addWidget(b);
        return b;
    };
    first_ = pageButton("go-first", QStyle::SP_MediaSkipBackward, tr("First page"), &TPrintPreview::First);
    prev_ = pageButton("go-previous", QStyle::SP_ArrowLeft, tr("Previous page"), &TPrintPreview::Prev);
    pageLabel_ = new QLabel(bar);
    pageLabel_->setObjectName(QStringLiteral("PageLabel"));
    pageLabel_->setContentsMargins(6, 0, 6, 0);
    bar->addWidget(pageLabel_);
    next_ = pageButton("go-next", QStyle::SP_ArrowRight, tr("Next page"), &TPrintPreview::Next);
    last_ = pageButton("go-last", QStyle::SP_MediaSkipForward, tr("Last page"), &TPrintPreview::Last);
    auto* goCaption = new QLabel(tr(" &Go to:"), bar);
    bar->addWidget(goCaption);
    goTo_ = new QSpinBox(bar);
    goTo_->setMinimum(1);
    goCaption->setBuddy(goTo_);
    connect(goTo_, &QSpinBox::editingFinished, this, [this] {
        if (model_.GoTo(goTo_->value()))
            layoutPages();
    });
    bar->addWidget(goTo_);
    bar->addSeparator();

    grid_ = new QCheckBox(tr("G&rid"), bar);
    connect(grid_, &QCheckBox::toggled, this, [this](bool on) {
        model_.ShowGrid = on;
        area_->update();
    });
    bar->addWidget(grid_);
    gridUnit_ = new QComboBox(bar);
    gridUnit_->addItem(QString::fromLatin1(GridUnitCaption(TGridUnit::Inches)));
    gridUnit_->addItem(QString::fromLatin1(GridUnitCaption(TGridUnit::Centimeters)));
    connect(gridUnit_, &QComboBox::activated, this, [this](int index) {
        model_.GridUnit = index == 0 ? TGridUnit::Inches : TGridUnit::Centimeters;
        area_->update();
    });
    bar->addWidget(gridUnit_);

    area_ = new TPageArea(*this);
    scroll_ = new QScrollArea(this);
    scroll_->setWidget(area_);
    scroll_->setWidgetResizable(false);
    scroll_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    scroll_->setBackgroundRole(QPalette::Dark);

    auto* close = new QPushButton(tr("&Close"), this);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(bar);
    layout->addWidget(scroll_, 1);
    layout->addLayout(bottom);
}

bool TPrintPreviewWindow::OpenDocument(const QString& fileName, const QString& imageList)
{
    error_.clear();
    cancelled_ = false;
    const QFileInfo source(fileName);
    if (!source.isFile() || !source.isReadable()) {
        error_ = tr("Cannot read %1").arg(fileName);
        return false;
    }
    // The status window: the engine prints the page while it shows; Cancel ends the wait.
    QProgressDialog progress(tr("Preparing the pages of %1...").arg(source.fileName()), tr("Cancel"), 0, 0,
                             parentWidget());
    progress.setWindowTitle(QString::fromLatin1(kPrintPreviewTitle));
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(300);

    QByteArray bytes;
    const TPagePrint end = PrintPageFile(source.absoluteFilePath(), bytes, [&](std::function<void()> cancel) {
        return connect(&progress, &QProgressDialog::canceled, this, std::move(cancel));
    });
    progress.reset();
    switch (end) {
    case TPagePrint::Printed:
        break;
    case TPagePrint::NotLoaded:
        error_ = tr("The page %1 could not be loaded").arg(fileName);
        return false;
    case TPagePrint::Empty:
        error_ = tr("Nothing was printed of %1").arg(fileName);
        return false;
    case TPagePrint::TooLong:
        error_ = tr("Preparing the pages took too long");
        return false;
    case TPagePrint::Cancelled:
        error_ = tr("Cancelled");
        cancelled_ = true;
        return false;
    }
    fileName_ = source.absoluteFilePath();
    imageList_ = imageList;
    return SetPdf(bytes);
}

bool TPrintPreviewWindow::SetPdf(const QByteArray& pdf)
{
    cache_.clear();
    document_ = std::make_unique<QPdfDocument>();
    buffer_.close();
    pdf_ = pdf;
    buffer_.setBuffer(&pdf_);
    buffer_.open(QIODevice::ReadOnly);
    document_->load(&buffer_);
    if (document_->status() != QPdfDocument::Status::Ready || document_->pageCount() <= 0) {
        error_ = tr("The printed pages could not be read");
        model_.SetPages(0, 0, 0);
        showState();
        return false;
    }
    const QSizeF points = document_->pagePointSize(0);
    model_.SetPages(document_->pageCount(), points.width() / kPointsPerInch,
                    points.height() / kPointsPerInch);
    goTo_->setMaximum(std::max(1, model_.PageCount()));
    // A fresh document starts at "Fit To Page" with the grid in inches.
    model_.SelectZoom(kZoomFitToPage);
    model_.ShowGrid = false;
    model_.GridUnit = TGridUnit::Inches;
    grid_->setChecked(false);
    gridUnit_->setCurrentIndex(0);
    layoutPages();
    return true;
}

void TPrintPreviewWindow::ShowPreview()
{
    if (!placed_ && store_) {
        RestorePlace(*this, place_, *store_);
        placed_ = true;
    }
    // A place remembered on a larger screen, or a size at a larger scale, still fits this one.
    FitOnScreen(*this);
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
    layoutPages();
}

QImage TPrintPreviewWindow::PageImage(int page, QSize size)
{
    if (!document_ || page < 0 || page >= document_->pageCount() || size.isEmpty())
        return {};
    if (size != cacheSize_) {
        cache_.clear();
        cacheSize_ = size;
    }
    auto it = cache_.find(page);
    if (it == cache_.end()) {
        QImage image = document_->render(page, size);
        // Only the pages on screen are kept.
        if (cache_.size() > 4)
            cache_.clear();
        it = cache_.insert(page, image);
    }
    return *it;
}

void TPrintPreviewWindow::layoutPages()
{
    const QSize client = scroll_->viewport()->size();
    model_.SetViewport(client.width(), client.height(), logicalDpiX());
    area_->resize(std::max(model_.ContentWidth(), client.width()),
                  std::max(model_.ContentHeight(), client.height()));
    showState();
    area_->update();
}

void TPrintPreviewWindow::showState()
{
    zoomBox_->setCurrentIndex(model_.ZoomIndex());
    zoomLabel_->setText(qt(model_.ZoomLabel()));
    pageLabel_->setText(qt(model_.PageLabel()));
    first_->setEnabled(model_.FirstEnabled());
    prev_->setEnabled(model_.PrevEnabled());
    next_->setEnabled(model_.NextEnabled());
    last_->setEnabled(model_.LastEnabled());
    goTo_->setEnabled(model_.GoToEnabled());
    goTo_->setValue(model_.CurrentPage() + 1);
}

void TPrintPreviewWindow::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    layoutPages();
}

void TPrintPreviewWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    layoutPages();
}

void TPrintPreviewWindow::hideEvent(QHideEvent* event)
{
    if (store_)
        StorePlace(*this, place_, *store_);
    QDialog::hideEvent(event);
}

void TPrintPreviewWindow::Print()
{
    if (!document_ || model_.PageCount() == 0)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(ReportPageLayout());
    printer.setDocName(QFileInfo(fileName_).fileName());
    const TPrintPageRange range = model_.PrintRange();
    QPrintDialog dialog(&printer, this);
    dialog.setMinMax(range.MinPage, range.MaxPage);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const bool all = printer.printRange() != QPrinter::PageRange;
    if (!PrintPages(printer, model_.PagesToPrint(all, printer.fromPage(), printer.toPage())) &&
        !error_.isEmpty())
        QMessageBox::warning(this, QString::fromLatin1(kPrintPreviewTitle), error_);
}

bool TPrintPreviewWindow::PrintPages(QPrinter& printer, const std::vector<int>& pages)
{
    error_.clear();
    if (!document_ || pages.empty())
        return false;
    // "Print to file" writes the file as every file of the program is written, not through the
    // printer's own file.
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty())
        return SavePdf(printer.outputFileName(), pages);
    // The printed pages keep their margins: each PDF page is drawn over the whole paper.
    printer.setFullPage(true);
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const QRect paper = printer.pageLayout().fullRectPixels(printer.resolution());
    bool firstPage = true;
    for (int page : pages) {
        if (!firstPage)
            printer.newPage();
        firstPage = false;
        // At most 300 dots per inch: a page at a printer's full resolution would take hundreds
        // of megabytes, with no sharper text on paper.
        const double scale = std::min(1.0, 300.0 / std::max(1, printer.resolution()));
        const QImage image = document_->render(page, (QSizeF(paper.size()) * scale).toSize());
        painter.drawImage(QRect(QPoint(0, 0), paper.size()), image);
    }
    return painter.end();
}

void TPrintPreviewWindow::SavePdfAs()
{
    if (!document_ || model_.PageCount() == 0)
        return;
    const QString suggested = QFileInfo(fileName_).completeBaseName() + QStringLiteral(".pdf");
    const QString file =
        AskPdfName ? AskPdfName(suggested)
                   : QFileDialog::getSaveFileName(this, tr("Save PDF"), suggested, tr("PDF files (*.pdf)"));
    if (file.isEmpty())
        return;
    if (!SavePdf(file, model_.PagesToPrint(true)) && !error_.isEmpty())
        QMessageBox::warning(this, QString::fromLatin1(kPrintPreviewTitle), error_);
}

bool TPrintPreviewWindow::SavePdf(const QString& fileName, const std::vector<int>& pages)
{
    error_.clear();
    if (!document_ || pages.empty())
        return false;
    std::vector<int> everyPage(static_cast<std::size_t>(document_->pageCount()));
    std::iota(everyPage.begin(), everyPage.end(), 0);
    QByteArray bytes;
    if (pages == everyPage) {
        bytes = pdf_; // the engine's own pages: text stays text
    } else {
        // Part of the document: the engine prints those pages again from the page file.
        QPageRanges ranges;
        for (int page : pages)
            ranges.addPage(page + 1);
        if (PrintPageFile(fileName_, bytes, {}, ranges) != TPagePrint::Printed) {
            error_ = tr("Cannot print the pages of %1").arg(fileName_);
            return false;
        }
    }
    std::string error;
    if (!TryWriteFileAtomically(QFile::encodeName(fileName).toStdString(),
                                std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                                &error)) {
        error_ = QString::fromStdString(error);
        return false;
    }
    return true;
}

} // namespace zmk::gui
