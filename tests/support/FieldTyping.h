// Typing into an entry field's logic as the user would: enter it, select all, erase and type
// each character, optionally leaving it afterwards (which commits the text).
#pragma once

#include "dialogs/FmtEdit.h"

#include <string_view>

namespace zmk::test {

/// Enters a field, replaces its text by typing and returns without leaving it.
inline void Type(TFmtEdit& field, std::string_view typed)
{
    field.Enter();
    field.SelectAll();
    field.KeyPress(kKeyBackspace);
    for (char c : typed)
        field.KeyPress(static_cast<unsigned char>(c));
}

/// Enters a field, replaces its text by typing, and leaves it.
inline void TypeAndExit(TFmtEdit& field, std::string_view typed)
{
    Type(field, typed);
    field.Exit();
}

} // namespace zmk::test
