// The LMTD calculator of the Solve menu: the log-mean temperature difference of two streams from
// their four temperatures, for counterflow and for parallel flow, and the correction factor F of
// the coil's own arrangement, a number of tube rows crossed by the air in turn with the liquid
// going from row to row against it (counter-crossflow). In each row the air is taken as unmixed
// and the liquid as mixed. F is found from the effectiveness the four temperatures give: the
// transfer units counterflow would need over those the rows need for the same duty. The dialog
// widget shows the fields and texts held here and forwards the user's actions.
#pragma once

#include "dialogs/FmtEdit.h"

#include <array>
#include <optional>
#include <string>

namespace zmk {

class TCoilJob;

/// The dialog's title.
inline constexpr const char* kLmtdTitle = "LMTD Calculator";

/// The four temperatures (°C, -100..1000) and the rows (1..20).
extern const TFieldSpec kHotInField;
extern const TFieldSpec kHotOutField;
extern const TFieldSpec kColdInField;
extern const TFieldSpec kColdOutField;
extern const TFieldSpec kLmtdRowsField;

/// Four temperatures, °C: the hot stream in and out, the cold stream in and out.
struct TStreamTemps
{
    double HotIn = 0;
    double HotOut = 0;
    double ColdIn = 0;
    double ColdOut = 0;
};

/// The log mean of two temperature differences (K); their common value when they are equal.
/// Nothing when either is not above zero.
std::optional<double> LogMean(double dT1, double dT2);
/// Counterflow LMTD (K): hot in against cold out, hot out against cold in.
std::optional<double> CounterflowLmtd(const TStreamTemps& t);
/// Parallel-flow LMTD (K): both inlets together, both outlets together.
std::optional<double> ParallelLmtd(const TStreamTemps& t);

/// The effectiveness of `rows` rows in counter-crossflow for Ntu transfer units (on the smaller
/// capacity rate) and capacity ratio Cr (0..1); airIsMin says the air (unmixed in each row) has
/// the smaller capacity rate.
double CounterCrossflowEffectiveness(double Ntu, double Cr, int rows, bool airIsMin);
/// The correction factor F of `rows` rows in counter-crossflow for the four temperatures, air the
/// hot stream when airHot: 1 when a stream keeps its temperature, nothing when the temperatures
/// are no heat exchange (a stream changing the wrong way, a temperature cross counterflow cannot
/// reach) or more than the rows can reach with any number of transfer units.
std::optional<double> CrossflowFactor(const TStreamTemps& t, int rows, bool airHot);

/// The calculator: four temperature fields and the rows, with the results as texts.
class TLmtdCalculator
{
public:
    /// Failed entries go to entryError (the program's flag unless given).
    explicit TLmtdCalculator(TEntryErrorFlag* entryError = nullptr);
    TLmtdCalculator(const TLmtdCalculator&) = delete;
    TLmtdCalculator& operator=(const TLmtdCalculator&) = delete;

    /// Opens on four temperatures, the coil's rows and which stream is the air.
    void Init(const TStreamTemps& temps, int rows, bool airHot);
    /// Opens on a job: its rated temperatures when it is solved, else the entering air, the
    /// liquid's inlet with its design temperature change, and the air leaving half-way to the
    /// liquid's inlet (a guess the remark names); the hotter inlet is the hot stream.
    void InitFromJob(const TCoilJob& job);

    /// Reads the fields (each field's exit handler runs this) and computes the results.
    void Recalculate();
    /// Air is the hot stream (the rows' unmixed side).
    void SetAirHot(bool airHot);
    bool AirHot() const { return airHot_; }

    const TStreamTemps& Temps() const { return temps_; }
    int Rows() const { return rows_; }
    std::optional<double> Counterflow() const { return counter_; }
    std::optional<double> Parallel() const { return parallel_; }
    std::optional<double> Factor() const { return factor_; }

    /// The result lines, in the display unit of temperature differences: counterflow, parallel
    /// flow, F for the rows, and the coil's mean difference F × counterflow LMTD. A result that
    /// cannot be had says why instead of a number.
    std::string CounterflowText() const;
    std::string ParallelText() const;
    std::string FactorText() const;
    std::string CoilText() const;
    /// A remark on the temperatures, or empty: which stream is hotter, a cross.
    std::string Remark() const;

    TFmtEdit HotInEd;
    TFmtEdit HotOutEd;
    TFmtEdit ColdInEd;
    TFmtEdit ColdOutEd;
    TFmtEdit RowsEd;
    /// The unit labels of the four temperature fields.
    std::array<TFmtEditLabel, 4> UnitLabels;

private:
    void showAll();
    TStreamTemps temps_;
    int rows_ = 4;
    bool airHot_ = true;
    bool guessed_ = false; // opened on an unsolved job, the temperatures not yet typed over
    std::optional<double> counter_, parallel_, factor_;
};

} // namespace zmk
