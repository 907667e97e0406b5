// Safe reads and writes of whole files.
//
// Reads never block on a FIFO or a device and are bounded: the file is opened
// without following into anything but a regular file, checked with fstat, and
// read to at most `limit` bytes; a larger file is refused rather than cut,
// unless the caller asks for its first bytes only.
// Atomic writes create a temporary file exclusively beside the target with
// the given mode, write it fully, fsync it, and rename it into place, checking
// every step; a failed write leaves the target as it was.
#pragma once

#include <Foundation/Data.h>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>

namespace Foundation {

enum class ReadFailure { Missing, NotRegular, TooLarge, Unreadable };

struct ReadResult {
    std::optional<Data> data;
    ReadFailure failure = ReadFailure::Unreadable;
};

ReadResult readRegularFile(const std::filesystem::path& path, std::size_t limit);

// The file's bytes, or nothing on any failure.
std::optional<Data> readFile(const std::filesystem::path& path, std::size_t limit);

// The file's first `limit` bytes (all of a smaller one), or nothing on any other failure.
std::optional<Data> readFilePrefix(const std::filesystem::path& path, std::size_t limit);

// Writes `bytes` to `path` atomically; on failure returns false and sets `error` to a sentence.
bool writeFileAtomically(const std::filesystem::path& path, Bytes bytes, mode_t mode,
                         std::string* error = nullptr);

// Creates `path` and any missing parents with mode 0700; true when it is a folder afterwards.
bool createFolder(const std::filesystem::path& path);

} // namespace Foundation
