#include "service/SetupActions.h"
#include "service/SetupView.h"
#include "settings/ContainerWindowController.h"

#include <AppKit/Workspace.h>
#include <Foundation/Home.h>
#include <ServiceManagement/AgentService.h>
#include <Testing/Testing.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sstream>

using Outcome = SwiftUI::HostingController::Outcome;
using Status = ServiceManagement::Status;
using ContainerPhase = ContainerSetupModel::Phase::Kind;
using testing::HasSubstr;
using testing::Not;

namespace {

// A check as the doctor's JSON writes it.
std::string check(const std::string& id, const std::string& status, const std::string& fix = "") {
    return R"({"id":")" + id + R"(","status":")" + status + R"(","title":")" + id +
           R"( title","detail":")" + id + R"( detail")" + (fix.empty() ? "" : ",\"fix\":" + fix) +
           "}";
}

std::string fix(const std::string& label, const std::string& action) {
    return R"({"label":")" + label + R"(","action":")" + action + R"("})";
}

DoctorReport report(const std::vector<std::string>& checks) {
    std::string list;
    for (const auto& entry : checks)
        list += (list.empty() ? "" : ",") + entry;
    auto decoded = DoctorReport::fromOutput(R"({"ok":false,"checks":[)" + list + "]}");
    EXPECT_TRUE(decoded) << list;
    return decoded.value_or(DoctorReport{});
}

std::size_t indentOf(const std::string& line) {
    return line.find_first_not_of(' ');
}

class SetupWindowView : public testing::Test {
protected:
    void SetUp() override {
        Testing::useTestHome();
        model = std::make_shared<SetupModel>();
        host = std::make_unique<SwiftUI::HostingController>(SetupView{model, [this] { ++closes; }});
    }

    std::vector<std::string> lines() {
        std::vector<std::string> found;
        std::istringstream text(host->renderText());
        for (std::string line; std::getline(text, line);)
            found.push_back(line);
        return found;
    }

    // The row whose title (a bold text or the integration checkbox) is `title`: its HStack and
    // everything in it, indented from the row.
    std::string row(const std::string& title) {
        const auto all = lines();
        for (std::size_t i = 0; i < all.size(); ++i) {
            if (all[i].find("\"" + title + "\" weight=bold") == std::string::npos)
                continue;
            std::size_t start = i;
            while (start > 0 && !(all[start].ends_with("HStack") &&
                                  indentOf(all[start]) + 4 == indentOf(all[i])))
                --start;
            const std::size_t indent = indentOf(all[start]);
            std::string text;
            for (std::size_t j = start; j < all.size() && (j == start || indentOf(all[j]) > indent);
                 ++j)
                text += all[j].substr(indent) + "\n";
            return text;
        }
        return "no row " + title + " in\n" + host->renderText();
    }

    static std::string plainRow(const std::string& symbol, const std::string& color,
                                const std::string& title, const std::string& detail,
                                const std::string& control = "") {
        return "HStack\n  Image symbol=" + symbol + " color=" + color + "\n  VStack\n    Text \"" +
               title + "\" weight=bold\n    Text \"" + detail +
               "\" color=secondary\n  Spacer min=12\n" +
               (control.empty() ? "" : "  " + control + "\n");
    }

    std::string summary() {
        for (const auto& line : lines())
            if (line.starts_with("  Label") ||
                line.find("Checking everything…") != std::string::npos)
                return line.substr(line.find_first_not_of(' '));
        return "";
    }

    std::shared_ptr<SetupModel> model;
    std::unique_ptr<SwiftUI::HostingController> host;
    int closes = 0;
};

using UnmovedSetupWindowView = Testing::Translocated<SetupWindowView>;

} // namespace

