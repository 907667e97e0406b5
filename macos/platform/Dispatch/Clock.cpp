#include "Clock.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <vector>

namespace Dispatch::Clock {

namespace {

std::atomic<double> offset{0};

struct Sleepers {
    std::mutex lock;
    std::vector<std::function<void()>> wakes;
};

Sleepers& sleepers() {
    static auto* instance = new Sleepers;
    return *instance;
}

} // namespace

double now() {
    const auto elapsed = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration<double>(elapsed).count() + offset.load();
}

void advance(double seconds) {
    if (!(seconds > 0))
        return;
    double current = offset.load();
    while (!offset.compare_exchange_weak(current, current + seconds)) {
    }
    std::vector<std::function<void()>> wakes;
    {
        std::lock_guard guard(sleepers().lock);
        wakes = sleepers().wakes;
    }
    for (const auto& wake : wakes)
        wake();
}

void onAdvance(std::function<void()> wake) {
    std::lock_guard guard(sleepers().lock);
    sleepers().wakes.push_back(std::move(wake));
}

} // namespace Dispatch::Clock
