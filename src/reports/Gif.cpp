#include "reports/Gif.h"

#include "base/Errors.h"

#include <algorithm>
#include <array>
#include <climits>
#include <unordered_map>

namespace zmk {

namespace {

struct Palette
{
    std::vector<TColor> colours;
    std::vector<std::uint8_t> indices; // one per pixel
};

long distance2(TColor a, TColor b)
{
    const long dr = a.R - b.R, dg = a.G - b.G, db = a.B - b.B;
    return dr * dr * 3 + dg * dg * 4 + db * db * 2; // rough weights of the eye's sensitivity
}

struct ColourCount
{
    TColor colour;
    long count;
};

// Median cut: the box of colours with the widest channel range is split at its weighted
// median until there are as many boxes as palette entries; each box gives its mean colour.
std::vector<TColor> medianCut(std::vector<ColourCount> colours, size_t size)
{
    struct Box
    {
        size_t begin, end;
    };
    const auto channel = [](TColor c, int k) { return k == 0 ? c.R : k == 1 ? c.G : c.B; };
    const auto widest = [&](const Box& b, int& range) {
        int best = 0;
        range = -1;
        for (int k = 0; k < 3; ++k) {
            int lo = 255, hi = 0;
            for (size_t i = b.begin; i < b.end; ++i) {
                lo = std::min<int>(lo, channel(colours[i].colour, k));
                hi = std::max<int>(hi, channel(colours[i].colour, k));
            }
            if (hi - lo > range) {
                range = hi - lo;
                best = k;
            }
        }
        return best;
    };
    std::vector<Box> boxes = {{0, colours.size()}};
    while (boxes.size() < size) {
        size_t pick = boxes.size();
        int pickRange = 0, pickChannel = 0;
        for (size_t i = 0; i < boxes.size(); ++i) {
            if (boxes[i].end - boxes[i].begin < 2)
                continue;
            int range;
            const int k = widest(boxes[i], range);
            if (range > pickRange) {
                pick = i;
                pickRange = range;
                pickChannel = k;
            }
        }
        if (pick == boxes.size())
            break;
        Box& b = boxes[pick];
        std::sort(colours.begin() + b.begin, colours.begin() + b.end,
                  [&](const ColourCount& x, const ColourCount& y) {
                      return channel(x.colour, pickChannel) < channel(y.colour, pickChannel);
                  });
        long total = 0;
        for (size_t i = b.begin; i < b.end; ++i)
            total += colours[i].count;
        long acc = 0;
        size_t cut = b.begin + 1;
        for (size_t i = b.begin; i < b.end - 1; ++i) {
            acc += colours[i].count;
            cut = i + 1;
            if (acc * 2 >= total)
                break;
        }
        const Box upper{cut, b.end};
        b.end = cut;
        boxes.push_back(upper);
    }
    std::vector<TColor> palette;
    for (const auto& b : boxes) {
        double r = 0, g = 0, bl = 0, n = 0;
        for (size_t i = b.begin; i < b.end; ++i) {
            const double w = static_cast<double>(colours[i].count);
            r += colours[i].colour.R * w;
            g += colours[i].colour.G * w;
            bl += colours[i].colour.B * w;
            n += w;
        }
        palette.push_back(TColor{static_cast<std::uint8_t>(r / n + 0.5),
                                 static_cast<std::uint8_t>(g / n + 0.5),
                                 static_cast<std::uint8_t>(bl / n + 0.5)});
    }
    return palette;
}

Palette buildPalette(const TRasterImage& image)
{
    std::unordered_map<std::uint32_t, long> counts;
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x)
            ++counts[image.Pixel(x, y).Rgb()];
    std::vector<ColourCount> colours;
    for (const auto& [rgb, n] : counts)
        colours.push_back({TColor::FromRgb(rgb), n});
    std::sort(colours.begin(), colours.end(),
              [](const ColourCount& a, const ColourCount& b) { return a.colour.Rgb() < b.colour.Rgb(); });

