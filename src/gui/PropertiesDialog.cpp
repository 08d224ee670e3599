#include "gui/PropertiesDialog.h"

#include "gui/DialogKeys.h"
#include "gui/WindowPlace.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace zmk::gui {

namespace {

QString qt(const std::string& s)
{
    return QString::fromStdString(s);
}

// The page captions with their keys.
QString pageCaption(int page)
{
    static const char* const kMarked[] = {"&Project", "&User", "&General"};
    return QObject::tr(kMarked[page]);
}

QLabel* buddyLabel(const char* caption, QWidget* buddy, QWidget* parent)
{
    QString used = QStringLiteral("ack"); // the buttons and the check box
    auto* label = new QLabel(MnemonicCaption(QObject::tr(caption), used), parent);
    label->setBuddy(buddy);
    return label;
}

} // namespace

TPropertiesDialog::TPropertiesDialog(TProjectProperties& properties, ISettingsStore& store, QWidget* parent)
    : QDialog(parent), store_(store), model_(properties, store)
{
    setObjectName("PropertiesForm");
    setWindowTitle(tr(kPropertiesTitle));
    setSizeGripEnabled(true);

    pages_ = new QTabWidget(this);
    pages_->setObjectName("Pages");
    pages_->addTab(buildProjectPage(), pageCaption(0));
    pages_->addTab(buildUserPage(), pageCaption(1));
    generalPage_ = buildGeneralPage();
    pages_->addTab(generalPage_, pageCaption(kGeneralPage));

    keep_ = new QCheckBox(tr("&Keep as default"), this);
    keep_->setObjectName("KeepAsDefault");
    accept_ = new QPushButton(QIcon::fromTheme("dialog-ok"), tr("&Accept"), this);
    accept_->setObjectName("Accept");
    accept_->setDefault(true);
    auto* cancel = new QPushButton(QIcon::fromTheme("dialog-cancel"), tr("&Cancel"), this);
    cancel->setObjectName("Cancel");
    connect(accept_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(keep_);
    buttons->addStretch(1);
    buttons->addWidget(accept_);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_, 1);
    layout->addLayout(buttons);
    UseFieldKeys({name_, number_, author_, company_});
    resize(460, 420);
}

QWidget* TPropertiesDialog::buildProjectPage()
{
    auto* page = new QWidget;
    name_ = new QLineEdit(page);
    name_->setObjectName("ProjectName");
    number_ = new QLineEdit(page);
    number_->setObjectName("ProjectNumber");
    comments_ = new QPlainTextEdit(page);
    comments_->setObjectName("Comments");
    comments_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    comments_->setTabChangesFocus(true);
    date_ = new QDateEdit(page);
    date_->setObjectName("ProjectDate");
    date_->setCalendarPopup(true);
    date_->setDisplayFormat(QStringLiteral("dddd, d MMMM yyyy"));
    date_->setMinimumWidth(
        date_->fontMetrics().horizontalAdvance(QStringLiteral("Wednesday, 30 September 2026")) + 48);
    auto* form = new QFormLayout(page);
    form->addRow(buddyLabel(kProjectNameCaption, name_, page), name_);
    form->addRow(buddyLabel(kProjectNumberCaption, number_, page), number_);
    form->addRow(buddyLabel(kCommentsCaption, comments_, page), comments_);
    form->addRow(buddyLabel(kProjectDateCaption, date_, page), date_);
    return page;
}

QWidget* TPropertiesDialog::buildUserPage()
{
    auto* page = new QWidget;
    author_ = new QLineEdit(page);
    author_->setObjectName("Author");
    company_ = new QLineEdit(page);
    company_->setObjectName("Company");
    auto* form = new QFormLayout(page);
    form->addRow(buddyLabel(kAuthorCaption, author_, page), author_);
    form->addRow(buddyLabel(kCompanyCaption, company_, page), company_);
    return page;
}

