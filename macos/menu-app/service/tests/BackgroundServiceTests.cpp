#include "menubar/LocalHTTP.h"
#include "service/BackgroundService.h"
#include "service/Bundled.h"
#include "service/tests/ServiceFixture.h"

#include <Dispatch/Clock.h>
#include <ServiceManagement/TestDouble.h>
#include <Testing/Testing.h>
#include <gmock/gmock.h>
#include <sample-bridge/Server.h>
#include <sys/stat.h>

using BackgroundService::Outcome;
using BackgroundService::Status;
using Foundation::PropertyList;
using ServiceManagement::TestDouble;
using testing::Each;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;

namespace {

namespace fs = std::filesystem;

bool answers() {
    return LocalHTTP::send("GET", "/healthz", std::nullopt, 1).status == 200;
}

class BackgroundServices : public WithBuiltBundle {
protected:
    Outcome turnOn(const std::vector<std::string>& retiring = {}) {
        return BackgroundService::turnOn(
            retiring, [this](const std::string& line) { progress.push_back(line); });
    }

    std::vector<std::string> progress;
};

std::vector<std::string> commandLine(pid_t pid) {
    const std::string text = Testing::readText("/proc/" + std::to_string(pid) + "/cmdline");
    std::vector<std::string> arguments;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find('\0', at);
        arguments.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return arguments;
}

} // namespace

TEST_F(BackgroundServices, TurningOnRunsTheBridgeThroughTheLauncherUntilUnregistered) {
    EXPECT_EQ(BackgroundService::status(), Status::notRegistered);
    EXPECT_EQ(turnOn(), Outcome::running());
    EXPECT_THAT(progress,
                ElementsAre("Preparing ~/.kestrelhaven…", "Turning on the background service…",
                            "Waiting for the bridge…"));
    EXPECT_EQ(BackgroundService::status(), Status::enabled);
    EXPECT_TRUE(answers());

    // The launcher has replaced itself with the runtime, which serves with its logs in place.
    const auto job = agentJob();
    ASSERT_TRUE(job && job->isRunning());
    const fs::path built = fs::canonical(KH_BUILT_BUNDLE "/Contents");
    EXPECT_EQ(fs::read_symlink("/proc/" + std::to_string(job->instance->pid) + "/exe"),
              built / "Helpers" / "node");
    EXPECT_THAT(commandLine(job->instance->pid),
                ElementsAre((built / "Helpers" / "node").string(), "--disable-sigusr1",
                            (built / "Resources/bridge/dist/daemon.js").string()));
    EXPECT_THAT(Testing::readText(home / ".kestrelhaven/logs/launchd.err.log"),
                HasSubstr("sample bridge: serving at " + LocalHTTP::socketPath()));
    struct stat data {};
    ASSERT_EQ(::stat((home / ".kestrelhaven").c_str(), &data), 0);
    EXPECT_EQ(data.st_mode & 07777, 0700u);

    EXPECT_TRUE(BackgroundService::restart());
    const auto restarted = agentJob();
    ASSERT_TRUE(restarted && restarted->instance);
    EXPECT_NE(restarted->instance->pid, job->instance->pid);
    EXPECT_FALSE(job->isRunning());
    EXPECT_TRUE(BackgroundService::waitForBridge(true, 10));

    EXPECT_EQ(BackgroundService::unregister(), std::nullopt);
    EXPECT_FALSE(restarted->isRunning());
    EXPECT_FALSE(answers());
    EXPECT_FALSE(agentJob());
    EXPECT_EQ(BackgroundService::status(), Status::notRegistered);
}

TEST_F(BackgroundServices, AnotherBridgeStillAnsweringStopsTheTurnOnBeforeItRegisters) {
    // The pauses move the clock; each check's own time runs it on too, so the count of checks
    // depends on the machine's speed, but not the pauses between them or the span they cover.
    std::vector<double> pauses;
    skipWaits(&pauses);
    SampleBridge::Server other(LocalHTTP::socketPath(), SampleBridge::State());
    const double started = Dispatch::Clock::now();
    EXPECT_EQ(turnOn(),
              Outcome::failed("Another bridge still answers on " + LocalHTTP::socketPath() +
                              " (a `kestrelhaven start --foreground`?). Stop it, then "
                              "try again."));
    EXPECT_GE(Dispatch::Clock::now() - started, 6.0);
    EXPECT_THAT(pauses, Each(0.3)) << "checked every 0.3 s";
    EXPECT_LE(pauses.size() * 0.3, 6.0 + 0.3) << "for 6 s";
    EXPECT_EQ(other.requests().size(), pauses.size()) << "a check before each pause";
    EXPECT_THAT(progress, IsEmpty());
    EXPECT_EQ(BackgroundService::status(), Status::notRegistered);
}

