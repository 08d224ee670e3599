// The account from the system's name services (local files, directory services...).
#include "base/Account.h"

#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace zmk {

std::optional<TAccount> CurrentAccount()
{
    // The reentrant form: sessions may be opened on several threads at once.
    passwd entry{};
    passwd* pw = nullptr;
    std::vector<char> buffer(16384);
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &pw) != 0 || !pw)
        return std::nullopt;
    return TAccount{pw->pw_dir ? pw->pw_dir : "", pw->pw_gecos ? pw->pw_gecos : ""};
}

} // namespace zmk