QWidget* TPropertiesDialog::buildGeneralPage()
{
    auto* page = new QWidget;
    icon_ = new QLabel(page);
    icon_->setObjectName("FileIcon");
    icon_->setFixedSize(36, 36);
    for (std::size_t i = 0; i < general_.size(); ++i) {
        general_[i] = new QLabel(page);
        general_[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
        general_[i]->setWordWrap(i == 1);
    }
    general_[0]->setObjectName("FileName");
    auto* grid = new QGridLayout(page);
    grid->addWidget(icon_, 0, 0);
    grid->addWidget(general_[0], 0, 1);
    auto* line = new QFrame(page);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    grid->addWidget(line, 1, 0, 1, 2);
    const char* captions[] = {kLocationCaption, kTypeCaption, kCreatedCaption, kModifiedCaption,
                              kSizeCaption};
    int row = 2;
    for (std::size_t i = 0; i < 5; ++i, ++row) {
        grid->addWidget(new QLabel(tr(captions[i]).trimmed(), page), row, 0, Qt::AlignTop);
        grid->addWidget(general_[i + 1], row, 1);
    }
    grid->addWidget(new QLabel(tr(kAttributesCaption), page), row, 0, Qt::AlignTop);
    auto* boxes = new QGridLayout;
    for (std::size_t i = 0; i < attributes_.size(); ++i) {
        attributes_[i] = new QCheckBox(tr(kAttributeCaptions[i]), page);
        // They show the file's attributes; the file is not changed from here.
        attributes_[i]->setAttribute(Qt::WA_TransparentForMouseEvents);
        attributes_[i]->setFocusPolicy(Qt::NoFocus);
        boxes->addWidget(attributes_[i], static_cast<int>(i / 2), static_cast<int>(i % 2));
    }
    grid->addLayout(boxes, row, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(row + 1, 1);
    return page;
}

bool TPropertiesDialog::GeneralShown() const
{
    return pages_->indexOf(generalPage_) >= 0;
}

int TPropertiesDialog::ShowOn(const std::string& currentFile)
{
    model_.Show(currentFile);
    showModel();
    return exec();
}

void TPropertiesDialog::showModel()
{
    name_->setText(qt(model_.ProjectName));
    number_->setText(qt(model_.ProjectNumber));
    comments_->setPlainText(qt(model_.Comments).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    date_->setDate(QDate(model_.Date.year, model_.Date.month, model_.Date.day));
    author_->setText(qt(model_.Author));
    company_->setText(qt(model_.Company));
    keep_->setChecked(model_.KeepAsDefault);
    showGeneral();
    pages_->setCurrentIndex(model_.ActivePage);
    name_->setFocus();
}

void TPropertiesDialog::showGeneral()
{
    const bool shown = GeneralShown();
    if (!model_.GeneralVisible()) {
        if (shown)
            pages_->removeTab(pages_->indexOf(generalPage_));
        return;
    }
    if (!shown)
        pages_->addTab(generalPage_, pageCaption(kGeneralPage));
    const TGeneralPage& g = *model_.General();
    const QFileInfo file(qt(g.Path));
    icon_->setPixmap(QFileIconProvider().icon(file).pixmap(32, 32));
    general_[0]->setText(qt(g.FileName));
    general_[1]->setText(qt(g.Location));
    general_[2]->setText(QMimeDatabase().mimeTypeForFile(file).comment());
    general_[3]->setText(qt(g.Created));
    general_[4]->setText(qt(g.Modified));
    general_[5]->setText(qt(g.Size));
    for (std::size_t i = 0; i < attributes_.size(); ++i)
        attributes_[i]->setChecked(g.Attributes[i]);
}

void TPropertiesDialog::takeFields()
{
    model_.ProjectName = name_->text().toStdString();
    model_.ProjectNumber = number_->text().toStdString();
    model_.Comments =
        comments_->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n")).toStdString();
    const QDate d = date_->date();
    model_.Date = TDate{d.year(), d.month(), d.day()};
    model_.Author = author_->text().toStdString();
    model_.Company = company_->text().toStdString();
    model_.KeepAsDefault = keep_->isChecked();
    model_.ActivePage = pages_->currentIndex();
}

void TPropertiesDialog::showEvent(QShowEvent* event)
{
    if (!placed_) {
        placed_ = true;
        RestoreDialogPlace(
            *this, store_, kPropertiesWindow, false,
            [this](TWindowPlace& place, TScreenSize screen) { model_.RestoreWindowPlace(place, screen); });
    }
    QDialog::showEvent(event);
}

void TPropertiesDialog::done(int result)
{
    FinishDialog(*this, model_, result == QDialog::Accepted, [this] { takeFields(); });
    QDialog::done(result);
}

} // namespace zmk::gui
