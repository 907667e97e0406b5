#include "service/Bundled.h"
#include "service/SetupActions.h"
#include "service/tests/SetupFixture.h"
#include "settings/ContainerWindowController.h"

#include <AppKit/Pasteboard.h>
#include <Foundation/UserDefaults.h>
#include <ServiceManagement/AgentService.h>
#include <ServiceManagement/TestDouble.h>
#include <gmock/gmock.h>
#include <nlohmann/json.hpp>

using Opening = AppKit::Workspace::Opening;
using Status = ServiceManagement::Status;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;
using testing::StartsWith;

namespace {

namespace fs = std::filesystem;

const std::string hooksLine = "Added Kestrelhaven's hooks for 8 events to ~/.claude/settings.json.";
const std::string mcpNote =
    "Kestrelhaven is in Claude Code's MCP servers. New Claude Code sessions can use it.";
const std::string pathFix = " ~/.local/bin isn't on your shell's PATH: add export "
                            "PATH=\"$HOME/.local/bin:$PATH\" to ~/.zshrc.";

DoctorReport::Fix commandFix(std::string command, std::optional<std::string> action = {}) {
    return {"Go", std::move(command), std::move(action), std::nullopt};
}

DoctorReport::Fix actionFix(std::string action) {
    return {"Go", std::nullopt, std::move(action), std::nullopt};
}

DoctorReport::Check checkWithId(std::string id) {
    return {std::move(id), "todo", "", "", std::nullopt};
}

using SetupModels = WithSetup;
using UnmovedSetupModels = Testing::Translocated<SetupModels>;

} // namespace

TEST_F(SetupModels, ANewModelNeedsAttentionUntilEverythingIsInPlace) {
    EXPECT_TRUE(model->needsAttention());
    EXPECT_EQ(model->claude.get(), ClaudeSearch::notLookedFor());
    EXPECT_TRUE(*model->mcpWanted);

    model->service = Status::enabled;
    model->hooks = ClaudeHooks::State::installed();
    EXPECT_FALSE(model->needsAttention());
    model->claude = ClaudeSearch::notFound();
    EXPECT_TRUE(model->needsAttention());
    for (const auto& [version, attention] :
         std::vector<std::pair<std::optional<std::string>, bool>>{{"2.1.223", true},
                                                                  {"2.1.224", false},
                                                                  {"2.1.1000", false},
                                                                  {"2.2", false},
                                                                  {std::nullopt, false}}) {
        model->claude = ClaudeSearch::found({"/bin/claude", version});
        EXPECT_EQ(model->needsAttention(), attention) << version.value_or("no version");
    }
    model->hooks = ClaudeHooks::State::partial({"Stop"});
    EXPECT_TRUE(model->needsAttention());
    model->hooks = ClaudeHooks::State::installed();
    model->developerAgents = std::vector<std::string>{"com.example.dev"};
    EXPECT_TRUE(model->needsAttention());
    model->developerAgents = std::vector<std::string>{};
    model->service = Status::requiresApproval;
    EXPECT_TRUE(model->needsAttention());

    // The stored choice, when it is a boolean.
    Foundation::UserDefaults::setBool("mcpWanted", false);
    EXPECT_FALSE(*std::make_shared<SetupModel>()->mcpWanted);
    Foundation::UserDefaults::setString("mcpWanted", "no");
    EXPECT_TRUE(*std::make_shared<SetupModel>()->mcpWanted);
}

TEST_F(UnmovedSetupModels, AnAppNotYetMovedNeedsAttentionAndTurnsNothingOn) {
    model->service = Status::enabled;
    model->hooks = ClaudeHooks::State::installed();
    EXPECT_TRUE(model->needsAttention());
    model->turnOnService();
    EXPECT_EQ(model->problem.get(),
              "Move Kestrelhaven to your Applications folder and open it from there first.");
    EXPECT_EQ(model->busy.get(), std::nullopt);
}

