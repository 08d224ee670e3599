#include "app/ProjectSession.h"

#include "base/Errors.h"
#include "base/Notifier.h"
#include "base/Paths.h"
#include "base/TextHelpers.h"
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

// The folder the pages are written to under a program folder. A batch opens a session for each
// file, all under one program folder: each thread keeps the last one worked out.
std::filesystem::path reportFolderUnder(const std::filesystem::path& program)
{
    thread_local std::filesystem::path lastProgram;
    thread_local std::filesystem::path lastReport;
    if (lastReport.empty() || program.native() != lastProgram.native()) {
        lastReport = program / "Report" / "";
        lastProgram = program;
    }
    return lastReport;
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
      reportFolder_(setup.ReportFolder.empty() ? reportFolderUnder(programFolder_) : setup.ReportFolder),
      caption_(setup.Caption)
{
    job_.DataFolder = setup.DataFolder;
    job_.Properties = &properties_;
    subscription_ = job_.Subscribe([this](const TJobNews& news) { jobChanged(news); });
    // A settings file that could not be read is left as it is (the store never writes it), and
    // the session runs on the defaults: say so once.
    if (const auto* own = dynamic_cast<const TIniSettingsStore*>(ownStore_.get());
        own && notifier_ && setup.TellUnreadSettings && !own->ReadProblem().empty())
        notifier_->Message(UnreadSettingsMessage({own->ReadProblem()}));
}

TProjectSession::~TProjectSession()
{
    job_.Unsubscribe(subscription_);
}

TProjectFileContext TProjectSession::fileContext(INotifier* notifier)
{
    return {notifier, &recent_, opened_ ? &opened_->Document() : nullptr};
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
    // The job names itself "Default.zmx"; the name then becomes current the way Open's does,
    // so that the file left behind goes on the recent list.
    const std::string leaving = job_.FileName;
    job_.New();
    const std::string named = job_.FileName;
    job_.FileName = leaving;
    opened_.reset();
    MakeCurrentFile(job_, named, fileContext());
}

bool TProjectSession::switchKindFor(const TProjectLoad& load)
{
    const std::optional<std::string> kind = CanonicalCoilKind(load.Kind);
    if (!kind || (job_.Coil() && CanonicalCoilKind(job_.KindCode) == kind))
        return true;
    // What to come back to when no coil of the file's kind can be built: the kind, the start
    // values and the coil as Save would write it.
    const std::string previousKind = job_.KindCode;
    const TStartValues previousStart = job_.StartValues;
    TXMLFile previous;
    if (job_.Coil()) {
        WriteProjectDocument(previous, job_);
        job_.StartValues = previousStart;
    }
    try {
        BuildKind(*kind, false);
        return true;
    } catch (const ZmkError&) {
    }
    job_.KindCode = previousKind;
    job_.StartValues = previousStart;
    job_.BuildCoil(false);
    if (job_.Coil() && previous.Root())
        ReadProjectDocument(previous, previous.Root(), job_);
    job_.ShowInputs();
    job_.Notify(jcResults);
    return false;
}

TOpenResult TProjectSession::Open(const std::string& fileName)
{
    TProjectLoad load = LoadProjectFile(fileName);
    if (OpenFailureMessage(load).empty() && !switchKindFor(load)) {
        TOpenResult refused;
        refused.Exists = true;
        refused.Parsed = true;
        refused.Refused = true;
        refused.FileKind = load.Kind;
        refused.LoadError = "The file \"" + fileName + "\" holds a " + UpperCase(load.Kind) +
                            " coil, and no " + UpperCase(load.Kind) + " coil could be built to open it in";
        if (notifier_)
            notifier_->Message(std::string(kFileRefusedMessage) + "\r\n" + refused.LoadError);
        return refused;
    }
    TOpenResult r = job_.Open(load, fileContext());
    if (r.Exists && !r.Refused)
        opened_ = std::move(load.File);
    return r;
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
    const TOpenResult r = job_.Open(load, fileContext(&told));
    if (!r.Exists || r.Refused || !r.Parsed)
        throw ZmkError("TProjectSession.OpenInKind", lastMessage(told));
    opened_ = std::move(load.File);
    if (notifier_)
        for (const std::string& m : told.messages)
            notifier_->Message(m);
    return r;
}

bool TProjectSession::Save()
{
    return job_.Save(fileContext());
}

bool TProjectSession::SaveAs(const std::string& fileName)
{
    return job_.SaveAs(fileName, fileContext());
}

void TProjectSession::SaveOrThrow(const std::string& fileName)
{
    RecordingNotifier told;
    if (!job_.SaveAs(fileName, fileContext(&told)))
        throw ZmkError("TProjectSession.Save", lastMessage(told));
}

void TProjectSession::Solve()
{
    job_.Solve();
}

void TProjectSession::StepByStep()
{
    job_.StepByStep();
}

void TProjectSession::SetView(TReportView view)
{
    view_ = view;
    RefreshView();
}

namespace {

// What the pages show of the job while it is not solved: the fields as committed, and how the last
// solve of them ended.
TReportInputs reportInputs(const TCoilJob& job)
{
    const TJobInputs& in = job.Inputs;
    TReportInputs r;
    r.FinHeight = in.edFinHeight.Value;
    r.FinnedLength = in.edFinnedLength.Value;
    r.Rows = in.edRows.Value;
    r.FinDensity = in.edFinDensity.Value;
    r.Circuits = in.edCircuits.Value;
    r.Altitude = in.edAltitude.Value;
    r.AirOn = in.edOnCoil.Value;
    r.HumidityOn = in.edHumidityOn.Value;
    r.AirMassFlow = in.edAirMassflow.Value;
    r.FaceVelocity = in.edFaceVelocity.Value;
    r.Spray = in.cbSpray;
    r.LiquidName = job.Liquid() ? job.Liquid()->GetName() : in.edFluidType;
    r.LiquidIn = in.edFluidInTemp.Value;
    r.LiquidDT = in.edFluidDT.Value;
    r.LiquidFlow = in.edFluidFlow.Value;
    if (const TLiquidCoil* c = job.Coil()) {
        r.TemperatureControl = c->LiquidState && c->LiquidState->ctrl == wcTemp;
        // The fields reach the coil at the next solve; until then the coil may have another geometry.
        r.GeometryCurrent = c->GetFinHeight() == r.FinHeight && c->GetFinnedLength() == r.FinnedLength &&
                            c->GetRows() == r.Rows && c->GetFinDensity() == r.FinDensity &&
                            c->GetCircuits() == r.Circuits;
    }
    if (job.LastSolveStatus() > 0) {
        r.Status = SolveStatusName(static_cast<TSolveStatus>(job.LastSolveStatus()));
        r.Reason = job.LastReason();
    } else if (job.LastSolveStatus() < 0 && !job.LastError().empty()) {
        r.Status = "Error";
        r.Reason = job.LastError();
    }
    return r;
}

} // namespace

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
    r.Inputs = reportInputs(job_);
    return r;
}

