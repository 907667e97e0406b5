// The Setup window's rows for the service, Claude Code, its hooks, the integration and the phones.
#include "service/SetupAddresses.h"
#include "service/SetupView.h"
#include "settings/ContainerWindowController.h"

#include <Foundation/Home.h>
#include <Foundation/TextPieces.h>
#include <ServiceManagement/AgentService.h>

using namespace SwiftUI;
using Status = ServiceManagement::Status;

namespace {

bool hasStatus(const DoctorReport::Check* check, std::string_view status) {
    return check && check->status == status;
}

} // namespace

View SetupView::serviceRow() const {
    const std::string title = "Background service";
    const auto& agents = *model->developerAgents;
    const Status service = *model->service;
    const auto turnOn = [model = model.get()] { model->turnOnService(); };
    if (!agents.empty())
        return row(Mark::warn, title,
                   "A developer LaunchAgent runs the bridge from a checkout (" +
                       Foundation::joined(agents, ", ") +
                       "). Switch to the app's own copy, which starts at login and doesn't depend "
                       "on the Node you have installed.",
                   Button("Switch…", turnOn));
    if (service == Status::requiresApproval)
        return row(
            Mark::warn, title,
            "Turned off in Login Items. Turn Kestrelhaven on under Allow in the Background.",
            Button("Open Login Items", [] { ServiceManagement::openSystemSettingsLoginItems(); }));
    if (service == Status::notFound)
        return row(Mark::warn, title,
                   "The app is missing its LaunchAgent. Download Kestrelhaven again.");
    if (service == Status::enabled) {
        const auto& report = *model->doctor;
        const auto* bridge = report ? report->check("bridge") : nullptr;
        if (hasStatus(bridge, "fail"))
            return row(Mark::fail, title,
                       "On, but the bridge isn't answering. " + bridge->detail +
                           " Its log: ~/.kestrelhaven/logs/launchd.out.log");
        return row(Mark::ok, title, "On: the bridge starts at login, on Kestrelhaven's own Node.");
    }
    return row(Mark::pending, title, "Off. The bridge doesn't run until it's on.",
               Button("Turn On", turnOn));
}

View SetupView::claudeRow() const {
    const auto& report = *model->doctor;
    const auto* check = report ? report->check("claude") : nullptr;
    if (!check)
        return claudeRowOwn();
    if (check->status == "ok")
        return row(Mark::ok, check->title, check->detail);
    if (check->status != "todo")
        return doctorRow(*check);
    return row(Mark::pending, check->title, check->detail,
               VStack({.alignment = HorizontalAlignment::Trailing, .spacing = 4},
                      {If(check->fix.has_value(),
                          [&] {
                              return Button("Install…", [model = model.get(), check = *check] {
                                  model->fix(*check.fix, check);
                              });
                          }),
                       Button("In a Container…",
                              [] { ContainerWindowController::shared().show(std::nullopt); })}));
}

View SetupView::claudeRowOwn() const {
    const std::string title = "Claude Code";
    const auto& search = *model->claude;
    switch (search.kind) {
    case ClaudeSearch::Kind::notLookedFor:
        return row(Mark::checking, title, "Looking for it…");
    case ClaudeSearch::Kind::notFound:
        return row(Mark::warn, title,
                   "Not found. Kestrelhaven uses your own Claude Code: install it, then check "
                   "again.",
                   Link("Install", SetupAddresses::claudeSetupDocumentation));
    case ClaudeSearch::Kind::found:
        break;
    }
    const std::string path = Foundation::abbreviatingWithTildeInPath(search.claude->path);
    const auto& version = search.claude->version;
    if (!version)
        return row(Mark::ok, title, "Unknown version at " + path + ".");
    if (ClaudeCode::isTooOld(*version))
        return row(Mark::warn, title,
                   *version + " at " + path + ". Kestrelhaven needs " + ClaudeCode::minimumVersion +
                       " or later: run `claude update`.");
    return row(Mark::ok, title, *version + " at " + path + ".");
}

