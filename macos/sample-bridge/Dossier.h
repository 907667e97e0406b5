// The bridge's Dossier: the documents it keeps for the phone, and its answers
// to GET and POST "/dossier".
//
// A POST adds one item from a JSON object of texts ("title" and "text"
// required, "tag" and "source" optional). The Dossier refuses an item that is
// not such an object ("bad_request"), has blank text ("empty"), is longer
// than its item limit in UTF-16 code units ("too_large"), or does not fit
// ("full": at its item count limit, or past its storage); otherwise it keeps
// the item and answers 201 with the new id, a message, the reading minutes
// and the tag it filed the item under. GET answers the items, newest first,
// each with its tag (or null), and the limits with what is used of them.
//
// Tests make it answer otherwise: refuse every post with a reason of their
// choosing, answer 404 as a bridge without a Dossier does, or hold every
// request without a word. Safe to call from any thread.
#pragma once

#include "sample-bridge/Reply.h"
#include "sample-bridge/Request.h"

#include <cstdint>
#include <functional>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace SampleBridge {

using JSON = nlohmann::json;

struct DossierLimits {
    std::int64_t itemChars = 300000;
    // The most items it keeps; none means no count limit is named.
    std::optional<std::int64_t> maxItems = 2000;
    // The storage allowed, in bytes of text; none means no storage limit is named.
    std::optional<double> totalBytes = 64.0 * 1024 * 1024;
};

// How every request to "/dossier" is answered.
enum class DossierMode { open, missing, holding };

struct DossierRefusal {
    std::string reason;
    std::string msg;
    int status = 400;
};

class Dossier {
public:
    struct Answer {
        int status;
        JSON body;
    };

    void setClock(std::function<double()> now);
    void setLimits(DossierLimits limits);
    void setMode(DossierMode mode);
    // Every post is refused with `refusal` until it is cleared with nothing.
    void refuseEvery(std::optional<DossierRefusal> refusal);

    // What a POST with `body` answers; a taken item is kept.
    Answer post(const JSON& body);
    // {"items": [...], "limits": {...}}
    JSON index() const;
    // The items kept, newest first, as the index lists them.
    JSON items() const;
    // Forgets every item.
    void clear();

    // What a restart keeps: {"items" oldest first, "next_id", "used_bytes"}.
    JSON saved() const;
    // Takes back what `saved` gave; false, changing nothing, when `saved` is not of its shape.
    bool restore(const JSON& saved);
    // Goes up with every change to the items, so that whoever keeps them knows when to again.
    std::uint64_t revision() const;

    // The answer to a request for "/dossier" in the Dossier's mode.
    Reply answer(const Request& request);

private:
    // With the lock held.
    JSON newestFirst() const;
    JSON limits() const;
    // The index as the reply's text, made from each item's text kept since it was taken, so a
    // client that asks after every share does not pay for the whole Dossier each time.
    std::string indexText() const;

    mutable std::mutex m_mutex;
    std::function<double()> m_now;
    DossierLimits m_limits;
    DossierMode m_mode = DossierMode::open;
    std::optional<DossierRefusal> m_refusal;
    // Oldest first.
    JSON m_items = JSON::array();
    std::vector<std::string> m_itemTexts;
    double m_usedBytes = 0;
    std::int64_t m_nextId = 1;
    std::uint64_t m_revision = 0;
};

} // namespace SampleBridge
