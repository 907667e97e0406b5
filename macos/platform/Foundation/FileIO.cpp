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

std::string describeErrno(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

std::string temporaryName(const std::filesystem::path& target) {
    static thread_local std::mt19937_64 generator{std::random_device{}()};
    static constexpr char alphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string suffix;
    for (int i = 0; i < 12; ++i)
        suffix += alphabet[generator() % (sizeof(alphabet) - 1)];
    return "." + target.filename().string() + "." + suffix + ".tmp";
}

enum class Oversize { Refuse, Cut };

ReadResult readRegular(const std::filesystem::path& path, std::size_t limit, Oversize oversize) {
    ReadResult result;
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0) {
        result.failure = errno == ENOENT ? ReadFailure::Missing : ReadFailure::Unreadable;
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
    Data data;
    data.reserve(std::min<std::size_t>(static_cast<std::size_t>(status.st_size), limit) + 1);
    std::uint8_t buffer[16384];
    for (;;) {
        const ssize_t count = ::read(fd.get(), buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0) {
            result.failure = ReadFailure::Unreadable;
            return result;
        }
        if (count == 0)
            break;
        data.insert(data.end(), buffer, buffer + count);
        if (data.size() > limit && oversize == Oversize::Cut) {
            data.resize(limit);
            break;
        }
        if (data.size() > limit) {
            result.failure = ReadFailure::TooLarge;
            return result;
        }
    }
    result.data = std::move(data);
    return result;
}

} // namespace

ReadResult readRegularFile(const std::filesystem::path& path, std::size_t limit) {
    return readRegular(path, limit, Oversize::Refuse);
}

std::optional<Data> readFile(const std::filesystem::path& path, std::size_t limit) {
    return readRegularFile(path, limit).data;
}

std::optional<Data> readFilePrefix(const std::filesystem::path& path, std::size_t limit) {
    return readRegular(path, limit, Oversize::Cut).data;
}

bool writeFileAtomically(const std::filesystem::path& path, Bytes bytes, mode_t mode,
                         std::string* error) {
    auto fail = [&](const std::string& sentence) {
        if (error)
            *error = sentence;
        return false;
    };
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    std::filesystem::path temporary;
    int rawFd = -1;
    for (int attempt = 0; attempt < 16 && rawFd < 0; ++attempt) {
        temporary = folder / temporaryName(path);
        rawFd =
            ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
        if (rawFd < 0 && errno != EEXIST)
            return fail(describeErrno("Couldn't create " + temporary.string()));
    }
    if (rawFd < 0)
        return fail("Couldn't create a temporary file in " + folder.string());
    FileDescriptor fd(rawFd);
    auto failAndRemove = [&](const std::string& sentence) {
        ::unlink(temporary.c_str());
        return fail(sentence);
    };
    // The creation mode passes through the umask; the stated mode must hold exactly.
    if (::fchmod(fd.get(), mode) != 0)
        return failAndRemove(describeErrno("Couldn't set the mode of " + temporary.string()));
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t count = ::write(fd.get(), bytes.data() + written, bytes.size() - written);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return failAndRemove(describeErrno("Couldn't write " + temporary.string()));
        written += static_cast<std::size_t>(count);
    }
    if (::fsync(fd.get()) != 0)
        return failAndRemove(describeErrno("Couldn't flush " + temporary.string()));
    if (!fd.close())
        return failAndRemove(describeErrno("Couldn't close " + temporary.string()));
    if (::rename(temporary.c_str(), path.c_str()) != 0)
        return failAndRemove(describeErrno("Couldn't replace " + path.string()));
    return true;
}

bool createFolder(const std::filesystem::path& path) {
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored))
        return true;
    if (path.has_parent_path() && path.parent_path() != path && !createFolder(path.parent_path()))
        return false;
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    return std::filesystem::is_directory(path, ignored);
}

} // namespace Foundation
