// The menu-bar executable's switches, run as a user runs them: the built program inside a test
// bundle whose home is the test home, its output and exit status compared whole.
#include "menubar/LocalHTTP.h"
#include "relay/DossierShares.h"
#include "service/BackgroundService.h"
#include "service/Bundled.h"
#include "service/ClaudeHooks.h"
#include "service/Run.h"
#include "service/SetupCommandLine.h"
#include "service/tests/CommandLineFixture.h"
#include "settings/tests/UpdatesTesting.h"
#include "uninstall/FileRemovals.h"
#include "uninstall/Uninstaller.h"

#include <Dispatch/Clock.h>
#include <Dispatch/RunLoop.h>
#include <Foundation/Log.h>
#include <JSONCoding/JSONCoding.h>
#include <ServiceManagement/TestDouble.h>
#include <Testing/Testing.h>
#include <chrono>
#include <csignal>
#include <future>
#include <gmock/gmock.h>
#include <limits>
#include <nlohmann/json.hpp>
#include <sample-bridge/Server.h>
#include <share-core/DossierOutbox.h>
#include <share-core/ShareState.h>
#include <unistd.h>

using SampleBridge::Reply;
using testing::HasSubstr;
using testing::StartsWith;

namespace {

namespace fs = std::filesystem;
using CommandLineTesting::agent;
using CommandLineTesting::appGroup;
using CommandLineTesting::extension;

class CommandLineWithoutAppGroup : public CommandLine {
protected:
    Foundation::PropertyList::Dictionary info() const override { return {}; }
};

class CommandLineThatUpdates : public CommandLine {
protected:
    Foundation::PropertyList::Dictionary info() const override {
        auto info = CommandLine::info();
        info["SUFeedURL"] = UpdatesTesting::feedURL;
        info["SUPublicEDKey"] = UpdatesTesting::publicKey;
        return info;
    }
};

using UnmovedCommandLine = Testing::Translocated<CommandLine>;

const std::string alreadyRunning = "Kestrelhaven is already running.\n";
const std::string relayedElsewhere =
    "the running application relays the outbox: nothing drained here\n";

Outcome result(std::int32_t status, std::string output, std::string error = "") {
    return {status, std::move(output), std::move(error)};
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

TEST(CommandLineText, ColumnsCountCharactersAndCutLongWords) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"ok", "ok   "},
        {"fatal", "fatal"},
        {"pending", "pendi"},
        {"", "     "},
        {"été", "été  "},
        {"réglé!", "réglé"},
        {"e\u0301t\u00e9", "e\u0301t\u00e9  "},
        {"👍🏽ok", "👍🏽ok  "}};
    for (const auto& [word, cell] : cases)
        EXPECT_EQ(SetupCommandLine::column(word, 5), cell) << word;
}

TEST(CommandLineText, TheOutboxWaitsAtLeastThreeSecondsAndReadsOnlyWholeNumbers) {
    const double forever = std::numeric_limits<double>::infinity();
    const std::vector<std::pair<std::optional<std::string>, double>> cases = {
        {std::nullopt, 3}, {"", 3},    {"1", 3},         {"7.5", 7.5},       {"1e1", 10},
        {"+8", 8},         {"-20", 3}, {"soon", 3},      {"5s", 3},          {" 5", 3},
        {"nan", 3},        {"NaN", 3}, {"inf", forever}, {"1e400", forever}, {"-inf", 3}};
    for (const auto& [argument, seconds] : cases)
        EXPECT_EQ(SetupCommandLine::outboxWait(argument), seconds) << argument.value_or("(none)");
}

