#include "reports/Png.h"

#include "base/Errors.h"
#include "reports/ReportPage.h"

#include <zlib.h>

#include <array>
#include <cstdlib>
#include <string_view>

namespace zmk {

namespace {

void putU32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    out.push_back(static_cast<std::uint8_t>(v >> 24));
    out.push_back(static_cast<std::uint8_t>(v >> 16));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v));
}

// A chunk is length, type, data and a CRC-32 over type and data.
void putChunk(std::vector<std::uint8_t>& out, std::string_view type, const std::vector<std::uint8_t>& data)
{
    putU32(out, static_cast<std::uint32_t>(data.size()));
    const size_t typeAt = out.size();
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc =
        crc32(crc32(0L, Z_NULL, 0), out.data() + typeAt, static_cast<uInt>(out.size() - typeAt));
    putU32(out, static_cast<std::uint32_t>(crc));
}

int paeth(int a, int b, int c)
{
    const int p = a + b - c;
    const int pa = std::abs(p - a);
    const int pb = std::abs(p - b);
    const int pc = std::abs(p - c);
    if (pa <= pb && pa <= pc)
        return a;
    return pb <= pc ? b : c;
}

// Filters one row with each of the five PNG filters and keeps the one whose bytes, read as
// signed values, have the smallest sum of magnitudes: the usual heuristic for good deflate.
void filterRow(const std::uint8_t* row, const std::uint8_t* prior, size_t n, std::vector<std::uint8_t>& out)
{
    constexpr size_t bpp = 3;
    std::array<std::vector<std::uint8_t>, 5> candidates;
    std::array<long, 5> cost{};
    for (int f = 0; f < 5; ++f) {
        auto& c = candidates[f];
        c.resize(n);
        for (size_t i = 0; i < n; ++i) {
            const int a = i >= bpp ? row[i - bpp] : 0;
            const int b = prior ? prior[i] : 0;
            const int cc = (prior && i >= bpp) ? prior[i - bpp] : 0;
            int pred = 0;
            switch (f) {
            case 1:
                pred = a;
                break;
            case 2:
                pred = b;
                break;
            case 3:
                pred = (a + b) / 2;
                break;
            case 4:
                pred = paeth(a, b, cc);
                break;
            default:
                break;
            }
            c[i] = static_cast<std::uint8_t>(row[i] - pred);
            cost[f] += std::abs(static_cast<int>(static_cast<std::int8_t>(c[i])));
        }
    }
    int best = 0;
    for (int f = 1; f < 5; ++f)
        if (cost[f] < cost[best])
            best = f;
    out.push_back(static_cast<std::uint8_t>(best));
    out.insert(out.end(), candidates[best].begin(), candidates[best].end());
}

} // namespace

std::vector<std::uint8_t> EncodePng(const TRasterImage& image)
{
    const int w = image.Width();
    const int h = image.Height();
    if (w <= 0 || h <= 0)
        throw ZmkError("EncodePng", "An empty image cannot be saved as PNG.");

    const size_t stride = static_cast<size_t>(w) * 3;
    std::vector<std::uint8_t> raw;
    raw.reserve((stride + 1) * h);
    const std::uint8_t* pixels = image.Bytes().data();
    for (int y = 0; y < h; ++y)
        filterRow(pixels + stride * y, y > 0 ? pixels + stride * (y - 1) : nullptr, stride, raw);

    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<std::uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()),
                  Z_BEST_COMPRESSION) != Z_OK)
        throw ZmkError("EncodePng", "The image data could not be compressed.");
    packed.resize(packedSize);

    std::vector<std::uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> header;
    putU32(header, static_cast<std::uint32_t>(w));
    putU32(header, static_cast<std::uint32_t>(h));
    header.insert(header.end(), {8, 2, 0, 0, 0}); // bit depth, RGB, deflate, adaptive filters, no interlace
    putChunk(out, "IHDR", header);
    putChunk(out, "IDAT", packed);
    putChunk(out, "IEND", {});
    return out;
}

void WritePngFile(const std::filesystem::path& fileName, const TRasterImage& image)
{
    WriteFileBytes(fileName, EncodePng(image));
}

} // namespace zmk
