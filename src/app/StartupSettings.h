// What the program remembers between runs: the main window's start values and field units,
// the places of the windows, and the maker's contact details. Each is a plain record that the
// job and the windows fill and read; the functions here move the records to and from the
// settings store under the section and value names the store has always used.
#pragma once

#include "engine/CoilFactory.h"
#include "platform/SettingsStore.h"

#include <array>
#include <string>
#include <string_view>

namespace zmk {

// ---- window places -------------------------------------------------------------------------

/// A window's position, size and state as the settings store keeps it (screen pixels).
struct TWindowPlace
{
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    bool Visible = false;
    int WinState = 0; ///< 0 normal, 1 minimised, 2 maximised
};

/// The size of the screen a window is held on, pixels.
struct TScreenSize
{
    int Width = 0;
    int Height = 0;
};

/// Reads a window's place from the section named after it, with the place as it stands as
/// the defaults: position always, size with withSize, visibility with withVisible (default
/// false). The position is then held on the screen: a coordinate below 0 becomes 0, one
/// beyond the screen size - 100 becomes the screen size - 200 (not done for a screen size of 0,
/// which stands for a screen not known).
void RestoreWindow(const ISettingsStore& store, std::string_view windowName, TWindowPlace& place,
                   TScreenSize screen, bool withVisible, bool withSize);
/// Writes Left, Top, Width, Height, Visible and WinState under the window's name.
void StoreWindow(ISettingsStore& store, std::string_view windowName, const TWindowPlace& place);

/// A window that remembers its place, and whether it restores its size as well.
struct TRememberedWindow
{
    const char* Name;
    bool WithSize;
};

/// Every window that remembers its place, by section name.
inline constexpr std::array<TRememberedWindow, 13> kRememberedWindows{{
    {"MainForm", true},
    {"PropertiesForm", false},
    {"CoilSettingsForm", false},
    {"FatForm", true},
    {"SelectLocationForm", false},
    {"AltBaromForm", false},
    {"FluidSpecForm", true},
    {"AirflowForm", true},
    {"FluidflowForm", true},
    {"UnitForm", true},
    {"DataChart", true},
    {"ReportForm", true},
    {"EmailForm", true},
}};

/// Whether the named window restores its size as well as its position (false for a name
/// that is not in the list).
bool RestoresSize(std::string_view windowName);

// ---- start values ----------------------------------------------------------------------------

/// The job's start values as the settings store keeps them (engine/CoilFactory's record): the
/// job copies its record in before LoadStartupSettings (as the defaults) and back out afterwards,
/// and copies its captured start values in before SaveStartupSettings.
using TStoredStartValues = TCoilStartValues;

/// The main window's fields whose display unit is remembered, in the order of the "units"
/// section: the stored value name and the field it belongs to.
struct TUnitField
{
    const char* Name;
    const char* Field;
};

inline constexpr std::array<TUnitField, 12> kUnitFields{{
    {"FinHeight", "edFinHeight"},
    {"FinnedLength", "edFinnedLength"},
    {"FinDensity", "edFinDensity"},
    {"Altitude", "edAltitude"},
    {"OnCoilDB", "edOnCoil"},
    {"OnCoilWa", "edHumidityOn"},
    {"AirMassflow", "edAirMassflow"},
    {"FaceVelocity", "edFaceVelocity"},
    {"FluidInTemp", "edFluidInTemp"},
    {"FluidDT", "edFluidDT"},
    {"FluidFlow", "edFluidFlow"},
    {"TubeVelocity", "edTubeVelocity"},
}};

/// Everything LoadStartupSettings reads and SaveStartupSettings writes besides the main
/// window's place.
struct TStartupSettings
{
    std::string LastPath;     ///< starting folder of the open and save dialogs
    TStoredStartValues Start; ///< the job's start values
    // Written at exit for other programs and for the user; never read back.
    double Altitude = 0;     ///< altitude shown in the window, m
    double AirMassFlow = 0;  ///< air mass flow, kg/s
    double LiquidDT = 0;     ///< liquid design temperature rise, K
    double TubeVelocity = 0; ///< liquid velocity in the tubes, m/s
    /// Display unit index of each field of kUnitFields, in that order.
    std::array<int, kUnitFields.size()> UnitIndex{};
};

/// The name of the main window's section.
inline constexpr std::string_view kMainWindowName = "MainForm";

/// Restores the main window's place (position and size), then reads every stored start
/// value, the last path and the twelve unit indexes over what `settings` holds, which serve
/// as the defaults. A value that is missing or unreadable keeps its default; so does a
/// liquid kind outside 0..13 or a liquid control other than 0 or 1. The write-only values
/// are not touched.
void LoadStartupSettings(const ISettingsStore& store, TWindowPlace& mainWindow, TScreenSize screen,
                         TStartupSettings& settings);
/// Stores the main window's place, the last path, the start values with the write-only
/// values, and the twelve unit indexes.
void SaveStartupSettings(ISettingsStore& store, const TWindowPlace& mainWindow,
                         const TStartupSettings& settings);

// ---- the maker's contact details ---------------------------------------------------------------

/// The maker's contact details, section "Quorvane" of the general software store; read once
/// at start. Only Email is used (the e-mail form's address).
struct TMakerContact
{
    std::string company, description, logo, addr1, addr2, code, country, email, web, tel, fax, user;
};

/// Reads the contact details; every missing value is empty.
TMakerContact ReadMakerContact(const ISettingsStore& softwareStore);

} // namespace zmk
