#include "engine/CoilFactory.h"

#include "base/Notifier.h"
#include "base/NumText.h"
#include "base/TextHelpers.h"
#include "engine/HeatExchanger.h"
#include "geometry/CoilMakers.h"

namespace zmk {

// ---- coil kinds ------------------------------------------------------------------------------

std::optional<std::string> CanonicalCoilKind(std::string_view code)
{
    const std::string lower = LowerCase(code);
    if (lower == kKindColdWater || lower == kKindHotWater || lower == kKindZemtor)
        return lower;
    return std::nullopt;
}

std::string NextCoilKind(std::string_view code)
{
    const std::string lower = LowerCase(code);
    if (lower == kKindColdWater)
        return std::string(kKindHotWater);
    if (lower == kKindHotWater)
        return std::string(kKindZemtor);
    return std::string(kKindColdWater);
}

// ---- start values ----------------------------------------------------------------------------

std::string StartValuesCoilModel(const TCoilStartValues& v)
{
    return Format("%0.4g %0.4g %0.4gr %0.4gf %0.4gc", v.fHeight * 1000, v.fLength * 1000, v.Rows, v.fpi,
                  v.Circ);
}

namespace {

// One column of the kind defaults.
struct KindDefaults
{
    double dbi, wai, dbo, wao, vf;
    int LiquidSpec;
    const char* LiquidCaption;
    double UserRo, UserCp, UserMu, UserKo;
    double twi, two;
};

constexpr KindDefaults kColdDefaults{24.0,   0.0095, 12.6,       0.008,       2.5, 0,    "Water",
                                     999.74, 4.196,  0.00137561, 0.000583141, 5.0, 10.78};
constexpr KindDefaults kHotDefaults{5.0,      0.004, 41.18,       0.004,       2.7,  0,     "Water",
                                    987.1565, 4.182, 0.000528932, 0.000645357, 60.0, 43.989};
constexpr KindDefaults kZemtorDefaults{380.0, 0.005,  177.3,    0.005,     2.7,  1,    "Thermal Oil",
                                       805.3, 2.2328, 0.004034, 0.0001278, 80.0, 100.0};

} // namespace

bool SetKindDefaults(std::string_view code, TCoilStartValues& v)
{
    const std::string lower = LowerCase(code);
    const KindDefaults* d = nullptr;
    if (lower == kKindColdWater)
        d = &kColdDefaults;
    else if (lower == kKindHotWater)
        d = &kHotDefaults;
    else if (lower == kKindZemtor)
        d = &kZemtorDefaults;
    else
        return false;

    v.Pa = 101.325;
    v.dbi = d->dbi;
    v.wai = d->wai;
    v.dbo = d->dbo;
    v.wao = d->wao;
    v.vf = d->vf;
    v.LiquidSpec = d->LiquidSpec;
    v.LiquidCaption = d->LiquidCaption;
    v.UserRo = d->UserRo;
    v.UserCp = d->UserCp;
    v.UserMu = d->UserMu;
    v.UserKo = d->UserKo;
    v.mw = 1.2;
    v.twi = d->twi;
    v.two = d->two;
    v.LiquidControl = 1;
    v.CoilMaker = "typical";
    v.tube = 4;
    v.fHeight = 0.5334;
    v.fLength = 1.2;
    v.Rows = 4;
    v.fpi = 10;
    v.Circ = 14;
    // The same geometry for every kind: its text is formatted once.
    static const std::string model = StartValuesCoilModel(v);
    v.CoilModel = model;
    return true;
}

// ---- the coil --------------------------------------------------------------------------------

std::unique_ptr<TLiquidCoil> MakeCoil(std::string_view kind, const std::string& maker, int tube,
                                      const std::string& model)
{
    const std::string lower = LowerCase(kind);
    if (lower == kKindColdWater)
        return std::make_unique<TColdWaterCoil>(maker, tube, model);
    if (lower == kKindHotWater)
        return std::make_unique<THotWaterCoil>(maker, tube, model);
    return std::make_unique<TZemtor>(maker, tube, model);
}

std::unique_ptr<TLiquidCoil> MakeStartCoil(std::string_view kind, const TCoilStartValues& sv)
{
    std::unique_ptr<TLiquidCoil> coil = MakeCoil(kind, sv.CoilMaker, sv.tube, sv.CoilModel);
    coil->SetFinHeight(sv.fHeight);
    coil->SetFinnedLength(sv.fLength);
    coil->SetRows(sv.Rows);
    coil->SetFinDensity(sv.fpi);
    coil->SetCircuits(sv.Circ);
    return coil;
}

// ---- copies -----------------------------------------------------------------------------------

namespace {

template <class K> std::unique_ptr<TLiquidCoil> cloneOf(const K& coil)
{
    std::unique_ptr<K> copy = std::make_unique<K>(coil);
    // The published method's effectiveness reads the coil's own rows: bound to the copy's.
    if (copy->AirSideMethod != TAirSideMethod::Standard) {
        const std::vector<TResultWarning> warnings = copy->AirSideWarnings;
        const double surfaceEff = copy->SurfaceEff;
        copy->SetAirSideMethod(copy->AirSideMethod);
        copy->AirSideWarnings = warnings;
        copy->SurfaceEff = surfaceEff;
    }
    return copy;
}

bool sameGeometry(const TCoilStartValues& a, const TCoilStartValues& b)
{
    return a.CoilMaker == b.CoilMaker && a.tube == b.tube && a.CoilModel == b.CoilModel &&
           a.fHeight == b.fHeight && a.fLength == b.fLength && a.Rows == b.Rows && a.fpi == b.fpi &&
           a.Circ == b.Circ;
}

// Passes every message on to another notifier (when there is one) and counts them.
class CountingNotifier : public INotifier
{
public:
    explicit CountingNotifier(INotifier* next) : next_(next) {}
    void Message(const std::string& text) override
    {
        ++count;
        if (next_)
            next_->Message(text);
    }
    int count = 0;

private:
    INotifier* next_;
};

} // namespace

std::unique_ptr<TLiquidCoil> TZemtor::Clone() const
{
    return cloneOf(*this);
}

std::unique_ptr<TLiquidCoil> THotWaterCoil::Clone() const
{
    return cloneOf(*this);
}

std::unique_ptr<TLiquidCoil> TColdWaterCoil::Clone() const
{
    return cloneOf(*this);
}

struct TStartCoils::Entry
{
    std::string kind;
    TCoilStartValues values; // the maker, pattern and geometry the coil was built from
    std::unique_ptr<TLiquidCoil> coil;
};

TStartCoils::TStartCoils() = default;
TStartCoils::~TStartCoils() = default;

std::unique_ptr<TLiquidCoil> TStartCoils::Make(std::string_view kind, const TCoilStartValues& values)
{
    if (!building_)
        return MakeStartCoil(kind, values);
    const std::string lower = LowerCase(kind);
    for (const Entry& e : entries_)
        if (e.kind == lower && sameGeometry(e.values, values)) {
            // The catalogue is left as a build leaves it: the start coil's maker loaded (again,
            // with what loading it tells, after another maker's), so that what a later step of
            // the file reads from the catalogue, and is told, does not depend on the copy.
            (void)ProcessCoilMakers().SelectModel(values.CoilMaker, values.tube);
            std::unique_ptr<TLiquidCoil> copy = e.coil->Clone();
            // What a new coil takes from the process when it is made.
            copy->ADP = TAdpDefault::Instance().Value();
            return copy;
        }
    TCoilMakers& catalogue = ProcessCoilMakers();
    INotifier* const told = catalogue.Notifier();
    CountingNotifier counting(told);
    catalogue.SetNotifier(&counting);
    std::unique_ptr<TLiquidCoil> coil;
    try {
        coil = MakeStartCoil(kind, values);
    } catch (...) {
        catalogue.SetNotifier(told);
        throw;
    }
    catalogue.SetNotifier(told);
    if (counting.count > 0) {
        building_ = false;
        entries_.clear();
    } else if (entries_.size() < 8) {
        entries_.push_back({lower, values, coil->Clone()});
    }
    return coil;
}

std::unique_ptr<TLiquidCoil> MakeRecordCoil(std::string_view kind, const TModelRec& rec)
{
    const std::string lower = LowerCase(kind);
    if (lower == kKindColdWater)
        return std::make_unique<TColdWaterCoil>(rec);
    if (lower == kKindHotWater)
        return std::make_unique<THotWaterCoil>(rec);
    return std::make_unique<TZemtor>(rec);
}

std::unique_ptr<TLiquid> MakeStartLiquid(const TCoilStartValues& sv)
{
    auto liquid = std::make_unique<TLiquid>(sv.LiquidCaption, sv.LiquidSpec, sv.mw, sv.twi, sv.two);
    // Water with an additive is rated as the mixture its caption names.
    if (sv.LiquidSpec == 0 && sv.WaterAdditive > 0 && sv.AdditiveVolume > 0) {
        liquid->WaterAdditive = sv.WaterAdditive;
        liquid->AdditiveVolume = sv.AdditiveVolume;
        liquid->Update();
    }
    liquid->UserRo = sv.UserRo;
    liquid->UserCp = sv.UserCp;
    liquid->UserMu = sv.UserMu;
    liquid->UserKo = sv.UserKo;
    return liquid;
}

void ApplyStartFlows(TLiquidCoil& coil, const TCoilStartValues& sv)
{
    coil.SetFaceVelocity(sv.vf);
    coil.LiquidState->SetInletTemp(sv.twi);
    coil.LiquidState->SetMassFlow(sv.mw);
    coil.LiquidState->ctrl = static_cast<std::uint8_t>(sv.LiquidControl);
}

} // namespace zmk
