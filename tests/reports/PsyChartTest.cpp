// The job's psychrometric chart: where its process and its lines land on the canvas, the range
// chosen from the job, the round ticks in the display units, the pointer read-out, and the SVG
// canvas that keeps text as text.
#include "reports/PsyChart.h"
#include "reports/PsyChartPicture.h"
#include "reports/SvgCanvas.h"

#include "support/ProjectTestSession.h"
#include "support/TempDir.h"

#include "base/NumText.h"
#include "units/ConvTools.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace zmk {
namespace {

using ::testing::HasSubstr;
using Kind = TCanvasCall::Kind;

constexpr int kW = 800;
constexpr int kH = 600;

// The centre of the filled mark in a colour, or none.
std::optional<TPoint> markOf(const RecordingCanvas& canvas, TColor colour)
{
    for (const TCanvasCall& c : canvas.Calls(Kind::Ellipse))
        if (c.Brush.Color == colour)
            return TPoint{(c.Points[0].X + c.Points[1].X - 1) / 2, (c.Points[0].Y + c.Points[1].Y - 1) / 2};
    return std::nullopt;
}

// The pixel of a state worked out from the plot box and the range alone.
TPoint expectedPixel(const TPsyChartFrame& f, double db, double w)
{
    const double x = f.Left + (db - f.Range.TMin) / (f.Range.TMax - f.Range.TMin) * (f.Right - f.Left);
    const double y = f.Bottom - w / f.Range.WMax * (f.Bottom - f.Top);
    return {static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y))};
}

// The distance from a pixel to the nearest segment drawn in a pen; none when there is none.
std::optional<double> distanceToLine(const RecordingCanvas& canvas, const TPen& pen, TPoint p)
{
    std::optional<double> best;
    for (const TCanvasCall& c : canvas.Calls(Kind::Line)) {
        if (!(c.Pen == pen))
            continue;
        const double ax = c.Points[0].X, ay = c.Points[0].Y, bx = c.Points[1].X, by = c.Points[1].Y;
        const double len2 = (bx - ax) * (bx - ax) + (by - ay) * (by - ay);
        const double u =
            len2 > 0 ? std::clamp(((p.X - ax) * (bx - ax) + (p.Y - ay) * (by - ay)) / len2, 0.0, 1.0) : 0;
        const double d = std::hypot(ax + u * (bx - ax) - p.X, ay + u * (by - ay) - p.Y);
        if (!best || d < *best)
            best = d;
    }
    return best;
}

struct JobCase
{
    const char* kind;
    double humidityOn; // kg/kg; 0 keeps the default
    bool highTemperature;
    bool adp;
};

class PsyChartJobs : public ::testing::TestWithParam<JobCase>
{
protected:
    void SetUp() override { Quantities().ResetDefaults(); }
    void TearDown() override { Quantities().ResetDefaults(); }
};

// For each kind's default job and a humid heat recovery job: the entering and leaving marks lie
// on the states `zemtor props air --db --wb` works out from the job's dry and wet bulbs, within
// one pixel of an 800 x 600 chart; the apparatus dew point only where the coil is wet.
TEST_P(PsyChartJobs, ProcessPointsLieOnTheirStates)
{
    const JobCase& k = GetParam();
    test::ProjectJob j(k.kind);
    if (k.humidityOn > 0) {
        ASSERT_TRUE(j.job.EnterField(TEntryField::edHumidityOn, k.humidityOn));
        j.session.Solve();
    }
    ASSERT_TRUE(j.job.Solved()) << j.job.LastError();
    const std::optional<TPsyProcess> process = PsyProcessOf(j.session.ReportJob());
    ASSERT_TRUE(process);
    EXPECT_EQ(process->HighTemperature, k.highTemperature);
    EXPECT_EQ(process->Adp.has_value(), k.adp);

    const TPsyChart chart(*process);
    RecordingCanvas canvas;
    chart.Draw(canvas, kW, kH);
    const TPsyChartFrame f = chart.Frame(kW, kH);
    const double P = process->Pressure;
    for (const auto& [air, colour] :
         {std::pair{j.job.AirIn(), psycolors::Entering}, std::pair{j.job.AirOut(), psycolors::Leaving}}) {
        const TAirState props = SetState(P, air.db, air.wb, kPairDbWb);
        const TPoint want = expectedPixel(f, props.db, props.w);
        const std::optional<TPoint> got = markOf(canvas, colour);
        ASSERT_TRUE(got);
        EXPECT_LE(std::abs(got->X - want.X), 1) << air.db;
        EXPECT_LE(std::abs(got->Y - want.Y), 1) << air.w;
        // Inside the plot box: the range holds every state drawn.
        EXPECT_GE(got->X, f.Left);
        EXPECT_LE(got->X, f.Right);
        EXPECT_GE(got->Y, f.Top);
        EXPECT_LE(got->Y, f.Bottom);
    }
    const std::optional<TPoint> adp = markOf(canvas, psycolors::Adp);
    EXPECT_EQ(adp.has_value(), k.adp);
    if (adp) {
        const TPoint want = expectedPixel(f, *process->Adp, psy::SaturationMoisture(P, *process->Adp));
        EXPECT_LE(std::abs(adp->X - want.X), 1);
        EXPECT_LE(std::abs(adp->Y - want.Y), 1);
    }
    // The marks are labelled with their dry bulbs as the pages print them.
    std::string texts;
    for (const TCanvasCall& c : canvas.Calls(Kind::Text))
        texts += c.Text + "\n";
    EXPECT_THAT(texts,
                HasSubstr("In " + QuantityText(Quantities().air_t, true, " ", false, j.job.AirIn().db)));
    EXPECT_THAT(texts,
                HasSubstr("Out " + QuantityText(Quantities().air_t, true, " ", false, j.job.AirOut().db)));
}

