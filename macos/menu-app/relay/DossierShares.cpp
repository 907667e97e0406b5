#include "relay/DossierShares.h"

#include "relay/RelayLog.h"
#include "relay/ShareExtension.h"

#include <Foundation/Bundle.h>
#include <share-core/ShareClock.h>
#include <share-core/ShareGroup.h>
#include <share-core/ShareText.h>

using RelayLog::logger;

DossierShares& DossierShares::shared() {
    // Lives for the process: work queued on its queue may outlast any owner.
    static auto* relay = new DossierShares;
    return *relay;
}

DossierShares::DossierShares()
    : m_group(ShareGroup::identifier(Foundation::Bundle::main())),
      m_io(Dispatch::DispatchQueue::serial("kestrelhaven.dossier-share")) {}

const std::optional<DossierOutbox>& DossierShares::outbox() {
    std::call_once(m_outboxMade, [this] {
        if (m_group)
            m_outbox = DossierOutbox::shared(*m_group);
    });
    return m_outbox;
}

const std::optional<ShareStateStore>& DossierShares::store() {
    std::call_once(m_storeMade, [this] {
        if (m_group)
            m_store = ShareStateStore::shared(*m_group);
    });
    return m_store;
}

bool DossierShares::holdOutbox(std::error_code* error) {
    const auto& outbox = this->outbox();
    if (m_outboxLock || !outbox)
        return m_outboxLock.has_value();
    std::error_code refused;
    std::filesystem::path aside;
    m_outboxLock = outbox->relayLock(role, &refused, &aside);
    if (!aside.empty())
        logger().error("the outbox's lock " + outbox->lockURL().string() +
                       " was not a file: what stood there was moved aside to " +
                       aside.filename().string());
    if (m_outboxLock) {
        if (m_lockRefused)
            logger().info("the outbox's lock is taken: this process relays the outbox");
        m_lockRefused = {};
        return true;
    }
    if (refused != m_lockRefused) {
        m_lockRefused = refused;
        if (refused == std::errc::operation_would_block)
            logger().info("another process relays the outbox: this one waits for it to end");
        else
            logger().error("the outbox's lock " + outbox->lockURL().string() + " can't be taken (" +
                           refused.message() + "): shares wait unsent until it can");
    }
    if (error)
        *error = refused;
    return false;
}

bool DossierShares::announces() const {
    return m_outboxLock || m_lockRefused == std::errc::operation_would_block;
}

void DossierShares::start() {
    const auto& outbox = this->outbox();
    if (!outbox) {
        logger().info("no App Group container: the Share menu's Dossier is off in this build");
        return;
    }
    Dispatch::DispatchQueue::global().async(m_started, [] {
        if (ShareExtension::state() == ShareExtension::State::notRegistered)
            ShareExtension::registerBundle();
    });
    if (const auto failure = outbox->prepare()) {
        logger().error("outbox: " + description(*failure));
        return;
    }
    // Taken before the relay writes anything, so that a relay started after that finds it held;
    // when it is not taken here, each pass asks again.
    holdOutbox();
    m_io.async([this] {
        m_running = true;
        watch(this->outbox()->directory);
        auto timer = Dispatch::TimerSource::make(m_io);
        timer->schedule(tickInterval, tickInterval, 0);
        timer->setEventHandler([this] { tick(); });
        timer->resume();
        m_timer = std::move(timer);
        checkBridge();
        refreshIndex();
        publishState();
        drain(true);
    });
}

void DossierShares::stop() {
    m_io.sync([this] {
        m_running = false;
        if (m_timer)
            m_timer->cancel();
        if (m_watcher)
            m_watcher->cancel();
        m_timer.reset();
        m_watcher.reset();
    });
    // The registering ends its tool when that outlives its time-out.
    m_started.wait(ShareExtension::pluginTimeout + ShareExtension::registerTimeout + 5);
    // A debounced pass queued before the stop finds the relay stopped.
    m_io.sync([] {});
}

void DossierShares::watch(const std::filesystem::path& folder) {
    // Without a watcher, new shares are found by the tick.
    auto watcher = Dispatch::FileSystemSource::watchFolder(folder, m_io);
    if (!watcher)
        return;
    watcher->setEventHandler([this] { scheduleDrain(); });
    watcher->resume();
    m_watcher = std::move(watcher);
}

void DossierShares::scheduleDrain() {
    if (m_drainScheduled)
        return;
    m_drainScheduled = true;
    m_io.asyncAfter(debounce, [this] {
        m_drainScheduled = false;
        drain(false);
    });
}

void DossierShares::tick() {
    checkBridge();
    const double now = ShareClock::now();
    if (now - m_lastIndexAt > indexAge)
        refreshIndex();
    const auto& store = this->store();
    const auto mac = store ? store->mac() : std::nullopt;
    if (!mac || now - mac->menuAt >= heartbeatAge)
        publishState();
    if (const auto& outbox = this->outbox())
        outbox->sweepAnswers(now, answerAge);
    drain(true);
}

void DossierShares::bridge(bool up) {
    m_io.async([this, up] {
        if (m_running)
            observeBridge(up);
    });
}

void DossierShares::observeBridge(bool up) {
    if (up == m_bridgeUp)
        return;
    m_bridgeUp = up;
    if (up) {
        m_queue.bridgeBack();
        m_bridgeSilent = false;
    }
    publishState();
    // The lines of waiting shares follow the bridge's state.
    showEveryRow();
    scheduleDrain();
}

void DossierShares::remove(const std::string& ref) {
    m_io.async([this, ref] {
        if (!m_running)
            return;
        outbox()->remove(ref);
        outbox()->removeAnswer(ref);
        logger().info("share " + ref + " removed by the user");
        drain(false);
    });
}

std::optional<Foundation::Bundle> DossierShares::extensionBundle() {
    const auto bundle =
        Foundation::Bundle::main().path() / "Contents" / "PlugIns" / "KestrelhavenShare.appex";
    std::error_code error;
    if (!std::filesystem::is_directory(bundle, error))
        return std::nullopt;
    return Foundation::Bundle(bundle);
}

std::string DossierShares::menuTitle(std::string_view title) {
    return ShareText::oneLine(title, 60);
}
