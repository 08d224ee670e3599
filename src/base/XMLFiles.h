// The XML layer of the project file and the coil maker catalogue: a document whose values are
// the texts of child elements (and a few attributes), read and written with the program's
// number formats. Reads report through a read status, element writes through a write status;
// a file that does not parse keeps the parser's message as the load error. Files are read once
// and only when they are regular files of a bounded size, markup and nesting depth. Written files
// are UTF-8 with a declaration, child elements indented on their own lines, and replace the old
// file atomically.
#pragma once

#include "base/FileIO.h"

#include <pugixml.hpp>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zmk {

class INotifier;

/// Read status values of TXMLFile.
enum TXMLReadStatus : int {
    rsNone = 0,
    rsInvalidFileFormat = 1,
    rsNotFound = 2,
    rsWrongType = 3,
    rsParentNotFound = 4,
    rsValueMissing = 5,
    rsAttributeMissing = 6,
};

/// Write status values of TXMLFile.
enum TXMLWriteStatus : int {
    wsNone = 0,
    wsNotAnElement = 1,
    wsParentNotFound = 2,
};

/// "none", "invalid file format", "not found", "wrong type", "parent node not found",
/// "value missing", "attribute missing".
std::string ReadStatusText(int status);
/// "none", "not an element node", "parent node not found".
std::string WriteStatusText(int status);
/// True for "true", "T", "Yes"; false for "false", "F", "No" (any case); `fallback` otherwise.
bool TextToBool(std::string_view text, bool fallback);

/// Largest XML file read by default, bytes (project files).
inline constexpr std::uintmax_t kMaxXmlFileSize = kMaxProjectFileSize;
/// Most markup ("<") a file read may hold: far beyond any project or catalogue, and low enough
/// that a file of nothing but empty elements cannot take the memory of a million nodes.
inline constexpr std::size_t kMaxXmlMarkup = 1000000;
/// Deepest nesting of elements a file read may have (the root element is level 1): a project
/// nests six levels, the catalogue four.
inline constexpr int kMaxXmlDepth = 64;

/// An XML document bound to a file name, with value reads and writes on its elements.
class TXMLFile
{
public:
    using Node = pugi::xml_node; ///< an element, or none (a null node)

    /// A new empty document.
    TXMLFile();
    /// Binds the file name and parses the file when it exists (read once, through ReadWholeFile).
    /// A parse error stores the parser's message with its position as LoadError, sets read
    /// status 1 and empties the document; so does a file that cannot be read (not a regular
    /// file, larger than maxSize, refused by the system), holds more than kMaxXmlMarkup
    /// pieces of markup or nests elements deeper than kMaxXmlDepth levels, with the reason
    /// (naming the file and the limit) as LoadError.
    explicit TXMLFile(std::string fileName, std::uintmax_t maxSize = kMaxXmlFileSize);
    /// As above; when the read status is 0, root := the document element (none otherwise), and
    /// with `clear` the document is then emptied.
    TXMLFile(std::string fileName, Node& root, bool clear, std::uintmax_t maxSize = kMaxXmlFileSize);

    TXMLFile(const TXMLFile&) = delete;
    TXMLFile& operator=(const TXMLFile&) = delete;

    /// Empties the document.
    void Clear();
    /// Clear(), then creates the root element with its attributes program, generator
    /// ("Quorvane Software") and version, in this order.
    void InitRoot(const std::string& rootName, const std::string& program, Node& root,
                  const std::string& version);
    /// Writes the document to the file name through WriteFileAtomically (a read-only file is
    /// refused, a link's target written, the old file left whole when the write fails). Child
    /// elements are indented two blanks a level; a document nested deeper than kMaxXmlDepth
    /// levels is written without indentation, so that a file never grows with the square of its
    /// depth. With no file name, tells the notifier "File name not known" and writes nothing.
    /// Throws EFileError (a ZmkError) naming the file and the reason when the file cannot be
    /// written.
    void Save();
    /// Where Save's "File name not known" goes.
    void SetNotifier(INotifier* notifier) { notifier_ = notifier; }

    /// Walks a path of names downwards and returns the last element, or none; with `create`
    /// missing elements are added. With no parent, the first name is the document element
    /// (compared without regard to case) or a top-level element.
    Node FindPath(Node parent, const std::vector<std::string>& names, bool create);
    /// Appends a new child element (none without a parent).
    Node AddChild(Node parent, const std::string& name);
    /// The first child `name` (any case) whose child `keyName` has the text `keyValue` (any
    /// case); with `create`, appends one when none matches.
    Node FindRecord(Node parent, const std::string& name, const std::string& keyName,
                    const std::string& keyValue, bool create);

