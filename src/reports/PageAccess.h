// What the program's page views may show and load. A view shows the program's own pages only:
// the files in the folders of the pages the program itself opened in it (the report folder, the
// help folder). A page may not take the view anywhere else: a link the user clicks to a web
// site or a mail address goes to the desktop's browser or mail program, and anything else a
// page asks for (a frame of a local file, a refresh to another address, a link to a file
// elsewhere) is refused. A page loads its pictures and style sheets from local files only,
// never from the network. With the page's script off (the views do that), a page can neither
// read what it loads nor send anything anywhere. The window's web views ask these rules; they
// live here so that they are tested without a screen, and so that the small PDF printer program
// shares them.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zmk {

/// How a navigation in a page view started.
enum class TNavigationCause {
    Program,     ///< the program loads a page file or a text into the view
    LinkClicked, ///< the user clicked a link in the page
    Page,        ///< the page itself: a frame, a refresh or redirect, a form, history
};

/// What the view does with a navigation.
enum class TNavigationDecision {
    Show,        ///< the view goes there
    OpenOutside, ///< not in the view: the desktop's browser or mail program opens it
    Refuse,      ///< not in the view, and nothing else opens it
};

/// An address as the view sees it, taken apart by the caller's URL parser.
struct TPageAddress
{
    std::string Scheme;              ///< "file", "https", "mailto"... (any case)
    std::filesystem::path LocalFile; ///< for a file address, the local path it names; else empty
};

/// The folders whose files are the view's own pages.
class TPageFolders
{
public:
    /// Adds the folder of a page file the program opened in the view.
    void AddPageFile(const std::filesystem::path& page);
    /// Adds a folder.
    void AddFolder(const std::filesystem::path& folder);
    /// Whether the file lies inside one of the folders (or their subfolders), after symbolic
    /// links and "..": a folder itself is not a page.
    bool Holds(const std::filesystem::path& file) const;
    const std::vector<std::filesystem::path>& Folders() const { return folders_; }

private:
    std::vector<std::filesystem::path> folders_; // canonical
};

/// The view's decision on a navigation to an address.
TNavigationDecision DecideNavigation(const TPageAddress& address, TNavigationCause cause,
                                     const TPageFolders& own);

/// Whether a page may load a resource (a picture, a style sheet, a font) from an address:
/// regular local files (a symbolic link is followed) and inline data only; nothing over the
/// network, and no device, named pipe or folder that could stall or flood the engine.
bool MayLoadPageResource(const TPageAddress& address);

} // namespace zmk
