// A coil with a pumped liquid in the tubes: the solve and step-by-step protocols of the three
// kinds, the result checks and the wet-surface relations they share.
#pragma once

#include "engine/Coil.h"
#include "engine/LiquidState.h"
#include "engine/PassTerms.h"
#include "engine/StepSlice.h"
#include "engine/TubeSide.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zmk {

/// A coil with a pumped liquid in the tubes; owns its liquid operating state.
class TLiquidCoil : public TCoil
{
public:
    TLiquidCoil(const std::string& makerName, int tubeIndex, int code, const std::string& model);
    /// The coil of a definition record (see TCoil).
    TLiquidCoil(int code, const TModelRec& rec);
    ~TLiquidCoil() override;

    TCopiedPtr<TLiquidState> LiquidState; ///< the liquid operating state; owned

    /// A copy of the coil, of its kind, with a geometry and liquid state of its own; it refers to
    /// the air states and liquid this one refers to until it is attached to others.
    virtual std::unique_ptr<TLiquidCoil> Clone() const = 0;

    /// Refers to the job's air states and liquid; the coil must not be solved before.
    void Attach(TAirState& airIn, TAirState& airOut, TLiquid& liquid);
    TTubeResult TubeResult; ///< last tube-side evaluation of a solve
    int SolvePasses = 0;    ///< effectiveness-NTU passes the last solve took (all its models)
    /// Passes run plain throughout, never skipping ahead: the answer a skip must reach.
    bool PlainPasses = false;

    /// The per-class construction values of the three kinds (see SetClassValues).
    struct TClassValues
    {
        double DutyPerVolFlow, DesignVf, DesignAspect, DesignRows;
        int DesignFins;
        const char* DesignAirOn;
        double DesignFluidIn, DefaultVf, DefaultAspect, DefaultRows;
        int DefaultFins;
        std::uint8_t AirCooling;
    };

    /// Rates the coil: refuses entering air above saturation (DataError), runs the kind's model,
    /// then checks the result (PhysicalCheck, then LiquidLimitCheck; DataError with its reason
    /// when one fails) and collects the warnings. An arithmetic error of a liquid entering past
    /// its limits (InletLimitCheck) becomes that DataError; other errors are not caught.
    TSolveStatus Solve() final;
    /// Temperature profile along the air path: 100 slices from the air inlet face, shooting on
    /// the liquid leaving temperature until the liquid reaches its inlet temperature at the far
    /// end (at least two passes, at most 102). Fills StepMatrix; duty receives the sum of the
    /// slice duties, kW. Changes no other field.
    void StepByStep(double& duty) final;
    /// Why the current result makes no physical sense, in the user's words ending in "...":
    /// a flow that is not positive, a temperature below absolute zero, a leaving temperature
    /// outside the span of the two inlet temperatures, air leaving above saturation (a surface
    /// rated dry below the air's dew point), or air and liquid duties that differ by
    /// more than 0.5 % (the air's: dry-air flow × enthalpy change less the condensate's
    /// enthalpy). Empty when it holds.
    std::string PhysicalCheck() const;
    /// Why the liquid cannot be rated where the result takes it, in the user's words ending in
    /// "...": water (plain, with an additive or condensed) hotter than its boiling point at the
    /// liquid pressure, or a leaving or mean temperature more than kLiquidRangeMargin past the
    /// range of the liquid's data (for user values, the range the user gave). Empty when none.
    std::string LiquidLimitCheck() const;
    /// As LiquidLimitCheck for the liquid's inlet temperature alone: a result need not exist.
    std::string InletLimitCheck() const;
    /// The coldest fin surface, °C: on a wet surface the lower of tsAirOut and ADP, on a dry one
    /// the air-outlet end of a liquid colder than the air, else the entering dry bulb.
    double ColdestSurface() const;

    /// True (and zero duty, AirOut := AirIn, tsAirOut := entering dew point, the liquid leaving as
    /// it entered) when cw <= 0.001 kW/K.
    bool NoFlowCheck();
    /// Tube-side coefficient before HiFactor, kW/(m²·K) (TubeNusselt on the pass length).
    static double TubeCoefficient(const TTubeSideGeometry& tube, const TLiquid& liquid);
    /// The same, with Re, Pr, Nu and the regime in result.
    static double TubeCoefficient(const TTubeSideGeometry& tube, const TLiquid& liquid, TTubeResult& result);

