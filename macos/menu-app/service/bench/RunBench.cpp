// Run::run of a program that writes 64 MiB to each of its streams, measured beside a minimal
// posix_spawn-and-read of the same program. The program is this one, started with "write".
// The last line printed is the ratio of the two (Run::run / baseline).
#include "service/Run.h"

#include <Foundation/Bundle.h>
#include <Testing/BenchmarkRatio.h>
#include <array>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr std::size_t streamSize = 64 * 1024 * 1024;
constexpr std::size_t pieceSize = 64 * 1024;

bool writeAll(int fd, const char* bytes, std::size_t size) {
    while (size > 0) {
        const ssize_t count = ::write(fd, bytes, size);
        if (count <= 0)
            return false;
        bytes += count;
        size -= static_cast<std::size_t>(count);
    }
    return true;
}

// The writer: 64 MiB to each stream, in alternating pieces.
int write() {
    const std::string piece(pieceSize, 'x');
    for (std::size_t written = 0; written < streamSize; written += pieceSize) {
        if (!writeAll(1, piece.data(), piece.size()) || !writeAll(2, piece.data(), piece.size()))
            return 1;
    }
    return 0;
}

const std::string& self() {
    static const std::string path = Foundation::Bundle::executablePath().string();
    return path;
}

void runRun(benchmark::State& state) {
    for (auto _ : state) {
        const auto result = Run::run(self(), {"write"}, std::nullopt, 60);
        if (result.status != 0 || result.output.size() != streamSize ||
            result.error.size() != streamSize)
            state.SkipWithError("the writer's output did not all arrive");
    }
}

// The least a runner can do: spawn with two pipes, read both until their ends, reap.
std::array<std::size_t, 2> spawnAndRead() {
    int output[2], errors[2];
    ::pipe2(output, O_CLOEXEC);
    ::pipe2(errors, O_CLOEXEC);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, output[1], 1);
    posix_spawn_file_actions_adddup2(&actions, errors[1], 2);
    char* arguments[] = {const_cast<char*>(self().c_str()), const_cast<char*>("write"), nullptr};
    pid_t pid = -1;
    ::posix_spawn(&pid, self().c_str(), &actions, nullptr, arguments, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(output[1]);
    ::close(errors[1]);
    std::array<std::string, 2> received;
    std::array<pollfd, 2> entries{pollfd{output[0], POLLIN, 0}, pollfd{errors[0], POLLIN, 0}};
    static char buffer[65536];
    int open = 2;
    while (open > 0) {
        ::poll(entries.data(), entries.size(), -1);
        for (std::size_t index = 0; index < entries.size(); ++index) {
            if (entries[index].fd < 0 || !entries[index].revents)
                continue;
            const ssize_t count = ::read(entries[index].fd, buffer, sizeof buffer);
            if (count > 0) {
                received[index].append(buffer, static_cast<std::size_t>(count));
            } else {
                ::close(entries[index].fd);
                entries[index].fd = -1;
                --open;
            }
        }
    }
    ::waitpid(pid, nullptr, 0);
    return {received[0].size(), received[1].size()};
}

void baseline(benchmark::State& state) {
    for (auto _ : state) {
        if (spawnAndRead() != std::array<std::size_t, 2>{streamSize, streamSize})
            state.SkipWithError("the writer's output did not all arrive");
    }
}

BENCHMARK(runRun)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(baseline)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "write") == 0)
        return write();
    return Testing::runComparing(argc, argv, "runRun", "baseline", "posix_spawn and read");
}
