// Fin-and-tube coil geometry: a block of flat plate fins threaded by rows of round tubes.
// TFinAndTube holds the coil's definition (TModelRec: dimensions and tube-and-fin pattern) and
// derives from it every geometric quantity the air-side and tube-side models need (face area,
// tube counts, outside and inside areas, free-flow area, hydraulic diameter, fin and surface
// efficiency, internal volume, dry weight), plus the coil's text forms: the size text, the
// maker designation, the tube line and the manufacturing report. Lengths are in m, areas in
// m², volumes in m³, masses in kg.
#pragma once

#include "base/XMLFiles.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zmk {

class TCoilMakers;

/// One row of the material table.
struct TMaterial
{
    const char* Name;    ///< full name ("Copper")
    const char* Short;   ///< short name shown in reports ("Cu")
    double Density;      ///< kg/m³
    double Conductivity; ///< kW/(m·K)
    double SpecificHeat; ///< kJ/(kg·K)
};

/// The eight materials of fins, tubes and casings, by index (0 copper ... 7 brass).
extern const std::array<TMaterial, 8> MaterialTable;
/// The material at `index`, or the one at `fallback` when `index` is outside the table.
const TMaterial& MaterialAt(int index, int fallback);
/// Index of the material whose short name is `shortName` (any case), or -1.
int MaterialIndexOfShort(std::string_view shortName);

/// Coil kind codes (`Code`) 0..5: short designation form ("CW" ... "ZM"); empty outside.
std::string KindShortCode(int code);
/// Long designation form ("CWC" ... "ZMK"); empty outside 0..5.
std::string KindLongCode(int code);

/// One entry of the serpentine table: a circuit fraction and the name shown in reports.
struct TSerpentine
{
    const char* Name; ///< "1/2", "1-1/2", "40"
    double Value;     ///< the real nearest the fraction the name spells
};

/// Number of serpentine entries.
constexpr int kSerpentineCount = 142;
/// The serpentine table, strictly increasing; entry 103 is 1/2 and entry 119 is 1.
extern const std::array<TSerpentine, kSerpentineCount> SerpentineTable;
/// Name of serpentine entry `index`, clamped into the table.
std::string SerpentineName(int index);
/// The largest index whose entry is not greater than x (0 below the first entry, 141 at or above
/// the last), found by hunting outward from `start` in doubling steps and then bisecting.
int SerpentineLookup(int start, double x);

/// Connection names: 0 "Same", 1 "Opposite".
std::string ConnectionName(int connections);
/// Circuit basis names: 0 "Tubes high", 1 "Rows deep".
std::string CircuitBasisName(int cb);
/// Tube pattern names: 0 "Staggered", 1 "In-line".
std::string PatternName(int tp);

/// The fin's surface: flat plate, louvered, or wavy (herringbone, the waves along the air flow).
enum class TFinType : std::uint8_t {
    Plain = 0,
    Louvered = 1,
    Wavy = 2,
};

/// The fin's surface and the dimensions of its louvers or waves, in m; a dimension of 0 is not
/// given, and the air side then takes its default (and says so).
struct TFinSurface
{
    TFinType Type = TFinType::Plain;
    double LouverPitch = 0;  ///< louver pitch along the air flow, m
    double LouverHeight = 0; ///< louver height, m
    double WaveDepth = 0;    ///< wave depth, peak to valley without the fin thickness, m
    double WavePitch = 0;    ///< projected length of half a wave along the air flow, m

    bool operator==(const TFinSurface&) const = default;
};

/// "plain", "louvered" or "wavy": the word of the catalogue, the project and the command line.
std::string FinTypeKey(TFinType type);
/// "Plain", "Louvered" or "Wavy (herringbone)", as the pages show it.
std::string FinTypeName(TFinType type);
/// The type of a key (any letter case; "herringbone" is wavy); nothing for another word.
std::optional<TFinType> FinTypeOfKey(std::string_view key);

