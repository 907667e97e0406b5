// Safe reads and writes of whole files.
//
// Reads never block on a FIFO or a device and are bounded: the file is opened
// (optionally refusing a symbolic link as the last component), checked with
// fstat to be a regular file no larger than `limit`, and read to at most
// `limit` plus one byte; a larger file is refused rather than cut. What is
// checked is what is read: nothing is looked up twice.
// Atomic writes create a temporary file exclusively beside the target with
// the given mode, write it fully, fsync it, and rename it into place, checking
// every step; a failed write leaves the target as it was. Moves never replace
// what stands at their destination.
#pragma once

#include <Foundation/Data.h>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <system_error>
#include <unistd.h>

namespace Foundation {

enum class ReadFailure { Missing, NotRegular, TooLarge, Unreadable };

// Whether a read goes through a symbolic link at the path's last component.
enum class Links { Follow, Refuse };

struct ReadResult {
    std::optional<Data> data;
    ReadFailure failure = ReadFailure::Unreadable;
    // The system's reason when the file is Unreadable.
    std::error_code error;
};

// A refused symbolic link counts as NotRegular.
ReadResult readRegularFile(const std::filesystem::path& path, std::size_t limit,
                           Links links = Links::Follow);

// The file's bytes, or nothing on any failure.
std::optional<Data> readFile(const std::filesystem::path& path, std::size_t limit,
                             Links links = Links::Follow);

// At most the first `count` bytes of a regular file; nothing when it can't be opened or isn't one.
std::optional<Data> readFilePrefix(const std::filesystem::path& path, std::size_t count);

// Creates a new file at `path` (never one that exists, nor through a link) holding `bytes`, with
// exactly `mode` whatever the umask, and flushes it to storage. On failure nothing this call
// created is left and the error is the system's.
std::error_code createFile(const std::filesystem::path& path, Bytes bytes, mode_t mode);

// Why an atomic write failed: `renaming` when every step but the final rename succeeded (the
// temporary file is removed again), the system's error, and a sentence naming the step.
struct WriteFailure {
    bool renaming = false;
    std::error_code code;
    std::string sentence;
};

// Appends `bytes` to the regular file at `path` (never through a link as the last component, never
// blocking on a FIFO), or creates it as `createFile` does when nothing stands there. Anything but
// a regular file is refused with invalid_argument and nothing is written.
std::error_code appendToFile(const std::filesystem::path& path, Bytes bytes, mode_t mode);

// Names a temporary file for the target's file name; asked again when the name is taken.
using TemporaryNamer = std::function<std::string(const std::string& targetName)>;

// Whether an atomic write may replace what stands at its path; when it may not, the write fails
// with file_exists (and `renaming` set) and nothing is replaced.
enum class Existing { Replace, Keep };

// Writes `bytes` to `path` atomically, the temporary file named by `name`.
std::optional<WriteFailure> atomicWrite(const std::filesystem::path& path, Bytes bytes, mode_t mode,
                                        const TemporaryNamer& name,
                                        Existing existing = Existing::Replace);

// Writes `bytes` to `path` atomically; on failure returns false and sets `error` to a sentence.
bool writeFileAtomically(const std::filesystem::path& path, Bytes bytes, mode_t mode,
                         std::string* error = nullptr);

// One write of at most `size` bytes, as ::write makes it.
using WriteOnce = ssize_t (*)(int fd, const void* data, std::size_t size);
// Writes every byte to `fd` with `once`, again after an interruption; false, errno set, when a
// write fails or writes nothing.
bool writeFully(int fd, Bytes bytes, WriteOnce once = ::write);

// Creates `path` and any missing parents with mode 0700; true when it is a folder afterwards.
// On failure `error`, when given, is the system's error.
bool createFolder(const std::filesystem::path& path, std::error_code* error = nullptr);

// Marks a folder as one that backups leave out. Linux has no such mark, so this does nothing;
// it is the seam where a platform with backups sets it.
void excludeFromBackup(const std::filesystem::path& folder);

// Renames `from` to `to` when nothing stands at `to`. Fails with the system's error, changing
// nothing, when something does (file_exists) or the rename fails (also across file systems).
std::error_code moveItem(const std::filesystem::path& from, const std::filesystem::path& to);

} // namespace Foundation
