// The per-user settings store: named sections of named values (texts, integers, reals and
// booleans) that the program and its dialogs remember between runs. The program's own values
// live in "Quorvane/ZMK.ini", the values shared by the maker's programs in
// "Quorvane/Common.ini" and the maker's contact details in "Quorvane/Software.ini", all under
// the user's configuration folder. Reals are written in their shortest exact decimal form so
// they read back bit for bit; booleans as "true"/"false"; a missing or unreadable value reads
// as the caller's default.
#pragma once

#include "base/Paths.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace zmk {

class IniFile;

/// Sections of named values. Section and value names are compared without regard to letter
/// case, and keep the order in which they were first written.
class ISettingsStore
{
public:
    virtual ~ISettingsStore() = default;

    /// The stored text of a value, or nothing when the section or the value is missing.
    virtual std::optional<std::string> ReadValue(std::string_view section, std::string_view name) const = 0;
    /// Stores a value's text, creating the section and the value as needed.
    virtual void WriteValue(std::string_view section, std::string_view name, std::string_view text) = 0;
    /// Removes a section with all its values; nothing happens when it is missing.
    virtual void EraseSection(std::string_view section) = 0;
    /// Names of the sections, in order.
    virtual std::vector<std::string> Sections() const = 0;
    /// Names of a section's values, in order; empty when the section is missing.
    virtual std::vector<std::string> ValueNames(std::string_view section) const = 0;
    /// Writes pending changes to their medium; false when that failed (the changes stay held).
    virtual bool Flush() { return true; }

    bool ValueExists(std::string_view section, std::string_view name) const;
    /// Whether the section is there; stores with an index answer without listing the sections.
    virtual bool SectionExists(std::string_view section) const;

    /// A text value, or the fallback when missing.
    std::string ReadString(std::string_view section, std::string_view name, std::string_view fallback) const;
    /// An integer value, or the fallback when missing or not an integer of int's range.
    int ReadInteger(std::string_view section, std::string_view name, int fallback) const;
    /// A real value, or the fallback when missing, not a number, or not finite.
    double ReadFloat(std::string_view section, std::string_view name, double fallback) const;
    /// A boolean value ("true"/"false" in any case, or an integer: non-zero is true), or the
    /// fallback when missing or unreadable.
    bool ReadBool(std::string_view section, std::string_view name, bool fallback) const;

    void WriteString(std::string_view section, std::string_view name, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view name, long long value);
    /// Writes the shortest text that reads back as exactly the same double.
    void WriteFloat(std::string_view section, std::string_view name, double value);
    void WriteBool(std::string_view section, std::string_view name, bool value);
};

/// The text WriteFloat stores: the shortest decimal form that reads back as the same double
/// ("0.1", "101.325", "1E-05"); "nan", "inf" or "-inf" for values that are not finite.
std::string FloatSettingText(double value);
/// Reads a real as stored by WriteFloat (or typed by hand: blanks around it are allowed);
/// nothing for texts that are not a finite number.
std::optional<double> ParseFloatSetting(std::string_view text);

/// A store held in memory only: the tests' store, and the model of the file-backed one. Texts
/// are kept as given; sections and values are found through an index, as in IniFile.
class TMemorySettingsStore : public ISettingsStore
{
public:
    std::optional<std::string> ReadValue(std::string_view section, std::string_view name) const override;
    void WriteValue(std::string_view section, std::string_view name, std::string_view text) override;
    void EraseSection(std::string_view section) override;
    std::vector<std::string> Sections() const override;
    std::vector<std::string> ValueNames(std::string_view section) const override;
    bool SectionExists(std::string_view section) const override;

private:
    struct Section
    {
        std::string name;
        std::vector<std::pair<std::string, std::string>> values;
        std::unordered_map<std::string, std::size_t> index; ///< lower-case name -> position
    };
    const Section* find(std::string_view section) const;
    std::vector<Section> sections_;
    std::unordered_map<std::string, std::size_t> index_; ///< lower-case section -> position
};

