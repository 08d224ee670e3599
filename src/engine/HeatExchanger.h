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
#pragma once

#include "base/XMLFiles.h"
#include "engine/LiquidState.h"
#include "engine/Root.h"
#include "geometry/FinAndTube.h"
#include "properties/Fluid.h"
#include "properties/Psy.h"

#include <array>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

namespace zmk {

/// Outcome of a solve or design run.
enum class TSolveStatus : std::uint8_t {
    None = 0,      ///< solved, no error
    Iterating = 1, ///< still iterating
    CountOut = 2,  ///< iteration limit reached
    Aborted = 3,   ///< never set by the coils
    TimeOut = 4,   ///< never set by the coils
    DataError = 5, ///< the data admit no solution
};
/// "None", "Iterating", "CountOut", "Aborted", "TimeOut", "DataError"; empty for other values.
std::string SolveStatusName(TSolveStatus status);

/// Surface conditions (`SurfaceCondition`).
constexpr std::uint8_t scDry = 0;
constexpr std::uint8_t scWet = 1;
constexpr std::uint8_t scPartWet = 2;
/// "Dry", "Wet", "Part-Wet"; empty for other values.
std::string SurfaceConditionName(int condition);

/// Duty directions (`AirCooling`).
constexpr std::uint8_t kAirHeating = 0;
constexpr std::uint8_t kAirCooling = 1;
/// "Air Heating", "Air Cooling"; empty for other values.
std::string DutyDirectionName(int direction);

/// Geometry kind codes handed to the geometry by the concrete coils.
constexpr int kCodeColdWaterCoil = 0;
constexpr int kCodeHotWaterCoil = 1;
constexpr int kCodeZemtor = 5;

/// The model text used when the one given at construction cannot be read.
inline constexpr const char* kFallbackModel = "544 x 720 4r 12f  (14c)";

/// Shape of the step matrix: rows (liquid, air dry bulb, surface, air dew point) × slices.
constexpr int kStepRows = 4;
constexpr int kStepCount = 100;

/// Fouling resistance applied when `UseFouling` is set, m²·K/kW.
constexpr double kFoulingResistance = 0.0048;

/// The apparatus dew point default (°C): what a new coil copies into `ADP`. Every cold water
/// solve that completes stores its ADP here. One per thread, so that coils rated on other
/// threads never change it; a batch resets it before each job so that no job depends on the
/// ones rated before it. Tests reset it.
class TAdpDefault
{
public:
    static constexpr double kInitial = 10.0; ///< value at program start, °C

