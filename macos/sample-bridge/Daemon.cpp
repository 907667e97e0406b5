#include "sample-bridge/Daemon.h"

#include "sample-bridge/Server.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <pwd.h>
#include <unistd.h>

namespace SampleBridge {

namespace {

std::optional<std::filesystem::path> homeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir && *entry->pw_dir)
        return entry->pw_dir;
    return std::nullopt;
}

int serveDaemon(std::ostream& errors) {
    const auto home = homeFolder();
    if (!home) {
        errors << "sample bridge: no home folder\n";
        return 1;
    }
    // Blocked before the server's threads start, so that they inherit the mask and only the
    // wait below takes these signals.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    State state = State::demo();
    PairingSettings pairing = state.pairing();
    pairing.simulatedPhone = true;
    state.setPairing(std::move(pairing));
    try {
        Server server(*home / ".kestrelhaven" / "bridge.sock", std::move(state));
        errors << "sample bridge: serving at " << server.socketPath().string() << "\n";
        int signal = 0;
        while (sigwait(&stopSignals, &signal) != 0) {
        }
    } catch (const std::exception& error) {
        errors << error.what() << "\n";
        return 1;
    }
    return 0;
}

} // namespace

int runNode(const std::vector<std::string>& arguments, std::ostream& errors) {
    std::size_t next = 0;
    if (next < arguments.size() && arguments[next] == "--disable-sigusr1")
        ++next;
    const std::string script =
        next < arguments.size() ? std::filesystem::path(arguments[next]).filename().string() : "";
    if (script == "daemon.js" && next + 1 == arguments.size())
        return serveDaemon(errors);
    if (script == "cli.js") {
        errors << "sample bridge: unknown command\n";
        return 1;
    }
    errors << "usage: node [--disable-sigusr1] <folder>/daemon.js | <folder>/cli.js VERB ...\n";
    return 2;
}

} // namespace SampleBridge
