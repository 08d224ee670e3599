// Runs the built zemtor program's report command, and opens its main report in headless Chromium
// (when it is installed) to see that the page renders with its pictures.
#include "support/Zemtor.h"
#include <gmock/gmock.h>

#include <gtest/gtest.h>

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace zmk {

namespace fs = std::filesystem;

namespace {

using ::testing::HasSubstr;

using Result = test::ZemtorRun;
using test::RunShell;

std::string Read(const fs::path& file)
{
    return test::ReadFileBytes(file);
}

// A scratch folder with its own settings, units file and copy of the catalogue, so that the
// program touches nothing of the build tree's data or the user's home.
class ReportCommand : public ::testing::Test
{
protected:
    void SetUp() override { out_ = dir_ / "out"; }

    Result Zemtor(const std::string& args) const { return folder_.Run(args); }

    test::ZemtorFolder folder_;
    const fs::path& dir_ = folder_.path();
    fs::path out_;
};

// The relative picture and style sheet references of a page.
std::vector<std::string> References(const std::string& page)
{
    static const std::regex ref(R"re((?:src|href)="([^"]+)")re", std::regex::icase);
    std::vector<std::string> out;
    for (std::sregex_iterator it(page.begin(), page.end(), ref), end; it != end; ++it)
        out.push_back((*it)[1]);
    return out;
}

// A PNG file's size and pixels (8-bit RGB or RGBA, as a browser writes its screenshots), after
// checking every chunk's CRC and every row's filter byte.
struct Picture
{
    std::uint32_t width = 0, height = 0;
    std::vector<std::uint8_t> rgb; // 3 bytes a pixel
};

std::uint32_t U32(const std::uint8_t* p)
{
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

Picture DecodePng(const std::string& file)
{
    const std::string s = Read(file);
    const std::vector<std::uint8_t> b(s.begin(), s.end());
    static const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (b.size() < 8 || !std::equal(signature, signature + 8, b.begin()))
        throw std::runtime_error("not a PNG file");
    Picture pic;
    int channels = 0;
    std::vector<std::uint8_t> idat;
    bool ended = false;
    for (std::size_t at = 8; at + 12 <= b.size() && !ended;) {
        const std::uint32_t len = U32(&b[at]);
        if (at + 12 + len > b.size())
            throw std::runtime_error("truncated chunk");
        const std::string type(b.begin() + at + 4, b.begin() + at + 8);
        if (crc32(crc32(0L, Z_NULL, 0), &b[at + 4], len + 4) != U32(&b[at + 8 + len]))
            throw std::runtime_error("bad CRC in " + type);
        const std::uint8_t* d = &b[at + 8];
        if (type == "IHDR") {
            pic.width = U32(d);
            pic.height = U32(d + 4);
            if (d[8] != 8 || (d[9] != 2 && d[9] != 6) || d[12] != 0)
                throw std::runtime_error("unexpected PNG format");
            channels = d[9] == 2 ? 3 : 4;
        } else if (type == "IDAT") {
            idat.insert(idat.end(), d, d + len);
        } else if (type == "IEND") {
            ended = true;
        }
        at += 12 + len;
    }
    if (!ended || channels == 0 || pic.width == 0 || pic.height == 0)
        throw std::runtime_error("missing IHDR, IDAT or IEND");
    const std::size_t stride = std::size_t(pic.width) * channels;
    std::vector<std::uint8_t> raw((stride + 1) * pic.height);
    uLongf size = static_cast<uLongf>(raw.size());
    if (uncompress(raw.data(), &size, idat.data(), static_cast<uLong>(idat.size())) != Z_OK ||
        size != raw.size())
        throw std::runtime_error("image data does not inflate to the image size");
    std::vector<std::uint8_t> prior(stride, 0), row(stride);
    for (std::uint32_t y = 0; y < pic.height; ++y) {
        const std::uint8_t* line = &raw[y * (stride + 1)];
        if (line[0] > 4)
            throw std::runtime_error("bad filter byte");
        for (std::size_t i = 0; i < stride; ++i) {
            const int a = i >= std::size_t(channels) ? row[i - channels] : 0, up = prior[i],
                      c = i >= std::size_t(channels) ? prior[i - channels] : 0;
            int pred = 0;
            if (line[0] == 1)
                pred = a;
            else if (line[0] == 2)
                pred = up;
            else if (line[0] == 3)
                pred = (a + up) / 2;
            else if (line[0] == 4) {
                const int p = a + up - c, pa = std::abs(p - a), pb = std::abs(p - up), pc = std::abs(p - c);
                pred = (pa <= pb && pa <= pc) ? a : (pb <= pc ? up : c);
            }
            row[i] = static_cast<std::uint8_t>(line[1 + i] + pred);
        }
        for (std::uint32_t x = 0; x < pic.width; ++x)
            pic.rgb.insert(pic.rgb.end(), row.begin() + x * channels, row.begin() + x * channels + 3);
        prior = row;
    }
    return pic;
}

const char* const kChromium = "/usr/bin/chromium";

std::string ChromiumCommand(const fs::path& profile)
{
    return std::string("timeout 120 ") + kChromium +
           " --headless --no-sandbox --disable-gpu --disable-background-networking "
           "--disable-component-update "
           "--disable-sync --no-first-run --user-data-dir='" +
           profile.string() + "'";
}

} // namespace

TEST_F(ReportCommand, WritesTheChosenPagesWithTheirPictures)
{
    const Result r = Zemtor("report --view main --view thermal --view lacing --out '" + out_.string() + "'");
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out, (out_ / "thermal.htm").string() + "\n" + (out_ / "lacing.htm").string() + "\n" +
                         (out_ / "MainReport.htm").string() + "\n");

    // Every picture and style sheet the pages name is in the folder beside them.
    for (const char* name : {"MainReport.htm", "thermal.htm", "lacing.htm"}) {
        SCOPED_TRACE(name);
        const std::string page = Read(out_ / name);
        EXPECT_TRUE(page.starts_with("<html>\r\n")) << page.substr(0, 20);
        for (const std::string& ref : References(page))
            EXPECT_TRUE(fs::is_regular_file(out_ / ref)) << ref;
    }
    const std::string main = Read(out_ / "MainReport.htm");
    EXPECT_THAT(main, HasSubstr("<h2 id=\"heading\">Zemtor - Report</h2>\r\n"));
    EXPECT_THAT(main, HasSubstr("<img class=\"profile\" src=\"profile.png\">\r\n"));
    EXPECT_THAT(main, HasSubstr("<tr><td>On Coil</td><td>380\t\xB0"
                                "C</td></tr>\r\n")); // Latin-1 degree sign
    // The thermal summary shows the profile where the window would put it.
    EXPECT_THAT(Read(out_ / "thermal.htm"), HasSubstr("<img id=\"pimage\" src=\"thermal-pimage.png\""));
    EXPECT_TRUE(fs::is_regular_file(out_ / "profile.png"));
    EXPECT_FALSE(fs::exists(out_ / "CoilReport.htm"));
}

TEST_F(ReportCommand, TheInstalledLetterheadComesWithItsLogo)
{
    // zemtor in a program folder of its own, whose report folder holds a letterhead with a logo.
    const fs::path program = dir_ / "Quorvane" / "ZMK";
    fs::create_directories(program / "Report");
    fs::copy_file(ZMK_ZEMTOR, program / "zemtor");
    std::ofstream(program / "Report" / "Letterhead.txt") << "logo: Acme.png\r\nAcme <Coils>\r\n";
    std::ofstream(program / "Report" / "Acme.png") << "picture";
    const std::string d = dir_.string();
    const Result r =
        RunShell("cd '" + d + "' && env HOME='" + d + "' XDG_DATA_HOME='" + d + "' ZMK_CONFIG_DIR='" + d +
                     "' ZMK_COMMON_DIR='" + d + "/common/' '" + (program / "zemtor").string() +
                     "' report --view main --out '" + out_.string() + "'",
                 dir_ / "err.txt");
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(Read(out_ / "Acme.png"), "picture");
    const std::string main = Read(out_ / "MainReport.htm");
    EXPECT_THAT(main, HasSubstr("<div id=\"letterhead\">\r\n<img src=\"Acme.png\" alt=\"\"><br>\r\n"
                                "Acme &lt;Coils&gt;<br>\r\n</div>"));
}

TEST_F(ReportCommand, KindsAndWrongArguments)
{
    const Result cwc = Zemtor("report --kind cwc --view main --out '" + out_.string() + "'");
    ASSERT_EQ(cwc.rc, 0) << cwc.err;
    EXPECT_THAT(Read(out_ / "MainReport.htm"), HasSubstr("Chilled Water Coil - Report"));

    const Result all = Zemtor("report --kind hwc --set edOnCoil=10 --out '" + out_.string() + "'");
    ASSERT_EQ(all.rc, 0) << all.err;
    for (const char* name : {"thermal.htm", "spec.htm", "diag.htm", "lacing.htm", "psy.htm", "drawing.htm",
                             "MainReport.htm", "CoilReport.htm"})
        EXPECT_TRUE(fs::is_regular_file(out_ / name)) << name;
    // The chart page shows the job's own chart, drawn beside it (and as PNG for mail).
    EXPECT_THAT(Read(out_ / "psy.htm"), HasSubstr("<img src=\"psychart.svg\""));
    EXPECT_THAT(Read(out_ / "psychart.svg"), HasSubstr(">In 10.0 \xC2\xB0"));
    EXPECT_GT(Read(out_ / "psychart.png").size(), 1000u);
    EXPECT_THAT(Read(out_ / "MainReport.htm"), HasSubstr("<tr><td>On Coil</td><td>10.0 \xB0"
                                                         "C</td></tr>"));

    EXPECT_NE(Zemtor("report --view nosuch --out '" + out_.string() + "'").rc, 0);
    const Result kind = Zemtor("report --kind abc --out '" + out_.string() + "'");
    EXPECT_EQ(kind.rc, 1);
    EXPECT_THAT(kind.err, HasSubstr("--kind expects zmk, hwc or cwc"));
    Result blocked = Zemtor("report --view main --out '" + (out_ / "MainReport.htm" / "x").string() + "'");
    EXPECT_EQ(blocked.rc, 1) << "a folder that cannot be made is an error";
}

TEST_F(ReportCommand, MainReportRendersInChromiumWithItsPictures)
{
    if (!fs::exists(kChromium))
        GTEST_SKIP() << "Chromium is not installed";
    const Result r = Zemtor("report --view main --out '" + out_.string() + "'");
    ASSERT_EQ(r.rc, 0) << r.err;

    // The picture sizes as the browser loaded them, read back from the page's DOM.
    std::string page = Read(out_ / "MainReport.htm");
    const std::string probe =
        "<script>window.addEventListener(\"load\",function(){var o=[];for(var i of document.images)"
        "o.push(i.getAttribute(\"src\")+\"=\"+i.naturalWidth+\"x\"+i.naturalHeight);"
        "document.body.setAttribute(\"data-images\",o.join(\";\"));});</script>\r\n";
    page.insert(page.rfind("</body>"), probe);
    std::ofstream(out_ / "probe.htm", std::ios::binary) << page;
    const Result dom = RunShell(ChromiumCommand(dir_ / "profile-dom") + " --dump-dom 'file://" +
                                    (out_ / "probe.htm").string() + "'",
                                dir_ / "chromium-dom.txt");
    ASSERT_EQ(dom.rc, 0) << dom.err;
    EXPECT_THAT(
        dom.out,
        HasSubstr("data-images=\"ReportLogo.gif=180x60;jobarrangement.png=400x380;profile.png=200x200\""))
        << dom.out;

    // A screenshot: a valid PNG of the window size, mostly white, with text, pictures and the
    // profile's red hot-stream line on it.
    const fs::path shot = dir_ / "shot.png";
    const Result s =
        RunShell(ChromiumCommand(dir_ / "profile-shot") + " --screenshot='" + shot.string() +
                     "' --window-size=1000,1400 'file://" + (out_ / "MainReport.htm").string() + "'",
                 dir_ / "chromium-shot.txt");
    ASSERT_EQ(s.rc, 0) << s.err;
    Picture pic;
    ASSERT_NO_THROW(pic = DecodePng(shot.string()));
    EXPECT_EQ(pic.width, 1000u);
    EXPECT_EQ(pic.height, 1400u);
    std::size_t white = 0, red = 0;
    std::set<std::uint32_t> colours;
    for (std::size_t i = 0; i + 2 < pic.rgb.size(); i += 3) {
        const int r8 = pic.rgb[i], g8 = pic.rgb[i + 1], b8 = pic.rgb[i + 2];
        white += r8 > 250 && g8 > 250 && b8 > 250;
        red += r8 > 200 && g8 < 80 && b8 < 80;
        colours.insert((std::uint32_t(r8) << 16) | (g8 << 8) | b8);
    }
    const std::size_t pixels = std::size_t(pic.width) * pic.height;
    EXPECT_GT(white, pixels / 2);
    EXPECT_LT(white, pixels - pixels / 50) << "the page is blank";
    EXPECT_GT(red, 100u) << "no profile line";
    EXPECT_GT(colours.size(), 50u);
}

} // namespace zmk
