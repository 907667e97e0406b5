#include "RawClient.h"

#include <Testing/Testing.h>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <sample-bridge/Server.h>
#include <set>

using namespace SampleBridge;
using nlohmann::json;

namespace {

constexpr double start = 1'700'000'000;

class SampleBridgeAnswers : public testing::Test {
protected:
    void SetUp() override {
        server.state().setClock([this] { return clock.load(); });
    }

    RawClient::Response get(std::string_view path) {
        return RawClient::get(server.socketPath(), path);
    }
    RawClient::Response post(std::string_view path, const json& body) {
        return RawClient::post(server.socketPath(), path, body.dump());
    }
    void plantConversations() {
        const auto conversation = [](const char* id, const char* state, bool pinned, bool agent,
                                     double lastActive) {
            return json{{"session_id", id}, {"state", state},     {"pinned", pinned},
                        {"agent", agent},   {"memory_mb", 100.5}, {"last_active", lastActive}};
        };
        server.state().setConversations(
            json::array({conversation("p1", "working", true, true, 900)}),
            json::array({conversation("r1", "idle", false, true, 800),
                         conversation("r2", "dormant", false, true, 500),
                         conversation("r3", "open", false, false, 100)}));
    }
    json conversation(const std::string& id) {
        const json lists = get("/conversations").json();
        for (const char* list : {"pinned", "recent"})
            for (const json& c : lists[list])
                if (c["session_id"] == id)
                    return c;
        return nullptr;
    }
    std::vector<std::string> ids(const char* list) {
        std::vector<std::string> found;
        const json lists = get("/conversations").json();
        for (const json& c : lists[list])
            found.push_back(c["session_id"]);
        return found;
    }

    Testing::TemporaryFolder folder;
    Server server{folder.path() / "bridge.sock", State()};
    std::atomic<double> clock = start;
};

json message(bool ok, const char* text) {
    return {{"ok", ok}, {"msg", text}};
}

} // namespace

TEST_F(SampleBridgeAnswers, HealthReflectsSettingsAndConnectedDevices) {
    EXPECT_EQ(get("/healthz").json(),
              json::parse(R"({"ok":true,"version":"1.0.0","device":false})"));
    EXPECT_EQ(get("/devices").json(), json::parse(R"({"devices":[]})"));
    EXPECT_EQ(get("/conversations").json(), json::parse(R"({"pinned":[],"recent":[]})"));

    server.state().setHealth({.ok = false, .version = "2.1.0", .configError = "token missing"});
    const json rows =
        json::array({{{"device_id", "old"}, {"connected", false}},
                     {{"device_id", "now"}, {"connected", true}, {"auth", "legacy"}}});
    server.state().setDevices(rows);
    const auto health = get("/healthz");
    EXPECT_EQ(health.status, 200);
    EXPECT_NE(health.head.find("Content-Length: "), std::string::npos);
    EXPECT_EQ(health.json(), json::parse(R"({"ok":false,"version":"2.1.0","device":true,
                                             "config_error":"token missing"})"));
    EXPECT_EQ(get("/devices").json(), json({{"devices", rows}}));
}

