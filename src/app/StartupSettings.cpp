#include "app/StartupSettings.h"

#include "app/StartValueFields.h"
#include <algorithm>

namespace zmk {

namespace {

constexpr std::string_view kStartup = "Startup";
constexpr std::string_view kAirOn = "Startup\\airon";
constexpr std::string_view kAirOff = "Startup\\airoff";
constexpr std::string_view kCoil = "Startup\\coil";
constexpr std::string_view kUnits = "units";

// A coordinate held on a screen of the given extent.
int holdOnScreen(int position, int extent)
{
    if (extent <= 0) // no screen known: nothing to hold the window on
        return position;
    if (position < 0)
        return 0;
    if (position > extent - 100)
        return extent - 200;
    return position;
}

// Reads a small code and keeps the default when the stored one is outside its range, since
// the code indexes tables further on.
int readCode(const ISettingsStore& store, std::string_view section, std::string_view name, int fallback,
             int lo, int hi)
{
    const int value = store.ReadInteger(section, name, fallback);
    return (value < lo || value > hi) ? fallback : value;
}

} // namespace

void RestoreWindow(const ISettingsStore& store, std::string_view windowName, TWindowPlace& place,
                   TScreenSize screen, bool withVisible, bool withSize)
{
    place.Left = store.ReadInteger(windowName, "Left", place.Left);
    place.Top = store.ReadInteger(windowName, "Top", place.Top);
    if (withSize) {
        place.Width = store.ReadInteger(windowName, "Width", place.Width);
        place.Height = store.ReadInteger(windowName, "Height", place.Height);
    }
    if (withVisible)
        place.Visible = store.ReadBool(windowName, "Visible", false);
    place.Left = holdOnScreen(place.Left, screen.Width);
    place.Top = holdOnScreen(place.Top, screen.Height);
    place.WinState = readCode(store, windowName, "WinState", place.WinState, 0, 2);
}

void StoreWindow(ISettingsStore& store, std::string_view windowName, const TWindowPlace& place)
{
    store.WriteInteger(windowName, "Left", place.Left);
    store.WriteInteger(windowName, "Top", place.Top);
    store.WriteInteger(windowName, "Width", place.Width);
    store.WriteInteger(windowName, "Height", place.Height);
    store.WriteBool(windowName, "Visible", place.Visible);
    store.WriteInteger(windowName, "WinState", place.WinState);
}

bool RestoresSize(std::string_view windowName)
{
    for (const TRememberedWindow& w : kRememberedWindows)
        if (windowName == w.Name)
            return w.WithSize;
    return false;
}

void LoadStartupSettings(const ISettingsStore& store, TWindowPlace& mainWindow, TScreenSize screen,
                         TStartupSettings& settings)
{
    RestoreWindow(store, kMainWindowName, mainWindow, screen, false, true);

    settings.LastPath = store.ReadString(kStartup, "LastPath", settings.LastPath);
    ReadStartValues(store, settings.Start);

    for (size_t i = 0; i < kUnitFields.size(); ++i)
        settings.UnitIndex[i] = store.ReadInteger(kUnits, kUnitFields[i].Name, settings.UnitIndex[i]);
}

void SaveStartupSettings(ISettingsStore& store, const TWindowPlace& mainWindow,
                         const TStartupSettings& settings)
{
    StoreWindow(store, kMainWindowName, mainWindow);

    store.WriteString(kStartup, "LastPath", settings.LastPath);
    WriteStartValues(store, settings.Start);
    store.WriteFloat(kStartup, "Altitude", settings.Altitude);
    store.WriteFloat(kStartup, "AirMassFlow", settings.AirMassFlow);
    store.WriteFloat(kStartup, "LiquidDT", settings.LiquidDT);
    store.WriteFloat(kStartup, "TubeVelocity", settings.TubeVelocity);

    for (size_t i = 0; i < kUnitFields.size(); ++i)
        store.WriteInteger(kUnits, kUnitFields[i].Name, settings.UnitIndex[i]);
}

TMakerContact ReadMakerContact(const ISettingsStore& softwareStore)
{
    constexpr std::string_view section = "Quorvane";
    auto read = [&](std::string_view name) { return softwareStore.ReadString(section, name, ""); };
    TMakerContact c;
    c.company = read("company");
    c.description = read("description");
    c.logo = read("logo");
    c.addr1 = read("addr1");
    c.addr2 = read("addr2");
    c.code = read("code");
    c.country = read("country");
    c.email = read("email");
    c.web = read("web");
    c.tel = read("tel");
    c.fax = read("fax");
    c.user = read("user");
    return c;
}

} // namespace zmk
