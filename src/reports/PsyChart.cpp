#include "reports/PsyChart.h"

#include "base/NumText.h"
#include "units/ConvTools.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>

namespace zmk {

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// ---- round values ---------------------------------------------------------------------------

// The 1-2-5 step that divides span into at most about `count` parts.
double roundStep(double span, int count)
{
    if (!(span > 0) || count < 1)
        return 1;
    const double raw = span / count;
    const double decade = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double m : {1.0, 2.0, 5.0, 10.0})
        if (m * decade >= raw * (1 - 1e-9))
            return m * decade;
    return 10 * decade;
}

// x rounded up to a multiple of a round step of its own size.
double roundUp(double x, int parts)
{
    const double step = roundStep(x, parts);
    return std::ceil(x / step - 1e-9) * step;
}

// A stored value shown in a unit: shown = stored x factor + offset.
struct TShownUnit
{
    double Factor = 1;
    double Offset = 0;
    std::string Label;
    double Shown(double stored) const { return stored * Factor + Offset; }
    double Stored(double shown) const { return (shown - Offset) / Factor; }
};

TShownUnit shownUnit(TUnitsType kind, int display, int base)
{
    TShownUnit u;
    std::string format;
    UnitConversion(kind, display, base, format, u.Label, u.Factor, u.Offset);
    if (!(u.Factor > 0))
        u.Factor = 1;
    return u;
}

TShownUnit shownUnit(const UnitRec& q)
{
    return shownUnit(q.kind, q.display, q.base);
}

// Specific volume has no quantity of its own: it follows the enthalpy's unit system.
TShownUnit volumeUnit()
{
    const UnitRec& h = Quantities().air_h;
    const int display = h.display == MetricUnitIndex(utEnthalpy, h.display)
                            ? MetricUnitIndex(utSpecificVol, 0)
                            : ImperialUnitIndex(utSpecificVol, 0);
    return shownUnit(utSpecificVol, display, 0);
}

std::string numberText(double v, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", std::max(decimals, 0), v);
    std::string s = text;
    if (s.starts_with('-') && s.find_first_not_of("-0.") == std::string::npos) // "-0", "-0.0"
        s.erase(0, 1);
    return s;
}

int decimalsOf(double step)
{
    return std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
}

// Round values of a quantity between two stored values, as stored values with their texts.
struct TTick
{
    double Stored;
    std::string Text;
};

std::vector<TTick> roundTicks(const TShownUnit& unit, double lo, double hi, int count)
{
    const double a = unit.Shown(lo), b = unit.Shown(hi);
    const double step = roundStep(std::abs(b - a), count);
    const int decimals = decimalsOf(step);
    std::vector<TTick> ticks;
    for (double k = std::ceil(std::min(a, b) / step - 1e-9); k * step <= std::max(a, b) + step * 1e-9; k += 1)
        ticks.push_back({unit.Stored(k * step), numberText(k * step, decimals)});
    return ticks;
}

// ---- moist air ------------------------------------------------------------------------------

double saturationMoisture(double P, double t)
{
    return psy::SaturationMoisture(P, t);
}

// Moisture content at a relative humidity, or infinity where the vapour pressure reaches the
// barometric pressure.
double moistureAtRh(double P, double t, double rh)
{
    const double pw = rh * psy::SaturationPressure(t);
    if (pw >= P * 0.999)
        return kInf;
    return psy::MoistureFromVapourPressure(P, pw);
}

// The dry bulb of a specific volume (m³/kg dry air) at a moisture content.
double dryBulbAtVolume(double P, double v, double w)
{
    double lo = -100, hi = 2000;
    for (int i = 0; i < 60; ++i) {
        const double mid = 0.5 * (lo + hi);
        (psy::SpecificVolume(P, mid, w) < v ? lo : hi) = mid;
    }
    return 0.5 * (lo + hi);
}

// ---- drawing --------------------------------------------------------------------------------

struct TChartPoint
{
    double T;
    double W;
};

