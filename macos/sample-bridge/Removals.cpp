#include "sample-bridge/Removals.h"

#include "sample-bridge/Environments.h"
#include "sample-bridge/Routes.h"

namespace SampleBridge {

Reply forgetDevice(State& state, const Request& request) {
    const auto body = objectBody(request);
    const auto deviceId = body ? textField(*body, "device_id") : std::nullopt;
    if (!deviceId)
        return badRequest();
    return jsonReply(200, {{"ok", state.forgetDevice(*deviceId)}});
}

Reply removeEnvironment(State&, const Request& request) {
    const auto body = objectBody(request);
    const auto name = body ? textField(*body, "name") : std::nullopt;
    if (!name || body->value("remove", JSON()) != true)
        return badRequest();
    if (!findEnvironment(*name))
        return message(404, "No environment is named “" + *name + "”.");
    if (std::string error; !removeFromEnvironments(*name, error))
        return message(500, "The sample bridge couldn't remove it: " + error + ".");
    return jsonReply(200, {{"ok", true}, {"msg", "Removed " + *name + "."}});
}

} // namespace SampleBridge