TEST_F(SampleBridgeAnswers, UnknownPathsWrongMethodsAndBadBodiesAreRefused) {
    EXPECT_EQ(get("/nowhere").status, 404);
    EXPECT_EQ(get("/nowhere").json(), message(false, "Not found"));
    EXPECT_EQ(get("/healthz/").status, 404);
    for (const auto& [method, path] :
         std::vector<std::pair<std::string, std::string>>{{"POST", "/healthz"},
                                                          {"GET", "/pair/arm"},
                                                          {"DELETE", "/devices"},
                                                          {"get", "/healthz"}}) {
        const auto response =
            RawClient::exchange(server.socketPath(), method + " " + path + " HTTP/1.1\r\n\r\n");
        EXPECT_EQ(response.status, 405) << method << " " << path;
        EXPECT_EQ(response.json(), message(false, "Method not allowed"));
    }
    plantConversations();
    for (const char* body : {"", "[1]", "\"r2\"", "{not json", "null"}) {
        const auto response = RawClient::post(server.socketPath(), "/conversations/resume", body);
        EXPECT_EQ(response.status, 400) << body;
        EXPECT_EQ(response.json(), message(false, "Bad request"));
    }
    EXPECT_EQ(post("/conversations/resume", {{"session_id", "r2"}}).status, 400);
    EXPECT_EQ(post("/conversations/resume", {{"session_id", "r2"}, {"mode", "tmux"}}).status, 400);
    EXPECT_EQ(post("/conversations/sleep", {{"session_id", 7}}).status, 400);
    EXPECT_EQ(post("/conversations/pin", {{"session_id", "r2"}, {"pinned", 1}}).status, 400);
    EXPECT_EQ(RawClient::post(server.socketPath(), "/pair/arm", "[]").status, 400);
    EXPECT_EQ(conversation("r2")["state"], "dormant");
}

TEST_F(SampleBridgeAnswers, ResumingWakesOnlyDormantConversations) {
    plantConversations();
    clock = start + 60;
    auto response = post("/conversations/resume", {{"session_id", "r2"}, {"mode", "background"}});
    EXPECT_EQ(response.status, 200);
    EXPECT_EQ(response.json()["ok"], true);
    EXPECT_EQ(conversation("r2")["state"], "open");
    EXPECT_EQ(conversation("r2")["last_active"], (start + 60) * 1000);

    response = post("/conversations/resume", {{"session_id", "r2"}, {"mode", "terminal"}});
    EXPECT_EQ(response.status, 200);
    EXPECT_EQ(response.json(), message(false, "Already running"));

    EXPECT_EQ(post("/conversations/sleep", {{"session_id", "r2"}}).json()["ok"], true);
    EXPECT_EQ(
        post("/conversations/resume", {{"session_id", "r2"}, {"mode", "terminal"}}).json()["ok"],
        true);
    EXPECT_EQ(conversation("r2")["state"], "working");

    response = post("/conversations/resume", {{"session_id", "gone"}, {"mode", "terminal"}});
    EXPECT_EQ(response.status, 404);
    EXPECT_EQ(response.json(), message(false, "No such conversation"));
}

TEST_F(SampleBridgeAnswers, SleepingIsForRunningAgentConversations) {
    plantConversations();
    auto response = post("/conversations/sleep", {{"session_id", "p1"}});
    EXPECT_EQ(response.status, 200);
    EXPECT_EQ(response.json()["ok"], true);
    EXPECT_EQ(conversation("p1")["state"], "dormant");
    EXPECT_FALSE(conversation("p1").contains("memory_mb"));

    for (const char* refused : {"p1", "r3"}) {
        response = post("/conversations/sleep", {{"session_id", refused}});
        EXPECT_EQ(response.status, 200);
        EXPECT_EQ(response.json()["ok"], false) << refused;
        EXPECT_TRUE(response.json()["msg"].is_string());
    }
    EXPECT_EQ(conversation("r3")["state"], "open");
    EXPECT_EQ(post("/conversations/sleep", {{"session_id", "gone"}}).status, 404);
}

TEST_F(SampleBridgeAnswers, PinningMovesConversationsBetweenTheLists) {
    plantConversations();
    EXPECT_EQ(post("/conversations/pin", {{"session_id", "r2"}, {"pinned", true}}).json()["ok"],
              true);
    EXPECT_EQ(ids("pinned"), (std::vector<std::string>{"p1", "r2"}));
    EXPECT_EQ(ids("recent"), (std::vector<std::string>{"r1", "r3"}));
    EXPECT_EQ(conversation("r2")["pinned"], true);

    // Unpinned, a conversation takes its place in recent by last activity.
    post("/conversations/pin", {{"session_id", "p1"}, {"pinned", false}});
    post("/conversations/pin", {{"session_id", "r2"}, {"pinned", false}});
    EXPECT_EQ(ids("pinned"), std::vector<std::string>{});
    EXPECT_EQ(ids("recent"), (std::vector<std::string>{"p1", "r1", "r2", "r3"}));
    EXPECT_EQ(conversation("p1")["pinned"], false);

    // Pinning what is already pinned keeps its place.
    post("/conversations/pin", {{"session_id", "r1"}, {"pinned", true}});
    post("/conversations/pin", {{"session_id", "r3"}, {"pinned", true}});
    post("/conversations/pin", {{"session_id", "r1"}, {"pinned", true}});
    EXPECT_EQ(ids("pinned"), (std::vector<std::string>{"r1", "r3"}));

    EXPECT_EQ(post("/conversations/pin", {{"session_id", "gone"}, {"pinned", true}}).status, 404);
}

