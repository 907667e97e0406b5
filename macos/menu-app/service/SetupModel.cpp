#include "service/SetupModel.h"

#include "service/Bundled.h"
#include "service/DeveloperAgent.h"
#include "service/ToolOutput.h"

#include <Foundation/UserDefaults.h>

SetupModel::SetupModel()
    : mcpWanted(this, Foundation::UserDefaults::boolean("mcpWanted").value_or(true)),
      m_work(Dispatch::DispatchQueue::serial("kestrelhaven.setup")) {}

std::shared_ptr<SetupModel> SetupModel::self() {
    return std::static_pointer_cast<SetupModel>(shared_from_this());
}

bool SetupModel::needsAttention() const {
    if (Bundled::needsMoving() || *service != ServiceManagement::Status::enabled ||
        !developerAgents->empty() || hooks->kind != ClaudeHooks::State::Kind::installed)
        return true;
    switch (claude->kind) {
    case ClaudeSearch::Kind::notLookedFor:
        return false;
    case ClaudeSearch::Kind::notFound:
        return true;
    case ClaudeSearch::Kind::found:
        return claude->claude->version && ClaudeCode::isTooOld(*claude->claude->version);
    }
    return false;
}

void SetupModel::refresh(std::function<void(SetupModel&)> then) {
    service = BackgroundService::status();
    hooks = ClaudeHooks::state();
    checking = true;
    m_work.async([self = self(), then = std::move(then)] {
        auto agents = DeveloperAgent::present();
        auto found = ClaudeCode::find();
        Dispatch::DispatchQueue::main().async(
            [self, then, agents = std::move(agents), found = std::move(found)] {
                self->developerAgents = agents;
                self->claude = found ? ClaudeSearch::found(*found) : ClaudeSearch::notFound();
                self->service = BackgroundService::status();
                if (then)
                    then(*self);
            });
        auto report = DoctorReport::run();
        Dispatch::DispatchQueue::main().async([self, report = std::move(report)] {
            self->doctor = report;
            self->checking = false;
            self->hooks = ClaudeHooks::state();
        });
    });
}

void SetupModel::finish(Text problem, Text note) {
    busy = std::nullopt;
    this->problem = std::move(problem);
    this->note = std::move(note);
    refresh();
}

SetupModel::Outcome SetupModel::runMcp(bool install,
                                       const std::optional<std::string>& environment) {
    std::vector<std::string> arguments{install ? "install-mcp" : "uninstall-mcp", "--json"};
    if (environment) {
        arguments.push_back("--env");
        arguments.push_back(*environment);
    }
    return mcpOutcome(Bundled::cli(arguments, mcpTimeout), install);
}

namespace {

// The JSON result line of "install-mcp --json" and "uninstall-mcp --json".
struct McpReply {
    struct Result {
        std::string status;
        std::string account;
        std::string detail;

        static Result decode(const JSONCoding::Decoder& d) {
            return {d.required<std::string>("status"), d.required<std::string>("account"),
                    d.required<std::string>("detail")};
        }
    };
    // A line to add to a shell start-up file, since ~/.local/bin is not on the shell's PATH.
    struct PathFix {
        std::string file;
        std::string line;

        static PathFix decode(const JSONCoding::Decoder& d) {
            return {d.required<std::string>("file"), d.required<std::string>("line")};
        }
    };

    bool ok;
    std::vector<Result> results;
    std::optional<PathFix> path_fix;
    std::optional<std::string> note;

    static McpReply decode(const JSONCoding::Decoder& d) {
        return {d.required<bool>("ok"), d.required<std::vector<Result>>("results"),
                d.optional<PathFix>("path_fix"), d.optional<std::string>("note")};
    }
};

} // namespace

SetupModel::Outcome SetupModel::mcpOutcome(const Run::Result& result, bool install) {
    const auto line = ToolOutput::jsonLine(result.output);
    const auto reply =
        line ? JSONCoding::decode<McpReply>(Foundation::dataFrom(*line)) : std::nullopt;
    if (!reply)
        return {std::nullopt, std::string(install ? "install-mcp" : "uninstall-mcp") +
                                  " failed: " + ToolOutput::message(result)};
    std::string failures;
    for (const auto& entry : reply->results)
        if (entry.status == "failed")
            failures += (failures.empty() ? "" : "; ") + entry.account + ": " + entry.detail;
    if (!failures.empty())
        return {std::nullopt, failures};
    std::string note =
        install ? "Kestrelhaven is in Claude Code's MCP servers. " + reply->note.value_or("")
                : "Kestrelhaven's MCP server is out of Claude Code (another "
                  "copy's entry, if any, is left).";
    if (reply->path_fix)
        note += " ~/.local/bin isn't on your shell's PATH: add " + reply->path_fix->line + " to " +
                reply->path_fix->file + ".";
    return {note, std::nullopt};
}
