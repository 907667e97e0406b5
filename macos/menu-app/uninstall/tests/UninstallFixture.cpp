#include "uninstall/tests/UninstallFixture.h"

#include "service/Bundled.h"
#include "service/Waiting.h"

#include <Dispatch/Clock.h>
#include <DossierShim.h>
#include <Foundation/Home.h>
#include <Testing/Testing.h>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <sample-bridge/BridgeProbe.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

void UninstallHome::SetUp() {
    WithBuiltBundle::SetUp();
    const fs::path launcher = Bundled::app() / "Contents" / "MacOS" / "KestrelhavenBridge";
    fs::remove(launcher);
    fs::copy_file(KH_BUILT_BUNDLE "/Contents/MacOS/KestrelhavenBridge", launcher);
    claudeRecord = home.parent_path() / "claude-runs.txt";
    fs::remove(claudeRecord);
    ::setenv("KH_CLAUDE_RECORD", claudeRecord.c_str(), 1);
    ::setenv("PATH", (std::string(KH_CLAUDE_STAND_IN) + ":/usr/bin:/bin").c_str(), 1);
    Foundation::setLoginShellSource([] { return std::optional<std::string>("/bin/false"); });
}

void UninstallHome::TearDown() {
    for (const Launchd::Instance& started : bridges)
        Launchd::stop(started, 0.5);
    Foundation::setLoginShellSource({});
    ::unsetenv("KH_CLAUDE_KEEPS");
    WithBuiltBundle::TearDown();
}

Foundation::PropertyList::Dictionary UninstallHome::info() const {
    return {
        {"KHAppGroup", std::string(appGroup)},
        {"KHDeveloperAgentLabels", Foundation::PropertyList::Array{std::string(developerLabel)}}};
}

void UninstallHome::quickWaits() {
    Waiting::setPause([](double seconds) {
        Dispatch::Clock::advance(seconds);
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    });
}

Launchd::Instance UninstallHome::startBridge(bool ignoresTerminate) {
    std::vector<std::string> environment{"HOME=" + home.string()};
    if (ignoresTerminate)
        environment.push_back("KH_SAMPLE_BRIDGE_IGNORE_TERM=1");
    const fs::path daemon = Bundled::app() / "Contents/Resources/bridge/dist/daemon.js";
    Foundation::Error error;
    const auto started = Launchd::start(
        {Bundled::node().string(), "--disable-sigusr1", daemon.string()}, environment, &error);
    if (!started)
        throw std::runtime_error(error.description);
    bridges.push_back(*started);
    // Serving means its signal handling is in place. Its socket file appears before it serves,
    // so only an answer tells.
    const fs::path socket = home / ".kestrelhaven" / "bridge.sock";
    for (int i = 0; i < 500 && !SampleBridge::probe(socket, "/healthz", 1); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return *started;
}

namespace {

// The stand-in's record, one run a line; a `--version` run is Claude Code being looked for.
std::vector<std::string> recordedRuns(const fs::path& record) {
    std::vector<std::string> runs;
    std::istringstream lines(Testing::readText(record));
    for (std::string line; std::getline(lines, line);)
        runs.push_back(line);
    return runs;
}

bool isLookup(const std::string& run) {
    return run.ends_with(" --version");
}

} // namespace

std::vector<std::string> UninstallHome::claudeRuns() const {
    std::vector<std::string> runs = recordedRuns(claudeRecord);
    std::erase_if(runs, isLookup);
    return runs;
}

long UninstallHome::claudeLookups() const {
    return std::ranges::count_if(recordedRuns(claudeRecord), isLookup);
}

void UninstallHome::withoutClaude() {
    ::setenv("PATH", "/usr/bin:/bin", 1);
}

std::string UninstallHome::settingsWithHooks(int ours, int port) {
    static constexpr const char* events[] = {"SessionStart", "Stop", "Notification"};
    std::string text = "{\n  \"model\": \"opus\",\n  \"hooks\": {\n";
    for (int i = 0; i < 3; ++i) {
        text += std::string(i ? ",\n" : "") + "    \"" + events[i] + "\": [{\"hooks\": [";
        if (i < ours && i == 1)
            text += "{\"type\": \"http\", \"url\": \"http://127.0.0.1:" + std::to_string(port) +
                    "/hook/stop\"}, ";
        else if (i < ours)
            text += "{\"type\": \"command\", \"command\": \"node hook.js # kestrelhaven-hook\"}, ";
        text += "{\"type\": \"command\", \"command\": \"echo mine\"}]}]";
    }
    return text + "\n  }\n}\n";
}

std::string UninstallHome::userFileWithServers(const std::vector<std::string>& ours) {
    std::string text = "{\n  \"numStartups\": 3,\n  \"mcpServers\": {\n";
    for (const std::string& name : ours)
        text += "    \"" + name + "\": {\"command\": \"node\", \"args\": [\"/opt/k/" +
                (name == "kestrelhaven-speak" ? "mcp-speak.js" : "channel-plugin.js") + "\"]},\n";
    return text + "    \"notes\": {\"command\": \"notes-server\"}\n  }\n}\n";
}

void UninstallHome::writeDossierShim() const {
    const fs::path shim = home / ".local" / "bin" / "dossier";
    Testing::writeText(shim, "#!/bin/sh\n" + std::string(DossierShim::mark) + "\nexec node x\n");
    fs::permissions(shim, fs::perms::owner_all);
}

void UninstallHome::leaveSocket(const fs::path& path) {
    fs::create_directories(path.parent_path());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    const int bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    ::close(fd);
    if (bound != 0)
        throw std::runtime_error("couldn't bind " + path.string());
}
