// The job's psychrometric chart in a window of its own: the chart drawn by the core on a
// painter at the window's size, the state under the pointer (dry bulb, wet bulb, relative
// humidity, moisture content, enthalpy, specific volume) in the read-out line, and Copy and
// Save (PNG or SVG). Opened by Solve > "Plot on Hygrona" when the sibling chart program is
// not installed.
#pragma once

#include "reports/PsyChart.h"

#include <QDialog>
#include <QImage>

#include <optional>

class QLabel;
class QPushButton;

namespace zmk::gui {

/// The drawing area: draws the chart at its own size and tells the state under the pointer.
class TPsyChartArea : public QWidget
{
    Q_OBJECT

public:
    explicit TPsyChartArea(QWidget* parent = nullptr);
    void SetChart(const TPsyChart& chart);
    const std::optional<TPsyChart>& Chart() const { return chart_; }
    /// What the area shows.
    const QImage& Picture() const { return image_; }
    QSize sizeHint() const override { return {800, 600}; }

signals:
    void pointerMoved(const QString& readOut);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void redraw();

    std::optional<TPsyChart> chart_;
    QImage image_;
};

class TPsyChartWindow : public QDialog
{
    Q_OBJECT

public:
    explicit TPsyChartWindow(QWidget* parent = nullptr);

    /// Draws the process and shows the window (not modal).
    void ShowChart(const TPsyProcess& process);
    /// Puts the chart as the window shows it on the clipboard.
    void CopyToClipboard();
    /// Saves the chart as PNG or SVG (by the name's extension); the error text when it fails.
    QString SaveTo(const QString& fileName);

    TPsyChartArea* Area() const { return area_; }
    /// The read-out line.
    QString ReadOutText() const;

private:
    void saveAs();

    TPsyChartArea* area_ = nullptr;
    QLabel* readOut_ = nullptr;
    QPushButton* copy_ = nullptr;
    QPushButton* save_ = nullptr;
};

} // namespace zmk::gui