/// The coil's definition: dimensions and tube-and-fin pattern, with the default coil's values.
struct TModelRec
{
    std::string Mnf = "Default"; ///< coil maker name, up to 255 characters
    std::uint8_t Tube = 4;       ///< tube size code: <100 eighths of an inch; >=100, 100 + mm
    std::string Model;           ///< name of the maker's model (pattern)
    std::uint8_t Code = 0;       ///< coil kind code 0..5
    double fHeight = 0.5334;     ///< fin height H, m
    double fLength = 0.74;       ///< finned length L, m
    double Rows = 4;             ///< rows deep NR; may be fractional
    double fpi = 10;             ///< fins per inch
    double Circ = 7;             ///< number of circuits NC
    int cb = 0;                  ///< circuit basis: 0 tubes high, 1 rows deep
    int Serp = 103;              ///< serpentine index 0..141 (103 = 1/2)
    double Sx = 0.033;           ///< row pitch along the air flow, m
    double Sy = 0.0381;          ///< tube pitch across the face, m
    std::uint8_t tp = 0;         ///< tube pattern: 0 staggered, 1 in-line
    double ID = 0.0125222;       ///< tube inside diameter, m
    double OD = 0.013335;        ///< tube outside diameter, m
    double tf = 0.0001524;       ///< fin thickness, m
    double fc = 1;               ///< fin area factor (1 for a flat fin)
    double ft = 1;               ///< tube inside area factor (1 for a plain tube)
    bool Rifle = false;          ///< rifled tube; stored only
    int Sections = 1;            ///< number of coil sections; stored only
    std::uint8_t Mf = 1;         ///< fin material index (aluminium)
    std::uint8_t Mt = 0;         ///< tube material index (copper)
    std::uint8_t Mc = 3;         ///< casing material index (galvanised iron)
    double tc = 0.0016;          ///< casing sheet thickness, m
    TFinSurface Fin;             ///< the fin's surface (plain unless the pattern says otherwise)
};

/// Air-side summary of the geometry, read by the air-side model.
struct TAirSideGeometry
{
    double Rows = 0;          ///< rows deep
    int Tube = 0;             ///< tube size code
    double Sx = 0;            ///< row pitch, m
    double Sy = 0;            ///< tube pitch, m
    std::uint8_t Pattern = 0; ///< 0 staggered, 1 in-line
    double OD = 0;            ///< tube outside diameter, m
    double Af = 0;            ///< face area, m²
    double FinGap = 0;        ///< Fp − tf, m
    double EqFinHeight = 0;   ///< radial height of the equivalent circular fin, m
    double tf = 0;            ///< fin thickness, m
    double Fp = 0;            ///< fin pitch, m
    double Dc = 0;            ///< fin collar diameter, m
    double kFin = 0;          ///< fin material conductivity, kW/(m·K)
    double kTube = 0;         ///< tube material conductivity, kW/(m·K)
    double Sigma = 0;         ///< minimum free-flow area / face area
    double Dh = 0;            ///< air-side hydraulic diameter, m
    double EtaO = 0;          ///< surface efficiency
    TFinSurface Fin;          ///< the fin's surface
    double AoBare = 0;        ///< outside area over the bare tubes' area (fins taken off)
    double FinAreaFactor = 1; ///< the pattern's fin area factor (1 for a flat fin)
};

/// Tube-side summary of the geometry, read by the tube-side model.
struct TTubeSideGeometry
{
    double ID = 0;            ///< tube inside diameter, m
    double Wall = 0;          ///< tube wall (OD − ID)/2, m
    double kTube = 0;         ///< tube material conductivity, kW/(m·K)
    double AiPerCircuit = 0;  ///< inside area of one circuit Ai/NC, m²
    double TubeArea = 0;      ///< inside cross-section of one tube Ax, m²
    double FlowArea = 0;      ///< Ax·NC, m²
    double Perimeter = 0;     ///< π·ID, m
    double EqLength = 0;      ///< equivalent circuit length with 40 ID per return bend, m
    double CircuitLength = 0; ///< circuit length with half a diagonal bend per tube, m
    double PassLength = 0;    ///< straight tube length of one pass through the fin pack (L), m
};

/// The five values of a size text: H and L in m, rows, fins per inch and circuits.
struct TSizeValues
{
    double fHeight = 0; ///< m
    double fLength = 0; ///< m
    double Rows = 0;
    double fpi = 0;
    double Circ = 0;
};

