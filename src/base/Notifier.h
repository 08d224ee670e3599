// How the core tells the user something. The core never shows a message itself: the GUI
// implements this with message boxes and the status bar, the command line prints, and the
// tests record what was said.
#pragma once

#include <string>
#include <vector>

namespace zmk {

class INotifier
{
public:
    virtual ~INotifier() = default;
    /// An error or a refusal that the user must acknowledge (a message box in the GUI).
    virtual void Message(const std::string& text) = 0;
    /// A short status text ("Solved...", "Not Solved...").
    virtual void Status(const std::string& text) { (void)text; }
    /// The warning sound of a refused key or an out-of-range entry.
    virtual void Beep() {}
};

/// A notifier that keeps everything it is told; used by the tests and by batch runs.
class RecordingNotifier : public INotifier
{
public:
    void Message(const std::string& text) override { messages.push_back(text); }
    void Status(const std::string& text) override { statuses.push_back(text); }
    void Beep() override { ++beeps; }

    std::vector<std::string> messages;
    std::vector<std::string> statuses;
    int beeps = 0;
};

} // namespace zmk
