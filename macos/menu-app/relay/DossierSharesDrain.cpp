// The relay's drain pass: each due item posted to the bridge's Dossier, and its outcome recorded.
#include "relay/DossierShares.h"
#include "relay/RelayLog.h"

#include <Foundation/Unicode.h>
#include <JSONCoding/JSONCoding.h>
#include <iostream>
#include <menubar/LocalHTTP.h>
#include <set>
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
    // Each pass starts from a whole listing; within it, each listing follows what changed.
    m_itemCache.revalidate();
    for (;;) {
        std::erase_if(m_stored, [&](const std::string& ref) {
            outbox->remove(ref);
            return !outbox->item(ref);
        });

        auto items = outbox->items(m_itemCache);
        std::erase_if(items, [&](const auto& item) { return m_stored.contains(item->ref); });
        const std::vector<Listed> previous = std::exchange(m_listed, {});
        std::set<std::string_view> before;
        for (const Listed& listed : previous)
            before.insert(listed.ref);
        bool arrived = false;
        std::vector<std::string> refs;
        refs.reserve(items.size());
        m_listed.reserve(items.size());
        for (const auto& item : items) {
            arrived = arrived || !before.contains(item->ref);
            refs.push_back(item->ref);
            m_listed.push_back({item->ref, item->title});
        }
        m_queue.keep(refs);
        showRows();
        if (m_bridgeSilent && !retry && !arrived)
            return;

        const auto ref = m_queue.next(refs, ShareClock::now());
        if (!ref)
            return;
        const auto item = std::find_if(items.begin(), items.end(),
                                       [&](const auto& item) { return item->ref == *ref; });
        if (item == items.end())
            return;
        m_queue.sending(*ref);
        showRows();
        if (!send(**item))
            return;
    }
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
    const auto& outbox = *this->outbox();
    const bool added = std::holds_alternative<DossierPostOutcome::Added>(outcome.value);
    if (added) {
        outbox.remove(item.ref);
        if (outbox.item(item.ref)) {
            m_stored.insert(item.ref);
            logger().error("share " + item.ref + " stored, but its file won't go");
        }
        std::erase_if(m_listed, [&](const Listed& listed) { return listed.ref == item.ref; });
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
        std::cout << item.ref << " " << word << (answer.reason ? " " + *answer.reason : "") << ": "
                  << answer.msg << std::endl;
}
