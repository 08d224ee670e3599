#include "base/TextHelpers.h"

#include "base/Latin1.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace zmk {

TEST(TextHelpers, ExtractFieldTakesSeparatedFields)
{
    const struct
    {
        int n;
        const char* text;
        const char* field;
    } cases[] = {
        {1, "a, b ,c", "a"}, {2, "a, b ,c", "b "}, // only the left of the remainder is trimmed
        {3, "a, b ,c", "c"}, {4, "a, b ,c", ""},   // the text ran out
        {2, "a,b,", "b"},    {3, "a,b,", "b"},     // a text ending in a separator keeps its last field
        {5, "a,b,  ", "b"},  {2, "a,,b", ""},      {3, "a,,b", "b"},
        {1, "  x  ", "x"},   {1, "", ""},          {0, "a,b", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExtractField(c.n, ',', c.text), c.field) << c.n << " of '" << c.text << "'";
    EXPECT_EQ(ExtractField(2, '\t', "Oslo\t59.9\t10.7"), "59.9");
}

TEST(TextHelpers, ParseDateReadsDayMonthYearOrGivesToday)
{
    EXPECT_EQ(ParseDate("25/12/2023", '/'), (CalendarDate{2023, 12, 25}));
    EXPECT_EQ(ParseDate(" 1.2.2024 ", '.'), (CalendarDate{2024, 2, 1}));
    EXPECT_EQ(ParseDate("29/2/2024", '/'), (CalendarDate{2024, 2, 29}));
    const CalendarDate today = Today();
    EXPECT_TRUE(IsValidDate(today.year, today.month, today.day));
    for (const char* bad : {"29/2/2023", "31/4/2020", "0/1/2020", "1/13/2020", "abc", "", "1/2", "1/x/2020",
                            "1/1/0", "1/1/10000"})
        EXPECT_EQ(ParseDate(bad, '/'), Today()) << bad;
    EXPECT_TRUE(IsValidDate(2000, 2, 29));
    EXPECT_FALSE(IsValidDate(1900, 2, 29));
}

TEST(TextHelpers, SplitTextListsThePieces)
{
    using List = std::vector<std::string>;
    EXPECT_EQ(SplitText("a; b;c ;", ';'), (List{"a", "b", "c "}));
    EXPECT_EQ(SplitText("  one@x.org  ", ';'), (List{"one@x.org"}));
    EXPECT_EQ(SplitText("a;;b", ';'), (List{"a", "", "b"}));
    EXPECT_EQ(SplitText("   ", ';'), List{});
}

TEST(TextHelpers, LineBreaksEscapeAndReturn)
{
    const std::string text = "Line one\r\nLine two\r\n\nbare LF stays";
    const std::string escaped = EscapeLineBreaks(text);
    EXPECT_EQ(escaped, "Line one%13%10Line two%13%10\nbare LF stays");
    EXPECT_EQ(UnescapeLineBreaks(escaped), text);
    EXPECT_EQ(UnescapeLineBreaks("100%13%10%13"), "100\r\n%13");
}

TEST(TextHelpers, CaseHelpersTouchOnlyAsciiLetters)
{
    EXPECT_EQ(LowerCase("Thermal OIL 3/8\" \xC3\x84"), "thermal oil 3/8\" \xC3\x84"); // UTF-8 kept
    EXPECT_EQ(UpperCase("zmk-Cwc"), "ZMK-CWC");
    EXPECT_TRUE(SameText("In-Line", "in-line"));
    EXPECT_FALSE(SameText("in-line", "in-lines"));
    EXPECT_FALSE(SameText("\xC3\x84", "\xC3\xA4")); // no folding beyond ASCII
    EXPECT_TRUE(EndsWithText("Picture.PNG", ".png"));
    EXPECT_FALSE(EndsWithText("png", ".png"));
}

TEST(TextHelpers, OneLineTextBlanksEveryControlCharacter)
{
    const std::pair<std::string, std::string> cases[] = {
        {"plain €°", "plain €°"},
        {"X\r\nINJECTED", "X  INJECTED"},
        {"a\nb\rc", "a b c"},
        {std::string("nul\0tab\tdel\x7f", 12), "nul tab del "},
        {"nel\xC2\x85line\xC2\x9F!", "nel line !"},
        {"\xC2\xA0kept", "\xC2\xA0kept"}, // a no-break space is text
        {"cut\xC2", "cut\xC2"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(OneLineText(in), out) << in;
}

TEST(TextHelpers, PagesKeepCharactersOutsideLatin1AsReferences)
{
    const std::pair<std::string, std::string> cases[] = {
        {"°C and é", "\xB0"
                     "C and \xE9"},
        {"€", "&#x20AC;"},
        {"日本", "&#x65E5;&#x672C;"},
        {"Ψυκτικό", "&#x3A8;&#x3C5;&#x3BA;&#x3C4;&#x3B9;&#x3BA;&#x3CC;"},
        {"\xF0\x9F\x98\x80", "&#x1F600;"},
        {"bad\xC3(", "bad?("},
        {"\xED\xA0\x80", "?"}, // a surrogate is no character
    };
    for (const auto& [in, out] : cases) {
        EXPECT_EQ(Utf8ToLatin1Html(in), out) << in;
        // Files whose bytes are fixed keep "?".
        EXPECT_EQ(Utf8ToLatin1(in).find('&'), std::string::npos) << in;
    }
}

TEST(TextHelpers, PrintableTextRemovesWhatATerminalWouldObey)
{
    const struct
    {
        std::string in, out;
    } cases[] = {
        {"Zürich", "Zürich"},                                     // letters of any script stay
        {"Αθήνα €", "Αθήνα €"},                                   // three-byte characters too
        {"A\x1b[31mB", "A[31mB"},                                 // ESC
        {"tab\tand\r\nbreak", "tabandbreak"},                     // C0 with tabs and line breaks
        {"del\x7f", "del"},                                       // DEL
        {"csi\xc2\x9b\x32J end", "csi2J end"},                    // C1 CSI as UTF-8
        {std::string("nul\0x", 5), "nulx"},                       // NUL
        {"lone \x9b byte", "lone \xef\xbf\xbd byte"},             // a byte that is no character
        {"over\xc0\x80long", "over\xef\xbf\xbd\xef\xbf\xbdlong"}, // an overlong NUL
        {"cut \xe2\x82", "cut \xef\xbf\xbd\xef\xbf\xbd"},         // a character cut short
        {"surrogate \xed\xa0\x80", "surrogate \xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"},
        {"nbsp\xc2\xa0", "nbsp\xc2\xa0"}, // U+00A0 is no control
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PrintableText(c.in), c.out) << c.in;
}

} // namespace zmk
