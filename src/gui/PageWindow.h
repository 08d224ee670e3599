// A window of its own for the program's pages: the help pages, with back, forward and the
// index, and the data check. The page view keeps to the program's own pages; the desktop's
// browser is offered for the page shown, never needed.
#pragma once

#include <QMainWindow>

#include <filesystem>

class QAction;

namespace zmk::gui {

class TWebHtmlView;

class TPageWindow : public QMainWindow
{
    Q_OBJECT

public:
    /// With navigation, the tool bar has Back, Forward and Index (the index page must be set).
    TPageWindow(const QString& title, bool navigation, QWidget* parent = nullptr);

    /// The page Index goes to.
    void SetIndex(const std::filesystem::path& index);
    /// Loads a page and brings the window up.
    void ShowPage(const std::filesystem::path& file);

    TWebHtmlView* View() const { return view_; }
    QAction* BackAction() const { return back_; }
    QAction* ForwardAction() const { return forward_; }
    QAction* IndexAction() const { return index_action_; }
    QAction* BrowserAction() const { return browser_; }

private:
    TWebHtmlView* view_ = nullptr;
    QAction* back_ = nullptr;
    QAction* forward_ = nullptr;
    QAction* index_action_ = nullptr;
    QAction* browser_ = nullptr;
    std::filesystem::path index_;
};

/// Shows a help page in the help window of `owner` (made the first time, its child), with
/// `index` behind its Index button.
TPageWindow* ShowHelpPage(QWidget& owner, const std::filesystem::path& page,
                          const std::filesystem::path& index);

} // namespace zmk::gui
