#include "dialogs/PrintPreview.h"

#include "base/NumText.h"

#include <algorithm>
#include <cmath>

namespace zmk {

namespace {

constexpr int kPageGap = 20;      // between the two pages, and the margin the fit entries leave
constexpr int kEdge = 10;         // from the page area's edge when the pages do not fit
constexpr double kMinZoom = 0.05; // a page area smaller than its margins still shows a page
constexpr double kMaxZoom = 16;
constexpr double kCentimetresPerInch = 2.54;

int pixels(double v)
{
    return static_cast<int>(std::lround(v));
}

} // namespace

const std::array<TZoomChoice, 12>& ZoomChoices()
{
    static const std::array<TZoomChoice, 12> choices{{
        {"Fit To Page", 0},
        {"Fit To Width", 0},
        {"Custom", 0},
        {"25%", 0.25},
        {"50%", 0.5},
        {"75%", 0.75},
        {"100%", 1.0},
        {"125%", 1.25},
        {"150%", 1.5},
        {"200%", 2.0},
        {"300%", 3.0},
        {"400%", 4.0},
    }};
    return choices;
}

const char* GridUnitCaption(TGridUnit unit)
{
    return unit == TGridUnit::Inches ? "Inches" : "Centimeters";
}

TPrintPreview::TPrintPreview()
{
    updateZoom();
}

void TPrintPreview::SetPages(int count, double pageWidthInches, double pageHeightInches)
{
    pageCount_ = std::max(0, count);
    current_ = 0;
    if (pageWidthInches > 0 && pageHeightInches > 0 && std::isfinite(pageWidthInches) &&
        std::isfinite(pageHeightInches)) {
        pageWidth_ = pageWidthInches;
        pageHeight_ = pageHeightInches;
    }
    updateZoom();
}

void TPrintPreview::SetViewport(int clientWidth, int clientHeight, double pixelsPerInch)
{
    clientWidth_ = std::max(0, clientWidth);
    clientHeight_ = std::max(0, clientHeight);
    if (pixelsPerInch > 0 && std::isfinite(pixelsPerInch))
        ppi_ = pixelsPerInch;
    updateZoom();
}

void TPrintPreview::SelectZoom(int index)
{
    zoomIndex_ = index >= 0 && index < static_cast<int>(ZoomChoices().size()) ? index : 6; // 100%
    updateZoom();
}

void TPrintPreview::updateZoom()
{
    if (zoomIndex_ == kZoomCustom)
        return;
    if (zoomIndex_ == kZoomFitToPage || zoomIndex_ == kZoomFitToWidth) {
        const bool page = zoomIndex_ == kZoomFitToPage;
        const int client = page ? clientHeight_ : clientWidth_;
        if (client <= 0)
            return; // not laid out yet: keep the factor until there is a page area
        const double z = (client - kPageGap) / ppi_ / (page ? pageHeight_ : pageWidth_);
        zoom_ = std::clamp(z, kMinZoom, kMaxZoom);
        return;
    }
    zoom_ = ZoomChoices()[zoomIndex_].Factor;
}

std::string TPrintPreview::ZoomLabel() const
{
    return Format("%0.0f", zoom_ * 100) + "%";
}

int TPrintPreview::PageWidthPixels() const
{
    return std::max(1, pixels(ppi_ * zoom_ * pageWidth_));
}

int TPrintPreview::PageHeightPixels() const
{
    return std::max(1, pixels(ppi_ * zoom_ * pageHeight_));
}

int TPrintPreview::layoutLeft(int contentWidth) const
{
    return contentWidth <= clientWidth_ ? (clientWidth_ - contentWidth) / 2 : kEdge;
}

int TPrintPreview::layoutTop(int contentHeight) const
{
    return contentHeight <= clientHeight_ ? (clientHeight_ - contentHeight) / 2 : kEdge;
}

std::vector<TPageRect> TPrintPreview::PageRects() const
{
    std::vector<TPageRect> rects;
    if (pageCount_ == 0)
        return rects;
    const int w = PageWidthPixels();
    const int h = PageHeightPixels();
    const bool second = twoPages_ && current_ + 1 < pageCount_;
    const int left = layoutLeft(second ? 2 * w + kPageGap : w);
    const int top = layoutTop(h);
    rects.push_back({current_, left, top, w, h});
    if (second)
        rects.push_back({current_ + 1, left + w + kPageGap, top, w, h});
    return rects;
}

int TPrintPreview::ContentWidth() const
{
    const int w = PageWidthPixels();
    const int pages = twoPages_ && current_ + 1 < pageCount_ ? 2 * w + kPageGap : w;
    return pages <= clientWidth_ ? clientWidth_ : pages + 2 * kEdge;
}

int TPrintPreview::ContentHeight() const
{
    const int h = PageHeightPixels();
    return h <= clientHeight_ ? clientHeight_ : h + 2 * kEdge;
}

std::string TPrintPreview::PageLabel() const
{
    if (pageCount_ == 0)
        return "Page 0 of 0";
    return Format("Page %d of %d", current_ + 1, pageCount_);
}

void TPrintPreview::First()
{
    current_ = 0;
}

void TPrintPreview::Prev()
{
    if (current_ > 0)
        --current_;
}

void TPrintPreview::Next()
{
    if (current_ + 1 < pageCount_)
        ++current_;
}

void TPrintPreview::Last()
{
    current_ = std::max(0, pageCount_ - 1);
}

bool TPrintPreview::GoTo(int pageNumber)
{
    if (pageNumber < 1 || pageNumber > pageCount_)
        return false;
    current_ = pageNumber - 1;
    return true;
}

double TPrintPreview::GridStepPixels() const
{
    const double inch = ppi_ * zoom_;
    return GridUnit == TGridUnit::Inches ? inch : inch / kCentimetresPerInch;
}

std::vector<int> TPrintPreview::GridColumns(const TPageRect& page) const
{
    std::vector<int> columns;
    const double step = GridStepPixels();
    for (int k = 1; step >= 1 && k * step < page.Width; ++k)
        columns.push_back(page.Left + pixels(k * step));
    return columns;
}

std::vector<int> TPrintPreview::GridRows(const TPageRect& page) const
{
    std::vector<int> rows;
    const double step = GridStepPixels();
    for (int k = 1; step >= 1 && k * step < page.Height; ++k)
        rows.push_back(page.Top + pixels(k * step));
    return rows;
}

TPrintPageRange TPrintPreview::PrintRange() const
{
    return {1, std::clamp(pageCount_, 1, kMaxPrintPages)};
}

std::vector<int> TPrintPreview::PagesToPrint(bool all, int from, int to) const
{
    std::vector<int> pages;
    if (pageCount_ == 0)
        return pages;
    const TPrintPageRange range = PrintRange();
    const int first = all ? range.MinPage : std::clamp(from, range.MinPage, range.MaxPage);
    const int last = all ? range.MaxPage : std::clamp(to, range.MinPage, range.MaxPage);
    for (int p = first; p <= last; ++p)
        pages.push_back(p - 1);
    return pages;
}

} // namespace zmk
