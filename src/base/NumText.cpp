// Number text: the Pascal-style Format, the parsers and the typed-number helpers.
//
// Every real is first written as its 18-significant-digit decimal (correctly rounded from
// the exact binary value), and all further rounding works on those digits, half away from
// zero. That is why "%0.2f" of 0.125 gives "0.13" while 1.005 (1.00499999999999989) gives
// "1.00".
#include "base/NumText.h"

#include "base/Errors.h"
#include "base/Utf8.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <type_traits>

namespace zmk {

namespace {

constexpr int kMaxDigits = 18;       // significant digits of the decimal form of a real
constexpr int kMaxDecimals = 18;     // most decimals a fixed directive shows
constexpr int kDefaultGeneral = 15;  // precision of "%g" and "%e" without one
constexpr int kDefaultFixed = 2;     // decimals of "%f" and "%n" without a precision
constexpr int kGeneralDigits = 9999; // "no limit" on decimals for the general forms
constexpr int kMaxFieldSize = 1 << 20;

/// A finite real as decimal digits: value = (-)0.d1d2...dn x 10^exponent, with no trailing
/// zeros. count 0 is zero (and then exponent is 0 and negative false).
struct DecimalDigits
{
    bool negative = false;
    int exponent = 0;
    int count = 0;
    char digits[kMaxDigits + 2] = {};

