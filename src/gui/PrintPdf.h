// The window program's headless print mode (zmk --print-pdf PAGE OUT): a report page rendered
// by the web engine, offscreen, into a PDF file, as the report preview prints it. zemtor hands
// its written report page to this mode, so the command line gets the same paper as the window
// without linking Qt itself.
#pragma once

#include <QByteArray>
#include <QMetaObject>
#include <QPageLayout>
#include <QPageRanges>
#include <QString>

#include <functional>

namespace zmk::gui {

/// The page layout of the printed reports: A4, or Letter where the locale measures in inches;
/// portrait; 10 mm margins.
QPageLayout ReportPageLayout();

/// How printing a page file into PDF bytes ended.
enum class TPagePrint { Printed, NotLoaded, Empty, TooLong, Cancelled };

/// Connects a cancel request (a button's signal) to the function given; the connection is
/// dropped when the printing ends.
using TPrintCancel = std::function<QMetaObject::Connection(std::function<void()>)>;

/// Loads a readable page file (its absolute path) into a guarded page with a profile that keeps
/// nothing on disk, prints it into PDF bytes on the report layout and waits for them, two minutes
/// at the most. The event loop runs meanwhile, so a cancel request connected through `cancel`
/// ends the wait. With ranges (1-based pages) only those pages are printed, still as text and
/// drawings. Needs a running application object.
TPagePrint PrintPageFile(const QString& absolutePath, QByteArray& pdf, const TPrintCancel& cancel = {},
                         const QPageRanges& ranges = {});

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
