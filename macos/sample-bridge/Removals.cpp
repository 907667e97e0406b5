#include "sample-bridge/Removals.h"

#include "sample-bridge/Environments.h"
#include "sample-bridge/Routes.h"

namespace SampleBridge {

namespace {

Reply refused(int status, const std::string& msg) {
    return jsonReply(status, {{"ok", false}, {"msg", msg}});
}

// The text under `key` of a JSON object body.
std::optional<std::string> text(const JSON& body, const char* key) {
    const auto found = body.is_object() ? body.find(key) : body.end();
    if (found == body.end() || !found->is_string())
        return std::nullopt;
    return found->get<std::string>();
}

} // namespace

Reply forgetDevice(State& state, const Request& request) {
    const auto deviceId = text(JSON::parse(request.body, nullptr, false), "device_id");
    if (!deviceId)
        return refused(400, "Bad request");
    return jsonReply(200, {{"ok", state.forgetDevice(*deviceId)}});
}

Reply removeEnvironment(State&, const Request& request) {
    const JSON body = JSON::parse(request.body, nullptr, false);
    const auto name = text(body, "name");
    if (!name || body.value("remove", JSON()) != true)
        return refused(400, "Bad request");
    if (!findEnvironment(*name))
        return refused(404, "No environment is named “" + *name + "”.");
    if (std::string error; !removeFromEnvironments(*name, error))
        return refused(500, "The sample bridge couldn't remove it: " + error + ".");
    return jsonReply(200, {{"ok", true}, {"msg", "Removed " + *name + "."}});
}

} // namespace SampleBridge
