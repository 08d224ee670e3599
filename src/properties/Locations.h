// The location database: places with their altitude (and, where the data has them, design
// temperatures) that the pressure calculator's place picker and `zemtor location` read. An
// index file "Regions.idx" (INI text) names the databases, each with its regions and their
// codes, and the section "+All" the databases with their codes; each database D is a file
// "D.wdb" of 84-byte little-endian records in the common data folder. Files come from outside
// the program: every reader here checks what it reads and never trusts a size, a length byte
// or a name.
#pragma once

#include "base/FileIO.h"
#include "base/IniFile.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace zmk {

/// Size of one place record in a data file, bytes.
inline constexpr std::size_t kLocationRecordSize = 84;
/// Longest place name a record holds, characters (Latin-1 bytes).
inline constexpr int kLocationNameMax = 31;
/// Name of the combined database: its section in the index lists the databases.
inline constexpr std::string_view kAllDatabases = "+All";
/// Name of the index file in the common data folder.
inline constexpr std::string_view kLocationIndexFile = "Regions.idx";
/// Largest index file read, bytes (a real one is a few kilobytes).
inline constexpr std::uintmax_t kMaxLocationIndexSize = 4u << 20;
/// Largest data file read, bytes (about 400,000 places).
inline constexpr std::uintmax_t kMaxLocationFileSize = 32u << 20;

/// One place of a data file.
struct TLocationRecord
{
    std::int32_t Database = 0; ///< database code (a value of section "+All")
    std::int32_t Region = 0;   ///< region code (a value of the database's section); 0 for none
    std::string Name;          ///< place name, UTF-8 (at most 31 Latin-1 characters on file)
    float Latitude = 0;        ///< degrees, north positive
    float Longitude = 0;       ///< degrees, east positive
    float TimeZone = 0;        ///< hours, east positive
    float Altitude = 0;        ///< m
    float CoolingDB = 0;       ///< cooling design dry bulb, °C (NaN when not known)
    float CoolingWB = 0;       ///< cooling design wet bulb, °C (NaN when not known)
    float HeatingDB = 0;       ///< heating design dry bulb, °C (NaN when not known)
    float WindSpeed = 0;       ///< m/s (NaN when not known)
    float MaxDB = 0;           ///< maximum dry bulb, °C (NaN when not known)
    float MinDB = 0;           ///< minimum dry bulb, °C (NaN when not known)
    float DBRange = 0;         ///< daily dry-bulb range, K (NaN when not known)
};

/// Reads one record from 84 bytes. A length byte beyond 31 reads 31 characters; control
/// characters in the name (C0, DEL and the C1 bytes 0x80..0x9F) become blanks.
TLocationRecord DecodeLocationRecord(const unsigned char* bytes);
/// The 84 bytes of a record; the name is written in Latin-1 and cut to 31 characters.
std::string EncodeLocationRecord(const TLocationRecord& record);

/// Lowest and highest altitude a place may have to be taken by the calculator, m.
inline constexpr double kPlaceAltitudeLo = -1500;
inline constexpr double kPlaceAltitudeHi = 9000;
/// True when the record's altitude is a number a place can have.
bool HasUsableAltitude(const TLocationRecord& record);

/// The ten rows of the picker's details grid: label and shown value. A value the record does
/// not carry (NaN or infinite) shows as "n/a".
std::array<std::pair<std::string, std::string>, 10> LocationDetails(const TLocationRecord& record);

/// The index file "Regions.idx".
class TLocationIndex
{
public:
    /// Reads the file; false (and empty) when it is missing, not a regular file, larger than
    /// kMaxLocationIndexSize or unreadable, with LoadError naming the file and the reason.
    bool Load(const std::filesystem::path& file);
    /// How the last Load ended, and why it failed ("Cannot read file \"...\": it is larger than
    /// 4 MiB ..."; empty after a Load that succeeded).
    TFileReadStatus LoadStatus() const { return loadStatus_; }
    const std::string& LoadError() const { return loadError_; }
    /// Replaces the content with the text of an index file (Latin-1 bytes).
    void Parse(std::string_view bytes);
    void Clear() { ini_.Clear(); }

    /// The databases: section names in file order ("+All" among them when present).
    std::vector<std::string> Databases() const;
    /// The keys of a section in file order: regions of a database, databases of "+All".
    std::vector<std::string> Keys(std::string_view database) const;
    /// The integer code of a key; nothing when the key is missing or its value is not an
    /// integer of 32 bits.
    std::optional<std::int32_t> Code(std::string_view database, std::string_view key) const;
    /// The first key of a section whose code is the given one; nothing when there is none.
    std::optional<std::string> KeyOfCode(std::string_view database, std::int32_t code) const;
    /// Every code of a section with its first key, in one pass over the section: what KeyOfCode
    /// gives for each code, for a reader that looks up many codes.
    std::unordered_map<std::int32_t, std::string> KeysByCode(std::string_view database) const;

private:
    IniFile ini_;
    TFileReadStatus loadStatus_ = TFileReadStatus::Missing;
    std::string loadError_;
};

