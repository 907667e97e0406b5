#include "settings/SettingsModel.h"

#include "menubar/StartError.h"

namespace {

using JSON = JSONCoding::JSON;

// The reply of POST /environments.
struct Answer {
    std::optional<std::string> msg;
    static Answer decode(const JSONCoding::Decoder& d) { return {d.optional<std::string>("msg")}; }
};

std::string notAnswering() {
    if (const auto error = StartError::recent())
        return "The bridge can't start: " + *error;
    return "The bridge isn't answering. Is it running? (kestrelhaven status)";
}

} // namespace

bool SettingsModel::ReplyOrder::admit(std::uint64_t number) {
    if (number < m_applied)
        return false;
    m_applied = number;
    return true;
}

SettingsModel::SettingsModel(std::shared_ptr<Bridge> bridge) : m_bridge(std::move(bridge)) {}

std::weak_ptr<SettingsModel> SettingsModel::weakSelf() {
    return std::static_pointer_cast<SettingsModel>(shared_from_this());
}

std::optional<std::vector<DeviceRow>> SettingsModel::loadedDevices() const {
    if (!devicesFresh.get())
        return std::nullopt;
    return devices.get();
}

void SettingsModel::load() {
    reload(std::nullopt);
}

void SettingsModel::reload(const std::optional<std::string>& failedSave) {
    loadSettings(failedSave);
    loadDevices();
    loadEnvironments();
}

void SettingsModel::loadSettings(const std::optional<std::string>& failedSave) {
    m_bridge->fetch<SettingsReply>("/settings", "GET",
                                   [weak = weakSelf(), number = m_settingsOrder.next(),
                                    failedSave](std::optional<SettingsReply> reply) {
                                       const auto self = weak.lock();
                                       if (self && self->m_settingsOrder.admit(number))
                                           self->applySettings(reply, failedSave);
                                   });
}

void SettingsModel::applySettings(const std::optional<SettingsReply>& reply,
                                  const std::optional<std::string>& failedSave) {
    if (!reply || !reply->values) {
        const std::string failure =
            reply && reply->config_error ? *reply->config_error : notAnswering();
        problem = failedSave ? *failedSave + " " + failure : failure;
        return;
    }
    m_held = reply->values;
    values = reply->values;
    tailnet = reply->tailnet;
    if (reply->config_error || !failedSave)
        problem = reply->config_error;
}

void SettingsModel::loadDevices() {
    m_bridge->fetch<DeviceLists>(
        "/devices", "GET",
        [weak = weakSelf(), number = m_devicesOrder.next()](std::optional<DeviceLists> reply) {
            const auto self = weak.lock();
            if (!self || !self->m_devicesOrder.admit(number))
                return;
            if (!reply) {
                self->devicesFresh = false;
                self->devices = std::vector<DeviceRow>{};
                return;
            }
            const auto found = reply->find("devices");
            self->devices = found == reply->end() ? std::vector<DeviceRow>{} : found->second;
            self->devicesFresh = true;
        });
}

void SettingsModel::loadEnvironments() {
    m_bridge->fetch<EnvironmentLists>(
        "/environments", "GET",
        [weak = weakSelf(),
         number = m_environmentsOrder.next()](std::optional<EnvironmentLists> reply) {
            const auto self = weak.lock();
            if (!self || !reply || !self->m_environmentsOrder.admit(number))
                return;
            const auto found = reply->find("environments");
            self->environments =
                found == reply->end() ? std::vector<EnvironmentRow>{} : found->second;
        });
}

void SettingsModel::set(const std::string& key, JSON value) {
    m_bridge->call<SettingsReply>("/settings", "POST",
                                  JSON{{"key", key}, {"value", std::move(value)}}, postTimeout,
                                  [weak = weakSelf(), number = m_settingsOrder.next()](
                                      std::optional<SettingsReply> reply, int status) {
                                      if (const auto self = weak.lock())
                                          self->applySaved(reply, status, number);
                                  });
}

void SettingsModel::applySaved(const std::optional<SettingsReply>& reply, int status,
                               std::uint64_t number) {
    if (reply && reply->values) {
        if (m_settingsOrder.admit(number)) {
            m_held = reply->values;
            values = reply->values;
            problem = reply->config_error;
        }
        return;
    }
    // A newer reply applied meanwhile already shows what the bridge holds.
    if (m_settingsOrder.admit(number))
        values = m_held;
    const std::string sentence =
        reply && reply->msg ? *reply->msg
                            : "That setting didn't save (HTTP " + std::to_string(status) + ").";
    problem = sentence;
    reload(sentence);
}

void SettingsModel::forget(const std::string& deviceId) {
    m_bridge->call<std::map<std::string, bool>>(
        "/devices/forget", "POST", JSON{{"device_id", deviceId}}, postTimeout,
        [weak = weakSelf()](std::optional<std::map<std::string, bool>>, int) {
            if (const auto self = weak.lock())
                self->load();
        });
}

void SettingsModel::removeEnvironment(const std::string& name) {
    m_bridge->call<Answer>("/environments", "POST", JSON{{"name", name}, {"remove", true}},
                           postTimeout,
                           [weak = weakSelf()](std::optional<Answer> answer, int status) {
                               const auto self = weak.lock();
                               if (!self)
                                   return;
                               if (status != 200)
                                   self->problem = answer && answer->msg
                                                       ? *answer->msg
                                                       : "That environment wasn't removed (HTTP " +
                                                             std::to_string(status) + ").";
                               self->loadEnvironments();
                           });
}
