#include "platform/SettingsStore.h"

#include "base/Errors.h"
#include "base/IniFile.h"
#include "base/Paths.h"
#include "base/TextHelpers.h"

#include "base/NumText.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace zmk {

bool ISettingsStore::ValueExists(std::string_view section, std::string_view name) const
{
    return ReadValue(section, name).has_value();
}

bool ISettingsStore::SectionExists(std::string_view section) const
{
    for (const std::string& s : Sections())
        if (SameText(s, section))
            return true;
    return false;
}

std::string ISettingsStore::ReadString(std::string_view section, std::string_view name,
                                       std::string_view fallback) const
{
    if (auto text = ReadValue(section, name))
        return *text;
    return std::string(fallback);
}

int ISettingsStore::ReadInteger(std::string_view section, std::string_view name, int fallback) const
{
    auto text = ReadValue(section, name);
    long long value = 0;
    if (!text || !TryStrToInt(Trim(*text), value))
        return fallback;
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return fallback;
    return static_cast<int>(value);
}

double ISettingsStore::ReadFloat(std::string_view section, std::string_view name, double fallback) const
{
    auto text = ReadValue(section, name);
    if (!text)
        return fallback;
    return ParseFloatSetting(*text).value_or(fallback);
}

bool ISettingsStore::ReadBool(std::string_view section, std::string_view name, bool fallback) const
{
    auto text = ReadValue(section, name);
    if (!text)
        return fallback;
    const std::string word = LowerCase(Trim(*text));
    if (word == "true")
        return true;
    if (word == "false")
        return false;
    long long value = 0;
    if (TryStrToInt(word, value))
        return value != 0;
    return fallback;
}

void ISettingsStore::WriteString(std::string_view section, std::string_view name, std::string_view value)
{
    WriteValue(section, name, value);
}

void ISettingsStore::WriteInteger(std::string_view section, std::string_view name, long long value)
{
    WriteValue(section, name, Format("%d", value));
}

void ISettingsStore::WriteFloat(std::string_view section, std::string_view name, double value)
{
    WriteValue(section, name, FloatSettingText(value));
}

void ISettingsStore::WriteBool(std::string_view section, std::string_view name, bool value)
{
    WriteValue(section, name, value ? "true" : "false");
}

std::string FloatSettingText(double value)
{
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value < 0 ? "-inf" : "inf";
    // to_chars without a precision gives the shortest text that round-trips, and is
    // independent of the locale.
    std::array<char, 64> buffer{};
    auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    if (ec != std::errc())
        return "nan";
    // The exponent written as the INI files write it: "1E-05", "2.5E20".
    std::string text(buffer.data(), end);
    for (char& c : text)
        if (c == 'e')
            c = 'E';
    if (const std::size_t plus = text.find("E+"); plus != std::string::npos)
        text.erase(plus + 1, 1);
    return text;
}

