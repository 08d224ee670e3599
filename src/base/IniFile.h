// An INI file held in memory: named sections of key=value lines, in file order. Used for the
// units file, the settings store and the start-up merge of installed data files. Section and
// key names match without regard to letter case, as on the platform the files come from.
// On disk the text is Latin-1 with CR LF line ends; in memory it is UTF-8.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zmk {

class IniFile
{
public:
    /// Reads the file, replacing the content; false (content empty) when it does not exist or
    /// cannot be read.
    bool Load(const std::filesystem::path& file);
    /// Writes the file (through a temporary file renamed over it, so a failed write leaves
    /// the old file whole); false when it cannot be written. Does not create folders.
    bool Save(const std::filesystem::path& file) const;

    /// Replaces the content with the text of an INI file (Latin-1 bytes, any line ends).
    /// Blank lines, comment lines (";" or "#") and lines before the first section or without
    /// "=" are dropped; a repeated key keeps its first value.
    void Parse(std::string_view bytes);
    /// The file's bytes: Latin-1, CR LF, a blank line between sections.
    std::string Bytes() const;
    /// No sections.
    void Clear() { sections_.clear(); }

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
    /// (line breaks, "=" in a key, "]" in a section name, an empty name).
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
    };

    const Section* find(std::string_view section) const;
    Section* find(std::string_view section);

    std::vector<Section> sections_;
};

} // namespace zmk
