// The tube-side liquid: property correlations of the fourteen pure liquids and the three water
// solutions (density, specific heat, viscosity, conductivity against temperature), and the
// liquid in the tubes, which picks one, evaluates it at the mean of the inlet and outlet
// temperatures and keeps the Prandtl number current.
//
// Correlations do not refuse a temperature: outside their range they are evaluated anyway (with
// the viscosity clamps of the water and oil fits) and report the range they were fitted over.
// Only where a fit has no value at all (the pole of condensed steam's viscosity at -42.97 °C,
// of liquid CO2's specific heat at 31.64 °C, a NaN temperature) do they throw EMathError.
#pragma once

#include "base/XMLFiles.h"

#include <string>

namespace zmk {

/// One evaluation of a pure-liquid correlation.
struct TTransportProps
{
    std::string Name;      ///< long name of the liquid
    std::string ShortName; ///< short name of the liquid
    double TMin = 0;       ///< lower end of the validity range, °C
    double TMax = 0;       ///< upper end of the validity range, °C
    double ro = 0;         ///< density, kg/m³
    double Cp = 0;         ///< specific heat, kJ/(kg·K)
    double mu = 0;         ///< dynamic viscosity, kg/(m·s)
    double Ko = 0;         ///< thermal conductivity, kW/(m·K)
    /// Which kind's names Name and ShortName hold (-1: none, or names set by hand), so that the
    /// next evaluation of the same kind need not compare them.
    int NamesKind = -1;
};

/// Number of pure liquid kinds (0..13).
constexpr int kLiquidKindCount = 14;
/// Number of water additives (0 none .. 3 calcium chloride).
constexpr int kWaterAdditiveCount = 4;

/// The name by which a liquid kind is listed and stored ("Water" ... "Compressed Air"); empty
/// outside 0..13.
std::string LiquidKindName(int kind);
/// The stored name of a water additive ("None", "EthyleneGlycol", "PropyleneGlycol",
/// "CalciumChloride"); empty outside 0..3.
std::string WaterAdditiveName(int additive);

// Pure-liquid correlations at T (°C); each fills every field of props.
void CleanWaterProps(TTransportProps& props, double T);      ///< kind 0
void ThermalOilProps(TTransportProps& props, double T);      ///< kind 1
void EngineOilProps(TTransportProps& props, double T);       ///< kind 2
void GlycerinProps(TTransportProps& props, double T);        ///< kind 3
void EthyleneGlycolProps(TTransportProps& props, double T);  ///< kind 4
void CalciumChlorideProps(TTransportProps& props, double T); ///< kind 5
void SulphurDioxideProps(TTransportProps& props, double T);  ///< kind 6
void MercuryProps(TTransportProps& props, double T);         ///< kind 7
void LiquidAmmoniaProps(TTransportProps& props, double T);   ///< kind 8
void LiquidCO2Props(TTransportProps& props, double T);       ///< kind 9
void MethylchlorideProps(TTransportProps& props, double T);  ///< kind 10
void LiquidR12Props(TTransportProps& props, double T);       ///< kind 11
void CondensedSteamProps(TTransportProps& props, double T);  ///< kind 12
/// Kind 13, at T (°C) and absolute pressure P (bar).
void CompressedAirProps(TTransportProps& props, double T, double P);
/// The correlation of kind 0..13 at T (°C) and, for kind 13, P (bar); false (props untouched)
/// for any other kind.
bool LiquidProps(TTransportProps& props, int kind, double T, double P);

// Water-additive mixtures (additive 1 ethylene glycol, 2 propylene glycol, 3 calcium chloride)
// at volume fraction X (0.3 = 30 %) and T (°C), unclamped; 0 for any other additive.
double MixtureRo(int additive, double X, double T); ///< density, kg/m³
double MixtureCp(int additive, double X, double T); ///< specific heat, kJ/(kg·K)
double MixtureMu(int additive, double X, double T); ///< dynamic viscosity, kg/(m·s)
double MixtureKo(int additive, double X, double T); ///< thermal conductivity, kW/(m·K)
/// Validity range of every mixture, °C.
constexpr double kMixtureTMin = -30;
constexpr double kMixtureTMax = 300;

/// A liquid in the tubes: its temperatures, flow and pressure, and its properties at the mean
/// temperature.
class TFluid
{
public:
    virtual ~TFluid() = default;

