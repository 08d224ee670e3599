// The program folder and the common data folder.
#include "app/Paths.h"

#include <cstdlib>
#include <filesystem>

namespace zmk {

namespace {

std::string withSlash(std::string folder)
{
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

} // namespace

std::string ProgramFolder()
{
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec || exe.empty())
        return withSlash(std::filesystem::current_path(ec).string());
    return withSlash(exe.parent_path().string());
}

std::string CommonDataFolder()
{
    if (const char* dir = std::getenv("ZMK_COMMON_DIR"); dir && *dir)
        return withSlash(dir);
    std::error_code ec;
    const std::filesystem::path beside =
        (std::filesystem::path(ProgramFolder()) / ".." / "Common Files").lexically_normal();
    if (std::filesystem::is_directory(beside, ec))
        return withSlash(beside.string());
        // Programs run from elsewhere in the build tree (the tests) use the build tree's data.
#ifdef ZMK_BUILD_COMMON_DIR
    return withSlash(ZMK_BUILD_COMMON_DIR);
#else
    return withSlash(beside.string());
#endif
}

} // namespace zmk
