// A finned-tube coil with air on the fin side: its geometry, air flow and states, design
// settings and sizing searches. Units: m, m², m³/s, kg/s, m/s, °C, kPa, Pa, kW.
#pragma once

#include "base/CopiedPtr.h"
#include "engine/AirSide.h"
#include "engine/CustomHeatExchanger.h"
#include "engine/PublishedAirSide.h"
#include "geometry/FinAndTube.h"
#include "properties/Psy.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zmk {

/// A finned-tube coil with air on the fin side. It owns its geometry and refers to the job's
/// entering and leaving air states.
///
/// Solve protocol: the caller applies all inputs and attaches the air states (and liquid);
/// Solve sets ActiveSprayFactor, runs its iteration with Status Iterating, ends with None or
/// CountOut, writes every result (Qt, Qs, e, Ntu, Cr, coefficients, AirOut, the liquid leaving
/// temperature or flow) whatever the status, and returns the status. Errors are not caught.
class TCoil : public TCustomHeatExchanger
{
public:
    /// Geometry from (maker, tube index, kind code, size text); an unreadable size text is
    /// replaced by kFallbackModel.
    TCoil(const std::string& makerName, int tubeIndex, int code, const std::string& model);
    /// Geometry straight from a definition record (its kind code := code), no size text read and
    /// no catalogue looked up; a record that cannot be built throws ZmkError with the reason.
    TCoil(int code, const TModelRec& rec);
    ~TCoil() override;

    TAirState* AirIn = nullptr;  ///< entering air; the job's, written in place
    TAirState* AirOut = nullptr; ///< leaving air; the job's, written by Solve
    TTubeSideGeometry TubeGeom;  ///< copy of the geometry's tube-side summary
    TAirSideGeometry AirGeom;    ///< copy of the geometry's air-side summary
    double Va = 0;               ///< air volume flow at entering density, m³/s
    double ma = 0;               ///< air mass flow, kg/s
    double Vf = 0;               ///< face velocity, m/s
    double Ca = 0;         ///< air capacity rate: dry-air flow × mean humid cp over the air's change, kW/K
    double DesignVf = 2.5; ///< design face velocity, m/s (setting "DesignVf")
    double DesignAspect = 1.4; ///< design finned length / fin height (setting "DesignAspect")
    double MaxHeight = 9.144;  ///< sizing fin height limits, m
    double MinHeight = 0.0254;
    double MaxLength = 10.0; ///< sizing finned length limits, m
    double MinLength = 0.1;
    double DesignRows = 4.0;               ///< design rows (setting "DesignRows")
    int DesignFins = 10;                   ///< design fins per inch (setting "DesignFins")
    double DutyPerVolFlow = 15.8;          ///< duty per air volume flow, kW per m³/s
    std::uint8_t SurfaceCondition = scDry; ///< scDry, scWet or scPartWet
    double SurfaceEff = 0;                 ///< surface efficiency EtaO of the finned surface
    double tsAirIn = 0;                    ///< surface temperature at the air-inlet end, °C
    double tsAirOut = 0;                   ///< surface temperature at the air-outlet end, °C
    TAirCoefFn AirCoefFn;                  ///< air-side correlation; FinTubeCoefficient by default
    double DefaultAspect = 1.4;            ///< defaults of the design settings
    double DefaultRows = 4.0;
    int DefaultFins = 10;
    double DefaultVf = 2.5;                ///< m/s
    std::string DesignAirOn;               ///< design entering air "db/wb" (setting "DesignAirOn")
    TCopiedPtr<TFinAndTube> Geometry;      ///< the coil geometry; owned
    double ADP = 0;                        ///< apparatus dew point, °C
    double BypassFactor = 0;               ///< exp(-NtuAir)
    TAirResult AirResult;                  ///< last air-side evaluation
    std::uint8_t AirCooling = kAirHeating; ///< duty direction of the last solve
    bool Spray = false;                    ///< recirculating water spray on the fins
    double SprayFactor = 80.0;             ///< multiplier on ho while Spray is on
    double ActiveSprayFactor = 1.0;        ///< SprayFactor or 1, chosen at the start of each solve
    /// How the air side is rated (kept with the coil in the project); set by SetAirSideMethod.
    TAirSideMethod AirSideMethod = TAirSideMethod::Standard;
    double FinEff = 0; ///< fin efficiency the last solve used (the geometry's, or at ho when published)
    /// The correlation ranges the last published air-side evaluation lies outside of.
    std::vector<TResultWarning> AirSideWarnings;

