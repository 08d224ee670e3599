#include "base/Utf8.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zmk {

// "°C" is two characters in three bytes; "Zürich" six in seven; "€" one in three; "😀" one in four.
TEST(Utf8, CountsAndFindsCharacters)
{
    const struct
    {
        const char* text;
        std::size_t length;
        std::vector<std::size_t> starts;
    } cases[] = {
        {"", 0, {}},
        {"abc", 3, {0, 1, 2}},
        {"\xC2\xB0"
         "C",
         2,
         {0, 2}},
        {"Z\xC3\xBCrich", 6, {0, 1, 3, 4, 5, 6}},
        {"\xE2\x82\xAC"
         "5",
         2,
         {0, 3}},
        {"\xF0\x9F\x98\x80!", 2, {0, 4}},
        // A stray continuation byte belongs to the character before it; a lone lead byte counts.
        {"a\x80"
         "b",
         2,
         {0, 2}},
        {"\xC3", 1, {0}},
    };
    for (const auto& c : cases) {
        const std::string_view text = c.text;
        EXPECT_EQ(Utf8Length(text), c.length) << text;
        EXPECT_EQ(Utf8Starts(text), c.starts) << text;
        for (std::size_t i = 0; i < c.starts.size(); ++i)
            EXPECT_EQ(Utf8Offset(text, i), c.starts[i]) << text << " character " << i;
        EXPECT_EQ(Utf8Offset(text, c.starts.size()), text.size()) << text;
        EXPECT_EQ(Utf8Offset(text, c.starts.size() + 5), text.size()) << text;
    }
}

TEST(Utf8, PrefixAndPaddingCountCharactersNotBytes)
{
    EXPECT_EQ(Utf8Prefix("Z\xC3\xBCrich", 2), "Z\xC3\xBC");
    EXPECT_EQ(Utf8Prefix("Z\xC3\xBCrich", 0), "");
    EXPECT_EQ(Utf8Prefix("abc", 10), "abc");
    EXPECT_EQ(Utf8PadRight("\xC2\xB0"
                           "C",
                           4),
              "\xC2\xB0"
              "C  ");
    EXPECT_EQ(Utf8PadRight("abcdef", 4), "abcdef");
}

TEST(Utf8, CutsBytesOnlyAtCharacterStarts)
{
    const struct
    {
        std::string text;
        std::size_t maxBytes;
        std::string cut;
    } cases[] = {
        {"abc", 3, "abc"},
        {"abcd", 3, "abc"},
        {"ab\xC3\xBC", 3, "ab"}, // the two-byte character would end past the limit
        {"a\xE2\x82\xAC"
         "b",
         3, "a"}, // cut inside the euro sign
        {"a\xE2\x82\xAC"
         "b",
         4, "a\xE2\x82\xAC"},
        {"\xF0\x9F\x98\x80", 2, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Utf8CutBytes(c.text, c.maxBytes), c.cut) << c.text << " to " << c.maxBytes;

    const std::string longName = std::string(254, 'x') + "\xC3\xBC" + "yz";
    EXPECT_EQ(ShortString(longName), std::string(254, 'x'));
    EXPECT_EQ(ShortString(std::string(255, 'x')).size(), 255u);
    EXPECT_EQ(ShortString(std::string(300, 'x')).size(), 255u);
}

TEST(Utf8, EncodesEachSequenceLength)
{
    EXPECT_EQ(Utf8Encode(U'A'), "A");
    EXPECT_EQ(Utf8Encode(U'\u00B0'), "\xC2\xB0");
    EXPECT_EQ(Utf8Encode(U'\u20AC'), "\xE2\x82\xAC");
    EXPECT_EQ(Utf8Encode(U'\U0001F600'), "\xF0\x9F\x98\x80");
}

} // namespace zmk
