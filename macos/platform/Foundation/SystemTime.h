// The wall clock: the current moment as seconds since 1970.
//
// Time stamps from outside (the bridge's milliseconds, file modification
// dates) are compared with this clock. It reads the system's real-time clock
// unless a test has set a source of its own, so that "two minutes ago" and
// "today" can be tested without waiting. Unlike `Dispatch::Clock`, this clock
// may jump, and nothing sleeps on it. A moment is written for records and
// file names in UTC, to the second.
#pragma once

#include <functional>
#include <string>

namespace Foundation::SystemTime {

// Seconds since 1970, UTC.
double now();

// Makes `source` the clock for the whole process; an empty source restores the system's.
void setSource(std::function<double()> source);

// "2026-03-01T09:05:07Z" for that moment.
std::string internetDateTime(double secondsSince1970);
// The same with every ":" as "-", for a file name: "2026-03-01T09-05-07Z".
std::string fileStamp(double secondsSince1970);

} // namespace Foundation::SystemTime
