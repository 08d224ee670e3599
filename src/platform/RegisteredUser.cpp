#include "platform/RegisteredUser.h"

#include "base/Account.h"
#include "base/NumText.h"

#include <cstdlib>

namespace zmk {

TRegisteredUser ReadRegisteredUser()
{
    TRegisteredUser user;
    if (const std::optional<TAccount> account = CurrentAccount()) {
        // The full name is the first comma-separated field of the account's comment.
        user.Owner = Trim(account->Gecos.substr(0, account->Gecos.find(',')));
    }
    if (const char* organization = std::getenv("ORGANIZATION"))
        user.Organization = organization;
    return user;
}

} // namespace zmk
