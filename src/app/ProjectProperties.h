// The project properties that identify a job on paper: project name and number, comments,
// date, and the user and organisation who prepared it. They head the printed report, open the
// chart data file and travel in the project file; name, number, user and organisation can be
// kept as the defaults for new projects. The properties dialog edits them; this is its model
// (the dialog itself belongs to the window layer), including the snapshot that Cancel puts
// back and the facts about the project file that the dialog's "General" page shows.
#pragma once

#include "base/TextHelpers.h"
#include "base/XMLFiles.h"
#include "platform/RegisteredUser.h"
#include "platform/SettingsStore.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zmk {

/// The project date: a calendar date.
using TDate = CalendarDate;

/// A date as "dd mm yyyy", the form the project file and the chart data file use.
std::string DateText(TDate date);

/// The six project properties.
struct TPropertyValues
{
    std::string ProjectName;
    std::string ProjectNumber;
    std::vector<std::string> Comments; ///< one text per line
    TDate Date{};
    std::string Author;  ///< "Registered User"
    std::string Company; ///< "Registered Organization"

    bool operator==(const TPropertyValues&) const = default;
};

/// Facts about the current project file, for the dialog's "General" page. The file type's
/// description and icon come from the window layer.
struct TFileFacts
{
    std::string FileName;                                          ///< name without folder
    std::string Location;                                          ///< folder, ending in "/"
    std::optional<std::chrono::system_clock::time_point> Created;  ///< when the platform knows it
    std::optional<std::chrono::system_clock::time_point> Modified; ///< last write
    std::uintmax_t Size = 0;                                       ///< bytes
    bool ReadOnly = false;                                         ///< not writable by this user
    bool Hidden = false;                                           ///< name starts with "."
    bool Archive = false;                                          ///< no such attribute here: always false
    bool System = false; ///< not a regular file (a device, socket or pipe)

    /// "2.50 KB (2560 bytes)".
    std::string SizeText() const;
};

/// The facts about a file, or nothing when it cannot be found or its facts cannot be had
/// (the "General" page is then hidden).
std::optional<TFileFacts> ReadFileFacts(const std::filesystem::path& file);
/// A file time in local time as "dd/mm/yyyy hh:mm:ss", to two seconds; "-1" without one.
std::string FileTimeText(const std::optional<std::chrono::system_clock::time_point>& time);

/// The project properties of the job, with their stored defaults.
class TProjectProperties
{
public:
    /// Section of the settings store that holds the defaults.
    static constexpr std::string_view kSection = "File Properties";

    /// Loads the stored defaults into name, number, author and company (author and company
    /// fall back on the registered user); the date is today. The store must outlive this.
    TProjectProperties(ISettingsStore& store, TRegisteredUser registered);

    /// The properties as they stand; other parts read and write them here.
    TPropertyValues& Values() { return values_; }
    const TPropertyValues& Values() const { return values_; }

    /// New project: name, number, author and company from the stored defaults, no
    /// comments, today's date.
    void ResetProperties();

    /// The name, or "Project" when it is empty.
    std::string ProjectName() const;
    /// The number, or "001" when it is empty.
    std::string ProjectNumber() const;

    /// The project block of the printed report: "<p>" name "<br>" CR LF number "<br>" CR LF,
    /// each comment line followed by CR LF, "</p>". The texts are the user's and may come from
    /// someone else's file, so "<", ">", "&" and '"' in them are written as HTML entities.
    std::string ReportBlock() const;
    /// The project lines of the chart data file, without line ends: name, number, the count of
    /// comment lines, each comment line, author, company and the date "dd mm yyyy"; texts in
    /// single quotes (quotes inside them are not doubled).
    std::vector<std::string> WriteChartLines() const;

    /// The comments as one text, lines joined by CR LF with nothing after the last.
    std::string CommentsText() const;
    /// Sets the comments from a text whose lines end in CR LF, LF or CR.
    void SetCommentsText(std::string_view text);

    /// Opening a project: all six properties from the children of `fileprops` under the root
    /// (empty texts where missing; the comments with "%13%10" turned back into line breaks; the
    /// date read as day, month and year separated by blanks, today when it cannot be read).
    void LoadFromXML(TXMLFile& file, TXMLFile::Node root);
    /// Saving a project: finds or creates `fileprops` under the root and writes projectname,
    /// projectnumber, description (line breaks as "%13%10"), author, company and date.
    void SaveToXML(TXMLFile& file, TXMLFile::Node root) const;

    /// The dialog is being shown for the current file: takes the snapshot for Cancel and
    /// clears "Keep as default". Returns the facts for the "General" page, or nothing when
    /// there is no current file or its facts cannot be had (the page is then hidden).
    std::optional<TFileFacts> BeginShow(const std::string& currentFile);
    /// "Accept": the properties keep what was typed; with keepAsDefault, name, number, author
    /// and company become the stored defaults.
    void Accept(bool keepAsDefault);
    /// "Cancel": the six properties are set back from the snapshot.
    void Cancel();

private:
    void loadDefaults();
    ISettingsStore& store_;
    TRegisteredUser registered_;
    TPropertyValues values_;
    TPropertyValues snapshot_;
};

} // namespace zmk
