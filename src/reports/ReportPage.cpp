#include "reports/ReportPage.h"
#include "base/TextHelpers.h"

#include "base/FileIO.h"
#include "base/NumText.h"

#include <algorithm>
#include <cctype>
#include <system_error>

namespace zmk {

std::filesystem::path ReportFolderOf(const std::filesystem::path& programFolder)
{
    return programFolder / "Report" / "";
}

void TPageLines::AddLines(const std::vector<std::string>& lines)
{
    lines_.insert(lines_.end(), lines.begin(), lines.end());
}

std::string TPageLines::Text() const
{
    std::string out;
    for (const auto& line : lines_) {
        // A line break inside an entry is written as CR LF too, so the file has one kind of
        // line end whatever the writers put into a line.
        for (size_t i = 0; i < line.size(); ++i) {
            const char c = line[i];
            if (c == '\r' || c == '\n') {
                out += "\r\n";
                if (c == '\r' && i + 1 < line.size() && line[i + 1] == '\n')
                    ++i;
            } else {
                out += c;
            }
        }
        out += "\r\n";
    }
    return out;
}

void TPageLines::SavePage(const std::filesystem::path& fileName) const
{
    WriteFileText(fileName, PageBytes(Text()));
}

std::string PageBytes(std::string_view text)
{
    std::string page(text);
    const std::string lower = LowerCase(page);
    if (lower.find("charset") == std::string::npos) {
        // The first "<head>" that stands on a line of its own, as every page writes it.
        for (std::size_t at = lower.find("<head>"); at != std::string::npos;
             at = lower.find("<head>", at + 1)) {
            const bool lineStart = at == 0 || lower[at - 1] == '\n';
            const std::size_t end = at + 6;
            const bool lineEnd =
                end == lower.size() || lower.compare(end, 2, "\r\n") == 0 || lower[end] == '\n';
            if (!lineStart || !lineEnd)
                continue;
            const std::size_t next = end == lower.size() ? end : lower.find('\n', end) + 1;
            page.insert(next, std::string(end == lower.size() ? "\r\n" : "") + std::string(kPageCharsetLine) +
                                  "\r\n");
            break;
        }
    }
    return Utf8ToLatin1Html(page);
}

namespace {

// Decodes one UTF-8 sequence at text[i]; returns its length, or 0 when it is not valid
// (overlong forms, surrogates and values above U+10FFFF are not valid).
size_t decodeUtf8(std::string_view text, size_t i, char32_t& cp)
{
    const auto b0 = static_cast<unsigned char>(text[i]);
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    size_t n = 0;
    char32_t min = 0;
    if ((b0 & 0xE0) == 0xC0) {
        n = 2;
        cp = b0 & 0x1F;
        min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        n = 3;
        cp = b0 & 0x0F;
        min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        n = 4;
        cp = b0 & 0x07;
        min = 0x10000;
    } else {
        return 0;
    }
    if (i + n > text.size())
        return 0;
    for (size_t k = 1; k < n; ++k) {
        const auto b = static_cast<unsigned char>(text[i + k]);
        if ((b & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return n;
}

bool isValidUtf8(std::string_view text)
{
    for (size_t i = 0; i < text.size();) {
        char32_t cp;
        const size_t n = decodeUtf8(text, i, cp);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

// Lines as a text editor sees them: CR LF, LF or CR end a line, and a final line end does
// not start another line.
std::vector<std::string> splitLines(std::string_view text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            lines.emplace_back(text.substr(start, i - start));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < text.size())
        lines.emplace_back(text.substr(start));
    return lines;
}

} // namespace

std::string ExternalTextToUtf8(std::string_view bytes)
{
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    return isValidUtf8(bytes) ? std::string(bytes) : Latin1ToUtf8(bytes);
}

std::vector<std::string> DefaultLetterheadLines()
{
    return {
        "Quorvane Coil Software<br>",    "PO Box 1024, Northfield 4000<br>",
        "tel/fax: +00 100 200 3000<br>", "email: info@quorvane.example<br>",
        "web: www.quorvane.example<br>",
    };
}

namespace {

constexpr std::string_view kLogoKey = "logo:";
constexpr std::string_view kLogoTypes[] = {".png", ".gif", ".jpg", ".jpeg"};

// A file name as a relative address: every byte but the unreserved ones percent-encoded.
std::string fileNameAddress(std::string_view name)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : name) {
        const auto b = static_cast<unsigned char>(c);
        if (std::isalnum(b) != 0 || c == '-' || c == '.' || c == '_' || c == '~') {
            out += c;
        } else {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 0x0F];
        }
    }
    return out;
}

// The letterhead's lines, or nothing when the folder has no letterhead that can be read.
bool readLetterhead(const std::filesystem::path& reportFolder, std::vector<std::string>& lines)
{
    const auto file = FindFileNoCase(reportFolder, reportfiles::Letterhead);
    const TFileRead read = ReadWholeFile(file, kMaxLetterheadSize);
    if (!read)
        return false;
    lines = splitLines(ExternalTextToUtf8(read.Bytes));
    return true;
}

// The picture file in the folder that a logo line names; empty when there is none.
std::filesystem::path logoFile(const std::filesystem::path& reportFolder, std::string_view line)
{
    const std::string name = LetterheadLogoName(line);
    if (name.empty())
        return {};
    const auto file = FindFileNoCase(reportFolder, name);
    std::error_code ec;
    return std::filesystem::is_regular_file(file, ec) ? file : std::filesystem::path();
}

} // namespace

std::string LetterheadLogoName(std::string_view line)
{
    const std::string text = Trim(line);
    if (text.size() <= kLogoKey.size() || LowerCase(text.substr(0, kLogoKey.size())) != kLogoKey)
        return {};
    const std::string name = Trim(text.substr(kLogoKey.size()));
    if (name.empty() || name == "." || name == ".." || name.find_first_of("/\\") != std::string::npos)
        return {};
    for (const std::string_view type : kLogoTypes)
        if (name.size() > type.size() && EndsWithText(name, type))
            return name;
    return {};
}

std::vector<std::string> LetterheadLogoFiles(const std::filesystem::path& reportFolder)
{
    std::vector<std::string> lines;
    std::vector<std::string> files;
    if (!readLetterhead(reportFolder, lines))
        return files;
    for (const auto& line : lines) {
        const auto file = logoFile(reportFolder, line);
        if (!file.empty() && std::find(files.begin(), files.end(), file.filename().string()) == files.end())
            files.push_back(file.filename().string());
    }
    return files;
}

std::vector<std::string> LetterheadLines(const std::filesystem::path& reportFolder)
{
    std::vector<std::string> lines;
    if (!readLetterhead(reportFolder, lines))
        return DefaultLetterheadLines();
    for (auto& line : lines) {
        const auto logo = logoFile(reportFolder, line);
        if (!logo.empty())
            line = "<img src=\"" + fileNameAddress(logo.filename().string()) + "\" alt=\"\">";
        else
            line = HtmlEscape(line);
        line += "<br>";
    }
    return lines;
}

std::filesystem::path FindFileNoCase(const std::filesystem::path& folder, std::string_view name)
{
    std::error_code ec;
    const auto exact = folder / name;
    if (std::filesystem::exists(exact, ec))
        return exact;
    const std::string wanted = LowerCase(name);
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (LowerCase(it->path().filename().string()) == wanted)
            return it->path();
    return exact;
}

std::string ImageList(const std::filesystem::path& reportFolder,
                      std::initializer_list<std::string_view> names)
{
    std::string out;
    for (const auto name : names) {
        if (!out.empty())
            out += ',';
        out += FindFileNoCase(reportFolder, name).string();
    }
    return out;
}

std::vector<std::filesystem::path> SplitImageList(std::string_view list)
{
    std::vector<std::filesystem::path> out;
    size_t start = 0;
    while (start <= list.size()) {
        const size_t comma = std::min(list.find(',', start), list.size());
        if (comma > start)
            out.emplace_back(std::string(list.substr(start, comma - start)));
        start = comma + 1;
    }
    return out;
}

void WriteFileText(const std::filesystem::path& fileName, std::string_view bytes)
{
    std::string error;
    if (!TryWriteFileAtomically(fileName, bytes, &error))
        throw EReportFileError("WriteFile", error);
}

void WriteFileBytes(const std::filesystem::path& fileName, const std::vector<std::uint8_t>& bytes)
{
    WriteFileText(fileName, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

bool ReadFileBytes(const std::filesystem::path& fileName, std::string& bytes)
{
    TFileRead read = ReadWholeFile(fileName, kMaxReportAssetSize);
    bytes = std::move(read.Bytes);
    return static_cast<bool>(read);
}

} // namespace zmk
