#include "sample-bridge/ToolHooks.h"

#include "sample-bridge/ClaudeFiles.h"
#include "sample-bridge/Environments.h"

#include <Foundation/FileIO.h>
#include <Foundation/Home.h>

namespace SampleBridge {

namespace {

using ClaudeFiles::Document;

std::string hookCommand(const std::string& event) {
    // The permission hook waits for the phone's answer; the others only tell the bridge.
    const std::string wait = event == "PermissionRequest" ? "" : " --max-time 5";
    return "curl -s" + wait +
           " --unix-socket \"$HOME/.kestrelhaven/bridge.sock\" -H 'Content-Type: "
           "application/json' --data-binary @- http://localhost/hook/" +
           event + " " + ClaudeFiles::hookMark;
}

bool isOurs(const Document& hook) {
    return hook.is_object() && hook.contains("command") && hook["command"].is_string() &&
           hook["command"].get<std::string>().ends_with(ClaudeFiles::hookMark);
}

// The event's groups without our hooks (a group left empty goes), then one group of ours.
// False when the event's value has a shape this tool does not know.
bool replaceOurHooks(Document& groups, const std::string& event) {
    if (groups.is_null())
        groups = Document::array();
    if (!groups.is_array())
        return false;
    Document kept = Document::array();
    for (auto& group : groups) {
        if (!group.is_object() || !group.contains("hooks") || !group["hooks"].is_array()) {
            kept.push_back(std::move(group));
            continue;
        }
        Document hooks = Document::array();
        bool dropped = false;
        for (auto& hook : group["hooks"]) {
            if (isOurs(hook))
                dropped = true;
            else
                hooks.push_back(std::move(hook));
        }
        if (dropped && hooks.empty())
            continue;
        group["hooks"] = std::move(hooks);
        kept.push_back(std::move(group));
    }
    kept.push_back(
        {{"matcher", ""},
         {"hooks", Document::array({{{"type", "command"}, {"command", hookCommand(event)}}})}});
    groups = std::move(kept);
    return true;
}

} // namespace

int installHooks(const std::vector<std::string>& arguments, std::ostream& output,
                 std::ostream& errors) {
    std::filesystem::path settings = Foundation::homeDirectory() / ".claude" / "settings.json";
    if (arguments.size() == 2 && arguments[0] == "--env") {
        const auto environment = findEnvironment(arguments[1]);
        if (!environment) {
            errors << "sample bridge: no environment is named “" << arguments[1] << "”\n";
            return 1;
        }
        settings = environment->configDir / "settings.json";
    } else if (!arguments.empty()) {
        errors << "usage: install-hooks [--env <name>]\n";
        return 1;
    }

    const std::string shown = ClaudeFiles::shown(settings);
    auto read = ClaudeFiles::readObject(settings);
    if (!read.document) {
        errors << "sample bridge: " << shown << " isn't valid JSON; it was left as it is\n";
        return 1;
    }
    Document& document = *read.document;
    if (document.contains("hooks") && !document["hooks"].is_object()) {
        errors << "sample bridge: the hooks in " << shown
               << " have a shape it doesn't know; it was left as it is\n";
        return 1;
    }
    for (const char* event : ClaudeFiles::hookEvents) {
        if (!replaceOurHooks(document["hooks"][event], event)) {
            errors << "sample bridge: the " << event << " hooks in " << shown
                   << " have a shape it doesn't know; it was left as it is\n";
            return 1;
        }
    }

    std::string error;
    if (read.existed) {
        const auto original = Foundation::readFile(settings, ClaudeFiles::fileLimit);
        auto backup = settings;
        backup += ".kestrelhaven-backup";
        if (!original || !Foundation::writeFileAtomically(backup, *original, 0600, &error)) {
            errors << "sample bridge: couldn't back up " << shown << ": " << error << "\n";
            return 1;
        }
    }
    if (!ClaudeFiles::writeObject(settings, document, error)) {
        errors << "sample bridge: " << error << "\n";
        return 1;
    }
    output << "Added Kestrelhaven's hooks for " << ClaudeFiles::hookEvents.size() << " events to "
           << shown << (read.existed ? " (a backup is beside it)." : ".") << "\n";
    return 0;
}

} // namespace SampleBridge
