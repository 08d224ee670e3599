// The coils' result sections: the report table, the diagnostic block and the thermal summary of
// the heat recovery, hot water and chilled water coils, solved, unsolved and not converged.
#include "reports/CoilReports.h"

#include "engine/CoilJob.h"

#include "base/Errors.h"
#include "base/NumText.h"
#include "engine/HeatExchanger.h"
#include "geometry/CoilMakers.h"
#include "support/TempDir.h"
#include "units/ConvTools.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

namespace zmk {

namespace {

using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::Not;
using Lines = std::vector<std::string>;

// The coils use the source tree's catalogue through a scratch copy, and the default units.
class CoilReports : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const auto catalogue = dir_ / "CoilMakers.xml";
        std::filesystem::copy_file(ZMK_SOURCE_DIR "/data/Common Files/CoilMakers.xml", catalogue);
        ProcessCoilMakers().Reset(catalogue.string());
        Quantities().ResetDefaults();
    }
    void TearDown() override
    {
        ProcessCoilMakers().Reset("");
        Quantities().ResetDefaults();
    }

    // The default job of a kind, solved.
    std::unique_ptr<test::Job> Solved(const std::string& kind)
    {
        auto job = test::BuildJob(test::Defaults(kind));
        EXPECT_EQ(job->coil->Solve(), TSolveStatus::None);
        return job;
    }

    testing::TempDir dir_;
};

// A value with a tab or a blank before its label.
std::string Tab(UnitRec& q, double v)
{
    return QuantityText(q, true, "\t", false, v);
}
std::string Sp(UnitRec& q, double v)
{
    return QuantityText(q, true, " ", false, v);
}

// The line of the U value the duty used, while the duty takes the clean coefficients, and the
// thermal summary's note on it.
Lines DiagnosticUd(TLiquidCoil& c)
{
    return {"Ud = " + Sp(Quantities().hex_u_value, 1000 * c.UoDuty) + " (duty)",
            "(fouling not applied to the duty)"};
}
std::string SummaryUd(TLiquidCoil& c)
{
    return "Ud   = " + Sp(Quantities().hex_u_value, 1000 * c.UoDuty) + " (duty)";
}
const std::string kFoulingNote =
    "<pre class=\"warn\">Note: fouling not applied to the duty (Uo includes it; the duty used Ud).</pre>";

Lines Report(TLiquidCoil& c)
{
    Lines l;
    WriteCoilReport(c, l);
    return l;
}
Lines Diagnostics(TLiquidCoil& c)
{
    Lines l;
    WriteCoilDiagnostics(c, l);
    return l;
}
Lines Summary(TLiquidCoil& c)
{
    Lines l;
    WriteCoilThermalSummary(c, l);
    return l;
}

bool Contains(const Lines& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

} // namespace

