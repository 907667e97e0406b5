#include <Dispatch/Clock.h>
#include <Dispatch/FileSystemSource.h>
#include <Dispatch/RunLoop.h>
#include <Dispatch/TimerSource.h>
#include <Testing/Testing.h>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <mutex>
#include <vector>

using namespace Dispatch;

namespace {

bool eventually(const std::function<bool()>& condition) {
    return RunLoop::main().runUntil(condition, 5);
}

// Lets queued work run without moving the clock, long enough to see that nothing more fires.
void settle() {
    RunLoop::main().runFor(0.1);
}

} // namespace

TEST(TimerSource, FiresOnItsQueueAtTheStartAndThenEveryIntervalOnceResumed) {
    const auto queue = DispatchQueue::serial("test.timer");
    // The clock's time at each firing. The clock also runs on in real time, so a slow machine
    // may see a firing late, but never early.
    std::mutex lock;
    std::vector<double> firings;
    const auto fired = [&] {
        std::lock_guard guard(lock);
        return firings.size();
    };
    const auto firing = [&](std::size_t index) {
        std::lock_guard guard(lock);
        return firings.at(index);
    };
    std::atomic<bool> onQueue{true};
    const double scheduled = Clock::now();
    const auto timer = TimerSource::make(queue);
    timer->schedule(15, 15);
    timer->setEventHandler([&] {
        onQueue = onQueue && !RunLoop::isMainThread();
        std::lock_guard guard(lock);
        firings.push_back(Clock::now());
    });
    Clock::advance(14);
    settle();
    timer->resume();
    Clock::advance(1);
    ASSERT_TRUE(eventually([&] { return fired() == 1; }));
    Clock::advance(15);
    ASSERT_TRUE(eventually([&] { return fired() == 2; }));
    EXPECT_TRUE(onQueue);
    EXPECT_GE(firing(0) - scheduled, 15);
    EXPECT_GE(firing(1) - scheduled, 30);

    // Three intervals skipped at once fire once, and the next firing keeps to the grid: 7.5 s
    // sooner than 15 s after the late one.
    Clock::advance(52.5);
    ASSERT_TRUE(eventually([&] { return fired() == 3; }));
    settle();
    EXPECT_EQ(fired(), 3u);
    Clock::advance(8);
    ASSERT_TRUE(eventually([&] { return fired() == 4; }));
    EXPECT_GE(firing(3) - scheduled, 90);
    EXPECT_LT(firing(3) - firing(2), 15);

    timer->cancel();
    Clock::advance(60);
    settle();
    EXPECT_EQ(fired(), 4u);
}

TEST(TimerSource, AOneShotFiresOnceAndLettingGoOfTheSourceCancelsIt) {
    const auto queue = DispatchQueue::serial("test.timer");
    std::atomic<int> once{0};
    const auto single = TimerSource::make(queue);
    single->setEventHandler([&] { ++once; });
    single->schedule(1, 0);
    single->resume();
    std::atomic<int> dropped{0};
    auto released = TimerSource::make(queue);
    released->setEventHandler([&] { ++dropped; });
    released->schedule(1, 1);
    released->resume();
    released.reset();

    Clock::advance(5);
    ASSERT_TRUE(eventually([&] { return once == 1; }));
    Clock::advance(5);
    settle();
    EXPECT_EQ(once, 1);
    EXPECT_EQ(dropped, 0);
}

TEST(FileSystemSource, AMissingFolderOrAFileCannotBeWatched) {
    Testing::TemporaryFolder folder;
    const auto queue = DispatchQueue::serial("test.watch");
    EXPECT_EQ(FileSystemSource::watchFolder(folder.path() / "absent", queue), nullptr);
    Testing::writeText(folder.path() / "file", "x");
    EXPECT_EQ(FileSystemSource::watchFolder(folder.path() / "file", queue), nullptr);
}

TEST(FileSystemSource, EntriesCreatedDeletedAndMovedInOrOutFireItButWritesToAFileDoNot) {
    Testing::TemporaryFolder folder;
    const auto watched = folder.path() / "watched";
    std::filesystem::create_directory(watched);
    const auto queue = DispatchQueue::serial("test.watch");
    std::atomic<int> fired{0};
    const auto source = FileSystemSource::watchFolder(watched, queue);
    ASSERT_NE(source, nullptr);
    source->setEventHandler([&] { ++fired; });
    Testing::writeText(watched / "before", "kept while the source is suspended");
    Testing::writeText(watched / "also", "and told with it in one run");
    settle();
    EXPECT_EQ(fired, 0);
    source->resume();
    EXPECT_TRUE(eventually([&] { return fired == 1; }));
    settle();

    int seen = 1;
    const auto firesOnce = [&](const std::function<void()>& change) {
        change();
        EXPECT_TRUE(eventually([&] { return fired > seen; }));
        settle();
        seen = fired;
    };
    firesOnce([&] { Testing::writeText(watched / "a", "new"); });
    firesOnce([&] { std::filesystem::remove(watched / "a"); });
    firesOnce([&] {
        Testing::writeText(folder.path() / "outside", "x");
        std::filesystem::rename(folder.path() / "outside", watched / "moved-in");
    });
    firesOnce([&] { std::filesystem::rename(watched / "moved-in", folder.path() / "moved-out"); });

    FILE* file = std::fopen((watched / "before").c_str(), "a");
    ASSERT_NE(file, nullptr);
    std::fputs("more", file);
    std::fclose(file);
    settle();
    EXPECT_EQ(fired, seen);

    source->cancel();
    Testing::writeText(watched / "after", "x");
    settle();
    EXPECT_EQ(fired, seen);
}

TEST(FileSystemSource, ABurstOfChangesBeforeTheHandlerRunsGivesOneRun) {
    Testing::TemporaryFolder folder;
    const auto queue = DispatchQueue::serial("test.watch");
    std::atomic<int> fired{0};
    const auto source = FileSystemSource::watchFolder(folder.path(), queue);
    ASSERT_NE(source, nullptr);
    source->setEventHandler([&] { ++fired; });
    source->resume();
    // Holding the queue keeps the handler from running while the burst arrives.
    std::atomic<bool> release{false};
    queue.async([&] {
        while (!release)
            std::this_thread::yield();
    });
    for (int i = 0; i < 50; ++i)
        Testing::writeText(folder.path() / ("f" + std::to_string(i)), "x");
    settle();
    release = true;
    ASSERT_TRUE(eventually([&] { return fired == 1; }));
    settle();
    EXPECT_EQ(fired, 1);
}
