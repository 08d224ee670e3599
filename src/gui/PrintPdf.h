// The window program's headless print mode (zmk --print-pdf PAGE OUT): a report page rendered
// by the web engine, offscreen, into a PDF file, as the report preview prints it. zemtor hands
// its written report page to this mode, so the command line gets the same paper as the window
// without linking Qt itself.
#pragma once

#include <QString>

namespace zmk::gui {

/// Sets what the web engine needs to print without a screen, before the application object is
/// made: the offscreen platform unless one is chosen, and the engine's sandbox off when the
/// program runs as root (the sandbox refuses to start then). Variables already set are kept.
void PreparePrintPdfEnvironment();

/// Loads the page file (its pictures and style sheets found beside it; no script runs), prints
/// it into a PDF file (A4, or Letter where the locale measures in inches; portrait; 10 mm
/// margins) and writes that file with WriteFileAtomically. Needs a running application object.
/// Returns 0 when the PDF was written; otherwise says why on standard error ("zmk: " and the
/// reason, naming the file) and returns 1.
int PrintPageToPdf(const QString& page, const QString& pdf);

} // namespace zmk::gui
