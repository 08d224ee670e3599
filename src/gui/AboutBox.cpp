#include "gui/AboutBox.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QTextDocument>
#include <QVBoxLayout>
#include <QtWebEngineCore/qtwebenginecoreversion.h>

namespace zmk::gui {

namespace {

QString html(const std::string& text)
{
    return QString::fromStdString(text).toHtmlEscaped();
}

} // namespace

std::vector<TLibraryNotice> ToolkitLibraries()
{
    return {
        {"Qt", qVersion(), "LGPL-3.0-only"},
        {"Qt WebEngine (Chromium)", QTWEBENGINECORE_VERSION_STR,
         "LGPL-3.0-only; Chromium: BSD-3-Clause and others"},
        {"Qt PDF", QT_VERSION_STR, "LGPL-3.0-only"},
    };
}

TAboutBox::TAboutBox(const TAboutFacts& facts, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QString::fromStdString(facts.Title));
    QString t = QStringLiteral("<h2>%1</h2><p>%2</p><h4>%3</h4><table>")
                    .arg(html(facts.Caption), html(facts.Summary), tr("Folders"));
    for (const auto& [label, folder] : facts.Folders)
        t += QStringLiteral("<tr><td>%1:&nbsp;</td><td>%2</td></tr>").arg(html(label), html(folder));
    t += QStringLiteral("</table><h4>%1</h4><table>").arg(tr("Built with"));
    for (const TLibraryNotice& l : facts.Libraries)
        t += QStringLiteral("<tr><td>%1 %2&nbsp;</td><td>%3</td></tr>")
                 .arg(html(l.Name), html(l.Version), html(l.Licence));
    t += QStringLiteral("</table>");
    text_ = t;

    auto* label = new QLabel(t, this);
    label->setTextFormat(Qt::RichText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(buttons);
}

QString TAboutBox::PlainText() const
{
    QTextDocument doc;
    doc.setHtml(text_);
    return doc.toPlainText();
}

} // namespace zmk::gui
