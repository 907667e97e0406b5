#include "uninstall/UninstallLog.h"

#include "service/Bundled.h"
#include "uninstall/Uninstaller.h"

#include <Foundation/FileIO.h>
#include <Foundation/SystemTime.h>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Uninstaller {

namespace {

const char* word(UninstallStep::Status status) {
    switch (status) {
    case UninstallStep::Status::done:
        return "done";
    case UninstallStep::Status::notFound:
        return "not found";
    case UninstallStep::Status::failed:
        return "FAILED";
    }
    return "";
}

std::string oneLine(std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    return text;
}

bool writeAll(int fd, const std::string& text) {
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t count = ::write(fd, text.data() + written, text.size() - written);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        written += static_cast<std::size_t>(count);
    }
    return true;
}

// Appends to an existing regular file; false when there is none to append to.
bool append(const std::filesystem::path& file, const std::string& record) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode))
        writeAll(fd, record);
    ::close(fd);
    return true;
}

} // namespace

std::string internetDateTime(double secondsSince1970) {
    const auto seconds = static_cast<std::time_t>(std::floor(secondsSince1970));
    std::tm utc{};
    ::gmtime_r(&seconds, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

std::string backupStamp(double secondsSince1970) {
    std::string stamp = internetDateTime(secondsSince1970);
    std::replace(stamp.begin(), stamp.end(), ':', '-');
    return stamp;
}

std::string logRecord(const std::vector<UninstallStep>& steps, bool deleteData,
                      const std::string& app, double secondsSince1970) {
    std::string record = "\n== " + internetDateTime(secondsSince1970) +
                         " Kestrelhaven uninstall (app " + oneLine(app) + ")" +
                         (deleteData ? ", deleting data" : "") + "\n";
    for (const UninstallStep& step : steps)
        record += oneLine(step.title) + ": " + word(step.status) + " \u2014 " +
                  oneLine(step.detail) + "\n";
    return record;
}

void log(const std::vector<UninstallStep>& steps, bool deleteData) {
    const std::string record =
        logRecord(steps, deleteData, Bundled::app().string(), Foundation::SystemTime::now());
    const std::filesystem::path file = logFile();
    std::error_code ignored;
    std::filesystem::create_directories(file.parent_path(), ignored);
    if (append(file, record))
        return;
    Foundation::createFile(
        file,
        Foundation::Bytes(reinterpret_cast<const std::uint8_t*>(record.data()), record.size()),
        0600);
}

} // namespace Uninstaller