    /// Text of the child element `name`, or `fallback` (status 4 no parent, 2 no child, 5 the
    /// child holds elements rather than text).
    std::string ReadText(Node parent, const char* name, const std::string& fallback);
    /// The child's text as a real; status 3 and `fallback` when it is not a finite number.
    double ReadFloat(Node parent, const char* name, double fallback);
    /// The child's text as an integer; status 3 and `fallback` when it is not one.
    int ReadInt(Node parent, const char* name, int fallback);
    /// ReadFloat, with a value outside [lo, hi] refused like an unreadable one (status 3 and
    /// `fallback`): what a model reads from someone else's file must be a value it can take.
    double ReadFloatIn(Node parent, const char* name, double fallback, double lo, double hi);
    /// ReadInt with the same refusal outside [lo, hi].
    int ReadIntIn(Node parent, const char* name, int fallback, int lo, int hi);
    /// The child's text by the boolean rules; `fallback` for any other text.
    bool ReadBool(Node parent, const char* name, bool fallback);
    // The same with the name in a string.
    std::string ReadText(Node parent, const std::string& name, const std::string& fallback)
    {
        return ReadText(parent, name.c_str(), fallback);
    }
    double ReadFloat(Node parent, const std::string& name, double fallback)
    {
        return ReadFloat(parent, name.c_str(), fallback);
    }
    int ReadInt(Node parent, const std::string& name, int fallback)
    {
        return ReadInt(parent, name.c_str(), fallback);
    }
    double ReadFloatIn(Node parent, const std::string& name, double fallback, double lo, double hi)
    {
        return ReadFloatIn(parent, name.c_str(), fallback, lo, hi);
    }
    int ReadIntIn(Node parent, const std::string& name, int fallback, int lo, int hi)
    {
        return ReadIntIn(parent, name.c_str(), fallback, lo, hi);
    }
    bool ReadBool(Node parent, const std::string& name, bool fallback)
    {
        return ReadBool(parent, name.c_str(), fallback);
    }
    /// Attribute text; status 6 and `fallback` when it is empty or missing.
    std::string ReadAttr(Node node, const std::string& name, const std::string& fallback);
    /// Attribute as a finite real; status 3 and `fallback` on any failure.
    double ReadAttrFloat(Node node, const std::string& name, double fallback);
    /// Attribute as an integer; status 3 and `fallback` on any failure.
    int ReadAttrInt(Node node, const std::string& name, int fallback);
    /// FindPath without creation, then ReadAttr (status 6 and `fallback` when the path is missing).
    std::string ReadPathAttr(Node parent, const std::vector<std::string>& names, const std::string& attrName,
                             const std::string& fallback);
    /// Clears `list`, then appends the text of child `subName` of every child `name` (any case)
    /// that has one. Status 2 when the parent has no children, 3 and an empty list on an error.
    void ReadList(Node parent, const std::string& name, const std::string& subName,
                  std::vector<std::string>& list);
    /// All child elements called `name`, compared without regard to case.
    std::vector<Node> ChildrenNamed(Node parent, const std::string& name);

    /// With `reuse`, finds the child `name` or appends it; otherwise appends. The text becomes its
    /// content. Write status 2 without a parent, 1 when the content cannot be set. Returns it.
    Node WriteText(Node parent, const std::string& name, bool reuse, const std::string& text);
    /// WriteText with Format(format, value).
    Node WriteFloat(Node parent, const std::string& name, bool reuse, const std::string& format,
                    double value);
    /// WriteText with the shortest text that reads back to the same double ("1.5399", "0.5334",
    /// "1E-05"), for values a file must give back exactly; "NAN", "INF" or "-INF" when the
    /// value is not finite (read back as unreadable).
    Node WriteReal(Node parent, const std::string& name, bool reuse, double value);
    /// WriteText with Format("%d", value).
    Node WriteInt(Node parent, const std::string& name, bool reuse, long long value);
    /// WriteText with "true" or "false".
    Node WriteBool(Node parent, const std::string& name, bool reuse, bool value);
    /// Adds the attribute if it is missing, then sets it.
    void SetAttr(Node node, const std::string& name, const std::string& value);

    /// The document element, or none.
    Node Root() const { return doc_.document_element(); }
    pugi::xml_document& Document() { return doc_; }
    const std::string& FileName() const { return fileName_; }
    int ReadStatus() const { return readStatus_; }
    int WriteStatus() const { return writeStatus_; }
    const std::string& LoadError() const { return loadError_; }
    /// How reading the file ended: Missing when there was none (the document is then empty and
    /// the read status 0), Ok when its bytes were read (whether or not they parse), TooLarge
    /// also for a file of more than kMaxXmlMarkup pieces of markup or nested deeper than
    /// kMaxXmlDepth levels.
    TFileReadStatus FileStatus() const { return fileStatus_; }
    /// The scratch list.
    std::vector<std::string>& List() { return list_; }

    /// While one lives, the reads find an element's children by name through an index of each
    /// element read from, built on its first read, instead of a walk along the children for each
    /// value; a read gives what it gives without. For a run of reads over a document nothing
    /// else changes: the writes of this class drop the index, and so does its end.
    class IndexedReads
    {
    public:
        explicit IndexedReads(TXMLFile& file) : file_(file) { file_.indexing_ = true; }
        ~IndexedReads();
        IndexedReads(const IndexedReads&) = delete;
        IndexedReads& operator=(const IndexedReads&) = delete;

    private:
        TXMLFile& file_;
    };

private:
    // The first child of `parent` named `name`, as parent.child(name) finds it.
    Node child(Node parent, const char* name);
    // The child `name` that holds a value (text, no elements), with the read status set as
    // ReadText sets it; none when there is no such child.
    Node valueElement(Node parent, const char* name);
    void dropIndex();

    // One slot of a child index: the hash of a name and the first child of that name.
    struct IndexSlot
    {
        std::uint32_t Hash = 0;
        pugi::xml_node Child;
    };
    // The index of one element's children: slots [Offset, Offset + Mask + 1) of indexSlots_.
    struct ChildIndex
    {
        pugi::xml_node Parent;
        std::size_t Offset = 0;
        std::uint32_t Mask = 0;
    };

    std::string fileName_;
    pugi::xml_document doc_;
    std::vector<std::string> list_;
    int readStatus_ = rsNone;
    int writeStatus_ = wsNone;
    std::string loadError_;
    TFileReadStatus fileStatus_ = TFileReadStatus::Missing;
    INotifier* notifier_ = nullptr;
    bool indexing_ = false;
    std::vector<ChildIndex> indexes_;
    std::size_t lastIndex_ = 0; // the index read from last
    std::vector<IndexSlot> indexSlots_;
};

} // namespace zmk
