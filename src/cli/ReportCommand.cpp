// zemtor report: rates the default job of a coil kind (inputs changed with --set, as for solve)
// and writes the chosen result pages with their pictures and style sheets into a folder, so that
// they open in any browser. The on-screen views are written under their own names (thermal.htm,
// spec.htm, diag.htm, lacing.htm, psy.htm, drawing.htm), the print reports as "MainReport.htm"
// and "CoilReport.htm". What the window's view would do to a page after loading it (hide the
// "status" line of a solved job, show the temperature profile in place of its placeholder) is
// written into the saved page.
//
// With --pdf OUT.pdf the main report is also printed into a PDF file, by the window program's
// headless print mode (see ReportPdf.h); the main report page is then always written.
//
// With a project FILE the job is opened from it instead (into a coil of the kind it holds), --set
// applies over it, and --save writes the rated project back when it solved.
//
// Exit status as solve: 0 solved; 1 an error (the solve's, or a page that could not be written);
// 2 the job is not solved: the solve did not converge or its result was refused, with the
// reason (the pages are written all the same, marked not solved).
#include "cli/Commands.h"
#include "cli/JobOptions.h"
#include "cli/ProjectCli.h"
#include "cli/ReportPdf.h"

#include "app/CoilJob.h"
#include "app/ProjectProperties.h"
#include "base/FileIO.h"
#include "base/Paths.h"
#include "base/Version.h"
#include "engine/HeatExchanger.h"
#include "geometry/CoilMakers.h"
#include "platform/SettingsStore.h"
#include "reports/HtmlView.h"
#include "reports/PsyChartPicture.h"
#include "reports/ReportPages.h"
#include "reports/TempProfile.h"
#include "reports/Typeface.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

