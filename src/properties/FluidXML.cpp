// The liquid in the project file: element `liquid`, the TFluid fields first, then the kind,
// the water additive and its volume fraction. Reading keeps the current value of a field that
// is missing, unreadable or outside what the liquid can take, and ends by re-evaluating the
// properties, so that the stored ro, Cp, Ko, mu and Pr only stand when the user gave them.
#include "properties/Fluid.h"

#include <cfloat>
#include <cmath>

namespace zmk {

namespace {

// Temperatures a liquid may be given: the range of the temperature entry fields, °C.
constexpr double kTempLo = -60;
constexpr double kTempHi = 900;
// Property values must be positive numbers (a zero density or conductivity has no quotient).
constexpr double kPositive = DBL_MIN;
constexpr double kPropertyHi = 1e9;
// The ends of a user's range: from absolute zero to well past any entry field, °C.
constexpr double kRangeLo = -273.15;
constexpr double kRangeHi = 10000;

} // namespace

void TFluid::SaveToXML(TXMLFile& file, TXMLFile::Node node) const
{
    TXMLFile::Node l = file.FindPath(node, {"liquid"}, true);
    file.WriteText(l, "Caption", true, Caption);
    file.WriteReal(l, "t", true, t);
    file.WriteReal(l, "tfi", true, tfi);
    file.WriteReal(l, "tfo", true, tfo);
    file.WriteReal(l, "Pf", true, GetPf());
    file.WriteReal(l, "m", true, m);
    file.WriteReal(l, "Cp", true, Cp);
    file.WriteReal(l, "ro", true, ro);
    file.WriteReal(l, "Ko", true, Ko);
    file.WriteReal(l, "mu", true, mu);
    file.WriteReal(l, "Pr", true, Pr);
    file.WriteBool(l, "UserProps", true, UserProps);
    file.WriteReal(l, "UserRo", true, UserRo);
    file.WriteReal(l, "UserCp", true, UserCp);
    file.WriteReal(l, "UserMu", true, UserMu);
    file.WriteReal(l, "UserKo", true, UserKo);
    file.WriteReal(l, "UserTMin", true, UserTMin);
    file.WriteReal(l, "UserTMax", true, UserTMax);
}

void TFluid::LoadFromXML(TXMLFile& file, TXMLFile::Node node)
{
    TXMLFile::Node l = file.FindPath(node, {"liquid"}, false);
    if (!l)
        return;
    Caption = file.ReadText(l, "Caption", Caption);
    t = file.ReadFloatIn(l, "t", t, kTempLo, kTempHi);
    tfi = file.ReadFloatIn(l, "tfi", tfi, kTempLo, kTempHi);
    tfo = file.ReadFloatIn(l, "tfo", tfo, kTempLo, kTempHi);
    SetPf(file.ReadFloatIn(l, "Pf", GetPf(), 0.01, 1000));
    m = file.ReadFloatIn(l, "m", m, 0, 1e5);
    Cp = file.ReadFloatIn(l, "Cp", Cp, kPositive, kPropertyHi);
    ro = file.ReadFloatIn(l, "ro", ro, kPositive, kPropertyHi);
    Ko = file.ReadFloatIn(l, "Ko", Ko, kPositive, kPropertyHi);
    mu = file.ReadFloatIn(l, "mu", mu, kPositive, kPropertyHi);
    Pr = file.ReadFloatIn(l, "Pr", Pr, kPositive, kPropertyHi);
    UserProps = file.ReadBool(l, "UserProps", false);
    UserRo = file.ReadFloatIn(l, "UserRo", UserRo, kPositive, kPropertyHi);
    UserCp = file.ReadFloatIn(l, "UserCp", UserCp, kPositive, kPropertyHi);
    UserMu = file.ReadFloatIn(l, "UserMu", UserMu, kPositive, kPropertyHi);
    UserKo = file.ReadFloatIn(l, "UserKo", UserKo, kPositive, kPropertyHi);
    // The range the user values hold for, taken only as a pair, lower end first.
    const double lo = file.ReadFloatIn(l, "UserTMin", NAN, kRangeLo, kRangeHi);
    const double hi = file.ReadFloatIn(l, "UserTMax", NAN, kRangeLo, kRangeHi);
    UserTMin = lo <= hi ? lo : NAN;
    UserTMax = lo <= hi ? hi : NAN;
}

void TLiquid::SaveToXML(TXMLFile& file, TXMLFile::Node node) const
{
    TFluid::SaveToXML(file, node);
    TXMLFile::Node l = file.FindPath(node, {"liquid"}, true);
    file.SetAttr(file.WriteInt(l, "LiquidSpec", true, LiquidSpec), "caption", LiquidKindName(LiquidSpec));
    file.SetAttr(file.WriteInt(l, "WaterAdditive", true, WaterAdditive), "caption",
                 WaterAdditiveName(WaterAdditive));
    file.WriteReal(l, "AdditiveVolume", true, AdditiveVolume);
}

void TLiquid::LoadFromXML(TXMLFile& file, TXMLFile::Node node)
{
    TFluid::LoadFromXML(file, node);
    TXMLFile::Node l = file.FindPath(node, {"liquid"}, false);
    if (l) {
        LiquidSpec = file.ReadIntIn(l, "LiquidSpec", LiquidSpec, 0, kLiquidKindCount - 1);
        WaterAdditive = file.ReadIntIn(l, "WaterAdditive", WaterAdditive, 0, kWaterAdditiveCount - 1);
        AdditiveVolume = file.ReadFloatIn(l, "AdditiveVolume", AdditiveVolume, 0, 1);
    }
    // An older file has no user range: the user values were started from the stored kind, and
    // so hold over its correlation's range.
    if (std::isnan(UserTMin) || std::isnan(UserTMax))
        CorrelationRange(UserTMin, UserTMax);
    Update();
}

} // namespace zmk
