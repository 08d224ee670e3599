// Where the program finds its installed files. The program folder is the folder of the running
// executable; the common data folder (the coil maker catalogue and the other shared data) is
// "Common Files/" beside the program folder's parent, as in the installed tree
// <root>/Quorvane/ZMK/ and <root>/Quorvane/Common Files/.
#pragma once

#include <filesystem>
#include <string>

namespace zmk {

/// Folder of the running executable, ending with "/".
std::string ProgramFolder();
/// The common data folder, ending with "/": $ZMK_COMMON_DIR when set, else "../Common Files/"
/// from the program folder when that exists, else the build tree's common data folder.
std::string CommonDataFolder();

// ---- the other folders of the program ------------------------------------------------------
// Every folder name ends with "/". They are computed once at start (TFolders); the functions
// below compute each afresh from the environment.

/// The program's name: "ZMK", the last part of its settings key and of its data folder. The
/// window program and zemtor share it.
inline constexpr const char* kProgramName = "ZMK";

/// The user's home folder: $HOME, else the password database's entry.
std::string HomeFolder();
/// The user's configuration folder, without a final "/": $ZMK_CONFIG_DIR when set (tests), else
/// an absolute $XDG_CONFIG_HOME, else ~/.config.
std::filesystem::path ConfigFolder();
/// The user's data folder, without a final "/": an absolute $XDG_DATA_HOME, else
/// ~/.local/share.
std::filesystem::path DataHomeFolder();
/// The user's runtime folder (local sockets): $XDG_RUNTIME_DIR; empty when not set.
std::string RuntimeFolder();
/// The user's documents folder: $XDG_DOCUMENTS_DIR, else ~/Documents. Throws ZmkError
/// "Could not find My Documents folder location." when there is no home folder to take it from.
std::string DocumentsFolder();
/// The program-files folder: $ZMK_PROGRAM_FILES, else "/opt/".
std::string ProgramFilesFolder();
/// The common-files folder: the program-files folder + "Common Files/".
std::string CommonFilesFolder();
/// The maker folder for a program folder: the program folder up to and including the first
/// "Quorvane" (in any letter case, kept as spelt there) + "/"; without one, the program-files
/// folder + "Quorvane/".
std::string MakerFolderFor(const std::string& programFolder, const std::string& programFilesFolder);
/// The maker folder of the running program.
std::string MakerFolder();
/// The report folder: program folder + "Report/".
std::string ReportFolder();
/// The help folder: program folder + "Help/".
std::string HelpFolder();
/// The program's own INI file: the executable's name with ".ini", in the program folder (the
/// list of installed data files to merge).
std::string ProgramIniFile();

/// The folders as the program computes them once at start.
struct TFolders
{
    std::string ProgramFolder;
    std::string ProgramName;
    std::string DocumentsFolder;
    std::string DataFolder; ///< documents + "Quorvane/ZMK/"; the program folder if it cannot be made
    std::string ProgramFilesFolder;
    std::string CommonFilesFolder;
    std::string MakerFolder;
    std::string CommonDataFolder; ///< the installed shared data (catalogue, locations, help pages)
    std::string ReportFolder;
    std::string HelpFolder;
    std::string ImagesFolder; ///< help folder + "Images/"
};

/// Computes every folder for a program folder, and creates the data folder with any missing
/// parents (falling back on the program folder when that fails). Throws ZmkError "Could not
/// find My Documents folder location." when the documents folder cannot be found.
TFolders ComputeFolders(const std::string& programFolder);
/// ComputeFolders for the running program.
TFolders ComputeFolders();

} // namespace zmk
