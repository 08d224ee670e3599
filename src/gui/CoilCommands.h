// The coil geometry dialogs in the main window: the "..." button after the geometry line (and
// its command) opens the "Fin & Tube Editor" on the job's coil, which opens the coil maker and
// design settings dialogs. The dialogs are made when first used and live with the window.
#pragma once

#include "base/Paths.h"

#include <filesystem>

namespace zmk {
class ISettingsStore;
class TFatEditor;
} // namespace zmk

namespace zmk::gui {

class TCoilSelectionWindow;
class TFatEditorDialog;
class TMainForm;

/// What the main window holds for the coil dialogs.
class TCoilDialogs;

/// Plugs the coil dialogs into the window. besideProgram is the settings file beside the program
/// (the coil maker dialog's place); without one the dialogs keep their own on ProgramIniFile().
TCoilDialogs& PlugCoilDialogs(TMainForm& window, const TFolders& folders,
                              ISettingsStore* besideProgram = nullptr);

/// The editor logic and its dialog, made at the first call.
TFatEditor& CoilEditor(TCoilDialogs& dialogs);
TFatEditorDialog& CoilEditorDialog(TCoilDialogs& dialogs);
/// The coil selection window (made when first asked for).
TCoilSelectionWindow& CoilSelectionWindow(TCoilDialogs& dialogs);

} // namespace zmk::gui