/// Reads a size text ("600 x 1200 4r 12f 16c") into `values`. Returns 0, or the error code:
/// 1 a missing or malformed number, 5 height, 6 length, 7 rows, 2 fins per inch, 8 circuits out of
/// range (the last range failure wins). `values` holds what was read, and is meant to be used
/// only when the result is 0.
int ParseSizeText(std::string_view text, TSizeValues& values);
/// What a size-text or recalculation error code means ("rows outside 1..20").
std::string SizeErrorText(int code);
/// The first number of a size text written with a minus sign ("-600" in "600 x -600 4r"), or
/// empty when there is none. ParseSizeText reads a minus as a separator, so a size typed as a
/// negative number would be taken as positive: a command taking a size text from a user
/// refuses one this finds. A minus between two numbers ("600-1200") is a separator.
std::string NegativeSizeNumber(std::string_view text);

/// Error code of a tube-and-fin pattern that cannot be built (see PatternProblem).
constexpr int kPatternError = 9;
/// Why a tube-and-fin pattern cannot be built, in the user's words: a tube whose inside diameter
/// is not below its outside one, a pitch or fin thickness that is not positive, or a tube (with
/// its fin collar) that does not fit between its pitches. Empty for a pattern that can be built.
/// Lengths in m; pattern 0 staggered, 1 in-line.
std::string PatternProblem(double ID, double OD, double Sx, double Sy, double tf, int pattern);
/// Whether two records are the same field for field, numbers bit for bit (so that 0 and -0
/// differ and a NaN equals itself): what a skipped recalculation is keyed on.
bool SameRecord(const TModelRec& a, const TModelRec& b);
/// Whether a record can be built: 0, or the error code of what cannot (5, 6, 7 a fin height,
/// finned length or rows that is not positive; 9 the pattern, as PatternProblem, or fins at least
/// as thick as their pitch). `why`, when given, receives the reason in the user's words.
int RecordProblem(const TModelRec& rec, std::string* why = nullptr);

/// The fin-and-tube coil geometry: the definition record and everything derived from it.
class TFinAndTube
{
public:
    /// The default record, recalculated; no catalogue involved.
    TFinAndTube();
    /// The default record with `Code` := kindCode, the parsed size text, and the pattern selected
    /// for the maker and tube code from the process's coil maker catalogue.
    TFinAndTube(const std::string& maker, int tubeCode, int kindCode, const std::string& sizeText);
    /// As above with a given catalogue; a null catalogue keeps the default pattern.
    TFinAndTube(const std::string& maker, int tubeCode, int kindCode, const std::string& sizeText,
                TCoilMakers* catalogue);
    /// The record as it stands, recalculated: no size text read or made (SizeText stays empty
    /// until a setter recalculates), no catalogue looked up. For coils rated by their numbers, many
    /// at a time. A record that cannot be built (RecordProblem) leaves its error code, as
    /// SetModel does.
    explicit TFinAndTube(const TModelRec& rec);

    /// Stores `text` as SizeText and parses it; on success copies the five values in and
    /// recalculates, otherwise only ErrorCode (and SizeText) change.
    void SetSizeText(const std::string& text);
    /// Fin height, m; then recalculates.
    void SetHeight(double h);
    /// Finned length, m; then recalculates.
    void SetLength(double l);
    /// Rows deep; then recalculates.
    void SetRows(double rows);
    /// Fins per inch; then recalculates.
    void SetFpi(double fpi);
    /// Circuits, clamped to [1, 1600]; then recalculates.
    void SetCircuits(double n);
    /// Fin material index `Mf`; then recalculates.
    void SetFinMaterial(int index);
    /// Replaces the whole record; then recalculates. A record that cannot be built
    /// (RecordProblem) is refused: ErrorCode 9 and nothing changes.
    void SetModel(const TModelRec& rec);
    /// Takes the pattern fields of the catalogue's best match for the current record (stored tube
    /// and fin materials kept), then recalculates: what loading a stored coil does.
    void MatchCatalogue(TCoilMakers& catalogue);

    /// Writes the record as the `fat` child of node (found or created), each field with its
    /// number format and the informative labels as attributes.
    void SaveToXML(TXMLFile& file, TXMLFile::Node node) const;
    /// Reads the record from the `fat` child of node (or `finandtube`), each field keeping its
    /// value when missing, unreadable or out of range, then matches it against the catalogue
    /// (MatchCatalogue). A record that then cannot be recalculated is put back as it was.
    /// Returns false when neither element is there (nothing changes).
    bool LoadFromXML(TXMLFile& file, TXMLFile::Node node, TCoilMakers& catalogue);
    /// As above with the process's catalogue.
    bool LoadFromXML(TXMLFile& file, TXMLFile::Node node);

