// The temperature profile picture: a 200 x 200 counter-flow sketch of the two streams through
// the coil, the hot one falling from the left, the cold one rising from the right, with their
// names and their inlet and outlet temperatures. Drawn after every solve, shown in place of
// the thermal summary's "pimage" placeholder and saved as the report folder's "profile.png".
#pragma once

#include "reports/HtmlView.h"
#include "reports/Raster.h"
#include "reports/Typeface.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zmk {

/// The two streams as the picture shows them.
struct TProfileStreams
{
    std::string HotName;
    std::string ColdName;
    double T1 = 0;                              // hot stream in, °C
    double T2 = 0;                              // hot stream out, °C
    double T3 = 0;                              // cold stream in, °C
    double T4 = 0;                              // cold stream out, °C
    std::string T1Text, T2Text, T3Text, T4Text; // the temperatures as printed, with unit label
    friend bool operator==(const TProfileStreams&, const TProfileStreams&) = default;
};

/// The streams of a coil: when the air is cooled (AirCooling) the air is the hot stream
/// "Hot Air" and the liquid the cold one, otherwise the liquid is hot and the air is
/// "Cold Air". temperatureText prints a temperature in °C with its unit label attached
/// (the pages use FormatQuantity("%s%s", air/t, value)).
TProfileStreams ProfileStreams(bool AirCooling, double airOn, double airOff, double liquidIn,
                               double liquidOut, std::string_view liquidShortName,
                               const std::function<std::string(double)>& temperatureText);

/// Where everything goes in the picture.
struct TProfileLayout
{
    struct Text
    {
        std::string Value;
        int X = 0, Y = 0; // top left, pixels
        friend bool operator==(const Text&, const Text&) = default;
    };
    double Scale = 0; // pixels per degree
    int YHotOut = 0;  // right end of the hot line, pixels from the top
    int YColdOut = 0; // left end of the cold line, pixels from the top
    Text HotName, ColdName, T1, T2, T3, T4;
};

/// The picture size, pixels.
inline constexpr int kProfileWidth = 200;
inline constexpr int kProfileHeight = 200;
/// Em size of the picture's texts, pixels.
inline constexpr int kProfileFontSize = 10;

/// The layout of the picture; none when the hot and cold inlets are equal (the scale is
/// undefined) or a temperature is not a finite number. Line ends far outside the picture are
/// held at +-30000 pixels.
std::optional<TProfileLayout> ProfileLayout(const TProfileStreams& streams, TTypeface& typeface);

/// The picture itself; none when ProfileLayout gives none.
std::optional<TRasterImage> DrawTemperatureProfile(const TProfileStreams& streams, TTypeface& typeface);

/// Draws the profile, hands it to the view's "pimage" image (when the view is given and has
/// one) and saves it as reportFolder + "profile.png", replacing any earlier file; with `png`
/// the picture's bytes are kept there too. When there is no picture to draw nothing is changed
/// and the result is false. Throws EReportFileError when the file cannot be written.
bool WriteTemperatureProfile(const TProfileStreams& streams, TTypeface& typeface,
                             const std::filesystem::path& reportFolder, IHtmlView* view,
                             std::vector<std::uint8_t>* png = nullptr);

/// The profile's one-pixel anti-aliased line between integer end points (both painted).
void DrawProfileLine(TRasterImage& image, int x1, int y1, int x2, int y2, TColor color);

/// The profile's frame: a rounded rectangle over the whole picture with 20 x 20 corner
/// ellipses, outline one pixel wide in the pen colour, filled with the fill colour.
void DrawRoundedFrame(TRasterImage& image, int cornerWidth, int cornerHeight, TColor outline, TColor fill);

} // namespace zmk
