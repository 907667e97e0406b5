#include "RunningApplication.h"

#include <Foundation/FileIO.h>
#include <Foundation/FileLock.h>
#include <Foundation/Home.h>
#include <charconv>
#include <optional>
#include <string>
#include <unistd.h>

namespace AppKit::RunningApplication {

namespace {

// A process id in decimal, and a line feed.
constexpr std::size_t recordLimit = 32;

// The file whose lock the running copy holds; none for an identifier that could name no file.
std::optional<std::filesystem::path> lockFile(std::string_view bundleIdentifier) {
    if (bundleIdentifier.empty() || bundleIdentifier.front() == '.' ||
        bundleIdentifier.find_first_of(std::string_view("/\0", 2)) != std::string_view::npos)
        return std::nullopt;
    return Foundation::homeDirectory() / ".standins" / "appkit" /
           (std::string(bundleIdentifier) + ".running");
}

} // namespace

bool launch(std::string_view bundleIdentifier) {
    // Held until the process ends.
    static std::optional<Foundation::FileLock> running;
    if (running)
        return true;
    const auto file = lockFile(bundleIdentifier);
    if (!file)
        return true;
    std::error_code error;
    if (!Foundation::createFolder(file->parent_path(), &error))
        return true;
    running = Foundation::FileLock::take(*file, Foundation::FileLock::Wait::No, &error);
    if (running)
        running->record(std::to_string(::getpid()) + "\n");
    return running || error != std::errc::operation_would_block;
}

std::optional<pid_t> process(std::string_view bundleIdentifier) {
    const auto file = lockFile(bundleIdentifier);
    const auto record =
        file ? Foundation::readFile(*file, recordLimit, Foundation::Links::Refuse) : std::nullopt;
    if (!record)
        return std::nullopt;
    const std::string_view text = Foundation::textView(*record);
    pid_t pid = 0;
    const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), pid);
    if (failure != std::errc() || pid <= 0 ||
        std::string_view(end, text.data() + text.size() - end) != "\n")
        return std::nullopt;
    return pid;
}

} // namespace AppKit::RunningApplication