    /// Project-file form: the results, the geometry (`fat`) and the air (`air`) under node.
    /// Reading re-applies the size text and keeps every value that is missing or out of range.
    void LoadFromXML(TXMLFile& file, TXMLFile::Node node) override;
    void SaveToXML(TXMLFile& file, TXMLFile::Node node) override;
    /// Copies the geometry's size text into Model and returns it.
    std::string GetModel() override;
    /// Stores Model and hands it to the geometry; when it reads, UpdateTubeData and the refresh run.
    void SetModel(const std::string& text) override;
    /// WallK and WallThickness from a fresh tube-side summary.
    virtual void UpdateTubeData();
    /// Prepares the liquid side for sizing to a duty (kW); nothing here.
    virtual void PrepareDesign(double duty);

    // Geometry getters (m, fins per inch, m²).
    double GetFinHeight() const;
    double GetFinnedLength() const;
    double GetRows() const;
    double GetFinDensity() const;
    double GetCircuits() const;
    double GetDepth() const;
    double GetAf() const;
    int GetSerp() const;

    // Geometry setters: each recalculates the geometry and refreshes the derived data.
    void SetFinHeight(double h);    ///< m
    void SetFinnedLength(double l); ///< m
    void SetRows(double rows);
    void SetFinDensity(double fpi); ///< fins per inch
    void SetCircuits(double n);     ///< also runs UpdateTubeData
    void SetFinMaterial(int index);
    /// Tube material index, written straight into the record; UpdateTubeData and the refresh follow.
    void SetTubeMaterial(int index);
    /// The five values in order; when the geometry takes them, UpdateTubeData and the refresh run.
    void SetGeometry(const TGeometryValues& values);
    /// A whole definition record; then the refresh.
    void SetModelRecord(const TModelRec& rec);

    // Air flow and state setters; none solves.
    /// Air mass flow (kg/s, moist air) into both states' field 15; Va, Vf and Ca (dry-air flow ×
    /// entering humid specific heat) follow.
    void SetAirMassFlow(double m);
    /// Air volume flow at entering density, m³/s.
    void SetAirVolumeFlow(double volumeFlow);
    /// Face velocity, m/s.
    void SetFaceVelocity(double V);
    /// Barometric pressure (kPa) of both states, keeping dry and wet bulbs; the face velocity is kept.
    void SetPressure(double P);
    /// Entering dry bulb (°C), keeping the moisture content.
    void SetAirInDryBulb(double t);
    /// Entering moisture content (kg/kg), keeping the dry bulb.
    void SetAirInMoisture(double w);
    void SetAirDpFactor(double value);
    void SetAirCoefFn(TAirCoefFn fn);
    /// The air-side method, with the effectiveness relation that goes with it (counterflow for
    /// the standard method; by the number of rows for the published one).
    void SetAirSideMethod(TAirSideMethod method);

    // Air getters.
    /// Mean of the entering and leaving pressures, kPa.
    double GetPressure() const;
    double GetAirInDryBulb() const;  ///< °C
    double GetAirInWetBulb() const;  ///< °C
    double GetAirInEnthalpy() const; ///< kJ/kg
    double GetAirInMoisture() const; ///< kg/kg
    double GetAirInRh() const;       ///< fraction
    double GetAirInDewPoint() const; ///< °C
    double GetAirOutDryBulb() const;
    double GetAirOutWetBulb() const;
    double GetAirOutEnthalpy() const;
    double GetAirOutMoisture() const;
    double GetAirOutRh() const;
    double GetAirOutDewPoint() const;
    /// ma / leaving density (m³/s), ±1.7e308 when that density is 0.
    double LeavingVolumeFlow() const;

    /// Plain fin-and-tube coefficient (kW/(m²·K)) for the air state's field-15 mass flow.
    static double FinTubeCoefficient(const TAirSideGeometry& geometry, const TAirState& air,
                                     TAirResult& result);
    /// Tube-bank coefficient (kW/(m²·K)), used only as an in-line/staggered ratio.
    static double TubeBankCoefficient(const TAirSideGeometry& geometry, const TAirState& air);
    /// Air pressure drop with the wet-surface multiplier, Pa.
    double AirPressureDrop() const;
    /// Condensate rate (w in − w out)·dry-air flow, kg/s.
    double MoistureRemoval() const;
    /// Dry-air mass flow, ma/(1 + w) of the entering air, kg/s: the flow the enthalpies (per kg of
    /// dry air) go with.
    double DryAirFlow() const;

