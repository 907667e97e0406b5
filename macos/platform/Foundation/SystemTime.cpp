#include "SystemTime.h"

#include <chrono>
#include <mutex>

namespace Foundation::SystemTime {

namespace {

std::mutex& sourceLock() {
    static auto* lock = new std::mutex;
    return *lock;
}

std::function<double()>& currentSource() {
    static auto* source = new std::function<double()>;
    return *source;
}

} // namespace

double now() {
    {
        std::lock_guard guard(sourceLock());
        if (const auto& source = currentSource())
            return source();
    }
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

void setSource(std::function<double()> source) {
    std::lock_guard guard(sourceLock());
    currentSource() = std::move(source);
}

} // namespace Foundation::SystemTime
