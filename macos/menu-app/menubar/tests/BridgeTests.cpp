#include "menubar/Bridge.h"
#include "menubar/BridgeRecords.h"
#include "menubar/tests/WithSampleBridge.h"

#include <Dispatch/RunLoop.h>
#include <chrono>

using Dispatch::RunLoop;
using SampleBridge::Reply;

namespace {

struct CallOutcome {
    bool arrived = false;
    bool onMainThread = false;
    std::optional<Health> health;
    int status = -1;
};

class BridgeClient : public WithSampleBridge {
protected:
    CallOutcome call(const std::string& path, std::optional<JSONCoding::JSON> body = {}) {
        CallOutcome outcome;
        bridge.call<Health>(path, "POST", std::move(body), 2,
                            [&](std::optional<Health> health, int status) {
                                outcome = {true, RunLoop::isMainThread(), health, status};
                            });
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return outcome.arrived; }, 5));
        return outcome;
    }

    template <class Reply> std::optional<Reply> fetch(const std::string& path) {
        bool arrived = false;
        std::optional<Reply> value;
        bridge.fetch<Reply>(path, "GET", [&](std::optional<Reply> reply) {
            EXPECT_TRUE(RunLoop::isMainThread());
            value = std::move(reply);
            arrived = true;
        });
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return arrived; }, 5));
        return value;
    }

    Bridge bridge;
};

} // namespace

TEST_F(BridgeClient, CallDecodesWhateverTheStatusAndFetchOnlyOn200) {
    server().script("/h", Reply::json(404, R"({"ok": false, "version": "1.2"})"));
    auto outcome = call("/h");
    EXPECT_TRUE(outcome.onMainThread);
    EXPECT_EQ(outcome.status, 404);
    ASSERT_TRUE(outcome.health);
    EXPECT_EQ(outcome.health->version, "1.2");

    server().script("/h", Reply::json(404, R"({"ok": false})"));
    EXPECT_FALSE(fetch<Health>("/h"));

    server().script("/h", Reply::json(500, ""));
    outcome = call("/h");
    EXPECT_EQ(outcome.status, 500);
    EXPECT_FALSE(outcome.health);

    // A head without a numeric status still hands over a body that decodes, with status 0.
    server().script("/h", Reply::raw("HTTP/1.1 OK\r\n\r\n{\"ok\": true}"));
    outcome = call("/h");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_TRUE(outcome.health);
    server().script("/h", Reply::raw("HTTP/1.1 OK\r\n\r\n{\"ok\": true}"));
    EXPECT_FALSE(fetch<Health>("/h"));
}

TEST_F(BridgeClient, HealthDecodesStrictly) {
    server().script("/healthz", Reply::json(200, R"({"ok": true, "version": "2.0", "device": true,
        "config_error": "bad key", "uptime": 12})"));
    const auto health = fetch<Health>("/healthz");
    ASSERT_TRUE(health);
    EXPECT_TRUE(health->ok);
    EXPECT_EQ(health->device, true);
    EXPECT_EQ(health->config_error, "bad key");

    for (const char* body : {R"({"version": "2.0"})", R"({"ok": true, "version": 2})",
                             R"({"ok": "yes"})", R"({"ok": true)", R"([true])"}) {
        server().script("/healthz", Reply::json(200, body));
        EXPECT_FALSE(fetch<Health>("/healthz")) << body;
    }
}

TEST_F(BridgeClient, DeviceRowsMayCarryAnySubsetOfTheirKeys) {
    server().script("/devices", Reply::json(200, R"({"devices": [
        {"device_id": "Ada", "connected": true, "last_seen": 1700000000123.5, "auth": "token",
         "app": {"distribution": "testflight"}},
        {"app": null},
        {}
    ]})"));
    const auto lists = fetch<DeviceLists>("/devices");
    ASSERT_TRUE(lists);
    const auto& rows = lists->at("devices");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].device_id, "Ada");
    EXPECT_EQ(rows[0].last_seen, 1700000000123.5);
    EXPECT_EQ(rows[0].app->distribution, "testflight");
    EXPECT_FALSE(rows[0].app->version);
    EXPECT_FALSE(rows[1].app);
    EXPECT_FALSE(rows[2].device_id);

    server().script("/devices", Reply::json(200, R"({"devices": [], "count": 0})"));
    EXPECT_FALSE(fetch<DeviceLists>("/devices"));
    server().script("/devices", Reply::json(200, R"({"devices": [{"connected": "yes"}]})"));
    EXPECT_FALSE(fetch<DeviceLists>("/devices"));
}

TEST_F(BridgeClient, RepliesComeBackInTheOrderTheExchangesFinish) {
    // The first exchange's reply is held at the bridge until the second's has come back.
    auto held = scriptHeld("/slow", Reply::json(200, R"({"ok": true, "version": "slow"})"));
    std::vector<std::string> order;
    const auto record = [&](std::optional<Health> health, int) {
        order.push_back(health ? health->version.value_or("") : "none");
    };
    bridge.call<Health>("/slow", "GET", std::nullopt, 5, record);
    bridge.call<Health>("/healthz", "GET", std::nullopt, 5, record);
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return order.size() == 1; }, 5));
    held.open();
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return order.size() == 2; }, 5));
    ASSERT_EQ(order.size(), 2u);
    EXPECT_EQ(order[1], "slow");
}

TEST_F(BridgeClient, ABodyThatCannotBeSerialisedIsNeverSent) {
    const auto outcome = call("/conversations/pin", JSONCoding::JSON{{"session_id", "\xFF\xFE"}});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_FALSE(outcome.health);
    EXPECT_TRUE(server().requests().empty());
}

TEST_F(BridgeClient, FetchWaitsTwoSecondsForItsReply) {
    auto held = scriptHeld("/healthz", Reply::json(200, R"({"ok": true})"));
    bool arrived = false;
    bridge.fetch<Health>("/healthz", "GET", [&](std::optional<Health>) { arrived = true; });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return held.reached(); }, 5));
    EXPECT_EQ(timeOutsWaiting(), std::vector<double>{2.0});
    held.open();
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return arrived; }, 5));
}

TEST_F(BridgeClient, WithTheBridgeStoppedFetchGivesNothingWithinMoments) {
    stopServer();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(fetch<Health>("/healthz"));
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 1.0);
    const auto outcome = call("/healthz");
    EXPECT_TRUE(outcome.arrived);
    EXPECT_EQ(outcome.status, 0);
}
