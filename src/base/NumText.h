// Number text: the format directives every printed number and every written file uses,
// the number parsers, and the small text helpers around them. Formatting follows the
// Pascal run-time library's rules (18-digit decimal rounding, half away from zero; the
// general format's "E-005" exponents), never the C library's, and "." is always the
// decimal separator whatever the locale.
//
// Format directives: "%" [index ":"] ["-"] [width] ["." precision] type, where index,
// width and precision are digits or "*" (taken from the next integer argument), "-"
// left-justifies within the width (blanks pad; there is no zero-padding flag), and type is
//   d  integer; precision = minimum number of digits ("%3.3d" of 5 gives "005")
//   u  integer read as unsigned (32 bits for int-sized arguments, 64 bits for wider ones)
//   x  integer in upper-case hexadecimal; precision = minimum number of digits
//   f  fixed, precision decimals (default 2, at most 18)
//   n  as f with "," between thousands
//   g  general, precision significant digits (default 15, between 2 and 18)
//   e  scientific, precision significant digits (default 15), "E+000" exponent
//   s  text (precision = maximum number of characters)
//   %% a "%" sign.
// Reals print "NAN", "INF" or "-INF" when they are not finite.
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
    FormatArg(long v) : kind_(Kind::Integer), wide_(true), i_(v) {}
    FormatArg(long long v) : kind_(Kind::Integer), wide_(true), i_(v) {}
    FormatArg(unsigned v) : kind_(Kind::Integer), i_(v) {}
    FormatArg(unsigned long v) : kind_(Kind::Integer), wide_(true), i_(static_cast<long long>(v)) {}
    FormatArg(unsigned long long v) : kind_(Kind::Integer), wide_(true), i_(static_cast<long long>(v)) {}
    FormatArg(float v) : kind_(Kind::Real), r_(v) {}
    FormatArg(double v) : kind_(Kind::Real), r_(v) {}
    FormatArg(long double v) : kind_(Kind::Real), r_(v) {}
    FormatArg(char v) : kind_(Kind::Text), s_(1, v) {}
    FormatArg(const char* v) : kind_(Kind::Text), s_(v) {}
    FormatArg(std::string v) : kind_(Kind::Text), s_(std::move(v)) {}
    FormatArg(std::string_view v) : kind_(Kind::Text), s_(v) {}

    Kind kind() const { return kind_; }
    /// True for an integer wider than 32 bits (its "%x" and "%u" text uses 64 bits).
    bool wide() const { return wide_; }
    long long integer() const { return i_; }
    long double real() const { return r_; }
    const std::string& text() const { return s_; }

private:
    Kind kind_;
    bool wide_ = false;
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
/// As StrToFloat into a double (rounded once, straight from the text); false also when the
/// value lies beyond the double range.
bool TryStrToFloat(std::string_view text, double& value);
/// Why a text is not a real that a double holds: None when it reads (TryStrToFloat into a
/// double), OutOfRange when it is a number written correctly whose size lies beyond the double
/// range (a 400-digit integer, "1e999"), NotANumber for anything else ("abc", "1..2", "nan").
enum class TNumberTextFault { None, NotANumber, OutOfRange };
TNumberTextFault NumberTextFault(std::string_view text);
/// Reads an integer (decimal, or hexadecimal with "$" or "0x"); throws EConvertError.
long long StrToInt(std::string_view text);
bool TryStrToInt(std::string_view text, long long& value);
/// As TryStrToInt; false also when the value does not fit an int.
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

// ---- Typed number text -------------------------------------------------------------------

/// The text with every blank removed.
std::string RemoveSpaces(std::string_view text);

/// Cleans typed number text so that StrToFloat reads it: blanks removed, stray "-", "." and
/// "E" dropped, "" -> "0", "E5" -> "1E5", an exponent beyond 300 cut to its first two
/// characters; the two halves of a "a/b" pair are cleaned separately. Throws EConvertError
/// when the exponent cannot be read as an integer ("1E-").
std::string NormaliseNumberText(std::string_view text);

/// One number, or two numbers written "a/b" (a dry bulb and a wet bulb, say).
struct NumberPair
{
    int count = 1;     ///< 1 for a single number (in a), 2 for a pair
    long double a = 0; ///< the number, or the one before the "/"
    long double b = 0; ///< the number after the "/" (0 for a single number)
};

/// Reads "a/b" as a pair (split at the first "/") or a text without "/" as one number;
/// throws EConvertError when a part is not a number.
NumberPair SplitPair(std::string_view text);

/// Decimals that show value with about sigDigs significant digits, at most maxDecimals:
/// 123.456 -> 2, 0.0456 -> 4, -1.5 -> 3 (with sigDigs 5).
int DecimalsFor(int sigDigs, int maxDecimals, long double value);

/// "%0.<DecimalsFor(sigDigs, maxDecimals, value)>f".
std::string AutoDecimalFormat(int sigDigs, int maxDecimals, long double value);

/// The decimals of a format string: the number after its first "." ("%0.4f" -> 4), 0 when
/// there is none.
int FormatDecimals(std::string_view formatStr);

} // namespace zmk
