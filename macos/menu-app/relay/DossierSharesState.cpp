// What the relay tells others: the bridge's health as it sees it, the Dossier's index digest,
// the Mac-side state file, and the user's notifications.
#include "relay/DossierShares.h"
#include "relay/RelayLog.h"
#include "service/Bundled.h"

#include <menubar/LocalHTTP.h>
#include <share-core/ShareClock.h>
#include <share-core/ShareInput.h>
#include <share-core/ShareText.h>

using RelayLog::logger;
using namespace UserNotifications;

void DossierShares::checkBridge() {
    observeBridge(LocalHTTP::send("GET", "/healthz", std::nullopt, healthTimeout).status == 200);
}

void DossierShares::refreshIndex() {
    // Moved before asking, so a failed request waits for its turn like any other.
    m_lastIndexAt = ShareClock::now();
    const auto reply = LocalHTTP::send("GET", "/dossier", std::nullopt, indexTimeout);
    if (reply.status != 200 || !reply.body)
        return;
    auto digest = DossierIndexDigest::parse(*reply.body);
    if (!digest || digest == m_digest)
        return;
    m_digest = std::move(digest);
    publishState();
}

void DossierShares::publishState() {
    const auto& store = this->store();
    if (!store)
        return;
    const auto previous = store->mac();
    const double now = ShareClock::now();
    // A relay that can send nothing says nothing, but takes back a heartbeat still in force, so
    // that the sheet promises no share to the Dossier.
    if (!announces() && (!previous || !previous->menuRunning(now)))
        return;
    MacShareState state;
    if (m_digest) {
        state.full = m_digest->full;
        state.recentTags = m_digest->recentTags;
        state.itemChars = m_digest->itemChars;
    } else if (previous) {
        state.full = previous->full;
        state.recentTags = previous->recentTags;
        state.itemChars = previous->itemChars;
    } else {
        state.itemChars = ShareInput::defaultItemChars;
    }
    state.bridgeUp = m_bridgeUp;
    state.menuAt = announces() ? now : 0;
    if (const auto failure = store->writeMac(state))
        logger().error("share state: " + description(*failure));
}

std::optional<NotificationContent> DossierShares::notice(const DossierOutboxItem& item,
                                                         const DossierShareAnswer& answer) {
    const std::string name = "“" + ShareText::oneLine(item.title, 120) + "”";
    switch (answer.state) {
    case DossierShareAnswer::State::added: {
        std::string body = name;
        if (answer.minutes)
            body += " · " + std::to_string(*answer.minutes) + " min";
        if (answer.tag && !answer.tag->empty())
            body += " · " + *answer.tag;
        return NotificationContent{"Added to your Dossier", std::move(body)};
    }
    case DossierShareAnswer::State::refused:
        return NotificationContent{"Not added to your Dossier", name + ": " + answer.msg};
    case DossierShareAnswer::State::held:
        break;
    }
    return std::nullopt;
}

void DossierShares::tell(const DossierOutboxItem& item, const DossierShareAnswer& answer) {
    auto content = notice(item, answer);
    if (!content)
        return;
    // A test build never asks the user.
    const bool mayAsk = !Bundled::isTestBuild();
    NotificationRequest request{"dossier-share-" + item.ref, std::move(*content)};
    NotificationCenter::current().getNotificationSettings(
        [request = std::move(request), mayAsk](NotificationSettings settings) {
            switch (settings.authorizationStatus) {
            case AuthorizationStatus::authorized:
            case AuthorizationStatus::provisional:
                NotificationCenter::current().add(request);
                return;
            case AuthorizationStatus::notDetermined:
                if (mayAsk)
                    NotificationCenter::current().requestAuthorization(
                        AuthorizationOptions::alert,
                        [request](bool granted, std::optional<Foundation::Error>) {
                            if (granted)
                                NotificationCenter::current().add(request);
                        });
                return;
            case AuthorizationStatus::denied:
                return;
            }
        });
}
