// The location database readers.
#include "properties/Locations.h"

#include "base/FileIO.h"

#include "base/Latin1.h"
#include "base/NumText.h"
#include "base/TextHelpers.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <unordered_map>

namespace zmk {

namespace {

std::int32_t GetInt32(const unsigned char* p)
{
    const std::uint32_t u = std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
                            std::uint32_t(p[3]) << 24;
    return static_cast<std::int32_t>(u);
}

float GetFloat32(const unsigned char* p)
{
    return std::bit_cast<float>(static_cast<std::uint32_t>(GetInt32(p)));
}

void PutInt32(std::string& out, std::size_t at, std::int32_t v)
{
    const auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<char>((u >> (8 * i)) & 0xFF);
}

void PutFloat32(std::string& out, std::size_t at, float v)
{
    PutInt32(out, at, static_cast<std::int32_t>(std::bit_cast<std::uint32_t>(v)));
}

// Offsets of the eleven reals, in record order.
constexpr std::size_t kRealsAt = 40;
constexpr std::size_t kNameAt = 8;

float TLocationRecord::*const kReals[] = {
    &TLocationRecord::Latitude,  &TLocationRecord::Longitude, &TLocationRecord::TimeZone,
    &TLocationRecord::Altitude,  &TLocationRecord::CoolingDB, &TLocationRecord::CoolingWB,
    &TLocationRecord::HeatingDB, &TLocationRecord::WindSpeed, &TLocationRecord::MaxDB,
    &TLocationRecord::MinDB,     &TLocationRecord::DBRange,
};

// Reads a whole file of at most maxSize bytes, once; false when it is not a regular file, is
// too large or cannot be read, with how it ended and the message (naming the file and the
// reason) in `status` and `error`.
bool ReadFileBytes(const std::filesystem::path& file, std::uintmax_t maxSize, std::string& bytes,
                   TFileReadStatus& status, std::string& error)
{
    TFileRead read = ReadWholeFile(file, maxSize);
    bytes = std::move(read.Bytes);
    status = read.Status;
    error = read ? std::string() : std::move(read.Error);
    return static_cast<bool>(read);
}

// "%0.1f" and the like of a value the record may not carry.
template <typename... Args> std::string Shown(std::string_view fmt, Args... values)
{
    if (!(std::isfinite(values) && ...))
        return "n/a";
    return Format(fmt, values...);
}

// A coordinate or an offset: its size with the letter of its side.
std::string Signed(std::string_view fmt, float v, const char* positive, const char* negative)
{
    if (!std::isfinite(v))
        return "n/a";
    return Format(fmt, std::fabs(v)) + (v >= 0 ? positive : negative);
}

// One Latin-1 character folded: the base letter in lower case.
void FoldChar(unsigned code, std::string& out)
{
    static const char* const kHigh[64] = {
        "a", "a", "a", "a", "a", "a", "ae", "c",     "e", "e", "e", "e", "i", "i", "i",  "i",  // C0
        "d", "n", "o", "o", "o", "o", "o",  nullptr, "o", "u", "u", "u", "u", "y", "th", "ss", // D0
        "a", "a", "a", "a", "a", "a", "ae", "c",     "e", "e", "e", "e", "i", "i", "i",  "i",  // E0
        "d", "n", "o", "o", "o", "o", "o",  nullptr, "o", "u", "u", "u", "u", "y", "th", "y",  // F0
    };
    if (code < 0x80) {
        out += static_cast<char>(code >= 'A' && code <= 'Z' ? code + ('a' - 'A') : code);
    } else if (code >= 0xC0 && kHigh[code - 0xC0]) {
        out += kHigh[code - 0xC0];
    } else {
        out += Latin1ToUtf8(std::string(1, static_cast<char>(code)));
    }
}

} // namespace

// ---- records -------------------------------------------------------------------------------

TLocationRecord DecodeLocationRecord(const unsigned char* bytes)
{
    TLocationRecord r;
    r.Database = GetInt32(bytes);
    r.Region = GetInt32(bytes + 4);
    const int length = std::min<int>(bytes[kNameAt], kLocationNameMax);
    std::string latin1(reinterpret_cast<const char*>(bytes + kNameAt + 1), static_cast<std::size_t>(length));
    // C1 bytes are controls in Latin-1 too: a terminal takes 0x9B as the start of an escape.
    for (char& c : latin1) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || (b >= 0x7F && b <= 0x9F))
            c = ' ';
    }
    r.Name = Latin1ToUtf8(latin1);
    for (std::size_t i = 0; i < std::size(kReals); ++i)
        r.*kReals[i] = GetFloat32(bytes + kRealsAt + 4 * i);
    return r;
}