TEST_F(CoilReports, ZemtorSolvedDefaultJob)
{
    auto job = Solved("zmk");
    TLiquidCoil& c = *job->coil;
    TQuantities& q = Quantities();
    const TAirState& out = job->out;
    const double tfo = c.LiquidState->GetLeavingTemp();
    const std::string liquid = job->liquid->GetName();
    ASSERT_FALSE(liquid.empty());

    const Lines report{
        "<p>&nbsp;</p>",
        "<table>",
        "<tr><td width=\"180\"></td><td width=\"100\"></td></tr>",
        "<tr><th colspan=\"2\">Model</th></tr>",
        "<tr><td colspan=\"2\">typical (1/2)</td></tr>",
        "<tr><td colspan=\"2\">533.4 x 1200  4r  10f  14c</td></tr>",
        "<tr><td>Fin Height</td><td>533.4 mm</td></tr>",
        "<tr><td>Finned Length</td><td>1200 mm</td></tr>",
        "<tr><td>Depth</td><td>132 mm</td></tr>",
        "<tr><td colspan=\"2\"></td></tr>",
        "<tr><th colspan=\"2\">Air</th></tr>",
        "<tr><td>Barometer</td><td>101.325\tkPa</td></tr>",
        "<tr><td>Altitude</td><td>0\tm</td></tr>",
        "<tr><td>Massflow</td><td>" + Tab(q.air_mass_flow, c.ma) + "</td></tr>",
        "<tr><td>Volume flow</td><td>1.73\tm³/s</td></tr>",
        "<tr><td>Velocity</td><td>2.70\tm/s</td></tr>",
        "<tr><td>On Coil</td><td>380\t°C</td></tr>",
        "<tr><td>Off Coil</td><td>" + Tab(q.air_t, out.db) + "</td></tr>",
        "<tr><td>Pressure Drop</td><td>" + Tab(q.air_dp, c.AirPressureDrop()) + "</td></tr>",
        "<tr><td colspan=\"2\"></td></tr>",
        "<tr><th colspan=\"2\">" + liquid + "</th></tr>",
        "<tr><td>Mass Flow</td><td>1.20 kg/s</td></tr>",
        "<tr><td>Velocity</td><td>" + Sp(q.liquid_v, c.LiquidState->vw) + "</td></tr>",
        "<tr><td>Inlet Temp.</td><td>80.0 °C</td></tr>",
        "<tr><td>Leaving Temp.</td><td>" + Sp(q.liquid_t, tfo) + "</td></tr>",
        "<tr><td>Pressure Drop</td><td>" + Tab(q.liquid_dp, c.LiquidPressureDrop()) + "</td></tr>",
        "<tr><td colspan=\"2\"></td></tr>",
        "<tr><th colspan=\"2\">Performance</th></tr>",
        "<tr><td>Duty</td><td>" + Tab(q.hex_duty, c.Qt) + "</td></tr>",
        "</table>",
    };
    EXPECT_THAT(Report(c), ElementsAreArray(report));

    // The air-side lines use the air's capacity rate over its actual change.
    const double qa = c.Ca * (out.db - 380);
    const Lines diagnostics{
        "<pre>",
        "<b>Model</b>",
        "typical (1/2)",
        "533.4 x 1200  4r  10f  14c",
        "",
        "<b>Areas and Volumes</b>",
        "Ao = " + Sp(q.hex_area, c.Ao),
        "Ai = " + Sp(q.hex_area, c.Ai),
        "Vi = " + Sp(q.hex_vol, c.Vi),
        "",
        "<b>Heat Transfer</b>",
        "ho = " + Sp(q.hex_u_value, 1000 * c.ho),
        "Ui = " + Sp(q.hex_u_value, 1000 * c.Ui),
        "Uo = " + Sp(q.hex_u_value, 1000 * c.Uo),
        DiagnosticUd(c)[0],
        DiagnosticUd(c)[1],
        Format("Ntu = %0.3f", c.Ntu),
        Format("e = %0.3f", c.e),
        "e mC(tfi-tai) = " + Sp(q.hex_duty, (80 - 380) * c.e * c.Ca),
        "",
        "<b>Air Side Duty</b>",
        Format("&beta; = %0.3f (bypass)", c.BypassFactor),
        "mC(air) = " + Sp(q.air_mc, c.Ca),
        "mC(dbo-dbi) = " + Sp(q.hex_duty, qa),
        "Rate = " + Sp(q.hex_duty_per_volflow, std::fabs(qa / c.Va)),
        "tao = " + Sp(q.air_t, out.db),
        "wao = 5.00 g/kg",
        "dp = " + Sp(q.air_dp, c.AirPressureDrop()),
        "",
        "<b>Fluid Side Duty</b>",
        "mC(liq) = " + Sp(q.liquid_mc, c.LiquidState->cw),
        "tfi = 80.0 °C",
        "tfo = " + Sp(q.liquid_t, tfo),
        "dp = " + Sp(q.liquid_dp, c.LiquidPressureDrop()),
        "Q = mC(tfi-tfo) = " + Sp(q.hex_duty, (80 - tfo) * c.LiquidState->cw),
        Format("Re = %0.0f (transition flow)", c.TubeResult.Re),
        "</pre>",
    };
    const Lines diag = Diagnostics(c);
    EXPECT_THAT(diag, ElementsAreArray(diagnostics));
    // Heat recovery from hot air: the three duties carry a minus sign, the liquid warms up.
    for (int i : {18, 23, 34})
        EXPECT_THAT(diag[i], HasSubstr("= -")) << diag[i];

    const Lines summary{
        "<pre>",
        "Af   = 0.640 m² (face)",
        "Ao   = " + Sp(q.hex_area, c.Ao) + " (air side)",
        "Uo   = " + Sp(q.hex_u_value, 1000 * c.Uo),
        SummaryUd(c),
        "&delta;t   = " + Sp(q.hex_dt, LogMeanDt(380, out.db, 80, tfo)) + " (log mean)",
        Format("&epsilon;    = %0.3f (effectiveness)", c.e),
        "",
        "Air Cooling",
        "dbo  = " + Sp(q.air_t, out.db),
        "wao  = 5.00 g/kg",
        "dpa  = " + Sp(q.air_dp, c.AirPressureDrop()),
        "",
        liquid,
        "tfo  = " + Sp(q.liquid_t, tfo),
        "dpf  = " + Sp(q.liquid_dp, c.LiquidPressureDrop()),
        "",
        "Duty",
        "rate = " + Sp(q.hex_duty_per_volflow, c.Qt / c.Va),
        "Qt   = " + Sp(q.hex_duty, c.Qt),
        "</pre>",
        kFoulingNote,
        // The default oil runs in the transition range: the result says so.
        "<pre class=\"warn\">Warning: " + WarningText(c.Warnings.at(0), false) + "</pre>",
    };
    EXPECT_THAT(Summary(c), ElementsAreArray(summary));
    EXPECT_THAT(Summary(c).back(), HasSubstr("transition range"));
}

