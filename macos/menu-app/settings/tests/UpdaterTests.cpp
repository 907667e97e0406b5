#include "menubar/tests/WithSampleBridge.h"
#include "settings/Updater.h"
#include "settings/tests/UpdatesTesting.h"

#include <AppKit/Application.h>
#include <Dispatch/Clock.h>
#include <Sparkle/TestDouble.h>
#include <gtest/gtest.h>

using namespace UpdatesTesting;
using Check = Sparkle::TestDouble::Check;
namespace Defaults = Foundation::UserDefaults;

namespace {

bool configured(const char* feed, const char* key = publicKey) {
    Foundation::PropertyList::Dictionary info{{"SUFeedURL", feed}};
    if (key)
        info.emplace("SUPublicEDKey", key);
    return Updater::configured(info);
}

std::shared_ptr<AppKit::Menu> statusMenu() {
    auto menu = AppKit::Menu::make();
    menu->addItem(AppKit::MenuItem::make("Pair a Device…", [](AppKit::MenuItem&) {}));
    menu->addItem(AppKit::MenuItem::make("Settings…", [](AppKit::MenuItem&) {}));
    menu->addItem(AppKit::MenuItem::make("Set Up Kestrelhaven…", [](AppKit::MenuItem&) {}));
    menu->addItem(AppKit::MenuItem::separator());
    menu->addItem(AppKit::MenuItem::make("Quit Kestrelhaven Menu", [](AppKit::MenuItem&) {}));
    return menu;
}

JSONCoding::JSON phoneJSON(const char* id, std::optional<std::string> auth,
                           std::optional<std::string> distribution) {
    JSONCoding::JSON row{{"device_id", id}, {"connected", true}};
    if (auth)
        row["auth"] = *auth;
    if (distribution)
        row["app"] = {{"version", "1.4.0"}, {"distribution", *distribution}};
    return row;
}

// The updater started in a build that updates, its framework a double, with no bridge to ask.
class StartedUpdater : public testing::Test {
protected:
    void SetUp() override {
        configure(true);
        Updater::shared().start(AppKit::Menu::make(), std::make_shared<Bridge>());
        ASSERT_TRUE(Updater::shared().controller());
    }

    Sparkle::TestDouble framework;
};

// The updater started against the sample bridge, its framework a double.
class UpdaterWithBridge : public WithSampleBridge {
protected:
    void SetUp() override {
        WithSampleBridge::SetUp();
        configure(true);
    }
    void TearDown() override { stopServer(); }

    std::size_t deviceRequests() {
        std::size_t count = 0;
        for (const auto& request : server().requests())
            count += request.route() == "/devices" && request.method == "GET";
        return count;
    }
    static bool eventually(const std::function<bool()>& condition) {
        return Dispatch::RunLoop::main().runUntil(condition, 5);
    }

    Sparkle::TestDouble framework;
    std::shared_ptr<AppKit::Menu> menu = statusMenu();
};

} // namespace

TEST(Updater, ABuildUpdatesOnlyWithAnHTTPSFeedAndAKey) {
    EXPECT_TRUE(configured("https://updates.tallowmeadows.com/kestrelhaven/appcast.xml"));
    EXPECT_TRUE(configured("https://user@updates.example.com:8443/feed?channel=1#top"));
    EXPECT_TRUE(configured("https://[2001:db8::1]/feed"));
    EXPECT_TRUE(configured("https://updates.invalid.example.com/appcast.xml"));
    EXPECT_TRUE(configured("https://updates.example.INVALID/appcast.xml"));

    EXPECT_FALSE(configured("http://updates.example.com/appcast.xml"));
    EXPECT_FALSE(configured("HTTPS://updates.example.com/appcast.xml"));
    EXPECT_FALSE(configured("https://updates.example.invalid/appcast.xml"));
    EXPECT_FALSE(configured("https://updates.ex%61mple.invalid/appcast.xml"));
    EXPECT_FALSE(configured("https://updates.example.%69nvalid/appcast.xml"));
    EXPECT_FALSE(configured("https://updates.example%2Einvalid/appcast.xml"));
    EXPECT_FALSE(configured("https:///appcast.xml"));
    EXPECT_FALSE(configured("https:appcast.xml"));
    EXPECT_FALSE(configured("https://updates example.com/appcast.xml"));
    EXPECT_FALSE(configured("https://updates.example.com:port/appcast.xml"));
    EXPECT_FALSE(configured("updates.example.com/appcast.xml"));
    EXPECT_FALSE(configured(""));

    EXPECT_FALSE(configured("https://updates.example.com/appcast.xml", ""));
    EXPECT_FALSE(configured("https://updates.example.com/appcast.xml", nullptr));
    EXPECT_FALSE(Updater::configured({{"SUFeedURL", 1}, {"SUPublicEDKey", "k"}}));
    EXPECT_FALSE(
        Updater::configured({{"SUFeedURL", "https://example.com/f"}, {"SUPublicEDKey", 7}}));
    EXPECT_FALSE(Updater::configured({{"SUPublicEDKey", "k"}}));
}

