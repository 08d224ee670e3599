// The current project file name and what goes with it: the list of recently used project
// files behind the File menu's "Re-open" sub-menu, the file name shown in the status bar
// (shortened to the room there is), and the project named on the command line.
#pragma once

#include "platform/SettingsStore.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zmk {

/// One entry of the "Re-open" sub-menu.
struct TRecentItem
{
    std::string Caption; ///< the file name, as the platform compares file names
    bool Visible = true; ///< the sixth entry is held as an invisible reserve
};

/// The recently used project files, most recent first: at most six, of which five show and
/// the sixth is held in reserve, so that removing one brings the next back into view. The
/// list is the model of the menu; the window rebuilds its menu from Items() whenever
/// OnChanged fires.
class TRecentFiles
{
public:
    /// Called with an item's file name when the item is clicked.
    using ClickHandler = std::function<void(const std::string& fileName)>;

    static constexpr std::size_t kVisibleCount = 5;
    static constexpr std::size_t kHeldCount = 6;
    static constexpr std::string_view kSection = "MRU";

    /// foldCase: compare and show names in lower case, for a platform whose file names
    /// ignore letter case. File names on this platform keep their case, so the default
    /// keeps them as they are.
    explicit TRecentFiles(bool foldCase = false);

    /// Remembers the click handler and reads the stored list ("5" down to "0", each through
    /// Add), so that the stored first entry ends on top.
    void Init(const ISettingsStore& store, ClickHandler onClick);
    /// Puts a file on top (moving it there if it is listed); an empty name is ignored.
    void Add(std::string_view name);
    /// Takes a file out of the list, if it is there.
    void Remove(std::string_view name);
    /// Adds the current file, then writes every entry, the reserve included, as "0", "1"...
    void Store(ISettingsStore& store, std::string_view current);
    /// Runs the click handler for the item at an index; nothing for an index out of range.
    void Click(std::size_t index) const;

    const std::vector<TRecentItem>& Items() const { return items_; }
    /// The captions of the visible items, top first.
    std::vector<std::string> VisibleCaptions() const;
    /// The caption a name is shown and compared as.
    std::string CaptionFor(std::string_view name) const;

    /// Fires after every change of the items.
    std::function<void()> OnChanged;

private:
    void settle();
    bool foldCase_;
    ClickHandler onClick_;
    std::vector<TRecentItem> items_;
};

/// Makes a name the current file name: the file being left goes on top of the recent list,
/// and the new current file leaves it.
void SetFileName(std::string& currentFileName, std::string_view name, TRecentFiles& recentFiles);
/// SetFileName as New, Open and Save As use it: a file being left that is not there as a
/// regular file (the "Default.zmx" of a New never saved) stays off the list, so that the list
/// offers only files that can be opened again.
void SetCurrentFile(std::string& currentFileName, std::string_view name, TRecentFiles& recentFiles);
/// The name the list keeps of the current file at the end of a run: the name when the file is
/// there as a regular file, else empty.
std::string RememberedFile(const std::string& currentFileName);

/// Measures texts in the font they are shown in (the status bar's font).
class ITextWidth
{
public:
    virtual ~ITextWidth() = default;
    /// The width of a text, pixels.
    virtual int TextWidth(std::string_view text) const = 0;
};

/// Every character the same width: the tests' measure and the command line's.
class TFixedTextWidth : public ITextWidth
{
public:
    explicit TFixedTextWidth(int charWidth) : charWidth_(charWidth) {}
    int TextWidth(std::string_view text) const override;

private:
    int charWidth_;
};

/// A file name shortened to fit a width (pixels): the whole name when it fits; else the
/// beginning of the path, "~" and the file's own name; or only the file's own name when even
/// that does not fit. Characters are counted whole (UTF-8).
std::string ShortenFileName(std::string_view name, int availableWidth, const ITextWidth& measure);

/// The status bar's file panel text: the name shortened to the window's width less the
/// first panel's width.
std::string FileNamePanelText(std::string_view name, int windowWidth, int firstPanelWidth,
                              const ITextWidth& measure);

/// The arguments that make up the project's path: every argument except the options (an
/// argument starting with "-"); after a "--" every argument counts, even one starting with "-".
/// Hyphens inside a path are part of it, as Linux paths carry them.
std::vector<std::string> CommandLinePathArguments(const std::vector<std::string>& arguments);
/// The path arguments joined with single blanks (so that an unquoted path with blanks arrives
/// whole) and expanded to a full path; empty when there are none.
std::string CommandLineFile(const std::vector<std::string>& arguments);
/// The project to open at start: CommandLineFile(arguments) when such a file exists (a folder
/// does not count); empty otherwise, and nothing is opened.
std::string CommandLineProject(const std::vector<std::string>& arguments);

} // namespace zmk
