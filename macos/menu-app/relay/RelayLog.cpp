#include "relay/RelayLog.h"

namespace RelayLog {

const Foundation::Logger& logger() {
    // Never destroyed: the relay's queue may log while the process exits.
    static const auto* log =
        new Foundation::Logger("com.tallowmeadows.kestrelhaven", "dossier-share");
    return *log;
}

} // namespace RelayLog
