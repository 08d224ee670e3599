// The XML layer: value reads and writes with their statuses, paths and records, saving and
// loading files (declaration, indentation, atomic replacement, parse errors).
#include "base/XMLFiles.h"

#include "base/Errors.h"
#include "base/Notifier.h"
#include "base/NumText.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include <unistd.h>

namespace zmk {
namespace {

namespace fs = std::filesystem;

class XMLFilesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("zmk_xml_" + std::to_string(::getpid()) + "_" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    static void write(const std::string& file, const std::string& text) { std::ofstream(file) << text; }
    static std::string read(const std::string& file)
    {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    fs::path dir_;
};

TEST_F(XMLFilesTest, ValueTypesWithStatuses)
{
    TXMLFile x;
    TXMLFile::Node root;
    x.InitRoot("datafile", "ZMK", root, "1.0.0.0");
    x.WriteText(root, "name", true, "Coil A");
    x.WriteFloat(root, "Qt", true, "%0.3f", 12.34567);
    x.WriteFloat(root, "Sx", true, "%0.7f", 0.033);
    x.WriteInt(root, "Code", true, 5);
    x.WriteBool(root, "Rifle", true, true);
    EXPECT_EQ(x.WriteStatus(), wsNone);

    EXPECT_EQ(x.ReadText(root, "name", "?"), "Coil A");
    EXPECT_EQ(x.ReadStatus(), rsNone);
    EXPECT_DOUBLE_EQ(x.ReadFloat(root, "Qt", 0), 12.346);
    EXPECT_DOUBLE_EQ(x.ReadFloat(root, "Sx", 0), 0.033);
    EXPECT_EQ(x.ReadInt(root, "Code", 0), 5);
    EXPECT_TRUE(x.ReadBool(root, "Rifle", false));
    EXPECT_EQ(x.ReadStatus(), rsNone);

    // A missing element gives the default, a real one through its 15-digit text.
    EXPECT_EQ(x.ReadText(root, "missing", "dflt"), "dflt");
    EXPECT_EQ(x.ReadStatus(), rsNotFound);
    EXPECT_EQ(x.ReadFloat(root, "missing", 1.0 / 3), 0.333333333333333);
    EXPECT_EQ(x.ReadStatus(), rsNotFound);
    EXPECT_EQ(x.ReadInt(root, "missing", -7), -7);
    EXPECT_EQ(x.ReadStatus(), rsNotFound);

    // Text that is not a number of the right kind.
    x.WriteText(root, "comma", true, "1,5");
    EXPECT_EQ(x.ReadFloat(root, "comma", 2.5), 2.5);
    EXPECT_EQ(x.ReadStatus(), rsWrongType);
    EXPECT_EQ(x.ReadInt(root, "Qt", 3), 3);
    EXPECT_EQ(x.ReadStatus(), rsWrongType);
    x.WriteText(root, "huge", true, "1e999");
    EXPECT_EQ(x.ReadFloat(root, "huge", 4), 4);
    EXPECT_EQ(x.ReadStatus(), rsWrongType);
    x.WriteText(root, "bigint", true, "99999999999");
    EXPECT_EQ(x.ReadInt(root, "bigint", 4), 4);
    EXPECT_EQ(x.ReadStatus(), rsWrongType);
    x.WriteText(root, "sci", true, "5E-005");
    EXPECT_DOUBLE_EQ(x.ReadFloat(root, "sci", 0), 5e-5);

    // No parent; a child holding elements instead of text.
    EXPECT_EQ(x.ReadText(TXMLFile::Node(), "name", "d"), "d");
    EXPECT_EQ(x.ReadStatus(), rsParentNotFound);
    TXMLFile::Node outer = x.AddChild(root, "outer");
    x.AddChild(outer, "inner");
    EXPECT_EQ(x.ReadText(root, "outer", "d"), "d");
    EXPECT_EQ(x.ReadStatus(), rsValueMissing);
    // Each read starts from status 0.
    x.ReadText(root, "name", "");
    EXPECT_EQ(x.ReadStatus(), rsNone);

    EXPECT_EQ(ReadStatusText(rsAttributeMissing), "attribute missing");
    EXPECT_EQ(WriteStatusText(wsNotAnElement), "not an element node");
}

// Reads through the child index give, value for value and status for status, what the walk
// along the children gives: the first child of a name (an earlier one of another node type
// too), names in their exact case, values in several pieces, elements past the index's limits,
// and what was written or removed between reads.
TEST_F(XMLFilesTest, IndexedReadsGiveWhatPlainReadsGive)
{
    std::string text = "<datafile><a>1.5</a><A>2.5</A><a>9</a><?b pi?><b>3</b><split>1<!--x-->.25</split>"
                       "<cdata><![CDATA[0.75]]></cdata><mixed>4<![CDATA[2]]></mixed><outer><inner>5</inner>"
                       "</outer><empty/><blank> </blank><UserRo>1</UserRo><UserKo>2</UserKo><n>-3</n>";
    // Enough children for the index to grow and names to share its slots, and more elements
    // read from than it indexes.
    for (int i = 0; i < 60; ++i)
        text += "<c" + std::to_string(i) + ">" + std::to_string(i) + ".5</c" + std::to_string(i) + ">";
    for (int i = 0; i < 40; ++i)
        text += "<p" + std::to_string(i) + "><v>" + std::to_string(i) + "</v><w>x</w></p" +
                std::to_string(i) + ">";
    text += "</datafile>";

    TXMLFile x;
    ASSERT_TRUE(
        x.Document().load_string(text.c_str(), pugi::parse_default | pugi::parse_comments | pugi::parse_pi));
    TXMLFile::Node root = x.Root();
    std::vector<std::pair<std::string, std::string>> reads; // element path, name
    for (const char* name : {"a", "A", "b", "split", "cdata", "mixed", "outer", "empty", "blank", "UserRo",
                             "UserKo", "n", "missing", "", "inner", "a"})
        reads.emplace_back("", name);
    for (int i = 0; i < 60; ++i)
        reads.emplace_back("", "c" + std::to_string(i));
    for (int i = 0; i < 40; ++i)
        for (const char* name : {"v", "w", "u"})
            reads.emplace_back("p" + std::to_string(i), name);

    // Each read as text, real and integer, with the status each leaves.
    auto readAll = [&] {
        std::vector<std::string> got;
        for (const auto& [path, name] : reads) {
            const TXMLFile::Node parent = path.empty() ? root : x.FindPath(root, {path}, false);
            std::string line = path + "/" + name + ":";
            line += " " + x.ReadText(parent, name, "?");
            line += " " + std::to_string(x.ReadStatus());
            line += " " + FloatToStr(x.ReadFloat(parent, name, -1));
            line += " " + std::to_string(x.ReadStatus());
            line += " " + std::to_string(x.ReadInt(parent, name, -1));
            line += " " + std::to_string(x.ReadStatus());
            got.push_back(line);
        }
        return got;
    };
    const std::vector<std::string> plain = readAll();
    EXPECT_EQ(plain[0], "/a: 1.5 0 1.5 0 -1 3");
    EXPECT_EQ(plain[2], "/b: ? 2 -1 2 -1 2"); // the instruction named b comes first
    EXPECT_EQ(plain[3], "/split: 1.25 0 1.25 0 -1 3");
    EXPECT_EQ(plain[5], "/mixed: 42 0 42 0 42 0");
    {
        const TXMLFile::IndexedReads indexed(x);
        EXPECT_EQ(readAll(), plain);
        // A value written between reads is found by the next read.
        EXPECT_EQ(x.ReadText(root, "late", "none"), "none");
        x.WriteText(root, "late", true, "7");
        EXPECT_EQ(x.ReadInt(root, "late", 0), 7);
        TXMLFile::Node p0 = x.FindPath(root, {"p0"}, false);
        EXPECT_EQ(x.ReadText(p0, "added", "none"), "none");
        x.FindPath(p0, {"added"}, true);
        EXPECT_EQ(x.ReadText(p0, "added", "none"), "");
        EXPECT_EQ(x.ReadStatus(), rsNone);
    }
    // Once the reads are over, the document may change in any way.
    root.remove_child(root.child("a"));
    EXPECT_EQ(x.ReadText(root, "a", ""), "9");
}

TEST_F(XMLFilesTest, EveryFormOfARealReadsAsTheNumberParserReadsIt)
{
    // Plain decimals are read on a short path; every text, plain or not, must come back as the
    // program's number parser reads it, bit for bit, or be refused as it refuses it.
    TXMLFile x;
    TXMLFile::Node root;
    x.InitRoot("datafile", "ZMK", root, "1.0.0.0");
    const char* texts[] = {"144.0030242451485",
                           "-0.25",
                           "0",
                           "-0",
                           "007.50",
                           "1E-05",
                           "1e-5",
                           "2.5E20",
                           "4.9406564584124654E-324",
                           "1e-400",
                           "-1e-400",
                           "1e400",
                           "1.7976931348623157E308",
                           "12345678901234567890123",
                           "0.1000000000000000055511151231257827",
                           " 2.5 ",
                           "+3",
                           ".5",
                           "5.",
                           "1e",
                           "1e+5",
                           "--1",
                           "1.2.3",
                           "0x1p3",
                           "inf",
                           "nan",
                           "1,5",
                           ""};
    for (const char* text : texts) {
        SCOPED_TRACE(std::string("\"") + text + "\"");
        x.WriteText(root, "v", true, text);
        double expected = 0;
        const bool number = TryStrToFloat(text, expected) && std::isfinite(expected);
        const double read = x.ReadFloat(root, "v", 7);
        if (number) {
            EXPECT_EQ(x.ReadStatus(), rsNone);
            EXPECT_EQ(std::memcmp(&read, &expected, sizeof read), 0) << read << " against " << expected;
        } else {
            EXPECT_EQ(read, 7);
            EXPECT_EQ(x.ReadStatus(), rsWrongType);
        }
    }
}

TEST_F(XMLFilesTest, RealsWrittenExactlyReadBackBitForBit)
{
    TXMLFile x;
    TXMLFile::Node root;
    x.InitRoot("datafile", "ZMK", root, "1.0.0.0");
    struct Case
    {
        double value;
        const char* text;
    };
    const Case cases[] = {
        {1.5399, "1.5399"}, {0.5334, "0.5334"}, {0.1 + 0.2, "0.30000000000000004"},
        {83, "83"},         {-12.25, "-12.25"}, {1e-5, "1E-05"},
        {2.5e20, "2.5E20"}, {5e-324, "5E-324"}, {DBL_MAX, "1.7976931348623157E308"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        x.WriteReal(root, "v", true, c.value);
        EXPECT_EQ(x.ReadText(root, "v", ""), c.text);
        EXPECT_EQ(x.ReadFloat(root, "v", 0), c.value);
        EXPECT_EQ(x.ReadStatus(), rsNone);
    }
    // A value that is no number is written as such and reads as unreadable.
    x.WriteReal(root, "v", true, std::nan(""));
    EXPECT_EQ(x.ReadText(root, "v", ""), "NAN");
    EXPECT_EQ(x.ReadFloat(root, "v", 7), 7);
    EXPECT_EQ(x.ReadStatus(), rsWrongType);

    // Any double comes back as itself: read straight into a double, never rounded twice.
    std::mt19937_64 random(28);
    int differ = 0;
    for (int i = 0; i < 200000; ++i) {
        double v;
        do {
            const std::uint64_t bits = random();
            std::memcpy(&v, &bits, sizeof v);
        } while (!std::isfinite(v));
        x.WriteReal(root, "v", true, v);
        const double back = x.ReadFloat(root, "v", 0);
        if (std::memcmp(&back, &v, sizeof v) != 0 && ++differ <= 3)
            ADD_FAILURE() << x.ReadText(root, "v", "") << " read back as " << back;
    }
    EXPECT_EQ(differ, 0);
}

TEST_F(XMLFilesTest, BooleanRules)
{
    struct Case
    {
        const char* text;
        bool fallback;
        bool value;
    };
    const Case cases[] = {
        {"true", false, true}, {"T", false, true},      {"Yes", false, true},   {"yes", false, true},
        {"TRUE", false, true}, {"t", false, true},      {"false", true, false}, {"F", true, false},
        {"No", true, false},   {"nO", true, false},     {"1", false, false},    {"1", true, true},
        {"", true, true},      {"maybe", false, false},
    };
    TXMLFile x;
    TXMLFile::Node root;
    x.InitRoot("r", "ZMK", root, "1");
    for (const Case& c : cases) {
        x.WriteText(root, "b", true, c.text);
        EXPECT_EQ(x.ReadBool(root, "b", c.fallback), c.value) << c.text;
        EXPECT_EQ(TextToBool(c.text, c.fallback), c.value) << c.text;
    }
    EXPECT_TRUE(x.ReadBool(root, "absent", true));
}

TEST_F(XMLFilesTest, AttributesPathsRecordsAndLists)
{
    TXMLFile x;
    TXMLFile::Node root;
    x.InitRoot("Catalog", "ZMK", root, "1.0.0.0");
    TXMLFile::Node item = x.FindPath(TXMLFile::Node(), {"catalog", "item", "fin"}, true);
    ASSERT_TRUE(item);
    x.SetAttr(item, "t", "0.15");
    x.SetAttr(item, "t", "0.16");
    EXPECT_EQ(x.ReadAttr(item, "t", ""), "0.16");
    EXPECT_DOUBLE_EQ(x.ReadAttrFloat(item, "t", 0), 0.16);
    EXPECT_EQ(x.ReadAttr(item, "mt", "Al"), "Al");
    EXPECT_EQ(x.ReadStatus(), rsAttributeMissing);
    x.SetAttr(item, "empty", "");
    EXPECT_EQ(x.ReadAttr(item, "empty", "e"), "e");
    EXPECT_EQ(x.ReadStatus(), rsAttributeMissing);
    EXPECT_EQ(x.ReadAttrFloat(item, "mt", 2), 2);
    EXPECT_EQ(x.ReadStatus(), rsWrongType);
    x.SetAttr(item, "d", "x5");
    EXPECT_EQ(x.ReadAttrInt(item, "d", 0), 0);
    EXPECT_EQ(x.ReadStatus(), rsWrongType);
    x.SetAttr(item, "d", "5");
    EXPECT_EQ(x.ReadAttrInt(item, "d", 0), 5);
    EXPECT_EQ(x.ReadPathAttr(TXMLFile::Node(), {"CATALOG", "item", "fin"}, "t", ""), "0.16");
    EXPECT_EQ(x.ReadPathAttr(root, {"item", "tube"}, "od", "none"), "none");
    EXPECT_EQ(x.ReadStatus(), rsAttributeMissing);

    // Path steps below the root match names exactly; without create nothing is added.
    EXPECT_FALSE(x.FindPath(root, {"ITEM"}, false));
    EXPECT_FALSE(x.FindPath(TXMLFile::Node(), {"other"}, true)); // never a second top-level element
    EXPECT_EQ(x.ChildrenNamed(root, "item").size(), 1u);

    // Records: the key's name exactly, the record's name and the key's text in any case.
    TXMLFile::Node a = x.FindRecord(root, "item", "maker", "typical", true);
    TXMLFile::Node b = x.FindRecord(root, "Item", "maker", "TYPICAL", false);
    EXPECT_EQ(a, b);
    EXPECT_FALSE(x.FindRecord(root, "item", "Maker", "typical", false));
    x.FindRecord(root, "ITEM", "maker", "HC", true);
    EXPECT_EQ(x.ChildrenNamed(root, "item").size(), 3u);

    std::vector<std::string> list = {"stale"};
    x.ReadList(root, "item", "maker", list);
    EXPECT_EQ(list, (std::vector<std::string>{"typical", "HC"}));
    EXPECT_EQ(x.ReadStatus(), rsNone);
    x.ReadList(item, "x", "y", list);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(x.ReadStatus(), rsNotFound);
    x.ReadList(TXMLFile::Node(), "x", "y", list);
    EXPECT_EQ(x.ReadStatus(), rsWrongType);

    // Writing: reuse rewrites one element, otherwise a new one is appended.
    x.WriteText(root, "v", true, "1");
    x.WriteText(root, "v", true, "2");
    EXPECT_EQ(x.ChildrenNamed(root, "v").size(), 1u);
    x.WriteText(root, "v", false, "3");
    EXPECT_EQ(x.ChildrenNamed(root, "v").size(), 2u);
    EXPECT_EQ(x.ReadText(root, "v", ""), "2");
    EXPECT_FALSE(x.WriteText(TXMLFile::Node(), "v", true, "1"));
    EXPECT_EQ(x.WriteStatus(), wsParentNotFound);
    x.WriteText(root, "v", true, "4");
    EXPECT_EQ(x.WriteStatus(), wsNone);
}

TEST_F(XMLFilesTest, SaveAndLoad)
{
    const std::string file = path("job.zmx");
    {
        TXMLFile x(file);
        TXMLFile::Node root;
        x.InitRoot("datafile", "ZMK", root, "1.0.0.0");
        TXMLFile::Node fat = x.FindPath(root, {"zmk", "fat"}, true);
        x.WriteText(fat, "Mnf", true, "typical & Söhne <1>");
        x.WriteFloat(fat, "fHeight", true, "%0.6g", 0.5334);
        x.Save();
    }
    const std::string text = read(file);
    EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n", 0), 0u);
    EXPECT_NE(text.find("<datafile program=\"ZMK\" generator=\"Quorvane Software\" version=\"1.0.0.0\">"),
              std::string::npos);
    EXPECT_NE(text.find("\n    <fat>\n      <Mnf>"), std::string::npos); // children on their own lines
    EXPECT_NE(text.find("<fHeight>0.5334</fHeight>"), std::string::npos);
    // No temporary file is left beside the target.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);

    TXMLFile::Node root;
    TXMLFile y(file, root, false);
    EXPECT_EQ(y.ReadStatus(), rsNone);
    ASSERT_TRUE(root);
    TXMLFile::Node fat = y.FindPath(root, {"zmk", "fat"}, false);
    EXPECT_EQ(y.ReadText(fat, "Mnf", ""), "typical & Söhne <1>");
    EXPECT_DOUBLE_EQ(y.ReadFloat(fat, "fHeight", 0), 0.5334);

    // Saving the same document twice gives the same file.
    y.Save();
    EXPECT_EQ(read(file), text);

    // Opening with clear discards the old content.
    TXMLFile::Node cleared;
    TXMLFile z(file, cleared, true);
    EXPECT_FALSE(cleared);
    EXPECT_FALSE(z.Root());

    // A file without a declaration (and with a byte order mark) reads as well.
    write(path("plain.xml"), "\xEF\xBB\xBF<r><a>1.5</a></r>");
    TXMLFile p(path("plain.xml"));
    EXPECT_EQ(p.ReadStatus(), rsNone);
    EXPECT_DOUBLE_EQ(p.ReadFloat(p.Root(), "a", 0), 1.5);

    // A file that does not exist yet is not an error.
    TXMLFile n(path("new.xml"));
    EXPECT_EQ(n.ReadStatus(), rsNone);
    EXPECT_FALSE(n.Root());
}

TEST_F(XMLFilesTest, ParseErrorsAndWriteFailures)
{
    const std::string bad = path("bad.xml");
    write(bad, "<?xml version=\"1.0\"?>\n<catalog>\n  <item>\n</catalog>\n");
    TXMLFile::Node root;
    TXMLFile x(bad, root, false);
    EXPECT_EQ(x.ReadStatus(), rsInvalidFileFormat);
    EXPECT_FALSE(root);
    EXPECT_FALSE(x.Root());
    EXPECT_NE(x.LoadError().find("line 4"), std::string::npos) << x.LoadError();
    EXPECT_NE(x.LoadError().find("mismatch"), std::string::npos) << x.LoadError();

    for (const char* text : {"", "<a>", "<a><b></a>", "not xml at all", "<a b=1/>"}) {
        write(bad, text);
        TXMLFile y(bad);
        EXPECT_EQ(y.ReadStatus(), rsInvalidFileFormat) << text;
        EXPECT_FALSE(y.LoadError().empty()) << text;
    }

    // No file name: the user is told and nothing is written.
    RecordingNotifier notifier;
    TXMLFile unnamed;
    unnamed.SetNotifier(&notifier);
    unnamed.Save();
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_EQ(notifier.messages[0], "File name not known");

    // A file that cannot be written raises an error and leaves no temporary file.
    TXMLFile lost(path("no/such/folder/x.xml"));
    TXMLFile::Node r;
    lost.InitRoot("r", "ZMK", r, "1");
    EXPECT_THROW(lost.Save(), ZmkError);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

// Nested elements n levels deep (the root element is level 1), one per line.
std::string nested(int levels)
{
    std::string text = "<?xml version=\"1.0\"?>\n";
    for (int i = 0; i < levels; ++i)
        text += "<e>\n";
    for (int i = 0; i < levels; ++i)
        text += "</e>";
    return text + "\n";
}

TEST_F(XMLFilesTest, NestingBeyondTheLimitIsRefusedNamingTheFileAndTheLimit)
{
    const std::string file = path("deep.xml");
    write(file, nested(kMaxXmlDepth));
    TXMLFile atLimit(file);
    EXPECT_EQ(atLimit.ReadStatus(), rsNone) << atLimit.LoadError();
    EXPECT_TRUE(atLimit.Root());

    // One level more, and a hundred thousand (no recursion: this must neither crash nor take long).
    for (const int levels : {kMaxXmlDepth + 1, 100000}) {
        SCOPED_TRACE(levels);
        write(file, nested(levels));
        TXMLFile::Node root;
        TXMLFile x(file, root, false);
        EXPECT_EQ(x.ReadStatus(), rsInvalidFileFormat);
        EXPECT_EQ(x.FileStatus(), TFileReadStatus::TooLarge);
        EXPECT_FALSE(root);
        EXPECT_FALSE(x.Root());
        EXPECT_NE(x.LoadError().find("\"" + file + "\""), std::string::npos) << x.LoadError();
        EXPECT_NE(x.LoadError().find("more than 64 levels deep"), std::string::npos) << x.LoadError();
        EXPECT_NE(x.LoadError().find("(line 66)"), std::string::npos) << x.LoadError();
    }

    // Branches that go down and back up before one too deep, after a comment at the top: the
    // first element past the limit in document order is the one named, by its line. With that
    // branch at the limit (and more siblings before it) the file is read.
    std::string branches = "<!-- top -->\n<r>";
    for (int i = 0; i < 3; ++i)
        branches += "<a><b><c/></b><d/></a>\n";
    for (int i = 1; i < kMaxXmlDepth + 2; ++i)
        branches += "<e>\n";
    for (int i = 1; i < kMaxXmlDepth + 2; ++i)
        branches += "</e>";
    write(file, branches + "<a><b/></a></r>");
    TXMLFile::Node none;
    TXMLFile branched(file, none, false);
    EXPECT_EQ(branched.ReadStatus(), rsInvalidFileFormat);
    EXPECT_NE(branched.LoadError().find("(line 68)"), std::string::npos) << branched.LoadError();
    for (int i = 0; i < 3; ++i)
        branches.insert(branches.find("<e>"), "<f>" + std::string(200, ' ') + "</f>");
    for (int i = 0; i < 2; ++i) {
        branches.erase(branches.rfind("<e>\n"), 4);
        branches.erase(branches.rfind("</e>"), 4);
    }
    write(file, branches + "<a><b/></a></r>");
    TXMLFile atLimitBranched(file);
    EXPECT_EQ(atLimitBranched.ReadStatus(), rsNone) << atLimitBranched.LoadError();

    // Text, comments and attributes are not levels; siblings do not add up.
    std::string wide = "<r>";
    for (int i = 0; i < 1000; ++i)
        wide += "<a x=\"1\"><!-- c --><b>text</b></a>";
    write(file, wide + "</r>");
    TXMLFile flat(file);
    EXPECT_EQ(flat.ReadStatus(), rsNone) << flat.LoadError();
}

TEST_F(XMLFilesTest, ADeepDocumentIsWrittenWithoutIndentation)
{
    // Indented two blanks a level, 2,000 levels would make some 8 MB of blanks.
    const std::string file = path("deep.xml");
    TXMLFile x(file);
    TXMLFile::Node node = x.Document().append_child("r");
    for (int i = 1; i < 2000; ++i)
        node = node.append_child("e");
    node.append_child(pugi::node_pcdata).set_value("end");
    x.Save();
    const std::string text = read(file);
    EXPECT_LT(text.size(), 20000u);
    EXPECT_NE(text.find("<e><e>end</e></e>"), std::string::npos);

    // A document within the limit keeps its indentation.
    TXMLFile y(path("shallow.xml"));
    node = y.Document().append_child("r");
    for (int i = 1; i < kMaxXmlDepth; ++i)
        node = node.append_child("e");
    y.Save();
    const std::string shallow = read(path("shallow.xml"));
    EXPECT_NE(shallow.find("\n" + std::string(2 * (kMaxXmlDepth - 1), ' ') + "<e />"), std::string::npos);
    TXMLFile back(path("shallow.xml"));
    EXPECT_EQ(back.ReadStatus(), rsNone) << back.LoadError();
}

} // namespace
} // namespace zmk
