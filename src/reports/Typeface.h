// Text for the generated pictures: a scalable font face read through FreeType, measured and
// drawn anti-aliased onto a raster image. The face is a Debian font package's sans font
// (DejaVu Sans from fonts-dejavu-core), found at a known path or through fontconfig.
#pragma once

#include "reports/Raster.h"

#include <filesystem>
#include <memory>
#include <string_view>
#include <vector>

namespace zmk {

/// The known places of a sans font, DejaVu Sans first.
std::vector<std::filesystem::path> KnownSansFontFiles();

/// The first readable font file among the candidates; when none is and askFontconfig is set,
/// the file fontconfig names for "sans". Throws ZmkError with a message that says which
/// package to install when no font is found.
std::filesystem::path FindFontFile(const std::vector<std::filesystem::path>& candidates, bool askFontconfig);

/// FindFontFile over the known sans font files, asking fontconfig last.
std::filesystem::path FindSansFontFile();

/// One font face at any pixel size. Sizes are the em height in pixels.
class TTypeface
{
public:
    /// Opens the font file; throws ZmkError when FreeType cannot read it.
    explicit TTypeface(const std::filesystem::path& fontFile);
    ~TTypeface();
    TTypeface(const TTypeface&) = delete;
    TTypeface& operator=(const TTypeface&) = delete;

    /// Width of a UTF-8 text in pixels: the sum of the glyph advances.
    int TextWidth(std::string_view utf8, int pixelSize);
    /// Height of a line of text in pixels (ascent + descent).
    int TextHeight(int pixelSize);
    /// Distance from the top of a line to its base line, pixels.
    int Ascent(int pixelSize);
    /// Draws a UTF-8 text in one colour with a transparent background; (x, y) is the top left
    /// corner of the line.
    void DrawText(TRasterImage& image, int x, int y, std::string_view utf8, int pixelSize, TColor color);

    const std::filesystem::path& FileName() const { return file_; }

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::filesystem::path file_;
};

/// Opens the sans font of FindSansFontFile().
std::unique_ptr<TTypeface> LoadSansTypeface();

/// The code points of a UTF-8 text; bytes that are not valid UTF-8 read as U+FFFD.
std::u32string DecodeUtf8(std::string_view utf8);

} // namespace zmk
