// Whole-file reads and writes that hold up against what may lie in the user's folders. Every
// file the program reads from outside (project files, the catalogue, INI files, the letterhead,
// the location files) is read once, through ReadWholeFile: it must be a regular file (a
// symbolic link is followed) of at most a stated size, so that a named pipe, a device or a
// folder where a file should be is refused at once instead of hanging the program or filling
// its memory. Every file the program writes goes through WriteFileAtomically: the bytes go to
// a temporary file beside the target, are flushed to the disk and renamed over the target, so
// that a failed write leaves the old file byte for byte and says why. A file that other hard
// links share is rewritten in place under an advisory lock (flock) that readers wait for, so
// that writers take turns and no reader sees half of one version.
#pragma once

#include "base/Errors.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace zmk {

/// A file that cannot be read or written; the message names the file and the reason.
class EFileError : public ZmkError
{
public:
    using ZmkError::ZmkError;
};

inline constexpr std::uintmax_t kMiB = std::uintmax_t{1} << 20;
/// Largest project file read, bytes (a saved project is about 5 KB).
inline constexpr std::uintmax_t kMaxProjectFileSize = 64 * kMiB;
/// Largest coil maker catalogue read, bytes (the installed one is a few kilobytes).
inline constexpr std::uintmax_t kMaxCatalogueFileSize = 16 * kMiB;
/// Largest INI file read (settings, units, the install merge list), bytes: room for a quarter
/// of a million sections, far more than a program ever writes.
inline constexpr std::uintmax_t kMaxIniFileSize = 8 * kMiB;
/// Largest letterhead file read, bytes (a few lines of the user's own HTML).
inline constexpr std::uintmax_t kMaxLetterheadSize = 1 * kMiB;
/// Largest picture or style sheet copied into a report folder, bytes.
inline constexpr std::uintmax_t kMaxReportAssetSize = 64 * kMiB;
/// How long a read or an in-place rewrite waits for another program to let go of its lock on
/// the file before giving up: a program that never lets go must not hang this one.
inline constexpr std::chrono::milliseconds kFileLockWait{3000};

/// The permissions WriteFileAtomically gives the file it writes.
enum class TWritePermissions {
    Keep,      ///< an existing file's own; those of a new file (0666 less the umask) otherwise
    OwnerOnly, ///< readable and writable by its owner alone (0600), before the first byte goes in
};

/// How a whole-file read ended.
enum class TFileReadStatus {
    Ok,         ///< the bytes were read
    Missing,    ///< nothing is there (or a folder on the way is missing)
    NotAFile,   ///< a folder, named pipe, device or socket is there
    TooLarge,   ///< the file is larger than the limit
    Unreadable, ///< the system refused (permission, a loop of symbolic links, an I/O error)
};

/// The result of ReadWholeFile.
struct TFileRead
{
    TFileReadStatus Status = TFileReadStatus::Missing;
    std::string Bytes;  ///< the file's bytes when Status is Ok
    std::string Reason; ///< why it was not read ("it is a named pipe (FIFO), not a regular file")
    std::string Error;  ///< the whole message: Cannot read file "<path>": <reason>
    explicit operator bool() const { return Status == TFileReadStatus::Ok; }
};

/// Reads a whole regular file of at most maxSize bytes, once. The file is looked at before it is
/// opened and again once open (without waiting on anything), so a named pipe or a device never
/// blocks the read, and no more than maxSize + 1 bytes are ever read. The read holds a shared
/// lock on the file, waiting up to kFileLockWait for a writer's lock (else Unreadable, saying
/// that another program holds the file locked).
TFileRead ReadWholeFile(const std::filesystem::path& file, std::uintmax_t maxSize);
/// ReadWholeFile that throws EFileError with the message when the file cannot be read.
std::string ReadWholeFileOrThrow(const std::filesystem::path& file, std::uintmax_t maxSize);

/// The file a write to `file` changes: a symbolic link is followed to its target (also when the
/// target does not exist yet). Throws EFileError for a loop of links.
std::filesystem::path WriteTarget(const std::filesystem::path& file);

/// Replaces a file's content with `bytes`. The write goes to the target of a symbolic link; an
/// existing target must be a regular file that may be written: a file without any write
/// permission, or one this user may not write, is refused as read-only and left as it is. The
/// bytes go to a temporary file beside the target that takes the target's permissions (those of
/// a new file otherwise, or 0600 with OwnerOnly), are synced to the disk, and the temporary file
/// is renamed over the target, so a reader sees the old file or the new one, whole. A target
/// with further hard links is rewritten in place instead, so that every name keeps seeing the
/// file: under an exclusive lock (waiting up to kFileLockWait for other holders), so that
/// concurrent writers take turns and readers wait, with the old bytes put back when the write
/// fails. Throws EFileError naming the path and the system's reason ("Cannot create file" when
/// nothing could be made in the folder, "Cannot write file" otherwise); the old file is then
/// unchanged. Does not create folders.
void WriteFileAtomically(const std::filesystem::path& file, std::string_view bytes,
                         TWritePermissions permissions = TWritePermissions::Keep);
/// WriteFileAtomically that returns false, with the message in `error` when given, instead of
/// throwing.
bool TryWriteFileAtomically(const std::filesystem::path& file, std::string_view bytes,
                            std::string* error = nullptr,
                            TWritePermissions permissions = TWritePermissions::Keep);
/// Copies a regular file of at most maxSize bytes over another with WriteFileAtomically. Throws
/// EFileError when the source cannot be read or the target written.
void CopyFileAtomically(const std::filesystem::path& from, const std::filesystem::path& to,
                        std::uintmax_t maxSize);

} // namespace zmk
