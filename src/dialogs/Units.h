// The two places where the user picks display units, as contents and rules without widgets:
// the Units dialog's tree (every registered quantity under its section, each with its display
// unit and the list to choose from, plus "Metric" and "Imperial"), and the size of the small
// unit chooser that opens from an entry field's unit label.
#pragma once

#include "units/ConvTools.h"

#include <cstddef>
#include <string>
#include <vector>

namespace zmk {

/// One quantity of the tree: its key, its own copy of the display index (taken when the tree
/// was built or last refreshed) and the quantity it writes to.
struct TUnitNode
{
    UnitRec* Quantity = nullptr;
    std::string Key; ///< the quantity's key, shown in the first column ("t")
    int Display = 0; ///< the node's copy of the display index
};

/// One section of the tree, with its quantities in registry order.
struct TUnitCategory
{
    std::string Section; ///< "air"
    std::vector<TUnitNode> Nodes;
};

/// The Units dialog's tree. It is built once, the first time the dialog is shown, and reused
/// as it stands afterwards: a unit changed elsewhere (through a field's unit label) shows only
/// after "Metric" or "Imperial" refreshes the copies.
class TUnitsTree
{
public:
    /// A tree over a registry (the program's by default).
    explicit TUnitsTree(TQuantities& quantities = Quantities());

    /// Builds the tree the first time it is called; later calls keep it as it is.
    void EnsureBuilt();
    /// Empties the tree and adds one node per registered quantity, grouped into one category
    /// per section in the order each section first occurs.
    void Build();
    bool Built() const { return built_; }

    const std::vector<TUnitCategory>& Categories() const { return categories_; }
    /// The node at (category, node); throws std::out_of_range for a position not in the tree.
    const TUnitNode& Node(std::size_t category, std::size_t node) const;
    /// The unit labels the node's drop-down offers.
    std::vector<std::string> Choices(std::size_t category, std::size_t node) const;
    /// The label of the node's copy of the display unit.
    std::string UnitLabel(std::size_t category, std::size_t node) const;

    /// The user picked a unit in a node's drop-down: the node's copy and the quantity's display
    /// index both take it at once (clamped into the kind's list), so the next page uses it.
    void SetUnit(std::size_t category, std::size_t node, int index);
    /// "Metric": every quantity to its kind's metric unit, then every copy refreshed.
    void Metric();
    /// "Imperial": every quantity to its kind's inch-pound unit, then every copy refreshed.
    void Imperial();
    /// Every node's copy taken again from its quantity.
    void Refresh();

private:
    TUnitNode& node(std::size_t category, std::size_t node);
    TQuantities& quantities_;
    std::vector<TUnitCategory> categories_;
    bool built_ = false;
};

/// Size of the unit chooser window, pixels.
struct TChooserSize
{
    int Width = 0;
    int Height = 0;
};

/// The chooser is as high as its list's items plus half an item (rounded to the nearest pixel),
/// so three units show as 3.5 items; as wide as the widest label's text, at least 50, plus 10.
TChooserSize UnitChooserSize(double itemHeight, int itemCount, int widestTextWidth);

} // namespace zmk
