// The liquid operating state of a liquid coil: which of the liquid's leaving temperature and
// flow a solve moves (the liquid control), the tube flow area, the velocity and the capacity rate.
// It refers to the job's liquid and keeps, after every operation,
//   vw = m / ro / FlowArea   and   cw = m · Cp
// with the liquid's current properties.
#pragma once

#include "base/XMLFiles.h"
#include "properties/Fluid.h"

#include <cstdint>
#include <string>

namespace zmk {

/// Liquid control: the temperature change `designdt` is fixed and the flow follows.
constexpr std::uint8_t wcTemp = 0;
/// Liquid control: the flow is fixed and the leaving temperature follows.
constexpr std::uint8_t wcFlow = 1;
/// "Temperature" for wcTemp, "Liquid flow" for wcFlow, empty otherwise.
std::string LiquidControlName(int ctrl);

/// The liquid operating state of a liquid coil; owned by the coil, refers to the job's liquid.
class TLiquidState
{
public:
    TLiquidState() = default;
    virtual ~TLiquidState() = default;
    TLiquidState(const TLiquidState&) = default;
    TLiquidState& operator=(const TLiquidState&) = delete;

    double FlowArea = 1.0;      ///< inside cross-section of all circuits, m²
    TLiquid* Liquid = nullptr;  ///< the job's liquid; not owned
    double designdt = 6.0;      ///< liquid temperature change, K
    double cw = 0;              ///< liquid capacity rate m·Cp, kW/K
    std::uint8_t ctrl = wcFlow; ///< liquid control, wcTemp or wcFlow
    double vw = 0;              ///< liquid velocity in the tubes, m/s
    double vwideal = 1.0;       ///< target tube velocity of a design, m/s

    /// Refers to the job's liquid from now on and refreshes vw and cw from it.
    void SetLiquid(TLiquid& liquid);

    /// The liquid's mass flow, kg/s.
    double GetMassFlow() const;
    /// Liquid mass flow := m (kg/s); vw and cw follow.
    void SetMassFlow(double m);
    /// Volume flow, l/s.
    double GetVolumeFlow() const;
    /// Tube velocity v (m/s): SetMassFlow(v·ro·FlowArea).
    void SetVelocity(double v);
    /// The liquid's inlet temperature, °C.
    double GetInletTemp() const;
    /// Inlet temperature (°C); the liquid is re-evaluated, then vw and cw refreshed.
    void SetInletTemp(double t);
    /// The liquid's leaving temperature, °C.
    double GetLeavingTemp() const;
    /// Leaving temperature (°C); the liquid is re-evaluated, then vw and cw refreshed.
    void SetLeavingTemp(double t);
    /// FlowArea := a (m²); with a liquid attached vw and cw are refreshed.
    void SetFlowArea(double a);
    /// The liquid takes up Q kW: the leaving temperature (wcFlow) or the flow (wcTemp) moves.
    void AddHeat(double Q);
    /// The liquid gives up Q kW: the mirror of AddHeat.
    void RemoveHeat(double Q);

    /// Project-file forms of the state: element `liquidstate` under node, holding the liquid,
    /// designdt, cw, vw, vwideal and ctrl. Reading finds it without creating it, keeps every
    /// value that is missing or out of range, takes the liquid only when it evaluates, and
    /// then refreshes vw and cw from the liquid so that they agree with its flow.
    virtual void LoadFromXML(TXMLFile& file, TXMLFile::Node node);
    virtual void SaveToXML(TXMLFile& file, TXMLFile::Node node);

private:
    /// The attached liquid; ZmkError when there is none.
    TLiquid& liquid() const;
};

} // namespace zmk
