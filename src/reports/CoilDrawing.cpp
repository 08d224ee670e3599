#include "reports/CoilDrawing.h"

#include "base/Errors.h"
#include "base/NumText.h"
#include "engine/LiquidCoil.h"
#include "geometry/FinAndTube.h"
#include "reports/RasterCanvas.h"
#include "units/ConvTools.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace zmk {

namespace {

constexpr TColor kCopper = TColor::FromRgb(0xB87333);
constexpr TColor kCasing = TColor::FromRgb(0x5A6470);
constexpr TColor kFin = TColor::FromRgb(0xB8D4E0);
constexpr TColor kFinFace = TColor::FromRgb(0xEEF5F8);
constexpr TColor kDimension = TColor::FromRgb(0x1F4E79);
// The casing reaches this far past the fin pack on either side of the depth (as the weight
// takes it: the casing sheet is the depth plus 50 mm wide).
constexpr double kCasingLip = 0.025;

int px(double v)
{
    return static_cast<int>(std::lround(v));
}

std::string materialShort(int index, int fallback)
{
    return MaterialAt(index, fallback).Short;
}

// A dimension along x at height y between x1 and x2, the text centred under the line.
void dimensionX(ICanvas& canvas, int x1, int x2, int y, int fromY, const std::string& text)
{
    canvas.Pen = TPen{kDimension, 1, TPenStyle::Solid};
    canvas.Brush = TBrush{kDimension, TBrushStyle::Solid};
    canvas.Line(x1, fromY, x1, y + 5);
    canvas.Line(x2, fromY, x2, y + 5);
    canvas.Line(x1, y, x2, y);
    canvas.Polygon({{x1, y}, {x1 + 7, y - 3}, {x1 + 7, y + 3}});
    canvas.Polygon({{x2, y}, {x2 - 7, y - 3}, {x2 - 7, y + 3}});
    canvas.Font.Color = kDimension;
    canvas.TextOut((x1 + x2 - canvas.TextWidth(text)) / 2, y + 3, text);
}

// A dimension along y at x between y1 and y2, the text left of the line at its middle.
void dimensionY(ICanvas& canvas, int y1, int y2, int x, int fromX, const std::string& text)
{
    canvas.Pen = TPen{kDimension, 1, TPenStyle::Solid};
    canvas.Brush = TBrush{kDimension, TBrushStyle::Solid};
    canvas.Line(fromX, y1, x - 5, y1);
    canvas.Line(fromX, y2, x - 5, y2);
    canvas.Line(x, y1, x, y2);
    canvas.Polygon({{x, y1}, {x - 3, y1 + 7}, {x + 3, y1 + 7}});
    canvas.Polygon({{x, y2}, {x - 3, y2 - 7}, {x + 3, y2 - 7}});
    canvas.Font.Color = kDimension;
    canvas.TextOut(x - 4 - canvas.TextWidth(text), (y1 + y2 - canvas.TextHeight(text)) / 2, text);
}

// A header of the front view: a copper bar down the fin height with its connection stub.
void header(ICanvas& canvas, int x, int w, int top, int bottom, int stubY, int stubTo, int stubH,
            const std::string& label)
{
    canvas.Pen = TPen{colors::Black, 1, TPenStyle::Solid};
    canvas.Brush = TBrush{kCopper, TBrushStyle::Solid};
    canvas.Rectangle(x, top, x + w, bottom);
    const int a = std::min(x + w / 2, stubTo);
    const int b = std::max(x + w / 2, stubTo);
    canvas.Rectangle(a, stubY - stubH / 2, b, stubY - stubH / 2 + stubH);
    canvas.Font.Color = colors::Black;
    const int tx = stubTo > x ? stubTo + 4 : stubTo - 4 - canvas.TextWidth(label);
    canvas.TextOut(tx, stubY - canvas.TextHeight(label) / 2, label);
}

} // namespace

TCoilDrawingData CoilDrawingData(TFinAndTube& g)
{
    TCoilDrawingData d;
    const TModelRec& r = g.Rec;
    d.Title = g.TubeLine();
    d.SizeText = g.SizeText;
    d.FinHeight = r.fHeight;
    d.FinnedLength = r.fLength;
    d.Rows = r.Rows;
    d.Depth = g.Depth;
    d.RowPitch = r.Sx;
    d.TubePitch = r.Sy;
    d.TubeOD = r.OD;
    d.Staggered = r.tp == 0;
    d.TubesHigh = g.TubesHigh;
    d.TubeCount = g.TubeCount;
    d.FinsPerInch = r.fpi;
    d.Circuits = r.Circ;
    d.OppositeEnds = g.Connections == 1;
    d.CasingThickness = r.tc;
    d.HeaderDiameter = 0.05 * std::pow(std::max(r.fHeight, 0.0), 0.75);
    try {
        d.DryWeight = g.Weight();
    } catch (const ZmkError&) {
        d.DryWeight = 0;
    }
    d.Materials = materialShort(r.Mt, 0) + " tubes, " + materialShort(r.Mf, 1) + " fins, " +
                  materialShort(r.Mc, 3) + " casing";
    return d;
}

