#include "gui/ConfirmChangeDialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zmk::gui {

namespace {

QString lines(const std::vector<std::string>& text)
{
    QStringList list;
    for (const std::string& line : text)
        list << QString::fromStdString(line);
    return list.join(QLatin1Char('\n'));
}

QPlainTextEdit* memo(const std::vector<std::string>& text, QWidget* parent)
{
    auto* m = new QPlainTextEdit(lines(text), parent);
    m->setReadOnly(true);
    m->setLineWrapMode(QPlainTextEdit::NoWrap);
    return m;
}

} // namespace

TConfirmChangeDialog::TConfirmChangeDialog(const TMergeQuestion& question, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(
        QString::fromStdString(question.Title.empty() ? std::string("Install notice") : question.Title));
    userMemo_ = memo(question.UserLines, this);
    installMemo_ = memo(question.InstallLines, this);

    struct ButtonText
    {
        const char* caption;
        const char* hint;
        TMergeAnswer answer;
    };
    const ButtonText texts[4] = {
        {"Keep your data", "Keep your data and ignore installed data", TMergeAnswer::Keep},
        {"Use install data", "Replace your data with install data", TMergeAnswer::Replace},
        {"&Decide later", "Decide all later", TMergeAnswer::Later},
        {"&Accept All", "Accept all installed data", TMergeAnswer::ReplaceAll},
    };
    auto* row = new QHBoxLayout;
    for (const ButtonText& t : texts) {
        auto* b = new QPushButton(tr(t.caption), this);
        b->setToolTip(tr(t.hint));
        b->setAutoDefault(false);
        const TMergeAnswer answer = t.answer;
        connect(b, &QPushButton::clicked, this, [this, answer] { answerWith(answer); });
        buttons_[static_cast<int>(answer)] = b;
        row->addWidget(b);
    }
    Button(TMergeAnswer::Replace)->setDefault(true);

    auto* memos = new QGridLayout;
    memos->addWidget(new QLabel(tr("Your data"), this), 0, 0);
    memos->addWidget(new QLabel(tr("Installed data"), this), 0, 1);
    memos->addWidget(userMemo_, 1, 0);
    memos->addWidget(installMemo_, 1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(memos, 1);
    layout->addLayout(row);
    resize(640, 360);
}

QPushButton* TConfirmChangeDialog::Button(TMergeAnswer answer) const
{
    return buttons_[static_cast<int>(answer)];
}

void TConfirmChangeDialog::answerWith(TMergeAnswer answer)
{
    answer_ = answer;
    accept();
}

void TConfirmChangeDialog::keyPressEvent(QKeyEvent* event)
{
    // Escape is "&Decide later", not a silent cancel.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        LaterBtnClick();
        return;
    }
    QDialog::keyPressEvent(event);
}

std::optional<TMergeAnswer> TConfirmChangeDialog::Ask(const TMergeQuestion& question, QWidget* parent)
{
    TConfirmChangeDialog dialog(question, parent);
    dialog.exec();
    return dialog.Answer();
}

} // namespace zmk::gui
