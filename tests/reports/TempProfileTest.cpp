#include "reports/TempProfile.h"
#include "reports/Png.h"

#include "PngReader.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <tuple>

namespace zmk {
namespace {

using testing::ReadPng;
using testing::TempDir;

// The fixture loads the installed sans font once; without one the tests are skipped.
class TempProfile : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        try {
            typeface = LoadSansTypeface().release();
        } catch (const ZmkError&) {
            typeface = nullptr;
        }
    }
    static void TearDownTestSuite()
    {
        delete typeface;
        typeface = nullptr;
    }
    void SetUp() override
    {
        if (!typeface)
            GTEST_SKIP() << "no sans font installed";
    }
    static TTypeface* typeface;
};
TTypeface* TempProfile::typeface = nullptr;

// Temperatures printed as the pages print them in °C: no decimals from 100 up.
std::string celsius(double t)
{
    static const std::map<double, std::string> texts = {{380, "380°C"}, {177.3, "177°C"}, {100, "100°C"},
                                                        {80, "80.0°C"}, {90, "90.0°C"},   {20, "20.0°C"}};
    const auto it = texts.find(t);
    return it != texts.end() ? it->second : "?";
}

TProfileStreams heatRecovery()
{
    return ProfileStreams(true, 380, 177.3, 80, 100, "Water", celsius);
}

TEST_F(TempProfile, StreamsFollowTheDutyDirection)
{
    const auto cooled = heatRecovery();
    EXPECT_EQ(cooled.HotName, "Hot Air");
    EXPECT_EQ(cooled.ColdName, "Water");
    EXPECT_EQ(std::tie(cooled.T1, cooled.T2, cooled.T3, cooled.T4),
              std::make_tuple(380.0, 177.3, 80.0, 100.0));
    EXPECT_EQ(cooled.T2Text, "177°C");

    const auto heated = ProfileStreams(false, 20, 80, 100, 90, "Water", celsius);
    EXPECT_EQ(heated.HotName, "Water");
    EXPECT_EQ(heated.ColdName, "Cold Air");
    EXPECT_EQ(std::tie(heated.T1, heated.T2, heated.T3, heated.T4), std::make_tuple(100.0, 90.0, 20.0, 80.0));
    EXPECT_EQ(heated.T1Text, "100°C");
    EXPECT_EQ(heated.T3Text, "20.0°C");
}

TEST_F(TempProfile, WorkedExampleLayout)
{
    const auto l = ProfileLayout(heatRecovery(), *typeface);
    ASSERT_TRUE(l);
    EXPECT_DOUBLE_EQ(l->Scale, 170.0 / 300.0);
    EXPECT_EQ(l->YHotOut, 129);
    EXPECT_EQ(l->YColdOut, 173);
    using Text = TProfileLayout::Text;
    EXPECT_EQ(l->T1, (Text{"380°C", 26, 7}));
    EXPECT_EQ(l->T2, (Text{"177°C", 166, 104}));
    EXPECT_EQ(l->T4, (Text{"100°C", 26, 158}));
    EXPECT_EQ(l->T3, (Text{"80.0°C", 166, 165}));
    // Names centred across the picture, 20 pixels above the middle of their own line.
    EXPECT_EQ(l->HotName,
              (Text{"Hot Air", (200 - typeface->TextWidth("Hot Air", kProfileFontSize)) / 2, 52}));
    EXPECT_EQ(l->ColdName, (Text{"Water", (200 - typeface->TextWidth("Water", kProfileFontSize)) / 2, 159}));
    // Every text fits inside the picture.
    for (const auto* t : {&l->HotName, &l->ColdName, &l->T1, &l->T2, &l->T3, &l->T4}) {
        EXPECT_GE(t->X, 0) << t->Value;
        EXPECT_LE(t->X + typeface->TextWidth(t->Value, kProfileFontSize), 200) << t->Value;
    }
}

