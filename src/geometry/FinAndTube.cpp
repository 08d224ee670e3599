// Fin-and-tube geometry: tables, recalculation, size text, weights and text forms.
#include "geometry/FinAndTube.h"
#include "base/TextHelpers.h"

#include "base/Errors.h"
#include "base/NumText.h"
#include "geometry/CoilMakers.h"
#include "units/ConvTools.h"

#include <algorithm>
#include <cctype>
#include <bit>
#include <cmath>
#include <numbers>
#include <utility>

namespace zmk {

const std::array<TMaterial, 8> MaterialTable = {{
    {"Copper", "Cu", 8900, 0.384, 0.394},
    {"Aluminium", "Al", 2700, 0.209, 0.904},
    {"Steel", "St", 7850, 0.054, 0.49},
    {"Galvanised Iron", "GI", 7800, 0.054, 0.49},
    {"Stainless Steel", "SS", 7800, 0.054, 0.49},
    {"Epoxy Coated Aluminium", "Ale", 2700, 0.19, 0.904},
    {"Titanium", "TI", 4510, 0.0156, 0.544},
    {"Brass", "Br", 8522, 0.111, 0.385},
}};

// The values are written as quotients so that each is the double nearest its fraction; the
// mixed numbers are written as improper fractions ("1-1/7" is 8/7) for the same reason.
const std::array<TSerpentine, kSerpentineCount> SerpentineTable = {{
    {"3/40", 3.0 / 40}, {"1/13", 1.0 / 13}, {"3/38", 3.0 / 38}, {"3/37", 3.0 / 37}, {"1/12", 1.0 / 12},
    {"3/35", 3.0 / 35}, {"3/34", 3.0 / 34}, {"1/11", 1.0 / 11}, {"3/32", 3.0 / 32}, {"3/31", 3.0 / 31},
    {"1/10", 1.0 / 10}, {"4/39", 4.0 / 39}, {"3/29", 3.0 / 29}, {"2/19", 2.0 / 19}, {"3/28", 3.0 / 28},
    {"4/37", 4.0 / 37}, {"1/9", 1.0 / 9},   {"4/35", 4.0 / 35}, {"3/26", 3.0 / 26}, {"2/17", 2.0 / 17},
    {"3/25", 3.0 / 25}, {"4/33", 4.0 / 33}, {"1/8", 1.0 / 8},   {"5/39", 5.0 / 39}, {"4/31", 4.0 / 31},
    {"3/23", 3.0 / 23}, {"5/38", 5.0 / 38}, {"2/15", 2.0 / 15}, {"5/37", 5.0 / 37}, {"3/22", 3.0 / 22},
    {"4/29", 4.0 / 29}, {"5/36", 5.0 / 36}, {"1/7", 1.0 / 7},   {"5/34", 5.0 / 34}, {"4/27", 4.0 / 27},
    {"3/20", 3.0 / 20}, {"5/33", 5.0 / 33}, {"2/13", 2.0 / 13}, {"5/32", 5.0 / 32}, {"3/19", 3.0 / 19},
    {"4/25", 4.0 / 25}, {"5/31", 5.0 / 31}, {"6/37", 6.0 / 37}, {"1/6", 1.0 / 6},   {"6/35", 6.0 / 35},
    {"5/29", 5.0 / 29}, {"4/23", 4.0 / 23}, {"3/17", 3.0 / 17}, {"5/28", 5.0 / 28}, {"2/11", 2.0 / 11},
    {"5/27", 5.0 / 27}, {"3/16", 3.0 / 16}, {"4/21", 4.0 / 21}, {"5/26", 5.0 / 26}, {"6/31", 6.0 / 31},
    {"1/5", 1.0 / 5},   {"8/39", 8.0 / 39}, {"6/29", 6.0 / 29}, {"5/24", 5.0 / 24}, {"4/19", 4.0 / 19},
    {"3/14", 3.0 / 14}, {"8/37", 8.0 / 37}, {"5/23", 5.0 / 23}, {"2/9", 2.0 / 9},   {"5/22", 5.0 / 22},
    {"8/35", 8.0 / 35}, {"3/13", 3.0 / 13}, {"4/17", 4.0 / 17}, {"5/21", 5.0 / 21}, {"6/25", 6.0 / 25},
    {"8/33", 8.0 / 33}, {"1/4", 1.0 / 4},   {"8/31", 8.0 / 31}, {"6/23", 6.0 / 23}, {"5/19", 5.0 / 19},
    {"4/15", 4.0 / 15}, {"3/11", 3.0 / 11}, {"8/29", 8.0 / 29}, {"5/18", 5.0 / 18}, {"2/7", 2.0 / 7},
    {"5/17", 5.0 / 17}, {"8/27", 8.0 / 27}, {"3/10", 3.0 / 10}, {"4/13", 4.0 / 13}, {"5/16", 5.0 / 16},
    {"6/19", 6.0 / 19}, {"8/25", 8.0 / 25}, {"1/3", 1.0 / 3},   {"8/23", 8.0 / 23}, {"6/17", 6.0 / 17},
    {"5/14", 5.0 / 14}, {"4/11", 4.0 / 11}, {"3/8", 3.0 / 8},   {"8/21", 8.0 / 21}, {"5/13", 5.0 / 13},
    {"2/5", 2.0 / 5},   {"5/12", 5.0 / 12}, {"8/19", 8.0 / 19}, {"3/7", 3.0 / 7},   {"4/9", 4.0 / 9},
    {"5/11", 5.0 / 11}, {"6/13", 6.0 / 13}, {"8/17", 8.0 / 17}, {"1/2", 1.0 / 2},   {"8/15", 8.0 / 15},
    {"6/11", 6.0 / 11}, {"5/9", 5.0 / 9},   {"4/7", 4.0 / 7},   {"3/5", 3.0 / 5},   {"8/13", 8.0 / 13},
    {"5/8", 5.0 / 8},   {"2/3", 2.0 / 3},   {"5/7", 5.0 / 7},   {"8/11", 8.0 / 11}, {"3/4", 3.0 / 4},
    {"4/5", 4.0 / 5},   {"5/6", 5.0 / 6},   {"6/7", 6.0 / 7},   {"8/9", 8.0 / 9},   {"1", 1.0},
    {"1-1/7", 8.0 / 7}, {"1-1/5", 6.0 / 5}, {"1-1/4", 5.0 / 4}, {"1-1/3", 4.0 / 3}, {"1-1/2", 3.0 / 2},
    {"1-3/5", 8.0 / 5}, {"1-2/3", 5.0 / 3}, {"2", 2.0},         {"2-1/2", 5.0 / 2}, {"2-2/3", 8.0 / 3},
    {"3", 3.0},         {"4", 4.0},         {"5", 5.0},         {"6", 6.0},         {"8", 8.0},
    {"10", 10.0},       {"12", 12.0},       {"14", 14.0},       {"16", 16.0},       {"18", 18.0},
    {"20", 20.0},       {"40", 40.0},
}};

namespace {

constexpr double kPi = std::numbers::pi;

// A recalculation step met a division by zero, an overflow or an invalid operand.
struct StepFailed
{
};

double checked(double v)
{
    if (!std::isfinite(v))
        throw StepFailed{};
    return v;
}

// Integer form of a real as Round, Trunc and Ceil give it, refused outside the integer range.
constexpr double kIntLimit = 2147483647.0;

int roundChecked(double v)
{
    if (!(std::fabs(v) <= kIntLimit))
        throw StepFailed{};
    return static_cast<int>(Round(v));
}

long long truncChecked(double v)
{
    if (!(std::fabs(v) <= 9.2e18))
        throw StepFailed{};
    return static_cast<long long>(std::trunc(v));
}

double ceilChecked(double v)
{
    if (!(std::fabs(v) <= kIntLimit))
        throw StepFailed{};
    return std::ceil(v);
}

bool isSeparator(char c)
{
    switch (c) {
    case ' ':
    case '(':
    case ')':
    case '-':
    case '/':
    case 'X':
    case 'x':
    case 'c':
    case 'f':
    case 'r':
        return true;
    default:
        return false;
    }
}

} // namespace

const TMaterial& MaterialAt(int index, int fallback)
{
    if (index >= 0 && index < static_cast<int>(MaterialTable.size()))
        return MaterialTable[static_cast<size_t>(index)];
    return MaterialTable[static_cast<size_t>(fallback)];
}

int MaterialIndexOfShort(std::string_view shortName)
{
    for (size_t i = 0; i < MaterialTable.size(); ++i)
        if (SameText(MaterialTable[i].Short, shortName))
            return static_cast<int>(i);
    return -1;
}

std::string KindShortCode(int code)
{
    static const char* const names[] = {"CW", "HW", "ST", "DX", "CD", "ZM"};
    return code >= 0 && code < 6 ? names[code] : "";
}

std::string KindLongCode(int code)
{
    static const char* const names[] = {"CWC", "HWC", "ST", "DXC", "ACC", "ZMK"};
    return code >= 0 && code < 6 ? names[code] : "";
}

std::string SerpentineName(int index)
{
    if (index < 0)
        index = 0;
    if (index >= kSerpentineCount)
        index = kSerpentineCount - 1;
    return SerpentineTable[static_cast<size_t>(index)].Name;
}

int SerpentineLookup(int start, double x)
{
    const auto& t = SerpentineTable;
    const int last = kSerpentineCount - 1;
    if (!(x >= t[0].Value))
        return 0;
    if (x >= t[last].Value)
        return last;
    // From here t[0] <= x < t[last]: find lo with t[lo] <= x < t[hi], hi = lo + 1.
    int lo = start < 0 ? 0 : (start > last ? last : start);
    int hi;
    int step = 1;
    if (t[static_cast<size_t>(lo)].Value <= x) {
        // Hunt upwards.
        hi = lo + step;
        while (hi < last && t[static_cast<size_t>(hi)].Value <= x) {
            lo = hi;
            step *= 2;
            hi = lo + step;
        }
        if (hi > last)
            hi = last;
    } else {
        // Hunt downwards.
        hi = lo;
        lo = hi - step;
        while (lo > 0 && t[static_cast<size_t>(lo)].Value > x) {
            hi = lo;
            step *= 2;
            lo = hi - step;
        }
        if (lo < 0)
            lo = 0;
    }
    while (hi - lo > 1) {
        const int mid = lo + (hi - lo) / 2;
        if (t[static_cast<size_t>(mid)].Value <= x)
            lo = mid;
        else
            hi = mid;
    }
    return lo;
}

std::string ConnectionName(int connections)
{
    return connections == 0 ? "Same" : "Opposite";
}
std::string CircuitBasisName(int cb)
{
    return cb == 1 ? "Rows deep" : "Tubes high";
}
std::string FinTypeKey(TFinType type)
{
    switch (type) {
    case TFinType::Louvered:
        return "louvered";
    case TFinType::Wavy:
        return "wavy";
    case TFinType::Plain:
        break;
    }
    return "plain";
}

std::string FinTypeName(TFinType type)
{
    switch (type) {
    case TFinType::Louvered:
        return "Louvered";
    case TFinType::Wavy:
        return "Wavy (herringbone)";
    case TFinType::Plain:
        break;
    }
    return "Plain";
}

std::optional<TFinType> FinTypeOfKey(std::string_view key)
{
    const std::string k = LowerCase(std::string(key));
    if (k == "plain" || k == "flat")
        return TFinType::Plain;
    if (k == "louvered" || k == "louvred")
        return TFinType::Louvered;
    if (k == "wavy" || k == "herringbone")
        return TFinType::Wavy;
    return std::nullopt;
}

std::string PatternName(int tp)
{
    return tp == 1 ? "In-line" : "Staggered";
}

int ParseSizeText(std::string_view text, TSizeValues& values)
{
    struct Range
    {
        double lo, hi; // in the text's units: mm for height and length
        int code;
    };
    static const Range ranges[5] = {{6.25, 25000, 5}, {100, 50000, 6}, {1, 20, 7}, {0, 30, 2}, {1, 1600, 8}};
    double read[5] = {};
    int code = 0;
    size_t pos = 0;
    for (int n = 0; n < 5; ++n) {
        while (pos < text.size() && isSeparator(text[pos]))
            ++pos;
        size_t end = pos;
        while (end < text.size() && !isSeparator(text[end]))
            ++end;
        long double v = 0;
        if (end == pos || !TryStrToFloat(text.substr(pos, end - pos), v) || !std::isfinite(v))
            return 1;
        pos = end;
        const double d = static_cast<double>(v);
        if (!(d >= ranges[n].lo && d <= ranges[n].hi))
            code = ranges[n].code;
        read[n] = d;
    }
    values.fHeight = read[0] * 0.001;
    values.fLength = read[1] * 0.001;
    values.Rows = read[2];
    values.fpi = read[3];
    values.Circ = read[4];
    return code;
}

std::string SizeErrorText(int code)
{
    switch (code) {
    case 0:
        return "no error";
    case 1:
        return "a number is missing or malformed, or the geometry cannot be calculated";
    case 2:
        return "fins per inch outside 0..30";
    case 5:
        return "fin height outside 6.25..25000 mm";
    case 6:
        return "finned length outside 100..50000 mm";
    case 7:
        return "rows outside 1..20";
    case 8:
        return "circuits outside 1..1600";
    case kPatternError:
        return "the tube and fin pattern cannot be built";
    default:
        return "unknown error";
    }
}

std::string NegativeSizeNumber(std::string_view text)
{
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '-' || !(isDigit(text[i + 1]) || text[i + 1] == '.'))
            continue;
        // A minus right after a number joins two numbers; anywhere else it is a sign.
        if (i > 0 && (isDigit(text[i - 1]) || text[i - 1] == '.'))
            continue;
        size_t end = i + 1;
        while (end < text.size() && !isSeparator(text[end]))
            ++end;
        return std::string(text.substr(i, end - i));
    }
    return {};
}

