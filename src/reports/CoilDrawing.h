// The coil drawing of a job: a front view (the air face: finned length by fin height, the casing,
// the return bends and headers at the ends, the connections) and a side view (the fin pack's
// depth with the tube rows in their staggered or in-line pattern), both to one scale, with the
// dimensions in the user's units and a title block (model, size, tubes, fin density, circuits,
// connections, materials, dry weight). Drawn on any canvas, so the pages' PNG and a window
// share the one drawing.
#pragma once

#include "reports/Canvas.h"
#include "reports/Raster.h"
#include "reports/Typeface.h"

#include <string>

namespace zmk {

class TFinAndTube;
class TLiquidCoil;

/// What the drawing shows of a coil, in model units (m, kg).
struct TCoilDrawingData
{
    std::string Title;    ///< maker and model ("Default: 1/2\" 33 x 38.1 (Cu/Al/GI)")
    std::string SizeText; ///< "533.4 x 740  4r  10f  7c"
    double FinHeight = 0;
    double FinnedLength = 0;
    double Rows = 0;
    double Depth = 0; ///< whole rows times the row pitch
    double RowPitch = 0;
    double TubePitch = 0;
    double TubeOD = 0;
    bool Staggered = true;
    int TubesHigh = 0;
    double TubeCount = 0;
    double FinsPerInch = 0;
    double Circuits = 0;
    bool OppositeEnds = false;  ///< headers on opposite ends (an odd number of tubes per circuit)
    double CasingThickness = 0; ///< casing sheet
    double HeaderDiameter = 0;  ///< as the weight takes it
    double DryWeight = 0;       ///< kg; 0 when it cannot be had
    int PipeSize = 0;           ///< connection size, mm; 0 while the flow is not rated
    std::string Materials;      ///< "Cu tubes, Al fins, GI casing"
};

/// The drawing's data of a coil's geometry; the pipe size (which follows the rated flow) only when
/// `solved`.
TCoilDrawingData CoilDrawingData(TLiquidCoil& coil, bool solved);
/// The drawing's data of a geometry alone (no pipe size).
TCoilDrawingData CoilDrawingData(TFinAndTube& geometry);

/// The dimension texts the drawing writes, in the user's units: fin height, finned length, depth.
struct TCoilDimensionTexts
{
    std::string Height;
    std::string Length;
    std::string Depth;
};
TCoilDimensionTexts CoilDimensionTexts(const TCoilDrawingData& data);

/// Draws the two views and the title block in a width x height area.
void DrawCoilDrawing(ICanvas& canvas, const TCoilDrawingData& data, int width, int height);
/// The drawing on a raster image.
TRasterImage RenderCoilDrawing(const TCoilDrawingData& data, TTypeface& typeface, int width = 900,
                               int height = 600);

} // namespace zmk
