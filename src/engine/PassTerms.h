// Terms of one effectiveness-NTU pass of a liquid coil: the conductances the duty takes and a
// section of wet surface rated on the enthalpy potential.
#pragma once

namespace zmk {

/// The air-side and tube-side conductances (kW/K) the duty takes: ho·Ao and Ui·Ai, or with
/// the fouling in the duty ho/1.01 on the air side and Rf/Ao in series with the tube side.
struct TConductances
{
    double air;
    double tube;
};

/// A counterflow section of wet surface rated on the enthalpy potential.
struct TWetSection
{
    double Cr = 0;   ///< dry-air flow × cs / cw
    double Ntu = 0;  ///< transfer units on the enthalpy potential: UA*/dry-air flow
    double e = 0;    ///< effectiveness, with EffFactor and WetEffFactor
    double Qmax = 0; ///< dry-air flow × (air enthalpy in − saturated enthalpy at the liquid inlet), kW
    double Q = 0;    ///< e·Qmax, kW
};

} // namespace zmk