    /// The calling thread's instance.
    static TAdpDefault& Instance();
    /// The current default, °C.
    double Value() const { return value_; }
    /// Stores a cold coil's final ADP (°C).
    void Store(double adp) { value_ = adp; }
    /// Back to kInitial.
    void Reset() { value_ = kInitial; }

private:
    TAdpDefault() = default;
    double value_ = kInitial;
};

/// The last air-side evaluation of the fin-and-tube correlation.
struct TAirResult
{
    double Dh = 0; ///< characteristic (hydraulic) diameter, m
    double G = 0;  ///< mass velocity in the minimum free-flow area, kg/(m²·s)
    double Re = 0; ///< Reynolds number
    double Pr = 0; ///< Prandtl number
    double Nu = 0; ///< Nusselt number
    double j = 0;  ///< Colburn factor
    double h = 0;  ///< plain coefficient of the staggered pattern, kW/(m²·K)
};

/// Flow regime of the liquid in the tubes.
enum class TTubeRegime : std::uint8_t {
    Laminar,    ///< Re < 2300: thermally developing laminar flow
    Transition, ///< 2300 <= Re < 10000: interpolated between the two
    Turbulent,  ///< Re >= 10000
};
/// "laminar", "transition", "turbulent".
std::string TubeRegimeName(TTubeRegime regime);

/// Reynolds numbers that bound the transition range of tube flow.
constexpr double kLaminarRe = 2300;
constexpr double kTurbulentRe = 10000;

/// The last tube-side evaluation.
struct TTubeResult
{
    double Re = 0;                               ///< Reynolds number
    double Pr = 0;                               ///< Prandtl number
    double Nu = 0;                               ///< mean Nusselt number
    double h = 0;                                ///< coefficient before HiFactor, kW/(m²·K)
    TTubeRegime Regime = TTubeRegime::Turbulent; ///< which correlation gave Nu
};

/// Mean Nusselt number of thermally developing laminar flow in a tube of diameter d over a
/// length L at constant wall temperature (Gnielinski's form); dOverL = d/L, 0 for a long tube.
double LaminarTubeNusselt(double Re, double Pr, double dOverL);
/// Mean Nusselt number of tube flow: 0.026·Re^0.8·Pr^0.4 from Re 10000 up, the laminar form
/// below Re 2300, and between them linear in Re from the laminar value at 2300 to the turbulent
/// one at 10000; regime receives which.
double TubeNusselt(double Re, double Pr, double dOverL, TTubeRegime& regime);

/// A remark on a solved result: what it is and the numbers it names.
struct TResultWarning
{
    enum Kind : std::uint8_t {
        LiquidRange,    ///< value, a liquid temperature (°C), lies outside lo..hi, its data's range
        TubeTransition, ///< value, the tube Reynolds number, lies in the transition range
        Frost,          ///< value, the coldest fin surface (°C), is below 0 °C and the air's dew point
    };
    Kind kind = LiquidRange;
    double value = 0;
    double lo = 0;
    double hi = 0;
};
/// The warning as one sentence: temperatures in °C when stored is true, else in the display unit
/// of liquid/t.
std::string WarningText(const TResultWarning& warning, bool stored);
/// Why entering air cannot be rated (more moisture than saturated air at its dry bulb), in the
/// user's words ending in "..."; empty when it can.
std::string EnteringAirProblem(const TAirState& air);
/// Enthalpy of condensate leaving a coil surface at t (°C), kJ/kg, on the psychrometric
/// reference (liquid water at 0 °C); frost below -0.5 °C, partly frozen from there to 0 °C.
double CondensateEnthalpy(double t);
/// How far (K) a liquid's mean or leaving temperature may pass the range of its property data
/// and still be rated (with a warning); beyond it the job is not solved.
constexpr double kLiquidRangeMargin = 20;

class TCoilSurfaceTemp;

/// Effectiveness relation (Ntu, Cr) → effectiveness.
using TEffectivenessFn = std::function<double(double Ntu, double Cr)>;
/// Air-side coefficient correlation: plain coefficient (kW/(m²·K)) of a surface for an air state
/// whose field 15 holds the air mass flow; fills the result record.
using TAirCoefFn = std::function<double(const TAirSideGeometry&, const TAirState&, TAirResult&)>;

/// The counterflow log mean temperature difference (K) of air dbi -> dbo against a liquid
/// tfi -> tfo (°C); 0 when an end difference is 0 or the two have opposite signs.
double LogMeanDt(double dbi, double dbo, double tfi, double tfo);

/// Counterflow effectiveness for N transfer units and capacity ratio Cr (Cr may exceed 1); an
/// overflowing exponential falls back to N/(N + 0.5).
double CounterflowEffectiveness(double N, double Cr);

/// The five values of SetGeometry: fin height (m), finned length (m), rows, fins per inch, circuits.
using TGeometryValues = TSizeValues;

/// The quantities every heat exchanger reports, and the solve protocol.
class TCustomHeatExchanger
{
public:
    explicit TCustomHeatExchanger(std::string model);
    virtual ~TCustomHeatExchanger();
    TCustomHeatExchanger(const TCustomHeatExchanger&) = delete;
    TCustomHeatExchanger& operator=(const TCustomHeatExchanger&) = delete;

