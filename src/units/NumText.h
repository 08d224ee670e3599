// Number text: the format directives every printed number and every written file uses,
// the number parsers, and the small text helpers around them. Formatting follows the
// Pascal run-time library's rules (18-digit decimal rounding, half away from zero; the
// general format's "E-005" exponents), never the C library's, and "." is always the
// decimal separator whatever the locale.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace zmk {

/// One argument of Format: an integer, a real (held in extended precision) or a text.
class FormatArg
{
public:
    enum class Kind { Integer, Real, Text };

    FormatArg(int v) : kind_(Kind::Integer), i_(v) {}
    FormatArg(long v) : kind_(Kind::Integer), i_(v) {}
    FormatArg(long long v) : kind_(Kind::Integer), i_(v) {}
    FormatArg(unsigned v) : kind_(Kind::Integer), i_(v) {}
    FormatArg(unsigned long v) : kind_(Kind::Integer), i_(static_cast<long long>(v)) {}
    FormatArg(unsigned long long v) : kind_(Kind::Integer), i_(static_cast<long long>(v)) {}
    FormatArg(float v) : kind_(Kind::Real), r_(v) {}
    FormatArg(double v) : kind_(Kind::Real), r_(v) {}
    FormatArg(long double v) : kind_(Kind::Real), r_(v) {}
    FormatArg(const char* v) : kind_(Kind::Text), s_(v) {}
    FormatArg(std::string v) : kind_(Kind::Text), s_(std::move(v)) {}
    FormatArg(std::string_view v) : kind_(Kind::Text), s_(v) {}

    Kind kind() const { return kind_; }
    long long integer() const { return i_; }
    long double real() const { return r_; }
    const std::string& text() const { return s_; }

private:
    Kind kind_;
    long long i_ = 0;
    long double r_ = 0;
    std::string s_;
};

/// Format with an argument list; throws EConvertError when a directive does not fit its
/// argument or the arguments run out.
std::string FormatList(std::string_view fmt, std::initializer_list<FormatArg> args);

/// Format("%0.3f", 1.5) and the like.
template <typename... Args> std::string Format(std::string_view fmt, const Args&... args)
{
    return FormatList(fmt, {FormatArg(args)...});
}

/// General text of a real: 15 significant digits, exponent without padding ("1E-5").
std::string FloatToStr(long double value);

/// Reads a real ("." decimal separator, optional exponent, surrounding blanks allowed);
/// throws EConvertError when the text is not a number.
long double StrToFloat(std::string_view text);
/// As StrToFloat, returning false instead of throwing.
bool TryStrToFloat(std::string_view text, long double& value);
bool TryStrToFloat(std::string_view text, double& value);
/// Reads an integer (decimal, or hexadecimal with "$" or "0x"); throws EConvertError.
long long StrToInt(std::string_view text);
bool TryStrToInt(std::string_view text, long long& value);
bool TryStrToInt(std::string_view text, int& value);
long long StrToIntDef(std::string_view text, long long fallback);
long double StrToFloatDef(std::string_view text, long double fallback);

/// Nearest integer, ties to even; throws EMathError when the value has no integer form.
long long Round(long double value);
/// Integer part, toward zero; throws EMathError when the value has no integer form.
long long Trunc(long double value);

/// Blanks and control characters removed from both ends, from the left, from the right.
std::string Trim(std::string_view text);
std::string TrimLeft(std::string_view text);
std::string TrimRight(std::string_view text);

} // namespace zmk
