// The result pages: each view's skeleton around the coil's sections, the circuit picture, the
// psychrometric table in the user's units, the main and coil drawing reports, the pictures shown
// while a job is not solved, the view refresh, and user texts escaped.
#include "reports/ReportPages.h"

#include "engine/CoilJob.h"

#include "PngReader.h"
#include "app/ProjectProperties.h"
#include "base/NumText.h"
#include "engine/HeatExchanger.h"
#include "geometry/CoilMakers.h"
#include "platform/SettingsStore.h"
#include "reports/CoilReports.h"
#include "support/TempDir.h"
#include "units/ConvTools.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace zmk {

namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::Not;
using Lines = std::vector<std::string>;

// Placeholders for the two meta lines whose content is ours to choose.
const std::string kKeywords = "@keywords";
const std::string kAuthorLine = "@author";

// Compares a page with the expected lines; the placeholders match any keywords line with four
// keywords and any author line.
void ExpectPage(const Lines& actual, const Lines& expected)
{
    ASSERT_EQ(actual.size(), expected.size()) << ::testing::PrintToString(actual);
    for (std::size_t i = 0; i < actual.size(); ++i) {
        SCOPED_TRACE("line " + std::to_string(i));
        if (expected[i] == kKeywords) {
            EXPECT_TRUE(actual[i].starts_with("<meta name=\"keywords\" content=\"")) << actual[i];
            EXPECT_EQ(std::count(actual[i].begin(), actual[i].end(), ','), 3) << actual[i];
        } else if (expected[i] == kAuthorLine) {
            EXPECT_TRUE(actual[i].starts_with("<meta name=\"author\" content=\"")) << actual[i];
        } else {
            EXPECT_EQ(actual[i], expected[i]);
        }
    }
}

Lines Concat(std::initializer_list<Lines> parts)
{
    Lines out;
    for (const Lines& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

void Touch(const fs::path& file, const std::string& bytes = "x")
{
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
}

std::string Read(const fs::path& file)
{
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(file, bytes)) << file;
    return bytes;
}

std::vector<std::uint8_t> Bytes(const fs::path& file)
{
    const std::string bytes = Read(file);
    return {bytes.begin(), bytes.end()};
}

// A program folder in a scratch tree: <root>/Quorvane/ZMK/ with its Report/ and Help/Images/,
// and the catalogue copied from the source tree.
class ReportPages : public ::testing::Test
{
protected:
    void SetUp() override
    {
        program_ = dir_.path() / "Quorvane" / "ZMK" / "";
        fs::create_directories(ReportFolderOf(program_));
        fs::create_directories(ImagesFolderOf(program_));
        const auto catalogue = dir_ / "CoilMakers.xml";
        fs::copy_file(ZMK_SOURCE_DIR "/data/Common Files/CoilMakers.xml", catalogue);
        ProcessCoilMakers().Reset(catalogue.string());
        Quantities().ResetDefaults();
    }
    void TearDown() override
    {
        ProcessCoilMakers().Reset("");
        Quantities().ResetDefaults();
    }

    std::unique_ptr<test::Job> Build(const std::string& kind, bool solve = true)
    {
        auto job = test::BuildJob(test::Defaults(kind));
        if (solve) {
            EXPECT_EQ(job->coil->Solve(), TSolveStatus::None);
        }
        return job;
    }

    TReportJob ReportJob(test::Job& job, const std::string& kind, bool solved = true)
    {
        TReportJob r;
        r.Coil = job.coil.get();
        r.Solved = solved;
        r.KindCode = kind;
        r.Caption = "Zemtor 0.1.0.0";
        r.ProgramFolder = program_;
        r.ReportFolder = ReportFolderOf(program_);
        // The inputs the coil was built from, so the coil has their geometry.
        const TLiquidCoil& c = *job.coil;
        TReportInputs& in = r.Inputs;
        in.FinHeight = c.GetFinHeight();
        in.FinnedLength = c.GetFinnedLength();
        in.Rows = c.GetRows();
        in.FinDensity = c.GetFinDensity();
        in.Circuits = c.GetCircuits();
        in.AirOn = c.GetAirInDryBulb();
        in.HumidityOn = c.GetAirInMoisture();
        in.AirMassFlow = c.ma;
        in.FaceVelocity = c.Vf;
        in.LiquidName = job.liquid->GetName();
        in.LiquidIn = c.LiquidState->GetInletTemp();
        in.LiquidFlow = c.LiquidState->GetMassFlow();
        in.GeometryCurrent = true;
        return r;
    }

    testing::TempDir dir_;
    fs::path program_;
};

Lines ThermalSummary(TLiquidCoil& c)
{
    Lines l;
    WriteCoilThermalSummary(c, l);
    return l;
}

const Lines kThermalHead{"<html>",
                         "<head>",
                         "<meta name=\"description\" content=\"Thermal summary\" />",
                         kKeywords,
                         kAuthorLine,
                         "<title>Thermal Summary</title>",
                         "<style>",
                         "pre {margin:0}",
                         "#status {color:#ff0000}",
                         "pre {white-space:pre-wrap} img {max-width:100%; height:auto}",
                         "</style>",
                         "</head>",
                         "<body>"};
const Lines kEnd{"</body>", "</html>"};

const std::string kNotSolvedLine = "<pre id=\"status\">Not solved &mdash; press F9 to solve...</pre>";

// The page a view shows of a job that is not solved, around its input lines.
Lines NotSolvedPage(const std::string& caption, const TReportJob& r, const Lines& tail = {})
{
    Lines inputs;
    NotSolvedInputLines(r, inputs);
    return Concat({{"<html>", "<head>", "<meta name=\"description\" content=\"" + caption + "\" />",
                    kKeywords, kAuthorLine, "<title>" + caption + "</title>", "<style>", "pre {margin:0}",
                    "#status {color:#ff0000}", "pre {white-space:pre-wrap} img {max-width:100%; height:auto}",
                    "</style>", "</head>", "<body>", kNotSolvedLine},
                   inputs,
                   tail,
                   kEnd});
}

} // namespace