TEST_F(BackgroundServices, AFailedPreparationEndsTheTurnOnWithTheToolsComplaint) {
    Testing::writeText(home / ".kestrelhaven", "a file where the data folder belongs");
    // The tool's complaint is passed on as it was written, line feed included.
    EXPECT_EQ(turnOn(), Outcome::failed("kestrelhaven init failed: sample bridge: couldn't prepare "
                                        "the data folder " +
                                        (home / ".kestrelhaven").string() + ": Not a directory\n"));
    EXPECT_THAT(progress, ElementsAre("Preparing ~/.kestrelhaven…"));
    EXPECT_FALSE(agentJob());
}

TEST_F(BackgroundServices, ARefusedRegistrationIsReportedUnlessApprovalIsPending) {
    const Foundation::Error refusal{"SMAppServiceErrorDomain", 1, "Operation not permitted"};
    {
        TestDouble refusing({.registerFailure = refusal});
        EXPECT_EQ(turnOn(),
                  Outcome::failed("macOS refused the background service: Operation not permitted"));
        EXPECT_THAT(progress, ElementsAre("Preparing ~/.kestrelhaven…",
                                          "Turning on the background service…"));
    }
    for (const auto& failure : {std::optional<Foundation::Error>(), std::optional(refusal)}) {
        TestDouble waiting({.requiresApproval = true, .registerFailure = failure});
        EXPECT_EQ(turnOn(), Outcome::needsApproval());
        EXPECT_EQ(BackgroundService::status(), Status::requiresApproval);
    }
    EXPECT_FALSE(agentJob());
}

TEST_F(BackgroundServices, ABridgeThatDoesNotAnswerPointsToItsLogAndStaysRegistered) {
    skipWaits();
    // An agent whose program ends at once, serving nothing.
    writeAgent(Bundled::app() / "Contents/Library/LaunchAgents", BackgroundService::label(),
               {{"Label", BackgroundService::label()}, {"Program", "/bin/true"}});
    EXPECT_EQ(turnOn(), Outcome::failed("The service is on, but the bridge isn't answering yet. "
                                        "Its log: ~/.kestrelhaven/logs/launchd.err.log"));
    EXPECT_EQ(progress.back(), "Waiting for the bridge…");
    EXPECT_EQ(BackgroundService::status(), Status::enabled);
}

TEST_F(BackgroundServices, WaitingForTheBridgeChecksAtLeastOnce) {
    SampleBridge::Server bridge(LocalHTTP::socketPath(), SampleBridge::State());
    EXPECT_TRUE(BackgroundService::waitForBridge(true, 0));
    EXPECT_EQ(bridge.requests().size(), 1u);
    EXPECT_FALSE(BackgroundService::waitForBridge(false, 0));
    EXPECT_EQ(bridge.requests().size(), 2u);
    EXPECT_EQ(bridge.requests().back().path, "/healthz");

    // Anything but 200 counts as not answering.
    bridge.script("/healthz", SampleBridge::Reply::json(503, "{}"));
    EXPECT_TRUE(BackgroundService::waitForBridge(false, 0));
}

TEST_F(BackgroundServices, TheStatusTellsAMissingPropertyListFromAnUnregisteredAgent) {
    EXPECT_EQ(BackgroundService::plist(),
              Bundled::app() /
                  "Contents/Library/LaunchAgents/com.tallowmeadows.kestrelhaven.agent.plist");
    EXPECT_EQ(BackgroundService::label(), "com.tallowmeadows.kestrelhaven.agent");
    EXPECT_EQ(BackgroundService::target("x.y"), "gui/" + std::to_string(::getuid()) + "/x.y");
    EXPECT_EQ(BackgroundService::status(), Status::notRegistered);
    fs::remove(BackgroundService::plist());
    EXPECT_EQ(BackgroundService::status(), Status::notFound);
    EXPECT_FALSE(BackgroundService::restart());
}
