// Stand-in implementation; the exact formatter replaces it.
#include "units/NumText.h"

#include "units/Errors.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace zmk {

std::string FormatList(std::string_view fmt, std::initializer_list<FormatArg> args)
{
    std::string out;
    auto arg = args.begin();
    for (size_t i = 0; i < fmt.size(); ++i) {
        if (fmt[i] != '%') {
            out += fmt[i];
            continue;
        }
        size_t j = i + 1;
        if (j < fmt.size() && fmt[j] == '%') {
            out += '%';
            i = j;
            continue;
        }
        while (j < fmt.size() &&
               (std::isdigit(static_cast<unsigned char>(fmt[j])) || fmt[j] == '.' || fmt[j] == '-'))
            ++j;
        if (j >= fmt.size() || arg == args.end())
            throw EConvertError("Format",
                                "Format '" + std::string(fmt) + "' invalid or incompatible with argument");
        std::string spec(fmt.substr(i, j - i));
        char c = fmt[j];
        char buf[512];
        switch (c) {
        case 's':
        case 'S':
            out += arg->text();
            break;
        case 'd':
        case 'D':
            std::snprintf(buf, sizeof buf, (spec + "lld").c_str(), arg->integer());
            out += buf;
            break;
        default:
            std::snprintf(buf, sizeof buf, (spec + "L" + c).c_str(), arg->real());
            out += buf;
        }
        ++arg;
        i = j;
    }
    return out;
}

std::string FloatToStr(long double value)
{
    return Format("%.15Lg", value);
}

bool TryStrToFloat(std::string_view text, long double& value)
{
    std::string s = Trim(text);
    if (s.empty())
        return false;
    char* end = nullptr;
    value = std::strtold(s.c_str(), &end);
    return end && *end == 0;
}
bool TryStrToFloat(std::string_view text, double& value)
{
    long double v;
    if (!TryStrToFloat(text, v))
        return false;
    value = static_cast<double>(v);
    return true;
}
long double StrToFloat(std::string_view text)
{
    long double v;
    if (!TryStrToFloat(text, v))
        throw EConvertError("StrToFloat", "'" + std::string(text) + "' is not a valid floating point value");
    return v;
}
bool TryStrToInt(std::string_view text, long long& value)
{
    std::string s = Trim(text);
    if (s.empty())
        return false;
    char* end = nullptr;
    value = std::strtoll(s.c_str(), &end, 10);
    return end && *end == 0;
}
bool TryStrToInt(std::string_view text, int& value)
{
    long long v;
    if (!TryStrToInt(text, v))
        return false;
    value = static_cast<int>(v);
    return true;
}
long long StrToInt(std::string_view text)
{
    long long v;
    if (!TryStrToInt(text, v))
        throw EConvertError("StrToInt", "'" + std::string(text) + "' is not a valid integer value");
    return v;
}
long long StrToIntDef(std::string_view text, long long fallback)
{
    long long v;
    return TryStrToInt(text, v) ? v : fallback;
}
long double StrToFloatDef(std::string_view text, long double fallback)
{
    long double v;
    return TryStrToFloat(text, v) ? v : fallback;
}
long long Round(long double value)
{
    return std::llrint(value);
}
long long Trunc(long double value)
{
    return static_cast<long long>(value);
}

std::string TrimLeft(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && static_cast<unsigned char>(text[i]) <= ' ')
        ++i;
    return std::string(text.substr(i));
}
std::string TrimRight(std::string_view text)
{
    size_t n = text.size();
    while (n > 0 && static_cast<unsigned char>(text[n - 1]) <= ' ')
        --n;
    return std::string(text.substr(0, n));
}
std::string Trim(std::string_view text)
{
    return TrimRight(TrimLeft(text));
}

} // namespace zmk
