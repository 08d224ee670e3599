// The account the program runs as: its home folder and its owner's name.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zmk {

struct TAccount
{
    std::string Home;  ///< the home folder, as the account database gives it
    std::string Gecos; ///< the account's comment: the full name, then comma-separated fields
};

/// The account with this user id in the text of a password file (the /etc/passwd form: one
/// account a line, seven colon-separated fields); nullopt when none has it. Lines the C library
/// cannot read as an account are passed over, as its own lookup does.
std::optional<TAccount> AccountFromPasswdText(std::string_view text, unsigned uid);

/// The account of this process's user; nullopt when there is none. Two definitions exist and
/// each program links one: the system's name services (AccountNss.cpp), or, for a program linked
/// whole with the C library, the local password file alone (AccountFiles.cpp), since the name
/// service modules belong to the shared C library.
std::optional<TAccount> CurrentAccount();

} // namespace zmk
