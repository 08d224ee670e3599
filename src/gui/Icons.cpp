#include "gui/Icons.h"

#include <QFile>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace zmk::gui {

namespace {

// A page with a folded corner, the base of the document pictures.
void drawPage(QPainter& p)
{
    QPainterPath page;
    page.moveTo(5, 2);
    page.lineTo(15, 2);
    page.lineTo(20, 7);
    page.lineTo(20, 22);
    page.lineTo(5, 22);
    page.closeSubpath();
    p.setPen(QPen(QColor(0x45, 0x5a, 0x64), 1.2));
    p.setBrush(Qt::white);
    p.drawPath(page);
    p.drawLine(QPointF(15, 2), QPointF(15, 7));
    p.drawLine(QPointF(15, 7), QPointF(20, 7));
}

QPixmap fallback(TMainCommand command)
{
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (command) {
    case TMainCommand::New:
        drawPage(p);
        p.setPen(QPen(QColor(0x2e, 0x7d, 0x32), 2));
        p.drawLine(QPointF(9, 15), QPointF(16, 15));
        p.drawLine(QPointF(12.5, 11.5), QPointF(12.5, 18.5));
        break;
    case TMainCommand::Open:
        p.setPen(QPen(QColor(0x8d, 0x6e, 0x00), 1.2));
        p.setBrush(QColor(0xff, 0xd5, 0x4f));
        p.drawRect(QRectF(2, 6, 19, 14));
        p.setBrush(QColor(0xff, 0xe0, 0x82));
        p.drawPolygon(QPolygonF({QPointF(5, 10), QPointF(23, 10), QPointF(20, 20), QPointF(2, 20)}));
        break;
    case TMainCommand::Save:
        p.setPen(QPen(QColor(0x1a, 0x23, 0x7e), 1.2));
        p.setBrush(QColor(0x39, 0x49, 0xab));
        p.drawRoundedRect(QRectF(3, 3, 18, 18), 2, 2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6, 3, 12, 7));
        p.setBrush(QColor(0xc5, 0xca, 0xe9));
        p.drawRect(QRectF(7, 14, 10, 7));
        break;
    case TMainCommand::Solve:
        p.setPen(QPen(QColor(0x1b, 0x5e, 0x20), 1.2));
        p.setBrush(QColor(0x43, 0xa0, 0x47));
        p.drawPolygon(QPolygonF({QPointF(6, 3), QPointF(21, 12), QPointF(6, 21)}));
        break;
    case TMainCommand::PrintPreview:
        drawPage(p);
        p.setPen(QPen(QColor(0x37, 0x47, 0x4f), 1.8));
        p.setBrush(QColor(0xe3, 0xf2, 0xfd));
        p.drawEllipse(QPointF(11, 13), 4, 4);
        p.drawLine(QPointF(14, 16), QPointF(19, 21));
        break;
    default:
        break;
    }
    return pixmap;
}

const char* themeName(TMainCommand command)
{
    switch (command) {
    case TMainCommand::New:
        return "document-new";
    case TMainCommand::Open:
        return "document-open";
    case TMainCommand::Save:
        return "document-save";
    case TMainCommand::Solve:
        return "system-run";
    case TMainCommand::PrintPreview:
        return "document-print-preview";
    default:
        return nullptr;
    }
}

} // namespace

QIcon CommandIcon(TMainCommand command)
{
    const char* name = themeName(command);
    if (!name)
        return QIcon();
    return QIcon::fromTheme(QString::fromLatin1(name), QIcon(fallback(command)));
}

QIcon ProgramIcon()
{
    QIcon icon = QIcon::fromTheme(QStringLiteral("zmk"));
    if (icon.isNull() && QFile::exists(QStringLiteral(":/zmk.svg")))
        icon = QIcon(QStringLiteral(":/zmk.svg"));
    return icon;
}

} // namespace zmk::gui
