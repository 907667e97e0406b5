// The Setup window's model: whether the product works on this Mac, and the
// actions that fix what does not.
//
// It gathers the background service's status, leftover developer
// LaunchAgents, the product's Claude Code hooks, the user's Claude Code and
// the bridge tool's doctor report, publishes them for the window, tells the
// launch sequence whether the user should see the window
// (`needsAttention`), and carries out the window's actions: turning the
// service on, adding the hooks, adding or removing the product's MCP server
// entry, and the doctor's fixes. Every slow step (the tool's runs, the
// doctor, the Claude Code search, launchctl) runs on one serial queue,
// "kestrelhaven.setup", in the order queued; published fields change only on
// the main thread, where every operation is called. An action begins by
// setting `busy` and ends with `finish`, which sets `problem` or `note` (whole
// sentences for the user) and refreshes. Made with std::make_shared.
#pragma once

#include "service/BackgroundService.h"
#include "service/ClaudeCode.h"
#include "service/ClaudeHooks.h"
#include "service/DoctorReport.h"
#include "service/Run.h"

#include <Dispatch/DispatchQueue.h>
#include <SwiftUI/ObservableObject.h>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The Claude Code search: not looked for yet, looked for and not found, or found.
struct ClaudeSearch {
    enum class Kind { notLookedFor, notFound, found };

    static ClaudeSearch notLookedFor() { return {Kind::notLookedFor, std::nullopt}; }
    static ClaudeSearch notFound() { return {Kind::notFound, std::nullopt}; }
    static ClaudeSearch found(ClaudeCode claude) { return {Kind::found, std::move(claude)}; }

    Kind kind = Kind::notLookedFor;
    std::optional<ClaudeCode> claude;

    bool operator==(const ClaudeSearch&) const = default;
};

class SetupModel : public SwiftUI::ObservableObject {
public:
    template <class T> using Published = SwiftUI::Published<T>;
    using Text = std::optional<std::string>;

    // The outcome of an action: a problem, a note, or (rarely) both.
    struct Outcome {
        Text note;
        Text problem;
        bool operator==(const Outcome&) const = default;
    };

    SetupModel();

    Published<ServiceManagement::Status> service{this, ServiceManagement::Status::notRegistered};
    Published<std::vector<std::string>> developerAgents{this};
    Published<ClaudeHooks::State> hooks{this, ClaudeHooks::State::absent()};
    Published<ClaudeSearch> claude{this};
    Published<Text> busy{this};
    Published<Text> note{this};
    Published<Text> problem{this};
    Published<std::optional<DoctorReport>> doctor{this};
    Published<bool> checking{this, false};
    // The user default "mcpWanted" when it is a boolean, else true.
    Published<bool> mcpWanted;

    // Whether something the window shows needs the user; reads published fields only.
    bool needsAttention() const;

    // Re-reads everything. `then` runs on the main thread once the service, the developer agents
    // and the Claude Code search are published, before the doctor report is.
    void refresh(std::function<void(SetupModel&)> then = {});
    // Carries out the remedy the doctor proposed for `check`.
    void fix(const DoctorReport::Fix& fix, const DoctorReport::Check& check);
    void turnOnService();
    void installHooks();
    // For the user's own Claude Code, or the named environment's.
    void installMcp(std::optional<std::string> environment);
    void uninstallMcp();
    void setMcpWanted(bool wanted);

    // What a run of "install-mcp --json" (`install`) or "uninstall-mcp --json" means: judged by
    // its JSON result line alone, whatever its exit status.
    static Outcome mcpOutcome(const Run::Result& result, bool install);

    static constexpr double toolTimeout = 20;
    static constexpr double mcpTimeout = 60;

private:
    std::shared_ptr<SetupModel> self();
    void finish(Text problem, Text note);
    // Runs `work` on the queue, then `done` with its result on the main thread.
    template <class Work, class Done> void perform(Work work, Done done);
    void copy(const std::string& command, std::string note);
    void addEnvironment(const DoctorReport::EnvSpec& environment);
    void installHooks(const std::string& environment);
    // Blocks; called on the queue only.
    static Outcome runMcp(bool install, const std::optional<std::string>& environment);

    Dispatch::DispatchQueue m_work;
};

template <class Work, class Done> void SetupModel::perform(Work work, Done done) {
    m_work.async([self = self(), work = std::move(work), done = std::move(done)]() mutable {
        auto result = work();
        Dispatch::DispatchQueue::main().async(
            [self, done = std::move(done), result = std::move(result)]() mutable {
                done(*self, std::move(result));
            });
    });
}
