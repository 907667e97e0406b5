#include "SystemTime.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
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

std::string internetDateTime(double secondsSince1970) {
    const auto seconds = static_cast<std::time_t>(std::floor(secondsSince1970));
    std::tm utc{};
    ::gmtime_r(&seconds, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

std::string fileStamp(double secondsSince1970) {
    std::string stamp = internetDateTime(secondsSince1970);
    std::replace(stamp.begin(), stamp.end(), ':', '-');
    return stamp;
}

} // namespace Foundation::SystemTime
