// The main window's fluid, flow, altitude and properties dialogs, plugged into their commands:
// the "..." buttons beside the fluid type, the altitude, the air flow and the fluid flow, a
// click on the fluid type, and File > Properties.
#pragma once

#include "base/Paths.h"
#include "platform/SettingsStore.h"

namespace zmk::gui {

class TMainForm;

/// Plugs the dialogs into the window's commands. Each dialog is made at its first use, owned
/// by the window and kept until it closes. `common` is the program's one store of the settings
/// shared by the maker's programs (the barometer's); it must outlive the window's model.
void PlugFluidDialogs(TMainForm& window, const TFolders& folders, ISettingsStore& common);

} // namespace zmk::gui
