#include "dialogs/Contrast.h"

#include "base/NumText.h"
#include "base/TextHelpers.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace zmk {

namespace {

double linear(int channel)
{
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

TRgb mix(TRgb a, TRgb b, double t)
{
    auto m = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
    return {m(a.R, b.R), m(a.G, b.G), m(a.B, b.B)};
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

} // namespace

std::optional<TRgb> ParseHexColour(std::string_view text)
{
    if (text.size() != 7 || text[0] != '#')
        return std::nullopt;
    int v[6];
    for (int i = 0; i < 6; ++i)
        if ((v[i] = hexDigit(text[static_cast<std::size_t>(i) + 1])) < 0)
            return std::nullopt;
    return TRgb{v[0] * 16 + v[1], v[2] * 16 + v[3], v[4] * 16 + v[5]};
}

std::string HexColour(TRgb c)
{
    return LowerCase(Format("#%.2x%.2x%.2x", c.R, c.G, c.B));
}

double RelativeLuminance(TRgb c)
{
    return 0.2126 * linear(c.R) + 0.7152 * linear(c.G) + 0.0722 * linear(c.B);
}

double ContrastRatio(TRgb a, TRgb b)
{
    const double la = RelativeLuminance(a), lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TRgb ReadableOn(TRgb colour, TRgb background, double ratio)
{
    if (ContrastRatio(colour, background) >= ratio)
        return colour;
    // Towards the end of the scale further from the background; if even that end falls short,
    // the end itself.
    const TRgb end = RelativeLuminance(background) < 0.18 ? TRgb{255, 255, 255} : TRgb{0, 0, 0};
    if (ContrastRatio(end, background) < ratio)
        return end;
    double lo = 0, hi = 1;
    for (int i = 0; i < 30; ++i) {
        const double t = (lo + hi) / 2;
        (ContrastRatio(mix(colour, end, t), background) >= ratio ? hi : lo) = t;
    }
    TRgb c = mix(colour, end, hi);
    // Rounding to whole channels may land a hair short: one more step out.
    for (double t = hi; ContrastRatio(c, background) < ratio && t < 1; t = std::min(1.0, t + 0.01))
        c = mix(colour, end, t);
    return c;
}

std::string ReadablePageColours(std::string_view html, TRgb text, TRgb background)
{
    static constexpr std::string_view kKey = "color:";
    std::string out;
    out.reserve(html.size());
    std::size_t i = 0;
    while (i < html.size()) {
        const std::size_t at = html.find(kKey, i);
        if (at == std::string_view::npos) {
            out.append(html.substr(i));
            break;
        }
        std::size_t v = at + kKey.size();
        out.append(html.substr(i, v - i));
        while (v < html.size() && html[v] == ' ')
            out.push_back(html[v++]);
        const std::optional<TRgb> c = v + 7 <= html.size() ? ParseHexColour(html.substr(v, 7)) : std::nullopt;
        if (!c) {
            i = v;
            continue;
        }
        out += HexColour(*c == TRgb{0, 0, 0} ? text : ReadableOn(*c, background));
        i = v + 7;
    }
    return out;
}

} // namespace zmk
