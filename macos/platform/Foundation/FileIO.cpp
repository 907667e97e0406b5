#include "FileIO.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace Foundation {

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }
    // Closes now and reports whether closing succeeded.
    bool close() {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

std::string temporaryName(const std::string& targetName) {
    static thread_local std::mt19937_64 generator{std::random_device{}()};
    static constexpr char alphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string suffix;
    for (int i = 0; i < 12; ++i)
        suffix += alphabet[generator() % (sizeof(alphabet) - 1)];
    return "." + targetName + "." + suffix + ".tmp";
}

} // namespace

ReadResult readRegularFile(const std::filesystem::path& path, std::size_t limit, Links links) {
    ReadResult result;
    const int flags =
        O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | (links == Links::Refuse ? O_NOFOLLOW : 0);
    FileDescriptor fd(::open(path.c_str(), flags));
    if (fd.get() < 0) {
        result.failure = errno == ENOENT  ? ReadFailure::Missing
                         : errno == ELOOP ? ReadFailure::NotRegular
                                          : ReadFailure::Unreadable;
        return result;
    }
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0) {
        result.failure = ReadFailure::Unreadable;
        return result;
    }
    if (!S_ISREG(status.st_mode)) {
        result.failure = ReadFailure::NotRegular;
        return result;
    }
    if (static_cast<std::uintmax_t>(status.st_size) > limit) {
        result.failure = ReadFailure::TooLarge;
        return result;
    }
    // The file may grow after fstat: read one byte past the limit at most, to tell.
    Data data(static_cast<std::size_t>(status.st_size) + 1);
    std::size_t filled = 0;
    for (;;) {
        if (filled == data.size()) {
            if (filled > limit)
                break;
            data.resize(std::min(limit + 1, std::max<std::size_t>(filled * 2, 16384)));
        }
        const ssize_t count = ::read(fd.get(), data.data() + filled, data.size() - filled);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0) {
            result.failure = ReadFailure::Unreadable;
            return result;
        }
        if (count == 0)
            break;
        filled += static_cast<std::size_t>(count);
    }
    if (filled > limit) {
        result.failure = ReadFailure::TooLarge;
        return result;
    }
    data.resize(filled);
    result.data = std::move(data);
    return result;
}

std::optional<Data> readFile(const std::filesystem::path& path, std::size_t limit, Links links) {
    return readRegularFile(path, limit, links).data;
}

std::optional<WriteFailure> atomicWrite(const std::filesystem::path& path, Bytes bytes, mode_t mode,
                                        const TemporaryNamer& name) {
    auto fail = [](const std::string& what, bool renaming = false) {
        const int code = errno;
        return WriteFailure{renaming, code, what + ": " + std::strerror(code)};
    };
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    std::filesystem::path temporary;
    int rawFd = -1;
    for (int attempt = 0; attempt < 16 && rawFd < 0; ++attempt) {
        temporary = folder / name(path.filename().string());
        rawFd =
            ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
        if (rawFd < 0 && errno != EEXIST)
            return fail("Couldn't create " + temporary.string());
    }
    if (rawFd < 0)
        return fail("Couldn't create a temporary file in " + folder.string());
    FileDescriptor fd(rawFd);
    auto failAndRemove = [&](const std::string& what, bool renaming = false) {
        WriteFailure failure = fail(what, renaming);
        ::unlink(temporary.c_str());
        return failure;
    };
    // The creation mode passes through the umask; the stated mode must hold exactly.
    if (::fchmod(fd.get(), mode) != 0)
        return failAndRemove("Couldn't set the mode of " + temporary.string());
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t count = ::write(fd.get(), bytes.data() + written, bytes.size() - written);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return failAndRemove("Couldn't write " + temporary.string());
        written += static_cast<std::size_t>(count);
    }
    if (::fsync(fd.get()) != 0)
        return failAndRemove("Couldn't flush " + temporary.string());
    if (!fd.close())
        return failAndRemove("Couldn't close " + temporary.string());
    if (::rename(temporary.c_str(), path.c_str()) != 0)
        return failAndRemove("Couldn't replace " + path.string(), true);
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
            *error = std::error_code(errno, std::generic_category());
        return false;
    }
    if (std::filesystem::is_directory(path, ignored))
        return true;
    if (error)
        *error = std::make_error_code(std::errc::not_a_directory);
    return false;
}

void excludeFromBackup(const std::filesystem::path&) {}

} // namespace Foundation
