// What every dialog of the program shares, whatever it edits: the name it remembers its place
// under in the settings store (and whether it restores its size too), and the snapshot of what
// it edits, taken each time it is shown, that Cancel puts back.
#pragma once

#include "app/StartupSettings.h"
#include "platform/SettingsStore.h"
#include "dialogs/FmtEdit.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace zmk {

/// How a modal dialog was closed.
enum class TDialogResult { None, Ok, Cancel };

/// The number a field holds, in its stored unit; nothing when its text is no finite number.
std::optional<double> ReadFieldNumber(const TFmtEdit& field);

/// The remembered place of a dialog window.
class TDialogPlace
{
public:
    /// A dialog remembered under its window name ("FatForm"); whether it restores its size
    /// comes from the list of remembered windows.
    explicit TDialogPlace(std::string_view windowName);

    const std::string& Name() const { return name_; }
    bool WithSize() const { return withSize_; }
    /// The place as the window last had it (screen pixels).
    TWindowPlace Place;

    /// Reads the place stored under the window's name over Place (position, and the size when
    /// the window restores it), held on the screen.
    void Restore(const ISettingsStore& store, TScreenSize screen);
    /// Writes Place under the window's name.
    void Store(ISettingsStore& store) const;

private:
    std::string name_;
    bool withSize_;
};

/// The values a dialog edits, as they were when it was shown; Cancel puts them back.
template <class T> class TSnapshot
{
public:
    /// Remembers the values as they stand.
    void Take(const T& values) { saved_ = values; }
    /// Whether a snapshot was taken since the last PutBack.
    bool Taken() const { return saved_.has_value(); }
    /// Puts the remembered values back and forgets them; nothing happens without a snapshot.
    void PutBack(T& values)
    {
        if (saved_)
            values = std::move(*saved_);
        saved_.reset();
    }
    /// Forgets the snapshot (the dialog was accepted).
    void Drop() { saved_.reset(); }

private:
    std::optional<T> saved_;
};

} // namespace zmk
