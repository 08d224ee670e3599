// zemtor units: the command-line face of the Units dialog. Lists every registered quantity
// with its display unit, and switches all quantities to metric or imperial units or sets one
// quantity's unit, saving the choice in units.ini.
#include "cli/Commands.h"

#include "base/JsonWriter.h"
#include "base/NumText.h"
#include "base/Utf8.h"
#include "units/ConvTools.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace zmk::cli {

namespace {

struct UnitsOptions
{
    bool json = false;
    bool metric = false;
    bool imperial = false;
    std::vector<std::string> sets;
    std::string file;
};

// One "section/key=index" assignment, checked against the registry and the kind's list.
void ApplySet(TQuantities& quantities, const std::string& assignment)
{
    const std::size_t eq = assignment.find('=');
    const std::size_t slash = assignment.find('/');
    if (eq == std::string::npos || slash == std::string::npos || slash > eq)
        throw std::runtime_error("--set expects section/key=index, as air/t=1, not '" + assignment + "'");
    const std::string section = assignment.substr(0, slash);
    const std::string key = assignment.substr(slash + 1, eq - slash - 1);
    const std::string indexText = assignment.substr(eq + 1);
    UnitRec* q = quantities.Find(section, key);
    if (!q)
        throw std::runtime_error("unknown quantity '" + section + "/" + key + "'");
    const int count = UnitCount(q->kind);
    long long index;
    if (!TryStrToInt(indexText, index) || index < 0 || index >= count)
        throw std::runtime_error("unit index '" + indexText + "' is out of range for " + section + "/" + key +
                                 " (" + std::string(UnitsTypeCaption(q->kind)) + ": 0 to " +
                                 std::to_string(count - 1) + ")");
    q->display = static_cast<int>(index);
}

void PrintJson(const TQuantities& quantities)
{
    // The members of each quantity in the order of their keys.
    TJsonWriter j(2);
    j.BeginArray();
    for (const UnitRec* q : quantities.List()) {
        j.BeginObject();
        j.Member("base", q->base);
        j.Member("caption", UnitsTypeCaption(q->kind));
        j.Member("display", q->display);
        j.Member("key", q->key);
        j.Member("kind", UnitsTypeName(q->kind));
        j.Member("section", q->section);
        j.Member("stored", UnitLabel(q->kind, q->base));
        j.Member("unit", UnitLabel(q->kind, q->display));
        j.Key("units").BeginArray();
        for (const std::string& label : UnitLabels(q->kind))
            j.Value(label);
        j.EndArray();
        j.EndObject();
    }
    j.EndArray();
    std::cout << j.Text() << "\n";
}

void PrintTable(const TQuantities& quantities)
{
    std::vector<std::vector<std::string>> rows{{"section", "key", "kind", "index", "unit"}};
    for (const UnitRec* q : quantities.List())
        rows.push_back({q->section, q->key, std::string(UnitsTypeCaption(q->kind)),
                        std::to_string(q->display), std::string(UnitLabel(q->kind, q->display))});
    std::vector<std::size_t> width(rows.front().size(), 0);
    for (const auto& row : rows)
        for (std::size_t c = 0; c < row.size(); ++c)
            width[c] = std::max(width[c], Utf8Length(row[c]));
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c) {
            line += row[c];
            if (c + 1 < row.size())
                line.append(width[c] - Utf8Length(row[c]) + 2, ' ');
        }
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        std::cout << line << "\n";
    }
}

void RunUnits(const UnitsOptions& options)
{
    const std::filesystem::path file =
        options.file.empty() ? UnitsIniPath() : std::filesystem::path(options.file);
    TQuantities& quantities = Quantities();
    const std::string unread = LoadUnitSettings(quantities, file);
    const bool change = options.metric || options.imperial || !options.sets.empty();
    if (options.metric)
        SetAllMetric(quantities);
    if (options.imperial)
        SetAllImperial(quantities);
    for (const std::string& s : options.sets)
        ApplySet(quantities, s);
    std::string error;
    if (change && !SaveUnitSettings(quantities, file, &error))
        throw std::runtime_error("the unit choices were not saved: " + error);
    // A file that could not be read is left as it is; the list shows the default units.
    if (!unread.empty())
        std::cerr << "zemtor: " << unread << ". The default units are used and the file is left as it is.\n";
    if (options.json)
        PrintJson(quantities);
    else
        PrintTable(quantities);
}

} // namespace

void AddUnitsCommand(CLI::App& app)
{
    auto options = std::make_shared<UnitsOptions>();
    auto* cmd = app.add_subcommand("units", "List the registered quantities and their display units; "
                                            "--metric, --imperial and --set change them and save units.ini");
    cmd->add_flag("--json", options->json, "Print the list as JSON");
    auto* metric = cmd->add_flag("--metric", options->metric, "Show every quantity in metric units");
    auto* imperial =
        cmd->add_flag("--imperial", options->imperial, "Show every quantity in inch-pound units");
    metric->excludes(imperial);
    cmd->add_option("--set", options->sets,
                    "Set one quantity's display unit by index, as air/t=1 (repeatable)")
        ->type_name("SECTION/KEY=INDEX");
    cmd->add_option("--file", options->file,
                    "The units file (default $XDG_DATA_HOME/Quorvane/Coils/units.ini, "
                    "$XDG_DATA_HOME defaulting to ~/.local/share)");
    cmd->callback([options] { RunUnits(*options); });
}

} // namespace zmk::cli
