#include "service/BackgroundService.h"
#include "service/Bundled.h"
#include "uninstall/ServiceRemoval.h"
#include "uninstall/Uninstaller.h"
#include "uninstall/tests/UninstallFixture.h"

#include <Foundation/SystemTime.h>
#include <ServiceManagement/TestDouble.h>
#include <Testing/Testing.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

using testing::ElementsAre;
using testing::HasSubstr;
using testing::Not;
using Status = UninstallStep::Status;

namespace {

namespace fs = std::filesystem;

// 2026-03-01T09:05:07Z.
constexpr double runTime = 1772355907;
constexpr const char* stamp = "2026-03-01T09-05-07Z";

struct Seen {
    std::string title;
    Status status;
    std::string detail;
    bool operator==(const Seen&) const = default;
    friend std::ostream& operator<<(std::ostream& out, const Seen& seen) {
        return out << seen.title << " | " << static_cast<int>(seen.status) << " | " << seen.detail;
    }
};

std::vector<Seen> seen(const std::vector<UninstallStep>& steps) {
    std::vector<Seen> all;
    for (const UninstallStep& step : steps)
        all.push_back({step.title, step.status, step.detail});
    return all;
}

class Uninstalling : public UninstallHome {
protected:
    void SetUp() override {
        UninstallHome::SetUp();
        Foundation::SystemTime::setSource([] { return runTime; });
    }
    void TearDown() override {
        Foundation::SystemTime::setSource({});
        UninstallHome::TearDown();
    }