INSTANTIATE_TEST_SUITE_P(Kinds, PsyChartJobs,
                         ::testing::Values(JobCase{"zmk", 0, true, false}, JobCase{"hwc", 0, false, false},
                                           JobCase{"cwc", 0, false, true}, JobCase{"zmk", 0.12, true, false}),
                         [](const auto& info) {
                             return std::string(info.param.kind) + (info.param.humidityOn > 0 ? "Humid" : "");
                         });

TEST(PsyChart, SaturationLineMatchesPsyAtFiveTemperatures)
{
    Quantities().ResetDefaults();
    for (const double P : {101.325, 84.0}) {
        TPsyProcess p;
        p.Pressure = P;
        p.In = SetState(P, 30, 0.5, kPairDbRh);
        p.Out = SetState(P, 14, 0.95, kPairDbRh);
        const TPsyChart chart(p);
        RecordingCanvas canvas;
        chart.Draw(canvas, kW, kH);
        const TPsyChartFrame f = chart.Frame(kW, kH);
        for (const double t : {-8.0, 0.0, 12.5, 20.0, 28.0}) {
            const TPoint want = expectedPixel(f, t, SetState(P, t, 1.0, kPairDbRh).w);
            const std::optional<double> d =
                distanceToLine(canvas, TPen{psycolors::Saturation, 2, TPenStyle::Solid}, want);
            ASSERT_TRUE(d) << t;
            EXPECT_LE(*d, 1.0) << "P " << P << ", t " << t;
        }
    }
}

TEST(PsyChart, RangeFollowsTheJob)
{
    auto process = [](double inDb, double inW, double outDb, double outW, bool hot) {
        TPsyProcess p;
        p.HighTemperature = hot;
        p.In = SetState(101.325, inDb, inW, kPairDbW);
        p.Out = SetState(101.325, outDb, outW, kPairDbW);
        return p;
    };
    struct Case
    {
        TPsyProcess p;
        double tMin, tMax, wMax;
    };
    const Case cases[] = {
        {process(26.7, 0.011, 12, 0.008, false), -10, 55, 0.03},  // chilled water: the room chart
        {process(10, 0.005, 35, 0.005, false), -10, 55, 0.03},    // hot water
        {process(-25, 0.0005, 62, 0.0005, false), -25, 70, 0.03}, // a room chart widened to round values
        {process(380, 0.005, 233, 0.005, false), -10, 400, 0.03}, // hot air through a chilled water coil
        {process(30, 0.04, 40, 0.04, false), -10, 55, 0.05},      // wetter air: the moisture axis grows
        {process(380, 0.01, 177, 0.01, true), 0, 400, 0.015},     // heat recovery up to its inlet
        {process(300, 0.005, 212, 0.005, true), 0, 350, 0.01},    // room right of the hottest state
        {process(900, 0.12, 300, 0.12, true), 0, 1000, 0.15},     // a humid 900 °C exhaust
    };
    for (const Case& c : cases) {
        const TPsyChartRange r = PsyChartRange(c.p);
        EXPECT_DOUBLE_EQ(r.TMin, c.tMin) << c.p.In.db;
        EXPECT_DOUBLE_EQ(r.TMax, c.tMax) << c.p.In.db;
        EXPECT_NEAR(r.WMax, c.wMax, 1e-12) << c.p.In.db;
    }
}

// Collects the dry-bulb axis's tick texts: the texts right under the plot box.
std::vector<std::string> axisTicks(const RecordingCanvas& canvas, const TPsyChartFrame& f)
{
    std::vector<std::string> ticks;
    for (const TCanvasCall& c : canvas.Calls(Kind::Text))
        if (c.Points[0].Y > f.Bottom && c.Points[0].Y < f.Bottom + f.FontSize && c.Font.Size == f.FontSize)
            ticks.push_back(c.Text);
    return ticks;
}