TEST_F(TempProfile, WorkedExamplePixels)
{
    const auto image = DrawTemperatureProfile(heatRecovery(), *typeface);
    ASSERT_TRUE(image);
    ASSERT_EQ(image->Width(), 200);
    ASSERT_EQ(image->Height(), 200);
    // Line ends in their full colours.
    EXPECT_EQ(image->Pixel(10, 15), colors::Red);
    EXPECT_EQ(image->Pixel(190, 129), colors::Red);
    EXPECT_EQ(image->Pixel(10, 173), colors::Green);
    EXPECT_EQ(image->Pixel(190, 185), colors::Green);
    // Between them the hot line is red blended with white: full red channel, equal others.
    int blended = 0;
    for (int x = 60; x < 75; ++x)
        for (int y = 0; y < 200; ++y) {
            const TColor c = image->Pixel(x, y);
            if (c == colors::White)
                continue;
            if (y == 0 || y > 150)
                continue; // the frame, the cold line
            EXPECT_GE(c.R, 254) << x << "," << y;
            EXPECT_EQ(c.G, c.B) << x << "," << y;
            ++blended;
        }
    EXPECT_GE(blended, 15);
    // The frame: light grey edges, white corners outside the rounding, white inside.
    EXPECT_EQ(image->Pixel(100, 0), colors::Gainsboro);
    EXPECT_EQ(image->Pixel(0, 100), colors::Gainsboro);
    EXPECT_EQ(image->Pixel(199, 100), colors::Gainsboro);
    EXPECT_EQ(image->Pixel(100, 199), colors::Gainsboro);
    EXPECT_EQ(image->Pixel(0, 0), colors::White);
    EXPECT_EQ(image->Pixel(199, 199), colors::White);
    EXPECT_EQ(image->Pixel(1, 1), colors::White);
    EXPECT_EQ(image->Pixel(50, 100), colors::White);
    // Texts are black: some pixels in the T1 box are dark grey.
    int dark = 0;
    for (int y = 7; y < 20; ++y)
        for (int x = 26; x < 56; ++x)
            dark += image->Pixel(x, y).R < 80 && image->Pixel(x, y).R == image->Pixel(x, y).G;
    EXPECT_GT(dark, 10);
}

TEST_F(TempProfile, LineAlgorithmBlendsNearAndFarPixels)
{
    struct Px
    {
        int x, y;
        TColor c;
    };
    const TColor w = colors::White;
    const auto rgb = [](int r, int g, int b) {
        return TColor{std::uint8_t(r), std::uint8_t(g), std::uint8_t(b)};
    };
    struct Case
    {
        const char* name;
        int x1, y1, x2, y2;
        std::vector<Px> expected;
    };
    const Case cases[] = {
        {"shallow, g = 32768",
         0,
         0,
         4,
         2,
         {{0, 0, colors::Red},
          {1, 0, rgb(254, 127, 127)},
          {1, 1, rgb(254, 126, 126)},
          {2, 1, rgb(254, 0, 0)},
          {2, 2, rgb(254, 254, 254)},
          {3, 1, rgb(254, 127, 127)},
          {3, 2, rgb(254, 126, 126)},
          {4, 2, colors::Red},
          {2, 0, w},
          {1, 2, w}}},
        {"steep, g = 21845",
         0,
         0,
         1,
         3,
         {{0, 0, colors::Red},
          {0, 1, rgb(254, 84, 84)},
          {1, 1, rgb(254, 169, 169)},
          {0, 2, rgb(254, 169, 169)},
          {1, 2, rgb(254, 84, 84)},
          {1, 3, colors::Red},
          {1, 0, w}}},
        {"steep, ends given bottom first",
         1,
         3,
         0,
         0,
         {{0, 0, colors::Red}, {0, 1, rgb(254, 84, 84)}, {1, 1, rgb(254, 169, 169)}, {1, 3, colors::Red}}},
        {"45 degrees wraps every step",
         0,
         0,
         3,
         3,
         {{0, 0, colors::Red},
          {1, 1, rgb(254, 0, 0)},
          {1, 2, rgb(254, 254, 254)},
          {2, 2, rgb(254, 0, 0)},
          {3, 3, colors::Red},
          {1, 0, w}}},
        {"right to left, steep",
         3,
         0,
         2,
         3,
         {{3, 0, colors::Red}, {3, 1, rgb(254, 84, 84)}, {2, 1, rgb(254, 169, 169)}}},
        {"horizontal is solid",
         1,
         2,
         5,
         2,
         {{1, 2, colors::Red}, {2, 2, colors::Red}, {3, 2, colors::Red}, {5, 2, colors::Red}, {6, 2, w}}},
        {"vertical is solid",
         2,
         4,
         2,
         1,
         {{2, 1, colors::Red}, {2, 2, colors::Red}, {2, 4, colors::Red}, {2, 0, w}}},
    };
    for (const auto& c : cases) {
        TRasterImage image(8, 8);
        DrawProfileLine(image, c.x1, c.y1, c.x2, c.y2, colors::Red);
        for (const auto& p : c.expected)
            EXPECT_EQ(image.Pixel(p.x, p.y).Rgb(), p.c.Rgb()) << c.name << " at " << p.x << "," << p.y;
    }
}

