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
#include <Foundation/Error.h>
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

// Writes `bytes` to `path` atomically; on failure returns false and sets `error` to a sentence.
bool writeFileAtomically(const std::filesystem::path& path, Bytes bytes, mode_t mode,
                         std::string* error = nullptr);

// Creates `path` and any missing parents with mode 0700; true when it is a folder afterwards.
// On failure `error` says which folder could not be made and why.
bool createFolder(const std::filesystem::path& path, Error* error = nullptr);

// Renames `from` to `to` when nothing stands at `to`; fails, changing nothing, when something
// does or when the rename fails (also across file systems).
bool moveItem(const std::filesystem::path& from, const std::filesystem::path& to,
              Error* error = nullptr);

} // namespace Foundation
