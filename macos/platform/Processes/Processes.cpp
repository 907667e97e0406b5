#include "Processes.h"

#include <Foundation/ExecArray.h>
#include <Foundation/FileDescriptor.h>
#include <Foundation/FileIO.h>
#include <cerrno>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace Processes {

namespace {

// Command lines longer than this are cut; no bridge's is near it.
constexpr std::size_t commandLimit = 256 * 1024;
// A process's status line, its name at most 16 bytes and some fifty numbers.
constexpr std::size_t statLimit = 4096;

std::string folder(pid_t pid) {
    return "/proc/" + std::to_string(pid);
}

// A descriptor that keeps naming this process even after its id is reused.
Foundation::FileDescriptor handle(pid_t pid) {
    return Foundation::FileDescriptor(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
}

} // namespace

bool isOwn(pid_t pid) {
    struct stat info {};
    return pid > 0 && ::stat(folder(pid).c_str(), &info) == 0 && info.st_uid == ::getuid();
}

std::optional<std::string> commandLine(pid_t pid) {
    if (pid <= 0)
        return std::nullopt;
    // The file is produced by the kernel and reports a size of 0, so it is read as a stream.
    auto read = Foundation::readFilePrefix(folder(pid) + "/cmdline", commandLimit);
    if (!read || read->empty())
        return std::nullopt;
    std::string text(read->begin(), read->end());
    while (!text.empty() && text.back() == '\0')
        text.pop_back();
    for (char& c : text) {
        if (c == '\0')
            c = ' ';
    }
    return text;
}

bool isStopped(pid_t pid) {
    if (pid <= 0)
        return false;
    // "pid (name) state ...": the name may hold spaces and parentheses, so the state is found
    // after the last ")".
    const auto read = Foundation::readFilePrefix(folder(pid) + "/stat", statLimit);
    if (!read)
        return false;
    const std::string_view text = Foundation::textView(*read);
    const std::size_t close = text.rfind(')');
    return close != std::string_view::npos && close + 2 < text.size() && text[close + 1] == ' ' &&
           (text[close + 2] == 'T' || text[close + 2] == 't');
}

bool signal(pid_t pid, int signal, const std::function<bool(const std::string&)>& expected) {
    if (pid <= 0)
        return false;
    const Foundation::FileDescriptor process = handle(pid);
    if (!process)
        return false;
    // Looked at while held: if the id was reused before the handle was taken, the command line
    // read here is the newcomer's and the test decides on it.
    const auto command = commandLine(pid);
    if (!command || !isOwn(pid) || !expected(*command))
        return false;
    return ::syscall(SYS_pidfd_send_signal, process.get(), signal, nullptr, 0) == 0;
}

int startDetached(const std::vector<std::string>& arguments) {
    const auto pointers = Foundation::execArray(arguments);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (const int stream : {0, 1, 2})
        posix_spawn_file_actions_addopen(&actions, stream, "/dev/null", O_RDWR, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    pid_t pid = -1;
    const int failed = ::posix_spawnp(&pid, arguments.front().c_str(), &actions, &attributes,
                                      pointers.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (failed == 0) {
        std::thread([pid] {
            while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    }
    return failed;
}

} // namespace Processes