TEST_F(CoilReports, CondensingZemtorShowsItsCondensateAndSensibleDuty)
{
    // Humid exhaust air cooled below its dew point by water.
    test::JobValues v = test::Defaults("zmk");
    v.dbi = 200;
    v.wai = 0.05;
    v.LiquidSpec = 0;
    v.LiquidCaption = "Water";
    v.twi = 20;
    v.mw = 5;
    v.Rows = 8;
    v.fpi = 14;
    auto job = test::BuildJob(v);
    TLiquidCoil& c = *job->coil;
    ASSERT_EQ(c.Solve(), TSolveStatus::None) << c.Reason;
    ASSERT_EQ(c.SurfaceCondition, scPartWet);
    TQuantities& q = Quantities();
    const Lines summary = Summary(c);
    const auto wao = std::find(summary.begin(), summary.end(), "wao  = " + Sp(q.air_w, job->out.w));
    ASSERT_NE(wao, summary.end());
    EXPECT_EQ(*(wao + 1), "cond = " + Sp(q.general_cond_rate, c.MoistureRemoval()) + " (Part-Wet)");
    EXPECT_THAT(*(wao + 1), HasSubstr(" g/s (Part-Wet)"));
    const auto qt = std::find(summary.begin(), summary.end(), "Qt   = " + Sp(q.hex_duty, c.Qt));
    ASSERT_NE(qt, summary.end());
    EXPECT_EQ(*(qt - 1), "Qs   = " + Sp(q.hex_duty, c.Qs));
    // The moisture condenses: no word of a saturation limit or of vapour kept.
    for (const std::string& line : summary)
        EXPECT_THAT(line, Not(HasSubstr("saturation")));
    // Results read back from a project keep their air states but not the surface condition:
    // the condensate still shows, without the condition.
    c.SurfaceCondition = scDry;
    EXPECT_TRUE(Contains(Summary(c), "cond = " + Sp(q.general_cond_rate, c.MoistureRemoval())));

    // The dry default job shows neither line.
    auto dry = Solved("zmk");
    for (const std::string& line : Summary(*dry->coil)) {
        EXPECT_THAT(line, Not(HasSubstr("cond =")));
        EXPECT_THAT(line, Not(HasSubstr("Qs   =")));
    }
}

