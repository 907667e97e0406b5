#include "sample-bridge/ToolDoctor.h"

#include "sample-bridge/BridgeProbe.h"
#include "sample-bridge/ClaudeFiles.h"
#include "sample-bridge/Environments.h"

#include <Foundation/Home.h>
#include <Foundation/TextPieces.h>
#include <algorithm>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace SampleBridge {

namespace {

using ClaudeFiles::Document;
namespace fs = std::filesystem;

// The address of Claude Code's installer script.
constexpr const char* installCommand = "curl -fsSL https://claude.ai/install.sh | bash";
constexpr double probeTimeout = 1.0;

Document check(const std::string& id, const char* status, const std::string& title,
               const std::string& detail, Document fix = nullptr) {
    Document entry = {{"id", id}, {"status", status}, {"title", title}, {"detail", detail}};
    if (!fix.is_null())
        entry["fix"] = std::move(fix);
    return entry;
}

Document actionFix(const std::string& label, const std::string& action) {
    return {{"label", label}, {"action", action}};
}

bool isExecutableFile(const fs::path& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

struct Doctor {
    fs::path home = Foundation::homeDirectory();
    fs::path data = home / ".kestrelhaven";
    std::optional<nlohmann::json> health = probe(data / "bridge.sock", "/healthz", probeTimeout);
    Document checks = Document::array();

    bool answers() const { return health && health->value("ok", false); }

    void bridge() {
        const std::string socket = ClaudeFiles::shown(data / "bridge.sock");
        if (answers())
            checks.push_back(check("bridge", "ok", "Bridge",
                                   "Answers on " + socket + " (version " +
                                       health->value("version", std::string("?")) + ")."));
        else
            checks.push_back(check("bridge", "fail", "Bridge", "Nothing answers on " + socket + ".",
                                   actionFix("Turn On", "turn_on")));
    }

    void config() {
        const fs::path file = data / "config.json";
        const auto read = ClaudeFiles::readObject(file);
        if (!read.existed)
            return;
        if (read.document)
            checks.push_back(
                check("config", "ok", "Bridge settings", ClaudeFiles::shown(file) + " is valid."));
        else
            checks.push_back(check("config", "fail", "Bridge settings",
                                   ClaudeFiles::shown(file) +
                                       " isn't valid JSON: the bridge runs on its defaults and its "
                                       "settings are locked."));
    }

    void claude() {
        std::vector<fs::path> places;
        const char* path = std::getenv("PATH");
        for (const auto folder : Foundation::nonEmptyPieces(path ? path : "", ':'))
            places.push_back(fs::path(folder) / "claude");
        places.push_back(home / ".local" / "bin" / "claude");
        for (const auto& place : places) {
            if (isExecutableFile(place)) {
                checks.push_back(
                    check("claude", "ok", "Claude Code", "At " + ClaudeFiles::shown(place) + "."));
                return;
            }
        }
        Document fix = actionFix("Install…", "install_claude");
        fix["command"] = installCommand;
        checks.push_back(check("claude", "todo", "Claude Code", "Not found on this Mac.", fix));
    }

    void hooks() {
        const fs::path file = home / ".claude" / "settings.json";
        const auto read = ClaudeFiles::readObject(file);
        const std::string shown = ClaudeFiles::shown(file);
        if (!read.document) {
            checks.push_back(
                check("hooks", "fail", "Claude Code hooks", shown + " isn't valid JSON."));
            return;
        }
        const auto missing = ClaudeFiles::missingHooks(*read.document);
        if (missing.empty()) {
            checks.push_back(
                check("hooks", "ok", "Claude Code hooks", "All eight are in " + shown + "."));
            if (answers())
                checks.push_back(
                    check("hook_test", "ok", "Test hook", "A test hook went through."));
            else
                checks.push_back(check("hook_test", "warn", "Test hook",
                                       "No test hook went through: the bridge isn't answering."));
        } else if (missing.size() == ClaudeFiles::hookEvents.size()) {
            checks.push_back(check("hooks", "todo", "Claude Code hooks", "Not installed.",
                                   actionFix("Add Hooks…", "add_hooks")));
        } else {
            checks.push_back(check("hooks", "warn", "Claude Code hooks",
                                   "Missing for " + Foundation::joined(missing, ", ") + ".",
                                   actionFix("Repair…", "add_hooks")));
        }
    }

    void mcp() {
        const fs::path file = home / ".claude.json";
        const auto read = ClaudeFiles::readObject(file);
        const std::string shown = ClaudeFiles::shown(file);
        const std::string title = "Claude Code integration";
        if (!read.document) {
            checks.push_back(check("mcp", "fail", title, shown + " isn't valid JSON."));
            return;
        }
        switch (ClaudeFiles::server(*read.document)) {
        case ClaudeFiles::Server::absent:
            checks.push_back(check("mcp", "todo", title, "Not in Claude Code's MCP servers.",
                                   actionFix("Add to Claude Code", "install_mcp")));
            return;
        case ClaudeFiles::Server::another:
            checks.push_back(check("mcp", "info", title,
                                   "Claude Code runs another copy of Kestrelhaven's MCP server; "
                                   "it's left alone."));
            return;
        case ClaudeFiles::Server::ours:
            break;
        }
        checks.push_back(
            check("mcp", "ok", title, "In Claude Code's MCP servers (" + shown + ")."));
        const fs::path command = home / ".local" / "bin" / "dossier";
        if (isExecutableFile(command))
            checks.push_back(check("dossier_cmd", "ok", "dossier command",
                                   "At " + ClaudeFiles::shown(command) + "."));
        else
            checks.push_back(check("dossier_cmd", "warn", "dossier command",
                                   "The dossier command is missing from " +
                                       ClaudeFiles::shown(command.parent_path()) + ".",
                                   actionFix("Add It", "install_mcp")));
    }

    void environments() {
        const auto known = loadEnvironments().value_or(std::vector<Environment>{});
        for (const auto& environment : known) {
            const auto settings = ClaudeFiles::readObject(environment.configDir / "settings.json");
            if (settings.document && ClaudeFiles::missingHooks(*settings.document).empty()) {
                checks.push_back(check("env:" + environment.name, "ok", environment.label,
                                       "Claude Code in " +
                                           ClaudeFiles::shown(environment.configDir) +
                                           " reports here."));
            } else {
                checks.push_back(
                    check("env:" + environment.name, "todo", environment.label,
                          "Its hooks aren't installed.",
                          {{"label", "Add Hooks"},
                           {"command", "kestrelhaven install-hooks --env " + environment.name}}));
            }
            const auto user = ClaudeFiles::readObject(environment.configDir / ".claude.json");
            const std::string title = environment.label + ": Claude Code integration";
            if (user.document && ClaudeFiles::server(*user.document) == ClaudeFiles::Server::ours) {
                checks.push_back(
                    check("mcp:" + environment.name, "ok", title, "In its MCP servers."));
            } else {
                Document fix = actionFix("Add to Claude Code", "install_mcp");
                fix["command"] = "kestrelhaven install-mcp --env " + environment.name;
                checks.push_back(check("mcp:" + environment.name, "todo", title,
                                       "Not in its MCP servers.", fix));
            }
        }
        std::vector<fs::path> folders;
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(home, error)) {
            const std::string name = entry.path().filename().string();
            if (name.starts_with(".claude-") && name.size() > 8 && entry.is_directory(error) &&
                std::none_of(known.begin(), known.end(), [&](const Environment& environment) {
                    return environment.configDir == entry.path();
                }))
                folders.push_back(entry.path());
        }
        std::sort(folders.begin(), folders.end());
        for (const auto& folder : folders) {
            const std::string name = folder.filename().string().substr(8);
            std::string label = name;
            label[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(label[0])));
            const std::string shown = ClaudeFiles::shown(folder);
            checks.push_back(check(
                "config_dir:" + folder.string(), "info", "Claude Code setup in " + shown,
                "Sessions started with CLAUDE_CONFIG_DIR=" + shown + " don't report here yet.",
                {{"label", "Add"},
                 {"action", "add_config_dir"},
                 {"env", {{"name", name}, {"label", label}, {"config_dir", folder.string()}}}}));
        }
    }