TEST_F(SetupWindowView, WithoutAReportRowsFallBackToWhatTheModelKnows) {
    const std::string text = host->renderText();
    EXPECT_TRUE(text.starts_with(
        "VStack\n  Text \"Set Up Kestrelhaven\" font=title2 weight=bold\n  Text \"Kestrelhaven "
        "runs "
        "its bridge in the background, so your iPhone can talk to Claude Code on this Mac.\" "
        "color=secondary\n  HStack\n"))
        << text;
    EXPECT_THAT(text, Not(HasSubstr("config")));
    EXPECT_THAT(text, Not(HasSubstr("Move Kestrelhaven")));
    EXPECT_EQ(summary(), "");
    EXPECT_EQ(row("Claude Code"),
              plainRow("ellipsis.circle", "secondary", "Claude Code", "Looking for it…"));
    EXPECT_EQ(
        row("Claude Code integration"),
        "HStack\n  Image symbol=ellipsis.circle color=secondary\n  VStack\n"
        "    Toggle \"Claude Code integration\" weight=bold on checkbox\n"
        "    Text \"Lets Claude Code sessions add documents to your Dossier (“add this to my "
        "Dossier”) and receive phone prompts in containers. Adds Kestrelhaven to Claude Code's "
        "MCP servers.\" color=secondary\n  Spacer min=12\n");
    EXPECT_THAT(text, HasSubstr("  Divider\n  HStack\n    Button \"Claude Code in a container…\" "
                                "link\n    Spacer\n    Button \"Check Again\"\n    Button \"Done\" "
                                "default\n"));

    model->checking = true;
    EXPECT_EQ(summary(), "Text \"Checking everything…\" color=secondary");
}

TEST_F(SetupWindowView, TheServiceRowFollowsAgentsStatusAndTheBridgeCheck) {
    const std::string title = "Background service";
    EXPECT_EQ(row(title),
              plainRow("circle", "secondary", title, "Off. The bridge doesn't run until it's on.",
                       "Button \"Turn On\""));

    model->service = Status::requiresApproval;
    EXPECT_EQ(row(title),
              plainRow("exclamationmark.triangle.fill", "orange", title,
                       "Turned off in Login Items. Turn Kestrelhaven on under Allow in the "
                       "Background.",
                       "Button \"Open Login Items\""));
    const int openings = ServiceManagement::loginItemsOpenings();
    EXPECT_EQ(host->press("Open Login Items"), Outcome::Performed);
    EXPECT_EQ(ServiceManagement::loginItemsOpenings(), openings + 1);

    model->service = Status::notFound;
    EXPECT_EQ(row(title), plainRow("exclamationmark.triangle.fill", "orange", title,
                                   "The app is missing its LaunchAgent. Download Kestrelhaven "
                                   "again."));

    model->service = Status::enabled;
    const std::string on = "On: the bridge starts at login, on Kestrelhaven's own Node.";
    EXPECT_EQ(row(title), plainRow("checkmark.circle.fill", "green", title, on));
    model->doctor = report({check("bridge", "warn")});
    EXPECT_EQ(row(title), plainRow("checkmark.circle.fill", "green", title, on));
    // The service is not fine, and counts; the bridge check itself does not.
    EXPECT_EQ(summary(),
              "Label \"One thing to do above.\" symbol=list.bullet.circle color=secondary");
    model->doctor = report({check("bridge", "fail")});
    EXPECT_EQ(row(title), plainRow("xmark.octagon.fill", "red", title,
                                   "On, but the bridge isn't answering. bridge detail Its log: "
                                   "~/.kestrelhaven/logs/launchd.out.log"));

    // Developer agents win over every status.
    model->developerAgents = std::vector<std::string>{"com.example.one", "com.example.two"};
    EXPECT_EQ(row(title),
              plainRow("exclamationmark.triangle.fill", "orange", title,
                       "A developer LaunchAgent runs the bridge from a checkout (com.example.one, "
                       "com.example.two). Switch to the app's own copy, which starts at login and "
                       "doesn't depend on the Node you have installed.",
                       "Button \"Switch…\""));
}

