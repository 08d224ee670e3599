// The outside libraries this layer links, for the about box.
#pragma once

#include <string>
#include <vector>

namespace zmk {

struct TLibraryVersion
{
    std::string Name;    ///< "libcurl"
    std::string Version; ///< "8.5.0"
    std::string Licence; ///< "curl"
};

/// The mail transport (libcurl) and the settings cipher (Nettle), with the versions built against.
std::vector<TLibraryVersion> PlatformLibraries();

} // namespace zmk
