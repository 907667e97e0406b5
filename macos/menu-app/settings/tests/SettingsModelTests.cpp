#include "menubar/StartError.h"
#include "settings/tests/SettingsTesting.h"

#include <Foundation/Home.h>
#include <Testing/Testing.h>
#include <sample-bridge/Environments.h>

using SampleBridge::Reply;

namespace {

const char* const notAnswering = "The bridge isn't answering. Is it running? (kestrelhaven status)";

JSONCoding::JSON phone(const std::string& id, const std::string& auth) {
    return {{"device_id", id}, {"connected", true}, {"auth", auth}};
}

void addEnvironment(SampleBridge::Environment environment) {
    std::string error;
    ASSERT_TRUE(SampleBridge::addToEnvironments(environment, error)) << error;
}

} // namespace

using SettingsModelLoading = SettingsFixture;
using SettingsModelSaving = SettingsFixture;
using SettingsModelLists = SettingsFixture;

TEST_F(SettingsModelLoading, StartsEmptyAndLoadsSettingsPhonesAndEnvironments) {
    EXPECT_FALSE(model->values->has_value());
    EXPECT_TRUE(model->devices->empty());
    EXPECT_EQ(model->loadedDevices(), std::nullopt);
    EXPECT_EQ(server().requests().size(), 0u);

    bridgeSettings().setTailnet("tail-home");
    server().state().setDevices(JSON::array({phone("iPhone-A", "token")}));
    addEnvironment({"ci", "CI box", std::nullopt, "secret"});
    model->load();
    ASSERT_TRUE(eventually([&] {
        return model->values->has_value() && model->loadedDevices() &&
               model->environments->size() == 1;
    }));
    EXPECT_EQ(model->values->value(),
              *JSONCoding::decodeJSON<SettingsReply::Values>(SampleBridge::Settings::defaults()));
    EXPECT_EQ(model->tailnet.get(), "tail-home");
    EXPECT_EQ(model->devices->at(0).device_id, "iPhone-A");
    EXPECT_EQ(model->environments->at(0).label, "CI box");
    EXPECT_EQ(model->problem.get(), std::nullopt);
}

TEST_F(SettingsModelLoading, SaysWhyTheSettingsDidNotCome) {
    // A complete reply first; each failure below keeps its values and tailnet.
    bridgeSettings().setTailnet("tail-home");
    loadSettled();
    const auto loaded = model->values.get();
    ASSERT_TRUE(loaded);

    auto withoutSpeakMode = SampleBridge::Settings::defaults();
    withoutSpeakMode["voiceLevel"] = "all";
    withoutSpeakMode.erase("speakMode");
    const struct {
        const char* what;
        std::function<void()> arrange;
        std::string banner;
    } cases[] = {
        {"values without speakMode", [&] { bridgeSettings().setValues(withoutSpeakMode); },
         notAnswering},
        {"a bare 500", [&] { server().script("/settings", Reply::json(500, "")); }, notAnswering},
        {"no values, a configuration error",
         [&] {
             server().script("/settings", Reply::json(200, R"({"config_error": "Bad port."})"));
         },
         "Bad port."},
        {"a start error and no bridge",
         [&] {
             stopServer();
             Testing::writeText(StartError::path(), "port 17801 is taken\n");
         },
         "The bridge can't start: port 17801 is taken"},
    };
    for (const auto& [what, arrange, banner] : cases) {
        arrange();
        model->problem = std::nullopt;
        model->load();
        EXPECT_TRUE(eventually([&] { return model->problem.get() == banner; })) << what;
        EXPECT_EQ(model->values.get(), loaded) << what;
        EXPECT_EQ(model->tailnet.get(), "tail-home") << what;
    }
    std::filesystem::remove(StartError::path());
    model->load();
    EXPECT_TRUE(eventually([&] { return model->problem.get() == notAnswering; }));

    // A good reply with a configuration error applies both; without one it clears the banner.
    startServer();
    auto queued = SampleBridge::Settings::defaults();
    queued["speakMode"] = "queue";
    bridgeSettings().setValues(queued);
    bridgeSettings().setConfigError("config.json is invalid; settings are read-only.");
    model->load();
    ASSERT_TRUE(eventually(
        [&] { return model->problem.get() == "config.json is invalid; settings are read-only."; }));
    EXPECT_EQ(model->values.get()->speakMode, "queue");
    EXPECT_EQ(model->tailnet.get(), std::nullopt);
    bridgeSettings().setConfigError(std::nullopt);
    model->load();
    EXPECT_TRUE(eventually([&] { return !model->problem->has_value(); }));
}

