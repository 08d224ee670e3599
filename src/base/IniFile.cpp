// INI file reading and writing.
#include "base/IniFile.h"
#include "base/TextHelpers.h"

#include "base/Errors.h"
#include "base/Latin1.h"
#include "base/NumText.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>
#include <unistd.h>

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

void CheckWritable(std::string_view section, std::string_view key, std::string_view value)
{
    const auto bad = [&](const std::string& what) { throw ZmkError("IniFile::WriteString", what); };
    if (TrimView(section).empty() || HasLineBreak(section) || section.find(']') != std::string_view::npos)
        bad("Invalid INI section name '" + std::string(section) + "'");
    if (TrimView(key).empty() || HasLineBreak(key) || key.find('=') != std::string_view::npos ||
        key.front() == '[' || key.front() == ';' || key.front() == '#')
        bad("Invalid INI key name '" + std::string(key) + "'");
    if (HasLineBreak(value))
        bad("INI value of '" + std::string(key) + "' holds a line break");
}

} // namespace

const IniFile::Section* IniFile::find(std::string_view section) const
{
    for (const Section& s : sections_)
        if (SameText(s.name, section))
            return &s;
    return nullptr;
}

IniFile::Section* IniFile::find(std::string_view section)
{
    return const_cast<Section*>(std::as_const(*this).find(section));
}

bool IniFile::Load(const std::filesystem::path& file)
{
    Clear();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec))
        return false;
    std::string bytes;
    try {
        std::ifstream in(file, std::ios::binary);
        if (!in)
            return false;
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (in.bad())
            return false;
    } catch (const std::exception&) {
        return false; // a read error inside the stream buffer
    }
    Parse(bytes);
    return true;
}

bool IniFile::Save(const std::filesystem::path& file) const
{
    std::filesystem::path temp = file;
    temp += ".tmp" + std::to_string(::getpid());
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        const std::string bytes = Bytes();
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::error_code ec;
            std::filesystem::remove(temp, ec);
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, file, ec);
    if (ec) {
        std::filesystem::remove(temp, ec);
        return false;
    }
    return true;
}

void IniFile::Parse(std::string_view bytes)
{
    Clear();
    const std::string text = Latin1ToUtf8(bytes);
    std::string_view rest = text;
    Section* current = nullptr;
    while (!rest.empty()) {
        const std::size_t eol = rest.find_first_of("\r\n");
        std::string_view line = TrimView(rest.substr(0, eol));
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
            if (name.empty()) {
                current = nullptr;
                continue;
            }
            current = find(name);
            if (!current) {
                sections_.push_back({std::string(name), {}});
                current = &sections_.back();
            }
            continue;
        }
        const std::size_t eq = line.find('=');
        if (!current || eq == std::string_view::npos)
            continue;
        const std::string_view key = TrimView(line.substr(0, eq));
        if (key.empty())
            continue;
        const bool known = std::any_of(current->entries.begin(), current->entries.end(),
                                       [&](const Entry& e) { return SameText(e.key, key); });
        if (!known)
            current->entries.push_back({std::string(key), std::string(TrimView(line.substr(eq + 1)))});
    }
}

std::string IniFile::Bytes() const
{
    std::string text;
    for (std::size_t i = 0; i < sections_.size(); ++i) {
        if (i > 0)
            text += "\r\n";
        text += '[';
        text += sections_[i].name;
        text += "]\r\n";
        for (const Entry& e : sections_[i].entries) {
            text += e.key;
            text += '=';
            text += e.value;
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
        for (const Entry& e : s->entries)
            if (SameText(e.key, key))
                return e.value;
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
    section = TrimView(section);
    key = TrimView(key);
    Section* s = find(section);
    if (!s) {
        sections_.push_back({std::string(section), {}});
        s = &sections_.back();
    }
    for (Entry& e : s->entries)
        if (SameText(e.key, key)) {
            e.value = TrimView(value);
            return;
        }
    s->entries.push_back({std::string(key), std::string(TrimView(value))});
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
    if (Section* s = find(section))
        std::erase_if(s->entries, [&](const Entry& e) { return SameText(e.key, key); });
}

void IniFile::EraseSection(std::string_view section)
{
    std::erase_if(sections_, [&](const Section& s) { return SameText(s.name, section); });
}

void IniFile::ReplaceSection(std::string_view section,
                             const std::vector<std::pair<std::string, std::string>>& values)
{
    CheckWritable(section, "key", "");
    for (const auto& [key, value] : values)
        CheckWritable(section, key, value);
    section = TrimView(section);
    Section* s = find(section);
    if (!s) {
        sections_.push_back({std::string(section), {}});
        s = &sections_.back();
    }
    s->entries.clear();
    for (const auto& [key, value] : values) {
        const std::string_view k = TrimView(key);
        const bool known = std::any_of(s->entries.begin(), s->entries.end(),
                                       [&](const Entry& e) { return SameText(e.key, k); });
        if (!known)
            s->entries.push_back({std::string(k), std::string(TrimView(value))});
    }
}

} // namespace zmk