TEST_F(CoilReports, HotWaterCoilUsesTheLiquidCoilForm)
{
    auto job = Solved("hwc");
    TLiquidCoil& c = *job->coil;
    TQuantities& q = Quantities();
    const TAirState& out = job->out;
    const double tfo = c.LiquidState->GetLeavingTemp();
    const std::string liquid = job->liquid->GetName();
    // A sensible duty, the same as the total to rounding (the leaving dry bulb is solved for):
    // the report shows one duty.
    ASSERT_NEAR(c.Qs, c.Qt, 1e-12 * c.Qt);

    const Lines report{
        "<p>&nbsp;</p>",
        "<table>",
        "<tr><td width=\"180\"></td><td width=\"100\"></td></tr>",
        "<tr><th colspan=\"2\">Model</th></tr>",
        "<tr><td colspan=\"2\">typical: 1/2&quot; 33x38.1 (Cu/Al/GI)</td></tr>",
        "<tr><td colspan=\"2\">533.4 x 1200  4r  10f  14c</td></tr>",
        "<tr><td>Fin Height</td><td>21.0 inch</td></tr>",
        "<tr><td>Finned Length</td><td>1200 mm</td></tr>",
        "<tr><td>Depth</td><td>132 mm</td></tr>",
        "<tr><td colspan=\"2\"></td></tr>",
        "<tr><th colspan=\"2\">Air</th></tr>",
        "<tr><td>Barometer</td><td>101.325 kPa</td></tr>",
        "<tr><td>Altitude</td><td>0 m</td></tr>",
        "<tr><td>Massflow</td><td>" + Sp(q.air_mass_flow, c.ma) + "</td></tr>",
        "<tr><td>Volflow in</td><td>1.73 m³/s</td></tr>",
        "<tr><td>Velocity</td><td>2.70 m/s</td></tr>",
        "<tr><td>On Coil</td><td>5.00 °C</td></tr>",
        "<tr><td>Off Coil</td><td>" + Sp(q.air_t, out.db) + "</td></tr>",
        "<tr><td>Pressure Drop</td><td>" + Sp(q.air_dp, c.AirPressureDrop()) + "</td></tr>",
        "<tr><td colspan=\"2\"></td></tr>",
        "<tr><th colspan=\"2\">" + liquid + "</th></tr>",
        "<tr><td>Mass Flow</td><td>1.20 kg/s</td></tr>",
        "<tr><td>Velocity</td><td>" + Sp(q.liquid_v, c.LiquidState->vw) + "</td></tr>",
        "<tr><td>Inlet Temp.</td><td>60.0 °C</td></tr>",
        "<tr><td>Leaving Temp.</td><td>" + Sp(q.liquid_t, tfo) + "</td></tr>",
        "<tr><td>Pressure Drop</td><td>" + Sp(q.liquid_dp, c.LiquidPressureDrop()) + "</td></tr>",
        "<tr><td colspan=\"2\"></td></tr>",
        "<tr><th colspan=\"2\">Performance</th></tr>",
        "<tr><td>Total duty</td><td>" + Sp(q.hex_duty, c.Qt) + "</td></tr>",
        "</table>",
    };
    EXPECT_THAT(Report(c), ElementsAreArray(report));

    const Lines diag = Diagnostics(c);
    ASSERT_EQ(diag.size(), 36u); // no "wao" line
    EXPECT_THAT(Lines(diag.begin() + 14, diag.begin() + 16), ElementsAreArray(DiagnosticUd(c)));
    EXPECT_EQ(diag[18], "e mC(tfi-tai) = " + Sp(q.hex_duty, (60 - 5) * c.e * c.Ca));
    EXPECT_EQ(diag[34], Format("Re = %0.0f (turbulent flow)", c.TubeResult.Re));
    EXPECT_EQ(diag[25], "tao = " + Sp(q.air_t, out.db));
    EXPECT_EQ(diag[26], "dp = " + Sp(q.air_dp, c.AirPressureDrop()));
    // A heating coil: the liquid cools, so the liquid-side duty is positive.
    EXPECT_EQ(diag[33], "Q = mC(tfi-tfo) = " + Sp(q.hex_duty, (60 - tfo) * c.LiquidState->cw));
    EXPECT_THAT(diag[33], Not(HasSubstr("= -"))) << diag[33];

    const Lines summary{
        "<pre>",
        "Af   = 0.640 m² (face)",
        "Ao   = " + Sp(q.hex_area, c.Ao) + " (air side)",
        "Uo   = " + Sp(q.hex_u_value, 1000 * c.Uo),
        SummaryUd(c),
        // A heating coil's mean difference is negative; the page shows its magnitude.
        "&delta;t   = " + Sp(q.hex_dt, -LogMeanDt(5, out.db, 60, tfo)) + " (log mean)",
        Format("&epsilon;    = %0.3f (effectiveness)", c.e),
        "",
        "Air Heating",
        "dbo  = " + Sp(q.air_t, out.db),
        "Wao  = 4.00 g/kg",
        "dpa  = " + Sp(q.air_dp, c.AirPressureDrop()),
        "",
        liquid,
        "tfo  = " + Sp(q.liquid_t, tfo),
        "dpf  = " + Sp(q.liquid_dp, c.LiquidPressureDrop()),
        "",
        "Duty",
        "rate = " + Sp(q.hex_duty_per_volflow, c.Qt / c.Va),
        "Qt   = " + Sp(q.hex_duty, c.Qt),
        "</pre>",
        kFoulingNote,
    };
    EXPECT_THAT(Summary(c), ElementsAreArray(summary));
}