std::string PatternProblem(double ID, double OD, double Sx, double Sy, double tf, int pattern)
{
    auto mm = [](double metres) { return Format("%0.4g mm", 1000 * metres); };
    if (!(ID > 0) || !(OD > ID))
        return "The tube's inside diameter (" + mm(ID) +
               ") must be above zero and below its outside diameter (" + mm(OD) + ")";
    if (!(Sx > 0) || !(Sy > 0))
        return "The tube pitches (" + mm(Sx) + " along the air, " + mm(Sy) + " across) must be above zero";
    if (!(tf > 0))
        return "The fin thickness (" + mm(tf) + ") must be above zero";
    if (!std::isfinite(ID + OD + Sx + Sy + tf))
        return "The tube pattern holds a value that is not a number";
    // The collar of a tube must clear its neighbours: across the face, along the air flow (in
    // line) or on the diagonal (staggered), and leave fin around it.
    const double Dc = OD + 2 * tf;
    const double nearest = pattern == 1 ? std::min(Sx, Sy) : std::min(Sy, std::hypot(Sx, Sy / 2));
    if (!(Dc < nearest) || !(Dc < std::sqrt(4 * Sx * Sy / kPi)))
        return "The tube with its fin collar (" + mm(Dc) + ") does not fit between its pitches (" + mm(Sx) +
               " x " + mm(Sy) + ")";
    return {};
}