TEST_F(ReportPages, ThermalSummaryOfEachKindSolvedAndNot)
{
    for (const char* kind : {"zmk", "hwc", "cwc"}) {
        SCOPED_TRACE(kind);
        auto job = Build(kind);
        TReportJob r = ReportJob(*job, kind);
        TPageLines page;
        page.AddLine("left over from the page before");
        ThermalSummaryPage(r, page);
        const Lines body = ThermalSummary(*job->coil);
        ExpectPage(page.Lines(),
                   Concat({kThermalHead,
                           body,
                           {"<img id=\"pimage\" src=\"blank.png\" height=\"200\" width=\"200\">"},
                           kEnd}));

        // Not solved: the inputs in place of the coil's results, and the chosen picture of the
        // images folder in place of the profile.
        r.Solved = false;
        r.Picture = "heat-recovery.png";
        ThermalSummaryPage(r, page);
        const std::string picture = (ImagesFolderOf(program_) / "heat-recovery.png").string();
        ExpectPage(page.Lines(), NotSolvedPage("Thermal summary", r, {"<img src=\"" + picture + "\">"}));

        // No picture to show: the page simply ends.
        r.Picture.clear();
        ThermalSummaryPage(r, page);
        ExpectPage(page.Lines(), NotSolvedPage("Thermal summary", r));
    }
}

TEST_F(ReportPages, ManufacturingSpecAndDiagnostic)
{
    auto job = Build("zmk");
    const TReportJob r = ReportJob(*job, "zmk");
    TPageLines page;
    ManufacturingSpecPage(r, page);
    ExpectPage(page.Lines(), Concat({{"<html>", "<head>",
                                      "<meta name=\"description\" content=\"Coil Manufacturing summary\" />",
                                      kKeywords, kAuthorLine, "<style>", "</style>", "</head>", "<body>"},
                                     job->coil->Geometry->ManufacturingReport(),
                                     kEnd}));
    EXPECT_EQ(page.Lines()[10], "<b>Coil Manufacturing Report</b>");

    Lines diag;
    WriteCoilDiagnostics(*job->coil, diag);
    DiagnosticPage(r, page);
    ExpectPage(page.Lines(),
               Concat({{"<html>", "<head>", "<style>", "</style>", "</head>", "<body>"}, diag, kEnd}));
}

