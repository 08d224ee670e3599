#include "reports/Typeface.h"

#include "base/Errors.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <array>
#include <cstdio>
#include <sys/wait.h>

namespace zmk {

std::vector<std::filesystem::path> KnownSansFontFiles()
{
    return {
        "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
        "/usr/share/fonts/dejavu/DejaVuSans.ttf",
        "/usr/share/fonts/TTF/DejaVuSans.ttf",
        "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf",
        "/usr/share/fonts/truetype/freefont/FreeSans.ttf",
        "/usr/share/fonts/truetype/noto/NotoSans-Regular.ttf",
    };
}

namespace {

bool isReadableFile(const std::filesystem::path& p)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(p, ec))
        return false;
    std::FILE* f = std::fopen(p.c_str(), "rb");
    if (!f)
        return false;
    std::fclose(f);
    return true;
}

std::filesystem::path askFontconfigForSans()
{
    std::FILE* pipe = popen("fc-match -f '%{file}' sans 2>/dev/null", "r");
    if (!pipe)
        return {};
    std::string out;
    std::array<char, 512> buf{};
    size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), pipe)) > 0)
        out.append(buf.data(), n);
    const int status = pclose(pipe);
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return {};
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r'))
        out.pop_back();
    return out;
}

} // namespace

std::filesystem::path FindFontFile(const std::vector<std::filesystem::path>& candidates, bool askFontconfig)
{
    for (const auto& p : candidates)
        if (isReadableFile(p))
            return p;
    if (askFontconfig) {
        const auto p = askFontconfigForSans();
        if (!p.empty() && isReadableFile(p))
            return p;
    }
    throw ZmkError("FindFontFile", "No font for the report pictures was found. Install a sans font, "
                                   "for example the Debian package fonts-dejavu-core.");
}

std::filesystem::path FindSansFontFile()
{
    return FindFontFile(KnownSansFontFiles(), true);
}

std::u32string DecodeUtf8(std::string_view s)
{
    std::u32string out;
    for (size_t i = 0; i < s.size();) {
        const auto b0 = static_cast<unsigned char>(s[i]);
        int n = b0 < 0x80             ? 1
                : (b0 & 0xE0) == 0xC0 ? 2
                : (b0 & 0xF0) == 0xE0 ? 3
                : (b0 & 0xF8) == 0xF0 ? 4
                                      : 0;
        char32_t cp = n == 1 ? b0 : n == 2 ? (b0 & 0x1F) : n == 3 ? (b0 & 0x0F) : (b0 & 0x07);
        bool ok = n > 0 && i + n <= s.size();
        for (int k = 1; ok && k < n; ++k) {
            const auto b = static_cast<unsigned char>(s[i + k]);
            ok = (b & 0xC0) == 0x80;
            cp = (cp << 6) | (b & 0x3F);
        }
        if (!ok) {
            out += U'\uFFFD';
            ++i;
            continue;
        }
        out += cp;
        i += n;
    }
    return out;
}

struct TTypeface::Impl
{
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    int size = 0;

    void setSize(int pixelSize)
    {
        if (pixelSize < 1)
            pixelSize = 1;
        if (pixelSize == size)
            return;
        if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize)) != 0)
            throw ZmkError("TTypeface",
                           "The font cannot be scaled to " + std::to_string(pixelSize) + " pixels.");
        size = pixelSize;
    }

    // Loads the glyph of a code point into the face's slot, rendered when asked; false when
    // the font cannot give it (the text then simply lacks that glyph).
    bool load(char32_t cp, bool render)
    {
        FT_UInt index = FT_Get_Char_Index(face, cp);
        if (index == 0 && cp != U'?')
            index = FT_Get_Char_Index(face, U'?');
        return FT_Load_Glyph(face, index, render ? FT_LOAD_RENDER : FT_LOAD_DEFAULT) == 0;
    }
};

TTypeface::TTypeface(const std::filesystem::path& fontFile) : impl_(std::make_unique<Impl>()), file_(fontFile)
{
    if (FT_Init_FreeType(&impl_->library) != 0)
        throw ZmkError("TTypeface", "The font library could not be started.");
    if (FT_New_Face(impl_->library, fontFile.c_str(), 0, &impl_->face) != 0 || !FT_IS_SCALABLE(impl_->face)) {
        if (impl_->face)
            FT_Done_Face(impl_->face);
        FT_Done_FreeType(impl_->library);
        throw ZmkError("TTypeface", "The font file \"" + fontFile.string() + "\" cannot be read.");
    }
}

TTypeface::~TTypeface()
{
    FT_Done_Face(impl_->face);
    FT_Done_FreeType(impl_->library);
}

int TTypeface::TextWidth(std::string_view utf8, int pixelSize)
{
    impl_->setSize(pixelSize);
    long width = 0;
    for (const char32_t cp : DecodeUtf8(utf8))
        if (impl_->load(cp, false))
            width += impl_->face->glyph->advance.x;
    return static_cast<int>((width + 32) >> 6);
}

int TTypeface::TextHeight(int pixelSize)
{
    impl_->setSize(pixelSize);
    const auto& m = impl_->face->size->metrics;
    return static_cast<int>((m.ascender - m.descender + 32) >> 6);
}

int TTypeface::Ascent(int pixelSize)
{
    impl_->setSize(pixelSize);
    return static_cast<int>((impl_->face->size->metrics.ascender + 32) >> 6);
}

void TTypeface::DrawText(TRasterImage& image, int x, int y, std::string_view utf8, int pixelSize,
                         TColor color)
{
    const int baseline = y + Ascent(pixelSize);
    long penX = static_cast<long>(x) << 6;
    for (const char32_t cp : DecodeUtf8(utf8)) {
        if (!impl_->load(cp, true))
            continue;
        const FT_GlyphSlot g = impl_->face->glyph;
        const FT_Bitmap& bm = g->bitmap;
        const int left = static_cast<int>((penX + 32) >> 6) + g->bitmap_left;
        const int top = baseline - g->bitmap_top;
        for (unsigned row = 0; row < bm.rows; ++row)
            for (unsigned col = 0; col < bm.width; ++col) {
                const int coverage = bm.buffer[static_cast<long>(row) * bm.pitch + col];
                image.BlendPixel(left + static_cast<int>(col), top + static_cast<int>(row), color, coverage);
            }
        penX += g->advance.x;
    }
}

std::unique_ptr<TTypeface> LoadSansTypeface()
{
    return std::make_unique<TTypeface>(FindSansFontFile());
}

} // namespace zmk
