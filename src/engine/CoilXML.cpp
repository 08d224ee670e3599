// The coils in the project file. Each class writes the elements of its own level and calls its
// parent's operation: the kind's element (`zmk`, `hwc` or `cwc`) holds the results, the geometry
// (`fat`), the air (`air`), the liquid state (`liquidstate`, with the liquid) and the liquid
// pressure drop. Writing finds and rewrites each element, so a second write of the same part
// leaves one element. Reading keeps the current value of everything that is missing,
// unreadable or outside what the coil can take, and never solves.
#include "base/Errors.h"
#include "base/NumText.h"
#include "engine/FloatChecks.h"
#include "engine/HeatExchanger.h"

#include <cfloat>
#include <cmath>

namespace zmk {

namespace {

// Temperatures a state or liquid may be given: the range of the temperature entry fields, °C.
constexpr double kTempLo = -60;
constexpr double kTempHi = 900;
// Barometric pressures the moist-air formulas hold for, kPa.
constexpr double kPressureLo = 50;
constexpr double kPressureHi = 120;

// A value shown in the file for information only; one that cannot be calculated in the
// present state is written as 0 rather than failing the save.
template <class F> double informative(F calculate)
{
    try {
        const double v = calculate();
        return std::isfinite(v) ? v : 0;
    } catch (const ZmkError&) {
        return 0;
    }
}

// Whether a dry bulb and wet bulb pair at pressure P (kPa) is a moist-air state the coil can
// work with: a wet bulb not above the dry bulb, and every derived field a number. The state is
// worked out through the coil's own cache, where setting the pressure finds it again.
bool usableState(TStateCache& states, double P, double db, double wb)
{
    if (!(wb <= db))
        return false;
    try {
        const TAirState s = states.Get(P, db, wb, kPairDbWb);
        for (double v : {s.P, s.db, s.wb, s.h, s.w, s.rh, s.dewpoint, s.rho, s.cp, s.k, s.mu})
            if (!std::isfinite(v))
                return false;
        return s.w >= 0 && s.w <= 0.5 && s.rho > 0 && s.cp > 0;
    } catch (const ZmkError&) {
        return false;
    }
}

// Finds the kind's element under the root, or its older name.
TXMLFile::Node kindElement(TXMLFile& file, TXMLFile::Node root, const char* name, const char* olderName)
{
    TXMLFile::Node node = file.FindPath(root, {name}, false);
    if (!node)
        node = file.FindPath(root, {olderName}, false);
    return node;
}

} // namespace

// ---- TCustomHeatExchanger --------------------------------------------------------------------

void TCustomHeatExchanger::SaveToXML(TXMLFile& file, TXMLFile::Node node)
{
    file.WriteReal(node, "Qt", true, Qt);
    file.WriteReal(node, "Qs", true, Qs);
    file.WriteReal(node, "e", true, e);
    file.WriteReal(node, "Ntu", true, Ntu);
    file.WriteReal(node, "Cr", true, Cr);
}

void TCustomHeatExchanger::LoadFromXML(TXMLFile& file, TXMLFile::Node node)
{
    Qt = file.ReadFloat(node, "Qt", 0);
    Qs = file.ReadFloat(node, "Qs", 0);
    e = file.ReadFloat(node, "e", 0);
    Ntu = file.ReadFloat(node, "Ntu", 0);
    Cr = file.ReadFloat(node, "Cr", 0);
}

// ---- TCoil -----------------------------------------------------------------------------------

void TCoil::SaveToXML(TXMLFile& file, TXMLFile::Node node)
{
    TCustomHeatExchanger::SaveToXML(file, node);
    Geometry->SaveToXML(file, node);
    if (!AirIn || !AirOut)
        return;
    TXMLFile::Node air = file.FindPath(node, {"air"}, true);
    file.SetAttr(air, "text", "air state");
    file.WriteReal(air, "Pa", true, GetPressure());
    file.WriteReal(air, "dbi", true, AirIn->db);
    file.WriteReal(air, "wbi", true, AirIn->wb);
    file.WriteReal(air, "dbo", true, AirOut->db);
    file.WriteReal(air, "wbo", true, AirOut->wb);
    file.WriteReal(air, "ma", true, ma);
    file.SetAttr(
        file.WriteFloat(air, "air_dp", true, "%0.3f", informative([this] { return AirPressureDrop(); })),
        "units", "Pa");
}

void TCoil::LoadFromXML(TXMLFile& file, TXMLFile::Node node)
{
    TCustomHeatExchanger::LoadFromXML(file, node);
    Geometry->LoadFromXML(file, node);
    // The geometry's size text now describes the stored coil; re-applying it recomputes the
    // tube data and the derived areas.
    SetModel(GetModel());
    if (!AirIn || !AirOut)
        return;

    TAirState& in = *AirIn;
    TAirState& out = *AirOut;
    TXMLFile::Node air = file.FindPath(node, {"air"}, false);
    const double P = file.ReadFloatIn(air, "Pa", GetPressure(), kPressureLo, kPressureHi);
    // Each state's dry and wet bulb are taken as a pair, and only when they make a state.
    const double dbi = file.ReadFloatIn(air, "dbi", in.db, kTempLo, kTempHi);
    const double wbi = file.ReadFloatIn(air, "wbi", in.wb, kTempLo, kTempHi);
    if (usableState(airStates_, P, dbi, wbi)) {
        in.db = dbi;
        in.wb = wbi;
    }
    const double dbo = file.ReadFloatIn(air, "dbo", out.db, kTempLo, kTempHi);
    const double wbo = file.ReadFloatIn(air, "wbo", out.wb, kTempLo, kTempHi);
    if (usableState(airStates_, P, dbo, wbo)) {
        out.db = dbo;
        out.wb = wbo;
    }
    SetPressure(P);

    // The air mass flow within the range of its entry field; older files call it MassFlow.
    double m = file.ReadFloatIn(air, "ma", ma, 0.01, 500);
    if (file.ReadStatus() != rsNone)
        m = file.ReadFloatIn(air, "MassFlow", ma, 0.01, 500);
    SetAirMassFlow(m);
}

// ---- TLiquidCoil -----------------------------------------------------------------------------

void TLiquidCoil::SaveToXML(TXMLFile& file, TXMLFile::Node node)
{
    TCoil::SaveToXML(file, node);
    LiquidState->SaveToXML(file, node);
    const double dp = LiquidState->Liquid ? informative([this] { return LiquidPressureDrop(); }) : 0;
    file.SetAttr(file.WriteFloat(node, "liquid_dp", true, "%0.6g", dp), "units", "kPa");
    file.WriteBool(node, "FoulingInDuty", true, FoulingInDuty);
    // Written once the job leaves the standard method, so that a standard job's file stays as
    // it was; a file that holds the choice always gets the current one.
    if (AirSideMethod != TAirSideMethod::Standard || file.FindPath(node, {"AirSideMethod"}, false))
        file.WriteText(node, "AirSideMethod", true, AirSideMethodKey(AirSideMethod));
}

void TLiquidCoil::LoadFromXML(TXMLFile& file, TXMLFile::Node node)
{
    TCoil::LoadFromXML(file, node);
    LiquidState->LoadFromXML(file, node);
    FoulingInDuty = file.ReadBool(node, "FoulingInDuty", false);
    // Older files and other words rate by the standard method.
    const std::string method = file.ReadText(node, "AirSideMethod", "standard");
    SetAirSideMethod(AirSideMethodOfKey(method).value_or(TAirSideMethod::Standard));
}

// ---- the three kinds -------------------------------------------------------------------------

namespace {

void saveKind(TXMLFile& file, TXMLFile::Node root, const char* name, TLiquidCoil& coil)
{
    TXMLFile::Node node = file.FindPath(root, {name}, true);
    const TModelRec& r = coil.Geometry->Rec;
    file.SetAttr(node, "caption", Format("%s, %d, %s", r.Mnf, static_cast<int>(r.Tube), coil.GetModel()));
    coil.TLiquidCoil::SaveToXML(file, node);
}

} // namespace

void THotWaterCoil::SaveToXML(TXMLFile& file, TXMLFile::Node root)
{
    saveKind(file, root, "hwc", *this);
}

void THotWaterCoil::LoadFromXML(TXMLFile& file, TXMLFile::Node root)
{
    if (TXMLFile::Node node = kindElement(file, root, "hwc", "hotwatercoil"))
        TLiquidCoil::LoadFromXML(file, node);
}

void TColdWaterCoil::SaveToXML(TXMLFile& file, TXMLFile::Node root)
{
    saveKind(file, root, "cwc", *this);
}

void TColdWaterCoil::LoadFromXML(TXMLFile& file, TXMLFile::Node root)
{
    if (TXMLFile::Node node = kindElement(file, root, "cwc", "chilledwatercoil"))
        TLiquidCoil::LoadFromXML(file, node);
}

void TZemtor::SaveToXML(TXMLFile& file, TXMLFile::Node root)
{
    saveKind(file, root, "zmk", *this);
    // The liquid state once more: it finds and rewrites its element, so one stays.
    LiquidState->SaveToXML(file, file.FindPath(root, {"zmk"}, false));
}

void TZemtor::LoadFromXML(TXMLFile& file, TXMLFile::Node root)
{
    // The liquid state is read once, with the rest of the liquid coil: a second reading of it
    // gives what the first gave.
    if (TXMLFile::Node node = kindElement(file, root, "zmk", "zemtor"))
        TLiquidCoil::LoadFromXML(file, node);
}

// ---- TLiquidState ----------------------------------------------------------------------------

void TLiquidState::SaveToXML(TXMLFile& file, TXMLFile::Node node)
{
    TXMLFile::Node ls = file.FindPath(node, {"liquidstate"}, true);
    if (Liquid)
        Liquid->SaveToXML(file, ls);
    file.WriteReal(ls, "designdt", true, designdt);
    file.WriteReal(ls, "cw", true, cw);
    file.WriteReal(ls, "vw", true, vw);
    file.WriteReal(ls, "vwideal", true, vwideal);
    file.WriteInt(ls, "ctrl", true, ctrl);
}

void TLiquidState::LoadFromXML(TXMLFile& file, TXMLFile::Node node)
{
    TXMLFile::Node ls = file.FindPath(node, {"liquidstate"}, false);
    if (!ls)
        return;
    if (Liquid) {
        // The liquid is read into a copy and taken only when its properties can be evaluated
        // (a stored state at the pole of a correlation keeps the liquid the coil had).
        TLiquid read = *Liquid;
        try {
            read.LoadFromXML(file, ls);
            *Liquid = read;
        } catch (const ZmkError&) {
        }
    }
    // The temperature change and the ideal velocity within the ranges of their entry fields.
    designdt = file.ReadFloatIn(ls, "designdt", designdt, 0.01, 1000);
    cw = file.ReadFloatIn(ls, "cw", cw, 0, DBL_MAX);
    vw = file.ReadFloatIn(ls, "vw", vw, 0, DBL_MAX);
    vwideal = file.ReadFloatIn(ls, "vwideal", vwideal, 0.01, 100);
    ctrl = static_cast<std::uint8_t>(file.ReadIntIn(ls, "ctrl", ctrl, wcTemp, wcFlow));
    // The stored capacity rate and velocity were those of the stored properties; the solve
    // starts from the liquid's flow with its properties as now evaluated.
    if (Liquid) {
        try {
            SetMassFlow(Liquid->m);
        } catch (const ZmkError&) {
        }
    }
}

} // namespace zmk
