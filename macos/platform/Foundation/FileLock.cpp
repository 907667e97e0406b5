#include "FileLock.h"

#include "FileIO.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

namespace Foundation {

namespace {

std::optional<FileLock> failed(std::error_code* error, int code) {
    if (error)
        *error = {code, std::generic_category()};
    return std::nullopt;
}

// Takes the lock of `fd`; false, errno set, when it can't.
bool lock(int fd, FileLock::Wait wait) {
    const int operation = LOCK_EX | (wait == FileLock::Wait::No ? LOCK_NB : 0);
    while (::flock(fd, operation) != 0) {
        if (errno != EINTR)
            return false;
    }
    return true;
}

} // namespace

std::optional<FileLock> FileLock::take(const std::filesystem::path& path, Wait wait,
                                       std::error_code* error) {
    const int flags = O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY;
    FileDescriptor fd(::open(path.c_str(), O_RDWR | flags, 0600));
    // A file this process may not write still takes the lock; only `record` then fails.
    if (!fd && (errno == EACCES || errno == EROFS))
        fd = FileDescriptor(::open(path.c_str(), O_RDONLY | flags, 0600));
    if (!fd)
        return failed(error, errno);
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0)
        return failed(error, errno);
    if (!S_ISREG(status.st_mode))
        return failed(error, EINVAL);
    if (!lock(fd.get(), wait))
        return failed(error, errno);
    return FileLock(std::move(fd));
}

std::optional<FileLock> FileLock::takeFolder(const std::filesystem::path& path,
                                             std::error_code* error) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW));
    if (!fd || !lock(fd.get(), Wait::Yes))
        return failed(error, errno);
    return FileLock(std::move(fd));
}

std::error_code FileLock::record(std::string_view text) const {
    if (::ftruncate(m_fd.get(), 0) != 0 || ::lseek(m_fd.get(), 0, SEEK_SET) != 0 ||
        !writeFully(m_fd.get(), dataFrom(text)))
        return {errno, std::generic_category()};
    return {};
}

} // namespace Foundation
