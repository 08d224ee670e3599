// The job's own pictures for the result pages: the coil drawing and the circuit picture, drawn
// from the job's coil and written as PNG into the report folder, where the pages refer to them
// by name in place of the installed stock pictures.
#pragma once

#include <string>

namespace zmk {

struct TReportJob;

namespace reportfiles {
inline constexpr const char* JobDrawing = "jobdrawing.png";         // drawing view, coil report
inline constexpr const char* JobArrangement = "jobarrangement.png"; // the main report's column
inline constexpr const char* JobCircuits = "jobcircuits.png";       // circuit lacing view
} // namespace reportfiles

/// The sizes of the coil drawing, pixels: the full drawing and the main report's narrower one.
inline constexpr int kJobDrawingWidth = 900, kJobDrawingHeight = 600;
inline constexpr int kJobArrangementWidth = 400, kJobArrangementHeight = 380;

/// Draws the job's coil (the pipe size only when solved) and writes it into the report folder
/// as `name`, `width` x `height`. Returns `name`, or `fallback` (the stock picture) when there
/// is no coil geometry, no font to draw with, or the file cannot be written.
std::string WriteJobDrawing(const TReportJob& job, const char* name, int width, int height,
                            const char* fallback);
/// Draws the job's circuit picture and writes it into the report folder as JobCircuits; false
/// when there is no coil geometry, no font, or the file cannot be written.
bool WriteJobCircuitPicture(const TReportJob& job);

} // namespace zmk
