#include "RunningApplication.h"

#include <Foundation/FileIO.h>
#include <Foundation/FileLock.h>
#include <Foundation/Home.h>
#include <optional>
#include <string>

namespace AppKit::RunningApplication {

bool launch(std::string_view bundleIdentifier) {
    // Held until the process ends.
    static std::optional<Foundation::FileLock> running;
    if (running)
        return true;
    if (bundleIdentifier.empty() || bundleIdentifier.front() == '.' ||
        bundleIdentifier.find_first_of(std::string_view("/\0", 2)) != std::string_view::npos)
        return true;
    const auto folder = Foundation::homeDirectory() / ".standins" / "appkit";
    std::error_code error;
    if (!Foundation::createFolder(folder, &error))
        return true;
    running = Foundation::FileLock::take(folder / (std::string(bundleIdentifier) + ".running"),
                                         Foundation::FileLock::Wait::No, &error);
    return running || error != std::errc::operation_would_block;
}

} // namespace AppKit::RunningApplication