    char digit(int i) const { return i >= 0 && i < count ? digits[i] : '0'; }
};

enum class Special { None, NaN, PosInf, NegInf };

constexpr uint64_t kPow10_17 = 100000000000000000ULL;
constexpr uint64_t kPow10_18 = 1000000000000000000ULL;

constexpr uint64_t kPow5[] = {1ULL,
                              5ULL,
                              25ULL,
                              125ULL,
                              625ULL,
                              3125ULL,
                              15625ULL,
                              78125ULL,
                              390625ULL,
                              1953125ULL,
                              9765625ULL,
                              48828125ULL,
                              244140625ULL,
                              1220703125ULL,
                              6103515625ULL,
                              30517578125ULL,
                              152587890625ULL,
                              762939453125ULL,
                              3814697265625ULL,
                              19073486328125ULL,
                              95367431640625ULL,
                              476837158203125ULL,
                              2384185791015625ULL,
                              11920928955078125ULL,
                              59604644775390625ULL,
                              298023223876953125ULL,
                              1490116119384765625ULL,
                              7450580596923828125ULL};
constexpr int kMaxPow5 = static_cast<int>(sizeof kPow5 / sizeof kPow5[0]) - 1;

/// The 18-digit decimal of x > 0 by exact 128-bit integer arithmetic: x = m * 2^e with a
/// 64-bit m, so x * 10^s = m * 5^s * 2^(e+s) fits 128 bits for 0 <= s <= 27, which covers
/// roughly 1e-10 <= x < 1e18. Gives d in [1e17, 1e18) and k with x ~ d * 10^(k-17), rounded
/// to nearest (ties to even) like the C library. Returns false outside that range.
bool FastDigits(long double x, uint64_t& d, int& k)
{
    int e2 = 0;
    uint64_t m = 0;
#if defined(__x86_64__) || defined(__i386__)
    static_assert(LDBL_MANT_DIG == 64, "x87 extended precision expected");
    // The 80-bit layout: 64-bit significand with its leading bit, then sign and exponent.
    unsigned char bytes[sizeof(long double)];
    std::memcpy(bytes, &x, sizeof bytes);
    std::memcpy(&m, bytes, 8);
    const int biased = (bytes[8] | (bytes[9] << 8)) & 0x7FFF;
    if (biased == 0 || !(m >> 63))
        return false; // subnormal: far outside this range anyway
    e2 = biased - 16382;
#else
    long double f = std::frexp(x, &e2); // x = f * 2^e2, 0.5 <= f < 1
    m = static_cast<uint64_t>(std::ldexp(f, 64));
#endif
    int e = e2 - 64;
    // floor((e2 - 1) * log10(2)), which lies within one of floor(log10(x)).
    int kk = ((e2 - 1) * 78913) >> 18;
    for (int attempt = 0; attempt < 3; ++attempt) {
        int s = 17 - kk;
        if (s < 0 || s > kMaxPow5)
            return false;
        unsigned __int128 p = static_cast<unsigned __int128>(m) * kPow5[s];
        int shift = -(e + s); // x * 10^s = p / 2^shift
        if (shift <= 0 || shift >= 127)
            return false;
        unsigned __int128 q = p >> shift;
        if (q >= kPow10_18) {
            ++kk;
            continue;
        }
        if (q < kPow10_17) {
            --kk;
            continue;
        }
        unsigned __int128 rem = p & ((static_cast<unsigned __int128>(1) << shift) - 1);
        unsigned __int128 half = static_cast<unsigned __int128>(1) << (shift - 1);
        if (rem > half || (rem == half && (q & 1)))
            ++q;
        if (q == kPow10_18) {
            q = kPow10_17;
            ++kk;
        }
        d = static_cast<uint64_t>(q);
        k = kk;
        return true;
    }
    return false;
}

/// The value's 18-digit decimal form (trailing zeros dropped).
Special ToDigits18(long double value, DecimalDigits& out)
{
    out = DecimalDigits{};
    if (std::isnan(value))
        return Special::NaN;
    if (std::isinf(value))
        return value < 0 ? Special::NegInf : Special::PosInf;
    if (value == 0)
        return Special::None;
    out.negative = std::signbit(value);
    long double x = std::fabs(value);
    uint64_t d = 0;
    int k = 0;
    if (FastDigits(x, d, k)) {
        for (int i = kMaxDigits - 1; i >= 0; --i) {
            out.digits[i] = static_cast<char>('0' + d % 10);
            d /= 10;
        }
        out.exponent = k + 1;
    } else {
        // Very large or very small: the C library's correctly rounded conversion. Only the
        // digits and the exponent are taken, whatever decimal point the locale prints.
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.17Le", x); // "d.ddddddddddddddddde+XX"
        int n = 0;
        const char* p = buf;
        for (; *p && *p != 'e' && n < kMaxDigits; ++p)
            if (*p >= '0' && *p <= '9')
                out.digits[n++] = *p;
        const char* e = std::strchr(p, 'e');
        out.exponent = (e ? std::atoi(e + 1) : 0) + 1;
        while (n < kMaxDigits)
            out.digits[n++] = '0';
    }
    out.count = kMaxDigits;
    while (out.count > 0 && out.digits[out.count - 1] == '0')
        --out.count;
    return Special::None;
}

/// Cuts d to keep significant digits, half away from zero (keep <= 0 rounds at or before
/// the first digit).
void RoundDigits(DecimalDigits& d, int keep)
{
    if (keep >= d.count)
        return;
    if (keep < 0) {
        d.count = 0;
    } else {
        bool up = d.digits[keep] >= '5';
        d.count = keep;
        if (up) {
            int i = keep - 1;
            while (i >= 0 && d.digits[i] == '9')
                --i;
            if (i < 0) {
                d.digits[0] = '1';
                d.count = 1;
                ++d.exponent;
            } else {
                ++d.digits[i];
                d.count = i + 1;
            }
        }
    }
    while (d.count > 0 && d.digits[d.count - 1] == '0')
        --d.count;
    if (d.count == 0) {
        d.negative = false;
        d.exponent = 0;
    }
}

/// The decimal form rounded to precision significant digits and to decimals places after
/// the point, whichever comes first.
Special ToDecimal(long double value, int precision, int decimals, DecimalDigits& d)
{
    Special special = ToDigits18(value, d);
    if (special == Special::None && d.count > 0) {
        long long byDecimals = static_cast<long long>(d.exponent) + decimals;
        RoundDigits(d, static_cast<int>(std::min<long long>(precision, byDecimals)));
    }
    return special;
}

void AppendSpecial(std::string& out, Special special)
{
    out += special == Special::NaN ? "NAN" : special == Special::PosInf ? "INF" : "-INF";
}

void AppendExponentDigits(std::string& out, int exponent, bool forceSign, int minDigits)
{
    if (exponent < 0)
        out += '-';
    else if (forceSign)
        out += '+';
    char buf[16];
    auto r = std::to_chars(buf, buf + sizeof buf, std::abs(exponent));
    for (auto n = r.ptr - buf; n < minDigits; ++n)
        out += '0';
    out.append(buf, r.ptr);
}

/// General form: fixed while -3 <= exponent <= precision, else "d.dddE-005" with at least
/// expDigits exponent digits and a sign only when negative.
void AppendGeneral(std::string& out, const DecimalDigits& d, int precision, int expDigits)
{
    if (d.count == 0) {
        out += '0';
        return;
    }
    if (d.negative)
        out += '-';
    if (d.exponent > precision || d.exponent < -3) {
        out += d.digits[0];
        if (d.count > 1) {
            out += '.';
            out.append(d.digits + 1, d.count - 1);
        }
        out += 'E';
        AppendExponentDigits(out, d.exponent - 1, false, expDigits);
        return;
    }
    if (d.exponent <= 0) {
        out += "0.";
        out.append(-d.exponent, '0');
        out.append(d.digits, d.count);
        return;
    }
    for (int i = 0; i < d.exponent; ++i)
        out += d.digit(i);
    if (d.count > d.exponent) {
        out += '.';
        out.append(d.digits + d.exponent, d.count - d.exponent);
    }
}

/// Fixed form with exactly decimals places, optionally with "," between thousands. A value
/// whose integer part has more digits than a real carries is written in the general form.
void AppendFixed(std::string& out, const DecimalDigits& d, int decimals, bool thousands)
{
    if (d.exponent > kMaxDigits) {
        AppendGeneral(out, d, kMaxDigits, std::min(decimals, 4));
        return;
    }
    if (d.negative)
        out += '-';
    if (d.exponent <= 0) {
        out += '0';
    } else {
        for (int i = 0; i < d.exponent; ++i) {
            if (thousands && i > 0 && (d.exponent - i) % 3 == 0)
                out += ',';
            out += d.digit(i);
        }
    }
    if (decimals > 0) {
        out += '.';
        for (int j = 0; j < decimals; ++j)
            out += d.digit(d.exponent + j);
    }
}

/// Scientific form: precision digits, "E", a sign always and at least three exponent digits.
void AppendScientific(std::string& out, const DecimalDigits& d, int precision)
{
    if (d.negative)
        out += '-';
    out += d.count == 0 ? '0' : d.digits[0];
    out += '.';
    for (int i = 1; i < precision; ++i)
        out += d.digit(i);
    out += 'E';
    AppendExponentDigits(out, d.count == 0 ? 0 : d.exponent - 1, true, 3);
}

void AppendUnsigned(std::string& out, uint64_t v, int base, int minDigits)
{
    char buf[24];
    auto r = std::to_chars(buf, buf + sizeof buf, v, base);
    for (auto n = r.ptr - buf; n < minDigits; ++n)
        out += '0';
    for (char* p = buf; p != r.ptr; ++p)
        out += (*p >= 'a' && *p <= 'z') ? static_cast<char>(*p - 'a' + 'A') : *p;
}

[[noreturn]] void InvalidFormat(std::string_view fmt)
{
    throw EConvertError("Format", "Format '" + std::string(fmt) + "' invalid or incompatible with argument");
}

[[noreturn]] void MissingArgument(std::string_view fmt)
{
    throw EConvertError("Format", "No argument for format '" + std::string(fmt) + "'");
}

class Formatter
{
public:
    Formatter(std::string_view fmt, std::initializer_list<FormatArg> args) : fmt_(fmt), args_(args) {}