TEST_F(SetupWindowView, TheClaudeCodeRowShowsTheDoctorsCheckOrTheModelsOwnSearch) {
    const std::string title = "Claude Code";
    model->claude = ClaudeSearch::notFound();
    EXPECT_EQ(
        row(title),
        plainRow("exclamationmark.triangle.fill", "orange", title,
                 "Not found. Kestrelhaven uses your own Claude Code: install it, then check "
                 "again.",
                 "Link \"Install\" url=https://docs.anthropic.com/en/docs/claude-code/setup"));

    const std::string home = Foundation::homeDirectory().string();
    model->claude = ClaudeSearch::found({home + "/.local/bin/claude", "2.1.224"});
    EXPECT_EQ(row(title),
              plainRow("checkmark.circle.fill", "green", title, "2.1.224 at ~/.local/bin/claude."));
    model->claude = ClaudeSearch::found({"/opt/claude", "2.1.99"});
    EXPECT_EQ(row(title),
              plainRow("exclamationmark.triangle.fill", "orange", title,
                       "2.1.99 at /opt/claude. Kestrelhaven needs 2.1.224 or later: run "
                       "`claude update`."));
    model->claude = ClaudeSearch::found({"/opt/claude", std::nullopt});
    EXPECT_EQ(row(title),
              plainRow("checkmark.circle.fill", "green", title, "Unknown version at /opt/claude."));

    // The doctor's check, when there is one, replaces the search.
    model->doctor = report({check("claude", "ok")});
    EXPECT_EQ(row("claude title"),
              plainRow("checkmark.circle.fill", "green", "claude title", "claude detail"));
    model->doctor = report({check("claude", "warn", fix("Update…", "copy"))});
    EXPECT_EQ(row("claude title"), plainRow("exclamationmark.triangle.fill", "orange",
                                            "claude title", "claude detail", "Button \"Update…\""));
    model->doctor = report({check("claude", "todo")});
    EXPECT_EQ(row("claude title"), plainRow("circle", "secondary", "claude title", "claude detail",
                                            "VStack\n    Button \"In a Container…\""));
    model->doctor = report({check("claude", "todo", fix("Install it", "install_claude"))});
    EXPECT_EQ(row("claude title"),
              plainRow("circle", "secondary", "claude title", "claude detail",
                       "VStack\n    Button \"Install…\"\n    Button \"In a Container…\""));
    EXPECT_EQ(host->press("In a Container…"), Outcome::Performed);
    EXPECT_EQ(ContainerWindowController::shared().model()->phase->kind, ContainerPhase::naming);
    EXPECT_TRUE(ContainerWindowController::shared().window()->isKeyWindow());
}

TEST_F(SetupWindowView, TheHooksRowShowsEveryHookState) {
    const std::string title = "Claude Code hooks";
    EXPECT_EQ(row(title), plainRow("circle", "secondary", title,
                                   "Not installed: your phone won't hear about sessions or "
                                   "approvals.",
                                   "Button \"Add Hooks…\""));
    model->hooks = ClaudeHooks::State::partial({"Stop", "SessionEnd"});
    EXPECT_EQ(row(title), plainRow("exclamationmark.triangle.fill", "orange", title,
                                   "Missing for Stop, SessionEnd.", "Button \"Repair…\""));
    model->hooks = ClaudeHooks::State::unreadable();
    EXPECT_EQ(row(title), plainRow("exclamationmark.triangle.fill", "orange", title,
                                   "~/.claude/settings.json isn't valid JSON. Fix it, then check "
                                   "again."));
    model->hooks = ClaudeHooks::State::installed();
    EXPECT_EQ(row(title), plainRow("checkmark.circle.fill", "green", title,
                                   "Installed in ~/.claude/settings.json."));
    model->doctor = report({check("hook_test", "ok"), check("hooks", "warn")});
    EXPECT_EQ(row(title), plainRow("checkmark.circle.fill", "green", title,
                                   "Installed in ~/.claude/settings.json; a test hook went "
                                   "through."));
    model->doctor = report({check("hook_test", "fail", fix("Try Again", "add_hooks"))});
    EXPECT_EQ(row("hook_test title"), plainRow("xmark.octagon.fill", "red", "hook_test title",
                                               "hook_test detail", "Button \"Try Again\""));
    // An "info" hooks check speaks for the row whatever the model's own state.
    model->doctor = report({check("hooks", "info")});
    EXPECT_EQ(row(title), plainRow("info.circle", "secondary", title, "hooks detail"));
}