int RecordProblem(const TModelRec& r, std::string* why)
{
    auto fail = [&](int code, std::string text) {
        if (why)
            *why = std::move(text);
        return code;
    };
    if (!(r.fHeight > 0))
        return fail(5, "The fin height must be above zero");
    if (!(r.fLength > 0))
        return fail(6, "The finned length must be above zero");
    if (!(r.Rows > 0))
        return fail(7, "The number of rows must be above zero");
    if (std::string text = PatternProblem(r.ID, r.OD, r.Sx, r.Sy, r.tf, r.tp); !text.empty())
        return fail(kPatternError, std::move(text));
    // The recalculation takes 2 fins per inch for a density that is not positive.
    const double Fp = 0.0254 / (r.fpi > 0 ? r.fpi : 2);
    if (!(r.tf < Fp))
        return fail(kPatternError, Format("The fins (%0.4g mm thick) do not fit their pitch (%0.4g mm)",
                                          1000 * r.tf, 1000 * Fp));
    return 0;
}

TFinAndTube::TFinAndTube()
{
    Recalculate();
}

TFinAndTube::TFinAndTube(const TModelRec& rec) : Rec(rec)
{
    recalculate(false);
}

TFinAndTube::TFinAndTube(const std::string& maker, int tubeCode, int kindCode, const std::string& sizeText)
{
    create(maker, tubeCode, kindCode, sizeText, &ProcessCoilMakers());
}

