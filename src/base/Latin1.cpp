// UTF-8 and Latin-1 conversion.
#include "base/Latin1.h"

namespace zmk {

namespace {

// Shared by both conversions: a character outside Latin-1 is handed to `outside`, which appends
// what stands for it.
template <typename Outside> std::string toLatin1(std::string_view utf8, Outside outside)
{
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        // Length and first bits of the sequence; anything else is a stray byte.
        int more;
        unsigned long code;
        if ((c & 0xE0) == 0xC0) {
            more = 1;
            code = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            more = 2;
            code = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            more = 3;
            code = c & 0x07;
        } else {
            out += '?';
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        bool ok = true;
        for (int k = 0; k < more; ++k, ++j) {
            if (j >= utf8.size() || (static_cast<unsigned char>(utf8[j]) & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            code = (code << 6) | (static_cast<unsigned char>(utf8[j]) & 0x3F);
        }
        // A broken sequence resumes at the first byte that did not belong to it (j > i, so
        // the loop always advances); an overlong form of an ASCII character is broken too.
        if (!ok || code < 0x80)
            out += '?';
        else if (code <= 0xFF)
            out += static_cast<char>(code);
        else
            outside(out, code);
        i = j;
    }
    return out;
}

} // namespace

std::string Utf8ToLatin1(std::string_view utf8)
{
    return toLatin1(utf8, [](std::string& out, unsigned long) { out += '?'; });
}

std::string Utf8ToLatin1Html(std::string_view utf8)
{
    return toLatin1(utf8, [](std::string& out, unsigned long code) {
        // Surrogates and values beyond U+10FFFF are no characters at all.
        if ((code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) {
            out += '?';
            return;
        }
        static const char* const hex = "0123456789ABCDEF";
        std::string digits;
        for (unsigned long c = code; c != 0; c >>= 4)
            digits.insert(digits.begin(), hex[c & 0xF]);
        out += "&#x" + digits + ";";
    });
}

std::string Latin1ToUtf8(std::string_view latin1)
{
    std::string out;
    out.reserve(latin1.size() + latin1.size() / 8);
    for (char ch : latin1) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

} // namespace zmk
