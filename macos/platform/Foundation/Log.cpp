#include "Log.h"

#include <mutex>
#include <syslog.h>

namespace Foundation {

namespace {

std::mutex& sinkLock() {
    static auto* lock = new std::mutex;
    return *lock;
}

LogSink& currentSink() {
    static auto* sink = new LogSink;
    return *sink;
}

} // namespace

void setLogSink(LogSink sink) {
    std::lock_guard guard(sinkLock());
    currentSink() = std::move(sink);
}

void Logger::write(LogLevel level, std::string_view message) const {
    std::lock_guard guard(sinkLock());
    if (const LogSink& sink = currentSink()) {
        sink(LogEntry{m_subsystem, m_category, level, std::string(message)});
        return;
    }
    const std::string line = "[" + m_subsystem + ":" + m_category + "] " + std::string(message);
    syslog(level == LogLevel::Error ? LOG_ERR : LOG_INFO, "%s", line.c_str());
}

} // namespace Foundation
