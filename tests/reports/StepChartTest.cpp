#include "reports/StepChart.h"
#include "base/Errors.h"
#include "reports/Png.h"

#include "PngReader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>

namespace zmk {
namespace {

using Kind = TCanvasCall::Kind;

TChartMatrix rampMatrix(int steps, double from, double to)
{
    TChartMatrix m(4, std::vector<double>(steps));
    for (int i = 0; i < steps; ++i) {
        const double f = steps > 1 ? i / double(steps - 1) : 0;
        m[0][i] = from + (to - from) * f * 0.1; // liquid
        m[1][i] = to + (from - to) * f;         // air, falling from `to` to `from`
        m[2][i] = (m[0][i] + m[1][i]) / 2;      // surface
        m[3][i] = -999;                         // dew point: not plotted
    }
    return m;
}

TEST(StepChart, WindowDefaultsAndCommandSetup)
{
    TStepChart chart;
    EXPECT_THAT(chart.Labels, ::testing::ElementsAre("Data 0", "Data 1", "Data 2", "Data 3"));
    const TColor colours[] = {colors::Red, colors::Green, colors::Navy, colors::Olive};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(chart.Styles[i].PenColor, colours[i]);
        EXPECT_EQ(chart.Styles[i].PenWidth, 2);
        EXPECT_EQ(chart.Styles[i].SymbolType, 0);
        EXPECT_TRUE(chart.Styles[i].Connect);
    }
    SetupStepChart(chart, rampMatrix(100, 80, 380), StepLegendTexts(850.4, 80, 100, 380, 177.3));
    EXPECT_EQ(chart.First, 0);
    EXPECT_EQ(chart.Last, 99);
    EXPECT_THAT(chart.Enabled, ::testing::ElementsAre(true, true, true, false, false));
    EXPECT_EQ(chart.Labels[0], "Fluid");
    EXPECT_EQ(chart.Labels[2], "Surface");
    EXPECT_EQ(chart.Plot.XTitle, "Step");
    EXPECT_EQ(chart.Plot.YTitle, "degC");
    EXPECT_EQ(chart.Legend.Duty, "Duty 850 kW");
    EXPECT_EQ(chart.Legend.Fluid, "80.0 - 100.0 °C");
    EXPECT_EQ(chart.Legend.Air, "380.0 - 177.3 °C");
    EXPECT_EQ(StepLegendTexts(1234.5, 0, 0, 0, 0).Duty, "Duty 1.23E003 kW");
}

TEST(StepChart, RedrawRanges)
{
    // 20 steps from 80 to 380 (padded to 65..395): x 0..20 in steps of 2, y 50..400 in steps of 50.
    TStepChart chart;
    SetupStepChart(chart, rampMatrix(20, 80, 380), {});
    RecordingCanvas canvas;
    chart.Redraw(canvas, 600, 400);
    EXPECT_EQ(chart.Plot.XMin, 0);
    EXPECT_EQ(chart.Plot.XMax, 20);
    EXPECT_EQ(chart.Plot.XStep, 2);
    EXPECT_DOUBLE_EQ(chart.Plot.YMin, 50);
    EXPECT_DOUBLE_EQ(chart.Plot.YMax, 400);
    EXPECT_EQ(chart.Plot.YStep, 50);
    EXPECT_EQ(std::tie(chart.Plot.Left, chart.Plot.Right, chart.Plot.Top, chart.Plot.Bottom),
              std::make_tuple(120, 540, 40, 332));
    // First a white page, then the frame with a light grey pen and white brush.
    ASSERT_GE(canvas.calls.size(), 2u);
    EXPECT_EQ(canvas.calls[0].Op, Kind::FillRect);
    EXPECT_EQ(canvas.calls[1].Op, Kind::Rectangle);
    EXPECT_EQ(canvas.calls[1].Pen.Color, colors::LightGray);
    EXPECT_EQ(canvas.calls[1].Brush.Color, colors::White);
    // Three series of 20 points, 19 joining lines each, in the series colours.
    int red = 0, green = 0, navy = 0;
    for (const auto& c : canvas.Calls(Kind::Line)) {
        red += c.Pen.Color == colors::Red;
        green += c.Pen.Color == colors::Green;
        navy += c.Pen.Color == colors::Navy;
    }
    EXPECT_EQ(std::tie(red, green, navy), std::make_tuple(19, 19, 19));

    // Small values: 0.8..5.2 padded out to half units.
    TChartMatrix small = {{1, 2, 3, 4, 5}};
    chart.SetData(small);
    chart.EnableSeries({0});
    chart.Redraw(canvas, 600, 400);
    EXPECT_DOUBLE_EQ(chart.Plot.YMin, 0.5);
    EXPECT_DOUBLE_EQ(chart.Plot.YMax, 5.5);
    EXPECT_EQ(chart.Plot.YStep, 0.5);
}

TEST(StepChart, DegenerateDataStillDraws)
{
    TStepChart chart;
    RecordingCanvas canvas;
    // All values equal: the y range is opened around them instead of dividing by zero.
    SetupStepChart(chart, TChartMatrix(3, std::vector<double>(10, 50.0)), {});
    chart.Redraw(canvas, 600, 400);
    EXPECT_NEAR(chart.Plot.YMin, 49, 1e-9);
    EXPECT_NEAR(chart.Plot.YMax, 51, 1e-9);
    EXPECT_TRUE(std::isfinite(chart.Plot.YScale));
    EXPECT_EQ(canvas.Calls(Kind::Pixel).size(), 30u);

    // A single step, no data at all, and values that are not numbers.
    for (const TChartMatrix& m : {TChartMatrix{{42}}, TChartMatrix{}, TChartMatrix{{std::nan(""), 1, 2}}}) {
        canvas.calls.clear();
        SetupStepChart(chart, m, {});
        chart.Redraw(canvas, 600, 400);
        EXPECT_GT(chart.Plot.XMax, chart.Plot.XMin);
        EXPECT_GT(chart.Plot.YMax, chart.Plot.YMin);
        for (const auto& c : canvas.calls)
            for (const auto& p : c.Points)
                EXPECT_LE(std::abs(p.X) + std::abs(p.Y), 60000);
    }
}

TEST(StepChart, RoundAxisSteps)
{
    const struct
    {
        double range;
        double step;
    } rows[] = {{330, 50}, {100, 10}, {101, 20}, {4.4, 0.5}, {2, 0.2}, {0.03, 0.005}, {19, 2}, {0, 1}};
    for (const auto& r : rows)
        EXPECT_DOUBLE_EQ(RoundAxisStep(r.range), r.step) << r.range;
    EXPECT_EQ(RoundAxisStep(std::nan("")), 1);
}

// Every number on either axis is a whole multiple of a 1, 2 or 5 step: a liquid running
// 4.06..14.2 °C once gave labels 4.0583, 6.0583...
TEST(StepChart, TickLabelsAreRoundNumbers)
{
    const struct
    {
        double from, to;
    } runs[] = {{4.0583, 14.2}, {80, 380}, {-3.3, 7.77}, {900, 120.5}};
    for (const auto& run : runs) {
        TStepChart chart;
        TChartMatrix m(3, std::vector<double>(100));
        for (int i = 0; i < 100; ++i)
            for (auto& row : m)
                row[i] = run.from + (run.to - run.from) * i / 99.0;
        SetupStepChart(chart, m, {});
        chart.SetRange(7, 93);
        RecordingCanvas canvas;
        chart.Redraw(canvas, 600, 400);
        for (const double step : {chart.Plot.XStep, chart.Plot.YStep}) {
            const double mantissa = step / std::pow(10.0, std::floor(std::log10(step) + 1e-9));
            EXPECT_THAT(mantissa,
                        ::testing::AnyOf(::testing::DoubleNear(1, 1e-9), ::testing::DoubleNear(2, 1e-9),
                                         ::testing::DoubleNear(5, 1e-9)))
                << step;
        }
        int labels = 0;
        for (const auto& c : canvas.Calls(Kind::Text)) {
            if (c.Text == "Step" || c.Text == "degC")
                continue;
            const double v = std::stod(c.Text);
            const bool onX = c.Points[0].Y > chart.Plot.Bottom;
            const double step = onX ? chart.Plot.XStep : chart.Plot.YStep;
            EXPECT_NEAR(v / step, std::round(v / step), 1e-6) << c.Text;
            ++labels;
        }
        EXPECT_GE(labels, 8) << run.from;
        // The data stays inside the axes.
        EXPECT_LE(chart.Plot.YMin, std::min(run.from, run.to));
        EXPECT_GE(chart.Plot.YMax, std::max(run.from, run.to));
        EXPECT_LE(chart.Plot.XMin, 7);
        EXPECT_GE(chart.Plot.XMax, 94);
    }
}

TEST(StepChart, PointerReadOut)
{
    TStepChart chart;
    SetupStepChart(chart, rampMatrix(20, 80, 380), {});
    RecordingCanvas canvas;
    chart.Redraw(canvas, 600, 400);
    EXPECT_EQ(chart.PointerText(chart.Plot.Left, chart.Plot.Bottom), "X=0.000, Y=50.000");
    EXPECT_EQ(chart.PointerText(chart.Plot.Right, chart.Plot.Top), "X=20.000, Y=400.000");
    EXPECT_EQ(chart.PointerText(chart.Plot.Left - 1, chart.Plot.Top), "");
    EXPECT_EQ(chart.PointerText(chart.Plot.Left, chart.Plot.Bottom + 1), "");
}

TEST(StepChart, PictureOfTheChart)
{
    std::unique_ptr<TTypeface> typeface;
    try {
        typeface = LoadSansTypeface();
    } catch (const ZmkError&) {
        GTEST_SKIP() << "no sans font installed";
    }
    TStepChart chart;
    SetupStepChart(chart, rampMatrix(100, 80, 380), StepLegendTexts(850.4, 80, 100, 380, 177.3));
    const auto image = RenderStepChart(chart, *typeface, 720, 480);
    const auto decoded = testing::ReadPng(EncodePng(image));
    EXPECT_EQ(decoded.Image.Height(), 480);
    EXPECT_GT(decoded.Image.Width(), 720);
    int red = 0, green = 0, navy = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 720; ++x) {
            const TColor c = decoded.Image.Pixel(x, y);
            red += c == colors::Red;
            green += c == colors::Green;
            navy += c == colors::Navy;
        }
    // Each series is a two-pixel line across most of the plot's 504 pixel width.
    EXPECT_GT(red, 700);
    EXPECT_GT(green, 700);
    EXPECT_GT(navy, 700);
    // The first air point sits at the plot's left edge at 380 °C.
    EXPECT_EQ(decoded.Image.Pixel(chart.Plot.XToPixel(0), chart.Plot.YToPixel(380)), colors::Green);
}

} // namespace
} // namespace zmk
