#include "gui/EmailWindow.h"

#include "app/Exports.h"
#include "app/ProjectProperties.h"
#include "gui/SmtpSettingsDialog.h"
#include "gui/ThemeColours.h"
#include "gui/WindowPlace.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QUrl>
#include <QVBoxLayout>

#include <thread>

namespace zmk::gui {

namespace {

QString qt(const std::string& s)
{
    return QString::fromStdString(s);
}

// Runs a send on a worker thread and turns the caller's event loop until it is over.
template <class Send> TSendResult runBeside(bool& busy, Send send)
{
    busy = true;
    TSendResult result;
    QEventLoop loop;
    std::thread worker([&] {
        try {
            result = send();
        } catch (const std::exception& e) {
            result = TSendResult{false, e.what(), {}};
        }
        QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
    });
    // Input to the other windows waits, so the user cannot start a second send meanwhile.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    busy = false;
    return result;
}

} // namespace

TSendResult TBackgroundTransport::SendSmtp(const TMailMessage& message, const TSmtpSettings& settings)
{
    return runBeside(busy_, [&] { return inner_.SendSmtp(message, settings); });
}

TSendResult TBackgroundTransport::SendWithClient(const TMailMessage& message)
{
    return runBeside(busy_, [&] { return inner_.SendWithClient(message); });
}

// ---- the window ----------------------------------------------------------------------------------

TEmailWindow::TEmailWindow(ISettingsStore& common, ISettingsStore* program, const TRegisteredUser& user,
                           const std::string& defaultAddress, IMailTransport& transport, ILauncher& launcher,
                           QWidget* parent)
    : QDialog(parent), background_(transport), model_(common, user, defaultAddress, background_),
      common_(common), program_(program), launcher_(launcher)
{
    setObjectName(QStringLiteral("EmailForm"));
    setWindowTitle(tr("Email"));
    setSizeGripEnabled(true);
    setAcceptDrops(true);

    to_ = new QLineEdit(this);
    to_->setPlaceholderText(tr("Addresses separated by commas"));
    bcc_ = new QLineEdit(this);
    subject_ = new QLineEdit(this);
    body_ = new QPlainTextEdit(this);
    body_->setTabChangesFocus(true);
    fromName_ = new QLineEdit(this);
    fromCompany_ = new QLineEdit(this);
    fromAddress_ = new QLineEdit(this);

    // The "Attachments:" label opens the file dialog, by mouse or by its mnemonic.
    auto* attachLabel = new QPushButton(tr("&Attachments:"), this);
    attachLabel->setObjectName(QStringLiteral("AttachmentsLabel"));
    attachLabel->setFlat(true);
    attachLabel->setToolTip(tr("Add files (or drop them on the window)"));
    attachLabel->setCursor(Qt::PointingHandCursor);
    connect(attachLabel, &QPushButton::clicked, this, &TEmailWindow::chooseAttachments);
    attachments_ = new QListWidget(this);
    attachments_->setToolTip(tr("Double click opens a file; Delete removes it from the message"));
    attachments_->setMaximumHeight(attachments_->fontMetrics().height() * 6);
    connect(attachments_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        const std::string file = model_.AttachmentToOpen(static_cast<std::size_t>(attachments_->row(item)));
        if (!file.empty())
            launcher_.OpenDocument(file);
    });
    auto* remove = new QShortcut(QKeySequence::Delete, attachments_, nullptr, nullptr, Qt::WidgetShortcut);
    connect(remove, &QShortcut::activated, this, [this] {
        const int row = attachments_->currentRow();
        if (row < 0)
            return;
        takeFields();
        model_.RemoveAttachment(static_cast<std::size_t>(row));
        showAttachments();
    });

    auto* form = new QFormLayout;
    form->addRow(tr("&To:"), to_);
    form->addRow(tr("&Bcc:"), bcc_);
    form->addRow(tr("S&ubject:"), subject_);
    form->addRow(tr("&Message:"), body_);
    form->addRow(attachLabel, attachments_);
    auto* sender = new QHBoxLayout;
    sender->addWidget(fromName_, 2);
    sender->addWidget(fromCompany_, 2);
    sender->addWidget(fromAddress_, 3);
    fromName_->setPlaceholderText(tr("Name"));
    fromCompany_->setPlaceholderText(tr("Company"));
    fromAddress_->setPlaceholderText(tr("Address"));
    auto* fromLabel = new QLabel(tr("&From:"), this);
    fromLabel->setBuddy(fromName_);
    form->addRow(fromLabel, sender);

