// zemtor geometry: derives a coil's geometry from a size text and a catalogue pattern, and prints
// it with the manufacturing report, as text or as JSON. Exit status: 0 done; 1 a wrong argument
// (a size text that does not read, a tube code the maker has no pattern for) or an error; 2 a
// geometry that cannot be calculated.
#include "cli/Commands.h"

#include "base/JsonWriter.h"
#include "base/Notifier.h"
#include "base/NumText.h"
#include "base/TextHelpers.h"
#include "base/Utf8.h"
#include "cli/ProjectCli.h"
#include "geometry/CoilMakers.h"
#include "geometry/FinAndTube.h"
#include "units/ConvTools.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace zmk::cli {

namespace {

struct GeometryOptions
{
    std::string size;
    std::string maker = "typical";
    int tube = 4;
    int kind = 5;
    std::string catalog;
    bool json = false;
};

// Catalogue messages go to the error stream, so that the output stays the geometry alone.
class StderrNotifier : public INotifier
{
public:
    void Message(const std::string& text) override { std::cerr << "zemtor: " << TerminalText(text) << "\n"; }
};

std::string StripTags(const std::string& line)
{
    std::string out;
    bool inTag = false;
    for (char c : line) {
        if (c == '<')
            inTag = true;
        else if (c == '>' && inTag)
            inTag = false;
        else if (!inTag)
            out += c;
    }
    return out;
}

// Values may hold a maker's or a model's name from the catalogue: printed without control
// characters.
void PrintLine(const std::string& key, const std::string& value, const std::string& caption)
{
    std::cout << Utf8PadRight(key, 14) << " " << Utf8PadRight(PrintableText(value), 15) << " " << caption
              << "\n";
}

struct Row
{
    const char* key;
    double value;
    const char* unit;
    const char* caption;
};

std::vector<Row> DerivedRows(const TFinAndTube& g)
{
    return {
        {"Af", g.Af, "m²", "face area"},
        {"TubesHigh", static_cast<double>(g.TubesHigh), "", "tubes high"},
        {"TubeCount", g.TubeCount, "", "tube count"},
        {"Fp", g.Fp, "m", "fin pitch"},
        {"FinCount", g.FinCount, "", "fin count"},
        {"Depth", g.Depth, "m", "coil depth"},
        {"Dc", g.Dc, "m", "fin collar diameter"},
        {"EqFinHeight", g.EqFinHeight, "m", "equivalent fin height"},
        {"Afin", g.Afin, "m²", "fin area"},
        {"Ao", g.Ao, "m²", "outside area"},
        {"AoAfRow", g.AoAfRow, "", "outside area per face area per row"},
        {"Sigma", g.Sigma, "", "free-flow area ratio"},
        {"Amin", g.Amin, "m²", "minimum free-flow area"},
        {"Dh", g.Dh, "m", "hydraulic diameter"},
        {"Ax", g.Ax, "m²", "tube cross-section"},
        {"Ai", g.Ai, "m²", "inside area"},
        {"AoAi", g.AoAi, "", "outside/inside area"},
        {"Vi", g.Vi, "m³", "internal volume"},
        {"mL", g.mL, "", "fin parameter m·l"},
        {"EtaF", g.EtaF, "", "fin efficiency"},
        {"EtaO", g.EtaO, "", "surface efficiency"},
        {"TubeWeight", g.TubeWeight, "kg", "tube weight"},
        {"FinWeight", g.FinWeight, "kg", "fin weight"},
        {"CasingWeight", g.CasingWeight, "kg", "casing weight"},
        {"BendWeight", g.BendWeight, "kg", "bend weight"},
        {"HeaderWeight", g.HeaderWeight, "kg", "header weight"},
        {"DryWeight", g.DryWeight, "kg", "dry weight"},
    };
}

// The members of a JSON object, written in the order of their keys; setting a key again replaces
// its value.
class SortedMembers
{
public:
    template <typename T> void Set(const std::string& key, const T& v)
    {
        if constexpr (std::is_convertible_v<const T&, std::string_view>)
            members_[key] = [text = std::string(std::string_view(v))](TJsonWriter& w) { w.Value(text); };
        else
            members_[key] = [v](TJsonWriter& w) { w.Value(v); };
    }
    void SetObject(const std::string& key, const SortedMembers& object)
    {
        members_[key] = [object](TJsonWriter& w) { object.Write(w); };
    }
    void SetLines(const std::string& key, const std::vector<std::string>& lines)
    {
        members_[key] = [lines](TJsonWriter& w) {
            w.BeginArray();
            for (const std::string& line : lines)
                w.Value(line);
            w.EndArray();
        };
    }
    void Write(TJsonWriter& w) const
    {
        w.BeginObject();
        for (const auto& [key, value] : members_) {
            w.Key(key);
            value(w);
        }
        w.EndObject();
    }

private:
    std::map<std::string, std::function<void(TJsonWriter&)>> members_;
};

SortedMembers ModelJson(const TModelRec& r)
{
    SortedMembers j;
    j.Set("Mnf", r.Mnf);
    j.Set("Tube", r.Tube);
    j.Set("Model", r.Model);
    j.Set("Code", r.Code);
    j.Set("fHeight", r.fHeight);
    j.Set("fLength", r.fLength);
    j.Set("Rows", r.Rows);
    j.Set("fpi", r.fpi);
    j.Set("Circ", r.Circ);
    j.Set("cb", r.cb);
    j.Set("Serp", r.Serp);
    j.Set("Sx", r.Sx);
    j.Set("Sy", r.Sy);
    j.Set("tp", r.tp);
    j.Set("ID", r.ID);
    j.Set("OD", r.OD);
    j.Set("tf", r.tf);
    j.Set("fc", r.fc);
    j.Set("ft", r.ft);
    j.Set("Rifle", r.Rifle);
    j.Set("Sections", r.Sections);
    j.Set("Mf", r.Mf);
    j.Set("Mt", r.Mt);
    j.Set("Mc", r.Mc);
    j.Set("tc", r.tc);
    return j;
}

void PrintJson(TFinAndTube& g, const std::vector<std::string>& report)
{
    SortedMembers j = ModelJson(g.Rec);
    // Names from the catalogue, as the text output shows them.
    j.Set("Mnf", PrintableText(g.Rec.Mnf));
    j.Set("Model", PrintableText(g.Rec.Model));
    j.Set("SizeText", g.SizeText);
    for (const Row& row : DerivedRows(g))
        j.Set(row.key, row.value);
    j.Set("TubesHigh", g.TubesHigh);
    j.Set("Connections", g.Connections);
    j.Set("ConnectionsName", ConnectionName(g.Connections));
    j.Set("SerpName", SerpentineName(g.Rec.Serp));
    const TTubeSideGeometry t = g.GetTubeSide();
    SortedMembers tube;
    tube.Set("ID", t.ID);
    tube.Set("Wall", t.Wall);
    tube.Set("kTube", t.kTube);
    tube.Set("AiPerCircuit", t.AiPerCircuit);
    tube.Set("TubeArea", t.TubeArea);
    tube.Set("FlowArea", t.FlowArea);
    tube.Set("Perimeter", t.Perimeter);
    tube.Set("EqLength", t.EqLength);
    tube.Set("CircuitLength", t.CircuitLength);
    j.SetObject("TubeSide", tube);
    j.Set("MakerDesignation", PrintableText(g.MakerDesignation()));
    j.Set("TubeLine", PrintableText(g.TubeLine()));
    std::vector<std::string> lines;
    for (const std::string& line : report)
        lines.push_back(PrintableText(StripTags(line)));
    j.SetLines("ManufacturingReport", lines);
    TJsonWriter w(2);
    j.Write(w);
    std::cout << w.Text() << "\n";
}

void PrintText(TFinAndTube& g, const std::vector<std::string>& report)
{
    PrintLine("SizeText", g.SizeText, "size text");
    PrintLine("TubeLine", g.TubeLine(), "tube line");
    for (const Row& row : DerivedRows(g))
        PrintLine(row.key, Format("%0.6g", row.value) + " " + row.unit, row.caption);
    PrintLine("Connections", ConnectionName(g.Connections), "header ends");
    PrintLine("Serp", SerpentineName(g.Rec.Serp), "serpentine");
    const TTubeSideGeometry t = g.GetTubeSide();
    PrintLine("EqLength", Format("%0.6g m", t.EqLength), "equivalent circuit length");
    PrintLine("CircuitLength", Format("%0.6g m", t.CircuitLength), "circuit length");
    std::cout << "\n";
    for (const std::string& line : report) {
        if (line == "<pre>" || line == "</pre>")
            continue;
        std::cout << PrintableText(StripTags(line)) << "\n";
    }
}

// The tube size codes of the maker's patterns, as a list for a message ("3, 4, 5").
std::string tubeCodes(const TMnfRecVec& models)
{
    std::vector<int> codes;
    for (const TMnfRec& m : models)
        if (std::find(codes.begin(), codes.end(), m.D) == codes.end())
            codes.push_back(m.D);
    std::sort(codes.begin(), codes.end());
    std::string text;
    for (const int code : codes)
        text += (text.empty() ? "" : ", ") + std::to_string(code);
    return text;
}

// Whether the maker has a pattern for the tube code, as the catalogue's selection takes it
// (a code above 100 also matches the pattern 100 below it).
bool hasTube(const TMnfRecVec& models, int tube)
{
    return std::any_of(models.begin(), models.end(),
                       [&](const TMnfRec& m) { return m.D == tube || (tube > 100 && m.D + 100 == tube); });
}

// Exit status as the other commands give it: 1 for a wrong argument or an error, 2 for a
// geometry that cannot be calculated.
void RunGeometry(const GeometryOptions& options)
{
    // The size text reads a minus as a separator: "-600" would be taken as 600.
    if (const std::string negative = NegativeSizeNumber(options.size); !negative.empty()) {
        std::cerr
            << "zemtor geometry: size text \"" << PrintableText(options.size)
            << "\": " << PrintableText(negative)
            << " is negative; the height, length, rows, fins per inch and circuits are sizes above zero\n";
        throw CLI::RuntimeError(1);
    }
    TSizeValues values;
    if (const int code = ParseSizeText(options.size, values); code != 0) {
        std::cerr << "zemtor geometry: size text \"" << PrintableText(options.size) << "\" error " << code
                  << ": " << SizeErrorText(code) << "\n";
        throw CLI::RuntimeError(1);
    }
    StderrNotifier notifier;
    TCoilMakers& catalogue = ProcessCoilMakers();
    if (!options.catalog.empty())
        catalogue.Reset(options.catalog);
    catalogue.SetNotifier(&notifier);
    // A tube code the maker does not build would silently give another pattern.
    catalogue.LoadMaker(options.maker);
    if (!catalogue.Models().empty() && !hasTube(catalogue.Models(), options.tube)) {
        catalogue.SetNotifier(nullptr);
        std::cerr << "zemtor geometry: --tube " << options.tube << ": the maker \""
                  << PrintableText(catalogue.CachedMaker())
                  << "\" has no pattern of that tube size code (it has " << tubeCodes(catalogue.Models())
                  << ")\n";
        throw CLI::RuntimeError(1);
    }
    if (const std::string unread = LoadUnitSettings(); !unread.empty())
        std::cerr << "zemtor geometry: " << unread << ". The default units are used.\n";
    TFinAndTube g(options.maker, options.tube, options.kind, options.size, &catalogue);
    catalogue.SetNotifier(nullptr);
    if (const int code = g.TakeError(); code != 0) {
        std::cerr << "zemtor geometry: the geometry cannot be calculated (error " << code << ": "
                  << SizeErrorText(code) << ")\n";
        throw CLI::RuntimeError(2);
    }
    const std::vector<std::string> report = g.ManufacturingReport();
    if (options.json)
        PrintJson(g, report);
    else
        PrintText(g, report);
}

} // namespace

void AddGeometryCommand(CLI::App& app)
{
    auto options = std::make_shared<GeometryOptions>();
    auto* cmd =
        app.add_subcommand("geometry", "Derive a coil's geometry from a size text and a catalogue pattern "
                                       "and print it with the manufacturing report");
    cmd->add_option("SIZE", options->size,
                    "Size text: height mm x length mm, rows, fins per inch, circuits, "
                    "as \"600 x 1200 4r 12f 16c\"")
        ->required();
    cmd->add_option("--maker", options->maker, "Coil maker in the catalogue")->capture_default_str();
    cmd->add_option("--tube", options->tube, "Tube size code: eighths of an inch (4 = 1/2\"), or 100 + mm")
        ->capture_default_str();
    cmd->add_option("--kind", options->kind, "Coil kind code 0..5 (CW, HW, ST, DX, CD, ZM)")
        ->check(CLI::Range(0, 5))
        ->capture_default_str();
    cmd->add_option("--catalog", options->catalog,
                    "The coil maker catalogue (default: CoilMakers.xml in the common data folder)");
    cmd->add_flag("--json", options->json, "Print every field as JSON");
    cmd->callback([options] { RunGeometry(*options); });
}

} // namespace zmk::cli
