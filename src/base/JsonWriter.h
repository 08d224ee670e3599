// A JSON text written as it goes, without a document tree: the command line's result records,
// thousands of them in a batch, cost no more than their text. The text is the one the JSON
// library writes for the same values (its shortest round-trip numbers, its escapes, its
// two-space layout), so either may write a record; a string that is not valid UTF-8 (a file
// name from an older system, say) has each invalid byte written as U+FFFD instead of failing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zmk {

class TJsonWriter
{
public:
    /// indent < 0: one line with no spaces; otherwise that many spaces per level, a member per
    /// line and ": " after each key.
    explicit TJsonWriter(int indent = -1);

    TJsonWriter& BeginObject();
    TJsonWriter& EndObject();
    TJsonWriter& BeginArray();
    TJsonWriter& EndArray();
    /// The next member's key; its value follows.
    TJsonWriter& Key(std::string_view key);

    /// null.
    TJsonWriter& Null();
    /// A number; null when it is not finite.
    TJsonWriter& Value(double v);
    TJsonWriter& Value(bool v);
    TJsonWriter& Value(int v) { return Value(static_cast<std::int64_t>(v)); }
    TJsonWriter& Value(std::int64_t v);
    TJsonWriter& Value(std::uint64_t v);
    TJsonWriter& Value(std::string_view v);
    TJsonWriter& Value(const char* v) { return Value(std::string_view(v)); }
    TJsonWriter& Value(const std::string& v) { return Value(std::string_view(v)); }

    /// Key and value in one.
    template <typename T>
    TJsonWriter& Member(std::string_view key, const T& v)
    {
        Key(key);
        return Value(v);
    }

    /// The members of object, a whole object written by another one-line writer, as members of
    /// the object open here.
    TJsonWriter& MembersOf(std::string_view object);

    /// Starts a new text, keeping the room the last one took (a writer reused for record after
    /// record allocates nothing once it has grown to a record's size).
    void Clear();

    const std::string& Text() const { return text_; }
    std::string Take() { return std::move(text_); }

private:
    void beforeValue();
    void newLine(std::size_t level);
    TJsonWriter& close(char bracket);

    int indent_;
    std::string text_;
    std::vector<char> empty_; // per open container: nothing written in it yet (a byte, not a bit, each)
    bool afterKey_ = false;
};

/// s as a JSON string literal (quotes included), appended to out.
void AppendJsonString(std::string& out, std::string_view s);

} // namespace zmk