TCoilDrawingData CoilDrawingData(TLiquidCoil& coil, bool solved)
{
    if (!coil.Geometry)
        return {};
    TCoilDrawingData d = CoilDrawingData(*coil.Geometry);
    if (solved) {
        try {
            d.PipeSize = std::max(0, coil.PipeSize());
        } catch (const ZmkError&) {
            d.PipeSize = 0;
        }
    }
    return d;
}

TCoilDimensionTexts CoilDimensionTexts(const TCoilDrawingData& d)
{
    TQuantities& q = Quantities();
    return {FormatQuantity("%s %s", q.fat_height, false, d.FinHeight),
            FormatQuantity("%s %s", q.fat_length, false, d.FinnedLength),
            FormatQuantity("%s %s", q.fat_depth, false, d.Depth)};
}

void DrawCoilDrawing(ICanvas& canvas, const TCoilDrawingData& d, int width, int height)
{
    canvas.Pen = TPen{colors::White, 1, TPenStyle::Clear};
    canvas.Brush = TBrush{colors::White, TBrushStyle::Solid};
    canvas.FillRect(0, 0, width, height);
    canvas.Font = TFont{colors::Black, std::clamp(height / 45, 10, 14)};
    const int line = canvas.TextHeight("M");
    const int margin = std::max(6, line / 2);
    TQuantities& q = Quantities();
    const TCoilDimensionTexts dims = CoilDimensionTexts(d);

    // The title block: a heading row, then label and value pairs in two columns.
    const std::string perCircuit =
        d.Circuits > 0 ? Format(", %0.0f tubes each", std::trunc(d.TubeCount / d.Circuits)) : std::string();
    const std::vector<std::pair<std::string, std::string>> entries{
        {"Tubes",
         Format("%d high x %0.4g rows, %s", d.TubesHigh, d.Rows, d.Staggered ? "staggered" : "in-line")},
        {"Pitch", FormatQuantityPair("%s %s (row/tube)", q.fat_tube_pitch, false, d.RowPitch, d.TubePitch)},
        {"Tube OD", FormatQuantity("%s %s", q.fat_tube_diameter, false, d.TubeOD)},
        {"Fin density", FormatQuantity("%s %s", q.fat_fin_spacing, false, d.FinsPerInch)},
        {"Circuits", Format("%0.4g", d.Circuits) + perCircuit},
        {"Connections", std::string(d.OppositeEnds ? "opposite ends" : "same end") +
                            (d.PipeSize > 0 ? Format(", pipe DN %d", d.PipeSize) : std::string())},
        {"Materials", d.Materials},
        {"Dry weight", d.DryWeight > 0 ? FormatQuantity("%s %s", q.hex_mass, false, d.DryWeight) : "-"},
    };
    // Two columns when the widest pair fits in half the width, else one.
    int labelW = 0, valueW = 0;
    for (const auto& e : entries) {
        labelW = std::max(labelW, canvas.TextWidth(e.first));
        valueW = std::max(valueW, canvas.TextWidth(e.second));
    }
    const int count = static_cast<int>(entries.size());
    const bool twoColumns = labelW + valueW + 24 <= (width - 2 * margin) / 2;
    const int half = twoColumns ? (count + 1) / 2 : count;
    const int blockH = (half + 1) * line + 8;
    const int blockTop = height - margin - blockH;

    // The views: the front view's ends reach past the fin pack by the return bends, the headers
    // and their connection stubs; the side view is the fin pack's depth and the casing's lips.
    const double H = std::max(d.FinHeight, 1e-3);
    const double L = std::max(d.FinnedLength, 1e-3);
    const double depth = std::max(d.Depth, 1e-3);
    const double tc = std::max(d.CasingThickness, 0.0);
    const double bend = d.RowPitch / 2 + d.TubeOD / 2;
    const double u = d.HeaderDiameter > 0 ? d.HeaderDiameter : 0.03;
    const double pipe = d.PipeSize > 0 ? d.PipeSize / 1000.0 : u * 0.6;
    const double stub = std::max(2 * pipe, 2 * u);
    const double leftExt = bend + (d.OppositeEnds ? u + stub : 0);
    const double rightExt = bend + (d.OppositeEnds ? u : 2.5 * u) + stub;
    const double sideW = depth + 2 * kCasingLip;

    const int dimW = canvas.TextWidth(dims.Height) + 16;
    const std::string size = d.PipeSize > 0 ? Format(" DN %d", d.PipeSize) : std::string();
    const int labelPx = canvas.TextWidth("Out" + size) + 6;
    const int gap = 4 * line + labelPx;
    const int top = margin + 2 * line;
    const int bottom = blockTop - 3 * line;
    // The side view's caption and depth text may be wider than the view itself.
    const int sideTextW = std::max(canvas.TextWidth("Side view"), canvas.TextWidth(dims.Depth)) + 4;
    const double availW = width - 2.0 * margin - dimW - gap - (d.OppositeEnds ? labelPx : 0) - sideTextW;
    const double availH = bottom - top;
    const double s =
        std::max(1e-6, std::min(availW / (leftExt + L + rightExt + sideW), availH / (H + 2 * tc)));
    const int tcPx = std::max(2, px(tc * s));

    // ---- front view ----
    // The views sit in the middle of the height they have.
    const int spare = std::max(0, static_cast<int>(availH - (H + 2 * tc) * s) / 2);
    const int fx1 = margin + dimW + (d.OppositeEnds ? labelPx : 0) + px(leftExt * s);
    const int fx2 = fx1 + px(L * s);
    const int fy1 = top + spare + tcPx;
    const int fy2 = fy1 + px(H * s);
    canvas.Font.Color = colors::Black;
    canvas.TextOut(fx1, fy1 - tcPx - line - 4, "Front view (air face)");

    // The tubes' ends and return bends past the tube sheets, one per tube down the face.
    canvas.Pen = TPen{kCopper, 1, TPenStyle::Solid};
    const int bendPx = std::max(2, px(bend * s));
    const int tubeRows = std::clamp(d.TubesHigh, 0, 2000);
    for (int i = 0; i < tubeRows; ++i) {
        const int y = fy1 + px((i + 0.5) * d.TubePitch * s);
        if (y >= fy2)
            break;
        canvas.Line(fx1 - bendPx, y, fx1, y);
        canvas.Line(fx2, y, fx2 + bendPx, y);
    }

    // The fin face: fins every pitch, thinned out to one line in every few pixels.
    canvas.Pen = TPen{colors::White, 1, TPenStyle::Clear};
    canvas.Brush = TBrush{kFinFace, TBrushStyle::Solid};
    canvas.FillRect(fx1, fy1, fx2, fy2);
    const double finPitch = d.FinsPerInch > 0 ? 0.0254 / d.FinsPerInch : 0;
    if (finPitch > 0) {
        const double perLine = std::max(1.0, std::ceil(4 / (finPitch * s)));
        canvas.Pen = TPen{kFin, 1, TPenStyle::Solid};
        for (double x = finPitch * perLine; x < L; x += finPitch * perLine)
            canvas.Line(fx1 + px(x * s), fy1, fx1 + px(x * s), fy2);
    }
    // The casing: the sheet round the fin pack, the tube sheets at the ends.
    canvas.Pen = TPen{kCasing, tcPx, TPenStyle::Solid};
    canvas.Brush = TBrush{kCasing, TBrushStyle::Solid};
    canvas.FillRect(fx1, fy1 - tcPx, fx2, fy1);
    canvas.FillRect(fx1, fy2, fx2, fy2 + tcPx);
    canvas.FillRect(fx1 - tcPx, fy1 - tcPx, fx1, fy2 + tcPx);
    canvas.FillRect(fx2, fy1 - tcPx, fx2 + tcPx, fy2 + tcPx);

    // The headers and their connections: liquid in at the bottom, out at the top.
    const int uPx = std::max(3, px(u * s));
    const int pipePx = std::max(3, px(pipe * s));
    const int stubPx = std::max(6, px(stub * s));
    const int inY = fy2 - std::max(pipePx, px(0.1 * H * s));
    const int outY = fy1 + std::max(pipePx, px(0.1 * H * s));
    if (d.OppositeEnds) {
        const int rx = fx2 + tcPx + bendPx;
        header(canvas, rx, uPx, fy1, fy2, inY, rx + uPx + stubPx, pipePx, "In" + size);
        const int lx = fx1 - tcPx - bendPx - uPx;
        header(canvas, lx, uPx, fy1, fy2, outY, lx - stubPx, pipePx, "Out" + size);
    } else {
        const int rx = fx2 + tcPx + bendPx;
        const int rx2 = rx + uPx + uPx / 2;
        header(canvas, rx, uPx, fy1, fy2, outY, rx2 + uPx + stubPx, pipePx, "Out" + size);
        header(canvas, rx2, uPx, fy1, fy2, inY, rx2 + uPx + stubPx, pipePx, "In" + size);
    }
    dimensionX(canvas, fx1, fx2, fy2 + tcPx + line, fy2 + tcPx + 2, dims.Length);
    dimensionY(canvas, fy1, fy2, margin + dimW - 4, fx1 - tcPx - bendPx - 2, dims.Height);

    // ---- side view ----
    const int sx1 =
        fx2 + px(rightExt * s) + gap + px(kCasingLip * s) + std::max(0, (sideTextW - px(sideW * s)) / 2);
    const int sx2 = sx1 + px(depth * s);
    canvas.Font.Color = colors::Black;
    canvas.TextOut(std::max(sx1 - px(kCasingLip * s), sx1 + (sx2 - sx1 - canvas.TextWidth("Side view")) / 2),
                   fy1 - tcPx - line - 4, "Side view");
    canvas.Pen = TPen{kFin, 1, TPenStyle::Solid};
    canvas.Brush = TBrush{kFinFace, TBrushStyle::Solid};
    canvas.Rectangle(sx1, fy1, sx2, fy2);
    canvas.Pen = TPen{kCasing, 1, TPenStyle::Solid};
    canvas.Brush = TBrush{kCasing, TBrushStyle::Solid};
    const int lip = px(kCasingLip * s);
    canvas.FillRect(sx1 - lip, fy1 - tcPx, sx2 + lip, fy1);
    canvas.FillRect(sx1 - lip, fy2, sx2 + lip, fy2 + tcPx);
    // The tubes in their pattern; a staggered row sits half a pitch lower.
    const int wholeRows = std::clamp(static_cast<int>(std::ceil(d.Rows)), 0, 100);
    const int r = std::max(1, px(d.TubeOD / 2 * s));
    canvas.Pen = TPen{colors::Black, 1, TPenStyle::Solid};
    canvas.Brush = TBrush{kCopper, TBrushStyle::Solid};
    for (int row = 0; row < wholeRows; ++row) {
        // Staggered rows sit a quarter pitch either side of the middle, so all stay in the fins.
        const double shift = d.Staggered ? (row % 2 == 1 ? 0.25 : -0.25) : 0;
        const int cx = sx1 + px((row + 0.5) * d.RowPitch * s);
        for (int i = 0; i < tubeRows; ++i) {
            const double y = (i + 0.5 + shift) * d.TubePitch;
            if (y > H)
                break;
            const int cy = fy1 + px(y * s);
            canvas.Ellipse(cx - r, cy - r, cx + r + 1, cy + r + 1);
        }
    }
    // The air passes through the depth.
    canvas.Pen = TPen{kDimension, 2, TPenStyle::Solid};
    canvas.Brush = TBrush{kDimension, TBrushStyle::Solid};
    const int airY = (fy1 + fy2) / 2;
    const int ax1 = sx1 - lip - gap + line / 2;
    const int ax2 = sx1 - lip - 4;
    canvas.Line(ax1, airY, ax2 - 6, airY);
    canvas.Polygon({{ax2, airY}, {ax2 - 8, airY - 4}, {ax2 - 8, airY + 4}});
    canvas.Font.Color = kDimension;
    canvas.TextOut(ax1, airY + 4, "Air");
    dimensionX(canvas, sx1, sx2, fy2 + tcPx + line, fy2 + tcPx + 2, dims.Depth);

    // ---- title block ----
    canvas.Pen = TPen{colors::Black, 1, TPenStyle::Solid};
    canvas.Brush = TBrush{colors::White, TBrushStyle::Clear};
    canvas.Rectangle(margin, blockTop, width - margin, height - margin);
    canvas.Line(margin, blockTop + line + 4, width - margin, blockTop + line + 4);
    canvas.Font.Color = colors::Black;
    canvas.TextOut(margin + 6, blockTop + 2, d.Title);
    canvas.TextOut(width - margin - 6 - canvas.TextWidth(d.SizeText), blockTop + 2, d.SizeText);
    const int colW = (width - 2 * margin) / 2;
    for (int i = 0; i < count; ++i) {
        const int x = margin + 6 + (i / half) * colW;
        const int y = blockTop + line + 6 + (i % half) * line;
        canvas.Font.Color = TColor::FromRgb(0x555555);
        canvas.TextOut(x, y, entries[static_cast<std::size_t>(i)].first);
        canvas.Font.Color = colors::Black;
        canvas.TextOut(x + labelW + 10, y, entries[static_cast<std::size_t>(i)].second);
    }
    if (twoColumns)
        canvas.Line(margin + colW, blockTop + line + 4, margin + colW, height - margin);
}

TRasterImage RenderCoilDrawing(const TCoilDrawingData& data, TTypeface& typeface, int width, int height)
{
    TRasterImage image(width, height, colors::White);
    TRasterCanvas canvas(image, typeface);
    DrawCoilDrawing(canvas, data, width, height);
    return image;
}

} // namespace zmk
