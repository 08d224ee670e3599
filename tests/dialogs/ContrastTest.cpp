// Readable colours on light and dark themes: the contrast ratio against known values, colours
// moved only as far as they must, and the editor summary's colours readable on both themes.
#include "dialogs/Contrast.h"

#include "dialogs/FatEditor.h"

#include <gtest/gtest.h>

#include <regex>

namespace zmk {
namespace {

const TRgb kWhite{255, 255, 255}, kBlack{0, 0, 0};
const TRgb kDarkBase{0x23, 0x26, 0x29}, kDarkText{0xfc, 0xfc, 0xfc};

TEST(Contrast, RatiosOfKnownPairs)
{
    EXPECT_NEAR(ContrastRatio(kWhite, kBlack), 21.0, 1e-9);
    EXPECT_NEAR(ContrastRatio(kBlack, kWhite), 21.0, 1e-9);
    EXPECT_NEAR(ContrastRatio(TRgb{0x77, 0x77, 0x77}, kWhite), 4.48, 0.01);
    EXPECT_NEAR(ContrastRatio(TRgb{0, 0, 255}, kWhite), 8.59, 0.01);
    EXPECT_EQ(ParseHexColour("#FF4500"), (TRgb{255, 69, 0}));
    EXPECT_FALSE(ParseHexColour("ff4500"));
    EXPECT_FALSE(ParseHexColour("#ff45g0"));
    EXPECT_EQ(HexColour({255, 69, 0}), "#ff4500");
}

TEST(Contrast, ColoursMoveOnlyAsFarAsTheyMust)
{
    const struct
    {
        TRgb colour, background;
    } cases[] = {
        {{0, 0, 255}, kDarkBase},        // the default link blue on a dark theme
        {{0xcd, 0x5c, 0x5c}, kWhite},    // indian red on white
        {{0xff, 0x45, 0x00}, kWhite},    // orange-red on white
        {{0x80, 0x00, 0x00}, kDarkBase}, // maroon on dark
        {{0, 0x80, 0x80}, kDarkBase},    // teal on dark
    };
    for (const auto& c : cases) {
        const TRgb r = ReadableOn(c.colour, c.background);
        EXPECT_GE(ContrastRatio(r, c.background), kTextContrast) << HexColour(c.colour);
        // Not much further than needed.
        EXPECT_LT(ContrastRatio(r, c.background), kTextContrast + 0.3) << HexColour(c.colour);
    }
    // A colour that is readable already stays as it is.
    EXPECT_EQ(ReadableOn({0, 0, 255}, kWhite), (TRgb{0, 0, 255}));
}

TEST(Contrast, EditorSummaryColoursReadOnBothThemes)
{
    std::string page = "<li style=\"color:#000000\">plain</li><li style=\"color:#ff4500\">warn</li>"
                       "<li style=\"color:#cd5c5c\">conns</li>";
    for (double v : {0.0, 0.3, 0.6, 1.0})
        page += "<li style=\"color:" + BlendColour(v, 0, 1) + "\">blend</li>";
    for (const auto& [text, base] : {std::pair{kBlack, kWhite}, std::pair{kDarkText, kDarkBase}}) {
        const std::string shown = ReadablePageColours(page, text, base);
        const std::regex colour("color:(#[0-9a-f]{6})");
        int n = 0;
        for (auto it = std::sregex_iterator(shown.begin(), shown.end(), colour); it != std::sregex_iterator();
             ++it, ++n)
            EXPECT_GE(ContrastRatio(*ParseHexColour((*it)[1].str()), base), kTextContrast) << (*it)[1].str();
        EXPECT_EQ(n, 7);
        // Plain text takes the theme's text colour.
        EXPECT_NE(shown.find("color:" + HexColour(text) + "\">plain"), std::string::npos) << shown;
    }
}

} // namespace
} // namespace zmk
