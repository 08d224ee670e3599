// The sibling programs of the same maker and what this program hands them: the psychrometric
// chart program (its data file "CoilPsy.psy"), the heat-exchanger duty program and the LMTD
// calculator (their argument texts), the program launcher they share, the help pages and the
// Tools menu. Starting programs, opening documents and reaching a running instance go through
// two small interfaces, so that the tests start nothing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zmk {

class INotifier;
class TCoilJob;
class TProjectProperties;

// ---- messages --------------------------------------------------------------------------------

inline constexpr std::string_view kMustBeSolvedMessage = "Must be solved first...";
inline constexpr std::string_view kChartRangeMessage = "Temperature is out of range for Hygrona...";
inline constexpr std::string_view kChartWriteMessage = "Error writing Hygrona file";
/// Follows the path and CR LF.
inline constexpr std::string_view kNotExecutableMessage = "Program not executable...";
/// Follows the path and a CR alone.
inline constexpr std::string_view kNotFoundMessage = "not found...";

/// The chart program's data file, in the report folder.
inline constexpr std::string_view kChartDataFileName = "CoilPsy.psy";

// ---- the platform's side ---------------------------------------------------------------------

/// Starts programs and opens documents.
class ILauncher
{
public:
    virtual ~ILauncher() = default;
    /// Starts the program at `path` with the words of the argument text as its arguments,
    /// without waiting for it. False when it could not be started.
    virtual bool Start(const std::string& path, const std::vector<std::string>& arguments) = 0;
    /// Opens a document or web page with the desktop's handler for its type.
    virtual bool OpenDocument(const std::string& path) = 0;
};

/// Reaches a running instance of a sibling program.
class IInstanceChannel
{
public:
    virtual ~IInstanceChannel() = default;
    /// Hands the argument text to the running instance of the program named `programName` (its
    /// file name without folder and extension) and waits until it has taken it. False when no
    /// instance is running.
    virtual bool Send(const std::string& programName, const std::string& text) = 0;
};

/// The launcher of this platform: posix_spawn for programs, xdg-open for documents. Started
/// programs are reaped when they have ended, at the next start and when the launcher goes.
class TPosixLauncher : public ILauncher
{
public:
    TPosixLauncher() = default;
    ~TPosixLauncher() override;
    TPosixLauncher(const TPosixLauncher&) = delete;
    TPosixLauncher& operator=(const TPosixLauncher&) = delete;

    bool Start(const std::string& path, const std::vector<std::string>& arguments) override;
    bool OpenDocument(const std::string& path) override;

private:
    bool spawn(const std::string& program, bool searchPath, const std::vector<std::string>& arguments);
    void reap();
    std::vector<int> children_;
};

/// A running instance listens on a local socket named after the program in the user's runtime
/// folder ($XDG_RUNTIME_DIR/<program>). The message is a 32-bit little-endian length followed by
/// the text's bytes; the sender then waits (a few seconds at most) for the receiver to close.
class TLocalSocketChannel : public IInstanceChannel
{
public:
    /// The runtime folder; $XDG_RUNTIME_DIR when empty.
    explicit TLocalSocketChannel(std::string runtimeFolder = {});
    bool Send(const std::string& programName, const std::string& text) override;
    /// The socket a program listens on; empty when there is no runtime folder.
    std::string SocketPath(const std::string& programName) const;

private:
    std::string runtimeFolder_;
};

/// The message bytes for a text: its length as 32 bits, little-endian, then the text.
std::string InstanceMessage(std::string_view text);
/// The words of a command line: separated by blanks, with double quotes grouping (and removed).
std::vector<std::string> CommandLineWords(std::string_view text);

// ---- texts and files -------------------------------------------------------------------------

