// The theme's colours for the program's own coloured texts: a page's inline colours and a link's
// colour made readable on the widget's palette (dialogs/Contrast's rules).
#pragma once

#include <QColor>
#include <QPalette>
#include <QString>

class QWidget;

namespace zmk::gui {

/// The colour made readable on the widget's background role (Base for text views, Window for
/// labels), as "#rrggbb".
QString ReadableColour(const QWidget& widget, const QColor& colour, QPalette::ColorRole background);
/// A page's inline colours made readable on the widget's Base, black becoming its Text.
QString ReadablePage(const QWidget& widget, const QString& html);

} // namespace zmk::gui
