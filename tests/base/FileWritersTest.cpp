// Every file the program writes goes through base/FileIO (the atomic write that refuses named
// pipes, devices and read-only files and keeps symbolic and hard links). This looks through the
// program's sources for any other way of opening, making or changing a file and names the file
// and line of each, so a new stray writer fails the suite instead of a user's file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

namespace zmk {
namespace {

namespace fs = std::filesystem;

struct Rule
{
    const char* name;
    const char* hint; // text a statement must hold for the pattern to be tried (it saves time)
    const char* pattern;
};

// What writes a file. Each pattern is matched against one statement at a time (the source cut at
// ";", "{" and "}"), with comments blanked out, so `[^;]*` lets a call run over several lines.
const Rule kRules[] = {
    {"QSaveFile", "QSaveFile", R"(\bQSaveFile\b)"},
    {"QTemporaryFile", "QTemporaryFile", R"(\bQTemporaryFile\b)"},
    // A PDF writer made on a file name writes the file; one made on a buffer (`&buffer`) does not.
    {"QPdfWriter", "QPdfWriter", R"(\bQPdfWriter\s*(\w+\s*)?[({]\s*[^&\s)}])"},
    {"QImageWriter", "QImageWriter", R"(\bQImageWriter\b)"},
    {"QFile::copy", "QFile::copy", R"(\bQFile::copy\b)"},
    {"QIODevice opened for writing", "QIODevice",
     R"(\bQIODevice(Base)?::(WriteOnly|ReadWrite|Append|Truncate)\b)"},
    {"QPrinter to a file", "setOutputFileName", R"(\bsetOutputFileName\s*\()"},
    {"printToPdf to a file", "printToPdf", R"(\bprintToPdf\s*\(\s*[^\s\[])"},
    {"picture saved to a file", ".save", R"(\.save\s*\(\s*[^&\s,()][^,()]*,\s*"[A-Za-z]+"\s*[,)])"},
    {"ofstream", "ofstream", R"(\b(basic_)?ofstream\b)"},
    {"fstream", "fstream", R"((^|[^<])\b(basic_)?fstream\b)"},
    {"filebuf", "filebuf", R"(\b(basic_)?filebuf\b)"},
    {"fopen for writing", "open", R"(\bf(re|d)?open(64)?\s*\([^;]*"[rbxe]*[wa+][a-z+]*")"},
    {"open for writing", "O_", R"(\b\w*open(at)?(64)?\s*\([^;]*\bO_(WRONLY|RDWR|CREAT|TRUNC|APPEND)\b)"},
    {"creat", "creat", R"(\bcreat(64)?\s*\()"},
    {"temporary file", "temp", R"(\bmk(o)?s?temps?\s*\()"},
    {"tmpfile", "tmpfile", R"(\btmpfile\s*\()"},
    {"truncate", "truncate", R"((^|[^.>\w])truncate(64)?\s*\()"},
    {"resize_file", "resize_file", R"(\bresize_file\s*\()"},
    {"copy_file", "copy", R"(\bcopy_file\s*\(|\b(fs|filesystem)::copy\s*\()"},
    {"chmod", "chmod", R"(\b(f?chmod|fchmodat)\s*\()"},
    {"permissions changed", "permissions", R"(\b(fs|filesystem)::permissions\s*\()"},
};

struct Finding
{
    std::size_t line; // 1-based
    std::string rule;
};

// The source with comments, raw strings and the text of longer string literals blanked, line
// breaks kept, so that matches point at code and line numbers stay right. Short strings are
// kept: a mode such as "wb" is what makes an fopen a writer, "PNG" what makes a save one.
std::string withoutComments(const std::string& source)
{
    constexpr std::size_t kShortString = 8;
    std::string out = source;
    std::size_t stringStart = 0;
    enum class In { Code, Line, Block, String, Char } state = In::Code;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const char c = source[i];
        const char next = i + 1 < source.size() ? source[i + 1] : '\0';
        switch (state) {
        case In::Code:
            if (c == '/' && next == '/') {
                state = In::Line;
                out[i] = ' ';
            } else if (c == '/' && next == '*') {
                state = In::Block;
                out[i] = out[i + 1] = ' ';
                ++i;
            } else if (c == 'R' && next == '"') {
                // A raw string: blank it all the way to its closing delimiter.
                const std::size_t open = source.find('(', i);
                if (open == std::string::npos)
                    break;
                const std::string close = ")" + source.substr(i + 2, open - i - 2) + "\"";
                const std::size_t end = source.find(close, open);
                const std::size_t stop = end == std::string::npos ? source.size() : end + close.size();
                for (std::size_t k = i; k < stop; ++k)
                    if (out[k] != '\n')
                        out[k] = ' ';
                i = stop - 1;
            } else if (c == '"') {
                state = In::String;
                stringStart = i + 1;
            } else if (c == '\'' && !(i > 0 && std::isxdigit(static_cast<unsigned char>(source[i - 1])))) {
                // (not a digit separator, as in 1'000)
                state = In::Char;
            }
            break;
        case In::Line:
            if (c == '\n')
                state = In::Code;
            else
                out[i] = ' ';
            break;
        case In::Block:
            if (c == '*' && next == '/') {
                out[i] = out[i + 1] = ' ';
                ++i;
                state = In::Code;
            } else if (c != '\n') {
                out[i] = ' ';
            }
            break;
        case In::String:
        case In::Char:
            if (c == '\\') {
                ++i;
            } else if ((state == In::String && c == '"') || (state == In::Char && c == '\'') || c == '\n') {
                if (state == In::String && i - stringStart > kShortString)
                    std::fill(out.begin() + static_cast<std::ptrdiff_t>(stringStart),
                              out.begin() + static_cast<std::ptrdiff_t>(i), ' ');
                state = In::Code;
            }
            break;
        }
    }
    return out;
}

const std::vector<std::regex>& compiledRules()
{
    static const std::vector<std::regex> compiled = [] {
        std::vector<std::regex> v;
        for (const Rule& rule : kRules)
            v.emplace_back(rule.pattern);
        return v;
    }();
    return compiled;
}

// Each finding once, at the line its statement's match starts on, in the order of the source.
std::vector<Finding> findWriters(const std::string& source)
{
    const std::string code = withoutComments(source);
    std::vector<Finding> found;
    std::size_t line = 1; // of the statement's first character
    for (std::size_t start = 0; start < code.size();) {
        std::size_t end = code.find_first_of(";{}", start);
        end = end == std::string::npos ? code.size() : end + 1;
        const std::string statement = code.substr(start, end - start);
        for (std::size_t r = 0; r < std::size(kRules); ++r) {
            std::smatch m;
            if (statement.find(kRules[r].hint) != std::string::npos &&
                std::regex_search(statement, m, compiledRules()[r])) {
                const auto at = static_cast<std::ptrdiff_t>(m.position(0));
                const auto before = std::count(statement.begin(), statement.begin() + at, '\n');
                found.push_back({line + static_cast<std::size_t>(before), kRules[r].name});
            }
        }
        line += static_cast<std::size_t>(std::count(statement.begin(), statement.end(), '\n'));
        start = end;
    }
    return found;
}

bool isSource(const fs::path& file)
{
    static const char* const kExtensions[] = {".cpp", ".cc", ".cxx", ".c", ".h", ".hpp", ".inl"};
    const std::string ext = file.extension().string();
    return std::any_of(std::begin(kExtensions), std::end(kExtensions),
                       [&](const char* e) { return ext == e; });
}

TEST(FileWriters, TheSearchFindsEveryKindOfWriterAndNothingElse)
{
    struct Case
    {
        const char* source;
        const char* rule; // "" when nothing is to be found
    };
    const Case cases[] = {
        {"QSaveFile out(pdf);", "QSaveFile"},
        {"std::ofstream(file) << text;", "ofstream"},
        {"std::ofstream out;", "ofstream"},
        {"std::fstream f(name, std::ios::out);", "fstream"},
        {"FILE* f = std::fopen(p.c_str(), \"wb\");", "fopen for writing"},
        {"FILE* f = fopen(name,\n    \"a\");", "fopen for writing"},
        {"FILE* f = fopen(name, \"r+\");", "fopen for writing"},
        {"int fd = ::open(path.c_str(), O_WRONLY | O_CREAT, 0600);", "open for writing"},
        {"int fd = open(path,\n  O_RDWR);", "open for writing"},
        {"posix_spawn_file_actions_addopen(&a, 1, f, O_WRONLY | O_TRUNC, 0600);", "open for writing"},
        {"int fd = openat(dir, name, O_APPEND);", "open for writing"},
        {"const int fd = ::mkstemp(scratch);", "temporary file"},
        {"fs::copy_file(from, to, ec);", "copy_file"},
        {"::chmod(path.c_str(), 0600);", "chmod"},
        {"::fchmod(fd, 0600);", "chmod"},
        {"fs::permissions(file, fs::perms::owner_read);", "permissions changed"},
        {"std::FILE* f = std::tmpfile();", "tmpfile"},
        {"::truncate(path, 0);", "truncate"},
        {"fs::resize_file(path, 0);", "resize_file"},
        {"std::filebuf buf;", "filebuf"},
        {"if (!out.open(QIODevice::WriteOnly))", "QIODevice opened for writing"},
        {"image.save(fileName, \"PNG\");", "picture saved to a file"},
        {"page.printToPdf(fileName);", "printToPdf to a file"},
        {"printer.setOutputFileName(pdf);", "QPrinter to a file"},
        {"QPdfWriter writer(fileName);", "QPdfWriter"},
        {"auto* w = new QPdfWriter(fileName);", "QPdfWriter"},
        // Reads, look-ups and words in comments or messages are not writes.
        {"FILE* f = std::fopen(p.c_str(), \"rb\");", ""},
        {"int fd = ::open(path, O_RDONLY | O_CLOEXEC);", ""},
        {"// QSaveFile would replace a symbolic link\nint x = 0;", ""},
        {"/* std::ofstream out; */", ""},
        {"throw Error(\"cannot open the file for writing with QSaveFile\");", ""},
        {"const char* s = R\"(std::ofstream f; ::chmod(p, 0))\";", ""},
        {"buffer.open(QBuffer::WriteOnly); pixmap.save(&buffer, \"PNG\");", ""},
        {"#include <QPdfWriter>\nQPdfWriter writer(&buffer);", ""},
        {"page.printToPdf(\n  [&](const QByteArray& result) {});", ""},
        {"doc.save(writer, \"  \", pugi::format_raw);", ""},
        {"std::ifstream in(file);", ""},
        {"#include <fstream>", ""},
        {"text.truncate(4); st.permissions();", ""},
        {"QFile::exists(name)", ""},
    };
    for (const Case& c : cases) {
        const std::vector<Finding> found = findWriters(c.source);
        if (*c.rule == '\0') {
            EXPECT_TRUE(found.empty()) << c.source << " -> " << (found.empty() ? "" : found[0].rule);
        } else {
            ASSERT_EQ(found.size(), 1u) << c.source;
            EXPECT_EQ(found[0].rule, c.rule) << c.source;
        }
    }
    // The line is the line the call starts on, past comments spanning lines.
    const std::vector<Finding> found = findWriters("/* one\n two */\nint a;\n  ::chmod(p, 0);\n");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].line, 4u);
}

TEST(FileWriters, OnlyBaseFileIOOpensAFileForWriting)
{
    const fs::path root = ZMK_SOURCE_DIR;
    std::vector<std::string> offenders;
    std::size_t looked = 0;
    for (const char* top : {"src", "tools"}) {
        for (const auto& entry : fs::recursive_directory_iterator(root / top)) {
            if (!entry.is_regular_file() || !isSource(entry.path()))
                continue;
            const std::string name = entry.path().lexically_relative(root).generic_string();
            if (name == "src/base/FileIO.cpp" || name == "src/base/FileIO.h")
                continue;
            ++looked;
            std::ifstream in(entry.path(), std::ios::binary);
            const std::string source{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            for (const Finding& f : findWriters(source))
                offenders.push_back(name + ":" + std::to_string(f.line) + ": " + f.rule);
        }
    }
    EXPECT_GT(looked, 100u) << "the sources were not found under " << root;
    std::string list;
    for (const std::string& o : offenders)
        list += "\n  " + o;
    EXPECT_TRUE(offenders.empty()) << "files written outside base/FileIO (use WriteFileAtomically):" << list;
}

} // namespace
} // namespace zmk