TEST_F(SetupModels, RefreshHandsOverTheSearchBeforeTheDoctorReport) {
    startBridge();
    installClaude();
    bool sawReport = true, sawChecking = false;
    model->refresh([&](SetupModel& refreshed) {
        sawReport = refreshed.doctor->has_value();
        sawChecking = *refreshed.checking;
    });
    EXPECT_TRUE(*model->checking);
    ASSERT_TRUE(settled());
    EXPECT_FALSE(sawReport);
    EXPECT_TRUE(sawChecking);
    EXPECT_EQ(model->claude.get(),
              ClaudeSearch::found({(tools.path() / "bin" / "claude").string(), "2.1.224"}));
    EXPECT_EQ(*model->service, Status::notRegistered);
    EXPECT_THAT(*model->developerAgents, IsEmpty());
    // The tool ends with 1 since things are left to do, and its report still counts.
    ASSERT_TRUE(model->doctor->has_value());
    EXPECT_FALSE((*model->doctor)->ok);
    EXPECT_EQ((*model->doctor)->check("bridge")->status, "ok");
    EXPECT_EQ((*model->doctor)->check("claude")->status, "ok");

    // A refresh keeps what it showed until the new values arrive; a report that does not come
    // leaves none.
    fs::remove(Bundled::app() / "Contents" / "Helpers");
    model->refresh();
    EXPECT_TRUE(model->doctor->has_value());
    ASSERT_TRUE(settled());
    EXPECT_FALSE(model->doctor->has_value());
}

TEST_F(SetupModels, RefreshReadsTheHooksAtOnceAndAgainWithTheDoctorReport) {
    ASSERT_EQ(Bundled::cli({"install-hooks"}, 20).status, 0);
    model->refresh();
    EXPECT_EQ(model->hooks.get(), ClaudeHooks::State::installed());
    fs::remove(home / ".claude" / "settings.json");
    ASSERT_TRUE(settled());
    EXPECT_EQ(model->hooks.get(), ClaudeHooks::State::absent());
}

TEST_F(SetupModels, AddingHooksAsksFirstThenAddsTheHooksAndTheMcpEntry) {
    model->note = std::string("earlier");
    answer = 1;
    model->installHooks();
    EXPECT_EQ(model->note.get(), std::nullopt);
    EXPECT_EQ(model->busy.get(), std::nullopt);
    EXPECT_FALSE(*model->checking);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0],
              "Add Kestrelhaven's hooks to Claude Code?\nKestrelhaven adds a hook for each of "
              "SessionStart, UserPromptSubmit, Stop, Notification, PermissionRequest, PostToolUse, "
              "PostToolUseFailure, SessionEnd to ~/.claude/settings.json. Each one hands the event "
              "to the bridge over its local socket with curl; the PermissionRequest hook waits for "
              "your phone's answer until you answer on the phone or in the terminal (Claude Code's "
              "own prompt shows meanwhile).\n\nA backup of the file is kept next to it, and hooks "
              "that aren't Kestrelhaven's are left alone. Sessions started from now on use "
              "them.\n\nWith Claude Code integration on, Kestrelhaven is also added to Claude "
              "Code's MCP servers (~/.claude.json, at user scope), and the dossier command to "
              "~/.local/bin.");
    EXPECT_FALSE(fs::exists(home / ".claude" / "settings.json"));

    answer = 0;
    model->installHooks();
    EXPECT_EQ(model->busy.get(), "Adding hooks…");
    ASSERT_TRUE(settled());
    EXPECT_EQ(model->note.get(), hooksLine + " " + mcpNote + pathFix);
    EXPECT_EQ(model->problem.get(), std::nullopt);
    EXPECT_EQ(model->hooks.get(), ClaudeHooks::State::installed());
    EXPECT_TRUE(fs::exists(home / ".claude.json"));

    // Without integration only the hooks are added, and the alert does not mention it.
    fs::remove(home / ".claude" / "settings.json");
    fs::remove(home / ".claude.json");
    model->mcpWanted = false;
    model->installHooks();
    ASSERT_TRUE(settled());
    EXPECT_EQ(alerts.back().find("With Claude Code integration"), std::string::npos);
    EXPECT_EQ(model->note.get(), hooksLine);
    EXPECT_FALSE(fs::exists(home / ".claude.json"));

    // A tool that says nothing still leaves a note, an empty one.
    scriptRuntime("exit 0");
    model->installHooks();
    ASSERT_TRUE(settled());
    EXPECT_EQ(model->note.get(), "");
}