    void phones() {
        const auto devices =
            answers() ? probe(data / "bridge.sock", "/devices", probeTimeout) : std::nullopt;
        if (!devices) {
            checks.push_back(
                check("phones", "info", "iPhone", "The bridge isn't answering, so it can't tell."));
            return;
        }
        std::vector<std::string> connected;
        std::size_t paired = 0;
        for (const auto& row : devices->value("devices", nlohmann::json::array())) {
            if (!row.is_object())
                continue;
            ++paired;
            if (row.value("connected", true))
                connected.push_back(row.value("device_id", std::string("?")));
        }
        if (!connected.empty())
            checks.push_back(check("phones", "ok", "iPhone",
                                   Foundation::joined(connected, ", ") + " connected."));
        else if (paired > 0)
            checks.push_back(
                check("phones", "warn", "iPhone", "Paired, but none is connected now."));
        else
            checks.push_back(check("phones", "todo", "iPhone", "No phone paired yet.",
                                   actionFix("Pair a Device…", "pair")));
    }
};

} // namespace

int runDoctor(const std::vector<std::string>& arguments, std::ostream& output,
              std::ostream& errors) {
    if (arguments != std::vector<std::string>{"--json"}) {
        errors << "usage: doctor --json\n";
        return 1;
    }
    output << "Checking Kestrelhaven…\n";
    Doctor doctor;
    doctor.bridge();
    doctor.config();
    doctor.claude();
    doctor.hooks();
    doctor.mcp();
    doctor.environments();
    doctor.phones();
    bool ok = true;
    for (const auto& entry : doctor.checks)
        ok = ok && (entry["status"] == "ok" || entry["status"] == "info");
    const Document report = {{"ok", ok}, {"checks", std::move(doctor.checks)}};
    output << report.dump(-1, ' ', false, Document::error_handler_t::replace) << "\n";
    return ok ? 0 : 1;
}

} // namespace SampleBridge