    send_ = new QPushButton(QIcon::fromTheme(QStringLiteral("mail-send")), tr("&Send"), this);
    send_->setDefault(true);
    send_->setAutoDefault(true);
    protocol_ = new QPushButton(tr("&Protocol"), this);
    protocol_->setToolTip(tr("Send through the SMTP server or through the desktop's mail program"));
    settingsButton_ = new QPushButton(tr("Se&ttings"), this);
    auto* close = new QPushButton(tr("&Close"), this);
    connect(send_, &QPushButton::clicked, this, &TEmailWindow::Send);
    connect(protocol_, &QPushButton::clicked, this, [this] {
        model_.ToggleProtocol();
        showProtocol();
    });
    connect(settingsButton_, &QPushButton::clicked, this, [this] { SettingsDialog()->exec(); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(send_);
    buttons->addWidget(protocol_);
    buttons->addWidget(settingsButton_);
    buttons->addStretch(1);
    buttons->addWidget(close);

    auto* bar = new QStatusBar(this);
    bar->setSizeGripEnabled(false);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("Status"));
    status_->setMinimumWidth(status_->fontMetrics().horizontalAdvance(QStringLiteral("BUSY...")) + 16);
    protocolStatus_ = new QLabel(this);
    protocolStatus_->setObjectName(QStringLiteral("Protocol"));
    bar->addWidget(status_);
    bar->addWidget(protocolStatus_, 1);

    failure_ = new QLabel(this);
    failure_->setObjectName(QStringLiteral("Failure"));
    failure_->setWordWrap(true);
    failure_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    failure_->setStyleSheet(
        QStringLiteral("color: %1").arg(ReadableColour(*failure_, QColor(0xB0, 0, 0), QPalette::Window)));
    failure_->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 0);
    layout->addLayout(form, 1);
    layout->addWidget(failure_);
    layout->addLayout(buttons);
    layout->addWidget(bar);

    model_.OnStatus = [this](const std::string& text) {
        status_->setText(qt(text));
        status_->setToolTip(qt(text));
        showFailure();
        // Paint "BUSY..." before the send starts.
        status_->repaint();
    };
    model_.OnBeep = [] { QApplication::beep(); };
    status_->setText(qt(model_.Status()));
    showMessage();
    resize(640, 520);
}

TEmailWindow::~TEmailWindow() = default;

TSmtpSettingsDialog* TEmailWindow::SettingsDialog()
{
    if (!settings_)
        settings_ = new TSmtpSettingsDialog(common_, this);
    return settings_;
}

void TEmailWindow::ComposeReport(const QString& documentFile, const QString& imageList,
                                 const std::string& companyAddress)
{
    model_.ComposeReport(documentFile.toStdString(), imageList.toStdString(), companyAddress);
    ShowMail();
}

void TEmailWindow::ShowMail()
{
    showMessage();
    if (!placed_ && program_) {
        RestorePlace(*this, model_.Place, *program_);
        placed_ = true;
    }
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
    to_->setFocus();
}

void TEmailWindow::showMessage()
{
    to_->setText(qt(model_.To));
    bcc_->setText(qt(model_.Bcc));
    subject_->setText(qt(model_.Subject));
    body_->setPlainText(qt(model_.Body));
    fromName_->setText(qt(model_.Sender.Name));
    fromCompany_->setText(qt(model_.Sender.Company));
    fromAddress_->setText(qt(model_.Sender.Address));
    showAttachments();
    showProtocol();
}

void TEmailWindow::takeFields()
{
    model_.To = to_->text().toStdString();
    model_.Bcc = bcc_->text().toStdString();
    model_.Subject = subject_->text().toStdString();
    model_.Body = body_->toPlainText().toStdString();
    model_.Sender.Name = fromName_->text().toStdString();
    model_.Sender.Company = fromCompany_->text().toStdString();
    model_.Sender.Address = fromAddress_->text().trimmed().toStdString();
}

void TEmailWindow::showAttachments()
{
    attachments_->clear();
    for (const std::string& file : model_.Attachments) {
        auto* item = new QListWidgetItem(QFileInfo(qt(file)).fileName(), attachments_);
        item->setToolTip(qt(file));
    }
}

void TEmailWindow::showFailure()
{
    const std::string failure = model_.FailureText();
    failure_->setText(qt(failure));
    failure_->setVisible(!failure.empty());
}

void TEmailWindow::showProtocol()
{
    protocolStatus_->setText(qt(model_.ProtocolText()));
    settingsButton_->setEnabled(model_.Sender.Protocol == TMailProtocol::Smtp);
}

void TEmailWindow::chooseAttachments()
{
    const QStringList files = QFileDialog::getOpenFileNames(this, tr("Attachments"));
    std::vector<std::string> names;
    for (const QString& f : files)
        names.push_back(f.toStdString());
    takeFields();
    model_.AddAttachments(names);
    showAttachments();
}

bool TEmailWindow::Send()
{
    if (background_.Busy())
        return false;
    takeFields();
    send_->setEnabled(false);
    const bool sent = model_.Send();
    send_->setEnabled(true);
    if (model_.CloseAfterSend())
        accept();
    return sent;
}

QString TEmailWindow::StatusText() const
{
    return status_->text();
}

QString TEmailWindow::ProtocolStatusText() const
{
    return protocolStatus_->text();
}

void TEmailWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TEmailWindow::dropEvent(QDropEvent* event)
{
    std::vector<std::string> files;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            files.push_back(url.toLocalFile().toStdString());
    takeFields();
    model_.AddAttachments(files);
    showAttachments();
    event->acceptProposedAction();
}

void TEmailWindow::hideEvent(QHideEvent* event)
{
    takeFields();
    model_.Close(program_, nullptr);
    if (program_)
        StorePlace(*this, model_.Place, *program_);
    QDialog::hideEvent(event);
}

} // namespace zmk::gui
