// The pairing window a client opens so that a phone can pair, and the phone's
// progress through it.
//
// Arming makes a fresh six-digit code and opens the window for the set number
// of seconds; arming again starts over. While the window is open a phone may
// knock, then ask to pair under its name; a completed pairing closes the
// window, as does its end. With the simulated phone on, a phone knocks 3 s
// after arming, asks 4 s after and pairs 6 s after, if the window is still
// open then. Times are seconds since 1970 handed in by the caller, and the
// window moves on only when `advance` is called, so a test's clock drives it.
// Not thread-safe: the state that owns it guards it.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <random>
#include <string>

namespace SampleBridge {

using JSON = nlohmann::json;

struct PairingSettings {
    double window = 120;
    std::string host = "localhost";
    bool tailscaleOnly = false;
    // When set, arming fails with this message.
    std::optional<std::string> armingFailure = std::nullopt;
    bool simulatedPhone = false;
};

struct PairedDevice {
    std::string deviceId;
    double at;
};

class Pairing {
public:
    void configure(PairingSettings settings) { m_settings = std::move(settings); }
    const PairingSettings& settings() const { return m_settings; }

    // The offer {"code", "uri", "host", "tailscale_only"}; nothing when arming is set to fail.
    std::optional<JSON> arm(double now);
    // Brings the window and the simulated phone up to `now`; the phone that paired on the way.
    std::optional<PairedDevice> advance(double now);
    // {"armed", "knocked"}, "code" and "uri" while armed, "device_id" while a phone asks,
    // "paired" {"device_id", "at"} once a pairing completed.
    JSON status() const;

    void setKnocked(bool knocked) { m_knocked = knocked; }
    void setAsking(std::optional<std::string> deviceId) { m_asking = std::move(deviceId); }
    void complete(std::string deviceId, double at);

private:
    std::string uri() const;

    PairingSettings m_settings;
    std::mt19937 m_random{std::random_device{}()};
    bool m_armed = false;
    double m_armedAt = 0;
    double m_closesAt = 0;
    std::string m_code;
    bool m_knocked = false;
    std::optional<std::string> m_asking;
    std::optional<PairedDevice> m_paired;
};

} // namespace SampleBridge
