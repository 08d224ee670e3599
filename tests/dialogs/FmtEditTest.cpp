#include "dialogs/FmtEdit.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace zmk {

namespace {

/// Enters the field, replaces its whole text by typing, and leaves it.
TExitResult TypeAndLeave(TFmtEdit& field, std::string_view typed)
{
    field.Enter();
    field.SelectAll();
    field.KeyPress(kKeyBackspace);
    for (char c : typed)
        field.KeyPress(static_cast<unsigned char>(c));
    return field.Exit();
}

class FmtEditTest : public ::testing::Test
{
protected:
    TEntryErrorFlag flag;
};

} // namespace

TEST_F(FmtEditTest, DefaultsOfAFreshField)
{
    TFmtEdit field(flag);
    EXPECT_EQ(field.FormatStr(), "%0.1f");
    EXPECT_EQ(field.FormatType(), ft_Fixed);
    EXPECT_EQ(field.SigDigs(), 5);
    EXPECT_EQ(field.UnitsType(), utNone);
    EXPECT_EQ(field.UnitsBase(), 0);
    EXPECT_EQ(field.UnitsValue(), 0);
    EXPECT_EQ(field.UnitsLabel(), nullptr);
    EXPECT_EQ(field.RangeLo(), 0);
    EXPECT_EQ(field.RangeHi(), 0);
    EXPECT_EQ(field.Text(), "0.0");
    EXPECT_EQ(field.Factor(), 1);
    EXPECT_EQ(field.Offset(), 0);
    EXPECT_EQ(field.Decimals(), 1);
    EXPECT_FALSE(field.Modified());
    EXPECT_FALSE(field.ReadOnly());
}

TEST_F(FmtEditTest, FormatClassesAndTheCharacterFilter)
{
    EXPECT_EQ(FormatClassOf("%s"), TFormatClass::Text);
    EXPECT_EQ(FormatClassOf("%S"), TFormatClass::Text);
    EXPECT_EQ(FormatClassOf("%0.1f/%0.1f"), TFormatClass::Pair);
    EXPECT_EQ(FormatClassOf("%d"), TFormatClass::Integer);
    EXPECT_EQ(FormatClassOf("%0.3g"), TFormatClass::Real);
    EXPECT_EQ(FormatClassOf("%x"), TFormatClass::Other);
    EXPECT_TRUE(IsGeneralFormat("%0.4G"));

    TFmtEdit field(flag);
    const struct
    {
        const char* format;
        const char* accepted;
        const char* refused;
    } cases[] = {
        {"%0.1f/%0.1f", "0123456789-./", "eE+a ,"},
        {"%d", "0123456789-", ".eE/a"},
        {"%0.2f", "0123456789-.", "eE/a+,"},
        {"%0.4g", "0123456789-.eE", "/a+,"},
        {"%s", "aZ 1./-,", ""},
    };
    for (const auto& c : cases) {
        field.SetFormatStr(c.format);
        for (const char* p = c.accepted; *p; ++p)
            EXPECT_TRUE(field.AcceptsChar(static_cast<unsigned char>(*p))) << c.format << " '" << *p << "'";
        for (const char* p = c.refused; *p; ++p)
            EXPECT_FALSE(field.AcceptsChar(static_cast<unsigned char>(*p))) << c.format << " '" << *p << "'";
    }
    field.SetFormatStr("%0.1f");
    EXPECT_FALSE(field.AcceptsChar(U'\u00B0'));
}

TEST_F(FmtEditTest, TemperatureFieldConvertsBothWays)
{
    TFmtEdit field(flag);
    field.SetUnitsType(utTemperature);
    field.SetUnitsValue(1); // °F
    EXPECT_EQ(field.FormatStr(), "%0.1f");
    field.SetValue(20);
    EXPECT_EQ(field.Text(), "68.0");
    TExitResult r = TypeAndLeave(field, "212");
    EXPECT_FALSE(r.keepFocus);
    EXPECT_EQ(field.Text(), "212.0");
    EXPECT_NEAR(static_cast<double>(field.GetValue().AsNumber()), 100.0, 1e-12);
    field.SetUnitsValue(2); // K: the stored value stays
    EXPECT_EQ(field.Text(), "373.15");
    EXPECT_NEAR(static_cast<double>(field.GetValue().AsNumber()), 100.0, 1e-9);
}

