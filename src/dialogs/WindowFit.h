// A window never opens larger than the screen's available area (the screen less the desktop's
// panels): its size is cut down to the area and it is moved into it, frame included.
#pragma once

#include "app/StartupSettings.h"

namespace zmk {

/// The window brought within `area` (the available area of its screen, in the same coordinates):
/// Left and Top are where its frame starts, Width and Height its inside, and the frame the
/// desktop adds takes frameWidth and frameHeight more (both sides together, title bar included).
/// The size is cut down first, then the frame is moved inside. Visibility and state are kept. An
/// area of no size changes nothing.
TWindowPlace FitWithin(TWindowPlace window, const TWindowPlace& area, int frameWidth, int frameHeight);

} // namespace zmk
