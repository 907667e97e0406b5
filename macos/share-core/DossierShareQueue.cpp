#include "DossierShareQueue.h"

#include "Overloaded.h"

#include <algorithm>

namespace {

constexpr double bridgeRetry = 15000;
constexpr double otherRetry = 120000;
// The share sheet waits 4 seconds for its answer; later ones deserve a notification.
constexpr double notifyAfter = 5000;

} // namespace

DossierShareQueue::State DossierShareQueue::state(std::string_view ref) const {
    const auto found = states.find(ref);
    return found == states.end() ? State(Waiting{}) : found->second;
}

std::optional<std::string> DossierShareQueue::next(const std::vector<std::string>& refs,
                                                   double now) const {
    const auto isSending = [&](const std::string& ref) {
        return std::holds_alternative<Sending>(state(ref));
    };
    if (std::any_of(refs.begin(), refs.end(), isSending))
        return std::nullopt;
    for (const std::string& ref : refs) {
        const State current = state(ref);
        if (std::holds_alternative<Waiting>(current))
            return ref;
        if (const auto* held = std::get_if<Held>(&current);
            held && now - held->at >= retryAfter(held->reason))
            return ref;
    }
    return std::nullopt;
}

void DossierShareQueue::sending(const std::string& ref) {
    states.insert_or_assign(ref, Sending{});
}

void DossierShareQueue::answered(const std::string& ref, const DossierPostOutcome& outcome,
                                 double now) {
    std::visit(Overloaded{
                   [&](const DossierPostOutcome::Added&) { states.erase(ref); },
                   [&](const DossierPostOutcome::Held& held) {
                       states.insert_or_assign(ref, Held{held.reason, held.msg, now});
                   },
                   [&](const DossierPostOutcome::Refused& refused) {
                       states.insert_or_assign(ref, refused);
                   },
               },
               outcome.value);
}

void DossierShareQueue::bridgeBack() {
    for (auto& [ref, state] : states) {
        if (const auto* held = std::get_if<Held>(&state); held && held->reason == "bridge")
            state = Waiting{};
    }
}

void DossierShareQueue::keep(const std::vector<std::string>& only) {
    std::erase_if(states, [&](const auto& entry) {
        return std::find(only.begin(), only.end(), entry.first) == only.end();
    });
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
