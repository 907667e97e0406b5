// A timer dispatch source: a handler run on a queue at a start time and then
// at a fixed interval.
//
// A source is made suspended; `resume` starts it. Times are seconds on
// `Dispatch::Clock`, so tests may move them forward. Firings that fall due
// while the queue is busy, or that a clock jump skips over, are coalesced
// into one run of the handler, and the next firing stays on the interval's
// grid. `cancel` stops it for good; a handler already running finishes. The
// source holds only a weak reference to itself in queued work, so letting the
// last handle go cancels it too.
#pragma once

#include <Dispatch/DispatchQueue.h>
#include <functional>
#include <memory>

namespace Dispatch {

class TimerSource {
public:
    static std::shared_ptr<TimerSource> make(DispatchQueue queue);
    ~TimerSource();
    TimerSource(const TimerSource&) = delete;
    TimerSource& operator=(const TimerSource&) = delete;

    // First firing `start` seconds from now, then every `interval` seconds; an interval of 0
    // fires once. The platform's leeway is a hint that here is always met exactly.
    void schedule(double start, double interval, double leeway = 0);
    void setEventHandler(std::function<void()> handler);
    void resume();
    void cancel();

    struct State;

private:
    explicit TimerSource(std::shared_ptr<State> state) : m_state(std::move(state)) {}
    std::shared_ptr<State> m_state;
};

} // namespace Dispatch
