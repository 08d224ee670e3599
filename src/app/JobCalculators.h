// What the main window's calculators take from the coil job when they open, and how the value a
// calculator hands back enters the job: the air flow calculator opens on the coil's face
// velocity, air mass flow and its volume flows at the leaving and entering densities, the fluid
// flow calculator on the tube velocity, the liquid mass flow and its volume flow, and the
// barometer on the altitude field. What comes back goes through the field's own exit handler,
// as if the user had typed it, so the other view of the flow and the solved flag follow.
#pragma once

#include <optional>

namespace zmk {

class TCoilJob;

/// What the air flow calculator opens on.
struct TAirFlowOpening
{
    double Velocity = 0;         ///< face velocity, m/s
    double MassFlow = 0;         ///< air mass flow, kg/s
    double OutletVolumeFlow = 0; ///< at the leaving air density, m³/s
    double InletVolumeFlow = 0;  ///< at the entering air density, m³/s
};

/// What the fluid flow calculator opens on.
struct TFluidFlowOpening
{
    double Velocity = 0;   ///< tube velocity, m/s
    double MassFlow = 0;   ///< liquid mass flow, kg/s
    double VolumeFlow = 0; ///< liquid volume flow, l/s (mass flow · 1000 / density)
};

/// The coil's air flow; nothing before a coil is built. A leaving volume flow the leaving state
/// cannot give (no solve yet, or a density of 0) is the entering one.
std::optional<TAirFlowOpening> AirFlowOpening(const TCoilJob& job);
/// The coil's liquid flow; nothing before a coil is built. A liquid without a density gives
/// a volume flow of 0, which the calculator brings into its range.
std::optional<TFluidFlowOpening> FluidFlowOpening(const TCoilJob& job);

/// The air calculator closed with OK: the air mass flow field takes ma (kg/s) and the coil
/// follows (face velocity derived); the job is not solved. Nothing happens to a value that is
/// not a positive number.
void TakeAirMassFlow(TCoilJob& job, double ma);
/// The fluid calculator closed with OK: the fluid flow field takes m (kg/s), the tube velocity
/// follows; the job is not solved. Nothing happens to a value that is not a positive number.
void TakeLiquidMassFlow(TCoilJob& job, double m);
/// The barometer closed with OK: the altitude field takes z (m) and the entering air follows
/// the new pressure; the job is not solved. Nothing happens to a value that is not finite.
void TakeAltitude(TCoilJob& job, double z);

} // namespace zmk
