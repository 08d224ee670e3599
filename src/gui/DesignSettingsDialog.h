// The "Design Settings" dialog: the values the coil's auto-sizing works from, on four pages
// ("Auto Size", "Typical", "Circuits", "Factors"), with "Restore Defaults" above them. It shows
// the design settings logic and forwards the user's actions to it; the logic reads, limits,
// remembers and applies the values.
#pragma once

#include "dialogs/DesignSettings.h"

#include <QDialog>

#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QTabWidget;

namespace zmk::gui {

class TFmtEditWidget;
class TFmtEditLabelWidget;

class TDesignSettingsDialog : public QDialog
{
    Q_OBJECT

public:
    /// A dialog on the logic, which must outlive it.
    explicit TDesignSettingsDialog(TDesignSettings& settings, QWidget* parent = nullptr);

    /// Shows the dialog modally on the values the logic was opened with; however it is closed,
    /// the logic then stores and applies them.
    void ShowModal();

    TDesignSettings& Settings() { return settings_; }
    QTabWidget* Pages() const { return pages_; }
    TFmtEditWidget* AspectEdit() const { return aspect_; }
    TFmtEditWidget* VfEdit() const { return vf_; }
    TFmtEditWidget* AirOnEdit() const { return airOn_; }
    TFmtEditWidget* FluidInEdit() const { return fluidIn_; }
    TFmtEditWidget* RowsEdit() const { return rows_; }
    TFmtEditWidget* FinsEdit() const { return fins_; }
    QCheckBox* FoulingBox() const { return fouling_; }
    QCheckBox* FoulingInDutyBox() const { return foulingInDuty_; }
    QComboBox* AirSideMethodBox() const { return airSide_; }
    QLabel* FinSurfaceLabel() const { return finSurface_; }
    QLabel* RestoreDefaultsLink() const { return restore_; }
    QLabel* MoreInformationLink() const { return moreInfo_; }

    /// "Restore Defaults".
    void RestoreDefaultsClick();
    /// "More Information...": the circuiting notes in the desktop's browser.
    void MoreInformationClick();

protected:
    void done(int result) override;

private:
    void showFields();

    TDesignSettings& settings_;
    QTabWidget* pages_ = nullptr;
    TFmtEditWidget* aspect_ = nullptr;
    TFmtEditWidget* vf_ = nullptr;
    TFmtEditWidget* airOn_ = nullptr;
    TFmtEditWidget* fluidIn_ = nullptr;
    TFmtEditWidget* rows_ = nullptr;
    TFmtEditWidget* fins_ = nullptr;
    std::vector<TFmtEditWidget*> edits_;
    std::vector<TFmtEditLabelWidget*> labels_;
    QCheckBox* fouling_ = nullptr;
    QCheckBox* foulingInDuty_ = nullptr;
    QComboBox* airSide_ = nullptr;
    QLabel* finSurface_ = nullptr;
    QLabel* restore_ = nullptr;
    QLabel* moreInfo_ = nullptr;
    bool placed_ = false;
};

} // namespace zmk::gui
