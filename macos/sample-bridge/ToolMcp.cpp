#include "sample-bridge/ToolMcp.h"

#include "sample-bridge/ClaudeFiles.h"
#include "sample-bridge/Environments.h"

#include <Foundation/FileIO.h>
#include <Foundation/Home.h>
#include <Foundation/TextPieces.h>
#include <cstdlib>
#include <optional>

namespace SampleBridge {

namespace {

using ClaudeFiles::Document;
namespace fs = std::filesystem;

struct Target {
    fs::path userFile;
    std::string account;
    bool own = true;
};

struct Options {
    bool json = false;
    std::optional<std::string> environment;
};

std::optional<Options> parse(const std::vector<std::string>& arguments, std::ostream& errors,
                             const char* verb) {
    Options options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--json") {
            options.json = true;
        } else if (arguments[i] == "--env" && i + 1 < arguments.size()) {
            options.environment = arguments[++i];
        } else {
            errors << "usage: " << verb << " [--json] [--env <name>]\n";
            return std::nullopt;
        }
    }
    return options;
}

std::optional<Target> target(const Options& options, std::ostream& errors) {
    if (!options.environment) {
        const fs::path file = Foundation::homeDirectory() / ".claude.json";
        return Target{file, "you (" + ClaudeFiles::shown(file) + ")", true};
    }
    const auto environment = findEnvironment(*options.environment);
    if (!environment) {
        errors << "sample bridge: no environment is named “" << *options.environment << "”\n";
        return std::nullopt;
    }
    if (!environment->configDir) {
        errors << "sample bridge: " << environment->label
               << " is a container: Claude Code there is set up inside it\n";
        return std::nullopt;
    }
    const fs::path file = *environment->configDir / ".claude.json";
    return Target{file, environment->label + " (" + ClaudeFiles::shown(file) + ")", false};
}

// What one run works on: its options, the user file it changes, and that file as read.
struct Job {
    Options options;
    Target target;
    ClaudeFiles::Read read;
};

std::optional<Job> begin(const std::vector<std::string>& arguments, const char* verb,
                         std::ostream& errors) {
    const auto options = parse(arguments, errors, verb);
    if (!options)
        return std::nullopt;
    auto where = target(*options, errors);
    if (!where)
        return std::nullopt;
    auto read = ClaudeFiles::readObject(where->userFile);
    return Job{*options, std::move(*where), std::move(read)};
}

std::string unreadable(const Target& target) {
    return ClaudeFiles::shown(target.userFile) + " isn't valid JSON; it was left as it is";
}

std::string startupFile() {
    const char* shell = std::getenv("SHELL");
    const std::string name = shell ? fs::path(shell).filename().string() : "";
    if (name == "zsh")
        return "~/.zshrc";
    if (name == "bash")
        return "~/.bash_profile";
    return "~/.profile";
}

bool onPath(const fs::path& folder) {
    const char* path = std::getenv("PATH");
    for (const auto entry : Foundation::nonEmptyPieces(path ? path : "", ':'))
        if (fs::path(entry).lexically_normal() == folder.lexically_normal())
            return true;
    return false;
}

// The command that lets a shell session add to the Dossier; its mark tells the uninstaller it is
// ours.
bool installDossierCommand(std::string& error) {
    const fs::path folder = Foundation::homeDirectory() / ".local" / "bin";
    std::error_code made;
    if (!Foundation::createFolder(folder, &made)) {
        error = "couldn't make " + ClaudeFiles::shown(folder) + ": " + made.message();
        return false;
    }
    const std::string script =
        "#!/bin/sh\n# kestrelhaven-dossier-shim\n"
        "# Adds standard input to the Dossier through the Kestrelhaven bridge.\n"
        "exec curl -s --unix-socket \"$HOME/.kestrelhaven/bridge.sock\" "
        "--data-binary @- http://localhost/dossier\n";
    return Foundation::writeFileAtomically(folder / "dossier", Foundation::dataFrom(script), 0755,
                                           &error);
}

Document result(const char* status, const Target& target, const std::string& detail) {
    return {{"status", status}, {"account", target.account}, {"detail", detail}};
}

// Ends a run with its one result.
int finish(const Options& options, bool install, Document entry, std::ostream& output) {
    const bool ok = entry["status"] != "failed";
    if (!options.json) {
        output << entry["account"].get<std::string>() << ": " << entry["detail"].get<std::string>()
               << "\n";
        return ok ? 0 : 1;
    }
    Document reply = {{"ok", ok}, {"results", Document::array({std::move(entry)})}};
    const fs::path bin = Foundation::homeDirectory() / ".local" / "bin";
    if (install && ok && !options.environment && !onPath(bin))
        reply["path_fix"] = {{"file", startupFile()},
                             {"line", "export PATH=\"$HOME/.local/bin:$PATH\""}};
    if (install && ok)
        reply["note"] = "New Claude Code sessions can use it.";
    output << reply.dump(-1, ' ', false, Document::error_handler_t::replace) << "\n";
    return ok ? 0 : 1;
}

} // namespace

int installMcp(const std::vector<std::string>& arguments, std::ostream& output,
               std::ostream& errors) {
    auto job = begin(arguments, "install-mcp", errors);
    if (!job)
        return 1;
    output << "Adding Kestrelhaven to Claude Code's MCP servers…\n";
    const auto end = [&](const char* status, const std::string& detail) {
        return finish(job->options, true, result(status, job->target, detail), output);
    };
    if (!job->read.document)
        return end("failed", unreadable(job->target));
    Document& document = *job->read.document;
    if (document.contains("mcpServers") && !document["mcpServers"].is_object())
        return end("failed", "its MCP servers have a shape it doesn't know");
    const bool had = ClaudeFiles::server(document) == ClaudeFiles::Server::ours;
    const fs::path script =
        Foundation::homeDirectory() / ".kestrelhaven" / ClaudeFiles::serverScript;
    document["mcpServers"][ClaudeFiles::serverName] = {
        {"type", "stdio"}, {"command", "node"}, {"args", Document::array({script.string()})}};
    std::string error;
    if (!ClaudeFiles::writeObject(job->target.userFile, document, error) ||
        (job->target.own && !installDossierCommand(error)))
        return end("failed", error);
    const std::string name = ClaudeFiles::serverName;
    return had ? end("updated", name + " updated") : end("added", name + " added");
}

int uninstallMcp(const std::vector<std::string>& arguments, std::ostream& output,
                 std::ostream& errors) {
    auto job = begin(arguments, "uninstall-mcp", errors);
    if (!job)
        return 1;
    output << "Taking Kestrelhaven out of Claude Code's MCP servers…\n";
    const auto end = [&](const char* status, const std::string& detail) {
        return finish(job->options, false, result(status, job->target, detail), output);
    };
    if (!job->read.document)
        return end("failed", unreadable(job->target));
    switch (ClaudeFiles::server(*job->read.document)) {
    case ClaudeFiles::Server::absent:
        return end("absent", "nothing to take out");
    case ClaudeFiles::Server::another:
        return end("kept", "another copy's entry was left alone");
    case ClaudeFiles::Server::ours:
        break;
    }
    (*job->read.document)["mcpServers"].erase(ClaudeFiles::serverName);
    std::string error;
    if (!ClaudeFiles::writeObject(job->target.userFile, *job->read.document, error))
        return end("failed", error);
    return end("removed", std::string(ClaudeFiles::serverName) + " removed");
}

} // namespace SampleBridge
