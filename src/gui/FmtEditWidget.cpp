#include "gui/FmtEditWidget.h"

#include <QApplication>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>

namespace zmk::gui {

namespace {

QString qt(const std::string& s)
{
    return QString::fromStdString(s);
}

// Focus that moves because a menu opened or another window came up is not the user leaving
// the field: nothing is validated then, and coming back is no new entry.
bool leavesTheField(Qt::FocusReason reason)
{
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

} // namespace

// ---- the entry field ---------------------------------------------------------------------------

TFmtEditWidget::TFmtEditWidget(zmk::TFmtEdit& field, QWidget* parent) : QLineEdit(parent), field_(field)
{
    // Paste, cut, drag and drop and the context menu's edits are not filtered; the field takes
    // the result as the user's change.
    connect(this, &QLineEdit::textEdited, this, &TFmtEditWidget::takeUnfilteredEdit);
    ShowField();
    SetReadOnlyMode(field_.ReadOnly());
}

void TFmtEditWidget::ShowField()
{
    const QString text = qt(field_.Text());
    if (this->text() != text)
        setText(text);
}

void TFmtEditWidget::SetReadOnlyMode(bool readOnly)
{
    field_.SetReadOnly(readOnly);
    setReadOnly(readOnly);
}

void TFmtEditWidget::pushSelection()
{
    if (hasSelectedText())
        field_.SetSelection(selectionStart(), static_cast<int>(selectedText().size()));
    else
        field_.SetSelection(cursorPosition(), 0);
}

void TFmtEditWidget::showFieldKeepingCaret()
{
    const QString text = qt(field_.Text());
    if (this->text() != text)
        setText(text);
    setCursorPosition(field_.SelStart());
}

void TFmtEditWidget::takeUnfilteredEdit(const QString& text)
{
    field_.EditText(text.toStdString());
}

void TFmtEditWidget::typeText(const QString& text)
{
    bool beep = false;
    for (const char32_t ch : text.toUcs4()) {
        pushSelection();
        const TKeyResult r = field_.KeyPress(ch);
        beep = beep || r.beep;
        showFieldKeepingCaret();
    }
    if (beep)
        QApplication::beep();
}

void TFmtEditWidget::keyPressEvent(QKeyEvent* event)
{
    // Copy, cut and paste are the line edit's own; what they change reaches the field through
    // textEdited. Other shortcuts (undo, select all) too.
    if (event->matches(QKeySequence::Copy) || event->matches(QKeySequence::Cut) ||
        event->matches(QKeySequence::Paste)) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Escape: {
        const TKeyResult r = field_.KeyPress(kKeyEscape);
        if (!r.consumed) {
            event->ignore(); // the window's (a dialog's Cancel)
            return;
        }
        ShowField();
        selectAll();
        event->accept();
        return;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        const TKeyResult r = field_.KeyPress(kKeyEnter);
        ShowField();
        if (r.beep)
            QApplication::beep();
        // Enter in a field stays in it; a dialog's default button is not pressed by it.
        event->accept();
        return;
    }
    case Qt::Key_Backspace: {
        pushSelection();
        field_.KeyPress(kKeyBackspace);
        showFieldKeepingCaret();
        event->accept();
        return;
    }
    default:
        break;
    }
    const QString text = event->text();
    const bool printable = !text.isEmpty() &&
                           !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) &&
                           text.at(0).isPrint();
    if (printable) {
        typeText(text);
        event->accept();
        return;
    }
    // Navigation, Delete, undo and the like: the line edit's, and any change it makes reaches
    // the field through textEdited.
    QLineEdit::keyPressEvent(event);
}

void TFmtEditWidget::inputMethodEvent(QInputMethodEvent* event)
{
    // Composed characters are typed like keys, through the character filter.
    if (!event->commitString().isEmpty() && !isReadOnly()) {
        typeText(event->commitString());
        event->accept();
        return;
    }
    QLineEdit::inputMethodEvent(event);
}

void TFmtEditWidget::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    if (reclaiming_) {
        reclaiming_ = false;
        return;
    }
    // Back from a menu or another window in the middle of an edit, the entry goes on; a field
    // that was not being edited starts a new one however the focus came.
    if (leavesTheField(event->reason()) || !field_.Modified())
        field_.Enter();
}

void TFmtEditWidget::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    if (leavesTheField(event->reason()))
        Commit();
}

void TFmtEditWidget::Commit()
{
    ApplyExit(field_.Exit());
    emit exited();
}

void TFmtEditWidget::ApplyExit(const TExitResult& result)
{
    ShowField();
    if (result.beep)
        QApplication::beep();
    if (result.keepFocus) {
        // The value was brought to its bound: the user stays in the field with it, which is
        // still modified, so Escape brings back the text it was entered with.
        QTimer::singleShot(0, this, [this] {
            if (hasFocus())
                return;
            reclaiming_ = true;
            setFocus(Qt::OtherFocusReason);
            selectAll();
        });
    }
}

void TFmtEditWidget::mouseReleaseEvent(QMouseEvent* event)
{
    QLineEdit::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton)
        emit clicked();
}

// ---- the unit label ------------------------------------------------------------------------------

TFmtEditLabelWidget::TFmtEditLabelWidget(zmk::TFmtEditLabel& label, QWidget* parent)
    : QLabel(parent), label_(label)
{
    setCursor(Qt::PointingHandCursor);
    setToolTip(tr("Click to choose the unit"));
    ShowLabel();
}

void TFmtEditLabelWidget::ShowLabel()
{
    setText(qt(label_.Caption()));
}

void TFmtEditLabelWidget::ClickAt(const QPoint& globalPosition)
{
    label_.Click(globalPosition.x(), globalPosition.y());
    ShowLabel();
    emit unitsChanged();
}

void TFmtEditLabelWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        ClickAt(event->globalPosition().toPoint());
        event->accept();
        return;
    }
    QLabel::mousePressEvent(event);
}

} // namespace zmk::gui
