#include <Dispatch/Clock.h>
#include <Dispatch/DispatchQueue.h>
#include <Dispatch/RunLoop.h>
#include <Dispatch/Synchronization.h>
#include <atomic>
#include <gtest/gtest.h>
#include <mutex>
#include <vector>

using namespace Dispatch;

TEST(DispatchQueue, ASerialQueueRunsOneBlockAtATimeInOrder) {
    auto queue = DispatchQueue::serial("test.serial");
    EXPECT_EQ(queue.label(), "test.serial");
    std::vector<int> order;
    std::atomic<int> running{0};
    std::atomic<bool> overlapped{false};
    DispatchGroup group;
    for (int i = 0; i < 200; ++i) {
        queue.async(group, [&, i] {
            if (running.fetch_add(1) != 0)
                overlapped = true;
            order.push_back(i);
            running.fetch_sub(1);
        });
    }
    ASSERT_TRUE(group.wait(10));
    EXPECT_FALSE(overlapped);
    ASSERT_EQ(order.size(), 200u);
    for (int i = 0; i < 200; ++i)
        EXPECT_EQ(order[i], i);
}

TEST(DispatchQueue, AConcurrentQueueNeverMakesABlockWaitForABlockedOne) {
    auto queue = DispatchQueue::concurrent("test.concurrent");
    DispatchSemaphore release;
    DispatchSemaphore quickDone;
    // More blocked blocks than cores: the quick one must still run at once.
    for (int i = 0; i < 16; ++i)
        queue.async([release] { release.wait(); });
    queue.async([quickDone] { quickDone.signal(); });
    EXPECT_TRUE(quickDone.wait(5));
    for (int i = 0; i < 16; ++i)
        release.signal();
}

TEST(DispatchQueue, MainQueueWorkArrivesThroughTheRunLoop) {
    std::atomic<bool> onMain{false};
    bool done = false;
    DispatchQueue::global().async([&] {
        DispatchQueue::main().async([&] {
            onMain = RunLoop::isMainThread();
            done = true;
        });
    });
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return done; }, 5));
    EXPECT_TRUE(onMain);
}

TEST(DispatchQueue, DelayedWorkFollowsTheClock) {
    std::atomic<int> ran{0};
    DispatchQueue::serial("test.delay").asyncAfter(30, [&] { ran = 1; });
    bool mainRan = false;
    DispatchQueue::main().asyncAfter(30, [&] { mainRan = true; });
    RunLoop::main().runFor(0.05);
    EXPECT_EQ(ran, 0);
    EXPECT_FALSE(mainRan);
    Clock::advance(30);
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return ran == 1 && mainRan; }, 5));
}

TEST(DispatchQueue, SyncWaitsForTheBlock) {
    int value = 0;
    DispatchQueue::serial("test.sync").sync([&] { value = 7; });
    EXPECT_EQ(value, 7);
}

TEST(DispatchGroup, WaitTimesOutUntilEveryTaskLeftThenNotifies) {
    DispatchGroup group;
    group.enter();
    EXPECT_FALSE(group.wait(0.01));
    bool notified = false;
    group.notify(DispatchQueue::main(), [&] { notified = true; });
    RunLoop::main().runFor(0.02);
    EXPECT_FALSE(notified);
    group.leave();
    EXPECT_TRUE(group.wait(0));
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return notified; }, 5));
}

TEST(DispatchSemaphore, CountsSignalsAndTimesOut) {
    DispatchSemaphore semaphore(1);
    EXPECT_TRUE(semaphore.wait(0));
    EXPECT_FALSE(semaphore.wait(0.01));
    semaphore.signal();
    semaphore.signal();
    EXPECT_TRUE(semaphore.wait(0));
    EXPECT_TRUE(semaphore.wait(0));
    EXPECT_FALSE(semaphore.wait(-1));
}
