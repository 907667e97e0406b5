// The process's monotonic clock for run-loop timers and delayed work.
//
// It reads steady time in seconds plus an offset that only tests move, so a
// 15-second timer can be made due without waiting 15 seconds. Whoever sleeps
// until a clock time registers to be woken when the clock jumps.
#pragma once

#include <functional>

namespace Dispatch::Clock {

// Seconds since an arbitrary start, never going back.
double now();

// Moves the clock forward by `seconds` and wakes every registered sleeper.
void advance(double seconds);

// `wake` runs (on the advancing thread) after every advance. Registrations last for the process.
void onAdvance(std::function<void()> wake);

} // namespace Dispatch::Clock