    std::string run()
    {
        std::string out;
        out.reserve(fmt_.size() + 16);
        size_t i = 0;
        const size_t n = fmt_.size();
        while (i < n) {
            size_t pct = fmt_.find('%', i);
            if (pct == std::string_view::npos) {
                out.append(fmt_.substr(i));
                break;
            }
            out.append(fmt_.substr(i, pct - i));
            pos_ = pct + 1;
            directive(out);
            i = pos_;
        }
        return out;
    }

private:
    char peek() const { return pos_ < fmt_.size() ? fmt_[pos_] : '\0'; }

    /// Digits or "*" (the next integer argument); nothing when neither is there.
    std::optional<int> readNumber()
    {
        if (peek() == '*') {
            ++pos_;
            const FormatArg& a = takeArg();
            if (a.kind() != FormatArg::Kind::Integer)
                InvalidFormat(fmt_);
            long long v = a.integer();
            if (v > kMaxFieldSize)
                InvalidFormat(fmt_);
            return static_cast<int>(std::max(v, -1LL));
        }
        if (peek() < '0' || peek() > '9')
            return std::nullopt;
        long long v = 0;
        while (peek() >= '0' && peek() <= '9') {
            v = v * 10 + (peek() - '0');
            if (v > kMaxFieldSize)
                InvalidFormat(fmt_);
            ++pos_;
        }
        return static_cast<int>(v);
    }

