// The fin-and-tube editor on the default jobs' coils (56 tubes: 4 rows, 14 high on the 1/2 inch
// pattern, 14 circuits): the spin sequences, the leave-field rules, the air flow on a change of
// face area, the summary page with its blend colours, the sizing labels, the circuit picture,
// the coil maker and design settings buttons, and Cancel putting the coil back.
#include "dialogs/FatEditor.h"

#include "support/FieldTyping.h"

#include "support/ProjectTestSession.h"
#include "support/TempDir.h"

#include "base/Errors.h"
#include "base/NumText.h"
#include "base/Paths.h"
#include "engine/HeatExchanger.h"
#include "units/ConvTools.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <memory>
#include <string_view>

namespace zmk {
namespace {

using test::TypeAndExit;

double Number(const TFmtEdit& field)
{
    return ReadFieldNumber(field).value_or(NAN);
}

bool HasLine(const std::vector<std::string>& lines, std::string_view text)
{
    return std::find(lines.begin(), lines.end(), text) != lines.end();
}

// The summary line that starts with a text, or "".
std::string LineStarting(const std::vector<std::string>& lines, std::string_view start)
{
    for (const std::string& l : lines)
        if (l.rfind(start, 0) == 0)
            return l;
    return {};
}

// The summary line that holds a text, or "".
std::string LineContaining(const std::vector<std::string>& lines, std::string_view part)
{
    for (const std::string& l : lines)
        if (l.find(part) != std::string::npos)
            return l;
    return {};
}

// ---- the rules alone -----------------------------------------------------------------------------

TEST(FatEditorRules, SpinSequences)
{
    // Rows 1..6 one at a time, then even numbers; down the same way.
    std::vector<double> up{1};
    while (auto next = SpinRows(up.back(), true))
        up.push_back(*next);
    EXPECT_EQ(up, (std::vector<double>{1, 2, 3, 4, 5, 6, 8, 10, 12, 14, 16, 18, 20}));
    std::vector<double> down{20};
    while (auto next = SpinRows(down.back(), false))
        down.push_back(*next);
    std::reverse(down.begin(), down.end());
    EXPECT_EQ(down, up);
    const struct
    {
        double from;
        bool up;
        std::optional<double> rows, fins;
    } steps[] = {
        {6, true, 8, 8},
        {8, false, 6, 6},
        {7, true, 8, 8},
        {5, true, 6, 6},
        {7, false, 6, 6},
        {10, true, 12, 12},
        {11, true, 12, 12},
        {10, false, 8, 8},
        {9, false, 8, 8},
        {20, true, std::nullopt, 22},
        {1, false, std::nullopt, std::nullopt},
        {30, true, std::nullopt, std::nullopt},
        {2, false, 1, std::nullopt},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.from);
        if (s.from <= 20) {
            EXPECT_EQ(SpinRows(s.from, s.up), s.rows);
        }
        EXPECT_EQ(SpinFinDensity(s.from, s.up), s.fins);
    }

    // Fin pitch to whole millimetres; down only above 1.1 mm.
    const struct
    {
        double pitch;
        bool up;
        std::optional<double> to;
    } pitches[] = {
        {2.54, true, 3}, {2.54, false, 2},           {3, false, 2},
        {3, true, 4},    {1.1, false, std::nullopt}, {1.05, false, std::nullopt},
        {1.5, false, 1}, {39.5, true, 40},           {40, true, std::nullopt},
    };
    for (const auto& p : pitches)
        EXPECT_EQ(SpinFinPitch(p.pitch, p.up), p.to) << p.pitch << (p.up ? " up" : " down");

    // Circuits through the divisors of 56 tubes.
    std::vector<double> circuits{1};
    while (auto next = SpinCircuits(4, 14, 56, circuits.back(), true)) {
        if (*next == circuits.back())
            break;
        circuits.push_back(*next);
    }
    EXPECT_EQ(circuits, (std::vector<double>{1, 2, 4, 7, 8, 14, 28, 56}));
    EXPECT_EQ(SpinCircuits(4, 14, 56, 14, false), 8.0);
    EXPECT_EQ(SpinCircuits(4, 14, 56, 14, true), 28.0);
    EXPECT_EQ(SpinCircuits(4, 14, 56, 56, true), 56.0); // up from 56 leaves 56
    EXPECT_EQ(SpinCircuits(4, 14, 56, 1, false), std::nullopt);
    // A circuit count that divides nothing steps to the next divisor.
    EXPECT_EQ(SpinCircuits(4, 14, 56, 10, false), 8.0);
    EXPECT_EQ(SpinCircuits(4, 14, 56, 10, true), 14.0);

