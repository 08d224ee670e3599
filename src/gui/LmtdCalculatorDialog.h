// The "LMTD Calculator" dialog: the four temperatures and the rows as entry fields, which stream
// the air is, and the results (counterflow, parallel flow, the rows' factor F and the coil's mean
// difference) below them; every rule is the calculator model's.
#pragma once

#include "dialogs/LmtdCalculator.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QLabel;

namespace zmk::gui {

class TFmtEditWidget;
class TFmtEditLabelWidget;

class TLmtdCalculatorDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TLmtdCalculatorDialog(QWidget* parent = nullptr);
    /// Opens (not modal) on the job's temperatures.
    void ShowOn(const TCoilJob& job);

    TLmtdCalculator& Model() { return model_; }
    TFmtEditWidget* Edit(int i) const { return edits_.at(static_cast<std::size_t>(i)); }
    QCheckBox* AirHotBox() const { return airHot_; }
    QLabel* CounterflowLabel() const { return counter_; }
    QLabel* ParallelLabel() const { return parallel_; }
    QLabel* FactorLabel() const { return factor_; }
    QLabel* CoilLabel() const { return coil_; }
    QLabel* RemarkLabel() const { return remark_; }

private:
    void showAll();

    TLmtdCalculator model_;
    std::array<TFmtEditWidget*, 5> edits_{};
    std::array<TFmtEditLabelWidget*, 4> units_{};
    QCheckBox* airHot_ = nullptr;
    QLabel* counter_ = nullptr;
    QLabel* parallel_ = nullptr;
    QLabel* factor_ = nullptr;
    QLabel* coil_ = nullptr;
    QLabel* remark_ = nullptr;
};

} // namespace zmk::gui