using TCurve = std::function<TChartPoint(double)>;

// The parts of the curve s -> (t, w), s0..s1 in `steps`, that lie inside the chart, each as
// its points: crossings of the chart's edge are found by halving.
std::vector<std::vector<TChartPoint>> insideRuns(const TCurve& curve, double s0, double s1, int steps,
                                                 const std::function<bool(TChartPoint)>& inside)
{
    std::vector<std::vector<TChartPoint>> runs;
    std::vector<TChartPoint> run;
    double prevS = s0;
    bool prevIn = false;
    for (int i = 0; i <= steps; ++i) {
        const double s = s0 + (s1 - s0) * i / steps;
        const TChartPoint p = curve(s);
        const bool in = inside(p);
        if (i > 0 && in != prevIn) {
            double a = prevS, b = s; // a on the side of prevIn
            for (int k = 0; k < 30; ++k) {
                const double m = 0.5 * (a + b);
                (inside(curve(m)) == prevIn ? a : b) = m;
            }
            const TChartPoint edge = curve(prevIn ? a : b);
            run.push_back(edge);
            if (prevIn) {
                runs.push_back(std::move(run));
                run.clear();
            }
        }
        if (in)
            run.push_back(p);
        prevS = s;
        prevIn = in;
    }
    if (run.size() > 1)
        runs.push_back(std::move(run));
    return runs;
}

class TDrawing
{
public:
    TDrawing(ICanvas& canvas, const TPsyProcess& process, const TPsyChartFrame& frame, int width, int height)
        : c_(canvas), p_(process), f_(frame), P_(process.Pressure), width_(width), height_(height)
    {
    }

    void Draw()
    {
        planMarks();
        grid();
        rhLines();
        enthalpyLines();
        volumeLines();
        saturationLine();
        frameAndAxes();
        process();
    }

private:
    bool underSaturation(TChartPoint q) const
    {
        return q.T >= f_.Range.TMin && q.T <= f_.Range.TMax && q.W >= 0 && q.W <= f_.Range.WMax &&
               q.W <= saturationMoisture(P_, q.T) * (1 + 1e-9);
    }
    bool inBox(TChartPoint q) const
    {
        return q.T >= f_.Range.TMin && q.T <= f_.Range.TMax && q.W >= 0 && q.W <= f_.Range.WMax;
    }

    void polyline(const std::vector<TChartPoint>& points)
    {
        for (std::size_t i = 1; i < points.size(); ++i) {
            const TPoint a = f_.Pixel(points[i - 1].T, points[i - 1].W);
            const TPoint b = f_.Pixel(points[i].T, points[i].W);
            if (a != b)
                c_.Line(a.X, a.Y, b.X, b.Y);
        }
    }

    // ---- labels: each takes a free place, so none hides another ----

    struct TBox
    {
        int X1, Y1, X2, Y2;
        bool Overlaps(const TBox& o) const { return X1 < o.X2 && o.X1 < X2 && Y1 < o.Y2 && o.Y1 < Y2; }
    };

    TBox boxOf(TPoint topLeft, const std::vector<std::string>& lines)
    {
        int w = 0;
        for (const std::string& l : lines)
            w = std::max(w, c_.TextWidth(l));
        const int h = lines.empty() ? 0 : c_.TextHeight(lines[0]) * static_cast<int>(lines.size());
        return {topLeft.X - 1, topLeft.Y, topLeft.X + w + 1, topLeft.Y + h};
    }

    bool isFree(const TBox& b) const
    {
        if (b.X1 < 0 || b.Y1 < 0 || b.X2 > width_ || b.Y2 > height_)
            return false;
        return std::none_of(taken_.begin(), taken_.end(), [&](const TBox& t) { return t.Overlaps(b); });
    }

