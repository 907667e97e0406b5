#include "Processes.h"

#include <Launchd/Process.h>
#include <csignal>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using Launchd::Instance;
using testing::ElementsAre;
using testing::HasSubstr;

namespace {

// Stops the instance when the test ends, however it ends.
struct Started {
    explicit Started(std::optional<Instance> started) : instance(started) {}
    ~Started() {
        if (instance)
            Launchd::stop(*instance, 0.1);
    }
    std::optional<Instance> instance;
};

} // namespace

TEST(LaunchdProcess, AJobStartsDetachedWithOnlyWhatItIsGiven) {
    // An ignored signal would pass through an exec; the job must not inherit it.
    const auto previous = ::signal(SIGTERM, SIG_IGN);
    Started job(Launchd::start({"/bin/sleep", "600"}, {"HOME=/nowhere", "ONLY=this"}));
    ::signal(SIGTERM, previous);
    ASSERT_TRUE(job.instance);
    const pid_t pid = job.instance->pid;
    EXPECT_TRUE(Launchd::isRunning(*job.instance));

    EXPECT_EQ(::waitpid(pid, nullptr, WNOHANG), -1) << "the job must not be our child";
    EXPECT_EQ(errno, ECHILD);
    EXPECT_EQ(::getpgid(pid), pid);
    EXPECT_NE(::getsid(pid), ::getsid(0));
    EXPECT_THAT(Processes::entries(pid, "cmdline"), ElementsAre("/bin/sleep", "600"));
    EXPECT_THAT(Processes::entries(pid, "environ"), ElementsAre("HOME=/nowhere", "ONLY=this"));
    for (const char* fd : {"0", "1", "2"})
        EXPECT_EQ(std::filesystem::read_symlink(Processes::folder(pid) / "fd" / fd), "/dev/null");
    EXPECT_EQ(std::filesystem::read_symlink(Processes::folder(pid) / "cwd"), "/");

    // Terminated at once, since SIGTERM is back to its default.
    EXPECT_TRUE(Launchd::stop(*job.instance, 30));
    EXPECT_FALSE(Launchd::isRunning(*job.instance));
}

TEST(LaunchdProcess, AJobThatIgnoresTheTerminateRequestIsKilledAfterTheGrace) {
    Testing::TemporaryFolder folder;
    const auto ready = folder.path() / "ready";
    Started job(Launchd::start(
        {"/bin/sh", "-c", "trap '' TERM; touch " + ready.string() + "; exec sleep 600"}, {}));
    ASSERT_TRUE(job.instance);
    for (int wait = 0; wait < 500 && !std::filesystem::exists(ready); ++wait)
        ::usleep(10'000);

    EXPECT_TRUE(Launchd::stop(*job.instance, 0.2));
    EXPECT_FALSE(Launchd::isRunning(*job.instance));
}

TEST(LaunchdProcess, AProgramThatCannotStartGivesTheReason) {
    Foundation::Error error;
    EXPECT_FALSE(Launchd::start({"/no/such/program"}, {}, &error));
    EXPECT_EQ(error.domain, Foundation::posixErrorDomain);
    EXPECT_EQ(error.code, ENOENT);
    EXPECT_THAT(error.description, HasSubstr("/no/such/program"));
    EXPECT_FALSE(Launchd::start({}, {}, &error));
}

TEST(LaunchdProcess, AnInstanceIsKnownByItsStartTimeAsWellAsItsId) {
    Started job(Launchd::start({"/bin/sleep", "600"}, {}));
    ASSERT_TRUE(job.instance);
    const Instance impostor{job.instance->pid, job.instance->startTime + 1};
    EXPECT_FALSE(Launchd::isRunning(impostor));
    // Nothing to stop: the process that has the id is not that instance, and is left alone.
    EXPECT_TRUE(Launchd::stop(impostor, 0.1));
    EXPECT_TRUE(Launchd::isRunning(*job.instance));
    EXPECT_FALSE(Launchd::isRunning(Instance{}));
}