TEST_F(SetupWindowView, TheIntegrationRowFollowsTheMcpAndDossierChecks) {
    const std::string title = "Claude Code integration";
    model->mcpWanted = false;
    const auto mcpInfo = R"({"id":"mcp","status":"info","title":"mcp","detail":"Claude Code runs )"
                         R"(another copy of it.","fix":{"label":"Add","action":"install_mcp"}})";
    model->doctor = report({mcpInfo});
    EXPECT_THAT(row(title),
                HasSubstr("Image symbol=info.circle color=secondary\n  VStack\n    Toggle \"Claude "
                          "Code integration\" weight=bold on checkbox disabled\n"));
    EXPECT_THAT(row(title), HasSubstr("    Text \"Claude Code runs another copy of it.\" "
                                      "font=caption color=secondary\n  Spacer min=12\n"));
    EXPECT_EQ(host->toggle(title), Outcome::Disabled);

    // A "todo" entry offers its fix only while integration is wanted; a failing dossier command
    // offers its own meanwhile.
    const auto dossier = check("dossier_cmd", "warn", fix("Add It", "install_mcp"));
    model->doctor =
        report({check("mcp", "todo", fix("Add to Claude Code", "install_mcp")), dossier});
    std::string text = row(title);
    EXPECT_THAT(text, HasSubstr("Toggle \"Claude Code integration\" weight=bold off checkbox\n"));
    EXPECT_THAT(text, HasSubstr("    Text \"dossier_cmd detail\" font=caption color=orange\n"));
    EXPECT_TRUE(text.ends_with("  Spacer min=12\n  Button \"Add It\"\n")) << text;
    model->mcpWanted = true;
    EXPECT_TRUE(row(title).ends_with("  Button \"Add to Claude Code\"\n"));

    model->doctor = report({check("mcp", "warn"), check("dossier_cmd", "ok")});
    text = row(title);
    EXPECT_THAT(text, HasSubstr("Image symbol=exclamationmark.triangle.fill color=orange"));
    EXPECT_THAT(text, HasSubstr("on checkbox disabled"));
    EXPECT_THAT(text, Not(HasSubstr("dossier_cmd detail")));
    model->doctor = report({check("mcp", "warn"), check("dossier_cmd", "info")});
    EXPECT_THAT(row(title), Not(HasSubstr("dossier_cmd detail")));

    // With the checkbox enabled, unticking it takes the entry out.
    model->doctor = report({check("mcp", "ok")});
    EXPECT_EQ(host->toggle(title), Outcome::Performed);
    EXPECT_FALSE(*model->mcpWanted);
    EXPECT_EQ(model->busy.get(), "Taking Kestrelhaven out of Claude Code's MCP servers…");
}

TEST_F(SetupWindowView, DoctorRowsListEnvironmentsFailingEntriesPhonesAndFurtherChecks) {
    model->service = Status::enabled;
    model->doctor = report({
        check("push", "ok"),
        check("phones", "todo", fix("Pair a Device…", "pair")),
        check("mcp:work", "ok"),
        check("env:work", "ok", fix("Show Setup", "add_container")),
        check("config_dir:/home/ada/.claude-x", "info", fix("Add", "add_config_dir")),
        check("mcp:x", "warn", fix("Add to Claude Code", "install_mcp")),
        check("network", "ok"),
        check("legacy", "info", fix("Forget", "settings")),
        check("tailnet_changed", "", fix("Open Tailscale", "open_tailscale")),
        check("bridge", "ok"),
        check("config", "fail"),
        check("login_shell", "info"),
    });
    std::vector<std::string> titles;
    for (const auto& line : lines())
        if (line.find(" title\" weight=bold") != std::string::npos)
            titles.push_back(
                line.substr(line.find('"') + 1, line.find(" title\"") - line.find('"') - 1));
    EXPECT_EQ(titles, (std::vector<std::string>{
                          "config", "env:work", "config_dir:/home/ada/.claude-x", "mcp:x", "phones",
                          "legacy", "tailnet_changed", "push", "login_shell"}));
    // Fixes stay offered on "ok" and "info" only for containers and configuration folders.
    EXPECT_THAT(row("env:work title"), HasSubstr("Button \"Show Setup\""));
    EXPECT_THAT(row("config_dir:/home/ada/.claude-x title"), HasSubstr("Button \"Add\""));
    EXPECT_THAT(row("legacy title"), Not(HasSubstr("Button")));
    EXPECT_EQ(row("tailnet_changed title"),
              plainRow("circle", "secondary", "tailnet_changed title", "tailnet_changed detail",
                       "Button \"Open Tailscale\""));
    EXPECT_EQ(row("push title"),
              plainRow("checkmark.circle.fill", "green", "push title", "push detail"));
    // config, mcp:x, phones and tailnet_changed; the service is fine.
    EXPECT_EQ(summary(),
              "Label \"4 things to do above.\" symbol=list.bullet.circle color=secondary");

    int pairs = 0;
    SetupActions::openPair = [&] { ++pairs; };
    EXPECT_EQ(host->press("Pair a Device…"), Outcome::Performed);
    EXPECT_EQ(pairs, 1);
    EXPECT_EQ(host->press("Show Setup"), Outcome::Performed);
    EXPECT_EQ(ContainerWindowController::shared().model()->phase->kind, ContainerPhase::working);
    SetupActions::openPair = [] {};
}