    // The first free place of the candidates (top left corners), taken; none when all are taken.
    std::optional<TPoint> reserve(const std::vector<TPoint>& candidates,
                                  const std::vector<std::string>& lines)
    {
        for (const TPoint& p : candidates) {
            const TBox b = boxOf(p, lines);
            if (isFree(b)) {
                taken_.push_back(b);
                return p;
            }
        }
        return std::nullopt;
    }

    void drawText(TPoint at, const std::vector<std::string>& lines, bool ground)
    {
        if (ground) {
            const TBox b = boxOf(at, lines);
            c_.Brush = TBrush{colors::White, TBrushStyle::Solid};
            c_.FillRect(b.X1, b.Y1, b.X2, b.Y2);
        }
        int y = at.Y;
        for (const std::string& l : lines) {
            c_.TextOut(at.X, y, l);
            y += c_.TextHeight(l);
        }
    }

    // A line's label at the first free candidate place; left out when there is none.
    void label(const std::vector<TPoint>& candidates, const std::string& s)
    {
        if (const std::optional<TPoint> at = reserve(candidates, {s}))
            drawText(*at, {s}, true);
    }

    void small(TColor colour) { c_.Font = TFont{colour, std::max(8, f_.FontSize - 2)}; }

    void grid()
    {
        c_.Pen = TPen{colors::Gainsboro, 1, TPenStyle::Solid};
        // Dry-bulb lines up to the saturation line, moisture lines from it to the right edge.
        for (const TTick& t : tTicks_) {
            const double top = std::min(saturationMoisture(P_, t.Stored), f_.Range.WMax);
            const TPoint a = f_.Pixel(t.Stored, 0), b = f_.Pixel(t.Stored, top);
            c_.Line(a.X, a.Y, b.X, b.Y);
        }
        for (const TTick& w : wTicks_) {
            const double dew =
                std::max(psy::DewPoint(psy::VapourPressureFromMoisture(P_, w.Stored)), f_.Range.TMin);
            const TPoint a = f_.Pixel(dew, w.Stored), b = f_.Pixel(f_.Range.TMax, w.Stored);
            c_.Line(a.X, a.Y, b.X, b.Y);
        }
    }

    void rhLines()
    {
        small(TColor::FromRgb(0x707090));
        for (int percent = 10; percent <= 90; percent += 10) {
            c_.Pen = TPen{TColor::FromRgb(0x9090B0), 1, TPenStyle::Solid};
            const double rh = percent / 100.0;
            const auto runs = insideRuns(
                [&](double t) {
                    return TChartPoint{t, moistureAtRh(P_, t, rh)};
                },
                f_.Range.TMin, f_.Range.TMax, 240, [&](TChartPoint q) { return inBox(q); });
            for (const auto& run : runs)
                polyline(run);
            if (runs.empty())
                continue;
            // Labelled on a column at four fifths of the dry-bulb range, or where the line leaves
            // the box.
            const std::string s = std::to_string(percent) + "%";
            const int w = c_.TextWidth(s), h = c_.TextHeight(s);
            std::vector<TPoint> places;
            const double tCol = f_.Range.TMin + 0.8 * (f_.Range.TMax - f_.Range.TMin);
            if (const double wCol = moistureAtRh(P_, tCol, rh); wCol < f_.Range.WMax * 0.97) {
                const TPoint at = f_.Pixel(tCol, wCol);
                places = {{at.X - w / 2, at.Y - h / 2}, {at.X - w / 2, at.Y - h}};
            }
            const TChartPoint end = runs.back().back();
            const TPoint at = f_.Pixel(end.T, end.W);
            if (at.Y <= f_.Top + 1)
                places.push_back({at.X - w / 2, at.Y + 2});
            else
                places.push_back({at.X - w - 3, at.Y - h});
            label(places, s);
        }
    }

