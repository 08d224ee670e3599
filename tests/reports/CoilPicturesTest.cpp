// The job's own pictures: the coil drawing (dimension texts, scale, tube pattern, title block)
// and the circuit picture (the derived serpentine and what is drawn of it), by the calls they
// make on a recording canvas.
#include "reports/CircuitPicture.h"
#include "reports/CoilDrawing.h"

#include "geometry/FinAndTube.h"
#include "units/ConvTools.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace zmk {
namespace {

using Kind = TCanvasCall::Kind;
using ::testing::Contains;
using ::testing::Not;

std::vector<std::string> texts(const RecordingCanvas& canvas)
{
    std::vector<std::string> out;
    for (const auto& c : canvas.Calls(Kind::Text))
        out.push_back(c.Text);
    return out;
}

TFinAndTube coil(const std::string& size)
{
    TFinAndTube g;
    g.SetSizeText(size);
    EXPECT_EQ(g.TakeError(), 0) << size;
    return g;
}

class CoilPictures : public ::testing::Test
{
protected:
    void SetUp() override { Quantities().ResetDefaults(); }
    void TearDown() override { Quantities().ResetDefaults(); }
};

// The fin face of the front view: the largest filled rectangle in the fin colour.
TCanvasCall finFace(const RecordingCanvas& canvas)
{
    TCanvasCall best{};
    int area = -1;
    for (const auto& c : canvas.Calls(Kind::FillRect)) {
        const int a = (c.Points[1].X - c.Points[0].X) * (c.Points[1].Y - c.Points[0].Y);
        if (c.Brush.Color == TColor::FromRgb(0xEEF5F8) && a > area) {
            area = a;
            best = c;
        }
    }
    return best;
}

TEST_F(CoilPictures, EachCoilIsDimensionedWithItsOwnSizes)
{
    TFinAndTube small = coil("533.4 x 740 4r 10f 7c");
    TFinAndTube large = coil("1500 x 3000 12r 8f 40c");
    const TCoilDrawingData a = CoilDrawingData(small);
    const TCoilDrawingData b = CoilDrawingData(large);
    RecordingCanvas ca, cb;
    DrawCoilDrawing(ca, a, 900, 600);
    DrawCoilDrawing(cb, b, 900, 600);

    // In the default units; each drawing shows its own and not the other's.
    const TCoilDimensionTexts da = CoilDimensionTexts(a), db = CoilDimensionTexts(b);
    EXPECT_EQ(da.Height, "21.0 inch"); // the fin height defaults to inches
    EXPECT_EQ(da.Length, "740 mm");
    EXPECT_EQ(da.Depth, "132 mm");
    EXPECT_EQ(db.Height, "59.1 inch");
    EXPECT_EQ(db.Length, "3000 mm");
    EXPECT_EQ(db.Depth, "396 mm");
    for (const auto& t : {da.Height, da.Length, da.Depth}) {
        EXPECT_THAT(texts(ca), Contains(t));
        EXPECT_THAT(texts(cb), Not(Contains(t)));
    }
    for (const auto& t : {db.Height, db.Length, db.Depth}) {
        EXPECT_THAT(texts(cb), Contains(t));
        EXPECT_THAT(texts(ca), Not(Contains(t)));
    }

    // The front view is to scale: its fin face keeps the coil's length to height.
    for (const auto& [canvas, g] : {std::pair{&ca, &small}, std::pair{&cb, &large}}) {
        const TCanvasCall face = finFace(*canvas);
        const double w = face.Points[1].X - face.Points[0].X;
        const double h = face.Points[1].Y - face.Points[0].Y;
        EXPECT_NEAR(w / h, g->Rec.fLength / g->Rec.fHeight, 0.02) << g->SizeText;
        // Everything stays on the canvas.
        for (const auto& c : canvas->calls)
            for (const auto& p : c.Points) {
                EXPECT_GE(p.X, -1);
                EXPECT_LE(p.X, 901);
                EXPECT_GE(p.Y, -1);
                EXPECT_LE(p.Y, 601);
            }
    }

    // The title block: fin density, circuits and dry weight in the user's units.
    TQuantities& q = Quantities();
    EXPECT_THAT(texts(ca), Contains(FormatQuantity("%s %s", q.fat_fin_spacing, false, 10.0)));
    EXPECT_THAT(texts(cb), Contains(FormatQuantity("%s %s", q.fat_fin_spacing, false, 8.0)));
    EXPECT_THAT(texts(ca), Contains("7, 8 tubes each"));
    EXPECT_GT(a.DryWeight, 0);
    EXPECT_GT(b.DryWeight, 4 * a.DryWeight);
    EXPECT_THAT(texts(cb), Contains(FormatQuantity("%s %s", q.hex_mass, false, b.DryWeight)));

    // Another unit system changes the dimension texts.
    q.fat_length.display = q.fat_length.display == 0 ? 1 : 0;
    EXPECT_NE(CoilDimensionTexts(a).Length, da.Length);
}

// Side view tubes: every row of a staggered coil's odd rows sits half a pitch lower; in-line rows
// line up.
TEST_F(CoilPictures, SideViewDrawsTheTubePattern)
{
    for (const int pattern : {0, 1}) {
        TFinAndTube g = coil("533.4 x 740 4r 10f 7c");
        TModelRec rec = g.Rec;
        rec.tp = static_cast<std::uint8_t>(pattern);
        g.SetModel(rec);
        RecordingCanvas canvas;
        DrawCoilDrawing(canvas, CoilDrawingData(g), 900, 600);
        std::vector<TPoint> tubes;
        for (const auto& c : canvas.Calls(Kind::Ellipse))
            tubes.push_back({(c.Points[0].X + c.Points[1].X) / 2, (c.Points[0].Y + c.Points[1].Y) / 2});
        ASSERT_EQ(tubes.size(), 4u * 14) << pattern;
        // Rows in order, 14 tubes each: the first tube of row 1 against row 0.
        const int drop = tubes[14].Y - tubes[0].Y;
        const int pitch = tubes[1].Y - tubes[0].Y;
        EXPECT_GT(tubes[14].X, tubes[0].X);
        if (pattern == 0) {
            EXPECT_NEAR(drop, pitch / 2.0, 1.0);
        } else {
            EXPECT_EQ(drop, 0);
        }
    }
}

TEST(CircuitLacing, StandardSerpentine)
{
    const struct
    {
        double rows;
        int tubesHigh;
        double circuits;
        int basis;
        int count, perCircuit, unlinked;
    } rows[] = {
        {4, 14, 14, 0, 14, 4, 0},   {4, 14, 7, 0, 7, 8, 0},  {4, 14, 5, 0, 5, 11, 1},
        {4, 14, 28, 1, 28, 2, 0},   {2.5, 4, 2, 0, 2, 5, 0}, {1, 3, 10, 0, 3, 1, 0},
        {6, 20, 0.4, 0, 1, 120, 0},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(::testing::Message() << r.rows << " rows, " << r.tubesHigh << " high, " << r.circuits);
        const TCircuitLacing l = StandardLacing(r.rows, r.tubesHigh, r.circuits, r.basis);
        ASSERT_EQ(static_cast<int>(l.Circuits.size()), r.count);
        EXPECT_EQ(static_cast<int>(l.Unlinked.size()), r.unlinked);
        std::set<std::pair<int, int>> seen;
        for (const auto& c : l.Circuits) {
            ASSERT_EQ(static_cast<int>(c.size()), r.perCircuit);
            // The liquid enters on the row nearer the leaving air; each step goes to a neighbour.
            EXPECT_GE(c.front().Row, c.back().Row);
            for (std::size_t i = 1; i < c.size(); ++i)
                EXPECT_EQ(std::abs(c[i].Row - c[i - 1].Row) + std::abs(c[i].Tube - c[i - 1].Tube), 1);
            for (const auto& t : c)
                EXPECT_TRUE(seen.insert({t.Row, t.Tube}).second) << "tube taken twice";
        }
        for (const auto& t : l.Unlinked)
            EXPECT_TRUE(seen.insert({t.Row, t.Tube}).second) << "unlinked tube also in a circuit";
        EXPECT_EQ(static_cast<int>(seen.size()), l.TubeCount);
    }
    // Counted against the tubes high, a circuit of one level crosses all rows.
    const TCircuitLacing l = StandardLacing(4, 14, 14, 0);
    for (std::size_t i = 0; i < l.Circuits.size(); ++i) {
        EXPECT_EQ(l.Circuits[i].front(), (TTubeSpot{3, static_cast<int>(i)}));
        EXPECT_EQ(l.Circuits[i].back(), (TTubeSpot{0, static_cast<int>(i)}));
    }
}

TEST(CircuitLacing, PictureOfAFourRowFourteenCircuitCoil)
{
    TFinAndTube g;
    g.SetSizeText("533.4 x 1200 4r 10f 14c");
    ASSERT_EQ(g.TubesHigh, 14);
    const TCircuitLacing lacing = CoilLacing(g);
    RecordingCanvas canvas;
    DrawCircuitPicture(canvas, lacing, 480, 600);

    // Fourteen paths of three links each, each in its circuit's colour, starting at an inlet
    // triangle and ending at an outlet square.
    int pathLines = 0;
    for (const auto& c : canvas.Calls(Kind::Line))
        pathLines += c.Pen.Color != colors::Black;
    EXPECT_EQ(pathLines, 14 * 3);
    std::vector<TCanvasCall> inlets, outlets;
    for (const auto& c : canvas.Calls(Kind::Polygon))
        if (c.Brush.Color != colors::Black)
            inlets.push_back(c);
    for (const auto& c : canvas.Calls(Kind::Rectangle))
        if (c.Brush.Color != colors::Black)
            outlets.push_back(c);
    ASSERT_EQ(inlets.size(), 14u);
    ASSERT_EQ(outlets.size(), 14u);
    for (int i = 0; i < 14; ++i) {
        EXPECT_EQ(inlets[i].Brush.Color, CircuitColour(i));
        // The inlets are on the leaving-air side, right of the outlets, one tube level apart.
        EXPECT_GT(inlets[i].Points[1].X, outlets[i].Points[1].X);
        if (i > 0) {
            EXPECT_GT(inlets[i].Points[1].Y, inlets[i - 1].Points[1].Y);
        }
    }
    // Every tube drawn, none unlinked; the legend says what the field holds.
    EXPECT_EQ(canvas.Calls(Kind::Ellipse).size(), 56u + 1u);
    EXPECT_THAT(texts(canvas), Contains("4 rows x 14 tubes, 14 circuits of 4 tubes"));

    // Five circuits leave one tube unlinked, drawn grey.
    g.SetCircuits(5);
    RecordingCanvas five;
    DrawCircuitPicture(five, CoilLacing(g), 480, 600);
    int grey = 0;
    for (const auto& c : five.Calls(Kind::Ellipse))
        grey += c.Brush.Color == TColor::FromRgb(0xE0E0E0);
    EXPECT_EQ(grey, 1 + 1); // the tube and the legend's sample
    EXPECT_THAT(texts(five), Contains("4 rows x 14 tubes, 5 circuits of 11 tubes, 1 unlinked"));
}

} // namespace
} // namespace zmk
