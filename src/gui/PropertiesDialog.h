// The "Properties" dialog of the File menu: the "Project", "User" and "General" pages, "Keep as
// default", "Accept" and "Cancel". The texts, the snapshot and the file's facts are the
// properties dialog model's; the file's icon and type description come from the desktop.
#pragma once

#include "dialogs/Properties.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

namespace zmk::gui {

class TPropertiesDialog : public QDialog
{
    Q_OBJECT

public:
    /// Made once on the session's properties; `store` holds its place. Both must outlive it.
    TPropertiesDialog(TProjectProperties& properties, ISettingsStore& store, QWidget* parent = nullptr);

    /// Shows the dialog modally for the current project file (empty: none).
    int ShowOn(const std::string& currentFile);

    TProperties& Model() { return model_; }
    QTabWidget* Pages() const { return pages_; }
    QLineEdit* NameEdit() const { return name_; }
    QLineEdit* NumberEdit() const { return number_; }
    QPlainTextEdit* CommentsEdit() const { return comments_; }
    QDateEdit* DateEdit() const { return date_; }
    QLineEdit* AuthorEdit() const { return author_; }
    QLineEdit* CompanyEdit() const { return company_; }
    QCheckBox* KeepAsDefaultBox() const { return keep_; }
    QPushButton* AcceptButton() const { return accept_; }
    /// Whether the "General" page is among the pages now.
    bool GeneralShown() const;
    QLabel* FileIcon() const { return icon_; }
    /// The "General" page's values: file name, location, type, created, modified, size.
    QLabel* GeneralValue(int index) const { return general_.at(static_cast<std::size_t>(index)); }
    QCheckBox* Attribute(int index) const { return attributes_.at(static_cast<std::size_t>(index)); }

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildProjectPage();
    QWidget* buildUserPage();
    QWidget* buildGeneralPage();
    void showModel();
    void showGeneral();
    void takeFields();

    ISettingsStore& store_;
    TProperties model_;
    QTabWidget* pages_ = nullptr;
    QWidget* generalPage_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLineEdit* number_ = nullptr;
    QPlainTextEdit* comments_ = nullptr;
    QDateEdit* date_ = nullptr;
    QLineEdit* author_ = nullptr;
    QLineEdit* company_ = nullptr;
    QCheckBox* keep_ = nullptr;
    QLabel* icon_ = nullptr;
    std::array<QLabel*, 6> general_{};
    std::array<QCheckBox*, 4> attributes_{};
    QPushButton* accept_ = nullptr;
    bool placed_ = false;
};

} // namespace zmk::gui
