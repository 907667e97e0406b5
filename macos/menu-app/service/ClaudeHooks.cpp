#include "service/ClaudeHooks.h"

#include "service/Bundled.h"

#include <Foundation/FileIO.h>
#include <JSONCoding/JSONCoding.h>

namespace ClaudeHooks {

namespace {

using JSONCoding::JSON;

// Claude Code's settings are small; a file far larger is read no further.
constexpr std::size_t settingsLimit = 16 * 1024 * 1024;

// The member as a list of objects; empty when it is missing, not a list, or holds anything else.
std::vector<const JSON*> objects(const JSON& parent, const char* key) {
    const auto member = parent.find(key);
    if (member == parent.end() || !member->is_array())
        return {};
    std::vector<const JSON*> found;
    for (const JSON& element : *member) {
        if (!element.is_object())
            return {};
        found.push_back(&element);
    }
    return found;
}

bool carriesOurHook(const JSON& hooks, const char* event) {
    for (const JSON* group : objects(hooks, event))
        for (const JSON* hook : objects(*group, "hooks")) {
            const auto command = hook->find("command");
            if (command != hook->end() && command->is_string() &&
                command->get_ref<const std::string&>().ends_with(marker))
                return true;
        }
    return false;
}

} // namespace

State state() {
    const auto bytes =
        Foundation::readFile(Bundled::home() / ".claude" / "settings.json", settingsLimit);
    if (!bytes)
        return State::absent();
    const auto settings = JSONCoding::parse(*bytes);
    if (!settings || !settings->is_object())
        return State::unreadable();
    const auto member = settings->find("hooks");
    const JSON hooks = member != settings->end() && member->is_object() ? *member : JSON::object();
    std::vector<std::string> missing;
    for (const char* event : events)
        if (!carriesOurHook(hooks, event))
            missing.emplace_back(event);
    if (missing.empty())
        return State::installed();
    if (missing.size() == events.size())
        return State::absent();
    return State::partial(std::move(missing));
}

} // namespace ClaudeHooks
