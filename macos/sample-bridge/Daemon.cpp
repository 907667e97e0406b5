#include "sample-bridge/Daemon.h"

#include "sample-bridge/CheckIns.h"
#include "sample-bridge/SavedState.h"
#include "sample-bridge/Server.h"
#include "sample-bridge/Tool.h"

#include <Foundation/FileIO.h>
#include <Foundation/Home.h>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace SampleBridge {

namespace {

// A container the demo adds, or whose setup it shows, checks in this many milliseconds later.
constexpr double containerCheckInAfter = 3000;

bool ignoresTerminate() {
    const char* chosen = std::getenv("KH_SAMPLE_BRIDGE_IGNORE_TERM");
    return chosen && std::string_view(chosen) == "1";
}

// Tells the menu why the bridge can't start, as the bridge does. The file is written in place, so
// that a data folder where no new file can be made still gets the reason when the file is there;
// never through a link, and never into anything but a regular file.
void writeStartError(const std::filesystem::path& file, const std::string& reason) {
    const int fd =
        ::open(file.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    struct stat status {};
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && ::ftruncate(fd, 0) == 0)
        Foundation::writeFully(fd, Foundation::dataFrom(reason + "\n"));
    ::close(fd);
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

    const std::filesystem::path dataFolder = Foundation::homeDirectory() / ".kestrelhaven";
    State state = State::demo();
    PairingSettings pairing = state.pairing();
    pairing.simulatedPhone = true;
    state.setPairing(std::move(pairing));
    SavedState saved(dataFolder / "sample-state.json");
    saved.restore(state, errors);
    if (std::string error; !CheckIns::plan(
            CheckIns::everyContainer,
            {.refusedAfter = std::nullopt, .checkedAfter = containerCheckInAfter}, error))
        errors << "sample bridge: " << error << "\n";
    try {
        Server server(dataFolder / "bridge.sock", std::move(state),
                      [&saved](State& answered) { return saved.save(answered); });
        errors << "sample bridge: serving at " << server.socketPath().string() << "\n";
        int signal = 0;
        while (sigwait(&stopSignals, &signal) != 0) {
        }
    } catch (const std::exception& error) {
        errors << error.what() << "\n";
        writeStartError(dataFolder / "start-error.txt", error.what());
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
