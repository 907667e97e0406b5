#include "sample-bridge/Routes.h"

#include "sample-bridge/Environments.h"
#include "sample-bridge/Removals.h"

#include <optional>

namespace SampleBridge {

Reply message(int status, std::string_view text) {
    return jsonReply(status, {{"ok", false}, {"msg", text}});
}

Reply badRequest() {
    return message(400, "Bad request");
}

std::optional<JSON> objectBody(const Request& request) {
    JSON body = JSON::parse(request.body, nullptr, false);
    if (!body.is_object())
        return std::nullopt;
    return body;
}

std::optional<std::string> textField(const JSON& body, const char* key) {
    const auto found = body.find(key);
    if (found == body.end() || !found->is_string())
        return std::nullopt;
    return found->get<std::string>();
}

namespace {

Reply outcomeReply(const Outcome& outcome) {
    if (outcome.kind == Outcome::Kind::Unknown)
        return message(404, outcome.message);
    return jsonReply(200, {{"ok", outcome.kind == Outcome::Kind::Done}, {"msg", outcome.message}});
}

Reply resume(State& state, const Request& request) {
    const auto body = objectBody(request);
    if (!body)
        return badRequest();
    const auto sessionId = textField(*body, "session_id");
    const auto mode = textField(*body, "mode");
    if (!sessionId || (mode != "background" && mode != "terminal"))
        return badRequest();
    return outcomeReply(state.resume(*sessionId, mode == "terminal" ? ResumeMode::Terminal
                                                                    : ResumeMode::Background));
}

Reply sleep(State& state, const Request& request) {
    const auto body = objectBody(request);
    const auto sessionId = body ? textField(*body, "session_id") : std::nullopt;
    if (!sessionId)
        return badRequest();
    return outcomeReply(state.sleep(*sessionId));
}

Reply pin(State& state, const Request& request) {
    const auto body = objectBody(request);
    if (!body)
        return badRequest();
    const auto sessionId = textField(*body, "session_id");
    const auto pinned = body->find("pinned");
    if (!sessionId || pinned == body->end() || !pinned->is_boolean())
        return badRequest();
    return outcomeReply(state.pin(*sessionId, pinned->get<bool>()));
}

Reply arm(State& state, const Request& request) {
    // Clients send no body; an empty one or any object will do.
    if (!request.body.empty() && !objectBody(request))
        return badRequest();
    const Arming arming = state.arm();
    if (!arming.offer)
        return jsonReply(409, {{"message", arming.failure}});
    return jsonReply(200, *arming.offer);
}

struct Route {
    std::string_view path;
    std::string_view method;
    Reply (*handle)(State&, const Request&);
};

constexpr Route routes[] = {
    {"/healthz", "GET",
     [](State& state, const Request&) { return jsonReply(200, state.health()); }},
    {"/devices", "GET",
     [](State& state, const Request&) { return jsonReply(200, state.devices()); }},
    {"/conversations", "GET",
     [](State& state, const Request&) { return jsonReply(200, state.conversations()); }},
    {"/conversations/resume", "POST", resume},
    {"/conversations/sleep", "POST", sleep},
    {"/conversations/pin", "POST", pin},
    {"/pair/arm", "POST", arm},
    {"/pair/status", "GET",
     [](State& state, const Request&) { return jsonReply(200, state.pairStatus()); }},
    {"/environments", "GET",
     [](State& state, const Request&) {
         return jsonReply(200, environmentsReply(state.time() * 1000));
     }},
    {"/environments", "POST", removeEnvironment},
    {"/devices/forget", "POST", forgetDevice},
    {"/settings", "GET",
     [](State& state, const Request& request) { return state.settings().answer(request); }},
    {"/settings", "POST",
     [](State& state, const Request& request) { return state.settings().answer(request); }},
    {"/dossier", "GET",
     [](State& state, const Request& request) { return state.dossier().answer(request); }},
    {"/dossier", "POST",
     [](State& state, const Request& request) { return state.dossier().answer(request); }},
};

} // namespace

Reply jsonReply(int status, const JSON& body) {
    return Reply::json(status, body.dump(-1, ' ', false, JSON::error_handler_t::replace));
}

Reply answer(State& state, const Request& request) {
    bool knownPath = false;
    for (const Route& route : routes) {
        if (route.path != request.route())
            continue;
        if (route.method == request.method)
            return route.handle(state, request);
        knownPath = true;
    }
    return knownPath ? message(405, "Method not allowed") : message(404, "Not found");
}

} // namespace SampleBridge
