// The notifier of the window program: messages in message boxes, status texts in the status
// bar's first panel, the warning sound.
#pragma once

#include "base/Notifier.h"

#include <functional>
#include <string>

class QWidget;

namespace zmk::gui {

class TMessageNotifier : public INotifier
{
public:
    /// Message boxes over `parent` (may be null), titled with the program's caption.
    explicit TMessageNotifier(QWidget* parent = nullptr);

    void SetParent(QWidget* parent) { parent_ = parent; }
    /// Where status texts go (the window's first status panel).
    std::function<void(const std::string&)> OnStatus;
    /// Replaces the message box (tests record the messages instead); none shows the box.
    std::function<void(const std::string&)> OnMessage;

    void Message(const std::string& text) override;
    void Status(const std::string& text) override;
    void Beep() override;

private:
    QWidget* parent_;
};

} // namespace zmk::gui