    // Whole tube pairs of the fin height; nothing beyond the field's range.
    EXPECT_NEAR(*SpinStepped(0.5334, 0.0762, 0.0127, 9.144, true), 0.6096, 1e-12);
    EXPECT_NEAR(*SpinStepped(0.5334, 0.0762, 0.0127, 9.144, false), 0.4572, 1e-12);
    EXPECT_EQ(SpinStepped(0.0762, 0.0762, 0.0127, 9.144, false), std::nullopt);
    EXPECT_NEAR(*SpinStepped(1.23, 0.1, 0.1, 10, true), 1.3, 1e-12);
    EXPECT_EQ(SpinStepped(10, 0.1, 0.1, 10, true), std::nullopt);
}

TEST(FatEditorRules, BlendColours)
{
    const struct
    {
        double value, lo, hi;
        const char* colour;
    } cases[] = {
        {2.4, 2.4, 3.1, "#000000"}, {2.0, 2.4, 3.1, "#000000"},  {3.1, 2.4, 3.1, "#ff4500"},
        {4.0, 2.4, 3.1, "#ff4500"}, {2.75, 2.4, 3.1, "#602820"}, {125, 0, 250, "#602820"},
        {1.0, 1, 0, "#000000"},     {0.0, 1, 0, "#ff4500"},      {0.5, 1, 0, "#602820"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BlendColour(c.value, c.lo, c.hi), c.colour) << c.value << " in " << c.lo << ".." << c.hi;
    // Half-way in hue, saturation and lightness.
    const THsl half = BlendHsl(2.75, 2.4, 3.1);
    const THsl end = BlendHsl(3.1, 2.4, 3.1);
    EXPECT_NEAR(end.H, 60.0 * 69 / 255, 1e-12);
    EXPECT_DOUBLE_EQ(end.S, 1);
    EXPECT_DOUBLE_EQ(end.L, 0.5);
    EXPECT_NEAR(half.H, end.H / 2, 1e-9);
    EXPECT_NEAR(half.S, 0.5, 1e-9);
    EXPECT_NEAR(half.L, 0.25, 1e-9);
    EXPECT_EQ(BlendColour(NAN, 0, 1), "#000000");
}

TEST(FatEditorRules, AutoSizeNamesAndLabels)
{
    for (TAutoSize mode : {TAutoSize::FaceArea, TAutoSize::Height, TAutoSize::Length, TAutoSize::Rows,
                           TAutoSize::FinDensity, TAutoSize::RowsFins})
        EXPECT_EQ(AutoSizeModeOf(AutoSizeModeName(mode)), mode);
    EXPECT_EQ(AutoSizeModeOf("RowsFins"), TAutoSize::RowsFins);
    EXPECT_EQ(AutoSizeModeOf("area"), std::nullopt);
    EXPECT_STREQ(kAutoSizeLabels[6].Caption, "Auto Rows && Fins");
    EXPECT_EQ(kAutoSizeLabels[4].Mode, TAutoSize::FinDensity); // "Fin Pitch"
}

// ---- the editor on a job -----------------------------------------------------------------------------

class FatEditorTest : public ::testing::Test
{
protected:
    explicit FatEditorTest(std::string_view kind = "cwc") : job(kind) {}

    std::unique_ptr<TFatEditor> Make()
    {
        auto e = std::make_unique<TFatEditor>(program, beside, ProcessCoilMakers(), CommonDataFolder(),
                                              (dir / "ZMK/").string(), &notes, &flag);
        e->OnGeometryChanged = [this] {
            ++changes;
            JobGeometryCallback(job.job)();
        };
        e->SetCoil(job.job.Coil());
        e->SetTargetDuty(coil().Qt);
        e->Activate();
        return e;
    }
    TLiquidCoil& coil() { return job.coil(); }

    testing::TempDir dir;
    test::ProjectJob job;
    TMemorySettingsStore program, beside;
    RecordingNotifier notes;
    TEntryErrorFlag flag;
    int changes = 0;
};

TEST_F(FatEditorTest, ShowsTheCoilInItsRememberedUnits)
{
    program.WriteInteger(kFatFormSection, "FinnedLengthUnits", 0);
    auto e = Make();
    EXPECT_EQ(e->edTubeSize.Text(), coil().Geometry->Rec.Model);
    EXPECT_EQ(e->edFinHeight.Text(), "21.00"); // 0.5334 m in inches
    EXPECT_EQ(e->lbFinHeightUnits.Caption(), "inch");
    EXPECT_EQ(e->edFinnedLength.Text(), "1.200");
    EXPECT_EQ(e->edRows.Text(), "4.0");
    EXPECT_EQ(e->edFinDensity.Text(), "10.0000");
    EXPECT_EQ(e->edFinPitch.Text(), "2.5400");
    EXPECT_EQ(e->edCircuits.Text(), "14.0");
    EXPECT_EQ(e->SerpentineLabel(), "1");
    EXPECT_EQ(e->MaterialNames(),
              (std::vector<std::string>{"Cu", "Al", "St", "GI", "SS", "Ale", "TI", "Br"}));
    EXPECT_EQ(e->TubeMaterial(), 0);
    EXPECT_EQ(e->FinMaterial(), 1);
    EXPECT_EQ(e->CasingMaterial(), 3);
    EXPECT_EQ(e->HelpPage(), CommonDataFolder() + "FatDlg.htm");
    EXPECT_NEAR(Number(e->edDesignDuty), coil().Qt, 5e-4);

    e->lbDesignDutyUnits.ApplyChosenUnit(2);
    e->Close();
    EXPECT_EQ(program.ReadInteger(kFatFormSection, "DesignDutyUnits", -1), 2);
    EXPECT_EQ(program.ReadInteger(kFatFormSection, "FinHeightUnits", -1), 3);
    EXPECT_EQ(program.ReadInteger(kFatFormSection, "FinnedLengthUnits", -1), 0);
}

TEST_F(FatEditorTest, FinHeightKeepsTwoTubePitchesAndTheSerpentine)
{
    auto e = Make();
    ASSERT_DOUBLE_EQ(coil().Geometry->GetSy(), 0.0381);
    e->lbFinHeightUnits.ApplyChosenUnit(0); // m
    TypeAndExit(e->edFinHeight, "0.05");
    EXPECT_DOUBLE_EQ(coil().GetFinHeight(), 0.0762);
    EXPECT_EQ(e->edFinHeight.Text(), "0.076");
    EXPECT_EQ(coil().Geometry->TubesHigh, 2);
    // 14 circuits on 14 tubes high is one circuit per tube row: it stays so on 2 tubes high.
    EXPECT_DOUBLE_EQ(coil().GetCircuits(), 2);
    EXPECT_EQ(e->edCircuits.Text(), "2.0");
    EXPECT_GE(changes, 1);

    e->Spin(TFatSpin::FinHeight, true);
    EXPECT_NEAR(coil().GetFinHeight(), 0.1524, 1e-12);
    e->Spin(TFatSpin::FinHeight, true);
    EXPECT_NEAR(coil().GetFinHeight(), 0.2286, 1e-12);
    e->Spin(TFatSpin::FinHeight, false);
    e->Spin(TFatSpin::FinHeight, false);
    EXPECT_NEAR(coil().GetFinHeight(), 0.0762, 1e-12);
    e->Spin(TFatSpin::FinHeight, false); // below the range: not applied
    EXPECT_NEAR(coil().GetFinHeight(), 0.0762, 1e-12);
}

TEST_F(FatEditorTest, SpinsAndFieldsMoveTheCoil)
{
    auto e = Make();
    e->Spin(TFatSpin::Circuits, false);
    EXPECT_DOUBLE_EQ(coil().GetCircuits(), 8);
    EXPECT_EQ(e->SerpentineLabel(), SerpentineName(coil().GetSerp()));
    e->Spin(TFatSpin::Circuits, true);
    e->Spin(TFatSpin::Circuits, true);
    EXPECT_DOUBLE_EQ(coil().GetCircuits(), 28);

    // The main window re-applies the coil's size text, which keeps six digits of the density.
    e->Spin(TFatSpin::FinPitch, true);
    EXPECT_NEAR(coil().GetFinDensity(), 25.4 / 3, 1e-5);
    EXPECT_EQ(e->edFinDensity.Text(), "8.4667");
    EXPECT_EQ(e->edFinPitch.Text(), "3.0000");
    e->Spin(TFatSpin::FinPitch, false);
    EXPECT_DOUBLE_EQ(coil().GetFinDensity(), 12.7);
    EXPECT_EQ(e->edFinDensity.Text(), "12.7000");
    e->Spin(TFatSpin::FinDensity, true);
    EXPECT_DOUBLE_EQ(coil().GetFinDensity(), 14);
    EXPECT_EQ(e->edFinPitch.Text(), "1.8143");

    e->Spin(TFatSpin::Rows, true);
    e->Spin(TFatSpin::Rows, true);
    e->Spin(TFatSpin::Rows, true);
    EXPECT_DOUBLE_EQ(coil().GetRows(), 8);
    EXPECT_EQ(e->edRows.Text(), "8.0");

    // Fewer tubes than circuits: the circuits follow the tubes.
    TypeAndExit(e->edCircuits, "112");
    EXPECT_DOUBLE_EQ(coil().GetCircuits(), 112);
    e->Spin(TFatSpin::Rows, false);
    EXPECT_DOUBLE_EQ(coil().GetRows(), 6);
    EXPECT_DOUBLE_EQ(coil().GetCircuits(), 84);
    EXPECT_EQ(e->edCircuits.Text(), "84.0");
    TypeAndExit(e->edCircuits, "7");
    e->Spin(TFatSpin::Rows, false);
    EXPECT_DOUBLE_EQ(coil().GetCircuits(), 7);

    // Rows and circuits are whole numbers: a fraction is refused and the nearest whole one taken.
    const int rowsBefore = static_cast<int>(coil().GetRows());
    TypeAndExit(e->edRows, "5.5");
    EXPECT_EQ(e->edRows.Text(), "6.0");
    EXPECT_DOUBLE_EQ(coil().GetRows(), 6);
    TypeAndExit(e->edCircuits, "6.5");
    EXPECT_EQ(e->edCircuits.Text(), "6.0");
    EXPECT_DOUBLE_EQ(coil().GetCircuits(), 6);
    TypeAndExit(e->edRows, std::to_string(rowsBefore));
    TypeAndExit(e->edCircuits, "7");

    TypeAndExit(e->edFinDensity, "8");
    EXPECT_EQ(e->edFinPitch.Text(), "3.1750");
    TypeAndExit(e->edFinPitch, "2");
    EXPECT_DOUBLE_EQ(coil().GetFinDensity(), 12.7);
    EXPECT_EQ(e->edFinDensity.Text(), "12.7000");

    e->TubeMaterialChange(7);
    e->FinMaterialChange(0);
    e->CasingMaterialChange(4);
    EXPECT_EQ(coil().Geometry->Rec.Mt, 7);
    EXPECT_EQ(coil().Geometry->Rec.Mf, 0);
    EXPECT_EQ(coil().Geometry->Rec.Mc, 4);
    EXPECT_DOUBLE_EQ(coil().WallK, MaterialTable[7].Conductivity);
    e->CasingMaterialChange(8); // not a material
    EXPECT_EQ(coil().Geometry->Rec.Mc, 4);
}

TEST_F(FatEditorTest, AFaceAreaChangeKeepsTheFaceVelocityOrTheVolumeFlow)
{
    auto e = Make();
    const double Vf = coil().Vf;
    const double Va = coil().Va;
    TypeAndExit(e->edFinnedLength, "600"); // mm
    EXPECT_NEAR(coil().Vf, Vf, 1e-9);
    EXPECT_NEAR(coil().Va, Va / 2, 1e-9);
    EXPECT_NEAR(job.job.Inputs.edFaceVelocity.Value, Vf, 1e-9);

    e->KeepAirflow = true;
    const double Va2 = coil().Va;
    TypeAndExit(e->edFinnedLength, "1200");
    EXPECT_NEAR(coil().Va, Va2, 1e-9);
    EXPECT_NEAR(coil().Vf, Vf / 2, 1e-9);
    // The main window takes the kept air flow rather than putting its face velocity back.
    EXPECT_NEAR(job.job.Inputs.edFaceVelocity.Value, Vf / 2, 1e-9);
    EXPECT_TRUE(job.job.Solved());
}

TEST_F(FatEditorTest, CancelPutsTheCoilBackAsItWasAtActivation)
{
    auto e = Make();
    const TModelRec rec = coil().Geometry->Rec;
    const double Va = coil().Va;
    const double m = coil().LiquidState->GetMassFlow();
    const double vw = coil().LiquidState->vw;
    TypeAndExit(e->edFinnedLength, "900");
    e->Spin(TFatSpin::Circuits, false);
    e->Spin(TFatSpin::Rows, true);
    e->CasingMaterialChange(0);
    ASSERT_NE(coil().GetCircuits(), rec.Circ);
    e->Cancel();
    EXPECT_EQ(e->Result(), TDialogResult::Cancel);
    EXPECT_DOUBLE_EQ(coil().GetFinnedLength(), rec.fLength);
    EXPECT_DOUBLE_EQ(coil().GetCircuits(), rec.Circ);
    EXPECT_DOUBLE_EQ(coil().GetRows(), rec.Rows);
    EXPECT_EQ(coil().Geometry->Rec.Mc, rec.Mc);
    EXPECT_NEAR(coil().Va, Va, 1e-12);
    // The liquid flow is put back on the restored circuits: the tube velocity follows (up to the
    // density of the liquid as the solves in between have left it).
    EXPECT_DOUBLE_EQ(coil().LiquidState->GetMassFlow(), m);
    EXPECT_NEAR(coil().LiquidState->vw, vw, 1e-3 * vw);
    EXPECT_EQ(e->edCircuits.Text(), "14.0");

    // The next opening takes a new snapshot.
    TypeAndExit(e->edRows, "6");
    e->Open();
    e->Cancel();
    EXPECT_DOUBLE_EQ(coil().GetRows(), 6);
}

TEST_F(FatEditorTest, CancelPutsBackWhatSubDialogsAndSizingChanged)
{
    auto e = Make();
    const TModelRec rec = coil().Geometry->Rec;
    TypeAndExit(e->edFinHeight, "24");
    e->SetTargetDuty(1.2 * coil().Qt);
    e->AutoSizeClick(TAutoSize::Length);
    // Back from the coil maker with another tube, and from the settings: the editor is activated
    // again, which must not move the point Cancel goes back to.
    e->TubeSizeClick([](TCoilMaker& dialog) {
        dialog.Activate();
        if (dialog.Rows().size() < 2)
            return false;
        dialog.SelectRow(dialog.RowIndex() == 0 ? 1 : 0);
        dialog.Accept();
        return true;
    });
    e->Activate();
    e->Spin(TFatSpin::Rows, true);
    e->SettingsClick([](TDesignSettings& settings) { settings.Close(); });
    e->Activate();
    ASSERT_NE(coil().Geometry->Rec.Model, rec.Model);
    e->Cancel();
    EXPECT_EQ(coil().Geometry->Rec.Model, rec.Model);
    EXPECT_DOUBLE_EQ(coil().GetFinHeight(), rec.fHeight);
    EXPECT_DOUBLE_EQ(coil().GetFinnedLength(), rec.fLength);
    EXPECT_DOUBLE_EQ(coil().GetRows(), rec.Rows);
    EXPECT_DOUBLE_EQ(coil().GetCircuits(), rec.Circ);
}

TEST_F(FatEditorTest, SummaryOfACoolingCoil)
{
    auto e = Make();
    const std::vector<std::string>& s = e->Summary();
    ASSERT_GE(s.size(), 9u);
    EXPECT_EQ(std::vector<std::string>(s.begin(), s.begin() + 9),
              (std::vector<std::string>{"<html>", "<head>", "<style>",
                                        "body {font-family:arial;margin:0;padding:0}",
                                        "ul {font-size:8pt;list-style-type:circle;margin-top:5px}",
                                        "</style>", "</head>", "<body>", "<ul>"}));
    EXPECT_EQ(s.back(), "</html>");
    EXPECT_EQ(e->Page(), s);
    EXPECT_EQ(e->Caption(), coil().GetModel()); // the "typical" maker has no designation
    const TCoil& c = coil();
    EXPECT_EQ(s[9], Format("<li>Face Area = %s</li>",
                           QuantityText(Quantities().hex_area, true, " ", false, c.GetAf())));
    EXPECT_EQ(s[10], "<li>L/H = 2.250</li>");
    EXPECT_EQ(s[11], FormatQuantity("<li>Ao = %s %s</li>", Quantities().hex_area, false, c.Ao));
    EXPECT_EQ(s[12], FormatQuantity("<li>Dry Weight = %s %s</li>", Quantities().hex_mass, false,
                                    coil().Geometry->Weight()));
    EXPECT_EQ(s[13], "<li>14 tubes high</li>");
    EXPECT_EQ(s[14], "<li>4 tubes per circuit</li>");
    EXPECT_EQ(s[15], "<li style=\"color:#000000\">0 unlinked tubes</li>");
    EXPECT_EQ(s[16], "<li style=\"color:#000000\">Same side conns.</li>");
    EXPECT_EQ(s[17], Format("<li style=\"color:%s\">Air Vf = %s</li>", BlendColour(c.Vf, 2.4, 3.1),
                            QuantityText(Quantities().air_v, true, "\t", false, c.Vf)));
    EXPECT_EQ(s[18],
              Format("<li style=\"color:%s\">Air dP = %s</li>", BlendColour(c.AirPressureDrop(), 0, 250),
                     QuantityText(Quantities().air_dp, true, "\t", false, c.AirPressureDrop())));
    EXPECT_EQ(s[19], Format("<li>Vw = %s</li>",
                            QuantityText(Quantities().liquid_v, true, "\t", false, coil().LiquidState->vw)));
    EXPECT_EQ(s[20], Format("<li style=\"color:%s\">%s dP = %s</li>",
                            BlendColour(c.LiquidPressureDrop(), 0, 70), coil().Liquid->Caption,
                            QuantityText(Quantities().liquid_dp, true, "\t", false, c.LiquidPressureDrop())));
    EXPECT_NE(LineStarting(s, "<li>Vw = ").find("\tm/s"), std::string::npos);
    EXPECT_NE(LineContaining(s, "Water dP = ").find("\tkPa</li>"), std::string::npos);
    EXPECT_NE(LineStarting(s, Format("<li style=\"color:%s\">Total Duty = ", BlendColour(c.e, 1, 0))), "");
    // The default cooling coil dehumidifies: sensible duty and SHR, coloured by the bypass factor.
    ASSERT_LT(c.Qs / c.Qt, 0.999);
    const std::string colour = BlendColour(c.BypassFactor, 0, 1);
    EXPECT_NE(LineStarting(s, Format("<li style=\"color:%s\">Sensible Duty = ", colour)), "");
    EXPECT_TRUE(HasLine(s, Format("<li style=\"color:%s\">SHR = %0.3f</li>", colour, c.Qs / c.Qt)));
    EXPECT_FALSE(HasLine(s, "<li>dry coil surface...</li>"));
    EXPECT_EQ(s.size(), 9u + 15 + 3);

    // Dry entering air: no condensate, so no sensible heat ratio to show.
    job.job.EnterField(TEntryField::edHumidityOn, 0.002);
    job.job.ApplyInputs();
    e->ShowSummary();
    EXPECT_TRUE(HasLine(e->Summary(), "<li>dry coil surface...</li>"));
    EXPECT_EQ(LineContaining(e->Summary(), "SHR = "), "");

    // Odd tubes per circuit and leftovers are flagged.
    TypeAndExit(e->edCircuits, "15");
    const std::vector<std::string>& odd = e->Summary();
    EXPECT_TRUE(HasLine(odd, "<li>3 tubes per circuit</li>"));
    EXPECT_TRUE(HasLine(odd, "<li style=\"color:#ff4500\">11 unlinked tubes</li>"));
    EXPECT_TRUE(HasLine(odd, "<li style=\"color:#cd5c5c\">Opposite side conns.</li>"));
}

TEST_F(FatEditorTest, SummaryOfACoilThatCannotBeSolved)
{
    auto e = Make();
    coil().SetAirCoefFn([](const TAirSideGeometry&, const TAirState&, TAirResult&) -> double {
        throw EMathError("test", "no coefficient");
    });
    TypeAndExit(e->edRows, "5");
    const std::vector<std::string>& s = e->Summary();
    EXPECT_EQ(s.back(), "coil not solved...");
    EXPECT_EQ(s.size(), 10u);
    EXPECT_EQ(e->Page(), s);
    EXPECT_FALSE(job.job.Solved());
}

TEST_F(FatEditorTest, SizingLabelsSizeTheCoilForTheTargetDuty)
{
    auto e = Make();
    const double target = 1.25 * coil().Qt;
    e->SetTargetDuty(target);
    const double Va = coil().Va;
    e->KeepAirflow = true;
    e->AutoSizeClick(TAutoSize::Length);
    EXPECT_EQ(e->LastAutoSizeStatus(), TSolveStatus::None);
    EXPECT_NEAR(coil().Va, Va, 1e-5 * Va); // to the six digits of the size text
    EXPECT_NEAR(coil().Qt, target, 1e-3 * target);
    EXPECT_NEAR(Number(e->edFinnedLength), coil().GetFinnedLength(), 5e-5);
    EXPECT_TRUE(job.job.Solved());
    EXPECT_NEAR(job.job.Coil()->Qt, target, 1e-3 * target); // the job rated what the editor sized

    e->KeepAirflow = false;
    e->AutoSizeClick(TAutoSize::RowsFins);
    EXPECT_EQ(e->LastAutoSizeStatus(), TSolveStatus::None);
    EXPECT_NEAR(coil().Vf, coil().DesignVf, 1e-9);
    EXPECT_EQ(e->edRows.Text(), Format("%0.1f", coil().GetRows()));

    // A target below 0.01 kW is refused without touching the coil.
    const TModelRec before = coil().Geometry->Rec;
    e->SetTargetDuty(0.005);
    e->AutoSizeClick(TAutoSize::FaceArea);
    EXPECT_EQ(e->LastAutoSizeStatus(), TSolveStatus::DataError);
    EXPECT_DOUBLE_EQ(coil().GetFinHeight(), before.fHeight);
    EXPECT_DOUBLE_EQ(coil().GetFinnedLength(), before.fLength);
}

TEST_F(FatEditorTest, ASizingThatMissesItsTargetSaysWhichLimitStoppedIt)
{
    // Each sizing checks its coil against the target; one its limits stop names the limit at the
    // head of the summary (the grid sizings used to leave 6 rows and a fifth of the duty as if
    // sized). The note goes with the next change.
    struct Row
    {
        TAutoSize mode;
        bool keepAirflow;
        double times; // the target as a multiple of the coil's duty
        const char* says;
    };
    const Row rows[] = {
        {TAutoSize::Rows, false, 10, "not reached: 6 rows is the most the sizing tries; the coil gives "},
        {TAutoSize::FinDensity, false, 10,
         "not reached: 14 fpi is the highest fin density the sizing tries; the coil gives "},
        {TAutoSize::RowsFins, false, 10,
         "not reached: 6 rows at 14 fpi is the largest coil the sizing tries; the coil gives "},
        {TAutoSize::Height, true, 10,
         "not reached: a fin height of 9144.0 mm is the largest the sizing makes"},
        {TAutoSize::Length, true, 10,
         "not reached: a finned length of 10000.0 mm is the largest the sizing makes"},
        {TAutoSize::FaceArea, true, 10, "not reached: a face of "},
        {TAutoSize::Rows, false, 0.05, "exceeded: 3 rows is the fewest the sizing tries; the coil gives "},
        {TAutoSize::FinDensity, false, 0.05, "exceeded: 8 fpi is the lowest fin density the sizing tries"},
        {TAutoSize::RowsFins, false, 0.05, "exceeded: 3 rows at 8 fpi is the smallest coil the sizing tries"},
        {TAutoSize::Height, true, 0.05, "exceeded: a fin height of 76.2 mm is the smallest the sizing makes"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(AutoSizeModeName(r.mode) + " x" + std::to_string(r.times));
        job.job.New(); // the default coil again
        auto e = Make();
        const double target = r.times * coil().Qt;
        e->SetTargetDuty(target);
        e->KeepAirflow = r.keepAirflow;
        e->AutoSizeClick(r.mode);
        EXPECT_NE(e->LastAutoSizeStatus(), TSolveStatus::None);
        const std::string& message = e->LastAutoSizeMessage();
        // The target as its field holds it (three decimals).
        EXPECT_EQ(message.rfind(Format("Target %0.6g kW ", Number(e->edDesignDuty)), 0), 0u) << message;
        EXPECT_NE(message.find(r.says), std::string::npos) << message;
        const std::vector<std::string>& s = e->Summary();
        ASSERT_GT(s.size(), 9u);
        EXPECT_EQ(s[9], "<li style=\"color:#ff4500\">" + message + "</li>");
        e->Spin(TFatSpin::Circuits, true);
        EXPECT_EQ(LineContaining(e->Summary(), "Target "), "");
    }
}

TEST_F(FatEditorTest, CancelAfterASizingPutsTheLiquidSideBack)
{
    TLiquidState& state = *coil().LiquidState;
    state.ctrl = wcTemp;
    state.designdt = 4.5;
    coil().SetCircuits(9);
    auto e = Make();
    const double m = state.GetMassFlow();
    const double circuits = coil().GetCircuits();
    e->SetTargetDuty(1.3 * coil().Qt);
    e->AutoSizeClick(TAutoSize::Length);
    // The sizing sets the liquid side up for its duty: flow control, 6 K, its own circuits.
    ASSERT_EQ(state.ctrl, wcFlow);
    ASSERT_NE(coil().GetCircuits(), circuits);
    e->Cancel();
    EXPECT_EQ(state.ctrl, wcTemp);
    EXPECT_DOUBLE_EQ(state.designdt, 4.5);
    EXPECT_DOUBLE_EQ(coil().GetCircuits(), circuits);
    EXPECT_DOUBLE_EQ(coil().GetFinnedLength(), 1.2);
    // The job solves the coil again at the close of the Cancel, moving the flow by the fixed
    // temperature change; it starts from the flow that was.
    EXPECT_NEAR(state.GetMassFlow(), m, 1e-3 * m);
}

TEST_F(FatEditorTest, CircuitPictureWhenInstalled)
{
    auto e = Make();
    std::filesystem::create_directories(dir / "ZMK");
    e->SerpentineLabelClick();
    // Not installed: the editor's own picture of the coil's 14 circuits of 4 tubes.
    EXPECT_EQ(e->PictureFile(), kDrawnCircuitPicture);
    EXPECT_THAT(e->Page(), ::testing::Contains(std::string("<img src=\"") + kDrawnCircuitPicture + "\">"));
    const TCircuitLacing lacing = e->CircuitLacing();
    EXPECT_EQ(lacing.Circuits.size(), 14u);
    EXPECT_EQ(lacing.Rows, 4);
    EXPECT_EQ(lacing.TubesHigh, 14);
    const std::string file = CircuitPictureFile((dir / "ZMK/").string(), 4, 56, 14);
    EXPECT_EQ(file, (dir / "ZMK/../Spirello/Images/4r4t.png").string());
    std::filesystem::create_directories(dir / "Spirello/Images");
    std::ofstream(dir / "Spirello/Images/4r4t.png") << "png";
    e->SerpentineLabelClick();
    EXPECT_EQ(e->Page(),
              (std::vector<std::string>{"<html>", "<head>", "</head>", "<body>",
                                        "<img src=\"" + file + "\" height=\"220\">", "</body>", "</html>"}));
    EXPECT_EQ(e->PictureFile(), file);
    // Any change shows the summary again.
    e->Spin(TFatSpin::Rows, true);
    EXPECT_EQ(e->Page(), e->Summary());
    EXPECT_EQ(e->PictureFile(), "");
    EXPECT_EQ(CircuitPictureFile("/p/", 4, 56, 0), "/p/../Spirello/Images/4r0t.png");
}

TEST_F(FatEditorTest, TubeSizeTakesThePatternOnWholeTubePairs)
{
    auto e = Make();
    TypeAndExit(e->edFinHeight, "20"); // inches: 0.508 m, 13.3 pitches of 38.1 mm
    TModelRec shown;
    e->TubeSizeClick([&](TCoilMaker& dialog) {
        dialog.Activate();
        shown = dialog.Record();
        const auto& rows = dialog.Rows();
        const auto it =
            std::find_if(rows.begin(), rows.end(), [](const TCoilMakerRow& r) { return r.Caption == "3/8"; });
        if (it == rows.end())
            return false;
        dialog.SelectRow(static_cast<int>(it - rows.begin()));
        dialog.Accept();
        return true;
    });
    EXPECT_DOUBLE_EQ(shown.fHeight, 0.508);
    EXPECT_EQ(coil().Geometry->Rec.Model, "3/8");
    EXPECT_EQ(e->edTubeSize.Text(), "3/8");
    const double s = 2 * coil().Geometry->GetSy();
    EXPECT_DOUBLE_EQ(s, 0.0508);
    EXPECT_DOUBLE_EQ(coil().GetFinHeight(), 10 * s);
    EXPECT_NEAR(coil().WallThickness, (0.009525 - 0.0089154) / 2, 1e-12);

    // Cancelled: nothing changes.
    const TModelRec rec = coil().Geometry->Rec;
    e->TubeSizeClick([](TCoilMaker&) { return false; });
    EXPECT_EQ(coil().Geometry->Rec.Model, rec.Model);
}

TEST_F(FatEditorTest, DesignSettingsApplyToTheCoilAndTheCircuitsAreSetAgain)
{
    auto e = Make();
    e->SettingsClick([](TDesignSettings& settings) {
        TypeAndExit(settings.edRows, "5");
        settings.UseFouling = false;
        settings.Close();
    });
    EXPECT_DOUBLE_EQ(coil().DesignRows, 5);
    EXPECT_FALSE(coil().UseFouling);
    EXPECT_DOUBLE_EQ(program.ReadFloat(kCoilSettingsSection, "DesignRows", 0), 5);
    EXPECT_DOUBLE_EQ(coil().GetCircuits(), 14);

    // Another air-side method: the coil is rated again at once, by the method chosen.
    const double before = coil().Qt;
    const int changesBefore = changes;
    e->SettingsClick([](TDesignSettings& settings) {
        settings.AirSideMethod = TAirSideMethod::Published;
        settings.Close();
    });
    EXPECT_EQ(changes, changesBefore + 1);
    EXPECT_EQ(coil().AirSideMethod, TAirSideMethod::Published);
    EXPECT_LT(coil().Qt, 0.95 * before);
    EXPECT_LT(coil().SurfaceEff, coil().Geometry->EtaO);
    // The same method again rates nothing.
    e->SettingsClick([](TDesignSettings& settings) { settings.Close(); });
    EXPECT_EQ(changes, changesBefore + 1);
}

class FatEditorZemtorTest : public FatEditorTest
{
protected:
    FatEditorZemtorTest() : FatEditorTest("zmk") {}
};

TEST_F(FatEditorZemtorTest, SummaryHasNoSensibleHeatRatio)
{
    auto e = Make();
    const std::vector<std::string>& s = e->Summary();
    EXPECT_EQ(s.size(), 9u + 13 + 3);
    EXPECT_FALSE(HasLine(s, "<li>dry coil surface...</li>"));
    EXPECT_EQ(LineContaining(s, "SHR = "), "");
    EXPECT_NE(LineContaining(s, "Thermal Oil dP = "), "");
}

} // namespace
} // namespace zmk

namespace zmk {
namespace {

// What the main window is told after the geometry dialog.
struct ViewCalls
{
    void heard(const TJobNews& news)
    {
        refreshes += news.Has(jcResults);
        profiles += news.Has(jcProfile);
        inputs += news.Has(jcInputs) && !news.Field;
    }
    int refreshes = 0, profiles = 0, inputs = 0;
};

TEST_F(FatEditorTest, GeometryButtonOpensTheEditorOnTheWindowsInputs)
{
    auto e = Make();
    ViewCalls view;
    const int subscription = job.job.Subscribe([&view](const TJobNews& news) { view.heard(news); });
    const double H0 = coil().GetFinHeight();

    // A fin height typed in the window and not yet left reaches the coil before the editor opens;
    // the target duty is the duty the window shows.
    job.job.TypeField(TEntryField::edFinHeight, 0.6096);
    const double duty = coil().Qt;
    bool shown = false;
    EXPECT_FALSE(ButtonCoilSpecClick(job.job, *e, [&] {
        shown = true;
        e->Activate();
        EXPECT_EQ(e->edFinHeight.Text(), "24.00");
        EXPECT_NEAR(Number(e->edDesignDuty), duty, 5e-4);
        TypeAndExit(e->edFinHeight, "30");
        EXPECT_NEAR(coil().GetFinHeight(), 0.762, 1e-9);
        e->Cancel();
        return false;
    }));
    EXPECT_TRUE(shown);
    // Cancel: the coil is back at the window's fin height, which the window shows again, and the
    // page is rebuilt for the coil the editor solved (after it was rebuilt when the typed fin
    // height was committed, which left the job not solved).
    EXPECT_NEAR(coil().GetFinHeight(), 0.6096, 1e-12);
    EXPECT_NEAR(job.job.Inputs.edFinHeight.Value, 0.6096, 1e-12);
    EXPECT_EQ(view.inputs, 1);
    EXPECT_EQ(view.refreshes, 2);
    EXPECT_EQ(view.profiles, 1);

    // Accept: the window shows the coil.
    EXPECT_TRUE(ButtonCoilSpecClick(job.job, *e, [&] {
        e->Activate();
        TypeAndExit(e->edFinHeight, "30");
        e->Spin(TFatSpin::Rows, true);
        e->Accept();
        return true;
    }));
    EXPECT_NEAR(job.job.Inputs.edFinHeight.Value, 0.762, 1e-9);
    EXPECT_DOUBLE_EQ(job.job.Inputs.edRows.Value, 5);
    EXPECT_EQ(view.inputs, 2);
    EXPECT_EQ(view.refreshes, 3);
    EXPECT_TRUE(job.job.Solved());
    EXPECT_NE(H0, job.job.Inputs.edFinHeight.Value);
    job.job.Unsubscribe(subscription);
}

TEST(FatEditorGeometryButton, NothingOpensWithoutACoil)
{
    TMemorySettingsStore store, program, beside;
    RecordingNotifier notes;
    TSessionSetup setup;
    setup.Notifier = &notes;
    setup.Store = &store;
    TProjectSession session(setup);
    TFatEditor editor(program, beside, ProcessCoilMakers(), CommonDataFolder(), "/nonexistent/", &notes);
    bool shown = false;
    EXPECT_FALSE(ButtonCoilSpecClick(session.Job(), editor, [&] { return shown = true; }));
    EXPECT_FALSE(shown);
}

} // namespace
} // namespace zmk
