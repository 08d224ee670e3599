// Where the window writes its pages. The report folder beside the program holds the pictures
// and style sheets the pages use; an installed program folder is often not the user's to write
// in, and then the pages go to a folder of the user's own that gets copies of those files.
#pragma once

#include <filesystem>

namespace zmk {

/// Copies every file of the installed report folder that a page refers to (pictures, style
/// sheets, the letterhead) into `folder`, replacing older copies; pages written there earlier
/// are left alone. Returns false when the folder cannot be made or a file cannot be copied.
bool CopyReportAssets(const std::filesystem::path& installed, const std::filesystem::path& folder);

/// The folder the pages are written to: the installed report folder when the user can write
/// in it; otherwise `perUser`, made and given copies of the installed files. Empty when neither
/// can be used.
std::filesystem::path ChooseReportFolder(const std::filesystem::path& installed,
                                         const std::filesystem::path& perUser);

} // namespace zmk
