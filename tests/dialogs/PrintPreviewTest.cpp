// The print preview's model: zoom factors and their label, where the pages go, the page label
// and paging, the grid, and the print range.
#include "dialogs/PrintPreview.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace zmk {
namespace {

constexpr double kA4Width = 8.27, kA4Height = 11.69; // inches

TEST(PrintPreview, ZoomChoicesAndFactors)
{
    const std::vector<std::pair<std::string, double>> expected = {
        {"Fit To Page", 0}, {"Fit To Width", 0}, {"Custom", 0}, {"25%", 0.25}, {"50%", 0.5},  {"75%", 0.75},
        {"100%", 1.0},      {"125%", 1.25},      {"150%", 1.5}, {"200%", 2.0}, {"300%", 3.0}, {"400%", 4.0}};
    ASSERT_EQ(ZoomChoices().size(), expected.size());
    TPrintPreview p;
    p.SetPages(2, kA4Width, kA4Height);
    p.SetViewport(800, 620, 96);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(ZoomChoices()[i].Caption, expected[i].first);
        if (expected[i].second > 0) {
            p.SelectZoom(static_cast<int>(i));
            EXPECT_DOUBLE_EQ(p.Zoom(), expected[i].second);
            EXPECT_EQ(p.ZoomLabel(), expected[i].first);
        }
    }

    // The preview opens at "Fit To Page": the page area's height less 20 pixels holds the page.
    TPrintPreview fresh;
    fresh.SetPages(1, kA4Width, kA4Height);
    fresh.SetViewport(800, 620, 96);
    EXPECT_EQ(fresh.ZoomIndex(), kZoomFitToPage);
    EXPECT_DOUBLE_EQ(fresh.Zoom(), (620 - 20) / 96.0 / kA4Height);
    EXPECT_EQ(fresh.ZoomLabel(), "53%");
    fresh.SelectZoom(kZoomFitToWidth);
    EXPECT_DOUBLE_EQ(fresh.Zoom(), (800 - 20) / 96.0 / kA4Width);
    EXPECT_EQ(fresh.ZoomLabel(), "98%");
    // A fitted factor follows the window's size.
    fresh.SetViewport(1200, 620, 96);
    EXPECT_DOUBLE_EQ(fresh.Zoom(), (1200 - 20) / 96.0 / kA4Width);

    // "Custom" keeps the factor in use, whatever the window does next.
    fresh.SelectZoom(kZoomCustom);
    EXPECT_DOUBLE_EQ(fresh.Zoom(), (1200 - 20) / 96.0 / kA4Width);
    fresh.SetViewport(300, 300, 96);
    EXPECT_DOUBLE_EQ(fresh.Zoom(), (1200 - 20) / 96.0 / kA4Width);
    fresh.SelectZoom(8);
    fresh.SelectZoom(kZoomCustom);
    EXPECT_DOUBLE_EQ(fresh.Zoom(), 1.5);
    // Anything else is 100%.
    fresh.SelectZoom(42);
    EXPECT_DOUBLE_EQ(fresh.Zoom(), 1.0);
    EXPECT_EQ(fresh.ZoomLabel(), "100%");
    // A page area smaller than its margins still shows a page, never a negative size.
    fresh.SelectZoom(kZoomFitToPage);
    fresh.SetViewport(10, 10, 96);
    EXPECT_GT(fresh.Zoom(), 0);
    EXPECT_GE(fresh.PageWidthPixels(), 1);
}

TEST(PrintPreview, PagesAreCentredOrTenPixelsFromTheEdge)
{
    TPrintPreview p;
    p.SetPages(3, 8.5, 11);
    p.SetViewport(1000, 1200, 96);
    p.SelectZoom(6); // 100%: a letter page is 816 x 1056 pixels
    EXPECT_EQ(p.PageRects(), (std::vector<TPageRect>{{0, 92, 72, 816, 1056}}));
    EXPECT_EQ(p.ContentWidth(), 1000);

    // Two pages do not fit across: they start 10 pixels from the edge, 20 pixels apart.
    p.SetTwoPages(true);
    EXPECT_EQ(p.PageRects(), (std::vector<TPageRect>{{0, 10, 72, 816, 1056}, {1, 846, 72, 816, 1056}}));
    EXPECT_EQ(p.ContentWidth(), 1652 + 20);
    // At 50% they fit and are centred together.
    p.SelectZoom(4);
    EXPECT_EQ(p.PageRects(), (std::vector<TPageRect>{{0, 82, 336, 408, 528}, {1, 510, 336, 408, 528}}));
    // On the last page there is no second one.
    p.Last();
    EXPECT_EQ(p.PageRects(), (std::vector<TPageRect>{{2, 296, 336, 408, 528}}));
    // Taller than the page area: 10 pixels from the top.
    p.SelectZoom(11);
    EXPECT_EQ(p.PageRects()[0].Top, 10);
    EXPECT_EQ(p.ContentHeight(), 4224 + 20);
}

