// The account from the local password file alone, for a program linked whole with the C library:
// it must not load the system's name-service modules, which belong to the shared C library of the
// day. An account only a directory service knows has no home folder or name here (the program
// then takes $HOME, and an empty owner name).
#include "base/Account.h"

#include "base/FileIO.h"

#include <unistd.h>

namespace zmk {

std::optional<TAccount> CurrentAccount()
{
    const TFileRead read = ReadWholeFile("/etc/passwd", kMaxIniFileSize);
    if (!read)
        return std::nullopt;
    return AccountFromPasswdText(read.Bytes, getuid());
}

} // namespace zmk