TEST_F(SettingsModelSaving, PostsEachKindOfValueAndTakesTheBridgesSettingsBack) {
    loadSettled();
    ASSERT_TRUE(model->values.get());

    // Each change shows at once; the bridge's answer then brings its whole settings, here with a
    // word changed behind the model's back.
    const struct {
        std::function<void()> change;
        std::function<bool()> shownAtOnce;
        JSON posted;
        const char* changedBehind;
    } saves[] = {
        {[&] {
             model->binding(&SettingsModel::Values::wakeScope, "wakeScope", std::string("listed"))
                 .set("any");
         },
         [&] { return model->values.get()->wakeScope == "any"; },
         {{"key", "wakeScope"}, {"value", "any"}},
         "all"},
        {[&] {
             model->binding(&SettingsModel::Values::speakFullResponse, "speakFullResponse", true)
                 .set(false);
         },
         [&] { return !model->values.get()->speakFullResponse; },
         {{"key", "speakFullResponse"}, {"value", false}},
         "off"},
        {[&] {
             model
                 ->binding(&SettingsModel::Values::lockScreenApprovalsAfterIdleMin,
                           "lockScreenApprovalsAfterIdleMin", std::int64_t{3})
                 .set(10);
         },
         [&] { return model->values.get()->lockScreenApprovalsAfterIdleMin == 10; },
         {{"key", "lockScreenApprovalsAfterIdleMin"}, {"value", 10}},
         "approvals"},
    };
    for (const auto& [change, shownAtOnce, body, changedBehind] : saves) {
        auto held = bridgeSettings().values();
        held["voiceLevel"] = changedBehind;
        bridgeSettings().setValues(held);
        change();
        EXPECT_TRUE(shownAtOnce()) << body;
        EXPECT_TRUE(eventually([&] { return model->values.get()->voiceLevel == changedBehind; }))
            << body;
        EXPECT_EQ(posted("/settings").back(), body);
    }
    EXPECT_TRUE(posted("/settings").back()["value"].is_number_integer());
    const auto& values = *model->values.get();
    EXPECT_EQ(values.wakeScope, "any");
    EXPECT_FALSE(values.speakFullResponse);
    EXPECT_EQ(values.lockScreenApprovalsAfterIdleMin, 10);
    EXPECT_EQ(model->problem.get(), std::nullopt);
    // A saved setting reloads nothing.
    EXPECT_EQ(count("/devices"), 1u);

    // A save's configuration error shows; the next save without one clears it.
    bridgeSettings().setConfigError("Settings are read-only.");
    model->set("pttReplies", false);
    EXPECT_TRUE(eventually([&] { return model->problem.get() == "Settings are read-only."; }));
    bridgeSettings().setConfigError(std::nullopt);
    model->set("pttReplies", true);
    EXPECT_TRUE(eventually([&] { return !model->problem->has_value(); }));
}

