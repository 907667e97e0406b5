#include "FileIO.h"

#include "FileDescriptor.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace Foundation {

namespace {

std::error_code lastError() {
    return {errno != 0 ? errno : EIO, std::generic_category()};
}

std::string temporaryName(const std::string& targetName) {
    static thread_local std::mt19937_64 generator{std::random_device{}()};
    static constexpr char alphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string suffix;
    for (int i = 0; i < 12; ++i)
        suffix += alphabet[generator() % (sizeof(alphabet) - 1)];
    return "." + targetName + "." + suffix + ".tmp";
}

// Opens `path` for reading, never blocking on a FIFO or device, and only when it is a regular
// file; otherwise -1 with `failure` saying why.
int openRegular(const std::filesystem::path& path, ReadFailure& failure, struct stat& status,
                Links links = Links::Follow) {
    const int flags =
        O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | (links == Links::Refuse ? O_NOFOLLOW : 0);
    const int fd = ::open(path.c_str(), flags);
    if (fd < 0) {
        failure = errno == ENOENT  ? ReadFailure::Missing
                  : errno == ELOOP ? ReadFailure::NotRegular
                                   : ReadFailure::Unreadable;
        return -1;
    }
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        failure = S_ISREG(status.st_mode) ? ReadFailure::Unreadable : ReadFailure::NotRegular;
        ::close(fd);
        return -1;
    }
    return fd;
}

// Appends bytes from `fd` to `data` until the end of the file or until it holds `most` bytes.
bool readInto(int fd, Data& data, std::size_t most) {
    std::uint8_t buffer[16384];
    while (data.size() < most) {
        const std::size_t wanted = std::min(sizeof buffer, most - data.size());
        const ssize_t count = ::read(fd, buffer, wanted);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return false;
        if (count == 0)
            break;
        data.insert(data.end(), buffer, buffer + count);
    }
    return true;
}

} // namespace

bool writeFully(int fd, Bytes bytes, WriteOnce once) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        errno = 0;
        const ssize_t count = once(fd, bytes.data() + written, bytes.size() - written);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        written += static_cast<std::size_t>(count);
    }
    return true;
}

ReadResult readRegularFile(const std::filesystem::path& path, std::size_t limit, Links links) {
    ReadResult result;
    struct stat status {};
    FileDescriptor fd(openRegular(path, result.failure, status, links));
    if (fd.get() < 0) {
        result.error = lastError();
        return result;
    }
    if (static_cast<std::uintmax_t>(status.st_size) > limit) {
        result.failure = ReadFailure::TooLarge;
        return result;
    }
    Data data;
    data.reserve(std::min<std::size_t>(static_cast<std::size_t>(status.st_size), limit) + 1);
    // One byte past the limit tells a file of exactly the limit from a larger one.
    const std::size_t most = limit == SIZE_MAX ? limit : limit + 1;
    if (!readInto(fd.get(), data, most)) {
        result.failure = ReadFailure::Unreadable;
        result.error = lastError();
        return result;
    }
    if (data.size() > limit) {
        result.failure = ReadFailure::TooLarge;
        return result;
    }
    result.data = std::move(data);
    return result;
}

std::optional<Data> readFile(const std::filesystem::path& path, std::size_t limit, Links links) {
    return readRegularFile(path, limit, links).data;
}

std::optional<Data> readFilePrefix(const std::filesystem::path& path, std::size_t count) {
    ReadFailure ignored;
    struct stat status {};
    FileDescriptor fd(openRegular(path, ignored, status));
    if (fd.get() < 0)
        return std::nullopt;
    Data data;
    if (!readInto(fd.get(), data, count))
        return std::nullopt;
    return data;
}

std::error_code createFile(const std::filesystem::path& path, Bytes bytes, mode_t mode) {
    const int rawFd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
    if (rawFd < 0)
        return lastError();
    FileDescriptor fd(rawFd);
    auto failAndRemove = [&] {
        const std::error_code error = lastError();
        ::unlink(path.c_str());
        return error;
    };
    // The creation mode passes through the umask; the stated mode must hold exactly.
    if (::fchmod(fd.get(), mode) != 0)
        return failAndRemove();
    if (!writeFully(fd.get(), bytes) || ::fsync(fd.get()) != 0 || !fd.close())
        return failAndRemove();
    return {};
}

std::error_code appendToFile(const std::filesystem::path& path, Bytes bytes, mode_t mode) {
    const int rawFd =
        ::open(path.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (rawFd < 0)
        return errno == ENOENT ? createFile(path, bytes, mode) : lastError();
    FileDescriptor fd(rawFd);
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0)
        return lastError();
    if (!S_ISREG(status.st_mode))
        return std::make_error_code(std::errc::invalid_argument);
    if (!writeFully(fd.get(), bytes) || !fd.close())
        return lastError();
    return {};
}

std::optional<WriteFailure> atomicWrite(const std::filesystem::path& path, Bytes bytes, mode_t mode,
                                        const TemporaryNamer& name, Existing existing) {
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    std::filesystem::path temporary;
    std::error_code created = std::make_error_code(std::errc::file_exists);
    for (int attempt = 0; attempt < 16 && created == std::errc::file_exists; ++attempt) {
        temporary = folder / name(path.filename().string());
        created = createFile(temporary, bytes, mode);
    }
    if (created == std::errc::file_exists)
        return WriteFailure{false, created,
                            "Couldn't create a temporary file in " + folder.string()};
    if (created)
        return WriteFailure{false, created,
                            "Couldn't create " + temporary.string() + ": " + created.message()};
    std::error_code error;
    if (existing == Existing::Keep)
        error = moveItem(temporary, path);
    else if (::rename(temporary.c_str(), path.c_str()) != 0)
        error = lastError();
    if (error) {
        ::unlink(temporary.c_str());
        const std::string failed =
            existing == Existing::Keep ? "Couldn't create " : "Couldn't replace ";
        return WriteFailure{true, error, failed + path.string() + ": " + error.message()};
    }
    return std::nullopt;
}

bool writeFileAtomically(const std::filesystem::path& path, Bytes bytes, mode_t mode,
                         std::string* error) {
    const auto failure = atomicWrite(path, bytes, mode, temporaryName);
    if (failure && error)
        *error = failure->sentence;
    return !failure;
}

bool createFolder(const std::filesystem::path& path, std::error_code* error) {
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored))
        return true;
    if (path.has_parent_path() && path.parent_path() != path &&
        !createFolder(path.parent_path(), error))
        return false;
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        if (error)
            *error = lastError();
        return false;
    }
    if (std::filesystem::is_directory(path, ignored))
        return true;
    if (error)
        *error = std::make_error_code(std::errc::not_a_directory);
    return false;
}

void excludeFromBackup(const std::filesystem::path&) {}

std::error_code moveItem(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) != 0)
        return lastError();
    return {};
}

} // namespace Foundation
