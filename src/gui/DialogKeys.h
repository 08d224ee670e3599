// What the small dialogs share: Enter and the arrow keys moving between entry fields, the unit
// chooser behind their unit labels, and committing the field being edited before a button acts.
#pragma once

#include "app/StartupSettings.h"
#include "gui/WindowPlace.h"
#include "platform/SettingsStore.h"
#include "dialogs/FmtEdit.h"

#include <QObject>
#include <QString>

#include <functional>
#include <initializer_list>
#include <string_view>

class QMenu;
class QWidget;

namespace zmk::gui {

/// Enter and Down move the focus to the next control and Up to the previous one while one of
/// the given fields has it; the fields must outlive nothing but the filter, which they own.
void UseFieldKeys(std::initializer_list<QWidget*> fields);
/// The caption with an "&" before its first letter not in `used` (which it joins), so that
/// Alt and that letter reach the field beside it.
QString MnemonicCaption(const QString& caption, QString& used);
/// Every item of a menu gets a letter of its own (dialogs/Mnemonics' rule): "&New project".
void GiveMnemonics(QMenu* menu);
/// A unit label's clicks open the unit chooser over `parent`.
void InstallUnitChooser(zmk::TFmtEditLabel& label, QWidget* parent);
/// Leaves the entry field of `window` that has the focus, if one has, as moving on would: its
/// value is validated and its exit handler runs.
void CommitFocusedEdit(const QWidget& window);

/// Puts a dialog where it was last closed, by the model's own restore rule, when the store
/// has its place; a dialog never closed before opens where the toolkit puts it (over its
/// parent).
void RestoreDialogPlace(QWidget& dialog, const ISettingsStore& store, std::string_view windowName,
                        bool withSize, const std::function<void(TWindowPlace&, TScreenSize)>& restore);

/// How a small dialog ends: on Accept the field being edited is committed (by `commit`, or as
/// moving on would) and the model accepts, otherwise it cancels; then the model closes with the
/// dialog's place.
template <class Model>
void FinishDialog(QWidget& dialog, Model& model, bool accepted, const std::function<void()>& commit = {})
{
    if (accepted) {
        if (commit)
            commit();
        else
            CommitFocusedEdit(dialog);
        model.Accept();
    } else {
        model.Cancel();
    }
    const TWindowPlace place = PlaceOf(dialog);
    model.Close(&place);
}

} // namespace zmk::gui
