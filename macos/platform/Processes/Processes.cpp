#include "Processes.h"

#include <Foundation/FileIO.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace Processes {

namespace {

// Command lines longer than this are cut; no bridge's is near it.
constexpr std::size_t commandLimit = 256 * 1024;

std::string folder(pid_t pid) {
    return "/proc/" + std::to_string(pid);
}

// A descriptor that keeps naming this process even after its id is reused.
class Handle {
public:
    explicit Handle(pid_t pid) : m_fd(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0))) {}
    ~Handle() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    bool valid() const { return m_fd >= 0; }
    bool send(int signal) const {
        return ::syscall(SYS_pidfd_send_signal, m_fd, signal, nullptr, 0) == 0;
    }

private:
    int m_fd;
};

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

bool signal(pid_t pid, int signal, const std::function<bool(const std::string&)>& expected) {
    if (pid <= 0)
        return false;
    const Handle handle(pid);
    if (!handle.valid())
        return false;
    // Looked at while held: if the id was reused before the handle was taken, the command line
    // read here is the newcomer's and the test decides on it.
    const auto command = commandLine(pid);
    if (!command || !isOwn(pid) || !expected(*command))
        return false;
    return handle.send(signal);
}

} // namespace Processes