    std::string Model;                ///< size text of the geometry
    double NtuLiquid = 0;             ///< liquid-side transfer units Ui·Ai/cw
    double NtuAir = 0;                ///< air-side transfer units ho·Ao/Ca
    double NtuRatio = 0;              ///< NtuAir/NtuLiquid
    double EffFactor = 1.0;           ///< multiplier on the effectiveness
    double HoFactor = 1.0;            ///< multiplier on the air-side coefficient
    double HiFactor = 1.0;            ///< multiplier on the tube-side coefficient
    double LiquidDpFactor = 1.0;      ///< multiplier on the liquid pressure drop
    double AirDpFactor = 1.0;         ///< multiplier on the air pressure drop
    double DesignFluidIn = 0;         ///< design liquid inlet temperature, °C (setting "DesignFluidIn")
    double Rf = 0;                    ///< fouling resistance used in Uo, m²·K/kW
    double Ntu = 0;                   ///< transfer units of the exchanger, on the air capacity rate
    double Cr = 0;                    ///< capacity rate ratio Ca/cw (air over liquid)
    double e = 0;                     ///< effectiveness
    TEffectivenessFn EffectivenessFn; ///< effectiveness relation; counterflow by default
    double ho = 0;                    ///< effective air-side coefficient, kW/(m²·K)
    double hi = 0;                    ///< tube-side coefficient, kW/(m²·K)
    double Uo = 0;                    ///< overall coefficient on the outside area, kW/(m²·K)
    double UoDuty = 0; ///< the overall coefficient the duty used (Uo when FoulingInDuty), kW/(m²·K)
    double Ui = 0;                    ///< inside coefficient including the tube wall, kW/(m²·K)
    double Ao = 0;                    ///< outside (air side) area, m²
    double Ai = 0;                    ///< inside (tube side) area, m²
    double AoAi = 0;                  ///< Ao/Ai
    double ConductanceRatio = 0;      ///< ho·Ao/(Ui·Ai)
    double Vi = 0;                    ///< inside volume of the tubes, m³
    double WallK = 0.384;             ///< tube wall conductivity, kW/(m·K)
    double WallThickness = 0.003;     ///< tube wall thickness, m
    double Qt = 0;                    ///< total duty, kW
    double Qs = 0;                    ///< sensible duty, kW
    double Qmax = 0;                  ///< largest possible duty, kW
    TSolveStatus Status = TSolveStatus::None; ///< result of the last solve or design run
    std::string Reason;                       ///< why the last solve is not solved, ending "..."; else empty
    /// The last solve is not solved only because it takes the liquid past its limits: its duty
    /// stands, and a sizing may steer by it.
    bool LiquidLimited = false;
    std::vector<TResultWarning> Warnings;     ///< remarks that leave the last result solved
    TLiquid* Liquid = nullptr;                ///< the job's liquid; not owned
    std::vector<std::vector<double>> StepMatrix; ///< step simulation result, [row][slice], °C
    int StepPasses = 0;                          ///< marching passes the last step simulation took
    bool UseFouling = true;                      ///< apply the fouling resistance (setting "UseFouling")
    /// The duty uses the fouled Uo (the 1.01 on the air side and Rf) rather than the clean
    /// coefficients (setting "FoulingInDuty"; kept with the coil in the project).
    bool FoulingInDuty = false;
    double WetEffFactor = 1.0;                   ///< extra effectiveness multiplier of the wet cooling model

