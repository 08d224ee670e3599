#include "dialogs/WindowFit.h"

#include <algorithm>

namespace zmk {

TWindowPlace FitWithin(TWindowPlace window, const TWindowPlace& area, int frameWidth, int frameHeight)
{
    if (area.Width <= 0 || area.Height <= 0)
        return window;
    frameWidth = std::max(frameWidth, 0);
    frameHeight = std::max(frameHeight, 0);
    window.Width = std::max(1, std::min(window.Width, area.Width - frameWidth));
    window.Height = std::max(1, std::min(window.Height, area.Height - frameHeight));
    const int maxLeft = area.Left + area.Width - window.Width - frameWidth;
    const int maxTop = area.Top + area.Height - window.Height - frameHeight;
    window.Left = std::clamp(window.Left, area.Left, std::max(area.Left, maxLeft));
    window.Top = std::clamp(window.Top, area.Top, std::max(area.Top, maxTop));
    return window;
}

} // namespace zmk
