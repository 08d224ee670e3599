// zemtor report --pdf: the main report printed into a PDF file through the window program's
// headless print mode, and a clear refusal when that program is not installed.
#include "support/Zemtor.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>

namespace zmk {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

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
