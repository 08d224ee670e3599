// The main window: the geometry line and the "Fin side" and "Tube side" fields on the left, the
// result view on the right, the menus, the tool bar and the two-panel status bar. It shows the
// window model and forwards what the user does to it; the model decides everything.
#pragma once

#include "dialogs/MainWindowModel.h"
#include "base/Paths.h"

#include <QMainWindow>
#include <QMessageBox>

#include <array>
#include <functional>
#include <map>
#include <optional>

class QAbstractButton;
class QAction;
class QCheckBox;
class QGridLayout;
class QLabel;
class QMenu;

namespace zmk::gui {

class TFmtEditWidget;
class TFmtEditLabelWidget;
class TUnitsDialog;
class TWebHtmlView;

class TMainForm : public QMainWindow
{
    Q_OBJECT

public:
    /// The window on a model whose session reads and writes `store`; `folders` are the folders
    /// the program computed at start.
    TMainForm(TMainWindowModel& model, const TFolders& folders, QWidget* parent = nullptr);
    ~TMainForm() override;

    /// While the window is made: the model's start-up (stored place, start values, units, the
    /// command line), the place applied. The first showing then builds the coil.
    void Start(const std::vector<std::string>& arguments);

    // --- what tests and the program's test option look at ---
    TMainWindowModel& Model() { return model_; }
    TWebHtmlView* View() const { return view_; }
    TFmtEditWidget* Edit(TEntryField field) const { return edits_[static_cast<std::size_t>(field)]; }
    TFmtEditLabelWidget* UnitLabel(TEntryField field) const
    {
        return labels_[static_cast<std::size_t>(field)];
    }
    QAction* Action(TMainCommand command) const;
    QAction* ViewAction(TReportView view) const { return viewActions_.at(static_cast<std::size_t>(view)); }
    QAction* KindAction(std::size_t index) const { return kindActions_.at(index); }
    QAbstractButton* Button(TMainCommand command) const;
    QMenu* ReopenMenu() const { return reopenMenu_; }
    QLabel* KindLabel() const { return kindLabel_; }
    QCheckBox* SprayBox() const { return spray_; }
    TUnitsDialog* UnitsDialog() const { return unitsDialog_; }
    QString StatusPanelText() const;
    QString FilePanelText() const;

    /// Runs a command as its menu item, tool button or field button does.
    void RunCommand(TMainCommand command);
    /// Opens a file as the open dialog does once a file is chosen.
    void OpenFile(const QString& fileName);
    /// Saves under a name as Save As does once a name is chosen.
    bool SaveAsFile(const QString& fileName);
    /// Asked before unsaved changes would be lost (closing, New project, Open, Re-open; a message
    /// box unless replaced): Save, Discard or Cancel.
    std::function<QMessageBox::StandardButton(const QString& question)> AskToSave;
    /// Asked for the file Save As writes (a file dialog unless replaced), with the name to
    /// suggest; empty when the user cancels.
    std::function<QString(const QString& suggested)> AskSaveName;
    /// Closing and replacing the job without the question (the program's screenshot option).
    bool AskBeforeClosing = true;

    /// Shows the solved status and the file name in the status bar, shortened to the width.
    void ShowStatus();
    /// The menu items and buttons enabled, and Undo and Redo named, as the model now says.
    void UpdateCommands() { updateCommands(); }

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Layout (MainWindow.cpp).
    QWidget* buildFields();
    QWidget* buildGeometryLine();
    void addFieldRow(QGridLayout* grid, int row, TEntryField field, std::optional<TMainCommand> button = {});
    QAbstractButton* fieldButton(TMainCommand command, const QString& text);
    void orderTabs();
    void showFields();
    void showEnabling();

    // Menus, tool bar and commands (MainWindowCommands.cpp).
    void buildMenus();
    void buildToolBar();
    void updateCommands();
    void rebuildReopenMenu();
    void openDialog();
    /// Commits the focused field and, when the job has unsaved changes, asks whether to save
    /// them: NoButton when there was nothing to ask, Cancel when the user cancelled or the save
    /// failed, else Save (saved) or Discard.
    QMessageBox::StandardButton askToSaveChanges();
    bool saveAsDialog();
    bool save();
    void solve();
    void showAbout();
    void openHelpFile(const char* name);
    TFmtEditWidget* focusedEdit() const;
    zmk::TFmtEdit* focusedField() const;

    // The job's changes, after the model's fields have followed them.
    void jobChanged(const TJobNews& news);

    TMainWindowModel& model_;
    TFolders folders_;
    TWebHtmlView* view_ = nullptr;
    std::array<TFmtEditWidget*, kEntryFieldCount> edits_{};
    std::array<TFmtEditLabelWidget*, kEntryFieldCount> labels_{};
    TFmtEditWidget* fluidType_ = nullptr;
    TFmtEditWidget* liquidControl_ = nullptr;
    QCheckBox* spray_ = nullptr;
    QLabel* kindLabel_ = nullptr;
    QLabel* makerLabel_ = nullptr;
    QLabel* materialLabel_ = nullptr;
    QLabel* statusPanel_ = nullptr;
    QLabel* filePanel_ = nullptr;
    std::map<TMainCommand, QAction*> actions_;
    std::map<TMainCommand, QAbstractButton*> buttons_;
    std::array<QAction*, 6> viewActions_{};
    std::array<QAction*, 3> kindActions_{};
    QMenu* reopenMenu_ = nullptr;
    TUnitsDialog* unitsDialog_ = nullptr;
    bool closing_ = false;
    int subscription_ = -1;
};

} // namespace zmk::gui
