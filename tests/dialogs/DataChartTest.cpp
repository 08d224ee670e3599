// The step-by-step chart window's model: what the command hands it, when it draws, the axes,
// ticks, labels and grid on a recording canvas, the legend, the pointer read-out and the
// clipboard picture, and the charts with nothing to scale.
#include "dialogs/DataChart.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>

namespace zmk {
namespace {

using Kind = TCanvasCall::Kind;

// The step command's data for `steps` columns, the air falling from `hot` to `cold`.
TStepChartData stepData(int steps, double cold, double hot)
{
    TStepChartData d;
    d.Matrix.assign(4, std::vector<double>(steps));
    for (int i = 0; i < steps; ++i) {
        const double f = steps > 1 ? i / double(steps - 1) : 0;
        d.Matrix[0][i] = cold + 20 * f;          // liquid
        d.Matrix[1][i] = hot - (hot - cold) * f; // air
        d.Matrix[2][i] = (d.Matrix[0][i] + d.Matrix[1][i]) / 2;
        d.Matrix[3][i] = 1000; // the dew point row is not drawn
    }
    d.LastColumn = steps - 1;
    d.Captions = {"Duty 850 kW", "80.0 - 100.0 °C", "380.0 - 177.3 °C"};
    return d;
}

// The texts drawn with their top at a row, in drawing order.
std::vector<std::string> textsAtRow(const RecordingCanvas& canvas, int y)
{
    std::vector<std::string> texts;
    for (const auto& c : canvas.Calls(Kind::Text))
        if (c.Points[0].Y == y)
            texts.push_back(c.Text);
    return texts;
}

TEST(DataChart, TheCommandFillsTheWindow)
{
    TDataChart chart;
    EXPECT_EQ(chart.Caption(), "Data Chart");
    for (const TLegendLabel& l : chart.LegendLabels())
        EXPECT_FALSE(l.Visible);
    chart.Show(stepData(100, 80, 380));
    EXPECT_EQ(chart.Caption(), "Step-by-Step Simulation");
    const auto labels = chart.LegendLabels();
    EXPECT_EQ(labels[0].Text, "Fluid");
    EXPECT_EQ(labels[1].Text, "Air");
    EXPECT_EQ(labels[2].Text, "Surface");
    EXPECT_EQ(labels[3].Text, "Data 3");
    EXPECT_EQ(labels[0].Color, colors::Red);
    EXPECT_EQ(labels[1].Color, colors::Green);
    EXPECT_EQ(labels[2].Color, colors::Navy);
    EXPECT_EQ(labels[3].Color, colors::Olive);
    EXPECT_TRUE(labels[0].Visible && labels[1].Visible && labels[2].Visible);
    EXPECT_FALSE(labels[3].Visible);
    EXPECT_EQ(chart.DutyText(), "Duty 850 kW");
    EXPECT_EQ(chart.FluidText(), "80.0 - 100.0 °C");
    EXPECT_EQ(chart.AirText(), "380.0 - 177.3 °C");
    EXPECT_EQ(chart.Chart.Plot.XTitle, "Step");
    EXPECT_EQ(chart.Chart.Plot.YTitle, "degC");
    EXPECT_EQ(chart.Chart.Last, 99);

    EXPECT_THAT(StepFailureLines(),
                ::testing::ElementsAre("There is no solution with this data...", "",
                                       "Check that the tube side fluid is", "within the temperature range!"));
    EXPECT_STREQ(kDataChartCopyCaption, "Copy to Windows clipboard");
}

TEST(DataChart, DrawsOnActivationThenOnEveryResize)
{
    TDataChart chart;
    chart.Show(stepData(20, 80, 380));
    RecordingCanvas canvas;
    EXPECT_FALSE(chart.Resize(canvas, 600, 400));
    EXPECT_TRUE(canvas.calls.empty());
    EXPECT_EQ(chart.PointerText(300, 200), "") << "nothing drawn yet";
    chart.Activate(canvas, 600, 400);
    EXPECT_FALSE(canvas.calls.empty());
    canvas.calls.clear();
    EXPECT_TRUE(chart.Resize(canvas, 800, 500));
    EXPECT_EQ(canvas.calls[0].Op, Kind::FillRect);
    EXPECT_EQ(canvas.calls[0].Points[1], (TPoint{800, 500}));
}

TEST(DataChart, AxesTicksLabelsAndGridOfTwentySteps)
{
    TDataChart chart;
    chart.Show(stepData(20, 80, 380));
    RecordingCanvas canvas;
    chart.Activate(canvas, 600, 400);
    const TWinPlot& plot = chart.Chart.Plot;
    // x 0..20 in steps of 2; y from 80 - 15 to 380 + 15, widened to 50..400 in round steps of 50.
    EXPECT_EQ(std::make_tuple(plot.XMin, plot.XMax, plot.XStep), std::make_tuple(0.0, 20.0, 2.0));
    EXPECT_EQ(std::make_tuple(plot.YMin, plot.YMax, plot.YStep), std::make_tuple(50.0, 400.0, 50.0));
    EXPECT_EQ(std::make_tuple(plot.Left, plot.Top, plot.Right, plot.Bottom),
              std::make_tuple(120, 40, 540, 332));

    // x: eleven ticks and labels, 0 to 20, the last one on the frame's right edge.
    const int h = canvas.LineHeight / 2;
    EXPECT_THAT(textsAtRow(canvas, plot.Bottom + h),
                ::testing::ElementsAre("0", "2", "4", "6", "8", "10", "12", "14", "16", "18", "20"));
    std::vector<int> xTicks;
    for (const auto& c : canvas.Calls(Kind::Line))
        if (c.Points[0].Y == plot.Bottom && c.Points[1].Y == plot.Bottom + h &&
            c.Points[0].X == c.Points[1].X)
            xTicks.push_back(c.Points[0].X);
    ASSERT_EQ(xTicks.size(), 11u);
    EXPECT_EQ(xTicks.front(), plot.Left);
    EXPECT_EQ(xTicks[1], plot.XToPixel(2));
    EXPECT_EQ(xTicks.back(), plot.Right);

    // y: labels 50, 100, ... 400, right-aligned left of the ticks; none beyond the frame.
    std::vector<std::string> yLabels;
    for (const auto& c : canvas.Calls(Kind::Text))
        if (c.Points[0].X + canvas.TextWidth(c.Text) == plot.Left - canvas.CharWidth / 2)
            yLabels.push_back(c.Text);
    EXPECT_THAT(yLabels, ::testing::ElementsAre("50", "100", "150", "200", "250", "300", "350", "400"));
    EXPECT_EQ(plot.YToPixel(400), plot.Top);

    // The dotted grid: vertical lines at 2..18, horizontal ones at 100..350, in light grey.
    std::vector<int> columns, rows;
    for (const auto& c : canvas.Calls(Kind::Line)) {
        if (c.Pen.Style != TPenStyle::Dot)
            continue;
        EXPECT_EQ(c.Pen.Color, colors::LightGray);
        if (c.Points[0].X == c.Points[1].X)
            columns.push_back(c.Points[0].X);
        else
            rows.push_back(c.Points[0].Y);
    }
    std::vector<int> expectedColumns, expectedRows;
    for (int x = 2; x <= 18; x += 2)
        expectedColumns.push_back(plot.XToPixel(x));
    for (int y = 100; y <= 350; y += 50)
        expectedRows.push_back(plot.YToPixel(y));
    EXPECT_EQ(columns, expectedColumns);
    EXPECT_EQ(rows, expectedRows);

    // The titles: "Step" centred under the axis labels, "degC" above the plot's left edge.
    const auto texts = canvas.Calls(Kind::Text);
    const auto step =
        std::find_if(texts.begin(), texts.end(), [](const auto& c) { return c.Text == "Step"; });
    ASSERT_NE(step, texts.end());
    EXPECT_EQ(step->Points[0], (TPoint{(120 + 540 - 32) / 2, 332 + 28}));
    const auto degC =
        std::find_if(texts.begin(), texts.end(), [](const auto& c) { return c.Text == "degC"; });
    ASSERT_NE(degC, texts.end());
    EXPECT_EQ(degC->Points[0], (TPoint{120, 40 - 3 * h}));

    // The pointer read-out inside and outside the axis ranges.
    EXPECT_EQ(chart.PointerText(plot.Left, plot.Bottom), "X=0.000, Y=50.000");
    EXPECT_EQ(chart.PointerText(plot.Right, plot.Top), "X=20.000, Y=400.000");
    EXPECT_EQ(chart.PointerText(plot.Right + 1, plot.Top), "");
    EXPECT_EQ(chart.PointerText(plot.Left, plot.Top - 1), "");
}

TEST(DataChart, NothingToScale)
{
    // All values equal: the range opens one degree either side; one step: one step wide.
    struct Case
    {
        TStepChartData data;
        double ymin, ymax, xmax;
        std::vector<std::string> xLabels;
    };
    TStepChartData flat = stepData(10, 50, 50);
    for (auto& row : flat.Matrix)
        std::fill(row.begin(), row.end(), 50.0);
    const Case cases[] = {
        {flat, 49, 51, 10, {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}},
        {stepData(1, 80, 380), 50.0, 400.0, 1, {"0", "1"}},
    };
    for (const Case& c : cases) {
        TDataChart chart;
        chart.Show(c.data);
        RecordingCanvas canvas;
        chart.Activate(canvas, 600, 400);
        const TWinPlot& plot = chart.Chart.Plot;
        EXPECT_NEAR(plot.YMin, c.ymin, 1e-9);
        EXPECT_NEAR(plot.YMax, c.ymax, 1e-9);
        EXPECT_DOUBLE_EQ(plot.XMax, c.xmax);
        EXPECT_TRUE(std::isfinite(plot.XScale) && std::isfinite(plot.YScale));
        EXPECT_EQ(textsAtRow(canvas, plot.Bottom + canvas.LineHeight / 2), c.xLabels);
        for (const auto& call : canvas.calls)
            for (const TPoint& p : call.Points)
                EXPECT_TRUE(std::abs(p.X) < 2000 && std::abs(p.Y) < 2000);
        EXPECT_NE(chart.PointerText(plot.Left + 1, plot.Bottom - 1), "");
    }
    // No data at all: an empty frame, never a division by zero.
    TDataChart empty;
    empty.Show(TStepChartData{});
    RecordingCanvas canvas;
    empty.Activate(canvas, 600, 400);
    EXPECT_GT(empty.Chart.Plot.YMax, empty.Chart.Plot.YMin);
    EXPECT_TRUE(canvas.Calls(Kind::Pixel).empty());
}

TEST(DataChart, TheClipboardPicture)
{
    TDataChart chart;
    chart.Show(stepData(20, 80, 380));
    RecordingCanvas window;
    chart.Activate(window, 600, 400);
    const TWinPlot before = chart.Chart.Plot;

    RecordingCanvas picture;
    chart.DrawPicture(picture, 720, 480);
    const int total = TDataChart::PictureWidth(720, 480);
    EXPECT_GT(total, 720);
    // A white page across the whole picture, the three curves, and the legend panel's texts.
    bool coversRight = false;
    for (const auto& c : picture.Calls(Kind::FillRect))
        coversRight = coversRight || c.Points[1].X == total;
    EXPECT_TRUE(coversRight);
    std::vector<std::string> legend;
    for (const auto& c : picture.Calls(Kind::Text))
        if (c.Points[0].X > 720)
            legend.push_back(c.Text);
    EXPECT_THAT(legend, ::testing::ElementsAre("Step-by-Step Simulation", "Fluid", "80.0 - 100.0 °C", "Air",
                                               "380.0 - 177.3 °C", "Surface", "Duty 850 kW"));
    // The window's own plot, which the pointer read-out measures in, is left as it was.
    EXPECT_EQ(chart.Chart.Plot.Right, before.Right);
    EXPECT_EQ(chart.Chart.Plot.Bottom, before.Bottom);
}

} // namespace
} // namespace zmk