TEST(PsyChart, TicksAreRoundInTheDisplayUnits)
{
    TPsyProcess p;
    p.In = SetState(101.325, 26.7, 0.011, kPairDbW);
    p.Out = SetState(101.325, 12.8, 0.0085, kPairDbW);
    const TPsyChart chart(p);
    const TPsyChartFrame f = chart.Frame(kW, kH);
    for (const bool imperial : {false, true}) {
        Quantities().ResetDefaults();
        if (imperial)
            SetAllImperial();
        RecordingCanvas canvas;
        chart.Draw(canvas, kW, kH);
        const std::vector<std::string> ticks = axisTicks(canvas, f);
        ASSERT_GE(ticks.size(), 5u);
        // -10..55 °C is 14..131 °F: round steps either way, in order, one step apart.
        std::vector<double> values;
        for (const std::string& t : ticks)
            values.push_back(std::stod(t));
        const double step = values[1] - values[0];
        EXPECT_TRUE(step == 5 || step == 10 || step == 20) << step;
        for (std::size_t i = 0; i < values.size(); ++i) {
            EXPECT_DOUBLE_EQ(std::fmod(values[i], step), 0.0) << ticks[i];
            if (i > 0) {
                EXPECT_DOUBLE_EQ(values[i] - values[i - 1], step);
            }
        }
        EXPECT_EQ(values.front(), imperial ? 20 : -10);
        std::string texts;
        for (const TCanvasCall& c : canvas.Calls(Kind::Text))
            texts += c.Text + "\n";
        EXPECT_THAT(texts, HasSubstr(imperial ? "Dry bulb, °F" : "Dry bulb, °C"));
        EXPECT_THAT(texts, HasSubstr(imperial ? "Moisture content, gr/lb" : "Moisture content, g/kg"));
    }
    Quantities().ResetDefaults();
}

TEST(PsyChart, ReadOutGivesTheStateUnderThePointer)
{
    Quantities().ResetDefaults();
    TPsyProcess p;
    p.In = SetState(101.325, 26.7, 0.011, kPairDbW);
    p.Out = SetState(101.325, 12.8, 0.0085, kPairDbW);
    const TPsyChart chart(p);
    const TPsyChartFrame f = chart.Frame(kW, kH);

    // A pixel's state is the one drawn there: back to its pixel, with every property of Psy.
    const TAirState room = SetState(101.325, 24, 0.5, kPairDbRh);
    const TPoint at = f.Pixel(room.db, room.w);
    const std::optional<TAirState> s = chart.StateAt(kW, kH, at.X, at.Y);
    ASSERT_TRUE(s);
    const double kPerPixel = (f.Range.TMax - f.Range.TMin) / (f.Right - f.Left);
    const double wPerPixel = f.Range.WMax / (f.Bottom - f.Top);
    EXPECT_NEAR(s->db, room.db, kPerPixel);
    EXPECT_NEAR(s->w, room.w, wPerPixel);
    const TAirState same = SetState(101.325, s->db, s->w, kPairDbW);
    EXPECT_DOUBLE_EQ(s->wb, same.wb);
    EXPECT_DOUBLE_EQ(s->h, same.h);
    EXPECT_DOUBLE_EQ(s->v, same.v);

    const std::string text = chart.ReadOut(kW, kH, at.X, at.Y);
    EXPECT_THAT(text, HasSubstr("DB " + QuantityText(Quantities().air_t, true, " ", false, s->db)));
    EXPECT_THAT(text, HasSubstr("WB " + QuantityText(Quantities().air_t, true, " ", false, s->wb)));
    EXPECT_THAT(text, HasSubstr("RH " + Format("%0.1f", s->rh * 100) + " %"));
    EXPECT_THAT(text, HasSubstr("h " + QuantityText(Quantities().air_h, true, " ", false, s->h)));
    EXPECT_THAT(text, HasSubstr("m³/kg"));

    // Above the saturation line, and outside the box, there is no air to read.
    const TPoint fog = f.Pixel(10, 0.025);
    EXPECT_FALSE(chart.StateAt(kW, kH, fog.X, fog.Y));
    EXPECT_EQ(chart.ReadOut(kW, kH, fog.X, fog.Y), "");
    EXPECT_FALSE(chart.StateAt(kW, kH, f.Left - 3, f.Bottom - 3));
    EXPECT_FALSE(chart.StateAt(kW, kH, f.Right - 3, f.Bottom + 3));

    SetAllImperial();
    EXPECT_THAT(chart.ReadOut(kW, kH, at.X, at.Y), HasSubstr("ft³/lb"));
    EXPECT_THAT(chart.ReadOut(kW, kH, at.X, at.Y), HasSubstr("°F"));
    Quantities().ResetDefaults();
}

