// A test fixture for the Settings window: the sample bridge in the test home,
// the user's locale and the wall clock fixed, and a Settings model on its
// own bridge client.
#pragma once

#include "menubar/tests/WithSampleBridge.h"
#include "settings/SettingsModel.h"

#include <Dispatch/RunLoop.h>
#include <Foundation/DateFormatter.h>
#include <Foundation/SystemTime.h>
#include <cstdlib>
#include <functional>
#include <memory>
#include <sample-bridge/Routes.h>
#include <string>
#include <string_view>
#include <vector>

class SettingsFixture : public WithSampleBridge {
protected:
    using JSON = JSONCoding::JSON;

    // 2024-06-15 12:00 UTC.
    static constexpr double midsummerNoon = 1718452800;

    void SetUp() override {
        WithSampleBridge::SetUp();
        // The bridge keeps its environments under HOME.
        Testing::useTestHome();
        Foundation::setUserLocale("en_GB", "Europe/London");
        Foundation::SystemTime::setSource([this] { return now; });
        server().state().setClock([this] { return now; });
        model = std::make_shared<SettingsModel>(std::make_shared<Bridge>());
    }

    void TearDown() override {
        Foundation::SystemTime::setSource({});
        // The server's threads read this fixture's clock: they end before the fixture does.
        stopServer();
    }

    SampleBridge::Settings& bridgeSettings() { return server().state().settings(); }

    // The bodies posted to `route`, in the order they arrived.
    std::vector<JSON> posted(std::string_view route) {
        std::vector<JSON> bodies;
        for (const auto& request : server().requests())
            if (request.route() == route && request.method == "POST")
                bodies.push_back(JSON::parse(request.body, nullptr, false));
        return bodies;
    }
    std::size_t count(std::string_view route) {
        std::size_t found = 0;
        for (const auto& request : server().requests())
            found += request.route() == route;
        return found;
    }

    static bool eventually(const std::function<bool()>& condition, double timeout = 5) {
        return Dispatch::RunLoop::main().runUntil(condition, timeout);
    }
    // Waits until the bridge has had `requests` requests in all, then gives their replies a
    // moment, long enough to see a reply that should change nothing.
    void settle(std::size_t requests) {
        ASSERT_TRUE(eventually([&] { return server().requests().size() >= requests; }));
        Dispatch::RunLoop::main().runFor(0.2);
    }
    // Loads and waits until the model shows what the bridge holds.
    void loadSettled() {
        const std::size_t before = server().requests().size();
        model->load();
        ASSERT_TRUE(eventually(
            [&] { return server().requests().size() >= before + 3 && showsTheBridge(); }));
    }

    // Whether the model shows what the bridge would answer now: its settings with their tailnet
    // and configuration error, its phones and its environments. Replies that would change none
    // of it may still be on their way.
    bool showsTheBridge() {
        const auto answer = [&](const char* path) {
            const std::string reply =
                SampleBridge::answer(server().state(), {"GET", path, {}, {}}).bytes;
            return JSON::parse(reply.substr(reply.find("\r\n\r\n") + 4), nullptr, false);
        };
        const auto settings = JSONCoding::decodeJSON<SettingsReply>(answer("/settings"));
        const auto phones = JSONCoding::decodeJSON<DeviceLists>(answer("/devices"));
        const auto environments = JSONCoding::decodeJSON<EnvironmentLists>(answer("/environments"));
        if (!settings || !phones || !environments)
            return false;
        return model->values.get() == settings->values &&
               model->tailnet.get() == settings->tailnet &&
               model->problem.get() == settings->config_error && model->devicesFresh.get() &&
               model->devices.get() == phones->at("devices") &&
               model->environments.get() == environments->at("environments");
    }

    double now = midsummerNoon;
    std::shared_ptr<SettingsModel> model;
};
