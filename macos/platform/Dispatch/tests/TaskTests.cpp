#include <Dispatch/Clock.h>
#include <Dispatch/RunLoop.h>
#include <Dispatch/Task.h>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace Dispatch;

namespace {

using Log = std::shared_ptr<std::vector<std::string>>;

Async<int> twice(int value) {
    co_await Dispatch::sleep(0);
    co_return value * 2;
}

Async<void> record(Log log, std::string name, double pause) {
    log->push_back(name + " start");
    co_await Dispatch::sleep(pause);
    auto doubling = twice(21);
    const int doubled = co_await doubling;
    log->push_back(name + " woke " + std::to_string(doubled));
}

Async<void> awaitCallback(Log log, std::function<void(Continuation<std::string>)> start) {
    auto asking = withContinuation<std::string>(std::move(start));
    auto value = co_await asking;
    log->push_back(value.value_or("none") + (RunLoop::isMainThread() ? " on main" : " elsewhere"));
}

bool runUntilCount(const Log& log, std::size_t count) {
    return RunLoop::main().runUntil([&] { return log->size() >= count; }, 5);
}

} // namespace

TEST(Task, StartsLaterInOrderAndSleepsOnTheClockWithoutBlocking) {
    auto log = std::make_shared<std::vector<std::string>>();
    startTask(record(log, "a", 30));
    startTask(record(log, "b", 0));
    EXPECT_TRUE(log->empty()) << "a task never starts inside the call";
    ASSERT_TRUE(runUntilCount(log, 3));
    EXPECT_EQ(*log, (std::vector<std::string>{"a start", "b start", "b woke 42"}));
    RunLoop::main().runFor(0.05);
    EXPECT_EQ(log->size(), 3u) << "a sleeps on the clock, not on the wall";
    Clock::advance(30);
    ASSERT_TRUE(runUntilCount(log, 4));
    EXPECT_EQ(log->back(), "a woke 42");
}

TEST(Task, AContinuationResumesOnceOnTheMainThreadAndADroppedOneGivesNothing) {
    auto log = std::make_shared<std::vector<std::string>>();
    startTask(awaitCallback(log, [](Continuation<std::string> continuation) {
        std::thread([continuation] {
            continuation.resume("first");
            continuation.resume("second");
        }).detach();
    }));
    startTask(awaitCallback(log, [](Continuation<std::string>) {}));
    ASSERT_TRUE(runUntilCount(log, 2));
    RunLoop::main().runFor(0.05);
    std::sort(log->begin(), log->end());
    EXPECT_EQ(*log, (std::vector<std::string>{"first on main", "none on main"}));
}
