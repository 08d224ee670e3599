#include "dialogs/DialogForm.h"

namespace zmk {

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