TEST_F(ReportPages, CircuitLacingWithAndWithoutThePicture)
{
    // 4 rows, 8 tubes high, 4 circuits: 32 tubes, 8 in each circuit.
    auto values = test::Defaults("hwc");
    values.fHeight = 8 * 0.0381;
    values.Circ = 4;
    auto job = test::BuildJob(values);
    TReportJob r = ReportJob(*job, "hwc", false);
    ASSERT_EQ(job->coil->Geometry->TubesHigh, 8);
    ASSERT_EQ(CircuitPictureName(4, 8), "../Spirello/Images/4r8t.png");

    const Lines head{"<html>",
                     "<head>",
                     "<style>",
                     "pre {font-size:10pt; color:#558532}",
                     "#circ {float:left}",
                     ".link {font-size:10pt; color:#b32922}",
                     "</style>",
                     "</head>",
                     "<body>",
                     "<h2>Coil Circuiting</h2>",
                     "<hr>",
                     "<p>Warning: This is not a specified circuiting drawing. ",
                     "It is ONLY a simple template based on the tube count and specified circuits.</p>",
                     "<pre>",
                     "Rows deep = 4",
                     "Tubes High = 8",
                     "Total tubes = 32",
                     "Circuits = 4",
                     "</pre>"};
    const Lines notInstalled{"<p>You have not installed the Quorvane Spirello program.</p>",
                             "<p>Get the download from the article below. ",
                             "This will show you a schematic of the circuiting.</p>", "<p>&nbsp;</p>"};
    const Lines tail{
        "<p>We try to make a repeating pattern with 8 tubes in each circuit. ",
        "Here is a sample to give you an idea...</p>",
        "<p>There are many practical considerations that are not included here. ",
        "For example: Hairpin bends, no crossovers, air locks, opposite side headers, unequal circuit "
        "counts and so forth.</p>",
        "<br clear=\"left\">",
        "<p>See this article for more detils...<br>"};

    // Without the circuiting program: the coil's own circuits, drawn into the report folder.
    const Lines drawn{
        "<img id=\"circ\" src=\"jobcircuits.png\">",
        "<p>The coil holds no lacing of its own: this is a standard serpentine derived from the "
        "rows, the tubes per row and the circuits, each circuit entering on the row nearer the "
        "leaving air.</p>"};
    TPageLines page;
    CircuitLacingPage(r, page);
    Lines lines = page.Lines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_THAT(lines[lines.size() - 3], ::testing::MatchesRegex("<span class=\"link\">.+</span></p>"));
    lines.erase(lines.end() - 3);
    ExpectPage(lines, Concat({head, drawn, tail, kEnd}));
    EXPECT_FALSE(fs::exists(r.ReportFolder / "circ.png"));
    const auto circuits = testing::ReadPng(Bytes(r.ReportFolder / "jobcircuits.png"));
    EXPECT_GE(circuits.Image.Width(), 420);

    // The circuiting program's picture beside the program folder is copied and shown.
    const fs::path picture = dir_.path() / "Quorvane" / "Spirello" / "Images" / "4r8t.png";
    Touch(picture, "circuit picture");
    Touch(r.ReportFolder / "circ.png", "an older picture");
    CircuitLacingPage(r, page);
    lines = page.Lines();
    lines.erase(lines.end() - 3);
    ExpectPage(lines, Concat({head, {"<img id=\"circ\" src=\"circ.png\">"}, tail, kEnd}));
    EXPECT_EQ(Read(r.ReportFolder / "circ.png"), "circuit picture");

    // A copy that fails (the report folder is gone) leaves the picture unavailable, silently.
    fs::remove_all(r.ReportFolder);
    EXPECT_NO_THROW(CircuitLacingPage(r, page));
    EXPECT_TRUE(std::find(page.Lines().begin(), page.Lines().end(), notInstalled[0]) != page.Lines().end());
}

TEST_F(ReportPages, CircuitCountsInTheGeneralFormat)
{
    EXPECT_EQ(CircuitPictureName(4, 0), "../Spirello/Images/4r0t.png");
    EXPECT_EQ(CircuitPictureName(3, 12), "../Spirello/Images/3r12t.png");

    struct Row
    {
        double height; // m
        double rows, circuits;
        const char* total;
        const char* perCircuit;
    };
    const Row rows[] = {
        {12 * 0.0381, 4, 4, "Total tubes = 48", "with 12 tubes in each circuit. "},
        {100 * 0.0381, 12, 100, "Total tubes = 1.2E003", "with 12 tubes in each circuit. "},
    };
    for (const Row& row : rows) {
        auto values = test::Defaults("hwc");
        values.fHeight = row.height;
        values.Rows = row.rows;
        values.Circ = row.circuits;
        auto job = test::BuildJob(values);
        TPageLines page;
        CircuitLacingPage(ReportJob(*job, "hwc", false), page);
        const Lines& l = page.Lines();
        EXPECT_TRUE(std::find(l.begin(), l.end(), row.total) != l.end()) << ::testing::PrintToString(l);
        EXPECT_TRUE(std::find(l.begin(), l.end(),
                              std::string("<p>We try to make a repeating pattern ") + row.perCircuit) !=
                    l.end());
    }
}

