#include "platform/ChildProcess.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace zmk {

namespace {

// The caller's environment with the given variables set over it.
std::vector<std::string> childEnvironment(const std::vector<std::pair<std::string, std::string>>& extra)
{
    std::vector<std::string> env;
    for (char** e = environ; e && *e; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));
        bool replaced = false;
        for (const auto& [key, value] : extra)
            replaced = replaced || key == name;
        if (!replaced)
            env.push_back(entry);
    }
    for (const auto& [key, value] : extra)
        env.push_back(key + "=" + value);
    return env;
}

std::vector<char*> pointers(std::vector<std::string>& words)
{
    std::vector<char*> p;
    for (std::string& w : words)
        p.push_back(w.data());
    p.push_back(nullptr);
    return p;
}

// The reading end of the pipe a program's output comes through; closed when it goes.
class OutputPipe
{
public:
    ~OutputPipe()
    {
        closeEnd(read_);
        closeEnd(write_);
    }
    // Makes the pipe; false (with errno) when it cannot be made.
    bool open()
    {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            return false;
        read_ = fds[0];
        write_ = fds[1];
        ::fcntl(read_, F_SETFL, ::fcntl(read_, F_GETFL) | O_NONBLOCK);
        return true;
    }
    int writeEnd() const { return write_; }
    // The program has its own copy of the writing end now.
    void closeWriteEnd() { closeEnd(write_); }
    // Waits up to `pause` for output and takes what is there, keeping the last `keep` bytes.
    void take(std::chrono::milliseconds pause, std::string& out, std::size_t keep)
    {
        if (read_ < 0) {
            std::this_thread::sleep_for(pause);
            return;
        }
        pollfd p{read_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(pause.count())) > 0)
            drain(out, keep);
    }
    // Takes what is there now without waiting: a program may have left others behind that
    // still hold the pipe open.
    void drain(std::string& out, std::size_t keep)
    {
        char buffer[65536];
        while (read_ >= 0) {
            const ssize_t n = ::read(read_, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
                    closeEnd(read_); // the end of the output (or a pipe that failed)
                break;
            }
            out.append(buffer, static_cast<std::size_t>(n));
            if (out.size() > 2 * keep)
                out.erase(0, out.size() - keep);
        }
        if (out.size() > keep)
            out.erase(0, out.size() - keep);
    }

private:
    static void closeEnd(int& fd)
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
    int read_ = -1;
    int write_ = -1;
};

struct FileActions
{
    posix_spawn_file_actions_t actions;
    FileActions() { posix_spawn_file_actions_init(&actions); }
    ~FileActions() { posix_spawn_file_actions_destroy(&actions); }
};

} // namespace

TChildResult RunChild(const std::string& program, const std::vector<std::string>& arguments,
                      const TChildOptions& options)
{
    TChildResult result;
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv = pointers(words);
    std::vector<std::string> envWords = childEnvironment(options.Environment);
    std::vector<char*> envp = pointers(envWords);

    FileActions files;
    OutputPipe output;
    if (options.CaptureOutput) {
        if (!output.open()) {
            result.Error = std::strerror(errno);
            return result;
        }
        posix_spawn_file_actions_adddup2(&files.actions, output.writeEnd(), 1);
        posix_spawn_file_actions_adddup2(&files.actions, output.writeEnd(), 2);
    }
    pid_t pid = 0;
    const int rc =
        options.SearchPath
            ? ::posix_spawnp(&pid, program.c_str(), &files.actions, nullptr, argv.data(), envp.data())
            : ::posix_spawn(&pid, program.c_str(), &files.actions, nullptr, argv.data(), envp.data());
    output.closeWriteEnd();
    if (rc != 0) {
        result.Error = std::strerror(rc);
        return result;
    }
    result.Started = true;
    result.Pid = pid;

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(options.TimeoutMs);
    auto pause = std::chrono::milliseconds(1);
    for (;;) {
        int status = 0;
        const pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid) {
            result.Ended = true;
            result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            output.drain(result.Output, options.MaxOutput);
            return result;
        }
        if (r < 0 && errno != EINTR) {
            result.Ended = true; // already collected elsewhere: nothing more to know
            return result;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            break;
        // Waiting on the output too, so a talkative program never fills the pipe and stops.
        output.take(pause, result.Output, options.MaxOutput);
        pause = std::min(pause * 2, std::chrono::milliseconds(50));
    }
    output.drain(result.Output, options.MaxOutput);
    result.TimedOut = true;
    if (options.KillOnTimeout) {
        ::kill(pid, SIGKILL);
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    return result;
}

void ReapChildren(std::vector<int>& pids)
{
    std::erase_if(pids, [](int pid) {
        int status = 0;
        const pid_t r = ::waitpid(pid, &status, WNOHANG);
        return r == pid || (r < 0 && errno == ECHILD);
    });
}

} // namespace zmk
