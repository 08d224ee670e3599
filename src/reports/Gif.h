// GIF encoding of a raster image (GIF89a, one frame, a 256-colour table, LZW). Used once, by
// the tool that makes the installed report logo; the pages only show such files.
#pragma once

#include "reports/Raster.h"

#include <cstdint>
#include <vector>

namespace zmk {

/// The GIF file bytes of an image. A picture with more than 256 colours is reduced to 256 by
/// median cut, each pixel taking the nearest palette colour.
std::vector<std::uint8_t> EncodeGif(const TRasterImage& image);

} // namespace zmk
