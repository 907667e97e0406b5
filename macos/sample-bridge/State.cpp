#include "sample-bridge/State.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace SampleBridge {

namespace {

double systemNow() {
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::int64_t milliseconds(double seconds) {
    return std::llround(seconds * 1000);
}

} // namespace

State::State() : m_now(systemNow) {}

State::State(State&& other) noexcept {
    std::lock_guard lock(other.m_mutex);
    m_now = std::move(other.m_now);
    m_health = std::move(other.m_health);
    m_devices = std::move(other.m_devices);
    m_conversations = std::move(other.m_conversations);
    m_pairing = std::move(other.m_pairing);
    m_dossier = std::move(other.m_dossier);
    m_settings = std::move(other.m_settings);
}

void State::setClock(std::function<double()> now) {
    m_dossier->setClock(now);
    std::lock_guard lock(m_mutex);
    m_now = std::move(now);
}

double State::time() const {
    std::lock_guard lock(m_mutex);
    return now();
}

void State::setHealth(HealthSettings health) {
    std::lock_guard lock(m_mutex);
    m_health = std::move(health);
}

void State::setDevices(JSON rows) {
    std::lock_guard lock(m_mutex);
    m_devices = std::move(rows);
}

void State::setConversations(JSON pinned, JSON recent) {
    std::lock_guard lock(m_mutex);
    m_conversations = Conversations(std::move(pinned), std::move(recent));
}

void State::setPairing(PairingSettings settings) {
    std::lock_guard lock(m_mutex);
    m_pairing.configure(std::move(settings));
}

PairingSettings State::pairing() const {
    std::lock_guard lock(m_mutex);
    return m_pairing.settings();
}

void State::setKnocked(bool knocked) {
    std::lock_guard lock(m_mutex);
    m_pairing.setKnocked(knocked);
}

void State::setAskingDevice(std::optional<std::string> deviceId) {
    std::lock_guard lock(m_mutex);
    m_pairing.setAsking(std::move(deviceId));
}

void State::completePairing(std::string deviceId) {
    std::lock_guard lock(m_mutex);
    const PairedDevice device{std::move(deviceId), now()};
    m_pairing.complete(device.deviceId, device.at);
    addPairedDevice(device);
}

JSON State::health() {
    std::lock_guard lock(m_mutex);
    advancePairing();
    bool connected = false;
    if (m_devices.is_array())
        for (const JSON& row : m_devices)
            connected = connected || (row.is_object() && row.value("connected", JSON()) == true);
    JSON health{{"ok", m_health.ok}, {"version", m_health.version}, {"device", connected}};
    if (m_health.configError)
        health["config_error"] = *m_health.configError;
    return health;
}

JSON State::devices() {
    std::lock_guard lock(m_mutex);
    advancePairing();
    return {{"devices", m_devices}};
}

JSON State::conversations() const {
    std::lock_guard lock(m_mutex);
    return m_conversations.lists();
}

Outcome State::resume(std::string_view sessionId, ResumeMode mode) {
    std::lock_guard lock(m_mutex);
    return m_conversations.resume(sessionId, mode, milliseconds(now()));
}

Outcome State::sleep(std::string_view sessionId) {
    std::lock_guard lock(m_mutex);
    return m_conversations.sleep(sessionId);
}

Outcome State::pin(std::string_view sessionId, bool pinned) {
    std::lock_guard lock(m_mutex);
    return m_conversations.pin(sessionId, pinned);
}

Arming State::arm() {
    std::lock_guard lock(m_mutex);
    advancePairing();
    auto offer = m_pairing.arm(now());
    return {std::move(offer), m_pairing.settings().armingFailure.value_or("")};
}

JSON State::pairStatus() {
    std::lock_guard lock(m_mutex);
    advancePairing();
    return m_pairing.status();
}

bool State::forgetDevice(std::string_view deviceId) {
    std::lock_guard lock(m_mutex);
    if (!m_devices.is_array())
        return false;
    const auto before = m_devices.size();
    m_devices.erase(std::remove_if(m_devices.begin(), m_devices.end(),
                                   [&](const JSON& row) {
                                       return row.is_object() && row.value("device_id", JSON()) ==
                                                                     std::string(deviceId);
                                   }),
                    m_devices.end());
    return m_devices.size() != before;
}

void State::advancePairing() {
    if (const auto paired = m_pairing.advance(now()))
        addPairedDevice(*paired);
}

void State::addPairedDevice(const PairedDevice& device) {
    const std::int64_t at = milliseconds(device.at);
    JSON row{{"device_id", device.deviceId},
             {"connected", true},
             {"connected_at", at},
             {"last_seen", at},
             {"paired_at", at},
             {"auth", "token"},
             {"encrypted", true}};
    if (!m_devices.is_array())
        m_devices = JSON::array();
    for (JSON& existing : m_devices) {
        if (existing.is_object() && existing.value("device_id", JSON()) == device.deviceId) {
            existing = std::move(row);
            return;
        }
    }
    m_devices.push_back(std::move(row));
}

} // namespace SampleBridge
