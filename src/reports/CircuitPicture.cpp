#include "reports/CircuitPicture.h"

#include "base/NumText.h"
#include "geometry/FinAndTube.h"
#include "reports/RasterCanvas.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

namespace zmk {

namespace {

// Up to this many rows and tubes high are drawn; a field past it is not a real coil.
constexpr int kMaxRows = 100;
constexpr int kMaxTubesHigh = 2000;

int clampedCount(double v, int hi)
{
    if (!std::isfinite(v) || v < 1)
        return 1;
    return static_cast<int>(std::min<double>(v, hi));
}

} // namespace

TCircuitLacing StandardLacing(double rows, int tubesHigh, double circuits, int circuitBasis)
{
    TCircuitLacing lacing;
    const double r = std::isfinite(rows) && rows > 0 ? std::min<double>(rows, kMaxRows) : 1;
    lacing.Rows = clampedCount(std::ceil(r), kMaxRows);
    lacing.TubesHigh = std::clamp(tubesHigh, 1, kMaxTubesHigh);
    const int fullRows = static_cast<int>(std::floor(r));
    // A fractional row holds its share of the tubes, from the top.
    const int partTubes =
        fullRows < lacing.Rows ? static_cast<int>(std::lround((r - fullRows) * lacing.TubesHigh)) : 0;
    auto present = [&](int row, int tube) { return row < fullRows || tube < partTubes; };

    // One path snaking through the whole field.
    std::vector<TTubeSpot> path;
    if (circuitBasis == 1) {
        for (int row = 0; row < lacing.Rows; ++row)
            for (int i = 0; i < lacing.TubesHigh; ++i) {
                const int tube = row % 2 == 0 ? i : lacing.TubesHigh - 1 - i;
                if (present(row, tube))
                    path.push_back({row, tube});
            }
    } else {
        for (int tube = 0; tube < lacing.TubesHigh; ++tube)
            for (int i = 0; i < lacing.Rows; ++i) {
                const int row = tube % 2 == 0 ? i : lacing.Rows - 1 - i;
                if (present(row, tube))
                    path.push_back({row, tube});
            }
    }
    lacing.TubeCount = static_cast<int>(path.size());
    if (path.empty())
        return lacing;

    const double c = std::isfinite(circuits) ? std::round(circuits) : 1;
    const int count = static_cast<int>(std::clamp<double>(c, 1, lacing.TubeCount));
    const std::size_t perCircuit = path.size() / static_cast<std::size_t>(count);
    for (int i = 0; i < count; ++i) {
        const auto from = path.begin() + static_cast<std::ptrdiff_t>(i * perCircuit);
        std::vector<TTubeSpot> circuit(from, from + static_cast<std::ptrdiff_t>(perCircuit));
        // Against the air: the liquid enters on the row nearer the leaving air.
        if (circuit.front().Row < circuit.back().Row)
            std::reverse(circuit.begin(), circuit.end());
        lacing.Circuits.push_back(std::move(circuit));
    }
    lacing.Unlinked.assign(path.begin() + static_cast<std::ptrdiff_t>(count * perCircuit), path.end());
    return lacing;
}

TCircuitLacing CoilLacing(const TFinAndTube& geometry)
{
    const TModelRec& r = geometry.Rec;
    TCircuitLacing lacing = StandardLacing(r.Rows, geometry.TubesHigh, r.Circ, r.cb);
    lacing.Staggered = r.tp == 0;
    lacing.RowPitch = r.Sx;
    lacing.TubePitch = r.Sy;
    lacing.TubeOD = r.OD;
    return lacing;
}

TColor CircuitColour(int index)
{
    static constexpr std::array<std::uint32_t, 10> colours{0x1F77B4, 0xD62728, 0x2CA02C, 0x9467BD, 0xFF7F0E,
                                                           0x8C564B, 0xE377C2, 0x17BECF, 0xBCBD22, 0x393B79};
    return TColor::FromRgb(colours[static_cast<std::size_t>(std::abs(index)) % colours.size()]);
}

void DrawCircuitPicture(ICanvas& canvas, const TCircuitLacing& lacing, int width, int height)
{
    canvas.Pen = TPen{colors::White, 1, TPenStyle::Clear};
    canvas.Brush = TBrush{colors::White, TBrushStyle::Solid};
    canvas.FillRect(0, 0, width, height);
    canvas.Font = TFont{colors::Black, std::clamp(height / 40, 10, 14)};
    const int line = canvas.TextHeight("M");
    if (lacing.Rows < 1 || lacing.TubesHigh < 1)
        return;

    // The field to scale: rows Sx apart across, tubes Sy apart down, staggered rows half a
    // pitch lower. Without pitches every tube takes a square cell.
    const double sx = lacing.RowPitch > 0 ? lacing.RowPitch : 1;
    const double sy = lacing.TubePitch > 0 ? lacing.TubePitch : 1;
    const double od = lacing.TubeOD > 0 ? lacing.TubeOD : 0.4 * std::min(sx, sy);
    const double fieldW = lacing.Rows * sx;
    const double fieldH = (lacing.TubesHigh + (lacing.Staggered && lacing.Rows > 1 ? 0.5 : 0)) * sy;
    const int margin = line;
    const int top = margin + 2 * line;    // the air arrow above
    const int bottom = height - 3 * line; // the legend below
    const double scale = std::max(1e-9, std::min((width - 2.0 * margin) / fieldW, (bottom - top) / fieldH));
    const int left = static_cast<int>((width - fieldW * scale) / 2);
    auto centre = [&](const TTubeSpot& t) {
        const double y = (t.Tube + 0.5 + (lacing.Staggered && t.Row % 2 == 1 ? 0.5 : 0)) * sy;
        return TPoint{left + static_cast<int>(std::lround((t.Row + 0.5) * sx * scale)),
                      top + static_cast<int>(std::lround(y * scale))};
    };
    const int radius = std::max(2, static_cast<int>(std::lround(od / 2 * scale)));
    const int mark = std::max(3, std::min(radius, line / 2));

    // The air crosses the rows from the left.
    canvas.Pen = TPen{colors::Black, 1, TPenStyle::Solid};
    canvas.Brush = TBrush{colors::Black, TBrushStyle::Solid};
    const int ay = margin + line / 2;
    const int ax1 = left + canvas.TextWidth("Air") + 6;
    const int ax2 = std::max(ax1 + 24, left + static_cast<int>(fieldW * scale));
    canvas.TextOut(left, ay - line / 2, "Air");
    canvas.Line(ax1, ay, ax2, ay);
    canvas.Polygon({{ax2, ay}, {ax2 - 8, ay - 4}, {ax2 - 8, ay + 4}});

    // Every tube of the field, then the paths over them.
    std::vector<std::vector<int>> circuitOf(static_cast<std::size_t>(lacing.Rows),
                                            std::vector<int>(static_cast<std::size_t>(lacing.TubesHigh), -1));
    for (std::size_t c = 0; c < lacing.Circuits.size(); ++c)
        for (const TTubeSpot& t : lacing.Circuits[c])
            circuitOf[static_cast<std::size_t>(t.Row)][static_cast<std::size_t>(t.Tube)] =
                static_cast<int>(c);
    canvas.Brush = TBrush{colors::White, TBrushStyle::Solid};
    for (std::size_t c = 0; c < lacing.Circuits.size(); ++c) {
        canvas.Pen = TPen{CircuitColour(static_cast<int>(c)), 1, TPenStyle::Solid};
        for (const TTubeSpot& t : lacing.Circuits[c]) {
            const TPoint p = centre(t);
            canvas.Ellipse(p.X - radius, p.Y - radius, p.X + radius + 1, p.Y + radius + 1);
        }
    }
    canvas.Pen = TPen{TColor::FromRgb(0x808080), 1, TPenStyle::Dot};
    canvas.Brush = TBrush{TColor::FromRgb(0xE0E0E0), TBrushStyle::Solid};
    for (const TTubeSpot& t : lacing.Unlinked) {
        const TPoint p = centre(t);
        canvas.Ellipse(p.X - radius, p.Y - radius, p.X + radius + 1, p.Y + radius + 1);
    }

    const int pathWidth = std::clamp(radius / 2, 1, 3);
    for (std::size_t c = 0; c < lacing.Circuits.size(); ++c) {
        const auto& circuit = lacing.Circuits[c];
        const TColor colour = CircuitColour(static_cast<int>(c));
        canvas.Pen = TPen{colour, pathWidth, TPenStyle::Solid};
        for (std::size_t i = 1; i < circuit.size(); ++i) {
            const TPoint a = centre(circuit[i - 1]);
            const TPoint b = centre(circuit[i]);
            canvas.Line(a.X, a.Y, b.X, b.Y);
        }
        canvas.Pen = TPen{colour, 1, TPenStyle::Solid};
        canvas.Brush = TBrush{colour, TBrushStyle::Solid};
        const TPoint in = centre(circuit.front());
        canvas.Polygon({{in.X - mark, in.Y - mark}, {in.X + mark, in.Y}, {in.X - mark, in.Y + mark}});
        const TPoint out = centre(circuit.back());
        canvas.Rectangle(out.X - mark + 1, out.Y - mark + 1, out.X + mark, out.Y + mark);
    }

    // The legend: the marks, then what the field holds.
    int x = margin;
    int y = height - 2 * line - line / 2;
    canvas.Pen = TPen{colors::Black, 1, TPenStyle::Solid};
    canvas.Brush = TBrush{colors::Black, TBrushStyle::Solid};
    const int my = y + line / 2;
    canvas.Polygon({{x, my - 4}, {x + 8, my}, {x, my + 4}});
    canvas.TextOut(x + 12, y, "inlet");
    x += 12 + canvas.TextWidth("inlet") + line;
    canvas.Rectangle(x, my - 3, x + 7, my + 4);
    canvas.TextOut(x + 12, y, "outlet");
    x += 12 + canvas.TextWidth("outlet") + line;
    canvas.Pen = TPen{TColor::FromRgb(0x808080), 1, TPenStyle::Dot};
    canvas.Brush = TBrush{TColor::FromRgb(0xE0E0E0), TBrushStyle::Solid};
    canvas.Ellipse(x, my - 4, x + 9, my + 5);
    canvas.TextOut(x + 12, y, "unlinked tube");
    const std::size_t perCircuit = lacing.Circuits.empty() ? 0 : lacing.Circuits.front().size();
    std::string summary = Format("%d rows x %d tubes, %d circuits of %d tubes", lacing.Rows, lacing.TubesHigh,
                                 static_cast<int>(lacing.Circuits.size()), static_cast<int>(perCircuit));
    if (!lacing.Unlinked.empty())
        summary += Format(", %d unlinked", static_cast<int>(lacing.Unlinked.size()));
    canvas.Font.Color = colors::Black;
    canvas.TextOut(margin, y + line, summary);
}

TRasterImage RenderCircuitPicture(const TCircuitLacing& lacing, TTypeface& typeface, int width, int height)
{
    TRasterImage image(width, height, colors::White);
    TRasterCanvas canvas(image, typeface);
    DrawCircuitPicture(canvas, lacing, width, height);
    return image;
}

} // namespace zmk