TEST_F(CoilReports, ChilledWaterCoilWritesItsOwnRowsAndDuties)
{
    auto job = Solved("cwc");
    TLiquidCoil& c = *job->coil;
    TQuantities& q = Quantities();
    const TAirState& in = job->in;
    const TAirState& out = job->out;
    const double tfo = c.LiquidState->GetLeavingTemp();
    ASSERT_GT(c.Qt - c.Qs, 1) << "the default cooling coil condenses";

    const Lines report = Report(c);
    const Lines air{
        "<tr><th colspan=\"2\">Air</th></tr>",
        "<tr><td>Barometer</td><td>101.325 kPa</td></tr>",
        "<tr><td>Altitude</td><td>0 m</td></tr>",
        "<tr><td>Massflow</td><td>" + Sp(q.air_mass_flow, c.ma) + "</td></tr>",
        "<tr><td>Vol flow (in)</td><td>1.60 m³/s</td></tr>",
        "<tr><td>Velocity</td><td>2.50 m/s</td></tr>",
        "<tr><td>On Coil</td><td>24.0 °C</td></tr>",
        "<tr><td>Air On RH</td><td>" + Sp(q.air_rh, in.rh) + "</td></tr>",
        "<tr><td>Off Coil</td><td>" + Sp(q.air_t, out.db) + "</td></tr>",
        "<tr><td>Air Off RH</td><td>" + Sp(q.air_rh, out.rh) + "</td></tr>",
        "<tr><td>Cond Rate</td><td>" + Sp(q.general_cond_rate, (in.w - out.w) * c.DryAirFlow()) +
            "</td></tr>",
        "<tr><td>Pressure Drop</td><td>" + Sp(q.air_dp, c.AirPressureDrop()) + "</td></tr>",
    };
    ASSERT_EQ(report.size(), 35u);
    EXPECT_THAT(Lines(report.begin() + 10, report.begin() + 22), ElementsAreArray(air));
    EXPECT_EQ(report[4], "<tr><td colspan=\"2\">typical: 1/2&quot; 33x38.1 (Cu/Al/GI)</td></tr>");
    const Lines performance{
        "<tr><th colspan=\"2\">Performance</th></tr>",
        Format("<tr><td>SHR</td><td>%0.3f</td></tr>", c.Qs / c.Qt),
        "<tr><td>Sensible duty</td><td>" + Sp(q.hex_duty, c.Qs) + "</td></tr>",
        "<tr><td>Total duty</td><td>" + Sp(q.hex_duty, c.Qt) + "</td></tr>",
        "</table>",
    };
    EXPECT_THAT(Lines(report.end() - 5, report.end()), ElementsAreArray(performance));

    const double qh = (out.h - in.h) * c.DryAirFlow();
    const Lines airDuty{
        "<b>Air Side Duty</b>",
        Format("&beta; = %0.3f (bypass)", c.BypassFactor),
        "Apparatus Dew Point = " + Sp(q.air_t, c.ADP),
        "mC(air) = " + Sp(q.air_mc, c.Ca),
        "mC(dbo-dbi) = " + Sp(q.hex_duty, c.Ca * (out.db - 24)),
        "ma(hao-hai) = <span class=\"peak\">" + QuantityText(q.hex_duty, false, "", false, qh) + "</span> kW",
        "Rate = " + Sp(q.hex_duty_per_volflow, std::fabs(qh / c.Va)),
        "tao = " + QuantityPairText(q.air_t, true, " ", false, out.db, out.wb),
        "dp = " + Sp(q.air_dp, c.AirPressureDrop()),
        "",
        "<b>Fluid Side Duty</b>",
        "mC(liq) = " + Sp(q.liquid_mc, c.LiquidState->cw),
        "tfi = 5.00 °C",
        "tfo = " + Sp(q.liquid_t, tfo),
        "dp = " + Sp(q.liquid_dp, c.LiquidPressureDrop()),
        "mC(tfo-tfi) = <span class=\"peak\">" +
            QuantityText(q.hex_duty, false, "", false, (tfo - 5) * c.LiquidState->cw) + "</span> kW",
        Format("Re = %0.0f (transition flow)", c.TubeResult.Re),
        "</pre>",
    };
    const Lines diag = Diagnostics(c);
    ASSERT_EQ(diag.size(), 38u);
    EXPECT_THAT(Lines(diag.begin() + 14, diag.begin() + 16), ElementsAreArray(DiagnosticUd(c)));
    EXPECT_EQ(diag[18], "e Qmax = <span class=\"peak\">" +
                            QuantityText(q.hex_duty, false, "", false, c.e * c.Qmax) + "</span> kW");
    EXPECT_THAT(Lines(diag.begin() + 20, diag.end()), ElementsAreArray(airDuty));
    EXPECT_THAT(qh, ::testing::Lt(0)) << "the air gives up enthalpy";

    // The summary is the liquid coil's, with the condensate of the part-wet surface and the
    // sensible duty because the two duties differ.
    const Lines summary = Summary(c);
    ASSERT_EQ(summary.size(), 25u); // with the fouling note and the transition range warning
    EXPECT_EQ(summary[4], SummaryUd(c));
    EXPECT_EQ(summary[8], "Air Cooling");
    EXPECT_EQ(summary[10], "Wao  = " + Sp(q.air_w, out.w));
    EXPECT_EQ(summary[11], "cond = " + Sp(q.general_cond_rate, c.MoistureRemoval()) + " (Part-Wet)");
    EXPECT_EQ(summary[20], "Qs   = " + Sp(q.hex_duty, c.Qs));
    EXPECT_EQ(summary[21], "Qt   = " + Sp(q.hex_duty, c.Qt));
    EXPECT_EQ(summary[23], kFoulingNote);
    EXPECT_FALSE(Contains(summary, "<pre id=\"status\">Not solved...</pre>"));
}