    const FormatArg& takeArg()
    {
        if (next_ >= args_.size())
            MissingArgument(fmt_);
        return args_.begin()[next_++];
    }

    void directive(std::string& out)
    {
        if (peek() == '%') {
            ++pos_;
            out += '%';
            return;
        }
        bool left = false;
        std::optional<int> first = readNumber();
        if (peek() == ':') {
            ++pos_;
            next_ = static_cast<size_t>(std::max(first.value_or(0), 0));
            first.reset();
        }
        if (!first) {
            if (peek() == '-') {
                left = true;
                ++pos_;
            }
            first = readNumber();
        }
        int width = first.value_or(-1);
        int prec = -1;
        if (peek() == '.') {
            ++pos_;
            prec = std::max(readNumber().value_or(0), 0);
        }
        if (pos_ >= fmt_.size())
            InvalidFormat(fmt_);
        char type = fmt_[pos_++];
        if (type >= 'a' && type <= 'z')
            type = static_cast<char>(type - 'a' + 'A');

        size_t start = out.size();
        size_t chars = 0; // characters of a text; numbers are plain ASCII
        bool isText = false;
        const FormatArg& arg = takeArg();
        switch (type) {
        case 'D':
        case 'U':
        case 'X': {
            if (arg.kind() != FormatArg::Kind::Integer)
                InvalidFormat(fmt_);
            long long v = arg.integer();
            if (type == 'D') {
                if (v < 0)
                    out += '-';
                uint64_t mag = v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
                AppendUnsigned(out, mag, 10, prec);
            } else {
                uint64_t u = arg.wide() ? static_cast<uint64_t>(v) : static_cast<uint32_t>(v);
                AppendUnsigned(out, u, type == 'U' ? 10 : 16, prec);
            }
            break;
        }
        case 'F':
        case 'N':
        case 'G':
        case 'E': {
            if (arg.kind() != FormatArg::Kind::Real)
                InvalidFormat(fmt_);
            DecimalDigits d;
            Special special;
            if (type == 'F' || type == 'N') {
                int decimals = std::min(prec < 0 ? kDefaultFixed : prec, kMaxDecimals);
                special = ToDecimal(arg.real(), kMaxDigits, decimals, d);
                if (special == Special::None)
                    AppendFixed(out, d, decimals, type == 'N');
            } else {
                int precision = std::clamp(prec < 0 ? kDefaultGeneral : prec, 2, kMaxDigits);
                special = ToDecimal(arg.real(), precision, kGeneralDigits, d);
                if (special == Special::None) {
                    if (type == 'G')
                        AppendGeneral(out, d, precision, 3);
                    else
                        AppendScientific(out, d, precision);
                }
            }
            if (special != Special::None)
                AppendSpecial(out, special);
            break;
        }
        case 'S': {
            if (arg.kind() != FormatArg::Kind::Text)
                InvalidFormat(fmt_);
            std::string_view s = arg.text();
            if (prec >= 0)
                s = Utf8Prefix(s, static_cast<size_t>(prec));
            out.append(s);
            chars = Utf8Length(s);
            isText = true;
            break;
        }
        default:
            InvalidFormat(fmt_);
        }
        if (!isText)
            chars = out.size() - start;
        if (width > 0 && chars < static_cast<size_t>(width)) {
            size_t pad = static_cast<size_t>(width) - chars;
            if (left)
                out.append(pad, ' ');
            else
                out.insert(start, pad, ' ');
        }
    }