TEST(Updater, ABuildWithoutAFeedStartsNothingButKeepsTheChoice) {
    configure(false);
    Sparkle::TestDouble framework;
    EXPECT_FALSE(Updater::configured());
    const auto menu = statusMenu();
    Updater::shared().start(menu, std::make_shared<Bridge>());
    EXPECT_EQ(menu->numberOfItems(), 5);
    EXPECT_FALSE(Updater::shared().controller());
    EXPECT_EQ(&Updater::shared(), &Updater::shared());

    EXPECT_EQ(Updater::choice(), UpdateChannelChoice::automatic);
    Updater::setChoice(UpdateChannelChoice::internal);
    EXPECT_EQ(Updater::choice(), UpdateChannelChoice::internal);
    Updater::remember({phone("token", "testflight")});
    EXPECT_EQ(remembered(), Words{"testflight"});
    EXPECT_EQ(framework.starts, 0);
    EXPECT_TRUE(framework.checks.empty());
}

TEST(Updater, TheChoiceReadsAsAutomaticUnlessAKnownRawValueIsStored) {
    configure(false);
    EXPECT_EQ(Updater::choice(), UpdateChannelChoice::automatic);
    for (const UpdateChannelChoice choice : UpdateChannelChoice::allCases()) {
        Defaults::setString("updateChannel", std::string(choice.rawValue()));
        EXPECT_EQ(Updater::choice(), choice);
    }
    Defaults::setString("updateChannel", "TestFlight");
    EXPECT_EQ(Updater::choice(), UpdateChannelChoice::automatic);
    Defaults::setBool("updateChannel", true);
    EXPECT_EQ(Updater::choice(), UpdateChannelChoice::automatic);
}

TEST_F(UpdaterWithBridge, StartsOnceWithOneItemDirectlyAfterSettings) {
    const auto bridge = std::make_shared<Bridge>();
    Updater::shared().start(menu, bridge);
    const auto controller = Updater::shared().controller();
    ASSERT_TRUE(controller);
    Updater::shared().start(menu, bridge);
    Updater::shared().start(statusMenu(), bridge);
    EXPECT_EQ(Updater::shared().controller(), controller);
    ASSERT_EQ(menu->numberOfItems(), 6);
    EXPECT_EQ(menu->itemAt(1)->title(), "Settings…");
    EXPECT_EQ(menu->itemAt(2)->title(), "Check for Updates…");
    EXPECT_EQ(menu->itemAt(3)->title(), "Set Up Kestrelhaven…");
    EXPECT_EQ(framework.starts, 1);
    EXPECT_TRUE(controller->updater().showsGentleReminders());
    EXPECT_EQ(controller->updater().feedURL(), feedURL);

    // The item checks through the framework, which asks for the allowed channels.
    const auto item = menu->itemAt(2);
    EXPECT_EQ(item->keyEquivalent(), "");
    Defaults::setString("updateChannel", "testflight");
    EXPECT_TRUE(item->performAction());
    EXPECT_EQ(framework.checks, (std::vector<Check>{{false, {"testflight"}}}));

    // One device request at once, however often start was called.
    ASSERT_TRUE(eventually([&] { return deviceRequests() == 1; }));
}

TEST_F(UpdaterWithBridge, TheHourlyRefreshRemembersOnlyPhonesPairedWithTheirOwnToken) {
    server().state().setDevices(JSONCoding::JSON::array({
        phoneJSON("legacy", "legacy", "development"),
        phoneJSON("no auth", std::nullopt, "development"),
        phoneJSON("beta", "token", "testflight"),
        phoneJSON("no app", "token", std::nullopt),
        phoneJSON("store", "token", "appstore"),
        phoneJSON("upper case", "Token", "development"),
    }));
    Updater::shared().start(menu, std::make_shared<Bridge>());
    ASSERT_TRUE(eventually([] { return remembered() == Words{"testflight", "appstore"}; }));
    EXPECT_EQ(framework.checks, (std::vector<Check>{{true, {"testflight"}}}));

    server().state().setDevices(
        JSONCoding::JSON::array({phoneJSON("dev", "token", "development")}));
    Dispatch::Clock::advance(Updater::refreshInterval - 60);
    Dispatch::RunLoop::main().runFor(0.05);
    EXPECT_EQ(deviceRequests(), 1u);
    Dispatch::Clock::advance(60);
    ASSERT_TRUE(eventually([] { return remembered() == Words{"development"}; }));
    EXPECT_EQ(deviceRequests(), 2u);
    EXPECT_EQ(framework.checks.back(), (Check{true, {"internal", "testflight"}}));

    // And again every hour.
    Dispatch::Clock::advance(Updater::refreshInterval);
    ASSERT_TRUE(eventually([&] { return deviceRequests() == 3; }));
}