TEST_F(CommandLine, SetupCheckReportsAWorkingInstallationAndTheDoctorsChecks) {
    serveBridge();
    standInClaude("2.1.300 (Claude Code)");
    ASSERT_EQ(Bundled::cli({"install-hooks"}, 20).status, 0);
    const std::string claude = (bin() / "claude").string();

    const Outcome report = menu({"--setup-check"});
    EXPECT_EQ(report.status, 0);
    EXPECT_EQ(report.error, "");
    EXPECT_EQ(report.output,
              line("app", Bundled::app().string()) + line("bundled bridge", "yes") +
                  line("test build", "home " + home.string()) +
                  line("agent", std::string(agent) + " — off") + line("developer agent", "none") +
                  line("bridge", "answering on " + LocalHTTP::socketPath()) +
                  line("hooks", "installed (" + settingsFile() + ")") +
                  line("claude", "2.1.300 at " + claude) +
                  line("updates", "off (no feed or EdDSA key in this build)") +
                  line("share relay", "nothing relays the outbox") +
                  "\ndoctor (something to do):\n"
                  "  ok    Bridge: Answers on ~/.kestrelhaven/bridge.sock (version 1.0.0).\n"
                  "  ok    Claude Code: At " +
                  claude +
                  ".\n"
                  "  ok    Claude Code hooks: All eight are in ~/.claude/settings.json.\n"
                  "  ok    Test hook: A test hook went through.\n"
                  "  todo  Claude Code integration: Not in Claude Code's MCP servers.\n"
                  "  todo  iPhone: No phone paired yet.\n");
}

TEST_F(CommandLineThatUpdates, SetupCheckSaysTheUpdaterIsOn) {
    EXPECT_THAT(menu({"--setup-check"}).output, HasSubstr(line("updates", "Sparkle on")));
}

TEST_F(UnmovedCommandLine, SetupCheckAsksToMoveTheApp) {
    EXPECT_THAT(menu({"--setup-check"}).output,
                StartsWith(line("app", Bundled::app().string() + " (move it to Applications)")));
}

TEST_F(CommandLine, SetupCheckTellsWhatIsMissingOrOld) {
    struct Case {
        std::string settings;
        std::optional<std::string> claudeSays;
        std::string hooks;
        std::string claude;
    };
    const std::string claude = (bin() / "claude").string();
    const std::vector<Case> cases = {
        {"", std::nullopt, "not installed", "not found"},
        {"[]", "2.0.9 (Claude Code)", "settings.json unreadable",
         "2.0.9 at " + claude + " — older than 2.1.224"},
        {R"({"hooks": {"Stop": [{"hooks": [{"type": "command",
             "command": "kh-hook stop # kestrelhaven-hook"}]}]}})",
         "Claude Code, a build of its own",
         "missing for " + std::string("SessionStart, ") +
             "UserPromptSubmit, Notification, PermissionRequest, PostToolUse, "
             "PostToolUseFailure, SessionEnd",
         "unknown version at " + claude},
    };
    for (const Case& test : cases) {
        fs::remove(settingsFile());
        fs::remove(bin() / "claude");
        if (!test.settings.empty())
            Testing::writeText(settingsFile(), test.settings);
        if (test.claudeSays)
            standInClaude(*test.claudeSays);
        const Outcome report = menu({"--setup-check"});
        EXPECT_EQ(report.status, 0);
        EXPECT_THAT(report.output,
                    HasSubstr(line("bridge", "not answering on " + LocalHTTP::socketPath()) +
                              line("hooks", test.hooks + " (" + settingsFile() + ")") +
                              line("claude", test.claude)));
    }
}

TEST_F(CommandLine, SetupCheckShowsTheDoctorsStatusWordsInFiveCharacters) {
    scriptRuntime(R"(echo 'Checking…'
echo '{"ok": true, "checks": [
  {"id": "bridge", "status": "ok", "title": "Bridge", "detail": "Answers."},
  {"id": "hooks", "status": "warning", "title": "Hooks", "detail": "Two missing."},
  {"id": "phones", "status": "réglé", "title": "iPhone", "detail": "Paired."}]}' | tr -d '\n'
echo
)");
    Outcome report = menu({"--setup-check"});
    EXPECT_THAT(report.output, HasSubstr("\ndoctor (everything works):\n"
                                         "  ok    Bridge: Answers.\n"
                                         "  warni Hooks: Two missing.\n"
                                         "  réglé iPhone: Paired.\n"));
    EXPECT_TRUE(report.output.ends_with("Paired.\n"));

    scriptRuntime("echo 'doctor: no such verb' >&2\nexit 1\n");
    report = menu({"--setup-check"});
    EXPECT_EQ(report.status, 0);
    EXPECT_TRUE(
        report.output.ends_with("\n\ndoctor         : couldn't run the bundled bridge's doctor\n"));
}

