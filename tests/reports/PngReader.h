// A strict PNG reader for the tests: checks the signature, every chunk's CRC-32, the header,
// the filter byte of every row, and gives the pixels back for comparison. Only the files our
// encoder writes (8-bit RGB, no interlace) are accepted.
#pragma once

#include "reports/Raster.h"

#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

namespace zmk::testing {

struct PngFile
{
    TRasterImage Image;
    std::vector<std::string> Chunks; // chunk types in file order
    std::vector<int> Filters;        // filter byte of each row
};

inline std::uint32_t readU32(const std::uint8_t* p)
{
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

/// Decodes PNG bytes; throws std::runtime_error naming the first fault found.
inline PngFile ReadPng(const std::vector<std::uint8_t>& bytes)
{
    static const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (bytes.size() < 8 || !std::equal(signature, signature + 8, bytes.begin()))
        throw std::runtime_error("bad signature");
    PngFile out;
    std::vector<std::uint8_t> idat;
    std::uint32_t width = 0, height = 0;
    size_t at = 8;
    bool ended = false;
    while (at < bytes.size()) {
        if (ended)
            throw std::runtime_error("data after IEND");
        if (at + 12 > bytes.size())
            throw std::runtime_error("truncated chunk");
        const std::uint32_t len = readU32(&bytes[at]);
        if (at + 12 + len > bytes.size())
            throw std::runtime_error("chunk runs past the end");
        const std::string type(bytes.begin() + at + 4, bytes.begin() + at + 8);
        const std::uint8_t* data = &bytes[at + 8];
        const uLong crc = crc32(crc32(0L, Z_NULL, 0), &bytes[at + 4], len + 4);
        if (crc != readU32(&bytes[at + 8 + len]))
            throw std::runtime_error("bad CRC in " + type);
        out.Chunks.push_back(type);
        if (type == "IHDR") {
            if (len != 13)
                throw std::runtime_error("bad IHDR length");
            width = readU32(data);
            height = readU32(data + 4);
            if (data[8] != 8 || data[9] != 2 || data[10] != 0 || data[11] != 0 || data[12] != 0)
                throw std::runtime_error("unexpected IHDR format");
        } else if (type == "IDAT") {
            idat.insert(idat.end(), data, data + len);
        } else if (type == "IEND") {
            ended = true;
        }
        at += 12 + len;
    }
    if (!ended || out.Chunks.empty() || out.Chunks.front() != "IHDR")
        throw std::runtime_error("missing IHDR or IEND");
    if (width == 0 || height == 0)
        throw std::runtime_error("empty image");

    const size_t stride = size_t(width) * 3;
    std::vector<std::uint8_t> raw((stride + 1) * height);
    uLongf rawSize = static_cast<uLongf>(raw.size());
    if (uncompress(raw.data(), &rawSize, idat.data(), static_cast<uLong>(idat.size())) != Z_OK ||
        rawSize != raw.size())
        throw std::runtime_error("IDAT does not inflate to the image size");

    out.Image = TRasterImage(static_cast<int>(width), static_cast<int>(height));
    std::vector<std::uint8_t> prior(stride, 0), row(stride);
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::uint8_t* line = &raw[y * (stride + 1)];
        const int filter = line[0];
        if (filter > 4)
            throw std::runtime_error("bad filter byte " + std::to_string(filter));
        out.Filters.push_back(filter);
        for (size_t i = 0; i < stride; ++i) {
            const int a = i >= 3 ? row[i - 3] : 0, b = prior[i], c = i >= 3 ? prior[i - 3] : 0;
            int pred = 0;
            switch (filter) {
            case 1:
                pred = a;
                break;
            case 2:
                pred = b;
                break;
            case 3:
                pred = (a + b) / 2;
                break;
            case 4: {
                const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
                pred = (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
                break;
            }
            default:
                break;
            }
            row[i] = static_cast<std::uint8_t>(line[1 + i] + pred);
        }
        for (std::uint32_t x = 0; x < width; ++x)
            out.Image.SetPixel(static_cast<int>(x), static_cast<int>(y),
                               TColor{row[x * 3], row[x * 3 + 1], row[x * 3 + 2]});
        prior = row;
    }
    return out;
}

} // namespace zmk::testing
