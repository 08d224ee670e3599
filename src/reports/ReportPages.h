// The result pages of a job: the six on-screen views (thermal summary, manufacturing spec,
// diagnostic, circuit lacing, psychrometric chart, coil drawing), the main print report and the
// coil drawing report, each built as a page line list around the coil's own result sections and
// the geometry's manufacturing text. Also the pictures shown in place of the temperature
// profile while a job is not solved, and the steps that put the chosen view on screen.
//
// Every value goes through its registered quantity, so the pages follow the user's units.
// Texts that come from a project file, the catalogue, the settings or the letterhead file are
// HTML-escaped (the letterhead's one piece of markup is its logo line, see LetterheadLines).
#pragma once

#include "reports/HtmlView.h"
#include "reports/ReportPage.h"
#include "reports/TempProfile.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zmk {

class TLiquidCoil;

/// What the pages show of a job that is not solved: its inputs as the user committed them, in
/// stored units, and how the last solve of these inputs ended.
struct TReportInputs
{
    double FinHeight = 0;    ///< m
    double FinnedLength = 0; ///< m
    double Rows = 0;
    double FinDensity = 0; ///< fins per inch
    double Circuits = 0;
    double Altitude = 0;     ///< m
    double AirOn = 0;        ///< entering dry bulb, °C
    double HumidityOn = 0;   ///< entering moisture content, kg/kg
    double AirMassFlow = 0;  ///< kg/s
    double FaceVelocity = 0; ///< m/s
    bool Spray = false;
    std::string LiquidName;
    double LiquidIn = 0;             ///< liquid inlet temperature, °C
    bool TemperatureControl = false; ///< the liquid's temperature change is fixed, else its flow
    double LiquidDT = 0;             ///< K
    double LiquidFlow = 0;           ///< kg/s
    /// The coil already has this geometry: the pages of the geometry alone (manufacturing spec,
    /// circuit lacing, coil drawing) belong to the inputs, solved or not.
    bool GeometryCurrent = false;
    /// How the last solve of these inputs ended ("DataError", "Error") and why; both empty when
    /// none ran since they were committed.
    std::string Status;
    std::string Reason;
};

/// What the pages read of a job.
struct TReportJob
{
    TLiquidCoil* Coil = nullptr; ///< the coil, attached to its air states and liquid
    bool Solved = false;         ///< the job's solved flag
    std::string KindCode;        ///< "zmk", "hwc" or "cwc", any letter case
    std::string ProjectBlock;    ///< the project block of the printed report (the properties' ReportBlock)
    std::string Caption;         ///< the main window's caption ("Zemtor 0.1.0.0")
    std::filesystem::path ProgramFolder; ///< the program folder (images, circuit pictures)
    std::filesystem::path ReportFolder;  ///< where pages and their images are written
    std::string Picture; ///< the selected picture of the images folder (no folder); may be empty
    /// What the pages show while the job is not solved, in place of its results.
    TReportInputs Inputs;
};

/// The images folder of a program folder: "Help/Images/" in it.
std::filesystem::path ImagesFolderOf(const std::filesystem::path& programFolder);

/// The pictures of the images folder, shown by the thermal summary while the job is not solved,
/// and the current choice among them.
class TPictureList
{
public:
    /// The names of the .bmp, .png, .jpg, .gif and .wmf files (any letter case) directly in
    /// the folder, sorted by name without regard to case; none when it cannot be read.
    void Collect(const std::filesystem::path& imagesFolder);
    /// The collected names.
    const std::vector<std::string>& Names() const { return names_; }
    /// The index at start: whole days from 30 December 1899 to today modulo (count - 1).
    void StartFrom(int daysSince1899);
    /// The next picture (a double click on the view): index + 1 modulo (count - 1), so the last
    /// picture of the list is never shown.
    void Advance();
    /// The current index.
    std::size_t Index() const { return index_; }
    /// The current picture's name; with one picture that one, with none "".
    std::string Current() const;

private:
    std::size_t cycle() const;
    std::vector<std::string> names_;
    std::size_t index_ = 0;
};

/// Whole days from 30 December 1899 to today (local date).
int DaysSince1899();