namespace zmk::cli {

namespace {

namespace fs = std::filesystem;

struct ReportOptions
{
    JobOptions job;
    std::string file; ///< a project to open instead of the default job
    bool kindGiven = false;
    bool save = false;
    std::vector<std::string> views;
    std::string out;
    std::string pdf; ///< the main report printed into this PDF file
};

// The pages by their option names, in the order they are written.
struct PageChoice
{
    const char* name;
    std::optional<TReportView> view; // none for the two print reports
};
const PageChoice kPages[] = {
    {"thermal", TReportView::ThermalSummary},
    {"spec", TReportView::ManufacturingSpec},
    {"diag", TReportView::Diagnostic},
    {"lacing", TReportView::CircuitLacing},
    {"psy", TReportView::PsyChart},
    {"drawing", TReportView::CoilDrawing},
    {"main", std::nullopt},
    {"coil", std::nullopt},
};

// The installed files the pages refer to by relative name.
const char* const kInstalled[] = {reportfiles::Logo,      reportfiles::GeneralArrangement,
                                  reportfiles::PsyChart,  reportfiles::CoilDrawing,
                                  reportfiles::Blank,     reportfiles::Style,
                                  reportfiles::PrintStyle};

bool sameFolder(const fs::path& a, const fs::path& b)
{
    std::error_code ec;
    return fs::equivalent(a, b, ec);
}

// Copies the installed pictures and style sheets, and the user's letterhead with the logo it
// shows when the folder has none of its own, from the installed report folder into the output
// folder.
void copyInstalledFiles(const fs::path& installed, const fs::path& out)
{
    if (sameFolder(installed, out))
        return;
    for (const char* name : kInstalled) {
        const fs::path from = FindFileNoCase(installed, name);
        std::error_code ec;
        if (!fs::is_regular_file(from, ec))
            continue;
        try {
            CopyFileAtomically(from, out / from.filename(), kMaxReportAssetSize);
        } catch (const EFileError& e) {
            throw EReportFileError("zemtor report", e.what());
        }
    }
    const fs::path letterhead = FindFileNoCase(installed, reportfiles::Letterhead);
    std::error_code ec;
    if (fs::is_regular_file(letterhead, ec) &&
        !fs::exists(FindFileNoCase(out, reportfiles::Letterhead), ec)) {
        try {
            CopyFileAtomically(letterhead, out / reportfiles::Letterhead, kMaxLetterheadSize);
            for (const std::string& logo : LetterheadLogoFiles(installed))
                if (!fs::exists(FindFileNoCase(out, logo), ec))
                    CopyFileAtomically(installed / logo, out / logo, kMaxReportAssetSize);
        } catch (const EFileError&) {
            // The pages then carry the default letterhead, or the logo line as text.
        }
    }
}

void runReport(const ReportOptions& options)
{
    std::vector<const PageChoice*> chosen;
    for (const PageChoice& p : kPages)
        if (options.views.empty() ||
            std::find(options.views.begin(), options.views.end(), p.name) != options.views.end() ||
            (!options.pdf.empty() && std::string(p.name) == "main"))
            chosen.push_back(&p);

    PrintingNotifier notifier;
    ProcessCoilMakers().SetNotifier(&notifier);
    if (options.save && options.file.empty())
        throw std::runtime_error("--save needs the project FILE to write back");
    CommandSession session(&notifier, !options.file.empty());
    TCoilJob& job = session->Job();
    LoadJob(*session, options.job, options.file, options.kindGiven);
    session->Solve();
    if (options.save && job.Solved())
        session->SaveOrThrow(options.file);
    const int status = job.LastSolveStatus();
    if (status < 0)
        std::cerr << "zemtor: " << job.LastError() << "; the pages show its inputs\n";

    const std::string programFolder = ProgramFolder();
    const fs::path installed = ReportFolder();
    const fs::path out = options.out.empty() ? installed : fs::path(options.out) / "";
    std::error_code ec;
    fs::create_directories(out, ec);
    if (!fs::is_directory(out, ec))
        throw EReportFileError("zemtor report", "Cannot create the folder " + out.string());
    copyInstalledFiles(installed, out);

    session->Pictures().Collect(ImagesFolderOf(programFolder));
    session->Pictures().StartFrom(DaysSince1899());
    session->SetCaption(ProgramCaption());
    session->SetReportFolder(out);
    const TReportJob report = session->ReportJob();

    // The profile picture of a solved job, for the main report and the thermal summary.
    std::unique_ptr<TTypeface> typeface;
    std::optional<TProfileStreams> streams;
    if (report.Solved) {
        typeface = LoadSansTypeface();
        streams = CoilProfileStreams(*report.Coil);
        WriteTemperatureProfile(*streams, *typeface, out, nullptr);
    }

    TPageLines page;
    fs::path mainReport;
    for (const PageChoice* p : chosen) {
        fs::path file;
        if (p->view) {
            BuildViewPage(*p->view, report, page);
            if (*p->view == TReportView::PsyChart)
                WritePsyChartPictures(report, typeface.get()); // the SVG the page shows, a PNG for mail
            file = out / (std::string(p->name) + ".htm");
            page.SavePage(file);
            TStaticHtmlView view;
            ShowPage(view, file);
            ShowResultStatus(view, report.Solved);
            if (*p->view == TReportView::ThermalSummary && streams)
                WriteTemperatureProfile(*streams, *typeface, out, &view);
        } else if (std::string(p->name) == "main") {
            file = WriteMainReport(report, page);
            mainReport = file;
        } else {
            file = WriteCoilDrawingReport(report);
        }
        std::cout << file.string() << "\n";
    }
    if (!options.pdf.empty()) {
        PrintPageToPdf(mainReport, options.pdf, programFolder);
        std::cout << options.pdf << "\n";
    }

    if (status < 0)
        throw CLI::RuntimeError(1);
    if (!job.Solved()) {
        std::cerr << "zemtor: not solved, status " << SolveStatusName(static_cast<TSolveStatus>(status))
                  << "\n";
        if (!job.LastReason().empty() && !notifier.Printed(job.LastReason()))
            std::cerr << "zemtor: " << job.LastReason() << "\n";
        throw CLI::RuntimeError(2);
    }
}

} // namespace

void AddReportCommand(CLI::App& app)
{
    auto options = std::make_shared<ReportOptions>();
    auto* cmd =
        app.add_subcommand("report", "Rate the default coil of a kind, with inputs changed by --set, and "
                                     "write its result pages with their pictures into a folder");
    AddJobOptions(cmd, options->job);
    std::vector<std::string> names;
    for (const PageChoice& p : kPages)
        names.emplace_back(p.name);
    cmd->add_option("--view", options->views,
                    "Pages to write (repeatable; all when none is given): thermal (thermal summary), spec "
                    "(manufacturing spec), diag (diagnostic), lacing (circuit lacing), psy (psychrometric "
                    "chart), drawing (coil drawing), main (the main print report), coil (the coil drawing "
                    "report)")
        ->check(CLI::IsMember(names))
        ->type_name("PAGE");
    cmd->add_option("--out", options->out,
                    "Folder to write into (created when missing); the report folder by default")
        ->type_name("DIR");
    cmd->add_option("FILE", options->file,
                    "A project file (.zmx) to open and rate instead of the default job, into a coil of the "
                    "kind it holds (--kind chooses another)");
    cmd->add_flag("--save", options->save, "Write the project back to its file when it solved");
    cmd->add_option("--pdf", options->pdf,
                    "Also print the main report into this PDF file (needs the window program zmk installed "
                    "beside zemtor)")
        ->type_name("OUT.pdf");
    cmd->callback([options, cmd] {
        options->kindGiven = cmd->get_option("--kind")->count() > 0;
        runReport(*options);
    });
}

} // namespace zmk::cli
