#include "gui/CoilDialogParts.h"

#include "gui/ThemeColours.h"
#include "gui/WindowPlace.h"

#include <QEvent>
#include <QRect>
#include <QToolButton>
#include <QVBoxLayout>

namespace zmk::gui {

TLinkLabel::TLinkLabel(const QString& caption, const QString& tip, QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::RichText);
    SetCaption(caption);
    setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    setFocusPolicy(Qt::TabFocus);
    setToolTip(tip);
    connect(this, &QLabel::linkActivated, this, [this] { emit clicked(); });
}

void TLinkLabel::SetCaption(const QString& caption)
{
    caption_ = QString(caption).replace(QStringLiteral("&&"), QStringLiteral("&"));
    // The link's colour is the theme's, made readable on the label's background.
    setText(QStringLiteral("<a href=\"#\" style=\"color:%2\">%1</a>")
                .arg(caption_.toHtmlEscaped(),
                     ReadableColour(*this, palette().color(QPalette::Link), QPalette::Window)));
}

void TLinkLabel::changeEvent(QEvent* event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        SetCaption(caption_);
}

TSpinArrows::TSpinArrows(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const auto arrow = [this, layout](Qt::ArrowType type, bool up) {
        auto* b = new QToolButton(this);
        b->setArrowType(type);
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setFixedWidth(18);
        b->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
        b->setToolTip(up ? tr("Step up (Up arrow in the field)") : tr("Step down (Down arrow in the field)"));
        connect(b, &QToolButton::clicked, this, [this, up] { emit spun(up); });
        layout->addWidget(b);
        return b;
    };
    up_ = arrow(Qt::UpArrow, true);
    down_ = arrow(Qt::DownArrow, false);
}

void PlaceOnFirstShow(QWidget& dialog, bool& placed,
                      const std::function<bool(TWindowPlace& place, TScreenSize screen)>& restore)
{
    if (placed)
        return;
    placed = true;
    // The defaults: the dialog at its own size, centred over its parent window.
    if (!dialog.testAttribute(Qt::WA_Resized))
        dialog.adjustSize();
    if (const QWidget* parent = dialog.parentWidget() ? dialog.parentWidget()->window() : nullptr) {
        const QRect frame = parent->frameGeometry();
        dialog.move(frame.center() - QPoint(dialog.width() / 2, dialog.height() / 2));
    }
    TWindowPlace place = PlaceOf(dialog);
    const bool withSize = restore(place, ScreenSizeOf(dialog));
    place.WinState = 0;
    ApplyPlace(dialog, place, withSize);
}

} // namespace zmk::gui
