// The psychrometric chart of a job: the saturation line, relative humidity 10..90 %, enthalpy
// and specific-volume lines over a dry-bulb and moisture-content grid, all computed with the
// program's own moist-air model (properties/Psy.h) at the job's barometric pressure, and the
// coil's process drawn on it: entering and leaving air, the apparatus dew point of a wet cooling
// coil, the coil line between them and, after a step-by-step run, the states of every slice.
// Drawn through the canvas interface, so the report pages (PNG and SVG), the chart window and
// `zemtor chart` share one drawing. Axis ticks and labels follow the user's display units.
#pragma once

#include "properties/Psy.h"
#include "reports/Canvas.h"

#include <optional>
#include <string>
#include <vector>

namespace zmk {

/// What the chart shows of a job.
struct TPsyProcess
{
    double Pressure = 101.325;     ///< barometric pressure, kPa
    bool HighTemperature = false;  ///< a heat recovery coil: the chart runs up to its entering air
    TAirState In;                  ///< entering air
    TAirState Out;                 ///< leaving air
    std::optional<double> Adp;     ///< apparatus dew point, °C, of a coil with a wet surface
    std::vector<TAirState> Slices; ///< the step-by-step run's air along the coil; empty without one
};

/// The step-by-step run's air states from its matrix (row 1 the air's dry bulb, row 3 its dew
/// point, °C, one column per slice) at pressure P (kPa); none when the matrix has fewer rows.
std::vector<TAirState> StepAirStates(const std::vector<std::vector<double>>& matrix, double P);

/// The chart's extent: dry bulb TMin..TMax (°C) and moisture content 0..WMax (kg/kg).
struct TPsyChartRange
{
    double TMin = -10;
    double TMax = 55;
    double WMax = 0.03;
};

/// The extent for a process. A room chart, -10..55 °C, for hot and chilled water (widened to
/// round values when a state lies outside); for heat recovery 0 °C (or the coldest state) up to
/// the entering dry bulb rounded up to a round value. The moisture axis runs to a round value
/// above the wettest state drawn, at least 0.03 kg/kg on a room chart and 0.01 on a hot one.
TPsyChartRange PsyChartRange(const TPsyProcess& process);

/// Where the plot box lies in a picture of a given size, and the mapping between states and
/// pixels: dry bulb grows to the right, moisture content upward.
struct TPsyChartFrame
{
    TPsyChartFrame(const TPsyChartRange& range, int width, int height);

    double X(double db) const;
    double Y(double w) const;
    /// The nearest pixel of a dry bulb (°C) and moisture content (kg/kg).
    TPoint Pixel(double db, double w) const;
    double DryBulbAt(double x) const;
    double MoistureAt(double y) const;

    TPsyChartRange Range;
    int Left = 0, Top = 0, Right = 0, Bottom = 0; ///< the plot box, pixels
    int FontSize = 12;                            ///< text size, pixels
};

/// The colours of the process's marks, for the picture and for those who look for them in it.
namespace psycolors {
inline constexpr TColor Entering = TColor::FromRgb(0xC00000);
inline constexpr TColor Leaving = TColor::FromRgb(0x0050C0);
inline constexpr TColor Adp = TColor::FromRgb(0x006000);
inline constexpr TColor Process = TColor::FromRgb(0xD05000);
inline constexpr TColor Saturation = TColor::FromRgb(0x000080);
} // namespace psycolors

class TPsyChart
{
public:
    explicit TPsyChart(TPsyProcess process);

    /// Draws the whole chart on a canvas of that size.
    void Draw(ICanvas& canvas, int width, int height) const;
    /// The frame of a picture of that size.
    TPsyChartFrame Frame(int width, int height) const { return TPsyChartFrame(range_, width, height); }
    /// The air under a pixel of a picture of that size: none outside the plot box and above
    /// the saturation line.
    std::optional<TAirState> StateAt(int width, int height, int px, int py) const;
    /// The pointer read-out of a pixel: dry bulb, wet bulb, relative humidity, moisture
    /// content, enthalpy and specific volume in the display units; "" where StateAt has none.
    std::string ReadOut(int width, int height, int px, int py) const;

    const TPsyProcess& Process() const { return process_; }
    const TPsyChartRange& Range() const { return range_; }

private:
    TPsyProcess process_;
    TPsyChartRange range_;
};

/// The state texts of the read-out and of the chart's point labels, in the display units.
std::string PsyReadOutText(const TAirState& state);

/// The chart picture of a job's size for the pages and the command line, pixels.
inline constexpr int kPsyChartWidth = 800;
inline constexpr int kPsyChartHeight = 600;

} // namespace zmk
