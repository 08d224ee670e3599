// The result view: a web engine view behind the page writers' HTML view interface, so that the
// pages look and print exactly as in a browser. Loading is asynchronous in the engine; the
// view keeps the calls synchronous for its callers by queueing what is asked of a page (show or
// hide an element, replace a picture) until that page has loaded, and by answering the page's
// source and file name from the file it was given.
#pragma once

#include "reports/HtmlView.h"

#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariant>
#include <QWebEngineView>

#include <filesystem>
#include <functional>
#include <string>

class QMenu;
class QWebEngineProfile;

namespace zmk::gui {

class TGuardedWebPage;

class TWebHtmlView : public QWebEngineView, public IHtmlView
{
    Q_OBJECT

public:
    explicit TWebHtmlView(QWidget* parent = nullptr);
    ~TWebHtmlView() override;

    // --- what the page writers ask of it ---
    void LoadFile(const std::filesystem::path& fileName) override;
    void Clear() override;
    void SetElementDisplay(std::string_view id, bool shown) override;
    void ReplaceImage(std::string_view id, const std::vector<std::uint8_t>& png) override;
    std::string DocumentSource() const override { return source_; }
    std::filesystem::path DocumentFileName() const override { return fileName_; }

    // --- what the window asks of it ---

    /// True while a page is on its way, until it has loaded and its queued changes are made.
    bool Busy() const { return busy_; }
    /// Shows the current page's HTML text as plain text ("View Page Source").
    void ShowSource();
    /// Copies the whole page to the clipboard, as text and as HTML.
    void CopyAll();
    /// Whether the context menu's "Print Preview" can run (it needs the preview window).
    void SetPrintPreviewEnabled(bool enabled) { printPreviewEnabled_ = enabled; }
    /// The context menu: "Print Preview", "View Page Source", "Show Help". The caller owns it.
    QMenu* CreateContextMenu(QWidget* parent);
    /// Runs a script on the page once it has loaded and hands its result to `done` (tests,
    /// and the window's own checks). It runs in the view's own script world: it sees and
    /// changes the page's elements, not the page's script (which does not run).
    void Evaluate(const QString& script, std::function<void(const QVariant&)> done);
    /// The page, which keeps the view to the program's own pages.
    TGuardedWebPage* GuardedPage() const { return page_; }

signals:
    /// A double click on the page.
    void doubleClicked();
    /// The page has loaded and the changes asked of it are made.
    void pageReady();
    /// The context menu's "Print Preview".
    void printPreviewRequested();
    /// The context menu's "Show Help".
    void showHelpRequested();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void runWhenLoaded(const QString& script);
    void pageLoaded(bool ok);
    void watchChildren();

    QWebEngineProfile* profile_ = nullptr;
    TGuardedWebPage* page_ = nullptr;
    std::string source_;
    std::filesystem::path fileName_;
    QUrl expected_;      // the load the queued scripts wait for
    QStringList queued_; // scripts for the page on its way
    int serial_ = 0;
    bool showingText_ = false; // the load on its way is a text, not a page file
    bool busy_ = false;
    bool printPreviewEnabled_ = false;
};

} // namespace zmk::gui