TEST_F(CoilReports, UdSaysWhichUTheDutyUsed)
{
    TQuantities& q = Quantities();
    for (const char* kind : {"zmk", "hwc", "cwc"}) {
        SCOPED_TRACE(kind);
        // The clean coefficients: the duty's U is above the fouled Uo shown, and the pages say so.
        auto clean = Solved(kind);
        TLiquidCoil& c = *clean->coil;
        EXPECT_TRUE(Contains(Summary(c), SummaryUd(c)));
        EXPECT_TRUE(Contains(Summary(c), kFoulingNote));
        EXPECT_TRUE(Contains(Diagnostics(c), DiagnosticUd(c)[0]));
        EXPECT_TRUE(Contains(Diagnostics(c), DiagnosticUd(c)[1]));
        EXPECT_NE(Sp(q.hex_u_value, 1000 * c.Uo), Sp(q.hex_u_value, 1000 * c.UoDuty));
        // The fouled Uo in the duty: the same value twice, and no note.
        auto fouled = test::BuildJob(test::Defaults(kind));
        TLiquidCoil& f = *fouled->coil;
        f.FoulingInDuty = true;
        ASSERT_EQ(f.Solve(), TSolveStatus::None);
        const std::string u = Sp(q.hex_u_value, 1000 * f.Uo);
        const Lines summary = Summary(f);
        EXPECT_TRUE(Contains(summary, "Uo   = " + u));
        EXPECT_TRUE(Contains(summary, "Ud   = " + u + " (duty)"));
        EXPECT_FALSE(Contains(summary, kFoulingNote));
        const Lines diag = Diagnostics(f);
        EXPECT_TRUE(Contains(diag, "Ud = " + u + " (duty, fouled)"));
        EXPECT_FALSE(Contains(diag, DiagnosticUd(c)[1]));
    }
}