View SetupView::hooksRow() const {
    const auto& report = *model->doctor;
    const auto* hooks = report ? report->check("hooks") : nullptr;
    if (hasStatus(hooks, "info"))
        return row(Mark::info, "Claude Code hooks", hooks->detail);
    const auto* test = report ? report->check("hook_test") : nullptr;
    if (model->hooks->kind == ClaudeHooks::State::Kind::installed && test && test->status != "ok")
        return doctorRow(*test);
    return hooksRowOwn();
}

View SetupView::hooksRowOwn() const {
    const std::string title = "Claude Code hooks";
    const auto install = [model = model.get()] { model->installHooks(); };
    const auto& hooks = *model->hooks;
    switch (hooks.kind) {
    case ClaudeHooks::State::Kind::installed: {
        const auto& report = *model->doctor;
        return row(Mark::ok, title,
                   hasStatus(report ? report->check("hook_test") : nullptr, "ok")
                       ? "Installed in ~/.claude/settings.json; a test hook went through."
                       : "Installed in ~/.claude/settings.json.");
    }
    case ClaudeHooks::State::Kind::partial:
        return row(Mark::warn, title,
                   "Missing for " + Foundation::joined(hooks.missing, ", ") + ".",
                   Button("Repair…", install));
    case ClaudeHooks::State::Kind::absent:
        return row(Mark::pending, title,
                   "Not installed: your phone won't hear about sessions or approvals.",
                   Button("Add Hooks…", install));
    case ClaudeHooks::State::Kind::unreadable:
        break;
    }
    return row(Mark::warn, title,
               "~/.claude/settings.json isn't valid JSON. Fix it, then check again.");
}

View SetupView::integrationRow() const {
    const auto& report = *model->doctor;
    const auto* mcp = report ? report->check("mcp") : nullptr;
    const auto* dossier = report ? report->check("dossier_cmd") : nullptr;
    if (dossier && (dossier->status == "ok" || dossier->status == "info"))
        dossier = nullptr;
    const Mark mark = mcp ? Mark(mcp->status) : Mark::checking;
    const bool anotherCopy =
        hasStatus(mcp, "info") && mcp->detail.find("another copy") != std::string::npos;
    const bool locked =
        anotherCopy || hasStatus(mcp, "warn") || hasStatus(mcp, "fail") || hasStatus(mcp, "info");

    auto checkbox =
        Toggle(Binding<bool>(
                   [model = model.get(), anotherCopy] { return anotherCopy || *model->mcpWanted; },
                   [model = model.get()](const bool& wanted) { model->setMcpWanted(wanted); }),
               Text("Claude Code integration").bold())
            .toggleStyle(ToggleStyle::Checkbox)
            .disabled(locked);
    View control;
    if (hasStatus(mcp, "todo") && *model->mcpWanted && mcp->fix)
        control = fixButton(*mcp->fix, *mcp);
    else if (dossier && dossier->fix)
        control = fixButton(*dossier->fix, *dossier);

    return rowFrame(
        mark,
        VStack({.alignment = HorizontalAlignment::Leading, .spacing = 2},
               {checkbox,
                Text(std::string("Lets Claude Code sessions add documents to your Dossier (“add "
                                 "this to my Dossier”) and receive phone prompts in containers. "
                                 "Adds Kestrelhaven to Claude Code's MCP servers."))
                    .foregroundStyle(Color::secondary)
                    .fixedSize(false, true),
                If(mcp != nullptr,
                   [&] {
                       return Text(mcp->detail)
                           .font(Font::caption)
                           .foregroundStyle(Color::secondary)
                           .fixedSize(false, true);
                   }),
                If(dossier != nullptr,
                   [&] {
                       return Text(dossier->detail)
                           .font(Font::caption)
                           .foregroundStyle(Color::orange)
                           .fixedSize(false, true);
                   })}),
        control);
}

View SetupView::phoneRows(const DoctorReport& report) const {
    std::vector<DoctorReport::Check> checks;
    if (const auto* phones = report.check("phones"))
        checks.push_back(*phones);
    for (const auto& check : report.checks)
        if (check.id == "legacy" || check.id == "tailnet_changed")
            checks.push_back(check);
    if (const auto* network = report.check("network"); network && network->status != "ok")
        checks.push_back(*network);
    return rows(checks);
}
