#include "platform/IniFileMerger.h"

#include "base/Paths.h"

#include "base/IniFile.h"
#include "base/NumText.h"
#include "base/TextHelpers.h"

#include <chrono>
#include <cstdlib>
#include <system_error>

namespace zmk {

namespace fs = std::filesystem;

namespace {

// Lower case of a UTF-8 text for comparisons: ASCII and the Latin-1 letters.
std::string foldCase(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 'A' && c <= 'Z') {
            out += char(c - 'A' + 'a');
        } else if (c == 0xC3 && i + 1 < text.size()) {
            // U+00C0..U+00DE (but U+00D7, the multiplication sign) are 0xC3 0x80..0x9E.
            unsigned char next = static_cast<unsigned char>(text[++i]);
            if (next >= 0x80 && next <= 0x9E && next != 0x97)
                next = static_cast<unsigned char>(next + 0x20);
            out += char(c);
            out += char(next);
        } else {
            out += char(c);
        }
    }
    return out;
}

bool sameText(std::string_view a, std::string_view b)
{
    return foldCase(a) == foldCase(b);
}

// The comma-separated fields of a value, each trimmed.
std::vector<std::string> fields(std::string_view text)
{
    std::vector<std::string> out = SplitText(text, ',');
    for (std::string& field : out)
        field = Trim(field);
    return out;
}

fs::path folderFrom(const std::string& text, const fs::path& base)
{
    if (text == "~" || text.starts_with("~/")) {
        return (fs::path(HomeFolder()) / text.substr(text.size() > 1 ? 2 : 1)).lexically_normal();
    }
    const fs::path folder(text);
    return (folder.is_absolute() ? folder : base / folder).lexically_normal();
}

bool isFile(const fs::path& file)
{
    std::error_code ec;
    return fs::is_regular_file(file, ec);
}

// Modification times compared to the second, so that copies kept by tools of a coarser
// resolution still count as the same file.
bool sameModificationTime(const fs::path& a, const fs::path& b)
{
    std::error_code ea, eb;
    const auto ta = fs::last_write_time(a, ea);
    const auto tb = fs::last_write_time(b, eb);
    if (ea || eb)
        return false;
    return std::chrono::floor<std::chrono::seconds>(ta) == std::chrono::floor<std::chrono::seconds>(tb);
}

std::vector<std::string> sectionLines(const IniFile& ini, const std::string& section)
{
    std::vector<std::string> lines{"[" + section + "]"};
    for (const auto& [key, value] : ini.ReadSectionValues(section))
        lines.push_back(key + "=" + value);
    return lines;
}

// The first installed key that the user's section lacks, or whose value differs (letter
// case aside), makes the section differ; keys only the user has do not count.
bool sectionDiffers(const IniFile& user, const IniFile& install, const std::string& section)
{
    for (const auto& [key, value] : install.ReadSectionValues(section)) {
        const std::optional<std::string> mine = user.Value(section, key);
        if (!mine || !sameText(*mine, value))
            return true;
    }
    return false;
}

} // namespace

TIniFileMerger::TIniFileMerger(TConfirmChange confirm) : confirm_(std::move(confirm)) {}

void TIniFileMerger::ReadList(const fs::path& programIniFile)
{
    IniFile ini;
    if (!ini.Load(programIniFile)) {
        if (ini.LoadStatus() != TFileReadStatus::Missing)
            problems_.push_back(ini.LoadError());
        return;
    }
    std::error_code ec;
    const fs::path base = fs::absolute(programIniFile, ec).parent_path();
    for (const auto& [name, value] : ini.ReadSectionValues(kDataFilesSection)) {
        const std::vector<std::string> parts = fields(value);
        if (parts.size() < 2 || parts[0].empty() || parts[1].empty())
            continue;
        userFiles_.push_back(folderFrom(parts[0], base) / name);
        installFiles_.push_back(folderFrom(parts[1], base) / name);
        thirdFields_.push_back(parts.size() > 2 ? parts[2] : std::string());
    }
    for (const fs::path& user : userFiles_) {
        if (!isFile(user))
            continue;
        fs::path backup = user;
        backup.replace_extension(".bak");
        // A backup that cannot be made does not stop the merge: the user's file is only ever
        // replaced whole, by an atomic write.
        try {
            CopyFileAtomically(user, backup, kMaxIniFileSize);
        } catch (const EFileError&) {
        }
    }
}

