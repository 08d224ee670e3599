// The "SMTP Settings:" window: the outgoing server and port, the authentication choice, the
// user name and password with "Allow password without encryption" and what it means, and the
// POP server and port, enabled as the settings model says; the values are read when the window
// is made and written when it closes.
#pragma once

#include "dialogs/SmtpSettings.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace zmk::gui {

class TSmtpSettingsDialog : public QDialog
{
    Q_OBJECT

public:
    /// On the common settings, which must outlive the window.
    explicit TSmtpSettingsDialog(ISettingsStore& common, QWidget* parent = nullptr);
    ~TSmtpSettingsDialog() override;

    TSmtpSettingsForm& Model() { return model_; }
    QComboBox* Authentication() const { return authentication_; }
    QLineEdit* Server() const { return server_; }
    QLineEdit* Port() const { return port_; }
    QLineEdit* UserName() const { return user_; }
    QLineEdit* Password() const { return password_; }
    QCheckBox* AllowPlainPassword() const { return allowPlain_; }
    QLineEdit* PopServer() const { return popServer_; }
    QLineEdit* PopPort() const { return popPort_; }

    /// OK: takes the fields into the model and writes them; a port that is not a number
    /// 1..65535 keeps the window open with the field selected.
    void accept() override;
    /// Cancel: the values as they were when the window opened.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showEnabling();
    void showValues();

    TSmtpSettingsForm model_;
    TSmtpSettings snapshot_;
    QComboBox* authentication_ = nullptr;
    QLineEdit* server_ = nullptr;
    QLineEdit* port_ = nullptr;
    QLineEdit* user_ = nullptr;
    QLineEdit* password_ = nullptr;
    QCheckBox* allowPlain_ = nullptr;
    QLabel* allowPlainNote_ = nullptr;
    QLineEdit* popServer_ = nullptr;
    QLineEdit* popPort_ = nullptr;
    QLabel* error_ = nullptr;
};

} // namespace zmk::gui
