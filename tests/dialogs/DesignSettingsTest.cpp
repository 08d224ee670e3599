// The design settings: what leaving each field makes of the value (limits, whole numbers, the
// entering air as a dry bulb and wet bulb), the values remembered and applied to the coil at
// opening and at every close, and "Restore Defaults".
#include "dialogs/DesignSettings.h"

#include "support/FieldTyping.h"

#include "support/ProjectTestSession.h"

#include "base/NumText.h"
#include "properties/Psy.h"

#include <gtest/gtest.h>

#include <string_view>

namespace zmk {
namespace {

using test::TypeAndExit;

class DesignSettingsTest : public ::testing::Test
{
protected:
    TLiquidCoil& coil() { return job.coil(); }

    test::ProjectJob job{"cwc"};
    TMemorySettingsStore program;
    RecordingNotifier notes;
    TEntryErrorFlag flag;
};

TEST_F(DesignSettingsTest, LeavingAFieldLimitsAndRoundsIt)
{
    TDesignSettings settings(program, "/data/", &notes, &flag);
    settings.Open(coil());
    const struct
    {
        TFmtEdit TDesignSettings::*field;
        const char* typed;
        const char* shown;
    } cases[] = {
        {&TDesignSettings::edAspect, "0.3", "0.5"},    // entry range 0.2..5, then held at 0.5
        {&TDesignSettings::edAspect, "0.1", "0.5"},    // below the entry range
        {&TDesignSettings::edAspect, "1.75", "1.8"},   // shown with one decimal
        {&TDesignSettings::edDesignVf, "0.5", "1.00"}, // held at 1 m/s
        {&TDesignSettings::edDesignVf, "9", "5.00"},
        {&TDesignSettings::edFluidIn, "6.6", "7.0"},   // whole degrees
        {&TDesignSettings::edFluidIn, "6.5", "6.0"},   // halves to even
        {&TDesignSettings::edFluidIn, "300", "250.0"}, // held at 250 °C
        {&TDesignSettings::edFluidIn, "-99", "-60.0"},
        {&TDesignSettings::edRows, "4.5", "4.0"},
        {&TDesignSettings::edRows, "5.5", "6.0"},
        {&TDesignSettings::edRows, "2", "3.0"}, // entry range 3..6
        {&TDesignSettings::edFins, "10.5", "10.0000"},
        {&TDesignSettings::edFins, "11.5", "12.0000"},
        {&TDesignSettings::edFins, "14", "12.0000"},
    };
    for (const auto& c : cases) {
        TypeAndExit(settings.*c.field, c.typed);
        EXPECT_EQ((settings.*c.field).Text(), c.shown) << c.typed;
    }

    // A dry bulb alone gets its wet bulb at 45 % relative humidity at the coil's pressure.
    TypeAndExit(settings.edAirOn, "25");
    EXPECT_EQ(settings.edAirOn.Text(), NormalizeAirState("25", coil().GetPressure(), 0.45));
    EXPECT_EQ(settings.edAirOn.Text().substr(0, 5), "25.0/");
    const TAirState typed = ParseAirState(settings.edAirOn.Text(), coil().GetPressure(), 0.45);
    EXPECT_NEAR(typed.rh, 0.45, 0.01);
    TypeAndExit(settings.edAirOn, "30/20");
    EXPECT_EQ(settings.edAirOn.Text(), "30.0/20.0");
    settings.edAirOn.Enter();
    settings.edAirOn.EditText("warm"); // pasted: the keys would not take it
    settings.edAirOn.Exit();
    EXPECT_EQ(settings.edAirOn.Text(), "30.0/20.0");
    EXPECT_EQ(notes.beeps, 1);
}

TEST_F(DesignSettingsTest, RememberedValuesAreAppliedAtOpeningAndAtEveryClose)
{
    {
        TDesignSettings settings(program, "/data/", &notes, &flag);
        settings.Open(coil());
        // Nothing remembered: the coil's own values.
        EXPECT_EQ(settings.edAspect.Text(), Format("%0.1f", coil().DefaultAspect));
        EXPECT_EQ(settings.edAirOn.Text(), coil().DesignAirOn);
        TypeAndExit(settings.edAspect, "2");
        TypeAndExit(settings.edDesignVf, "3");
        TypeAndExit(settings.edRows, "6");
        TypeAndExit(settings.edFins, "8");
        TypeAndExit(settings.edFluidIn, "12");
        TypeAndExit(settings.edAirOn, "27/19");
        settings.UseFouling = false;
        // Nothing remembered: the duty takes the coil's clean coefficients, as every coil is built.
        EXPECT_FALSE(settings.FoulingInDuty);
        settings.FoulingInDuty = true;
        // Typing applies nothing until the dialog closes.
        EXPECT_DOUBLE_EQ(coil().DesignAspect, coil().DefaultAspect);
        EXPECT_FALSE(coil().FoulingInDuty);
        const TWindowPlace place{30, 40, 0, 0};
        settings.Close(&place);
    }
    EXPECT_DOUBLE_EQ(coil().DesignAspect, 2);
    EXPECT_DOUBLE_EQ(coil().DesignVf, 3);
    EXPECT_DOUBLE_EQ(coil().DesignRows, 6);
    EXPECT_EQ(coil().DesignFins, 8);
    EXPECT_FALSE(coil().UseFouling);
    EXPECT_TRUE(coil().FoulingInDuty);
    const std::string_view s = kCoilSettingsSection;
    EXPECT_DOUBLE_EQ(program.ReadFloat(s, "DesignFluidIn", 0), 12);
    EXPECT_EQ(program.ReadString(s, "DesignAirOn", ""), "27.0/19.0");
    EXPECT_FALSE(program.ReadBool(s, "UseFouling", true));
    EXPECT_TRUE(program.ReadBool(s, "FoulingInDuty", false));
    EXPECT_EQ(program.ReadInteger(s, "Left", 0), 30);

    // A new coil takes the remembered values when the dialog opens on it.
    test::ProjectJob other("hwc");
    TDesignSettings settings(program, "/data/", &notes, &flag);
    settings.Open(other.coil());
    EXPECT_DOUBLE_EQ(other.coil().DesignVf, 3);
    EXPECT_EQ(other.coil().DesignFins, 8);
    EXPECT_TRUE(other.coil().FoulingInDuty);
    EXPECT_EQ(settings.edAirOn.Text(), "27.0/19.0");
    // The liquid and air temperatures are remembered only.
    EXPECT_DOUBLE_EQ(other.coil().DesignFluidIn, test::ProjectJob("hwc").coil().DesignFluidIn);

    // "Restore Defaults" shows the coil's defaults, applied only at the close.
    settings.RestoreDefaults();
    EXPECT_EQ(settings.edDesignVf.Text(), Format("%0.2f", other.coil().DefaultVf));
    EXPECT_TRUE(settings.UseFouling);
    EXPECT_FALSE(settings.FoulingInDuty);
    EXPECT_DOUBLE_EQ(other.coil().DesignVf, 3);
    EXPECT_TRUE(other.coil().FoulingInDuty);
    settings.Close();
    EXPECT_DOUBLE_EQ(other.coil().DesignVf, other.coil().DefaultVf);
    EXPECT_FALSE(other.coil().FoulingInDuty);
    EXPECT_FALSE(program.ReadBool(s, "FoulingInDuty", true));
    EXPECT_EQ(settings.MoreInformationFile(), "/data/coils.htm");
}

TEST_F(DesignSettingsTest, StoredValuesOutsideTheLimitsAreHeldInThem)
{
    const std::string_view s = kCoilSettingsSection;
    program.WriteFloat(s, "DesignVf", 0);
    program.WriteFloat(s, "DesignAspect", 40);
    program.WriteString(s, "DesignRows", "many");
    program.WriteFloat(s, "DesignFins", 10.5);
    TDesignSettings settings(program, "/data/", &notes, &flag);
    settings.Open(coil());
    EXPECT_DOUBLE_EQ(coil().DesignVf, 1);
    EXPECT_DOUBLE_EQ(coil().DesignAspect, 5);
    EXPECT_DOUBLE_EQ(coil().DesignRows, coil().DefaultRows);
    EXPECT_EQ(coil().DesignFins, 10);
}

TEST_F(DesignSettingsTest, TheAirSideMethodIsTheJobsOwnAndIsAppliedAtTheClose)
{
    test::ProjectJob published("hwc");
    published.coil().SetAirSideMethod(TAirSideMethod::Published);
    {
        // The dialog opens on the coil's method, not on one the program remembers.
        TDesignSettings settings(program, "/data/", &notes, &flag);
        settings.Open(published.coil());
        EXPECT_EQ(settings.AirSideMethod, TAirSideMethod::Published);
        settings.Close();
    }
    TDesignSettings settings(program, "/data/", &notes, &flag);
    settings.Open(coil());
    EXPECT_EQ(settings.AirSideMethod, TAirSideMethod::Standard);
    settings.AirSideMethod = TAirSideMethod::Published;
    EXPECT_EQ(coil().AirSideMethod, TAirSideMethod::Standard); // applied when the dialog closes
    settings.Close();
    EXPECT_EQ(coil().AirSideMethod, TAirSideMethod::Published);
    // The effectiveness follows the method: four rows rate in counterflow, one row below it.
    coil().SetRows(1);
    EXPECT_LT(coil().EffectivenessFn(2, 0.5), CounterflowEffectiveness(2, 0.5));
    settings.RestoreDefaults();
    EXPECT_EQ(settings.AirSideMethod, TAirSideMethod::Standard);
    settings.Close();
    EXPECT_EQ(coil().AirSideMethod, TAirSideMethod::Standard);
    EXPECT_EQ(coil().EffectivenessFn(2, 0.5), CounterflowEffectiveness(2, 0.5));
}

TEST_F(DesignSettingsTest, TheFinSurfaceOfThePatternIsShownBesideTheMethod)
{
    TDesignSettings settings(program, "/data/", &notes, &flag);
    EXPECT_EQ(settings.FinSurfaceText(), "");
    settings.Open(coil());
    EXPECT_EQ(settings.FinSurfaceText().rfind("Fins: Plain (", 0), 0u) << settings.FinSurfaceText();
    const struct
    {
        TFinSurface fin;
        const char* shown;
    } cases[] = {
        {{TFinType::Louvered, 2e-3, 1e-3, 0, 0}, "Fins: Louvered, louvers 2 x 1 mm (pitch x height)"},
        {{TFinType::Louvered, 2e-3, 0, 0, 0}, "Fins: Louvered, louvers not given (defaults taken)"},
        {{TFinType::Wavy, 0, 0, 1.8e-3, 8.25e-3}, "Fins: Wavy (herringbone), waves 1.8 x 8.25 mm"},
        {{TFinType::Wavy, 0, 0, 0, 0}, "Fins: Wavy (herringbone), waves not given (defaults taken)"},
    };
    for (const auto& c : cases) {
        TModelRec rec = coil().Geometry->Rec;
        rec.Fin = c.fin;
        coil().SetModelRecord(rec);
        EXPECT_EQ(settings.FinSurfaceText().rfind(c.shown, 0), 0u) << settings.FinSurfaceText();
    }
    settings.Close();
}

} // namespace
} // namespace zmk
