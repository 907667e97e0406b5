// The Setup model's actions: the doctor's fixes, turning the service on, hooks and MCP entries.
#include "service/Bundled.h"
#include "service/SetupActions.h"
#include "service/SetupAddresses.h"
#include "service/SetupModel.h"
#include "service/ToolOutput.h"
#include "settings/ContainerWindowController.h"

#include <AppKit/Alert.h>
#include <AppKit/Application.h>
#include <AppKit/Pasteboard.h>
#include <Foundation/TextPieces.h>
#include <Foundation/Unicode.h>
#include <Foundation/UserDefaults.h>

namespace {

constexpr std::string_view hooksCommand = "kestrelhaven install-hooks --env ";

bool isSpaceOrTab(char32_t scalar) {
    return scalar == U' ' || scalar == U'\t';
}

// The environment an "install_mcp" command names after "--env ": up to the next space or tab, so
// that a later flag is not read as part of the name.
std::optional<std::string> environmentIn(const std::string& command) {
    const std::size_t flag = command.find("--env ");
    if (flag == std::string::npos)
        return std::nullopt;
    const std::size_t next = command.find("--env ", flag + 6);
    const std::string piece = Foundation::Unicode::trimmed(
        std::string_view(command).substr(flag + 6,
                                         next == std::string::npos ? next : next - flag - 6),
        isSpaceOrTab);
    return piece.substr(0, piece.find_first_of(" \t"));
}

bool confirm(const std::string& message, const std::string& informative,
             const std::string& button) {
    AppKit::Application::shared().activate(true);
    AppKit::Alert alert;
    alert.setMessageText(message);
    alert.setInformativeText(informative);
    alert.addButton(button);
    alert.addButton("Cancel");
    return alert.runModal() == AppKit::alertFirstButtonReturn;
}

} // namespace

void SetupModel::fix(const DoctorReport::Fix& fix, const DoctorReport::Check& check) {
    const std::string action = fix.action.value_or("");
    if (action == "turn_on") {
        turnOnService();
    } else if (action == "add_hooks") {
        installHooks();
    } else if (action == "pair") {
        SetupActions::openPair();
    } else if (action == "settings") {
        SetupActions::openSettings();
    } else if (action == "open_tailscale") {
        SetupActions::openTailscale();
    } else if (action == "install_claude") {
        SetupActions::installClaude(fix.command.value_or(SetupAddresses::claudeInstallCommand()));
    } else if (action == "install_mcp") {
        installMcp(fix.command ? environmentIn(*fix.command) : std::nullopt);
    } else if (action == "copy") {
        if (fix.command)
            copy(*fix.command, "Copied: " + *fix.command + ". Paste it into Terminal.");
    } else if (action == "add_config_dir") {
        if (fix.env)
            addEnvironment(*fix.env);
    } else if (action == "add_container") {
        ContainerWindowController::shared().show(
            check.id.starts_with("env:") ? std::optional(check.id.substr(4)) : std::nullopt);
    } else if (fix.command) {
        if (fix.command->starts_with(hooksCommand))
            // A name with white space around it names no environment.
            installHooks(Foundation::Unicode::trimmed(fix.command->substr(hooksCommand.size()),
                                                      Foundation::Unicode::isWhitespaceOrNewline));
        else
            copy(*fix.command, "Copied: " + *fix.command);
    }
}

void SetupModel::copy(const std::string& command, std::string note) {
    auto& pasteboard = AppKit::Pasteboard::general();
    pasteboard.clearContents();
    pasteboard.setString(command);
    this->note = std::move(note);
}

void SetupModel::addEnvironment(const DoctorReport::EnvSpec& environment) {
    busy = "Adding " + environment.label + "…";
    const bool withMcp = *mcpWanted;
    perform(
        [environment, withMcp] {
            auto result = Bundled::cli({"env", "add", environment.name, environment.label,
                                        "--config-dir", environment.config_dir},
                                       toolTimeout);
            if (result.status == 0)
                result = Bundled::cli({"install-hooks", "--env", environment.name}, toolTimeout);
            if (result.status == 0 && withMcp)
                result = Bundled::cli({"install-mcp", "--env", environment.name}, mcpTimeout);
            return result;
        },
        [label = environment.label](SetupModel& model, Run::Result result) {
            if (result.status != 0)
                model.finish("Couldn't add " + label + ": " + ToolOutput::message(result),
                             std::nullopt);
            else
                model.finish(std::nullopt, "Added " + label +
                                               "; sessions started there from now on report here.");
        });
}

void SetupModel::installHooks(const std::string& environment) {
    busy = "Adding hooks…";
    perform(
        [environment] {
            return Bundled::cli({"install-hooks", "--env", environment}, toolTimeout);
        },
        [](SetupModel& model, Run::Result result) {
            if (result.status != 0)
                model.finish("install-hooks failed: " + ToolOutput::message(result), std::nullopt);
            else
                model.finish(std::nullopt, ToolOutput::firstLine(result.output));
        });
}