TEST_F(ReportPages, PsychrometricChartFollowsTheUnits)
{
    auto job = Build("cwc");
    const TReportJob r = ReportJob(*job, "cwc");
    const TAirState& in = job->in;
    const TAirState& out = job->out;
    TQuantities& q = Quantities();
    const Lines head{"<html>",
                     "<head>",
                     "<meta name=\"description\" content=\"Psychrometric Chart\" />",
                     kKeywords,
                     kAuthorLine,
                     "<style>",
                     "body {font-family:\"courier new\"}",
                     "table {border-collapse:collapse; border:0px none}",
                     "table caption {text-align:left; font-size:10pt; font-weight:bold; color:#8c8173}",
                     "th {text-align:left}",
                     "th, td {border:1px solid #c0ded6}",
                     "</style>",
                     "</head>",
                     "<body>",
                     "<h2>Psychrometric Chart</h2>",
                     "<hr>",
                     "<img src=\"psychart.svg\" style=\"width:100%; max-width:800px\">",
                     "<p>&nbsp;</p>",
                     "<table>"};
    auto v = [](UnitRec& u, double x) { return QuantityText(u, false, "", false, x); };
    auto rowsIn = [&](const std::string& t) {
        return Lines{
            "<tr><td>DB</td><td>" + v(q.air_t, in.db) + "</td><td>" + v(q.air_t, out.db) + "</td><td>" + t +
                "</td></tr>",
            "<tr><td>WB</td><td>" + v(q.air_t, in.wb) + "</td><td>" + v(q.air_t, out.wb) + "</td><td>" + t +
                "</td></tr>",
            "<tr><td>Ha</td><td>" + v(q.air_h, in.h) + "</td><td>" + v(q.air_h, out.h) +
                "</td><td>kJ/kg</td></tr>",
            "<tr><td>Wa</td><td>" + v(q.air_w, in.w) + "</td><td>" + v(q.air_w, out.w) +
                "</td><td>g/kg</td></tr>",
            "<tr><td>Td</td><td>" + v(q.air_t, in.dewpoint) + "</td><td>" + v(q.air_t, out.dewpoint) +
                "</td><td>" + t + "</td></tr>",
            "<tr><td>Rh</td><td>" + v(q.air_rh, in.rh) + "</td><td>" + v(q.air_rh, out.rh) +
                "</td><td>%</td></tr>",
        };
    };
    const Lines table{
        "<caption>Coil process (Pa=101.325 kPa)</caption>",
        "<tr><th width=\"100\">Variable</th><th width=\"70\">Inlet</th><th width=\"70\">Outlet</th><th "
        "width=\"80\">Units</th></tr>"};
    TPageLines page;
    PsyChartPage(r, page);
    ExpectPage(page.Lines(), Concat({head, table, rowsIn("°C"), {"</table>"}, kEnd}));
    EXPECT_EQ(page.Lines()[21],
              "<tr><td>DB</td><td>24.0</td><td>" + v(q.air_t, out.db) + "</td><td>°C</td></tr>");

    // Air temperatures in °F: the DB, WB and Td rows follow.
    q.air_t.display = 1;
    PsyChartPage(r, page);
    ExpectPage(page.Lines(), Concat({head, table, rowsIn("°F"), {"</table>"}, kEnd}));
    EXPECT_EQ(page.Lines()[21].substr(0, 26), "<tr><td>DB</td><td>75.2</t");
}

