// The job's psychrometric chart as pictures: the process read from a solved job, the chart as
// an SVG document and as a raster image, and the files the psychrometric chart page shows.
#pragma once

#include "reports/PsyChart.h"
#include "reports/Raster.h"
#include "reports/ReportPages.h"
#include "reports/Typeface.h"

#include <filesystem>
#include <optional>
#include <string>

namespace zmk {

/// The chart files in the report folder: the page shows the SVG, the PNG goes with e-mail.
namespace reportfiles {
inline constexpr const char* PsyChartSvg = "psychart.svg";
inline constexpr const char* PsyChartPng = "psychart.png";
} // namespace reportfiles

/// The process of a solved job: its air in and out at the coil's pressure, the apparatus dew
/// point of a chilled water coil with a wet surface, a high-temperature chart for heat
/// recovery. None for a job that is not solved or has no coil.
std::optional<TPsyProcess> PsyProcessOf(const TReportJob& job);

/// The chart as an SVG document of width x height; text measured with `measure` when given.
std::string PsyChartSvg(const TPsyChart& chart, int width, int height, TTypeface* measure = nullptr);
/// The chart on a raster image.
TRasterImage RenderPsyChart(const TPsyChart& chart, TTypeface& typeface, int width = kPsyChartWidth,
                            int height = kPsyChartHeight);

/// Saves the chart as a picture file of kPsyChartWidth x kPsyChartHeight: SVG when the name ends
/// in ".svg" (any case), PNG otherwise. Throws EReportFileError when it cannot be written.
void SavePsyChartFile(const TPsyChart& chart, const std::filesystem::path& file, TTypeface& typeface);

/// Writes the chart of a solved job into its report folder as PsyChartSvg, and as PsyChartPng
/// when a typeface is given; false, and nothing written, for a job without a chart. Throws
/// EReportFileError when a file cannot be written.
bool WritePsyChartPictures(const TReportJob& job, TTypeface* typeface);

} // namespace zmk
