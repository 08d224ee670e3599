#include "reports/WinPlot.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>

namespace zmk {
namespace {

using Kind = TCanvasCall::Kind;
using ::testing::ElementsAre;

std::vector<std::string> texts(const RecordingCanvas& c)
{
    std::vector<std::string> out;
    for (const auto& call : c.Calls(Kind::Text))
        out.push_back(call.Text);
    return out;
}

TEST(WinPlot, AxisNumberTexts)
{
    const std::pair<double, const char*> cases[] = {
        {5, "5"},       {12.5, "12.5"},      {0.25, "0.25"},       {0, "0"},
        {-3.5, "-3.5"}, {100, "100"},        {395, "395"},         {1e-5, "0"},
        {-1e-5, "0"},   {0.12345, "0.1235"}, {1000000, "1000000"},
    };
    for (const auto& [v, text] : cases)
        EXPECT_EQ(AxisNumberText(v), text) << v;
}

TEST(WinPlot, SetAreaDerivesThePlotRectangle)
{
    TWinPlot plot;
    RecordingCanvas canvas;
    plot.SetArea(canvas, 500, 400);
    EXPECT_EQ(std::tie(plot.Left, plot.Top, plot.Right, plot.Bottom), std::make_tuple(75, 60, 375, 300));
    EXPECT_EQ(plot.SymbolScale, 2);
    EXPECT_DOUBLE_EQ(plot.XScale, 300);
    EXPECT_DOUBLE_EQ(plot.YScale, 240);
    EXPECT_DOUBLE_EQ(plot.XClip, 100);
    const auto frames = canvas.Calls(Kind::Rectangle);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_THAT(frames[0].Points, ElementsAre(TPoint{75, 60}, TPoint{376, 301}));

    // Edges round half to even; no frame without the flag.
    plot.Frame = false;
    plot.LeftMargin = 25;
    plot.RightMargin = 75;
    plot.TopMargin = 15;
    plot.BottomMargin = 85;
    RecordingCanvas quiet;
    plot.SetArea(quiet, 10, 10);
    EXPECT_EQ(std::tie(plot.Left, plot.Right, plot.Top, plot.Bottom), std::make_tuple(2, 8, 2, 8));
    EXPECT_TRUE(quiet.calls.empty());
}

TEST(WinPlot, PixelMapping)
{
    TWinPlot plot;
    RecordingCanvas canvas;
    plot.XMin = 0;
    plot.XMax = 20;
    plot.YMin = 65;
    plot.YMax = 395;
    plot.SetArea(canvas, 400, 330); // plot 60..300 wide, 50..248 high
    EXPECT_EQ(plot.XToPixel(0), plot.Left);
    EXPECT_EQ(plot.XToPixel(20), plot.Right);
    EXPECT_EQ(plot.XToPixel(10), 180);
    EXPECT_EQ(plot.YToPixel(395), plot.Top);
    EXPECT_EQ(plot.YToPixel(65), plot.Bottom);
    EXPECT_DOUBLE_EQ(plot.PixelToX(180), 10);
    EXPECT_DOUBLE_EQ(plot.PixelToY(plot.Bottom), 65);
    // Beyond the clip limits, and for values that are not numbers: the far-off pixel.
    EXPECT_EQ(plot.XToPixel(1e9), 30000);
    EXPECT_EQ(plot.XToPixel(-1e9), 30000);
    EXPECT_EQ(plot.YToPixel(-1e9), 30000);
    EXPECT_EQ(plot.YToPixel(std::nan("")), 30000);
    // Ties round to even: x scale 12 px per unit puts 0.125 at 1.5 px past the left edge.
    plot.XMax = 20;
    plot.SetArea(canvas, 400, 330);
    EXPECT_EQ(plot.XToPixel(0.125), plot.Left + 2);
    EXPECT_EQ(plot.XToPixel(0.375), plot.Left + 4);
}

TEST(WinPlot, AxesGridAndTitle)
{
    TWinPlot plot;
    RecordingCanvas canvas; // 8 px per character, 14 px per line
    plot.XMin = 0;
    plot.XMax = 20;
    plot.XStep = 3;
    plot.YMin = 0;
    plot.YMax = 1;
    plot.YStep = 0.5;
    plot.XTitle = "Step";
    plot.YTitle = "degC";
    plot.Title = "Chart";
    plot.SetArea(canvas, 400, 300);
    canvas.calls.clear();

    plot.DrawXAxis(canvas);
    // Ticks and labels at 0, 3, ..., 21: round(20 / 3) = 7 steps, the last past the frame.
    EXPECT_THAT(texts(canvas), ElementsAre("0", "3", "6", "9", "12", "15", "18", "21", "Step"));
    const auto ticks = canvas.Calls(Kind::Line);
    ASSERT_EQ(ticks.size(), 9u); // the axis line, then one tick per label
    EXPECT_EQ(ticks[1].Points[0], (TPoint{plot.Left, plot.Bottom}));
    EXPECT_EQ(ticks[1].Points[1], (TPoint{plot.Left, plot.Bottom + 7}));
    const auto labels = canvas.Calls(Kind::Text);
    EXPECT_EQ(labels[1].Points[0], (TPoint{plot.XToPixel(3) - 4, plot.Bottom + 7})); // centred on its tick
    EXPECT_EQ(labels[8].Points[0], (TPoint{(plot.Left + plot.Right - 32) / 2, plot.Bottom + 28})); // title

    canvas.calls.clear();
    plot.DrawYAxis(canvas);
    EXPECT_THAT(texts(canvas), ElementsAre("0", "0.5", "1", "degC"));
    const auto ylabels = canvas.Calls(Kind::Text);
    EXPECT_EQ(ylabels[1].Points[0], (TPoint{plot.Left - 4 - 24, plot.YToPixel(0.5) - 7})); // right-aligned
    EXPECT_EQ(ylabels[3].Points[0], (TPoint{plot.Left, plot.Top - 21}));

    canvas.calls.clear();
    plot.DrawTitle(canvas);
    EXPECT_EQ(canvas.calls.at(0).Points[0], (TPoint{(plot.Left + plot.Right - 40) / 2, plot.Top - 28}));

    canvas.calls.clear();
    canvas.Pen.Style = TPenStyle::Solid;
    plot.GridMode = 3;
    plot.DrawGrid(canvas);
    const auto grid = canvas.Calls(Kind::Line);
    ASSERT_EQ(grid.size(), 1u + 6u); // y: 0.5; x: 3, 6, ..., 18
    for (const auto& line : grid)
        EXPECT_EQ(line.Pen.Style, TPenStyle::Dot);
    EXPECT_EQ(grid[1].Points[0].X, plot.XToPixel(3));
    EXPECT_EQ(grid[6].Points[0].X, plot.XToPixel(18));
    EXPECT_EQ(canvas.Pen.Style, TPenStyle::Solid); // restored

    // A step that cannot divide the axis draws no ticks rather than looping.
    canvas.calls.clear();
    plot.XStep = 0;
    plot.DrawXAxis(canvas);
    plot.DrawGrid(canvas);
    EXPECT_THAT(texts(canvas), ElementsAre("Step"));
}

TEST(WinPlot, LogarithmicAxisHasMinorTicks)
{
    TWinPlot plot;
    RecordingCanvas canvas;
    plot.XLog = true;
    plot.XMin = 0;
    plot.XMax = 2;
    plot.XStep = 1;
    plot.SetArea(canvas, 400, 300);
    canvas.calls.clear();
    plot.DrawXAxis(canvas);
    EXPECT_THAT(texts(canvas), ElementsAre("1", "10", "100", "X"));
    EXPECT_EQ(canvas.Calls(Kind::Line).size(), 1u + 3u + 2u * 8u);
    EXPECT_EQ(canvas.Calls(Kind::Line)[3].Points[1].Y, plot.Bottom + 5); // round(7 x 0.67)
}

TEST(WinPlot, SeriesSkipsPointsOutsideThePlot)
{
    TWinPlot plot;
    RecordingCanvas canvas;
    plot.XMax = 10;
    plot.YMax = 10;
    plot.SetArea(canvas, 500, 400);
    canvas.calls.clear();
    canvas.Pen = TPen{colors::LightGray, 1, TPenStyle::Solid};
    TSeriesStyle style;
    style.PenColor = colors::Red;
    style.BrushColor = colors::Red;
    style.PenWidth = 2;
    const std::vector<double> xs = {0, 1, 2, 3, 4, 5, 6};
    const std::vector<double> ys = {1, 2, 20, 3, std::nan(""), 4, 5}; // 20 is above the plot
    plot.DrawSeries(canvas, xs, ys, style, 0, 6);
    EXPECT_EQ(canvas.Calls(Kind::Pixel).size(), 5u);
    const auto lines = canvas.Calls(Kind::Line);
    ASSERT_EQ(lines.size(), 2u); // 0-1 and 5-6 only
    EXPECT_EQ(lines[0].Points[0], (TPoint{plot.XToPixel(0), plot.YToPixel(1)}));
    EXPECT_EQ(lines[1].Points[1], (TPoint{plot.XToPixel(6), plot.YToPixel(5)}));
    EXPECT_EQ(lines[0].Pen, (TPen{colors::Red, 2, TPenStyle::Solid}));
    EXPECT_EQ(canvas.Pen, (TPen{colors::LightGray, 1, TPenStyle::Solid})); // restored

    // Every second point, ellipse symbols of half-size 3 x symbol scale 2, open brush for type 2.
    canvas.calls.clear();
    style.SymbolType = 2;
    style.SymbolSize = 3;
    style.IndexStep = 2;
    style.Connect = false;
    plot.DrawSeries(canvas, xs, ys, style, 0, 100); // a range past the data is cut to it
    const auto symbols = canvas.Calls(Kind::Ellipse);
    ASSERT_EQ(symbols.size(), 2u); // points 0 and 6; 2 is above the plot, 4 is not a number
    const int px = plot.XToPixel(0), py = plot.YToPixel(1);
    EXPECT_THAT(symbols[0].Points, ElementsAre(TPoint{px - 6, py - 6}, TPoint{px + 7, py + 7}));
    EXPECT_EQ(symbols[0].Brush.Style, TBrushStyle::Clear);
    EXPECT_TRUE(canvas.Calls(Kind::Line).empty());

    // Triangles, plus signs and crosses.
    for (int type : {5, 7, 8, 9, 42}) {
        canvas.calls.clear();
        style.SymbolType = type;
        plot.DrawSeries(canvas, {1}, {1}, style, 0, 0);
        const size_t n = canvas.calls.size();
        EXPECT_EQ(n, type == 5 ? 1u : type == 9 ? 4u : type == 42 ? 0u : 2u) << type;
    }
}

} // namespace
} // namespace zmk
