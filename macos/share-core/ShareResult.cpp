#include "ShareResult.h"

namespace {

constexpr const char* bridgeDown =
    "Saved · it goes to your Dossier when Kestrelhaven's bridge is running";

ShareResult fromAnswer(const DossierShareAnswer& answer) {
    switch (answer.state) {
    case DossierShareAnswer::State::added: {
        std::string detail;
        if (answer.minutes)
            detail = std::to_string(*answer.minutes) + " min";
        if (answer.tag && !answer.tag->empty())
            detail += (detail.empty() ? "" : " · ") + *answer.tag;
        return ShareResult::added(detail);
    }
    case DossierShareAnswer::State::refused:
        return ShareResult::refused(answer.msg);
    case DossierShareAnswer::State::held:
        break;
    }
    if (answer.reason == "full")
        return ShareResult::waiting(
            "Saved · your Dossier is full, so it waits in Kestrelhaven until there's room");
    if (answer.reason == "bridge")
        return ShareResult::waiting(bridgeDown);
    return ShareResult::waiting("Saved · not added yet: " + answer.msg);
}

} // namespace

ShareResult ShareResult::from(const std::optional<DossierShareAnswer>& answer,
                              const std::optional<MacShareState>& state, double now) {
    if (answer)
        return fromAnswer(*answer);
    if (!state || !state->menuRunning(now))
        return waiting("Saved · it goes to your Dossier when Kestrelhaven is running");
    if (state->bridgeUp)
        return waiting("Saved · Kestrelhaven adds it to your Dossier in a moment");
    return waiting(bridgeDown);
}
