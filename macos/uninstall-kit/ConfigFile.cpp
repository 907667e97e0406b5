#include "ConfigFile.h"

#include <Foundation/FileIO.h>
#include <cerrno>
#include <charconv>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <variant>
#include <vector>

namespace ConfigFile {

namespace {

namespace fs = std::filesystem;

constexpr int attempts = 3;
constexpr const char* cantRead = "can't read it";
constexpr const char* keptChanging = "it kept changing while it was being edited; try again";
constexpr const char* notExact = "it holds text that couldn't be written back unchanged";
constexpr const char* leftAlone = ", so it was left alone";
// The temporary files of an edit are named "<file name>.kh-tmp-<process id>", the backup's with
// this after it: the process id tells a running edit's from a killed one's.
constexpr const char* temporaryMark = ".kh-tmp-";
constexpr const char* backupSuffix = "-backup";

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

// Whether `name` is a temporary file of an edit of the file named `fileName` whose process no
// longer runs.
bool isLeftover(std::string_view name, const std::string& fileName) {
    const std::string prefix = fileName + temporaryMark;
    if (!name.starts_with(prefix))
        return false;
    name.remove_prefix(prefix.size());
    if (name.ends_with(backupSuffix))
        name.remove_suffix(std::string_view(backupSuffix).size());
    pid_t pid = 0;
    std::from_chars(name.data(), name.data() + name.size(), pid);
    return pid > 0 && std::to_string(pid) == name && ::kill(pid, 0) != 0 && errno == ESRCH;
}

// Removes what killed edits of the file at `path` left beside it, and nothing else.
void removeLeftovers(const std::string& path) {
    const fs::path file(path);
    const std::string fileName = file.filename().string();
    std::vector<fs::path> leftovers;
    std::error_code error;
    for (fs::directory_iterator entry(file.parent_path(), error), end; !error && entry != end;
         entry.increment(error)) {
        if (isLeftover(entry->path().filename().string(), fileName))
            leftovers.push_back(entry->path());
    }
    for (const fs::path& leftover : leftovers)
        ::unlink(leftover.c_str());
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

// A file read, parsed and changed, with what the change found.
struct Found {
    Foundation::Data old;
    JSON document;
    Finding finding;
};

// Reads, parses and changes the file at the resolved `path`: how an edit ends when it ends before
// writing anything, else what it would write. The one check that both an edit and a peek make.
std::variant<EditOutcome, Found> inspect(const std::string& path, const Change& change) {
    auto read = Foundation::readRegularFile(path, maximumSize);
    if (!read.data) {
        return read.failure == Foundation::ReadFailure::Missing ? EditOutcome::missing()
                                                                : EditOutcome::failed(cantRead);
    }
    auto parsed = JSON::parse(*read.data);
    if (!parsed.value) {
        return EditOutcome::failed("it isn't valid JSON (" + parsed.error.description() + ")" +
                                   leftAlone);
    }
    auto summary = change(*parsed.value);
    if (!summary)
        return EditOutcome::nothingOurs();
    return Found{
        std::move(*read.data),
        std::move(*parsed.value),
        {std::move(*summary), parsed.lossy ? std::optional<std::string>(notExact) : std::nullopt}};
}

// One attempt at the edit of the resolved `path`; nothing when the file changed under it.
std::optional<EditOutcome> attempt(const std::string& path, const std::string& stamp,
                                   const Change& change, const Seams& seams) {
    struct stat before {};
    if (::stat(path.c_str(), &before) != 0)
        return errno == ENOENT ? EditOutcome::missing() : EditOutcome::failed(cantRead);
    auto inspected = inspect(path, change);
    if (const auto* ended = std::get_if<EditOutcome>(&inspected))
        return *ended;
    const Found& found = std::get<Found>(inspected);
    if (found.finding.refusal)
        return EditOutcome::failed(*found.finding.refusal + leftAlone);

    std::string text = found.document.serialized();
    if (!found.old.empty() && found.old.back() == '\n')
        text += '\n';
    const std::string temporary = path + temporaryMark + std::to_string(::getpid());
    const std::string temporaryName = fs::path(temporary).filename().string();
    if (const auto error = Foundation::createFile(temporary, bytesOf(text), before.st_mode & 07777))
        return EditOutcome::failed(error.message());
    if (seams.afterTemporaryFile)
        seams.afterTemporaryFile();
    if (!unchangedSince(path, before)) {
        ::unlink(temporary.c_str());
        return std::nullopt;
    }

    const std::string backup = path + ".kh-uninstall-" + stamp;
    const auto failure = Foundation::atomicWrite(
        backup, found.old, 0600,
        [&temporaryName](const std::string&) { return temporaryName + backupSuffix; },
        Foundation::Existing::Keep);
    if (failure) {
        ::unlink(temporary.c_str());
        return EditOutcome::failed(failure->code.message());
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
    return EditOutcome::changed(found.finding.summary, backup);
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
    removeLeftovers(*path);
    for (int i = 0; i < attempts; ++i) {
        if (auto outcome = attempt(*path, stamp, change, seams))
            return *outcome;
    }
    return EditOutcome::failed(keptChanging);
}

std::optional<Finding> peek(const std::filesystem::path& url, const Change& change) {
    std::error_code ignored;
    const auto path = resolved(url, ignored);
    if (!path)
        return std::nullopt;
    auto inspected = inspect(*path, change);
    if (auto* found = std::get_if<Found>(&inspected))
        return std::move(found->finding);
    return std::nullopt;
}

} // namespace ConfigFile