TEST_F(ReportPages, CoilDrawingPageAndReport)
{
    auto job = Build("zmk");
    const TReportJob r = ReportJob(*job, "zmk");
    const TFinAndTube& g = *job->coil->Geometry;
    TPageLines page;
    CoilDrawingPage(r, page);
    ExpectPage(page.Lines(),
               {"<html>", "<head>", kAuthorLine, "<title>Coil Drawing</title>", "</head>", "<body>",
                "<h2>Coil Drawing</h2>", "<img src=\"jobdrawing.png\" style=\"max-width:100%\">",
                "<p>&nbsp;</p>", "<p>1/2<br>", "typical: 1/2&quot; 33x38.1 (Cu/Al/GI)<br>",
                "533.4 x 1200  4r  10f  14c</p>", "<p>Fin height = 21.0 inch<br>",
                "Finned length = 1200 mm<br>", "Depth = 132 mm</p>", "</body>", "</html>"});
    ASSERT_DOUBLE_EQ(g.Rec.Sx * g.Rec.Rows, 0.132);
    // The job's own drawing beside the page.
    const auto drawing = testing::ReadPng(Bytes(r.ReportFolder / "jobdrawing.png"));
    EXPECT_EQ(drawing.Image.Width(), 900);
    EXPECT_EQ(drawing.Image.Height(), 600);

    Touch(r.ReportFolder / "Letterhead.txt", "Acme <b>Coils</b>\r\nSomewhere\r\n");
    const fs::path file = WriteCoilDrawingReport(r);
    EXPECT_EQ(file, r.ReportFolder / "CoilReport.htm");
    const std::string bytes = Read(file);
    Lines lines;
    for (std::size_t start = 0; start < bytes.size();) {
        const std::size_t end = bytes.find("\r\n", start);
        ASSERT_NE(end, std::string::npos) << "every line ends in CR LF";
        lines.push_back(Latin1ToUtf8(bytes.substr(start, end - start)));
        start = end + 2;
    }
    // The file declares its encoding right after the head line.
    ExpectPage(lines, {"<html>",
                       "<head>",
                       std::string(kPageCharsetLine),
                       "<meta name=\"description\" content=\"Coil drawing\" />",
                       kKeywords,
                       kAuthorLine,
                       "<title>Coil Drawing</title>",
                       "<link rel=\"stylesheet\" type=\"text/css\"  href=\"style.css\">",
                       "<link rel=\"stylesheet\" type=\"text/css\" media=\"print\" href=\"print.css\">",
                       "</head>",
                       "<body>",
                       "<div class=\"heading\">",
                       "<img src=\"ReportLogo.gif\" border=\"0\" align=\"right\">",
                       "<h1>Coil Drawing</h1>",
                       "</div>",
                       "<br clear=\"all\">",
                       "<div>",
                       "<p class=\"letterhead\" align=\"right\">",
                       "Acme &lt;b&gt;Coils&lt;/b&gt;<br>", // the user's letterhead, as plain text
                       "Somewhere<br>",
                       "</p>",
                       "</div>",
                       "<br clear=\"all\">",
                       "<hr class=\"header\">",
                       "<p class=\"projectdetail\">",
                       "</p>",
                       "<div class=\"keeptogether\" >",
                       "<p>&nbsp;</p>",
                       "<img src=\"jobdrawing.png\">",
                       "<p>&nbsp;</p>",
                       "<p>1/2<br>",
                       "typical: 1/2&quot; 33x38.1 (Cu/Al/GI)<br>",
                       "533.4 x 1200  4r  10f  14c</p>",
                       "<p>Fin height = 21.0 inch</p>",
                       "<p>Finned length = 1200 mm</p>",
                       "<p>Depth = 132 mm</p>",
                       "</div>",
                       "</body>",
                       "</html>"});

    EXPECT_EQ(CoilDrawingReportImages(r.ReportFolder), (r.ReportFolder / "ReportLogo.gif").string() + "," +
                                                           (r.ReportFolder / "jobdrawing.png").string());
}

