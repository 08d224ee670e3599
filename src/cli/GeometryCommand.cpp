// zemtor geometry: derives a coil's geometry from a size text and a catalogue pattern, and prints
// it with the manufacturing report, as text or as JSON. Exit status: 0 done; 1 a wrong argument
// (a size text that does not read, a tube code the maker has no pattern for) or an error; 2 a
// geometry that cannot be calculated.
#include "cli/Commands.h"

#include "base/Notifier.h"
#include "base/NumText.h"
#include "base/TextHelpers.h"
#include "base/Utf8.h"
#include "cli/ProjectCli.h"
#include "geometry/CoilMakers.h"
#include "geometry/FinAndTube.h"
#include "units/ConvTools.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <iostream>
#include <memory>
#include <string>
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

nlohmann::json ModelJson(const TModelRec& r)
{
    return {{"Mnf", r.Mnf},   {"Tube", r.Tube},       {"Model", r.Model},
            {"Code", r.Code}, {"fHeight", r.fHeight}, {"fLength", r.fLength},
            {"Rows", r.Rows}, {"fpi", r.fpi},         {"Circ", r.Circ},
            {"cb", r.cb},     {"Serp", r.Serp},       {"Sx", r.Sx},
            {"Sy", r.Sy},     {"tp", r.tp},           {"ID", r.ID},
            {"OD", r.OD},     {"tf", r.tf},           {"fc", r.fc},
            {"ft", r.ft},     {"Rifle", r.Rifle},     {"Sections", r.Sections},
            {"Mf", r.Mf},     {"Mt", r.Mt},           {"Mc", r.Mc},
            {"tc", r.tc}};
}

void PrintJson(TFinAndTube& g, const std::vector<std::string>& report)
{
    nlohmann::json j = ModelJson(g.Rec);
    // Names from the catalogue, as the text output shows them.
    j["Mnf"] = PrintableText(g.Rec.Mnf);
    j["Model"] = PrintableText(g.Rec.Model);
    j["SizeText"] = g.SizeText;
    for (const Row& row : DerivedRows(g))
        j[row.key] = row.value;
    j["TubesHigh"] = g.TubesHigh;
    j["Connections"] = g.Connections;
    j["ConnectionsName"] = ConnectionName(g.Connections);
    j["SerpName"] = SerpentineName(g.Rec.Serp);
    const TTubeSideGeometry t = g.GetTubeSide();
    j["TubeSide"] = {{"ID", t.ID},
                     {"Wall", t.Wall},
                     {"kTube", t.kTube},
                     {"AiPerCircuit", t.AiPerCircuit},
                     {"TubeArea", t.TubeArea},
                     {"FlowArea", t.FlowArea},
                     {"Perimeter", t.Perimeter},
                     {"EqLength", t.EqLength},
                     {"CircuitLength", t.CircuitLength}};
    j["MakerDesignation"] = PrintableText(g.MakerDesignation());
    j["TubeLine"] = PrintableText(g.TubeLine());
    nlohmann::json lines = nlohmann::json::array();
    for (const std::string& line : report)
        lines.push_back(PrintableText(StripTags(line)));
    j["ManufacturingReport"] = lines;
    std::cout << j.dump(2) << "\n";
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
