// A GIF reader for the tests: the single-frame GIF89a files our encoder writes (global colour
// table, one image, LZW), decoded to pixels. Throws std::runtime_error at the first fault.
#pragma once

#include "reports/Raster.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace zmk::testing {

inline TRasterImage ReadGif(const std::vector<std::uint8_t>& b)
{
    const auto need = [&](size_t at, size_t n) {
        if (at + n > b.size())
            throw std::runtime_error("truncated GIF");
    };
    need(0, 13);
    if (std::string(b.begin(), b.begin() + 6) != "GIF89a")
        throw std::runtime_error("bad GIF signature");
    const auto u16 = [&](size_t at) { return b[at] | (b[at + 1] << 8); };
    const int width = u16(6), height = u16(8);
    const int packed = b[10];
    if (!(packed & 0x80))
        throw std::runtime_error("no global colour table");
    const int tableSize = 2 << (packed & 7);
    need(13, tableSize * 3);
    std::vector<TColor> table;
    for (int i = 0; i < tableSize; ++i)
        table.push_back(TColor{b[13 + i * 3], b[14 + i * 3], b[15 + i * 3]});
    size_t at = 13 + tableSize * 3;
    need(at, 11);
    if (b[at] != 0x2C || u16(at + 1) != 0 || u16(at + 3) != 0 || u16(at + 5) != width ||
        u16(at + 7) != height || b[at + 9] != 0)
        throw std::runtime_error("unexpected image descriptor");
    const int minCodeSize = b[at + 10];
    at += 11;
    std::vector<std::uint8_t> data;
    for (;;) {
        need(at, 1);
        const int n = b[at++];
        if (n == 0)
            break;
        need(at, n);
        data.insert(data.end(), b.begin() + at, b.begin() + at + n);
        at += n;
    }
    need(at, 1);
    if (b[at] != 0x3B || at + 1 != b.size())
        throw std::runtime_error("missing trailer");

    const int clear = 1 << minCodeSize, end = clear + 1;
    std::vector<std::vector<std::uint8_t>> dict;
    int codeSize = 0;
    const auto reset = [&] {
        dict.assign(clear + 2, {});
        for (int i = 0; i < clear; ++i)
            dict[i] = {static_cast<std::uint8_t>(i)};
        codeSize = minCodeSize + 1;
    };
    reset();
    std::vector<std::uint8_t> out;
    size_t bit = 0;
    int prev = -1;
    for (;;) {
        if (bit + codeSize > data.size() * 8)
            throw std::runtime_error("LZW data ends without an end code");
        int code = 0;
        for (int i = 0; i < codeSize; ++i, ++bit)
            code |= ((data[bit / 8] >> (bit % 8)) & 1) << i;
        if (code == clear) {
            reset();
            prev = -1;
            continue;
        }
        if (code == end)
            break;
        std::vector<std::uint8_t> entry;
        if (prev < 0) {
            if (code >= clear)
                throw std::runtime_error("bad first code");
            entry = dict[code];
        } else {
            if (code < static_cast<int>(dict.size()))
                entry = dict[code];
            else if (code == static_cast<int>(dict.size()))
                entry = dict[prev], entry.push_back(dict[prev][0]);
            else
                throw std::runtime_error("code out of range");
            if (dict.size() < 4096) {
                auto added = dict[prev];
                added.push_back(entry[0]);
                dict.push_back(added);
            }
        }
        out.insert(out.end(), entry.begin(), entry.end());
        if (static_cast<int>(dict.size()) == (1 << codeSize) && codeSize < 12)
            ++codeSize;
        prev = code;
    }
    if (out.size() != static_cast<size_t>(width) * height)
        throw std::runtime_error("pixel count " + std::to_string(out.size()) + " does not match the size");
    TRasterImage image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.SetPixel(x, y, table.at(out[static_cast<size_t>(y) * width + x]));
    return image;
}

} // namespace zmk::testing