    // Sizing to a duty (kW), keeping the air volume flow Va (m³/s) or choosing it when Va = 0.
    // The area sizings move the face within MinHeight..MaxHeight and MinLength..MaxLength; the
    // grid sizings (rows, fin density, both) try the rows and fin densities below, one set for
    // the three, and keep the trial nearest the duty among those that give SizingReach of it or
    // more, or the nearest of all when none does.
    static constexpr std::array<int, 4> SizingRows{3, 4, 5, 6};
    static constexpr std::array<int, 4> SizingFins{8, 10, 12, 14}; ///< fins per inch
    static constexpr double SizingReach = 0.98;
    TSolveStatus AutoFaceArea(double Va, double duty);
    TSolveStatus AutoHeight(double Va, double duty);
    TSolveStatus AutoLength(double Va, double duty);
    TSolveStatus AutoRows(double Va, double duty);
    TSolveStatus AutoFinDensity(double Va, double duty);
    TSolveStatus AutoRowsFins(double Va, double duty);

    /// Writes column index of StepMatrix (liquid, air dry bulb, surface, air dew point; °C).
    void StoreStep(int index, double fluid, double air, double surface, double dewPoint);
    /// Sizes StepMatrix to kStepRows × kStepCount.
    void PrepareStepMatrix();

protected:
    TCoil(const TCoil&) = default;
    /// Also the air states, surface temperatures, ADP and air flow.
    void CheckResults(const char* where) const override;
    /// Copies Ao, Ai, AoAi, Vi, the two summaries and SurfaceEff from the geometry.
    void RefreshDerived();
    /// The entering air state; ZmkError when the coil is not attached.
    TAirState& airIn() const;
    /// The leaving air state; ZmkError when the coil is not attached.
    TAirState& airOut() const;
    /// ActiveSprayFactor·HoFactor·SurfaceEff·AirCoefFn(AirGeom, AirIn, AirResult). Under the
    /// published method the plain coefficient and SurfaceEff come from engine/PublishedAirSide,
    /// for wet fins (wetFins) on the enthalpy potential.
    double EffectiveHo(bool wetFins = false);
    /// The air's side of a sensible duty Q (kW, positive when it cools the air) at the entering
    /// moisture content: returns the leaving enthalpy (kJ/kg dry air) of the enthalpy balance;
    /// capacity receives the dry-air flow × the mean humid specific heat over that change (kW/K),
    /// the Ca of the next pass.
    double SensibleAirChange(double Q, double& capacity, const char* where);
    /// As above, the leaving air carried from pass to pass by its enthalpy, dry bulb and slope:
    /// where the search for the leaving dry bulb starts, and then the leaving air's.
    double SensibleAirChange(double Q, double& capacity, TDryBulbMark& leaving, const char* where);

private:
    // The entering and leaving states the air setters build, the same on every solve of
    // unchanged inputs.
    TStateCache airStates_;
    enum class SizingPath { FaceArea, Length };
    bool startSizing(double Va, double duty, const char* where, double& pitch);
    TSolveStatus sizingFailed(const char* why);
    TSolveStatus sizeByArea(double Va, double duty, SizingPath path);
    TSolveStatus searchGrid(double Va, double duty, int startRows, int startFins,
                            const std::vector<int>& rows, const std::vector<int>& fins);
    void applyAirFlow(double Va);
    /// Slope of the saturated-air enthalpy over the wet fins' span, kJ/(kg·K).
    double wetFinSlope() const;
    /// The wet-surface multiplier on the air pressure drop (1 on a dry coil).
    double wetDpMultiplier() const;
    void finishAreaSizing();
    void initCoil();
};

/// The next guess of the step-by-step shooting (the liquid's temperature at the air inlet, °C)
/// from this pass's guess and far-end error (K) and the previous pass's: the secant through the
/// two where its slope is positive, else the relaxed step guess − relaxation·err.
double NextStepGuess(double guess, double err, double lastGuess, double lastErr, int pass, double relaxation);

} // namespace zmk
