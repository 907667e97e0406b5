#include "TimerSource.h"

#include "Clock.h"

#include <algorithm>
#include <cmath>
#include <mutex>

namespace Dispatch {

struct TimerSource::State : std::enable_shared_from_this<TimerSource::State> {
    explicit State(DispatchQueue queue) : queue(std::move(queue)) {}

    // With the lock held: queues the next firing, superseding any earlier one.
    void arm() {
        const unsigned long armed = ++generation;
        queue.asyncAfter(fireDate - Clock::now(), [weak = weak_from_this(), armed] {
            if (const auto state = weak.lock())
                state->fire(armed);
        });
    }

    void fire(unsigned long armed) {
        std::function<void()> run;
        {
            std::lock_guard guard(lock);
            if (cancelled || armed != generation)
                return;
            if (interval > 0) {
                const double now = Clock::now();
                if (fireDate <= now)
                    fireDate += interval * (std::floor((now - fireDate) / interval) + 1);
                arm();
            }
            run = handler;
        }
        if (run)
            run();
    }

    std::mutex lock;
    DispatchQueue queue;
    std::function<void()> handler;
    double fireDate = 0;
    double interval = 0;
    bool scheduled = false;
    bool resumed = false;
    bool cancelled = false;
    unsigned long generation = 0;
};

std::shared_ptr<TimerSource> TimerSource::make(DispatchQueue queue) {
    return std::shared_ptr<TimerSource>(new TimerSource(std::make_shared<State>(std::move(queue))));
}

TimerSource::~TimerSource() {
    cancel();
}

void TimerSource::schedule(double start, double interval, double) {
    std::lock_guard guard(m_state->lock);
    m_state->fireDate = Clock::now() + std::max(start, 0.0);
    // A repeating timer of no interval would spin.
    m_state->interval = interval > 0 ? std::max(interval, 0.0001) : 0;
    m_state->scheduled = true;
    if (m_state->resumed && !m_state->cancelled)
        m_state->arm();
}

void TimerSource::setEventHandler(std::function<void()> handler) {
    std::lock_guard guard(m_state->lock);
    m_state->handler = std::move(handler);
}

void TimerSource::resume() {
    std::lock_guard guard(m_state->lock);
    if (m_state->resumed || m_state->cancelled)
        return;
    m_state->resumed = true;
    if (m_state->scheduled)
        m_state->arm();
}

void TimerSource::cancel() {
    std::function<void()> released;
    std::lock_guard guard(m_state->lock);
    m_state->cancelled = true;
    released = std::move(m_state->handler);
}

} // namespace Dispatch