/// A store kept in an INI file. The file is read when the store is made; changes are held
/// in memory and written (atomically, creating the folders) by Flush and when the store is
/// destroyed. A file that is there but could not be read (not a regular file, larger than
/// kMaxIniFileSize, not readable) is never written over: the store starts empty, so the program
/// runs on its defaults, ReadProblem says why, and its changes are held in memory only. One
/// store object per file: TSettingsStores owns the program's.
class TIniSettingsStore : public ISettingsStore
{
public:
    /// Reads the file when it exists; a missing or unreadable file gives an empty store.
    explicit TIniSettingsStore(std::filesystem::path file);
    ~TIniSettingsStore() override;
    TIniSettingsStore(const TIniSettingsStore&) = delete;
    TIniSettingsStore& operator=(const TIniSettingsStore&) = delete;

    std::optional<std::string> ReadValue(std::string_view section, std::string_view name) const override;
    /// Line breaks and other control characters in the text are stored as blanks, since a value
    /// is one line of the file;
    /// blanks around the text are not kept. A name that cannot be written to an INI file (empty,
    /// or with a line break, "=" or "]") stores nothing.
    void WriteValue(std::string_view section, std::string_view name, std::string_view text) override;
    void EraseSection(std::string_view section) override;
    std::vector<std::string> Sections() const override;
    std::vector<std::string> ValueNames(std::string_view section) const override;
    bool SectionExists(std::string_view section) const override;
    /// Writes the file when something changed since it was read or last written (or when the
    /// file is to be its owner's alone and is not yet). A file that could not be read is left
    /// as it is: nothing is written and the result is true, the user having been told at start.
    bool Flush() override;

    const std::filesystem::path& File() const { return file_; }
    /// Why the file could not be read when the store was made ("Cannot read file "...": it is
    /// a named pipe (FIFO), not a regular file"); empty when it was read or is not there.
    const std::string& ReadProblem() const { return readProblem_; }
    /// Every later write makes the file readable and writable by its owner alone (0600): the
    /// store holds values that others are not to read.
    void SetOwnerOnly() { ownerOnly_ = true; }

private:
    bool needsOwnerOnlyMode() const;

    std::filesystem::path file_;
    std::unique_ptr<IniFile> ini_;
    std::string readProblem_;
    bool changed_ = false;
    bool ownerOnly_ = false;
};

/// The one owner of the program's three stores for the life of the program: its own values,
/// the values shared by the maker's programs, and the maker's contact details.
class TSettingsStores
{
public:
    /// The stores in the user's configuration folder (ConfigFolder()).
    TSettingsStores();
    /// The stores in the "Quorvane" folder under a given configuration folder.
    explicit TSettingsStores(const std::filesystem::path& configFolder, std::string_view programName = "ZMK");

    ISettingsStore& Program() { return program_; }
    ISettingsStore& Common() { return common_; }
    ISettingsStore& Software() { return software_; }
    /// Writes all three; false when any could not be written.
    bool Flush();
    /// The read problems of the three files (see TIniSettingsStore::ReadProblem), in order.
    std::vector<std::string> ReadProblems() const;

private:
    TIniSettingsStore program_;
    TIniSettingsStore common_;
    TIniSettingsStore software_;
};

/// The one message that tells the user about settings files that could not be read: each
/// problem on its line, then that the program runs on its defaults and leaves those files as
/// they are. Empty when there are no problems.
std::string UnreadSettingsMessage(const std::vector<std::string>& problems);

/// The program's own settings file: ConfigFolder()/Quorvane/<programName>.ini.
std::filesystem::path ProgramSettingsFile(std::string_view programName = "ZMK");
/// The settings shared by the maker's programs: ConfigFolder()/Quorvane/Common.ini.
std::filesystem::path CommonSettingsFile();
/// The maker's section under the general software key: ConfigFolder()/Quorvane/Software.ini.
std::filesystem::path SoftwareSettingsFile();

} // namespace zmk
