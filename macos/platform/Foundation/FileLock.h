// An exclusive lock on a file, taken with flock through an open file description of its own.
//
// While one `FileLock` holds a file's lock, no other open of that file, in this process or
// another, can take it; the kernel lets it go when the `FileLock` goes or its process ends,
// however it ends. The descriptor closes on exec, so no program a holder starts inherits the
// lock. The file is made (mode 0600) when missing and is never removed: removing it would let a
// second holder lock a new file while the first still holds the old one. A holder may write a
// few words into the file, its process id say, for others to read while it holds the lock.
#pragma once

#include <Foundation/FileDescriptor.h>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>

namespace Foundation {

class FileLock {
public:
    enum class Wait { No, Yes };

    // Opens `path` for reading and writing, or only reading when this process may not write it
    // (never through a symbolic link, never blocking on a FIFO), and takes its lock, waiting for
    // another holder to let it go with `Wait::Yes`. Nothing on failure, `error`, when given, then
    // being the system's error: operation_would_block while another holds it without waiting,
    // invalid_argument when `path` is not a regular file.
    static std::optional<FileLock> take(const std::filesystem::path& path, Wait wait,
                                        std::error_code* error = nullptr);
    // Takes the lock of the folder `path` itself (never through a symbolic link), waiting for
    // another holder: for a short change inside the folder that its holders make one at a time.
    static std::optional<FileLock> takeFolder(const std::filesystem::path& path,
                                              std::error_code* error = nullptr);

    // Replaces what the locked file holds with `text`; the system's error when it can't.
    std::error_code record(std::string_view text) const;

private:
    explicit FileLock(FileDescriptor fd) : m_fd(std::move(fd)) {}

    FileDescriptor m_fd;
};

} // namespace Foundation