TEST_F(CoilReports, FrostIsWarnedOfInTheSummary)
{
    test::JobValues v = test::Defaults("cwc");
    v.LiquidSpec = 5; // calcium chloride brine at -13.7 °C, 6 kg/s
    v.twi = -13.7;
    v.two = -8;
    v.mw = 6;
    auto job = test::BuildJob(v);
    TLiquidCoil& c = *job->coil;
    ASSERT_EQ(c.Solve(), TSolveStatus::None);
    const Lines summary = Summary(c);
    EXPECT_TRUE(std::any_of(summary.begin(), summary.end(), [](const std::string& line) {
        return line.starts_with(
            "<pre class=\"warn\">Warning: The fin surface falls below 0 °C: frost will form "
            "and the rating does not account for it (coldest surface -");
    })) << ::testing::PrintToString(summary);
    auto plain = Solved("cwc");
    const Lines plainSummary = Summary(*plain->coil);
    EXPECT_FALSE(std::any_of(plainSummary.begin(), plainSummary.end(), [](const std::string& line) {
        return line.find("frost") != std::string::npos;
    }));
}

TEST_F(CoilReports, StatusRowAndNotSolvedLine)
{
    for (const char* kind : {"zmk", "hwc", "cwc"}) {
        SCOPED_TRACE(kind);
        auto job = Solved(kind);
        TLiquidCoil& c = *job->coil;
        c.Status = TSolveStatus::CountOut;
        const Lines report = Report(c);
        ASSERT_GE(report.size(), 2u);
        EXPECT_EQ(report[report.size() - 2], "<tr><td colspan=\"2\">Solve StatusCountOut</td></tr>");
        EXPECT_EQ(report.back(), "</table>");
        EXPECT_EQ(Summary(c).back(), "<pre id=\"status\">Not solved...</pre>");

        c.Status = TSolveStatus::DataError;
        EXPECT_EQ(Report(c)[Report(c).size() - 2], "<tr><td colspan=\"2\">Solve StatusDataError</td></tr>");
    }
}

TEST_F(CoilReports, NotConvergedZemtorEndsWithItsStatus)
{
    // An effectiveness that never settles keeps the heat recovery solve from converging.
    auto job = test::BuildJob(test::Defaults("zmk"));
    TLiquidCoil& c = *job->coil;
    int pass = 0;
    c.EffectivenessFn = [&pass](double, double) { return ++pass % 2 ? 0.4 : 0.6; };
    ASSERT_EQ(c.Solve(), TSolveStatus::CountOut);
    const Lines report = Report(c);
    EXPECT_EQ(report[report.size() - 2], "<tr><td colspan=\"2\">Solve StatusCountOut</td></tr>");
    EXPECT_EQ(Summary(c).back(), "<pre id=\"status\">Not solved...</pre>");
}

TEST_F(CoilReports, UnsolvedCoilPrintsItsCurrentFields)
{
    for (const char* kind : {"zmk", "hwc", "cwc"}) {
        SCOPED_TRACE(kind);
        auto job = test::BuildJob(test::Defaults(kind));
        TLiquidCoil& c = *job->coil;
        ASSERT_EQ(c.Qt, 0);
        const Lines report = Report(c);
        EXPECT_EQ(report.back(), "</table>");
        EXPECT_FALSE(Contains(report, "<tr><td colspan=\"2\">Solve StatusNone</td></tr>"));
        const Lines summary = Summary(c);
        ASSERT_GE(summary.size(), 2u);
        EXPECT_EQ(summary[summary.size() - 2], "</pre>");
        EXPECT_EQ(summary.back(), kFoulingNote);
        EXPECT_TRUE(Contains(summary, "Qt   = 0 kW")) << ::testing::PrintToString(summary);
        EXPECT_EQ(Diagnostics(c).back(), "</pre>");
    }
}

