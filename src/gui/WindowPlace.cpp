#include "gui/WindowPlace.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace zmk::gui {

TScreenSize ScreenSizeOf(const QWidget& widget)
{
    const QScreen* screen = widget.screen() ? widget.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    const QSize size = screen->geometry().size();
    return {size.width(), size.height()};
}

TWindowPlace PlaceOf(const QWidget& widget)
{
    TWindowPlace place;
    const bool maximised = widget.isMaximized();
    const QRect normal = maximised ? widget.normalGeometry() : QRect(widget.pos(), widget.size());
    place.Left = normal.x();
    place.Top = normal.y();
    place.Width = normal.width();
    place.Height = normal.height();
    place.Visible = widget.isVisible();
    place.WinState = widget.isMinimized() ? 1 : maximised ? 2 : 0;
    return place;
}

void ApplyPlace(QWidget& widget, const TWindowPlace& place, bool withSize)
{
    widget.move(place.Left, place.Top);
    if (withSize && place.Width > 0 && place.Height > 0)
        widget.resize(place.Width, place.Height);
    if (place.WinState == 2)
        widget.setWindowState(widget.windowState() | Qt::WindowMaximized);
}

void RestorePlace(QWidget& widget, TDialogPlace& place, const ISettingsStore& store)
{
    place.Place = PlaceOf(widget);
    place.Restore(store, ScreenSizeOf(widget));
    ApplyPlace(widget, place.Place, place.WithSize());
}

void StorePlace(const QWidget& widget, TDialogPlace& place, ISettingsStore& store)
{
    place.Place = PlaceOf(widget);
    place.Store(store);
}

} // namespace zmk::gui
