#include "gui/GuardedWebPage.h"

#include <QDesktopServices>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineUrlRequestInterceptor>

namespace zmk::gui {

namespace {

constexpr qsizetype kRefusedKept = 20;

class TLocalOnlyInterceptor : public QWebEngineUrlRequestInterceptor
{
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

    void interceptRequest(QWebEngineUrlRequestInfo& info) override
    {
        const QUrl& url = info.requestUrl();
        TPageAddress address;
        address.Scheme = url.scheme().toStdString();
        if (url.isLocalFile())
            address.LocalFile = url.toLocalFile().toStdString();
        if (!MayLoadPageResource(address))
            info.block(true);
    }
};

TNavigationCause causeOf(QWebEnginePage::NavigationType type)
{
    switch (type) {
    case QWebEnginePage::NavigationTypeTyped:
        return TNavigationCause::Program; // load() and setContent(): the page cannot start these
    case QWebEnginePage::NavigationTypeLinkClicked:
        return TNavigationCause::LinkClicked;
    default:
        return TNavigationCause::Page;
    }
}

} // namespace

void GuardPageSettings(QWebEngineSettings& settings)
{
    settings.setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    // Left on: this engine then refuses a local page even its own pictures and style sheets.
    // What a page may load is the profile's interceptor's to decide; with script off, a page
    // cannot read what it loads, and other files never show as pages (acceptNavigationRequest).
    settings.setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    settings.setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings.setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    settings.setAttribute(QWebEngineSettings::PluginsEnabled, false);
    settings.setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
    settings.setAttribute(QWebEngineSettings::HyperlinkAuditingEnabled, false);
    // A file dropped on the view would otherwise be shown in it, as if the program had loaded it.
    settings.setAttribute(QWebEngineSettings::NavigateOnDropEnabled, false);
}

void GuardProfile(QWebEngineProfile& profile)
{
    // The profile owns the interceptor, so it lives exactly as long.
    profile.setUrlRequestInterceptor(new TLocalOnlyInterceptor(&profile));
}

TGuardedWebPage::TGuardedWebPage(QWebEngineProfile* profile, QObject* parent)
    : QWebEnginePage(profile, parent), OpenOutside([](const QUrl& url) { QDesktopServices::openUrl(url); })
{
    GuardPageSettings(*settings());
}

void TGuardedWebPage::LoadPageFile(const QUrl& url)
{
    if (url.isLocalFile())
        own_.AddPageFile(url.toLocalFile().toStdString());
    load(url);
}

bool TGuardedWebPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame)
{
    TPageAddress address;
    address.Scheme = url.scheme().toStdString();
    if (url.isLocalFile())
        address.LocalFile = url.toLocalFile().toStdString();
    const TNavigationDecision decision = DecideNavigation(address, causeOf(type), own_);
    if (decision == TNavigationDecision::Show)
        return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
    if (refused_.size() >= kRefusedKept)
        refused_.removeFirst();
    refused_.append(url.toString());
    if (decision == TNavigationDecision::OpenOutside && OpenOutside)
        OpenOutside(url);
    return false;
}

} // namespace zmk::gui