TEST_F(SetupModels, FailuresOfTheHooksAndOfTheMcpEntryBecomeTheProblem) {
    Testing::writeText(home / ".claude" / "settings.json", "not json");
    model->installHooks();
    ASSERT_TRUE(settled());
    EXPECT_EQ(model->problem.get(), "install-hooks failed: sample bridge: ~/.claude/settings.json "
                                    "isn't valid JSON; it was left as it is\n");
    EXPECT_EQ(model->note.get(), std::nullopt);
    EXPECT_FALSE(fs::exists(home / ".claude.json"));

    // Hooks added, MCP entry refused: both are told.
    fs::remove(home / ".claude" / "settings.json");
    Testing::writeText(home / ".claude.json", "[]");
    model->installHooks();
    ASSERT_TRUE(settled());
    EXPECT_EQ(model->note.get(), hooksLine);
    EXPECT_EQ(model->problem.get(),
              "you (~/.claude.json): ~/.claude.json isn't valid JSON; it was left as it is");
}

TEST_F(SetupModels, TheIntegrationChoiceIsStoredAndCarriedOut) {
    model->setMcpWanted(false);
    EXPECT_FALSE(*model->mcpWanted);
    EXPECT_EQ(Foundation::UserDefaults::boolean("mcpWanted"), false);
    EXPECT_EQ(model->busy.get(), "Taking Kestrelhaven out of Claude Code's MCP servers…");
    ASSERT_TRUE(settled());
    EXPECT_EQ(model->note.get(), "Kestrelhaven's MCP server is out of Claude Code (another copy's "
                                 "entry, if any, is left).");

    model->setMcpWanted(true);
    EXPECT_EQ(model->busy.get(), "Adding Kestrelhaven to Claude Code's MCP servers…");
    ASSERT_TRUE(settled());
    EXPECT_EQ(Foundation::UserDefaults::boolean("mcpWanted"), true);
    EXPECT_EQ(model->note.get(), mcpNote + pathFix);
    const auto user = nlohmann::json::parse(Testing::readText(home / ".claude.json"));
    EXPECT_TRUE(user["mcpServers"].contains("kestrelhaven-channel"));
}

TEST_F(SetupModels, McpRepliesAreJudgedByTheirLastJSONLineAlone) {
    const auto outcome = [](std::string output, bool install = true, int status = 0,
                            std::string error = "") {
        return SetupModel::mcpOutcome({status, std::move(output), std::move(error)}, install);
    };
    using Outcome = SetupModel::Outcome;
    EXPECT_EQ(outcome("Adding…\n{\"ok\":true,\"results\":[]}\n"),
              (Outcome{"Kestrelhaven is in Claude Code's MCP servers. ", std::nullopt}));
    EXPECT_EQ(outcome("{\"ok\":false,\"results\":[],\"path_fix\":{\"file\":\"~/.zshrc\",\"line\":"
                      "\"export PATH\"}}",
                      true, 1),
              (Outcome{"Kestrelhaven is in Claude Code's MCP servers.  ~/.local/bin isn't on your "
                       "shell's PATH: add export PATH to ~/.zshrc.",
                       std::nullopt}));
    EXPECT_EQ(outcome("{\"ok\":true,\"results\":[],\"note\":\"Ignored.\"}", false),
              (Outcome{"Kestrelhaven's MCP server is out of Claude Code (another copy's entry, if "
                       "any, is left).",
                       std::nullopt}));
    EXPECT_EQ(outcome(R"({"ok":true,"results":[{"status":"failed","account":"you","detail":"a"},)"
                      R"({"status":"added","account":"Work","detail":"b"},)"
                      R"({"status":"failed","account":"Dev","detail":"c"}]})"),
              (Outcome{std::nullopt, "you: a; Dev: c"}));
    // A line that does not decode fails with what the tool said; earlier lines are not tried.
    EXPECT_EQ(outcome("{\"results\":[]}", true, 0, "broken"),
              (Outcome{std::nullopt, "install-mcp failed: broken"}));
    EXPECT_EQ(outcome("{\"ok\":true,\"results\":[{\"status\":\"added\",\"detail\":\"x\"}]}"),
              (Outcome{std::nullopt, "install-mcp failed: {\"ok\":true,\"results\":[{\"status\":"
                                     "\"added\",\"detail\":\"x\"}]}"}));
    EXPECT_EQ(outcome("{\"ok\":true,\"results\":[]}\n{\"ok\":1}\n", false),
              (Outcome{std::nullopt, "uninstall-mcp failed: {\"ok\":true,\"results\":[]}\n{\"ok\":"
                                     "1}\n"}));
    EXPECT_EQ(outcome("", false, -1, "node timed out"),
              (Outcome{std::nullopt, "uninstall-mcp failed: node timed out"}));
}