TFinAndTube::TFinAndTube(const std::string& maker, int tubeCode, int kindCode, const std::string& sizeText,
                         TCoilMakers* catalogue)
{
    create(maker, tubeCode, kindCode, sizeText, catalogue);
}

void TFinAndTube::create(const std::string& maker, int tubeCode, int kindCode, const std::string& sizeText,
                         TCoilMakers* catalogue)
{
    Rec = TModelRec{};
    Rec.Code = static_cast<std::uint8_t>(kindCode >= 0 && kindCode <= 255 ? kindCode : 0);
    TSizeValues v;
    const int code = ParseSizeText(sizeText, v);
    if (code == 0) {
        Rec.fHeight = v.fHeight;
        Rec.fLength = v.fLength;
        Rec.Rows = v.Rows;
        Rec.fpi = v.fpi;
        Rec.Circ = v.Circ;
    } else {
        ErrorCode = code;
    }
    if (catalogue)
        MnfRecToModel(catalogue->SelectModel(maker, tubeCode), Rec);
    Recalculate();
}

void TFinAndTube::SetSizeText(const std::string& text)
{
    SizeText = text;
    TSizeValues v;
    const int code = ParseSizeText(text, v);
    if (code != 0) {
        ErrorCode = code;
        return;
    }
    TModelRec r = Rec;
    r.fHeight = v.fHeight;
    r.fLength = v.fLength;
    r.Rows = v.Rows;
    r.fpi = v.fpi;
    r.Circ = v.Circ;
    commit(r);
}

