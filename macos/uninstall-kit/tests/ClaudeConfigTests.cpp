#include "ClaudeConfig.h"

#include <gtest/gtest.h>

namespace {

JSON parsed(std::string_view input) {
    auto result = JSON::parse(input);
    EXPECT_TRUE(result.value) << result.error.description();
    return result.value.value_or(JSON());
}

JSON commandHook(const std::string& command) {
    return JSONObject({{"type", JSON::string("command")}, {"command", JSON::string(command)}});
}

JSON httpHook(const std::string& url) {
    return JSONObject({{"type", JSON::string("http")}, {"url", JSON::string(url)}});
}

using Names = std::vector<std::string>;

} // namespace

TEST(ClaudeConfigHooks, OursEndsWithTheMarkOrCallsTheBridgeOnItsPort) {
    EXPECT_TRUE(ClaudeConfig::isOurs(commandHook("node hook.js # kestrelhaven-hook"), 17800));
    EXPECT_FALSE(ClaudeConfig::isOurs(commandHook("node hook.js # kestrelhaven-hook "), 17800));
    EXPECT_FALSE(ClaudeConfig::isOurs(commandHook("node hook.js # kestrelhaven-hook-2"), 17800));
    // A mark that a combining accent turns into another character is not the mark.
    EXPECT_FALSE(ClaudeConfig::isOurs(commandHook("x # kestrelhaven-hook\u0301"), 17800));

    EXPECT_TRUE(ClaudeConfig::isOurs(httpHook("http://127.0.0.1:17800/hook"), 17800));
    EXPECT_TRUE(ClaudeConfig::isOurs(httpHook("http://127.0.0.1:17800/hook/stop"), 17800));
    EXPECT_FALSE(ClaudeConfig::isOurs(httpHook("http://127.0.0.1:17800/hook"), 17801));
    EXPECT_TRUE(ClaudeConfig::isOurs(httpHook("http://127.0.0.1:17801/hook"), 17801));
    EXPECT_FALSE(ClaudeConfig::isOurs(httpHook("http://localhost:17800/hook"), 17800));
    EXPECT_FALSE(ClaudeConfig::isOurs(httpHook("https://127.0.0.1:17800/hook"), 17800));

    // The wrong shapes are someone else's.
    EXPECT_FALSE(ClaudeConfig::isOurs(parsed(R"({"command": "x # kestrelhaven-hook"})"), 17800));
    EXPECT_FALSE(
        ClaudeConfig::isOurs(parsed(R"({"type": 1, "command": "x # kestrelhaven-hook"})"), 17800));
    EXPECT_FALSE(ClaudeConfig::isOurs(parsed(R"({"type": "command", "command": ["x"]})"), 17800));
    EXPECT_FALSE(ClaudeConfig::isOurs(
        parsed(R"({"type": "prompt", "url": "http://127.0.0.1:17800/hook"})"), 17800));
    EXPECT_FALSE(ClaudeConfig::isOurs(parsed(R"({"type": "http"})"), 17800));
    EXPECT_FALSE(ClaudeConfig::isOurs(parsed(R"("x # kestrelhaven-hook")"), 17800));
}

TEST(ClaudeConfigHooks, RemovesOursAndWhatTheyAloneFilled) {
    JSON settings = parsed(R"({
  "model": "opus",
  "hooks": {
    "Stop": [
      {"hooks": [{"type": "command", "command": "a # kestrelhaven-hook"}]}
    ],
    "PreToolUse": [
      {"matcher": "Bash", "hooks": [
        {"type": "command", "command": "mine.sh"},
        {"type": "http", "url": "http://127.0.0.1:17800/hook"},
        {"type": "command", "command": "theirs.sh"}
      ]},
      {"hooks": [{"type": "http", "url": "http://127.0.0.1:17800/hook/pre"}]},
      {"hooks": []},
      "not a group",
      {"matcher": "Edit"}
    ],
    "Notification": [],
    "Other": {"hooks": []}
  },
  "after": true
})");
    EXPECT_EQ(ClaudeConfig::removeOurHooks(settings, 17800), 3);
    EXPECT_EQ(settings, parsed(R"({
  "model": "opus",
  "hooks": {
    "PreToolUse": [
      {"matcher": "Bash", "hooks": [
        {"type": "command", "command": "mine.sh"},
        {"type": "command", "command": "theirs.sh"}
      ]},
      {"hooks": []},
      "not a group",
      {"matcher": "Edit"}
    ],
    "Notification": [],
    "Other": {"hooks": []}
  },
  "after": true
})"));
}

TEST(ClaudeConfigHooks, OnlyOurHooksLeaveAnEmptyHooksObject) {
    JSON settings = parsed(R"({"hooks": {"Stop": [
      {"hooks": [{"type": "command", "command": "a # kestrelhaven-hook"},
                 {"type": "command", "command": "b # kestrelhaven-hook"}]},
      {"hooks": [{"type": "http", "url": "http://127.0.0.1:17800/hook"}]}
    ]}, "z": 1})");
    EXPECT_EQ(ClaudeConfig::removeOurHooks(settings, 17800), 3);
    EXPECT_EQ(settings.serialized(), "{\n  \"hooks\": {},\n  \"z\": 1\n}");
}

TEST(ClaudeConfigHooks, NothingOursChangesNothing) {
    const std::string text = R"({"hooks": {"Stop": [{"hooks": [
      {"type": "http", "url": "http://127.0.0.1:17801/hook"}]}], "Start": []}})";
    JSON settings = parsed(text);
    EXPECT_EQ(ClaudeConfig::removeOurHooks(settings, 17800), 0);
    EXPECT_EQ(settings, parsed(text));
    for (const char* other : {"[]", "{}", R"({"hooks": {}})", R"({"hooks": []})", "1"}) {
        JSON document = parsed(other);
        EXPECT_EQ(ClaudeConfig::removeOurHooks(document, 17800), 0) << other;
        EXPECT_EQ(document, parsed(other));
    }
}

TEST(ClaudeConfigHooks, RepeatedEventsAreEachCleanedAndTheLastHooksMemberIsUsed) {
    JSON settings = parsed(R"({"hooks": {"Stop": "ignored"}, "hooks": {
      "Stop": [{"hooks": [{"type": "command", "command": "x # kestrelhaven-hook"}]}],
      "Stop": [{"hooks": [{"type": "command", "command": "y"}]}]}})");
    EXPECT_EQ(ClaudeConfig::removeOurHooks(settings, 17800), 1);
    EXPECT_EQ(settings, parsed(R"({"hooks": {"Stop": "ignored"}, "hooks": {
      "Stop": [{"hooks": [{"type": "command", "command": "y"}]}]}})"));
}

