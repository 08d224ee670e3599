// The main report as a PDF file for zemtor report --pdf: the written report page is handed to
// the window program's headless print mode, which renders it with the same web engine as the
// window's printing. zemtor itself links no GUI library and starts fast; only --pdf needs the
// window program installed beside it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace zmk::cli {

/// The programs that print a page into a PDF ("PROGRAM --print-pdf PAGE OUT"), in the order
/// they are tried, in the program folder: the stand-alone printer, then the window program.
std::vector<std::filesystem::path> PdfPrinterCandidates(const std::filesystem::path& programFolder);

/// Prints a page file into a PDF file with the first printer program the program folder holds.
/// Throws std::runtime_error saying why when there is none, or when it fails (with what it said).
void PrintPageToPdf(const std::filesystem::path& page, const std::filesystem::path& pdf,
                    const std::filesystem::path& programFolder);

} // namespace zmk::cli
