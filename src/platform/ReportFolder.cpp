#include "platform/ReportFolder.h"

#include "base/FileIO.h"
#include "base/TextHelpers.h"

#include <unistd.h>

#include <system_error>

namespace zmk {

namespace {

bool writable(const std::filesystem::path& folder)
{
    std::error_code ec;
    return std::filesystem::is_directory(folder, ec) && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

} // namespace

bool CopyReportAssets(const std::filesystem::path& installed, const std::filesystem::path& folder)
{
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (!std::filesystem::is_directory(folder, ec))
        return false;
    bool ok = true;
    for (const auto& entry : std::filesystem::directory_iterator(installed, ec)) {
        std::error_code fileError;
        if (!entry.is_regular_file(fileError))
            continue;
        const std::string name = entry.path().filename().string();
        // The pages themselves are written afresh each time.
        if (EndsWithText(name, ".htm") || EndsWithText(name, ".html"))
            continue;
        // A copy already there is replaced only by a newer installed file.
        const std::filesystem::path copy = folder / name;
        std::error_code sourceError;
        const auto copyTime = std::filesystem::last_write_time(copy, fileError);
        const auto sourceTime = std::filesystem::last_write_time(entry.path(), sourceError);
        if (!fileError && !sourceError && copyTime >= sourceTime)
            continue;
        try {
            CopyFileAtomically(entry.path(), copy, kMaxReportAssetSize);
        } catch (const EFileError&) {
            ok = false;
        }
    }
    return ok && !ec;
}

std::filesystem::path ChooseReportFolder(const std::filesystem::path& installed,
                                         const std::filesystem::path& perUser)
{
    if (writable(installed))
        return installed;
    if (CopyReportAssets(installed, perUser) && writable(perUser))
        return perUser;
    return {};
}

} // namespace zmk