std::optional<double> ParseFloatSetting(std::string_view text)
{
    const std::string trimmed = Trim(text);
    if (trimmed.empty())
        return std::nullopt;
    const char* first = trimmed.data();
    const char* last = first + trimmed.size();
    if (*first == '+')
        ++first;
    double value = 0;
    auto [end, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec != std::errc() || end != last || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<std::string> TMemorySettingsStore::ReadValue(std::string_view section,
                                                           std::string_view name) const
{
    if (const Section* s = find(section))
        if (const auto it = s->index.find(LowerCase(name)); it != s->index.end())
            return s->values[it->second].second;
    return std::nullopt;
}

void TMemorySettingsStore::WriteValue(std::string_view section, std::string_view name, std::string_view text)
{
    const auto [at, newSection] = index_.try_emplace(LowerCase(section), sections_.size());
    if (newSection)
        sections_.push_back(Section{std::string(section), {}, {}});
    Section& s = sections_[at->second];
    const auto [it, newValue] = s.index.try_emplace(LowerCase(name), s.values.size());
    if (newValue)
        s.values.emplace_back(std::string(name), std::string(text));
    else
        s.values[it->second].second = std::string(text);
}

void TMemorySettingsStore::EraseSection(std::string_view section)
{
    const auto it = index_.find(LowerCase(section));
    if (it == index_.end())
        return;
    sections_.erase(sections_.begin() + static_cast<std::ptrdiff_t>(it->second));
    index_.clear();
    for (std::size_t i = 0; i < sections_.size(); ++i)
        index_.emplace(LowerCase(sections_[i].name), i);
}

std::vector<std::string> TMemorySettingsStore::Sections() const
{
    std::vector<std::string> names;
    for (const Section& s : sections_)
        names.push_back(s.name);
    return names;
}

std::vector<std::string> TMemorySettingsStore::ValueNames(std::string_view section) const
{
    std::vector<std::string> names;
    if (const Section* s = find(section))
        for (const auto& value : s->values)
            names.push_back(value.first);
    return names;
}

bool TMemorySettingsStore::SectionExists(std::string_view section) const
{
    return find(section) != nullptr;
}

const TMemorySettingsStore::Section* TMemorySettingsStore::find(std::string_view section) const
{
    const auto it = index_.find(LowerCase(section));
    return it == index_.end() ? nullptr : &sections_[it->second];
}

TIniSettingsStore::TIniSettingsStore(std::filesystem::path file)
    : file_(std::move(file)), ini_(std::make_unique<IniFile>())
{
    if (!ini_->Load(file_) && ini_->LoadStatus() != TFileReadStatus::Missing)
        readProblem_ = ini_->LoadError();
}

TIniSettingsStore::~TIniSettingsStore()
{
    Flush();
}

std::optional<std::string> TIniSettingsStore::ReadValue(std::string_view section, std::string_view name) const
{
    return ini_->Value(section, name);
}

void TIniSettingsStore::WriteValue(std::string_view section, std::string_view name, std::string_view text)
{
    const std::string line = OneLineText(text);
    if (ini_->Value(section, name) == Trim(line))
        return;
    try {
        ini_->WriteString(section, name, line);
        changed_ = true;
    } catch (const ZmkError&) {
        // A section or value name that cannot be a line of the file is not stored, as a
        // value that could not be written to the store.
    }
}

void TIniSettingsStore::EraseSection(std::string_view section)
{
    if (!ini_->SectionExists(section))
        return;
    ini_->EraseSection(section);
    changed_ = true;
}

std::vector<std::string> TIniSettingsStore::Sections() const
{
    return ini_->ReadSections();
}

std::vector<std::string> TIniSettingsStore::ValueNames(std::string_view section) const
{
    return ini_->ReadSection(section);
}

bool TIniSettingsStore::SectionExists(std::string_view section) const
{
    return ini_->SectionExists(section);
}

bool TIniSettingsStore::needsOwnerOnlyMode() const
{
    namespace fs = std::filesystem;
    if (!ownerOnly_)
        return false;
    std::error_code ec;
    const fs::file_status st = fs::status(file_, ec);
    return !ec && fs::is_regular_file(st) &&
           (st.permissions() & fs::perms::mask) != (fs::perms::owner_read | fs::perms::owner_write);
}

bool TIniSettingsStore::Flush()
{
    // What could not be read is not written over: the user's file, whatever it holds, stays.
    if (!readProblem_.empty())
        return true;
    if (!changed_ && !needsOwnerOnlyMode())
        return true;
    std::error_code ec;
    if (file_.has_parent_path())
        std::filesystem::create_directories(file_.parent_path(), ec);
    if (!ini_->Save(file_, nullptr, ownerOnly_ ? TWritePermissions::OwnerOnly : TWritePermissions::Keep))
        return false;
    changed_ = false;
    return true;
}

TSettingsStores::TSettingsStores() : TSettingsStores(ConfigFolder()) {}

TSettingsStores::TSettingsStores(const std::filesystem::path& configFolder, std::string_view programName)
    : program_(configFolder / "Quorvane" / (std::string(programName) + ".ini")),
      common_(configFolder / "Quorvane" / "Common.ini"), software_(configFolder / "Quorvane" / "Software.ini")
{
}

bool TSettingsStores::Flush()
{
    const bool a = program_.Flush();
    const bool b = common_.Flush();
    const bool c = software_.Flush();
    return a && b && c;
}

std::vector<std::string> TSettingsStores::ReadProblems() const
{
    std::vector<std::string> problems;
    for (const TIniSettingsStore* store : {&program_, &common_, &software_})
        if (!store->ReadProblem().empty())
            problems.push_back(store->ReadProblem());
    return problems;
}

std::string UnreadSettingsMessage(const std::vector<std::string>& problems)
{
    if (problems.empty())
        return {};
    std::string text;
    for (const std::string& problem : problems)
        text += problem + ".\n";
    text += problems.size() == 1
                ? "The program runs on its default settings and leaves this file as it is."
                : "The program runs on its default settings and leaves these files as they are.";
    return text;
}

std::filesystem::path ProgramSettingsFile(std::string_view programName)
{
    return ConfigFolder() / "Quorvane" / (std::string(programName) + ".ini");
}

std::filesystem::path CommonSettingsFile()
{
    return ConfigFolder() / "Quorvane" / "Common.ini";
}

std::filesystem::path SoftwareSettingsFile()
{
    return ConfigFolder() / "Quorvane" / "Software.ini";
}

} // namespace zmk
