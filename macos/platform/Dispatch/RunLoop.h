// The main run loop: blocks, timers and delayed work on the main thread.
//
// Work reaches the main thread only through this loop. Each block and timer
// belongs to a set of modes and runs only while the loop runs in one of them:
// a menu being tracked runs the loop in event-tracking mode, where timers of
// the default mode wait. Blocks run in the order they were posted, one at a
// time, also when a block runs the loop again (a modal alert does).
//
// Times are seconds on `Dispatch::Clock`, so tests may move them forward.
// The main thread is the process's initial thread.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace Dispatch {

enum class RunLoopMode : unsigned { Default = 1, EventTracking = 2 };

class RunLoopModes {
public:
    constexpr RunLoopModes(RunLoopMode mode) : m_bits(static_cast<unsigned>(mode)) {}
    // Every mode, as the platform's "common modes".
    static constexpr RunLoopModes common() { return RunLoopModes(3u); }
    constexpr bool contains(RunLoopMode mode) const {
        return (m_bits & static_cast<unsigned>(mode)) != 0;
    }
    constexpr RunLoopModes operator|(RunLoopModes other) const {
        return RunLoopModes(m_bits | other.m_bits);
    }

private:
    constexpr explicit RunLoopModes(unsigned bits) : m_bits(bits) {}
    unsigned m_bits;
};

class RunLoop;

// A timer handle. Copies refer to the same timer; an empty handle refers to none.
class Timer {
public:
    Timer() = default;
    // A timer that first fires `interval` seconds after it is added to a run loop.
    static Timer make(double interval, bool repeats, std::function<void()> block);

    bool isValid() const;
    // Stops the timer for good and releases its block. Safe from any thread.
    void invalidate();
    double interval() const;
    explicit operator bool() const { return m_state != nullptr; }

private:
    friend class RunLoop;
    struct State;
    std::shared_ptr<State> m_state;
};

class RunLoop {
public:
    static RunLoop& main();
    static bool isMainThread();

    // Queues `block` to run on the loop's thread; safe from any thread.
    void perform(std::function<void()> block, RunLoopModes modes = RunLoopModes::common());
    // Runs `block` once, `delay` seconds from now, in the given modes.
    void perform(double delay, std::function<void()> block,
                 RunLoopModes modes = RunLoopMode::Default);

    // Adds `timer` (or adds further modes to it); it fires from now plus its interval.
    void add(const Timer& timer, RunLoopModes modes);
    // Makes and adds a timer in one step.
    Timer schedule(double interval, bool repeats, std::function<void()> block,
                   RunLoopModes modes = RunLoopMode::Default);

    // Runs in the default mode until `stop()`.
    void run();
    void stop();
    // Runs in `mode` until `predicate` holds or `timeout` seconds pass, looking at it again after
    // every `slice` of the clock; returns the predicate. What is due runs at least once.
    bool runUntil(const std::function<bool()>& predicate, double timeout,
                  RunLoopMode mode = RunLoopMode::Default, double slice = 0.01);
    // Runs in `mode` for `seconds`.
    void runFor(double seconds, RunLoopMode mode = RunLoopMode::Default);

    // The mode of the innermost run in progress; the default mode when none is.
    RunLoopMode currentMode() const;

private:
    RunLoop();
    struct Pending {
        std::function<void()> block;
        RunLoopModes modes;
    };

    // Runs what is due in `mode`, waiting for work until `deadline`; false when none came.
    // A stoppable run also returns when `stop()` was asked for.
    bool runOnce(RunLoopMode mode, double deadline, bool stoppable);
    bool takeBlock(RunLoopMode mode, std::function<void()>& block);
    void wake();

    mutable std::mutex m_lock;
    std::condition_variable m_changed;
    std::deque<Pending> m_pending;
    std::vector<std::shared_ptr<Timer::State>> m_timers;
    unsigned long m_generation = 0;
    bool m_stopRequested = false;
    std::vector<RunLoopMode> m_modes;
};

} // namespace Dispatch
