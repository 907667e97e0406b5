// The relay's drain pass: each due item posted to the bridge's Dossier, and its outcome recorded.
#include "relay/DossierShares.h"
#include "relay/RelayLog.h"

#include <Foundation/Printable.h>
#include <Foundation/Unicode.h>
#include <JSONCoding/JSONCoding.h>
#include <iostream>
#include <menubar/LocalHTTP.h>
#include <share-core/DossierPost.h>
#include <share-core/Overloaded.h>
#include <share-core/ShareClock.h>
#include <utility>

using RelayLog::logger;

namespace {

// What an item that cannot be sent gets instead of the bridge's verdict.
DossierPostOutcome unsendable() {
    return DossierPostOutcome::refused("bad_request",
                                       "This share isn't valid text, so it can't be sent.");
}

} // namespace

std::optional<Foundation::Data> DossierShares::requestBody(const DossierOutboxItem& item) {
    const auto text = JSONCoding::serialize(JSONCoding::JSON(DossierShareRequest::body(item)));
    if (!text)
        return std::nullopt;
    return Foundation::dataFrom(*text);
}

void DossierShares::drain(bool retry) {
    const auto& outbox = this->outbox();
    if (!m_running || !outbox)
        return;
    const bool announced = announces();
    const bool held = holdOutbox();
    if (announces() != announced)
        publishState();
    // Each pass starts from a whole listing; within it, each listing follows what changed.
    m_itemCache.revalidate();
    for (;;) {
        std::erase_if(m_stored, [&](const std::string& ref) {
            outbox->remove(ref);
            return !outbox->item(ref);
        });

        // The menu lists the waiting shares also while another relay sends them, or none can.
        const bool arrived = takeListing();
        showRows();
        if (!held || (m_bridgeSilent && !retry && !arrived))
            return;

        const auto ref = m_queue.next(ShareClock::now());
        if (!ref)
            return;
        const auto listed = m_listed.find(*ref);
        if (listed == m_listed.end())
            return;
        // Held here: the item may leave the listing while it is sent.
        const auto item = listed->second;
        m_queue.sending(*ref);
        m_rowsToShow.insert(*ref);
        showRows();
        if (!send(*item))
            return;
    }
}

bool DossierShares::takeListing() {
    bool arrived = false;
    for (auto& change : this->outbox()->changes(m_itemCache)) {
        // An item the Dossier already took is never posted twice.
        if (m_stored.contains(change.ref))
            continue;
        if (change.item) {
            arrived = arrived || !m_listed.contains(change.ref);
            list(std::move(change.item));
        } else {
            unlist(change.ref);
        }
    }
    return arrived;
}

void DossierShares::list(std::shared_ptr<const DossierOutboxItem> item) {
    const auto [entry, added] = m_listed.try_emplace(item->ref, item);
    if (!added) {
        m_order.erase(entry->second);
        entry->second = item;
    }
    m_order.insert(item);
    m_queue.listed(item->ref, item->createdAt);
    m_rowsToShow.insert(item->ref);
}

void DossierShares::unlist(const std::string& ref) {
    const auto entry = m_listed.find(ref);
    if (entry == m_listed.end())
        return;
    m_order.erase(entry->second);
    m_listed.erase(entry);
    m_queue.gone(ref);
    m_rowsToShow.insert(ref);
}

bool DossierShares::send(const DossierOutboxItem& item) {
    const auto body = requestBody(item);
    const DossierPostOutcome outcome = [&] {
        if (!body)
            return unsendable();
        auto reply = LocalHTTP::send("POST", "/dossier", body, postTimeout);
        return DossierPostOutcome::from(reply.status, std::move(reply.body));
    }();
    const double now = ShareClock::now();
    m_queue.answered(item.ref, outcome, now);
    m_rowsToShow.insert(item.ref);
    const auto& outbox = *this->outbox();
    const bool added = std::holds_alternative<DossierPostOutcome::Added>(outcome.value);
    if (added) {
        outbox.remove(item.ref);
        if (outbox.item(item.ref)) {
            m_stored.insert(item.ref);
            logger().error("share " + item.ref + " stored, but its file won't go");
        }
        unlist(item.ref);
    }
    const DossierShareAnswer answer = outcome.answer(item, now);
    record(item, answer);

    const bool notify = DossierShareQueue::shouldNotify(item.createdAt, now);
    return std::visit(Overloaded{
                          [&](const DossierPostOutcome::Added&) {
                              observeBridge(true);
                              refreshIndex();
                              if (notify)
                                  tell(item, answer);
                              return true;
                          },
                          [&](const DossierPostOutcome::Refused&) {
                              // An item that could not be sent never reached the bridge,
                              // which then told nothing of its state.
                              if (body)
                                  observeBridge(true);
                              if (notify)
                                  tell(item, answer);
                              return true;
                          },
                          [&](const DossierPostOutcome::Held& held) {
                              if (held.reason != "bridge") {
                                  observeBridge(true);
                                  return true;
                              }
                              m_bridgeSilent = true;
                              observeBridge(false);
                              showRows();
                              return false;
                          },
                      },
                      outcome.value);
}

void DossierShares::record(const DossierOutboxItem& item, const DossierShareAnswer& answer) {
    if (const auto failure = this->outbox()->writeAnswer(answer))
        logger().error("share " + item.ref + ": answer not saved: " + description(*failure));
    const std::string word(DossierShareAnswer::word(answer.state));
    logger().info("share " + item.ref + ": " + word +
                  (answer.reason ? " (" + *answer.reason + ")" : "") + ", " +
                  std::to_string(Foundation::Unicode::utf16Length(item.text)) + " chars");
    if (printAnswers)
        std::cout << item.ref << " " << word
                  << (answer.reason ? " " + Foundation::printable(*answer.reason) : "") << ": "
                  << Foundation::printable(answer.msg) << std::endl;
}
