// INI file reading and writing.
#include "base/IniFile.h"
#include "base/TextHelpers.h"

#include "base/Errors.h"
#include "base/Latin1.h"
#include "base/NumText.h"

#include <charconv>

namespace zmk {

namespace {

std::string_view TrimView(std::string_view s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t'))
        ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t'))
        --e;
    return s.substr(b, e - b);
}

bool HasLineBreak(std::string_view s)
{
    return s.find_first_of("\r\n") != std::string_view::npos;
}

// A name or value as it is kept: control characters as blanks, then blanks around it dropped,
// so that what is kept is what a parse of the written line gives back.
std::string Clean(std::string_view text)
{
    return std::string(TrimView(OneLineText(text)));
}

void CheckWritable(std::string_view section, std::string_view key, std::string_view value)
{
    const auto bad = [&](const std::string& what) { throw ZmkError("IniFile::WriteString", what); };
    const std::string s = Clean(section);
    if (s.empty() || HasLineBreak(section) || s.find(']') != std::string::npos)
        bad("Invalid INI section name '" + std::string(section) + "'");
    const std::string k = Clean(key);
    if (k.empty() || HasLineBreak(key) || k.find('=') != std::string::npos || k.front() == '[' ||
        k.front() == ';' || k.front() == '#')
        bad("Invalid INI key name '" + std::string(key) + "'");
    if (HasLineBreak(value))
        bad("INI value of '" + std::string(key) + "' holds a line break");
}

} // namespace

const IniFile::Section* IniFile::find(std::string_view section) const
{
    const auto it = index_.find(LowerCase(section));
    return it == index_.end() ? nullptr : &sections_[it->second];
}

IniFile::Section* IniFile::find(std::string_view section)
{
    return const_cast<Section*>(std::as_const(*this).find(section));
}

IniFile::Section& IniFile::findOrAdd(std::string_view section)
{
    const auto [it, added] = index_.try_emplace(LowerCase(section), sections_.size());
    if (added)
        sections_.push_back({std::string(section), {}, {}});
    return sections_[it->second];
}

// Most sections room is made for before a parse.
constexpr std::size_t kReservedSections = 1000000;

// A section of a few keys is searched in order; the key index is built once a section grows
// past this, so that the many small sections of a settings file cost no index of their own.
constexpr std::size_t kIndexedKeys = 16;

std::size_t IniFile::keyPosition(const Section& s, std::string_view key)
{
    if (s.keys.empty()) {
        for (std::size_t i = 0; i < s.entries.size(); ++i)
            if (SameText(s.entries[i].key, key))
                return i;
        return s.entries.size();
    }
    const auto it = s.keys.find(LowerCase(key));
    return it == s.keys.end() ? s.entries.size() : it->second;
}

const IniFile::Entry* IniFile::findKey(const Section& s, std::string_view key)
{
    const std::size_t at = keyPosition(s, key);
    return at < s.entries.size() ? &s.entries[at] : nullptr;
}

void IniFile::setValue(Section& s, std::string_view key, std::string value, bool replace)
{
    const std::size_t at = keyPosition(s, key);
    if (at < s.entries.size()) {
        if (replace)
            s.entries[at].value = std::move(value);
        return;
    }
    s.entries.push_back({std::string(key), std::move(value)});
    if (!s.keys.empty())
        s.keys.emplace(LowerCase(key), at);
    else if (s.entries.size() > kIndexedKeys)
        for (std::size_t i = 0; i < s.entries.size(); ++i)
            s.keys.emplace(LowerCase(s.entries[i].key), i);
}

void IniFile::reindex()
{
    index_.clear();
    for (std::size_t i = 0; i < sections_.size(); ++i)
        index_.emplace(LowerCase(sections_[i].name), i);
}

void IniFile::Clear()
{
    sections_.clear();
    index_.clear();
}

bool IniFile::Load(const std::filesystem::path& file, std::uintmax_t maxSize)
{
    Clear();
    TFileRead read = ReadWholeFile(file, maxSize);
    loadStatus_ = read.Status;
    loadError_ = read.Error;
    if (!read)
        return false;
    Parse(read.Bytes);
    return true;
}

bool IniFile::Save(const std::filesystem::path& file, std::string* error, TWritePermissions permissions) const
{
    return TryWriteFileAtomically(file, Bytes(), error, permissions);
}

void IniFile::Parse(std::string_view bytes)
{
    Clear();
    const std::string text = Latin1ToUtf8(bytes);
    // Room for the lines that may open a section (up to a bound), so that a file of many
    // sections is not moved and rehashed as it grows.
    std::size_t opening = 0;
    for (std::size_t i = 0; i < text.size() && opening < kReservedSections; ++i)
        if (text[i] == '[' && (i == 0 || text[i - 1] == '\n' || text[i - 1] == '\r'))
            ++opening;
    sections_.reserve(opening);
    index_.reserve(opening);
    std::string_view rest = text;
    Section* current = nullptr;
    while (!rest.empty()) {
        const std::size_t eol = rest.find_first_of("\r\n");
        // Control characters inside a line read as blanks, as they are written.
        const std::string clean = OneLineText(rest.substr(0, eol));
        std::string_view line = TrimView(clean);
        if (eol == std::string_view::npos)
            rest = {};
        else
            rest.remove_prefix(eol + 1);
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            const std::string_view name =
                TrimView(line.substr(1, close == std::string_view::npos ? line.size() - 1 : close - 1));
            current = name.empty() ? nullptr : &findOrAdd(name);
            continue;
        }
        const std::size_t eq = line.find('=');
        if (!current || eq == std::string_view::npos)
            continue;
        const std::string_view key = TrimView(line.substr(0, eq));
        if (!key.empty())
            setValue(*current, key, std::string(TrimView(line.substr(eq + 1))), false);
    }
}