TEST_F(SettingsModelSaving, AFailedSaveSaysSoAndTheReloadPutsTheStoredValueBack) {
    loadSettled();
    const auto binding =
        model->binding(&SettingsModel::Values::speakFullResponse, "speakFullResponse", true);
    const struct {
        const char* what;
        std::function<void()> arrange;
        std::string banner;
    } cases[] = {
        {"refused", [&] { bridgeSettings().refuseChanges("Settings are locked."); },
         "Settings are locked."},
        {"a bare 500", [&] { server().script("/settings", Reply::json(500, "")); },
         "That setting didn't save (HTTP 500)."},
        {"no answer", [&] { server().script("/settings", Reply::raw("")); },
         "That setting didn't save (HTTP 0)."},
    };
    for (const auto& [what, arrange, banner] : cases) {
        arrange();
        const std::size_t loads = count("/devices");
        binding.set(false);
        EXPECT_FALSE(binding.get()) << what;
        // The reload brings the stored value back and keeps the save's sentence.
        EXPECT_TRUE(eventually([&] { return count("/devices") == loads + 1 && binding.get(); }))
            << what;
        settle(server().requests().size());
        EXPECT_EQ(model->problem.get(), banner) << what;
        bridgeSettings().refuseChanges(std::nullopt);
    }

    // The next action follows the usual rules: a good reload clears the sentence.
    model->load();
    EXPECT_TRUE(eventually([&] { return !model->problem->has_value(); }));

    // A reload that brings its own configuration error shows that instead.
    bridgeSettings().refuseChanges("Settings are locked.");
    bridgeSettings().setConfigError("Bad port.");
    binding.set(false);
    EXPECT_TRUE(eventually([&] { return model->problem.get() == "Bad port."; }));

    // With the bridge down the value goes back, and the banner says it didn't save.
    ASSERT_TRUE(eventually([&] { return binding.get(); }));
    stopServer();
    binding.set(false);
    EXPECT_TRUE(eventually([&] {
        return model->problem.get() ==
               std::string("That setting didn't save (HTTP 0). ") + notAnswering;
    })) << model->problem->value_or("");
    EXPECT_TRUE(binding.get());
}

TEST_F(SettingsModelSaving, WithoutSettingsABindingShowsItsFallbackAndStillPosts) {
    const auto binding = model->binding(&SettingsModel::Values::connectionMode, "connectionMode",
                                        std::string("local"));
    EXPECT_EQ(binding.get(), "local");
    binding.set("tailscale");
    EXPECT_EQ(binding.get(), "local");
    ASSERT_TRUE(eventually([&] { return model->values.get().has_value(); }));
    EXPECT_EQ(posted("/settings"),
              (std::vector<JSON>{{{"key", "connectionMode"}, {"value", "tailscale"}}}));
    EXPECT_EQ(binding.get(), "tailscale");
}

TEST_F(SettingsModelSaving, ALateReplyNeverOverwritesANewerOne) {
    loadSettled();
    auto older = SampleBridge::Settings::defaults();
    older["voiceLevel"] = "off";
    // A change whose answer is held until a newer one, answered at once, has been applied.
    auto change = scriptHeld("/settings", Reply::json(200, JSON{{"values", older}}.dump()));
    model->set("voiceLevel", "off");
    ASSERT_TRUE(eventually([&] { return change.reached(); }));
    model->set("voiceLevel", "all");
    ASSERT_TRUE(eventually([&] { return model->values.get()->voiceLevel == "all"; }));
    EXPECT_TRUE(changesNothing(change, [&] { return model->values.get()->voiceLevel != "all"; }));

    // A reload that answers late is older than a change made after it.
    auto reload = scriptHeld("/settings",
                             Reply::json(200, JSON{{"values", older}, {"tailnet", "old"}}.dump()));
    model->load();
    ASSERT_TRUE(eventually([&] { return reload.reached(); }));
    model->set("speakMode", "queue");
    ASSERT_TRUE(eventually([&] { return model->values.get()->speakMode == "queue"; }));
    EXPECT_TRUE(changesNothing(reload, [&] { return model->tailnet.get() == "old"; }));
    EXPECT_EQ(model->values.get()->voiceLevel, "all");
}

