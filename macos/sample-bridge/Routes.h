// The bridge's own answers: which path and method reach which part of the
// state, and the JSON replies that come back.
//
// Every answer is a JSON reply with a length. An unknown path gets 404, a
// known path asked with another method 405, and a POST whose body is not the
// JSON object the path needs 400.
#pragma once

#include "sample-bridge/Reply.h"
#include "sample-bridge/Request.h"
#include "sample-bridge/State.h"

namespace SampleBridge {

Reply answer(State& state, const Request& request);

// The reply with `body` written as compact JSON, text that is not UTF-8 replaced.
Reply jsonReply(int status, const JSON& body);

} // namespace SampleBridge
