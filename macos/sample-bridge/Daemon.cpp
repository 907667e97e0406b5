#include "sample-bridge/Daemon.h"

#include "sample-bridge/Server.h"
#include "sample-bridge/Tool.h"

#include <Foundation/Home.h>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string_view>

namespace SampleBridge {

namespace {

bool ignoresTerminate() {
    const char* chosen = std::getenv("KH_SAMPLE_BRIDGE_IGNORE_TERM");
    return chosen && std::string_view(chosen) == "1";
}

int serveDaemon(std::ostream& errors) {
    // Blocked before the server's threads start, so that they inherit the mask and only the
    // wait below takes these signals.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    if (ignoresTerminate())
        std::signal(SIGTERM, SIG_IGN);
    else
        sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    State state = State::demo();
    PairingSettings pairing = state.pairing();
    pairing.simulatedPhone = true;
    state.setPairing(std::move(pairing));
    try {
        Server server(Foundation::homeDirectory() / ".kestrelhaven" / "bridge.sock",
                      std::move(state));
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

int runNode(const std::vector<std::string>& arguments, std::ostream& output, std::ostream& errors) {
    std::size_t next = 0;
    if (next < arguments.size() && arguments[next] == "--disable-sigusr1")
        ++next;
    const std::string script =
        next < arguments.size() ? std::filesystem::path(arguments[next]).filename().string() : "";
    if (script == "daemon.js" && next + 1 == arguments.size())
        return serveDaemon(errors);
    if (script == "cli.js")
        return runTool(std::vector<std::string>(arguments.begin() + static_cast<long>(next) + 1,
                                                arguments.end()),
                       output, errors);
    errors << "usage: node [--disable-sigusr1] <folder>/daemon.js | <folder>/cli.js VERB ...\n";
    return 2;
}

} // namespace SampleBridge
