#include "ShareClock.h"

#include <Foundation/SystemTime.h>

namespace ShareClock {

double now() {
    return Foundation::SystemTime::now() * 1000;
}

} // namespace ShareClock