namespace {

// A setter's value that is not a finite number is refused: the record keeps its value.
bool acceptable(double v, int& errorCode)
{
    if (std::isfinite(v))
        return true;
    errorCode = 1;
    return false;
}

} // namespace

bool SameRecord(const TModelRec& a, const TModelRec& b)
{
    auto same = [](double x, double y) { return std::bit_cast<std::uint64_t>(x) == std::bit_cast<std::uint64_t>(y); };
    return a.Mnf == b.Mnf && a.Tube == b.Tube && a.Model == b.Model && a.Code == b.Code &&
           same(a.fHeight, b.fHeight) && same(a.fLength, b.fLength) && same(a.Rows, b.Rows) &&
           same(a.fpi, b.fpi) && same(a.Circ, b.Circ) && a.cb == b.cb && a.Serp == b.Serp &&
           same(a.Sx, b.Sx) && same(a.Sy, b.Sy) && a.tp == b.tp && same(a.ID, b.ID) && same(a.OD, b.OD) &&
           same(a.tf, b.tf) && same(a.fc, b.fc) && same(a.ft, b.ft) && a.Rifle == b.Rifle &&
           a.Sections == b.Sections && a.Mf == b.Mf && a.Mt == b.Mt && a.Mc == b.Mc && same(a.tc, b.tc) &&
           a.Fin.Type == b.Fin.Type && same(a.Fin.LouverPitch, b.Fin.LouverPitch) &&
           same(a.Fin.LouverHeight, b.Fin.LouverHeight) && same(a.Fin.WaveDepth, b.Fin.WaveDepth) &&
           same(a.Fin.WavePitch, b.Fin.WavePitch);
}

bool TFinAndTube::IsCalculated() const
{
    return calculatedValid_ && SameRecord(Rec, calculatedRec_) && SizeText == calculatedSizeText_;
}

void TFinAndTube::commit(const TModelRec& rec)
{
    if (const int code = RecordProblem(rec); code != 0) {
        ErrorCode = code;
        return;
    }
    // The solve sets all five values every time; most of them have not changed.
    if (IsCalculated() && SameRecord(rec, Rec))
        return;
    Rec = rec;
    Recalculate();
}

void TFinAndTube::SetHeight(double h)
{
    if (!acceptable(h, ErrorCode))
        return;
    TModelRec r = Rec;
    r.fHeight = h;
    commit(r);
}

void TFinAndTube::SetLength(double l)
{
    if (!acceptable(l, ErrorCode))
        return;
    TModelRec r = Rec;
    r.fLength = l;
    commit(r);
}

void TFinAndTube::SetRows(double rows)
{
    if (!acceptable(rows, ErrorCode))
        return;
    TModelRec r = Rec;
    r.Rows = rows;
    commit(r);
}

void TFinAndTube::SetFpi(double fpi)
{
    if (!acceptable(fpi, ErrorCode))
        return;
    TModelRec r = Rec;
    r.fpi = fpi;
    commit(r);
}

void TFinAndTube::SetCircuits(double n)
{
    if (!acceptable(n, ErrorCode))
        return;
    TModelRec r = Rec;
    r.Circ = n < 1 ? 1 : (n > 1600 ? 1600 : n);
    commit(r);
}

void TFinAndTube::SetFinMaterial(int index)
{
    if (index < 0 || index >= static_cast<int>(MaterialTable.size())) {
        ErrorCode = 1;
        return;
    }
    TModelRec r = Rec;
    r.Mf = static_cast<std::uint8_t>(index);
    commit(r);
}

void TFinAndTube::SetModel(const TModelRec& rec)
{
    commit(rec);
}

void TFinAndTube::MatchCatalogue(TCoilMakers& catalogue)
{
    MnfRecToModel(catalogue.MatchModel(Rec.Mnf, ModelToMnfRec(Rec)), Rec);
    Recalculate();
}

int TFinAndTube::TakeError()
{
    const int e = ErrorCode;
    ErrorCode = 0;
    return e;
}

void TFinAndTube::Recalculate()
{
    recalculate(true);
}