    std::string_view fmt_;
    std::initializer_list<FormatArg> args_;
    size_t pos_ = 0;
    size_t next_ = 0;
};

/// Checks the real grammar ([sign] digits [. digits] [E [sign] digits], a digit before or
/// after the point) and rewrites it for from_chars: no "+", a digit before the point.
/// decimalMagnitude gets the position of the leading significant digit relative to the
/// point plus the exponent (to tell an underflow from an overflow).
bool CanonicalReal(std::string_view s, std::string& canon, long long& decimalMagnitude)
{
    size_t i = 0;
    canon.clear();
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        if (s[i] == '-')
            canon += '-';
        ++i;
    }
    auto isDigit = [&](size_t k) { return k < s.size() && s[k] >= '0' && s[k] <= '9'; };
    size_t intStart = i;
    while (isDigit(i))
        ++i;
    size_t intDigits = i - intStart;
    size_t fracStart = i, fracDigits = 0;
    if (i < s.size() && s[i] == '.') {
        fracStart = ++i;
        while (isDigit(i))
            ++i;
        fracDigits = i - fracStart;
    }
    if (intDigits + fracDigits == 0)
        return false;
    long long lead = 0; // position of the first non-zero digit: >0 in the integer part
    {
        size_t k = intStart;
        while (k < intStart + intDigits && s[k] == '0')
            ++k;
        if (k < intStart + intDigits) {
            lead = static_cast<long long>(intStart + intDigits - k);
        } else {
            size_t f = fracStart;
            while (f < fracStart + fracDigits && s[f] == '0')
                ++f;
            lead = -static_cast<long long>(f - fracStart);
        }
    }
    if (intDigits == 0)
        canon += '0';
    canon.append(s.substr(intStart, intDigits));
    if (fracDigits > 0) {
        canon += '.';
        canon.append(s.substr(fracStart, fracDigits));
    }
    long long exponent = 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        canon += 'e';
        bool negative = false;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
            negative = s[i] == '-';
            if (negative)
                canon += '-';
            ++i;
        }
        if (!isDigit(i))
            return false;
        while (isDigit(i)) {
            if (exponent < 1000000)
                exponent = exponent * 10 + (s[i] - '0');
            canon += s[i];
            ++i;
        }
        if (negative)
            exponent = -exponent;
    }
    decimalMagnitude = lead + exponent;
    return i == s.size();
}

// The exact path for the numbers files hold: a canonical real ("-12.5e3") of at most 19
// significant digits and a decimal exponent within 27 is its digits, exact as an integer in a
// long double, times or divided by a power of ten that a long double also holds exactly, and so
// comes out of one correctly rounded operation: the same long double as the library's
// conversion, at a fraction of its cost. False for anything else (the library then converts).
bool ExactLongDouble(std::string_view canon, long double& value)
{
    static constexpr int kMaxDigits = 19; // below 2^64: exact in the 64-bit significand
    static constexpr int kMaxPower = 27;  // 5^27 < 2^64: 10^27 is exact too
    static constexpr auto powers = [] {
        std::array<long double, kMaxPower + 1> p{};
        p[0] = 1;
        for (int k = 1; k <= kMaxPower; ++k)
            p[k] = p[k - 1] * 10;
        return p;
    }();
    if (std::numeric_limits<long double>::digits < 64)
        return false;
    std::size_t i = 0;
    const bool negative = i < canon.size() && canon[i] == '-';
    if (negative)
        ++i;
    std::uint64_t digits = 0;
    int significant = 0;
    long long scale = 0; // power of ten the digits are to be multiplied by
    bool point = false;
    for (; i < canon.size() && canon[i] != 'e'; ++i) {
        const char c = canon[i];
        if (c == '.') {
            point = true;
            continue;
        }
        if (digits == 0 && c == '0') {
            if (point)
                --scale;
            continue;
        }
        if (++significant > kMaxDigits)
            return false;
        digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
        if (point)
            --scale;
    }
    if (i < canon.size()) {
        long long e = 0;
        bool minus = false;
        ++i;
        if (i < canon.size() && canon[i] == '-') {
            minus = true;
            ++i;
        }
        for (; i < canon.size(); ++i) {
            if (e > 100000)
                return false;
            e = e * 10 + (canon[i] - '0');
        }
        scale += minus ? -e : e;
    }
    long double v = static_cast<long double>(digits);
    if (digits != 0) {
        if (scale > kMaxPower || scale < -kMaxPower)
            return false;
        v = scale >= 0 ? v * powers[static_cast<std::size_t>(scale)] : v / powers[static_cast<std::size_t>(-scale)];
    }
    value = negative ? -v : v;
    return true;
}

