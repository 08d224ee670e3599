// The report preview ("Report Preview") without its widgets: the report file it shows with the
// pictures that travel with it, and its commands that hand the file to other programs: the
// page's source in the desktop's text viewer, the page in the desktop's web browser, and the
// message its "Email" command composes. "Preview" opens the print preview on the same file and
// image list (PrintPreview.h).
#pragma once

#include "app/Exports.h"
#include "platform/Mail.h"

#include <string>
#include <string_view>
#include <vector>

namespace zmk {

/// The context menu's captions.
inline constexpr const char* kViewPageSourceCaption = "View Page Source";
inline constexpr const char* kOpenWithBrowserCaption = "Open with Browser";
inline constexpr const char* kCopySelectionCaption = "Copy selection to Clipboard";

class TReportPreview
{
public:
    /// The launcher must outlive the preview.
    explicit TReportPreview(ILauncher& launcher);

    /// What the preview shows: the report file and its image list (full paths separated by
    /// commas).
    void Load(std::string fileName, std::string imageList);
    const std::string& FileName() const { return fileName_; }
    const std::string& ImageList() const { return imageList_; }
    /// The image list as files.
    std::vector<std::string> Images() const;

    /// "View Page Source": the page's text is copied beside it as "<file>.source.txt" and that
    /// copy is opened with the desktop's handler for text, so a text viewer shows it rather than
    /// a browser. False when there is no file, the copy could not be written, or nothing opened.
    bool ViewPageSource();
    /// The text copy "View Page Source" opens.
    std::string SourceCopyName() const;
    /// "Open with Browser": the page with the desktop's handler for web pages.
    bool OpenWithBrowser();
    /// "Email": the message the print preview's "Email..." composes for this report.
    TMailMessage EmailMessage() const;

private:
    ILauncher& launcher_;
    std::string fileName_;
    std::string imageList_;
};

} // namespace zmk
