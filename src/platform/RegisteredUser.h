// Who uses this computer, as the program's defaults for a new project and a mail's sender see it.
#pragma once

#include <string>

namespace zmk {

/// The computer's registered owner and organisation: the user's full name from the password
/// database and $ORGANIZATION (empty when not set).
struct TRegisteredUser
{
    std::string Owner;
    std::string Organization;
};

/// Reads the registered owner and organisation (once, at program start).
TRegisteredUser ReadRegisteredUser();

} // namespace zmk
