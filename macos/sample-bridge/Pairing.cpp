#include "sample-bridge/Pairing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace SampleBridge {

namespace {

constexpr double knockAfter = 3;
constexpr double askAfter = 4;
constexpr double pairAfter = 6;
constexpr const char* simulatedPhoneName = "Ada's iPad";

std::string percentEncoded(std::string_view text) {
    std::string encoded;
    for (const unsigned char c : text) {
        if (std::isalnum(c) ||
            std::string_view("-._~:").find(static_cast<char>(c)) != std::string_view::npos) {
            encoded += static_cast<char>(c);
        } else {
            char escape[4];
            std::snprintf(escape, sizeof escape, "%%%02X", c);
            encoded += escape;
        }
    }
    return encoded;
}

} // namespace

std::optional<JSON> Pairing::arm(double now) {
    if (m_settings.armingFailure)
        return std::nullopt;
    m_code = std::to_string(std::uniform_int_distribution<int>(0, 999'999)(m_random));
    m_code.insert(0, 6 - m_code.size(), '0');
    m_armed = true;
    m_armedAt = now;
    m_closesAt = now + m_settings.window;
    m_knocked = false;
    m_asking.reset();
    m_paired.reset();
    return JSON{{"code", m_code},
                {"uri", uri()},
                {"host", m_settings.host},
                {"tailscale_only", m_settings.tailscaleOnly}};
}

std::optional<PairedDevice> Pairing::advance(double now) {
    if (!m_armed)
        return std::nullopt;
    if (m_settings.simulatedPhone) {
        const double elapsed = std::min(now, m_closesAt) - m_armedAt;
        if (elapsed >= knockAfter)
            m_knocked = true;
        if (elapsed >= askAfter)
            m_asking = simulatedPhoneName;
        if (elapsed >= pairAfter && m_armedAt + pairAfter < m_closesAt) {
            complete(simulatedPhoneName, m_armedAt + pairAfter);
            return m_paired;
        }
    }
    if (now >= m_closesAt) {
        m_armed = false;
        m_asking.reset();
    }
    return std::nullopt;
}

JSON Pairing::status() const {
    JSON status{{"armed", m_armed}, {"knocked", m_knocked}};
    if (m_armed) {
        status["code"] = m_code;
        status["uri"] = uri();
    }
    if (m_asking)
        status["device_id"] = *m_asking;
    if (m_paired)
        status["paired"] = {{"device_id", m_paired->deviceId},
                            {"at", std::llround(m_paired->at * 1000)}};
    return status;
}

void Pairing::complete(std::string deviceId, double at) {
    m_paired = PairedDevice{std::move(deviceId), at};
    m_asking.reset();
    m_armed = false;
}

std::string Pairing::uri() const {
    return "kestrelhaven://pair?code=" + m_code + "&host=" + percentEncoded(m_settings.host);
}

} // namespace SampleBridge
