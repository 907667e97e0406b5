#include "LaunchedProgram.h"

#include <Foundation/ExecArray.h>
#include <Testing/Testing.h>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace LaunchedProgram {

namespace {

class Terminal {
public:
    Terminal() : m_main(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC)) {
        if (m_main < 0 || ::grantpt(m_main) != 0 || ::unlockpt(m_main) != 0)
            throw std::runtime_error("no pseudo-terminal");
        m_secondary = ::open(::ptsname(m_main), O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_secondary < 0)
            throw std::runtime_error("no pseudo-terminal");
    }
    ~Terminal() {
        ::close(m_main);
        if (m_secondary >= 0)
            ::close(m_secondary);
    }
    int secondary() const { return m_secondary; }

    // Everything written on the terminal until every writer has closed it.
    std::string drain() {
        ::close(m_secondary);
        m_secondary = -1;
        std::string text;
        char buffer[4096];
        for (;;) {
            const ssize_t count = ::read(m_main, buffer, sizeof buffer);
            if (count < 0 && errno == EINTR)
                continue;
            if (count <= 0)
                return text;
            text.append(buffer, static_cast<std::size_t>(count));
        }
    }

private:
    int m_main;
    int m_secondary = -1;
};

void direct(posix_spawn_file_actions_t& actions, int fd, Stream stream,
            const std::filesystem::path& file, const Terminal& terminal) {
    switch (stream) {
    case Stream::file:
        posix_spawn_file_actions_addopen(&actions, fd, file.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        break;
    case Stream::terminal:
        posix_spawn_file_actions_adddup2(&actions, terminal.secondary(), fd);
        break;
    case Stream::closed:
        posix_spawn_file_actions_addclose(&actions, fd);
        break;
    }
}

} // namespace

Ended run(const Launch& launch, const std::filesystem::path& folder) {
    const auto outputFile = folder / "output.txt";
    const auto errorFile = folder / "errors.txt";
    std::filesystem::remove(outputFile);
    std::filesystem::remove(errorFile);
    Terminal terminal;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    direct(actions, 1, launch.output, outputFile, terminal);
    direct(actions, 2, launch.errors, errorFile, terminal);
    std::vector<std::string> arguments{launch.program.string()};
    arguments.insert(arguments.end(), launch.arguments.begin(), launch.arguments.end());
    const auto argumentPointers = Foundation::execArray(arguments);
    const auto environmentPointers = Foundation::execArray(launch.environment);
    pid_t pid = -1;
    const int failed = posix_spawn(&pid, launch.program.c_str(), &actions, nullptr,
                                   argumentPointers.data(), environmentPointers.data());
    posix_spawn_file_actions_destroy(&actions);
    if (failed)
        throw std::runtime_error("couldn't start " + launch.program.string());

    Ended ended;
    const std::string onTerminal = terminal.drain();
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    ended.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    ended.output = launch.output == Stream::terminal ? onTerminal : Testing::readText(outputFile);
    ended.errors = launch.errors == Stream::terminal ? onTerminal : Testing::readText(errorFile);
    return ended;
}

} // namespace LaunchedProgram
