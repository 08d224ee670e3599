#include "app/ProjectSession.h"

#include "base/Errors.h"
#include "base/Notifier.h"
#include "base/Paths.h"
#include "engine/HeatExchanger.h"
#include "reports/HtmlView.h"
#include "reports/TempProfile.h"
#include "reports/Typeface.h"

namespace zmk {

namespace {

// The store a session opens for itself: the user's program settings, read but written only
// when a window stores its settings at exit.
std::unique_ptr<ISettingsStore> ownStore(ISettingsStore* given)
{
    if (given)
        return nullptr;
    return std::make_unique<TIniSettingsStore>(ProgramSettingsFile());
}

// The last message an operation told, for the error it ends in.
std::string lastMessage(const RecordingNotifier& told)
{
    return told.messages.empty() ? std::string() : told.messages.back();
}

} // namespace

TProjectSession::TProjectSession(const TSessionSetup& setup)
    : notifier_(setup.Notifier), ownStore_(ownStore(setup.Store)),
      store_(setup.Store ? setup.Store : ownStore_.get()),
      properties_(*store_, setup.User ? *setup.User : ReadRegisteredUser()), job_(setup.Notifier),
      programFolder_(setup.ProgramFolder.empty() ? std::filesystem::path(zmk::ProgramFolder())
                                                 : setup.ProgramFolder),
      reportFolder_(setup.ReportFolder.empty() ? programFolder_ / "Report" / "" : setup.ReportFolder),
      caption_(setup.Caption)
{
    job_.DataFolder = setup.DataFolder;
    job_.Properties = &properties_;
    job_.View = this;
}

TProjectSession::~TProjectSession()
{
    job_.View = nullptr;
}

TProjectFileContext TProjectSession::fileContext()
{
    return {notifier_, &recent_};
}

void TProjectSession::BuildKind(std::string_view kind, bool solve)
{
    const std::optional<std::string> code = CanonicalCoilKind(kind);
    if (!code)
        throw ZmkError("TProjectSession.BuildKind",
                       "The coil kind is zmk, hwc or cwc, not '" + std::string(kind) + "'");
    job_.KindCode = *code;
    job_.SetKindDefaults();
    job_.BuildCoil(solve);
    if (!job_.Coil())
        throw ZmkError("TProjectSession.BuildKind", "No coil could be built");
}

void TProjectSession::New()
{
    job_.ActionNewExecute();
}

TOpenResult TProjectSession::Open(const std::string& fileName)
{
    return OpenProject(job_, fileName, fileContext());
}

TOpenResult TProjectSession::OpenInKind(const std::string& fileName, std::string_view kind)
{
    // One read of the file gives both its kind and its content; what cannot be opened is
    // refused before any coil is built.
    TProjectLoad load = LoadProjectFile(fileName);
    if (const std::string failure = OpenFailureMessage(load); !failure.empty())
        throw ZmkError("TProjectSession.OpenInKind", failure);
    // The file's values replace the default job's, so the default job is not solved first.
    BuildKind(!kind.empty() ? std::string(kind) : load.Kind.empty() ? std::string(kKindZemtor) : load.Kind,
              false);
    RecordingNotifier told;
    const TOpenResult r = OpenLoadedProject(job_, load, {&told, &recent_});
    if (!r.Exists || r.Refused || !r.Parsed)
        throw ZmkError("TProjectSession.OpenInKind", lastMessage(told));
    if (notifier_)
        for (const std::string& m : told.messages)
            notifier_->Message(m);
    return r;
}

bool TProjectSession::Save()
{
    return SaveProject(job_, fileContext());
}

bool TProjectSession::SaveAs(const std::string& fileName)
{
    return SaveProjectAs(job_, fileName, fileContext());
}

void TProjectSession::SaveOrThrow(const std::string& fileName)
{
    RecordingNotifier told;
    if (!SaveProjectAs(job_, fileName, {&told, &recent_}))
        throw ZmkError("TProjectSession.Save", lastMessage(told));
}

void TProjectSession::Solve()
{
    job_.ActionSolveExecute();
}

void TProjectSession::StepByStep()
{
    job_.ActionStepByStepExecute();
}

void TProjectSession::SetView(TReportView view)
{
    view_ = view;
    RefreshView();
}

TReportJob TProjectSession::ReportJob() const
{
    TReportJob r;
    r.Coil = job_.Coil();
    r.Solved = job_.Solved();
    r.KindCode = job_.KindCode;
    r.ProjectBlock = properties_.ReportBlock();
    r.Caption = caption_;
    r.ProgramFolder = programFolder_;
    r.ReportFolder = reportFolder_;
    r.Picture = pictures_.Current();
    return r;
}

void TProjectSession::RefreshView()
{
    if (htmlView_ && job_.Coil())
        RefreshReportView(view_, ReportJob(), page_, *htmlView_);
    if (window_)
        window_->RefreshView();
}

void TProjectSession::RedrawProfile()
{
    if (htmlView_ && job_.Coil() && job_.Solved()) {
        if (!typeface_)
            typeface_ = LoadSansTypeface();
        WriteTemperatureProfile(CoilProfileStreams(*job_.Coil()), *typeface_, reportFolder_, htmlView_);
    }
    if (window_)
        window_->RedrawProfile();
}

void TProjectSession::AdvancePicture()
{
    pictures_.Advance();
    RefreshView();
}

void TProjectSession::ShowStepChart(const TStepChartData& chart)
{
    if (window_)
        window_->ShowStepChart(chart);
}

void TProjectSession::InputsChanged()
{
    if (window_)
        window_->InputsChanged();
}

void TProjectSession::FieldChanged(TEntryField field)
{
    if (window_)
        window_->FieldChanged(field);
}

void TProjectSession::LiquidControlChanged()
{
    if (window_)
        window_->LiquidControlChanged();
}

} // namespace zmk
