#include "base/Utf8.h"

#include <utility>

namespace zmk {

namespace {

constexpr std::size_t kShortStringBytes = 255;

} // namespace

std::size_t Utf8Length(std::string_view text)
{
    std::size_t n = 0;
    for (char c : text)
        n += IsUtf8Start(c);
    return n;
}

std::size_t Utf8Offset(std::string_view text, std::size_t index)
{
    std::size_t n = 0;
    for (std::size_t b = 0; b < text.size(); ++b) {
        if (IsUtf8Start(text[b])) {
            if (n == index)
                return b;
            ++n;
        }
    }
    return text.size();
}

std::vector<std::size_t> Utf8Starts(std::string_view text)
{
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (IsUtf8Start(text[i]))
            starts.push_back(i);
    return starts;
}

std::string_view Utf8Prefix(std::string_view text, std::size_t maxChars)
{
    return text.substr(0, Utf8Offset(text, maxChars));
}

std::string Utf8CutBytes(std::string text, std::size_t maxBytes)
{
    if (text.size() <= maxBytes)
        return text;
    std::size_t n = maxBytes;
    while (n > 0 && !IsUtf8Start(text[n]))
        --n;
    text.resize(n);
    return text;
}

std::string ShortString(std::string text)
{
    return Utf8CutBytes(std::move(text), kShortStringBytes);
}

std::string Utf8PadRight(std::string text, std::size_t width)
{
    const std::size_t chars = Utf8Length(text);
    if (chars < width)
        text.append(width - chars, ' ');
    return text;
}

std::string Utf8Encode(char32_t ch)
{
    std::string out;
    if (ch < 0x80) {
        out += static_cast<char>(ch);
    } else if (ch < 0x800) {
        out += static_cast<char>(0xC0 | (ch >> 6));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    } else if (ch < 0x10000) {
        out += static_cast<char>(0xE0 | (ch >> 12));
        out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (ch >> 18));
        out += static_cast<char>(0x80 | ((ch >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    }
    return out;
}

} // namespace zmk
