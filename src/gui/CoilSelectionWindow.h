// The "Coil Selection" window: the target and the limits on the left, the coils that meet them on
// the right (a click on a heading sorts, the job's coil in bold with a mark), a progress bar and
// Cancel while a run rates, and "Use" (or a double click) to take a coil into the job. Every rule
// is TCoilSelect's.
#pragma once

#include "dialogs/CoilSelect.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTableWidget;
class QTimer;

namespace zmk {
class TCoilJob;
}

namespace zmk::gui {

class TCoilSelectionWindow : public QDialog
{
    Q_OBJECT

public:
    /// A window on the job, which must outlive it; `tell` shows a message (a solve that failed).
    TCoilSelectionWindow(TCoilJob& job, QWidget* parent = nullptr);
    ~TCoilSelectionWindow() override;

    /// Opens (not modal) on the job as it stands.
    void ShowOn();

    TCoilSelect& Model() { return model_; }
    /// The undo that "Use" records its change in (the main window's Edit, "Undo").
    void SetUndo(TCoilUndo* undo) { undo_ = undo; }
    QPushButton* SelectButton() const { return select_; }
    QPushButton* CancelButton() const { return cancel_; }
    QPushButton* UseButton() const { return use_; }
    QTableWidget* Table() const { return table_; }
    QProgressBar* Progress() const { return progress_; }
    QLabel* StatusLabel() const { return status_; }
    QDoubleSpinBox* DutyBox() const { return duty_; }
    QDoubleSpinBox* MaxAirDpBox() const { return maxAirDp_; }
    QSpinBox* RowsHiBox() const { return rowsHi_; }
    QCheckBox* FixedFaceBox() const { return fixedFace_; }
    QCheckBox* SetFaceVelocityBox() const { return setVf_; }
    QDoubleSpinBox* FaceVelocityBox() const { return vfTarget_; }
    QComboBox* ObjectiveList() const { return objective_; }

    /// "Select": starts a run on the form.
    void SelectClick();
    /// "Use": the selected row into the job.
    void UseClick();
    /// Checks on the run: progress, and the table once it is over (the timer calls this).
    void Poll();

signals:
    /// The job took a coil from the table.
    void coilUsed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void readForm();
    void showForm();
    void showTable();
    void showRunning(bool running);
    /// A box of a value shown in its display unit, with the label that names the unit.
    struct TUnitBox
    {
        QDoubleSpinBox* Box;
        TSelectQuantity Quantity;
        double Lo, Hi, Step; ///< in the unit held
        QLabel* Label;       ///< null for the upper box of a range
        const char* Caption; ///< the label's text before the unit
    };
    std::vector<TUnitBox> unitBoxes_;
    /// Each box's range, step and decimals and each label's unit, from the unit settings.
    void showUnits();

    TCoilJob& job_;
    TCoilUndo* undo_ = nullptr;
    int subscription_ = 0;
    TCoilSelect model_;
    QTimer* timer_ = nullptr;
    QRadioButton* byDuty_ = nullptr;
    QRadioButton* byAir_ = nullptr;
    QDoubleSpinBox* duty_ = nullptr;
    QDoubleSpinBox* leavingAir_ = nullptr;
    QDoubleSpinBox* maxAirDp_ = nullptr;
    QDoubleSpinBox* maxLiquidDp_ = nullptr;
    QSpinBox* rowsLo_ = nullptr;
    QSpinBox* rowsHi_ = nullptr;
    QSpinBox* fpiLo_ = nullptr;
    QSpinBox* fpiHi_ = nullptr;
    QDoubleSpinBox* vfLo_ = nullptr;
    QDoubleSpinBox* vfHi_ = nullptr;
    QDoubleSpinBox* tubeLo_ = nullptr;
    QDoubleSpinBox* tubeHi_ = nullptr;
    QDoubleSpinBox* heightLo_ = nullptr;
    QDoubleSpinBox* heightHi_ = nullptr;
    QDoubleSpinBox* lengthLo_ = nullptr;
    QDoubleSpinBox* lengthHi_ = nullptr;
    QDoubleSpinBox* lengthStep_ = nullptr;
    QCheckBox* fixedFace_ = nullptr;
    QCheckBox* setVf_ = nullptr;
    QDoubleSpinBox* vfTarget_ = nullptr;
    QComboBox* maker_ = nullptr;
    QComboBox* objective_ = nullptr;
    QDoubleSpinBox* priceCu_ = nullptr;
    QDoubleSpinBox* priceAl_ = nullptr;
    QPushButton* select_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* use_ = nullptr;
    QTableWidget* table_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* status_ = nullptr;
    int sortColumn_ = -1;
    bool sortAscending_ = true;
};

} // namespace zmk::gui
