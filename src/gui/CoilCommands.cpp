#include "gui/CoilCommands.h"

#include "dialogs/MainWindowModel.h"
#include "dialogs/FatEditor.h"
#include "geometry/CoilMakers.h"
#include "gui/CoilSelectionWindow.h"
#include "gui/FatEditorDialog.h"
#include "gui/FmtEditWidget.h"
#include "gui/MainWindow.h"
#include "platform/SettingsStore.h"

#include <QApplication>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <memory>

namespace zmk::gui {

class TCoilDialogs : public QObject
{
public:
    TCoilDialogs(TMainForm& window, const TFolders& folders, ISettingsStore* besideProgram)
        : QObject(&window), window_(window), model_(window.Model()), folders_(folders), beside_(besideProgram)
    {
        setObjectName("CoilDialogs");
        if (!beside_) {
            ownBeside_ = std::make_unique<TIniSettingsStore>(ProgramIniFile());
            beside_ = ownBeside_.get();
        }
        model_.PlugCommand(TMainCommand::CoilSpec, [this] { ButtonCoilSpecClick(); });
        model_.PlugCommand(TMainCommand::CoilSelection, [this] { ShowSelection(); });
    }
    ~TCoilDialogs() override
    {
        // The window is being taken down around this object: only the model is asked.
        model_.PlugCommand(TMainCommand::CoilSpec, {});
        model_.PlugCommand(TMainCommand::CoilSelection, {});
        // The dialog goes before the logic it shows.
        delete dialog_.data();
        delete selection_.data();
    }

    TFatEditor& Editor()
    {
        if (!editor_) {
            TProjectSession& session = model_.Session();
            editor_ = std::make_unique<TFatEditor>(session.Store(), *beside_, ProcessCoilMakers(),
                                                   folders_.CommonDataFolder, folders_.ProgramFolder,
                                                   session.Notifier());
        }
        return *editor_;
    }
    TFatEditorDialog& Dialog()
    {
        if (!dialog_) {
            dialog_ = new TFatEditorDialog(Editor(), &window_);
            // The editor's "Coil Selection..." opens the window once the editor has closed.
            connect(dialog_, &TFatEditorDialog::selectionRequested, this,
                    [this] { QTimer::singleShot(0, this, [this] { ShowSelection(); }); });
        }
        return *dialog_;
    }

    TCoilSelectionWindow& Selection()
    {
        if (!selection_) {
            selection_ = new TCoilSelectionWindow(model_.Job(), &window_);
            selection_->SetUndo(&model_.CoilUndo);
            // Edit, "Undo" is offered once the change is recorded.
            connect(selection_, &TCoilSelectionWindow::coilUsed, this, [this] { window_.UpdateCommands(); });
        }
        return *selection_;
    }

    // Solve menu "Coil Selection...".
    void ShowSelection()
    {
        commitFocused();
        Selection().ShowOn();
    }

    // The "..." button after the geometry line.
    void ButtonCoilSpecClick()
    {
        TMainWindowModel& model = model_;
        commitFocused();
        TFatEditorDialog& dialog = Dialog();
        zmk::ButtonCoilSpecClick(model.Job(), Editor(), [&dialog] { return dialog.ShowModal(); });
    }

private:
    void commitFocused()
    {
        if (auto* focused = qobject_cast<TFmtEditWidget*>(QApplication::focusWidget());
            focused && focused->window() == &window_)
            focused->ApplyExit(model_.CommitFocusedField(&focused->Field()));
    }

    TMainForm& window_;
    TMainWindowModel& model_;
    TFolders folders_;
    ISettingsStore* beside_;
    std::unique_ptr<ISettingsStore> ownBeside_;
    std::unique_ptr<TFatEditor> editor_;
    QPointer<TFatEditorDialog> dialog_;
    QPointer<TCoilSelectionWindow> selection_;
};

TCoilDialogs& PlugCoilDialogs(TMainForm& window, const TFolders& folders, ISettingsStore* besideProgram)
{
    return *new TCoilDialogs(window, folders, besideProgram);
}

TFatEditor& CoilEditor(TCoilDialogs& dialogs)
{
    return dialogs.Editor();
}

TFatEditorDialog& CoilEditorDialog(TCoilDialogs& dialogs)
{
    return dialogs.Dialog();
}

TCoilSelectionWindow& CoilSelectionWindow(TCoilDialogs& dialogs)
{
    return dialogs.Selection();
}

} // namespace zmk::gui
