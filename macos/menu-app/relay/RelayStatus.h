// The outbox's relay as the command line tells of it: who holds the outbox's lock, and the
// installation report's line on the relay.
//
// The holder is named from what it wrote into the lock file: the running application (the
// process that holds the application's running lock), another "--dossier-outbox" run, or
// another process by its id; one stopped by a signal, or an application whose heartbeat has
// lapsed (so that the Share sheet takes it for not running) since it took the lock, is said to
// hold the outbox without relaying it.
#pragma once

#include <share-core/DossierOutbox.h>
#include <string>

namespace RelayStatus {

// While another process holds `outbox`'s lock: who, and whether it relays, as a sentence's
// start, such as "the running application relays the outbox".
std::string holder(const DossierOutbox& outbox);

// The report's line on the relay: who relays the outbox, or why nothing can, and how many
// shares wait. Takes the lock for a moment when no one holds it, as a relay would.
std::string line();

} // namespace RelayStatus