void SetupModel::turnOnService() {
    problem = std::nullopt;
    note = std::nullopt;
    if (Bundled::needsMoving()) {
        problem = "Move Kestrelhaven to your Applications folder and open it from there first.";
        return;
    }
    const std::vector<std::string> retiring = *developerAgents;
    if (!retiring.empty() &&
        !confirm("Run the bridge from the app?",
                 "A LaunchAgent from a developer install (`kestrelhaven setup`) runs the bridge "
                 "now: " +
                     Foundation::joined(retiring, ", ") +
                     ". Kestrelhaven stops it, keeps its plist in "
                     "~/.kestrelhaven/retired-launchagents, and runs its own copy of the bridge "
                     "instead.\n\nYour settings, paired phones and Claude Code hooks carry over: "
                     "both use ~/.kestrelhaven. Approvals waiting on your phone right now go back "
                     "to their terminals.",
                 "Switch"))
        return;
    busy = "Turning on the background service…";
    perform(
        [self = self(), retiring] {
            return BackgroundService::turnOn(retiring, [self](const std::string& line) {
                Dispatch::DispatchQueue::main().async([self, line] { self->busy = line; });
            });
        },
        [](SetupModel& model, BackgroundService::Outcome outcome) {
            switch (outcome.kind) {
            case BackgroundService::Outcome::Kind::running:
                model.finish(std::nullopt,
                             "The bridge is running. Pair your iPhone with Pair a Device….");
                break;
            case BackgroundService::Outcome::Kind::needsApproval:
                model.finish(std::nullopt, std::nullopt);
                break;
            case BackgroundService::Outcome::Kind::failed:
                model.finish(outcome.sentence, std::nullopt);
                break;
            }
        });
}

void SetupModel::installHooks() {
    problem = std::nullopt;
    note = std::nullopt;
    std::vector<std::string> events(ClaudeHooks::events.begin(), ClaudeHooks::events.end());
    std::string informative =
        "Kestrelhaven adds a hook for each of " + Foundation::joined(events, ", ") +
        " to ~/.claude/settings.json. Each one hands the event to the bridge over its local socket "
        "with curl; the PermissionRequest hook waits for your phone's answer until you answer on "
        "the phone or in the terminal (Claude Code's own prompt shows meanwhile).\n\nA backup of "
        "the file is kept next to it, and hooks that aren't Kestrelhaven's are left alone. "
        "Sessions started from now on use them.";
    if (*mcpWanted)
        informative += "\n\nWith Claude Code integration on, Kestrelhaven is also added to Claude "
                       "Code's MCP servers (~/.claude.json, at user scope), and the dossier "
                       "command to ~/.local/bin.";
    if (!confirm("Add Kestrelhaven's hooks to Claude Code?", informative, "Add Hooks"))
        return;
    busy = "Adding hooks…";
    const bool withMcp = *mcpWanted;
    struct Runs {
        Run::Result hooks;
        std::optional<Outcome> mcp;
    };
    perform(
        [withMcp] {
            Runs runs{Bundled::cli({"install-hooks"}, toolTimeout), std::nullopt};
            if (runs.hooks.status == 0 && withMcp)
                runs.mcp = runMcp(true, std::nullopt);
            return runs;
        },
        [](SetupModel& model, Runs runs) {
            if (runs.hooks.status != 0) {
                model.finish("install-hooks failed: " + ToolOutput::message(runs.hooks),
                             std::nullopt);
                return;
            }
            std::string note = ToolOutput::firstLine(runs.hooks.output).value_or("");
            if (runs.mcp && runs.mcp->note)
                note += " " + *runs.mcp->note;
            model.finish(runs.mcp ? runs.mcp->problem : std::nullopt, note);
        });
}

void SetupModel::installMcp(std::optional<std::string> environment) {
    problem = std::nullopt;
    note = std::nullopt;
    busy = "Adding Kestrelhaven to Claude Code's MCP servers…";
    perform([environment] { return runMcp(true, environment); },
            [](SetupModel& model, Outcome outcome) {
                model.finish(std::move(outcome.problem), std::move(outcome.note));
            });
}

void SetupModel::uninstallMcp() {
    problem = std::nullopt;
    note = std::nullopt;
    busy = "Taking Kestrelhaven out of Claude Code's MCP servers…";
    perform([] { return runMcp(false, std::nullopt); },
            [](SetupModel& model, Outcome outcome) {
                model.finish(std::move(outcome.problem), std::move(outcome.note));
            });
}

void SetupModel::setMcpWanted(bool wanted) {
    mcpWanted = wanted;
    Foundation::UserDefaults::setBool("mcpWanted", wanted);
    if (wanted)
        installMcp(std::nullopt);
    else
        uninstallMcp();
}
