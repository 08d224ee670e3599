// The step-by-step chart of the job as a picture file: the command line's stand-in for the chart
// window, drawn with the same plot engine (three series, axes, grid and the legend panel).
#pragma once

#include <filesystem>

namespace zmk {
struct TStepChartData;
}

namespace zmk::cli {

/// Draws the chart of a step run and writes it as a PNG file (720 x 480 plot with its legend
/// panel). Throws ZmkError when no font is installed and EReportFileError when the file cannot
/// be written.
void WriteStepChartPng(const TStepChartData& data, const std::filesystem::path& file);

} // namespace zmk::cli
