// The Dossier relay: the menu-bar application's side of the Share menu.
//
// One relay per process, made on first use. It carries the shares that the
// Share extension leaves in the App Group's outbox to the bridge and tells
// the menu which shares still wait, as `rows`. All its work runs on its own
// serial queue "kestrelhaven.dossier-share"; `rows` and `changed` belong to
// the main thread, where a new row list replaces the old one and `changed`
// runs, only when the list differs.
//
// The App Group comes from the Info.plist key "KHAppGroup". A build without
// one has no outbox: `start` then logs that the Share menu's Dossier is off
// and the relay stays idle, with no rows. The outbox, its watcher and the
// drain to the bridge come with the share pipeline; until then the relay
// only records the bridge's state and publishes the rows it is handed.
#pragma once

#include <Dispatch/DispatchQueue.h>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
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

    // Main thread; returns at once.
    void start();
    // Any thread; the bridge's state as the latest health check saw it.
    void bridge(bool up);
    // Main thread; the user's Remove of a waiting share. Without an outbox nothing waits, so
    // there is nothing to remove.
    void remove(const std::string& ref);

    // Main thread.
    const std::vector<Row>& rows() const { return m_rows; }
    std::function<void()> changed;

    // The relay's hand-off of a new row list; from any thread, applied on the main queue.
    void publishRows(std::vector<Row> rows);

    // A share's title as a menu row shows it: one line of at most 60 characters.
    static std::string menuTitle(std::string_view title);

private:
    DossierShares();

    std::optional<std::string> m_group;
    Dispatch::DispatchQueue m_io;
    bool m_bridgeUp = false;
    std::vector<Row> m_rows;
};