    void enthalpyLines()
    {
        const TShownUnit unit = shownUnit(Quantities().air_h);
        const double hLo = psy::Enthalpy(f_.Range.TMin, 0);
        const double wTop = std::min(f_.Range.WMax, saturationMoisture(P_, f_.Range.TMax));
        const double hHi = psy::Enthalpy(f_.Range.TMax, wTop);
        small(TColor::FromRgb(0x307030));
        for (const TTick& h : roundTicks(unit, hLo, hHi, 14)) {
            c_.Pen = TPen{TColor::FromRgb(0x70A070), 1, TPenStyle::Dash};
            const auto runs = insideRuns(
                [&](double w) {
                    return TChartPoint{psy::DryBulbFromEnthalpy(h.Stored, w), w};
                },
                0, f_.Range.WMax, 60, [&](TChartPoint q) { return underSaturation(q); });
            for (const auto& run : runs)
                polyline(run);
            if (runs.empty() || runs.back().size() < 2)
                continue;
            // Labelled at the upper end: on the saturation line or the top edge.
            const TChartPoint end = runs.back().back();
            const TPoint at = f_.Pixel(end.T, end.W);
            const int w = c_.TextWidth(h.Text), th = c_.TextHeight(h.Text);
            if (at.Y <= f_.Top + 1)
                label({{at.X + 2, at.Y + 2}, {at.X - w - 2, at.Y + 2}}, h.Text);
            else
                label({{at.X - w - 2, at.Y - th}, {at.X - w - 2, at.Y - 2 * th}}, h.Text);
        }
    }

    void volumeLines()
    {
        const TShownUnit unit = volumeUnit();
        const double vLo = psy::SpecificVolume(P_, f_.Range.TMin, 0);
        const double wTop = std::min(f_.Range.WMax, saturationMoisture(P_, f_.Range.TMax));
        const double vHi = psy::SpecificVolume(P_, f_.Range.TMax, wTop);
        small(TColor::FromRgb(0x806030));
        for (const TTick& v : roundTicks(unit, vLo, vHi, 9)) {
            c_.Pen = TPen{TColor::FromRgb(0xB09060), 1, TPenStyle::Dot};
            const auto runs = insideRuns(
                [&](double w) {
                    return TChartPoint{dryBulbAtVolume(P_, v.Stored, w), w};
                },
                0, f_.Range.WMax, 30, [&](TChartPoint q) { return underSaturation(q); });
            for (const auto& run : runs)
                polyline(run);
            if (runs.empty())
                continue;
            // Labelled at the lower end, just above the dry-bulb axis.
            const TChartPoint start = runs.front().front();
            if (start.W > f_.Range.WMax * 0.01)
                continue;
            const TPoint at = f_.Pixel(start.T, start.W);
            const int th = c_.TextHeight(v.Text);
            label({{at.X + 2, at.Y - 2 * th}, {at.X + 2, at.Y - 3 * th}}, v.Text);
        }
    }

    void saturationLine()
    {
        c_.Pen = TPen{psycolors::Saturation, 2, TPenStyle::Solid};
        for (const auto& run : insideRuns(
                 [&](double t) {
                     return TChartPoint{t, saturationMoisture(P_, t)};
                 },
                 f_.Range.TMin, f_.Range.TMax, 400, [&](TChartPoint q) { return inBox(q); }))
            polyline(run);
    }