TEST_F(SetupModels, EnvironmentFixesAddTheSetupWithItsHooksAndMcpEntry) {
    const fs::path folder = home / ".claude-work";
    DoctorReport::Fix add{"Add", std::nullopt, "add_config_dir",
                          DoctorReport::EnvSpec{"work", "Work", folder.string()}};
    model->fix(add, checkWithId("config_dir:" + folder.string()));
    EXPECT_EQ(model->busy.get(), "Adding Work…");
    ASSERT_TRUE(settled());
    EXPECT_EQ(model->note.get(), "Added Work; sessions started there from now on report here.");
    EXPECT_TRUE(fs::exists(folder / "settings.json"));
    EXPECT_TRUE(fs::exists(folder / ".claude.json"));

    model->fix(add, checkWithId("config_dir:" + folder.string()));
    ASSERT_TRUE(settled());
    EXPECT_EQ(model->problem.get(),
              "Couldn't add Work: sample bridge: an environment named “work” already exists\n");
    EXPECT_EQ(model->note.get(), std::nullopt);

    // The doctor's hooks command names the environment; white space around the name is no part
    // of it.
    model->fix(commandFix("kestrelhaven install-hooks --env  work \n"), checkWithId("env:work"));
    EXPECT_EQ(model->busy.get(), "Adding hooks…");
    ASSERT_TRUE(settled());
    EXPECT_EQ(model->note.get(), "Added Kestrelhaven's hooks for 8 events to "
                                 "~/.claude-work/settings.json (a backup is beside it).");

    // The name in an MCP command ends at the next space, so later flags stay flags.
    model->fix(commandFix("kestrelhaven install-mcp --env  work --json", "install_mcp"),
               checkWithId("mcp:work"));
    ASSERT_TRUE(settled());
    EXPECT_EQ(model->note.get(), mcpNote);
    model->fix(commandFix("kestrelhaven install-mcp --env nowhere", "install_mcp"),
               checkWithId("mcp:nowhere"));
    ASSERT_TRUE(settled());
    EXPECT_EQ(model->problem.get(),
              "install-mcp failed: sample bridge: no environment is named “nowhere”\n");

    // An environment setup without its environment does nothing.
    model->fix(actionFix("add_config_dir"), checkWithId("config_dir:/x"));
    EXPECT_EQ(model->busy.get(), std::nullopt);
}

