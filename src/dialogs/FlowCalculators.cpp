// The flow calculators' rules.
#include "dialogs/FlowCalculators.h"

#include "base/Notifier.h"

#include <cmath>

namespace zmk {

const TFieldSpec kQaiField{"QaiEd", "Inlet Volume Flow", utAirFlowPrim, "m³/s", "m³/s", "%0.3f", 0.001,
                           100000};
const TFieldSpec kQaoField{"QaoEd", "Outlet Volume Flow", utAirFlowPrim, "m³/s", "m³/s", "%0.3f", 0.001,
                           100000};
const TFieldSpec kAirMassFlowField{"maEd", "Air Mass Flow", utMassFlow, "kg/s",
                                   "kg/s", "%0.3f",         0.001,      100000};
const TFieldSpec kAirVelocityField{"VxEd", "Velocity at Inlet", utVelocity, "m/s", "m/s", "%0.2f", 0.001,
                                   100000};
const TFieldSpec kAirMassFluxField{"GaEd",   "Air Mass Flux", utMassFlux, "kg/m²s",
                                   "kg/m²s", "%0.3f",         0.001,      100000};

const TFieldSpec kVolFlowField{"edVolflow", "Volume Flow", utWaterFlow, "l/s", "l/s", "%0.3f", 0.01, 100000};
const TFieldSpec kFluidMassFlowField{"edMassflow", "Mass Flow", utMassFlow, "kg/s",
                                     "kg/s",       "%0.3f",     0.0001,     100000};
const TFieldSpec kFluidVelocityField{"edVelocity", "Velocity", utVelocity, "m/s",
                                     "m/s",        "%0.2f",    0.001,      100000};
const TFieldSpec kFluidMassFluxField{"edMassFlux", "Mass Flux", utMassFlux, "kg/m²s",
                                     "kg/m²s",     "%0.3f",     0.001,      100000};

namespace {

// Density of standard air and a face area of 1 m²: what a ratio falls back on when the
// calculator is opened on flows that cannot give it (a coil without air flow).
constexpr double kStandardAirDensity = 1.2; // kg/m³
constexpr double kFallbackArea = 1.0;       // m²

bool Usable(double v)
{
    return std::isfinite(v) && v > 0;
}

// a / b when that is a usable ratio, else the fallback.
double RatioOr(double a, double b, double fallback)
{
    const double r = a / b;
    return Usable(r) ? r : fallback;
}

// Sets a field up from its description with the unit index remembered under key.
void Configure(TFmtEdit& field, const TFieldSpec& spec, TFmtEditLabel& label, const ISettingsStore& settings,
               std::string_view section, std::string_view key)
{
    // The label first: attaching it shows the unit's own format, which the description overrides.
    field.SetUnitsLabel(&label);
    ConfigureField(field, spec, settings.ReadInteger(section, key, FindUnitIndex(spec.Kind, spec.ShownUnit)));
}

TEntryErrorFlag& Flag(TEntryErrorFlag* flag)
{
    return flag ? *flag : EntryErrorFlag();
}

} // namespace

// ---- air ------------------------------------------------------------------------------------

TAirflowCalculator::TAirflowCalculator(ISettingsStore& programSettings, INotifier* notifier,
                                       TEntryErrorFlag* entryError)
    : QaiEd(Flag(entryError)), QaoEd(Flag(entryError)), maEd(Flag(entryError)), VxEd(Flag(entryError)),
      GaEd(Flag(entryError)), settings_(programSettings), notifier_(notifier), place_(kAirflowWindow)
{
    Configure(QaiEd, kQaiField, UnitLabels[0], settings_, kAirflowUnitsSection, "Qai");
    Configure(QaoEd, kQaoField, UnitLabels[1], settings_, kAirflowUnitsSection, "Qao");
    Configure(maEd, kAirMassFlowField, UnitLabels[2], settings_, kAirflowUnitsSection, "ma");
    Configure(VxEd, kAirVelocityField, UnitLabels[3], settings_, kAirflowUnitsSection, "Vx");
    Configure(GaEd, kAirMassFluxField, UnitLabels[4], settings_, kAirflowUnitsSection, "Ga");
    QaiEd.OnExit = [this](TFmtEdit&) { QaiEdExit(); };
    QaoEd.OnExit = [this](TFmtEdit&) { QaoEdExit(); };
    maEd.OnExit = [this](TFmtEdit&) { maEdExit(); };
    VxEd.OnExit = [this](TFmtEdit&) { VxEdExit(); };
    GaEd.OnExit = [this](TFmtEdit&) { GaEdExit(); };
}

void TAirflowCalculator::RestoreWindowPlace(TWindowPlace& place, TScreenSize screen) const
{
    RestoreWindow(settings_, place_.Name(), place, screen, false, place_.WithSize());
}

void TAirflowCalculator::Init(double velocity, double massFlow, double outletVolumeFlow,
                              double inletVolumeFlow)
{
    result_ = TDialogResult::None;
    Vx_ = velocity;
    ma_ = massFlow;
    Qao_ = outletVolumeFlow;
    Qai_ = inletVolumeFlow;
    rhoI_ = RatioOr(ma_, Qai_, kStandardAirDensity);
    rhoO_ = RatioOr(ma_, Qao_, rhoI_);
    area_ = RatioOr(Qai_, Vx_, kFallbackArea);
    // The opening values are shown as they came; only those that are no number at all are
    // made to agree with the ratios, from whichever flow is there.
    if (!std::isfinite(ma_))
        ma_ = std::isfinite(Qai_) ? rhoI_ * Qai_ : 0;
    if (!std::isfinite(Qai_))
        Qai_ = ma_ / rhoI_;
    if (!std::isfinite(Qao_))
        Qao_ = ma_ / rhoO_;
    if (!std::isfinite(Vx_))
        Vx_ = Qai_ / area_;
    Ga_ = ma_ / area_;
    showAll();
}

bool TAirflowCalculator::take(TFmtEdit& field, double& value)
{
    if (!field.Modified())
        return false;
    const std::optional<double> v = ReadFieldNumber(field);
    if (!v) {
        // Text that is no number: the field shows the value it held.
        showAll();
        if (notifier_)
            notifier_->Beep();
        return false;
    }
    value = *v;
    return true;
}

void TAirflowCalculator::QaiEdExit()
{
    if (!take(QaiEd, Qai_))
        return;
    ma_ = rhoI_ * Qai_;
    Qao_ = ma_ / rhoO_;
    Vx_ = Qai_ / area_;
    Ga_ = ma_ / area_;
    showAll();
}

void TAirflowCalculator::QaoEdExit()
{
    if (!take(QaoEd, Qao_))
        return;
    ma_ = rhoO_ * Qao_;
    Qai_ = ma_ / rhoI_;
    Vx_ = Qai_ / area_;
    Ga_ = ma_ / area_;
    showAll();
}

void TAirflowCalculator::maEdExit()
{
    if (!take(maEd, ma_))
        return;
    Qai_ = ma_ / rhoI_;
    Qao_ = ma_ / rhoO_;
    Vx_ = Qai_ / area_;
    Ga_ = ma_ / area_;
    showAll();
}

void TAirflowCalculator::VxEdExit()
{
    if (!take(VxEd, Vx_))
        return;
    Qai_ = Vx_ * area_;
    ma_ = rhoI_ * Qai_;
    Qao_ = ma_ / rhoO_;
    Ga_ = ma_ / area_;
    showAll();
}

void TAirflowCalculator::GaEdExit()
{
    if (!take(GaEd, Ga_))
        return;
    ma_ = Ga_ * area_;
    Qai_ = ma_ / rhoI_;
    Qao_ = ma_ / rhoO_;
    Vx_ = Qai_ / area_;
    showAll();
}

void TAirflowCalculator::Accept(TFmtEdit* focused)
{
    if (focused)
        focused->Exit();
    result_ = TDialogResult::Ok;
}

void TAirflowCalculator::Cancel()
{
    result_ = TDialogResult::Cancel;
}

void TAirflowCalculator::Close(const TWindowPlace* windowPlace)
{
    if (windowPlace)
        StoreWindow(settings_, place_.Name(), *windowPlace);
    settings_.WriteInteger(kAirflowUnitsSection, "Qai", QaiEd.UnitsValue());
    settings_.WriteInteger(kAirflowUnitsSection, "Qao", QaoEd.UnitsValue());
    settings_.WriteInteger(kAirflowUnitsSection, "ma", maEd.UnitsValue());
    settings_.WriteInteger(kAirflowUnitsSection, "Vx", VxEd.UnitsValue());
    settings_.WriteInteger(kAirflowUnitsSection, "Ga", GaEd.UnitsValue());
}

void TAirflowCalculator::showAll()
{
    QaiEd.SetValue(Qai_);
    QaoEd.SetValue(Qao_);
    maEd.SetValue(ma_);
    VxEd.SetValue(Vx_);
    GaEd.SetValue(Ga_);
}

// ---- fluid ----------------------------------------------------------------------------------

TFluidflowCalculator::TFluidflowCalculator(ISettingsStore& programSettings, INotifier* notifier,
                                           TEntryErrorFlag* entryError)
    : edVolflow(Flag(entryError)), edMassflow(Flag(entryError)), edVelocity(Flag(entryError)),
      edMassFlux(Flag(entryError)), settings_(programSettings), notifier_(notifier), place_(kFluidflowWindow)
{
    Configure(edVolflow, kVolFlowField, UnitLabels[0], settings_, kFluidflowUnitsSection, "Q");
    Configure(edMassflow, kFluidMassFlowField, UnitLabels[1], settings_, kFluidflowUnitsSection, "m");
    Configure(edVelocity, kFluidVelocityField, UnitLabels[2], settings_, kFluidflowUnitsSection, "Vx");
    Configure(edMassFlux, kFluidMassFluxField, UnitLabels[3], settings_, kFluidflowUnitsSection, "G");
    edVolflow.OnExit = [this](TFmtEdit&) { edVolflowExit(); };
    edMassflow.OnExit = [this](TFmtEdit&) { edMassflowExit(); };
    edVelocity.OnExit = [this](TFmtEdit&) { edVelocityExit(); };
    edMassFlux.OnExit = [this](TFmtEdit&) { edMassFluxExit(); };
}

void TFluidflowCalculator::RestoreWindowPlace(TWindowPlace& place, TScreenSize screen) const
{
    RestoreWindow(settings_, place_.Name(), place, screen, false, place_.WithSize());
}

void TFluidflowCalculator::Init(double velocity, double massFlow, double volumeFlow)
{
    result_ = TDialogResult::None;
    auto bounded = [](double v, const TFieldSpec& spec) {
        long double x = v;
        ClampToRange(x, spec.RangeLo, spec.RangeHi);
        return static_cast<double>(x);
    };
    v_ = bounded(velocity, kFluidVelocityField);
    m_ = bounded(massFlow, kFluidMassFlowField);
    Q_ = bounded(volumeFlow, kVolFlowField);
    rho_ = 1000 * m_ / Q_;
    area_ = Q_ / 1000 / v_;
    G_ = m_ / area_;
    showAll();
}

bool TFluidflowCalculator::take(TFmtEdit& field, double& value)
{
    if (!field.Modified())
        return false;
    const std::optional<double> v = ReadFieldNumber(field);
    if (!v) {
        showAll();
        if (notifier_)
            notifier_->Beep();
        return false;
    }
    value = *v;
    return true;
}

void TFluidflowCalculator::edVolflowExit()
{
    if (!take(edVolflow, Q_))
        return;
    m_ = rho_ * Q_ / 1000;
    v_ = Q_ / 1000 / area_;
    G_ = m_ / area_;
    showAll();
}

void TFluidflowCalculator::edMassflowExit()
{
    if (!take(edMassflow, m_))
        return;
    Q_ = 1000 * m_ / rho_;
    v_ = Q_ / 1000 / area_;
    G_ = m_ / area_;
    showAll();
}

void TFluidflowCalculator::edVelocityExit()
{
    if (!take(edVelocity, v_))
        return;
    Q_ = 1000 * v_ * area_;
    m_ = rho_ * Q_ / 1000;
    G_ = m_ / area_;
    showAll();
}

void TFluidflowCalculator::edMassFluxExit()
{
    if (!take(edMassFlux, G_))
        return;
    m_ = G_ * area_;
    Q_ = 1000 * m_ / rho_;
    v_ = Q_ / 1000 / area_;
    showAll();
}

void TFluidflowCalculator::Accept(TFmtEdit* focused)
{
    if (focused)
        focused->Exit();
    result_ = TDialogResult::Ok;
}

void TFluidflowCalculator::Cancel()
{
    result_ = TDialogResult::Cancel;
}

void TFluidflowCalculator::Close(const TWindowPlace* windowPlace)
{
    if (windowPlace)
        StoreWindow(settings_, place_.Name(), *windowPlace);
    settings_.WriteInteger(kFluidflowUnitsSection, "Q", edVolflow.UnitsValue());
    settings_.WriteInteger(kFluidflowUnitsSection, "m", edMassflow.UnitsValue());
    settings_.WriteInteger(kFluidflowUnitsSection, "Vx", edVelocity.UnitsValue());
    settings_.WriteInteger(kFluidflowUnitsSection, "G", edMassFlux.UnitsValue());
}

void TFluidflowCalculator::showAll()
{
    edVolflow.SetValue(Q_);
    edMassflow.SetValue(m_);
    edVelocity.SetValue(v_);
    edMassFlux.SetValue(G_);
}

} // namespace zmk