    void frameAndAxes()
    {
        c_.Pen = TPen{colors::Black, 1, TPenStyle::Solid};
        c_.Brush = TBrush{colors::White, TBrushStyle::Clear};
        c_.Rectangle(f_.Left, f_.Top, f_.Right + 1, f_.Bottom + 1);
        c_.Font = TFont{colors::Black, f_.FontSize};
        const int tick = std::max(3, f_.FontSize / 3);
        for (const TTick& t : tTicks_) {
            const int x = f_.Pixel(t.Stored, 0).X;
            c_.Line(x, f_.Bottom, x, f_.Bottom + tick);
            c_.TextOut(x - c_.TextWidth(t.Text) / 2, f_.Bottom + tick + 1, t.Text);
        }
        for (const TTick& w : wTicks_) {
            const int y = f_.Pixel(f_.Range.TMax, w.Stored).Y;
            c_.Line(f_.Right, y, f_.Right + tick, y);
            c_.TextOut(f_.Right + tick + 3, y - c_.TextHeight(w.Text) / 2, w.Text);
        }
        const std::string xTitle = "Dry bulb, " + shownUnit(Quantities().air_t).Label;
        const int lh = c_.TextHeight(xTitle);
        c_.TextOut((f_.Left + f_.Right - c_.TextWidth(xTitle)) / 2, f_.Bottom + tick + lh + 3, xTitle);
        const std::string wTitle = "Moisture content, " + shownUnit(Quantities().air_w).Label;
        c_.TextOut(width_ - c_.TextWidth(wTitle) - 4, f_.Top - lh - 2, wTitle);
        const std::string title =
            "Psychrometric chart, " + FormatQuantity("%s %s", Quantities().place_barom_pressure, false, P_);
        c_.TextOut(f_.Left, f_.Top - lh - 2, title);
        // What the thin lines are, under the axis title.
        small(colors::Black);
        const std::string key = "Lines: relative humidity, enthalpy " + shownUnit(Quantities().air_h).Label +
                                " (dashed), specific volume " + volumeUnit().Label + " (dotted)";
        c_.TextOut(f_.Left, f_.Bottom + tick + 2 * lh + 4, key);
    }

    struct TMark
    {
        TAirState State;
        TColor Colour;
        std::vector<std::string> Lines;
        TPoint At;                   // the state's pixel
        std::optional<TPoint> Label; // the label's top left
    };

    int markRadius() const { return std::max(3, f_.FontSize / 3); }

    // The marks of the process and their labels' places, taken before any line is labelled:
    // the first choice is away from the process line (the colder state to the left).
    void planMarks()
    {
        const TAirState& in = p_.In;
        const TAirState& out = p_.Out;
        const bool cooling = out.db < in.db;
        auto lines = [](const std::string& name, const TAirState& s) {
            return std::vector<std::string>{name + " " +
                                                QuantityText(Quantities().air_t, true, " ", false, s.db),
                                            QuantityText(Quantities().air_w, true, " ", false, s.w)};
        };
        marks_.clear();
        marks_.push_back({in, psycolors::Entering, lines("In", in), f_.Pixel(in.db, in.w), {}});
        marks_.push_back({out, psycolors::Leaving, lines("Out", out), f_.Pixel(out.db, out.w), {}});
        if (p_.Adp) {
            const TAirState adp = SetState(P_, *p_.Adp, 1.0, kPairDbRh);
            marks_.push_back({adp, psycolors::Adp, lines("ADP", adp), f_.Pixel(adp.db, adp.w), {}});
        }
        const int r = markRadius();
        c_.Font = TFont{colors::Black, f_.FontSize};
        for (const TMark& m : marks_)
            taken_.push_back({m.At.X - r - 1, m.At.Y - r - 1, m.At.X + r + 2, m.At.Y + r + 2});
        for (std::size_t i = 0; i < marks_.size(); ++i) {
            TMark& m = marks_[i];
            const TBox b = boxOf({0, 0}, m.Lines);
            const int w = b.X2 - b.X1, h = b.Y2 - b.Y1;
            const TPoint right{m.At.X + r + 4, m.At.Y - h / 2}, left{m.At.X - r - 4 - w, m.At.Y - h / 2};
            const TPoint upRight{m.At.X + r + 2, m.At.Y - h - r}, upLeft{m.At.X - r - 2 - w, m.At.Y - h - r};
            const TPoint downRight{m.At.X + r + 2, m.At.Y + r}, downLeft{m.At.X - r - 2 - w, m.At.Y + r};
            const bool leftFirst = i == 0 ? !cooling : (i == 1 ? cooling : true);
            std::vector<TPoint> places =
                leftFirst ? std::vector<TPoint>{left, upLeft, downLeft, upRight, downRight, right}
                          : std::vector<TPoint>{right, downRight, upRight, downLeft, upLeft, left};
            m.Label = reserve(places, m.Lines);
            if (!m.Label) // crowded: drawn over the lines all the same
                m.Label = places.front();
        }
    }

