#include "gui/DialogKeys.h"

#include "dialogs/Mnemonics.h"
#include "gui/FmtEditWidget.h"
#include "gui/UnitsDialog.h"
#include "gui/WindowPlace.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QWidget>

namespace zmk::gui {

namespace {

class TFieldKeys : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
            return false;
        int move = 0;
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Down:
            move = Qt::Key_Tab;
            break;
        case Qt::Key_Up:
            move = Qt::Key_Backtab;
            break;
        default:
            return false;
        }
        // A tab key moves the focus the way the dialog's tab order says; leaving the field
        // commits it on the way.
        QKeyEvent tab(QEvent::KeyPress, move, move == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier);
        QApplication::sendEvent(watched, &tab);
        return true;
    }
};

} // namespace

void UseFieldKeys(std::initializer_list<QWidget*> fields)
{
    for (QWidget* field : fields) {
        if (!field)
            continue;
        field->installEventFilter(new TFieldKeys(field));
    }
}

QString MnemonicCaption(const QString& caption, QString& used)
{
    for (qsizetype i = 0; i < caption.size(); ++i) {
        const QChar c = caption.at(i).toLower();
        if (c.isLetter() && !used.contains(c)) {
            used.append(c);
            QString marked = caption;
            marked.insert(i, QLatin1Char('&'));
            return marked;
        }
    }
    return caption;
}

void GiveMnemonics(QMenu* menu)
{
    std::vector<QAction*> items;
    std::vector<std::string> captions;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator() || action->text().isEmpty())
            continue;
        items.push_back(action);
        captions.push_back(action->text().toStdString());
    }
    const std::vector<std::string> marked = WithMnemonics(captions);
    for (std::size_t i = 0; i < items.size(); ++i)
        items[i]->setText(QString::fromStdString(marked[i]));
}

void InstallUnitChooser(zmk::TFmtEditLabel& label, QWidget* parent)
{
    label.Chooser = [parent](const TUnitChooserRequest& request) { return ChooseUnit(request, parent); };
}

void CommitFocusedEdit(const QWidget& window)
{
    auto* edit = qobject_cast<TFmtEditWidget*>(QApplication::focusWidget());
    if (edit && edit->window() == &window)
        edit->Commit();
}

void RestoreDialogPlace(QWidget& dialog, const ISettingsStore& store, std::string_view windowName,
                        bool withSize, const std::function<void(TWindowPlace&, TScreenSize)>& restore)
{
    if (!store.SectionExists(windowName))
        return;
    TWindowPlace place = PlaceOf(dialog);
    restore(place, ScreenSizeOf(dialog));
    ApplyPlace(dialog, place, withSize);
}

} // namespace zmk::gui
