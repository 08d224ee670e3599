// Holds a window within the available area of its screen (dialogs/WindowFit's rule).
#pragma once

class QWidget;

namespace zmk::gui {

/// Cuts the window's size down to its screen's available area and moves it inside, frame
/// included (the frame as the desktop draws it once shown, an allowance before).
void FitOnScreen(QWidget& window);
/// Fits every window and dialog of the application on its screen each time it is shown.
void FitWindowsOnScreen();

} // namespace zmk::gui