TEST_F(FmtEditTest, RangeCheckWithHalfPercentTolerance)
{
    TFmtEdit field(flag);
    field.SetFormatStr("%0.4f");
    field.SetRangeLo(0.01);
    field.SetRangeHi(500);
    const struct
    {
        const char* typed;
        const char* shown;
        bool refused;
    } cases[] = {
        {"0", "0.0100", true},      {"502", "502.0000", false},   {"600", "500.0000", true},
        {"250", "250.0000", false}, {"0.00996", "0.0100", false}, // 0.4 % below: kept, shown rounded
    };
    for (const auto& c : cases) {
        TExitResult r = TypeAndLeave(field, c.typed);
        EXPECT_EQ(field.Text(), c.shown) << c.typed;
        EXPECT_EQ(r.keepFocus, c.refused) << c.typed;
        EXPECT_EQ(r.beep, c.refused) << c.typed;
        EXPECT_EQ(flag.IsSet(), c.refused) << c.typed;
        EXPECT_EQ(field.Modified(), c.refused) << c.typed;
    }

    field.SetFormatStr("%0.1f");
    field.SetRangeLo(-60);
    field.SetRangeHi(900);
    TypeAndLeave(field, "-60.2");
    EXPECT_EQ(field.Text(), "-60.2");
    EXPECT_FALSE(flag.IsSet());
    TypeAndLeave(field, "-61");
    EXPECT_EQ(field.Text(), "-60.0");
    EXPECT_TRUE(flag.IsSet());

    field.SetRangeLo(0);
    field.SetRangeHi(0);
    TypeAndLeave(field, "-1000000");
    EXPECT_EQ(field.Text(), "-1000000.0");
    EXPECT_FALSE(flag.IsSet());
}

TEST_F(FmtEditTest, WholeNumberFieldsRefuseAFraction)
{
    // Rows and circuits: counts shown "%0.1f", taken only whole; a fraction is refused as a value
    // out of range is, brought to the nearest whole number with a beep.
    TFmtEdit field(flag);
    ConfigureField(field, {"edRows", "row", utNone, "", "", "%0.1f", 1, 20, ft_Fixed, true});
    EXPECT_TRUE(field.WholeNumber());
    const struct
    {
        const char* typed;
        const char* shown;
        bool refused;
    } cases[] = {
        {"3", "3.0", false},    {"4.0", "4.0", false},   {"2.5", "2.0", true},
        {"2.51", "3.0", true},  {"3.5", "4.0", true},    {"0.2", "1.0", true},
        {"25.5", "20.0", true}, {"20.05", "20.0", true}, {"7", "7.0", false},
    };
    for (const auto& c : cases) {
        const TExitResult r = TypeAndLeave(field, c.typed);
        EXPECT_EQ(field.Text(), c.shown) << c.typed;
        EXPECT_EQ(r.keepFocus, c.refused) << c.typed;
        EXPECT_EQ(r.beep, c.refused) << c.typed;
        EXPECT_EQ(flag.IsSet(), c.refused) << c.typed;
    }
    // Enter refuses it the same way.
    field.Enter();
    field.SelectAll();
    for (const char ch : std::string("6.5"))
        field.KeyPress(static_cast<unsigned char>(ch));
    EXPECT_TRUE(field.KeyPress(kKeyEnter).beep);
    EXPECT_EQ(field.Text(), "6.0");
    EXPECT_DOUBLE_EQ(static_cast<double>(field.GetValue().AsNumber()), 6);

    // A field of reals takes the fraction.
    TFmtEdit real(flag);
    ConfigureField(real, {"edFinDensity", "", utNone, "", "", "%0.1f", 1, 20});
    EXPECT_FALSE(real.WholeNumber());
    EXPECT_FALSE(TypeAndLeave(real, "2.5").beep);
    EXPECT_EQ(real.Text(), "2.5");
}