TEST_F(CoilReports, DutiesDifferOnlyBeyondRounding)
{
    struct Row
    {
        double Qt, Qs;
        bool different;
    };
    const Row rows[] = {
        {100, 100, false},
        {100, 100 * (1 + 1e-13), false},
        {100, 100 * (1 + 1e-11), true},
        {0, 0, false},
        {0, 5e-13, false},
        {0, 5, true},
        {0, -5, true},
        {29.2, 22.1, true},
    };
    auto job = Solved("hwc");
    TLiquidCoil& c = *job->coil;
    TQuantities& q = Quantities();
    for (const Row& r : rows) {
        SCOPED_TRACE(::testing::PrintToString(r.Qt) + " " + ::testing::PrintToString(r.Qs));
        c.Qt = r.Qt;
        c.Qs = r.Qs;
        const Lines report = Report(c);
        const Lines summary = Summary(c);
        const bool shr = std::any_of(report.begin(), report.end(),
                                     [](const std::string& l) { return l.starts_with("<tr><td>SHR</td>"); });
        EXPECT_EQ(shr, r.different);
        EXPECT_EQ(Contains(summary, "Qs   = " + Sp(q.hex_duty, r.Qs)), r.different);
        if (r.different && r.Qt == 0) { // the ratio of a zero total duty is the largest real, signed
            EXPECT_TRUE(Contains(
                report, Format("<tr><td>SHR</td><td>%0.3f</td></tr>", std::copysign(1.7e308, r.Qs))));
        }
    }
}

TEST_F(CoilReports, ZemtorRowsInMillimetresSprayAndSaturationWarning)
{
    auto values = test::Defaults("zmk");
    auto job = test::BuildJob(values);
    TLiquidCoil& c = *job->coil;
    c.Spray = true;
    ASSERT_EQ(c.Solve(), TSolveStatus::None);
    TQuantities& q = Quantities();
    q.fat_height.display = 1; // whatever the unit, the heat recovery report says mm
    q.fat_length.display = 1;
    const Lines report = Report(c);
    EXPECT_TRUE(Contains(report, "<tr><td>Fin Height</td><td>533.4 mm</td></tr>"));
    const auto dp =
        std::find(report.begin(), report.end(),
                  "<tr><td>Pressure Drop</td><td>" + Tab(q.air_dp, c.AirPressureDrop()) + "</td></tr>");
    ASSERT_NE(dp, report.end());
    EXPECT_EQ(*(dp + 1), "<tr><td>Recirculating sprays</td><td>ON</td></tr>");

    const std::string warning =
        "<pre class=\"warn\">Warning: Sensible cooling has been limited by the saturation line.</pre>";
    EXPECT_FALSE(Contains(Summary(c), warning));
    job->out.w = job->in.w + 0.001; // leaving air wetter than entering
    EXPECT_EQ(Summary(c).back(), warning);
    job->out.w = job->in.w;
    job->out.rh = 1.01; // leaving air above saturation
    EXPECT_EQ(Summary(c).back(), warning);
    c.Status = TSolveStatus::CountOut; // the status line follows the warning
    const Lines summary = Summary(c);
    EXPECT_EQ(summary[summary.size() - 2], warning);
    EXPECT_EQ(summary.back(), "<pre id=\"status\">Not solved...</pre>");
}

TEST_F(CoilReports, ProjectAndCatalogueTextsAreEscaped)
{
    for (const char* kind : {"zmk", "hwc", "cwc"}) {
        SCOPED_TRACE(kind);
        auto job = Solved(kind);
        TLiquidCoil& c = *job->coil;
        c.Geometry->Rec.Mnf = "<b>Acme & \"Sons\"</b>";
        c.Geometry->Rec.Model = "<script>alert(1)</script>";
        std::string all;
        for (const Lines& lines : {Report(c), Diagnostics(c), Summary(c)})
            for (const std::string& l : lines)
                all += l + "\n";
        EXPECT_THAT(all, Not(HasSubstr("<script>")));
        EXPECT_THAT(all, Not(HasSubstr("<b>Acme")));
        EXPECT_THAT(all, HasSubstr("&lt;b&gt;Acme &amp; &quot;Sons&quot;&lt;/b&gt;"));
        EXPECT_THAT(all, HasSubstr("&lt;script&gt;alert(1)&lt;/script&gt;"));
    }
}

TEST_F(CoilReports, UnattachedCoilIsAnError)
{
    TZemtor coil("typical", 4, "533.4 1200 4r 10f 14c");
    Lines lines;
    EXPECT_THROW(WriteCoilReport(coil, lines), ZmkError);
    EXPECT_THROW(WriteCoilDiagnostics(coil, lines), ZmkError);
    EXPECT_THROW(WriteCoilThermalSummary(coil, lines), ZmkError);
    TLiquidState state;
    EXPECT_THROW(WriteLiquidRows(state, lines), ZmkError);
}

} // namespace zmk
