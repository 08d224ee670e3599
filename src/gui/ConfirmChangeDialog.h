// The start-up question about an installed data file whose section differs from the user's:
// the user's version beside the installed one, and four answers.
#pragma once

#include "platform/IniFileMerger.h"

#include <QDialog>

#include <optional>

class QPlainTextEdit;
class QPushButton;

namespace zmk::gui {

class TConfirmChangeDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TConfirmChangeDialog(const TMergeQuestion& question, QWidget* parent = nullptr);

    /// The answer of the button pressed; none when the dialog was closed without one.
    std::optional<TMergeAnswer> Answer() const { return answer_; }
    /// Shows the question modally and returns the answer.
    static std::optional<TMergeAnswer> Ask(const TMergeQuestion& question, QWidget* parent = nullptr);

    QPlainTextEdit* UserMemo() const { return userMemo_; }
    QPlainTextEdit* InstallMemo() const { return installMemo_; }
    QPushButton* Button(TMergeAnswer answer) const;

    void UserBtnClick() { answerWith(TMergeAnswer::Keep); }
    void InstallBtnClick() { answerWith(TMergeAnswer::Replace); }
    void LaterBtnClick() { answerWith(TMergeAnswer::Later); }
    void AllBtnClick() { answerWith(TMergeAnswer::ReplaceAll); }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void answerWith(TMergeAnswer answer);

    QPlainTextEdit* userMemo_ = nullptr;
    QPlainTextEdit* installMemo_ = nullptr;
    QPushButton* buttons_[4] = {};
    std::optional<TMergeAnswer> answer_;
};

} // namespace zmk::gui
