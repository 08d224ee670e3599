#include "gui/SmtpSettingsDialog.h"
#include "gui/ThemeColours.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zmk::gui {

namespace {

QString qt(const std::string& s)
{
    return QString::fromStdString(s);
}

} // namespace

TSmtpSettingsDialog::TSmtpSettingsDialog(ISettingsStore& common, QWidget* parent)
    : QDialog(parent), model_(common)
{
    setObjectName(QStringLiteral("SmtpSettings"));
    setWindowTitle(QString::fromLatin1(kSmtpSettingsTitle));

    server_ = new QLineEdit(this);
    port_ = new QLineEdit(this);
    port_->setValidator(new QIntValidator(1, 65535, port_));
    authentication_ = new QComboBox(this);
    for (const std::string& caption : TSmtpSettingsForm::AuthenticationCaptions())
        authentication_->addItem(qt(caption));
    user_ = new QLineEdit(this);
    password_ = new QLineEdit(this);
    password_->setEchoMode(QLineEdit::Password);
    allowPlain_ = new QCheckBox(QString::fromLatin1(kAllowPlainPasswordCaption), this);
    allowPlain_->setObjectName(QStringLiteral("AllowPlainPassword"));
    allowPlainNote_ = new QLabel(QString::fromLatin1(kAllowPlainPasswordNote), this);
    allowPlainNote_->setObjectName(QStringLiteral("AllowPlainPasswordNote"));
    allowPlainNote_->setWordWrap(true);
    popServer_ = new QLineEdit(this);
    popPort_ = new QLineEdit(this);
    popPort_->setValidator(new QIntValidator(1, 65535, popPort_));

    auto* outgoing = new QGroupBox(tr("Outgoing mail (SMTP)"), this);
    auto* outForm = new QFormLayout(outgoing);
    outForm->addRow(tr("&Server:"), server_);
    outForm->addRow(tr("P&ort:"), port_);
    outForm->addRow(tr("&Authentication:"), authentication_);
    outForm->addRow(tr("&User name:"), user_);
    outForm->addRow(tr("Pass&word:"), password_);
    outForm->addRow(QString(), allowPlain_);
    outForm->addRow(QString(), allowPlainNote_);

    auto* pop = new QGroupBox(tr("POP-before-SMTP"), this);
    auto* popForm = new QFormLayout(pop);
    popForm->addRow(tr("POP ser&ver:"), popServer_);
    popForm->addRow(tr("POP po&rt:"), popPort_);

    auto* note = new QLabel(QString::fromLatin1(kSmtpSettingsNote), this);
    note->setObjectName(QStringLiteral("Note"));
    note->setWordWrap(true);
    error_ = new QLabel(this);
    error_->setStyleSheet(
        QStringLiteral("color: %1").arg(ReadableColour(*error_, QColor(0xB0, 0, 0), QPalette::Window)));
    error_->hide();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &TSmtpSettingsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(outgoing);
    layout->addWidget(pop);
    layout->addWidget(note);
    layout->addWidget(error_);
    layout->addWidget(buttons);

    connect(authentication_, &QComboBox::currentIndexChanged, this, [this](int index) {
        model_.SetAuthenticationIndex(index);
        showEnabling();
    });
    showValues();
    setMinimumWidth(460);
}

TSmtpSettingsDialog::~TSmtpSettingsDialog() = default;

void TSmtpSettingsDialog::showEvent(QShowEvent* event)
{
    snapshot_ = model_.Values;
    showValues();
    error_->hide();
    // The notes wrap: the window is made tall enough to show them whole at its width.
    layout()->activate();
    const int needed = layout()->totalHeightForWidth(width());
    if (needed > height())
        resize(width(), needed);
    QDialog::showEvent(event);
}

void TSmtpSettingsDialog::reject()
{
    model_.Values = snapshot_;
    showValues();
    QDialog::reject();
}

void TSmtpSettingsDialog::showValues()
{
    const TSmtpSettings& v = model_.Values;
    server_->setText(qt(v.Server));
    port_->setText(qt(model_.PortText()));
    user_->setText(qt(v.UserName));
    password_->setText(qt(v.Password));
    popServer_->setText(qt(v.PopServer));
    popPort_->setText(qt(model_.PopPortText()));
    allowPlain_->setChecked(v.AllowPlainPassword);
    authentication_->setCurrentIndex(model_.AuthenticationIndex());
    showEnabling();
}

void TSmtpSettingsDialog::showEnabling()
{
    user_->setEnabled(model_.UserNameEnabled());
    password_->setEnabled(model_.PasswordEnabled());
    allowPlain_->setEnabled(model_.AllowPlainPasswordEnabled());
    allowPlainNote_->setEnabled(model_.AllowPlainPasswordEnabled());
    popServer_->setEnabled(model_.PopServerEnabled());
    popPort_->setEnabled(model_.PopPortEnabled());
}

void TSmtpSettingsDialog::accept()
{
    auto refuse = [this](QLineEdit* field) {
        error_->setText(tr("A port is a whole number from 1 to 65535."));
        error_->show();
        field->setFocus();
        field->selectAll();
    };
    if (!model_.SetPortText(port_->text().toStdString())) {
        refuse(port_);
        return;
    }
    if (!model_.SetPopPortText(popPort_->text().toStdString())) {
        refuse(popPort_);
        return;
    }
    model_.Values.Server = server_->text().trimmed().toStdString();
    model_.Values.UserName = user_->text().toStdString();
    model_.Values.Password = password_->text().toStdString();
    model_.Values.AllowPlainPassword = allowPlain_->isChecked();
    model_.Values.PopServer = popServer_->text().trimmed().toStdString();
    error_->hide();
    if (!model_.Close()) {
        error_->setText(tr("The settings could not be written."));
        error_->show();
        return;
    }
    QDialog::accept();
}

} // namespace zmk::gui
