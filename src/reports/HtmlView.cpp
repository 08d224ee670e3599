#include "reports/HtmlView.h"

#include <regex>

namespace zmk {

void ShowPage(IHtmlView& view, const std::filesystem::path& fileName)
{
    view.Clear();
    view.LoadFile(fileName);
}

std::filesystem::path ShowScreenPage(const TPageLines& page, const std::filesystem::path& reportFolder,
                                     IHtmlView& view)
{
    const auto fileName = reportFolder / reportfiles::ScreenReport;
    page.SavePage(fileName);
    ShowPage(view, fileName);
    return fileName;
}

void ShowResultStatus(IHtmlView& view, bool solved)
{
    view.SetElementDisplay(kStatusElement, !solved);
}

namespace {

std::string regexQuote(std::string_view text)
{
    static const std::regex special(R"([.^$|()\[\]{}*+?\\])");
    return std::regex_replace(std::string(text), special, R"(\$&)");
}

std::regex elementPattern(std::string_view id, bool imageOnly)
{
    const std::string tag = imageOnly ? "img" : "[a-zA-Z][a-zA-Z0-9]*";
    return std::regex("<" + tag + "\\b[^>]*\\bid\\s*=\\s*\"" + regexQuote(id) + "\"[^>]*>",
                      std::regex::icase);
}

bool hasElement(const std::string& source, std::string_view id, bool imageOnly)
{
    return std::regex_search(source, elementPattern(id, imageOnly));
}

constexpr std::string_view kHidden = " style=\"display:none\"";

// The start tag of the element, or none.
bool findElement(const std::string& source, std::string_view id, bool imageOnly, std::smatch& match)
{
    return std::regex_search(source, match, elementPattern(id, imageOnly));
}

} // namespace

void TStaticHtmlView::LoadFile(const std::filesystem::path& fileName)
{
    fileName_ = fileName;
    std::string bytes;
    source_ = ReadFileBytes(fileName, bytes) ? Latin1ToUtf8(bytes) : std::string();
}

void TStaticHtmlView::Clear()
{
    source_.clear();
    fileName_.clear();
}

void TStaticHtmlView::save() const
{
    WriteFileText(fileName_, PageBytes(source_));
}

void TStaticHtmlView::SetElementDisplay(std::string_view id, bool shown)
{
    std::smatch m;
    if (fileName_.empty() || !findElement(source_, id, false, m))
        return;
    std::string tag = m.str(0);
    // The hiding style goes right after the tag name, where it is found again to show it.
    const std::size_t nameEnd = tag.find_first_of(" \t\r\n/>", 1);
    const bool hidden = tag.compare(nameEnd, kHidden.size(), kHidden) == 0;
    if (hidden == !shown)
        return;
    if (shown)
        tag.erase(nameEnd, kHidden.size());
    else
        tag.insert(nameEnd, kHidden);
    source_.replace(static_cast<std::size_t>(m.position(0)), static_cast<std::size_t>(m.length(0)), tag);
    save();
}

void TStaticHtmlView::ReplaceImage(std::string_view id, const std::vector<std::uint8_t>& png)
{
    std::smatch m;
    if (fileName_.empty() || !findElement(source_, id, true, m))
        return;
    const std::string picture = fileName_.stem().string() + "-" + std::string(id) + ".png";
    WriteFileBytes(fileName_.parent_path() / picture, png);
    static const std::regex src("\\bsrc\\s*=\\s*\"[^\"]*\"", std::regex::icase);
    const std::string attribute = "src=\"" + HtmlEscape(picture) + "\"";
    std::string replaced = m.str(0);
    std::smatch s;
    if (std::regex_search(replaced, s, src))
        replaced.replace(static_cast<std::size_t>(s.position(0)), static_cast<std::size_t>(s.length(0)),
                         attribute);
    else
        replaced.insert(4, " " + attribute);
    source_.replace(static_cast<std::size_t>(m.position(0)), static_cast<std::size_t>(m.length(0)), replaced);
    save();
}

void RecordingHtmlView::LoadFile(const std::filesystem::path& fileName)
{
    calls.push_back("load " + fileName.string());
    fileName_ = fileName;
    std::string bytes;
    source_ = ReadFileBytes(fileName, bytes) ? Latin1ToUtf8(bytes) : std::string();
}

void RecordingHtmlView::Clear()
{
    calls.emplace_back("clear");
    source_.clear();
    fileName_.clear();
    displayed.clear();
    images.clear();
}

void RecordingHtmlView::SetElementDisplay(std::string_view id, bool shown)
{
    calls.push_back("display " + std::string(id) + (shown ? " 1" : " 0"));
    if (hasElement(source_, id, false))
        displayed[std::string(id)] = shown;
}

void RecordingHtmlView::ReplaceImage(std::string_view id, const std::vector<std::uint8_t>& png)
{
    calls.push_back("image " + std::string(id) + " " + std::to_string(png.size()));
    if (hasElement(source_, id, true))
        images[std::string(id)] = png;
}

} // namespace zmk
