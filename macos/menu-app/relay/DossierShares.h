// The Dossier relay: the menu-bar application's side of the Share menu.
//
// One relay per process, made on first use and kept for its life. The Share
// extension leaves one item file per share in the App Group's outbox; the
// relay watches that folder, posts each item to the bridge's Dossier, oldest
// first and one at a time, writes an answer file for every outcome (added,
// held or refused), deletes each item the Dossier took, and retries held
// ones when they fall due: 15 seconds after the bridge did not answer, or at
// once when it comes back; 2 minutes after any other hold. A refused item
// stays until the extension or the user removes it.
//
// It also keeps the Mac-side state file current for the extension (whether
// the bridge is up, the Dossier's limits and recent tags, and a heartbeat),
// asking the Dossier's index at the start, every 5 minutes, and once a pass
// has added shares; notifies the user of shares added or refused after the
// sheet stopped waiting for them; and tells the menu which shares still
// wait, as `rows`.
//
// All its work runs on its own serial queue "kestrelhaven.dossier-share": the
// folder watcher, a 15-second tick, and a pass 0.2 seconds after a burst of
// folder changes. `rows` and `changed` belong to the main thread, where a new
// row list replaces the old one, and `changed` runs, only when it differs.
// The relay keeps its own account of the outbox's items from what each
// listing finds changed, and tells the main thread only of the rows that
// changed, so a post costs the same however many shares wait.
//
// One relay drains an outbox at a time, whichever process it runs in: `start`
// takes the outbox's lock, and the relay keeps it until the process ends.
// While another process holds it, passes post nothing, and each asks for it
// again, so this relay takes over once that one ended. A lock that can't be
// taken for another reason (a folder that can't be written, a full disk) is
// logged with its reason, and the relay keeps asking; meanwhile the menu
// still lists the waiting shares, and the state file does not say the
// application runs (an earlier heartbeat is taken back), so the Share sheet
// promises nothing the relay can't keep.
//
// A pass that found the bridge silent is not followed by another until the
// tick, a new item, or the bridge coming back: neither the bridge going down
// nor the relay's own answer writes make it try again.
//
// The App Group comes from the Info.plist key "KHAppGroup". A build without
// one, or without its container, has no outbox: `start` then logs that the
// Share menu's Dossier is off and the relay stays idle, with no rows.
#pragma once

#include <Dispatch/DispatchQueue.h>
#include <Dispatch/FileSystemSource.h>
#include <Dispatch/Synchronization.h>
#include <Dispatch/TimerSource.h>
#include <Foundation/Bundle.h>
#include <Foundation/Data.h>
#include <Foundation/FileLock.h>
#include <UserNotifications/NotificationCenter.h>
#include <filesystem>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <share-core/DossierIndexDigest.h>
#include <share-core/DossierOutbox.h>
#include <share-core/DossierShareQueue.h>
#include <share-core/ShareState.h>
#include <string>
#include <string_view>
#include <system_error>
#include <unordered_map>
#include <vector>

class DossierShares {
public:
    // One waiting share as the menu lists it.
    struct Row {
        std::string ref;
        std::string title;
        std::string line;
        bool operator==(const Row&) const = default;
    };

    static DossierShares& shared();

    // The App Group identifier, absent when the build has none.
    const std::optional<std::string>& group() const { return m_group; }
    // The App Group's outbox, made on first use (by `start`); absent without an App Group or
    // its container. Any thread.
    const std::optional<DossierOutbox>& outbox();

    // Makes this relay the outbox's one relay for the rest of the process, taking the outbox's
    // lock unless it holds it already; false while another process's relay holds it, or when it
    // cannot be taken, with `error` the reason. On the main thread until `start` has run, on the
    // relay's queue after.
    bool holdOutbox(std::error_code* error = nullptr);
    // Main thread, once (again after `stop`); returns at once.
    void start();
    // Any thread; the bridge's state as the latest health check saw it.
    void bridge(bool up);
    // Main thread; the user's Remove of a waiting share: its item and answer go.
    void remove(const std::string& ref);

    // Main thread.
    const std::vector<Row>& rows() const { return m_rows.rows(); }
    std::size_t rowCount() const { return m_rows.size(); }
    std::function<void()> changed;
    // Set before `start`: every answer recorded is also printed to standard output, one a line.
    bool printAnswers = false;
    // Set before `holdOutbox`: what the relay is named in the outbox's lock file.
    std::string_view role = OutboxRelayer::application;
    // Main thread, for tests: ends the relay's work, its timer and watcher, and waits for what
    // it started, the registering of the bundle among them, so that nothing writes into the
    // home afterwards. It stays idle until started again; it keeps the outbox's lock.
    void stop();
    // The relay's hand-off of a new row list; from any thread, applied on the main queue.
    void publishRows(std::vector<Row> rows);

