// The main window's menus, tool bar and commands.
#include "gui/MainWindow.h"

#include "app/ProjectFile.h"
#include "base/Notifier.h"
#include "gui/AboutBox.h"
#include "gui/DialogKeys.h"
#include "gui/FmtEditWidget.h"
#include "gui/Icons.h"
#include "gui/PageWindow.h"
#include "gui/UnitsDialog.h"
#include "gui/WebHtmlView.h"

#include <QAbstractButton>
#include <QActionGroup>
#include <QApplication>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QToolBar>

namespace zmk::gui {

namespace {

QString qt(const std::string& s)
{
    return QString::fromStdString(s);
}

// The file dialogs' filter: "Zemtor (*.zmx)".
QString projectFilter()
{
    const std::string_view filter = kProjectFilter;
    return qt(std::string(filter.substr(0, filter.find('|'))));
}

// A file name as a menu caption: an "&" would be taken for a mnemonic.
QString menuCaption(const std::string& name)
{
    return qt(name).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace

QAction* TMainForm::Action(TMainCommand command) const
{
    const auto it = actions_.find(command);
    return it == actions_.end() ? nullptr : it->second;
}

QAbstractButton* TMainForm::Button(TMainCommand command) const
{
    const auto it = buttons_.find(command);
    return it == buttons_.end() ? nullptr : it->second;
}

void TMainForm::buildMenus()
{
    for (const std::string& name : MainMenus()) {
        QMenu* menu = menuBar()->addMenu(qt(name));
        for (const TMenuItem& item : MainMenuItems()) {
            if (name != item.Menu)
                continue;
            if (item.SeparatorBefore)
                menu->addSeparator();
            if (item.Command == TMainCommand::Reopen) {
                reopenMenu_ = menu->addMenu(tr(item.Caption));
                continue;
            }
            QAction* action = menu->addAction(tr(item.Caption));
            if (*item.Shortcut)
                action->setShortcut(QKeySequence(QString::fromLatin1(item.Shortcut)));
            action->setStatusTip(tr(item.Hint));
            action->setToolTip(*item.Hint ? tr(item.Hint) : tr(item.Caption));
            const TMainCommand command = item.Command;
            connect(action, &QAction::triggered, this, [this, command] { RunCommand(command); });
            actions_[command] = action;
        }
        if (name == "&View") {
            auto* group = new QActionGroup(this);
            for (std::size_t v = 0; v < viewActions_.size(); ++v) {
                const auto view = static_cast<TReportView>(v);
                QAction* action = menu->addAction(qt(ReportViewCaption(view)));
                action->setCheckable(true);
                action->setChecked(view == model_.Session().View());
                group->addAction(action);
                connect(action, &QAction::triggered, this, [this, view] { model_.SetView(view); });
                viewActions_[v] = action;
            }
        } else if (name == "&Edit") {
            // The coil kinds as a visible choice, beside the kind label's Ctrl+click.
            menu->addSeparator();
            QMenu* kinds = menu->addMenu(tr("Coil kind"));
            auto* group = new QActionGroup(this);
            for (std::size_t k = 0; k < kindActions_.size(); ++k) {
                const TCoilKindChoice& choice = CoilKindChoices()[k];
                QAction* action = kinds->addAction(tr(choice.Caption));
                action->setCheckable(true);
                group->addAction(action);
                const std::string code = choice.Code;
                connect(action, &QAction::triggered, this, [this, code] {
                    model_.SetCoilKind(code);
                    showFields();
                });
                kindActions_[k] = action;
            }
            GiveMnemonics(kinds);
        } else if (name == "&Tools") {
            // The menu would list sibling programs; it holds none (TExternalPrograms::ToolsMenu), so it
            // is not shown.
            menu->menuAction()->setVisible(false);
        } else if (name == "&Solve") {
            connect(menu, &QMenu::aboutToShow, this, &TMainForm::updateCommands);
        }
        if (name == "&Edit") {
            // Undo and Redo follow the job.
            connect(menu, &QMenu::aboutToShow, this, &TMainForm::updateCommands);
        }
        GiveMnemonics(menu);
    }
}

void TMainForm::buildToolBar()
{
    QToolBar* bar = addToolBar(tr("Tools"));
    bar->setObjectName("ToolBar");
    bar->setMovable(false);
    for (TMainCommand command : ToolBarCommands()) {
        QAction* action = Action(command);
        action->setIcon(CommandIcon(command));
        bar->addAction(action);
    }
}

void TMainForm::updateCommands()
{
    for (const auto& [command, action] : actions_)
        action->setEnabled(model_.CommandEnabled(command));
    // Their keys are their first letters, the first two items of the Edit menu.
    for (TMainCommand command : {TMainCommand::Undo, TMainCommand::Redo})
        if (QAction* action = Action(command))
            action->setText(QLatin1Char('&') + qt(model_.CommandCaption(command)));
    for (const auto& [command, button] : buttons_)
        button->setEnabled(model_.CommandEnabled(command));
    if (reopenMenu_)
        reopenMenu_->setEnabled(model_.CommandEnabled(TMainCommand::Reopen));
    view_->SetPrintPreviewEnabled(model_.CommandEnabled(TMainCommand::PrintPreview));
}

void TMainForm::rebuildReopenMenu()
{
    if (!reopenMenu_)
        return;
    reopenMenu_->clear();
    const auto& items = model_.Session().RecentFiles().Items();
    int shown = 0;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (!items[i].Visible)
            continue;
        // Numbered, so that each file has its key: "&1 /projects/coil.zmx".
        QAction* action =
            reopenMenu_->addAction(QStringLiteral("&%1 ").arg(++shown % 10) + menuCaption(items[i].Caption));
        action->setStatusTip(qt(items[i].Caption));
        connect(action, &QAction::triggered, this, [this, i] {
            // The list changes as the file opens: run after the menu is done with the item.
            QTimer::singleShot(0, this, [this, i] {
                if (askToSaveChanges() == QMessageBox::Cancel)
                    return;
                TFmtEditWidget* focused = focusedEdit();
                const TExitResult r = model_.OpenRecent(i, focusedField());
                if (focused)
                    focused->ApplyExit(r);
                showFields();
                ShowStatus();
            });
        });
    }
    reopenMenu_->setEnabled(model_.CommandEnabled(TMainCommand::Reopen));
}

TFmtEditWidget* TMainForm::focusedEdit() const
{
    auto* edit = qobject_cast<TFmtEditWidget*>(QApplication::focusWidget());
    return edit && edit->window() == this ? edit : nullptr;
}

zmk::TFmtEdit* TMainForm::focusedField() const
{
    TFmtEditWidget* edit = focusedEdit();
    return edit ? &edit->Field() : nullptr;
}

void TMainForm::RunCommand(TMainCommand command)
{
    if (!model_.CommandEnabled(command))
        return;
    switch (command) {
    case TMainCommand::New:
        if (askToSaveChanges() != QMessageBox::Cancel)
            model_.ActionNewExecute();
        break;
    case TMainCommand::Open:
        if (askToSaveChanges() != QMessageBox::Cancel)
            openDialog();
        break;
    case TMainCommand::Save:
        save();
        break;
    case TMainCommand::SaveAs:
        saveAsDialog();
        break;
    case TMainCommand::Exit:
        close();
        return;
    case TMainCommand::SetUnits:
        unitsDialog_->ShowUnitsDialog();
        break;
    case TMainCommand::Copy:
        view_->CopyAll();
        break;
    case TMainCommand::Solve:
        solve();
        break;
    case TMainCommand::HelpIndex:
        openHelpFile("index.htm");
        break;
    case TMainCommand::EmailHelp:
        openHelpFile("enquiry.htm");
        break;
    case TMainCommand::About:
        showAbout();
        break;
    case TMainCommand::FluidControl:
        model_.ButtonFluidControlClick();
        break;
    case TMainCommand::ViewSource:
        view_->ShowSource();
        break;
    case TMainCommand::ShowHelp:
        view_->Clear();
        view_->LoadFile(std::filesystem::path(folders_.HelpFolder) / "index.htm");
        break;
    case TMainCommand::Undo:
    case TMainCommand::Redo:
        try {
            if (command == TMainCommand::Undo)
                model_.UndoClick();
            else
                model_.RedoClick();
        } catch (const std::exception& e) {
            if (INotifier* notifier = model_.Session().Notifier())
                notifier->Message(std::string("No solution found... ") + e.what());
        }
        updateCommands();
        break;
    default:
        model_.RunCommand(command);
        break;
    }
    showFields();
    ShowStatus();
}

void TMainForm::solve()
{
    TFmtEditWidget* focused = focusedEdit();
    const TExitResult r = model_.ActionSolveExecute(focusedField());
    if (focused)
        focused->ApplyExit(r);
}

bool TMainForm::save()
{
    // A job that has no file yet (nothing opened, or the file named at start did not open) is
    // saved under a name the user gives.
    if (model_.Job().FileName.empty())
        return saveAsDialog();
    TFmtEditWidget* focused = focusedEdit();
    const bool saved = model_.ActionSaveExecute(focusedField());
    if (focused)
        focused->ShowField();
    return saved;
}

void TMainForm::openDialog()
{
    const QString file =
        QFileDialog::getOpenFileName(this, tr("Open"), qt(model_.LastPath()), projectFilter());
    if (!file.isEmpty())
        OpenFile(file);
}

void TMainForm::OpenFile(const QString& fileName)
{
    model_.SetLastPathFrom(fileName.toStdString());
    model_.OpenFile(fileName.toStdString());
    showFields();
    ShowStatus();
}

bool TMainForm::saveAsDialog()
{
    const std::string& current = model_.Job().FileName;
    const QString suggested = qt(current.empty() ? "Default" + std::string(kProjectExtension)
                                                 : std::filesystem::path(current).filename().string());
    QString file;
    if (AskSaveName) {
        file = AskSaveName(suggested);
    } else {
        QFileDialog dialog(this, tr("Save As"), qt(model_.LastPath()), projectFilter());
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(qt(std::string(kProjectDefaultExt)));
        dialog.selectFile(suggested);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            file = dialog.selectedFiles().front();
    }
    return !file.isEmpty() && SaveAsFile(file);
}

bool TMainForm::SaveAsFile(const QString& fileName)
{
    TFmtEditWidget* focused = focusedEdit();
    const bool saved = model_.SaveAs(fileName.toStdString(), focusedField());
    if (focused)
        focused->ShowField();
    showFields();
    ShowStatus();
    return saved;
}

void TMainForm::showAbout()
{
    TAboutBox box(AboutFacts(folders_, ConfigFolder() / "Quorvane", ToolkitLibraries()), this);
    box.exec();
}

void TMainForm::openHelpFile(const char* name)
{
    // The help pages show in a window of the program's own; the desktop's browser is offered there.
    const std::filesystem::path folder(folders_.HelpFolder);
    ShowHelpPage(*this, folder / name, folder / "index.htm");
}

} // namespace zmk::gui
