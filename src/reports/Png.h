// PNG encoding of a raster image: 8-bit RGB, deflate through zlib, one adaptive filter per
// row. Used for the temperature profile, the step chart and the installed page pictures.
#pragma once

#include "reports/Raster.h"

#include <cstdint>
#include <filesystem>
#include <vector>

namespace zmk {

/// The PNG file bytes of an image (colour type 2, bit depth 8, no interlace).
std::vector<std::uint8_t> EncodePng(const TRasterImage& image);

/// Encodes the image and writes it to a file, replacing any earlier one; throws
/// EReportFileError when the file cannot be written.
void WritePngFile(const std::filesystem::path& fileName, const TRasterImage& image);

} // namespace zmk
