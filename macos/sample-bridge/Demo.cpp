#include "sample-bridge/State.h"

#include <cmath>

namespace SampleBridge {

namespace {

constexpr double minute = 60;
constexpr double hour = 60 * minute;
constexpr double day = 24 * hour;

struct Conversation {
    const char* sessionId;
    const char* project;
    const char* title;
    double idleFor;
    const char* state;
    std::optional<double> memoryMB;
    bool pinned;
    bool agent;
};

JSON conversation(const Conversation& c, double now) {
    JSON object{
        {"session_id", c.sessionId}, {"short_id", std::string(c.sessionId, 8)},
        {"project", c.project},      {"cwd", std::string("/Users/ada/code/") + c.project},
        {"title", c.title},          {"last_active", std::llround((now - c.idleFor) * 1000)},
        {"state", c.state},          {"pinned", c.pinned},
        {"agent", c.agent}};
    if (c.memoryMB)
        object["memory_mb"] = *c.memoryMB;
    return object;
}

} // namespace

State State::demo() {
    State state;
    const double now = state.now();
    const auto at = [now](double ago) { return std::llround((now - ago) * 1000); };

    state.setHealth({.version = "1.3.1"});
    state.setDevices(JSON::array(
        {{{"device_id", "Ada's iPhone"},
          {"connected", true},
          {"connected_at", at(42 * minute)},
          {"last_seen", at(5)},
          {"paired_at", at(18 * day)},
          {"rotated_at", at(3 * day)},
          {"auth", "token"},
          {"encrypted", true},
          {"app", {{"version", "1.4.0"}, {"build", "212"}, {"distribution", "testflight"}}}}}));

    const Conversation pinned[] = {
        {"4f9c2a71-0d3e-4b8a-9a51-6e2f1c7d8b30", "garden-planner",
         "Fix the off-by-one in the watering schedule", 20, "working", 412.5, true, true},
        {"b27e6d05-93a1-4c6f-8e24-0f5d9a3c1e77", "kestrel-site", "Draft the launch blog post",
         4 * minute, "waiting", 238.0, true, true},
    };
    const Conversation recent[] = {
        {"e81d4c39-5b72-4f0e-a6c8-2d9b7f1a5e04", "garden-planner",
         "Add frost warnings to the forecast view", 25 * minute, "idle", 186.25, false, true},
        {"0a6f3b92-7c14-4d58-b1e9-8c3e5d2f6a19", "kestrel-site", "Compress the hero images",
         3 * hour, "open", 97.0, false, false},
        {"7d35e0c8-2f61-4a9b-93d7-5b8e1c4f0a62", "dotfiles", "Tidy the shell prompt", 2 * day,
         "dormant", std::nullopt, false, true},
    };
    JSON pinnedList = JSON::array();
    for (const Conversation& c : pinned)
        pinnedList.push_back(conversation(c, now));
    JSON recentList = JSON::array();
    for (const Conversation& c : recent)
        recentList.push_back(conversation(c, now));
    state.setConversations(std::move(pinnedList), std::move(recentList));

    state.setPairing({.host = "adas-macbook.local"});
    return state;
}

} // namespace SampleBridge
