// Whole-file reads of what may lie in a user's folder, and atomic writes that keep what the user
// set on a file. The permission tests run as root in CI: the read-only rule is checked through
// the mode bits (a file without any write bit is read-only to every user), and the rule for a
// file this user may not write is checked in a child process that drops root's privileges.
#include "base/FileIO.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <fstream>
#include <functional>
#include <future>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zmk {
namespace {

namespace fs = std::filesystem;

void writeBytes(const fs::path& file, const std::string& bytes)
{
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

std::string readBytes(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

mode_t modeOf(const fs::path& file)
{
    struct stat st;
    return ::stat(file.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

std::size_t entries(const fs::path& dir)
{
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

// Runs `body` in a child process and returns its exit status; a child still running after
// `seconds` is killed and counts as -1 (a hang), so no test can hang the suite.
int inChild(const std::function<int()>& body, int seconds = 5)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        int rc = 99;
        try {
            rc = body();
        } catch (...) {
        }
        ::_exit(rc);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
}

class FileIOTest : public ::testing::Test
{
protected:
    zmk::testing::TempDir dir;
    fs::path file(const std::string& name) const { return dir.path() / name; }
};

TEST_F(FileIOTest, ReadsOnlyRegularFilesWithinTheLimitAndNeverWaits)
{
    writeBytes(file("plain.txt"), "twelve bytes");
    fs::create_symlink(file("plain.txt"), file("link.txt"));
    fs::create_directory(file("folder"));
    ASSERT_EQ(::mkfifo(file("pipe.zmx").c_str(), 0644), 0);
    fs::create_symlink("/dev/zero", file("zero.zmx"));
    fs::create_symlink(file("loop-b"), file("loop-a"));
    fs::create_symlink(file("loop-a"), file("loop-b"));
    // A 200 MB file that takes no room: only its size is looked at.
    writeBytes(file("big.zmx"), "");
    fs::resize_file(file("big.zmx"), 200u << 20);
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = file("socket").string();
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    std::copy(socketPath.begin(), socketPath.end(), address.sun_path);
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

    struct Case
    {
        const char* name;
        std::uintmax_t limit;
        TFileReadStatus status;
        const char* reason;
    };
    const Case cases[] = {
        {"plain.txt", 12, TFileReadStatus::Ok, ""},
        {"link.txt", 64, TFileReadStatus::Ok, ""}, // a link is followed
        {"plain.txt", 11, TFileReadStatus::TooLarge, "it is larger than 11 bytes (12 bytes)"},
        {"missing.txt", 64, TFileReadStatus::Missing, "No such file or directory"},
        {"plain.txt/below", 64, TFileReadStatus::Missing, "Not a directory"},
        {"folder", 64, TFileReadStatus::NotAFile, "it is a folder, not a regular file"},
        {"pipe.zmx", 64, TFileReadStatus::NotAFile, "it is a named pipe (FIFO), not a regular file"},
        {"zero.zmx", 64, TFileReadStatus::NotAFile, "it is a character device, not a regular file"},
        {"socket", 64, TFileReadStatus::NotAFile, "it is a socket, not a regular file"},
        {"loop-a", 64, TFileReadStatus::Unreadable, "Too many levels of symbolic links"},
        {"big.zmx", kMaxProjectFileSize, TFileReadStatus::TooLarge,
         "it is larger than 64 MiB (209715200 bytes)"},
    };
    for (const Case& c : cases) {
        // In a child with a watchdog: a read that waited on the pipe would never come back.
        const int rc = inChild([&] {
            const TFileRead r = ReadWholeFile(file(c.name), c.limit);
            if (r.Status != c.status || r.Reason != c.reason)
                return 1;
            if (r.Status == TFileReadStatus::Ok)
                return r.Bytes == "twelve bytes" && r.Error.empty() ? 0 : 2;
            return r.Bytes.empty() &&
                           r.Error == "Cannot read file \"" + file(c.name).string() + "\": " + c.reason
                       ? 0
                       : 3;
        });
        EXPECT_EQ(rc, 0) << c.name << " with limit " << c.limit;
    }
    ::close(sock);
    EXPECT_THROW(ReadWholeFileOrThrow(file("pipe.zmx"), 64), EFileError);
    EXPECT_EQ(ReadWholeFileOrThrow(file("plain.txt"), 64), "twelve bytes");
}

TEST_F(FileIOTest, ReadsEveryLengthWholeAroundTheReadBuffer)
{
    // The read stops as soon as the size the file had under the lock is in: lengths around the
    // 64 KiB a read takes, an empty file, and limits at and just below the size.
    struct Case
    {
        std::size_t size;
        std::uintmax_t limit;
        TFileReadStatus status;
    };
    const Case cases[] = {
        {0, 64, TFileReadStatus::Ok},
        {1, 1, TFileReadStatus::Ok},
        {65535, kMaxProjectFileSize, TFileReadStatus::Ok},
        {65536, kMaxProjectFileSize, TFileReadStatus::Ok},
        {65537, kMaxProjectFileSize, TFileReadStatus::Ok},
        {65536, 65536, TFileReadStatus::Ok},
        {65536, 65535, TFileReadStatus::TooLarge},
        {200001, kMaxProjectFileSize, TFileReadStatus::Ok},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.size) + " bytes, limit " + std::to_string(c.limit));
        std::string bytes(c.size, '\0');
        for (std::size_t i = 0; i < c.size; ++i)
            bytes[i] = static_cast<char>('a' + i * 7 % 26);
        writeBytes(file("sized.bin"), bytes);
        const TFileRead r = ReadWholeFile(file("sized.bin"), c.limit);
        EXPECT_EQ(r.Status, c.status);
        if (c.status == TFileReadStatus::Ok) {
            EXPECT_TRUE(r.Bytes == bytes) << r.Bytes.size() << " bytes read";
        }
    }
}

TEST_F(FileIOTest, WritesANewFileAndReplacesAnOldOneKeepingItsPermissions)
{
    const mode_t mask = ::umask(022);
    WriteFileAtomically(file("new.txt"), "first");
    EXPECT_EQ(readBytes(file("new.txt")), "first");
    EXPECT_EQ(modeOf(file("new.txt")), 0644u);

    ::chmod(file("new.txt").c_str(), 0640);
    WriteFileAtomically(file("new.txt"), "second, longer");
    EXPECT_EQ(readBytes(file("new.txt")), "second, longer");
    EXPECT_EQ(modeOf(file("new.txt")), 0640u);
    ::chmod(file("new.txt").c_str(), 0604);
    WriteFileAtomically(file("new.txt"), "");
    EXPECT_EQ(readBytes(file("new.txt")), "");
    EXPECT_EQ(modeOf(file("new.txt")), 0604u);
    // Nothing but the target is left beside it.
    EXPECT_EQ(entries(dir.path()), 1u);
    ::umask(mask);

    std::string error;
    EXPECT_FALSE(TryWriteFileAtomically(file("no-folder/x.txt"), "x", &error));
    EXPECT_EQ(error,
              "Cannot create file \"" + file("no-folder/x.txt").string() + "\": No such file or directory");
    CopyFileAtomically(file("new.txt"), file("copy.txt"), 64);
    EXPECT_TRUE(fs::exists(file("copy.txt")));
    EXPECT_THROW(CopyFileAtomically(file("missing"), file("copy.txt"), 64), EFileError);
}

TEST_F(FileIOTest, WritesThroughSymbolicLinksAndKeepsHardLinksTogether)
{
    writeBytes(file("target.zmx"), "old");
    fs::create_symlink("target.zmx", file("relative.zmx"));
    fs::create_symlink(file("relative.zmx"), file("chain.zmx"));
    WriteFileAtomically(file("chain.zmx"), "through two links");
    EXPECT_TRUE(fs::is_symlink(file("chain.zmx")));
    EXPECT_TRUE(fs::is_symlink(file("relative.zmx")));
    EXPECT_EQ(readBytes(file("target.zmx")), "through two links");
    EXPECT_EQ(WriteTarget(file("chain.zmx")), file("target.zmx"));

    // A link to a file not there yet makes the file, and the link stays.
    fs::create_symlink("later.zmx", file("dangling.zmx"));
    WriteFileAtomically(file("dangling.zmx"), "made");
    EXPECT_TRUE(fs::is_symlink(file("dangling.zmx")));
    EXPECT_EQ(readBytes(file("later.zmx")), "made");

    fs::create_symlink(file("loop-b"), file("loop-a"));
    fs::create_symlink(file("loop-a"), file("loop-b"));
    std::string error;
    EXPECT_FALSE(TryWriteFileAtomically(file("loop-a"), "x", &error));
    EXPECT_NE(error.find("Too many levels of symbolic links"), std::string::npos) << error;

    writeBytes(file("shared.zmx"), "old shared content");
    fs::create_hard_link(file("shared.zmx"), file("other-name.zmx"));
    const auto links = fs::hard_link_count(file("shared.zmx"));
    WriteFileAtomically(file("shared.zmx"), "new");
    EXPECT_EQ(readBytes(file("other-name.zmx")), "new");
    EXPECT_EQ(fs::hard_link_count(file("shared.zmx")), links);
    EXPECT_TRUE(fs::equivalent(file("shared.zmx"), file("other-name.zmx")));
}

TEST_F(FileIOTest, RefusesReadOnlyFilesAndWhatIsNoFile)
{
    writeBytes(file("locked.zmx"), "keep me");
    ::chmod(file("locked.zmx").c_str(), 0444);
    fs::create_symlink("locked.zmx", file("to-locked.zmx"));
    fs::create_directory(file("folder"));
    ASSERT_EQ(::mkfifo(file("pipe.zmx").c_str(), 0666), 0);
    struct Case
    {
        const char* name;
        const char* reason;
    };
    const Case cases[] = {
        {"locked.zmx", "it is read-only..."},
        {"to-locked.zmx", "it is read-only..."},
        {"folder", "it is a folder, not a regular file"},
        {"pipe.zmx", "it is a named pipe (FIFO), not a regular file"},
    };
    for (const Case& c : cases) {
        const int rc = inChild([&] {
            std::string error;
            const bool written = TryWriteFileAtomically(file(c.name), "replaced", &error);
            return !written && error == "Cannot write file \"" + file(c.name).string() + "\": " + c.reason
                       ? 0
                       : 1;
        });
        EXPECT_EQ(rc, 0) << c.name;
    }
    EXPECT_EQ(readBytes(file("locked.zmx")), "keep me");
    EXPECT_EQ(modeOf(file("locked.zmx")), 0444u);
    EXPECT_TRUE(fs::is_fifo(file("pipe.zmx")));
}

TEST_F(FileIOTest, AFileThisUserMayNotWriteIsRefusedAsReadOnly)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to hand the file to another user";
    // Owned by root and writable by root alone; a child that runs as "nobody" tries to save.
    fs::permissions(dir.path(), fs::perms::all);
    writeBytes(file("roots.zmx"), "root's project");
    ::chmod(file("roots.zmx").c_str(), 0644);
    const int rc = inChild([&] {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            return 2;
        std::string error;
        const bool written = TryWriteFileAtomically(file("roots.zmx"), "replaced", &error);
        return !written && error.ends_with("it is read-only...") ? 0 : 1;
    });
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(readBytes(file("roots.zmx")), "root's project");
}

TEST_F(FileIOTest, AFailedWriteLeavesTheOldFileByteForByte)
{
    // A file size limit makes every write beyond it fail as a full disk would.
    const std::string old = "the old project, byte for byte";
    const std::string big(1 << 20, 'x');
    for (const bool hardLinked : {false, true}) {
        SCOPED_TRACE(hardLinked ? "hard-linked" : "single name");
        const fs::path target = file(hardLinked ? "linked.zmx" : "single.zmx");
        writeBytes(target, old);
        if (hardLinked)
            fs::create_hard_link(target, file("second-name.zmx"));
        const std::size_t before = entries(dir.path());
        const int rc = inChild([&] {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{4096, 4096};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
                return 2;
            std::string error;
            if (TryWriteFileAtomically(target, big, &error))
                return 1;
            return error == "Cannot write file \"" + target.string() + "\": File too large" ? 0 : 3;
        });
        EXPECT_EQ(rc, 0);
        EXPECT_EQ(readBytes(target), old);
        EXPECT_EQ(entries(dir.path()), before); // no temporary file left behind
    }
}

TEST_F(FileIOTest, HardLinkedRewritesTakeTurnsAndReadersSeeWholeVersions)
{
    // Versions of different lengths, so that two rewrites running into each other leave a tail
    // of one behind the other, or a hole of NUL bytes.
    const std::vector<std::string> versions = {
        "<datafile>" + std::string(300000, 'a') + "</datafile>",
        "<datafile>" + std::string(170000, 'b') + "</datafile>",
        "<datafile>" + std::string(40000, 'c') + "</datafile>",
    };
    const fs::path target = file("same.zmx");
    writeBytes(target, versions[0]);
    fs::create_hard_link(target, file("second-name.zmx"));

    std::atomic<bool> stop{false};
    std::atomic<int> writes{0};
    std::atomic<int> reads{0};
    std::atomic<int> torn{0};
    std::atomic<int> failed{0};
    std::vector<std::thread> threads;
    for (std::size_t w = 0; w < versions.size(); ++w)
        threads.emplace_back([&, w] {
            while (!stop) {
                std::string error;
                if (TryWriteFileAtomically(w % 2 ? target : file("second-name.zmx"), versions[w], &error))
                    ++writes;
                else
                    ++failed;
                // A program does other work between two saves.
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        });
    for (int r = 0; r < 2; ++r)
        threads.emplace_back([&] {
            while (!stop) {
                const TFileRead read = ReadWholeFile(target, kMaxProjectFileSize);
                if (!read)
                    ++failed;
                else if (std::find(versions.begin(), versions.end(), read.Bytes) == versions.end())
                    ++torn;
                ++reads;
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        });
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    stop = true;
    for (std::thread& t : threads)
        t.join();

    EXPECT_GT(writes, 10);
    EXPECT_GT(reads, 10);
    EXPECT_EQ(torn, 0) << "reads that saw no whole version, of " << reads;
    EXPECT_EQ(failed, 0);
    const std::string last = readBytes(target);
    EXPECT_NE(std::find(versions.begin(), versions.end(), last), versions.end()) << last.size() << " bytes";
    EXPECT_TRUE(fs::equivalent(target, file("second-name.zmx")));
    EXPECT_EQ(fs::hard_link_count(target), 2u);
    EXPECT_EQ(entries(dir.path()), 2u);
}

TEST_F(FileIOTest, ALockHeldForeverHangsNeitherAReadNorAWrite)
{
    writeBytes(file("single.zmx"), "single");
    writeBytes(file("linked.zmx"), "linked");
    fs::create_hard_link(file("linked.zmx"), file("linked-too.zmx"));
    // Another program takes the files and never lets go.
    const int single = ::open(file("single.zmx").c_str(), O_RDONLY | O_CLOEXEC);
    const int linked = ::open(file("linked.zmx").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(single, LOCK_EX), 0);
    ASSERT_EQ(::flock(linked, LOCK_EX), 0);

    using Clock = std::chrono::steady_clock;
    const auto started = Clock::now();
    auto read = std::async(std::launch::async, [&] { return ReadWholeFile(file("single.zmx"), 64); });
    auto write = std::async(std::launch::async, [&] {
        std::string error;
        return TryWriteFileAtomically(file("linked-too.zmx"), "replaced", &error) ? std::string() : error;
    });
    ASSERT_EQ(read.wait_for(kFileLockWait * 3), std::future_status::ready);
    ASSERT_EQ(write.wait_for(kFileLockWait * 3), std::future_status::ready);
    const auto waited = Clock::now() - started;
    EXPECT_GE(waited, kFileLockWait);

    const std::string locked = "another program holds it locked (waited 3 seconds)";
    const TFileRead r = read.get();
    EXPECT_EQ(r.Status, TFileReadStatus::Unreadable);
    EXPECT_EQ(r.Error, "Cannot read file \"" + file("single.zmx").string() + "\": " + locked);
    EXPECT_EQ(write.get(), "Cannot write file \"" + file("linked-too.zmx").string() + "\": " + locked);
    EXPECT_EQ(readBytes(file("linked.zmx")), "linked");

    // A single name is replaced by a rename, which no lock holds up; the holder keeps reading
    // the old file.
    const auto renameStart = Clock::now();
    WriteFileAtomically(file("single.zmx"), "renamed over");
    EXPECT_LT(Clock::now() - renameStart, kFileLockWait);
    EXPECT_EQ(readBytes(file("single.zmx")), "renamed over");
    ::close(single);
    ::close(linked);
    EXPECT_EQ(ReadWholeFile(file("linked.zmx"), 64).Bytes, "linked");
}

TEST_F(FileIOTest, OwnerOnlyWritesGiveTheFileToItsOwnerBeforeAnyByte)
{
    const mode_t mask = ::umask(022);
    writeBytes(file("shared.ini"), "old");
    ::chmod(file("shared.ini").c_str(), 0644);
    writeBytes(file("linked.ini"), "old");
    ::chmod(file("linked.ini").c_str(), 0664);
    fs::create_hard_link(file("linked.ini"), file("linked-too.ini"));
    for (const char* name : {"new.ini", "shared.ini", "linked.ini"}) {
        WriteFileAtomically(file(name), "secret", TWritePermissions::OwnerOnly);
        EXPECT_EQ(readBytes(file(name)), "secret") << name;
        EXPECT_EQ(modeOf(file(name)), 0600u) << name;
    }
    EXPECT_EQ(readBytes(file("linked-too.ini")), "secret");
    // Keep, the default, leaves the permissions as they now are.
    WriteFileAtomically(file("shared.ini"), "again");
    EXPECT_EQ(modeOf(file("shared.ini")), 0600u);
    ::umask(mask);
}

} // namespace
} // namespace zmk