TEST_F(FmtEditTest, RangeIsCheckedInTheDisplayUnit)
{
    TFmtEdit field(flag);
    field.SetUnitsType(utTemperature);
    field.SetUnitsValue(1); // °F; range -60..900 °C is -76..1652 °F
    field.SetRangeLo(-60);
    field.SetRangeHi(900);
    TypeAndLeave(field, "-80");
    EXPECT_EQ(field.Text(), "-76.0");
    EXPECT_TRUE(flag.IsSet());
    // Equal bounds after conversion mean no range, even with an offset.
    field.SetRangeLo(0);
    field.SetRangeHi(0);
    TypeAndLeave(field, "-500");
    EXPECT_EQ(field.Text(), "-500.0");
    EXPECT_FALSE(flag.IsSet());
}

TEST_F(FmtEditTest, ValidateCleansAndReformats)
{
    TFmtEdit field(flag);
    field.SetFormatStr("%0.2f");
    const std::pair<const char*, const char*> cases[] = {
        {" 1 2.5.6", "12.56"}, {"--5", "-5.00"}, {"3-4", "34.00"}, {"", "0.00"},
        {"E2", "100.00"},      {"1e-3", "0.00"}, {"abc", "abc"},   {"1E-", "1E-"},
    };
    for (auto [typed, shown] : cases) {
        EXPECT_TRUE(field.Validate(typed)) << typed;
        EXPECT_EQ(field.Text(), shown) << typed;
    }
    // Unreadable text: GetValue gives the raw text.
    field.SetText("abc");
    EXPECT_FALSE(field.GetValue().IsNumber());
    EXPECT_EQ(field.GetValue().AsText(), "abc");

    field.SetFormatStr("%d");
    EXPECT_TRUE(field.Validate("2.5"));
    EXPECT_EQ(field.Text(), "2"); // ties to even
    EXPECT_TRUE(field.Validate("3.5"));
    EXPECT_EQ(field.Text(), "4");
    EXPECT_EQ(field.GetValue().AsNumber(), 4);
    EXPECT_TRUE(field.Validate("1E99")); // too big for an integer: left as typed
    EXPECT_EQ(field.Text(), "1E99");

    field.SetFormatStr("%s");
    EXPECT_TRUE(field.Validate(" any text "));
    EXPECT_EQ(field.Text(), " any text ");
    EXPECT_EQ(field.GetValue().AsText(), " any text ");
}

TEST_F(FmtEditTest, PairFields)
{
    TFmtEdit field(flag);
    field.SetFormatStr("%0.1f/%0.1f");
    EXPECT_TRUE(field.Validate("25/18"));
    EXPECT_EQ(field.Text(), "25.0/18.0");
    EXPECT_EQ(field.GetValue().AsText(), "25.0/18.0");
    EXPECT_TRUE(field.Validate("25"));
    EXPECT_EQ(field.Text(), "25.0");
    EXPECT_EQ(field.GetValue().AsText(), "25");
    EXPECT_TRUE(field.Validate("25/18/3"));
    EXPECT_EQ(field.Text(), "25.0/183.0");

    field.SetRangeLo(-10);
    field.SetRangeHi(50);
    EXPECT_FALSE(field.Validate("25/80"));
    EXPECT_EQ(field.Text(), "25.0/50.0");
    EXPECT_FALSE(field.Validate("-20/80"));
    EXPECT_EQ(field.Text(), "-10.0/50.0");
    EXPECT_FALSE(field.Validate("99"));
    EXPECT_EQ(field.Text(), "50.0");

    // A dry-bulb/wet-bulb pair in °F: shown converted, read back in °C.
    TFmtEdit temps(flag);
    temps.SetFormatStr("%0.1f/%0.1f");
    temps.SetUnitsType(utTemperature);
    EXPECT_EQ(temps.FormatStr(), "%0.1f/%0.1f");
    temps.SetValue("25/18");
    EXPECT_EQ(temps.Text(), "25.0/18.0");
    temps.SetUnitsValue(1);
    EXPECT_EQ(temps.Text(), "77.0/64.4");
    EXPECT_EQ(temps.GetValue().AsText(), "25.0/18.0");
    // One number alone survives a unit change.
    temps.SetText("77");
    temps.SetUnitsValue(0);
    EXPECT_EQ(temps.Text(), "25.0");
}