TEST_F(SetupModels, OtherFixesCopyOpenAndAsk) {
    auto& pasteboard = AppKit::Pasteboard::general();
    model->fix(commandFix("tailscale up", "copy"), checkWithId("network"));
    EXPECT_EQ(pasteboard.string(), "tailscale up");
    EXPECT_EQ(model->note.get(), "Copied: tailscale up. Paste it into Terminal.");
    model->fix(commandFix("kestrelhaven doctor"), checkWithId("legacy"));
    EXPECT_EQ(pasteboard.string(), "kestrelhaven doctor");
    EXPECT_EQ(model->note.get(), "Copied: kestrelhaven doctor");
    model->note = std::nullopt;
    model->fix(actionFix("copy"), checkWithId("network"));
    model->fix(actionFix("unknown"), checkWithId("network"));
    EXPECT_EQ(model->note.get(), std::nullopt);
    EXPECT_FALSE(*model->checking);

    int pairs = 0, settings = 0;
    SetupActions::openPair = [&] { ++pairs; };
    SetupActions::openSettings = [&] { ++settings; };
    model->fix(actionFix("pair"), checkWithId("phones"));
    model->fix(actionFix("settings"), checkWithId("legacy"));
    EXPECT_EQ(pairs, 1);
    EXPECT_EQ(settings, 1);
    SetupActions::openPair = [] {};
    SetupActions::openSettings = [] {};

    model->fix(actionFix("open_tailscale"), checkWithId("tailnet_changed"));
    EXPECT_THAT(opened,
                ElementsAre(Opening{Opening::Kind::url, "https://tailscale.com/download/mac"}));

    answer = 2;
    model->fix(actionFix("install_claude"), checkWithId("claude"));
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_THAT(alerts[0], HasSubstr("\n\ncurl -fsSL https://claude.ai/install.sh | bash\n\n"));
    // Turning the service on and adding hooks each ask first; declined, nothing runs.
    model->developerAgents = std::vector<std::string>{"com.example.dev"};
    model->fix(actionFix("turn_on"), checkWithId("bridge"));
    model->fix(actionFix("add_hooks"), checkWithId("hook_test"));
    ASSERT_EQ(alerts.size(), 3u);
    EXPECT_THAT(alerts[1], StartsWith("Run the bridge from the app?\n"));
    EXPECT_THAT(alerts[2], StartsWith("Add Kestrelhaven's hooks to Claude Code?\n"));

    auto& containers = ContainerWindowController::shared();
    // "env:<name>" names an existing environment, whose setup the tool is asked for.
    model->fix(actionFix("add_container"), checkWithId("env:docker"));
    EXPECT_TRUE(containers.window()->isKeyWindow());
    const auto& phase = containers.model()->phase;
    EXPECT_TRUE(
        eventually([&] { return phase->kind != ContainerSetupModel::Phase::Kind::working; }));
    EXPECT_THAT(phase->message, HasSubstr("“docker”"));
    model->fix(actionFix("add_container"), checkWithId("claude"));
    EXPECT_EQ(phase->kind, ContainerSetupModel::Phase::Kind::naming);
    EXPECT_EQ(model->busy.get(), std::nullopt);
}

TEST_F(SetupModels, TurningTheServiceOnAsksBeforeRetiringADeveloperAgent) {
    model->problem = std::string("earlier");
    model->developerAgents = std::vector<std::string>{"com.example.dev", "com.example.other"};
    answer = 1;
    model->turnOnService();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0],
              "Run the bridge from the app?\nA LaunchAgent from a developer install (`kestrelhaven "
              "setup`) runs the bridge now: com.example.dev, com.example.other. Kestrelhaven stops "
              "it, keeps its plist in ~/.kestrelhaven/retired-launchagents, and runs its own copy "
              "of the bridge instead.\n\nYour settings, paired phones and Claude Code hooks carry "
              "over: both use ~/.kestrelhaven. Approvals waiting on your phone right now go back "
              "to their terminals.");
    EXPECT_EQ(model->problem.get(), std::nullopt);
    EXPECT_EQ(model->busy.get(), std::nullopt);
    EXPECT_EQ(BackgroundService::status(), Status::notRegistered);

    // Another bridge that keeps answering stops the switch.
    skipWaits();
    startBridge();
    model->developerAgents = std::vector<std::string>{};
    model->turnOnService();
    ASSERT_TRUE(settled());
    EXPECT_THAT(model->problem->value_or(""), HasSubstr("Another bridge still answers on "));
    EXPECT_EQ(alerts.size(), 1u);
}

TEST_F(SetupModels, AServiceWaitingForApprovalEndsTheTurnOnWithoutASentence) {
    ServiceManagement::TestDouble waiting({.requiresApproval = true});
    model->turnOnService();
    ASSERT_TRUE(settled());
    EXPECT_EQ(model->problem.get(), std::nullopt);
    EXPECT_EQ(model->note.get(), std::nullopt);
    EXPECT_EQ(*model->service, Status::requiresApproval);
}

TEST_F(SetupModels, TurningTheServiceOnShowsEachStepAndEndsWithTheBridgeRunning) {
    std::vector<std::string> steps;
    auto subscription = model->subscribe([&] {
        if (const auto& busy = *model->busy; busy && (steps.empty() || steps.back() != *busy))
            steps.push_back(*busy);
    });
    model->turnOnService();
    ASSERT_TRUE(settled(60));
    EXPECT_THAT(steps,
                ElementsAre("Turning on the background service…", "Preparing ~/.kestrelhaven…",
                            "Turning on the background service…", "Waiting for the bridge…"));
    EXPECT_EQ(model->note.get(), "The bridge is running. Pair your iPhone with Pair a Device….");
    EXPECT_EQ(*model->service, Status::enabled);
    EXPECT_EQ((*model->doctor)->check("bridge")->status, "ok");
}