void TIniFileMerger::removeEntry(std::size_t index)
{
    userFiles_.erase(userFiles_.begin() + static_cast<std::ptrdiff_t>(index));
    installFiles_.erase(installFiles_.begin() + static_cast<std::ptrdiff_t>(index));
    thirdFields_.erase(thirdFields_.begin() + static_cast<std::ptrdiff_t>(index));
}

void TIniFileMerger::MergeAll()
{
    for (std::size_t i = userFiles_.size(); i-- > 0;) {
        const fs::path user = userFiles_[i];
        const fs::path install = installFiles_[i];
        const bool haveUser = isFile(user);
        const bool haveInstall = isFile(install);
        std::error_code ec;
        if (haveUser && haveInstall) {
            // A list naming the same file twice must not delete the user's only copy.
            if (fs::equivalent(user, install, ec))
                continue;
            if (sameModificationTime(user, install)) {
                fs::remove(install, ec);
                removeEntry(i);
            } else {
                MergeFile(user, install);
            }
        } else if (haveUser) {
            removeEntry(i);
        } else if (haveInstall) {
            // The installed file is only given up once the user's copy is in place.
            if (user.has_parent_path())
                fs::create_directories(user.parent_path(), ec);
            bool copied = true;
            try {
                CopyFileAtomically(install, user, kMaxIniFileSize);
            } catch (const EFileError& e) {
                copied = false;
                problems_.push_back(e.what());
            }
            if (copied) {
                // A copy keeps the installed file's time, so the same install met again
                // counts as already merged.
                const auto time = fs::last_write_time(install, ec);
                if (!ec)
                    fs::last_write_time(user, time, ec);
                fs::remove(install, ec);
            }
            removeEntry(i);
        }
    }
}

void TIniFileMerger::MergeFile(const fs::path& userFile, const fs::path& installFile)
{
    IniFile user;
    IniFile install;
    // A file that is there but cannot be read (too large, not a regular file) is left alone:
    // merging into an empty copy would replace the user's file with the installed one.
    if (!user.Load(userFile) && user.LoadStatus() != TFileReadStatus::Missing) {
        problems_.push_back(user.LoadError());
        return;
    }
    if (!install.Load(installFile)) {
        if (install.LoadStatus() != TFileReadStatus::Missing)
            problems_.push_back(install.LoadError());
        return;
    }

    bool later = false;
    bool replaceAll = false;
    auto replace = [&](const std::string& section) {
        user.ReplaceSection(section, install.ReadSectionValues(section));
    };

    for (const std::string& section : install.ReadSections()) {
        if (later)
            break;
        if (!user.SectionExists(section)) {
            for (const auto& [key, value] : install.ReadSectionValues(section))
                user.WriteString(section, key, value);
            continue;
        }
        if (!sectionDiffers(user, install, section))
            continue;
        if (replaceAll) {
            replace(section);
            continue;
        }
        TMergeQuestion question;
        question.Title = "Install notice: " + userFile.filename().string();
        question.Section = section;
        question.UserLines = sectionLines(user, section);
        question.InstallLines = sectionLines(install, section);
        const TMergeAnswer answer =
            confirm_ ? confirm_(question).value_or(TMergeAnswer::Later) : TMergeAnswer::Keep;
        switch (answer) {
        case TMergeAnswer::Replace:
            replace(section);
            break;
        case TMergeAnswer::Later:
            later = true;
            break;
        case TMergeAnswer::ReplaceAll:
            replace(section);
            replaceAll = true;
            break;
        case TMergeAnswer::Keep:
            break;
        }
    }

    // The installed file goes only when the merged result is safely on disk.
    std::string error;
    const bool written = user.Save(userFile, &error);
    if (!written)
        problems_.push_back(error);
    if (written && !later) {
        std::error_code ec;
        fs::remove(installFile, ec);
    }
}

std::vector<std::string> MergeInstalledData(const fs::path& programIniFile, TConfirmChange confirm)
{
    TIniFileMerger merger(std::move(confirm));
    merger.ReadList(programIniFile);
    merger.MergeAll();
    return merger.Problems();
}

} // namespace zmk
