// Checked whole-file reads and atomic writes on POSIX descriptors.
#include "base/FileIO.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>
#include <system_error>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zmk {

namespace fs = std::filesystem;

namespace {

// Closes a descriptor when it goes.
struct Descriptor
{
    int fd = -1;
    explicit Descriptor(int f) : fd(f) {}
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    // Closes now and says whether the close failed (a delayed write error shows up here).
    int close()
    {
        const int r = ::close(fd);
        fd = -1;
        return r == 0 ? 0 : errno;
    }
};

std::string systemReason(int err)
{
    return std::strerror(err);
}

// What stands at a path that is not a regular file, in the user's words.
std::string kindText(mode_t mode)
{
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a named pipe (FIFO)";
    if (S_ISCHR(mode))
        return "a character device";
    if (S_ISBLK(mode))
        return "a block device";
    if (S_ISSOCK(mode))
        return "a socket";
    return "a special file";
}

std::string notAFile(mode_t mode)
{
    return "it is " + kindText(mode) + ", not a regular file";
}

std::string sizeText(std::uintmax_t bytes)
{
    if (bytes >= kMiB && bytes % kMiB == 0)
        return std::to_string(bytes / kMiB) + " MiB";
    return std::to_string(bytes) + " bytes";
}

std::string tooLarge(std::uintmax_t size, std::uintmax_t maxSize)
{
    return "it is larger than " + sizeText(maxSize) + " (" + std::to_string(size) + " bytes)";
}

// Takes a lock (LOCK_SH or LOCK_EX) on an open file, trying again for up to kFileLockWait while
// another holder keeps it. False only when the wait ran out: a file system that keeps no locks
// goes on without one, since the lock only keeps this program's own readers and writers in turn.
bool lockFile(int fd, int how)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + kFileLockWait;
    std::chrono::milliseconds pause{1};
    for (;;) {
        if (::flock(fd, how | LOCK_NB) == 0)
            return true;
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK)
            return true;
        const Clock::time_point now = Clock::now();
        if (now >= deadline)
            return false;
        std::this_thread::sleep_for(std::min<Clock::duration>(pause, deadline - now));
        // Short pauses: a lock is held for one write, and a waiter that slept long would let
        // the others take it again and again before it looked.
        pause = std::min(pause * 2, std::chrono::milliseconds(4));
    }
}

std::string lockedReason()
{
    return "another program holds it locked (waited " +
           std::to_string(std::chrono::duration_cast<std::chrono::seconds>(kFileLockWait).count()) +
           " seconds)";
}

[[noreturn]] void cannotWrite(const fs::path& file, const std::string& reason)
{
    throw EFileError("WriteFileAtomically", "Cannot write file \"" + file.string() + "\": " + reason);
}

// The new file could not even be made beside the target (a missing or read-only folder).
[[noreturn]] void cannotCreate(const fs::path& file, const std::string& reason)
{
    throw EFileError("WriteFileAtomically", "Cannot create file \"" + file.string() + "\": " + reason);
}

// Writes all bytes at the descriptor's position; 0 or the error number.
int writeAll(int fd, std::string_view bytes)
{
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return EIO;
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return 0;
}

// Writes all bytes from offset 0; 0 or the error number.
int writeAllAt0(int fd, std::string_view bytes)
{
    if (::lseek(fd, 0, SEEK_SET) < 0)
        return errno;
    return writeAll(fd, bytes);
}

// A name for the temporary file beside the target that no other writer picks: the target's
// name (cut so the whole stays within a file name's length), hidden, with a unique suffix.
fs::path temporaryName(const fs::path& target, int attempt)
{
    static std::atomic<unsigned> counter{0};
    std::string base = target.filename().string();
    if (base.size() > 180)
        base.resize(180);
    const auto ticks =
        static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    const std::string suffix = std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" +
                               std::to_string((ticks ^ (ticks >> 20)) % 1000000u) + "-" +
                               std::to_string(attempt);
    fs::path dir = target.parent_path();
    return dir / ("." + base + ".tmp" + suffix);
}

void syncFolder(const fs::path& folder)
{
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd); // best effort: the rename itself has already happened
    ::close(fd);
}

// Reads what an open file holds from its start; 0 or the error number.
int readAll(int fd, std::string& out)
{
    out.clear();
    char buffer[65536];
    for (off_t at = 0;;) {
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, at);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return 0;
        out.append(buffer, static_cast<std::size_t>(n));
        at += n;
    }
}

