#include "sample-bridge/BridgeProbe.h"

#include <Foundation/FileDescriptor.h>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace SampleBridge {

namespace {

constexpr std::size_t replyLimit = 1024 * 1024;

using Clock = std::chrono::steady_clock;

// Whether `fd` turns ready for `events` before `deadline`.
bool ready(int fd, short events, Clock::time_point deadline) {
    pollfd entry{fd, events, 0};
    for (;;) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return false;
        const int result = ::poll(&entry, 1, static_cast<int>(left));
        if (result >= 0 || errno != EINTR)
            return result > 0;
    }
}

} // namespace

std::optional<nlohmann::json> probe(const std::filesystem::path& socket, const std::string& path,
                                    double timeout) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string name = socket.string();
    if (name.size() >= sizeof address.sun_path)
        return std::nullopt;
    std::memcpy(address.sun_path, name.c_str(), name.size() + 1);
    // However the bridge spaces its bytes, the whole probe ends within its time-out.
    const Clock::time_point deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                                          std::chrono::duration<double>(timeout));
    const Foundation::FileDescriptor connection(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!connection || ::connect(connection.get(), reinterpret_cast<const sockaddr*>(&address),
                                 sizeof address) != 0)
        return std::nullopt;

    const std::string request =
        "GET " + path + " HTTP/1.1\r\nHost: localhost\r\nConnection: close\r\n\r\n";
    for (std::size_t sent = 0; sent < request.size();) {
        if (!ready(connection.get(), POLLOUT, deadline))
            return std::nullopt;
        const ssize_t count =
            ::send(connection.get(), request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return std::nullopt;
        sent += static_cast<std::size_t>(count);
    }

    std::string reply;
    std::array<char, 16384> buffer;
    for (;;) {
        if (!ready(connection.get(), POLLIN, deadline))
            return std::nullopt;
        const ssize_t count = ::read(connection.get(), buffer.data(), buffer.size());
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return std::nullopt;
        if (count == 0)
            break;
        reply.append(buffer.data(), static_cast<std::size_t>(count));
        if (reply.size() > replyLimit)
            return std::nullopt;
    }
    const std::size_t bodyStart = reply.find("\r\n\r\n");
    if (!reply.starts_with("HTTP/1.1 200 ") || bodyStart == std::string::npos)
        return std::nullopt;
    auto body = nlohmann::json::parse(reply.begin() + static_cast<long>(bodyStart) + 4, reply.end(),
                                      nullptr, false);
    if (body.is_discarded())
        return std::nullopt;
    return body;
}

} // namespace SampleBridge
