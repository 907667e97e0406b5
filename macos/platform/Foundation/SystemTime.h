// The wall clock: the current moment as seconds since 1970.
//
// Time stamps from outside (the bridge's milliseconds, file modification
// dates) are compared with this clock. It reads the system's real-time clock
// unless a test has set a source of its own, so that "two minutes ago" and
// "today" can be tested without waiting. Unlike `Dispatch::Clock`, this clock
// may jump, and nothing sleeps on it.
#pragma once

#include <functional>

namespace Foundation::SystemTime {

// Seconds since 1970, UTC.
double now();

// Makes `source` the clock for the whole process; an empty source restores the system's.
void setSource(std::function<double()> source);

} // namespace Foundation::SystemTime
