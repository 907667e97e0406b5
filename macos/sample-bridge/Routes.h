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

#include <optional>
#include <string>
#include <string_view>

namespace SampleBridge {

Reply answer(State& state, const Request& request);

// The reply with `body` written as compact JSON, text that is not UTF-8 replaced.
Reply jsonReply(int status, const JSON& body);
// A refusal: {"ok": false, "msg": text}.
Reply message(int status, std::string_view text);
// The 400 refusal of a body that is not what the path needs.
Reply badRequest();
// The request's body when it is a JSON object.
std::optional<JSON> objectBody(const Request& request);
// The text under `key` of an object.
std::optional<std::string> textField(const JSON& body, const char* key);

} // namespace SampleBridge
