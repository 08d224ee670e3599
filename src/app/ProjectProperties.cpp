#include "app/ProjectProperties.h"

#include "base/NumText.h"
#include "base/TextHelpers.h"

#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace zmk {

namespace {

const std::string kCrLf = "\r\n";

std::string inQuotes(std::string_view text)
{
    return "'" + std::string(text) + "'";
}

std::optional<std::chrono::system_clock::time_point> timeFrom(const statx_timestamp& t)
{
    return std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(std::chrono::seconds(t.tv_sec) +
                                                                        std::chrono::nanoseconds(t.tv_nsec)));
}

} // namespace

std::string DateText(TDate date)
{
    return Format("%2.2d %2.2d %4.4d", date.day, date.month, date.year);
}

std::string TFileFacts::SizeText() const
{
    return Format("%0.2f KB (%d bytes)", static_cast<double>(Size) / 1024.0,
                  static_cast<unsigned long long>(Size));
}

std::optional<TFileFacts> ReadFileFacts(const std::filesystem::path& file)
{
    if (file.empty())
        return std::nullopt;
    struct statx sx
    {
    };
    if (statx(AT_FDCWD, file.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0)
        return std::nullopt;
    if (S_ISDIR(sx.stx_mode))
        return std::nullopt;

    std::error_code ec;
    const std::filesystem::path full = std::filesystem::absolute(file, ec).lexically_normal();
    TFileFacts facts;
    facts.FileName = full.filename().string();
    facts.Location = full.parent_path().string();
    if (facts.Location.empty() || facts.Location.back() != '/')
        facts.Location += '/';
    if (sx.stx_mask & STATX_BTIME)
        facts.Created = timeFrom(sx.stx_btime);
    if (sx.stx_mask & STATX_MTIME)
        facts.Modified = timeFrom(sx.stx_mtime);
    facts.Size = sx.stx_size;
    facts.ReadOnly = access(file.c_str(), W_OK) != 0;
    facts.Hidden = !facts.FileName.empty() && facts.FileName.front() == '.';
    facts.Archive = false;
    facts.System = !S_ISREG(sx.stx_mode);
    return facts;
}

std::string FileTimeText(const std::optional<std::chrono::system_clock::time_point>& time)
{
    if (!time)
        return "-1";
    const std::time_t t =
        std::chrono::system_clock::to_time_t(std::chrono::floor<std::chrono::seconds>(*time));
    std::tm local{};
    if (!localtime_r(&t, &local))
        return "-1";
    // File times carry a two-second resolution on the page, as the file-date form has.
    return Format("%2.2d/%2.2d/%4.4d %2.2d:%2.2d:%2.2d", local.tm_mday, local.tm_mon + 1,
                  local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec - local.tm_sec % 2);
}

TProjectProperties::TProjectProperties(ISettingsStore& store, TRegisteredUser registered)
    : store_(store), registered_(std::move(registered))
{
    loadDefaults();
    values_.Date = Today();
    snapshot_ = values_;
}

void TProjectProperties::loadDefaults()
{
    values_.ProjectName = store_.ReadString(kSection, "Name", "");
    values_.ProjectNumber = store_.ReadString(kSection, "Number", "");
    values_.Author = store_.ReadString(kSection, "Author", registered_.Owner);
    values_.Company = store_.ReadString(kSection, "Company", registered_.Organization);
}

void TProjectProperties::ResetProperties()
{
    loadDefaults();
    values_.Comments.clear();
    values_.Date = Today();
}

std::string TProjectProperties::ProjectName() const
{
    return values_.ProjectName.empty() ? std::string("Project") : values_.ProjectName;
}

std::string TProjectProperties::ProjectNumber() const
{
    return values_.ProjectNumber.empty() ? std::string("001") : values_.ProjectNumber;
}

std::string TProjectProperties::ReportBlock() const
{
    std::string block =
        "<p>" + HtmlEscape(ProjectName()) + "<br>" + kCrLf + HtmlEscape(ProjectNumber()) + "<br>" + kCrLf;
    // Each comment on a line of its own, as typed.
    for (std::size_t i = 0; i < values_.Comments.size(); ++i)
        block += HtmlEscape(values_.Comments[i]) + (i + 1 < values_.Comments.size() ? "<br>" : "") + kCrLf;
    block += "</p>";
    return block;
}

std::vector<std::string> TProjectProperties::WriteChartLines() const
{
    std::vector<std::string> lines;
    lines.push_back(inQuotes(ProjectName()));
    lines.push_back(inQuotes(ProjectNumber()));
    lines.push_back(Format("%d", static_cast<long long>(values_.Comments.size())));
    for (const std::string& line : values_.Comments)
        lines.push_back(inQuotes(line));
    lines.push_back(inQuotes(values_.Author));
    lines.push_back(inQuotes(values_.Company));
    lines.push_back(inQuotes(DateText(values_.Date)));
    return lines;
}

std::string TProjectProperties::CommentsText() const
{
    std::string text;
    for (std::size_t i = 0; i < values_.Comments.size(); ++i) {
        if (i > 0)
            text += kCrLf;
        text += values_.Comments[i];
    }
    return text;
}

void TProjectProperties::SetCommentsText(std::string_view text)
{
    values_.Comments.clear();
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            values_.Comments.emplace_back(text.substr(start));
            break;
        }
        values_.Comments.emplace_back(text.substr(start, end - start));
        start = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
    }
}

void TProjectProperties::LoadFromXML(TXMLFile& file, TXMLFile::Node root)
{
    const TXMLFile::Node props = file.FindPath(root, {"fileprops"}, false);
    values_.ProjectName = file.ReadText(props, "projectname", "");
    values_.ProjectNumber = file.ReadText(props, "projectnumber", "");
    SetCommentsText(UnescapeLineBreaks(file.ReadText(props, "description", "")));
    values_.Author = file.ReadText(props, "author", "");
    values_.Company = file.ReadText(props, "company", "");
    values_.Date = ParseDate(file.ReadText(props, "date", ""), ' ');
}

void TProjectProperties::SaveToXML(TXMLFile& file, TXMLFile::Node root) const
{
    const TXMLFile::Node props = file.FindPath(root, {"fileprops"}, true);
    file.WriteText(props, "projectname", true, values_.ProjectName);
    file.WriteText(props, "projectnumber", true, values_.ProjectNumber);
    file.WriteText(props, "description", true, EscapeLineBreaks(CommentsText()));
    file.WriteText(props, "author", true, values_.Author);
    file.WriteText(props, "company", true, values_.Company);
    file.WriteText(props, "date", true, DateText(values_.Date));
}

std::optional<TFileFacts> TProjectProperties::BeginShow(const std::string& currentFile)
{
    snapshot_ = values_;
    if (currentFile.empty())
        return std::nullopt;
    return ReadFileFacts(currentFile);
}

void TProjectProperties::Accept(bool keepAsDefault)
{
    if (!keepAsDefault)
        return;
    store_.WriteString(kSection, "Name", values_.ProjectName);
    store_.WriteString(kSection, "Number", values_.ProjectNumber);
    store_.WriteString(kSection, "Author", values_.Author);
    store_.WriteString(kSection, "Company", values_.Company);
    store_.Flush();
}

void TProjectProperties::Cancel()
{
    values_ = snapshot_;
}

} // namespace zmk
