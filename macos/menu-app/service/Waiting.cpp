#include "service/Waiting.h"

#include <Dispatch/Clock.h>
#include <chrono>
#include <mutex>
#include <thread>

namespace Waiting {

namespace {

std::mutex lock;
std::function<void(double)> replacement;

} // namespace

double now() {
    return Dispatch::Clock::now();
}

void pause(double seconds) {
    std::function<void(double)> chosen;
    {
        std::lock_guard guard(lock);
        chosen = replacement;
    }
    if (chosen)
        chosen(seconds);
    else
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

void setPause(std::function<void(double)> pause) {
    std::lock_guard guard(lock);
    replacement = std::move(pause);
}

} // namespace Waiting
