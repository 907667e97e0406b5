#include <Dispatch/Clock.h>
#include <Dispatch/DispatchQueue.h>
#include <Dispatch/RunLoop.h>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

using namespace Dispatch;

TEST(RunLoop, RunsBlocksInOrderOnTheMainThreadAlsoWhenABlockRunsTheLoopAgain) {
    ASSERT_TRUE(RunLoop::isMainThread());
    std::vector<int> order;
    bool nestedDone = false;
    RunLoop::main().perform([&] {
        order.push_back(1);
        // A modal wait inside a block must still see the blocks queued after it in order.
        RunLoop::main().runUntil([&] { return order.size() == 3; }, 5);
        nestedDone = true;
    });
    RunLoop::main().perform([&] { order.push_back(2); });
    std::thread([&] {
        EXPECT_FALSE(RunLoop::isMainThread());
        DispatchQueue::main().async([&] { order.push_back(3); });
    }).join();
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return nestedDone; }, 5));
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST(RunLoop, DefaultModeWorkWaitsWhileTheLoopTracksAMenu) {
    int defaultRuns = 0, commonRuns = 0;
    RunLoop::main().perform([&] { ++defaultRuns; }, RunLoopMode::Default);
    RunLoop::main().perform([&] { ++commonRuns; }, RunLoopModes::common());
    RunLoop::main().runFor(0.05, RunLoopMode::EventTracking);
    EXPECT_EQ(defaultRuns, 0);
    EXPECT_EQ(commonRuns, 1);
    RunLoop::main().runUntil([&] { return defaultRuns == 1; }, 5);
    EXPECT_EQ(defaultRuns, 1);
    // A wait with no time left still runs what is due, as a thread scheduled late would need.
    RunLoop::main().perform([&] { ++defaultRuns; });
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return defaultRuns == 2; }, 0));
}

TEST(RunLoop, RepeatingTimersFollowTheClockAndSkipMissedFires) {
    int fires = 0;
    Timer timer = RunLoop::main().schedule(15, true, [&] { ++fires; });
    RunLoop::main().runFor(0.05);
    EXPECT_EQ(fires, 0);
    // Jumping three and a half intervals fires once, not three times.
    Clock::advance(52.5);
    RunLoop::main().runUntil([&] { return fires == 1; }, 5);
    RunLoop::main().runFor(0.05);
    EXPECT_EQ(fires, 1);
    Clock::advance(7.5);
    RunLoop::main().runUntil([&] { return fires == 2; }, 5);
    EXPECT_EQ(fires, 2);
    timer.invalidate();
    EXPECT_FALSE(timer.isValid());
    Clock::advance(60);
    RunLoop::main().runFor(0.05);
    EXPECT_EQ(fires, 2);
}

TEST(RunLoop, ATimerMayInvalidateItselfWhileFiring) {
    Timer timer;
    int fires = 0;
    timer = RunLoop::main().schedule(1, true, [&] {
        ++fires;
        timer.invalidate();
    });
    Clock::advance(1);
    RunLoop::main().runFor(0.05);
    Clock::advance(1);
    RunLoop::main().runFor(0.05);
    EXPECT_EQ(fires, 1);
}

TEST(RunLoop, TimersAddedForMoreModesFireWhileTracking) {
    int fires = 0;
    Timer timer = Timer::make(1, false, [&] { ++fires; });
    RunLoop::main().add(timer, RunLoopMode::Default);
    RunLoop::main().add(timer, RunLoopModes::common());
    Clock::advance(1);
    RunLoop::main().runUntil([&] { return fires == 1; }, 5, RunLoopMode::EventTracking);
    EXPECT_EQ(fires, 1);
    EXPECT_FALSE(timer.isValid());
}

TEST(RunLoop, RunEndsWhenStopped) {
    // Not before: the loop waits for work from another thread until a block of it stops the loop.
    std::vector<int> ran;
    RunLoop::main().perform([&] { ran.push_back(1); });
    std::thread later([&] {
        RunLoop::main().perform([&] {
            ran.push_back(2);
            RunLoop::main().stop();
        });
    });
    RunLoop::main().run();
    later.join();
    EXPECT_EQ(ran, (std::vector<int>{1, 2}));
}