TEST_F(UpdaterWithBridge, ARefreshWithoutADeviceListChangesNothing) {
    Defaults::setStringList("updatePhoneDistributions", {"testflight"});
    server().script("/devices", SampleBridge::Reply::json(500, R"({"devices":[]})"));
    server().script("/devices", SampleBridge::Reply::json(200, "{}"));
    server().script("/devices", SampleBridge::Reply::json(200, R"({"phones":[]})"));
    server().script("/devices", SampleBridge::Reply::json(200, R"({"devices":[{"auth":1}]})"));
    server().script("/devices", SampleBridge::Reply::raw(""));
    Updater::shared().start(menu, std::make_shared<Bridge>());
    for (std::size_t refresh = 1; refresh < 5; ++refresh) {
        ASSERT_TRUE(eventually([&] { return deviceRequests() == refresh; }));
        Dispatch::Clock::advance(Updater::refreshInterval);
    }
    ASSERT_TRUE(eventually([&] { return deviceRequests() == 5; }));
    // The bridge's own answer: no phones at all, which is a change.
    Dispatch::Clock::advance(Updater::refreshInterval);
    ASSERT_TRUE(eventually([] { return remembered() == Words{}; }));
    EXPECT_EQ(framework.checks, (std::vector<Check>{{true, {}}}));
}

TEST_F(StartedUpdater, RememberStoresAndChecksOnlyWhenTheListChanged) {
    // Nothing stored and no word reported: no change.
    Updater::remember({phone("token", std::nullopt), phone("token", "", false)});
    EXPECT_EQ(remembered(), std::nullopt);
    EXPECT_TRUE(framework.checks.empty());

    Updater::remember({phone("token", "testflight"), phone("legacy", "development"),
                       phone(std::nullopt, "development"), phone("token", "appstore")});
    EXPECT_EQ(remembered(), (Words{"testflight", "appstore"}));
    EXPECT_EQ(framework.checks, (std::vector<Check>{{true, {"testflight"}}}));

    Updater::remember({phone("token", "testflight"), phone("token", "appstore")});
    EXPECT_EQ(framework.checks.size(), 1u);

    // The same phones in another order are a change.
    Updater::remember({phone("token", "appstore"), phone("token", "testflight")});
    EXPECT_EQ(remembered(), (Words{"appstore", "testflight"}));
    EXPECT_EQ(framework.checks.size(), 2u);

    // A token phone without an app leaves no word: the list empties, and that is a change.
    Updater::remember({phone("token", std::nullopt, false)});
    EXPECT_EQ(remembered(), Words{});
    EXPECT_EQ(framework.checks,
              (std::vector<Check>{{true, {"testflight"}}, {true, {"testflight"}}, {true, {}}}));

    // A framework that cannot check now is not asked, and the change is not retried.
    framework.canCheck = false;
    Updater::remember({phone("token", "development")});
    EXPECT_EQ(remembered(), Words{"development"});
    framework.canCheck = true;
    Updater::remember({phone("token", "development")});
    EXPECT_EQ(framework.checks.size(), 3u);
}

TEST_F(StartedUpdater, EverySetChoiceIsStoredAndChecked) {
    Updater::setChoice(UpdateChannelChoice::internal);
    EXPECT_EQ(Defaults::string("updateChannel"), "internal");
    Updater::setChoice(UpdateChannelChoice::internal);
    Updater::setChoice(UpdateChannelChoice::appStore);
    EXPECT_EQ(Updater::choice(), UpdateChannelChoice::appStore);
    EXPECT_EQ(framework.checks, (std::vector<Check>{{true, {"internal", "testflight"}},
                                                    {true, {"internal", "testflight"}},
                                                    {true, {}}}));
    framework.canCheck = false;
    Updater::setChoice(UpdateChannelChoice::testFlight);
    EXPECT_EQ(Defaults::string("updateChannel"), "testflight");
    EXPECT_EQ(framework.checks.size(), 3u);
}

TEST_F(StartedUpdater, AnswersTheFrameworksQuestions) {
    auto& updater = Updater::shared();
    const auto& sparkle = updater.controller()->updater();
    // No stored choice: the channels follow the remembered phones.
    EXPECT_EQ(updater.allowedChannels(sparkle), std::set<std::string>{});
    Defaults::setStringList("updatePhoneDistributions", {"appstore", "development"});
    EXPECT_EQ(updater.allowedChannels(sparkle), (std::set<std::string>{"internal", "testflight"}));
    Defaults::setString("updateChannel", "appstore");
    EXPECT_EQ(updater.allowedChannels(sparkle), std::set<std::string>{});
    EXPECT_TRUE(updater.supportsGentleScheduledUpdateReminders());

    // Before the framework shows an update itself, the application comes to the front.
    const int activations = AppKit::Application::shared().activationCount();
    framework.offered = Sparkle::AppcastItem{"214", "1.5.0", std::nullopt};
    updater.controller()->updater().checkForUpdatesInBackground();
    EXPECT_EQ(framework.shown.size(), 1u);
    EXPECT_EQ(AppKit::Application::shared().activationCount(), activations + 1);
    updater.standardUserDriverWillHandleShowingUpdate(false, *framework.offered, {});
    EXPECT_EQ(AppKit::Application::shared().activationCount(), activations + 1);
}
