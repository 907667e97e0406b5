// The current time of the share files: milliseconds since 1970.
//
// It is the platform's wall clock in the unit the share files use, so a test
// that sets the wall clock's source sets this time too and never waits.
#pragma once

namespace ShareClock {

double now();

} // namespace ShareClock
