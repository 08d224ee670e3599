// What a liquid coil checks around a solve: entering air it cannot rate, a result that makes no
// physical sense or takes the liquid where it cannot be rated (which is then not solved), and the
// remarks that travel with a solved result.
#include "base/NumText.h"
#include "engine/FloatChecks.h"
#include "engine/HeatExchanger.h"
#include "units/ConvTools.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace zmk {

namespace {

constexpr double kAbsoluteZero = -273.15; // °C

// Leaving temperatures may pass an inlet temperature by this much (K), plus a part of the span,
// before the result counts as impossible: what the convergence tolerance leaves.
constexpr double kSpanTolerance = 0.01;
constexpr double kSpanFraction = 1e-4;

// Air and liquid duties may differ by this fraction of the larger, plus an absolute kW.
constexpr double kBalanceFraction = 0.005;
constexpr double kBalanceFloor = 1e-4;

// A relative humidity counts as above saturation beyond this: a moisture content typed to the
// field's resolution at saturation is not refused.
constexpr double kSaturated = 1.001;

// Above this water is no liquid at any pressure, °C.
constexpr double kWaterCritical = 373.946;

std::string temperatureText(double t, bool stored)
{
    return stored ? Format("%0.1f °C", t) : QuantityText(Quantities().liquid_t, true, " ", false, t);
}

} // namespace

double CondensateEnthalpy(double t)
{
    // Liquid water above 0 °C; ice, with its heat of fusion, below -0.5 °C; partly frozen in
    // between, so that a balance on a surface near freezing has no jump to settle across.
    constexpr double kFreezing = 0.5; // K
    const double water = 4.186 * t;
    if (t >= 0)
        return water;
    const double ice = -333.4 + 2.09 * t;
    if (t <= -kFreezing)
        return ice;
    const double frozen = -t / kFreezing;
    return frozen * ice + (1 - frozen) * water;
}

std::string EnteringAirProblem(const TAirState& air)
{
    if (air.rh > kSaturated)
        return Format("The entering air holds more moisture than saturated air at its dry bulb (relative "
                      "humidity %0.1f %%): lower the humidity or raise the temperature...",
                      100 * air.rh);
    return {};
}

std::string WarningText(const TResultWarning& w, bool stored)
{
    switch (w.kind) {
    case TResultWarning::LiquidRange:
        return "The liquid reaches " + temperatureText(w.value, stored) +
               ", outside the range of its property data (" + temperatureText(w.lo, stored) + " to " +
               temperatureText(w.hi, stored) + "): its properties are extrapolated.";
    case TResultWarning::TubeTransition:
        return Format("The tube flow is in the transition range (Re %0.0f): its coefficient is interpolated "
                      "between laminar and turbulent flow.",
                      w.value);
    case TResultWarning::Frost:
        return "The fin surface falls below 0 °C: frost will form and the rating does not account for it "
               "(coldest surface " +
               temperatureText(w.value, stored) + ").";
    case TResultWarning::CorrelationRange: {
        const std::string unit = *w.unit ? std::string(" ") + w.unit : std::string();
        if (w.lo == 0 && w.hi == 0)
            return std::string(w.correlation) +
                   " is used outside the range it was fitted to: " + w.parameter + ".";
        return std::string(w.correlation) + " is used outside the range it was fitted to: " + w.parameter +
               " " + Format("%0.4g", w.value) + unit + " (fitted " + Format("%0.4g", w.lo) + " to " +
               Format("%0.4g", w.hi) + unit + ").";
    }
    case TResultWarning::AssumedDimension:
        return std::string(w.correlation) + " takes the " + w.parameter + " as " + Format("%0.4g", w.value) +
               (*w.unit ? std::string(" ") + w.unit : std::string()) + ": the fin pattern does not give it.";
    }
    return {};
}

std::string TLiquidCoil::PhysicalCheck() const
{
    const TAirState& in = airIn();
    const TAirState& out = airOut();
    const TLiquid& l = liquid();
    const double tin = l.tfi;
    const double tout = l.tfo;

    if (!(ma > 0))
        return "There is no air flow: the air mass flow must be above zero...";
    if (!(l.m > 0))
        return "The liquid would have to flow backwards or not at all: the temperature change given does not "
               "suit the air and liquid temperatures...";
    for (double t : {in.db, out.db, tin, tout})
        if (t < kAbsoluteZero)
            return "A temperature would fall below absolute zero: the temperature change is far more "
                   "than the air and the liquid can exchange...";

    const double lo = std::min(in.db, tin);
    const double hi = std::max(in.db, tin);
    const double tol = kSpanTolerance + kSpanFraction * (hi - lo);
    const bool liquidHeated = tin < in.db;
    if (tout > hi + tol || tout < lo - tol)
        return liquidHeated
                   ? "The liquid would leave hotter than the air entering: the temperature change is "
                     "more than the air can give..."
                   : "The liquid would leave colder than the air entering: the temperature change is "
                     "more than the air can take...";
    if (out.db > hi + tol || out.db < lo - tol)
        return liquidHeated
                   ? "The air would leave colder than the liquid entering: the coil cannot take that "
                     "much heat from the air..."
                   : "The air would leave hotter than the liquid entering: the coil cannot give the "
                     "air that much heat...";

    // Air cooled below its dew point on a surface rated dry would leave fogged.
    if (out.rh > kSaturated)
        return Format(
            "The air would leave above saturation (relative humidity %0.0f %%): the liquid cools it "
            "below its dew point on a surface this coil rates as dry...",
            100 * out.rh);

    // The air's duty: its enthalpy change on the dry-air flow, less what the condensate carries
    // away; the liquid's: its flow and specific heat over its temperature change.
    const double mda = DryAirFlow();
    const double condensate = std::max(0.0, in.w - out.w) * CondensateEnthalpy(ADP);
    const double airDuty = mda * (in.h - out.h - condensate);
    const double liquidDuty = l.m * l.Cp * (tout - tin);
    const double scale = std::max(std::fabs(airDuty), std::fabs(liquidDuty));
    if (!(std::fabs(airDuty - liquidDuty) <= kBalanceFraction * scale + kBalanceFloor))
        return "The air side and the liquid side of the result do not balance: the heat the air gives up "
               "is not the heat the liquid takes up...";
    return {};
}

