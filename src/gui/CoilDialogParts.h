// Small pieces the coil geometry dialogs share: a link label that runs a command (by mouse or,
// after Tab, by Enter), a pair of spin arrows, and the first placing of a dialog from its
// remembered place.
#pragma once

#include "app/StartupSettings.h"

#include <QLabel>
#include <QString>
#include <QWidget>

#include <functional>
#include <string>

class QToolButton;

namespace zmk::gui {

/// A UTF-8 text as a QString.
inline QString QtText(const std::string& s)
{
    return QString::fromStdString(s);
}

/// A label shown as a link; activating it (a click, or Enter once Tab has reached it) emits
/// clicked.
class TLinkLabel : public QLabel
{
    Q_OBJECT

public:
    /// caption is plain text ("&&" stands for one "&"); tip is the tool tip.
    TLinkLabel(const QString& caption, const QString& tip, QWidget* parent = nullptr);
    /// The caption as the user reads it.
    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    /// Runs the link as a click does.
    void Click() { emit clicked(); }

signals:
    void clicked();

protected:
    /// A new palette (a theme change) recolours the link.
    void changeEvent(QEvent* event) override;

private:
    QString caption_;
};

/// Up and down arrows beside a field; they take no focus, and repeat while held.
class TSpinArrows : public QWidget
{
    Q_OBJECT

public:
    explicit TSpinArrows(QWidget* parent = nullptr);
    QToolButton* Up() const { return up_; }
    QToolButton* Down() const { return down_; }

signals:
    /// An arrow was pressed: up or down.
    void spun(bool up);

private:
    QToolButton* up_ = nullptr;
    QToolButton* down_ = nullptr;
};

/// Applies a dialog's remembered place the first time it is shown: restore reads the place over
/// the one it is given (the place Qt chose, as the defaults) and says whether the size counts.
void PlaceOnFirstShow(QWidget& dialog, bool& placed,
                      const std::function<bool(TWindowPlace& place, TScreenSize screen)>& restore);

} // namespace zmk::gui
