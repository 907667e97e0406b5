#include "ConfigFile.h"

#include <Foundation/FileIO.h>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ConfigFile {

namespace {

constexpr int attempts = 3;
constexpr const char* cantRead = "can't read it";
constexpr const char* keptChanging = "it kept changing while it was being edited; try again";
constexpr const char* notExact =
    "it holds text that couldn't be written back unchanged, so it was left alone";

std::error_code lastError() {
    return {errno != 0 ? errno : EIO, std::generic_category()};
}

// The path with every symbolic link resolved.
std::optional<std::string> resolved(const std::filesystem::path& url, std::error_code& error) {
    char buffer[PATH_MAX];
    if (!::realpath(url.c_str(), buffer)) {
        error = lastError();
        return std::nullopt;
    }
    return std::string(buffer);
}

// Whether the file at `path` is still the one `before` describes: same device and inode, same
// modification time to the nanosecond, same size. A file that can't be looked at has changed.
bool unchangedSince(const std::string& path, const struct stat& before) {
    struct stat now {};
    return ::stat(path.c_str(), &now) == 0 && now.st_dev == before.st_dev &&
           now.st_ino == before.st_ino && now.st_mtim.tv_sec == before.st_mtim.tv_sec &&
           now.st_mtim.tv_nsec == before.st_mtim.tv_nsec && now.st_size == before.st_size;
}

// Makes the rename durable. The file has been replaced by now, so a failure here changes
// nothing about the outcome.
void syncFolder(const std::string& path) {
    const std::string folder = std::filesystem::path(path).parent_path().string();
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

Foundation::Bytes bytesOf(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// One attempt at the edit of the resolved `path`; nothing when the file changed under it.
std::optional<EditOutcome> attempt(const std::string& path, const std::string& stamp,
                                   const Change& change, const Seams& seams) {
    struct stat before {};
    if (::stat(path.c_str(), &before) != 0)
        return errno == ENOENT ? EditOutcome::missing() : EditOutcome::failed(cantRead);
    const auto read = Foundation::readRegularFile(path, maximumSize);
    if (!read.data) {
        return read.failure == Foundation::ReadFailure::Missing ? EditOutcome::missing()
                                                                : EditOutcome::failed(cantRead);
    }
    const Foundation::Data& old = *read.data;
    auto parsed = JSON::parse(old);
    if (!parsed.value) {
        return EditOutcome::failed("it isn't valid JSON (" + parsed.error.description() +
                                   "), so it was left alone");
    }
    const auto summary = change(*parsed.value);
    if (!summary)
        return EditOutcome::nothingOurs();
    if (parsed.lossy)
        return EditOutcome::failed(notExact);

    std::string text = parsed.value->serialized();
    if (!old.empty() && old.back() == '\n')
        text += '\n';
    const std::string temporary = path + ".kh-tmp-" + std::to_string(::getpid());
    if (const auto error = Foundation::createFile(temporary, bytesOf(text), before.st_mode & 07777))
        return EditOutcome::failed(error.message());
    if (seams.afterTemporaryFile)
        seams.afterTemporaryFile();
    if (!unchangedSince(path, before)) {
        ::unlink(temporary.c_str());
        return std::nullopt;
    }

    const std::string backup = path + ".kh-uninstall-" + stamp;
    if (const auto error = Foundation::createFile(backup, old, 0600)) {
        ::unlink(temporary.c_str());
        return EditOutcome::failed(error.message());
    }
    if (seams.afterBackup)
        seams.afterBackup();
    // A write that landed after the backup was taken would be lost by the rename.
    if (!unchangedSince(path, before)) {
        ::unlink(temporary.c_str());
        ::unlink(backup.c_str());
        return std::nullopt;
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const std::error_code error = lastError();
        ::unlink(temporary.c_str());
        return EditOutcome::failed(error.message());
    }
    syncFolder(path);
    return EditOutcome::changed(*summary, backup);
}

} // namespace

EditOutcome edit(const std::filesystem::path& url, const std::string& stamp, const Change& change,
                 const Seams& seams) {
    std::error_code error;
    const auto path = resolved(url, error);
    if (!path) {
        return error == std::errc::no_such_file_or_directory ? EditOutcome::missing()
                                                             : EditOutcome::failed(cantRead);
    }
    for (int i = 0; i < attempts; ++i) {
        if (auto outcome = attempt(*path, stamp, change, seams))
            return *outcome;
    }
    return EditOutcome::failed(keptChanging);
}

std::optional<std::string> peek(const std::filesystem::path& url, const Change& change) {
    auto document = read(url);
    if (!document)
        return std::nullopt;
    return change(*document);
}

std::optional<JSON> read(const std::filesystem::path& url) {
    const auto bytes = Foundation::readFile(url, maximumSize);
    if (!bytes)
        return std::nullopt;
    return JSON::parse(*bytes).value;
}

} // namespace ConfigFile
