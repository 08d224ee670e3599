#include "app/Exports.h"
#include "base/Paths.h"
#include "base/TextHelpers.h"

#include "app/CoilJob.h"
#include "app/ProjectProperties.h"
#include "base/FileIO.h"
#include "base/Latin1.h"
#include "base/Notifier.h"
#include "base/NumText.h"
#include "engine/HeatExchanger.h"
#include "platform/SettingsStore.h"
#include "properties/Fluid.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace zmk {

// ---- the launcher ----------------------------------------------------------------------------

TPosixLauncher::~TPosixLauncher()
{
    reap();
}

void TPosixLauncher::reap()
{
    std::erase_if(children_, [](int pid) {
        int status = 0;
        const pid_t r = ::waitpid(pid, &status, WNOHANG);
        return r == pid || (r < 0 && errno == ECHILD);
    });
}

bool TPosixLauncher::spawn(const std::string& program, bool searchPath,
                           const std::vector<std::string>& arguments)
{
    reap();
    std::vector<std::string> words;
    words.push_back(program);
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int rc = searchPath ? ::posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ)
                              : ::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ);
    if (rc != 0)
        return false;
    children_.push_back(pid);
    return true;
}

bool TPosixLauncher::Start(const std::string& path, const std::vector<std::string>& arguments)
{
    return spawn(path, false, arguments);
}

bool TPosixLauncher::OpenDocument(const std::string& path)
{
    return spawn("xdg-open", true, {path});
}

// ---- the running instance --------------------------------------------------------------------

std::string InstanceMessage(std::string_view text)
{
    const auto n = static_cast<std::uint32_t>(text.size());
    std::string bytes;
    for (int i = 0; i < 4; ++i)
        bytes += static_cast<char>((n >> (8 * i)) & 0xFF);
    bytes.append(text);
    return bytes;
}

TLocalSocketChannel::TLocalSocketChannel(std::string runtimeFolder) : runtimeFolder_(std::move(runtimeFolder))
{
    if (runtimeFolder_.empty())
        runtimeFolder_ = RuntimeFolder();
}

std::string TLocalSocketChannel::SocketPath(const std::string& programName) const
{
    if (runtimeFolder_.empty() || programName.empty())
        return std::string();
    std::string path = runtimeFolder_;
    if (path.back() != '/')
        path += '/';
    return path + programName;
}

