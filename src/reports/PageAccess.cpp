#include "reports/PageAccess.h"

#include <algorithm>
#include <cctype>
#include <system_error>

namespace zmk {

namespace fs = std::filesystem;

namespace {

std::string lowerCase(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

// The path with its symbolic links and ".." resolved as far as it exists; the rest lexically.
fs::path resolved(const fs::path& path)
{
    std::error_code ec;
    fs::path out = fs::weakly_canonical(path, ec);
    if (ec)
        out = path.lexically_normal();
    // "Report/" and "Report" name the same folder.
    if (!out.empty() && out.filename().empty())
        out = out.parent_path();
    return out;
}

} // namespace

void TPageFolders::AddPageFile(const fs::path& page)
{
    if (page.is_absolute())
        AddFolder(page.parent_path());
}

void TPageFolders::AddFolder(const fs::path& folder)
{
    if (!folder.is_absolute())
        return;
    const fs::path canonical = resolved(folder);
    if (std::find(folders_.begin(), folders_.end(), canonical) == folders_.end())
        folders_.push_back(canonical);
}

bool TPageFolders::Holds(const fs::path& file) const
{
    if (!file.is_absolute())
        return false;
    const fs::path target = resolved(file);
    for (const fs::path& folder : folders_) {
        const fs::path inside = target.lexically_relative(folder);
        if (inside.empty() || inside == "." || *inside.begin() == "..")
            continue;
        return true;
    }
    return false;
}

TNavigationDecision DecideNavigation(const TPageAddress& address, TNavigationCause cause,
                                     const TPageFolders& own)
{
    if (cause == TNavigationCause::Program)
        return TNavigationDecision::Show;
    const std::string scheme = lowerCase(address.Scheme);
    if (scheme == "file" && own.Holds(address.LocalFile))
        return TNavigationDecision::Show;
    // Only what the desktop opens as a web page or a new mail leaves the view, and only when
    // the user asked for it: a page cannot start other programs through other schemes.
    if (cause == TNavigationCause::LinkClicked &&
        (scheme == "http" || scheme == "https" || scheme == "mailto"))
        return TNavigationDecision::OpenOutside;
    return TNavigationDecision::Refuse;
}

bool MayLoadPageResource(const TPageAddress& address)
{
    const std::string scheme = lowerCase(address.Scheme);
    if (scheme == "data" || scheme == "qrc")
        return true;
    std::error_code ec;
    return scheme == "file" && address.LocalFile.is_absolute() && fs::is_regular_file(address.LocalFile, ec);
}

} // namespace zmk
