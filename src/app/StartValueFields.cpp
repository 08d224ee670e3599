#include "app/StartValueFields.h"

#include "engine/LiquidState.h"
#include "properties/Fluid.h"

#include <algorithm>
#include <array>

namespace zmk {

namespace {

using S = TCoilStartValues;
constexpr const char* kStartup = "Startup";
constexpr const char* kAirOn = "Startup\\airon";
constexpr const char* kAirOff = "Startup\\airoff";
constexpr const char* kCoil = "Startup\\coil";

const std::array<TStartValueField, 26> kFields{{
    {"Pa", kStartup, "Barometer", &S::Pa},
    {"dbi", kAirOn, "db", &S::dbi},
    {"wai", kAirOn, "wa", &S::wai},
    {"dbo", kAirOff, "db", &S::dbo},
    {"wao", kAirOff, "wa", &S::wao},
    {"vf", kStartup, "FaceVelocity", &S::vf},
    {"LiquidSpec", kStartup, "LiquidSpec", &S::LiquidSpec, 0, 13},
    {"LiquidCaption", kStartup, "LiquidCaption", &S::LiquidCaption},
    // The project keeps the liquid's additive with the coil's liquid, so these two are the
    // settings' alone.
    {nullptr, kStartup, "WaterAdditive", &S::WaterAdditive, 0, kWaterAdditiveCount - 1},
    {nullptr, kStartup, "AdditiveVolume", &S::AdditiveVolume, 0, 1},
    {"UserRo", kStartup, "UserRo", &S::UserRo},
    {"UserCp", kStartup, "UserCp", &S::UserCp},
    {"UserMu", kStartup, "UserMu", &S::UserMu},
    {"UserKo", kStartup, "UserKo", &S::UserKo},
    {"mw", kStartup, "LiquidFlow", &S::mw},
    {"twi", kStartup, "LiquidTempIn", &S::twi},
    {"two", kStartup, "LiquidTempOut", &S::two},
    {"LiquidControl", kStartup, "LiquidControl", &S::LiquidControl, 0, 1},
    {"CoilMaker", kCoil, "Mnf", &S::CoilMaker},
    {"tube", kCoil, "tube", &S::tube},
    {"CoilModel", kCoil, "Model", &S::CoilModel},
    {"fHeight", kCoil, "fHeight", &S::fHeight},
    {"fLength", kCoil, "fLength", &S::fLength},
    {"Rows", kCoil, "rows", &S::Rows},
    {"fpi", kCoil, "fpi", &S::fpi},
    {"Circ", kCoil, "circ", &S::Circ},
}};

template <class... F> struct Overload : F...
{
    using F::operator()...;
};
template <class... F> Overload(F...) -> Overload<F...>;

} // namespace

std::span<const TStartValueField> StartValueFields()
{
    return kFields;
}

void ReadStartValues(const ISettingsStore& store, TCoilStartValues& v)
{
    for (const TStartValueField& f : kFields)
        std::visit(Overload{[&](double S::*m) {
                                const double value = store.ReadFloat(f.Section, f.Key, v.*m);
                                v.*m = f.Lo == f.Hi ? value : std::clamp(value, double(f.Lo), double(f.Hi));
                            },
                            [&](int S::*m) {
                                const int value = store.ReadInteger(f.Section, f.Key, v.*m);
                                if (f.Lo == f.Hi || (value >= f.Lo && value <= f.Hi))
                                    v.*m = value;
                            },
                            [&](std::string S::*m) { v.*m = store.ReadString(f.Section, f.Key, v.*m); }},
                   f.Member);
}

void WriteStartValues(ISettingsStore& store, const TCoilStartValues& v)
{
    for (const TStartValueField& f : kFields)
        std::visit(Overload{[&](double S::*m) { store.WriteFloat(f.Section, f.Key, v.*m); },
                            [&](int S::*m) { store.WriteInteger(f.Section, f.Key, v.*m); },
                            [&](std::string S::*m) { store.WriteString(f.Section, f.Key, v.*m); }},
                   f.Member);
}

void WriteStartValues(TXMLFile& file, TXMLFile::Node root, const TCoilStartValues& v)
{
    TXMLFile::Node s = file.FindPath(root, {"startval"}, true);
    for (const TStartValueField& f : kFields) {
        if (!f.ProjectName)
            continue;
        std::visit(Overload{[&](double S::*m) { file.WriteReal(s, f.ProjectName, true, v.*m); },
                            [&](int S::*m) {
                                TXMLFile::Node n = file.WriteInt(s, f.ProjectName, true, v.*m);
                                if (m == &S::LiquidSpec)
                                    file.SetAttr(n, "var", LiquidKindName(v.LiquidSpec));
                                else if (m == &S::LiquidControl)
                                    file.SetAttr(n, "var", v.LiquidControl == wcTemp   ? "wcTemp"
                                                           : v.LiquidControl == wcFlow ? "wcFlow"
                                                                                       : "");
                            },
                            [&](std::string S::*m) { file.WriteText(s, f.ProjectName, true, v.*m); }},
                   f.Member);
    }
}

} // namespace zmk
