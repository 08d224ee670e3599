// Running another program: what it says is kept through a pipe (no scratch file), a talkative
// program is not stopped by a full pipe, and one that leaves others behind holding the pipe
// open does not keep the caller waiting.
#include "platform/ChildProcess.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace zmk {
namespace {

TChildResult runShell(const std::string& script, std::size_t maxOutput = std::size_t{1} << 20,
                      int timeoutMs = 20000)
{
    TChildOptions options;
    options.CaptureOutput = true;
    options.MaxOutput = maxOutput;
    options.TimeoutMs = timeoutMs;
    return RunChild("/bin/sh", {"-c", script}, options);
}

TEST(ChildProcess, KeepsWhatTheProgramSaysOnBothStreams)
{
    const TChildResult r = runShell("echo out; echo err >&2; exit 3");
    ASSERT_TRUE(r.Started);
    EXPECT_TRUE(r.Ended);
    EXPECT_EQ(r.ExitCode, 3);
    EXPECT_EQ(r.Output, "out\nerr\n");

    // Without capture nothing is kept.
    TChildOptions quiet;
    const TChildResult q = RunChild("/bin/sh", {"-c", "exit 0"}, quiet);
    EXPECT_EQ(q.ExitCode, 0);
    EXPECT_EQ(q.Output, "");

    const TChildResult silent = runShell("");
    EXPECT_EQ(silent.ExitCode, 0);
    EXPECT_EQ(silent.Output, "");
    EXPECT_FALSE(RunChild("/no/such/program", {}, {}).Started);
}

TEST(ChildProcess, ATalkativeProgramRunsToItsEndAndItsLastWordsAreKept)
{
    // 3 MB, far more than a pipe holds: a caller that did not read would stop the program.
    const TChildResult r = runShell("head -c 3000000 /dev/zero | tr '\\0' x; echo; echo the end", 4096);
    ASSERT_TRUE(r.Ended);
    EXPECT_EQ(r.ExitCode, 0);
    ASSERT_EQ(r.Output.size(), 4096u);
    EXPECT_TRUE(r.Output.ends_with("xxx\nthe end\n"));
}

TEST(ChildProcess, WhatTheProgramLeftRunningDoesNotHoldTheCallerUp)
{
    const auto started = std::chrono::steady_clock::now();
    const TChildResult r = runShell("sleep 5 & echo done");
    EXPECT_TRUE(r.Ended);
    EXPECT_EQ(r.Output, "done\n");
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(3));

    const TChildResult late = runShell("echo started; sleep 5", 1024, 300);
    EXPECT_TRUE(late.TimedOut);
    EXPECT_EQ(late.Output, "started\n");
}

} // namespace
} // namespace zmk
