// A window's remembered place between the settings store's record and the widget: read from a
// widget, applied to one (held on its screen), for the main window and every dialog.
#pragma once

#include "app/StartupSettings.h"
#include "dialogs/DialogForm.h"

class QWidget;

namespace zmk::gui {

/// The size of the screen a widget is on (the primary screen before it is shown), pixels.
TScreenSize ScreenSizeOf(const QWidget& widget);
/// The widget's place: its position, its size (the normal one while maximised), whether it is
/// shown, and its state (0 normal, 1 minimised, 2 maximised).
TWindowPlace PlaceOf(const QWidget& widget);
/// Moves the widget to the place, sizes it when withSize (and the size is known), and maximises
/// it when the place says so. A window closed minimised comes back normal, not hidden away.
void ApplyPlace(QWidget& widget, const TWindowPlace& place, bool withSize);
/// Reads a dialog's stored place and applies it.
void RestorePlace(QWidget& widget, TDialogPlace& place, const ISettingsStore& store);
/// Stores a dialog's place as it is now.
void StorePlace(const QWidget& widget, TDialogPlace& place, ISettingsStore& store);

} // namespace zmk::gui
