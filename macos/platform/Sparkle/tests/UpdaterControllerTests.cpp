#include <AppKit/Alert.h>
#include <Foundation/Bundle.h>
#include <Sparkle/StandardUpdaterController.h>
#include <Sparkle/TestDouble.h>
#include <Testing/Testing.h>
#include <gtest/gtest.h>

using namespace Sparkle;

namespace {

// A delegate of both kinds that answers as scripted and records what it was told.
struct Delegate : UpdaterDelegate, StandardUserDriverDelegate {
    std::set<std::string> channels;
    int channelQuestions = 0;
    bool couldCheckWhileAsked = true;
    std::vector<std::pair<AppcastItem, UserUpdateState>> shown;

    std::set<std::string> allowedChannels(const Updater& updater) override {
        ++channelQuestions;
        couldCheckWhileAsked = updater.canCheckForUpdates();
        return channels;
    }
    bool supportsGentleScheduledUpdateReminders() const override { return true; }
    void standardUserDriverWillHandleShowingUpdate(bool handle, const AppcastItem& update,
                                                   const UserUpdateState& state) override {
        EXPECT_TRUE(handle);
        shown.emplace_back(update, state);
    }
};

constexpr const char* feedURL = "https://updates.kestrelhaven.example/appcast.xml";
constexpr const char* publicKey = "pB1CiAoTq1kKqmiuyArIDAGXGr0sdyxlXUQ6eBvt1Ns=";

class UpdaterController : public testing::Test {
protected:
    void SetUp() override {
        Testing::useTestHome({{"SUFeedURL", feedURL}, {"SUPublicEDKey", publicKey}});
        AppKit::Alert::setPresenter([this](const AppKit::Alert& alert) {
            alerts.push_back(alert.messageText() + " / " + alert.informativeText());
            return AppKit::alertFirstButtonReturn;
        });
    }
    void TearDown() override {
        AppKit::Alert::setPresenter({});
        Foundation::Bundle::setMainInfo("SUFeedURL", feedURL);
        Foundation::Bundle::setMainInfo("SUPublicEDKey", publicKey);
    }

    std::shared_ptr<StandardUpdaterController> make(bool starting = true) {
        return std::make_shared<StandardUpdaterController>(starting, delegate, delegate);
    }

    std::shared_ptr<Delegate> delegate = std::make_shared<Delegate>();
    std::vector<std::string> alerts;
};

} // namespace

TEST_F(UpdaterController, StartsOnceFromTheFeedAndKeyInInfoPlist) {
    TestDouble feed;
    const auto later = make(false);
    EXPECT_FALSE(later->updater().isStarted());
    EXPECT_FALSE(later->updater().canCheckForUpdates());
    later->updater().checkForUpdatesInBackground();
    EXPECT_EQ(delegate->channelQuestions, 0);

    later->startUpdater();
    later->startUpdater();
    const auto& updater = later->updater();
    EXPECT_TRUE(updater.isStarted());
    EXPECT_TRUE(updater.canCheckForUpdates());
    EXPECT_EQ(updater.feedURL(), feedURL);
    EXPECT_TRUE(updater.showsGentleReminders());
    EXPECT_EQ(feed.starts, 1);
    EXPECT_TRUE(alerts.empty());

    // A delegate that does not answer leaves the framework's default.
    const auto silent = std::make_shared<StandardUserDriverDelegate>();
    StandardUpdaterController defaults(true, {}, silent);
    EXPECT_FALSE(defaults.updater().showsGentleReminders());
    EXPECT_EQ(feed.starts, 2);
}

