#include "service/Run.h"

#include <Testing/Testing.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sstream>
#include <thread>

using testing::HasSubstr;

namespace {

namespace fs = std::filesystem;

Run::Result shell(const std::string& script, double timeout = 10) {
    return Run::run("/bin/sh", {"-c", script}, std::nullopt, timeout);
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool ended(pid_t pid) {
    const std::string stat = Testing::readText("/proc/" + std::to_string(pid) + "/stat");
    const std::size_t nameEnd = stat.rfind(") ");
    return stat.empty() || (nameEnd != std::string::npos && stat[nameEnd + 2] == 'Z');
}

// Waits, polling, for processes outside the test's control to end; false after ten seconds.
bool eventuallyEnded(const std::vector<pid_t>& pids) {
    for (int wait = 0; wait < 1000; ++wait) {
        bool all = true;
        for (const pid_t pid : pids)
            all = all && ended(pid);
        if (all)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

std::vector<pid_t> readPids(const fs::path& file) {
    for (int wait = 0; wait < 500 && Testing::readText(file).empty(); ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::istringstream text(Testing::readText(file));
    std::vector<pid_t> pids;
    for (pid_t pid; text >> pid;)
        pids.push_back(pid);
    return pids;
}

} // namespace

TEST(Run, GivesTheExitStatusWithBothStreamsAsWritten) {
    EXPECT_EQ(shell("printf 'out\\n'; printf 'err\\n\\n' >&2; exit 3"),
              (Run::Result{3, "out\n", "err\n\n"}));
    EXPECT_EQ(shell("printf '\\377ok'"), (Run::Result{0, "\uFFFDok", ""}));
    // A signal is a status of its own, not a failure of the runner.
    EXPECT_EQ(shell("kill -9 $$").status, SIGKILL);
}

TEST(Run, AProgramThatCannotStartGivesMinusOneAndTheReason) {
    EXPECT_EQ(Run::run("/no/such/program", {}, std::nullopt, 5),
              (Run::Result{-1, "", "Couldn't run “/no/such/program”: No such file or directory"}));
    EXPECT_EQ(Run::run("/tmp", {}, std::nullopt, 5).status, -1);
}

TEST(Run, StandardInputIsAtItsEndAndTheEnvironmentIsWholeWhenGiven) {
    EXPECT_EQ(shell("readlink /proc/self/fd/0; cat; echo end").output, "/dev/null\nend\n");
    EXPECT_EQ(Run::run("/usr/bin/env", {}, Run::Environment{{"ONLY", "this"}}, 5).output,
              "ONLY=this\n");
    ::setenv("KH_INHERITED", "yes", 1);
    EXPECT_THAT(Run::run("/usr/bin/env", {}, std::nullopt, 5).output,
                HasSubstr("KH_INHERITED=yes\n"));
}

TEST(Run, MegabytesOnBothStreamsAllArrive) {
    const auto result = shell("head -c 3000000 /dev/zero | tr '\\0' o &"
                              "head -c 3000000 /dev/zero | tr '\\0' e >&2; wait");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.output, std::string(3'000'000, 'o'));
    EXPECT_EQ(result.error, std::string(3'000'000, 'e'));
}

TEST(Run, AtTheTimeOutItReturnsAndEndsTheChildsGroup) {
    Testing::TemporaryFolder folder;
    const fs::path pids = folder.path() / "pids";
    // Both the shell and its child ignore the terminate request: only the kill ends them.
    const auto start = std::chrono::steady_clock::now();
    const auto result = shell(
        "trap '' TERM; echo partial; sleep 60 & echo $$ $! > " + pids.string() + "; wait", 0.5);
    const double elapsed = secondsSince(start);
    EXPECT_EQ(result, (Run::Result{-1, "", "sh timed out"}));
    EXPECT_GE(elapsed, 0.5);
    EXPECT_LT(elapsed, 1.5);
    const auto started = readPids(pids);
    ASSERT_EQ(started.size(), 2u);
    EXPECT_TRUE(eventuallyEnded(started));

    for (const double timeout : {0.0, -1.0, std::nan("")})
        EXPECT_EQ(Run::run("/bin/sleep", {"60"}, std::nullopt, timeout).error, "sleep timed out");
}

TEST(Run, AStreamAGrandchildHoldsCountsAsEmptyAfterTwoSeconds) {
    const auto start = std::chrono::steady_clock::now();
    const auto result = shell("sleep 60 2>/dev/null & echo $! >&2; echo held");
    const double elapsed = secondsSince(start);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.output, "");
    EXPECT_GE(elapsed, Run::streamGrace);
    EXPECT_LT(elapsed, Run::streamGrace + 1.5);
    const pid_t grandchild = std::atoi(result.error.c_str());
    ASSERT_GT(grandchild, 0) << result.error;
    ::kill(grandchild, SIGKILL);
    EXPECT_TRUE(eventuallyEnded({grandchild}));
}
