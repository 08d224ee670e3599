#include "dialogs/Units.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace zmk {

TUnitsTree::TUnitsTree(TQuantities& quantities) : quantities_(quantities) {}

void TUnitsTree::EnsureBuilt()
{
    if (!built_)
        Build();
}

void TUnitsTree::Build()
{
    categories_.clear();
    for (UnitRec* q : quantities_.List()) {
        auto it = std::find_if(categories_.begin(), categories_.end(),
                               [&](const TUnitCategory& c) { return c.Section == q->section; });
        if (it == categories_.end())
            it = categories_.insert(categories_.end(), TUnitCategory{q->section, {}});
        it->Nodes.push_back(TUnitNode{q, q->key, q->display});
    }
    built_ = true;
}

TUnitNode& TUnitsTree::node(std::size_t category, std::size_t index)
{
    return categories_.at(category).Nodes.at(index);
}

const TUnitNode& TUnitsTree::Node(std::size_t category, std::size_t index) const
{
    return categories_.at(category).Nodes.at(index);
}

std::vector<std::string> TUnitsTree::Choices(std::size_t category, std::size_t index) const
{
    return UnitLabels(Node(category, index).Quantity->kind);
}

std::string TUnitsTree::UnitLabel(std::size_t category, std::size_t index) const
{
    const TUnitNode& n = Node(category, index);
    const std::vector<std::string> labels = UnitLabels(n.Quantity->kind);
    if (n.Display < 0 || n.Display >= static_cast<int>(labels.size()))
        return std::string();
    return labels[static_cast<std::size_t>(n.Display)];
}

void TUnitsTree::SetUnit(std::size_t category, std::size_t index, int unit)
{
    TUnitNode& n = node(category, index);
    n.Display = ClampUnitIndex(n.Quantity->kind, unit);
    n.Quantity->display = n.Display;
}

void TUnitsTree::Metric()
{
    SetAllMetric(quantities_);
    Refresh();
}

void TUnitsTree::Imperial()
{
    SetAllImperial(quantities_);
    Refresh();
}

void TUnitsTree::Refresh()
{
    for (TUnitCategory& c : categories_)
        for (TUnitNode& n : c.Nodes)
            n.Display = n.Quantity->display;
}

TChooserSize UnitChooserSize(double itemHeight, int itemCount, int widestTextWidth)
{
    TChooserSize size;
    size.Height = static_cast<int>(std::lround(itemHeight * (itemCount + 0.5)));
    size.Width = std::max(50, widestTextWidth) + 10;
    return size;
}

} // namespace zmk
