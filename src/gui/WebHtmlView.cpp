#include "gui/WebHtmlView.h"

#include "base/FileIO.h"
#include "base/Latin1.h"
#include "gui/DialogKeys.h"
#include "gui/GuardedWebPage.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrlQuery>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>

#include <memory>

namespace zmk::gui {

namespace {

// A text as a script's string literal.
QString scriptString(const QString& text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

QString scriptString(std::string_view text)
{
    return scriptString(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

// The view's own scripts run in a world of their own, where they work on the page's elements
// while the page's script does not run at all.
constexpr quint32 kOwnWorld = QWebEngineScript::ApplicationWorld;

std::string readLatin1File(const std::filesystem::path& file)
{
    return Latin1ToUtf8(ReadWholeFile(file, kMaxReportAssetSize).Bytes);
}

// The file a URL names, without the query that makes each load of a rewritten page distinct.
QUrl withoutQuery(QUrl url)
{
    url.setQuery(QString());
    return url;
}

} // namespace

TWebHtmlView::TWebHtmlView(QWidget* parent) : QWebEngineView(parent)
{
    // A profile of its own that keeps nothing on disk: no cache to show an old copy of a page
    // rewritten under the same name, no history, nothing in the user's folders.
    profile_ = new QWebEngineProfile(this);
    profile_->setHttpCacheType(QWebEngineProfile::NoCache);
    GuardProfile(*profile_);
    page_ = new TGuardedWebPage(profile_, this);
    setPage(page_);
    page_->setBackgroundColor(Qt::white);
    QWebEngineSettings* s = page_->settings();
    s->setDefaultTextEncoding("ISO-8859-1"); // the pages are Latin-1
    s->setFontFamily(QWebEngineSettings::StandardFont, "Arial");
    s->setFontFamily(QWebEngineSettings::SansSerifFont, "Arial");
    s->setFontFamily(QWebEngineSettings::FixedFont, "Courier New");
    s->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);

    connect(page_, &QWebEnginePage::loadFinished, this, &TWebHtmlView::pageLoaded);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu* menu = CreateContextMenu(this);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(mapToGlobal(at));
    });
    watchChildren();
}

TWebHtmlView::~TWebHtmlView()
{
    // The page must go before the profile it uses.
    delete page();
}

void TWebHtmlView::LoadFile(const std::filesystem::path& fileName)
{
    fileName_ = fileName;
    source_ = readLatin1File(fileName);
    queued_.clear();
    // Pages are rewritten under the same name: each load gets its own query, so that the load
    // the queued changes wait for is told apart from one it replaced.
    QUrl url = QUrl::fromLocalFile(QString::fromStdString(fileName.string()));
    url.setQuery(QStringLiteral("load=%1").arg(++serial_));
    expected_ = url;
    busy_ = true;
    showingText_ = false;
    page_->LoadPageFile(url);
}

void TWebHtmlView::Clear()
{
    source_.clear();
    fileName_.clear();
    queued_.clear();
}

void TWebHtmlView::runWhenLoaded(const QString& script)
{
    if (busy_)
        queued_.append(script);
    else
        page()->runJavaScript(script, kOwnWorld);
}

void TWebHtmlView::SetElementDisplay(std::string_view id, bool shown)
{
    runWhenLoaded(
        QStringLiteral("(function(){var e=document.getElementById(%1);if(e)e.style.display=%2;})();")
            .arg(scriptString(id), shown ? QStringLiteral("''") : QStringLiteral("'none'")));
}

void TWebHtmlView::ReplaceImage(std::string_view id, const std::vector<std::uint8_t>& png)
{
    const QByteArray bytes(reinterpret_cast<const char*>(png.data()), static_cast<qsizetype>(png.size()));
    const QString data = QStringLiteral("data:image/png;base64,") + QString::fromLatin1(bytes.toBase64());
    runWhenLoaded(
        QStringLiteral("(function(){var e=document.getElementById(%1);if(e&&e.tagName=='IMG')e.src=%2;})();")
            .arg(scriptString(id), scriptString(data)));
}

void TWebHtmlView::pageLoaded(bool ok)
{
    const QUrl url = page()->url();
    const QUrlQuery query(url);
    const bool awaited = showingText_ ? !query.hasQueryItem(QStringLiteral("load"))
                                      : url.isLocalFile() && query.queryItemValue(QStringLiteral("load")) ==
                                                                 QString::number(serial_);
    if (awaited) {
        if (ok)
            for (const QString& script : queued_)
                page()->runJavaScript(script, kOwnWorld);
        queued_.clear();
        // Scripts run in the order they were given: once this one answers, the page is as asked.
        const int serial = serial_;
        page()->runJavaScript(QStringLiteral("0"), kOwnWorld, [this, serial](const QVariant&) {
            if (serial != serial_)
                return; // another page is on its way
            for (const QString& script : queued_)
                page()->runJavaScript(script, kOwnWorld);
            queued_.clear();
            busy_ = false;
            emit pageReady();
        });
        return;
    }
    // The user followed a link (the help pages): that page is now the one shown.
    if (ok && url.isLocalFile() && withoutQuery(url) != withoutQuery(expected_)) {
        fileName_ = url.toLocalFile().toStdString();
        source_ = readLatin1File(fileName_);
    }
}

void TWebHtmlView::Evaluate(const QString& script, std::function<void(const QVariant&)> done)
{
    auto run = [this, script, done = std::move(done)] {
        page()->runJavaScript(script, kOwnWorld, [done](const QVariant& result) {
            if (done)
                done(result);
        });
    };
    if (!busy_) {
        run();
        return;
    }
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = connect(this, &TWebHtmlView::pageReady, this, [connection, run] {
        disconnect(*connection);
        run();
    });
}

void TWebHtmlView::ShowSource()
{
    queued_.clear();
    ++serial_;
    busy_ = true;
    showingText_ = true;
    page()->setContent(QByteArray::fromStdString(source_), QStringLiteral("text/plain;charset=UTF-8"));
}

void TWebHtmlView::CopyAll()
{
    // The whole page, as text and as HTML, without touching the selection the user sees.
    const std::string html = source_;
    Evaluate(QStringLiteral("document.body ? document.body.innerText : ''"), [html](const QVariant& text) {
        auto* data = new QMimeData;
        data->setText(text.toString());
        data->setHtml(QString::fromStdString(html));
        QGuiApplication::clipboard()->setMimeData(data);
    });
}

QMenu* TWebHtmlView::CreateContextMenu(QWidget* parent)
{
    auto* menu = new QMenu(parent);
    QAction* preview = menu->addAction(tr("Print Preview"), this, &TWebHtmlView::printPreviewRequested);
    preview->setEnabled(printPreviewEnabled_);
    menu->addAction(tr("View Page Source"), this, &TWebHtmlView::ShowSource);
    menu->addAction(tr("Show Help"), this, &TWebHtmlView::showHelpRequested);
    GiveMnemonics(menu);
    return menu;
}

bool TWebHtmlView::event(QEvent* event)
{
    // The engine draws the page in a child widget that it may replace: watch each one it adds,
    // since that child, not the view, receives the mouse.
    if (event->type() == QEvent::ChildAdded || event->type() == QEvent::ChildPolished)
        watchChildren();
    return QWebEngineView::event(event);
}

void TWebHtmlView::watchChildren()
{
    for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        child->removeEventFilter(this);
        child->installEventFilter(this);
    }
    if (focusProxy()) {
        focusProxy()->removeEventFilter(this);
        focusProxy()->installEventFilter(this);
    }
}

bool TWebHtmlView::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        emit doubleClicked();
        return true;
    }
    return QWebEngineView::eventFilter(watched, event);
}

} // namespace zmk::gui