TEST_F(TempProfile, FlatHotStreamIsDrawnSolid)
{
    // T1 = T2: the hot line is horizontal at y = 15 and painted without blending.
    const auto s = ProfileStreams(true, 90, 90, 20, 80, "Water", celsius);
    const auto image = DrawTemperatureProfile(s, *typeface);
    ASSERT_TRUE(image);
    for (int x = 60; x <= 160; ++x)
        EXPECT_EQ(image->Pixel(x, 15), colors::Red) << x;
    EXPECT_EQ(image->Pixel(10, 15), colors::Red);
    EXPECT_EQ(image->Pixel(190, 15), colors::Red);
    EXPECT_EQ(image->Pixel(100, 14), colors::White);
    EXPECT_EQ(image->Pixel(100, 16), colors::White);
}

TEST_F(TempProfile, UndefinedScaleSkipsTheDrawing)
{
    TempDir dir;
    RecordingHtmlView view;
    const TProfileStreams equalInlets = ProfileStreams(true, 80, 70, 80, 75, "Water", celsius);
    EXPECT_FALSE(ProfileLayout(equalInlets, *typeface));
    EXPECT_FALSE(WriteTemperatureProfile(equalInlets, *typeface, dir.path(), &view));
    EXPECT_TRUE(view.calls.empty());
    EXPECT_FALSE(std::filesystem::exists(dir / "profile.png"));

    TProfileStreams notANumber = heatRecovery();
    notANumber.T2 = std::nan("");
    EXPECT_FALSE(DrawTemperatureProfile(notANumber, *typeface));
}

TEST_F(TempProfile, FarOffStreamsStayBounded)
{
    TProfileStreams s = heatRecovery();
    s.T2 = -1e12; // an absurd leaving temperature puts the line end far below the picture
    const auto l = ProfileLayout(s, *typeface);
    ASSERT_TRUE(l);
    EXPECT_EQ(l->YHotOut, 30000);
    const auto image = DrawTemperatureProfile(s, *typeface);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->Pixel(10, 15), colors::Red);
}

TEST_F(TempProfile, WrittenFileAndViewImageMatchTheDrawing)
{
    TempDir dir;
    RecordingHtmlView view;
    TPageLines page;
    page.AddLines({"<html>", "<body>", "<img id=\"pimage\" src=\"blank.png\" height=\"200\" width=\"200\">",
                   "</body>", "</html>"});
    ShowScreenPage(page, dir.path(), view);
    std::ofstream(dir / "profile.png") << "an older picture";

    ASSERT_TRUE(WriteTemperatureProfile(heatRecovery(), *typeface, dir.path(), &view));
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(dir / "profile.png", bytes));
    const std::vector<std::uint8_t> png(bytes.begin(), bytes.end());
    EXPECT_EQ(view.images.at("pimage"), png);
    const auto decoded = ReadPng(png);
    EXPECT_EQ(decoded.Image.Bytes(), DrawTemperatureProfile(heatRecovery(), *typeface)->Bytes());

    // Without a view only the file is written.
    EXPECT_TRUE(WriteTemperatureProfile(heatRecovery(), *typeface, dir.path(), nullptr));
}

TEST(Typeface, MissingFontGivesAClearError)
{
    try {
        FindFontFile({"/nonexistent/font.ttf"}, false);
        FAIL() << "a missing font was found";
    } catch (const ZmkError& e) {
        EXPECT_NE(std::string(e.what()).find("fonts-dejavu-core"), std::string::npos) << e.what();
    }
    EXPECT_THROW(TTypeface("/nonexistent/font.ttf"), ZmkError);
    const auto known = KnownSansFontFiles();
    std::vector<std::filesystem::path> present;
    for (const auto& p : known)
        if (std::filesystem::exists(p))
            present.push_back(p);
    if (!present.empty()) {
        EXPECT_EQ(FindFontFile({"/nonexistent/font.ttf", present.front()}, false), present.front());
    }
}

} // namespace
} // namespace zmk
