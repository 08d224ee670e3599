// One project session: what a front end (the window, the command line, the tests) works on.
// It owns the settings store the session reads, the project properties, the coil job, the
// current file name with the recent-file list, and the report folder the pages are written to,
// and it reports through one notifier. New, Open, Save, Save As, Solve, Step by step and
// RefreshView are its operations; each front end adds only how it shows things.
#pragma once

#include "app/CoilJob.h"
#include "app/ProjectFile.h"
#include "app/ProjectProperties.h"
#include "platform/RecentFiles.h"
#include "platform/SettingsStore.h"
#include "reports/ReportPages.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zmk {

class IHtmlView;
class INotifier;
class TTypeface;

/// How a session is set up. Everything has a default for a session of the running program.
struct TSessionSetup
{
    /// Where messages and status texts go; none when null.
    INotifier* Notifier = nullptr;
    /// The settings store the session reads (and a window writes at exit). When null the
    /// session opens the user's program settings file itself; it writes it only when told.
    ISettingsStore* Store = nullptr;
    /// The registered owner and organisation for the property defaults; read from the system
    /// when not given.
    std::optional<TRegisteredUser> User;
    /// The user's data folder, ending with "/"; New names the job "Default.zmx" in it.
    std::string DataFolder;
    /// The program folder (page images, circuit pictures); the running program's when empty.
    std::filesystem::path ProgramFolder;
    /// Where the pages and pictures are written; the program folder's "Report/" when empty.
    std::filesystem::path ReportFolder;
    /// The window caption the pages quote ("ZMK 1.0.0").
    std::string Caption;
    /// Whether a session that opens the program settings file itself tells its notifier when
    /// that file could not be read (false where one message serves many sessions).
    bool TellUnreadSettings = true;
};

/// The session. It subscribes to the job's changes: when the results are to be shown anew it
/// rebuilds the chosen page into the HTML view it is given. The window subscribes to the job
/// itself, after the session.
class TProjectSession
{
public:
    explicit TProjectSession(const TSessionSetup& setup = {});
    ~TProjectSession();
    TProjectSession(const TProjectSession&) = delete;
    TProjectSession& operator=(const TProjectSession&) = delete;

    // --- what the session holds ---

    ISettingsStore& Store() { return *store_; }
    TProjectProperties& Properties() { return properties_; }
    const TProjectProperties& Properties() const { return properties_; }
    TCoilJob& Job() { return job_; }
    const TCoilJob& Job() const { return job_; }
    TRecentFiles& RecentFiles() { return recent_; }
    INotifier* Notifier() const { return notifier_; }
    /// The current project file name; empty before the first New, Open or Save As.
    const std::string& FileName() const { return job_.FileName; }
    const std::filesystem::path& ProgramFolder() const { return programFolder_; }
    const std::filesystem::path& ReportFolder() const { return reportFolder_; }
    void SetReportFolder(std::filesystem::path folder) { reportFolder_ = std::move(folder); }
    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption) { caption_ = std::move(caption); }

    // --- project operations ---

    /// Builds the default coil of a kind ("zmk", "hwc", "cwc", any case) from the kind's
    /// defaults and, unless told not to, solves it once. Throws ZmkError for another kind or
    /// when no coil could be built.
    void BuildKind(std::string_view kind, bool solve = true);
    /// New project: "Default.zmx" in the data folder, the kind's defaults, a new coil and the
    /// properties reset.
    void New();
    /// The window's Open, with the command line's checks: a file that is missing or cannot be
    /// opened is told and changes nothing (it never becomes the current file). A project of
    /// another coil kind opens in its own kind: the default coil of that kind is built (not
    /// solved), as the command line does, and the file read into it; when no coil of that kind
    /// can be built the job's coil comes back and the file is refused. A file of the job's kind,
    /// or of none, is read into the coil as it stands. Open never solves. Messages go to the
    /// notifier.
    TOpenResult Open(const std::string& fileName);
    /// Open for the command line: first builds the default coil of `kind`, or when that is
    /// empty of the kind the file holds ("zmk" when it holds none), then opens the file into
    /// it. Throws ZmkError, with the program's message, when the file is missing or is not a
    /// project that can be read; other messages go to the notifier.
    TOpenResult OpenInKind(const std::string& fileName, std::string_view kind = {});
    /// The document of the project last opened (what Save keeps of it); null after New and
    /// before the first Open.
    const TXMLFile* OpenedDocument() const { return opened_.get(); }
    /// Save to the current file ("Default.zmx" in the data folder when there is none). False,
    /// with the reason told, when the file could not be written.
    bool Save();
    /// Save As, once the user has chosen the file.
    bool SaveAs(const std::string& fileName);
    /// Save or Save As that throws ZmkError with the reason instead of telling it.
    void SaveOrThrow(const std::string& fileName);
    /// Solve (F9).
    void Solve();
    /// Step by step.
    void StepByStep();

    // --- the result view ---

    /// The view chosen in the View menu.
    TReportView View() const { return view_; }
    /// Chooses a view and rebuilds it.
    void SetView(TReportView view);
    /// The HTML view the pages are shown in; none when null (nothing is built).
    void SetHtmlView(IHtmlView* view) { htmlView_ = view; }
    IHtmlView* HtmlView() const { return htmlView_; }
    /// Tells the job's subscribers that the results are to be shown anew: the session rebuilds
    /// the chosen page into the HTML view (the thermal summary first, as the window always does),
    /// then the window shows the result status; the thermal summary of a solved job gets its
    /// temperature profile back. A job that is not solved shows its inputs and no result.
    /// Throws EReportFileError when a page cannot be written.
    void RefreshView();
    /// Tells the job's subscribers that the profile is to be drawn again: the session draws the
    /// temperature profile of a solved job into the report folder and the view.
    void RedrawProfile();
    /// What the pages read of the job as it stands.
    TReportJob ReportJob() const;
    /// The pictures shown while the job is not solved.
    TPictureList& Pictures() { return pictures_; }
    /// A double click on the view: the next picture, and the page rebuilt.
    void AdvancePicture();

private:
    void jobChanged(const TJobNews& news);
    void rebuildPage();
    void drawProfile();
    TProjectFileContext fileContext(INotifier* notifier);
    TProjectFileContext fileContext() { return fileContext(notifier_); }
    bool switchKindFor(const TProjectLoad& load);
    void showProfile();

    // The temperature profile drawn last: what it shows, where it was saved, its picture.
    struct DrawnProfile
    {
        TProfileStreams Streams;
        std::filesystem::path Folder;
        std::vector<std::uint8_t> Png;
    };

    INotifier* notifier_;
    std::unique_ptr<ISettingsStore> ownStore_;
    ISettingsStore* store_;
    TProjectProperties properties_;
    TRecentFiles recent_;
    TCoilJob job_;
    std::filesystem::path programFolder_;
    std::filesystem::path reportFolder_;
    std::string caption_;
    TReportView view_ = TReportView::ThermalSummary;
    IHtmlView* htmlView_ = nullptr;
    TPictureList pictures_;
    TPageLines page_;
    std::unique_ptr<TTypeface> typeface_;
    std::unique_ptr<TXMLFile> opened_;
    std::optional<DrawnProfile> profile_;
    int subscription_ = -1;
};

} // namespace zmk