TEST_F(UpdaterController, ABuildWithoutFeedOrKeyDoesNotStartAndSaysSo) {
    TestDouble feed;
    Foundation::Bundle::setMainInfo("SUPublicEDKey", "");
    const auto noKey = make();
    EXPECT_FALSE(noKey->updater().isStarted());
    Foundation::Bundle::setMainInfo("SUPublicEDKey", "key");
    Foundation::Bundle::setMainInfo("SUFeedURL", 42);
    const auto noFeed = make();
    EXPECT_FALSE(noFeed->updater().isStarted());
    EXPECT_EQ(alerts, (std::vector<std::string>{
                          "Unable to Check for Updates / The updater failed to start: Info.plist "
                          "holds no key to check updates with (SUPublicEDKey).",
                          "Unable to Check for Updates / The updater failed to start: Info.plist "
                          "names no update feed (SUFeedURL).",
                      }));

    auto item = AppKit::MenuItem::make("Check for Updates…");
    noFeed->checkForUpdates(*item);
    EXPECT_EQ(delegate->channelQuestions, 0);
    EXPECT_TRUE(feed.checks.empty());
    EXPECT_EQ(feed.starts, 0);
}

TEST_F(UpdaterController, WithoutANetworkOnlyAUserCheckReportsTheUnreachableFeed) {
    const auto controller = make();
    delegate->channels = {"testflight"};
    controller->updater().checkForUpdatesInBackground();
    EXPECT_TRUE(alerts.empty());
    EXPECT_EQ(delegate->channelQuestions, 1);

    auto item = AppKit::MenuItem::make("Check for Updates…");
    controller->checkForUpdates(*item);
    EXPECT_EQ(alerts, (std::vector<std::string>{"Update Error / The update feed could not be "
                                                "reached, so no update information was "
                                                "retrieved. Please try again later."}));
    EXPECT_EQ(delegate->channelQuestions, 2);
    // One check at a time: none could start while the delegate was asked.
    EXPECT_FALSE(delegate->couldCheckWhileAsked);
    EXPECT_TRUE(controller->updater().canCheckForUpdates());
    EXPECT_TRUE(delegate->shown.empty());
}

TEST_F(UpdaterController, ADoubleRecordsChecksAndOffersUpdatesOnAllowedChannels) {
    TestDouble feed;
    const auto controller = make();
    auto& updater = controller->updater();

    updater.checkForUpdatesInBackground();
    delegate->channels = {"internal", "testflight"};
    updater.checkForUpdates();
    EXPECT_EQ(feed.checks,
              (std::vector<TestDouble::Check>{{true, {}}, {false, {"internal", "testflight"}}}));
    EXPECT_TRUE(alerts.empty());

    feed.canCheck = false;
    EXPECT_FALSE(updater.canCheckForUpdates());
    updater.checkForUpdatesInBackground();
    EXPECT_EQ(feed.checks.size(), 2u);
    feed.canCheck = true;

    // An update on a channel the delegate does not allow is not offered; one on the default
    // channel, or an allowed one, is shown.
    const AppcastItem beta{"213", "1.5.0 beta", "testflight"};
    feed.offered = beta;
    delegate->channels = {};
    updater.checkForUpdatesInBackground();
    EXPECT_TRUE(delegate->shown.empty());
    delegate->channels = {"testflight"};
    updater.checkForUpdates();
    const AppcastItem release{"214", "1.5.0", std::nullopt};
    feed.offered = release;
    delegate->channels = {};
    updater.checkForUpdatesInBackground();

    using Stage = UserUpdateState::Stage;
    ASSERT_EQ(delegate->shown.size(), 2u);
    EXPECT_EQ(delegate->shown[0].first, beta);
    EXPECT_EQ(delegate->shown[0].second, (UserUpdateState{Stage::notDownloaded, true}));
    EXPECT_EQ(delegate->shown[1].first, release);
    EXPECT_EQ(delegate->shown[1].second, (UserUpdateState{Stage::notDownloaded, false}));
    EXPECT_EQ(feed.shown, (std::vector<AppcastItem>{beta, release}));
}

TEST_F(UpdaterController, HoldsItsDelegatesWeakly) {
    TestDouble feed;
    const auto controller = make();
    delegate->channels = {"testflight"};
    delegate.reset();
    controller->updater().checkForUpdatesInBackground();
    feed.offered = AppcastItem{"214", "1.5.0", std::nullopt};
    controller->updater().checkForUpdatesInBackground();
    EXPECT_EQ(feed.checks, (std::vector<TestDouble::Check>{{true, {}}, {true, {}}}));
    EXPECT_EQ(feed.shown.size(), 1u);
}