TEST_F(SetupWindowView, TheSummaryCountsWhatIsLeftOrSaysWhatWorks) {
    model->service = Status::enabled;
    model->doctor = report({check("bridge", "ok")});
    EXPECT_EQ(summary(), "Label \"Everything works: the bridge answers.\" "
                         "symbol=checkmark.seal.fill color=green");
    model->doctor = report({check("bridge", "ok"), check("phones", "ok")});
    EXPECT_EQ(summary(), "Label \"Everything works: the bridge answers and your iPhone is "
                         "connected.\" symbol=checkmark.seal.fill color=green");
    EXPECT_EQ(
        SetupView::everythingWorks(report({check("hook_test", "ok"), check("env:a", "warn"),
                                           check("config_dir:/b", "ok"), check("phones", "ok")})),
        "Everything works: the bridge answers, a test hook went through, your containers "
        "checked in and your iPhone is connected.");
    model->doctor = report({check("bridge", "ok"), check("a", "todo"), check("b", "")});
    EXPECT_EQ(summary(),
              "Label \"2 things to do above.\" symbol=list.bullet.circle color=secondary");
    // Without a bridge check the service counts as not fine.
    model->doctor = report({check("phones", "info")});
    EXPECT_EQ(summary(),
              "Label \"One thing to do above.\" symbol=list.bullet.circle color=secondary");
}

TEST_F(UnmovedSetupWindowView, AnAppNotYetMovedIsAskedToMoveAndCountsAsAThingToDo) {
    const std::string title = "Move Kestrelhaven to Applications";
    EXPECT_EQ(row(title), plainRow("exclamationmark.triangle.fill", "orange", title,
                                   "It's running from the disk image or a download folder. Drag "
                                   "it to Applications, quit, and open it from there."));
    model->service = Status::enabled;
    model->doctor = report({check("bridge", "ok")});
    EXPECT_EQ(summary(),
              "Label \"One thing to do above.\" symbol=list.bullet.circle color=secondary");
}

TEST_F(SetupWindowView, TheStatusAreaShowsTheActionInFlightAndItsOutcome) {
    model->busy = std::string("Adding hooks…");
    model->note = std::string("Added hooks.");
    model->problem = std::string("install-mcp failed: no such file");
    const std::string text = host->renderText();
    EXPECT_THAT(text,
                HasSubstr("  HStack\n    ProgressView small\n    Text \"Adding hooks…\"\n"
                          "  Text \"Added hooks.\" color=secondary\n"
                          "  Text \"install-mcp failed: no such file\" color=red selectable\n"));
    // While busy nothing can be started, "Done" and Return included.
    EXPECT_THAT(text, HasSubstr("Button \"Done\" default disabled"));
    EXPECT_EQ(host->press("Check Again"), Outcome::Disabled);
    EXPECT_EQ(host->pressReturn(), Outcome::Disabled);
    EXPECT_EQ(closes, 0);

    model->busy = std::nullopt;
    EXPECT_EQ(host->pressReturn(), Outcome::Performed);
    EXPECT_EQ(host->press("Done"), Outcome::Performed);
    EXPECT_EQ(closes, 2);
    EXPECT_EQ(host->press("Claude Code in a container…"), Outcome::Performed);
    EXPECT_EQ(ContainerWindowController::shared().model()->phase->kind, ContainerPhase::naming);
    EXPECT_EQ(ContainerWindowController::shared().window()->title(), "Add a Container");
}
