#include <Processes/Processes.h>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

namespace {

// A child that waits to be signalled, its command line "/bin/sleep 30".
class Sleeper : public testing::Test {
protected:
    void SetUp() override {
        pid = ::fork();
        if (pid == 0) {
            ::execl("/bin/sleep", "/bin/sleep", "30", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ASSERT_GT(pid, 0);
        // Until exec, the child shows the test program's command line.
        for (int i = 0; i < 500 && Processes::commandLine(pid) != "/bin/sleep 30"; ++i)
            ::usleep(2000);
    }
    void TearDown() override {
        if (pid <= 0)
            return;
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }

    // How the child ended: the signal's number, or 0 while it runs.
    int ending() {
        int status = 0;
        return ::waitpid(pid, &status, 0) == pid && WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    }

    pid_t pid = 0;
};

TEST_F(Sleeper, IsSeenWithItsCommandLine) {
    EXPECT_TRUE(Processes::isOwn(pid));
    EXPECT_EQ(Processes::commandLine(pid), "/bin/sleep 30");
    for (const pid_t none : {0, -1})
        EXPECT_FALSE(Processes::isOwn(none) || Processes::commandLine(none));
}

TEST_F(Sleeper, IsSignalledOnlyWhileItIsWhatTheCallerExpects) {
    EXPECT_FALSE(Processes::signal(
        pid, SIGTERM, [](const std::string& command) { return command == "/bin/node daemon.js"; }));
    EXPECT_TRUE(Processes::signal(
        pid, SIGTERM, [](const std::string& command) { return command == "/bin/sleep 30"; }));
    EXPECT_EQ(ending(), SIGTERM);
    const pid_t ended = std::exchange(pid, 0);
    // Gone now: nothing is sent, whatever the caller expects.
    EXPECT_FALSE(Processes::signal(ended, SIGKILL, [](const std::string&) { return true; }));
}

} // namespace