    /// The model text.
    virtual std::string GetModel();
    /// Stores the model text.
    virtual void SetModel(const std::string& text);
    /// Tube-side pressure drop, kPa; 0 here.
    virtual double LiquidPressureDrop() const;
    /// Pipe connection size, mm; -1 here.
    virtual int PipeSize() const;
    /// Binary stream forms; no file uses them, they are kept empty.
    virtual void ReadData(std::istream& reader);
    virtual void WriteData(std::ostream& writer);
    /// Project-file forms of the coil element: the results Qt, Qs, e, Ntu and Cr under node
    /// (reading takes 0 for a missing one).
    virtual void LoadFromXML(TXMLFile& file, TXMLFile::Node node);
    virtual void SaveToXML(TXMLFile& file, TXMLFile::Node node);
    /// Rates the exchanger; see the solve protocol of TCoil.
    virtual TSolveStatus Solve() = 0;
    /// Qt (kW) for a liquid entering at tIn and leaving at tOut (°C), or 0 when not solved.
    virtual double DutyAt(double tIn, double tOut) = 0;
    /// Temperature profile along the air path into StepMatrix; duty receives its duty (kW).
    virtual void StepByStep(double& duty) = 0;

protected:
    /// EMathError when a result field holds no finite number.
    virtual void CheckResults(const char* where) const;
};

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
    std::unique_ptr<TFinAndTube> Geometry; ///< the coil geometry; owned
    double ADP = 0;                        ///< apparatus dew point, °C
    double BypassFactor = 0;               ///< exp(-NtuAir)
    TAirResult AirResult;                  ///< last air-side evaluation
    std::uint8_t AirCooling = kAirHeating; ///< duty direction of the last solve
    bool Spray = false;                    ///< recirculating water spray on the fins
    double SprayFactor = 80.0;             ///< multiplier on ho while Spray is on
    double ActiveSprayFactor = 1.0;        ///< SprayFactor or 1, chosen at the start of each solve

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
    /// Also the air states, surface temperatures, ADP and air flow.
    void CheckResults(const char* where) const override;
    /// Copies Ao, Ai, AoAi, Vi, the two summaries and SurfaceEff from the geometry.
    void RefreshDerived();
    /// The entering air state; ZmkError when the coil is not attached.
    TAirState& airIn() const;
    /// The leaving air state; ZmkError when the coil is not attached.
    TAirState& airOut() const;
    /// ActiveSprayFactor·HoFactor·SurfaceEff·AirCoefFn(AirGeom, AirIn, AirResult).
    double EffectiveHo();
    /// The air's side of a sensible duty Q (kW, positive when it cools the air) at the entering
    /// moisture content: returns the leaving enthalpy (kJ/kg dry air) of the enthalpy balance;
    /// capacity receives the dry-air flow × the mean humid specific heat over that change (kW/K),
    /// the Ca of the next pass.
    double SensibleAirChange(double Q, double& capacity, const char* where);

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
    void finishAreaSizing();
};

/// The next guess of the step-by-step shooting (the liquid's temperature at the air inlet, °C)
/// from this pass's guess and far-end error (K) and the previous pass's: the secant through the
/// two where its slope is positive, else the relaxed step guess − relaxation·err.
double NextStepGuess(double guess, double err, double lastGuess, double lastErr, int pass, double relaxation);

/// A coil with a pumped liquid in the tubes; owns its liquid operating state.
class TLiquidCoil : public TCoil
{
public:
    TLiquidCoil(const std::string& makerName, int tubeIndex, int code, const std::string& model);
    ~TLiquidCoil() override;

    std::unique_ptr<TLiquidState> LiquidState; ///< the liquid operating state; owned

    /// Refers to the job's air states and liquid; the coil must not be solved before.
    void Attach(TAirState& airIn, TAirState& airOut, TLiquid& liquid);
    TTubeResult TubeResult; ///< last tube-side evaluation of a solve

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

