#include "service/Bundled.h"
#include "service/Waiting.h"
#include "uninstall/ServiceRemoval.h"
#include "uninstall/Uninstaller.h"
#include "uninstall/tests/UninstallFixture.h"

#include <Dispatch/Clock.h>
#include <Testing/Testing.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using testing::ElementsAre;
using Status = UninstallStep::Status;
using Result = UninstallStep::Result;

namespace {

namespace fs = std::filesystem;

TEST(ProcessListing, KeepsOnlyLinesWithANumberAndACommand) {
    EXPECT_THAT(Uninstaller::parseProcessListing("    1 /sbin/init splash\n"
                                                 "\n"
                                                 "  42\t\n"
                                                 "abc /bin/node daemon.js\n"
                                                 "99999999999 /bin/node\n"
                                                 "-7 /bin/node\n"
                                                 "0 /bin/node\n"
                                                 "12x /bin/node\n"
                                                 "\t 315   /a/node  --x /a/daemon.js \t\n"
                                                 "nospace"),
                ElementsAre(Uninstaller::ListedProcess{1, "/sbin/init splash"},
                            Uninstaller::ListedProcess{315, "/a/node  --x /a/daemon.js"}));
}

class ServiceRemoval : public UninstallHome {};

TEST_F(ServiceRemoval, ABridgeThatEndsOnTerminateIsStoppedWithoutAKill) {
    quickWaits();
    const Launchd::Instance started = startBridge(false);
    EXPECT_THAT(Uninstaller::bridgeProcesses(), ElementsAre(started.pid));
    EXPECT_THAT(Uninstaller::plan(), testing::Contains("1 bridge process of this app, stopped."));
    EXPECT_EQ(Uninstaller::stopBridgeProcesses(),
              (Result{Status::done, "stopped pid " + std::to_string(started.pid)}));
    EXPECT_FALSE(Launchd::isRunning(started));
    EXPECT_EQ(Uninstaller::stopBridgeProcesses(), (Result{Status::notFound, "none left running"}));
}

TEST_F(ServiceRemoval, ABridgeThatIgnoresTerminateIsKilled) {
    quickWaits();
    const Launchd::Instance started = startBridge(true);
    EXPECT_EQ(Uninstaller::stopBridgeProcesses(),
              (Result{Status::done, "stopped pid " + std::to_string(started.pid) + " (SIGKILL)"}));
    EXPECT_FALSE(Launchd::isRunning(started));
}

TEST_F(ServiceRemoval, EveryBridgeOfThisBundleCountsAndOneThatKeepsComingBackFails) {
    startBridge(false);
    // A bridge whose socket was taken away runs on beside the next one.
    fs::remove(home / ".kestrelhaven/bridge.sock");
    startBridge(false);
    EXPECT_THAT(Uninstaller::plan(), testing::Contains("2 bridge processes of this app, stopped."));

    // While the uninstaller waits, a new bridge takes the place of those before it.
    Waiting::setPause([this](double seconds) {
        Dispatch::Clock::advance(seconds);
        for (const Launchd::Instance& started : bridges)
            Launchd::stop(started, 0.5);
        startBridge(false);
    });
    const Result stopped = Uninstaller::stopBridgeProcesses();
    EXPECT_EQ(stopped,
              (Result{Status::failed, "still running: pid " + std::to_string(bridges.back().pid)}));
}

TEST_F(ServiceRemoval, ABuildWithoutItsOwnBridgeHasNoServiceToUnregister) {
    fs::remove(Bundled::app() / "Contents/Helpers");
    EXPECT_EQ(Uninstaller::unregisterService(),
              (Result{Status::notFound, "this build has no background service of its own"}));
}

TEST_F(ServiceRemoval, AnotherBundlesBridgeIsNeitherListedNorSignalled) {
    quickWaits();
    const fs::path other = home.parent_path() / "Other.app/Contents";
    fs::create_directories(other / "Resources/bridge/dist");
    fs::copy_file(KH_BUILT_BUNDLE "/Contents/Resources/bridge/dist/daemon.js",
                  other / "Resources/bridge/dist/daemon.js");
    const auto started =
        Launchd::start({KH_BUILT_BUNDLE "/Contents/Helpers/node", "--disable-sigusr1",
                        (other / "Resources/bridge/dist/daemon.js").string()},
                       {"HOME=" + home.string()});
    ASSERT_TRUE(started);
    bridges.push_back(*started);
    EXPECT_THAT(Uninstaller::bridgeProcesses(), testing::IsEmpty());
    EXPECT_EQ(Uninstaller::stopBridgeProcesses(), (Result{Status::notFound, "none left running"}));
    EXPECT_TRUE(Launchd::isRunning(*started));
}

TEST_F(ServiceRemoval, DeveloperAgentsAreStoppedAndTheirPlistsTrashed) {
    skipWaits();
    const fs::path state = home.parent_path() / "booted-out";
    // Loaded until booted out.
    scriptLaunchctl("case \"$1\" in bootout) touch '" + state.string() + "';; print) [ -e '" +
                    state.string() + "' ] && exit 113; exit 0;; esac\n");
    const fs::path plist =
        writeAgent(home / "Library/LaunchAgents", developerLabel, {{"Label", std::string("x")}});
    EXPECT_EQ(Uninstaller::retireDeveloperAgent(developerLabel),
              (Result{Status::done, "stopped, its plist moved to the Trash"}));
    EXPECT_FALSE(fs::exists(plist));
    EXPECT_TRUE(fs::exists(home / ".Trash" / plist.filename()));

    // Installed but not loaded.
    writeAgent(home / "Library/LaunchAgents", developerLabel, {{"Label", std::string("x")}});
    EXPECT_EQ(Uninstaller::retireDeveloperAgent(developerLabel),
              (Result{Status::done, "its plist moved to the Trash"}));
    EXPECT_EQ(Uninstaller::retireDeveloperAgent(developerLabel),
              (Result{Status::notFound, "not installed"}));
}

TEST_F(ServiceRemoval, AnAgentLaunchdKeepsOrAPlistThatWontMoveFails) {
    skipWaits();
    const fs::path plist =
        writeAgent(home / "Library/LaunchAgents", developerLabel, {{"Label", std::string("x")}});
    // A file where the Trash should be: the move can't happen, even for root.
    Testing::writeText(home / ".Trash", "");
    const Result result = Uninstaller::retireDeveloperAgent(developerLabel);
    EXPECT_EQ(result.status, Status::failed);
    EXPECT_THAT(result.detail, testing::StartsWith("; the plist: Couldn't move "));
    EXPECT_TRUE(fs::exists(plist));

    scriptLaunchctl("exit 0\n");
    EXPECT_EQ(Uninstaller::retireDeveloperAgent(developerLabel),
              (Result{Status::failed, "launchctl bootout didn't stop it"}));
    EXPECT_TRUE(fs::exists(plist));
}

} // namespace
