#include "RawClient.h"

#include <Testing/Testing.h>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sample-bridge/Environments.h>
#include <sample-bridge/Server.h>

using namespace SampleBridge;
using nlohmann::json;

namespace {

class SampleBridgeSettings : public testing::Test {
protected:
    RawClient::Response post(std::string_view path, const json& body) {
        return RawClient::post(server.socketPath(), path, body.dump());
    }

    Testing::TemporaryFolder folder;
    Server server{folder.path() / "bridge.sock", State()};
};

} // namespace

TEST_F(SampleBridgeSettings, AChangeOfAKnownSettingToAValueOfItsKindIsKept) {
    EXPECT_EQ(RawClient::get(server.socketPath(), "/settings").json(),
              (json{{"values", Settings::defaults()}}));
    const std::pair<json, json> accepted[] = {
        {"connectionMode", "tailscale"},
        {"voiceLevel", "choices"},
        {"speakFullResponse", false},
        {"lockScreenApprovalsAfterIdleMin", 7},
    };
    json expected = Settings::defaults();
    for (const auto& [key, value] : accepted) {
        const auto response = post("/settings", {{"key", key}, {"value", value}});
        expected[key.get<std::string>()] = value;
        EXPECT_EQ(response.status, 200) << key;
        EXPECT_EQ(response.json(), (json{{"ok", true}, {"values", expected}})) << key;
    }

    const std::pair<json, std::string> refused[] = {
        {{{"key", "volume"}, {"value", 3}}, "There is no setting “volume”."},
        {{{"key", "speakMode"}, {"value", "shout"}}, "“speakMode” can't be set to \"shout\"."},
        {{{"key", "pttReplies"}, {"value", 1}}, "“pttReplies” can't be set to 1."},
        {{{"key", "lockScreenApprovalsAfterIdleMin"}, {"value", 2.5}},
         "“lockScreenApprovalsAfterIdleMin” can't be set to 2.5."},
        {{{"key", "lockScreenApprovalsAfterIdleMin"}, {"value", -1}},
         "“lockScreenApprovalsAfterIdleMin” can't be set to -1."},
        {{{"value", true}}, "A change needs a key and a value."},
        {json::array(), "Bad request"},
    };
    for (const auto& [body, msg] : refused) {
        const auto response = post("/settings", body);
        EXPECT_EQ(response.status, 400) << body;
        EXPECT_EQ(response.json(), (json{{"ok", false}, {"msg", msg}})) << body;
    }

    // A test's configuration error and tailnet go with every answer; a refusal has no values.
    server.state().settings().setTailnet("tail-home");
    server.state().settings().setConfigError("Bad port.");
    EXPECT_EQ(
        RawClient::get(server.socketPath(), "/settings").json(),
        (json{{"values", expected}, {"tailnet", "tail-home"}, {"config_error", "Bad port."}}));
    server.state().settings().refuseChanges("Locked.");
    EXPECT_EQ(post("/settings", {{"key", "pttReplies"}, {"value", false}}).json(),
              (json{{"ok", false}, {"msg", "Locked."}}));
    EXPECT_EQ(server.state().settings().values(), expected);
}

TEST_F(SampleBridgeSettings, PhonesAreForgottenAndEnvironmentsRemovedByName) {
    server.state().setDevices(json::array({{{"device_id", "A"}}, {{"device_id", "B"}}}));
    EXPECT_EQ(post("/devices/forget", {{"device_id", "A"}}).json(), (json{{"ok", true}}));
    EXPECT_EQ(post("/devices/forget", {{"device_id", "A"}}).json(), (json{{"ok", false}}));
    EXPECT_EQ(post("/devices/forget", {{"id", "B"}}).status, 400);
    EXPECT_EQ(server.state().devices(), (json{{"devices", {{{"device_id", "B"}}}}}));

    Testing::useTestHome();
    std::string error;
    ASSERT_TRUE(addToEnvironments({"ci", "CI box", std::nullopt, "secret"}, error));
    ASSERT_TRUE(addToEnvironments({"lab", "Lab", "/opt/lab", std::nullopt}, error));
    EXPECT_EQ(post("/environments", {{"name", "ci"}, {"remove", "yes"}}).status, 400);
    const auto removed = post("/environments", {{"name", "ci"}, {"remove", true}});
    EXPECT_EQ(removed.status, 200);
    EXPECT_EQ(removed.json(), (json{{"ok", true}, {"msg", "Removed ci."}}));
    const auto again = post("/environments", {{"name", "ci"}, {"remove", true}});
    EXPECT_EQ(again.status, 404);
    EXPECT_EQ(again.json(), (json{{"ok", false}, {"msg", "No environment is named “ci”."}}));
    EXPECT_EQ(loadEnvironments(),
              (std::vector<Environment>{{"lab", "Lab", "/opt/lab", std::nullopt}}));
}
