// The chart canvas on a Qt painter keeps the canvas's pixel rules (shapes cover x1..x2-1, lines
// stop short of their end), so the window draws the same pixels the plot engine computes.
#include "gui/PainterCanvas.h"

#include "reports/StepChart.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <functional>

namespace zmk::test {
namespace {

constexpr QRgb kGround = 0xFF808080;

QImage draw(const std::function<void(ICanvas&)>& paint)
{
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(kGround);
    QPainter painter(&image);
    gui::TPainterCanvas canvas(painter);
    canvas.Pen = TPen{colors::Black, 1, TPenStyle::Solid};
    canvas.Brush = TBrush{colors::White, TBrushStyle::Solid};
    paint(canvas);
    painter.end();
    return image;
}

TEST(PainterCanvas, ShapesAndLinesCoverTheCanvasPixels)
{
    struct Probe
    {
        int x, y;
        QRgb rgb;
    };
    struct Case
    {
        const char* name;
        std::function<void(ICanvas&)> paint;
        std::vector<Probe> probes;
    };
    const QRgb black = 0xFF000000, white = 0xFFFFFFFF;
    const std::vector<Case> cases{
        {"rectangle",
         [](ICanvas& c) { c.Rectangle(10, 10, 20, 15); },
         {{10, 10, black}, {19, 14, black}, {15, 12, white}, {20, 10, kGround}, {10, 15, kGround}}},
        {"fill", [](ICanvas& c) { c.FillRect(0, 0, 5, 5); }, {{0, 0, white}, {4, 4, white}, {5, 5, kGround}}},
        {"clear brush fills nothing",
         [](ICanvas& c) {
             c.Brush.Style = TBrushStyle::Clear;
             c.FillRect(0, 0, 5, 5);
         },
         {{2, 2, kGround}}},
        {"horizontal line",
         [](ICanvas& c) { c.Line(2, 3, 12, 3); },
         {{2, 3, black}, {11, 3, black}, {12, 3, kGround}}},
        {"vertical line",
         [](ICanvas& c) { c.Line(5, 20, 5, 10); },
         {{5, 20, black}, {5, 11, black}, {5, 10, kGround}}},
        {"diagonal line",
         [](ICanvas& c) { c.Line(0, 0, 10, 10); },
         {{0, 0, black}, {9, 9, black}, {10, 10, kGround}}},
        {"clear pen",
         [](ICanvas& c) {
             c.Pen.Style = TPenStyle::Clear;
             c.Line(0, 5, 20, 5);
         },
         {{10, 5, kGround}}},
        {"pixel", [](ICanvas& c) { c.SetPixel(7, 8, colors::Black); }, {{7, 8, black}, {8, 8, kGround}}},
    };
    for (const Case& k : cases) {
        const QImage image = draw(k.paint);
        for (const Probe& p : k.probes)
            EXPECT_EQ(image.pixel(p.x, p.y), p.rgb) << k.name << " at " << p.x << "," << p.y;
    }
}

TEST(PainterCanvas, TextSitsBelowItsTopAndIsMeasured)
{
    QImage image = draw([](ICanvas& c) {
        c.Font = TFont{colors::Black, 14};
        EXPECT_GT(c.TextWidth("MMMM"), c.TextWidth("M"));
        EXPECT_GE(c.TextHeight("M"), 14);
        c.TextOut(2, 10, "MMMM");
    });
    bool inked = false;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 60) {
                EXPECT_GE(y, 10) << "ink above the text's top at " << x << "," << y;
                inked = true;
            }
    EXPECT_TRUE(inked);
}

TEST(PainterCanvas, TheStepChartFrameLandsWhereThePlotEngineSaysWithZeroRangeToo)
{
    // Rows of 20 steps from 80 to 380 °C, and a flat row: the frame's corners are light grey
    // at the plot rectangle, whatever the data's range.
    for (bool flat : {false, true}) {
        TChartMatrix rows(3, std::vector<double>(20));
        for (int i = 0; i < 20; ++i) {
            rows[0][i] = flat ? 50 : 80 + i * 300.0 / 19;
            rows[1][i] = flat ? 50 : 380 - i * 10.0;
            rows[2][i] = 50;
        }
        TStepChart chart;
        SetupStepChart(chart, rows, StepLegendTexts(850.4, 80, 100, 380, 177));
        QImage image(600, 400, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        gui::TPainterCanvas canvas(painter);
        chart.Redraw(canvas, 600, 400);
        painter.end();
        const TWinPlot& p = chart.Plot;
        ASSERT_GT(p.Right, p.Left);
        ASSERT_GT(p.Bottom, p.Top) << "flat " << flat;
        for (auto [x, y] : {std::pair{p.Left, p.Top}, std::pair{p.Right, p.Bottom}})
            EXPECT_EQ(image.pixel(x, y), 0xFFD3D3D3u) << "flat " << flat << " at " << x << "," << y;
        EXPECT_FALSE(chart.PointerText((p.Left + p.Right) / 2, (p.Top + p.Bottom) / 2).empty());
    }
}

} // namespace
} // namespace zmk::test
