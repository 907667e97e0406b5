#include "ShareClock.h"

#include <Dispatch/Clock.h>
#include <chrono>

namespace ShareClock {

double now() {
    // Wall time once, then the platform clock's progress since.
    static const double wallAtStart = std::chrono::duration<double, std::milli>(
                                          std::chrono::system_clock::now().time_since_epoch())
                                          .count();
    static const double clockAtStart = Dispatch::Clock::now();
    return wallAtStart + (Dispatch::Clock::now() - clockAtStart) * 1000;
}

} // namespace ShareClock
