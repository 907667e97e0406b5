// What the launchd tests read of a process from /proc.
#pragma once

#include <Testing/Testing.h>
#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

namespace Processes {

inline std::filesystem::path folder(pid_t pid) {
    return "/proc/" + std::to_string(pid);
}

// The NUL-separated entries of /proc/<pid>/<file> (cmdline, environ).
inline std::vector<std::string> entries(pid_t pid, const std::string& file) {
    const std::string text = Testing::readText(folder(pid) / file);
    std::vector<std::string> list;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find('\0', at);
        list.push_back(text.substr(at, end - at));
        at = end == std::string::npos ? text.size() : end + 1;
    }
    return list;
}

} // namespace Processes
