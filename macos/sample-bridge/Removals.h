// The bridge's answers to forgetting a phone and removing an environment.
//
// POST "/devices/forget" {"device_id"} takes the phone out of the devices and
// answers {"ok"}: true when it was listed. POST "/environments" {"name",
// "remove": true} takes the environment out of the store: 200 {"ok", "msg"}
// when it was there, 404 with a "msg" when none has that name, 500 when the
// store cannot be read or written. A body of another shape gets 400.
#pragma once

#include "sample-bridge/Reply.h"
#include "sample-bridge/Request.h"
#include "sample-bridge/State.h"

namespace SampleBridge {

Reply forgetDevice(State& state, const Request& request);
Reply removeEnvironment(State& state, const Request& request);

} // namespace SampleBridge
