// "--setup-check": the installation report, one labelled line per thing looked at, then the
// bridge doctor's checks.
#include "menubar/LocalHTTP.h"
#include "relay/RelayStatus.h"
#include "service/BackgroundService.h"
#include "service/Bundled.h"
#include "service/ClaudeCode.h"
#include "service/ClaudeHooks.h"
#include "service/DeveloperAgent.h"
#include "service/DoctorReport.h"
#include "service/SetupCommandLine.h"
#include "settings/Updater.h"

#include <Foundation/Printable.h>
#include <Foundation/TextPieces.h>
#include <iostream>

namespace SetupCommandLine {

namespace {

constexpr std::size_t labelWidth = 15;
constexpr std::size_t statusWidth = 5;
constexpr double healthTimeout = 1.0;

// Values hold paths, versions and other texts from outside, each on its one line.
void report(std::string_view label, const std::string& value) {
    std::cout << column(label, labelWidth) << ": " << Foundation::printable(value) << '\n';
}

std::string hooksWord(const ClaudeHooks::State& state) {
    switch (state.kind) {
    case ClaudeHooks::State::Kind::installed:
        return "installed";
    case ClaudeHooks::State::Kind::absent:
        return "not installed";
    case ClaudeHooks::State::Kind::unreadable:
        return "settings.json unreadable";
    case ClaudeHooks::State::Kind::partial:
        break;
    }
    return "missing for " + Foundation::joined(state.missing, ", ");
}

std::string claudeLine(const std::optional<ClaudeCode>& claude) {
    if (!claude)
        return "not found";
    std::string line = claude->version.value_or("unknown version") + " at " + claude->path;
    if (claude->version && ClaudeCode::isTooOld(*claude->version))
        line += std::string(" — older than ") + ClaudeCode::minimumVersion;
    return line;
}

void doctor() {
    const auto found = DoctorReport::run();
    if (!found) {
        std::cout << '\n';
        report("doctor", "couldn't run the bundled bridge's doctor");
        return;
    }
    std::cout << "\ndoctor (" << (found->ok ? "everything works" : "something to do") << "):\n";
    for (const DoctorReport::Check& item : found->checks)
        std::cout << "  " << column(Foundation::printable(item.status), statusWidth) << ' '
                  << Foundation::printable(item.title) << ": " << Foundation::printable(item.detail)
                  << '\n';
}

} // namespace

void check() {
    report("app",
           Bundled::app().string() + (Bundled::needsMoving() ? " (move it to Applications)" : ""));
    report("bundled bridge", Bundled::present() ? "yes" : "no (dev build)");
    if (Bundled::isTestBuild())
        report("test build", "home " + Bundled::home().string());
    report("agent", BackgroundService::label() + " — " +
                        BackgroundService::word(BackgroundService::status()));
    const auto agents = DeveloperAgent::present();
    report("developer agent", agents.empty() ? "none" : Foundation::joined(agents, ", "));
    const bool answering =
        LocalHTTP::send("GET", "/healthz", std::nullopt, healthTimeout).status == 200;
    report("bridge", std::string(answering ? "answering" : "not answering") + " on " +
                         LocalHTTP::socketPath());
    report("hooks", hooksWord(ClaudeHooks::state()) + " (" +
                        (Bundled::home() / ".claude" / "settings.json").string() + ")");
    report("claude", claudeLine(ClaudeCode::find()));
    report("updates",
           Updater::configured() ? "Sparkle on" : "off (no feed or EdDSA key in this build)");
    report("share relay", RelayStatus::line());
    doctor();
}

} // namespace SetupCommandLine
