// The report page framework: a result page is assembled as a list of text lines, saved as a
// Latin-1 file with CR LF line ends in the report folder and handed to the HTML view. Also the
// letterhead block, the image lists passed to previews and e-mail, and the escaping of user
// texts that go into pages.
//
// The report folder is "Report/" beside the program file. Every function here takes it (or a
// file in it) as a parameter; ReportFolderOf() derives it from the program folder, so the
// caller that knows the program folder (the application's folders module) decides where it is.
#pragma once

#include "base/Errors.h"
#include "base/Latin1.h"
#include "base/TextHelpers.h"

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace zmk {

/// A report file that cannot be created or written (the message names the file and why).
class EReportFileError : public ZmkError
{
public:
    using ZmkError::ZmkError;
};

/// The file names the pages and their images use in the report folder.
namespace reportfiles {
inline constexpr const char* ScreenReport = "ScreenReport.htm";
inline constexpr const char* MainReport = "MainReport.htm";
inline constexpr const char* CoilReport = "CoilReport.htm";
inline constexpr const char* Profile = "profile.png";
inline constexpr const char* Circuit = "circ.png";
inline constexpr const char* Letterhead = "Letterhead.txt";
inline constexpr const char* Logo = "ReportLogo.gif";
inline constexpr const char* GeneralArrangement = "ga.png";
inline constexpr const char* PsyChart = "psy.png";
inline constexpr const char* CoilDrawing = "coildrawing.png";
inline constexpr const char* Blank = "blank.png";
inline constexpr const char* Style = "style.css";
inline constexpr const char* PrintStyle = "print.css";
} // namespace reportfiles

/// The report folder of a program folder: programFolder + "Report/".
std::filesystem::path ReportFolderOf(const std::filesystem::path& programFolder);

/// The page line list: writers append lines, the list is saved one line per entry.
class TPageLines
{
public:
    /// Empties the list before a page is built.
    void ClearPage() { lines_.clear(); }
    /// Appends one line (UTF-8); an empty text adds an empty line.
    void AddLine(std::string_view text) { lines_.emplace_back(text); }
    /// Appends several lines in order.
    void AddLines(const std::vector<std::string>& lines);
    /// The lines so far.
    const std::vector<std::string>& Lines() const { return lines_; }
    /// The lines as one text, each ended by CR LF (still UTF-8).
    std::string Text() const;
    /// Writes the list to a file, replacing it atomically: Latin-1, every line ended by CR LF,
    /// characters outside Latin-1 written as numeric character references, and the page's head
    /// declaring the encoding (PageBytes). Throws EReportFileError when the file cannot be
    /// written.
    void SavePage(const std::filesystem::path& fileName) const;

private:
    std::vector<std::string> lines_;
};

/// The line that declares a page's encoding.
inline constexpr std::string_view kPageCharsetLine = "<meta charset=\"iso-8859-1\">";
/// The bytes of a page file for its UTF-8 text: Latin-1, characters outside it as numeric
/// character references ("&#x65E5;"), and kPageCharsetLine (with CR LF) after the "<head>" line
/// when the page has one and declares no charset of its own.
std::string PageBytes(std::string_view text);

/// A text read from a user's file as UTF-8: kept when it is valid UTF-8, else read as Latin-1.
std::string ExternalTextToUtf8(std::string_view bytes);

/// The letterhead block: each line of the report folder's "Letterhead.txt" with "<br>"
/// appended, or, without that file, the five default lines naming the supplier. The file is
/// plain text: its HTML special characters are escaped, so it shows as written and never adds
/// markup or script to a page. A line "logo: NAME" (any case, blanks allowed around NAME) names
/// a picture in the report folder (.png, .gif, .jpg or .jpeg, matched without regard to case)
/// and becomes that picture; one naming no such picture shows as text. An empty file gives no
/// lines. A letterhead that is not a regular file or is larger than kMaxLetterheadSize is not
/// read: the default lines.
std::vector<std::string> LetterheadLines(const std::filesystem::path& reportFolder);
/// The picture a letterhead line names ("logo: NAME" gives NAME), when the line is a logo
/// line and NAME a plain picture file name (no folder); empty otherwise.
std::string LetterheadLogoName(std::string_view line);
/// The pictures of the report folder that its letterhead shows (file names as in the folder).
std::vector<std::string> LetterheadLogoFiles(const std::filesystem::path& reportFolder);
/// The five default letterhead lines (company, address, "tel/fax: ", "email: ", "web: ").
std::vector<std::string> DefaultLetterheadLines();

/// The file of that name in the folder, matched without regard to case (pages write
/// "coildrawing.png" where a list says "CoilDrawing.png"); folder / name when none exists.
std::filesystem::path FindFileNoCase(const std::filesystem::path& folder, std::string_view name);

/// An image list for a preview or an e-mail: the full paths of the named report-folder files,
/// separated by commas ("<folder>/ReportLogo.gif,<folder>/ga.png,<folder>/profile.png").
std::string ImageList(const std::filesystem::path& reportFolder,
                      std::initializer_list<std::string_view> names);
/// The paths of an image list, split at the commas.
std::vector<std::filesystem::path> SplitImageList(std::string_view list);

/// Writes bytes to a file, replacing it atomically (WriteFileAtomically); throws
/// EReportFileError naming the file and the reason when that fails.
void WriteFileBytes(const std::filesystem::path& fileName, const std::vector<std::uint8_t>& bytes);
/// Writes a text as it stands to a file, as WriteFileBytes.
void WriteFileText(const std::filesystem::path& fileName, std::string_view bytes);
/// Reads a whole regular file of at most kMaxReportAssetSize bytes; false when it cannot be read.
bool ReadFileBytes(const std::filesystem::path& fileName, std::string& bytes);

} // namespace zmk