/// True when a database name can name a data file in the common data folder: not empty, no
/// folder separators or control characters, not "." or "..".
bool IsSafeDatabaseName(std::string_view database);
/// The data file of a database: folder + name + ".wdb" (folder ends with "/").
std::filesystem::path LocationFilePath(const std::string& folder, std::string_view database);

/// One data file, read whole into memory (the largest real one is under half a megabyte).
class TLocationFile
{
public:
    /// Reads the file; false (and closed) when it is missing, not a regular file, larger than
    /// kMaxLocationFileSize or unreadable, with LoadError naming the file and the reason. A last
    /// record cut short is ignored.
    bool Open(const std::filesystem::path& file);
    /// How the last Open ended, and why it failed (empty after one that succeeded).
    TFileReadStatus LoadStatus() const { return loadStatus_; }
    const std::string& LoadError() const { return loadError_; }
    /// Takes the bytes of a data file as they are (tests and the fuzz target).
    void OpenBytes(std::string bytes);
    void Close();
    bool IsOpen() const { return open_; }

    /// Number of whole records.
    int Count() const { return static_cast<int>(bytes_.size() / kLocationRecordSize); }
    /// Record n, 0-based; n must be in 0..Count()-1.
    TLocationRecord Record(int n) const;
    /// The two code fields of record n, without decoding the rest.
    std::int32_t DatabaseCode(int n) const;
    std::int32_t RegionCode(int n) const;

private:
    std::string bytes_;
    bool open_ = false;
    TFileReadStatus loadStatus_ = TFileReadStatus::Missing;
    std::string loadError_;
};

/// Text folded for comparing and sorting: Latin-1 letters without accents, in lower case
/// ("Zürich" -> "zurich", "ÆRØ" -> "aero"); characters outside Latin-1 stay as they are.
std::string FoldLocationText(std::string_view utf8);
/// Order of the sorted lists: folded text first, then the bytes.
bool LocationTextLess(const std::string& a, const std::string& b);
/// The positions of the texts in LocationTextLess order (equal texts keep their order), each
/// text folded once: the sort of a list of many thousands of regions or places.
std::vector<std::size_t> LocationTextOrder(const std::vector<std::string>& texts);

/// A place found by FindLocations.
struct TLocationMatch
{
    std::string Database;   ///< database name
    std::string Region;     ///< region name (the database name for a place without a region)
    int RecordNumber = 0;   ///< 0-based in the database's file
    TLocationRecord Record; ///< the place
};

/// A database whose data file could not be read: Missing when it is not installed, and why
/// (the message names the file and the reason: not a regular file, larger than
/// kMaxLocationFileSize...).
struct TMissingDatabase
{
    std::string Database;
    TFileReadStatus Status = TFileReadStatus::Missing;
    std::string Reason;
};

/// Every database of the index but "+All", read once for searching: the data files whole and
/// each database's region names by code, so that a search takes time in proportion to the
/// places and regions however many there are, and memory in proportion to the files.
class TLocationDatabase
{
public:
    /// A place found: the database (an index into the databases read) and its record number.
    struct THit
    {
        int Database = 0;
        int Record = 0;
    };

    /// Reads "Regions.idx" and the data files from the common data folder (ending with "/").
    /// False when the index cannot be read (IndexError says why); a data file that cannot be
    /// read is listed in Missing and its database left out.
    bool Load(const std::string& folder);
    TFileReadStatus IndexStatus() const { return indexStatus_; }
    const std::string& IndexError() const { return indexError_; }
    const std::vector<TMissingDatabase>& Missing() const { return missing_; }

    /// The places whose place name, region name or database name contains the search text,
    /// ignoring letter case and accents (an empty text finds every place), in database and
    /// then file order.
    std::vector<THit> Find(std::string_view search) const;

    /// The database's name.
    const std::string& DatabaseName(const THit& hit) const;
    /// The region's name: the key of the record's region code in the database's section, or
    /// the database's name for a record without a region or with a code the index lacks.
    const std::string& RegionName(const THit& hit) const;
    /// The place's record.
    TLocationRecord Record(const THit& hit) const;

private:
    struct Database
    {
        std::string Name;
        TLocationFile File;
        std::unordered_map<std::int32_t, std::string> Regions; ///< region code -> first key
    };
    std::vector<Database> databases_;
    std::vector<TMissingDatabase> missing_;
    TFileReadStatus indexStatus_ = TFileReadStatus::Missing;
    std::string indexError_;
};

/// What FindLocations found.
struct TLocationSearch
{
    /// "Regions.idx" was read; how reading it ended, and why it failed (naming the file and
    /// the reason).
    bool IndexFound = false;
    TFileReadStatus IndexStatus = TFileReadStatus::Missing;
    std::string IndexError;
    std::vector<TMissingDatabase> Missing; ///< databases whose data file could not be read
    std::vector<TLocationMatch> Matches;   ///< in database, then file order
};

/// TLocationDatabase's Load and Find, with every match copied out: for a few matches (the
/// command line streams its matches from a TLocationDatabase instead). folder is the common
/// data folder (ending with "/").
TLocationSearch FindLocations(const std::string& folder, std::string_view search);

} // namespace zmk
