// The send state of each outbox item while the menu-bar application runs.
//
// An item without a state, or waiting, is due at once; one is sending at a
// time; a held item is due again 15 seconds after its verdict when the bridge
// did not answer, 2 minutes after for any other reason; a refused item is
// never chosen again. The queue lives in memory only and holds no thread:
// its owner changes it on one serial queue. Times are milliseconds since 1970.
//
// The owner lists the outbox's items in the queue as they come and go, and
// the queue keeps them in the order they are sent (oldest first, equal times
// by ref), indexed by whether they may be due, so that choosing the next one,
// or changing one, costs the same however many items wait.
#pragma once

#include "DossierPost.h"

#include <cstddef>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

class DossierShareQueue {
public:
    struct Held {
        std::string reason;
        std::string msg;
        double at = 0;
        bool operator==(const Held&) const = default;
    };
    using Refused = DossierPostOutcome::Refused;
    struct Waiting {
        bool operator==(const Waiting&) const = default;
    };
    struct Sending {
        bool operator==(const Sending&) const = default;
    };
    using State = std::variant<Held, Refused, Waiting, Sending>;

    // An item of the outbox, made at `createdAt`; listed again, it moves to its new time and
    // keeps its state.
    void listed(const std::string& ref, double createdAt);
    // An item gone from the outbox: its state goes with it.
    void gone(const std::string& ref);

    // `Waiting` for a ref without an entry.
    State state(std::string_view ref) const;
    // The first due listed ref, in their order; nothing while any of them is sending.
    std::optional<std::string> next(double now) const;
    void sending(const std::string& ref);
    void answered(const std::string& ref, const DossierPostOutcome& outcome, double now);
    // Items held because the bridge did not answer become due at once.
    void bridgeBack();
    // The item's status line in the menu.
    std::string line(std::string_view ref, bool bridgeUp) const;

    static double retryAfter(std::string_view reason);
    // Whether a finished item is old enough that the sheet no longer waits for it.
    static bool shouldNotify(double createdAt, double now);

private:
    // A listed ref in sending order: its time, then itself.
    using Place = std::pair<double, std::string>;

    // Sets the state of `ref` (none for `Waiting` without an entry), keeping a listed ref's
    // place in the indexes.
    void change(const std::string& ref, std::optional<State> state);
    void index(const Place& place, const State& state);
    void unindex(const Place& place, const State& state);

    std::map<std::string, State, std::less<>> m_states;
    // The listed refs and their times.
    std::map<std::string, double, std::less<>> m_listed;
    // Listed refs that may be due, in sending order: those waiting, and held ones that were due
    // when last looked at.
    mutable std::set<Place> m_ready;
    // The other held listed refs, by their delay, then by the time of their verdict.
    mutable std::map<double, std::set<std::pair<double, Place>>> m_resting;
    // How many listed refs are sending.
    std::size_t m_sending = 0;
};
