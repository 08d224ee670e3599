// The about box: the program's name and version, the folders it works in, and the libraries it
// is built on with their licences.
#pragma once

#include "dialogs/MainWindowModel.h"

#include <QDialog>

namespace zmk::gui {

/// The toolkit libraries the window program links, as the about box names them.
std::vector<TLibraryNotice> ToolkitLibraries();

class TAboutBox : public QDialog
{
    Q_OBJECT

public:
    TAboutBox(const TAboutFacts& facts, QWidget* parent = nullptr);
    /// The text shown, as plain text (tests).
    QString PlainText() const;

private:
    QString text_;
};

} // namespace zmk::gui