    /// Result sections of the pages: HTML lines appended to a list the caller owns. They only
    /// read, print the current fields of an unsolved coil too, and throw ZmkError when the
    /// coil is not attached. Texts from the project or the catalogue are HTML-escaped.
    /// The main report's table.
    virtual void WriteReport(std::vector<std::string>& lines);
    /// The diagnostic page's preformatted block.
    virtual void WriteDiagnostics(std::vector<std::string>& lines);
    /// The thermal summary's preformatted block, its warning and its "status" line.
    virtual void WriteThermalSummary(std::vector<std::string>& lines);

protected:
    /// How the step-by-step shooting of a kind moves its leaving-temperature estimate.
    struct TStepScheme
    {
        double Relaxation; ///< factor on the error at the far end
        bool LimitToAir;   ///< hold the estimate in [tin + 0.1, entering dry bulb − 0.5]
        bool Inclusive;    ///< stop at |error| <= 1e-5 K rather than < 1e-5 K
    };
    /// What one step-by-step pass carries from slice to slice.
    struct TStepSlice
    {
        TAirState air;   ///< the air entering the slice; the slice step leaves it leaving
        double tw = 0;   ///< liquid temperature at the slice's air-inlet side, then at its outlet side, °C
        double ts = 0;   ///< surface temperature of the slice, °C
        double duty = 0; ///< slice duties so far, kW
        double dAo = 0;  ///< slice outside area, m²
        double dAi = 0;  ///< slice inside area, m²
        double R = 0;    ///< ConductanceRatio
        double cw = 0;   ///< liquid capacity rate, kW/K
        double mda = 0;  ///< dry-air flow, kg/s
        std::unique_ptr<TCoilSurfaceTemp> surface; ///< wet-slice solver, made when first needed
    };
    /// The kind's rated model: the iteration of the solve protocol, writing every result.
    virtual TSolveStatus SolveModel() = 0;
    /// The kind's shooting scheme.
    virtual TStepScheme StepScheme() const = 0;
    /// One slice of the kind: ts, duty, tw and air move.
    virtual void StepSlice(TStepSlice& slice, const char* where) = 0;
    /// The dry effectiveness-NTU passes of the three kinds: Qmax := dTmax·Ca, the liquid takes up
    /// Qt (liquidHeated) or gives it up, and the air's capacity rate follows its enthalpy change;
    /// the liquid is re-evaluated before each pass when updateLiquid is set. Ends with the leaving
    /// air from the enthalpy balance at the entering moisture content. Sets and returns Status.
    TSolveStatus DryPasses(double dTmax, bool liquidHeated, bool updateLiquid, const char* where);
    /// Under temperature control, whether the fixed change would take the liquid past the
    /// entering air (above it when heated, below it when cooled). If so the reason is set and,
    /// with hold, the leaving temperature is held at the air's and the change follows.
    bool FixedChangeOverrunsAir(bool liquidHeated, bool hold);
    /// Runs passes of one solve (never fewer than two) until two successive passes agree to
    /// rounding, at most 102: None when the last two agree within 1e-5 kW, else CountOut. pass
    /// returns its duty (kW). Sets Status.
    TSolveStatus IteratePasses(const std::function<double()>& pass);
    /// Also the liquid state and the liquid.
    void CheckResults(const char* where) const override;
    /// The liquid state's liquid; ZmkError when the coil is not attached.
    TLiquid& liquid() const;
    /// Rf from UseFouling.
    void SetFouling();
    /// hi, Ui, ho, ConductanceRatio, Uo, NtuAir, NtuLiquid, NtuRatio, BypassFactor and Ntu of one
    /// pass, from Ca, cw and Cr as they stand and the air-side coefficient (EffectiveHo,
    /// kW/(m²·K)), which stays the same through a solve's passes; `where` names the solver for
    /// its errors.
    void CommonCoefficients(double airCoefficient, const char* where);
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

    /// A counterflow section of wet surface rated on the enthalpy potential.
    struct TWetSection
    {
        double Cr = 0;   ///< dry-air flow × cs / cw
        double Ntu = 0;  ///< transfer units on the enthalpy potential: UA*/dry-air flow
        double e = 0;    ///< effectiveness, with EffFactor and WetEffFactor
        double Qmax = 0; ///< dry-air flow × (air enthalpy in − saturated enthalpy at the liquid inlet), kW
        double Q = 0;    ///< e·Qmax, kW
    };
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
    /// it leaves saturated with that enthalpy, the moisture beyond saturation condensed.
    TAirState CoilLineAir(const TAirState& inlet, double enthalpyChange, double bypassFactor,
                          double& adp) const;
    /// One step-by-step slice of a cooling surface: dry on the dry-bulb difference, or, with the
    /// surface at or below the air's dew point, wet on the enthalpy potential with the surface
    /// temperature from the slice's balance and the condensate taken from the air.
    void CoolingSlice(TStepSlice& slice, const char* where);

private:
    void collectWarnings();
};