namespace {

// Why liquid l cannot be rated at these temperatures, or empty. With inletOnly no result exists
// and only the inlet temperature tfi is judged (tfo and mean are ignored).
std::string LiquidLimitReason(const TLiquid& l, double tfi, double tfo, double mean, bool inletOnly)
{
    if (inletOnly)
        tfo = mean = tfi;
    const std::string& name = l.GetName();
    // Water, plain, with an additive or condensed, boils at its pressure; of a liquid given by
    // its values alone nothing is known but the range the user gave.
    if (!l.UserProps && (l.LiquidSpec == 0 || l.LiquidSpec == 12)) {
        const bool inlet = tfi >= tfo;
        const double hottest = inlet ? tfi : tfo;
        // Made only for a message: a rating that passes formats nothing.
        auto where = [&] { return Format(inlet ? "it enters at %0.1f °C" : "it would leave at %0.1f °C", hottest); };
        if (hottest > kWaterCritical)
            return Format("%s cannot be kept liquid at any pressure above %0.1f °C (%s): lower the liquid "
                          "temperatures or choose another liquid...",
                          name, kWaterCritical, where());
        const double P = 100 * l.Pf; // kPa
        const double boiling = psy::BoilingPoint(P);
        if (hottest > boiling)
            return Format(
                "%s would boil at %0.1f °C at %0.1f kPa (%s): raise the liquid pressure or lower the "
                "%s temperature...",
                name, boiling, P, where(), inlet ? "inlet" : "leaving");
    }
    // The leaving temperature first: it is the further from the inlet.
    for (double t : {tfo, mean}) {
        const double excess = t > l.TMax ? t - l.TMax : l.TMin - t;
        if (!(excess > kLiquidRangeMargin))
            continue;
        const std::string what = inletOnly   ? Format("%s enters at %0.1f °C", name, t)
                                 : t == tfo ? Format("%s would leave at %0.1f °C", name, t)
                                            : Format("The mean temperature of %s would be %0.1f °C", name, t);
        const char* data = l.UserProps ? "the range given for its values" : "the range of its property data";
        return Format("%s, %0.1f K %s %s (%0.1f to %0.1f °C), further than the %0.0f K the rating goes beyond "
                      "it: choose a liquid for these temperatures, or change the liquid's inlet temperature%s...",
                      what, excess, t > l.TMax ? "above" : "below", data, l.TMin, l.TMax, kLiquidRangeMargin,
                      inletOnly ? "" : " or flow");
    }
    return {};
}

} // namespace

std::string TLiquidCoil::LiquidLimitCheck() const
{
    const TLiquid& l = liquid();
    return LiquidLimitReason(l, l.tfi, l.tfo, l.t, false);
}

std::string TLiquidCoil::InletLimitCheck() const
{
    return LiquidLimitReason(liquid(), LiquidState->GetInletTemp(), 0, 0, true);
}

double TLiquidCoil::ColdestSurface() const
{
    const TAirState& in = airIn();
    if (SurfaceCondition != scDry)
        return std::min(tsAirOut, ADP);
    const double tin = LiquidState->GetInletTemp();
    // A liquid warmer than the air keeps every part of the surface warmer than the air.
    if (!(tin < in.db))
        return in.db;
    // The air-outlet end, where the entering liquid meets the leaving air: the tube side takes
    // the share UA/(Ui·Ai) = Cr·Ntu/NtuLiquid of the difference.
    const double share = NtuLiquid > 0 ? Cr * Ntu / NtuLiquid : 0;
    return tin + (airOut().db - tin) * share;
}

void TLiquidCoil::collectWarnings()
{
    const TLiquid& l = liquid();
    const TAirState& in = airIn();
    // Within the margin past the range the properties are extrapolated; beyond it the job is
    // not solved, and the reason says so (LiquidLimitCheck). The leaving temperature first: the
    // further from the inlet.
    for (double t : {l.tfo, l.t}) {
        if (t < l.TMin || t > l.TMax) {
            if (t >= l.TMin - kLiquidRangeMargin && t <= l.TMax + kLiquidRangeMargin)
                Warnings.push_back({TResultWarning::LiquidRange, t, l.TMin, l.TMax});
            break;
        }
    }
    if (TubeResult.Regime == TTubeRegime::Transition)
        Warnings.push_back({TResultWarning::TubeTransition, TubeResult.Re, kLaminarRe, kTurbulentRe});
    // Ice gathers where the surface is below 0 °C and below the air's dew point.
    if (const double surface = ColdestSurface(); surface < 0 && surface < in.dewpoint)
        Warnings.push_back({TResultWarning::Frost, surface, 0, 0});
    Warnings.insert(Warnings.end(), AirSideWarnings.begin(), AirSideWarnings.end());
}

} // namespace zmk
