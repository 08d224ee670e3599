#include "platform/Libraries.h"

#include "base/NumText.h"

#include <curl/curlver.h>
#include <nettle/version.h>

namespace zmk {

std::vector<TLibraryVersion> PlatformLibraries()
{
    return {
        {"libcurl", LIBCURL_VERSION, "curl"},
        {"Nettle", Format("%d.%d", NETTLE_VERSION_MAJOR, NETTLE_VERSION_MINOR),
         "LGPL-3.0-or-later or GPL-2.0-or-later"},
    };
}

} // namespace zmk
