#include "sample-bridge/Settings.h"

#include "sample-bridge/Routes.h"

#include <algorithm>
#include <vector>

namespace SampleBridge {

namespace {

using JSON = nlohmann::json;

// The words each text setting takes; an empty list marks a boolean, none the minutes.
struct Known {
    const char* key;
    std::vector<std::string> words;
    bool boolean = false;
};

const std::vector<Known>& knownSettings() {
    static const std::vector<Known> known{
        {"connectionMode", {"local", "tailscale"}},
        {"wakeScope", {"listed", "any"}},
        {"remoteControlOnResume", {}, true},
        {"pushDetail", {"minimal", "full"}},
        {"pttReplies", {}, true},
        {"voiceLevel", {"off", "approvals", "choices", "responses", "all"}},
        {"speakMode", {"interrupt", "queue"}},
        {"speakCompletions", {}, true},
        {"speakFullResponse", {}, true},
        {"legacyPhones", {}, true},
        {"allowSessionRestart", {}, true},
        {"lockScreenApprovalsAfterIdleMin", {}, false},
    };
    return known;
}

bool fits(const Known& setting, const JSON& value) {
    if (setting.boolean)
        return value.is_boolean();
    if (!setting.words.empty())
        return value.is_string() &&
               std::ranges::find(setting.words, value.get<std::string>()) != setting.words.end();
    // Minutes: a whole number from 0 to a day.
    return value.is_number_integer() && value.get<std::int64_t>() >= 0 &&
           value.get<std::int64_t>() <= 1440;
}

} // namespace

Settings::Settings() : m_values(defaults()) {}

JSON Settings::defaults() {
    return {{"connectionMode", "local"},
            {"wakeScope", "listed"},
            {"remoteControlOnResume", false},
            {"pushDetail", "full"},
            {"pttReplies", true},
            {"voiceLevel", "responses"},
            {"speakMode", "interrupt"},
            {"speakCompletions", true},
            {"speakFullResponse", true},
            {"legacyPhones", false},
            {"allowSessionRestart", false},
            {"lockScreenApprovalsAfterIdleMin", 3}};
}

void Settings::setValues(JSON values) {
    std::lock_guard lock(m_mutex);
    m_values = std::move(values);
}

JSON Settings::values() const {
    std::lock_guard lock(m_mutex);
    return m_values;
}

void Settings::setTailnet(std::optional<std::string> tailnet) {
    std::lock_guard lock(m_mutex);
    m_tailnet = std::move(tailnet);
}

void Settings::setConfigError(std::optional<std::string> error) {
    std::lock_guard lock(m_mutex);
    m_configError = std::move(error);
}

void Settings::refuseChanges(std::optional<std::string> msg) {
    std::lock_guard lock(m_mutex);
    m_refusal = std::move(msg);
}

JSON Settings::reply() const {
    JSON body{{"values", m_values}};
    if (m_tailnet)
        body["tailnet"] = *m_tailnet;
    if (m_configError)
        body["config_error"] = *m_configError;
    return body;
}

std::optional<std::string> Settings::change(const JSON& body) {
    if (m_refusal)
        return m_refusal;
    const auto key = body.find("key");
    const auto value = body.find("value");
    if (key == body.end() || !key->is_string() || value == body.end())
        return "A change needs a key and a value.";
    const auto& known = knownSettings();
    const auto setting =
        std::ranges::find_if(known, [&](const Known& candidate) { return *key == candidate.key; });
    if (setting == known.end())
        return "There is no setting “" + key->get<std::string>() + "”.";
    if (!fits(*setting, *value))
        return "“" + key->get<std::string>() + "” can't be set to " +
               value->dump(-1, ' ', false, JSON::error_handler_t::replace) + ".";
    if (!m_values.is_object())
        return std::string("The settings aren't readable.");
    m_values[setting->key] = *value;
    return std::nullopt;
}

Reply Settings::answer(const Request& request) {
    std::lock_guard lock(m_mutex);
    if (request.method == "GET")
        return jsonReply(200, reply());
    const auto body = objectBody(request);
    if (!body)
        return badRequest();
    if (const auto refusal = change(*body))
        return message(400, *refusal);
    JSON answer = reply();
    answer["ok"] = true;
    return jsonReply(200, answer);
}

} // namespace SampleBridge