TEST_F(ReportPages, MainReportOfEachKind)
{
    TMemorySettingsStore store;
    TProjectProperties properties(store, {"Jo Engineer", "Acme"});
    properties.Values().ProjectName = "Boiler <exhaust> & \"stack\"";
    properties.Values().ProjectNumber = "42";
    properties.Values().Comments = {"first line"};

    // The style sheet is the page's own; the test checks where it goes, not what it says.
    const Lines style = Concat({{"<style>"}, MainReportStyle(), {"</style>", "</head>", "<body>"}});
    ASSERT_FALSE(MainReportStyle().empty());
    const Lines head =
        Concat({{"<html>", "<head>", "<title>ZMK Main Report</title>",
                 "<meta name=\"description\" content=\"Thermal report\" />", kKeywords, kAuthorLine},
                style,
                {"<div id=\"letterhead\">"},
                DefaultLetterheadLines(),
                {"</div>", "<p>&nbsp;</p>", "<p>&nbsp;</p>",
                 "<div style=\"position:absolute;top:10px;left:450px;z-index:1\">",
                 "<img src=\"ReportLogo.gif\">", "</div>"}});
    const std::string project =
        "<p>Boiler &lt;exhaust&gt; &amp; &quot;stack&quot;<br>\r\n42<br>\r\nfirst line\r\n</p>";
    ASSERT_EQ(properties.ReportBlock(), project);

    struct Row
    {
        const char* kind;
        const char* code;
        const char* heading;
    };
    const Row rows[] = {
        {"zmk", "ZMK", "<h2 id=\"heading\">Zemtor - Report</h2>"},
        {"hwc", "hwc", "<h2 id=\"heading\">Hot Water Coil - Report</h2>"},
        {"cwc", "Cwc", "<h2 id=\"heading\">Chilled Water Coil - Report</h2>"},
        {"zmk", "xyz", nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.code);
        auto job = Build(row.kind);
        TReportJob r = ReportJob(*job, row.code);
        r.ProjectBlock = properties.ReportBlock();
        Lines body;
        WriteCoilReport(*job->coil, body);
        const Lines heading = row.heading ? Lines{row.heading} : Lines{};
        const Lines middle =
            Concat({{"<hr>", "<div id=\"project\">", project, "</div>", "<div class=\"txt\">"},
                    body,
                    {"</div>", "<div class=\"pic\">", "<img src=\"jobarrangement.png\">"}});
        const Lines foot{"<p>&nbsp;</p>", "<p>&nbsp;</p>", "<hr>",   "<p id=\"copyrite\">Zemtor 0.1.0.0<br>",
                         "...</p>",       "</body>",       "</html>"};

        TPageLines page;
        page.AddLine("left over");
        const fs::path file = WriteMainReport(r, page);
        EXPECT_EQ(file, r.ReportFolder / "MainReport.htm");
        ExpectPage(page.Lines(), Concat({head,
                                         heading,
                                         middle,
                                         {"<p>&nbsp;</p>", "<img class=\"profile\" src=\"profile.png\">",
                                          "</div>", "<br clear=\"all\">"},
                                         foot}));
        EXPECT_EQ(Read(file), PageBytes(page.Text()));

        // Not solved: the inputs in place of the results.
        r.Solved = false;
        MainReportPage(r, page);
        Lines inputs;
        NotSolvedInputLines(r, inputs);
        ExpectPage(page.Lines(),
                   Concat({head,
                           heading,
                           {"<hr>", "<div id=\"project\">", project, "</div>", "<div class=\"txt\">"},
                           inputs,
                           {"</div>", "<div class=\"pic\">", "<img src=\"jobarrangement.png\">"},
                           {"</div>", "<br clear=\"all\">"},
                           {"<p>&nbsp;</p>", "<p>Not solved...</p>"},
                           foot}));
    }
    const fs::path folder = ReportFolderOf(program_);
    EXPECT_EQ(MainReportImages(folder), (folder / "ReportLogo.gif").string() + "," +
                                            (folder / "jobarrangement.png").string() + "," +
                                            (folder / "profile.png").string());
    EXPECT_EQ(ScreenPreviewImages(folder, true),
              (folder / "ReportLogo.gif").string() + "," + (folder / "profile.png").string());
    EXPECT_EQ(ScreenPreviewImages(folder, false), (folder / "ReportLogo.gif").string());
}

TEST_F(ReportPages, CatalogueAndProjectTextsAreEscapedOnEveryPage)
{
    auto job = Build("hwc");
    TFinAndTube& g = *job->coil->Geometry;
    g.Rec.Mnf = "<i>Evil</i>";
    g.Rec.Model = "\"><script>x()</script>";
    TReportJob r = ReportJob(*job, "hwc", false);
    r.Caption = "Zemtor <1>";
    for (int v = 0; v <= static_cast<int>(TReportView::CoilDrawing); ++v) {
        TPageLines page;
        BuildViewPage(static_cast<TReportView>(v), r, page);
        SCOPED_TRACE(ReportViewCaption(static_cast<TReportView>(v)));
        EXPECT_THAT(page.Text(), Not(HasSubstr("<script>")));
        EXPECT_THAT(page.Text(), Not(HasSubstr("<i>Evil")));
    }
    TPageLines page;
    MainReportPage(r, page);
    EXPECT_THAT(page.Text(), Not(HasSubstr("<script>")));
    EXPECT_THAT(page.Text(), HasSubstr("Zemtor &lt;1&gt;<br>"));
    CoilDrawingReportPage(r, page);
    EXPECT_THAT(page.Text(), HasSubstr("&quot;&gt;&lt;script&gt;x()&lt;/script&gt;<br>"));
}