    // The Share extension's bundle in the application's plug-ins folder, read anew each time;
    // absent when no bundle stands there.
    static std::optional<Foundation::Bundle> extensionBundle();
    // A share's title as a menu row shows it: one line of at most 60 characters.
    static std::string menuTitle(std::string_view title);
    // The notification of an item's answer; none for a held one.
    static std::optional<UserNotifications::NotificationContent>
    notice(const DossierOutboxItem& item, const DossierShareAnswer& answer);
    // The POST body of an item; none when it cannot be serialised.
    static std::optional<Foundation::Data> requestBody(const DossierOutboxItem& item);

    // Seconds.
    static constexpr double tickInterval = 15;
    static constexpr double debounce = 0.2;
    static constexpr double postTimeout = 30;
    static constexpr double healthTimeout = 2;
    static constexpr double indexTimeout = 5;
    // Milliseconds.
    static constexpr double indexAge = 300000;
    static constexpr double heartbeatAge = MacShareState::heartbeat - 1000;
    static constexpr double answerAge = 600000;

private:
    DossierShares();

    // Everything below runs on `m_io`.
    const std::optional<ShareStateStore>& store();
    void watch(const std::filesystem::path& folder);
    void tick();
    void scheduleDrain();
    // A pass, then the Dossier's index when the pass added anything. `retry` lets the pass post
    // although the bridge was silent at the last post: the start, the tick. Otherwise such a
    // pass posts only when a new item has arrived.
    void drain(bool retry);
    // Takes in what changed in the outbox since the last listing; true when a new item came.
    bool takeListing();
    void list(std::shared_ptr<const DossierOutboxItem> item);
    void unlist(const std::string& ref);
    // Posts one item and records its outcome; false when the pass ends there.
    bool send(const DossierOutboxItem& item);
    void record(const DossierOutboxItem& item, const DossierShareAnswer& answer);
    // Applies the bridge's state as observed: on a change, publishes it and drains again.
    void observeBridge(bool up);
    void checkBridge();
    void refreshIndex();
    // Whether the relay says it runs: it holds the outbox, or another live relay does.
    bool announces() const;
    void publishState();
    // Hands the rows that changed since the last hand-off to the main queue.
    void showRows();
    // Hands every row over, when all their lines may have changed.
    void showEveryRow();
    Row row(const DossierOutboxItem& item) const;
    void tell(const DossierOutboxItem& item, const DossierShareAnswer& answer);

    // A change of the menu's rows: the row of `ref` becomes `row`, standing before the row of
    // `before` (last without one), or goes when there is no `row`.
    struct RowChange {
        std::string ref;
        std::optional<Row> row = std::nullopt;
        std::optional<std::string> before = std::nullopt;
    };
    void publishRowChanges(std::vector<RowChange> changes);

    // The menu's rows on the main thread, each found by its ref, so that a change of one costs
    // the same however many there are; laid out as a list only when read after a change.
    class RowList {
    public:
        const std::vector<Row>& rows() const;
        std::size_t size() const { return m_order.size(); }
        // Each gives whether the rows changed.
        bool assign(std::vector<Row> rows);
        bool apply(RowChange change);

    private:
        std::list<Row> m_order;
        std::unordered_map<std::string, std::list<Row>::iterator> m_byRef;
        mutable std::optional<std::vector<Row>> m_laidOut;
    };

    struct OlderFirst {
        bool operator()(const std::shared_ptr<const DossierOutboxItem>& a,
                        const std::shared_ptr<const DossierOutboxItem>& b) const {
            return DossierOutbox::olderFirst(*a, *b);
        }
    };

    std::optional<std::string> m_group;
    std::once_flag m_outboxMade;
    std::optional<DossierOutbox> m_outbox;
    std::optional<Foundation::FileLock> m_outboxLock;
    // Why the lock was last not taken, as the log told it: it tells each reason once.
    std::error_code m_lockRefused;
    std::once_flag m_storeMade;
    std::optional<ShareStateStore> m_store;
    Dispatch::DispatchQueue m_io;
    // The work `start` hands to other queues.
    Dispatch::DispatchGroup m_started;
    DossierShareQueue m_queue;
    bool m_bridgeUp = false;
    std::optional<DossierIndexDigest> m_digest;
    bool m_drainScheduled = false;
    // Items the Dossier took whose file would not go: never posted again.
    std::set<std::string, std::less<>> m_stored;
    double m_lastIndexAt = 0;
    std::shared_ptr<Dispatch::FileSystemSource> m_watcher;
    std::shared_ptr<Dispatch::TimerSource> m_timer;
    bool m_running = false;
    // The last post found no bridge, and none has answered since.
    bool m_bridgeSilent = false;
    // The outbox's items as the listings found them, without those the Dossier took: by ref,
    // and oldest first; the listing's cache behind them; the refs whose rows changed since the
    // last hand-off.
    std::map<std::string, std::shared_ptr<const DossierOutboxItem>, std::less<>> m_listed;
    std::set<std::shared_ptr<const DossierOutboxItem>, OlderFirst> m_order;
    DossierOutbox::ItemCache m_itemCache;
    std::set<std::string, std::less<>> m_rowsToShow;

    RowList m_rows;
};