void TFinAndTube::recalculate(bool withText)
{
    calculatedValid_ = false;
    const TModelRec given = Rec;
    TModelRec& r = Rec;
    // A record that cannot be built is never computed into negative counts, areas or weights.
    if (const int code = RecordProblem(r); code != 0) {
        ErrorCode = code;
        return;
    }
    try {
        const double H = r.fHeight;
        const double L = r.fLength;
        Af = checked(H * L);
        TubesHigh = roundChecked(checked(H / r.Sy));
        TubeCount = checked(TubesHigh * r.Rows);
        // The serpentine is looked up with the circuits as given, before they are raised to 1.
        const double ratio = checked(r.cb == 1 ? r.Circ / r.Rows : r.Circ / TubesHigh);
        r.Serp = SerpentineLookup(r.Serp, ratio);
        if (r.Circ < 1)
            r.Circ = 1;
        // An odd number of tubes per circuit puts the connections on opposite ends.
        Connections = static_cast<int>(std::llabs(truncChecked(checked(TubeCount / r.Circ)) % 2));
        if (r.fpi <= 0)
            r.fpi = 2;
        Fp = checked(0.0254 / r.fpi);
        FinCount = checked(L / Fp);
        // A fractional row takes the depth of a whole row.
        Depth = checked(ceilChecked(r.Rows) * r.Sx);
        Dc = checked(r.OD + 2 * r.tf);
        // Radial height of the circular fin with the area of one tube's share Sx·Sy.
        EqFinHeight = checked((std::sqrt(checked(4 * r.Sx * r.Sy / kPi)) - Dc) / 2);
        Afin = checked(2 * FinCount *
                       (r.Sx * r.Sy * TubeCount * r.fc + (H + Depth) * r.tf - TubeCount * kPi * Dc * Dc / 4));
        Ao = checked(kPi * TubeCount * Dc * (L - FinCount * r.tf) + Afin);
        AoAfRow = checked(Ao / Af / r.Rows);
        Sigma = checked((Fp - r.tf) * (r.Sy - Dc) / (Fp * r.Sy));
        Amin = checked(Af * Sigma);
        Dh = checked(4 * Sigma * r.Sx / AoAfRow);
        Ax = checked(kPi * r.ID * r.ID / 4);
        // Each tube carries half a return bend whose diameter is the diagonal pitch.
        Ai = checked((L + (kPi / 2) * std::sqrt(r.Sx * r.Sx + r.Sy * r.Sy)) * kPi * r.ID * TubeCount * r.ft);
        AoAi = checked(Ao / Ai);
        // The internal volume takes its bend length from Sy alone.
        Vi = checked(TubeCount * Ax * (L + kPi * r.Sy / 2));
        const double k = MaterialAt(r.Mf, 1).Conductivity;
        mL = checked(std::sqrt(checked(0.08 / (k * r.tf))) * EqFinHeight);
        EtaF = checked(std::tanh(mL) / mL);
        EtaO = checked(1 - (Afin / Ao) * (1 - EtaF));
        SizeText = withText ? FormatSizeText() : std::string();
        // A record this calculation did not change gives the same again: remember it.
        if (SameRecord(given, Rec)) {
            calculatedRec_ = Rec;
            calculatedSizeText_ = SizeText;
            calculatedValid_ = true;
        }
    } catch (const StepFailed&) {
        ErrorCode = 1;
    } catch (const ZmkError&) {
        ErrorCode = 1;
    }
}

TAirSideGeometry TFinAndTube::GetAirSide() const
{
    TAirSideGeometry g;
    g.Rows = Rec.Rows;
    g.Tube = Rec.Tube;
    g.Sx = Rec.Sx;
    g.Sy = Rec.Sy;
    g.Pattern = Rec.tp;
    g.OD = Rec.OD;
    g.Af = Af;
    g.FinGap = Fp - Rec.tf;
    g.EqFinHeight = EqFinHeight;
    g.tf = Rec.tf;
    g.Fp = Fp;
    g.Dc = Dc;
    g.kFin = MaterialAt(Rec.Mf, 1).Conductivity;
    g.kTube = MaterialAt(Rec.Mt, 0).Conductivity;
    g.Sigma = Sigma;
    g.Dh = Dh;
    g.EtaO = EtaO;
    g.Fin = Rec.Fin;
    const double bare = std::numbers::pi * Rec.OD * Rec.fLength * TubeCount;
    g.AoBare = bare > 0 ? Ao / bare : 0;
    g.FinAreaFactor = Rec.fc;
    return g;
}

TTubeSideGeometry TFinAndTube::GetTubeSide() const
{
    TTubeSideGeometry g;
    const double nc = Rec.Circ;
    g.ID = Rec.ID;
    g.Wall = (Rec.OD - Rec.ID) / 2;
    g.kTube = MaterialAt(Rec.Mt, 0).Conductivity;
    g.AiPerCircuit = Ai / nc;
    g.TubeArea = Ax;
    g.FlowArea = Ax * nc;
    g.Perimeter = kPi * Rec.ID;
    // 40 tube diameters of equivalent length per return bend.
    g.EqLength = (TubeCount * Rec.fLength + (TubeCount - 1) * 40 * Rec.ID) / nc;
    g.CircuitLength =
        (Rec.fLength + (kPi / 2) * std::sqrt(Rec.Sx * Rec.Sx + Rec.Sy * Rec.Sy)) * TubeCount / nc;
    g.PassLength = Rec.fLength;
    return g;
}

