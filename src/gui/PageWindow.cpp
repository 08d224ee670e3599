#include "gui/PageWindow.h"

#include "gui/GuardedWebPage.h"
#include "gui/ScreenFit.h"
#include "gui/WebHtmlView.h"

#include <QAction>
#include <QDesktopServices>
#include <QKeySequence>
#include <QToolBar>
#include <QUrl>
#include <QWebEngineHistory>

namespace zmk::gui {

TPageWindow::TPageWindow(const QString& title, bool navigation, QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle(title);
    setAttribute(Qt::WA_DeleteOnClose, false);
    view_ = new TWebHtmlView(this);
    setCentralWidget(view_);
    QToolBar* bar = addToolBar(tr("Page"));
    bar->setObjectName("PageBar");
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    if (navigation) {
        back_ = bar->addAction(QIcon::fromTheme("go-previous"), tr("&Back"));
        back_->setShortcut(QKeySequence::Back);
        forward_ = bar->addAction(QIcon::fromTheme("go-next"), tr("&Forward"));
        forward_->setShortcut(QKeySequence::Forward);
        index_action_ = bar->addAction(QIcon::fromTheme("go-home"), tr("&Index"));
        connect(back_, &QAction::triggered, view_, [this] { view_->back(); });
        connect(forward_, &QAction::triggered, view_, [this] { view_->forward(); });
        connect(index_action_, &QAction::triggered, this, [this] {
            if (!index_.empty())
                view_->LoadFile(index_);
        });
        auto update = [this] {
            back_->setEnabled(view_->history()->canGoBack());
            forward_->setEnabled(view_->history()->canGoForward());
        };
        // The history is asked for once a page has loaded: earlier (while the engine sets its page
        // up, as when the address changes) it is not there to ask.
        connect(view_, &QWebEngineView::loadFinished, this, update);
        back_->setEnabled(false);
        forward_->setEnabled(false);
    }
    browser_ = bar->addAction(QIcon::fromTheme("internet-web-browser"), tr("Open in &Browser"));
    browser_->setToolTip(tr("Show this page in the desktop's web browser"));
    connect(browser_, &QAction::triggered, this, [this] {
        const std::filesystem::path file = view_->DocumentFileName();
        if (!file.empty())
            QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(file.string())));
    });
    QAction* close = new QAction(tr("&Close"), this);
    close->setShortcut(QKeySequence(Qt::Key_Escape));
    connect(close, &QAction::triggered, this, &QWidget::close);
    addAction(close);
    resize(720, 640);
}

void TPageWindow::SetIndex(const std::filesystem::path& index)
{
    index_ = index;
    std::error_code ec;
    if (index_action_)
        index_action_->setEnabled(std::filesystem::is_regular_file(index_, ec));
}

void TPageWindow::ShowPage(const std::filesystem::path& file)
{
    view_->LoadFile(file);
    if (!isVisible())
        FitOnScreen(*this);
    show();
    raise();
    activateWindow();
}

TPageWindow* ShowHelpPage(QWidget& owner, const std::filesystem::path& page,
                          const std::filesystem::path& index)
{
    auto* help = owner.findChild<TPageWindow*>(QStringLiteral("HelpWindow"), Qt::FindDirectChildrenOnly);
    if (!help) {
        help = new TPageWindow(QObject::tr("Help"), true, &owner);
        help->setObjectName(QStringLiteral("HelpWindow"));
    }
    help->SetIndex(index);
    help->ShowPage(page);
    return help;
}

} // namespace zmk::gui