TEST_F(FmtEditTest, UnitChangeConvertsTheShownNumber)
{
    TFmtEdit field(flag);
    field.SetUnitsType(utLengthMeasure); // stored in m
    field.SetUnitsValue(2);              // mm
    EXPECT_EQ(field.FormatStr(), "%0.1f");
    field.SetText("25.4");
    field.SetUnitsValue(3); // inch
    EXPECT_EQ(field.Text(), "1.00");
    EXPECT_EQ(field.FormatStr(), "%0.2f");
    EXPECT_NEAR(static_cast<double>(field.GetValue().AsNumber()), 0.0254, 1e-15);

    // Indexes are clamped into the kind's list.
    field.SetUnitsValue(99);
    EXPECT_EQ(field.UnitsValue(), 4);
    field.SetUnitsBase(-3);
    EXPECT_EQ(field.UnitsBase(), 0);

    // ft_Manual keeps its own format.
    TFmtEdit manual(flag);
    manual.SetFormatType(ft_Manual);
    manual.SetFormatStr("%0.3f");
    manual.SetUnitsType(utLengthMeasure);
    manual.SetValue(0.5);
    manual.SetUnitsValue(2);
    EXPECT_EQ(manual.FormatStr(), "%0.3f");
    EXPECT_EQ(manual.Text(), "500.000");

    // Setting the kind takes the present text as a stored value.
    TFmtEdit kind(flag);
    kind.SetUnitsValue(7); // utNone: kept as it is
    EXPECT_EQ(kind.UnitsValue(), 7);
    kind.SetText("20");
    kind.SetUnitsType(utTemperature); // index 7 clamped to 2 (K)
    EXPECT_EQ(kind.UnitsValue(), 2);
    EXPECT_EQ(kind.Text(), "293.15");

    // Integer and text fields without units are left alone.
    TFmtEdit count(flag);
    count.SetFormatStr("%d");
    count.SetText("12");
    count.SetUnitsValue(1);
    EXPECT_EQ(count.Text(), "12");
}