/// The views of the main window, in the order of the View menu.
enum class TReportView {
    ThermalSummary,
    ManufacturingSpec,
    Diagnostic,
    CircuitLacing,
    PsyChart,
    CoilDrawing
};
/// The View menu's caption of a view ("Thermal summary").
std::string ReportViewCaption(TReportView view);

/// The path the circuit lacing page looks for, relative to the program folder:
/// "../Spirello/Images/<rows>r<tubes per circuit>t.png".
std::string CircuitPictureName(double rows, double tubesPerCircuit);

// Each page writer empties the list and writes the whole page into it. A page never shows a
// result of a job that is not solved: what the coil holds then is what an earlier solve (or a
// failed one, or a project file) left, and no result of the inputs. Such a job's result pages
// show its inputs instead, under a "status" line asking for a solve, with how its last solve
// ended; the pages of the geometry alone show it while the coil has the geometry of the inputs.
/// The thermal summary: the coil's summary, then the profile placeholder "pimage" when solved;
/// else the inputs, then the selected picture from the images folder (none when there is no
/// picture).
void ThermalSummaryPage(const TReportJob& job, TPageLines& page);
/// The manufacturing spec: the geometry's manufacturing report.
void ManufacturingSpecPage(const TReportJob& job, TPageLines& page);
/// The diagnostic page: the coil's diagnostic block.
void DiagnosticPage(const TReportJob& job, TPageLines& page);
/// The circuit lacing page. Copies the circuit picture, when the program folder's
/// "../Spirello/Images/" has one for these rows and tubes per circuit, over the report folder's
/// "circ.png"; a missing picture or a failed copy gives the "not installed" paragraphs.
void CircuitLacingPage(const TReportJob& job, TPageLines& page);
/// The psychrometric chart page: the picture and the air-on and air-off states.
void PsyChartPage(const TReportJob& job, TPageLines& page);
/// The coil drawing page.
void CoilDrawingPage(const TReportJob& job, TPageLines& page);
/// The inputs of a job that is not solved, as a page section: how its last solve ended, then the
/// coil, the entering air and the liquid in the user's units.
void NotSolvedInputLines(const TReportJob& job, std::vector<std::string>& lines);
/// The page of a view.
void BuildViewPage(TReportView view, const TReportJob& job, TPageLines& page);

/// The style rules of the main print report, one per line, written inside its <style> element.
const std::vector<std::string>& MainReportStyle();
/// The main print report's lines (the second page list: emptied first); a job that is not
/// solved shows its inputs in place of the results.
void MainReportPage(const TReportJob& job, TPageLines& page);
/// The coil drawing report's lines.
void CoilDrawingReportPage(const TReportJob& job, TPageLines& page);

/// Writes the main report as the report folder's "MainReport.htm"; returns the file. The
/// preview opens it with MainReportImages. Throws EReportFileError when it cannot be written.
std::filesystem::path WriteMainReport(const TReportJob& job, TPageLines& page);
/// The main report's image list: logo, general arrangement and profile.
std::string MainReportImages(const std::filesystem::path& reportFolder);
/// Writes the coil drawing report as the report folder's "CoilReport.htm"; returns the file.
std::filesystem::path WriteCoilDrawingReport(const TReportJob& job);
/// The coil drawing report's image list: logo and drawing.
std::string CoilDrawingReportImages(const std::filesystem::path& reportFolder);
/// The image list of a print preview of the page on screen: the logo, and the profile when
/// the job is solved.
std::string ScreenPreviewImages(const std::filesystem::path& reportFolder, bool solved);

/// Before a print preview of the page on screen: the view's document is written unchanged as
/// the report folder's "ScreenReport.htm" and loaded again; returns the file.
std::filesystem::path SaveScreenPreview(IHtmlView& view, const std::filesystem::path& reportFolder);

/// Rebuilds the chosen view: the thermal summary is always built and shown first, then the
/// chosen view in its place, each saved as "ScreenReport.htm"; then the "status" element is
/// shown only while the job is not solved. Throws EReportFileError when a page cannot be saved.
void RefreshReportView(TReportView view, const TReportJob& job, TPageLines& page, IHtmlView& htmlView);

/// The streams of the temperature profile of a coil, temperatures printed in the air
/// temperature's display unit ("380.0°C").
TProfileStreams CoilProfileStreams(TLiquidCoil& coil);

} // namespace zmk