std::string IniFile::Bytes() const
{
    std::string text;
    for (std::size_t i = 0; i < sections_.size(); ++i) {
        if (i > 0)
            text += "\r\n";
        text += '[';
        text += OneLineText(sections_[i].name);
        text += "]\r\n";
        for (const Entry& e : sections_[i].entries) {
            text += OneLineText(e.key);
            text += '=';
            text += OneLineText(e.value);
            text += "\r\n";
        }
    }
    return Utf8ToLatin1(text);
}

std::vector<std::string> IniFile::ReadSections() const
{
    std::vector<std::string> names;
    for (const Section& s : sections_)
        names.push_back(s.name);
    return names;
}

std::vector<std::string> IniFile::ReadSection(std::string_view section) const
{
    std::vector<std::string> keys;
    if (const Section* s = find(section))
        for (const Entry& e : s->entries)
            keys.push_back(e.key);
    return keys;
}

std::vector<std::pair<std::string, std::string>> IniFile::ReadSectionValues(std::string_view section) const
{
    std::vector<std::pair<std::string, std::string>> values;
    if (const Section* s = find(section))
        for (const Entry& e : s->entries)
            values.emplace_back(e.key, e.value);
    return values;
}

bool IniFile::SectionExists(std::string_view section) const
{
    return find(section) != nullptr;
}

bool IniFile::ValueExists(std::string_view section, std::string_view key) const
{
    return Value(section, key).has_value();
}

std::optional<std::string> IniFile::Value(std::string_view section, std::string_view key) const
{
    if (const Section* s = find(section))
        if (const Entry* e = findKey(*s, key))
            return e->value;
    return std::nullopt;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view fallback) const
{
    std::optional<std::string> v = Value(section, key);
    return v ? *v : std::string(fallback);
}

long long IniFile::ReadInteger(std::string_view section, std::string_view key, long long fallback) const
{
    std::optional<std::string> v = Value(section, key);
    long long n;
    return v && TryStrToInt(*v, n) ? n : fallback;
}

double IniFile::ReadFloat(std::string_view section, std::string_view key, double fallback) const
{
    std::optional<std::string> v = Value(section, key);
    double x;
    return v && TryStrToFloat(*v, x) ? x : fallback;
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool fallback) const
{
    std::optional<std::string> v = Value(section, key);
    if (!v)
        return fallback;
    if (SameText(*v, "true"))
        return true;
    if (SameText(*v, "false"))
        return false;
    long long n;
    return TryStrToInt(*v, n) ? n != 0 : fallback;
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    CheckWritable(section, key, value);
    setValue(findOrAdd(Clean(section)), Clean(key), Clean(value), true);
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, long long value)
{
    WriteString(section, key, std::to_string(value));
}

void IniFile::WriteFloat(std::string_view section, std::string_view key, double value)
{
    // Shortest text that reads back to the same double, with the exponent as "E-5" / "E20".
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    std::string text(buf, r.ptr);
    for (char& c : text)
        if (c == 'e')
            c = 'E';
    if (const std::size_t plus = text.find("E+"); plus != std::string::npos)
        text.erase(plus + 1, 1);
    WriteString(section, key, text);
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value)
{
    WriteString(section, key, value ? "true" : "false");
}

void IniFile::DeleteKey(std::string_view section, std::string_view key)
{
    Section* s = find(section);
    if (!s)
        return;
    const std::size_t at = keyPosition(*s, key);
    if (at == s->entries.size())
        return;
    s->entries.erase(s->entries.begin() + static_cast<std::ptrdiff_t>(at));
    if (s->keys.empty())
        return;
    s->keys.erase(LowerCase(key));
    for (auto& [name, position] : s->keys)
        if (position > at)
            --position;
}

void IniFile::EraseSection(std::string_view section)
{
    const auto it = index_.find(LowerCase(section));
    if (it == index_.end())
        return;
    sections_.erase(sections_.begin() + static_cast<std::ptrdiff_t>(it->second));
    reindex();
}

void IniFile::ReplaceSection(std::string_view section,
                             const std::vector<std::pair<std::string, std::string>>& values)
{
    CheckWritable(section, "key", "");
    for (const auto& [key, value] : values)
        CheckWritable(section, key, value);
    Section& s = findOrAdd(Clean(section));
    s.entries.clear();
    s.keys.clear();
    for (const auto& [key, value] : values)
        setValue(s, Clean(key), Clean(value), false);
}

} // namespace zmk