// The rewrite of a file that other hard links share: renaming a new file over one name would
// leave the other names on the old content, so the bytes go into the file itself. That is not
// atomic, so it is done under an exclusive lock: other writers wait their turn and readers
// (ReadWholeFile takes a shared lock) never see a half-written file. Space is claimed first
// where the file system allows, and the old bytes are put back when the write fails all the same.
void writeInPlace(const fs::path& file, const fs::path& target, std::string_view bytes,
                  TWritePermissions permissions)
{
    Descriptor fd(::open(target.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.fd < 0)
        cannotWrite(file, systemReason(errno));
    struct stat st;
    if (::fstat(fd.fd, &st) != 0)
        cannotWrite(file, systemReason(errno));
    if (!S_ISREG(st.st_mode))
        cannotWrite(file, notAFile(st.st_mode));
    if (!lockFile(fd.fd, LOCK_EX))
        cannotWrite(file, lockedReason());
    // Read under the lock: these are the bytes to put back, whole, if the write fails.
    std::string old;
    if (const int err = readAll(fd.fd, old); err != 0)
        cannotWrite(file, systemReason(err));
    if (permissions == TWritePermissions::OwnerOnly && ::fchmod(fd.fd, S_IRUSR | S_IWUSR) != 0)
        cannotWrite(file, systemReason(errno));
    if (bytes.size() > old.size()) {
        const int r = ::fallocate(fd.fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(bytes.size()));
        if (r != 0 && (errno == ENOSPC || errno == EDQUOT || errno == EFBIG))
            cannotWrite(file, systemReason(errno));
    }
    int err = writeAllAt0(fd.fd, bytes);
    if (err == 0 && ::ftruncate(fd.fd, static_cast<off_t>(bytes.size())) != 0)
        err = errno;
    if (err == 0 && ::fsync(fd.fd) != 0)
        err = errno;
    if (err != 0) {
        // The old bytes fit where they were, so putting them back needs no new space.
        if (writeAllAt0(fd.fd, old) == 0)
            (void)::ftruncate(fd.fd, static_cast<off_t>(old.size()));
        ::fsync(fd.fd);
        cannotWrite(file, systemReason(err));
    }
    // Closing lets go of the lock, after the bytes are on the disk.
    if (const int closeErr = fd.close(); closeErr != 0)
        cannotWrite(file, systemReason(closeErr));
}

} // namespace

TFileRead ReadWholeFile(const fs::path& file, std::uintmax_t maxSize)
{
    TFileRead r;
    auto refuse = [&](TFileReadStatus status, const std::string& reason) {
        r.Status = status;
        r.Bytes.clear();
        r.Reason = reason;
        r.Error = "Cannot read file \"" + file.string() + "\": " + reason;
        return r;
    };
    // Looked at before opening: opening a device may do something by itself.
    struct stat st;
    if (::stat(file.c_str(), &st) != 0) {
        const int err = errno;
        return refuse(err == ENOENT || err == ENOTDIR ? TFileReadStatus::Missing
                                                      : TFileReadStatus::Unreadable,
                      systemReason(err));
    }
    if (!S_ISREG(st.st_mode))
        return refuse(TFileReadStatus::NotAFile, notAFile(st.st_mode));
    if (static_cast<std::uintmax_t>(st.st_size) > maxSize)
        return refuse(TFileReadStatus::TooLarge, tooLarge(static_cast<std::uintmax_t>(st.st_size), maxSize));

    // Without waiting: if a pipe took the file's place since, opening it must not block.
    Descriptor fd(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.fd < 0) {
        const int err = errno;
        return refuse(err == ENOENT ? TFileReadStatus::Missing : TFileReadStatus::Unreadable,
                      systemReason(err));
    }
    // A file shared by hard links is rewritten in place under an exclusive lock: wait for the
    // writer, so that what is read is one whole version of the file. What was opened is looked
    // at under the lock: something else put in the file's place since the stat above is
    // refused there.
    if (!lockFile(fd.fd, LOCK_SH))
        return refuse(TFileReadStatus::Unreadable, lockedReason());
    if (::fstat(fd.fd, &st) != 0)
        return refuse(TFileReadStatus::Unreadable, systemReason(errno));
    if (!S_ISREG(st.st_mode))
        return refuse(TFileReadStatus::NotAFile, notAFile(st.st_mode));
    if (static_cast<std::uintmax_t>(st.st_size) > maxSize)
        return refuse(TFileReadStatus::TooLarge, tooLarge(static_cast<std::uintmax_t>(st.st_size), maxSize));

    // One byte beyond the limit is asked for, to notice a file that grew while it was read.
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        const std::uintmax_t left = maxSize - bytes.size(); // never more than the limit so far
        const std::size_t want = left >= sizeof buffer ? sizeof buffer : static_cast<std::size_t>(left) + 1;
        const ssize_t n = ::read(fd.fd, buffer, want);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return refuse(TFileReadStatus::Unreadable, systemReason(errno));
        }
        if (n == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(n));
        if (bytes.size() > maxSize)
            return refuse(TFileReadStatus::TooLarge, tooLarge(bytes.size(), maxSize));
        // A regular file gives less than asked for only at its end: the size it had under the
        // lock, read whole, needs no further read to find the end.
        if (static_cast<std::size_t>(n) < want && bytes.size() == static_cast<std::uintmax_t>(st.st_size))
            break;
    }
    r.Status = TFileReadStatus::Ok;
    r.Bytes = std::move(bytes);
    return r;
}

