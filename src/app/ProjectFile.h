// Save, Save As and Open of the job's project file (".zmx"): a `datafile` root holding the
// project properties (`fileprops`), the coil under its kind's element (`zmk`, `hwc` or `cwc`)
// and a flat copy of the start values (`startval`). Saving replaces the file atomically, so a
// save that fails leaves the previous file as it was and says why. Open reads the file into the
// coil the job has: it never solves, and it keeps every value the file does not give in a form
// the coil can take (the session switches the kind first, see ProjectSession). The file is read
// once; what is not a regular file, is larger than kMaxProjectFileSize, is not XML or parses but
// holds no project is refused and never becomes the current file, so that no later Save writes
// over it. What a file holds beyond what the program reads (elements, attributes and comments of
// other programs or of the user) survives: Save writes the job into the document last opened.
#pragma once

#include "app/CoilJob.h"
#include "app/StartValueFields.h"
#include "base/XMLFiles.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace zmk {

class INotifier;
class TRecentFiles;

/// Extension, default extension and filter of the file dialogs.
inline constexpr std::string_view kProjectExtension = ".zmx";
inline constexpr std::string_view kProjectDefaultExt = "zmx";
inline constexpr std::string_view kProjectFilter = "Zemtor (*.zmx)|*.zmx";
/// Root element and version of a project file.
inline constexpr const char* kProjectRoot = "datafile";
inline constexpr const char* kProjectVersion = "1.0.0.0";

/// Shown, with CR LF and the file name after it, when the file to open does not exist.
inline constexpr std::string_view kFileNotFoundMessage = "The file you are trying to open does not exist...";
/// Shown, with the file name and the parser's message after it, when the file is not XML.
inline constexpr std::string_view kFileNotReadMessage = "The file could not be read as a project...";
/// Shown, with the file name and the reason after it, when the file is refused: not a regular
/// file, too large, unreadable, or XML that holds no project.
inline constexpr std::string_view kFileRefusedMessage = "The file was not opened...";

/// The element of a coil kind ("zmk", "hwc", "cwc"), and the older name files may use.
struct TCoilElementName
{
    const char* Kind;
    const char* Name;
    const char* OlderName;
};
inline constexpr TCoilElementName kCoilElements[3] = {
    {"zmk", "zmk", "zemtor"},
    {"hwc", "hwc", "hotwatercoil"},
    {"cwc", "cwc", "chilledwatercoil"},
};

/// What Open found.
struct TOpenResult
{
    bool Exists = false;    ///< false: the file was not there and nothing changed
    bool Refused = false;   ///< true: the file is there but was refused and nothing changed
    bool Parsed = false;    ///< false: the file is not XML (and so refused; LoadError says why)
    bool CoilFound = false; ///< the file holds a coil of the job's kind, which was read
    std::string FileKind;   ///< kind of the first coil element in the file; empty when none
    std::string LoadError;  ///< why the file was refused or did not parse
};

/// A project file read and parsed once, before any coil is touched.
struct TProjectLoad
{
    std::string FileName;
    TFileReadStatus FileStatus = TFileReadStatus::Missing; ///< how reading the bytes ended
    bool Parsed = false;                                   ///< the bytes are XML
    bool IsProject = false;                                ///< the XML holds a project (IsProjectDocument)
    std::string Kind;  ///< kind of the first coil element; empty when none
    std::string Error; ///< why it cannot be opened; empty when it can
    std::unique_ptr<TXMLFile> File;
    TXMLFile::Node Root;
};

/// Reads and parses a project file once. Missing, not a regular file, larger than
/// kMaxProjectFileSize, unreadable, not XML, or XML that is no project: each says so in Error.
TProjectLoad LoadProjectFile(const std::string& fileName);
/// What Open tells about a file it cannot read anything from: the not-found message for a
/// missing file, the refusal for one that is not a regular file, too large, unreadable or no
/// project, the not-read message for one that is not XML; empty when the file can be opened.
std::string OpenFailureMessage(const TProjectLoad& load);
/// Whether a parsed document is a project: its root element is `datafile` (any letter case),
/// or a root of another name holds a coil element (under any of its names) or `startval`. A
/// document that is neither (notes, a catalogue, another program's data) is no project, and a
/// Save must not replace it.
bool IsProjectDocument(TXMLFile::Node root);

/// Where Save, Save As and Open report, and the recent-file list that follows the current
/// file name (none when null: the name is simply replaced).
struct TProjectFileContext
{
    INotifier* Notifier = nullptr;
    TRecentFiles* RecentFiles = nullptr;
    /// The document of the project last opened, which Save writes the job into so that what
    /// the program does not know of stays; a fresh document when null.
    const pugi::xml_document* Opened = nullptr;
};

/// Makes a name the current file name, with the recent-file list following it (SetCurrentFile).
void MakeCurrentFile(TCoilJob& job, const std::string& fileName, const TProjectFileContext& context);

/// The kind of the first coil element under the root, by its name or its older name; nothing
/// when there is none.
std::optional<std::string> CoilKindInDocument(TXMLFile::Node root);
/// The coil kind a project file holds; nothing when it cannot be read or holds no coil.
std::optional<std::string> ProjectFileKind(const std::string& fileName);

/// Fills the document with the job: the root with its attributes, the project properties (when
/// the job has them), the coil (when it has one), then the start values, captured first. With
/// `opened`, the document starts as a copy of it: the program's own elements are rewritten in
/// place (a coil of another kind, and older names the reader no longer needs, give way to the
/// job's coil), and every other element, attribute and comment stays where it was.
void WriteProjectDocument(TXMLFile& file, TCoilJob& job, const pugi::xml_document* opened = nullptr);
/// Reads a parsed document into the job's coil and project properties. Returns whether the
/// coil's element was found. Values the file does not give keep the job's.
bool ReadProjectDocument(TXMLFile& file, TXMLFile::Node root, TCoilJob& job);

} // namespace zmk
