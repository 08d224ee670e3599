// The circuit picture: the coil's tube field seen from the tube ends (rows deep across, tubes high
// down, in the coil's staggered or in-line pattern) with each circuit's path from its inlet tube
// to its outlet tube, and the tubes no circuit takes. The coil model holds no lacing of its own,
// only rows, tubes high and circuits, so the paths are a standard serpentine derived from these:
// what the manufacturing report's "Tubes/Circuits" and "Unlinked tubes" count.
#pragma once

#include "reports/Canvas.h"
#include "reports/Raster.h"
#include "reports/Typeface.h"

#include <string>
#include <vector>

namespace zmk {

class TFinAndTube;

/// One tube of the field: its row (0 on the air-entering side) and its place down the face (0 top).
struct TTubeSpot
{
    int Row = 0;
    int Tube = 0;
    friend bool operator==(const TTubeSpot&, const TTubeSpot&) = default;
};

/// The tube field and its circuits.
struct TCircuitLacing
{
    int Rows = 0;      ///< rows drawn (a fractional row takes a whole one)
    int TubesHigh = 0; ///< tubes down the face
    bool Staggered = true;
    double RowPitch = 0;  ///< Sx, m
    double TubePitch = 0; ///< Sy, m
    double TubeOD = 0;    ///< m
    /// Each circuit's tubes from inlet to outlet.
    std::vector<std::vector<TTubeSpot>> Circuits;
    /// Tubes of the field no circuit takes.
    std::vector<TTubeSpot> Unlinked;
    /// Tubes in the field.
    int TubeCount = 0;
};

/// A standard serpentine lacing. Circuits are cut, equally long, from one path that snakes
/// through the field: level by level across the rows when the circuits are counted against the
/// tubes high (circuit basis 0), row by row down the face when counted against the rows deep
/// (basis 1). Each circuit then runs against the air: it enters on the row nearer the leaving
/// air. Tubes past the last whole circuit stay unlinked. A fractional row holds its share of
/// the tubes from the top; circuits are at least one and at most one per tube.
TCircuitLacing StandardLacing(double rows, int tubesHigh, double circuits, int circuitBasis);
/// The lacing of a coil's geometry, pattern and pitches included.
TCircuitLacing CoilLacing(const TFinAndTube& geometry);

/// The colour of circuit `index` (a repeating set of distinct colours).
TColor CircuitColour(int index);

/// Draws the picture in a width x height area: the tube field to scale (pitches and tube size),
/// the circuits' paths in their colours, each inlet a filled triangle and each outlet a filled
/// square, unlinked tubes grey and dashed, the air's direction and a legend line under the field.
void DrawCircuitPicture(ICanvas& canvas, const TCircuitLacing& lacing, int width, int height);
/// The picture on a raster image.
TRasterImage RenderCircuitPicture(const TCircuitLacing& lacing, TTypeface& typeface, int width = 480,
                                  int height = 600);

} // namespace zmk