/// The chart data file's lines, without line ends, for a job and its project properties (none:
/// empty project texts and today's date).
std::vector<std::string> ChartDataLines(const TCoilJob& job, const TProjectProperties* properties);
/// Writes lines as Latin-1 text with CR LF line ends, atomically (WriteFileAtomically). Line
/// breaks and other control characters inside a line are written as blanks, so that every value
/// stays on its own line. False when the file cannot be written, with the reason (the path and
/// the system's word) in `error` when given; the old file is then unchanged.
bool WriteChartDataFile(const std::string& fileName, const std::vector<std::string>& lines,
                        std::string* error = nullptr);
/// Steps 1 to 3 of the chart export: refuses an unsolved job ("Must be solved first...") and
/// states outside the chart ("Temperature is out of range for Hygrona..."), then writes the chart
/// data file ("Error writing Hygrona file", CR LF and the path with the reason, when that fails).
/// False when it stopped.
bool ExportChartData(const TCoilJob& job, const TProjectProperties* properties, const std::string& fileName,
                     INotifier* notifier);
/// The duty program's argument text: hot stream, cold stream, 0, U (W/(m²·K)), area, duty, 237.
std::string DataCheckArguments(const TCoilJob& job);
/// The LMTD calculator's argument text: hot inlet, hot outlet, cold inlet, cold outlet (°C).
std::string MorvexArguments(const TCoilJob& job);

/// One item of the Tools menu: a program's title and path, or a separator.
struct TToolItem
{
    std::string Title;
    std::string Path;
    bool Separator = false;
};

// ---- the commands ----------------------------------------------------------------------------

/// The sibling programs and the help pages, with the folders they are found in.
class TExternalPrograms
{
public:
    /// Folders end with "/". The launcher, channel and notifier must outlive this.
    TExternalPrograms(ILauncher& launcher, IInstanceChannel& channel, INotifier* notifier,
                      std::string makerFolder, std::string reportFolder, std::string helpFolder);

    /// Maker folder + "Hygrona/Hygrona".
    std::string ChartProgram() const;
    /// Maker folder + "HeatExchanger/Velorix/Velorix".
    std::string DutyProgram() const;
    /// Maker folder + "HeatExchanger/Morvex/Morvex".
    std::string LmtdProgram() const;
    /// Report folder + "CoilPsy.psy".
    std::string ChartDataFile() const;

    /// Starts a sibling program or hands the arguments to its running instance. A missing path
    /// says path, CR, "not found..."; a path that is not an executable file says path, CR LF,
    /// "Program not executable...". A program that cannot be started is not reported.
    void RunProgram(const std::string& path, const std::string& arguments);

    /// "Plot on Hygrona": refuses an unsolved job and states outside the chart, writes the
    /// chart data file and hands its name to the chart program. False when it stopped.
    bool ActionHygronaExecute(const TCoilJob& job, const TProjectProperties* properties);
    /// Whether "Plot on Hygrona" is enabled in the Solve menu.
    static bool HygronaEnabled(const TCoilJob& job);
    /// Whether a sibling program is there at all (an existing path; whether it runs is RunProgram's).
    static bool HasProgram(const std::string& path);
    /// "Data Check": the duty program with the job's streams, as they stand. False, saying
    /// nothing, when the program is not there: the window then shows its own data check.
    bool ActionDataCheckExecute(const TCoilJob& job);
    /// "LMTD Calculator": the calculator with the coil's four temperatures. False, saying
    /// nothing, when the program is not there: the window then opens its own calculator.
    bool ActionMorvexExecute(const TCoilJob& job);
    /// "Help Index": the help folder's "index.htm".
    void ActionHelpExecute();
    /// "Email for Help": the help folder's "enquiry.htm".
    void ActionEmailHelpExecute();
    /// The Tools menu's programs: none are listed.
    std::vector<TToolItem> ToolsMenu() const;

private:
    void tell(const std::string& text);
    ILauncher& launcher_;
    IInstanceChannel& channel_;
    INotifier* notifier_;
    std::string makerFolder_;
    std::string reportFolder_;
    std::string helpFolder_;
};

} // namespace zmk