void TProjectSession::RefreshView()
{
    job_.Notify(jcResults);
}

void TProjectSession::RedrawProfile()
{
    job_.Notify(jcProfile);
}

void TProjectSession::jobChanged(const TJobNews& news)
{
    if (news.Has(jcResults))
        rebuildPage();
    if (news.Has(jcProfile))
        drawProfile();
}

void TProjectSession::rebuildPage()
{
    if (htmlView_ && job_.Coil()) {
        RefreshReportView(view_, ReportJob(), page_, *htmlView_);
        // The summary came back with its placeholder: the profile of the solve goes in again.
        if (view_ == TReportView::ThermalSummary)
            showProfile();
    }
}

void TProjectSession::drawProfile()
{
    if (htmlView_ && job_.Coil())
        showProfile();
}

void TProjectSession::showProfile()
{
    if (!job_.Solved())
        return;
    const TProfileStreams streams = CoilProfileStreams(*job_.Coil());
    // Drawn again only when the picture would differ from the one drawn last (or goes to another
    // folder): showing the summary again puts the same picture back.
    if (profile_ && profile_->Streams == streams && profile_->Folder == reportFolder_) {
        htmlView_->ReplaceImage(kProfileImage, profile_->Png);
        return;
    }
    profile_.reset();
    if (!typeface_)
        typeface_ = LoadSansTypeface();
    std::vector<std::uint8_t> png;
    if (WriteTemperatureProfile(streams, *typeface_, reportFolder_, htmlView_, &png))
        profile_ = DrawnProfile{streams, reportFolder_, std::move(png)};
}

void TProjectSession::AdvancePicture()
{
    pictures_.Advance();
    RefreshView();
}

} // namespace zmk
