// zemtor report --pdf: the main report printed into a PDF file through the window program's
// headless print mode, and a clear refusal when that program is not installed.
#include "support/Zemtor.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace zmk {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

#ifdef ZMK_HAVE_PDF_PRINTER
// A PPM picture (P6, 8-bit RGB) as pdftoppm writes it.
struct Ppm
{
    int width = 0, height = 0;
    std::string rgb;
};

bool readPpm(const std::string& bytes, Ppm& ppm)
{
    std::istringstream in(bytes);
    std::string magic;
    int maxValue = 0;
    in >> magic >> ppm.width >> ppm.height >> maxValue;
    in.get();
    if (magic != "P6" || maxValue != 255 || ppm.width <= 0 || ppm.height <= 0)
        return false;
    ppm.rgb = bytes.substr(static_cast<std::size_t>(in.tellg()));
    return ppm.rgb.size() == static_cast<std::size_t>(ppm.width) * ppm.height * 3;
}
#endif

TEST(ReportPdf, TheMainReportAsAPdfFile)
{
#ifndef ZMK_HAVE_PDF_PRINTER
    GTEST_SKIP() << "built without Qt WebEngine: no PDF printer";
#else
    if (std::system("command -v pdftoppm >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
    const test::ZemtorFolder folder;
    const fs::path pdf = folder / "report out.pdf";
    const test::ZemtorRun run = folder.Run("report --kind zmk --view thermal --out '" +
                                           (folder / "pages").string() + "' --pdf '" + pdf.string() + "'");
    ASSERT_EQ(run.rc, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("MainReport.htm\n"));
    EXPECT_THAT(run.out, HasSubstr(pdf.string()));
    const std::string bytes = test::ReadFileBytes(pdf);
    ASSERT_EQ(bytes.substr(0, 5), "%PDF-");

    // The first page as a picture: a white page with a good deal printed on it, in colour too
    // (the profile picture's curves and the logo).
    const fs::path picture = folder / "page";
    const std::string command =
        "pdftoppm -r 50 -f 1 -l 1 -singlefile '" + pdf.string() + "' '" + picture.string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    Ppm ppm;
    ASSERT_TRUE(readPpm(test::ReadFileBytes(picture.string() + ".ppm"), ppm));
    EXPECT_GT(ppm.height, ppm.width) << "portrait";
    long white = 0, dark = 0, inked = 0, coloured = 0;
    for (std::size_t i = 0; i + 2 < ppm.rgb.size(); i += 3) {
        const int r = static_cast<unsigned char>(ppm.rgb[i]), g = static_cast<unsigned char>(ppm.rgb[i + 1]),
                  b = static_cast<unsigned char>(ppm.rgb[i + 2]);
        white += r > 245 && g > 245 && b > 245;
        dark += r + g + b < 300;
        inked += std::min({r, g, b}) < 200;
        coloured += std::max({r, g, b}) - std::min({r, g, b}) > 80;
    }
    const long pixels = static_cast<long>(ppm.width) * ppm.height;
    EXPECT_GT(white, pixels / 2) << "mostly white paper";
    EXPECT_GT(inked, pixels / 100) << "text and pictures printed on it";
    EXPECT_GT(dark, pixels / 500) << "black text among them";
    EXPECT_GT(coloured, 50) << "pictures printed on it";

    // A PDF that cannot be written: the printer's reason, and exit status 1.
    const test::ZemtorRun refused = folder.Run("report --view main --out '" + (folder / "pages").string() +
                                               "' --pdf '" + (folder / "missing" / "r.pdf").string() + "'");
    EXPECT_EQ(refused.rc, 1);
    EXPECT_THAT(refused.err, HasSubstr("cannot write the PDF " + (folder / "missing" / "r.pdf").string()));
    EXPECT_THAT(refused.err, HasSubstr("No such file or directory"));
#endif
}

#ifdef ZMK_HAVE_PDF_PRINTER
// The text of a PDF file as pdftotext reads it; empty when it cannot.
std::string pdfText(const test::ZemtorFolder& folder, const fs::path& pdf)
{
    const fs::path text = folder / "pdf.txt";
    const std::string command = "pdftotext -layout '" + pdf.string() + "' '" + text.string() + "'";
    if (std::system(command.c_str()) != 0)
        return {};
    return test::ReadFileBytes(text);
}

std::string fileKind(const fs::path& path)
{
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0)
        return "missing";
    if (S_ISLNK(st.st_mode))
        return "link";
    if (S_ISCHR(st.st_mode))
        return "character device";
    if (S_ISFIFO(st.st_mode))
        return "fifo";
    return S_ISREG(st.st_mode) ? "file" : "other";
}
#endif

TEST(ReportPdf, TheTargetIsWrittenAsEveryFileOrRefused)
{
#ifndef ZMK_HAVE_PDF_PRINTER
    GTEST_SKIP() << "built without Qt WebEngine: no PDF printer";
#else
    const test::ZemtorFolder folder;
    const fs::path pages = folder / "pages";
    // A device node of our own where the system lets us make one (as root), the system's
    // otherwise: either way it must stay a device.
    const fs::path device = folder / "null-device";
    const bool ownDevice = ::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    const fs::path deviceTarget = ownDevice ? device : fs::path("/dev/null");
    fs::create_symlink(deviceTarget, folder / "to-device.pdf");
    ASSERT_EQ(::mkfifo((folder / "pipe.pdf").c_str(), 0600), 0);
    fs::create_symlink(folder / "pipe.pdf", folder / "to-pipe.pdf");
    fs::create_symlink(folder / "loop-b.pdf", folder / "loop-a.pdf");
    fs::create_symlink(folder / "loop-a.pdf", folder / "loop-b.pdf");
    {
        std::ofstream(folder / "read-only.pdf") << "keep me";
    }
    fs::permissions(folder / "read-only.pdf",
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    {
        std::ofstream(folder / "real.pdf") << "old";
    }
    fs::create_symlink("real.pdf", folder / "to-real.pdf");

    const struct
    {
        const char* target;
        const char* reason; // in the message; empty when the PDF is written
        fs::path checked;
        const char* kindAfter;
    } cases[] = {
        {"to-device.pdf", "it is a character device, not a regular file", deviceTarget, "character device"},
        {"pipe.pdf", "it is a named pipe (FIFO), not a regular file", folder / "pipe.pdf", "fifo"},
        {"to-pipe.pdf", "it is a named pipe (FIFO), not a regular file", folder / "pipe.pdf", "fifo"},
        {"loop-a.pdf", "Too many levels of symbolic links", folder / "loop-a.pdf", "link"},
        {"read-only.pdf", "it is read-only", folder / "read-only.pdf", "file"},
        {"to-real.pdf", "", folder / "real.pdf", "file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        const fs::path pdf = folder / c.target;
        // A pipe nobody reads must not hang the run: the time limit ends it if it does.
        const test::ZemtorRun run = folder.Run(
            "report --view main --out '" + pages.string() + "' --pdf '" + pdf.string() + "'", "timeout 240");
        EXPECT_EQ(fileKind(c.checked), c.kindAfter);
        if (*c.reason == 0) {
            EXPECT_EQ(run.rc, 0) << run.err;
            EXPECT_EQ(fileKind(pdf), "link") << "the link stays a link";
            EXPECT_EQ(test::ReadFileBytes(c.checked).substr(0, 5), "%PDF-");
            continue;
        }
        EXPECT_EQ(run.rc, 1) << run.err;
        EXPECT_THAT(run.err, HasSubstr("cannot write the PDF " + pdf.string()));
        EXPECT_THAT(run.err, HasSubstr(pdf.string() + "\": " + c.reason)) << "the file and the reason";
    }
    EXPECT_EQ(test::ReadFileBytes(folder / "read-only.pdf"), "keep me");
    EXPECT_EQ(fileKind(folder / "loop-b.pdf"), "link");
#endif
}

TEST(ReportPdf, NoScriptRunsAndNoOtherFileIsShownInThePdf)
{
#ifndef ZMK_HAVE_PDF_PRINTER
    GTEST_SKIP() << "built without Qt WebEngine: no PDF printer";
#else
    if (std::system("command -v pdftotext >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    const test::ZemtorFolder folder;
    {
        std::ofstream(folder / "secret.txt") << "SECRET-CONTENT-7731";
    }
    const std::string secret = "file://" + (folder / "secret.txt").string();
    // Script that would print a marker, and a frame of a file outside the page's folder.
    const std::string hostile = "<script>document.write('MARK' + 'ER-' + 'SCRIPT-RAN')</script>"
                                "<iframe src=\"" +
                                secret + "\"></iframe>";

    // The letterhead of zemtor report: shown as the text it is.
    const fs::path pages = folder / "pages";
    fs::create_directories(pages);
    {
        std::ofstream(pages / "Letterhead.txt") << "Acme Coils\r\n" << hostile << "\r\n";
    }
    const fs::path pdf = folder / "letterhead.pdf";
    const test::ZemtorRun run =
        folder.Run("report --view main --out '" + pages.string() + "' --pdf '" + pdf.string() + "'");
    ASSERT_EQ(run.rc, 0) << run.err;
    std::string text = pdfText(folder, pdf);
    EXPECT_THAT(text, HasSubstr("Acme Coils"));
    EXPECT_THAT(text, HasSubstr("document.write(")) << "the letterhead's text, as written";
    EXPECT_THAT(text, Not(HasSubstr("MARKER-SCRIPT-RAN")));
    EXPECT_THAT(text, Not(HasSubstr("SECRET-CONTENT")));

    // A page of the program's folder with the same markup in it: the printer runs no script
    // and shows no frame of another folder's file either.
    const fs::path page = pages / "hostile.htm";
    {
        std::ofstream(page) << "<html><body><p>Page text</p>" << hostile << "</body></html>";
    }
    const fs::path printer = fs::path(ZMK_ZEMTOR).parent_path() / "zmk_print_pdf";
    const fs::path direct = folder / "direct.pdf";
    const test::ZemtorRun printed = test::RunShell(
        "'" + printer.string() + "' --print-pdf '" + page.string() + "' '" + direct.string() + "' >/dev/null",
        folder / "printer-err.txt");
    ASSERT_EQ(printed.rc, 0) << printed.err;
    text = pdfText(folder, direct);
    EXPECT_THAT(text, HasSubstr("Page text"));
    EXPECT_THAT(text, Not(HasSubstr("MARKER-SCRIPT-RAN")));
    EXPECT_THAT(text, Not(HasSubstr("SECRET-CONTENT")));
#endif
}

TEST(ReportPdf, WithoutThePrinterProgram)
{
    // zemtor alone in a program folder of its own: the pages are written, the PDF is refused.
    const test::ZemtorFolder folder;
    const fs::path program = folder / "Quorvane" / "ZMK";
    fs::create_directories(program);
    fs::copy_file(ZMK_ZEMTOR, program / "zemtor");
    const std::string d = folder.path().string();
    const test::ZemtorRun run =
        test::RunShell("cd '" + d + "' && env HOME='" + d + "' XDG_DATA_HOME='" + d + "' ZMK_CONFIG_DIR='" +
                           d + "' ZMK_COMMON_DIR='" + d + "/common/' '" + (program / "zemtor").string() +
                           "' report --out '" + d + "/pages' --pdf '" + d + "/r.pdf'",
                       folder / "err.txt");
    EXPECT_EQ(run.rc, 1);
    EXPECT_THAT(run.err, HasSubstr("cannot write the PDF: the window program that prints it (zmk) is not "
                                   "installed in " +
                                   program.string()));
    EXPECT_FALSE(fs::exists(folder / "r.pdf"));
    EXPECT_TRUE(fs::exists(folder / "pages" / "MainReport.htm"));
}

} // namespace
} // namespace zmk
