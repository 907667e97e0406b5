#include "relay/RelayStatus.h"

#include "relay/DossierShares.h"

#include <AppKit/RunningApplication.h>
#include <Foundation/Bundle.h>
#include <Processes/Processes.h>
#include <share-core/ShareClock.h>
#include <share-core/ShareState.h>
#include <sys/stat.h>

namespace RelayStatus {

namespace {

// Whether the application holding `outbox` renews its heartbeat as the Share sheet expects. One
// that took the lock less than the heartbeat's age ago may not have written its first yet.
bool answering(const DossierOutbox& outbox) {
    const double now = ShareClock::now();
    struct stat lock {};
    if (::stat(outbox.lockURL().c_str(), &lock) != 0 ||
        now - static_cast<double>(lock.st_mtime) * 1000 < MacShareState::runningAge)
        return true;
    const auto group = DossierShares::shared().group();
    const auto store = group ? ShareStateStore::shared(*group) : std::nullopt;
    const auto state = store ? store->mac() : std::nullopt;
    return state && state->menuRunning(now);
}

} // namespace

std::string holder(const DossierOutbox& outbox) {
    const auto relayer = outbox.relayer();
    if (!relayer)
        return "another process holds the outbox";
    const std::string process = "process " + std::to_string(relayer->pid);
    const bool application =
        relayer->role == OutboxRelayer::application &&
        AppKit::RunningApplication::process(Foundation::Bundle::main().identifier().value_or("")) ==
            relayer->pid;
    const std::string who = application ? "the application (" + process + ")"
                            : relayer->role == OutboxRelayer::command
                                ? "another --dossier-outbox (" + process + ")"
                                : process;
    if (Processes::isStopped(relayer->pid))
        return who + " holds the outbox but is stopped";
    if (!application)
        return who + " relays the outbox";
    if (!answering(outbox))
        return who + " holds the outbox but isn't answering";
    return "the running application relays the outbox";
}

std::string line() {
    const auto& outbox = DossierShares::shared().outbox();
    if (!outbox)
        return "off (no App Group container in this build)";
    std::error_code refused;
    std::filesystem::path aside;
    std::string text;
    if (outbox->relayLock(OutboxRelayer::check, &refused, &aside))
        text = "nothing relays the outbox";
    else if (refused == std::errc::operation_would_block)
        text = holder(*outbox);
    else
        text = "nothing can relay the outbox: its lock " + outbox->lockURL().string() +
               " can't be taken (" + refused.message() + ")";
    if (!aside.empty())
        text += "; what stood at the lock's path was moved aside to " + aside.filename().string();
    if (const std::size_t waiting = outbox->refs().size())
        text += "; " + std::to_string(waiting) + (waiting == 1 ? " share waits" : " shares wait");
    return text;
}

} // namespace RelayStatus
