// Safe reads and writes of whole files.
//
// Reads never block on a FIFO or a device and are bounded: the file is opened
// (optionally refusing a symbolic link as the last component), checked with
// fstat to be a regular file no larger than `limit`, and read to at most
// `limit` plus one byte; a larger file is refused rather than cut. What is
// checked is what is read: nothing is looked up twice.
// Atomic writes create a temporary file exclusively beside the target with
// the given mode, write it fully, fsync it, and rename it into place, checking
// every step; a failed write leaves the target as it was.
#pragma once

#include <Foundation/Data.h>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <system_error>

namespace Foundation {

enum class ReadFailure { Missing, NotRegular, TooLarge, Unreadable };

// Whether a read goes through a symbolic link at the path's last component.
enum class Links { Follow, Refuse };

struct ReadResult {
    std::optional<Data> data;
    ReadFailure failure = ReadFailure::Unreadable;
};

// A refused symbolic link counts as NotRegular.
ReadResult readRegularFile(const std::filesystem::path& path, std::size_t limit,
                           Links links = Links::Follow);

// The file's bytes, or nothing on any failure.
std::optional<Data> readFile(const std::filesystem::path& path, std::size_t limit,
                             Links links = Links::Follow);

// Why an atomic write failed: `renaming` when every step but the final rename succeeded (the
// temporary file is removed again), the error number, and a sentence naming the step.
struct WriteFailure {
    bool renaming = false;
    int code = 0;
    std::string sentence;
};

// Names a temporary file for the target's file name; asked again when the name is taken.
using TemporaryNamer = std::function<std::string(const std::string& targetName)>;

// Writes `bytes` to `path` atomically, the temporary file named by `name`.
std::optional<WriteFailure> atomicWrite(const std::filesystem::path& path, Bytes bytes, mode_t mode,
                                        const TemporaryNamer& name);

// Writes `bytes` to `path` atomically; on failure returns false and sets `error` to a sentence.
bool writeFileAtomically(const std::filesystem::path& path, Bytes bytes, mode_t mode,
                         std::string* error = nullptr);

// Creates `path` and any missing parents with mode 0700; true when it is a folder afterwards.
// On failure `error`, when given, holds the file system's error.
bool createFolder(const std::filesystem::path& path, std::error_code* error = nullptr);

// Marks a folder as one that backups leave out. Linux has no such mark, so this does nothing;
// it is the seam where a platform with backups sets it.
void excludeFromBackup(const std::filesystem::path& folder);

} // namespace Foundation