    double Pf = 0;          ///< fluid pressure, bar (only the compressed-air kind uses it)
    double t = 0;           ///< mean temperature, at which properties are evaluated, °C
    double tfi = 0;         ///< inlet temperature, °C
    double tfo = 0;         ///< outlet temperature, °C
    std::string Caption;    ///< free caption kept with the job
    double m = 0;           ///< mass flow, kg/s
    double ro = 0;          ///< density, kg/m³
    double Cp = 0;          ///< specific heat, kJ/(kg·K)
    double mu = 0;          ///< dynamic viscosity, kg/(m·s)
    double Ko = 0;          ///< thermal conductivity, kW/(m·K)
    double Pr = 0;          ///< Prandtl number, Cp·mu/Ko
    double TMin = 0;        ///< lower end of the current correlation's range, °C
    double TMax = 0;        ///< upper end of that range, °C
    bool UserProps = false; ///< true: the four user values replace the correlation
    double UserRo = 0;      ///< user density, kg/m³
    double UserCp = 0;      ///< user specific heat, kJ/(kg·K)
    double UserMu = 0;      ///< user viscosity, kg/(m·s)
    double UserKo = 0;      ///< user conductivity, kW/(m·K)
    double UserTMin = 0;    ///< lower end of the range the user values hold for, °C
    double UserTMax = 0;    ///< upper end of that range, °C

    /// Mean temperature, °C.
    virtual double GetT() const { return t; }
    /// Sets the mean temperature keeping the inlet: tfo := 2·value - tfi; then Update.
    virtual void SetT(double value);
    /// Long caption.
    virtual std::string GetName() const = 0;
    /// Short caption; the long one unless overridden.
    virtual std::string GetShortName() const { return GetName(); }
    /// Caption with the mean temperature; empty here.
    virtual std::string GetTitle() const { return std::string(); }
    /// Sets the pressure (bar); nothing is re-evaluated until the next Update.
    virtual void SetPf(double value) { Pf = value; }
    /// Pressure, bar.
    virtual double GetPf() const { return Pf; }
    /// Re-evaluates the properties and the Prandtl number.
    virtual void Update() = 0;

    /// Reads the fields from the `liquid` child of node (Caption ... UserKo), each keeping its
    /// value when missing, unreadable or out of range; UserProps is false when missing. A file
    /// without the user range (UserTMin, UserTMax, lower first) leaves both NaN for the liquid to
    /// fill.
    virtual void LoadFromXML(TXMLFile& file, TXMLFile::Node node);
    /// Finds or creates the `liquid` child of node and writes the fields into it.
    virtual void SaveToXML(TXMLFile& file, TXMLFile::Node node) const;

    /// Sets the inlet temperature (°C), the mean follows; then Update.
    void SetTfi(double value);
    /// Sets the outlet temperature (°C), the mean follows; then Update.
    void SetTfo(double value);

protected:
    TFluid() = default;
    TFluid(const TFluid&) = default;
    TFluid& operator=(const TFluid&) = default;
};

/// The liquid of a coil job: one of the fourteen kinds, water with an additive, or user values.
class TLiquid : public TFluid
{
public:
    /// Pf 5 bar, no user properties, the given caption, kind, flow (kg/s) and temperatures (°C),
    /// no additive; evaluates the properties and starts the user values and their range from them.
    TLiquid(std::string caption, int liquidSpec, double m, double tfi, double tfo);
    TLiquid(const TLiquid&) = default;
    TLiquid& operator=(const TLiquid&) = default;

    int LiquidSpec = 0;        ///< liquid kind 0..13; any other value leaves the properties alone
    int WaterAdditive = 0;     ///< additive mixed into water (kind 0 only): 0..3
    double AdditiveVolume = 0; ///< additive volume fraction; 0.3 means 30 %

    std::string GetName() const override;
    std::string GetShortName() const override;
    /// GetName, a blank and the mean temperature as "%0.1f".
    std::string GetTitle() const override;
    /// Evaluates the properties at t (and Pf for compressed air); with user values, TMin and TMax
    /// are the user's range. Throws EMathError when the Prandtl number has no value (zero
    /// conductivity).
    void Update() override;
    /// The TFluid fields, then LiquidSpec, WaterAdditive and AdditiveVolume; a missing user range
    /// becomes the range of the stored kind's correlation; then Update (which may throw as Update
    /// does).
    void LoadFromXML(TXMLFile& file, TXMLFile::Node node) override;
    /// The TFluid fields, then LiquidSpec, WaterAdditive and AdditiveVolume with their names.
    void SaveToXML(TXMLFile& file, TXMLFile::Node node) const override;

    /// The range of the correlation the kind, additive and volume choose (user values aside), °C.
    void CorrelationRange(double& tmin, double& tmax) const;

private:
    double evaluatedPf_ = 0; // pressure of the last compressed-air evaluation, bar
};

} // namespace zmk
