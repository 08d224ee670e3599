// The liquid operating state and the tube side: heat into and out of the liquid under both
// controls, the velocity and capacity invariant, zero divisors, the tube coefficient, the
// liquid pressure drop, the pipe size and the zero-flow short cut.
#include "engine/LiquidState.h"

#include "CoilJob.h"
#include "base/Errors.h"
#include "engine/HeatExchanger.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

namespace zmk {
namespace {

// A liquid with constant user properties, so that the figures are exact.
TLiquid ConstantLiquid(double ro, double Cp, double m, double tfi)
{
    TLiquid l("User", 0, m, tfi, tfi);
    l.UserProps = true;
    l.UserRo = ro;
    l.UserCp = Cp;
    l.UserMu = 0.001;
    l.UserKo = 0.0006;
    l.Update();
    return l;
}

void ExpectInvariant(const TLiquidState& s)
{
    EXPECT_NEAR(s.vw, s.Liquid->m / s.Liquid->ro / s.FlowArea, 1e-12);
    EXPECT_NEAR(s.cw, s.Liquid->m * s.Liquid->Cp, 1e-12);
}

TEST(LiquidStateTest, HeatUnderBothControls)
{
    TLiquid l = ConstantLiquid(1000, 5, 1, 20);
    TLiquidState s;
    s.SetFlowArea(0.002);
    s.SetLiquid(l);
    ExpectInvariant(s);
    EXPECT_DOUBLE_EQ(s.GetVolumeFlow(), 1.0);

    // Fixed flow: m·Cp = 5 kW/K, 10 kW lift it 2 K.
    s.ctrl = wcFlow;
    s.AddHeat(10);
    EXPECT_DOUBLE_EQ(s.GetLeavingTemp(), 22);
    EXPECT_DOUBLE_EQ(s.designdt, 2);
    ExpectInvariant(s);
    s.RemoveHeat(10);
    EXPECT_DOUBLE_EQ(s.GetLeavingTemp(), 18);
    EXPECT_DOUBLE_EQ(s.designdt, 2);

    // Fixed temperature change: the flow follows.
    s.ctrl = wcTemp;
    s.designdt = 6;
    s.RemoveHeat(30);
    EXPECT_DOUBLE_EQ(s.GetLeavingTemp(), 14);
    EXPECT_DOUBLE_EQ(s.GetMassFlow(), 30 / (6 * 5.0));
    ExpectInvariant(s);
    s.AddHeat(60);
    EXPECT_DOUBLE_EQ(s.GetLeavingTemp(), 26);
    EXPECT_DOUBLE_EQ(s.GetMassFlow(), 2);

    // Any other control leaves the liquid alone.
    s.ctrl = 7;
    s.AddHeat(100);
    EXPECT_DOUBLE_EQ(s.GetLeavingTemp(), 26);

    s.SetVelocity(0.5);
    EXPECT_DOUBLE_EQ(s.GetMassFlow(), 0.5 * 1000 * 0.002);
    EXPECT_DOUBLE_EQ(s.vw, 0.5);
    s.SetFlowArea(0.004);
    EXPECT_DOUBLE_EQ(s.vw, 0.25);
    s.SetInletTemp(30);
    EXPECT_DOUBLE_EQ(s.GetInletTemp(), 30);
    ExpectInvariant(s);
}

TEST(LiquidStateTest, PropertiesFollowTheMeanTemperature)
{
    TLiquid water("Water", 0, 1.2, 60, 60);
    TLiquidState s;
    s.SetFlowArea(0.001);
    s.SetLiquid(water);
    const double cp60 = water.Cp;
    s.ctrl = wcTemp;
    s.designdt = 40;
    s.RemoveHeat(100);
    EXPECT_DOUBLE_EQ(water.t, 40);
    // The flow uses Cp at the new mean temperature.
    EXPECT_DOUBLE_EQ(s.GetMassFlow(), 100 / (water.Cp * 40));
    EXPECT_NE(water.Cp, cp60);
    ExpectInvariant(s);
}

TEST(LiquidStateTest, ZeroDivisorsRaiseArithmeticErrors)
{
    TLiquid l = ConstantLiquid(1000, 5, 1, 20);
    TLiquidState s;
    EXPECT_THROW(s.GetMassFlow(), ZmkError); // no liquid yet
    s.SetFlowArea(0.5);                      // stored only
    EXPECT_DOUBLE_EQ(s.FlowArea, 0.5);
    s.SetLiquid(l);
    s.ctrl = wcTemp;
    s.designdt = 0;
    EXPECT_THROW(s.AddHeat(10), EMathError);
    s.ctrl = wcFlow;
    s.SetMassFlow(0);
    EXPECT_THROW(s.RemoveHeat(10), EMathError);
    EXPECT_THROW(s.SetFlowArea(0), EMathError);
}

TEST(LiquidStateTest, PipeSizes)
{
    auto job = test::BuildJob(test::Defaults("hwc"));
    TLiquidCoil& c = *job->coil;
    const struct
    {
        double m;
        int size;
    } table[] = {{1.0, 35}, {0.1, 15}, {400, 450}, {2000, 750}, {0, 15}, {-1.0, 35}, {0.5, 20}};
    for (const auto& row : table) {
        job->liquid->m = row.m;
        EXPECT_EQ(c.PipeSize(), row.size) << row.m;
    }
    EXPECT_EQ(TZemtor("typical", 4, "533.4 1200 4r 10f 14c").TCustomHeatExchanger::PipeSize(), -1);
}

TEST(LiquidStateTest, TubeCoefficientAndPressureDrop)
{
    auto job = test::BuildJob(test::Defaults("hwc"));
    TLiquidCoil& c = *job->coil;
    const TLiquid& l = *job->liquid;
    const TTubeSideGeometry tube = c.TubeGeom;
    const double v = l.m / l.ro / tube.FlowArea;
    const double Re = l.ro * v * tube.ID / l.mu;
    const double expected = 0.026 * std::pow(Re, 0.8) * std::pow(l.Pr, 0.4) * l.Ko / tube.ID;
    EXPECT_NEAR(TLiquidCoil::TubeCoefficient(tube, l), expected, expected * 1e-12);
    // Reversed flow gives the same coefficient.
    TLiquid reversed = l;
    reversed.m = -l.m;
    EXPECT_NEAR(TLiquidCoil::TubeCoefficient(tube, reversed), expected, expected * 1e-12);

    // The pressure drop grows with the square of the velocity (a bit less: the friction falls).
    const double dp1 = c.LiquidPressureDrop();
    EXPECT_GT(dp1, 0);
    c.LiquidState->SetMassFlow(2 * l.m);
    const double dp2 = c.LiquidPressureDrop();
    EXPECT_GT(dp2, 3 * dp1);
    EXPECT_LT(dp2, 4 * dp1);
    c.LiquidDpFactor = 2;
    EXPECT_NEAR(c.LiquidPressureDrop(), 2 * dp2, 1e-12 * dp2);
}

TEST(LiquidStateTest, NoFlowShortCut)
{
    for (const char* kind : {"hwc", "cwc"}) {
        SCOPED_TRACE(kind);
        test::JobValues v = test::Defaults(kind);
        auto job = test::BuildJob(v);
        TLiquidCoil& c = *job->coil;
        c.LiquidState->SetMassFlow(0.0005 / job->liquid->Cp);
        EXPECT_NEAR(c.LiquidState->cw, 0.0005, 1e-15);
        EXPECT_EQ(c.Solve(), TSolveStatus::None);
        EXPECT_EQ(c.Qt, 0);
        EXPECT_EQ(c.Qs, 0);
        EXPECT_EQ(job->out.db, job->in.db);
        EXPECT_EQ(job->out.w, job->in.w);
        EXPECT_EQ(c.tsAirOut, job->in.dewpoint);

        // Under temperature control the liquid is restarted at 1 m/s and the coil rated.
        c.LiquidState->ctrl = wcTemp;
        EXPECT_EQ(c.Solve(), TSolveStatus::None);
        EXPECT_GT(std::fabs(c.Qt), 1);
    }
}

// A liquid state read from a project: what a second reading of the same element leaves is what
// the first left, for whole elements and odd ones (values missing, unreadable, out of range,
// repeated or unknown; an older file without the user's range; user properties; a liquid whose
// properties cannot be evaluated), so that the heat recovery coil reads its state once.
TEST(LiquidStateTest, ReadingTheStateAgainChangesNothing)
{
    const char* const bodies[] = {
        "",
        "<designdt>7.5</designdt><cw>3</cw><vw>1.1</vw><vwideal>1.3</vwideal><ctrl>0</ctrl>"
        "<liquid><Caption>Thermal Oil</Caption><t>90</t><tfi>80</tfi><tfo>100</tfo><m>1.4</m>"
        "<LiquidSpec>1</LiquidSpec><UserTMin>0</UserTMin><UserTMax>300</UserTMax></liquid>",
        "<designdt>x</designdt><vwideal>1e9</vwideal><ctrl>7</ctrl><liquid><tfi>abc</tfi><m>-1</m>"
        "<Cp>0</Cp><LiquidSpec>99</LiquidSpec><Unknown>1</Unknown></liquid>",
        "<liquid><tfi>20</tfi><tfi>30</tfi><m>2</m><LiquidSpec>0</LiquidSpec><WaterAdditive>1</WaterAdditive>"
        "<AdditiveVolume>0.3</AdditiveVolume></liquid><ctrl>0</ctrl><ctrl>1</ctrl>",
        "<liquid><UserProps>Yes</UserProps><UserRo>900</UserRo><UserCp>2.1</UserCp><UserMu>0.002</UserMu>"
        "<UserKo>0.00013</UserKo><Cp>5</Cp><ro>700</ro><tfo>45</tfo></liquid>",
        "<liquid><LiquidSpec>2</LiquidSpec><tfi>-59</tfi><tfo>899</tfo><Pf>0.5</Pf></liquid>"
        "<designdt>0.001</designdt>",
        "<liquid><UserTMin>50</UserTMin><UserTMax>10</UserTMax><Pr>7</Pr><mu>1e-3</mu></liquid>",
    };
    auto saved = [](TLiquidState& s) {
        TXMLFile out;
        TXMLFile::Node root;
        out.InitRoot("zmk", "test", root, "1");
        s.SaveToXML(out, root);
        std::ostringstream text;
        out.Document().save(text);
        return text.str();
    };
    for (const char* body : bodies) {
        SCOPED_TRACE(body);
        TXMLFile in;
        const std::string text = std::string("<zmk><liquidstate>") + body + "</liquidstate></zmk>";
        ASSERT_TRUE(in.Document().load_string(text.c_str()));
        TLiquid once("Thermal Oil", 1, 1.2, 80, 100);
        TLiquid twice = once;
        TLiquidState a, b;
        a.SetLiquid(once);
        b.SetLiquid(twice);
        a.LoadFromXML(in, in.Root());
        b.LoadFromXML(in, in.Root());
        b.LoadFromXML(in, in.Root());
        EXPECT_EQ(saved(a), saved(b));
        EXPECT_EQ(a.cw, b.cw);
        EXPECT_EQ(a.vw, b.vw);
    }
}

} // namespace
} // namespace zmk
