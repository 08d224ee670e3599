#include "reports/ReportPage.h"
#include "reports/HtmlView.h"

#include "GifReader.h"
#include "PngReader.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>

namespace zmk {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::TempDir;

std::string readAll(const std::filesystem::path& p)
{
    std::string s;
    EXPECT_TRUE(ReadFileBytes(p, s)) << p;
    return s;
}

void writeAll(const std::filesystem::path& p, const std::string& bytes)
{
    std::ofstream(p, std::ios::binary) << bytes;
}

TEST(ReportPage, SavePageWritesLatin1WithCrLf)
{
    TempDir dir;
    TPageLines page;
    page.AddLine("<html>");
    page.AddLine("");
    page.AddLine("Température 25 °C, µ"); // Latin-1 characters keep their single byte
    page.AddLine("ΔT = 5 K → 日本");      // outside Latin-1: a character reference each
    page.AddLine("bad \xFF byte");        // not UTF-8 at all
    page.AddLine("two\nlines\r\nhere");   // inner breaks become CR LF too
    page.SavePage(dir / "ScreenReport.htm");
    EXPECT_EQ(readAll(dir / "ScreenReport.htm"), "<html>\r\n"
                                                 "\r\n"
                                                 "Temp\xE9rature 25 \xB0"
                                                 "C, \xB5\r\n"
                                                 "&#x394;T = 5 K &#x2192; &#x65E5;&#x672C;\r\n"
                                                 "bad ? byte\r\n"
                                                 "two\r\nlines\r\nhere\r\n");

    // Clearing and saving a shorter page leaves only the new page in the file.
    page.ClearPage();
    page.AddLine("second");
    page.SavePage(dir / "ScreenReport.htm");
    EXPECT_EQ(readAll(dir / "ScreenReport.htm"), "second\r\n");

    page.ClearPage();
    page.SavePage(dir / "empty.htm");
    EXPECT_EQ(readAll(dir / "empty.htm"), "");
}

TEST(ReportPage, PagesDeclareTheirEncodingOnce)
{
    const std::pair<std::string, std::string> cases[] = {
        {"<html>\r\n<head>\r\n<title>€</title>\r\n</head>\r\n",
         "<html>\r\n<head>\r\n<meta charset=\"iso-8859-1\">\r\n<title>&#x20AC;</title>\r\n</head>\r\n"},
        {"<HTML>\r\n<HEAD>\r\n</HEAD>\r\n",
         "<HTML>\r\n<HEAD>\r\n<meta charset=\"iso-8859-1\">\r\n</HEAD>\r\n"},
        // A page that declares its own encoding, or has no head line of its own, is left alone.
        {"<head>\r\n<meta charset=\"utf-8\">\r\n", "<head>\r\n<meta charset=\"utf-8\">\r\n"},
        {"<html><head><title>x</title></head>\r\n", "<html><head><title>x</title></head>\r\n"},
        {"<pre>no head</pre>\r\n", "<pre>no head</pre>\r\n"},
        {"<head>", "<head>\r\n<meta charset=\"iso-8859-1\">\r\n"},
    };
    for (const auto& [text, bytes] : cases) {
        EXPECT_EQ(PageBytes(text), bytes) << text;
        EXPECT_EQ(PageBytes(Latin1ToUtf8(PageBytes(text))), PageBytes(text)) << "saved twice: " << text;
    }
    // A page of the program: the Greek and Japanese of a project name survive on it.
    TempDir dir;
    TPageLines page;
    page.AddLines({"<html>", "<head>", "<title>Thermal Summary</title>", "</head>", "<body>",
                   "<p>" + HtmlEscape("Ψυκτικό 日本 €") + "</p>", "</body>", "</html>"});
    page.SavePage(dir / "page.htm");
    EXPECT_EQ(
        readAll(dir / "page.htm"),
        "<html>\r\n<head>\r\n<meta charset=\"iso-8859-1\">\r\n<title>Thermal Summary</title>\r\n</head>\r\n"
        "<body>\r\n<p>&#x3A8;&#x3C5;&#x3BA;&#x3C4;&#x3B9;&#x3BA;&#x3CC; &#x65E5;&#x672C; &#x20AC;</p>\r\n"
        "</body>\r\n</html>\r\n");
}

TEST(ReportPage, SaveIntoMissingFolderFailsWithFileName)
{
    TempDir dir;
    TPageLines page;
    page.AddLine("x");
    const auto target = dir / "no such folder" / "ScreenReport.htm";
    try {
        page.SavePage(target);
        FAIL() << "saving into a missing folder succeeded";
    } catch (const EReportFileError& e) {
        EXPECT_THAT(e.what(), HasSubstr("Cannot create file"));
        EXPECT_THAT(e.what(), HasSubstr(target.string()));
    }
}

TEST(ReportPage, UserFilesInEitherEncoding)
{
    EXPECT_EQ(ExternalTextToUtf8("25 \xB0"
                                 "C"),
              "25 °C");                               // Latin-1 file
    EXPECT_EQ(ExternalTextToUtf8("25 °C"), "25 °C");  // UTF-8 file
    EXPECT_EQ(ExternalTextToUtf8("caf\xE9"), "café"); // Latin-1 file
    EXPECT_EQ(ExternalTextToUtf8("\xEF\xBB\xBF"
                                 "café"),
              "café"); // UTF-8 file with a byte-order mark
}

TEST(ReportPage, HtmlEscapeReplacesMarkupCharacters)
{
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"Plain text 25 °C", "Plain text 25 °C"},
        {"<script>alert(\"x\")</script>", "&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt;"},
        {"A & B", "A &amp; B"},
        {"&amp;", "&amp;amp;"},
        {"it's", "it's"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(HtmlEscape(in), out) << in;
}

TEST(ReportPage, LetterheadFromFileOrDefault)
{
    TempDir dir;
    // Without the file: the five default lines.
    const auto defaults = LetterheadLines(dir.path());
    ASSERT_EQ(defaults.size(), 5u);
    for (const auto& line : defaults)
        EXPECT_THAT(line, ::testing::EndsWith("<br>"));
    EXPECT_THAT(defaults[2], ::testing::StartsWith("tel/fax: "));
    EXPECT_THAT(defaults[3], ::testing::StartsWith("email: "));
    EXPECT_THAT(defaults[4], ::testing::StartsWith("web: "));
    EXPECT_EQ(defaults, DefaultLetterheadLines());

    // Three lines, any line ends, no final line end; Latin-1 read as such.
    writeAll(dir / "Letterhead.txt", "Acme & Sons\r\nBox 7\nTown \xE9t\xE9");
    EXPECT_THAT(LetterheadLines(dir.path()), ElementsAre("Acme &amp; Sons<br>", "Box 7<br>", "Town été<br>"));

    // A final line end does not make a fourth line; an inner empty line stays.
    writeAll(dir / "Letterhead.txt", "a\r\n\r\nc\r\n");
    EXPECT_THAT(LetterheadLines(dir.path()), ElementsAre("a<br>", "<br>", "c<br>"));

    writeAll(dir / "Letterhead.txt", "");
    EXPECT_TRUE(LetterheadLines(dir.path()).empty());

    // The name is matched without regard to case.
    std::filesystem::remove(dir / "Letterhead.txt");
    writeAll(dir / "LETTERHEAD.TXT", "Upper\r\n");
    EXPECT_THAT(LetterheadLines(dir.path()), ElementsAre("Upper<br>"));
}

TEST(ReportPage, LetterheadIsPlainTextEscaped)
{
    TempDir dir;
    // Markup and script show as the text they are; every line keeps its own line.
    writeAll(dir / "Letterhead.txt", "<script>fetch('file:///etc/hostname')</script>\n"
                                     "<iframe src=\"file:///etc/passwd\"></iframe>\r\n"
                                     "<a href='https://example.com/'>Acme</a> & \"Sons\"\n"
                                     "Caf\xC3\xA9 \xE2\x86\x92 &amp;");
    const auto lines = LetterheadLines(dir.path());
    EXPECT_THAT(lines,
                ElementsAre("&lt;script&gt;fetch('file:///etc/hostname')&lt;/script&gt;<br>",
                            "&lt;iframe src=&quot;file:///etc/passwd&quot;&gt;&lt;/iframe&gt;<br>",
                            "&lt;a href='https://example.com/'&gt;Acme&lt;/a&gt; &amp; &quot;Sons&quot;<br>",
                            "Café → &amp;amp;<br>"));
    // In a saved page: Latin-1 bytes, the arrow as a character reference, no tag from the file.
    TPageLines page;
    page.AddLines(lines);
    page.SavePage(dir / "page.htm");
    const std::string bytes = readAll(dir / "page.htm");
    EXPECT_THAT(bytes, HasSubstr("Caf\xE9 &#x2192; &amp;amp;<br>\r\n"));
    EXPECT_EQ(bytes.find("<script"), std::string::npos);
    EXPECT_EQ(bytes.find("<iframe"), std::string::npos);
    EXPECT_EQ(bytes.find("<a "), std::string::npos);
}

TEST(ReportPage, LetterheadLogoLine)
{
    // Which lines name a picture: "logo:" in any case, blanks around, a plain picture file name.
    const struct
    {
        const char* line;
        const char* name;
    } cases[] = {
        {"logo: acme.png", "acme.png"},
        {"  LOGO:Acme Logo.GIF  ", "Acme Logo.GIF"},
        {"Logo:\tmark.jpeg", "mark.jpeg"},
        {"logo: mark.jpg", "mark.jpg"},
        {"logo: ../secret.png", ""}, // no folders
        {"logo: /etc/x.png", ""},    // no folders
        {"logo: sub\\x.png", ""},    // no folders, either way
        {"logo: notes.txt", ""},     // not a picture
        {"logo: .png", ""},          // no name
        {"logo:", ""},               // nothing
        {"our logo: acme.png", ""},  // not at the start
        {"logos: acme.png", ""},     // another word
        {"<img src=x.png>", ""},     // markup is text
    };
    for (const auto& c : cases)
        EXPECT_EQ(LetterheadLogoName(c.line), c.name) << c.line;

    TempDir dir;
    writeAll(dir / "Acme Logo.PNG", "picture");
    writeAll(dir / "Letterhead.txt",
             "logo: acme logo.png\r\nAcme Coils\r\nlogo: missing.png\r\nlogo: ../Acme Logo.PNG\r\n");
    // The file is found without regard to case and named as it is in the folder, as an
    // address relative to the page; a line naming no picture of the folder stays text.
    EXPECT_THAT(LetterheadLines(dir.path()),
                ElementsAre("<img src=\"Acme%20Logo.PNG\" alt=\"\"><br>", "Acme Coils<br>",
                            "logo: missing.png<br>", "logo: ../Acme Logo.PNG<br>"));
    EXPECT_THAT(LetterheadLogoFiles(dir.path()), ElementsAre("Acme Logo.PNG"));

    // A folder with the logo's name is not a picture.
    std::filesystem::create_directory(dir / "folder.png");
    writeAll(dir / "Letterhead.txt", "logo: folder.png");
    EXPECT_THAT(LetterheadLines(dir.path()), ElementsAre("logo: folder.png<br>"));
    EXPECT_TRUE(LetterheadLogoFiles(dir.path()).empty());
}

TEST(ReportPage, ImageListsAndFolders)
{
    TempDir dir;
    writeAll(dir / "coildrawing.png", "x");
    const std::string folder = dir.path().string();
    EXPECT_EQ(ImageList(dir.path(), {"ReportLogo.gif", "CoilDrawing.png"}),
              folder + "/ReportLogo.gif," + folder + "/coildrawing.png");
    EXPECT_THAT(SplitImageList("/a/ReportLogo.gif,/a/ga.png,,/a/profile.png"),
                ElementsAre("/a/ReportLogo.gif", "/a/ga.png", "/a/profile.png"));
    EXPECT_EQ(ReportFolderOf("/opt/Quorvane/ZMK"), std::filesystem::path("/opt/Quorvane/ZMK/Report/"));
    EXPECT_EQ((ReportFolderOf("/opt/Quorvane/ZMK") / "ga.png").string(), "/opt/Quorvane/ZMK/Report/ga.png");
}

TEST(HtmlView, ScreenPageStatusAndImageProtocol)
{
    TempDir dir;
    RecordingHtmlView view;
    TPageLines page;
    page.AddLines({"<html>", "<body>", "<pre id=\"status\">Not Solved...</pre>",
                   "<img id=\"pimage\" src=\"blank.png\" height=\"200\" width=\"200\">", "</body>",
                   "</html>"});
    const auto file = ShowScreenPage(page, dir.path(), view);
    EXPECT_EQ(file, dir / "ScreenReport.htm");
    EXPECT_THAT(view.calls, ElementsAre("clear", "load " + file.string()));
    EXPECT_EQ(view.DocumentFileName(), file);
    EXPECT_EQ(view.DocumentSource(), page.Text());

    ShowResultStatus(view, true);
    EXPECT_EQ(view.displayed.at("status"), false);
    ShowResultStatus(view, false);
    EXPECT_EQ(view.displayed.at("status"), true);
    view.ReplaceImage("pimage", {1, 2, 3});
    EXPECT_EQ(view.images.at("pimage"), (std::vector<std::uint8_t>{1, 2, 3}));

    // A page without those elements: hiding and replacing change nothing.
    page.ClearPage();
    page.AddLines({"<html>", "<body>", "<p>status</p>", "</body>", "</html>"});
    ShowScreenPage(page, dir.path(), view);
    ShowResultStatus(view, true);
    view.ReplaceImage("pimage", {1});
    EXPECT_TRUE(view.displayed.empty());
    EXPECT_TRUE(view.images.empty());
    EXPECT_EQ(readAll(dir / "ScreenReport.htm"),
              "<html>\r\n<body>\r\n<p>status</p>\r\n</body>\r\n</html>\r\n");
}

TEST(ReportPage, InstalledPicturesAndStyleSheets)
{
    // The build copies data/Report and data/Help into the program folder.
    const std::filesystem::path program = ZMK_BUILD_PROGRAM_DIR;
    const auto report = ReportFolderOf(program);
    for (const char* name : {reportfiles::Blank, reportfiles::GeneralArrangement, reportfiles::PsyChart,
                             reportfiles::CoilDrawing}) {
        std::string bytes;
        ASSERT_TRUE(ReadFileBytes(report / name, bytes)) << name;
        const auto png = testing::ReadPng(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
        EXPECT_GE(png.Image.Width(), 200) << name;
        EXPECT_GE(png.Image.Height(), 200) << name;
    }
    const auto blank = testing::ReadPng([&] {
        std::string b;
        ReadFileBytes(report / reportfiles::Blank, b);
        return std::vector<std::uint8_t>(b.begin(), b.end());
    }());
    EXPECT_EQ(blank.Image.Width(), 200);
    EXPECT_EQ(blank.Image.Height(), 200);

    std::string gif;
    ASSERT_TRUE(ReadFileBytes(report / reportfiles::Logo, gif));
    const auto logo = testing::ReadGif(std::vector<std::uint8_t>(gif.begin(), gif.end()));
    EXPECT_GT(logo.Width(), 100);

    for (const char* name : {reportfiles::Style, reportfiles::PrintStyle}) {
        std::string css;
        ASSERT_TRUE(ReadFileBytes(report / name, css)) << name;
        EXPECT_THAT(css, HasSubstr(".keeptogether")) << name;
    }
    EXPECT_THAT(readAll(report / reportfiles::PrintStyle), HasSubstr("page-break-inside: avoid"));

    // At least three pictures for the thermal summary of a job not yet solved.
    int pictures = 0;
    for (const auto& entry : std::filesystem::directory_iterator(program / "Help" / "Images")) {
        std::string bytes;
        ASSERT_TRUE(ReadFileBytes(entry.path(), bytes));
        EXPECT_NO_THROW(testing::ReadPng(std::vector<std::uint8_t>(bytes.begin(), bytes.end())))
            << entry.path();
        ++pictures;
    }
    EXPECT_GE(pictures, 3);
}

} // namespace
} // namespace zmk
