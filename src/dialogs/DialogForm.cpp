#include "dialogs/DialogForm.h"

#include "base/Errors.h"

#include <cmath>

namespace zmk {

std::optional<double> ReadFieldNumber(const TFmtEdit& field)
{
    try {
        const double v = static_cast<double>(field.GetValue().AsNumber());
        if (std::isfinite(v))
            return v;
    } catch (const EConvertError&) {
    }
    return std::nullopt;
}

TDialogPlace::TDialogPlace(std::string_view windowName)
    : name_(windowName), withSize_(RestoresSize(windowName))
{
}

void TDialogPlace::Restore(const ISettingsStore& store, TScreenSize screen)
{
    RestoreWindow(store, name_, Place, screen, false, withSize_);
}

void TDialogPlace::Store(ISettingsStore& store) const
{
    StoreWindow(store, name_, Place);
}

} // namespace zmk
