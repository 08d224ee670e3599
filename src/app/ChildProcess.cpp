#include "app/ChildProcess.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

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
    if (!options.OutputFile.empty()) {
        posix_spawn_file_actions_addopen(&files.actions, 1, options.OutputFile.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_adddup2(&files.actions, 1, 2);
    }
    pid_t pid = 0;
    const int rc =
        options.SearchPath
            ? ::posix_spawnp(&pid, program.c_str(), &files.actions, nullptr, argv.data(), envp.data())
            : ::posix_spawn(&pid, program.c_str(), &files.actions, nullptr, argv.data(), envp.data());
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
            return result;
        }
        if (r < 0 && errno != EINTR) {
            result.Ended = true; // already collected elsewhere: nothing more to know
            return result;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            break;
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(50));
    }
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
