#include "DossierShareQueue.h"

#include "Overloaded.h"

#include <vector>

namespace {

constexpr double bridgeRetry = 15000;
constexpr double otherRetry = 120000;
// The share sheet waits 4 seconds for its answer; later ones deserve a notification.
constexpr double notifyAfter = 5000;

} // namespace

void DossierShareQueue::listed(const std::string& ref, double createdAt) {
    const State current = state(ref);
    const auto [entry, added] = m_listed.try_emplace(ref, createdAt);
    if (!added) {
        if (entry->second == createdAt)
            return;
        unindex({entry->second, ref}, current);
        entry->second = createdAt;
    }
    index({createdAt, ref}, current);
}

void DossierShareQueue::gone(const std::string& ref) {
    if (const auto entry = m_listed.find(ref); entry != m_listed.end()) {
        unindex({entry->second, ref}, state(ref));
        m_listed.erase(entry);
    }
    if (const auto entry = m_states.find(ref); entry != m_states.end())
        m_states.erase(entry);
}

DossierShareQueue::State DossierShareQueue::state(std::string_view ref) const {
    const auto found = m_states.find(ref);
    return found == m_states.end() ? State(Waiting{}) : found->second;
}

std::optional<std::string> DossierShareQueue::next(double now) const {
    if (m_sending > 0)
        return std::nullopt;
    for (auto& [delay, resting] : m_resting) {
        while (!resting.empty() && now - resting.begin()->first >= delay) {
            m_ready.insert(resting.begin()->second);
            resting.erase(resting.begin());
        }
    }
    while (!m_ready.empty()) {
        const auto first = m_ready.begin();
        const auto found = m_states.find(first->second);
        const auto* held = found == m_states.end() ? nullptr : std::get_if<Held>(&found->second);
        if (!held || now - held->at >= retryAfter(held->reason))
            return first->second;
        // The clock went back since it was found due.
        m_resting[retryAfter(held->reason)].emplace(held->at, *first);
        m_ready.erase(first);
    }
    return std::nullopt;
}

void DossierShareQueue::sending(const std::string& ref) {
    change(ref, Sending{});
}

void DossierShareQueue::answered(const std::string& ref, const DossierPostOutcome& outcome,
                                 double now) {
    std::visit(Overloaded{
                   [&](const DossierPostOutcome::Added&) { change(ref, std::nullopt); },
                   [&](const DossierPostOutcome::Held& held) {
                       change(ref, Held{held.reason, held.msg, now});
                   },
                   [&](const DossierPostOutcome::Refused& refused) { change(ref, refused); },
               },
               outcome.value);
}

void DossierShareQueue::bridgeBack() {
    std::vector<std::string> back;
    for (const auto& [ref, state] : m_states) {
        if (const auto* held = std::get_if<Held>(&state); held && held->reason == "bridge")
            back.push_back(ref);
    }
    for (const std::string& ref : back)
        change(ref, Waiting{});
}

void DossierShareQueue::change(const std::string& ref, std::optional<State> state) {
    const auto listed = m_listed.find(ref);
    if (listed != m_listed.end())
        unindex({listed->second, ref}, this->state(ref));
    if (state)
        m_states.insert_or_assign(ref, std::move(*state));
    else if (const auto entry = m_states.find(ref); entry != m_states.end())
        m_states.erase(entry);
    if (listed != m_listed.end())
        index({listed->second, ref}, this->state(ref));
}

void DossierShareQueue::index(const Place& place, const State& state) {
    std::visit(
        Overloaded{
            [&](const Held& held) { m_resting[retryAfter(held.reason)].emplace(held.at, place); },
            [](const Refused&) {},
            [&](const Waiting&) { m_ready.insert(place); },
            [&](const Sending&) { ++m_sending; },
        },
        state);
}

void DossierShareQueue::unindex(const Place& place, const State& state) {
    std::visit(Overloaded{
                   [&](const Held& held) {
                       m_ready.erase(place);
                       m_resting[retryAfter(held.reason)].erase({held.at, place});
                   },
                   [](const Refused&) {},
                   [&](const Waiting&) { m_ready.erase(place); },
                   [&](const Sending&) { --m_sending; },
               },
               state);
}

std::string DossierShareQueue::line(std::string_view ref, bool bridgeUp) const {
    return std::visit(
        Overloaded{
            [&](const Waiting&) -> std::string {
                return bridgeUp ? "Waiting to send" : "Waiting for the bridge";
            },
            [](const Sending&) -> std::string { return "Sending…"; },
            [](const Held& held) -> std::string {
                if (held.reason == "bridge")
                    return "Waiting for the bridge";
                if (held.reason == "full")
                    return "Not added yet: your Dossier is full";
                return "Not added yet: " + held.msg;
            },
            [](const Refused& refused) -> std::string { return "Not added: " + refused.msg; },
        },
        state(ref));
}

double DossierShareQueue::retryAfter(std::string_view reason) {
    return reason == "bridge" ? bridgeRetry : otherRetry;
}

bool DossierShareQueue::shouldNotify(double createdAt, double now) {
    return now - createdAt > notifyAfter;
}
