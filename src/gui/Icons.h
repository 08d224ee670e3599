// The icons of the tool bar and the window: the desktop theme's where it has them, else
// pictures of our own.
#pragma once

#include "dialogs/MainWindowModel.h"

#include <QIcon>

namespace zmk::gui {

/// The tool bar icon of a command (New, Open, Save, Solve, Print Preview); an empty icon for
/// the others.
QIcon CommandIcon(TMainCommand command);
/// The program's own icon.
QIcon ProgramIcon();

} // namespace zmk::gui
