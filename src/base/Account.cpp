#include "base/Account.h"

#include <cstdio>
#include <pwd.h>
#include <vector>

namespace zmk {

std::optional<TAccount> AccountFromPasswdText(std::string_view text, unsigned uid)
{
    if (text.empty())
        return std::nullopt;
    // The C library's own reader of the format, over the text in memory.
    std::string copy(text);
    std::FILE* stream = fmemopen(copy.data(), copy.size(), "r");
    if (!stream)
        return std::nullopt;
    std::optional<TAccount> found;
    passwd entry{};
    passwd* pw = nullptr;
    std::vector<char> buffer(16384);
    while (fgetpwent_r(stream, &entry, buffer.data(), buffer.size(), &pw) == 0 && pw) {
        if (pw->pw_uid == uid) {
            found = TAccount{pw->pw_dir ? pw->pw_dir : "", pw->pw_gecos ? pw->pw_gecos : ""};
            break;
        }
    }
    std::fclose(stream);
    return found;
}

} // namespace zmk
