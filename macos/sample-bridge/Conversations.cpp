#include "sample-bridge/Conversations.h"

namespace SampleBridge {

namespace {

const Outcome unknown{Outcome::Kind::Unknown, "No such conversation"};

// A field of a planted conversation may have any type; a wrong one reads as absent.
std::string text(const JSON& conversation, const char* key) {
    const auto found = conversation.find(key);
    return found != conversation.end() && found->is_string() ? found->get<std::string>() : "";
}

bool isAgent(const JSON& conversation) {
    const auto found = conversation.find("agent");
    return found != conversation.end() && found->is_boolean() && found->get<bool>();
}

bool isDormant(const JSON& conversation) {
    return text(conversation, "state") == "dormant";
}

double lastActive(const JSON& conversation) {
    const auto found = conversation.find("last_active");
    return found != conversation.end() && found->is_number() ? found->get<double>() : 0;
}

} // namespace

Conversations::Conversations(JSON pinned, JSON recent)
    : m_pinned(std::move(pinned)), m_recent(std::move(recent)) {}

JSON Conversations::lists() const {
    return {{"pinned", m_pinned}, {"recent", m_recent}};
}

Conversations::Found Conversations::find(std::string_view sessionId) {
    for (JSON* list : {&m_pinned, &m_recent}) {
        if (!list->is_array())
            continue;
        for (std::size_t index = 0; index < list->size(); ++index) {
            const JSON& conversation = (*list)[index];
            if (conversation.is_object() && text(conversation, "session_id") == sessionId)
                return {list, index};
        }
    }
    return {nullptr, 0};
}

Outcome Conversations::resume(std::string_view sessionId, ResumeMode mode,
                              std::int64_t nowMilliseconds) {
    const Found found = find(sessionId);
    if (!found.list)
        return unknown;
    JSON& conversation = (*found.list)[found.index];
    if (!isDormant(conversation))
        return {Outcome::Kind::Refused, "Already running"};
    const bool background = mode == ResumeMode::Background;
    conversation["state"] = background ? "open" : "working";
    conversation["last_active"] = nowMilliseconds;
    return {Outcome::Kind::Done, background ? "Resumed in the background" : "Opened in Terminal"};
}

Outcome Conversations::sleep(std::string_view sessionId) {
    const Found found = find(sessionId);
    if (!found.list)
        return unknown;
    JSON& conversation = (*found.list)[found.index];
    if (!isAgent(conversation))
        return {Outcome::Kind::Refused, "Only agent conversations can sleep"};
    if (isDormant(conversation))
        return {Outcome::Kind::Refused, "Already asleep"};
    conversation["state"] = "dormant";
    conversation.erase("memory_mb");
    return {Outcome::Kind::Done, "Asleep"};
}

Outcome Conversations::pin(std::string_view sessionId, bool pinned) {
    const Found found = find(sessionId);
    if (!found.list)
        return unknown;
    JSON conversation = std::move((*found.list)[found.index]);
    found.list->erase(found.index);
    conversation["pinned"] = pinned;
    JSON& target = pinned ? m_pinned : m_recent;
    if (!target.is_array())
        target = JSON::array();
    if (found.list == &target) {
        target.insert(target.begin() + static_cast<std::ptrdiff_t>(found.index), conversation);
    } else if (pinned) {
        target.push_back(std::move(conversation));
    } else {
        auto position = target.begin();
        while (position != target.end() && lastActive(*position) >= lastActive(conversation))
            ++position;
        target.insert(position, std::move(conversation));
    }
    return {Outcome::Kind::Done, pinned ? "Pinned" : "Unpinned"};
}

} // namespace SampleBridge