    int GetCircuitBasis() const { return Rec.cb; }
    double GetSy() const { return Rec.Sy; } ///< m
    int GetSerp() const { return Rec.Serp; }
    /// Returns ErrorCode and resets it to 0.
    int TakeError();

    TAirSideGeometry GetAirSide() const;
    TTubeSideGeometry GetTubeSide() const;
    /// Computes the dry weight, kg, stores its parts and returns it. Throws EMathError when the
    /// record gives no finite weight.
    double Weight();

    /// Size text of the current values: "533.4 x 740  4r  10f  7c".
    std::string FormatSizeText() const;
    /// Maker-specific designation, chosen by Mnf (any case); empty for other makers.
    std::string MakerDesignation() const;
    /// "Mnf: Model\" Sx x Sy (tube/fin/casing)".
    std::string TubeLine() const;
    /// The manufacturing report lines (HTML inside <pre>), values in the display units; the
    /// maker, model and size texts HTML-escaped.
    std::vector<std::string> ManufacturingReport();

    /// Recomputes every derived field from Rec, in order; a failing step sets ErrorCode 1 and
    /// leaves the later fields at their old values. A record that cannot be built
    /// (RecordProblem) sets ErrorCode 9 and changes no derived field.
    void Recalculate();
    /// Whether the derived fields and SizeText are what Recalculate gives for Rec as it stands,
    /// so that recalculating would change nothing: Rec is, field for field, a record Recalculate
    /// last computed and left unchanged, and SizeText the text it made. The setters skip the
    /// work then.
    bool IsCalculated() const;

    TModelRec Rec; ///< the coil's definition (the derived fields below are Recalculate's alone)

    std::string SizeText;    ///< size text of the coil
    double Af = 0;           ///< face area, m²
    int TubesHigh = 0;       ///< tubes across the face
    double TubeCount = 0;    ///< TubesHigh·NR
    double Fp = 0;           ///< fin pitch, m
    double FinCount = 0;     ///< fins along L
    double Depth = 0;        ///< coil depth along the air flow, m
    double Dc = 0;           ///< fin collar diameter, m
    double EqFinHeight = 0;  ///< radial height of the equivalent circular fin, m
    double Afin = 0;         ///< fin surface area, m²
    double Ao = 0;           ///< total outside area, m²
    double AoAfRow = 0;      ///< Ao per face area per row
    double Sigma = 0;        ///< minimum free-flow area / face area
    double Amin = 0;         ///< minimum free-flow area, m²
    double Dh = 0;           ///< air-side hydraulic diameter, m
    double Ax = 0;           ///< inside cross-section of one tube, m²
    double Ai = 0;           ///< total inside area, m²
    double AoAi = 0;         ///< Ao/Ai
    double Vi = 0;           ///< internal volume, m³
    double mL = 0;           ///< fin parameter m·l
    double EtaF = 0;         ///< fin efficiency
    double EtaO = 0;         ///< surface efficiency
    int Connections = 0;     ///< 0 headers on the same end, 1 on opposite ends
    double TubeWeight = 0;   ///< kg
    double FinWeight = 0;    ///< kg
    double CasingWeight = 0; ///< kg
    double BendWeight = 0;   ///< kg
    double HeaderWeight = 0; ///< kg
    double DryWeight = 0;    ///< kg
    int ErrorCode = 0;       ///< 0, or the error of the last size-text parse or recalculation

private:
    // The record Recalculate last computed without changing it, and the size text it made;
    // nothing while calculatedValid_ is false.
    TModelRec calculatedRec_;
    std::string calculatedSizeText_;
    bool calculatedValid_ = false;
    // Recalculate, with the size text made or left empty.
    void recalculate(bool withText);

    /// Rec := rec and a recalculation when rec can be built; otherwise ErrorCode 9, Rec kept.
    void commit(const TModelRec& rec);
    void create(const std::string& maker, int tubeCode, int kindCode, const std::string& sizeText,
                TCoilMakers* catalogue);
};

} // namespace zmk
