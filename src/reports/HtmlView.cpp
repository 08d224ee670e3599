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

bool hasElement(const std::string& source, std::string_view id, bool imageOnly)
{
    const std::string tag = imageOnly ? "img" : "[a-zA-Z][a-zA-Z0-9]*";
    const std::regex re("<" + tag + "\\b[^>]*\\bid\\s*=\\s*\"" + regexQuote(id) + "\"", std::regex::icase);
    return std::regex_search(source, re);
}

} // namespace

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
