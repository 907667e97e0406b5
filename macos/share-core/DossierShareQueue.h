// The send state of each outbox item while the menu-bar application runs.
//
// An item without a state, or waiting, is due at once; one is sending at a
// time; a held item is due again 15 seconds after its verdict when the bridge
// did not answer, 2 minutes after for any other reason; a refused item is
// never chosen again. The queue lives in memory only and holds no thread:
// its owner changes it on one serial queue. Times are milliseconds since 1970.
#pragma once

#include "DossierPost.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

struct DossierShareQueue {
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

    std::map<std::string, State, std::less<>> states;

    // `Waiting` for a ref without an entry.
    State state(std::string_view ref) const;
    // The first due ref of `refs`, in their order; nothing while any of them is sending.
    std::optional<std::string> next(const std::vector<std::string>& refs, double now) const;
    void sending(const std::string& ref);
    void answered(const std::string& ref, const DossierPostOutcome& outcome, double now);
    // Items held because the bridge did not answer become due at once.
    void bridgeBack();
    void keep(const std::vector<std::string>& only);
    // The item's status line in the menu.
    std::string line(std::string_view ref, bool bridgeUp) const;

    static double retryAfter(std::string_view reason);
    // Whether a finished item is old enough that the sheet no longer waits for it.
    static bool shouldNotify(double createdAt, double now);

    bool operator==(const DossierShareQueue&) const = default;
};