TEST_F(CommandLine, SetupCheckEndsInTimeAgainstATricklingBridge) {
    serveBridge();
    // What the check takes against a bridge that answers at once: starting the programs, which a
    // busy machine makes slow, is no part of the exchanges' bound.
    auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(menu({"--setup-check"}, 30).status, 0);
    const double prompt = secondsSince(start);
    // The check's own health request and the doctor's each meet a reply that would last minutes.
    server().script("/healthz", Reply::trickle(300));
    server().script("/healthz", Reply::endlessHead(300));
    start = std::chrono::steady_clock::now();
    const Outcome report = menu({"--setup-check"}, 30);
    EXPECT_EQ(report.status, 0);
    EXPECT_THAT(report.output,
                HasSubstr(line("bridge", "not answering on " + LocalHTTP::socketPath())));
    EXPECT_THAT(report.output, HasSubstr("  fail  Bridge: Nothing answers on "));
    // Twice the sum of the two exchanges' time-outs of a second.
    EXPECT_LT(secondsSince(start) - prompt, 4.0);
}

TEST_F(CommandLine, ServiceReportsRegistersAndUnregistersTheAgent) {
    const std::string status = std::string(agent) + ": ";
    EXPECT_EQ(menu({"--service"}), result(0, status + "off\n"));
    EXPECT_EQ(menu({"--service", "register"}), result(0, status + "on\n"));
    EXPECT_TRUE(BackgroundService::waitForBridge(true, 10));
    EXPECT_EQ(menu({"--service", "status"}), result(0, status + "on\n"));
    EXPECT_EQ(menu({"--service", "unregister"}), result(0, status + "off\n"));
    EXPECT_EQ(menu({"--service", "restart"}),
              result(2, "", "usage: --service status|register|unregister|switch\n"));

    fs::remove(BackgroundService::plist());
    const Outcome refused = menu({"--service", "register"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_THAT(refused.output, StartsWith("register failed: "));
    EXPECT_TRUE(refused.output.ends_with("\n" + status + "missing from the app\n"));
}

TEST_F(CommandLine, ServiceSwitchTurnsTheServiceOnOrSaysWhyItCouldNot) {
    const std::string status = std::string(agent) + ": ";
    Testing::writeText(home / ".kestrelhaven", "a file where the data folder belongs");
    EXPECT_EQ(menu({"--service", "switch"}),
              result(1, "Preparing ~/.kestrelhaven…\n" + status +
                            "off\nkestrelhaven init failed: sample bridge: couldn't prepare the "
                            "data folder " +
                            (home / ".kestrelhaven").string() + ": Not a directory\n\n"));

    fs::remove(home / ".kestrelhaven");
    EXPECT_EQ(menu({"--service", "switch"}),
              result(0, "Preparing ~/.kestrelhaven…\nTurning on the background service…\n"
                        "Waiting for the bridge…\n" +
                            status + "on\nbridge answering on " + LocalHTTP::socketPath() + "\n"));
    EXPECT_EQ(LocalHTTP::send("GET", "/healthz", std::nullopt, 1).status, 200);

    // Already on, its bridge answering: nothing to turn on, and that bridge is its own.
    EXPECT_EQ(menu({"--service", "switch"}),
              result(0, status + "on\nbridge answering on " + LocalHTTP::socketPath() + "\n"));
}

TEST_F(CommandLine, TurningTheServiceOffAndOnKeepsWhatTheUserChanged) {
    const auto ask = [](std::string_view method, std::string_view path, std::string body = "") {
        const auto reply = LocalHTTP::send(
            method, path, body.empty() ? std::nullopt : std::optional(Foundation::dataFrom(body)),
            5);
        EXPECT_GE(reply.status, 200) << path;
        EXPECT_LT(reply.status, 300) << path;
        return nlohmann::json::parse(reply.body.value_or(Foundation::Data{}), nullptr, false);
    };
    ASSERT_EQ(menu({"--service", "switch"}).status, 0);
    ask("POST", "/settings", R"({"key":"voiceLevel","value":"all"})");
    ask("POST", "/devices/forget", R"({"device_id":"Ada's iPhone"})");
    ask("POST", "/dossier", R"({"title":"Tide tables","text":"Low water at noon."})");

    ASSERT_EQ(menu({"--service", "unregister"}).status, 0);
    ASSERT_EQ(menu({"--service", "switch"}).status, 0);
    EXPECT_EQ(ask("GET", "/settings")["values"]["voiceLevel"], "all");
    EXPECT_EQ(ask("GET", "/devices")["devices"], nlohmann::json::array());
    const auto dossier = ask("GET", "/dossier")["items"];
    ASSERT_EQ(dossier.size(), 1u);
    EXPECT_EQ(dossier[0]["title"], "Tide tables");
    EXPECT_EQ(ask("POST", "/dossier", R"({"title":"Next","text":"More."})")["id"], "d000002");
}

TEST_F(CommandLine, ServiceSwitchWaitingForApprovalPointsToLoginItems) {
    // The stand-in's choice holds only in this process, so the command runs here.
    ServiceManagement::TestDouble waiting({.requiresApproval = true});
    testing::internal::CaptureStdout();
    EXPECT_EQ(SetupCommandLine::service("switch"), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Preparing ~/.kestrelhaven…\nTurning on the background service…\n" +
                  std::string(agent) +
                  ": waiting for approval in Login Items\nturn it on in System Settings › "
                  "General › Login Items\n");
}

TEST_F(CommandLine, HooksInstallPassesTheToolsOutputThrough) {
    EXPECT_EQ(menu({"--hooks", "install"}),
              result(0, "Added Kestrelhaven's hooks for 8 events to ~/.claude/settings.json.\n"));
    EXPECT_EQ(ClaudeHooks::state(), ClaudeHooks::State::installed());

    Testing::writeText(settingsFile(), "{ not JSON");
    EXPECT_EQ(menu({"--hooks", "install"}),
              result(1, "",
                     "sample bridge: ~/.claude/settings.json isn't valid JSON; it was left as it "
                     "is\n"));
}

TEST_F(CommandLine, UninstallWithoutYesListsThePlanAndChangesNothing) {
    const std::string again = "Run again with --yes to do it.\n";
    EXPECT_EQ(menu({"--uninstall"}), result(0, "Nothing of Kestrelhaven's to remove.\n" + again));

    ASSERT_EQ(Bundled::cli({"install-hooks"}, 20).status, 0);
    Testing::writeText(Uninstaller::dataFolder() / "config.json", "{}");
    const std::vector<std::string> plan = Uninstaller::plan();
    ASSERT_FALSE(plan.empty());
    std::string listed = "Would remove:\n";
    for (const std::string& sentence : plan)
        listed += "  - " + sentence + "\n";
    EXPECT_EQ(menu({"--uninstall"}), result(0, listed + again));
    EXPECT_EQ(menu({"--uninstall", "--delete-data"}),
              result(0, listed + "  - " + Uninstaller::dataFolder().string() + ", to the Trash\n" +
                            again));
    EXPECT_EQ(Uninstaller::plan(), plan);
    EXPECT_TRUE(fs::exists(Uninstaller::dataFolder() / "config.json"));
}

TEST_F(CommandLine, UninstallWithYesReportsEveryStepAndFailsWhenOneDid) {
    const std::string byHand =
        "\nStill to do by hand:\n"
        "  - Drag Kestrelhaven from Applications to the Trash.\n"
        "  - On your iPhone: forget this Mac's pairing in Kestrelhaven, then delete the app.\n"
        "  - Claude Code in a container: remove the Kestrelhaven token you gave the container; "
        "its hooks go at the container's next start.\n"
        "Log: " +
        (home / "Library" / "Logs" / "Kestrelhaven-uninstall.log").string() + "\n";
    ASSERT_EQ(Bundled::cli({"install-hooks"}, 20).status, 0);
    Testing::writeText(Uninstaller::dataFolder() / "config.json", "{}");

    Outcome removed = menu({"--uninstall", "--yes", "--delete-data"});
    EXPECT_EQ(removed.status, 0);
    EXPECT_THAT(removed.output, StartsWith("not found  Background service: "));
    EXPECT_THAT(removed.output, HasSubstr("\ndone       Hooks in ~/.claude/settings.json: "));
    EXPECT_THAT(removed.output, HasSubstr("\ndone       Kestrelhaven's data: "));
    EXPECT_TRUE(removed.output.ends_with(byHand)) << removed.output;
    EXPECT_EQ(ClaudeHooks::state(), ClaudeHooks::State::absent());
    EXPECT_FALSE(fs::exists(Uninstaller::dataFolder()));

    // The flags count in either order; a settings file that is not JSON fails its step.
    Testing::writeText(settingsFile(), "{ not JSON");
    removed = menu({"--uninstall", "--delete-data", "--yes"});
    EXPECT_EQ(removed.status, 1);
    EXPECT_THAT(removed.output, HasSubstr("\nFAILED     Hooks in ~/.claude/settings.json: "));
    EXPECT_THAT(removed.output, HasSubstr("\nnot found  Kestrelhaven's data: "));
    EXPECT_TRUE(removed.output.ends_with(byHand));
}

TEST_F(CommandLine, TheUninstallerNeverTakesItsOwnProcessForABridge) {
    // Started by the launcher's name, the program's own command line is the bridge's.
    const fs::path launcher = Bundled::app() / "Contents/MacOS/KestrelhavenBridge";
    fs::remove(launcher);
    fs::create_hard_link(program(), launcher);
    EXPECT_EQ(menu({"--uninstall"}, 90, launcher),
              result(0, "Nothing of Kestrelhaven's to remove.\nRun again with --yes to do it.\n"));
}

TEST_F(CommandLineWithoutAppGroup, UninstallHasNoShareOutboxToTrash) {
    EXPECT_THAT(menu({"--uninstall", "--yes", "--delete-data"}).output,
                HasSubstr("\nnot found  The Share menu's outbox: no App Group in this build\n"));
}

TEST_F(CommandLine, ArgumentsThatAskForNoCommandStartTheApplicationOneCopyAtATime) {
    serveBridge();
    const std::vector<std::vector<std::string>> cases = {{},
                                                         {"--hooks"},
                                                         {"--hooks", "remove"},
                                                         {"--snapshot"},
                                                         {"--setup"},
                                                         {"status", "--service"},
                                                         {"--snapshot-share"}};
    std::vector<std::future<Outcome>> runs;
    for (const auto& arguments : cases)
        runs.push_back(std::async(std::launch::async, [&] { return menu(arguments, 6); }));
    // The application asks the bridge for its conversations as it starts, and runs until ended;
    // a copy started while another runs says so and ends.
    std::size_t ran = 0;
    for (auto& run : runs) {
        const Outcome started = run.get();
        if (started.status == -1) {
            ++ran;
            EXPECT_THAT(started.error, HasSubstr("timed out"));
        } else {
            EXPECT_EQ(started, result(0, alreadyRunning));
        }
    }
    EXPECT_EQ(ran, 1u);
    std::size_t conversations = 0;
    for (const auto& request : server().requests())
        conversations += request.route() == "/conversations";
    EXPECT_GE(conversations, 1u);
}

TEST_F(CommandLine, BesideTheRunningApplicationASecondCopyEndsAndTheSwitchesWork) {
    serveBridge();
    auto running = std::async(std::launch::async, [&] { return menu({}, 12); });
    // The relay holds the outbox before it writes its state.
    const fs::path state = ShareStateStore::shared(appGroup)->directory / "mac.json";
    ASSERT_TRUE(Dispatch::RunLoop::main().runUntil([&] { return fs::exists(state); }, 8));
    EXPECT_EQ(menu({"--dossier-outbox"}, 5), result(1, relayedElsewhere));
    EXPECT_EQ(menu({}, 5), result(0, alreadyRunning));
    EXPECT_THAT(menu({"--share-menu"}, 5), testing::Field(&Outcome::status, 0));
    EXPECT_EQ(running.get().status, -1);
}

TEST_F(CommandLine, DossierOutboxNamesWhoHoldsTheOutbox) {
    serveBridge();
    const DossierOutbox outbox = *DossierOutbox::shared(appGroup);
    const auto holder = [&](std::string_view role) {
        return Dispatch::RunLoop::main().runUntil(
            [&] {
                const auto relayer = outbox.relayer();
                return relayer && relayer->role == role && relayer->pid != ::getpid();
            },
            8);
    };
    auto command = std::async(std::launch::async, [&] { return menu({"--dossier-outbox", "4"}); });
    ASSERT_TRUE(holder("dossier-outbox"));
    EXPECT_EQ(menu({"--dossier-outbox"}, 5),
              result(1, "another --dossier-outbox (process " +
                            std::to_string(outbox.relayer()->pid) +
                            ") relays the outbox: nothing drained here\n"));
    EXPECT_EQ(command.get().status, 0);

    auto running = std::async(std::launch::async, [&] { return menu({}, 12); });
    ASSERT_TRUE(holder("application"));
    EXPECT_EQ(menu({"--dossier-outbox"}, 5), result(1, relayedElsewhere));
    const pid_t application = outbox.relayer()->pid;
    ASSERT_EQ(::kill(application, SIGSTOP), 0);
    // Continued and ended whatever happens below.
    const auto ended =
        std::unique_ptr<const pid_t, void (*)(const pid_t*)>(&application, [](const pid_t* pid) {
            ::kill(*pid, SIGCONT);
            ::kill(*pid, SIGTERM);
        });
    EXPECT_EQ(menu({"--dossier-outbox"}, 5),
              result(1, "the application (process " + std::to_string(application) +
                            ") holds the outbox but is stopped: nothing drained here\n"));
}

TEST_F(CommandLine, TwoRelaysPostEachShareOnce) {
    Foundation::setLogSink([](const Foundation::LogEntry&) {});
    serveBridge(SampleBridge::State());
    const DossierOutbox outbox = *DossierOutbox::shared(appGroup);
    std::vector<std::string> titles;
    for (int index = 0; index < 200; ++index) {
        titles.push_back("Share " + std::to_string(index));
        ASSERT_EQ(outbox.add({DossierOutbox::newRef(), titles.back(), "A few words to keep.",
                              std::nullopt, std::nullopt, 1718452800000.0 + index}),
                  std::nullopt);
    }
    // The command's relay and this process's start together; whichever drains, the other
    // leaves the outbox alone, and this one takes over at its tick once the command ended.
    auto command = std::async(std::launch::async, [&] { return menu({"--dossier-outbox"}, 60); });
    DossierShares::shared().start();
    const Outcome drained = command.get();
    if (drained.status != 0) {
        EXPECT_EQ(drained, result(1, "process " + std::to_string(::getpid()) +
                                         " relays the outbox: nothing drained here\n"));
    }
    Dispatch::Clock::advance(DossierShares::tickInterval);
    EXPECT_TRUE(Dispatch::RunLoop::main().runUntil([&] { return outbox.items().empty(); }, 30));

    std::vector<std::string> posted;
    for (const auto& item : server().state().dossier().items())
        posted.push_back(item["title"]);
    std::sort(posted.begin(), posted.end());
    std::sort(titles.begin(), titles.end());
    EXPECT_EQ(posted, titles);
    Foundation::setLogSink({});
}

TEST_F(CommandLine, DossierOutboxDrainsTheOutboxAndPrintsEachAnswer) {
    const DossierOutbox outbox = *DossierOutbox::shared(appGroup);
    const std::string head =
        std::string("outbox: ") + appGroup + ", bridge " + LocalHTTP::socketPath() + "\n";
    const auto share = [&](std::string title) {
        DossierOutboxItem item{DossierOutbox::newRef(),
                               std::move(title),
                               "A few words to keep.",
                               std::nullopt,
                               std::nullopt,
                               1718452800000.0};
        EXPECT_EQ(outbox.add(item), std::nullopt);
        return item;
    };

    // Without a bridge the share is held and still waits when the drain ends.
    const DossierOutboxItem held = share("Held");
    Outcome drained = menu({"--dossier-outbox", "soon"});
    EXPECT_EQ(drained.status, 0);
    EXPECT_THAT(drained.output, StartsWith(head + held.ref + " held bridge: "));
    EXPECT_THAT(drained.output, HasSubstr("\nwaiting: " + held.ref + " ("));

    serveBridge();
    outbox.remove(held.ref);
    outbox.removeAnswer(held.ref);
    const DossierOutboxItem added = share("Added");
    drained = menu({"--dossier-outbox", "1"});
    EXPECT_EQ(drained.status, 0);
    EXPECT_THAT(drained.output, StartsWith(head + added.ref + " added: "));
    EXPECT_TRUE(drained.output.ends_with("\noutbox empty\n"));
    EXPECT_FALSE(outbox.item(added.ref));

    // A bridge that takes every request and never answers holds the relay before it has listed
    // anything; the share still waits.
    const DossierOutboxItem unanswered = share("Unanswered");
    server().script("/healthz", Reply::never());
    server().script("/dossier", Reply::never());
    drained = menu({"--dossier-outbox"});
    EXPECT_EQ(drained,
              result(0, head + "waiting: " + unanswered.ref + " (Waiting for the bridge)\n"));
}

TEST_F(CommandLine, DossierOutboxPostsPastABridgeThatTricklesItsHealth) {
    serveBridge();
    server().script("/healthz", Reply::trickle(300));
    const DossierOutboxItem item{
        DossierOutbox::newRef(), "Trickled", "Words", std::nullopt, std::nullopt, 1718452800000.0};
    ASSERT_EQ(DossierOutbox::shared(appGroup)->add(item), std::nullopt);
    // The relay's health request ends at twice its 2-second time-out, then the share goes.
    const Outcome drained = menu({"--dossier-outbox", "5"}, 30);
    EXPECT_THAT(drained.output, HasSubstr("\n" + item.ref + " added: "));
    EXPECT_TRUE(drained.output.ends_with("\noutbox empty\n"));
}

TEST_F(CommandLine, DossierOutboxTellsWhatItCouldNotRead) {
    const DossierOutbox outbox = *DossierOutbox::shared(appGroup);
    const std::string head =
        std::string("outbox: ") + appGroup + ", bridge " + LocalHTTP::socketPath() + "\n";
    const DossierOutboxItem waiting{
        DossierOutbox::newRef(), "Waiting", "Words", std::nullopt, std::nullopt, 1718452800000.0};
    ASSERT_EQ(outbox.add(waiting), std::nullopt);
    const std::string large = DossierOutbox::fileName(DossierOutbox::newRef());
    Testing::writeText(outbox.directory / large, "");
    fs::resize_file(outbox.directory / large, DossierOutbox::maxFileBytes + 1);
    EXPECT_EQ(menu({"--dossier-outbox"}),
              result(1, head + waiting.ref +
                            " held bridge: The bridge isn't running.\nwaiting: " + waiting.ref +
                            " (Waiting for the bridge)\nthe outbox couldn't be read: " + large +
                            ": File too large\n"));

    fs::remove_all(outbox.directory);
    Testing::writeText(outbox.directory, "not a folder");
    EXPECT_EQ(menu({"--dossier-outbox"}),
              result(1, head + "the outbox couldn't be read: " + outbox.directory.string() +
                            ": Not a directory\n"));
}

TEST_F(CommandLineWithoutAppGroup, DossierOutboxNeedsAnAppGroup) {
    EXPECT_EQ(menu({"--dossier-outbox"}),
              result(1, "no App Group container (KHAppGroup missing): this build can't take "
                        "shares\n"));
}

TEST_F(CommandLine, ShareMenuSwitchesAndRegistersTheExtension) {
    const std::string state = std::string(extension) + ": ";
    // A Share menu without the entry can't reach the extension.
    Run::Environment environment = Run::currentEnvironment();
    environment["HOME"] = home.string();
    const auto share = [&] {
        const Run::Result shared = Run::run(
            KH_SHARE_TOOL,
            {(Bundled::app() / "Contents/PlugIns/KestrelhavenShare.appex").string(), "--text", "x"},
            environment, 20);
        return Outcome{shared.status, shared.output, shared.error};
    };
    const Outcome notOffered =
        result(2, "",
               "share: " + std::string(extension) +
                   " isn't turned on, so the Share menu doesn't offer it.\n");
    EXPECT_EQ(menu({"--share-menu"}), result(0, state + "not registered\n"));
    EXPECT_EQ(menu({"--share-menu", "on"}), result(1, "pluginkit refused\n"));
    // Registered but never chosen reads as off, and the Share menu agrees.
    EXPECT_EQ(menu({"--share-menu", "register"}), result(0, state + "not in the Share menu\n"));
    EXPECT_EQ(share(), notOffered);
    EXPECT_EQ(menu({"--share-menu", "off"}), result(0, state + "not in the Share menu\n"));
    EXPECT_EQ(share(), notOffered);
    EXPECT_EQ(menu({"--share-menu", "on"}), result(0, state + "in the Share menu\n"));
    EXPECT_EQ(menu({"--share-menu", "status"}), result(0, state + "in the Share menu\n"));
    EXPECT_EQ(menu({"--share-menu", "toggle"}),
              result(2, "", "usage: --share-menu status|on|off|register\n"));

    fs::remove(Bundled::app() / "Contents" / "PlugIns");
    for (const char* action : {"status", "on", "toggle"})
        EXPECT_EQ(menu({"--share-menu", action}),
                  result(1, "this build has no Share menu extension\n"))
            << action;
}

TEST_F(CommandLine, TextsFromOutsideReachTheTerminalWithoutTheirControls) {
    using JSONCoding::JSON;
    // A screen clear, a clipboard write and two report requests, which would type into the shell.
    const std::string hostile = "\x1b[2J\x1b]52;c;aGk=\x07\x1b[6n\x1b[c";
    const std::string shown = "\uFFFD[2J\uFFFD]52;c;aGk=\uFFFD\uFFFD[6n\uFFFD[c";
    const auto expectShown = [&](const std::vector<std::string>& arguments) {
        const Outcome ran = menu(arguments);
        EXPECT_THAT(ran.output, HasSubstr(shown)) << arguments.front();
        EXPECT_EQ((ran.output + ran.error).find('\x1b'), std::string::npos) << arguments.front();
    };

    // The bridge's configuration names an environment whose folder holds our hooks.
    const fs::path folder = home / hostile;
    ASSERT_EQ(Bundled::cli({"install-hooks"}, 20).status, 0);
    fs::create_directories(folder);
    fs::copy_file(settingsFile(), folder / "settings.json");
    const JSON environment = {{"configDir", folder.string()}};
    Testing::writeText(Uninstaller::dataFolder() / "config.json",
                       JSON{{"environments", JSON::array({environment})}}.dump());
    expectShown({"--uninstall"});
    expectShown({"--uninstall", "--yes"});

    const JSON check = {
        {"id", "bridge"}, {"status", "ok"}, {"title", hostile}, {"detail", hostile}};
    scriptRuntime("if [ \"$2\" = install-hooks ]; then printf '%s\\n' '" + hostile +
                  "'; printf '%s\\n' '" + hostile + "' >&2; exit 0; fi\nprintf '%s\\n' '" +
                  JSON{{"ok", false}, {"checks", JSON::array({check})}}.dump() + "'\n");
    expectShown({"--setup-check"});
    expectShown({"--hooks", "install"});

    serveBridge();
    server().state().dossier().refuseEvery(SampleBridge::DossierRefusal{hostile, hostile, 409});
    ASSERT_EQ(DossierOutbox::shared(appGroup)->add({DossierOutbox::newRef(), "Held", "Words",
                                                    std::nullopt, std::nullopt, 1718452800000.0}),
              std::nullopt);
    expectShown({"--dossier-outbox"});
}
