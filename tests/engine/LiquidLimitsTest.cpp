// Where a rating stops being true: a liquid taken past the range of its data or above its boiling
// point is not solved, a little past the range it is solved with a warning, a liquid given by its
// values is held to the range the user gave; a fin surface below 0 °C where the air's moisture
// settles is warned of as frost; and the fouling the reported Uo carries enters the duty only
// when asked, and then exactly.
#include "CoilJob.h"

#include "base/NumText.h"
#include "engine/HeatExchanger.h"
#include "properties/Psy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>

namespace zmk {
namespace {

using test::BuildJob;
using test::Defaults;

test::JobValues With(const char* kind, const std::function<void(test::JobValues&)>& change)
{
    test::JobValues v = Defaults(kind);
    change(v);
    return v;
}

bool HasWarning(const TLiquidCoil& c, TResultWarning::Kind kind)
{
    return std::any_of(c.Warnings.begin(), c.Warnings.end(),
                       [&](const TResultWarning& w) { return w.kind == kind; });
}

TEST(LiquidLimits, ALiquidWhereItCannotBeRatedIsNotSolved)
{
    struct Case
    {
        const char* name;
        test::JobValues values;
        double Pf; // liquid pressure, bar
        const char* reason;
    };
    const Case cases[] = {
        // Water entering at 600 °C into 900 °C air: no pressure keeps it liquid.
        {"water at 600 °C",
         With("zmk",
              [](test::JobValues& v) {
                  v.dbi = 900;
                  v.LiquidSpec = 0;
                  v.twi = 600;
                  v.two = 605;
              }),
         5, "Clean Water cannot be kept liquid at any pressure above 373.9 °C (it would leave at 60"},
        // 160 °C water in a heating coil boils at 5 bar (151.8 °C), before any heat moves.
        {"water entering above its boiling point",
         With("hwc",
              [](test::JobValues& v) {
                  v.twi = 160;
                  v.two = 150;
              }),
         5,
         "Clean Water would boil at 151.8 °C at 500.0 kPa (it enters at 160.0 °C): raise the liquid "
         "pressure or lower the inlet temperature..."},
        // At atmospheric pressure water heated from 95 °C by hot air leaves above 100 °C.
        {"water heated past its boiling point",
         With("zmk",
              [](test::JobValues& v) {
                  v.LiquidSpec = 0;
                  v.twi = 95;
                  v.two = 100;
                  v.mw = 0.5;
              }),
         1.01325, "Clean Water would boil at 100.0 °C at 101.3 kPa (it would leave at 1"},
        // Thermal oil (data 0..300 °C) leaving far above its range.
        {"oil far above its data",
         With("zmk",
              [](test::JobValues& v) {
                  v.dbi = 900;
                  v.twi = 330;
                  v.two = 340;
              }),
         5, "Shell Thermia B would leave at "},
        // Calcium chloride (data -50..50 °C) at -75 °C: its mean falls far below its range.
        {"brine far below its data",
         With("cwc",
              [](test::JobValues& v) {
                  v.LiquidSpec = 5;
                  v.twi = -75;
                  v.two = -74;
                  v.mw = 20;
              }),
         5, "K below the range of its property data (-50.0 to 50.0 °C), further than the 20 K"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        TAdpDefault::Instance().Reset();
        auto job = BuildJob(k.values);
        job->liquid->SetPf(k.Pf);
        TLiquidCoil& c = *job->coil;
        EXPECT_EQ(c.Solve(), TSolveStatus::DataError);
        EXPECT_EQ(c.Status, TSolveStatus::DataError);
        EXPECT_NE(c.Reason.find(k.reason), std::string::npos) << c.Reason;
        EXPECT_TRUE(c.Reason.ends_with("...")) << c.Reason;
        // The result itself balances: it is the liquid that cannot be rated there.
        EXPECT_EQ(c.PhysicalCheck(), "");
        EXPECT_EQ(c.LiquidLimitCheck(), c.Reason);
    }
}

TEST(LiquidLimits, RaisingThePressureLetsHotWaterBeRated)
{
    // The hot water coil's default job with water entering at 160 °C: at 5 bar it would boil, at
    // 10 bar (boiling at 179.9 °C) it is rated.
    auto job = BuildJob(With("hwc", [](test::JobValues& v) {
        v.twi = 160;
        v.two = 150;
    }));
    TLiquidCoil& c = *job->coil;
    EXPECT_EQ(c.Solve(), TSolveStatus::DataError);
    job->liquid->SetPf(10);
    EXPECT_EQ(c.Solve(), TSolveStatus::None) << c.Reason;
    EXPECT_EQ(c.Reason, "");
    EXPECT_NEAR(psy::BoilingPoint(1000), 179.88, 0.01);
}

TEST(LiquidLimits, InsideTheMarginTheLiquidIsRatedWithAWarning)
{
    // Thermal oil from 295 °C with a large flow leaves a few kelvin above its 300 °C.
    auto job = BuildJob(With("zmk", [](test::JobValues& v) {
        v.dbi = 900;
        v.twi = 295;
        v.two = 300;
        v.mw = 15;
    }));
    TLiquidCoil& c = *job->coil;
    ASSERT_EQ(c.Solve(), TSolveStatus::None) << c.Reason;
    const TLiquid& l = *job->liquid;
    EXPECT_GT(l.tfo, 300);
    EXPECT_LT(l.tfo, 300 + kLiquidRangeMargin);
    ASSERT_TRUE(HasWarning(c, TResultWarning::LiquidRange));
    EXPECT_NE(
        WarningText(c.Warnings[0], true).find("outside the range of its property data (0.0 °C to 300.0 °C)"),
        std::string::npos)
        << WarningText(c.Warnings[0], true);

    // Water below its boiling point is no remark at all.
    auto hot = BuildJob(Defaults("hwc"));
    ASSERT_EQ(hot->coil->Solve(), TSolveStatus::None);
    EXPECT_TRUE(hot->coil->Warnings.empty());
}

TEST(LiquidLimits, AUserLiquidIsHeldToTheRangeTheUserGave)
{
    struct Case
    {
        const char* name;
        double lo, hi; // the user's range, °C
        TSolveStatus status;
        bool warned;
    };
    // The heat recovery coil's default job with its oil given by its values: it runs from 80 °C
    // to about 121 °C. Beyond the margin the reason says it, and no warning repeats it.
    const Case cases[] = {
        {"range covering the job", 0, 200, TSolveStatus::None, false},
        {"range ending a little below the job", 0, 110, TSolveStatus::None, true},
        {"range ending far below the job", 0, 60, TSolveStatus::DataError, false},
        {"range starting far above the job", 150, 300, TSolveStatus::DataError, false},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        auto job = BuildJob(Defaults("zmk"));
        TLiquid& l = *job->liquid;
        l.UserProps = true;
        l.UserTMin = k.lo;
        l.UserTMax = k.hi;
        l.Update();
        EXPECT_EQ(l.TMin, k.lo);
        EXPECT_EQ(l.TMax, k.hi);
        TLiquidCoil& c = *job->coil;
        EXPECT_EQ(c.Solve(), k.status) << c.Reason;
        EXPECT_EQ(HasWarning(c, TResultWarning::LiquidRange), k.warned);
        if (k.status == TSolveStatus::DataError) {
            EXPECT_NE(c.Reason.find(Format("the range given for its values (%0.1f to %0.1f °C)", k.lo, k.hi)),
                      std::string::npos)
                << c.Reason;
        }
    }

    // Of a liquid given by its values nothing says it is water: 170 °C is not taken to boil.
    auto job = BuildJob(With("hwc", [](test::JobValues& v) {
        v.twi = 170;
        v.two = 160;
    }));
    TLiquid& l = *job->liquid;
    EXPECT_EQ(job->coil->Solve(), TSolveStatus::DataError);
    l.UserProps = true;
    l.UserTMin = 0;
    l.UserTMax = 200;
    l.Update();
    EXPECT_EQ(job->coil->Solve(), TSolveStatus::None) << job->coil->Reason;
}

TEST(LiquidLimits, AUserRangeStartsFromTheCorrelationsRange)
{
    // A new liquid's user values and their range are the correlation's.
    TLiquid oil("oil", 1, 1, 80, 100);
    EXPECT_EQ(oil.UserTMin, 0);
    EXPECT_EQ(oil.UserTMax, 300);
    TLiquid brine("brine", 5, 1, -10, -5);
    double lo = 0, hi = 0;
    brine.CorrelationRange(lo, hi);
    EXPECT_EQ(lo, -50);
    EXPECT_EQ(hi, 50);
    brine.WaterAdditive = 1; // only water takes an additive
    brine.AdditiveVolume = 0.3;
    brine.CorrelationRange(lo, hi);
    EXPECT_EQ(hi, 50);
    TLiquid glycol("glycol", 0, 1, 20, 25);
    glycol.WaterAdditive = 1;
    glycol.AdditiveVolume = 0.3;
    glycol.CorrelationRange(lo, hi);
    EXPECT_EQ(lo, kMixtureTMin);
    EXPECT_EQ(hi, kMixtureTMax);
    // Liquid CO2 has a pole in its specific heat at 31.64 °C: its range is found all the same.
    TLiquid co2("co2", 9, 1, 31.64, 31.64);
    co2.CorrelationRange(lo, hi);
    EXPECT_EQ(hi, 30);
}

TEST(LiquidLimits, ASizingSteersPastTrialsTheLiquidCannotTakeAndEndsOnARatedCoil)
{
    // The heat recovery coil's oil at 1.2 kg/s: a 600 kW coil heats it to below 300 °C, though
    // the search passes coils that would take it far beyond.
    auto job = BuildJob(Defaults("zmk"));
    TLiquidCoil& c = *job->coil;
    ASSERT_EQ(c.AutoFaceArea(0, 600), TSolveStatus::None) << c.Reason;
    EXPECT_NEAR(c.Qt, 600, 0.6);
    EXPECT_FALSE(c.LiquidLimited);
    EXPECT_LT(job->liquid->tfo, 300);
    // 1500 kW would take it past its data whatever the coil: the sizing says so.
    EXPECT_EQ(c.AutoFaceArea(0, 1500), TSolveStatus::DataError);
    EXPECT_TRUE(c.LiquidLimited);
    EXPECT_NE(c.Reason.find("Shell Thermia B would leave at"), std::string::npos) << c.Reason;
}

TEST(Frost, AFinSurfaceBelowFreezingWhereMoistureSettlesIsWarnedOf)
{
    struct Case
    {
        const char* name;
        test::JobValues values;
        bool frost;
    };
    const Case cases[] = {
        {"the default chilled water coil", Defaults("cwc"), false},
        {"the default heat recovery coil", Defaults("zmk"), false},
        {"the default hot water coil", Defaults("hwc"), false},
        // Calcium chloride brine at -13.7 °C, 6 kg/s: the wet surface at the air outlet is below
        // 0 °C.
        {"brine at -13.7 °C",
         With("cwc",
              [](test::JobValues& v) {
                  v.LiquidSpec = 5;
                  v.twi = -13.7;
                  v.two = -8;
                  v.mw = 6;
              }),
         true},
        // The same brine at 1.2 kg/s flows laminar: the tube side holds the fins above 0 °C.
        {"brine at -13.7 °C in laminar flow",
         With("cwc",
              [](test::JobValues& v) {
                  v.LiquidSpec = 5;
                  v.twi = -13.7;
                  v.two = -8;
              }),
         false},
        // Cold air with a dew point of about -5 °C over brine at -20 °C: a surface that stays dry
        // to the wet check (no dew point above 0 °C) still gathers frost.
        {"cold moist air over brine",
         With("cwc",
              [](test::JobValues& v) {
                  v.dbi = 2;
                  v.wai = 0.0025;
                  v.LiquidSpec = 5;
                  v.twi = -20;
                  v.two = -18;
              }),
         true},
        // The same brine under very dry air (dew point about -31 °C): the surface stays above it.
        {"cold dry air over brine",
         With("cwc",
              [](test::JobValues& v) {
                  v.dbi = 2;
                  v.wai = 0.0002;
                  v.LiquidSpec = 5;
                  v.twi = -20;
                  v.two = -18;
              }),
         false},
        // A liquid warmer than the air keeps the surface warmer than the air: no frost in -30 °C air.
        {"frosty air heated",
         With("hwc",
              [](test::JobValues& v) {
                  v.dbi = -30;
                  v.wai = 0.0002;
              }),
         false},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        TAdpDefault::Instance().Reset();
        auto job = BuildJob(k.values);
        TLiquidCoil& c = *job->coil;
        ASSERT_EQ(c.Solve(), TSolveStatus::None) << c.Reason;
        const auto w = std::find_if(c.Warnings.begin(), c.Warnings.end(),
                                    [](const TResultWarning& x) { return x.kind == TResultWarning::Frost; });
        EXPECT_EQ(w != c.Warnings.end(), k.frost)
            << c.ColdestSurface() << " °C, dew point " << job->in.dewpoint;
        if (w == c.Warnings.end())
            continue;
        EXPECT_LT(w->value, 0);
        EXPECT_LT(w->value, job->in.dewpoint);
        EXPECT_EQ(w->value, c.ColdestSurface());
        EXPECT_EQ(
            WarningText(*w, true).rfind("The fin surface falls below 0 °C: frost will form and the rating "
                                        "does not account for it (coldest surface -",
                                        0),
            0u)
            << WarningText(*w, true);
    }
}

TEST(Frost, TheColdestDrySurfaceIsTheAirOutletEndOfTheColdLiquid)
{
    // A dry cooling coil: the surface temperature the dry model finds at the air-outlet end.
    auto job = BuildJob(With("cwc", [](test::JobValues& v) {
        v.dbi = 20;
        v.wai = 0.002;
    }));
    TLiquidCoil& c = *job->coil;
    ASSERT_EQ(c.Solve(), TSolveStatus::None);
    ASSERT_EQ(c.SurfaceCondition, scDry);
    EXPECT_NEAR(c.ColdestSurface(), c.tsAirOut, 1e-9);
    EXPECT_GT(c.ColdestSurface(), job->liquid->tfi);
    EXPECT_LT(c.ColdestSurface(), job->out.db);
}

TEST(FoulingInTheDuty, OffTheDutyTakesTheCleanCoefficientsAndSaysWhichItUsed)
{
    for (const char* kind : {"zmk", "hwc", "cwc"}) {
        SCOPED_TRACE(kind);
        TAdpDefault::Instance().Reset();
        auto job = BuildJob(Defaults(kind));
        TLiquidCoil& c = *job->coil;
        EXPECT_FALSE(c.FoulingInDuty);
        ASSERT_EQ(c.Solve(), TSolveStatus::None);
        EXPECT_NEAR(1 / c.UoDuty, 1 / c.ho + c.AoAi / c.Ui, 1e-12 / c.UoDuty);
        EXPECT_GT(c.UoDuty, c.Uo);
        EXPECT_NEAR(c.Ntu, c.NtuAir / (c.Cr * c.NtuRatio + 1), 1e-12 * c.Ntu);
    }
}

TEST(FoulingInTheDuty, OnTheDutyTakesTheFouledUo)
{
    for (const char* kind : {"zmk", "hwc", "cwc"}) {
        for (bool useFouling : {true, false}) {
            SCOPED_TRACE(std::string(kind) + (useFouling ? " with Rf" : " without Rf"));
            TAdpDefault::Instance().Reset();
            auto clean = BuildJob(Defaults(kind));
            clean->coil->UseFouling = useFouling;
            ASSERT_EQ(clean->coil->Solve(), TSolveStatus::None);
            TAdpDefault::Instance().Reset();
            auto fouled = BuildJob(Defaults(kind));
            TLiquidCoil& c = *fouled->coil;
            c.UseFouling = useFouling;
            c.FoulingInDuty = true;
            ASSERT_EQ(c.Solve(), TSolveStatus::None) << c.Reason;
            EXPECT_EQ(c.UoDuty, c.Uo);
            // A dirtier surface moves less heat (the 1.01 alone does too).
            EXPECT_LT(c.Qt, clean->coil->Qt - 1e-3);
            EXPECT_GT(c.Qt, 0.9 * clean->coil->Qt);
            // 1/UA = 1.01/(ho·Ao) + 1/(Ui·Ai) + Rf/Ao on the capacity rates of the pass: Ca on the
            // air side, Cr·cw on the tube side (on a wet surface the air's dry-air flow times the
            // slope of the saturation enthalpy).
            const double cw = c.LiquidState->cw;
            const double expected =
                1 / (c.Ca * 1.01 / (c.ho * c.Ao) + c.Cr * cw * (1 / (c.Ui * c.Ai) + c.Rf / c.Ao));
            EXPECT_NEAR(c.Ntu, expected, 1e-6 * c.Ntu);
            // On a dry surface the hand check closes: Ntu = Uo·Ao/Ca.
            if (c.SurfaceCondition == scDry) {
                EXPECT_NEAR(c.Ntu * c.Ca, c.Uo * c.Ao, 1e-8 * c.Uo * c.Ao);
            }
        }
    }
}

} // namespace
} // namespace zmk
