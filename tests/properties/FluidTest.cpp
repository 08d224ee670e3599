// Liquid correlations (the fitted figures and their clamps) and the tube-side liquid (the
// constructor's steps, the temperature setters, the mixtures and the captions).
#include "properties/Fluid.h"

#include "base/Errors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace zmk {
namespace {

TEST(FluidCorrelations, CleanWaterFiguresAndClamps)
{
    TTransportProps p;
    CleanWaterProps(p, 20);
    EXPECT_EQ(p.Name, "Clean Water");
    EXPECT_EQ(p.ShortName, "Water");
    EXPECT_EQ(p.TMin, 0);
    EXPECT_EQ(p.TMax, 300);
    EXPECT_NEAR(p.ro, 998.05, 0.005);
    EXPECT_NEAR(p.Cp, 4.183, 0.0005);
    EXPECT_NEAR(p.mu, 1.000e-3, 5e-7);
    EXPECT_NEAR(p.Ko, 6.03e-4, 5e-7);

    // Below 0 °C density and specific heat follow their polynomials; viscosity and conductivity
    // are those at 0.01 °C.
    TTransportProps cold, at001;
    CleanWaterProps(cold, -5);
    CleanWaterProps(at001, 0.01);
    EXPECT_NEAR(cold.ro, 1000.0118 - 5 * 0.0090785827 - 25 * 0.0056365427 - 125 * 1.3593032e-05, 1e-9);
    EXPECT_NEAR(cold.Cp,
                4.2113407 + 5 * 0.0022883491 + 25 * 5.3389636e-05 + 125 * 4.8856259e-07 + 625 * 1.9154158e-09,
                1e-9);
    EXPECT_EQ(cold.mu, at001.mu);
    EXPECT_EQ(cold.Ko, at001.Ko);
    EXPECT_NEAR(cold.mu, 1.756e-3, 5e-7);
    // Both ends included: at 0 and 300 °C the fits take T itself; above 300 the value at 299.99.
    TTransportProps zero, top, hot, at29999;
    CleanWaterProps(zero, 0);
    CleanWaterProps(top, 300);
    CleanWaterProps(hot, 350);
    CleanWaterProps(at29999, 299.99);
    EXPECT_NE(zero.mu, at001.mu);
    EXPECT_NE(top.mu, at29999.mu);
    EXPECT_EQ(hot.mu, at29999.mu);
    EXPECT_EQ(hot.Ko, at29999.Ko);
}

TEST(FluidCorrelations, ClampedRowsMoveTMinUp)
{
    // Engine oil, glycerin, ethylene glycol and calcium chloride: viscosity at T <= TMin is the
    // value at TMin + 0.01; the other properties follow T.
    void (*const rows[])(TTransportProps&, double) = {EngineOilProps, GlycerinProps, EthyleneGlycolProps,
                                                      CalciumChlorideProps};
    for (auto row : rows) {
        TTransportProps ref, atMin, below;
        row(ref, 0);
        const double TMin = ref.TMin;
        row(ref, TMin + 0.01);
        row(atMin, TMin);
        row(below, TMin - 20);
        EXPECT_EQ(atMin.mu, ref.mu) << ref.Name;
        EXPECT_EQ(below.mu, ref.mu) << ref.Name;
        EXPECT_NE(below.ro, ref.ro) << ref.Name;
    }
    TTransportProps oil0, oil001;
    EngineOilProps(oil0, 0);
    EngineOilProps(oil001, 0.01);
    EXPECT_EQ(oil0.mu, oil001.mu);
}

TEST(FluidCorrelations, EveryKindNamesAndRanges)
{
    const struct
    {
        const char *stored, *name, *shortName;
        double TMin, TMax;
    } table[kLiquidKindCount] = {
        {"Water", "Clean Water", "Water", 0, 300},
        {"Thermal Oil", "Shell Thermia B", "Thermal Oil", 0, 300},
        {"Engine Oil", "Engine Oil", "Eng Oil", 0, 300},
        {"Glycerin", "Glycerin", "Glycerin", 0, 50},
        {"Ethylene Glycol", "Pure Ethylene Glycol", "Eth Glycol", 0, 100},
        {"Calcium Chloride", "Pure Calcium Chloride", "CaCl", -50, 50},
        {"Sulphur Dioxide", "Sulphur Dioxide", "SO2", -50, 50},
        {"Mercury", "Mercury", "Mercury", 0, 316},
        {"Liquid Ammonia", "Liquid Ammonia", "Liq NH3", -50, 50},
        {"Liquid Carbon Dioxide", "Liquid Carbon Dioxide", "Liq CO2", -50, 30},
        {"Methylchloride", "Methylchloride", "CH3Cl", -50, 50},
        {"Freon - Liquid R12", "liquid Freon R12", "Liq R12", -50, 50},
        {"Condensed Steam", "Condensed steam", "Liq Steam", 0, 300},
        {"Compressed Air", "Compressed Air (5.0-bar)", "Comp Air", 50, 400},
    };
    for (int k = 0; k < kLiquidKindCount; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(LiquidKindName(k), table[k].stored);
        TTransportProps p;
        ASSERT_TRUE(LiquidProps(p, k, table[k].TMin, 5.0));
        EXPECT_EQ(p.Name, table[k].name);
        EXPECT_EQ(p.ShortName, table[k].shortName);
        EXPECT_EQ(p.TMin, table[k].TMin);
        EXPECT_EQ(p.TMax, table[k].TMax);
        // Physical across the validity range.
        for (int i = 0; i <= 20; ++i) {
            LiquidProps(p, k, table[k].TMin + (table[k].TMax - table[k].TMin) * i / 20, 5.0);
            EXPECT_GT(p.ro, 0);
            EXPECT_GT(p.Cp, 0);
            EXPECT_GT(p.mu, 0);
            EXPECT_GT(p.Ko, 0);
        }
    }
    TTransportProps untouched;
    untouched.ro = 7;
    EXPECT_FALSE(LiquidProps(untouched, 14, 20, 5));
    EXPECT_EQ(untouched.ro, 7);
    EXPECT_EQ(LiquidKindName(14), "");
    EXPECT_EQ(WaterAdditiveName(0), "None");
    EXPECT_EQ(WaterAdditiveName(1), "EthyleneGlycol");
    EXPECT_EQ(WaterAdditiveName(2), "PropyleneGlycol");
    EXPECT_EQ(WaterAdditiveName(3), "CalciumChloride");
}

TEST(FluidCorrelations, SpecialRows)
{
    TTransportProps p;
    CompressedAirProps(p, 100, 5);
    EXPECT_NEAR(p.ro, 500000 / (287.1 * 373.15), 1e-9);
    EXPECT_NEAR(p.ro, 4.667, 0.0005);
    EXPECT_EQ(p.Name, "Compressed Air (5.0-bar)");
    CompressedAirProps(p, 100, 12.25);
    EXPECT_EQ(p.Name, "Compressed Air (12.3-bar)");
    // Kind 12's viscosity is already in kg/(m·s).
    CondensedSteamProps(p, 20);
    EXPECT_NEAR(p.mu, 9.9e-4, 0.05e-4);
    // Thermal oil and mercury are plain formulas.
    ThermalOilProps(p, 170);
    EXPECT_NEAR(p.ro, 770, 1e-9);
    EXPECT_NEAR(p.mu, 1 / (4.9 + 0.03 * 170 * 170), 1e-15);
    MercuryProps(p, 100);
    EXPECT_NEAR(p.Ko, (8440.346 + 1853.7967) * 1e-6, 1e-12);
    // Where a fit has no value it is an arithmetic fault, not a NaN.
    EXPECT_THROW(CondensedSteamProps(p, -50), EMathError);
    EXPECT_THROW(CleanWaterProps(p, std::nan("")), EMathError);
}

TEST(FluidCorrelations, Mixtures)
{
    EXPECT_NEAR(MixtureCp(1, 0.3, 20), 3.647, 0.0005);
    EXPECT_NEAR(MixtureRo(1, 0.3, 20), 1045.2, 0.05);
    EXPECT_NEAR(MixtureMu(1, 0.3, 20), 0.002328, 5e-7);
    EXPECT_NEAR(MixtureKo(1, 0.3, 20), 0.000453, 5e-7);
    // X = 0 is not clean water.
    EXPECT_NEAR(MixtureCp(1, 0, 20), 4.110, 0.0005);
    // The fit itself, term by term, for calcium chloride's viscosity.
    const double X = 0.2, T = -10;
    const double f = 0.63204 + 0.165707 * X + 12.2757 * X * X - 0.0512627 * T + 0.00119454 * T * T +
                     X * T * (0.150601 - 0.348387 * X - 0.00360417 * T + 0.000846518 * X * T);
    EXPECT_NEAR(MixtureMu(3, X, T), std::exp(f) / 1000, 1e-15);
    for (int a = 1; a <= 3; ++a)
        for (double x : {0.1, 0.5})
            for (double t : {-30.0, 20.0, 100.0}) {
                EXPECT_GT(MixtureRo(a, x, t), 900);
                EXPECT_GT(MixtureCp(a, x, t), 2);
                EXPECT_GT(MixtureMu(a, x, t), 0);
                EXPECT_GT(MixtureKo(a, x, t), 0);
            }
    EXPECT_EQ(MixtureCp(4, 0.3, 20), 0);
}

// ---- TLiquid ----

TEST(FluidLiquid, ConstructorSteps)
{
    TLiquid l("Loop", 0, 1.5, 60, 50);
    EXPECT_EQ(l.Caption, "Loop");
    EXPECT_EQ(l.Pf, 5.0);
    EXPECT_FALSE(l.UserProps);
    EXPECT_EQ(l.m, 1.5);
    EXPECT_EQ(l.t, 55);
    EXPECT_EQ(l.WaterAdditive, 0);
    EXPECT_EQ(l.AdditiveVolume, 0);
    TTransportProps p;
    CleanWaterProps(p, 55);
    EXPECT_EQ(l.ro, p.ro);
    EXPECT_EQ(l.Cp, p.Cp);
    EXPECT_EQ(l.mu, p.mu);
    EXPECT_EQ(l.Ko, p.Ko);
    EXPECT_EQ(l.TMin, 0);
    EXPECT_EQ(l.TMax, 300);
    EXPECT_DOUBLE_EQ(l.Pr, p.Cp * p.mu / p.Ko);
    EXPECT_EQ(l.UserRo, l.ro);
    EXPECT_EQ(l.UserCp, l.Cp);
    EXPECT_EQ(l.UserMu, l.mu);
    EXPECT_EQ(l.UserKo, l.Ko);
}

TEST(FluidLiquid, TemperatureSetters)
{
    TLiquid l("", 0, 1, 60, 50);
    l.SetT(40);
    EXPECT_EQ(l.tfo, 20);
    EXPECT_EQ(l.tfi, 60);
    EXPECT_EQ(l.GetT(), 40);
    TTransportProps p;
    CleanWaterProps(p, 40);
    EXPECT_EQ(l.ro, p.ro);
    l.SetTfi(80);
    EXPECT_EQ(l.t, 50);
    l.SetTfo(30);
    EXPECT_EQ(l.t, 55);
    CleanWaterProps(p, 55);
    EXPECT_EQ(l.mu, p.mu);
}

TEST(FluidLiquid, AdditivesAndCaptions)
{
    TLiquid l("", 0, 1, 10, 5);
    EXPECT_EQ(l.GetName(), "Clean Water");
    EXPECT_EQ(l.GetShortName(), "Clean Water");
    // Additive chosen but no volume: clean water, with the mixture's caption.
    l.WaterAdditive = 2;
    l.Update();
    TTransportProps p;
    CleanWaterProps(p, 7.5);
    EXPECT_EQ(l.ro, p.ro);
    EXPECT_EQ(l.TMin, 0);
    EXPECT_EQ(l.TMax, 300);
    EXPECT_EQ(l.GetName(), "Water (0% Propylene Glycol)");
    EXPECT_EQ(l.GetShortName(), "0% Prop-Glycol");

    l.WaterAdditive = 1;
    l.AdditiveVolume = 0.4;
    l.Update();
    EXPECT_EQ(l.TMin, -30);
    EXPECT_EQ(l.TMax, 300);
    EXPECT_EQ(l.Cp, MixtureCp(1, 0.4, 7.5));
    EXPECT_EQ(l.mu, MixtureMu(1, 0.4, 7.5));
    EXPECT_EQ(l.GetTitle(), "Water (40% Ethylene Glycol) 7.5");
    EXPECT_EQ(l.GetShortName(), "40% Eth-Glycol");
    l.WaterAdditive = 3;
    l.AdditiveVolume = 0.25;
    EXPECT_EQ(l.GetName(), "Water (25% Calcium Chloride)");
    EXPECT_EQ(l.GetShortName(), "25% Calc-Chloride");
    l.WaterAdditive = 9;
    EXPECT_EQ(l.GetName(), "Clean Water");

    // Additives apply to kind 0 only.
    TLiquid oil("", 1, 1, 100, 100);
    oil.WaterAdditive = 1;
    oil.AdditiveVolume = 0.3;
    oil.Update();
    TTransportProps op;
    ThermalOilProps(op, 100);
    EXPECT_EQ(oil.ro, op.ro);
    EXPECT_EQ(oil.GetName(), "Shell Thermia B");
    EXPECT_EQ(oil.GetShortName(), "Thermal Oil");
    EXPECT_EQ(oil.GetTitle(), "Shell Thermia B 100.0");
}

TEST(FluidLiquid, UserProperties)
{
    TLiquid l("", 3, 1, 20, 20);
    l.UserProps = true;
    l.UserRo = 1000;
    l.UserCp = 4;
    l.UserMu = 0.002;
    l.UserKo = 0.0005;
    const double TMin = l.TMin, TMax = l.TMax;
    l.Update();
    EXPECT_EQ(l.ro, 1000);
    EXPECT_DOUBLE_EQ(l.Pr, 4 * 0.002 / 0.0005);
    EXPECT_EQ(l.TMin, TMin);
    EXPECT_EQ(l.TMax, TMax);
    EXPECT_EQ(l.GetName(), "User Specified Fluid");
    EXPECT_EQ(l.GetShortName(), "User Spec. Fluid");
    // A zero conductivity leaves the Prandtl number without a value.
    l.UserKo = 0;
    EXPECT_THROW(l.Update(), EMathError);
}

TEST(FluidLiquid, CompressedAirPressureTakesEffectAtUpdate)
{
    TLiquid air("", 13, 0.1, 100, 100);
    EXPECT_NEAR(air.ro, 4.667, 0.0005);
    EXPECT_EQ(air.GetName(), "Compressed Air (5.0-bar)");
    air.SetPf(10);
    EXPECT_EQ(air.GetPf(), 10);
    EXPECT_NEAR(air.ro, 4.667, 0.0005);
    EXPECT_EQ(air.GetName(), "Compressed Air (5.0-bar)");
    air.Update();
    EXPECT_NEAR(air.ro, 9.334, 0.001);
    EXPECT_EQ(air.GetName(), "Compressed Air (10.0-bar)");
    EXPECT_EQ(air.GetShortName(), "Comp Air");
}

TEST(FluidLiquid, UpdatesGiveEachKindItsOwnPropertiesWhateverCameBefore)
{
    // One thread updates liquids of every kind in turn, each after another kind: every update
    // gives what the kind's fit gives on its own, range included, nothing left from the last.
    TTransportProps alone[kLiquidKindCount];
    for (int k = 0; k < kLiquidKindCount; ++k)
        ASSERT_TRUE(LiquidProps(alone[k], k, 20, 5.0)) << k;
    for (int step = 0; step < 3 * kLiquidKindCount; ++step) {
        const int k = step * 5 % kLiquidKindCount; // every kind after several others
        SCOPED_TRACE(k);
        TLiquid l("", k, 1, 20, 20);
        l.Update();
        EXPECT_EQ(l.ro, alone[k].ro);
        EXPECT_EQ(l.Cp, alone[k].Cp);
        EXPECT_EQ(l.mu, alone[k].mu);
        EXPECT_EQ(l.Ko, alone[k].Ko);
        EXPECT_EQ(l.TMin, alone[k].TMin);
        EXPECT_EQ(l.TMax, alone[k].TMax);
    }
}

TEST(FluidCorrelations, OnePropsTakesEachKindsNamesWhateverCameBefore)
{
    // The names are copied only when the kind changes: one props evaluated for every kind in
    // turn, compressed air at two pressures among them, has the names a fresh one would have.
    const struct
    {
        int kind;
        double P;
    } steps[] = {{0, 5},  {0, 5},  {13, 5}, {13, 10}, {13, 10}, {0, 5},
                 {12, 5}, {13, 2}, {12, 5}, {4, 5},   {0, 5}};
    TTransportProps p;
    for (const auto& step : steps) {
        SCOPED_TRACE(std::to_string(step.kind) + " at " + std::to_string(step.P));
        TTransportProps fresh;
        ASSERT_TRUE(LiquidProps(fresh, step.kind, 60, step.P));
        ASSERT_TRUE(LiquidProps(p, step.kind, 60, step.P));
        EXPECT_EQ(p.Name, fresh.Name);
        EXPECT_EQ(p.ShortName, fresh.ShortName);
        EXPECT_EQ(p.TMin, fresh.TMin);
    }
    // Names set by hand are marked as no kind's: the next evaluation sets the kind's again.
    p.Name = "by hand";
    p.NamesKind = -1;
    CleanWaterProps(p, 20);
    EXPECT_EQ(p.Name, "Clean Water");
}

TEST(FluidLiquid, UnknownKindKeepsProperties)
{
    TLiquid l("", 0, 1, 20, 20);
    const double ro = l.ro, Pr = l.Pr;
    l.LiquidSpec = 20;
    l.SetT(80);
    EXPECT_EQ(l.ro, ro);
    EXPECT_EQ(l.Pr, Pr);
    EXPECT_EQ(l.GetName(), "");
}

} // namespace
} // namespace zmk
