// The two flow calculators beside the main window's air flow and fluid flow fields. The air flow
// of a coil can be stated as an inlet or outlet volume flow, a mass flow, a face velocity or a
// mass flux; the liquid flow as a volume flow, a mass flow, a tube velocity or a mass flux. Each
// calculator keeps the ratios between these fixed as they were when it was opened (densities and
// flow area), so that typing any one of them gives all the others, and hands the mass flow back.
// The dialog widgets show the fields held here and forward the user's actions; every rule lives
// in these classes. Both remember their fields' units and their window places.
#pragma once

#include "dialogs/DialogForm.h"
#include "platform/SettingsStore.h"
#include "dialogs/FmtEdit.h"

#include <array>

namespace zmk {

class INotifier;

/// The dialogs' titles.
inline constexpr const char* kAirflowTitle = "Air Flow Calculator";
inline constexpr const char* kFluidflowTitle = "Fluid Flow Calculator";
/// Sections of the program's settings: the fields' display unit indexes and the window places.
inline constexpr std::string_view kAirflowUnitsSection = "AirflowDlgUnits";
inline constexpr std::string_view kFluidflowUnitsSection = "FluidflowDlgUnits";
inline constexpr std::string_view kAirflowWindow = "AirflowForm";
inline constexpr std::string_view kFluidflowWindow = "FluidflowForm";

/// The air calculator's fields: inlet and outlet volume flow (m³/s), mass flow (kg/s), velocity
/// at inlet (m/s) and mass flux (kg/m²s), each 0.001..100000.
extern const TFieldSpec kQaiField;
extern const TFieldSpec kQaoField;
extern const TFieldSpec kAirMassFlowField;
extern const TFieldSpec kAirVelocityField;
extern const TFieldSpec kAirMassFluxField;
/// The fluid calculator's fields: volume flow (l/s, 0.01..100000), mass flow (kg/s,
/// 0.0001..100000), velocity (m/s) and mass flux (kg/m²s), both 0.001..100000.
extern const TFieldSpec kVolFlowField;
extern const TFieldSpec kFluidMassFlowField;
extern const TFieldSpec kFluidVelocityField;
extern const TFieldSpec kFluidMassFluxField;

/// The air flow calculator.
class TAirflowCalculator
{
public:
    /// Made once: reads the fields' remembered units from the program's settings. Failed entries
    /// are reported in entryError (the program's flag unless given); notifier beeps at text that
    /// is no number.
    explicit TAirflowCalculator(ISettingsStore& programSettings, INotifier* notifier = nullptr,
                                TEntryErrorFlag* entryError = nullptr);
    TAirflowCalculator(const TAirflowCalculator&) = delete;
    TAirflowCalculator& operator=(const TAirflowCalculator&) = delete;

    /// The window's remembered place and size.
    void RestoreWindowPlace(TWindowPlace& place, TScreenSize screen) const;

    /// Opens on the coil's face velocity (m/s), air mass flow (kg/s), outlet and inlet volume
    /// flows (m³/s), used as given: the densities ma/Qai and ma/Qao and the face area Qai/Vx are
    /// fixed from them. A ratio these values cannot give (a zero or missing flow) is taken from
    /// standard air (1.2 kg/m³) and a face area of 1 m², so that the fields never show a value
    /// that is no number.
    void Init(double velocity, double massFlow, double outletVolumeFlow, double inletVolumeFlow);

    /// Exit handlers of the five fields (installed as their OnExit): a modified field gives the
    /// others through the fixed ratios.
    void QaiEdExit();
    void QaoEdExit();
    void maEdExit();
    void VxEdExit();
    void GaEdExit();

    /// "&Accept": commits the focused field (if any); the result is Ok.
    void Accept(TFmtEdit* focused = nullptr);
    /// "&Cancel" or the window's close button.
    void Cancel();
    /// The dialog closes, whatever the result: the unit indexes (and the place, when given) are
    /// stored.
    void Close(const TWindowPlace* windowPlace = nullptr);
    TDialogResult Result() const { return result_; }