TEST(ClaudeConfigServers, OursRunOneOfTheProductsScripts) {
    EXPECT_TRUE(ClaudeConfig::isOurServer(
        parsed(R"({"command": "node", "args": ["--x", 3, "/App/bridge/dist/mcp-speak.js"]})")));
    EXPECT_TRUE(ClaudeConfig::isOurServer(parsed(R"({"command": "/opt/kh/channel-plugin.ts/"})")));
    EXPECT_TRUE(
        ClaudeConfig::isOurServer(parsed(R"({"command": "bun run /x/channel-plugin.js"})")));
    EXPECT_FALSE(ClaudeConfig::isOurServer(parsed(R"({"command": "/x/mcp-speak.jsx"})")));
    EXPECT_FALSE(
        ClaudeConfig::isOurServer(parsed(R"({"command": "/x/other.js", "args": "mcp-speak.js"})")));
    EXPECT_FALSE(ClaudeConfig::isOurServer(parsed(R"({"command": ["mcp-speak.js"]})")));
    EXPECT_FALSE(ClaudeConfig::isOurServer(parsed(R"(["mcp-speak.js"])")));
}

TEST(ClaudeConfigServers, ListsAndRemovesOnlyOurEntriesUnderOurNames) {
    JSON user = parsed(R"({
      "mcpServers": {
        "before": {"command": "x"},
        "kestrelhaven-speak": {"command": "node", "args": ["/a/mcp-speak.js"]},
        "kestrelhaven-channel": {"command": "python", "args": ["server.py"]},
        "someone-else": {"command": "node", "args": ["/a/channel-plugin.js"]},
        "after": {"command": "y"}
      },
      "projects": {}
    })");
    EXPECT_EQ(ClaudeConfig::servers(ClaudeConfig::mcpServers, user), Names{"kestrelhaven-speak"});
    EXPECT_EQ(ClaudeConfig::removeServers(ClaudeConfig::mcpServers, user),
              Names{"kestrelhaven-speak"});
    EXPECT_EQ(user, parsed(R"({
      "mcpServers": {
        "before": {"command": "x"},
        "kestrelhaven-channel": {"command": "python", "args": ["server.py"]},
        "someone-else": {"command": "node", "args": ["/a/channel-plugin.js"]},
        "after": {"command": "y"}
      },
      "projects": {}
    })"));
    EXPECT_EQ(ClaudeConfig::removeServers(ClaudeConfig::mcpServers, user), Names{});
}

TEST(ClaudeConfigServers, RemovingBothLeavesAnEmptyObject) {
    JSON user = parsed(R"({"mcpServers": {
      "kestrelhaven-speak": {"command": "/b/mcp-speak.ts"},
      "kestrelhaven-channel": {"args": ["/b/channel-plugin.js"]}}, "x": 1})");
    EXPECT_EQ(ClaudeConfig::servers({"kestrelhaven-speak", "kestrelhaven-channel"}, user),
              (Names{"kestrelhaven-speak", "kestrelhaven-channel"}));
    EXPECT_EQ(ClaudeConfig::removeServers(ClaudeConfig::mcpServers, user),
              (Names{"kestrelhaven-channel", "kestrelhaven-speak"}));
    EXPECT_EQ(user.serialized(), "{\n  \"mcpServers\": {},\n  \"x\": 1\n}");

    for (const char* other : {"[]", "{}", R"({"mcpServers": []})"}) {
        JSON document = parsed(other);
        EXPECT_EQ(ClaudeConfig::servers(ClaudeConfig::mcpServers, document), Names{}) << other;
        EXPECT_EQ(ClaudeConfig::removeServers(ClaudeConfig::mcpServers, document), Names{});
        EXPECT_EQ(document, parsed(other));
    }
}