TEST_F(SettingsModelLists, AFailedDevicesRequestEmptiesThePhonesAndHandsNoneOn) {
    server().state().setDevices(JSON::array({phone("iPhone-A", "token")}));
    loadSettled();
    ASSERT_EQ(model->loadedDevices().value_or(std::vector<DeviceRow>{}).size(), 1u);

    server().script("/devices", Reply::json(500, ""));
    model->load();
    ASSERT_TRUE(eventually([&] { return !model->devicesFresh.get(); }));
    EXPECT_TRUE(model->devices->empty());
    EXPECT_EQ(model->loadedDevices(), std::nullopt);

    // A reply without a device list means none.
    server().script("/devices", Reply::json(200, "{}"));
    model->load();
    ASSERT_TRUE(eventually([&] { return model->devicesFresh.get(); }));
    const auto none = model->loadedDevices();
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->empty());
}

TEST_F(SettingsModelLists, ForgettingAPhonePostsItsIdAndReloads) {
    server().state().setDevices(
        JSON::array({phone("iPhone-A", "token"), phone("iPad-B", "legacy")}));
    loadSettled();
    ASSERT_EQ(model->devices->size(), 2u);
    model->forget("iPad-B");
    ASSERT_TRUE(eventually([&] { return model->devices->size() == 1 && count("/settings") == 2; }));
    EXPECT_EQ(posted("/devices/forget"), (std::vector<JSON>{{{"device_id", "iPad-B"}}}));
    EXPECT_EQ(model->devices->at(0).device_id, "iPhone-A");
    EXPECT_EQ(count("/settings"), 2u);

    // A forget that fails says nothing; the reload shows the phone still there.
    server().script("/devices/forget", Reply::json(500, ""));
    model->forget("iPhone-A");
    ASSERT_TRUE(eventually([&] { return count("/settings") == 3; }));
    settle(server().requests().size());
    EXPECT_EQ(model->devices->size(), 1u);
    EXPECT_EQ(model->problem.get(), std::nullopt);
}

TEST_F(SettingsModelLists, EnvironmentsFollowTheBridgeAndAFailedRequestKeepsThem) {
    addEnvironment({"ci", "CI box", std::nullopt, "secret"});
    loadSettled();
    ASSERT_EQ(model->environments->size(), 1u);

    const auto failed = scriptWatched("/environments", Reply::json(500, ""));
    model->loadEnvironments();
    ASSERT_TRUE(handedOver(failed));
    EXPECT_EQ(model->environments->size(), 1u);

    for (const char* empty : {R"({"environments": []})", "{}"}) {
        server().script("/environments", Reply::json(200, empty));
        model->loadEnvironments();
        EXPECT_TRUE(eventually([&] { return model->environments->empty(); })) << empty;
        model->loadEnvironments();
        ASSERT_TRUE(eventually([&] { return model->environments->size() == 1; }));
    }
}

TEST_F(SettingsModelLists, RemovingAnEnvironmentPostsItsNameAndReportsARefusal) {
    addEnvironment({"ci", "CI box", std::nullopt, "secret"});
    addEnvironment({"work", "Work account", "/Users/kim/.claude-work", std::nullopt});
    loadSettled();
    ASSERT_EQ(model->environments->size(), 2u);

    // A removal does not clear an older banner.
    model->problem = "An older sentence.";
    model->removeEnvironment("ci");
    ASSERT_TRUE(eventually([&] { return model->environments->size() == 1; }));
    EXPECT_EQ(posted("/environments"), (std::vector<JSON>{{{"name", "ci"}, {"remove", true}}}));
    EXPECT_EQ(model->problem.get(), "An older sentence.");

    const struct {
        std::function<void()> arrange;
        std::string banner;
    } cases[] = {
        {[] {}, "No environment is named “ci”."},
        {[&] { server().script("/environments", Reply::json(500, "")); },
         "That environment wasn't removed (HTTP 500)."},
        {[&] { server().script("/environments", Reply::raw("")); },
         "That environment wasn't removed (HTTP 0)."},
    };
    for (const auto& [arrange, banner] : cases) {
        arrange();
        const std::size_t lists = count("/environments");
        model->removeEnvironment("ci");
        EXPECT_TRUE(eventually([&] { return model->problem.get() == banner; })) << banner;
        // The list is asked for again either way.
        EXPECT_TRUE(eventually([&] { return count("/environments") == lists + 2; })) << banner;
    }
}

