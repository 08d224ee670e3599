// The keyboard mnemonics of a menu: every item gets a letter of its own ("&New project"), so that
// Alt and the menu's letter, then the item's letter, run any command.
#pragma once

#include <string>
#include <vector>

namespace zmk {

/// The captions with an "&" before a letter that no other caption of the list has taken. A
/// caption that has one already ("&Save"; "&&" is a literal "&") keeps it. Otherwise the first
/// letter of a word is preferred, then any letter; a caption with no free letter stays as it is.
std::vector<std::string> WithMnemonics(const std::vector<std::string>& captions);

} // namespace zmk
