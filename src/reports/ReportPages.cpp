#include "reports/ReportPages.h"

#include "base/FileIO.h"

#include "base/NumText.h"
#include "base/TextHelpers.h"
#include "engine/HeatExchanger.h"
#include "reports/CoilReports.h"
#include "reports/JobPictures.h"
#include "reports/PsyChartPicture.h"
#include "units/ConvTools.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <system_error>

namespace zmk {

namespace {

// The meta lines every page carries: what the page is, its subject and who wrote it.
std::string description(std::string_view text)
{
    return "<meta name=\"description\" content=\"" + std::string(text) + "\" />";
}

std::string keywords(std::string_view words)
{
    return "<meta name=\"keywords\" content=\"" + std::string(words) + "\">";
}

const char* const kAuthor = "<meta name=\"author\" content=\"Quorvane ZMK coil rating\">";

TLiquidCoil& coilOf(const TReportJob& job)
{
    if (!job.Coil)
        throw ZmkError("Report", "The report has no coil to show");
    return *job.Coil;
}

TFinAndTube& geometryOf(const TReportJob& job)
{
    TLiquidCoil& c = coilOf(job);
    if (!c.Geometry)
        throw ZmkError("Report", "The report's coil has no geometry");
    return *c.Geometry;
}

const TAirState& airOf(const TAirState* state)
{
    if (!state)
        throw ZmkError("Report", "The report's coil is not attached to its air states");
    return *state;
}

void addAll(TPageLines& page, std::initializer_list<const char*> lines)
{
    for (const char* line : lines)
        page.AddLine(line);
}

bool isPictureName(const std::string& name)
{
    const std::string l = LowerCase(name);
    for (const char* ext : {".bmp", ".png", ".jpg", ".gif", ".wmf"}) {
        const std::string_view e(ext);
        if (l.size() > e.size() && l.compare(l.size() - e.size(), e.size(), e) == 0)
            return true;
    }
    return false;
}

// The name, the description and the size text of the coil's tube-and-fin pattern: the
// catalogue model's name, its tube line and the coil's model text.
struct PatternTexts
{
    std::string Name;
    std::string Description;
    std::string ModelText;
};

PatternTexts patternTexts(const TReportJob& job)
{
    TLiquidCoil& c = coilOf(job);
    const TFinAndTube& g = geometryOf(job);
    return {HtmlEscape(g.Rec.Model), HtmlEscape(g.TubeLine()), HtmlEscape(c.GetModel())};
}

// ---- a job that is not solved ----------------------------------------------------------------

// Asks for a solve; shown only while the job is not solved (ShowResultStatus).
const char* const kNotSolvedLine = "<pre id=\"status\">Not solved &mdash; press F9 to solve...</pre>";

// The pages of the geometry alone belong to the inputs while the coil has their geometry.
bool geometryShown(const TReportJob& job)
{
    return job.Solved || job.Inputs.GeometryCurrent;
}

// The picture the thermal summary ends with while the job is not solved.
void addNotSolvedPicture(const TReportJob& job, TPageLines& page)
{
    if (job.Picture.empty())
        return;
    const std::string src = (ImagesFolderOf(job.ProgramFolder) / job.Picture).string();
    page.AddLine("<img src=\"" + HtmlEscape(src) + "\">");
}

// A view of a job that is not solved, in place of its results: the status line, then the inputs.
void notSolvedPage(TReportView view, const TReportJob& job, TPageLines& page)
{
    const std::string caption = ReportViewCaption(view);
    page.ClearPage();
    page.AddLine("<html>");
    page.AddLine("<head>");
    page.AddLine(description(caption));
    page.AddLine(keywords("coil, inputs, not solved, solve"));
    page.AddLine(kAuthor);
    page.AddLine("<title>" + caption + "</title>");
    addAll(page, {"<style>", "pre {margin:0}", "#status {color:#ff0000}",
                  "pre {white-space:pre-wrap} img {max-width:100%; height:auto}", "</style>", "</head>",
                  "<body>", kNotSolvedLine});
    std::vector<std::string> lines;
    NotSolvedInputLines(job, lines);
    page.AddLines(lines);
    if (view == TReportView::ThermalSummary)
        addNotSolvedPicture(job, page);
    addAll(page, {"</body>", "</html>"});
}

} // namespace

void NotSolvedInputLines(const TReportJob& job, std::vector<std::string>& lines)
{
    const TReportInputs& in = job.Inputs;
    TQuantities& q = Quantities();
    auto value = [&lines](std::string_view fmt, UnitRec& quantity, double v) {
        lines.push_back(FormatQuantity(fmt, quantity, true, v)); // as precise as its field
    };
    if (!in.Status.empty()) {
        lines.push_back("<pre class=\"warn\">Solve Status " + HtmlEscape(in.Status) + "</pre>");
        if (!in.Reason.empty())
            lines.push_back("<pre class=\"warn\">" + HtmlEscape(in.Reason) + "</pre>");
    }
    lines.emplace_back("<pre>");
    lines.emplace_back("<b>Inputs</b>");
    value("H    = %s %s (fin height)", q.fat_height, in.FinHeight);
    value("L    = %s %s (finned length)", q.fat_length, in.FinnedLength);
    lines.push_back(Format("rows = %0.4g", in.Rows));
    value("fins = %s %s", q.fat_fin_spacing, in.FinDensity);
    lines.push_back(Format("C    = %0.4g (circuits)", in.Circuits));
    lines.emplace_back("");
    lines.emplace_back("Air on");
    value("alt  = %s %s (altitude)", q.place_altitude, in.Altitude);
    value("dbi  = %s %s", q.air_t, in.AirOn);
    value("wai  = %s %s", q.air_w, in.HumidityOn);
    value("ma   = %s %s", q.air_mass_flow, in.AirMassFlow);
    value("vf   = %s %s (face velocity)", q.air_v, in.FaceVelocity);
    if (in.Spray)
        lines.emplace_back("Recirculating water spray");
    lines.emplace_back("");
    lines.push_back(HtmlEscape(in.LiquidName));
    value("tfi  = %s %s", q.liquid_t, in.LiquidIn);
    if (in.TemperatureControl)
        value("dt   = %s %s (temperature change fixed)", q.liquid_dt, in.LiquidDT);
    else
        value("mw   = %s %s (flow fixed)", q.liquid_mass_flow, in.LiquidFlow);
    lines.emplace_back("</pre>");
}

std::filesystem::path ImagesFolderOf(const std::filesystem::path& programFolder)
{
    return programFolder / "Help" / "Images" / "";
}

// ---- pictures -------------------------------------------------------------------------------

void TPictureList::Collect(const std::filesystem::path& imagesFolder)
{
    names_.clear();
    index_ = 0;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(imagesFolder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code fileEc;
        if (!it->is_regular_file(fileEc))
            continue;
        const std::string name = it->path().filename().string();
        if (isPictureName(name))
            names_.push_back(name);
    }
    std::sort(names_.begin(), names_.end(), [](const std::string& a, const std::string& b) {
        const std::string la = LowerCase(a), lb = LowerCase(b);
        return la != lb ? la < lb : a < b;
    });
}

std::size_t TPictureList::cycle() const
{
    // The last picture is never chosen; with fewer than two pictures the first is the only one.
    return names_.size() > 1 ? names_.size() - 1 : 1;
}

void TPictureList::StartFrom(int daysSince1899)
{
    const long long n = static_cast<long long>(cycle());
    index_ = static_cast<std::size_t>(((daysSince1899 % n) + n) % n);
}

void TPictureList::Advance()
{
    index_ = (index_ + 1) % cycle();
}

std::string TPictureList::Current() const
{
    return index_ < names_.size() ? names_[index_] : std::string();
}

int DaysSince1899()
{
    using namespace std::chrono;
    const CalendarDate d = Today();
    const sys_days today = year_month_day{year{d.year}, month{static_cast<unsigned>(d.month)},
                                          day{static_cast<unsigned>(d.day)}};
    const sys_days epoch = year_month_day{year{1899}, December, day{30}};
    return static_cast<int>((today - epoch).count());
}

std::string ReportViewCaption(TReportView view)
{
    switch (view) {
    case TReportView::ThermalSummary:
        return "Thermal summary";
    case TReportView::ManufacturingSpec:
        return "Manufacturing spec";
    case TReportView::Diagnostic:
        return "Diagnostic";
    case TReportView::CircuitLacing:
        return "Circuit lacing";
    case TReportView::PsyChart:
        return "Psychrometric chart";
    case TReportView::CoilDrawing:
        return "Coil Drawing";
    }
    return {};
}

std::string CircuitPictureName(double rows, double tubesPerCircuit)
{
    return Format("../Spirello/Images/%0.0fr%0.0ft.png", rows, tubesPerCircuit);
}

// ---- the on-screen pages --------------------------------------------------------------------

void ThermalSummaryPage(const TReportJob& job, TPageLines& page)
{
    if (!job.Solved)
        return notSolvedPage(TReportView::ThermalSummary, job, page);
    TLiquidCoil& c = coilOf(job);
    page.ClearPage();
    page.AddLine("<html>");
    page.AddLine("<head>");
    page.AddLine(description("Thermal summary"));
    page.AddLine(keywords("coil, thermal, summary, duty"));
    page.AddLine(kAuthor);
    addAll(page,
           {"<title>Thermal Summary</title>", "<style>", "pre {margin:0}", "#status {color:#ff0000}",
            // Every line wraps at the view's width instead of scrolling.
            "pre {white-space:pre-wrap} img {max-width:100%; height:auto}", "</style>", "</head>", "<body>"});
    std::vector<std::string> lines;
    WriteCoilThermalSummary(c, lines);
    page.AddLines(lines);
    page.AddLine("<img id=\"pimage\" src=\"blank.png\" height=\"200\" width=\"200\">");
    addAll(page, {"</body>", "</html>"});
}

void ManufacturingSpecPage(const TReportJob& job, TPageLines& page)
{
    if (!geometryShown(job))
        return notSolvedPage(TReportView::ManufacturingSpec, job, page);
    TFinAndTube& g = geometryOf(job);
    page.ClearPage();
    page.AddLine("<html>");
    page.AddLine("<head>");
    page.AddLine(description("Coil Manufacturing summary"));
    page.AddLine(keywords("coil, manufacturing, fins, tubes"));
    page.AddLine(kAuthor);
    addAll(page, {"<style>", "</style>", "</head>", "<body>"});
    page.AddLines(g.ManufacturingReport());
    addAll(page, {"</body>", "</html>"});
}

void DiagnosticPage(const TReportJob& job, TPageLines& page)
{
    if (!job.Solved)
        return notSolvedPage(TReportView::Diagnostic, job, page);
    TLiquidCoil& c = coilOf(job);
    page.ClearPage();
    addAll(page, {"<html>", "<head>", "<style>", "</style>", "</head>", "<body>"});
    std::vector<std::string> lines;
    WriteCoilDiagnostics(c, lines);
    page.AddLines(lines);
    addAll(page, {"</body>", "</html>"});
}

void CircuitLacingPage(const TReportJob& job, TPageLines& page)
{
    if (!geometryShown(job))
        return notSolvedPage(TReportView::CircuitLacing, job, page);
    const TFinAndTube& g = geometryOf(job);
    const double rows = g.Rec.Rows;
    const double circuits = g.Rec.Circ;
    const double tubesPerCircuit = circuits == 0 ? 0 : g.TubeCount / circuits;

    // The circuiting program installs its pictures beside this program; copy the one that fits.
    bool available = false;
    {
        std::error_code ec;
        const std::filesystem::path picture = job.ProgramFolder / CircuitPictureName(rows, tubesPerCircuit);
        if (std::filesystem::is_regular_file(picture, ec)) {
            try {
                CopyFileAtomically(picture, job.ReportFolder / reportfiles::Circuit, kMaxReportAssetSize);
                available = true;
            } catch (const EFileError&) {
                available = false;
            }
        }
    }

    page.ClearPage();
    addAll(page,
           {"<html>", "<head>", "<style>", "pre {font-size:10pt; color:#558532}", "#circ {float:left}",
            ".link {font-size:10pt; color:#b32922}", "</style>", "</head>", "<body>",
            "<h2>Coil Circuiting</h2>", "<hr>", "<p>Warning: This is not a specified circuiting drawing. ",
            "It is ONLY a simple template based on the tube count and specified circuits.</p>", "<pre>"});
    page.AddLine(Format("Rows deep = %0.3g", rows));
    page.AddLine(Format("Tubes High = %d", g.TubesHigh));
    page.AddLine(Format("Total tubes = %0.3g", g.TubeCount));
    page.AddLine(Format("Circuits = %0.3g", circuits));
    page.AddLine("</pre>");
    if (available) {
        page.AddLine("<img id=\"circ\" src=\"circ.png\">");
    } else if (WriteJobCircuitPicture(job)) {
        page.AddLine(std::string("<img id=\"circ\" src=\"") + reportfiles::JobCircuits + "\">");
        page.AddLine("<p>The coil holds no lacing of its own: this is a standard serpentine derived from "
                     "the rows, the tubes per row and the circuits, each circuit entering on the row "
                     "nearer the leaving air.</p>");
    } else {
        addAll(page, {"<p>You have not installed the Quorvane Spirello program.</p>",
                      "<p>Get the download from the article below. ",
                      "This will show you a schematic of the circuiting.</p>", "<p>&nbsp;</p>"});
    }
    page.AddLine(
        Format("<p>We try to make a repeating pattern with %0.1g tubes in each circuit. ", tubesPerCircuit));
    addAll(page,
           {"Here is a sample to give you an idea...</p>",
            "<p>There are many practical considerations that are not included here. ",
            "For example: Hairpin bends, no crossovers, air locks, opposite side headers, unequal circuit "
            "counts and so forth.</p>",
            "<br clear=\"left\">", "<p>See this article for more detils...<br>",
            "<span class=\"link\">https://www.quorvane.example/articles/coil-circuiting</span></p>",
            "</body>", "</html>"});
}

void PsyChartPage(const TReportJob& job, TPageLines& page)
{
    if (!job.Solved)
        return notSolvedPage(TReportView::PsyChart, job, page);
    TLiquidCoil& c = coilOf(job);
    const TAirState& in = airOf(c.AirIn);
    const TAirState& out = airOf(c.AirOut);
    TQuantities& q = Quantities();
    page.ClearPage();
    page.AddLine("<html>");
    page.AddLine("<head>");
    page.AddLine(description("Psychrometric Chart"));
    page.AddLine(keywords("psychrometric, chart, air, process"));
    page.AddLine(kAuthor);
    addAll(page, {"<style>", "body {font-family:\"courier new\"}",
                  "table {border-collapse:collapse; border:0px none}",
                  "table caption {text-align:left; font-size:10pt; font-weight:bold; color:#8c8173}",
                  "th {text-align:left}", "th, td {border:1px solid #c0ded6}", "</style>", "</head>",
                  "<body>", "<h2>Psychrometric Chart</h2>", "<hr>",
                  "<img src=\"psychart.svg\" style=\"width:100%; max-width:800px\">", "<p>&nbsp;</p>", "<table>"});
    page.AddLine(
        FormatQuantity("<caption>Coil process (Pa=%s %s)</caption>", q.place_barom_pressure, false, in.P));
    page.AddLine(
        "<tr><th width=\"100\">Variable</th><th width=\"70\">Inlet</th><th width=\"70\">Outlet</th><th "
        "width=\"80\">Units</th></tr>");
    auto row = [&](const char* name, UnitRec& quantity, double inlet, double outlet) {
        const std::string a = QuantityText(quantity, false, "", false, inlet);
        const std::string b = QuantityText(quantity, false, "", false, outlet);
        page.AddLine(Format(std::string("<tr><td>") + name + "</td><td>%s</td><td>%s</td><td>%s</td></tr>", a,
                            b, quantity.label));
    };
    row("DB", q.air_t, in.db, out.db);
    row("WB", q.air_t, in.wb, out.wb);
    row("Ha", q.air_h, in.h, out.h);
    row("Wa", q.air_w, in.w, out.w);
    row("Td", q.air_t, in.dewpoint, out.dewpoint);
    row("Rh", q.air_rh, in.rh, out.rh);
    addAll(page, {"</table>", "</body>", "</html>"});
}

void CoilDrawingPage(const TReportJob& job, TPageLines& page)
{
    if (!geometryShown(job))
        return notSolvedPage(TReportView::CoilDrawing, job, page);
    const TFinAndTube& g = geometryOf(job);
    const PatternTexts t = patternTexts(job);
    TQuantities& q = Quantities();
    page.ClearPage();
    page.AddLine("<html>");
    page.AddLine("<head>");
    page.AddLine(kAuthor);
    addAll(page, {"<title>Coil Drawing</title>", "</head>", "<body>", "<h2>Coil Drawing</h2>"});
    const std::string drawing = WriteJobDrawing(job, reportfiles::JobDrawing, kJobDrawingWidth,
                                                kJobDrawingHeight, reportfiles::CoilDrawing);
    page.AddLine(drawing == reportfiles::JobDrawing ? "<img src=\"" + drawing + "\" style=\"max-width:100%\">"
                                                    : "<img src=\"" + drawing + "\" width=\"350\">");
    page.AddLine("<p>&nbsp;</p>");
    page.AddLine(Format("<p>%s<br>", t.Name));
    page.AddLine(Format("%s<br>", t.Description));
    page.AddLine(Format("%s</p>", t.ModelText));
    page.AddLine(FormatQuantity("<p>Fin height = %s %s<br>", q.fat_height, false, g.Rec.fHeight));
    page.AddLine(FormatQuantity("Finned length = %s %s<br>", q.fat_length, false, g.Rec.fLength));
    page.AddLine(FormatQuantity("Depth = %s %s</p>", q.fat_depth, false, g.Rec.Sx * g.Rec.Rows));
    addAll(page, {"</body>", "</html>"});
}

void BuildViewPage(TReportView view, const TReportJob& job, TPageLines& page)
{
    switch (view) {
    case TReportView::ThermalSummary:
        return ThermalSummaryPage(job, page);
    case TReportView::ManufacturingSpec:
        return ManufacturingSpecPage(job, page);
    case TReportView::Diagnostic:
        return DiagnosticPage(job, page);
    case TReportView::CircuitLacing:
        return CircuitLacingPage(job, page);
    case TReportView::PsyChart:
        return PsyChartPage(job, page);
    case TReportView::CoilDrawing:
        return CoilDrawingPage(job, page);
    }
}

// ---- the printed reports --------------------------------------------------------------------

const std::vector<std::string>& MainReportStyle()
{
    static const std::vector<std::string> style{
        "body {font-family:\"trebuchet ms\"}",
        "h2, h3, p {margin:1 1}",
        "h2 {font-size:14pt; font-weight:bold; color:#777}",
        "h3 {font-size:12pt; font-weight:bold; color:#999}",
        "p {font-size:11pt}",
        "table {font-size:10pt; border-collapse:collapse; border:0}",
        "th,td {border:1px solid #eee}",
        "th {text-align:left}",
        "hr {color:#fff;border:1px solid #fff;height:1px;border-bottom:1px solid #eee}",
        ".txt {width:290px; float:left}",
        ".pic {float:left}",
        ".profile {margin-top:20px; margin-left:50px}",
        "#project {color:#aaa}",
        "#heading {text-align:center}",
        "#letterhead {font-size:8pt;color:#444; margin-left:20px}",
        "#copyrite {font-size:8pt; color:#aaa; text-align:center}",
    };
    return style;
}

void MainReportPage(const TReportJob& job, TPageLines& page)
{
    TLiquidCoil& c = coilOf(job);
    page.ClearPage();
    addAll(page, {"<html>", "<head>", "<title>ZMK Main Report</title>"});
    page.AddLine(description("Thermal report"));
    page.AddLine(keywords("coil, thermal, report, rating"));
    page.AddLine(kAuthor);
    page.AddLine("<style>");
    page.AddLines(MainReportStyle());
    addAll(page, {"</style>", "</head>", "<body>", "<div id=\"letterhead\">"});
    page.AddLines(LetterheadLines(job.ReportFolder));
    addAll(page, {"</div>", "<p>&nbsp;</p>", "<p>&nbsp;</p>",
                  "<div style=\"position:absolute;top:10px;left:450px;z-index:1\">",
                  "<img src=\"ReportLogo.gif\">", "</div>"});
    const std::string kind = LowerCase(job.KindCode);
    if (kind == "cwc")
        page.AddLine("<h2 id=\"heading\">Chilled Water Coil - Report</h2>");
    else if (kind == "hwc")
        page.AddLine("<h2 id=\"heading\">Hot Water Coil - Report</h2>");
    else if (kind == "zmk")
        page.AddLine("<h2 id=\"heading\">Zemtor - Report</h2>");
    addAll(page, {"<hr>", "<div id=\"project\">"});
    page.AddLine(job.ProjectBlock);
    addAll(page, {"</div>", "<div class=\"txt\">"});
    std::vector<std::string> lines;
    if (job.Solved)
        WriteCoilReport(c, lines);
    else
        NotSolvedInputLines(job, lines);
    page.AddLines(lines);
    const std::string arrangement =
        geometryShown(job) ? WriteJobDrawing(job, reportfiles::JobArrangement, kJobArrangementWidth,
                                             kJobArrangementHeight, reportfiles::GeneralArrangement)
                           : reportfiles::GeneralArrangement;
    addAll(page, {"</div>", "<div class=\"pic\">"});
    page.AddLine("<img src=\"" + arrangement + "\">");
    if (job.Solved)
        addAll(page, {"<p>&nbsp;</p>", "<img class=\"profile\" src=\"profile.png\">"});
    addAll(page, {"</div>", "<br clear=\"all\">"});
    if (!job.Solved)
        addAll(page, {"<p>&nbsp;</p>", "<p>Not solved...</p>"});
    addAll(page, {"<p>&nbsp;</p>", "<p>&nbsp;</p>", "<hr>"});
    page.AddLine("<p id=\"copyrite\">" + HtmlEscape(job.Caption) + "<br>");
    addAll(page, {"...</p>", "</body>", "</html>"});
}

void CoilDrawingReportPage(const TReportJob& job, TPageLines& page)
{
    const TFinAndTube& g = geometryOf(job);
    const PatternTexts t = patternTexts(job);
    TQuantities& q = Quantities();
    page.ClearPage();
    page.AddLine("<html>");
    page.AddLine("<head>");
    page.AddLine(description("Coil drawing"));
    page.AddLine(keywords("coil, drawing, fins, dimensions"));
    page.AddLine(kAuthor);
    addAll(page,
           {"<title>Coil Drawing</title>", "<link rel=\"stylesheet\" type=\"text/css\"  href=\"style.css\">",
            "<link rel=\"stylesheet\" type=\"text/css\" media=\"print\" href=\"print.css\">", "</head>",
            "<body>", "<div class=\"heading\">", "<img src=\"ReportLogo.gif\" border=\"0\" align=\"right\">",
            "<h1>Coil Drawing</h1>", "</div>", "<br clear=\"all\">", "<div>",
            "<p class=\"letterhead\" align=\"right\">"});
    page.AddLines(LetterheadLines(job.ReportFolder));
    const std::string drawing = geometryShown(job)
                                    ? WriteJobDrawing(job, reportfiles::JobDrawing, kJobDrawingWidth,
                                                      kJobDrawingHeight, reportfiles::CoilDrawing)
                                    : reportfiles::CoilDrawing;
    addAll(page, {"</p>", "</div>", "<br clear=\"all\">", "<hr class=\"header\">",
                  "<p class=\"projectdetail\">", "</p>", "<div class=\"keeptogether\" >", "<p>&nbsp;</p>"});
    page.AddLine("<img src=\"" + drawing + "\">");
    page.AddLine("<p>&nbsp;</p>");
    if (!geometryShown(job)) {
        // The coil's geometry is not yet the one entered: the inputs, until a solve applies them.
        std::vector<std::string> lines;
        NotSolvedInputLines(job, lines);
        page.AddLines(lines);
        addAll(page, {"<p>Not solved...</p>", "</div>", "</body>", "</html>"});
        return;
    }
    page.AddLine("<p>" + t.Name + "<br>");
    page.AddLine(t.Description + "<br>");
    page.AddLine(t.ModelText + "</p>");
    page.AddLine(FormatQuantity("<p>Fin height = %s %s</p>", q.fat_height, false, g.Rec.fHeight));
    page.AddLine(FormatQuantity("<p>Finned length = %s %s</p>", q.fat_length, false, g.Rec.fLength));
    page.AddLine(FormatQuantity("<p>Depth = %s %s</p>", q.fat_depth, false, g.Rec.Sx * g.Rec.Rows));
    addAll(page, {"</div>", "</body>", "</html>"});
}

std::filesystem::path WriteMainReport(const TReportJob& job, TPageLines& page)
{
    MainReportPage(job, page);
    const auto file = job.ReportFolder / reportfiles::MainReport;
    page.SavePage(file);
    return file;
}

std::string MainReportImages(const std::filesystem::path& reportFolder)
{
    return ImageList(reportFolder, {reportfiles::Logo, reportfiles::JobArrangement, reportfiles::Profile});
}

std::filesystem::path WriteCoilDrawingReport(const TReportJob& job)
{
    TPageLines page;
    CoilDrawingReportPage(job, page);
    const auto file = job.ReportFolder / reportfiles::CoilReport;
    page.SavePage(file);
    return file;
}

std::string CoilDrawingReportImages(const std::filesystem::path& reportFolder)
{
    return ImageList(reportFolder, {reportfiles::Logo, reportfiles::JobDrawing});
}

std::string ScreenPreviewImages(const std::filesystem::path& reportFolder, bool solved)
{
    if (solved)
        return ImageList(reportFolder, {reportfiles::Logo, reportfiles::Profile});
    return ImageList(reportFolder, {reportfiles::Logo});
}

// ---- the view -------------------------------------------------------------------------------

std::filesystem::path SaveScreenPreview(IHtmlView& view, const std::filesystem::path& reportFolder)
{
    const auto file = reportFolder / reportfiles::ScreenReport;
    WriteFileText(file, PageBytes(view.DocumentSource()));
    ShowPage(view, file);
    return file;
}

void RefreshReportView(TReportView view, const TReportJob& job, TPageLines& page, IHtmlView& htmlView)
{
    ThermalSummaryPage(job, page);
    ShowScreenPage(page, job.ReportFolder, htmlView);
    if (view != TReportView::ThermalSummary) {
        if (view == TReportView::PsyChart)
            WritePsyChartPictures(job, nullptr);
        BuildViewPage(view, job, page);
        ShowScreenPage(page, job.ReportFolder, htmlView);
    }
    ShowResultStatus(htmlView, job.Solved);
}

TProfileStreams CoilProfileStreams(TLiquidCoil& coil)
{
    const TAirState& in = airOf(coil.AirIn);
    const TAirState& out = airOf(coil.AirOut);
    if (!coil.LiquidState || !coil.LiquidState->Liquid)
        throw ZmkError("CoilProfileStreams", "The coil has no liquid to draw");
    const TLiquidState& ls = *coil.LiquidState;
    UnitRec& t = Quantities().air_t;
    return ProfileStreams(coil.AirCooling == kAirCooling, in.db, out.db, ls.GetInletTemp(),
                          ls.GetLeavingTemp(), ls.Liquid->GetShortName(),
                          [&t](double v) { return FormatQuantity("%s%s", t, false, v); });
}

} // namespace zmk
