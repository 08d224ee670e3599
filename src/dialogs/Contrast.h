// Colours that stay readable on light and dark desktop themes: the contrast ratio of two colours
// as the web's accessibility guidelines define it, a colour moved in lightness until it reaches a
// ratio against its background, and a page's inline text colours brought to the theme's.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zmk {

/// The contrast ratio normal text needs against its background.
inline constexpr double kTextContrast = 4.5;

struct TRgb
{
    int R = 0, G = 0, B = 0; ///< 0..255
    bool operator==(const TRgb&) const = default;
};

/// "#rrggbb" (either case), or nothing.
std::optional<TRgb> ParseHexColour(std::string_view text);
/// "#rrggbb", lower case.
std::string HexColour(TRgb c);
/// Relative luminance, 0 (black) to 1 (white).
double RelativeLuminance(TRgb c);
/// (L1 + 0.05) / (L2 + 0.05) of the lighter over the darker: 1 to 21.
double ContrastRatio(TRgb a, TRgb b);
/// The colour itself when it has `ratio` against the background; else the colour mixed towards
/// white (on a dark background) or black (on a light one) just far enough to have it.
TRgb ReadableOn(TRgb colour, TRgb background, double ratio = kTextContrast);
/// Every inline "color:#rrggbb" of an HTML text made readable on the background: black, the
/// pages' plain text, becomes the theme's text colour; any other colour keeps its hue and is
/// lightened or darkened only as far as the ratio needs.
std::string ReadablePageColours(std::string_view html, TRgb text, TRgb background);

} // namespace zmk
