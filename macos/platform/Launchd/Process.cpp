#include "Process.h"

#include <Foundation/ExecArray.h>
#include <Foundation/FileIO.h>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace Launchd {

namespace {

// How long a killed instance may take to disappear.
constexpr int killWaitMilliseconds = 5000;

// What the processes between fork and exec report to the starter through a pipe.
struct Report {
    enum Kind : int { started, failed } kind;
    int value; // the job's process id, or an errno value
};

// Only async-signal-safe calls: this runs in a child forked from a process with threads.
[[noreturn]] void reportAndExit(int pipe, Report::Kind kind, int value, int status) {
    const Report report{kind, value};
    [[maybe_unused]] const ssize_t ignored = ::write(pipe, &report, sizeof report);
    ::_exit(status);
}

[[noreturn]] void becomeJob(int pipe, char* const* arguments, char* const* environment) {
    ::setpgid(0, 0);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    for (int signal = 1; signal < NSIG; ++signal)
        ::sigaction(signal, &defaultAction, nullptr);
    const int null = ::open("/dev/null", O_RDWR);
    if (null < 0)
        reportAndExit(pipe, Report::failed, errno, 127);
    for (int fd = 0; fd <= 2; ++fd) {
        if (null != fd)
            ::dup2(null, fd);
    }
    if (null > 2)
        ::close(null);
    if (::chdir("/") != 0)
        reportAndExit(pipe, Report::failed, errno, 127);
    // Whatever the starter had open stays with the starter.
    ::close_range(3, ~0u, CLOSE_RANGE_CLOEXEC);
    ::execve(arguments[0], arguments, environment);
    reportAndExit(pipe, Report::failed, errno, 127);
}

struct ProcessStatus {
    char state = 0;
    std::uint64_t startTime = 0;
    uid_t owner = 0;
};

std::optional<ProcessStatus> readStatus(pid_t pid) {
    const std::string folder = "/proc/" + std::to_string(pid);
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0)
        return std::nullopt;
    const auto bytes = Foundation::readFile(folder + "/stat", 4096);
    if (!bytes)
        return std::nullopt;
    // "pid (name) state ppid …": the name may hold spaces and parentheses, so fields are
    // counted from the last ")".
    const std::string_view text = Foundation::textView(*bytes);
    const std::size_t nameEnd = text.rfind(')');
    if (nameEnd == std::string_view::npos)
        return std::nullopt;
    std::vector<std::string_view> fields;
    std::size_t at = nameEnd + 1;
    while (at < text.size()) {
        while (at < text.size() && text[at] == ' ')
            ++at;
        const std::size_t end = std::min(text.find(' ', at), text.size());
        if (end > at)
            fields.push_back(text.substr(at, end - at));
        at = end;
    }
    // Field 3 of the file is the state, field 22 the start time.
    constexpr std::size_t stateField = 0, startTimeField = 19;
    if (fields.size() <= startTimeField || fields[stateField].empty())
        return std::nullopt;
    ProcessStatus status{fields[stateField][0], 0, info.st_uid};
    const std::string_view start = fields[startTimeField];
    if (std::from_chars(start.data(), start.data() + start.size(), status.startTime).ec !=
        std::errc())
        return std::nullopt;
    return status;
}

int openProcess(pid_t pid) {
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
}

// Signals the instance's group, or the instance alone when it leads no group any more.
void signalInstance(const Instance& instance, int processFd, int signal) {
    if (::getpgid(instance.pid) == instance.pid && ::kill(-instance.pid, signal) == 0)
        return;
    ::syscall(SYS_pidfd_send_signal, processFd, signal, nullptr, 0);
}

bool waitForEnd(int processFd, int milliseconds) {
    pollfd entry{processFd, POLLIN, 0};
    for (;;) {
        const int ready = ::poll(&entry, 1, milliseconds);
        if (ready < 0 && errno == EINTR)
            continue;
        return ready > 0;
    }
}

} // namespace

std::optional<Instance> start(const std::vector<std::string>& arguments,
                              const std::vector<std::string>& environment,
                              Foundation::Error* error) {
    auto fail = [&](int code) -> std::optional<Instance> {
        if (error)
            *error = Foundation::posixError(
                code, "Couldn't start " + (arguments.empty() ? std::string() : arguments[0]));
        return std::nullopt;
    };
    if (arguments.empty())
        return fail(EINVAL);
    // Made before forking: the child may only make async-signal-safe calls.
    const std::vector<char*> argumentPointers = Foundation::execArray(arguments);
    const std::vector<char*> environmentPointers = Foundation::execArray(environment);
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0)
        return fail(errno);
    const pid_t intermediate = ::fork();
    if (intermediate == 0) {
        ::close(pipe[0]);
        if (::setsid() < 0)
            reportAndExit(pipe[1], Report::failed, errno, 1);
        const pid_t job = ::fork();
        if (job < 0)
            reportAndExit(pipe[1], Report::failed, errno, 1);
        if (job > 0)
            reportAndExit(pipe[1], Report::started, job, 0);
        becomeJob(pipe[1], argumentPointers.data(), environmentPointers.data());
    }
    const int forkError = errno;
    ::close(pipe[1]);
    if (intermediate < 0) {
        ::close(pipe[0]);
        return fail(forkError);
    }
    // The pipe ends when the intermediate process has ended and the job has exec'd (or failed
    // to): every report has arrived by then.
    std::optional<pid_t> job;
    int failure = 0;
    Report report{};
    for (;;) {
        const ssize_t count = ::read(pipe[0], &report, sizeof report);
        if (count < 0 && errno == EINTR)
            continue;
        if (count != static_cast<ssize_t>(sizeof report))
            break;
        if (report.kind == Report::started)
            job = report.value;
        else
            failure = report.value;
    }
    ::close(pipe[0]);
    while (::waitpid(intermediate, nullptr, 0) < 0 && errno == EINTR) {
    }
    if (failure != 0 || !job)
        return fail(failure != 0 ? failure : ECHILD);
    // A program that ended at once has no start time left to read; it is simply not running.
    const auto status = readStatus(*job);
    return Instance{*job, status ? status->startTime : 0};
}

bool isRunning(const Instance& instance) {
    if (instance.pid <= 0)
        return false;
    const auto status = readStatus(instance.pid);
    return status && status->state != 'Z' && status->state != 'X' &&
           status->startTime == instance.startTime && status->owner == ::getuid();
}

bool stop(const Instance& instance, double grace) {
    if (!isRunning(instance))
        return true;
    const int processFd = openProcess(instance.pid);
    if (processFd < 0)
        return errno == ESRCH;
    // Checked again now that the descriptor pins the process: it is the instance, or has ended.
    bool ended = !isRunning(instance);
    if (!ended) {
        signalInstance(instance, processFd, SIGTERM);
        ended = waitForEnd(processFd, static_cast<int>(grace * 1000));
        if (!ended) {
            signalInstance(instance, processFd, SIGKILL);
            ended = waitForEnd(processFd, killWaitMilliseconds);
        }
    }
    ::close(processFd);
    return ended;
}

} // namespace Launchd
