#include "sample-bridge/Server.h"

#include "sample-bridge/Channel.h"
#include "sample-bridge/Routes.h"

#include <Foundation/FileIO.h>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <variant>

namespace SampleBridge {

namespace {

// A client gets this long between bytes of its request before the server gives up on it.
constexpr double requestIdleTimeout = 30;
// A daemon polled for days keeps only this many requests on record.
constexpr std::size_t maximumRecordedRequests = 10'000;

std::runtime_error failure(const std::string& what, const std::filesystem::path& path) {
    return std::runtime_error("sample bridge: " + what + " " + path.string() + ": " +
                              std::strerror(errno));
}

sockaddr_un addressOf(const std::filesystem::path& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string& text = path.native();
    if (text.empty() || text.size() >= sizeof address.sun_path) {
        errno = ENAMETOOLONG;
        throw failure("cannot listen at", path);
    }
    std::memcpy(address.sun_path, text.data(), text.size());
    return address;
}

// Removes a socket file left by a server that is gone; one that still answers is left alone.
void removeStaleSocket(const std::filesystem::path& path, const sockaddr_un& address) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0)
        return;
    if (!S_ISSOCK(status.st_mode)) {
        errno = EEXIST;
        throw failure("a file that is not a socket is in the way at", path);
    }
    const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool live =
        ::connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(probe);
    if (live) {
        errno = EADDRINUSE;
        throw failure("another server is listening at", path);
    }
    ::unlink(path.c_str());
}

struct BadRequest {};
struct Gone {};
using Incoming = std::variant<Request, BadRequest, Gone>;

// Reads one request; BadRequest when it breaks a rule or ends early, Gone when the client left
// without a word or the server is stopping.
Incoming readRequest(Channel& channel) {
    static constexpr std::string_view blankLine = "\r\n\r\n";
    std::string buffer;
    std::size_t headEnd = std::string::npos;
    while (headEnd == std::string::npos) {
        const std::size_t searchFrom = buffer.size() < 3 ? 0 : buffer.size() - 3;
        const Channel::Read read = channel.read(buffer, requestIdleTimeout);
        if (read == Channel::Read::Failed)
            return Gone{};
        if (read == Channel::Read::End)
            return buffer.empty() ? Incoming(Gone{}) : Incoming(BadRequest{});
        headEnd = buffer.find(blankLine, searchFrom);
        if (buffer.size() > maximumHeadSize &&
            (headEnd == std::string::npos || headEnd + blankLine.size() > maximumHeadSize))
            return BadRequest{};
    }
    auto head = parseHead(std::string_view(buffer).substr(0, headEnd));
    if (!head)
        return BadRequest{};
    std::string body = buffer.substr(headEnd + blankLine.size());
    while (body.size() < head->contentLength) {
        const Channel::Read read = channel.read(body, requestIdleTimeout);
        if (read == Channel::Read::Failed)
            return Gone{};
        if (read == Channel::Read::End)
            return BadRequest{};
    }
    body.resize(head->contentLength);
    head->request.body = std::move(body);
    return std::move(head->request);
}

void write(Channel& channel, const Reply& reply) {
    if (!channel.pause(reply.delay))
        return;
    const std::string_view bytes = reply.bytes;
    if (reply.pieceSize == 0) {
        channel.write(bytes);
        return;
    }
    std::size_t at = std::min(reply.atOnce, bytes.size());
    if (at > 0 && !channel.write(bytes.substr(0, at)))
        return;
    for (; at < bytes.size(); at += reply.pieceSize) {
        if (at > 0 && !channel.pause(reply.pieceInterval))
            return;
        if (!channel.write(bytes.substr(at, reply.pieceSize)))
            return;
    }
}

} // namespace

struct Server::Connection {
    std::thread thread;
    std::atomic<bool> finished = false;
};

