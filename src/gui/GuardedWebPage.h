// The web engine page every page view and printer of the program uses: it shows the program's
// own pages and nothing they might bring with them. Script in a page does not run (the view's
// own operations run in the application's script world, which still can), a page loads nothing
// from the network, and a page cannot take the view elsewhere or frame another folder's file: a
// link the user clicks to a web site or a mail address opens on the desktop, anything else is
// refused.
// The decisions are the core's (reports/PageAccess); this applies them to the engine.
#pragma once

#include "reports/PageAccess.h"

#include <QString>
#include <QStringList>
#include <QUrl>
#include <QWebEnginePage>

#include <functional>

class QWebEngineProfile;
class QWebEngineSettings;

namespace zmk::gui {

/// Page script off, no access from page content to remote addresses, no windows, plugins or
/// navigation by dropping a file.
void GuardPageSettings(QWebEngineSettings& settings);

/// Refuses every resource a page asks for that is not a regular local file or inline data
/// (pictures, style sheets, fonts from web addresses, devices, named pipes): the profile's
/// pages load nothing over the network.
void GuardProfile(QWebEngineProfile& profile);

class TGuardedWebPage : public QWebEnginePage
{
public:
    /// A page on the profile with GuardPageSettings applied.
    explicit TGuardedWebPage(QWebEngineProfile* profile, QObject* parent = nullptr);

    /// Loads a page file the program chose; its folder holds the page's own pages from then on.
    void LoadPageFile(const QUrl& url);
    /// The folders whose files the page may show when a page links to them.
    TPageFolders& OwnFolders() { return own_; }

    /// Opens a clicked link to a web site or mail address on the desktop (QDesktopServices,
    /// unless replaced).
    std::function<void(const QUrl&)> OpenOutside;
    /// The addresses most recently kept out of the page, oldest first (at most 20).
    const QStringList& Refused() const { return refused_; }

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;

private:
    TPageFolders own_;
    QStringList refused_;
};

} // namespace zmk::gui