// A job that is not solved shows no result on any page: what its coil holds is what an earlier
// solve left there. Its result views show the inputs, with how its last solve ended; the views
// of the geometry alone show it while the coil has the geometry of the inputs.
TEST_F(ReportPages, NoPageShowsAResultOfAJobThatIsNotSolved)
{
    auto job = Build("zmk");
    TReportJob r = ReportJob(*job, "zmk", false);
    r.Inputs.AirOn = 412.5;
    r.Inputs.TemperatureControl = true;
    r.Inputs.LiquidDT = 37.5;
    r.Inputs.Status = "DataError";
    r.Inputs.Reason = "The liquid <oil> would leave hotter than the air entering...";
    // What the coil holds, which no page of this job may show.
    TPageLines solvedPage;
    TReportJob solved = r;
    solved.Solved = true;
    ThermalSummaryPage(solved, solvedPage);
    const std::string duty = FormatQuantity("Qt   = %s %s", Quantities().hex_duty, false, job->coil->Qt);
    ASSERT_THAT(solvedPage.Text(), HasSubstr(duty));

    struct Row
    {
        TReportView view;
        bool geometry; // a view of the geometry alone
    };
    const Row rows[] = {{TReportView::ThermalSummary, false}, {TReportView::ManufacturingSpec, true},
                        {TReportView::Diagnostic, false},     {TReportView::CircuitLacing, true},
                        {TReportView::PsyChart, false},       {TReportView::CoilDrawing, true}};
    for (const bool geometryCurrent : {false, true}) {
        r.Inputs.GeometryCurrent = geometryCurrent;
        for (const Row& row : rows) {
            SCOPED_TRACE(ReportViewCaption(row.view) + (geometryCurrent ? " (geometry current)" : ""));
            TPageLines page;
            BuildViewPage(row.view, r, page);
            const std::string text = page.Text();
            for (const char* result : {"Qt ", "Uo ", "Ntu ", "tfo ", "dbo ", "Ha</td>", "Outlet"})
                EXPECT_THAT(text, Not(HasSubstr(result)));
            EXPECT_THAT(text, Not(HasSubstr(duty)));
            if (row.geometry && geometryCurrent) {
                EXPECT_THAT(text, Not(HasSubstr(kNotSolvedLine)));
                continue;
            }
            EXPECT_THAT(text, HasSubstr(kNotSolvedLine));
            EXPECT_THAT(text, HasSubstr("<pre class=\"warn\">Solve Status DataError</pre>"));
            EXPECT_THAT(text, HasSubstr("<pre class=\"warn\">The liquid &lt;oil&gt; would leave hotter"));
            EXPECT_THAT(text, HasSubstr("dbi  = 412.5 °C"));
            EXPECT_THAT(text, HasSubstr("H    = 21.00 inch (fin height)"));
            EXPECT_THAT(text, HasSubstr("Shell Thermia B\r\ntfi  = 80.0 °C"));
            EXPECT_THAT(text, HasSubstr("dt   = 37.5 °C (temperature change fixed)"));
        }
    }

    // The printed reports: the main report shows the inputs, the drawing report the inputs while
    // the coil's geometry is not theirs.
    TPageLines page;
    MainReportPage(r, page);
    EXPECT_THAT(page.Text(), Not(HasSubstr("Duty")));
    EXPECT_THAT(page.Text(), HasSubstr("<b>Inputs</b>"));
    r.Inputs.GeometryCurrent = false;
    CoilDrawingReportPage(r, page);
    EXPECT_THAT(page.Text(), HasSubstr("<b>Inputs</b>"));
    EXPECT_THAT(page.Text(), Not(HasSubstr("Depth = ")));
    // Flow control: the flow is the fixed one.
    r.Inputs.TemperatureControl = false;
    Lines inputs;
    NotSolvedInputLines(r, inputs);
    EXPECT_THAT(inputs, ::testing::Contains("mw   = 1.2000 kg/s (flow fixed)"));
    // No solve of these inputs ran yet: nothing is said of one.
    r.Inputs.Status.clear();
    r.Inputs.Reason.clear();
    inputs.clear();
    NotSolvedInputLines(r, inputs);
    EXPECT_EQ(inputs.front(), "<pre>");
}

