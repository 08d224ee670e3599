// An INI file held in memory: named sections of key=value lines, in file order. Used for the
// units file, the settings store and the start-up merge of installed data files. Section and
// key names match without regard to letter case, as on the platform the files come from.
// On disk the text is Latin-1 with CR LF line ends; in memory it is UTF-8. Sections and keys
// are found through an index, so reading, writing and parsing a file take time in proportion
// to its size however many sections it holds.
#pragma once

#include "base/FileIO.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace zmk {

class IniFile
{
public:
    /// Reads the file, replacing the content; false (content empty) when it does not exist, is
    /// not a regular file, is larger than maxSize or cannot be read (LoadError says why).
    bool Load(const std::filesystem::path& file, std::uintmax_t maxSize = kMaxIniFileSize);
    /// How the last Load ended, and its message when it failed.
    TFileReadStatus LoadStatus() const { return loadStatus_; }
    const std::string& LoadError() const { return loadError_; }
    /// Writes the file atomically (WriteFileAtomically: a failed write leaves the old file
    /// whole, a read-only file is refused); false when it cannot be written, with the reason
    /// in `error` when given. Does not create folders.
    bool Save(const std::filesystem::path& file, std::string* error = nullptr,
              TWritePermissions permissions = TWritePermissions::Keep) const;

    /// Replaces the content with the text of an INI file (Latin-1 bytes, any line ends).
    /// Blank lines, comment lines (";" or "#") and lines before the first section or without
    /// "=" are dropped; a repeated key keeps its first value. Other control characters read as
    /// blanks.
    void Parse(std::string_view bytes);
    /// The file's bytes: Latin-1, CR LF, a blank line between sections. A control character
    /// inside a name or a value is written as a blank, so every entry stays one line.
    std::string Bytes() const;
    /// No sections.
    void Clear();

    /// Section names in file order.
    std::vector<std::string> ReadSections() const;
    /// Key names of a section in file order (empty when there is no such section).
    std::vector<std::string> ReadSection(std::string_view section) const;
    /// Key and value pairs of a section in file order.
    std::vector<std::pair<std::string, std::string>> ReadSectionValues(std::string_view section) const;
    bool SectionExists(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view key) const;

    /// The value, or nothing when the key is missing.
    std::optional<std::string> Value(std::string_view section, std::string_view key) const;
    std::string ReadString(std::string_view section, std::string_view key, std::string_view fallback) const;
    /// An integer value (decimal, or hexadecimal with "$" or "0x"); fallback when missing or
    /// not an integer.
    long long ReadInteger(std::string_view section, std::string_view key, long long fallback) const;
    /// A real value; fallback when missing or not a number.
    double ReadFloat(std::string_view section, std::string_view key, double fallback) const;
    /// "true"/"false" (any case) or an integer (non-zero is true); fallback otherwise.
    bool ReadBool(std::string_view section, std::string_view key, bool fallback) const;

    /// Sets a value, adding the section (at the end) and the key (at the section's end) when
    /// they are new. Throws ZmkError for a name or value that cannot be written as one line
    /// (line breaks, "=" in a key, "]" in a section name, an empty name). Other control
    /// characters are kept as blanks, and blanks around names and values are dropped.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, long long value);
    /// Written so that it reads back to the same double.
    void WriteFloat(std::string_view section, std::string_view key, double value);
    void WriteBool(std::string_view section, std::string_view key, bool value);

    /// Removes one key.
    void DeleteKey(std::string_view section, std::string_view key);
    /// Removes a section with all its keys; writing to it afterwards adds it at the end.
    void EraseSection(std::string_view section);
    /// Erases a section's keys and writes the given key=value pairs into it, in order. The
    /// section keeps its place in the file (a new one goes at the end). Throws ZmkError as
    /// WriteString does, before anything changes.
    void ReplaceSection(std::string_view section,
                        const std::vector<std::pair<std::string, std::string>>& values);

private:
    struct Entry
    {
        std::string key;
        std::string value;
    };
    struct Section
    {
        std::string name;
        std::vector<Entry> entries;
        /// lower-case key -> entry position; built only for a section of many keys
        std::unordered_map<std::string, std::size_t> keys;
    };

    const Section* find(std::string_view section) const;
    Section* find(std::string_view section);
    Section& findOrAdd(std::string_view section);
    static std::size_t keyPosition(const Section& s, std::string_view key);
    static const Entry* findKey(const Section& s, std::string_view key);
    static void setValue(Section& s, std::string_view key, std::string value, bool replace);
    void reindex();

    std::vector<Section> sections_;
    std::unordered_map<std::string, std::size_t> index_; ///< lower-case section -> position
    TFileReadStatus loadStatus_ = TFileReadStatus::Missing;
    std::string loadError_;
};

} // namespace zmk
