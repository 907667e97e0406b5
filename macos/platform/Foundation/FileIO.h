// Safe reads and writes of whole files.
//
// Reads never block on a FIFO or a device and are bounded: the file is opened
// without following into anything but a regular file, checked with fstat, and
// read to at most `limit` bytes; a larger file is refused rather than cut.
// Atomic writes create a temporary file exclusively beside the target with
// the given mode, write it fully, fsync it, and rename it into place, checking
// every step; a failed write leaves the target as it was. Moves never replace
// what stands at their destination.
#pragma once

#include <Foundation/Data.h>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>
#include <system_error>

namespace Foundation {

enum class ReadFailure { Missing, NotRegular, TooLarge, Unreadable };

struct ReadResult {
    std::optional<Data> data;
    ReadFailure failure = ReadFailure::Unreadable;
};

ReadResult readRegularFile(const std::filesystem::path& path, std::size_t limit);

// The file's bytes, or nothing on any failure.
std::optional<Data> readFile(const std::filesystem::path& path, std::size_t limit);

// At most the first `count` bytes of a regular file; nothing when it can't be opened or isn't one.
std::optional<Data> readFilePrefix(const std::filesystem::path& path, std::size_t count);

// Creates a new file at `path` (never one that exists, nor through a link) holding `bytes`, with
// exactly `mode` whatever the umask, and flushes it to storage. On failure nothing this call
// created is left and the error is the system's.
std::error_code createFile(const std::filesystem::path& path, Bytes bytes, mode_t mode);

// Writes `bytes` to `path` atomically; on failure returns false and sets `error` to a sentence.
bool writeFileAtomically(const std::filesystem::path& path, Bytes bytes, mode_t mode,
                         std::string* error = nullptr);

// Creates `path` and any missing parents with mode 0700; true when it is a folder afterwards.
// On failure `error`, when given, is the system's error.
bool createFolder(const std::filesystem::path& path, std::error_code* error = nullptr);

// Renames `from` to `to` when nothing stands at `to`. Fails with the system's error, changing
// nothing, when something does (file_exists) or the rename fails (also across file systems).
std::error_code moveItem(const std::filesystem::path& from, const std::filesystem::path& to);

} // namespace Foundation
