// Dispatch queues: where work runs.
//
// The main queue runs its blocks on the main run loop, in every mode. A serial
// queue runs one block at a time, in order; a concurrent queue and the global
// queue run each block as soon as a worker thread is free, and add a worker
// rather than make a block wait, so a block that blocks for a long time never
// holds up another. A `DispatchQueue` is a handle: copies refer to the same
// queue, and work already queued keeps it alive.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace Dispatch {

class DispatchGroup;

class DispatchQueue {
public:
    static DispatchQueue main();
    // The shared concurrent queue; quality-of-service classes all map to it.
    static DispatchQueue global();
    static DispatchQueue serial(std::string label);
    static DispatchQueue concurrent(std::string label);

    void async(std::function<void()> work) const;
    // Runs `work` on this queue as part of `group`.
    void async(const DispatchGroup& group, std::function<void()> work) const;
    // Queues `work` after `delay` seconds on `Dispatch::Clock`.
    void asyncAfter(double delay, std::function<void()> work) const;
    // Runs `work` on this queue and waits for it. Never call it for a queue from its own work.
    void sync(const std::function<void()>& work) const;

    const std::string& label() const;
    bool isMain() const;

    struct Impl;

private:
    explicit DispatchQueue(std::shared_ptr<Impl> impl) : m_impl(std::move(impl)) {}
    std::shared_ptr<Impl> m_impl;
};

} // namespace Dispatch
