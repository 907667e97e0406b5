#include "Home.h"

#include <cstdlib>
#include <mutex>
#include <pwd.h>
#include <unistd.h>

namespace Foundation {

namespace {

std::mutex shellLock;
std::function<std::optional<std::string>()> shellSource;

} // namespace

std::filesystem::path homeDirectory() {
    if (const char* fromEnvironment = std::getenv("HOME"); fromEnvironment && *fromEnvironment)
        return fromEnvironment;
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir && *entry->pw_dir)
        return entry->pw_dir;
    return "/";
}

std::string abbreviatingWithTildeInPath(const std::string& path) {
    std::string home = homeDirectory().string();
    while (home.size() > 1 && home.ends_with('/'))
        home.pop_back();
    if (home == "/" || !path.starts_with(home))
        return path;
    if (path.size() == home.size())
        return "~";
    if (path[home.size()] != '/')
        return path;
    return "~" + path.substr(home.size());
}

std::optional<std::string> loginShell() {
    {
        std::lock_guard guard(shellLock);
        if (shellSource)
            return shellSource();
    }
    // getpwuid_r: the search runs on a work queue while other threads may look users up too.
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::string buffer(size > 0 ? static_cast<std::size_t>(size) : 16384, '\0');
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found ||
        !found->pw_shell || !*found->pw_shell)
        return std::nullopt;
    return std::string(found->pw_shell);
}

void setLoginShellSource(std::function<std::optional<std::string>()> source) {
    std::lock_guard guard(shellLock);
    shellSource = std::move(source);
}

} // namespace Foundation
