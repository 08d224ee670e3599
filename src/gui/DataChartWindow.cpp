#include "gui/DataChartWindow.h"

#include "gui/PainterCanvas.h"
#include "gui/WindowPlace.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStatusBar>
#include <QVBoxLayout>

namespace zmk::gui {

namespace {

QString qt(const std::string& s)
{
    return QString::fromStdString(s);
}

} // namespace

// ---- the image area ------------------------------------------------------------------------------

TChartImage::TChartImage(TDataChart& model, QWidget* parent) : QWidget(parent), model_(model)
{
    setMouseTracking(true);
    setMinimumSize(240, 160);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setContextMenuPolicy(Qt::DefaultContextMenu);
}

void TChartImage::Redraw()
{
    const int w = std::max(1, width());
    const int h = std::max(1, height());
    image_ = QImage(w, h, QImage::Format_RGB32);
    image_.fill(Qt::white);
    QPainter painter(&image_);
    TPainterCanvas canvas(painter);
    canvas.Font.Size = StepChartFontSize(h);
    if (model_.Activated())
        model_.Resize(canvas, w, h);
    else
        model_.Activate(canvas, w, h);
    update();
}

void TChartImage::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.drawImage(0, 0, image_);
}

void TChartImage::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // Before the first activation the window draws when it is shown.
    if (model_.Activated())
        Redraw();
}

void TChartImage::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    emit pointerMoved(qt(model_.PointerText(p.x(), p.y())));
}

void TChartImage::leaveEvent(QEvent*)
{
    emit pointerMoved(QString());
}

void TChartImage::mouseDoubleClickEvent(QMouseEvent*)
{
    emit copyRequested();
}

void TChartImage::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    menu.addAction(QIcon::fromTheme(QStringLiteral("edit-copy")), tr(kDataChartCopyCaption), this,
                   &TChartImage::copyRequested);
    menu.exec(event->globalPos());
}

// ---- the window ----------------------------------------------------------------------------------

TDataChartWindow::TDataChartWindow(ISettingsStore* store, QWidget* parent) : QDialog(parent), store_(store)
{
    setObjectName(QStringLiteral("DataChart"));
    setWindowTitle(qt(model_.Caption()));
    setSizeGripEnabled(true);

    image_ = new TChartImage(model_, this);
    image_->setObjectName(QStringLiteral("ChartImage"));
    image_->setToolTip(tr("Double click to copy the chart to the clipboard"));

    // The legend: each series' name in its colour, then the value texts in fixed units.
    auto* legend = new QFrame(this);
    legend->setObjectName(QStringLiteral("Legend"));
    legend->setFrameShape(QFrame::StyledPanel);
    legend->setAutoFillBackground(true);
    QPalette pal = legend->palette();
    pal.setColor(QPalette::Window, Qt::white);
    pal.setColor(QPalette::WindowText, Qt::black);
    legend->setPalette(pal);
    auto* legendLayout = new QVBoxLayout(legend);
    for (int i = 0; i < TStepChart::kLabelCount; ++i) {
        auto* label = new QLabel(legend);
        label->setObjectName(QStringLiteral("Series%1").arg(i));
        legendLayout->addWidget(label);
        seriesLabels_.push_back(label);
    }
    legendLayout->addSpacing(12);
    auto valueLabel = [&](const char* name) {
        auto* label = new QLabel(legend);
        label->setObjectName(QLatin1String(name));
        legendLayout->addWidget(label);
        return label;
    };
    fluid_ = valueLabel("FluidText");
    air_ = valueLabel("AirText");
    legendLayout->addSpacing(12);
    duty_ = valueLabel("DutyText");
    QFont bold = duty_->font();
    bold.setBold(true);
    duty_->setFont(bold);
    legendLayout->addStretch(1);

    auto* body = new QHBoxLayout;
    body->addWidget(image_, 1);
    body->addWidget(legend);

    status_ = new QStatusBar(this);
    status_->setSizeGripEnabled(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(body, 1);
    layout->addWidget(status_);

    connect(image_, &TChartImage::pointerMoved, this, [this](const QString& text) {
        if (text.isEmpty())
            status_->clearMessage();
        else
            status_->showMessage(text);
    });
    connect(image_, &TChartImage::copyRequested, this, &TDataChartWindow::CopyToClipboard);
    resize(760, 460);
}

TDataChartWindow::~TDataChartWindow() = default;

void TDataChartWindow::ShowChart(const TStepChartData& data)
{
    model_.Show(data);
    setWindowTitle(qt(model_.Caption()));
    showLegend();
    status_->clearMessage();
    if (!placed_ && store_) {
        RestorePlace(*this, model_.Place, *store_);
        placed_ = true;
    }
    setWindowModality(Qt::ApplicationModal);
    if (isVisible()) {
        image_->Redraw();
        raise();
        activateWindow();
    } else {
        show();
    }
}

void TDataChartWindow::showLegend()
{
    const auto labels = model_.LegendLabels();
    for (int i = 0; i < TStepChart::kLabelCount; ++i) {
        QLabel* label = seriesLabels_[i];
        const TLegendLabel& l = labels[static_cast<std::size_t>(i)];
        // A line sample in the series' colour before its name.
        label->setText(QStringLiteral("<span style=\"color:#%1\">&#9644;&#9644; %2</span>")
                           .arg(l.Color.Rgb(), 6, 16, QLatin1Char('0'))
                           .arg(qt(l.Text).toHtmlEscaped()));
        label->setVisible(l.Visible);
    }
    fluid_->setText(tr("Fluid: %1").arg(qt(model_.FluidText())));
    air_->setText(tr("Air: %1").arg(qt(model_.AirText())));
    duty_->setText(qt(model_.DutyText()));
}

void TDataChartWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Activation draws the chart at the image area's size.
    image_->Redraw();
}

void TDataChartWindow::hideEvent(QHideEvent* event)
{
    if (store_)
        StorePlace(*this, model_.Place, *store_);
    QDialog::hideEvent(event);
}

void TDataChartWindow::CopyToClipboard()
{
    const int w = std::max(1, image_->width());
    const int h = std::max(1, image_->height());
    QImage picture(TDataChart::PictureWidth(w, h), h, QImage::Format_RGB32);
    picture.fill(Qt::white);
    {
        QPainter painter(&picture);
        TPainterCanvas canvas(painter);
        model_.DrawPicture(canvas, w, h);
    }
    QApplication::clipboard()->setImage(picture);
    status_->showMessage(tr("Chart copied to the clipboard"), 3000);
}

QString TDataChartWindow::StatusText() const
{
    return status_->currentMessage();
}

QList<QLabel*> TDataChartWindow::LegendLabels() const
{
    QList<QLabel*> all = seriesLabels_;
    all << fluid_ << air_ << duty_;
    return all;
}

} // namespace zmk::gui
