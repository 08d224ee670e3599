#include "gui/PrintPdf.h"

#include "base/FileIO.h"
#include "gui/GuardedWebPage.h"

#include <QByteArray>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QTimer>
#include <QUrl>
#include <QWebEngineProfile>

#include <cstdio>
#include <cstdlib>

#include <unistd.h>

namespace zmk::gui {

namespace {

constexpr int kTimeoutMs = 120000; // a page that has not printed by then never will

void say(const QString& text)
{
    std::fprintf(stderr, "zmk: %s\n", text.toLocal8Bit().constData());
}

} // namespace

QPageLayout ReportPageLayout()
{
    const bool inches = QLocale::system().measurementSystem() == QLocale::ImperialUSSystem;
    return QPageLayout(QPageSize(inches ? QPageSize::Letter : QPageSize::A4), QPageLayout::Portrait,
                       QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
}

TPagePrint PrintPageFile(const QString& absolutePath, QByteArray& pdf, const TPrintCancel& cancel,
                         const QPageRanges& ranges)
{
    QWebEngineProfile profile; // keeps nothing on disk: printing leaves no cache behind
    GuardProfile(profile);
    TGuardedWebPage view(&profile);
    QEventLoop loop;
    TPagePrint end = TPagePrint::Printed;
    const auto finish = [&](TPagePrint how) {
        end = how;
        loop.exit(how == TPagePrint::Printed ? 0 : 1);
    };
    QObject::connect(&view, &QWebEnginePage::loadFinished, &loop, [&](bool ok) {
        if (!ok) {
            finish(TPagePrint::NotLoaded);
            return;
        }
        view.printToPdf(
            [&](const QByteArray& result) {
                pdf = result;
                finish(pdf.isEmpty() ? TPagePrint::Empty : TPagePrint::Printed);
            },
            ReportPageLayout(), ranges);
    });
    QMetaObject::Connection cancelled;
    if (cancel)
        cancelled = cancel([&] { finish(TPagePrint::Cancelled); });
    QTimer::singleShot(kTimeoutMs, &loop, [&] { finish(TPagePrint::TooLong); });
    view.LoadPageFile(QUrl::fromLocalFile(absolutePath));
    loop.exec();
    QObject::disconnect(cancelled);
    return end;
}

void PreparePrintPdfEnvironment()
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (::geteuid() == 0)
        ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    // Nothing is shown, so the engine needs no graphics card.
    ::setenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu", 0);
}

int PrintPageToPdf(const QString& page, const QString& pdf)
{
    const QFileInfo source(page);
    if (!source.isFile() || !source.isReadable()) {
        say(QStringLiteral("cannot read the page %1").arg(page));
        return 1;
    }
    // The page runs no script and reaches nothing beyond its own folder, as in the window.
    QByteArray bytes;
    switch (PrintPageFile(source.absoluteFilePath(), bytes)) {
    case TPagePrint::Printed:
        break;
    case TPagePrint::NotLoaded:
        say(QStringLiteral("the web engine could not load %1").arg(page));
        return 1;
    case TPagePrint::Empty:
        say(QStringLiteral("the web engine printed nothing for %1").arg(page));
        return 1;
    case TPagePrint::TooLong:
    case TPagePrint::Cancelled:
        say(QStringLiteral("printing %1 took too long").arg(page));
        return 1;
    }

    // Written as every file of the program: beside the target and renamed over it, through a
    // symbolic link to its file; a device, a named pipe or a read-only file is refused.
    std::string error;
    if (!TryWriteFileAtomically(QFile::encodeName(pdf).toStdString(),
                                std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                                &error)) {
        say(QString::fromStdString(error));
        return 1;
    }
    return 0;
}

} // namespace zmk::gui
