// The program folder and the common data folder.
#include "base/Paths.h"

#include "base/Account.h"
#include "base/Errors.h"
#include "base/TextHelpers.h"

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
    // The running program's file stays where it is while it runs: looked up once.
    static const std::string folder = [] {
        std::error_code ec;
        const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
        return ec || exe.empty() ? std::string() : withSlash(exe.parent_path().string());
    }();
    if (!folder.empty())
        return folder;
    std::error_code ec;
    return withSlash(std::filesystem::current_path(ec).string());
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

namespace {

const char* const kNoDocuments = "Could not find My Documents folder location.";

std::string envText(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

} // namespace

std::string HomeFolder()
{
    if (std::string home = envText("HOME"); !home.empty())
        return withSlash(home);
    if (const std::optional<TAccount> account = CurrentAccount(); account && !account->Home.empty())
        return withSlash(account->Home);
    return std::string();
}

namespace {

std::filesystem::path homeOrTemp()
{
    const std::string home = HomeFolder();
    return std::filesystem::path(home.empty() ? std::string("/tmp/") : home);
}

} // namespace

std::filesystem::path ConfigFolder()
{
    if (std::string folder = envText("ZMK_CONFIG_DIR"); !folder.empty())
        return folder;
    if (std::filesystem::path folder = envText("XDG_CONFIG_HOME"); folder.is_absolute())
        return folder;
    return homeOrTemp() / ".config";
}

std::filesystem::path DataHomeFolder()
{
    if (std::filesystem::path folder = envText("XDG_DATA_HOME"); folder.is_absolute())
        return folder;
    return homeOrTemp() / ".local" / "share";
}

std::string RuntimeFolder()
{
    return envText("XDG_RUNTIME_DIR");
}

std::string DocumentsFolder()
{
    if (std::string documents = envText("XDG_DOCUMENTS_DIR"); !documents.empty())
        return withSlash(documents);
    const std::string home = HomeFolder();
    if (home.empty())
        throw ZmkError("DocumentsFolder", kNoDocuments);
    return home + "Documents/";
}

std::string ProgramFilesFolder()
{
    if (std::string folder = envText("ZMK_PROGRAM_FILES"); !folder.empty())
        return withSlash(folder);
    return "/opt/";
}

std::string CommonFilesFolder()
{
    return ProgramFilesFolder() + "Common Files/";
}

std::string MakerFolderFor(const std::string& programFolder, const std::string& programFilesFolder)
{
    static const std::string maker = "QUORVANE";
    const std::size_t at = UpperCase(programFolder).find(maker);
    // The folder is taken as it is spelt, since file names here are case-sensitive.
    if (at != std::string::npos)
        return programFolder.substr(0, at + maker.size()) + "/";
    return withSlash(programFilesFolder) + "Quorvane/";
}

std::string MakerFolder()
{
    return MakerFolderFor(ProgramFolder(), ProgramFilesFolder());
}

std::string ReportFolder()
{
    return ProgramFolder() + "Report/";
}

std::string HelpFolder()
{
    return ProgramFolder() + "Help/";
}

std::string ProgramIniFile()
{
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    const std::string name = (ec || exe.empty()) ? std::string(kProgramName) : exe.stem().string();
    return ProgramFolder() + name + ".ini";
}

TFolders ComputeFolders(const std::string& programFolder)
{
    TFolders f;
    f.ProgramFolder = withSlash(programFolder);
    f.ProgramName = kProgramName;
    f.DocumentsFolder = DocumentsFolder();
    f.DataFolder = f.DocumentsFolder + "Quorvane/" + f.ProgramName + "/";
    std::error_code ec;
    std::filesystem::create_directories(f.DataFolder, ec);
    if (!std::filesystem::is_directory(f.DataFolder, ec))
        f.DataFolder = f.ProgramFolder;
    f.ProgramFilesFolder = ProgramFilesFolder();
    f.CommonFilesFolder = f.ProgramFilesFolder + "Common Files/";
    f.MakerFolder = MakerFolderFor(f.ProgramFolder, f.ProgramFilesFolder);
    f.CommonDataFolder = CommonDataFolder();
    f.ReportFolder = f.ProgramFolder + "Report/";
    f.HelpFolder = f.ProgramFolder + "Help/";
    f.ImagesFolder = f.HelpFolder + "Images/";
    return f;
}

TFolders ComputeFolders()
{
    return ComputeFolders(ProgramFolder());
}

} // namespace zmk
