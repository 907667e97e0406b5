#include "RunLoop.h"

#include "Clock.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <unistd.h>

namespace Dispatch {

struct Timer::State {
    std::shared_ptr<std::function<void()>> block;
    double interval = 0;
    bool repeats = false;
    bool valid = true;
    bool scheduled = false;
    double fireDate = 0;
    RunLoopModes modes = RunLoopMode::Default;
    RunLoop* loop = nullptr;
    std::mutex lock;
};

Timer Timer::make(double interval, bool repeats, std::function<void()> block) {
    Timer timer;
    timer.m_state = std::make_shared<State>();
    timer.m_state->block = std::make_shared<std::function<void()>>(std::move(block));
    // A repeating timer of no interval would spin; the platform raises it to a small minimum.
    timer.m_state->interval = std::max(interval, repeats ? 0.0001 : 0.0);
    timer.m_state->repeats = repeats;
    return timer;
}

bool Timer::isValid() const {
    if (!m_state)
        return false;
    std::lock_guard guard(m_state->lock);
    return m_state->valid;
}

void Timer::invalidate() {
    if (!m_state)
        return;
    std::shared_ptr<std::function<void()>> released;
    {
        std::lock_guard guard(m_state->lock);
        m_state->valid = false;
        released = std::move(m_state->block);
    }
}

double Timer::interval() const {
    return m_state ? m_state->interval : 0;
}

RunLoop& RunLoop::main() {
    // Never destroyed: other threads may post to it while the process exits.
    static auto* loop = new RunLoop;
    return *loop;
}

RunLoop::RunLoop() {
    Clock::onAdvance([this] { wake(); });
}

bool RunLoop::isMainThread() {
    return gettid() == getpid();
}

void RunLoop::wake() {
    {
        std::lock_guard guard(m_lock);
        ++m_generation;
    }
    m_changed.notify_all();
}

void RunLoop::perform(std::function<void()> block, RunLoopModes modes) {
    {
        std::lock_guard guard(m_lock);
        m_pending.push_back({std::move(block), modes});
        ++m_generation;
    }
    m_changed.notify_all();
}

void RunLoop::perform(double delay, std::function<void()> block, RunLoopModes modes) {
    add(Timer::make(std::max(delay, 0.0), false, std::move(block)), modes);
}

void RunLoop::add(const Timer& timer, RunLoopModes modes) {
    if (!timer.m_state)
        return;
    {
        std::lock_guard guard(m_lock);
        std::lock_guard timerGuard(timer.m_state->lock);
        if (!timer.m_state->valid)
            return;
        if (timer.m_state->scheduled) {
            timer.m_state->modes = timer.m_state->modes | modes;
        } else {
            timer.m_state->scheduled = true;
            timer.m_state->modes = modes;
            timer.m_state->loop = this;
            timer.m_state->fireDate = Clock::now() + timer.m_state->interval;
            m_timers.push_back(timer.m_state);
        }
        ++m_generation;
    }
    m_changed.notify_all();
}

Timer RunLoop::schedule(double interval, bool repeats, std::function<void()> block,
                        RunLoopModes modes) {
    Timer timer = Timer::make(interval, repeats, std::move(block));
    add(timer, modes);
    return timer;
}

bool RunLoop::takeBlock(RunLoopMode mode, std::function<void()>& block) {
    std::lock_guard guard(m_lock);
    const auto found = std::find_if(m_pending.begin(), m_pending.end(),
                                    [mode](const Pending& p) { return p.modes.contains(mode); });
    if (found == m_pending.end())
        return false;
    block = std::move(found->block);
    m_pending.erase(found);
    return true;
}

bool RunLoop::runOnce(RunLoopMode mode, double deadline, bool stoppable) {
    std::vector<std::shared_ptr<std::function<void()>>> dueTimers;
    std::size_t blockCount = 0;
    {
        std::unique_lock guard(m_lock);
        for (;;) {
            const double now = Clock::now();
            double nextFire = std::numeric_limits<double>::infinity();
            std::erase_if(m_timers, [](const auto& state) {
                std::lock_guard timerGuard(state->lock);
                return !state->valid;
            });
            for (const auto& state : m_timers) {
                std::lock_guard timerGuard(state->lock);
                if (!state->modes.contains(mode))
                    continue;
                if (state->fireDate > now) {
                    nextFire = std::min(nextFire, state->fireDate);
                    continue;
                }
                dueTimers.push_back(state->block);
                if (state->repeats) {
                    // Missed fires are skipped: the next one is the first interval step after now.
                    const double steps = std::floor((now - state->fireDate) / state->interval) + 1;
                    state->fireDate += steps * state->interval;
                } else {
                    state->valid = false;
                }
            }
            blockCount = static_cast<std::size_t>(
                std::count_if(m_pending.begin(), m_pending.end(),
                              [mode](const Pending& p) { return p.modes.contains(mode); }));
            if (!dueTimers.empty() || blockCount > 0 || (stoppable && m_stopRequested))
                break;
            if (now >= deadline)
                return false;
            const double wakeAt = std::min(deadline, nextFire);
            const unsigned long generation = m_generation;
            const auto sleep = std::chrono::duration<double>(std::min(wakeAt - now, 3600.0));
            m_changed.wait_for(guard, sleep, [&] { return m_generation != generation; });
        }
    }
    for (const auto& block : dueTimers) {
        if (block && *block)
            (*block)();
    }
    // Taken one at a time so that a block running the loop again still sees the rest in order.
    std::function<void()> block;
    for (std::size_t i = 0; i < blockCount && takeBlock(mode, block); ++i) {
        block();
        block = nullptr;
    }
    return true;
}

void RunLoop::run() {
    m_modes.push_back(RunLoopMode::Default);
    for (;;) {
        {
            std::lock_guard guard(m_lock);
            if (m_stopRequested) {
                m_stopRequested = false;
                break;
            }
        }
        runOnce(RunLoopMode::Default, std::numeric_limits<double>::infinity(), true);
    }
    m_modes.pop_back();
}

void RunLoop::stop() {
    {
        std::lock_guard guard(m_lock);
        m_stopRequested = true;
        ++m_generation;
    }
    m_changed.notify_all();
}

bool RunLoop::runUntil(const std::function<bool()>& predicate, double timeout, RunLoopMode mode,
                       double slice) {
    const double deadline = Clock::now() + std::max(timeout, 0.0);
    m_modes.push_back(mode);
    bool satisfied = predicate();
    // What is already due runs at least once, however late this thread was scheduled: a slow
    // machine makes a short wait end early, never pass without looking.
    for (bool first = true; !satisfied && (first || Clock::now() < deadline); first = false) {
        runOnce(mode, std::min(deadline, Clock::now() + slice), false);
        satisfied = predicate();
    }
    m_modes.pop_back();
    return satisfied;
}

void RunLoop::runFor(double seconds, RunLoopMode mode) {
    runUntil([] { return false; }, seconds, mode);
}

RunLoopMode RunLoop::currentMode() const {
    return m_modes.empty() ? RunLoopMode::Default : m_modes.back();
}

} // namespace Dispatch