TEST_F(SampleBridgeAnswers, ArmingOpensAWindowWithAFreshCode) {
    server.state().setPairing({.host = "mac box.local", .tailscaleOnly = true});
    EXPECT_EQ(get("/pair/status").json(), json::parse(R"({"armed":false,"knocked":false})"));

    const auto armed = post("/pair/arm", json::object());
    EXPECT_EQ(armed.status, 200);
    const json offer = armed.json();
    const std::string code = offer["code"];
    ASSERT_EQ(code.size(), 6u);
    EXPECT_EQ(code.find_first_not_of("0123456789"), std::string::npos);
    EXPECT_EQ(offer["uri"], "kestrelhaven://pair?code=" + code + "&host=mac%20box.local");
    EXPECT_EQ(offer["host"], "mac box.local");
    EXPECT_EQ(offer["tailscale_only"], true);

    EXPECT_EQ(get("/pair/status").json(),
              json({{"armed", true}, {"knocked", false}, {"code", code}, {"uri", offer["uri"]}}));
    clock = start + 119;
    EXPECT_EQ(get("/pair/status").json()["armed"], true);
    clock = start + 120;
    EXPECT_EQ(get("/pair/status").json(), json::parse(R"({"armed":false,"knocked":false})"));

    // Arming again starts over; an empty body is as good as an empty object.
    server.state().setKnocked(true);
    const auto again = RawClient::post(server.socketPath(), "/pair/arm", "");
    EXPECT_EQ(again.status, 200);
    EXPECT_EQ(get("/pair/status").json()["armed"], true);
    EXPECT_EQ(get("/pair/status").json()["knocked"], false);
}

TEST_F(SampleBridgeAnswers, AFailingArmGives409WithTheMessage) {
    server.state().setPairing({.armingFailure = "Tailscale is not running"});
    const auto response = post("/pair/arm", json::object());
    EXPECT_EQ(response.status, 409);
    EXPECT_EQ(response.json(), json::parse(R"({"message":"Tailscale is not running"})"));
    EXPECT_EQ(get("/pair/status").json()["armed"], false);
}

TEST_F(SampleBridgeAnswers, TestsDriveAPhoneThroughPairing) {
    post("/pair/arm", json::object());
    server.state().setKnocked(true);
    server.state().setAskingDevice("Grace's Pixel");
    json status = get("/pair/status").json();
    EXPECT_EQ(status["knocked"], true);
    EXPECT_EQ(status["device_id"], "Grace's Pixel");

    clock = start + 30;
    server.state().completePairing("Grace's Pixel");
    status = get("/pair/status").json();
    EXPECT_EQ(status["armed"], false);
    EXPECT_FALSE(status.contains("device_id"));
    EXPECT_EQ(status["paired"],
              json({{"device_id", "Grace's Pixel"}, {"at", (start + 30) * 1000}}));

    const json devices = get("/devices").json()["devices"];
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0]["device_id"], "Grace's Pixel");
    EXPECT_EQ(devices[0]["auth"], "token");
    EXPECT_EQ(devices[0]["connected"], true);
    EXPECT_EQ(get("/healthz").json()["device"], true);

    // Pairing the same phone again replaces its row.
    server.state().completePairing("Grace's Pixel");
    EXPECT_EQ(get("/devices").json()["devices"].size(), 1u);
}

