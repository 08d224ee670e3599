#include "platform/RecentFiles.h"

#include "base/NumText.h"
#include "base/Utf8.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace zmk {

TRecentFiles::TRecentFiles(bool foldCase) : foldCase_(foldCase) {}

std::string TRecentFiles::CaptionFor(std::string_view name) const
{
    std::string caption(name);
    if (foldCase_)
        for (char& c : caption)
            if (c >= 'A' && c <= 'Z')
                c = char(c - 'A' + 'a');
    return caption;
}

void TRecentFiles::Init(const ISettingsStore& store, ClickHandler onClick)
{
    onClick_ = std::move(onClick);
    for (int i = int(kHeldCount) - 1; i >= 0; --i)
        Add(store.ReadString(kSection, Format("%d", i), ""));
}

void TRecentFiles::Add(std::string_view name)
{
    if (name.empty())
        return;
    const std::string caption = CaptionFor(name);
    auto it = std::find_if(items_.begin(), items_.end(),
                           [&](const TRecentItem& item) { return item.Caption == caption; });
    if (it != items_.end())
        items_.erase(it);
    // A file brought back to the top is shown, even if it was the hidden reserve.
    items_.insert(items_.begin(), TRecentItem{caption, true});
    settle();
}

void TRecentFiles::Remove(std::string_view name)
{
    const std::string caption = CaptionFor(name);
    auto it = std::find_if(items_.begin(), items_.end(),
                           [&](const TRecentItem& item) { return item.Caption == caption; });
    if (it == items_.end())
        return;
    items_.erase(it);
    settle();
}

void TRecentFiles::Store(ISettingsStore& store, std::string_view current)
{
    Add(current);
    for (std::size_t i = 0; i < items_.size(); ++i)
        store.WriteString(kSection, Format("%d", static_cast<long long>(i)), items_[i].Caption);
}

void TRecentFiles::Click(std::size_t index) const
{
    if (index >= items_.size() || !onClick_)
        return;
    // Opening the file changes the list: hand over a copy of the name, not the item's own.
    const std::string name = items_[index].Caption;
    onClick_(name);
}

std::vector<std::string> TRecentFiles::VisibleCaptions() const
{
    std::vector<std::string> captions;
    for (const TRecentItem& item : items_)
        if (item.Visible)
            captions.push_back(item.Caption);
    return captions;
}

// Five shown, a sixth in reserve, never a seventh.
void TRecentFiles::settle()
{
    if (items_.size() > kHeldCount)
        items_.resize(kHeldCount);
    for (std::size_t i = 0; i < items_.size(); ++i)
        items_[i].Visible = i < kVisibleCount;
    if (OnChanged)
        OnChanged();
}

void SetFileName(std::string& currentFileName, std::string_view name, TRecentFiles& recentFiles)
{
    // The name may be the current name itself, whose text the assignment below replaces.
    const std::string newName(name);
    recentFiles.Add(currentFileName);
    currentFileName = newName;
    recentFiles.Remove(newName);
}

std::string RememberedFile(const std::string& currentFileName)
{
    std::error_code ec;
    return !currentFileName.empty() && std::filesystem::is_regular_file(currentFileName, ec) ? currentFileName
                                                                                             : std::string();
}

void SetCurrentFile(std::string& currentFileName, std::string_view name, TRecentFiles& recentFiles)
{
    const std::string newName(name);
    if (RememberedFile(currentFileName).empty())
        currentFileName.clear();
    SetFileName(currentFileName, newName, recentFiles);
}

int TFixedTextWidth::TextWidth(std::string_view text) const
{
    return int(Utf8Starts(text).size()) * charWidth_;
}

std::string ShortenFileName(std::string_view name, int availableWidth, const ITextWidth& measure)
{
    const std::vector<std::size_t> starts = Utf8Starts(name);
    const int n = int(starts.size());
    if (n == 0)
        return std::string();
    const int averageWidth = measure.TextWidth(name) / n + 1;
    const int available = availableWidth / averageWidth;
    if (available >= n)
        return std::string(name);

    const std::size_t slash = name.rfind('/');
    const std::string_view own = slash == std::string_view::npos ? name : name.substr(slash + 1);
    const int ownLength = int(Utf8Starts(own).size());
    // With room for no more than the file's own name, the "~" would not fit beside it.
    if (available <= ownLength)
        return std::string(own);
    const int headLength = available - ownLength - 1;
    const std::size_t headBytes = headLength < n ? starts[headLength] : name.size();
    return std::string(name.substr(0, headBytes)) + "~" + std::string(own);
}

std::string FileNamePanelText(std::string_view name, int windowWidth, int firstPanelWidth,
                              const ITextWidth& measure)
{
    return ShortenFileName(name, windowWidth - firstPanelWidth, measure);
}

std::vector<std::string> CommandLinePathArguments(const std::vector<std::string>& arguments)
{
    std::vector<std::string> path;
    bool optionsEnded = false;
    for (const std::string& argument : arguments) {
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && !argument.empty() && argument.front() == '-')
            continue;
        path.push_back(argument);
    }
    return path;
}

std::string CommandLineFile(const std::vector<std::string>& arguments)
{
    const std::vector<std::string> path = CommandLinePathArguments(arguments);
    std::string joined;
    for (const std::string& argument : path) {
        if (!joined.empty())
            joined += ' ';
        joined += argument;
    }
    if (joined.empty())
        return std::string();
    std::error_code ec;
    std::filesystem::path full = std::filesystem::absolute(std::filesystem::path(joined), ec);
    if (ec)
        return joined;
    return full.lexically_normal().string();
}

std::string CommandLineProject(const std::vector<std::string>& arguments)
{
    std::string file = CommandLineFile(arguments);
    if (file.empty())
        return std::string();
    std::error_code ec;
    const auto status = std::filesystem::status(file, ec);
    if (ec || !std::filesystem::exists(status) || std::filesystem::is_directory(status))
        return std::string();
    return file;
}

} // namespace zmk
