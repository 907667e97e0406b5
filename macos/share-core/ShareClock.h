// The current time of the share files: milliseconds since 1970.
//
// It follows the platform clock, so a test that moves `Dispatch::Clock`
// forward moves this time by as much and never waits for it.
#pragma once

namespace ShareClock {

double now();

} // namespace ShareClock
