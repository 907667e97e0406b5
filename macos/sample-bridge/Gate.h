// A point where a scripted reply waits until the test opens it.
//
// A delay makes a test race the clock: it must act before the reply comes,
// however busy the machine. A gate instead holds the reply at the bridge for
// as long as the test needs: the test sees the request arrive (`reached`),
// acts, and lets the reply go (`open`). `passed` then tells when the reply has
// been written and the client has closed the connection, so that the client
// has read it. A server that stops lets go of a request waiting at a gate.
// Copies refer to the same gate; any thread.
#pragma once

#include <memory>

namespace SampleBridge {

class Gate {
public:
    Gate();

    // Lets the reply go, now or whenever its request comes; a gate stays open.
    void open();
    // A request has come to the gate.
    bool reached() const;
    // The reply held at the gate has been written and its connection has ended.
    bool passed() const;

private:
    friend class Server;
    struct State;

    void arrive();
    // Readable once the gate is open.
    int descriptor() const;
    void pass();

    std::shared_ptr<State> m_state;
};

} // namespace SampleBridge
