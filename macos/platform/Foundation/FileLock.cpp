#include "FileLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

namespace Foundation {

std::optional<FileLock> FileLock::take(const std::filesystem::path& path, Wait wait,
                                       std::error_code* error) {
    const auto fail = [&](int code) -> std::optional<FileLock> {
        if (error)
            *error = {code, std::generic_category()};
        return std::nullopt;
    };
    FileDescriptor fd(::open(
        path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0600));
    if (!fd)
        return fail(errno);
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0)
        return fail(errno);
    if (!S_ISREG(status.st_mode))
        return fail(EINVAL);
    const int operation = LOCK_EX | (wait == Wait::No ? LOCK_NB : 0);
    while (::flock(fd.get(), operation) != 0) {
        if (errno != EINTR)
            return fail(errno);
    }
    return FileLock(std::move(fd));
}

} // namespace Foundation
