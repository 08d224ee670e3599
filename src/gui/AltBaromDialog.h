// The "Barometer" dialog: the site's pressure and altitude, each following the other, a button
// that opens the place picker, "&Accept", "&Cancel" and a one-line status bar. The values, the
// status texts and the shared settings are the pressure calculator's; this shows them.
#pragma once

#include "dialogs/AltBarom.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace zmk::gui {

class TFmtEditWidget;
class TFmtEditLabelWidget;
class TSelectLocationDialog;

class TAltBaromDialog : public QDialog
{
    Q_OBJECT

public:
    /// Made once: `common` holds the settings shared by the maker's programs (written at every
    /// close), `program` the window places and the picker's selections; the location database
    /// is in commonDataFolder. The stores must outlive the dialog.
    TAltBaromDialog(ISettingsStore& common, ISettingsStore& program, const std::string& commonDataFolder,
                    INotifier* notifier, QWidget* parent = nullptr);

    /// Shows the dialog modally on an altitude (m).
    int ShowOn(double altitude);

    TAltBarom& Model() { return model_; }
    TFmtEditWidget* PressureEdit() const { return pressure_; }
    TFmtEditWidget* AltitudeEdit() const { return altitude_; }
    QPushButton* LocationsButton() const { return locations_; }
    QPushButton* AcceptButton() const { return accept_; }
    QLabel* StatusBarText() const { return status_; }
    /// The place picker (made at the first search).
    TSelectLocationDialog* Picker() const { return picker_; }

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showAll();
    void searchForLocation();

    ISettingsStore& common_;
    ISettingsStore& program_;
    TAltBarom model_;
    TFmtEditWidget* pressure_ = nullptr;
    TFmtEditWidget* altitude_ = nullptr;
    TFmtEditLabelWidget* pressureUnits_ = nullptr;
    TFmtEditLabelWidget* altitudeUnits_ = nullptr;
    QPushButton* locations_ = nullptr;
    QPushButton* accept_ = nullptr;
    QLabel* status_ = nullptr;
    TSelectLocationDialog* picker_ = nullptr;
    bool placed_ = false;
};

} // namespace zmk::gui
