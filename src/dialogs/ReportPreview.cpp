#include "dialogs/ReportPreview.h"

#include "base/FileIO.h"
#include "dialogs/Email.h"

#include <filesystem>

namespace zmk {

TReportPreview::TReportPreview(ILauncher& launcher) : launcher_(launcher) {}

void TReportPreview::Load(std::string fileName, std::string imageList)
{
    fileName_ = std::move(fileName);
    imageList_ = std::move(imageList);
}

std::vector<std::string> TReportPreview::Images() const
{
    return SplitFileList(imageList_);
}

std::string TReportPreview::SourceCopyName() const
{
    return fileName_.empty() ? std::string() : fileName_ + ".source.txt";
}

bool TReportPreview::ViewPageSource()
{
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fileName_.empty() || !fs::is_regular_file(fileName_, ec))
        return false;
    const std::string copy = SourceCopyName();
    try {
        CopyFileAtomically(fileName_, copy, kMaxReportAssetSize);
    } catch (const EFileError&) {
        return false;
    }
    return launcher_.OpenDocument(copy);
}

bool TReportPreview::OpenWithBrowser()
{
    return !fileName_.empty() && launcher_.OpenDocument(fileName_);
}

TMailMessage TReportPreview::EmailMessage() const
{
    return ReportMailMessage(fileName_, imageList_);
}

} // namespace zmk
