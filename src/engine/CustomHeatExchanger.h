// The quantities every heat exchanger reports (duty, effectiveness, NTU, coefficients, areas)
// and the solve protocol; the effectiveness relations. Units: °C, kW, kW/K, kW/(m²·K), m², m³.
#pragma once

#include "base/XMLFiles.h"
#include "engine/SolveStatus.h"
#include "geometry/FinAndTube.h"
#include "properties/Fluid.h"

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace zmk {

/// Effectiveness relation (Ntu, Cr) → effectiveness.
using TEffectivenessFn = std::function<double(double Ntu, double Cr)>;

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
    double Ui = 0;     ///< inside coefficient including the tube wall, kW/(m²·K)
    double Ao = 0;     ///< outside (air side) area, m²
    double Ai = 0;     ///< inside (tube side) area, m²
    double AoAi = 0;   ///< Ao/Ai
    double ConductanceRatio = 0;              ///< ho·Ao/(Ui·Ai)
    double Vi = 0;                            ///< inside volume of the tubes, m³
    double WallK = 0.384;                     ///< tube wall conductivity, kW/(m·K)
    double WallThickness = 0.003;             ///< tube wall thickness, m
    double Qt = 0;                            ///< total duty, kW
    double Qs = 0;                            ///< sensible duty, kW
    double Qmax = 0;                          ///< largest possible duty, kW
    TSolveStatus Status = TSolveStatus::None; ///< result of the last solve or design run
    std::string Reason;                       ///< why the last solve is not solved, ending "..."; else empty
    /// The last solve is not solved only because it takes the liquid past its limits: its duty
    /// stands, and a sizing may steer by it.
    bool LiquidLimited = false;
    std::vector<TResultWarning> Warnings;        ///< remarks that leave the last result solved
    TLiquid* Liquid = nullptr;                   ///< the job's liquid; not owned
    std::vector<std::vector<double>> StepMatrix; ///< step simulation result, [row][slice], °C
    int StepPasses = 0;                          ///< marching passes the last step simulation took
    bool UseFouling = true;                      ///< apply the fouling resistance (setting "UseFouling")
    /// The duty uses the fouled Uo (the 1.01 on the air side and Rf) rather than the clean
    /// coefficients (setting "FoulingInDuty"; kept with the coil in the project).
    bool FoulingInDuty = false;
    double WetEffFactor = 1.0; ///< extra effectiveness multiplier of the wet cooling model

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
    /// For the copies of a whole coil (TLiquidCoil::Clone).
    TCustomHeatExchanger(const TCustomHeatExchanger&) = default;
    /// EMathError when a result field holds no finite number.
    virtual void CheckResults(const char* where) const;
};

} // namespace zmk
