// The print preview ("Preview Form") without its widgets: the zoom choices and the factor each
// gives, where one or two pages are drawn in the preview's page area, the page label and the
// paging buttons, the inch or centimetre grid over a page, and the page range offered to the
// print dialog. The window renders the document's pages and draws them where this says.
#pragma once

#include "reports/Raster.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace zmk {

inline constexpr const char* kPrintPreviewTitle = "Preview Form";
inline constexpr const char* kReportPreviewTitle = "Report Preview";
/// The most pages the print dialog offers.
inline constexpr int kMaxPrintPages = 9999;
/// The colour of the grid lines.
inline constexpr TColor kPreviewGridColor = TColor::FromRgb(0xC0C0C0);

/// One entry of the zoom list: its caption and factor (0 for the three that compute theirs).
struct TZoomChoice
{
    const char* Caption;
    double Factor;
};

/// The zoom list in order: "Fit To Page", "Fit To Width", "Custom", then 25% to 400%.
const std::array<TZoomChoice, 12>& ZoomChoices();
inline constexpr int kZoomFitToPage = 0;
inline constexpr int kZoomFitToWidth = 1;
inline constexpr int kZoomCustom = 2;

/// The grid's unit.
enum class TGridUnit { Inches, Centimeters };
/// "Inches" or "Centimeters".
const char* GridUnitCaption(TGridUnit unit);

/// A page's place in the page area, pixels.
struct TPageRect
{
    int Page = 0; ///< 0-based page number
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    friend bool operator==(const TPageRect&, const TPageRect&) = default;
};

/// The page numbers the print dialog allows, 1-based.
struct TPrintPageRange
{
    int MinPage = 1;
    int MaxPage = 1;
};

class TPrintPreview
{
public:
    /// Starts at "Fit To Page" with the inch grid hidden, no pages, a letter-sized page and a
    /// 96-pixel-per-inch screen.
    TPrintPreview();

    /// The rendered document: its page count and page size in inches. The current page goes
    /// back to the first.
    void SetPages(int count, double pageWidthInches, double pageHeightInches);
    /// The page area's client size, pixels, and the screen's pixels per inch.
    void SetViewport(int clientWidth, int clientHeight, double pixelsPerInch);

    // ---- zoom -------------------------------------------------------------------------------

    /// Chooses an entry of the zoom list. "Custom" keeps the factor in use; an index outside the
    /// list gives 100%.
    void SelectZoom(int index);
    int ZoomIndex() const { return zoomIndex_; }
    /// The factor in use: for the two fit entries, recomputed from the page area's size.
    double Zoom() const { return zoom_; }
    /// The zoom label: the factor in percent without decimals, then "%".
    std::string ZoomLabel() const;

    // ---- layout -----------------------------------------------------------------------------

    /// The two-page button.
    void SetTwoPages(bool two) { twoPages_ = two; }
    bool TwoPages() const { return twoPages_; }
    /// The size of one page at the current zoom, pixels.
    int PageWidthPixels() const;
    int PageHeightPixels() const;
    /// The pages drawn: the current one, and with the two-page button down the next one (when
    /// there is one) 20 pixels to its right. The pages are centred where they fit the page
    /// area and 10 pixels from its edge where they do not.
    std::vector<TPageRect> PageRects() const;
    /// The size of what the page area scrolls over, pixels.
    int ContentWidth() const;
    int ContentHeight() const;

    // ---- paging -----------------------------------------------------------------------------

    int PageCount() const { return pageCount_; }
    /// The current page, 0-based.
    int CurrentPage() const { return current_; }
    /// "Page %d of %d" (the current page 1-based); "Page 0 of 0" without pages.
    std::string PageLabel() const;
    bool FirstEnabled() const { return current_ > 0; }
    bool PrevEnabled() const { return current_ > 0; }
    bool NextEnabled() const { return current_ + 1 < pageCount_; }
    bool LastEnabled() const { return current_ + 1 < pageCount_; }
    bool GoToEnabled() const { return pageCount_ > 1; }
    void First();
    void Prev();
    void Next();
    void Last();
    /// Goes to a page given 1-based; false, staying put, when there is no such page.
    bool GoTo(int pageNumber);

    // ---- grid -------------------------------------------------------------------------------

    bool ShowGrid = false;
    TGridUnit GridUnit = TGridUnit::Inches;
    /// The grid's spacing at the current zoom: an inch or a centimetre, pixels.
    double GridStepPixels() const;
    /// The columns and rows of the grid lines inside a drawn page, every grid step from its
    /// left and top edges, pixels.
    std::vector<int> GridColumns(const TPageRect& page) const;
    std::vector<int> GridRows(const TPageRect& page) const;

    // ---- printing ---------------------------------------------------------------------------

    /// The pages the print dialog offers: 1 to the page count, at most 9999.
    TPrintPageRange PrintRange() const;
    /// The pages to print, 0-based: all of the range, or from..to (1-based) held inside it.
    std::vector<int> PagesToPrint(bool all, int from = 1, int to = kMaxPrintPages) const;

private:
    void updateZoom();
    int layoutLeft(int contentWidth) const;
    int layoutTop(int contentHeight) const;

    int pageCount_ = 0;
    int current_ = 0;
    double pageWidth_ = 8.5;   // inches
    double pageHeight_ = 11.0; // inches
    int clientWidth_ = 0;
    int clientHeight_ = 0;
    double ppi_ = 96;
    int zoomIndex_ = kZoomFitToPage;
    double zoom_ = 1.0;
    bool twoPages_ = false;
};

} // namespace zmk
