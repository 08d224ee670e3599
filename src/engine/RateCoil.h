// A coil rated from values: the inputs of one rating (the kind, the air, the liquid, the geometry
// and the control, with the options of the solve) and every field of its result, with the status,
// the reason and the warnings. RateCoil builds the coil from the inputs (engine/CoilFactory),
// solves it and reads its fields; nothing else it reads or writes outlives the call, so two
// ratings of the same inputs give the same result on any thread, in any order.
// Units: °C, kW, kW/K, kW/(m²·K), m², m³/s, kg/s, m/s, kg/kg, kPa, Pa (air dp), kPa (liquid dp).
#pragma once

#include "engine/CoilFactory.h"
#include "engine/PublishedAirSide.h"
#include "engine/SolveStatus.h"
#include "engine/TubeSide.h"
#include "geometry/CoilMakers.h"
#include "properties/Psy.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zmk {

class TLiquid;
class TLiquidCoil;

/// What one rating takes.
struct TCoilInputs
{
    std::string Kind = "zmk"; ///< "zmk", "hwc" or "cwc" (any letter case)
    /// The entering and leaving air, the liquid (kind, caption, flow, temperatures, the user's
    /// values), the geometry (maker, tube pattern, size) and the liquid control.
    TCoilStartValues Start;
    /// Liquid temperature change held under temperature control, K; 0 takes the coil's default.
    double LiquidDt = 0;
    bool Spray = false;         ///< recirculating water spray on the fins
    bool UseFouling = true;     ///< the fouling resistance in Uo
    bool FoulingInDuty = false; ///< the duty uses the fouled Uo
    TAirSideMethod AirSideMethod = TAirSideMethod::Standard; ///< how the air side is rated
    /// The apparatus dew point the coil starts from, °C (a cold coil's first guess).
    double StartAdp = TAdpDefault::kInitial;
    /// A catalogue pattern the coil takes in place of the one its maker and tube code select
    /// (the maker's first of that code): how a coil of any pattern of a maker is rated.
    std::optional<TMnfRec> Pattern;
    /// A fin surface the coil takes in place of its pattern's (the published air side rates it;
    /// the standard one does not read it).
    std::optional<TFinSurface> Fins;

    /// The default inputs of a kind; a code that is none of the three leaves Start empty.
    static TCoilInputs Defaults(std::string_view kind);
};

/// Every field of one rating. Status, Reason and Warnings say how it ended; with Solved false the
/// result fields hold what the failed solve left and are no result of the inputs.
struct TCoilResult
{
    std::string Kind; ///< the kind code in lower case
    TSolveStatus Status = TSolveStatus::None;
    bool Solved = false;                  ///< Status None and no error
    std::string Reason;                   ///< why the solve is not solved, ending "..."
    std::string Error;                    ///< what an error raised by the build or the solve said
    std::vector<TResultWarning> Warnings; ///< remarks that leave the result solved
    // The coil and its air flow, which the inputs give.
    std::string Model, Maker;
    double ma = 0, Va = 0, Vf = 0, Af = 0, Ao = 0, Ai = 0;
    double Vi = 0;      ///< the tubes' inside volume, m³
    bool Spray = false; ///< recirculating water spray on the fins
    TAirState AirIn, AirOut;
    double Pressure = 0; ///< barometric pressure, the mean of the two air states', kPa
    // The duty and the coefficients.
    double Qt = 0, Qs = 0, e = 0, Ntu = 0, Cr = 0, Qmax = 0;
    double ho = 0, hi = 0, Ui = 0, Uo = 0, UoDuty = 0;
    bool FoulingInDuty = false;
    double NtuAir = 0, NtuLiquid = 0, NtuRatio = 0, BypassFactor = 0, ConductanceRatio = 0, Rf = 0;
    int SurfaceCondition = 0;
    double mCondensate = 0, ADP = 0;
    int AirCooling = 0;
    double Ca = 0, AirDp = 0, LiquidDp = 0;
    int PipeSize = 0;
    double tsAirIn = 0, tsAirOut = 0, SurfaceEff = 0;
    TAirSideMethod AirSideMethod = TAirSideMethod::Standard;
    double FinEff = 0; ///< fin efficiency the solve used
    TFinType FinType = TFinType::Plain; ///< the fin surface of the coil's pattern
    // The liquid.
    std::string LiquidName;
    int LiquidSpec = 0;
    double tfi = 0, tfo = 0, mw = 0, ro = 0, Cp = 0, mu = 0, Ko = 0, Pr = 0, cw = 0, vw = 0, designdt = 0;
    double LiquidVf = 0; ///< liquid volume flow, l/s (0 while the density is unknown)
    int ctrl = 0;
    double TubeRe = 0;
    TTubeRegime TubeRegime = TTubeRegime::Turbulent;
};

/// Rates a coil from the inputs. Errors do not escape: an input no coil can be built from, or a
/// solve that raises an error, gives a result with Solved false and the error's text in Error.
TCoilResult RateCoil(const TCoilInputs& inputs);

/// What stays the same over many ratings of one job's air and liquid: the entering and leaving
/// air states and the liquid, built once from the inputs as RateCoil builds them.
struct TRatingStates
{
    explicit TRatingStates(const TCoilInputs& inputs);
    ~TRatingStates();
    TRatingStates(const TRatingStates&) = delete;
    TRatingStates& operator=(const TRatingStates&) = delete;
    std::string Kind;  ///< the kind code in lower case
    std::string Error; ///< why the states could not be built (nothing can be rated then)
    TAirState AirIn, AirOut;
    std::unique_ptr<const TLiquid> Liquid;
};

/// Rates the coil of a definition record (its pattern and size as they stand) in the job of the
/// inputs, with the air and liquid of states built from the same inputs: the result RateCoil gives
/// for the inputs with that pattern and size, without formatting or reading a size text and
/// without building the air states and the liquid again. The inputs' geometry fields are not read.
/// No size text is made either: the result's Model is empty.
TCoilResult RateCoilRecord(const TCoilInputs& inputs, const TRatingStates& states, const TModelRec& rec);

/// The fields of an attached coil as they stand (Status from the coil; Solved, Error and Kind are
/// left to the caller).
TCoilResult CoilResultOf(const TLiquidCoil& coil);

} // namespace zmk
