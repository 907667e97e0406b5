#include <Dispatch/RunLoop.h>
#include <Testing/Testing.h>
#include <UserNotifications/NotificationCenter.h>
#include <UserNotifications/TestDouble.h>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>

using namespace UserNotifications;
namespace fs = std::filesystem;

namespace {

bool eventually(const std::function<bool()>& condition) {
    return Dispatch::RunLoop::main().runUntil(condition, 5);
}

// The centre's answer to a settings request, waited for.
AuthorizationStatus askedStatus() {
    std::atomic<bool> answered{false};
    std::atomic<AuthorizationStatus> status{AuthorizationStatus::notDetermined};
    NotificationCenter::current().getNotificationSettings([&](NotificationSettings settings) {
        status = settings.authorizationStatus;
        answered = true;
    });
    EXPECT_TRUE(eventually([&] { return answered.load(); }));
    return status;
}

std::optional<bool> askedAuthorization() {
    std::atomic<int> answer{-1};
    NotificationCenter::current().requestAuthorization(
        AuthorizationOptions::alert, [&](bool granted, std::optional<Foundation::Error> error) {
            EXPECT_FALSE(error);
            answer = granted ? 1 : 0;
        });
    if (!eventually([&] { return answer >= 0; }))
        return std::nullopt;
    return answer == 1;
}

const NotificationRequest added{"dossier-share-s1", {"Added to your Dossier", "“Notes”"}};

} // namespace

TEST(NotificationCenter, AnswersArriveOnTheCentresQueueWithTheDoublesStatus) {
    TestDouble user({.status = AuthorizationStatus::provisional});
    std::atomic<bool> offMain{false};
    std::atomic<bool> answered{false};
    NotificationCenter::current().getNotificationSettings([&](NotificationSettings settings) {
        offMain = !Dispatch::RunLoop::isMainThread();
        EXPECT_EQ(settings.authorizationStatus, AuthorizationStatus::provisional);
        answered = true;
    });
    ASSERT_TRUE(eventually([&] { return answered.load(); }));
    EXPECT_TRUE(offMain);
    NotificationCenter::current().add(added);
    EXPECT_EQ(user.shown(), std::vector<NotificationRequest>{added});
}

TEST(NotificationCenter, TheUserIsAskedWhileUndecidedAndRequestsBeforeLeaveAreDropped) {
    TestDouble user({.status = AuthorizationStatus::notDetermined, .grants = true});
    NotificationCenter::current().add(added);
    EXPECT_EQ(askedAuthorization(), true);
    EXPECT_EQ(user.authorizationRequests(), 1);
    EXPECT_EQ(user.lastOptions(), AuthorizationOptions::alert);
    EXPECT_EQ(askedStatus(), AuthorizationStatus::authorized);
    NotificationCenter::current().add(added);
    EXPECT_EQ(user.shown().size(), 1u);

    TestDouble refusing({.status = AuthorizationStatus::notDetermined, .grants = false});
    EXPECT_EQ(askedAuthorization(), false);
    EXPECT_EQ(refusing.status(), AuthorizationStatus::denied);
    // Once decided, asking again changes nothing.
    EXPECT_EQ(askedAuthorization(), false);
    NotificationCenter::current().add(added);
    EXPECT_TRUE(refusing.shown().empty());
}

class DesktopNotifications : public testing::Test {
protected:
    void SetUp() override {
        Testing::useTestHome();
        ::setenv("HOME", home.path().c_str(), 1);
        ::setenv("PATH", tools.string().c_str(), 1);
    }

    void installNotifySend() {
        Testing::writeText(tools / "notify-send",
                           "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > " +
                               shown.string() + ".tmp && /bin/mv " + shown.string() + ".tmp " +
                               shown.string() + "\n");
        fs::permissions(tools / "notify-send", fs::perms::owner_all);
    }

    Testing::TemporaryFolder home;
    Testing::TemporaryFolder toolFolder;
    fs::path tools = toolFolder.path();
    fs::path shown = toolFolder.path() / "shown.txt";
};

TEST_F(DesktopNotifications, LeaveIsGrantedWhenNotifySendIsThereKeptAndUsedToShow) {
    installNotifySend();
    EXPECT_EQ(askedStatus(), AuthorizationStatus::notDetermined);
    EXPECT_EQ(askedAuthorization(), true);
    EXPECT_TRUE(fs::exists(home.path() / ".standins" / "usernotifications" /
                           "com.tallowmeadows.kestrelhaven.menu.plist"));

    NotificationCenter::current().add(added);
    ASSERT_TRUE(eventually([&] { return fs::exists(shown); }));
    EXPECT_EQ(Testing::readText(shown), "--app-name=com.tallowmeadows.kestrelhaven.menu\n--\n"
                                        "Added to your Dossier\n“Notes”\n");

    // The decision stands even when the tool goes.
    fs::remove(tools / "notify-send");
    EXPECT_EQ(askedStatus(), AuthorizationStatus::authorized);
}

TEST_F(DesktopNotifications, LeaveIsDeniedWithoutNotifySendAndNothingIsShownThen) {
    EXPECT_EQ(askedAuthorization(), false);
    installNotifySend();
    EXPECT_EQ(askedStatus(), AuthorizationStatus::denied);
    EXPECT_EQ(askedAuthorization(), false);
    NotificationCenter::current().add(added);
    Dispatch::RunLoop::main().runFor(0.2);
    EXPECT_FALSE(fs::exists(shown));
}