namespace {

// A socket descriptor closed when it goes.
struct Socket
{
    int fd = -1;
    ~Socket()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

bool sendAll(int fd, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// Waits until the receiver closes its end, at most `ms` milliseconds in all.
void awaitClose(int fd, int ms)
{
    char buffer[256];
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        const int r = ::poll(&p, 1, ms);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return;
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            return;
    }
}

} // namespace

bool TLocalSocketChannel::Send(const std::string& programName, const std::string& text)
{
    const std::string path = SocketPath(programName);
    sockaddr_un address{};
    if (path.empty() || path.size() >= sizeof(address.sun_path))
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    Socket s;
    s.fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s.fd < 0)
        return false;
    if (::connect(s.fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return false; // nobody listens there: no instance is running
    if (!sendAll(s.fd, InstanceMessage(text)))
        return false;
    ::shutdown(s.fd, SHUT_WR);
    awaitClose(s.fd, 5000);
    return true;
}

std::vector<std::string> CommandLineWords(std::string_view text)
{
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (char c : text) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inWord)
                words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words.push_back(word);
    return words;
}

// ---- texts and files -------------------------------------------------------------------------

std::vector<std::string> ChartDataLines(const TCoilJob& job, const TProjectProperties* properties)
{
    std::vector<std::string> lines{"'Hygrona 1.0 data file'"};
    if (properties) {
        const std::vector<std::string> project = properties->WriteChartLines();
        lines.insert(lines.end(), project.begin(), project.end());
    } else {
        TMemorySettingsStore store;
        TProjectProperties none(store, TRegisteredUser{});
        const std::vector<std::string> project = none.WriteChartLines();
        lines.insert(lines.end(), project.begin(), project.end());
    }
    const TLiquidCoil* coil = job.Coil();
    const TAirState& in = job.AirIn();
    const TAirState& out = job.AirOut();
    lines.push_back(Format("%0.3f", coil ? coil->GetPressure() : in.P));
    lines.push_back(Format("%0.2f, %0.2f, %0.5f, %0.5f", -60.0, 80.0, 0.0001, 0.1));
    const char* node = "'%S', '%S', %0.3f, %0.3f, '%S'";
    lines.push_back(Format(node, "Node1", "OnCoil", in.db, in.wb, ""));
    // A leaving state whose dry bulb is not above its wet bulb is drawn as a saturated point.
    lines.push_back(Format(node, "Node2", "OffCoil", out.db, out.db > out.wb ? out.wb : out.db, ""));
    if (const TLiquid* liquid = job.Liquid(); liquid && in.dewpoint > liquid->tfi)
        lines.push_back(Format(node, "Node3", "tfi", liquid->tfi, liquid->tfi, ""));
    lines.push_back(Format("'%S', '%S', '%S', '%S', %0.4f, '%S'", "Process1", "Coil", "Node1", "Node2",
                           coil ? coil->ma : 0.0, ""));
    return lines;
}

bool WriteChartDataFile(const std::string& fileName, const std::vector<std::string>& lines,
                        std::string* error)
{
    std::string bytes;
    for (const std::string& line : lines)
        bytes += Utf8ToLatin1(OneLineText(line)) + "\r\n";
    return TryWriteFileAtomically(fileName, bytes, error);
}

bool ExportChartData(const TCoilJob& job, const TProjectProperties* properties, const std::string& fileName,
                     INotifier* notifier)
{
    auto tell = [&](std::string_view text) {
        if (notifier)
            notifier->Message(std::string(text));
        return false;
    };
    if (!job.Solved() || !job.Coil())
        return tell(kMustBeSolvedMessage);
    if (!job.StatesInChartRange())
        return tell(kChartRangeMessage);
    std::string error;
    if (!WriteChartDataFile(fileName, ChartDataLines(job, properties), &error))
        return tell(std::string(kChartWriteMessage) + "\r\n" + error);
    return true;
}

namespace {

struct Stream
{
    int kind = 0;    // 0 air, 1 water, 2 any other liquid
    double tIn = 0;  // °C
    double tOut = 0; // °C
    double flow = 0; // kg/s
};

bool containsWater(std::string_view text)
{
    return LowerCase(text).find("water") != std::string::npos;
}

} // namespace

std::string DataCheckArguments(const TCoilJob& job)
{
    const TJobInputs& in = job.Inputs;
    const bool airHot = in.edOnCoil.Value > in.edFluidInTemp.Value;
    const Stream air{0, in.edOnCoil.Value, job.AirOut().db, in.edAirMassflow.Value};
    const double dT = airHot ? in.edFluidDT.Value : -in.edFluidDT.Value;
    const Stream liquid{containsWater(in.edFluidType) ? 1 : 2, in.edFluidInTemp.Value,
                        in.edFluidInTemp.Value + dT, in.edFluidFlow.Value};
    const Stream& hot = airHot ? air : liquid;
    const Stream& cold = airHot ? liquid : air;
    const TLiquidCoil* coil = job.Coil();
    return OneLineText(Format("%d %0.3f %0.3f %0.3f %d %0.3f %0.3f %0.3f %d %0.3f %0.3f %0.3f 237", hot.kind,
                              hot.tIn, hot.tOut, hot.flow, cold.kind, cold.tIn, cold.tOut, cold.flow, 0,
                              coil ? coil->Uo * 1000 : 0.0, coil ? coil->Ao : 0.0, coil ? coil->Qt : 0.0));
}

std::string MorvexArguments(const TCoilJob& job)
{
    const TLiquid* liquid = job.Liquid();
    const double tfi = liquid ? liquid->tfi : 0;
    const double tfo = liquid ? liquid->tfo : 0;
    const double dbi = job.AirIn().db;
    const double dbo = job.AirOut().db;
    if (tfi >= dbi)
        return OneLineText(Format("%0.2f %0.2f %0.2f %0.2f", tfi, tfo, dbi, dbo));
    return OneLineText(Format("%0.2f %0.2f %0.2f %0.2f", dbi, dbo, tfi, tfo));
}

// ---- the commands ----------------------------------------------------------------------------

TExternalPrograms::TExternalPrograms(ILauncher& launcher, IInstanceChannel& channel, INotifier* notifier,
                                     std::string makerFolder, std::string reportFolder,
                                     std::string helpFolder)
    : launcher_(launcher), channel_(channel), notifier_(notifier), makerFolder_(std::move(makerFolder)),
      reportFolder_(std::move(reportFolder)), helpFolder_(std::move(helpFolder))
{
}

void TExternalPrograms::tell(const std::string& text)
{
    if (notifier_)
        notifier_->Message(text);
}

std::string TExternalPrograms::ChartProgram() const
{
    return makerFolder_ + "Hygrona/Hygrona";
}

std::string TExternalPrograms::DutyProgram() const
{
    return makerFolder_ + "HeatExchanger/Velorix/Velorix";
}

std::string TExternalPrograms::LmtdProgram() const
{
    return makerFolder_ + "HeatExchanger/Morvex/Morvex";
}

std::string TExternalPrograms::ChartDataFile() const
{
    return reportFolder_ + std::string(kChartDataFileName);
}

void TExternalPrograms::RunProgram(const std::string& path, const std::string& arguments)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!fs::exists(path, ec)) {
        tell(path + "\r" + std::string(kNotFoundMessage));
        return;
    }
    if (!fs::is_regular_file(path, ec) || ::access(path.c_str(), X_OK) != 0) {
        tell(path + "\r\n" + std::string(kNotExecutableMessage));
        return;
    }
    if (channel_.Send(fs::path(path).stem().string(), arguments))
        return;
    launcher_.Start(path, CommandLineWords(arguments));
}

bool TExternalPrograms::HygronaEnabled(const TCoilJob& job)
{
    return job.StatesInChartRange();
}

bool TExternalPrograms::ActionHygronaExecute(const TCoilJob& job, const TProjectProperties* properties)
{
    const std::string file = ChartDataFile();
    if (!ExportChartData(job, properties, file, notifier_))
        return false;
    // The name travels as one word of the command line even when a folder has a blank in it.
    RunProgram(ChartProgram(), file.find(' ') == std::string::npos ? file : "\"" + file + "\"");
    return true;
}

bool TExternalPrograms::HasProgram(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

bool TExternalPrograms::ActionDataCheckExecute(const TCoilJob& job)
{
    if (!HasProgram(DutyProgram()))
        return false;
    RunProgram(DutyProgram(), DataCheckArguments(job));
    return true;
}

bool TExternalPrograms::ActionMorvexExecute(const TCoilJob& job)
{
    if (!HasProgram(LmtdProgram()))
        return false;
    RunProgram(LmtdProgram(), MorvexArguments(job));
    return true;
}

void TExternalPrograms::ActionHelpExecute()
{
    launcher_.OpenDocument(helpFolder_ + "index.htm");
}

void TExternalPrograms::ActionEmailHelpExecute()
{
    launcher_.OpenDocument(helpFolder_ + "enquiry.htm");
}

std::vector<TToolItem> TExternalPrograms::ToolsMenu() const
{
    return {};
}

} // namespace zmk