    /// Project-file form: the coil's, then the liquid state (`liquidstate`), `liquid_dp` and
    /// `FoulingInDuty` (false when missing, so an older project rates as it did).
    void LoadFromXML(TXMLFile& file, TXMLFile::Node node) override;
    void SaveToXML(TXMLFile& file, TXMLFile::Node node) override;
    /// Tube-side pressure drop, kPa.
    double LiquidPressureDrop() const override;
    /// Connection size, mm, from the liquid mass flow.
    int PipeSize() const override;
    /// Also hands the tube flow area to the liquid state.
    void UpdateTubeData() override;
    double DutyAt(double tIn, double tOut) override;

protected:
    TLiquidCoil(const TLiquidCoil&) = default;
    using TStepScheme = zmk::TStepScheme;
    using TStepSlice = zmk::TStepSlice;
    /// The kind's rated model: the iteration of the solve protocol, writing every result.
    virtual TSolveStatus SolveModel() = 0;
    /// The kind's shooting scheme.
    virtual TStepScheme StepScheme() const = 0;
    /// One slice of the kind: ts, duty, tw and air move.
    virtual void StepSlice(TStepSlice& slice, const char* where) = 0;
    /// The dry effectiveness-NTU passes of the three kinds: Qmax := dTmax·Ca, the liquid takes up
    /// Qt (liquidHeated) or gives it up, and the air's capacity rate follows its enthalpy change;
    /// the liquid is re-evaluated before each pass when updateLiquid is set. Ends with the leaving
    /// air from the enthalpy balance at the entering moisture content (without fullLeavingAir a
    /// partial state, PartialAirStateHW). Sets and returns Status.
    TSolveStatus DryPasses(double dTmax, bool liquidHeated, bool updateLiquid, const char* where,
                           bool fullLeavingAir = true);
    /// Under temperature control, whether the fixed change would take the liquid past the
    /// entering air (above it when heated, below it when cooled). If so the reason is set and,
    /// with hold, the leaving temperature is held at the air's and the change follows.
    bool FixedChangeOverrunsAir(bool liquidHeated, bool hold);
    /// Runs passes of one solve (never fewer than two) until a pass gives the duty it started
    /// from to rounding, at most 102: None when the last agrees within 1e-5 kW, else CountOut.
    /// pass returns its duty (kW) and leaves the state for the next pass; settle, when given,
    /// leaves the state as a pass that gave duty q would, so that the loop can start the next
    /// pass from a duty nearer the answer where the passes close in on it steadily. Counts
    /// SolvePasses; sets Status, and BypassFactor from the last pass's NtuAir.
    TSolveStatus IteratePasses(const std::function<double()>& pass,
                               const std::function<void(double)>& settle = {});
    /// Also the liquid state and the liquid.
    void CheckResults(const char* where) const override;
    /// The liquid state's liquid; ZmkError when the coil is not attached.
    TLiquid& liquid() const;
    /// Rf from UseFouling.
    void SetFouling();
    /// hi, Ui, ho, ConductanceRatio, Uo, NtuAir, NtuLiquid, NtuRatio and Ntu of one pass, from Ca,
    /// cw and Cr as they stand and the air-side coefficient (EffectiveHo, kW/(m²·K)), which stays
    /// the same through a solve's passes; `where` names the solver for its errors. The bypass
    /// factor of these coefficients, e^-NtuAir, is set when the passes end (IteratePasses).
    void CommonCoefficients(double airCoefficient, const char* where);
    using TConductances = zmk::TConductances;
    /// The air-side and tube-side conductances (kW/K) the duty takes: ho·Ao and Ui·Ai, or with
    /// the fouling in the duty ho/1.01 on the air side and Rf/Ao in series with the tube side.
    TConductances DutyConductances(const char* where) const;
    /// The start of the water coils' solves: the zero-flow entry (true when the solve ends at
    /// once with None), the default temperature change, and air entering at exactly the
    /// liquid's temperature moved by airOffset (K) so that a duty exists.
    bool WaterCoilStart(double airOffset);
    /// Sets the construction values (and the four factors to 1, the spray off).
    void SetClassValues(const TClassValues& values);
    /// The water coils' design preparation: liquid flow control with a 6 K liquid temperature
    /// change (leaving = inlet + leavingOffset, °C), the flow that carries the duty (kW), and
    /// the circuits that give the ideal tube velocity at that flow.
    void PrepareDesignFlow(double duty, double leavingOffset, const char* where);

    // ---- Wet surfaces, shared by the coils that cool air below its dew point ----

    using TWetSection = zmk::TWetSection;
    /// The section holding fraction (0..1) of the surface, with air entering at enthalpy hAir
    /// (kJ/kg dry air) and liquid entering where saturated air has enthalpy hsIn; cs is the mean
    /// slope of the saturated-air enthalpy over the liquid's range (kJ/(kg·K)) and airCapacity
    /// the air's capacity rate (kW/K). 1/UA* = cp/(ho·Ao) + cs/(Ui·Ai), so Ntu scales with the
    /// fraction. Reads ho, Ao, NtuLiquid and cw of the current pass; changes no field.
    TWetSection WetSection(double fraction, double hAir, double hsIn, double cs, double airCapacity,
                           const char* where) const;
    /// The dry surface temperature (°C) where air at tAir meets liquid at tLiquid, from the
    /// current pass's Cr, Ntu and NtuLiquid: tLiquid + (tAir − tLiquid)·UA/(Ui·Ai).
    double DrySurfaceTemp(double tAir, double tLiquid, const char* where) const;
    /// The air leaving a wet surface: on the straight coil line from inlet to the apparatus dew
    /// point at the bypass factor, with enthalpy inlet h + enthalpyChange (kJ/kg dry air); adp
    /// receives the apparatus dew point (°C). Where the line would leave the air above saturation
    /// it leaves saturated with that enthalpy, the moisture beyond saturation condensed. adp is
    /// also where the solve for it starts. Without full, only the fields of a partial state
    /// (PartialAirStateHW) are filled, for loops that read no others (CompleteAirState fills them).
    TAirState CoilLineAir(const TAirState& inlet, double enthalpyChange, double bypassFactor, double& adp,
                          bool full = true) const;
    /// One step-by-step slice of a cooling surface: dry on the dry-bulb difference, or, with the
    /// surface at or below the air's dew point, wet on the enthalpy potential with the surface
    /// temperature from the slice's balance and the condensate taken from the air.
    void CoolingSlice(TStepSlice& slice, const char* where);

private:
    void collectWarnings();
};

} // namespace zmk
