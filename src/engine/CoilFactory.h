// The coil kinds and the coil a job starts from: the kind codes, each kind's default start
// values, and the coil, liquid and flows built from a start-values record. The job, the tests
// and the command line build their coils here, so a kind's defaults are written once.
// Units: m, fins per inch, °C, kg/kg, kPa, kg/s, m/s; liquid user values in kg/m³, kJ/(kg·K),
// kg/(m·s), kW/(m·K).
#pragma once

#include "properties/Psy.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zmk {

class TLiquid;
class TLiquidCoil;
struct TModelRec;

/// Kind code of a chilled water cooling coil (`TColdWaterCoil`).
inline constexpr std::string_view kKindColdWater = "cwc";
/// Kind code of a hot water heating coil (`THotWaterCoil`).
inline constexpr std::string_view kKindHotWater = "hwc";
/// Kind code of a heat recovery coil, hot air into a liquid (`TZemtor`); the start-up kind.
inline constexpr std::string_view kKindZemtor = "zmk";

/// The kind code as one of the three lower-case codes when it names one (any letter case), else
/// nothing.
std::optional<std::string> CanonicalCoilKind(std::string_view code);
/// The kind a Ctrl+click on the kind label steps to: "cwc" -> "hwc" -> "zmk" -> "cwc"; an unknown
/// code steps to "cwc".
std::string NextCoilKind(std::string_view code);

/// The flat record of a job's inputs that a coil is built from; the settings store keeps it
/// between runs and the project file repeats it.
struct TCoilStartValues
{
    std::string CoilMaker; ///< coil maker of the fin-and-tube pattern
    std::string CoilModel; ///< model description text of the geometry
    double fHeight = 0;    ///< fin height, m
    double fLength = 0;    ///< finned length, m
    double Rows = 0;       ///< rows of tubes
    double fpi = 0;        ///< fin density, fins per inch
    double Circ = 0;       ///< circuits
    std::string LiquidCaption;
    int LiquidSpec = 0;    ///< liquid kind 0..13
    double UserRo = 0;     ///< user liquid density, kg/m³
    double UserCp = 0;     ///< user liquid specific heat, kJ/(kg·K)
    double UserMu = 0;     ///< user liquid viscosity, kg/(m·s)
    double UserKo = 0;     ///< user liquid conductivity, kW/(m·K)
    int LiquidControl = 0; ///< 0 temperature rise fixed, 1 liquid flow fixed
    int tube = 0;          ///< tube pattern index in the maker's catalogue
    double Pa = 0;         ///< barometric pressure, kPa
    double dbi = 0;        ///< entering air dry bulb, °C
    double wai = 0;        ///< entering air moisture content, kg/kg
    double dbo = 0;        ///< leaving air dry bulb, °C
    double wao = 0;        ///< leaving air moisture content, kg/kg
    double mw = 0;         ///< liquid mass flow, kg/s
    double twi = 0;        ///< liquid inlet temperature, °C
    double two = 0;        ///< liquid outlet temperature, °C
    double vf = 0;         ///< air face velocity, m/s

    // Water's additive (0 none, 1 ethylene glycol, 2 propylene glycol, 3 calcium chloride) and
    // its volume fraction (0..1).
    int WaterAdditive = 0;
    double AdditiveVolume = 0;
};

/// The geometry text of the start values: "%0.4g %0.4g %0.4gr %0.4gf %0.4gc" of fin height and
/// finned length in mm, rows, fin density and circuits ("533.4 1200 4r 10f 14c").
std::string StartValuesCoilModel(const TCoilStartValues& values);
/// Writes the defaults of the kind (any letter case) into the start values and builds
/// `CoilModel`; returns false, changing nothing, for a code that is none of the three.
bool SetKindDefaults(std::string_view code, TCoilStartValues& values);

/// A coil of the kind (any letter case; an unknown code makes the heat recovery coil) from a coil
/// maker, its tube pattern index and a size text. Not attached.
std::unique_ptr<TLiquidCoil> MakeCoil(std::string_view kind, const std::string& maker, int tube,
                                      const std::string& model);
/// MakeCoil from the start values' maker, tube pattern and model, with their fin height, finned
/// length, rows, fin density and circuits set. Not attached. Errors of the geometry reach the
/// caller.
std::unique_ptr<TLiquidCoil> MakeStartCoil(std::string_view kind, const TCoilStartValues& values);
/// A coil of the kind (as MakeCoil) built straight from a definition record: its pattern and size
/// as the numbers stand, no size text formatted or read and no catalogue looked up (a selection's
/// candidates). The record's kind code becomes the kind's. Not attached. A record that cannot be
/// built throws with the reason.
std::unique_ptr<TLiquidCoil> MakeRecordCoil(std::string_view kind, const TModelRec& rec);
/// Start coils for a run of jobs on one thread that build from an unchanging catalogue (a
/// batch): the first coil of each kind and geometry is built by MakeStartCoil and kept, and each
/// later one is a copy of it (the default coil of a kind costs as much to build as to read a
/// project into). A copy looks its pattern up in the catalogue as a build does, for what that
/// leaves loaded and tells. A build that tells the catalogue's notifier anything is passed on as
/// it was and from then on every coil is built afresh, so that every file's messages stay its own.
class TStartCoils
{
public:
    TStartCoils();
    ~TStartCoils();
    TStartCoils(const TStartCoils&) = delete;
    TStartCoils& operator=(const TStartCoils&) = delete;

    /// As MakeStartCoil(kind, values).
    std::unique_ptr<TLiquidCoil> Make(std::string_view kind, const TCoilStartValues& values);
    /// As SetState(pressure, value1, value2, code): the start values' air states, the same from
    /// job to job.
    TAirState State(double pressure, double value1, double value2, int code)
    {
        return states_.Get(pressure, value1, value2, code);
    }

private:
    struct Entry;
    std::vector<Entry> entries_;
    bool building_ = true; // false once a build has told the catalogue's notifier something
    TStateCache states_;
};

/// The liquid of the start values (kind, caption, flow, temperatures and the user's values).
std::unique_ptr<TLiquid> MakeStartLiquid(const TCoilStartValues& values);
/// The start values' flows onto an attached coil: face velocity, liquid inlet temperature, liquid
/// mass flow and control. Does not solve.
void ApplyStartFlows(TLiquidCoil& coil, const TCoilStartValues& values);

} // namespace zmk