std::string ReadWholeFileOrThrow(const fs::path& file, std::uintmax_t maxSize)
{
    TFileRead r = ReadWholeFile(file, maxSize);
    if (!r)
        throw EFileError("ReadWholeFile", r.Error);
    return std::move(r.Bytes);
}

fs::path WriteTarget(const fs::path& file)
{
    fs::path p = file;
    // As many links as the system itself follows before it calls it a loop.
    for (int hops = 0;; ++hops) {
        struct stat st;
        if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return p;
        if (hops >= 40)
            cannotWrite(file, systemReason(ELOOP));
        std::error_code ec;
        const fs::path to = fs::read_symlink(p, ec);
        if (ec)
            cannotWrite(file, ec.message());
        p = to.is_absolute() ? to : p.parent_path() / to;
    }
}

void WriteFileAtomically(const fs::path& file, std::string_view bytes, TWritePermissions permissions)
{
    if (file.empty())
        cannotWrite(file, "no file name");
    const fs::path target = WriteTarget(file);
    struct stat st;
    bool exists = false;
    if (::stat(target.c_str(), &st) == 0) {
        exists = true;
        if (!S_ISREG(st.st_mode))
            cannotWrite(file, notAFile(st.st_mode));
        // A file without any write permission is read-only even for a user the system lets
        // write everything, as the read-only mark of the desktop's file properties is.
        if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(target.c_str(), W_OK) != 0)
            cannotWrite(file, "it is read-only...");
    } else if (errno != ENOENT) {
        cannotWrite(file, systemReason(errno));
    }
    if (exists && st.st_nlink > 1) {
        writeInPlace(file, target, bytes, permissions);
        return;
    }

    // No lock on this path: the rename replaces the name at once, and a reader that has the old
    // file open goes on reading the old file, whole.
    const bool ownerOnly = permissions == TWritePermissions::OwnerOnly;
    fs::path temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = temporaryName(target, attempt);
        // 0666 less the user's mask: the permissions of a new file, for a target that is new
        // (the owner's alone from the start when the file is to be private).
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY,
                    ownerOnly ? S_IRUSR | S_IWUSR : 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        cannotCreate(file, systemReason(errno));
    Descriptor guard(fd);
    // The permissions are set before the first byte goes in, so no reader the target's
    // permissions keep out can read the temporary file.
    int err = 0;
    if (exists) {
        // The owner can only be kept where the system allows it; the permissions always are.
        if (st.st_uid != ::geteuid() || st.st_gid != ::getegid())
            (void)::fchown(fd, st.st_uid, st.st_gid);
        if (::fchmod(fd, ownerOnly ? S_IRUSR | S_IWUSR : st.st_mode & 07777) != 0)
            err = errno;
    } else if (ownerOnly && ::fchmod(fd, S_IRUSR | S_IWUSR) != 0) {
        err = errno; // the user's mask may have taken the owner's own bits away
    }
    if (err == 0)
        err = writeAll(fd, bytes);
    if (err == 0 && ::fsync(fd) != 0)
        err = errno;
    if (const int closeErr = guard.close(); err == 0)
        err = closeErr;
    if (err == 0 && ::rename(temp.c_str(), target.c_str()) != 0)
        err = errno;
    if (err != 0) {
        ::unlink(temp.c_str());
        cannotWrite(file, systemReason(err));
    }
    syncFolder(target.parent_path());
}

bool TryWriteFileAtomically(const fs::path& file, std::string_view bytes, std::string* error,
                            TWritePermissions permissions)
{
    try {
        WriteFileAtomically(file, bytes, permissions);
        return true;
    } catch (const EFileError& e) {
        if (error)
            *error = e.what();
        return false;
    }
}

void CopyFileAtomically(const fs::path& from, const fs::path& to, std::uintmax_t maxSize)
{
    WriteFileAtomically(to, ReadWholeFileOrThrow(from, maxSize));
}

} // namespace zmk