TEST(EnvironmentRowPhrases, SayHowItReportsAndWhenItWasLastHeard) {
    const auto& home = Testing::useTestHome();
    ::setenv("HOME", home.c_str(), 1);
    Foundation::setUserLocale("en_GB", "Europe/London");
    constexpr double now = 1718452800;
    Foundation::SystemTime::setSource([] { return now; });
    const auto row = [](bool token, std::optional<std::string> configDir, std::int64_t sessions,
                        std::optional<std::int64_t> listening = std::nullopt,
                        std::optional<double> heard = std::nullopt,
                        std::optional<double> checked = std::nullopt) {
        return EnvironmentRow{"ci",     "CI",      token, std::move(configDir),
                              sessions, listening, heard, checked};
    };
    const std::string work = (home / ".claude-work").string();
    const std::tuple<EnvironmentRow, std::string, std::string> cases[] = {
        {row(true, work, 0), "token + config dir ~/.claude-work", "no live sessions"},
        {row(false, std::nullopt, 1, 0), "", "1 live session"},
        {row(false, "/opt/claude", 3, 2), "config dir /opt/claude", "3 live sessions, 2 listening"},
        {row(false, std::nullopt, -2), "", "-2 live sessions"},
        {row(true, std::nullopt, 0), "token",
         "no live sessions, not heard from since the bridge started"},
        {row(true, std::nullopt, 2, 1, (now - 300) * 1000), "token",
         "2 live sessions, 1 listening, last heard 5 minutes ago"},
        {row(true, std::nullopt, 0, std::nullopt, (now - 7200) * 1000, (now - 60) * 1000), "token",
         "no live sessions, last heard 1 minute ago"},
        {row(true, std::nullopt, 0, std::nullopt, std::nullopt, (now - 7200) * 1000), "token",
         "no live sessions, last heard 2 hours ago"},
    };
    for (const auto& [environment, kind, live] : cases) {
        EXPECT_EQ(environment.kind(), kind);
        EXPECT_EQ(environment.live(), live);
    }
    Foundation::SystemTime::setSource({});
}

TEST(SettingsRecords, DecodeStrictly) {
    const auto values = SampleBridge::Settings::defaults();
    const auto decoded = [](const JSONCoding::JSON& json) {
        return JSONCoding::decodeJSON<SettingsReply>(json).has_value();
    };
    EXPECT_TRUE(decoded({{"values", values}, {"tailnet", nullptr}, {"extra", 1}}));
    auto fractional = values;
    fractional["lockScreenApprovalsAfterIdleMin"] = 10.5;
    auto numeric = values;
    numeric["pttReplies"] = 1;
    auto withoutKey = values;
    withoutKey.erase("connectionMode");
    for (const auto& broken : {fractional, numeric, withoutKey})
        EXPECT_FALSE(decoded({{"values", broken}})) << broken;
    EXPECT_FALSE(decoded({{"values", values}, {"tailnet", 4}}));

    const auto rows = [](const JSONCoding::JSON& json) {
        return JSONCoding::decodeJSON<EnvironmentLists>(json).has_value();
    };
    const JSONCoding::JSON row = {
        {"name", "ci"}, {"label", "CI"}, {"token", true}, {"sessions", 0}};
    EXPECT_TRUE(rows({{"environments", {row}}, {"other", JSONCoding::JSON::array()}}));
    EXPECT_FALSE(rows({{"environments", {row}}, {"count", 1}}));
    auto noSessions = row;
    noSessions.erase("sessions");
    EXPECT_FALSE(rows({{"environments", {noSessions}}}));
}
