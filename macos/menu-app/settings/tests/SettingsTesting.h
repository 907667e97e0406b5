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
        ::setenv("HOME", Testing::useTestHome().c_str(), 1);
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
    // Waits until the bridge has had `requests` requests in all, then lets their replies in.
    void settle(std::size_t requests) {
        ASSERT_TRUE(eventually([&] { return server().requests().size() >= requests; }));
        Dispatch::RunLoop::main().runFor(0.2);
    }
    // Loads and waits for the settings; the other two replies are let in as well.
    void loadSettled() {
        const std::size_t before = server().requests().size();
        model->load();
        settle(before + 3);
    }

    double now = midsummerNoon;
    std::shared_ptr<SettingsModel> model;
};
