// Running another program and waiting a bounded time for it: the desktop's mail client and the
// window program's PDF printer. Programs are started from an argument vector, never through a
// shell, so no text handed to them is ever read as a command.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace zmk {

/// How a program is run.
struct TChildOptions
{
    /// Environment variables set (or replaced) for the program, over the caller's own.
    std::vector<std::pair<std::string, std::string>> Environment;
    /// Keep what the program writes on its standard output and error (the last MaxOutput
    /// bytes of it) in TChildResult::Output; otherwise they go where this program's go. Read
    /// through a pipe while the program runs, so no file is made for it. Meant for a program
    /// that is stopped when its time is up (KillOnTimeout).
    bool CaptureOutput = false;
    /// How much of the captured output is kept, bytes: the end, where the reasons are.
    std::size_t MaxOutput = std::size_t{1} << 20;
    /// Look the program up in PATH when its name has no "/".
    bool SearchPath = false;
    /// How long to wait for it to end, milliseconds.
    int TimeoutMs = 60000;
    /// When it has not ended in time: stop it (true), or leave it running (false).
    bool KillOnTimeout = true;
};

/// How the run went.
struct TChildResult
{
    bool Started = false;  ///< false when the program could not be started
    bool Ended = false;    ///< it ended within the time
    int ExitCode = -1;     ///< its exit status when it ended normally; -1 when killed by a signal
    bool TimedOut = false; ///< still running when the time was up
    int Pid = 0;           ///< its process id (for a program left running)
    std::string Error;     ///< why it could not be started
    std::string Output;    ///< what it wrote, with CaptureOutput
};

/// Runs a program with arguments (not including the program itself) and waits for it.
TChildResult RunChild(const std::string& program, const std::vector<std::string>& arguments,
                      const TChildOptions& options = {});

/// Collects any of these programs that have ended, and drops them from the list.
void ReapChildren(std::vector<int>& pids);

} // namespace zmk
