// The HTML view that shows result pages: the six operations a page writer needs of it, the
// steps that put a page on screen, and a recording view for tests and batch runs. The GUI
// implements IHtmlView on its browser widget; the core only talks to this interface.
#pragma once

#include "reports/ReportPage.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace zmk {

/// What the page writers need of an HTML view.
class IHtmlView
{
public:
    virtual ~IHtmlView() = default;
    /// Displays a page file; relative image paths resolve against the file's folder.
    virtual void LoadFile(const std::filesystem::path& fileName) = 0;
    /// Empties the view before a new page is loaded.
    virtual void Clear() = 0;
    /// Shows or hides the block element with that id; nothing happens without such an element.
    virtual void SetElementDisplay(std::string_view id, bool shown) = 0;
    /// Replaces the picture of the img element with that id by PNG data, without reloading;
    /// nothing happens without such an image.
    virtual void ReplaceImage(std::string_view id, const std::vector<std::uint8_t>& png) = 0;
    /// The text of the page currently loaded (UTF-8).
    virtual std::string DocumentSource() const = 0;
    /// The file currently loaded; empty when none.
    virtual std::filesystem::path DocumentFileName() const = 0;
};

/// The id of the element that says a result is not solved, and of the profile placeholder.
inline constexpr std::string_view kStatusElement = "status";
inline constexpr std::string_view kProfileImage = "pimage";

/// Clears the view and loads the file into it.
void ShowPage(IHtmlView& view, const std::filesystem::path& fileName);

/// Puts an on-screen page up: saves the lines as the report folder's "ScreenReport.htm" and
/// shows that file. Returns the file written; throws EReportFileError when it cannot be saved.
std::filesystem::path ShowScreenPage(const TPageLines& page, const std::filesystem::path& reportFolder,
                                     IHtmlView& view);

/// Shows the page's "status" element only while the coil is not solved.
void ShowResultStatus(IHtmlView& view, bool solved);

/// A view that reads the files it is given and records every call: used by the tests and by
/// the command line, which has no view of its own.
class RecordingHtmlView : public IHtmlView
{
public:
    void LoadFile(const std::filesystem::path& fileName) override;
    void Clear() override;
    void SetElementDisplay(std::string_view id, bool shown) override;
    void ReplaceImage(std::string_view id, const std::vector<std::uint8_t>& png) override;
    std::string DocumentSource() const override { return source_; }
    std::filesystem::path DocumentFileName() const override { return fileName_; }

    /// Every call, in order: "clear", "load <file>", "display <id> 1|0", "image <id> <bytes>".
    std::vector<std::string> calls;
    /// Display state of the elements of the loaded page that have been shown or hidden.
    std::map<std::string, bool, std::less<>> displayed;
    /// PNG data of the images of the loaded page that have been replaced.
    std::map<std::string, std::vector<std::uint8_t>, std::less<>> images;

private:
    std::string source_;
    std::filesystem::path fileName_;
};

/// A view for pages that are opened later in a browser (the command line's report folder):
/// what a live view would change on screen is written into the loaded page file instead. A
/// hidden element gets style="display:none"; a replaced image is saved beside the page as
/// "<page name>-<id>.png" and the img element's src points at it. Throws EReportFileError when
/// the page or the picture cannot be written.
class TStaticHtmlView : public IHtmlView
{
public:
    void LoadFile(const std::filesystem::path& fileName) override;
    void Clear() override;
    void SetElementDisplay(std::string_view id, bool shown) override;
    void ReplaceImage(std::string_view id, const std::vector<std::uint8_t>& png) override;
    std::string DocumentSource() const override { return source_; }
    std::filesystem::path DocumentFileName() const override { return fileName_; }

private:
    void save() const;
    std::string source_;
    std::filesystem::path fileName_;
};

} // namespace zmk
