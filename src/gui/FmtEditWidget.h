// The entry field and unit label widgets: a line edit that shows one field's logic object and
// forwards the user's keys and focus to it, and a label that shows a unit and opens the unit
// chooser when clicked. Every rule (the character filter, validation and range, Escape, units)
// is the field logic's; the widgets only show its text and do what it answers (beep, keep the
// focus, leave a key to the window).
#pragma once

#include "dialogs/FmtEdit.h"

#include <QLabel>
#include <QLineEdit>

namespace zmk::gui {

/// A numeric or text entry field bound to a field logic object, which must outlive it.
class TFmtEditWidget : public QLineEdit
{
    Q_OBJECT

public:
    TFmtEditWidget(zmk::TFmtEdit& field, QWidget* parent = nullptr);

    zmk::TFmtEdit& Field() { return field_; }
    /// Shows the field's text again after the program changed it.
    void ShowField();
    /// Read-only mode: the field ignores typing; copy and Escape still work.
    void SetReadOnlyMode(bool readOnly);
    /// Leaves the field as if the focus had moved on: validation, the owner's exit handler and,
    /// for a value that had to be brought into range, the beep and the focus kept here.
    void Commit();
    /// Applies what leaving the field answered (used when a command committed it).
    void ApplyExit(const TExitResult& result);

signals:
    /// The user left the field (after the owner's exit handler ran).
    void exited();
    /// A mouse click on the field (the read-only fluid type opens its dialog).
    void clicked();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void typeText(const QString& text);
    void pushSelection();
    void showFieldKeepingCaret();
    void takeUnfilteredEdit(const QString& text);

    zmk::TFmtEdit& field_;
    bool reclaiming_ = false; // taking the focus back after a clamp: not a new entry
};

/// A unit label: shows the unit of its fields and opens the unit chooser when clicked.
class TFmtEditLabelWidget : public QLabel
{
    Q_OBJECT

public:
    TFmtEditLabelWidget(zmk::TFmtEditLabel& label, QWidget* parent = nullptr);

    zmk::TFmtEditLabel& Label() { return label_; }
    /// Shows the label's caption again.
    void ShowLabel();
    /// A click at a screen position: the chooser opens 5 pixels right of and below it, and the
    /// choice goes to every attached field.
    void ClickAt(const QPoint& globalPosition);

signals:
    /// The user chose a unit: the attached fields show their values in it.
    void unitsChanged();

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    zmk::TFmtEditLabel& label_;
};

} // namespace zmk::gui
