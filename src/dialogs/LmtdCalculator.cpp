// The LMTD calculator's rules.
#include "dialogs/LmtdCalculator.h"

#include "app/CoilJob.h"
#include "base/NumText.h"
#include "dialogs/DialogForm.h"
#include "engine/HeatExchanger.h"
#include "units/ConvTools.h"

#include <algorithm>
#include <cmath>

namespace zmk {

const TFieldSpec kHotInField{"HotInEd", "Hot In", utTemperature, "°C", "°C", "%0.2f", -100, 1000};
const TFieldSpec kHotOutField{"HotOutEd", "Hot Out", utTemperature, "°C", "°C", "%0.2f", -100, 1000};
const TFieldSpec kColdInField{"ColdInEd", "Cold In", utTemperature, "°C", "°C", "%0.2f", -100, 1000};
const TFieldSpec kColdOutField{"ColdOutEd", "Cold Out", utTemperature, "°C", "°C", "%0.2f", -100, 1000};
const TFieldSpec kLmtdRowsField{"RowsEd", "Rows", utNone, "", "", "%0.0f", 1, 20, ft_Fixed, true};

namespace {

// Capacity ratios below this count as a stream that keeps its temperature (condensing,
// boiling): every arrangement then has the counterflow effectiveness.
constexpr double kNoCapacityRatio = 1e-9;

// One row crossed by the air: the crossflow effectiveness with one stream mixed.
double rowEffectiveness(double ntu, double cr, bool airIsMin)
{
    if (cr < kNoCapacityRatio)
        return 1 - std::exp(-ntu);
    if (airIsMin) // the smaller capacity rate unmixed, the larger mixed
        return (1 - std::exp(-cr * (1 - std::exp(-ntu)))) / cr;
    return 1 - std::exp(-(1 - std::exp(-cr * ntu)) / cr);
}

// Counterflow transfer units for effectiveness e at capacity ratio cr (e < 1).
double counterflowNtu(double e, double cr)
{
    if (std::fabs(1 - cr) < 1e-9)
        return e / (1 - e);
    return std::log((1 - e * cr) / (1 - e)) / (1 - cr);
}

std::string differenceText(const std::optional<double>& dt)
{
    return QuantityText(Quantities().hex_dt, true, " ", false, *dt);
}

TEntryErrorFlag& Flag(TEntryErrorFlag* flag)
{
    return flag ? *flag : EntryErrorFlag();
}

} // namespace

std::optional<double> LogMean(double dT1, double dT2)
{
    if (!(dT1 > 0) || !(dT2 > 0))
        return std::nullopt;
    if (std::fabs(dT1 - dT2) <= 1e-9 * std::max(dT1, dT2))
        return (dT1 + dT2) / 2;
    return (dT1 - dT2) / std::log(dT1 / dT2);
}

std::optional<double> CounterflowLmtd(const TStreamTemps& t)
{
    return LogMean(t.HotIn - t.ColdOut, t.HotOut - t.ColdIn);
}

std::optional<double> ParallelLmtd(const TStreamTemps& t)
{
    return LogMean(t.HotIn - t.ColdIn, t.HotOut - t.ColdOut);
}

double CounterCrossflowEffectiveness(double Ntu, double Cr, int rows, bool airIsMin)
{
    const int n = std::max(rows, 1);
    const double ep = rowEffectiveness(Ntu / n, Cr, airIsMin);
    if (Cr < kNoCapacityRatio)
        return 1 - std::exp(-Ntu);
    if (std::fabs(1 - Cr) < 1e-9)
        return n * ep / (1 + (n - 1) * ep);
    if (ep >= 1)
        return 1;
    const double x = std::pow((1 - ep * Cr) / (1 - ep), n);
    return (x - 1) / (x - Cr);
}

std::optional<double> CrossflowFactor(const TStreamTemps& t, int rows, bool airHot)
{
    const double span = t.HotIn - t.ColdIn;
    const double dHot = t.HotIn - t.HotOut;
    const double dCold = t.ColdOut - t.ColdIn;
    if (!(span > 0) || dHot < 0 || dCold < 0 || !CounterflowLmtd(t))
        return std::nullopt;
    if (dHot == 0 || dCold == 0)
        return 1.0;
    // The stream with the larger change has the smaller capacity rate.
    const bool hotIsMin = dHot >= dCold;
    const double e = std::max(dHot, dCold) / span;
    const double cr = std::min(dHot, dCold) / std::max(dHot, dCold);
    const bool airIsMin = hotIsMin == airHot;
    if (!(e < 1))
        return std::nullopt;
    // The rows' effectiveness grows with the transfer units towards a limit: bracket, then halve.
    auto eff = [&](double ntu) { return CounterCrossflowEffectiveness(ntu, cr, rows, airIsMin); };
    double lo = 0, hi = 1;
    while (eff(hi) < e) {
        hi *= 2;
        if (hi > 1e4)
            return std::nullopt;
    }
    for (int i = 0; i < 200 && hi - lo > 1e-12 * hi; ++i) {
        const double mid = (lo + hi) / 2;
        (eff(mid) < e ? lo : hi) = mid;
    }
    const double ntu = (lo + hi) / 2;
    return std::min(1.0, counterflowNtu(e, cr) / ntu);
}

// ---- the calculator -----------------------------------------------------------------------------

TLmtdCalculator::TLmtdCalculator(TEntryErrorFlag* entryError)
    : HotInEd(Flag(entryError)), HotOutEd(Flag(entryError)), ColdInEd(Flag(entryError)),
      ColdOutEd(Flag(entryError)), RowsEd(Flag(entryError))
{
    const TFieldSpec* specs[] = {&kHotInField, &kHotOutField, &kColdInField, &kColdOutField};
    TFmtEdit* fields[] = {&HotInEd, &HotOutEd, &ColdInEd, &ColdOutEd};
    for (std::size_t i = 0; i < 4; ++i) {
        fields[i]->SetUnitsLabel(&UnitLabels[i]);
        // The temperatures show in the unit the user chose for air temperatures.
        ConfigureField(*fields[i], *specs[i], Quantities().air_t.display);
        fields[i]->OnExit = [this](TFmtEdit&) { Recalculate(); };
    }
    ConfigureField(RowsEd, kLmtdRowsField);
    RowsEd.OnExit = [this](TFmtEdit&) { Recalculate(); };
    showAll();
}

void TLmtdCalculator::Init(const TStreamTemps& temps, int rows, bool airHot)
{
    temps_ = temps;
    rows_ = std::clamp(rows, 1, 20);
    airHot_ = airHot;
    showAll();
    Recalculate();
}

void TLmtdCalculator::InitFromJob(const TCoilJob& job)
{
    const TJobInputs& in = job.Inputs;
    double airIn = in.edOnCoil.Value;
    double liquidIn = in.edFluidInTemp.Value;
    const bool airHot = airIn > liquidIn;
    double liquidOut = liquidIn + (airHot ? in.edFluidDT.Value : -in.edFluidDT.Value);
    double airOut = (airIn + liquidIn) / 2;
    if (job.Solved() && job.Liquid()) {
        airIn = job.AirIn().db;
        airOut = job.AirOut().db;
        liquidIn = job.Liquid()->tfi;
        liquidOut = job.Liquid()->tfo;
    }
    guessed_ = !job.Solved();
    const int rows = static_cast<int>(std::lround(in.edRows.Value));
    if (airHot)
        Init({airIn, airOut, liquidIn, liquidOut}, rows, true);
    else
        Init({liquidIn, liquidOut, airIn, airOut}, rows, false);
}

void TLmtdCalculator::showAll()
{
    HotInEd.SetValue(temps_.HotIn);
    HotOutEd.SetValue(temps_.HotOut);
    ColdInEd.SetValue(temps_.ColdIn);
    ColdOutEd.SetValue(temps_.ColdOut);
    RowsEd.SetValue(static_cast<double>(rows_));
}

void TLmtdCalculator::SetAirHot(bool airHot)
{
    airHot_ = airHot;
    Recalculate();
}

void TLmtdCalculator::Recalculate()
{
    // Only what the user typed is taken: a field shows its value rounded.
    bool typed = false;
    const auto read = [&typed](const TFmtEdit& field, double& value) {
        if (!field.Modified())
            return;
        if (const std::optional<double> v = ReadFieldNumber(field)) {
            value = *v;
            typed = true;
        }
    };
    read(HotInEd, temps_.HotIn);
    read(HotOutEd, temps_.HotOut);
    read(ColdInEd, temps_.ColdIn);
    read(ColdOutEd, temps_.ColdOut);
    if (typed)
        guessed_ = false;
    double rows = rows_;
    read(RowsEd, rows);
    rows_ = std::clamp(static_cast<int>(std::lround(rows)), 1, 20);
    showAll();
    counter_ = CounterflowLmtd(temps_);
    parallel_ = ParallelLmtd(temps_);
    factor_ = CrossflowFactor(temps_, rows_, airHot_);
}

std::string TLmtdCalculator::CounterflowText() const
{
    return counter_ ? differenceText(counter_) : "none: the streams cross";
}

std::string TLmtdCalculator::ParallelText() const
{
    return parallel_ ? differenceText(parallel_) : "none: parallel flow cannot reach these temperatures";
}

std::string TLmtdCalculator::FactorText() const
{
    if (!factor_)
        return Format("none: %d rows cannot reach these temperatures", rows_);
    return Format("%0.4f", *factor_) + Format(rows_ == 1 ? " (%d row)" : " (%d rows)", rows_);
}

std::string TLmtdCalculator::CoilText() const
{
    if (!factor_ || !counter_)
        return "none";
    return differenceText(*factor_ * *counter_);
}

std::string TLmtdCalculator::Remark() const
{
    const TStreamTemps& t = temps_;
    if (!(t.HotIn > t.ColdIn))
        return "The hot stream must enter hotter than the cold stream.";
    if (t.HotOut > t.HotIn)
        return "The hot stream must leave cooler than it enters.";
    if (t.ColdOut < t.ColdIn)
        return "The cold stream must leave warmer than it enters.";
    if (guessed_)
        return "The job is not solved: the air's leaving temperature is a guess; type your own.";
    return airHot_ ? "The air is the hot stream." : "The air is the cold stream.";
}

} // namespace zmk
