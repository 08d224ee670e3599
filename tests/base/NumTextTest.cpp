#include "base/NumText.h"

#include "base/Errors.h"

#include <gtest/gtest.h>

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace zmk {

namespace {

struct RealCase
{
    const char* fmt;
    long double value;
    const char* expected;
};

void ExpectReals(const std::vector<RealCase>& cases)
{
    for (const auto& c : cases)
        EXPECT_EQ(Format(c.fmt, c.value), c.expected) << c.fmt << " of " << static_cast<double>(c.value);
}

} // namespace

TEST(NumText, FixedRoundsTheEighteenDigitFormHalfAwayFromZero)
{
    ExpectReals({
        {"%0.0f", 2.5, "3"},
        {"%0.0f", 3.5, "4"},
        {"%0.0f", -2.5, "-3"},
        {"%0.0f", 0.5, "1"},
        {"%0.0f", 0.4, "0"},
        {"%0.2f", 0.125, "0.13"},
        {"%0.2f", -0.125, "-0.13"},
        {"%0.1f", 0.25, "0.3"},
        {"%0.1f", -0.05, "-0.1"},
        {"%0.1f", 0.05, "0.1"},    // 0.0500000000000000028
        {"%0.2f", 1.005, "1.00"},  // 1.00499999999999989
        {"%0.2f", 2.675, "2.67"},  // 2.67499999999999982
        {"%0.1f", 99.95, "100.0"}, // 99.9500000000000028
        {"%0.2f", 0.999, "1.00"},  // carry into a new integer digit
        {"%0.1f", -0.04, "0.0"},   // rounds to zero: no minus sign
        {"%0.1f", -0.06, "-0.1"},
        {"%0.0f", -0.4, "0"},
        {"%0.3f", -0.0, "0.000"},
        {"%0.3f", 0.0, "0.000"},
        {"%0.2f", 0.004, "0.00"},
        {"%0.2f", 0.005, "0.01"}, // 0.00500000000000000010
        {"%0.3f", 1e-10, "0.000"},
        {"%0.3f", 1.5, "1.500"},
        {"%0.5f", 123456.789, "123456.78900"},
        {"%0.4f", 502.0, "502.0000"},
        {"%0.18f", 0.1L, "0.100000000000000000"},
        {"%0.18f", 0.1, "0.100000000000000006"}, // the double 0.1 in 18 digits
        {"%0.20f", 0.5, "0.500000000000000000"}, // at most 18 decimals
        {"%0.0f", 123456789012345678.0L, "123456789012345678"},
        {"%0.1f", 1e17L, "100000000000000000.0"},
    });
    // 9.9995 is 9.99949999999999939 in 18 digits, so "%0.3f" gives "9.999" with these rules.
    EXPECT_EQ(Format("%0.3f", 9.9995), "9.999");
}

TEST(NumText, FixedWidthsPrecisionsAndDefaults)
{
    ExpectReals({
        {"%f", 3.14159, "3.14"},
        {"%f", -2.0, "-2.00"},
        {"%.1f", 0.25, "0.3"},
        {"%.3f", 2.0, "2.000"},
        {"%2.0f", 5.0, " 5"},
        {"%2.0f", 123.0, "123"},
        {"%4.0f", 12.0, "  12"},
        {"%8.2f", -3.14159, "   -3.14"},
        {"%-8.2f|", 3.14159, "3.14    |"},
        {"%05.1f", 2.0, "  2.0"}, // a leading zero is a width, not zero-padding
        {"%n", 1234567.891, "1,234,567.89"},
        {"%0.0n", -1234.5, "-1,235"},
        {"%0.1n", 999.0, "999.0"},
    });
}

TEST(NumText, GeneralFormChoosesFixedOrExponentByTheRoundedValue)
{
    ExpectReals({
        {"%0.3g", 0.0005, "0.0005"},
        {"%0.3g", 0.00005, "5E-005"},
        {"%0.3g", 0.00002, "2E-005"},
        {"%0.3g", -0.0005, "-0.0005"},
        {"%0.3g", 0.0001, "0.0001"},
        {"%0.3g", 1234.0, "1.23E003"},
        {"%0.3g", 123.0, "123"},
        {"%0.3g", 999.6, "1E003"}, // rounds up into a fourth integer digit
        {"%0.3g", 0.25, "0.25"},
        {"%0.3g", 0.0, "0"},
        {"%0.3g", -0.0, "0"},
        {"%0.1g", 8.0, "8"},
        {"%0.1g", 12.0, "12"},
        {"%0.0g", 12.0, "12"},
        {"%0.0g", 2.5e9, "2.5E009"},
        {"%0.0g", 123.0, "1.2E002"},
        {"%0.2g", 0.125, "0.13"},
        {"%0.2g", 99.5, "1E002"},
        {"%0.4g", 101.325, "101.3"},
        {"%0.4g", 1.0, "1"},
        {"%0.4g", -1.5e-7, "-1.5E-007"},
        {"%0.5g", 1.5e20, "1.5E020"},
        {"%0.6g", 0.0262, "0.0262"},
        {"%0.6g", 1.8e-5, "1.8E-005"},
        {"%0.5g", 1.23456e-300L, "1.2346E-300"},
        {"%0.5g", 1.5e1000L, "1.5E1000"},
        {"%g", 1.0 / 3.0, "0.333333333333333"},
        {"%g", 1e15, "1E015"},
        {"%0.18g", 0.1, "0.100000000000000006"},
        {"%0.30g", 0.1, "0.100000000000000006"}, // at most 18 digits
        {"%8.3g", 0.25, "    0.25"},
    });
}

TEST(NumText, ScientificForm)
{
    ExpectReals({
        {"%e", 1234.5, "1.23450000000000E+003"},
        {"%.3e", 0.00123, "1.23E-003"},
        {"%.3e", -5.0, "-5.00E+000"},
        {"%.3e", 0.0, "0.00E+000"},
    });
}

TEST(NumText, NonFiniteRealsPrintTheirNames)
{
    const long double inf = std::numeric_limits<long double>::infinity();
    const long double nan = std::numeric_limits<long double>::quiet_NaN();
    EXPECT_EQ(Format("%0.3f", nan), "NAN");
    EXPECT_EQ(Format("%0.3g", inf), "INF");
    EXPECT_EQ(Format("%0.3f", -inf), "-INF");
    EXPECT_EQ(Format("%6.1f|%-5g|", inf, nan), "   INF|NAN  |");
    EXPECT_EQ(FloatToStr(-inf), "-INF");
}

TEST(NumText, HugeValuesInFixedFallBackToTheGeneralForm)
{
    EXPECT_EQ(Format("%0.3f", 1e20), "1E020");
    EXPECT_EQ(Format("%0.1f", -2.5e30L), "-2.5E30");
    EXPECT_EQ(Format("%0.0f", 1e18L), "1E18");
    EXPECT_EQ(Format("%0.2f", 999999999999999999.0L), "999999999999999999.00");
}

TEST(NumText, IntegersHexTextAndPercent)
{
    EXPECT_EQ(Format("%d", 42), "42");
    EXPECT_EQ(Format("%3.3d", 5), "005");
    EXPECT_EQ(Format("%.3d", -5), "-005");
    EXPECT_EQ(Format("%5d|%-5d|", -42, 7), "  -42|7    |");
    EXPECT_EQ(Format("%D", 3), "3");
    EXPECT_EQ(Format("%d", std::numeric_limits<long long>::min()), "-9223372036854775808");
    EXPECT_EQ(Format("%u", -1), "4294967295");
    EXPECT_EQ(Format("%x", 255), "FF");
    EXPECT_EQ(Format("%.2x", 10), "0A");
    EXPECT_EQ(Format("%.2x", 0x1234), "1234");
    EXPECT_EQ(Format("%x", -1), "FFFFFFFF");
    EXPECT_EQ(Format("%x", -1LL), "FFFFFFFFFFFFFFFF");
    EXPECT_EQ(Format("%s", "abc"), "abc");
    EXPECT_EQ(Format("%S", std::string("x y")), "x y");
    EXPECT_EQ(Format("%5s|%-5s|", "ab", "cd"), "   ab|cd   |");
    EXPECT_EQ(Format("%.2s", "abcd"), "ab");
    EXPECT_EQ(Format("%s%s", 'x', '"'), "x\"");
    EXPECT_EQ(Format("%4s", "\xC2\xB0"
                            "C"),
              "  \xC2\xB0"
              "C"); // "°C" counts as two characters
    EXPECT_EQ(Format("100%% of %s", "it"), "100% of it");
    EXPECT_EQ(Format("no directives"), "no directives");
    EXPECT_EQ(Format("%s %s", "8.50", "g/kg"), "8.50 g/kg");
    EXPECT_EQ(Format("<td>%s %s</td>", "1", ""), "<td>1 </td>");
}

TEST(NumText, ArgumentIndexesAndStarFields)
{
    EXPECT_EQ(Format("%1:s %0:s %s", "a", "b", "c"), "b a b");
    EXPECT_EQ(Format("%*d|", 5, 42), "   42|");
    EXPECT_EQ(Format("%.*f", 2, 1.5), "1.50");
    EXPECT_EQ(Format("%-*s|", 4, "x"), "x   |");
    EXPECT_EQ(Format("%0.1f/%0.1f", 25.0, 18.0), "25.0/18.0");
}

TEST(NumText, BadDirectivesAndArgumentsRaiseConversionErrors)
{
    auto message = [](auto&& call) {
        try {
            call();
        } catch (const EConvertError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(message([] { Format("%d", 1.5); }), "Format '%d' invalid or incompatible with argument");
    EXPECT_EQ(message([] { Format("%0.1f", 3); }), "Format '%0.1f' invalid or incompatible with argument");
    EXPECT_EQ(message([] { Format("%s", 3); }), "Format '%s' invalid or incompatible with argument");
    EXPECT_EQ(message([] { Format("%d", "3"); }), "Format '%d' invalid or incompatible with argument");
    EXPECT_EQ(message([] { Format("%s %s", "a"); }), "No argument for format '%s %s'");
    EXPECT_EQ(message([] { Format("%y", 1); }), "Format '%y' invalid or incompatible with argument");
    EXPECT_EQ(message([] { Format("50%", 1); }), "Format '50%' invalid or incompatible with argument");
    EXPECT_EQ(message([] { Format("%*d", 1.0, 2); }), "Format '%*d' invalid or incompatible with argument");
    EXPECT_EQ(message([] { Format("%99999999d", 2); }),
              "Format '%99999999d' invalid or incompatible with argument");
}

TEST(NumText, EighteenDigitFormMatchesTheExactBinaryValue)
{
    // The fast integer conversion against the C library's correctly rounded one, over the
    // whole range both paths cover (and beyond, where the C library is used itself).
    std::mt19937_64 rng(12345);
    std::uniform_real_distribution<double> exponent(-14.0, 21.0);
    std::uniform_int_distribution<int> sign(0, 1);
    char buf[64];
    for (int i = 0; i < 20000; ++i) {
        long double x = std::pow(10.0L, static_cast<long double>(exponent(rng)));
        if (i % 3 == 0)
            x = static_cast<double>(x); // values that came from doubles
        if (sign(rng))
            x = -x;
        std::snprintf(buf, sizeof buf, "%.17Le", x);
        std::string expected(buf);
        // "%.18e" shows the 18-digit form unchanged: "d.ddddddddddddddddd" + "E+XXX".
        std::string got = Format("%.18e", x);
        size_t e1 = expected.find('e'), e2 = got.find('E');
        ASSERT_EQ(got.substr(0, e2), expected.substr(0, e1)) << expected;
        ASSERT_EQ(std::stoi(got.substr(e2 + 1)), std::stoi(expected.substr(e1 + 1))) << expected;
    }
    // Exact decimal boundaries.
    EXPECT_EQ(Format("%.18e", 1e17L), "1.00000000000000000E+017");
    EXPECT_EQ(Format("%.18e", 999999999999999999.0L), "9.99999999999999999E+017");
    EXPECT_EQ(Format("%.18e", 1e-10L), "1.00000000000000000E-010");
}

TEST(NumText, FloatToStrUsesFifteenDigitsAndPlainExponents)
{
    EXPECT_EQ(FloatToStr(0.1), "0.1");
    EXPECT_EQ(FloatToStr(1e-5), "1E-5");
    EXPECT_EQ(FloatToStr(1.5e20), "1.5E20");
    EXPECT_EQ(FloatToStr(1e15), "1E15");
    EXPECT_EQ(FloatToStr(123456789012345.0), "123456789012345");
    EXPECT_EQ(FloatToStr(1.0 / 3.0), "0.333333333333333");
    EXPECT_EQ(FloatToStr(-2.5), "-2.5");
    EXPECT_EQ(FloatToStr(0.0), "0");
    EXPECT_EQ(FloatToStr(0.00012), "0.00012");
    EXPECT_EQ(FloatToStr(100.0), "100");
}

TEST(NumText, ParsersReadDotDecimalsOnly)
{
    struct Case
    {
        const char* text;
        bool ok;
        long double value;
    };
    const Case cases[] = {
        {"1.5", true, 1.5},        {" 2e3 ", true, 2000}, {"-.5", true, -0.5}, {"5.", true, 5},
        {"+5", true, 5},           {"1E-3", true, 1e-3L}, {"1e+2", true, 100}, {"1e-5000", true, 0},
        {"1e4000", true, 1e4000L}, {"1,5", false, 0},     {"", false, 0},      {".", false, 0},
        {"-", false, 0},           {"1e", false, 0},      {"abc", false, 0},   {"1 2", false, 0},
        {"1e5000", false, 0},      {"nan", false, 0},     {"inf", false, 0},   {"0x10", false, 0},
    };
    for (const auto& c : cases) {
        long double v = -99;
        EXPECT_EQ(TryStrToFloat(c.text, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.value) << c.text;
        }
    }
    double d = 0;
    EXPECT_FALSE(TryStrToFloat("1e400", d)); // beyond the double range
    EXPECT_TRUE(TryStrToFloat("0.1", d));
    EXPECT_EQ(d, 0.1);
    EXPECT_THROW(StrToFloat("12a"), EConvertError);
    EXPECT_EQ(StrToFloatDef("x", 7.5), 7.5L);

    // Round trip: 17 significant digits read back bit for bit.
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> dist(-1e6, 1e6);
    for (int i = 0; i < 2000; ++i) {
        double x = dist(rng) * std::pow(10.0, (i % 40) - 20);
        char buf[40];
        std::snprintf(buf, sizeof buf, "%.17g", x);
        double back = 0;
        ASSERT_TRUE(TryStrToFloat(buf, back)) << buf;
        ASSERT_EQ(back, x) << buf;
    }
}

TEST(NumText, ParsersIgnoreTheLocale)
{
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = old ? old : "C";
    bool switched = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") || std::setlocale(LC_NUMERIC, "fr_FR.UTF-8");
    long double v = 0;
    EXPECT_TRUE(TryStrToFloat("2.5", v));
    EXPECT_EQ(v, 2.5L);
    EXPECT_FALSE(TryStrToFloat("2,5", v));
    EXPECT_EQ(Format("%0.2f|%0.3g", 1.5, 1e300), "1.50|1E300");
    std::setlocale(LC_NUMERIC, saved.c_str());
    (void)switched; // without a comma locale installed this checks the C locale only
}

TEST(NumText, IntegerParsers)
{
    long long v = 0;
    EXPECT_TRUE(TryStrToInt("42", v));
    EXPECT_EQ(v, 42);
    EXPECT_TRUE(TryStrToInt(" -7 ", v));
    EXPECT_EQ(v, -7);
    EXPECT_TRUE(TryStrToInt("$FF", v));
    EXPECT_EQ(v, 255);
    EXPECT_TRUE(TryStrToInt("0x10", v));
    EXPECT_EQ(v, 16);
    EXPECT_TRUE(TryStrToInt("-9223372036854775808", v));
    EXPECT_EQ(v, std::numeric_limits<long long>::min());
    EXPECT_FALSE(TryStrToInt("9223372036854775808", v));
    EXPECT_FALSE(TryStrToInt("1.0", v));
    EXPECT_FALSE(TryStrToInt("", v));
    EXPECT_FALSE(TryStrToInt("-", v));
    EXPECT_FALSE(TryStrToInt("$", v));
    int i = 0;
    EXPECT_FALSE(TryStrToInt("3000000000", i));
    EXPECT_TRUE(TryStrToInt("-2147483648", i));
    EXPECT_EQ(StrToIntDef("x", 3), 3);
    EXPECT_THROW(StrToInt("1e3"), EConvertError);
}

TEST(NumText, RoundHalfToEvenAndTrunc)
{
    const std::pair<long double, long long> rounds[] = {
        {2.5, 2},    {3.5, 4},   {-2.5, -2},
        {-3.5, -4},  {0.5, 0},   {1.5, 2},
        {2.4999, 2}, {-0.6, -1}, {1e18L, 1000000000000000000LL}};
    for (auto [x, r] : rounds)
        EXPECT_EQ(Round(x), r) << static_cast<double>(x);
    EXPECT_EQ(Trunc(-2.7), -2);
    EXPECT_EQ(Trunc(2.7), 2);
    EXPECT_THROW(Round(std::nan("")), EMathError);
    EXPECT_THROW(Round(1e30), EMathError);
    EXPECT_THROW(Trunc(std::numeric_limits<double>::infinity()), EMathError);
    EXPECT_THROW(Trunc(9223372036854775808.0L), EMathError);
}

TEST(NumText, TrimsBlanks)
{
    EXPECT_EQ(Trim("  a b \t"), "a b");
    EXPECT_EQ(TrimLeft("  a "), "a ");
    EXPECT_EQ(TrimRight("  a "), "  a");
}

TEST(NumText, NormaliseNumberTextCleansTypedText)
{
    const std::pair<const char*, const char*> cases[] = {
        {" 1 2.5.6", "12.56"},
        {"--5", "-5"},
        {"1e-3", "1E-3"},
        {"3-4", "34"},
        {"", "0"},
        {"E5", "1E5"},
        {"E-3", "1E3"},
        {"-", "0"},
        {"12-", "12"},
        {"1e5e3", "1E53"},
        {"1E999", "1E99"},
        {"1E-999", "1E-9"},
        {"1E300", "1E300"},
        {"1.2E3.4", "1.2E34"},
        {"1E2.5", "1E25"},
        {"25/18/3", "25/183"},
        {" 25 / 18 ", "25/18"},
        {"/", "0/0"},
        {"-5/--3", "-5/-3"},
        {"abc", "abc"},
    };
    for (auto [in, out] : cases)
        EXPECT_EQ(NormaliseNumberText(in), out) << '"' << in << '"';
    EXPECT_THROW(NormaliseNumberText("1E-"), EConvertError);
    EXPECT_THROW(NormaliseNumberText("1e"), EConvertError);
    EXPECT_THROW(NormaliseNumberText("25/E"), EConvertError);
    EXPECT_EQ(RemoveSpaces(" a b  c "), "abc");
}

TEST(NumText, SplitPairReadsOneOrTwoNumbers)
{
    NumberPair p = SplitPair("25/18");
    EXPECT_EQ(p.count, 2);
    EXPECT_EQ(p.a, 25);
    EXPECT_EQ(p.b, 18);
    p = SplitPair("25.5");
    EXPECT_EQ(p.count, 1);
    EXPECT_EQ(p.a, 25.5L);
    EXPECT_THROW(SplitPair("a/3"), EConvertError);
    EXPECT_THROW(SplitPair("25/"), EConvertError);
}

TEST(NumText, DecimalsForAboutSigDigits)
{
    struct Case
    {
        int sig, maxDec;
        long double value;
        int decimals;
    };
    const Case cases[] = {
        {5, 12, 0.5, 3},     {5, 12, 0.05, 4},    {5, 12, 0.00123, 5}, {5, 12, 5.5, 3},   {5, 12, 5.0012, 5},
        {5, 12, 123.456, 2}, {5, 12, 12345.6, 0}, {5, 12, 0.0456, 4},  {5, 12, -1.5, 3},  {5, 12, 0.0, 3},
        {5, 12, 1234.5, 1},  {5, 2, 0.00123, 2},  {5, 0, 5.0, 0},      {3, 12, -25.0, 0}, {5, 12, 1e-13, 3},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecimalsFor(c.sig, c.maxDec, c.value), c.decimals) << static_cast<double>(c.value);
    EXPECT_EQ(AutoDecimalFormat(5, 12, 123.456), "%0.2f");
    EXPECT_EQ(Format(AutoDecimalFormat(5, 12, 0.001234), 0.001234), "0.00123");
    EXPECT_EQ(Format(AutoDecimalFormat(5, 12, 12345.6), 12345.6), "12346");
    EXPECT_EQ(Format(AutoDecimalFormat(5, 12, -1.5), -1.5), "-1.500");

    EXPECT_EQ(FormatDecimals("%0.4f"), 4);
    EXPECT_EQ(FormatDecimals("%0.1f/%0.1f"), 1);
    EXPECT_EQ(FormatDecimals("%d"), 0);
    EXPECT_EQ(FormatDecimals("%0.f"), 0);
    EXPECT_EQ(FormatDecimals("%0.12f"), 12);
}

} // namespace zmk

namespace zmk {

// Reading a number gives, bit for bit, the long double the library's own conversion gives:
// numbers of the common short form take an exact path of their own, which must agree with it
// everywhere, at its edges (19 digits, powers of ten up to 27) and beyond them.
TEST(NumText, ReadingRealsAgreesWithTheLibraryBitForBit)
{
    auto library = [](const std::string& text) {
        long double v = 0;
        std::from_chars(text.data(), text.data() + text.size(), v);
        return v;
    };
    auto same = [](long double a, long double b) { return a == b && std::signbit(a) == std::signbit(b); };
    std::vector<std::string> texts = {"0",         "-0",          "0.0",         "101.325",     "0.0125222",
                                      "1e27",      "1e28",        "1e-27",       "1e-28",       "9999999999999999999",
                                      "99999999999999999999",     "0.1",         "-2.5e-3",     "123456789.123456789",
                                      "4.9406564584124654e-324",  "1.7976931348623157e308",     "0.000000000000000000001",
                                      "380.000",   "1000000000000000000000000000", "7450580596923828125e-27"};
    std::mt19937_64 random(16);
    for (int n = 0; n < 20000; ++n) {
        const int count = 1 + static_cast<int>(random() % 21);
        std::string digits;
        for (int k = 0; k < count; ++k)
            digits += static_cast<char>('0' + random() % 10);
        const std::size_t point = random() % (digits.size() + 1);
        std::string text = (random() % 2 ? "-" : "") + digits.substr(0, point) + "." + digits.substr(point);
        if (text == "." || text == "-.")
            continue;
        if (random() % 2)
            text += "e" + std::to_string(static_cast<int>(random() % 61) - 30);
        texts.push_back(text);
    }
    for (const std::string& text : texts) {
        long double ours = 0;
        ASSERT_TRUE(TryStrToFloat(text, ours)) << text;
        // The library reads the same text in its canonical form ("1." is "1.0" to it).
        std::string canon = text;
        if (const std::size_t dot = canon.find('.'); dot != std::string::npos) {
            if (dot == 0 || canon[dot - 1] == '-')
                canon.insert(dot, "0");
            const std::size_t d = canon.find('.');
            if (d + 1 == canon.size() || canon[d + 1] == 'e')
                canon.insert(d + 1, "0");
        }
        EXPECT_TRUE(same(ours, library(canon))) << text;
    }
}

TEST(NumText, NumberTextFaultTellsATooLongNumberFromNoNumber)
{
    const std::string digits400(400, '7');
    const struct
    {
        std::string text;
        TNumberTextFault fault;
    } cases[] = {
        {"12.5", TNumberTextFault::None},
        {" -1e300 ", TNumberTextFault::None},
        {"0." + std::string(400, '0') + "1", TNumberTextFault::None}, // becomes 0
        {digits400, TNumberTextFault::OutOfRange},
        {"-" + digits400 + ".5", TNumberTextFault::OutOfRange},
        {"1e999", TNumberTextFault::OutOfRange},
        {"2e308", TNumberTextFault::OutOfRange},
        {"abc", TNumberTextFault::NotANumber},
        {"", TNumberTextFault::NotANumber},
        {"1..2", TNumberTextFault::NotANumber},
        {"nan", TNumberTextFault::NotANumber},
        {"inf", TNumberTextFault::NotANumber},
        {digits400 + "x", TNumberTextFault::NotANumber},
        {"1,5", TNumberTextFault::NotANumber},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NumberTextFault(c.text), c.fault) << c.text;
}

} // namespace zmk
