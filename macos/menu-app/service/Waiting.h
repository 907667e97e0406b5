// The clock and the pauses of the service's polling loops.
//
// Deadlines are counted on `Dispatch::Clock`; `pause` sleeps the calling
// thread. Tests replace the pause with one that moves `Dispatch::Clock`
// forward instead, so that a 12-second wait takes no real time.
#pragma once

#include <functional>

namespace Waiting {

// Seconds on `Dispatch::Clock`.
double now();
void pause(double seconds);
// Replaces the pause for the whole process; an empty function restores sleeping.
void setPause(std::function<void(double)> pause);

} // namespace Waiting
