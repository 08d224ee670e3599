#include "base/JsonWriter.h"

#include <nlohmann/json.hpp>

#include <array>
#include <charconv>
#include <cmath>

namespace zmk {

namespace {

// The length of the valid UTF-8 sequence at s[i], or 0 when the byte there does not start one
// (overlong forms, surrogates and code points past U+10FFFF are not valid).
std::size_t utf8Length(std::string_view s, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = byte(i);
    if (c < 0x80)
        return 1;
    std::size_t n;
    unsigned char lo = 0x80, hi = 0xBF; // allowed range of the second byte
    if (c >= 0xC2 && c <= 0xDF)
        n = 2;
    else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        if (c == 0xE0)
            lo = 0xA0;
        else if (c == 0xED)
            hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        if (c == 0xF0)
            lo = 0x90;
        else if (c == 0xF4)
            hi = 0x8F;
    } else
        return 0;
    if (i + n > s.size())
        return 0;
    if (byte(i + 1) < lo || byte(i + 1) > hi)
        return 0;
    for (std::size_t k = 2; k < n; ++k)
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF)
            return 0;
    return n;
}

// The characters a string literal holds as they are: printable ASCII but the quote and the
// backslash.
constexpr std::array<bool, 256> kPlain = [] {
    std::array<bool, 256> plain{};
    for (int c = 0x20; c < 0x80; ++c)
        plain[static_cast<std::size_t>(c)] = c != '"' && c != '\\';
    return plain;
}();

bool isPlain(char c)
{
    return kPlain[static_cast<unsigned char>(c)];
}

} // namespace

void AppendJsonString(std::string& out, std::string_view s)
{
    out += '"';
    for (std::size_t i = 0; i < s.size();) {
        // Plain characters, nearly all of a key or a text, go in as one run.
        std::size_t plain = i;
        while (plain < s.size() && isPlain(s[plain]))
            ++plain;
        if (plain > i) {
            out.append(s.data() + i, plain - i);
            i = plain;
            continue;
        }
        const unsigned char c = static_cast<unsigned char>(s[i]);
        switch (c) {
        case '\b':
            out += "\\b";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\r':
            out += "\\r";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            if (c < 0x20) {
                static constexpr char hex[] = "0123456789abcdef";
                out += "\\u00";
                out += hex[c >> 4];
                out += hex[c & 0xF];
            } else if (c < 0x80) {
                out += static_cast<char>(c);
            } else if (const std::size_t n = utf8Length(s, i); n > 0) {
                out.append(s.substr(i, n));
                i += n;
                continue;
            } else {
                out += "\xEF\xBF\xBD"; // U+FFFD, the replacement character
            }
        }
        ++i;
    }
    out += '"';
}

TJsonWriter::TJsonWriter(int indent) : indent_(indent) {}

void TJsonWriter::Clear()
{
    text_.clear();
    empty_.clear();
    afterKey_ = false;
}

void TJsonWriter::newLine(std::size_t level)
{
    text_ += '\n';
    text_.append(level * static_cast<std::size_t>(indent_), ' ');
}

void TJsonWriter::beforeValue()
{
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (empty_.empty())
        return;
    if (!empty_.back())
        text_ += ',';
    empty_.back() = 0;
    if (indent_ >= 0)
        newLine(empty_.size());
}

TJsonWriter& TJsonWriter::BeginObject()
{
    beforeValue();
    text_ += '{';
    empty_.push_back(1);
    return *this;
}

TJsonWriter& TJsonWriter::BeginArray()
{
    beforeValue();
    text_ += '[';
    empty_.push_back(1);
    return *this;
}

TJsonWriter& TJsonWriter::close(char bracket)
{
    const bool wasEmpty = empty_.back();
    empty_.pop_back();
    if (!wasEmpty && indent_ >= 0)
        newLine(empty_.size());
    text_ += bracket;
    return *this;
}

TJsonWriter& TJsonWriter::EndObject()
{
    return close('}');
}

TJsonWriter& TJsonWriter::EndArray()
{
    return close(']');
}

TJsonWriter& TJsonWriter::Key(std::string_view key)
{
    beforeValue();
    AppendJsonString(text_, key);
    if (indent_ >= 0)
        text_.append(": ", 2);
    else
        text_ += ':';
    afterKey_ = true;
    return *this;
}

TJsonWriter& TJsonWriter::MembersOf(std::string_view object)
{
    if (object.size() <= 2) // "{}"
        return *this;
    if (!empty_.back())
        text_ += ',';
    empty_.back() = 0;
    text_.append(object.substr(1, object.size() - 2));
    return *this;
}

TJsonWriter& TJsonWriter::Null()
{
    beforeValue();
    text_ += "null";
    return *this;
}

TJsonWriter& TJsonWriter::Value(double v)
{
    beforeValue();
    if (!std::isfinite(v)) {
        text_ += "null";
        return *this;
    }
    // The JSON library's own number form (shortest round trip, ".0" on whole numbers,
    // exponents outside 1e-5..1e15), so that a record reads the same whichever wrote it.
    std::array<char, 64> buffer{};
    char* end = nlohmann::detail::to_chars(buffer.data(), buffer.data() + buffer.size(), v);
    text_.append(buffer.data(), end);
    return *this;
}

TJsonWriter& TJsonWriter::Value(bool v)
{
    beforeValue();
    text_ += v ? "true" : "false";
    return *this;
}

TJsonWriter& TJsonWriter::Value(std::int64_t v)
{
    beforeValue();
    std::array<char, 24> buffer{};
    const auto r = std::to_chars(buffer.data(), buffer.data() + buffer.size(), v);
    text_.append(buffer.data(), r.ptr);
    return *this;
}

TJsonWriter& TJsonWriter::Value(std::uint64_t v)
{
    beforeValue();
    std::array<char, 24> buffer{};
    const auto r = std::to_chars(buffer.data(), buffer.data() + buffer.size(), v);
    text_.append(buffer.data(), r.ptr);
    return *this;
}

TJsonWriter& TJsonWriter::Value(std::string_view v)
{
    beforeValue();
    AppendJsonString(text_, v);
    return *this;
}

} // namespace zmk