Server::Server(std::filesystem::path socketPath, State state, std::function<bool(State&)> answered)
    : m_socketPath(std::move(socketPath)), m_state(std::move(state)),
      m_answered(std::move(answered)) {
    const sockaddr_un address = addressOf(m_socketPath);
    if (m_socketPath.has_parent_path() && !Foundation::createFolder(m_socketPath.parent_path()))
        throw failure("cannot make the folder for", m_socketPath);
    removeStaleSocket(m_socketPath, address);

    m_listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    m_stop = ::eventfd(0, EFD_CLOEXEC);
    if (m_listener < 0 || m_stop < 0 ||
        ::bind(m_listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(m_socketPath.c_str(), 0600) != 0 || ::listen(m_listener, SOMAXCONN) != 0) {
        const auto error = failure("cannot listen at", m_socketPath);
        ::close(m_listener);
        ::close(m_stop);
        throw error;
    }
    try {
        m_acceptor = std::thread([this] { acceptConnections(); });
    } catch (...) {
        ::close(m_listener);
        ::close(m_stop);
        ::unlink(m_socketPath.c_str());
        throw;
    }
}

Server::~Server() {
    const std::uint64_t one = 1;
    while (::write(m_stop, &one, sizeof one) < 0 && errno == EINTR) {
    }
    m_acceptor.join();
    for (const auto& connection : m_connections)
        connection->thread.join();
    ::close(m_listener);
    ::close(m_stop);
    ::unlink(m_socketPath.c_str());
}

void Server::script(std::string path, Reply reply) {
    std::lock_guard lock(m_mutex);
    m_scripts[std::move(path)].push_back(std::move(reply));
}

std::vector<Request> Server::requests() const {
    std::lock_guard lock(m_mutex);
    return {m_requests.begin(), m_requests.end()};
}

void Server::acceptConnections() {
    for (;;) {
        pollfd fds[] = {{m_listener, POLLIN, 0}, {m_stop, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 && errno != EINTR)
            return;
        if (fds[1].revents != 0)
            return;
        const int socket = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (socket < 0) {
            // Out of descriptors or memory: wait a moment rather than spin on a ready listener.
            if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR && errno != ECONNABORTED)
                ::poll(&fds[1], 1, 50);
            continue;
        }
        std::erase_if(m_connections, [](const std::unique_ptr<Connection>& connection) {
            if (!connection->finished)
                return false;
            connection->thread.join();
            return true;
        });
        auto connection = std::make_unique<Connection>();
        Connection* serving = connection.get();
        try {
            connection->thread = std::thread([this, serving, socket] {
                serve(socket);
                serving->finished = true;
            });
        } catch (const std::system_error&) {
            ::close(socket);
            continue;
        }
        m_connections.push_back(std::move(connection));
    }
}

void Server::serve(int socket) {
    Channel channel(socket, m_stop);
    try {
        Incoming incoming = readRequest(channel);
        if (std::holds_alternative<Gone>(incoming))
            return;
        Reply reply = std::holds_alternative<BadRequest>(incoming)
                          ? badRequest()
                          : replyTo(std::get<Request>(incoming));
        if (reply.gate) {
            reply.gate->arrive();
            if (!channel.awaitReadable(reply.gate->descriptor()))
                return;
        }
        write(channel, reply);
        if (reply.holdOpen)
            channel.hold();
        else
            channel.finish();
        if (reply.gate)
            reply.gate->pass();
    } catch (const std::exception&) {
        // Out of memory or a planted state the answers cannot handle: this connection just ends.
    }
}

Reply Server::replyTo(const Request& request) {
    {
        std::lock_guard lock(m_mutex);
        if (m_requests.size() == maximumRecordedRequests)
            m_requests.pop_front();
        m_requests.push_back(request);
        const auto scripted = m_scripts.find(request.route());
        if (scripted != m_scripts.end()) {
            Reply reply = std::move(scripted->second.front());
            scripted->second.pop_front();
            if (scripted->second.empty())
                m_scripts.erase(scripted);
            return reply;
        }
    }
    try {
        Reply reply = answer(m_state, request);
        if (m_answered && !m_answered(m_state) && request.method != "GET")
            return message(500, "The bridge couldn't save that change.");
        return reply;
    } catch (const std::exception&) {
        return message(500, "Internal error");
    }
}

} // namespace SampleBridge
