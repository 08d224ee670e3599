// TXMLFile on pugixml: value reads and writes on child elements, atomic saving.
#include "base/XMLFiles.h"
#include "base/TextHelpers.h"

#include "base/Errors.h"
#include "base/Notifier.h"
#include "base/NumText.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>

namespace zmk {

namespace {

// Comments are kept so that a rewritten file keeps its header notes.
constexpr unsigned kParseFlags = pugi::parse_default | pugi::parse_comments;

bool hasElementChild(pugi::xml_node node)
{
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element)
            return true;
    return false;
}

// The element's own text: its character data children joined.
std::string textOf(pugi::xml_node node)
{
    std::string s;
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata)
            s += c.value();
    return s;
}

// The element's own text without a copy where it is one piece (as nearly every value is);
// otherwise its pieces joined in `joined`.
std::string_view textView(pugi::xml_node node, std::string& joined)
{
    const pugi::xml_node first = node.first_child();
    if (!first)
        return {};
    if (!first.next_sibling() && (first.type() == pugi::node_pcdata || first.type() == pugi::node_cdata))
        return first.value();
    joined = textOf(node);
    return joined;
}

// Parsed straight into a double, rounded once, so that a value written in its shortest form
// comes back bit for bit.
// Project files hold their numbers as "-12.5", "0.4267" or "1e-05": such a text is converted
// directly. Anything else (blanks around it, a "+", a point without a digit before it, an
// exponent out of range...) takes the general path, which gives the same double for the texts
// taken here.
bool plainReal(std::string_view text, double& value)
{
    const char* p = text.data();
    const char* const end = p + text.size();
    auto digits = [&] {
        const char* from = p;
        while (p != end && *p >= '0' && *p <= '9')
            ++p;
        return p != from;
    };
    if (p != end && *p == '-')
        ++p;
    if (!digits())
        return false;
    if (p != end && *p == '.') {
        ++p;
        if (!digits())
            return false;
    }
    if (p != end && (*p == 'e' || *p == 'E')) {
        ++p;
        if (p != end && *p == '-')
            ++p;
        if (!digits())
            return false;
    }
    if (p != end)
        return false;
    double v = 0;
    const std::from_chars_result r = std::from_chars(text.data(), end, v);
    if (r.ec != std::errc() || r.ptr != end || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

bool toFiniteDouble(std::string_view text, double& value)
{
    if (plainReal(text, value))
        return true;
    double v = 0;
    if (!TryStrToFloat(text, v) || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

bool toInt(std::string_view text, int& value)
{
    long long v = 0;
    if (!TryStrToInt(text, v) || v < INT_MIN || v > INT_MAX)
        return false;
    value = static_cast<int>(v);
    return true;
}

// Line and column (from 1) of a byte offset in a text.
void position(const std::string& text, std::ptrdiff_t offset, int& line, int& column)
{
    line = 1;
    column = 1;
    const auto end = static_cast<size_t>(offset < 0 ? 0 : offset);
    for (size_t i = 0; i < end && i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
}

// The first element nested more than `limit` levels deep (the document element is level 1), or
// none. pugixml's own walk, which needs no recursion (the depth of a hostile file is not bounded
// by anything else) and visits each node in one step. Only elements have children, so an
// element's level is its depth in the walk plus one.
pugi::xml_node tooDeep(const pugi::xml_document& doc, int limit)
{
    struct Walker : pugi::xml_tree_walker
    {
        int limit = 0;
        pugi::xml_node found;
        bool for_each(pugi::xml_node& node) override
        {
            if (depth() + 1 > limit && node.type() == pugi::node_element) {
                found = node;
                return false;
            }
            return true;
        }
    } walker;
    walker.limit = limit;
    pugi::xml_node root = doc;
    root.traverse(walker);
    return walker.found;
}

// A hash of a name from its length and three of its characters: cheap, and enough to tell
// apart the few dozen names under one element (the slot's name is compared all the same).
std::uint32_t nameHash(const char* name)
{
    const std::size_t n = std::strlen(name);
    const auto at = [&](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(name[i]));
    };
    const std::uint32_t h =
        static_cast<std::uint32_t>(n) ^ (at(0) << 8) ^ (at(n / 2) << 16) ^ (at(n - 1) << 24);
    return (h * 2654435761u) >> 8;
}

// Indexes kept at most for one run of reads: a project reads from some ten elements.
constexpr std::size_t kMaxIndexes = 32;

struct StringWriter : pugi::xml_writer
{
    std::string out;
    void write(const void* data, size_t size) override { out.append(static_cast<const char*>(data), size); }
};

} // namespace

std::string ReadStatusText(int status)
{
    static const char* const names[] = {
        "none",          "invalid file format", "not found", "wrong type", "parent node not found",
        "value missing", "attribute missing"};
    return status >= 0 && status <= 6 ? names[status] : "unknown";
}

std::string WriteStatusText(int status)
{
    static const char* const names[] = {"none", "not an element node", "parent node not found"};
    return status >= 0 && status <= 2 ? names[status] : "unknown";
}

bool TextToBool(std::string_view text, bool fallback)
{
    if (SameText(text, "true") || SameText(text, "T") || SameText(text, "Yes"))
        return true;
    if (SameText(text, "false") || SameText(text, "F") || SameText(text, "No"))
        return false;
    return fallback;
}

TXMLFile::TXMLFile() = default;

TXMLFile::TXMLFile(std::string fileName, std::uintmax_t maxSize) : fileName_(std::move(fileName))
{
    if (fileName_.empty())
        return;
    TFileRead read = ReadWholeFile(fileName_, maxSize);
    fileStatus_ = read.Status;
    if (read.Status == TFileReadStatus::Missing)
        return;
    if (!read) {
        loadError_ = read.Error;
        readStatus_ = rsInvalidFileFormat;
        doc_.reset();
        return;
    }
    const std::string& text = read.Bytes;
    // A text shorter than the limit cannot hold more pieces of markup than it has bytes.
    if (text.size() > kMaxXmlMarkup &&
        static_cast<std::size_t>(std::count(text.begin(), text.end(), '<')) > kMaxXmlMarkup) {
        loadError_ =
            "The file \"" + fileName_ + "\" holds more than " + std::to_string(kMaxXmlMarkup) + " elements";
        fileStatus_ = TFileReadStatus::TooLarge;
        readStatus_ = rsInvalidFileFormat;
        doc_.reset();
        return;
    }
    const pugi::xml_parse_result result = doc_.load_buffer(text.data(), text.size(), kParseFlags);
    if (!result) {
        int line = 0;
        int column = 0;
        position(text, result.offset, line, column);
        loadError_ = Format("Error on line %d, position %d: %s", line, column, result.description());
        readStatus_ = rsInvalidFileFormat;
        doc_.reset();
        return;
    }
    if (const pugi::xml_node deep = tooDeep(doc_, kMaxXmlDepth)) {
        int line = 0;
        int column = 0;
        position(text, deep.offset_debug(), line, column);
        loadError_ = Format("The file \"%s\" nests its elements more than %d levels deep (line %d)",
                            fileName_, kMaxXmlDepth, line);
        fileStatus_ = TFileReadStatus::TooLarge;
        readStatus_ = rsInvalidFileFormat;
        doc_.reset();
    }
}

TXMLFile::TXMLFile(std::string fileName, Node& root, bool clear, std::uintmax_t maxSize)
    : TXMLFile(std::move(fileName), maxSize)
{
    root = Node();
    if (readStatus_ == rsNone) {
        root = doc_.document_element();
        if (clear) {
            Clear();
            root = Node();
        }
    }
}

TXMLFile::IndexedReads::~IndexedReads()
{
    file_.indexing_ = false;
    file_.dropIndex();
}

void TXMLFile::dropIndex()
{
    indexes_.clear();
    indexSlots_.clear();
}

TXMLFile::Node TXMLFile::child(Node parent, const char* name)
{
    if (!indexing_ || !*name)
        return parent.child(name);
    // Most reads follow one another on the same element.
    const ChildIndex* index = nullptr;
    if (lastIndex_ < indexes_.size() && indexes_[lastIndex_].Parent == parent)
        index = &indexes_[lastIndex_];
    else
        for (std::size_t i = 0; i < indexes_.size(); ++i)
            if (indexes_[i].Parent == parent) {
                index = &indexes_[i];
                lastIndex_ = i;
                break;
            }
    if (!index) {
        if (indexes_.size() >= kMaxIndexes)
            return parent.child(name);
        if (indexes_.empty()) {
            indexes_.reserve(kMaxIndexes);
            indexSlots_.reserve(1024);
        }
        // Open addressing at most half full; the first child of each name takes its slot, as
        // the walk along the children would find it first.
        std::size_t count = 0;
        for (Node c = parent.first_child(); c; c = c.next_sibling())
            ++count;
        std::uint32_t size = 8;
        while (size < 2 * count)
            size *= 2;
        ChildIndex added;
        added.Parent = parent;
        added.Offset = indexSlots_.size();
        added.Mask = size - 1;
        indexSlots_.resize(indexSlots_.size() + size);
        IndexSlot* slots = indexSlots_.data() + added.Offset;
        for (Node c = parent.first_child(); c; c = c.next_sibling()) {
            const char* n = c.name();
            if (!*n)
                continue;
            const std::uint32_t h = nameHash(n);
            for (std::uint32_t k = h & added.Mask;; k = (k + 1) & added.Mask) {
                if (!slots[k].Child) {
                    slots[k].Hash = h;
                    slots[k].Child = c;
                    break;
                }
                if (slots[k].Hash == h && std::strcmp(slots[k].Child.name(), n) == 0)
                    break; // a later child of a name already taken
            }
        }
        indexes_.push_back(added);
        lastIndex_ = indexes_.size() - 1;
        index = &indexes_.back();
    }
    const std::uint32_t h = nameHash(name);
    const IndexSlot* slots = indexSlots_.data() + index->Offset;
    for (std::uint32_t k = h & index->Mask;; k = (k + 1) & index->Mask) {
        const IndexSlot& slot = slots[k];
        if (!slot.Child)
            return Node();
        if (slot.Hash == h && std::strcmp(slot.Child.name(), name) == 0)
            return slot.Child;
    }
}

void TXMLFile::Clear()
{
    dropIndex();
    doc_.reset();
}

void TXMLFile::InitRoot(const std::string& rootName, const std::string& program, Node& root,
                        const std::string& version)
{
    Clear();
    root = doc_.append_child(rootName.c_str());
    SetAttr(root, "program", program);
    SetAttr(root, "generator", "Quorvane Software");
    SetAttr(root, "version", version);
}

void TXMLFile::Save()
{
    if (fileName_.empty()) {
        if (notifier_)
            notifier_->Message("File name not known");
        return;
    }
    StringWriter writer;
    writer.out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    // Indentation costs the depth in blanks on every line: past the depth a file may be read
    // with, the document is written in one piece.
    const unsigned layout = tooDeep(doc_, kMaxXmlDepth) ? pugi::format_raw : pugi::format_indent;
    doc_.save(writer, "  ", layout | pugi::format_no_declaration, pugi::encoding_utf8);
    WriteFileAtomically(fileName_, writer.out);
}

TXMLFile::Node TXMLFile::FindPath(Node parent, const std::vector<std::string>& names, bool create)
{
    if (names.empty())
        return parent;
    Node cur = parent;
    size_t i = 0;
    if (!parent) {
        const Node root = doc_.document_element();
        if (root && SameText(root.name(), names[0]))
            cur = root;
        else if (!root && create) {
            // Only one top-level element: a second one would make a file that does not parse.
            dropIndex();
            cur = doc_.append_child(names[0].c_str());
        }
        if (!cur)
            return Node();
        i = 1;
    }
    for (; i < names.size(); ++i) {
        Node next = child(cur, names[i].c_str());
        if (!next && create) {
            dropIndex();
            next = cur.append_child(names[i].c_str());
        }
        if (!next)
            return Node();
        cur = next;
    }
    return cur;
}

TXMLFile::Node TXMLFile::AddChild(Node parent, const std::string& name)
{
    if (!parent)
        return Node();
    dropIndex();
    return parent.append_child(name.c_str());
}

TXMLFile::Node TXMLFile::FindRecord(Node parent, const std::string& name, const std::string& keyName,
                                    const std::string& keyValue, bool create)
{
    if (!parent)
        return Node();
    for (Node c = parent.first_child(); c; c = c.next_sibling()) {
        if (c.type() != pugi::node_element || !SameText(c.name(), name))
            continue;
        const Node key = c.child(keyName.c_str());
        if (key && SameText(textOf(key), keyValue))
            return c;
    }
    if (!create)
        return Node();
    dropIndex();
    Node rec = parent.append_child(name.c_str());
    rec.append_child(keyName.c_str()).append_child(pugi::node_pcdata).set_value(keyValue.c_str());
    return rec;
}

std::string TXMLFile::ReadText(Node parent, const char* name, const std::string& fallback)
{
    const Node found = valueElement(parent, name);
    return found ? textOf(found) : fallback;
}

TXMLFile::Node TXMLFile::valueElement(Node parent, const char* name)
{
    readStatus_ = rsNone;
    if (!parent) {
        readStatus_ = rsParentNotFound;
        return Node();
    }
    const Node found = child(parent, name);
    if (!found || found.type() != pugi::node_element) {
        readStatus_ = rsNotFound;
        return Node();
    }
    if (hasElementChild(found)) {
        readStatus_ = rsValueMissing;
        return Node();
    }
    return found;
}

double TXMLFile::ReadFloat(Node parent, const char* name, double fallback)
{
    // A missing value reads as the fallback's text; that text is made only when it is needed,
    // as a project file gives nearly every value.
    std::string joined;
    const Node found = valueElement(parent, name);
    const std::string_view text =
        found ? textView(found, joined) : std::string_view(joined = FloatToStr(fallback));
    double v = 0;
    if (!toFiniteDouble(text, v)) {
        readStatus_ = rsWrongType;
        return fallback;
    }
    return v;
}

int TXMLFile::ReadInt(Node parent, const char* name, int fallback)
{
    std::string joined;
    const Node found = valueElement(parent, name);
    const std::string_view text =
        found ? textView(found, joined) : std::string_view(joined = Format("%d", fallback));
    int v = 0;
    if (!toInt(text, v)) {
        readStatus_ = rsWrongType;
        return fallback;
    }
    return v;
}

double TXMLFile::ReadFloatIn(Node parent, const char* name, double fallback, double lo, double hi)
{
    const double v = ReadFloat(parent, name, fallback);
    if (readStatus_ == rsNone && !(v >= lo && v <= hi)) {
        readStatus_ = rsWrongType;
        return fallback;
    }
    return v;
}

int TXMLFile::ReadIntIn(Node parent, const char* name, int fallback, int lo, int hi)
{
    const int v = ReadInt(parent, name, fallback);
    if (readStatus_ == rsNone && (v < lo || v > hi)) {
        readStatus_ = rsWrongType;
        return fallback;
    }
    return v;
}

bool TXMLFile::ReadBool(Node parent, const char* name, bool fallback)
{
    return TextToBool(ReadText(parent, name, ""), fallback);
}

std::string TXMLFile::ReadAttr(Node node, const std::string& name, const std::string& fallback)
{
    readStatus_ = rsNone;
    const pugi::xml_attribute a = node ? node.attribute(name.c_str()) : pugi::xml_attribute();
    if (!a || !*a.value()) {
        readStatus_ = rsAttributeMissing;
        return fallback;
    }
    return a.value();
}

double TXMLFile::ReadAttrFloat(Node node, const std::string& name, double fallback)
{
    const std::string text = ReadAttr(node, name, "");
    double v = 0;
    if (readStatus_ != rsNone || !toFiniteDouble(text, v)) {
        readStatus_ = rsWrongType;
        return fallback;
    }
    return v;
}

int TXMLFile::ReadAttrInt(Node node, const std::string& name, int fallback)
{
    const std::string text = ReadAttr(node, name, "");
    int v = 0;
    if (readStatus_ != rsNone || !toInt(text, v)) {
        readStatus_ = rsWrongType;
        return fallback;
    }
    return v;
}

std::string TXMLFile::ReadPathAttr(Node parent, const std::vector<std::string>& names,
                                   const std::string& attrName, const std::string& fallback)
{
    return ReadAttr(FindPath(parent, names, false), attrName, fallback);
}

void TXMLFile::ReadList(Node parent, const std::string& name, const std::string& subName,
                        std::vector<std::string>& list)
{
    readStatus_ = rsNone;
    list.clear();
    if (!parent) {
        readStatus_ = rsWrongType;
        return;
    }
    if (!parent.first_child()) {
        readStatus_ = rsNotFound;
        return;
    }
    for (Node c = parent.first_child(); c; c = c.next_sibling()) {
        if (c.type() != pugi::node_element || !SameText(c.name(), name))
            continue;
        const Node sub = c.child(subName.c_str());
        if (sub)
            list.push_back(textOf(sub));
    }
}

std::vector<TXMLFile::Node> TXMLFile::ChildrenNamed(Node parent, const std::string& name)
{
    std::vector<Node> nodes;
    if (!parent)
        return nodes;
    for (Node c = parent.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element && SameText(c.name(), name))
            nodes.push_back(c);
    return nodes;
}

TXMLFile::Node TXMLFile::WriteText(Node parent, const std::string& name, bool reuse, const std::string& text)
{
    writeStatus_ = wsNone;
    if (!parent) {
        writeStatus_ = wsParentNotFound;
        return Node();
    }
    dropIndex();
    Node child = reuse ? parent.child(name.c_str()) : Node();
    if (!child || child.type() != pugi::node_element)
        child = parent.append_child(name.c_str());
    if (!child) {
        writeStatus_ = wsNotAnElement;
        return Node();
    }
    while (child.first_child())
        child.remove_child(child.first_child());
    if (!child.append_child(pugi::node_pcdata).set_value(text.c_str()))
        writeStatus_ = wsNotAnElement;
    return child;
}

TXMLFile::Node TXMLFile::WriteFloat(Node parent, const std::string& name, bool reuse,
                                    const std::string& format, double value)
{
    return WriteText(parent, name, reuse, Format(format, value));
}

TXMLFile::Node TXMLFile::WriteReal(Node parent, const std::string& name, bool reuse, double value)
{
    if (!std::isfinite(value))
        return WriteText(parent, name, reuse, Format("%g", value));
    char buffer[64];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string text(buffer, r.ptr);
    // The exponent as the program's other number texts write it: "1E-05", "2.5E20".
    if (const std::size_t e = text.find('e'); e != std::string::npos) {
        text[e] = 'E';
        if (e + 1 < text.size() && text[e + 1] == '+')
            text.erase(e + 1, 1);
    }
    return WriteText(parent, name, reuse, text);
}

TXMLFile::Node TXMLFile::WriteInt(Node parent, const std::string& name, bool reuse, long long value)
{
    return WriteText(parent, name, reuse, Format("%d", value));
}

TXMLFile::Node TXMLFile::WriteBool(Node parent, const std::string& name, bool reuse, bool value)
{
    return WriteText(parent, name, reuse, value ? "true" : "false");
}

void TXMLFile::SetAttr(Node node, const std::string& name, const std::string& value)
{
    if (!node)
        return;
    pugi::xml_attribute a = node.attribute(name.c_str());
    if (!a)
        a = node.append_attribute(name.c_str());
    a.set_value(value.c_str());
}

} // namespace zmk