double TFinAndTube::Weight()
{
    const TModelRec& r = Rec;
    const double rhoT = MaterialAt(r.Mt, 0).Density;
    const double rhoF = MaterialAt(r.Mf, 1).Density;
    const double rhoC = MaterialAt(r.Mc, 3).Density;
    const double H = r.fHeight;
    const double L = r.fLength;
    const double perMetre = kPi * (r.OD * r.OD - r.ID * r.ID) * rhoT / 4;
    const double tube = TubeCount * L * perMetre;
    // The full fin plate, without its tube holes.
    const double fin = FinCount * r.tf * rhoF * H * Depth;
    const double casing = 2 * (H + L) * (Depth + 0.05) * r.tc * rhoC;
    const double bend = TubeCount * perMetre * kPi * r.Sx / 2;
    // Two headers of diameter u, wall 0.08·u and length H, in the tube material.
    const double u = 0.05 * std::pow(H, 0.75);
    const double header = 2 * kPi * H * u * (0.08 * u) * rhoT;
    const double dry = 1.05 * (tube + fin + casing + bend + header);
    if (!std::isfinite(dry))
        throw EMathError("TFinAndTube.Weight", "Invalid floating point operation");
    TubeWeight = tube;
    FinWeight = fin;
    CasingWeight = casing;
    BendWeight = bend;
    HeaderWeight = header;
    DryWeight = dry;
    return dry;
}

std::string TFinAndTube::FormatSizeText() const
{
    return Format("%0.6g x %0.6g  %0.4gr  %0.6gf  %0.4gc", 1000 * Rec.fHeight, 1000 * Rec.fLength, Rec.Rows,
                  Rec.fpi, Rec.Circ);
}

std::string TFinAndTube::TubeLine() const
{
    return Format("%s: %s\" %0.3gx%0.3g (%s/%s/%s)", Rec.Mnf, Rec.Model, 1000 * Rec.Sx, 1000 * Rec.Sy,
                  MaterialAt(Rec.Mt, 0).Short, MaterialAt(Rec.Mf, 1).Short, MaterialAt(Rec.Mc, 3).Short);
}

std::string TFinAndTube::MakerDesignation() const
{
    const TModelRec& r = Rec;
    const int code = r.Tube;
    const int codeTerm = code >= 100 ? code - 100 : code;
    // Tube size in tenths of a millimetre, halves to even.
    const long long tenths = code < 100 ? Round(code * 254 / 8.0L) : Round((code - 100) * 10.0L);
    const double tubesHigh = r.fHeight / r.Sy;
    // A record whose recalculation failed may have no tube pitch or fin density to designate.
    if (!std::isfinite(tubesHigh) || !std::isfinite(25.4 / r.fpi))
        return {};
    const std::string mt = MaterialAt(r.Mt, 0).Short;
    const std::string mf = MaterialAt(r.Mf, 1).Short;
    const std::string mc = MaterialAt(r.Mc, 3).Short;
    if (SameText(r.Mnf, "Recoil"))
        return Format("%s  %3.3d%2.0f / %0.0f / %2.1f / %2.2f / %4.0f %s/%s (%0.4g)", KindShortCode(r.Code),
                      tenths, 1000 * r.Sx, tubesHigh, r.Rows, r.fpi, 1000 * r.fLength, mf, mc, r.Circ);
    if (SameText(r.Mnf, "HC"))
        return Format("%d %s %0.0f x %0.0f x %0.1fr x %0.2ff - %0.4gc (%s/%s/%s)", codeTerm,
                      KindLongCode(r.Code), 1000 * r.fHeight / 25.4, 1000 * r.fLength, r.Rows, r.fpi, r.Circ,
                      mt, mf, mc);
    if (SameText(r.Mnf, "BAC"))
        return Format("%0.0f - %0.0f - %0.1f / %0.4g - %0.0fc", tubesHigh, 100 * r.fLength, r.Rows,
                      25.4 / r.fpi, r.Circ);
    if (SameText(r.Mnf, "Enviroware"))
        return Format("ENV%d  %0.0f\" x %0.0fmm x %0.1fr x %0.2ff - %0.4gc", codeTerm,
                      1000 * r.fHeight / 25.4, 1000 * r.fLength, r.Rows, r.fpi, r.Circ);
    if (SameText(r.Mnf, "GEA"))
        return Format("%0.0fT %0.1fNR %0.0fA %0.0fP %0.0fNC", tubesHigh, r.Rows, 1000 * r.fLength,
                      25.4 / r.fpi, r.Circ);
    return {};
}

