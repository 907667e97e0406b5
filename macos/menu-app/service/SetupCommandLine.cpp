#include "service/SetupCommandLine.h"

#include "menubar/LocalHTTP.h"
#include "relay/DossierShares.h"
#include "relay/RelayStatus.h"
#include "relay/ShareExtension.h"
#include "service/BackgroundService.h"
#include "service/Bundled.h"
#include "service/DeveloperAgent.h"
#include "uninstall/FileRemovals.h"
#include "uninstall/Uninstaller.h"

#include <Dispatch/Clock.h>
#include <Dispatch/RunLoop.h>
#include <Foundation/Printable.h>
#include <Foundation/TextPieces.h>
#include <Foundation/Unicode.h>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <share-core/DossierOutbox.h>
#include <share-core/DossierShareQueue.h>
#include <unordered_map>

namespace SetupCommandLine {

namespace {

using Arguments = std::vector<std::string>;

std::optional<std::string> second(const Arguments& arguments) {
    if (arguments.size() < 2)
        return std::nullopt;
    return arguments[1];
}

// Flags count wherever they stand.
bool holds(const Arguments& arguments, std::string_view flag) {
    return std::find(arguments.begin(), arguments.end(), flag) != arguments.end();
}

bool always(const Arguments&) {
    return true;
}

// The snapshot switches are a test build's, and need their folder.
bool snapshots(const Arguments& arguments) {
    return second(arguments) && Bundled::isTestBuild();
}

// The name after the first "--container", when one follows it.
std::optional<std::string> container(const Arguments& arguments) {
    const auto flag = std::find(arguments.begin() + 1, arguments.end(), "--container");
    if (flag == arguments.end() || flag + 1 == arguments.end())
        return std::nullopt;
    return *(flag + 1);
}

struct Row {
    std::string_view name;
    // Whether the row takes the arguments after its name; otherwise the application starts.
    bool (*takes)(const Arguments&);
    int (*run)(const Arguments&);
};

constexpr Row table[] = {
    {"--setup-check", always,
     [](const Arguments&) {
         check();
         return 0;
     }},
    {"--service", always,
     [](const Arguments& arguments) { return service(second(arguments).value_or("status")); }},
    {"--hooks", [](const Arguments& arguments) { return second(arguments) == "install"; },
     [](const Arguments&) { return installHooks(); }},
    {"--uninstall", always,
     [](const Arguments& arguments) {
         return uninstall(holds(arguments, "--delete-data"), holds(arguments, "--yes"));
     }},
    {"--dossier-outbox", always,
     [](const Arguments& arguments) { return dossierOutbox(outboxWait(second(arguments))); }},
    {"--share-menu", always,
     [](const Arguments& arguments) { return shareMenu(second(arguments).value_or("status")); }},
    {"--snapshot-share", snapshots,
     [](const Arguments& arguments) { return snapshotShare(*second(arguments)); }},
    {"--snapshot", snapshots,
     [](const Arguments& arguments) { return snapshot(*second(arguments), container(arguments)); }},
};

// Ends the process once what the command wrote is out, leaving the statics that background
// threads still use alone.
[[noreturn]] void end(int status) {
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    std::_Exit(status);
}

// Lines may carry texts from outside (paths, tool messages, the bridge's words): none of their
// controls reaches the terminal.
void say(std::string_view line) {
    std::cout << Foundation::printableLines(line) << '\n';
}

// One "  - " line for each text.
std::string listed(const std::vector<std::string>& texts) {
    std::vector<std::string> lines;
    for (const std::string& text : texts)
        lines.push_back("  - " + Foundation::printable(text));
    return Foundation::joined(lines, "\n");
}

std::string serviceLine() {
    return BackgroundService::label() + ": " + BackgroundService::word(BackgroundService::status());
}

std::string answering() {
    return "bridge answering on " + LocalHTTP::socketPath();
}

std::string shareWord(ShareExtension::State state) {
    switch (state) {
    case ShareExtension::State::on:
        return "in the Share menu";
    case ShareExtension::State::off:
        return "not in the Share menu";
    case ShareExtension::State::notRegistered:
        break;
    }
    return "not registered";
}

// The first thing a look at the outbox could not read, and how many more there were.
std::string unread(const std::vector<DossierOutbox::Unread>& failures) {
    const DossierOutbox::Unread& first = failures.front();
    std::string text = Foundation::printable(first.name) + ": " + first.error.message();
    if (const std::size_t more = failures.size() - 1)
        text += " (and " + std::to_string(more) + (more == 1 ? " more file)" : " more files)");
    return text;
}

} // namespace

void runIfAsked(const std::vector<std::string>& arguments) {
    if (arguments.empty())
        return;
    for (const Row& row : table)
        if (arguments.front() == row.name && row.takes(arguments))
            end(row.run(arguments));
}

int service(const std::string& action) {
    if (action == "status") {
        say(serviceLine());
        return 0;
    }
    if (action == "register" || action == "unregister") {
        const auto failure = action == "register" ? BackgroundService::registerService()
                                                  : BackgroundService::unregister();
        if (failure)
            say(action + " failed: " + failure->description);
        say(serviceLine());
        return failure ? 1 : 0;
    }
    if (action == "switch") {
        // A service already on whose bridge answers is what a switch would bring about; turning
        // it on again would take that bridge for another one and fail.
        if (BackgroundService::status() == BackgroundService::Status::enabled &&
            BackgroundService::waitForBridge(true, 0)) {
            say(serviceLine());
            say(answering());
            return 0;
        }
        const auto outcome =
            BackgroundService::turnOn(DeveloperAgent::present(), [](const std::string& progress) {
                say(progress);
                std::cout.flush();
            });
        say(serviceLine());
        switch (outcome.kind) {
        case BackgroundService::Outcome::Kind::running:
            say(answering());
            return 0;
        case BackgroundService::Outcome::Kind::needsApproval:
            say("turn it on in System Settings › General › Login Items");
            return 1;
        case BackgroundService::Outcome::Kind::failed:
            break;
        }
        say(outcome.sentence);
        return 1;
    }
    std::cerr << "usage: --service status|register|unregister|switch\n";
    return 2;
}

int installHooks() {
    const Run::Result result = Bundled::cli({"install-hooks"}, 20);
    std::cout << Foundation::printableLines(result.output);
    std::cout.flush();
    std::cerr << Foundation::printableLines(result.error);
    return result.status == 0 ? 0 : 1;
}

int uninstall(bool deleteData, bool confirmed) {
    if (!confirmed) {
        const std::vector<std::string> plan = Uninstaller::plan();
        say(plan.empty() ? "Nothing of Kestrelhaven's to remove."
                         : "Would remove:\n" + listed(plan));
        if (deleteData)
            say("  - " + Foundation::printable(Uninstaller::dataFolder().string()) +
                ", to the Trash");
        say("Run again with --yes to do it.");
        return 0;
    }
    bool failed = false;
    for (const UninstallStep& step : Uninstaller::run(deleteData)) {
        say(column(UninstallStep::word(step.status), 9) + "  " + Foundation::printable(step.title) +
            ": " + Foundation::printable(step.detail));
        failed = failed || step.status == UninstallStep::Status::failed;
    }
    say("\nStill to do by hand:\n" + listed(Uninstaller::manualSteps));
    say("Log: " + Uninstaller::logFile().string());
    return failed ? 1 : 0;
}

int dossierOutbox(double seconds) {
    // Answers come from the relay's queue as they happen; each should show at once.
    std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
    DossierShares& relay = DossierShares::shared();
    if (!relay.group() || !relay.outbox()) {
        say("no App Group container (KHAppGroup " + relay.group().value_or("missing") +
            "): this build can't take shares");
        return 1;
    }
    std::error_code refused;
    relay.role = OutboxRelayer::command;
    if (!relay.holdOutbox(&refused)) {
        say(refused == std::errc::operation_would_block
                ? RelayStatus::holder(*relay.outbox()) + ": nothing drained here"
                : "the outbox couldn't be locked: " + refused.message());
        return 1;
    }
    say("outbox: " + *relay.group() + ", bridge " + LocalHTTP::socketPath());
    relay.printAnswers = true;
    relay.start();
    // An infinite deadline never passes: the drain then runs until the process is ended.
    const double deadline = Dispatch::Clock::now() + seconds;
    for (double now = Dispatch::Clock::now(); now < deadline; now = Dispatch::Clock::now())
        Dispatch::RunLoop::main().runFor(std::min(0.1, deadline - now));
    // The outbox itself tells what waits: a relay held up by a silent bridge may not have
    // listed its shares yet.
    const DossierOutbox::Listing listing = relay.outbox()->listing();
    if (!listing.items.empty()) {
        std::unordered_map<std::string_view, std::string_view> lines;
        for (const DossierShares::Row& row : relay.rows())
            lines.emplace(row.ref, row.line);
        std::vector<std::string> waiting;
        for (const DossierOutboxItem& share : listing.items) {
            const auto row = lines.find(share.ref);
            // An unlisted share has no send state yet, and the relay has not seen the bridge
            // answer.
            const std::string line = row != lines.end()
                                         ? std::string(row->second)
                                         : DossierShareQueue().line(share.ref, false);
            waiting.push_back(share.ref + " (" + Foundation::printable(line) + ")");
        }
        say("waiting: " + Foundation::joined(waiting, ", "));
    }
    if (!listing.unread.empty()) {
        say("the outbox couldn't be read: " + unread(listing.unread));
        return 1;
    }
    if (listing.items.empty())
        say("outbox empty");
    return 0;
}

int shareMenu(const std::string& action) {
    const auto identifier = ShareExtension::identifier();
    if (!identifier) {
        say("this build has no Share menu extension");
        return 1;
    }
    if (action == "on" || action == "off") {
        if (!ShareExtension::set(action == "on")) {
            say("pluginkit refused");
            return 1;
        }
    } else if (action == "register") {
        ShareExtension::registerBundle();
    } else if (action != "status") {
        std::cerr << "usage: --share-menu status|on|off|register\n";
        return 2;
    }
    say(*identifier + ": " + shareWord(ShareExtension::state()));
    return 0;
}

double outboxWait(const std::optional<std::string>& argument) {
    constexpr double shortest = 3;
    // Read as the platform reads a number from text: the whole text, no leading space.
    if (!argument || argument->empty() ||
        std::isspace(static_cast<unsigned char>(argument->front())))
        return shortest;
    char* end = nullptr;
    const double seconds = std::strtod(argument->c_str(), &end);
    if (end != argument->c_str() + argument->size() || std::isnan(seconds))
        return shortest;
    return std::max(shortest, seconds);
}

std::string column(std::string_view text, std::size_t width) {
    std::string cell = Foundation::Unicode::characterPrefix(text, width);
    cell.append(width - std::min(width, Foundation::Unicode::characterCount(cell)), ' ');
    return cell;
}

} // namespace SetupCommandLine
