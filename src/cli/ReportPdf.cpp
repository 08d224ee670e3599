#include "cli/ReportPdf.h"

#include "base/NumText.h"
#include "platform/ChildProcess.h"

#include <stdexcept>
#include <system_error>

#include <unistd.h>

namespace zmk::cli {

namespace fs = std::filesystem;

namespace {

constexpr int kPrintTimeoutMs = 180000; // the web engine's start and one report, generously

} // namespace

std::vector<fs::path> PdfPrinterCandidates(const fs::path& programFolder)
{
    return {programFolder / "zmk_print_pdf", programFolder / "zmk"};
}

void PrintPageToPdf(const fs::path& page, const fs::path& pdf, const fs::path& programFolder)
{
    fs::path printer;
    for (const fs::path& candidate : PdfPrinterCandidates(programFolder)) {
        std::error_code ec;
        if (fs::is_regular_file(candidate, ec) && ::access(candidate.c_str(), X_OK) == 0) {
            printer = candidate;
            break;
        }
    }
    if (printer.empty())
        throw std::runtime_error("cannot write the PDF: the window program that prints it (zmk) is not "
                                 "installed in " +
                                 programFolder.string());

    std::error_code ec;
    const fs::path target = fs::absolute(pdf, ec);
    // What the printer says is kept, and shown only when it fails: the web engine is talkative
    // even when all is well.
    TChildOptions options;
    options.CaptureOutput = true;
    options.TimeoutMs = kPrintTimeoutMs;
    const TChildResult run = RunChild(
        printer.string(), {"--print-pdf", fs::absolute(page, ec).string(), target.string()}, options);
    // The printer's own reasons start with "zmk: "; the rest is the web engine talking.
    std::string said;
    const std::string& everything = run.Output;
    for (std::size_t start = 0; start < everything.size();) {
        std::size_t end = everything.find('\n', start);
        if (end == std::string::npos)
            end = everything.size();
        const std::string line = everything.substr(start, end - start);
        if (line.rfind("zmk: ", 0) == 0)
            said += (said.empty() ? "" : "\n") + line.substr(5);
        start = end + 1;
    }
    if (said.empty() && !everything.empty())
        said =
            everything.size() > 2000 ? "..." + everything.substr(everything.size() - 2000) : Trim(everything);
    if (!run.Started)
        throw std::runtime_error("cannot start " + printer.string() + ": " + run.Error);
    if (run.TimedOut)
        throw std::runtime_error(printer.string() + " did not finish printing " + page.string());
    if (run.ExitCode != 0 || !fs::is_regular_file(target, ec))
        throw std::runtime_error("cannot write the PDF " + target.string() + " (" +
                                 printer.filename().string() + " ended with status " +
                                 std::to_string(run.ExitCode) + ")" + (said.empty() ? "" : ":\n" + said));
}

} // namespace zmk::cli
