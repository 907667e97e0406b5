// The sample bridge's HTTP/1.1 server on a Unix-domain stream socket.
//
// One request per connection: the server reads a head (at most 64 KiB) and a
// body of Content-Length bytes (at most 8 MiB), records the request, answers
// and closes the connection. A request it cannot read gets 400. The answer is
// the next reply a test scripted for that path, if any, else the bridge's own
// from the state, after which `answered`, when given, is called with the state
// before the reply goes out (on the connection's thread, so possibly on several
// at once). When it says the state could not be kept, a request other than a
// GET is answered 500 instead, so that no change reads as done that a restart
// would lose. Each connection is served on a thread of its own.
//
// Construction makes the socket's missing parent folders with mode 0700,
// replaces a socket file nobody listens on (but neither a live one nor any
// other kind of file: those throw), and starts serving. Destruction stops
// accepting, ends every open connection, held ones included, joins every
// thread and removes the socket file.
#pragma once

#include "sample-bridge/Reply.h"
#include "sample-bridge/Request.h"
#include "sample-bridge/State.h"

#include <deque>
#include <filesystem>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace SampleBridge {

class Server {
public:
    // `answered` gives false when the state holds a change it could not keep.
    explicit Server(std::filesystem::path socketPath, State state = State::demo(),
                    std::function<bool(State&)> answered = {});
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // The next request for `path` (its query string ignored) gets `reply` instead of the
    // bridge's own; several replies scripted for one path are used in order.
    void script(std::string path, Reply reply);
    // Every request read, in the order they arrived (the latest 10,000).
    std::vector<Request> requests() const;
    State& state() { return m_state; }
    const std::filesystem::path& socketPath() const { return m_socketPath; }

private:
    struct Connection;

    void acceptConnections();
    void serve(int socket);
    Reply replyTo(const Request& request);

    std::filesystem::path m_socketPath;
    State m_state;
    std::function<bool(State&)> m_answered;
    int m_listener = -1;
    int m_stop = -1;
    mutable std::mutex m_mutex;
    std::map<std::string, std::deque<Reply>, std::less<>> m_scripts;
    std::deque<Request> m_requests;
    // Touched only by the accepting thread, and by the destructor once it has ended.
    std::list<std::unique_ptr<Connection>> m_connections;
    std::thread m_acceptor;
};

} // namespace SampleBridge
