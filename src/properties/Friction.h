// The Darcy friction factor of flow in a round tube, for the liquid pressure drop of the tube
// side: laminar 64/Re, smooth-wall (Prandtl-Kármán), fully rough and, in between, the
// Colebrook-White equation solved for 1/√f.
#pragma once

namespace zmk {

/// Flow regimes reported by FrictionFactor.
constexpr int kFrictionInvalid = -1;  ///< invalid input; the fallback value is returned
constexpr int kFrictionSmooth = 0;    ///< turbulent, smooth wall
constexpr int kFrictionColebrook = 1; ///< transition (Colebrook)
constexpr int kFrictionRough = 2;     ///< fully rough
constexpr int kFrictionLaminar = 3;   ///< laminar

/// Darcy friction factor at Reynolds number Re for absolute roughness and inside diameter (m),
/// starting from the guess f0 (also the fallback for invalid input when 0 <= f0 <= 1, else 0.02).
/// regime receives the code of the regime used. colebrookOnly skips the regime choice.
double FrictionFactor(int& regime, bool colebrookOnly, double f0, double roughness, double diameter,
                      double Re);

/// Laminar friction factor 64/Re, or 0.02 when that exceeds 1.
double LaminarFriction(double Re);
/// Fully rough friction factor for relative roughness e: 1/(1.14 - 2·log10(e))².
double FullyRoughFriction(double e);
/// Smooth-wall friction factor, 1/√f = 2·log10(Re·√f) - 0.8, by fixed-point iteration from f0
/// (7 for 1/√f when f0 = 0); iterations receives the count (at most 21).
double SmoothFriction(double f0, double Re, int& iterations);
/// Colebrook friction factor for relative roughness e, by secant iteration on 1/√f from f0;
/// iterations receives the count (at most 21).
double ColebrookFriction(double f0, double e, double Re, int& iterations);

} // namespace zmk