TEST(PrintPreview, PageLabelAndPaging)
{
    TPrintPreview p;
    EXPECT_EQ(p.PageLabel(), "Page 0 of 0");
    EXPECT_FALSE(p.NextEnabled() || p.PrevEnabled() || p.FirstEnabled() || p.LastEnabled() ||
                 p.GoToEnabled());
    EXPECT_TRUE(p.PageRects().empty());
    EXPECT_TRUE(p.PagesToPrint(true).empty());

    p.SetPages(3, kA4Width, kA4Height);
    struct Step
    {
        std::function<void()> act;
        const char* label;
        bool prev, next;
    };
    const Step steps[] = {
        {[] {}, "Page 1 of 3", false, true},
        {[&] { p.Next(); }, "Page 2 of 3", true, true},
        {[&] { p.Next(); }, "Page 3 of 3", true, false},
        {[&] { p.Next(); }, "Page 3 of 3", true, false},
        {[&] { p.First(); }, "Page 1 of 3", false, true},
        {[&] { p.Prev(); }, "Page 1 of 3", false, true},
        {[&] { p.Last(); }, "Page 3 of 3", true, false},
        {[&] { EXPECT_FALSE(p.GoTo(4)); }, "Page 3 of 3", true, false},
        {[&] { EXPECT_FALSE(p.GoTo(0)); }, "Page 3 of 3", true, false},
        {[&] { EXPECT_TRUE(p.GoTo(2)); }, "Page 2 of 3", true, true},
    };
    for (const Step& s : steps) {
        s.act();
        EXPECT_EQ(p.PageLabel(), s.label);
        EXPECT_EQ(p.PrevEnabled(), s.prev) << s.label;
        EXPECT_EQ(p.FirstEnabled(), s.prev) << s.label;
        EXPECT_EQ(p.NextEnabled(), s.next) << s.label;
        EXPECT_EQ(p.LastEnabled(), s.next) << s.label;
    }
    // A new document starts at its first page.
    p.SetPages(1, kA4Width, kA4Height);
    EXPECT_EQ(p.PageLabel(), "Page 1 of 1");
    EXPECT_FALSE(p.GoToEnabled());
}

TEST(PrintPreview, GridEveryInchOrCentimetre)
{
    TPrintPreview p;
    p.SetPages(1, 8.5, 11);
    p.SetViewport(1000, 1200, 96);
    p.SelectZoom(6);
    const TPageRect page = p.PageRects()[0];
    EXPECT_EQ(p.GridColumns(page), (std::vector<int>{188, 284, 380, 476, 572, 668, 764, 860}));
    EXPECT_EQ(p.GridRows(page).size(), 10u);
    EXPECT_EQ(p.GridRows(page).front(), 72 + 96);

    p.GridUnit = TGridUnit::Centimeters;
    EXPECT_DOUBLE_EQ(p.GridStepPixels(), 96 / 2.54);
    const std::vector<int> columns = p.GridColumns(page);
    EXPECT_EQ(columns.size(), 21u); // 8.5 in = 21.59 cm
    EXPECT_EQ(columns[0], 92 + 38);
    EXPECT_EQ(columns[9], 92 + 378);
    EXPECT_STREQ(GridUnitCaption(p.GridUnit), "Centimeters");
    EXPECT_STREQ(GridUnitCaption(TGridUnit::Inches), "Inches");
    EXPECT_EQ(kPreviewGridColor, TColor::FromRgb(0xC0C0C0));
}

TEST(PrintPreview, PrintRange)
{
    TPrintPreview p;
    p.SetPages(3, kA4Width, kA4Height);
    EXPECT_EQ(p.PrintRange().MaxPage, 3);
    EXPECT_EQ(p.PagesToPrint(true), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(p.PagesToPrint(false, 2, 3), (std::vector<int>{1, 2}));
    EXPECT_EQ(p.PagesToPrint(false, 0, 100), (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(p.PagesToPrint(false, 3, 2).empty());
    p.SetPages(12000, kA4Width, kA4Height);
    EXPECT_EQ(p.PrintRange().MaxPage, 9999);
    EXPECT_EQ(p.PagesToPrint(true).size(), 9999u);
}

} // namespace
} // namespace zmk
