#include "sample-bridge/Gate.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <stdexcept>
#include <sys/eventfd.h>
#include <unistd.h>

namespace SampleBridge {

struct Gate::State {
    State() : event(::eventfd(0, EFD_CLOEXEC)) {
        if (event < 0)
            throw std::runtime_error("sample bridge: cannot make a gate");
    }
    ~State() { ::close(event); }
    State(const State&) = delete;
    State& operator=(const State&) = delete;

    // Never read: once written, it stays readable.
    int event;
    std::atomic<bool> reached = false;
    std::atomic<bool> passed = false;
};

Gate::Gate() : m_state(std::make_shared<State>()) {}

void Gate::open() {
    const std::uint64_t one = 1;
    while (::write(m_state->event, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

bool Gate::reached() const {
    return m_state->reached;
}

bool Gate::passed() const {
    return m_state->passed;
}

void Gate::arrive() {
    m_state->reached = true;
}

int Gate::descriptor() const {
    return m_state->event;
}

void Gate::pass() {
    m_state->passed = true;
}

} // namespace SampleBridge
