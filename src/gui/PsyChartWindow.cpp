#include "gui/PsyChartWindow.h"

#include "gui/PainterCanvas.h"
#include "reports/PsyChartPicture.h"
#include "reports/Typeface.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace zmk::gui {

// ---- the drawing area ----------------------------------------------------------------------------

TPsyChartArea::TPsyChartArea(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
    setMinimumSize(320, 240);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void TPsyChartArea::SetChart(const TPsyChart& chart)
{
    chart_ = chart;
    redraw();
}

void TPsyChartArea::redraw()
{
    const int w = std::max(1, width());
    const int h = std::max(1, height());
    image_ = QImage(w, h, QImage::Format_RGB32);
    image_.fill(Qt::white);
    if (chart_) {
        QPainter painter(&image_);
        TPainterCanvas canvas(painter);
        chart_->Draw(canvas, w, h);
    }
    update();
}

void TPsyChartArea::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.drawImage(0, 0, image_);
}

void TPsyChartArea::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    redraw();
}

void TPsyChartArea::mouseMoveEvent(QMouseEvent* event)
{
    if (!chart_)
        return;
    const QPoint p = event->position().toPoint();
    emit pointerMoved(QString::fromStdString(chart_->ReadOut(width(), height(), p.x(), p.y())));
}

void TPsyChartArea::leaveEvent(QEvent*)
{
    emit pointerMoved(QString());
}

// ---- the window ----------------------------------------------------------------------------------

TPsyChartWindow::TPsyChartWindow(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("PsyChart"));
    setWindowTitle(tr("Psychrometric Chart"));
    setSizeGripEnabled(true);

    area_ = new TPsyChartArea(this);
    area_->setObjectName(QStringLiteral("ChartArea"));
    readOut_ = new QLabel(this);
    readOut_->setObjectName(QStringLiteral("ReadOut"));
    readOut_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    readOut_->setMinimumWidth(1); // a long read-out never widens the window
    readOut_->setText(tr("Point at the chart to read the air there"));

    copy_ = new QPushButton(tr("&Copy"), this);
    copy_->setObjectName(QStringLiteral("Copy"));
    save_ = new QPushButton(tr("&Save As..."), this);
    save_->setObjectName(QStringLiteral("SaveAs"));
    auto* close = new QPushButton(tr("C&lose"), this);
    close->setObjectName(QStringLiteral("Close"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(readOut_, 1);
    buttons->addWidget(copy_);
    buttons->addWidget(save_);
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(area_, 1);
    layout->addLayout(buttons);

    connect(area_, &TPsyChartArea::pointerMoved, this,
            [this](const QString& text) { readOut_->setText(text.isEmpty() ? QStringLiteral(" ") : text); });
    connect(copy_, &QPushButton::clicked, this, &TPsyChartWindow::CopyToClipboard);
    connect(save_, &QPushButton::clicked, this, &TPsyChartWindow::saveAs);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    resize(840, 680);
}

void TPsyChartWindow::ShowChart(const TPsyProcess& process)
{
    area_->SetChart(TPsyChart(process));
    if (isVisible()) {
        raise();
        activateWindow();
    } else {
        show();
    }
}

void TPsyChartWindow::CopyToClipboard()
{
    QApplication::clipboard()->setImage(area_->Picture());
    readOut_->setText(tr("Chart copied to the clipboard"));
}

QString TPsyChartWindow::SaveTo(const QString& fileName)
{
    if (!area_->Chart())
        return tr("There is no chart to save");
    try {
        const std::unique_ptr<TTypeface> typeface = LoadSansTypeface();
        SavePsyChartFile(*area_->Chart(), fileName.toStdString(), *typeface);
    } catch (const std::exception& e) {
        return QString::fromStdString(e.what());
    }
    return {};
}

void TPsyChartWindow::saveAs()
{
    QString filter;
    const QString file =
        QFileDialog::getSaveFileName(this, tr("Save Chart"), QStringLiteral("psychart.png"),
                                     tr("PNG picture (*.png);;SVG drawing (*.svg)"), &filter);
    if (file.isEmpty())
        return;
    QString name = file;
    if (!name.endsWith(QLatin1String(".png"), Qt::CaseInsensitive) &&
        !name.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive))
        name += filter.contains(QLatin1String("svg")) ? QStringLiteral(".svg") : QStringLiteral(".png");
    const QString error = SaveTo(name);
    if (!error.isEmpty())
        QMessageBox::warning(this, windowTitle(), error);
}

QString TPsyChartWindow::ReadOutText() const
{
    return readOut_->text();
}

} // namespace zmk::gui
