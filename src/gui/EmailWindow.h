// The e-mail window: recipients, blind copies, subject, body and attachments (dropped on the
// window or chosen through the "Attachments:" label; a double click opens one), the sender,
// "Protocol" (SMTP or the desktop's mail client), "Settings" (the SMTP settings window) and
// "Send". The e-mail model holds the message and decides; sending runs beside the window's
// event loop, so the window keeps painting "BUSY..." while a server is slow.
#pragma once

#include "dialogs/Email.h"

#include <QDialog>

#include <memory>

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace zmk {
class ILauncher;
}

namespace zmk::gui {

class TSmtpSettingsDialog;

/// A transport that runs another one on a worker thread while the caller's event loop keeps
/// turning: the caller still gets the result when the send is over.
class TBackgroundTransport : public IMailTransport
{
public:
    explicit TBackgroundTransport(IMailTransport& inner) : inner_(inner) {}
    TSendResult SendSmtp(const TMailMessage& message, const TSmtpSettings& settings) override;
    TSendResult SendWithClient(const TMailMessage& message) override;
    /// Whether a send is on its way.
    bool Busy() const { return busy_; }

private:
    IMailTransport& inner_;
    bool busy_ = false;
};

class TEmailWindow : public QDialog
{
    Q_OBJECT

public:
    /// The common settings hold the sender and the server; the program's settings the window's
    /// place (none when null). All must outlive the window.
    TEmailWindow(ISettingsStore& common, ISettingsStore* program, const TRegisteredUser& user,
                 const std::string& defaultAddress, IMailTransport& transport, ILauncher& launcher,
                 QWidget* parent = nullptr);
    ~TEmailWindow() override;

    /// The print preview's "Email...": the report message, then the window shown, modal.
    void ComposeReport(const QString& documentFile, const QString& imageList,
                       const std::string& companyAddress);
    /// Shows the window with the model's message.
    void ShowMail();

    TEmail& Model() { return model_; }
    /// "Send": the fields into the model, the message sent; the window closes when it went out.
    bool Send();
    /// The SMTP settings window, made when first asked for.
    TSmtpSettingsDialog* SettingsDialog();

    // --- the widgets, for tests ---
    QLineEdit* ToEdit() const { return to_; }
    QLineEdit* BccEdit() const { return bcc_; }
    QLineEdit* SubjectEdit() const { return subject_; }
    QPlainTextEdit* BodyEdit() const { return body_; }
    QListWidget* AttachmentList() const { return attachments_; }
    QPushButton* ProtocolButton() const { return protocol_; }
    QPushButton* SendButton() const { return send_; }
    QString StatusText() const;
    QString ProtocolStatusText() const;
    /// Why the last send failed, in full, above the buttons; hidden when nothing failed.
    QLabel* FailureLabel() const { return failure_; }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void showMessage();
    void takeFields();
    void showAttachments();
    void showProtocol();
    void showFailure();
    void chooseAttachments();

    TBackgroundTransport background_;
    TEmail model_;
    ISettingsStore& common_;
    ISettingsStore* program_;
    ILauncher& launcher_;
    TSmtpSettingsDialog* settings_ = nullptr;
    QLineEdit* to_ = nullptr;
    QLineEdit* bcc_ = nullptr;
    QLineEdit* subject_ = nullptr;
    QPlainTextEdit* body_ = nullptr;
    QListWidget* attachments_ = nullptr;
    QLineEdit* fromName_ = nullptr;
    QLineEdit* fromCompany_ = nullptr;
    QLineEdit* fromAddress_ = nullptr;
    QPushButton* send_ = nullptr;
    QPushButton* protocol_ = nullptr;
    QPushButton* settingsButton_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* failure_ = nullptr;
    QLabel* protocolStatus_ = nullptr;
    bool placed_ = false;
};

} // namespace zmk::gui