TEST_F(SampleBridgeAnswers, TheSimulatedPhoneKnocksAsksAndPairs) {
    server.state().setPairing({.simulatedPhone = true});
    post("/pair/arm", json::object());

    clock = start + 2.9;
    EXPECT_EQ(get("/pair/status").json()["knocked"], false);
    clock = start + 3;
    json status = get("/pair/status").json();
    EXPECT_EQ(status["knocked"], true);
    EXPECT_FALSE(status.contains("device_id"));
    clock = start + 4;
    EXPECT_EQ(get("/pair/status").json()["device_id"], "Ada's iPad");
    EXPECT_EQ(get("/healthz").json()["device"], false);

    // Nobody asks for the status at 6 s: the pairing still happens then.
    clock = start + 50;
    const json devices = get("/devices").json()["devices"];
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0]["paired_at"], (start + 6) * 1000);
    status = get("/pair/status").json();
    EXPECT_EQ(status["armed"], false);
    EXPECT_EQ(status["paired"]["device_id"], "Ada's iPad");
    EXPECT_EQ(status["paired"]["at"], (start + 6) * 1000);
}

TEST_F(SampleBridgeAnswers, TheSimulatedPhoneIsTooLateForAShortWindow) {
    server.state().setPairing({.window = 5, .simulatedPhone = true});
    post("/pair/arm", json::object());
    clock = start + 60;
    const json status = get("/pair/status").json();
    EXPECT_EQ(status, json::parse(R"({"armed":false,"knocked":true})"));
    EXPECT_TRUE(get("/devices").json()["devices"].empty());
}

TEST(SampleBridgeDemo, IsASmallConsistentDataSetAroundNow) {
    Testing::TemporaryFolder folder;
    Server server(folder.path() / "bridge.sock");
    const double now =
        std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count() *
        1000;

    const json health = RawClient::get(server.socketPath(), "/healthz").json();
    EXPECT_EQ(health["ok"], true);
    EXPECT_EQ(health["device"], true);

    const json devices = RawClient::get(server.socketPath(), "/devices").json()["devices"];
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0]["auth"], "token");
    EXPECT_EQ(devices[0]["encrypted"], true);
    EXPECT_EQ(devices[0]["app"],
              json::parse(R"({"version":"1.4.0","build":"212","distribution":"testflight"})"));
    for (const char* key : {"connected_at", "last_seen", "paired_at", "rotated_at"}) {
        EXPECT_TRUE(devices[0][key].is_number_integer()) << key;
        EXPECT_LE(devices[0][key].get<double>(), now) << key;
    }

    const json lists = RawClient::get(server.socketPath(), "/conversations").json();
    ASSERT_EQ(lists["pinned"].size(), 2u);
    ASSERT_EQ(lists["recent"].size(), 3u);
    const std::set<std::string> states{"working", "waiting", "idle", "open", "dormant"};
    std::set<std::string> ids, projects, seenStates;
    for (const char* list : {"pinned", "recent"}) {
        for (const json& c : lists[list]) {
            for (const char* key : {"session_id", "short_id", "project", "cwd", "title", "state"})
                EXPECT_TRUE(c[key].is_string()) << key;
            EXPECT_EQ(c["pinned"], std::string_view(list) == "pinned");
            EXPECT_TRUE(c["agent"].is_boolean());
            EXPECT_TRUE(states.contains(c["state"].get<std::string>()));
            EXPECT_LE(c["last_active"].get<double>(), now);
            EXPECT_EQ(c.contains("memory_mb"), c["state"] != "dormant");
            ids.insert(c["session_id"].get<std::string>());
            projects.insert(c["project"].get<std::string>());
            seenStates.insert(c["state"].get<std::string>());
        }
    }
    EXPECT_EQ(ids.size(), 5u);
    EXPECT_GE(projects.size(), 2u);
    EXPECT_GE(seenStates.size(), 3u);
}