TEST(PsyChart, StepRunIsDrawnThroughItsSliceStates)
{
    const double P = 101.325;
    // Air cooled and dried along the coil: dry bulb row 1, dew point row 3.
    std::vector<std::vector<double>> matrix(4);
    for (int i = 0; i < 100; ++i) {
        matrix[0].push_back(7 + 0.05 * i);
        matrix[1].push_back(26.7 - 0.14 * i);
        matrix[2].push_back(9 + 0.05 * i);
        matrix[3].push_back(15.5 - 0.06 * i);
    }
    const std::vector<TAirState> slices = StepAirStates(matrix, P);
    ASSERT_EQ(slices.size(), 100u);
    EXPECT_NEAR(slices[0].dewpoint, 15.5, 1e-6);
    EXPECT_NEAR(slices[99].db, matrix[1][99], 1e-12);
    EXPECT_TRUE(StepAirStates({{1.0}, {2.0}}, P).empty());

    TPsyProcess p;
    p.Pressure = P;
    p.In = SetState(P, 26.7, 0.011, kPairDbW);
    p.Out = slices.back();
    p.Slices = slices;
    const TPsyChart chart(p);
    RecordingCanvas canvas;
    chart.Draw(canvas, kW, kH);
    const TPsyChartFrame f = chart.Frame(kW, kH);
    // Every slice is a corner of the thick process curve.
    std::vector<TPoint> corners;
    for (const TCanvasCall& c : canvas.Calls(Kind::Line))
        if (c.Pen == TPen{psycolors::Process, 3, TPenStyle::Solid}) {
            corners.push_back(c.Points[0]);
            corners.push_back(c.Points[1]);
        }
    for (const int i : {0, 33, 66, 99}) {
        const TPoint want = f.Pixel(slices[i].db, slices[i].w);
        bool found = false;
        for (const TPoint& c : corners)
            found = found || (std::abs(c.X - want.X) <= 1 && std::abs(c.Y - want.Y) <= 1);
        EXPECT_TRUE(found) << i;
    }
}

TEST(SvgCanvas, KeepsTextAsTextAndJoinsLines)
{
    TSvgCanvas svg(200, 100);
    svg.Pen = TPen{colors::Red, 2, TPenStyle::Dash};
    svg.Line(0, 0, 10, 10);
    svg.Line(10, 10, 20, 5); // joined to the line before
    svg.Pen = TPen{colors::Navy, 1, TPenStyle::Solid};
    svg.Line(20, 5, 30, 5); // another pen: a new polyline, on the pixel centres
    svg.Font = TFont{colors::Green, 12};
    svg.TextOut(5, 50, "In <26.7 °C> & dry");
    svg.Brush = TBrush{colors::White, TBrushStyle::Clear};
    svg.Ellipse(0, 0, 9, 9);
    const std::string doc = svg.Document();
    EXPECT_THAT(doc, HasSubstr("width=\"200\" height=\"100\""));
    EXPECT_THAT(doc, HasSubstr("<polyline points=\"0,0 10,10 20,5\" fill=\"none\" stroke=\"#ff0000\" "
                               "stroke-width=\"2\" stroke-dasharray=\"12,6\"/>"));
    EXPECT_THAT(doc, HasSubstr("<polyline points=\"20.5,5.5 30.5,5.5\" fill=\"none\" stroke=\"#000080\""));
    EXPECT_THAT(doc, HasSubstr(">In &lt;26.7 °C&gt; &amp; dry</text>"));
    EXPECT_THAT(doc, HasSubstr("fill=\"#008000\""));
    EXPECT_THAT(doc, HasSubstr("<ellipse cx=\"4.5\" cy=\"4.5\" rx=\"4.5\" ry=\"4.5\" fill=\"none\""));
    EXPECT_TRUE(doc.ends_with("</svg>\n"));
    EXPECT_EQ(svg.TextWidth("abcd"), svg.TextWidth("ab") * 2);
}

TEST(PsyChartPicture, FilesOfASolvedJobOnly)
{
    Quantities().ResetDefaults();
    testing::TempDir dir;
    test::ProjectJob j("cwc");
    TReportJob report = j.session.ReportJob();
    report.ReportFolder = dir.path();
    ASSERT_TRUE(WritePsyChartPictures(report, nullptr));
    std::string svg;
    ASSERT_TRUE(ReadFileBytes(dir.path() / reportfiles::PsyChartSvg, svg));
    EXPECT_THAT(svg, HasSubstr("Psychrometric chart"));
    EXPECT_THAT(svg, HasSubstr(">ADP "));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / reportfiles::PsyChartPng)); // no face, no PNG

    report.Solved = false;
    std::filesystem::remove(dir.path() / reportfiles::PsyChartSvg);
    EXPECT_FALSE(WritePsyChartPictures(report, nullptr));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / reportfiles::PsyChartSvg));
}

} // namespace
} // namespace zmk
