// Where the program finds its installed files. The program folder is the folder of the running
// executable; the common data folder (the coil maker catalogue and the other shared data) is
// "Common Files/" beside the program folder's parent, as in the installed tree
// <root>/Quorvane/ZMK/ and <root>/Quorvane/Common Files/.
#pragma once

#include <string>

namespace zmk {

/// Folder of the running executable, ending with "/".
std::string ProgramFolder();
/// The common data folder, ending with "/": $ZMK_COMMON_DIR when set, else "../Common Files/"
/// from the program folder when that exists, else the build tree's common data folder.
std::string CommonDataFolder();

} // namespace zmk