    /// What the caller reads after Ok: the air mass flow, kg/s.
    double MassFlow() const { return ma_; }
    double InletVolumeFlow() const { return Qai_; }  ///< m³/s
    double OutletVolumeFlow() const { return Qao_; } ///< m³/s
    double Velocity() const { return Vx_; }          ///< m/s
    double MassFlux() const { return Ga_; }          ///< kg/m²s
    double InletDensity() const { return rhoI_; }    ///< kg/m³
    double OutletDensity() const { return rhoO_; }   ///< kg/m³
    double FaceArea() const { return area_; }        ///< m²

    TFmtEdit QaiEd; ///< "Inlet Volume Flow"
    TFmtEdit QaoEd; ///< "Outlet Volume Flow"
    TFmtEdit maEd;  ///< "Air Mass Flow"
    TFmtEdit VxEd;  ///< "Velocity at Inlet"
    TFmtEdit GaEd;  ///< "Air Mass Flux"
    /// The unit labels beside the fields, in the same order; a click changes the field's unit.
    std::array<TFmtEditLabel, 5> UnitLabels;

private:
    bool take(TFmtEdit& field, double& value);
    void showAll();

    ISettingsStore& settings_;
    INotifier* notifier_;
    TDialogPlace place_;
    double Qai_ = 0, Qao_ = 0, ma_ = 0, Vx_ = 0, Ga_ = 0; // m³/s, m³/s, kg/s, m/s, kg/m²s
    double rhoI_ = 1.2, rhoO_ = 1.2;                      // kg/m³
    double area_ = 1;                                     // m²
    TDialogResult result_ = TDialogResult::None;
};

/// The fluid flow calculator.
class TFluidflowCalculator
{
public:
    explicit TFluidflowCalculator(ISettingsStore& programSettings, INotifier* notifier = nullptr,
                                  TEntryErrorFlag* entryError = nullptr);
    TFluidflowCalculator(const TFluidflowCalculator&) = delete;
    TFluidflowCalculator& operator=(const TFluidflowCalculator&) = delete;

    /// The window's remembered place and size.
    void RestoreWindowPlace(TWindowPlace& place, TScreenSize screen) const;

    /// Opens on the tube velocity (m/s), liquid mass flow (kg/s) and volume flow (l/s): each is
    /// first brought into its field's range, then the density 1000·m/Q and the flow area
    /// Q/1000/v are fixed from them.
    void Init(double velocity, double massFlow, double volumeFlow);

    /// Exit handlers of the four fields.
    void edVolflowExit();
    void edMassflowExit();
    void edVelocityExit();
    void edMassFluxExit();

    void Accept(TFmtEdit* focused = nullptr);
    void Cancel();
    void Close(const TWindowPlace* windowPlace = nullptr);
    TDialogResult Result() const { return result_; }

    /// What the caller reads after Ok: the liquid mass flow, kg/s.
    double MassFlow() const { return m_; }
    double VolumeFlow() const { return Q_; }  ///< l/s
    double Velocity() const { return v_; }    ///< m/s
    double MassFlux() const { return G_; }    ///< kg/m²s
    double Density() const { return rho_; }   ///< kg/m³
    double FlowArea() const { return area_; } ///< m²

    TFmtEdit edVolflow;  ///< "Volume Flow"
    TFmtEdit edMassflow; ///< "Mass Flow"
    TFmtEdit edVelocity; ///< "Velocity"
    TFmtEdit edMassFlux; ///< "Mass Flux"
    std::array<TFmtEditLabel, 4> UnitLabels;

private:
    bool take(TFmtEdit& field, double& value);
    void showAll();

    ISettingsStore& settings_;
    INotifier* notifier_;
    TDialogPlace place_;
    double Q_ = 0, m_ = 0, v_ = 0, G_ = 0; // l/s, kg/s, m/s, kg/m²s
    double rho_ = 1000;                    // kg/m³
    double area_ = 0.001;                  // m²
    TDialogResult result_ = TDialogResult::None;
};

} // namespace zmk
