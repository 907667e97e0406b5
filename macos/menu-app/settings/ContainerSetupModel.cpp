#include "settings/ContainerSetupModel.h"

#include "menubar/LocalHTTP.h"
#include "service/Bundled.h"

#include <AppKit/Pasteboard.h>
#include <Foundation/SystemTime.h>

ContainerSetupModel::ContainerSetupModel()
    : m_work(Dispatch::DispatchQueue::serial("kestrelhaven.container")) {}

ContainerSetupModel::~ContainerSetupModel() {
    m_timer.invalidate();
}

std::shared_ptr<ContainerSetupModel> ContainerSetupModel::self() {
    return std::static_pointer_cast<ContainerSetupModel>(shared_from_this());
}

void ContainerSetupModel::beginRound() {
    m_timer.invalidate();
    m_timer = {};
    ++m_round;
    m_pollAllowed = true;
}

void ContainerSetupModel::reset() {
    beginRound();
    label = "Docker";
    phase = Phase::naming();
    connection = Connection::waiting();
    copied = std::nullopt;
}

void ContainerSetupModel::add() {
    // The window offers Add only then; this keeps any other caller from handing the tool an
    // option.
    if (!labelIsValid())
        return;
    const std::string trimmed = trimmedLabel(*label);
    beginRound();
    phase = Phase::working();
    m_since = Foundation::SystemTime::now() * 1000;
    runTool({"env", "add", slug(trimmed), trimmed, "--container", "--json"});
}

void ContainerSetupModel::show(const std::string& name) {
    beginRound();
    phase = Phase::working();
    connection = Connection::waiting();
    m_since = Foundation::SystemTime::now() * 1000;
    runTool({"env", "snippet", name, "--json"});
}

void ContainerSetupModel::runTool(std::vector<std::string> arguments) {
    m_work.async([self = self(), round = m_round, arguments = std::move(arguments)] {
        Phase parsed = parse(Bundled::cli(arguments, toolTimeout));
        Dispatch::DispatchQueue::main().async([self, round, parsed = std::move(parsed)] {
            if (round != self->m_round)
                return;
            const bool showing = parsed.kind == Phase::Kind::showing;
            self->phase = parsed;
            if (showing && self->m_pollAllowed)
                self->poll();
        });
    });
}

void ContainerSetupModel::poll() {
    m_timer.invalidate();
    m_timer = Dispatch::RunLoop::main().schedule(
        pollInterval, true, [weak = std::weak_ptr<ContainerSetupModel>(self())] {
            if (const auto model = weak.lock())
                model->check();
        });
}

void ContainerSetupModel::check() {
    // A bridge that takes the request but never answers would otherwise gather a check a tick.
    if (phase->kind != Phase::Kind::showing || m_checking)
        return;
    m_checking = true;
    m_work.async([self = self(), round = m_round, name = phase->snippets->name, since = m_since] {
        const auto reply = LocalHTTP::send("GET", "/environments", std::nullopt, checkTimeout);
        const auto found =
            reply.body ? checkIn(*reply.body, name, since) : std::optional<Connection>();
        Dispatch::DispatchQueue::main().async([self, round, found] {
            self->m_checking = false;
            if (round != self->m_round || !found)
                return;
            self->connection = *found;
            if (found->kind == Connection::Kind::connected) {
                self->m_timer.invalidate();
                self->m_timer = {};
            }
        });
    });
}

void ContainerSetupModel::stopPolling() {
    m_timer.invalidate();
    m_timer = {};
    m_pollAllowed = false;
}

void ContainerSetupModel::copy(const std::string& text, std::string snippet) {
    auto& pasteboard = AppKit::Pasteboard::general();
    pasteboard.clearContents();
    pasteboard.setString(text);
    copied = std::move(snippet);
}
