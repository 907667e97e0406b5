#include "RawClient.h"

#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace RawClient {

Connection::Connection(const std::filesystem::path& socket)
    : m_fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socket.c_str(), sizeof address.sun_path - 1);
    m_connected = ::connect(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

Connection::~Connection() {
    ::close(m_fd);
}

bool Connection::send(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t count = ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (count <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(count));
    }
    return true;
}

void Connection::endSending() {
    ::shutdown(m_fd, SHUT_WR);
}

std::string Connection::receive(double timeout, bool* closed) {
    std::string received;
    for (;;) {
        pollfd fd{m_fd, POLLIN, 0};
        if (::poll(&fd, 1, static_cast<int>(timeout * 1000)) <= 0)
            break;
        char buffer[65536];
        const ssize_t count = ::recv(m_fd, buffer, sizeof buffer, 0);
        if (count <= 0) {
            if (closed)
                *closed = true;
            return received;
        }
        received.append(buffer, static_cast<std::size_t>(count));
    }
    if (closed)
        *closed = false;
    return received;
}

Response parse(const std::string& raw) {
    Response response;
    const std::size_t headEnd = raw.find("\r\n\r\n");
    if (headEnd == std::string::npos)
        return response;
    response.head = raw.substr(0, headEnd);
    response.body = raw.substr(headEnd + 4);
    if (response.head.starts_with("HTTP/1.1 ") && response.head.size() >= 12)
        response.status = std::stoi(response.head.substr(9, 3));
    return response;
}

Response exchange(const std::filesystem::path& socket, std::string_view request) {
    Connection connection(socket);
    if (!connection.connected() || !connection.send(request))
        return {};
    return parse(connection.receive(5));
}

Response get(const std::filesystem::path& socket, std::string_view path) {
    return RawClient::exchange(socket, "GET " + std::string(path) +
                                           " HTTP/1.1\r\nHost: localhost\r\n"
                                           "Connection: close\r\n\r\n");
}

Response post(const std::filesystem::path& socket, std::string_view path, std::string_view body) {
    return RawClient::exchange(socket, "POST " + std::string(path) +
                                           " HTTP/1.1\r\nHost: localhost\r\nConnection: close\r\n"
                                           "Content-Type: application/json\r\nContent-Length: " +
                                           std::to_string(body.size()) + "\r\n\r\n" +
                                           std::string(body));
}

} // namespace RawClient
