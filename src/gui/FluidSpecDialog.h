// The "Fluid Specification" dialog: the property grid of the job's liquid (ten rows, the value
// column edited by an entry field or a drop-down, the unit column opening the unit chooser),
// the status line with the correlation's valid range and "Accept" and "Cancel" at the top.
// The grid's contents and rules are the fluid specification model's; this shows them.
#pragma once

#include "dialogs/FluidSpec.h"

#include <QDialog>

#include <array>

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace zmk {
class TLiquid;
}

namespace zmk::gui {

class TFmtEditWidget;
class TFmtEditLabelWidget;

class TFluidSpecDialog : public QDialog
{
    Q_OBJECT

public:
    /// Made once, remembering its place, columns and row units in `store` (which must
    /// outlive it).
    explicit TFluidSpecDialog(ISettingsStore& store, INotifier* notifier, QWidget* parent = nullptr);

    /// Shows the dialog modally on a liquid; the liquid holds the edited state after "Accept"
    /// and is put back after "Cancel".
    int ShowOn(TLiquid* liquid);

    TFluidSpec& Model() { return model_; }
    QTableWidget* Grid() const { return grid_; }
    /// The editor of a row's value: a TFmtEditWidget for a number row, a QComboBox for a choice row.
    QWidget* ValueEditor(int row) const { return editors_[static_cast<std::size_t>(row)]; }
    TFmtEditLabelWidget* UnitsCell(int row) const { return units_[static_cast<std::size_t>(row)]; }
    QLabel* StatusLine() const { return status_; }
    QPushButton* AcceptButton() const { return accept_; }
    QPushButton* CancelButton() const { return cancel_; }

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showRows();
    void showStatus();

    ISettingsStore& store_;
    TFluidSpec model_;
    QTableWidget* grid_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* accept_ = nullptr;
    QPushButton* cancel_ = nullptr;
    std::array<QWidget*, TFluidSpec::kRowCount> editors_{};
    std::array<TFmtEditLabelWidget*, TFluidSpec::kRowCount> units_{};
    bool placed_ = false;
};

} // namespace zmk::gui
