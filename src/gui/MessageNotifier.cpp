#include "gui/MessageNotifier.h"

#include "base/Version.h"

#include <QApplication>
#include <QMessageBox>

namespace zmk::gui {

TMessageNotifier::TMessageNotifier(QWidget* parent) : parent_(parent) {}

void TMessageNotifier::Message(const std::string& text)
{
    if (OnMessage) {
        OnMessage(text);
        return;
    }
    // The core's messages end their lines with CR LF; a message box wants LF.
    QString shown = QString::fromStdString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox::information(parent_, QString::fromStdString(ProgramCaption()), shown);
}

void TMessageNotifier::Status(const std::string& text)
{
    if (OnStatus)
        OnStatus(text);
}

void TMessageNotifier::Beep()
{
    QApplication::beep();
}

} // namespace zmk::gui