    void process()
    {
        const TAirState& in = p_.In;
        const TAirState& out = p_.Out;
        if (p_.Adp) {
            c_.Pen = TPen{psycolors::Adp, 1, TPenStyle::Dash};
            const TAirState& adp = marks_.back().State;
            polyline({{in.db, in.w}, {adp.db, adp.w}});
        }
        if (!p_.Slices.empty()) {
            c_.Pen = TPen{psycolors::Process, 1, TPenStyle::Dash};
            polyline({{in.db, in.w}, {out.db, out.w}});
            std::vector<TChartPoint> curve{{in.db, in.w}};
            for (const TAirState& s : p_.Slices)
                curve.push_back({s.db, s.w});
            c_.Pen = TPen{psycolors::Process, 3, TPenStyle::Solid};
            polyline(curve);
        } else {
            c_.Pen = TPen{psycolors::Process, 3, TPenStyle::Solid};
            polyline({{in.db, in.w}, {out.db, out.w}});
        }
        const int r = markRadius();
        for (const TMark& m : marks_) {
            c_.Pen = TPen{colors::Black, 1, TPenStyle::Solid};
            c_.Brush = TBrush{m.Colour, TBrushStyle::Solid};
            c_.Ellipse(m.At.X - r, m.At.Y - r, m.At.X + r + 1, m.At.Y + r + 1);
        }
        for (const TMark& m : marks_) {
            c_.Font = TFont{m.Colour, f_.FontSize};
            drawText(*m.Label, m.Lines, true);
        }
    }

public:
    std::vector<TTick> tTicks_;
    std::vector<TTick> wTicks_;

private:
    ICanvas& c_;
    const TPsyProcess& p_;
    const TPsyChartFrame& f_;
    double P_;
    int width_;
    int height_;
    std::vector<TBox> taken_;
    std::vector<TMark> marks_;
};

} // namespace

// ---- process and range ----------------------------------------------------------------------

std::vector<TAirState> StepAirStates(const std::vector<std::vector<double>>& matrix, double P)
{
    std::vector<TAirState> states;
    if (matrix.size() < 4)
        return states;
    const std::size_t n = std::min(matrix[1].size(), matrix[3].size());
    for (std::size_t i = 0; i < n; ++i) {
        const double w = psy::MoistureFromVapourPressure(P, psy::SaturationPressure(matrix[3][i]));
        states.push_back(SetState(P, matrix[1][i], w, kPairDbW));
    }
    return states;
}

TPsyChartRange PsyChartRange(const TPsyProcess& process)
{
    std::vector<TChartPoint> states{{process.In.db, process.In.w}, {process.Out.db, process.Out.w}};
    if (process.Adp)
        states.push_back({*process.Adp, saturationMoisture(process.Pressure, *process.Adp)});
    for (const TAirState& s : process.Slices)
        states.push_back({s.db, s.w});
    double tLo = kInf, tHi = -kInf, wHi = 0;
    for (const TChartPoint& s : states) {
        if (!std::isfinite(s.T) || !std::isfinite(s.W))
            continue;
        tLo = std::min(tLo, s.T);
        tHi = std::max(tHi, s.T);
        wHi = std::max(wHi, s.W);
    }
    TPsyChartRange r;
    if (!std::isfinite(tLo)) // nothing to draw: the room chart
        return r;
    if (process.HighTemperature) {
        r.TMin = std::min(0.0, std::floor(tLo / 10) * 10);
        // A little room beyond the hottest state, for its mark and label.
        r.TMax = std::max(60.0, roundUp((tHi - r.TMin) * 1.04, 8) + r.TMin);
        r.WMax = roundUp(std::max(wHi * 1.15, 0.01), 5);
    } else {
        r.TMin = std::min(-10.0, std::floor(tLo / 5) * 5);
        if (tHi > r.TMax) {
            const double step = std::max(5.0, roundStep(tHi - r.TMin, 12));
            r.TMax = std::ceil((tHi + 0.04 * (tHi - r.TMin)) / step - 1e-9) * step;
        }
        r.WMax = std::max(0.03, roundUp(wHi * 1.15, 5));
    }
    return r;
}

