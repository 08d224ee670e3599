// The JSON writer against the JSON library: the same text for the same values, on one line and
// indented, and a replacement character where a string is not UTF-8.
#include "base/JsonWriter.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace zmk {
namespace {

using Json = nlohmann::ordered_json;

// The same record written both ways: numbers of every magnitude, integers, flags, strings with
// escapes and UTF-8, nested objects and arrays, empty ones too.
void writeBoth(TJsonWriter& w, Json& j, std::mt19937_64& random)
{
    w.BeginObject();
    const char* const texts[] = {"", "plain", "tab\there", "quote \" and \\ backslash", "line\r\nbreak\b\f",
                                 "bell\x07 and \x1f", "°C, m³/s, Δt", "\xF0\x9F\x98\x80 four bytes"};
    int k = 0;
    for (const char* t : texts) {
        const std::string key = "s" + std::to_string(k++);
        w.Member(key, t);
        j[key] = t;
    }
    const double fixed[] = {0.0, -0.0, 1.0, -1.0, 380.0, 1e15, 1e16, 1e-5, 1e-4, 0.1, 1.0 / 3, 144.0030242499361,
                            3.6624602915928676e-05, 22064.0, std::numeric_limits<double>::max(),
                            std::numeric_limits<double>::denorm_min(), -2.5e-300};
    for (const double v : fixed) {
        const std::string key = "d" + std::to_string(k++);
        w.Member(key, v);
        j[key] = v;
    }
    w.Key("random").BeginArray();
    j["random"] = Json::array();
    for (int i = 0; i < 2000; ++i) {
        std::uint64_t bits = random();
        double v;
        std::memcpy(&v, &bits, sizeof v);
        if (!std::isfinite(v))
            v = static_cast<double>(bits % 1000003) / 7.0;
        w.Value(v);
        j["random"].push_back(v);
    }
    w.EndArray();
    w.Member("int", -42).Member("big", std::int64_t{1} << 60).Member("unsigned", std::uint64_t{18446744073709551615u});
    j["int"] = -42;
    j["big"] = std::int64_t{1} << 60;
    j["unsigned"] = std::uint64_t{18446744073709551615u};
    w.Member("yes", true).Member("no", false);
    j["yes"] = true;
    j["no"] = false;
    w.Key("none").Null();
    j["none"] = nullptr;
    w.Key("empty object").BeginObject().EndObject();
    j["empty object"] = Json::object();
    w.Key("empty array").BeginArray().EndArray();
    j["empty array"] = Json::array();
    w.Key("nested").BeginObject().Member("a", 1.5).Key("list").BeginArray().Value("x").Value(2).EndArray().EndObject();
    j["nested"]["a"] = 1.5;
    j["nested"]["list"] = Json::array({"x", 2});
    w.EndObject();
}

TEST(JsonWriter, WritesTheTextTheJsonLibraryWrites)
{
    for (const int indent : {-1, 2, 4}) {
        SCOPED_TRACE(indent);
        std::mt19937_64 random(20261209);
        TJsonWriter w(indent);
        Json j;
        writeBoth(w, j, random);
        EXPECT_EQ(w.Text(), j.dump(indent));
    }
}

TEST(JsonWriter, AWriterClearedWritesWhatANewOneWrites)
{
    for (const int indent : {-1, 2}) {
        SCOPED_TRACE(indent);
        TJsonWriter reused(indent);
        // Left in the middle of a record: a key without its value inside open containers.
        reused.BeginObject().Member("a", 1).Key("list").BeginArray().Value(2.5).BeginObject().Key("open");
        reused.Clear();
        std::mt19937_64 random(7);
        Json j;
        writeBoth(reused, j, random);
        EXPECT_EQ(reused.Text(), j.dump(indent));
    }
}

TEST(JsonWriter, NumbersThatAreNotFiniteAreNull)
{
    TJsonWriter w;
    w.BeginArray().Value(std::nan("")).Value(HUGE_VAL).Value(-HUGE_VAL).Null().EndArray();
    EXPECT_EQ(w.Text(), "[null,null,null,null]");
}

TEST(JsonWriter, BytesThatAreNotUtf8BecomeTheReplacementCharacter)
{
    struct Case
    {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"caf\xE9", "\"caf\xEF\xBF\xBD\""},               // Latin-1 é
        {"\xC0\xAF", "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},     // overlong '/'
        {"\xED\xA0\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""}, // a surrogate
        {"\xF4\x90\x80\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""}, // past U+10FFFF
        {"end \xE2\x82", "\"end \xEF\xBF\xBD\xEF\xBF\xBD\""}, // cut short
        {"ok \xE2\x82\xAC", "\"ok \xE2\x82\xAC\""},        // €, valid
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in);
        std::string out;
        AppendJsonString(out, c.in);
        EXPECT_EQ(out, c.out);
        // What comes out is always JSON the library reads.
        EXPECT_EQ(nlohmann::json::parse(out).dump(), out);
    }
}

// Plain runs are taken eight bytes at a time: a character that needs an escape (or is past
// ASCII) at any place of a string of any length, after text already written, is escaped as the
// library escapes it, and the characters either side of the special ones stay plain.
TEST(JsonWriter, EveryCharacterAtEveryPlaceIsEscapedAsTheLibraryEscapesIt)
{
    const char specials[] = {'"', '\\', '\n', '\x01', '\x1f', '\x7f', ' ', '~', '\0'};
    const char* const multi[] = {"\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80"};
    for (std::size_t length = 1; length <= 19; ++length)
        for (std::size_t at = 0; at < length; ++at) {
            std::vector<std::string> texts;
            for (char c : specials) {
                std::string t(length, 'a');
                t[at] = c;
                texts.push_back(t);
            }
            for (const char* m : multi) {
                std::string t(length, 'b');
                texts.push_back(t.substr(0, at) + m + t.substr(at));
            }
            for (const std::string& t : texts) {
                SCOPED_TRACE(::testing::Message() << "length " << length << " at " << at);
                std::string out = "x";
                AppendJsonString(out, t);
                EXPECT_EQ(out, "x" + nlohmann::json(t).dump());
                // The same text as a key, on one line and indented.
                Json object;
                object[t] = 1;
                TJsonWriter line;
                line.BeginObject().Member(t, 1).EndObject();
                EXPECT_EQ(line.Text(), object.dump());
                TJsonWriter indented(2);
                indented.BeginObject().Member(t, 1).EndObject();
                EXPECT_EQ(indented.Text(), object.dump(2));
            }
        }
    // Keys and texts longer than the short buffer take the general path.
    const std::string longText(100, 'k');
    Json object;
    object[longText] = longText;
    TJsonWriter w;
    w.BeginObject().Member(longText, longText).EndObject();
    EXPECT_EQ(w.Text(), object.dump());
}

TEST(JsonWriter, MembersOfAnotherObjectJoinTheOpenOne)
{
    TJsonWriter inner;
    inner.BeginObject().Member("Qt", 144.0).Member("solved", true).EndObject();
    TJsonWriter record;
    record.BeginObject().Member("file", "a.zmx").MembersOf(inner.Text()).MembersOf("{}").Member("exit", 2).EndObject();
    EXPECT_EQ(record.Text(), R"({"file":"a.zmx","Qt":144.0,"solved":true,"exit":2})");
    TJsonWriter first;
    first.BeginObject().MembersOf(inner.Text()).EndObject();
    EXPECT_EQ(first.Text(), inner.Text());
}

} // namespace
} // namespace zmk
