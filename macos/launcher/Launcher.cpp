#include "Launcher.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Launcher {

namespace {

// The size of the buffer the executable's path must fit into, terminating zero included.
constexpr std::size_t pathBufferSize = 1024;

// Set once, in this order, by `run`. The argument vector's entries stay allocated for the exec.
std::string contents;
std::string node;
std::string daemon;
char* arguments[4];

// Sends `target` (1 or 2) to the log file at `path`; a file that cannot be opened changes
// nothing.
void redirect(int target, const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    // With `target` closed at start, `open` hands back that very number: keep it, and let it
    // pass to the daemon.
    if (fd == target) {
        ::fcntl(fd, F_SETFD, 0);
        return;
    }
    ::dup2(fd, target);
    ::close(fd);
}

void redirectOutput() {
    const std::string data = home() + "/.kestrelhaven";
    const std::string logs = data + "/logs";
    for (const std::string& folder : {data, logs}) {
        ::mkdir(folder.c_str(), 0700);
        ::chmod(folder.c_str(), 0700);
    }
    redirect(1, logs + "/launchd.out.log");
    redirect(2, logs + "/launchd.err.log");
}

} // namespace

void fail(const std::string& message) {
    std::fputs(("KestrelhavenBridge: " + message + "\n").c_str(), stderr);
    std::exit(failureStatus);
}

std::string executablePath() {
    char buffer[pathBufferSize] = {};
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    if (length < 0 || static_cast<std::size_t>(length) >= sizeof buffer)
        fail("can't find my own path");
    char* resolved = ::realpath(buffer, nullptr);
    if (!resolved)
        fail("can't find my own path");
    std::string path(resolved);
    std::free(resolved);
    return path;
}

std::string home() {
    if (const char* fromEnvironment = std::getenv("HOME"); fromEnvironment && *fromEnvironment)
        return fromEnvironment;
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    fail("no home directory");
}

std::string cutLastComponent(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

void run() {
    contents = cutLastComponent(cutLastComponent(executablePath()));
    node = contents + "/Helpers/node";
    daemon = contents + "/Resources/bridge/dist/daemon.js";
    if (::access(node.c_str(), X_OK) != 0)
        fail("missing " + node);
    if (::access(daemon.c_str(), R_OK) != 0)
        fail("missing " + daemon);
    if (::isatty(1) == 0)
        redirectOutput();
    ::unsetenv("NODE_OPTIONS");
    ::unsetenv("NODE_PATH");
    arguments[0] = ::strdup(node.c_str());
    arguments[1] = ::strdup("--disable-sigusr1");
    arguments[2] = ::strdup(daemon.c_str());
    arguments[3] = nullptr;
    ::execv(node.c_str(), arguments);
    const int code = errno;
    fail("exec " + node + ": " + std::strerror(code));
}

} // namespace Launcher
