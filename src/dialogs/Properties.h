// The "Properties" dialog of the File menu: the project properties on two pages ("Project":
// name, number, comments, date; "User": the registered user and organisation), a "General" page
// with the facts of the current project file (shown only while the file can be found), and
// "Keep as default", which makes name, number, user and organisation the defaults of new
// projects. The properties themselves live in the project properties object; this is the
// dialog's side. The dialog widget shows the texts held here (the file's icon and type
// description it asks the platform for) and forwards the user's edits.
#pragma once

#include "app/ProjectProperties.h"
#include "dialogs/DialogForm.h"
#include "platform/SettingsStore.h"

#include <array>
#include <optional>
#include <string>

namespace zmk {

/// The dialog's title, its pages, check box and labels.
inline constexpr const char* kPropertiesTitle = "Properties";
inline constexpr std::array<const char*, 3> kPropertiesPages{"Project", "User", "General"};
inline constexpr int kGeneralPage = 2;
inline constexpr const char* kKeepAsDefaultCaption = "Keep as default";
inline constexpr const char* kProjectNameCaption = "Project Name:";
inline constexpr const char* kProjectNumberCaption = "Project Number:";
inline constexpr const char* kCommentsCaption = "Comments:";
inline constexpr const char* kProjectDateCaption = "Project Date:";
inline constexpr const char* kAuthorCaption = "Registered User:";
inline constexpr const char* kCompanyCaption = "Registered Organization:";
inline constexpr const char* kLocationCaption = "Location:";
inline constexpr const char* kTypeCaption = "Type: ";
inline constexpr const char* kCreatedCaption = "Created:";
inline constexpr const char* kModifiedCaption = "Modified:";
inline constexpr const char* kSizeCaption = "Size:";
inline constexpr const char* kAttributesCaption = "Attributes:";
inline constexpr std::array<const char*, 4> kAttributeCaptions{"Read Only", "Hidden", "Archive", "System"};
/// Section of the program's settings holding the window's position.
inline constexpr std::string_view kPropertiesWindow = "PropertiesForm";

/// What the "General" page shows of the current project file.
struct TGeneralPage
{
    std::string Path;     ///< the file, for the platform's icon and type description
    std::string FileName; ///< name without folder
    std::string Location; ///< folder
    std::string Created;  ///< local time, to two seconds; "-1" when not known
    std::string Modified; ///< local time, to two seconds
    std::string Size;     ///< "2.50 KB (2560 bytes)"
    /// "Read Only", "Hidden", "Archive", "System": check boxes that only display.
    std::array<bool, 4> Attributes{};
};

/// The "General" page of a file's facts.
TGeneralPage GeneralPageOf(const std::string& path, const TFileFacts& facts);
/// The long date form of the date picker: "Wednesday, 3 January 2024".
std::string LongDateText(TDate date);

class TProperties
{
public:
    /// Made once at program start, on the session's properties; programSettings keeps the
    /// window's position.
    TProperties(TProjectProperties& properties, ISettingsStore& programSettings);
    TProperties(const TProperties&) = delete;
    TProperties& operator=(const TProperties&) = delete;

    /// The window's remembered position (its size is its own).
    void RestoreWindowPlace(TWindowPlace& place, TScreenSize screen) const;

    /// The dialog is shown for the current project file (empty: none): the "Project" page is
    /// selected, "Keep as default" cleared, the snapshot for Cancel taken, the fields filled,
    /// and the "General" page filled, or hidden when the file cannot be found.
    void Show(const std::string& currentFile);
    /// "Accept": the fields become the properties; with "Keep as default" checked, name,
    /// number, user and organisation become the defaults of new projects. The result is Ok.
    void Accept();
    /// "Cancel": the properties are put back as they were when the dialog was shown.
    void Cancel();
    /// The dialog closes: the window's position (when given) is stored.
    void Close(const TWindowPlace* windowPlace = nullptr);
    TDialogResult Result() const { return result_; }

    // ---- the fields the widget edits ------------------------------------------------------

    std::string ProjectName;
    std::string ProjectNumber;
    /// The comments as one text, lines ending in CR LF (none after the last).
    std::string Comments;
    TDate Date{};
    std::string Author;
    std::string Company;
    bool KeepAsDefault = false;
    /// The selected page (index into kPropertiesPages).
    int ActivePage = 0;

    // ---- the "General" page ----------------------------------------------------------------

    /// Whether the page is shown.
    bool GeneralVisible() const { return general_.has_value(); }
    /// Its contents while it is shown.
    const std::optional<TGeneralPage>& General() const { return general_; }

private:
    TProjectProperties& properties_;
    ISettingsStore& settings_;
    TDialogPlace place_;
    std::optional<TGeneralPage> general_;
    TDialogResult result_ = TDialogResult::None;
};

} // namespace zmk
