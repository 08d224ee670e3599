#include "platform/RegisteredUser.h"

#include "base/NumText.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace zmk {

TRegisteredUser ReadRegisteredUser()
{
    TRegisteredUser user;
    // The reentrant form: a batch opens its files' sessions on several threads at once.
    passwd entry{};
    passwd* pw = nullptr;
    std::vector<char> buffer(16384);
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &pw) == 0 && pw && pw->pw_gecos) {
        // The full name is the first comma-separated field of the account's comment.
        std::string gecos = pw->pw_gecos;
        user.Owner = Trim(gecos.substr(0, gecos.find(',')));
    }
    if (const char* organization = std::getenv("ORGANIZATION"))
        user.Organization = organization;
    return user;
}

} // namespace zmk