    fs::path container() const { return home / "Library/Group Containers" / appGroup; }
};

TEST_F(Uninstalling, AFullRunTakesOutEverythingOfOursAndKeepsTheRest) {
    const fs::path configs = home.parent_path() / "configs";
    const fs::path first = configs / "first", second = configs / "second";
    Testing::writeText(home / ".kestrelhaven/config.json",
                       "{\"port\": 17811, \"environments\": [{\"configDir\": \"" + first.string() +
                           "\"}, {\"configDir\": \"" + second.string() + "\"}]}");
    const std::string settings = settingsWithHooks(2, 17811);
    Testing::writeText(home / ".claude/settings.json", settings);
    Testing::writeText(first / "settings.json", settingsWithHooks(1));
    Testing::writeText(second / "settings.json", settingsWithHooks(0));
    Testing::writeText(home / ".claude.json", userFileWithServers());
    const std::string firstUserFile = userFileWithServers({"kestrelhaven-speak"});
    Testing::writeText(first / ".claude.json", firstUserFile);
    // Claude Code leaves the first folder's server in place: the engine edits it out itself.
    ::setenv("KH_CLAUDE_KEEPS", first.c_str(), 1);
    writeDossierShim();
    Testing::writeText(container() / "DossierOutbox/s1.json", "{}");
    Testing::writeText(container() / "ShareState/mac.json", "{}");
    writeAgent(home / "Library/LaunchAgents", developerLabel,
               {{"Label", std::string(developerLabel)}});
    ASSERT_EQ(BackgroundService::registerService(), std::nullopt);
    ASSERT_TRUE(BackgroundService::waitForBridge(true, 10));
    const auto job = agentJob();
    ASSERT_TRUE(job && job->instance);

    EXPECT_THAT(
        Uninstaller::plan(),
        ElementsAre(
            "The background service com.tallowmeadows.kestrelhaven.agent (on), "
            "unregistered.",
            "The developer LaunchAgent com.tallowmeadows.kestrelhaven: stopped, and its "
            "plist moved to the Trash.",
            "1 bridge process of this app, stopped.", "The dossier command in ~/.local/bin.",
            "Kestrelhaven's 2 hooks in ~/.claude/settings.json. A backup is kept beside it.",
            "Kestrelhaven's 1 hook in " + (first / "settings.json").string() +
                ". A backup is kept beside it.",
            "The MCP servers kestrelhaven-channel, kestrelhaven-speak in ~/.claude.json.",
            "The MCP server kestrelhaven-speak in " + (first / ".claude.json").string() + ".",
            "The bridge's socket, ~/.kestrelhaven/bridge.sock."));

    quickWaits();
    const auto steps = Uninstaller::run(true);
    const std::string backup = ".kh-uninstall-" + std::string(stamp);
    EXPECT_THAT(
        seen(steps),
        ElementsAre(
            Seen{"Background service", Status::done,
                 "com.tallowmeadows.kestrelhaven.agent unregistered; launchd stopped it"},
            Seen{"LaunchAgent com.tallowmeadows.kestrelhaven", Status::done,
                 "its plist moved to the Trash"},
            Seen{"Bridge processes", Status::notFound, "none left running"},
            Seen{"Hooks in ~/.claude/settings.json", Status::done,
                 "removed 2 hooks; backup settings.json" + backup},
            Seen{"Hooks in " + (first / "settings.json").string(), Status::done,
                 "removed 1 hook; backup settings.json" + backup},
            Seen{"Hooks in " + (second / "settings.json").string(), Status::notFound,
                 "none of Kestrelhaven's"},
            Seen{"MCP servers in ~/.claude.json", Status::done,
                 "removed kestrelhaven-channel, kestrelhaven-speak (claude mcp remove)"},
            Seen{"MCP servers in " + (first / ".claude.json").string(), Status::done,
                 "removed kestrelhaven-speak (edited directly; backup .claude.json" + backup + ")"},
            Seen{"MCP servers in " + (second / ".claude.json").string(), Status::notFound,
                 "no such file"},
            Seen{"The dossier command", Status::done, "~/.local/bin/dossier removed"},
            // The bridge takes its socket with it when launchd stops it.
            Seen{"Socket", Status::notFound, "no socket"},
            Seen{"Kestrelhaven's data", Status::done,
                 "~/.kestrelhaven moved to the Trash as .kestrelhaven (hidden: ⇧⌘. shows it in "
                 "Finder)"},
            Seen{"The Share menu's outbox", Status::done,
                 "moved to the Trash from ~/Library/Group Containers/group.test.kestrelhaven"}));

    EXPECT_FALSE(job->isRunning());
    EXPECT_EQ(BackgroundService::status(), BackgroundService::Status::notRegistered);
    EXPECT_THAT(claudeRuns(),
                ElementsAre("CLAUDE_CONFIG_DIR=" + home.string() + " HOME=" + home.string() +
                                " mcp remove --scope user kestrelhaven-channel",
                            "CLAUDE_CONFIG_DIR=" + home.string() + " HOME=" + home.string() +
                                " mcp remove --scope user kestrelhaven-speak",
                            "CLAUDE_CONFIG_DIR=" + first.string() + " HOME=" + home.string() +
                                " mcp remove --scope user kestrelhaven-speak"));
    // Two files needed Claude Code; it was looked for once.
    EXPECT_EQ(claudeLookups(), 1);

    // Ours gone, the rest kept, and a backup of each file the engine rewrote.
    const std::string edited = Testing::readText(home / ".claude/settings.json");
    EXPECT_THAT(edited, Not(HasSubstr("kestrelhaven-hook")));
    EXPECT_THAT(edited, HasSubstr("\"model\": \"opus\""));
    EXPECT_EQ(Testing::readText(home / (".claude/settings.json" + backup)), settings);
    for (const fs::path& file : {home / ".claude.json", first / ".claude.json"}) {
        const std::string text = Testing::readText(file);
        EXPECT_THAT(text, Not(HasSubstr("kestrelhaven-"))) << file;
        EXPECT_THAT(text, HasSubstr("notes-server")) << file;
    }
    EXPECT_FALSE(fs::exists(home / (".claude.json" + backup)));
    EXPECT_FALSE(fs::exists(second / ("settings.json" + backup)));
    EXPECT_EQ(Testing::readText(first / (".claude.json" + backup)), firstUserFile);

    for (const char* name :
         {"com.tallowmeadows.kestrelhaven.plist", ".kestrelhaven", "DossierOutbox", "ShareState"})
        EXPECT_TRUE(fs::exists(home / ".Trash" / name)) << name;
    EXPECT_FALSE(fs::exists(home / ".local/bin/dossier"));

    const std::string log = Testing::readText(Uninstaller::logFile());
    EXPECT_THAT(log, testing::StartsWith("\n== 2026-03-01T09:05:07Z Kestrelhaven uninstall (app " +
                                         Bundled::app().string() +
                                         "), deleting data\n"
                                         "Background service: done — "));
    EXPECT_THAT(log, HasSubstr("\nSocket: not found — no socket\n"));
    EXPECT_THAT(log, testing::EndsWith("The Share menu's outbox: done — moved to the Trash from "
                                       "~/Library/Group Containers/group.test.kestrelhaven\n"));
}

TEST_F(Uninstalling, OnACleanHomeThereIsNothingToPlanAndEveryStepFindsNothing) {
    EXPECT_THAT(Uninstaller::plan(), testing::IsEmpty());
    const auto steps = Uninstaller::run(true);
    EXPECT_THAT(
        seen(steps),
        ElementsAre(
            Seen{"Background service", Status::notFound, "not registered"},
            Seen{"LaunchAgent com.tallowmeadows.kestrelhaven", Status::notFound, "not installed"},
            Seen{"Bridge processes", Status::notFound, "none left running"},
            Seen{"Hooks in ~/.claude/settings.json", Status::notFound, "no such file"},
            Seen{"MCP servers in ~/.claude.json", Status::notFound, "no such file"},
            Seen{"The dossier command", Status::notFound, "no such file"},
            Seen{"Socket", Status::notFound, "no socket"},
            Seen{"Kestrelhaven's data", Status::notFound, "no ~/.kestrelhaven"},
            Seen{"The Share menu's outbox", Status::notFound,
                 "nothing in ~/Library/Group Containers/group.test.kestrelhaven"}));

    // A second run appends its record after the first; the file is the user's alone.
    Uninstaller::run(false);
    const std::string log = Testing::readText(Uninstaller::logFile());
    EXPECT_EQ(log.find("\n== "), 0u);
    EXPECT_NE(log.find("\n\n== ", 1), std::string::npos);
    EXPECT_THAT(log, HasSubstr("deleting data\n"));
    struct stat info {};
    ASSERT_EQ(::stat(Uninstaller::logFile().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
}

TEST_F(Uninstalling, AServiceWaitingForApprovalIsPlannedAndUnregistered) {
    ServiceManagement::TestDouble waiting({.requiresApproval = true});
    BackgroundService::registerService();
    EXPECT_THAT(Uninstaller::plan(),
                ElementsAre("The background service com.tallowmeadows.kestrelhaven.agent (waiting "
                            "for approval in Login Items), unregistered."));
    EXPECT_EQ(Uninstaller::unregisterService().status, Status::done);
}

TEST_F(Uninstalling, ClaudeCodeIsLookedForOnlyWhenAFileHoldsServersOfOurs) {
    // Looking may run the user's login shell: seconds of waiting for nothing.
    Testing::writeText(home / ".claude.json", "{\"mcpServers\": {\"notes\": {}}}");
    EXPECT_THAT(seen(Uninstaller::run(false)),
                testing::Contains(Seen{"MCP servers in ~/.claude.json", Status::notFound,
                                       "none of Kestrelhaven's"}));
    EXPECT_EQ(claudeLookups(), 0);
}

TEST_F(Uninstalling, ThePlanTellsOfAHookTheRunWillLeaveInPlace) {
    // A lone surrogate escape can't be written back as it was read.
    Testing::writeText(home / ".claude/settings.json",
                       "{\"note\": \"\\uD800\"," + settingsWithHooks(1).substr(1));
    const std::string why = "it holds text that couldn't be written back unchanged";
    EXPECT_THAT(
        Uninstaller::plan(),
        ElementsAre("Kestrelhaven's 1 hook in ~/.claude/settings.json stays: " + why + "."));
    EXPECT_THAT(seen(Uninstaller::run(false)),
                testing::Contains(Seen{"Hooks in ~/.claude/settings.json", Status::failed,
                                       why + ", so it was left alone"}));
}

TEST_F(Uninstalling, ThePlanTellsOfServersTheRunWillLeaveInPlace) {
    // A lone surrogate escape can't be written back as it was read.
    Testing::writeText(home / ".claude.json",
                       "{\"note\": \"\\uD800\"," + userFileWithServers().substr(1));
    const std::string servers = "kestrelhaven-channel, kestrelhaven-speak";
    const std::string why = "it holds text that couldn't be written back unchanged";
    // Claude Code, which the run asks first, rewrites the file by its own means.
    EXPECT_THAT(Uninstaller::plan(),
                ElementsAre("The MCP servers " + servers + " in ~/.claude.json."));
    EXPECT_EQ(claudeLookups(), 1);

    withoutClaude();
    EXPECT_THAT(Uninstaller::plan(), ElementsAre("The MCP servers " + servers +
                                                 " in ~/.claude.json stay: " + why + "."));
    EXPECT_THAT(
        seen(Uninstaller::run(false)),
        testing::Contains(Seen{"MCP servers in ~/.claude.json", Status::failed,
                               servers + " still registered: " + why + ", so it was left alone"}));
}

TEST_F(Uninstalling, AStepThatFailsLeavesTheLaterStepsToRun) {
    Testing::writeText(home / ".claude/settings.json", "{\"hooks\": ");
    // What the user can't read is a failure, never "nothing of ours".
    ASSERT_EQ(::mkfifo((home / ".claude.json").c_str(), 0600), 0);
    fs::create_directories(home / ".local/bin/dossier");
    Testing::writeText(home / ".kestrelhaven/bridge.sock", "not a socket");

    EXPECT_THAT(Uninstaller::plan(), testing::IsEmpty());
    EXPECT_THAT(
        seen(Uninstaller::run(false)),
        ElementsAre(
            Seen{"Background service", Status::notFound, "not registered"},
            Seen{"LaunchAgent com.tallowmeadows.kestrelhaven", Status::notFound, "not installed"},
            Seen{"Bridge processes", Status::notFound, "none left running"},
            Seen{"Hooks in ~/.claude/settings.json", Status::failed,
                 "it isn't valid JSON (unexpected end at byte 10), so it was left alone"},
            Seen{"MCP servers in ~/.claude.json", Status::failed, "can't read it"},
            Seen{"The dossier command", Status::notFound,
                 "~/.local/bin/dossier is another program's: left alone"},
            Seen{"Socket", Status::failed,
                 "~/.kestrelhaven/bridge.sock isn't a socket; left alone"}));
    EXPECT_EQ(Testing::readText(home / ".claude/settings.json"), "{\"hooks\": ");
    EXPECT_TRUE(fs::is_directory(home / ".local/bin/dossier"));
    EXPECT_THAT(Testing::readText(Uninstaller::logFile()),
                HasSubstr("\nMCP servers in ~/.claude.json: FAILED — can't read it\n"));
}

} // namespace
