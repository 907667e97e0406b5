// One GET /healthz through LocalHTTP::send against the sample bridge, measured beside a minimal
// raw-socket client making the same exchange with the same server. The last line printed is
// the ratio of the two (ours / raw).
#include "menubar/LocalHTTP.h"

#include <Testing/BenchmarkRatio.h>
#include <Testing/Testing.h>
#include <benchmark/benchmark.h>
#include <cstring>
#include <sample-bridge/Server.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

int rawHealthCheck(const std::string& socketPath) {
    static constexpr std::string_view request =
        "GET /healthz HTTP/1.1\r\nHost: localhost\r\nConnection: close\r\n\r\n";
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, socketPath.data(), socketPath.size());
    int status = 0;
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        write(fd, request.data(), request.size()) == static_cast<ssize_t>(request.size())) {
        std::string reply;
        char buffer[16384];
        ssize_t count;
        while ((count = read(fd, buffer, sizeof buffer)) > 0)
            reply.append(buffer, static_cast<std::size_t>(count));
        if (reply.find("\r\n\r\n") != std::string::npos && reply.size() > 12)
            status = std::atoi(reply.c_str() + 9);
    }
    close(fd);
    return status;
}

void localHTTP(benchmark::State& state) {
    for (auto _ : state) {
        const auto reply = LocalHTTP::send("GET", "/healthz", std::nullopt, 2);
        if (reply.status != 200)
            state.SkipWithError("the sample bridge did not answer");
    }
}

void rawSocket(benchmark::State& state) {
    for (auto _ : state) {
        if (rawHealthCheck(LocalHTTP::socketPath()) != 200)
            state.SkipWithError("the sample bridge did not answer");
    }
}

BENCHMARK(localHTTP)->MinTime(1.0);
BENCHMARK(rawSocket)->MinTime(1.0);

} // namespace

int main(int argc, char** argv) {
    Testing::useTestHome();
    SampleBridge::Server server(LocalHTTP::socketPath());
    return Testing::runComparing(argc, argv, "localHTTP", "rawSocket", "raw");
}
