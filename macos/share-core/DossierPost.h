// Posting one outbox item to the bridge's Dossier, and what its reply means.
//
// The request body of POST "/dossier" is a text-to-text object: the title,
// tag and source cleaned to one line (200, 60 and 120 characters), the text
// unchanged. The reply's status and keys give an outcome: only 201 with "ok"
// true and an "id" is added; "ok" false with a reason is refused when the
// reason is final ("bad_request", "empty", "too_large", "path") and held
// otherwise; no answer, 404, and everything else are held, to be tried again.
//
// The reply is read key by key: a key with a value of the wrong type counts
// as absent, and the rest still count. So a 201 that took the item is never
// mistaken for a failure, which would post it a second time.
#pragma once

#include "OutboxRecords.h"

#include <Foundation/Data.h>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <variant>

namespace DossierShareRequest {

constexpr std::string_view defaultSource = "shared from macOS";

std::map<std::string, std::string> body(const DossierOutboxItem& item);

} // namespace DossierShareRequest

class DossierPostOutcome {
public:
    struct Added {
        std::string id;
        std::string msg;
        std::optional<std::int64_t> minutes;
        std::optional<std::string> tag;
        bool operator==(const Added&) const = default;
    };
    // Not added now; to be tried again.
    struct Held {
        std::string reason;
        std::string msg;
        bool operator==(const Held&) const = default;
    };
    // Not added, and never tried again.
    struct Refused {
        std::string reason;
        std::string msg;
        bool operator==(const Refused&) const = default;
    };
    using Value = std::variant<Added, Held, Refused>;

    DossierPostOutcome(Value value) : value(std::move(value)) {}
    static DossierPostOutcome added(std::string id, std::string msg,
                                    std::optional<std::int64_t> minutes = std::nullopt,
                                    std::optional<std::string> tag = std::nullopt) {
        return DossierPostOutcome(Added{std::move(id), std::move(msg), minutes, std::move(tag)});
    }
    static DossierPostOutcome held(std::string reason, std::string msg) {
        return DossierPostOutcome(Held{std::move(reason), std::move(msg)});
    }
    static DossierPostOutcome refused(std::string reason, std::string msg) {
        return DossierPostOutcome(Refused{std::move(reason), std::move(msg)});
    }

    // The reasons that make a refusal final.
    static const std::set<std::string, std::less<>>& permanent();

    // `status` 0 means no answer at all.
    static DossierPostOutcome from(int status, std::optional<Foundation::Bytes> body);

    // The answer file's record for `item`, written at `now`.
    DossierShareAnswer answer(const DossierOutboxItem& item, double now) const;

    bool operator==(const DossierPostOutcome&) const = default;

    Value value;
};
