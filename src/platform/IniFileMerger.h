// The start-up merge of newly installed data files into the user's own copies. An install
// or update may bring new versions of INI data files that the user has edited; before any
// window exists, each installed file is merged into the user's copy section by section, and
// the user is asked about every section whose values differ. The files to merge are listed in
// the "Data files" section of the program's own INI file.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zmk {

/// The answers to "Install notice": the four buttons of the question.
enum class TMergeAnswer {
    Keep = 0,       ///< "Keep your data": keep your data and ignore installed data
    Replace = 1,    ///< "Use install data": replace your data with install data
    Later = 2,      ///< "&Decide later": decide all later
    ReplaceAll = 3, ///< "&Accept All": accept all installed data
};

/// One question about a section whose values differ.
struct TMergeQuestion
{
    std::string Title;                     ///< "Install notice: " + the user file's name
    std::string Section;                   ///< the section's name
    std::vector<std::string> UserLines;    ///< "[section]", then the user's key=value lines
    std::vector<std::string> InstallLines; ///< "[section]", then the installed key=value lines
};

/// Asks a question and returns the button pressed; nothing when the question was closed
/// without one, which counts as "&Decide later" (nothing is decided, and the question comes
/// back at the next start).
using TConfirmChange = std::function<std::optional<TMergeAnswer>(const TMergeQuestion&)>;

/// Merges the installed data files into the user's files.
class TIniFileMerger
{
public:
    /// The section of the program's INI file that lists the files.
    static constexpr const char* kDataFilesSection = "Data files";

    /// confirm asks the questions (the GUI shows the "Install notice" dialog; tests answer
    /// directly). Without it every differing section is kept as the user has it.
    explicit TIniFileMerger(TConfirmChange confirm);

    /// Reads the "Data files" section of the program's INI file into the merge entries, then
    /// backs up every user file that exists as the same name with the extension ".bak"
    /// (overwriting an older backup). Each key is a file name; its value holds the user's
    /// folder, the install folder and a third field, separated by commas. A folder given
    /// relative is taken from the program INI file's folder, and a leading "~/" from the home
    /// folder. An entry without an install folder is left out. A missing file gives no entries.
    void ReadList(const std::filesystem::path& programIniFile);
    /// Visits the entries from last to first: equal modification times delete the install
    /// file; different times merge it (MergeFile); an install file alone is copied to the
    /// user's name and deleted; a user file alone, or neither, leaves everything as it is.
    void MergeAll();
    /// Merges one installed file into the user's file: sections the user lacks are added;
    /// differing sections are asked about; the user file is written, and the install file
    /// deleted unless "&Decide later" was answered.
    void MergeFile(const std::filesystem::path& userFile, const std::filesystem::path& installFile);

    /// What could not be done, one message each naming the file and the reason: a list, user
    /// or install file that is there but could not be read (not a regular file, too large), a
    /// user file that could not be written. Such a user file is left as it is.
    const std::vector<std::string>& Problems() const { return problems_; }

    /// The merge entries, in parallel: the user files, the install files, the third fields.
    const std::vector<std::filesystem::path>& UserFiles() const { return userFiles_; }
    const std::vector<std::filesystem::path>& InstallFiles() const { return installFiles_; }
    const std::vector<std::string>& ThirdFields() const { return thirdFields_; }

private:
    void removeEntry(std::size_t index);
    TConfirmChange confirm_;
    std::vector<std::filesystem::path> userFiles_;
    std::vector<std::filesystem::path> installFiles_;
    std::vector<std::string> thirdFields_;
    std::vector<std::string> problems_;
};

/// The start-up merge: a merger reads the list of the program's INI file and merges all.
/// Returns the merger's problems, for the front end to tell once.
std::vector<std::string> MergeInstalledData(const std::filesystem::path& programIniFile,
                                            TConfirmChange confirm);

} // namespace zmk
