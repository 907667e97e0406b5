#include "RawClient.h"

#include <Foundation/SystemTime.h>
#include <Testing/Testing.h>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sample-bridge/Daemon.h>
#include <sample-bridge/Server.h>
#include <sample-bridge/Settings.h>
#include <spawn.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

namespace {

// Runs the program in `home` the way the launcher would; the pid of the child.
pid_t startDaemon(const std::filesystem::path& home) {
    const std::string program = SAMPLE_BRIDGE_NODE;
    const std::string homeEntry = "HOME=" + home.string();
    const std::string script =
        "/Applications/Kestrelhaven.app/Contents/Resources/bridge/dist/daemon.js";
    const std::string logs = (home / "daemon.log").string();
    std::vector<char*> arguments{const_cast<char*>(program.c_str()),
                                 const_cast<char*>("--disable-sigusr1"),
                                 const_cast<char*>(script.c_str()), nullptr};
    std::vector<char*> environment{const_cast<char*>(homeEntry.c_str()), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, logs.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    const int failed =
        posix_spawn(&pid, program.c_str(), &actions, nullptr, arguments.data(), environment.data());
    posix_spawn_file_actions_destroy(&actions);
    return failed ? -1 : pid;
}

// Waits, polling briefly, for `ready`; false after five seconds.
template <class Predicate> bool eventually(Predicate ready) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!ready()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// The daemon running in a home of its own for as long as this lives; ended with a kill when a
// test did not stop it.
class Daemon {
public:
    explicit Daemon(const std::filesystem::path& home)
        : m_socket(home / ".kestrelhaven" / "bridge.sock"), m_pid(startDaemon(home)) {}
    ~Daemon() {
        if (m_pid > 0 && ::kill(m_pid, SIGKILL) == 0)
            ::waitpid(m_pid, nullptr, 0);
    }
    Daemon(const Daemon&) = delete;
    Daemon& operator=(const Daemon&) = delete;

    bool serving() const {
        return m_pid > 0 && eventually([&] { return RawClient::Connection(m_socket).connected(); });
    }
    const std::filesystem::path& socket() const { return m_socket; }
    // Ends it as the service does; false when it did not end by itself in time.
    bool stop() {
        int exit = -1;
        if (::kill(m_pid, SIGTERM) != 0 ||
            !eventually([&] { return ::waitpid(m_pid, &exit, WNOHANG) == m_pid; }))
            return false;
        m_pid = -1;
        return true;
    }

private:
    std::filesystem::path m_socket;
    pid_t m_pid;
};

int runNode(const std::vector<std::string>& arguments, std::string* errors = nullptr) {
    std::ostringstream output, stream;
    const int status = SampleBridge::runNode(arguments, output, stream);
    if (errors)
        *errors = stream.str();
    return status;
}

} // namespace

TEST(SampleBridgeDaemon, ServesTheDemoUnderHomeUntilTerminatedOrInterrupted) {
    for (const int signal : {SIGTERM, SIGINT}) {
        Testing::TemporaryFolder home;
        const auto socket = home.path() / ".kestrelhaven" / "bridge.sock";
        const pid_t pid = startDaemon(home.path());
        ASSERT_GT(pid, 0);
        EXPECT_TRUE(eventually([&] { return RawClient::Connection(socket).connected(); }))
            << Testing::readText(home.path() / "daemon.log");

        const auto health = RawClient::get(socket, "/healthz");
        EXPECT_EQ(health.status, 200);
        EXPECT_EQ(health.json()["device"], true);
        struct stat status {};
        ASSERT_EQ(::stat(socket.parent_path().c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 0777, 0700u);

        ASSERT_EQ(::kill(pid, signal), 0);
        int exit = -1;
        EXPECT_TRUE(eventually([&] { return ::waitpid(pid, &exit, WNOHANG) == pid; }));
        EXPECT_TRUE(WIFEXITED(exit));
        EXPECT_EQ(WEXITSTATUS(exit), 0);
        EXPECT_FALSE(std::filesystem::exists(socket));
    }
}

TEST(SampleBridgeDaemon, ABridgeThatCannotStartLeavesTheReasonForTheMenu) {
    Testing::TemporaryFolder home;
    const auto socket = home.path() / ".kestrelhaven" / "bridge.sock";
    const SampleBridge::Server running(socket);
    const pid_t pid = startDaemon(home.path());
    ASSERT_GT(pid, 0);
    int exit = -1;
    ASSERT_TRUE(eventually([&] { return ::waitpid(pid, &exit, WNOHANG) == pid; }));
    EXPECT_EQ(WEXITSTATUS(exit), 1);
    EXPECT_EQ(Testing::readText(home.path() / ".kestrelhaven" / "start-error.txt"),
              "sample bridge: another server is listening at " + socket.string() +
                  ": Address already in use\n");
}

TEST(SampleBridgeDaemon, TheCommandLineToolRefusesVerbsItDoesNotKnow) {
    std::string errors;
    EXPECT_EQ(runNode({"--disable-sigusr1", "/bundle/dist/cli.js", "frobnicate"}, &errors), 1);
    EXPECT_EQ(errors, "sample bridge: unknown command\n");
    EXPECT_EQ(runNode({"cli.js"}), 1);
}

TEST(SampleBridgeDaemon, AnyOtherUseGetsTheUsageLine) {
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {},
             {"--disable-sigusr1"},
             {"/dist/server.js"},
             {"--inspect", "/dist/daemon.js"},
             {"/dist/daemon.js", "extra"},
             {"/dist/daemon.jsx"},
         }) {
        std::string errors;
        EXPECT_EQ(runNode(arguments, &errors), 2);
        EXPECT_TRUE(errors.starts_with("usage: ")) << errors;
    }
}