std::string EncodeLocationRecord(const TLocationRecord& record)
{
    std::string out(kLocationRecordSize, '\0');
    PutInt32(out, 0, record.Database);
    PutInt32(out, 4, record.Region);
    std::string name = Utf8ToLatin1(record.Name);
    if (name.size() > static_cast<std::size_t>(kLocationNameMax))
        name.resize(kLocationNameMax);
    out[kNameAt] = static_cast<char>(name.size());
    std::memcpy(out.data() + kNameAt + 1, name.data(), name.size());
    for (std::size_t i = 0; i < std::size(kReals); ++i)
        PutFloat32(out, kRealsAt + 4 * i, record.*kReals[i]);
    return out;
}

bool HasUsableAltitude(const TLocationRecord& record)
{
    return std::isfinite(record.Altitude) && record.Altitude >= kPlaceAltitudeLo &&
           record.Altitude <= kPlaceAltitudeHi;
}

std::array<std::pair<std::string, std::string>, 10> LocationDetails(const TLocationRecord& r)
{
    return {{
        {"Latitude", Signed("%0.2f", r.Latitude, "N", "S")},
        {"Longitude", Signed("%0.2f", r.Longitude, "E", "W")},
        {"TimeZone", Signed("%0.0f", r.TimeZone, "E", "W")},
        {"Altitude", Shown("%0.0f m", r.Altitude)},
        {"Cooling", Shown("%0.1f/%0.1f °C", r.CoolingDB, r.CoolingWB)},
        {"Heating", Shown("%0.1f °C", r.HeatingDB)},
        {"Wind Speed", Shown("%0.1f m/s", r.WindSpeed)},
        {"Max DryBulb", Shown("%0.1f °C", r.MaxDB)},
        {"Min DryBulb", Shown("%0.1f °C", r.MinDB)},
        {"DB Range", Shown("%0.1f °C", r.DBRange)},
    }};
}

// ---- the index -----------------------------------------------------------------------------

bool TLocationIndex::Load(const std::filesystem::path& file)
{
    ini_.Clear();
    std::string bytes;
    if (!ReadFileBytes(file, kMaxLocationIndexSize, bytes, loadStatus_, loadError_))
        return false;
    ini_.Parse(bytes);
    return true;
}

void TLocationIndex::Parse(std::string_view bytes)
{
    ini_.Parse(bytes);
}

std::vector<std::string> TLocationIndex::Databases() const
{
    return ini_.ReadSections();
}

std::vector<std::string> TLocationIndex::Keys(std::string_view database) const
{
    return ini_.ReadSection(database);
}

std::optional<std::int32_t> TLocationIndex::Code(std::string_view database, std::string_view key) const
{
    const std::optional<std::string> text = ini_.Value(database, key);
    int code = 0;
    if (!text || !TryStrToInt(Trim(*text), code))
        return std::nullopt;
    return code;
}

std::optional<std::string> TLocationIndex::KeyOfCode(std::string_view database, std::int32_t code) const
{
    for (const auto& [key, value] : ini_.ReadSectionValues(database)) {
        int v = 0;
        if (TryStrToInt(Trim(value), v) && v == code)
            return key;
    }
    return std::nullopt;
}

std::unordered_map<std::int32_t, std::string> TLocationIndex::KeysByCode(std::string_view database) const
{
    std::unordered_map<std::int32_t, std::string> keys;
    for (auto& [key, value] : ini_.ReadSectionValues(database)) {
        int code = 0;
        if (TryStrToInt(Trim(value), code))
            keys.try_emplace(code, std::move(key)); // the first key of a code wins, as in KeyOfCode
    }
    return keys;
}

bool IsSafeDatabaseName(std::string_view database)
{
    if (database.empty() || database == "." || database == "..")
        return false;
    return std::none_of(database.begin(), database.end(), [](char c) {
        return c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
    });
}

std::filesystem::path LocationFilePath(const std::string& folder, std::string_view database)
{
    return std::filesystem::path(folder + std::string(database) + ".wdb");
}

// ---- a data file ---------------------------------------------------------------------------

bool TLocationFile::Open(const std::filesystem::path& file)
{
    Close();
    std::string bytes;
    TFileReadStatus status = TFileReadStatus::Missing;
    std::string error;
    if (!ReadFileBytes(file, kMaxLocationFileSize, bytes, status, error)) {
        loadStatus_ = status;
        loadError_ = std::move(error);
        return false;
    }
    OpenBytes(std::move(bytes));
    return true;
}

void TLocationFile::OpenBytes(std::string bytes)
{
    bytes_ = std::move(bytes);
    bytes_.resize(bytes_.size() - bytes_.size() % kLocationRecordSize);
    open_ = true;
    loadStatus_ = TFileReadStatus::Ok;
    loadError_.clear();
}

void TLocationFile::Close()
{
    bytes_.clear();
    bytes_.shrink_to_fit();
    open_ = false;
}

TLocationRecord TLocationFile::Record(int n) const
{
    return DecodeLocationRecord(reinterpret_cast<const unsigned char*>(bytes_.data()) +
                                static_cast<std::size_t>(n) * kLocationRecordSize);
}

std::int32_t TLocationFile::DatabaseCode(int n) const
{
    return GetInt32(reinterpret_cast<const unsigned char*>(bytes_.data()) +
                    static_cast<std::size_t>(n) * kLocationRecordSize);
}

