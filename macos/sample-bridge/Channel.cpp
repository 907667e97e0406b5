#include "sample-bridge/Channel.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace SampleBridge {

namespace {

constexpr double writeTimeout = 30;
constexpr double lingerLimit = 1;

// Poll's time-out in milliseconds; a negative one waits for ever.
int milliseconds(double seconds) {
    if (seconds < 0)
        return -1;
    return static_cast<int>(std::min(std::ceil(seconds * 1000), 24.0 * 3600 * 1000));
}

} // namespace

Channel::Channel(int socket, int stop) : m_socket(socket), m_stop(stop) {}

Channel::~Channel() {
    ::close(m_socket);
}

Channel::Wait Channel::await(short events, double timeout) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout);
    for (;;) {
        pollfd fds[] = {{m_socket, events, 0}, {m_stop, POLLIN, 0}};
        const double left = timeout < 0
                                ? -1
                                : std::max(0.0, std::chrono::duration<double>(
                                                    deadline - std::chrono::steady_clock::now())
                                                    .count());
        const int count = ::poll(fds, 2, milliseconds(left));
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 || fds[1].revents != 0)
            return Wait::Stopped;
        if (count == 0)
            return Wait::TimedOut;
        return Wait::Ready;
    }
}

Channel::Read Channel::read(std::string& into, double timeout) {
    for (;;) {
        if (await(POLLIN, timeout) != Wait::Ready)
            return Read::Failed;
        char buffer[65536];
        const ssize_t count = ::recv(m_socket, buffer, sizeof buffer, 0);
        if (count > 0) {
            into.append(buffer, static_cast<std::size_t>(count));
            return Read::Data;
        }
        if (count == 0)
            return Read::End;
        if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)
            return Read::Failed;
    }
}

bool Channel::write(std::string_view bytes) {
    while (!bytes.empty()) {
        if (await(POLLOUT, writeTimeout) != Wait::Ready)
            return false;
        const ssize_t count = ::send(m_socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (count > 0)
            bytes.remove_prefix(static_cast<std::size_t>(count));
        else if (count < 0 && errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)
            return false;
    }
    return true;
}

bool Channel::pause(double seconds) {
    pollfd stop{m_stop, POLLIN, 0};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        const double left =
            std::chrono::duration<double>(deadline - std::chrono::steady_clock::now()).count();
        const int count = ::poll(&stop, 1, milliseconds(std::max(0.0, left)));
        if (count > 0)
            return false;
        if (count == 0 || errno != EINTR)
            return count == 0;
    }
}

bool Channel::awaitReadable(int descriptor) {
    for (;;) {
        pollfd fds[] = {{descriptor, POLLIN, 0}, {m_stop, POLLIN, 0}};
        const int count = ::poll(fds, 2, -1);
        if (count < 0 && errno == EINTR)
            continue;
        return count > 0 && fds[1].revents == 0;
    }
}

void Channel::finish() {
    ::shutdown(m_socket, SHUT_WR);
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(lingerLimit);
    std::string discarded;
    for (;;) {
        const double left =
            std::chrono::duration<double>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0 || read(discarded, left) != Read::Data)
            return;
        discarded.clear();
    }
}

void Channel::hold() {
    std::string discarded;
    while (read(discarded, -1) == Read::Data)
        discarded.clear();
}

} // namespace SampleBridge
