// The fin-and-tube record in the project file: element `fat`, one child per record field with
// the program's number formats, and the labels of the coded fields as informative attributes.
// Reading keeps the current value of a field that is missing, unreadable or outside what the
// geometry can take, then takes the pattern from the catalogue's best match for the stored coil.
#include "base/Utf8.h"
#include "geometry/CoilMakers.h"
#include "geometry/FinAndTube.h"

#include <cfloat>
#include <string>
#include <utility>

namespace zmk {

namespace {

std::string materialCode(int index)
{
    return MaterialAt(index, 0).Short;
}

// Largest pitch, diameter or thickness a record may hold, m; far beyond any real coil but a
// bound that keeps the derived areas finite.
constexpr double kMaxPitch = 1.0;

} // namespace

void TFinAndTube::SaveToXML(TXMLFile& file, TXMLFile::Node node) const
{
    const TModelRec& r = Rec;
    TXMLFile::Node fat = file.FindPath(node, {"fat"}, true);
    file.WriteText(fat, "Mnf", true, ShortString(r.Mnf));
    file.WriteInt(fat, "Tube", true, r.Tube);
    file.WriteText(fat, "Model", true, r.Model);
    file.SetAttr(file.WriteInt(fat, "Code", true, r.Code), "caption", KindShortCode(r.Code));
    file.WriteReal(fat, "fHeight", true, r.fHeight);
    file.WriteReal(fat, "fLength", true, r.fLength);
    file.WriteReal(fat, "Rows", true, r.Rows);
    file.WriteReal(fat, "fpi", true, r.fpi);
    file.WriteReal(fat, "Circ", true, r.Circ);
    file.SetAttr(file.WriteInt(fat, "cb", true, r.cb), "text", CircuitBasisName(r.cb));
    file.SetAttr(file.WriteInt(fat, "Serp", true, r.Serp), "caption", SerpentineName(r.Serp));
    file.WriteReal(fat, "Sx", true, r.Sx);
    file.WriteReal(fat, "Sy", true, r.Sy);
    file.SetAttr(file.WriteInt(fat, "tp", true, r.tp), "text", PatternName(r.tp));
    file.WriteReal(fat, "ID", true, r.ID);
    file.WriteReal(fat, "OD", true, r.OD);
    file.WriteReal(fat, "tf", true, r.tf);
    file.WriteReal(fat, "fc", true, r.fc);
    file.WriteReal(fat, "ft", true, r.ft);
    file.WriteBool(fat, "Rifle", true, r.Rifle);
    file.WriteInt(fat, "Sections", true, r.Sections);
    file.SetAttr(file.WriteInt(fat, "Mf", true, r.Mf), "caption", materialCode(r.Mf));
    file.SetAttr(file.WriteInt(fat, "Mt", true, r.Mt), "caption", materialCode(r.Mt));
    file.SetAttr(file.WriteInt(fat, "Mc", true, r.Mc), "caption", materialCode(r.Mc));
    file.WriteReal(fat, "tc", true, r.tc);
    // A plain fin, which every coil had before the fin type was kept, writes nothing, so that the
    // projects of plain-fin coils stay as they were; a file that holds the values already has them
    // written over, so that a coil set back to plain fins says so.
    if (r.Fin.Type != TFinType::Plain || file.FindPath(fat, {"FinType"}, false))
        file.WriteText(fat, "FinType", true, FinTypeKey(r.Fin.Type));
    const std::pair<const char*, double> dims[] = {{"LouverPitch", r.Fin.LouverPitch},
                                                   {"LouverHeight", r.Fin.LouverHeight},
                                                   {"WaveDepth", r.Fin.WaveDepth},
                                                   {"WavePitch", r.Fin.WavePitch}};
    for (const auto& [name, value] : dims)
        if (value > 0 || file.FindPath(fat, {name}, false))
            file.WriteReal(fat, name, true, value);
}

bool TFinAndTube::LoadFromXML(TXMLFile& file, TXMLFile::Node node)
{
    return LoadFromXML(file, node, ProcessCoilMakers());
}

bool TFinAndTube::LoadFromXML(TXMLFile& file, TXMLFile::Node node, TCoilMakers& catalogue)
{
    TXMLFile::Node fat = file.FindPath(node, {"fat"}, false);
    if (!fat)
        fat = file.FindPath(node, {"finandtube"}, false);
    if (!fat)
        return false;

    const TModelRec before = Rec;
    TModelRec& r = Rec;
    auto byte = [&](const char* name, std::uint8_t current, int hi) {
        return static_cast<std::uint8_t>(file.ReadIntIn(fat, name, current, 0, hi));
    };
    auto positive = [&](const char* name, double current, double hi) {
        return file.ReadFloatIn(fat, name, current, DBL_MIN, hi);
    };
    const int lastMaterial = static_cast<int>(MaterialTable.size()) - 1;

    r.Mnf = ShortString(file.ReadText(fat, "Mnf", r.Mnf));
    r.Tube = byte("Tube", r.Tube, 255);
    r.Model = ShortString(file.ReadText(fat, "Model", r.Model));
    r.Code = byte("Code", r.Code, 5);
    // The five dimensions within the ranges of a size text, so that the coil can re-apply it.
    r.fHeight = file.ReadFloatIn(fat, "fHeight", r.fHeight, 0.00625, 25);
    r.fLength = file.ReadFloatIn(fat, "fLength", r.fLength, 0.1, 50);
    r.Rows = file.ReadFloatIn(fat, "Rows", r.Rows, 1, 20);
    r.fpi = file.ReadFloatIn(fat, "fpi", r.fpi, 0, 30);
    r.Circ = file.ReadFloatIn(fat, "Circ", r.Circ, 1, 1600);
    r.cb = file.ReadIntIn(fat, "cb", r.cb, 0, 1);
    r.Serp = file.ReadIntIn(fat, "Serp", r.Serp, 0, kSerpentineCount - 1);
    r.Sx = positive("Sx", r.Sx, kMaxPitch);
    r.Sy = positive("Sy", r.Sy, kMaxPitch);
    r.tp = byte("tp", r.tp, 1);
    r.ID = positive("ID", r.ID, kMaxPitch);
    r.OD = positive("OD", r.OD, kMaxPitch);
    r.tf = positive("tf", r.tf, kMaxPitch);
    r.fc = positive("fc", r.fc, 100);
    r.ft = positive("ft", r.ft, 100);
    r.Rifle = file.ReadBool(fat, "Rifle", r.Rifle);
    r.Sections = file.ReadIntIn(fat, "Sections", r.Sections, 1, 1000);
    r.Mf = byte("Mf", r.Mf, lastMaterial);
    r.Mt = byte("Mt", r.Mt, lastMaterial);
    r.Mc = byte("Mc", r.Mc, lastMaterial);
    r.tc = file.ReadFloatIn(fat, "tc", r.tc, 0, kMaxPitch);
    // A project without a fin type is a plain-fin coil; an unknown word keeps the current type.
    const std::string finType = file.ReadText(fat, "FinType", "plain");
    r.Fin.Type = FinTypeOfKey(finType).value_or(r.Fin.Type);
    r.Fin.LouverPitch = file.ReadFloatIn(fat, "LouverPitch", 0, 0, kMaxPitch);
    r.Fin.LouverHeight = file.ReadFloatIn(fat, "LouverHeight", 0, 0, kMaxPitch);
    r.Fin.WaveDepth = file.ReadFloatIn(fat, "WaveDepth", 0, 0, kMaxPitch);
    r.Fin.WavePitch = file.ReadFloatIn(fat, "WavePitch", 0, 0, kMaxPitch);

    const int earlier = TakeError();
    MatchCatalogue(catalogue);
    if (TakeError() != 0) {
        // A stored record whose areas or efficiencies come out without a value: the coil keeps
        // the geometry it had.
        Rec = before;
        Recalculate();
        TakeError();
    }
    ErrorCode = earlier;
    return true;
}

} // namespace zmk