    Palette p;
    if (colours.size() <= 256) {
        for (const auto& c : colours)
            p.colours.push_back(c.colour);
    } else {
        p.colours = medianCut(colours, 256);
    }
    std::unordered_map<std::uint32_t, std::uint8_t> index;
    for (const auto& c : colours) {
        long best = LONG_MAX;
        std::uint8_t bestIndex = 0;
        for (size_t i = 0; i < p.colours.size(); ++i) {
            const long d = distance2(c.colour, p.colours[i]);
            if (d < best) {
                best = d;
                bestIndex = static_cast<std::uint8_t>(i);
            }
        }
        index[c.colour.Rgb()] = bestIndex;
    }
    p.indices.reserve(static_cast<size_t>(image.Width()) * image.Height());
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x)
            p.indices.push_back(index[image.Pixel(x, y).Rgb()]);
    return p;
}

// Codes packed from the least significant bit up, cut into sub-blocks of at most 255 bytes.
class BitWriter
{
public:
    void put(unsigned code, int bits)
    {
        acc_ |= static_cast<unsigned long>(code) << count_;
        count_ += bits;
        while (count_ >= 8) {
            bytes_.push_back(static_cast<std::uint8_t>(acc_ & 0xFF));
            acc_ >>= 8;
            count_ -= 8;
        }
    }
    std::vector<std::uint8_t> blocks()
    {
        if (count_ > 0)
            bytes_.push_back(static_cast<std::uint8_t>(acc_ & 0xFF));
        std::vector<std::uint8_t> out;
        for (size_t at = 0; at < bytes_.size(); at += 255) {
            const size_t n = std::min<size_t>(255, bytes_.size() - at);
            out.push_back(static_cast<std::uint8_t>(n));
            out.insert(out.end(), bytes_.begin() + at, bytes_.begin() + at + n);
        }
        out.push_back(0);
        return out;
    }

private:
    std::vector<std::uint8_t> bytes_;
    unsigned long acc_ = 0;
    int count_ = 0;
};

std::vector<std::uint8_t> lzw(const std::vector<std::uint8_t>& indices)
{
    constexpr int kMinCodeSize = 8;
    constexpr unsigned kClear = 1u << kMinCodeSize, kEnd = kClear + 1;
    BitWriter out;
    int codeSize = kMinCodeSize + 1;
    unsigned maxCode = kEnd;
    std::vector<std::array<std::uint16_t, 256>> next(4096); // child codes; 0 = none
    const auto reset = [&] {
        for (auto& n : next)
            n.fill(0);
        codeSize = kMinCodeSize + 1;
        maxCode = kEnd;
    };
    out.put(kClear, codeSize);
    unsigned current = indices.front();
    for (size_t i = 1; i < indices.size(); ++i) {
        const std::uint8_t value = indices[i];
        if (next[current][value]) {
            current = next[current][value];
            continue;
        }
        out.put(current, codeSize);
        next[current][value] = static_cast<std::uint16_t>(++maxCode);
        if (maxCode >= (1u << codeSize))
            ++codeSize;
        if (maxCode == 4095) {
            out.put(kClear, codeSize);
            reset();
        }
        current = value;
    }
    out.put(current, codeSize);
    out.put(kClear, codeSize);
    out.put(kEnd, kMinCodeSize + 1);
    return out.blocks();
}

void putU16(std::vector<std::uint8_t>& out, int v)
{
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

} // namespace

std::vector<std::uint8_t> EncodeGif(const TRasterImage& image)
{
    if (image.Width() <= 0 || image.Height() <= 0 || image.Width() > 65535 || image.Height() > 65535)
        throw ZmkError("EncodeGif", "The image size cannot be saved as GIF.");
    const Palette palette = buildPalette(image);

    std::vector<std::uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
    putU16(out, image.Width());
    putU16(out, image.Height());
    out.insert(out.end(), {0xF7, 0, 0}); // a 256-entry global colour table, background 0, square pixels
    for (int i = 0; i < 256; ++i) {
        const TColor c = i < static_cast<int>(palette.colours.size()) ? palette.colours[i] : colors::Black;
        out.insert(out.end(), {c.R, c.G, c.B});
    }
    out.push_back(0x2C); // image descriptor: the whole screen, no local table, not interlaced
    putU16(out, 0);
    putU16(out, 0);
    putU16(out, image.Width());
    putU16(out, image.Height());
    out.push_back(0);
    out.push_back(8); // LZW minimum code size
    const auto data = lzw(palette.indices);
    out.insert(out.end(), data.begin(), data.end());
    out.push_back(0x3B);
    return out;
}

} // namespace zmk
