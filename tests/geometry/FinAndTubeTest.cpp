// Fin-and-tube geometry: the default coil's figures, the size text, the serpentine table and
// lookup, recalculation failures, and the text forms.
#include "geometry/FinAndTube.h"

#include "base/Errors.h"
#include "units/ConvTools.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace zmk {
namespace {

// Relative closeness for the figures quoted to four or five significant digits.
void ExpectNear(double expected, double actual, double relative, const char* what)
{
    EXPECT_NEAR(expected, actual, std::fabs(expected) * relative) << what;
}

TEST(FinAndTubeTest, DefaultRecordFigures)
{
    TFinAndTube g;
    EXPECT_EQ(g.ErrorCode, 0);
    EXPECT_EQ(g.TubesHigh, 14);
    EXPECT_DOUBLE_EQ(g.TubeCount, 56);
    EXPECT_DOUBLE_EQ(g.Af, 0.394716);
    EXPECT_DOUBLE_EQ(g.Fp, 0.00254);
    ExpectNear(291.34, g.FinCount, 1e-5, "FinCount");
    EXPECT_DOUBLE_EQ(g.Depth, 0.132);
    EXPECT_DOUBLE_EQ(g.Dc, 0.0136398);
    ExpectNear(36.317, g.Afin, 1e-4, "Afin");
    ExpectNear(37.986, g.Ao, 1e-4, "Ao");
    ExpectNear(0.60348, g.Sigma, 1e-5, "Sigma");
    ExpectNear(0.0033110, g.Dh, 1e-4, "Dh");
    ExpectNear(1.8047, g.Ai, 1e-4, "Ai");
    ExpectNear(0.0055163, g.Vi, 1e-4, "Vi");
    ExpectNear(0.8761, g.EtaF, 1e-4, "EtaF");
    ExpectNear(0.8815, g.EtaO, 1e-4, "EtaO");
    EXPECT_DOUBLE_EQ(g.Amin, g.Af * g.Sigma);
    EXPECT_DOUBLE_EQ(g.AoAi, g.Ao / g.Ai);
    EXPECT_EQ(g.GetSerp(), 103);
    EXPECT_EQ(SerpentineName(g.GetSerp()), "1/2");
    EXPECT_EQ(static_cast<int>(g.TubeCount / g.Rec.Circ), 8);
    EXPECT_EQ(g.Connections, 0);
    EXPECT_EQ(ConnectionName(g.Connections), "Same");
    EXPECT_EQ(g.SizeText, "533.4 x 740  4r  10f  7c");

    ExpectNear(24.217, g.Weight(), 1e-4, "Weight");
    EXPECT_DOUBLE_EQ(g.DryWeight,
                     1.05 * (g.TubeWeight + g.FinWeight + g.CasingWeight + g.BendWeight + g.HeaderWeight));
    ExpectNear(6.08786, g.TubeWeight, 1e-5, "TubeWeight");
    ExpectNear(8.44061, g.FinWeight, 1e-5, "FinWeight");
    ExpectNear(5.78470, g.CasingWeight, 1e-5, "CasingWeight");
    ExpectNear(0.426449, g.BendWeight, 1e-5, "BendWeight");
    ExpectNear(2.32398, g.HeaderWeight, 1e-5, "HeaderWeight");
}

TEST(FinAndTubeTest, SummaryRecords)
{
    TFinAndTube g;
    const TAirSideGeometry a = g.GetAirSide();
    EXPECT_DOUBLE_EQ(a.Rows, 4);
    EXPECT_EQ(a.Tube, 4);
    EXPECT_DOUBLE_EQ(a.FinGap, g.Fp - g.Rec.tf);
    EXPECT_DOUBLE_EQ(a.kFin, 0.209);
    EXPECT_DOUBLE_EQ(a.kTube, 0.384);
    EXPECT_DOUBLE_EQ(a.Dh, g.Dh);
    EXPECT_DOUBLE_EQ(a.EtaO, g.EtaO);

    const TTubeSideGeometry t = g.GetTubeSide();
    const double pi = 3.14159265358979323846;
    EXPECT_DOUBLE_EQ(t.Wall, (0.013335 - 0.0125222) / 2);
    EXPECT_DOUBLE_EQ(t.AiPerCircuit, g.Ai / 7);
    EXPECT_DOUBLE_EQ(t.FlowArea, g.Ax * 7);
    EXPECT_DOUBLE_EQ(t.Perimeter, pi * 0.0125222);
    // 56 tubes of 0.74 m and 55 return bends of 40 diameters, shared by 7 circuits.
    EXPECT_DOUBLE_EQ(t.EqLength, (56 * 0.74 + 55 * 40 * 0.0125222) / 7);
    EXPECT_DOUBLE_EQ(t.CircuitLength, (0.74 + pi / 2 * std::hypot(0.033, 0.0381)) * 56 / 7);
}

TEST(FinAndTubeTest, TubesHighRoundsHalvesToEven)
{
    // Sy = 1/16 m keeps H/Sy exact.
    struct Case
    {
        double ratio;
        int tubes;
    };
    for (const Case c : {Case{13.5, 14}, Case{12.5, 12}, Case{12.4, 12}, Case{12.6, 13}}) {
        TModelRec r;
        r.Sy = 0.0625;
        r.fHeight = c.ratio * 0.0625;
        TFinAndTube g;
        g.SetModel(r);
        EXPECT_EQ(g.TubesHigh, c.tubes) << c.ratio;
    }
}

TEST(FinAndTubeTest, FractionalRowsAndCircuitsBelowOne)
{
    TFinAndTube g;
    g.SetRows(2.5);
    EXPECT_DOUBLE_EQ(g.Depth, 3 * g.Rec.Sx);
    EXPECT_DOUBLE_EQ(g.TubeCount, 2.5 * g.TubesHigh);

    // The serpentine comes from the circuits as given, which are then raised to 1.
    TModelRec r;
    r.Circ = 0.5;
    r.cb = 1;
    g.SetModel(r);
    EXPECT_EQ(SerpentineName(g.GetSerp()), "1/8");
    EXPECT_DOUBLE_EQ(g.Rec.Circ, 1);

    g.SetCircuits(2000);
    EXPECT_DOUBLE_EQ(g.Rec.Circ, 1600);
    g.SetCircuits(0.2);
    EXPECT_DOUBLE_EQ(g.Rec.Circ, 1);

    // Fin density at or below zero becomes 2 fpi.
    g.SetFpi(0);
    EXPECT_DOUBLE_EQ(g.Rec.fpi, 2);
    EXPECT_DOUBLE_EQ(g.Fp, 0.0127);
    EXPECT_EQ(g.TakeError(), 0);

    // 7 tubes per circuit put the headers on opposite ends.
    TModelRec odd;
    odd.Circ = 8;
    g.SetModel(odd);
    EXPECT_EQ(g.Connections, 1);
}

TEST(FinAndTubeTest, SerpentineTable)
{
    EXPECT_STREQ(SerpentineTable[0].Name, "3/40");
    EXPECT_STREQ(SerpentineTable[102].Name, "8/17");
    EXPECT_STREQ(SerpentineTable[103].Name, "1/2");
    EXPECT_STREQ(SerpentineTable[119].Name, "1");
    EXPECT_STREQ(SerpentineTable[124].Name, "1-1/2");
    EXPECT_STREQ(SerpentineTable[141].Name, "40");
    EXPECT_EQ(SerpentineTable[103].Value, 0.5);
    EXPECT_EQ(SerpentineTable[119].Value, 1.0);
    EXPECT_EQ(SerpentineTable[120].Value, 8.0 / 7);
    EXPECT_EQ(SerpentineTable[124].Value, 1.5);
    for (int i = 0; i < kSerpentineCount; ++i) {
        // Each value is the fraction its name spells.
        const std::string name = SerpentineTable[i].Name;
        double whole = 0, num = 0, den = 1;
        const auto dash = name.find('-');
        const std::string frac = dash == std::string::npos ? name : name.substr(dash + 1);
        if (dash != std::string::npos)
            whole = std::stod(name.substr(0, dash));
        const auto slash = frac.find('/');
        if (slash == std::string::npos) {
            num = std::stod(frac);
        } else {
            num = std::stod(frac.substr(0, slash));
            den = std::stod(frac.substr(slash + 1));
        }
        EXPECT_EQ(SerpentineTable[i].Value, (whole * den + num) / den) << name;
        if (i > 0) {
            EXPECT_LT(SerpentineTable[i - 1].Value, SerpentineTable[i].Value) << i;
        }
    }
    EXPECT_EQ(SerpentineName(-5), "3/40");
    EXPECT_EQ(SerpentineName(500), "40");
}

TEST(FinAndTubeTest, SerpentineLookupIgnoresTheStartIndex)
{
    std::vector<double> xs = {0, 0.01, -3, 1e9, std::numeric_limits<double>::infinity()};
    for (const TSerpentine& s : SerpentineTable) {
        xs.push_back(s.Value);
        xs.push_back(std::nextafter(s.Value, 0.0));
        xs.push_back(std::nextafter(s.Value, 100.0));
    }
    for (const double x : xs) {
        int expected = 0;
        for (int i = 0; i < kSerpentineCount; ++i)
            if (SerpentineTable[i].Value <= x)
                expected = i;
        for (int start = -2; start < kSerpentineCount + 2; ++start)
            ASSERT_EQ(SerpentineLookup(start, x), expected) << "x " << x << " start " << start;
    }
    EXPECT_EQ(SerpentineLookup(102, 0.5), 103);
}

TEST(FinAndTubeTest, SizeTextParse)
{
    struct Case
    {
        const char* text;
        int code;
        TSizeValues values; // when code is 0
    };
    const Case cases[] = {
        {"600 x 1200 4r 12f 16c", 0, {0.6, 1.2, 4, 12, 16}},
        {"600x1200 4r 12f 16c", 0, {0.6, 1.2, 4, 12, 16}},
        {"544 x 720 4r 12f  (14c)", 0, {0.544, 0.72, 4, 12, 14}},
        {"(600)-(1200)/4r/12f/16c extra 7 words", 0, {0.6, 1.2, 4, 12, 16}},
        {"600 X -1200 4r 12f 16c", 0, {0.6, 1.2, 4, 12, 16}},
        {"6.25 x 100 1r 0f 1c", 0, {0.00625, 0.1, 1, 0, 1}},
        {"25000 x 50000 20r 30f 1600c", 0, {25, 50, 20, 30, 1600}},
        {"600 x 1200 25r 12f 16c", 7, {}},
        {"6 x 1200 4r 12f 16c", 5, {}},
        {"25001 x 1200 4r 12f 16c", 5, {}},
        {"600 x 99 4r 12f 16c", 6, {}},
        {"600 x 1200 0.5r 12f 16c", 7, {}},
        {"600 x 1200 4r 31f 16c", 2, {}},
        {"600 x 1200 4r 12f 1601c", 8, {}},
        {"600 x 1200 4r 12f 0c", 8, {}},
        {"5 x 99 4r 12f 16c", 6, {}}, // the last failure wins
        {"5 x 1200 4r 12f", 1, {}},   // a missing number outranks a range failure
        {"600 x 1200 4r 12f", 1, {}},
        {"600 x 1200", 1, {}},
        {"", 1, {}},
        {"   ", 1, {}},
        {"600 x 12OO 4r 12f 16c", 1, {}},
        {"600 x 1200 4r 1.2E-1f 16c", 1, {}},
        {"1e400 x 1200 4r 12f 16c", 5, {}},
        {"nan x 1200 4r 12f 16c", 1, {}},
    };
    for (const Case& c : cases) {
        TSizeValues v;
        EXPECT_EQ(ParseSizeText(c.text, v), c.code) << c.text;

        if (c.code == 0) {
            EXPECT_DOUBLE_EQ(v.fHeight, c.values.fHeight) << c.text;
            EXPECT_DOUBLE_EQ(v.fpi, c.values.fpi) << c.text;
            EXPECT_DOUBLE_EQ(v.Circ, c.values.Circ) << c.text;
            if (c.values.fHeight < 0.02)
                continue; // too low for a single tube: the geometry itself fails
        }
        TFinAndTube g;
        const TModelRec before = g.Rec;
        const double aoBefore = g.Ao;
        g.SetSizeText(c.text);
        if (c.code == 0) {
            EXPECT_DOUBLE_EQ(g.Rec.fHeight, c.values.fHeight) << c.text;
            EXPECT_DOUBLE_EQ(g.Rec.fLength, c.values.fLength) << c.text;
            EXPECT_DOUBLE_EQ(g.Rec.Rows, c.values.Rows) << c.text;
            EXPECT_DOUBLE_EQ(g.Rec.fpi, c.values.fpi == 0 ? 2 : c.values.fpi) << c.text;
            EXPECT_DOUBLE_EQ(g.Rec.Circ, c.values.Circ) << c.text;
            EXPECT_EQ(g.TakeError(), 0) << c.text;
        } else {
            // Nothing changes but the error and the rejected text.
            EXPECT_EQ(g.ErrorCode, c.code) << c.text;
            EXPECT_EQ(g.SizeText, c.text);
            EXPECT_EQ(g.Rec.fHeight, before.fHeight);
            EXPECT_EQ(g.Rec.fLength, before.fLength);
            EXPECT_EQ(g.Rec.Rows, before.Rows);
            EXPECT_EQ(g.Rec.fpi, before.fpi);
            EXPECT_EQ(g.Rec.Circ, before.Circ);
            EXPECT_EQ(g.Ao, aoBefore);
            EXPECT_EQ(g.TakeError(), c.code);
            EXPECT_EQ(g.ErrorCode, 0);
        }
    }
    TFinAndTube g;
    g.SetSizeText("600x1200 4r 12f 16c");
    EXPECT_EQ(g.SizeText, "600 x 1200  4r  12f  16c");
    EXPECT_EQ(SizeErrorText(7), "rows outside 1..20");
}

TEST(FinAndTubeTest, NegativeSizeNumberFindsAMinusSign)
{
    const struct
    {
        const char* text;
        const char* negative;
    } cases[] = {
        {"600 x 1200 4r 12f 16c", ""},
        {"-600 x 1200 4r 12f 16c", "-600"},
        {"600 X -1200 4r 12f 16c", "-1200"}, // read as 1200 by the size text's own rule
        {"600 x 1200 4r 12f (-16c)", "-16"},
        {"600 x 1200 4r -0.5f 16c", "-0.5"},
        {"600 x 1200 4r 12f -.5c", "-.5"},
        {"(600)-(1200)/4r/12f/16c", ""}, // a minus between numbers separates them
        {"600-1200 4r 12f 16c", ""},
        {"600.-1200 4r 12f 16c", ""},
        {"5 ZMK 24 x 1200 x 4.0r x 12.00f - 16c", ""}, // a maker's designation
        {"600 x 1200 4r 12f 16c -", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NegativeSizeNumber(c.text), c.negative) << c.text;
}

TEST(FinAndTubeTest, FailedRecalculationKeepsLaterFields)
{
    TFinAndTube g;
    const TFinAndTube old = g;
    // A pattern without fin thickness or tube pitch cannot be built: the record is refused
    // whole (pattern error), so nothing is half computed.
    for (auto spoil : {+[](TModelRec& r) { r.tf = 0; }, +[](TModelRec& r) { r.Sy = 0; }}) {
        TModelRec r;
        r.fLength = 1.2;
        spoil(r);
        g.SetModel(r);
        EXPECT_EQ(g.TakeError(), kPatternError);
        EXPECT_DOUBLE_EQ(g.Rec.fLength, old.Rec.fLength);
        EXPECT_DOUBLE_EQ(g.Af, old.Af);
        EXPECT_EQ(g.Vi, old.Vi);
        EXPECT_EQ(g.EtaO, old.EtaO);
        EXPECT_EQ(g.SizeText, old.SizeText);
    }

    // A fin height below half a tube pitch gives no tubes: the serpentine ratio divides by zero.
    TFinAndTube k;
    k.SetHeight(0.01);
    EXPECT_EQ(k.TakeError(), 1);
    EXPECT_EQ(k.TubesHigh, 0);

    // Values that are not numbers are refused by the setters.
    TFinAndTube n;
    n.SetHeight(std::numeric_limits<double>::quiet_NaN());
    n.SetCircuits(std::numeric_limits<double>::infinity());
    n.SetFinMaterial(8);
    EXPECT_EQ(n.TakeError(), 1);
    EXPECT_EQ(n.Rec.fHeight, 0.5334);
    EXPECT_EQ(n.Rec.Circ, 7);
    EXPECT_EQ(n.Rec.Mf, 1);

    // A negative height is refused where it is set; a record forced to one gives no finite
    // weight, which is an arithmetic error, not a NaN or negative weight.
    TFinAndTube w;
    TModelRec neg;
    neg.fHeight = -0.5;
    w.SetModel(neg);
    EXPECT_EQ(w.TakeError(), 5);
    EXPECT_GT(w.Weight(), 0);
    w.Rec = neg;
    EXPECT_THROW(w.Weight(), EMathError);
}

TEST(FinAndTubeTest, PatternsThatCannotBeBuiltAreRefused)
{
    struct Case
    {
        const char* name;
        double ID, OD, Sx, Sy, tf;
        int pattern;
        const char* problem; // empty: the pattern can be built
    };
    const double id = 0.0125222, od = 0.013335, sx = 0.033, sy = 0.0381, tf = 0.0001524;
    const Case cases[] = {
        {"the default pattern", id, od, sx, sy, tf, 0, ""},
        {"inside diameter above outside", 0.014, od, sx, sy, tf, 0, "inside diameter"},
        {"inside diameter equal to outside", od, od, sx, sy, tf, 0, "inside diameter"},
        {"no inside diameter", 0, od, sx, sy, tf, 0, "inside diameter"},
        {"negative row pitch", id, od, -sx, sy, tf, 0, "pitches"},
        {"no tube pitch", id, od, sx, 0, tf, 0, "pitches"},
        {"no fin thickness", id, od, sx, sy, 0, 0, "fin thickness"},
        {"tube wider than its pitch", 0.036, 0.038, sx, sy, tf, 0, "does not fit"},
        // Rows 13 mm apart: in line the 13.6 mm collar cannot fit; staggered its nearest
        // neighbour is 23.1 mm away on the diagonal.
        {"in-line rows too close", id, od, 0.013, sy, tf, 1, "does not fit"},
        {"staggered rows close", id, od, 0.013, sy, tf, 0, ""},
        {"staggered diagonal too close", id, od, 0.005, 0.024, tf, 0, "does not fit"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string problem = PatternProblem(c.ID, c.OD, c.Sx, c.Sy, c.tf, c.pattern);
        if (*c.problem == 0) {
            EXPECT_EQ(problem, "");
            continue;
        }
        EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
        // The geometry refuses it whole: error 9, nothing changed, no negative count or weight.
        TFinAndTube g;
        const TFinAndTube old = g;
        TModelRec r = g.Rec;
        r.ID = c.ID;
        r.OD = c.OD;
        r.Sx = c.Sx;
        r.Sy = c.Sy;
        r.tf = c.tf;
        r.tp = static_cast<std::uint8_t>(c.pattern);
        g.SetModel(r);
        EXPECT_EQ(g.TakeError(), kPatternError);
        EXPECT_EQ(g.Rec.ID, old.Rec.ID);
        EXPECT_EQ(g.TubeCount, old.TubeCount);
        EXPECT_GT(g.Weight(), 0);
    }
    // Fins thicker than their pitch cannot be set either: 0.6 mm fins fit at 10 per inch
    // (2.54 mm), not at 50 per inch (0.508 mm).
    TFinAndTube g;
    TModelRec r = g.Rec;
    r.tf = 0.0006;
    g.SetModel(r);
    EXPECT_EQ(g.TakeError(), 0);
    g.SetFpi(50);
    EXPECT_EQ(g.TakeError(), kPatternError);
    EXPECT_EQ(g.Rec.fpi, 10);
    r.fpi = 50;
    EXPECT_EQ(RecordProblem(r), kPatternError);
    std::string why;
    r.fHeight = 0;
    EXPECT_EQ(RecordProblem(r, &why), 5);
    EXPECT_NE(why.find("fin height"), std::string::npos) << why;
    EXPECT_EQ(SizeErrorText(kPatternError), "the tube and fin pattern cannot be built");
}

TEST(FinAndTubeTest, MaterialsAndKindCodes)
{
    EXPECT_STREQ(MaterialTable[5].Name, "Epoxy Coated Aluminium");
    EXPECT_STREQ(MaterialTable[5].Short, "Ale");
    EXPECT_EQ(MaterialTable[7].Density, 8522);
    EXPECT_EQ(MaterialIndexOfShort("gi"), 3);
    EXPECT_EQ(MaterialIndexOfShort("XX"), -1);
    EXPECT_STREQ(MaterialAt(42, 1).Short, "Al");
    EXPECT_EQ(KindShortCode(4), "CD");
    EXPECT_EQ(KindLongCode(4), "ACC");
    EXPECT_EQ(KindLongCode(5), "ZMK");
    EXPECT_EQ(KindShortCode(6), "");

    // A different fin material changes the fin efficiency.
    TFinAndTube g;
    g.SetFinMaterial(0);
    EXPECT_GT(g.EtaF, 0.8761);
}

TEST(FinAndTubeTest, MakerDesignations)
{
    struct Case
    {
        const char* maker;
        int tube;
        const char* designation;
    };
    const Case cases[] = {
        {"gea", 4, "14T 4.0NR 740A 3P 7NC"},
        {"GEA", 4, "14T 4.0NR 740A 3P 7NC"},
        {"Recoil", 4, "ZM  12733 / 14 / 4.0 / 10.00 /  740 Al/GI (7)"},
        {"RECOIL", 6, "ZM  19033 / 14 / 4.0 / 10.00 /  740 Al/GI (7)"},   // 190.5 tenths, halves to even
        {"recoil", 106, "ZM  06033 / 14 / 4.0 / 10.00 /  740 Al/GI (7)"}, // 6 mm
        {"HC", 4, "4 ZMK 21 x 740 x 4.0r x 10.00f - 7c (Cu/Al/GI)"},
        {"hc", 112, "12 ZMK 21 x 740 x 4.0r x 10.00f - 7c (Cu/Al/GI)"},
        {"BAC", 4, "14 - 74 - 4.0 / 2.54 - 7c"},
        {"Enviroware", 5, "ENV5  21\" x 740mm x 4.0r x 10.00f - 7c"},
        {"typical", 4, ""},
        {"Default", 4, ""},
    };
    for (const Case& c : cases) {
        TModelRec r;
        r.Mnf = c.maker;
        r.Tube = static_cast<std::uint8_t>(c.tube);
        r.Code = 5;
        TFinAndTube g;
        g.SetModel(r);
        EXPECT_EQ(g.MakerDesignation(), c.designation) << c.maker << " " << c.tube;
    }
    // No designation for a record that has no tube pitch.
    TModelRec r;
    r.Mnf = "GEA";
    r.Sy = 0;
    TFinAndTube g;
    g.SetModel(r);
    EXPECT_EQ(g.TakeError(), kPatternError);
    g.Rec = r; // forced in, as a stored file could hold it
    EXPECT_EQ(g.MakerDesignation(), "");
}

TEST(FinAndTubeTest, TubeLineAndManufacturingReport)
{
    Quantities().ResetDefaults();
    TModelRec r;
    r.Model = "1/2";
    TFinAndTube g;
    g.SetModel(r);
    EXPECT_EQ(g.TubeLine(), "Default: 1/2\" 33x38.1 (Cu/Al/GI)");

    std::vector<std::string> lines = g.ManufacturingReport();
    ASSERT_EQ(lines.size(), 39u); // no designation for this maker
    EXPECT_EQ(lines[0], "<pre>");
    EXPECT_EQ(lines[1], "<b>Coil Manufacturing Report</b>");
    EXPECT_EQ(lines[2], "Default (1/2)");
    EXPECT_EQ(lines[3], "533.4 x 740  4r  10f  7c");
    EXPECT_EQ(lines[4], "");
    EXPECT_EQ(lines[5], "<b>Dimensions</b>");
    EXPECT_EQ(lines[6].rfind("Height ", 0), 0u);
    EXPECT_EQ(lines[9], "Rows 4.0");
    EXPECT_EQ(lines[11].rfind("Weight 24.2", 0), 0u);
    EXPECT_EQ(lines[14], "Tubes High 14");
    EXPECT_EQ(lines[15], "Tube Count 56.0");
    EXPECT_EQ(lines[16], "Circuits 7");
    EXPECT_EQ(lines[17], "Circuit Basis Tubes high");
    EXPECT_EQ(lines[18], "Tubes/Circuits 8");
    EXPECT_EQ(lines[19], "Unlinked tubes 0");
    EXPECT_EQ(lines[20], "Serpentine 1/2");
    EXPECT_EQ(lines[21].rfind("Eq Length ", 0), 0u);
    EXPECT_EQ(lines[22], "Connections Same end");
    EXPECT_EQ(lines[24], "<b>Tube (Staggered Pattern)</b>");
    EXPECT_EQ(lines[25].rfind("ID ", 0), 0u);
    EXPECT_EQ(lines[28].rfind("Sy ", 0), 0u);
    EXPECT_EQ(lines[30], "<b>Fin</b>");
    EXPECT_EQ(lines[32], "Area factor 1.000");
    EXPECT_EQ(lines[35], "Fin Al");
    EXPECT_EQ(lines[36], "Tube Cu");
    EXPECT_EQ(lines[37], "Casing GI");
    EXPECT_EQ(lines[38], "</pre>");

    // A maker with a designation form adds its line; more circuits than tubes drop the unlinked line.
    r.Mnf = "GEA";
    r.Circ = 100;
    g.SetModel(r);
    lines = g.ManufacturingReport();
    ASSERT_EQ(lines.size(), 39u);
    EXPECT_EQ(lines[4], "14T 4.0NR 740A 3P 100NC");
    EXPECT_EQ(lines[19], "Tubes/Circuits 0");
    EXPECT_EQ(lines[20], "Serpentine 6");
}

} // namespace
} // namespace zmk

namespace zmk {
namespace {

// Every derived field, bit for bit, and the record and size text they came from.
void ExpectSameGeometry(const TFinAndTube& a, const TFinAndTube& b)
{
    EXPECT_TRUE(SameRecord(a.Rec, b.Rec));
    EXPECT_EQ(a.SizeText, b.SizeText);
    EXPECT_EQ(a.ErrorCode, b.ErrorCode);
    EXPECT_EQ(a.TubesHigh, b.TubesHigh);
    EXPECT_EQ(a.Connections, b.Connections);
    const double TFinAndTube::*fields[] = {&TFinAndTube::Af,     &TFinAndTube::TubeCount, &TFinAndTube::Fp,
                                           &TFinAndTube::FinCount, &TFinAndTube::Depth, &TFinAndTube::Dc,
                                           &TFinAndTube::EqFinHeight, &TFinAndTube::Afin, &TFinAndTube::Ao,
                                           &TFinAndTube::AoAfRow, &TFinAndTube::Sigma, &TFinAndTube::Amin,
                                           &TFinAndTube::Dh,     &TFinAndTube::Ax,        &TFinAndTube::Ai,
                                           &TFinAndTube::AoAi,   &TFinAndTube::Vi,        &TFinAndTube::mL,
                                           &TFinAndTube::EtaF,   &TFinAndTube::EtaO};
    for (std::size_t i = 0; i < std::size(fields); ++i)
        EXPECT_EQ(a.*fields[i], b.*fields[i]) << "derived field " << i;
}

} // namespace

// A setter given the value the coil already has skips the recalculation; any change of any
// field the calculation reads must still recalculate, as if nothing had been remembered.
TEST(FinAndTubeTest, SkippedRecalculationFollowsEveryInput)
{
    struct Change
    {
        const char* name;
        void (*apply)(TModelRec&);
    };
    const Change changes[] = {
        {"fHeight", [](TModelRec& r) { r.fHeight = 0.61; }},
        {"fLength", [](TModelRec& r) { r.fLength = 1.3; }},
        {"Rows", [](TModelRec& r) { r.Rows = 3.5; }},
        {"fpi", [](TModelRec& r) { r.fpi = 13; }},
        {"Circ", [](TModelRec& r) { r.Circ = 9; }},
        {"Circ below 1", [](TModelRec& r) { r.Circ = 0.4; }},
        {"cb", [](TModelRec& r) { r.cb = 1; }},
        {"Serp", [](TModelRec& r) { r.Serp = 3; }},
        {"Sx", [](TModelRec& r) { r.Sx = 0.035; }},
        {"Sy", [](TModelRec& r) { r.Sy = 0.04; }},
        {"ID", [](TModelRec& r) { r.ID = 0.012; }},
        {"OD", [](TModelRec& r) { r.OD = 0.0135; }},
        {"tf", [](TModelRec& r) { r.tf = 0.0002; }},
        {"fc", [](TModelRec& r) { r.fc = 1.1; }},
        {"ft", [](TModelRec& r) { r.ft = 1.2; }},
        {"Mf", [](TModelRec& r) { r.Mf = 2; }},
        {"Mt", [](TModelRec& r) { r.Mt = 1; }},
        {"Mnf", [](TModelRec& r) { r.Mnf = "other"; }},
    };
    for (const Change& c : changes) {
        SCOPED_TRACE(c.name);
        TFinAndTube g;
        g.SetHeight(g.Rec.fHeight); // calculated and remembered
        ASSERT_TRUE(g.IsCalculated());
        TModelRec r = g.Rec;
        c.apply(r);
        g.SetModel(r);
        // What a calculation that remembers nothing gives for the same record.
        TFinAndTube fresh;
        fresh.Rec = r;
        fresh.Recalculate();
        ExpectSameGeometry(g, fresh);
        // Setting each of the five values again as they stand changes nothing.
        g.SetHeight(g.Rec.fHeight);
        g.SetLength(g.Rec.fLength);
        g.SetRows(g.Rec.Rows);
        g.SetFpi(g.Rec.fpi);
        g.SetCircuits(g.Rec.Circ);
        fresh.Recalculate();
        ExpectSameGeometry(g, fresh);
    }
}

// The record and the size text are public: a change made to them directly, not through a
// setter, is never hidden by a remembered calculation.
TEST(FinAndTubeTest, DirectChangesAreRecalculatedByTheNextSetter)
{
    TFinAndTube g;
    g.SetHeight(g.Rec.fHeight);
    g.Rec.Sx = 0.04; // no recalculation yet
    EXPECT_FALSE(g.IsCalculated());
    g.SetHeight(g.Rec.fHeight);
    TFinAndTube fresh;
    fresh.Rec = g.Rec;
    fresh.Recalculate();
    ExpectSameGeometry(g, fresh);

    // A size text as the user typed it is put back in the program's own form.
    g.SetSizeText("533.4x1200 4r 10f 14c");
    EXPECT_EQ(g.SizeText, g.FormatSizeText());
    g.SetRows(g.Rec.Rows);
    EXPECT_TRUE(g.IsCalculated());
    g.SizeText = "edited";
    EXPECT_FALSE(g.IsCalculated());
    g.SetRows(g.Rec.Rows);
    EXPECT_EQ(g.SizeText, g.FormatSizeText());
}

} // namespace zmk