TEST_F(ReportPages, RefreshShowsTheThermalSummaryFirstThenTheChosenView)
{
    auto job = Build("zmk");
    const TReportJob r = ReportJob(*job, "zmk");
    const fs::path screen = r.ReportFolder / "ScreenReport.htm";
    TPageLines page;
    RecordingHtmlView view;
    RefreshReportView(TReportView::Diagnostic, r, page, view);
    EXPECT_THAT(view.calls, ElementsAreArray(Lines{"clear", "load " + screen.string(), "clear",
                                                   "load " + screen.string(), "display status 0"}));
    TPageLines diag;
    DiagnosticPage(r, diag);
    EXPECT_EQ(Read(screen), PageBytes(diag.Text())); // only the second page stays in the file
    EXPECT_EQ(view.DocumentFileName(), screen);

    // The chart view draws the job's own chart beside the page, where the page finds it.
    ASSERT_FALSE(fs::exists(r.ReportFolder / "psychart.svg"));
    RefreshReportView(TReportView::PsyChart, r, page, view);
    EXPECT_THAT(view.DocumentSource(), HasSubstr("<img src=\"psychart.svg\""));
    EXPECT_THAT(Read(r.ReportFolder / "psychart.svg"), HasSubstr("Psychrometric chart"));

    // A job that is not solved: its page carries the status line, which is shown.
    job->coil->Status = TSolveStatus::CountOut;
    TReportJob unsolved = r;
    unsolved.Solved = false;
    view.calls.clear();
    RefreshReportView(TReportView::ThermalSummary, unsolved, page, view);
    EXPECT_THAT(view.calls, ElementsAreArray(Lines{"clear", "load " + screen.string(), "display status 1"}));
    EXPECT_EQ(view.displayed.at("status"), true);
    EXPECT_THAT(view.DocumentSource(), HasSubstr(kNotSolvedLine));

    // The print preview of the page on screen saves what the view holds and loads it again.
    const std::string shown = view.DocumentSource();
    fs::remove(screen);
    view.calls.clear();
    EXPECT_EQ(SaveScreenPreview(view, r.ReportFolder), screen);
    EXPECT_EQ(Latin1ToUtf8(Read(screen)), shown);
    EXPECT_THAT(view.calls, ElementsAreArray(Lines{"clear", "load " + screen.string()}));
    EXPECT_EQ(view.DocumentSource(), shown);

    // A report folder that cannot be written is an error, not a silent empty view.
    TReportJob lost = r;
    lost.ReportFolder = dir_.path() / "missing" / "";
    EXPECT_THROW(RefreshReportView(TReportView::ThermalSummary, lost, page, view), EReportFileError);
}

TEST(PictureList, CollectsPicturesAndNeverShowsTheLast)
{
    testing::TempDir dir;
    for (int i = 0; i < 10; ++i)
        Touch(dir / ("p" + std::to_string(i) + (i % 2 ? ".PNG" : ".gif")));
    Touch(dir / "notes.txt");
    Touch(dir / "old.jpeg");
    fs::create_directories(dir / "sub.png");
    Touch(dir / "sub.png" / "inner.png");

    TPictureList list;
    list.Collect(dir.path());
    ASSERT_EQ(list.Names().size(), 10u);
    EXPECT_EQ(list.Names().front(), "p0.gif");
    EXPECT_EQ(list.Names().back(), "p9.PNG");

    list.StartFrom(45000); // 45000 mod 9 = 0
    EXPECT_EQ(list.Index(), 0u);
    std::vector<std::string> seen;
    for (int i = 0; i < 18; ++i) {
        seen.push_back(list.Current());
        list.Advance();
    }
    EXPECT_EQ(std::count(seen.begin(), seen.end(), "p9.PNG"), 0);
    EXPECT_EQ(seen[9], "p0.gif"); // the first nine repeat
    list.StartFrom(45004);
    EXPECT_EQ(list.Current(), "p4.gif");
    EXPECT_GT(DaysSince1899(), 45000); // after 2023

    // One picture is always the one; none gives no picture; a missing folder gives none.
    testing::TempDir one;
    Touch(one / "only.bmp");
    list.Collect(one.path());
    list.StartFrom(DaysSince1899());
    list.Advance();
    EXPECT_EQ(list.Current(), "only.bmp");
    list.Collect(one / "missing");
    EXPECT_TRUE(list.Names().empty());
    list.StartFrom(12345);
    list.Advance();
    EXPECT_EQ(list.Current(), "");
}

TEST_F(ReportPages, ProfileStreamsOfTheCoils)
{
    auto zmk = Build("zmk");
    const TProfileStreams s = CoilProfileStreams(*zmk->coil);
    EXPECT_EQ(s.HotName, "Hot Air"); // the heat recovery coil cools the air
    EXPECT_EQ(s.T1, 380);
    EXPECT_EQ(s.T1Text, "380°C");
    EXPECT_EQ(s.T3, 80);
    EXPECT_EQ(s.ColdName, zmk->liquid->GetShortName());

    auto hwc = Build("hwc");
    const TProfileStreams h = CoilProfileStreams(*hwc->coil);
    EXPECT_EQ(h.ColdName, "Cold Air");
    EXPECT_EQ(h.T1, 60);
    EXPECT_EQ(h.T3, 5);
    EXPECT_EQ(h.T3Text, "5.00°C");
}

} // namespace zmk