std::vector<std::string> TFinAndTube::ManufacturingReport()
{
    TQuantities& q = Quantities();
    const TModelRec& r = Rec;
    const double weight = Weight();
    std::vector<std::string> lines;
    lines.push_back("<pre>");
    lines.push_back("<b>Coil Manufacturing Report</b>");
    // The maker, model and size texts come from the catalogue or a project file.
    lines.push_back(HtmlEscape(r.Mnf) + " (" + HtmlEscape(r.Model) + ")");
    lines.push_back(HtmlEscape(SizeText));
    if (std::string designation = MakerDesignation(); !designation.empty())
        lines.push_back(designation);
    lines.push_back("");
    lines.push_back("<b>Dimensions</b>");
    lines.push_back(FormatQuantity("Height %s %s", q.fat_height, false, r.fHeight));
    lines.push_back(FormatQuantity("Length %s %s", q.fat_length, false, r.fLength));
    lines.push_back(FormatQuantity("Depth %s %s", q.fat_depth, false, Depth));
    lines.push_back(Format("Rows %0.1f", r.Rows));
    lines.push_back(FormatQuantity("Fins %s %s", q.fat_fin_spacing, false, r.fpi));
    lines.push_back(FormatQuantity("Weight %s %s", q.hex_mass, false, weight));
    lines.push_back("");
    lines.push_back("<b>Circuiting</b>");
    lines.push_back(Format("Tubes High %d", TubesHigh));
    lines.push_back(Format("Tube Count %0.1f", TubeCount));
    lines.push_back(Format("Circuits %0.0f", r.Circ));
    lines.push_back(Format("Circuit Basis %s", CircuitBasisName(r.cb)));
    const double perCircuit = TubeCount / r.Circ;
    const long long d = std::isfinite(perCircuit) && std::fabs(perCircuit) < 9e18 ? Trunc(perCircuit) : 0;
    lines.push_back(Format("Tubes/Circuits %d", d));
    if (d > 0)
        lines.push_back(Format("Unlinked tubes %d", Trunc(TubeCount - d * r.Circ)));
    lines.push_back(Format("Serpentine %s", SerpentineName(r.Serp)));
    lines.push_back(FormatQuantity("Eq Length %s %s", q.fat_length, false, GetTubeSide().EqLength));
    lines.push_back(Format("Connections %s end", ConnectionName(Connections)));
    lines.push_back("");
    lines.push_back(Format("<b>Tube (%s Pattern)</b>", PatternName(r.tp)));
    lines.push_back(FormatQuantity("ID %s %s", q.fat_tube_diameter, false, r.ID));
    lines.push_back(FormatQuantity("OD %s %s", q.fat_tube_diameter, false, r.OD));
    lines.push_back(FormatQuantity("Sx %s %s", q.fat_tube_pitch, false, r.Sx));
    lines.push_back(FormatQuantity("Sy %s %s", q.fat_tube_pitch, false, r.Sy));
    lines.push_back("");
    lines.push_back("<b>Fin</b>");
    lines.push_back(FormatQuantity("Thickness %s %s", q.fat_fin_thickness, false, r.tf));
    lines.push_back(Format("Area factor %0.3f", r.fc));
    // A plain fin, which every coil had before the fin type was kept, adds nothing.
    if (r.Fin.Type != TFinType::Plain)
        lines.push_back("Surface " + FinTypeName(r.Fin.Type));
    const std::pair<const char*, double> dims[] = {{"Louver pitch %s %s", r.Fin.LouverPitch},
                                                   {"Louver height %s %s", r.Fin.LouverHeight},
                                                   {"Wave depth %s %s", r.Fin.WaveDepth},
                                                   {"Half wave %s %s", r.Fin.WavePitch}};
    for (const auto& [text, value] : dims)
        if (r.Fin.Type != TFinType::Plain && value > 0)
            lines.push_back(FormatQuantity(text, q.fat_fin_thickness, false, value));
    lines.push_back("");
    lines.push_back("<b>Material</b>");
    lines.push_back(Format("Fin %s", MaterialAt(r.Mf, 1).Short));
    lines.push_back(Format("Tube %s", MaterialAt(r.Mt, 0).Short));
    lines.push_back(Format("Casing %s", MaterialAt(r.Mc, 3).Short));
    lines.push_back("</pre>");
    return lines;
}

} // namespace zmk
