// The Units dialog (every quantity's display unit in a two-level tree, with "Metric",
// "Imperial" and "Close") and the unit chooser that a unit label opens. The tree's contents and
// rules are the units layer's TUnitsTree; these widgets show it.
#pragma once

#include "dialogs/DialogForm.h"
#include "dialogs/Units.h"
#include "dialogs/FmtEdit.h"

#include <QDialog>

#include <optional>

class QListWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace zmk {
class ISettingsStore;
}

namespace zmk::gui {

/// The Units dialog: created once and reused, so the tree is built at its first showing only.
class TUnitsDialog : public QDialog
{
    Q_OBJECT

public:
    /// A dialog on the program's quantities, remembering its place in `store` (which must
    /// outlive it) under "UnitForm".
    explicit TUnitsDialog(ISettingsStore& store, QWidget* parent = nullptr);

    /// Shows the dialog modally; the tree is built the first time.
    void ShowUnitsDialog();
    /// Builds the tree when it has not been built (ShowUnitsDialog does this).
    void EnsureBuilt();

    QTreeWidget* Tree() const { return tree_; }
    /// The item of a quantity (section and key), or null.
    QTreeWidgetItem* ItemOf(const std::string& section, const std::string& key) const;
    /// Chooses a unit for the quantity of an item, as its drop-down does.
    void ChooseUnit(QTreeWidgetItem* item, int index);

    /// "Metric", "Imperial".
    void MetricClick();
    void ImperialClick();

protected:
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void fill();
    void refreshLabels();
    void storePlace();

    ISettingsStore& store_;
    TDialogPlace place_{"UnitForm"};
    TUnitsTree model_;
    QTreeWidget* tree_ = nullptr;
};

/// The unit chooser: a small list without a border, on top, closed by Enter, Escape or a
/// click; the item selected then is the answer.
class TUnitChooserDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TUnitChooserDialog(const TUnitChooserRequest& request, QWidget* parent = nullptr);
    QListWidget* List() const { return list_; }
    /// The item selected now.
    int Selected() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QListWidget* list_ = nullptr;
};

/// Shows the chooser for a request, modally at its position, and returns the index chosen.
std::optional<int> ChooseUnit(const TUnitChooserRequest& request, QWidget* parent = nullptr);

} // namespace zmk::gui
