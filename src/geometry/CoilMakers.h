// The coil maker catalogue: the tube-and-fin patterns ("models") each coil maker builds from,
// kept in the XML data file "CoilMakers.xml" in the common data folder (lengths in mm in the
// file, in m here). A new coil takes its pattern from here by maker and tube size code; a stored
// coil is matched again to the catalogue's current data when it is loaded. One maker's models
// are cached; each load of a different maker rereads the file.
#pragma once

#include "geometry/FinAndTube.h"

#include <string>
#include <string_view>
#include <vector>

namespace zmk {

class INotifier;

/// One catalogue model (a tube-and-fin pattern of a maker).
struct TMnfRec
{
    std::string Mnf;           ///< maker name, up to 255 characters
    std::string Name;          ///< model name, up to 255 characters
    int D = 0;                 ///< tube size code, as TModelRec::Tube
    double ID = 0;             ///< tube inside diameter, m
    double OD = 0;             ///< tube outside diameter, m
    double Sx = 0;             ///< row pitch, m
    double Sy = 0;             ///< tube pitch, m
    double T = 0;              ///< fin thickness, m
    unsigned char Pattern = 0; ///< 0 staggered, 1 in-line
    std::string TubeMt;        ///< tube material short name ("Cu")
    std::string FinMt;         ///< fin material short name ("Al")
    double FinF = 1;           ///< fin area factor
    double TubeF = 1;          ///< tube inside area factor
    int Basis = 0;             ///< circuit basis: 0 height (tubes high), 1 depth (rows deep)
    TFinSurface Fin;           ///< the fin's surface: plain where the catalogue gives no type
};

/// A maker's models, in file order.
using TMnfRecVec = std::vector<TMnfRec>;

/// The built-in model used whenever the catalogue cannot supply one ("Default", "1/2 inch").
TMnfRec DefaultMnfRec();
/// The line the maker dialog shows for a model: name, mm dimensions, pattern, materials, factors.
std::string ModelLine(const TMnfRec& rec);
/// Copies the model's pattern fields into `model` (Mnf, Model, Tube, ID, OD, Sx, Sy, tf, tp, fc,
/// ft, cb, the fin surface, and the materials by short name: copper tube and aluminium fin when a
/// name is unknown).
void MnfRecToModel(const TMnfRec& rec, TModelRec& model);
/// The pattern fields of a geometry record as a catalogue model, materials as short names.
TMnfRec ModelToMnfRec(const TModelRec& model);
/// Whether two catalogue reals are equal: within 1e-12 of the smaller magnitude, or of 1e-12.
bool SameCatalogueValue(double a, double b);

/// The catalogue file and the process's cache of one maker's models.
class TCoilMakers
{
public:
    /// A catalogue on `fileName`; messages go to `notifier` (none when null).
    explicit TCoilMakers(std::string fileName = {}, INotifier* notifier = nullptr);

    /// Points the catalogue at another file and notifier and empties the cache.
    void Reset(std::string fileName, INotifier* notifier = nullptr);
    const std::string& FileName() const { return fileName_; }
    void SetNotifier(INotifier* notifier) { notifier_ = notifier; }
    INotifier* Notifier() const { return notifier_; }

    /// The maker names of the file, in file order; empty when the file cannot be read.
    std::vector<std::string> MakerList() const;
    /// Fills the cache with the maker's models (nothing to do when it already holds them). A file
    /// that exists but cannot be read is reported to the notifier and leaves the cache empty.
    /// The built-in maker "Default", when the file has no maker of that name, holds the built-in
    /// model.
    void LoadMaker(const std::string& maker);
    /// The model for a new coil of this maker and tube code. With no models at all it tells the
    /// user and returns the built-in default, leaving the cache holding the maker "Default" with
    /// that model. The file is only read, never written.
    TMnfRec SelectModel(const std::string& maker, int tubeCode);
    /// The catalogue's best match for a stored coil, among the models of its fin type; the stored
    /// material names and fin surface are kept.
    TMnfRec MatchModel(const std::string& maker, const TMnfRec& rec);
    /// Writes the cached maker into the file (only attributes differing from the maker's
    /// defaults), for a user who asked to store a pattern; nothing else writes the file. Throws
    /// ZmkError when the file cannot be written, or exists but does not parse.
    void SaveMaker();

    /// Name of the cached maker.
    const std::string& CachedMaker() const { return maker_; }
    /// The cached maker's models, in file order.
    const TMnfRecVec& Models() const { return models_; }

private:
    std::string fileName_;
    INotifier* notifier_ = nullptr;
    std::string maker_;
    TMnfRecVec models_;
};

/// The calling thread's catalogue, on "CoilMakers.xml" in the common data folder: created at the
/// thread's first use and released when the thread ends. One per thread, as its cache changes
/// with every model looked up, so that jobs rated on several threads each have their own. The
/// program sets its notifier (on the thread that rates); tests point it at their own file with
/// Reset.
TCoilMakers& ProcessCoilMakers();

} // namespace zmk
