// The Settings window's model: the bridge's settings, phones and environments.
//
// It is made around the application's one bridge client, which it keeps for
// all its requests, and it changes only on the main thread. The window's
// controller asks it to load each time the window is shown and to load the
// environments every 5 seconds while the window is open. The records and the
// requests themselves come with the Settings view; until then the model
// holds its bridge and loads nothing.
#pragma once

#include "menubar/Bridge.h"

#include <memory>

class SettingsModel {
public:
    explicit SettingsModel(std::shared_ptr<Bridge> bridge) : m_bridge(std::move(bridge)) {}

    const std::shared_ptr<Bridge>& bridge() const { return m_bridge; }

    void load() {}
    void loadEnvironments() {}

private:
    std::shared_ptr<Bridge> m_bridge;
};
