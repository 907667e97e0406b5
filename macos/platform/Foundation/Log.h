// The unified log.
//
// A `Logger` writes under a subsystem and a category at info or error level.
// Messages go to the system log; tests install a sink that records them
// instead. Arguments are composed into the message by the caller.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace Foundation {

enum class LogLevel { Info, Error };

struct LogEntry {
    std::string subsystem;
    std::string category;
    LogLevel level;
    std::string message;
};

using LogSink = std::function<void(const LogEntry&)>;

// Replaces where log entries go; an empty sink restores the system log.
void setLogSink(LogSink sink);

class Logger {
public:
    Logger(std::string subsystem, std::string category)
        : m_subsystem(std::move(subsystem)), m_category(std::move(category)) {}

    void info(std::string_view message) const { write(LogLevel::Info, message); }
    void error(std::string_view message) const { write(LogLevel::Error, message); }

private:
    void write(LogLevel level, std::string_view message) const;

    std::string m_subsystem;
    std::string m_category;
};

} // namespace Foundation