TEST_F(FmtEditTest, SetValueByFormatType)
{
    TFmtEdit field(flag);
    field.SetFormatType(ft_Auto);
    field.SetSigDigs(5);
    const std::pair<double, const char*> autos[] = {
        {0.001234, "0.00123"}, {0.5, "0.500"}, {5.5, "5.500"}, {1234.5, "1234.5"}, {-1.5, "-1.500"}};
    for (auto [v, shown] : autos) {
        field.SetValue(v);
        EXPECT_EQ(field.Text(), shown) << v;
    }

    field.SetFormatType(ft_AutoOverride);
    field.SetFormatStr("%0.3f");
    field.SetValue(0.05);
    EXPECT_EQ(field.Text(), "0.0500");
    field.SetValue(0.5);
    EXPECT_EQ(field.Text(), "0.500");
    field.SetValue(-12.5);
    EXPECT_EQ(field.Text(), "-12.50"); // negative values take significant digits
    field.SetValue(1234.5);
    EXPECT_EQ(field.Text(), "1234.500");

    field.SetFormatType(ft_Fixed);
    field.SetValue(2.25);
    EXPECT_EQ(field.Text(), "2.250");
    field.SetFormatStr("%d");
    field.SetValue(2.5);
    EXPECT_EQ(field.Text(), "2");

    // What cannot be shown empties the field.
    field.SetFormatStr("%0.1f");
    field.SetValue("not a number");
    EXPECT_EQ(field.Text(), "");
    field.SetValue(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(field.Text(), "");
    field.SetFormatStr("%x");
    field.SetValue(3.0);
    EXPECT_EQ(field.Text(), "");

    // Text fields.
    field.SetFormatStr("%s");
    field.SetValue("Coil 1");
    EXPECT_EQ(field.Text(), "Coil 1");
    field.SetValue(1.5);
    EXPECT_EQ(field.Text(), "1.5");

    TFmtEdit text(flag);
    text.SetFormatStr("%S");
    EXPECT_EQ(text.Text(), ""); // "%S" empties the untouched "0.0"
    text.SetText("0.0");
    text.SetFormatStr("%s");
    EXPECT_EQ(text.Text(), "0.0");
}

TEST_F(FmtEditTest, TypingEscapeAndTheModifiedFlag)
{
    TFmtEdit field(flag);
    field.SetText("12.5");
    field.Enter();
    EXPECT_EQ(field.EntryText(), "12.5");
    EXPECT_FALSE(field.Modified());

    // Unmodified: Escape is the window's.
    EXPECT_FALSE(field.KeyPress(kKeyEscape).consumed);

    // Caret at the end: typing appends, a refused key beeps and changes nothing.
    TKeyResult r = field.KeyPress('7');
    EXPECT_TRUE(r.consumed);
    EXPECT_FALSE(r.beep);
    EXPECT_EQ(field.Text(), "12.57");
    EXPECT_TRUE(field.Modified());
    r = field.KeyPress('x');
    EXPECT_TRUE(r.beep);
    EXPECT_EQ(field.Text(), "12.57");

    // Backspace deletes before the caret; a one-character selection is replaced.
    field.SetSelection(2, 0);
    field.KeyPress(kKeyBackspace);
    EXPECT_EQ(field.Text(), "1.57");
    field.SetSelection(0, 1);
    field.KeyPress('9');
    EXPECT_EQ(field.Text(), "9.57");
    EXPECT_EQ(field.SelStart(), 1);

    // A longer selection goes first, even when the key is then refused.
    field.SetSelection(1, 3);
    r = field.KeyPress('q');
    EXPECT_TRUE(r.beep);
    EXPECT_EQ(field.Text(), "9");

    // Escape in a modified field restores the entry text and claims the key.
    r = field.KeyPress(kKeyEscape);
    EXPECT_TRUE(r.consumed);
    EXPECT_EQ(field.Text(), "12.5");
    EXPECT_FALSE(field.Modified());
    EXPECT_FALSE(field.KeyPress(kKeyEscape).consumed);

    // Clipboard keys pass to the widget; a paste arrives as an unfiltered edit.
    EXPECT_FALSE(field.KeyPress(kKeyCtrlV).consumed);
    EXPECT_FALSE(field.KeyPress(kKeyCtrlC).consumed);
    EXPECT_FALSE(field.KeyPress(kKeyCtrlX).consumed);
    field.EditText("3,5");
    EXPECT_TRUE(field.Modified());
    EXPECT_TRUE(field.Exit().keepFocus == false);
    EXPECT_EQ(field.Text(), "3,5"); // not a number: left as typed

    // Enter validates in place.
    field.Enter();
    field.SelectAll();
    field.KeyPress('4');
    r = field.KeyPress(kKeyEnter);
    EXPECT_TRUE(r.consumed);
    EXPECT_FALSE(r.beep);
    EXPECT_EQ(field.Text(), "4.0");

    // Read-only: typing does nothing, Escape still belongs to the window.
    field.Enter();
    field.SetReadOnly(true);
    r = field.KeyPress('5');
    EXPECT_TRUE(r.consumed);
    EXPECT_FALSE(r.beep);
    EXPECT_EQ(field.Text(), "4.0");
    EXPECT_FALSE(field.Modified());
    field.KeyPress(kKeyBackspace);
    EXPECT_EQ(field.Text(), "4.0");
}

TEST_F(FmtEditTest, EnterKeyAndExitSetTheEntryErrorFlag)
{
    TFmtEdit field(flag);
    field.SetFormatStr("%0.0f");
    field.SetRangeLo(10);
    field.SetRangeHi(20);
    int exits = 0;
    field.OnExit = [&](TFmtEdit& f) {
        ++exits;
        EXPECT_EQ(&f, &field);
    };
    field.Enter();
    field.SelectAll();
    field.KeyPress('5');
    TKeyResult r = field.KeyPress(kKeyEnter);
    EXPECT_TRUE(r.beep);
    EXPECT_TRUE(flag.IsSet());
    EXPECT_EQ(field.Text(), "10");

    // Leaving with the bound in place: checked again (now inside), flag cleared.
    TExitResult e = field.Exit();
    EXPECT_FALSE(e.keepFocus);
    EXPECT_FALSE(flag.IsSet());
    EXPECT_EQ(exits, 1);
    EXPECT_FALSE(field.Modified());

    // Leaving an unmodified field runs the exit handler but leaves the flag alone.
    flag.Set();
    field.Enter();
    e = field.Exit();
    EXPECT_EQ(exits, 2);
    EXPECT_TRUE(flag.IsSet());
    flag.Reset();

    // A refused exit keeps the field modified: Escape then brings back the entry text.
    field.SetText("15");
    field.Enter();
    field.SelectAll();
    field.KeyPress('3');
    e = field.Exit();
    EXPECT_TRUE(e.keepFocus);
    EXPECT_TRUE(e.beep);
    EXPECT_EQ(field.Text(), "10");
    EXPECT_TRUE(field.Modified());
    EXPECT_TRUE(field.KeyPress(kKeyEscape).consumed);
    EXPECT_EQ(field.Text(), "15");
    flag.Reset();

    // The shared flag belongs to fields built without one.
    EntryErrorFlag().Reset();
    TFmtEdit shared;
    shared.SetRangeLo(1);
    shared.SetRangeHi(2);
    TypeAndLeave(shared, "5");
    EXPECT_TRUE(EntryErrorFlag().IsSet());
    EntryErrorFlag().Reset();
}

// A field that commits on Enter: Enter runs its exit handler as leaving would, and the field is
// entered again; one that does not only validates.
TEST_F(FmtEditTest, EnterCommitsAFieldThatCommitsOnEnter)
{
    for (const bool commit : {false, true}) {
        SCOPED_TRACE(commit ? "commits on Enter" : "validates on Enter");
        TFmtEdit field(flag);
        field.SetFormatStr("%0.0f");
        field.SetRangeLo(10);
        field.SetRangeHi(20);
        field.SetText("15");
        field.SetCommitOnEnter(commit);
        EXPECT_EQ(field.CommitOnEnter(), commit);
        std::vector<std::string> committed;
        field.OnExit = [&](TFmtEdit& f) {
            if (f.Modified())
                committed.push_back(f.Text());
        };
        field.Enter();
        field.SelectAll();
        field.KeyPress('1');
        field.KeyPress('2');
        TKeyResult r = field.KeyPress(kKeyEnter);
        EXPECT_TRUE(r.consumed);
        EXPECT_FALSE(r.beep);
        EXPECT_EQ(field.Text(), "12");
        EXPECT_EQ(committed, commit ? std::vector<std::string>{"12"} : std::vector<std::string>{});
        EXPECT_EQ(field.Modified(), !commit);
        // Escape goes back to the committed text, or to the text the field was entered with.
        field.KeyPress(kKeyEscape);
        EXPECT_EQ(field.Text(), commit ? "12" : "15");

        // A value brought to its bound beeps; committed, it stays modified as after leaving.
        field.Enter();
        field.SelectAll();
        field.KeyPress('5');
        r = field.KeyPress(kKeyEnter);
        EXPECT_TRUE(r.beep);
        EXPECT_EQ(field.Text(), "10");
        EXPECT_TRUE(field.Modified());
        EXPECT_EQ(committed.size(), commit ? 2u : 0u);
        flag.Reset();
    }
}

TEST_F(FmtEditTest, LabelsListTheirFieldsAndDetachBothWays)
{
    TFmtEditLabel label;
    auto a = std::make_unique<TFmtEdit>(flag);
    auto b = std::make_unique<TFmtEdit>(flag);
    a->SetUnitsType(utLengthMeasure);
    a->SetUnitsValue(2);
    b->SetUnitsType(utLengthMeasure);
    a->SetUnitsLabel(&label);
    EXPECT_EQ(label.Caption(), "mm");
    a->SetUnitsLabel(&label); // joins once
    b->SetUnitsLabel(&label);
    ASSERT_EQ(label.Fields().size(), 2u);
    EXPECT_EQ(label.Caption(), "m");

    a.reset();
    ASSERT_EQ(label.Fields().size(), 1u);
    EXPECT_EQ(label.Fields()[0], b.get());
    b->SetUnitsLabel(nullptr);
    EXPECT_TRUE(label.Fields().empty());

    // A text format becomes "%0.1f" when a label is set.
    TFmtEdit text(flag);
    text.SetFormatStr("%s");
    TUnitLabel plain;
    text.SetUnitsLabel(&plain);
    EXPECT_EQ(text.FormatStr(), "%0.1f");

    // Moving to another label leaves the first one's list.
    TFmtEditLabel other;
    text.SetUnitsLabel(&other);
    EXPECT_TRUE(plain.Fields().empty());
    EXPECT_EQ(other.Fields().size(), 1u);

    // A label destroyed first leaves no dangling reference.
    auto dying = std::make_unique<TFmtEditLabel>();
    TFmtEdit field(flag);
    field.SetUnitsLabel(dying.get());
    dying.reset();
    EXPECT_EQ(field.UnitsLabel(), nullptr);
    field.SetUnitsType(utTemperature); // would write to the label if it were still held
}

TEST_F(FmtEditTest, ChooserHandOffChangesEveryAttachedField)
{
    TFmtEditLabel label;
    TFmtEdit t1(flag), t2(flag);
    for (TFmtEdit* f : {&t1, &t2}) {
        f->SetUnitsType(utTemperature);
        f->SetUnitsLabel(&label);
        f->SetValue(100);
    }
    t2.SetValue(0);
    std::vector<std::string> edited;
    t1.OnUnitsEdited = [&](TFmtEdit&) { edited.push_back("t1"); };
    t2.OnUnitsEdited = [&](TFmtEdit&) { edited.push_back("t2"); };

    TUnitChooserRequest seen;
    label.Chooser = [&](const TUnitChooserRequest& request) -> std::optional<int> {
        seen = request;
        return 1; // °F
    };
    label.Click(200, 300);
    EXPECT_EQ(seen.kind, utTemperature);
    EXPECT_EQ(seen.labels, UnitLabels(utTemperature));
    EXPECT_EQ(seen.selected, 0);
    EXPECT_EQ(seen.x, 205);
    EXPECT_EQ(seen.y, 305);
    EXPECT_EQ(t1.Text(), "212.0");
    EXPECT_EQ(t2.Text(), "32.0");
    EXPECT_EQ(label.Caption(), "\xC2\xB0"
                               "F");
    EXPECT_EQ(edited, (std::vector<std::string>{"t1", "t2"}));

    // A chooser that shows nothing changes nothing.
    label.Chooser = [](const TUnitChooserRequest&) -> std::optional<int> { return std::nullopt; };
    label.Click(0, 0);
    EXPECT_EQ(t1.UnitsValue(), 1);

    // A handler that drops the other field from the label does not break the walk.
    label.Chooser = [](const TUnitChooserRequest&) -> std::optional<int> { return 2; };
    t1.OnUnitsEdited = [&](TFmtEdit&) { t2.SetUnitsLabel(nullptr); };
    label.Click(0, 0);
    EXPECT_EQ(t1.UnitsValue(), 2);
    EXPECT_EQ(t2.UnitsValue(), 1);

    // No fields, or a kind without units: no chooser.
    TFmtEditLabel empty;
    bool opened = false;
    empty.Chooser = [&](const TUnitChooserRequest&) -> std::optional<int> {
        opened = true;
        return 0;
    };
    empty.Click(0, 0);
    TFmtEdit none(flag);
    none.SetUnitsLabel(&empty);
    empty.Click(0, 0);
    EXPECT_FALSE(opened);
}

} // namespace zmk
