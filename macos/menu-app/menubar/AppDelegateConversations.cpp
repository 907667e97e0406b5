// The pinned and recent conversations of the menu, and what the user can do to them.
#include "menubar/AppDelegate.h"
#include "menubar/RowFormat.h"

#include <algorithm>
#include <functional>
#include <set>
#include <unordered_set>

using namespace AppKit;

namespace {

std::function<AttributedString()> lazyTitle(std::shared_ptr<const RowFormat> format,
                                            Conversation conversation) {
    return [format = std::move(format), conversation = std::move(conversation)] {
        return format->title(conversation);
    };
}

} // namespace

void AppDelegate::refreshConversations() {
    if (m_conversationsInFlight) {
        m_conversationsAgain = true;
        return;
    }
    m_conversationsInFlight = true;
    if (!m_conversations) {
        m_conversationsNote = "Loading…";
        renderConversations();
    }
    m_bridge->call<ConversationList>(
        "/conversations", "GET", std::nullopt, conversationsTimeout,
        [weak = weak_from_this()](std::optional<ConversationList> list, int status) {
            if (const auto self = weak.lock())
                self->showConversations(std::move(list), status);
        });
}

void AppDelegate::showConversations(std::optional<ConversationList> list, int status) {
    m_conversationsInFlight = false;
    if (status == 200) {
        m_conversations = std::move(list);
        if (!m_conversations)
            m_conversationsNote = "Couldn't read the conversation list";
    } else {
        m_conversations.reset();
        m_conversationsNote = status == 0 || status == 403 ? "Bridge not reachable"
                                                           : "Conversations unavailable (HTTP " +
                                                                 std::to_string(status) + ")";
    }
    renderConversations();
    if (m_conversationsAgain) {
        m_conversationsAgain = false;
        refreshConversations();
    }
}

void AppDelegate::renderConversations() {
    std::vector<Item> pinned;
    std::vector<Item> recent;
    if (!m_conversations) {
        m_pinnedNote->setTitle("  " + m_conversationsNote);
        m_pinNote->setTitle(m_conversationsNote);
        pinned = {m_pinnedNote};
        recent = {m_pinNote};
    } else {
        // A session listed twice shows once, as first listed: an item stands in one place only.
        std::set<std::string> pinnedIds;
        // Each title is made when the menu first shows it: measuring its columns loads fonts.
        const auto pinnedFormat = std::make_shared<const RowFormat>(m_conversations->pinned, "  ");
        for (const auto& conversation : m_conversations->pinned) {
            if (!pinnedIds.insert(conversation.session_id).second)
                continue;
            auto& row = m_pinnedRows[conversation.session_id];
            if (!row)
                row = std::make_shared<PinnedRow>(shared_from_this());
            row->show(conversation, lazyTitle(pinnedFormat, conversation));
            pinned.push_back(row->item);
        }

        std::set<std::string> recentIds;
        const auto recentFormat = std::make_shared<const RowFormat>(m_conversations->recent, "");
        for (const auto& conversation : m_conversations->recent) {
            if (!recentIds.insert(conversation.session_id).second)
                continue;
            auto& item = m_recentItems[conversation.session_id];
            if (!item)
                item =
                    MenuItem::make({}, targetAction(shared_from_this(), &AppDelegate::pinClicked));
            item->setTitle(conversation.project + " " + conversation.shortTitle());
            item->setAttributedTitle(lazyTitle(recentFormat, conversation));
            item->setToolTip(conversation.detail());
            item->setRepresentedObject(conversation);
            recent.push_back(item);
        }

        std::erase_if(m_pinnedRows,
                      [&](const auto& entry) { return !pinnedIds.contains(entry.first); });
        std::erase_if(m_recentItems,
                      [&](const auto& entry) { return !recentIds.contains(entry.first); });

        if (pinned.empty()) {
            m_pinnedNote->setTitle("  (none pinned)");
            pinned = {m_pinnedNote};
        }
        if (recent.empty()) {
            m_pinNote->setTitle("No recent conversations");
            recent = {m_pinNote};
        }
    }
    place(pinned, *m_menu, m_menu->indexOf(*m_pinnedHeader) + 1, m_pinnedItems);
    place(recent, *m_pinMenu, 0, m_pinItems);
}

void AppDelegate::place(const std::vector<Item>& wanted, Menu& menu, int start,
                        std::vector<Item>& current) {
    // Items that stay keep their order, so each is mostly found where it belongs: placing costs
    // little more than the items that came, went or moved.
    const std::unordered_set<Item> staying(wanted.begin(), wanted.end());
    for (const auto& item : current)
        if (!staying.contains(item))
            menu.removeItem(*item);
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        const int at = start + static_cast<int>(i);
        if (menu.itemAt(at) == wanted[i])
            continue;
        const int index = menu.indexOf(*wanted[i]);
        if (index >= 0)
            menu.removeItemAt(index);
        menu.insertItem(wanted[i], at);
    }
    current = wanted;
}

void AppDelegate::act(MenuItem& sender, const std::string& word, JSONCoding::JSON body,
                      std::string failure) {
    const auto* conversation = std::any_cast<Conversation>(&sender.representedObject());
    if (!conversation)
        return;
    body["session_id"] = conversation->session_id;
    m_bridge->call<ActionResult>(
        "/conversations/" + word, "POST", std::move(body), actionTimeout,
        [weak = weak_from_this(), failure = std::move(failure),
         conversation = *conversation](std::optional<ActionResult> result, int status) {
            const auto self = weak.lock();
            if (!self)
                return;
            self->refreshConversations();
            if (result && result->ok)
                return;
            const std::string reason =
                result ? result->msg
                : status == 0 || status == 403
                    ? "Bridge not reachable"
                    : "The bridge answered HTTP " + std::to_string(status) + ".";
            auto alert = std::make_shared<Alert>();
            alert->setMessageText(failure);
            alert->setInformativeText(conversation.project + " — " + conversation.shortTitle() +
                                      "\n\n" + reason);
            self->presentAfterMenuCloses(std::move(alert));
        });
}

void AppDelegate::resumeClicked(MenuItem& sender) {
    act(sender, "resume", {{"mode", "background"}}, "Couldn't resume");
}

void AppDelegate::terminalClicked(MenuItem& sender) {
    act(sender, "resume", {{"mode", "terminal"}}, "Couldn't open in Terminal");
}

void AppDelegate::sleepClicked(MenuItem& sender) {
    act(sender, "sleep", JSONCoding::JSON::object(), "Couldn't sleep");
}

void AppDelegate::pinClicked(MenuItem& sender) {
    act(sender, "pin", {{"pinned", true}}, "Couldn't pin");
}

void AppDelegate::unpinClicked(MenuItem& sender) {
    act(sender, "pin", {{"pinned", false}}, "Couldn't unpin");
}