TEST(SampleBridgeDaemon, AKeptStateThatDoesNotReadIsSetAsideUnderAFreeNameAndTheDemoBeginsAgain) {
    Testing::TemporaryFolder home;
    const auto kept = home.path() / ".kestrelhaven" / "sample-state.json";
    const std::string change = R"({"key":"voiceLevel","value":"all"})";
    std::filesystem::create_directories(kept.parent_path());
    Testing::writeText(kept, "{ not JSON");
    {
        Daemon daemon(home.path());
        ASSERT_TRUE(daemon.serving());
        EXPECT_EQ(RawClient::get(daemon.socket(), "/settings").json()["values"],
                  SampleBridge::Settings::defaults());
        EXPECT_EQ(RawClient::get(daemon.socket(), "/devices").json()["devices"][0]["device_id"],
                  "Ada's iPhone");
        EXPECT_EQ(Testing::readText(kept.string() + ".unreadable"), "{ not JSON");
        EXPECT_EQ(RawClient::post(daemon.socket(), "/settings", change).status, 200);
        EXPECT_TRUE(daemon.stop());
    }
    EXPECT_EQ(nlohmann::json::parse(Testing::readText(kept))["settings"]["voiceLevel"], "all");

    // Unreadable again, with the first one still beside it: it goes beside that, and what
    // changes then outlives a restart.
    const std::string again = R"({"settings": [], "devices": []})";
    Testing::writeText(kept, again);
    {
        Daemon daemon(home.path());
        ASSERT_TRUE(daemon.serving());
        EXPECT_EQ(
            RawClient::post(daemon.socket(), "/settings", R"({"key":"voiceLevel","value":"off"})")
                .status,
            200);
        EXPECT_TRUE(daemon.stop());
    }
    EXPECT_EQ(Testing::readText(kept.string() + ".unreadable-2"), again);
    Daemon daemon(home.path());
    ASSERT_TRUE(daemon.serving());
    EXPECT_EQ(RawClient::get(daemon.socket(), "/settings").json()["values"]["voiceLevel"], "off");

    // A change that can't be written is not answered as done.
    std::filesystem::remove(kept);
    std::filesystem::create_directory(kept);
    const auto refused = RawClient::post(daemon.socket(), "/settings", change);
    EXPECT_EQ(refused.status, 500);
    EXPECT_EQ(refused.json()["ok"], false);
}

TEST(SampleBridgeDaemon, ItsContainersCheckInAFewSecondsAfterTheyAreAdded) {
    Testing::TemporaryFolder home;
    Daemon daemon(home.path());
    ASSERT_TRUE(daemon.serving());
    // The tool adds the container in this home three seconds ago, as far as its check-in goes.
    const double added = Foundation::SystemTime::now() - 3;
    const std::string ownHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    ::setenv("HOME", home.path().c_str(), 1);
    Foundation::SystemTime::setSource([added] { return added; });
    const int status = runNode({"cli.js", "env", "add", "box", "Box", "--container", "--json"});
    Foundation::SystemTime::setSource({});
    ::setenv("HOME", ownHome.c_str(), 1);
    ASSERT_EQ(status, 0);

    const auto rows = RawClient::get(daemon.socket(), "/environments").json()["environments"];
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_DOUBLE_EQ(rows[0].value("checked_at", 0.0), added * 1000 + 3000);
    EXPECT_TRUE(daemon.stop());
}
