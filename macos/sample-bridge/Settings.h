// The bridge's settings and its answers to GET and POST "/settings".
//
// The settings are kept as the JSON object of their values, under their own
// lowerCamelCase names. GET answers {"values", "tailnet"} (the tailnet only
// while one is set). A POST changes one setting, {"key", "value"}: the key
// must be a setting the bridge knows and the value of its type (a word it
// offers, a boolean, or a whole number of minutes); the answer is then the
// settings after the change. Anything else is refused with 400 and a "msg",
// without values. Tests may add a configuration error to every answer, have
// every change refused with a message of their choosing, or replace the
// values wholesale (kept verbatim, so that a key can be left out). Safe to
// call from any thread.
#pragma once

#include "sample-bridge/Reply.h"
#include "sample-bridge/Request.h"

#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace SampleBridge {

class Settings {
public:
    Settings();

    // The values a fresh bridge holds.
    static nlohmann::json defaults();

    void setValues(nlohmann::json values);
    nlohmann::json values() const;
    void setTailnet(std::optional<std::string> tailnet);
    void setConfigError(std::optional<std::string> error);
    // Every change is refused with `msg` until this is cleared with nothing.
    void refuseChanges(std::optional<std::string> msg);

    Reply answer(const Request& request);

private:
    nlohmann::json reply() const;
    // The refusal of `body`, or nothing when the change was made; with the lock held.
    std::optional<std::string> change(const nlohmann::json& body);

    mutable std::mutex m_mutex;
    nlohmann::json m_values;
    std::optional<std::string> m_tailnet;
    std::optional<std::string> m_configError;
    std::optional<std::string> m_refusal;
};

} // namespace SampleBridge
