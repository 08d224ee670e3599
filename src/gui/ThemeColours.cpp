#include "gui/ThemeColours.h"

#include "dialogs/Contrast.h"

#include <QWidget>

namespace zmk::gui {

namespace {

TRgb rgb(const QColor& c)
{
    return {c.red(), c.green(), c.blue()};
}

} // namespace

QString ReadableColour(const QWidget& widget, const QColor& colour, QPalette::ColorRole background)
{
    const TRgb c = ReadableOn(rgb(colour), rgb(widget.palette().color(background)));
    return QString::fromStdString(HexColour(c));
}

QString ReadablePage(const QWidget& widget, const QString& html)
{
    const QPalette& p = widget.palette();
    return QString::fromStdString(
        ReadablePageColours(html.toStdString(), rgb(p.color(QPalette::Text)), rgb(p.color(QPalette::Base))));
}

} // namespace zmk::gui
