// A real mail server on the loopback address for the tests: tests/support/mail_server.py (the
// Python aiosmtpd package, with a small POP3 server beside it; or, with "--misbehave STAGE", a
// bare server that breaks the session off at that stage) started on free ports in a scratch
// folder, and stopped when the object goes. Every message it receives lands in that
// folder as msgN/ with the raw message, the envelope and the parts as Python's e-mail parser
// reads them (message.json), and each part's decoded bytes.
#pragma once

#include "support/TempDir.h"

#include <nlohmann/json.hpp>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace zmk::test {

/// The Python that has the system's packages: Debian's own, else the one on PATH.
inline std::string SystemPython()
{
    return ::access("/usr/bin/python3", X_OK) == 0 ? "/usr/bin/python3" : "python3";
}

class MailServer
{
public:
    /// Starts the server with the script's options ("--auth", "u:p", "--pop", "u:p", ...).
    explicit MailServer(std::vector<std::string> options = {})
    {
        std::vector<std::string> words{SystemPython(),
                                       std::string(ZMK_SOURCE_DIR) + "/tests/support/mail_server.py", "--dir",
                                       folder_.path().string()};
        words.insert(words.end(), options.begin(), options.end());
        std::vector<char*> argv;
        for (std::string& w : words)
            argv.push_back(w.data());
        argv.push_back(nullptr);

        int in[2], out[2];
        if (::pipe(in) != 0 || ::pipe(out) != 0)
            throw std::runtime_error("no pipes for the mail server");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, in[1]);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        const int rc = ::posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        stdin_ = in[1];
        if (rc != 0) {
            ::close(out[0]);
            pid_ = 0;
            throw std::runtime_error("cannot start " + words[0]);
        }
        // "READY <smtp port> <pop port>", within a generous time for a loaded machine.
        std::string line;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (line.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
            pollfd p{out[0], POLLIN, 0};
            if (::poll(&p, 1, 200) <= 0)
                continue;
            char buffer[256];
            const ssize_t n = ::read(out[0], buffer, sizeof buffer);
            if (n <= 0)
                break;
            line.append(buffer, static_cast<std::size_t>(n));
        }
        ::close(out[0]);
        if (std::sscanf(line.c_str(), "READY %d %d", &smtpPort_, &popPort_) != 2)
            throw std::runtime_error("the mail server did not start (is python3-aiosmtpd installed?): " +
                                     line);
    }

    ~MailServer()
    {
        if (stdin_ >= 0)
            ::close(stdin_);
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            int status = 0;
            while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
            }
        }
    }
    MailServer(const MailServer&) = delete;
    MailServer& operator=(const MailServer&) = delete;

    int SmtpPort() const { return smtpPort_; }
    int PopPort() const { return popPort_; }

    /// The folder of the n-th message received (1-based).
    std::filesystem::path MessageFolder(int n) const { return folder_.path() / ("msg" + std::to_string(n)); }
    /// How many messages have arrived.
    int MessageCount() const
    {
        int n = 0;
        while (std::filesystem::exists(MessageFolder(n + 1) / "message.json"))
            ++n;
        return n;
    }
    /// The facts of the n-th message; waits a little for it, since the server writes it after
    /// answering.
    /// Null when nothing readable arrived.
    nlohmann::json Message(int n) const
    {
        const auto file = MessageFolder(n) / "message.json";
        for (int i = 0; i < 100 && !std::filesystem::exists(file); ++i)
            ::usleep(50000);
        std::ifstream in(file);
        nlohmann::json facts = in ? nlohmann::json::parse(in, nullptr, false) : nlohmann::json();
        return facts.is_object() ? facts : nlohmann::json();
    }

    /// The user names the server was offered a login with, in order (SMTP AUTH and POP PASS,
    /// right or wrong): empty when no password reached it.
    std::vector<std::string> Logins() const
    {
        std::vector<std::string> names;
        std::ifstream in(folder_.path() / "logins");
        for (std::string line; std::getline(in, line);)
            names.push_back(line);
        return names;
    }
    /// The bytes of message data a misbehaving session took before it hung up; -1 when it
    /// has not hung up.
    long DataBytes() const
    {
        const auto file = folder_.path() / "data-bytes";
        for (int i = 0; i < 40 && !std::filesystem::exists(file); ++i)
            ::usleep(50000);
        long n = -1;
        std::ifstream(file) >> n;
        return n;
    }

private:
    zmk::testing::TempDir folder_;
    pid_t pid_ = 0;
    int stdin_ = -1;
    int smtpPort_ = 0;
    int popPort_ = 0;
};

/// A TCP port on the loopback address that nothing listens on (bound, then released).
inline int ClosedLoopbackPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    if (fd >= 0)
        ::close(fd);
    return port;
}

} // namespace zmk::test