template <typename Real> bool ParseReal(std::string_view text, Real& value)
{
    std::string_view s = text;
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ')
        s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ')
        s.remove_suffix(1);
    std::string canon;
    long long magnitude = 0;
    if (!CanonicalReal(s, canon, magnitude))
        return false;
    Real v{};
    if constexpr (std::is_same_v<Real, long double>) {
        if (ExactLongDouble(canon, v)) {
            value = v;
            return true;
        }
    }
    auto r = std::from_chars(canon.data(), canon.data() + canon.size(), v);
    if (r.ec == std::errc::result_out_of_range) {
        if (magnitude > 0)
            return false; // beyond the type's range
        v = canon[0] == '-' ? -Real(0) : Real(0);
    } else if (r.ec != std::errc() || r.ptr != canon.data() + canon.size()) {
        return false;
    }
    if (!std::isfinite(v))
        return false;
    value = v;
    return true;
}

} // namespace

std::string FormatList(std::string_view fmt, std::initializer_list<FormatArg> args)
{
    return Formatter(fmt, args).run();
}

std::string FloatToStr(long double value)
{
    DecimalDigits d;
    Special special = ToDecimal(value, kDefaultGeneral, kGeneralDigits, d);
    std::string out;
    if (special != Special::None)
        AppendSpecial(out, special);
    else
        AppendGeneral(out, d, kDefaultGeneral, 0);
    return out;
}

bool TryStrToFloat(std::string_view text, long double& value)
{
    return ParseReal(text, value);
}

bool TryStrToFloat(std::string_view text, double& value)
{
    return ParseReal(text, value);
}

TNumberTextFault NumberTextFault(std::string_view text)
{
    double value = 0;
    if (TryStrToFloat(text, value))
        return TNumberTextFault::None;
    const std::string trimmed = Trim(text);
    std::string canon;
    long long magnitude = 0;
    return CanonicalReal(trimmed, canon, magnitude) ? TNumberTextFault::OutOfRange
                                                    : TNumberTextFault::NotANumber;
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
    size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < s.size() && s[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= s.size())
        return false;
    uint64_t mag = 0;
    auto r = std::from_chars(s.data() + i, s.data() + s.size(), mag, base);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size())
        return false;
    constexpr uint64_t kMaxPositive = static_cast<uint64_t>(std::numeric_limits<long long>::max());
    if (negative) {
        if (mag > kMaxPositive + 1)
            return false;
        value =
            mag == kMaxPositive + 1 ? std::numeric_limits<long long>::min() : -static_cast<long long>(mag);
    } else {
        if (mag > kMaxPositive)
            return false;
        value = static_cast<long long>(mag);
    }
    return true;
}