std::int32_t TLocationFile::RegionCode(int n) const
{
    return GetInt32(reinterpret_cast<const unsigned char*>(bytes_.data()) +
                    static_cast<std::size_t>(n) * kLocationRecordSize + 4);
}

// ---- folding and search --------------------------------------------------------------------

std::string FoldLocationText(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        // Two-byte sequences of U+0080..U+00FF start with C2 or C3; everything else is copied.
        if ((c == 0xC2 || c == 0xC3) && i + 1 < utf8.size() &&
            (static_cast<unsigned char>(utf8[i + 1]) & 0xC0) == 0x80) {
            FoldChar(((c & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu), out);
            ++i;
        } else if (c < 0x80) {
            FoldChar(c, out);
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

bool LocationTextLess(const std::string& a, const std::string& b)
{
    const std::string fa = FoldLocationText(a), fb = FoldLocationText(b);
    if (fa != fb)
        return fa < fb;
    return a < b;
}

std::vector<std::size_t> LocationTextOrder(const std::vector<std::string>& texts)
{
    std::vector<std::string> folded;
    folded.reserve(texts.size());
    for (const std::string& text : texts)
        folded.push_back(FoldLocationText(text));
    std::vector<std::size_t> order(texts.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        if (folded[a] != folded[b])
            return folded[a] < folded[b];
        return texts[a] < texts[b];
    });
    return order;
}

bool TLocationDatabase::Load(const std::string& folder)
{
    databases_.clear();
    missing_.clear();
    indexError_.clear();
    TLocationIndex index;
    const bool read = index.Load(folder + std::string(kLocationIndexFile));
    indexStatus_ = index.LoadStatus();
    if (!read) {
        indexError_ = index.LoadError();
        return false;
    }
    for (const std::string& name : index.Databases()) {
        if (SameText(name, kAllDatabases))
            continue;
        // A name from the index becomes a file name: one that would leave the folder is refused.
        if (!IsSafeDatabaseName(name)) {
            missing_.push_back(
                {name, TFileReadStatus::NotAFile, "\"" + name + "\" cannot name a file in " + folder});
            continue;
        }
        Database db;
        if (!db.File.Open(LocationFilePath(folder, name))) {
            missing_.push_back({name, db.File.LoadStatus(), db.File.LoadError()});
            continue;
        }
        db.Name = name;
        db.Regions = index.KeysByCode(name);
        databases_.push_back(std::move(db));
    }
    return true;
}

std::vector<TLocationDatabase::THit> TLocationDatabase::Find(std::string_view search) const
{
    const std::string wanted = FoldLocationText(Trim(search));
    const auto matches = [&wanted](std::string_view text) {
        return wanted.empty() || FoldLocationText(text).find(wanted) != std::string::npos;
    };
    std::vector<THit> hits;
    for (std::size_t d = 0; d < databases_.size(); ++d) {
        const Database& db = databases_[d];
        const bool databaseMatches = matches(db.Name);
        // Each region name is folded once, not once per place.
        std::unordered_map<std::int32_t, bool> regionMatches;
        regionMatches.reserve(db.Regions.size());
        for (const auto& [code, name] : db.Regions)
            regionMatches.emplace(code, code != 0 && matches(name));
        for (int n = 0; n < db.File.Count(); ++n) {
            bool hit = databaseMatches;
            if (!hit) {
                const auto region = regionMatches.find(db.File.RegionCode(n));
                hit = region != regionMatches.end() && region->second;
            }
            if (!hit)
                hit = matches(db.File.Record(n).Name);
            if (hit)
                hits.push_back({static_cast<int>(d), n});
        }
    }
    return hits;
}

const std::string& TLocationDatabase::DatabaseName(const THit& hit) const
{
    return databases_[static_cast<std::size_t>(hit.Database)].Name;
}

const std::string& TLocationDatabase::RegionName(const THit& hit) const
{
    const Database& db = databases_[static_cast<std::size_t>(hit.Database)];
    const std::int32_t code = db.File.RegionCode(hit.Record);
    if (code == 0)
        return db.Name;
    const auto region = db.Regions.find(code);
    return region == db.Regions.end() ? db.Name : region->second;
}

TLocationRecord TLocationDatabase::Record(const THit& hit) const
{
    return databases_[static_cast<std::size_t>(hit.Database)].File.Record(hit.Record);
}

TLocationSearch FindLocations(const std::string& folder, std::string_view search)
{
    TLocationSearch result;
    TLocationDatabase locations;
    result.IndexFound = locations.Load(folder);
    result.IndexStatus = locations.IndexStatus();
    result.IndexError = locations.IndexError();
    result.Missing = locations.Missing();
    if (!result.IndexFound)
        return result;
    for (const TLocationDatabase::THit& hit : locations.Find(search))
        result.Matches.push_back(
            {locations.DatabaseName(hit), locations.RegionName(hit), hit.Record, locations.Record(hit)});
    return result;
}

} // namespace zmk
