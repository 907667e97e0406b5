// What happened to a share that was saved into the outbox, as the sheet says it.
//
// The answer file decides when there is one: added (with a detail line of
// reading minutes and tag), refused (with the Dossier's sentence), or held
// (a waiting line by its reason). Without an answer the Mac-side state
// decides: whether the menu-bar application is running and the bridge up.
#pragma once

#include "OutboxRecords.h"
#include "ShareState.h"

#include <optional>
#include <string>
#include <variant>

class ShareResult {
public:
    // The Dossier took the item; the detail is "3 min · tag", either part, or empty.
    struct Added {
        std::string detail;
        bool operator==(const Added&) const = default;
    };
    // Saved in the outbox, not (yet) in the Dossier.
    struct Waiting {
        std::string line;
        bool operator==(const Waiting&) const = default;
    };
    // Refused for good.
    struct Refused {
        std::string line;
        bool operator==(const Refused&) const = default;
    };
    using Value = std::variant<Added, Waiting, Refused>;

    ShareResult(Value value) : value(std::move(value)) {}
    static ShareResult added(std::string detail) { return ShareResult(Added{std::move(detail)}); }
    static ShareResult waiting(std::string line) { return ShareResult(Waiting{std::move(line)}); }
    static ShareResult refused(std::string line) { return ShareResult(Refused{std::move(line)}); }

    // `now` in milliseconds since 1970.
    static ShareResult from(const std::optional<DossierShareAnswer>& answer,
                            const std::optional<MacShareState>& state, double now);

    bool operator==(const ShareResult&) const = default;

    Value value;
};
