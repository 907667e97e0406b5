// The sample bridge's in-memory state: health, paired phones, conversations,
// the pairing window and the Dossier, with the answers the bridge gives from them.
//
// Every member is safe to call from any thread; the server's connections and a
// test share one state. A default state is empty: healthy, no phones, no
// conversations. `demo()` is a small believable data set for someone trying
// the app. Times come from a clock a test may replace (seconds since 1970)
// and go out as milliseconds since 1970; the pairing window moves on with that
// clock whenever the state is read.
#pragma once

#include "sample-bridge/Conversations.h"
#include "sample-bridge/Dossier.h"
#include "sample-bridge/Pairing.h"
#include "sample-bridge/Settings.h"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace SampleBridge {

struct HealthSettings {
    bool ok = true;
    std::string version = "1.0.0";
    std::optional<std::string> configError = std::nullopt;
};

// A pairing offer, or the message arming failed with.
struct Arming {
    std::optional<JSON> offer;
    std::string failure;
};

class State {
public:
    State();
    State(State&& other) noexcept;
    State& operator=(State&&) = delete;

    static State demo();

    void setClock(std::function<double()> now);
    void setHealth(HealthSettings health);
    // Rows as the bridge sends them, kept verbatim.
    void setDevices(JSON rows);
    void setConversations(JSON pinned, JSON recent);
    void setPairing(PairingSettings settings);
    PairingSettings pairing() const;
    void setKnocked(bool knocked);
    void setAskingDevice(std::optional<std::string> deviceId);
    // Completes a pairing now and adds the phone as a connected device with auth "token".
    void completePairing(std::string deviceId);

    // {"ok", "version", "device"}, with "config_error" when one is set.
    JSON health();
    // {"devices": rows}
    JSON devices();
    // {"pinned": [...], "recent": [...]}
    JSON conversations() const;
    Outcome resume(std::string_view sessionId, ResumeMode mode);
    Outcome sleep(std::string_view sessionId);
    Outcome pin(std::string_view sessionId, bool pinned);
    Arming arm();
    JSON pairStatus();
    // The Dossier, which guards itself; it follows the state's clock.
    Dossier& dossier() { return *m_dossier; }
    // The settings, which guard themselves.
    Settings& settings() { return *m_settings; }
    // Removes the phone with this id from the devices; false when none has it.
    bool forgetDevice(std::string_view deviceId);

    // Seconds since 1970 on the state's clock.
    double time() const;

private:
    // All three with the lock held.
    double now() const { return m_now(); }
    void advancePairing();
    void addPairedDevice(const PairedDevice& device);

    mutable std::mutex m_mutex;
    std::function<double()> m_now;
    HealthSettings m_health;
    JSON m_devices = JSON::array();
    Conversations m_conversations;
    Pairing m_pairing;
    std::unique_ptr<Dossier> m_dossier = std::make_unique<Dossier>();
    std::unique_ptr<Settings> m_settings = std::make_unique<Settings>();
};

} // namespace SampleBridge
