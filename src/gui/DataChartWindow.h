// The Step-by-Step Simulation window: the chart of the liquid, air and surface temperatures at
// every step through the coil, drawn by the chart model's plot engine on a painter, the legend
// with the duty and the in and out temperatures, the pointer read-out in the status bar, and
// the chart picture put on the clipboard by the context menu or a double click.
#pragma once

#include "dialogs/DataChart.h"

#include <QDialog>
#include <QImage>

class QLabel;
class QStatusBar;

namespace zmk::gui {

/// The image area: draws the model's chart at its own size and tells the pointer's place.
class TChartImage : public QWidget
{
    Q_OBJECT

public:
    TChartImage(TDataChart& model, QWidget* parent = nullptr);
    /// Draws the chart at the area's size: the first call activates the model.
    void Redraw();
    /// What the area shows.
    const QImage& Picture() const { return image_; }
    QSize sizeHint() const override { return {560, 380}; }

signals:
    void pointerMoved(const QString& readOut);
    void copyRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    TDataChart& model_;
    QImage image_;
};

class TDataChartWindow : public QDialog
{
    Q_OBJECT

public:
    /// The window's place is read from and written to `store` (none when null).
    explicit TDataChartWindow(ISettingsStore* store, QWidget* parent = nullptr);
    ~TDataChartWindow() override;

    /// What the Step by step command does: fills the window and shows it, modal.
    void ShowChart(const TStepChartData& data);
    /// Puts the chart picture on the clipboard.
    void CopyToClipboard();

    TDataChart& Model() { return model_; }
    TChartImage* Image() const { return image_; }
    /// The read-out in the status bar.
    QString StatusText() const;
    /// The legend's labels: the series names, then the fluid, air and duty texts.
    QList<QLabel*> LegendLabels() const;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void showLegend();

    TDataChart model_;
    ISettingsStore* store_;
    TChartImage* image_ = nullptr;
    QList<QLabel*> seriesLabels_;
    QLabel* fluid_ = nullptr;
    QLabel* air_ = nullptr;
    QLabel* duty_ = nullptr;
    QStatusBar* status_ = nullptr;
    bool placed_ = false;
};

} // namespace zmk::gui
