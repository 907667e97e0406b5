// Dispatch groups and counting semaphores.
//
// Both are handles: copies share one group or semaphore. Their time-outs are
// real time, since they bound waits for other threads and processes.
#pragma once

#include <functional>
#include <memory>

namespace Dispatch {

class DispatchQueue;

class DispatchGroup {
public:
    DispatchGroup();

    void enter() const;
    void leave() const;
    // Waits until every entered task has left, for at most `timeout` seconds; true when done.
    bool wait(double timeout) const;
    // Queues `work` on `queue` once the group is empty (at once when it already is).
    void notify(const DispatchQueue& queue, std::function<void()> work) const;

private:
    struct State;
    std::shared_ptr<State> m_state;
};

class DispatchSemaphore {
public:
    explicit DispatchSemaphore(long value = 0);

    void signal() const;
    // Takes one count, waiting at most `timeout` seconds; false when it timed out.
    bool wait(double timeout) const;
    void wait() const;

private:
    struct State;
    std::shared_ptr<State> m_state;
};

} // namespace Dispatch
