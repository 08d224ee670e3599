// The "Fin & Tube Editor": the coil's fin height, finned length, rows, fin density or pitch,
// circuits and materials with their spin arrows and unit labels, the sizing links with the
// target duty and "Keep entered airflow on auto size", the tube size button (the coil maker
// dialog), "Settings" (the design settings dialog), help, and the live summary of the coil. It
// shows the editor logic and forwards every action to it; the logic changes the coil, reports
// to the main window and puts the coil back on Cancel.
#pragma once

#include "dialogs/FatEditor.h"

#include <QDialog>

#include <array>
#include <vector>

class QCheckBox;
class QComboBox;
class QPushButton;
class QTextBrowser;
class QToolButton;

namespace zmk::gui {

class TCoilMakerDialog;
class TDesignSettingsDialog;
class TFmtEditWidget;
class TFmtEditLabelWidget;
class TLinkLabel;
class TSpinArrows;

class TFatEditorDialog : public QDialog
{
    Q_OBJECT

public:
    /// A dialog on the editor logic, which must outlive it.
    explicit TFatEditorDialog(TFatEditor& editor, QWidget* parent = nullptr);

    /// Shows the editor modally on the logic's coil; true when it was closed with "&Accept".
    bool ShowModal();

    TFatEditor& Editor() { return editor_; }
    /// The widget of one of the editor's fields.
    TFmtEditWidget* Edit(const zmk::TFmtEdit& field) const;
    TSpinArrows* Arrows(TFatSpin spin) const { return arrows_[static_cast<std::size_t>(spin)]; }
    /// The sizing links, in the order of kAutoSizeLabels.
    TLinkLabel* AutoSizeLink(std::size_t index) const { return autoLinks_.at(index); }
    TLinkLabel* SerpentineLink() const { return serpentine_; }
    QCheckBox* KeepAirflowBox() const { return keepAirflow_; }
    /// The tube, fin and casing material lists.
    QComboBox* MaterialList(std::size_t index) const { return materials_.at(index); }
    QToolButton* TubeSizeButton() const { return tubeSize_; }
    QPushButton* SettingsButton() const { return settings_; }
    QPushButton* SelectionButton() const { return selection_; }
    QTextBrowser* SummaryView() const { return summary_; }
    /// The coil maker and design settings dialogs, made when first needed.
    TCoilMakerDialog* CoilMakerDialog();
    TDesignSettingsDialog* DesignSettingsDialog();

    /// A spin arrow pressed (as the arrow beside the field, or Up/Down in the field).
    void SpinClick(TFatSpin spin, bool up);
    /// A sizing link clicked.
    void AutoSizeClick(TAutoSize mode);
    /// The tube size button: the coil maker dialog.
    void TubeSizeClick();
    /// "Settings": the design settings dialog.
    void SettingsClick();
    /// The editor's help page in the help window.
    void HelpClick();

signals:
    /// "Coil Selection...": the editor closed as Accept closes it, and the selection window is
    /// asked for.
    void selectionRequested();

protected:
    void done(int result) override;
    /// A new palette (a theme change) recolours the summary.
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TFmtEditWidget* addEdit(zmk::TFmtEdit& field, const char* name);
    void activate();
    void showAll();
    void commitFocused();
    TFmtEditWidget* focusedEdit() const;
    /// Draws the coil's circuit picture into the summary's document, for the page to show.
    void supplyCircuitPicture();

    TFatEditor& editor_;
    std::vector<TFmtEditWidget*> edits_;
    std::vector<TFmtEditLabelWidget*> units_;
    std::array<TSpinArrows*, 6> arrows_{};
    std::array<TFmtEditWidget*, 6> spinFields_{};
    std::vector<TLinkLabel*> autoLinks_;
    TLinkLabel* serpentine_ = nullptr;
    std::array<QComboBox*, 3> materials_{};
    QCheckBox* keepAirflow_ = nullptr;
    QToolButton* tubeSize_ = nullptr;
    QPushButton* settings_ = nullptr;
    QPushButton* selection_ = nullptr;
    QTextBrowser* summary_ = nullptr;
    QString shownPage_;
    TCoilMakerDialog* coilMaker_ = nullptr;
    TDesignSettingsDialog* designSettings_ = nullptr;
    bool placed_ = false;
};

} // namespace zmk::gui
