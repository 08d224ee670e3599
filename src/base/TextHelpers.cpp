// Small text helpers: separated fields and lists, dates, escaped line breaks.
#include "base/TextHelpers.h"

#include <cctype>

#include "base/NumText.h"

#include <ctime>

namespace zmk {

std::string ExtractField(int n, char separator, std::string_view text)
{
    std::string rest = Trim(text);
    std::string field;
    for (int i = 1; i <= n; ++i) {
        size_t p = rest.find(separator);
        if (p == std::string::npos)
            return i == n ? rest : std::string();
        field = rest.substr(0, p);
        rest = TrimLeft(std::string_view(rest).substr(p + 1));
        if (rest.empty())
            break; // the text ended in a separator: its last field stands
    }
    return field;
}

bool IsValidDate(int year, int month, int day)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1)
        return false;
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    int length = kDays[month - 1] + (month == 2 && leap ? 1 : 0);
    return day <= length;
}

CalendarDate Today()
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

CalendarDate ParseDate(std::string_view text, char separator)
{
    int day = 0, month = 0, year = 0;
    if (TryStrToInt(ExtractField(1, separator, text), day) &&
        TryStrToInt(ExtractField(2, separator, text), month) &&
        TryStrToInt(ExtractField(3, separator, text), year) && IsValidDate(year, month, day))
        return {year, month, day};
    return Today();
}

std::vector<std::string> SplitText(std::string_view text, char separator)
{
    std::vector<std::string> pieces;
    std::string rest = Trim(text);
    for (size_t p = rest.find(separator); p != std::string::npos; p = rest.find(separator)) {
        pieces.push_back(rest.substr(0, p));
        rest = Trim(std::string_view(rest).substr(p + 1));
    }
    if (!rest.empty())
        pieces.push_back(rest);
    return pieces;
}

namespace {

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to)
{
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    for (size_t p = text.find(from); p != std::string_view::npos; p = text.find(from, i)) {
        out.append(text.substr(i, p - i));
        out.append(to);
        i = p + from.size();
    }
    out.append(text.substr(i));
    return out;
}

} // namespace

std::string EscapeLineBreaks(std::string_view text)
{
    return ReplaceAll(text, "\r\n", "%13%10");
}

std::string UnescapeLineBreaks(std::string_view text)
{
    return ReplaceAll(text, "%13%10", "\r\n");
}

namespace {

char lowerChar(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

char upperChar(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace

std::string OneLineText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F) {
            out += ' ';
        } else if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            out += ' '; // a C1 control in UTF-8; NEL among them ends a line for some readers
            ++i;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string PrintableText(std::string_view text)
{
    static constexpr std::string_view kReplacement = "\xEF\xBF\xBD"; // U+FFFD
    std::string out;
    out.reserve(text.size());
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char c = byte(i);
        if (c < 0x80) {
            if (c >= 0x20 && c != 0x7F)
                out += static_cast<char>(c);
            ++i;
            continue;
        }
        // The length of the sequence and the lowest code point it may hold (no overlong forms).
        const std::size_t n = c >= 0xC2 && c <= 0xDF   ? 2
                              : c >= 0xE0 && c <= 0xEF ? 3
                              : c >= 0xF0 && c <= 0xF4 ? 4
                                                       : 0;
        char32_t code = n == 2 ? c & 0x1Fu : n == 3 ? c & 0x0Fu : c & 0x07u;
        std::size_t k = 1;
        while (n != 0 && k < n && i + k < text.size() && (byte(i + k) & 0xC0) == 0x80) {
            code = (code << 6) | (byte(i + k) & 0x3Fu);
            ++k;
        }
        const char32_t lowest = n == 2 ? 0x80 : n == 3 ? 0x800 : 0x10000;
        if (n == 0 || k < n || code < lowest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            out += kReplacement;
            ++i;
            continue;
        }
        if (code > 0x9F)
            out.append(text.substr(i, n));
        i += n;
    }
    return out;
}

bool SameText(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerChar(a[i]) != lowerChar(b[i]))
            return false;
    return true;
}

std::string LowerCase(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = lowerChar(c);
    return out;
}

std::string UpperCase(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = upperChar(c);
    return out;
}

bool EndsWithText(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() && SameText(text.substr(text.size() - suffix.size()), suffix);
}

std::string HtmlEscape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '&':
            out += "&amp;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace zmk
