// The Units dialog's tree and the unit chooser's size, without widgets.
#include "dialogs/Units.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zmk {
namespace {

TEST(UnitsDialogTest, TreeGroupsEveryQuantityBySectionInRegistryOrder)
{
    TQuantities quantities;
    TUnitsTree tree(quantities);
    EXPECT_FALSE(tree.Built());
    tree.EnsureBuilt();
    std::vector<std::string> sections;
    std::size_t nodes = 0;
    for (const TUnitCategory& c : tree.Categories()) {
        sections.push_back(c.Section);
        nodes += c.Nodes.size();
    }
    EXPECT_THAT(sections, ::testing::ElementsAre("fat", "place", "air", "ref", "liquid", "steam", "sat",
                                                 "wcc", "chiller", "plate", "barepipe", "hex", "general"));
    EXPECT_EQ(nodes, static_cast<std::size_t>(QuantityCount));
    // air/t is the third quantity of "air", shown in °C with the three temperature units to choose.
    const TUnitNode& t = tree.Node(2, 2);
    EXPECT_EQ(t.Key, "t");
    EXPECT_EQ(t.Quantity, &quantities.air_t);
    EXPECT_EQ(tree.UnitLabel(2, 2), "°C");
    EXPECT_EQ(tree.Choices(2, 2).size(), 3u);
    EXPECT_THROW(tree.Node(99, 0), std::out_of_range);
}

TEST(UnitsDialogTest, EditsWriteAtOnceAndMetricOrImperialRefreshTheCopies)
{
    TQuantities quantities;
    TUnitsTree tree(quantities);
    tree.EnsureBuilt();
    tree.SetUnit(2, 2, 1);
    EXPECT_EQ(quantities.air_t.display, 1);
    EXPECT_EQ(tree.UnitLabel(2, 2), "°F");
    tree.SetUnit(2, 2, 99); // clamped into the kind's list
    EXPECT_EQ(quantities.air_t.display, 2);

    // A unit changed elsewhere after the tree was built is not in it until Metric or Imperial.
    const int builtWith = quantities.air_dp.display;
    quantities.air_dp.display = builtWith == 0 ? 1 : 0;
    tree.EnsureBuilt();
    std::size_t dp = 0;
    const auto& air = tree.Categories()[2].Nodes;
    while (air[dp].Key != "dp")
        ++dp;
    EXPECT_EQ(tree.Node(2, dp).Display, builtWith);

    tree.Imperial();
    EXPECT_EQ(tree.UnitLabel(2, 2), "°F");
    EXPECT_EQ(tree.UnitLabel(2, dp), "InchWg");
    EXPECT_EQ(tree.Node(2, dp).Display, quantities.air_dp.display);
    tree.Metric();
    EXPECT_EQ(tree.UnitLabel(2, 2), "°C");
    EXPECT_EQ(tree.Node(2, dp).Display, quantities.air_dp.display);
}

TEST(UnitsDialogTest, ChooserSize)
{
    struct Case
    {
        double itemHeight;
        int items, widest;
        int width, height;
    };
    const Case cases[] = {
        {16, 3, 20, 60, 56},  // three temperature units: 3.5 items high, at least 50 wide
        {15, 3, 20, 60, 53},  // 52.5 rounds up
        {17, 8, 73, 83, 145}, // wide labels set the width
        {16, 1, 50, 60, 24},
    };
    for (const Case& c : cases) {
        const TChooserSize s = UnitChooserSize(c.itemHeight, c.items, c.widest);
        EXPECT_EQ(s.Width, c.width) << c.items;
        EXPECT_EQ(s.Height, c.height) << c.items;
    }
}

} // namespace
} // namespace zmk
