#include "gui/ReportPreviewWindow.h"

#include "gui/DialogKeys.h"
#include "gui/GuardedWebPage.h"
#include "gui/ScreenFit.h"
#include "gui/WindowPlace.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace zmk::gui {

namespace {

QString qt(const std::string& s)
{
    return QString::fromStdString(s);
}

} // namespace

TReportPreviewWindow::TReportPreviewWindow(ILauncher& launcher, ISettingsStore* store, QWidget* parent)
    : QDialog(parent), model_(launcher), store_(store)
{
    setObjectName(QStringLiteral("ReportPreview"));
    setWindowTitle(QString::fromLatin1(kReportPreviewTitle));
    setSizeGripEnabled(true);

    // A profile of its own that keeps nothing on disk, as the result view's, and a page that
    // shows the program's own pages only.
    profile_ = new QWebEngineProfile(this);
    GuardProfile(*profile_);
    view_ = new QWebEngineView(this);
    page_ = new TGuardedWebPage(profile_, view_);
    view_->setPage(page_);
    view_->setObjectName(QStringLiteral("ReportView"));
    QWebEngineSettings* settings = view_->settings();
    settings->setFontFamily(QWebEngineSettings::StandardFont, QStringLiteral("Arial"));
    settings->setFontFamily(QWebEngineSettings::SansSerifFont, QStringLiteral("Arial"));
    settings->setFontFamily(QWebEngineSettings::FixedFont, QStringLiteral("Courier New"));
    view_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu* menu = CreateContextMenu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(view_->mapToGlobal(at));
    });
    connect(view_, &QWebEngineView::loadFinished, this, [this](bool) { loaded_ = true; });

    auto* preview =
        new QPushButton(QIcon::fromTheme(QStringLiteral("document-print-preview")), tr("&Preview"), this);
    preview->setObjectName(QStringLiteral("Preview"));
    auto* email = new QPushButton(QIcon::fromTheme(QStringLiteral("mail-send")), tr("&Email"), this);
    email->setObjectName(QStringLiteral("Email"));
    auto* close = new QPushButton(tr("&Close"), this);
    connect(preview, &QPushButton::clicked, this,
            [this] { emit previewRequested(qt(model_.FileName()), qt(model_.ImageList())); });
    connect(email, &QPushButton::clicked, this,
            [this] { emit emailRequested(qt(model_.FileName()), qt(model_.ImageList())); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(preview);
    buttons->addWidget(email);
    buttons->addStretch(1);
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(view_, 1);
    layout->addLayout(buttons);
    resize(800, 700);
}

TReportPreviewWindow::~TReportPreviewWindow()
{
    // The page goes before its profile.
    delete view_;
    view_ = nullptr;
}

QMenu* TReportPreviewWindow::CreateContextMenu()
{
    auto* menu = new QMenu(this);
    menu->addAction(tr(kViewPageSourceCaption), this, [this] { model_.ViewPageSource(); });
    menu->addAction(QIcon::fromTheme(QStringLiteral("internet-web-browser")), tr(kOpenWithBrowserCaption),
                    this, [this] { model_.OpenWithBrowser(); });
    QAction* copy = menu->addAction(QIcon::fromTheme(QStringLiteral("edit-copy")), tr(kCopySelectionCaption),
                                    this, [this] { view_->triggerPageAction(QWebEnginePage::Copy); });
    copy->setEnabled(view_->hasSelection());
    GiveMnemonics(menu);
    return menu;
}

void TReportPreviewWindow::ShowReport(const QString& fileName, const QString& imageList)
{
    model_.Load(fileName.toStdString(), imageList.toStdString());
    loaded_ = false;
    page_->LoadPageFile(QUrl::fromLocalFile(fileName));
    if (!placed_ && store_) {
        RestorePlace(*this, place_, *store_);
        placed_ = true;
    }
    // A place remembered on a larger screen, or a size at a larger scale, still fits this one.
    FitOnScreen(*this);
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
}

void TReportPreviewWindow::hideEvent(QHideEvent* event)
{
    if (store_)
        StorePlace(*this, place_, *store_);
    QDialog::hideEvent(event);
}

} // namespace zmk::gui
