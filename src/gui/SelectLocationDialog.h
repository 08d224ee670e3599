// The "Select Location" dialog: the database and region drop-downs, the sorted place list, the
// ten-row details grid and the two-panel status bar ("Record %d of %d" and the place's name).
// The lists, the selections and the details are the place picker's; this shows them.
#pragma once

#include "dialogs/SelectLocation.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace zmk::gui {

class TSelectLocationDialog : public QDialog
{
    Q_OBJECT

public:
    /// Made once; `store` holds its place (and must outlive it).
    explicit TSelectLocationDialog(ISettingsStore& store, QWidget* parent = nullptr);

    /// Shows the dialog modally on a picker (which must outlive the call); true after OK.
    bool ShowOn(TSelectLocation& picker);

    QComboBox* DatabaseList() const { return databases_; }
    QComboBox* RegionList() const { return regions_; }
    QListWidget* PlaceList() const { return places_; }
    QTableWidget* Details() const { return details_; }
    QLabel* StatusPanel(int index) const { return status_[index]; }
    QPushButton* AcceptButton() const { return accept_; }

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showAll();
    void showPlaces();
    void showDetails();
    void tryAccept();

    ISettingsStore& store_;
    TSelectLocation* picker_ = nullptr;
    QComboBox* databases_ = nullptr;
    QComboBox* regions_ = nullptr;
    QListWidget* places_ = nullptr;
    QTableWidget* details_ = nullptr;
    QLabel* status_[2] = {};
    QPushButton* accept_ = nullptr;
    bool filling_ = false;
    bool placed_ = false;
};

} // namespace zmk::gui
