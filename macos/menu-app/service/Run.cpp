#include "service/Run.h"

#include <Dispatch/DispatchQueue.h>
#include <Foundation/Data.h>
#include <Foundation/ExecArray.h>
#include <Foundation/FileDescriptor.h>
#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cmath>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

extern char** environ;

namespace Run {

namespace {

using Clock = std::chrono::steady_clock;

// Far enough to mean "no time-out" without overflowing the clock.
constexpr double longestTimeout = 1e9;

using Descriptor = Foundation::FileDescriptor;

struct Pipe {
    Descriptor read;
    Descriptor write;
};

bool makePipe(Pipe& pipe) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return false;
    pipe.read = Descriptor(ends[0]);
    pipe.write = Descriptor(ends[1]);
    return true;
}

Result failure(const std::string& sentence) {
    return {-1, "", sentence};
}

std::string fileName(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

Clock::time_point secondsFromNow(double seconds) {
    return Clock::now() +
           std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

int millisecondsUntil(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    return static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(left.count(), 0, INT_MAX));
}

// Starts the child in a session of its own, and so a process group of its own, so that a
// time-out can end its descendants too, and so that it has no controlling terminal: an
// interactive login shell then never stops for the terminal the application runs on. Gives its
// process id, or the errno value of the failure.
int spawn(const std::string& executable, const std::vector<std::string>& arguments,
          const std::optional<Environment>& environment, const Pipe& output, const Pipe& errors,
          pid_t& pid) {
    std::vector<std::string> argumentTexts{executable};
    argumentTexts.insert(argumentTexts.end(), arguments.begin(), arguments.end());
    std::vector<std::string> environmentTexts;
    if (environment) {
        for (const auto& [name, value] : *environment)
            environmentTexts.push_back(name + "=" + value);
    }
    const auto argumentPointers = Foundation::execArray(argumentTexts);
    const auto environmentPointers = Foundation::execArray(environmentTexts);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, output.write.get(), 1);
    posix_spawn_file_actions_adddup2(&actions, errors.write.get(), 2);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t signals;
    sigemptyset(&signals);
    posix_spawnattr_setsigmask(&attributes, &signals);
    sigfillset(&signals);
    posix_spawnattr_setsigdefault(&attributes, &signals);
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    const int failed =
        ::posix_spawn(&pid, executable.c_str(), &actions, &attributes, argumentPointers.data(),
                      environment ? environmentPointers.data() : environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return failed;
}

void signalGroup(pid_t pid, int signal) {
    ::kill(-pid, signal);
    ::kill(pid, signal);
}

// Ends a child that ran past its time-out without making the caller wait: terminate, a grace,
// then kill whatever of its group is left, and reap it. The child stays unreaped until the
// kill, so its process id (and group id) cannot have been given to another process.
void endInBackground(pid_t pid, Descriptor process) {
    signalGroup(pid, SIGTERM);
    const int processFd = process.release();
    Dispatch::DispatchQueue::global().async([pid, processFd] {
        pollfd entry{processFd, POLLIN, 0};
        const auto deadline = secondsFromNow(terminateGrace);
        while (::poll(&entry, 1, millisecondsUntil(deadline)) < 0 && errno == EINTR) {
        }
        signalGroup(pid, SIGKILL);
        while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        ::close(processFd);
    });
}

struct Stream {
    Descriptor fd;
    std::string bytes;
};

// Reads what is there; false at the end of the stream or on an error.
bool readSome(Stream& stream) {
    std::array<char, 65536> buffer;
    for (;;) {
        const ssize_t count = ::read(stream.fd.get(), buffer.data(), buffer.size());
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        stream.bytes.append(buffer.data(), static_cast<std::size_t>(count));
        return true;
    }
}

int terminationStatus(int status) {
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return WTERMSIG(status);
    return status;
}

} // namespace

Environment currentEnvironment() {
    Environment environment;
    for (char** entry = environ; *entry; ++entry) {
        const std::string_view text(*entry);
        const std::size_t equals = text.find('=');
        if (equals != std::string_view::npos)
            environment.emplace(text.substr(0, equals), text.substr(equals + 1));
    }
    return environment;
}

Result run(const std::string& executable, const std::vector<std::string>& arguments,
           const std::optional<Environment>& environment, double timeout) {
    timeout = std::isnan(timeout) ? 0 : std::clamp(timeout, 0.0, longestTimeout);
    const auto deadline = secondsFromNow(timeout);
    Pipe output, errors;
    if (!makePipe(output) || !makePipe(errors))
        return failure("Couldn't run “" + executable + "”: " + std::strerror(errno));
    pid_t pid = -1;
    if (const int failed = spawn(executable, arguments, environment, output, errors, pid))
        return failure("Couldn't run “" + executable + "”: " + std::strerror(failed));
    output.write.reset();
    errors.write.reset();

    Descriptor process(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
    if (!process) {
        const int code = errno;
        signalGroup(pid, SIGKILL);
        while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        return failure("Couldn't watch “" + executable + "”: " + std::strerror(code));
    }

    std::array<Stream, 2> streams{Stream{std::move(output.read), {}},
                                  Stream{std::move(errors.read), {}}};
    std::optional<int> status;
    Clock::time_point streamsDeadline;
    for (;;) {
        std::array<pollfd, 3> entries{};
        nfds_t count = 0;
        for (Stream& stream : streams) {
            if (stream.fd)
                entries[count++] = {stream.fd.get(), POLLIN, 0};
        }
        if (!status)
            entries[count++] = {process.get(), POLLIN, 0};
        else if (count == 0)
            break;
        const int wait = millisecondsUntil(status ? streamsDeadline : deadline);
        if (::poll(entries.data(), count, wait) < 0) {
            if (errno == EINTR)
                continue;
            const int code = errno;
            if (!status)
                endInBackground(pid, std::move(process));
            return failure("Couldn't watch “" + executable + "”: " + std::strerror(code));
        }
        for (nfds_t index = 0; index < count; ++index) {
            if (!entries[index].revents)
                continue;
            if (entries[index].fd == process.get()) {
                int raw = 0;
                while (::waitpid(pid, &raw, 0) < 0 && errno == EINTR) {
                }
                status = terminationStatus(raw);
                process.reset();
                streamsDeadline = secondsFromNow(streamGrace);
                continue;
            }
            for (Stream& stream : streams) {
                if (stream.fd.get() == entries[index].fd && !readSome(stream))
                    stream.fd.reset();
            }
        }
        if (!status && Clock::now() >= deadline) {
            endInBackground(pid, std::move(process));
            return failure(fileName(executable) + " timed out");
        }
        if (status && Clock::now() >= streamsDeadline) {
            // A grandchild still holds these streams: they count as delivering nothing.
            for (Stream& stream : streams) {
                if (stream.fd) {
                    stream.fd.reset();
                    stream.bytes.clear();
                }
            }
        }
    }
    return {*status, Foundation::decodeUTF8Lossy(std::move(streams[0].bytes)),
            Foundation::decodeUTF8Lossy(std::move(streams[1].bytes))};
}

} // namespace Run
