// The coil thermal models: the heat exchanger class family and its solve protocol.
//
//   TCustomHeatExchanger  the quantities every heat exchanger reports (duty, effectiveness,
//    └ TCoil              NTU, coefficients, areas) and the solve status; a finned-tube coil
//       └ TLiquidCoil     with air on the fins, owning its geometry; a pumped liquid in the
//          ├ THotWaterCoil    tubes, owning its liquid operating state; and the three kinds the
//          ├ TColdWaterCoil   job builds: a dry heating coil, a cooling coil whose surface may
//          └ TZemtor          be dry, wet or part-wet, and the heat recovery coil.
//
// A coil owns its geometry, its liquid operating state and its step matrix, and refers to the
// job's two air states and liquid, which it writes in place. Solve returns a TSolveStatus
// (None = solved); an arithmetic fault or a property error escapes as an exception (EMathError
// for arithmetic, see engine/FloatChecks.h), and no infinity or NaN is left as a result.
// A liquid coil refuses entering air above saturation before it solves, and checks every result
// for physical sense after (leaving temperatures between the inlets, nothing below absolute zero,
// both flows positive, air and liquid duties in balance) and for a liquid it can rate (no water
// above its boiling point, no liquid far past the range of its data): a result that fails is
// DataError with the reason in the user's words. Remarks that leave a result solved travel in
// Warnings.
// Units: °C, kW, kW/K, kW/(m²·K), m², m³, kg/s, m³/s, m/s, m, Pa (air dp), kPa (liquid dp and
// barometric pressure), m²·K/kW (fouling), kW/(m·K) (conductivity).
//
// Each class has its header: engine/CustomHeatExchanger.h, engine/Coil.h, engine/LiquidCoil.h,
// engine/HotWaterCoil.h, engine/ColdWaterCoil.h and engine/HeatRecoveryCoil.h, with the air side
// (engine/AirSide.h), the tube side (engine/TubeSide.h), the liquid state (engine/LiquidState.h),
// the solve status and warnings (engine/SolveStatus.h) and the wet-slice balance
// (engine/WetSurface.h) their own. This header includes them all.
#pragma once

#include "engine/AirSide.h"
#include "engine/Coil.h"
#include "engine/ColdWaterCoil.h"
#include "engine/CustomHeatExchanger.h"
#include "engine/HeatRecoveryCoil.h"
#include "engine/HotWaterCoil.h"
#include "engine/LiquidCoil.h"
#include "engine/LiquidState.h"
#include "engine/SolveStatus.h"
#include "engine/TubeSide.h"
#include "engine/WetSurface.h"
