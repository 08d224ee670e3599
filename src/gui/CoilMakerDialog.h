// The "Coil Maker" dialog: the catalogue's makers in a drop-down list, the chosen maker's
// tube-and-fin patterns in a twelve-column list with the one that best matches the coil
// selected, and the "Current:" line. It shows the coil maker logic and forwards the user's
// choices to it.
#pragma once

#include "dialogs/CoilMaker.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QTreeWidget;

namespace zmk::gui {

class TCoilMakerDialog : public QDialog
{
    Q_OBJECT

public:
    /// A dialog on the logic, which must outlive it.
    explicit TCoilMakerDialog(TCoilMaker& maker, QWidget* parent = nullptr);

    /// Shows the dialog modally on the logic's copy; true when it was closed with "&Accept".
    bool ShowModal();

    TCoilMaker& Maker() { return maker_; }
    QComboBox* MakerList() const { return makers_; }
    QTreeWidget* ModelList() const { return models_; }
    QLabel* CurrentLine() const { return current_; }

protected:
    void done(int result) override;

private:
    void fillMakers();
    void fillModels();
    void selectRow();

    TCoilMaker& maker_;
    QComboBox* makers_ = nullptr;
    QTreeWidget* models_ = nullptr;
    QLabel* current_ = nullptr;
    bool placed_ = false;
    bool filling_ = false;
};

} // namespace zmk::gui
