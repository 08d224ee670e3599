// The coil maker catalogue: reading, selecting, matching and writing makers' models.
#include "geometry/CoilMakers.h"
#include "base/TextHelpers.h"

#include "base/Errors.h"
#include "base/Notifier.h"
#include "base/NumText.h"
#include "base/Paths.h"
#include "base/Utf8.h"
#include "base/XMLFiles.h"
#include "geometry/FinAndTube.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <utility>

namespace zmk {

namespace {

// A length attribute in mm, kept as m; a missing or unreadable one keeps `base`.
double readMm(TXMLFile& xml, pugi::xml_node node, const char* name, double base)
{
    const double mm = xml.ReadAttrFloat(node, name, NAN);
    return std::isfinite(mm) ? mm / 1000.0 : base;
}

double readReal(TXMLFile& xml, pugi::xml_node node, const char* name, double base)
{
    return xml.ReadAttrFloat(node, name, base);
}

std::string readName(TXMLFile& xml, pugi::xml_node node, const char* name, const std::string& base)
{
    return ShortString(xml.ReadAttr(node, name, base));
}

// Reads one model (or a maker's defaults) over a copy of `base`.
TMnfRec readModel(TXMLFile& xml, const TMnfRec& base, pugi::xml_node element)
{
    TMnfRec m = base;
    m.Name = readName(xml, element, "name", base.Name);
    m.D = xml.ReadAttrInt(element, "d", 0);
    if (const pugi::xml_node fin = element.child("fin")) {
        m.T = readMm(xml, fin, "t", m.T);
        m.FinMt = readName(xml, fin, "mt", m.FinMt);
        m.FinF = readReal(xml, fin, "f", m.FinF);
        // The fin's surface; an unknown word keeps what the maker's item gave.
        m.Fin.Type = FinTypeOfKey(xml.ReadAttr(fin, "type", "")).value_or(m.Fin.Type);
        m.Fin.LouverPitch = readMm(xml, fin, "lp", m.Fin.LouverPitch);
        m.Fin.LouverHeight = readMm(xml, fin, "lh", m.Fin.LouverHeight);
        m.Fin.WaveDepth = readMm(xml, fin, "pd", m.Fin.WaveDepth);
        m.Fin.WavePitch = readMm(xml, fin, "xf", m.Fin.WavePitch);
    }
    if (const pugi::xml_node tube = element.child("tube")) {
        m.ID = readMm(xml, tube, "id", m.ID);
        m.OD = readMm(xml, tube, "od", m.OD);
        m.TubeMt = readName(xml, tube, "mt", m.TubeMt);
        m.TubeF = readReal(xml, tube, "f", m.TubeF);
    }
    if (const pugi::xml_node pat = element.child("pat")) {
        m.Sx = readMm(xml, pat, "sx", m.Sx);
        m.Sy = readMm(xml, pat, "sy", m.Sy);
        const std::string kind = xml.ReadAttr(pat, "kind", "");
        if (SameText(kind, "in-line"))
            m.Pattern = 1;
        else if (SameText(kind, "staggered"))
            m.Pattern = 0;
    }
    const std::string basis = xml.ReadAttr(element.child("circ"), "basis", "");
    if (SameText(basis, "depth"))
        m.Basis = 1;
    else if (SameText(basis, "height"))
        m.Basis = 0;
    return m;
}

const char* patternWord(int pattern)
{
    return pattern == 1 ? "In-line" : "Staggered";
}
const char* basisWord(int basis)
{
    return basis == 1 ? "depth" : "height";
}

} // namespace

TMnfRec DefaultMnfRec()
{
    TMnfRec m;
    m.Mnf = "Default";
    m.Name = "1/2 inch";
    m.D = 4;
    m.ID = 0.0125222;
    m.OD = 0.013335;
    m.Sx = 0.033;
    m.Sy = 0.0381;
    m.T = 0.00015;
    m.Pattern = 0;
    m.TubeMt = "Cu";
    m.FinMt = "Al";
    m.FinF = 1;
    m.TubeF = 1;
    m.Basis = 0;
    return m;
}

std::string ModelLine(const TMnfRec& rec)
{
    std::string line =
        Format("%S, %0.4f, %0.4f, %0.4f, %0.4f, %0.4f, %S, %S, %S, %0.4f, %0.4f, %d", rec.Name, 1000 * rec.ID,
               1000 * rec.OD, 1000 * rec.Sx, 1000 * rec.Sy, 1000 * rec.T, patternWord(rec.Pattern),
               rec.TubeMt, rec.FinMt, rec.FinF, rec.TubeF, rec.Basis);
    // A plain fin, as every model had before the fin type was kept, adds nothing to the line.
    if (rec.Fin.Type != TFinType::Plain)
        line += ", " + FinTypeKey(rec.Fin.Type);
    return line;
}

void MnfRecToModel(const TMnfRec& rec, TModelRec& model)
{
    model.Mnf = ShortString(rec.Mnf);
    model.Model = rec.Name;
    // A tube code that does not fit the record's byte is treated like an unreadable one.
    model.Tube = static_cast<std::uint8_t>(rec.D >= 0 && rec.D <= 255 ? rec.D : 0);
    model.ID = rec.ID;
    model.OD = rec.OD;
    model.Sx = rec.Sx;
    model.Sy = rec.Sy;
    model.tf = rec.T;
    model.tp = rec.Pattern == 1 ? 1 : 0;
    model.fc = rec.FinF;
    model.ft = rec.TubeF;
    model.cb = rec.Basis == 1 ? 1 : 0;
    model.Fin = rec.Fin;
    const int mt = MaterialIndexOfShort(rec.TubeMt);
    const int mf = MaterialIndexOfShort(rec.FinMt);
    model.Mt = static_cast<std::uint8_t>(mt < 0 ? 0 : mt);
    model.Mf = static_cast<std::uint8_t>(mf < 0 ? 1 : mf);
}

TMnfRec ModelToMnfRec(const TModelRec& model)
{
    TMnfRec m;
    m.Mnf = model.Mnf;
    m.Name = model.Model;
    m.D = model.Tube;
    m.ID = model.ID;
    m.OD = model.OD;
    m.Sx = model.Sx;
    m.Sy = model.Sy;
    m.T = model.tf;
    m.Pattern = model.tp;
    m.TubeMt = MaterialAt(model.Mt, 0).Short;
    m.FinMt = MaterialAt(model.Mf, 1).Short;
    m.FinF = model.fc;
    m.TubeF = model.ft;
    m.Basis = model.cb;
    m.Fin = model.Fin;
    return m;
}

bool SameCatalogueValue(double a, double b)
{
    const double tol = std::max(1e-12 * std::min(std::fabs(a), std::fabs(b)), 1e-12);
    return std::fabs(a - b) <= tol;
}

TCoilMakers::TCoilMakers(std::string fileName, INotifier* notifier)
    : fileName_(std::move(fileName)), notifier_(notifier)
{
}

void TCoilMakers::Reset(std::string fileName, INotifier* notifier)
{
    fileName_ = std::move(fileName);
    notifier_ = notifier;
    maker_.clear();
    models_.clear();
}

std::vector<std::string> TCoilMakers::MakerList() const
{
    TXMLFile xml(fileName_, kMaxCatalogueFileSize);
    std::vector<std::string> list;
    if (xml.ReadStatus() != rsNone)
        return list;
    xml.ReadList(xml.Root(), "item", "maker", list);
    return list;
}

void TCoilMakers::LoadMaker(const std::string& maker)
{
    if (SameText(maker, maker_) && !models_.empty())
        return;
    maker_ = maker;
    models_.clear();
    TXMLFile xml(fileName_, kMaxCatalogueFileSize);
    if (xml.ReadStatus() != rsNone) {
        // A refused file's reason names the file already; a parse error's does not.
        if (notifier_)
            notifier_->Message(
                "The coil maker database " +
                (xml.FileStatus() == TFileReadStatus::Ok ? "\"" + fileName_ + "\" " : std::string()) +
                "cannot be read: " + xml.LoadError() + "...");
        return;
    }
    const pugi::xml_node item = xml.FindRecord(xml.Root(), "item", "maker", maker, false);
    if (!item) {
        // The built-in maker needs no entry in the file.
        if (SameText(maker, DefaultMnfRec().Mnf))
            models_.assign(1, DefaultMnfRec());
        return;
    }
    TMnfRec defaults = readModel(xml, DefaultMnfRec(), item);
    defaults.Mnf = ShortString(xml.ReadText(item, "maker", maker));
    for (const pugi::xml_node model : xml.ChildrenNamed(item, "model")) {
        TMnfRec m = readModel(xml, defaults, model);
        // A pattern no coil can be built from (a tube wider inside than outside, a pitch or fin
        // of no size, a tube that does not fit its pitches) is left out, and the user told.
        const std::string problem = PatternProblem(m.ID, m.OD, m.Sx, m.Sy, m.T, m.Pattern);
        if (problem.empty())
            models_.push_back(std::move(m));
        else if (notifier_)
            notifier_->Message("The coil maker database's model \"" + m.Name + "\" of " + m.Mnf +
                               " is left out: " + problem + "...");
    }
}

TMnfRec TCoilMakers::SelectModel(const std::string& maker, int tubeCode)
{
    LoadMaker(maker);
    if (!models_.empty()) {
        for (const TMnfRec& m : models_)
            if (m.D == tubeCode)
                return m;
        if (tubeCode > 100)
            for (const TMnfRec& m : models_)
                if (m.D + 100 == tubeCode)
                    return m;
        return models_.front();
    }
    if (notifier_)
        notifier_->Message("There are no matching coils for " + maker + " in the database!\r\n" +
                           "You may need to re-install the program to correct the database.");
    // The built-in maker is held in memory only: a lookup never rewrites the user's catalogue.
    const TMnfRec model = DefaultMnfRec();
    maker_ = model.Mnf;
    models_.assign(1, model);
    return model;
}

TMnfRec TCoilMakers::MatchModel(const std::string& maker, const TMnfRec& rec)
{
    LoadMaker(maker);
    const TMnfRec* best = nullptr;
    int bestScore = -1;
    for (const TMnfRec& m : models_) {
        if (!SameCatalogueValue(m.ID, rec.ID) || !SameCatalogueValue(m.OD, rec.OD) ||
            !SameCatalogueValue(m.Sx, rec.Sx) || !SameCatalogueValue(m.Sy, rec.Sy) ||
            !SameCatalogueValue(m.T, rec.T) || m.Pattern != rec.Pattern || m.Basis != rec.Basis ||
            m.Fin.Type != rec.Fin.Type)
            continue;
        int score = 0;
        if (SameText(m.Name, rec.Name))
            score += 3;
        if (SameCatalogueValue(m.FinF, rec.FinF))
            score += 2;
        if (SameCatalogueValue(m.TubeF, rec.TubeF))
            score += 2;
        if (m.TubeMt == rec.TubeMt)
            score += 1;
        if (m.FinMt == rec.FinMt)
            score += 1;
        if (score == 9) {
            best = &m;
            break;
        }
        // Equal scores go to the later candidate.
        if (score >= bestScore) {
            best = &m;
            bestScore = score;
        }
    }
    if (!best)
        for (const TMnfRec& m : models_)
            if (m.D == rec.D) {
                best = &m;
                break;
            }
    if (!best && !models_.empty())
        best = &models_.front();
    TMnfRec chosen = best ? *best : DefaultMnfRec();
    chosen.TubeMt = rec.TubeMt;
    chosen.FinMt = rec.FinMt;
    // The fin surface is the stored coil's, as its materials are: a coil whose fin type no model
    // of these dimensions has keeps its fins.
    chosen.Fin = rec.Fin;
    return chosen;
}

void TCoilMakers::SaveMaker()
{
    TXMLFile xml(fileName_, kMaxCatalogueFileSize);
    if (xml.ReadStatus() != rsNone)
        throw ZmkError("TCoilMakers.SaveMaker",
                       "The coil maker database \"" + fileName_ +
                           "\" cannot be read and was not rewritten: " + xml.LoadError());
    pugi::xml_node root = xml.Root();
    if (!root) {
        root = xml.Document().append_child("catalog");
        xml.SetAttr(root, "kind", "coil");
        xml.SetAttr(root, "version", "1.0.0.0");
        xml.SetAttr(root, "developer", "quorvane");
    }
    pugi::xml_node item = xml.FindRecord(root, "item", "maker", maker_, true);
    xml.WriteText(item, "range", true, "fin and tube coil");
    const TMnfRec defaults = readModel(xml, DefaultMnfRec(), item);
    for (const pugi::xml_node model : xml.ChildrenNamed(item, "model"))
        item.remove_child(model);
    for (const TMnfRec& m : models_) {
        pugi::xml_node model = item.append_child("model");
        xml.SetAttr(model, "name", m.Name);
        xml.SetAttr(model, "d", Format("%d", m.D));
        pugi::xml_node fin;
        auto finNode = [&] {
            if (!fin)
                fin = model.append_child("fin");
            return fin;
        };
        if (!SameCatalogueValue(m.T, defaults.T))
            xml.SetAttr(finNode(), "t", Format("%0.4f", 1000 * m.T));
        if (m.FinMt != defaults.FinMt)
            xml.SetAttr(finNode(), "mt", m.FinMt);
        if (!SameCatalogueValue(m.FinF, defaults.FinF))
            xml.SetAttr(finNode(), "f", FloatToStr(m.FinF));
        if (m.Fin.Type != defaults.Fin.Type)
            xml.SetAttr(finNode(), "type", FinTypeKey(m.Fin.Type));
        const std::pair<const char*, double TFinSurface::*> dims[] = {{"lp", &TFinSurface::LouverPitch},
                                                                      {"lh", &TFinSurface::LouverHeight},
                                                                      {"pd", &TFinSurface::WaveDepth},
                                                                      {"xf", &TFinSurface::WavePitch}};
        for (const auto& [name, member] : dims)
            if (m.Fin.*member > 0 && !SameCatalogueValue(m.Fin.*member, defaults.Fin.*member))
                xml.SetAttr(finNode(), name, Format("%0.4f", 1000 * (m.Fin.*member)));
        pugi::xml_node tube = model.append_child("tube");
        xml.SetAttr(tube, "id", Format("%0.4f", 1000 * m.ID));
        xml.SetAttr(tube, "od", Format("%0.4f", 1000 * m.OD));
        if (m.TubeMt != defaults.TubeMt)
            xml.SetAttr(tube, "mt", m.TubeMt);
        if (!SameCatalogueValue(m.TubeF, defaults.TubeF))
            xml.SetAttr(tube, "f", FloatToStr(m.TubeF));
        pugi::xml_node pat = model.append_child("pat");
        xml.SetAttr(pat, "sx", Format("%0.3f", 1000 * m.Sx));
        xml.SetAttr(pat, "sy", Format("%0.3f", 1000 * m.Sy));
        if (m.Pattern != defaults.Pattern)
            xml.SetAttr(pat, "kind", patternWord(m.Pattern));
        if (m.Basis != defaults.Basis)
            xml.SetAttr(model.append_child("circ"), "basis", basisWord(m.Basis));
    }
    // The catalogue's folder may not exist yet on a fresh install.
    std::error_code ec;
    const std::filesystem::path dir = std::filesystem::path(fileName_).parent_path();
    if (!dir.empty())
        std::filesystem::create_directories(dir, ec);
    xml.Save();
}

TCoilMakers& ProcessCoilMakers()
{
    thread_local TCoilMakers catalogue(CommonDataFolder() + "CoilMakers.xml");
    return catalogue;
}

} // namespace zmk