bool TryStrToInt(std::string_view text, int& value)
{
    long long v;
    if (!TryStrToInt(text, v) || v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
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

namespace {

constexpr long double kTwo63 = 9223372036854775808.0L;

long long ToInteger(long double whole, const char* where)
{
    if (!(whole >= -kTwo63 && whole < kTwo63))
        throw EMathError(where, "Invalid floating point operation");
    return static_cast<long long>(whole);
}

} // namespace

long long Round(long double value)
{
    if (!std::isfinite(value))
        throw EMathError("Round", "Invalid floating point operation");
    // Explicit ties-to-even, independent of the processor's rounding mode; the subtraction of
    // the integer part is exact.
    long double whole = std::trunc(value);
    long double frac = std::fabs(value - whole);
    if (frac > 0.5L || (frac == 0.5L && std::fmod(whole, 2.0L) != 0))
        whole += value < 0 ? -1 : 1;
    return ToInteger(whole, "Round");
}

long long Trunc(long double value)
{
    if (!std::isfinite(value))
        throw EMathError("Trunc", "Invalid floating point operation");
    return ToInteger(std::trunc(value), "Trunc");
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

// ---- Typed number text -------------------------------------------------------------------

std::string RemoveSpaces(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != ' ')
            out += c;
    return out;
}

namespace {

void EraseAll(std::string& s, char c, size_t from)
{
    size_t w = from;
    for (size_t r = from; r < s.size(); ++r)
        if (s[r] != c)
            s[w++] = s[r];
    s.resize(w);
}

/// Reads an exponent text as an integer; nullopt when it is not one. A run of digits too
/// long for 64 bits counts as huge.
std::optional<long long> ReadExponent(std::string_view s)
{
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    if (i >= s.size())
        return std::nullopt;
    for (size_t k = i; k < s.size(); ++k)
        if (s[k] < '0' || s[k] > '9')
            return std::nullopt;
    long long v = 0;
    if (!TryStrToInt(s, v))
        return std::numeric_limits<long long>::max();
    return v;
}

std::string NormaliseOne(std::string s)
{
    if (s.empty())
        return "0";
    for (char& c : s)
        if (c == 'e')
            c = 'E';
    size_t firstE = s.find('E');
    if (firstE != std::string::npos)
        EraseAll(s, 'E', firstE + 1);
    if (s.size() > 1) {
        // A "-" stays only at the very start or right after the exponent's "E".
        std::string rest;
        rest.reserve(s.size());
        for (size_t i = 1; i < s.size(); ++i)
            if (s[i] != '-' || (i > 1 && s[i - 1] == 'E'))
                rest += s[i];
        s.resize(1);
        s += rest;
    }
    if (s == "-")
        return "0";
    size_t firstDot = s.find('.');
    if (firstDot != std::string::npos)
        EraseAll(s, '.', firstDot + 1);
    if (s[0] == 'E')
        s.insert(0, 1, '1');
    size_t e = s.find('E');
    if (e != std::string::npos) {
        std::string before = s.substr(e + 1);
        std::string exponent = before;
        size_t dot = exponent.find('.');
        if (dot != std::string::npos)
            exponent.erase(dot, 1);
        std::optional<long long> value = ReadExponent(exponent);
        if (!value)
            throw EConvertError("NormaliseNumberText", "'" + s + "' is not a valid floating point value");
        if (*value > 300 || *value < -300)
            exponent = before.substr(0, 2);
        s.resize(e + 1);
        s += exponent;
    }
    return s;
}

} // namespace

std::string NormaliseNumberText(std::string_view text)
{
    std::string s = RemoveSpaces(text);
    size_t slash = s.find('/');
    if (slash != std::string::npos) {
        std::string after = s.substr(slash + 1);
        EraseAll(after, '/', 0);
        return NormaliseOne(s.substr(0, slash)) + "/" + NormaliseOne(after);
    }
    return NormaliseOne(std::move(s));
}

NumberPair SplitPair(std::string_view text)
{
    NumberPair pair;
    size_t slash = text.find('/');
    if (slash == std::string_view::npos) {
        pair.a = StrToFloat(text);
        return pair;
    }
    pair.count = 2;
    pair.a = StrToFloat(text.substr(0, slash));
    pair.b = StrToFloat(text.substr(slash + 1));
    return pair;
}

int DecimalsFor(int sigDigs, int maxDecimals, long double value)
{
    std::string fmt = "%0." + std::to_string(std::max(maxDecimals, 0)) + "f";
    std::string s = Format(fmt, value);
    size_t dot = s.find('.');
    int k = static_cast<int>(dot == std::string::npos ? s.size() : dot);
    int result;
    if (k == 1) {
        result = 3;
        for (size_t i = 2; i < s.size(); ++i) {
            if (s[i] != '0') {
                result = static_cast<int>(i) + 1;
                break;
            }
        }
    } else {
        result = std::max(sigDigs - k, 0);
    }
    return std::min(result, maxDecimals);
}

std::string AutoDecimalFormat(int sigDigs, int maxDecimals, long double value)
{
    return "%0." + std::to_string(DecimalsFor(sigDigs, maxDecimals, value)) + "f";
}

int FormatDecimals(std::string_view formatStr)
{
    size_t dot = formatStr.find('.');
    if (dot == std::string_view::npos)
        return 0;
    int n = 0;
    size_t i = dot + 1;
    if (i >= formatStr.size() || formatStr[i] < '0' || formatStr[i] > '9')
        return 0;
    while (i < formatStr.size() && formatStr[i] >= '0' && formatStr[i] <= '9' && n < 1000)
        n = n * 10 + (formatStr[i++] - '0');
    return n;
}

} // namespace zmk