/// Hot water heating coil (kind "hwc"): a dry coil in which the liquid is always cooled.
class THotWaterCoil : public TLiquidCoil
{
public:
    THotWaterCoil(const std::string& makerName, int tubeIndex, const std::string& model);
    /// Project-file form: finds or creates `hwc` under the root (reading also takes `hotwatercoil`).
    void LoadFromXML(TXMLFile& file, TXMLFile::Node root) override;
    void SaveToXML(TXMLFile& file, TXMLFile::Node root) override;
    void PrepareDesign(double duty) override;

protected:
    TSolveStatus SolveModel() override;
    TStepScheme StepScheme() const override;
    void StepSlice(TStepSlice& slice, const char* where) override;
};

/// Chilled water cooling coil (kind "cwc"): dry, wet or part-wet surface.
class TColdWaterCoil : public TLiquidCoil
{
public:
    TColdWaterCoil(const std::string& makerName, int tubeIndex, const std::string& model);
    /// Project-file form: finds or creates `cwc` under the root (reading also takes `chilledwatercoil`).
    void LoadFromXML(TXMLFile& file, TXMLFile::Node root) override;
    void SaveToXML(TXMLFile& file, TXMLFile::Node root) override;
    void PrepareDesign(double duty) override;
    void WriteReport(std::vector<std::string>& lines) override;
    void WriteDiagnostics(std::vector<std::string>& lines) override;
    void WriteThermalSummary(std::vector<std::string>& lines) override;

    /// Dry-surface model: sensible cooling; sets tsAirOut and ADP (entering dew point).
    TSolveStatus DryModel();
    /// Wet-surface model on the enthalpy potential; sets tsAirIn, tsAirOut and ADP.
    TSolveStatus WetModel();

protected:
    TSolveStatus SolveModel() override;
    TStepScheme StepScheme() const override;
    void StepSlice(TStepSlice& slice, const char* where) override;
};

/// Heat recovery coil (kind "zmk"): air and liquid exchange heat across a dry surface; air cooled
/// below its dew point condenses on the part of the surface below it (dry, part-wet or wet).
class TZemtor : public TLiquidCoil
{
public:
    TZemtor(const std::string& makerName, int tubeIndex, const std::string& model);
    /// Project-file form: finds or creates `zmk` under the root (reading also takes `zemtor`); the liquid
    /// state is read and written once more.
    void LoadFromXML(TXMLFile& file, TXMLFile::Node root) override;
    void SaveToXML(TXMLFile& file, TXMLFile::Node root) override;
    void WriteReport(std::vector<std::string>& lines) override;
    void WriteDiagnostics(std::vector<std::string>& lines) override;
    void WriteThermalSummary(std::vector<std::string>& lines) override;

protected:
    TSolveStatus SolveModel() override;
    TStepScheme StepScheme() const override;
    void StepSlice(TStepSlice& slice, const char* where) override;

private:
    TSolveStatus condensingPasses();
};

/// The wet-slice balance of the cooling coil's step simulation: the surface temperature x (°C)
/// at which (ho/cp)·dAo·(h − hs(P, x)) = Ui·dAi·(x − tw). Owns the root finder bound to F.
class TCoilSurfaceTemp
{
public:
    TCoilSurfaceTemp();
    TCoilSurfaceTemp(const TCoilSurfaceTemp&) = delete;
    TCoilSurfaceTemp& operator=(const TCoilSurfaceTemp&) = delete;

    TAirState air;  ///< the slice's entering air
    double tw = 0;  ///< liquid temperature, °C
    double ho = 0;  ///< effective air-side coefficient, kW/(m²·K)
    double Ui = 0;  ///< inside coefficient, kW/(m²·K)
    double dAo = 0; ///< slice outside area, m²
    double dAi = 0; ///< slice inside area, m²
    TRoot Root;     ///< secant solver of F, default limits

    /// The balance residual at surface temperature x, kW.
    double F(double x) const;
    /// Root of F from x0 (°C); used whatever the solver's status.
    double Solve(double x0);
};

} // namespace zmk