// ---- frame ----------------------------------------------------------------------------------

TPsyChartFrame::TPsyChartFrame(const TPsyChartRange& range, int width, int height) : Range(range)
{
    FontSize = std::clamp(height / 46, 9, 16);
    Left = 2 * FontSize;
    Top = 3 * FontSize;
    Right = std::max(Left + 10, width - 5 * FontSize);
    Bottom = std::max(Top + 10, height - 5 * FontSize);
}

double TPsyChartFrame::X(double db) const
{
    return Left + (db - Range.TMin) / (Range.TMax - Range.TMin) * (Right - Left);
}

double TPsyChartFrame::Y(double w) const
{
    return Bottom - w / Range.WMax * (Bottom - Top);
}

TPoint TPsyChartFrame::Pixel(double db, double w) const
{
    auto hold = [](double v) { return static_cast<int>(std::lround(std::clamp(v, -30000.0, 30000.0))); };
    return {hold(X(db)), hold(Y(w))};
}

double TPsyChartFrame::DryBulbAt(double x) const
{
    return Range.TMin + (x - Left) / (Right - Left) * (Range.TMax - Range.TMin);
}

double TPsyChartFrame::MoistureAt(double y) const
{
    return (Bottom - y) / (Bottom - Top) * Range.WMax;
}

// ---- chart ----------------------------------------------------------------------------------

TPsyChart::TPsyChart(TPsyProcess process) : process_(std::move(process)), range_(PsyChartRange(process_)) {}

void TPsyChart::Draw(ICanvas& canvas, int width, int height) const
{
    const TPsyChartFrame frame = Frame(width, height);
    canvas.Brush = TBrush{colors::White, TBrushStyle::Solid};
    canvas.FillRect(0, 0, width, height);
    TDrawing drawing(canvas, process_, frame, width, height);
    drawing.tTicks_ = roundTicks(shownUnit(Quantities().air_t), range_.TMin, range_.TMax,
                                 std::max(4, (frame.Right - frame.Left) / (6 * frame.FontSize)));
    drawing.wTicks_ = roundTicks(shownUnit(Quantities().air_w), 0, range_.WMax,
                                 std::max(4, (frame.Bottom - frame.Top) / (3 * frame.FontSize)));
    drawing.Draw();
}

std::optional<TAirState> TPsyChart::StateAt(int width, int height, int px, int py) const
{
    const TPsyChartFrame f = Frame(width, height);
    if (px < f.Left || px > f.Right || py < f.Top || py > f.Bottom)
        return std::nullopt;
    const double db = f.DryBulbAt(px);
    const double w = std::max(0.0, f.MoistureAt(py));
    if (w > saturationMoisture(process_.Pressure, db))
        return std::nullopt;
    return SetState(process_.Pressure, db, w, kPairDbW);
}

std::string PsyReadOutText(const TAirState& s)
{
    TQuantities& q = Quantities();
    const TShownUnit v = volumeUnit();
    return "DB " + QuantityText(q.air_t, true, " ", false, s.db) + "   WB " +
           QuantityText(q.air_t, true, " ", false, s.wb) + "   RH " + numberText(s.rh * 100, 1) + " %   W " +
           QuantityText(q.air_w, true, " ", false, s.w) + "   h " +
           QuantityText(q.air_h, true, " ", false, s.h) + "   v " + numberText(v.Shown(s.v), 3) + " " +
           v.Label;
}

std::string TPsyChart::ReadOut(int width, int height, int px, int py) const
{
    const std::optional<TAirState> s = StateAt(width, height, px, py);
    return s ? PsyReadOutText(*s) : std::string();
}

} // namespace zmk
