#include "ClaudeConfig.h"

#include <Foundation/Unicode.h>
#include <algorithm>
#include <array>

namespace ClaudeConfig {

namespace {

using Foundation::Unicode::canonicallyEquivalent;

constexpr std::array<std::string_view, 4> serverScripts = {"channel-plugin.js", "mcp-speak.js",
                                                           "channel-plugin.ts", "mcp-speak.ts"};

// The member `key` of `value` when `value` is an object that has it.
const JSON* member(const JSON& value, std::string_view key) {
    const JSONObject* object = value.asObject();
    return object ? object->find(key) : nullptr;
}

const std::string* stringMember(const JSON& value, std::string_view key) {
    const JSON* found = member(value, key);
    return found ? found->asString() : nullptr;
}

// The text after the last slash, trailing slashes ignored.
std::string_view lastPathComponent(std::string_view path) {
    const std::size_t end = path.find_last_not_of('/');
    if (end == std::string_view::npos)
        return {};
    path = path.substr(0, end + 1);
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool namesServerScript(std::string_view candidate) {
    const std::string_view name = lastPathComponent(candidate);
    return std::any_of(serverScripts.begin(), serverScripts.end(), [&](std::string_view script) {
        return canonicallyEquivalent(name, script);
    });
}

// Appends `group` to `kept` without the product's hooks; gives how many it dropped. A group
// left without hooks is dropped whole.
int keepForeignHooks(const JSON& group, std::int64_t port, JSON::Array& kept) {
    const JSON* hooksMember = member(group, "hooks");
    const JSON::Array* hooks = hooksMember ? hooksMember->asArray() : nullptr;
    if (!hooks) {
        kept.push_back(group);
        return 0;
    }
    JSON::Array foreign;
    std::copy_if(hooks->begin(), hooks->end(), std::back_inserter(foreign),
                 [&](const JSON& hook) { return !isOurs(hook, port); });
    const int dropped = static_cast<int>(hooks->size() - foreign.size());
    if (dropped == 0) {
        kept.push_back(group);
    } else if (!foreign.empty()) {
        JSONObject changed = *group.asObject();
        changed.set("hooks", JSON(std::move(foreign)));
        kept.push_back(JSON(std::move(changed)));
    }
    return dropped;
}

} // namespace

bool isOurs(const JSON& hook, std::int64_t port) {
    const std::string* type = stringMember(hook, "type");
    if (!type)
        return false;
    if (canonicallyEquivalent(*type, "command")) {
        const std::string* command = stringMember(hook, "command");
        return command && Foundation::Unicode::hasSuffix(*command, hookMark);
    }
    if (canonicallyEquivalent(*type, "http")) {
        const std::string* url = stringMember(hook, "url");
        return url && Foundation::Unicode::hasPrefix(
                          *url, "http://127.0.0.1:" + std::to_string(port) + "/hook");
    }
    return false;
}

int removeOurHooks(JSON& document, std::int64_t port) {
    JSONObject* top = document.asObject();
    const JSON* hooksMember = top ? top->find("hooks") : nullptr;
    const JSONObject* events = hooksMember ? hooksMember->asObject() : nullptr;
    if (!events || events->members().empty())
        return 0;
    int removed = 0;
    std::vector<JSONObject::Member> keptEvents;
    for (const JSONObject::Member& event : events->members()) {
        const JSON::Array* groups = event.value.asArray();
        if (!groups || groups->empty()) {
            keptEvents.push_back(event);
            continue;
        }
        JSON::Array keptGroups;
        int dropped = 0;
        for (const JSON& group : *groups)
            dropped += keepForeignHooks(group, port, keptGroups);
        removed += dropped;
        // An event is dropped only when taking out the product's hooks emptied it.
        if (dropped > 0 && keptGroups.empty())
            continue;
        keptEvents.push_back({event.key, JSON(std::move(keptGroups))});
    }
    if (removed == 0)
        return 0;
    top->set("hooks", JSON(JSONObject(std::move(keptEvents))));
    return removed;
}

bool isOurServer(const JSON& server) {
    if (!server.asObject())
        return false;
    if (const std::string* command = stringMember(server, "command");
        command && namesServerScript(*command))
        return true;
    const JSON* args = member(server, "args");
    const JSON::Array* elements = args ? args->asArray() : nullptr;
    return elements && std::any_of(elements->begin(), elements->end(), [](const JSON& element) {
               const std::string* text = element.asString();
               return text && namesServerScript(*text);
           });
}

std::vector<std::string> servers(const std::vector<std::string>& names, const JSON& document) {
    std::vector<std::string> found;
    const JSON* entries = member(document, "mcpServers");
    const JSONObject* object = entries ? entries->asObject() : nullptr;
    if (!object)
        return found;
    for (const std::string& name : names) {
        const JSON* entry = object->find(name);
        if (entry && isOurServer(*entry))
            found.push_back(name);
    }
    return found;
}

std::vector<std::string> removeServers(const std::vector<std::string>& names, JSON& document) {
    std::vector<std::string> found = servers(names, document);
    if (found.empty())
        return found;
    // `servers` found them, so "mcpServers" is an object.
    JSONObject* entries = document.asObject()->find("mcpServers")->asObject();
    for (const std::string& name : found)
        entries->remove(name);
    return found;
}

} // namespace ClaudeConfig
